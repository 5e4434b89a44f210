// The results side of the find window: the table, the current match and its stepping,
// in-place editing and the date editor, Replace and Replace All, and the one write-back
// through which every change reaches a row and its contact.
#include "editors/DateViewController.h"
#include "find/FindPanel.h"
#include "find/FindPanelEdits.h"
#include "find/FindResultsTable.h"
#include "find/FindSearch.h"
#include "find/SegmentedButtons.h"
#include "model/QMPerson.h"
#include "platform/ui/Beep.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>

namespace {

// A date as the date editor answers it (a birthday record) or as a dates value stores it.
struct DateAnswer {
    std::optional<DateComponents> date;
    QString text;
};

std::optional<DateAnswer> dateOf(const FieldValue &value) {
    if (value.isNull())
        return DateAnswer{};
    if (const auto *birthday = value.get<BirthdayRecord>())
        return DateAnswer{birthday->value, birthday->stringValue};
    if (const auto *record = value.get<LabeledValueRecord>())
        return DateAnswer{record->dateValue, record->stringValue};
    return std::nullopt;
}

QString shownLabel(const QString &label) {
    return label.isEmpty()
               ? QString()
               : QMPerson::localizedLabelFromCNLabel(QMPerson::CNLabelFromLabel(label).value_or(label));
}

} // namespace

// ---- Table data source and delegate

int FindPanel::numberOfRowsInTableView(QTableView *table) const {
    return table && table == tableView_ ? int(searchResults_.size()) : 0;
}

FindPanelCell FindPanel::tableView(QTableView *table, const QString &column, int row) const {
    if (!table || table != tableView_ || row < 0 || row >= searchResults_.size())
        return {};
    const FindResultRow &result = *searchResults_[row];
    if (column == ColumnIdentifiers[0])
        return {result.name, {}};
    if (column == ColumnIdentifiers[1])
        return {QMPerson::localizedIdentifierForKey(result.item), {}};
    if (column == ColumnIdentifiers[2])
        return {result.subItem.isEmpty() ? QString() : QMPerson::localizedIdentifierForKey(result.subItem),
                {}};
    if (column == ColumnIdentifiers[3])
        return {shownLabel(result.label), {}};
    if (result.value.isEmpty() || searchString_.isEmpty())
        return {};
    FindPanelCell cell{result.value, {}};
    for (qsizetype i = 0; i < result.ranges.size(); ++i) {
        const TextRange &range = result.ranges[i];
        if (range.location < 0 || range.length <= 0 || range.end() > result.value.size())
            continue;
        const bool current = row == selectedRow_ && i == selectedRangeIndex_;
        cell.highlights.append(
            {range.location, range.length, current ? TextHighlight::CurrentMatch : TextHighlight::FindMatch});
    }
    return cell;
}

bool FindPanel::tableViewShouldSelectRow(QTableView *, int row) {
    if (row < 0 || row >= searchResults_.size())
        return false;
    const int former = selectedRow_;
    selectedRow_ = row;
    selectedRangeIndex_ = searchResults_[row]->ranges.isEmpty() ? -1 : 0;
    updateReplaceButtons();
    reloadValueCell(former);
    reloadValueCell(row);
    return true;
}

double FindPanel::tableViewHeightOfRow(QTableView *, int row) const {
    if (row < 0 || row >= searchResults_.size())
        return LineHeight;
    return LineHeight * double(searchResults_[row]->lines);
}

// Rows are sorted by what their cells show; the selected row stays selected.
void FindPanel::tableViewSortDescriptorsDidChange(QTableView *table, int column, bool ascending) {
    if (searchResults_.isEmpty() || column < 0 || column >= ColumnIdentifiers.size())
        return;
    const QModelIndexList chosen = tableView_->selectionModel()->selectedRows();
    const FindResultRowPtr remembered =
        chosen.isEmpty() ? nullptr : searchResults_.value(chosen.first().row());
    std::vector<std::pair<QString, FindResultRowPtr>> keyed;
    keyed.reserve(size_t(searchResults_.size()));
    for (int row = 0; row < searchResults_.size(); ++row) {
        const QString key = column == ValueColumn ? searchResults_[row]->value
                                                  : tableView(table, ColumnIdentifiers[column], row).text;
        keyed.emplace_back(key, searchResults_[row]);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first, Qt::CaseInsensitive);
        return ascending ? order < 0 : order > 0;
    });
    for (qsizetype i = 0; i < searchResults_.size(); ++i)
        searchResults_[i] = keyed[size_t(i)].second;
    const int position = remembered ? int(searchResults_.indexOf(remembered)) : -1;
    selectedRow_ = position;
    reloadResults();
    if (position >= 0)
        showCurrentRow(-1);
}

