// The contacts table's menus: the sort menu of a column header and the context menu of a
// cell, both rebuilt for what was clicked each time they open; opening an editor or the
// contact popover from an item, values handed to other applications, and the company line
// of the name cells.
#include "contacts_table/ContactsViewController.h"

#include "contacts_table/RowValues.h"
#include "editors/ValueLinks.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Workspace.h"

#include <QHeaderView>
#include <QTableView>

namespace {

const QString showCompanyKey = QStringLiteral("QM1DshowCompanyInNameCell");

// The keys of the items that open an editor or the contact popover, never shown.
const char *const ShowContactInfo = "Show Contact Info";
const char *const OpenNamePanel = "Open Name Panel";
const char *const OpenEditPanel = "Open Edit Panel";
const char *const OpenAddressPanel = "Open Address Panel";
const char *const OpenIMSPanel = "Open IMS Panel";
const char *const OpenSNSPanel = "Open SNS Panel";

} // namespace

void ContactsViewController::registerCommands() {
    const std::pair<const QString &, void (ContactsViewController::*)(QObject *)> actions[] = {
        {ActionId::ShowPopoverWrapper, &ContactsViewController::showPopoverWrapper},
        {ActionId::DoWorkspaceAction, &ContactsViewController::doWorkspaceAction},
        {ActionId::ToggleShowCompany, &ContactsViewController::toggleShowCompany},
        {ActionId::DeleteItem, &ContactsViewController::deleteItem},
        {ActionId::ReplaceItem, &ContactsViewController::replaceItem},
        {ActionId::InsertItem, &ContactsViewController::insertItem},
        {ActionId::PrependItem, &ContactsViewController::prependItem},
        {ActionId::AppendItem, &ContactsViewController::appendItem},
        {ActionId::ShowQRCode, &ContactsViewController::showQRCode},
        {ActionId::MergeContacts, &ContactsViewController::mergeContacts},
        {ActionId::NormalizePhoneNumber, &ContactsViewController::normalizePhoneNumber},
        {ActionId::DuplicateContact, &ContactsViewController::duplicateContact},
        {ActionId::DeleteContact, &ContactsViewController::deleteContact},
        {ActionId::ExportContact, &ContactsViewController::exportContact},
    };
    for (const auto &action : actions)
        registerAction(action.first, [this, method = action.second](QObject *sender) { (this->*method)(sender); });
    registerAction(ActionId::SortOptionSelected, [this](QObject *sender) {
        const auto *item = qobject_cast<MenuItem *>(sender);
        if (item && item->parentMenu())
            sortOptionSelected(item->parentMenu()->titleText(), item->representedObject().toString());
    });
    validation_ = {
        {ActionId::ShowQRCode, [this](MenuItem &) { return tableView_ && selectedRow() != -1; }},
        {ActionId::MergeContacts, [this](MenuItem &) { return selectedContacts().size() >= 2; }},
        // It rewrites numbers: not in a locked window.
        {ActionId::NormalizePhoneNumber,
         [this](MenuItem &) { return editState() && tableIdentfiers().contains(FieldId::Phone); }},
        {ActionId::ToggleShowCompany,
         [this](MenuItem &item) {
             item.setState(showCompanyInNameCell() ? StateOn : StateOff);
             return true;
         }},
        // There is no calendar to open here.
        {ActionId::DoWorkspaceAction,
         [](MenuItem &item) {
             return item.representedObject() != ValueLinks::OpenCalendar || Workspace::canOpenCalendar();
         }},
    };
}

bool ContactsViewController::validateMenuItem(MenuItem *item) {
    return validation_.validate(*item, item->action()).value_or(true);
}

// ---- Opening

void ContactsViewController::setClickedCell(int row, int column) {
    clickedRow_ = row;
    clickedColumn_ = column;
}

