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
    return person;
}

TEST(QMPersonLabeledValuesTest, ReadingNumbersValuesByPositionAndAddingTakesTheNextFreeNumber) {
    CNContact contact;
    contact.phoneNumbers = {{CNLabelHome, CNPhoneNumber("1")},
                            {CNLabelPhoneNumberMobile, CNPhoneNumber("2")},
                            {std::nullopt, CNPhoneNumber("3")}};
    QMPerson read(contact);
    const LabeledValueList phones = read.phoneValues();
    EXPECT_EQ(numbers(phones), (QList<qint64>{0, 1, 2}));
    EXPECT_EQ(phones[0].label, "home");
    EXPECT_EQ(phones[0].cnlabel, CNLabelHome);
    EXPECT_EQ(phones[1].label, "mobile");
    EXPECT_EQ(phones[2].label, NoLabel);
    EXPECT_EQ(phones[2].cnlabel, "");
    EXPECT_EQ(phones[2].stringValue, "3");
    EXPECT_EQ(phones[0].phoneNumber, CNPhoneNumber("1"));
    read.deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(0));
    read.addPhoneValue(textRecord("work", "4"));
    EXPECT_EQ(numbers(read.phoneValues()), (QList<qint64>{1, 2, 3}));

    QMPerson person = personWithPhones({0, 5, 2});
    person.addPhoneValue(textRecord("work", "new", 0));
    EXPECT_EQ(person.phoneValues().last().labelIndex, 6);

    QMPerson empty;
    empty.addPhoneValue(textRecord("work", "first"));
    EXPECT_EQ(numbers(empty.phoneValues()), QList<qint64>{0})
        << "a record made in the program keeps its value";
}

TEST(QMPersonLabeledValuesTest, DeletionLeavesAGapAndReplaceByNumberDiffersFromByPosition) {
    QMPerson person = personWithPhones({0, 1, 2});
    person.deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(1));
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
    person.replacePhoneValue(textRecord("work", "nowhere", 7));
    EXPECT_EQ(person.phoneValues()[1].valueText(), "by number")
        << "an unknown running number changes nothing";
    EXPECT_EQ(person.phoneValues().size(), 2);

    person.replacePhoneValue(textRecord("", "at position", 2), 0);
    EXPECT_EQ(person.phoneValues()[0].valueText(), "at position");
    EXPECT_EQ(person.phoneValues()[0].label, NoLabel) << "replacing normalises";
    person.replacePhoneValue(textRecord("", "x", 0), 2);
    person.replacePhoneValue(textRecord("", "x", 0), -1);
    EXPECT_EQ(person.phoneValues()[0].valueText(), "at position") << "outside the list nothing changes";
    EXPECT_EQ(person.phoneValues()[1].valueText(), "by number");
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

TEST(QMPersonLabeledValuesTest, EmailSplitsIntoUserNameAndDomain) {
    using Text = std::optional<QString>;
    const std::tuple<const char *, Text, Text> cases[] = {{"ann@example.com", "ann", "example.com"},
                                                          {"ann@", "ann@", std::nullopt},
                                                          {"@example.com", std::nullopt, "example.com"},
                                                          {"plain", "plain", std::nullopt}};
    // One record through every case: an old part must not survive an edit.
    LabeledValueRecord record = textRecord("", "");
    for (const auto &[value, username, domain] : cases) {
        SCOPED_TRACE(value);
        record.value = QString::fromUtf8(value);
        QMPerson::updateEmailValue(record);
        EXPECT_EQ(record.username, username);
        EXPECT_EQ(record.domain, domain);
        EXPECT_EQ(record.stringValue, record.value);
        EXPECT_EQ(record.label, NoLabel);
    }
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

TEST(QMPersonLabeledValuesTest, ReadingRegistersTheLabelsItMeetsButNotSocialProfileLabels) {
    CNContact contact;
    CNSocialProfile profile;
    profile.service = "facebook";
    profile.username = "ann";
    profile.urlString = "https://fb.example/ann";
    profile.userIdentifier = "17";
    contact.socialProfiles = {{QStringLiteral("ignored"), profile}};
    contact.urlAddresses = {{QStringLiteral("_$!<Blog>!$_"), QStringLiteral("https://blog.example")}};
    QMPerson person(contact);
    const LabeledValueRecord record = person.snsValues().first();
    EXPECT_EQ(record.label, CNSocialProfileServiceFacebook);
    EXPECT_EQ(record.service, CNSocialProfileServiceFacebook);
    EXPECT_EQ(record.valueText(), "ann");
    EXPECT_EQ(record.urlString, "https://fb.example/ann");
    EXPECT_EQ(record.userIdentifier, "17");
    EXPECT_FALSE(QMPerson::labelsForIdentifier(FieldId::SocialNetwork)->contains("ignored"));

    EXPECT_EQ(person.urlValues().first().label, "Blog");
    EXPECT_TRUE(QMPerson::labelsForIdentifier(FieldId::URL)->contains("Blog"));
    EXPECT_TRUE(QMPerson::customLabelsForIdentifier(FieldId::URL)->contains("Blog"));
}

} // namespace
