// The undoable edit operations of a document: contacts added to and removed from groups,
// groups added, removed and renamed, and every value written into a contact.
#include "app/edits/DocumentEdits.h"

#include "merge/result/MergeResult.h"

#include "platform/core/Log.h"
#include "platform/core/UndoManager.h"
#include "state/WindowState.h"

#include <QBuffer>

namespace tessarin {

namespace {

QByteArray photoBytes(const QMPerson &person) {
    return person.imageData().isEmpty() ? person.thumbnailImageData() : person.imageData();
}

} // namespace

DocumentEdits::DocumentEdits(const WindowState *state, UndoManagerSource undoManager, QObject *parent)
    : QObject(parent)
    , state_(state)
    , undoManager_(std::move(undoManager)) {}

UndoManager *DocumentEdits::undoManager() const {
    return undoManager_ ? undoManager_() : nullptr;
}

void DocumentEdits::registerUndo(std::function<void(DocumentEdits *)> inverse) {
    UndoManager *manager = undoManager();
    if (!manager)
        return;
    // The document's undo manager can outlive its window and these edits.
    manager->registerUndo(this, [self = QPointer<DocumentEdits>(this), inverse = std::move(inverse)] {
        if (self)
            inverse(self);
    });
}

void DocumentEdits::contactValueDidChange(const QString &identifier, const PersonPtr &contact) {
    if (deferral_ > 0) {
        if (!pending_.identifiers.contains(identifier))
            pending_.identifiers.append(identifier);
        if (contact && !pending_.changedSet.contains(contact.get())) {
            pending_.changedSet.insert(contact.get());
            pending_.changed.append(contact);
        }
    } else if (observer_) {
        observer_->contactValueDidChange(identifier, contact);
    }
}

void DocumentEdits::contactsDidChange(const QList<ContactEntry> &contacts, const SharedGroup &group, bool removed) {
    if (deferral_ == 0) {
        if (observer_)
            observer_->contactsDidChange(contacts, group, removed);
        return;
    }
    // Changes of one kind in a row are told as one.
    if (!pending_.contacts.isEmpty() && pending_.contacts.last().group == group &&
        pending_.contacts.last().removed == removed)
        pending_.contacts.last().contacts.append(contacts);
    else
        pending_.contacts.append({contacts, group, removed});
}

void DocumentEdits::groupsDidChange(const SharedGroup &selected) {
    if (deferral_ > 0) {
        // A later change that names no group keeps the one an earlier change showed.
        if (selected || !pending_.groups)
            pending_.groups = selected;
    } else if (observer_) {
        observer_->groupsDidChange(selected);
    }
}

bool DocumentEdits::endDeferringRefreshes() {
    if (deferral_ == 0)
        return false;
    const bool changed = !pending_.isEmpty();
    if (--deferral_ > 0)
        return changed;
    const PendingRefresh pending = std::exchange(pending_, {});
    if (!observer_)
        return changed;
    if (pending.groups)
        observer_->groupsDidChange(*pending.groups);
    for (const PendingRefresh::Contacts &change : pending.contacts)
        observer_->contactsDidChange(change.contacts, change.group, change.removed);
    if (!pending.identifiers.isEmpty())
        observer_->contactValuesDidChange(pending.identifiers, pending.changed);
    return changed;
}

ContainerRecord *DocumentEdits::containerWithIdentifier(const QString &identifier) const {
    if (!containerTable_)
        return nullptr;
    for (ContainerRecord &container : *containerTable_)
        if (container.identifier == identifier)
            return &container;
    return nullptr;
}

// ---- Contacts in groups

DocumentEdits::ContactsChange DocumentEdits::planAddContacts(const QList<ContactEntry> &contacts,
                                                               const SharedGroup &group) const {
    ContactsChange change;
    auto plan = [&](const SharedGroup &target) {
        GroupMarks marks{target, target->changed, {}, {}, {}};
        const ContactTable &table = *target->contactTable;
        QSet<QString> held;
        for (const ContactEntry &entry : table)
            held.insert(entry.uniqueId);
        for (const ContactEntry &contact : contacts) {
            if (held.contains(contact.uniqueId)) {
                // The group's own record comes back; a second record would show the contact twice.
                for (qsizetype i = 0; i < table.size(); ++i)
                    if (table[i].uniqueId == contact.uniqueId && table[i].deleted &&
                        !marks.clearedDeleted.contains(i))
                        marks.clearedDeleted.append(i);
                continue;
            }
            ContactEntry added = contact;
            added.isNew = true;
            added.deleted = false;
            added.groupNames.clear();
            marks.appended.append(added);
            held.insert(contact.uniqueId);
        }
        change.append(marks);
    };
    if (!group || !group->contactTable)
        return change;
    plan(group);
    if (group->top)
        return change;
    if (const ContainerRecord *container = containerWithIdentifier(group->containerIdentifier)) {
        const SharedGroup all = container->groups.value(0);
        if (all && all != group && all->contactTable)
            plan(all);
    }
    return change;
}

DocumentEdits::ContactsChange DocumentEdits::planDeleteContacts(const QList<ContactEntry> &contacts,
                                                                  const SharedGroup &group) const {
    ContactsChange change;
    if (!group || !group->contactTable)
        return change;
    QSet<QString> ids;
    for (const ContactEntry &contact : contacts)
        ids.insert(contact.uniqueId);
    QList<SharedGroup> groups{group};
    // Removing from the all-contacts group removes the contact from the whole container.
    if (group->top)
        if (const ContainerRecord *container = containerWithIdentifier(group->containerIdentifier))
            for (const SharedGroup &other : container->groups)
                if (other != group && other->contactTable)
                    groups.append(other);
    for (const SharedGroup &target : std::as_const(groups)) {
        GroupMarks marks{target, target->changed, {}, {}, {}};
        const ContactTable &table = *target->contactTable;
        for (qsizetype i = 0; i < table.size(); ++i)
            if (ids.contains(table[i].uniqueId) && !table[i].deleted)
                marks.setDeleted.append(i);
        change.append(marks);
    }
    return change;
}

void DocumentEdits::applyChange(const ContactsChange &change) {
    for (const GroupMarks &marks : change) {
        ContactTable &table = *marks.group->contactTable;
        marks.group->changed = true;
        for (const qsizetype i : marks.clearedDeleted)
            table[i].deleted = false;
        for (const qsizetype i : marks.setDeleted)
            table[i].deleted = true;
        table.append(marks.appended);
    }
}

void DocumentEdits::revertChange(const ContactsChange &change) {
    for (auto it = change.crbegin(); it != change.crend(); ++it) {
        const GroupMarks &marks = *it;
        ContactTable &table = *marks.group->contactTable;
        for (auto added = marks.appended.crbegin(); added != marks.appended.crend(); ++added) {
            for (qsizetype i = table.size() - 1; i >= 0; --i) {
                if (table[i].uniqueId == added->uniqueId) {
                    table.removeAt(i);
                    break;
                }
            }
        }
        for (const qsizetype i : marks.setDeleted)
            if (i < table.size())
                table[i].deleted = false;
        for (const qsizetype i : marks.clearedDeleted)
            if (i < table.size())
                table[i].deleted = true;
        marks.group->changed = marks.wasChanged;
    }
}

void DocumentEdits::undoAddContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) {
    if (!group || !group->contactTable)
        return;
    const ContactsChange change = planAddContacts(contacts, group);
    registerUndo([change, contacts, group](DocumentEdits *self) {
        self->registerUndo(
            [contacts, group](DocumentEdits *again) { again->undoAddContacts(contacts, group); });
        revertChange(change);
        self->contactsDidChange(contacts, group, true);
    });
    applyChange(change);
    contactsDidChange(contacts, group, false);
}