Menu *ContactsViewController::popUpMenuForCellAt(const QPoint &viewportPoint) {
    view();
    const int row = tableView_->rowAt(viewportPoint.y());
    const int column = row >= 0 ? tableView_->columnAt(viewportPoint.x()) : -1;
    setClickedCell(column >= 0 ? row : -1, row >= 0 ? column : -1);
    // Away from every cell the menu sorts the column under the pointer.
    headerColumn_ = tableView_->horizontalHeader()->logicalIndexAt(viewportPoint.x());
    return popUpMenu(cellMenu_, viewport_->mapToGlobal(viewportPoint));
}

Menu *ContactsViewController::popUpMenuForHeaderAt(const QPoint &headerPoint) {
    view();
    QHeaderView *header = tableView_->horizontalHeader();
    setClickedCell(-1, -1);
    headerColumn_ = header->logicalIndexAt(headerPoint);
    return popUpMenu(headerMenu_, header->viewport()->mapToGlobal(headerPoint));
}

Menu *ContactsViewController::popUpMenu(Menu *menu, const QPoint &globalPoint) {
    menu->update();
    if (menu->numberOfItems() == 0) {
        setClickedCell(-1, -1);
        return nullptr;
    }
    menu->popUpContextMenu(globalPoint, tableView_);
    return menu;
}

void ContactsViewController::menuNeedsUpdate(Menu *menu) {
    menu->removeAllItems();
    if (clickedRow_ < 0 || clickedColumn_ < 0)
        fillHeaderMenu(menu, headerColumn_);
    else
        fillCellMenu(menu, clickedRow_, clickedColumn_);
}

// ---- The header's sort menu

void ContactsViewController::fillHeaderMenu(Menu *menu, int column) {
    const QList<ContactsTableColumn> &columns = model_->columns();
    if (column < 0 || column >= columns.size())
        return;
    const QString &identifier = columns[column].identifier;
    const auto entry = settings_->sortOptionsDict().constFind(identifier);
    if (entry == settings_->sortOptionsDict().cend())
        return;
    // The title names the column the chosen option is for.
    menu->setTitleText(identifier);
    menu->addItem(L("Sort by"));
    for (const QString &option : entry->items) {
        MenuItem *item = menu->addItem(QMPerson::localizedIdentifierForKey(option), ActionId::SortOptionSelected);
        item->setRepresentedObject(option);
        item->setState(option == entry->selected ? StateOn : StateOff);
    }
}

// ---- The cells' context menu

