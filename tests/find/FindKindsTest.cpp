// Find Next, Replace and Replace All of the find bar, and the find window's replace, over
// every field kind: each finds the one value that holds the text, in the table's columns
// and in the detail panel's rows, and changes exactly that value.

#include "tests/find/FindTestSupport.h"

#include "app/edits/DocumentEdits.h"
#include "contact_info/DetailRowModel.h"
#include "find/FindBarController.h"
#include "find/FindBarReplace.h"
#include "find/FindBarSearch.h"
#include "find/FindMatcher.h"
#include "find/SegmentedButtons.h"
#include "state/WindowState.h"

#include <QComboBox>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// Where a contact holds the text "Xzq9": one field, or one part of one.
struct Place {
    QString key;        // the field, or "Name/<part>", "Phonetic Name/<part>", "Address/<part>"
    QString column;     // the table's column that shows it; empty when no column does
    QString identifier; // the identifier a match in the table names
    qint64 labelIndex;  // the value holding it
};

const QString Marked = QStringLiteral("Xzq9");
const QString Replaced = QStringLiteral("X__9");

// Every place a find can reach, and the column showing it.
const QList<Place> &everyPlace() {
    static const QList<Place> places = {
        {"Name/FirstName", FieldId::Name, FieldId::Name, 0},
        {"Name/LastName", FieldId::Name, FieldId::Name, 0},
        {"Name/MiddleName", {}, FieldId::Name, 0},
        {"Name/PreviousFamilyName", {}, FieldId::Name, 0},
        {"Phonetic Name/FirstName", FieldId::PhoneticName, FieldId::PhoneticName, 0},
        {"Phonetic Name/LastName", FieldId::PhoneticName, FieldId::PhoneticName, 0},
        {"Phonetic Name/MiddleName", {}, FieldId::PhoneticName, 0},
        {FieldId::Company, FieldId::Company, FieldId::Company, 0},
        {FieldId::Department, FieldId::Department, FieldId::Department, 0},
        {FieldId::JobTitle, FieldId::JobTitle, FieldId::JobTitle, 0},
        {FieldId::Nickname, FieldId::Nickname, FieldId::Nickname, 0},
        {FieldId::Title, FieldId::Title, FieldId::Title, 0},
        {FieldId::Suffix, FieldId::Suffix, FieldId::Suffix, 0},
        {FieldId::Note, FieldId::Note, FieldId::Note, 0},
        {FieldId::Phone, FieldId::Phone, FieldId::Phone, 1},
        {FieldId::Email, FieldId::Email, FieldId::Email, 1},
        {FieldId::URL, FieldId::URL, FieldId::URL, 1},
        {FieldId::Relationship, FieldId::Relationship, FieldId::Relationship, 1},
        {FieldId::SocialNetwork, FieldId::SocialNetwork, FieldId::SocialNetwork, 1},
        {FieldId::InstantMessage, FieldId::InstantMessage, FieldId::InstantMessage, 1},
        {"Address/Street", FieldId::Address, FieldId::Address, 1},
        {"Address/City", FieldId::City, FieldId::City, 1},
        {"Address/State", FieldId::State, FieldId::State, 1},
        {"Address/ZIP", FieldId::ZIP, FieldId::ZIP, 1},
        {"Address/Country", FieldId::Country, FieldId::Country, 1},
        {"Pets", "Pets", "Pets", 1},
        {"Locker", "Locker", "Locker", 0},
    };
    return places;
}

QList<CustomItemDefinition> customItems() {
    CustomItemDefinition pets{
        QStringLiteral("Pets"), ValueKind::Labeled, {"cat", "dog"}, {}, false, false, false, false, {}};
    CustomItemDefinition locker{
        QStringLiteral("Locker"), ValueKind::String, {}, {}, false, false, false, false, {}};
    return {pets, locker};
}

