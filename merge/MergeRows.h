#pragma once

#include "model/PersonRecords.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QMPerson;

// One row of a merge table. Row k of the left table and row k of the right one always
// show the same field: a labeled field takes as many rows in both tables as the contact
// with more values needs, the other side showing placeholder rows.
struct MergeRow {
    // The field identifier, "Name Ordering", "Name Display", or a custom item's name.
    QString type;
    // The part key of a name row, the untranslated choice of the two name popups, the
    // value's label on labeled rows (empty on placeholders); absent on text-field rows.
    std::optional<QString> label;
    // The empty text on the photo row and on rows of a field without value.
    std::optional<QString> value;
    // Labeled rows: the value's running number (-1 on a placeholder), the row's position
    // among the field's rows, and the contact's number of values minus that position.
    std::optional<qint64> labelIndex;
    std::optional<qsizetype> index;
    std::optional<qint64> valueCount;
    int numLines = 1;

    bool isLabeled() const { return labelIndex.has_value(); }
    bool isPlaceholder() const { return labelIndex && *labelIndex < 0; }
    QString labelText() const { return label.value_or(QString()); }

    friend bool operator==(const MergeRow &, const MergeRow &) = default;
};
using MergeTable = QList<MergeRow>;

namespace MergeRows {

// The fields of both tables in their order, the document's custom items last.
QStringList identifiers(const QList<CustomItemDefinition> &customItems);
// A field's kind: the contact's answer, else the "Type" of the document's item of that name.
QString kindOf(QMPerson &person, const QString &identifier, const QList<CustomItemDefinition> &customItems);
// The number of rows each labeled field takes in both tables: the larger count of values
// of the two contacts, at least 1.
QHash<QString, qsizetype> labeledValueCounts(QMPerson *left, QMPerson *right,
                                             const QList<CustomItemDefinition> &customItems);
// The three name-order choices; the first names the system order of `left`.
QStringList nameOrderingLabels(QMPerson &left);
// The rows of one contact (none without a contact). Registers the labels of its values
// that the field's vocabulary does not know yet.
MergeTable tableFromContact(QMPerson *person, const QHash<QString, qsizetype> &counts,
                            const QList<CustomItemDefinition> &customItems, const QStringList &nameOrderingLabels);
// Text lines a row takes for one contact.
int numberOfLines(const MergeRow &row, QMPerson &person, const QList<CustomItemDefinition> &customItems);

} // namespace MergeRows
