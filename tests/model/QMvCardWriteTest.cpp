#include "tests/model/PersonTestSupport.h"
#include "tests/model/QMvCardTestSupport.h"

#include "fuzz/VCardRoundTrip.h"
#include "model/QMvCard.h"
#include "platform/contacts/CNContactVCardSerialization.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const QStringList exportOptions = {VCardOption::Photo, VCardOption::Note, VCardOption::Custom,
                                   VCardOption::Categories};

CustomItemDefinition definition(const QString &name, const QString &type) {
    CustomItemDefinition item;
    item.name = name;
    item.type = type;
    return item;
}

// A person with a note, a photo and both kinds of custom items.
std::shared_ptr<QMPerson> notedPerson(const QByteArray &photo = fakeJpeg(200)) {
    CNContact contact;
    contact.givenName = "Ann";
    contact.familyName = "Lee";
    contact.note = "a, b; c\\d\r\nsecond\rthird\nfourth";
    contact.imageData = photo;
    auto person = std::make_shared<QMPerson>(contact);
    person->addCustomItem(ValueKind::Labeled, QStringLiteral("FOO"), QStringList{"Home", "Work"},
                          std::nullopt);
    person->setValue(LabeledValueList{textRecord(QStringLiteral("Home"), QStringLiteral("1")),
                                      textRecord(QStringLiteral("Work"), QStringLiteral("")),
                                      textRecord(QStringLiteral("a:b,c"), QStringLiteral("line\none, two"))},
                     QStringLiteral("FOO"));
    person->addCustomItem(ValueKind::String, QStringLiteral("BAR"), std::nullopt, std::nullopt);
    person->setValue(QStringLiteral("x:y\\z"), QStringLiteral("BAR"));
    return person;
}

const QList<CustomItemDefinition> definitions = {definition(QStringLiteral("FOO"), ValueKind::Labeled),
                                                 definition(QStringLiteral("BAR"), ValueKind::String),
                                                 definition(QStringLiteral("FOO"), ValueKind::String)};

TEST(QMvCardWriteTest, WithoutOptionsOrGroupsTheSerializersCardIsUnchanged) {
    auto person = notedPerson();
    EXPECT_EQ(QMvCard().vCardFromPerson(*person, {}, {}, definitions),
              QString::fromUtf8(person->vCardData()));
}

TEST(QMvCardWriteTest, OptionMatrixOfBothWriters) {
    auto person = notedPerson();
    const ContactEntry entry = ContactEntry::withPerson(person);
    const QStringList words = {VCardOption::Note, VCardOption::Photo, VCardOption::Custom,
                               VCardOption::Categories};
    for (int mask = 0; mask < 16; ++mask) {
        QStringList options;
        for (int bit = 0; bit < 4; ++bit)
            if (mask & (1 << bit))
                options.append(words[bit]);
        SCOPED_TRACE(options.join(u' ').toStdString());
        const QString byPerson =
            QMvCard().vCardFromPerson(*person, options, {QStringLiteral("G")}, definitions);
        EXPECT_EQ(byPerson.contains(QStringLiteral("\r\nNOTE:")), bool(mask & 1));
        EXPECT_EQ(byPerson.contains(QStringLiteral("\r\nPHOTO;")), bool(mask & 2));
        EXPECT_EQ(byPerson.contains(QStringLiteral("\r\nX-FOO;")), bool(mask & 4));
        EXPECT_TRUE(byPerson.contains(QStringLiteral("\r\nCATEGORIES:G\r\nEND:VCARD\r\n")));
        const QString byEntry = QMvCard().vCardFromContact(entry, options, definitions);
        EXPECT_EQ(byEntry.contains(QStringLiteral("\r\nNOTE:")), bool(mask & 1));
        EXPECT_EQ(byEntry.contains(QStringLiteral("\r\nPHOTO;")), bool(mask & 2));
        EXPECT_TRUE(byEntry.contains(QStringLiteral("\r\nX-FOO;")));
        EXPECT_FALSE(byEntry.contains(QStringLiteral("CATEGORIES")));
        EXPECT_TRUE(byEntry.endsWith(QStringLiteral("\r\nEND:VCARD\r\n")));
    }
}

