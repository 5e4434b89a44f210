#include "tests/platform/contacts/ContactsTestSupport.h"

#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/CNLabels.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

QByteArray card(const QByteArray &body, const QByteArray &version = "3.0") {
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n";
}

QList<CNContact> readAll(const QByteArray &data, QString *error = nullptr) {
    return CNContactVCardSerialization::contactsWithData(data, error);
}

TEST(VCardReaderSyntax, LineEndingsMayBeMixedAndTheLastOneMissing) {
    const CNContact c =
        readOneCard("BEGIN:VCARD\rVERSION:3.0\nN:Lee;Ann;;;\r\nTEL:1\r\r\nEMAIL:a@b.c\nEND:VCARD");
    EXPECT_EQ(c.familyName, "Lee");
    EXPECT_EQ(c.givenName, "Ann");
    ASSERT_EQ(c.phoneNumbers.size(), 1);
    EXPECT_EQ(c.phoneNumbers[0].value.stringValue, "1");
    ASSERT_EQ(c.emailAddresses.size(), 1);
    EXPECT_EQ(c.emailAddresses[0].value, "a@b.c");
}

TEST(VCardReaderSyntax, FoldedLinesAreUnfoldedAtBlankOrTab) {
    const CNContact c = readOneCard(card("NOTE:one\r\n  two\r\n\tthree\r\nN:Lee;Ann;;;\r\n"));
    EXPECT_EQ(c.note, "one twothree");
    EXPECT_EQ(c.givenName, "Ann");
}

TEST(VCardReaderSyntax, NamesAndParametersIgnoreCase) {
    const CNContact c = readOneCard("begin:vcard\r\nversion:3.0\r\nn:Lee;Ann;;;\r\ntel;Type=home:1\r\n"
                                    "Email;TYPE=Work,internet:a@b.c\r\nend:vcard\r\n");
    EXPECT_EQ(c.givenName, "Ann");
    EXPECT_EQ(c.phoneNumbers.value(0).label, CNLabelHome);
    EXPECT_EQ(c.emailAddresses.value(0).label, CNLabelWork);
}

