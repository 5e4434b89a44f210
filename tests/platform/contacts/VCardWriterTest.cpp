#include "tests/platform/contacts/ContactsTestSupport.h"

#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"
#include "platform/contacts/VCardSyntax.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QByteArray write(const CNContact &contact) {
    return CNContactVCardSerialization::dataWithContacts({contact});
}

// The physical lines of written data, each checked to end with CRLF.
QList<QByteArray> physicalLines(const QByteArray &data) {
    EXPECT_TRUE(data.endsWith("\r\n"));
    QList<QByteArray> lines = data.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        line.chop(1);
        EXPECT_FALSE(line.contains('\r')) << line.toStdString();
    }
    return lines;
}

// The unfolded content lines of written data.
QList<QByteArray> contentLines(const QByteArray &data) {
    QList<QByteArray> lines;
    for (const QByteArray &line : physicalLines(data)) {
        if (line.startsWith(' '))
            lines.last() += line.mid(1);
        else
            lines.append(line);
    }
    return lines;
}

CNContact everyField() {
    CNContact c;
    c.namePrefix = "Dr.";
    c.givenName = "Ann; \"Annie\"";
    c.middleName = "B,C";
    c.familyName = "Lee\\Smith";
    c.previousFamilyName = "Old";
    c.nameSuffix = "Jr.";
    c.nickname = "Nick, name";
    c.phoneticGivenName = "an";
    c.phoneticMiddleName = "bi";
    c.phoneticFamilyName = "lee";
    c.organizationName = "ACME; Inc.";
    c.departmentName = "R&D";
    c.cardIdentity = {"urn:uuid:a,b;c", "A1:ABPerson"};
    c.jobTitle = QString::fromUtf8("技術者");
    c.birthday = DateComponents(DateComponents::Undefined, 2, 29);
    c.dates = {{CNLabelDateAnniversary, DateComponents(2001, 5, 6)},
               {"first met", DateComponents(1999, 1, 1)},
               {CNLabelHome, DateComponents(2010, 10, 10)}};
    c.phoneNumbers = {{CNLabelHome, CNPhoneNumber("1")},
                      {CNLabelWork, CNPhoneNumber("2")},
                      {CNLabelPhoneNumberMobile, CNPhoneNumber("3")},
                      {CNLabelPhoneNumberiPhone, CNPhoneNumber("4")},
                      {CNLabelPhoneNumberMain, CNPhoneNumber("5")},
                      {CNLabelPhoneNumberPager, CNPhoneNumber("6")},
                      {CNLabelPhoneNumberHomeFax, CNPhoneNumber("7")},
                      {CNLabelPhoneNumberWorkFax, CNPhoneNumber("8")},
                      {CNLabelPhoneNumberOtherFax, CNPhoneNumber("9")},
                      {CNLabelOther, CNPhoneNumber("10")},
                      {"Car; phone", CNPhoneNumber("11")},
                      {std::nullopt, CNPhoneNumber("+81 3-1234-5678")}};
    c.emailAddresses = {
        {CNLabelHome, "a@home"}, {CNLabelOther, "b@other"}, {"Büro", "c@work"}, {{}, "d@none"}};
    c.urlAddresses = {{CNLabelURLAddressHomePage, "http://a.example/x,y;z"},
                      {CNLabelWork, "http://b.example"}};
    CNPostalAddress home;
    home.street = "1-2-3 Chiyoda\nBuilding 4";
    home.city = QString::fromUtf8("千代田区");
    home.state = QString::fromUtf8("東京都");
    home.postalCode = "100-0001";
    home.country = QString::fromUtf8("日本");
    home.isoCountryCode = "jp";
    CNPostalAddress work;
    work.street = QString::fromUtf8(
        "千代田一丁目一番地一号 とても長い建物の名前がここに入りますのでこの行は七十五オクテットを超えます");
    work.city = "Town, North";
    c.postalAddresses = {{CNLabelHome, home}, {"summer", work}};
    c.contactRelations = {{CNLabelContactRelationSpouse, CNContactRelation("Jane")},
                          {CNLabelContactRelationSon, CNContactRelation("Joe")},
                          {"coach", CNContactRelation("Bob")}};
    c.socialProfiles = {{std::nullopt, {"http://twitter.com/ann", "ann", "", "twitter"}},
                        {std::nullopt, {"", "fb;user", "12", CNSocialProfileServiceFacebook}},
                        {std::nullopt, {"https://example.com/p/q", "", "", "Mastodon"}}};
    c.instantMessageAddresses = {{CNLabelHome, {"sky", CNInstantMessageServiceSkype}},
                                 {CNLabelWork, {"jab@x", CNInstantMessageServiceJabber}},
                                 {"gaming", {"qq1", CNInstantMessageServiceQQ}},
                                 {std::nullopt, {"who", "WeChat"}},
                                 {std::nullopt, {"nobody", ""}}};
    return c;
}

