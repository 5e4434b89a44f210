#include "find/FindSnapshot.h"

#include "find/FindWorkers.h"
#include "model/QMPerson.h"

namespace {

void addText(FindField &field, const QString &text, const QString &subItem = {}, const QString &label = {},
             qint32 index = -1) {
    if (!text.isEmpty())
        field.texts.append({text, subItem, label, index});
}

void addField(ContactTexts &texts, FindField &&field) {
    if (!field.texts.isEmpty())
        texts.fields.append(std::move(field));
}

FindField nameField(QMPerson &person) {
    FindField field{FieldId::Name, ValueKind::Dictionary, {}};
    const NameRecord name = person.nameValue();
    addText(field, name.firstName, FieldId::FirstName);
    addText(field, name.lastName, FieldId::LastName);
    addText(field, name.middleName, FieldId::MiddleName);
    return field;
}

FindField phoneticNameField(QMPerson &person) {
    FindField field{FieldId::PhoneticName, ValueKind::Dictionary, {}};
    if (const auto phonetic = person.phoneticNameValue()) {
        addText(field, phonetic->firstName, FieldId::PhoneticFirstName);
        addText(field, phonetic->lastName, FieldId::PhoneticLastName);
        addText(field, phonetic->middleName, FieldId::PhoneticMiddleName);
    }
    return field;
}

// Addresses part by part, instant messages by user name under their service, every other
// labeled field by its shown text.
FindField labeledField(QMPerson &person, const QString &identifier) {
    FindField field{identifier, ValueKind::Labeled, {}};
    const LabeledValueList values = person.labeledValueForIdentifier(identifier).value_or(LabeledValueList());
    for (qint32 i = 0; i < qint32(values.size()); ++i) {
        const LabeledValueRecord &value = values[i];
        const QString label = value.labelText();
        if (identifier == FieldId::Address) {
            for (const QString &part : QMPerson::addressIdentifiers())
                addText(field, *value.addressPart(part), part, label, i);
        } else if (identifier == FieldId::InstantMessage) {
            addText(field, value.valueText(), value.service, label, i);
        } else {
            addText(field, value.stringValue, {}, label, i);
        }
    }
    return field;
}

FindField singleTextField(const QString &identifier, const QString &kind, const QString &text) {
    FindField field{identifier, kind, {}};
    addText(field, text);
    return field;
}

} // namespace

const FindField *ContactTexts::field(const QString &identifier) const {
    for (const FindField &candidate : fields)
        if (candidate.identifier == identifier)
            return &candidate;
    return nullptr;
}

ContactTexts ContactTexts::read(const ContactEntry &entry) {
    ContactTexts texts;
    texts.contact = entry;
    if (!entry.person)
        return texts;
    QMPerson &person = *entry.person;
    texts.compositeName = person.compositeName();
    addField(texts, nameField(person));
    addField(texts, phoneticNameField(person));
    for (const QString &identifier : QMPerson::labeledIdentifiers())
        addField(texts, labeledField(person, identifier));
    if (const auto birthday = person.birthdayValue())
        addField(texts, singleTextField(FieldId::Birthday, ValueKind::Dictionary, birthday->stringValue));
    for (const QString &identifier : QMPerson::stringIdentifiers())
        addField(texts, singleTextField(identifier, ValueKind::String, person.stringValueForIdentifier(identifier)));
    for (const QString &name : person.customIdentifiers()) {
        const QString kind = person.typeForIdentifier(name);
        if (kind == ValueKind::Labeled)
            addField(texts, labeledField(person, name));
        else if (kind == ValueKind::String)
            addField(texts, singleTextField(name, kind, person.stringValueForIdentifier(name)));
    }
    return texts;
}

std::shared_ptr<FindSnapshot> FindSnapshot::make(const QList<ContactEntry> &contacts) {
    QList<const ContactEntry *> live;
    live.reserve(contacts.size());
    for (const ContactEntry &entry : contacts)
        if (!entry.deleted && entry.person)
            live.append(&entry);
    auto snapshot = std::make_shared<FindSnapshot>();
    snapshot->contacts.resize(size_t(live.size()));
    // Each position is written by the one worker that claimed its chunk.
    FindWorkers::forEachChunk(live.size(), [&](qsizetype begin, qsizetype end) {
        for (qsizetype i = begin; i < end; ++i)
            snapshot->contacts[size_t(i)] = std::make_shared<const ContactTexts>(ContactTexts::read(*live[i]));
    });
    return snapshot;
}
