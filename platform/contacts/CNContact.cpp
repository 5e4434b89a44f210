#include "platform/contacts/CNContact.h"

#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"

#include <QHash>
#include <QRandomGenerator>

const QString CNContactIdentifierKey = QStringLiteral("identifier");
const QString CNContactTypeKey = QStringLiteral("contactType");
const QString CNContactNamePrefixKey = QStringLiteral("namePrefix");
const QString CNContactGivenNameKey = QStringLiteral("givenName");
const QString CNContactMiddleNameKey = QStringLiteral("middleName");
const QString CNContactFamilyNameKey = QStringLiteral("familyName");
const QString CNContactPreviousFamilyNameKey = QStringLiteral("previousFamilyName");
const QString CNContactNameSuffixKey = QStringLiteral("nameSuffix");
const QString CNContactNicknameKey = QStringLiteral("nickname");
const QString CNContactPhoneticGivenNameKey = QStringLiteral("phoneticGivenName");
const QString CNContactPhoneticMiddleNameKey = QStringLiteral("phoneticMiddleName");
const QString CNContactPhoneticFamilyNameKey = QStringLiteral("phoneticFamilyName");
const QString CNContactOrganizationNameKey = QStringLiteral("organizationName");
const QString CNContactDepartmentNameKey = QStringLiteral("departmentName");
const QString CNContactJobTitleKey = QStringLiteral("jobTitle");
const QString CNContactNoteKey = QStringLiteral("note");
const QString CNContactBirthdayKey = QStringLiteral("birthday");
const QString CNContactDatesKey = QStringLiteral("dates");
const QString CNContactPhoneNumbersKey = QStringLiteral("phoneNumbers");
const QString CNContactEmailAddressesKey = QStringLiteral("emailAddresses");
const QString CNContactUrlAddressesKey = QStringLiteral("urlAddresses");
const QString CNContactPostalAddressesKey = QStringLiteral("postalAddresses");
const QString CNContactRelationsKey = QStringLiteral("contactRelations");
const QString CNContactSocialProfilesKey = QStringLiteral("socialProfiles");
const QString CNContactInstantMessageAddressesKey = QStringLiteral("instantMessageAddresses");
const QString CNContactImageDataKey = QStringLiteral("imageData");
const QString CNContactThumbnailImageDataKey = QStringLiteral("thumbnailImageData");

const QString CNPostalAddressStreetKey = QStringLiteral("street");
const QString CNPostalAddressSubLocalityKey = QStringLiteral("subLocality");
const QString CNPostalAddressCityKey = QStringLiteral("city");
const QString CNPostalAddressSubAdministrativeAreaKey = QStringLiteral("subAdministrativeArea");
const QString CNPostalAddressStateKey = QStringLiteral("state");
const QString CNPostalAddressPostalCodeKey = QStringLiteral("postalCode");
const QString CNPostalAddressCountryKey = QStringLiteral("country");
const QString CNPostalAddressISOCountryCodeKey = QStringLiteral("ISOCountryCode");

const QString CNSocialProfileURLStringKey = QStringLiteral("urlString");
const QString CNSocialProfileUsernameKey = QStringLiteral("username");
const QString CNSocialProfileUserIdentifierKey = QStringLiteral("userIdentifier");
const QString CNSocialProfileServiceKey = QStringLiteral("service");
const QString CNInstantMessageAddressUsernameKey = QStringLiteral("username");
const QString CNInstantMessageAddressServiceKey = QStringLiteral("service");

bool DateComponents::isValidDate() const {
    return date().isValid();
}

QDate DateComponents::date() const {
    if (month == Undefined || day == Undefined)
        return {};
    return QDate(hasYear() ? year : leapYearForMissingYear, month, day);
}

std::optional<CNPhoneNumber> CNPhoneNumber::phoneNumberWithStringValue(const QString &text) {
    if (text.isEmpty())
        return std::nullopt;
    return CNPhoneNumber(text);
}

bool CNPostalAddress::isEmpty() const {
    return street.isEmpty() && subLocality.isEmpty() && city.isEmpty() && subAdministrativeArea.isEmpty() &&
           state.isEmpty() && postalCode.isEmpty() && country.isEmpty() && isoCountryCode.isEmpty();
}

namespace {
QString titleFromTable(const QString &key,
                       std::initializer_list<std::pair<const QString *, const char *>> rows) {
    for (const auto &[k, title] : rows)
        if (*k == key)
            return L(title);
    return key;
}
} // namespace

QString CNPostalAddress::localizedStringForKey(const QString &key) {
    return titleFromTable(key, {{&CNPostalAddressStreetKey, "street"},
                                {&CNPostalAddressSubLocalityKey, "neighborhood"},
                                {&CNPostalAddressCityKey, "city"},
                                {&CNPostalAddressSubAdministrativeAreaKey, "county"},
                                {&CNPostalAddressStateKey, "state"},
                                {&CNPostalAddressPostalCodeKey, "ZIP"},
                                {&CNPostalAddressCountryKey, "country"},
                                {&CNPostalAddressISOCountryCodeKey, "country code"}});
}