TEST(VCardWriter, CardShapeLineEndsAndFolding) {
    CNContact c = everyField();
    c.imageData = QByteArray(1000, 'x');
    c.note = QString(300, QChar(0x3042)); // not written, but must not matter
    c.jobTitle = QString(100, QChar(0x3042)) + QString(40, QLatin1Char('a'));
    const QByteArray data = write(c);
    EXPECT_TRUE(data.startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\n"));
    EXPECT_TRUE(data.endsWith("\r\nEND:VCARD\r\n"));
    bool folded = false;
    for (const QByteArray &line : physicalLines(data)) {
        EXPECT_LE(line.size(), 75) << line.toStdString();
        EXPECT_TRUE(VCardSyntax::isValidUtf8(line)) << "a fold split a character: " << line.toStdString();
        folded = folded || line.startsWith(' ');
    }
    EXPECT_TRUE(folded);
    for (const QByteArray &line : contentLines(data)) {
        EXPECT_FALSE(line.startsWith("NOTE")) << line.toStdString();
        EXPECT_FALSE(line.startsWith("PHOTO")) << line.toStdString();
        EXPECT_FALSE(line.startsWith("CATEGORIES")) << line.toStdString();
    }
}

// The card's own identity goes out as it came in, last before END; a card without one
// gets none.
TEST(VCardWriter, TheCardsIdentityLinesAsRead) {
    const QList<QByteArray> lines = contentLines(write(everyField()));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.mid(lines.size() - 3),
              (QList<QByteArray>{"UID:urn:uuid:a\\,b\\;c", "X-ABUID:A1:ABPerson", "END:VCARD"}));
    CNContact onlyApple;
    onlyApple.cardIdentity.abUid = "B2:ABPerson";
    EXPECT_TRUE(contentLines(write(onlyApple)).contains("X-ABUID:B2:ABPerson"));
    EXPECT_FALSE(write(onlyApple).contains("\r\nUID"));
    EXPECT_FALSE(write(CNContact()).contains("UID"));
}

TEST(VCardWriter, BareExtensionNamesAreOnlyTheReservedOnes) {
    CNContact company = everyField();
    company.contactType = CNContactType::Organization;
    int bare = 0;
    for (const QByteArray &line : contentLines(write(company))) {
        if (!line.startsWith("X-"))
            continue;
        ++bare;
        QByteArray name = line.left(line.indexOf(':'));
        if (const qsizetype semicolon = name.indexOf(';'); semicolon >= 0)
            name.truncate(semicolon);
        EXPECT_TRUE(CNIsReservedVCardExtensionName(QString::fromLatin1(name.mid(2)))) << line.toStdString();
    }
    EXPECT_GE(bare, 5); // ABShowAs, three phonetic names, social profiles
}

TEST(VCardWriter, LabelsBecomeTypesOrGroupLabels) {
    const QList<QByteArray> lines = contentLines(write(everyField()));
    for (const char *line :
         {"TEL;type=HOME:1", "TEL;type=WORK:2", "TEL;type=CELL:3", "TEL;type=IPHONE:4", "TEL;type=MAIN:5",
          "TEL;type=PAGER:6", "TEL;type=HOME;type=FAX:7", "TEL;type=WORK;type=FAX:8", "TEL;type=FAX:9",
          "TEL:+81 3-1234-5678", "EMAIL;type=INTERNET;type=HOME:a@home", "EMAIL;type=INTERNET:d@none",
          "item6.ADR;type=HOME:;;1-2-3 Chiyoda\\nBuilding 4;千代田区;東京都;100-0001;日本",
          "item6.X-ABADR:jp"})
        EXPECT_TRUE(lines.contains(QByteArray(line))) << line;
    EXPECT_FALSE(lines.contains("X-ABShowAs:COMPANY"));
    // Labels without a TYPE stand in a group with their X-ABLabel.
    const qsizetype other = lines.indexOf("item2.TEL:10");
    ASSERT_GE(other, 0);
    EXPECT_EQ(lines.value(other + 1), "item2.X-ABLabel:_$!<Other>!$_");
    EXPECT_EQ(lines.value(other + 2), "item3.TEL:11");
    EXPECT_EQ(lines.value(other + 3), "item3.X-ABLabel:Car\\; phone");
}

