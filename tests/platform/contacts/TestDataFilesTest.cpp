#include "tests/platform/contacts/ContactsTestSupport.h"

#include "platform/contacts/CNContactVCardSerialization.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

QList<CNContact> readFile(const QString &relativePath, QString *error) {
    return CNContactVCardSerialization::contactsWithData(readVCardTestFile(relativePath), error);
}

TEST(VCardTestDataFiles, EveryFileIsReadWithoutError) {
    int files = 0;
    QDirIterator it(vCardTestDataDirectory(), {QStringLiteral("*.vcf")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = it.next().mid(vCardTestDataDirectory().size() + 1);
        QString error;
        const QList<CNContact> contacts = readFile(relative, &error);
        EXPECT_FALSE(contacts.isEmpty()) << relative.toStdString() << ": " << error.toStdString();
        EXPECT_TRUE(error.isEmpty()) << relative.toStdString();
        ++files;
    }
    EXPECT_GE(files, 70);
}

// Each line must appear in the dump of the card (see describe()).
struct Expectation {
    const char *file;
    int card;
    int cards;
    std::vector<std::string> lines;
};

void PrintTo(const Expectation &e, std::ostream *os) {
    *os << e.file << " card " << e.card;
}

class VCardTestDataFields : public testing::TestWithParam<Expectation> {};

TEST_P(VCardTestDataFields, ShowsWhatTheUserExpects) {
    const Expectation &e = GetParam();
    QString error;
    const QList<CNContact> contacts = readFile(QString::fromLatin1(e.file), &error);
    ASSERT_EQ(contacts.size(), e.cards) << error.toStdString();
    const std::string dump = describe(contacts[e.card]);
    for (const std::string &line : e.lines)
        EXPECT_NE(dump.find(line + "\n"), std::string::npos) << "missing \"" << line << "\" in\n" << dump;
}

INSTANTIATE_TEST_SUITE_P(
    Files, VCardTestDataFields,
    testing::Values(
        Expectation{"cardme-ezvcard/John_Doe_IPHONE.vcf",
                    0,
                    1,
                    {"prefix: Mr.", "given: John", "middle: Richter,James", "family: Doe", "suffix: Sr.",
                     "organization: IBM", "department: Accounting", "birthday: 2012-6-6",
                     "phone \"_$!<Mobile>!$_\": 905-555-1234", "phone \"_$!<HomeFAX>!$_\": 905-888-1234",
                     "phone \"_$!<Pager>!$_\": 905-111-1234",
                     "phone \"_$!<AssistantPhone>!$_\": 905-222-1234", "email (none): john.doe@ibm.com",
                     "url \"_$!<HomePage>!$_\": http://www.ibm.com",
                     "address \"_$!<Work>!$_\": Street4\nBuilding 6\nFloor 8 | New York |  | 12345 | USA | ",
                     "image: 32531 bytes"}},
        Expectation{"cardme-ezvcard/John_Doe_MAC_ADDRESS_BOOK.vcf",
                    0,
                    1,
                    {"phonetic given: Jon", "phonetic family: Dow",
                     "email \"_$!<Work>!$_\": john.doe@ibm.com", "phone \"AssistantPhone\": 905-222-1234",
                     "relation \"Spouse\": Jenny", "image: 18242 bytes"}},
        Expectation{"aosp/v21_japanese_1.vcf",
                    0,
                    1,
                    {"family: 安藤ロイド", "phonetic family: ｱﾝﾄﾞｳﾛｲﾄﾞ", "phone (none): 0300000000"}},
        Expectation{
            "aosp/v21_japanese_2.vcf",
            0,
            1,
            {"given: ロイド1", "family: 安藤", "phonetic given: ﾛｲﾄﾞ1", "phonetic family: ｱﾝﾄﾞｳ",
             "note: メモ",
             "address \"_$!<Home>!$_\": 東京都渋谷区桜丘町26-1セルリアンタワー6階 |  |  | 150-8512 |  | "}},
        Expectation{"aosp/v21_japanese_3.vcf", 0, 1, {"given: 圭一", "middle: 伊予", "family: 伊能"}},
        Expectation{"aosp/v21_complicated.vcf",
                    0,
                    1,
                    {"prefix: Pos", "given: Forrest", "middle: Hoge", "family: Gump", "suffix: Tao",
                     "birthday: 1980-1-1", "phone \"_$!<Work>!$_\": (111) 555-1212",
                     "phone \"_$!<Mobile>!$_\": 0311111111", "email (none): forrestgump@walladalla.com",
                     "address \"_$!<Home>!$_\": 42 Plantation St. | Baytown | LA | 30314 | United States of "
                     "America | ",
                     "image: 3888 bytes"}},
        Expectation{"aosp/v21_invalid_comment_line.vcf",
                    0,
                    1,
                    {"given: Conference Call",
                     "note: This is an (sharp ->#<- sharp) example. This message must NOT be ignored."}},
        Expectation{
            "aosp/v21_backslash.vcf", 0, 1, {"given: A;B\\", "middle: C\\;", "prefix: D", "suffix: \\:E"}},
        Expectation{"aosp/v21_nest.vcf", 2, 3, {"family: parent", "phone (none): 1"}},
        Expectation{
            "aosp/v30_ios_613_multiline.vcf",
            0,
            1,
            {"given: Bob", "family: Smith", "phone \"_$!<Mobile>!$_\": (650) 555-1212", "image: 5165 bytes"}},
        Expectation{"kcontacts/testfullvcard.vcf",
                    0,
                    1,
                    {"given: Sherlock", "family: Holmes", "birthday: 1953-10-15",
                     "date \"_$!<Anniversary>!$_\": 1996-4-15",
                     "phone \"_$!<Home>!$_\": +44-555-555-5555;ext=5555",
                     "phone \"_$!<Mobile>!$_\": +44-555-555-6666",
                     "email \"_$!<Work>!$_\": detective@sherlockholmes.com",
                     "address (none): 221B Baker Street | London |  | NW1 | United Kingdom | ",
                     "im (none): Jabber | detective@sherlockholmes.com"}},
        Expectation{
            "cardme-ezvcard/rfc6350-example.vcf",
            0,
            1,
            {"given: Simon", "family: Perreault", "birthday: -----2-3",
             "phone \"_$!<Mobile>!$_\": +1-418-262-6501",
             "address \"_$!<Work>!$_\": 2875 Laurier\nSuite D2-630 | Quebec | QC | G1V 2M2 | Canada | "}},
        Expectation{"cardme-ezvcard/gmail-single2.vcf",
                    0,
                    1,
                    {"phonetic given: ThePhoneticFirstName", "date \"CustomDateCategory\": 2000-9-12",
                     "phone \"_$!<Main>!$_\": 5555551116",
                     "email \"CustomEmailCategory\": customcategory@example.com",
                     "relation \"_$!<Partner>!$_\": Name14", "im (none): QQ | IM6"}},
        Expectation{"cardme-ezvcard/fullcontact.vcf",
                    0,
                    1,
                    {"phone \"_$!<WorkFAX>!$_\": 555-555-1117",
                     "address \"_$!<Other>!$_\": OtherStreet\nOtherExtended | OtherCity | OtherState | "
                     "OtherPostal | OtherCountry | ",
                     "im (none): Skype | skype", "im (none): CustomTYPE | custom"}},
        Expectation{"cardme-ezvcard/John_Doe_EVOLUTION.vcf",
                    0,
                    1,
                    {"middle: Richter, James", "im \"_$!<Home>!$_\": AIM | johnny5@aol.com"}},
        Expectation{"aosp/v21_im.vcf", 0, 1, {"im (none): GoogleTalk | hhh@gmail.com"}}));

} // namespace

