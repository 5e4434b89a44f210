// The contacts table's rows and their order: building the sub-contact rows of the shown
// contacts, the sort descriptors and the sort options of the columns.
#include "contacts_table/ContactsViewController.h"

#include "contacts_table/SubContactRows.h"

#include <QHeaderView>

// ---- Rows and sorting

SubContactTable ContactsViewController::createSubContactsFromContact(const ContactEntry &entry,
                                                                     const QStringList &identifiers,
                                                                     const QStringList &labels) const {
    return SubContactRows::createSubContactsFromContact(
        entry, {identifiers, labels, customItems(), showCompanyInNameCell()});
}

void ContactsViewController::updateSubContactTableForIdentifiers(const QStringList &identifiers) {
    // The rows built go into the model at the next reload, which every caller runs next.
    pendingRows_ = contactTable_ ? SubContactRows::buildRows(*contactTable_,
                                                             {identifiers, selectedLabels(), customItems(),
                                                              showCompanyInNameCell()},
                                                             buildDeadlineMilliseconds)
                                 : SubContactTable();
}

void ContactsViewController::sortRows(SubContactTable &rows) const {
    SubContactRows::sortSubContactTable(rows, currentSortDescriptor(), selectedLabels(), customItems());
}

std::optional<SortDescriptor> ContactsViewController::currentSortDescriptor() const {
    return sortDescriptors_.isEmpty() ? defaultSort : sortDescriptors_.first();
}

std::optional<SortDescriptor> ContactsViewController::firstSortDescriptor() const {
    if (sortDescriptors_.isEmpty())
        return std::nullopt;
    return sortDescriptors_.first();
}

QString ContactsViewController::sortColumnIdentifier() const {
    const auto first = firstSortDescriptor();
    return first ? SortOptions::separateSortKeyIntoIdentifierAndKey(first->key).first : FieldId::Name;
}

void ContactsViewController::reloadData() {
    view();
    const QList<int> previous = selectedRowIndexes();
    model_->reset(
        [&](SubContactTable &rows, QList<ContactsTableColumn> &) {
            if (!contactTable_) {
                rows.clear();
                pendingRows_.reset();
                return;
            }
            if (subContactTableDirty_) {
                updateSubContactTableForIdentifiers(tableIdentfiers());
                subContactTableDirty_ = false;
            }
            if (pendingRows_) {
                rows = std::move(*pendingRows_);
                pendingRows_.reset();
            }
            sortRows(rows);
        },
        bool(contactTable_));
    model_->setFooterText(footerText());
    tableView_->clearSpans();
    const int columnCount = int(model_->columns().size());
    if (contactTable_ && columnCount > 1)
        tableView_->setSpan(numberOfRowsInTableView() - 1, 0, 1, columnCount);
    applyRowHeights();
    keepSelection(previous);
    // The table allows no empty selection.
    if (selectedRowIndexes().isEmpty() && !subContactTable().empty())
        selectRowIndexes({0});
    reportSelectionIfMoved();
}

void ContactsViewController::keepSelection(const QList<int> &rows) {
    QList<int> kept;
    for (const int row : rows) {
        if (isRow(row))
            kept.append(row);
    }
    ++silentSelection_;
    selectRowIndexes(kept);
    --silentSelection_;
    reportSelectionIfMoved();
}

void ContactsViewController::reportSelectedRow(const SubContactRowPtr &row) {
    reportedRow_ = std::make_pair(row->uniqueId, row->labelIndex);
    ++selectionReports_;
    delegate_->rowSelectionDidChange(row);
}

void ContactsViewController::reportSelectionIfMoved() {
    const int row = selectedRow();
    if (silentSelection_ > 0 || !isRow(row) || !delegate_)
        return;
    const SubContactRowPtr &shown = subContactTable()[size_t(row)];
    if (reportedRow_ != std::make_pair(shown->uniqueId, shown->labelIndex))
        reportSelectedRow(shown);
}

void ContactsViewController::applyRowHeights() {
    QHeaderView *header = tableView_->verticalHeader();
    header->setDefaultSectionSize(int(rowHeight()));
    // Only the taller rows get their own height. While updates are off a resize does not
    // look for the row's place on screen, which would make the loop quadratic.
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    const SubContactTable &rows = subContactTable();
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row]->numLines > 1)
            header->resizeSection(int(row), heightOfRow(int(row)));
    }
    header->setUpdatesEnabled(updates);
}

void ContactsViewController::setSortDescriptors(const QList<SortDescriptor> &sortDescriptors) {
    const QList<SortDescriptor> old = sortDescriptors_;
    sortDescriptors_ = sortDescriptors;
    showSortIndicator();
    tableViewSortDescriptorsDidChange(old);
}

