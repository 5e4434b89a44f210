#pragma once

#include "find/FindPattern.h"
#include "find/FindResultRow.h"
#include "find/FindSnapshot.h"

#include <QStringList>

// What one search of the find window looks for, taken from the window when it starts.
struct FindQuery {
    FindPattern pattern;
    QStringList items;    // field identifiers, address parts or custom item names, in order
    QStringList subItems; // ["All"] or the chosen sub-items
    QStringList labels;   // ["All"] or the chosen label words
};

namespace FindMatcher {

inline const QString All = QStringLiteral("All");

// The items a search goes through: the built-in fields when the selection is "All" (so
// custom items and the address-part items only when picked), else the selection in order.
QStringList itemsToSearch(const QStringList &selectedItems);

// The rows of one contact: for each item in order, every value that holds the pattern and
// passes the sub-item and label filters as the item's kind has them. `position` is the
// contact's place in the snapshot. Reads the texts only.
FindResultRows searchString(FindPattern &pattern, const ContactTexts &contact, qsizetype position,
                            const QStringList &items, const QStringList &subItems, const QStringList &labels);

} // namespace FindMatcher
