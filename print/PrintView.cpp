#include "print/PrintView.h"

#include "print/PrintFonts.h"
#include "print/PrintText.h"
#include "print/VerticalText.h"

#include <QElapsedTimer>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <limits>

namespace {

// Room kept free at the right of each address-list block.
constexpr double blockRightGap = 20.0;
// An envelope's frame lies this far outside its text box.
constexpr double envelopeFrameOutset = 3.0;

const PrintOptions &emptyOptions() {
    static const PrintOptions options;
    return options;
}

int clampedPageCount(qint64 pages) { return int(std::min<qint64>(pages, std::numeric_limits<int>::max())); }

QPen pen(const QColor &color, double width) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

} // namespace

// The address list as last laid out, and what it was laid out for.
struct PrintView::AddressListPages {
    PrintOptions options;
    QSizeF paperSize;
    QRectF imageableBounds;
    int dpi = 0;
    int deviceType = 0;

    std::optional<PrintFont> font;
    double blockWidth = 0;
    std::vector<SubContactRowPtr> printed;
    BlockHeights heights;
    std::optional<BlockPaginator> paginator;

    bool isFor(const PrintOptions &o, const PageGeometry &g, const QPaintDevice &device) const {
        return options == o && paperSize == g.paperSize && imageableBounds == g.imageableBounds &&
               dpi == device.logicalDpiY() && deviceType == device.devType();
    }
    bool finished() const { return heights.blockCount() == qsizetype(printed.size()); }
    const std::vector<PagePieces> &pages() const { return paginator->pages(); }
    // Pages that no block still to be set can change: all once every block is placed, else
    // those before the last.
    qsizetype completePages() const {
        return finished() ? qsizetype(pages().size()) : qsizetype(pages().size()) - 1;
    }
    void setNextBlock(const QPaintDevice &device) {
        const SubContactRowPtr &row = printed[size_t(heights.blockCount())];
        const BlockText text = addressListBlockText(*row, options.addressList, TextMeasure(*font, device));
        heights.addBlock(TypesetBlock(text, *font, device, blockWidth).lineHeights());
        paginator->place(heights, heights.blockCount() - 1);
    }
};
PrintView::PrintView(SubContactTable contacts, std::shared_ptr<const PrintOptions> options,
                     const QPageLayout &pageLayout)
    : contacts_(contacts)
    , receiverPersons_(std::move(contacts))
    , addressed_(::addressedRows(receiverPersons_))
    , options_(std::move(options))
    , pageLayout_(pageLayout) {}

PrintView::~PrintView() = default;

void PrintView::setContacts(SubContactTable contacts) {
    contacts_ = std::move(contacts);
    addressList_.reset();
}

void PrintView::setReceiverPersons(SubContactTable rows) {
    receiverPersons_ = std::move(rows);
    addressed_ = ::addressedRows(receiverPersons_);
}

void PrintView::setOptions(std::shared_ptr<const PrintOptions> options) { options_ = std::move(options); }

void PrintView::setPageLayout(const QPageLayout &layout) { pageLayout_ = layout; }

QString PrintView::selectedFontName() const {
    const QString name = options_ ? options_->fontName : QString();
    return name.isEmpty() ? PrintFonts::userFontFamily() : name;
}

int PrintView::pageCount(const QPaintDevice &device) {
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    const QString style = options.effectiveStyle();
    if (style == PrintStyle::MailingLabels) {
        const LabelGrid grid = LabelGrid::make(geometry(), options);
        return clampedPageCount(
            grid.pageCount(labelCount(addressed_.size(), options.mailingLabels.repeatCount)));
    }
    if (style == PrintStyle::Envelope)
        return clampedPageCount(std::max<qint64>(1, addressed_.size()));
    return clampedPageCount(qint64(addressListPages(device, -1).pages().size()));
}

void PrintView::drawPage(QPainter &painter, int page) {
    if (!painter.device())
        return;
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    painter.save();
    const double scale = PrintFonts::pointScale(*painter.device());
    painter.scale(scale, scale);
    const QString style = options.effectiveStyle();
    if (style == PrintStyle::MailingLabels)
        drawLabels(painter, page);
    else if (style == PrintStyle::Envelope)
        drawEnvelope(painter, page);
    else
        drawAddressList(painter, page);
    painter.restore();
}

bool PrintView::print(QPagedPaintDevice &device, const std::function<void(int page)> &afterPage) {
    QPageLayout layout = device.pageLayout();
    setPageLayout(layout);
    layout.setMode(QPageLayout::FullPageMode);
    device.setPageLayout(layout);
    const int pages = pageCount(device);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage())
            return false;
        drawPage(painter, page);
        if (afterPage)
            afterPage(page);
    }
    return painter.end();
}

// ---- Address list

