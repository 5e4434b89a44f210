// The commands of the contacts table's menus: the item commands that change one field in
// many rows at once (delete, replace, add, prepend, append), each one undo step shown once,
// and the contact commands (QR code, merge, phone numbers, duplicate, delete, export).
#include "contacts_table/ContactsViewController.h"

#include "contacts_table/RowValues.h"
#include "model/NormalizePhoneNumber.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QSet>
#include <QTableView>

using RowValues::isAddressPart;

namespace {

// A value of one contact: the running number of a labeled value, none for the contact's
// single value of a field. A command acts on each once, however many rows show it.
using ValueKey = std::pair<const QMPerson *, qint64>;
constexpr qint64 wholeField = -2;

} // namespace

ContactsViewController::EditRows ContactsViewController::commandRows(int clickedRow) const {
    const QList<int> selected = selectedRowIndexes();
    if (!selected.contains(clickedRow))
        return {subContactTable()[size_t(clickedRow)]};
    EditRows rows;
    for (const int r : selected)
        rows.append(subContactTable()[size_t(r)]);
    return rows;
}

// ---- Delete Item, Clear Text

void ContactsViewController::deleteItem(QObject *) {
    const auto clicked = clickedCell();
    if (!clicked || !delegate_ || !editState())
        return;
    const EditRows rows = commandRows(clicked->row);
    const QString identifier = clicked->identifier;
    const SubContactRowPtr record = clicked->record;
    Alert alert;
    alert.messageText =
        L("Do you want to delete the item(label and text) in the selected cells in column:%1 ?").arg(identifier);
    alert.informativeText = L("This operation can be undone.");
    alert.addButtonWithTitle(L("OK"));
    alert.addButtonWithTitle(L("Cancel"));
    alert.beginSheetModalForWindow(tableView_->window(), [self = QPointer(this), rows, identifier,
                                                          record](int response) {
        if (!self || response != AlertFirstButtonReturn || !self->delegate_)
            return;
        if (const int row = self->indexOfRow(record->uniqueId, record->labelIndex); row >= 0)
            self->selectRowIndexes({row});
        ContactsViewControllerDelegate &edits = *self->delegate_;
        ContactsViewController *sender = self;
        // Each contact's values from the highest running number down, each once: a lower
        // number still names the same value after a higher one is gone, whatever the sort.
        QList<std::shared_ptr<QMPerson>> contacts;
        QHash<const QMPerson *, QList<qint64>> numbers;
        for (const SubContactRowPtr &row : rows) {
            const QString kind = isAddressPart(identifier) ? ValueKind::Labeled
                                                           : self->windowState_->kindForIdentifier(*row->person, identifier);
            qint64 number = wholeField;
            if (kind == ValueKind::Labeled) {
                const auto value = self->valueAtRow(*row, identifier);
                if (!value)
                    continue;
                number = value->labelIndex;
            }
            QList<qint64> &ofContact = numbers[row->person.get()];
            if (ofContact.isEmpty())
                contacts.append(row->person);
            if (!ofContact.contains(number))
                ofContact.append(number);
        }
        const bool changed = self->editRows([&] {
            bool any = false;
            for (const std::shared_ptr<QMPerson> &person : std::as_const(contacts)) {
                QList<qint64> &ofContact = numbers[person.get()];
                std::sort(ofContact.begin(), ofContact.end(), std::greater<>());
                for (const qint64 number : std::as_const(ofContact)) {
                    if (identifier == FieldId::Birthday)
                        any = edits.undoReplaceBirthday(FieldValue(), person) || any;
                    else if (identifier == FieldId::PhoneticName)
                        any = edits.undoReplacePhoneticNameValue(std::nullopt, person) || any;
                    else if (number != wholeField)
                        any = edits.undoDeleteLabeledValueForIdentifier(RowValues::fieldOf(identifier), number,
                                                                        person, sender) ||
                              any;
                    else
                        any = edits.undoReplaceStringValue(QString(), identifier, person, sender) || any;
                }
            }
            return any;
        });
        if (changed)
            self->setDocumentEdited();
    });
}

// ---- Replace, Prepend and Append Text: the bulk dialog

void ContactsViewController::replaceItem(QObject *sender) {
    const auto *item = qobject_cast<MenuItem *>(sender);
    const QString type = item ? item->representedObject().toString() : QString();
    runReplaceAlertPanel(sender, type == ReplaceAlertPanel::ReplaceLabelAndText ? type : ReplaceAlertPanel::ReplaceText);
}

void ContactsViewController::prependItem(QObject *sender) {
    runReplaceAlertPanel(sender, ReplaceAlertPanel::PrependText);
}

void ContactsViewController::appendItem(QObject *sender) {
    runReplaceAlertPanel(sender, ReplaceAlertPanel::AppendText);
}

