#include "print/PrintPreviewView.h"

#include "print/PrintView.h"

#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>

namespace {

// Twice a point: sharp enough for a page fitted into the panel, small enough to draw quickly.
constexpr int previewDpi = 144;
constexpr double inchesPerMeter = 39.37007874;
constexpr int paperGap = 12;

QImage imageAtPreviewResolution(const QSize &size) {
    QImage image(size, QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(previewDpi * inchesPerMeter));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

} // namespace

PrintPreviewView::PrintPreviewView(QWidget *parent)
    : QWidget(parent)
    , device_(imageAtPreviewResolution({1, 1})) {
    setAutoFillBackground(false);
    layoutTimer_.setSingleShot(true);
    layoutTimer_.setInterval(0);
    connect(&layoutTimer_, &QTimer::timeout, this, &PrintPreviewView::layOutMore);
}

void PrintPreviewView::updatePreview() {
    imageCurrent_ = false;
    if (!view_) {
        pages_ = 0;
        laidOut_ = true;
    } else {
        view_->setPageLayout(pageLayout_);
        // The page shown is laid out now; a page past the new end moves to the last one.
        pages_ = view_->pagesLaidOut(device_, page_ - 1);
        laidOut_ = view_->layOutMore(device_, std::chrono::milliseconds(0));
        if (laidOut_)
            pages_ = view_->pagesLaidOut(device_, 0);
        page_ = std::clamp(page_, 1, std::max(pages_, 1));
        if (!laidOut_)
            layoutTimer_.start();
    }
    update();
    emit previewChanged();
}

void PrintPreviewView::layOutMore() {
    if (!view_ || laidOut_)
        return;
    laidOut_ = view_->layOutMore(device_, std::chrono::milliseconds(layoutSliceMilliseconds));
    pages_ = view_->pagesLaidOut(device_, 0);
    if (!laidOut_)
        layoutTimer_.start();
    emit previewChanged();
}

void PrintPreviewView::setCurrentPage(int page) {
    page = std::max(page, 1);
    if (view_ && !laidOut_) {
        // A page not counted yet is laid out now.
        pages_ = std::max(pages_, view_->pagesLaidOut(device_, page - 1));
        laidOut_ = view_->layOutMore(device_, std::chrono::milliseconds(0));
    }
    page = std::min(page, std::max(pages_, 1));
    if (page == page_)
        return;
    page_ = page;
    imageCurrent_ = false;
    update();
    emit previewChanged();
}

QImage PrintPreviewView::pageImage() {
    if (imageCurrent_ || !view_)
        return image_;
    const QSizeF paper = pageLayout_.fullRect(QPageLayout::Point).size();
    image_ = imageAtPreviewResolution(
        QSize(int(std::ceil(paper.width() * previewDpi / 72)), int(std::ceil(paper.height() * previewDpi / 72))));
    image_.fill(Qt::white);
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    view_->drawPage(painter, page_ - 1);
    painter.end();
    imageCurrent_ = true;
    return image_;
}

QRectF PrintPreviewView::paperRect() const {
    const QSizeF paper = pageLayout_.fullRect(QPageLayout::Point).size();
    const QRectF room = QRectF(rect()).adjusted(paperGap, paperGap, -paperGap, -paperGap);
    if (paper.isEmpty() || room.isEmpty())
        return {};
    const QSizeF fitted = paper.scaled(room.size(), Qt::KeepAspectRatio);
    return QRectF(room.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
}

void PrintPreviewView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    const QRectF paper = paperRect();
    if (paper.isEmpty() || !view_)
        return;
    painter.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 60));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(paper, pageImage());
}

void PrintPreviewView::wheelEvent(QWheelEvent *event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        setCurrentPage(page_ - steps);
    event->accept();
}
