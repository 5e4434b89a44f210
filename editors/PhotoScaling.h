#pragma once

#include <QImage>
#include <QSize>

#include <functional>
#include <optional>

class QWidget;

// The one rule for pictures that become a contact's photo, shared by every place that sets
// one (the detail panel, the contact popover, the merge sheet, the name editor): at most
// `sizeLimit` on the longer side, the proportions kept.
namespace PhotoScaling {

constexpr int sizeLimit = 512;
constexpr int scalingWaitMilliseconds = 2000;

// Within the limit a size stays as it is; otherwise the longer side becomes the limit.
QSize limitedSize(QSize size);
// The picture drawn at the new size with smooth filtering; null for a null picture.
QImage imageResize(const QImage &image, QSize newSize);
// The picture within the limit, scaled at once on the calling thread.
QImage scaledToLimit(const QImage &image);

using Scaler = std::function<QImage(const QImage &)>;
// The picture within the limit, scaled on a worker while the caller waits at most `wait`
// milliseconds; when the wait ends first, the picture as given. A result that comes after
// the wait is dropped. `scaler` stands in for scaledToLimit (tests slow it down).
QImage scaleToLimit(const QImage &image, int wait = scalingWaitMilliseconds, const Scaler &scaler = {});

// Asks for one picture file in the open panel and reads it, within the limit. None when
// the panel is cancelled, or when the file is no picture (an alert has then said so).
std::optional<QImage> chooseImage(QWidget *window);

} // namespace PhotoScaling
