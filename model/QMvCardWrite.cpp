// Contacts into vCard text: the serializer's card with the program's own lines.
#include "model/QMvCard.h"
#include "model/VCardText.h"

#include "platform/contacts/VCardSyntax.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QSet>

namespace {

const QString crlf = QStringLiteral("\r\n");

bool isJpeg(const QByteArray &data) {
    return data.size() > 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 && uchar(data[2]) == 0xFF;
}

// The first line is 75 characters ("PHOTO;ENCODING=b;TYPE=JPEG:" and 48 of Base64);
// each continuation is a blank and 74 characters.
QString photoLines(const QByteArray &image, const QByteArray &type = "JPEG") {
    if (image.isEmpty())
        return {};
    const QString base64 = QString::fromLatin1(image.toBase64());
    QString lines;
    lines.reserve(base64.size() + base64.size() / 74 * 3 + 40);
    lines += QStringLiteral("PHOTO;ENCODING=b");
    if (!type.isEmpty())
        lines += QStringLiteral(";TYPE=") + QString::fromLatin1(type);
    lines += u':';
    const qsizetype first = 75 - lines.size();
    lines += QStringView(base64).left(first);
    lines += crlf;
    for (qsizetype at = first; at < base64.size(); at += 74) {
        lines += u' ';
        lines += QStringView(base64).mid(at, 74);
        lines += crlf;
    }
    return lines;
}

QList<CustomItemDefinition> definitionsToWrite(const std::optional<QList<CustomItemDefinition>> &given) {
    return given ? *given : QMPerson::customItemsForVCard().value_or(QList<CustomItemDefinition>());
}

// The X- lines of the person's custom items named by the definitions, each name once and
// in the person's own kind of that item.
QString customLines(QMPerson &person, const QList<CustomItemDefinition> &definitions, bool emptyValuesToo) {
    QString lines;
    QSet<QString> written;
    for (const CustomItemDefinition &definition : definitions) {
        if (definition.deleted || written.contains(definition.name))
            continue;
        written.insert(definition.name);
        const QString name = definition.name;
        const QString type = person.typeForIdentifier(name);
        if (type == ValueKind::Labeled) {
            for (const LabeledValueRecord &record :
                 person.labeledValueForIdentifier(name).value_or(LabeledValueList())) {
                if (record.stringValue.isEmpty() && !emptyValuesToo)
                    continue;
                lines += QStringLiteral("X-") + name + QStringLiteral(";type=") +
                         QString::fromUtf8(VCardSyntax::parameterValue(record.labelText())) + u':' +
                         VCardText::escaped(record.stringValue) + crlf;
            }
        } else if (type == ValueKind::String) {
            const QString value = person.stringValueForIdentifier(name);
            if (!value.isEmpty() || emptyValuesToo)
                lines += QStringLiteral("X-") + name + u':' + VCardText::escaped(value) + crlf;
        }
    }
    return lines;
}

QString categoriesLine(const QStringList &groupNames) {
    QStringList escaped;
    for (const QString &name : groupNames)
        escaped.append(VCardText::escaped(name));
    const QString joined = escaped.join(u',');
    return joined.isEmpty() ? QString() : QStringLiteral("CATEGORIES:") + joined + crlf;
}

} // namespace

QByteArray QMvCard::jpegDataFromImage(const QImage &image) {
    if (image.isNull())
        return {};
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    // JPEG has no alpha: a transparent photo is laid on white, not on black.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    if (!opaque.save(&buffer, "JPEG", 90))
        return {};
    return jpeg;
}

QString QMvCard::encodeVCardPhoto(const QImage &image) {
    return photoLines(jpegDataFromImage(image));
}

namespace {

// JPEG bytes as they are; other pictures as JPEG when `toJpeg`, else as they are with their
// type; data that cannot be decoded, or is too large to be, as it is, so that an export never
// drops a photo.
QString photoLinesOf(const QByteArray &imageData, bool toJpeg) {
    if (isJpeg(imageData))
        return photoLines(imageData);
    // Decoded as every photo is, under the same guards against crafted data.
    if (toJpeg)
        if (const QString lines = QMvCard::encodeVCardPhoto(QMPerson::decodePhoto(imageData)); !lines.isEmpty())
            return lines;
    QBuffer buffer;
    buffer.setData(imageData);
    buffer.open(QIODevice::ReadOnly);
    return photoLines(imageData, QImageReader::imageFormat(&buffer).toUpper());
}

} // namespace

QString QMvCard::encodeVCardPhoto(const QByteArray &imageData) {
    return photoLinesOf(imageData, true);
}

QString QMvCard::encodeVCardPhotoAsRead(const QByteArray &imageData) {
    return photoLinesOf(imageData, false);
}

