// The detail table's context menu, built for the clicked row each time it opens, and its
// item commands: editors, Add and Delete Item, and values handed to other applications.
#include "contact_info/ContactInfoController.h"

#include "editors/ValueLinks.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"
#include "state/ActionIds.h"

namespace {

bool isTitled(QObject *sender, const char *title) {
    const auto *item = qobject_cast<MenuItem *>(sender);
    return item && item->title() == L(title);
}

} // namespace

std::optional<LabeledValueRecord> ContactInfoController::newItemValue(const QString &type) {
    LabeledValueRecord value;
    if (type == FieldId::Phone) {
        value.label = QStringLiteral("home");
        value.value = QStringLiteral("123");
    } else if (type == FieldId::Email || type == FieldId::URL) {
        value.label = QStringLiteral("home");
        value.value = QStringLiteral("new");
    } else if (type == FieldId::Relationship) {
        value.label = QStringLiteral("friend");
        value.value = QStringLiteral("new");
    } else {
        return std::nullopt;
    }
    return value;
}

void ContactInfoController::registerCommands() {
    registerAction(ActionId::ShowPopoverWrapper, [this](QObject *sender) { showPopoverWrapper(sender); });
    registerAction(ActionId::InsertItem, [this](QObject *sender) { insertItem(sender); });
    registerAction(ActionId::DeleteItem, [this](QObject *sender) { deleteItem(sender); });
    registerAction(ActionId::DoWorkspaceAction, [this](QObject *sender) { doWorkspaceAction(sender); });
    registerAction(ActionId::AddImage, [this](QObject *sender) { addImage(sender); });
    registerAction(ActionId::DeleteImage, [this](QObject *sender) { deleteImage(sender); });
    registerAction(ActionId::IconSizeBigger, [this](QObject *sender) { iconSizeBigger(sender); });
    registerAction(ActionId::IconSizeSmaller, [this](QObject *sender) { iconSizeSmaller(sender); });
}

std::optional<InfoTableRow> ContactInfoController::clickedInfoRow() const {
    if (clickedRow_ < 0 || clickedColumn_ < 0 || clickedRow_ >= table_.size() || !contact_ || !contact_->person)
        return std::nullopt;
    return table_.at(clickedRow_);
}

void ContactInfoController::menuNeedsUpdate(Menu *menu) {
    menu->removeAllItems();
    const auto row = clickedInfoRow();
    // The panel offers its menu on the values only, and never in the import preview; the
    // contact popover on either column.
    if (!row || (!popoverCells_ && (clickedColumn_ != ContactInfoTableModel::ValueColumn || !delegate_)))
        return;
    addMenuItems(menu, *row);
}

void ContactInfoController::addMenuItems(Menu *menu, const InfoTableRow &row) {
    // The popover offers the items that change the contact, and most editor items, only
    // while editing; the panel is shown only while unlocked.
    const bool editing = !popoverCells_ || editState();
    const auto add = [&](const char *title, const QString &action = QString(), const QVariant &object = {}) {
        MenuItem *item = menu->addItem(L(title), action);
        item->setTarget(this);
        item->setRepresentedObject(object);
    };
    const auto addWhileEditing = [&](const char *title, const QString &action = QString()) {
        if (editing)
            add(title, action);
    };
    const QString &wrapper = ActionId::ShowPopoverWrapper;
    const QString &workspace = ActionId::DoWorkspaceAction;
    const QString &type = row.type;
    QMPerson &person = *contact_->person;
    const bool hasValue = row.index && person.labeledValueForIdentifier(type, *row.index).has_value();
    const QString ifValue = hasValue ? workspace : QString();
    const auto addAndDelete = [&] {
        addWhileEditing("Add Item", ActionId::InsertItem);
        if (hasValue)
            addWhileEditing("Delete Item", ActionId::DeleteItem);
    };

    if (type == FieldId::Photo) {
        if (!person.photoData().isEmpty()) {
            add("Icon Size Bigger", ActionId::IconSizeBigger);
            add("Icon Size Smaller", ActionId::IconSizeSmaller);
            if (editing)
                menu->addItem(MenuItem::separatorItem());
            addWhileEditing("Replace Image", ActionId::AddImage);
            addWhileEditing("Delete Image", ActionId::DeleteImage);
        } else {
            addWhileEditing("Add Image", ActionId::AddImage);
        }
    } else if (type == FieldId::Phone || type == FieldId::Email || type == FieldId::URL) {
        add(type == FieldId::Phone ? "Call Phone" : type == FieldId::Email ? "Send Email" : "Open URL", ifValue);
        if (hasValue || !popoverCells_)
            add("Open Edit Panel", wrapper);
        else if (type == FieldId::Phone)
            addWhileEditing("Add/Delete Phone Item", wrapper);
        else
            addWhileEditing("Open Edit Panel", wrapper);
        addAndDelete();
    } else if (type == FieldId::Relationship) {
        if (!popoverCells_) {
            add("Open Relationship Panel", wrapper);
            add("Open Edit Panel", wrapper);
        } else if (hasValue) {
            addWhileEditing("Open Relationship Panel", wrapper);
        }
        addAndDelete();
    } else if (type == FieldId::Address) {
        for (const ValueLinks::MapItem &map : ValueLinks::mapItems())
            add(map.title, ifValue, map.item);
        if (hasValue || !popoverCells_)
            add("Open Address Panel", hasValue ? wrapper : QString());
        else
            addWhileEditing("Open Address Panel");
        if (hasValue || !popoverCells_)
            add("Open Edit Panel", wrapper);
        else
            addWhileEditing("Open Edit Panel", wrapper);
        addAndDelete();
    } else if (type == FieldId::InstantMessage || type == FieldId::SocialNetwork) {
        const char *panel = type == FieldId::InstantMessage ? "Open IMS Panel" : "Open SNS Panel";
        if (hasValue || !popoverCells_) {
            add(panel, hasValue ? wrapper : QString());
            add("Open Edit Panel", wrapper);
        } else {
            addWhileEditing(panel);
            addWhileEditing("Open Edit Panel", wrapper);
        }
        addAndDelete();
    } else if (type == FieldId::Dates || type == FieldId::Birthday) {
        const bool dates = type == FieldId::Dates;
        const auto birthday = dates ? std::nullopt : person.birthdayValue();
        const auto date = dates && row.index ? person.labeledValueForIdentifier(type, *row.index) : std::nullopt;
        const bool hasText = !(dates ? (date ? date->stringValue : QString())
                                     : (birthday ? birthday->stringValue : QString()))
                                  .isEmpty();
        // No application here takes a calendar address: the item stays disabled.
        add("Open Calendar", hasText && Workspace::canOpenCalendar() ? workspace : QString());
        const char *panel = dates ? "Open Dates Panel" : "Open Birthday Panel";
        if (!popoverCells_ || (dates && hasText))
            add(panel, wrapper);
        else
            addWhileEditing(panel, wrapper);
        if (hasText)
            addWhileEditing("Delete Item", ActionId::DeleteItem);
    } else if (type == FieldId::Name || type == FieldId::PhoneticName || QMPerson::stringIdentifiers().contains(type)) {
        // Edited in place only.
    } else if (kindOfRow(row) == ValueKind::Labeled) {
        addWhileEditing("Open Edit Panel", wrapper);
    }
}

