#include "tests/app/TableDriving.h"

#include "editors/AddressViewController.h"
#include "editors/MultiValueViewController.h"
#include "find/FindBarController.h"
#include "find/FindPanel.h"
#include "find/SegmentedButtons.h"
#include "model/NormalizePhoneNumber.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace tessarin {
using namespace table_test;

namespace {

// With the label filter on "work", Ann's first row shows no phone and no address (her
// mobile number and home address are hidden) and her work fax has no row at all; Bob's
// one row shows nothing; Cid's shows his work phone and address. Rows then: Ann 0, Ann 1
// (work), Bob, Cid; with every label shown: Ann 0, 1, 2, Bob, Cid.
const QString Cards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\nTEL;type=CELL:+1 415 555 1000\r\n"
    "TEL;type=WORK;type=VOICE:+1 212 555 3010\r\nTEL;type=WORK;type=FAX:+1 212 555 3110\r\n"
    "ADR;type=HOME:;;1 Main St;Springfield;;;\r\nADR;type=WORK:;;2 Side St;Shelbyville;;;\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\nTEL;type=HOME:+1 212 555 2000\r\n"
    "ADR;type=HOME:;;3 Oak St;Ogdenville;;;\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\nTEL;type=WORK:+1 212 555 3030\r\n"
    "ADR;type=WORK:;;4 Elm St;Capital City;;;\r\nEND:VCARD\r\n");
const QStringList Names = {QStringLiteral("Ann Abe"), QStringLiteral("Bob Baker"), QStringLiteral("Cid Cole")};
const QString Work = QStringLiteral("work");
const QString All = QStringLiteral("All");

// Each contact's phones and addresses, "label|text" (an address by its city), one a line.
using Values = QMap<QString, QStringList>;

std::string text(const Values &values) {
    std::string shown;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        shown += "\n" + it.key().toStdString() + ": " + it->join(QStringLiteral(" / ")).toStdString();
    return shown;
}

