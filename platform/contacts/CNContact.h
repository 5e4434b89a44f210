#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include <limits>
#include <optional>
#include <utility>

// The contact values of the contacts layer: plain copyable values, no QObject and no
// GUI type, so contacts can be made on a reading thread and handed to another.

// A calendar date whose parts may be missing (a birthday without a year). Always
// Gregorian.
struct DateComponents {
    static constexpr int Undefined = std::numeric_limits<int>::max();

    int year = Undefined;
    int month = Undefined;
    int day = Undefined;

    DateComponents() = default;
    DateComponents(int y, int m, int d)
        : year(y)
        , month(m)
        , day(d) {}

    bool hasYear() const { return year != Undefined; }
    // A real day of the Gregorian calendar (a missing year is read as a leap year, so
    // 29 February without a year is valid).
    bool isValidDate() const;
    // The date, with a leap year standing in for a missing year; an invalid QDate when
    // the parts make no day.
    QDate date() const;
    static constexpr int leapYearForMissingYear = 1604;

    friend bool operator==(const DateComponents &, const DateComponents &) = default;
};

struct CNPhoneNumber {
    QString stringValue;

    CNPhoneNumber() = default;
    explicit CNPhoneNumber(QString text)
        : stringValue(std::move(text)) {}
    // Any non-empty text is a number here; empty text gives none.
    static std::optional<CNPhoneNumber> phoneNumberWithStringValue(const QString &text);

    friend bool operator==(const CNPhoneNumber &, const CNPhoneNumber &) = default;
};

struct CNPostalAddress {
    QString street; // may hold line breaks
    QString subLocality;
    QString city;
    QString subAdministrativeArea;
    QString state;
    QString postalCode;
    QString country;
    QString isoCountryCode; // as written in the file (often lower case)

    bool isEmpty() const;
    // Display name of a property key (CNPostalAddressStreetKey...).
    static QString localizedStringForKey(const QString &key);

    friend bool operator==(const CNPostalAddress &, const CNPostalAddress &) = default;
};
using CNMutablePostalAddress = CNPostalAddress;

struct CNSocialProfile {
    QString urlString;
    QString username;
    QString userIdentifier;
    QString service; // CNSocialProfileServiceTwitter... or any text

    static QString localizedStringForKey(const QString &key);
    static QString localizedStringForService(const QString &service);

    friend bool operator==(const CNSocialProfile &, const CNSocialProfile &) = default;
};

struct CNInstantMessageAddress {
    QString username;
    QString service; // CNInstantMessageServiceAIM... or any text

    static QString localizedStringForKey(const QString &key);
    static QString localizedStringForService(const QString &service);

    friend bool operator==(const CNInstantMessageAddress &, const CNInstantMessageAddress &) = default;
};

struct CNContactRelation {
    QString name;

    CNContactRelation() = default;
    explicit CNContactRelation(QString n)
        : name(std::move(n)) {}

    friend bool operator==(const CNContactRelation &, const CNContactRelation &) = default;
};

// Display title of a label (CNLabelHome gives "home"); a label that is no framework
// label comes back as it is. Shared by every CNLabeledValue<T>.
QString CNLocalizedStringForLabel(const QString &label);

// A value with its label. The label is absent (std::nullopt), empty, a framework label
// (CNLabelHome...) or any text.
template <typename T> struct CNLabeledValue {
    std::optional<QString> label;
    T value;

    CNLabeledValue() = default;
    CNLabeledValue(std::optional<QString> l, T v)
        : label(std::move(l))
        , value(std::move(v)) {}

    // The label, or the empty text when it is absent.
    QString labelText() const { return label.value_or(QString()); }
    static QString localizedStringForLabel(const QString &l) { return CNLocalizedStringForLabel(l); }

    friend bool operator==(const CNLabeledValue &, const CNLabeledValue &) = default;
};

enum class CNContactType { Person = 0, Organization = 1 };

// The identity lines of a card as it was read: the program that wrote the card knows its
// contact again by them when the card comes back, so they go out as they came in.
struct CNCardIdentity {
    QString uid;   // UID
    QString abUid; // X-ABUID

    bool isEmpty() const { return uid.isEmpty() && abUid.isEmpty(); }
    friend bool operator==(const CNCardIdentity &, const CNCardIdentity &) = default;
};

