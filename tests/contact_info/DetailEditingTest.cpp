#include "contact_info/ContactInfoController.h"
#include "contact_info/ContactInfoPopover.h"
#include "editors/AddressViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "model/QMvCard.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"
#include "tests/contact_info/ContactInfoTestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Action = DetailDoubleAction;

TEST(DetailDoubleAction, EachRowKindOpensItsEditorOrEditsInPlace) {
    const QString Lab = ValueKind::Labeled, Str = ValueKind::String, Dic = ValueKind::Dictionary;
    const struct {
        const char *what;
        DetailCellClick click;
        Action action;
    } cases[] = {
        // type, kind, value column, text empty, unlocked, Ctrl
        {"empty phone", {"Phone", Lab, true, true, true, false}, Action::ListEditor},
        {"phone with a value", {"Phone", Lab, true, false, true, false}, Action::InPlaceEdit},
        {"filled address", {"Address", Lab, true, false, true, false}, Action::AddressEditor},
        {"Ctrl on a filled address", {"Address", Lab, true, false, true, true}, Action::ListEditor},
        {"empty address", {"Address", Lab, true, true, true, false}, Action::ListEditor},
        {"filled instant message", {"Instant Message", Lab, true, false, true, false}, Action::IMSEditor},
        {"filled social profile", {"Social Network", Lab, true, false, true, false}, Action::SNSEditor},
        {"locked filled address", {"Address", Lab, true, false, false, false}, Action::AddressEditor},
        {"locked empty address", {"Address", Lab, true, true, false, false}, Action::Nothing},
        {"locked phone", {"Phone", Lab, true, false, false, false}, Action::Nothing},
        {"locked Ctrl on a phone", {"Phone", Lab, true, false, false, true}, Action::ListEditor},
        {"locked birthday", {"Birthday", Dic, true, false, false, false}, Action::DateEditor},
        {"label column of a company", {"Company", Str, false, false, true, false}, Action::Nothing},
        {"label column of an e-mail", {"Email", Lab, false, false, true, false}, Action::ListEditor},
        {"birthday without one", {"Birthday", Dic, true, true, true, false}, Action::DateEditor},
        {"birthday, label column", {"Birthday", Dic, false, true, true, false}, Action::DateEditor},
        {"dates with Ctrl", {"Dates", Lab, true, false, true, true}, Action::DateEditor},
        {"name part", {"Name", Dic, true, true, true, false}, Action::InPlaceEdit},
        {"phonetic part", {"Phonetic Name", Dic, true, false, true, false}, Action::InPlaceEdit},
        {"empty company", {"Company", Str, true, true, true, false}, Action::InPlaceEdit},
        {"photo", {"Photo", "", true, true, true, false}, Action::Nothing},
        {"name display", {"Name Display", "", true, false, true, false}, Action::Nothing},
        {"groups", {"Groups", "", true, false, true, false}, Action::Nothing},
    };
    for (const auto &c : cases)
        EXPECT_EQ(detailDoubleAction(c.click), c.action) << c.what;
}

// A contact with a phone, an instant message, a note and a birthday; no e-mail address.
ContactEntry phoneContact() {
    return entryFromVCard(vcard(QStringLiteral("N:Baker;Bob;;;\nFN:Bob Baker\nORG:Bakery\n"
                                               "TEL;TYPE=HOME:200\nTEL;TYPE=WORK:201\n"
                                               "IMPP;X-SERVICE-TYPE=Skype:skype:bob\n"
                                               "ADR;TYPE=HOME:;;1-2 Chiyoda;Chiyoda-ku;Tokyo;100-0001;Japan\n"
                                               "URL;TYPE=WORK:example.com\nEMAIL;TYPE=WORK:b@baker.example\n"
                                               "BDAY:1970-01-02\nNOTE:one\\ntwo\n")));
}

class DetailEditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserDefaults::standard().resetAll();
        controller.setDelegate(&delegate);
        window.setWindowTitle(QStringLiteral("Contacts[*]"));
        window.setCentralWidget(controller.view());
        window.resize(600, 900);
        window.show();
        show(phoneContact());
    }
    void show(const ContactEntry &entry) {
        shown = entry;
        controller.setContact(&shown);
    }
    int rowOf(const QString &type, int nth = 0) const {
        for (int row = 0; row < controller.table().size(); ++row)
            if (controller.table().at(row).type == type && nth-- == 0)
                return row;
        return -1;
    }
    int editedRow() {
        const CellTextEditor *editor = controller.cellEditor();
        return editor ? controller.tableView()->indexAt(editor->geometry().center()).row() : -1;
    }
    void doubleClick(int row, int column = 1, Qt::KeyboardModifiers modifiers = {}) {
        controller.setClickedCell(row, column);
        controller.tableViewDoubleAction(modifiers);
    }
    void type(const QString &text, Qt::Key end) {
        CellTextEditor *editor = controller.cellEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, end);
        QCoreApplication::processEvents();
    }
    QStringList menuTitles(int row, int column = 1) {
        controller.setClickedCell(row, column);
        controller.tableMenu()->update();
        QStringList titles;
        for (MenuItem *item : controller.tableMenu()->itemArray())
            if (!item->isSeparator())
                titles << item->title() + (item->isEnabled() ? "" : " (disabled)");
        return titles;
    }

    EditingInfoDelegate delegate;
    ContactInfoController controller;
    Window window;
    ContactEntry shown;
};

