#include "tests/model/PersonTestSupport.h"

#include <gtest/gtest.h>

namespace {

NameRecord annBLee(int ordering) {
    NameRecord record;
    record.firstName = "Ann";
    record.middleName = "B";
    record.lastName = "Lee";
    record.nameOrdering = ordering;
    record.showAsPerson = true;
    return record;
}

TEST(QMPersonNameTest, CompositeNameUnderBothSortOrders) {
    {
        ContactsSettings settings(CNContactSortOrder::GivenName);
        EXPECT_EQ(QMPerson::compositeNameFromNameDict(annBLee(1)), "Ann Lee");
        EXPECT_EQ(QMPerson::compositeNameFromNameDict(annBLee(2)), "Lee Ann");
        EXPECT_EQ(QMPerson::compositeNameFromNameDict(annBLee(0)), "Ann Lee");
    }
    {
        ContactsSettings settings(CNContactSortOrder::FamilyName);
        EXPECT_EQ(QMPerson::compositeNameFromNameDict(annBLee(0)), "Lee Ann");
        EXPECT_EQ(QMPerson::compositeNameFromNameDict(annBLee(1)), "Ann Lee");
    }
    NameRecord middleOnly;
    middleOnly.middleName = "B";
    EXPECT_EQ(QMPerson::compositeNameFromNameDict(middleOnly), "B");
    NameRecord lastOnly;
    lastOnly.lastName = "Lee";
    lastOnly.middleName = "B";
    EXPECT_EQ(QMPerson::compositeNameFromNameDict(lastOnly), "Lee");
}

TEST(QMPersonNameTest, DisplayNameOfPersonAndCompanyCards) {
    ContactsSettings settings(CNContactSortOrder::GivenName);
    QMPerson person;
    person.setValue(QStringLiteral("Acme"), FieldId::Company);
    NameRecord empty;
    empty.showAsPerson = true;
    person.setValue(empty, FieldId::Name);
    EXPECT_EQ(person.compositeName(), NoName) << "a person without a name shows No Name, not the company";
    empty.showAsPerson = false;
    person.setValue(empty, FieldId::Name);
    EXPECT_FALSE(person.showAsPerson());
    EXPECT_EQ(person.compositeName(), "Acme");
    person.setValue(QString(), FieldId::Company);
    EXPECT_EQ(person.compositeName(), NoName);

    NameRecord previousOnly;
    previousOnly.previousFamilyName = "Moss";
    previousOnly.showAsPerson = true;
    person.setValue(previousOnly, FieldId::Name);
    EXPECT_EQ(person.compositeName(), NoName);

    // A name without the person flag keeps the card's kind.
    NameRecord noFlag;
    noFlag.firstName = "Ann";
    person.setValue(noFlag, FieldId::Name);
    EXPECT_TRUE(person.showAsPerson());
    person.setValue(empty, FieldId::Name);
    person.setValue(noFlag, FieldId::Name);
    EXPECT_FALSE(person.showAsPerson());
    EXPECT_EQ(person.nameValue().showAsPerson, false);
}

TEST(QMPersonNameTest, ReplacingTheNameRefreshesTheDisplayName) {
    ContactsSettings settings(CNContactSortOrder::GivenName);
    CNContact contact;
    contact.givenName = "Ann";
    QMPerson person(contact);
    EXPECT_EQ(person.compositeName(), "Ann");
    person.setValue(annBLee(2), FieldId::Name);
    EXPECT_EQ(person.compositeName(), "Lee Ann");
    person.setValue(QStringLiteral("Bo"), FieldId::FirstName);
    EXPECT_EQ(person.compositeName(), "Lee Bo");
    person.setValue(QStringLiteral("not a record"), FieldId::Name);
    EXPECT_EQ(person.compositeName(), "Lee Bo") << "a value of another kind leaves the name alone";
    person.setNameValue(FieldValue(), FieldId::Name);
    EXPECT_EQ(person.nameValue().lastName, "") << "none clears it";
}

TEST(QMPersonNameTest, NameFromContactTakesOrderingAndKind) {
    ContactsSettings settings(CNContactSortOrder::GivenName);
    CNContact japanese;
    japanese.givenName = "花子";
    japanese.familyName = "山田";
    QMPerson person(japanese);
    EXPECT_EQ(person.nameValue().nameOrdering, 2);
    EXPECT_EQ(person.compositeName(), "山田 花子");

    CNContact company;
    company.contactType = CNContactType::Organization;
    company.organizationName = "Acme";
    QMPerson card(company);
    EXPECT_FALSE(card.showAsPerson());
    EXPECT_EQ(card.compositeName(), "Acme");
}

TEST(QMPersonNameTest, PhoneticName) {
    QMPerson person;
    EXPECT_FALSE(person.phoneticName().has_value());
    PhoneticNameRecord record;
    record.firstName = "an";
    record.middleName = "bee";
    record.lastName = "lee";
    {
        ContactsSettings settings(CNContactSortOrder::FamilyName);
        person.setValue(record, FieldId::PhoneticName);
        EXPECT_EQ(person.phoneticName(), "an lee") << "order 0 is not resolved through the settings";
    }
    person.setValue(annBLee(2), FieldId::Name);
    person.setValue(record, FieldId::PhoneticName);
    EXPECT_EQ(person.phoneticName(), "lee an");
    person.setValue(QStringLiteral("ann"), FieldId::PhoneticFirstName);
    EXPECT_EQ(person.phoneticName(), "lee ann");
    EXPECT_EQ(person.valueForIdentifier(FieldId::PhoneticFirstName).text(), "ann");
    EXPECT_EQ(person.contactFromCache().phoneticGivenName, "ann");
    person.deleteValueForIdentifier(FieldId::PhoneticLastName);
    EXPECT_EQ(person.phoneticName(), "ann");
    person.deleteValueForIdentifier(FieldId::PhoneticName);
    EXPECT_EQ(person.phoneticNameValue(), PhoneticNameRecord());
}

TEST(QMPersonNameTest, BirthdayTextInEnglishAndJapaneseAndWithoutYear) {
    {
        DefaultLocale locale(QLocale(QLocale::English, QLocale::UnitedStates));
        const std::pair<DateComponents, const char *> cases[] = {
            {DateComponents(2024, 4, 12), "2024.04.12(Fri)"},
            {DateComponents(DateComponents::Undefined, 4, 12), "04.12"},
            {DateComponents(DateComponents::Undefined, 2, 29), "02.29"},
            {DateComponents(2023, 2, 29), ""},
            {DateComponents(), ""}};
        for (const auto &[date, text] : cases)
            EXPECT_EQ(QMPerson::dateStringFromDateComponents(date), text);
    }
    DefaultLocale locale(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(QMPerson::dateStringFromDateComponents(DateComponents(2024, 4, 12)), "2024.04.12(金)");
}

TEST(QMPersonNameTest, BirthdaySetClearAndDelete) {
    DefaultLocale locale(QLocale(QLocale::English, QLocale::UnitedStates));
    QMPerson person;
    EXPECT_EQ(person.stringValueForIdentifier(FieldId::Birthday), "");
    BirthdayRecord record;
    record.value = DateComponents(1980, 4, 12);
    person.setValue(record, FieldId::Birthday);
    EXPECT_EQ(person.stringValueForIdentifier(FieldId::Birthday), "1980.04.12(Sat)");
    EXPECT_EQ(person.contactFromCache().birthday, DateComponents(1980, 4, 12));

    person.deleteValueForIdentifier(FieldId::Birthday);
    EXPECT_FALSE(person.contactFromCache().birthday.has_value());

    person.setValue(record, FieldId::Birthday);
    person.setValue(FieldValue(), FieldId::Birthday);
    EXPECT_EQ(person.birthdayValue(), BirthdayRecord()) << "clearing leaves an empty record";
}

} // namespace
