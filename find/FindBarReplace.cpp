#include "find/FindBarReplace.h"

#include "app/edits/DocumentEdits.h"
#include "find/FindPattern.h"
#include "model/QMPerson.h"

namespace {

using PersonPtr = tessarin::DocumentEdits::PersonPtr;

// Whether the text still holds the find text at the range.
bool holdsMatch(const QString &text, const TextRange &range, const QString &findString,
                Qt::CaseSensitivity cs) {
    return range.isFound() && range.location >= 0 && range.length > 0 && range.length == findString.size() &&
           range.end() <= text.size() &&
           QStringView(text).mid(range.location, range.length).compare(findString, cs) == 0;
}

QString replacedAt(QString text, const TextRange &range, const QString &replacement) {
    return text.replace(range.location, range.length, replacement);
}

const QStringList &namePartKeys() {
    static const QStringList keys = {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName,
                                     FieldId::PreviousFamilyName};
    return keys;
}

const QStringList &phoneticPartKeys() {
    static const QStringList keys = {FieldId::PhoneticFirstName, FieldId::PhoneticMiddleName,
                                     FieldId::PhoneticLastName};
    return keys;
}

const QStringList &addressPartKeys() {
    static const QStringList keys = {FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street,
                                     FieldId::Country};
    return keys;
}

} // namespace

FindBarReplace::FindBarReplace(tessarin::DocumentEdits &edits, QObject *sender,
                               QList<CustomItemDefinition> customItems)
    : edits_(edits)
    , sender_(sender)
    , customItems_(std::move(customItems)) {}

const QStringList &FindBarReplace::detailIdentifiers() {
    static const QStringList identifiers = {FieldId::FirstName,
                                            FieldId::MiddleName,
                                            FieldId::LastName,
                                            FieldId::PreviousFamilyName,
                                            FieldId::Company,
                                            FieldId::PhoneticFirstName,
                                            FieldId::PhoneticMiddleName,
                                            FieldId::PhoneticLastName,
                                            FieldId::Email,
                                            FieldId::Phone,
                                            FieldId::InstantMessage,
                                            FieldId::SocialNetwork,
                                            FieldId::URL,
                                            FieldId::Address,
                                            FieldId::Nickname,
                                            FieldId::Relationship,
                                            FieldId::Suffix,
                                            FieldId::Title,
                                            FieldId::Department,
                                            FieldId::JobTitle,
                                            FieldId::Note};
    return identifiers;
}

QStringList FindBarReplace::detailIdentifiers(const QList<CustomItemDefinition> &customItems) {
    QStringList identifiers = detailIdentifiers();
    for (const CustomItemDefinition &item : customItems)
        identifiers.append(item.name);
    return identifiers;
}

std::optional<ContactEntry> FindBarReplace::replaceByString(const QString &replacement,
                                                            const FindTarget &target,
                                                            const ContactTable &contacts,
                                                            const QString &findString,
                                                            Qt::CaseSensitivity cs, const LabelShown &labelShown) {
    if (!target.range.isFound())
        return std::nullopt;
    const auto entry = std::find_if(contacts.cbegin(), contacts.cend(), [&](const ContactEntry &e) {
        return e.uniqueId == target.uniqueId && !e.deleted && e.person;
    });
    if (entry == contacts.cend())
        return std::nullopt;
    const PersonPtr &person = entry->person;
    const QString &identifier = target.identifier;
    const TextRange &range = target.range;
    const TextRange &item = target.itemRange;
    const auto holds = [&](const QString &text, const TextRange &at) {
        return holdsMatch(text, at, findString, cs);
    };
    // The value the match names, by its running number, whatever its place in the list now;
    // none once the label filter hides it.
    const auto valueOf = [&](const QString &field) {
        auto value = person->labeledValueForIdentifier(field, LabelIndex(target.labelIndex));
        return value && labelShown && !labelShown(value->label) ? std::nullopt : value;
    };
    const auto storeValue = [&](const LabeledValueRecord &record, const QString &field) {
        return edits_.undoReplaceLabeledValue(FieldValue(record), field, person, sender_);
    };

    bool stored = false;
    if (identifier == FieldId::Address || QMPerson::addressIdentifiers().contains(identifier)) {
        // A match in the address cell lies in one of its parts; in a part's column, in that part.
        const bool inCell = identifier == FieldId::Address;
        const TextRange &at = inCell ? item : range;
        std::optional<LabeledValueRecord> address = valueOf(FieldId::Address);
        QString *part = address ? address->addressPart(inCell ? target.subIdentifier : identifier) : nullptr;
        if (part && holds(*part, at)) {
            *part = replacedAt(*part, at, replacement);
            stored = storeValue(*address, FieldId::Address);
        }
    } else if (identifier == FieldId::InstantMessage) {
        // Only the user name: a service is one of a fixed list.
        std::optional<LabeledValueRecord> message = valueOf(identifier);
        if (message && target.subIdentifier == CNInstantMessageAddressUsernameKey &&
            holds(message->username.value_or(QString()), item)) {
            message->value = replacedAt(message->username.value_or(QString()), item, replacement);
            stored = storeValue(*message, identifier);
        }
    } else if (identifier == FieldId::SocialNetwork) {
        std::optional<LabeledValueRecord> profile = valueOf(identifier);
        if (profile && holds(profile->stringValue, range)) {
            profile->value = replacedAt(profile->stringValue, range, replacement);
            stored = storeValue(*profile, identifier);
        }
    } else if (identifier == FieldId::Name) {
        // A company shown in the name cell is no name part: it stays.
        NameRecord name = person->nameValue();
        QString *part = name.part(target.subIdentifier);
        if (part && holds(*part, item)) {
            *part = replacedAt(*part, item, replacement);
            stored = edits_.undoReplaceNameValue(name, person);
        }
    } else if (identifier == FieldId::PhoneticName) {
        std::optional<PhoneticNameRecord> phonetic = person->phoneticNameValue();
        QString *part = phonetic ? phonetic->part(target.subIdentifier) : nullptr;
        if (part && holds(*part, item)) {
            *part = replacedAt(*part, item, replacement);
            stored = edits_.undoReplacePhoneticNameValue(phonetic, person);
        }
    } else if (identifier != FieldId::Dates && identifier != FieldId::Birthday) {
        const QString kind = person->typeForIdentifier(identifier, customItems_);
        if (kind == ValueKind::String) {
            const QString text = person->stringValueForIdentifier(identifier);
            if (holds(text, range))
                stored = edits_.undoReplaceStringValue(replacedAt(text, range, replacement), identifier,
                                                       person, sender_);
        } else if (kind == ValueKind::Labeled) {
            std::optional<LabeledValueRecord> value = valueOf(identifier);
            if (value && holds(value->valueText(), range)) {
                value->value = replacedAt(value->valueText(), range, replacement);
                stored = storeValue(*value, identifier);
            }
        }
    }
    return stored ? std::optional(*entry) : std::nullopt;
}

