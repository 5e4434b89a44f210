#include "contact_info/DetailRowModel.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/core/UserDefaults.h"
#include "tests/contact_info/ContactInfoTestSupport.h"

#include <gtest/gtest.h>

namespace {

CustomItemDefinition customItem(const QString &name, const QString &type = ValueKind::String) {
    CustomItemDefinition item;
    item.name = name;
    item.type = type;
    return item;
}

// The field of each run of rows, in order.
QStringList fieldsOf(const QList<InfoTableRow> &rows) {
    QStringList fields;
    for (const InfoTableRow &row : rows) {
        if (fields.isEmpty() || fields.last() != row.type)
            fields.append(row.type);
    }
    return fields;
}

QList<InfoTableRow> rowsOf(const QList<InfoTableRow> &rows, const QString &type) {
    QList<InfoTableRow> found;
    for (const InfoTableRow &row : rows) {
        if (row.type == type)
            found.append(row);
    }
    return found;
}

class DetailRowModelTest : public ::testing::Test {
protected:
    void TearDown() override { UserDefaults::standard().removeObject(DetailRowModel::LastRowOrderKey); }
    void storeOrder(const QStringList &order) {
        UserDefaults::standard().setObject(QVariant(order), DetailRowModel::LastRowOrderKey);
    }
    DetailRowModel model;
};

TEST_F(DetailRowModelTest, DefaultOrderIsFollowedByCustomItemsAndRowsFollowTheOrder) {
    ContactEntry entry = fullContact();
    const auto rows = model.tableFromContact(&entry, {}, {customItem("Pager"), customItem("Blog")});
    ASSERT_TRUE(rows);
    EXPECT_EQ(*model.rowOrderTable(), DefaultRowOrder() + QStringList({"Pager", "Blog"}));
    EXPECT_EQ(fieldsOf(*rows), *model.rowOrderTable());
    EXPECT_EQ(DefaultRowOrder().size(), 22);
    EXPECT_EQ(DefaultRowOrder().indexOf("Phone"), 8);
    // The first phone row carries the field's position in the order, not its row number.
    const QList<InfoTableRow> phones = rowsOf(*rows, "Phone");
    ASSERT_EQ(phones.size(), 3);
    EXPECT_EQ(phones.first().rowOrderIndex, 8);
    EXPECT_GT(rows->indexOf(phones.first()), 8);
}

TEST_F(DetailRowModelTest, StoredOrderDecidesWhichFieldsShowAndCountsFieldsWithoutRows) {
    storeOrder({"Note", "Name", "Photo"});
    ContactEntry entry = fullContact();
    const auto rows = model.tableFromContact(&entry, {}, {});
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 6);
    EXPECT_EQ(fieldsOf(*rows), (QStringList{"Note", "Name", "Photo"}));
    EXPECT_FALSE(rows->at(0).label); // a text field's row has no label
    EXPECT_EQ(rows->at(1).label, "FirstName");
    EXPECT_EQ(rows->at(4).label, "PreviousFamilyName");
    EXPECT_EQ(rows->at(4).labelIndex, 3);
    EXPECT_EQ(rows->at(1).rowOrderIndex, 1);
    EXPECT_EQ(rows->at(5).rowOrderIndex, 2);
    EXPECT_EQ(rows->at(5).value, QString());

    // An entry that makes no row (a picture that is no field) still takes its position.
    DetailRowModel other;
    other.setRowOrderTable({"thumbnail", "Nickname"});
    const auto more = other.tableFromContact(&entry, {}, {});
    ASSERT_EQ(more->size(), 1);
    EXPECT_EQ(more->first().type, "Nickname");
    EXPECT_EQ(more->first().rowOrderIndex, 1);
}

TEST_F(DetailRowModelTest, CustomItemsMissingFromTheStoredOrderAreAppended) {
    storeOrder({"Name", "Pager", "Note"});
    ContactEntry entry = fullContact();
    model.tableFromContact(&entry, {}, {customItem("Pager"), customItem("Blog")});
    EXPECT_EQ(*model.rowOrderTable(), (QStringList{"Name", "Pager", "Note", "Blog"}));
    // Items defined later join the end of the order on the next build.
    model.tableFromContact(&entry, {}, {customItem("Pager"), customItem("Blog"), customItem("Fax2")});
    EXPECT_EQ(model.rowOrderTable()->last(), "Fax2");
}

TEST_F(DetailRowModelTest, ACustomItemNamedLikeABuiltInFieldNeverRemovesThatField) {
    ContactEntry entry = fullContact();
    const QList<CustomItemDefinition> items = {customItem("Note", ValueKind::Labeled), customItem("Blog")};
    model.tableFromContact(&entry, {}, items);
    const auto rows = model.tableFromContact(&entry, {}, items);
    EXPECT_EQ(model.rowOrderTable()->count("Note"), 1);
    EXPECT_TRUE(model.rowOrderTable()->contains("Blog"));
    const QList<InfoTableRow> notes = rowsOf(*rows, "Note");
    ASSERT_EQ(notes.size(), 1);
    EXPECT_FALSE(notes.first().label); // the built-in text field, not a labeled custom item
    EXPECT_EQ(entry.person->typeForIdentifier("Note", items), ValueKind::String);
}

