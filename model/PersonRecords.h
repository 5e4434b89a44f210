#pragma once

#include "platform/contacts/CNContact.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSharedData>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// The records through which the rest of the program reads and changes a contact. All are
// plain values: a getter hands out a copy, and a change reaches the contact only through
// one of QMPerson's setters.

// Field identifiers and the other fixed words of the record layer.
namespace FieldId {
inline const QString Name = QStringLiteral("Name");
inline const QString Company = QStringLiteral("Company");
inline const QString Department = QStringLiteral("Department");
inline const QString JobTitle = QStringLiteral("Job Title");
inline const QString Nickname = QStringLiteral("Nickname");
inline const QString Title = QStringLiteral("Title");
inline const QString Suffix = QStringLiteral("Suffix");
inline const QString Note = QStringLiteral("Note");
inline const QString Phone = QStringLiteral("Phone");
inline const QString Email = QStringLiteral("Email");
inline const QString URL = QStringLiteral("URL");
inline const QString Address = QStringLiteral("Address");
inline const QString Relationship = QStringLiteral("Relationship");
inline const QString SocialNetwork = QStringLiteral("Social Network");
inline const QString InstantMessage = QStringLiteral("Instant Message");
inline const QString Dates = QStringLiteral("Dates");
inline const QString Birthday = QStringLiteral("Birthday");
inline const QString PhoneticName = QStringLiteral("Phonetic Name");
inline const QString Photo = QStringLiteral("Photo");

inline const QString FirstName = QStringLiteral("FirstName");
inline const QString MiddleName = QStringLiteral("MiddleName");
inline const QString LastName = QStringLiteral("LastName");
inline const QString PreviousFamilyName = QStringLiteral("PreviousFamilyName");
inline const QString PhoneticFirstName = QStringLiteral("Phonetic FirstName");
inline const QString PhoneticMiddleName = QStringLiteral("Phonetic MiddleName");
inline const QString PhoneticLastName = QStringLiteral("Phonetic LastName");

inline const QString ZIP = QStringLiteral("ZIP");
inline const QString State = QStringLiteral("State");
inline const QString City = QStringLiteral("City");
inline const QString Street = QStringLiteral("Street");
inline const QString Country = QStringLiteral("Country");

// Rows of the contact tables that hold no stored value.
inline const QString CompositeName = QStringLiteral("compositeName");
inline const QString Thumbnail = QStringLiteral("thumbnail");
inline const QString Groups = QStringLiteral("Groups");
inline const QString NameOrdering = QStringLiteral("Name Ordering");
inline const QString NameDisplay = QStringLiteral("Name Display");
inline const QString ShowAsPerson = QStringLiteral("Show as Person");
} // namespace FieldId

// Value kinds answered by typeForIdentifier().
namespace ValueKind {
inline const QString Labeled = QStringLiteral("Labeled Value");
inline const QString String = QStringLiteral("String Value");
inline const QString Dictionary = QStringLiteral("Dictionary Value");
} // namespace ValueKind

inline const QString NoLabel = QStringLiteral("No label");
inline const QString NoService = QStringLiteral("No service");
inline const QString NoName = QStringLiteral("No Name");

struct NameRecord {
    QString firstName;
    QString middleName;
    QString lastName;
    QString previousFamilyName;
    int nameOrdering = 0; // 0 follow the system, 1 first name first, 2 last name first
    // Absent: the record does not say, and the contact keeps its current kind.
    std::optional<bool> showAsPerson;
    QString stringValue; // derived: the composite name

    // The part named by "FirstName", "MiddleName", "LastName" or "PreviousFamilyName".
    QString *part(const QString &key);
    friend bool operator==(const NameRecord &, const NameRecord &) = default;
};

struct PhoneticNameRecord {
    QString firstName;
    QString middleName;
    QString lastName;
    QString stringValue; // derived

    // The part named by "FirstName"... or by "Phonetic FirstName"...
    QString *part(const QString &key);
    friend bool operator==(const PhoneticNameRecord &, const PhoneticNameRecord &) = default;
};

