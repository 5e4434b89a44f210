#include "tests/app/WindowTestSupport.h"

#include "tests/app/Driving.h"

#include "platform/core/UndoManager.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QTableView>

// Inside the namespace, ViewController and WindowController are the window's own.
namespace tessarin {
using namespace window_test;

namespace {

// What the popover and detached windows of the table would be told.
struct FakeContactWindows : ContactWindows {
    QStringList calls;
    void showContactInfoPopoverWithOption(const QString &option) override { calls << "show " + option; }
    void updatePopoverIfSender(QObject *sender) override {
        if (sender == popover)
            calls << QStringLiteral("popover");
    }
    void updateDetachedWindows(const QString &uniqueId) override { calls << "detached " + uniqueId; }
    void closeContactWindows(const QSet<QString> &uniqueIds) override {
        QStringList ids(uniqueIds.begin(), uniqueIds.end());
        ids.sort();
        calls << "close " + ids.join(QLatin1Char(','));
    }
    void closeAllDetachedWindows() override { calls << QStringLiteral("close all"); }
    QObject *popover = nullptr;
};

// Counts the bare "ERROR" refusals logged while it lives.
class RefusalCounter {
public:
    RefusalCounter() {
        count_ = 0;
        previous_ = qInstallMessageHandler(&handler);
    }
    ~RefusalCounter() { qInstallMessageHandler(previous_); }
    int count() const { return count_; }

private:
    static void handler(QtMsgType, const QMessageLogContext &, const QString &message) {
        if (message == QLatin1String("ERROR"))
            ++count_;
    }
    static inline int count_ = 0;
    QtMessageHandler previous_ = nullptr;
};

// The marks of every record of every group, in order: what an undo must bring back exactly.
QStringList marks(ViewController *view) {
    QStringList lines;
    for (const SharedGroup &group : view->containerTable()->first().groups) {
        QString line =
            group->name + (group->deleted ? "[deleted]" : "") + (group->changed ? "[changed]" : "") + ":";
        for (const ContactEntry &entry : std::as_const(*group->contactTable))
            line +=
                " " + entry.person->compositeName() + (entry.deleted ? "-" : "") + (entry.isNew ? "*" : "");
        lines << line;
    }
    return lines;
}

class EditTest : public WindowTest {
protected:
    TestDocument *document = nullptr;
    ViewController *view = nullptr;
    FakeContactWindows windows;

    void SetUp() override {
        WindowTest::SetUp();
        document = open();
        view = content(document);
        view->setContactWindows(&windows);
        document->controller->splitButtons()->press(0); // the group list shown
    }
    void TearDown() override {
        if (view)
            view->setContactWindows(nullptr);
        WindowTest::TearDown();
    }

    bool edited() const { return document->controller->window()->isDocumentEdited(); }
    ContactsViewController *table() const { return view->contactsViewController(); }
    SharedGroup group(int index) const { return view->containerTable()->first().groups.value(index); }
    SharedGroup groupNamed(const QString &name) const {
        for (const SharedGroup &g : view->containerTable()->first().groups)
            if (g->name == name)
                return g;
        return nullptr;
    }

    // The names in the table's rows, each contact once, in row order.
    QStringList rows() const {
        QStringList names;
        for (const SubContactRowPtr &row : table()->subContactTable())
            if (!row->notFirstRow)
                names << row->person->compositeName();
        return names;
    }
    QStringList selectedNames() const {
        QStringList names;
        for (const ContactEntry &entry : table()->selectedContacts())
            names << entry.person->compositeName();
        return names;
    }
    // The group list's rows under the container.
    QStringList groupRows() const {
        GroupOutlineModel *model = view->groupViewController()->outlineModel();
        const QModelIndex container = model->index(0, 0);
        QStringList names;
        for (int r = 0; r < model->rowCount(container); ++r)
            names << model->index(r, 0, container).data().toString();
        return names;
    }

    void selectGroup(const SharedGroup &g) {
        GroupOutlineView *outline = view->groupViewController()->outlineView();
        const QModelIndex index = view->groupViewController()->outlineModel()->indexOfGroup(g.get());
        ASSERT_TRUE(index.isValid());
        outline->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        ASSERT_EQ(view->selectedGroupDict(), g);
    }
    void selectRowsOf(const QStringList &names) {
        QList<int> selected;
        for (int r = 0; r < int(table()->subContactTable().size()); ++r)
            if (names.contains(table()->subContactTable()[r]->person->compositeName()))
                selected << r;
        table()->selectRowIndexes(selected);
    }

