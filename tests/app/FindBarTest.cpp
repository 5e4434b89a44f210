#include "tests/app/WindowTestSupport.h"

#include "tests/app/Driving.h"

#include "find/FindBarController.h"
#include "find/SegmentedButtons.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"
#include "tests/support/TestTranslation.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

// Inside the namespace, ViewController and WindowController are the window's own.
namespace tessarin {
using namespace window_test;

namespace {

// Ann has two e-mail addresses, so two rows; Bob's card is a company's.
const QString Cards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;Mab;;\r\nFN:Ann Abe\r\n"
    "EMAIL;type=INTERNET;type=WORK:work@abe.example\r\nEMAIL;type=INTERNET;type=HOME:home@abe.example\r\n"
    "NOTE:Lab notes\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:Abacus Ltd\r\nORG:Abacus Ltd;\r\nX-ABShowAs:COMPANY\r\n"
    "EMAIL;type=INTERNET;type=WORK:desk@abacus.example\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\nEND:VCARD\r\n");

class FindBarTest : public WindowTest {
protected:
    TestDocument *document = nullptr;
    ViewController *view = nullptr;

    void SetUp() override {
        WindowTest::SetUp();
        FindBarController::setAnimationsEnabled(false);
        Pasteboard::find().clearContents();
        document = open(Cards);
        view = content(document);
        settle();
    }
    void TearDown() override {
        FindBarController::setAnimationsEnabled(true);
        WindowTest::TearDown();
    }

    static void settle() { QTest::qWait(5); }
    FindBarController *bar() const { return view->findBarController(); }
    ContactsViewController *table() const { return view->contactsViewController(); }
    QToolButton *findButton() const { return document->controller->findBarButton(); }
    bool edited() const { return document->controller->window()->isDocumentEdited(); }

