#include "platform/contacts/CNContactVCardSerialization.h"

#include "platform/core/Localization.h"

QList<CNContact> CNContactVCardSerialization::contactsWithData(const QByteArray &, QString *error) {
    if (error)
        *error = L("The vCard reader is not available yet.");
    return {};
}

QByteArray CNContactVCardSerialization::dataWithContacts(const QList<CNContact> &, QString *error) {
    if (error)
        *error = L("The vCard writer is not available yet.");
    return {};
}