TEST_F(DetailEditingTest, AnInPlaceEditChangesTheContactOnceAndMovesOn) {
    // A name part to the same text is a step; a phone number to the same text is none.
    doubleClick(rowOf("Name"));
    type("Bob", Qt::Key_Return);
    EXPECT_EQ(delegate.calls, QStringList{"name"});
    // Return went on to the middle name; Escape leaves it as it was.
    EXPECT_EQ(editedRow(), rowOf("Name") + 1);
    QTest::keyClick(controller.cellEditor(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    doubleClick(rowOf("Phone"));
    ASSERT_NE(controller.cellEditor(), nullptr);
    EXPECT_EQ(controller.cellEditor()->toPlainText(), "200");
    type("200", Qt::Key_Tab);
    EXPECT_EQ(delegate.calls, QStringList{"name"});

    // Tab from the second phone passes the instant message, the empty social profile and
    // the address, and lands on the web address, which has a label.
    doubleClick(rowOf("Phone", 1));
    type("555 0101", Qt::Key_Tab);
    EXPECT_EQ(delegate.calls.last(), "labeled Phone");
    EXPECT_EQ(shown.person->phoneValues().at(1).value, "555 0101");
    EXPECT_EQ(delegate.updates.size(), 2);
    EXPECT_EQ(editedRow(), rowOf("URL"));

    // Return in the note moves on instead of breaking the line, wrapping to the first row.
    controller.editColumn(1, rowOf("Note"));
    type("three", Qt::Key_Return);
    EXPECT_EQ(shown.person->stringValueForIdentifier("Note"), "three");
    EXPECT_EQ(editedRow(), 0);
    // Escape drops the text.
    type("Robert", Qt::Key_Escape);
    EXPECT_EQ(shown.person->nameValue().firstName, "Bob");
    EXPECT_EQ(controller.cellEditor(), nullptr);
}

// Alt+Return breaks the line only in the note: a phone, an e-mail address, a web address or the
// company would be unusable with a break in it.
TEST_F(DetailEditingTest, OnlyTheNoteTakesALineBreak) {
    const struct {
        QString type;
        bool takesLines;
        std::function<QString()> stored;
    } cases[] = {
        {"Phone", false, [&] { return shown.person->phoneValues().at(0).stringValue; }},
        {"Email", false, [&] { return shown.person->emailValues().at(0).stringValue; }},
        {"URL", false, [&] { return shown.person->urlValues().at(0).stringValue; }},
        {"Company", false, [&] { return shown.person->stringValueForIdentifier("Company"); }},
        {"Note", true, [&] { return shown.person->stringValueForIdentifier("Note"); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.type.toStdString());
        controller.editColumn(1, rowOf(c.type));
        CellTextEditor *editor = controller.cellEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("a"));
        QTest::keyClick(editor, Qt::Key_Return, Qt::AltModifier);
        QTest::keyClicks(editor, QStringLiteral("b"));
        QTest::keyClick(editor, Qt::Key_Tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(c.stored(), c.takesLines ? QStringLiteral("a\nb") : QStringLiteral("ab"));
        if (CellTextEditor *next = controller.cellEditor())
            QTest::keyClick(next, Qt::Key_Escape);
        QCoreApplication::processEvents();
    }
}

// Return and Tab, alternately, over a full pass of a contact with a row of every kind: they
// enter the rows whose value takes typed text and pass over the rest (a field's empty row,
// a custom labeled item's too), and every text typed on the way is kept.
TEST_F(DetailEditingTest, ReturnAndTabEnterOnlyRowsThatKeepTheTypedText) {
    const QString pager = QStringLiteral("PAGER"), hobby = QStringLiteral("HOBBY"),
                  blog = QStringLiteral("BLOG");
    const auto definition = [](const QString &name, const QString &type) {
        CustomItemDefinition item;
        item.name = name;
        item.type = type;
        return item;
    };
    controller.windowState()->setCustomItems({definition(pager, ValueKind::Labeled),
                                              definition(hobby, ValueKind::String),
                                              definition(blog, ValueKind::Labeled)});
    UserDefaults::standard().setObject(
        QStringList{"Name", "Photo", "Company", "Phone", "Email", "Instant Message", "URL", "Address",
                    "Birthday", "Relationship", "Dates", "Note", pager, hobby, blog, "Groups"},
        DetailRowModel::LastRowOrderKey);
    ContactInfoController panel;
    panel.setDelegate(&delegate);
    panel.setWindowState(controller.windowState());
    Window panelWindow;
    panelWindow.setCentralWidget(panel.view());
    panelWindow.resize(600, 900);
    panelWindow.show();
    ContactEntry entry = phoneContact();
    entry.person->deleteLabeledValueForIdentifier(FieldId::Email, LabelIndex(0));
    entry.person->addCustomItem(ValueKind::String, hobby, std::nullopt, std::nullopt);
    entry.person->setValue(QStringLiteral("chess"), hobby);
    entry.person->addCustomItem(ValueKind::Labeled, blog, QStringList{"home"}, std::nullopt);
    LabeledValueRecord post;
    post.label = QStringLiteral("home");
    post.value = post.stringValue = QStringLiteral("blog.example");
    post.labelIndex = 0;
    entry.person->setValue(LabeledValueList{post}, blog);
    panel.setContact(&entry);

    const auto rowType = [&](int row) {
        const InfoTableRow &info = panel.table().at(row);
        return info.type + (info.type == FieldId::Name ? "." + info.label.value_or(QString()) : QString());
    };
    const QStringList entered = {"Name.FirstName",
                                 "Name.MiddleName",
                                 "Name.LastName",
                                 "Name.PreviousFamilyName",
                                 "Company",
                                 "Phone",
                                 "Phone",
                                 "URL",
                                 "Note",
                                 hobby,
                                 blog};
    panel.editForIdentifier(FieldId::Name);
    QStringList visited;
    for (int i = 0; i < entered.size(); ++i) {
        CellTextEditor *editor = panel.cellEditor();
        ASSERT_NE(editor, nullptr) << i;
        visited << rowType(panel.tableView()->indexAt(editor->geometry().center()).row());
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("t%1").arg(i));
        QTest::keyClick(editor, i % 2 ? Qt::Key_Tab : Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // The pass ends where it began.
    ASSERT_NE(panel.cellEditor(), nullptr);
    EXPECT_EQ(rowType(panel.tableView()->indexAt(panel.cellEditor()->geometry().center()).row()),
              "Name.FirstName");
    QTest::keyClick(panel.cellEditor(), Qt::Key_Escape);
    EXPECT_EQ(visited, entered);
    QMPerson &person = *entry.person;
    EXPECT_EQ(person.nameValue().firstName, "t0");
    EXPECT_EQ(person.nameValue().previousFamilyName, "t3");
    EXPECT_EQ(person.stringValueForIdentifier(FieldId::Company), "t4");
    EXPECT_EQ(person.phoneValues().at(0).value, "t5");
    EXPECT_EQ(person.phoneValues().at(1).value, "t6");
    EXPECT_EQ(person.labeledValueForIdentifier(FieldId::URL)->at(0).value, "t7");
    EXPECT_EQ(person.stringValueForIdentifier(FieldId::Note), "t8");
    EXPECT_EQ(person.stringValueForIdentifier(hobby), "t9");
    EXPECT_EQ(person.labeledValueForIdentifier(blog)->at(0).value, "t10");
    EXPECT_TRUE(person.labeledValueForIdentifier(pager).value_or(LabeledValueList()).isEmpty());
    EXPECT_TRUE(person.emailValues().isEmpty());
    // Nor is an edit begun there any other way.
    panel.editForIdentifier(pager);
    EXPECT_EQ(panel.cellEditor(), nullptr);
    panel.editForIdentifier(FieldId::Email);
    EXPECT_EQ(panel.cellEditor(), nullptr);
}

// The window may show another contact in the panel once an edit has gone to it (a refresh
// that moved the table's selection did so): Return and Tab then open no edit in that
// contact, where the next typing would change a contact nobody aimed at.
TEST_F(DetailEditingTest, ReturnAndTabNeverGoOnInAContactTheWindowShowsInstead) {
    struct SwitchingDelegate : EditingInfoDelegate {
        std::function<void()> afterEdit;
        bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier,
                                     const PersonPtr &contact, QObject *sender) override {
            const bool changed =
                EditingInfoDelegate::undoReplaceLabeledValue(value, identifier, contact, sender);
            afterEdit();
            return changed;
        }
    } switching;
    ContactEntry other = fullContact();
    const QString otherCard = QMvCard().vCardFromPerson(*other.person, {}, {});
    switching.afterEdit = [&] { controller.setContact(&other); };
    controller.setDelegate(&switching);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Tab}) {
        show(phoneContact());
        doubleClick(rowOf("Phone"));
        type("555", key);
        EXPECT_EQ(shown.person->phoneValues().first().value, "555");
        EXPECT_EQ(controller.cellEditor(), nullptr);
        EXPECT_EQ(QMvCard().vCardFromPerson(*other.person, {}, {}), otherCard);
    }
}

TEST_F(DetailEditingTest, ReturnAndTabSearchOnePassAndEnd) {
    const int phone = rowOf("Phone", 1);
    EXPECT_EQ(controller.nextEditableRow(phone), rowOf("URL"));
    EXPECT_EQ(controller.nextEditableRow(rowOf("Note")), 0);
    EXPECT_EQ(controller.nextEditableRow(-1), 0);
    // Only the edited row qualifies: it is found again; none qualifies: the search ends.
    UserDefaults::standard().setObject(QStringList{"Photo", "Company", "Address"}, DetailRowModel::LastRowOrderKey);
    ContactInfoController fewRows;
    fewRows.setContact(&shown);
    EXPECT_EQ(fewRows.nextEditableRow(1), 1);
    UserDefaults::standard().setObject(QStringList{"Photo", "Groups", "Birthday"}, DetailRowModel::LastRowOrderKey);
    ContactInfoController noRows;
    noRows.setContact(&shown);
    EXPECT_EQ(noRows.nextEditableRow(0), -1);
}

TEST_F(DetailEditingTest, ALabelChoiceStoresTheLabelWordWhenTheEditTakesIt) {
    const QStringList words = QMPerson::labelsForIdentifier("Phone").value();
    const int work = int(words.indexOf("work"));
    ASSERT_GE(work, 0);
    const int row = rowOf("Phone");
    controller.popupButtonCellChanged(row, work);
    EXPECT_EQ(shown.person->phoneValues().first().labelText(), "work");
    EXPECT_EQ(delegate.updates.size(), 1);
    // The label it has already: nothing; refused by the edit: no report.
    controller.popupButtonCellChanged(row, work);
    delegate.answer = false;
    controller.popupButtonCellChanged(row, int(words.indexOf("home")));
    EXPECT_EQ(delegate.calls, (QStringList{"labeled Phone", "labeled Phone"}));
    EXPECT_EQ(delegate.updates.size(), 1);
}

TEST_F(DetailEditingTest, EditorAnswersGoToTheContactTheyWereOpenedOn) {
    // Done: one change, on the contact in the editor's context even after the panel moved on.
    controller.setClickedCell(rowOf("Address"), 1);
    controller.insertItem(nullptr);
    Popover *popover = controller.popover();
    ASSERT_NE(popover, nullptr);
    auto *editor = qobject_cast<AddressViewController *>(popover->contentViewController());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->contextInfo()->asksForNewValue());
    const auto opened = shown.person;
    ContactEntry other = fullContact();
    controller.setContact(&other);
    LabeledValueRecord address;
    address.label = QStringLiteral("work");
    address.city = QStringLiteral("Osaka");
    editor->contextInfo()->value = address;
    editor->contextInfo()->dirty = true;
    popover->close();
    EXPECT_EQ(delegate.calls, QStringList{"add Address"});
    EXPECT_EQ(opened->addressValues().size(), 2);
    EXPECT_EQ(controller.popover(), nullptr);

    // Cancel: nothing.
    controller.setContact(&shown);
    doubleClick(rowOf("Email"), 0);
    ASSERT_NE(controller.popover(), nullptr);
    EXPECT_EQ(controller.popover()->contentSize(), QSize(360, 260));
    controller.popover()->close();
    EXPECT_EQ(delegate.calls.size(), 1);
    EXPECT_EQ(delegate.updates.size(), 1);
}

