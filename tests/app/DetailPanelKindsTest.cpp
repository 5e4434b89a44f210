#include "tests/app/DetailPanelTestSupport.h"
#include "tests/app/Driving.h"

#include "editors/AddressViewController.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "editors/SNSViewController.h"
#include "platform/contacts/CNLabels.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <functional>

namespace tessarin {
using namespace window_test;

namespace {

// Rows by name: Ann (0), Kim (1, 2: her two e-mail addresses), Max (3), Zed (4). Kim has two
// values in every labeled field and a text in every text field; the detail panel shows her.
const QString Cards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\nEMAIL;type=HOME:ann@abe.example\r\n"
    "TEL;type=HOME:200\r\nX-PAGER;TYPE=work:555 0200\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Full;Kim;;Dr.;Jr.\r\nFN:Dr. Kim Full Jr.\r\nNICKNAME:Kimmy\r\n"
    "ORG:Kim Works;Research\r\nTITLE:Chief Tester\r\nX-PHONETIC-FIRST-NAME:Kimu\r\n"
    "TEL;type=HOME:100\r\nTEL;type=WORK:101\r\n"
    "EMAIL;type=HOME:kim@home.example\r\nEMAIL;type=WORK:kim@work.example\r\n"
    "URL;type=HOME:kim.example\r\nURL;type=WORK:work.example\r\n"
    "ADR;type=HOME:;;1 Main Street;Springfield;IL;62701;United States\r\n"
    "ADR;type=WORK:;;2 Office Road;Portland;OR;97201;United States\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;type=HOME:skype:kim.home\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;type=WORK:skype:kim.work\r\n"
    "X-SOCIALPROFILE;type=twitter;x-user=kim:https://twitter.com/kim\r\n"
    "X-SOCIALPROFILE;type=facebook;x-user=kimf:https://facebook.com/kimf\r\n"
    "item1.X-ABRELATEDNAMES:Jane Full\r\nitem1.X-ABLabel:_$!<Spouse>!$_\r\n"
    "item2.X-ABRELATEDNAMES:Joe Full\r\nitem2.X-ABLabel:_$!<Brother>!$_\r\n"
    "item3.X-ABDATE:2005-06-07\r\nitem3.X-ABLabel:_$!<Anniversary>!$_\r\n"
    "item4.X-ABDATE:2010-01-02\r\nitem4.X-ABLabel:_$!<Other>!$_\r\n"
    "BDAY:1980-04-05\r\nX-PAGER;TYPE=home:555 0100\r\nX-PAGER;TYPE=work:555 0101\r\nX-HOBBY:Chess\r\n"
    "NOTE:kim note\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Moss;Max;;;\r\nFN:Max Moss\r\nTEL;type=WORK:300\r\n"
    "EMAIL;type=WORK:max@moss.example\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zane;Zed;;;\r\nFN:Zed Zane\r\nEMAIL;type=HOME:zed@zane.example\r\n"
    "NOTE:zed note\r\nEND:VCARD\r\n");

const QString Pager = QStringLiteral("PAGER");
const QString Hobby = QStringLiteral("HOBBY");

// Every field a contact shows in the panel, by its identifier.
const QStringList &fieldIdentifiers() {
    static const QStringList fields = {FieldId::Name,
                                       FieldId::PhoneticName,
                                       FieldId::Company,
                                       FieldId::Department,
                                       FieldId::JobTitle,
                                       FieldId::Nickname,
                                       FieldId::Title,
                                       FieldId::Suffix,
                                       FieldId::Note,
                                       FieldId::Phone,
                                       FieldId::Email,
                                       FieldId::URL,
                                       FieldId::Address,
                                       FieldId::InstantMessage,
                                       FieldId::SocialNetwork,
                                       FieldId::Relationship,
                                       FieldId::Dates,
                                       FieldId::Birthday,
                                       Pager,
                                       Hobby,
                                       FieldId::Photo};
    return fields;
}

using Fields = QMap<QString, FieldValue>;

Fields fieldsOf(QMPerson &person) {
    Fields fields;
    for (const QString &identifier : fieldIdentifiers())
        fields.insert(identifier, person.valueForIdentifier(identifier));
    return fields;
}

QStringList changedFields(const Fields &before, const Fields &after) {
    QStringList changed;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (after.value(it.key()) != it.value())
            changed << it.key();
    return changed;
}

LabeledValueList listOf(const Fields &fields, const QString &identifier) {
    const FieldValue value = fields.value(identifier);
    const LabeledValueList *list = value.get<LabeledValueList>();
    return list ? *list : LabeledValueList();
}

enum class Selection { One, Two, Many };

// How an editor of a row is opened: a double click (with Ctrl: the list editor), or the menu
// item of that title ("Add Item" asks for a new value).
struct Opening {
    QString menuItem;
    Qt::KeyboardModifiers modifiers = {};
};

// One way of editing Kim in the detail panel, and what it does to her: the fields that
// change (none for a Cancel) and a check of her values before and after.
struct PanelEdit {
    const char *what;
    QStringList changes;
    std::function<void()> act;
    std::function<void(const Fields &before, const Fields &after)> check = {};
};

class DetailPanelKindsTest : public DetailPanelWindowTest, public testing::WithParamInterface<Selection> {
protected:
    ContactsViewController *table = nullptr;

