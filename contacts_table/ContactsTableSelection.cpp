// Keeping the contacts table current after edits (only the rows of the changed contacts are
// rebuilt) and its selection, in rows and in the contacts they show.
#include "contacts_table/ContactsViewController.h"

#include "contacts_table/RowValueNumber.h"
#include "contacts_table/SubContactRows.h"

#include <QHeaderView>

#include <algorithm>

namespace {

// A selected row as a refresh finds it again: by its contact and either the running number
// of the value it shows or its place among the contact's rows.
struct RowIdentity {
    QString uniqueId;
    bool byValue = false;
    qint64 number = 0;
    friend bool operator==(const RowIdentity &, const RowIdentity &) = default;
};

size_t qHash(const RowIdentity &identity, size_t seed = 0) {
    return qHashMulti(seed, identity.uniqueId, identity.byValue, identity.number);
}

// Consecutive rows become one range, so a selection of thousands of rows is a few ranges.
QItemSelection rowRanges(const QAbstractItemModel *model, QList<int> rows) {
    QItemSelection selection;
    std::sort(rows.begin(), rows.end());
    const int lastColumn = std::max(0, model->columnCount() - 1);
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] <= rows[j] + 1)
            ++j;
        selection.select(model->index(rows[i], 0), model->index(rows[j], lastColumn));
        i = j + 1;
    }
    return selection;
}

} // namespace

// ---- Refresh and selection

std::optional<qint64> ContactsViewController::labelIndexInColumn(const SubContactRow &row,
                                                                 const QString &identifier) const {
    const auto value = row.person->labeledValueForIdentifier(identifier, qsizetype(row.labelIndex));
    if (!value)
        return std::nullopt;
    return value->labelIndex;
}

bool ContactsViewController::isMultiValued(const QString &identifier, QMPerson &person) const {
    return person.typeForIdentifier(identifier, customItems()) == ValueKind::Labeled;
}

void ContactsViewController::updateTable() {
    updateTableWithContacts({});
}

void ContactsViewController::updateTableWithContacts(const QList<std::shared_ptr<QMPerson>> &contacts) {
    if (!contactTable_)
        return;
    const QList<int> remembered = selectedRowIndexes();
    const QString sortColumn = sortColumnIdentifier();
    // The selected rows' contacts and, for a multi-valued sort column, their values there;
    // for any other, their places among their contact's rows.
    QHash<QString, QList<std::optional<qint64>>> keys;
    bool multiValued = false;
    if (!subContactTable().empty() && !remembered.isEmpty() && isRow(remembered.last())) {
        for (const int r : remembered) {
            if (!isRow(r))
                continue;
            SubContactRow &row = *subContactTable()[size_t(r)];
            multiValued = multiValued || isMultiValued(sortColumn, *row.person);
            if (isMultiValued(sortColumn, *row.person))
                keys[row.uniqueId].append(labelIndexInColumn(row, sortColumn).value_or(row.labelIndex));
            else
                keys[row.uniqueId].append(row.labelIndex);
        }
    }
    // A few contacts' rows are made again in place; beyond that one rebuild costs less.
    const bool inPlace = !contacts.isEmpty() && contacts.size() <= fewContacts &&
                         std::all_of(contacts.begin(), contacts.end(),
                                     [this](const auto &person) { return replaceRowsOfContact(person); });
    if (!inPlace) {
        updateSubContactTableForIdentifiers(tableIdentfiers());
        subContactTableDirty_ = false;
        reloadData();
    }
    QList<int> chosen;
    // The rows selected before stay selected, not every row of their contacts (an edit in the
    // detail panel leaves the selection as it was); a contact whose selected rows are all
    // gone keeps every row it has left.
    QSet<QString> kept;
    QList<int> rowsLeft;
    const SubContactTable &rows = subContactTable();
    for (int r = 0; r < int(rows.size()); ++r) {
        SubContactRow &row = *rows[size_t(r)];
        const auto key = keys.constFind(row.uniqueId);
        if (key == keys.constEnd())
            continue;
        if (!isMultiValued(sortColumn, *row.person)) {
            if (key->contains(std::optional<qint64>(row.labelIndex))) {
                chosen.append(r);
                kept.insert(row.uniqueId);
            } else {
                rowsLeft.append(r);
            }
            continue;
        }
        const auto own = labelIndexInColumn(row, sortColumn);
        if (own && key->contains(std::optional<qint64>(*own)))
            chosen.append(r);
    }
    for (const int r : std::as_const(rowsLeft))
        if (!kept.contains(rows[size_t(r)]->uniqueId))
            chosen.append(r);
    std::sort(chosen.begin(), chosen.end());
    selectAndScroll(chosen.isEmpty() ? remembered : chosen);
    reportSelectionIfMoved();
    refreshViewsShowingSelection(true);
}

