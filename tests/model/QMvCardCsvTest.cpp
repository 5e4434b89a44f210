#include "tests/model/PersonTestSupport.h"
#include "tests/model/QMvCardTestSupport.h"

#include "model/QMvCard.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

LabeledValueRecord addressRecord(const QString &label, const QString &street, const QString &city,
                                 const QString &state, const QString &zip) {
    LabeledValueRecord record;
    record.label = label;
    record.street = street;
    record.city = city;
    record.state = state;
    record.zip = zip;
    return record;
}

// A person with values of every column, some of them awkward for CSV.
std::shared_ptr<QMPerson> fullPerson() {
    auto person = std::make_shared<QMPerson>();
    NameRecord name;
    name.firstName = QStringLiteral("Ann \"A\"");
    name.lastName = QStringLiteral("Lee, Jr");
    person->setValue(name, FieldId::Name);
    person->addPhoneValue(textRecord(QStringLiteral("work"), QStringLiteral("03-2222")));
    person->addEmailValue(textRecord(QStringLiteral("work"), QStringLiteral("ann@work.example")));
    person->addAddressValue(addressRecord(QStringLiteral("home"), QStringLiteral("1 Main St\nFlat 2"),
                                          QStringLiteral("Springfield"), QStringLiteral("IL"),
                                          QStringLiteral("62701")));
    BirthdayRecord birthday;
    birthday.value = DateComponents(2001, 2, 3);
    person->setValue(birthday, FieldId::Birthday);
    person->setValue(QStringLiteral("Dr."), FieldId::Title);
    person->setValue(QStringLiteral("Acme, Inc."), FieldId::Company);
    person->setValue(QStringLiteral("R&D"), FieldId::Department);
    person->setValue(QStringLiteral("Engineer"), FieldId::JobTitle);
    person->setValue(QStringLiteral("Annie"), FieldId::Nickname);
    person->setValue(QStringLiteral("line one\r\nline two\twith \"tab\""), FieldId::Note);
    LabeledValueRecord profile;
    profile.label = CNSocialProfileServiceLinkedIn;
    profile.value = QStringLiteral("annlee");
    person->addSnsValue(profile);
    return person;
}

ContactTable entries(const QList<std::shared_ptr<QMPerson>> &persons) {
    ContactTable table;
    for (const auto &person : persons)
        table.append(ContactEntry::withPerson(person));
    return table;
}

TEST(QMvCardCsvTest, EmptyListGivesTheHeaderLineAlone) {
    const QString text = QMvCard().csvFromSubContacts(ContactTable());
    EXPECT_EQ(text, QStringLiteral("Name,Home Phone,Work Phone,Other Phone,Home Email,Work Email,Other Email,"
                                   "Home ZIP,Home State,Home City,Home Street,Work ZIP,Work State,Work City,"
                                   "Work Street,Other ZIP,Other State,Other City,Other Street,Birthday,Title,"
                                   "Company,Department,Job Title,First Name,Last Name,Nickname,Note,Facebook,"
                                   "LinkedIn,Flickr,SinaWeibo\n"));
}

TEST(QMvCardCsvTest, CellsAreQuotedAsRfc4180SaysAndNamelessContactsHaveAnEmptyName) {
    auto person = std::make_shared<QMPerson>();
    person->setValue(QStringLiteral("say \"hi\""), FieldId::Company);
    person->setValue(QStringLiteral("a\nb"), FieldId::Note);
    auto nameless = std::make_shared<QMPerson>();
    nameless->addPhoneValue(textRecord(QStringLiteral("home"), QStringLiteral("1")));
    const QString text = QMvCard().csvFromSubContacts(entries({person, nameless}));
    const QStringList lines = text.split(u'\n');
    EXPECT_TRUE(lines[1].contains(QStringLiteral(",\"say \"\"hi\"\"\",")));
    EXPECT_TRUE(text.contains(QStringLiteral(",\"a\nb\",,,,\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n,1,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,\n")));
}

