#pragma once

// The round trip a document's contacts make when they are exported and opened again:
// read a vCard text, export every contact with all of the program's own lines, read that
// text. What the second read gives must be what the first gave. The fuzzer checks it on
// any input, the model tests on every sample file.

#include "model/QMvCard.h"

namespace VCardRoundTrip {

inline const QStringList &exportOptions() {
    static const QStringList options = {VCardOption::Photo, VCardOption::Note, VCardOption::Custom,
                                        VCardOption::Categories};
    return options;
}

// Where two reads of the same contacts differ, or the empty text.
inline QString difference(const ContainerRecord &before, const ContainerRecord &after) {
    if (after.groups.size() != before.groups.size())
        return QStringLiteral("%1 groups became %2").arg(before.groups.size()).arg(after.groups.size());
    for (qsizetype g = 0; g < before.groups.size(); ++g) {
        if (after.groups[g]->name != before.groups[g]->name ||
            after.groups[g]->contactTable->size() != before.groups[g]->contactTable->size())
            return QStringLiteral("group \"%1\" became \"%2\"")
                .arg(before.groups[g]->name, after.groups[g]->name);
    }
    const ContactTable &first = *QMvCard::contactsInContainer(before);
    const ContactTable &second = *QMvCard::contactsInContainer(after);
    for (qsizetype i = 0; i < first.size(); ++i) {
        QMPerson &was = *first[i].person;
        QMPerson &is = *second[i].person;
        CNContact a = was.contactFromCache();
        CNContact b = is.contactFromCache();
        // A photo nobody changed goes out with its own bytes.
        if (was.photoData() != is.photoData())
            return QStringLiteral("contact %1: the photo changed").arg(i);
        a.imageData = b.imageData = a.thumbnailImageData = b.thumbnailImageData = QByteArray();
        if (!a.hasSameFields(b))
            return QStringLiteral("contact %1: the fields changed").arg(i);
        // The export writes the items in the order of the document's list.
        QStringList wasItems = was.customIdentifiers(), isItems = is.customIdentifiers();
        wasItems.sort();
        isItems.sort();
        if (isItems != wasItems)
            return QStringLiteral("contact %1: custom items %2 became %3")
                .arg(i)
                .arg(wasItems.join(u','), isItems.join(u','));
        for (const QString &item : was.customIdentifiers()) {
            if (is.customItemForIdentifier(item) != was.customItemForIdentifier(item) ||
                is.customValueForIdentifier(item) != was.customValueForIdentifier(item))
                return QStringLiteral("contact %1: custom item \"%2\" changed").arg(i).arg(item);
        }
    }
    return {};
}

// The first read with what it left out, the exported text and the second read.
struct Trip {
    std::shared_ptr<ContainerTable> first;
    VCardLeftOut leftOut;
    QString exported;
    std::shared_ptr<ContainerTable> second;
};

inline Trip travel(const QString &text) {
    Trip trip;
    trip.first = QMvCard().containersFromVCards(text, nullptr, {}, &trip.leftOut);
    const ContainerRecord &container = trip.first->first();
    const ContactTable &contacts = *QMvCard::contactsInContainer(container);
    QList<CustomItemDefinition> items;
    for (const ContactEntry &entry : contacts)
        items += entry.person->customItems();
    trip.exported =
        QMvCard().vCardsFromContacts(contacts, exportOptions(), &container, {}, items).value_or(QString());
    trip.second = QMvCard().containersFromVCards(trip.exported);
    return trip;
}

} // namespace VCardRoundTrip
