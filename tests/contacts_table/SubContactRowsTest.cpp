#include "contacts_table/SubContactRows.h"
#include "ContactsTableTestSupport.h"

#include <set>

using namespace contacts_table_test;

namespace {

QList<qint64> labelIndexes(const SubContactTable &rows) {
    QList<qint64> out;
    for (const auto &row : rows)
        out.append(row->labelIndex);
    return out;
}

QStringList ids(const SubContactTable &rows) {
    QStringList out;
    for (const auto &row : rows)
        out.append(row->uniqueId);
    return out;
}

TEST(SubContactRows, SlicesKeepContactTableOrder) {
    const SubContactRows::BuildContext context{
        {FieldId::Name, FieldId::Phone}, {QStringLiteral("All")}, {}, false};
    for (const int count : {0, 3, 5, 41}) {
        QList<std::shared_ptr<QMPerson>> people;
        QStringList expected;
        for (int i = 0; i < count; ++i) {
            auto p = person(QStringLiteral("P%1").arg(i));
            // Every third contact has two phones, so it spans two rows.
            p->addPhoneValue(labeled(QStringLiteral("home"), QStringLiteral("1%1").arg(i)));
            expected.append(p->uniqueId());
            if (i % 3 == 0) {
                p->addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("2%1").arg(i)));
                expected.append(p->uniqueId());
            }
            people.append(p);
        }
        bool complete = false;
        const SubContactTable rows = SubContactRows::buildRows(*table(people), context, 10000, &complete);
        EXPECT_TRUE(complete);
        EXPECT_EQ(ids(rows), expected) << count << " contacts";
        for (const SubContactRowPtr &row : rows)
            EXPECT_EQ(row->contactPosition, people.indexOf(row->person));
    }
}

TEST(SubContactRows, SlicesPastTheDeadlineStopAndAreLeftOut) {
    QList<std::shared_ptr<QMPerson>> people;
    for (int i = 0; i < 8000; ++i)
        people.append(person(QStringLiteral("P%1").arg(i)));
    const auto contacts = table(people);
    bool complete = true;
    const SubContactTable rows = SubContactRows::buildRows(
        *contacts, {{FieldId::Name}, {QStringLiteral("All")}, {}, false}, 0, &complete);
    EXPECT_FALSE(complete);
    EXPECT_LT(rows.size(), 8000u);
    QHash<QString, int> position;
    for (int i = 0; i < people.size(); ++i)
        position.insert(people[i]->uniqueId(), i);
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(position.value(rows[i - 1]->uniqueId), position.value(rows[i]->uniqueId));
    // What was kept are whole slices: each slice's contacts all kept or all left out.
    const int slices = SubContactRows::workerCount();
    QList<int> kept(slices);
    for (const SubContactRowPtr &row : rows)
        ++kept[position.value(row->uniqueId) * slices / 8000];
    for (int i = 0; i < slices; ++i) {
        const int size = 8000 * (i + 1) / slices - 8000 * i / slices;
        EXPECT_TRUE(kept[i] == 0 || kept[i] == size)
            << "slice " << i << " kept " << kept[i] << " of " << size;
    }
}

TEST(SubContactRows, DeletedEntriesGiveNoRows) {
    auto kept = person(QStringLiteral("Kept"));
    auto gone = person(QStringLiteral("Gone"));
    auto t = table({kept, gone});
    (*t)[1].deleted = true;
    const SubContactTable rows =
        SubContactRows::buildRows(*t, {{FieldId::Name}, {QStringLiteral("All")}, {}, false}, 10000);
    EXPECT_EQ(ids(rows), QStringList{kept->uniqueId()});
}

TEST(SubContactRows, RowsUnderALabelFilter) {
    auto p = person(QStringLiteral("Filtered"));
    p->addPhoneValue(labeled(QStringLiteral("home"), QStringLiteral("1")));
    p->addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("2")));
    p->addPhoneValue(labeled(QStringLiteral("mobile"), QStringLiteral("3")));
    SubContactRows::BuildContext context{{FieldId::Name, FieldId::Phone, FieldId::Email}, {}, {}, false};
    context.selectedLabels = {QStringLiteral("All")};
    EXPECT_EQ(labelIndexes(SubContactRows::createSubContactsFromContact(entry(p), context)),
              (QList<qint64>{0, 1, 2}));
    context.selectedLabels = {QStringLiteral("mobile")};
    EXPECT_EQ(labelIndexes(SubContactRows::createSubContactsFromContact(entry(p), context)),
              (QList<qint64>{0, 2}));

    // A passing e-mail at position 1 gets its row although the phones made rows 0 and 2 first.
    p->addEmailValue(labeled(QStringLiteral("home"), QStringLiteral("a@b.c")));
    p->addEmailValue(labeled(QStringLiteral("mobile"), QStringLiteral("d@e.f")));
    EXPECT_EQ(labelIndexes(SubContactRows::createSubContactsFromContact(entry(p), context)),
              (QList<qint64>{0, 1, 2}));
    // Nothing passing: the contact keeps its first row.
    context.selectedLabels = {QStringLiteral("no such label")};
    EXPECT_EQ(labelIndexes(SubContactRows::createSubContactsFromContact(entry(p), context)),
              (QList<qint64>{0}));
}

