#include "tests/find/FindTestSupport.h"

#include "editors/DateViewController.h"
#include "find/FindMatcher.h"
#include "find/SegmentedButtons.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// The find window over given contacts, searched as a user searches it.
class FindResultsTest : public testing::Test {
protected:
    DefaultLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
    ApplyingEdits edits;
    FindPanel panel;
    QList<ContactEntry> contacts;

    void open(const QStringList &vCards, const QStringList &items = {FindMatcher::All}) {
        for (const QString &card : vCards)
            contacts.append(entryFromVCard(card));
        panel.setContacts(contacts);
        panel.setSelectedItems(items);
        panel.setParentViewController(&edits);
        panel.setEditState(true);
        panel.window()->show();
    }
    void search(const QString &text, int mode = 0) {
        panel.searchModePopup()->setCurrentIndex(mode);
        panel.searchModePopupDidSelect(panel.searchModePopup());
        enterSearch(panel, text);
        ASSERT_TRUE(waitForResults(panel));
    }
    const FindResultRow &row(int i) { return *panel.searchResults().at(i); }
    QString company(int contact) {
        return contacts[contact].person->stringValueForIdentifier(FieldId::Company);
    }
    void step(int segment) { panel.directionControl()->button(segment)->click(); }
    void replace(int segment, const QString &with) {
        panel.replaceField()->setText(with);
        panel.replaceButtons()->button(segment)->click();
    }
    // The marks of a row's Value cell: "o" for the current match, "." for the others.
    QString marks(int r) {
        QString out;
        for (const TextHighlight &mark :
             panel.tableView(panel.tableView(), QStringLiteral("Value"), r).highlights)
            out += mark.kind == TextHighlight::CurrentMatch ? u'o' : u'.';
        return out;
    }
    // Return ends the cell's editing; the table commits at its next turn.
    static void commit(QLineEdit *field) {
        QTest::keyClick(field, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    QRect cellRect(int r, int column) {
        return panel.tableView()->visualRect(panel.tableView()->model()->index(r, column));
    }
    void doubleClick(int r, int column) {
        // A click, then the second press of a double click (closer presses would make a triple click).
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        QTest::mouseClick(panel.tableView()->viewport(), Qt::LeftButton, {}, cellRect(r, column).center());
        QTest::mouseDClick(panel.tableView()->viewport(), Qt::LeftButton, {}, cellRect(r, column).center());
    }
};

TEST_F(FindResultsTest, StepsThroughEveryMatchAndWrapsBothWays) {
    open({QStringLiteral("ORG:Ann Banana\n"), QStringLiteral("ORG:Nan\n")}, {FieldId::Company});
    search(QStringLiteral("an"));
    ASSERT_EQ(panel.searchResults().size(), 2);
    EXPECT_EQ(row(0).ranges, TextRanges({{0, 2}, {5, 2}, {7, 2}}));
    const QList<std::tuple<int, int, int, QString, QString>> steps = {
        // segment, then the current row and range, and the two rows' marks
        {1, 0, 1, ".o.", "."}, {1, 0, 2, "..o", "."}, {1, 1, 0, "...", "o"},
        {1, 0, 0, "o..", "."}, {0, 1, 0, "...", "o"}, {0, 0, 2, "..o", "."},
    };
    EXPECT_EQ(marks(0), QStringLiteral("o.."));
    for (const auto &[segment, r, range, first, second] : steps) {
        step(segment);
        EXPECT_EQ(panel.selectedRow(), r);
        EXPECT_EQ(panel.selectedRangeIndex(), range);
        EXPECT_EQ(panel.tableView()->selectionModel()->selectedRows().value(0).row(), r);
        EXPECT_EQ(marks(0), first);
        EXPECT_EQ(marks(1), second);
    }
}

TEST_F(FindResultsTest, ReplaceRewritesTheMatchRecountsAndMovesOn) {
    open({QStringLiteral("ORG:Banana\n"), QStringLiteral("ORG:Nan\n")}, {FieldId::Company});
    search(QStringLiteral("an"));
    replace(0, QStringLiteral("x"));
    EXPECT_EQ(row(0).value, QStringLiteral("Bxana"));
    EXPECT_EQ(row(0).ranges, TextRanges({{2, 2}}));
    EXPECT_EQ(company(0), QStringLiteral("Bxana"));
    EXPECT_EQ(panel.selectedRow(), 1);
    EXPECT_EQ(panel.selectedRangeIndex(), 0);
    // A click picks a row and its first match.
    QTest::mouseClick(panel.tableView()->viewport(), Qt::LeftButton, {}, cellRect(0, 0).center());
    EXPECT_EQ(panel.selectedRow(), 0);
    replace(0, QStringLiteral("an-an"));
    EXPECT_EQ(row(0).value, QStringLiteral("Bxan-ana"));
    EXPECT_EQ(row(0).ranges, TextRanges({{2, 2}, {5, 2}}));
    EXPECT_EQ(panel.selectedRangeIndex(), 1);
}

TEST_F(FindResultsTest, ReplaceAllSkipsDatesIsOneUndoStepAndUndoRestoresRowsAndContacts) {
    open({QStringLiteral("ORG:Satsuma SAT\nNOTE:sat\nBDAY:1980-04-12\n")});
    search(QStringLiteral("sat"));
    ASSERT_EQ(panel.searchResults().size(), 3);
    EXPECT_EQ(row(2).item, FieldId::Birthday);
    replace(1, QStringLiteral("Sun"));
    EXPECT_EQ(company(0), QStringLiteral("Sunsuma Sun"));
    EXPECT_EQ(contacts[0].person->stringValueForIdentifier(FieldId::Note), QStringLiteral("Sun"));
    EXPECT_EQ(row(2).value, QStringLiteral("1980.04.12(Sat)"));
    EXPECT_EQ(panel.selectedRow(), -1);
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(marks(r), r == 2 ? QStringLiteral(".") : QString());
    // The selection stayed: forward goes to row 0, whose value holds no match any more.
    step(1);
    EXPECT_EQ(panel.selectedRow(), 0);
    EXPECT_FALSE(panel.isSearching());

    // The window's own Undo, from the keyboard.
    panel.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.window()));
    QTest::keyClick(panel.tableView(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(panel.undoManager()->canUndo());
    EXPECT_EQ(row(0).value, QStringLiteral("Satsuma SAT"));
    EXPECT_EQ(row(0).ranges, TextRanges({{0, 3}, {8, 3}}));
    EXPECT_EQ(company(0), QStringLiteral("Satsuma SAT"));
    EXPECT_EQ(contacts[0].person->stringValueForIdentifier(FieldId::Note), QStringLiteral("sat"));
    // The window's edits kept their own undo steps: undone here, then redone there.
    panel.undoManager()->redo();
    EXPECT_EQ(company(0), QStringLiteral("Sunsuma Sun"));
}

TEST_F(FindResultsTest, ReplacementsAreInsertedAsTypedWhateverTheMode) {
    open({QStringLiteral("ORG:cat hat\n")}, {FieldId::Company});
    search(QStringLiteral("(h|c)at"), 2);
    replace(1, QStringLiteral("$1\\0"));
    EXPECT_EQ(company(0), QStringLiteral("$1\\0 $1\\0"));
    // The searched text, not what the field shows by now.
    panel.undoManager()->undo();
    panel.searchField()->setText(QStringLiteral("cat"));
    replace(1, QStringLiteral("dog"));
    EXPECT_EQ(company(0), QStringLiteral("dog dog"));
}

TEST_F(FindResultsTest, ARefusedWriteBackLeavesTheRowAsItWas) {
    RecordingEdits refusing;
    refusing.accept = false;
    open({QStringLiteral("ORG:Banana\n")}, {FieldId::Company});
    panel.setParentViewController(&refusing);
    search(QStringLiteral("an"));
    replace(0, QStringLiteral("x"));
    EXPECT_EQ(refusing.calls, QStringList{QStringLiteral("Company Bxana")});
    EXPECT_EQ(row(0).value, QStringLiteral("Banana"));
    EXPECT_EQ(row(0).ranges.size(), 2);
    EXPECT_FALSE(panel.undoManager()->canUndo());
}

TEST_F(FindResultsTest, EachItemReachesItsContactThroughItsOwnOperation) {
    RecordingEdits recording;
    open({QStringLiteral("N:Zed;Zoe;;;\nX-PHONETIC-LAST-NAME:zed\nTEL;type=HOME:z1\n"
                         "item1.ADR;type=HOME:;;Z St;;;Z9;\nIMPP;X-SERVICE-TYPE=AIM:aim:zz\n")});
    panel.setParentViewController(&recording);
    search(QStringLiteral("z"));
    replace(1, QStringLiteral("Y"));
    EXPECT_EQ(recording.calls, QStringList({"name Yoe/Zed", "name Zoe/Yed", "Phone Y1", "Address Z St,Y9",
                                            "Address Y St,Z9", "Instant Message YY", "phonetic Yed"}));
}

TEST_F(FindResultsTest, EditingInPlaceWritesOnlyAChangeAndOnlyWhileUnlocked) {
    open({QStringLiteral("ORG:Banana\nNOTE:an\\nband\\nplan\n")}, {FieldId::Company, FieldId::Note});
    search(QStringLiteral("an"));
    EXPECT_EQ(panel.tableViewHeightOfRow(panel.tableView(), 1), 72.0);
    EXPECT_EQ(panel.tableView()->rowHeight(1), 72);
    EXPECT_EQ(panel.tableView()->rowHeight(0), 24);
    doubleClick(0, FindPanel::ValueColumn);
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    EXPECT_EQ(field->selectedText(), QStringLiteral("Banana"));
    commit(field);
    EXPECT_FALSE(panel.undoManager()->canUndo());

    doubleClick(0, FindPanel::ValueColumn);
    field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    QTest::keyClicks(field, QStringLiteral("Cherry"));
    commit(field);
    EXPECT_EQ(company(0), QStringLiteral("Cherry"));
    EXPECT_EQ(row(0).value, QStringLiteral("Cherry"));
    EXPECT_TRUE(marks(0).isEmpty());

    panel.editButton()->click(); // locked
    doubleClick(1, FindPanel::ValueColumn);
    EXPECT_FALSE(qobject_cast<QPlainTextEdit *>(QApplication::focusWidget()));
    replace(1, QStringLiteral("x"));
    EXPECT_EQ(contacts[0].person->stringValueForIdentifier(FieldId::Note), QStringLiteral("an\nband\nplan"));
}

TEST_F(FindResultsTest, TheDateEditorAnswersTheRowItWasOpenedFor) {
    open({QStringLiteral("ORG:Sat\nitem1.X-ABDATE:2005-06-04\nitem1.X-ABLabel:_$!<Anniversary>!$_\n")});
    search(QStringLiteral("sat"));
    ASSERT_EQ(panel.searchResults().size(), 2);
    const FindResultRowPtr dates = panel.searchResults()[1];
    EXPECT_EQ(dates->item, FieldId::Dates);
    EXPECT_FALSE(panel.replaceButtons()->isEnabled() && panel.selectedRow() == 1);
    doubleClick(1, 0);
    ASSERT_TRUE(panel.popover() && panel.popover()->isShown());
    auto *editor = qobject_cast<DateViewController *>(panel.popover()->contentViewController());
    ASSERT_TRUE(editor);
    EXPECT_EQ(panel.popover()->contentSize(), QSize(340, 284));
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("2005.06.04(Sat)"));

    // A search finishes while the editor is open: its answer still goes to its own row.
    search(QStringLiteral("Sat"), 1);
    editor->dateField()->setText(QStringLiteral("2005.06.05"));
    QTest::keyClick(editor->dateField(), Qt::Key_Return);
    editor->doneButton()->click();
    QTest::qWait(10);
    EXPECT_EQ(dates->value, QStringLiteral("2005.06.05(Sun)"));
    EXPECT_TRUE(dates->ranges.isEmpty());
    const auto stored = contacts[0].person->labeledValueForIdentifier(FieldId::Dates, qsizetype(0));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->dateValue, DateComponents(2005, 6, 5));
    EXPECT_EQ(stored->labelText(), dates->label);
}

