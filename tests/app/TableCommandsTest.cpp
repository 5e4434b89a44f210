#include "tests/app/TableDriving.h"

#include "app/transfer/ExportCommand.h"
#include "contact_info/ContactInfoPopover.h"
#include "merge/MergeEdits.h"
#include "merge/MergePanelController.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace tessarin {
using namespace table_test;
using namespace Qt::Literals::StringLiterals;

namespace {

// Rows by name: Ann (0: her first phone and everything else; 1: her second phone), Bob (2:
// phone and first e-mail; 3: second e-mail), Cid (4: nothing but a company), the footer (5).
const QString Cards =
    u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\nTEL;type=CELL:09012345678\r\n"
    "TEL;type=HOME:090-1111-2222\r\nEMAIL;type=INTERNET;type=HOME:ann@abe.example\r\nURL:www.abe.example\r\n"
    "ADR;type=HOME:;;1 Main St;Springfield;;12345;USA\r\nNOTE:ann note\r\nBDAY:1980-05-17\r\n"
    "X-HOBBY;TYPE=club:Chess\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\nTEL;type=WORK:03 1234 5678\r\n"
    "EMAIL;type=INTERNET;type=WORK:b1@baker.example\r\nEMAIL;type=INTERNET;type=HOME:b2@baker.example\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\nORG:Cole Works;\r\nEND:VCARD\r\n"_s;
enum Row { Ann = 0, Ann2 = 1, Bob = 2, Bob2 = 3, Cid = 4, Footer = 5 };

class TableCommandsTest : public TableWindowTest {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        const QStringList columns = {FieldId::Name,    FieldId::Phone,          FieldId::Email,
                                     FieldId::URL,     FieldId::Address,        FieldId::City,
                                     FieldId::Note,    FieldId::Birthday,       FieldId::Dates,
                                     FieldId::InstantMessage, FieldId::SocialNetwork, FieldId::PhoneticName,
                                     u"HOBBY"_s};
        openCards(Cards, columns, 90.0);
        window()->resize(1500, 600);
        QCoreApplication::processEvents();
    }

    bool canUndo() const { return view->undoManager()->canUndo(); }
    QStringList values(const QString &name, const QString &identifier) const {
        QStringList texts;
        for (const LabeledValueRecord &value :
             person(name)->labeledValueForIdentifier(identifier).value_or(LabeledValueList()))
            texts << value.labelText() + u':' + value.stringValue;
        return texts;
    }
    QStringList names() const {
        QStringList shown;
        for (const SubContactRowPtr &row : table->subContactTable())
            if (row->labelIndex == 0)
                shown << row->person->compositeName();
        return shown;
    }
    void choose(const QString &title, Menu *menu = nullptr) {
        menu = menu ? menu : table->cellMenu();
        MenuItem *item = menu->itemWithTitle(title);
        ASSERT_TRUE(item && menu->isVisible()) << title.toStdString();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QCoreApplication::processEvents();
    }
    void command(int row, const QString &identifier, const QString &title) {
        menuAt(row, identifier);
        choose(title);
    }
    // Answers the bulk dialog: the text typed over what it shows, then its confirming button.
    void answerDialog(const QString &text, int labelIndex = -1, bool confirm = true) {
        ReplaceAlertPanel *panel = table->replaceAlertPanel();
        ASSERT_TRUE(panel && Application::shared().attachedSheet(window()) == panel->window());
        panel->replaceTextField()->setPlainText(text);
        if (labelIndex >= 0)
            panel->labelPopup()->setCurrentIndex(labelIndex);
        (confirm ? panel->okButton() : panel->cancelButton())->click();
        QCoreApplication::processEvents();
    }
};