TEST(QMvCardCsvTest, EachValueStandsInTheColumnOfItsLabelAndOtherLabelsInTheOtherColumn) {
    auto person = std::make_shared<QMPerson>();
    person->addPhoneValue(textRecord(QStringLiteral("mobile"), QStringLiteral("090")));
    person->addPhoneValue(textRecord(QStringLiteral("home"), QStringLiteral("03")));
    QList<ContactEntry> rows = entries({person});
    rows.append(rows.first());
    rows[1].labelIndex = 1;
    const QStringList lines = QMvCard().csvFromSubContacts(rows).split(u'\n');
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral(",,,090,")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral(",03,,,")));
    DefaultLocale japanese{QLocale(QLocale::Japanese, QLocale::Japan)};
    EXPECT_TRUE(QMvCard().csvFromSubContacts(rows).split(u'\n')[2].startsWith(QStringLiteral(",03,,,")));
}

TEST(QMvCardCsvTest, OneLineTextsKeepTheirForm) {
    auto person = std::make_shared<QMPerson>();
    NameRecord name;
    name.firstName = QStringLiteral("Ann");
    person->setValue(name, FieldId::Name);
    person->addPhoneValue(textRecord(QStringLiteral("home"), QStringLiteral("123")));
    person->setValue(QStringLiteral("a\nb\tc"), FieldId::Note);
    const ContactEntry entry = ContactEntry::withPerson(person);
    QMvCard card;
    EXPECT_EQ(card.csvStringFromContact(entry, {FieldId::Name, FieldId::Phone}, QStringLiteral("\t"), false),
              QStringLiteral("Ann\thome:123"));
    EXPECT_EQ(card.csvStringFromContact(entry, {FieldId::Note}, QStringLiteral(","), false),
              QStringLiteral("a\\nb\\tc"));
    EXPECT_EQ(card.csvStringFromContact(entry, {FieldId::Department}, QStringLiteral(","), false),
              QStringLiteral(","));
    EXPECT_EQ(card.csvStringFromContact(entry, {FieldId::Department, FieldId::Nickname}, QStringLiteral(","),
                                        false),
              QStringLiteral(","));
    EXPECT_EQ(card.stringForIdentifier(FieldId::Phone, QString(), -1, *person, false), QString());
    EXPECT_EQ(card.stringForIdentifier(FieldId::Phone, QStringLiteral("work"), 0, *person, false), QString());
    EXPECT_EQ(card.stringForIdentifier(FieldId::Phone, QString(), 5, *person, false), QString());
    EXPECT_EQ(card.stringForIdentifier(FieldId::Name, QString(), 0, *std::make_shared<QMPerson>(), false),
              NoName);
}

TEST(QMvCardCsvTest, HeadingsAreDetectedByTheirWords) {
    EXPECT_EQ(QMvCard::detectType(QStringLiteral("Nickname")), FieldId::Nickname);
    EXPECT_EQ(QMvCard::detectType(QStringLiteral("Company Name")), FieldId::Name);
    EXPECT_EQ(QMvCard::detectType(QStringLiteral("Job Title")), FieldId::JobTitle);
    EXPECT_EQ(QMvCard::detectType(QStringLiteral("work zip")), FieldId::Address);
    EXPECT_EQ(QMvCard::detectType(QStringLiteral("Fax")), QString());
    EXPECT_EQ(QMvCard::detectLabel(QStringLiteral("Business Phone")), QStringLiteral("work"));
    EXPECT_EQ(QMvCard::detectLabel(QStringLiteral("Mobile Phone")), QStringLiteral("mobile"));
    EXPECT_EQ(QMvCard::detectLabel(QStringLiteral("Pager")), QStringLiteral("other"));
    EXPECT_EQ(QMvCard::detectAddressType(QStringLiteral("Home Street 2")), FieldId::Street);

    // Exporters' headings are looked up first; ours, and any other, keep the word test.
    for (const char *heading :
         {"Home Phone", "Company", "Title", "Company Name", "Phone (Home)", "Note 1 - Text"})
        EXPECT_FALSE(QMvCard::foreignColumn(QString::fromLatin1(heading))) << heading;
    const auto given = QMvCard::foreignColumn(QStringLiteral("given name"));
    ASSERT_TRUE(given);
    EXPECT_EQ(given->type, FieldId::FirstName);
    const auto fax = QMvCard::foreignColumn(QStringLiteral("Business Fax"));
    ASSERT_TRUE(fax);
    EXPECT_EQ(fax->type, FieldId::Phone);
    EXPECT_EQ(fax->label, QStringLiteral("work fax"));
    const auto slotLabel = QMvCard::foreignColumn(QStringLiteral("E-mail 3 - Label"));
    ASSERT_TRUE(slotLabel);
    EXPECT_TRUE(slotLabel->slotLabel);
    EXPECT_EQ(slotLabel->slot, QMvCard::foreignColumn(QStringLiteral("E-mail 3 - Value"))->slot);
    for (const char *ignored :
         {"Yomi Name", "Relation 1 - Value", "Organization 2 - Name", "Assistant's Name"})
        EXPECT_EQ(QMvCard::foreignColumn(QString::fromLatin1(ignored))->type, QStringLiteral("Unknown"))
            << ignored;
}

