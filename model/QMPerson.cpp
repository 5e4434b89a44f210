// The record itself: constructors, identity, rebuilding a contact, names and birthday.
#include "model/QMPerson.h"

#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"

#include <QLocale>
#include <QStringBuilder>
#include <QUuid>

namespace {

// Built in one allocation: every card read makes its composite and phonetic names.
QString joinedWithBlank(const QString &first, const QString &second) {
    return first % QLatin1Char(' ') % second;
}

QString newUniqueId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// Where the contact keeps each text field, in the order of stringIdentifiers().
constexpr QString CNContact::*stringFieldMembers[] = {
    &CNContact::organizationName, &CNContact::departmentName, &CNContact::nickname,  &CNContact::jobTitle,
    &CNContact::namePrefix,       &CNContact::note,           &CNContact::nameSuffix};

// The framework label a value is written with: "No label" and "No service" stand for a
// value without one, and a label still as read goes back as it was read (a wrapped label
// the conversion table lacks, such as "_$!<AssistantPhone>!$_", keeps its wrapping).
std::optional<QString> exportLabel(const LabeledValueRecord &record) {
    if (!record.label || *record.label == NoLabel || *record.label == NoService)
        return std::nullopt;
    if (!record.cnlabel.isEmpty() && QMPerson::labelFromCNLabel(record.cnlabel) == *record.label)
        return record.cnlabel;
    return QMPerson::CNLabelFromLabel(record.label);
}

std::optional<QString> exportLabel(const LabeledValueRecord &record, const QString &forEmpty) {
    std::optional<QString> label = exportLabel(record);
    if (label && label->isEmpty())
        return forEmpty;
    return label;
}

} // namespace

QMPerson::QMPerson()
    : created_(true)
    , uniqueId_(newUniqueId()) {
    takeSystemDefaults();
}

QMPerson::QMPerson(const CNContact &contact)
    : QMPerson(std::make_shared<const CNContact>(contact)) {}

QMPerson::QMPerson(std::shared_ptr<const CNContact> shared)
    : cnContact_(std::move(shared))
    , uniqueId_(cnContact_->identifier)
    , cardIdentity_(cnContact_->cardIdentity) {
    const CNContact &contact = *cnContact_;
    takeSystemDefaults();
    nameValue();
    compositeName();
    imageData_ = contact.imageData;
    thumbnailImageData_ = contact.thumbnailImageData;
    photoAsRead_ = photoData();
    // Every cache is filled now, on the thread that makes the record, so the threads that
    // later read it never fill from the contact.
    fillAllCaches();
    if (!showAsPerson_)
        uniqueId2_ = stringFieldValue(Company);
}

std::unique_ptr<QMPerson> QMPerson::initWithVCardData(const QByteArray &data) {
    auto persons = personsWithVCardData(data);
    return persons.empty() ? nullptr : std::move(persons.front());
}

std::vector<std::unique_ptr<QMPerson>> QMPerson::personsWithVCardData(const QByteArray &data,
                                                                      VCardReadDetails *details) {
    std::vector<std::unique_ptr<QMPerson>> persons;
    for (const CNContact &contact : CNContactVCardSerialization::contactsWithData(data, nullptr, details)) {
        // The record is made from the contact, which it does not keep: point at it, not copy it.
        std::unique_ptr<QMPerson> person(
            new QMPerson(std::shared_ptr<const CNContact>(std::shared_ptr<void>(), &contact)));
        person->created_ = true;
        person->cnContact_.reset();
        persons.push_back(std::move(person));
    }
    return persons;
}

void QMPerson::takeSystemDefaults() {
    defaultCountryCode_ = CNContactsUserDefaults::sharedDefaults().countryCode().toUpper();
    defaultNameOrdering_ = systemNameOrdering();
}

void QMPerson::fillAllCaches() {
    if (!nameValue_)
        nameValue();
    for (int field = 0; field < StringFieldCount; ++field)
        stringFieldValue(StringField(field));
    for (int field = 0; field < LabeledFieldCount; ++field)
        loadLabeledValues(LabeledField(field));
    birthdayValue();
    phoneticNameValue();
}

