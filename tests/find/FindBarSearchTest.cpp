#include "tests/find/FindTestSupport.h"

#include "app/edits/DocumentEdits.h"
#include "find/FindBarReplace.h"
#include "find/FindBarSearch.h"
#include "state/WindowState.h"

#include <gtest/gtest.h>

namespace {

constexpr auto Next = FindDirection::Next;
constexpr auto Previous = FindDirection::Previous;
const TextRange none{};

// Rows as the table shows them: a row per value position of the contacts' longest field.
SubContactTable rowsOf(const QList<std::shared_ptr<QMPerson>> &people) {
    return tableRows(people, [](QMPerson &person) { return person.emailValues().size(); });
}

// A hit as "identifier/part [location,length] item [location,length] #labelIndex".
QString describe(const std::optional<FindTarget> &hit) {
    if (!hit)
        return QStringLiteral("none");
    QString text = QStringLiteral("%1/%2 [%3,%4]")
                       .arg(hit->identifier, hit->subIdentifier)
                       .arg(hit->range.location)
                       .arg(hit->range.length);
    if (hit->itemRange.isFound())
        text += QStringLiteral(" item [%1,%2]").arg(hit->itemRange.location).arg(hit->itemRange.length);
    return text + QStringLiteral(" #%1").arg(hit->labelIndex);
}

FindTarget at(const std::shared_ptr<QMPerson> &person, const QString &identifier, TextRange range,
              const QString &sub = {}, qint64 labelIndex = 0) {
    FindTarget target;
    target.contact = person;
    target.uniqueId = person->uniqueId();
    target.identifier = identifier;
    target.subIdentifier = sub;
    target.labelIndex = labelIndex;
    target.range = range;
    return target;
}

} // namespace

TEST(FindBarSearch, RangeRulesInBothDirections) {
    struct Case {
        const char *text;
        const char *find;
        TextRange range;
        FindDirection direction;
        Qt::CaseSensitivity cs;
        TextRange expected;
    };
    const Case cases[] = {
        {"abcabc", "abc", none, Next, Qt::CaseSensitive, {0, 3}},
        {"abcabc", "abc", {0, 0}, Next, Qt::CaseSensitive, {0, 3}},
        {"abcabc", "abc", {0, 3}, Next, Qt::CaseSensitive, {3, 3}},
        {"abcabc", "abc", {3, 3}, Next, Qt::CaseSensitive, none}, // starts at the end
        {"abcabc", "abc", none, Previous, Qt::CaseSensitive, {3, 3}},
        {"abcabc", "abc", {3, 3}, Previous, Qt::CaseSensitive, {0, 3}},
        {"abcabc", "abc", {5, 0}, Previous, Qt::CaseSensitive, {0, 3}}, // the hit must end before it
        {"abcabc", "abc", {0, 3}, Previous, Qt::CaseSensitive, none},
        {"abcabc", "abc", {9, 0}, Previous, Qt::CaseSensitive, {3, 3}},
        {"ABC", "abc", none, Next, Qt::CaseInsensitive, {0, 3}},
        {"ABC", "abc", none, Next, Qt::CaseSensitive, none},
        {"", "a", none, Next, Qt::CaseInsensitive, none},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FindBarSearch::lookForString(QString::fromUtf8(c.find), QString::fromUtf8(c.text), c.range,
                                               c.cs, c.direction),
                  c.expected)
            << c.text << " " << c.range.location << "," << c.range.length;
}

TEST(FindBarSearch, JoinedNamePartsFollowTheShownText) {
    auto person = personFromVCard(QStringLiteral("N:Yamada;Taro;Mako;;\nFN:Yamada Taro\n"));
    NameRecord name = person->nameValue();
    name.nameOrdering = 2;
    person->setNameValue(name, FieldId::Name);
    ASSERT_EQ(person->compositeName(), QStringLiteral("Yamada Taro"));
    const FindBarSearch search(QStringLiteral("a"), Qt::CaseInsensitive);
    const auto cell = [&](const QString &sub, TextRange range, FindDirection direction) {
        return describe(search.findInCell(*person, FieldId::Name, sub, 0, range, false, direction, {}));
    };
    // A fresh position (empty part) starts at the cell's first part; the middle name is not shown.
    EXPECT_EQ(cell(QString(), {0, 0}, Next), "Name/LastName [1,1] item [1,1] #0");
    EXPECT_EQ(cell(FieldId::LastName, {5, 1}, Next), "Name/FirstName [8,1] item [1,1] #0");
    EXPECT_EQ(cell(FieldId::FirstName, {8, 1}, Next), "none");
    EXPECT_EQ(cell(FieldId::FirstName, {8, 1}, Previous), "Name/LastName [5,1] item [5,1] #0");
    EXPECT_EQ(cell(QString(), none, Previous), "Name/FirstName [8,1] item [1,1] #0");
    // The detail panel's rows: each part alone, the middle name among them.
    EXPECT_EQ(
        describe(search.findInCell(*person, FieldId::Name, FieldId::FirstName, 0, {1, 1}, true, Next, {})),
        "Name/MiddleName [1,1] item [1,1] #0");
    // One part only: it starts the cell.
    auto single = personFromVCard(QStringLiteral("N:;Hana;;;\nFN:Hana\n"));
    EXPECT_EQ(describe(search.findInCell(*single, FieldId::Name, QString(), 0, {0, 0}, false, Next, {})),
              "Name/FirstName [1,1] item [1,1] #0");
}

