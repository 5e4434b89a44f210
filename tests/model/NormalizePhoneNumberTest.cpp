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

TEST(NormalizePhoneNumberTest, SixLayoutsOfTenDigits) {
    const auto n = withTable(QStringLiteral("12 34 56 78 90"));
    EXPECT_EQ(n.phoneNumber(), QStringLiteral("1234567890"));
    EXPECT_EQ(n.fourPlusFour(), QStringLiteral("(12) 3456-7890"));
    EXPECT_EQ(n.threePlusFour(), QStringLiteral("(123) 456-7890"));
    EXPECT_EQ(n.twoPlusFour(), QStringLiteral("(1234) 56-7890"));
    EXPECT_EQ(n.quadTwo(), QStringLiteral("(12) 34 56 78 90"));
    EXPECT_EQ(n.hyphenThreeFour(), QStringLiteral("12-3456-7890"));
    EXPECT_EQ(n.hyphenFourThreeThree(), QStringLiteral("1234-567-890"));
}

TEST(NormalizePhoneNumberTest, ThresholdsOfEachLayout) {
    struct Case {
        const char *number;
        QString (NormalizePhoneNumber::*layout)() const;
        const char *expected;
    };
    const Case cases[] = {
        {"12345678", &NormalizePhoneNumber::fourPlusFour, "(1234) 5678"},
        {"1234", &NormalizePhoneNumber::fourPlusFour, "1234"},
        {"12345", &NormalizePhoneNumber::fourPlusFour, "(1) 2345"},
        {"1234567", &NormalizePhoneNumber::threePlusFour, "(123) 4567"},
        {"12345678", &NormalizePhoneNumber::threePlusFour, "(1) 234-5678"},
        {"123456", &NormalizePhoneNumber::twoPlusFour, "(12) 3456"},
        {"1234567", &NormalizePhoneNumber::twoPlusFour, "(1) 23-4567"},
        {"12345678", &NormalizePhoneNumber::quadTwo, "(12) 34 56 78"},
        {"123456", &NormalizePhoneNumber::quadTwo, "(12) 34 56"},
        {"1234", &NormalizePhoneNumber::quadTwo, "1234"},
        {"12345678", &NormalizePhoneNumber::hyphenThreeFour, "1234-5678"},
        {"123456", &NormalizePhoneNumber::hyphenFourThreeThree, "123-456"},
        {"1234", &NormalizePhoneNumber::hyphenFourThreeThree, "1-234"},
        {"123", &NormalizePhoneNumber::hyphenFourThreeThree, "123"},
    };
    for (const Case &c : cases) {
        const auto n = withTable(QString::fromUtf8(c.number));
        EXPECT_EQ((n.*c.layout)(), QString::fromUtf8(c.expected)) << c.number;
    }
}

TEST(NormalizePhoneNumberTest, CallingCodes) {
    EXPECT_EQ(withTable(QStringLiteral("+81 3 1234 5678")).fourPlusFour(),
              QStringLiteral("+81 (3) 1234-5678"));
    // The shortest code that begins the number wins.
    EXPECT_EQ(withTable(QStringLiteral("+1 242 555 1234")).countryNumber(QStringLiteral("+12425551234")),
              QStringLiteral("1"));
    // An unknown code is laid out whole, "+" counted.
    EXPECT_EQ(withTable(QStringLiteral("+999 1234")).hyphenFourThreeThree(), QStringLiteral("+9-991-234"));
    EXPECT_TRUE(withTable(QStringLiteral("+")).countryNumber(QStringLiteral("+")).isEmpty());
    EXPECT_TRUE(withTable(QStringLiteral("+81")).countryNumber(QStringLiteral("+81")).isEmpty());
    NormalizePhoneNumber noTable{std::vector<CountryNumberEntry>{}};
    noTable.setPhoneNumber(QStringLiteral("+81 3 1234 5678"));
    EXPECT_EQ(noTable.hyphenThreeFour(), QStringLiteral("+813-1234-5678"));
}

TEST(NormalizePhoneNumberTest, Extensions) {
    const auto n = withTable(QStringLiteral("0120 123 456 ext. 7"));
    EXPECT_EQ(n.phoneNumber(), QStringLiteral("0120123456x7"));
    EXPECT_EQ(n.hyphenFourThreeThree(), QStringLiteral("0120-123-456 x7"));
    EXPECT_EQ(withTable(QStringLiteral("0120123456 EXT12")).phoneNumber(), QStringLiteral("0120123456x12"));
    EXPECT_EQ(withTable(QStringLiteral("0120123456X3")).phoneNumber(), QStringLiteral("0120123456x3"));
    EXPECT_EQ(withTable(QStringLiteral("+44 20 7946 0958 x 22")).fourPlusFour(),
              QStringLiteral("+44 (20) 7946-0958 x22"));
    EXPECT_EQ(withTable(QStringLiteral("12345x")).phoneNumber(), QStringLiteral("12345"));
}

TEST(NormalizePhoneNumberTest, TextThatIsNoPlainNumberIsLeftAlone) {
    for (const char *text : {"Fax 03-1234-5678", "#12", "03-1234-5678 (home 2)", "03abc x12", "", "+"}) {
        const auto n = withTable(QString::fromUtf8(text));
        EXPECT_TRUE(n.phoneNumber().isEmpty()) << text;
        EXPECT_TRUE(n.fourPlusFour().isEmpty()) << text;
    }
    EXPECT_EQ(withTable(QStringLiteral("(03) 1234-5678")).phoneNumber(), QStringLiteral("0312345678"));
}

} // namespace

namespace {

TEST(NormalizePhoneNumberTest, BundledTableKnowsTheCommonCodes) {
    NormalizePhoneNumber normalizer;
    ASSERT_GT(normalizer.countryNumbers().size(), 200u);
    normalizer.setPhoneNumber(QStringLiteral("+81 3 1234 5678"));
    EXPECT_EQ(normalizer.fourPlusFour(), QStringLiteral("+81 (3) 1234-5678"));
    normalizer.setPhoneNumber(QStringLiteral("+1 (415) 555-0100"));
    EXPECT_EQ(normalizer.threePlusFour(), QStringLiteral("+1 (415) 555-0100"));
    normalizer.setPhoneNumber(QStringLiteral("+49 30 1234567"));
    EXPECT_EQ(normalizer.twoPlusFour(), QStringLiteral("+49 (301) 23-4567"));
}

} // namespace
