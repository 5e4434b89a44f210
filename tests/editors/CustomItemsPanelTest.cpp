#include "tests/editors/CustomItemSamples.h"
#include "tests/editors/CustomPanelsTestSupport.h"
#include "tests/editors/EditorTestSupport.h"
#include "tests/support/TestSupport.h"

#include "editors/CustomItemEditor.h"
#include "editors/CustomItemsPanel.h"
#include "model/QMPerson.h"
#include "platform/ui/Beep.h"
#include "platform/ui/Dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

QStringList namesOf(const QList<CustomItemDefinition> &items) {
    QStringList names;
    for (const CustomItemDefinition &definition : items)
        names.append(definition.name);
    return names;
}

QString savedImage(const QString &name, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = testScratchDirectory() + u'/' + name;
    image.save(path);
    return path;
}

class CustomItemsPanelTest : public ::testing::Test {
protected:
    SheetHost host;
    CustomItemPanel panel;
    QList<CustomItemDefinition> windowItems;
    RecordingBeeper beeper;

    void open(const QList<CustomItemDefinition> &items, bool isVCard = true) {
        windowItems = items;
        panel.setCustomItems(windowItems);
        panel.setIsVCard(isVCard);
        host.begin(panel);
    }
    AddItemViewController *editor() { return panel.addItemViewController(); }
    bool editorShown() {
        return panel.popover() && panel.popover()->isShown() &&
               panel.popover()->contentViewController() == editor();
    }
    void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    void doubleClick(int row) { doubleClickRow(panel.tableView(), row); }
    // A new item typed into the editor; Done not pressed.
    void typeNewItem(const QString &name, const QStringList &labels) {
        press(panel.addButton());
        ASSERT_TRUE(editorShown());
        typeText(editor()->nameField(), name);
        if (labels.isEmpty())
            return;
        choose(editor()->typePopup(), ValueKind::Labeled);
        for (const QString &label : labels) {
            press(editor()->addButton());
            typeIntoRow(editor()->tableView(), label);
        }
    }
    void selectRows(const QList<int> &rows) {
        panel.tableView()->clearSelection();
        for (int row : rows)
            panel.tableView()->selectionModel()->select(panel.tableView()->model()->index(row, 0),
                                                        QItemSelectionModel::Select |
                                                            QItemSelectionModel::Rows);
    }
    // A press in the panel outside the popover: a semitransient popover closes.
    void clickElsewhere() {
        QWidget *content = panel.window()->centralWidget();
        const QRect covered = panel.popover()->frame()->geometry();
        for (const QPoint at :
             {QPoint(4, 4), QPoint(content->width() - 4, 4), QPoint(4, content->height() - 4)})
            if (!covered.contains(content->mapTo(panel.window(), at))) {
                QTest::mouseClick(content->childAt(at) ? content->childAt(at) : content, Qt::LeftButton);
                return;
            }
        FAIL() << "the popover covers the panel";
    }
    QStringList menuTitles() {
        Menu menu;
        editor()->menuNeedsUpdate(&menu);
        QStringList titles;
        for (MenuItem *menuItem : menu.itemArray())
            titles.append(menuItem->title());
        return titles;
    }
};

TEST_F(CustomItemsPanelTest, ANewLabeledItemIsAddedAfterDoneAndTheWindowTakesItWithItsLabels) {
    open({customItem("Hobby")});
    press(panel.addButton());
    EXPECT_EQ(editor()->doneButton()->text(), "Add");
    EXPECT_FALSE(editor()->doneButton()->isEnabled());
    EXPECT_TRUE(editor()->nameField()->isEnabled());
    EXPECT_EQ(menuTitles(), QStringList{"Add Image"});
    EXPECT_FALSE(editor()->imageView()->pixmap().isNull()) << "the cube";

    typeText(editor()->nameField(), QStringLiteral("Pets"));
    choose(editor()->typePopup(), ValueKind::Labeled);
    press(editor()->doneButton());
    EXPECT_EQ(beeper.count, 1) << "a labeled item needs a label";
    ASSERT_TRUE(editorShown());
    press(editor()->addButton());
    press(editor()->addButton());
    EXPECT_EQ(editor()->table(), (QStringList{"new1", "new"}))
        << "numbered; the second in front of the first";
    doubleClickRow(editor()->tableView(), 1);
    typeIntoRow(editor()->tableView(), QStringLiteral("cat"));
    press(editor()->doneButton());

    EXPECT_FALSE(editorShown());
    EXPECT_EQ(columnTexts(panel.tableView()), (QStringList{"Hobby", "Pets"}));
    EXPECT_EQ(columnTexts(panel.tableView(), 1).last(), ValueKind::Labeled);
    EXPECT_EQ(columnTexts(panel.tableView(), 2).last(), "new1,cat");
    EXPECT_EQ(panel.tableView()->selectionModel()->selectedRows().value(0).row(), 1);
    press(panel.doneButton());
    EXPECT_EQ(host.codes, QList<int>{1});

    EXPECT_FALSE(CustomItemPanel::applyCustomItems(windowItems, panel.customItems()))
        << "an addition marks nothing";
    ASSERT_EQ(namesOf(windowItems), (QStringList{"Hobby", "Pets"}));
    EXPECT_FALSE(windowItems.last().isNew || windowItems.last().changed);
    EXPECT_EQ(windowItems.last().labels, (QStringList{"new1", "cat"}));
    EXPECT_EQ(*QMPerson::customLabelsForIdentifier("Pets"), (QStringList{"new1", "cat"}));
}

