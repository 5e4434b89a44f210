#include "contact_info/ImageViewDragAndDrop.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct RecordingImageDelegate : ImageViewDragAndDropDelegate {
    QList<QSize> dropped;
    void imageDidChange(ImageViewDragAndDrop *view) override { dropped.append(view->image().size()); }
};

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
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

// The gray frame shows while a picture the view takes is over it; it is gone once the drag
// leaves, once the picture is dropped, and once a drop it cannot read is refused.
TEST(ImageViewDragAndDrop, TheDropFrameGoesWhenTheDragEnds) {
    ImageViewDragAndDrop view;
    view.setEditable(true);
    view.resize(120, 90);
    view.show();
    PaintCounter paints;
    view.installEventFilter(&paints);
    QCoreApplication::processEvents();
    // What the screen shows once the view has painted what it asked to.
    const auto framed = [&] {
        const int before = paints.count;
        QCoreApplication::processEvents();
        EXPECT_GT(paints.count, before) << "not repainted";
        return view.grab().toImage().pixelColor(2, 2) == QColor(Qt::gray);
    };
    QMimeData image;
    image.setImageData(picture(40, 30));
    QMimeData unreadable;
    unreadable.setData(QStringLiteral("image/png"), "no picture");
    const QPoint middle = view.rect().center();
    const struct {
        const char *what;
        const QMimeData *data;
        bool drops;
        bool taken;
    } drags[] = {
        {"left", &image, false, false},
        {"dropped", &image, true, true},
        {"unreadable, dropped", &unreadable, true, false},
    };
    for (const auto &drag : drags) {
        SCOPED_TRACE(drag.what);
        QDragEnterEvent enter(middle, Qt::CopyAction, drag.data, Qt::LeftButton, {});
        QApplication::sendEvent(&view, &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_TRUE(view.highlight());
        EXPECT_TRUE(framed());
        if (drag.drops) {
            QDropEvent drop(QPointF(middle), Qt::CopyAction, drag.data, Qt::LeftButton, {});
            QApplication::sendEvent(&view, &drop);
            EXPECT_EQ(drop.isAccepted(), drag.taken);
        } else {
            QDragLeaveEvent leave;
            QApplication::sendEvent(&view, &leave);
        }
        EXPECT_FALSE(view.highlight());
        EXPECT_FALSE(framed());
    }
    // A drag it refuses never frames it.
    QMimeData text;
    text.setText(QStringLiteral("words"));
    QDragEnterEvent enter(middle, Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(view.highlight());
}

} // namespace
