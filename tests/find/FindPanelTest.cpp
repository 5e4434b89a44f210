#include "tests/find/FindTestSupport.h"

#include "find/FindMatcher.h"
#include "find/SegmentedButtons.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "tests/support/TestTranslation.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

QString shown(const QString &key) {
    return QMPerson::localizedIdentifierForKey(key);
}

class FindPanelTest : public testing::Test {
protected:
    DefaultLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
    RecordingEdits edits;
    FindPanel panel;
    QList<ContactEntry> contacts = {entryFromVCard(QStringLiteral("N:Lee;Ann;;;\nTEL;type=HOME:03-1234\n")),
                                    entryFromVCard(QStringLiteral("N:Kim;Lee;;;\nORG:Lee & Ann\n"))};

    void open(const QStringList &selectedItems = {}, const QString &searchString = {}) {
        panel.setSearchString(searchString);
        panel.setContacts(contacts);
        panel.setSelectedItems(selectedItems);
        panel.setLabels(FindPanel::openerLabels());
        panel.setLocalizedLabels(FindPanel::openerLocalizedLabels());
        panel.setEditState(true);
        panel.setParentViewController(&edits);
        panel.window()->show();
    }
    static Menu *menu(PullDownButton *popup) { return popup->pullDownMenu(); }
    void choose(PullDownButton *popup, const QString &entry) {
        Menu *entries = menu(popup);
        entries->update();
        MenuItem *item = entries->itemAtIndex(entries->indexOfItemWithRepresentedObject(entry));
        ASSERT_TRUE(item) << entry.toStdString();
        item->trigger();
    }
    // The entries ticked when the popup opens.
    QStringList ticked(PullDownButton *popup) {
        menu(popup)->update();
        QStringList on;
        for (MenuItem *item : menu(popup)->itemArray())
            if (item->state() == StateOn)
                on.append(item->representedObject().toString());
        return on;
    }
    QStringList rowValues() {
        QStringList values;
        for (const FindResultRowPtr &row : panel.searchResults())
            values.append(row->value);
        return values;
    }
};

TEST_F(FindPanelTest, OpensWithTheHandedOverInputsAndNoSearch) {
    open();
    EXPECT_TRUE(panel.searchField()->text().isEmpty());
    EXPECT_EQ(panel.itemPopup()->text(), QStringLiteral("%1 - %2").arg(L("Items"), L("All")));
    EXPECT_EQ(panel.subItemPopup()->text(), QStringLiteral("%1 - %2").arg(L("Sub Items"), L("All")));
    EXPECT_EQ(panel.labelPopup()->text(), QStringLiteral("%1 - %2").arg(L("Label"), L("All")));
    // "All", the 19 fields and the five address parts right after "Address".
    EXPECT_EQ(panel.items().size(), 25);
    EXPECT_EQ(panel.items().mid(12, 6),
              QStringList({"Address", "ZIP", "State", "City", "Street", "Country"}));
    EXPECT_EQ(menu(panel.itemPopup())->numberOfItems(), 26); // the title first
    EXPECT_EQ(panel.subItems().size(), 23);
    // Each label word once per field that has it, under its title; "All" first.
    const QStringList labels = FindPanel::openerLabels();
    EXPECT_EQ(menu(panel.labelPopup())->numberOfItems(), labels.size() + 2);
    EXPECT_EQ(menu(panel.labelPopup())->itemAtIndex(2)->title(), FindPanel::openerLocalizedLabels().first());
    EXPECT_EQ(ticked(panel.itemPopup()), QStringList{FindMatcher::All});
    EXPECT_EQ(panel.compareOptions(), FindCompareOptions::CaseInsensitive);
    EXPECT_FALSE(panel.isSearching());
    EXPECT_EQ(panel.tableView()->model()->rowCount(), 0);
    EXPECT_EQ(panel.closeButton()->text(), L("Done"));
    EXPECT_EQ(panel.replaceButtons()->labelForSegment(1), L("All"));
}