PrintView::AddressListPages &PrintView::addressListLayout(const QPaintDevice &device) {
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    const PageGeometry page = geometry();
    if (addressList_ && addressList_->isFor(options, page, device))
        return *addressList_;
    auto laidOut = std::make_unique<AddressListPages>();
    laidOut->options = options;
    laidOut->paperSize = page.paperSize;
    laidOut->imageableBounds = page.imageableBounds;
    laidOut->dpi = device.logicalDpiY();
    laidOut->deviceType = device.devType();
    const double size = options.fontSize > 0 ? double(options.fontSize) : PrintFonts::userFontSize();
    laidOut->font.emplace(options.fontName, size);
    const QRectF area = contentArea(page, options);
    laidOut->blockWidth = area.width() - blockRightGap;
    laidOut->printed = printedContacts(contacts_);
    laidOut->paginator.emplace(area.top(), area.height());
    addressList_ = std::move(laidOut);
    return *addressList_;
}

const PrintView::AddressListPages &PrintView::addressListPages(const QPaintDevice &device,
                                                               qsizetype throughPage) {
    AddressListPages &laidOut = addressListLayout(device);
    while (!laidOut.finished() && (throughPage < 0 || laidOut.completePages() <= throughPage))
        laidOut.setNextBlock(device);
    return laidOut;
}

int PrintView::pagesLaidOut(const QPaintDevice &device, int throughPage) {
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    if (options.effectiveStyle() != PrintStyle::AddressList)
        return pageCount(device);
    return clampedPageCount(addressListPages(device, std::max(throughPage, 0)).completePages());
}

bool PrintView::layOutMore(const QPaintDevice &device, std::chrono::milliseconds budget) {
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    if (options.effectiveStyle() != PrintStyle::AddressList)
        return true;
    AddressListPages &laidOut = addressListLayout(device);
    QElapsedTimer clock;
    clock.start();
    while (!laidOut.finished() && clock.elapsed() < budget.count())
        laidOut.setNextBlock(device);
    return laidOut.finished();
}

void PrintView::drawAddressList(QPainter &painter, int page) {
    const QPaintDevice &device = *painter.device();
    if (page < 0)
        return;
    const AddressListPages &laidOut = addressListPages(device, page);
    if (size_t(page) >= laidOut.pages().size())
        return;
    const AddressListOptions &options = laidOut.options.addressList;
    const double x = contentArea(geometry(), laidOut.options).x();
    const TextMeasure measure(*laidOut.font, device);
    for (const BlockPiece &piece : laidOut.pages()[size_t(page)]) {
        const QRectF rect(x, piece.y, std::max(laidOut.blockWidth, 0.0), piece.height);
        if (options.alternatingRow && piece.block % 2 == 1)
            painter.fillRect(rect, QColor::fromRgbF(0.9, 0.9, 0.9));
        painter.setPen(Qt::black);
        SubContactRow &row = *laidOut.printed[size_t(piece.block)];
        TypesetBlock(addressListBlockText(row, options, measure), *laidOut.font, device, laidOut.blockWidth)
            .draw(painter, rect.topLeft(), piece.firstLine, piece.lineCount);
        if (options.printFrame) {
            painter.setPen(pen(QColor::fromRgbF(2.0 / 3, 2.0 / 3, 2.0 / 3), 1.0));
            painter.drawLine(rect.topLeft(), rect.topRight());
            painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        }
    }
}

// ---- Labels and envelopes

void PrintView::drawPreviewPaper(QPainter &painter) const {
    const PageGeometry page = geometry();
    painter.fillRect(QRectF(QPointF(0, 0), page.paperSize), QColor::fromRgbF(1.0, 1.0, 0.7));
    painter.fillRect(page.imageableBounds, Qt::white);
}

namespace {

// The text's cells were fitted to the box; its glyphs may reach past them (a letter's
// outline past its advance, a font's ascent and descent past its size). The text shrinks by
// what they reach out, and its corner moves so that they stand inside the box.
void keepGlyphsInBox(TextObject &object, const QSizeF &box, const QPaintDevice &device) {
    const bool upDown = object.textDirection != TextDirection::LeftRight;
    // Measured from the corner the text is drawn at: its top right when it runs down.
    const auto covered = [&](double size) -> QRectF {
        if (object.printVertical) {
            const PrintFont font(object.verticalFontName, size);
            const VerticalText::Layout laidOut = VerticalText::layout(
                object.text, VerticalText::Metrics::of(font, device), {0, 0}, upDown ? 1 : 2);
            return laidOut.rect | VerticalText::glyphBounds(laidOut, object.text, font, device);
        }
        const SetText text(object.text, PrintFont(object.fontName, size), device);
        const QRectF lines = QRectF(QPointF(0, 0), text.size()) | text.glyphBounds();
        return upDown ? QTransform().rotate(90).mapRect(lines) : lines;
    };
    QRectF glyphs = covered(object.fontSize);
    const double shrink = std::min({1.0, box.width() / glyphs.width(), box.height() / glyphs.height()});
    if (shrink < 1) {
        // Cells and glyphs scale with the size; a hair less keeps rounding inside too.
        object.fontSize = std::max(object.fontSize * shrink * 0.999, minimumFontSize);
        glyphs = covered(object.fontSize);
    }
    object.offset = -(upDown ? glyphs.topRight() : glyphs.topLeft());
}

} // namespace