QString CNSocialProfile::localizedStringForKey(const QString &key) {
    return titleFromTable(key, {{&CNSocialProfileURLStringKey, "URL"},
                                {&CNSocialProfileUsernameKey, "user name"},
                                {&CNSocialProfileUserIdentifierKey, "user identifier"},
                                {&CNSocialProfileServiceKey, "service"}});
}

QString CNSocialProfile::localizedStringForService(const QString &service) {
    return titleFromTable(service, {{&CNSocialProfileServiceTwitter, "Twitter"},
                                    {&CNSocialProfileServiceFacebook, "Facebook"},
                                    {&CNSocialProfileServiceFlickr, "Flickr"},
                                    {&CNSocialProfileServiceLinkedIn, "LinkedIn"},
                                    {&CNSocialProfileServiceYelp, "Yelp"},
                                    {&CNSocialProfileServiceMySpace, "MySpace"},
                                    {&CNSocialProfileServiceSinaWeibo, "Sina Weibo"},
                                    {&CNSocialProfileServiceTencentWeibo, "Tencent Weibo"},
                                    {&CNSocialProfileServiceGameCenter, "Game Center"}});
}

QString CNInstantMessageAddress::localizedStringForKey(const QString &key) {
    return titleFromTable(key, {{&CNInstantMessageAddressUsernameKey, "user name"},
                                {&CNInstantMessageAddressServiceKey, "service"}});
}

QString CNInstantMessageAddress::localizedStringForService(const QString &service) {
    return titleFromTable(service, {{&CNInstantMessageServiceAIM, "AIM"},
                                    {&CNInstantMessageServiceFacebook, "Facebook"},
                                    {&CNInstantMessageServiceGaduGadu, "Gadu-Gadu"},
                                    {&CNInstantMessageServiceGoogleTalk, "Google Talk"},
                                    {&CNInstantMessageServiceICQ, "ICQ"},
                                    {&CNInstantMessageServiceJabber, "Jabber"},
                                    {&CNInstantMessageServiceMSN, "MSN"},
                                    {&CNInstantMessageServiceQQ, "QQ"},
                                    {&CNInstantMessageServiceSkype, "Skype"},
                                    {&CNInstantMessageServiceYahoo, "Yahoo!"}});
}

namespace {
// A random (version 4) UUID in upper case. Made for every parsed card, so it draws from
// the fast seeded generator rather than asking the system for entropy each time.
QString newIdentifier() {
    quint64 bits[2];
    QRandomGenerator::global()->fillRange(bits);
    bits[0] = (bits[0] & ~quint64(0xF000)) | 0x4000;                      // version 4
    bits[1] = (bits[1] & ~(quint64(0xC0) << 56)) | (quint64(0x80) << 56); // variant 1
    static const char hex[] = "0123456789ABCDEF";
    QString text(36, Qt::Uninitialized);
    QChar *out = text.data();
    int written = 0;
    for (int word = 0; word < 2; ++word)
        for (int nibble = 15; nibble >= 0; --nibble) {
            if (written == 8 || written == 13 || written == 18 || written == 23)
                out[written++] = QLatin1Char('-');
            out[written++] = QLatin1Char(hex[(bits[word] >> (nibble * 4)) & 0xF]);
        }
    return text;
}
} // namespace

CNContact::CNContact()
    : identifier(newIdentifier()) {}

QString CNContact::localizedStringForKey(const QString &key) {
    return titleFromTable(key, {{&CNContactIdentifierKey, "identifier"},
                                {&CNContactTypeKey, "type"},
                                {&CNContactNamePrefixKey, "prefix"},
                                {&CNContactGivenNameKey, "first name"},
                                {&CNContactMiddleNameKey, "middle name"},
                                {&CNContactFamilyNameKey, "last name"},
                                {&CNContactPreviousFamilyNameKey, "maiden name"},
                                {&CNContactNameSuffixKey, "suffix"},
                                {&CNContactNicknameKey, "nickname"},
                                {&CNContactPhoneticGivenNameKey, "phonetic first name"},
                                {&CNContactPhoneticMiddleNameKey, "phonetic middle name"},
                                {&CNContactPhoneticFamilyNameKey, "phonetic last name"},
                                {&CNContactOrganizationNameKey, "company"},
                                {&CNContactDepartmentNameKey, "department"},
                                {&CNContactJobTitleKey, "job title"},
                                {&CNContactNoteKey, "note"},
                                {&CNContactBirthdayKey, "birthday"},
                                {&CNContactDatesKey, "date"},
                                {&CNContactPhoneNumbersKey, "phone"},
                                {&CNContactEmailAddressesKey, "email"},
                                {&CNContactUrlAddressesKey, "URL"},
                                {&CNContactPostalAddressesKey, "address"},
                                {&CNContactRelationsKey, "related name"},
                                {&CNContactSocialProfilesKey, "profile"},
                                {&CNContactInstantMessageAddressesKey, "instant message"},
                                {&CNContactImageDataKey, "image"},
                                {&CNContactThumbnailImageDataKey, "thumbnail"}});
}

bool CNContact::hasSameFields(const CNContact &other) const {
    CNContact copy = other;
    copy.identifier = identifier;
    return *this == copy;
}
