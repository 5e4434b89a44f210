#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;
class QPaintDevice;
struct PrintFont;

// Japanese text set vertically, glyph by glyph (Qt lays text out horizontally only).
//
// Direction 1 is vertical writing: characters run down, and each line break starts a new
// column to the left of the last; the given point is the text's top right corner.
// Direction 2 is the same text turned a quarter to the left: characters run to the right
// and lines go down, with full-width characters turned by -90 degrees; it reads vertically
// once the paper is turned.
namespace VerticalText {

enum class CharacterClass { Dash, LineBreak, SmallKana, Narrow, HalfWidthForm, FullWidthForm, Japanese, Other };

// By code point, so that ideographs outside the basic plane are Japanese too.
CharacterClass characterClass(char32_t c);
bool isJapanese(char32_t c);

struct Metrics {
    double pointSize = 0;  // P, one cell
    double descender = 0;  // D, below the baseline: negative
    double ascent = 0;     // the baseline's depth in a line
    double lineHeight = 0; // a line's height
    static Metrics of(const PrintFont &font, const QPaintDevice &device);
};

// One character (a whole grapheme cluster) placed: its baseline origin and its turn in
// degrees, clockwise on the page.
struct Placement {
    qsizetype start = 0;
    qsizetype length = 0;
    QPointF origin;
    double angle = 0;
};

struct Layout {
    std::vector<Placement> placements;
    QRectF rect; // what the text covers
};

// Direction 1 or 2. An empty text covers nothing at the point.
Layout layout(const QString &text, const Metrics &metrics, const QPointF &point, int direction);

// What the glyphs of a layout cover: each glyph's outline and its box of advance by ascent
// and descent. A glyph may reach past the cell the layout gives it, as a font's ascent and
// descent need not add up to its size.
QRectF glyphBounds(const Layout &laidOut, const QString &text, const PrintFont &font,
                   const QPaintDevice &device);

// Measures the text and, with a painter, draws it too; returns the rectangle it covers
// either way.
QRectF drawStringInVertical(QPainter *painter, const QString &text, const PrintFont &font,
                            const QPaintDevice &device, const QPointF &point, int direction);

} // namespace VerticalText