TEST(QMvCardWriteTest, NoteAndCustomLinesAreEscaped) {
    auto person = notedPerson();
    const QString text = QMvCard().vCardFromPerson(*person, exportOptions, {}, definitions);
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nNOTE:a\\, b\\; c\\\\d\\nsecond\\nthird\\nfourth\r\n")));
    // Each name once, in the contact's own kind; a value without text is left out here.
    EXPECT_EQ(text.count(QStringLiteral("\r\nX-FOO;")), 2);
    EXPECT_TRUE(
        text.contains(QStringLiteral("\r\nX-FOO;type=Home:1\r\nX-FOO;type=\"a:b,c\":line\\none\\, two\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nX-BAR:x:y\\\\z\r\n")));
    // The contact's kind, not the first definition's: a window may know FOO as a plain item first.
    const QList<CustomItemDefinition> plainFirst = {definitions[2], definitions[1], definitions[0]};
    EXPECT_EQ(QMvCard().vCardFromPerson(*person, exportOptions, {}, plainFirst).count(QStringLiteral("\r\nX-FOO;")), 2);
    const ContactEntry entry = ContactEntry::withPerson(person);
    const QString copied = QMvCard().vCardFromContact(entry, {}, definitions);
    EXPECT_TRUE(copied.contains(QStringLiteral("\r\nX-FOO;type=Work:\r\n")));
    EXPECT_FALSE(copied.contains(QStringLiteral("NOTE")));

    // Deleted definitions write nothing.
    QList<CustomItemDefinition> deleted = definitions;
    deleted[0].deleted = true;
    deleted[2].deleted = true;
    EXPECT_FALSE(
        QMvCard().vCardFromPerson(*person, exportOptions, {}, deleted).contains(QStringLiteral("X-FOO")));
}

TEST(QMvCardWriteTest, TheClassWideDefinitionsAreTheDefault) {
    auto person = notedPerson();
    const auto before = QMPerson::customItemsForVCard();
    QMPerson::setCustomItemsForVCard({definition(QStringLiteral("BAR"), ValueKind::String)});
    const QString text = QMvCard().vCardFromPerson(*person, {VCardOption::Custom}, {});
    QMPerson::setCustomItemsForVCard(before.value_or(QList<CustomItemDefinition>()));
    EXPECT_TRUE(text.contains(QStringLiteral("X-BAR:")));
    EXPECT_FALSE(text.contains(QStringLiteral("X-FOO")));
}

TEST(QMvCardWriteTest, PhotoLinesAreFoldedAt75Characters) {
    for (int bytes : {36, 37, 200, 1000}) {
        SCOPED_TRACE(bytes);
        const QByteArray jpeg = fakeJpeg(bytes);
        const QString lines = QMvCard::encodeVCardPhoto(jpeg);
        QStringList split = lines.split(QStringLiteral("\r\n"));
        ASSERT_EQ(split.takeLast(), QString());
        EXPECT_TRUE(split.first().startsWith(QStringLiteral("PHOTO;ENCODING=b;TYPE=JPEG:")));
        QString base64 = split.first().mid(27);
        for (qsizetype i = 0; i < split.size(); ++i) {
            if (i + 1 < split.size())
                EXPECT_EQ(split[i].size(), 75);
            else
                EXPECT_LE(split[i].size(), 75);
            if (i > 0) {
                EXPECT_TRUE(split[i].startsWith(u' '));
                base64 += split[i].mid(1);
            }
        }
        EXPECT_EQ(QByteArray::fromBase64(base64.toLatin1()), jpeg);
        if (bytes == 36) {
            EXPECT_EQ(split.size(), 1);
        }
    }
}

TEST(QMvCardWriteTest, StoredJpegBytesAreKeptAndOtherImagesBecomeJpeg) {
    const QByteArray png = pngBytes(8, 8, Qt::blue);
    const QString lines = QMvCard::encodeVCardPhoto(png);
    QString base64 = lines.mid(27);
    base64.remove(QStringLiteral("\r\n "));
    base64.remove(QStringLiteral("\r\n"));
    const QByteArray jpeg = QByteArray::fromBase64(base64.toLatin1());
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8\xFF"));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(jpeg, "JPEG"));
    EXPECT_EQ(decoded.size(), QSize(8, 8));
    EXPECT_EQ(QMvCard::encodeVCardPhoto(jpeg), QMvCard::encodeVCardPhoto(jpeg)); // stable, no re-encoding
    // What cannot be decoded goes out as it came, so an export never drops a photo.
    EXPECT_EQ(QMvCard::encodeVCardPhoto(QByteArray("not an image")),
              QStringLiteral("PHOTO;ENCODING=b:bm90IGFuIGltYWdl\r\n"));
    const QByteArray brokenPng = png.left(40);
    EXPECT_EQ(QMvCard::encodeVCardPhoto(brokenPng),
              QStringLiteral("PHOTO;ENCODING=b;TYPE=PNG:") +
                  QString::fromLatin1(brokenPng.toBase64().left(49)) + QStringLiteral("\r\n ") +
                  QString::fromLatin1(brokenPng.toBase64().mid(49)) + QStringLiteral("\r\n"));
    EXPECT_TRUE(QMvCard::encodeVCardPhoto(QImage()).isEmpty());
}

