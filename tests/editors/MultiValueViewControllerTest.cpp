#include "tests/editors/AddressEditorDriving.h"
#include "tests/editors/PostalCodeFixtures.h"

#include "editors/AddressViewController.h"
#include "editors/MultiValueViewController.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"

#include <QHeaderView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Drop = MultiValueViewController::DropOperation;

const QString threePhones = QStringLiteral("TEL;TYPE=CELL:111\nTEL;TYPE=HOME:222\nTEL;TYPE=WORK:333\n");
const QString threeAddresses = QStringLiteral("item1.ADR;TYPE=HOME:;;1-1;千代田区;東京都;1000001;Japan\n"
                                              "item1.X-ABADR:jp\n"
                                              "item2.ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\n"
                                              "item2.X-ABADR:us\n"
                                              "item3.ADR;TYPE=HOME:;;Unter den Linden 1;Berlin;;10117;Germany\n"
                                              "item3.X-ABADR:de\n");

// One member of every record of a list.
template <typename Get> auto each(const LabeledValueList &list, Get get) {
    QList<std::decay_t<decltype(get(list.first()))>> result;
    for (const LabeledValueRecord &record : list)
        result << get(record);
    return result;
}
QStringList values(const LabeledValueList &list) {
    return each(list, [](const LabeledValueRecord &r) { return r.valueText(); });
}
QStringList streets(const LabeledValueList &list) {
    return each(list, [](const LabeledValueRecord &r) { return r.street; });
}

template <typename Widget> Widget *cellWidget(MultiValueViewController *editor, int row, int column) {
    QTableView *table = editor->tableView();
    return qobject_cast<Widget *>(table->indexWidget(table->model()->index(row, column)));
}

class ListEditor : public testing::Test {
protected:
    void SetUp() override {
        PostalCodeFixtures::useSharedFixtureDirectory();
        CNContactsUserDefaults::sharedDefaults().setCountryCode(QStringLiteral("JP"));
    }

    MultiValueViewController *open(const QString &card, const QString &type, std::optional<qint64> labelIndex,
                                   bool editable = true) {
        person = personFromVCard(QStringLiteral("FN:Taro\n") + card);
        auto *editor = new MultiValueViewController;
        scene.popover = editor->openInPopover(editorContext(person, type, labelIndex, true), editable,
                                              MultiValueViewController::contentSizeFor(type, true),
                                              QRect(100, 40, 160, 20), scene.table, &scene, &scene.window);
        scene.waitUntilActive();
        return editor;
    }
    void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // The list Done handed back.
    LabeledValueList answered() {
        const auto *list = scene.answer ? scene.answer->value.get<LabeledValueList>() : nullptr;
        EXPECT_TRUE(list && scene.answer->values == *list) << "\"value\" and \"values\" hand back the list";
        return list ? *list : LabeledValueList();
    }
    AddressViewController *openedAddressEditor() {
        for (AddressViewController *editor : scene.window.findChildren<AddressViewController *>()) {
            if (editor->popover() && editor->popover()->isShown())
                return editor;
        }
        return nullptr;
    }

    EditorScene scene;
    std::shared_ptr<QMPerson> person;
};