void ContactsViewController::columnHeaderClicked(int column) {
    const QList<ContactsTableColumn> &columns = model_->columns();
    if (column < 0 || column >= columns.size())
        return;
    const SortDescriptor prototype = columns[column].sortDescriptorPrototype;
    const auto first = firstSortDescriptor();
    SortDescriptor chosen = prototype;
    if (first && first->key == prototype.key) {
        chosen = *first;
        chosen.ascending = !first->ascending;
    }
    QList<SortDescriptor> descriptors = {chosen};
    for (const SortDescriptor &descriptor : std::as_const(sortDescriptors_)) {
        if (descriptor.key != chosen.key)
            descriptors.append(descriptor);
    }
    setSortDescriptors(descriptors);
}

void ContactsViewController::showSortIndicator() {
    if (!tableView_)
        return;
    QHeaderView *header = tableView_->horizontalHeader();
    const auto first = firstSortDescriptor();
    const QList<ContactsTableColumn> &columns = model_->columns();
    for (int i = 0; first && i < columns.size(); ++i) {
        if (columns[i].sortDescriptorPrototype.key == first->key) {
            header->setSortIndicator(i, first->ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
            return;
        }
    }
    header->setSortIndicator(-1, Qt::AscendingOrder);
}

QString ContactsViewController::sortColumnValue(SubContactRow &row, const SortDescriptor &descriptor,
                                                const QString &identifier) const {
    QMPerson &person = *row.person;
    if (identifier == FieldId::Birthday) {
        const auto birthday = person.birthdayValue();
        return birthday ? birthday->stringValue : QString();
    }
    if (identifier == FieldId::Name) {
        NameRecord name = person.nameValue();
        const QString *part = name.part(descriptor.key);
        return part ? *part : QString();
    }
    if (identifier == FieldId::PhoneticName) {
        auto phonetic = person.phoneticNameValue();
        const QString *part = phonetic ? phonetic->part(descriptor.key) : nullptr;
        return part ? *part : QString();
    }
    const QString type = person.typeForIdentifier(identifier, customItems());
    if (type == ValueKind::Labeled) {
        const auto value = person.labeledValueForIdentifier(identifier, qsizetype(row.labelIndex));
        return value ? value->stringValue : QString();
    }
    if (type == ValueKind::String)
        return person.stringValueForIdentifier(identifier);
    return {};
}

void ContactsViewController::tableViewSortDescriptorsDidChange(const QList<SortDescriptor> &oldDescriptors) {
    if (!contactTable_ || contactTable_->isEmpty())
        return;
    const QList<int> remembered = selectedRowIndexes();
    const int selected = selectedRow();
    const auto descriptor = firstSortDescriptor();
    if (!descriptor)
        return;
    const QString identifier = SortOptions::separateSortKeyIntoIdentifierAndKey(descriptor->key).first;
    QString uniqueId;
    qint64 labelIndex = 0;
    QString value;
    if (isRow(selected)) {
        SubContactRow &row = *subContactTable()[size_t(selected)];
        uniqueId = row.uniqueId;
        labelIndex = row.labelIndex;
        value = sortColumnValue(row, *descriptor, identifier);
    }
    const std::optional<SortDescriptor> oldFirst =
        oldDescriptors.isEmpty() ? std::nullopt : std::optional(oldDescriptors.first());
    if (delegate_ && oldFirst != descriptor && !restoringSort_)
        delegate_->sortDescriptorsDidChange(sortDescriptors_);
    subContactTableDirty_ = false;
    reloadData();
    int found = -1;
    const SubContactTable &rows = subContactTable();
    for (int r = 0; r < int(rows.size()) && found < 0 && !uniqueId.isEmpty(); ++r) {
        SubContactRow &row = *rows[size_t(r)];
        if (row.uniqueId != uniqueId)
            continue;
        if (value.isEmpty() ? row.labelIndex == labelIndex
                            : sortColumnValue(row, *descriptor, identifier) == value)
            found = r;
    }
    selectAndScroll(found >= 0 ? QList<int>{found} : remembered);
    settings_->setLastSortDesc(*descriptor);
}

void ContactsViewController::sortOptionSelected(const QString &columnIdentifier, const QString &option) {
    // The header's own sort menu changes the shared table only; the sort options menu's
    // current choices stay as they are.
    if (!settings_->setSortOptionSelected(columnIdentifier, option))
        return;
    sortOptionsChanged(settings_->sortOptionsDict().value(columnIdentifier), columnIdentifier);
}

void ContactsViewController::addLabel(const std::optional<QString> &label, const QString &identifier) {
    if (label)
        QMPerson::setLabel(QString(), *label, identifier);
}
