#include "model/StoredLabeledValues.h"

#include <gtest/gtest.h>

namespace {

LabeledValueRecord phone(const QString &number) {
    LabeledValueRecord record;
    record.label = QStringLiteral("mobile");
    record.cnlabel = QStringLiteral("_$!<Mobile>!$_");
    record.value = number;
    record.stringValue = number;
    record.labelIndex = 0;
    record.phoneNumber = CNPhoneNumber(number);
    return record;
}

LabeledValueRecord withType(LabeledValueRecord record, const QString &type) {
    record.type = type;
    return record;
}

LabeledValueRecord address() {
    LabeledValueRecord record;
    record.label = QStringLiteral("home");
    record.street = QStringLiteral("1 Main Street");
    record.zip = QStringLiteral("12345");
    record.formattedString = QStringLiteral("1 Main Street\n12345");
    CNPostalAddress read;
    read.street = record.street;
    read.subLocality = QStringLiteral("Old Town"); // a part the record has no key for
    record.postalAddress = read;
    return record;
}

LabeledValueRecord email() {
    LabeledValueRecord record;
    record.label = QStringLiteral("work");
    record.value = QStringLiteral("a@example.com");
    record.stringValue = *record.value;
    record.username = QStringLiteral("a");
    record.domain = QStringLiteral("example.com");
    record.labelIndex = 3;
    return record;
}

LabeledValueRecord emptyButNotNull() {
    LabeledValueRecord record;
    record.value = QLatin1String(""); // an e-mail with an empty text is kept on export
    record.label = QString();         // absent and empty labels differ
    return record;
}

// Whatever is stored comes back member for member, null texts null and empty ones empty,
// through the whole list and value by value.
TEST(StoredLabeledValues, GivesBackExactlyWhatWasStored) {
    const std::vector<std::pair<const char *, LabeledValueList>> cases = {
        {"none", {}},
        {"phones", {phone("1"), phone("2")}},
        {"e-mail", {email()}},
        {"empty but not null", {emptyButNotNull()}},
        {"address", {address()}},
        {"a phone with a member phones do not use",
         {phone("1"), withType(phone("2"), QStringLiteral("Phone"))}},
        {"an empty text where phones keep none", {withType(phone("3"), QLatin1String(""))}},
    };
    for (const auto &[name, list] : cases) {
        SCOPED_TRACE(name);
        const StoredLabeledValues stored(list);
        const LabeledValueList back = stored.list();
        EXPECT_EQ(stored.size(), list.size());
        ASSERT_EQ(back.size(), list.size());
        for (qsizetype i = 0; i < list.size(); ++i) {
            EXPECT_TRUE(back[i] == list[i]);
            EXPECT_TRUE(stored.at(i) == list[i]);
            EXPECT_EQ(back[i].type.isNull(), list[i].type.isNull());
            EXPECT_EQ(back[i].value.has_value(), list[i].value.has_value());
            if (list[i].value) {
                EXPECT_EQ(back[i].value->isNull(), list[i].value->isNull());
            }
            EXPECT_EQ(back[i].label.has_value(), list[i].label.has_value());
            EXPECT_EQ(back[i].username.has_value(), list[i].username.has_value());
            EXPECT_EQ(back[i].domain.has_value(), list[i].domain.has_value());
        }
    }
}

// A field never read nor set differs from an emptied one: only the latter empties a
// contact's field on the way out.
TEST(StoredLabeledValues, NoneIsNotAnEmptyList) {
    EXPECT_FALSE(StoredLabeledValues().isSet());
    EXPECT_TRUE(StoredLabeledValues().list().isEmpty());
    EXPECT_TRUE(StoredLabeledValues(LabeledValueList()).isSet());
    EXPECT_TRUE(StoredLabeledValues({address()}).isSet());
}

TEST(StoredLabeledValues, KeepsTheObjectAValueWasReadFrom) {
    const StoredLabeledValues stored({address(), withType(address(), QStringLiteral("Address"))});
    ASSERT_TRUE(stored.at(0).postalAddress);
    EXPECT_EQ(stored.at(0).postalAddress->subLocality, QStringLiteral("Old Town"));
    EXPECT_EQ(stored.list().at(1).type, QStringLiteral("Address"));
    EXPECT_EQ(StoredLabeledValues({phone("5")}).at(0).phoneNumber, CNPhoneNumber("5"));
}

} // namespace
