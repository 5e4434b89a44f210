#include "editors/FindHighlight.h"

#include <gtest/gtest.h>

namespace {

using H = TextHighlight;

TEST(FindHighlight, MarksEveryOccurrenceWithOrWithoutCase) {
    const QString text = QStringLiteral("Abcab ab");
    EXPECT_EQ(findHighlights(text, QStringLiteral("ab"), QStringLiteral("caseInsensitive")),
              (TextHighlights{{0, 2, H::FindMatch}, {3, 2, H::FindMatch}, {6, 2, H::FindMatch}}));
    EXPECT_EQ(findHighlights(text, QStringLiteral("ab"), QStringLiteral("caseSensitive")),
              (TextHighlights{{3, 2, H::FindMatch}, {6, 2, H::FindMatch}}));
    // No options at all search without case.
    EXPECT_EQ(findHighlights(text, QStringLiteral("AB"), QString()).size(), 3);
    // The scan goes on after the end of each occurrence: "aaaa" holds "aa" twice, not three times.
    EXPECT_EQ(findHighlights(QStringLiteral("aaaa"), QStringLiteral("aa"), {}).size(), 2);
    EXPECT_TRUE(findHighlights(QString(), QStringLiteral("a"), {}).isEmpty());
    EXPECT_TRUE(findHighlights(text, QString(), {}).isEmpty());
}

TEST(FindHighlight, PositionsAreUtf16Units) {
    // A surrogate pair takes two units; the Japanese name one unit per character.
    const QString text = QString::fromUtf8("\U0001F600 山田太郎 山田");
    const TextHighlights marks = findHighlights(text, QString::fromUtf8("山田"), {});
    EXPECT_EQ(marks, (TextHighlights{{3, 2, H::FindMatch}, {8, 2, H::FindMatch}}));
    const TextHighlights emoji = findHighlights(text, QString::fromUtf8("\U0001F600"), {});
    EXPECT_EQ(emoji, (TextHighlights{{0, 2, H::FindMatch}}));
}

TEST(FindHighlight, CurrentMatchIsOrangeAndWinsOverOverlaps) {
    const QString text = QStringLiteral("abab");
    EXPECT_EQ(findHighlights(text, QStringLiteral("ab"), {}, TextRange{2, 2}),
              (TextHighlights{{0, 2, H::FindMatch}, {2, 2, H::CurrentMatch}}));
    // A range across two occurrences cuts them.
    EXPECT_EQ(findHighlights(text, QStringLiteral("ab"), {}, TextRange{1, 2}),
              (TextHighlights{{0, 1, H::FindMatch}, {1, 2, H::CurrentMatch}, {3, 1, H::FindMatch}}));
    // Outside the text or not found: ignored.
    EXPECT_EQ(findHighlights(text, QStringLiteral("ab"), {}, TextRange{3, 2}).size(), 2);
    EXPECT_EQ(findHighlights(text, QStringLiteral("ab"), {}, TextRange{}).size(), 2);
    // The popup cell's rule: the range must hold the find text.
    EXPECT_EQ(
        findHighlights(text, QStringLiteral("ab"), {}, TextRange{1, 2}, CurrentMatchRule::RangeHoldsFindText),
        (TextHighlights{{0, 2, H::FindMatch}, {2, 2, H::FindMatch}}));
    EXPECT_EQ(findHighlights(QStringLiteral("xAB"), QStringLiteral("ab"), QStringLiteral("caseInsensitive"),
                             TextRange{1, 2}, CurrentMatchRule::RangeHoldsFindText),
              (TextHighlights{{1, 2, H::CurrentMatch}}));
    EXPECT_NE(H({0, 1, H::FindMatch}).background(), H({0, 1, H::CurrentMatch}).background());
}

} // namespace
