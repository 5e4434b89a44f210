#include "tests/model/PersonTestSupport.h"

#include "platform/core/Resources.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>

namespace {

LabeledValueRecord address(const QString &code, const QString &country, const QString &zip,
                           const QString &state, const QString &city, const QString &street) {
    LabeledValueRecord record;
    record.isoCountryCode = code;
    record.country = country;
    record.zip = zip;
    record.state = state;
    record.city = city;
    record.street = street;
    return record;
}

TEST(QMPersonAddressTest, BundledTableIsLoadedWhole) {
    const auto table = QMPerson::addressFormatTable();
    const auto dict = QMPerson::addressFormatDict();
    const QJsonArray bundled = QJsonDocument::fromJson(Resources::read(":/data/AddressFormat.json"))
                                   .object()
                                   .value("AddressFormat")
                                   .toArray();
    EXPECT_EQ(table.size(), bundled.size());
    EXPECT_EQ(dict.size(), table.size());
    const AddressFormatEntry jp = dict.value("JP");
    EXPECT_EQ(jp.alpha3, "JPN");
    EXPECT_EQ(jp.states.size(), 47);
    EXPECT_EQ(jp.stateCodes.size(), 47);
    EXPECT_EQ(jp.localizedStates.value("ja").size(), 47);
    EXPECT_EQ(jp.localizedStates.value("ja").first(), "北海道");
    EXPECT_EQ(dict.value("US").states.size(), dict.value("US").stateCodes.size());
    EXPECT_EQ(dict.value("DE").order, (QStringList{"Street", "ZIP", "City", "State", "Country"}));
}

TEST(QMPersonAddressTest, JapaneseUsAndGermanExamples) {
    ContactsSettings settings(CNContactSortOrder::GivenName, "US");
    LabeledValueRecord jp = address("JP", "日本", "100-0001", "東京都", "千代田区", "千代田1-1");
    QMPerson::updateAddressValue(jp, true);
    EXPECT_EQ(jp.stringValue, "100-0001 東京都 千代田区 千代田1-1 日本");
    EXPECT_EQ(jp.formattedString, "100-0001\n東京都 千代田区\n千代田1-1\n日本");
    EXPECT_EQ(jp.label, NoLabel);
    QMPerson::updateAddressValue(jp, false);
    EXPECT_EQ(jp.stringValue, "100-0001 東京都 千代田区 千代田1-1");
    EXPECT_EQ(jp.formattedString, "100-0001\n東京都 千代田区\n千代田1-1");

    LabeledValueRecord us = address("us", "USA", "94103", "CA", "San Francisco", "1 Market St");
    QMPerson::updateAddressValue(us, true);
    EXPECT_EQ(us.stringValue, "1 Market St San Francisco CA 94103 USA");
    EXPECT_EQ(us.formattedString, "1 Market St\nSan Francisco CA 94103\nUSA");

    LabeledValueRecord de = address("", "Germany", "10115", "", "Berlin", "Hauptstr. 5");
    QMPerson::updateAddressValue(de, true);
    EXPECT_EQ(de.predictCountryCode, "DE");
    EXPECT_EQ(de.stringValue, "Hauptstr. 5 10115 Berlin Germany");
    EXPECT_EQ(de.formattedString, "Hauptstr. 5\n10115 Berlin\nGermany");
}

TEST(QMPersonAddressTest, EmptyAddressAndUnknownCountryUseDefaults) {
    ContactsSettings settings(CNContactSortOrder::GivenName, "JP");
    LabeledValueRecord empty;
    QMPerson::updateAddressValue(empty, true);
    EXPECT_EQ(empty.stringValue, empty.formattedString);
    EXPECT_FALSE(empty.predictCountryCode.has_value());

    LabeledValueRecord unknown = address("", "Atlantis", "1", "", "", "");
    QMPerson::updateAddressValue(unknown, true);
    EXPECT_EQ(unknown.predictCountryCode, "") << "nothing found is stored as the empty code";
    EXPECT_EQ(unknown.stringValue, "1 Atlantis") << "the system's country (JP) gives the order";

    EXPECT_EQ(QMPerson::orderOfAddressFormats("zz"),
              (QStringList{"zz", "Street", "City", "State", "ZIP", "Country"}));
    EXPECT_EQ(QMPerson::orderOfAddressFormats("jp").first(), "jp");
    EXPECT_EQ(QMPerson::orderOfAddressFormats("jp").at(1), "ZIP");
}

TEST(QMPersonAddressTest, CountryPrediction) {
    const std::pair<const char *, const char *> cases[] = {
        {"日本", "JP"}, {"Germany", "DE"}, {"germany", "DE"},   {"GERMANY", "DE"},
        {"DEU", "DE"},  {"FR", "FR"},      {"FRANÇAISE", "FR"}, {"Atlantis", ""}};
    for (const auto &[country, code] : cases)
        EXPECT_EQ(QMPerson::predictCountryCode(QString::fromUtf8(country)), code) << country;
    LabeledValueRecord lower = address("", "germany", "", "", "Berlin", "");
    QMPerson::updateAddressValue(lower, true);
    EXPECT_EQ(lower.predictCountryCode, "DE");
}

TEST(QMPersonAddressTest, EntryRuleDerivesOrderAndLocalizedNames) {
    QJsonArray entries;
    entries.append(QJsonObject{{"CountryCode", "jp"},
                               {"Country", "Japan"},
                               {"Alpha3", "JPN"},
                               {"formatString", QString("\u200EZIP\u200E\nState City\nStreet")}});
    entries.append(QJsonObject{{"Country", "No code"}});
    entries.append(QJsonObject{{"CountryCode", ""}});
    entries.append(QJsonValue(42));
    entries.append(QJsonObject{{"CountryCode", "DE"}, {"formatString", 7}});
    const auto japanese = QMPerson::addressFormatEntriesFromJson(entries, "ja", "JP");
    ASSERT_EQ(japanese.size(), 2) << "malformed entries are skipped";
    EXPECT_EQ(japanese[0].countryCode, "JP");
    EXPECT_EQ(japanese[0].order, (QStringList{"ZIP", "State", "City", "Street"}));
    EXPECT_EQ(japanese[0].localizedCountry, "日本");
    EXPECT_EQ(japanese[0].localizedCountries.value("ja"), "日本");
    EXPECT_EQ(japanese[1].formatString, "") << "a format that is no text counts as empty";

    const auto english = QMPerson::addressFormatEntriesFromJson(entries, "en", "US");
    EXPECT_FALSE(english[0].localizedCountry.has_value());
    const auto none = QMPerson::addressFormatEntriesFromJson(entries, "US", "US");
    EXPECT_TRUE(none[0].localizedCountries.contains("US"));
}

TEST(QMPersonAddressTest, MergeReplacesByCodeAndNeverGrowsTheTable) {
    const auto before = QMPerson::addressFormatTable();
    const auto dictBefore = QMPerson::addressFormatDict();
    QJsonArray entries;
    entries.append(
        QJsonObject{{"CountryCode", "DE"}, {"Country", "Germany"}, {"formatString", "City Street"}});
    entries.append(QJsonObject{{"CountryCode", "QQ"}, {"Country", "Qland"}, {"formatString", "Street"}});
    entries.append(QJsonValue("junk"));
    QMPerson::setAddressFormatTable(entries);
    const auto after = QMPerson::addressFormatTable();
    EXPECT_EQ(after.size(), before.size());
    const qsizetype de =
        std::find_if(after.cbegin(), after.cend(), [](const auto &e) { return e.countryCode == "DE"; }) -
        after.cbegin();
    EXPECT_EQ(after[de].order, (QStringList{"City", "Street"}));
    EXPECT_EQ(QMPerson::addressFormatDict().value("QQ").country, "Qland");
    EXPECT_EQ(QMPerson::predictCountryCode("Qland"), "") << "a new code reaches only the dictionary";
    EXPECT_EQ(QMPerson::orderOfAddressFormats("QQ"), (QStringList{"QQ", "Street"}));
    LabeledValueRecord berlin = address("DE", "", "10115", "", "Berlin", "Hauptstr. 5");
    QMPerson::updateAddressValue(berlin, true);
    EXPECT_EQ(berlin.formattedString, "Berlin Hauptstr. 5") << "the formatter reads the merged table";

    QMPerson::setAddressFormatDict(dictBefore);
    QJsonArray restore;
    for (const AddressFormatEntry &entry : before)
        if (entry.countryCode == "DE")
            restore.append(QJsonObject{{"CountryCode", "DE"},
                                       {"Country", entry.country},
                                       {"Alpha3", entry.alpha3},
                                       {"formatString", entry.formatString}});
    QMPerson::setAddressFormatTable(restore);
    EXPECT_EQ(QMPerson::addressFormatDict().value("DE").order, dictBefore.value("DE").order);
}

// Formatting remembers the last country's entry: a replaced table must still be read.
TEST(QMPersonAddressTest, TheSameCountryAfterATableChangeGetsTheNewFormat) {
    const auto dictBefore = QMPerson::addressFormatDict();
    LabeledValueRecord berlin = address("DE", "", "10115", "", "Berlin", "Hauptstr. 5");
    QMPerson::updateAddressValue(berlin, true);
    const QString original = berlin.formattedString;

    auto changed = dictBefore;
    changed["DE"].formatString = QStringLiteral("ZIP City");
    changed["DE"].order = {QStringLiteral("ZIP"), QStringLiteral("City")};
    QMPerson::setAddressFormatDict(changed);
    QMPerson::updateAddressValue(berlin, true);
    EXPECT_EQ(berlin.formattedString, "10115 Berlin");
    EXPECT_EQ(berlin.stringValue, "10115 Berlin");

    QMPerson::setAddressFormatDict(dictBefore);
    QMPerson::updateAddressValue(berlin, true);
    EXPECT_EQ(berlin.formattedString, original);
}

TEST(QMPersonAddressTest, PartRangesAreClampedToTheShownText) {
    LabeledValueRecord jp = address("JP", "", "100", "Tokyo", "", "1-1");
    QMPerson::updateAddressValue(jp, true);
    ASSERT_EQ(jp.stringValue, "100 Tokyo 1-1");
    const auto ranges = QMPerson::rangeTableFromAddressLabeledValue(jp);
    ASSERT_EQ(ranges.size(), 5);
    EXPECT_EQ(ranges[0], (AddressPartRange{"ZIP", "100 ", 0, 4}));
    EXPECT_EQ(ranges[1], (AddressPartRange{"State", "Tokyo ", 4, 6}));
    EXPECT_EQ(ranges[2], (AddressPartRange{"City", "", 10, 0}));
    EXPECT_EQ(ranges[3], (AddressPartRange{"Street", "1-1 ", 10, 3}))
        << "the trailing blank is past the text";
    EXPECT_EQ(ranges[4], (AddressPartRange{"Country", "", 13, 0}));
    for (const AddressPartRange &range : ranges)
        EXPECT_LE(range.location + range.length, jp.stringValue.size());
}

TEST(QMPersonAddressTest, AddressesKeepTheirCountryCodeAndUnreadPartsOnExport) {
    CNPostalAddress read;
    read.street = "1 Main";
    read.subLocality = "Old Town";
    read.city = "Springfield";
    read.isoCountryCode = "us";
    CNContact contact;
    contact.postalAddresses = {{CNLabelHome, read}};
    QMPerson person(contact);
    LabeledValueRecord edited = person.addressValues().first();
    edited.city = "Shelbyville";
    person.replaceAddressValue(edited);
    const CNPostalAddress written = person.contactFromCache().postalAddresses.first().value;
    EXPECT_EQ(written.isoCountryCode, "us");
    EXPECT_EQ(written.subLocality, "Old Town");
    EXPECT_EQ(written.city, "Shelbyville");

    QMPerson made;
    made.addAddressValue(address("", "Japan", "1", "", "", ""));
    const LabeledValueRecord added = made.addressValues().first();
    EXPECT_EQ(added.predictCountryCode, "JP");
    EXPECT_EQ(added.stringValue, "1 Japan") << "added as read, with the country";
}

TEST(QMPersonAddressTest, EveryEditShowsTheCountryAsReadingDoes) {
    ContactsSettings settings(CNContactSortOrder::GivenName, "US");
    CNPostalAddress read;
    read.street = "Hauptstr. 5";
    read.postalCode = "10115";
    read.city = "Berlin";
    read.country = "Germany";
    CNContact contact;
    contact.postalAddresses = {{CNLabelHome, read}};
    const QString shown = QMPerson(contact).addressValues().first().stringValue;
    ASSERT_EQ(shown, "Hauptstr. 5 10115 Berlin Germany");

    const struct {
        const char *edit;
        std::function<void(QMPerson &, const LabeledValueRecord &)> apply;
    } edits[] = {
        {"replace by running number",
         [](QMPerson &p, const LabeledValueRecord &r) { p.replaceAddressValue(r); }},
        {"replace at a position",
         [](QMPerson &p, const LabeledValueRecord &r) { p.replaceAddressValue(r, 0); }},
        {"replace the list",
         [](QMPerson &p, const LabeledValueRecord &r) { p.replaceAddressValue(LabeledValueList{r}); }},
        {"set the field",
         [](QMPerson &p, const LabeledValueRecord &r) {
             p.setValue(FieldValue(LabeledValueList{r}), FieldId::Address);
         }},
        {"replace by identifier",
         [](QMPerson &p, const LabeledValueRecord &r) {
             p.replaceLabeledValue(FieldValue(r), FieldId::Address);
         }},
    };
    for (const auto &e : edits) {
        QMPerson person(contact);
        LabeledValueRecord edited = person.addressValues().first();
        edited.city = "Potsdam";
        e.apply(person, edited);
        EXPECT_EQ(person.addressValues().first().stringValue, "Hauptstr. 5 10115 Potsdam Germany") << e.edit;
        edited.city = "Berlin";
        e.apply(person, edited);
        EXPECT_EQ(person.addressValues().first().stringValue, shown) << e.edit;
    }
}

} // namespace
