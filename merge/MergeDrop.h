#pragma once

#include "merge/MergeRows.h"
#include "platform/ui/TableRowDragDrop.h"

#include <QByteArray>
#include <QString>

#include <memory>

class MergeEdits;
class QMPerson;

// Carrying values between the two contacts of the merge sheet. The sheet's tables call
// these with what a drag and a drop give; tests call them without a real drag.

// On a row, or above it: the tables' drop positions.
using MergeDropPosition = TableViewDropOperation;

// What a drag of a row puts on the pasteboard: "label: text" for a value, the stored
// bytes for the photo. A row without either starts no drag.
struct MergeDragContent {
    QString text;
    QByteArray photo;
    bool isEmpty() const { return text.isEmpty() && photo.isEmpty(); }
};
MergeDragContent mergeDragContent(const MergeRow &row, QMPerson &person, const QList<CustomItemDefinition> &customItems);

// Whether a row dragged from the sheet's other table may be dropped on (or above) row
// `row` of the target table: only while editing, only onto a row of the same field, and
// for a labeled field only onto a value or its first placeholder; other fields take
// drops only on their row.
bool validateMergeDrop(bool editing, bool fromOtherTable, const MergeRow &dragged, const MergeTable &target,
                       int row, MergeDropPosition position, QMPerson &targetContact,
                       const QList<CustomItemDefinition> &customItems);

// Applies a validated drop as one undo step: a copy sets the target's value, a move also
// clears the source's. Dropped above a labeled row or on a placeholder, the value is added
// to the target's list; on a value, it replaces that value. Answers whether a contact
// changed; a drop that changes nothing leaves no undo step. The rows are taken by value:
// the sheet rebuilds its rows after each change.
bool acceptMergeDrop(MergeEdits &edits, MergeRow dragged, MergeRow target, MergeDropPosition position,
                     bool copy, const std::shared_ptr<QMPerson> &source, const std::shared_ptr<QMPerson> &targetContact);
