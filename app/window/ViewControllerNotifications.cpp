// The main view's answers to its panes that change contacts (a contact changed by a pane,
// contacts dropped onto a group or onto the table), Undo and Redo, and the panes' refresh
// after each edit.
#include "app/window/ViewController.h"

#include "app/reading/QMvCardReader.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Window.h"

namespace tessarin {

// Undo and Redo leave the edited mark saying whether undo steps remain.
void ViewController::undo(QObject *) {
    replayUndo(&UndoManager::undo);
}

void ViewController::redo(QObject *) {
    replayUndo(&UndoManager::redo);
}

void ViewController::replayUndo(void (UndoManager::*replay)()) {
    UndoManager *manager = undoManager();
    if (!manager)
        return;
    {
        // A step of many edits (a bulk command) comes back with one refresh.
        BulkEdit replaying(edits_, BulkEdit::Undo::AsMade);
        (manager->*replay)();
    }
    if (Window *window = this->window())
        window->setDocumentEdited(manager->canUndo());
}

void ViewController::contactValueDidChange(const QString &identifier, const PersonPtr &contact) {
    const int shown = contactsShown_;
    contactsViewController_->updateTableWithIdentifier(identifier, contact);
    updateContactInfoShowing({contact}, shown);
    updateDetachedWindowsOf({contact});
}

void ViewController::contactValuesDidChange(const QStringList &identifiers, const QList<PersonPtr> &contacts) {
    const int shown = contactsShown_;
    if (identifiers.size() == 1 && contacts.size() == 1)
        contactsViewController_->updateTableWithIdentifier(identifiers.first(), contacts.first());
    else
        contactsViewController_->updateTableWithContacts(contacts);
    updateContactInfoShowing(contacts, shown);
    updateDetachedWindowsOf(contacts);
}

// The table refreshes the windows of its selected contact only; an edit, its Undo and its
// Redo reach the windows of every contact they change, wherever the selection is.
void ViewController::updateDetachedWindowsOf(const QList<PersonPtr> &contacts) {
    if (!contactWindows_)
        return;
    for (const PersonPtr &contact : contacts)
        if (contact)
            contactWindows_->updateDetachedWindows(contact->uniqueId());
}

// Every change reaches the panes through the edits, whichever pane, editor, menu, Undo or
// find made it: the detail panel (and the card while locked) shows the contact as it is now,
// reloaded once: not again when the table's refresh reported its row, which showed it anew.
void ViewController::updateContactInfoShowing(const QList<PersonPtr> &contacts, int shownBefore) {
    if (contactsShown_ != shownBefore)
        return;
    const std::optional<ContactEntry> &shown = contactInfoController_->contact();
    if (!shown || !shown->person || !contacts.contains(shown->person))
        return;
    contactInfoController_->updateTable();
    if (!editState())
        contactInfoController_->updateWebView();
}

// Both directions refresh the shown group and select its given rows (none, once removed);
// a removal also closes the windows showing the contacts.
void ViewController::contactsDidChange(const QList<ContactEntry> &contacts, const SharedGroup &group,
                                       bool removed) {
    if (contacts.isEmpty() || !contactTable_ || group->contactTable != contactTable_)
        return;
    contactsViewController_->setContactTable(contactTable_);
    contactsViewController_->setSubContactTableDirty(true);
    contactsViewController_->updateTable();
    contactsViewController_->selectRowIndexesWithContacts(contacts);
    if (!removed)
        return;
    // The table keeps the row positions of removed rows without a report; the detail panel
    // and the find position follow the row now there, never a removed contact.
    if (const QList<SubContactRowPtr> rows = contactsViewController_->selectedSubContacts(); !rows.isEmpty())
        rowSelectionDidChange(rows.first());
    if (contactWindows_) {
        QSet<QString> ids;
        for (const ContactEntry &contact : contacts)
            ids.insert(contact.uniqueId);
        contactWindows_->closeContactWindows(ids);
    }
}

void ViewController::groupsDidChange(const SharedGroup &selected) {
    if (selected) {
        showGroupsAndSelect(selected);
        return;
    }
    groupViewController_->setContainerTable(containerTable());
    groupViewController_->updateTable();
}

void ViewController::showGroupsAndSelect(const SharedGroup &group) {
    selectedGroupDict_ = group;
    groupViewController_->setContainerTable(containerTable());
    groupViewController_->setSelectedGroupDict(group);
    groupViewController_->updateTable();
    groupSelectionDidChange(group);
}

void ViewController::contactDidMerge(const ContactEntry &contact) {
    contactDidUpdate(contact, this);
}

void ViewController::contactDidUpdate(const ContactEntry &contact, QObject *sender) {
    const UndoManager *undo = undoManager();
    // One contact changed: only its rows are made again, in place.
    if (undo && (undo->isUndoing() || undo->isRedoing())) {
        // Undo and Redo set the edited mark themselves.
        contactsViewController_->updateTableWithContacts({contact.person});
        if (contactWindows_)
            contactWindows_->updateDetachedWindows(contact.uniqueId);
        return;
    }
    // The edit's own notice has refreshed the detail panel already.
    if (sender != contactInfoController_ && contactWindows_) {
        contactWindows_->updatePopoverIfSender(sender);
        contactWindows_->updateDetachedWindows(contact.uniqueId);
    }
    if (sender != contactsViewController_)
        contactsViewController_->updateTableWithContacts({contact.person});
    setDocumentEdited();
}

void ViewController::addContactByStringIndexes(const QString &stringIndexes, const SharedGroup &group) {
    if (!group)
        return;
    // The numbers name rows of this window's table; others are no rows here.
    const qsizetype rowCount = qsizetype(contactsViewController_->subContactTable().size());
    QList<int> rows;
    for (const QString &piece : stringIndexes.split(QLatin1Char(','))) {
        bool ok = false;
        const int row = piece.trimmed().toInt(&ok);
        if (ok && row >= 0 && row < rowCount && !rows.contains(row))
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    const QList<ContactEntry> contacts = contactsViewController_->contactsForIndexes(rows);
    if (contacts.isEmpty())
        return;
    addContacts(contacts, group);
}

void ViewController::addContactByVCardString(const QString &vCardString, const SharedGroup &group) {
    const SharedGroup target = group ? group : selectedGroupDict_;
    if (!target)
        return;
    const ContactTable contacts = contactsFromVCards(vCardString);
    if (contacts.isEmpty())
        return;
    // A card of this document pasted or dropped into it again is a duplicate.
    if (const std::shared_ptr<ContainerTable> containers = containerTable())
        QMvCard::forgetIdentitiesHeldIn(contacts, *containers);
    addContacts(contacts, target);
}

void ViewController::addContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) {
    if (contacts.isEmpty() || !group)
        return;
    windowState_->addContacts(contacts);
    registerSelectionUndo(contactsViewController_->selectedContacts());
    undoAddContacts(contacts, group);
    setDocumentEdited();
}

// Undoing an add selects what was selected before it (the original of a duplicate, not a
// neighbour that took the removed rows' place); the add's redo selects the added contacts
// itself. Registered before the add, so its undo runs after the removal.
void ViewController::registerSelectionUndo(const QList<ContactEntry> &selected) {
    UndoManager *manager = undoManager();
    if (!manager || selected.isEmpty())
        return;
    const QPointer<ViewController> self(this);
    manager->registerUndo(this, [self, selected] {
        if (!self)
            return;
        self->registerSelectionUndo(selected);
        const UndoManager *undo = self->undoManager();
        if (undo && undo->isUndoing())
            self->contactsViewController_->selectRowIndexesWithContacts(selected);
    });
}

} // namespace tessarin
