#include "model/PersonRecords.h"

QString *NameRecord::part(const QString &key) {
    if (key == FieldId::FirstName)
        return &firstName;
    if (key == FieldId::MiddleName)
        return &middleName;
    if (key == FieldId::LastName)
        return &lastName;
    if (key == FieldId::PreviousFamilyName)
        return &previousFamilyName;
    return nullptr;
}

QString *PhoneticNameRecord::part(const QString &key) {
    if (key == FieldId::FirstName || key == FieldId::PhoneticFirstName)
        return &firstName;
    if (key == FieldId::MiddleName || key == FieldId::PhoneticMiddleName)
        return &middleName;
    if (key == FieldId::LastName || key == FieldId::PhoneticLastName)
        return &lastName;
    return nullptr;
}

QString LabeledValueRecord::textForKey(const QString &key) const {
    if (key == QLatin1String("stringValue"))
        return stringValue;
    if (key == QLatin1String("label"))
        return labelText();
    if (key == QLatin1String("domain"))
        return domain.value_or(QString());
    if (key == QLatin1String("service"))
        return service;
    if (key == QLatin1String("username"))
        return username.value_or(QString());
    const QString *part = addressPart(key);
    return part ? *part : QString();
}

const QString *LabeledValueRecord::addressPart(const QString &name) const {
    return const_cast<LabeledValueRecord *>(this)->addressPart(name);
}

QString *LabeledValueRecord::addressPart(const QString &name) {
    if (name == FieldId::ZIP)
        return &zip;
    if (name == FieldId::State)
        return &state;
    if (name == FieldId::City)
        return &city;
    if (name == FieldId::Street)
        return &street;
    if (name == FieldId::Country)
        return &country;
    if (name == CNPostalAddressISOCountryCodeKey)
        return &isoCountryCode;
    return nullptr;
}

FieldValue FieldValue::fromCustomValue(const CustomItemValue &value) {
    if (const auto *text = std::get_if<QString>(&value))
        return *text;
    return std::get<LabeledValueList>(value);
}

QString FieldValue::text() const {
    if (const auto *t = get<QString>())
        return *t;
    return {};
}