void ContactsViewController::fillCellMenu(Menu *menu, int row, int column) {
    if (column >= int(model_->columns().size()) || !isRow(row))
        return;
    const QString identifier = model_->columns()[column].identifier;
    const SubContactRow &record = *subContactTable()[size_t(row)];
    QMPerson &person = *record.person;
    const bool editing = editState();

    // Items are told apart by their untranslated keys.
    const auto add = [&](const char *key, const QString &action = QString(), const QVariant &object = {}) {
        MenuItem *item = menu->addItem(L(key), action);
        item->setRepresentedObject(object.isValid() ? object : QVariant(QString::fromUtf8(key)));
        return item;
    };
    const auto separator = [&] { menu->addItem(MenuItem::separatorItem()); };
    // The item commands change values: they act only while editing.
    const auto command = [&](const char *key, const QString &action) { add(key, editing ? action : QString()); };
    const auto editor = [&](const char *key, bool enabled = true) {
        add(key, enabled ? ActionId::ShowPopoverWrapper : QString());
    };
    const auto textCommands = [&] {
        command("Replace Text", ActionId::ReplaceItem);
        command("Prepend Text", ActionId::PrependItem);
        command("Append Text", ActionId::AppendItem);
    };
    const bool hasValue = valueAtRow(record, identifier).has_value();

    if (identifier == FieldId::Name) {
        editor(ShowContactInfo);
        editor(OpenNamePanel);
        add("Show QRCode", ActionId::ShowQRCode);
        separator();
        if (editing)
            add("Add New Contact", ActionId::AddContact);
        add("Delete Contact", editing ? ActionId::DeleteContact : QString());
        add("Duplicate Contact", editing ? ActionId::DuplicateContact : QString());
        add("Export Contact as vCard", ActionId::ExportContact);
        separator();
        add("Show Company in the Name Cell", ActionId::ToggleShowCompany)
            ->setState(showCompanyInNameCell() ? StateOn : StateOff);
    } else if (identifier == FieldId::Phone || identifier == FieldId::Email || identifier == FieldId::URL ||
               identifier == FieldId::Relationship) {
        if (identifier != FieldId::Relationship) {
            const char *opener = identifier == FieldId::Phone   ? "Call Phone"
                                 : identifier == FieldId::Email ? "Send Email"
                                                                : "Open URL";
            add(opener, hasValue ? ActionId::DoWorkspaceAction : QString());
            separator();
        }
        editor(OpenEditPanel);
        if (hasValue) {
            command("Replace Label and Text", ActionId::ReplaceItem);
            command("Delete Item", ActionId::DeleteItem);
        }
        command("Add Item", ActionId::InsertItem);
        if (hasValue) {
            separator();
            textCommands();
        }
    } else if (identifier == FieldId::Address) {
        const QString maps = hasValue ? ActionId::DoWorkspaceAction : QString();
        for (const ValueLinks::MapItem &map : ValueLinks::mapItems())
            add(map.title, maps, map.item);
        separator();
        editor(OpenAddressPanel, hasValue);
        editor(OpenEditPanel);
        if (hasValue)
            command("Delete Item", ActionId::DeleteItem);
        command("Add Item", ActionId::InsertItem);
    } else if (RowValues::isAddressPart(identifier)) {
        editor(OpenAddressPanel);
        command("Add Item", ActionId::InsertItem);
        if (hasValue) {
            command("Delete Item", ActionId::DeleteItem);
            separator();
            textCommands();
        }
    } else if (identifier == FieldId::InstantMessage || identifier == FieldId::SocialNetwork) {
        const bool ims = identifier == FieldId::InstantMessage;
        // Without a value the profile's editor shows disabled; the message's is left out.
        if (hasValue || !ims)
            editor(ims ? OpenIMSPanel : OpenSNSPanel, hasValue);
        editor(OpenEditPanel);
        if (hasValue)
            command("Delete Item", ActionId::DeleteItem);
        command("Add Item", ActionId::InsertItem);
    } else if (identifier == FieldId::Dates || identifier == FieldId::Birthday) {
        const bool dates = identifier == FieldId::Dates;
        QString text;
        if (dates)
            text = hasValue ? valueAtRow(record, identifier)->stringValue : QString();
        else if (const auto birthday = person.birthdayValue())
            text = birthday->stringValue;
        add("Open Calendar", text.isEmpty() ? QString() : ActionId::DoWorkspaceAction, ValueLinks::OpenCalendar);
        separator();
        editor(dates ? "Open Dates Panel" : "Open Birthday Panel");
        if (!text.isEmpty())
            command("Delete Item", ActionId::DeleteItem);
    } else if (identifier == FieldId::PhoneticName) {
        editor("Open Phonetic Name Panel");
        if (const auto phonetic = person.phoneticNameValue(); phonetic && !phonetic->stringValue.isEmpty()) {
            separator();
            command("Delete Item", ActionId::DeleteItem);
        }
    } else if (const QString kind = windowState_->kindForIdentifier(person, identifier); kind == ValueKind::Labeled) {
        editor(OpenEditPanel);
        separator();
        if (hasValue) {
            command("Replace Label and Text", ActionId::ReplaceItem);
            command("Delete Item", ActionId::DeleteItem);
            separator();
            textCommands();
        } else {
            command("Add Item", ActionId::InsertItem);
        }
    } else if (kind == ValueKind::String) {
        if (!person.stringValueForIdentifier(identifier).isEmpty()) {
            command("Clear Text", ActionId::DeleteItem);
            textCommands();
        } else {
            command("Replace Text", ActionId::ReplaceItem);
        }
    }
}

