#pragma once

#include "model/QMPerson.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// The records in which a document keeps its contacts: one container per file, its groups,
// and each group's contact entries.

// One contact in one group. A contact in category groups has one entry in the
// all-contacts group and one in each category group: all share the QMPerson and the
// uniqueId, and each entry keeps its own marks.
struct ContactEntry {
    std::shared_ptr<QMPerson> person;
    QString uniqueId;  // the person's uniqueId: the contact's identity across groups and exports
    QString uniqueId2; // contacts read from a contacts store only
    qint64 labelIndex = 0;
    bool isNew = false;
    bool changed = false;
    bool deleted = false; // deleting only sets this mark
    QStringList groupNames;

    static ContactEntry withPerson(std::shared_ptr<QMPerson> person) {
        ContactEntry entry;
        entry.uniqueId = person->uniqueId();
        entry.person = std::move(person);
        return entry;
    }
};

// A group's contacts: one list that the main view, the group list and the contacts table
// share.
using ContactTable = QList<ContactEntry>;
using SharedContactTable = std::shared_ptr<ContactTable>;

struct GroupRecord {
    bool top = false; // the all-contacts group
    QString name;
    QString containerName; // "vCard" on the all-contacts group of a file, "Local" on categories
    // The empty text on the all-contacts group of a file, "<category>-<time>" on a category
    // group; absent on groups made in the window, which carry an identifier instead.
    std::optional<QString> uniqueId;
    QString identifier;
    QString containerIdentifier;
    SharedContactTable contactTable = std::make_shared<ContactTable>();
    bool isNew = false;
    bool changed = false;
    bool deleted = false; // a deleted group stays in its container, marked
    bool groupNameChanged = false;
};
using SharedGroup = std::shared_ptr<GroupRecord>;

struct ContainerRecord {
    QString name; // "vCard" for the container of a file
    int type = 1;
    QString identifier;
    QList<SharedGroup> groups; // the all-contacts group first, then by name
};

// A document's containers; a file gives exactly one.
using ContainerTable = QList<ContainerRecord>;

inline const QString VCardContainerName = QStringLiteral("vCard");
inline const QString LocalContainerName = QStringLiteral("Local");