// The photo a written card carries: its TYPE and its bytes, read back by the serializer.
std::pair<QString, QByteArray> writtenPhoto(QMPerson &person) {
    const QString text = QMvCard().vCardFromPerson(person, exportOptions, {}, definitions);
    const qsizetype at = text.indexOf(QStringLiteral("\r\nPHOTO;"));
    const QString type = text.mid(at).section(u':', 0, 0).section(QStringLiteral("TYPE="), 1);
    const auto contacts = CNContactVCardSerialization::contactsWithData(text.toUtf8(), nullptr);
    return {type, contacts.isEmpty() ? QByteArray() : contacts.first().imageData};
}

TEST(QMvCardWriteTest, APhotoTheUserDidNotChangeLeavesWithItsOwnBytesAndType) {
    QImage transparent(32, 32, QImage::Format_ARGB32);
    transparent.fill(Qt::transparent);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(transparent.save(&buffer, "PNG"));
    }
    const QByteArray jpeg = QMvCard::jpegDataFromImage(QImage(8, 8, QImage::Format_RGB32));
    const struct {
        const char *name;
        QByteArray bytes;
        QString type;
    } photos[] = {{"transparent PNG", png, QStringLiteral("PNG")},
                  {"JPEG", jpeg, QStringLiteral("JPEG")},
                  {"no picture", QByteArray("not an image"), QString()}};
    for (const auto &photo : photos) {
        SCOPED_TRACE(photo.name);
        auto person = notedPerson(photo.bytes);
        EXPECT_EQ(writtenPhoto(*person), std::make_pair(photo.type, photo.bytes));
        // A copy, as the export's snapshot takes, is still the file's photo.
        EXPECT_EQ(writtenPhoto(*person->copy()), std::make_pair(photo.type, photo.bytes));

        // Changed, the photo goes out as JPEG; an undo that brings the bytes back, as read.
        person->setPhoto(QImage(4, 4, QImage::Format_ARGB32));
        const auto [type, bytes] = writtenPhoto(*person);
        EXPECT_EQ(type, QStringLiteral("JPEG"));
        EXPECT_TRUE(bytes.startsWith("\xFF\xD8\xFF"));
        if (photo.bytes != "not an image") {
            ASSERT_TRUE(person->setPhotoData(photo.bytes));
            EXPECT_EQ(writtenPhoto(*person), std::make_pair(photo.type, photo.bytes));
        }
    }
}

TEST(QMvCardWriteTest, CategoriesNameTheLiveGroupsOfTheContainerOnce) {
    auto table = QMvCard().containersFromVCards(
        vCardText(QStringLiteral("One"), QStringLiteral("CATEGORIES:Work,Friends,Gone,Left\r\n")) +
        vCardText(QStringLiteral("Two")));
    ContainerRecord &container = table->first();
    ContactTable &all = *container.groups.first()->contactTable;
    for (const SharedGroup &group : container.groups) {
        if (group->name == u"Gone")
            group->deleted = true;
        if (group->name == u"Left")
            group->contactTable->first().deleted = true;
        if (group->name == u"Work")
            group->contactTable->append(group->contactTable->first()); // twice in one group
    }
    // A group made in the window with a comma in its name.
    auto made = std::make_shared<GroupRecord>();
    made->name = QStringLiteral("a,b");
    made->contactTable->append(all.first());
    container.groups.append(made);

    const auto text = QMvCard().vCardsFromContacts(all, exportOptions, &container, {}, definitions);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->count(QStringLiteral("CATEGORIES:")), 1);
    EXPECT_TRUE(text->contains(QStringLiteral("\r\nCATEGORIES:Friends,Work,a\\,b\r\n")));
    const auto reread = QMvCard().containersFromVCards(*text);
    QStringList names;
    for (const SharedGroup &group : reread->first().groups)
        names.append(group->name);
    EXPECT_EQ(names, QStringList({"All Contacts", "Friends", "Work", "a,b"}));

    EXPECT_EQ(QMvCard().vCardsFromContacts({}, exportOptions, &container), QString());
    EXPECT_EQ(QMvCard().vCardsFromContacts(all, exportOptions, nullptr,
                                           [](bool *stop, quint64 index) {
                                               EXPECT_EQ(index, 0u);
                                               *stop = true;
                                           }),
              std::nullopt);
    QList<quint64> indexes;
    QMvCard().vCardsFromContacts(all, {}, nullptr, [&](bool *, quint64 index) { indexes.append(index); });
    EXPECT_EQ(indexes, QList<quint64>({0, 1}));
}

