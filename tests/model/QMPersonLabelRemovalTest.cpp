#include "model/QMPerson.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(QMPersonLabelRemovalTest, ARemovedWordLeavesAllThreeListsAndTheRestStayPaired) {
    const QString id = FieldId::Relationship;
    const QStringList standard = *QMPerson::labelsForIdentifier(id);
    const QStringList standardTitles = *QMPerson::localizedLabelsForIdentifier(id);
    ASSERT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("godmother"), id));
    ASSERT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("neighbour"), id));

    EXPECT_TRUE(QMPerson::removeLabel(QStringLiteral("godmother"), id));
    EXPECT_EQ(*QMPerson::labelsForIdentifier(id), standard + QStringList{"neighbour"});
    EXPECT_EQ(*QMPerson::localizedLabelsForIdentifier(id), standardTitles + QStringList{"neighbour"});
    EXPECT_FALSE(QMPerson::customLabelsForIdentifier(id)->contains("godmother"));
    EXPECT_FALSE(QMPerson::removeLabel(QStringLiteral("godmother"), id)) << "already gone";
    EXPECT_FALSE(QMPerson::removeLabel(QStringLiteral("anything"), QStringLiteral("No Such Field")));

    // Gone means new again: the per-thread memory of registered words must not answer.
    EXPECT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("godmother"), id));
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->count(QStringLiteral("godmother")), 1);
    QMPerson::removeLabel(QStringLiteral("godmother"), id);
    QMPerson::removeLabel(QStringLiteral("neighbour"), id);
    EXPECT_EQ(*QMPerson::labelsForIdentifier(id), standard);
}

// A word only in the user-added list (a labeled custom item's labels before the merge of
// labelTableDict) and a word written twice by an old rename both go whole.
TEST(QMPersonLabelRemovalTest, WordsOnlyAddedOrListedTwiceGoWhole) {
    const QString item = QStringLiteral("Removal Item");
    QMPerson person;
    LabeledValueRecord record;
    record.label = QStringLiteral("loft");
    record.value = QStringLiteral("x");
    person.setValue(LabeledValueList{record}, item);
    ASSERT_FALSE(QMPerson::labelsForIdentifier(item).has_value());
    EXPECT_TRUE(QMPerson::removeLabel(QStringLiteral("loft"), item));
    EXPECT_TRUE(QMPerson::customLabelsForIdentifier(item)->isEmpty());

    QMPerson::setLabel(QString(), QStringLiteral("a"), item);
    QMPerson::setLabel(QString(), QStringLiteral("b"), item);
    QMPerson::setLabel(QStringLiteral("b"), QStringLiteral("a"), item); // renames are not refused
    ASSERT_EQ(QMPerson::labelsForIdentifier(item)->count(QStringLiteral("a")), 2);
    EXPECT_TRUE(QMPerson::removeLabel(QStringLiteral("a"), item));
    EXPECT_TRUE(QMPerson::labelsForIdentifier(item)->isEmpty());
    EXPECT_TRUE(QMPerson::localizedLabelsForIdentifier(item)->isEmpty());
}

// Row-building threads register words while the main thread removes others; under
// ThreadSanitizer too.
TEST(QMPersonLabelRemovalTest, RemovingWhileOtherThreadsRegisterKeepsTheListsPaired) {
    const QString id = QStringLiteral("Removal Concurrent Field");
    for (int i = 0; i < 100; ++i)
        QMPerson::setLabel(QString(), QStringLiteral("old%1").arg(i), id);
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&id] {
            for (int i = 0; i < 100; ++i)
                QMPerson::setLabel(QString(), QStringLiteral("new%1").arg(i), id);
        });
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(QMPerson::removeLabel(QStringLiteral("old%1").arg(i), id));
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->size(), 100);
    EXPECT_EQ(QMPerson::customLabelsForIdentifier(id)->size(), 100);
    // Added words are their own titles, so paired lists are equal lists.
    EXPECT_EQ(*QMPerson::localizedLabelsForIdentifier(id), *QMPerson::labelsForIdentifier(id));
}

} // namespace
