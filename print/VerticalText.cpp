#include "print/VerticalText.h"

#include "print/PrintFonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTransform>

#include <algorithm>

namespace VerticalText {

namespace {

bool within(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

bool isSmallKana(char32_t c) {
    static const std::u32string smallKana = U"ァィゥェォッャュョぁぃぅぇぉっゃゅょ";
    return smallKana.find(c) != std::u32string::npos;
}

char32_t codePointAt(const QString &text, qsizetype i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(i + 1));
    return c.unicode();
}

} // namespace

bool isJapanese(char32_t c) {
    return within(c, 0x3000, 0x303F) || within(c, 0x3200, 0x32FF) || within(c, 0x3300, 0x34FF) ||
           within(c, 0x3040, 0x30FF) || within(c, 0x3400, 0x4DBF) || within(c, 0xF900, 0xFAFF) ||
           within(c, 0x4E00, 0x9FFF)
           // Ideographs of the supplementary planes (extensions B to G and the
           // compatibility supplement), written as surrogate pairs.
           || within(c, 0x20000, 0x3134F);
}

CharacterClass characterClass(char32_t c) {
    if (c == 0x2010 || c == 0x2011 || c == 0x2015 || c == 0x30FC)
        return CharacterClass::Dash;
    if (c == u'\n')
        return CharacterClass::LineBreak;
    if (isSmallKana(c))
        return CharacterClass::SmallKana;
    if (c < 0x100 || c == 0xFF70)
        return CharacterClass::Narrow;
    if (within(c, 0xFF61, 0xFFD1))
        return CharacterClass::HalfWidthForm;
    if (within(c, 0xFF02, 0xFF5F))
        return CharacterClass::FullWidthForm;
    if (isJapanese(c))
        return CharacterClass::Japanese;
    return CharacterClass::Other;
}

Metrics Metrics::of(const PrintFont &font, const QPaintDevice &device) {
    const QFontMetricsF metrics(font.font, &device);
    const double scale = font.scale();
    return {font.pointSize, -metrics.descent() * scale, metrics.ascent() * scale, metrics.lineSpacing() * scale};
}

Layout layout(const QString &text, const Metrics &metrics, const QPointF &point, int direction) {
    Layout result;
    if (text.isEmpty()) {
        result.rect = QRectF(point, QSizeF(0, 0));
        return result;
    }
    const bool down = direction == 1;
    const double P = metrics.pointSize;
    const double D = metrics.descender;
    const double q = P * 0.25;
    const double h = P * 0.5;
    const double x0 = point.x();
    const double y0 = point.y();
    double x = down ? x0 - P : x0;
    double y = down ? y0 : y0 + P;
    double largestX = x;
    double largestY = y;

    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = graphemes.toNextBoundary();
        if (end <= start)
            end = text.size();
        const CharacterClass kind = characterClass(codePointAt(text, start));
        QPointF place;
        double angle = 0;
        // How far below the placed point the glyph's baseline lies, before turning.
        double baselineDepth = 0;
        switch (kind) {
        case CharacterClass::LineBreak:
            if (down) {
                largestY = std::max(largestY, y);
                x -= P;
                y = y0;
            } else {
                largestX = std::max(largestX, x);
                y += P;
                x = x0;
            }
            break;
        case CharacterClass::Dash:
            place = {x, y};
            angle = down ? 0 : -90;
            baselineDepth = metrics.ascent;
            (down ? y : x) += P;
            break;
        case CharacterClass::SmallKana:
            place = down ? QPointF(x, y - q) : QPointF(x - q, y);
            angle = down ? 0 : -90;
            baselineDepth = metrics.ascent - (P - metrics.lineHeight);
            (down ? y : x) += h;
            break;
        case CharacterClass::Narrow:
        case CharacterClass::Other:
            place = down ? QPointF(x - D, y) : QPointF(x, y + D);
            angle = down ? 90 : 0;
            (down ? y : x) += h;
            break;
        case CharacterClass::HalfWidthForm:
            (down ? y : x) += P;
            place = down ? QPointF(x + q, y + D) : QPointF(x + D, y - q);
            angle = down ? 0 : -90;
            break;
        case CharacterClass::FullWidthForm:
        case CharacterClass::Japanese:
            (down ? y : x) += P;
            place = down ? QPointF(x, y + D) : QPointF(x + D, y);
            angle = down ? 0 : -90;
            break;
        }
        if (kind != CharacterClass::LineBreak) {
            const QPointF shift = QTransform().rotate(angle).map(QPointF(0, baselineDepth));
            result.placements.push_back({start, end - start, place + shift, angle});
        }
        largestX = std::max(largestX, x);
        largestY = std::max(largestY, y);
        start = end;
    }
    result.rect = down ? QRectF(x, y0, x0 - x, largestY - y0) : QRectF(x0, y0, largestX - x0, largestY - y0);
    return result;
}

QRectF glyphBounds(const Layout &laidOut, const QString &text, const PrintFont &font,
                   const QPaintDevice &device) {
    const QFontMetricsF metrics(font.font, &device);
    QRectF covered;
    for (const Placement &glyph : laidOut.placements) {
        const QString character = text.mid(glyph.start, glyph.length);
        if (character.trimmed().isEmpty())
            continue;
        const QRectF outline =
            character.size() == 1 ? metrics.boundingRect(character.front()) : metrics.boundingRect(character);
        const QRectF box(0, -metrics.ascent(), metrics.horizontalAdvance(character), metrics.height());
        const QTransform place = QTransform()
                                     .translate(glyph.origin.x(), glyph.origin.y())
                                     .rotate(glyph.angle)
                                     .scale(font.scale(), font.scale());
        covered |= place.mapRect(outline | box);
    }
    return covered;
}

QRectF drawStringInVertical(QPainter *painter, const QString &text, const PrintFont &font,
                            const QPaintDevice &device, const QPointF &point, int direction) {
    const Layout laidOut = layout(text, Metrics::of(font, device), point, direction);
    if (painter) {
        painter->save();
        painter->setFont(font.font);
        for (const Placement &glyph : laidOut.placements) {
            painter->save();
            painter->translate(glyph.origin);
            painter->rotate(glyph.angle);
            painter->scale(font.scale(), font.scale());
            painter->drawText(QPointF(0, 0), text.mid(glyph.start, glyph.length));
            painter->restore();
        }
        painter->restore();
    }
    return laidOut.rect;
}

} // namespace VerticalText