void DocumentEdits::undoDeleteContacts(const QList<ContactEntry> &contacts, const SharedGroup &group,
                                        bool doUndo) {
    if (!group || !group->contactTable)
        return;
    const ContactsChange change = planDeleteContacts(contacts, group);
    if (doUndo) {
        registerUndo([change, contacts, group](DocumentEdits *self) {
            self->registerUndo([contacts, group](DocumentEdits *again) {
                again->undoDeleteContacts(contacts, group, true);
            });
            revertChange(change);
            self->contactsDidChange(contacts, group, false);
        });
    }
    applyChange(change);
    contactsDidChange(contacts, group, true);
}

// ---- Groups

void DocumentEdits::undoAddGroup(const SharedGroup &group, const QString &containerIdentifier) {
    ContainerRecord *container = containerWithIdentifier(containerIdentifier);
    if (!group || !container)
        return;
    registerUndo([group, containerIdentifier](DocumentEdits *self) {
        self->undoDeleteGroup(group, containerIdentifier);
    });
    if (container->groups.contains(group))
        group->deleted = false;
    else
        container->groups.append(group);
    groupsDidChange(nullptr);
}

void DocumentEdits::undoDeleteGroup(const SharedGroup &group, const QString &containerIdentifier) {
    ContainerRecord *container = containerWithIdentifier(containerIdentifier);
    if (!group || !container)
        return;
    const qsizetype position = container->groups.indexOf(group);
    if (position < 0)
        return;
    if (group->top) {
        logRefusal();
        return;
    }
    registerUndo([group, containerIdentifier](DocumentEdits *self) {
        self->undoAddGroup(group, containerIdentifier);
    });
    group->deleted = true;
    container->groups.swapItemsAt(position, container->groups.size() - 1);
    groupsDidChange(container->groups.first());
}