    void type(const QString &text) {
        QLineEdit *field = bar()->searchField();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    static void press(SegmentedButtons *control, int segment) {
        QTest::mouseClick(control->button(segment), Qt::LeftButton);
    }
    void pick(const QString &title) {
        Menu *menu = findSubmenu(document->controller->window()->mainMenu(), QStringLiteral("Find"));
        ASSERT_NE(menu, nullptr);
        menu->update();
        MenuItem *item = menu->itemWithTitle(title);
        ASSERT_NE(item, nullptr) << title.toStdString();
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        settle();
    }
    int rowOf(const QString &name, qint64 labelIndex = 0) const {
        const SubContactTable &rows = table()->subContactTable();
        for (int r = 0; r < int(rows.size()); ++r)
            if (rows[r]->person->compositeName() == name && rows[r]->labelIndex == labelIndex)
                return r;
        return -1;
    }
    // The current match as a user reads it: which row and column, and the orange text.
    QString match() const {
        const auto &target = view->selectedItemAndRange();
        if (!target)
            return {};
        const QList<int> selected = table()->selectedRowIndexes();
        const int row = selected.isEmpty() ? -1 : selected.first();
        const ContactsTableCell cell = table()->viewForTableColumn(target->identifier, row);
        const TextHighlights &marks = cell.popup ? cell.popup->content().highlights : cell.highlights;
        for (const TextHighlight &mark : marks)
            if (mark.kind == TextHighlight::CurrentMatch)
                return QStringLiteral("%1/%2:%3")
                    .arg(row)
                    .arg(target->identifier, cell.text.mid(mark.start, mark.length));
        return QStringLiteral("%1/%2").arg(row).arg(target->identifier);
    }
    int marksIn(const QString &identifier, int row) const {
        const ContactsTableCell cell = table()->viewForTableColumn(identifier, row);
        return int((cell.popup ? cell.popup->content().highlights : cell.highlights).size());
    }
};

} // namespace

TEST_F(FindBarTest, TheFindButtonShowsAndHidesTheBarAndWaitsForIt) {
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(findButton()->text(), QStringLiteral("Find"));
    Pasteboard::find().setString(QStringLiteral("abe"));
    findButton()->click();
    EXPECT_EQ(findButton()->text(), QStringLiteral("Hide"));
    EXPECT_FALSE(findButton()->isEnabled());
    settle();
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_TRUE(findButton()->isEnabled());
    // Showing takes the find pasteboard's text.
    EXPECT_EQ(bar()->searchField()->text(), QStringLiteral("abe"));
    EXPECT_EQ(view->findString(), QStringLiteral("abe"));
    // The Edit > Find item names what it will do.
    Menu *menu = findSubmenu(document->controller->window()->mainMenu(), QStringLiteral("Find"));
    menu->update();
    EXPECT_TRUE(menu->itemWithTitle(QStringLiteral("Hide")));
    // Hiding through the button leaves the search.
    findButton()->click();
    settle();
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(findButton()->text(), QStringLiteral("Find"));
    EXPECT_EQ(view->findString(), QStringLiteral("abe"));
    menu->update();
    EXPECT_TRUE(menu->itemWithTitle(QStringLiteral("Show")));
}

// What the user reads are words of the user's language; what the window keeps is the options
// word it always kept.
TEST_F(FindBarTest, TheCaseOptionReadsAsTranslatedWordsAndKeepsItsOptionsWord) {
    const TestTranslation german({{QStringLiteral("Ignore Case"), QStringLiteral("Groß/klein egal")},
                                  {QStringLiteral("Match Case"), QStringLiteral("Groß/klein beachten")}});
    document = open(Cards, QStringLiteral("German.vcf"));
    view = content(document);
    settle();
    pick(QStringLiteral("Find…"));
    type(QStringLiteral("ab"));
    QComboBox *popup = bar()->optionPopup();
    const struct {
        int index;
        QString title;
        QString options;
    } rows[] = {
        {1, QStringLiteral("Groß/klein beachten"), QStringLiteral("caseSensitive")},
        {0, QStringLiteral("Groß/klein egal"), QStringLiteral("caseInsensitive")},
    };
    ASSERT_EQ(popup->count(), int(std::size(rows)));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.title.toStdString());
        // Chosen with the keyboard, as from the popup.
        popup->setFocus();
        QTest::keyClick(popup, row.index == 0 ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_EQ(popup->currentIndex(), row.index);
        EXPECT_EQ(popup->itemText(row.index), row.title);
        EXPECT_EQ(view->windowState()->findOptions(), row.options);
    }
}

// Ctrl+F, Find and Replace and the toolbar's button show the bar with the last find text
// selected in the search field: typing replaces it.
TEST_F(FindBarTest, ShowingTheBarSelectsTheFindTextSoThatTypingReplacesIt) {
    const struct {
        const char *how;
        std::function<void()> show;
    } ways[] = {
        {"Ctrl+F", [&] { QTest::keyClick(table()->tableView(), Qt::Key_F, Qt::ControlModifier); }},
        {"Ctrl+Alt+F",
         [&] { QTest::keyClick(table()->tableView(), Qt::Key_F, Qt::ControlModifier | Qt::AltModifier); }},
        {"the Find button", [&] { QTest::mouseClick(findButton(), Qt::LeftButton); }},
    };
    document->controller->window()->activateWindow();
    for (const auto &way : ways) {
        SCOPED_TRACE(way.how);
        Pasteboard::find().setString(QStringLiteral("abe"));
        table()->tableView()->setFocus();
        way.show();
        settle();
        ASSERT_TRUE(bar()->isVisible());
        QWidget *focus = QApplication::focusWidget();
        ASSERT_EQ(focus, bar()->searchField());
        EXPECT_EQ(bar()->searchField()->selectedText(), QStringLiteral("abe"));
        QTest::keyClicks(focus, QStringLiteral("cid"));
        EXPECT_EQ(bar()->searchField()->text(), QStringLiteral("cid"));
        // Hidden again through the Done button.
        QTest::mouseClick(bar()->doneButton(), Qt::LeftButton);
        settle();
        ASSERT_FALSE(bar()->isVisible());
    }
}

