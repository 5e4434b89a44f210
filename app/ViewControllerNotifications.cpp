// The main view's answers to its panes that change contacts: a contact changed by a pane,
// and contacts dropped onto a group or onto the table.
#include "app/ViewController.h"

#include "model/QMvCard.h"
#include "platform/core/UndoManager.h"

namespace tessarin {

void ViewController::contactDidUpdate(const ContactEntry &contact, QObject *sender) {
    const UndoManager *undo = undoManager();
    if (undo && (undo->isUndoing() || undo->isRedoing())) {
        // Undo and Redo set the edited mark themselves.
        contactsViewController_->updateTable();
        if (contactWindows_)
            contactWindows_->updateDetachedWindows(contact.uniqueId);
        return;
    }
    contactInfoController_->updateTable();
    if (sender != contactInfoController_ && contactWindows_) {
        contactWindows_->updatePopoverIfSender(sender);
        contactWindows_->updateDetachedWindows(contact.uniqueId);
    }
    if (sender != contactsViewController_)
        contactsViewController_->updateTable();
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
    undoAddContacts(contacts, group);
    setDocumentEdited();
}

void ViewController::addContactByVCardString(const QString &vCardString, const SharedGroup &group) {
    const SharedGroup target = group ? group : selectedGroupDict_;
    if (!target)
        return;
    const std::shared_ptr<ContainerTable> read = QMvCard().containersFromVCards(vCardString);
    if (!read || read->isEmpty() || read->first().groups.isEmpty())
        return;
    const ContainerRecord &container = read->first();
    const SharedContactTable contacts = QMvCard::contactsForGroup(*container.groups.first(), container);
    if (!contacts || contacts->isEmpty())
        return;
    undoAddContacts(*contacts, target);
    setDocumentEdited();
}

} // namespace tessarin