// A contact with a value in every place; the one at `marked` holds the text, and the
// other values of its list hold none. Lists have two values, the second one marked.
std::shared_ptr<QMPerson> contactMarkedAt(const QString &marked) {
    const auto text = [&](const QString &key, const QString &plain) {
        return key == marked ? Marked : plain;
    };
    QString card =
        QStringLiteral("N:%1;%2;%3;%4;%5\nFN:Ann Lee\nitem9.X-MAIDENNAME:%6\n"
                       "X-PHONETIC-FIRST-NAME:%7\nX-PHONETIC-MIDDLE-NAME:%8\nX-PHONETIC-LAST-NAME:%9\n")
            .arg(text("Name/LastName", "Lee"), text("Name/FirstName", "Ann"), text("Name/MiddleName", "Mae"),
                 text(FieldId::Title, "Dr."), text(FieldId::Suffix, "Jr."),
                 text("Name/PreviousFamilyName", "Moss"), text("Phonetic Name/FirstName", "an"),
                 text("Phonetic Name/MiddleName", "mei"), text("Phonetic Name/LastName", "rii"));
    card += QStringLiteral("ORG:%1;%2\nTITLE:%3\nNICKNAME:%4\nNOTE:first line\\n%5\nBDAY:1980-04-12\n")
                .arg(text(FieldId::Company, "Acme"), text(FieldId::Department, "Sales"),
                     text(FieldId::JobTitle, "Chief"), text(FieldId::Nickname, "Annie"),
                     text(FieldId::Note, "end"));
    card += QStringLiteral(
                "TEL;TYPE=HOME:111\nTEL;TYPE=WORK:%1\nEMAIL;TYPE=HOME:a@b.example\nEMAIL;TYPE=WORK:%2\n"
                "URL;TYPE=HOME:http://a.example\nURL;TYPE=WORK:%3\n")
                .arg(text(FieldId::Phone, "222"), text(FieldId::Email, "c@d.example"),
                     text(FieldId::URL, "http://c.example"));
    card += QStringLiteral("item1.X-ABRELATEDNAMES:Cy\nitem1.X-ABLabel:_$!<Brother>!$_\n"
                           "item2.X-ABRELATEDNAMES:%1\nitem2.X-ABLabel:_$!<Sister>!$_\n"
                           "X-SOCIALPROFILE;TYPE=twitter;x-user=ann:https://twitter.com/ann\n"
                           "X-SOCIALPROFILE;TYPE=flickr;x-user=%2:https://flickr.com/x\n"
                           "IMPP;X-SERVICE-TYPE=Jabber;TYPE=WORK:xmpp:ann@jabber.example\n"
                           "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:%3\n")
                .arg(text(FieldId::Relationship, "Dee"), text(FieldId::SocialNetwork, "pics"),
                     text(FieldId::InstantMessage, "ann.lee"));
    card += QStringLiteral("ADR;TYPE=HOME:;;1 Main St;Springfield;IL;62701;USA\n"
                           "ADR;TYPE=WORK:;;%1;%2;%3;%4;%5\n"
                           "item3.X-ABDATE:2001-02-03\nitem3.X-ABLabel:_$!<Anniversary>!$_\n")
                .arg(text("Address/Street", "Unter den Linden 1"), text("Address/City", "Berlin"),
                     text("Address/State", "BE"), text("Address/ZIP", "10117"),
                     text("Address/Country", "Germany"));
    auto person = personFromVCard(card);
    person->addCustomItem(ValueKind::Labeled, QStringLiteral("Pets"), QStringList{"cat", "dog"},
                          std::nullopt);
    person->setValue(LabeledValueList{textRecord(QStringLiteral("cat"), QStringLiteral("Tama"), 0),
                                      textRecord(QStringLiteral("dog"), text("Pets", "Pochi"), 1)},
                     QStringLiteral("Pets"));
    person->addCustomItem(ValueKind::String, QStringLiteral("Locker"), std::nullopt, std::nullopt);
    person->setValue(text("Locker", "B-12"), QStringLiteral("Locker"));
    return person;
}