TEST_F(DetailRowModelTest, MultiValuedFieldsGiveOneRowPerValueAndEmptyFieldsOneEmptyRow) {
    ContactEntry entry = fullContact();
    const auto rows = model.tableFromContact(&entry, {}, {});
    const QList<InfoTableRow> phones = rowsOf(*rows, "Phone");
    ASSERT_EQ(phones.size(), 3);
    const LabeledValueList values = entry.person->phoneValues();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(phones[i].index, i);
        EXPECT_EQ(phones[i].labelIndex, values[i].labelIndex);
        EXPECT_EQ(phones[i].label, values[i].labelText());
    }
    EXPECT_EQ(phones[0].label, "home");
    EXPECT_EQ(phones[1].label, "work");

    ContactEntry bare = entryFromVCard(vcard("N:Solo;Han;;;\nFN:Han Solo\n"));
    const auto few = model.tableFromContact(&bare, {}, {});
    for (const char *field : {"Phone", "Email", "Address", "Dates"}) {
        const QList<InfoTableRow> empty = rowsOf(*few, field);
        ASSERT_EQ(empty.size(), 1) << field;
        EXPECT_EQ(empty.first().label, QString());
        EXPECT_FALSE(empty.first().index);
    }
    const QList<InfoTableRow> birthday = rowsOf(*few, "Birthday");
    ASSERT_EQ(birthday.size(), 1);
    EXPECT_EQ(birthday.first().label, QString());
    EXPECT_EQ(rowsOf(*few, "Company").size(), 1);
    EXPECT_EQ(rowsOf(*few, "Phonetic Name").size(), 3);
}

TEST_F(DetailRowModelTest, NameOrderingAndDisplayRowsShowTheChoices) {
    CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::GivenName);
    ContactEntry entry = entryFromVCard(vcard("N:Doe;Jane;;;\nFN:Jane Doe\n"));
    ASSERT_EQ(entry.person->defaultNameOrdering(), 1);
    auto rows = model.tableFromContact(&entry, {}, {});
    EXPECT_EQ(rowsOf(*rows, "Name Ordering").first().label, "System Default (First Name First)");
    EXPECT_EQ(model.nameOrderingLabels().size(), 3);
    EXPECT_EQ(model.nameOrderingLabels().first(), "System Default (First Name First)");
    EXPECT_EQ(rowsOf(*rows, "Name Display").first().label, "Person");

    NameRecord name = entry.person->nameValue();
    name.nameOrdering = 2;
    entry.person->setNameValue(FieldValue(name), FieldId::Name);
    entry.person->setShowAsPerson(false);
    rows = model.tableFromContact(&entry, {}, {});
    EXPECT_EQ(rowsOf(*rows, "Name Ordering").first().label, "Last Name First");
    CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::FamilyName);
    ContactEntry later = entryFromVCard(vcard("N:Doe;Jane;;;\nFN:Jane Doe\n"));
    model.tableFromContact(&later, {}, {});
    EXPECT_EQ(model.nameOrderingLabels().first(), "System Default (Last Name First)");
    CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::UserDefault);

    ContactEntry company = entryFromVCard(vcard("FN:Acme\nORG:Acme\nX-ABShowAs:COMPANY\n"));
    rows = model.tableFromContact(&company, {}, {});
    EXPECT_EQ(rowsOf(*rows, "Name Display").first().label, "Company");
}

TEST_F(DetailRowModelTest, LabelsFirstMetInTheFileJoinTheVocabulary) {
    ContactEntry entry = entryFromVCard(vcard("FN:Sat\nitem1.TEL:+1 555 0199\nitem1.X-ABLabel:satellite\n"));
    CustomItemDefinition pager = customItem("Beeper", ValueKind::Labeled);
    ASSERT_TRUE(entry.person->addCustomItem(ValueKind::Labeled, "Beeper", std::nullopt, std::nullopt));
    LabeledValueRecord beep;
    beep.value = QStringLiteral("42");
    beep.label = QStringLiteral("night line");
    entry.person->addLabeledValue(FieldValue(beep), "Beeper");
    LabeledValueRecord unlabeled;
    unlabeled.value = QStringLiteral("43");
    unlabeled.label = QString();
    entry.person->addLabeledValue(FieldValue(unlabeled), "Beeper");

    // As when the value came with a file read before the word was known.
    QMPerson::setLabel("night line", QString(), "Beeper");
    ASSERT_FALSE(QMPerson::labelsForIdentifier("Beeper").value_or(QStringList()).contains("night line"));
    const auto rows = model.tableFromContact(&entry, {}, {pager});
    EXPECT_TRUE(QMPerson::labelsForIdentifier("Phone")->contains("satellite"));
    const QStringList beeperLabels = QMPerson::labelsForIdentifier("Beeper").value_or(QStringList());
    EXPECT_TRUE(beeperLabels.contains("night line"));
    const QList<InfoTableRow> beeper = rowsOf(*rows, "Beeper");
    ASSERT_EQ(beeper.size(), 2);
    EXPECT_EQ(beeper[1].label, QString());
}

TEST_F(DetailRowModelTest, NoContactGivesNoRows) {
    EXPECT_FALSE(model.tableFromContact(nullptr, {}, {}));
}

} // namespace
