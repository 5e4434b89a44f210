#include "tests/model/PersonTestSupport.h"

#include "fuzz/VCardRoundTrip.h"
#include "model/QMvCard.h"
#include "platform/contacts/CNContactVCardSerialization.h"
#include "tests/model/QMvCardTestSupport.h"

#include <QStringDecoder>

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

QString card(const QString &name, const QString &extra = {}) {
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:%1;;;;\r\nFN:%1\r\n%2END:VCARD\r\n")
        .arg(name, extra);
}

std::shared_ptr<ContainerTable> read(const QString &text) {
    return QMvCard().containersFromVCards(text);
}

QStringList groupNames(const ContainerRecord &container) {
    QStringList names;
    for (const SharedGroup &group : container.groups)
        names.append(group->name);
    return names;
}

QStringList familyNames(const ContactTable &table) {
    QStringList names;
    for (const ContactEntry &entry : table)
        names.append(entry.person->nameValue().lastName);
    return names;
}

TEST(QMvCardReadTest, EmptyTextGivesOneContainerWithTheAllContactsGroupOnly) {
    for (const QString &text : {QString(), QString(), QStringLiteral("BEGIN:VCA")}) {
        const auto table = read(text);
        ASSERT_TRUE(table);
        ASSERT_EQ(table->size(), 1);
        const ContainerRecord &container = table->first();
        EXPECT_EQ(container.name, QStringLiteral("vCard"));
        EXPECT_EQ(container.type, 1);
        EXPECT_EQ(container.identifier, QString());
        ASSERT_EQ(container.groups.size(), 1);
        const GroupRecord &all = *container.groups.first();
        EXPECT_TRUE(all.top);
        EXPECT_EQ(all.name, QStringLiteral("All Contacts"));
        EXPECT_EQ(all.containerName, QStringLiteral("vCard"));
        EXPECT_EQ(all.uniqueId, QString());
        EXPECT_TRUE(all.contactTable->isEmpty());
        EXPECT_EQ(QMvCard::contactsInContainer(container), all.contactTable);
    }
}

TEST(QMvCardReadTest, CardsAreCutAtLineStartsWhateverTheCaseAndTheTextAround) {
    const QString text =
        QStringLiteral("junk before\r\n") + card(QStringLiteral("One")) +
        QStringLiteral("between\r\nbegin:vcard\r\nversion:3.0\r\nn:Two;;;;\r\nend:vcard\r\n") +
        card(QStringLiteral("Three"), QStringLiteral("NOTE:see END:VCARD and BEGIN:VCARD\r\n")) +
        QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nN:Four;;;;\nEND:VCARD");
    const auto table = read(text);
    ASSERT_TRUE(table);
    const ContactTable &all = *table->first().groups.first()->contactTable;
    EXPECT_EQ(familyNames(all), QStringList({"One", "Two", "Three", "Four"}));
    EXPECT_EQ(all[2].person->stringValueForIdentifier(FieldId::Note),
              QStringLiteral("see END:VCARD and BEGIN:VCARD"));
    for (const ContactEntry &entry : all) {
        EXPECT_TRUE(entry.isNew);
        EXPECT_EQ(entry.labelIndex, 0);
        EXPECT_EQ(entry.uniqueId, entry.person->uniqueId());
    }
}

TEST(QMvCardReadTest, NestedCardsStayWithTheirOuterCard) {
    const QString text =
        QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Parent\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
                       "N:Child\r\nEND:VCARD\r\nTEL:1\r\nX-FOO:outer\r\nEND:VCARD\r\n") +
        card(QStringLiteral("After"));
    const auto table = read(text);
    const ContactTable &all = *table->first().groups.first()->contactTable;
    EXPECT_EQ(familyNames(all), QStringList({"Child", "Parent", "After"}));
    EXPECT_EQ(all[1].person->stringValueForIdentifier(QStringLiteral("FOO")), QStringLiteral("outer"));
    EXPECT_TRUE(all[0].person->customIdentifiers().isEmpty());
}

TEST(QMvCardReadTest, ProgressReportsTheOffsetPastEachCardAndCanStop) {
    const QString first = card(QStringLiteral("One"));
    const QString text = first + QStringLiteral("x\r\n") + card(QStringLiteral("Two"));
    QList<quint64> positions;
    const auto table = QMvCard().containersFromVCards(text, nullptr, [&](bool *stop, quint64 position) {
        EXPECT_FALSE(*stop);
        positions.append(position);
    });
    ASSERT_TRUE(table);
    EXPECT_EQ(positions, QList<quint64>({quint64(first.size()), quint64(text.size())}));

    int calls = 0;
    EXPECT_EQ(QMvCard().containersFromVCards(text, nullptr,
                                             [&](bool *stop, quint64) {
                                                 ++calls;
                                                 *stop = true;
                                             }),
              nullptr);
    EXPECT_EQ(calls, 1);
}

