#pragma once

#include "platform/contacts/CNContact.h"

#include <QStringList>

#include <optional>

// There is no system contact store here: file documents never query it, and a fetch by
// identifier finds nothing.
class CNContactStore {
public:
    std::optional<CNContact> unifiedContactWithIdentifier(const QString &identifier,
                                                          const QStringList &keysToFetch,
                                                          QString *error = nullptr) const;
};
