#pragma once

#include "model/QMvCard.h"

#include <QString>

// Helpers shared by the files of the CSV reader and writer; not for other callers.
namespace QMvCardCsvInternal {

inline const QString home = QStringLiteral("home");
inline const QString work = QStringLiteral("work");
inline const QString other = QStringLiteral("other");
inline const QString mobile = QStringLiteral("mobile");
// The type of a column whose values no field takes.
inline const QString unknownKey = QStringLiteral("Unknown");

// The first value of the list with that label, or nullptr.
LabeledValueRecord *firstWithLabel(LabeledValueList &list, const QString &label);
// A single-text field of the line, replacing what it had.
void setText(CsvContactValues &contact, const QString &identifier, const QString &value);
// A new address of the line with that label, numbered after the others.
LabeledValueRecord &newAddress(CsvContactValues &contact, const QString &label);
// A new value at the end of the list.
void appendValue(LabeledValueList &list, const QString &label, const QString &value);
// A cell of another address book's export: its values are added to what the line has.
void addForeignCell(CsvContactValues &contact, const QString &value, const CsvColumn &column);

} // namespace QMvCardCsvInternal