TEST_F(FindResultsTest, SortingKeepsTheSelectedRow) {
    open({QStringLiteral("ORG:b an\n"), QStringLiteral("ORG:c an\n"), QStringLiteral("ORG:a an\n")},
         {FieldId::Company});
    search(QStringLiteral("an"));
    step(1); // the second row, "c an"
    panel.tableView()->sortByColumn(FindPanel::ValueColumn, Qt::AscendingOrder);
    QStringList values;
    for (const FindResultRowPtr &r : panel.searchResults())
        values.append(r->value);
    EXPECT_EQ(values, QStringList({"a an", "b an", "c an"}));
    EXPECT_EQ(panel.selectedRow(), 2);
    EXPECT_EQ(panel.tableView()->selectionModel()->selectedRows().value(0).row(), 2);
}

// The texts searched follow the window's changes, also when the change comes while a
// search runs: that search starts over.
TEST_F(FindResultsTest, AChangeDuringASearchIsSearchedToo) {
    open({QStringLiteral("ORG:Banana\n")}, {FieldId::Company});
    search(QStringLiteral("an"));
    replace(1, QStringLiteral("x"));
    enterSearch(panel, QStringLiteral("an"));
    ASSERT_TRUE(panel.isSearching());
    panel.undoManager()->undo();
    ASSERT_TRUE(waitForResults(panel));
    ASSERT_EQ(panel.searchResults().size(), 1);
    EXPECT_EQ(row(0).value, QStringLiteral("Banana"));
    search(QStringLiteral("x"));
    EXPECT_TRUE(panel.searchResults().isEmpty());
}

} // namespace
