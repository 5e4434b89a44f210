#include "tests/model/PersonTestSupport.h"

#include <gtest/gtest.h>

namespace {

// One row per identifier kind: what typeForIdentifier says, a value to set, and what the
// getters then give.
struct FieldCase {
    QString identifier;
    QString type;
    FieldValue value;
    QString expectedString;
};

LabeledValueList twoPhones() {
    return {textRecord("home", "111", 0), textRecord("work", "222", 1)};
}

std::vector<FieldCase> fieldCases() {
    NameRecord name;
    name.firstName = "Ann";
    name.lastName = "Lee";
    name.nameOrdering = 1;
    name.showAsPerson = true;
    PhoneticNameRecord phonetic;
    phonetic.firstName = "an";
    phonetic.lastName = "lee";
    BirthdayRecord birthday;
    birthday.value = DateComponents(DateComponents::Undefined, 4, 12);
    LabeledValueRecord adr;
    adr.label = "home";
    adr.isoCountryCode = "US";
    adr.city = "Springfield";
    adr.labelIndex = 0;
    LabeledValueRecord im = textRecord("home", "ann", 0);
    im.service = CNInstantMessageServiceSkype;
    LabeledValueRecord date;
    date.label = "anniversary";
    date.dateValue = DateComponents(2005, 6, 1);
    date.labelIndex = 0;
    return {
        {FieldId::Name, ValueKind::Dictionary, name, "Ann Lee"},
        {FieldId::PhoneticName, ValueKind::Dictionary, phonetic, "an lee"},
        {FieldId::Birthday, ValueKind::Dictionary, birthday, "04.12"},
        {FieldId::Company, ValueKind::String, QStringLiteral("Acme"), "Acme"},
        {FieldId::Note, ValueKind::String, QStringLiteral("a\nb"), "a\nb"},
        {FieldId::Phone, ValueKind::Labeled, twoPhones(), ""},
        {FieldId::Email, ValueKind::Labeled, LabeledValueList{textRecord("work", "a@b.c", 0)}, ""},
        {FieldId::URL, ValueKind::Labeled, LabeledValueList{textRecord("home page", "https://x", 0)}, ""},
        {FieldId::Address, ValueKind::Labeled, LabeledValueList{adr}, ""},
        {FieldId::Relationship, ValueKind::Labeled, LabeledValueList{textRecord("mother", "Mary", 0)}, ""},
        {FieldId::SocialNetwork, ValueKind::Labeled, LabeledValueList{textRecord("Twitter", "ann", 0)}, ""},
        {FieldId::InstantMessage, ValueKind::Labeled, LabeledValueList{im}, ""},
        {FieldId::Dates, ValueKind::Labeled, LabeledValueList{date}, ""},
        {FieldId::FirstName, "", QStringLiteral("Bo"), "Bo"},
        {FieldId::PhoneticLastName, "", QStringLiteral("lee"), "lee"},
        {FieldId::Groups, "", QString(), ""},
        {FieldId::Photo, "", QImage(), ""},
    };
}

TEST(QMPersonFieldsTest, EveryIdentifierKindThroughTheGenericAccess) {
    DefaultLocale locale(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const FieldCase &c : fieldCases()) {
        SCOPED_TRACE(c.identifier.toStdString());
        QMPerson person;
        EXPECT_EQ(person.typeForIdentifier(c.identifier), c.type);
        person.setValue(c.value, c.identifier);
        EXPECT_EQ(person.stringValueForIdentifier(c.identifier), c.expectedString);
        EXPECT_TRUE(person.customIdentifiers().isEmpty()) << "a built-in field never becomes a custom item";
        const FieldValue read = person.valueForIdentifier(c.identifier);
        if (c.type == ValueKind::Labeled) {
            ASSERT_TRUE(read.is<LabeledValueList>());
            const LabeledValueList list = *read.get<LabeledValueList>();
            const LabeledValueList given = *c.value.get<LabeledValueList>();
            ASSERT_EQ(list.size(), given.size());
            EXPECT_EQ(list.first().labelIndex, given.first().labelIndex);
            EXPECT_FALSE(list.first().stringValue.isEmpty()) << "setting normalises";
            EXPECT_EQ(person.labeledValueForIdentifier(c.identifier)->size(), given.size());

            person.addLabeledValue(given.first(), c.identifier);
            EXPECT_EQ(person.labeledValueForIdentifier(c.identifier)->size(), given.size() + 1);
            EXPECT_EQ(person.labeledValueForIdentifier(c.identifier)->last().labelIndex, given.size());

            LabeledValueRecord replaced = given.first();
            replaced.label = "other";
            person.replaceLabeledValue(replaced, c.identifier);
            EXPECT_EQ(person.labeledValueForIdentifier(c.identifier, LabelIndex(0))->label, "other");
            LabeledValueRecord atOne = *person.labeledValueForIdentifier(c.identifier, qsizetype(1));
            atOne.label = "work";
            person.replaceLabeledValue(atOne, c.identifier, qsizetype(1));
            EXPECT_EQ(person.labeledValueForIdentifier(c.identifier, qsizetype(1))->label, "work");

            person.deleteLabeledValueForIdentifier(c.identifier, LabelIndex(0));
            EXPECT_EQ(person.labeledValueForIdentifier(c.identifier)->size(), given.size());
            EXPECT_FALSE(person.labeledValueForIdentifier(c.identifier, LabelIndex(0)).has_value());
            person.sortForIdentifier(c.identifier, "label", false);
            const LabeledValueList sorted = *person.labeledValueForIdentifier(c.identifier);
            for (qsizetype i = 1; i < sorted.size(); ++i)
                EXPECT_GE(sorted[i - 1].labelText(), sorted[i].labelText());
            person.replaceLabeledValue(FieldValue(), c.identifier);
            EXPECT_TRUE(person.labeledValueForIdentifier(c.identifier)->isEmpty());
        } else {
            EXPECT_FALSE(person.labeledValueForIdentifier(c.identifier).has_value());
        }
        if (c.type == ValueKind::String) {
            EXPECT_EQ(read.text(), c.value.text());
            person.deleteValueForIdentifier(c.identifier);
            EXPECT_EQ(person.valueForIdentifier(c.identifier).text(), c.value.text())
                << "string fields are not deleted through this route";
        }
        if (c.type == ValueKind::Dictionary) {
            person.deleteValueForIdentifier(c.identifier);
            EXPECT_EQ(person.stringValueForIdentifier(c.identifier), "");
        }
    }
}

// Identifiers are found by the constants' shared text first; the same words made at run
// time (read from a file or a setting) must name the same fields.
TEST(QMPersonFieldsTest, IdentifiersMadeFromTextNameTheSameFields) {
    DefaultLocale locale(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const FieldCase &c : fieldCases()) {
        const QString made = QString::fromUtf8(c.identifier.toUtf8());
        SCOPED_TRACE(made.toStdString());
        ASSERT_NE(made.constData(), c.identifier.constData());
        QMPerson person;
        EXPECT_EQ(person.typeForIdentifier(made), c.type);
        EXPECT_TRUE(QMPerson::isReservedIdentifier(made));
        person.setValue(c.value, made);
        EXPECT_EQ(person.stringValueForIdentifier(c.identifier), c.expectedString);
        EXPECT_EQ(person.labeledValueForIdentifier(made).has_value(), c.type == ValueKind::Labeled);
    }
}

TEST(QMPersonFieldsTest, ValuesOfAnotherKindChangeNothing) {
    QMPerson person;
    person.setValue(twoPhones(), FieldId::Phone);
    person.setValue(QStringLiteral("Acme"), FieldId::Company);
    BirthdayRecord birthday;
    birthday.value = DateComponents(1980, 4, 12);
    person.setValue(birthday, FieldId::Birthday);
    ASSERT_TRUE(person.setPhotoData(pngBytes()));
    person.replaceLabeledValue(QStringLiteral("text"), FieldId::Phone);
    person.replaceLabeledValue(QStringLiteral("text"), FieldId::Phone, 0);
    person.setValue(textRecord("home", "1"), FieldId::Phone);
    person.setValue(twoPhones(), FieldId::Company);
    person.setValue(QStringLiteral("text"), FieldId::Birthday);
    person.setValue(QStringLiteral("text"), FieldId::Photo);
    ASSERT_EQ(person.phoneValues().size(), 2);
    EXPECT_EQ(person.phoneValues()[0].valueText(), "111");
    EXPECT_EQ(person.stringValueForIdentifier(FieldId::Company), "Acme");
    EXPECT_EQ(person.birthdayValue()->value, birthday.value);
    EXPECT_EQ(person.imageData(), pngBytes());
}

TEST(QMPersonFieldsTest, UnknownIdentifiersAndStringFieldsOfANewCardReadAsNothing) {
    QMPerson person;
    EXPECT_EQ(person.typeForIdentifier("Unknown"), "");
    EXPECT_EQ(person.typeForIdentifier("ZIP"), "");
    EXPECT_TRUE(person.valueForIdentifier("Unknown").isNull());
    EXPECT_EQ(person.valueForIdentifier(FieldId::NameOrdering), FieldValue(QString()));
    EXPECT_TRUE(person.valueForIdentifier(FieldId::Company).isNull());
    EXPECT_EQ(person.stringValueForIdentifier(FieldId::Company), "");
    EXPECT_TRUE(person.valueForIdentifier(FieldId::Company).isNull()) << "reading it stored nothing";
    QMPerson read{CNContact()};
    EXPECT_EQ(read.valueForIdentifier(FieldId::Company), FieldValue(QString()));
}

TEST(QMPersonFieldsTest, SettingUnknownIdentifiersMakesCustomItems) {
    QMPerson person;
    person.setValue(LabeledValueList{textRecord("lab1", "v1", 0), textRecord("lab2", "v2", 1)}, "Pets");
    ASSERT_EQ(person.customIdentifiers(), QStringList{"Pets"});
    EXPECT_EQ(person.customItemForIdentifier("Pets")->type, ValueKind::Labeled);
    EXPECT_EQ(person.customItemForIdentifier("Pets")->labels, (QStringList{"lab1", "lab2"}));
    EXPECT_TRUE(QMPerson::customLabelsForIdentifier("Pets")->contains("lab2"));
    EXPECT_EQ(person.typeForIdentifier("Pets"), ValueKind::Labeled);
    EXPECT_EQ(person.stringValueForIdentifier("Pets"), "");

    person.setValue(QStringLiteral("blue"), "Color");
    EXPECT_EQ(person.typeForIdentifier("Color"), ValueKind::String);
    EXPECT_EQ(person.stringValueForIdentifier("Color"), "blue");
    EXPECT_FALSE(person.labeledValueForIdentifier("Color").has_value());

    person.setValue(QStringLiteral("text"), "Pets");
    person.setValue(twoPhones(), "Color");
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->size(), 2) << "an item keeps values of its own type";
    EXPECT_EQ(person.stringValueForIdentifier("Color"), "blue");

