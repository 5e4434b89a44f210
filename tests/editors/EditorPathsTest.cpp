// Every popover editor over every kind it serves and every way it can end: what Done hands
// back is what was typed or chosen, and every other way out, or a locked editor, leaves the
// contact as it was.

#include "tests/editors/AddressEditorDriving.h"
#include "tests/editors/PostalCodeFixtures.h"

#include "editors/AddressViewController.h"
#include "editors/CountryPullDown.h"
#include "editors/CustomLabelPanel.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/LabeledValueEditor.h"
#include "editors/MultiValueViewController.h"
#include "editors/NameViewController.h"
#include "editors/PhoneticNameViewController.h"
#include "editors/SNSViewController.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Pasteboard.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

using Drop = MultiValueViewController::DropOperation;

// A value in every kind a popover edits, two of most, and labeled and text custom items.
std::shared_ptr<QMPerson> everyKind() {
    auto person = personFromVCard(
        QStringLiteral("N:Lee;Ann;;;\nFN:Ann Lee\nORG:Acme\n"
                       "X-PHONETIC-FIRST-NAME:an\nX-PHONETIC-LAST-NAME:rii\n"
                       "TEL;TYPE=HOME:111\nTEL;TYPE=WORK:222\n"
                       "EMAIL;TYPE=HOME:ann@home.example\nEMAIL;TYPE=WORK:ann@work.example\n"
                       "URL;TYPE=HOME:http://ann.example\nURL;TYPE=WORK:http://acme.example\n"
                       "item1.X-ABRELATEDNAMES:Bob\nitem1.X-ABLabel:_$!<Friend>!$_\n"
                       "item2.X-ABRELATEDNAMES:Cy\nitem2.X-ABLabel:_$!<Brother>!$_\n"
                       "IMPP;X-SERVICE-TYPE=Jabber;TYPE=WORK:xmpp:ann@jabber.example\n"
                       "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:ann.lee\n"
                       "X-SOCIALPROFILE;TYPE=twitter;x-user=ann;x-userid=7:https://twitter.com/ann\n"
                       "X-SOCIALPROFILE;TYPE=flickr;x-user=pics;x-userid=8:https://flickr.com/pics\n"
                       "item3.ADR;TYPE=HOME:;;1 Main St;Springfield;IL;62701;USA\nitem3.X-ABADR:us\n"
                       "item4.ADR;TYPE=WORK:;;Unter den Linden 1;Berlin;;10117;Germany\nitem4.X-ABADR:de\n"
                       "BDAY:1980-04-12\n"
                       "item5.X-ABDATE:2001-02-03\nitem5.X-ABLabel:_$!<Anniversary>!$_\n"));
    // The document's items, as a window registers them.
    const QStringList pets = {QStringLiteral("cat"), QStringLiteral("dog")};
    person->addCustomItem(ValueKind::Labeled, QStringLiteral("Pets"), pets, std::nullopt);
    for (const QString &label : pets)
        QMPerson::setLabel(QString(), label, QStringLiteral("Pets"));
    LabeledValueList values;
    for (const QString &name : {QStringLiteral("Tama"), QStringLiteral("Pochi")}) {
        LabeledValueRecord record;
        record.label = pets.at(values.size());
        record.value = name;
        record.stringValue = name;
        record.labelIndex = values.size();
        values.append(record);
    }
    person->setValue(values, QStringLiteral("Pets"));
    person->addCustomItem(ValueKind::String, QStringLiteral("Locker"), std::nullopt, std::nullopt);
    person->setValue(QStringLiteral("B-12"), QStringLiteral("Locker"));
    return person;
}

// The window's edits on the contact itself, so that what an answer stores, and the texts
// derived from it, can be read back.
class ApplyingReceiver : public EditorAnswerReceiver {
public:
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override {
        const auto *birthday = value.get<BirthdayRecord>();
        contact->setBirthdayValue(birthday ? std::optional<BirthdayRecord>(*birthday) : std::nullopt);
        return true;
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override {
        contact->setNameValue(FieldValue(value), FieldId::PhoneticName);
        return true;
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *) override {
        contact->replaceLabeledValue(value, identifier);
        return true;
    }
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                             const PersonPtr &contact, QObject *) override {
        contact->addLabeledValue(value, identifier);
    }
};

// A record's text under a column of the list editor, or under an address part.
QString partOf(const LabeledValueRecord &record, const QString &key) {
    if (const QString *part = record.addressPart(key))
        return *part;
    if (key == QStringLiteral("User Identifier"))
        return record.userIdentifier;
    if (key == QStringLiteral("URL String"))
        return record.urlString;
    if (key == QStringLiteral("Username"))
        return record.username.value_or(QString());
    return record.valueText();
}

template <typename Widget> Widget *cellWidget(QTableView *table, int row, int column) {
    return qobject_cast<Widget *>(table->indexWidget(table->model()->index(row, column)));
}

int columnOf(const MultiValueViewController *editor, const QString &identifier) {
    for (int i = 0; i < editor->columns().size(); ++i)
        if (editor->columns()[i].identifier == identifier)
            return i;
    ADD_FAILURE() << "no column " << identifier.toStdString();
    return -1;
}

