#pragma once

#include "model/ContactContainers.h"
#include "model/FindTarget.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QObject;

namespace tessarin {
class DocumentEdits;
}

// Replace and Replace All of the find bar: the current match in its contact, or every
// occurrence of the find text in the shown fields of every contact of the selected group.
// Every change goes through the document's undoable edits, one operation per changed text.
class FindBarReplace {
public:
    // `sender` is handed to the edits as the controller asking; the custom items name the
    // kind of an item a contact does not carry.
    FindBarReplace(tessarin::DocumentEdits &edits, QObject *sender, QList<CustomItemDefinition> customItems);

    // The fields replaced in the contact the detail panel shows: its rows' texts, the name
    // and phonetic name by their parts.
    static const QStringList &detailIdentifiers();
    // The same followed by the window's custom items, which the panel shows as rows too.
    static QStringList detailIdentifiers(const QList<CustomItemDefinition> &customItems);

    // Replaces the match in the contact of the selected group it names, when the matched text
    // still stands at its range (the contact may have changed since it was found). Answers the
    // entry of the contact changed, none when nothing was.
    std::optional<ContactEntry> replaceByString(const QString &replacement, const FindTarget &target,
                                                const ContactTable &contacts, const QString &findString,
                                                Qt::CaseSensitivity caseSensitivity);

    // Replaces every occurrence in the fields `identifiersOf` gives each contact; contacts the
    // group marked deleted are left alone. Answers whether any text changed.
    bool replaceAll(const QString &findString, const QString &replacement,
                    Qt::CaseSensitivity caseSensitivity, const ContactTable &contacts,
                    const std::function<QStringList(const ContactEntry &entry)> &identifiersOf);

private:
    tessarin::DocumentEdits &edits_;
    QObject *sender_;
    QList<CustomItemDefinition> customItems_;
};
