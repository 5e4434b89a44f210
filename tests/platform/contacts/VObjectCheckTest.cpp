#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/CNLabels.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QList<CNContact> awkwardContacts() {
    QList<CNContact> contacts;
    CNContact plain;
    plain.givenName = "Ann";
    plain.familyName = "Lee";
    plain.phoneNumbers = {{CNLabelHome, CNPhoneNumber("+1 555 0100")}};
    plain.emailAddresses = {{CNLabelWork, "ann@example.com"}};
    contacts.append(plain);

    CNContact tricky;
    tricky.namePrefix = "Dr.";
    tricky.givenName = "Jean; \"JJ\"";
    tricky.middleName = "Pierre\\Paul";
    tricky.familyName = "O'Neil, Jr";
    tricky.nameSuffix = "III";
    tricky.phoneNumbers = {{"Car; phone", CNPhoneNumber("030 1234")},
                           {CNLabelPhoneNumberWorkFax, CNPhoneNumber("2")}};
    tricky.emailAddresses = {{std::nullopt, "a,b@example.com"}, {CNLabelOther, "c@example.com"}};
    CNPostalAddress a;
    a.street = "1 Long Road\nFlat 2; back door";
    a.city = "Town, North";
    a.state = "ST";
    a.postalCode = "12345";
    a.country = "Utopia";
    a.isoCountryCode = "ut";
    tricky.postalAddresses = {{CNLabelHome, a}};
    contacts.append(tricky);

    CNContact japanese;
    japanese.givenName = QString::fromUtf8("太郎");
    japanese.familyName = QString::fromUtf8("山田");
    japanese.phoneticGivenName = QString::fromUtf8("たろう");
    CNPostalAddress jp;
    jp.street = QString::fromUtf8(
        "千代田一丁目一番地一号 とても長い建物の名前がここに入りますのでこの行は七十五オクテットを超えます");
    jp.city = QString::fromUtf8("千代田区");
    jp.state = QString::fromUtf8("東京都");
    jp.postalCode = "100-0001";
    jp.country = QString::fromUtf8("日本");
    japanese.postalAddresses = {{"別荘", jp}};
    contacts.append(japanese);

    CNContact company;
    company.contactType = CNContactType::Organization;
    company.organizationName = "ACME; Widgets, Inc.";
    company.phoneNumbers = {{CNLabelPhoneNumberMain, CNPhoneNumber("0800 123")}};
    contacts.append(company);
    return contacts;
}

QJsonArray texts(const QStringList &list) {
    return QJsonArray::fromStringList(list);
}

QJsonObject expectedFields(const CNContact &c) {
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

TEST(VObjectAgrees, ReadsEveryCardWeWriteWithTheSameFields) {
    const QList<CNContact> contacts = awkwardContacts();
    QJsonArray expected;
    for (const CNContact &c : contacts)
        expected.append(expectedFields(c));
    const QString cards = testScratchDirectory() + QStringLiteral("/vobject-cards.vcf");
    const QString fields = testScratchDirectory() + QStringLiteral("/vobject-expected.json");
    ASSERT_TRUE(writeFile(cards, CNContactVCardSerialization::dataWithContacts(contacts)));
    ASSERT_TRUE(writeFile(fields, QJsonDocument(expected).toJson()));

    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TESSARIN_CONTACTS_TEST_DIR "/vobject_check.py"), cards, fields});
    ASSERT_TRUE(python.waitForFinished(60000)) << "python3 did not run";
    EXPECT_EQ(python.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardOutput().toStdString()
                                    << python.readAllStandardError().toStdString();
}

} // namespace