// A notch of the wheel over a widget, as a user scrolling past it gives.
void wheelOver(QWidget *widget, int notches = -1) {
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

class EditorPaths : public testing::Test {
protected:
    void SetUp() override {
        PostalCodeFixtures::useSharedFixtureDirectory();
        CNContactsUserDefaults::sharedDefaults().setCountryCode(QStringLiteral("JP"));
        UserDefaults::standard().setObject(QStringList{QStringLiteral("en")},
                                           QStringLiteral("AppleLanguages"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        person = everyKind();
        before = person->vCardData();
        scene.answer.reset();
        scene.closes = 0;
    }
    void TearDown() override {
        UserDefaults::standard().removeObject(QStringLiteral("AppleLanguages"));
        QLocale::setDefault(QLocale::c());
    }

    template <typename Editor>
    Editor *open(const QString &type, std::optional<qint64> labelIndex, bool editable = true,
                 std::optional<bool> editEnabled = true) {
        return scene.open<Editor>(editorContext(person, type, labelIndex, editEnabled), editable);
    }
    MultiValueViewController *openList(const QString &type, bool editable = true,
                                       std::optional<bool> editEnabled = true) {
        auto *editor = new MultiValueViewController;
        scene.popover = editor->openInPopover(editorContext(person, type, 0, editEnabled), editable,
                                              MultiValueViewController::contentSizeFor(type, false),
                                              QRect(100, 40, 160, 20), scene.table, &scene, &scene.window);
        return editor;
    }
    static void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Applies what the last editor handed back, as its opener does; whether it changed anything.
    bool apply() {
        if (!scene.answer)
            return false;
        ApplyingReceiver receiver;
        return applyEditorAnswer(*scene.answer, receiver, person, nullptr);
    }
    bool unchanged() { return person->vCardData() == before; }

    EditorScene scene;
    std::shared_ptr<QMPerson> person;
    QByteArray before;
};

// ---- Done hands back exactly what was typed

TEST_F(EditorPaths, TheListEditorHandsBackWhatWasTypedInEveryColumnOfEveryKind) {
    const struct {
        QString type;
        QString column;
    } cases[] = {
        {FieldId::Phone, FieldId::Phone},
        {FieldId::Email, FieldId::Email},
        {FieldId::URL, FieldId::URL},
        {FieldId::Relationship, FieldId::Relationship},
        {QStringLiteral("Pets"), QStringLiteral("Pets")},
        {FieldId::InstantMessage, QStringLiteral("Username")},
        {FieldId::SocialNetwork, QStringLiteral("Username")},
        {FieldId::SocialNetwork, QStringLiteral("User Identifier")},
        {FieldId::SocialNetwork, QStringLiteral("URL String")},
        {FieldId::Address, FieldId::ZIP},
        {FieldId::Address, FieldId::State},
        {FieldId::Address, FieldId::City},
        {FieldId::Address, FieldId::Street},
        {FieldId::Address, FieldId::Country},
    };
    for (const auto &c : cases) {
        SetUp();
        const std::string what = (c.type + u'/' + c.column).toStdString();
        const LabeledValueList stored =
            person->labeledValueForIdentifier(c.type).value_or(LabeledValueList());
        ASSERT_EQ(stored.size(), 2) << what;
        MultiValueViewController *editor = openList(c.type);
        QTableView *table = editor->tableView();
        // The second row: a slip to the first row or the next column shows.
        doubleClick(table, table->model()->index(1, columnOf(editor, c.column)));
        auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_TRUE(field) << what;
        field->selectAll();
        const QString typed = QStringLiteral("zq9");
        typeText(field, typed);
        QTest::keyClick(field, Qt::Key_Return); // Done waits for a change committed
        press(editor->doneButton());

        const LabeledValueList *list = scene.answered<LabeledValueList>();
        ASSERT_TRUE(list) << what;
        ASSERT_EQ(list->size(), 2) << what;
        EXPECT_EQ(partOf(list->at(1), c.column), typed) << what;
        EXPECT_EQ(list->at(0).stringValue, stored.at(0).stringValue) << what << ": the other row is left";
        for (const MultiValueColumn &other : editor->columns())
            if (other.kind == MultiValueColumn::Text && other.identifier != c.column) {
                EXPECT_EQ(partOf(list->at(1), other.identifier), partOf(stored.at(1), other.identifier))
                    << what << " changed " << other.identifier.toStdString();
            }
        EXPECT_EQ(list->at(1).label, stored.at(1).label) << what;
        EXPECT_EQ(list->at(1).labelIndex, stored.at(1).labelIndex) << what;

        // Stored, the value shows what was typed wherever the field's text is derived.
        ASSERT_TRUE(apply()) << what;
        ASSERT_TRUE(person->labeledValueForIdentifier(c.type, qsizetype(1))) << what;
        const LabeledValueRecord now = *person->labeledValueForIdentifier(c.type, qsizetype(1));
        EXPECT_EQ(partOf(now, c.column), typed) << what;
        if (c.column != QStringLiteral("User Identifier") && c.column != QStringLiteral("URL String")) {
            EXPECT_TRUE(now.stringValue.contains(typed)) << what << ": " << now.stringValue.toStdString();
        }
        EXPECT_EQ(person->labeledValueForIdentifier(c.type, qsizetype(0))->stringValue,
                  stored.at(0).stringValue)
            << what;
    }
}

TEST_F(EditorPaths, TheAddressEditorHandsBackEveryPartTyped) {
    const struct {
        QString part;
        std::function<void(AddressViewController *, const QString &)> type;
    } cases[] = {
        {FieldId::Country, [](auto *e, const QString &t) { replaceText(e->countryField(), t); }},
        {FieldId::ZIP, [](auto *e, const QString &t) { replaceText(e->zipField(), t); }},
        {FieldId::State, [](auto *e, const QString &t) { replaceText(e->stateField(), t); }},
        {FieldId::City, [](auto *e, const QString &t) { replaceText(e->cityField(), t); }},
        {FieldId::Street,
         [](auto *e, const QString &t) {
             e->streetField()->setFocus();
             e->streetField()->selectAll();
             typeText(e->streetField(), t);
         }},
    };
    for (const auto &c : cases) {
        for (const qint64 labelIndex : {qint64(1), qint64(-1)}) {
            SetUp();
            const std::string what = c.part.toStdString() + (labelIndex < 0 ? " new" : " stored");
            const LabeledValueRecord stored =
                labelIndex < 0 ? LabeledValueRecord()
                               : *person->labeledValueForIdentifier(FieldId::Address, LabelIndex(labelIndex));
            auto *editor = open<AddressViewController>(FieldId::Address, labelIndex);
            c.type(editor, QStringLiteral("Zq 9"));
            press(editor->doneButton());
            const LabeledValueRecord *record = scene.answered<LabeledValueRecord>();
            ASSERT_TRUE(record) << what;
            EXPECT_EQ(partOf(*record, c.part), QStringLiteral("Zq 9")) << what;
            for (const QString &other :
                 {FieldId::Country, FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street})
                if (other != c.part && labelIndex >= 0) {
                    EXPECT_EQ(partOf(*record, other), partOf(stored, other))
                        << what << " changed " << other.toStdString();
                }
            EXPECT_EQ(record->labelIndex, labelIndex) << what;
            EXPECT_EQ(record->isoCountryCode, stored.isoCountryCode) << what;

            ASSERT_TRUE(apply()) << what;
            const LabeledValueList addresses = person->labeledValueForIdentifier(FieldId::Address).value();
            ASSERT_EQ(addresses.size(), labelIndex < 0 ? 3 : 2) << what;
            const LabeledValueRecord &now = labelIndex < 0 ? addresses.last() : addresses.at(1);
            EXPECT_EQ(partOf(now, c.part), QStringLiteral("Zq 9")) << what;
            EXPECT_TRUE(now.stringValue.contains(QStringLiteral("Zq 9")))
                << what << ": " << now.stringValue.toStdString();
            EXPECT_EQ(addresses.at(0).stringValue, person->addressValues().at(0).stringValue);
        }
    }
}

TEST_F(EditorPaths, TheSingleValueEditorsHandBackWhatWasTyped) {
    // Instant message: the user name. Social profile: each of its three fields.
    {
        auto *editor = open<IMSViewController>(FieldId::InstantMessage, 1);
        replaceText(editor->usernameField(), QStringLiteral("zq9"));
        press(editor->doneButton());
        ASSERT_TRUE(apply());
        const LabeledValueRecord now = person->imsValues().at(1);
        EXPECT_EQ(now.username, QStringLiteral("zq9"));
        EXPECT_EQ(now.stringValue, QStringLiteral("Skype:zq9"));
        EXPECT_EQ(person->imsValues().at(0).username, QStringLiteral("ann@jabber.example"));
    }
    const struct {
        QLineEdit *(SNSViewController::*field)() const;
        QString key;
    } profileFields[] = {{&SNSViewController::usernameField, QStringLiteral("Username")},
                         {&SNSViewController::userIdentifierField, QStringLiteral("User Identifier")},
                         {&SNSViewController::URLStringField, QStringLiteral("URL String")}};
    for (const auto &f : profileFields) {
        SetUp();
        const LabeledValueRecord stored =
            person->labeledValueForIdentifier(FieldId::SocialNetwork, qsizetype(1)).value();
        auto *editor = open<SNSViewController>(FieldId::SocialNetwork, 1);
        replaceText((editor->*f.field)(), QStringLiteral("zq9"));
        press(editor->doneButton());
        ASSERT_TRUE(apply()) << f.key.toStdString();
        const LabeledValueRecord now =
            person->labeledValueForIdentifier(FieldId::SocialNetwork, qsizetype(1)).value();
        for (const QString &key :
             {QStringLiteral("Username"), QStringLiteral("User Identifier"), QStringLiteral("URL String")})
            EXPECT_EQ(partOf(now, key), key == f.key ? QStringLiteral("zq9") : partOf(stored, key))
                << f.key.toStdString() << " / " << key.toStdString();
        EXPECT_EQ(now.label, stored.label);
    }
    // Phonetic name: each part, the joined text derived.
    const struct {
        QLineEdit *(PhoneticNameViewController::*field)() const;
        QString first, middle, last;
    } phonetic[] = {{&PhoneticNameViewController::firstNameField, "zq", "", "rii"},
                    {&PhoneticNameViewController::middleNameField, "an", "zq", "rii"},
                    {&PhoneticNameViewController::lastNameField, "an", "", "zq"}};
    for (const auto &p : phonetic) {
        SetUp();
        auto *editor = open<PhoneticNameViewController>(FieldId::PhoneticName, std::nullopt);
        replaceText((editor->*p.field)(), QStringLiteral("zq"));
        press(editor->doneButton());
        ASSERT_TRUE(apply());
        const PhoneticNameRecord now = person->phoneticNameValue().value();
        EXPECT_EQ(QStringList({now.firstName, now.middleName, now.lastName}),
                  QStringList({p.first, p.middle, p.last}));
        if (p.middle.isEmpty()) { // the joined text is of the first and the last name
            EXPECT_TRUE(
                person->stringValueForIdentifier(FieldId::PhoneticName).contains(QStringLiteral("zq")));
        }
    }
}

// ---- Every choice of a popup lands as its own value

TEST_F(EditorPaths, EveryLabelOfEveryListLandsAsItsWord) {
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::Address,
          FieldId::InstantMessage, FieldId::SocialNetwork, QStringLiteral("Pets")}) {
        SetUp();
        MultiValueViewController *editor = openList(type);
        const QStringList words = QMPerson::labelsForIdentifier(type).value_or(QStringList());
        ASSERT_GE(words.size(), 2) << type.toStdString();
        auto *popup =
            cellWidget<QComboBox>(editor->tableView(), 1, columnOf(editor, QStringLiteral("label")));
        ASSERT_TRUE(popup) << type.toStdString();
        ASSERT_EQ(popup->count(), words.size()) << type.toStdString();
        // From the last to the first, so that each choice is a change.
        for (int item = int(words.size()) - 1; item >= 0; --item) {
            choose(popup, popup->itemText(item));
            EXPECT_EQ(editor->table().at(1).label, words.at(item)) << type.toStdString() << " item " << item;
            if (type == FieldId::SocialNetwork) {
                EXPECT_EQ(editor->table().at(1).service, words.at(item)) << item;
            }
        }
        // The row shows the word chosen last when drawn again.
        editor->sortDescriptorsDidChange(columnOf(editor, QStringLiteral("label")), Qt::AscendingOrder);
        press(editor->doneButton());
        ASSERT_TRUE(apply());
        bool found = false;
        const LabeledValueList stored = person->labeledValueForIdentifier(type).value_or(LabeledValueList());
        for (const LabeledValueRecord &record : stored)
            found = found || record.label == words.first();
        EXPECT_TRUE(found) << type.toStdString();
    }
}

TEST_F(EditorPaths, EveryServiceOfAnInstantMessageRowLandsAsItself) {
    MultiValueViewController *editor = openList(FieldId::InstantMessage);
    auto *popup =
        cellWidget<QComboBox>(editor->tableView(), 0, columnOf(editor, QStringLiteral("serviceType")));
    ASSERT_TRUE(popup);
    ASSERT_EQ(popup->count(), 10);
    for (int item = popup->count() - 1; item >= 0; --item) {
        choose(popup, popup->itemText(item));
        EXPECT_EQ(editor->table().at(0).service, popup->itemText(item)) << item;
    }
    press(editor->doneButton());
    ASSERT_TRUE(apply());
    EXPECT_EQ(person->imsValues().at(0).stringValue,
              popup->itemText(0) + QStringLiteral(":ann@jabber.example"));
}

TEST_F(EditorPaths, EveryItemOfTheSingleEditorsPopupsLandsAsItsValue) {
    struct Case {
        const char *what;
        std::function<QComboBox *()> open;
        std::function<QString(int item)> expected;
        std::function<QString()> handedBack;
    };
    const QStringList imLabels = QMPerson::labelTableDict().value(FieldId::InstantMessage);
    const QStringList addressLabels = QMPerson::labelTableDict().value(FieldId::Address);
    const auto record = [this] {
        return scene.answered<LabeledValueRecord>() ? *scene.answered<LabeledValueRecord>()
                                                    : LabeledValueRecord();
    };
    SNSViewController *profiles = nullptr;
    const Case cases[] = {
        {"message label", [&] { return open<IMSViewController>(FieldId::InstantMessage, 1)->labelPopup(); },
         [&](int i) { return imLabels.value(i); }, [&] { return record().labelText(); }},
        {"message service",
         [&] { return open<IMSViewController>(FieldId::InstantMessage, 1)->servicePopup(); },
         [&](int i) { return CNInstantMessageServices().value(i); }, [&] { return record().service; }},
        {"profile service",
         [&] {
             profiles = open<SNSViewController>(FieldId::SocialNetwork, 1);
             return profiles->servicePopup();
         },
         [&](int i) { return profiles->labels().value(i); },
         [&] { return record().service + u'/' + record().labelText(); }},
        {"address label", [&] { return open<AddressViewController>(FieldId::Address, 1)->labelPopup(); },
         [&](int i) { return addressLabels.value(i); }, [&] { return record().labelText(); }},
    };
    for (const Case &c : cases) {
        for (int item = 0;; ++item) {
            SetUp();
            QComboBox *popup = c.open();
            ASSERT_GE(popup->count(), 2) << c.what;
            if (item >= popup->count())
                break;
            const QString shown = popup->currentText();
            if (popup->itemText(item) == shown) // choosing what shows is no change
                continue;
            choose(popup, popup->itemText(item));
            press(qobject_cast<PopoverEditor *>(scene.popover->contentViewController())->doneButton());
            ASSERT_TRUE(scene.answer) << c.what << " item " << item;
            QString expected = c.expected(item);
            if (QString(c.what) == "profile service")
                expected = expected + u'/' + expected; // the label is the service
            EXPECT_EQ(c.handedBack(), expected) << c.what << " item " << item;
        }
    }
}

TEST_F(EditorPaths, BothNameDisplaysStoreTheirOwnSetting) {
    struct Delegate : NameViewControllerDelegate {
        bool undoReplaceNameValue(const NameRecord &value,
                                  const std::shared_ptr<QMPerson> &contact) override {
            names.append(value);
            contact->setNameValue(value, FieldId::Name);
            return true;
        }
        bool undoReplacePhoto(const FieldValue &, const std::shared_ptr<QMPerson> &) override { return true; }
        QList<NameRecord> names;
    } delegate;
    auto *editor =
        scene.open<NameViewController>(editorContext(person, FieldId::Name, std::nullopt, true), true,
                                       [&](NameViewController *opened) { opened->setDelegate(&delegate); });
    ASSERT_EQ(editor->showAsPersonPopup()->count(), 2);
    wheelOver(editor->showAsPersonPopup()); // scrolling past it is no choice
    EXPECT_TRUE(delegate.names.isEmpty());
    const struct {
        int item;
        bool showAsPerson;
        QString nameLine;
    } cases[] = {{1, false, QStringLiteral("Acme")}, {0, true, QStringLiteral("Ann Lee")}};
    for (const auto &c : cases) {
        choose(editor->showAsPersonPopup(), editor->showAsPersonPopup()->itemText(c.item));
        ASSERT_FALSE(delegate.names.isEmpty());
        EXPECT_EQ(delegate.names.last().showAsPerson, c.showAsPerson) << c.item;
        EXPECT_EQ(editor->compositeNameField()->text(), c.nameLine) << c.item;
        EXPECT_EQ(person->nameValue().firstName, QStringLiteral("Ann")) << "the parts stay";
    }
    EXPECT_EQ(delegate.names.size(), 2);
}

TEST_F(EditorPaths, EveryDatesLabelLandsAsItsWord) {
    auto *editor = open<DatesViewController>(FieldId::Dates, 0);
    auto *popup = cellWidget<QComboBox>(editor->tableView(), 0, DatesViewController::LabelColumn);
    ASSERT_TRUE(popup);
    ASSERT_EQ(popup->count(), editor->labels().size());
    for (int item = popup->count() - 1; item >= 0; --item) {
        choose(popup, popup->itemText(item));
        EXPECT_EQ(editor->table().at(0).label, editor->labels().at(item)) << item;
    }
    press(editor->doneButton());
    ASSERT_TRUE(apply());
    EXPECT_EQ(person->labeledValueForIdentifier(FieldId::Dates, qsizetype(0))->label,
              editor->labels().first());
}

// Samples of the country pull-downs: each code chosen lands as that code and its name.
TEST_F(EditorPaths, CountriesChosenLandAsTheirCodeOrTheDefault) {
    const auto formats = QMPerson::addressFormatDict();
    const QStringList codes = {QStringLiteral("JP"), QStringLiteral("US"), QStringLiteral("DE"),
                               QStringLiteral("FR"), QStringLiteral("GB"), QString()};
    const auto titleOf = [&](const QString &code) {
        return code.isEmpty()
                   ? CountryPullDown::defaultTitle(QStringLiteral("JP"))
                   : CountryPullDown::codeTitle(code, CountryPullDown::listedName(formats.value(code)));
    };
    for (const QString &code : codes) {
        SetUp();
        ASSERT_TRUE(code.isEmpty() || formats.contains(code)) << code.toStdString();
        auto *editor = open<AddressViewController>(FieldId::Address, 0); // an American address
        pick(editor->countryCodePopup(), titleOf(code));
        if (code == QStringLiteral("US")) { // its own country is no change
            EXPECT_FALSE(editor->doneButton()->isEnabled());
            continue;
        }
        press(editor->doneButton());
        const LabeledValueRecord *record = scene.answered<LabeledValueRecord>();
        ASSERT_TRUE(record) << code.toStdString();
        EXPECT_EQ(record->isoCountryCode.toUpper(), code) << code.toStdString();
        EXPECT_EQ(record->country, formats.value(code.isEmpty() ? QStringLiteral("JP") : code).country)
            << code.toStdString();
        EXPECT_EQ(record->street, QStringLiteral("1 Main St"));

        // The list editor's row pull-down, on the first row only.
        SetUp();
        MultiValueViewController *list = openList(FieldId::Address);
        auto *pullDown =
            cellWidget<PullDownButton>(list->tableView(), 0, columnOf(list, QStringLiteral("CountryCode")));
        ASSERT_TRUE(pullDown);
        pick(pullDown, titleOf(code));
        press(list->doneButton());
        ASSERT_TRUE(scene.answered<LabeledValueList>());
        const LabeledValueList rows = *scene.answered<LabeledValueList>();
        EXPECT_EQ(rows.at(0).isoCountryCode.toUpper(), code) << code.toStdString();
        EXPECT_EQ(rows.at(1).isoCountryCode, QStringLiteral("de")) << code.toStdString();
    }
}

// The custom label panel's field chooser: each field chosen is the one listed and remembered.
TEST_F(EditorPaths, EveryFieldOfTheCustomLabelChooserIsTheOneListed) {
    CustomItemDefinition pets;
    pets.name = QStringLiteral("Pets");
    pets.type = ValueKind::Labeled;
    CustomLabelPanelController panel;
    panel.setCustomItems({pets});
    panel.setContainerTable(std::make_shared<ContainerTable>());
    panel.setContextInfo();
    panel.window()->show();
    QComboBox *chooser = panel.itemNamePopup();
    ASSERT_EQ(chooser->count(), QMPerson::labeledIdentifiers().size() + 1);
    for (int item = chooser->count() - 1; item >= 0; --item) {
        const QString field = chooser->itemData(item).toString();
        if (chooser->currentIndex() != item)
            choose(chooser, chooser->itemText(item));
        EXPECT_EQ(panel.selectedIdentifier(), field) << item;
        EXPECT_EQ(UserDefaults::standard().stringForKey(CustomLabelPanelController::LastSelectedItemKey),
                  field);
        EXPECT_EQ(panel.table(), QMPerson::customLabelsForIdentifier(field).value_or(QStringList()))
            << field.toStdString();
    }
    panel.window()->close();
}

// ---- Every way out but Done changes nothing

TEST_F(EditorPaths, EveryEditorsCancelClickAwayAndEscapeChangeNothing) {
    struct Editor {
        const char *what;
        std::function<PopoverEditor *()> openAndChange;
    };
    const Editor editors[] = {
        {"phonetic name",
         [&] {
             auto *e = open<PhoneticNameViewController>(FieldId::PhoneticName, std::nullopt);
             replaceText(e->lastNameField(), QStringLiteral("x"));
             return e;
         }},
        {"birthday",
         [&] {
             auto *e = open<DateViewController>(FieldId::Birthday, std::nullopt);
             choose(e->dateControls()->monthPopup(), e->dateControls()->monthPopup()->itemText(6));
             return e;
         }},
        {"dates",
         [&] {
             auto *e = open<DatesViewController>(FieldId::Dates, 0);
             press(e->addButton());
             return e;
         }},
        {"instant message",
         [&] {
             auto *e = open<IMSViewController>(FieldId::InstantMessage, 0);
             choose(e->servicePopup(), QStringLiteral("ICQ"));
             return e;
         }},
        {"social profile",
         [&] {
             auto *e = open<SNSViewController>(FieldId::SocialNetwork, 0);
             replaceText(e->usernameField(), QStringLiteral("x"));
             return e;
         }},
        {"address",
         [&] {
             auto *e = open<AddressViewController>(FieldId::Address, 0);
             replaceText(e->cityField(), QStringLiteral("x"));
             return e;
         }},
        {"new address",
         [&] {
             auto *e = open<AddressViewController>(FieldId::Address, -1);
             replaceText(e->cityField(), QStringLiteral("x"));
             return e;
         }},
    };
    std::vector<Editor> all(std::begin(editors), std::end(editors));
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::Address,
          FieldId::InstantMessage, FieldId::SocialNetwork, QStringLiteral("Pets")})
        all.push_back({"list", [this, type] {
                           MultiValueViewController *e = openList(type);
                           e->tableView()->selectRow(0);
                           press(e->delButton());
                           return e;
                       }});
    enum Way { CancelButton, ClickAway, Escape };
    for (const Editor &e : all) {
        for (const Way way : {CancelButton, ClickAway, Escape}) {
            SetUp();
            scene.closes = 0;
            scene.answer.reset();
            PopoverEditor *editor = e.openAndChange();
            ASSERT_TRUE(editor->doneButton()->isEnabled()) << e.what << ": the change was made";
            if (way == CancelButton)
                press(editor->cancelButton());
            else if (way == ClickAway)
                scene.clickOutside();
            else
                QTest::keyClick(editor->cancelButton()->window()->focusWidget()
                                    ? editor->cancelButton()->window()->focusWidget()
                                    : editor->cancelButton(),
                                Qt::Key_Escape);
            EXPECT_EQ(scene.closes, 1) << e.what << " way " << way;
            EXPECT_FALSE(scene.answer) << e.what << " way " << way;
            EXPECT_FALSE(apply()) << e.what << " way " << way;
            EXPECT_TRUE(unchanged()) << e.what << " way " << way;
        }
    }
}