bool DocumentEdits::undoChangeGroupName(const QString &name, const SharedGroup &group) {
    if (!group)
        return false;
    registerUndo(
        [former = group->name, group](DocumentEdits *self) { self->undoChangeGroupName(former, group); });
    group->groupNameChanged = true;
    group->name = name;
    groupsDidChange(group);
    return true;
}

// ---- Contact values

QString DocumentEdits::kindForIdentifier(const QMPerson &person, const QString &identifier) const {
    return state_ ? state_->kindForIdentifier(person, identifier) : person.typeForIdentifier(identifier);
}

bool DocumentEdits::undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) {
    if (!contact)
        return false;
    registerUndo([former = contact->nameValue(), contact](DocumentEdits *self) {
        self->undoReplaceNameValue(former, contact);
    });
    contact->setNameValue(value, FieldId::Name);
    contact->setChanged(true);
    contactValueDidChange(FieldId::Name, contact);
    return true;
}

bool DocumentEdits::undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                                  const PersonPtr &contact) {
    if (!contact)
        return false;
    registerUndo([former = contact->phoneticNameValue(), contact](DocumentEdits *self) {
        self->undoReplacePhoneticNameValue(former, contact);
    });
    contact->setNameValue(FieldValue(value), FieldId::PhoneticName);
    contact->setChanged(true);
    contactValueDidChange(FieldId::PhoneticName, contact);
    return true;
}

bool DocumentEdits::undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) {
    if (!contact || !(value.isNull() || value.is<BirthdayRecord>()))
        return false;
    registerUndo([former = FieldValue(contact->birthdayValue()), contact](DocumentEdits *self) {
        self->undoReplaceBirthday(former, contact);
    });
    const BirthdayRecord *record = value.get<BirthdayRecord>();
    contact->setBirthdayValue(record ? std::optional<BirthdayRecord>(*record) : std::nullopt);
    contact->setChanged(true);
    contactValueDidChange(FieldId::Birthday, contact);
    return true;
}

bool DocumentEdits::undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) {
    if (!contact)
        return false;
    if (value.isNull())
        return undoReplacePhotoData({}, contact);
    const QImage *image = value.get<QImage>();
    if (!image || image->isNull())
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image->save(&buffer, "PNG")) {
        logRefusal();
        return false;
    }
    return undoReplacePhotoData(png, contact);
}

