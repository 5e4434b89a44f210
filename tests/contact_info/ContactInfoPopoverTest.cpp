#include "contact_info/ContactInfoPopover.h"
#include "platform/core/UserDefaults.h"
#include "tests/contact_info/ContactInfoTestSupport.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ContactInfoPopoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserDefaults::standard().resetAll();
        contact = fullContact();
        contact.groupNames = {QStringLiteral("Friends")};
        window.setWindowTitle(QStringLiteral("Contacts[*]"));
        window.resize(700, 800);
        window.show();
        popover.setDelegate(&delegate);
        popover.setContact(&contact);
        popover.setEditState(true);
        popover.setParentWindow(&window);
    }
    // Shown as a detached window shows it: the content of a window of its own.
    void showInWindow() {
        window.setContentViewController(&popover);
        QCoreApplication::processEvents();
    }
    int rowOf(const QString &type, const std::function<bool(const InfoTableRow &)> &which = {}) {
        const QList<InfoTableRow> &rows = popover.contactInfo()->table();
        for (int r = 0; r < rows.size(); ++r)
            if (rows[r].type == type && (!which || which(rows[r])))
                return r;
        return -1;
    }
    void pressDelete(int row) {
        popover.tableView()->selectRow(row);
        QTest::keyClick(popover.tableView(), Qt::Key_Backspace);
    }

    ContactEntry contact;
    Window window;
    RecordingPopoverDelegate delegate;
    ContactInfoPopover popover;
};