TEST(FindBarSearch, PartsOfInstantMessagesAndAddressesAndFieldsNeverSearched) {
    auto person = personFromVCard(
        QStringLiteral("N:Abe;Ann;;;\nX-SKYPE:annie\nADR;type=HOME:;;1 Main St;Springfield;;;\n"
                       "BDAY:1980-05-17\nX-ABDATE:1999-01-01\nNOTE:1980\n"));
    const qint64 message = person->imsValues().at(0).labelIndex;
    const qint64 address = person->addressValues().at(0).labelIndex;
    ASSERT_EQ(person->imsValues().at(0).stringValue, QStringLiteral("Skype:annie"));
    const auto cell = [&](const QString &find, const QString &identifier, qint64 labelIndex,
                          const QString &sub = {}, TextRange range = {}) {
        return describe(FindBarSearch(find, Qt::CaseInsensitive)
                            .findInCell(*person, identifier, sub, labelIndex, range, false, Next, {}));
    };
    // The separator belongs to the service.
    EXPECT_EQ(cell(":", FieldId::InstantMessage, message),
              "Instant Message/service [5,1] item [5,1] #" + QString::number(message));
    EXPECT_EQ(cell("n", FieldId::InstantMessage, message, CNInstantMessageAddressUsernameKey, {7, 1}),
              "Instant Message/username [8,1] item [2,1] #" + QString::number(message));
    const QString city = cell("field", FieldId::Address, address);
    EXPECT_TRUE(city.startsWith("Address/City [")) << city.toStdString();
    EXPECT_TRUE(city.contains("item [6,5]")) << city.toStdString();
    EXPECT_EQ(cell("field", FieldId::City, address), "City/ [6,5] #" + QString::number(address));
    EXPECT_EQ(cell("1980", FieldId::Birthday, 0), "none");
    EXPECT_EQ(cell("1999", FieldId::Dates, person->datesValues().at(0).labelIndex), "none");
    EXPECT_EQ(cell("1980", FieldId::Note, 0), "Note/ [0,4] #0");
    // A running number no value has: nothing.
    EXPECT_EQ(cell("annie", FieldId::InstantMessage, message + 7), "none");
}