TEST_F(DetailEditingTest, TheContextMenuOffersTheRowsCommands) {
    const QStringList phone = {"Call Phone", "Open Edit Panel", "Add Item", "Delete Item"};
    EXPECT_EQ(menuTitles(rowOf("Phone")), phone);
    EXPECT_TRUE(menuTitles(rowOf("Phone"), 0).isEmpty());
    EXPECT_TRUE(menuTitles(-1).isEmpty());
    EXPECT_EQ(menuTitles(rowOf("Social Network")),
              (QStringList{"Open SNS Panel (disabled)", "Open Edit Panel", "Add Item"}));
    EXPECT_EQ(menuTitles(rowOf("Address")),
              (QStringList{"Open in Maps", "Open Web Map", "Open Address Panel", "Open Edit Panel", "Add Item",
                           "Delete Item"}));
    EXPECT_EQ(menuTitles(rowOf("Birthday")),
              (QStringList{"Open Calendar (disabled)", "Open Birthday Panel", "Delete Item"}));
    EXPECT_EQ(menuTitles(rowOf("Dates")), (QStringList{"Open Calendar (disabled)", "Open Dates Panel"}));
    EXPECT_EQ(menuTitles(rowOf("Relationship")), (QStringList{"Open Relationship Panel", "Open Edit Panel", "Add Item"}));
    EXPECT_EQ(menuTitles(rowOf("Photo")), QStringList{"Add Image"});
    for (const char *none : {"Company", "Groups", "Name Display", "Phonetic Name", "Name"})
        EXPECT_TRUE(menuTitles(rowOf(none)).isEmpty()) << none;

    // The contact popover: either column; the changing items only while editing.
    ContactInfoPopover popover;
    popover.setContact(&shown);
    ContactInfoController &table = *popover.contactInfo();
    const auto titles = [&](const char *type, bool editing) {
        popover.setEditState(editing);
        int row = -1;
        for (int r = 0; r < table.table().size() && row < 0; ++r)
            if (table.table().at(r).type == type)
                row = r;
        table.setClickedCell(row, 0);
        table.tableMenu()->update();
        QStringList shown;
        for (MenuItem *item : table.tableMenu()->itemArray())
            shown << item->title() + (item->isEnabled() ? "" : " (disabled)");
        return shown;
    };
    EXPECT_EQ(titles("Phone", false), (QStringList{"Call Phone", "Open Edit Panel"}));
    EXPECT_EQ(titles("Phone", true), phone);
    EXPECT_TRUE(titles("Relationship", false).isEmpty());
    EXPECT_EQ(titles("Relationship", true), QStringList{"Add Item"});
    EXPECT_TRUE(titles("Social Network", false).isEmpty());
    EXPECT_EQ(titles("Birthday", false), (QStringList{"Open Calendar (disabled)"}));
}

