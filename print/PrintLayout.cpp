#include "print/PrintLayout.h"

#include <QPageLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Line heights are summed in floating point; a block that fills a page exactly still fits.
constexpr double tolerance = 1e-6;
// More labels across or down a page than this only come from a hand-edited size near 0.
constexpr qint64 maximumLabelsAcross = 10000;

qint64 fitsAcross(double available, double step) {
    if (!(step > 0) || !(available > 0))
        return 1;
    const double n = std::floor(available / step);
    return std::clamp<qint64>(qint64(std::min(n, double(maximumLabelsAcross))), 1, maximumLabelsAcross);
}

} // namespace

PageGeometry PageGeometry::fromPageLayout(const QPageLayout &layout) {
    const QRectF full = layout.fullRect(QPageLayout::Point);
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    return {full.size(), paint.translated(-full.topLeft()), layout.pageSize().key()};
}

QRectF contentArea(const PageGeometry &geometry, const PrintOptions &options) {
    const QRectF &imageable = geometry.imageableBounds;
    return {imageable.x() + options.leftMargin, imageable.y() + options.topMargin,
            imageable.width() - (options.leftMargin + options.rightMargin),
            imageable.height() - (options.topMargin + options.bottomMargin)};
}

void BlockHeights::addBlock(const std::vector<double> &lineHeights) {
    firstLines_.push_back(qsizetype(lines_.size()));
    lines_.insert(lines_.end(), lineHeights.begin(), lineHeights.end());
}

qsizetype BlockHeights::lineCount(qsizetype block) const {
    const size_t b = size_t(block);
    const qsizetype end = b + 1 < firstLines_.size() ? firstLines_[b + 1] : qsizetype(lines_.size());
    return end - firstLines_[b];
}

double BlockHeights::blockHeight(qsizetype block) const {
    double height = 0;
    for (qsizetype line = 0, n = lineCount(block); line < n; ++line)
        height += lineHeight(block, line);
    return height;
}

BlockPaginator::BlockPaginator(double contentTop, double contentHeight)
    : contentTop_(contentTop)
    , contentHeight_(contentHeight)
    , bottom_(contentTop + contentHeight + tolerance)
    , cursor_(contentTop)
    , pages_(1) {}

void BlockPaginator::newPage() {
    pages_.emplace_back();
    cursor_ = contentTop_;
}

void BlockPaginator::place(const BlockHeights &heights, qsizetype block) {
    const qsizetype lines = heights.lineCount(block);
    const double height = heights.blockHeight(block);
    if (cursor_ + height > bottom_ && height <= contentHeight_ * 0.5 && !pages_.back().empty())
        newPage();
    for (qsizetype line = 0; line < lines;) {
        qsizetype taken = 0;
        double pieceHeight = 0;
        while (line + taken < lines &&
               cursor_ + pieceHeight + heights.lineHeight(block, line + taken) <= bottom_)
            pieceHeight += heights.lineHeight(block, line + taken++);
        if (taken == 0) {
            if (!pages_.back().empty()) {
                newPage();
                continue;
            }
            // Not even one line fits an empty page: it goes there anyway, cut by the paper.
            pieceHeight = heights.lineHeight(block, line);
            taken = 1;
        }
        pages_.back().push_back({block, line, taken, cursor_, pieceHeight});
        cursor_ += pieceHeight;
        line += taken;
        if (line < lines)
            newPage();
    }
}

std::vector<PagePieces> paginateBlocks(const BlockHeights &heights, double contentTop, double contentHeight) {
    BlockPaginator paginator(contentTop, contentHeight);
    for (qsizetype block = 0; block < heights.blockCount(); ++block)
        paginator.place(heights, block);
    return paginator.takePages();
}

LabelGrid LabelGrid::make(const PageGeometry &geometry, const PrintOptions &options) {
    const MailingLabelsOptions &labels = options.mailingLabels;
    const QRectF &imageable = geometry.imageableBounds;
    LabelGrid grid;
    grid.labelSize = {labels.labelWidth, labels.labelHeight};
    grid.step = {labels.labelWidth + labels.hGap, labels.labelHeight + labels.vGap};
    grid.columns = fitsAcross(imageable.width() - options.leftMargin - options.rightMargin, grid.step.width());
    grid.rows = fitsAcross(imageable.height() - options.topMargin - options.bottomMargin, grid.step.height());
    grid.origin = {imageable.x() + options.leftMargin, imageable.y() + options.topMargin};
    return grid;
}

