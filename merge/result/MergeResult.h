#pragma once

#include "model/PersonRecords.h"

#include <QList>
#include <QString>

class QMPerson;

// What applying a merge result adds to the fields the window's operation compares: the
// custom items. Values moved or typed into the merge sheet's custom items would otherwise
// be lost when the sheet hands its copies back.

// A custom item whose value the merged copy changed.
struct CustomItemChange {
    QString identifier;
    QString kind;     // ValueKind::Labeled or ValueKind::String
    FieldValue value; // the merged copy's value: a list (empty for none) or a text

    friend bool operator==(const CustomItemChange &, const CustomItemChange &) = default;
};

// The custom items (the document's definitions first, then any other either record
// carries) whose values differ between the merged copy and the document's contact. An
// item without values and one with an empty list or text read alike.
QList<CustomItemChange> changedCustomItems(QMPerson &merged, QMPerson &original,
                                           const QList<CustomItemDefinition> &definitions);