class HiddenValuesTest : public TableWindowTest {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        FindBarController::setAnimationsEnabled(false);
        Pasteboard::find().clearContents();
        openCards(Cards, {FieldId::Name, FieldId::Phone, FieldId::Address});
        view->setEditState(true);
        ASSERT_FALSE(view->contactInfoVisible());
    }
    void TearDown() override {
        view->settings()->setSelectedLabels({All});
        FindBarController::setAnimationsEnabled(true);
        TableWindowTest::TearDown();
    }

    Values values() const {
        Values all;
        for (const QString &name : Names) {
            all[name + QStringLiteral(" phones")];
            all[name + QStringLiteral(" addresses")];
            for (const LabeledValueRecord &phone :
                 person(name)->labeledValueForIdentifier(FieldId::Phone).value_or(LabeledValueList()))
                all[name + QStringLiteral(" phones")] << phone.labelText() + QLatin1Char('|') + phone.stringValue;
            for (const LabeledValueRecord &address :
                 person(name)->labeledValueForIdentifier(FieldId::Address).value_or(LabeledValueList()))
                all[name + QStringLiteral(" addresses")] << address.labelText() + QLatin1Char('|') + address.city;
        }
        return all;
    }
    // Each phone the filter shows made by `change` (removed when it gives none); the others,
    // and every address, as they were.
    static Values phonesChanged(Values values, const QString &filter,
                                const std::function<std::optional<QString>(const QString &line)> &change) {
        for (const QString &name : Names) {
            QStringList changed;
            for (const QString &line : values.value(name + QStringLiteral(" phones"))) {
                const bool shown = filter == All || line.section(QLatin1Char('|'), 0, 0) == Work;
                if (!shown)
                    changed << line;
                else if (const std::optional<QString> made = change(line))
                    changed << *made;
            }
            values[name + QStringLiteral(" phones")] = changed;
        }
        return values;
    }
    static std::optional<QString> withText(const QString &line, const QString &text) {
        return line.section(QLatin1Char('|'), 0, 0) + QLatin1Char('|') + text;
    }
    static QString textOf(const QString &line) { return line.section(QLatin1Char('|'), 1); }

    // A row that shows a phone under either filter: Cid's.
    int cid() const { return rowOf(Names[2]); }
    QList<int> allRows() const {
        QList<int> rows;
        for (int r = 0; r < int(table->subContactTable().size()); ++r)
            rows << r;
        return rows;
    }
    FindBarController *bar() const { return view->findBarController(); }
    void findInBar(const QString &text) {
        if (!bar()->isVisible()) {
            ASSERT_TRUE(pick(QStringLiteral("Find"), QStringLiteral("Find and Replace…")));
        }
        QTest::qWait(5);
        QLineEdit *field = bar()->searchField();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void replaceInBar(const QString &replacement, int segment) {
        bar()->replaceStringField()->setText(replacement);
        QTest::mouseClick(bar()->replaceControl()->button(segment), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
};

// Every command that edits the values of shown rows, with every label shown and with the
// filter on "work": the values the table shows change, the hidden ones never; one Undo
// (the find window's replacements: Undo until none is left) restores them all.
TEST_F(HiddenValuesTest, NoCommandReachesAValueTheLabelFilterHides) {
    NormalizePhoneNumber normalizer;
    struct Case {
        QString name;
        std::function<void()> run;
        std::function<Values(const Values &before, const QString &filter, const Values &after)> expected;
    };
    const auto phones = [](const std::function<std::optional<QString>(const QString &)> &change) {
        return [change](const Values &before, const QString &filter, const Values &) {
            return phonesChanged(before, filter, change);
        };
    };
    const auto replaced212 = phones([](const QString &line) {
        return withText(line, QString(textOf(line)).replace(QStringLiteral("212 555"), QStringLiteral("999 888")));
    });
    const auto dialog = [this](const QString &title, const QString &typed, int labelIndex = -1) {
        return [=, this] {
            table->selectRowIndexes(allRows());
            ASSERT_TRUE(menuCommand(cid(), FieldId::Phone, title));
            ReplaceAlertPanel *panel = bulkDialog();
            ASSERT_NE(panel, nullptr);
            if (labelIndex >= 0)
                panel->labelPopup()->setCurrentIndex(labelIndex);
            typeInDialog(typed);
        };
    };
    const int pager = int(QMPerson::labelsForIdentifier(FieldId::Phone)->indexOf(QStringLiteral("pager")));
    const QList<Case> cases = {
        {QStringLiteral("find bar, Replace All"),
         [this] {
             findInBar(QStringLiteral("212 555"));
             replaceInBar(QStringLiteral("999 888"), 1);
         },
         replaced212},
        // Found in the detail panel, which shows every value of its contact; the panel
        // hidden, the match stands in a value only the table's filter decides about.
        {QStringLiteral("find bar, Replace of a match the detail panel found"),
         [this] {
             table->selectRowIndexes({rowOf(Names[0])});
             ASSERT_TRUE(pick(QStringLiteral("View"), QStringLiteral("Show Contact Info")));
             ASSERT_TRUE(view->contactInfoVisible());
             findInBar(QStringLiteral("555 31")); // Ann's work fax only
             ASSERT_TRUE(view->selectedItemAndRange());
             ASSERT_EQ(view->selectedItemAndRange()->identifier, FieldId::Phone);
             ASSERT_TRUE(pick(QStringLiteral("View"), QStringLiteral("Hide Contact Info")));
             ASSERT_FALSE(view->contactInfoVisible());
             replaceInBar(QStringLiteral("555 99"), 0);
         },
         phones([](const QString &line) {
             return withText(line, QString(textOf(line)).replace(QStringLiteral("555 31"), QStringLiteral("555 99")));
         })},
        {QStringLiteral("find window, Replace All"),
         [this] {
             Pasteboard::find().setString(QStringLiteral("212 555"));
             QTimer::singleShot(0, [] {
                 auto *panel = qobject_cast<FindPanel *>(
                     qobject_cast<Window *>(QApplication::activeModalWidget())->windowController());
                 ASSERT_NE(panel, nullptr);
                 QTest::keyClick(panel->searchField(), Qt::Key_Return);
                 ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->isSearching(); }, 20000));
                 panel->replaceField()->setText(QStringLiteral("999 888"));
                 panel->replaceButtons()->button(1)->click();
                 panel->closeButton()->click();
             });
             ASSERT_TRUE(pick(QStringLiteral("Find"), QStringLiteral("Find Window…")));
         },
         replaced212},
        {QStringLiteral("Normalize Phone Numbers"),
         [this] {
             table->selectRowIndexes(allRows());
             ASSERT_TRUE(pick(QStringLiteral("Normalize Phone Numbers"), QStringLiteral("090-1234-5678")));
         },
         phones([&normalizer](const QString &line) {
             normalizer.setPhoneNumber(textOf(line));
             return withText(line, normalizer.hyphenThreeFour());
         })},
        {QStringLiteral("Delete Item"),
         [this] {
             table->selectRowIndexes(allRows());
             dialogs.answerAlert(QStringLiteral("OK"));
             ASSERT_TRUE(menuCommand(cid(), FieldId::Phone, QStringLiteral("Delete Item")));
         },
         phones([](const QString &) { return std::nullopt; })},
        {QStringLiteral("Replace Text"), dialog(QStringLiteral("Replace Text"), QStringLiteral("X7")),
         phones([](const QString &line) { return withText(line, QStringLiteral("X7")); })},
        {QStringLiteral("Replace Label and Text"),
         dialog(QStringLiteral("Replace Label and Text"), QStringLiteral("X7"), pager),
         phones([](const QString &) { return QStringLiteral("pager|X7"); })},
        {QStringLiteral("Prepend Text"), dialog(QStringLiteral("Prepend Text"), QStringLiteral("X7")),
         phones([](const QString &line) { return withText(line, QStringLiteral("X7") + textOf(line)); })},
        {QStringLiteral("Append Text"), dialog(QStringLiteral("Append Text"), QStringLiteral("X7")),
         phones([](const QString &line) { return withText(line, textOf(line) + QStringLiteral("X7")); })},
        {QStringLiteral("a text typed into a cell for every row"),
         [this] {
             table->selectRowIndexes(allRows());
             dialogs.answerAlert(QStringLiteral("OK"));
             doubleClick(cid(), FieldId::Phone);
             ASSERT_NE(table->cellEditor(), nullptr);
             table->cellEditor()->selectAll();
             QTest::keyClicks(table->cellEditor(), QStringLiteral("777"));
             QTest::keyClick(table->cellEditor(), Qt::Key_Backtab);
             QCoreApplication::processEvents();
         },
         phones([](const QString &line) { return withText(line, QStringLiteral("777")); })},
        {QStringLiteral("a label picked for every row"),
         [this, pager] {
             table->selectRowIndexes(allRows());
             dialogs.answerAlert(QStringLiteral("OK"));
             QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, {},
                               tableView()->visualRect(cell(cid(), FieldId::Phone)).topLeft() + QPoint(8, 8));
             auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
             ASSERT_NE(menu, nullptr);
             menu->actions().at(pager)->trigger();
             menu->close();
             QCoreApplication::processEvents();
         },
         phones([](const QString &line) { return QStringLiteral("pager|") + textOf(line); })},
        // The list editor's answer is the opener's whole list (all of it was in the editor);
        // the other contacts take it in place of what they showed, keeping what was hidden.
        {QStringLiteral("the list editor's answer for every row"),
         [this] {
             table->selectRowIndexes(allRows());
             dialogs.answerAlert(QStringLiteral("OK"));
             doubleClick(cid(), FieldId::Phone, Qt::ControlModifier);
             auto *list = qobject_cast<MultiValueViewController *>(editor());
             ASSERT_NE(list, nullptr);
             list->addButton()->click();
             list->doneButton()->click();
             QCoreApplication::processEvents();
         },
         [](const Values &before, const QString &filter, const Values &after) {
             const QStringList answer = after.value(QStringLiteral("Cid Cole phones"));
             Values expected = phonesChanged(before, filter, [](const QString &) { return std::nullopt; });
             for (const QString &name : Names)
                 expected[name + QStringLiteral(" phones")] = answer + expected.value(name + QStringLiteral(" phones"));
             expected[QStringLiteral("Cid Cole phones")] = answer;
             return expected;
         }},
        // The address editor's answer replaces the address each contact's row shows, or is
        // added where it shows none.
        {QStringLiteral("the address editor's answer for every row"),
         [this] {
             table->selectRowIndexes(allRows());
             dialogs.answerAlert(QStringLiteral("OK"));
             doubleClick(cid(), FieldId::Address);
             auto *address = qobject_cast<AddressViewController *>(editor());
             ASSERT_NE(address, nullptr);
             QTest::keyClicks(address->cityField(), QStringLiteral(" North"));
             address->doneButton()->click();
             QCoreApplication::processEvents();
         },
         [](Values before, const QString &filter, const Values &) {
             const QString answer = QStringLiteral("work|Capital City North");
             if (filter == All) {
                 before[QStringLiteral("Ann Abe addresses")][0] = answer;
                 before[QStringLiteral("Bob Baker addresses")][0] = answer;
             } else {
                 before[QStringLiteral("Ann Abe addresses")] << answer;
                 before[QStringLiteral("Bob Baker addresses")] << answer;
             }
             before[QStringLiteral("Cid Cole addresses")] = {answer};
             return before;
         }},
    };
    for (const QString &filter : {All, Work})
        for (const Case &c : cases) {
            SCOPED_TRACE(QStringLiteral("%1, labels %2").arg(c.name, filter).toStdString());
            view->settings()->setSelectedLabels({filter});
            QCoreApplication::processEvents();
            const Values before = values();
            c.run();
            if (HasFatalFailure())
                return;
            const Values after = values();
            EXPECT_EQ(text(after), text(c.expected(before, filter, after)));
            for (int steps = 0; steps < 10 && undoManager()->canUndo(); ++steps)
                undo();
            EXPECT_EQ(text(values()), text(before));
            EXPECT_FALSE(edited());
        }
}

// The find window starts with the labels the table shows, as it starts with its columns.
TEST_F(HiddenValuesTest, TheFindWindowStartsWithTheTablesLabelFilter) {
    for (const QStringList &filter : {QStringList{All}, QStringList{Work, QStringLiteral("home")}}) {
        view->settings()->setSelectedLabels(filter);
        QStringList started;
        QString title;
        QTimer::singleShot(0, [&] {
            auto *panel =
                qobject_cast<FindPanel *>(qobject_cast<Window *>(QApplication::activeModalWidget())->windowController());
            ASSERT_NE(panel, nullptr);
            started = panel->selectedLabels();
            title = panel->labelPopup()->text();
            panel->closeButton()->click();
        });
        ASSERT_TRUE(pick(QStringLiteral("Find"), QStringLiteral("Find Window…")));
        EXPECT_EQ(started, filter);
        EXPECT_EQ(title, filter == QStringList{All} ? QStringLiteral("Label - All") : QStringLiteral("Label - work+home"));
    }
}

} // namespace
} // namespace tessarin