    person.setValue(FieldValue(), "Nothing");
    person.setValue(NameRecord(), "Nothing");
    EXPECT_FALSE(person.customIdentifiers().contains("Nothing"));
}

TEST(QMPersonFieldsTest, ReservedNamesNeverBecomeCustomItems) {
    QMPerson person;
    for (const QString &name : {QString(), FieldId::Groups, FieldId::ZIP, FieldId::CompositeName,
                                FieldId::Photo, FieldId::NameDisplay}) {
        person.setValue(QStringLiteral("x"), name);
        person.addLabeledValue(textRecord("a", "b"), name);
        EXPECT_FALSE(person.addCustomItem(ValueKind::String, name, std::nullopt, std::nullopt));
    }
    EXPECT_TRUE(person.customItems().isEmpty());
    person.addLabeledValue(textRecord("a", "b"), FieldId::Company);
    EXPECT_TRUE(person.customItems().isEmpty());
}

TEST(QMPersonFieldsTest, CustomLabeledItemNumbering) {
    QMPerson person;
    person.addLabeledValue(LabeledValueList{textRecord("a", "one", 7), textRecord("b", "two", 7)}, "Pets");
    LabeledValueList list = *person.labeledValueForIdentifier("Pets");
    EXPECT_EQ(list[0].labelIndex, 0);
    EXPECT_EQ(list[1].labelIndex, 1);
    EXPECT_EQ(list[1].stringValue, "two");
    EXPECT_EQ(person.customItemForIdentifier("Pets")->labels, (QStringList{"a", "b"}));

    person.deleteLabeledValueForIdentifier("Pets", LabelIndex(1));
    person.addLabeledValue(textRecord("c", "three"), "Pets");
    person.addLabeledValue(textRecord("c", "four"), "Pets");
    list = *person.labeledValueForIdentifier("Pets");
    EXPECT_EQ(list[1].labelIndex, 1) << "0 only: the length is 1, the highest plus one is 1";
    EXPECT_EQ(list[2].labelIndex, 2);
    EXPECT_EQ(list[2].stringValue, "four") << "appended values carry their text";

    person.replaceLabeledValue(LabeledValueList{textRecord("a", "one", 0), textRecord("b", "x", 2)}, "Pets");
    person.addLabeledValue(textRecord("c", "y"), "Pets");
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->last().labelIndex, 3);
    EXPECT_EQ(person.labeledValueForIdentifier("Pets", LabelIndex(2))->stringValue, "x");
}

