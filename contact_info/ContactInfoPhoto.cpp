// The photo of the shown contact: replaced by a picture dropped on the Photo row or chosen
// in the open panel, removed, and the Photo row made taller or shorter.
#include "contact_info/ContactInfoController.h"

#include "editors/PhotoScaling.h"
#include "model/QMPerson.h"
#include "platform/ui/Pasteboard.h"

#include <QDropEvent>
#include <QImageReader>

namespace {

constexpr qint64 minimumIconRowCount = 1;
constexpr qint64 maximumIconRowCount = 20;

// The first dropped file that reads as a picture.
QString imageFileOf(const Pasteboard &info) {
    for (const QUrl &url : info.fileURLs()) {
        QImageReader reader(url.toLocalFile());
        if (reader.canRead())
            return url.toLocalFile();
    }
    return {};
}

QImage droppedImage(const Pasteboard &info) {
    const QImage image = info.image();
    if (!image.isNull())
        return image;
    const QString file = imageFileOf(info);
    if (file.isEmpty())
        return {};
    QImageReader reader(file);
    reader.setAutoTransform(true);
    return reader.read();
}

} // namespace

int ContactInfoController::photoRow() const {
    for (int row = 0; row < table_.size(); ++row)
        if (table_.at(row).type == FieldId::Photo)
            return row;
    return -1;
}

void ContactInfoController::imageDidChange(const QImage &image) {
    const auto shown = person();
    if (image.isNull() || !shown || !delegate_ || !editState())
        return;
    if (delegate_->undoReplacePhoto(PhotoScaling::scaleToLimit(image), shown))
        sendContactDidUpdate();
}

void ContactInfoController::addImage(QObject *) {
    const auto shown = person();
    if (!shown || !delegate_ || !editState())
        return;
    if (popoverCells_ && photoRow() >= 0)
        selectRows({photoRow()});
    // Asked from the table, so that inside the contact popover the panel belongs to it.
    const auto image = PhotoScaling::chooseImage(tableView_);
    // The contact asked for, even if the panel shows another one by now; not when it was
    // locked while the panel was up.
    if (image && editState() && delegate_->undoReplacePhoto(*image, shown) && shown == person())
        sendContactDidUpdate();
}

void ContactInfoController::deleteImage(QObject *) {
    const auto shown = person();
    if (!shown || !delegate_ || !editState())
        return;
    if (!popoverCells_ && photoRow() >= 0)
        selectRows({photoRow()});
    if (delegate_->undoReplacePhoto(FieldValue(), shown))
        sendContactDidUpdate();
}

void ContactInfoController::iconSizeBigger(QObject *) {
    iconRowCount_ = std::clamp(iconRowCount_ + 1, minimumIconRowCount, maximumIconRowCount);
    reloadKeepingSelection(false);
}

void ContactInfoController::iconSizeSmaller(QObject *) {
    iconRowCount_ = std::clamp(iconRowCount_ - 1, minimumIconRowCount, maximumIconRowCount);
    reloadKeepingSelection(false);
}

// ---- Drops on the Photo row

bool ContactInfoController::validatePhotoRowDrop(int row, const Pasteboard &info) const {
    if (!editState() || !delegate_ || !contact_ || row < 0 || row >= table_.size() ||
        table_.at(row).type != FieldId::Photo || info.isFromView(tableView_))
        return false;
    return info.types().contains(PasteboardType::PNG) || !imageFileOf(info).isEmpty();
}

bool ContactInfoController::acceptPhotoRowDrop(int row, const Pasteboard &info) {
    if (!validatePhotoRowDrop(row, info))
        return false;
    const QImage image = droppedImage(info);
    if (image.isNull())
        return false;
    imageDidChange(image);
    return true;
}
