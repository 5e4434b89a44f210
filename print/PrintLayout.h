#pragma once

#include "print/PrintOptions.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QPageLayout;

// Page geometry and placement for printing, in points with y running down from the top
// of each page. Plain functions of numbers, so that counting and drawing share them and
// tests check them without painting.

struct PageGeometry {
    QSizeF paperSize;
    QRectF imageableBounds; // the printable area, from the paper's top left
    QString paperName;      // the QPageSize key ("A4", "Letter"...)

    // The paper of a layout and its area inside the layout's margins.
    static PageGeometry fromPageLayout(const QPageLayout &layout);
};

// The imageable area less the options' margins.
QRectF contentArea(const PageGeometry &geometry, const PrintOptions &options);

// ---- Address list

// The part of one contact's block that stands on a page: `lineCount` lines from
// `firstLine`, its top at `y` on the page.
struct BlockPiece {
    qsizetype block = 0;
    qsizetype firstLine = 0;
    qsizetype lineCount = 0;
    double y = 0;
    double height = 0;
    friend bool operator==(const BlockPiece &, const BlockPiece &) = default;
};
using PagePieces = std::vector<BlockPiece>;

// The line heights of every block, block after block.
class BlockHeights {
public:
    void addBlock(const std::vector<double> &lineHeights);
    qsizetype blockCount() const { return qsizetype(firstLines_.size()); }
    qsizetype lineCount(qsizetype block) const;
    double lineHeight(qsizetype block, qsizetype line) const { return lines_[size_t(firstLines_[size_t(block)] + line)]; }
    double blockHeight(qsizetype block) const;

private:
    std::vector<float> lines_;
    std::vector<qsizetype> firstLines_;
};

// Blocks one below the other from the top of the content area. A block that does not fit
// in the rest of a page moves whole to the next page when it is at most half the content
// height; a taller one fills the page to its last whole line and goes on at the top of the
// next, and the next block follows it. A page always takes at least one line. Always at
// least one page.
std::vector<PagePieces> paginateBlocks(const BlockHeights &heights, double contentTop, double contentHeight);

// The same, a block at a time, so that the first pages stand before the last blocks are set.
class BlockPaginator {
public:
    BlockPaginator(double contentTop, double contentHeight);
    // Places the next block of `heights`, whose blocks before it are placed.
    void place(const BlockHeights &heights, qsizetype block);
    const std::vector<PagePieces> &pages() const { return pages_; }
    std::vector<PagePieces> takePages() { return std::move(pages_); }

private:
    void newPage();
    double contentTop_;
    double contentHeight_;
    double bottom_;
    double cursor_;
    std::vector<PagePieces> pages_;
};

// ---- Mailing labels

struct LabelGrid {
    qint64 columns = 1;
    qint64 rows = 1;
    QPointF origin;  // the first slot's top left on every page
    QSizeF step;     // label size plus gap
    QSizeF labelSize;

    static LabelGrid make(const PageGeometry &geometry, const PrintOptions &options);
    qint64 perPage() const { return columns * rows; }
    // Pages for `labels` labels, at least one.
    qint64 pageCount(qint64 labels) const;
    qint64 pageOfLabel(qint64 label) const { return label / perPage(); }
    // The slot of a label on its page.
    QRectF slot(qint64 label) const;
    // The box a label's text is fitted to and drawn in: the slot less its inset on every
    // side, so that no glyph reaches the frame or the next label.
    static constexpr double textInset = 3.0;
    QSizeF textSize() const;
    QRectF textRect(qint64 label) const;
};

// The number of labels: every row repeated `repeatCount` times (none for a count below 1).
qint64 labelCount(qsizetype rows, qint64 repeatCount);

// ---- Fitting text into a box

// Steps a font size until the measured text fills between 0.9 and 0.98 of the box in one
// dimension and at most 0.98 in both, in at most 20 passes: shrinking by 0.2 while either
// ratio is above 0.98, growing by 1.2, 0.8 or 0.4 while both are below 0.6, 0.8 or 0.9.
// None for an empty box, a size that is not a positive number, or a text measured as
// nothing. Never below minimumFontSize.
inline constexpr double minimumFontSize = 0.5;
struct FitResult {
    double size = 0;
    int passes = 0;
};
std::optional<FitResult> fitFontSize(double startSize, const QSizeF &box,
                                     const std::function<QSizeF(double size)> &measure);

// The size a label's text starts from: at least 3 lines and 10 characters are assumed.
double labelStartingSize(const QString &text, const QSizeF &labelSize);
// The size an envelope's text starts from; none for an empty text.
std::optional<double> envelopeStartingSize(const QString &text, const QSizeF &paperSize);

// The envelope's text box on the paper, before margins: the stored box of this paper, or
// the default box; a stored box at the origin is centred.
QRectF envelopeTextRect(const EnvelopeOptions &options, const PageGeometry &geometry);