    // A main-menu item picked by a user: the menu validates it first; the event turn ends.
    void pick(const QString &menuTitle, const QString &itemTitle, bool expectEnabled = true) {
        Menu *menu = findSubmenu(document->controller->window()->mainMenu(), menuTitle);
        ASSERT_NE(menu, nullptr) << menuTitle.toStdString();
        menu->update();
        MenuItem *item = menu->itemWithTitle(itemTitle);
        ASSERT_NE(item, nullptr) << itemTitle.toStdString();
        ASSERT_EQ(item->isEnabled(), expectEnabled) << itemTitle.toStdString();
        if (expectEnabled)
            item->trigger();
        QCoreApplication::processEvents();
    }
    void undo() { pick(QStringLiteral("Edit"), QStringLiteral("Undo")); }
    void redo() { pick(QStringLiteral("Edit"), QStringLiteral("Redo")); }
    void endTurn() { QCoreApplication::processEvents(); }
    UndoManager *undoManager() { return document->undoManager(); }
};

// ---- Contacts

TEST_F(EditTest, AddContactToACategoryAndUndoLeaveNoTraceAndClearTheEditedMark) {
    selectGroup(groupNamed(QStringLiteral("Friends")));
    const QStringList before = marks(view);
    const QStringList rowsBefore = rows();
    ASSERT_FALSE(edited());

    pick(QStringLiteral("Contact"), QStringLiteral("Add New Contact"));
    EXPECT_EQ(rows().size(), rowsBefore.size() + 1);
    EXPECT_TRUE(rows().contains(QStringLiteral("New")));
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("New")});
    EXPECT_EQ(windows.calls.last(), QStringLiteral("show YES"));
    EXPECT_TRUE(edited());
    // A copy, marked new, in All Contacts too.
    EXPECT_TRUE(marks(view)[0].endsWith(QStringLiteral(" New*")));
    EXPECT_TRUE(marks(view)[1].endsWith(QStringLiteral(" New*")));

    const QStringList after = marks(view);
    for (int round = 0; round < 2; ++round) {
        undo();
        EXPECT_EQ(marks(view), before);
        EXPECT_EQ(rows(), rowsBefore);
        EXPECT_FALSE(edited());
        redo();
        EXPECT_EQ(marks(view), after);
        EXPECT_TRUE(edited());
    }
    undo();
    EXPECT_EQ(marks(view), before);
    EXPECT_FALSE(edited());
}

TEST_F(EditTest, AddContactUnlocksALockedWindow) {
    document->controller->editButton()->click();
    ASSERT_FALSE(view->editState());
    pick(QStringLiteral("Contact"), QStringLiteral("Add New Contact"));
    EXPECT_TRUE(view->editState());
    EXPECT_EQ(view->contactTable()->size(), 5);
}

TEST_F(EditTest, DeletingFromAllContactsMarksEveryGroupAndUndoKeepsEarlierDeletions) {
    // Ann leaves Friends first.
    selectGroup(groupNamed(QStringLiteral("Friends")));
    selectRowsOf({QStringLiteral("Ann Abe")});
    pick(QStringLiteral("Contact"), QStringLiteral("Delete Contacts"));
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Bob Baker")});
    EXPECT_EQ(windows.calls.last(), "close " + view->contactTable()->first().uniqueId);
    // The row now selected is what the detail panel and the find position show.
    ASSERT_EQ(selectedNames(), QStringList{QStringLiteral("Bob Baker")});
    ASSERT_TRUE(view->contactInfoController()->contact());
    EXPECT_EQ(view->contactInfoController()->contact()->person->compositeName(), QStringLiteral("Bob Baker"));
    EXPECT_EQ(view->selectedItemAndRange()->contact->compositeName(), QStringLiteral("Bob Baker"));

    selectGroup(group(0));
    const QStringList before = marks(view);
    selectRowsOf({QStringLiteral("Ann Abe"), QStringLiteral("Bob Baker")});
    pick(QStringLiteral("Contact"), QStringLiteral("Delete Contacts"));
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("Cid Cole"), QStringLiteral("Dee Dunn")}));
    const QStringList after = marks(view);
    EXPECT_TRUE(after[1].contains(QStringLiteral("Bob Baker-")));
    EXPECT_EQ(view->containerTable()->first().groups[1]->contactTable->size(), 2); // marked, not removed

    // Both rows went in one step; Ann stays out of Friends as she was before.
    for (int round = 0; round < 2; ++round) {
        undo();
        EXPECT_EQ(marks(view), before);
        EXPECT_EQ(rows().size(), 4);
        EXPECT_TRUE(edited()); // the first deletion remains
        redo();
        EXPECT_EQ(marks(view), after);
    }
    undo();
    undo();
    EXPECT_FALSE(edited());
    EXPECT_FALSE(undoManager()->canUndo());
}

TEST_F(EditTest, DuplicateMakesOneCopyPerContactWithNewIdsAndCustomItems) {
    view->contactsViewController()->setSelectedViewType(QStringLiteral("Email"));
    // Ann spans two rows (two e-mail addresses): both selected give one duplicate.
    selectRowsOf({QStringLiteral("Ann Abe"), QStringLiteral("Dee Dunn")});
    ASSERT_GE(table()->selectedRowIndexes().size(), 3);
    pick(QStringLiteral("Contact"), QStringLiteral("Duplicate Contacts"));
    ASSERT_EQ(view->contactTable()->size(), 6);
    const ContactEntry annCopy = view->contactTable()->at(4);
    const ContactEntry deeCopy = view->contactTable()->at(5);
    EXPECT_EQ(annCopy.person->compositeName(), QStringLiteral("Ann Abe"));
    EXPECT_NE(annCopy.uniqueId, view->contactTable()->at(0).uniqueId);
    EXPECT_EQ(annCopy.uniqueId, annCopy.person->uniqueId());
    EXPECT_TRUE(annCopy.isNew);
    EXPECT_EQ(deeCopy.person->stringValueForIdentifier(QStringLiteral("HOBBY")),
              view->contactTable()->at(3).person->stringValueForIdentifier(QStringLiteral("HOBBY")));
    EXPECT_FALSE(deeCopy.person->customItems().isEmpty());
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Ann Abe"), QStringLiteral("Dee Dunn")}));
    EXPECT_NE(table()->selectedContacts().first().uniqueId, view->contactTable()->at(0).uniqueId);

    undo();
    EXPECT_EQ(view->contactTable()->size(), 4);
    EXPECT_EQ(rows().size(), 4);
    redo();
    EXPECT_EQ(view->contactTable()->size(), 6);
    EXPECT_EQ(view->contactTable()->at(4).uniqueId, annCopy.person->uniqueId());
}

