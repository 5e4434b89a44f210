#include "print/PrintFonts.h"
#include "print/VerticalText.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using namespace VerticalText;

// One cell of 10 points; the baseline 8.8 below a line's top, 1.2 above its bottom.
const Metrics cell{10, -1.2, 8.8, 10};

TEST(VerticalTextTest, CharactersAreClassifiedByCodePoint) {
    const std::vector<std::pair<char32_t, CharacterClass>> cases = {
        {U'ー', CharacterClass::Dash},          {U'\u2015', CharacterClass::Dash},
        {U'\n', CharacterClass::LineBreak},     {U'ゃ', CharacterClass::SmallKana},
        {U'A', CharacterClass::Narrow},         {U'é', CharacterClass::Narrow},
        {U'ｰ', CharacterClass::Narrow},         {U'ｱ', CharacterClass::HalfWidthForm},
        {U'Ａ', CharacterClass::FullWidthForm}, {U'漢', CharacterClass::Japanese},
        {U'あ', CharacterClass::Japanese},      {U'〒', CharacterClass::Japanese},
        {U'\U0002000B', CharacterClass::Japanese}, // CJK Extension B, a surrogate pair
        {U'\U0002F800', CharacterClass::Japanese}, {U'Ω', CharacterClass::Other},
        {U'\U0001F600', CharacterClass::Other},
    };
    for (const auto &[c, kind] : cases)
        EXPECT_EQ(characterClass(c), kind) << std::hex << unsigned(c);
}

TEST(VerticalTextTest, ColumnsRunDownAndLeft) {
    const Layout result = layout(QStringLiteral("漢字\n漢字"), cell, {100, 0}, 1);
    EXPECT_EQ(result.rect, QRectF(80, 0, 20, 20));
    ASSERT_EQ(result.placements.size(), 4u);
    EXPECT_EQ(result.placements[0].origin, QPointF(90, 8.8));
    EXPECT_EQ(result.placements[1].origin, QPointF(90, 18.8));
    EXPECT_EQ(result.placements[2].origin, QPointF(80, 8.8));
    for (const Placement &p : result.placements)
        EXPECT_EQ(p.angle, 0);
}

TEST(VerticalTextTest, EachClassTakesItsCellAndTurn) {
    struct Case {
        QString text;
        int direction;
        QRectF rect;
        double angle;
        QPointF firstOrigin;
        size_t characters = 1;
    };
    const std::vector<Case> cases = {
        // Latin letters take half a cell, turned clockwise in columns, upright in rows.
        {QStringLiteral("abc"), 1, QRectF(90, 0, 10, 15), 90, QPointF(91.2, 0), 3},
        {QStringLiteral("abc"), 2, QRectF(100, 0, 15, 10), 0, QPointF(100, 8.8), 3},
        // The long vowel mark is not turned in columns and takes a whole cell.
        {QStringLiteral("ー"), 1, QRectF(90, 0, 10, 10), 0, QPointF(90, 8.8)},
        {QStringLiteral("ー"), 2, QRectF(100, 0, 10, 10), -90, QPointF(108.8, 10)},
        // Small kana sit a quarter cell higher and take half a cell.
        {QStringLiteral("ぁ"), 1, QRectF(90, 0, 10, 5), 0, QPointF(90, 6.3)},
        // Full width in rows: turned to the left, a whole cell.
        {QStringLiteral("漢"), 2, QRectF(100, 0, 10, 10), -90, QPointF(108.8, 10)},
        {QStringLiteral("ｱ"), 1, QRectF(90, 0, 10, 10), 0, QPointF(92.5, 8.8)},
        // A surrogate-pair kanji is one upright character.
        {QString::fromUcs4(U"\U0002000B"), 1, QRectF(90, 0, 10, 10), 0, QPointF(90, 8.8)},
    };
    for (const Case &c : cases) {
        const Layout result = layout(c.text, cell, {100, 0}, c.direction);
        const std::string what = c.text.toStdString() + " in direction " + std::to_string(c.direction);
        EXPECT_EQ(result.rect, c.rect) << what;
        ASSERT_FALSE(result.placements.empty()) << what;
        EXPECT_EQ(result.placements.size(), c.characters) << what;
        for (const Placement &p : result.placements)
            EXPECT_EQ(p.angle, c.angle) << what;
        EXPECT_NEAR(result.placements[0].origin.x(), c.firstOrigin.x(), 1e-9) << what;
        EXPECT_NEAR(result.placements[0].origin.y(), c.firstOrigin.y(), 1e-9) << what;
    }
}