// ---- Locked, no path changes anything

// Every input of an editor a user can reach but Return and Done: typing in each field, the
// wheel and the keys on each popup, the editor's own buttons, double clicks in its table.
void tryEveryPath(PopoverEditor *editor) {
    QWidget *root = editor->view();
    for (QLineEdit *field : root->findChildren<QLineEdit *>()) {
        if (!field->isVisible())
            continue;
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        typeText(field, QStringLiteral("x"));
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Backspace);
    }
    for (QPlainTextEdit *area : root->findChildren<QPlainTextEdit *>()) {
        area->setFocus();
        typeText(area, QStringLiteral("x"));
    }
    for (QComboBox *popup : root->findChildren<QComboBox *>()) {
        if (!popup->isVisible())
            continue;
        wheelOver(popup, -1);
        wheelOver(popup, 1);
        popup->setFocus();
        QTest::keyClick(popup, popup->currentIndex() + 1 < popup->count() ? Qt::Key_Down : Qt::Key_Up);
    }
    for (QCalendarWidget *picker : root->findChildren<QCalendarWidget *>())
        QTest::keyClick(picker->focusProxy() ? picker->focusProxy() : picker, Qt::Key_Right);
    for (QTableView *table : root->findChildren<QTableView *>()) {
        if (table->model()->rowCount() == 0)
            continue;
        doubleClick(table, table->model()->index(0, std::min(2, table->model()->columnCount() - 1)));
        typeText(QApplication::focusWidget(), QStringLiteral("x"));
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Delete);
    }
    for (QPushButton *button : root->findChildren<QPushButton *>())
        if (button != editor->doneButton() && button != editor->editButton() && button->isVisible())
            QTest::mouseClick(button, Qt::LeftButton);
    // A disabled pull-down does not open; an enabled one (the states) may be chosen from.
    for (PullDownButton *pullDown : root->findChildren<PullDownButton *>()) {
        const QList<MenuItem *> items = pullDown->pullDownMenu()->itemArray();
        for (qsizetype i = 1; pullDown->isEnabled() && i < items.size(); ++i)
            if (items[i]->isEnabled() && !items[i]->hasSubmenu())
                items[i]->trigger();
    }
}