// What the panes were told: the detail panel's contact and the find position's.
QStringList reported(ViewController *view) {
    const auto &shown = view->contactInfoController()->contact();
    const auto &target = view->selectedItemAndRange();
    return {shown ? shown->person->compositeName() : QString(),
            target && shown && target->uniqueId == shown->uniqueId ? QStringLiteral("find") : QString()};
}

TEST_F(EditTest, UndoOfADuplicateSelectsAndReportsTheOriginalWhichDeleteThenRemoves) {
    document->controller->showContactInfo(true);
    view->contactsViewController()->setSelectedViewType(QStringLiteral("Name"));
    const QString cid = QStringLiteral("Cid Cole");
    selectRowsOf({cid});
    pick(QStringLiteral("Contact"), QStringLiteral("Duplicate Contacts"));
    EXPECT_EQ(rows(), (QStringList{"Ann Abe", "Bob Baker", cid, cid, "Dee Dunn"}));
    const QString copy = table()->selectedContacts().value(0).uniqueId;
    EXPECT_NE(copy, view->contactTable()->at(2).uniqueId);
    for (int round = 0; round < 2; ++round) {
        undo();
        // Not Dee Dunn, who took the copy's row.
        EXPECT_EQ(selectedNames(), QStringList{cid});
        EXPECT_EQ(table()->selectedContacts().value(0).uniqueId, view->contactTable()->at(2).uniqueId);
        EXPECT_EQ(reported(view), (QStringList{cid, "find"}));
        if (round == 0) {
            redo();
            EXPECT_EQ(table()->selectedContacts().value(0).uniqueId, copy);
            EXPECT_EQ(reported(view), (QStringList{cid, "find"}));
        }
    }
    pick(QStringLiteral("Contact"), QStringLiteral("Delete Contacts"));
    EXPECT_EQ(rows(), (QStringList{"Ann Abe", "Bob Baker", "Dee Dunn"}));
}

TEST_F(EditTest, AGroupSwitchKeepingTheRowNumberReportsTheContactNowThere) {
    // Cid is the third row of All Contacts and in no group; the club's third row is Dee.
    document = open(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nN:;Ann;;;\r\nCATEGORIES:Club\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\nN:;Bob;;;\r\nCATEGORIES:Club\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cid\r\nN:;Cid;;;\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dee\r\nN:;Dee;;;\r\nCATEGORIES:Club\r\nEND:VCARD\r\n"),
                    QStringLiteral("Club.vcf"));
    view = content(document);
    document->controller->showContactInfo(true);
    view->contactsViewController()->setSelectedViewType(QStringLiteral("Name"));
    selectRowsOf({QStringLiteral("Cid")});
    ASSERT_EQ(table()->selectedRowIndexes(), QList<int>{2});
    selectGroup(groupNamed(QStringLiteral("Club")));
    EXPECT_EQ(table()->selectedRowIndexes(), QList<int>{2});
    EXPECT_EQ(selectedNames(), QStringList{"Dee"});
    EXPECT_EQ(reported(view), (QStringList{"Dee", "find"}));
    pick(QStringLiteral("Contact"), QStringLiteral("Delete Contacts"));
    EXPECT_EQ(rows(), (QStringList{"Ann", "Bob"}));
    selectGroup(group(0));
    EXPECT_EQ(rows(), (QStringList{"Ann", "Bob", "Cid", "Dee"}));
}