// One contact. A fresh identifier (an upper-case UUID) is given to every contact made,
// parsed cards included: it never comes from the card's UID, so two cards with one UID
// stay two contacts; the card's own UID is kept apart, in `cardIdentity`. Copies keep the
// identifier.
class CNContact {
public:
    CNContact();

    QString identifier;
    CNContactType contactType = CNContactType::Person;

    QString namePrefix; // "Title"
    QString givenName;
    QString middleName;
    QString familyName;
    QString previousFamilyName;
    QString nameSuffix;
    QString nickname;

    QString phoneticGivenName;
    QString phoneticMiddleName;
    QString phoneticFamilyName;

    QString organizationName;
    QString departmentName;
    QString jobTitle;

    QString note;

    std::optional<DateComponents> birthday;
    QList<CNLabeledValue<DateComponents>> dates;

    QList<CNLabeledValue<CNPhoneNumber>> phoneNumbers;
    QList<CNLabeledValue<QString>> emailAddresses;
    QList<CNLabeledValue<QString>> urlAddresses;
    QList<CNLabeledValue<CNPostalAddress>> postalAddresses;
    QList<CNLabeledValue<CNContactRelation>> contactRelations;
    QList<CNLabeledValue<CNSocialProfile>> socialProfiles;
    QList<CNLabeledValue<CNInstantMessageAddress>> instantMessageAddresses;

    QByteArray imageData;
    QByteArray thumbnailImageData;

    CNCardIdentity cardIdentity;

    bool imageDataAvailable() const { return !imageData.isEmpty(); }
    // Every key is always present in a contact of this layer (nothing is fetched lazily).
    bool isKeyAvailable(const QString &) const { return true; }

    // Display name of a contact key (CNContactPhoneNumbersKey gives "phone"...).
    static QString localizedStringForKey(const QString &key);

    // Field-by-field equality, the identifier left out.
    bool hasSameFields(const CNContact &other) const;

    friend bool operator==(const CNContact &, const CNContact &) = default;
};

// The framework distinguishes a mutable form; here one value class serves both.
using CNMutableContact = CNContact;

// Contact keys: the texts name the fields for fetching and for display.
extern const QString CNContactIdentifierKey;
extern const QString CNContactTypeKey;
extern const QString CNContactNamePrefixKey;
extern const QString CNContactGivenNameKey;
extern const QString CNContactMiddleNameKey;
extern const QString CNContactFamilyNameKey;
extern const QString CNContactPreviousFamilyNameKey;
extern const QString CNContactNameSuffixKey;
extern const QString CNContactNicknameKey;
extern const QString CNContactPhoneticGivenNameKey;
extern const QString CNContactPhoneticMiddleNameKey;
extern const QString CNContactPhoneticFamilyNameKey;
extern const QString CNContactOrganizationNameKey;
extern const QString CNContactDepartmentNameKey;
extern const QString CNContactJobTitleKey;
extern const QString CNContactNoteKey;
extern const QString CNContactBirthdayKey;
extern const QString CNContactDatesKey;
extern const QString CNContactPhoneNumbersKey;
extern const QString CNContactEmailAddressesKey;
extern const QString CNContactUrlAddressesKey;
extern const QString CNContactPostalAddressesKey;
extern const QString CNContactRelationsKey;
extern const QString CNContactSocialProfilesKey;
extern const QString CNContactInstantMessageAddressesKey;
extern const QString CNContactImageDataKey;
extern const QString CNContactThumbnailImageDataKey;

extern const QString CNPostalAddressStreetKey;
extern const QString CNPostalAddressSubLocalityKey;
extern const QString CNPostalAddressCityKey;
extern const QString CNPostalAddressSubAdministrativeAreaKey;
extern const QString CNPostalAddressStateKey;
extern const QString CNPostalAddressPostalCodeKey;
extern const QString CNPostalAddressCountryKey;
extern const QString CNPostalAddressISOCountryCodeKey;

// The texts "service" and "username" are read by the record layer under these keys.
extern const QString CNSocialProfileURLStringKey;
extern const QString CNSocialProfileUsernameKey;
extern const QString CNSocialProfileUserIdentifierKey;
extern const QString CNSocialProfileServiceKey;
extern const QString CNInstantMessageAddressUsernameKey;
extern const QString CNInstantMessageAddressServiceKey;