TEST(QMvCardReadTest, CategoriesMakeSortedGroupsSharingThePersonButNotTheMarks) {
    const QString text = card(QStringLiteral("One"), QStringLiteral("CATEGORIES:b, A\r\n")) +
                         card(QStringLiteral("Two"), QStringLiteral("CATEGORIES:a,b,b\r\nCATEGORIES:A\r\n")) +
                         card(QStringLiteral("Three"));
    const auto table = read(text);
    const ContainerRecord &container = table->first();
    EXPECT_EQ(groupNames(container), QStringList({"All Contacts", "A", "a", "b"}));
    const GroupRecord &b = *container.groups[3];
    EXPECT_FALSE(b.top);
    EXPECT_EQ(b.containerName, QStringLiteral("Local"));
    EXPECT_TRUE(b.uniqueId->startsWith(QStringLiteral("b-")));
    EXPECT_EQ(familyNames(*b.contactTable), QStringList({"One", "Two"}));
    EXPECT_EQ(familyNames(*container.groups[1]->contactTable), QStringList({"One", "Two"}));

    const ContactEntry &inAll = container.groups[0]->contactTable->at(0);
    ContactEntry &inB = (*b.contactTable)[0];
    EXPECT_EQ(inAll.person, inB.person);
    inB.deleted = true;
    EXPECT_FALSE(inAll.deleted);
    EXPECT_EQ(QMvCard::contactsForGroup(b, container), b.contactTable);
    GroupRecord stranger;
    stranger.uniqueId = QStringLiteral("nope");
    EXPECT_EQ(QMvCard::contactsForGroup(stranger, container), nullptr);
}

TEST(QMvCardReadTest, CategoriesAreUnfoldedSplitOnUnescapedCommasAndUnescaped) {
    EXPECT_EQ(QMvCard::findCategories2(
                  card(QStringLiteral("x"), QStringLiteral("CATEGORIES:Long na\r\n me,a\\,b,c\\\\,\r\n"))),
              QStringList({"Long name", "a,b", "c\\", ""}));
    // A category named like the all-contacts group is a group of its own.
    const auto table = read(card(QStringLiteral("x"), QStringLiteral("CATEGORIES:All Contacts\r\n")));
    ASSERT_EQ(table->first().groups.size(), 2);
    EXPECT_EQ(table->first().groups[1]->contactTable->size(), 1);
    EXPECT_EQ(table->first().groups[0]->contactTable->size(), 1);
}

TEST(QMvCardReadTest, ARejectedCardStillMakesItsGroups) {
    const auto table = read(QStringLiteral("BEGIN:VCARD\r\nCATEGORIES:Ghost\r\nBEGIN:VCARD\r\nEND:VCARD\r\n"
                                           "BEGIN:VCARD\r\nEND:VCARD\r\nEND:VCARD\r\n"));
    ASSERT_TRUE(table);
    QStringList names = groupNames(table->first());
    EXPECT_TRUE(names.contains(QStringLiteral("Ghost")));
}

TEST(QMvCardReadTest, XLinesBecomeCustomItems) {
    const QString text =
        card(QStringLiteral("One"),
             QStringLiteral("X-FOO;type=Home:1\r\nX-FOO;type=Work:2\r\nX-BAR:x:y\r\nX-ABUID:abc\r\n"
                            "X-AIM:someone\r\nitem1.X-GROUPED:g\r\nX-LONG:first\r\n  second\r\n"
                            "X-ESC:a\\nb\\\\c\r\nX-Q;type=\"a:b;c\":v\r\nX-NOLABEL;charset=x:w\r\n"
                            "item2.X-BAZ:blue\r\nitem2.X-ABLabel:_$!<Other>!$_\r\n"));
    const auto table = read(text);
    QMPerson &person = *table->first().groups.first()->contactTable->first().person;
    EXPECT_EQ(person.customIdentifiers(),
              QStringList({"FOO", "BAR", "GROUPED", "LONG", "ESC", "Q", "NOLABEL", "BAZ"}));
    EXPECT_EQ(person.cardIdentity().abUid, QStringLiteral("abc"));
    // A grouped line is an item as any other; its group's label, a framework one here, labels it.
    EXPECT_EQ(person.stringValueForIdentifier(QStringLiteral("GROUPED")), QStringLiteral("g"));
    EXPECT_EQ(person.typeForIdentifier(QStringLiteral("BAZ")), ValueKind::Labeled);
    const LabeledValueList baz =
        person.labeledValueForIdentifier(QStringLiteral("BAZ")).value_or(LabeledValueList());
    EXPECT_EQ(baz.value(0).labelText() + u'=' + baz.value(0).stringValue, QStringLiteral("other=blue"));
    EXPECT_EQ(person.typeForIdentifier(QStringLiteral("FOO")), ValueKind::Labeled);
    const LabeledValueList foo = *person.labeledValueForIdentifier(QStringLiteral("FOO"));
    ASSERT_EQ(foo.size(), 2);
    EXPECT_EQ(foo[0].labelText(), QStringLiteral("Home"));
    EXPECT_EQ(foo[0].stringValue, QStringLiteral("1"));
    EXPECT_EQ(foo[1].labelText(), QStringLiteral("Work"));
    EXPECT_EQ(person.customItemForIdentifier(QStringLiteral("FOO"))->labels, QStringList({"Home", "Work"}));
    EXPECT_EQ(person.typeForIdentifier(QStringLiteral("BAR")), ValueKind::String);
    EXPECT_EQ(person.stringValueForIdentifier(QStringLiteral("BAR")), QStringLiteral("x:y"));
    EXPECT_EQ(person.stringValueForIdentifier(QStringLiteral("LONG")), QStringLiteral("first second"));
    EXPECT_EQ(person.stringValueForIdentifier(QStringLiteral("ESC")), QStringLiteral("a\nb\\c"));
    EXPECT_EQ(person.labeledValueForIdentifier(QStringLiteral("Q"))->first().labelText(),
              QStringLiteral("a:b;c"));
    EXPECT_EQ(person.labeledValueForIdentifier(QStringLiteral("Q"))->first().stringValue,
              QStringLiteral("v"));
    // A parameter other than TYPE gives no label.
    EXPECT_EQ(person.typeForIdentifier(QStringLiteral("NOLABEL")), ValueKind::String);
    EXPECT_EQ(person.stringValueForIdentifier(QStringLiteral("NOLABEL")), QStringLiteral("w"));
}