TEST_F(EditTest, RowsDroppedOnAGroupComeByNumberFromThisWindowAndAsCardsFromAnother) {
    const SharedGroup friends = groupNamed(QStringLiteral("Friends"));
    // Ann leaves Friends, so that her dropped row brings the group's own record back.
    selectGroup(friends);
    selectRowsOf({QStringLiteral("Ann Abe")});
    pick(QStringLiteral("Contact"), QStringLiteral("Delete Contacts"));
    selectGroup(group(0));
    const QStringList before = marks(view);
    GroupViewController *groups = view->groupViewController();
    const QModelIndex target = groups->outlineModel()->indexOfGroup(friends.get());
    const auto drag = [](const QWidget *from, const QString &indexes, const QString &cards) {
        auto pasteboard = Pasteboard::forDragging();
        pasteboard->setSource(from);
        pasteboard->setString(indexes, PasteboardType::StringIndexes);
        if (!cards.isEmpty())
            pasteboard->setString(cards, PasteboardType::VCard);
        return std::unique_ptr<QMimeData>(pasteboard->takeMimeData());
    };
    const QString zoe = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zed;Zoe;;;\r\nFN:Zoe Zed\r\nEND:VCARD\r\n");
    // This window's rows by number (Ann's and Cid's, and numbers no row has); the cards along
    // are not read.
    QStringList numbers;
    for (int r = 0; r < int(table()->subContactTable().size()); ++r) {
        const QString name = table()->subContactTable()[r]->person->compositeName();
        if (name == QLatin1String("Ann Abe") || name == QLatin1String("Cid Cole"))
            numbers << QString::number(r);
    }
    numbers << QStringLiteral("99") << QStringLiteral("-1") << QStringLiteral("x");
    const auto own = drag(document->controller->window(), numbers.join(QLatin1Char(',')), zoe);
    ASSERT_EQ(groups->outlineViewValidateDrop(Pasteboard(own.get()), target, -1), Qt::CopyAction);
    ASSERT_TRUE(groups->outlineViewAcceptDrop(Pasteboard(own.get()), target, -1));
    endTurn();
    EXPECT_EQ(view->selectedGroupDict(), friends);
    EXPECT_EQ(friends->contactTable->size(), 3); // Ann's own record is back, Cid appended
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("Ann Abe"), QStringLiteral("Bob Baker"),
                                   QStringLiteral("Cid Cole")}));
    EXPECT_TRUE(edited());

    // Another window's rows: their numbers mean nothing here; their cards are added.
    selectGroup(group(0));
    Window other;
    const auto foreign = drag(&other, QStringLiteral("0"), zoe);
    ASSERT_EQ(groups->outlineViewValidateDrop(Pasteboard(foreign.get()), target, -1), Qt::CopyAction);
    ASSERT_TRUE(groups->outlineViewAcceptDrop(Pasteboard(foreign.get()), target, -1));
    endTurn();
    EXPECT_TRUE(rows().contains(QStringLiteral("Zoe Zed")));
    EXPECT_EQ(group(0)->contactTable->size(), 5);
    // Another window's row numbers without cards are refused; rows out of range add nothing.
    const auto numbersOnly = drag(&other, QStringLiteral("0"), QString());
    EXPECT_EQ(groups->outlineViewValidateDrop(Pasteboard(numbersOnly.get()), target, -1), Qt::IgnoreAction);
    view->addContactByStringIndexes(QStringLiteral("40,41"), friends);

    undo();
    undo();
    EXPECT_EQ(marks(view), before);
}

TEST_F(EditTest, VCardTextDroppedOnTheWindowAddsItsCardsToTheSelectedGroup) {
    const SharedGroup friends = groupNamed(QStringLiteral("Friends"));
    selectGroup(friends);
    const QStringList before = marks(view);
    view->addContactByVCardString(
        QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Eto;Eve;;;\r\nFN:Eve Eto\r\n"
                       "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Fox;Fay;;;\r\n"
                       "FN:Fay Fox\r\nEND:VCARD\r\n"));
    endTurn();
    EXPECT_TRUE(rows().contains(QStringLiteral("Eve Eto")));
    EXPECT_TRUE(rows().contains(QStringLiteral("Fay Fox")));
    EXPECT_EQ(group(0)->contactTable->size(), 6);
    EXPECT_TRUE(edited());
    view->addContactByVCardString(QStringLiteral("not a card"));
    endTurn();
    undo();
    EXPECT_EQ(marks(view), before);
    EXPECT_FALSE(edited());
}

// ---- Groups

TEST_F(EditTest, AddGroupNamesNewCountingDeletedGroupsAndKeepsTheSelection) {
    const SharedGroup all = group(0);
    pick(QStringLiteral("Group"), QStringLiteral("Add Group"));
    EXPECT_EQ(groupRows(), (QStringList{QStringLiteral("All Contacts"), QStringLiteral("Friends"),
                                        QStringLiteral("New")}));
    EXPECT_EQ(view->selectedGroupDict(), all);
    EXPECT_TRUE(edited());
    const SharedGroup made = groupNamed(QStringLiteral("New"));
    EXPECT_TRUE(made->isNew);
    EXPECT_TRUE(made->contactTable && made->contactTable->isEmpty());
    EXPECT_EQ(made->containerIdentifier, all->containerIdentifier);
    EXPECT_TRUE(made->identifier.startsWith(QStringLiteral("New+")));

    pick(QStringLiteral("Group"), QStringLiteral("Add Group"));
    EXPECT_TRUE(groupRows().contains(QStringLiteral("New0")));
    undo();
    EXPECT_EQ(groupRows().size(), 3);
    // The undone group stays in the container, marked deleted, and keeps its name taken.
    pick(QStringLiteral("Group"), QStringLiteral("Add Group"));
    EXPECT_EQ(groupRows().last(), QStringLiteral("New1"));
    undo();
    undo();
    EXPECT_EQ(groupRows(), (QStringList{QStringLiteral("All Contacts"), QStringLiteral("Friends")}));
    EXPECT_FALSE(edited());
    redo();
    EXPECT_EQ(groupRows().last(), QStringLiteral("New"));
}