std::unique_ptr<QMPerson> QMPerson::copy() {
    if (cnContact_)
        fillAllCaches();
    std::unique_ptr<QMPerson> copied(new QMPerson(*this));
    copied->cnContact_.reset();
    copied->uniqueId_ = newUniqueId();
    copied->cardIdentity_ = {};
    copied->uniqueId2_.clear();
    copied->created_ = true;
    copied->changed_ = true;
    return copied;
}

std::unique_ptr<QMPerson> QMPerson::duplicate() {
    return copy();
}

QByteArray QMPerson::vCardData() {
    return CNContactVCardSerialization::dataWithContacts({contactFromCache()});
}

CNMutableContact QMPerson::contactFromCache(const std::optional<CNContact> &base) {
    CNMutableContact contact = base ? *base : CNMutableContact();
    if (nameValue_) {
        contact.givenName = nameValue_->firstName;
        contact.middleName = nameValue_->middleName;
        contact.familyName = nameValue_->lastName;
        contact.previousFamilyName = nameValue_->previousFamilyName;
        contact.contactType = nameValue_->showAsPerson.value_or(showAsPerson_) ? CNContactType::Person
                                                                               : CNContactType::Organization;
    }
    if (phoneticNameValue_) {
        contact.phoneticGivenName = phoneticNameValue_->firstName;
        contact.phoneticMiddleName = phoneticNameValue_->middleName;
        contact.phoneticFamilyName = phoneticNameValue_->lastName;
    }
    if (const auto &phones = labeledValues_[Phone]; phones.isSet()) {
        contact.phoneNumbers.clear();
        for (const LabeledValueRecord &record : phones.list()) {
            // Any non-empty text is kept: nothing a user typed is dropped on the way out.
            if (const auto number = CNPhoneNumber::phoneNumberWithStringValue(record.valueText()))
                contact.phoneNumbers.append({exportLabel(record), *number});
        }
    }
    const auto writeTexts = [&](LabeledField field, QList<CNLabeledValue<QString>> &list) {
        if (!labeledValues_[field].isSet())
            return;
        list.clear();
        for (const LabeledValueRecord &record : labeledValues_[field].list())
            if (record.value)
                list.append({exportLabel(record), *record.value});
    };
    writeTexts(Email, contact.emailAddresses);
    writeTexts(Url, contact.urlAddresses);
    if (const auto &addresses = labeledValues_[Address]; addresses.isSet()) {
        contact.postalAddresses.clear();
        for (const LabeledValueRecord &record : addresses.list()) {
            // Starting from the address read keeps the parts the record has no key for.
            CNPostalAddress address = record.postalAddress.value_or(CNPostalAddress());
            address.street = record.street;
            address.city = record.city;
            address.state = record.state;
            address.postalCode = record.zip;
            address.country = record.country;
            address.isoCountryCode = record.isoCountryCode;
            contact.postalAddresses.append({exportLabel(record), address});
        }
    }
    if (const auto &profiles = labeledValues_[Sns]; profiles.isSet()) {
        contact.socialProfiles.clear();
        for (const LabeledValueRecord &record : profiles.list()) {
            if (record.valueText().isEmpty())
                continue;
            // The service is the label, unconverted.
            std::optional<QString> service = record.label;
            if (service && *service == NoService)
                service.reset();
            else if (!service || service->isEmpty())
                service = CNSocialProfileServiceTwitter;
            CNSocialProfile profile;
            profile.username = record.valueText();
            profile.urlString = record.urlString;
            profile.userIdentifier = record.userIdentifier;
            profile.service = service.value_or(QString());
            contact.socialProfiles.append({service, profile});
        }
    }
    if (const auto &messages = labeledValues_[Ims]; messages.isSet()) {
        contact.instantMessageAddresses.clear();
        for (const LabeledValueRecord &record : messages.list()) {
            const QString username = record.username.value_or(QString());
            if (username.isEmpty())
                continue;
            CNInstantMessageAddress address;
            address.username = username;
            address.service = record.service;
            // A new address without a service is an AIM one; an address read without a
            // service (a SIP address, say) keeps having none.
            const bool readWithoutService =
                record.instantMessageAddress && record.instantMessageAddress->service.isEmpty();
            if (address.service.isEmpty() && !readWithoutService)
                address.service = CNInstantMessageServiceAIM;
            contact.instantMessageAddresses.append({exportLabel(record), address});
        }
    }
    if (const auto &relations = labeledValues_[Relationship]; relations.isSet()) {
        contact.contactRelations.clear();
        for (const LabeledValueRecord &record : relations.list())
            if (!record.valueText().isEmpty())
                contact.contactRelations.append({exportLabel(record, CNLabelContactRelationFriend),
                                                 CNContactRelation(record.valueText())});
    }
    if (const auto &dates = labeledValues_[Dates]; dates.isSet()) {
        contact.dates.clear();
        for (const LabeledValueRecord &record : dates.list())
            if (record.dateValue)
                contact.dates.append({exportLabel(record, CNLabelDateAnniversary), *record.dateValue});
    }
    if (birthdayValue_)
        contact.birthday = birthdayValue_->value;
    for (int field = 0; field < StringFieldCount; ++field)
        if (strings_[field])
            contact.*stringFieldMembers[field] = *strings_[field];
    if (!imageData_.isEmpty())
        contact.imageData = imageData_;
    if (!thumbnailImageData_.isEmpty())
        contact.thumbnailImageData = thumbnailImageData_;
    if (!cardIdentity_.isEmpty())
        contact.cardIdentity = cardIdentity_;
    return contact;
}