// A card coming into a document that holds a live contact of its UID or X-ABUID is a copy
// of that contact: it gives its identity up. Others keep theirs.
TEST(QMvCardReadTest, ACopyOfAContactOfTheDocumentGivesItsIdentityUp) {
    const QString file = card(QStringLiteral("Ann"), QStringLiteral("UID:ann\r\nX-ABUID:ANN:ABPerson\r\n")) +
                         card(QStringLiteral("Bob"), QStringLiteral("UID:bob\r\nCATEGORIES:Friends\r\n")) +
                         card(QStringLiteral("Gone"), QStringLiteral("UID:gone\r\n"));
    const auto document = read(file);
    ContactTable &all = *document->first().groups.first()->contactTable;
    all.last().deleted = true;
    const struct {
        const char *lines;
        CNCardIdentity kept;
    } cases[] = {
        {"UID:ann\r\n", {}},
        {"UID:bob\r\n", {}},
        {"X-ABUID:ANN:ABPerson\r\n", {}},
        {"UID:new\r\nX-ABUID:ANN:ABPerson\r\n", {}},
        {"UID:gone\r\n", {"gone", ""}}, // its contact was deleted
        {"UID:new\r\nX-ABUID:NEW:ABPerson\r\n", {"new", "NEW:ABPerson"}},
        {"", {}},
    };
    for (const auto &c : cases) {
        const auto incoming = read(card(QStringLiteral("Copy"), QString::fromLatin1(c.lines)));
        const ContactTable &contacts = *incoming->first().groups.first()->contactTable;
        QMvCard::forgetIdentitiesHeldIn(contacts, *document);
        EXPECT_EQ(contacts.first().person->cardIdentity(), c.kept) << c.lines;
    }
    EXPECT_EQ(all.first().person->cardIdentity().uid, QStringLiteral("ann")) << "the document's own stay";
}

// Extensions the serializer reads as fields are no custom items, or an export would write
// them twice.
TEST(QMvCardReadTest, ExtensionsReadAsFieldsAreNoCustomItems) {
    auto table =
        read(card(QStringLiteral("One"), QStringLiteral("X-ABDATE:2000-01-02\r\nX-MAIDENNAME:Moss\r\n"
                                                        "X-GTALK:someone\r\nx-abrelatednames:Sue\r\n")));
    QMPerson &person = *table->first().groups.first()->contactTable->first().person;
    EXPECT_TRUE(person.customIdentifiers().isEmpty());
    EXPECT_EQ(person.datesValues().size(), 1);
    EXPECT_EQ(person.nameValue().previousFamilyName, QStringLiteral("Moss"));
}

TEST(QMvCardReadTest, PlainAndLabeledLinesOfOneItemMakeOneLabeledItem) {
    for (const QString &lines : {QStringLiteral("X-FOO:plain\r\nX-FOO;type=Home:1\r\n"),
                                 QStringLiteral("X-FOO;type=Home:1\r\nX-FOO:plain\r\n")}) {
        auto table = read(card(QStringLiteral("One"), lines));
        QMPerson &person = *table->first().groups.first()->contactTable->first().person;
        EXPECT_EQ(person.typeForIdentifier(QStringLiteral("FOO")), ValueKind::Labeled);
        const LabeledValueList values = *person.labeledValueForIdentifier(QStringLiteral("FOO"));
        ASSERT_EQ(values.size(), 2);
        QStringList texts = {values[0].stringValue, values[1].stringValue};
        EXPECT_TRUE(texts.contains(QStringLiteral("plain")) && texts.contains(QStringLiteral("1")));
        // Every later enumeration of the item works.
        EXPECT_EQ(person.customValueForIdentifier(QStringLiteral("FOO")).has_value(), true);
    }
}

