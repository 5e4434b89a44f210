#pragma once

#include "platform/contacts/CNContact.h"

#include <QString>

#include <functional>

// Sort order of the contacts settings; the numbers are the ones the record layer tests.
enum class CNContactSortOrder { None = 0, UserDefault = 1, GivenName = 2, FamilyName = 3 };

// The contacts settings: the default country code and the sort order, kept in the user
// defaults and defaulting from the system locale.
class CNContactsUserDefaults {
public:
    static CNContactsUserDefaults &sharedDefaults();

    // Upper-case two-letter code ("JP"); the system locale's territory by default.
    QString countryCode() const;
    void setCountryCode(const QString &code);
    // Family name first for a Chinese, Japanese or Korean system locale, given name
    // first otherwise, unless set.
    CNContactSortOrder sortOrder() const;
    void setSortOrder(CNContactSortOrder order);

    // The user-defaults keys.
    static const QString countryCodeKey;
    static const QString sortOrderKey;

    // Both settings read once. While a Scope of them lives on a thread, that thread's
    // countryCode() and sortOrder() answer from them: work over many contacts (reading a
    // file, building table rows) asks the preferences once, not per contact.
    struct Snapshot {
        QString countryCode;
        CNContactSortOrder sortOrder = CNContactSortOrder::None;
    };
    Snapshot snapshot() const { return {countryCode(), sortOrder()}; }
    class Scope {
    public:
        explicit Scope(const Snapshot &snapshot);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        const Snapshot snapshot_;
        const Snapshot *outer_;
    };
};

enum class CNContactFormatterStyle { FullName = 0, PhoneticFullName = 1 };
enum class CNContactDisplayNameOrder { UserDefault = 0, GivenNameFirst = 1, FamilyNameFirst = 2 };

class CNContactFormatter {
public:
    // Family name first when the name is written in Han, Kana or Hangul; otherwise the
    // user's setting (UserDefault).
    static CNContactDisplayNameOrder nameOrderForContact(const CNContact &contact);
    // The composed name (prefix, given, middle, family, suffix in the contact's order,
    // joined by blanks; CJK names without blanks between family and given name are not
    // special-cased). The organisation for a company card. Empty when there is nothing.
    static QString stringFromContact(const CNContact &contact,
                                     CNContactFormatterStyle style = CNContactFormatterStyle::FullName);
    // The same with the user's sort order given, for callers formatting many contacts.
    static QString stringFromContact(const CNContact &contact, CNContactFormatterStyle style,
                                     CNContactSortOrder userSortOrder);
};

enum class CNPostalAddressFormatterStyle { MailingAddress = 0 };

// Fills a country's format string (part names "Street", "City", "State", "ZIP",
// "Country" separated by blanks or line breaks, U+200E marks allowed) with the parts
// of an address: line breaks are kept, empty parts and lines left empty are dropped.
class CNPostalAddressFormatter {
public:
    using FormatProvider = std::function<QString(const QString &upperCaseCountryCode)>;

    // Where format strings come from (the address-format table). The provider is
    // called from any thread. Without one, or for an unknown country (empty answer),
    // the default format serves.
    static void setFormatProvider(FormatProvider provider);
    static QString defaultFormat();

    // The country code is the address's ISO code, else the contacts settings'.
    static QString stringFromPostalAddress(
        const CNPostalAddress &address,
        CNPostalAddressFormatterStyle style = CNPostalAddressFormatterStyle::MailingAddress);
    // Fills `format` itself.
    static QString stringFromPostalAddress(const CNPostalAddress &address, const QString &format);
};
