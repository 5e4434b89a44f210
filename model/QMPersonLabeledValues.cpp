// The eight multi-valued fields: reading them from the contact, adding, replacing and the
// normalisers of their derived keys.
#include "model/QMPerson.h"
#include "model/QMPersonInternal.h"

#include "platform/contacts/CNLabels.h"

#include <QSet>

namespace {

// The label word of a value read from the contact, registered with the field's labels.
QString registeredLabel(const std::optional<QString> &cnLabel, const QString &identifier) {
    const QString word = QMPerson::labelFromCNLabel(cnLabel);
    if (!word.isEmpty())
        QMPerson::setLabel(QString(), word, identifier);
    return word.isEmpty() ? NoLabel : word;
}

template <typename T>
void labelRecord(LabeledValueRecord &record, const CNLabeledValue<T> &labeled, const QString &identifier,
                 qsizetype position) {
    record.label = registeredLabel(labeled.label, identifier);
    record.labelIndex = position;
}

QString socialServiceName(const QString &service) {
    if (service == QLatin1String("facebook"))
        return CNSocialProfileServiceFacebook;
    if (service == QLatin1String("twitter"))
        return CNSocialProfileServiceTwitter;
    if (service == QLatin1String("flickr"))
        return CNSocialProfileServiceFlickr;
    if (service == QLatin1String("linkedin"))
        return CNSocialProfileServiceLinkedIn;
    return service;
}

QString serviceAndUser(const QString &service, const QString &username) {
    const QString text = service + QLatin1Char(':') + username;
    return text.size() < 2 ? QString() : text;
}

void labelOrNoLabel(LabeledValueRecord &record) {
    if (record.labelText().isEmpty())
        record.label = NoLabel;
}

} // namespace

std::optional<QMPerson::LabeledField> QMPerson::labeledFieldForIdentifier(const QString &identifier) {
    static const QMPersonInternal::IdentifierTable<LabeledField> fields = [] {
        QMPersonInternal::IdentifierTable<LabeledField> table;
        for (int field = 0; field < LabeledFieldCount; ++field)
            table.insert(identifierOfField(LabeledField(field)), LabeledField(field));
        return table;
    }();
    return fields.find(identifier);
}

const QString &QMPerson::identifierOfField(LabeledField field) {
    switch (field) {
    case Phone:
        return FieldId::Phone;
    case Email:
        return FieldId::Email;
    case Url:
        return FieldId::URL;
    case Address:
        return FieldId::Address;
    case Sns:
        return FieldId::SocialNetwork;
    case Ims:
        return FieldId::InstantMessage;
    case Relationship:
        return FieldId::Relationship;
    case Dates:
    case LabeledFieldCount:
        break;
    }
    return FieldId::Dates;
}

// The display texts of a value, the same on reading and after every edit.
void QMPerson::normalize(LabeledField field, LabeledValueRecord &record) {
    switch (field) {
    case Phone:
        return updatePhoneValue(record);
    case Email:
        return updateEmailValue(record);
    case Url:
        return updateURLValue(record);
    case Address:
        return updateAddressValue(record, true);
    case Sns:
        return updateSNSValue(record);
    case Ims:
        return updateIMSValue(record);
    case Relationship:
        return updateRelationshipValue(record);
    case Dates:
    case LabeledFieldCount:
        return updateDatesValue(record);
    }
}