bool ContactsViewController::replaceRowsOfContact(const std::shared_ptr<QMPerson> &person) {
    if (!person || subContactTableDirty_ || pendingRows_ || !model_->hasContacts() || !tableView_)
        return false;
    SubContactTable made;
    for (qsizetype i = 0; i < contactTable_->size(); ++i) {
        const ContactEntry &entry = contactTable_->at(i);
        if (entry.person != person || entry.deleted)
            continue;
        made = createSubContactsFromContact(entry, tableIdentfiers(), selectedLabels());
        for (const SubContactRowPtr &row : made)
            row->contactPosition = i;
        break;
    }
    const QList<int> previous = selectedRowIndexes();
    const std::optional<SortDescriptor> descriptor = currentSortDescriptor();
    ++silentSelection_;
    const std::vector<size_t> changed =
        model_->replaceRowsOfContact(person.get(), made, [&](const SubContactTable &rows, SubContactRow &row) {
            return SubContactRows::sortedPlace(rows, row, descriptor, selectedLabels(), customItems());
        });
    QHeaderView *header = tableView_->verticalHeader();
    for (const size_t row : changed)
        header->resizeSection(int(row), heightOfRow(int(row)));
    --silentSelection_;
    keepSelection(previous);
    return true;
}

void ContactsViewController::updateTableWithIdentifier(const QString &identifier,
                                                       const std::shared_ptr<QMPerson> &contact) {
    if (!contactTable_)
        return;
    QList<int> selection = selectedRowIndexes();
    if (selection.isEmpty())
        selection = {0};
    // Every selected row is found again, so an edit of one contact (from the detail panel
    // with several rows selected too) leaves the selection as it was: a row of the changed
    // contact by the value it shows in the changed column (a sort may have moved it to
    // another of the contact's rows), any other row by its place among its contact's rows.
    const QMPerson *changed = contact.get();
    if (!changed && isRow(selection.first()))
        changed = subContactTable()[size_t(selection.first())]->person.get();
    const bool shown = !identifier.isEmpty() && tableIdentfiers().contains(identifier);
    const auto identity = [&](const SubContactRow &row) {
        if (shown && row.person.get() == changed)
            if (const auto number = rowValueNumber(row, identifier, customItems()))
                return RowIdentity{row.uniqueId, true, *number};
        return RowIdentity{row.uniqueId, false, row.labelIndex};
    };
    QHash<RowIdentity, int> wanted;
    QSet<QString> contacts;
    for (const int r : std::as_const(selection)) {
        if (!isRow(r))
            continue;
        const SubContactRow &row = *subContactTable()[size_t(r)];
        ++wanted[identity(row)];
        contacts.insert(row.uniqueId);
    }
    // Only the changed contact can have moved: its rows alone are made again.
    if (!replaceRowsOfContact(contact)) {
        if (tableIdentfiers().contains(identifier))
            updateSubContactTableForIdentifiers(tableIdentfiers());
        subContactTableDirty_ = false;
        reloadData();
    }
    const SubContactTable &rows = subContactTable();
    QList<int> found;
    for (int r = 0; r < int(rows.size()) && !wanted.isEmpty(); ++r) {
        const auto want = wanted.find(identity(*rows[size_t(r)]));
        if (want == wanted.end())
            continue;
        found.append(r);
        contacts.remove(rows[size_t(r)]->uniqueId);
        if (--*want == 0)
            wanted.erase(want);
    }
    // A contact whose selected rows are gone (its value was deleted) keeps the rows it has
    // left, rather than the selection passing to whichever contact took their places.
    if (!contacts.isEmpty()) {
        for (int r = 0; r < int(rows.size()); ++r)
            if (contacts.contains(rows[size_t(r)]->uniqueId))
                found.append(r);
        std::sort(found.begin(), found.end());
    }
    selectAndScroll(found.isEmpty() ? selection : found);
    reportSelectionIfMoved();
    refreshViewsShowingSelection(false);
}