bool FindBarReplace::replaceAll(const QString &findString, const QString &replacement, Qt::CaseSensitivity cs,
                                const ContactTable &contacts,
                                const std::function<QStringList(const ContactEntry &entry)> &identifiersOf,
                                const std::function<LabelShown(const ContactEntry &entry)> &labelShownIn) {
    if (findString.isEmpty())
        return false;
    FindPattern pattern(findString, cs == Qt::CaseInsensitive ? FindCompareOptions::CaseInsensitive
                                                              : FindCompareOptions::CaseSensitive);
    // The text with every occurrence replaced; false when none was found in it.
    const auto replaceIn = [&](QString &text) {
        const TextRanges ranges = pattern.rangesIn(text);
        if (ranges.isEmpty())
            return false;
        text = replacingRanges(text, ranges, replacement);
        return true;
    };
    bool changed = false;
    // The list may grow or shrink while the edits run: its size is read at every step.
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        const ContactEntry entry = contacts.at(i);
        if (entry.deleted || !entry.person)
            continue;
        const PersonPtr &person = entry.person;
        const LabelShown labelShown = labelShownIn ? labelShownIn(entry) : LabelShown();
        // A value the table does not show is never reached.
        const auto shown = [&](const LabeledValueRecord &value) { return !labelShown || labelShown(value.label); };
        const auto replaceNameParts = [&](const QStringList &keys) {
            NameRecord name = person->nameValue();
            for (const QString &key : keys) {
                QString *part = name.part(key);
                if (part && replaceIn(*part))
                    changed = edits_.undoReplaceNameValue(name, person) || changed;
            }
        };
        const auto replacePhoneticParts = [&](const QStringList &keys) {
            std::optional<PhoneticNameRecord> phonetic = person->phoneticNameValue();
            for (const QString &key : keys) {
                QString *part = phonetic ? phonetic->part(key) : nullptr;
                if (part && replaceIn(*part))
                    changed = edits_.undoReplacePhoneticNameValue(phonetic, person) || changed;
            }
        };
        const auto replaceValues = [&](const QString &field,
                                       const std::function<QString *(LabeledValueRecord &)> &text) {
            const LabeledValueList values =
                person->labeledValueForIdentifier(field).value_or(LabeledValueList());
            for (LabeledValueRecord value : values) {
                if (!shown(value))
                    continue;
                QString *part = text(value);
                if (part && replaceIn(*part))
                    changed =
                        edits_.undoReplaceLabeledValue(FieldValue(value), field, person, sender_) || changed;
            }
        };
        const auto replaceAddressParts = [&](const QStringList &keys) {
            const LabeledValueList values =
                person->labeledValueForIdentifier(FieldId::Address).value_or(LabeledValueList());
            for (LabeledValueRecord value : values) {
                if (!shown(value))
                    continue;
                for (const QString &key : keys)
                    if (QString *part = value.addressPart(key); part && replaceIn(*part))
                        changed = edits_.undoReplaceLabeledValue(FieldValue(value), FieldId::Address, person,
                                                                 sender_) ||
                                  changed;
            }
        };
        const auto valueText = [](LabeledValueRecord &value) -> QString * {
            if (!value.value)
                value.value = QString();
            return &*value.value;
        };

        for (const QString &identifier : identifiersOf(entry)) {
            if (identifier == FieldId::Name) {
                replaceNameParts({FieldId::FirstName, FieldId::LastName});
            } else if (identifier == FieldId::PhoneticName) {
                replacePhoneticParts({FieldId::PhoneticFirstName, FieldId::PhoneticLastName});
            } else if (namePartKeys().contains(identifier)) {
                replaceNameParts({identifier});
            } else if (phoneticPartKeys().contains(identifier)) {
                replacePhoneticParts({identifier});
            } else if (identifier == FieldId::Address) {
                replaceAddressParts(addressPartKeys());
            } else if (addressPartKeys().contains(identifier)) {
                replaceAddressParts({identifier});
            } else if (identifier == FieldId::Birthday || identifier == FieldId::Dates) {
                continue;
            } else {
                const QString kind = person->typeForIdentifier(identifier, customItems_);
                if (kind == ValueKind::String) {
                    QString text = person->stringValueForIdentifier(identifier);
                    if (replaceIn(text))
                        changed = edits_.undoReplaceStringValue(text, identifier, person, sender_) || changed;
                } else if (kind == ValueKind::Labeled) {
                    replaceValues(identifier, valueText);
                }
            }
        }
    }
    return changed;
}