namespace {

// Inputs the fuzzer found or that stress the structure: none may crash, and what is read
// must write out and read back as the same contacts.
TEST(VCardFuzzRegressions, ReadAndRoundTripWithoutHarm) {
    const QString folder = QStringLiteral(TESSARIN_CONTACTS_TEST_DIR "/fuzz_regressions");
    QDirIterator it(folder, {QStringLiteral("*.vcf")}, QDir::Files);
    int files = 0;
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(file.readAll());
        const QList<CNContact> again = CNContactVCardSerialization::contactsWithData(
            CNContactVCardSerialization::dataWithContacts(contacts));
        EXPECT_EQ(again.size(), contacts.size()) << file.fileName().toStdString();
        ++files;
    }
    EXPECT_GE(files, 2);
}

} // namespace

namespace {

// Cards are read on worker threads, several documents at once.
TEST(VCardTestDataFiles, ReadingOnFourThreadsAtOnceGivesTheSameContacts) {
    QByteArray all;
    QDirIterator it(vCardTestDataDirectory(), {QStringLiteral("*.vcf")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all += readVCardTestFile(it.next().mid(vCardTestDataDirectory().size() + 1)) + "\r\n";
    const QList<CNContact> expected = CNContactVCardSerialization::contactsWithData(all);
    ASSERT_GE(expected.size(), 80);
    std::vector<QList<CNContact>> results(4);
    std::vector<std::thread> threads;
    for (auto &result : results)
        threads.emplace_back([&all, &result] {
            const QByteArray written = CNContactVCardSerialization::dataWithContacts(
                CNContactVCardSerialization::contactsWithData(all));
            result = CNContactVCardSerialization::contactsWithData(written);
        });
    for (auto &thread : threads)
        thread.join();
    for (const auto &result : results) {
        ASSERT_EQ(result.size(), expected.size());
        for (qsizetype i = 0; i < result.size(); ++i) {
            EXPECT_TRUE(result[i].hasSameFields(writableFields(expected[i]))) << describe(result[i]);
        }
    }
}

} // namespace