void ContactsViewController::runReplaceAlertPanel(QObject *, const QString &type) {
    const auto clicked = clickedCell();
    Window *shownIn = window();
    if (!clicked || !delegate_ || !editState() || !shownIn || Application::shared().attachedSheet(shownIn))
        return;
    const EditRows rows = commandRows(clicked->row);
    selectRowIndexes({clicked->row});
    const QString identifier = clicked->identifier;
    QMPerson &person = *clicked->record->person;
    const QString field = RowValues::fieldOf(identifier);
    auto *panel = new ReplaceAlertPanel(this);
    panel->setLabels(QMPerson::labelsForIdentifier(field).value_or(QStringList()));
    if (isAddressPart(identifier) || windowState_->kindForIdentifier(person, identifier) == ValueKind::Labeled) {
        panel->setLocalizedLabels(QMPerson::localizedLabelsForIdentifier(field).value_or(QStringList()));
        const auto value = valueAtRow(*clicked->record, identifier);
        const QString *part = value && isAddressPart(identifier) ? value->addressPart(identifier) : nullptr;
        panel->setLabel(value ? value->label : std::nullopt);
        panel->setReplaceString(part ? *part : value ? value->stringValue : QString());
    } else {
        panel->setLabel(QString());
        panel->setReplaceString(person.stringValueForIdentifier(identifier));
    }
    panel->setType(type);
    panel->setIdentifier(identifier);
    panel->setTakesLineBreaks(RowValues::takesLineBreaks(identifier));
    panel->updateUI();
    replaceAlertPanel_ = panel;
    Application::shared().beginSheet(panel->window(), shownIn,
                                     [self = QPointer(this), panel, identifier, rows](int code) {
                                         if (self && code == ReplaceAlertPanel::OKResponse)
                                             self->applyReplaceAlertPanel(*panel, identifier, rows);
                                         panel->deleteLater();
                                     });
}

void ContactsViewController::applyReplaceAlertPanel(const ReplaceAlertPanel &panel, const QString &identifier,
                                                    const EditRows &rows) {
    const QString type = panel.type();
    const QString entered = panel.replaceString().value_or(QString());
    // The dialog's label replaces the old one only in its label mode, and only when it gave one.
    const std::optional<QString> label =
        type == ReplaceAlertPanel::ReplaceLabelAndText ? panel.label() : std::optional<QString>();
    const auto newText = [&](const QString &old) {
        if (type == ReplaceAlertPanel::PrependText)
            return entered + old;
        if (type == ReplaceAlertPanel::AppendText)
            return old + entered;
        return entered;
    };
    const bool changed = editRows([&] {
        bool any = false;
        QSet<ValueKey> done;
        for (const SubContactRowPtr &row : rows) {
            const std::shared_ptr<QMPerson> &person = row->person;
            const bool labeled =
                isAddressPart(identifier) || windowState_->kindForIdentifier(*person, identifier) == ValueKind::Labeled;
            auto value = labeled ? valueAtRow(*row, identifier) : std::nullopt;
            if (labeled && !value)
                continue;
            // Several rows of one contact change each value once: prepending twice would
            // write the text twice.
            const ValueKey key(person.get(), value ? value->labelIndex : wholeField);
            if (done.contains(key))
                continue;
            done.insert(key);
            if (isAddressPart(identifier)) {
                QString *part = value->addressPart(identifier);
                *part = newText(*part);
                if (label)
                    value->label = label;
                QMPerson::updateAddressValue(*value, true);
                any = delegate_->undoReplaceLabeledValue(*value, FieldId::Address, person, this) || any;
            } else if (labeled) {
                const QString text = newText(value->stringValue);
                value->value = text;
                value->stringValue = text;
                if (label)
                    value->label = label;
                any = delegate_->undoReplaceLabeledValue(*value, identifier, person, this) || any;
            } else {
                const QString text = newText(person->stringValueForIdentifier(identifier));
                if (type != ReplaceAlertPanel::ReplaceText || text != person->stringValueForIdentifier(identifier))
                    any = delegate_->undoReplaceStringValue(text, identifier, person, this) || any;
            }
        }
        return any;
    });
    if (changed)
        setDocumentEdited();
}

// ---- Add Item