TEST_F(CustomItemsPanelTest, AnItemAddedInThisOpeningCanBeChangedAgainAndIsAddedOnce) {
    open({customItem("Hobby")});
    typeNewItem(QStringLiteral("Pets"), {QStringLiteral("cat")});
    press(editor()->doneButton());
    ASSERT_FALSE(editorShown());
    doubleClick(1);
    ASSERT_TRUE(editorShown());
    EXPECT_EQ(editor()->doneButton()->text(), "Change");
    press(editor()->addButton());
    press(editor()->doneButton());
    EXPECT_EQ(beeper.count, 0);
    EXPECT_FALSE(editorShown());
    EXPECT_EQ(columnTexts(panel.tableView()), (QStringList{"Hobby", "Pets"}));
    EXPECT_EQ(columnTexts(panel.tableView(), 2).last(), "cat,new");

    press(panel.doneButton());
    CustomItemPanel::applyCustomItems(windowItems, panel.customItems());
    ASSERT_EQ(namesOf(windowItems), (QStringList{"Hobby", "Pets"}));
    EXPECT_EQ(windowItems.last().labels, (QStringList{"cat", "new"}));
}

TEST_F(CustomItemsPanelTest, AnEditorClosedWithoutDoneAddsNothing) {
    open({customItem("Hobby")});
    typeNewItem(QStringLiteral("Shoes"), {});
    clickElsewhere();
    EXPECT_FALSE(editorShown());
    typeNewItem(QStringLiteral("Hats"), {});
    press(editor()->cancelButton());
    EXPECT_EQ(namesOf(panel.customItems()), QStringList{"Hobby"});
    press(panel.doneButton());
    EXPECT_FALSE(CustomItemPanel::applyCustomItems(windowItems, panel.customItems()));
    EXPECT_EQ(namesOf(windowItems), QStringList{"Hobby"});
}

TEST_F(CustomItemsPanelTest, NamesAVCardCannotCarryAreRefused) {
    const QStringList used = {QStringLiteral("Hobby")};
    for (const char *bad : {"", "  ", "hobby", "Phone", "Email", "ABDATE", "maidenname", "AIM", "ABLabel",
                            "a.b", "a:b", "a;b", "two\nlines", " padded"})
        EXPECT_FALSE(AddItemViewController::acceptsItemName(QString::fromUtf8(bad), used))
            << '"' << bad << '"';
    for (const char *good : {"Hobby2", "\u8DA3\u5473", "shoe-size"})
        EXPECT_TRUE(AddItemViewController::acceptsItemName(QString::fromUtf8(good), used)) << good;

    open({customItem("Hobby")});
    typeNewItem(QStringLiteral("HOBBY"), {});
    press(editor()->doneButton());
    EXPECT_EQ(beeper.count, 1);
    EXPECT_TRUE(editorShown());
    editor()->nameField()->clear();
    typeText(editor()->nameField(), QStringLiteral("Birthday"));
    press(editor()->doneButton());
    EXPECT_EQ(beeper.count, 2);
    EXPECT_TRUE(editorShown());
    // Labels are refused only for a line break.
    choose(editor()->typePopup(), ValueKind::Labeled);
    press(editor()->addButton());
    editor()->textFieldCellChanged(0, QStringLiteral("a\nb"));
    EXPECT_EQ(beeper.count, 3);
    editor()->textFieldCellChanged(0, QStringLiteral("a:b;c,d"));
    EXPECT_EQ(editor()->table(), QStringList{"a:b;c,d"});
}