TEST(VCardReaderSyntax, TypeParametersInEveryForm) {
    const CNContact c = readOneCard(card("TEL;HOME;CELL:1\r\n"           // 2.1 bare words
                                         "TEL;TYPE=HOME,FAX:2\r\n"       // a list
                                         "TEL;TYPE=WORK;TYPE=FAX:3\r\n"  // repeated
                                         "TEL;TYPE=\"work,voice\":4\r\n" // quoted list
                                         "TEL;TYPE=FAX:5\r\n"
                                         "TEL;TYPE=IPHONE;TYPE=CELL:6\r\n"
                                         "TEL;TYPE=PAGER:7\r\n"
                                         "TEL;TYPE=MAIN:8\r\n"
                                         "TEL;TYPE=VOICE:9\r\n"
                                         "TEL;X-CUSTOM=\"a:b;c\";TYPE=HOME:10\r\n", // quoted ":" and ";"
                                         "2.1"));
    const std::vector<std::optional<QString>> expected = {CNLabelPhoneNumberMobile,
                                                          CNLabelPhoneNumberHomeFax,
                                                          CNLabelPhoneNumberWorkFax,
                                                          CNLabelWork,
                                                          CNLabelPhoneNumberOtherFax,
                                                          CNLabelPhoneNumberiPhone,
                                                          CNLabelPhoneNumberPager,
                                                          CNLabelPhoneNumberMain,
                                                          std::nullopt,
                                                          CNLabelHome};
    ASSERT_EQ(c.phoneNumbers.size(), qsizetype(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(c.phoneNumbers[i].label, expected[i]) << i;
        EXPECT_EQ(c.phoneNumbers[i].value.stringValue, QString::number(i + 1));
    }
}

TEST(VCardReaderSyntax, Version3EscapesAreDecodedAndUnknownOnesKept) {
    const CNContact c = readOneCard(card("NOTE:a\\nb\\Nc\\,d\\;e\\\\f\\xg \\\"AS IS\\\" it\\'s\r\n"
                                         "N:O\\'Do\\;e;Jo\\,hn;;;\r\n"
                                         "URL:http\\://example.com\r\n"));
    EXPECT_EQ(c.note, "a\nb\nc,d;e\\f\\xg \"AS IS\" it's");
    EXPECT_EQ(c.familyName, "O'Do;e");
    EXPECT_EQ(c.givenName, "Jo,hn");
    EXPECT_EQ(c.urlAddresses.value(0).value, "http://example.com");
}

TEST(VCardReaderSyntax, QuotedPrintableSoftBreakInsideAMultiByteSequence) {
    // "あい" is E3 81 82 E3 81 84; the soft break splits the first character.
    const CNContact c =
        readOneCard(card("N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;=E3=81=\r\n=82=E3=81=84;;;\r\n"
                         "NOTE;QUOTED-PRINTABLE:line=0D=0Anext=\r\nline\r\n",
                         "2.1"));
    EXPECT_EQ(c.givenName, QString::fromUtf8("あい"));
    EXPECT_EQ(c.note, "line\nnextline"); // an encoded CR LF is the one vCard line break
}

TEST(VCardReaderSyntax, ShiftJisQuotedPrintableIsConvertedByItsCharset) {
    // 83 5C is "ソ": its second byte is a backslash and must not escape anything.
    const CNContact c =
        readOneCard(card("N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=88=C0=93=A1;=83=5C=83=8D;;;\r\n"
                         "SOUND;X-IRMC-N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=83=41=83=93;;;;\r\n",
                         "2.1"));
    EXPECT_EQ(c.familyName, QString::fromUtf8("安藤"));
    EXPECT_EQ(c.givenName, QString::fromUtf8("ソロ"));
    EXPECT_EQ(c.phoneticFamilyName, QString::fromUtf8("アン"));
}

TEST(VCardReaderSyntax, BytesThatAreNoUtf8FollowTheirCharset) {
    const CNContact c = readOneCard(card("N;CHARSET=ISO-8859-1:Ren\xe9;;;;\r\nNOTE:caf\xc3\xa9\r\n", "2.1"));
    EXPECT_EQ(c.familyName, QString::fromUtf8("René"));
    EXPECT_EQ(c.note, QString::fromUtf8("café"));
}

// UTF-7 can encode half a surrogate pair, which no UTF-8 file holds: it reads as the
// replacement character, as an export would write it.
TEST(VCardReaderSyntax, HalfASurrogatePairFromACharsetBecomesTheReplacementCharacter) {
    const CNContact first = readOneCard(card("N;CHARSET=UTF-7;ENCODING=QUOTED-PRINTABLE:=C3+3WH;Ann;;;\r\n"));
    for (const QChar c : first.familyName)
        EXPECT_FALSE(c.isSurrogate());
    EXPECT_TRUE(first.familyName.contains(QChar(0xFFFD)));
    const CNContact again = readOneCard(CNContactVCardSerialization::dataWithContacts({first}));
    EXPECT_EQ(describe(again), describe(writableFields(first)));
}

TEST(VCardReaderSyntax, FoldedBase64PhotoDecodesToTheOriginalBytes) {
    QByteArray photo;
    for (int i = 0; i < 300; ++i)
        photo += char(i * 7);
    const QByteArray base64 = photo.toBase64();
    QByteArray folded = "PHOTO;ENCODING=b;TYPE=JPEG:" + base64.left(40);
    for (qsizetype i = 40; i < base64.size(); i += 60)
        folded += (i % 120 ? "\r\n " : "\r\n\t") + base64.mid(i, 60);
    EXPECT_EQ(readOneCard(card(folded + "\r\n")).imageData, photo);

    // 2.1 writers put the base64 lines without indentation and end with a blank line.
    QByteArray bare = "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n";
    for (qsizetype i = 0; i < base64.size(); i += 76)
        bare += base64.mid(i, 76) + "\r\n";
    const CNContact c = readOneCard(card(bare + "\r\nTEL:5\r\n", "2.1"));
    EXPECT_EQ(c.imageData, photo);
    EXPECT_EQ(c.phoneNumbers.size(), 1);
}

TEST(VCardReaderSyntax, ANoteThatMentionsEndVCardDoesNotEndTheCard) {
    QString error;
    const QList<CNContact> contacts =
        readAll(card("NOTE:Type END:VCARD\\nEND:VCARD\\nthen stop\r\nTEL:1\r\n") +
                    card("NOTE;ENCODING=QUOTED-PRINTABLE:x=0D=0AEND:VCARD\r\nTEL:2\r\n", "2.1"),
                &error);
    ASSERT_EQ(contacts.size(), 2) << error.toStdString();
    EXPECT_EQ(contacts[0].note, "Type END:VCARD\nEND:VCARD\nthen stop");
    EXPECT_EQ(contacts[0].phoneNumbers.value(0).value.stringValue, "1");
    EXPECT_EQ(contacts[1].note, "x\nEND:VCARD");
    EXPECT_EQ(contacts[1].phoneNumbers.value(0).value.stringValue, "2");
}

TEST(VCardReaderSyntax, BrokenStructureGivesNoContactAndAnError) {
    for (const QByteArray &data :
         {QByteArray(), QByteArray("N:Lee;Ann;;;\r\n"), QByteArray("BEGIN:VCARD\r\nN:Lee;Ann;;;\r\n"),
          card("N:A;;;;\r\n") + "BEGIN:VCARD\r\nN:B;;;;\r\n"}) {
        QString error;
        EXPECT_TRUE(readAll(data, &error).isEmpty()) << data.toStdString();
        EXPECT_FALSE(error.isEmpty()) << data.toStdString();
    }
}

TEST(VCardReaderSyntax, UnknownPropertiesAndLinesWithoutColonAreIgnored) {
    const CNContact c =
        readOneCard(card("X-UNKNOWN;FOO=bar:baz\r\njunk without colon\r\nAGENT:x\r\nN:Lee;Ann;;;\r\n"));
    EXPECT_EQ(c.givenName, "Ann");
}

TEST(VCardReaderFields, EveryCardGetsItsOwnIdentifierWhateverItsUid) {
    const QList<CNContact> contacts =
        readAll(card("UID:same\r\nN:A;;;;\r\n") + card("UID:same\r\nN:A;;;;\r\n"));
    ASSERT_EQ(contacts.size(), 2);
    EXPECT_NE(contacts[0].identifier, contacts[1].identifier);
    EXPECT_NE(contacts[0].identifier, "same");
    const QRegularExpression uuid("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
    EXPECT_TRUE(uuid.match(contacts[0].identifier).hasMatch()) << contacts[0].identifier.toStdString();
}

// A card's own UID and X-ABUID, in each version, as their text says; a second one of
// another value replaces the first, which is named as left out.
TEST(VCardReaderFields, TheCardsIdentityLinesInEveryVersion) {
    const struct {
        QByteArray lines;
        QByteArray version;
        CNCardIdentity identity;
        QStringList leftOut;
    } cases[] = {
        {"UID:3A9C-11\r\n", "2.1", {"3A9C-11", ""}, {}},
        {"UID:urn:uuid:b8767877-b4a1\r\nX-ABUID:0E76-02CC:ABPerson\r\n",
         "3.0",
         {"urn:uuid:b8767877-b4a1", "0E76-02CC:ABPerson"},
         {}},
        {"UID;VALUE=uri:urn:uuid:4fbe8971\r\n", "4.0", {"urn:uuid:4fbe8971", ""}, {}},
        {"uid:a\\,b\\;c\r\nitem1.X-ABUID: ab \r\n", "3.0", {"a,b;c", "ab"}, {}},
        {"UID;ENCODING=QUOTED-PRINTABLE:=41=42\r\n", "2.1", {"AB", ""}, {}},
        {"UID:first\r\nUID:second\r\nUID:second\r\n", "3.0", {"second", ""}, {"UID"}},
        {"UID:\r\nX-ABUID:\r\n", "3.0", {}, {}},
    };
    for (const auto &c : cases) {
        VCardReadDetails details;
        const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(
            card("N:Lee;Ann;;;\r\n" + c.lines, c.version), nullptr, &details);
        ASSERT_EQ(contacts.size(), 1) << c.lines.toStdString();
        EXPECT_EQ(contacts[0].cardIdentity, c.identity) << c.lines.toStdString();
        EXPECT_EQ(details.extras[0].leftOut, c.leftOut) << c.lines.toStdString();
        EXPECT_TRUE(details.extras[0].extensions.isEmpty()) << c.lines.toStdString();
    }
}

// Each line a contact has no place for is named once per card by its property: kinds no
// field takes, photos that are not read, and values that a later line replaced or that do
// not read. Lines that hold nothing, and those that say how the file was written, lose
// nothing.
TEST(VCardReaderFields, WhatNoFieldTakesIsNamed) {
    const QByteArray jpeg = QByteArray("\xff\xd8\x01\x02\xff\xd9", 6).toBase64();
    const struct {
        QByteArray lines;
        QStringList named;
        QByteArray version = "3.0";
    } cases[] = {
        {"GENDER:F\r\nLANG;PREF=1:fr\r\nLANG:en\r\n", {"GENDER", "LANG"}, "4.0"},
        {"GEO:geo:51.5,0.1\r\nTZ:-05:00\r\nROLE:Keeper\r\nCLASS:PUBLIC\r\nREV:2014\r\n",
         {"GEO", "TZ", "ROLE", "CLASS", "REV"}},
        {"KEY:https://k\r\nLOGO;VALUE=uri:http://l\r\nSOUND:http://s\r\nLABEL:1 Main St\r\n",
         {"KEY", "LOGO", "SOUND", "LABEL"}},
        {"item1.GEO:1,2\r\nitem1.X-ABLabel:home\r\nMAILER:m\r\nSORT-STRING:Lee\r\nNAME:n\r\nSOURCE:s\r\n",
         {"GEO", "MAILER", "SORT-STRING", "NAME", "SOURCE"}},
        {"FBURL:f\r\nCALURI:c\r\nCALADRURI:mailto:a\r\nAGENT:text\r\nKIND:group\r\n",
         {"FBURL", "CALURI", "CALADRURI", "AGENT", "KIND"},
         "4.0"},
        // Photos: by address (never fetched), a second one, one that does not decode.
        {"PHOTO;VALUE=uri:http://127.0.0.1:9/p.jpg\r\n", {"PHOTO"}},
        {"PHOTO:https://example.com/p.png\r\n", {"PHOTO"}, "4.0"},
        {"PHOTO;VALUE=URL;TYPE=JPEG:http://p\r\n", {"PHOTO"}, "2.1"},
        {"PHOTO;ENCODING=b:" + jpeg + "\r\nPHOTO;ENCODING=b:" + jpeg + "\r\n", {"PHOTO"}},
        {"PHOTO;ENCODING=b:abc*def\r\n", {"PHOTO"}},
        {"PHOTO:data:image/jpeg;base64," + jpeg + "\r\n", {}, "4.0"},
        // A field of one value given twice with different values, or in a form that does not read.
        {"ORG:One;A\r\nORG:Two;B\r\nTITLE:t1\r\nTITLE:t2\r\nNICKNAME:n1\r\nNICKNAME:n2\r\n",
         {"ORG", "TITLE", "NICKNAME"}},
        {"N:Lee;Bo;;;\r\nBDAY:2000-01-02\r\nBDAY:2001-01-02\r\nX-MAIDENNAME:a\r\nX-MAIDENNAME:b\r\n",
         {"N", "BDAY", "X-MAIDENNAME"}},
        {"BDAY:someday\r\nANNIVERSARY:later\r\nX-ABDATE:never\r\n",
         {"BDAY", "ANNIVERSARY", "X-ABDATE"},
         "4.0"},
        {"X-PHONETIC-FIRST-NAME:a\r\nX-PHONETIC-FIRST-NAME:b\r\n", {"X-PHONETIC-FIRST-NAME"}},
        // An empty line that replaced a value.
        {"N:\r\nNICKNAME:n\r\nNICKNAME:\r\nORG:Acme\r\nORG:\r\nTITLE:t\r\nTITLE: \r\n",
         {"N", "NICKNAME", "ORG", "TITLE"}},
        // An address's country code that is no code.
        {"item2.ADR:;;1 Main St;;;;\r\nitem2.X-ABADR:Silicon Alley\r\n", {"X-ABADR"}},
        // The same again, empty lines, the file's own lines, the reading of N, another kind
        // of person: nothing lost.
        {"ORG:One;A\r\nORG:One;A\r\nTITLE:t\r\nTITLE:t\r\nBDAY:2000-01-02\r\nBDAY;VALUE=text:20000102\r\n",
         {}},
        {"GEO:\r\nPHOTO:\r\nAGENT:\r\nPRODID:-//Writer//EN\r\nPROFILE:VCARD\r\nKIND:individual\r\n",
         {},
         "4.0"},
        {"SOUND;X-IRMC-N:Li;A;;;\r\nX-ABShowAs:PERSON\r\nNOTE:a\r\nNOTE:b\r\nCATEGORIES:x\r\n", {}, "2.1"},
        {"item1.ADR:;;1 Main St;;;;\r\nitem1.X-ABADR:us\r\nNICKNAME:\r\nNICKNAME:n\r\nN:Lee;Ann;;;\r\n", {}},
    };
    for (const auto &c : cases) {
        VCardReadDetails details;
        const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(
            card("N:Lee;Ann;;;\r\n" + c.lines, c.version), nullptr, &details);
        ASSERT_EQ(contacts.size(), 1) << c.lines.toStdString();
        EXPECT_EQ(details.extras[0].leftOut, c.named) << c.lines.toStdString();
    }
    // A card within a card names its own lines.
    VCardReadDetails details;
    CNContactVCardSerialization::contactsWithData(
        card("N:Outer;;;;\r\nGEO:1,2\r\n" + card("N:Inner;;;;\r\nTZ:+01:00\r\n", "2.1"), "2.1"), nullptr,
        &details);
    ASSERT_EQ(details.extras.size(), 2);
    EXPECT_EQ(details.extras[0].leftOut, QStringList{"TZ"});
    EXPECT_EQ(details.extras[1].leftOut, QStringList{"GEO"});
}

// The parameters of a value that nothing takes are named, the value kept.
TEST(VCardReaderFields, ParametersNothingTakesAreNamed) {
    const struct {
        QByteArray line;
        QStringList named;
    } cases[] = {
        {"ADR;GEO=\"geo:51.5,0.1\";LABEL=\"221B Baker St, London\":;;221B Baker St;London;;NW1;UK",
         {"ADR;LABEL", "ADR;GEO"}},
        {"ADR;TYPE=home;TZ=\"-05:00\";label=x:;;1 Main St;;;;", {"ADR;LABEL", "ADR;TZ"}},
        {"ADR;LABEL=\"1 Main St\":;;;;;;", {"ADR;LABEL"}}, // no address: the label alone was given
        {"ADR;LABEL=\"\";GEO=;PREF=1;TYPE=work:;;1 Main St;;;;", {}},
        {"TEL;X-NEC-SECRET:9", {"TEL;X-NEC-SECRET"}},
        {"TEL;TYPE=CELL,x-Assistant;TYPE=\"X-B\":9", {"TEL;X-ASSISTANT", "TEL;X-B"}},
        {"EMAIL;INTERNET;X-cUstomPrOperty:a@b.example", {"EMAIL;X-CUSTOMPROPERTY"}},
        {"URL;TYPE=X-BLOG:https://b.example", {"URL;X-BLOG"}},
        {"ADR;X-custom:pobox;street", {"ADR;X-CUSTOM"}},
        {"TEL;X-CUSTOM(CHARSET=UTF-8,ENCODING=QUOTED-PRINTABLE,=EC=82=AC):9", {}}, // read as the label
        {"TEL;X-CUSTOM(Office):9", {}},
        {"TEL;X-COUCHDB-UUID=\"c2fa\";TYPE=CELL,X-:9", {}},
    };
    for (const auto &c : cases) {
        VCardReadDetails details;
        const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(
            card("N:Lee;Ann;;;\r\n" + c.line + "\r\n", c.line.contains("X-") ? "2.1" : "4.0"), nullptr,
            &details);
        ASSERT_EQ(contacts.size(), 1) << c.line.toStdString();
        EXPECT_EQ(details.extras[0].leftOutParameters, c.named) << c.line.toStdString();
        EXPECT_TRUE(details.extras[0].leftOut.isEmpty()) << c.line.toStdString();
    }
    EXPECT_EQ(readOneCard(card("ADR;GEO=\"geo:1,2\":;;1 Main St;;;;\r\n", "4.0")).postalAddresses.value(0).value.street,
              "1 Main St");
}

// A label of the user's own in the form some phones write it: the settings, then the label.
TEST(VCardReaderFields, LabelsOfTheirOwnAsPhonesWriteThem) {
    const struct {
        QByteArray lines;
        std::optional<QString> label;
    } cases[] = {
        {"TEL;X-CUSTOM(CHARSET=UTF-8,ENCODING=QUOTED-PRINTABLE,=EC=82=AC=EB=AC=B4=EC=8B=A4):02-555-0199",
         QStringLiteral("사무실")},
        {"EMAIL;x-custom(encoding=quoted-printable,charset=utf-8,=E5=AD=A6=E6=A0=A1):a@b.c", QStringLiteral("学校")},
        {"TEL;X-CUSTOM(CHARSET=SHIFT_JIS,ENCODING=QUOTED-PRINTABLE,=8E=84=93=49):1", QStringLiteral("私的")},
        {"TEL;X-CUSTOM(Car phone):1", QStringLiteral("Car phone")},
        {"TEL;TYPE=X-CUSTOM(Boat, big):1", QStringLiteral("Boat, big")},
        {"ADR;X-CUSTOM(CHARSET=UTF-8,ENCODING=QUOTED-PRINTABLE,Cabin=0D=0A2):;;1 Main St;;;;", QStringLiteral("Cabin\n2")},
        {"item1.TEL;X-CUSTOM(Car):1\r\nitem1.X-ABLabel:Boat", QStringLiteral("Boat")}, // the group's label wins
        {"TEL;X-CUSTOM(CHARSET=UTF-8,ENCODING=QUOTED-PRINTABLE,):1", std::nullopt},
        {"TEL;X-CUSTOM( );CELL:1", CNLabelPhoneNumberMobile},
        {"TEL;X-CUSTOM(Car:1", std::nullopt},
    };
    for (const auto &c : cases) {
        const CNContact contact = readOneCard(card(c.lines + "\r\n", "2.1"));
        const std::optional<QString> label = !contact.phoneNumbers.isEmpty()    ? contact.phoneNumbers[0].label
                                             : !contact.emailAddresses.isEmpty() ? contact.emailAddresses[0].label
                                                                                 : contact.postalAddresses.value(0).label;
        EXPECT_EQ(label, c.label) << c.lines.toStdString();
    }
    EXPECT_EQ(readOneCard(card("TEL;X-CUSTOM(Car):02-555-0199\r\n")).phoneNumbers.value(0).value.stringValue,
              "02-555-0199");
}

TEST(VCardReaderFields, NameOrganisationAndTheCompanyCard) {
    const CNContact person = readOneCard(card("N:;;;;\r\nFN:Ann Lee\r\nORG:ACME;Sales;East\r\nTITLE:Boss\r\n"
                                              "NICKNAME:Annie\r\nX-MAIDENNAME:Smith\r\n"));
    EXPECT_EQ(person.givenName, "Ann Lee"); // an empty N takes the formatted name
    EXPECT_EQ(person.organizationName, "ACME");
    EXPECT_EQ(person.departmentName, "Sales, East");
    EXPECT_EQ(person.jobTitle, "Boss");
    EXPECT_EQ(person.nickname, "Annie");
    EXPECT_EQ(person.previousFamilyName, "Smith");
    EXPECT_EQ(person.contactType, CNContactType::Person);

    const CNContact company = readOneCard(card("N:;;;;\r\nFN:ACME\r\nORG:ACME;\r\nX-ABShowAs:COMPANY\r\n"));
    EXPECT_EQ(company.contactType, CNContactType::Organization);
    EXPECT_TRUE(company.givenName.isEmpty());
    EXPECT_EQ(company.organizationName, "ACME");
    const CNContact kind = readOneCard(card("KIND:org\r\nFN:Globex\r\n", "4.0"));
    EXPECT_EQ(kind.contactType, CNContactType::Organization);
    EXPECT_EQ(kind.organizationName, "Globex"); // the only name the card has
    EXPECT_TRUE(kind.givenName.isEmpty());
    // A card whose only name is its company, with or without FN, is the company's.
    for (const QByteArray &lines :
         {QByteArray("ORG:Initech;IT\r\nTEL:1\r\n"), QByteArray("N:;;;;\r\nORG:Initech\r\n"),
          QByteArray("FN:Initech\r\nORG:Initech\r\n")}) {
        const CNContact only = readOneCard(card(lines, "2.1"));
        EXPECT_EQ(only.contactType, CNContactType::Organization) << lines.toStdString();
        EXPECT_EQ(only.organizationName, "Initech");
    }
    EXPECT_EQ(readOneCard(card("FN:Ann Lee\r\nORG:Initech\r\n")).contactType, CNContactType::Person);
    // The kind follows the name as finally read, whatever names came before it.
    const struct {
        QByteArray lines;
        CNContactType kind;
        QString family;
    } names[] = {
        {"N:Doe;;;;\r\nN:\r\nORG:Acme\r\n", CNContactType::Organization, ""},
        {"N:Doe;;;;\r\nN:;;;;\r\nFN:Acme\r\nORG:Acme\r\n", CNContactType::Organization, ""},
        {"N:;;;;\r\nN:Doe;;;;\r\nORG:Acme\r\n", CNContactType::Person, "Doe"},
        {"N:;;;Dr.;\r\nORG:Acme\r\n", CNContactType::Person, ""},
    };
    for (const auto &c : names) {
        const CNContact read = readOneCard(card(c.lines));
        EXPECT_EQ(read.contactType, c.kind) << c.lines.toStdString();
        EXPECT_EQ(read.familyName, c.family) << c.lines.toStdString();
    }
}

TEST(VCardReaderFields, BirthdayForms) {
    struct Case {
        QByteArray line;
        std::optional<DateComponents> expected;
    };
    const int none = DateComponents::Undefined;
    const Case cases[] = {
        {"BDAY:1980-04-12", DateComponents(1980, 4, 12)},
        {"BDAY;VALUE=date:19800412", DateComponents(1980, 4, 12)},
        {"BDAY:1980-04-12T10:00:00Z", DateComponents(1980, 4, 12)},
        {"BDAY:--0412", DateComponents(none, 4, 12)},
        {"BDAY:--04-12", DateComponents(none, 4, 12)},
        {"BDAY;X-APPLE-OMIT-YEAR=1604:1604-04-12", DateComponents(none, 4, 12)},
        {"BDAY:1604-02-29", DateComponents(1604, 2, 29)},
        {"BDAY:0000-04-12", DateComponents(none, 4, 12)},
        {"BDAY:--0229", DateComponents(none, 2, 29)},
        {"BDAY:2001-02-29", std::nullopt},
        {"BDAY:1980-13-01", std::nullopt},
        {"BDAY:yesterday", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readOneCard(card(c.line + "\r\n")).birthday, c.expected) << c.line.toStdString();
}

TEST(VCardReaderFields, GroupLabelsAndCountryCodesInEitherOrder) {
    const CNContact c = readOneCard(card("item1.X-ABLabel:Car\r\n"
                                         "item1.TEL;type=HOME:1\r\n"
                                         "ITEM2.TEL:2\r\n"
                                         "item2.X-ABLabel:_$!<Other>!$_\r\n"
                                         "item3.ADR;type=WORK:;;1 Main St;Springfield;;12345;USA\r\n"
                                         "item3.X-ABADR:us\r\n"
                                         "item4.ADR:;;2 Main St;;;;\r\n"
                                         "item4.X-ABADR:Street 2, somewhere\r\n"
                                         "item5.X-ABDATE:2000-01-02\r\n"
                                         "item5.X-ABLabel:_$!<Anniversary>!$_\r\n"
                                         "item6.X-ABRELATEDNAMES:Jane\r\n"
                                         "item6.X-ABLabel:_$!<Spouse>!$_\r\n"));
    ASSERT_EQ(c.phoneNumbers.size(), 2);
    EXPECT_EQ(c.phoneNumbers[0].label, "Car");
    EXPECT_EQ(c.phoneNumbers[1].label, CNLabelOther);
    ASSERT_EQ(c.postalAddresses.size(), 2);
    EXPECT_EQ(c.postalAddresses[0].label, CNLabelWork);
    EXPECT_EQ(c.postalAddresses[0].value.isoCountryCode, "us");
    EXPECT_EQ(c.postalAddresses[0].value.street, "1 Main St");
    EXPECT_EQ(c.postalAddresses[0].value.city, "Springfield");
    EXPECT_EQ(c.postalAddresses[0].value.postalCode, "12345");
    EXPECT_EQ(c.postalAddresses[0].value.country, "USA");
    EXPECT_TRUE(c.postalAddresses[1].value.isoCountryCode.isEmpty()); // not a code
    ASSERT_EQ(c.dates.size(), 1);
    EXPECT_EQ(c.dates[0].label, CNLabelDateAnniversary);
    EXPECT_EQ(c.dates[0].value, DateComponents(2000, 1, 2));
    ASSERT_EQ(c.contactRelations.size(), 1);
    EXPECT_EQ(c.contactRelations[0].label, CNLabelContactRelationSpouse);
    EXPECT_EQ(c.contactRelations[0].value.name, "Jane");
}

TEST(VCardReaderFields, AddressPartsAndVersion4Forms) {
    const CNContact c = readOneCard(card("ADR;TYPE=home:PO Box 1;Apt 2;3 Main St;Town;ST;999;Land\r\n"
                                         "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+1-555\r\n"
                                         "RELATED;TYPE=spouse;VALUE=text:Jane\r\n"
                                         "RELATED;TYPE=sibling:Joe\r\n"
                                         "ANNIVERSARY:20090808\r\n",
                                         "4.0"));
    ASSERT_EQ(c.postalAddresses.size(), 1);
    EXPECT_EQ(c.postalAddresses[0].value.street, "PO Box 1\n3 Main St\nApt 2");
    EXPECT_EQ(c.postalAddresses[0].label, CNLabelHome);
    EXPECT_EQ(c.phoneNumbers.value(0).value.stringValue, "+1-555");
    EXPECT_EQ(c.phoneNumbers.value(0).label, CNLabelPhoneNumberMobile);
    ASSERT_EQ(c.contactRelations.size(), 2);
    EXPECT_EQ(c.contactRelations[0].label, CNLabelContactRelationSpouse);
    EXPECT_EQ(c.contactRelations[1].label, "sibling");
    EXPECT_EQ(c.dates.value(0).label, CNLabelDateAnniversary);
}

TEST(VCardReaderFields, InstantMessageAddressesInEveryDialect) {
    const CNContact c = readOneCard(card("IMPP;X-SERVICE-TYPE=Skype;type=HOME:skype:sky\r\n"
                                         "IMPP:xmpp:jab@example.com\r\n"
                                         "IMPP;X-SERVICE-TYPE=GTalk:xmpp:gt\r\n"
                                         "IMPP:x-apple:plain\r\n"
                                         "X-AIM;type=WORK:aim1\r\n"
                                         "IMPP;X-SERVICE-TYPE=AIM:aim:aim1\r\n" // the same address again
                                         "X-JABBER:j\r\nX-MSN:m\r\nX-YAHOO:y\r\nX-ICQ:i\r\nX-GADUGADU:g\r\n"
                                         "X-SKYPE:s\r\nX-GOOGLETALK:t\r\nX-QQ:q\r\nX-FACEBOOK:f\r\n"));
    QStringList got;
    for (const auto &im : c.instantMessageAddresses)
        got << im.value.service + QLatin1Char('|') + im.value.username;
    EXPECT_EQ(got, QStringList({"Skype|sky", "Jabber|jab@example.com", "GoogleTalk|gt", "|plain", "AIM|aim1",
                                "Jabber|j", "MSN|m", "Yahoo|y", "ICQ|i", "GaduGadu|g", "Skype|s",
                                "GoogleTalk|t", "QQ|q", "Facebook|f"}));
    EXPECT_EQ(c.instantMessageAddresses[0].label, CNLabelHome);
    EXPECT_EQ(c.instantMessageAddresses[4].label, CNLabelWork);
}

TEST(VCardReaderFields, SocialProfiles) {
    const CNContact c = readOneCard(card("X-SOCIALPROFILE;type=twitter;x-user=jd:http://twitter.com/jd\r\n"
                                         "X-SOCIALPROFILE;type=linkedin:http://www.linkedin.com/in/jdoe\r\n"
                                         "X-SOCIALPROFILE;type=Facebook;x-userid=42:x-apple:fbuser\r\n"
                                         "X-SOCIALPROFILE;type=flickr:http://flickr.com\r\n"
                                         "X-SOCIALPROFILE;type=yelp:https://yelp.com/user/?id=7#top\r\n"));
    ASSERT_EQ(c.socialProfiles.size(), 5);
    EXPECT_EQ(c.socialProfiles[3].value.username, "");
    EXPECT_EQ(c.socialProfiles[4].value.username, "user");
    EXPECT_EQ(c.socialProfiles[0].value, (CNSocialProfile{"http://twitter.com/jd", "jd", "", "twitter"}));
    EXPECT_EQ(c.socialProfiles[1].value.username, "jdoe");
    EXPECT_EQ(c.socialProfiles[2].value, (CNSocialProfile{"", "fbuser", "42", "Facebook"}));
}

TEST(VCardReaderFields, PhoneticNames) {
    const CNContact c = readOneCard(card("X-PHONETIC-FIRST-NAME:an\r\nX-PHONETIC-MIDDLE-NAME:bi\r\n"
                                         "X-PHONETIC-LAST-NAME:lee\r\nSOUND;X-IRMC-N:ignored;too;;;\r\n"));
    EXPECT_EQ(c.phoneticGivenName, "an");
    EXPECT_EQ(c.phoneticMiddleName, "bi");
    EXPECT_EQ(c.phoneticFamilyName, "lee");
}

TEST(VCardReaderFields, PhotosInEachVersionAndNeverFromAUri) {
    const QByteArray bytes("\xff\xd8\x01\x02\xff\xd9", 6);
    EXPECT_EQ(readOneCard(card("PHOTO;ENCODING=b;TYPE=JPEG:" + bytes.toBase64() + "\r\n")).imageData, bytes);
    EXPECT_EQ(
        readOneCard(card("PHOTO;ENCODING=BASE64;TYPE=JPEG:" + bytes.toBase64() + "\r\n", "2.1")).imageData,
        bytes);
    EXPECT_EQ(readOneCard(card("PHOTO:data:image/jpeg;base64," + bytes.toBase64() + "\r\n", "4.0")).imageData,
              bytes);
    EXPECT_TRUE(readOneCard(card("PHOTO;VALUE=uri:http://example.com/a.jpg\r\n")).imageData.isEmpty());
    const CNContact broken = readOneCard(card("PHOTO;ENCODING=b:abc*def\r\nN:Lee;Ann;;;\r\n"));
    EXPECT_TRUE(broken.imageData.isEmpty());
    EXPECT_EQ(broken.givenName, "Ann");
}

TEST(VCardReaderFields, AnOversizedPhotoIsLeftOutCountedAndTheCardKept) {
    const QByteArray huge((CNContactVCardSerialization::maximumImageDataSize / 3 + 1) * 4, 'A');
    VCardReadDetails details;
    const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(
        card("PHOTO;ENCODING=b;TYPE=JPEG:" + huge + "\r\nN:Lee;Ann;;;\r\n"), nullptr, &details);
    ASSERT_EQ(contacts.size(), 1);
    EXPECT_TRUE(contacts[0].imageData.isEmpty());
    EXPECT_EQ(contacts[0].givenName, "Ann");
    EXPECT_EQ(details.photosLeftOut, 1);
}

// What no field takes comes back per card: categories in any spelling, and the X-
// properties by their own name, with their TYPE as written or else their group's label.
TEST(VCardReaderFields, CategoriesAndExtensionsOfEachCard) {
    const QByteArray data =
        card("categories:a,b\\,c\r\nitem1.CATEGORIES;CHARSET=UTF-8:d\r\nN:One;;;;\r\n"
             "X-FOO;TYPE=\"dog, cat\";TYPE=home:v\\,w\r\nx-bar;CHARSET=UTF-8:plain\r\nX-G.TEL:1\r\n"
             "item2.X-GROUPED:no label\r\nX-ABUID:no\r\nX-ABDATE:2000-01-02\r\nX-AIM:handle\r\n"
             "item3.X-ABLabel:colour\r\nitem3.X-BAZ:blue\r\nitem4.X-TYPED;TYPE=own:t\r\n"
             "item4.X-ABLabel:group's\r\nX-ABLabel:no\r\nX-EMPTY:\r\nX-QP;ENCODING=QUOTED-PRINTABLE:=C3="
             "A9\r\n") +
        "\xEF\xBB\xBF" + card("N:Two;;;;\r\nCATEGORIES:e\r\n");
    VCardReadDetails details;
    const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(data, nullptr, &details);
    ASSERT_EQ(contacts.size(), 2);
    ASSERT_EQ(details.extras.size(), 2);
    EXPECT_EQ(details.extras[0].categories, QStringList({"a", "b,c", "d"}));
    EXPECT_EQ(details.extras[1].categories, QStringList({"e"}));
    EXPECT_EQ(contacts[0].phoneNumbers.size(), 1); // X-G is a group, not an extension
    QStringList extensions;
    for (const VCardExtension &x : details.extras[0].extensions)
        extensions.append(x.name + u'|' + x.label.value_or(QStringLiteral("-")) + u'|' + x.value);
    EXPECT_EQ(extensions.join(u'/').toStdString(), "FOO|dog, cat,home|v,w/bar|-|plain/GROUPED|-|no label/"
                                                   "BAZ|colour|blue/TYPED|own|t/EMPTY|-|/QP|-|\u00e9");
    EXPECT_EQ(contacts[0].cardIdentity.abUid, QStringLiteral("no")); // an identity, no extension
}

TEST(VCardReaderFields, CardsNestedTooDeeplyAreLeftOutAndCounted) {
    const QByteArray deep = "BEGIN:VCARD\nN:Outer;;;;\n" + QByteArray("BEGIN:VCARD\n").repeated(10) +
                            "N:Deepest;;;;\n" + QByteArray("END:VCARD\n").repeated(10) + "TEL:1\nEND:VCARD\n";
    VCardReadDetails details;
    const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(deep, nullptr, &details);
    ASSERT_EQ(contacts.size(), CNContactVCardSerialization::maximumNesting);
    EXPECT_EQ(contacts.last().familyName, "Outer");
    EXPECT_EQ(contacts.last().phoneNumbers.size(), 1);
    EXPECT_EQ(details.nestedCardsLeftOut, 11 - CNContactVCardSerialization::maximumNesting);
    EXPECT_EQ(details.extras.size(), contacts.size());
}

TEST(VCardReaderFields, NestedCardsAreReadEachOnTheirOwn) {
    const QList<CNContact> contacts =
        readAll("BEGIN:VCARD\nN:parent\nBEGIN:VCARD\nN:child\nEND:VCARD\nTEL:1\nEND:VCARD\n");
    ASSERT_EQ(contacts.size(), 2);
    EXPECT_EQ(contacts[0].familyName, "child");
    EXPECT_TRUE(contacts[0].phoneNumbers.isEmpty());
    EXPECT_EQ(contacts[1].familyName, "parent");
    EXPECT_EQ(contacts[1].phoneNumbers.size(), 1);
    EXPECT_EQ(readAll(QByteArray("BEGIN:VCARD\n").repeated(8) + QByteArray("END:VCARD\n").repeated(8)).size(),
              8);
}

} // namespace

namespace {

TEST(VCardReaderFields, ManyGroupsKeepTheirOwnLabels) {
    QByteArray body;
    for (int i = 0; i < 40; ++i)
        body += "item" + QByteArray::number(i) + ".TEL:" + QByteArray::number(i) + "\r\n";
    for (int i = 39; i >= 0; --i)
        body += "item" + QByteArray::number(i) + ".X-ABLabel:L" + QByteArray::number(i) + "\r\n";
    body += "ITEM7.X-ABLabel:last wins\r\n";
    const CNContact c = readOneCard(card(body));
    ASSERT_EQ(c.phoneNumbers.size(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(c.phoneNumbers[i].label,
                  i == 7 ? QStringLiteral("last wins") : QStringLiteral("L%1").arg(i));
}

} // namespace

namespace {

// One trimming rule for every read: the fields that trim lose white space and
// byte-order marks at either end, in any mix; the others keep every character, a
// leading mark too. Either way an export reads back as the same value.
TEST(VCardReaderTrimming, WhiteSpaceAndByteOrderMarksInEveryField) {
    const QByteArray bom = "\xEF\xBB\xBF";
    // QString::fromUtf8 would drop a leading mark.
    const auto withMarks = [](const QByteArray &bytes) -> QString {
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom).decode(bytes);
    };
    const std::pair<QByteArray, QByteArray> edges[] = {{"", ""},        {" ", ""},
                                                       {"\t", ""},      {bom, ""},
                                                       {bom + bom, ""}, {"\t" + bom, ""},
                                                       {bom + " ", ""}, {" " + bom + "\t", ""},
                                                       {"", " "},       {"", bom},
                                                       {"", bom + bom}, {"", " " + bom},
                                                       {bom, bom},      {bom + "\t", " " + bom}};
    struct Field {
        const char *line; // %1 stands for the value
        bool trims;
        QString (*value)(const CNContact &);
    };
    const Field fields[] = {
        {"N:%1;Jane;;;", true, [](const CNContact &c) { return c.familyName; }},
        {"N:Doe;%1;;;", true, [](const CNContact &c) { return c.givenName; }},
        {"FN:%1", true, [](const CNContact &c) { return c.givenName; }},
        {"TEL:%1", true, [](const CNContact &c) { return c.phoneNumbers.value(0).value.stringValue; }},
        {"TEL:tel:%1", true, [](const CNContact &c) { return c.phoneNumbers.value(0).value.stringValue; }},
        {"EMAIL:%1", true, [](const CNContact &c) { return c.emailAddresses.value(0).value; }},
        {"URL:%1", true, [](const CNContact &c) { return c.urlAddresses.value(0).value; }},
        {"ADR:;;Main St;%1;;;", true,
         [](const CNContact &c) { return c.postalAddresses.value(0).value.city; }},
        {"X-ABRELATEDNAMES:%1", true,
         [](const CNContact &c) { return c.contactRelations.value(0).value.name; }},
        {"IMPP:aim:%1", true,
         [](const CNContact &c) { return c.instantMessageAddresses.value(0).value.username; }},
        {"NICKNAME:%1", false, [](const CNContact &c) { return c.nickname; }},
        {"ORG:%1", false, [](const CNContact &c) { return c.organizationName; }},
        {"TITLE:%1", false, [](const CNContact &c) { return c.jobTitle; }},
        {"X-MAIDENNAME:%1", false, [](const CNContact &c) { return c.previousFamilyName; }},
        {"X-PHONETIC-FIRST-NAME:%1", false, [](const CNContact &c) { return c.phoneticGivenName; }},
        {"TEL:1\r\nitem1.EMAIL:a@b.c\r\nitem1.X-ABLabel:%1", false,
         [](const CNContact &c) { return c.emailAddresses.value(0).label.value_or(QString()); }},
    };
    for (const Field &field : fields) {
        for (const auto &[before, after] : edges) {
            const QByteArray line = QByteArray(field.line).replace("%1", before + "Doe" + after);
            const CNContact first = readOneCard(card(line + "\r\n"));
            const QString expected = field.trims ? QStringLiteral("Doe") : withMarks(before + "Doe" + after);
            EXPECT_EQ(field.value(first).toStdU16String(), expected.toStdU16String()) << line.toStdString();
            const CNContact again = readOneCard(CNContactVCardSerialization::dataWithContacts({first}));
            EXPECT_EQ(describe(again), describe(writableFields(first))) << line.toStdString();
        }
    }
}

// A user name taken from a profile's URL goes out as a parameter, which holds no double
// quote or line break, and reads back as it went out.
TEST(VCardReaderFields, AUserNameFromTheUrlReadsBackTheSame) {
    for (const char *url : {"//R/\"", "http://example.com/a\"b\"", "http://example.com/%20jane%20",
                            "x-apple:\"jo\"", "http://example.com/a%0Ab"}) {
        const CNContact first = readOneCard(card(QByteArray("X-SOCIALPROFILE:") + url + "\r\n"));
        ASSERT_EQ(first.socialProfiles.size(), 1) << url;
        EXPECT_FALSE(first.socialProfiles[0].value.username.contains(QLatin1Char('"'))) << url;
        const CNContact again = readOneCard(CNContactVCardSerialization::dataWithContacts({first}));
        EXPECT_EQ(describe(again), describe(writableFields(first))) << url;
    }
}

} // namespace
