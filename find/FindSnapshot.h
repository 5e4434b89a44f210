#pragma once

#include "model/ContactContainers.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The words of a snapshot (field identifiers, custom item names, label words, parts and
// services), each kept once: texts refer to them by number, so 100,000 contacts do not
// hold 100,000 copies of "home". Number 0 is the empty word.
class FindWords {
public:
    quint32 idOf(const QString &word);
    // The number of a word, or none (-1 as unsigned) when no text uses it.
    quint32 find(const QString &word) const { return ids_.value(word, missing); }
    const QString &word(quint32 id) const { return words_.at(id); }

    static constexpr quint32 missing = quint32(-1);

private:
    QStringList words_{QString()};
    QHash<QString, quint32> ids_{{QString(), 0}};
};

// One non-empty text of a contact that the find window tests. Values of multi-valued
// fields carry their position (index >= 0); single texts (the birthday, text fields, text
// custom items) carry -1.
struct FindText {
    QString text;
    qint32 index = -1;
    quint32 field = 0;   // the field identifier or custom item name
    quint32 subItem = 0; // the name or phonetic part, the address part, the instant-message service
    quint32 label = 0;   // the value's label word
};

// What the find window searches of one contact, read through its getters. Searches read
// only this, never the contact, so the window may change contacts while a search runs.
struct ContactTexts {
    qsizetype entry = -1; // the contact's place in the snapshot's entries
    QString compositeName;
    QList<FindText> texts; // field by field, in the order result rows list them

    // Reads a contact; its owner (the main thread, or a worker while the main thread
    // waits) calls, and `wordId` numbers each word.
    static ContactTexts read(const ContactEntry &entry, qsizetype position,
                             const std::function<quint32(const QString &)> &wordId);
};

// The texts of the contacts of one opening of the find window, in the contacts' order
// (entries marked deleted left out). Searches share it read-only; the window replaces a
// contact's texts after each write-back, on a copy while a search still holds it.
struct FindSnapshot {
    QList<ContactEntry> entries;
    std::vector<ContactTexts> contacts;
    FindWords words;

    // Reads the contacts in chunks on worker threads while the calling thread waits.
    static std::shared_ptr<FindSnapshot> make(const QList<ContactEntry> &entries);
    // Reads one contact again (main thread).
    void reread(qsizetype position);
};
