#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <QSet>

#include <thread>

#include <gtest/gtest.h>

namespace {

class ContactsSettings : public testing::Test {
protected:
    void SetUp() override { useFreshUserDefaults(); }
};

CNContact named(const QString &given, const QString &family) {
    CNContact c;
    c.givenName = given;
    c.familyName = family;
    return c;
}

TEST_F(ContactsSettings, NameOrderIsFamilyFirstForHanKanaAndHangul) {
    using Order = CNContactDisplayNameOrder;
    EXPECT_EQ(CNContactFormatter::nameOrderForContact(named("太郎", "山田")), Order::FamilyNameFirst);
    EXPECT_EQ(CNContactFormatter::nameOrderForContact(named("ロイド", "")), Order::FamilyNameFirst);
    EXPECT_EQ(CNContactFormatter::nameOrderForContact(named("", "김")), Order::FamilyNameFirst);
    EXPECT_EQ(CNContactFormatter::nameOrderForContact(named("\U00020BB7", "")), Order::FamilyNameFirst);
    EXPECT_EQ(CNContactFormatter::nameOrderForContact(named("Ann", "Lee")), Order::UserDefault);
}

TEST_F(ContactsSettings, ComposedNameFollowsTheOrder) {
    auto &settings = CNContactsUserDefaults::sharedDefaults();
    settings.setSortOrder(CNContactSortOrder::GivenName);
    CNContact ann = named("Ann", "Lee");
    ann.middleName = "B";
    EXPECT_EQ(CNContactFormatter::stringFromContact(ann), "Ann B Lee");
    settings.setSortOrder(CNContactSortOrder::FamilyName);
    EXPECT_EQ(CNContactFormatter::stringFromContact(ann), "Lee B Ann");
    settings.setSortOrder(CNContactSortOrder::GivenName);
    EXPECT_EQ(CNContactFormatter::stringFromContact(named("太郎", "山田")), "山田 太郎");

    ann.phoneticGivenName = "an";
    ann.phoneticFamilyName = "lee";
    EXPECT_EQ(CNContactFormatter::stringFromContact(ann, CNContactFormatterStyle::PhoneticFullName),
              "an lee");

    CNContact company;
    company.contactType = CNContactType::Organization;
    company.organizationName = "ACME";
    company.givenName = "Ann";
    EXPECT_EQ(CNContactFormatter::stringFromContact(company), "ACME");
    company.organizationName.clear();
    EXPECT_EQ(CNContactFormatter::stringFromContact(company), "Ann");
    EXPECT_EQ(CNContactFormatter::stringFromContact(CNContact()), "");
}

TEST_F(ContactsSettings, DefaultsComeFromTheLocaleAndStoredValuesWin) {
    auto &settings = CNContactsUserDefaults::sharedDefaults();
    EXPECT_EQ(settings.countryCode().size(), 2);
    EXPECT_EQ(settings.countryCode(), settings.countryCode().toUpper());
    settings.setCountryCode("jp");
    EXPECT_EQ(settings.countryCode(), "JP");
    EXPECT_EQ(UserDefaults::standard().stringForKey(CNContactsUserDefaults::countryCodeKey), "JP");
    settings.setSortOrder(CNContactSortOrder::FamilyName);
    EXPECT_EQ(settings.sortOrder(), CNContactSortOrder::FamilyName);
    UserDefaults::standard().setObject(17, CNContactsUserDefaults::sortOrderKey); // out of range: the default
    EXPECT_NE(int(settings.sortOrder()), 17);
}

// Work over many contacts takes the settings once: within its scope a thread answers from
// the snapshot, nested scopes restore the outer one, other threads read the preferences.
TEST_F(ContactsSettings, AScopeAnswersFromItsSnapshotOnItsThreadOnly) {
    auto &settings = CNContactsUserDefaults::sharedDefaults();
    settings.setCountryCode("jp");
    settings.setSortOrder(CNContactSortOrder::FamilyName);
    const CNContactsUserDefaults::Snapshot taken = settings.snapshot();
    {
        const CNContactsUserDefaults::Scope scope(taken);
        settings.setCountryCode("de");
        settings.setSortOrder(CNContactSortOrder::GivenName);
        EXPECT_EQ(settings.countryCode(), "JP");
        EXPECT_EQ(settings.sortOrder(), CNContactSortOrder::FamilyName);
        EXPECT_EQ(CNContactFormatter::stringFromContact(named("Ann", "Lee")), "Lee Ann");
        {
            const CNContactsUserDefaults::Scope inner({QStringLiteral("FR"), CNContactSortOrder::GivenName});
            EXPECT_EQ(settings.countryCode(), "FR");
        }
        EXPECT_EQ(settings.countryCode(), "JP");
        std::thread([&] { EXPECT_EQ(settings.countryCode(), "DE"); }).join();
    }
    EXPECT_EQ(settings.countryCode(), "DE");
    EXPECT_EQ(settings.sortOrder(), CNContactSortOrder::GivenName);
}

TEST_F(ContactsSettings, PostalFormatterKeepsLineBreaksAndDropsEmptyParts) {
    CNPostalAddress a;
    a.street = "1-2-3 Chiyoda\nBuilding 4";
    a.city = "Chiyoda";
    a.postalCode = "100-0001";
    a.country = "Japan";
    a.isoCountryCode = "jp";
    const QString format = QString::fromUtf8("\u200EZIP\nState City\nStreet\n\nCountry");
    EXPECT_EQ(CNPostalAddressFormatter::stringFromPostalAddress(a, format),
              "100-0001\nChiyoda\n1-2-3 Chiyoda\nBuilding 4\nJapan");

    CNPostalAddressFormatter::setFormatProvider([](const QString &code) {
        return code == QLatin1String("JP") ? QStringLiteral("ZIP State City Street") : QString();
    });
    EXPECT_EQ(CNPostalAddressFormatter::stringFromPostalAddress(a),
              "100-0001 Chiyoda 1-2-3 Chiyoda\nBuilding 4");
    a.isoCountryCode = "us"; // unknown to the provider: the default format
    EXPECT_EQ(CNPostalAddressFormatter::stringFromPostalAddress(a),
              "1-2-3 Chiyoda\nBuilding 4\nChiyoda 100-0001\nJapan");
    CNPostalAddressFormatter::setFormatProvider(nullptr);
    a.isoCountryCode.clear();
    CNContactsUserDefaults::sharedDefaults().setCountryCode("JP");
    EXPECT_EQ(CNPostalAddressFormatter::stringFromPostalAddress(a),
              "1-2-3 Chiyoda\nBuilding 4\nChiyoda 100-0001\nJapan");
    EXPECT_EQ(CNPostalAddressFormatter::stringFromPostalAddress(CNPostalAddress()), "");
}

TEST(ContactLabels, TheTableIsOneToOneAndLooksUpBothWaysAndReservedNamesAreExact) {
    QSet<QString> labels, words;
    for (const CNLabelEntry &entry : CNLabelTable()) {
        EXPECT_FALSE(labels.contains(entry.label)) << entry.label.toStdString();
        EXPECT_FALSE(words.contains(entry.word)) << entry.word.toStdString();
        labels.insert(entry.label);
        words.insert(entry.word);
        EXPECT_EQ(CNLabelEntryForLabel(entry.label), &entry);
        EXPECT_EQ(CNLabelEntryForWord(entry.word), &entry);
    }
    EXPECT_EQ(CNLabelEntryForWord("son")->label, "_$!<Son>!$_");
    EXPECT_EQ(CNLabelEntryForLabel("_$!<Nope>!$_"), nullptr);
    EXPECT_EQ(CNLocalizedStringForLabel(CNLabelPhoneNumberMobile), "mobile");
    EXPECT_EQ(CNLabeledValue<QString>::localizedStringForLabel("my own"), "my own");

    // Reserved extension names are matched exactly.
    EXPECT_TRUE(CNIsReservedVCardExtensionName("ABShowAs"));
    EXPECT_FALSE(CNIsReservedVCardExtensionName("ABSHOWAS"));
    EXPECT_FALSE(CNIsReservedVCardExtensionName("MAIDENNAME"));
    for (const QString &service : CNInstantMessageServices())
        EXPECT_TRUE(CNIsReservedVCardExtensionName(CNInstantMessageVCardName(service)))
            << service.toStdString();
}

} // namespace
