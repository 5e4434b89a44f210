#include "tests/editors/AddressEditorDriving.h"
#include "tests/editors/PostalCodeFixtures.h"

#include "editors/AddressViewController.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Beep.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

class AddressEditor : public testing::Test {
protected:
    void SetUp() override {
        PostalCodeFixtures::useSharedFixtureDirectory();
        CNContactsUserDefaults::sharedDefaults().setCountryCode(QStringLiteral("JP"));
        UserDefaults::standard().setObject(QStringList{QStringLiteral("en")}, QStringLiteral("AppleLanguages"));
    }
    void TearDown() override { UserDefaults::standard().removeObject(QStringLiteral("AppleLanguages")); }

    AddressViewController *open(const QString &card, qint64 labelIndex, bool editable = true) {
        person = personFromVCard(QStringLiteral("FN:Hanako\n") + card);
        return scene.open<AddressViewController>(editorContext(person, FieldId::Address, labelIndex), editable);
    }
    void pressDone(AddressViewController *editor) { QTest::mouseClick(editor->doneButton(), Qt::LeftButton); }

    EditorScene scene;
    std::shared_ptr<QMPerson> person;
};

TEST_F(AddressEditor, ANewAddressKeepsTheShownPostalCodeOnlyWhenTheUserTouchesIt) {
    struct Case {
        const char *what;
        std::function<void(AddressViewController *)> edit;
        QString zip;
        QString street;
    };
    const Case cases[] = {
        {"a street only", [](auto *e) { typeInto(e->streetField(), QStringLiteral("1-1")); }, QString(),
         QStringLiteral("1-1")},
        {"a code typed", [](auto *e) { replaceText(e->zipField(), QStringLiteral("1000005")); },
         QStringLiteral("1000005"), QString()},
        {"a lookup of the code shown", [](auto *e) { QTest::mouseClick(e->zipButton(), Qt::LeftButton); },
         QStringLiteral("123"), QStringLiteral("西新井")},
    };
    for (const Case &c : cases) {
        AddressViewController *editor = open(QString(), -1);
        EXPECT_EQ(editor->zipField()->text(), QStringLiteral("123"));
        EXPECT_EQ(editor->labeledValue()->label, QStringLiteral("home"));
        EXPECT_EQ(editor->doneButton()->text(), QStringLiteral("Add"));
        c.edit(editor);
        pressDone(editor);
        const LabeledValueRecord *record = scene.answered<LabeledValueRecord>();
        ASSERT_TRUE(record) << c.what;
        EXPECT_EQ(record->labelIndex, -1) << c.what;
        EXPECT_EQ(record->zip, c.zip) << c.what;
        EXPECT_EQ(record->street, c.street) << c.what;
        EXPECT_EQ(record->formattedString.contains(QStringLiteral("123")), c.zip == QStringLiteral("123")) << c.what;
    }
}

TEST_F(AddressEditor, ACountryWrittenAsNihonIsJapanWithLookup) {
    CNContactsUserDefaults::sharedDefaults().setCountryCode(QStringLiteral("US"));
    AddressViewController *editor = open(QStringLiteral("ADR;TYPE=HOME:;;千代田;千代田区;東京都;1000001;日本\n"), 0);
    EXPECT_EQ(editor->selectedCountryCode(), QStringLiteral("JP"));
    EXPECT_EQ(editor->countryCodePopup()->text(), QStringLiteral("Default (US)"));
    EXPECT_TRUE(editor->zipButton()->isVisible());
    EXPECT_TRUE(editor->zipButton()->isEnabled());
}

TEST_F(AddressEditor, LookupFillsStateCityAndStreetFromTheCode) {
    const struct {
        QString code;
        QString city;
        QString street;
    } cases[] = {
        {QStringLiteral("1000001"), QStringLiteral("千代田区"), QStringLiteral("千代田")},
        {QStringLiteral("100-0001"), QStringLiteral("千代田区"), QStringLiteral("千代田")},
        {QStringLiteral("060-0000"), QStringLiteral("札幌市中央区"), QString()}, // an area without listed streets
    };
    for (const auto &c : cases) {
        AddressViewController *editor = open(QStringLiteral("ADR;TYPE=WORK:;;old street;old city;;;\n"), 0);
        replaceText(editor->zipField(), c.code);
        QTest::mouseClick(editor->zipButton(), Qt::LeftButton);
        EXPECT_EQ(editor->cityField()->text(), c.city);
        EXPECT_EQ(editor->streetField()->toPlainText(), c.street);
        EXPECT_TRUE(editor->streetField()->hasFocus());
        EXPECT_EQ(editor->zipField()->text(), c.code) << "the typed code stays as typed";
        pressDone(editor);
        const LabeledValueRecord *record = scene.answered<LabeledValueRecord>();
        ASSERT_TRUE(record);
        EXPECT_EQ(record->state, c.city.startsWith(u'千') ? QStringLiteral("東京都") : QStringLiteral("北海道"));
        EXPECT_EQ(record->city, c.city);
        EXPECT_EQ(record->street, c.street);
        EXPECT_EQ(record->zip, c.code);
    }
}

TEST_F(AddressEditor, ALookupThatFindsNothingBeepsAndKeepsTheTypedCode) {
    RecordingBeeper beeper;
    AddressViewController *editor = open(QStringLiteral("ADR;TYPE=HOME:;;Street;City;;;\n"), 0);
    replaceText(editor->zipField(), QStringLiteral("9999999"));
    QTest::mouseClick(editor->zipButton(), Qt::LeftButton);
    EXPECT_EQ(beeper.count, 1);
    EXPECT_TRUE(editor->zipMessage()->isVisible());
    EXPECT_EQ(editor->zipMessage()->text(), QStringLiteral("Do not find"));
    EXPECT_EQ(editor->zipField()->text(), QStringLiteral("9999999"));

    // The next edit copies the fields back: the code, never the message, is stored.
    replaceText(editor->cityField(), QStringLiteral("Town"));
    EXPECT_EQ(editor->labeledValue()->zip, QStringLiteral("9999999"));
    replaceText(editor->zipField(), QStringLiteral("100"));
    EXPECT_FALSE(editor->zipMessage()->isVisible());
}

