#pragma once

#include "model/ContactContainers.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

// One text of a contact that the find window tests, with what a result row says of it.
struct FindText {
    QString text;
    QString subItem;   // the name or phonetic part, the address part, the instant-message service
    QString label;     // the value's label word (multi-valued fields)
    qint32 index = -1; // the value's position in its field; -1 for single-valued fields
};

// The texts of one field, in the order result rows list them.
struct FindField {
    QString identifier; // a field identifier or a custom item's name
    QString kind;       // the contact's own kind of the field (ValueKind)
    QList<FindText> texts;
};

// What the find window searches of one contact: every non-empty text of every field, read
// through the contact's getters. Searches read only this, never the contact, so the window
// may change contacts while a search runs.
struct ContactTexts {
    ContactEntry contact;
    QString compositeName;
    QList<FindField> fields;

    const FindField *field(const QString &identifier) const;
    // Reads a contact; the caller owns it meanwhile (the main thread, or a worker while the
    // main thread waits).
    static ContactTexts read(const ContactEntry &entry);
};
using ContactTextsPtr = std::shared_ptr<const ContactTexts>;

// The texts of the contacts of one opening of the find window, in the contacts' order
// (entries marked deleted left out). Searches share it read-only; the window replaces a
// contact's texts after each write-back, on a copy when a search still holds this one.
struct FindSnapshot {
    std::vector<ContactTextsPtr> contacts;

    // Reads the contacts in slices on worker threads while the calling thread waits.
    static std::shared_ptr<FindSnapshot> make(const QList<ContactEntry> &contacts);
};
