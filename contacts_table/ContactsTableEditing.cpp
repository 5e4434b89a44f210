// Editing in the contacts table: the double action that edits a cell in place or opens its
// editor, the typed text and the picked label applied to every row the edit was started
// for in one undo step, and Return and Tab moving an in-place edit on.
#include "contacts_table/ContactsViewController.h"

#include "contacts_table/RowValues.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Window.h"

#include <QHash>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

namespace {

bool isAddressPart(const QString &identifier) {
    return QMPerson::addressIdentifiers().contains(identifier);
}

// Fields that only their editors change: a text typed into their cells goes nowhere.
bool isEditedInPopoverOnly(const QString &identifier) {
    static const QStringList fields = {FieldId::Name,           FieldId::PhoneticName, FieldId::Address,
                                       FieldId::InstantMessage, FieldId::Birthday,     FieldId::Dates};
    return fields.contains(identifier);
}

} // namespace

std::optional<LabeledValueRecord> ContactsViewController::valueAtRow(const SubContactRow &row,
                                                                     const QString &field) const {
    auto value = row.person->labeledValueForIdentifier(RowValues::fieldOf(field), qsizetype(row.labelIndex));
    if (value && !settings_->labelPasses(value->label))
        return std::nullopt;
    return value;
}

qint64 ContactsViewController::valueIndexAtRow(const SubContactRow &row, const QString &field,
                                               qint64 none) const {
    const auto value = valueAtRow(row, field);
    return value ? value->labelIndex : none;
}

QRect ContactsViewController::frameOfCellAtColumn(int column, int row) const {
    return tableView_ ? tableView_->visualRect(model_->index(row, column)) : QRect();
}

int ContactsViewController::indexOfRow(const QString &uniqueId, qint64 labelIndex) const {
    const SubContactTable &rows = subContactTable();
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r]->labelIndex == labelIndex && rows[r]->uniqueId == uniqueId)
            return int(r);
    return -1;
}

QList<int> ContactsViewController::indexesOfRows(const EditRows &rows) const {
    // One pass over the table, however many rows are looked for (Ctrl+A on a large file).
    QHash<std::pair<QString, qint64>, int> at;
    const SubContactTable &table = subContactTable();
    at.reserve(qsizetype(table.size()));
    for (size_t r = table.size(); r-- > 0;)
        at.insert({table[r]->uniqueId, table[r]->labelIndex}, int(r));
    QList<int> found;
    for (const SubContactRowPtr &row : rows)
        if (const auto hit = at.constFind({row->uniqueId, row->labelIndex}); hit != at.constEnd())
            found.append(*hit);
    return found;
}

void ContactsViewController::setDocumentEdited() {
    if (Window *window = this->window())
        window->setDocumentEdited(true);
}

ContactsViewController::EditRows ContactsViewController::takeEditRows(const SubContactRowPtr &row) {
    EditRows rows = editRows_ && editRows_->contains(row) ? *editRows_ : EditRows{row};
    editRows_.reset();
    return rows;
}

// ---- The double action

