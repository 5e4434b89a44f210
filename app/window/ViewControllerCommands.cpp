// The Group and Contact menus' commands that create and remove groups and contacts.
#include "app/window/ViewController.h"

#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Window.h"

#include <QDateTime>

namespace tessarin {

namespace {

const QString NewName = QStringLiteral("New");

} // namespace

void ViewController::registerEditActions() {
    const std::pair<const QString &, void (ViewController::*)(QObject *)> actions[] = {
        {ActionId::Undo, &ViewController::undo},
        {ActionId::Redo, &ViewController::redo},
        {ActionId::AddGroup, &ViewController::addGroup},
        {ActionId::DeleteGroup, &ViewController::deleteGroup},
        {ActionId::AddContact, &ViewController::addContact},
        {ActionId::DeleteContacts, &ViewController::deleteContacts},
        {ActionId::DuplicateContacts, &ViewController::duplicateContacts},
    };
    for (const auto &[name, method] : actions)
        registerAction(name, [this, method = method](QObject *sender) { (this->*method)(sender); });
}

void ViewController::addGroup(QObject *) {
    if (!selectedGroupDict_)
        return;
    const ContainerRecord *container = containerWithIdentifier(selectedGroupDict_->containerIdentifier);
    if (!container)
        return;
    // Deleted groups stay in the container and keep their names taken.
    QSet<QString> names;
    for (const SharedGroup &group : container->groups)
        names.insert(group->name);
    QString name = NewName;
    for (qint64 counter = 0; names.contains(name); ++counter)
        name = NewName + QString::number(counter);

    auto group = std::make_shared<GroupRecord>();
    group->name = name;
    group->containerName = container->name;
    group->identifier = name + QLatin1Char('+') + QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    group->containerIdentifier = selectedGroupDict_->containerIdentifier;
    group->isNew = true;
    undoAddGroup(group, container->identifier);
    setDocumentEdited();
}

void ViewController::deleteGroup(QObject *) {
    if (!selectedGroupDict_ || selectedGroupDict_->top)
        return;
    Alert alert;
    alert.messageText = L("Do you want to remove the group?");
    alert.informativeText = L("This operation can't be undone.");
    alert.addButtonWithTitle(L("OK"));
    alert.addButtonWithTitle(L("Cancel"));
    if (alert.runModal(window()) != AlertFirstButtonReturn)
        return;
    const ContainerRecord *container = containerWithIdentifier(selectedGroupDict_->containerIdentifier);
    if (!container)
        return;
    undoDeleteGroup(selectedGroupDict_, container->identifier);
    setDocumentEdited();
}

void ViewController::addContact(QObject *) {
    if (!selectedGroupDict_)
        return;
    auto person = std::make_shared<QMPerson>();
    NameRecord name;
    name.firstName = NewName;
    name.showAsPerson = true;
    person->setValue(name, FieldId::Name);
    ContactEntry entry = ContactEntry::withPerson(std::move(person));
    entry.isNew = true;

    if (!editState())
        setEditState(true);
    // The add refreshed the shown group's rows once already.
    addContacts({entry}, selectedGroupDict_);
    contactsViewController_->selectRowIndexesWithContacts({entry});
    if (contactWindows_)
        contactWindows_->showContactInfoPopoverWithOption(QStringLiteral("YES"));
}

void ViewController::deleteContacts(QObject *) {
    deleteContacts(contactsViewController_->selectedContacts());
}

void ViewController::deleteContacts(const QList<ContactEntry> &contacts) {
    if (contacts.isEmpty() || !selectedGroupDict_)
        return;
    undoDeleteContacts(contacts, selectedGroupDict_, true);
    setDocumentEdited();
}

void ViewController::duplicateContacts(QObject *) {
    duplicateContacts(contactsViewController_->selectedContacts());
}

void ViewController::duplicateContacts(const QList<ContactEntry> &contacts) {
    QList<ContactEntry> duplicates;
    for (const ContactEntry &entry : contacts) {
        if (!entry.person)
            continue;
        ContactEntry duplicate =
            ContactEntry::withPerson(std::shared_ptr<QMPerson>(entry.person->duplicate()));
        duplicate.isNew = true;
        duplicates.append(duplicate);
    }
    if (duplicates.isEmpty() || !selectedGroupDict_)
        return;
    addContacts(duplicates, selectedGroupDict_);
}

} // namespace tessarin