TEST(FindBarSearch, TheTableWalkWrapsOnceAndSearchesLaterRowsOnlyInListColumns) {
    auto ann = personFromVCard(QStringLiteral("N:Abe;Ann;;;\nORG:zz co;\nEMAIL:a@x\nEMAIL:zz@x\n"));
    auto bob = personFromVCard(QStringLiteral("N:Baker;Bob;;;\nEMAIL;type=HOME:zz@bob\n"));
    const SubContactTable rows = rowsOf({ann, bob});
    FindBarScope scope;
    scope.rows = &rows;
    scope.columns = {FieldId::Name, FieldId::Company, FieldId::Email};
    const FindBarSearch zz(QStringLiteral("zz"), Qt::CaseInsensitive);
    const qint64 annSecond = ann->emailValues().at(1).labelIndex;
    // From Ann's second row: her company shows on her first row only, so Bob comes first.
    FindTarget from = at(ann, FieldId::Email, {0, 2}, {}, annSecond);
    std::optional<FindTarget> hit = zz.find(from, scope, Next);
    EXPECT_EQ(describe(hit), "Email/ [0,2] #" + QString::number(bob->emailValues().at(0).labelIndex));
    EXPECT_EQ(hit->uniqueId, bob->uniqueId());
    hit = zz.find(*hit, scope, Next);
    EXPECT_EQ(describe(hit), "Company/ [0,2] #0");
    EXPECT_EQ(hit->uniqueId, ann->uniqueId());
    EXPECT_EQ(describe(zz.find(*hit, scope, Previous)),
              "Email/ [0,2] #" + QString::number(bob->emailValues().at(0).labelIndex));
    // The only hit is found again past the end, once; no hit ends the walk.
    const FindBarSearch bob1(QStringLiteral("@bob"), Qt::CaseInsensitive);
    const std::optional<FindTarget> only = bob1.find(at(bob, FieldId::Email, {0, 0}), scope, Next);
    ASSERT_TRUE(only);
    EXPECT_EQ(describe(bob1.find(*only, scope, Next)), describe(only));
    EXPECT_EQ(describe(FindBarSearch(QStringLiteral("nobody"), Qt::CaseInsensitive).find(from, scope, Next)),
              "none");
    // A value the label filter hides shows an empty cell: passed over.
    scope.labelShown = [](const std::optional<QString> &label) { return label != QStringLiteral("home"); };
    EXPECT_EQ(zz.find(from, scope, Next)->uniqueId, ann->uniqueId());
    // An empty table: nothing, and a start without a contact.
    const SubContactTable empty;
    scope.rows = &empty;
    EXPECT_FALSE(zz.find(FindBarSearch::startTarget(scope), scope, Next));
    EXPECT_TRUE(FindBarSearch::startTarget(scope).uniqueId.isEmpty());
}

TEST(FindBarSearch, AcrossManyRowsTheEarliestHitWinsWhicheverWorkerFindsIt) {
    QList<std::shared_ptr<QMPerson>> people;
    for (int i = 0; i < 1500; ++i)
        people.append(
            personFromVCard(QStringLiteral("N:P%1;Q;;;\nEMAIL:p%1@x\n").arg(i, 4, 10, QLatin1Char('0'))));
    for (const int i : {300, 1200})
        people[i]->replaceEmailValue(textRecord(QStringLiteral("home"), QStringLiteral("needle@x"),
                                                people[i]->emailValues().at(0).labelIndex));
    const SubContactTable rows = rowsOf(people);
    FindBarScope scope;
    scope.rows = &rows;
    scope.columns = {FieldId::Name, FieldId::Email};
    const FindBarSearch needle(QStringLiteral("needle"), Qt::CaseInsensitive);
    struct Case {
        int from;
        FindDirection direction;
        int expected;
    };
    // From a name, or from the needle itself.
    const auto from = [&](int i) {
        return people[i]->emailValues().at(0).valueText().startsWith(QStringLiteral("needle"))
                   ? at(people[i], FieldId::Email, {0, 6}, {}, people[i]->emailValues().at(0).labelIndex)
                   : at(people[i], FieldId::Name, {0, 0});
    };
    for (const Case &c : {Case{0, Next, 300}, Case{300, Next, 1200}, Case{1200, Next, 300},
                          Case{0, Previous, 1200}, Case{1200, Previous, 300}, Case{900, Previous, 300}})
        EXPECT_EQ(needle.find(from(c.from), scope, c.direction)->uniqueId, people[c.expected]->uniqueId())
            << c.from;
}

TEST(FindBarSearch, TheDetailWalkGoesRoundToTheCurrentFieldInBothDirections) {
    auto person = personFromVCard(
        QStringLiteral("N:Abe;Ann;;;\nNOTE:ab ab ab\nEMAIL:one@x\nEMAIL:two@x\nEMAIL:ab@x\n"));
    // A deleted value leaves a gap: positions and running numbers differ.
    person->deleteLabeledValueForIdentifier(FieldId::Email,
                                            LabelIndex(person->emailValues().at(1).labelIndex));
    FindBarScope scope;
    scope.detailShown = true;
    scope.contact = person;
    scope.rowOrder = {FieldId::Name, FieldId::Email, FieldId::Note};
    const FindBarSearch ab(QStringLiteral("ab"), Qt::CaseInsensitive);
    // From the note's first hit backwards: the e-mail, then the note's later hits.
    std::optional<FindTarget> hit = ab.find(at(person, FieldId::Note, {0, 2}), scope, Previous);
    const qint64 last = person->emailValues().at(1).labelIndex;
    EXPECT_EQ(describe(hit), "Email/ [0,2] #" + QString::number(last));
    hit = ab.find(*hit, scope, Previous);
    EXPECT_EQ(describe(hit), "Name/LastName [0,2] item [0,2] #0");
    EXPECT_EQ(describe(ab.find(*hit, scope, Previous)), "Note/ [6,2] #0");
    // Forwards from that e-mail value, named by its running number.
    EXPECT_EQ(describe(ab.find(at(person, FieldId::Email, {0, 2}, {}, last), scope, Next)), "Note/ [0,2] #0");
    EXPECT_EQ(describe(ab.find(at(person, FieldId::Note, {6, 2}), scope, Next)),
              "Name/LastName [0,2] item [0,2] #0");
}