TEST_F(ListEditor, ColumnsFollowTheFieldKind) {
    const struct {
        QString type;
        QStringList identifiers;
        QList<int> widths;
    } cases[] = {
        {FieldId::Phone, {QStringLiteral("label"), FieldId::Phone}, {80, 130}},
        {FieldId::Address,
         {QStringLiteral("Edit"), QStringLiteral("label"), FieldId::ZIP, FieldId::State, FieldId::City,
          FieldId::Street, FieldId::Country, QStringLiteral("CountryCode")},
         {26, 80, 100, 100, 100, 100, 100, 155}},
        {FieldId::InstantMessage,
         {QStringLiteral("label"), QStringLiteral("serviceType"), QStringLiteral("Username")},
         {80, 130, 160}},
        {FieldId::SocialNetwork,
         {QStringLiteral("label"), QStringLiteral("Username"), QStringLiteral("User Identifier"),
          QStringLiteral("URL String")},
         {80, 160, 160, 160}},
    };
    for (const auto &c : cases) {
        MultiValueViewController *editor = open(QString(), c.type, std::nullopt);
        QStringList identifiers;
        QList<int> widths;
        for (int i = 0; i < editor->columns().size(); ++i) {
            identifiers << editor->columns()[i].identifier;
            widths << editor->tableView()->horizontalHeader()->sectionSize(i);
        }
        // The header never goes below the least width its font allows.
        QList<int> expected;
        for (const int width : c.widths)
            expected << std::max(width, editor->tableView()->horizontalHeader()->minimumSectionSize());
        EXPECT_EQ(identifiers, c.identifiers) << c.type.toStdString();
        EXPECT_EQ(widths, expected) << c.type.toStdString();
        EXPECT_EQ(editor->addressField()->isVisible(), c.type == FieldId::Address);
        EXPECT_EQ(editor->typePopup()->currentText(), QMPerson::localizedIdentifierForKey(c.type));
        scene.popover->close();
    }
}

TEST_F(ListEditor, OpensOnTheClickedValueAndShowsEachValuesCells) {
    MultiValueViewController *editor = open(threePhones, FieldId::Phone, 2);
    EXPECT_EQ(editor->tableView()->selectionModel()->selectedRows().value(0).row(), 2);
    EXPECT_EQ(editor->tableView()->model()->index(1, 1).data().toString(), QStringLiteral("222"));
    auto *label = cellWidget<QComboBox>(editor, 0, 0);
    ASSERT_TRUE(label);
    EXPECT_EQ(QMPerson::labelsForIdentifier(FieldId::Phone)->value(label->currentIndex()), QStringLiteral("mobile"));
    EXPECT_TRUE(editor->doneKeyEquivalent()) << "Return presses Done from the start";
}

TEST_F(ListEditor, OpensOnTheValueOfThatRunningNumberWhateverItsPosition) {
    // The first phone deleted: "222" is numbered 1 at position 0, "333" 2 at position 1.
    const struct {
        qint64 labelIndex;
        int selected;
    } cases[] = {{1, 0}, {2, 1}, {0, -1}, {3, -1}};
    for (const auto &c : cases) {
        person = personFromVCard(QStringLiteral("FN:Taro\n") + threePhones);
        person->deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(0));
        auto *editor = new MultiValueViewController;
        scene.popover = editor->openInPopover(editorContext(person, FieldId::Phone, c.labelIndex, true), true,
                                              MultiValueViewController::contentSizeFor(FieldId::Phone, true),
                                              QRect(100, 40, 160, 20), scene.table, &scene, &scene.window);
        const QModelIndexList rows = editor->tableView()->selectionModel()->selectedRows();
        EXPECT_EQ(rows.isEmpty() ? -1 : rows.first().row(), c.selected) << c.labelIndex;
        scene.popover->close();
    }
}

TEST_F(ListEditor, AddInAnInstantMessageListGivesTheNewRowAServiceAndTheFirstLabel) {
    MultiValueViewController *editor = open(
        QStringLiteral("IMPP;X-SERVICE-TYPE=Skype;TYPE=WORK:skype:ann.abe\n"), FieldId::InstantMessage, 0);
    press(editor->addButton());
    ASSERT_EQ(editor->table().size(), 2);
    const LabeledValueRecord added = editor->table().last();
    EXPECT_FALSE(added.service.isEmpty());
    EXPECT_EQ(added.label, QMPerson::labelsForIdentifier(FieldId::InstantMessage)->first());
    EXPECT_EQ(added.labelIndex, 1);
    press(editor->doneButton());
    ASSERT_EQ(answered().size(), 2);
    EXPECT_EQ(answered().last().service, added.service);
}