qint64 LabelGrid::pageCount(qint64 labels) const {
    return std::max<qint64>(1, (labels + perPage() - 1) / perPage());
}

QRectF LabelGrid::slot(qint64 label) const {
    const qint64 column = label % columns;
    const qint64 row = (label / columns) % rows;
    return {origin + QPointF(double(column) * step.width(), double(row) * step.height()), labelSize};
}

QSizeF LabelGrid::textSize() const {
    return {labelSize.width() - 2 * textInset, labelSize.height() - 2 * textInset};
}

QRectF LabelGrid::textRect(qint64 label) const {
    return {slot(label).topLeft() + QPointF(textInset, textInset), textSize()};
}

qint64 labelCount(qsizetype rows, qint64 repeatCount) {
    if (repeatCount < 1 || rows < 1)
        return 0;
    // A hand-edited repeat count must not overflow.
    const qint64 limit = std::numeric_limits<qint64>::max() / 2;
    return repeatCount > limit / rows ? limit : repeatCount * rows;
}

std::optional<FitResult> fitFontSize(double startSize, const QSizeF &box,
                                     const std::function<QSizeF(double size)> &measure) {
    if (!(box.width() > 0) || !(box.height() > 0) || !(startSize > 0) || !std::isfinite(startSize))
        return std::nullopt;
    constexpr int maximumPasses = 20;
    double size = std::max(startSize, minimumFontSize);
    double measuredSize = size;
    double worst = 0;
    for (int pass = 1; pass <= maximumPasses; ++pass) {
        const QSizeF measured = measure(size);
        if (pass == 1 && !(measured.width() > 0) && !(measured.height() > 0))
            return std::nullopt;
        const double a = measured.width() / box.width();
        const double b = measured.height() / box.height();
        measuredSize = size;
        worst = std::max(a, b);
        if (a > 0.98 || b > 0.98) {
            if (size <= minimumFontSize)
                return FitResult{size, pass};
            size = std::max(size - 0.2, minimumFontSize);
        } else if (a < 0.6 && b < 0.6) {
            size += 1.2;
        } else if (a < 0.8 && b < 0.8) {
            size += 0.8;
        } else if (a < 0.9 && b < 0.9) {
            size += 0.4;
        } else {
            return FitResult{size, pass};
        }
    }
    // The passes ran out on a step nobody measured: a growth is taken back, and a text
    // still too large shrinks in proportion, so that it never spills out of its box.
    if (worst <= 0.98)
        return FitResult{measuredSize, maximumPasses};
    return FitResult{std::max(minimumFontSize, std::min(size, measuredSize * 0.98 / worst)), maximumPasses};
}

namespace {
struct TextExtent {
    qsizetype lines = 0;
    qsizetype longestLine = 0;
};
TextExtent extentOf(const QString &text) {
    TextExtent extent;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        ++extent.lines;
        extent.longestLine = std::max(extent.longestLine, line.size());
    }
    return extent;
}
} // namespace

double labelStartingSize(const QString &text, const QSizeF &labelSize) {
    const TextExtent extent = extentOf(text);
    const double lines = double(std::max<qsizetype>(extent.lines, 3));
    const double longest = double(std::max<qsizetype>(extent.longestLine, 10));
    return std::min(labelSize.width() / longest, labelSize.height() / lines);
}

std::optional<double> envelopeStartingSize(const QString &text, const QSizeF &paperSize) {
    const qsizetype longest = extentOf(text).longestLine;
    if (longest == 0)
        return std::nullopt;
    return paperSize.width() / 3.0 / double(longest) * 1.2;
}

QRectF envelopeTextRect(const EnvelopeOptions &options, const PageGeometry &geometry) {
    const auto stored = options.textRectDict.constFind(geometry.paperName);
    if (stored == options.textRectDict.constEnd() || !(stored->width() > 0) || !(stored->height() > 0))
        return defaultEnvelopeTextRect(geometry.paperSize);
    QRectF box = *stored;
    if (box.topLeft() == QPointF(0, 0))
        box.moveTopLeft({(geometry.paperSize.width() - box.width()) * 0.5,
                         (geometry.paperSize.height() - box.height()) * 0.5});
    return box;
}