TEST_F(DetailEditingTest, ValuesOpenInTheirApplications) {
    RecordingUrlOpener opener;
    // The item as the row's menu offers it.
    const auto open = [&](const QString &type, const char *title) {
        controller.setClickedCell(rowOf(type), 1);
        controller.tableMenu()->update();
        MenuItem *item = controller.tableMenu()->itemWithTitle(QString::fromUtf8(title));
        ASSERT_NE(item, nullptr) << title;
        controller.doWorkspaceAction(item);
    };
    open("Phone", "Call Phone");
    open("URL", "Open URL");
    open("Email", "Send Email");
    open("Address", "Open Web Map");
    open("Address", "Open in Maps");
    ASSERT_EQ(opener.opened.size(), 5);
    EXPECT_EQ(opener.opened[0].toString(QUrl::FullyEncoded), "tel:200");
    EXPECT_EQ(opener.opened[1].toString(QUrl::FullyEncoded), "http://example.com");
    EXPECT_EQ(opener.opened[2].toString(QUrl::FullyEncoded), "mailto:b@baker.example");
    const QString address = shown.person->addressValues().first().stringValue;
    EXPECT_EQ(opener.opened[3], Workspace::webMapSearchURL(address));
    EXPECT_EQ(opener.opened[4], Workspace::webMapSearchURL(address));
    // A Japanese address goes out percent-encoded as UTF-8, blanks as %20.
    LabeledValueRecord japanese = shown.person->addressValues().first();
    japanese.street = QStringLiteral("千代田 1-1");
    japanese.city = QStringLiteral("千代田区");
    shown.person->replaceAddressValue(japanese);
    controller.updateTable();
    open("Address", "Open Web Map");
    const QString url = opener.opened.last().toString(QUrl::FullyEncoded);
    EXPECT_TRUE(url.startsWith("https://www.google.com/maps/search/")) << url.toStdString();
    EXPECT_TRUE(url.contains("%E5%8D%83%E4%BB%A3%E7%94%B0%201-1")) << url.toStdString();
}

