#pragma once

#include "contacts_table/SubContactRow.h"
#include "model/QMPerson.h"

#include <optional>

// What a row of the contacts table shows of a field: the value at the row's position.
namespace RowValues {

inline bool isAddressPart(const QString &identifier) {
    return QMPerson::addressIdentifiers().contains(identifier);
}

// The field whose values a column shows: "Address" for an address part.
inline QString fieldOf(const QString &identifier) {
    return isAddressPart(identifier) ? FieldId::Address : identifier;
}

inline std::optional<LabeledValueRecord> valueAtRow(const SubContactRow &row, const QString &identifier) {
    return row.person->labeledValueForIdentifier(fieldOf(identifier), qsizetype(row.labelIndex));
}

} // namespace RowValues