TEST_F(ListEditor, NewRowsGoAfterTheSelectionWithANumberNoRowHas) {
    MultiValueViewController *editor = open(threePhones, FieldId::Phone, std::nullopt);
    editor->tableView()->clearSelection();
    press(editor->addButton());
    EXPECT_EQ(values(editor->table()), (QStringList{"111", "222", "333", "new"}));
    EXPECT_EQ(editor->table().last().labelIndex, 3);
    EXPECT_EQ(editor->table().last().label, QMPerson::labelsForIdentifier(FieldId::Phone)->first());

    // After deleting the first row, the row count (3) would repeat a number still in use.
    editor->tableView()->selectRow(0);
    press(editor->delButton());
    editor->tableView()->selectRow(0);
    press(editor->addButton());
    EXPECT_EQ(values(editor->table()), (QStringList{"222", "new", "333", "new"}));
    EXPECT_EQ(each(editor->table(), [](const LabeledValueRecord &r) { return r.labelIndex; }),
              (QList<qint64>{1, 4, 2, 3}));
    EXPECT_EQ(editor->tableView()->selectionModel()->selectedRows().value(0).row(), 1);

    press(editor->doneButton());
    EXPECT_EQ(values(answered()), (QStringList{"222", "new", "333", "new"}));
}

TEST_F(ListEditor, DeletingTheLastRowDisablesDeleteAndCancelHandsBackNothing) {
    MultiValueViewController *editor = open(QStringLiteral("TEL:111\n"), FieldId::Phone, 0);
    press(editor->delButton());
    EXPECT_TRUE(editor->table().isEmpty());
    EXPECT_FALSE(editor->delButton()->isEnabled());
    EXPECT_TRUE(editor->doneButton()->isEnabled());
    press(editor->cancelButton());
    EXPECT_FALSE(scene.answer);
    EXPECT_EQ(editor->contextInfo()->dirty, false);
    EXPECT_EQ(person->labeledValueForIdentifier(FieldId::Phone)->size(), 1);
}

TEST_F(ListEditor, TypingInCellsMovesWithTabAndReturn) {
    MultiValueViewController *editor = open(threePhones, FieldId::Phone, 0);
    QTableView *table = editor->tableView();
    doubleClick(table, table->model()->index(0, 1));
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    typeText(field, QStringLiteral("999"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(values(editor->table()).first(), QStringLiteral("999"));
    EXPECT_EQ(table->currentIndex(), table->model()->index(1, 1)) << "Return goes down the column";

    // Tab past the last text column of the last row goes round to row 0's first one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(table->currentIndex(), table->model()->index(0, 1));
    field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    EXPECT_EQ(field->selectedText(), QStringLiteral("999"));
    typeText(field, QStringLiteral("5"));
    // Done ends the edit in progress and keeps what was typed.
    press(editor->doneButton());
    EXPECT_EQ(values(answered()), (QStringList{"5", "222", "333"}));
}

TEST_F(ListEditor, ALabelChosenInARowIsStoredAsItsKey) {
    MultiValueViewController *editor =
        open(QStringLiteral("X-SOCIALPROFILE;TYPE=twitter;x-user=jo:https://twitter.com/jo\n"), FieldId::SocialNetwork, 0);
    EXPECT_EQ(editor->tableView()->model()->index(0, 1).data().toString(), QStringLiteral("jo"));
    auto *label = cellWidget<QComboBox>(editor, 0, 0);
    ASSERT_TRUE(label);
    const QStringList keys = QMPerson::labelsForIdentifier(FieldId::SocialNetwork).value();
    choose(label, label->itemText(1));
    press(editor->doneButton());
    const LabeledValueList list = answered();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.first().label, keys.value(1));
    EXPECT_EQ(list.first().service, keys.value(1));
}

TEST_F(ListEditor, SortingReordersWithoutCountingAsAChange) {
    MultiValueViewController *editor = open(QStringLiteral("TEL:b-2\nTEL:A-1\nTEL:c-3\n"), FieldId::Phone, std::nullopt);
    QHeaderView *header = editor->tableView()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 20, header->height() / 2));
    EXPECT_EQ(values(editor->table()), (QStringList{"A-1", "b-2", "c-3"}));
    EXPECT_FALSE(editor->doneButton()->isEnabled());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 20, header->height() / 2));
    EXPECT_EQ(values(editor->table()), (QStringList{"c-3", "b-2", "A-1"}));
}