TEST_F(EditorPaths, AnEditorOpenedLockedChangesNothingByAnyPath) {
    struct Case {
        const char *what;
        std::function<PopoverEditor *()> open;
        bool editCanUnlock; // these editors ignore editEnabled: Edit stays for the user
    };
    std::vector<Case> cases = {
        {"phonetic name",
         [&] { return open<PhoneticNameViewController>(FieldId::PhoneticName, std::nullopt, true, false); },
         false},
        {"birthday", [&] { return open<DateViewController>(FieldId::Birthday, std::nullopt, true, false); },
         false},
        {"dates", [&] { return open<DatesViewController>(FieldId::Dates, 0, true, false); }, false},
        {"instant message",
         [&] { return open<IMSViewController>(FieldId::InstantMessage, 0, false, std::nullopt); }, true},
        {"social profile",
         [&] { return open<SNSViewController>(FieldId::SocialNetwork, 0, false, std::nullopt); }, true},
        {"address", [&] { return open<AddressViewController>(FieldId::Address, 0, false, std::nullopt); },
         true},
    };
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::Address,
          FieldId::InstantMessage, FieldId::SocialNetwork, QStringLiteral("Pets")})
        cases.push_back({"list", [this, type] { return openList(type, true, false); }, false});
    for (const Case &c : cases) {
        SetUp();
        scene.answer.reset();
        PopoverEditor *editor = c.open();
        EXPECT_FALSE(editor->isEditing()) << c.what;
        EXPECT_EQ(editor->editButton()->isEnabled(), c.editCanUnlock) << c.what;
        tryEveryPath(editor);
        if (auto *list = qobject_cast<MultiValueViewController *>(editor)) {
            auto pasteboard = Pasteboard::forDragging();
            list->writeRowsWithIndexes({0}, *pasteboard);
            EXPECT_EQ(list->validateDrop(true, 2, Drop::Above), Qt::IgnoreAction);
        }
        // What the editor holds is still the stored value: unlocked now, Done has nothing to hand back.
        const QString type = editor->contextInfo()->type;
        const auto userParts = [](const LabeledValueList &list) {
            QStringList parts;
            for (const LabeledValueRecord &r : list)
                parts
                    << QStringList{r.labelText(),    r.valueText(), r.service, r.username.value_or(QString()),
                                   r.userIdentifier, r.urlString,   r.zip,     r.state,
                                   r.city,           r.street,      r.country, r.isoCountryCode,
                                   r.stringValue}
                           .join(u'|');
            return parts.join(u'\n').toStdString();
        };
        const LabeledValueList stored = person->labeledValueForIdentifier(type).value_or(LabeledValueList());
        if (auto *one = qobject_cast<LabeledValueEditor *>(editor)) {
            ASSERT_TRUE(one->labeledValue()) << c.what;
            EXPECT_EQ(userParts({*one->labeledValue()}), userParts({stored.first()})) << c.what;
        } else if (auto *list = qobject_cast<MultiValueViewController *>(editor)) {
            EXPECT_EQ(userParts(list->table()), userParts(stored)) << c.what;
        } else if (auto *dates = qobject_cast<DatesViewController *>(editor)) {
            EXPECT_EQ(userParts(dates->table()), userParts(stored)) << c.what;
        } else if (auto *birthday = qobject_cast<DateViewController *>(editor)) {
            EXPECT_EQ(birthday->dateField()->text(), person->birthdayValue()->stringValue) << c.what;
        } else if (auto *phonetic = qobject_cast<PhoneticNameViewController *>(editor)) {
            EXPECT_EQ(phonetic->firstNameField()->text() + u'/' + phonetic->lastNameField()->text(),
                      QStringLiteral("an/rii"));
        }
        if (scene.popover->isShown())
            QTest::keyClick(editor->doneButton()->window(), Qt::Key_Return);
        if (scene.popover->isShown())
            press(editor->doneButton());
        EXPECT_FALSE(editor->isEditing()) << c.what;
        EXPECT_FALSE(scene.answer) << c.what;
        EXPECT_FALSE(apply()) << c.what;
        EXPECT_TRUE(unchanged()) << c.what;
    }
}

