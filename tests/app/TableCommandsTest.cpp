#include "tests/app/TableDriving.h"

#include "app/transfer/ExportCommand.h"
#include "contact_info/ContactInfoPopover.h"
#include "editors/AddressViewController.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PhoneticNameViewController.h"
#include "editors/SNSViewController.h"
#include "merge/MergeEdits.h"
#include "merge/MergePanelController.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>

namespace tessarin {
using namespace table_test;
using namespace Qt::Literals::StringLiterals;

namespace {

// Rows by name: Ann (0: her first phone and everything else; 1: her second phone), Bob (2:
// phone, first e-mail and the fields Ann lacks; 3: second e-mail), Cid (4: nothing but a
// company), the footer (5).
const QString Cards =
    u"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\nTEL;type=CELL:09012345678\r\n"
    "TEL;type=HOME:090-1111-2222\r\nEMAIL;type=INTERNET;type=HOME:ann@abe.example\r\nURL:www.abe.example\r\n"
    "ADR;type=HOME:;;1 Main St;Springfield;;12345;USA\r\nNOTE:ann note\r\nBDAY:1980-05-17\r\n"
    "X-HOBBY;TYPE=club:Chess\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\nTEL;type=WORK:03 1234 5678\r\n"
    "EMAIL;type=INTERNET;type=WORK:b1@baker.example\r\nEMAIL;type=INTERNET;type=HOME:b2@baker.example\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;TYPE=WORK:skype:bob\r\nX-SOCIALPROFILE;TYPE=twitter;x-user=bob:https://twitter.com/bob\r\n"
    "item1.X-ABDATE:2010-10-10\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\nX-PHONETIC-LAST-NAME:beika\r\n"
    "item2.X-ABRELATEDNAMES:Ben\r\nitem2.X-ABLabel:_$!<Brother>!$_\r\nEND:VCARD\r\n"
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
                                     u"HOBBY"_s, FieldId::Relationship};
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
    // Right-clicks the column's header: the menu as the user sees it, ticked items marked
    // with a leading check mark; none when no menu opened.
    QStringList headerMenuAt(const QString &identifier) {
        tableView()->scrollTo(cell(0, identifier));
        QHeaderView *header = tableView()->horizontalHeader();
        const QPoint point(header->sectionViewportPosition(table->tableModel()->columnOf(identifier)) + 20,
                           header->height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, header->viewport()->mapToGlobal(point));
        QApplication::sendEvent(header->viewport(), &event);
        Menu *menu = table->headerMenu();
        if (!menu->isVisible())
            return {};
        QStringList shown = titles(menu);
        for (int i = 0; i < menu->numberOfItems(); ++i)
            if (menu->itemAtIndex(i)->state() == StateOn)
                shown[i].prepend(u"\u2713"_s);
        return shown;
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
    QStringList expected = {u"-Sort by"_s};
    for (const char *word : {"Email", "domain", "username", "label"})
        expected << QMPerson::localizedIdentifierForKey(QString::fromLatin1(word));
    QStringList ticked = expected;
    ticked[1].prepend(u"\u2713"_s);
    EXPECT_EQ(headerMenuAt(FieldId::Email), ticked);
    Menu *menu = table->headerMenu();
    ASSERT_TRUE(menu->isVisible());
    choose(expected[2], menu);
    EXPECT_EQ(view->settings()->sortOptionsDict().value(FieldId::Email).selected, u"domain"_s);
    // Bob's addresses sort by their domains: "abe" before "baker".
    EXPECT_EQ(table->sortDescriptors().value(0).key, u"Email domain"_s);
    EXPECT_EQ(names(), (QStringList{u"Ann Abe"_s, u"Bob Baker"_s, u"Cid Cole"_s}));
}

// Whichever option is in force, chosen in the header's menu or in Navigate > Sort Options,
// the header's menu of every column that has options ticks that one and no other.
TEST_F(TableCommandsTest, EveryHeaderMenuTicksTheSortOptionInForce) {
    Menu *sortOptions = findSubmenu(window()->mainMenu(), u"Sort Options"_s);
    ASSERT_TRUE(sortOptions);
    QStringList sortable;
    for (const ContactsTableColumn &column : table->tableColumns()) {
        const QString identifier = column.identifier;
        const QStringList options = view->settings()->sortOptionsDict().value(identifier).items;
        if (options.isEmpty()) {
            EXPECT_EQ(headerMenuAt(identifier), QStringList()) << identifier.toStdString();
            continue;
        }
        sortable << identifier;
        for (qsizetype chosen = 0; chosen < options.size(); ++chosen) {
            SCOPED_TRACE(identifier.toStdString() + " " + options[chosen].toStdString());
            const QString title = QMPerson::localizedIdentifierForKey(options[chosen]);
            if (chosen % 2) {
                headerMenuAt(identifier);
                choose(title, table->headerMenu());
            } else {
                ASSERT_TRUE(pickMenuItem(sortOptions, QMPerson::localizedIdentifierForKey(identifier), title));
            }
            EXPECT_EQ(view->settings()->sortOptionsDict().value(identifier).selected, options[chosen]);
            QStringList expected = {u"-Sort by"_s};
            for (qsizetype i = 0; i < options.size(); ++i)
                expected << (i == chosen ? u"\u2713"_s : QString()) + QMPerson::localizedIdentifierForKey(options[i]);
            EXPECT_EQ(headerMenuAt(identifier), expected);
            table->headerMenu()->hide();
            QCoreApplication::processEvents();
        }
    }
    EXPECT_EQ(sortable, (QStringList{FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Address,
                                     FieldId::Dates, FieldId::InstantMessage, FieldId::SocialNetwork,
                                     FieldId::PhoneticName, u"HOBBY"_s, FieldId::Relationship}));
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

// Each layout's item, titled with its sample, lays the sample's digits out exactly as the
// title shows them, in one undo step.
TEST_F(TableCommandsTest, EveryPhoneLayoutLaysANumberOutAsItsTitleShows) {
    view->setEditState(true);
    Menu *layouts = findSubmenu(window()->mainMenu(), u"Normalize Phone Numbers"_s);
    ASSERT_TRUE(layouts);
    const QStringList samples = titles(layouts);
    ASSERT_EQ(samples.size(), 6);
    const QString before = values(u"Bob Baker"_s, FieldId::Phone).join(u',');
    for (const QString &sample : samples) {
        SCOPED_TRACE(sample.toStdString());
        QString digits = sample;
        digits.remove(QRegularExpression(u"\\D"_s));
        person(u"Ann Abe"_s)->replaceLabeledValue(FieldValue(LabeledValueList{}), FieldId::Phone);
        LabeledValueRecord phone;
        phone.label = u"home"_s;
        phone.value = digits;
        person(u"Ann Abe"_s)->addLabeledValue(phone, FieldId::Phone);
        table->updateTable();
        table->selectRowIndexes({rowOf(u"Ann Abe"_s), rowOf(u"Bob Baker"_s)});
        ASSERT_TRUE(pick(u"Normalize Phone Numbers"_s, sample));
        EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone), QStringList{u"home:"_s + sample});
        undo();
        EXPECT_EQ(values(u"Ann Abe"_s, FieldId::Phone), QStringList{u"home:"_s + digits});
        EXPECT_EQ(values(u"Bob Baker"_s, FieldId::Phone).join(u','), before);
        EXPECT_FALSE(canUndo());
    }
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

// Every item that opens an editor opens its field's own editor on the value its row shows,
// with that value's label. Editing with several rows it asks first, and its answer goes to
// every one of them; the contact popover and the name editor never ask. Locked, it opens
// at once for its row.
TEST_F(TableCommandsTest, EachEditorItemOpensItsEditorOnTheRowsValue) {
    // The label the editor shows for the value it opened on: its popup's, or its list's
    // selected row's.
    const auto shownLabel = [this]() -> QString {
        PopoverEditor *open = editor();
        const auto selectedRow = [](QTableView *rows) {
            const QModelIndexList selected = rows->selectionModel()->selectedRows();
            return selected.size() == 1 ? selected.first().row() : -1;
        };
        if (auto *list = qobject_cast<MultiValueViewController *>(open))
            return selectedRow(list->tableView()) >= 0 ? list->record(selectedRow(list->tableView())).labelText()
                                                         : u"no row"_s;
        if (auto *dates = qobject_cast<DatesViewController *>(open))
            return selectedRow(dates->tableView()) >= 0 ? dates->table().at(selectedRow(dates->tableView())).labelText()
                                                          : u"no row"_s;
        if (auto *address = qobject_cast<AddressViewController *>(open))
            return address->labelPopup()->currentText();
        if (auto *ims = qobject_cast<IMSViewController *>(open))
            return ims->labelPopup()->currentText();
        if (auto *sns = qobject_cast<SNSViewController *>(open))
            return sns->servicePopup()->currentText();
        return {};
    };
    const struct {
        int row;
        QString column;
        QString item;
        QString opened; // what opens, its edit state left out
        QString label;
    } cases[] = {
        {Ann, FieldId::Name, u"Show Contact Info"_s, u"contact popover"_s, {}},
        {Ann, FieldId::Name, u"Open Name Panel"_s, u"NameViewController Name -"_s, {}},
        {Ann2, FieldId::Phone, u"Open Edit Panel"_s, u"MultiValueViewController Phone 1"_s, u"home"_s},
        {Bob2, FieldId::Email, u"Open Edit Panel"_s, u"MultiValueViewController Email 1"_s, u"home"_s},
        {Cid, FieldId::Email, u"Open Edit Panel"_s, u"MultiValueViewController Email 0"_s, u"no row"_s},
        {Ann, FieldId::URL, u"Open Edit Panel"_s, u"MultiValueViewController URL 0"_s, u"No label"_s},
        {Ann, FieldId::Address, u"Open Address Panel"_s, u"AddressViewController Address 0"_s, u"home"_s},
        {Ann, FieldId::Address, u"Open Edit Panel"_s, u"MultiValueViewController Address 0"_s, u"home"_s},
        {Ann, FieldId::City, u"Open Address Panel"_s, u"AddressViewController Address 0"_s, u"home"_s},
        {Bob, FieldId::City, u"Open Address Panel"_s, u"AddressViewController Address -1"_s, u"home"_s},
        {Bob, FieldId::InstantMessage, u"Open IMS Panel"_s, u"IMSViewController Instant Message 0"_s, u"work"_s},
        {Bob, FieldId::InstantMessage, u"Open Edit Panel"_s, u"MultiValueViewController Instant Message 0"_s,
         u"work"_s},
        {Bob, FieldId::SocialNetwork, u"Open SNS Panel"_s, u"SNSViewController Social Network 0"_s, u"Twitter"_s},
        {Bob, FieldId::SocialNetwork, u"Open Edit Panel"_s, u"MultiValueViewController Social Network 0"_s,
         u"Twitter"_s},
        {Bob, FieldId::Dates, u"Open Dates Panel"_s, u"DatesViewController Dates 0"_s, u"anniversary"_s},
        {Ann, FieldId::Birthday, u"Open Birthday Panel"_s, u"DateViewController Birthday -"_s, {}},
        {Bob, FieldId::PhoneticName, u"Open Phonetic Name Panel"_s, u"PhoneticNameViewController Phonetic Name -"_s,
         {}},
        {Ann, u"HOBBY"_s, u"Open Edit Panel"_s, u"MultiValueViewController HOBBY 0"_s, u"club"_s},
        {Bob, FieldId::Relationship, u"Open Edit Panel"_s, u"MultiValueViewController Relationship 0"_s,
         u"brother"_s},
    };
    // A change in the open editor, as a user makes it, then Done.
    const auto changeAndDone = [this] {
        PopoverEditor *open = editor();
        ASSERT_NE(open, nullptr);
        ASSERT_TRUE(open->isEditing());
        if (auto *list = qobject_cast<MultiValueViewController *>(open)) {
            // A new address is asked for in an editor of its own: the shown one is relabelled.
            const QModelIndexList rows = list->tableView()->selectionModel()->selectedRows();
            if (list->type() == FieldId::Address && rows.size() == 1) {
                const int row = rows.first().row(), labels = 1;
                list->popupButtonCellChanged(row, labels, (list->popupSelection(row, labels) + 1) %
                                                              int(list->popupTitles(labels).size()));
            } else {
                list->addButton()->click();
            }
        } else if (auto *dates = qobject_cast<DatesViewController *>(open))
            dates->addButton()->click();
        else if (auto *address = qobject_cast<AddressViewController *>(open))
            QTest::keyClicks(address->cityField(), u"-ku"_s);
        else if (auto *ims = qobject_cast<IMSViewController *>(open))
            QTest::keyClicks(ims->usernameField(), u"x"_s);
        else if (auto *sns = qobject_cast<SNSViewController *>(open))
            QTest::keyClicks(sns->usernameField(), u"x"_s);
        else if (auto *phonetic = qobject_cast<PhoneticNameViewController *>(open))
            QTest::keyClicks(phonetic->firstNameField(), u"x"_s);
        else if (auto *birthday = qobject_cast<DateViewController *>(open)) {
            birthday->dateField()->selectAll();
            QTest::keyClicks(birthday->dateField(), u"1999.01.02"_s);
            QTest::keyClick(birthday->dateField(), Qt::Key_Return);
        }
        open->doneButton()->click();
        QCoreApplication::processEvents();
    };
    const QStringList contacts = {u"Ann Abe"_s, u"Bob Baker"_s, u"Cid Cole"_s};
    const auto fieldOf = [&](const QString &column) {
        QList<FieldValue> values;
        for (const QString &name : contacts)
            values << person(name)->valueForIdentifier(column == FieldId::City ? FieldId::Address : column);
        return values;
    };
    const QList<int> others = {Ann, Bob2, Cid};
    for (const auto &c : cases)
        for (const bool editing : {true, false})
            for (const bool several : {true, false}) {
                SCOPED_TRACE(QStringLiteral("%1 row %2, %3, %4, %5")
                                 .arg(c.column)
                                 .arg(c.row)
                                 .arg(c.item, editing ? u"editing"_s : u"locked"_s,
                                      several ? u"several rows"_s : u"one row"_s)
                                 .toStdString());
                view->setEditState(editing);
                table->selectRowIndexes(several ? others : QList<int>{c.row});
                const qsizetype asked = dialogs.shown().size();
                // The contact popover and the name editor never ask.
                const bool asks = c.column != FieldId::Name && editing && several;
                if (asks)
                    dialogs.answerAlert(u"OK"_s);
                command(c.row, c.column, c.item);
                ASSERT_EQ(dialogs.shown().size(), asked + (asks ? 1 : 0));
                if (asks) {
                    EXPECT_EQ(dialogs.shown().last().alert.messageText,
                              u"Do you want to set the same value in the selected rows"_s);
                }
                const QString state = c.opened == u"contact popover"_s ? QString()
                                      : editing                          ? u" editing"_s
                                                                         : u" locked"_s;
                EXPECT_EQ(openedBy(*table).toStdString(), (c.opened + state).toStdString());
                EXPECT_EQ(shownLabel().toStdString(), c.label.toStdString());
                ASSERT_TRUE(table->popover());
                if (!asks) {
                    table->popover()->close();
                    QCoreApplication::processEvents();
                    continue;
                }
                // The answer reaches each of the three contacts, in one undo step.
                const QList<FieldValue> before = fieldOf(c.column);
                changeAndDone();
                const QList<FieldValue> after = fieldOf(c.column);
                for (qsizetype i = 0; i < contacts.size(); ++i)
                    EXPECT_FALSE(after[i] == before[i]) << contacts[i].toStdString();
                undo();
                EXPECT_TRUE(fieldOf(c.column) == before);
                EXPECT_FALSE(canUndo());
            }

    // A value whose running number is not its position: the editor opens on that value.
    person(u"Bob Baker"_s)->deleteLabeledValueForIdentifier(FieldId::Email, LabelIndex(0));
    table->updateTable();
    view->setEditState(true);
    table->selectRowIndexes({Bob});
    command(Bob, FieldId::Email, u"Open Edit Panel"_s);
    EXPECT_EQ(openedBy(*table), u"MultiValueViewController Email 1 editing"_s);
    EXPECT_EQ(shownLabel(), u"home"_s);
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