// Every value of a contact by place, as "place=text", with the texts derived from them.
QStringList everyValue(QMPerson &person) {
    QStringList values;
    const NameRecord name = person.nameValue();
    const PhoneticNameRecord phonetic = person.phoneticNameValue().value_or(PhoneticNameRecord());
    values << "Name/FirstName=" + name.firstName << "Name/MiddleName=" + name.middleName
           << "Name/LastName=" + name.lastName << "Name/PreviousFamilyName=" + name.previousFamilyName
           << "Phonetic Name/FirstName=" + phonetic.firstName
           << "Phonetic Name/MiddleName=" + phonetic.middleName
           << "Phonetic Name/LastName=" + phonetic.lastName << "shown name=" + person.compositeName();
    for (const QString &field :
         {FieldId::Company, FieldId::Department, FieldId::JobTitle, FieldId::Nickname, FieldId::Title,
          FieldId::Suffix, FieldId::Note, FieldId::Birthday, QStringLiteral("Locker")})
        values << field + u'=' + person.stringValueForIdentifier(field);
    for (const QString &field :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::SocialNetwork,
          FieldId::InstantMessage, FieldId::Address, FieldId::Dates, QStringLiteral("Pets")})
        for (const LabeledValueRecord &value :
             person.labeledValueForIdentifier(field).value_or(LabeledValueList()))
            values << field + u'=' + value.labelText() + u':' + value.stringValue;
    return values;
}

// What a contact marked at `place` holds once the mark is replaced.
QStringList expectedAfterReplacing(const QString &place) {
    QStringList values = everyValue(*contactMarkedAt(place));
    for (QString &value : values)
        value.replace(Marked, Replaced);
    return values;
}

class FindKinds : public testing::Test {
protected:
    WindowState state;
    UndoManager undo;
    tessarin::DocumentEdits edits{&state, [this] { return &undo; }};
    FindBarReplace replacing{edits, nullptr, customItems()};
    std::shared_ptr<QMPerson> other, marked;
    ContactTable contacts;
    SubContactTable rows;

    void SetUp() override {
        undo.setGroupsByEvent(false);
        state.setCustomItems(customItems());
        for (const QString &label : {QStringLiteral("cat"), QStringLiteral("dog")})
            QMPerson::setLabel(QString(), label, QStringLiteral("Pets"));
    }
    // A contact without the text, then one holding it at `place`: each with a row per
    // value position, as the table shows them.
    void make(const QString &place) {
        other = contactMarkedAt(QString());
        marked = contactMarkedAt(place);
        contacts = {ContactEntry::withPerson(other), ContactEntry::withPerson(marked)};
        rows = tableRows({other, marked}, [](QMPerson &) { return 2; });
    }
    static QStringList everyColumn() {
        QStringList columns;
        for (const Place &place : everyPlace())
            if (!place.column.isEmpty() && !columns.contains(place.column))
                columns.append(place.column);
        return columns;
    }
    // A view type showing the name and the place's column.
    static QStringList columnsFor(const Place &place) {
        return place.column.isEmpty() || place.column == FieldId::Name
                   ? QStringList{FieldId::Name}
                   : QStringList{FieldId::Name, place.column};
    }
    FindBarScope tableScope(const QStringList &columns) const {
        FindBarScope scope;
        scope.rows = &rows;
        scope.columns = columns;
        scope.customItems = customItems();
        return scope;
    }
    FindBarScope detailScope() const {
        FindBarScope scope = tableScope({});
        scope.detailShown = true;
        scope.contact = marked;
        scope.rowOrder = DefaultRowOrder() + QStringList{QStringLiteral("Pets"), QStringLiteral("Locker")};
        return scope;
    }
    // One undoable step, as the window's commands make them.
    template <typename Edit> auto step(Edit edit) {
        undo.beginUndoGrouping();
        auto result = edit();
        undo.endUndoGrouping();
        return result;
    }
};