// Scrolling past a popup of an editor that is editing changes nothing: only a click or the
// keyboard on the focused popup chooses.
TEST_F(EditorPaths, TheWheelOverAPopupChoosesNothing) {
    struct Case {
        const char *what;
        std::function<QList<QComboBox *>()> open;
    };
    const Case cases[] = {
        {"list",
         [&] {
             MultiValueViewController *e = openList(FieldId::InstantMessage);
             return QList<QComboBox *>{cellWidget<QComboBox>(e->tableView(), 0, 0),
                                       cellWidget<QComboBox>(e->tableView(), 0, 1)};
         }},
        {"message",
         [&] {
             auto *e = open<IMSViewController>(FieldId::InstantMessage, 0);
             return QList<QComboBox *>{e->labelPopup(), e->servicePopup()};
         }},
        {"profile",
         [&] {
             return QList<QComboBox *>{open<SNSViewController>(FieldId::SocialNetwork, 0)->servicePopup()};
         }},
        {"address",
         [&] { return QList<QComboBox *>{open<AddressViewController>(FieldId::Address, 0)->labelPopup()}; }},
        {"dates",
         [&] {
             auto *e = open<DatesViewController>(FieldId::Dates, 0);
             return QList<QComboBox *>{
                 cellWidget<QComboBox>(e->tableView(), 0, DatesViewController::LabelColumn),
                 e->dateControls()->monthPopup()};
         }},
        {"birthday",
         [&] {
             return QList<QComboBox *>{
                 open<DateViewController>(FieldId::Birthday, std::nullopt)->dateControls()->monthPopup()};
         }},
    };
    for (const Case &c : cases) {
        SetUp();
        const QList<QComboBox *> popups = c.open();
        auto *editor = qobject_cast<PopoverEditor *>(scene.popover->contentViewController());
        for (QComboBox *popup : popups) {
            ASSERT_TRUE(popup && popup->isEnabled()) << c.what;
            const int shown = popup->currentIndex();
            wheelOver(popup, popup->currentIndex() == 0 ? -1 : 1);
            EXPECT_EQ(popup->currentIndex(), shown) << c.what;
        }
        EXPECT_FALSE(editor->doneButton()->isEnabled()) << c.what << ": nothing changed";
    }
}