TEST(SubContactRows, LineCountsCapTheNoteAtFiveLines) {
    auto p = person(QStringLiteral("Noted"));
    p->setValue(QStringLiteral("1\n2\n3\n4\n5\n6\n7"), FieldId::Note);
    LabeledValueRecord address = labeled(QStringLiteral("home"), {});
    address.street = QStringLiteral("a\nb\nc\nd\ne\nf");
    p->addAddressValue(address);
    auto rowsFor = [&](const QStringList &columns) {
        SubContactTable rows = SubContactRows::createSubContactsFromContact(
            entry(p), {columns, {QStringLiteral("All")}, {}, false});
        SubContactRows::markContinuationRows(rows);
        return rows.front()->numLines;
    };
    EXPECT_EQ(rowsFor({FieldId::Name, FieldId::Note}), 5);
    EXPECT_EQ(rowsFor({FieldId::Name, FieldId::Note, FieldId::Street}), 6);
    EXPECT_EQ(rowsFor({FieldId::Name, FieldId::Street, FieldId::Note}), 5);
    EXPECT_EQ(rowsFor({FieldId::Name}), 1);
}

TEST(SubContactRows, MissingDatesGoLastInBothDirections) {
    const DateComponents early(2000, 1, 2), late(2001, 1, 1);
    EXPECT_LT(SubContactRows::compareDateComponents(early, late, true), 0);
    EXPECT_GT(SubContactRows::compareDateComponents(early, late, false), 0);
    EXPECT_LT(SubContactRows::compareDateComponents(early, std::nullopt, true), 0);
    EXPECT_LT(SubContactRows::compareDateComponents(early, std::nullopt, false), 0);
    EXPECT_GT(SubContactRows::compareDateComponents(std::nullopt, late, false), 0);
    EXPECT_EQ(SubContactRows::compareDateComponents(std::nullopt, std::nullopt, true), 0);
}