TEST_F(TableCommandsTest, EachColumnsMenuFollowsItsValueAndTheEditState) {
    table->selectRowIndexes({Ann});
    view->setEditState(true);
    const QStringList textCommands = {u"Replace Text"_s, u"Prepend Text"_s, u"Append Text"_s};
    const QStringList calendar = {u"-Open Calendar"_s, u"|"_s};
    const struct {
        bool editing;
        int row;
        QString identifier;
        QStringList items;
    } cases[] = {
        {true, Ann, FieldId::Name,
         {"Show Contact Info", "Open Name Panel", "Show QRCode", "|", "Add New Contact", "Delete Contact",
          "Duplicate Contact", "Export Contact as vCard", "|", "Show Company in the Name Cell"}},
        {false, Ann, FieldId::Name,
         {"Show Contact Info", "Open Name Panel", "Show QRCode", "|", "-Delete Contact", "-Duplicate Contact",
          "Export Contact as vCard", "|", "Show Company in the Name Cell"}},
        {true, Ann, FieldId::Phone,
         QStringList{"Call Phone", "|", "Open Edit Panel", "Replace Label and Text", "Delete Item", "Add Item", "|"} +
             textCommands},
        {false, Ann, FieldId::Phone,
         {"Call Phone", "|", "Open Edit Panel", "-Replace Label and Text", "-Delete Item", "-Add Item", "|",
          "-Replace Text", "-Prepend Text", "-Append Text"}},
        // Ann's second row shows her second phone and no e-mail.
        {true, Ann2, FieldId::Email, {"-Send Email", "|", "Open Edit Panel", "Add Item"}},
        {true, Ann, FieldId::Address,
         {"Open in Maps", "Open Web Map", "|", "Open Address Panel", "Open Edit Panel", "Delete Item", "Add Item"}},
        {true, Bob, FieldId::Address,
         {"-Open in Maps", "-Open Web Map", "|", "-Open Address Panel", "Open Edit Panel", "Add Item"}},
        {true, Ann, FieldId::City, QStringList{"Open Address Panel", "Add Item", "Delete Item", "|"} + textCommands},
        {true, Bob, FieldId::City, {"Open Address Panel", "Add Item"}},
        {true, Ann, FieldId::InstantMessage, {"Open Edit Panel", "Add Item"}},
        {true, Ann, FieldId::SocialNetwork, {"-Open SNS Panel", "Open Edit Panel", "Add Item"}},
        {true, Ann, FieldId::Birthday, calendar + QStringList{"Open Birthday Panel", "Delete Item"}},
        {true, Bob, FieldId::Birthday, calendar + QStringList{"Open Birthday Panel"}},
        {true, Ann, FieldId::Dates, calendar + QStringList{"Open Dates Panel"}},
        {true, Ann, FieldId::PhoneticName, {"Open Phonetic Name Panel"}},
        {true, Ann, FieldId::Note, QStringList{"Clear Text"} + textCommands},
        {true, Bob, FieldId::Note, {"Replace Text"}},
        {true, Ann, u"HOBBY"_s,
         QStringList{"Open Edit Panel", "|", "Replace Label and Text", "Delete Item", "|"} + textCommands},
        {true, Bob, u"HOBBY"_s, {"Open Edit Panel", "|", "Add Item"}},
        {true, Footer, FieldId::Phone, {}},
    };
    for (const auto &c : cases) {
        view->setEditState(c.editing);
        EXPECT_EQ(menuAt(c.row, c.identifier), c.items) << c.identifier.toStdString() << " row " << c.row;
        table->cellMenu()->hide();
        QCoreApplication::processEvents();
        EXPECT_EQ(table->clickedRow(), -1);
    }
}