void ContactsViewController::tableViewDoubleAction(int column, int row, Qt::KeyboardModifiers modifiers) {
    if (column < 0 || row < 0 || column >= int(model_->columns().size()) || !isRow(row))
        return;
    const bool command = modifiers & CommandKeyModifier;
    const SubContactRowPtr record = subContactTable()[size_t(row)];
    const QString identifier = model_->columns()[column].identifier;
    if (!editState()) {
        // Locked, every editor opens locked, for the clicked row alone.
        editRows_ = EditRows{record};
        const QRect rect = frameOfCellAtColumn(column, row);
        const qint64 valueIndex = valueIndexAtRow(*record, identifier, 0);
        if (identifier == FieldId::Name)
            return showContactInfoPopover(record, identifier, rect);
        if (!viewForTableColumn(identifier, row).text.isEmpty()) {
            if (identifier == FieldId::Address)
                return command ? showMultiValuePopover(record, identifier, valueIndex, rect)
                               : showAddressPopover(record, identifier, valueIndex, rect);
            if (identifier == FieldId::InstantMessage)
                return command ? showMultiValuePopover(record, identifier, valueIndex, rect)
                               : showIMSPopover(record, identifier, valueIndex, rect);
            if (identifier == FieldId::SocialNetwork)
                return command ? showMultiValuePopover(record, identifier, valueIndex, rect)
                               : showSNSPopover(record, identifier, valueIndex, rect);
            if (identifier == FieldId::PhoneticName)
                return showPhoneticNamePopover(record, identifier, rect);
            if (identifier == FieldId::Dates)
                return showDatePopover(record, identifier, valueIndex, rect);
            if (identifier == FieldId::Birthday)
                return showDatePopover(record, identifier, 0, rect);
            if (windowState_->kindForIdentifier(*record->person, identifier) == ValueKind::String)
                return;
        }
        if (!command)
            return;
    }
    const EditRows rows = selectedRowsAnd(row);
    if (!editState() || rows.size() < 2 || identifier == FieldId::Name) {
        editRows_ = EditRows{record};
        editTableViewCellOrShowPopover(column, row, command);
        return;
    }
    confirmEditOfRows(L("Do you want to set the same value in the selected rows"), [=, this](bool confirmed) {
        const int at = indexOfRow(record->uniqueId, record->labelIndex);
        const int columnNow = model_->columnOf(identifier);
        if (!confirmed || at < 0 || columnNow < 0)
            return;
        editRows_ = rows;
        editTableViewCellOrShowPopover(columnNow, at, command);
    });
}

ContactsViewController::EditRows ContactsViewController::selectedRowsAnd(int row) const {
    QList<int> indexes = selectedRowIndexes();
    if (!indexes.contains(row)) {
        indexes.append(row);
        std::sort(indexes.begin(), indexes.end());
    }
    EditRows rows;
    for (const int r : std::as_const(indexes))
        rows.append(subContactTable()[size_t(r)]);
    return rows;
}

void ContactsViewController::confirmEditOfRows(const QString &message, std::function<void(bool)> answered) {
    Alert alert;
    alert.messageText = message;
    alert.informativeText = L("This operation can be undone.");
    alert.addButtonWithTitle(L("OK"));
    alert.addButtonWithTitle(L("Cancel"));
    alert.beginSheetModalForWindow(tableView_->window(),
                                   [self = QPointer(this), answered = std::move(answered)](int response) {
                                       if (self)
                                           answered(response == AlertFirstButtonReturn);
                                   });
}

void ContactsViewController::editTableViewCellOrShowPopover(int column, int row, bool commandHeld) {
    if (column < 0 || column >= int(model_->columns().size()) || !isRow(row))
        return;
    const SubContactRowPtr record = subContactTable()[size_t(row)];
    const QString identifier = model_->columns()[column].identifier;
    const QRect rect = frameOfCellAtColumn(column, row);
    if (identifier == FieldId::Name)
        return showContactInfoPopover(record, identifier, rect);
    const QString kind = windowState_->kindForIdentifier(*record->person, identifier);
    if (!editState() && (!commandHeld || kind == ValueKind::String))
        return;
    const auto value = valueAtRow(*record, identifier);
    const qint64 valueIndex = value ? value->labelIndex : 0;
    if (isAddressPart(identifier)) {
        const auto address = valueAtRow(*record, FieldId::Address);
        if (commandHeld)
            return showMultiValuePopover(record, FieldId::Address, address ? address->labelIndex : 0, rect);
        if (address)
            return editColumn(column, row, takeEditRows(record));
        return showMultiValuePopover(record, FieldId::Address, record->labelIndex, rect);
    }
    if (identifier == FieldId::Address || identifier == FieldId::SocialNetwork ||
        identifier == FieldId::InstantMessage) {
        if (commandHeld || !value)
            return showMultiValuePopover(record, identifier, valueIndex, rect);
        if (identifier == FieldId::Address)
            return showAddressPopover(record, identifier, valueIndex, rect);
        if (identifier == FieldId::SocialNetwork)
            return showSNSPopover(record, identifier, valueIndex, rect);
        return showIMSPopover(record, identifier, valueIndex, rect);
    }
    if (identifier == FieldId::Dates || identifier == FieldId::Birthday)
        return showDatePopover(record, identifier, identifier == FieldId::Dates ? valueIndex : 0, rect);
    if (identifier == FieldId::PhoneticName)
        return showPhoneticNamePopover(record, identifier, rect);
    if (kind == ValueKind::Labeled) {
        if (commandHeld || !value)
            return showMultiValuePopover(record, identifier, valueIndex, rect);
        return editColumn(column, row, takeEditRows(record));
    }
    // A text field is edited on its contact's first row only, where its cell is.
    if (kind == ValueKind::String && record->labelIndex == 0)
        editColumn(column, row, takeEditRows(record));
}

