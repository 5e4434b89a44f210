#include "contact_info/ContactInfoPopover.h"
#include "editors/PopupAndTextCellWidget.h"
#include "platform/core/UserDefaults.h"
#include "tests/contact_info/ContactInfoTestSupport.h"
#include "tests/support/RealWheel.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A contact with a value behind every popup the field table shows: a label popup for each
// labeled kind (a custom labeled item among them) and the Name Display choice.
ContactEntry contactWithEveryPopup() {
    ContactEntry entry = fullContact();
    EXPECT_TRUE(entry.person->addCustomItem(ValueKind::Labeled, QStringLiteral("Beeper"), std::nullopt,
                                            std::nullopt));
    LabeledValueRecord beep;
    beep.label = QStringLiteral("work");
    beep.value = QStringLiteral("42");
    entry.person->addLabeledValue(FieldValue(beep), QStringLiteral("Beeper"));
    return entry;
}

CustomItemDefinition beeper() {
    CustomItemDefinition item;
    item.name = QStringLiteral("Beeper");
    item.type = ValueKind::Labeled;
    return item;
}

const QStringList PopupRows = {FieldId::Phone,         FieldId::Email,        FieldId::URL,
                               FieldId::Address,       FieldId::Dates,        FieldId::InstantMessage,
                               FieldId::SocialNetwork, FieldId::Relationship, QStringLiteral("Beeper"),
                               FieldId::NameDisplay};

// The popup of a row's value cell: a label popup beside the value, or the row's own popup.
QComboBox *popupOf(ContactInfoController &table, int row) {
    QWidget *cell = table.valueCellWidget(row);
    if (auto *labeled = qobject_cast<PopupAndTextCellWidget *>(cell))
        return labeled->labelPopup();
    return qobject_cast<QComboBox *>(cell);
}

int rowOf(const ContactInfoController &table, const QString &type) {
    for (int r = 0; r < table.table().size(); ++r)
        if (table.table().at(r).type == type)
            return r;
    return -1;
}

// One notch of the wheel over each popup of the table: the table scrolls, the popup keeps
// its choice, the contact stays as it was and nothing is marked edited.
void wheelOverEveryPopup(ContactInfoController &table, const ContactEntry &shown, const Window &window,
                         const std::function<QStringList()> &calls) {
    QTableView *view = table.tableView();
    for (const QString &type : PopupRows) {
        const std::string what = type.toStdString();
        const int row = rowOf(table, type);
        ASSERT_GE(row, 0) << what;
        QComboBox *popup = popupOf(table, row);
        ASSERT_NE(popup, nullptr) << what;
        ASSERT_TRUE(popup->isEnabled()) << what;
        const int chosen = popup->currentIndex();
        const QByteArray before = shown.person->vCardData();

        EXPECT_TRUE(turnWheelOverPopupIn(view, view->model()->index(row, 1), popup))
            << what << ": the table scrolls";

        QComboBox *after = popupOf(table, row);
        ASSERT_NE(after, nullptr) << what;
        EXPECT_EQ(after->currentIndex(), chosen) << what;
        EXPECT_EQ(shown.person->vCardData(), before) << what;
        EXPECT_TRUE(calls().isEmpty()) << what;
        EXPECT_FALSE(window.isWindowModified()) << what;
    }
}

class PopupWheelTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserDefaults::standard().resetAll();
        contact = contactWithEveryPopup();
        window.setWindowTitle(QStringLiteral("Contacts[*]"));
        window.resize(520, 300);
        window.show();
    }

    ContactEntry contact;
    Window window;
};

TEST_F(PopupWheelTest, TheWheelScrollsTheDetailPanelAndChangesNoPopup) {
    EditingInfoDelegate delegate;
    ContactInfoController panel;
    panel.setDelegate(&delegate);
    panel.windowState()->setCustomItems({beeper()});
    window.setCentralWidget(panel.view());
    panel.setContact(&contact);
    QCoreApplication::processEvents();
    wheelOverEveryPopup(panel, contact, window, [&] { return delegate.calls; });
}

TEST_F(PopupWheelTest, TheWheelScrollsTheContactPopoverAndChangesNoPopup) {
    RecordingPopoverDelegate delegate;
    ContactInfoPopover popover;
    popover.setDelegate(&delegate);
    popover.setCustomItems({beeper()});
    popover.setContact(&contact);
    popover.setEditState(true);
    popover.setParentWindow(&window);
    window.setContentViewController(&popover);
    QCoreApplication::processEvents();
    ASSERT_TRUE(popover.editState());
    wheelOverEveryPopup(*popover.contactInfo(), contact, window, [&] { return delegate.calls; });
}

// The keyboard still chooses, once the popup has the focus: the wheel is the only way taken.
TEST_F(PopupWheelTest, ThePopupStillChoosesFromTheKeyboard) {
    EditingInfoDelegate delegate;
    ContactInfoController panel;
    panel.setDelegate(&delegate);
    window.setCentralWidget(panel.view());
    panel.setContact(&contact);
    QCoreApplication::processEvents();
    QComboBox *popup = popupOf(panel, rowOf(panel, FieldId::NameDisplay));
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->focusPolicy(), Qt::StrongFocus);
    popup->setFocus();
    QTest::keyClick(popup, Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate.calls, QStringList{"name"});
    EXPECT_FALSE(contact.person->nameValue().showAsPerson.value_or(true));
}

} // namespace