TEST_F(TableCommandsTest, TheHeaderMenuTicksTheColumnsSortOptionAndChangesIt) {
    QHeaderView *header = tableView()->horizontalHeader();
    const QPoint point(header->sectionViewportPosition(table->tableModel()->columnOf(FieldId::Email)) + 20,
                       header->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, header->viewport()->mapToGlobal(point));
    QApplication::sendEvent(header->viewport(), &event);
    Menu *menu = table->headerMenu();
    ASSERT_TRUE(menu->isVisible());
    QStringList expected = {u"-Sort by"_s};
    for (const char *word : {"Email", "domain", "username", "label"})
        expected << QMPerson::localizedIdentifierForKey(QString::fromLatin1(word));
    EXPECT_EQ(titles(menu), expected);
    EXPECT_EQ(menu->itemAtIndex(1)->state(), StateOn);
    EXPECT_EQ(menu->itemAtIndex(2)->state(), StateOff);
    choose(expected[2], menu);
    EXPECT_EQ(view->settings()->sortOptionsDict().value(FieldId::Email).selected, u"domain"_s);
    // Bob's addresses sort by their domains: "abe" before "baker".
    EXPECT_EQ(table->sortDescriptors().value(0).key, u"Email domain"_s);
    EXPECT_EQ(names(), (QStringList{u"Ann Abe"_s, u"Bob Baker"_s, u"Cid Cole"_s}));
}

TEST_F(TableCommandsTest, ValuesOpenInOtherApplicationsAsTheDetailPanelOpensThem) {
    RecordingUrlOpener opener;
    command(Ann, FieldId::Phone, u"Call Phone"_s);
    command(Ann, FieldId::Email, u"Send Email"_s);
    command(Ann, FieldId::URL, u"Open URL"_s);
    command(Ann, FieldId::Address, u"Open Web Map"_s);
    const QString address = person(u"Ann Abe"_s)->labeledValueForIdentifier(FieldId::Address, 0)->stringValue;
    EXPECT_EQ(opener.opened, (QList<QUrl>{Workspace::phoneURL(u"09012345678"_s),
                                          Workspace::mailURL(u"ann@abe.example"_s),
                                          QUrl(u"http://www.abe.example"_s), Workspace::webMapSearchURL(address)}));
    EXPECT_EQ(opener.opened.value(1).toString(), u"mailto:ann@abe.example"_s);
}

// The items that hand an address to a map read alike in every menu of the window that
// offers them: the table's, the detail panel's, the contact popover's and the merge sheet's.
TEST_F(TableCommandsTest, TheMapItemsReadAlikeInEveryMenu) {
    view->setEditState(true);
    const auto mapItems = [](Menu *menu) {
        QStringList shown;
        for (MenuItem *item : menu->itemArray())
            if (item->action() == ActionId::DoWorkspaceAction)
                shown << item->title();
        return shown.join(u" / "_s).toStdString();
    };
    const auto addressRow = [](const ContactInfoController &panel) {
        for (int r = 0; r < panel.table().size(); ++r)
            if (panel.table().at(r).type == FieldId::Address)
                return r;
        return -1;
    };
    const std::string maps = "Open in Maps / Open Web Map";

    menuAt(Ann, FieldId::Address);
    EXPECT_EQ(mapItems(table->cellMenu()), maps) << "the contacts table";
    table->cellMenu()->hide();

    table->selectRowIndexes({Ann});
    QCoreApplication::processEvents();
    ContactInfoController *panel = view->contactInfoController();
    panel->setClickedCell(addressRow(*panel), 1);
    panel->tableMenu()->update();
    EXPECT_EQ(mapItems(panel->tableMenu()), maps) << "the detail panel";

    table->showContactInfoPopover(table->subContactTable()[Ann], FieldId::Name,
                                  tableView()->visualRect(cell(Ann, FieldId::Name)));
    ASSERT_TRUE(table->popover());
    auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
    ASSERT_TRUE(popover);
    for (const bool editing : {true, false}) {
        popover->setEditState(editing);
        ContactInfoController *inPopover = popover->contactInfo();
        inPopover->setClickedCell(addressRow(*inPopover), 1);
        inPopover->tableMenu()->update();
        EXPECT_EQ(mapItems(inPopover->tableMenu()), maps) << "the contact popover, editing " << editing;
    }
    table->popover()->close();

    table->selectRowIndexes({Ann, Bob});
    ASSERT_TRUE(pick(u"Contact"_s, u"Merge Contacts"_s));
    MergePanelController *sheet = view->mergePanelController();
    ASSERT_TRUE(sheet);
    int sheetRow = -1;
    for (int r = 0; r < sheet->tableLeft().size(); ++r)
        if (sheet->tableLeft()[r].type == FieldId::Address && sheetRow < 0)
            sheetRow = r;
    ASSERT_GE(sheetRow, 0);
    sheet->tableViewLeft()->setClickedCell(sheetRow, MergePanelController::ValueColumn);
    Menu *sheetMenu = sheet->menuOf(sheet->tableViewLeft());
    sheetMenu->update();
    EXPECT_EQ(mapItems(sheetMenu), maps) << "the merge sheet";
    sheet->cancelButton()->click();
    QCoreApplication::processEvents();
}

