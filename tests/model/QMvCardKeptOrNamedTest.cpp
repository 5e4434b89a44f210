// What a file holds is kept through opening and export, or named in what the reading left
// out: every line of every shared file of other programs, and the lines a contact has no
// place for, one kind at a time.
#include "fuzz/VCardRoundTrip.h"
#include "model/QMvCard.h"
#include "platform/contacts/VCardSyntax.h"
#include "tests/model/QMvCardTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The properties of a text's lines that hold something, upper case and without their group,
// with how often each stands.
QHash<QString, int> propertiesHoldingValues(const QString &text) {
    QHash<QString, int> names;
    const QByteArray data = text.toUtf8();
    VCardSyntax::LineReader reader(data);
    VCardSyntax::ContentLine line;
    while (reader.next(line))
        if (!line.value.trimmed().isEmpty())
            ++names[QString::fromUtf8(line.name.toByteArray()).toUpper()];
    return names;
}

// The property a kept line of each kind is written as, where it is not its own; none for
// a line that is part of another (a group's label or country code) or only says what kind
// of card it is.
std::optional<QString> writtenAs(const QString &name) {
    static const QHash<QString, QString> others = {
        {QStringLiteral("ANNIVERSARY"), QStringLiteral("X-ABDATE")},
        {QStringLiteral("RELATED"), QStringLiteral("X-ABRELATEDNAMES")},
        {QStringLiteral("SOUND"), QStringLiteral("X-PHONETIC-LAST-NAME")},
        {QStringLiteral("X-GTALK"), QStringLiteral("IMPP")},
        {QStringLiteral("X-GOOGLE-TALK"), QStringLiteral("IMPP")},
    };
    static const QStringList instantMessages = {QStringLiteral("X-AIM"),    QStringLiteral("X-ICQ"),
                                                QStringLiteral("X-JABBER"), QStringLiteral("X-MSN"),
                                                QStringLiteral("X-QQ"),     QStringLiteral("X-SKYPE"),
                                                QStringLiteral("X-YAHOO")};
    static const QStringList partOfAnother = {QStringLiteral("X-ABLABEL"), QStringLiteral("X-ABADR"),
                                              QStringLiteral("KIND"), QStringLiteral("X-ABSHOWAS")};
    if (partOfAnother.contains(name))
        return std::nullopt;
    if (instantMessages.contains(name))
        return QStringLiteral("IMPP");
    return others.value(name, name);
}

// The lines that say how the file was written, not what its contacts are.
bool describesTheFile(const QString &name) {
    static const QStringList names = {QStringLiteral("BEGIN"), QStringLiteral("END"),
                                      QStringLiteral("VERSION"), QStringLiteral("PRODID"),
                                      QStringLiteral("PROFILE")};
    return names.contains(name);
}

