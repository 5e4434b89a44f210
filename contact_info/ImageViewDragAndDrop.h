#pragma once

#include <QImage>
#include <QLabel>
#include <QPoint>

#include <optional>

class ImageViewDragAndDrop;
class Pasteboard;

// Told of a picture dropped on an image view: the detail panel, the contact popover and
// the merge sheet own such views.
class ImageViewDragAndDropDelegate {
public:
    virtual ~ImageViewDragAndDropDelegate() = default;
    virtual void imageDidChange(ImageViewDragAndDrop *imageView) = 0;
};

// A picture that takes dropped pictures while editable (off when made) and can be dragged
// out as PNG. It frames itself in gray while a droppable picture is over it.
class ImageViewDragAndDrop : public QLabel {
    Q_OBJECT
public:
    explicit ImageViewDragAndDrop(QWidget *parent = nullptr);

    ImageViewDragAndDropDelegate *delegate() const { return delegate_; }
    void setDelegate(ImageViewDragAndDropDelegate *delegate) { delegate_ = delegate; }
    bool isEditable() const { return editable_; }
    void setEditable(bool on) { editable_ = on; }
    bool highlight() const { return highlight_; }
    QImage image() const { return image_; }
    void setImage(const QImage &image);

    // Whether a drop of this pasteboard would be taken, and taking it: the picture becomes
    // the view's and the delegate is told. Drags from the view itself are refused.
    bool canTakeDrop(const Pasteboard &info) const;
    bool takeDrop(const Pasteboard &info);

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setHighlight(bool on);

    ImageViewDragAndDropDelegate *delegate_ = nullptr;
    QImage image_;
    bool editable_ = false;
    bool highlight_ = false;
    std::optional<QPoint> pressPosition_;
};
