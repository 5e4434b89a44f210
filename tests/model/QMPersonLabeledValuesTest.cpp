#include "tests/model/PersonTestSupport.h"

#include <gtest/gtest.h>

namespace {

QList<qint64> numbers(const LabeledValueList &list) {
    QList<qint64> result;
    for (const LabeledValueRecord &record : list)
        result.append(record.labelIndex);
    return result;
}

QMPerson personWithPhones(const QList<qint64> &labelIndexes) {
    QMPerson person;
    LabeledValueList list;
    for (qint64 n : labelIndexes)
        list.append(textRecord("home", QStringLiteral("0%1").arg(n), n));
    person.setValue(list, FieldId::Phone);
    person.setChanged(false);
    return person;
}

TEST(QMPersonLabeledValuesTest, ReadingNumbersValuesByPosition) {
    CNContact contact;
    contact.phoneNumbers = {{CNLabelHome, CNPhoneNumber("1")},
                            {CNLabelPhoneNumberMobile, CNPhoneNumber("2")},
                            {std::nullopt, CNPhoneNumber("3")}};
    QMPerson person(contact);
    const LabeledValueList phones = person.phoneValues();
    EXPECT_EQ(numbers(phones), (QList<qint64>{0, 1, 2}));
    EXPECT_EQ(phones[0].label, "home");
    EXPECT_EQ(phones[0].cnlabel, CNLabelHome);
    EXPECT_EQ(phones[1].label, "mobile");
    EXPECT_EQ(phones[2].label, NoLabel);
    EXPECT_EQ(phones[2].cnlabel, "");
    EXPECT_EQ(phones[2].stringValue, "3");
    EXPECT_EQ(phones[0].phoneNumber, CNPhoneNumber("1"));
}

TEST(QMPersonLabeledValuesTest, AddingTakesTheNextFreeNumber) {
    QMPerson person = personWithPhones({0, 5, 2});
    person.addPhoneValue(textRecord("work", "new", 0));
    EXPECT_EQ(person.phoneValues().last().labelIndex, 6);
    EXPECT_TRUE(person.changed());

    QMPerson empty;
    empty.addPhoneValue(textRecord("work", "first"));
    EXPECT_EQ(numbers(empty.phoneValues()), QList<qint64>{0})
        << "a record made in the program keeps its value";

    CNContact contact;
    contact.phoneNumbers = {{CNLabelHome, CNPhoneNumber("1")},
                            {CNLabelPhoneNumberMobile, CNPhoneNumber("2")}};
    QMPerson read(contact);
    read.deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(0));
    read.addPhoneValue(textRecord("work", "3"));
    EXPECT_EQ(numbers(read.phoneValues()), (QList<qint64>{1, 2}));
}

TEST(QMPersonLabeledValuesTest, DeletionLeavesAGapAndReplaceByNumberDiffersFromByPosition) {
    QMPerson person = personWithPhones({0, 1, 2});
    person.deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(1));
    EXPECT_FALSE(person.changed()) << "the undoable operation marks the contact";
    EXPECT_EQ(numbers(person.phoneValues()), (QList<qint64>{0, 2}));
    EXPECT_EQ(person.labeledValueForIdentifier(FieldId::Phone, LabelIndex(2))->valueText(), "02");
    EXPECT_FALSE(person.labeledValueForIdentifier(FieldId::Phone, qsizetype(2)).has_value());
    EXPECT_EQ(person.labeledValueForIdentifier(FieldId::Phone, qsizetype(1))->valueText(), "02");
    person.deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(-1));
    person.deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(7));
    EXPECT_EQ(person.phoneValues().size(), 2);

    person.replacePhoneValue(textRecord("work", "by number", 2));
    EXPECT_EQ(person.phoneValues()[1].valueText(), "by number");
    EXPECT_EQ(person.phoneValues()[1].labelIndex, 2);
    EXPECT_TRUE(person.changed());

    person.setChanged(false);
    person.replacePhoneValue(textRecord("work", "nowhere", 7));
    EXPECT_FALSE(person.changed()) << "an unknown running number changes nothing";
    EXPECT_EQ(person.phoneValues()[1].valueText(), "by number");

    person.replacePhoneValue(textRecord("", "at position", 2), 0);
    EXPECT_EQ(person.phoneValues()[0].valueText(), "at position");
    EXPECT_EQ(person.phoneValues()[0].label, NoLabel) << "replacing normalises";
    person.setChanged(false);
    person.replacePhoneValue(textRecord("", "x", 0), 2);
    person.replacePhoneValue(textRecord("", "x", 0), -1);
    EXPECT_FALSE(person.changed());
}

TEST(QMPersonLabeledValuesTest, ReplacingTheWholeListKeepsNumbersUnique) {
    QMPerson person;
    person.replaceEmailValue(LabeledValueList{textRecord("home", "a@x", 3), textRecord("home", "b@x", -1),
                                              textRecord("home", "c@x", 3), textRecord("home", "d@x", 0)});
    EXPECT_EQ(numbers(person.emailValues()), (QList<qint64>{3, 4, 5, 0}));
    EXPECT_EQ(QMPerson::findLabeledValue(person.emailValues(), 5), 2);
    EXPECT_EQ(QMPerson::findLabeledValue(person.emailValues(), 9), 4);
    EXPECT_EQ(QMPerson::findLabeledValue({}, 9), 0);

    CNContact contact;
    contact.contactRelations = {{CNLabelContactRelationFather, CNContactRelation("Tom")}};
    QMPerson related(contact);
    related.replaceRelationshipValue(LabeledValueList());
    EXPECT_TRUE(related.relationshipValues().isEmpty());
    EXPECT_TRUE(related.contactFromCache().contactRelations.isEmpty());
}

