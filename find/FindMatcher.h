#pragma once

#include "find/FindPattern.h"
#include "find/FindResultRow.h"
#include "find/FindSnapshot.h"

#include <QList>
#include <QSet>
#include <QStringList>

// What one search of the find window looks for, taken from the window when it starts.
struct FindQuery {
    FindPattern pattern;
    QStringList items;    // field identifiers, address parts or custom item names, in order
    QStringList subItems; // ["All"] or the chosen sub-items
    QStringList labels;   // ["All"] or the chosen label words
};

// The query's items and filters in the words of one snapshot, made once per search and
// then shared by its workers: for each item in order, every value that holds the pattern
// and passes the sub-item and label filters as the item's kind has them.
class FindMatcher {
public:
    static inline const QString All = QStringLiteral("All");

    // The items a search goes through: the built-in fields when the selection is "All" (so
    // custom items and the address-part items only when picked), else the selection.
    static QStringList itemsToSearch(const QStringList &selectedItems);

    FindMatcher(const FindQuery &query, const FindSnapshot &snapshot);

    // The rows of the contact at `position` of the snapshot. Reads the snapshot only.
    FindResultRows searchString(FindPattern &pattern, qsizetype position) const;

private:
    enum class Rule {
        Parts,          // names: each part passes the sub-items; labels must be "All"
        PartsAndLabels, // addresses and instant messages: parts (services) and labels pass
        OnePart,        // an address part: that part of each address, its label passes
        Values,         // other multi-valued fields: sub-items must be "All", labels pass
        Text,           // single texts: sub-items and labels must be "All"
    };
    struct Item {
        quint32 field = 0;
        quint32 part = 0;
        QString reported; // "Address" for the address-part items
    };
    bool passes(const Item &item, const FindText &text) const;
    Rule ruleFor(const Item &item, const FindText &text) const;

    const FindSnapshot &snapshot_;
    QList<Item> items_;
    bool allSubItems_ = true;
    bool allLabels_ = true;
    QSet<quint32> subItems_;
    QSet<quint32> labels_;
    quint32 address_ = FindWords::missing;
    QSet<quint32> partsFields_; // "Name" and "Phonetic Name"
    quint32 instantMessage_ = FindWords::missing;
};