TEST_F(FindBarTest, ReplacingFollowsTheEditState) {
    pick(QStringLiteral("Find…"));
    EXPECT_TRUE(bar()->replaceControl()->isEnabled());
    document->controller->editButton()->click();
    EXPECT_FALSE(bar()->replaceControl()->isEnabled());
    document->controller->editButton()->click();
    EXPECT_TRUE(bar()->replaceControl()->isEnabled());
}

TEST_F(FindBarTest, FindingStepsThroughTheShownCellsBothWaysAndWrapsOnce) {
    pick(QStringLiteral("Find…"));
    EXPECT_TRUE(bar()->isVisible());
    EXPECT_EQ(findButton()->text(), QStringLiteral("Hide"));
    table()->selectRowIndexes({rowOf(QStringLiteral("Cid Cole"))});
    table()->selectRowIndexes({rowOf(QStringLiteral("Ann Abe"))});
    type(QStringLiteral("ab"));
    EXPECT_EQ(Pasteboard::find().stringForType(), QStringLiteral("ab"));
    const int ann = rowOf(QStringLiteral("Ann Abe"));
    const int annHome = rowOf(QStringLiteral("Ann Abe"), 1);
    const int abacus = rowOf(QStringLiteral("Abacus Ltd"));
    EXPECT_EQ(match(), QStringLiteral("%1/Name:Ab").arg(ann));
    EXPECT_TRUE(table()->tableView()->hasFocus());
    // Every occurrence shows, the current one apart.
    EXPECT_EQ(marksIn(FieldId::Email, ann), 1);
    const QStringList forwards = {
        QStringLiteral("%1/Email:ab").arg(ann), QStringLiteral("%1/Email:ab").arg(annHome),
        QStringLiteral("%1/Name:Ab").arg(abacus), QStringLiteral("%1/Email:ab").arg(abacus),
        // Past the last row: the first again.
        QStringLiteral("%1/Name:Ab").arg(ann)};
    for (const QString &expected : forwards) {
        press(bar()->directControl(), 1);
        EXPECT_EQ(match(), expected);
    }
    press(bar()->directControl(), 0);
    EXPECT_EQ(match(), QStringLiteral("%1/Email:ab").arg(abacus));
    pick(QStringLiteral("Find Previous"));
    EXPECT_EQ(match(), QStringLiteral("%1/Name:Ab").arg(abacus));
    pick(QStringLiteral("Find Next"));
    EXPECT_EQ(match(), QStringLiteral("%1/Email:ab").arg(abacus));

    // The case option: "Ab" no longer matches "ab".
    bar()->optionPopup()->setCurrentIndex(1);
    emit bar()->optionPopup()->activated(1);
    type(QStringLiteral("Ab"));
    EXPECT_EQ(view->windowState()->findOptions(), QStringLiteral("caseSensitive"));
    EXPECT_EQ(marksIn(FieldId::Email, ann), 0);
    EXPECT_EQ(match(), QStringLiteral("%1/Name:Ab").arg(ann));
    press(bar()->directControl(), 1);
    EXPECT_EQ(match(), QStringLiteral("%1/Name:Ab").arg(abacus));
}

