#include "tests/app/DetailPanelTestSupport.h"

#include "editors/AddressViewController.h"

#include <QTableView>
#include <QTest>

namespace tessarin {
using namespace window_test;

namespace {

const QString Cards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\nTEL;type=CELL:100\r\n"
    "ADR;type=HOME:;;1 Street;Tokyo;;100;Japan\r\nBDAY:1980-05-17\r\nEND:VCARD\r\n");

// Edits made in the detail panel of a document window: each one undo step of the
// document, the window marked edited, the panes following.
class DetailPanelEditTest : public DetailPanelWindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        openWithPanel(Cards, QSize(1200, 900));
        ASSERT_TRUE(panel->contact().has_value());
    }
    std::shared_ptr<QMPerson> person() const { return panel->contact()->person; }
    void typeAndEnd(const QString &text) {
        CellTextEditor *editor = panel->cellEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClick(panel->cellEditor(), Qt::Key_Escape);
        QCoreApplication::processEvents();
    }
    // Undo takes the step back and leaves nothing more to undo.
    void expectOneUndoStep() {
        EXPECT_TRUE(undoManager()->canUndo());
        EXPECT_TRUE(window()->isDocumentEdited());
        undoManager()->undo();
        EXPECT_FALSE(undoManager()->canUndo());
    }
};

TEST_F(DetailPanelEditTest, ANamePartToTheSameTextIsAStepAPhoneNumberNone) {
    panel->editForIdentifier(FieldId::Phone);
    typeAndEnd(QStringLiteral("100"));
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_FALSE(window()->isDocumentEdited());

    panel->editForIdentifier(FieldId::Name);
    typeAndEnd(QStringLiteral("Ann"));
    expectOneUndoStep();

    panel->editForIdentifier(FieldId::Phone);
    typeAndEnd(QStringLiteral("+1 555"));
    EXPECT_EQ(person()->phoneValues().first().value, "+1 555");
    expectOneUndoStep();
    EXPECT_EQ(person()->phoneValues().first().value, "100");
}

TEST_F(DetailPanelEditTest, AddItemThenUndo) {
    const int rows = int(panel->table().size());
    panel->setClickedCell(rowOf(FieldId::Email), 1);
    panel->insertItem(nullptr);
    ASSERT_EQ(person()->emailValues().size(), 1);
    EXPECT_EQ(panel->table().at(rowOf(FieldId::Email)).label, "home");
    expectOneUndoStep();
    EXPECT_TRUE(person()->emailValues().isEmpty());
    EXPECT_EQ(panel->table().size(), rows);
}

TEST_F(DetailPanelEditTest, DeleteTheBirthdayThenUndo) {
    dialogs.answerAlert(QStringLiteral("OK"));
    panel->setClickedCell(rowOf(FieldId::Birthday), 1);
    panel->deleteItem(nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(person()->birthdayValue()->stringValue.isEmpty());
    expectOneUndoStep();
    ASSERT_TRUE(person()->birthdayValue().has_value());
    EXPECT_TRUE(person()->birthdayValue()->stringValue.startsWith("1980"));
}

TEST_F(DetailPanelEditTest, AnEditorAnswerIsOneStepAndCancelLeavesTheWindowUnedited) {
    const auto openAddressEditor = [&] {
        panel->setClickedCell(rowOf(FieldId::Address), 1);
        panel->tableViewDoubleAction(Qt::NoModifier);
        return panel->popover() ? qobject_cast<AddressViewController *>(panel->popover()->contentViewController())
                                : nullptr;
    };
    AddressViewController *editor = openAddressEditor();
    ASSERT_NE(editor, nullptr);
    panel->popover()->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_FALSE(window()->isDocumentEdited());

    editor = openAddressEditor();
    ASSERT_NE(editor, nullptr);
    LabeledValueRecord address = person()->addressValues().first();
    address.city = QStringLiteral("Osaka");
    editor->contextInfo()->value = address;
    editor->contextInfo()->dirty = true;
    panel->popover()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(person()->addressValues().first().city, "Osaka");
    expectOneUndoStep();
    EXPECT_EQ(person()->addressValues().first().city, "Tokyo");
}

} // namespace
} // namespace tessarin