TEST(QMPersonFieldsTest, CustomLabeledItemReplaceRules) {
    QMPerson person;
    person.addCustomItem(ValueKind::Labeled, "Pets", QStringList{"a"}, std::nullopt);
    person.replaceLabeledValue(textRecord("a", "first", 0), "Pets");
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->first().stringValue, "first");
    person.replaceLabeledValue(textRecord("a", "nowhere", 9), "Pets");
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->size(), 1) << "an unknown number changes nothing";
    person.replaceLabeledValue(textRecord("a", "second", 0), "Pets");
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->first().stringValue, "second");
    person.replaceLabeledValue(LabeledValueList{textRecord("a", "z", 0)}, "Pets", 5);
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->first().valueText(), "z");

    person.replaceLabeledValue(FieldValue(), "Pets");
    EXPECT_TRUE(person.labeledValueForIdentifier("Pets")->isEmpty()) << "asking again stores an empty list";

    person.setValue(QStringLiteral("text"), "Note Item");
    person.replaceLabeledValue(LabeledValueList{textRecord("a", "z", 0)}, "Note Item");
    EXPECT_EQ(person.stringValueForIdentifier("Note Item"), "text");
}

TEST(QMPersonFieldsTest, DeletingValues) {
    QMPerson person;
    NameRecord name;
    name.firstName = "Ann";
    name.lastName = "Lee";
    name.showAsPerson = false;
    person.setValue(name, FieldId::Name);
    person.deleteValueForIdentifier(FieldId::LastName);
    EXPECT_EQ(person.nameValue().lastName, "");
    EXPECT_EQ(person.nameValue().firstName, "Ann");
    person.deleteValueForIdentifier(FieldId::Name);
    EXPECT_TRUE(person.showAsPerson());
    EXPECT_EQ(person.compositeName(), NoName);

    person.setValue(QStringLiteral("v"), "Item");
    person.deleteValueForIdentifier("Item");
    EXPECT_EQ(person.stringValueForIdentifier("Item"), "");
    EXPECT_EQ(person.customIdentifiers(), QStringList{"Item"}) << "the definition stays";
}