void QMvCard::appendCard(QString &text, QMPerson &person, const QStringList &options,
                         const QStringList &groupNames,
                         const std::optional<QList<CustomItemDefinition>> &customItems, bool forEntry) const {
    const QByteArray data = person.vCardData();
    // Every line goes just before END:VCARD, in the order added. The serializer writes one
    // card: its END is the last.
    const qsizetype end = data.lastIndexOf("\r\nEND:VCARD");
    if (end < 0) {
        text += QString::fromUtf8(data);
        return;
    }
    text += QString::fromUtf8(data.constData(), end + 2);
    if (options.contains(VCardOption::Note)) {
        const QString note = VCardText::escaped(person.stringValueForIdentifier(FieldId::Note));
        if (!note.isEmpty())
            text += QStringLiteral("NOTE:") + note + crlf;
    }
    if (forEntry && options.contains(VCardOption::Ruradu)) {
        const QString ruradu = VCardText::escaped(person.stringValueForIdentifier(QStringLiteral("Ruradu")));
        if (!ruradu.isEmpty())
            text += QStringLiteral("X-RURADU:") + ruradu + crlf;
    }
    if (forEntry && options.contains(VCardOption::HagakiLayout)) {
        const FieldValue layouts = person.valueForIdentifier(QStringLiteral("HagakiLayout"));
        QString joined;
        if (const auto *list = layouts.get<LabeledValueList>()) {
            for (const LabeledValueRecord &record : *list)
                joined += VCardText::escaped(record.stringValue) + QStringLiteral("\\n");
        } else if (!layouts.text().isEmpty()) {
            joined = VCardText::escaped(layouts.text()) + QStringLiteral("\\n");
        }
        if (!joined.isEmpty())
            text += QStringLiteral("X-HAGAKILAYOUTS:") + joined + crlf;
    }
    if (options.contains(VCardOption::Photo)) {
        // A photo the user did not change goes out as the file had it (a PNG stays lossless
        // and keeps its transparency); a changed one as JPEG.
        const QByteArray image = person.photoData();
        if (!image.isEmpty())
            text += person.photoIsAsRead() ? encodeVCardPhotoAsRead(image) : encodeVCardPhoto(image);
    }
    if (forEntry || options.contains(VCardOption::Custom))
        text += customLines(person, definitionsToWrite(customItems), forEntry);
    if (!forEntry)
        text += categoriesLine(groupNames);
    text += QString::fromUtf8(data.constData() + end + 2, data.size() - end - 2);
}

QString QMvCard::vCardFromPerson(QMPerson &person, const QStringList &options, const QStringList &groupNames,
                                 const std::optional<QList<CustomItemDefinition>> &customItems) const {
    QString text;
    appendCard(text, person, options, groupNames, customItems, false);
    return text;
}

QString QMvCard::vCardFromContact(const ContactEntry &contact, const QStringList &options,
                                  const std::optional<QList<CustomItemDefinition>> &customItems) const {
    if (!contact.person)
        return {};
    QString text;
    appendCard(text, *contact.person, options, {}, customItems, true);
    return text;
}

QHash<QString, QStringList> QMvCard::groupNamesByContact(const ContainerRecord *container) {
    QHash<QString, QStringList> groupNames;
    if (!container)
        return groupNames;
    for (const SharedGroup &group : container->groups) {
        if (group->top || group->deleted)
            continue;
        for (const ContactEntry &entry : std::as_const(*group->contactTable)) {
            if (entry.deleted)
                continue;
            QStringList &names = groupNames[entry.uniqueId];
            if (!names.contains(group->name))
                names.append(group->name);
        }
    }
    return groupNames;
}

std::optional<QString>
QMvCard::vCardsFromContacts(const ContactTable &contacts, const QStringList &options,
                            const ContainerRecord *container, const ProgressHandler &progressHandler,
                            const std::optional<QList<CustomItemDefinition>> &customItems) const {
    return vCardsFromContacts(contacts, options, groupNamesByContact(container), progressHandler, customItems);
}

std::optional<QString>
QMvCard::vCardsFromContacts(const ContactTable &contacts, const QStringList &options,
                            const QHash<QString, QStringList> &groupNames, const ProgressHandler &progressHandler,
                            const std::optional<QList<CustomItemDefinition>> &customItems) const {
    const QList<CustomItemDefinition> definitions = definitionsToWrite(customItems);
    QString text;
    text.reserve(contacts.size() * 512);
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        const ContactEntry &entry = contacts[i];
        if (entry.person)
            appendCard(text, *entry.person, options, groupNames.value(entry.uniqueId), definitions, false);
        if (progressHandler) {
            bool stop = false;
            progressHandler(&stop, quint64(i));
            if (stop)
                return std::nullopt;
        }
    }
    return text;
}

QString QMvCard::vCardsFromContacts(const ContactTable &contacts, const QStringList &options, bool) const {
    QString text;
    for (const ContactEntry &entry : contacts)
        text += vCardFromContact(entry, options);
    return text;
}