TextObject PrintView::fitText(const QString &text, const AddressTextOptions &options, const QString &direction,
                              const QSizeF &box, std::optional<double> startSize, const QPaintDevice &device) const {
    TextObject object;
    object.text = text;
    object.fontName = selectedFontName();
    object.printVertical = options.printVertical;
    object.textDirection = direction;
    object.verticalFontName = options.verticalFontName.isEmpty()
                                  ? object.fontName
                                  : PrintFonts::verticalFontFamily(options.verticalFontName);
    if (!startSize || text.isEmpty())
        return object;
    const bool upDown = direction != TextDirection::LeftRight;
    const auto measure = [&](double size) -> QSizeF {
        if (object.printVertical)
            return VerticalText::drawStringInVertical(nullptr, text, PrintFont(object.verticalFontName, size), device,
                                                      {0, 0}, upDown ? 1 : 2)
                .size();
        const QSizeF size2D = SetText(text, PrintFont(object.fontName, size), device).size();
        return upDown ? size2D.transposed() : size2D;
    };
    if (const auto fit = fitFontSize(*startSize, box, measure))
        object.fontSize = fit->size;
    if (object.fontSize > 0)
        keepGlyphsInBox(object, box, device);
    return object;
}

TextObject PrintView::makeLabelTextObject(SubContactRow &row, const QPaintDevice &device) const {
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    const MailingLabelsOptions &labels = options.mailingLabels;
    const QString text = makeAdrsAndNameString(row, labels);
    const LabelGrid grid = LabelGrid::make(geometry(), options);
    return fitText(text, labels, TextDirection::LeftRight, grid.textSize(),
                   labelStartingSize(text, grid.labelSize), device);
}

TextObject PrintView::makeTextObject(SubContactRow &row, const QPaintDevice &device) const {
    const EnvelopeOptions &envelope = (options_ ? *options_ : emptyOptions()).envelope;
    const PageGeometry page = geometry();
    const QString text = makeAdrsAndNameString(row, envelope);
    const QRectF box = envelopeTextRect(envelope, page);
    const QString direction = envelope.textDirection.isEmpty() ? TextDirection::LeftRight : envelope.textDirection;
    TextObject object =
        fitText(text, envelope, direction, box.size(), envelopeStartingSize(text, page.paperSize), device);
    object.rect = box;
    return object;
}

void PrintView::drawTextObject(QPainter &painter, const TextObject &object, const QRectF &rect) const {
    if (!(object.fontSize > 0) || object.text.isEmpty())
        return;
    const QPaintDevice &device = *painter.device();
    const bool upDown = object.textDirection != TextDirection::LeftRight;
    const QPointF corner = upDown ? rect.topRight() : rect.topLeft();
    painter.setPen(Qt::black);
    if (object.printVertical) {
        VerticalText::drawStringInVertical(&painter, object.text,
                                           PrintFont(object.verticalFontName, object.fontSize), device,
                                           corner + object.offset, upDown ? 1 : 2);
        return;
    }
    const SetText text(object.text, PrintFont(object.fontName, object.fontSize), device);
    if (upDown)
        text.drawTategaki4(painter, corner + object.offset);
    else
        text.draw(painter, corner + object.offset);
}

void PrintView::drawLabels(QPainter &painter, int page) {
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    const MailingLabelsOptions &labels = options.mailingLabels;
    const LabelGrid grid = LabelGrid::make(geometry(), options);
    if (!printing_)
        drawPreviewPaper(painter);
    const qint64 count = labelCount(addressed_.size(), labels.repeatCount);
    const qint64 first = qint64(page) * grid.perPage();
    if (page < 0 || first >= count || !(grid.labelSize.width() > 0) || !(grid.labelSize.height() > 0))
        return;
    const qint64 end = std::min(count, first + grid.perPage());
    qint64 objectRow = -1;
    TextObject object;
    for (qint64 label = first; label < end; ++label) {
        const qint64 row = label / labels.repeatCount;
        if (row != objectRow) {
            object = makeLabelTextObject(*addressed_[size_t(row)], *painter.device());
            objectRow = row;
        }
        const QRectF slot = grid.slot(label);
        drawTextObject(painter, object, grid.textRect(label));
        if (labels.printFrame) {
            painter.setPen(pen(QColor::fromRgbF(0.5, 0.5, 0.5), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(slot);
        }
    }
}

void PrintView::drawEnvelope(QPainter &painter, int page) {
    if (page < 0 || size_t(page) >= addressed_.size())
        return;
    const PrintOptions &options = options_ ? *options_ : emptyOptions();
    if (!printing_)
        drawPreviewPaper(painter);
    const TextObject object = makeTextObject(*addressed_[size_t(page)], *painter.device());
    const QRectF rect = object.rect.translated(options.leftMargin, options.topMargin);
    if (options.envelope.printFrame) {
        painter.setPen(pen(Qt::black, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(-envelopeFrameOutset, -envelopeFrameOutset, envelopeFrameOutset,
                                       envelopeFrameOutset));
    }
    drawTextObject(painter, object, rect);
}