TEST_F(ListEditor, RowsAreDraggedIntoTheGapsOfTheirOwnTableWhileEditing) {
    MultiValueViewController *editor = open(threePhones, FieldId::Phone, std::nullopt);
    auto pasteboard = Pasteboard::forDragging();
    ASSERT_TRUE(editor->writeRowsWithIndexes({0}, *pasteboard));
    EXPECT_EQ(pasteboard->stringForType(), editor->table().first().stringValue);

    EXPECT_EQ(editor->validateDrop(true, 2, Drop::Above), Qt::MoveAction);
    EXPECT_EQ(editor->validateDrop(true, 2, Drop::On), Qt::IgnoreAction);
    EXPECT_EQ(editor->validateDrop(false, 2, Drop::Above), Qt::IgnoreAction);
    for (int refused : {0, -1, 4})
        EXPECT_FALSE(editor->acceptDrop(refused, Drop::Above)) << refused;

    // A real drop into the gap before row 2: the row lands at 1.
    QTableView *table = editor->tableView();
    pasteboard->setSource(table->window(), table);
    EXPECT_TRUE(dropOn(table->viewport(), QPoint(20, table->rowViewportPosition(2) + 2), pasteboard->mimeData()));
    EXPECT_EQ(values(editor->table()), (QStringList{"222", "111", "333"}));
    EXPECT_TRUE(editor->doneButton()->isEnabled());

    // Locked, nothing can be dropped.
    QTest::mouseClick(editor->editButton(), Qt::LeftButton);
    EXPECT_EQ(editor->validateDrop(true, 0, Drop::Above), Qt::IgnoreAction);
    EXPECT_FALSE(dropOn(table->viewport(), QPoint(20, 2), pasteboard->mimeData()));
    EXPECT_EQ(values(editor->table()), (QStringList{"222", "111", "333"}));
}

TEST_F(ListEditor, AnAddressIsAddedOnlyWhenTheAddressEditorReturnsIt) {
    MultiValueViewController *editor = open(threeAddresses, FieldId::Address, 0);
    press(editor->addButton());
    EXPECT_EQ(editor->table().size(), 3) << "no row before the address editor answers";
    EXPECT_TRUE(editor->isAddressViewShowing());
    EXPECT_TRUE(editor->addressField()->text().contains(QStringLiteral("123")));
    AddressViewController *address = openedAddressEditor();
    ASSERT_TRUE(address);
    address->zipField()->setFocus();
    address->zipField()->selectAll();
    typeText(address->zipField(), QStringLiteral("1000001"));
    press(address->zipButton());
    press(address->doneButton());

    EXPECT_FALSE(editor->isAddressViewShowing());
    ASSERT_EQ(editor->table().size(), 4);
    const LabeledValueRecord added = editor->table().last();
    EXPECT_EQ(added.city, QStringLiteral("千代田区"));
    EXPECT_EQ(added.labelIndex, 3);
    EXPECT_EQ(editor->addressField()->text(), added.stringValue);
    EXPECT_TRUE(editor->doneButton()->isEnabled());

    // Cancelled, the editor adds nothing.
    press(editor->addButton());
    ASSERT_TRUE(openedAddressEditor());
    press(openedAddressEditor()->cancelButton());
    EXPECT_EQ(editor->table().size(), 4);
}