TEST_F(FindPanelTest, TheTableColumnsAndACustomItemJoinTheItems) {
    CustomItemDefinition boat{
        QStringLiteral("Boat"), ValueKind::String, {}, {}, false, false, false, false, {}};
    panel.setCustomItems({boat});
    open({FieldId::Name, FieldId::Phone}, QStringLiteral("Lee"));
    EXPECT_EQ(panel.searchField()->text(), QStringLiteral("Lee"));
    EXPECT_EQ(panel.items().last(), QStringLiteral("Boat"));
    EXPECT_EQ(panel.itemPopup()->text(),
              QStringLiteral("%1 - %2 + %3 ").arg(L("Items"), shown(FieldId::Name), shown(FieldId::Phone)));
    EXPECT_EQ(ticked(panel.itemPopup()), QStringList({FieldId::Name, FieldId::Phone}));
}

TEST_F(FindPanelTest, ChoosingEntriesKeepsAllAloneOrASetThatNeverEmpties) {
    open({}, QStringLiteral("Lee"));
    const QList<std::pair<QString, QStringList>> steps = {
        {FieldId::Phone, {FieldId::Phone}},
        {FieldId::Phone, {FieldId::Phone}},
        {FieldId::Email, {FieldId::Phone, FieldId::Email}},
        {FieldId::Phone, {FieldId::Email}},
        {FindMatcher::All, {FindMatcher::All}},
    };
    for (const auto &[entry, selection] : steps) {
        choose(panel.itemPopup(), entry);
        EXPECT_EQ(panel.selectedItems(), selection) << entry.toStdString();
        EXPECT_EQ(ticked(panel.itemPopup()), selection);
        EXPECT_TRUE(panel.isSearching()); // every choice searches again
    }
    EXPECT_EQ(panel.itemPopup()->text(), QStringLiteral("%1 - %2").arg(L("Items"), L("All")));

    choose(panel.subItemPopup(), FieldId::City);
    EXPECT_EQ(panel.subItemPopup()->text(),
              QStringLiteral("%1 - %2 ").arg(L("Sub Items"), shown(FieldId::City)));
    choose(panel.subItemPopup(), FindMatcher::All);
    EXPECT_EQ(panel.subItemPopup()->text(), QStringLiteral("%1 - %2").arg(L("Sub Items"), L("All")));

    choose(panel.labelPopup(), QStringLiteral("home"));
    choose(panel.labelPopup(), QStringLiteral("work"));
    EXPECT_EQ(panel.selectedLabels(), QStringList({"home", "work"}));
    EXPECT_EQ(panel.labelPopup()->text(),
              QStringLiteral("%1 - %2+%3")
                  .arg(L("Label"), panel.selectedLocalizedLabels()[0], panel.selectedLocalizedLabels()[1]));
    EXPECT_EQ(panel.selectedLocalizedLabels()[0],
              QMPerson::localizedLabelFromCNLabel(*QMPerson::CNLabelFromLabel(QStringLiteral("home"))));
}

TEST_F(FindPanelTest, OfTwoQuickSearchesOnlyTheSecondShows) {
    open();
    enterSearch(panel, QStringLiteral("Ann"));
    enterSearch(panel, QStringLiteral("Kim"));
    ASSERT_TRUE(waitForResults(panel));
    QTest::qWait(50);
    EXPECT_EQ(rowValues(), QStringList{QStringLiteral("Kim")});
    EXPECT_EQ(panel.selectedRow(), 0);
    EXPECT_EQ(panel.selectedRangeIndex(), 0);
    EXPECT_EQ(panel.searchString(), QStringLiteral("Kim"));
}

// The modes read as words of the user's language and keep the compare options they carry.
TEST_F(FindPanelTest, TheModesReadAsTranslatedWordsAndKeepTheirOptions) {
    const TestTranslation german(
        {{QStringLiteral("Ignore Case"), QStringLiteral("Groß/klein egal")},
         {QStringLiteral("Match Case"), QStringLiteral("Groß/klein beachten")},
         {QStringLiteral("Regular Expression"), QStringLiteral("Regulärer Ausdruck")}});
    open();
    QComboBox *popup = panel.searchModePopup();
    const struct {
        int index;
        QString title;
        unsigned options;
    } rows[] = {
        {1, QStringLiteral("Groß/klein beachten"), FindCompareOptions::CaseSensitive},
        {2, QStringLiteral("Regulärer Ausdruck"), FindCompareOptions::RegularExpression},
        {0, QStringLiteral("Groß/klein egal"), FindCompareOptions::CaseInsensitive},
    };
    ASSERT_EQ(popup->count(), int(std::size(rows)));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.title.toStdString());
        // Chosen with the keyboard, as from the popup.
        popup->setFocus();
        QTest::keyClick(popup, Qt::Key_Home);
        for (int step = 0; step < row.index; ++step)
            QTest::keyClick(popup, Qt::Key_Down);
        EXPECT_EQ(popup->currentIndex(), row.index);
        EXPECT_EQ(popup->itemText(row.index), row.title);
        EXPECT_EQ(panel.compareOptions(), row.options);
    }
}