TEST_F(TableCommandsTest, DeleteItemRemovesEachSelectedValueOnceWhateverTheSortAndUndoesInOneStep) {
    view->setEditState(true);
    // Sorted by phone number descending, Ann's rows are no longer in their values' order.
    table->setSortDescriptors({SortDescriptor{FieldId::Phone, false, false}});
    const QStringList annBefore = values(u"Ann Abe"_s, FieldId::Phone);
    QList<int> rows;
    for (int r = 0; r < int(table->subContactTable().size()); ++r) {
        const SubContactRow &row = *table->subContactTable()[size_t(r)];
        if (row.person->labeledValueForIdentifier(FieldId::Phone, qsizetype(row.labelIndex)))
            rows << r;
    }
    ASSERT_EQ(rows.size(), 3);
    table->selectRowIndexes(rows);
    dialogs.answerAlert(u"OK"_s);
    command(rows.first(), FieldId::Phone, u"Delete Item"_s);
    EXPECT_EQ(dialogs.shown().last().alert.messageText,
              u"Do you want to delete the item(label and text) in the selected cells in column:Phone ?"_s);
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone), QStringList());
    EXPECT_EQ(values(u"Bob Baker"_s, FieldId::Phone), QStringList());
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone), annBefore);
    EXPECT_EQ(values(u"Bob Baker"_s, FieldId::Phone).size(), 1);
    EXPECT_FALSE(canUndo());

    // In an address part's column the whole address goes; Cancel changes nothing.
    table->setSortDescriptors({SortDescriptor{FieldId::CompositeName, true, false}});
    dialogs.answerAlert(u"Cancel"_s);
    command(Ann, FieldId::City, u"Delete Item"_s);
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Address).size(), 1);
    dialogs.answerAlert(u"OK"_s);
    command(Ann, FieldId::City, u"Delete Item"_s);
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Address), QStringList());
}

TEST_F(TableCommandsTest, ReplaceKeepsOrSetsLabelsAndPrependAndAppendChangeEachValueOnce) {
    view->setEditState(true);
    // A cancelled dialog leaves nothing behind.
    command(Ann, FieldId::Note, u"Append Text"_s);
    answerDialog(u"!"_s, -1, false);
    EXPECT_EQ(person(u"Ann Abe"_s)->stringValueForIdentifier(FieldId::Note), u"ann note"_s);
    EXPECT_FALSE(canUndo());
    table->selectRowIndexes({Ann, Ann2, Bob});
    command(Ann, FieldId::Phone, u"Replace Text"_s);
    answerDialog(u"777"_s);
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone), (QStringList{u"mobile:777"_s, u"home:777"_s}));
    EXPECT_EQ(values(u"Bob Baker"_s, FieldId::Phone), QStringList{u"work:777"_s});
    // The selection is reduced to the clicked row's contact.
    EXPECT_FALSE(table->selectedRowIndexes().contains(Bob));
    undo();
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone), (QStringList{u"mobile:09012345678"_s, u"home:090-1111-2222"_s}));
    EXPECT_FALSE(canUndo());

    command(Bob, FieldId::Phone, u"Replace Label and Text"_s);
    const QStringList labels = QMPerson::labelsForIdentifier(FieldId::Phone).value_or(QStringList());
    answerDialog(u"555"_s, int(labels.indexOf(u"main"_s)));
    EXPECT_EQ(values(u"Bob Baker"_s, FieldId::Phone), QStringList{u"main:555"_s});

    // Ann's two rows share her note: the text goes in front of it once.
    table->selectRowIndexes({Ann, Ann2});
    command(Ann, FieldId::Note, u"Prepend Text"_s);
    EXPECT_EQ(table->replaceAlertPanel()->replaceTextField()->toPlainText(), QString());
    answerDialog(u"X-"_s);
    EXPECT_EQ(person(u"Ann Abe"_s)->stringValueForIdentifier(FieldId::Note), u"X-ann note"_s);
    table->selectRowIndexes({Ann, Ann2});
    command(Ann2, FieldId::Phone, u"Append Text"_s);
    answerDialog(u" ext"_s);
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone),
              (QStringList{u"mobile:09012345678 ext"_s, u"home:090-1111-2222 ext"_s}));
}

