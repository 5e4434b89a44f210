#pragma once

#include "model/PersonRecords.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <utility>

// The factory view types (which columns the contacts table shows) and sort options (what
// of a column's value the table sorts by), shared by the window and the contacts table.
namespace ViewTypes {

// Where the tables and the current choice are kept in the user defaults.
inline const QString ViewTypeDictKey = QStringLiteral("QM1DviewTypeDict");
inline const QString SelectedViewTypeKey = QStringLiteral("QM1DselectedViewType");
// The label filter: which labels the table shows ("All" for every label).
inline const QString SelectedLabelsKey = QStringLiteral("QM1DselectedLabels");

struct ViewType {
    QString name;
    QStringList identifiers; // "Name" first
};

// The 13 view types in menu order.
const QList<ViewType> &factoryViewTypes();
// The factory ViewTypeTable as stored under "QM1DviewTypeDict": name to identifier list.
QVariantMap aViewTypeDict();
QMap<QString, QStringList> factoryViewTypeTable();

} // namespace ViewTypes

// A sort order of the contacts table: the key (see
// SortOptions::separateSortKeyIntoIdentifierAndKey) and the direction.
struct SortDescriptor {
    QString key;
    bool ascending = true;
    bool caseSensitive = false;
    friend bool operator==(const SortDescriptor &, const SortDescriptor &) = default;
};

namespace SortOptions {

inline const QString SortOptionsDictKey = QStringLiteral("QM1DsortOptionsDict");
inline const QString SortOptionsDefaultKey = QStringLiteral("QM1DsortOptionsDefault");

struct Entry {
    QString type;
    QStringList items;
    QString selected;
    friend bool operator==(const Entry &, const Entry &) = default;
};

// The factory entries, by column identifier, in the order of the sort options menu.
const QList<Entry> &factoryEntries();
// The SortOptionsTable as stored under "QM1DsortOptionsDict", with an entry for each
// labeled custom item: column identifier to {"type", "items", "selected"}.
QVariantMap factorySortOptionsDict(const QList<CustomItemDefinition> &customItems = {});
// The entry a labeled custom item adds: the item's name and "label".
Entry customItemEntry(const QString &name);
Entry entryFromVariant(const QVariantMap &entry);
QVariantMap entryToVariant(const Entry &entry);

// A sort key split into [field identifier, record key]: "Email domain" is ("Email",
// "domain"), "Note" ("Note", "stringValue"), "<item> label" ("<item>", "label").
std::pair<QString, QString> separateSortKeyIntoIdentifierAndKey(const QString &sortKey);

// The sort key of a column shown with the option `selected`: the option alone for
// "Phonetic Name" and when it is the identifier itself, else "<identifier> <option>".
QString columnSortKey(const QString &identifier, const QString &selected);

// The sort key an option picked in a menu makes: "<type> <option>" for a labeled field or a
// labeled custom item whose option does not name it, the option alone otherwise.
QString sortKeyForOption(const QString &type, const QString &selected, bool labeledCustomItem = false);

} // namespace SortOptions