std::optional<ContactsViewController::ClickedCell> ContactsViewController::clickedCell() const {
    if (clickedRow_ < 0 || clickedColumn_ < 0 || clickedColumn_ >= int(model_->columns().size()) ||
        !isRow(clickedRow_))
        return std::nullopt;
    return ClickedCell{clickedRow_, clickedColumn_, subContactTable()[size_t(clickedRow_)],
                       model_->columns()[clickedColumn_].identifier};
}

// ---- Editors from the menu

void ContactsViewController::showPopoverWrapper(QObject *sender) {
    const auto clicked = clickedCell();
    const auto *item = qobject_cast<MenuItem *>(sender);
    if (!clicked || !item)
        return;
    const QString key = item->representedObject().toString();
    const EditRows rows = editState() ? selectedRowsAnd(clicked->row) : EditRows{clicked->record};
    const SubContactRowPtr record = clicked->record;
    const QString identifier = clicked->identifier;
    if (identifier == FieldId::Name) {
        const QRect rect = frameOfCellAtColumn(clicked->column, clicked->row);
        editRows_ = EditRows{record};
        if (key == QLatin1String(OpenNamePanel))
            showNamePopover(record, identifier, rect);
        else
            showContactInfoPopover(record, identifier, rect);
        return;
    }
    // The cell is found again when the editor opens: a sheet may come first.
    const auto open = [this, key, record, identifier, rows] {
        const int row = indexOfRow(record->uniqueId, record->labelIndex);
        const int column = model_->columnOf(identifier);
        if (row < 0 || column < 0)
            return;
        const QRect rect = frameOfCellAtColumn(column, row);
        const auto value = valueAtRow(*record, identifier);
        // The editors take the value the row shows, by its running number.
        const qint64 index = value ? value->labelIndex : record->labelIndex;
        editRows_ = rows;
        if (identifier == FieldId::Dates || identifier == FieldId::Birthday)
            showDatePopover(record, identifier, index, rect);
        else if (identifier == FieldId::PhoneticName)
            showPhoneticNamePopover(record, identifier, rect);
        else if ((identifier == FieldId::Address || RowValues::isAddressPart(identifier)) &&
                 key == QLatin1String(OpenAddressPanel))
            showAddressPopover(record, FieldId::Address, value ? index : LabeledValueRecord::noLabelIndex, rect);
        else if (identifier == FieldId::InstantMessage && key == QLatin1String(OpenIMSPanel))
            showIMSPopover(record, identifier, index, rect);
        else if (identifier == FieldId::SocialNetwork && key == QLatin1String(OpenSNSPanel))
            showSNSPopover(record, identifier, index, rect);
        else
            showMultiValuePopover(record, RowValues::fieldOf(identifier), index, rect);
    };
    if (rows.size() < 2)
        return open();
    confirmEditOfRows(L("Do you want to set the same value in the selected rows"), [open](bool confirmed) {
        if (confirmed)
            open();
    });
}

// ---- Values handed to other applications

void ContactsViewController::doWorkspaceAction(QObject *sender) {
    const auto clicked = clickedCell();
    const auto *item = qobject_cast<MenuItem *>(sender);
    if (!clicked || !item)
        return;
    if (const auto value = valueAtRow(*clicked->record, clicked->identifier))
        ValueLinks::openValue(clicked->identifier, value->stringValue, item->representedObject().toString());
}

// ---- The company line of the name cells

void ContactsViewController::toggleShowCompany(QObject *sender) {
    const bool show = !showCompanyInNameCell();
    if (auto *item = qobject_cast<MenuItem *>(sender))
        item->setState(show ? StateOn : StateOff);
    setShowCompanyInNameCell(show);
    UserDefaults::standard().setBool(show, showCompanyKey);
    setSelectedFont(selectedFont());
    updateTable();
}
