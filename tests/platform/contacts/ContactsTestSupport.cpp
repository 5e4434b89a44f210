#include "tests/platform/contacts/ContactsTestSupport.h"

#include "platform/contacts/CNContactVCardSerialization.h"

#include <QFile>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <sstream>

QString vCardTestDataDirectory() {
    return QStringLiteral(TESSARIN_TESTDATA_DIR);
}

QByteArray readVCardTestFile(const QString &relativePath) {
    QFile file(vCardTestDataDirectory() + QLatin1Char('/') + relativePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << relativePath.toStdString();
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (!relativePath.contains(QLatin1String("v21_japanese_")))
        return bytes;
    QStringDecoder decoder("Shift_JIS");
    EXPECT_TRUE(decoder.isValid());
    return QString(decoder(bytes)).toUtf8();
}

CNContact readOneCard(const QByteArray &data) {
    QString error;
    const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(data, &error);
    EXPECT_EQ(contacts.size(), 1) << error.toStdString() << "\n" << data.toStdString();
    return contacts.isEmpty() ? CNContact() : contacts.first();
}

CNContact writableFields(CNContact contact) {
    contact.note.clear();
    contact.imageData.clear();
    contact.thumbnailImageData.clear();
    return contact;
}

namespace {
std::string text(const std::optional<QString> &label) {
    return label ? "\"" + label->toStdString() + "\"" : std::string("(none)");
}
std::string text(const DateComponents &d) {
    std::ostringstream s;
    s << (d.hasYear() ? std::to_string(d.year) : std::string("----")) << "-" << d.month << "-" << d.day;
    return s.str();
}
} // namespace

std::string describe(const CNContact &c) {
    std::ostringstream s;
    auto field = [&s](const char *name, const QString &value) {
        if (!value.isEmpty())
            s << name << ": " << value.toStdString() << "\n";
    };
    s << "type: " << (c.contactType == CNContactType::Person ? "person" : "organization") << "\n";
    field("prefix", c.namePrefix);
    field("given", c.givenName);
    field("middle", c.middleName);
    field("family", c.familyName);
    field("previous family", c.previousFamilyName);
    field("suffix", c.nameSuffix);
    field("nickname", c.nickname);
    field("phonetic given", c.phoneticGivenName);
    field("phonetic middle", c.phoneticMiddleName);
    field("phonetic family", c.phoneticFamilyName);
    field("organization", c.organizationName);
    field("department", c.departmentName);
    field("job title", c.jobTitle);
    field("note", c.note);
    if (c.birthday)
        s << "birthday: " << text(*c.birthday) << "\n";
    for (const auto &v : c.dates)
        s << "date " << text(v.label) << ": " << text(v.value) << "\n";
    for (const auto &v : c.phoneNumbers)
        s << "phone " << text(v.label) << ": " << v.value.stringValue.toStdString() << "\n";
    for (const auto &v : c.emailAddresses)
        s << "email " << text(v.label) << ": " << v.value.toStdString() << "\n";
    for (const auto &v : c.urlAddresses)
        s << "url " << text(v.label) << ": " << v.value.toStdString() << "\n";
    for (const auto &v : c.postalAddresses)
        s << "address " << text(v.label) << ": " << v.value.street.toStdString() << " | "
          << v.value.city.toStdString() << " | " << v.value.state.toStdString() << " | "
          << v.value.postalCode.toStdString() << " | " << v.value.country.toStdString() << " | "
          << v.value.isoCountryCode.toStdString() << "\n";
    for (const auto &v : c.contactRelations)
        s << "relation " << text(v.label) << ": " << v.value.name.toStdString() << "\n";
    for (const auto &v : c.socialProfiles)
        s << "social " << text(v.label) << ": " << v.value.service.toStdString() << " | "
          << v.value.username.toStdString() << " | " << v.value.urlString.toStdString() << " | "
          << v.value.userIdentifier.toStdString() << "\n";
    for (const auto &v : c.instantMessageAddresses)
        s << "im " << text(v.label) << ": " << v.value.service.toStdString() << " | "
          << v.value.username.toStdString() << "\n";
    if (!c.imageData.isEmpty())
        s << "image: " << c.imageData.size() << " bytes\n";
    field("uid", c.cardIdentity.uid);
    field("ab uid", c.cardIdentity.abUid);
    return s.str();
}

void PrintTo(const CNContact &contact, std::ostream *os) {
    *os << "\n" << describe(contact);
}
