#pragma once

#include "find/FindPattern.h"
#include "model/ContactContainers.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// One matching value of the find window. A search makes the rows; the window changes a row's
// value and ranges in place when it writes the value back, so rows are shared records: the
// undo steps and an open date editor hold on to the very row they were made for.
struct FindResultRow {
    QString name;                    // the contact's display name at search time
    QString item;                    // the field identifier ("Address" also for an address part)
    QString subItem;                 // the part searched, or empty
    QString label;                   // the value's label word (multi-valued fields), or empty
    std::optional<qint64> index;     // the value's position in its field (multi-valued fields)
    QString value;                   // the text searched
    TextRanges ranges;               // where the search text occurs in the value
    ContactEntry contact;            // whose person holds the value
    qsizetype snapshotPosition = -1; // where the contact's texts stand in the window's snapshot
    qint32 lines = 1;                // lines of the value, kept with it

    // Birthday and dates rows change only through the date editor.
    bool isDateRow() const { return item == FieldId::Birthday || item == FieldId::Dates; }
    void setValue(const QString &text) {
        value = text;
        lines = lineCountOf(text);
    }
    // Lines of a text, split at every newline character.
    static qint32 lineCountOf(const QString &text);
};
using FindResultRowPtr = std::shared_ptr<FindResultRow>;
using FindResultRows = QList<FindResultRowPtr>;

// A search's rows and the positions of those of several lines, found off the main thread
// (the table gives only those a height of their own).
struct FindSearchResult {
    FindResultRows rows;
    QList<qsizetype> tallRows;
};