struct BirthdayRecord {
    std::optional<DateComponents> value;
    QString stringValue; // derived: "yyyy.MM.dd(EEE)", "MM.dd" without a year

    friend bool operator==(const BirthdayRecord &, const BirthdayRecord &) = default;
};

// An optional value that copies share: one pointer wide, for large values that are set once
// and then only read. The value is never changed in place; assigning replaces it.
template <typename T> class SharedOptional {
public:
    SharedOptional() = default;
    SharedOptional(std::nullopt_t) {}
    SharedOptional(T value)
        : d_(new Node(std::move(value))) {}
    SharedOptional &operator=(T value) {
        d_.reset(new Node(std::move(value)));
        return *this;
    }
    SharedOptional &operator=(std::nullopt_t) {
        reset();
        return *this;
    }

    bool has_value() const { return bool(d_); }
    explicit operator bool() const { return has_value(); }
    const T &operator*() const { return d_->value; }
    const T *operator->() const { return &d_->value; }
    T value_or(T fallback) const { return d_ ? d_->value : std::move(fallback); }
    void reset() { d_.reset(); }

    friend bool operator==(const SharedOptional &a, const SharedOptional &b) {
        return a.d_ == b.d_ || (a.d_ && b.d_ && a.d_->value == b.d_->value);
    }
    friend bool operator==(const SharedOptional &a, const T &b) { return a.d_ && a.d_->value == b; }
    friend bool operator==(const SharedOptional &a, std::nullopt_t) { return !a.d_; }

private:
    struct Node : QSharedData {
        explicit Node(T v)
            : value(std::move(v)) {}
        const T value;
    };
    QExplicitlySharedDataPointer<Node> d_;
};

// One value of a multi-valued field, or of a labeled custom item. The members are the
// union of what the eight kinds need; each kind uses its own.
struct LabeledValueRecord {
    static constexpr qint64 noLabelIndex = -1;

    // The label word; absent and empty differ for social profiles and instant messages.
    std::optional<QString> label;
    // The text value (phone, e-mail, URL, related name, the user name of a profile or
    // an instant message, a custom item's value). Absent and empty differ: an e-mail
    // with an empty text is kept on export, one without a value is not.
    std::optional<QString> value;
    // The value of "Dates".
    std::optional<DateComponents> dateValue;
    QString stringValue; // derived display text
    // Running number within the field; noLabelIndex for a value not yet added.
    qint64 labelIndex = noLabelIndex;
    QString cnlabel; // phone, e-mail, address: the label as read from the contact
    QString type;    // the field identifier, set by the list editors on rows they add

    // E-mail: "username"/"domain". Social profile and instant message: the user name
    // (the framework keys of both are the text "username").
    std::optional<QString> username;
    std::optional<QString> domain;
    // Social profile and instant message: the service ("service").
    QString service;
    QString urlString;      // social profile
    QString userIdentifier; // social profile

    // Address parts.
    QString street;
    QString city;
    QString state;
    QString zip;
    QString country;
    QString isoCountryCode;
    std::optional<QString> predictCountryCode; // derived, set when the code was predicted
    QString formattedString;                   // derived: the mailing-address text

    // The framework objects the value was read from; rarely read, so shared, not inline:
    // a file of 100,000 cards holds half a million records.
    SharedOptional<CNPhoneNumber> phoneNumber;
    SharedOptional<CNPostalAddress> postalAddress;
    SharedOptional<CNSocialProfile> socialProfile;
    SharedOptional<CNInstantMessageAddress> instantMessageAddress;
    SharedOptional<CNContactRelation> contactRelation;

    QString labelText() const { return label.value_or(QString()); }
    QString valueText() const { return value.value_or(QString()); }
    // An address part by its name ("ZIP", "State", "City", "Street", "Country") or the
    // ISO-code key; nullptr for anything else.
    const QString *addressPart(const QString &name) const;
    // The text under a record key that values are sorted by: "stringValue", "label",
    // "domain", "service", "username" or an address part; empty for any other key.
    QString textForKey(const QString &key) const;
    QString *addressPart(const QString &name);