// Three contacts whose values for each sort key are arranged so that the key's own order is
// known: "up" values rise with the contact's position, "down" values fall.
class SortKeys : public ::testing::Test {
protected:
    void SetUp() override {
        const QStringList up = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        const QStringList down = {QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")};
        const QStringList upLabels = {QStringLiteral("home"), QStringLiteral("other"),
                                      QStringLiteral("work")};
        const QStringList downLabels = {QStringLiteral("work"), QStringLiteral("other"),
                                        QStringLiteral("home")};
        boat.name = QStringLiteral("Boat");
        boat.type = ValueKind::Labeled;
        for (int i = 0; i < 3; ++i) {
            auto p = person(up[i] + QStringLiteral("first"), down[i] + QStringLiteral("last"));
            p->addPhoneValue(labeled(upLabels[i], QStringLiteral("555 01") + down[i]));
            p->addEmailValue(
                labeled(downLabels[i], up[i] + QStringLiteral("@") + down[i] + QStringLiteral(".com")));
            LabeledValueRecord address = labeled(upLabels[i], {});
            address.zip = QStringLiteral("100") + down[i];
            address.city = up[i] + QStringLiteral("ville");
            address.street = up[i] + QStringLiteral(" street");
            address.state = down[i] + QStringLiteral("state");
            address.country = up[i] + QStringLiteral("land");
            p->addAddressValue(address);
            LabeledValueRecord im = labeled(upLabels[i], up[i] + QStringLiteral("user"));
            im.service = down[i] + QStringLiteral("service");
            p->addImsValue(im);
            LabeledValueRecord date = labeled(upLabels[i], {});
            date.dateValue = DateComponents(2010 - i, 1, 1);
            p->addDatesValue(date);
            p->setValue(QStringLiteral("Co ") + down[i], FieldId::Company);
            p->addUrlValue(
                labeled(downLabels[i], QStringLiteral("https://") + up[i] + QStringLiteral(".example")));
            p->addRelationshipValue(labeled(upLabels[i], down[i] + QStringLiteral("relative")));
            p->addSnsValue(labeled(down[i] + QStringLiteral("social"), up[i] + QStringLiteral("name")));
            PhoneticNameRecord phonetic;
            phonetic.firstName = up[i];
            phonetic.lastName = down[i];
            p->setNameValue(phonetic, FieldId::PhoneticName);
            BirthdayRecord birthday;
            birthday.value = DateComponents(1990 + i, 5, 5);
            p->setBirthdayValue(birthday);
            p->addCustomItem(ValueKind::Labeled, boat.name, std::nullopt, std::nullopt);
            p->addLabeledValue(labeled(upLabels[i], down[i] + QStringLiteral("boat")), boat.name);
            people.append(p);
        }
    }

    // Positions of the contacts in the sorted rows.
    QList<int> order(const QString &key, bool ascending = true) {
        const QStringList columns = {FieldId::Name, FieldId::Phone, FieldId::Email};
        SubContactTable rows = SubContactRows::buildRows(
            *table(people), {columns, {QStringLiteral("All")}, {boat}, false}, 10000);
        SubContactRows::sortSubContactTable(rows, SortDescriptor{key, ascending}, {QStringLiteral("All")},
                                            {boat});
        QList<int> out;
        for (const auto &row : rows) {
            for (int i = 0; i < people.size(); ++i) {
                if (people[i]->uniqueId() == row->uniqueId)
                    out.append(i);
            }
        }
        return out;
    }

    QList<std::shared_ptr<QMPerson>> people;
    CustomItemDefinition boat;
};

TEST_F(SortKeys, EveryKindOfSortKey) {
    const QList<int> rising = {0, 1, 2}, falling = {2, 1, 0};
    const QList<std::pair<QString, QList<int>>> cases = {
        {QStringLiteral("Phone"), falling},
        {QStringLiteral("Phone label"), rising},
        {QStringLiteral("Email"), rising},
        {QStringLiteral("Email label"), falling},
        {QStringLiteral("Email domain"), falling},
        {QStringLiteral("Email username"), rising},
        {QStringLiteral("Address ZIP"), falling},
        {QStringLiteral("ZIP"), falling},
        {QStringLiteral("City"), rising},
        {QStringLiteral("Address label"), rising},
        {QStringLiteral("Instant Message username"), rising},
        {QStringLiteral("Instant Message service name"), falling},
        {QStringLiteral("Dates"), falling},
        {QStringLiteral("Dates label"), rising},
        {QStringLiteral("Birthday"), rising},
        {QStringLiteral("Phonetic FirstName"), rising},
        {QStringLiteral("Phonetic LastName"), falling},
        {QStringLiteral("Phonetic Name FirstName"), rising},
        {QStringLiteral("FirstName"), rising},
        {QStringLiteral("LastName"), falling},
        {QStringLiteral("Company"), falling},
        {QStringLiteral("compositeName"), rising},
        {QStringLiteral("Address"), rising},
        {QStringLiteral("Address Street"), rising},
        {QStringLiteral("Street"), rising},
        {QStringLiteral("Address State"), falling},
        {QStringLiteral("State"), falling},
        {QStringLiteral("Address City"), rising},
        {QStringLiteral("Address Country"), rising},
        {QStringLiteral("Country"), rising},
        {QStringLiteral("URL"), rising},
        {QStringLiteral("URL label"), falling},
        {QStringLiteral("Relationship"), falling},
        {QStringLiteral("Relationship label"), rising},
        {QStringLiteral("Instant Message"), falling},
        {QStringLiteral("Instant Message label"), rising},
        {QStringLiteral("Social Network"), rising},
        {QStringLiteral("Social Network username"), rising},
        {QStringLiteral("Social Network service name"), falling},
        {QStringLiteral("Social Network label"), falling},
        {QStringLiteral("Phonetic Name LastName"), falling},
        {QStringLiteral("Boat"), falling},
        {QStringLiteral("Boat label"), rising},
    };
    // The composed phonetic name follows the name order the record chose.
    const bool givenFirst = people[0]->phoneticNameValue()->stringValue.startsWith(QLatin1Char('a'));
    const QList<std::pair<QString, QList<int>>> phonetic = {
        {QStringLiteral("Phonetic Name"), givenFirst ? rising : falling}};
    for (const auto &[key, expected] : cases + phonetic) {
        EXPECT_EQ(order(key, true), expected) << key.toStdString();
        QList<int> reversed(expected.rbegin(), expected.rend());
        EXPECT_EQ(order(key, false), reversed) << key.toStdString() << " descending";
    }
}

TEST_F(SortKeys, EmptyValuesSortLastAndTiesKeepBuildOrder) {
    auto noMail = person(QStringLiteral("zz"));
    auto alsoNoMail = person(QStringLiteral("aa"));
    people.append(noMail);
    people.append(alsoNoMail);
    EXPECT_EQ(order(QStringLiteral("Email"), true), (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(order(QStringLiteral("Email"), false), (QList<int>{2, 1, 0, 3, 4}));
    // A company card sorts by its company under "FirstName".
    NameRecord company = people[3]->nameValue();
    company.showAsPerson = false;
    people[3]->setNameValue(company, FieldId::Name);
    people[3]->setValue(QStringLiteral("A Company"), FieldId::Company);
    EXPECT_EQ(order(QStringLiteral("FirstName")).first(), 3);
}

TEST(SubContactRows, CaseDoesNotOrderValues) {
    auto upper = person(QStringLiteral("ANNA"));
    auto lower = person(QStringLiteral("anna"));
    SubContactTable rows = SubContactRows::buildRows(
        *table({upper, lower}), {{FieldId::Name}, {QStringLiteral("All")}, {}, false}, 10000);
    SubContactRows::sortSubContactTable(rows, SortDescriptor{QStringLiteral("FirstName"), false}, {}, {});
    // Equal values stay in build order in both directions.
    EXPECT_EQ(ids(rows), (QStringList{upper->uniqueId(), lower->uniqueId()}));
}

// A table large enough to be sorted on several threads, with many tied names and contacts
// of zero to two e-mail addresses, sorted by name and by e-mail address in both directions:
// every row once, each in order of its value (empties last), ties in build order.
TEST(SubContactRows, LargeTablesSortLikeSmallOnes) {
    const QStringList names = {QStringLiteral("anna"),
                               QStringLiteral("Anna"),
                               QStringLiteral("Annabel"),
                               QStringLiteral("Bo"),
                               QStringLiteral("Ötzi"),
                               QStringLiteral("Zoë"),
                               QStringLiteral("Anna-Lena Maria"),
                               QStringLiteral("Anna-Lena Marie"),
                               QStringLiteral("Maximilian-Alexander Berg"),
                               QStringLiteral("Maximilian-Alexander Baum"),
                               QStringLiteral("Maximilian-Alexander"),
                               QStringLiteral("Bo") + QChar(u'\0')};
    QList<std::shared_ptr<QMPerson>> people;
    for (int i = 0; i < 9000; ++i) {
        auto p = person(names[(i * 7) % names.size()]);
        for (int k = 0; k < i % 3; ++k)
            p->addEmailValue(
                labeled(QStringLiteral("home"), names[(i + k) % names.size()] + QStringLiteral("@x")));
        people.append(p);
    }
    const auto contacts = table(people);
    const QString nameKey = FieldId::CompositeName;
    for (const QString &key : {nameKey, QString(FieldId::Email)}) {
        for (const bool ascending : {true, false}) {
            SubContactTable rows = SubContactRows::buildRows(
                *contacts, {{FieldId::Name, FieldId::Email}, {QStringLiteral("All")}, {}, false}, 100000);
            const size_t count = rows.size();
            ASSERT_GT(count, 9000u);
            SubContactRows::sortSubContactTable(rows, SortDescriptor{key, ascending}, {QStringLiteral("All")},
                                                {});
            ASSERT_EQ(rows.size(), count);
            const auto value = [&](const SubContactRow &row) {
                if (key == nameKey)
                    return row.person->compositeName().toCaseFolded();
                const auto email =
                    row.person->labeledValueForIdentifier(FieldId::Email, qsizetype(row.labelIndex));
                return email ? email->valueText().toCaseFolded() : QString();
            };
            std::set<std::pair<qsizetype, qint64>> seen;
            for (size_t i = 0; i < count; ++i) {
                seen.insert({rows[i]->contactPosition, rows[i]->labelIndex});
                if (i == 0)
                    continue;
                const QString a = value(*rows[i - 1]), b = value(*rows[i]);
                const int order = a.isEmpty() || b.isEmpty() ? (a.isEmpty() ? (b.isEmpty() ? 0 : 1) : -1)
                                                             : (ascending ? a.compare(b) : b.compare(a));
                ASSERT_LE(order, 0) << key.toStdString() << ascending << " at " << i;
                if (order == 0) {
                    ASSERT_LT(std::make_pair(rows[i - 1]->contactPosition, rows[i - 1]->labelIndex),
                              std::make_pair(rows[i]->contactPosition, rows[i]->labelIndex))
                        << key.toStdString() << ascending << " at " << i;
                }
            }
            EXPECT_EQ(seen.size(), count);
        }
    }
}

TEST(SubContactRows, ManyTiedRowsKeepBuildOrder) {
    // More ties than the sort handles by insertion, where an unstable order would show.
    QList<std::shared_ptr<QMPerson>> tied;
    QStringList built;
    for (int i = 0; i < 40; ++i) {
        tied.append(person(QStringLiteral("Same")));
        built.append(tied.last()->uniqueId());
    }
    for (const bool ascending : {true, false}) {
        SubContactTable rows = SubContactRows::buildRows(
            *table(tied), {{FieldId::Name}, {QStringLiteral("All")}, {}, false}, 10000);
        SubContactRows::sortSubContactTable(rows, SortDescriptor{QStringLiteral("FirstName"), ascending}, {},
                                            {});
        EXPECT_EQ(ids(rows), built) << ascending;
    }
}

} // namespace