// Our CSV read back gives the same fields; Python's csv module reads the same cells.
TEST(QMvCardCsvTest, RoundTripAndPythonsCsvModule) {
    auto person = fullPerson();
    auto company = std::make_shared<QMPerson>();
    company->setValue(QStringLiteral("Widgets, Ltd"), FieldId::Company);
    NameRecord asCompany;
    asCompany.showAsPerson = false;
    company->setValue(asCompany, FieldId::Name);
    auto noYear = std::make_shared<QMPerson>();
    BirthdayRecord birthday;
    birthday.value = DateComponents(DateComponents::Undefined, 12, 24);
    noYear->setValue(birthday, FieldId::Birthday);
    noYear->addPhoneValue(textRecord(QStringLiteral("iPhone"), QStringLiteral("555")));

    const QString text = QMvCard().csvFromSubContacts(entries({person, company, noYear}));
    const ContactTable read = QMvCard().contactsFromCSV(QChar(0xFEFF) + text);
    ASSERT_EQ(read.size(), 3);
    QMPerson &ann = *read[0].person;
    EXPECT_EQ(ann.nameValue().firstName, QStringLiteral("Ann \"A\""));
    EXPECT_EQ(ann.nameValue().lastName, QStringLiteral("Lee, Jr"));
    EXPECT_TRUE(ann.showAsPerson());
    ASSERT_EQ(ann.phoneValues().size(), 1);
    EXPECT_EQ(ann.phoneValues()[0].labelText(), QStringLiteral("work"));
    EXPECT_EQ(ann.phoneValues()[0].valueText(), QStringLiteral("03-2222"));
    EXPECT_EQ(ann.emailValues().first().valueText(), QStringLiteral("ann@work.example"));
    ASSERT_EQ(ann.addressValues().size(), 1);
    EXPECT_EQ(ann.addressValues()[0].street, QStringLiteral("1 Main St\nFlat 2"));
    EXPECT_EQ(ann.addressValues()[0].zip, QStringLiteral("62701"));
    EXPECT_EQ(ann.addressValues()[0].state, QStringLiteral("IL"));
    EXPECT_EQ(ann.birthdayValue()->value, DateComponents(2001, 2, 3));
    for (const QString &field :
         {FieldId::Title, FieldId::Company, FieldId::Department, FieldId::JobTitle, FieldId::Nickname})
        EXPECT_EQ(ann.stringValueForIdentifier(field), person->stringValueForIdentifier(field));
    EXPECT_EQ(ann.stringValueForIdentifier(FieldId::Note),
              QStringLiteral("line one\r\nline two\twith \"tab\""));
    ASSERT_EQ(ann.snsValues().size(), 1);
    EXPECT_EQ(ann.snsValues().first().service, CNSocialProfileServiceLinkedIn);
    EXPECT_EQ(ann.snsValues().first().valueText(), QStringLiteral("annlee"));
    EXPECT_FALSE(read[0].isNew);

    EXPECT_FALSE(read[1].person->showAsPerson());
    EXPECT_EQ(read[1].person->compositeName(), QStringLiteral("Widgets, Ltd"));
    EXPECT_EQ(read[2].person->birthdayValue()->value, DateComponents(DateComponents::Undefined, 12, 24));
    EXPECT_EQ(read[2].person->phoneValues().first().valueText(), QStringLiteral("555"));
    EXPECT_EQ(read[2].person->phoneValues().first().labelText(), QStringLiteral("other"));

    const QJsonArray rows = readWithPython(QStringLiteral("csv"), text.toUtf8()).array();
    ASSERT_EQ(rows.size(), 4);
    const QJsonArray annRow = rows[1].toArray();
    ASSERT_EQ(annRow.size(), 32);
    EXPECT_EQ(annRow[0].toString(), QStringLiteral("Ann \"A\" Lee, Jr"));
    EXPECT_EQ(annRow[10].toString(), QStringLiteral("1 Main St\nFlat 2"));
    EXPECT_EQ(annRow[21].toString(), QStringLiteral("Acme, Inc."));
    EXPECT_EQ(annRow[27].toString(), QStringLiteral("line one\r\nline two\twith \"tab\""));
    EXPECT_EQ(annRow[29].toString(), QStringLiteral("annlee"));
    EXPECT_EQ(rows[2].toArray()[0].toString(), QStringLiteral("Widgets, Ltd"));
}