    void SetUp() override {
        WindowTest::SetUp();
        openWithPanel(Cards, QSize(1500, 1000));
        table = view->contactsViewController();
        ASSERT_EQ(table->subContactTable().size(), 5u);
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        WindowTest::TearDown();
    }

    std::shared_ptr<QMPerson> person(const QString &first) const {
        for (const ContactEntry &entry : std::as_const(*view->contactTable()))
            if (entry.person->nameValue().firstName == first)
                return entry.person;
        return nullptr;
    }
    QString shownFirstName() const {
        return panel->contact() && panel->contact()->person ? panel->contact()->person->nameValue().firstName
                                                            : QString();
    }
    static QString rowName(const SubContactRow &row) {
        return row.person->nameValue().firstName + QString::number(row.labelIndex);
    }
    QStringList selectedInTable() const {
        QStringList rows;
        for (const SubContactRowPtr &row : table->selectedSubContacts())
            rows << rowName(*row);
        return rows;
    }
    // The rows selected before that still exist, and no others.
    QStringList stillThere(const QStringList &selected) const {
        QStringList rows;
        for (const SubContactRowPtr &row : table->subContactTable())
            if (selected.contains(rowName(*row)))
                rows << rowName(*row);
        return rows;
    }

    // ---- The contacts table, clicked as a user clicks it
    void clickTableRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTableView *view = table->tableView();
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, at);
        QCoreApplication::processEvents();
    }
    // Kim is shown; with Two, Ann (above her) is selected too; with Many, every row.
    void select(Selection selection) {
        if (selection == Selection::Two) {
            clickTableRow(0);
            clickTableRow(1, Qt::ControlModifier);
        } else {
            clickTableRow(1);
        }
        if (selection == Selection::Many) {
            QTest::keyClick(table->tableView(), Qt::Key_A, Qt::ControlModifier);
            QCoreApplication::processEvents();
        }
        const QMap<Selection, QStringList> expected = {
            {Selection::One, {"Kim0"}},
            {Selection::Two, {"Ann0", "Kim0"}},
            {Selection::Many, {"Ann0", "Kim0", "Kim1", "Max0", "Zed0"}}};
        ASSERT_EQ(selectedInTable(), expected.value(selection));
        ASSERT_EQ(shownFirstName(), "Kim");
    }

    // ---- The detail panel
    QTableView *panelView() const { return panel->tableView(); }
    // A point on the value's text (right of a label popup) and the widget a click there hits.
    std::pair<QWidget *, QPoint> valuePoint(int row) {
        const QModelIndex index = panelView()->model()->index(row, 1);
        panelView()->scrollTo(index);
        const QRect cell = panelView()->visualRect(index);
        const QPoint at(cell.left() + cell.width() * 3 / 4, cell.center().y());
        QWidget *viewport = panelView()->viewport();
        QWidget *hit = viewport->childAt(at);
        return hit ? std::make_pair(hit, hit->mapFrom(viewport, at)) : std::make_pair(viewport, at);
    }
    void doubleClickValue(int row, Qt::KeyboardModifiers modifiers = {}) {
        ASSERT_GE(row, 0);
        const auto [widget, at] = valuePoint(row);
        QTest::mouseClick(widget, Qt::LeftButton, modifiers, at);
        QTest::mouseDClick(widget, Qt::LeftButton, modifiers, at);
        QCoreApplication::processEvents();
    }
    void typeAndPress(const QString &text, Qt::Key key) {
        CellTextEditor *editor = panel->cellEditor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, key);
        QCoreApplication::processEvents();
    }
    // Right-clicks the value and picks the item.
    void menuCommand(int row, const QString &title) {
        ASSERT_GE(row, 0);
        const auto [widget, at] = valuePoint(row);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        Menu *menu = panel->tableMenu();
        MenuItem *item = menu->itemWithTitle(title);
        ASSERT_TRUE(menu->isVisible() && item && item->isEnabled()) << title.toStdString();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QCoreApplication::processEvents();
    }
    // The label popup of the row steps to a neighbouring label, from the keyboard.
    void nextLabel(int row) {
        auto *cell = qobject_cast<PopupAndTextCellWidget *>(panel->valueCellWidget(row));
        ASSERT_NE(cell, nullptr);
        PopupButton *popup = cell->labelPopup();
        popup->setFocus(Qt::TabFocusReason);
        QTest::keyClick(popup, popup->currentIndex() + 1 < popup->count() ? Qt::Key_Down : Qt::Key_Up);
        QCoreApplication::processEvents();
    }
    template <typename Editor> Editor *openEditor() {
        Popover *popover = panel->popover();
        return popover ? qobject_cast<Editor *>(popover->contentViewController()) : nullptr;
    }
    static void click(QPushButton *button) {
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << button->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    static void retype(QLineEdit *field, const QString &text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    // The editor the value opens (with Ctrl: the list editor) takes a change; it is Done or
    // cancelled with its button, or left by a click outside it.
    enum class Ending { Done, Cancel, ClickOutside };
    void end(PopoverEditor *editor, Ending ending) {
        ASSERT_NE(editor, nullptr);
        if (ending == Ending::Done)
            click(editor->doneButton());
        else if (ending == Ending::Cancel)
            click(editor->cancelButton());
        else
            panel->popover()->close();
        QCoreApplication::processEvents();
        EXPECT_EQ(panel->popover(), nullptr);
    }
    template <typename Editor> Editor *openEditorOf(const QString &type, int nth, const Opening &how) {
        if (how.menuItem.isEmpty())
            doubleClickValue(rowOf(type, nth), how.modifiers);
        else
            menuCommand(rowOf(type, nth), how.menuItem);
        auto *editor = openEditor<Editor>();
        EXPECT_NE(editor, nullptr) << type.toStdString() << " " << how.menuItem.toStdString();
        return editor;
    }
    void listEditorDeletes(const QString &type, int nth, Ending ending, const Opening &how) {
        if (auto *editor = openEditorOf<MultiValueViewController>(type, nth, how)) {
            click(editor->delButton());
            end(editor, ending);
        }
    }
    void datesEditorDeletes(int nth, Ending ending, const Opening &how = {}) {
        if (auto *editor = openEditorOf<DatesViewController>(FieldId::Dates, nth, how)) {
            click(editor->delButton());
            end(editor, ending);
        }
    }
    void birthdayEditorSets(const QString &text, Ending ending, const Opening &how = {}) {
        if (auto *editor = openEditorOf<DateViewController>(FieldId::Birthday, 0, how)) {
            retype(editor->dateField(), text);
            QTest::keyClick(editor->dateField(), Qt::Key_Return);
            end(editor, ending);
        }
    }
    void addressEditorSetsCity(int nth, const QString &city, Ending ending, const Opening &how = {}) {
        if (auto *editor = openEditorOf<AddressViewController>(FieldId::Address, nth, how)) {
            retype(editor->cityField(), city);
            end(editor, ending);
        }
    }
    void imsEditorSets(int nth, const QString &user, Ending ending, const Opening &how = {}) {
        if (auto *editor = openEditorOf<IMSViewController>(FieldId::InstantMessage, nth, how)) {
            retype(editor->usernameField(), user);
            end(editor, ending);
        }
    }
    void snsEditorSets(int nth, const QString &user, Ending ending, const Opening &how = {}) {
        if (auto *editor = openEditorOf<SNSViewController>(FieldId::SocialNetwork, nth, how)) {
            retype(editor->usernameField(), user);
            end(editor, ending);
        }
    }

    // Every address the panel shows reads as the contact's address line, country included.
    void expectAddressTextsShown() {
        const LabeledValueList addresses = person("Kim")->addressValues();
        for (int nth = 0; nth < addresses.size(); ++nth) {
            auto *cell =
                qobject_cast<PopupAndTextCellWidget *>(panel->valueCellWidget(rowOf(FieldId::Address, nth)));
            ASSERT_NE(cell, nullptr);
            const LabeledValueRecord &address = addresses.at(nth);
            EXPECT_EQ(cell->textField()->toPlainText(), address.stringValue);
            for (const QString &part : {address.street, address.city, address.country})
                EXPECT_TRUE(address.stringValue.contains(part)) << address.stringValue.toStdString();
        }
    }

    static QString pictureFile() {
        const QString path = testScratchDirectory() + QStringLiteral("/picture.png");
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(path);
        return path;
    }

    QList<PanelEdit> edits();
};

// A value of a list changed in place, the others untouched.
auto valueChanged(const QString &identifier, int nth,
                  std::function<void(const LabeledValueRecord &)> check = {}) {
    return [=](const Fields &before, const Fields &after) {
        const LabeledValueList was = listOf(before, identifier), now = listOf(after, identifier);
        ASSERT_EQ(now.size(), was.size()) << identifier.toStdString();
        for (int i = 0; i < was.size(); ++i)
            EXPECT_EQ(now.at(i) == was.at(i), i != nth) << identifier.toStdString() << " value " << i;
        if (check)
            check(now.at(nth));
    };
}
auto valueRemoved(const QString &identifier, int nth) {
    return [=](const Fields &before, const Fields &after) {
        LabeledValueList expected = listOf(before, identifier);
        expected.removeAt(nth);
        EXPECT_EQ(listOf(after, identifier), expected) << identifier.toStdString();
    };
}
auto valueAdded(const QString &identifier, std::function<void(const LabeledValueRecord &)> check) {
    return [=](const Fields &before, const Fields &after) {
        const LabeledValueList was = listOf(before, identifier), now = listOf(after, identifier);
        ASSERT_EQ(now.size(), was.size() + 1) << identifier.toStdString();
        EXPECT_EQ(now.mid(0, was.size()), was);
        check(now.last());
    };
}
auto textIs(const QString &identifier, const QString &text) {
    return [=](const Fields &, const Fields &after) { EXPECT_EQ(after.value(identifier).text(), text); };
}

QList<PanelEdit> DetailPanelKindsTest::edits() {
    using E = Ending;
    QList<PanelEdit> edits;
    // In place, with Return: the labeled values that show their text, the name parts and the
    // text fields (a custom item of each kind among them).
    for (const QString &type : {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, Pager}) {
        edits.append({"in place",
                      {type},
                      [this, type] {
                          doubleClickValue(rowOf(type, 1));
                          typeAndPress(QStringLiteral("typed 1"), Qt::Key_Return);
                      },
                      valueChanged(type, 1, [](const LabeledValueRecord &value) {
                          EXPECT_EQ(value.value, "typed 1");
                      })});
    }
    for (const QString &type : {FieldId::Company, FieldId::Department, FieldId::JobTitle, FieldId::Nickname,
                                FieldId::Title, FieldId::Suffix, FieldId::Note, Hobby}) {
        edits.append({"in place",
                      {type},
                      [this, type] {
                          doubleClickValue(rowOf(type));
                          typeAndPress(QStringLiteral("typed"), Qt::Key_Tab);
                      },
                      textIs(type, QStringLiteral("typed"))});
    }
    edits.append({"in place",
                  {FieldId::Name},
                  [this] {
                      doubleClickValue(rowOf(FieldId::Name, 2));
                      typeAndPress(QStringLiteral("Fuller"), Qt::Key_Return);
                  },
                  [](const Fields &, const Fields &after) {
                      const FieldValue name = after.value(FieldId::Name);
                      EXPECT_EQ(name.get<NameRecord>()->lastName, "Fuller");
                  }});
    edits.append({"in place",
                  {FieldId::PhoneticName},
                  [this] {
                      doubleClickValue(rowOf(FieldId::PhoneticName));
                      typeAndPress(QStringLiteral("Kimi"), Qt::Key_Tab);
                  },
                  [](const Fields &, const Fields &after) {
                      const FieldValue phonetic = after.value(FieldId::PhoneticName);
                      EXPECT_EQ(phonetic.get<PhoneticNameRecord>()->firstName, "Kimi");
                  }});
    // The label popup of every labeled field.
    for (const QString &type : {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Address,
                                FieldId::InstantMessage, FieldId::Relationship, FieldId::Dates, Pager}) {
        edits.append(
            {"next label",
             {type},
             [this, type] { nextLabel(rowOf(type, 1)); },
             valueChanged(type, 1, [type](const LabeledValueRecord &value) {
                 EXPECT_TRUE(
                     QMPerson::labelsForIdentifier(type).value_or(QStringList()).contains(value.labelText()))
                     << value.labelText().toStdString();
             })});
    }
    // Each field's own editor, opened by a double click or from the menu, Done after a change.
    for (const Opening &how : {Opening{}, Opening{"Open Address Panel"}})
        edits.append({"address editor",
                      {FieldId::Address},
                      [=, this] { addressEditorSetsCity(1, "Salem", E::Done, how); },
                      valueChanged(FieldId::Address, 1,
                                   [](const LabeledValueRecord &value) { EXPECT_EQ(value.city, "Salem"); })});
    for (const Opening &how : {Opening{}, Opening{"Open IMS Panel"}})
        edits.append({"instant message editor",
                      {FieldId::InstantMessage},
                      [=, this] { imsEditorSets(1, "kim.office", E::Done, how); },
                      valueChanged(FieldId::InstantMessage, 1, [](const LabeledValueRecord &value) {
                          EXPECT_TRUE(value.stringValue.contains("kim.office"))
                              << value.stringValue.toStdString();
                      })});
    for (const Opening &how : {Opening{}, Opening{"Open SNS Panel"}})
        edits.append({"social profile editor",
                      {FieldId::SocialNetwork},
                      [=, this] { snsEditorSets(1, "kimf2", E::Done, how); },
                      valueChanged(FieldId::SocialNetwork, 1)});
    for (const Opening &how : {Opening{}, Opening{"Open Birthday Panel"}})
        edits.append({"birthday editor",
                      {FieldId::Birthday},
                      [=, this] { birthdayEditorSets("1990.01.02", E::Done, how); },
                      [](const Fields &, const Fields &after) {
                          const FieldValue birthday = after.value(FieldId::Birthday);
                          EXPECT_TRUE(birthday.get<BirthdayRecord>()->stringValue.startsWith("1990.01.02"));
                      }});
    for (const Opening &how : {Opening{}, Opening{"Open Dates Panel"}})
        edits.append({"dates editor",
                      {FieldId::Dates},
                      [=, this] { datesEditorDeletes(1, E::Done, how); },
                      valueRemoved(FieldId::Dates, 1)});
    // The list editor of every labeled field, with Ctrl and a double click or from the menu.
    const QList<std::pair<QString, Opening>> listEditors = {
        {FieldId::Phone, {}},
        {FieldId::Email, {}},
        {FieldId::URL, {}},
        {FieldId::Address, {}},
        {FieldId::InstantMessage, {}},
        {FieldId::SocialNetwork, {}},
        {FieldId::Relationship, {}},
        {Pager, {}},
        {FieldId::Relationship, {"Open Relationship Panel"}}};
    QList<std::pair<QString, Opening>> listOpenings;
    for (const auto &[type, how] : listEditors) {
        listOpenings.append({type, how.menuItem.isEmpty() ? Opening{{}, Qt::ControlModifier} : how});
        if (how.menuItem.isEmpty())
            listOpenings.append({type, Opening{"Open Edit Panel"}});
    }
    for (const auto &[type, how] : listOpenings)
        edits.append({"list editor",
                      {type},
                      [=, this] { listEditorDeletes(type, 1, E::Done, how); },
                      valueRemoved(type, 1)});
    // The menu's Add Item: a value of its own, or through the field's editor.
    const QList<std::pair<QString, QString>> added = {{FieldId::Phone, "123"},
                                                      {FieldId::Email, "new"},
                                                      {FieldId::URL, "new"},
                                                      {FieldId::Relationship, "new"}};
    for (const auto &[type, text] : added)
        edits.append(
            {"Add Item",
             {type},
             [this, type] { menuCommand(rowOf(type, 1), "Add Item"); },
             valueAdded(type, [text](const LabeledValueRecord &value) { EXPECT_EQ(value.value, text); })});
    const Opening adds{"Add Item"};
    edits.append({"Add Item",
                  {FieldId::Address},
                  [=, this] { addressEditorSetsCity(0, "Salem", E::Done, adds); },
                  valueAdded(FieldId::Address,
                             [](const LabeledValueRecord &value) { EXPECT_EQ(value.city, "Salem"); })});
    edits.append({"Add Item",
                  {FieldId::InstantMessage},
                  [=, this] { imsEditorSets(0, "kim.new", E::Done, adds); },
                  valueAdded(FieldId::InstantMessage, [](const LabeledValueRecord &value) {
                      EXPECT_TRUE(value.stringValue.contains("kim.new")) << value.stringValue.toStdString();
                  })});
    edits.append({"Add Item",
                  {FieldId::SocialNetwork},
                  [=, this] { snsEditorSets(0, "kim3", E::Done, adds); },
                  valueAdded(FieldId::SocialNetwork, [](const LabeledValueRecord &) {})});
    // The Name Display popup, from the keyboard; a picture for the Photo row from a file.
    edits.append({"name display",
                  {FieldId::Name},
                  [this] {
                      auto *popup =
                          qobject_cast<QComboBox *>(panel->valueCellWidget(rowOf(FieldId::NameDisplay)));
                      ASSERT_NE(popup, nullptr);
                      popup->setFocus(Qt::TabFocusReason);
                      QTest::keyClick(popup, Qt::Key_Down);
                  },
                  [](const Fields &, const Fields &after) {
                      const FieldValue name = after.value(FieldId::Name);
                      EXPECT_EQ(name.get<NameRecord>()->showAsPerson, false);
                  }});
    edits.append({"Add Image",
                  {FieldId::Photo},
                  [this] {
                      dialogs.chooseFiles({QUrl::fromLocalFile(pictureFile())});
                      menuCommand(rowOf(FieldId::Photo), "Add Image");
                  },
                  [](const Fields &, const Fields &after) {
                      EXPECT_EQ(after.value(FieldId::Photo).get<QImage>()->size(), QSize(64, 48));
                  }});
    // The menu's Delete Item, confirmed.
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Address, FieldId::InstantMessage,
          FieldId::SocialNetwork, FieldId::Relationship, FieldId::Dates})
        edits.append({"Delete Item",
                      {type},
                      [this, type] {
                          dialogs.answerAlert("OK");
                          menuCommand(rowOf(type, 1), "Delete Item");
                      },
                      valueRemoved(type, 1)});
    edits.append({"Delete Item",
                  {FieldId::Birthday},
                  [this] {
                      dialogs.answerAlert("OK");
                      menuCommand(rowOf(FieldId::Birthday), "Delete Item");
                  },
                  textIs(FieldId::Birthday, QString())});
    // Every way of not changing: Escape in place, Cancel and a click outside each editor, and
    // Cancel in the delete question.
    for (const QString &type : {FieldId::Phone, FieldId::Note, FieldId::Name, Pager})
        edits.append({"Escape in place", {}, [this, type] {
                          doubleClickValue(rowOf(type));
                          typeAndPress(QStringLiteral("dropped"), Qt::Key_Escape);
                      }});
    for (const E ending : {E::Cancel, E::ClickOutside}) {
        edits.append(
            {"address editor, not done", {}, [=, this] { addressEditorSetsCity(1, "Salem", ending); }});
        edits.append({"instant message editor, not done", {}, [=, this] { imsEditorSets(1, "x", ending); }});
        edits.append({"social profile editor, not done", {}, [=, this] { snsEditorSets(1, "x", ending); }});
        edits.append(
            {"birthday editor, not done", {}, [=, this] { birthdayEditorSets("1990.01.02", ending); }});
        edits.append({"dates editor, not done", {}, [=, this] { datesEditorDeletes(1, ending); }});
        for (const auto &[type, how] : listOpenings)
            edits.append(
                {"list editor, not done", {}, [=, this] { listEditorDeletes(type, 1, ending, how); }});
        edits.append(
            {"Add Item, not done", {}, [=, this] { addressEditorSetsCity(0, "Salem", ending, adds); }});
        edits.append({"Add Item, not done", {}, [=, this] { imsEditorSets(0, "x", ending, adds); }});
        edits.append({"Add Item, not done", {}, [=, this] { snsEditorSets(0, "x", ending, adds); }});
    }
    edits.append({"Add Image, not done", {}, [this] {
                      dialogs.cancelPanel();
                      menuCommand(rowOf(FieldId::Photo), "Add Image");
                  }});
    for (const QString &type : {FieldId::Phone, FieldId::Address, FieldId::Dates, FieldId::Birthday})
        edits.append({"Delete Item, Cancel", {}, [this, type] {
                          dialogs.answerAlert("Cancel");
                          menuCommand(rowOf(type, type == FieldId::Birthday ? 0 : 1), "Delete Item");
                      }});
    return edits;
}