TEST_F(EditTest, DeleteGroupAsksSwapsWithTheLastGroupAndUndoBringsItBack) {
    pick(QStringLiteral("Group"), QStringLiteral("Add Group"));
    pick(QStringLiteral("Group"), QStringLiteral("Add Group"));
    const SharedGroup friends = groupNamed(QStringLiteral("Friends"));
    selectGroup(friends);
    {
        ScriptedDialogPresenter presenter;
        presenter.answerAlert(QStringLiteral("Cancel"));
        pick(QStringLiteral("Group"), QStringLiteral("Delete Group"));
        ASSERT_EQ(presenter.shown().size(), 1);
        EXPECT_EQ(presenter.shown().first().alert.messageText,
                  QStringLiteral("Do you want to remove the group?"));
        EXPECT_EQ(presenter.shown().first().alert.informativeText,
                  QStringLiteral("This operation can't be undone."));
        EXPECT_FALSE(friends->deleted);
    }
    {
        ScriptedDialogPresenter presenter;
        presenter.answerAlert(QStringLiteral("OK"));
        pick(QStringLiteral("Group"), QStringLiteral("Delete Group"));
    }
    EXPECT_TRUE(friends->deleted);
    EXPECT_EQ(group(3), friends);
    EXPECT_EQ(groupRows(),
              (QStringList{QStringLiteral("All Contacts"), QStringLiteral("New0"), QStringLiteral("New")}));
    EXPECT_EQ(view->selectedGroupDict(), group(0));
    EXPECT_EQ(table()->footerText(), QStringLiteral("All Contacts: total 4 contacts"));
    // All Contacts selected: no Delete Group.
    pick(QStringLiteral("Group"), QStringLiteral("Delete Group"), false);

    undo();
    EXPECT_FALSE(friends->deleted);
    EXPECT_EQ(groupRows(), (QStringList{QStringLiteral("All Contacts"), QStringLiteral("New0"),
                                        QStringLiteral("New"), QStringLiteral("Friends")}));
    redo();
    EXPECT_TRUE(friends->deleted);
    undo();
    EXPECT_FALSE(friends->deleted);
}

TEST_F(EditTest, RenameAppliesToTheEditedGroupAndUndoReselectsIt) {
    const SharedGroup friends = groupNamed(QStringLiteral("Friends"));
    selectGroup(friends);
    selectGroup(group(0));
    view->groupNameWillChange(QStringLiteral("Pals"), friends);
    endTurn();
    EXPECT_EQ(friends->name, QStringLiteral("Pals"));
    EXPECT_TRUE(friends->groupNameChanged);
    EXPECT_EQ(group(0)->name, QStringLiteral("All Contacts"));
    EXPECT_TRUE(groupRows().contains(QStringLiteral("Pals")));
    EXPECT_TRUE(edited());

    selectGroup(group(0));
    undo();
    EXPECT_EQ(friends->name, QStringLiteral("Friends"));
    EXPECT_EQ(view->selectedGroupDict(), friends);
    EXPECT_EQ(view->groupViewController()->selectedGroupDict(), friends);
    EXPECT_EQ(table()->footerText(), QStringLiteral("Friends: total 2 contacts"));
    EXPECT_FALSE(edited());
    redo();
    EXPECT_EQ(friends->name, QStringLiteral("Pals"));

    view->groupNameWillChange(QString(), friends);
    EXPECT_EQ(friends->name, QStringLiteral("Pals"));
}

TEST_F(EditTest, ContactGroupNamesLeaveOutDeletedGroupsAndRecords) {
    const SharedGroup friends = groupNamed(QStringLiteral("Friends"));
    const QString ann = view->contactTable()->first().uniqueId;
    EXPECT_EQ(view->groupNamesOfContact(ann),
              (QStringList{QStringLiteral("All Contacts"), QStringLiteral("Friends")}));
    selectGroup(friends);
    selectRowsOf({QStringLiteral("Ann Abe")});
    pick(QStringLiteral("Contact"), QStringLiteral("Delete Contacts"));
    EXPECT_EQ(view->groupNamesOfContact(ann), QStringList{QStringLiteral("All Contacts")});
    undo();
    EXPECT_EQ(view->groupNamesOfContact(ann),
              (QStringList{QStringLiteral("All Contacts"), QStringLiteral("Friends")}));
}

// ---- Contact values

