// The photo and the contact's custom items.
#include "model/QMPerson.h"

#include "platform/core/Log.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

namespace {

QImage drawnPlaceholder(bool person) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x9a, 0x9a, 0x9e));
    if (person) {
        painter.drawEllipse(QRectF(20, 8, 24, 24));
        painter.drawChord(QRectF(8, 36, 48, 44), 0, 180 * 16);
    } else {
        painter.drawRect(QRectF(12, 14, 24, 44));
        painter.drawRect(QRectF(36, 28, 16, 30));
        painter.setBrush(Qt::white);
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 2; ++column)
                painter.drawRect(QRectF(16 + column * 10, 18 + row * 10, 6, 6));
    }
    return image;
}

} // namespace

bool QMPerson::photoClaimsMoreThanItHolds(const QByteArray &data) {
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (!data.startsWith(signature))
        return false;
    // Chunks: length, type, data, check sum.
    for (qsizetype at = signature.size(); data.size() - at >= 8;) {
        const qint64 length = qFromBigEndian<quint32>(data.constData() + at);
        if (QByteArrayView(data.constData() + at + 4, 4) == "IEND")
            return false;
        if (length + 12 > data.size() - at)
            return true;
        at += length + 12;
    }
    return false;
}

// Photo data comes from files: an image that claims more pixels than any photo needs is
// not decoded, so a crafted file cannot make a thread allocate gigabytes. Below that, a
// reader that knows the size decodes straight to the box (JPEG scales while decoding, PNG
// row by row), so a 5700 x 5700 photo shown at 24 pixels never takes 130 MB.
QImage QMPerson::decodePhoto(const QByteArray &data, QSize box) {
    if (data.isEmpty())
        return {};
    if (photoClaimsMoreThanItHolds(data)) {
        logError("-[QMPerson photo]", QStringLiteral("image data that claims more than it holds not decoded"));
        return {};
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maximumDecodedPixels) {
        logError("-[QMPerson photo]",
                 QStringLiteral("image of %1 x %2 pixels not decoded").arg(size.width()).arg(size.height()));
        return {};
    }
    if (box.isValid() && size.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    // A reader that could not tell the size beforehand decodes whole; fit it now.
    if (box.isValid() && !image.isNull() && (image.width() > box.width() || image.height() > box.height()))
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage QMPerson::placeholder(bool showAsPerson) {
    static const QImage personImage = drawnPlaceholder(true);
    static const QImage companyImage = drawnPlaceholder(false);
    return showAsPerson ? personImage : companyImage;
}

QImage QMPerson::photo() const {
    QImage image = decodePhoto(imageData_);
    return image.isNull() ? decodePhoto(thumbnailImageData_) : image;
}

QImage QMPerson::thumbnail() const {
    const QSize box(thumbnailSide, thumbnailSide);
    QImage image = decodePhoto(imageData_, box);
    if (image.isNull())
        image = decodePhoto(thumbnailImageData_, box);
    return image.isNull() ? placeholder(showAsPerson_) : image;
}

void QMPerson::setPhotoBytes(const QByteArray &bytes) {
    imageData_ = bytes;
    thumbnailImageData_ = bytes;
    changed_ = true;
}

void QMPerson::setPhoto(const QImage &image) {
    if (image.isNull())
        return setPhotoBytes({});
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        logError("-[QMPerson setPhoto:]",
                 QStringLiteral("the image could not be stored; the photo is unchanged"));
        return;
    }
    setPhotoBytes(png);
}

bool QMPerson::setPhotoData(const QByteArray &data) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader(&buffer).format();
    const QImage image = decodePhoto(data);
    if (image.isNull())
        return false;
    if (format == "jpeg" || format == "png")
        setPhotoBytes(data);
    else
        setPhoto(image);
    return true;
}

// ---- Custom items

qsizetype QMPerson::customItemIndex(const QString &name) const {
    for (qsizetype i = 0; i < customItems_.size(); ++i)
        if (customItems_[i].name == name)
            return i;
    return -1;
}