// Whatever is selected in the table, an edit from the panel changes the shown contact only,
// in the aimed field only, as one undo step; the table's selection and the shown contact
// stay; an edit that is not made changes nothing and leaves the window unedited.
TEST_P(DetailPanelKindsTest, EveryEditLandsOnTheShownContactAndKeepsTheSelection) {
    select(GetParam());
    const QStringList selection = selectedInTable();
    const Fields original = fieldsOf(*person("Kim"));
    QMap<QString, QString> others;
    for (const char *first : {"Ann", "Max", "Zed"})
        others.insert(first, QMvCard().vCardFromPerson(*person(first), {}, {}));
    for (const PanelEdit &edit : edits()) {
        const std::string what = edit.what + std::string(" ") + edit.changes.join(',').toStdString();
        SCOPED_TRACE(what);
        // A deleted value took its row out of the selection, and its Undo does not put it back.
        if (selectedInTable() != selection)
            select(GetParam());
        edit.act();
        // Return and Tab moved on within Kim; the next edit is left as it is.
        if (CellTextEditor *editor = panel->cellEditor())
            QTest::keyClick(editor, Qt::Key_Escape);
        QCoreApplication::processEvents();
        const Fields after = fieldsOf(*person("Kim"));
        EXPECT_EQ(changedFields(original, after), edit.changes);
        if (edit.check)
            edit.check(original, after);
        EXPECT_EQ(shownFirstName(), "Kim");
        const QStringList selectedAfter = selectedInTable();
        EXPECT_EQ(selectedAfter, stillThere(selection));
        for (auto it = others.cbegin(); it != others.cend(); ++it)
            EXPECT_EQ(QMvCard().vCardFromPerson(*person(it.key()), {}, {}), it.value())
                << it.key().toStdString();
        expectAddressTextsShown();
        EXPECT_EQ(window()->isDocumentEdited(), !edit.changes.isEmpty());
        EXPECT_EQ(undoManager()->canUndo(), !edit.changes.isEmpty());
        if (!undoManager()->canUndo())
            continue;
        ASSERT_TRUE(pickMenuItem(window()->mainMenu(), "Edit", "Undo"));
        EXPECT_FALSE(undoManager()->canUndo());
        EXPECT_FALSE(window()->isDocumentEdited());
        EXPECT_EQ(fieldsOf(*person("Kim")), original);
        EXPECT_EQ(selectedInTable(), selectedAfter);
        EXPECT_EQ(shownFirstName(), "Kim");
        expectAddressTextsShown();
        undoManager()->removeAllActions();
    }
    EXPECT_EQ(dialogs.unansweredCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(SelectedRows, DetailPanelKindsTest,
                         testing::Values(Selection::One, Selection::Two, Selection::Many),
                         [](const testing::TestParamInfo<Selection> &info) {
                             return info.param == Selection::One   ? "One"
                                    : info.param == Selection::Two ? "Two"
                                                                   : "Many";
                         });

using DetailPanelAddItemTest = DetailPanelKindsTest;

// Add Item of each kind that offers it adds the kind's value under the kind's label, which
// the panel shows as the field's new last row, in one undo step; the kinds edited in their
// editors add what the editor was given, under the label a new value starts with. Rows of
// every other kind add nothing, whatever reaches them.
TEST_F(DetailPanelAddItemTest, AddItemOfEveryKindAddsItsValueUnderItsLabel) {
    select(Selection::One);
    const auto value = [](const LabeledValueRecord &record) { return record.valueText(); };
    const auto city = [](const LabeledValueRecord &record) { return record.city; };
    const auto user = [](const LabeledValueRecord &record) { return record.username.value_or(QString()); };
    const struct {
        QString type;
        std::function<void(PopoverEditor *)> fill; // none: added without an editor
        QString label;
        std::function<QString(const LabeledValueRecord &)> text;
        QString expected;
    } kinds[] = {
        {FieldId::Phone, {}, "home", value, "123"},
        {FieldId::Email, {}, "home", value, "new"},
        {FieldId::URL, {}, "home", value, "new"},
        {FieldId::Relationship, {}, "friend", value, "new"},
        {FieldId::Address,
         [](PopoverEditor *editor) { retype(qobject_cast<AddressViewController *>(editor)->cityField(), "Salem"); },
         "home", city, "Salem"},
        {FieldId::InstantMessage,
         [](PopoverEditor *editor) { retype(qobject_cast<IMSViewController *>(editor)->usernameField(), "kim.new"); },
         "home", user, "kim.new"},
        {FieldId::SocialNetwork,
         [](PopoverEditor *editor) { retype(qobject_cast<SNSViewController *>(editor)->usernameField(), "kim3"); },
         CNSocialProfileServiceTwitter, user, "kim3"},
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.type.toStdString());
        const Fields before = fieldsOf(*person("Kim"));
        const LabeledValueList values = listOf(before, kind.type);
        menuCommand(rowOf(kind.type, 1), "Add Item");
        if (kind.fill) {
            auto *editor = openEditor<PopoverEditor>();
            ASSERT_NE(editor, nullptr);
            ASSERT_TRUE(editor->contextInfo()->asksForNewValue());
            kind.fill(editor);
            end(editor, Ending::Done);
        }
        const Fields after = fieldsOf(*person("Kim"));
        EXPECT_EQ(changedFields(before, after), QStringList{kind.type});
        const LabeledValueList added = listOf(after, kind.type);
        ASSERT_EQ(added.size(), values.size() + 1);
        EXPECT_EQ(added.mid(0, values.size()), values);
        EXPECT_EQ(added.last().labelText(), kind.label);
        EXPECT_EQ(kind.text(added.last()), kind.expected);
        // Shown as the field's last row.
        const int row = rowOf(kind.type, int(values.size()));
        ASSERT_GE(row, 0);
        EXPECT_EQ(panel->table().at(row).label, kind.label);
        auto *cell = qobject_cast<PopupAndTextCellWidget *>(panel->valueCellWidget(row));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->textField()->toPlainText(), added.last().stringValue);
        EXPECT_EQ(rowOf(kind.type, int(values.size()) + 1), -1);
        ASSERT_TRUE(pickMenuItem(window()->mainMenu(), "Edit", "Undo"));
        EXPECT_EQ(fieldsOf(*person("Kim")), before);
        EXPECT_FALSE(undoManager()->canUndo());
    }
    const Fields before = fieldsOf(*person("Kim"));
    for (const QString &type : fieldIdentifiers()) {
        if (std::any_of(std::begin(kinds), std::end(kinds), [&](const auto &kind) { return kind.type == type; }))
            continue;
        panel->setClickedCell(rowOf(type), 1);
        panel->insertItem(nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(panel->popover(), nullptr) << type.toStdString();
    }
    EXPECT_EQ(fieldsOf(*person("Kim")), before);
    EXPECT_FALSE(undoManager()->canUndo());
}

// Return and Tab go on within the shown contact, however many rows the table has selected,
// and text typed into each row reaches that row's value.
TEST_P(DetailPanelKindsTest, ReturnAndTabMoveOnWithinTheShownContact) {
    select(GetParam());
    const QStringList selection = selectedInTable();
    doubleClickValue(rowOf(FieldId::Email));
    // Return and Tab alike; from the second phone on past the instant message (never
    // entered) to the social profile.
    const QList<std::pair<QString, int>> visited = {{FieldId::Email, 0},
                                                    {FieldId::Email, 1},
                                                    {FieldId::Phone, 0},
                                                    {FieldId::Phone, 1},
                                                    {FieldId::SocialNetwork, 0}};
    for (const auto &[type, nth] : visited) {
        SCOPED_TRACE(type.toStdString() + " " + std::to_string(nth));
        ASSERT_NE(panel->cellEditor(), nullptr);
        EXPECT_EQ(panelView()->indexAt(panel->cellEditor()->geometry().center()).row(), rowOf(type, nth));
        EXPECT_EQ(shownFirstName(), "Kim");
        EXPECT_EQ(selectedInTable(), selection);
        if (type == FieldId::SocialNetwork)
            break;
        typeAndPress(QStringLiteral("%1 %2").arg(type).arg(nth), nth % 2 ? Qt::Key_Tab : Qt::Key_Return);
    }
    QTest::keyClick(panel->cellEditor(), Qt::Key_Escape);
    for (const auto &[type, nth] : visited.mid(0, 4))
        EXPECT_EQ(person("Kim")->labeledValueForIdentifier(type)->at(nth).value,
                  QStringLiteral("%1 %2").arg(type).arg(nth));
    for (const char *first : {"Ann", "Max", "Zed"})
        EXPECT_EQ(person(first)->phoneValues().size() + person(first)->emailValues().size(),
                  QString::fromLatin1(first) == "Zed" ? 1 : 2);
    EXPECT_EQ(person("Ann")->emailValues().first().value, "ann@abe.example");
    EXPECT_EQ(person("Ann")->phoneValues().first().value, "200");
}

} // namespace
} // namespace tessarin