// The find bar over every place: Find Next from the start finds the one marked value,
// through the table's columns and through the detail panel's rows, without case or with
// it; Replace changes exactly that value; one Undo restores it.
TEST_F(FindKinds, FindNextAndReplaceReachEveryPlaceInTheTableAndInThePanel) {
    for (const Place &place : everyPlace()) {
        for (const bool detail : {false, true}) {
            const std::string what = place.key.toStdString() + (detail ? " in the panel" : " in the table");
            make(place.key);
            const QStringList before = everyValue(*marked);
            const FindBarScope scope = detail ? detailScope() : tableScope(columnsFor(place));
            FindTarget from = FindBarSearch::startTarget(scope);
            if (detail) { // the panel shows the marked contact from its first row
                from.contact = marked;
                from.uniqueId = marked->uniqueId();
            }
            EXPECT_FALSE(
                FindBarSearch(QStringLiteral("ZQ"), Qt::CaseSensitive).find(from, scope, FindDirection::Next))
                << what << ": the case counts";
            const std::optional<FindTarget> hit = FindBarSearch(QStringLiteral("ZQ"), Qt::CaseInsensitive)
                                                      .find(from, scope, FindDirection::Next);
            if (!detail && place.column.isEmpty()) {
                EXPECT_FALSE(hit) << what << ": no column shows it";
                continue;
            }
            ASSERT_TRUE(hit) << what;
            EXPECT_EQ(hit->uniqueId, marked->uniqueId()) << what;
            EXPECT_EQ(hit->identifier,
                      detail && place.key.startsWith(u"Address/") ? FieldId::Address : place.identifier)
                << what;
            EXPECT_EQ(hit->labelIndex, place.labelIndex) << what;
            // Previous from the start finds the same one value, the other way round.
            const std::optional<FindTarget> back = FindBarSearch(QStringLiteral("zq"), Qt::CaseSensitive)
                                                       .find(from, scope, FindDirection::Previous);
            ASSERT_TRUE(back) << what;
            EXPECT_EQ(back->identifier + back->subIdentifier, hit->identifier + hit->subIdentifier) << what;

            ASSERT_TRUE(step([&] {
                return replacing.replaceByString(QStringLiteral("__"), *hit, contacts, QStringLiteral("ZQ"),
                                                 Qt::CaseInsensitive);
            })) << what;
            EXPECT_EQ(everyValue(*marked), expectedAfterReplacing(place.key)) << what;
            EXPECT_EQ(everyValue(*other), everyValue(*contactMarkedAt(QString()))) << what;
            undo.undo();
            EXPECT_FALSE(undo.canUndo()) << what;
            EXPECT_EQ(everyValue(*marked), before) << what;
        }
    }
}

// Replace All with each case option over the columns of the table, and over the rows of
// the detail panel for the contact it shows: every place, one step.
TEST_F(FindKinds, ReplaceAllReachesEveryPlaceShownWithEachCaseOptionAsOneStep) {
    // The panel, a view type of the place's column, and one of every column at once.
    enum Shown { Panel, ItsColumn, EveryColumn };
    for (const Place &place : everyPlace()) {
        for (const Shown shown : {Panel, ItsColumn, EveryColumn}) {
            const bool detail = shown == Panel;
            const std::string what = place.key.toStdString() + (detail ? " in the panel" : " in the table") +
                                     (shown == EveryColumn ? " of every column" : "");
            make(place.key);
            const QStringList before = everyValue(*marked);
            const QStringList columns = shown == EveryColumn ? everyColumn() : columnsFor(place);
            const auto identifiersOf = [&](const ContactEntry &entry) {
                return detail && entry.uniqueId == marked->uniqueId()
                           ? FindBarReplace::detailIdentifiers(customItems())
                           : columns;
            };
            const struct {
                QString find;
                Qt::CaseSensitivity cs;
                bool replaces;
            } options[] = {{QStringLiteral("ZQ"), Qt::CaseSensitive, false},
                           {QStringLiteral("ZQ"), Qt::CaseInsensitive, true},
                           {QStringLiteral("zq"), Qt::CaseSensitive, true}};
            for (const auto &option : options) {
                const bool visible = detail || !place.column.isEmpty();
                EXPECT_EQ(step([&] {
                              return replacing.replaceAll(option.find, QStringLiteral("__"), option.cs,
                                                          contacts, identifiersOf);
                          }),
                          option.replaces && visible)
                    << what << " " << option.find.toStdString();
                EXPECT_EQ(everyValue(*marked),
                          option.replaces && visible ? expectedAfterReplacing(place.key) : before)
                    << what << " " << option.find.toStdString();
                if (undo.canUndo()) {
                    undo.undo();
                    EXPECT_FALSE(undo.canUndo()) << what << ": one step";
                }
                EXPECT_EQ(everyValue(*marked), before) << what;
            }
        }
    }
}

