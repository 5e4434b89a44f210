#include "print/QRTextFormats.h"
#include "tests/model/PersonTestSupport.h"
#include "tests/print/QRTestSupport.h"

#include <gtest/gtest.h>

namespace {

class QRTextFormatsTest : public ::testing::Test {
protected:
    ContactsSettings settings{CNContactSortOrder::FamilyName, QStringLiteral("JP")};

    static void tick(QRFieldTable &table, const QString &type, bool selected = true) {
        for (QRFieldRow &row : table)
            if (row.type == type)
                row.selected = selected;
    }
};

TEST_F(QRTextFormatsTest, EachFormatEnablesOnlyTheRowsItWrites) {
    const QStringList types{FieldId::Phone, FieldId::Email,   FieldId::Address,
                            FieldId::URL,   FieldId::Company, FieldId::JobTitle};
    const QList<std::pair<QString, QString>> cases{
        {QRFormat::VCard, QStringLiteral("PEAUCJ")},  {QRFormat::MECARD, QStringLiteral("PEA---")},
        {QRFormat::MEMORY, QStringLiteral("PEA---")}, {QRFormat::MEMORYNoAddress, QStringLiteral("PEA---")},
        {QRFormat::Phone, QStringLiteral("P-----")},  {QRFormat::Email, QStringLiteral("-E----")},
        {QRFormat::URL, QStringLiteral("---U--")},
    };
    for (const auto &[format, expected] : cases) {
        QString enabled;
        for (const QString &type : types)
            enabled += qrRowIsEnabled({type, {}, {}, {}, false}, format) ? type.at(0) : u'-';
        EXPECT_EQ(enabled, expected) << format.toStdString();
    }
}

TEST_F(QRTextFormatsTest, EachFormatWritesItsExactText) {
    const auto person = japaneseContact();
    QRFieldTable table = qrFieldTableForContact(*person);
    table[1].selected = true; // the second phone: the carrier formats carry the last ticked one
    tick(table, FieldId::URL);
    tick(table, FieldId::Company);
    tick(table, FieldId::JobTitle);
    const QString address = QStringLiteral("100-0001 東京都 千代田区 千代田1-1 日本");
    const QList<std::pair<QString, QString>> cases{
        {QRFormat::MECARD, QStringLiteral("MECARD:N:山田 太郎;SOUND:ヤマダ タロウ;TEL:03-1234-5678;"
                                          "EMAIL:taro@example.jp;ADR:") +
                               address + u';'},
        {QRFormat::MEMORY, QStringLiteral("MEMORY:\nNAME1:山田 太郎\nNAME2:ヤマダ タロウ\nTEL1:03-1234-5678\n"
                                          "MAIL1:taro@example.jp\nADD:") +
                               address + u'\n'},
        {QRFormat::MEMORYNoAddress, QStringLiteral("MEMORY:\nNAME1:山田 太郎\nNAME2:ヤマダ タロウ\n"
                                                   "TEL1:03-1234-5678\nMAIL1:taro@example.jp\n")},
        {QRFormat::Phone, QStringLiteral("tel:03-1234-5678")},
        {QRFormat::Email, QStringLiteral("mailto:taro@example.jp")},
        {QRFormat::URL, QStringLiteral("https://example.jp/taro")},
        {QRFormat::VCard,
         QStringLiteral(
             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 太郎\r\nN:山田;太郎;;;\r\n"
             "X-PHONETIC-FIRST-NAME:タロウ\r\nX-PHONETIC-LAST-NAME:ヤマダ\r\n"
             "EMAIL;type=work:taro@example.jp\r\nTEL:090-1234-5678\r\nTEL;type=work:03-1234-5678\r\n"
             "ADR;type=work:;;千代田1-1;千代田区;東京都;100-0001;日本\r\n"
             "URL;type=work:https://example.jp/taro\r\nORG:株式会社サンプル;\r\nTITLE:部長\r\n"
             "END:VCARD\r\n")},
        {QStringLiteral("docomo"), QString()},
    };
    for (const auto &[format, expected] : cases)
        EXPECT_EQ(qrTextForFormat(format, *person, table), expected) << format.toStdString();
}

TEST_F(QRTextFormatsTest, NothingTickedGivesTheBareForms) {
    const auto person = personFromVCard(QStringLiteral("N:Lee;Ann;;;\nORG:;Research\n"));
    QRFieldTable table = qrFieldTableForContact(*person);
    const QList<std::pair<QString, QString>> cases{
        {QRFormat::Phone, QStringLiteral("tel:")},
        {QRFormat::Email, QStringLiteral("mailto:")},
        {QRFormat::URL, QStringLiteral("http:")},
        {QRFormat::MECARD, QStringLiteral("MECARD:N:Lee Ann;")},
        {QRFormat::MEMORY, QStringLiteral("MEMORY:\nNAME1:Lee Ann\n")},
        {QRFormat::VCard,
         QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Lee Ann\r\nN:Lee;Ann;;;\r\nEND:VCARD\r\n")}};
    for (const auto &[format, expected] : cases)
        EXPECT_EQ(qrTextForFormat(format, *person, table), expected) << format.toStdString();
    // A ticked empty row writes its empty field where the format has one; so does a ticked
    // department without a company.
    tick(table, FieldId::Email);
    tick(table, FieldId::URL);
    tick(table, FieldId::Department);
    EXPECT_TRUE(qrTextForFormat(QRFormat::VCard, *person, table)
                    .contains(QStringLiteral("EMAIL:\r\nURL:http://\r\nORG:;Research\r\n")));
}

// Reserved characters and line breaks in values must not end a field or start a new one.
TEST_F(QRTextFormatsTest, ValuesAreEscapedForEachFormat) {
    const auto person = personFromVCard(QStringLiteral("N:Lee\\;x;Ann\\\\y;;;\nORG:A\\, Inc.;R&D\n"
                                                       "TITLE:Boss\\nEND:VCARD\n"));
    QRFieldTable table{
        {FieldId::Phone, QStringLiteral("Work"), QStringLiteral("1;2,3"), {}, true},
        {FieldId::Email, QStringLiteral("other"), QStringLiteral("a:b\nc"), {}, true},
        {FieldId::URL, QStringLiteral("home"), QStringLiteral("example.com/a;b\r\n"), {}, true},
        {FieldId::Company, {}, {}, {}, true},
        {FieldId::JobTitle, {}, {}, {}, true}};
    LabeledValueRecord address;
    address.street = QStringLiteral("1 Main St\nApt\t2");
    address.city = QStringLiteral("Spring;field");
    address.zip = QStringLiteral("62701");
    table.append({FieldId::Address, QStringLiteral("home"), {}, address, true});

    EXPECT_EQ(qrTextForFormat(QRFormat::VCard, *person, table),
              QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Lee\\;x Ann\\\\y\r\nN:Lee\\;x;Ann\\\\y;;;\r\n"
                             "EMAIL:a:b\\nc\r\nTEL;type=Work:1\\;2\\,3\r\n"
                             "ADR;type=home:;;1 Main St Apt 2;Spring\\;field;;62701;\r\n"
                             "URL;type=home:http://example.com/a;b\r\nORG:A\\, Inc.;\r\n"
                             "TITLE:Boss\\nEND:VCARD\r\nEND:VCARD\r\n"));
    EXPECT_EQ(qrTextForFormat(QRFormat::MECARD, *person, table),
              QStringLiteral("MECARD:N:Lee\\;x Ann\\\\y;TEL:1\\;2\\,3;EMAIL:a\\:b c;"));
    EXPECT_EQ(qrTextForFormat(QRFormat::MEMORY, *person, table),
              QStringLiteral("MEMORY:\nNAME1:Lee;x Ann\\y\nTEL1:1;2,3\nMAIL1:a:b c\n"));
}

} // namespace