TEST_F(TableCommandsTest, AddItemAddsOneValueToEachContactInOneStep) {
    view->setEditState(true);
    table->selectRowIndexes({Ann, Ann2, Cid});
    command(Ann2, FieldId::Email, u"Add Item"_s);
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Email), (QStringList{u"home:ann@abe.example"_s, u"home:new"_s}));
    EXPECT_EQ(values(u"Cid Cole"_s, FieldId::Email), QStringList{u"home:new"_s});
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Email).size(), 1);
    EXPECT_EQ(values(u"Cid Cole"_s, FieldId::Email), QStringList());
}

TEST_F(TableCommandsTest, NormalizingPhonesMarksTheWindowOnlyWhenANumberChanged) {
    Menu *layouts = findSubmenu(window()->mainMenu(), u"Normalize Phone Numbers"_s);
    ASSERT_TRUE(layouts);
    EXPECT_EQ(titles(layouts), (QStringList{u"(12) 3456-7890"_s, u"(123) 456-7890"_s, u"(1234) 56-7890"_s,
                                            u"(12) 34 56 78 90"_s, u"090-1234-5678"_s, u"0120-123-456"_s}));
    table->selectRowIndexes({Ann2, Cid}); // already laid out; no phone
    ASSERT_TRUE(pick(u"Normalize Phone Numbers"_s, u"090-1234-5678"_s));
    EXPECT_FALSE(edited());
    EXPECT_FALSE(canUndo());
    table->selectRowIndexes({Ann, Ann2});
    ASSERT_TRUE(pick(u"Normalize Phone Numbers"_s, u"090-1234-5678"_s));
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone), (QStringList{u"mobile:090-1234-5678"_s, u"home:090-1111-2222"_s}));
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone).first(), u"mobile:09012345678"_s);
    EXPECT_FALSE(canUndo());
    // Without a phone column there is nothing to lay out.
    view->settings()->setSelectedViewType(u"Name"_s);
    EXPECT_FALSE(pick(u"Normalize Phone Numbers"_s, u"090-1234-5678"_s));
}

TEST_F(TableCommandsTest, ContactCommandsTakeEachContactOnce) {
    view->setEditState(false);
    table->selectRowIndexes({Ann, Ann2});
    EXPECT_EQ(menuAt(Ann, FieldId::Name).value(5), u"-Duplicate Contact"_s);
    table->cellMenu()->hide();
    view->setEditState(true);
    table->selectRowIndexes({Ann, Ann2});
    command(Ann2, FieldId::Name, u"Duplicate Contact"_s);
    EXPECT_EQ(names(), (QStringList{u"Ann Abe"_s, u"Ann Abe"_s, u"Bob Baker"_s, u"Cid Cole"_s}));
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(names(), (QStringList{u"Ann Abe"_s, u"Bob Baker"_s, u"Cid Cole"_s}));

    table->selectRowIndexes({Bob, Bob2});
    command(Bob2, FieldId::Name, u"Delete Contact"_s);
    EXPECT_EQ(names(), (QStringList{u"Ann Abe"_s, u"Cid Cole"_s}));
    undo();
    EXPECT_EQ(names().size(), 3);

    // The window's export, for the contacts the menu names.
    const QString path = testScratchDirectory() + u"/exported.vcf"_s;
    QFile::remove(path);
    SavePanel shownPanel;
    dialogs.answerPanel([&](const OpenPanel *, const SavePanel *panel) {
        shownPanel = *panel;
        return PanelResult{ModalResponse::OK, {QUrl::fromLocalFile(path)}};
    });
    table->selectRowIndexes({Bob, Bob2});
    command(Bob, FieldId::Name, u"Export Contact as vCard"_s);
    EXPECT_EQ(shownPanel.nameFieldStringValue, exportFileName(u"Bob Baker"_s, u".vcf"_s));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    EXPECT_EQ(written.count("BEGIN:VCARD"), 1);
    EXPECT_TRUE(written.contains("b2@baker.example"));
}