TEST(QMvCardCsvTest, LenientReading) {
    QMvCard card;
    // No data line, a one-character line, a quoted cell with a comma after a comma, an
    // unclosed quote, and a heading line that is not ours.
    EXPECT_TRUE(card.contactsFromCSV(QStringLiteral("Name\n")).isEmpty());
    EXPECT_TRUE(card.contactsFromCSV(QString()).isEmpty());
    const ContactTable read = card.contactsFromCSV(
        QStringLiteral("First Name,Company,Note\nx\nAb,\"Big, Co\",note\n\"Cy\",Co\"x,\"open\nnote, still"));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].person->nameValue().firstName, QStringLiteral("Ab"));
    EXPECT_EQ(read[0].person->stringValueForIdentifier(FieldId::Company), QStringLiteral("Big, Co"));
    EXPECT_EQ(read[1].person->stringValueForIdentifier(FieldId::Company), QStringLiteral("Co\"x"));
    EXPECT_EQ(read[1].person->stringValueForIdentifier(FieldId::Note), QStringLiteral("open\nnote, still"));

    // Two home phone columns: the later one wins; a birthday in another language's weekday.
    const ContactTable phones = card.contactsFromCSV(QStringLiteral(
        "Name,Home Phone,Phone (Home),Birthday\r\nZed,1,2,2001.02.03(土)\r\nYu,,,someday\r\n"));
    ASSERT_EQ(phones.size(), 2);
    EXPECT_EQ(phones[0].person->nameValue().firstName, QStringLiteral("Zed"));
    ASSERT_EQ(phones[0].person->phoneValues().size(), 1);
    EXPECT_EQ(phones[0].person->phoneValues().first().valueText(), QStringLiteral("2"));
    EXPECT_EQ(phones[0].person->birthdayValue()->value, DateComponents(2001, 2, 3));
    EXPECT_FALSE(phones[1].person->birthdayValue() && phones[1].person->birthdayValue()->value);
}

// The cells of the first record, as the file's reader cuts every line.
TEST(QMvCardCsvTest, CellsOfTheFirstRecord) {
    const struct {
        const char16_t *line;
        QStringList cells;
    } cases[] = {
        {u"", {QString()}},
        {u"\n", {QString()}},
        {u",,", {QString(), QString(), QString()}},
        {u"a,\"b,c\",d\r\ne,f", {QStringLiteral("a"), QStringLiteral("b,c"), QStringLiteral("d")}},
        {u"\"x\"\"y\"z,", {QStringLiteral("x\"yz"), QString()}},
        {u"\"\",b\"\"c", {QString(), QStringLiteral("b\"\"c")}},
        {u"\"a\"b\"c\",d", {QStringLiteral("ab\"c\""), QStringLiteral("d")}},
        {u"\"two\nlines\",x\ny", {QStringLiteral("two\nlines"), QStringLiteral("x")}},
        {u"\"open,\nstill", {QStringLiteral("open,\nstill")}},
        {u"a\rb", {QStringLiteral("a")}},
    };
    for (const auto &[line, cells] : cases)
        EXPECT_EQ(QMvCard::fieldsOfCsvLine(QStringView(line)), cells)
            << QString::fromUtf16(line).toStdString();
}

TEST(QMvCardCsvTest, ACsvOfEveryKindOfLabelLosesNoPhoneOrEmail) {
    auto person = std::make_shared<QMPerson>();
    person->addPhoneValue(textRecord(QStringLiteral("home fax"), QStringLiteral("9")));
    person->addEmailValue(textRecord(QStringLiteral("school"), QStringLiteral("s@example.edu")));
    LabeledValueRecord unlabeled;
    unlabeled.value = QStringLiteral("8");
    person->addPhoneValue(unlabeled);
    QList<ContactEntry> rows = entries({person});
    rows.append(rows.first());
    rows[1].labelIndex = 1;
    const ContactTable read = QMvCard().contactsFromCSV(QMvCard().csvFromSubContacts(rows));
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0].person->phoneValues().first().valueText(), QStringLiteral("9"));
    EXPECT_EQ(read[0].person->emailValues().first().valueText(), QStringLiteral("s@example.edu"));
    EXPECT_EQ(read[1].person->phoneValues().first().valueText(), QStringLiteral("8"));
}

} // namespace

