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

    // Whether a value with this label is shown (the table's label filter); none shows all.
    using LabelShown = std::function<bool(const std::optional<QString> &label)>;

    // Replaces the match in the contact of the selected group it names, when the matched text
    // still stands at its range (the contact may have changed since it was found) and its value
    // is shown. Answers the entry of the contact changed, none when nothing was.
    std::optional<ContactEntry> replaceByString(const QString &replacement, const FindTarget &target,
                                                const ContactTable &contacts, const QString &findString,
                                                Qt::CaseSensitivity caseSensitivity,
                                                const LabelShown &labelShown = {});

    // Replaces every occurrence in the fields `identifiersOf` gives each contact, in the values
    // `labelShownIn` lets through for it (every value without it); contacts the group marked
    // deleted are left alone. Answers whether any text changed.
    bool replaceAll(const QString &findString, const QString &replacement,
                    Qt::CaseSensitivity caseSensitivity, const ContactTable &contacts,
                    const std::function<QStringList(const ContactEntry &entry)> &identifiersOf,
                    const std::function<LabelShown(const ContactEntry &entry)> &labelShownIn = {});

private:
    tessarin::DocumentEdits &edits_;
    QObject *sender_;
    QList<CustomItemDefinition> customItems_;
};