// ---- Editing a cell in place

CellTextEditor *ContactsViewController::cellEditor() const {
    return cellEdit_ ? cellEdit_->editor.data() : nullptr;
}

void ContactsViewController::editColumn(int column, int row, const EditRows &rows) {
    view();
    if (column < 0 || column >= int(model_->columns().size()) || !isRow(row))
        return;
    SubContactRowPtr record = subContactTable()[size_t(row)];
    const QString identifier = model_->columns()[column].identifier;
    // Another cell's edit ends first; its text may move rows.
    if (cellEdit_) {
        endCellEdit(true, true);
        row = indexOfRow(record->uniqueId, record->labelIndex);
        if (row < 0)
            return;
        record = subContactTable()[size_t(row)];
    }
    cellEdit_ = CellEdit{nullptr, record, identifier, rows};
    const QModelIndex index = model_->index(row, column);
    tableView_->scrollTo(index);
    tableView_->edit(index);
    if (!cellEdit_ || !cellEdit_->editor) {
        cellEdit_.reset();
        return;
    }
    cellEdit_->editor->selectAll();
    cellEdit_->editor->setFocus(Qt::OtherFocusReason);
}

QWidget *ContactsViewController::makeCellEditor(QWidget *parent, const QModelIndex &index) {
    if (!cellEdit_ || cellEdit_->editor)
        return nullptr;
    auto *editor = new CellTextEditor(parent);
    const ContactsTableCell cell = model_->cell(index.row(), cellEdit_->identifier);
    editor->setFont(cell.font);
    editor->setPlainText(cell.text);
    editor->setTakesLineBreaks(RowValues::takesLineBreaks(cellEdit_->identifier));
    editor->setCommandHandler([this](CellTextEditor::Command command) { return doCommandBySelector(command); });
    connect(editor, &CellTextEditor::editingDidEnd, this, [this, editor](bool keepText) {
        // Ended by the view or by losing the focus: the text goes to its rows once the
        // event that ended it is over.
        if (cellEdit_ && cellEdit_->editor == editor)
            endCellEdit(keepText, false);
    });
    cellEdit_->editor = editor;
    return editor;
}

void ContactsViewController::endCellEdit(bool keepText, bool applyNow) {
    if (!cellEdit_)
        return;
    const CellEdit edit = std::move(*cellEdit_);
    cellEdit_.reset();
    if (!edit.editor)
        return;
    const QString text = edit.editor->toPlainText();
    edit.editor->end();
    // The editor closes before its text is applied: applying makes the rows it stands on again.
    if (edit.editor->isVisible())
        emit tableView_->itemDelegate()->closeEditor(edit.editor, QAbstractItemDelegate::NoHint);
    if (!keepText)
        return;
    if (applyNow) {
        textFieldCellChanged(edit.row, edit.identifier, text, edit.rows);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, edit, text] { textFieldCellChanged(edit.row, edit.identifier, text, edit.rows); },
        Qt::QueuedConnection);
}

