#include "tests/model/PersonTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(SimpleVCardTest, AContactWithoutNameOrOptionsGivesFiveLines) {
    QMPerson person;
    EXPECT_EQ(person.simpleVCardWithOption({}),
              QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No name\r\nN:;;;;\r\nEND:VCARD\r\n"));
}

TEST(SimpleVCardTest, ChosenValuesInPositionOrderWithHomeAndWorkTypesOnly) {
    QMPerson person;
    NameRecord name;
    name.firstName = QStringLiteral("Ann");
    name.lastName = QStringLiteral("Lee");
    person.setValue(name, FieldId::Name);
    person.addEmailValue(textRecord(QStringLiteral("Work"), QStringLiteral("a@w.example")));
    person.addEmailValue(textRecord(QStringLiteral("other"), QStringLiteral("a@o.example")));
    person.addEmailValue(textRecord(QStringLiteral("home"), QStringLiteral("a@h.example")));
    person.addPhoneValue(textRecord(QStringLiteral("mobile"), QStringLiteral("090")));
    LabeledValueRecord empty;
    empty.label = QStringLiteral("club");
    person.addAddressValue(empty);
    LabeledValueRecord home;
    home.label = QStringLiteral("home");
    home.street = QStringLiteral("1 Main St\nFlat 2; back");
    home.city = QStringLiteral("Springfield");
    home.country = QStringLiteral("USA");
    person.addAddressValue(home);
    person.addUrlValue(textRecord(QStringLiteral("home page"), QStringLiteral("https://a.example/x,y")));
    person.setValue(QStringLiteral("Sales"), FieldId::Department);
    person.setValue(QStringLiteral("Boss, Chief"), FieldId::JobTitle);

    QMPerson::SimpleVCardOptions options;
    options.email = {2, 0, 7};
    options.phone = {0};
    options.address = {0, 1};
    options.url = {0};
    options.company = true;
    options.department = true;
    options.jobTitle = true;
    EXPECT_EQ(person.simpleVCardWithOption(options),
              QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\n"
                             "EMAIL;type=Work:a@w.example\r\nEMAIL;type=home:a@h.example\r\n"
                             "TEL:090\r\n"
                             "ADR:;;;;;;\r\nADR;type=home:;;1 Main St\\nFlat 2\\; back;Springfield;;;USA\r\n"
                             "URL:https://a.example/x\\,y\r\n"
                             "ORG:;Sales\r\nTITLE:Boss\\, Chief\r\nEND:VCARD\r\n"));

    options = {};
    options.department = true;
    EXPECT_TRUE(person.simpleVCardWithOption(options).contains(QStringLiteral("\r\nORG:;Sales\r\n")));
    options = {};
    options.company = true;
    EXPECT_FALSE(person.simpleVCardWithOption(options).contains(QStringLiteral("ORG")));
    person.setValue(QStringLiteral("Acme"), FieldId::Company);
    EXPECT_TRUE(person.simpleVCardWithOption(options).contains(QStringLiteral("\r\nORG:Acme\r\n")));
}

} // namespace
