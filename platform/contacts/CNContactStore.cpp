#include "platform/contacts/CNContactStore.h"

#include "platform/core/Localization.h"

std::optional<CNContact> CNContactStore::unifiedContactWithIdentifier(const QString &, const QStringList &,
                                                                      QString *error) const {
    if (error)
        *error = L("No contact store is available.");
    return std::nullopt;
}