TEST(VCardWriter, NoLabelAndEmptyLabelAreWrittenAsNoLabel) {
    CNContact c;
    c.phoneNumbers = {{"No label", CNPhoneNumber("1")}, {"", CNPhoneNumber("2")}};
    const QList<QByteArray> lines = contentLines(write(c));
    EXPECT_TRUE(lines.contains("TEL:1"));
    EXPECT_TRUE(lines.contains("TEL:2"));
    EXPECT_FALSE(write(c).contains("X-ABLabel"));
}

TEST(VCardWriter, FormattedNameIsTheComposedNameOrTheCompany) {
    CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::GivenName);
    CNContact c;
    c.namePrefix = "Dr.";
    c.givenName = "Ann";
    c.familyName = "Lee";
    c.organizationName = "ACME";
    EXPECT_TRUE(contentLines(write(c)).contains("FN:Dr. Ann Lee"));
    c.contactType = CNContactType::Organization;
    const QList<QByteArray> lines = contentLines(write(c));
    EXPECT_TRUE(lines.contains("FN:ACME"));
    EXPECT_TRUE(lines.contains("X-ABShowAs:COMPANY"));
    EXPECT_TRUE(lines.contains("N:Lee;Ann;;Dr.;"));
}

QJsonArray texts(const QStringList &list) {
    return QJsonArray::fromStringList(list);
}

// What python3-vobject should read from our card: the name parts, numbers, e-mails and addresses.
QJsonObject fieldsForVObject(const CNContact &c) {
    QStringList phones, emails;
    for (const auto &p : c.phoneNumbers)
        phones << p.value.stringValue;
    for (const auto &e : c.emailAddresses)
        emails << e.value;
    QJsonArray addresses;
    for (const auto &a : c.postalAddresses)
        addresses.append(
            texts({a.value.street, a.value.city, a.value.state, a.value.postalCode, a.value.country}));
    return {{"n", texts({c.familyName, c.givenName, c.middleName, c.namePrefix, c.nameSuffix})},
            {"tel", texts(phones)},
            {"email", texts(emails)},
            {"adr", addresses}};
}

bool writeFile(const QString &path, const QByteArray &data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

TEST(VCardWriter, PersonAndCompanyComeBackInOrderWithEveryWrittenFieldAndVObjectAgrees) {
    CNContact company = everyField();
    company.contactType = CNContactType::Organization;
    const QList<CNContact> written{everyField(), company};
    const QByteArray data = CNContactVCardSerialization::dataWithContacts(written);
    const QList<CNContact> read = CNContactVCardSerialization::contactsWithData(data);
    ASSERT_EQ(read.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(read[i].hasSameFields(written[i])) << "written:\n"
                                                       << describe(written[i]) << "read:\n"
                                                       << describe(read[i]) << data.toStdString();
        EXPECT_NE(read[i].identifier, written[i].identifier);
    }

    // Another program's reader sees the same.
    const QString cards = testScratchDirectory() + QStringLiteral("/vobject-cards.vcf");
    const QString fields = testScratchDirectory() + QStringLiteral("/vobject-expected.json");
    ASSERT_TRUE(writeFile(cards, data));
    ASSERT_TRUE(writeFile(
        fields, QJsonDocument(QJsonArray{fieldsForVObject(written[0]), fieldsForVObject(company)}).toJson()));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TESSARIN_CONTACTS_TEST_DIR "/vobject_check.py"), cards, fields});
    ASSERT_TRUE(python.waitForFinished(60000)) << "python3 did not run";
    EXPECT_EQ(python.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardOutput().toStdString()
                                    << python.readAllStandardError().toStdString();
}

} // namespace
