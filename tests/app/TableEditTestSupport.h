#pragma once

// The window of four contacts the table editing tests drive, with the steps they take.
#include "tests/app/TableDriving.h"

#include "editors/AddressViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>

namespace tessarin {
using namespace window_test;

namespace table_edit_test {

// Rows sorted by name: Ann (0: phone, e-mail, note, address, social profile, instant message;
// 1: second e-mail), Bob (2: phone, e-mail; 3: second phone), Cid (4: e-mail), Dee (5: note).
const QString Cards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\n"
    "EMAIL;type=INTERNET;type=WORK:a1@abe.example\r\nEMAIL;type=INTERNET;type=HOME:a2@abe.example\r\n"
    "TEL;type=CELL:100\r\nNOTE:ann note\r\nADR;type=HOME:;;1 Street;Tokyo;;100;Japan\r\n"
    "X-SOCIALPROFILE;TYPE=twitter;x-user=ann:https://twitter.com/ann\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:ann.abe\r\n"
    "BDAY:1980-05-17\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\n"
    "EMAIL;type=INTERNET;type=HOME:b@baker.example\r\nTEL;type=HOME:200\r\nTEL;type=WORK:201\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\n"
    "EMAIL;type=INTERNET;type=WORK:c@cole.example\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dunn;Dee;;;\r\nFN:Dee Dunn\r\nNOTE:dee note\r\nEND:VCARD\r\n");

const QString Ann = QStringLiteral("Ann Abe");
const QString Bob = QStringLiteral("Bob Baker");
const QString Cid = QStringLiteral("Cid Cole");
const QString Dee = QStringLiteral("Dee Dunn");

class TableEditTest : public WindowTest {
protected:
    TestDocument *document = nullptr;
    ViewController *view = nullptr;
    ContactsViewController *table = nullptr;
    ScriptedDialogPresenter dialogs;

    void SetUp() override {
        WindowTest::SetUp();
        UserDefaults &defaults = UserDefaults::standard();
        const QStringList all = {FieldId::Name,          FieldId::Phone,    FieldId::Email,
                                 FieldId::Note,          FieldId::City,     FieldId::Address,
                                 FieldId::Dates,         FieldId::Birthday, FieldId::SocialNetwork,
                                 FieldId::InstantMessage};
        // Keys: the last column takes text, so Tab can wrap from it.
        const QStringList keys = {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::City, FieldId::Note};
        defaults.setObject(QVariantMap{{QStringLiteral("Edit"), all}, {QStringLiteral("Keys"), keys}},
                           QStringLiteral("QM1DviewTypeDict"));
        defaults.setObject(QStringLiteral("Edit"), QStringLiteral("QM1DselectedViewType"));
        QVariantMap widths;
        for (const QString &identifier : all)
            widths.insert(identifier, 130.0);
        defaults.setObject(widths, QStringLiteral("QM1DcolumnWidthDictionary"));
        document = open(Cards);
        view = content(document);
        table = view->contactsViewController();
        document->controller->window()->resize(1400, 700);
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        WindowTest::TearDown();
    }

    void showKeysColumns() { view->settings()->setSelectedViewType(QStringLiteral("Keys")); }
    QTableView *tableView() const { return table->tableView(); }
    int column(const QString &identifier) const { return table->tableModel()->columnOf(identifier); }
    int rowOf(const QString &name, qint64 labelIndex = 0) const {
        const SubContactTable &rows = table->subContactTable();
        for (size_t r = 0; r < rows.size(); ++r)
            if (rows[r]->person->compositeName() == name && rows[r]->labelIndex == labelIndex)
                return int(r);
        return -1;
    }
    std::shared_ptr<QMPerson> person(const QString &name) const {
        for (const ContactEntry &entry : std::as_const(*view->contactTable()))
            if (entry.person->compositeName() == name)
                return entry.person;
        return nullptr;
    }
    QStringList values(const QString &name, const QString &identifier) const {
        QStringList texts;
        for (const LabeledValueRecord &value :
             person(name)->labeledValueForIdentifier(identifier).value_or(LabeledValueList()))
            texts << value.labelText() + ":" + value.stringValue;
        return texts;
    }
    QRect cellRect(int row, const QString &identifier) const {
        return tableView()->visualRect(tableView()->model()->index(row, column(identifier)));
    }
    // A double click on the text of a cell (away from a label popup), as a user makes it.
    void doubleClick(int row, const QString &identifier, Qt::KeyboardModifiers modifiers = {}) {
        tableView()->scrollTo(tableView()->model()->index(row, column(identifier)));
        const QRect cell = cellRect(row, identifier);
        const QPoint at(cell.right() - 8, cell.center().y());
        QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, modifiers, at);
        QTest::mouseDClick(tableView()->viewport(), Qt::LeftButton, modifiers, at);
        QCoreApplication::processEvents();
    }
    void typeInCell(const QString &text) {
        ASSERT_NE(table->cellEditor(), nullptr);
        table->cellEditor()->selectAll();
        QTest::keyClicks(table->cellEditor(), text);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        ASSERT_NE(table->cellEditor(), nullptr);
        QTest::keyClick(table->cellEditor(), key, modifiers);
        QCoreApplication::processEvents();
    }
    // What the last action opened: a cell editor, an editor popover, the contact popover.
    QString opened() const { return table_test::openedBy(*table); }
    PopoverEditor *editor() const {
        return table->popover() ? qobject_cast<PopoverEditor *>(table->popover()->contentViewController()) : nullptr;
    }
    // The editor's Done, as an editor writes its answer.
    void answer(const FieldValue &value) {
        ASSERT_NE(editor(), nullptr);
        editor()->contextInfo()->value = value;
        editor()->contextInfo()->dirty = true;
        table->popover()->close();
        QCoreApplication::processEvents();
    }
    void closeWhatIsOpen() {
        if (table->cellEditor())
            press(Qt::Key_Escape);
        if (table->popover())
            table->popover()->close();
        QCoreApplication::processEvents();
    }
    // Tears the open contact popover off into a window of its own: its controller, when the
    // table lists that window alone.
    DetachedWindowController *detachPopover() {
        if (!table->popover())
            return nullptr;
        table->popover()->detach();
        QCoreApplication::processEvents();
        const QList<DetachedWindowEntry> &entries = table->detachedWindows();
        return entries.size() == 1 ? entries.first().windowController.data() : nullptr;
    }
    QList<int> selected() const { return table->selectedRowIndexes(); }
    bool edited() const { return document->controller->window()->isDocumentEdited(); }
    UndoManager *undoManager() const { return document->undoManager(); }
    void undo() {
        QCoreApplication::processEvents();
        view->performAction(QStringLiteral("undo:"), nullptr);
        QCoreApplication::processEvents();
    }
    QStringList shownAlerts() const {
        QStringList texts;
        for (const ScriptedDialogPresenter::Shown &shown : dialogs.shown())
            texts << shown.alert.messageText;
        return texts;
    }
};

} // namespace table_edit_test
} // namespace tessarin