TEST(VerticalTextTest, EmptyTextCoversNothing) {
    const Layout result = layout(QString(), cell, {42, 7}, 1);
    EXPECT_TRUE(result.placements.empty());
    EXPECT_EQ(result.rect, QRectF(42, 7, 0, 0));
}

TEST(VerticalTextTest, DrawingCoversWhatMeasuringSaid) {
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    const PrintFont font(PrintFonts::defaultVerticalFontFamily(), 20);
    const QString text = QStringLiteral("東京都千代田区\n丸の内1-9-1\nヤマダ タロウ様");
    for (const int direction : {1, 2}) {
        const QRectF measured = drawStringInVertical(nullptr, text, font, image, {300, 20}, direction);
        QPainter painter(&image);
        painter.setPen(Qt::black);
        EXPECT_EQ(drawStringInVertical(&painter, text, font, image, {300, 20}, direction), measured);
        painter.end();
        // The longest column is 7 cells and a blank's half; rows are three cells down.
        EXPECT_EQ(measured.height(), direction == 1 ? 20 * 7.5 : 60) << direction;
    }
    int inked = 0;
    for (int y = 20; y < 160; ++y)
        inked += image.pixelColor(290, y) != QColor(Qt::white);
    EXPECT_GT(inked, 20) << "the first column is drawn";
}

// Which families another package brings along, or how they sort, does not change the choice.
TEST(VerticalTextTest, TheDefaultFontFollowsAFixedPreference) {
    struct Case {
        QStringList japanese;
        QStringList vertical; // those installed with vertical metrics
        QString chosen;
    };
    const QString user = QStringLiteral("User Sans");
    const std::vector<Case> cases = {
        {{"Droid Sans Fallback", "IPAGothic", "IPAPGothic"},
         {"Droid Sans Fallback", "IPAGothic", "IPAPGothic"},
         "IPAGothic"},
        {{"Droid Sans Fallback", "IPAPGothic", "Noto Sans CJK JP"},
         {"Droid Sans Fallback", "IPAPGothic", "Noto Sans CJK JP"},
         "IPAPGothic"},
        {{"Droid Sans Fallback", "Noto Sans CJK JP"},
         {"Droid Sans Fallback", "Noto Sans CJK JP"},
         "Noto Sans CJK JP"},
        {{"Droid Sans Fallback", "Zen Kaku"}, {"Zen Kaku"}, "Zen Kaku"},
        {{"Droid Sans Fallback", "Zen Kaku"}, {}, "Droid Sans Fallback"},
        {{}, {}, user},
    };
    for (const Case &c : cases) {
        const auto isVertical = [&](const QString &family) { return c.vertical.contains(family); };
        EXPECT_EQ(PrintFonts::chooseVerticalFontFamily(c.japanese, isVertical, user), c.chosen);
    }
    // A stored family that is installed wins; one that is not gives way to the default.
    // (the database also lists the generic names, which are no family of their own)
    int installed = 0;
    for (const QString &family : QFontDatabase::families())
        if (QFontDatabase::hasFamily(family)) {
            ++installed;
            EXPECT_EQ(PrintFonts::verticalFontFamily(family), family);
        }
    EXPECT_GT(installed, 0);
    EXPECT_EQ(PrintFonts::verticalFontFamily(QStringLiteral("No Such Family 7f3a")),
              PrintFonts::defaultVerticalFontFamily());
    EXPECT_EQ(PrintFonts::verticalFontFamily(QString()), QString());
}

} // namespace
