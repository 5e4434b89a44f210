#include "model/NormalizePhoneNumber.h"

#include <gtest/gtest.h>

namespace {

const QString kTable = QStringLiteral("number,country,国名,エリア名\r\n"
                                      "81,JP,日本,アジア\r\n"
                                      "1,US,アメリカ合衆国,北アメリカ\r\n"
                                      "1242,BS,バハマ,北アメリカ\r\n"
                                      "44,GB,イギリス,ヨーロッパ\r\n"
                                      "49,DE,ドイツ,ヨーロッパ\r\n"
                                      "x\r\n"
                                      "33,FR,フランス\r\n"
                                      "3a,ZZ,bad,line\r\n");

NormalizePhoneNumber withTable(const QString &number) {
    NormalizePhoneNumber normalizer(NormalizePhoneNumber::arrayFromCountryNumbersString(kTable));
    normalizer.setPhoneNumber(number);
    return normalizer;
}

TEST(NormalizePhoneNumberTest, TableSkipsHeaderShortAndMalformedLines) {
    const auto entries = NormalizePhoneNumber::arrayFromCountryNumbersString(kTable);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].number, QStringLiteral("81"));
    EXPECT_EQ(entries[0].firstDigit, QStringLiteral("8"));
    EXPECT_EQ(entries[0].countryName, QStringLiteral("日本"));
    EXPECT_EQ(entries[0].areaName, QStringLiteral("アジア"));
    EXPECT_TRUE(NormalizePhoneNumber::arrayFromCountryNumbersString(QString()).empty());
}

TEST(NormalizePhoneNumberTest, EachLayoutAndItsThresholds) {
    using N = NormalizePhoneNumber;
    const std::tuple<const char *, QString (N::*)() const, const char *> cases[] = {
        {"12 34 56 78 90", &N::fourPlusFour, "(12) 3456-7890"},
        {"12345678", &N::fourPlusFour, "(1234) 5678"},
        {"12345", &N::fourPlusFour, "(1) 2345"},
        {"1234", &N::fourPlusFour, "1234"},
        {"1234567890", &N::threePlusFour, "(123) 456-7890"},
        {"12345678", &N::threePlusFour, "(1) 234-5678"},
        {"1234567", &N::threePlusFour, "(123) 4567"},
        {"1234567890", &N::twoPlusFour, "(1234) 56-7890"},
        {"1234567", &N::twoPlusFour, "(1) 23-4567"},
        {"123456", &N::twoPlusFour, "(12) 3456"},
        {"1234567890", &N::quadTwo, "(12) 34 56 78 90"},
        {"12345678", &N::quadTwo, "(12) 34 56 78"},
        {"123456", &N::quadTwo, "(12) 34 56"},
        {"1234", &N::quadTwo, "1234"},
        {"1234567890", &N::hyphenThreeFour, "12-3456-7890"},
        {"12345678", &N::hyphenThreeFour, "1234-5678"},
        {"1234567890", &N::hyphenFourThreeThree, "1234-567-890"},
        {"123456", &N::hyphenFourThreeThree, "123-456"},
        {"1234", &N::hyphenFourThreeThree, "1-234"},
        {"123", &N::hyphenFourThreeThree, "123"},
        // Each layout at the length where its longer form begins.
        {"123456789", &N::fourPlusFour, "(1) 2345-6789"},
        {"123456789", &N::hyphenThreeFour, "1-2345-6789"},
        {"1234567", &N::quadTwo, "(1) 23 45 67"},
        {"1234567", &N::hyphenFourThreeThree, "1-234-567"},
        // Calling codes: the shortest that begins the number wins; an unknown one is laid out
        // whole, "+" counted.
        {"+81 3 1234 5678", &N::fourPlusFour, "+81 (3) 1234-5678"},
        {"+999 1234", &N::hyphenFourThreeThree, "+9-991-234"},
        // Extensions.
        {"0120 123 456 ext. 7", &N::hyphenFourThreeThree, "0120-123-456 x7"},
        {"+44 20 7946 0958 x 22", &N::fourPlusFour, "+44 (20) 7946-0958 x22"},
    };
    for (const auto &[number, layout, expected] : cases)
        EXPECT_EQ((withTable(QString::fromUtf8(number)).*layout)(), QString::fromUtf8(expected)) << number;
}

TEST(NormalizePhoneNumberTest, DigitsAndExtensionsOrNothingForText) {
    const std::pair<const char *, const char *> cases[] = {{"12 34 56 78 90", "1234567890"},
                                                           {"(03) 1234-5678", "0312345678"},
                                                           {"0120 123 456 ext. 7", "0120123456x7"},
                                                           {"0120123456 EXT12", "0120123456x12"},
                                                           {"0120123456X3", "0120123456x3"},
                                                           {"12345x", "12345"},
                                                           {"Fax 03-1234-5678", ""},
                                                           {"#12", ""},
                                                           {"03-1234-5678 (home 2)", ""},
                                                           {"03abc x12", ""},
                                                           {"", ""},
                                                           {"+", ""}};
    for (const auto &[text, digits] : cases) {
        const auto n = withTable(QString::fromUtf8(text));
        EXPECT_EQ(n.phoneNumber(), QString::fromUtf8(digits)) << text;
        if (!*digits) {
            EXPECT_TRUE(n.fourPlusFour().isEmpty()) << text;
        }
    }
}

TEST(NormalizePhoneNumberTest, CallingCodes) {
    EXPECT_EQ(withTable(QStringLiteral("+1 242 555 1234")).countryNumber(QStringLiteral("+12425551234")),
              QStringLiteral("1"));
    EXPECT_TRUE(withTable(QStringLiteral("+")).countryNumber(QStringLiteral("+")).isEmpty());
    EXPECT_TRUE(withTable(QStringLiteral("+81")).countryNumber(QStringLiteral("+81")).isEmpty());
    NormalizePhoneNumber noTable{std::vector<CountryNumberEntry>{}};
    noTable.setPhoneNumber(QStringLiteral("+81 3 1234 5678"));
    EXPECT_EQ(noTable.hyphenThreeFour(), QStringLiteral("+813-1234-5678"));

    NormalizePhoneNumber bundled;
    for (const auto &[number, layout, expected] :
         {std::tuple{"+81 3 1234 5678", &NormalizePhoneNumber::fourPlusFour, "+81 (3) 1234-5678"},
          {"+1 (415) 555-0100", &NormalizePhoneNumber::threePlusFour, "+1 (415) 555-0100"},
          {"+49 30 1234567", &NormalizePhoneNumber::twoPlusFour, "+49 (301) 23-4567"}}) {
        bundled.setPhoneNumber(QString::fromUtf8(number));
        EXPECT_EQ((bundled.*layout)(), QString::fromUtf8(expected)) << number;
    }
}

} // namespace