TEST_F(AddressEditor, ChoosingTheDefaultDropsTheCodeAndNamesTheDefaultCountry) {
    CNContactsUserDefaults::sharedDefaults().setCountryCode(QStringLiteral("US"));
    AddressViewController *editor =
        open(QStringLiteral("item1.ADR;TYPE=HOME:;;1-1;千代田区;東京都;1000001;Japan\nitem1.X-ABADR:jp\n"), 0);
    EXPECT_EQ(editor->countryCodePopup()->text(), QStringLiteral("JP (Japan)"));

    pick(editor->countryCodePopup(), QStringLiteral("JP (Japan)"));
    EXPECT_FALSE(editor->doneButton()->isEnabled()) << "the country it already has changes nothing";

    pick(editor->countryCodePopup(), QStringLiteral("Default (US)"));
    EXPECT_EQ(editor->countryCodePopup()->text(), QStringLiteral("Default (US)"));
    EXPECT_EQ(editor->labeledValue()->isoCountryCode, QString());
    EXPECT_EQ(editor->countryField()->text(), QStringLiteral("United States"));
    EXPECT_FALSE(editor->zipButton()->isVisible());
}

TEST_F(AddressEditor, TheStatePulldownListsCodesOrNamesInTheUsersLanguage) {
    const struct {
        QString language;
        QString country;
        bool codes;
        QString first;
        bool boxEnabled;
    } cases[] = {
        {QStringLiteral("ja"), QStringLiteral("Japan"), true, QStringLiteral("01"), true},
        {QStringLiteral("ja"), QStringLiteral("Japan"), false, QStringLiteral("北海道"), true},
        {QStringLiteral("en"), QStringLiteral("Japan"), false, QStringLiteral("Hokkaido"), true},
        {QStringLiteral("ja"), QStringLiteral("Canada"), false, QStringLiteral("Alberta"), true},
        {QStringLiteral("en"), QStringLiteral("Germany"), true, QString(), false},
    };
    for (const auto &c : cases) {
        UserDefaults::standard().setObject(QStringList{c.language}, QStringLiteral("AppleLanguages"));
        AddressViewController *editor = open(QStringLiteral("ADR;TYPE=HOME:;;;;;;%1\n").arg(c.country), 0);
        const std::string what = (c.language + u' ' + c.country).toStdString();
        if (!c.codes)
            QTest::mouseClick(editor->showCodeCheckBox(), Qt::LeftButton);
        EXPECT_EQ(editor->showCodeCheckBox()->isEnabled(), c.boxEnabled) << what;
        EXPECT_EQ(listed(editor->statePulldown()).value(0), c.first) << what;
        EXPECT_EQ(editor->statePulldown()->isEnabled(), !c.first.isEmpty()) << what;
        if (!c.first.isEmpty()) {
            pick(editor->statePulldown(), c.first);
            EXPECT_EQ(editor->stateField()->text(), c.first) << what;
            EXPECT_TRUE(editor->doneButton()->isEnabled()) << what;
        }
        scene.popover->close();
    }
}

TEST_F(AddressEditor, ALockedEditorShowsTheAddressAndChangesNothing) {
    AddressViewController *editor =
        open(QStringLiteral("item1.ADR;TYPE=HOME:;;1-1;千代田区;東京都;1000001;Japan\nitem1.X-ABADR:jp\n"), 0, false);
    EXPECT_EQ(editor->zipField()->text(), QStringLiteral("1000001"));
    for (QLineEdit *field : {editor->countryField(), editor->zipField(), editor->stateField(), editor->cityField()})
        EXPECT_TRUE(field->isReadOnly());
    EXPECT_TRUE(editor->streetField()->isReadOnly());
    EXPECT_FALSE(editor->labelPopup()->isEnabled());
    EXPECT_FALSE(editor->countryCodePopup()->isEnabled());
    EXPECT_FALSE(editor->zipButton()->isEnabled());
    EXPECT_TRUE(editor->editButton()->isEnabled()) << "Edit unlocks the editor inside the popover";

    // Leaving the read-only code field does not offer Lookup either.
    editor->zipField()->setFocus();
    editor->cityField()->setFocus();
    EXPECT_FALSE(editor->zipButton()->isEnabled());

    pick(editor->statePulldown(), QStringLiteral("02"));
    EXPECT_EQ(editor->labeledValue()->state, QStringLiteral("東京都"));
    EXPECT_EQ(editor->doneButton()->text(), QStringLiteral("Done"));
    pressDone(editor);
    EXPECT_EQ(scene.closes, 1);
    EXPECT_FALSE(scene.answer);
}

TEST_F(AddressEditor, EditingAPartShowsTheFormattedAddressAndCancelEmptiesTheFields) {
    AddressViewController *editor = open(QStringLiteral("ADR;TYPE=HOME:;;1-1;千代田区;東京都;1000001;\n"), 0);
    replaceText(editor->cityField(), QStringLiteral("中央区"));
    EXPECT_TRUE(editor->postalAddressField()->toPlainText().contains(QStringLiteral("東京都 中央区")));
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(editor->contextInfo()->dirty, false);
    EXPECT_EQ(editor->streetField()->toPlainText(), QString());
}

} // namespace