void ContactInfoController::showPopoverWrapper(QObject *sender) {
    const auto row = clickedInfoRow();
    if (!row)
        return;
    const QString &type = row->type;
    const qint64 labelIndex = row->labelIndex.value_or(0);
    const QRect rect = frameOfCellAtColumn(clickedColumn_, clickedRow_);
    const ContactEntry shown = *contact_;
    if (type == FieldId::Name || type == FieldId::PhoneticName)
        return;
    if (type == FieldId::Dates || type == FieldId::Birthday)
        return showDatePopover(shown, type, labelIndex, rect);
    if (type == FieldId::Address && isTitled(sender, "Open Address Panel"))
        return showAddressPopover(shown, type, labelIndex, rect);
    if (type == FieldId::InstantMessage && isTitled(sender, "Open IMS Panel"))
        return showIMSPopover(shown, type, labelIndex, rect);
    if (type == FieldId::SocialNetwork && isTitled(sender, "Open SNS Panel"))
        return showSNSPopover(shown, type, labelIndex, rect);
    showMultiValuePopover(shown, type, labelIndex, rect);
}

void ContactInfoController::insertItem(QObject *) {
    const auto row = clickedInfoRow();
    if (!row || !delegate_ || !editState())
        return;
    selectRows({clickedRow_});
    const QString &type = row->type;
    const QRect rect = frameOfCellAtColumn(clickedColumn_, clickedRow_);
    const qint64 newValue = LabeledValueRecord::noLabelIndex;
    if (type == FieldId::Address)
        return showAddressPopover(*contact_, type, newValue, rect);
    if (type == FieldId::SocialNetwork)
        return showSNSPopover(*contact_, type, newValue, rect);
    if (type == FieldId::InstantMessage)
        return showIMSPopover(*contact_, type, newValue, rect);
    const auto value = newItemValue(type);
    if (!value)
        return;
    delegate_->undoAddLabeledValue(*value, type, contact_->person, this);
    // Reported like every change, so the panes showing the contact follow (the popover too).
    sendContactDidUpdate();
    updateTable();
}

void ContactInfoController::deleteItem(QObject *) {
    const auto row = clickedInfoRow();
    if (!row || !delegate_ || !editState())
        return;
    const int number = clickedRow_;
    const InfoTableRow taken = *row;
    const std::shared_ptr<QMPerson> person = contact_->person;
    Alert alert;
    alert.messageText =
        L("Do you want to delete the item(label and text) in the selected cells in column:%1 ?").arg(taken.type);
    alert.informativeText = L("This operation can be undone.");
    alert.buttons = {L("OK"), L("Cancel")};
    QPointer<ContactInfoController> guard(this);
    alert.beginSheetModalForWindow(tableView_->window(), [guard, number, taken, person](int answer) {
        // Locked while the sheet was up: nothing changes.
        if (!guard || answer != AlertFirstButtonReturn || !guard->delegate_ || !guard->editState())
            return;
        ContactInfoController &panel = *guard;
        if (number < panel.table_.size())
            panel.selectRows({number});
        bool changed = false;
        if (QMPerson::labeledIdentifiers().contains(taken.type)) {
            if (taken.labelIndex &&
                person->labeledValueForIdentifier(taken.type, LabelIndex(*taken.labelIndex)).has_value())
                changed = panel.delegate_->undoDeleteLabeledValueForIdentifier(taken.type, *taken.labelIndex, person,
                                                                               &panel);
        } else if (taken.type == FieldId::Birthday) {
            changed = panel.delegate_->undoReplaceBirthday(FieldValue(), person);
        }
        if (!changed)
            return;
        panel.sendContactDidUpdate();
        panel.reloadKeepingSelection(false);
    });
}

void ContactInfoController::doWorkspaceAction(QObject *sender) {
    const auto row = clickedInfoRow();
    if (!row || !row->labelIndex)
        return;
    const auto value = contact_->person->labeledValueForIdentifier(row->type, LabelIndex(*row->labelIndex));
    const auto *item = qobject_cast<MenuItem *>(sender);
    ValueLinks::openValue(row->type, value ? value->stringValue : QString(),
                          item ? item->representedObject().toString() : QString());
}