void FindPanel::reloadResults(const std::optional<QList<qsizetype>> &tallRows) {
    rowPositionsStale_ = true;
    selectingRow_ = true;
    model_->reload();
    selectingRow_ = false;
    QList<qsizetype> tall;
    if (tallRows) {
        tall = *tallRows;
    } else {
        for (qsizetype row = 0; row < searchResults_.size(); ++row)
            if (searchResults_[row]->lines > 1)
                tall.append(row);
    }
    QHeaderView *header = tableView_->verticalHeader();
    // Only the taller rows get their own height. While updates are off a resize does not
    // look for the row's place on screen, which would make the loop quadratic.
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    for (const qsizetype row : std::as_const(tall))
        header->resizeSection(int(row), int(tableViewHeightOfRow(tableView_, int(row))));
    header->setUpdatesEnabled(updates);
}

// A resize looks for the row's place on screen: only a row whose line count changed pays it.
void FindPanel::reloadValueCell(int row) {
    if (row < 0 || row >= searchResults_.size())
        return;
    QHeaderView *header = tableView_->verticalHeader();
    if (const int height = int(tableViewHeightOfRow(tableView_, row)); header->sectionSize(row) != height)
        header->resizeSection(row, height);
    model_->reloadCell(row, ValueColumn);
}

int FindPanel::positionOf(const FindResultRowPtr &row) const {
    if (rowPositionsStale_) {
        rowPositions_.clear();
        rowPositions_.reserve(searchResults_.size());
        for (int i = 0; i < searchResults_.size(); ++i)
            rowPositions_.insert(searchResults_[i].get(), i);
        rowPositionsStale_ = false;
    }
    return rowPositions_.value(row.get(), -1);
}

// ---- The current match

bool FindPanel::hasCurrentMatch() const {
    const QModelIndexList chosen = tableView_->selectionModel()->selectedRows();
    if (chosen.isEmpty() || selectedRow_ < 0 || selectedRow_ >= searchResults_.size())
        return false;
    return selectedRangeIndex_ >= 0 && selectedRangeIndex_ < searchResults_[selectedRow_]->ranges.size();
}

// Forward: the next range of the row, else the first of the next row, after the last row
// the first. After Replace All (no current match) this is row 0.
void FindPanel::stepForward() {
    const QModelIndexList chosen = tableView_->selectionModel()->selectedRows();
    const FindResultRowPtr shown = chosen.isEmpty() ? nullptr : searchResults_.value(chosen.first().row());
    const qsizetype ranges = shown ? shown->ranges.size() : 0;
    ++selectedRangeIndex_;
    if (selectedRangeIndex_ >= ranges) {
        selectedRangeIndex_ = 0;
        ++selectedRow_;
        if (selectedRow_ >= searchResults_.size())
            selectedRow_ = 0;
    }
}

void FindPanel::stepBack() {
    if (selectedRangeIndex_ < 1) {
        --selectedRow_;
        if (selectedRow_ < 0)
            selectedRow_ = int(searchResults_.size()) - 1;
        selectedRangeIndex_ = int(searchResults_[selectedRow_]->ranges.size()) - 1;
    } else {
        --selectedRangeIndex_;
    }
}

// The table selects the current row and shows it; the former row loses its orange mark.
void FindPanel::showCurrentRow(int formerRow) {
    updateReplaceButtons();
    if (selectedRow_ < 0 || selectedRow_ >= searchResults_.size())
        return;
    selectingRow_ = true;
    tableView_->selectRow(selectedRow_);
    selectingRow_ = false;
    reloadValueCell(formerRow);
    reloadValueCell(selectedRow_);
    tableView_->scrollTo(model_->index(selectedRow_, ValueColumn));
}

void FindPanel::updateReplaceButtons() {
    if (!replaceButtons_)
        return;
    const bool dateRow = selectedRow_ >= 0 && selectedRow_ < searchResults_.size() &&
                         searchResults_[selectedRow_]->isDateRow();
    replaceButtons_->setEnabled(editState_ && !dateRow);
}