TEST_F(ContactInfoPopoverTest, EditAndLockFollowTheButtonAndKeepTheSelection) {
    showInWindow();
    EXPECT_EQ(popover.editButton()->text(), QStringLiteral("Lock"));
    EXPECT_EQ(popover.contactNameField()->text(), contact.person->compositeName());
    const int row = rowOf(FieldId::Email);
    popover.tableView()->selectRow(row);
    popover.editButton()->click();
    EXPECT_FALSE(popover.editState());
    EXPECT_EQ(popover.editButton()->text(), QStringLiteral("Edit"));
    EXPECT_EQ(popover.redSeparator()->palette().color(QPalette::Window), QColor(Qt::gray));
    EXPECT_EQ(popover.contactInfo()->selectedRows(), QList<int>{row});
    // Locked, Delete does nothing.
    pressDelete(row);
    EXPECT_TRUE(delegate.calls.isEmpty());
    popover.editButton()->click();
    EXPECT_EQ(popover.editButton()->text(), QStringLiteral("Lock"));
    EXPECT_EQ(popover.redSeparator()->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(popover.redSeparator()->height(), 2);
    EXPECT_EQ(popover.contactInfo()->selectedRows(), QList<int>{row});
}

TEST_F(ContactInfoPopoverTest, DeleteTakesTheSelectedRowsValueAndReportsTheChange) {
    showInWindow();
    const auto label = [](const QString &part) {
        return [part](const InfoTableRow &row) { return row.label == part; };
    };
    const auto second = [](const InfoTableRow &row) { return row.labelIndex == 1; };
    struct Case {
        QString type;
        std::function<bool(const InfoTableRow &)> which;
        QStringList calls;
    };
    const QList<Case> cases = {
        {FieldId::Name, label(QStringLiteral("MiddleName")), {"name Johnny||Appleseed", "updated"}},
        {FieldId::Email, second, {"delete Email 1", "updated"}},
        {FieldId::Note, {}, {"string Note from popover", "updated"}},
        {FieldId::Photo, {}, {"photo none", "updated"}},
        {FieldId::Birthday, {}, {"birthday none", "updated"}},
        {FieldId::Groups, {}, {}},
        {FieldId::NameOrdering, {}, {}},
    };
    for (const Case &c : cases) {
        popover.updateTable();
        const int row = rowOf(c.type, c.which);
        ASSERT_GE(row, 0) << c.type.toStdString();
        delegate.calls.clear();
        window.setDocumentEdited(false);
        pressDelete(row);
        EXPECT_EQ(delegate.calls, c.calls) << c.type.toStdString();
        EXPECT_EQ(window.isDocumentEdited(), !c.calls.isEmpty()) << c.type.toStdString();
    }
    EXPECT_EQ(contact.person->nameValue().middleName, QString());
    EXPECT_EQ(contact.person->stringValueForIdentifier(FieldId::Note), QString());
}

TEST_F(ContactInfoPopoverTest, OkAndClosingTellTheTableWhatWent) {
    // In a popover: OK names the document window, the view going away names none.
    QWidget anchor;
    anchor.resize(600, 800);
    anchor.show();
    auto *shown = new Popover(&anchor);
    auto *inPopover = new ContactInfoPopover;
    inPopover->setParentPopover(shown);
    shown->setContentViewController(inPopover);
    inPopover->setContact(&contact);
    inPopover->setParentWindow(&window);
    inPopover->setDelegate(&delegate);
    shown->showRelativeToRect(QRect(10, 10, 50, 20), &anchor, RectEdge::MaxX);
    inPopover->okButton()->click();
    ASSERT_EQ(delegate.notices.size(), 2);
    EXPECT_EQ(delegate.notices[0].window, std::optional<Window *>(&window));
    EXPECT_EQ(delegate.notices[1].window, std::nullopt);
    EXPECT_EQ(delegate.notices[1].uniqueId, contact.uniqueId);
    EXPECT_FALSE(shown->isShown());
    // Detached: OK names none, the window closing names the window.
    delegate.notices.clear();
    showInWindow();
    popover.okButton()->click();
    ASSERT_EQ(delegate.notices.size(), 2);
    EXPECT_EQ(delegate.notices[0].window, std::nullopt);
    EXPECT_EQ(delegate.notices[1].window, std::optional<Window *>(&window));
}

TEST_F(ContactInfoPopoverTest, ThePhotoRowCountCarriesToTheNextPopover) {
    UserDefaults::standard().setInteger(5, ContactInfoPopover::IconRowCountKey);
    showInWindow();
    EXPECT_EQ(popover.iconRowCount(), 5);
    popover.contactInfo()->setIconRowCount(2);
    window.hide();
    EXPECT_EQ(UserDefaults::standard().integerForKey(ContactInfoPopover::IconRowCountKey), 2);
}

TEST_F(ContactInfoPopoverTest, AFindMatchOfAnotherContactSelectsTheFirstRow) {
    showInWindow();
    popover.tableView()->selectRow(rowOf(FieldId::Email));
    const ContactEntry other = fullContact();
    FindTarget target;
    target.contact = other.person;
    target.uniqueId = other.uniqueId;
    target.identifier = FieldId::Email;
    popover.selectItemAndRange(target);
    EXPECT_EQ(popover.contact()->person, contact.person);
    EXPECT_EQ(popover.contactInfo()->selectedRows(), QList<int>{0});
}

} // namespace

namespace {

TEST_F(ContactInfoPopoverTest, TableEditsGoThroughThePopoverAndAreReported) {
    showInWindow();
    ContactInfoController &table = *popover.contactInfo();
    table.editForIdentifier(FieldId::Company);
    ASSERT_NE(table.cellEditor(), nullptr);
    table.cellEditor()->selectAll();
    QTest::keyClicks(table.cellEditor(), QStringLiteral("Acme Two"));
    QTest::keyClick(table.cellEditor(), Qt::Key_Escape);
    EXPECT_TRUE(delegate.calls.isEmpty());
    table.editForIdentifier(FieldId::Company);
    QTest::keyClicks(table.cellEditor(), QStringLiteral("Acme Two"));
    QTest::keyClick(table.cellEditor(), Qt::Key_Tab);
    EXPECT_EQ(delegate.calls, (QStringList{"string Company from popover", "updated"}));
    EXPECT_TRUE(window.isWindowModified());

    // Add Item is reported too, so the window's panes show the new value.
    delegate.calls.clear();
    table.setClickedCell(rowOf(FieldId::Phone), 0);
    table.insertItem(nullptr);
    EXPECT_EQ(delegate.calls, (QStringList{"add Phone", "updated"}));
}

} // namespace