TEST_F(EditTest, EveryValueOperationRoundTripsThroughUndoAndRedo) {
    const std::shared_ptr<QMPerson> ann = view->contactTable()->first().person;
    const ContactEntry dee = view->contactTable()->at(3);
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    NameRecord name = ann->nameValue();
    name.firstName = QStringLiteral("Anna");
    PhoneticNameRecord phonetic;
    phonetic.lastName = QStringLiteral("Abé");
    BirthdayRecord birthday;
    birthday.value = DateComponents{1990, 5, 17};
    LabeledValueRecord email = *ann->labeledValueForIdentifier(FieldId::Email, LabelIndex(1));
    email.value = QStringLiteral("new@abe.example");
    LabeledValueRecord phone;
    phone.label = QStringLiteral("work");
    phone.value = QStringLiteral("+1 555 0199");
    LabeledValueRecord address;
    address.label = QStringLiteral("home");
    address.city = QStringLiteral("Springfield");
    address.labelIndex = 0;
    LabeledValueRecord pet;
    pet.label = QStringLiteral("cat");
    pet.value = QStringLiteral("Tom");
    CustomItemDefinition petItem;
    petItem.name = QStringLiteral("Pet");
    petItem.type = ValueKind::Labeled;
    petItem.labels = {QStringLiteral("cat")};
    view->windowState()->setCustomItems({petItem});

    const std::vector<std::pair<const char *, std::function<bool()>>> edits = {
        {"name", [&] { return view->undoReplaceNameValue(name, ann); }},
        {"phonetic", [&] { return view->undoReplacePhoneticNameValue(phonetic, ann); }},
        {"birthday", [&] { return view->undoReplaceBirthday(birthday, ann); }},
        {"photo", [&] { return view->undoReplacePhoto(red, ann); }},
        {"note",
         [&] {
             return view->undoReplaceStringValue(QStringLiteral("Met at the fair"), FieldId::Note, ann, view);
         }},
        {"no note", [&] { return view->undoReplaceStringValue(std::nullopt, FieldId::Note, ann, view); }},
        {"one e-mail", [&] { return view->undoReplaceLabeledValue(email, FieldId::Email, ann, view); }},
        {"e-mails emptied",
         [&] { return view->undoReplaceLabeledValue(FieldValue(), FieldId::Email, ann, view); }},
        {"e-mail list",
         [&] { return view->undoReplaceLabeledValue(LabeledValueList{email}, FieldId::Email, ann, view); }},
        {"phone added",
         [&] {
             view->undoAddLabeledValue(phone, FieldId::Phone, ann, view);
             return true;
         }},
        {"e-mail deleted",
         [&] {
             return view->undoDeleteLabeledValueForIdentifier(FieldId::Email, email.labelIndex, ann, view);
         }},
        {"first address",
         [&] {
             view->undoAddLabeledValue(address, FieldId::Address, ann, view);
             return true;
         }},
        {"custom item",
         [&] { return view->undoReplaceLabeledValue(pet, QStringLiteral("Pet"), dee.person, view); }},
        {"custom text",
         [&] {
             return view->undoReplaceStringValue(QStringLiteral("Go"), QStringLiteral("HOBBY"), dee.person,
                                                 view);
         }},
    };
    // Everything an edit here can change, the custom items included.
    const auto snapshot = [&] {
        QStringList state;
        for (const std::shared_ptr<QMPerson> &person : {ann, dee.person}) {
            state << QString::fromUtf8(person->vCardData()) << person->stringValueForIdentifier(FieldId::Note)
                  << QString::fromLatin1(person->imageData().toBase64())
                  << person->customIdentifiers().join(',');
            for (const QString &item : person->customIdentifiers()) {
                state << person->stringValueForIdentifier(item);
                for (const LabeledValueRecord &value :
                     person->labeledValueForIdentifier(item).value_or(LabeledValueList{}))
                    state << value.labelText() + '=' + value.valueText();
            }
        }
        return state;
    };
    for (const auto &[what, edit] : edits) {
        SCOPED_TRACE(what);
        const QStringList before = snapshot();
        ASSERT_TRUE(edit());
        endTurn();
        const QStringList after = snapshot();
        EXPECT_NE(after, before);
        EXPECT_TRUE(ann->changed());
        for (int round = 0; round < 2; ++round) {
            undo();
            EXPECT_EQ(snapshot(), before);
            redo();
            EXPECT_EQ(snapshot(), after);
        }
    }
    EXPECT_EQ(ann->compositeName(), QStringLiteral("Anna Abe"));
    EXPECT_EQ(ann->labeledValueForIdentifier(FieldId::Email)->size(), 0);
    EXPECT_FALSE(ann->photo().isNull());
}

TEST_F(EditTest, RefusalsLogErrorAndRegisterNothing) {
    const std::shared_ptr<QMPerson> ann = view->contactTable()->first().person;
    const QByteArray before = ann->vCardData();
    RefusalCounter refusals;
    EXPECT_FALSE(view->undoReplaceStringValue(QStringLiteral("x"), FieldId::Email, ann, view));
    EXPECT_FALSE(view->undoReplaceStringValue(QStringLiteral("x"), QStringLiteral("City"), ann, view));
    EXPECT_FALSE(view->undoDeleteLabeledValueForIdentifier(QStringLiteral("Street"), 0, ann, view));
    EXPECT_FALSE(view->undoDeleteLabeledValueForIdentifier(FieldId::Note, 0, ann, view));
    EXPECT_FALSE(view->undoReplaceLabeledValue(QStringLiteral("text"), QStringLiteral("Unknown"), ann, view));
    EXPECT_EQ(refusals.count(), 5);
    // Refused without a word: a value of the wrong kind.
    EXPECT_FALSE(view->undoReplacePhoto(QStringLiteral("not an image"), ann));
    EXPECT_FALSE(view->undoReplaceBirthday(QStringLiteral("1990"), ann));
    EXPECT_FALSE(view->undoReplaceLabeledValue(QStringLiteral("text"), QStringLiteral("City"), ann, view));
    EXPECT_FALSE(view->undoReplaceStringValue(QStringLiteral("x"), FieldId::Birthday, ann, view));
    EXPECT_EQ(refusals.count(), 5);
    endTurn();
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_EQ(ann->vCardData(), before);
    pick(QStringLiteral("Edit"), QStringLiteral("Undo"), false);
}