// A document reads while another exports: each touches only its own contacts and the
// guarded class-level tables (run under ThreadSanitizer).
TEST(QMvCardReadTest, ReadingAndWritingOnSeveralThreadsAtOnce) {
    QString text;
    for (int i = 0; i < 30; ++i)
        text += card(QStringLiteral("N%1").arg(i), QStringLiteral("CATEGORIES:G%1\r\nX-ITEM;type=L%2:v\r\n"
                                                                  "item1.TEL:1\r\nitem1.X-ABLabel:lab%2\r\n")
                                                       .arg(i % 3)
                                                       .arg(i));
    // As in the program, the main thread has made a contact (and met the settings) first.
    QMPerson first;
    std::vector<std::thread> threads;
    std::vector<int> counts(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const auto table = QMvCard().containersFromVCards(text);
            const ContainerRecord &container = table->first();
            const auto written = QMvCard().vCardsFromContacts(*QMvCard::contactsInContainer(container),
                                                              {VCardOption::Custom, VCardOption::Categories},
                                                              &container, {}, QList<CustomItemDefinition>());
            counts[t] =
                int(QMvCard::contactsInContainer(QMvCard().containersFromVCards(*written)->first())->size());
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(counts, std::vector<int>(4, 30));
}

// Real files of other programs: each is read whole, and each card becomes a contact.
TEST(QMvCardReadTest, EverySharedFileIsRead) {
    int contacts = 0;
    int filesRead = 0;
    QHash<QString, ContactTable> byFile;
    for (const auto &[name, text] : sharedVCardFiles()) {
        const auto table = QMvCard().containersFromVCards(text);
        ASSERT_TRUE(table) << name.toStdString();
        const ContactTable &all = *QMvCard::contactsInContainer(table->first());
        byFile.insert(name, all);
        contacts += int(all.size());
        ++filesRead;
    }
    if (filesRead == 0)
        GTEST_SKIP() << "no shared test files";
    EXPECT_GT(contacts, 70);
    EXPECT_EQ(byFile.value(QStringLiteral("v21_multiple_entry.vcf")).size(), 3);
    EXPECT_EQ(byFile.value(QStringLiteral("v21_nest.vcf")).size(), 3);
    EXPECT_EQ(byFile.value(QStringLiteral("gmail-list.vcf")).size(), 3);
    EXPECT_EQ(byFile.value(QStringLiteral("John_Doe_ANDROID.vcf")).size(), 6);
    const ContactTable iphone = byFile.value(QStringLiteral("John_Doe_IPHONE.vcf"));
    ASSERT_EQ(iphone.size(), 1);
    EXPECT_EQ(iphone[0].person->nameValue().firstName, QStringLiteral("John"));
    EXPECT_EQ(iphone[0].person->nameValue().lastName, QStringLiteral("Doe"));
    EXPECT_FALSE(iphone[0].person->phoneValues().isEmpty());
    const ContactTable japanese = byFile.value(QStringLiteral("v21_japanese_1.vcf"));
    ASSERT_EQ(japanese.size(), 1);
    EXPECT_EQ(japanese[0].person->nameValue().lastName, QStringLiteral("安藤ロイド"));
}

} // namespace

namespace {

// Any cut of a real file reads without harm: the cards before the cut stay, nothing else
// appears.
TEST(QMvCardReadTest, CutFilesKeepTheCardsBeforeTheCut) {
    for (const QString &text : sharedVCardTexts()) {
        const qsizetype whole = QMvCard::contactsInContainer(read(text)->first())->size();
        for (qsizetype cut = 0; cut < text.size(); cut += std::max<qsizetype>(1, text.size() / 23)) {
            const auto table = read(text.left(cut));
            ASSERT_TRUE(table);
            EXPECT_LE(QMvCard::contactsInContainer(table->first())->size(), whole);
            QMvCard::findCategories2(QStringView(text).mid(cut));
        }
    }
}

} // namespace