void ContactsViewController::selectItemAndRange(const std::optional<FindTarget> &match) {
    if (!contactTable_)
        return;
    model_->setShowsCurrentMatch(bool(match));
    if (!match)
        return;
    const FindTarget &target = *match;
    windowState_->setFindTarget(target);
    // The marks follow the window's state; only rows still to be shown need a reload, not
    // a sort of every row.
    if (pendingRows_) {
        subContactTableDirty_ = false;
        reloadData();
    }
    // Only the target's own contact is looked at: its row of that value, else its first row.
    int found = -1;
    const SubContactTable &rows = subContactTable();
    for (int r = 0; r < int(rows.size()); ++r) {
        const SubContactRow &row = *rows[size_t(r)];
        if (row.uniqueId != target.uniqueId)
            continue;
        if (rowValueNumber(row, target.identifier, customItems()) == target.labelIndex) {
            found = r;
            break;
        }
        if (found < 0)
            found = r;
    }
    if (found < 0)
        return;
    const int reports = selectionReports_;
    selectAndScroll({found});
    if (reports == selectionReports_ && delegate_)
        reportSelectedRow(rows[size_t(found)]);
}

void ContactsViewController::selectRowIndexesWithContacts(const QList<ContactEntry> &entries) {
    if (!contactTable_ || contactTable_->isEmpty())
        return;
    QSet<QString> ids;
    for (const ContactEntry &entry : entries)
        ids.insert(entry.uniqueId);
    QList<int> rows;
    const SubContactTable &shown = subContactTable();
    for (int r = 0; r < int(shown.size()); ++r) {
        if (ids.contains(shown[size_t(r)]->uniqueId))
            rows.append(r);
    }
    selectAndScroll(rows);
}

QList<int> ContactsViewController::selectedRowIndexes() const {
    QList<int> rows;
    if (!tableView_)
        return rows;
    for (const QItemSelectionRange &range : tableView_->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            if (isRow(r))
                rows.append(r);
        }
    }
    // Ranges may overlap; every row once, in order.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::optional<int> ContactsViewController::reportedRowAmong(const QList<int> &rows) const {
    if (!reportedRow_ || rows.size() < 2)
        return std::nullopt;
    std::optional<int> sameContact;
    for (const int r : rows) {
        if (!isRow(r))
            continue;
        const SubContactRow &row = *subContactTable()[size_t(r)];
        if (row.uniqueId != reportedRow_->first)
            continue;
        if (row.labelIndex == reportedRow_->second)
            return r;
        if (!sameContact)
            sameContact = r;
    }
    return sameContact;
}