std::optional<QMPerson::StringField> QMPerson::stringFieldForIdentifier(const QString &identifier) {
    const qsizetype position = stringIdentifiers().indexOf(identifier);
    return position < 0 ? std::nullopt : std::optional<StringField>(StringField(position));
}

QString QMPerson::stringFieldValue(StringField field) {
    std::optional<QString> &text = strings_[field];
    if (!text)
        text = cnContact_ ? (*cnContact_).*stringFieldMembers[field] : QString();
    return *text;
}

// ---- Names

NameRecord QMPerson::nameValue() {
    if (nameValue_) {
        updateNameValue(*nameValue_);
        return *nameValue_;
    }
    NameRecord record;
    record.showAsPerson = true;
    nameValue_ = record;
    if (!cnContact_)
        return record;
    const CNContact &contact = *cnContact_;
    record.firstName = contact.givenName;
    record.middleName = contact.middleName;
    record.lastName = contact.familyName;
    record.previousFamilyName = contact.previousFamilyName;
    switch (CNContactFormatter::nameOrderForContact(contact)) {
    case CNContactDisplayNameOrder::FamilyNameFirst:
        record.nameOrdering = 2;
        break;
    case CNContactDisplayNameOrder::GivenNameFirst:
        record.nameOrdering = 1;
        break;
    default:
        record.nameOrdering = 0;
        break;
    }
    nameOrdering_ = record.nameOrdering;
    record.showAsPerson = contact.contactType == CNContactType::Person;
    showAsPerson_ = *record.showAsPerson;
    // The system's order was read when the record was made: reading a file makes
    // 100,000 records, and the settings are not read again for each.
    record.stringValue = compositeNameFromNameDict(record, defaultNameOrdering_);
    nameValue_ = record;
    return record;
}

void QMPerson::updateNameValue(NameRecord &record) {
    if (record.showAsPerson)
        showAsPerson_ = *record.showAsPerson;
    else
        record.showAsPerson = showAsPerson_;
    nameOrdering_ = record.nameOrdering;
    record.stringValue = compositeNameFromNameDict(record);
}

QString QMPerson::compositeNameFromNameDict(const NameRecord &record) {
    return compositeNameFromNameDict(record, record.nameOrdering == 0 ? systemNameOrdering() : 0);
}

qint64 QMPerson::systemNameOrdering() {
    switch (CNContactsUserDefaults::sharedDefaults().sortOrder()) {
    case CNContactSortOrder::GivenName:
        return 1;
    case CNContactSortOrder::FamilyName:
        return 2;
    default:
        return 0;
    }
}

QString QMPerson::compositeNameFromNameDict(const NameRecord &record, qint64 systemOrdering) {
    const qint64 ordering = record.nameOrdering == 0 ? systemOrdering : record.nameOrdering;
    if (!record.firstName.isEmpty() && !record.lastName.isEmpty())
        return ordering == 2 ? joinedWithBlank(record.lastName, record.firstName)
                             : joinedWithBlank(record.firstName, record.lastName);
    if (!record.firstName.isEmpty())
        return record.firstName;
    if (!record.lastName.isEmpty())
        return record.lastName;
    return record.middleName;
}