TEST_F(EditorPaths, ANameEditorOpenedLockedChangesNothingByAnyPath) {
    struct Delegate : NameViewControllerDelegate {
        bool undoReplaceNameValue(const NameRecord &, const std::shared_ptr<QMPerson> &) override {
            return ++calls;
        }
        bool undoReplacePhoto(const FieldValue &, const std::shared_ptr<QMPerson> &) override {
            return ++calls;
        }
        int calls = 0;
    } delegate;
    for (const bool editable : {false, true}) {
        // Locked by the opener, or unlocked by it but without editEnabled.
        auto *editor = scene.open<NameViewController>(
            editorContext(person, FieldId::Name, std::nullopt, editable ? std::optional<bool>(false) : true),
            editable, [&](NameViewController *opened) { opened->setDelegate(&delegate); });
        EXPECT_FALSE(editor->isEditing()) << editable;
        Menu *pictures = editor->imagePopup()->pullDownMenu();
        pictures->update();
        EXPECT_EQ(pictures->itemArray().size(), 1) << "only the picture";
        tryEveryPath(editor);
        QTest::keyClick(editor->doneButton()->window(), Qt::Key_Return);
        EXPECT_EQ(delegate.calls, 0) << editable;
        EXPECT_TRUE(unchanged()) << editable;
    }
}

} // namespace