void QMPerson::loadLabeledValues(LabeledField field) {
    if (labeledValues_[field].isSet() || !cnContact_)
        return;
    const CNContact &contact = *cnContact_;
    const QString &identifier = identifierOfField(field);
    LabeledValueList list;
    // One record per value, numbered by position, with the field's own keys filled in.
    // The records are large: each is built in place, never copied.
    const auto read = [&](const auto &values, auto fill) {
        // Most fields of a card are empty, and reserving nothing still allocates.
        if (!values.isEmpty())
            list.reserve(values.size());
        for (qsizetype i = 0; i < values.size(); ++i) {
            LabeledValueRecord &record = list.emplace_back();
            labelRecord(record, values[i], identifier, i);
            fill(record, values[i]);
        }
    };
    switch (field) {
    case Phone:
        read(contact.phoneNumbers,
             [](LabeledValueRecord &record, const CNLabeledValue<CNPhoneNumber> &labeled) {
                 record.phoneNumber = labeled.value;
                 record.cnlabel = labeled.labelText();
                 record.value = labeled.value.stringValue;
                 record.stringValue = labeled.value.stringValue;
             });
        break;
    case Email:
        read(contact.emailAddresses, [](LabeledValueRecord &record, const CNLabeledValue<QString> &labeled) {
            record.value = labeled.value;
            record.cnlabel = labeled.labelText();
            updateEmailValue(record);
        });
        break;
    case Url:
        read(contact.urlAddresses, [](LabeledValueRecord &record, const CNLabeledValue<QString> &labeled) {
            record.value = labeled.value;
            record.stringValue = labeled.value;
        });
        break;
    case Address:
        read(contact.postalAddresses,
             [](LabeledValueRecord &record, const CNLabeledValue<CNPostalAddress> &labeled) {
                 record.cnlabel = labeled.labelText();
                 record.street = labeled.value.street;
                 record.city = labeled.value.city;
                 record.state = labeled.value.state;
                 record.zip = labeled.value.postalCode;
                 record.country = labeled.value.country;
                 record.isoCountryCode = labeled.value.isoCountryCode;
                 record.postalAddress = labeled.value;
                 normalize(Address, record);
             });
        break;
    case Sns:
        // Profiles carry their service instead of a label, and register none.
        if (!contact.socialProfiles.isEmpty())
            list.reserve(contact.socialProfiles.size());
        for (qsizetype i = 0; i < contact.socialProfiles.size(); ++i) {
            const CNSocialProfile &profile = contact.socialProfiles[i].value;
            LabeledValueRecord &record = list.emplace_back();
            record.labelIndex = i;
            record.socialProfile = profile;
            record.label = socialServiceName(profile.service);
            record.service = *record.label;
            record.value = profile.username;
            record.username = profile.username;
            record.stringValue = profile.username;
            record.urlString = profile.urlString;
            record.userIdentifier = profile.userIdentifier;
        }
        break;
    case Ims:
        read(contact.instantMessageAddresses,
             [](LabeledValueRecord &record, const CNLabeledValue<CNInstantMessageAddress> &labeled) {
                 record.instantMessageAddress = labeled.value;
                 record.service = labeled.value.service;
                 record.username = labeled.value.username;
                 record.value = labeled.value.username;
                 record.stringValue = serviceAndUser(record.service, labeled.value.username);
             });
        break;
    case Relationship:
        read(contact.contactRelations,
             [](LabeledValueRecord &record, const CNLabeledValue<CNContactRelation> &labeled) {
                 record.contactRelation = labeled.value;
                 record.value = labeled.value.name;
                 record.stringValue = labeled.value.name;
             });
        break;
    case Dates:
    case LabeledFieldCount:
        read(contact.dates, [](LabeledValueRecord &record, const CNLabeledValue<DateComponents> &labeled) {
            record.dateValue = labeled.value;
            record.stringValue = dateStringFromDateComponents(labeled.value);
        });
        break;
    }
    labeledValues_[field] = StoredLabeledValues(list);
}

LabeledValueList QMPerson::labeledValues(LabeledField field) {
    loadLabeledValues(field);
    return labeledValues_[field].list();
}

qsizetype QMPerson::findLabeledValue(const LabeledValueList &list, qint64 labelIndex) {
    if (labelIndex == LabeledValueRecord::noLabelIndex)
        return -1;
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].labelIndex == labelIndex)
            return i;
    return list.size();
}

qint64 QMPerson::nextLabelIndex(const LabeledValueList &list) {
    qint64 next = list.size();
    for (const LabeledValueRecord &record : list)
        if (record.labelIndex >= next)
            next = record.labelIndex + 1;
    return next;
}