// The photo's own bytes go back on undo, so a JPEG comes back as it was read.
bool DocumentEdits::undoReplacePhotoData(const QByteArray &data, const PersonPtr &contact) {
    registerUndo([former = photoBytes(*contact), contact](DocumentEdits *self) {
        self->undoReplacePhotoData(former, contact);
    });
    if (data.isEmpty() || !contact->setPhotoData(data))
        contact->setPhoto(QImage());
    contact->setChanged(true);
    contactValueDidChange(FieldId::Photo, contact);
    return true;
}

bool DocumentEdits::undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                            const PersonPtr &contact, QObject *sender) {
    if (!contact)
        return false;
    if (QMPerson::labeledIdentifiers().contains(identifier) ||
        QMPerson::addressIdentifiers().contains(identifier)) {
        logRefusal();
        return false;
    }
    const QString kind = kindForIdentifier(*contact, identifier);
    if (kind != ValueKind::String) {
        if (kind == ValueKind::Labeled)
            logRefusal();
        return false;
    }
    registerUndo([former = contact->stringValueForIdentifier(identifier), identifier, contact,
                  origin = QPointer<QObject>(sender)](DocumentEdits *self) {
        self->undoReplaceStringValue(former, identifier, contact, origin.data());
    });
    contact->setValue(FieldValue(value.value_or(QString())), identifier);
    contact->setChanged(true);
    contactValueDidChange(identifier, contact);
    return true;
}

// The whole former value goes back through the replace operation.
void DocumentEdits::registerLabeledValueInverse(const FieldValue &former, const QString &identifier,
                                                 const PersonPtr &contact, QObject *sender) {
    registerUndo([former, identifier, contact, origin = QPointer<QObject>(sender)](DocumentEdits *self) {
        self->undoReplaceLabeledValue(former, identifier, contact, origin.data());
    });
}

bool DocumentEdits::undoReplaceLabeledValue(const FieldValue &value, const QString &identifier,
                                             const PersonPtr &contact, QObject *sender) {
    if (!contact)
        return false;
    const auto registerFormer = [&](const FieldValue &former) {
        registerLabeledValueInverse(former, identifier, contact, sender);
    };
    const LabeledValueRecord *record = value.get<LabeledValueRecord>();
    if (QMPerson::addressIdentifiers().contains(identifier)) {
        if (!record)
            return false;
        const auto former =
            contact->labeledValueForIdentifier(FieldId::Address, LabelIndex(record->labelIndex));
        if (!former)
            return false;
        registerFormer(*former);
        contact->replaceLabeledValue(*record, FieldId::Address);
    } else if (QMPerson::labeledIdentifiers().contains(identifier) ||
               contact->typeForIdentifier(identifier) == ValueKind::Labeled) {
        FieldValue former;
        if (value.isNull() || value.is<LabeledValueList>()) {
            former = contact->labeledValueForIdentifier(identifier).value_or(LabeledValueList{});
        } else if (record) {
            const auto current =
                contact->labeledValueForIdentifier(identifier, LabelIndex(record->labelIndex));
            if (!current)
                return false;
            former = *current;
        } else {
            return false;
        }
        registerFormer(former);
        contact->replaceLabeledValue(value, identifier);
    } else if (contact->typeForIdentifier(identifier).isEmpty() &&
               kindForIdentifier(*contact, identifier) == ValueKind::Labeled) {
        // The first value of a document's labeled item that this contact does not carry yet.
        if (value.isNull())
            return false;
        // Undone, the contact no longer carries the item at all.
        registerUndo([value, identifier, contact, origin = QPointer<QObject>(sender)](DocumentEdits *self) {
            self->registerUndo([value, identifier, contact, origin](DocumentEdits *again) {
                again->undoReplaceLabeledValue(value, identifier, contact, origin.data());
            });
            contact->deleteCustomItemForName(identifier);
            contact->setChanged(true);
            self->contactValueDidChange(identifier, contact);
        });
        contact->addLabeledValue(value, identifier);
    } else {
        logRefusal();
        return false;
    }
    contact->setChanged(true);
    contactValueDidChange(identifier, contact);
    return true;
}