TEST_F(ListEditor, TheAddressEditorAnswersTheRowItWasOpenedOn) {
    MultiValueViewController *editor = open(threeAddresses, FieldId::Address, std::nullopt);
    // Sorted by street, the rows no longer stand at their running numbers.
    editor->sortDescriptorsDidChange(5, Qt::AscendingOrder);
    ASSERT_EQ(streets(editor->table()), (QStringList{"1 Main St", "1-1", "Unter den Linden 1"}));
    auto *open = cellWidget<QToolButton>(editor, 2, 0);
    ASSERT_TRUE(open);
    QTest::mouseClick(open, Qt::LeftButton);
    AddressViewController *address = openedAddressEditor();
    ASSERT_TRUE(address);
    EXPECT_EQ(address->cityField()->text(), QStringLiteral("Berlin"));
    typeInto(address->streetField(), QStringLiteral(" 2"));
    press(address->doneButton());
    EXPECT_EQ(streets(editor->table()), (QStringList{"1 Main St", "1-1", "Unter den Linden 1 2"}));
    EXPECT_EQ(editor->table()[2].labelIndex, 2);
    EXPECT_EQ(person->labeledValueForIdentifier(FieldId::Address, qsizetype(2))->street,
              QStringLiteral("Unter den Linden 1")) << "only the list's copy changes";
}

TEST_F(ListEditor, DefaultClearsOnlyThatRowsCountry) {
    MultiValueViewController *editor = open(threeAddresses, FieldId::Address, std::nullopt);
    QTableView *table = editor->tableView();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(1, 4)).center());
    EXPECT_EQ(editor->addressField()->text(), editor->table()[1].stringValue) << "a selected address shows whole";
    auto *country = cellWidget<PullDownButton>(editor, 1, 7);
    ASSERT_TRUE(country);
    EXPECT_EQ(country->text(), QStringLiteral("US (United States)"));

    pick(country, QStringLiteral("US (United States)"));
    EXPECT_FALSE(editor->doneButton()->isEnabled()) << "the country the row already has changes nothing";

    pick(country, QStringLiteral("Default (JP)"));
    const LabeledValueList list = editor->table();
    EXPECT_EQ(list[0].isoCountryCode, QStringLiteral("jp"));
    EXPECT_EQ(list[1].isoCountryCode, QString());
    EXPECT_EQ(list[2].isoCountryCode, QStringLiteral("de"));
    EXPECT_EQ(country->text(), QStringLiteral("Default (JP)"));
    EXPECT_TRUE(editor->doneButton()->isEnabled());
}

TEST_F(ListEditor, AnAddressRowIsAsTallAsItsLongestPart) {
    MultiValueViewController *editor =
        open(QStringLiteral("ADR;TYPE=HOME:;Building 3;1 Main St;Springfield;;;\n"), FieldId::Address, 0);
    QFont font = QApplication::font();
    font.setPixelSize(20);
    editor->setSelectedFont(font);
    EXPECT_GT(editor->rowHeight(), 20.0);
    ASSERT_EQ(editor->table().first().street.count(u'\n'), 1);
    EXPECT_EQ(editor->heightOfRow(0), int(2 * (editor->rowHeight() - 2.0)));
    EXPECT_EQ(editor->tableView()->rowHeight(0), editor->heightOfRow(0));
}

TEST_F(ListEditor, LockedNothingCanBeChanged) {
    MultiValueViewController *editor = open(threePhones, FieldId::Phone, 0, false);
    EXPECT_FALSE(editor->addButton()->isEnabled());
    EXPECT_FALSE(editor->delButton()->isEnabled());
    ASSERT_TRUE(cellWidget<QComboBox>(editor, 0, 0));
    EXPECT_FALSE(cellWidget<QComboBox>(editor, 0, 0)->isEnabled());
    QTableView *table = editor->tableView();
    doubleClick(table, table->model()->index(0, 1));
    EXPECT_FALSE(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
}

} // namespace