TEST_F(DetailEditingTest, AddAndDeleteItems) {
    ScriptedDialogPresenter dialogs;
    // A field without a value gets the new value as a row.
    UserDefaults::standard().resetAll();
    ContactEntry bare = entryFromVCard(vcard(QStringLiteral("N:Cole;Cid;;;\nFN:Cid Cole\nBDAY:1999-09-09\n")));
    show(bare);
    controller.setClickedCell(rowOf("Email"), 1);
    controller.insertItem(nullptr);
    ASSERT_EQ(bare.person->emailValues().size(), 1);
    EXPECT_EQ(bare.person->emailValues().first().value, "new");
    EXPECT_EQ(bare.person->emailValues().first().labelText(), "home");
    EXPECT_EQ(controller.table().at(rowOf("Email")).label, "home");
    controller.setClickedCell(rowOf("Phone"), 1);
    controller.insertItem(nullptr);
    EXPECT_EQ(bare.person->phoneValues().first().value, "123");

    // Delete asks about the field, and only OK deletes.
    dialogs.answerAlert("Cancel");
    controller.setClickedCell(rowOf("Birthday"), 1);
    controller.deleteItem(nullptr);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bare.person->birthdayValue()->stringValue.isEmpty());
    dialogs.answerAlert("OK");
    controller.deleteItem(nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(bare.person->birthdayValue()->stringValue.isEmpty());
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown().last().alert.messageText,
              "Do you want to delete the item(label and text) in the selected cells in column:Birthday ?");
    EXPECT_EQ(delegate.calls, (QStringList{"add Email", "add Phone", "birthday"}));
    EXPECT_TRUE(window.isWindowModified());
}

QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

TEST_F(DetailEditingTest, APictureDroppedOnThePhotoRowBecomesThePhoto) {
    const int photo = rowOf("Photo");
    QMimeData text;
    text.setText(QStringLiteral("not a picture"));
    QMimeData image;
    image.setImageData(picture(1024, 768));
    EXPECT_FALSE(controller.validatePhotoRowDrop(photo, Pasteboard(&text)));
    EXPECT_FALSE(controller.validatePhotoRowDrop(rowOf("Note"), Pasteboard(&image)));
    controller.windowState()->setEditState(false);
    EXPECT_FALSE(controller.acceptPhotoRowDrop(photo, Pasteboard(&image)));
    controller.windowState()->setEditState(true);
    EXPECT_TRUE(controller.acceptPhotoRowDrop(photo, Pasteboard(&image)));
    EXPECT_EQ(shown.person->photo().size(), QSize(512, 384));

    // An image file, taken within the limit too.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("tall.png"));
    ASSERT_TRUE(picture(300, 1200).save(file));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(file)});
    EXPECT_TRUE(controller.acceptPhotoRowDrop(photo, Pasteboard(&files)));
    EXPECT_EQ(shown.person->photo().size(), QSize(128, 512));
    EXPECT_EQ(delegate.calls, (QStringList{"photo", "photo"}));
}

TEST_F(DetailEditingTest, APictureFileBecomesThePhotoAndAnUnreadableOneChangesNothing) {
    ScriptedDialogPresenter dialogs;
    QTemporaryDir folder;
    const QString wide = folder.filePath(QStringLiteral("wide.png"));
    const QString broken = folder.filePath(QStringLiteral("broken.png"));
    ASSERT_TRUE(picture(1024, 768).save(wide));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no picture");
    file.close();
    dialogs.chooseFiles({QUrl::fromLocalFile(wide)});
    controller.addImage(nullptr);
    EXPECT_EQ(shown.person->photo().size(), QSize(512, 384));
    dialogs.chooseFiles({QUrl::fromLocalFile(broken)});
    controller.addImage(nullptr);
    EXPECT_EQ(dialogs.shown().last().alert.messageText, "Can not read the image.");
    EXPECT_EQ(shown.person->photo().size(), QSize(512, 384));
    // Delete Image removes it.
    controller.deleteImage(nullptr);
    EXPECT_TRUE(shown.person->photo().isNull());
    EXPECT_EQ(delegate.calls, (QStringList{"photo", "photo"}));
    EXPECT_EQ(delegate.updates.size(), 2);
}

TEST_F(DetailEditingTest, ThePhotoRowGrowsAndShrinksWithinItsBounds) {
    EXPECT_EQ(controller.iconRowCount(), 3);
    controller.setIconRowCount(19);
    controller.iconSizeBigger(nullptr);
    controller.iconSizeBigger(nullptr);
    EXPECT_EQ(controller.iconRowCount(), 20);
    controller.setIconRowCount(0);
    controller.iconSizeSmaller(nullptr);
    EXPECT_EQ(controller.iconRowCount(), 1);
    controller.iconSizeSmaller(nullptr);
    EXPECT_EQ(controller.iconRowCount(), 1);
    EXPECT_EQ(controller.tableViewHeightOfRow(rowOf("Photo")), controller.rowHeight());
}

TEST_F(DetailEditingTest, TheImportPreviewEditsNothing) {
    controller.setDelegate(nullptr);
    doubleClick(rowOf("Phone"));
    EXPECT_EQ(controller.cellEditor(), nullptr);
    EXPECT_TRUE(menuTitles(rowOf("Phone")).isEmpty());
    controller.editForIdentifier("Company");
    ASSERT_NE(controller.cellEditor(), nullptr);
    type("Other", Qt::Key_Return);
    EXPECT_EQ(shown.person->stringValueForIdentifier("Company"), "Bakery");
}

} // namespace
