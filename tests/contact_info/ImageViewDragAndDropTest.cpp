#include "contact_info/ImageViewDragAndDrop.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct RecordingImageDelegate : ImageViewDragAndDropDelegate {
    QList<QSize> dropped;
    void imageDidChange(ImageViewDragAndDrop *view) override { dropped.append(view->image().size()); }
};

QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    return image;
}

TEST(ImageViewDragAndDrop, TakesPicturesOnlyWhileEditableAndNeverItsOwn) {
    RecordingImageDelegate delegate;
    ImageViewDragAndDrop view;
    view.setDelegate(&delegate);
    QMimeData image;
    image.setImageData(picture(40, 30));
    QMimeData text;
    text.setText(QStringLiteral("words"));

    EXPECT_FALSE(view.isEditable());
    EXPECT_FALSE(view.takeDrop(Pasteboard(&image)));
    view.setEditable(true);
    EXPECT_FALSE(view.canTakeDrop(Pasteboard(&text)));
    EXPECT_TRUE(view.takeDrop(Pasteboard(&image)));
    EXPECT_EQ(view.image().size(), QSize(40, 30));
    EXPECT_FALSE(view.highlight());

    // The view's own picture dragged back onto it.
    auto own = Pasteboard::forDragging();
    own->setSource(nullptr, &view);
    own->writeImage(picture(10, 10));
    std::unique_ptr<QMimeData> ownData(own->takeMimeData());
    EXPECT_FALSE(view.canTakeDrop(Pasteboard(ownData.get())));
    EXPECT_EQ(delegate.dropped, QList<QSize>{QSize(40, 30)});
}

} // namespace