namespace {

// The address books people export from (Google in both of its formats, Outlook,
// Outlook.com, Thunderbird): one file per exporter, written with its own headings, and
// beside it what must be read from it (groups, then each contact's fields).

QString fixtureText(const QString &name) {
    QFile file(QStringLiteral(TESSARIN_MODEL_TEST_DIR "/fixtures/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString describe(QMPerson &person) {
    QStringList lines;
    auto text = [&lines](const QString &what, const QString &value) {
        if (!value.isEmpty())
            lines.append(what + QStringLiteral(": ") + QString(value).replace(u'\n', QStringLiteral("\\n")));
    };
    const NameRecord name = person.nameValue();
    text(QStringLiteral("first"), name.firstName);
    text(QStringLiteral("middle"), name.middleName);
    text(QStringLiteral("last"), name.lastName);
    text(QStringLiteral("previous"), name.previousFamilyName);
    if (const auto phonetic = person.phoneticNameValue()) {
        text(QStringLiteral("phonetic first"), phonetic->firstName);
        text(QStringLiteral("phonetic last"), phonetic->lastName);
    }
    for (const QString &field : {FieldId::Title, FieldId::Suffix, FieldId::Nickname, FieldId::Company,
                                 FieldId::Department, FieldId::JobTitle, FieldId::Note})
        text(field, person.stringValueForIdentifier(field));
    if (const auto birthday = person.birthdayValue(); birthday && birthday->value)
        text(QStringLiteral("birthday"),
             QStringLiteral("%1-%2-%3")
                 .arg(birthday->value->hasYear() ? QString::number(birthday->value->year)
                                                 : QStringLiteral("--"))
                 .arg(birthday->value->month)
                 .arg(birthday->value->day));
    for (const auto &[what, values] :
         {std::pair{"phone", person.phoneValues()}, std::pair{"email", person.emailValues()},
          std::pair{"url", person.urlValues()}})
        for (const LabeledValueRecord &record : values)
            text(QLatin1String(what) + u' ' + record.labelText(), record.valueText());
    for (const LabeledValueRecord &address : person.addressValues())
        text(QStringLiteral("address ") + address.labelText(),
             QStringList{address.street, address.city, address.state, address.zip, address.country}.join(
                 QStringLiteral(" | ")));
    return lines.join(u'\n');
}

TEST(QMvCardCsvTest, EveryValueOfTheExportersLandsInItsFieldAndGroup) {
    const QStringList files =
        QDir(QStringLiteral(TESSARIN_MODEL_TEST_DIR "/fixtures")).entryList({QStringLiteral("*.csv")});
    ASSERT_EQ(files.size(), 5);
    for (const QString &file : files) {
        const auto table = QMvCard().containersFromCSV(fixtureText(file));
        QStringList groups;
        for (const SharedGroup &group : table->first().groups.mid(1))
            groups.append(group->name + QStringLiteral(" (%1)").arg(group->contactTable->size()));
        QString read = (QStringLiteral("groups: ") + groups.join(QStringLiteral(" | "))).trimmed() + u'\n';
        for (const ContactEntry &entry : *QMvCard::contactsInContainer(table->first()))
            read += u'\n' + describe(*entry.person) + u'\n';
        EXPECT_EQ(read.toStdString(),
                  fixtureText(QString(file).replace(QStringLiteral(".csv"), QStringLiteral(".expected")))
                      .toStdString())
            << file.toStdString();
    }
}

} // namespace

namespace {

// A line whose only name is a company is the company's card, whichever address book's
// headings the file has: it shows and leaves as the company, as a vCard of a company does.
// A line with a person's name beside the company stays the person's.
TEST(QMvCardCsvTest, ALineWithOnlyACompanyIsTheCompanysCard) {
    QStringList own;
    for (const CsvColumn &column : QMvCard::csvColumns())
        own.append(column.fieldName);
    const auto ownLine = [&own](const QString &first, const QString &last) {
        QStringList cells(own.size());
        cells[own.indexOf(QStringLiteral("First Name"))] = first;
        cells[own.indexOf(QStringLiteral("Last Name"))] = last;
        cells[own.indexOf(QStringLiteral("Company"))] = QStringLiteral("Initech");
        cells[own.indexOf(QStringLiteral("Work Phone"))] = QStringLiteral("555-0100");
        return cells.join(u',');
    };
    const struct {
        const char *style;
        QString header;
        QString companyLine;
        QString personLine;
    } styles[] = {
        {"this program's", own.join(u','), ownLine({}, {}),
         ownLine(QStringLiteral("Ann"), QStringLiteral("Lee"))},
        {"name parts and company", "First Name,Last Name,Company,Work Phone", ",,Initech,555-0100",
         "Ann,Lee,Initech,555-0100"},
        {"Google", "Name,Given Name,Additional Name,Family Name,Organization 1 - Name,Phone 1 - Value",
         ",,,,Initech,555-0100", "Ann Lee,Ann,,Lee,Initech,555-0100"},
        {"Google (labels)",
         "First Name,Middle Name,Last Name,Organization Name,Phone 1 - Label,Phone 1 - Value",
         ",,,Initech,Work,555-0100", "Ann,,Lee,Initech,Work,555-0100"},
        {"Outlook",
         "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Suffix\",\"Company\",\"Business Phone\"",
         "\"\",\"\",\"\",\"\",\"\",\"Initech\",\"555-0100\"",
         "\"\",\"Ann\",\"\",\"Lee\",\"\",\"Initech\",\"555-0100\""},
        {"Outlook.com", "First Name,Middle Name,Last Name,Given Yomi,Company,Business Phone",
         ",,,,Initech,555-0100", ",Bo,,,Initech,555-0100"},
        {"Thunderbird", "First Name,Last Name,Display Name,Nickname,Organization,Work Phone",
         ",,,Ini,Initech,555-0100", "Ann,Lee,Ann Lee,,Initech,555-0100"},
    };
    for (const auto &style : styles) {
        const ContactTable read = QMvCard().contactsFromCSV(style.header + u'\n' + style.companyLine + u'\n' +
                                                            style.personLine + u'\n');
        ASSERT_EQ(read.size(), 2) << style.style;
        QMPerson &company = *read[0].person;
        EXPECT_FALSE(company.showAsPerson()) << style.style;
        EXPECT_EQ(company.compositeName(), QStringLiteral("Initech")) << style.style;
        const QString card = QMvCard().vCardFromPerson(company, {}, {});
        EXPECT_TRUE(card.contains(QStringLiteral("\r\nFN:Initech\r\n"))) << style.style << card.toStdString();
        EXPECT_TRUE(card.contains(QStringLiteral("\r\nX-ABShowAs:COMPANY\r\n"))) << style.style;
        EXPECT_EQ(company.phoneValues().size(), 1) << style.style;
        QMPerson &person = *read[1].person;
        EXPECT_TRUE(person.showAsPerson()) << style.style;
        EXPECT_NE(person.compositeName(), QStringLiteral("Initech")) << style.style;
        EXPECT_EQ(person.stringValueForIdentifier(FieldId::Company), QStringLiteral("Initech"))
            << style.style;
    }
}

// Read behind the progress window: progress after each line, at the position past it (a
// leading byte-order mark counted), and a stop gives no containers.
TEST(QMvCardCsvTest, ProgressFollowsTheLinesAndCanStop) {
    const QString header = QChar(0xFEFF) + QStringLiteral("Name,Phone\r\n");
    const QString first = QStringLiteral("\"Hopper, Grace\",1\r\n");
    const QString second = QStringLiteral("Edsger Dijkstra,\"2\n3\"");
    const QString text = header + first + second;
    QList<quint64> positions;
    const auto table = QMvCard().containersFromCSV(text, [&](bool *, quint64 at) { positions.append(at); });
    ASSERT_TRUE(table);
    EXPECT_EQ(QMvCard::contactsInContainer(table->first())->size(), 2);
    EXPECT_EQ(positions, QList<quint64>({quint64(header.size() + first.size()), quint64(text.size())}));
    int calls = 0;
    EXPECT_EQ(QMvCard().containersFromCSV(text, [&](bool *stop, quint64) { *stop = ++calls == 1; }), nullptr);
    EXPECT_EQ(calls, 1);
}

} // namespace