TEST(QMPersonFieldsTest, SortingAFieldReportsWhetherTheOrderChanged) {
    QMPerson person;
    LabeledValueRecord b;
    b.label = "home";
    b.zip = "200";
    b.isoCountryCode = "US";
    b.labelIndex = 0;
    LabeledValueRecord a = b;
    a.zip = "100";
    a.labelIndex = 1;
    person.setValue(LabeledValueList{a, b}, FieldId::Address);
    EXPECT_FALSE(person.sortForIdentifier(FieldId::Phone, "ZIP", true));
    EXPECT_FALSE(person.sortForIdentifier(FieldId::Address, "Nonsense", true));
    EXPECT_FALSE(person.sortForIdentifier(FieldId::Address, "ZIP", true)) << "already in order";
    EXPECT_TRUE(person.sortForIdentifier(FieldId::Address, "ZIP", false));
    EXPECT_EQ(person.addressValues().first().zip, "200");
    EXPECT_FALSE(person.sortForIdentifier(FieldId::Email, "label", true)) << "an empty list";

    person.setValue(LabeledValueList{textRecord("b", "Zed", 0), textRecord("a", "alpha", 1)}, FieldId::Phone);
    EXPECT_FALSE(person.sortForIdentifier(FieldId::Phone, "stringValue", true))
        << "case-sensitive: Z before a";
    EXPECT_TRUE(person.sortForIdentifier(FieldId::Phone, "label", true));

    LabeledValueRecord x = textRecord("Twitter", "zoe", 0);
    LabeledValueRecord y = textRecord("Facebook", "amy", 1);
    person.setValue(LabeledValueList{x, y}, FieldId::SocialNetwork);
    EXPECT_TRUE(person.sortForIdentifier(FieldId::SocialNetwork, "service", true));
    EXPECT_EQ(person.snsValues().first().service, "Facebook");
    EXPECT_FALSE(person.sortForIdentifier(FieldId::SocialNetwork, "username", true));
}

TEST(QMPersonFieldsTest, CustomStringValueAtIndexAccess) {
    QMPerson person;
    person.setValue(LabeledValueList{textRecord("a", "one", 0)}, "Pets");
    EXPECT_EQ(person.stringValueForCustomIdentifier("Pets", 0), "one");
    EXPECT_EQ(person.stringValueForCustomIdentifier("Pets", 1), "");
    person.setValueForCustomIdentifier("uno", "Pets", 0);
    person.setValueForCustomIdentifier("dos", "Pets", 1);
    EXPECT_EQ(person.stringValueForCustomIdentifier("Pets", 0), "uno");
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->size(), 1);
    EXPECT_EQ(person.labeledValueForIdentifier("Pets")->first().valueText(), "one");
    EXPECT_EQ(person.stringValueForCustomIdentifier("Missing", 0), "");
}

} // namespace
