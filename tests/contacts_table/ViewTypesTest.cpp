#include "model/ViewTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(SortKeyText, SplitIntoFieldAndRecordKey) {
    using Split = std::pair<QString, QString>;
    const std::pair<QString, Split> cases[] = {
        {"Email domain", {"Email", "domain"}},
        {"Note", {"Note", "stringValue"}},
        {"Boat label", {"Boat", "label"}},
        {"Social Network label", {"Social Network", "label"}},
        {"Phonetic Name LastName", {"Phonetic Name", "Phonetic LastName"}},
        {"Instant Message service name", {"Instant Message", "service"}},
        {"FirstName", {"Name", "FirstName"}},
    };
    for (const auto &[key, split] : cases)
        EXPECT_EQ(SortOptions::separateSortKeyIntoIdentifierAndKey(key), split) << key.toStdString();
}

TEST(SortKeyText, OfAColumnAndOfAChosenOption) {
    EXPECT_EQ(SortOptions::columnSortKey("Email", "domain"), "Email domain");
    EXPECT_EQ(SortOptions::columnSortKey("Phone", "Phone"), "Phone");
    EXPECT_EQ(SortOptions::columnSortKey("Phonetic Name", "Phonetic FirstName"), "Phonetic FirstName");
    const struct {
        QString type, option;
        bool labeledItem;
        QString key;
    } options[] = {{"Address", "ZIP", false, "Address ZIP"}, {"Email", "Email", false, "Email"},
                   {"Name", "LastName", false, "LastName"},  {"Boat", "label", true, "Boat label"},
                   {"Boat", "Boat", true, "Boat"}};
    for (const auto &o : options)
        EXPECT_EQ(SortOptions::sortKeyForOption(o.type, o.option, o.labeledItem), o.key) << o.key.toStdString();
    // A labeled custom item offers its own name and its label.
    CustomItemDefinition boat{"Boat", "Labeled Value", {}, {}, false, false, false, false, {}};
    CustomItemDefinition text{"Text", "String Value", {}, {}, false, false, false, false, {}};
    const QVariantMap table = SortOptions::factorySortOptionsDict({boat, text});
    EXPECT_EQ(SortOptions::entryFromVariant(table.value("Boat").toMap()).items, (QStringList{"Boat", "label"}));
    EXPECT_FALSE(table.contains("Text"));
}

} // namespace