// ---- The find window

class FindWindowKinds : public FindKinds {
protected:
    DefaultLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
    ApplyingEdits windowEdits;
    std::unique_ptr<FindPanel> panel;

    void openWindow(const QString &place) {
        make(place);
        panel = std::make_unique<FindPanel>();
        panel->setContacts(contacts);
        panel->setCustomItems(customItems());
        panel->setSelectedItems(QMPerson::allIdentifiers() +
                                QStringList{QStringLiteral("Pets"), QStringLiteral("Locker")});
        panel->setParentViewController(&windowEdits);
        panel->setEditState(true);
        panel->window()->show();
    }
    // The mode chosen with the arrow keys, as a user does; then the text entered.
    bool search(const QString &text, int mode) {
        QComboBox *modes = panel->searchModePopup();
        modes->setFocus();
        while (modes->currentIndex() != mode)
            QTest::keyClick(modes, modes->currentIndex() < mode ? Qt::Key_Down : Qt::Key_Up);
        enterSearch(*panel, text);
        return waitForResults(*panel);
    }
};

// Every place found in each mode; Replace and Replace All change exactly it, and one Undo
// of the window takes Replace All back.
TEST_F(FindWindowKinds, EachModeFindsEveryPlaceAndBothReplacesChangeOnlyIt) {
    const struct {
        QString text;
        int mode;
        bool finds;
    } modes[] = {
        {QStringLiteral("ZQ"), 0, true}, {QStringLiteral("ZQ"), 1, false}, {QStringLiteral("z[q]"), 2, true}};
    for (const Place &place : everyPlace()) {
        for (const int segment : {0, 1}) {
            const std::string what = place.key.toStdString() + (segment ? " all" : " one");
            openWindow(place.key);
            const QStringList before = everyValue(*marked);
            if (place.key ==
                QStringLiteral("Name/PreviousFamilyName")) { // the window searches three name parts
                ASSERT_TRUE(search(QStringLiteral("zq"), 1));
                EXPECT_TRUE(panel->searchResults().isEmpty());
                continue;
            }
            for (const auto &mode : modes) {
                ASSERT_TRUE(search(mode.text, mode.mode)) << what;
                ASSERT_EQ(panel->searchResults().size(), mode.finds ? 1 : 0) << what << " mode " << mode.mode;
            }
            ASSERT_TRUE(search(QStringLiteral("zq"), 1));
            ASSERT_EQ(panel->searchResults().size(), 1) << what;
            EXPECT_EQ(panel->searchResults().first()->value,
                      place.key == FieldId::Note ? QStringLiteral("first line\n") + Marked : Marked)
                << what;
            panel->replaceField()->setText(QStringLiteral("__"));
            panel->replaceButtons()->button(segment)->click();
            EXPECT_EQ(everyValue(*marked), expectedAfterReplacing(place.key)) << what;
            EXPECT_EQ(everyValue(*other), everyValue(*contactMarkedAt(QString()))) << what;
            panel->undoManager()->undo();
            EXPECT_EQ(everyValue(*marked), before) << what;
        }
    }
}

// Each item of the bar's case option is what the search, the marks and Replace All take.
TEST(FindBarOption, EachItemSetsItsCase) {
    struct Delegate : FindBarDelegate {
        void findStringDidChange(const QString &) override {}
        void findBarButtonDidPress(const QString &command) override { commands.append(command); }
        QStringList commands;
    } delegate;
    FindBarController bar;
    bar.setDelegate(&delegate);
    bar.view()->show();
    QComboBox *option = bar.optionPopup();
    ASSERT_EQ(option->count(), 2);
    EXPECT_TRUE(bar.isCaseInsensitive());
    option->setFocus();
    for (const int item : {1, 0, 1}) {
        QTest::keyClick(option, item == 1 ? Qt::Key_Down : Qt::Key_Up);
        EXPECT_EQ(bar.isCaseInsensitive(), item == 0) << item;
    }
    EXPECT_EQ(delegate.commands, QStringList(3, FindBarCommand::OptionChanged));
}

} // namespace