TEST_F(EditTest, MergeResultIsOneUndoStepAndReportsTheChange) {
    const ContactEntry ann = view->contactTable()->at(0);
    const ContactEntry bob = view->contactTable()->at(1);
    const QByteArray annBefore = ann.person->vCardData();
    const QByteArray bobBefore = bob.person->vCardData();
    ContactEntry annMerged = ContactEntry::withPerson(std::shared_ptr<QMPerson>(ann.person->copy()));
    annMerged.person->setValue(QStringLiteral("Chief"), FieldId::JobTitle);
    LabeledValueRecord phone;
    phone.label = QStringLiteral("home");
    phone.value = QStringLiteral("+1 555 0111");
    annMerged.person->addLabeledValue(phone, FieldId::Phone);
    ContactEntry bobMerged = ContactEntry::withPerson(std::shared_ptr<QMPerson>(bob.person->copy()));
    NameRecord name = bob.person->nameValue();
    name.lastName = QStringLiteral("Becker");
    bobMerged.person->setNameValue(name, FieldId::Name);

    view->undoReplacePersonByContacts({annMerged, bobMerged}, {ann, bob});
    endTurn();
    EXPECT_EQ(ann.person->stringValueForIdentifier(FieldId::JobTitle), QStringLiteral("Chief"));
    EXPECT_EQ(ann.person->labeledValueForIdentifier(FieldId::Phone)->size(), 2);
    EXPECT_EQ(bob.person->compositeName(), QStringLiteral("Bob Becker"));
    EXPECT_TRUE(rows().contains(QStringLiteral("Bob Becker")));
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(ann.person->vCardData(), annBefore);
    EXPECT_EQ(bob.person->vCardData(), bobBefore);
    EXPECT_TRUE(rows().contains(QStringLiteral("Bob Baker")));
    EXPECT_FALSE(undoManager()->canUndo());
    redo();
    EXPECT_EQ(bob.person->compositeName(), QStringLiteral("Bob Becker"));
}

TEST_F(EditTest, MergeResultCarriesTheCustomItemsInTheSameStep) {
    CustomItemDefinition pets{QStringLiteral("Pets"), ValueKind::Labeled, {}, {}, false, false, false, false, {}};
    CustomItemDefinition locker{QStringLiteral("Locker"), ValueKind::String, {}, {}, false, false, false, false, {}};
    view->windowState()->setCustomItems({pets, locker});
    const ContactEntry ann = view->contactTable()->at(0);
    const ContactEntry bob = view->contactTable()->at(1);
    const QByteArray bobBefore = bob.person->vCardData();
    ContactEntry bobMerged = ContactEntry::withPerson(std::shared_ptr<QMPerson>(bob.person->copy()));
    LabeledValueRecord dog;
    dog.label = QStringLiteral("dog");
    dog.value = QStringLiteral("Pochi");
    bobMerged.person->addLabeledValue(dog, pets.name);
    bobMerged.person->setValue(QStringLiteral("B-12"), locker.name);
    ContactEntry annMerged = ContactEntry::withPerson(std::shared_ptr<QMPerson>(ann.person->copy()));

    view->undoReplacePersonByContacts({annMerged, bobMerged}, {ann, bob});
    endTurn();
    EXPECT_EQ(bob.person->labeledValueForIdentifier(pets.name)->first().valueText(), QStringLiteral("Pochi"));
    EXPECT_EQ(bob.person->stringValueForIdentifier(locker.name), QStringLiteral("B-12"));
    undo();
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_EQ(bob.person->vCardData(), bobBefore);
}

// ---- Pane notifications

TEST_F(EditTest, ContactChangesRefreshThePanesTheSenderDoesNotShow) {
    QObject popover;
    windows.popover = &popover;
    const ContactEntry ann = view->contactTable()->first();
    auto rename = [&](const QString &first) {
        NameRecord name = ann.person->nameValue();
        name.firstName = first;
        ann.person->setNameValue(name, FieldId::Name);
    };
    // The table reported: it is not rebuilt again (a record put straight into the list
    // stays unseen), the detached windows are refreshed.
    ContactEntry zed = ContactEntry::withPerson(std::make_shared<QMPerson>());
    view->contactTable()->append(zed);
    view->contactDidUpdate(ann, table());
    EXPECT_EQ(rows().size(), 4);
    EXPECT_EQ(windows.calls, QStringList{"detached " + ann.uniqueId});
    EXPECT_TRUE(edited());
    // The detail panel reported: the contact's rows are made again (the table is not
    // rebuilt: the record put straight into the list stays unseen), popover and detached
    // windows are not refreshed.
    windows.calls.clear();
    rename(QStringLiteral("Anya"));
    view->contactDidUpdate(ann, view->contactInfoController());
    EXPECT_EQ(rows().size(), 4);
    EXPECT_TRUE(rows().contains(QStringLiteral("Anya Abe")));
    EXPECT_TRUE(windows.calls.isEmpty());
    // The popover reported: it, the detached windows and the table are refreshed.
    rename(QStringLiteral("Anja"));
    view->contactDidUpdate(ann, &popover);
    EXPECT_EQ(windows.calls, (QStringList{QStringLiteral("popover"), "detached " + ann.uniqueId}));
    EXPECT_TRUE(rows().contains(QStringLiteral("Anja Abe")));
    EXPECT_EQ(rows().size(), 4);

    // While undoing: the table and detached windows only; the edited mark is left to Undo.
    document->controller->window()->setDocumentEdited(false);
    windows.calls.clear();
    undoManager()->registerUndo(this, [&] {
        rename(QStringLiteral("Ann"));
        view->contactDidUpdate(ann, &popover);
    });
    endTurn();
    undo();
    EXPECT_EQ(windows.calls, QStringList{"detached " + ann.uniqueId});
    EXPECT_TRUE(rows().contains(QStringLiteral("Ann Abe")));
    EXPECT_EQ(rows().size(), 4);
    EXPECT_FALSE(edited());
}