void QMPerson::addValue(LabeledField field, const LabeledValueRecord &record) {
    LabeledValueList list = labeledValues(field);
    LabeledValueRecord added = record;
    normalize(field, added);
    added.labelIndex = nextLabelIndex(list);
    list.append(added);
    labeledValues_[field] = StoredLabeledValues(list);
    changed_ = true;
}

void QMPerson::replaceValue(LabeledField field, const LabeledValueRecord &record) {
    loadLabeledValues(field);
    if (!labeledValues_[field].isSet())
        return;
    LabeledValueList list = labeledValues_[field].list();
    for (LabeledValueRecord &existing : list) {
        if (existing.labelIndex == record.labelIndex) {
            existing = record;
            normalize(field, existing);
            labeledValues_[field] = StoredLabeledValues(list);
            changed_ = true;
            return;
        }
    }
}

void QMPerson::replaceList(LabeledField field, const LabeledValueList &given) {
    LabeledValueList list = given;
    // Running numbers stay unique within a field: a record without one, or with one an
    // earlier record holds, gets the next free number.
    QSet<qint64> used;
    qint64 highest = -1;
    QList<qsizetype> unnumbered;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const qint64 n = list[i].labelIndex;
        if (n < 0 || used.contains(n)) {
            unnumbered.append(i);
            continue;
        }
        used.insert(n);
        highest = std::max(highest, n);
    }
    qint64 next = std::max<qint64>(list.size(), highest + 1);
    for (qsizetype i : unnumbered)
        list[i].labelIndex = next++;
    for (LabeledValueRecord &record : list)
        normalize(field, record);
    labeledValues_[field] = StoredLabeledValues(list);
    changed_ = true;
}

void QMPerson::replaceValueAt(LabeledField field, const LabeledValueRecord &record, qsizetype index) {
    loadLabeledValues(field);
    if (!labeledValues_[field].isSet() || index < 0 || index >= labeledValues_[field].size())
        return;
    LabeledValueList list = labeledValues_[field].list();
    LabeledValueRecord &existing = list[index];
    existing = record;
    normalize(field, existing);
    labeledValues_[field] = StoredLabeledValues(list);
    changed_ = true;
}

// ---- Normalisers

void QMPerson::updatePhoneValue(LabeledValueRecord &record) {
    labelOrNoLabel(record);
    record.stringValue = record.valueText();
}

void QMPerson::updateURLValue(LabeledValueRecord &record) {
    updatePhoneValue(record);
}

void QMPerson::updateRelationshipValue(LabeledValueRecord &record) {
    updatePhoneValue(record);
}

void QMPerson::updateEmailValue(LabeledValueRecord &record) {
    updatePhoneValue(record);
    const QString &text = record.stringValue;
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    const bool split = at >= 0 && at < text.size() - 1;
    const QString username = split ? text.left(at) : text;
    const QString domain = split ? text.mid(at + 1) : QString();
    // Keys the split does not give are removed, so an edit never keeps a stale domain.
    record.username = username.isEmpty() ? std::nullopt : std::optional<QString>(username);
    record.domain = domain.isEmpty() ? std::nullopt : std::optional<QString>(domain);
}

void QMPerson::updateSNSValue(LabeledValueRecord &record) {
    if (!record.label)
        record.label = NoService;
    record.service = *record.label;
    record.username = record.valueText();
    record.stringValue = record.valueText();
}

void QMPerson::updateIMSValue(LabeledValueRecord &record) {
    if (!record.label)
        record.label = NoLabel;
    if (record.value)
        record.username = record.value;
    record.stringValue = serviceAndUser(record.service, record.username.value_or(QString()));
}

void QMPerson::updateDatesValue(LabeledValueRecord &record) {
    labelOrNoLabel(record);
    record.stringValue = record.dateValue ? dateStringFromDateComponents(*record.dateValue) : QString();
}
