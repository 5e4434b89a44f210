#pragma once

#include "model/QMPerson.h"

// The fields behind the contacts table's columns.
namespace RowValues {

inline bool isAddressPart(const QString &identifier) {
    return QMPerson::addressIdentifiers().contains(identifier);
}

// The field whose values a column shows: "Address" for an address part.
inline QString fieldOf(const QString &identifier) {
    return isAddressPart(identifier) ? FieldId::Address : identifier;
}

// Whether a column's text may hold lines: a note, and an address's parts (a street of two
// lines). A phone, an e-mail address or a URL never takes a line break.
inline bool takesLineBreaks(const QString &identifier) {
    return identifier == FieldId::Note || isAddressPart(identifier);
}

} // namespace RowValues
