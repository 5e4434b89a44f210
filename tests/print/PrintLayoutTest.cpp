#include "print/PrintLayout.h"

#include <gtest/gtest.h>

namespace {

// Blocks of whole lines 10 points high, on pages whose content is 100 points from y = 20.
BlockHeights blocksOfLines(const std::vector<int> &lines) {
    BlockHeights heights;
    for (const int n : lines)
        heights.addBlock(std::vector<double>(size_t(n), 10.0));
    return heights;
}

std::vector<PagePieces> paginate(const std::vector<int> &lines) {
    return paginateBlocks(blocksOfLines(lines), 20, 100);
}

TEST(PaginationTest, BlocksMoveOrContinueAndNoLineIsLost) {
    struct Case {
        const char *what;
        std::vector<int> lines;
        std::vector<PagePieces> pages;
    };
    const std::vector<Case> cases = {
        {"nothing gives one empty page", {}, {{}}},
        {"a page exactly full", {6, 4}, {{{0, 0, 6, 20, 60}, {1, 0, 4, 80, 40}}}},
        {"a block of 40 % starting 10 % above the bottom moves whole",
         {9, 4},
         {{{0, 0, 9, 20, 90}}, {{1, 0, 4, 20, 40}}}},
        {"a block of 60 % there fills the page and goes on; the next follows it",
         {9, 6, 2},
         {{{0, 0, 9, 20, 90}, {1, 0, 1, 110, 10}}, {{1, 1, 5, 20, 50}, {2, 0, 2, 70, 20}}}},
        {"a contact taller than two pages prints every line",
         {25, 1},
         {{{0, 0, 10, 20, 100}}, {{0, 10, 10, 20, 100}}, {{0, 20, 5, 20, 50}, {1, 0, 1, 70, 10}}}},
        {"two contacts higher than a page, on consecutive pages",
         {12, 12},
         {{{0, 0, 10, 20, 100}}, {{0, 10, 2, 20, 20}, {1, 0, 8, 40, 80}}, {{1, 8, 4, 20, 40}}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(paginate(c.lines), c.pages) << c.what;
}

TEST(PaginationTest, APageTooSmallForOneLineStillTakesOne) {
    const auto pages = paginateBlocks(blocksOfLines({3}), 0, 5);
    ASSERT_EQ(pages.size(), 3u);
    for (size_t p = 0; p < 3; ++p)
        EXPECT_EQ(pages[p], (PagePieces{{0, qsizetype(p), 1, 0, 10}}));
    EXPECT_EQ(paginateBlocks(blocksOfLines({2, 2}), 0, -50).size(), 4u);
}

PageGeometry a4() { return {QSizeF(595, 842), QRectF(18, 20, 559, 800), QStringLiteral("A4")}; }

PrintOptions labelOptions(double width, double height, double hGap, double vGap) {
    PrintOptions o;
    o.mailingLabels.labelWidth = width;
    o.mailingLabels.labelHeight = height;
    o.mailingLabels.hGap = hGap;
    o.mailingLabels.vGap = vGap;
    return o;
}

TEST(LabelGridTest, LabelsFillTheSheetRowByRow) {
    PrintOptions o = labelOptions(250, 80, 9, 5);
    o.leftMargin = 10;
    o.topMargin = 30;
    const LabelGrid grid = LabelGrid::make(a4(), o);
    EXPECT_EQ(grid.columns, 2); // (559 - 10) / 259
    EXPECT_EQ(grid.rows, 9);    // (800 - 30) / 85
    EXPECT_EQ(grid.pageCount(40), 3);
    EXPECT_EQ(grid.pageCount(36), 2);
    EXPECT_EQ(grid.pageCount(0), 1);
    EXPECT_EQ(grid.pageOfLabel(36), 2);
    EXPECT_EQ(grid.slot(0), QRectF(28, 50, 250, 80));
    EXPECT_EQ(grid.slot(3), QRectF(28 + 259, 50 + 85, 250, 80));
    EXPECT_EQ(grid.slot(18), grid.slot(0));
    EXPECT_EQ(labelCount(2, 3), 6);
    EXPECT_EQ(labelCount(2, 0), 0);
    EXPECT_EQ(labelCount(5, -1), 0);
}

TEST(LabelGridTest, SizesWithoutRoomGiveOneLabelAcross) {
    for (const PrintOptions &o : {labelOptions(0, 0, 0, 0), labelOptions(-5, -5, 5, 5), labelOptions(700, 900, 5, 5),
                                  labelOptions(1e-12, 60, 0, 5)}) {
        const LabelGrid grid = LabelGrid::make(a4(), o);
        EXPECT_GE(grid.columns, 1);
        EXPECT_GE(grid.rows, 1);
        EXPECT_LE(grid.perPage(), qint64(1e10));
        EXPECT_GE(grid.pageCount(10), 1);
    }
}

// A text whose size grows in proportion with the font: 10 points wide and 4 high per point.
QSizeF proportional(double size) { return {size * 10, size * 4}; }

TEST(FontFitTest, StepsEndWithinTheBox) {
    const QSizeF box(130, 60);
    struct Case {
        double start;
        double expected;
        int passes;
    };
    // 12.4 fills 0.954 of the width: kept. From 1.0 the steps are 1.2 (while below 0.6), 0.8,
    // then 0.4. From 20 it shrinks 0.2 a pass and runs out of passes: a last proportional step.
    const std::vector<Case> cases = {{12.4, 12.4, 1}, {1.0, 11.8, 13}, {20.0, 12.74, 20}};
    for (const Case &c : cases) {
        const auto fit = fitFontSize(c.start, box, proportional);
        ASSERT_TRUE(fit) << c.start;
        EXPECT_NEAR(fit->size, c.expected, 1e-9) << c.start;
        EXPECT_EQ(fit->passes, c.passes) << c.start;
        EXPECT_LE(proportional(fit->size).width(), box.width() * 0.98 + 1e-9) << c.start;
    }
}

TEST(FontFitTest, NothingToFitGivesNoSize) {
    EXPECT_FALSE(fitFontSize(10, QSizeF(0, 60), proportional));
    EXPECT_FALSE(fitFontSize(10, QSizeF(130, -1), proportional));
    EXPECT_FALSE(fitFontSize(0, QSizeF(130, 60), proportional));
    EXPECT_FALSE(fitFontSize(std::numeric_limits<double>::infinity(), QSizeF(130, 60), proportional));
    EXPECT_FALSE(fitFontSize(10, QSizeF(130, 60), [](double) { return QSizeF(); }));
    // A box too small for any size ends at the smallest size, never at zero.
    EXPECT_EQ(fitFontSize(1, QSizeF(0.1, 0.1), proportional)->size, minimumFontSize);
}

TEST(FontFitTest, StartingSizes) {
    EXPECT_EQ(labelStartingSize(QStringLiteral("a\nb"), QSizeF(130, 60)), 13);
    EXPECT_EQ(labelStartingSize(QStringLiteral("12345678901234567890\n2\n3\n4\n5\n6"), QSizeF(130, 60)), 6.5);
    EXPECT_EQ(envelopeStartingSize(QStringLiteral("abcd\nefghij"), QSizeF(600, 400)), 600 / 3.0 / 6 * 1.2);
    EXPECT_FALSE(envelopeStartingSize(QString(), QSizeF(600, 400)));
}

TEST(EnvelopeBoxTest, StoredBoxesDefaultAndCentring) {
    EnvelopeOptions envelope;
    EXPECT_EQ(envelopeTextRect(envelope, a4()), defaultEnvelopeTextRect(QSizeF(595, 842)));
    envelope.textRectDict.insert(QStringLiteral("Letter"), QRectF(1, 2, 3, 4));
    EXPECT_EQ(envelopeTextRect(envelope, a4()), defaultEnvelopeTextRect(QSizeF(595, 842)));
    envelope.textRectDict.insert(QStringLiteral("A4"), QRectF(40, 50, 200, 100));
    EXPECT_EQ(envelopeTextRect(envelope, a4()), QRectF(40, 50, 200, 100));
    envelope.textRectDict.insert(QStringLiteral("A4"), QRectF(0, 0, 195, 142));
    EXPECT_EQ(envelopeTextRect(envelope, a4()), QRectF(200, 350, 195, 142));
    envelope.textRectDict.insert(QStringLiteral("A4"), QRectF(0, 0, 0, 0));
    EXPECT_EQ(envelopeTextRect(envelope, a4()), defaultEnvelopeTextRect(QSizeF(595, 842)));
}

} // namespace
