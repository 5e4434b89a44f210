#include "tests/find/FindTestSupport.h"

#include "find/FindSearch.h"
#include "find/FindWorkers.h"

#include <gtest/gtest.h>

namespace {

ContactEntry named(const QString &first, const QString &last) {
    auto person = std::make_shared<QMPerson>();
    NameRecord name;
    name.firstName = first;
    name.lastName = last;
    person->setNameValue(name, FieldId::Name);
    return ContactEntry::withPerson(person);
}

// Enough contacts for every worker to take several chunks: "Ann Lee 0", "Ann Kim 1", ...
QList<ContactEntry> manyContacts(int count, const QString &longLastName = {}) {
    QList<ContactEntry> contacts;
    for (int i = 0; i < count; ++i)
        contacts.append(named(QStringLiteral("Ann"),
                              longLastName.isEmpty()
                                  ? (i % 2 ? QStringLiteral("Kim %1") : QStringLiteral("Lee %1")).arg(i)
                                  : longLastName));
    return contacts;
}

FindQuery query(const QString &text, unsigned options = FindCompareOptions::CaseInsensitive) {
    return {FindPattern(text, options), {FieldId::Name}, {FindMatcher::All}, {FindMatcher::All}};
}

struct Delivered {
    QList<quint64> generations;
    FindResultRows rows;
};

TEST(FindSearch, OnlyTheNewestSearchShowsItsRowsEachOnceInContactOrder) {
    const int count = int(FindWorkers::chunkSize) * 9 + 5;
    const auto snapshot = FindSnapshot::make(manyContacts(count));
    Delivered got;
    FindSearch search([&](quint64 generation, FindSearchResult result) {
        got.generations.append(generation);
        got.rows = std::move(result.rows);
    });
    search.start(query(QStringLiteral("ann")), snapshot);
    const quint64 newest = search.start(query(QStringLiteral("lee")), snapshot);
    EXPECT_TRUE(search.isSearching());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !search.isSearching(); }, 20000));
    QTest::qWait(50); // a late delivery of the first search would come now
    EXPECT_EQ(got.generations, QList<quint64>{newest});
    ASSERT_EQ(got.rows.size(), (count + 1) / 2);
    for (qsizetype i = 0; i < got.rows.size(); ++i) {
        EXPECT_EQ(got.rows[i]->snapshotPosition, 2 * i);
        EXPECT_EQ(got.rows[i]->value, QStringLiteral("Lee %1").arg(2 * i));
    }
}

TEST(FindSearch, AQueryThatCannotMatchAnswersNoRowsAndSupersedesTheOneBefore) {
    const auto snapshot = FindSnapshot::make(manyContacts(600));
    Delivered got;
    FindSearch search([&](quint64 generation, FindSearchResult result) {
        got.generations.append(generation);
        got.rows = std::move(result.rows);
    });
    search.start(query(QStringLiteral("ann")), snapshot);
    const quint64 refused =
        search.start(query(QStringLiteral("(ann"), FindCompareOptions::RegularExpression), snapshot);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !search.isSearching(); }, 20000));
    QTest::qWait(50);
    EXPECT_EQ(got.generations, QList<quint64>{refused});
    EXPECT_TRUE(got.rows.isEmpty());
}

// A pattern that backtracks for ages on every value: superseded, its workers give up at once,
// so the next search shows and the search object can go without waiting for them.
TEST(FindSearch, ARunawayExpressionStopsWhenSuperseded) {
    const auto slow = FindSnapshot::make(manyContacts(64, QString(40, u'a')));
    Delivered got;
    auto search = std::make_unique<FindSearch>([&](quint64 generation, FindSearchResult result) {
        got.generations.append(generation);
        got.rows = std::move(result.rows);
    });
    search->start(query(QStringLiteral("(a+)+b"), FindCompareOptions::RegularExpression), slow);
    QTest::qWait(20);
    const quint64 quick = search->start(query(QStringLiteral("Ann")), slow);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !got.generations.isEmpty(); }, 20000));
    EXPECT_EQ(got.generations, QList<quint64>{quick});
    EXPECT_EQ(got.rows.size(), 64);
    search.reset();
}

} // namespace