TEST_F(CustomItemsPanelTest, DeleteIsOffWhileALockedItemIsSelected) {
    open({customItem("Locked", {}, true), customItem("B"), customItem("C")});
    EXPECT_FALSE(panel.delButton()->isEnabled());
    struct Case {
        QList<int> rows;
        bool enabled;
    };
    for (const Case &c : {Case{{1}, true}, Case{{0}, false}, Case{{1, 0}, false}, Case{{0, 1}, false},
                          Case{{1, 2}, true}, Case{{}, false}}) {
        selectRows(c.rows);
        EXPECT_EQ(panel.delButton()->isEnabled(), c.enabled) << c.rows.size();
    }
}

TEST_F(CustomItemsPanelTest, DeletedItemsShowAsDeletedAndTheWindowRemovesExactlyThose) {
    ScriptedDialogPresenter dialogs;
    open({customItem("A"), customItem("B"), customItem("C", {"x"})});
    dialogs.answerAlert(QStringLiteral("Cancel"));
    selectRows({1, 2});
    press(panel.delButton());
    QTest::qWait(20);
    EXPECT_FALSE(panel.itemsDirty());
    dialogs.answerAlert(QStringLiteral("OK"));
    press(panel.delButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.itemsDirty(); }, 2000));
    EXPECT_EQ(columnTexts(panel.tableView(), 1), (QStringList{ValueKind::String, "Deleted", "Deleted"}));
    press(panel.doneButton());
    EXPECT_EQ(host.codes, QList<int>{1});
    EXPECT_TRUE(CustomItemPanel::applyCustomItems(windowItems, panel.customItems()));
    EXPECT_EQ(namesOf(windowItems), QStringList{"A"});
}

TEST_F(CustomItemsPanelTest, CancelLeavesTheWindowsListUntouched) {
    ScriptedDialogPresenter dialogs;
    dialogs.answerAlert(QStringLiteral("OK"));
    open({customItem("A"), customItem("B", {"x"})});
    selectRows({0});
    press(panel.delButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.itemsDirty(); }, 2000));
    press(panel.cancelButton());
    EXPECT_EQ(host.codes, QList<int>{0});
    EXPECT_FALSE(windowItems.first().deleted) << "the panel marked its own copy";
    panel.setCustomItems(windowItems); // the next opening
    EXPECT_EQ(columnTexts(panel.tableView(), 1), (QStringList{ValueKind::String, ValueKind::Labeled}));
}

TEST_F(CustomItemsPanelTest, ALabeledItemTakesNewLabelsAndAnIconStoredAsPng) {
    ScriptedDialogPresenter dialogs;
    open({customItem("Hobby"), customItem("Pets", {"cat"})});
    doubleClick(0);
    EXPECT_FALSE(editorShown()) << "a String Value item has nothing to change";
    doubleClick(1);
    ASSERT_TRUE(editorShown());
    EXPECT_EQ(editor()->nameField()->text(), "Pets");
    EXPECT_FALSE(editor()->nameField()->isEnabled()) << "items are never renamed";
    EXPECT_FALSE(editor()->typePopup()->isEnabled());
    EXPECT_EQ(editor()->doneButton()->text(), "Change");

    const QString broken = testScratchDirectory() + QStringLiteral("/broken.png");
    QFile(broken).open(QIODevice::WriteOnly);
    dialogs.chooseFiles({QUrl::fromLocalFile(broken)});
    editor()->addImage();
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown().last().alert.messageText, "Can not read the image.");
    EXPECT_EQ(menuTitles(), QStringList{"Add Image"}) << "the icon stays as it was";
    dialogs.chooseFiles({QUrl::fromLocalFile(savedImage("wide.png", {1024, 512}))});
    editor()->addImage();
    EXPECT_EQ(menuTitles(), (QStringList{"Replace Image", "Delete Image"}));
    press(editor()->addButton());
    press(editor()->doneButton());

    EXPECT_EQ(columnTexts(panel.tableView(), 2).last(), "cat,new");
    press(panel.doneButton());
    EXPECT_TRUE(CustomItemPanel::applyCustomItems(windowItems, panel.customItems()));
    EXPECT_EQ(windowItems.last().labels, (QStringList{"cat", "new"}));
    EXPECT_TRUE(windowItems.last().imageData.startsWith("\x89PNG"));
    EXPECT_EQ(QImage::fromData(windowItems.last().imageData).size(), QSize(512, 256));
}

TEST_F(CustomItemsPanelTest, IconsKeepTheirShapeWithTheLongerSideAtMost512) {
    for (const auto &[given, kept] : {std::pair{QSize(1024, 512), QSize(512, 256)},
                                      {QSize(300, 600), QSize(256, 512)},
                                      {QSize(600, 600), QSize(512, 512)},
                                      {QSize(512, 300), QSize(512, 300)}}) {
        QImage image(given, QImage::Format_RGB32);
        image.fill(Qt::red);
        EXPECT_EQ(QImage::fromData(AddItemViewController::iconData(image)).size(), kept);
    }
}

