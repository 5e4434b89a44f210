#include "model/QMPerson.h"
#include "state/WindowState.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using Items = QList<std::pair<QString, QString>>; // name and type

ContactEntry contactWith(const Items &items) {
    auto person = std::make_shared<QMPerson>();
    for (const auto &[name, type] : items)
        person->addCustomItem(type, name, std::nullopt, std::nullopt);
    return ContactEntry::withPerson(person);
}

Items namesAndTypes(const WindowState &state) {
    Items shown;
    for (const CustomItemDefinition &item : state.customItemsOrEmpty())
        shown.append({item.name, item.type});
    return shown;
}

const QString S = ValueKind::String;
const QString L = ValueKind::Labeled;

TEST(WindowStateAddContacts, RegistersEachNameOnceAndAgainForAnotherType) {
    struct Case {
        const char *what;
        QList<Items> first;   // the document's contacts
        QList<Items> added;   // contacts entering later
        Items expected;
        bool changed;
    };
    const Case cases[] = {
        {"a new name", {{{"Pet", S}}}, {{{"Boat", L}}}, {{"Pet", S}, {"Boat", L}}, true},
        {"a known name and type", {{{"Pet", S}}}, {{{"Pet", S}}, {}}, {{"Pet", S}}, false},
        {"a known name of another type", {{{"Pet", S}}}, {{{"Pet", L}}}, {{"Pet", S}, {"Pet", L}}, true},
        {"both types known", {{{"Pet", S}}, {{"Pet", L}}}, {{{"Pet", L}}}, {{"Pet", S}, {"Pet", L}}, false},
        {"one call's contacts among themselves",
         {},
         {{{"Pet", S}}, {{"Pet", S}}, {{"Boat", S}}},
         {{"Pet", S}, {"Boat", S}},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WindowState state;
        EXPECT_FALSE(state.customItems().has_value());
        QList<ContactEntry> first;
        for (const Items &items : c.first)
            first.append(contactWith(items));
        // The first call gathers, even an empty list.
        EXPECT_TRUE(state.addContacts(first));
        ASSERT_TRUE(state.customItems().has_value());

        QSignalSpy changed(&state, &WindowState::customItemsChanged);
        QList<ContactEntry> added;
        for (const Items &items : c.added)
            added.append(contactWith(items));
        EXPECT_EQ(state.addContacts(added), c.changed);
        EXPECT_EQ(changed.count(), c.changed ? 1 : 0);
        EXPECT_EQ(namesAndTypes(state), c.expected);
    }
}

// A large file's contacts are gathered in parts at once: the items still come in the order
// the contacts first have them, whichever part meets them.
TEST(WindowStateAddContacts, ALargeTableKeepsTheOrderItemsAreFirstMet) {
    const QHash<int, Items> holding = {{50, {{"Pet", S}}},
                                       {100, {{"Boat", S}}},
                                       {5000, {{"Pet", S}, {"Gym", S}}},
                                       {9000, {{"Zoo", L}}},
                                       {9999, {{"Boat", L}, {"Pet", S}}}};
    QList<ContactEntry> contacts;
    for (int i = 0; i < 10000; ++i)
        contacts.append(contactWith(holding.value(i)));
    WindowState state;
    EXPECT_TRUE(state.addContacts(contacts));
    EXPECT_EQ(namesAndTypes(state), (Items{{"Pet", S}, {"Boat", S}, {"Gym", S}, {"Zoo", L}, {"Boat", L}}));
}

} // namespace