QString QMPerson::compositeName() {
    QString name;
    if (showAsPerson_)
        name = nameValue_ ? nameValue_->stringValue : QString();
    else
        name = valueForIdentifier(FieldId::Company).text();
    if (name.isEmpty())
        name = NoName;
    if (compositeName_ != name)
        compositeName_ = name;
    return name;
}

NameRecord &QMPerson::cachedNameRecord() {
    if (!nameValue_)
        nameValue();
    return *nameValue_;
}

PhoneticNameRecord &QMPerson::cachedPhoneticRecord() {
    if (!phoneticNameValue_)
        phoneticNameValue_ = PhoneticNameRecord();
    return *phoneticNameValue_;
}

void QMPerson::setNameValue(const FieldValue &value, const QString &identifier) {
    if (identifier == FieldId::Name) {
        // Another kind of value is a caller's mistake; it must not wipe the name.
        if (!value.isNull() && !value.is<NameRecord>())
            return;
        const NameRecord *record = value.get<NameRecord>();
        nameValue_ = record ? *record : NameRecord();
        updateNameValue(*nameValue_);
        compositeName();
        changed_ = true;
    } else if (namePartIdentifiers().contains(identifier)) {
        *cachedNameRecord().part(identifier) = value.text();
        updateNameValue(*nameValue_);
        compositeName();
        changed_ = true;
    } else if (identifier == FieldId::PhoneticName) {
        if (const auto *record = value.get<PhoneticNameRecord>())
            phoneticNameValue_ = *record;
        else if (value.isNull())
            phoneticNameValue_ = PhoneticNameRecord();
        updatePhoneticName(cachedPhoneticRecord());
        changed_ = true;
    } else if (phoneticIdentifiers().contains(identifier)) {
        // The phonetic parts are the record's own parts, so they reach vCard text.
        *cachedPhoneticRecord().part(identifier) = value.text();
        updatePhoneticName(*phoneticNameValue_);
        changed_ = true;
    }
}

std::optional<PhoneticNameRecord> QMPerson::phoneticNameValue() {
    if (!phoneticNameValue_ && cnContact_) {
        PhoneticNameRecord record;
        record.firstName = cnContact_->phoneticGivenName;
        record.lastName = cnContact_->phoneticFamilyName;
        record.middleName = cnContact_->phoneticMiddleName;
        updatePhoneticName(record);
        phoneticNameValue_ = record;
    }
    return phoneticNameValue_;
}

std::optional<QString> QMPerson::phoneticName() const {
    if (!phoneticNameValue_)
        return std::nullopt;
    return phoneticNameValue_->stringValue;
}

void QMPerson::updatePhoneticName(PhoneticNameRecord &record) const {
    if (!record.firstName.isEmpty() && !record.lastName.isEmpty())
        record.stringValue = nameOrdering_ == 2 ? joinedWithBlank(record.lastName, record.firstName)
                                                : joinedWithBlank(record.firstName, record.lastName);
    else
        record.stringValue = record.firstName.isEmpty() ? record.lastName : record.firstName;
}

// ---- Birthday

std::optional<BirthdayRecord> QMPerson::birthdayValue() {
    if (!birthdayValue_ && cnContact_) {
        BirthdayRecord record;
        record.value = cnContact_->birthday;
        updateBirthdayValue(record);
        birthdayValue_ = record;
    }
    return birthdayValue_;
}

void QMPerson::setBirthdayValue(const std::optional<BirthdayRecord> &record) {
    birthdayValue_ = record.value_or(BirthdayRecord());
    if (record)
        updateBirthdayValue(*birthdayValue_);
    changed_ = true;
}

void QMPerson::updateBirthdayValue(BirthdayRecord &record) {
    record.stringValue = record.value ? dateStringFromDateComponents(*record.value) : QString();
}

QString QMPerson::dateStringFromDateComponents(const DateComponents &components) {
    if (!components.isValidDate())
        return {};
    // Without a year a weekday would be made up, and the year shown as 1.
    const QString format = components.hasYear() ? QStringLiteral("yyyy.MM.dd(ddd)") : QStringLiteral("MM.dd");
    return QLocale().toString(components.date(), format);
}