TEST_F(FindBarTest, DoneHidesTheBarAndClearsTheMarks) {
    pick(QStringLiteral("Find…"));
    type(QStringLiteral("abe"));
    const int ann = rowOf(QStringLiteral("Ann Abe"));
    ASSERT_GT(marksIn(FieldId::Email, ann), 0);
    QTest::mouseClick(bar()->doneButton(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(findButton()->isEnabled());
    EXPECT_EQ(findButton()->text(), QStringLiteral("Find"));
    EXPECT_TRUE(view->findString().isEmpty());
    EXPECT_TRUE(bar()->searchField()->text().isEmpty());
    EXPECT_EQ(marksIn(FieldId::Email, ann), 0);
    EXPECT_EQ(marksIn(FieldId::Name, ann), 0);
    // The find pasteboard keeps the text for the next showing.
    pick(QStringLiteral("Use Selection for Find"));
    EXPECT_EQ(view->findString(), QStringLiteral("abe"));
    EXPECT_FALSE(bar()->isVisible());
}

TEST_F(FindBarTest, AMatchInTheDetailPanelIsSelectedThereAndTakesTheFocus) {
    document->controller->splitButtons()->press(1);
    table()->selectRowIndexes({rowOf(QStringLiteral("Ann Abe"))});
    pick(QStringLiteral("Find…"));
    type(QStringLiteral("lab"));
    ContactInfoController *detail = view->contactInfoController();
    EXPECT_TRUE(detail->tableView()->hasFocus());
    const QModelIndexList rows = detail->tableView()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(detail->table().at(rows.first().row()).type, FieldId::Note);
    const auto content = detail->textCellContent(rows.first().row());
    ASSERT_TRUE(content);
    EXPECT_EQ(content->highlights, (TextHighlights{{0, 3, TextHighlight::CurrentMatch}}));
    // A match in the middle name's row: the table marks the occurrence in the joined name, not
    // the panel's range as its current match. (Ann chosen again: the search starts at her name,
    // not after her note, from where it would go on to the next contact.)
    table()->selectRowIndexes({rowOf(QStringLiteral("Cid Cole"))});
    table()->selectRowIndexes({rowOf(QStringLiteral("Ann Abe"))});
    type(QStringLiteral("ab"));
    EXPECT_EQ(view->selectedItemAndRange()->subIdentifier, FieldId::MiddleName);
    EXPECT_EQ(table()->viewForTableColumn(FieldId::Name, rowOf(QStringLiteral("Ann Abe"))).highlights,
              (TextHighlights{{4, 2, TextHighlight::FindMatch}}));
    type(QStringLiteral("lab"));
    // The only hit: Next finds it again.
    press(bar()->directControl(), 1);
    EXPECT_EQ(view->selectedItemAndRange()->identifier, FieldId::Note);
    EXPECT_EQ(view->selectedItemAndRange()->range, (TextRange{0, 3}));
}

TEST_F(FindBarTest, WithTheDetailPanelShownFindNextGoesOnToTheOtherContacts) {
    document->controller->splitButtons()->press(1);
    table()->selectRowIndexes({rowOf(QStringLiteral("Ann Abe"))});
    pick(QStringLiteral("Find…"));
    type(QStringLiteral("example"));
    Window *window = document->controller->window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ContactInfoController *detail = view->contactInfoController();
    // Where the user sees the match: the contact the table selects and the panel shows, and
    // the value the panel selects.
    const auto shown = [&] {
        const QList<SubContactRowPtr> rows = table()->selectedSubContacts();
        const QModelIndexList selected = detail->tableView()->selectionModel()->selectedRows();
        const InfoTableRow row = selected.isEmpty() ? InfoTableRow() : detail->table().at(selected.first().row());
        return QStringLiteral("%1|%2 %3:%4")
            .arg(rows.isEmpty() ? QString() : rows.first()->person->compositeName(),
                 detail->contact()->person->compositeName(), row.type)
            .arg(row.labelIndex.value_or(-1));
    };
    const QString annWork = QStringLiteral("Ann Abe|Ann Abe Email:0");
    const QString annHome = QStringLiteral("Ann Abe|Ann Abe Email:1");
    const QString abacus = QStringLiteral("Abacus Ltd|Abacus Ltd Email:0");
    EXPECT_EQ(shown(), annWork);
    // Ctrl+G and Shift+Ctrl+G as the keys come, with the focus in the search field, in the
    // panel or in the table; the bar's arrows. Cid has no match; past the last row the
    // first again.
    struct Step {
        const char *how;
        std::function<void()> press;
        QString expected;
    };
    const auto key = [&](QWidget *focus, Qt::KeyboardModifiers modifiers) {
        return [=] {
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_G, modifiers);
            settle();
        };
    };
    const Step steps[] = {
        {"Ctrl+G in the search field", key(bar()->searchField(), Qt::ControlModifier), annHome},
        {"Ctrl+G in the panel", key(detail->tableView(), Qt::ControlModifier), abacus},
        {"Ctrl+G in the table", key(table()->tableView(), Qt::ControlModifier), annWork},
        {"Shift+Ctrl+G in the table", key(table()->tableView(), Qt::ControlModifier | Qt::ShiftModifier),
         abacus},
        {"the bar's Next", [&] { press(bar()->directControl(), 1); }, annWork},
        {"the bar's Previous", [&] { press(bar()->directControl(), 0); }, abacus},
        {"Find Previous", [&] { pick(QStringLiteral("Find Previous")); }, annHome},
    };
    for (const Step &step : steps) {
        step.press();
        EXPECT_EQ(shown(), step.expected) << step.how;
    }
}

TEST_F(FindBarTest, ReplaceChangesTheMatchedPartOnlyAndMovesOn) {
    pick(QStringLiteral("Find and Replace…"));
    table()->selectRowIndexes({rowOf(QStringLiteral("Cid Cole"))});
    table()->selectRowIndexes({rowOf(QStringLiteral("Ann Abe"))});
    type(QStringLiteral("ab"));
    bar()->replaceStringField()->setText(QStringLiteral("Ob"));
    press(bar()->replaceControl(), 0);
    // Only the last name changed; the middle name "Mab" the cell does not show stays.
    const int ann = rowOf(QStringLiteral("Ann Obe"));
    ASSERT_GE(ann, 0);
    const NameRecord name = table()->subContactTable()[ann]->person->nameValue();
    EXPECT_EQ(name.middleName, QStringLiteral("Mab"));
    EXPECT_EQ(name.firstName, QStringLiteral("Ann"));
    EXPECT_EQ(table()->viewForTableColumn(FieldId::Name, ann).text, QStringLiteral("Ann Obe"));
    EXPECT_EQ(match(), QStringLiteral("%1/Email:ab").arg(ann));
    EXPECT_TRUE(edited());
    press(bar()->replaceControl(), 0);
    press(bar()->replaceControl(), 0);
    QMPerson &annPerson = *table()->subContactTable()[ann]->person;
    EXPECT_EQ(annPerson.emailValues().at(0).valueText(), QStringLiteral("work@Obe.example"));
    EXPECT_EQ(annPerson.emailValues().at(1).valueText(), QStringLiteral("home@Obe.example"));
    // A company shown in the name cell is no name part: Replace leaves it and moves on.
    const int abacus = rowOf(QStringLiteral("Abacus Ltd"));
    EXPECT_EQ(match(), QStringLiteral("%1/Name:Ab").arg(abacus));
    press(bar()->replaceControl(), 0);
    EXPECT_EQ(rowOf(QStringLiteral("Abacus Ltd")), abacus);
    EXPECT_EQ(match(), QStringLiteral("%1/Email:ab").arg(abacus));
}

TEST_F(FindBarTest, FindNextAfterAReplaceThatLengthensTheTextStartsAfterTheReplacement) {
    pick(QStringLiteral("Find and Replace…"));
    table()->selectRowIndexes({rowOf(QStringLiteral("Ann Abe"))});
    type(QStringLiteral("ab"));
    pick(QStringLiteral("Find Next"));
    ASSERT_TRUE(view->selectedItemAndRange());
    ASSERT_EQ(view->selectedItemAndRange()->identifier, FieldId::Email);
    const qint64 replaced = view->selectedItemAndRange()->labelIndex;
    // The replacement holds the find string twice: neither is a match to move to.
    bar()->replaceStringField()->setText(QStringLiteral("abab"));
    press(bar()->replaceControl(), 0);
    const auto person = table()->subContactTable()[rowOf(QStringLiteral("Ann Abe"))]->person;
    EXPECT_EQ(person->emailValues().at(int(replaced)).valueText(), QStringLiteral("work@ababe.example"));
    ASSERT_TRUE(view->selectedItemAndRange());
    const FindTarget next = *view->selectedItemAndRange();
    EXPECT_FALSE(next.identifier == FieldId::Email && next.labelIndex == replaced)
        << "the match stays in the replaced text at " << next.range.location;
}

TEST_F(FindBarTest, ReplaceAllIsOneUndoStepOverEveryContactOfTheGroup) {
    pick(QStringLiteral("Find and Replace…"));
    type(QStringLiteral("AB"));
    // The current match on an e-mail of Ann's: the table's refresh must not take it to
    // the selected row's name.
    const auto onAnnsEmail = [this] {
        const auto &target = view->selectedItemAndRange();
        return target && target->identifier == FieldId::Email && target->contact &&
               target->contact->compositeName() == QStringLiteral("Ann Abe");
    };
    for (int step = 0; step < 8 && !onAnnsEmail(); ++step)
        pick(QStringLiteral("Find Next"));
    ASSERT_TRUE(onAnnsEmail());
    const FindTarget current = *view->selectedItemAndRange();
    bar()->replaceStringField()->setText(QStringLiteral("xy"));
    press(bar()->replaceControl(), 1);
    ASSERT_TRUE(view->selectedItemAndRange());
    EXPECT_EQ(view->selectedItemAndRange()->uniqueId, current.uniqueId)
        << "Replace All keeps the current match";
    EXPECT_EQ(view->selectedItemAndRange()->identifier, current.identifier);
    EXPECT_EQ(view->selectedItemAndRange()->labelIndex, current.labelIndex);
    const auto names = [this] {
        QStringList all;
        for (const ContactEntry &entry : std::as_const(*view->contactTable()))
            all << entry.person->compositeName() + " " + entry.person->nameValue().middleName + " " +
                       entry.person->emailValues().value(0).valueText() + " " +
                       entry.person->stringValueForIdentifier(FieldId::Note);
        return all;
    };
    // Shown columns only: the middle name and the note stay; a company name stays a company's.
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Ann xye Mab work@xye.example Lab notes"),
                                    QStringLiteral("Abacus Ltd  desk@xyacus.example "),
                                    QStringLiteral("Cid Cole   ")}));
    EXPECT_TRUE(edited());
    Menu *edit = findSubmenu(document->controller->window()->mainMenu(), QStringLiteral("Edit"));
    edit->update();
    edit->itemWithTitle(QStringLiteral("Undo"))->trigger();
    settle();
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Ann Abe Mab work@abe.example Lab notes"),
                                    QStringLiteral("Abacus Ltd  desk@abacus.example "),
                                    QStringLiteral("Cid Cole   ")}));
    EXPECT_FALSE(edited());
}

