#include "find/FindSnapshot.h"

#include "find/FindWorkers.h"
#include "model/QMPerson.h"

#include <QVarLengthArray>

#include <mutex>

namespace {

// Collects a contact's texts, then keeps them in one allocation of the exact size.
class TextsReader {
public:
    TextsReader(const std::function<quint32(const QString &)> &wordId)
        : wordId_(wordId) {}

    void field(const QString &identifier) { field_ = wordId_(identifier); }
    void add(const QString &text, const QString &subItem = {}, const QString &label = {}, qint32 index = -1) {
        if (!text.isEmpty())
            texts_.append({text, index, field_, subItem.isEmpty() ? 0 : wordId_(subItem),
                           label.isEmpty() ? 0 : wordId_(label)});
    }
    QList<FindText> texts() const { return QList<FindText>(texts_.begin(), texts_.end()); }

private:
    const std::function<quint32(const QString &)> &wordId_;
    quint32 field_ = 0;
    QVarLengthArray<FindText, 32> texts_;
};

// Addresses part by part, instant messages by user name under their service, every other
// labeled field by its shown text.
void readLabeled(TextsReader &reader, QMPerson &person, const QString &identifier) {
    const LabeledValueList values = person.labeledValueForIdentifier(identifier).value_or(LabeledValueList());
    if (values.isEmpty())
        return;
    reader.field(identifier);
    for (qint32 i = 0; i < qint32(values.size()); ++i) {
        const LabeledValueRecord &value = values[i];
        const QString label = value.labelText();
        if (identifier == FieldId::Address) {
            for (const QString &part : QMPerson::addressIdentifiers())
                reader.add(*value.addressPart(part), part, label, i);
        } else if (identifier == FieldId::InstantMessage) {
            reader.add(value.valueText(), value.service, label, i);
        } else {
            reader.add(value.stringValue, {}, label, i);
        }
    }
}

void readText(TextsReader &reader, const QString &identifier, const QString &text) {
    reader.field(identifier);
    reader.add(text);
}

} // namespace

quint32 FindWords::idOf(const QString &word) {
    const auto found = ids_.constFind(word);
    if (found != ids_.constEnd())
        return *found;
    const auto id = quint32(words_.size());
    words_.append(word);
    ids_.insert(word, id);
    return id;
}

ContactTexts ContactTexts::read(const ContactEntry &entry, qsizetype position,
                                const std::function<quint32(const QString &)> &wordId) {
    ContactTexts contact;
    contact.entry = position;
    if (!entry.person)
        return contact;
    QMPerson &person = *entry.person;
    contact.compositeName = person.compositeName();
    TextsReader reader(wordId);
    const NameRecord name = person.nameValue();
    reader.field(FieldId::Name);
    reader.add(name.firstName, FieldId::FirstName);
    reader.add(name.lastName, FieldId::LastName);
    reader.add(name.middleName, FieldId::MiddleName);
    if (const auto phonetic = person.phoneticNameValue()) {
        reader.field(FieldId::PhoneticName);
        reader.add(phonetic->firstName, FieldId::PhoneticFirstName);
        reader.add(phonetic->lastName, FieldId::PhoneticLastName);
        reader.add(phonetic->middleName, FieldId::PhoneticMiddleName);
    }
    for (const QString &identifier : QMPerson::labeledIdentifiers())
        readLabeled(reader, person, identifier);
    if (const auto birthday = person.birthdayValue())
        readText(reader, FieldId::Birthday, birthday->stringValue);
    for (const QString &identifier : QMPerson::stringIdentifiers())
        readText(reader, identifier, person.stringValueForIdentifier(identifier));
    for (const QString &name : person.customIdentifiers()) {
        const QString kind = person.typeForIdentifier(name);
        if (kind == ValueKind::Labeled)
            readLabeled(reader, person, name);
        else if (kind == ValueKind::String)
            readText(reader, name, person.stringValueForIdentifier(name));
    }
    contact.texts = reader.texts();
    return contact;
}

std::shared_ptr<FindSnapshot> FindSnapshot::make(const QList<ContactEntry> &entries) {
    auto snapshot = std::make_shared<FindSnapshot>();
    snapshot->entries = entries;
    QList<qsizetype> live;
    live.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (!entries[i].deleted && entries[i].person)
            live.append(i);
    snapshot->contacts.resize(size_t(live.size()));
    // Words are few: each chunk asks the shared table only for the ones it has not met.
    std::mutex wordsLock;
    FindWorkers::forEachChunk(live.size(), [&](qsizetype begin, qsizetype end) {
        QHash<QString, quint32> met;
        const std::function<quint32(const QString &)> wordId = [&](const QString &word) {
            const auto known = met.constFind(word);
            if (known != met.constEnd())
                return *known;
            const std::lock_guard lock(wordsLock);
            return *met.insert(word, snapshot->words.idOf(word));
        };
        for (qsizetype i = begin; i < end; ++i)
            snapshot->contacts[size_t(i)] = ContactTexts::read(entries[live[i]], live[i], wordId);
    });
    return snapshot;
}

void FindSnapshot::reread(qsizetype position) {
    if (position < 0 || position >= qsizetype(contacts.size()))
        return;
    const qsizetype entry = contacts[size_t(position)].entry;
    contacts[size_t(position)] =
        ContactTexts::read(entries[entry], entry, [this](const QString &word) { return words.idOf(word); });
}
