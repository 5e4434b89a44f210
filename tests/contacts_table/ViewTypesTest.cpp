#include "model/ViewTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewTypes, FactoryTablesBeginWithName) {
    const auto &types = ViewTypes::factoryViewTypes();
    ASSERT_EQ(types.size(), 13);
    EXPECT_EQ(types[4].name, QStringLiteral("Address Detail"));
    for (const auto &type : types)
        EXPECT_EQ(type.identifiers.value(0), QStringLiteral("Name")) << type.name.toStdString();
    EXPECT_EQ(ViewTypes::aViewTypeDict().value(QStringLiteral("Other")).toStringList(),
              (QStringList{QStringLiteral("Name"), QStringLiteral("Dates"), QStringLiteral("Note")}));
}

TEST(ViewTypes, SortOptionsAndKeys) {
    CustomItemDefinition boat{
        QStringLiteral("Boat"), QStringLiteral("Labeled Value"), {}, {}, false, false, false, false, {}};
    CustomItemDefinition text{
        QStringLiteral("Text"), QStringLiteral("String Value"), {}, {}, false, false, false, false, {}};
    const QVariantMap table = SortOptions::factorySortOptionsDict({boat, text});
    EXPECT_EQ(table.size(), 11);
    EXPECT_EQ(table.value(QStringLiteral("Email")).toMap().value(QStringLiteral("items")).toStringList(),
              (QStringList{QStringLiteral("Email"), QStringLiteral("domain"), QStringLiteral("username"),
                           QStringLiteral("label")}));
    EXPECT_EQ(table.value(QStringLiteral("Boat")).toMap().value(QStringLiteral("items")).toStringList(),
              (QStringList{QStringLiteral("Boat"), QStringLiteral("label")}));

    using Split = std::pair<QString, QString>;
    EXPECT_EQ(SortOptions::separateSortKeyIntoIdentifierAndKey(QStringLiteral("Email domain")),
              Split(QStringLiteral("Email"), QStringLiteral("domain")));
    EXPECT_EQ(SortOptions::separateSortKeyIntoIdentifierAndKey(QStringLiteral("Note")),
              Split(QStringLiteral("Note"), QStringLiteral("stringValue")));
    EXPECT_EQ(SortOptions::separateSortKeyIntoIdentifierAndKey(QStringLiteral("Boat label")),
              Split(QStringLiteral("Boat"), QStringLiteral("label")));
    EXPECT_EQ(SortOptions::separateSortKeyIntoIdentifierAndKey(QStringLiteral("Social Network label")),
              Split(QStringLiteral("Social Network"), QStringLiteral("label")));
    EXPECT_EQ(SortOptions::separateSortKeyIntoIdentifierAndKey(QStringLiteral("Phonetic Name LastName")),
              Split(QStringLiteral("Phonetic Name"), QStringLiteral("Phonetic LastName")));
    EXPECT_EQ(
        SortOptions::separateSortKeyIntoIdentifierAndKey(QStringLiteral("Instant Message service name")),
        Split(QStringLiteral("Instant Message"), QStringLiteral("service")));
    EXPECT_EQ(SortOptions::separateSortKeyIntoIdentifierAndKey(QStringLiteral("FirstName")),
              Split(QStringLiteral("Name"), QStringLiteral("FirstName")));

    EXPECT_EQ(SortOptions::columnSortKey(QStringLiteral("Email"), QStringLiteral("domain")),
              QStringLiteral("Email domain"));
    EXPECT_EQ(SortOptions::columnSortKey(QStringLiteral("Phone"), QStringLiteral("Phone")),
              QStringLiteral("Phone"));
    EXPECT_EQ(
        SortOptions::columnSortKey(QStringLiteral("Phonetic Name"), QStringLiteral("Phonetic FirstName")),
        QStringLiteral("Phonetic FirstName"));
    EXPECT_EQ(SortOptions::sortKeyForOption(QStringLiteral("Address"), QStringLiteral("ZIP")),
              QStringLiteral("Address ZIP"));
    EXPECT_EQ(SortOptions::sortKeyForOption(QStringLiteral("Email"), QStringLiteral("Email")),
              QStringLiteral("Email"));
    EXPECT_EQ(SortOptions::sortKeyForOption(QStringLiteral("Name"), QStringLiteral("LastName")),
              QStringLiteral("LastName"));
    EXPECT_EQ(SortOptions::sortKeyForOption(QStringLiteral("Boat"), QStringLiteral("label"), true),
              QStringLiteral("Boat label"));
    EXPECT_EQ(SortOptions::sortKeyForOption(QStringLiteral("Boat"), QStringLiteral("Boat"), true),
              QStringLiteral("Boat"));
}

} // namespace