bool QMPerson::addCustomItem(const QString &type, const QString &name,
                             const std::optional<QStringList> &labels,
                             const std::optional<QByteArray> &imageData) {
    if (isReservedIdentifier(name)) {
        logError("-[QMPerson addCustomItem:name:labels:imageData:]",
                 QStringLiteral("refused custom item \"%1\"").arg(name));
        return false;
    }
    qsizetype index = customItemIndex(name);
    if (index < 0) {
        customItems_.append(CustomItemDefinition());
        index = customItems_.size() - 1;
    }
    CustomItemDefinition &definition = customItems_[index];
    definition.type = type;
    definition.name = name;
    if (type == ValueKind::Labeled) {
        definition.labels = labels.value_or(QStringList());
        for (const QString &label : definition.labels)
            setLabel(QString(), label, name);
    }
    if (imageData)
        definition.imageData = *imageData;
    return true;
}

void QMPerson::changeCustomItem(const CustomItemDefinition &changed) {
    const qsizetype index = customItemIndex(changed.oldName);
    if (index < 0)
        return;
    if (changed.name != changed.oldName && isReservedIdentifier(changed.name)) {
        logError("-[QMPerson changeCustomItem:]", QStringLiteral("refused name \"%1\"").arg(changed.name));
        return;
    }
    CustomItemDefinition &definition = customItems_[index];
    definition.name = changed.name;
    for (const QString &label : changed.labels)
        if (!definition.labels.contains(label))
            definition.labels.append(label);
    if (!changed.imageData.isEmpty())
        definition.imageData = changed.imageData;
}

std::optional<CustomItemDefinition> QMPerson::customItemForIdentifier(const QString &name) const {
    const qsizetype index = customItemIndex(name);
    return index < 0 ? std::nullopt : std::optional<CustomItemDefinition>(customItems_[index]);
}

void QMPerson::deleteCustomItemForName(const QString &name) {
    const qsizetype index = customItemIndex(name);
    if (index < 0)
        return;
    customItems_.removeAt(index);
    items_.remove(name);
}

QStringList QMPerson::customIdentifiers() const {
    QStringList names;
    for (const CustomItemDefinition &definition : customItems_)
        names.append(definition.name);
    return names;
}

std::optional<CustomItemValue> QMPerson::customValueForIdentifier(const QString &name) {
    const qsizetype index = customItemIndex(name);
    if (index < 0)
        return std::nullopt;
    const auto item = items_.constFind(name);
    if (customItems_[index].type == ValueKind::Labeled) {
        // The cloud fallback store has no counterpart here: it is empty.
        if (item == items_.constEnd()) {
            items_.insert(name, LabeledValueList());
            return LabeledValueList();
        }
        const auto *list = std::get_if<LabeledValueList>(&*item);
        return list ? *list : LabeledValueList();
    }
    if (item == items_.constEnd())
        return QString();
    return FieldValue::fromCustomValue(*item).text();
}

QString QMPerson::stringValueForCustomIdentifier(const QString &name, qsizetype index) const {
    const qsizetype definition = customItemIndex(name);
    if (definition < 0)
        return {};
    const CustomItemValue value = items_.value(name);
    if (customItems_[definition].type == ValueKind::String)
        return FieldValue::fromCustomValue(value).text();
    const auto *list = std::get_if<LabeledValueList>(&value);
    return list && index >= 0 && index < list->size() ? list->at(index).stringValue : QString();
}

void QMPerson::setValueForCustomIdentifier(const QString &text, const QString &name, qsizetype index) {
    const qsizetype definition = customItemIndex(name);
    if (definition < 0)
        return;
    if (customItems_[definition].type == ValueKind::String) {
        items_.insert(name, text);
        return;
    }
    const auto item = items_.find(name);
    auto *list = item != items_.end() ? std::get_if<LabeledValueList>(&*item) : nullptr;
    if (list && index >= 0 && index < list->size())
        (*list)[index].stringValue = text;
}