TEST_F(TableCommandsTest, MergeOpensOnTwoContactsAndItsResultIsOneStep) {
    table->selectRowIndexes({Ann, Ann2});
    EXPECT_FALSE(pick(u"Contact"_s, u"Merge Contacts"_s));
    view->setEditState(true);
    for (const bool done : {false, true}) {
        table->selectRowIndexes({Ann, Bob});
        ASSERT_TRUE(pick(u"Contact"_s, u"Merge Contacts"_s));
        MergePanelController *sheet = view->mergePanelController();
        ASSERT_TRUE(sheet && Application::shared().attachedSheet(window()) == sheet->window());
        ASSERT_TRUE(sheet->contactRight());
        sheet->edits().undoReplaceStringValue(u"merged note"_s, FieldId::Note, sheet->contactRight()->person);
        QCoreApplication::processEvents();
        (done ? sheet->doneButton() : sheet->cancelButton())->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(person(u"Bob Baker"_s)->stringValueForIdentifier(FieldId::Note), done ? u"merged note"_s : QString());
        EXPECT_EQ(edited(), done);
    }
    undo();
    EXPECT_EQ(person(u"Bob Baker"_s)->stringValueForIdentifier(FieldId::Note), QString());
    EXPECT_FALSE(canUndo());
}

TEST_F(TableCommandsTest, TheCompanyLineToggleIsStoredAndTickedInBothMenus) {
    for (const bool shown : {true, false}) {
        table->selectRowIndexes({Cid});
        command(Cid, FieldId::Name, u"Show Company in the Name Cell"_s);
        EXPECT_EQ(table->showCompanyInNameCell(), shown);
        EXPECT_EQ(UserDefaults::standard().boolForKey(u"QM1DshowCompanyInNameCell"_s), shown);
        Menu *contact = findSubmenu(window()->mainMenu(), u"Contact"_s);
        contact->update();
        EXPECT_EQ(contact->itemWithTitle(u"Show Company in the Name Cell"_s)->state(), shown ? StateOn : StateOff);
    }
    // The Contact menu's item reaches the table whichever pane has the focus.
    view->contactInfoController()->tableView()->setFocus();
    ASSERT_TRUE(pick(u"Contact"_s, u"Show Company in the Name Cell"_s));
    EXPECT_TRUE(table->showCompanyInNameCell());
}

TEST_F(TableCommandsTest, AnEditorFromTheMenuAsksBeforeItGoesToEverySelectedRow) {
    view->setEditState(true);
    table->selectRowIndexes({Ann, Bob});
    dialogs.answerAlert(u"OK"_s);
    command(Cid, FieldId::Email, u"Open Edit Panel"_s);
    EXPECT_EQ(dialogs.shown().last().alert.messageText, u"Do you want to set the same value in the selected rows"_s);
    ASSERT_TRUE(table->popover());
    table->popover()->close();
    QCoreApplication::processEvents();
    // Locked, the editor opens at once for the clicked row.
    view->setEditState(false);
    const qsizetype asked = dialogs.shown().size();
    table->selectRowIndexes({Ann, Bob});
    command(Bob, FieldId::Phone, u"Open Edit Panel"_s);
    EXPECT_EQ(dialogs.shown().size(), asked);
    EXPECT_TRUE(table->popover());
}

} // namespace
} // namespace tessarin
