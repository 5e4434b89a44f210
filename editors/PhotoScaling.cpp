#include "editors/PhotoScaling.h"

#include "editors/PictureChoice.h"
#include "platform/core/Dispatch.h"

#include <memory>
#include <mutex>

QSize PhotoScaling::limitedSize(QSize size) {
    const int w = size.width();
    const int h = size.height();
    if (w <= sizeLimit && h <= sizeLimit)
        return size;
    if (w > h)
        return {sizeLimit, qMax(1, qRound(double(sizeLimit) * h / w))};
    return {qMax(1, qRound(double(sizeLimit) * w / h)), sizeLimit};
}

QImage PhotoScaling::imageResize(const QImage &image, QSize newSize) {
    if (image.isNull() || newSize.isEmpty())
        return {};
    return image.scaled(newSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage PhotoScaling::scaledToLimit(const QImage &image) {
    const QSize size = limitedSize(image.size());
    return size == image.size() ? image : imageResize(image, size);
}

QImage PhotoScaling::scaleToLimit(const QImage &image, int wait, const Scaler &scaler) {
    if (image.isNull() || limitedSize(image.size()) == image.size())
        return image;
    // The worker may finish after the caller has stopped waiting: it then writes into a
    // slot nobody reads, which the shared pointer keeps alive until the worker is done.
    struct Slot {
        std::mutex lock;
        QImage result;
        bool abandoned = false;
        DispatchSemaphore done;
    };
    auto slot = std::make_shared<Slot>();
    Dispatch::global([slot, image, scale = scaler ? scaler : Scaler(&scaledToLimit)] {
        QImage scaled = scale(image);
        {
            const std::lock_guard<std::mutex> guard(slot->lock);
            if (!slot->abandoned)
                slot->result = std::move(scaled);
        }
        slot->done.signal();
    });
    const bool finished = slot->done.wait(wait);
    const std::lock_guard<std::mutex> guard(slot->lock);
    slot->abandoned = true;
    return finished && !slot->result.isNull() ? slot->result : image;
}

std::optional<QImage> PhotoScaling::chooseImage(QWidget *window) {
    const QImage image = PictureChoice::choosePicture(window);
    return image.isNull() ? std::nullopt : std::optional<QImage>(scaledToLimit(image));
}