// The buttons work on what the search field shows: a text typed there without Return is
// entered first, as Return enters it, and so is one typed into the replace field.
TEST_F(FindBarTest, TheButtonsTakeTheTextsTypedWithoutReturn) {
    pick(QStringLiteral("Find and Replace…"));
    const auto values = [this] {
        QStringList all;
        for (const ContactEntry &entry : std::as_const(*view->contactTable())) {
            QStringList emails;
            for (const LabeledValueRecord &email : entry.person->emailValues())
                emails << email.valueText();
            all << entry.person->compositeName() + ": " + emails.join(QLatin1Char(' '));
        }
        return all;
    };
    const QStringList original = values();
    const QStringList annReplaced = {QStringLiteral("Ann xyz: work@abe.example home@abe.example"),
                                     original[1], original[2]};
    const QStringList allReplaced = {QStringLiteral("Ann xyz: work@xyz.example home@xyz.example"),
                                     original[1], original[2]};
    ASSERT_EQ(original[0], QStringLiteral("Ann Abe: work@abe.example home@abe.example"));
    const struct {
        const char *button;
        SegmentedButtons *(FindBarController::*control)();
        int segment;
        // The selected match: the contact's row of that value, the column and the orange text.
        QString name;
        qint64 labelIndex;
        QString cell;
        QStringList values;
    } presses[] = {
        {"Next", &FindBarController::directControl, 1, "Ann Abe", 0, "Name:Abe", original},
        {"Previous", &FindBarController::directControl, 0, "Ann Abe", 1, "Email:abe", original},
        {"Replace", &FindBarController::replaceControl, 0, "Ann xyz", 0, "Email:abe", annReplaced},
        {"All", &FindBarController::replaceControl, 1, "Ann xyz", 0, "Name:xyz", allReplaced},
    };
    for (const auto &pressed : presses) {
        SCOPED_TRACE(pressed.button);
        // An earlier search stands on Cid's name.
        type(QStringLiteral("Cid"));
        ASSERT_EQ(match(), QStringLiteral("%1/Name:Cid").arg(rowOf(QStringLiteral("Cid Cole"))));
        QLineEdit *field = bar()->searchField();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("abe"));
        QLineEdit *replacement = bar()->replaceStringField();
        QTest::mouseClick(replacement, Qt::LeftButton);
        replacement->selectAll();
        QTest::keyClicks(replacement, QStringLiteral("xyz"));
        press((bar()->*pressed.control)(), pressed.segment);
        settle();

        EXPECT_EQ(match().toStdString(), QStringLiteral("%1/%2")
                                             .arg(rowOf(pressed.name, pressed.labelIndex))
                                             .arg(pressed.cell)
                                             .toStdString());
        EXPECT_EQ(view->findString(), QStringLiteral("abe"));
        EXPECT_EQ(Pasteboard::find().stringForType(), QStringLiteral("abe"));
        EXPECT_EQ(values(), pressed.values);
        EXPECT_EQ(edited(), pressed.values != original);
        if (pressed.values == original)
            continue;
        // One Undo takes the replacing back.
        Menu *edit = findSubmenu(document->controller->window()->mainMenu(), QStringLiteral("Edit"));
        edit->update();
        edit->itemWithTitle(QStringLiteral("Undo"))->trigger();
        settle();
        EXPECT_EQ(values(), original);
        EXPECT_FALSE(edited());
    }
}

