#include "tests/find/FindTestSupport.h"

#include "find/FindMatcher.h"
#include "platform/contacts/CNLabels.h"

#include <gtest/gtest.h>

namespace {

using Ranges = QList<std::pair<qsizetype, qsizetype>>;

Ranges rangesOf(const QString &text, unsigned options, const QString &value) {
    Ranges out;
    FindPattern pattern(text, options);
    for (const TextRange &range : pattern.rangesIn(value))
        out.append({range.location, range.length});
    return out;
}

TEST(FindPattern, FindsEveryPlaceInTheModesWay) {
    using namespace FindCompareOptions;
    struct Case {
        QString text;
        unsigned options;
        QString value;
        Ranges ranges;
    };
    const QList<Case> cases = {
        {QStringLiteral("an"), CaseInsensitive, QStringLiteral("Ann Banana"), {{0, 2}, {5, 2}, {7, 2}}},
        {QStringLiteral("an"), CaseSensitive, QStringLiteral("Ann"), {}},
        {QStringLiteral("aa"), CaseSensitive, QStringLiteral("aaaaa"), {{0, 2}, {2, 2}}},
        {QStringLiteral("an"), CaseSensitive, QStringLiteral("\U0001F600an"), {{2, 2}}}, // UTF-16 units
        {QString(), CaseInsensitive, QStringLiteral("Ann"), {}},
        {QStringLiteral("an"), CaseInsensitive, QString(), {}},
        // Regular expressions: case-sensitive, the search going on from each match's end.
        {QStringLiteral("a.a"), RegularExpression, QStringLiteral("Banana"), {{1, 3}}},
        {QStringLiteral("[0-9]+"), RegularExpression, QStringLiteral("12 ab 345"), {{0, 2}, {6, 3}}},
        {QStringLiteral("AN"), RegularExpression, QStringLiteral("Ann"), {}},
        {QStringLiteral("^B"), RegularExpression, QStringLiteral("BBB"), {{0, 1}}},
        {QStringLiteral("x*"), RegularExpression, QStringLiteral("abc"), {}}, // an empty match ends it
        {QStringLiteral("c$"), RegularExpression, QStringLiteral("abc"), {{2, 1}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rangesOf(c.text, c.options, c.value), c.ranges)
            << c.text.toStdString() << " in " << c.value.toStdString();
}

TEST(FindPattern, ARefusedPatternMatchesNothingAndSaysWhy) {
    FindPattern pattern(QStringLiteral("(ab"), FindCompareOptions::RegularExpression);
    EXPECT_FALSE(pattern.canMatch());
    EXPECT_TRUE(pattern.rangesIn(QStringLiteral("(ab")).isEmpty());
    EXPECT_TRUE(pattern.errorMessage().contains(QStringLiteral("3"))) << pattern.errorMessage().toStdString();
    // Copies (one per worker) keep the refusal; a literal "(ab" is no pattern at all.
    EXPECT_FALSE(FindPattern(pattern).canMatch());
    EXPECT_EQ(FindPattern(QStringLiteral("(ab"), FindCompareOptions::CaseSensitive)
                  .rangesIn(QStringLiteral("x(ab")),
              TextRanges({{1, 3}}));
    EXPECT_TRUE(
        FindPattern(QStringLiteral("(ab"), FindCompareOptions::CaseSensitive).errorMessage().isEmpty());
}

TEST(FindPattern, ReplacementsAreTakenAsTyped) {
    const QString value = QStringLiteral("Ann Banana");
    FindPattern pattern(QStringLiteral("(a)n"), FindCompareOptions::RegularExpression);
    EXPECT_EQ(replacingRanges(value, pattern.rangesIn(value), QStringLiteral("$1\\")),
              QStringLiteral("Ann B$1\\$1\\a"));
}

// A contact with a value in nearly every field; ".+" finds each non-empty text whole.
class FindMatcherTest : public testing::Test {
protected:
    DefaultLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
    ContactEntry entry = entryFromVCard(QStringLiteral("N:Lee;Ann;Q;;\n"
                                                       "X-PHONETIC-LAST-NAME:lee\n"
                                                       "ORG:Acme\n"
                                                       "TEL;type=HOME:03-1234\n"
                                                       "TEL;type=WORK:090-9999\n"
                                                       "item1.ADR;type=HOME:;;1 Main St;Springfield;;62701;\n"
                                                       "item2.ADR;type=WORK:;;;Portland;;97201;\n"
                                                       "IMPP;X-SERVICE-TYPE=AIM;type=HOME:aim:annie\n"
                                                       "IMPP;X-SERVICE-TYPE=Skype;type=WORK:skype:ann.lee\n"
                                                       "BDAY:1980-04-12\n"));

    void SetUp() override {
        entry.person->addCustomItem(ValueKind::Labeled, QStringLiteral("Boat"), std::nullopt, std::nullopt);
        entry.person->addLabeledValue(textRecord(QStringLiteral("home"), QStringLiteral("Skipper")),
                                      QStringLiteral("Boat"));
    }
    // Each row as "Item/SubItem/Label/Index".
    QStringList rows(const QStringList &items, const QStringList &subItems = {FindMatcher::All},
                     const QStringList &labels = {FindMatcher::All}) {
        FindQuery query{FindPattern(QStringLiteral(".+"), FindCompareOptions::RegularExpression),
                        FindMatcher::itemsToSearch(items), subItems, labels};
        const auto snapshot = FindSnapshot::make({entry});
        QStringList out;
        for (const FindResultRowPtr &row : FindMatcher(query, *snapshot).searchString(query.pattern, 0))
            out.append(QStringLiteral("%1/%2/%3/%4")
                           .arg(row->item, row->subItem, row->label,
                                row->index ? QString::number(*row->index) : QStringLiteral("-")));
        return out;
    }
};

TEST_F(FindMatcherTest, EachKindMeetsTheFiltersItsOwnWay) {
    const QString aim = CNInstantMessageServiceAIM;
    struct Case {
        QStringList items, subItems, labels, expected;
    };
    const QList<Case> cases = {
        // Every built-in field in order; custom items only when picked.
        {{FindMatcher::All},
         {FindMatcher::All},
         {FindMatcher::All},
         {"Name/FirstName//-", "Name/LastName//-", "Name/MiddleName//-", "Company///-", "Phone//home/0",
          "Phone//work/1", "Address/ZIP/home/0", "Address/City/home/0", "Address/Street/home/0",
          "Address/ZIP/work/1", "Address/City/work/1", "Instant Message/" + aim + "/home/0",
          "Instant Message/Skype/work/1", "Birthday///-", "Phonetic Name/Phonetic LastName//-"}},
        {{"Boat", "Company"}, {FindMatcher::All}, {FindMatcher::All}, {"Boat//home/0", "Company///-"}},
        // Sub-items narrow names, addresses and instant messages, and silence the rest.
        {{FindMatcher::All},
         {"FirstName", "ZIP", aim},
         {FindMatcher::All},
         {"Name/FirstName//-", "Address/ZIP/home/0", "Address/ZIP/work/1",
          "Instant Message/" + aim + "/home/0"}},
        // Labels silence names, single texts and the birthday.
        {{FindMatcher::All},
         {FindMatcher::All},
         {"work"},
         {"Phone//work/1", "Address/ZIP/work/1", "Address/City/work/1", "Instant Message/Skype/work/1"}},
        // An address part as item: reported under "Address", no sub-item filter.
        {{"ZIP"}, {"City"}, {"home"}, {"Address/ZIP/home/0"}},
        {{"Photo", "Groups"}, {FindMatcher::All}, {FindMatcher::All}, {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rows(c.items, c.subItems, c.labels), c.expected) << c.items.join(u',').toStdString();
}

TEST_F(FindMatcherTest, RowsCarryTheContactAndTheMatches) {
    ContactEntry removed = entryFromVCard(QStringLiteral("FN:Ann\n"));
    removed.deleted = true;
    const auto snapshot = FindSnapshot::make({removed, entry});
    ASSERT_EQ(snapshot->contacts.size(), 1u); // a removed contact is not searched
    FindQuery query{FindPattern(QStringLiteral("an"), FindCompareOptions::CaseInsensitive),
                    {FieldId::Name, FieldId::InstantMessage},
                    {FindMatcher::All},
                    {FindMatcher::All}};
    const FindResultRows found = FindMatcher(query, *snapshot).searchString(query.pattern, 0);
    ASSERT_EQ(found.size(), 3); // Ann, annie, ann.lee
    EXPECT_EQ(found[0]->name, entry.person->compositeName());
    EXPECT_EQ(found[0]->value, QStringLiteral("Ann"));
    EXPECT_EQ(found[2]->value, QStringLiteral("ann.lee"));
    EXPECT_EQ(found[2]->ranges, TextRanges({{0, 2}}));
    EXPECT_EQ(found[2]->contact.person, entry.person);
    EXPECT_EQ(found[2]->snapshotPosition, 0);
}

} // namespace
