#include "platform/contacts/CNContactVCardSerialization.h"

#include "platform/contacts/VCardMapping.h"

QList<CNContact> CNContactVCardSerialization::contactsWithData(const QByteArray &data, QString *error,
                                                               VCardReadDetails *details) {
    return VCardReader::read(data, error, details);
}

QByteArray CNContactVCardSerialization::dataWithContacts(const QList<CNContact> &contacts, QString *error) {
    if (error)
        error->clear();
    QByteArray out;
    out.reserve(contacts.size() * 512);
    const CNContactSortOrder sortOrder = CNContactsUserDefaults::sharedDefaults().sortOrder();
    for (const CNContact &contact : contacts)
        VCardWriter::append(out, contact, sortOrder);
    return out;
}