TEST(QMPersonLabeledValuesTest, EmailSplit) {
    LabeledValueRecord record = textRecord("", "ann@example.com");
    QMPerson::updateEmailValue(record);
    EXPECT_EQ(record.label, NoLabel);
    EXPECT_EQ(record.username, "ann");
    EXPECT_EQ(record.domain, "example.com");
    EXPECT_EQ(record.stringValue, "ann@example.com");

    record.value = "ann@";
    QMPerson::updateEmailValue(record);
    EXPECT_EQ(record.username, "ann@");
    EXPECT_FALSE(record.domain.has_value()) << "an old domain does not survive an edit";

    record.value = "@example.com";
    QMPerson::updateEmailValue(record);
    EXPECT_FALSE(record.username.has_value());
    EXPECT_EQ(record.domain, "example.com");

    record.value = "plain";
    QMPerson::updateEmailValue(record);
    EXPECT_EQ(record.username, "plain");
    EXPECT_FALSE(record.domain.has_value());
}

TEST(QMPersonLabeledValuesTest, SocialInstantMessageAndDatesNormalisers) {
    LabeledValueRecord sns;
    sns.value = "annlee";
    QMPerson::updateSNSValue(sns);
    EXPECT_EQ(sns.label, NoService);
    EXPECT_EQ(sns.service, NoService);
    EXPECT_EQ(sns.username, "annlee");
    EXPECT_EQ(sns.stringValue, "annlee");
    LabeledValueRecord emptyLabel = textRecord("", "x");
    QMPerson::updateSNSValue(emptyLabel);
    EXPECT_EQ(emptyLabel.label, "") << "only an absent service becomes No service";

    LabeledValueRecord ims;
    QMPerson::updateIMSValue(ims);
    EXPECT_EQ(ims.label, NoLabel);
    EXPECT_EQ(ims.stringValue, "") << "not \":\"";
    ims.service = CNInstantMessageServiceSkype;
    ims.value = "ann";
    QMPerson::updateIMSValue(ims);
    EXPECT_EQ(ims.username, "ann");
    EXPECT_EQ(ims.stringValue, "Skype:ann");

    DefaultLocale locale(QLocale(QLocale::English, QLocale::UnitedStates));
    LabeledValueRecord dates = textRecord("", "not a date");
    QMPerson::updateDatesValue(dates);
    EXPECT_EQ(dates.stringValue, "");
    EXPECT_EQ(dates.label, NoLabel);
    dates.dateValue = DateComponents(2024, 4, 12);
    QMPerson::updateDatesValue(dates);
    EXPECT_EQ(dates.stringValue, "2024.04.12(Fri)");
}

TEST(QMPersonLabeledValuesTest, SocialProfilesReadTheirServiceAndRegisterNoLabel) {
    CNContact contact;
    CNSocialProfile profile;
    profile.service = "facebook";
    profile.username = "ann";
    profile.urlString = "https://fb.example/ann";
    profile.userIdentifier = "17";
    contact.socialProfiles = {{QStringLiteral("ignored"), profile}};
    QMPerson person(contact);
    const LabeledValueRecord record = person.snsValues().first();
    EXPECT_EQ(record.label, CNSocialProfileServiceFacebook);
    EXPECT_EQ(record.service, CNSocialProfileServiceFacebook);
    EXPECT_EQ(record.valueText(), "ann");
    EXPECT_EQ(record.urlString, "https://fb.example/ann");
    EXPECT_EQ(record.userIdentifier, "17");
    EXPECT_FALSE(QMPerson::labelsForIdentifier(FieldId::SocialNetwork)->contains("ignored"));
}

TEST(QMPersonLabeledValuesTest, ReadingRegistersLabelsItMeets) {
    CNContact contact;
    contact.urlAddresses = {{QStringLiteral("_$!<Blog>!$_"), QStringLiteral("https://blog.example")}};
    QMPerson person(contact);
    EXPECT_EQ(person.urlValues().first().label, "Blog");
    EXPECT_TRUE(QMPerson::labelsForIdentifier(FieldId::URL)->contains("Blog"));
    EXPECT_TRUE(QMPerson::customLabelsForIdentifier(FieldId::URL)->contains("Blog"));
}

TEST(QMPersonLabeledValuesTest, GettersHandOutCopies) {
    QMPerson person = personWithPhones({0});
    LabeledValueList copy = person.phoneValues();
    copy[0].value = "changed";
    copy.append(textRecord("x", "y"));
    EXPECT_EQ(person.phoneValues().size(), 1);
    EXPECT_EQ(person.phoneValues()[0].valueText(), "00");
    EXPECT_FALSE(person.changed());
}

} // namespace