void ContactsViewController::selectRowIndexes(const QList<int> &rows) {
    view();
    QItemSelectionModel *selection = tableView_->selectionModel();
    if (rows.isEmpty()) {
        selection->clearSelection();
        return;
    }
    // The row the delegate shows stays the current one while it is selected, so a refresh
    // that keeps several rows selected leaves the detail panel on its contact.
    const int current = reportedRowAmong(rows).value_or(*std::max_element(rows.begin(), rows.end()));
    selection->setCurrentIndex(model_->index(current, 0), QItemSelectionModel::NoUpdate);
    selection->select(rowRanges(model_, rows),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ContactsViewController::selectAndScroll(const QList<int> &rows) {
    QList<int> valid;
    for (const int r : rows) {
        if (isRow(r))
            valid.append(r);
    }
    if (valid.isEmpty())
        return;
    selectRowIndexes(valid);
    scrollRowToVisible(reportedRowAmong(valid).value_or(valid.first()));
}

int ContactsViewController::selectedRow() const {
    const QModelIndex current = tableView_->selectionModel()->currentIndex();
    if (current.isValid() && tableView_->selectionModel()->isRowSelected(current.row()))
        return current.row();
    const QList<int> rows = selectedRowIndexes();
    return rows.isEmpty() ? -1 : rows.last();
}

void ContactsViewController::scrollRowToVisible(int row) {
    if (row >= 0 && row < model_->rowCount())
        tableView_->scrollTo(model_->index(row, 0));
}

void ContactsViewController::tableViewSelectionDidChange() {
    if (silentSelection_ > 0)
        return;
    const int row = selectedRow();
    if (!isRow(row) || !delegate_)
        return;
    reportSelectedRow(subContactTable()[size_t(row)]);
}

QList<SubContactRowPtr> ContactsViewController::selectedSubContacts() const {
    QList<SubContactRowPtr> rows;
    for (const int r : selectedRowIndexes()) {
        if (isRow(r))
            rows.append(subContactTable()[size_t(r)]);
    }
    return rows;
}

QList<ContactEntry> ContactsViewController::contactsForIndexes(const QList<int> &rows) const {
    QList<ContactEntry> entries;
    if (!contactTable_)
        return entries;
    const ContactTable &table = *contactTable_;
    // A row knows its contact's position in the table; only a row whose position no longer
    // holds its contact (the table changed since the rows were built) has the table hashed.
    std::optional<QHash<QString, qsizetype>> byId;
    QSet<QString> taken;
    for (const int r : rows) {
        if (!isRow(r))
            continue;
        const SubContactRow &row = *subContactTable()[size_t(r)];
        if (taken.contains(row.uniqueId))
            continue;
        qsizetype at = row.contactPosition;
        if (at < 0 || at >= table.size() || table[at].person != row.person || table[at].uniqueId != row.uniqueId) {
            if (!byId) {
                byId.emplace();
                for (qsizetype i = table.size() - 1; i >= 0; --i)
                    byId->insert(table[i].uniqueId, i);
            }
            const auto found = byId->constFind(row.uniqueId);
            if (found == byId->constEnd())
                continue;
            at = *found;
        }
        taken.insert(row.uniqueId);
        if (!table[at].deleted)
            entries.append(table[at]);
    }
    return entries;
}

QList<ContactEntry> ContactsViewController::selectedContacts() const {
    return contactsForIndexes(selectedRowIndexes());
}

QList<ContactEntry> ContactsViewController::selectedContactsWithClickedRowIndex(int clickedRow) const {
    QList<ContactEntry> entries;
    if (!contactTable_ || contactTable_->isEmpty())
        return entries;
    QList<int> rows = selectedRowIndexes();
    if (isRow(clickedRow))
        rows.append(clickedRow);
    // A row knows its contact's position in the table and is marked there, without hashing
    // every selected identifier; a row whose position no longer holds its contact (the table
    // changed since the rows were built) is matched by identifier.
    const ContactTable &table = *contactTable_;
    std::vector<bool> marked(size_t(table.size()), false);
    QSet<QString> ids;
    for (const int r : rows) {
        if (!isRow(r))
            continue;
        const SubContactRow &row = *subContactTable()[size_t(r)];
        const qsizetype at = row.contactPosition;
        if (at >= 0 && at < table.size() && table[at].person == row.person && table[at].uniqueId == row.uniqueId)
            marked[size_t(at)] = true;
        else
            ids.insert(row.uniqueId);
    }
    for (qsizetype i = 0; i < table.size(); ++i) {
        if (marked[size_t(i)] || (!ids.isEmpty() && ids.contains(table[i].uniqueId)))
            entries.append(table[i]);
    }
    return entries;
}
