#pragma once

#include "contacts_table/SubContactRow.h"

#include <QList>

#include <atomic>
#include <optional>

// Row building and sorting of the contacts table, apart from the widgets. Building reads
// contacts only through QMPerson's getters, so it may run on worker threads while the
// main thread waits.
namespace SubContactRows {

struct BuildContext {
    QStringList identifiers;    // the shown columns in display order
    QStringList selectedLabels; // "All" first: no filter
    QList<CustomItemDefinition> customItems;
    bool showCompanyInNameCell = false;
};

// The rows of one contact: row 0 always, then one row for each further position at which
// some shown multi-valued column has a value passing the label filter, ascending.
SubContactTable createSubContactsFromContact(const ContactEntry &entry, const BuildContext &context);

// How many threads a build, or the sort of a large table, shares its work among: one per
// core, two to eight.
int workerCount();

// The rows of every entry not marked deleted, in contact-table order, built in workerCount()
// slices on worker threads. A slice still running at the deadline is stopped and its rows
// left out (logged); `complete` tells whether every slice finished.
SubContactTable buildRows(const ContactTable &table, const BuildContext &context, int deadlineMilliseconds,
                          bool *complete = nullptr);

// Missing dates go last in both directions.
int compareDateComponents(const std::optional<DateComponents> &a, const std::optional<DateComponents> &b,
                          bool ascending);

// Sorts in place by the descriptor with the program's comparator (empty values last in
// both directions, ties in build order: contact-table position, then labelIndex); then
// marks continuation rows and sets numLines. A large table is sorted on worker threads, each
// contact's values read by one of them only.
void sortSubContactTable(SubContactTable &rows, const std::optional<SortDescriptor> &descriptor,
                         const QStringList &selectedLabels, const QList<CustomItemDefinition> &customItems);
// Marks each row whose contact is also the one above, and sets each row's numLines.
// Answers the rows whose marks changed.
std::vector<size_t> markContinuationRows(SubContactTable &rows);
// Where a row goes among rows sorted as sortSubContactTable sorts them, so that one
// contact's rows made again take their places without sorting the others.
size_t sortedPlace(const SubContactTable &rows, SubContactRow &row, const std::optional<SortDescriptor> &descriptor,
                   const QStringList &selectedLabels, const QList<CustomItemDefinition> &customItems);

// The text a row shows in a column, as the row height counts lines.
QString columnText(SubContactRow &row, const QString &identifier,
                   const QList<CustomItemDefinition> &customItems);

} // namespace SubContactRows