// What opening each shared file names as left out; every other file names nothing.
const QHash<QString, QStringList> &namedByFile() {
    static const QHash<QString, QStringList> named = {
        {"testfullvcard.vcf",
         {"CALADRURI", "CALURI", "FBURL", "GENDER", "GEO", "KEY", "LANG", "REV", "ROLE", "TZ"}},
        {"rfc6350-example.vcf", {"GENDER", "GEO", "KEY", "LANG", "TZ"}},
        {"fullcontact.vcf", {"GENDER", "ORG", "PHOTO", "TITLE"}}, // photos by URL, a second ORG and TITLE
        {"html_injection_and_remote_photo.vcf", {"LOGO", "PHOTO"}},
        {"vcard12.vcf", {"PHOTO"}},                 // a second photo
        {"v21_malformed_photo.vcf", {"PHOTO"}},     // Base64 that decodes to nothing
        {"John_Doe_BLACK_BERRY.vcf", {"PHOTO"}},    // Base64 of a length no Base64 has
        {"John_Doe_ANDROID.vcf", {"ORG", "PHOTO"}}, // the same
        {"v21_pref_handling.vcf", {"ORG", "TITLE"}},
        {"John_Doe_LOTUS_NOTES.vcf",
         {"CLASS", "GEO", "LABEL", "MAILER", "NAME", "ROLE", "SORT-STRING", "SOURCE", "TZ"}},
        {"John_Doe_MS_OUTLOOK.vcf", {"LABEL", "REV", "ROLE"}},
        {"outlook-2003.vcf", {"FBURL", "KEY", "LABEL", "REV", "ROLE"}},
        {"outlook-2007.vcf", {"FBURL", "KEY", "LABEL", "REV", "ROLE"}},
        {"John_Doe_EVOLUTION.vcf", {"REV"}},
        {"v21_complicated.vcf", {"GEO", "LABEL", "REV", "ROLE"}},
        {"v30_simple.vcf", {"CLASS", "REV", "SORT-STRING"}},
        {"v21_winmo_65.vcf", {"AGENT"}},
        {"vcard4.vcf", {"LABEL"}},
        {"vcard5.vcf", {"CLASS", "GEO", "LOGO", "ROLE", "SOUND"}},
        {"vcard6.vcf", {"CLASS"}},
        {"vcard7.vcf", {"LABEL"}},
        {"vcard11.vcf", {"CLASS"}},
        {"vcard13.vcf", {"CLASS"}},
        {"vcard14.vcf", {"CLASS", "SOURCE"}},
        {"vcardwithitemasapplesupport.vcf", {"REV"}},
        {"John_Doe_MAC_ADDRESS_BOOK.vcf", {"X-ABADR"}}, // an address's text where its country code goes
        {"John_Doe_IPHONE.vcf", {"X-ABADR"}},
    };
    return named;
}

// The parameters of kept lines that opening each shared file names; every other file names none.
const QHash<QString, QStringList> &parametersNamedByFile() {
    static const QHash<QString, QStringList> named = {
        {"testfullvcard.vcf", {"ADR;GEO", "ADR;LABEL"}},
        // Type words of the writer's own, where a label goes.
        {"v21_x_param.vcf", {"ADR;X-CUSTOM", "EMAIL;X-CUSTOMPROPERTY", "TEL;X-CUSTOMPROP"}},
        {"v21_multiple_entry.vcf",
         {"TEL;X-NEC-BOY", "TEL;X-NEC-FAMILY", "TEL;X-NEC-FRIEND", "TEL;X-NEC-GIRL", "TEL;X-NEC-HOTEL",
          "TEL;X-NEC-PHS", "TEL;X-NEC-RESTAURANT", "TEL;X-NEC-SCHOOL", "TEL;X-NEC-SECRET"}},
    };
    return named;
}

TEST(QMvCardKeptOrNamed, EveryLineOfTheSharedFilesIsKeptThroughExportOrNamed) {
    const QList<std::pair<QString, QString>> files = sharedVCardFiles() + sharedVCardFiles(true);
    ASSERT_GE(files.size(), 75);
    QStringList unexpected;
    for (const auto &[name, text] : files) {
        const VCardRoundTrip::Trip opened = VCardRoundTrip::travel(text);
        const QStringList named = namedByFile().value(name);
        if (opened.leftOut.lines != named)
            unexpected.append(
                QStringLiteral("{\"%1\", {\"%2\"}},").arg(name, opened.leftOut.lines.join("\", \"")));
        if (opened.leftOut.parameters != parametersNamedByFile().value(name))
            unexpected.append(QStringLiteral("parameters {\"%1\", {\"%2\"}},")
                                  .arg(name, opened.leftOut.parameters.join("\", \"")));
        const QHash<QString, int> written = propertiesHoldingValues(opened.exported);
        const QHash<QString, int> source = propertiesHoldingValues(text);
        for (auto it = source.cbegin(); it != source.cend(); ++it) {
            const QString &property = it.key();
            if (describesTheFile(property) || named.contains(property))
                continue;
            if (const std::optional<QString> as = writtenAs(property)) {
                EXPECT_TRUE(written.contains(*as)) << name.toStdString() << ": " << property.toStdString();
            }
        }
        // Values that are not merged with others come out as many as they went in.
        for (const char *many : {"TEL", "EMAIL", "URL"})
            EXPECT_GE(written.value(many), source.value(many)) << name.toStdString() << ": " << many;
    }
    EXPECT_EQ(unexpected.join(u'\n').toStdString(), "");
}

} // namespace