TEST(FindBarSearch, WithTheTableTheDetailWalkGoesOnThroughTheOtherContactsInItsOrder) {
    QList<std::shared_ptr<QMPerson>> people;
    for (int i = 0; i < 1500; ++i)
        people.append(personFromVCard(
            QStringLiteral("N:P%1;Q;;;\nEMAIL:p%1@x\nEMAIL:q%1@x\n").arg(i, 4, 10, QLatin1Char('0'))));
    for (const int i : {300, 1200})
        people[i]->setValue(QStringLiteral("a needle"), FieldId::Note);
    const SubContactTable rows = rowsOf(people);
    FindBarScope scope;
    scope.detailShown = true;
    scope.rows = &rows;
    scope.rowOrder = {FieldId::Name, FieldId::Email, FieldId::Note};
    const FindBarSearch needle(QStringLiteral("needle"), Qt::CaseInsensitive);
    struct Case {
        int shown;
        bool fromNeedle;
        FindDirection direction;
        int expected;
    };
    // Shown contact, from its name or from its needle; the contact the hit is in.
    for (const Case &c : {Case{0, false, Next, 300}, Case{300, true, Next, 1200}, Case{1200, true, Next, 300},
                          Case{0, false, Previous, 1200}, Case{1200, true, Previous, 300},
                          Case{900, false, Previous, 300}, Case{300, false, Next, 300}}) {
        scope.contact = people[c.shown];
        const FindTarget from = c.fromNeedle ? at(people[c.shown], FieldId::Note, {2, 6})
                                             : at(people[c.shown], FieldId::Name, {0, 0}, FieldId::FirstName);
        const std::optional<FindTarget> hit = needle.find(from, scope, c.direction);
        ASSERT_TRUE(hit) << c.shown;
        EXPECT_EQ(hit->contact, people[c.expected]) << c.shown;
        EXPECT_EQ(describe(hit), "Note/ [2,6] #0") << c.shown;
    }
    // The only needle, from itself: found again after every other contact.
    people[1200]->setValue(QString(), FieldId::Note);
    scope.contact = people[300];
    EXPECT_EQ(needle.find(at(people[300], FieldId::Note, {2, 6}), scope, Next)->contact, people[300]);
}

class FindBarReplaceTest : public testing::Test {
protected:
    WindowState state;
    UndoManager undo;
    tessarin::DocumentEdits edits{&state, [this] { return &undo; }};
    FindBarReplace replacing{edits, nullptr, {}};

    // Every edit inside one explicit group, as the window's commands make them.
    void SetUp() override { undo.setGroupsByEvent(false); }
};

TEST_F(FindBarReplaceTest, AMatchIsReplacedOnlyWhereItStillStands) {
    auto person = personFromVCard(QStringLiteral("N:Abe;Ann;;;\nEMAIL:a@x\nEMAIL:b@x\n"));
    const ContactTable contacts = {ContactEntry::withPerson(person)};
    undo.beginUndoGrouping();
    const qint64 b = person->emailValues().at(1).labelIndex;
    FindTarget target = at(person, FieldId::Email, {0, 1}, {}, b);
    // Sorted the other way round: the value is found by its running number, not its place.
    ASSERT_TRUE(person->sortForIdentifier(FieldId::Email, QStringLiteral("stringValue"), false));
    ASSERT_EQ(person->emailValues().at(0).valueText(), QStringLiteral("b@x"));
    EXPECT_TRUE(replacing.replaceByString(QStringLiteral("bee"), target, contacts, QStringLiteral("b"),
                                          Qt::CaseSensitive));
    EXPECT_EQ(person->emailValues().at(0).valueText(), QStringLiteral("bee@x"));
    EXPECT_EQ(person->emailValues().at(1).valueText(), QStringLiteral("a@x"));
    // The same target again: "b" no longer stands at it, nothing changes.
    EXPECT_FALSE(replacing.replaceByString(QStringLiteral("c"), target, contacts, QStringLiteral("@"),
                                           Qt::CaseSensitive));
    EXPECT_EQ(person->emailValues().at(0).valueText(), QStringLiteral("bee@x"));
    // A name row of the detail panel: its part changes.
    target = at(person, FieldId::Name, {0, 2}, FieldId::LastName);
    target.itemRange = {0, 2};
    EXPECT_TRUE(replacing.replaceByString(QStringLiteral("O"), target, contacts, QStringLiteral("ab"),
                                          Qt::CaseInsensitive));
    EXPECT_EQ(person->nameValue().lastName, QStringLiteral("Oe"));
    // A contact the group marked deleted is left alone.
    ContactTable deleted = contacts;
    deleted[0].deleted = true;
    EXPECT_FALSE(replacing.replaceByString(QStringLiteral("z"), at(person, FieldId::Email, {0, 1}, {}, b),
                                           deleted, QStringLiteral("b"), Qt::CaseSensitive));
    undo.endUndoGrouping();
}

