#pragma once

#include "contacts_table/SubContactRow.h"
#include "model/QMPerson.h"

#include <optional>

// The number by which a find match names the value a row shows in a column: the running
// number of the field's value at the row's position (the address's, for an address part),
// which stays the value's after a sort or a deletion; for a single value, shown on a
// contact's first row only, the row's position. None when the row holds no value there.
inline std::optional<qint64> rowValueNumber(const SubContactRow &row, const QString &identifier,
                                            const QList<CustomItemDefinition> &customItems) {
    if (!row.person)
        return std::nullopt;
    const QString field = QMPerson::addressIdentifiers().contains(identifier) ? FieldId::Address : identifier;
    if (row.person->typeForIdentifier(field, customItems) != ValueKind::Labeled)
        return row.labelIndex;
    const std::optional<LabeledValueList> list = row.person->labeledValueForIdentifier(field);
    if (!list || row.labelIndex < 0 || row.labelIndex >= list->size())
        return std::nullopt;
    return list->at(qsizetype(row.labelIndex)).labelIndex;
}