TEST_F(CustomItemsPanelTest, TheHelpTellsOfTheDocumentsKind) {
    open({}, true);
    press(panel.helpButton());
    ASSERT_TRUE(panel.popover() && panel.popover()->contentViewController() == panel.helpViewController());
    EXPECT_EQ(panel.helpViewController()->textField()->text(), HelpViewController::helpText(true));
    EXPECT_NE(HelpViewController::helpText(true), HelpViewController::helpText(false));
    press(panel.helpViewController()->doneButton());
    EXPECT_FALSE(panel.popover());
    panel.setIsVCard(false);
    press(panel.helpButton());
    EXPECT_EQ(panel.helpViewController()->textField()->text(), HelpViewController::helpText(false));
}

// Marks as the window finds them: each name once, in the list's order.
TEST(CustomItemsApplyTest, TheWindowAppliesEachMarkByName) {
    auto marked = [](CustomItemDefinition definition, bool isNew, bool changed, bool deleted) {
        definition.isNew = isNew;
        definition.changed = changed;
        definition.deleted = deleted;
        return definition;
    };
    QList<CustomItemDefinition> window = {customItem("Keep"), customItem("Gone"), customItem("Tags", {"a"})};
    CustomItemDefinition tags = customItem("Tags", {"a", "b"});
    tags.imageData = AddItemViewController::iconData(QImage(8, 8, QImage::Format_RGB32));
    const QList<CustomItemDefinition> returned = {
        customItem("Keep"),
        marked(customItem("Gone"), false, false, true),
        marked(tags, false, true, false),
        marked(customItem("Brief"), true, true, true),      // added and deleted in one opening
        marked(customItem("Elsewhere"), false, true, true), // no longer the window's: nothing
        marked(customItem("Fresh", {"f1"}), true, false, false),
    };
    EXPECT_TRUE(CustomItemPanel::applyCustomItems(window, returned));
    EXPECT_EQ(namesOf(window), (QStringList{"Keep", "Tags", "Fresh"}));
    EXPECT_EQ(window.at(1).labels, (QStringList{"a", "b"}));
    EXPECT_EQ(window.at(1).imageData, tags.imageData);
    EXPECT_EQ(*QMPerson::labelsForIdentifier("Fresh"), QStringList{"f1"});
}

// What the panel adds must come back from the file it is exported to.
TEST(CustomItemsApplyTest, ANewItemsValuesAreExportedAndReadBack) {
    for (const QString &name : {QStringLiteral("\u8DA3\u5473"), QStringLiteral("shoe-size")}) {
        ASSERT_TRUE(AddItemViewController::acceptsItemName(name, {}));
        for (const bool labeled : {false, true}) {
            SCOPED_TRACE(name.toStdString() + (labeled ? " labeled" : " text"));
            CustomItemDefinition added =
                customItem(name, labeled ? QStringList{"home, sweet", "x"} : QStringList());
            added.isNew = true;
            QList<CustomItemDefinition> window;
            CustomItemPanel::applyCustomItems(window, {added});
            auto containers = containersFromCards("BEGIN:VCARD\nVERSION:3.0\nN:A;B;;;\nFN:B A\nEND:VCARD\n");
            QMPerson &person = *allContacts(*containers).first().person;
            if (labeled) {
                LabeledValueRecord record;
                record.label = QStringLiteral("home, sweet");
                record.value = QStringLiteral("one; two");
                person.setValue(FieldValue(LabeledValueList{record}), name);
            } else {
                person.setValue(FieldValue(QStringLiteral("a:b, c")), name);
            }
            const auto text = QMvCard().vCardsFromContacts(allContacts(*containers), {VCardOption::Custom},
                                                           &containers->first(), {}, window);
            ASSERT_TRUE(text);
            const auto readBack = QMvCard().containersFromVCards(*text);
            QMPerson &read = *allContacts(*readBack).first().person;
            EXPECT_EQ(read.customIdentifiers(), QStringList{name});
            if (labeled) {
                const auto values = read.labeledValueForIdentifier(name).value_or(LabeledValueList());
                ASSERT_EQ(values.size(), 1);
                EXPECT_EQ(values.first().stringValue, "one; two");
                EXPECT_EQ(values.first().labelText(), "home, sweet");
            } else {
                EXPECT_EQ(read.stringValueForIdentifier(name), "a:b, c");
            }
        }
    }
}

} // namespace