void ContactsViewController::textFieldCellChanged(const SubContactRowPtr &row, const QString &identifier,
                                                  const QString &text, const EditRows &rows) {
    if (!row || rows.isEmpty() || model_->columnOf(identifier) < 0)
        return;
    if (rows.size() == 1) {
        QString stored;
        if (isAddressPart(identifier)) {
            const auto address = valueAtRow(*row, FieldId::Address);
            const QString *part = address ? address->addressPart(identifier) : nullptr;
            stored = part ? *part : QString();
        } else {
            const QString kind = windowState_->kindForIdentifier(*row->person, identifier);
            if (kind == ValueKind::Labeled) {
                const auto value = valueAtRow(*row, identifier);
                stored = value ? value->stringValue : QString();
            } else if (kind != ValueKind::Dictionary) {
                stored = row->person->stringValueForIdentifier(identifier);
            }
        }
        if (text == stored)
            return;
    }
    if (isEditedInPopoverOnly(identifier) || !delegate_)
        return;
    const bool changed = editRows([&] {
        bool any = false;
        for (const SubContactRowPtr &target : rows)
            applyTextToRow(*target, identifier, text, any);
        return any;
    });
    editRows_.reset();
    if (changed)
        setDocumentEdited();
}

bool ContactsViewController::editRows(const std::function<bool()> &edit) {
    UndoManager *undo = undoManager();
    if (undo)
        undo->beginUndoGrouping();
    if (delegate_)
        delegate_->beginDeferringRefreshes();
    const bool changed = edit();
    // The step is closed before the window shows it, so what shows it sees it to undo.
    if (undo)
        undo->endUndoGrouping();
    if (delegate_)
        delegate_->endDeferringRefreshes();
    return changed;
}

void ContactsViewController::applyTextToRow(const SubContactRow &row, const QString &identifier, const QString &text,
                                            bool &changed) {
    const auto &person = row.person;
    if (isAddressPart(identifier)) {
        auto address = valueAtRow(row, FieldId::Address);
        QString *part = address ? address->addressPart(identifier) : nullptr;
        if (part && *part != text) {
            *part = text;
            changed = delegate_->undoReplaceLabeledValue(*address, FieldId::Address, person, this) || changed;
        }
        return;
    }
    if (windowState_->kindForIdentifier(*person, identifier) == ValueKind::Labeled) {
        auto value = valueAtRow(row, identifier);
        if (value && value->value != text) {
            value->value = text;
            changed = delegate_->undoReplaceLabeledValue(*value, identifier, person, this) || changed;
        }
        return;
    }
    // Rows of one contact share its text: the later ones find it written.
    if (text != person->stringValueForIdentifier(identifier))
        changed = delegate_->undoReplaceStringValue(text, identifier, person, this) || changed;
}

// ---- The label popup of a cell