// The panel shows the contact's custom items as rows: Replace All reaches them as Find and
// Replace do.
TEST_F(FindBarTest, ReplaceAllInTheDetailPanelReachesItsCustomItems) {
    document = open(SampleCards, QStringLiteral("Hobbies.vcf"));
    view = content(document);
    settle();
    document->controller->splitButtons()->press(1);
    table()->selectRowIndexes({rowOf(QStringLiteral("Dee Dunn"))});
    pick(QStringLiteral("Find and Replace…"));
    type(QStringLiteral("chess"));
    ASSERT_TRUE(view->selectedItemAndRange());
    EXPECT_EQ(view->selectedItemAndRange()->identifier, QStringLiteral("HOBBY"));
    bar()->replaceStringField()->setText(QStringLiteral("Go"));
    press(bar()->replaceControl(), 1);
    const std::shared_ptr<QMPerson> dee = view->contactTable()->at(3).person;
    EXPECT_EQ(dee->stringValueForIdentifier(QStringLiteral("HOBBY")), QStringLiteral("Go"));
    Menu *edit = findSubmenu(document->controller->window()->mainMenu(), QStringLiteral("Edit"));
    edit->update();
    edit->itemWithTitle(QStringLiteral("Undo"))->trigger();
    settle();
    EXPECT_EQ(dee->stringValueForIdentifier(QStringLiteral("HOBBY")), QStringLiteral("Chess"));
}

} // namespace tessarin