TEST_F(EditTest, SelectingAGroupClosesDetachedWindows) {
    selectGroup(groupNamed(QStringLiteral("Friends")));
    EXPECT_TRUE(windows.calls.contains(QStringLiteral("close all")));
}

} // namespace
} // namespace tessarin

// ---- Clipboard and drags between windows

namespace tessarin {
namespace {

TEST_F(EditTest, TheEditMenusCopyAndPasteAddAContactWithOneUndoStep) {
    Menu *edit = findSubmenu(document->controller->window()->mainMenu(), QStringLiteral("Edit"));
    ASSERT_NE(edit, nullptr);
    const QList<std::pair<QString, QString>> items = {{QStringLiteral("Copy"), ActionId::Copy},
                                                      {QStringLiteral("Copy as CSV"), ActionId::CopyAsCSV},
                                                      {QStringLiteral("Copy as vCard"), ActionId::CopyAsVCard},
                                                      {QStringLiteral("Paste"), ActionId::Paste}};
    for (const auto &[title, action] : items) {
        ASSERT_NE(edit->itemWithTitle(title), nullptr) << title.toStdString();
        EXPECT_EQ(edit->itemWithTitle(title)->action(), action);
    }
    EXPECT_EQ(edit->itemWithTitle(QStringLiteral("Copy"))->shortcut(), QKeySequence(QKeySequence::Copy));
    EXPECT_EQ(edit->itemWithTitle(QStringLiteral("Paste"))->shortcut(), QKeySequence(QKeySequence::Paste));

    document->controller->window()->activateWindow();
    table()->tableView()->setFocus();
    selectRowsOf({QStringLiteral("Bob Baker")});
    const QStringList before = rows();
    pick(QStringLiteral("Edit"), QStringLiteral("Copy"));
    EXPECT_TRUE(Pasteboard::general().stringForType().startsWith(QStringLiteral("Bob Baker\t")));
    EXPECT_FALSE(edited());
    pick(QStringLiteral("Edit"), QStringLiteral("Paste"));
    EXPECT_EQ(rows().size(), before.size() + 1);
    EXPECT_EQ(rows().count(QStringLiteral("Bob Baker")), 2);
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(rows(), before);
    EXPECT_FALSE(edited());

    // Ctrl+C in the table is the menu's Copy, not the view's copy of one cell. The shortcut
    // reaches the menu only in the active window, which a busy machine may not have made it yet.
    QApplication::clipboard()->clear();
    document->controller->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(document->controller->window()));
    table()->tableView()->setFocus();
    selectRowsOf({QStringLiteral("Cid Cole")});
    QTest::keyClick(table()->tableView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(Pasteboard::general().stringForType().startsWith(QStringLiteral("Cid Cole\t")))
        << Pasteboard::general().stringForType().toStdString();
}

TEST_F(EditTest, RowsDraggedIntoAnotherWindowArriveThereAsContacts) {
    TestDocument *other = open(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zed;Zoe;;;\r\nFN:Zoe Zed\r\nEND:VCARD\r\n"),
                               QStringLiteral("Other.vcf"));
    ViewController *otherView = content(other);
    otherView->setEditState(true);
    view->setEditState(true);
    ContactsViewController *target = otherView->contactsViewController();
    selectRowsOf({QStringLiteral("Ann Abe"), QStringLiteral("Cid Cole")});
    auto pasteboard = Pasteboard::forDragging();
    ASSERT_TRUE(table()->tableViewWriteRowsWithIndexes(table()->selectedRowIndexes(), *pasteboard));
    const std::unique_ptr<QMimeData> data(pasteboard->takeMimeData());
    const Pasteboard info(data.get());

    // Its own table refuses the rows; the other window takes them as cards, not row numbers.
    EXPECT_EQ(table()->tableViewValidateDrop(info, 0, TableViewDropOperation::Above), Qt::IgnoreAction);
    ASSERT_EQ(target->tableViewValidateDrop(info, 0, TableViewDropOperation::Above), EveryDropOperation);
    const QStringList before = rows();
    ASSERT_TRUE(target->tableViewAcceptDrop(info, 0, TableViewDropOperation::Above));
    QStringList arrived;
    for (const SubContactRowPtr &row : target->subContactTable())
        if (!row->notFirstRow)
            arrived << row->person->compositeName();
    EXPECT_EQ(arrived, (QStringList{QStringLiteral("Ann Abe"), QStringLiteral("Cid Cole"), QStringLiteral("Zoe Zed")}));
    EXPECT_TRUE(other->controller->window()->isDocumentEdited());
    // Nothing leaves the window the rows came from.
    EXPECT_EQ(rows(), before);
    EXPECT_FALSE(edited());
    closeDocument(other);
}

} // namespace
} // namespace tessarin