TEST_F(FindPanelTest, TypingIntoTheOpenedWindowReplacesTheSearchText) {
    open({}, QStringLiteral("Lee"));
    panel.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.window()));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Ann"));
    EXPECT_EQ(panel.searchField()->text(), QStringLiteral("Ann"));
}

TEST_F(FindPanelTest, TheResultsColumnsReadAsTranslatedWords) {
    const TestTranslation german({{QStringLiteral("Name"), QStringLiteral("Name")},
                                  {QStringLiteral("Item"), QStringLiteral("Feld")},
                                  {QStringLiteral("Sub Item"), QStringLiteral("Teilfeld")},
                                  {QStringLiteral("Label"), QStringLiteral("Etikett")},
                                  {QStringLiteral("Value"), QStringLiteral("Wert")}});
    open();
    const QAbstractItemModel *model = panel.tableView()->model();
    QStringList titles;
    for (int column = 0; column < model->columnCount(); ++column)
        titles << model->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{"Name", "Feld", "Teilfeld", "Etikett", "Wert"}));
}

TEST_F(FindPanelTest, TheModeDecidesHowTheTextIsRead) {
    open();
    enterSearch(panel, QStringLiteral("lee"));
    ASSERT_TRUE(waitForResults(panel));
    EXPECT_EQ(rowValues(), QStringList({"Lee", "Lee", "Lee & Ann"}));

    panel.searchModePopup()->setCurrentIndex(1);
    panel.searchModePopupDidSelect(panel.searchModePopup());
    EXPECT_EQ(panel.compareOptions(), FindCompareOptions::CaseSensitive);
    ASSERT_TRUE(waitForResults(panel));
    EXPECT_TRUE(rowValues().isEmpty());

    panel.searchModePopup()->setCurrentIndex(2);
    panel.searchModePopupDidSelect(panel.searchModePopup());
    enterSearch(panel, QStringLiteral("(Lee"));
    ASSERT_TRUE(waitForResults(panel));
    EXPECT_TRUE(rowValues().isEmpty());
    EXPECT_TRUE(panel.patternErrorField()->isVisible());
    EXPECT_FALSE(panel.patternErrorField()->text().isEmpty());
    enterSearch(panel, QStringLiteral("^Lee$"));
    ASSERT_TRUE(waitForResults(panel));
    EXPECT_EQ(rowValues(), QStringList({"Lee", "Lee"}));
    EXPECT_FALSE(panel.patternErrorField()->isVisible());
}

TEST_F(FindPanelTest, EditAndLockChangeOnlyThisWindow) {
    open();
    EXPECT_EQ(panel.editButton()->text(), L("Lock"));
    EXPECT_EQ(panel.redSeparator()->height(), 2);
    EXPECT_EQ(panel.redSeparator()->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_TRUE(panel.replaceButtons()->isEnabled());
    panel.editButton()->click();
    EXPECT_FALSE(panel.editState());
    EXPECT_EQ(panel.editButton()->text(), L("Edit"));
    EXPECT_EQ(panel.redSeparator()->palette().color(QPalette::Window), QColor(Qt::gray));
    // Replacing is refused while locked, as editing is.
    EXPECT_FALSE(panel.replaceButtons()->isEnabled());
}

TEST_F(FindPanelTest, DoneAndTheCloseBoxEndTheModalRun) {
    for (const bool closeBox : {false, true}) {
        FindPanel modal;
        modal.setContacts(contacts);
        QTimer::singleShot(0, &modal, [&] {
            if (closeBox)
                modal.window()->close();
            else
                modal.closeButton()->click();
        });
        EXPECT_EQ(modal.runModal(), ModalResponse::Abort) << closeBox;
        EXPECT_FALSE(modal.window()->isVisible());
        EXPECT_EQ(Application::shared().modalWindow(), nullptr);
    }
}

} // namespace
