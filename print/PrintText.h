#pragma once

#include "contacts_table/SubContactRow.h"
#include "print/PrintFonts.h"
#include "print/PrintOptions.h"

#include <QFontMetricsF>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextLayout>

#include <vector>

class QPainter;
class QPaintDevice;

// The texts that printing sets, and their typesetting in points.

// Widths of texts in a print font on a device, in points.
class TextMeasure {
public:
    TextMeasure(const PrintFont &font, const QPaintDevice &device);
    double width(const QString &text) const { return metrics_.horizontalAdvance(text) * scale_; }

private:
    QFontMetricsF metrics_;
    double scale_;
};

// ---- Address list

// One contact's block: the name line, then one entry per field switched on. Paragraphs are
// separated by U+2028, each with the indent of its first line.
struct BlockText {
    struct Paragraph {
        qsizetype start = 0;
        double indent = 0;
    };
    QString text;
    std::vector<Paragraph> paragraphs;
    QList<QTextLayout::FormatRange> formats; // label words in grey
};

// The name line, then per item switched on ("Name" aside) its identifier as a heading and
// its values: labeled values one per line with their label (filtered by the label list), in
// a column after the heading; a record's text; a text whose later lines stand under its first
// (a note's at the left edge). A field without any value leaves its heading alone, and the
// next heading follows on the same line.
BlockText addressListBlockText(SubContactRow &row, const AddressListOptions &options, const TextMeasure &measure);

// The rows printed in an address list: the first row of each contact.
std::vector<SubContactRowPtr> printedContacts(const SubContactTable &rows);

// A block set in lines of at most `width` points, later lines of a paragraph wrapping to the
// left edge.
class TypesetBlock {
public:
    TypesetBlock(const BlockText &block, const PrintFont &font, const QPaintDevice &device, double width);
    std::vector<double> lineHeights() const;
    // Draws `count` lines from `firstLine` with the first one's top at `topLeft`.
    void draw(QPainter &painter, const QPointF &topLeft, qsizetype firstLine, qsizetype count) const;

private:
    QTextLayout layout_;
    double scale_;
};

// ---- Labels and envelopes

// The rows labels and envelopes print, one piece per contact and address, in table order:
// each row that shows an address (a contact's own address once), and for a contact none of
// whose rows shows one, its first row, which prints the name alone. Further rows of a
// contact (its second phone, say) add nothing.
SubContactTable addressedRows(const SubContactTable &rows);

// Name, address at the row's position, company: the address lines (the formatted address,
// else its one-line text, else its parts), the company when asked for, then the name with
// the suffix field in front and the honorific after, when asked for.
QString makeAdrsAndNameString(SubContactRow &row, const AddressTextOptions &options);

// A text in lines of one font, never wrapped, lines as high as the font's ascent and
// descent.
class SetText {
public:
    SetText(const QString &text, const PrintFont &font, const QPaintDevice &device);
    QSizeF size() const { return size_; }
    // What the glyphs cover from the text's top left: their outlines and their boxes of
    // advance by ascent and descent, which may reach past the lines' size.
    QRectF glyphBounds() const;
    void draw(QPainter &painter, const QPointF &topLeft) const;
    // Draws the text turned by 90 degrees clockwise about `point`, its top left there.
    void drawTategaki4(QPainter &painter, const QPointF &point) const;

private:
    QTextLayout layout_;
    double scale_;
    QSizeF size_;
};
