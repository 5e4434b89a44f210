#pragma once

#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"

#include <QBuffer>
#include <QImage>
#include <QLocale>

// Sets the contacts settings for one test and restores them after.
class ContactsSettings {
public:
    ContactsSettings(CNContactSortOrder order, const QString &countryCode = QStringLiteral("US"))
        : oldOrder_(CNContactsUserDefaults::sharedDefaults().sortOrder())
        , oldCode_(CNContactsUserDefaults::sharedDefaults().countryCode()) {
        CNContactsUserDefaults::sharedDefaults().setSortOrder(order);
        CNContactsUserDefaults::sharedDefaults().setCountryCode(countryCode);
    }
    ~ContactsSettings() {
        CNContactsUserDefaults::sharedDefaults().setSortOrder(oldOrder_);
        CNContactsUserDefaults::sharedDefaults().setCountryCode(oldCode_);
    }

private:
    CNContactSortOrder oldOrder_;
    QString oldCode_;
};

class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(old_); }

private:
    QLocale old_;
};

inline QByteArray pngBytes(int width = 4, int height = 3, QColor color = Qt::red) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline LabeledValueRecord textRecord(const QString &label, const QString &value, qint64 labelIndex = -1) {
    LabeledValueRecord record;
    record.label = label;
    record.value = value;
    record.labelIndex = labelIndex;
    return record;
}

// A contact with every field the record knows filled, custom labels included.
inline CNContact fullContact() {
    CNContact c;
    c.namePrefix = "Dr.";
    c.givenName = "Ann";
    c.middleName = "B";
    c.familyName = "Lee";
    c.previousFamilyName = "Moss";
    c.nameSuffix = "Jr.";
    c.nickname = "Annie";
    c.phoneticGivenName = "an";
    c.phoneticMiddleName = "bee";
    c.phoneticFamilyName = "lee";
    c.organizationName = "Acme";
    c.departmentName = "Tools";
    c.jobTitle = "Engineer";
    c.note = "line one\nline two";
    c.birthday = DateComponents(1980, 4, 12);
    c.dates = {{CNLabelDateAnniversary, DateComponents(2005, 6, 1)},
               {QStringLiteral("first met"), DateComponents(DateComponents::Undefined, 2, 29)}};
    c.phoneNumbers = {{CNLabelHome, CNPhoneNumber("03-1234-5678")},
                      {CNLabelPhoneNumberMobile, CNPhoneNumber("090-1111-2222")},
                      {std::nullopt, CNPhoneNumber("ext. 12 (desk)")},
                      {QStringLiteral("boat"), CNPhoneNumber("+44 20 7946 0000")}};
    c.emailAddresses = {{CNLabelWork, QStringLiteral("ann@example.com")},
                        {QStringLiteral("Club"), QStringLiteral("ann.club@example.org")}};
    c.urlAddresses = {{CNLabelURLAddressHomePage, QStringLiteral("https://ann.example.com")}};
    CNPostalAddress home;
    home.street = "1-2-3 Chiyoda\nBuilding 4";
    home.subLocality = "Marunouchi";
    home.city = "Chiyoda-ku";
    home.subAdministrativeArea = "Kanto";
    home.state = "Tokyo";
    home.postalCode = "100-0001";
    home.country = "Japan";
    home.isoCountryCode = "jp";
    CNPostalAddress work;
    work.street = "Hauptstr. 5";
    work.city = "Berlin";
    work.postalCode = "10115";
    work.country = "Germany";
    c.postalAddresses = {{CNLabelHome, home}, {CNLabelWork, work}};
    c.contactRelations = {{CNLabelContactRelationMother, CNContactRelation("Mary")},
                          {CNLabelContactRelationDaughter, CNContactRelation("Sue")}};
    CNSocialProfile profile;
    profile.service = CNSocialProfileServiceLinkedIn;
    profile.username = "annlee";
    profile.urlString = "https://linkedin.example/annlee";
    profile.userIdentifier = "u-42";
    CNSocialProfile other;
    other.service = "Mastodon";
    other.username = "@ann@example.social";
    c.socialProfiles = {{profile.service, profile}, {other.service, other}};
    CNInstantMessageAddress skype;
    skype.service = CNInstantMessageServiceSkype;
    skype.username = "ann.skype";
    c.instantMessageAddresses = {{CNLabelHome, skype}};
    c.imageData = pngBytes();
    c.cardIdentity = {QStringLiteral("urn:uuid:ann"), QStringLiteral("ANN-1:ABPerson")};
    return c;
}