void FindPanel::directionButtonDidClick(QObject *sender) {
    if (!sender || sender != directionControl_)
        return;
    if (tableView_->selectionModel()->selectedRows().isEmpty() || searchResults_.isEmpty()) {
        updateTable();
        return;
    }
    const int former = selectedRow_;
    if (directionControl_->selectedSegment() == 0)
        stepBack();
    else
        stepForward();
    showCurrentRow(former);
}

// ---- Replacing

void FindPanel::replaceButtonDidClick(QObject *sender) {
    if (!sender || sender != replaceButtons_ || !editState())
        return;
    const QString replacement = replaceField_->text();
    if (replaceButtons_->selectedSegment() == 0)
        replaceCurrentMatch(replacement);
    else if (replaceButtons_->selectedSegment() == 1)
        replaceAll(replacement);
}

void FindPanel::replaceCurrentMatch(const QString &replacement) {
    if (!hasCurrentMatch())
        return;
    const FindResultRowPtr row = searchResults_[selectedRow_];
    if (!row->isDateRow()) {
        const QString value = replacingRanges(row->value, {row->ranges[selectedRangeIndex_]}, replacement);
        FindPattern pattern(searchString_, compareOptions_);
        undoReplaceValue(value, pattern.rangesIn(value), row);
    }
    // On by one, counting the row's ranges after the replacement.
    const int former = selectedRow_;
    stepForward();
    showCurrentRow(former);
}

// Every match of the searched text in every row but the date rows, the replacement taken
// as typed, in one undo step.
void FindPanel::replaceAll(const QString &replacement) {
    FindPattern pattern(searchString_, compareOptions_);
    undoManager_.beginUndoGrouping();
    for (const FindResultRowPtr &row : std::as_const(searchResults_)) {
        if (row->isDateRow())
            continue;
        const TextRanges ranges = pattern.rangesIn(row->value);
        if (!ranges.isEmpty())
            undoReplaceValue(replacingRanges(row->value, ranges, replacement), {}, row);
    }
    undoManager_.endUndoGrouping();
    // No current match is left, but the table's selection stays where it was.
    const QModelIndexList chosen = tableView_->selectionModel()->selectedRows();
    reloadResults();
    if (!chosen.isEmpty()) {
        selectingRow_ = true;
        tableView_->selectRow(chosen.first().row());
        selectingRow_ = false;
    }
    selectedRow_ = -1;
    selectedRangeIndex_ = -1;
    updateReplaceButtons();
}

// ---- Editing in place and the date editor

void FindPanel::tableViewDoubleAction(int row, int column) {
    if (row < 0 || row >= searchResults_.size() || column < 0 || column >= ColumnIdentifiers.size() ||
        !editState())
        return;
    const FindResultRowPtr result = searchResults_[row];
    const QModelIndex cell = model_->index(row, column);
    if (result->isDateRow())
        showDatePopover(result, tableView_->visualRect(cell));
    else if (column == ValueColumn)
        tableView_->edit(cell);
}

void FindPanel::textFieldCellChanged(int row, const QString &text) {
    if (row < 0 || row >= searchResults_.size() || !editState())
        return;
    const FindResultRowPtr result = searchResults_[row];
    if (text != result->value)
        undoReplaceValue(text, {}, result);
}

void FindPanel::showDatePopover(const FindResultRowPtr &row, const QRect &rect) {
    if (!row || !row->contact.person)
        return;
    auto context = std::make_shared<EditorContext>();
    context->type = row->item;
    context->contact = EditorContact::of(row->contact);
    context->editEnabled = true;
    auto *editor = new DateViewController;
    if (row->item == FieldId::Dates) {
        const auto value =
            row->contact.person->labeledValueForIdentifier(FieldId::Dates, qsizetype(row->index.value_or(0)));
        if (!value) {
            delete editor;
            beep();
            return;
        }
        editor->setLabels({value->labelText()});
        context->value = *value;
    }
    if (popover_)
        popover_->close();
    popoverRow_ = row;
    popover_ = editor->openInPopover(context, editState(), DateViewController::contentSize, rect,
                                     tableView_->viewport(), this, this);
}

void FindPanel::popoverDidClose(Popover *closed) {
    if (!closed)
        return;
    const FindResultRowPtr row = closed == popover_ ? std::exchange(popoverRow_, nullptr) : nullptr;
    if (const SharedEditorContext answer = PopoverEditor::answerOf(closed);
        answer && row && qobject_cast<DateViewController *>(closed->contentViewController()))
        undoReplaceValue(answer->value, {}, row);
    closed->deleteLater();
}

