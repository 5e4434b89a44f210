#include "tests/model/PersonTestSupport.h"

#include "model/QMvCard.h"
#include "platform/contacts/CNContactVCardSerialization.h"

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QRegularExpression>

#include <atomic>
#include <functional>

#include <gtest/gtest.h>

namespace {

quint32 crc32(const QByteArray &data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : data) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Every field as the generic getters give it, custom items included.
QHash<QString, FieldValue> allValues(QMPerson &person) {
    QHash<QString, FieldValue> values;
    for (const QString &identifier : QMPerson::allIdentifiers() + person.customIdentifiers())
        if (identifier != FieldId::Photo)
            values.insert(identifier, person.valueForIdentifier(identifier));
    values.insert("imageData", QString::fromLatin1(person.imageData().toBase64()));
    values.insert("compositeName", person.compositeName());
    return values;
}

// A value as the user sees it: without the contact objects it was read from.
FieldValue visible(const FieldValue &value) {
    const auto *list = value.get<LabeledValueList>();
    if (!list)
        return value;
    LabeledValueList stripped = *list;
    for (LabeledValueRecord &record : stripped) {
        record.cnlabel.clear();
        record.phoneNumber.reset();
        record.postalAddress.reset();
        record.socialProfile.reset();
        record.instantMessageAddress.reset();
        record.contactRelation.reset();
    }
    return stripped;
}

enum class Compare { Exactly, AsShown };

void expectSameValues(QMPerson &a, QMPerson &b, Compare compare = Compare::Exactly) {
    const auto va = allValues(a);
    const auto vb = allValues(b);
    for (auto it = va.cbegin(); it != va.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        if (compare == Compare::Exactly)
            EXPECT_TRUE(it.value() == vb.value(it.key()));
        else
            EXPECT_TRUE(visible(it.value()) == visible(vb.value(it.key())));
    }
    EXPECT_EQ(va.size(), vb.size());
}

TEST(QMPersonRecordTest, ContactToRecordToContactToRecordLosesNothing) {
    ContactsSettings settings(CNContactSortOrder::GivenName, "US");
    const CNContact original = fullContact();
    QMPerson first(original);
    const CNContact rebuilt = first.contactFromCache();
    EXPECT_TRUE(rebuilt.hasSameFields(original));
    EXPECT_FALSE(rebuilt.phoneNumbers[2].label.has_value()) << "No label is written as no label";
    QMPerson second(rebuilt);
    expectSameValues(first, second);

    // The same after editing every kind through the record.
    first.addPhoneValue(textRecord("", "999"));
    first.setValue(QStringLiteral("Moon"), FieldId::Department);
    first.setValue(QStringLiteral("Bo"), FieldId::FirstName);
    LabeledValueRecord date;
    date.dateValue = DateComponents(2020, 1, 2);
    first.addDatesValue(date);
    QMPerson third(first.contactFromCache());
    expectSameValues(first, third, Compare::AsShown);

    CNContact company;
    company.contactType = CNContactType::Organization;
    company.organizationName = "Acme";
    EXPECT_TRUE(QMPerson(company).contactFromCache().hasSameFields(company));
}

// Real cards written by other programs: every one survives contact -> record -> contact.
TEST(QMPersonRecordTest, EveryCardOfTheSharedFilesSurvivesTheRecord) {
    int cards = 0;
    QDirIterator files(QStringLiteral(TESSARIN_VCARD_TESTDATA), {QStringLiteral("*.vcf")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const CNContact &contact : CNContactVCardSerialization::contactsWithData(file.readAll())) {
            SCOPED_TRACE(file.fileName().toStdString());
            EXPECT_TRUE(QMPerson(contact).contactFromCache().hasSameFields(contact));
            ++cards;
        }
    }
    EXPECT_GT(cards, 60);
}

TEST(QMPersonRecordTest, LabelsAndServicesAsReadGoBackAsRead) {
    CNContact contact;
    contact.phoneNumbers = {{QStringLiteral("_$!<AssistantPhone>!$_"), CNPhoneNumber("1")},
                            {QStringLiteral("_$!<Car>!$_"), CNPhoneNumber("2")}};
    CNInstantMessageAddress sip;
    sip.username = "ann@sip.example";
    contact.instantMessageAddresses = {{std::nullopt, sip}};
    QMPerson person(contact);
    EXPECT_EQ(person.phoneValues()[0].label, "AssistantPhone");
    LabeledValueRecord relabelled = person.phoneValues()[1];
    relabelled.label = "work";
    person.replacePhoneValue(relabelled);
    const CNContact written = person.contactFromCache();
    EXPECT_EQ(written.phoneNumbers[0].label, "_$!<AssistantPhone>!$_");
    EXPECT_EQ(written.phoneNumbers[1].label, CNLabelWork) << "a changed label is converted";
    EXPECT_EQ(written.instantMessageAddresses[0].value.service, "") << "a SIP address does not become AIM";
}

TEST(QMPersonRecordTest, VCardDataCarriesEveryFieldButTheWritersOwnLinesAndReadsOnlyTheFirstCard) {
    ContactsSettings settings(CNContactSortOrder::GivenName, "US");
    QMPerson original(fullContact());
    const auto read = QMPerson::initWithVCardData(original.vCardData());
    ASSERT_NE(read, nullptr);
    // Note and photo are lines the vCard writer adds itself.
    original.setValue(QString(), FieldId::Note);
    original.setPhoto(QImage());
    read->setValue(QString(), FieldId::Note);
    expectSameValues(original, *read, Compare::AsShown);

    EXPECT_EQ(QMPerson::initWithVCardData(QByteArray()), nullptr);
    EXPECT_EQ(QMPerson::initWithVCardData("not a card"), nullptr);
    const auto first = QMPerson::initWithVCardData(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Two;Second;;;\r\nFN:Second Two\r\nEND:VCARD\r\n");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->nameValue().firstName, "Ann");
    EXPECT_FALSE(first->cnContact().has_value());
    EXPECT_TRUE(first->phoneticNameValue().has_value()) << "every cache is filled";
    EXPECT_TRUE(first->birthdayValue().has_value());
}

TEST(QMPersonRecordTest, ContactFromCacheDefaultsAndDrops) {
    QMPerson person;
    EXPECT_TRUE(person.contactFromCache().hasSameFields(CNContact())) << "no cache, no field";

    person.setValue(LabeledValueList{textRecord("home", "", 0), textRecord("home", "03-1234", 1),
                                     textRecord("work", "Fax 03-9999 ext. 3", 2)},
                    FieldId::Phone);
    LabeledValueRecord noService;
    noService.value = "bob";
    noService.labelIndex = 1;
    person.setValue(LabeledValueList{textRecord("", "ann", 0), noService, textRecord("Twitter", "", 2)},
                    FieldId::SocialNetwork);
    person.setValue(LabeledValueList{textRecord("home", "ann", 0)}, FieldId::InstantMessage);
    person.setValue(LabeledValueList{textRecord("", "Tom", 0), textRecord(NoLabel, "Sue", 1)},
                    FieldId::Relationship);
    LabeledValueRecord date;
    date.dateValue = DateComponents(2000, 1, 1);
    date.label = "";
    person.setValue(LabeledValueList{date, textRecord("home", "someday", 1)}, FieldId::Dates);
    LabeledValueRecord noValue;
    noValue.label = "home";
    person.setValue(LabeledValueList{textRecord("home", "", 0), noValue}, FieldId::Email);

    const CNContact c = person.contactFromCache();
    ASSERT_EQ(c.phoneNumbers.size(), 2) << "only the empty number is dropped";
    EXPECT_EQ(c.phoneNumbers[1].value.stringValue, "Fax 03-9999 ext. 3");
    ASSERT_EQ(c.socialProfiles.size(), 2);
    EXPECT_EQ(c.socialProfiles[0].label, CNSocialProfileServiceTwitter);
    EXPECT_EQ(c.socialProfiles[0].value.service, CNSocialProfileServiceTwitter);
    EXPECT_FALSE(c.socialProfiles[1].label.has_value()) << "No service is no label";
    ASSERT_EQ(c.instantMessageAddresses.size(), 1);
    EXPECT_EQ(c.instantMessageAddresses[0].value.service, CNInstantMessageServiceAIM);
    EXPECT_EQ(c.instantMessageAddresses[0].label, CNLabelHome);
    ASSERT_EQ(c.contactRelations.size(), 2);
    EXPECT_FALSE(c.contactRelations[0].label.has_value()) << "normalised to No label";
    ASSERT_EQ(c.dates.size(), 1);
    EXPECT_FALSE(c.dates[0].label.has_value());
    ASSERT_EQ(c.emailAddresses.size(), 1) << "an empty text is kept, a missing one is not";
}

TEST(QMPersonRecordTest, NewRecordsTakeANewIdentityAndTheSystemDefaults) {
    ContactsSettings settings(CNContactSortOrder::FamilyName, "jp");
    QMPerson a, b;
    static const QRegularExpression uuid("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    EXPECT_TRUE(uuid.match(a.uniqueId()).hasMatch()) << a.uniqueId().toStdString();
    EXPECT_NE(a.uniqueId(), b.uniqueId());
    EXPECT_TRUE(a.showAsPerson());
    EXPECT_TRUE(a.labeledValueForIdentifier(FieldId::Phone)->isEmpty());
    EXPECT_EQ(a.defaultNameOrdering(), 2);
    EXPECT_EQ(a.defaultCountryCode(), "JP");
    CNContact contact;
    EXPECT_EQ(QMPerson(contact).uniqueId(), contact.identifier);
    for (auto [order, ordering] :
         {std::pair{CNContactSortOrder::GivenName, 1}, {CNContactSortOrder::None, 0}}) {
        ContactsSettings other(order, "de");
        EXPECT_EQ(QMPerson().defaultNameOrdering(), ordering);
    }
}

TEST(QMPersonRecordTest, CopyAndDuplicateKeepEverythingUnderANewIdentity) {
    QMPerson original(fullContact());
    original.setValue(LabeledValueList{textRecord("a", "one", 0)}, "Pets");
    original.setValue(QStringLiteral("blue"), "Color");
    original.changeCustomItem([] {
        CustomItemDefinition d;
        d.oldName = d.name = "Pets";
        d.imageData = "icon";
        return d;
    }());
    for (const auto &made : {original.copy(), original.duplicate()}) {
        EXPECT_NE(made->uniqueId(), original.uniqueId());
        EXPECT_FALSE(made->cnContact().has_value());
        EXPECT_EQ(made->customItems(), original.customItems()) << "definitions, icons included";
        expectSameValues(original, *made);
        // Another contact: the original's UID and X-ABUID stay with the original.
        EXPECT_TRUE(made->cardIdentity().isEmpty());
        CNContact withIdentity = made->contactFromCache();
        withIdentity.cardIdentity = original.cardIdentity();
        EXPECT_TRUE(withIdentity.hasSameFields(original.contactFromCache()));
        made->setValue(QStringLiteral("red"), "Color");
        made->addPhoneValue(textRecord("home", "1"));
        EXPECT_EQ(original.stringValueForIdentifier("Color"), "blue") << "the copy is independent";
        EXPECT_EQ(original.phoneValues().size(), 4);
    }
}

// The card's UID and X-ABUID belong to the record read from it: they reach every contact
// rebuilt from it and its copy for a reading thread, and no copy that is another contact.
TEST(QMPersonRecordTest, TheCardIdentityStaysWithItsRecord) {
    QMPerson read(fullContact());
    const CNCardIdentity identity = fullContact().cardIdentity;
    ASSERT_FALSE(identity.isEmpty());
    const struct {
        const char *made;
        CNCardIdentity has;
        bool keeps;
    } ways[] = {
        {"read", read.cardIdentity(), true},
        {"rebuilt", read.contactFromCache().cardIdentity, true},
        {"read again from its vCard data", QMPerson::initWithVCardData(read.vCardData())->cardIdentity(),
         true},
        {"shared with a reading thread", read.sharedCopy().cardIdentity(), true},
        {"copied", read.copy()->cardIdentity(), false},
        {"duplicated", read.duplicate()->cardIdentity(), false},
        {"made new", QMPerson().cardIdentity(), false},
    };
    for (const auto &way : ways)
        EXPECT_EQ(way.has, way.keeps ? identity : CNCardIdentity()) << way.made;
    EXPECT_TRUE(read.vCardData().contains("\r\nUID:urn:uuid:ann\r\nX-ABUID:ANN-1:ABPerson\r\n"));
}

TEST(QMPersonRecordTest, CustomItemDefinitions) {
    QMPerson person;
    EXPECT_TRUE(person.addCustomItem(ValueKind::Labeled, "Pets", QStringList{"cat"}, QByteArray("img")));
    EXPECT_TRUE(person.addCustomItem(ValueKind::Labeled, "Pets", QStringList{"dog"}, std::nullopt));
    ASSERT_EQ(person.customItems().size(), 1);
    EXPECT_EQ(person.customItems()[0].labels, QStringList{"dog"});
    EXPECT_EQ(person.customItems()[0].imageData, "img");
    EXPECT_TRUE(QMPerson::labelsForIdentifier("Pets")->contains("dog"));

    CustomItemDefinition renamed;
    renamed.oldName = "Pets";
    renamed.name = "Animals";
    renamed.labels = {"dog", "bird"};
    person.changeCustomItem(renamed);
    EXPECT_EQ(person.customIdentifiers(), QStringList{"Animals"});
    EXPECT_EQ(person.customItemForIdentifier("Animals")->labels, (QStringList{"dog", "bird"}));
    renamed.oldName = "Animals";
    renamed.name = FieldId::Name;
    person.changeCustomItem(renamed);
    EXPECT_EQ(person.customIdentifiers(), QStringList{"Animals"}) << "never renamed to a built-in field";

    EXPECT_EQ(person.customValueForIdentifier("Animals"), CustomItemValue(LabeledValueList()));
    person.addCustomItem(ValueKind::String, "Color", std::nullopt, std::nullopt);
    EXPECT_EQ(person.customValueForIdentifier("Color"), CustomItemValue(QString()));
    EXPECT_TRUE(person.valueForIdentifier("Color") == FieldValue(QString()));
    EXPECT_FALSE(person.customValueForIdentifier("Missing").has_value());

    person.setValue(QStringLiteral("x"), "Color");
    person.deleteCustomItemForName("Color");
    EXPECT_FALSE(person.customItemForIdentifier("Color").has_value());
    EXPECT_TRUE(person.valueForIdentifier("Color").isNull()) << "its value went with it";
    person.deleteCustomItemForName("Missing");
    EXPECT_EQ(person.customItems().size(), 1);
}

TEST(QMPersonRecordTest, PhotoIsStoredAsPngAndThumbnailIsCached) {
    QMPerson person;
    EXPECT_TRUE(person.photo().isNull());
    const QImage personPlaceholder = person.thumbnail();
    EXPECT_FALSE(personPlaceholder.isNull());
    NameRecord company;
    company.showAsPerson = false;
    person.setValue(company, FieldId::Name);
    EXPECT_NE(person.thumbnail(), personPlaceholder) << "a company card has its own placeholder";

    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    person.setValue(image, FieldId::Photo);
    EXPECT_TRUE(person.imageData().startsWith("\x89PNG"));
    EXPECT_EQ(person.thumbnailImageData(), person.imageData());
    EXPECT_EQ(person.thumbnail().size(), QSize(8, 6));
    EXPECT_EQ(person.photo().pixel(0, 0), QColor(Qt::blue).rgb());

    const QByteArray red = pngBytes(5, 5, Qt::red);
    ASSERT_TRUE(person.setPhotoData(red));
    EXPECT_EQ(person.imageData(), red) << "PNG bytes are kept as they are";
    EXPECT_EQ(person.thumbnail().size(), QSize(5, 5)) << "setting a photo drops the cached thumbnail";
    EXPECT_FALSE(person.setPhotoData("garbage"));
    EXPECT_EQ(person.imageData(), red);

    person.setValue(FieldValue(), FieldId::Photo);
    EXPECT_TRUE(person.imageData().isEmpty());
    EXPECT_TRUE(person.thumbnailImageData().isEmpty());
    EXPECT_TRUE(person.valueForIdentifier(FieldId::Photo).isNull());
}

TEST(QMPersonRecordTest, ThumbnailOnlyContactAndOversizedImages) {
    CNContact contact;
    contact.thumbnailImageData = pngBytes(3, 3);
    QMPerson person(contact);
    EXPECT_EQ(person.photo().size(), QSize(3, 3));
    EXPECT_EQ(person.thumbnail().size(), QSize(3, 3));
    EXPECT_FALSE(person.contactFromCache().thumbnailImageData.isEmpty())
        << "the only picture survives export";

    // A valid PNG header claiming 100000 x 100000 pixels is refused before decoding.
    QByteArray huge = pngBytes(1, 1);
    const QByteArray side = QByteArray::fromHex("000186a0");
    huge.replace(16, 4, side);
    huge.replace(20, 4, side);
    const quint32 crc = crc32(huge.mid(12, 17));
    for (int i = 0; i < 4; ++i)
        huge[29 + i] = char(crc >> (24 - 8 * i));
    {
        QBuffer buffer(&huge);
        buffer.open(QIODevice::ReadOnly);
        ASSERT_EQ(QImageReader(&buffer).size(), QSize(100000, 100000));
    }
    CNContact bomb;
    bomb.imageData = huge;
    QMPerson bombed(bomb);
    EXPECT_TRUE(bombed.photo().isNull());
    EXPECT_FALSE(bombed.thumbnail().isNull()) << "the placeholder";
}

} // namespace

// The sanitizers call these on every allocation; absent from other builds.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void *, size_t),
                                                         void (*)(const volatile void *)) __attribute__((weak));

namespace {

std::atomic<size_t> largestAllocation = 0;
std::atomic<bool> watchingAllocations = false;

// The largest single allocation any thread made while `work` ran.
template <typename Work> size_t largestAllocationOf(Work work) {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks &&
                                  __sanitizer_install_malloc_and_free_hooks(
                                      [](const volatile void *, size_t size) {
                                          if (watchingAllocations.load(std::memory_order_relaxed) &&
                                              size > largestAllocation.load(std::memory_order_relaxed))
                                              largestAllocation = size;
                                      },
                                      [](const volatile void *) {});
    if (!installed)
        return 0;
    largestAllocation = 0;
    watchingAllocations = true;
    work();
    watchingAllocations = false;
    return largestAllocation;
}

// A few hundred bytes of a file whose PNG chunk claims 1.6 GB: no showing or export of the
// photo asks for what it claims, and the export keeps its bytes.
TEST(QMPersonRecordTest, APhotoWhoseChunkClaimsMoreThanItHoldsIsNeverDecoded) {
    if (!__sanitizer_install_malloc_and_free_hooks)
        GTEST_SKIP() << "allocations are watched in the sanitizer builds";
    const QByteArray whole = pngBytes(40, 40);
    const qsizetype header = 8 + 25; // signature, IHDR
    QByteArray claiming = whole.left(header) + QByteArray::fromHex("6000001a") + "tEXtComment";
    claiming += QByteArray(200, 'x');
    const struct {
        const char *use;
        std::function<bool(const QByteArray &)> keeps; // the picture, or its bytes as they are
    } uses[] = {
        {"shown", [](const QByteArray &data) { return !QMPerson::decodePhoto(data).isNull(); }},
        {"shown small", [](const QByteArray &data) { return !QMPerson::decodePhoto(data, {8, 8}).isNull(); }},
        {"exported as read",
         [](const QByteArray &data) {
             return QMvCard::encodeVCardPhotoAsRead(data).remove(QRegularExpression("\\s")).contains(data.toBase64());
         }},
        {"exported changed",
         [](const QByteArray &data) { return !QMvCard::encodeVCardPhoto(data).isEmpty(); }},
    };
    for (const auto &use : uses) {
        SCOPED_TRACE(use.use);
        bool kept = true;
        EXPECT_LT(largestAllocationOf([&] { kept = use.keeps(claiming); }), size_t(64 << 20));
        EXPECT_EQ(kept, std::string_view(use.use).starts_with("exported")) << "no picture, its bytes kept";
        EXPECT_TRUE(use.keeps(whole));
    }
}

TEST(QMPersonRecordTest, SimpleVCardHoldsTheNameAndTheChosenValuesInPositionOrder) {
    QMPerson person;
    EXPECT_EQ(person.simpleVCardWithOption({}),
              QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:No name\r\nN:;;;;\r\nEND:VCARD\r\n"));
    NameRecord name;
    name.firstName = QStringLiteral("Ann");
    name.lastName = QStringLiteral("Lee");
    person.setValue(name, FieldId::Name);
    for (const char *label : {"Work", "other", "home"})
        person.addEmailValue(textRecord(label, QStringLiteral("a@%1.example").arg(label[0])));
    person.addPhoneValue(textRecord(QStringLiteral("mobile"), QStringLiteral("090")));
    LabeledValueRecord empty;
    empty.label = QStringLiteral("club");
    person.addAddressValue(empty);
    LabeledValueRecord home;
    home.label = QStringLiteral("home");
    home.street = QStringLiteral("1 Main St\nFlat 2; back");
    home.city = QStringLiteral("Springfield");
    home.country = QStringLiteral("USA");
    person.addAddressValue(home);
    person.addUrlValue(textRecord(QStringLiteral("home page"), QStringLiteral("https://a.example/x,y")));
    person.setValue(QStringLiteral("Sales"), FieldId::Department);
    person.setValue(QStringLiteral("Boss, Chief"), FieldId::JobTitle);

    QMPerson::SimpleVCardOptions options;
    options.email = {2, 0, 7};
    options.phone = {0};
    options.address = {0, 1};
    options.url = {0};
    options.company = options.department = options.jobTitle = true;
    // Only home and work travel as types.
    EXPECT_EQ(person.simpleVCardWithOption(options),
              QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nN:Lee;Ann;;;\r\n"
                             "EMAIL;type=Work:a@W.example\r\nEMAIL;type=home:a@h.example\r\n"
                             "TEL:090\r\n"
                             "ADR:;;;;;;\r\nADR;type=home:;;1 Main St\\nFlat 2\\; back;Springfield;;;USA\r\n"
                             "URL:https://a.example/x\\,y\r\n"
                             "ORG:;Sales\r\nTITLE:Boss\\, Chief\r\nEND:VCARD\r\n"));

    options = {};
    options.department = true;
    EXPECT_TRUE(person.simpleVCardWithOption(options).contains(QStringLiteral("\r\nORG:;Sales\r\n")));
    options = {};
    options.company = true;
    EXPECT_FALSE(person.simpleVCardWithOption(options).contains(QStringLiteral("ORG")));
    person.setValue(QStringLiteral("Acme"), FieldId::Company);
    EXPECT_TRUE(person.simpleVCardWithOption(options).contains(QStringLiteral("\r\nORG:Acme\r\n")));
}

} // namespace
