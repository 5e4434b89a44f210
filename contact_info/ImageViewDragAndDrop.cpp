#include "contact_info/ImageViewDragAndDrop.h"

#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QPainter>

ImageViewDragAndDrop::ImageViewDragAndDrop(QWidget *parent)
    : QLabel(parent) {
    setAcceptDrops(true);
    setAlignment(Qt::AlignCenter);
}

void ImageViewDragAndDrop::setImage(const QImage &image) {
    image_ = image;
    setPixmap(image.isNull() ? QPixmap()
                             : QPixmap::fromImage(image.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

bool ImageViewDragAndDrop::canTakeDrop(const Pasteboard &info) const {
    return editable_ && !info.isFromView(this) && info.types().contains(PasteboardType::PNG);
}

bool ImageViewDragAndDrop::takeDrop(const Pasteboard &info) {
    const QImage image = canTakeDrop(info) ? info.image() : QImage();
    setHighlight(false);
    if (image.isNull())
        return false;
    setImage(image);
    if (delegate_)
        delegate_->imageDidChange(this);
    return true;
}

void ImageViewDragAndDrop::setHighlight(bool on) {
    if (highlight_ == on)
        return;
    highlight_ = on;
    update();
}

void ImageViewDragAndDrop::paintEvent(QPaintEvent *event) {
    QLabel::paintEvent(event);
    if (!highlight_)
        return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::gray, 10));
    painter.drawRect(rect());
}

void ImageViewDragAndDrop::dragEnterEvent(QDragEnterEvent *event) {
    const Pasteboard info(event->mimeData());
    if (!canTakeDrop(info) || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setHighlight(true);
}

void ImageViewDragAndDrop::dragLeaveEvent(QDragLeaveEvent *) {
    setHighlight(false);
}

void ImageViewDragAndDrop::dropEvent(QDropEvent *event) {
    if (takeDrop(Pasteboard(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ImageViewDragAndDrop::mousePressEvent(QMouseEvent *event) {
    pressPosition_ = event->position().toPoint();
    QLabel::mousePressEvent(event);
}

void ImageViewDragAndDrop::mouseMoveEvent(QMouseEvent *event) {
    // A click is no drag: only past the desktop's drag distance, and only with a picture.
    if (!pressPosition_ || !(event->buttons() & Qt::LeftButton) || image_.isNull() ||
        (event->position().toPoint() - *pressPosition_).manhattanLength() < QApplication::startDragDistance())
        return QLabel::mouseMoveEvent(event);
    pressPosition_.reset();
    auto pasteboard = Pasteboard::forDragging();
    pasteboard->setSource(window(), this);
    pasteboard->writeImage(image_);
    startDrag(this, std::move(pasteboard), Qt::CopyAction, grab());
}