    friend bool operator==(const LabeledValueRecord &, const LabeledValueRecord &) = default;
};
using LabeledValueList = QList<LabeledValueRecord>;

// A user-defined field.
struct CustomItemDefinition {
    QString name; // also its field identifier
    QString type; // ValueKind::Labeled or ValueKind::String
    QStringList labels;
    QByteArray imageData; // the item's icon, when one was chosen
    bool locked = false;
    // Marks of the custom items panel, and the name before a rename (changeCustomItem).
    bool isNew = false;
    bool changed = false;
    bool deleted = false;
    QString oldName;

    friend bool operator==(const CustomItemDefinition &, const CustomItemDefinition &) = default;
};

// The value of a custom item: a text, or a list of labeled values.
using CustomItemValue = std::variant<QString, LabeledValueList>;

// A value passed through the generic field access (valueForIdentifier, setValue...),
// whose kind depends on the identifier. Null means "none".
class FieldValue {
public:
    using Storage = std::variant<std::monostate, QString, NameRecord, PhoneticNameRecord, BirthdayRecord,
                                 LabeledValueList, LabeledValueRecord, QImage>;

    FieldValue() = default;
    FieldValue(QString text)
        : v_(std::move(text)) {}
    FieldValue(const char *) = delete; // say QStringLiteral
    FieldValue(NameRecord record)
        : v_(std::move(record)) {}
    FieldValue(PhoneticNameRecord record)
        : v_(std::move(record)) {}
    FieldValue(BirthdayRecord record)
        : v_(std::move(record)) {}
    FieldValue(LabeledValueList list)
        : v_(std::move(list)) {}
    FieldValue(LabeledValueRecord record)
        : v_(std::move(record)) {}
    FieldValue(QImage image)
        : v_(std::move(image)) {}
    FieldValue(const std::optional<QString> &text) {
        if (text)
            v_ = *text;
    }
    FieldValue(const std::optional<LabeledValueList> &list) {
        if (list)
            v_ = *list;
    }
    FieldValue(const std::optional<BirthdayRecord> &record) {
        if (record)
            v_ = *record;
    }
    FieldValue(const std::optional<PhoneticNameRecord> &record) {
        if (record)
            v_ = *record;
    }
    static FieldValue fromCustomValue(const CustomItemValue &value);

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    template <typename T> bool is() const { return std::holds_alternative<T>(v_); }
    // The held value, or nullptr when it holds another kind.
    template <typename T> const T *get() const { return std::get_if<T>(&v_); }
    // The text, or the empty text for another kind.
    QString text() const;
    const Storage &storage() const { return v_; }

    friend bool operator==(const FieldValue &, const FieldValue &) = default;

private:
    Storage v_;
};

// A strong type for a running number, so that "by running number" and "at position"
// overloads cannot be confused.
struct LabelIndex {
    explicit constexpr LabelIndex(qint64 n)
        : value(n) {}
    qint64 value;
};

// One entry of the address-format table.
struct AddressFormatEntry {
    QString countryCode;
    QString country;
    QString alpha3;
    QString formatString;
    QStringList order; // derived: formatString without U+200E, split at white space
    QStringList states;
    QStringList stateCodes;
    QHash<QString, QStringList> localizedStates; // "States.ja" under "ja"
    // Derived at load: the country's name in the user's language (not for English),
    // also under that language's code ("Country.ja").
    std::optional<QString> localizedCountry;
    QHash<QString, QString> localizedCountries;

    friend bool operator==(const AddressFormatEntry &, const AddressFormatEntry &) = default;
};

// One part of an address as find sees it (rangeTableFromAddressLabeledValue).
struct AddressPartRange {
    QString identifier;
    QString value;
    qsizetype location = 0;
    qsizetype length = 0;

    friend bool operator==(const AddressPartRange &, const AddressPartRange &) = default;
};