TEST_F(FindBarReplaceTest, ReplaceAllOnAPhoneticFirstNameRowChangesTheFirstNameOnly) {
    auto ann = personFromVCard(
        QStringLiteral("N:Abe;Ann;;;\nX-PHONETIC-FIRST-NAME:abe\nX-PHONETIC-LAST-NAME:abe\n"));
    const ContactTable contacts = {ContactEntry::withPerson(ann)};
    undo.beginUndoGrouping();
    EXPECT_TRUE(
        replacing.replaceAll(QStringLiteral("ab"), QStringLiteral("_"), Qt::CaseSensitive, contacts,
                             [](const ContactEntry &) { return QStringList{FieldId::PhoneticFirstName}; }));
    undo.endUndoGrouping();
    ASSERT_TRUE(ann->phoneticNameValue());
    EXPECT_EQ(ann->phoneticNameValue()->firstName, QStringLiteral("_e"));
    EXPECT_EQ(ann->phoneticNameValue()->lastName, QStringLiteral("abe"));
    EXPECT_EQ(ann->nameValue().lastName, QStringLiteral("Abe"));
}

TEST_F(FindBarReplaceTest, ReplaceAllTakesTheFieldsGivenAndTheCaseAndUndoesAsOneStep) {
    auto ann = personFromVCard(QStringLiteral("N:Abe;Ann;Abby;;\nEMAIL:ab@AB\nNOTE:ab\n"));
    auto gone = personFromVCard(QStringLiteral("N:Abe;Gone;;;\n"));
    ContactTable contacts = {ContactEntry::withPerson(ann), ContactEntry::withPerson(gone)};
    contacts[1].deleted = true;
    undo.beginUndoGrouping();
    EXPECT_TRUE(replacing.replaceAll(QStringLiteral("ab"), QStringLiteral("_"), Qt::CaseSensitive, contacts,
                                     [](const ContactEntry &) {
                                         return QStringList{FieldId::Name, FieldId::Email};
                                     }));
    undo.endUndoGrouping();
    EXPECT_EQ(ann->nameValue().lastName, QStringLiteral("Abe"));
    EXPECT_EQ(ann->emailValues().at(0).valueText(), QStringLiteral("_@AB"));
    EXPECT_EQ(ann->stringValueForIdentifier(FieldId::Note), QStringLiteral("ab"));
    EXPECT_EQ(gone->nameValue().lastName, QStringLiteral("Abe"));
    // The detail panel's list names the name parts: the middle name too.
    undo.beginUndoGrouping();
    EXPECT_TRUE(
        replacing.replaceAll(QStringLiteral("ab"), QStringLiteral("_"), Qt::CaseInsensitive, contacts,
                             [](const ContactEntry &) { return FindBarReplace::detailIdentifiers(); }));
    EXPECT_EQ(ann->nameValue().lastName, QStringLiteral("_e"));
    EXPECT_EQ(ann->nameValue().middleName, QStringLiteral("_by"));
    undo.endUndoGrouping();
    EXPECT_EQ(ann->stringValueForIdentifier(FieldId::Note), QStringLiteral("_"));
    undo.undo();
    EXPECT_EQ(ann->nameValue().middleName, QStringLiteral("Abby"));
    undo.undo();
    EXPECT_EQ(ann->emailValues().at(0).valueText(), QStringLiteral("ab@AB"));
    EXPECT_FALSE(undo.canUndo());
}