// ---- The write-back

bool FindPanel::undoReplaceValue(const FieldValue &value, const TextRanges &ranges,
                                 const FindResultRowPtr &row) {
    if (!row || !row->contact.person)
        return false;
    QMPerson &person = *row->contact.person;
    QString text;
    FieldValue former;
    if (row->item == FieldId::Birthday || row->item == FieldId::Dates) {
        const auto date = dateOf(value);
        if (!date)
            return false;
        text = date->text;
        former = row->item == FieldId::Birthday
                     ? FieldValue(person.birthdayValue())
                     : FieldValue(
                           person.labeledValueForIdentifier(FieldId::Dates, qsizetype(row->index.value_or(0)))
                               .value_or(LabeledValueRecord()));
    } else {
        text = value.text();
        former = row->value;
    }
    if (!writeBack(value, *row, text))
        return false;
    undoManager_.registerUndo(this,
                              [self = QPointer<FindPanel>(this), former, formerRanges = row->ranges, row] {
                                  if (self)
                                      self->undoReplaceValue(former, formerRanges, row);
                              });
    row->setValue(text);
    row->ranges = ranges;
    refreshSnapshot(*row);
    reloadValueCell(positionOf(row));
    return true;
}

// Hands the new value to the window's edit operation for the row's item; answers whether
// the contact took it.
bool FindPanel::writeBack(const FieldValue &value, const FindResultRow &row, const QString &text) {
    if (!parentViewController_)
        return false;
    FindPanelEdits &edits = *parentViewController_;
    const std::shared_ptr<QMPerson> &person = row.contact.person;
    const QString &item = row.item;
    if (item == FieldId::Birthday)
        return edits.undoReplaceBirthday(value, person);
    if (item == FieldId::Name) {
        NameRecord name = person->nameValue();
        QString *part = name.part(row.subItem);
        if (!part)
            return false;
        *part = text;
        return edits.undoReplaceNameValue(name, person);
    }
    if (item == FieldId::PhoneticName) {
        PhoneticNameRecord phonetic = person->phoneticNameValue().value_or(PhoneticNameRecord());
        QString *part = phonetic.part(row.subItem);
        *(part ? part : &phonetic.lastName) = text;
        return edits.undoReplacePhoneticNameValue(phonetic, person);
    }
    if (item == FieldId::Dates) {
        LabeledValueList dates =
            person->labeledValueForIdentifier(FieldId::Dates).value_or(LabeledValueList());
        const qsizetype index = row.index.value_or(0);
        const auto date = dateOf(value);
        if (index < 0 || index >= dates.size() || !date)
            return false;
        dates[index].dateValue = date->date;
        dates[index].stringValue = date->text;
        return edits.undoReplaceLabeledValue(dates, FieldId::Dates, person, this);
    }
    QString kind = person->typeForIdentifier(item);
    if (kind.isEmpty()) {
        for (const CustomItemDefinition &definition : std::as_const(customItems_))
            if (definition.name == item)
                kind = definition.type;
    }
    if (kind == ValueKind::String)
        return edits.undoReplaceStringValue(text, item, person, this);
    if (kind != ValueKind::Labeled)
        return false;
    auto record = person->labeledValueForIdentifier(item, qsizetype(row.index.value_or(0)));
    if (!record)
        return false;
    if (item == FieldId::Address) {
        QString *part = record->addressPart(row.subItem);
        if (!part)
            return false;
        *part = text;
    } else {
        record->value = text;
    }
    return edits.undoReplaceLabeledValue(*record, item, person, this);
}

// The contact's texts are read again, so later searches find what it now holds; a search
// still running read the former texts.
void FindPanel::refreshSnapshot(const FindResultRow &row) {
    const qsizetype position = row.snapshotPosition;
    if (!snapshot_ || position < 0 || position >= qsizetype(snapshot_->contacts.size()) ||
        snapshot_->entries.value(snapshot_->contacts[size_t(position)].entry).person != row.contact.person)
        return;
    if (snapshot_.use_count() > 1)
        snapshot_ = std::make_shared<FindSnapshot>(*snapshot_);
    snapshot_->reread(position);
    if (!isSearching())
        return;
    // Many changes come at once (an undone Replace All): the search starts over once, after
    // them, and the rows it read before them are never shown.
    search_->cancel();
    if (!restartPending_) {
        restartPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (std::exchange(restartPending_, false))
                    updateTable();
            },
            Qt::QueuedConnection);
    }
}