// File text to containers to vCard text to containers: the same contacts, groups and
// custom items, for every shared file, every file that once lost or doubled a value, and
// cards with all of the program's own lines.
TEST(QMvCardWriteTest, RoundTripKeepsContactsGroupsAndCustomItems) {
    QList<std::pair<QString, QString>> files = sharedVCardFiles() + sharedVCardFiles(true);
    QDirIterator regressions(QStringLiteral(TESSARIN_MODEL_TEST_DIR "/../platform/contacts/fuzz_regressions"),
                             {QStringLiteral("*.vcf")}, QDir::Files);
    while (regressions.hasNext()) {
        QFile file(regressions.next());
        if (file.open(QIODevice::ReadOnly))
            files.append({file.fileName(), QString::fromUtf8(file.readAll())});
    }
    files.append(
        {QStringLiteral("own lines"),
         vCardText(QStringLiteral("Own"),
                   QStringLiteral("NOTE:multi\\nline\\\\ note\r\nCATEGORIES:x\\,y,z\r\nX-FOO;type=Home:1\r\n"
                                  "X-FOO:plain\r\nX-BAR:a\\nb\r\nPHOTO;ENCODING=b;TYPE=JPEG:") +
                       QString::fromLatin1(fakeJpeg(30).toBase64()) + QStringLiteral("\r\n"))});
    ASSERT_GE(files.size(), 75);
    for (const auto &[name, text] : std::as_const(files)) {
        const VCardRoundTrip::Trip trip = VCardRoundTrip::travel(text);
        EXPECT_FALSE(QMvCard::contactsInContainer(trip.first->first())->isEmpty()) << name.toStdString();
        EXPECT_EQ(VCardRoundTrip::difference(trip.first->first(), trip.second->first()).toStdString(), "")
            << name.toStdString() << "\n"
            << trip.exported.toStdString();
    }
}

// An independent reader (python3-vobject) reads every card we export with its fields,
// photo bytes included.
TEST(QMvCardWriteTest, VObjectReadsEveryExportedCard) {
    auto person = notedPerson(fakeJpeg(400));
    person->addPhoneValue(textRecord(QStringLiteral("home"), QStringLiteral("+81 3-1234-5678")));
    person->addEmailValue(textRecord(QStringLiteral("work"), QStringLiteral("ann@example.com")));
    auto plain = std::make_shared<QMPerson>();
    NameRecord name;
    name.firstName = QStringLiteral("日本");
    name.lastName = QStringLiteral("太郎");
    plain->setValue(name, FieldId::Name);
    ContactTable contacts = {ContactEntry::withPerson(person), ContactEntry::withPerson(plain)};
    ContainerRecord container;
    container.groups.append(std::make_shared<GroupRecord>());
    container.groups.first()->name = QStringLiteral("Friends, old");
    container.groups.first()->contactTable->append(contacts.first());

    const auto text = QMvCard().vCardsFromContacts(contacts, exportOptions, &container, {}, definitions);
    ASSERT_TRUE(text);
    const QJsonArray cards = readWithPython(QStringLiteral("vcard"), text->toUtf8()).array();
    ASSERT_EQ(cards.size(), 2);
    const QJsonObject ann = cards[0].toObject();
    EXPECT_EQ(ann["fn"].toString(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(ann["note"].toString(), QStringLiteral("a, b; c\\d\nsecond\nthird\nfourth"));
    EXPECT_EQ(ann["categories"].toArray(), QJsonArray({QStringLiteral("Friends, old")}));
    EXPECT_EQ(QByteArray::fromBase64(ann["photo"].toString().toLatin1()), fakeJpeg(400));
    EXPECT_EQ(ann["tel"].toArray(), QJsonArray({QStringLiteral("+81 3-1234-5678")}));
    EXPECT_EQ(ann["email"].toArray(), QJsonArray({QStringLiteral("ann@example.com")}));
    const QJsonArray x = ann["x"].toArray();
    EXPECT_TRUE(
        x.contains(QJsonArray({QStringLiteral("X-FOO"), QStringLiteral("Home"), QStringLiteral("1")})));
    EXPECT_TRUE(x.contains(
        QJsonArray({QStringLiteral("X-FOO"), QStringLiteral("a:b,c"), QStringLiteral("line\none, two")})));
    EXPECT_TRUE(x.contains(QJsonArray({QStringLiteral("X-BAR"), QJsonValue(), QStringLiteral("x:y\\z")})));
    const QJsonObject taro = cards[1].toObject();
    EXPECT_EQ(taro["n"].toArray(), QJsonArray({QStringLiteral("太郎"), QStringLiteral("日本")}));
    EXPECT_EQ(taro["photo"].toString(), QString());
}

} // namespace