namespace {

// Files as other programs write them: each case once lost, doubled or mangled a value.

QString hazardText(const QString &name) {
    QFile file(QStringLiteral(TESSARIN_VCARD_TESTDATA "/../hazards/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A copy: the entries share their contacts, which outlive the table read.
ContactTable allContacts(const std::shared_ptr<ContainerTable> &table) {
    return *QMvCard::contactsInContainer(table->first());
}

QStringList phones(QMPerson &person) {
    QStringList numbers;
    for (const LabeledValueRecord &phone : person.phoneValues())
        numbers.append(phone.labelText() + u':' + phone.valueText());
    return numbers;
}

// Each check runs on the text as read, then as read again after an export.
template <typename Check> void afterReadAndExport(const QString &text, Check check) {
    const VCardRoundTrip::Trip trip = VCardRoundTrip::travel(text);
    for (const auto &table : {trip.first, trip.second})
        check(allContacts(table), table->first());
}

TEST(QMvCardReadTest, ACardWithoutEndEndsAtTheNextCardAndIsKeptWhenItHasAName) {
    const ContactTable all =
        allContacts(read(hazardText(QStringLiteral("lost_card_after_card_without_end.vcf"))));
    EXPECT_EQ(familyNames(all), QStringList({"Broken", "Good1", "Good2", "Good3"}));
    EXPECT_EQ(phones(*all[0].person), QStringList({"No label:111"}));
    EXPECT_EQ(phones(*all[1].person), QStringList({"No label:222"}));
    // Without a name or company it is dropped; the cards around it stay, at the end too.
    const QString nameless = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nTEL:1\r\n");
    EXPECT_EQ(familyNames(allContacts(read(nameless + card(QStringLiteral("After")) + nameless))),
              QStringList({"After"}));
    EXPECT_EQ(familyNames(allContacts(
                  read(card(QStringLiteral("One")) + QStringLiteral("BEGIN:VCARD\r\nORG:Acme\r\n")))),
              QStringList({"One", ""}));
    // A card may start after a byte-order mark (files joined end to end) or blanks.
    EXPECT_EQ(familyNames(
                  allContacts(read(card(QStringLiteral("One")) + QChar(0xFEFF) + card(QStringLiteral("Two")) +
                                   QStringLiteral(" \t") + card(QStringLiteral("Three"))))),
              QStringList({"One", "Two", "Three"}));
}

// A card kept without its END is named, in file order; one left out is counted instead.
TEST(QMvCardReadTest, ACardKeptWithoutEndIsNamedAsIncomplete) {
    QFile sample(QStringLiteral(":/samples/Sample.vcf"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QString whole = QString::fromUtf8(sample.readAll());
    // Cut inside the mobile number of the third card.
    const QString cut = whole.left(whole.indexOf(QStringLiteral("090-1202-3414")) + 4);
    const QString nameless = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nTEL:1\r\n");
    const struct {
        QString text;
        QStringList incomplete;
        qsizetype leftOut;
    } cases[] = {
        {cut, {QStringLiteral("佐藤 花子")}, 0},
        {hazardText(QStringLiteral("lost_card_after_card_without_end.vcf")), {QStringLiteral("Card Broken")}, 0},
        {nameless + card(QStringLiteral("After")) + nameless, {}, 2},
        {QStringLiteral("BEGIN:VCARD\r\nN:;Al;;;\r\n") + card(QStringLiteral("One")) +
             QStringLiteral("BEGIN:VCARD\r\nORG:Acme\r\n"),
         {QStringLiteral("Al"), QStringLiteral("Acme")},
         0},
        {whole, {}, 0},
    };
    for (const auto &c : cases) {
        VCardLeftOut leftOut;
        QMvCard().containersFromVCards(c.text, nullptr, {}, &leftOut);
        EXPECT_EQ(leftOut.incompleteCards, c.incomplete) << c.text.left(60).toStdString();
        EXPECT_EQ(leftOut.cards, c.leftOut) << c.text.left(60).toStdString();
        EXPECT_EQ(leftOut.nothingLeftOut(), c.leftOut == 0) << c.text.left(60).toStdString();
    }
    // The card is kept as read, also through an export.
    afterReadAndExport(cut, [](const ContactTable &all, const ContainerRecord &) {
        ASSERT_EQ(all.size(), 3);
        EXPECT_EQ(phones(*all[2].person).last(), QStringLiteral("mobile:090-"));
    });
}

// A backslash before a quote stands for the quote: it neither stays nor doubles on export.
TEST(QMvCardReadTest, EscapedQuotesReadAsQuotesAndGoOutAsThem) {
    const QString text = card(QStringLiteral("O\\'Neil"), QStringLiteral("NOTE:\\\"AS IS\\\" \\x\r\n"));
    afterReadAndExport(text, [](const ContactTable &all, const ContainerRecord &) {
        QMPerson &person = *all.first().person;
        EXPECT_EQ(person.nameValue().lastName, QStringLiteral("O'Neil"));
        EXPECT_EQ(person.stringValueForIdentifier(FieldId::Note), QStringLiteral("\"AS IS\" \\x"));
    });
    EXPECT_TRUE(VCardRoundTrip::travel(text).exported.contains(QStringLiteral("NOTE:\"AS IS\" \\\\x\r\n")));
}

// A group whose name starts with X- is no custom item: the property is the field, and an
// export writes it once.
TEST(QMvCardReadTest, PropertiesInXGroupsAreFields) {
    afterReadAndExport(hazardText(QStringLiteral("rt_xgroup_duplicates.vcf")) +
                           hazardText(QStringLiteral("rt_xgroup_url_min.vcf")),
                       [](const ContactTable &all, const ContainerRecord &) {
                           ASSERT_EQ(all.size(), 2);
                           EXPECT_EQ(phones(*all[0].person), QStringList({"mobile:+1 555 0100"}));
                           const LabeledValueList addresses = all[0].person->addressValues();
                           ASSERT_EQ(addresses.size(), 1);
                           EXPECT_EQ(addresses[0].street + u'|' + addresses[0].city,
                                     QStringLiteral("1 Main St|Town"));
                           EXPECT_EQ(all[1].person->urlValues().value(0).valueText(), QStringLiteral("l"));
                           for (const ContactEntry &entry : all)
                               EXPECT_TRUE(entry.person->customIdentifiers().isEmpty());
                       });
}

// Property and parameter names ignore case; a group or parameters do not change what a
// line is; TYPE, quoted or not, is the label.
TEST(QMvCardReadTest, CategoriesAndXLinesFollowTheVCardRules) {
    const QString text =
        hazardText(QStringLiteral("rt_custom_label_params.vcf")) +
        card(QStringLiteral("Two"),
             QStringLiteral("categories:lower\r\nCATEGORIES;CHARSET=UTF-8:param\r\n"
                            "item1.CATEGORIES:grouped\r\nx-lower:a\r\nX-CS;CHARSET=UTF-8:plain\r\n"
                            "X-BARE;HOME:b\r\nCategories;ENCODING=QUOTED-PRINTABLE:=C3=A9t=C3=A9\r\n"));
    afterReadAndExport(text, [](const ContactTable &all, const ContainerRecord &container) {
        QStringList groups;
        for (const SharedGroup &group : container.groups)
            groups.append(group->name + u':' + QString::number(group->contactTable->size()));
        EXPECT_EQ(groups, QStringList({"All Contacts:2", "grouped:1", "lower:1", "param:1", "été:1"}));
        QMPerson &jane = *all[0].person;
        EXPECT_EQ(jane.labeledValueForIdentifier(QStringLiteral("HOBBY")), (LabeledValueList{[] {
                      LabeledValueRecord chess;
                      chess.label = QStringLiteral("home");
                      chess.value = chess.stringValue = QStringLiteral("Chess");
                      chess.labelIndex = 0;
                      return chess;
                  }()}));
        EXPECT_EQ(jane.labeledValueForIdentifier(QStringLiteral("PET"))->value(0).labelText(),
                  QStringLiteral("dog, cat"));
        QMPerson &two = *all[1].person;
        EXPECT_EQ(two.customIdentifiers(), QStringList({"lower", "CS", "BARE"}));
        EXPECT_EQ(two.stringValueForIdentifier(QStringLiteral("CS")), QStringLiteral("plain"));
        EXPECT_EQ(two.labeledValueForIdentifier(QStringLiteral("BARE"))->value(0).labelText(),
                  QStringLiteral("HOME"));
    });
}

// The reader's one trimming rule on the program's own lines: custom items and the note
// keep every character, labels and group names lose white space and byte-order marks at
// their ends; an export reads back the same.
TEST(QMvCardReadTest, WhiteSpaceAndByteOrderMarksInCustomItemsGroupsAndTheNote) {
    const QString bom(QChar(0xFEFF));
    const QString blank = QStringLiteral(" ");
    const std::pair<QString, QString> edges[] = {{blank, {}},       {QStringLiteral("\t") + bom, {}},
                                                 {bom + bom, {}},   {bom + blank, {}},
                                                 {{}, blank + bom}, {bom, bom + bom}};
    for (const auto &[before, after] : edges) {
        const QString value = before + QStringLiteral("v") + after;
        const QString text =
            card(QStringLiteral("One"), QStringLiteral("X-PLAIN:%1\r\nX-LABELED;type=%1:%1\r\n"
                                                       "CATEGORIES:%1\r\nNOTE:%1\r\n")
                                            .arg(value));
        afterReadAndExport(text, [&value](const ContactTable &all, const ContainerRecord &container) {
            QMPerson &person = *all[0].person;
            EXPECT_EQ(person.stringValueForIdentifier(QStringLiteral("PLAIN")), value);
            const LabeledValueRecord labeled = person.labeledValueForIdentifier(QStringLiteral("LABELED"))
                                                   .value_or(LabeledValueList())
                                                   .value(0);
            EXPECT_EQ(labeled.labelText(), QStringLiteral("v"));
            EXPECT_EQ(labeled.stringValue, value);
            EXPECT_EQ(person.stringValueForIdentifier(FieldId::Note), value);
            EXPECT_EQ(groupNames(container), QStringList({"All Contacts", "v"}));
        });
    }
}

// Cards are cut at the line ends the reader knows: a value may hold other breaks.
TEST(QMvCardReadTest, AValueWithAnotherKindOfLineBreakCutsNoCard) {
    for (const QChar separator : {QChar(0x0B), QChar(0x0C), QChar(0x85), QChar(0x2028), QChar(0x2029)}) {
        const QString value = QStringLiteral("a") + separator + QStringLiteral("BEGIN:VCARD");
        afterReadAndExport(card(QStringLiteral("One"), QStringLiteral("X-ITEM:%1\r\n").arg(value)) +
                               card(QStringLiteral("Two")),
                           [&value](const ContactTable &all, const ContainerRecord &) {
                               EXPECT_EQ(familyNames(all), QStringList({"One", "Two"}));
                               EXPECT_EQ(all[0].person->stringValueForIdentifier(QStringLiteral("ITEM")),
                                         value);
                           });
    }
}

// Other writers mark a company by an empty N and an FN that is the ORG.
TEST(QMvCardReadTest, ACompanyCardOfAnotherWriterStaysACompany) {
    const QString text =
        QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:Acme Inc.\r\nORG:Acme Inc.;\r\n"
                       "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN:Globex\r\nORG:Globex \r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nORG:Acme Inc.\r\nEND:VCARD\r\n");
    afterReadAndExport(text, [](const ContactTable &all, const ContainerRecord &) {
        QStringList cards;
        for (const ContactEntry &entry : all)
            cards.append(
                (entry.person->showAsPerson() ? QStringLiteral("person ") : QStringLiteral("company ")) +
                entry.person->compositeName() + u'|' + entry.person->nameValue().firstName);
        EXPECT_EQ(cards.join(u'/').toStdString(),
                  "company Acme Inc.|/company Globex |/person Ann Lee|Ann Lee");
    });
}

// Writers fold at 75 octets, inside a character as often as not: the file is UTF-8 only
// once unfolded.
TEST(QMvCardReadTest, AFoldInsideAUtf8CharacterDecodesInUtf8AndAutomatically) {
    const QByteArray name = QStringLiteral("Δημήτρης").toUtf8();
    QByteArray folded;
    for (const QByteArray &fold : {QByteArray("\r\n "), QByteArray("\n\t")}) // inside μ, then inside ρ
        folded += "BEGIN:VCARD\r\nN:;" + name.left(5) + fold + name.mid(5) + ";;;\r\nNOTE:" + name.left(11) +
                  fold + name.mid(11) + "\r\nEND:VCARD\r\n";
    QStringDecoder strict(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString asItStands = strict.decode(folded);
    ASSERT_TRUE(strict.hasError());
    for (const TextEncoding::Constant encoding : {TextEncoding::UTF8, TextEncoding::Automatic}) {
        const auto decoded = TextEncoding::decode(folded, encoding);
        ASSERT_TRUE(decoded.ok) << encoding;
        EXPECT_EQ(decoded.usedEncoding, TextEncoding::UTF8);
        for (const ContactEntry &entry : allContacts(read(decoded.text)))
            EXPECT_EQ(entry.person->nameValue().firstName +
                          entry.person->stringValueForIdentifier(FieldId::Note),
                      QString::fromUtf8(name + name));
    }
    // Bytes that no unfolding makes UTF-8 still fail.
    EXPECT_FALSE(TextEncoding::decode(folded + "NOTE:\xCE\r\n \x41\r\n", TextEncoding::UTF8).ok);
}

TEST(QMvCardReadTest, WhatReadingLeavesOutIsCounted) {
    const QString text =
        QStringLiteral("BEGIN:VCARD\r\nTEL:1\r\n") +
        card(QStringLiteral("One"), QStringLiteral("X-EMPTY:\r\nX-Note:shadows a field\r\nX-OK:1\r\n")) +
        QStringLiteral("BEGIN:VCARD\r\n").repeated(12) + QStringLiteral("END:VCARD\r\n").repeated(12);
    VCardLeftOut leftOut;
    const auto table = QMvCard().containersFromVCards(text, nullptr, {}, &leftOut);
    EXPECT_EQ(leftOut.cards, 1);
    EXPECT_EQ(leftOut.nestedCards, 12 - CNContactVCardSerialization::maximumNesting);
    EXPECT_EQ(leftOut.customItems, 2);
    EXPECT_EQ(leftOut.photos, 0);
    EXPECT_EQ(allContacts(table).first().person->customIdentifiers(), QStringList({"OK"}));
    QMvCard().containersFromVCards(card(QStringLiteral("Fine")), nullptr, {}, &leftOut);
    EXPECT_TRUE(leftOut.isEmpty());
}

} // namespace

namespace {

// Several thousand cards, so that a reading spreads over many batches: categories, labels
// new to the tables (named after `tag`), custom items, nested cards, cards without END
// with and without a name, and lines that are no card.
QString manyCards(const QString &tag) {
    QString text;
    for (int i = 0; i < 6000; ++i) {
        const QString extra = QStringLiteral("CATEGORIES:G%1,Shared\r\nitem1.TEL:%2\r\nitem1.X-ABLabel:%3-%4\r\n"
                                             "X-TAG;type=%3-x%5:v%2\r\nX-EMPTY:\r\nNOTE:%6\r\n")
                                  .arg(i % 7)
                                  .arg(i)
                                  .arg(tag)
                                  .arg(i / 500)
                                  .arg(i % 3)
                                  .arg(QString(i % 20, QLatin1Char('n')));
        if (i % 997 == 5)
            text += QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Outer%1\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
                                   "N:Inner%1\r\nEND:VCARD\r\nEND:VCARD\r\n")
                        .arg(i);
        else if (i % 1201 == 7)
            text += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nTEL:%1\r\n").arg(i);
        else if (i % 1301 == 9)
            text += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Open%1;;;;\r\n").arg(i);
        else
            text += card(QStringLiteral("N%1").arg(i), extra) + (i % 10 == 0 ? QStringLiteral("junk\r\n") : QString());
    }
    return text;
}

struct Reading {
    std::shared_ptr<ContainerTable> table;
    QList<quint64> positions;
    VCardLeftOut leftOut;
};

Reading readOn(int threads, const QString &text) {
    Reading reading;
    reading.table = QMvCard(threads).containersFromVCards(
        text, nullptr, [&](bool *, quint64 position) { reading.positions.append(position); }, &reading.leftOut);
    return reading;
}

QStringList labelsWith(const QString &identifier, const QString &tag) {
    QStringList words = QMPerson::labelsForIdentifier(identifier).value_or(QStringList());
    words.removeIf([&](const QString &word) { return !word.startsWith(tag); });
    return words;
}

// Spread over threads, a reading gives what one thread gives: the same contacts in the same
// order and groups, the same counts, progress after each card, and labels registered in
// file order.
TEST(QMvCardReadTest, ReadingOnSeveralThreadsGivesWhatOneThreadGives) {
    const QString one = manyCards(QStringLiteral("one"));
    const QString many = manyCards(QStringLiteral("many"));
    const Reading alone = readOn(1, one);
    const Reading spread = readOn(8, many);
    ASSERT_TRUE(alone.table && spread.table);
    EXPECT_EQ(spread.positions, readOn(1, many).positions);
    EXPECT_EQ(spread.positions.size(), alone.positions.size());
    EXPECT_TRUE(std::is_sorted(spread.positions.cbegin(), spread.positions.cend()));
    EXPECT_EQ(spread.positions.last(), quint64(many.size()));
    for (const VCardLeftOut &leftOut : {alone.leftOut, spread.leftOut}) {
        EXPECT_EQ(leftOut.cards, 5);
        EXPECT_EQ(leftOut.customItems, 6000 - 5 - 5 - 7);
        EXPECT_EQ(leftOut.incompleteCards,
                  QStringList({"Open9", "Open1310", "Open2611", "Open3912", "Open5213"}));
    }
    const ContainerRecord &a = alone.table->first();
    const ContainerRecord &b = spread.table->first();
    EXPECT_EQ(groupNames(b), groupNames(a));
    ASSERT_EQ(a.groups.size(), b.groups.size());
    for (qsizetype g = 0; g < a.groups.size(); ++g)
        EXPECT_EQ(familyNames(*b.groups[g]->contactTable), familyNames(*a.groups[g]->contactTable));
    const ContactTable &all = *b.groups.first()->contactTable;
    EXPECT_EQ(all.size(), 6000 - 5 + 7);
    EXPECT_EQ(all[100].person->customIdentifiers(), QStringList({"TAG"}));
    QStringList expected;
    for (int block = 0; block < 12; ++block)
        expected.append(QStringLiteral("many-%1").arg(block));
    EXPECT_EQ(labelsWith(FieldId::Phone, QStringLiteral("many-")), expected);
    EXPECT_EQ(labelsWith(QStringLiteral("TAG"), QStringLiteral("many-")),
              QStringList({"many-x0", "many-x1", "many-x2"}));
}

TEST(QMvCardReadTest, StoppingAReadingOnSeveralThreadsStopsAtOnce) {
    const QString text = manyCards(QStringLiteral("stop"));
    for (const int stopAt : {1, 700, 4000}) {
        int calls = 0;
        EXPECT_EQ(QMvCard(4).containersFromVCards(text, nullptr,
                                                  [&](bool *stop, quint64) { *stop = ++calls == stopAt; }),
                  nullptr);
        EXPECT_EQ(calls, stopAt);
    }
}

} // namespace