void ContactsViewController::insertItem(QObject *) {
    const auto clicked = clickedCell();
    if (!clicked || !delegate_ || !editState())
        return;
    const EditRows rows = commandRows(clicked->row);
    selectRowIndexes({clicked->row});
    const QString &identifier = clicked->identifier;
    const SubContactRowPtr &record = clicked->record;
    const QRect rect = frameOfCellAtColumn(clicked->column, clicked->row);
    // An editor for a new value, whose answer goes to every target row's contact.
    const auto openNew = [&](void (ContactsViewController::*show)(const SubContactRowPtr &, const QString &, qint64,
                                                                 const QRect &),
                             const QString &type) {
        editRows_ = rows;
        (this->*show)(record, type, LabeledValueRecord::noLabelIndex, rect);
    };
    if (identifier == FieldId::Address || isAddressPart(identifier))
        return openNew(&ContactsViewController::showAddressPopover, FieldId::Address);
    if (identifier == FieldId::SocialNetwork)
        return openNew(&ContactsViewController::showSNSPopover, identifier);
    if (identifier == FieldId::InstantMessage)
        return openNew(&ContactsViewController::showIMSPopover, identifier);
    if (identifier == FieldId::Dates || identifier == FieldId::Birthday)
        return openNew(&ContactsViewController::showDatePopover, identifier);

    LabeledValueRecord added;
    added.value = QStringLiteral("new");
    if (identifier == FieldId::Phone) {
        added.label = QStringLiteral("home");
        added.value = QStringLiteral("123");
    } else if (identifier == FieldId::Email || identifier == FieldId::URL) {
        added.label = QStringLiteral("home");
    } else if (identifier == FieldId::Relationship) {
        added.label = QStringLiteral("friend");
    } else if (windowState_->kindForIdentifier(*record->person, identifier) == ValueKind::Labeled) {
        const QStringList custom = QMPerson::customLabelsForIdentifier(identifier).value_or(QStringList());
        if (custom.isEmpty())
            return;
        added.label = custom.first();
    } else {
        return;
    }
    // One value for each contact, however many of its rows are targets.
    QSet<QString> targets;
    for (const SubContactRowPtr &row : rows)
        targets.insert(row->uniqueId);
    editRows([&] {
        for (const ContactEntry &entry : std::as_const(*contactTable_))
            if (!entry.deleted && targets.remove(entry.uniqueId))
                delegate_->undoAddLabeledValue(added, identifier, entry.person, this);
        return true;
    });
    setDocumentEdited();
}

// ---- Contact commands

SubContactRowPtr ContactsViewController::commandRow() const {
    int row = clickedRow_;
    if (row == -1 && tableView_)
        row = selectedRow();
    return isRow(row) ? subContactTable()[size_t(row)] : nullptr;
}

void ContactsViewController::showQRCode(QObject *) {
    if (const SubContactRowPtr row = commandRow(); row && delegate_)
        delegate_->showQRCodePanel(row);
}

void ContactsViewController::mergeContacts(QObject *) {
    const QList<ContactEntry> contacts = selectedContactsWithClickedRowIndex(-1);
    if (contacts.size() >= 2 && delegate_)
        delegate_->showMergePanel(contacts);
}

void ContactsViewController::normalizePhoneNumber(QObject *sender) {
    const auto *item = qobject_cast<MenuItem *>(sender);
    if (!item || !delegate_ || !editState())
        return;
    // The items' titles are the layouts' samples.
    using Layout = QString (NormalizePhoneNumber::*)() const;
    static const QHash<QString, Layout> layouts = {
        {QStringLiteral("(12) 3456-7890"), &NormalizePhoneNumber::fourPlusFour},
        {QStringLiteral("(123) 456-7890"), &NormalizePhoneNumber::threePlusFour},
        {QStringLiteral("(1234) 56-7890"), &NormalizePhoneNumber::twoPlusFour},
        {QStringLiteral("(12) 34 56 78 90"), &NormalizePhoneNumber::quadTwo},
        {QStringLiteral("090-1234-5678"), &NormalizePhoneNumber::hyphenThreeFour},
        {QStringLiteral("0120-123-456"), &NormalizePhoneNumber::hyphenFourThreeThree},
    };
    const Layout layout = layouts.value(item->title());
    if (!layout)
        return;
    const QList<SubContactRowPtr> rows = selectedSubContacts();
    NormalizePhoneNumber normalizer;
    const bool changed = editRows([&] {
        bool any = false;
        for (const SubContactRowPtr &row : rows) {
            // The number the row shows: one the label filter hides is left as it is.
            auto phone = valueAtRow(*row, FieldId::Phone);
            if (!phone)
                continue;
            normalizer.setPhoneNumber(phone->valueText());
            const QString laidOut = (normalizer.*layout)();
            if (laidOut.isEmpty() || laidOut == phone->valueText())
                continue;
            phone->value = laidOut;
            any = delegate_->undoReplaceLabeledValue(*phone, FieldId::Phone, row->person, this) || any;
        }
        return any;
    });
    if (changed)
        setDocumentEdited();
}

void ContactsViewController::duplicateContact(QObject *) {
    if (const auto clicked = clickedCell(); clicked && editState() && delegate_)
        delegate_->duplicateContacts(selectedContactsWithClickedRowIndex(clicked->row));
}

void ContactsViewController::deleteContact(QObject *) {
    if (const auto clicked = clickedCell(); clicked && editState() && delegate_)
        delegate_->deleteContacts(selectedContactsWithClickedRowIndex(clicked->row));
}

void ContactsViewController::exportContact(QObject *) {
    if (const auto clicked = clickedCell(); clicked && delegate_)
        delegate_->exportContacts(selectedContactsWithClickedRowIndex(clicked->row));
}