void ContactsViewController::openLabelMenu(int row, int column, const QRect &popupRect) {
    const QString identifier = model_->columns()[column].identifier;
    const ContactsTableCell cell = model_->cell(row, identifier);
    if (!cell.popup)
        return;
    const SubContactRowPtr record = subContactTable()[size_t(row)];
    const PopupAndTextContent &content = cell.popup->content();
    auto *menu = new QMenu(tableView_);
    menu->setObjectName(QStringLiteral("LabelMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setFont(content.font);
    for (int i = 0; i < content.menuItems.size(); ++i) {
        QAction *item = menu->addAction(content.menuItems[i].title);
        item->setCheckable(true);
        item->setChecked(i == content.selectedItem);
        connect(item, &QAction::triggered, this, [this, record, identifier, i] {
            const int at = indexOfRow(record->uniqueId, record->labelIndex);
            const int columnNow = model_->columnOf(identifier);
            if (at >= 0 && columnNow >= 0)
                popupLabelCellChanged(at, columnNow, i);
        });
    }
    menu->popup(viewport_->mapToGlobal(popupRect.bottomLeft()));
}

void ContactsViewController::popupLabelCellChanged(int row, int column, int index) {
    if (!isRow(row) || column < 0 || column >= int(model_->columns().size()) || !delegate_ || !editState())
        return;
    const QString identifier = model_->columns()[column].identifier;
    // The popup of an address part lists the address's labels and sets the address's.
    const QString field = isAddressPart(identifier) ? FieldId::Address : identifier;
    const QString label = QMPerson::labelsForIdentifier(field).value_or(QStringList()).value(index);
    const SubContactRowPtr record = subContactTable()[size_t(row)];
    const EditRows rows = selectedRowsAnd(row);
    if (!isAddressPart(identifier)) {
        const auto value = valueAtRow(*record, field);
        if (value && value->labelText() == label)
            return;
    }
    const auto setLabel = [this, field, label](const SubContactRow &target) {
        auto value = valueAtRow(target, field);
        if (!value || value->labelText() == label)
            return false;
        value->label = label;
        return delegate_->undoReplaceLabeledValue(*value, field, target.person, this);
    };
    if (rows.size() == 1) {
        if (setLabel(*record))
            setDocumentEdited();
        return;
    }
    // A popup of a row outside the selection adds its row to the edit; cancelled, the
    // selection is what it was.
    EditRows selected;
    for (const int r : selectedRowIndexes())
        selected.append(subContactTable()[size_t(r)]);
    confirmEditOfRows(L("Do you want to set the same label in the selected rows"), [=, this](bool confirmed) {
        if (confirmed && editRows([&] {
                bool changed = false;
                for (const SubContactRowPtr &target : rows)
                    changed = setLabel(*target) || changed;
                return changed;
            }))
            setDocumentEdited();
        // Either way the popups show the stored labels.
        subContactTableDirty_ = false;
        reloadData();
        selectRowIndexes(indexesOfRows(confirmed ? rows : selected));
    });
}

// ---- Return and Tab while a cell is edited

bool ContactsViewController::doCommandBySelector(CellTextEditor::Command command) {
    switch (command) {
    case CellTextEditor::Command::InsertNewline:
        return insertNewline();
    case CellTextEditor::Command::InsertTab:
        return insertTab();
    default:
        return false;
    }
}

int ContactsViewController::nextRowWhere(int from, int stop, const std::function<bool(int)> &qualifies) const {
    const int count = int(subContactTable().size());
    int r = from;
    for (int steps = 0; steps < count && r >= 0; ++steps) {
        if (qualifies(r))
            return r;
        r = (r + 1) % count;
        if (r == stop)
            break;
    }
    return -1;
}

// Only a cell that shows something to edit: a text typed into a labeled cell (a custom
// item's too) without a shown value, or into a contact's later row of a text field, would
// go nowhere or replace the text of the contact's first row.
bool ContactsViewController::cellTakesText(int row, const QString &identifier) const {
    if (model_->cell(row, identifier).kind == ContactsTableCell::None)
        return false;
    const SubContactRow &record = *subContactTable()[size_t(row)];
    if (isAddressPart(identifier))
        return valueAtRow(record, FieldId::Address).has_value();
    if (windowState_->kindForIdentifier(*record.person, identifier) == ValueKind::Labeled)
        return valueAtRow(record, identifier).has_value();
    return true;
}

bool ContactsViewController::startCellEdit(int column, int row) {
    selectRowIndexes({row});
    scrollRowToVisible(row);
    editColumn(column, row, EditRows{subContactTable()[size_t(row)]});
    return true;
}

bool ContactsViewController::insertNewline() {
    if (!editState() || !cellEdit_)
        return false;
    const SubContactRowPtr edited = cellEdit_->row;
    const QString identifier = cellEdit_->identifier;
    const int column = model_->columnOf(identifier);
    const int r0 = indexOfRow(edited->uniqueId, edited->labelIndex);
    const int count = int(subContactTable().size());
    if (r0 < 0 || count == 0)
        return false;
    // Return goes to the row that was below the edited one, wherever the text puts them.
    const SubContactRowPtr below = subContactTable()[size_t(r0 + 1 < count ? r0 + 1 : 0)];
    // The typed text reaches the edited row before the selection moves.
    endCellEdit(true, true);
    if (column < 0)
        return false;
    const int stop = std::max(0, indexOfRow(edited->uniqueId, edited->labelIndex));
    int next = indexOfRow(below->uniqueId, below->labelIndex);
    if (next < 0)
        next = stop + 1 < int(subContactTable().size()) ? stop + 1 : 0;
    selectRowIndexes({next});
    scrollRowToVisible(next);
    const SubContactRowPtr target = subContactTable()[size_t(next)];
    const QRect rect = frameOfCellAtColumn(column, next);
    const auto takesText = [this, &identifier](int r) { return cellTakesText(r, identifier); };
    const auto editFound = [&](const std::function<bool(int)> &qualifies) {
        const int hit = nextRowWhere(next, stop, qualifies);
        return hit >= 0 && startCellEdit(column, hit);
    };
    editRows_ = EditRows{target};
    if (identifier == FieldId::Name) {
        showNamePopover(target, identifier, rect);
        return true;
    }
    if (identifier == FieldId::PhoneticName) {
        showPhoneticNamePopover(target, identifier, rect);
        return true;
    }
    // The editors take the value the row shows, or a new one where it shows none.
    if (identifier == FieldId::Address) {
        showAddressPopover(target, identifier, valueIndexAtRow(*target, identifier, -1), rect);
        return true;
    }
    if (identifier == FieldId::InstantMessage) {
        showIMSPopover(target, identifier, valueIndexAtRow(*target, identifier, -1), rect);
        return true;
    }
    if (identifier == FieldId::Dates || identifier == FieldId::Birthday) {
        showDatePopover(target, identifier, valueIndexAtRow(*target, identifier, 0), rect);
        return false;
    }
    editRows_.reset();
    // Labeled fields and address parts qualify on rows that show a value.
    return editFound(takesText);
}

bool ContactsViewController::insertTab() {
    if (!editState() || !cellEdit_)
        return false;
    const SubContactRowPtr edited = cellEdit_->row;
    const int column = model_->columnOf(cellEdit_->identifier);
    const int r0 = indexOfRow(edited->uniqueId, edited->labelIndex);
    const int count = int(subContactTable().size());
    if (r0 < 0 || count == 0)
        return false;
    const SubContactRowPtr below = subContactTable()[size_t(r0 + 1 < count ? r0 + 1 : 0)];
    endCellEdit(true, true);
    const int columns = int(model_->columns().size());
    if (column < 0 || (column + 1 >= columns && columns < 2))
        return false;
    // Across the row, then from the last column to the first after "Name" on the next row.
    const bool sameRow = column + 1 < columns;
    const int targetColumn = sameRow ? column + 1 : 1;
    const SubContactRowPtr &targetRecord = sameRow ? edited : below;
    const int row = indexOfRow(targetRecord->uniqueId, targetRecord->labelIndex);
    if (row < 0)
        return false;
    const QString identifier = model_->columns()[targetColumn].identifier;
    if (identifier == FieldId::Name || identifier == FieldId::PhoneticName || identifier == FieldId::Address ||
        identifier == FieldId::InstantMessage || identifier == FieldId::Dates || identifier == FieldId::Birthday)
        return false;
    if (!cellTakesText(row, identifier))
        return false;
    return startCellEdit(targetColumn, row);
}