void DocumentEdits::undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                                         const PersonPtr &contact, QObject *sender) {
    if (!contact)
        return;
    if (kindForIdentifier(*contact, identifier) == ValueKind::Labeled) {
        registerLabeledValueInverse(
            contact->labeledValueForIdentifier(identifier).value_or(LabeledValueList{}), identifier, contact,
            sender);
        contact->addLabeledValue(value, identifier);
    }
    contact->setChanged(true);
    contactValueDidChange(identifier, contact);
}

bool DocumentEdits::undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                                         const PersonPtr &contact, QObject *sender) {
    if (!contact)
        return false;
    if (QMPerson::addressIdentifiers().contains(identifier) ||
        kindForIdentifier(*contact, identifier) != ValueKind::Labeled) {
        logRefusal();
        return false;
    }
    registerLabeledValueInverse(contact->labeledValueForIdentifier(identifier).value_or(LabeledValueList{}),
                                identifier, contact, sender);
    contact->deleteLabeledValueForIdentifier(identifier, LabelIndex(labelIndex));
    contact->setChanged(true);
    contactValueDidChange(identifier, contact);
    return true;
}

void DocumentEdits::undoReplacePersonByContacts(const QList<ContactEntry> &contacts,
                                                 const QList<ContactEntry> &fromContacts) {
    static const QStringList carried = {FieldId::Email,          FieldId::Phone,         FieldId::Address,
                                        FieldId::InstantMessage, FieldId::SocialNetwork, FieldId::URL,
                                        FieldId::Nickname,       FieldId::Relationship,  FieldId::Suffix,
                                        FieldId::Title,          FieldId::Company,       FieldId::Department,
                                        FieldId::JobTitle,       FieldId::Dates,         FieldId::Note};
    // One step, and the window refreshes once for all the fields.
    BulkEdit bulk(this);
    for (qsizetype i = 0; i < std::min(contacts.size(), fromContacts.size()); ++i) {
        const PersonPtr &merged = contacts[i].person;
        const PersonPtr &old = fromContacts[i].person;
        if (!merged || !old)
            continue;
        if (photoBytes(*merged) != photoBytes(*old))
            undoReplacePhotoData(photoBytes(*merged), old);
        if (merged->nameValue() != old->nameValue())
            undoReplaceNameValue(merged->nameValue(), old);
        if (merged->phoneticNameValue() != old->phoneticNameValue())
            undoReplacePhoneticNameValue(merged->phoneticNameValue(), old);
        if (merged->birthdayValue() != old->birthdayValue())
            undoReplaceBirthday(FieldValue(merged->birthdayValue()), old);
        for (const QString &identifier : carried) {
            const FieldValue value = merged->valueForIdentifier(identifier);
            if (value == old->valueForIdentifier(identifier))
                continue;
            if (old->typeForIdentifier(identifier) == ValueKind::Labeled)
                undoReplaceLabeledValue(value, identifier, old, parent());
            else
                undoReplaceStringValue(value.text(), identifier, old, parent());
        }
        // Values moved or typed into the merge sheet's custom items reach the contact too.
        for (const CustomItemChange &change : changedCustomItems(*merged, *old, state_->customItemsOrEmpty())) {
            if (change.kind == ValueKind::Labeled)
                undoReplaceLabeledValue(change.value, change.identifier, old, parent());
            else
                undoReplaceStringValue(change.value.text(), change.identifier, old, parent());
        }
    }
    bulk.end();
    if (!contacts.isEmpty() && observer_)
        observer_->contactDidMerge(contacts.first());
}

// ---- Bulk edits

BulkEdit::BulkEdit(DocumentEdits *edits, Undo undo)
    : edits_(edits) {
    if (!edits)
        return;
    if (undo == Undo::OneStep)
        undoManager_ = edits->undoManager();
    if (undoManager_)
        undoManager_->beginUndoGrouping();
    edits->beginDeferringRefreshes();
}

bool BulkEdit::end() {
    if (ended_)
        return false;
    ended_ = true;
    // The step is closed before the window shows it, so the window sees it to undo.
    if (undoManager_)
        undoManager_->endUndoGrouping();
    return edits_ && edits_->endDeferringRefreshes();
}

} // namespace tessarin
