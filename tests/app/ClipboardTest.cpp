// Contacts carried by the clipboard and by drags from one window to another, or back into
// their own, as the user sees them arrive.
#include "tests/app/TransferTestSupport.h"

#include "tests/app/Driving.h"

#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QTableView>

namespace tessarin {
using namespace transfer_test;

namespace {

// Ann is shown in two rows of the Email view and carries every kind of line a route may
// leave out: a note, a photo, a custom item.
QString sourceCards() {
    QImage photo(8, 8, QImage::Format_RGB32);
    photo.fill(Qt::darkCyan);
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\n"
                          "EMAIL;type=INTERNET;type=WORK:ann@work.example\r\n"
                          "EMAIL;type=INTERNET;type=HOME:ann@home.example\r\nTEL;type=CELL:+1 555 0100\r\n"
                          "NOTE:Likes tea\r\nX-HOBBY:Chess\r\nUID:ann-uid\r\nCATEGORIES:Friends\r\n") +
           QMvCard::encodeVCardPhoto(photo) +
           QStringLiteral("END:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\n"
                          "EMAIL;type=INTERNET;type=HOME:bob@baker.example\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\nEND:VCARD\r\n");
}

const QString OtherCards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zed;Zoe;;;\r\nFN:Zoe Zed\r\nCATEGORIES:Club\r\nEND:VCARD\r\n");

class ClipboardTest : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        UserDefaults::standard().setObject(QStringLiteral("Email"), QStringLiteral("QM1DselectedViewType"));
        QApplication::clipboard()->clear();
    }

    static ContactsViewController *table(TestDocument *document) {
        return content(document)->contactsViewController();
    }
    static SharedGroup groupNamed(TestDocument *document, const QString &name) {
        for (const SharedGroup &group : content(document)->containerTable()->first().groups)
            if (group->name == name)
                return group;
        return nullptr;
    }
    static void selectGroup(TestDocument *document, const QString &name) {
        GroupViewController *groups = content(document)->groupViewController();
        const QModelIndex index = groups->outlineModel()->indexOfGroup(groupNamed(document, name).get());
        ASSERT_TRUE(index.isValid());
        groups->outlineView()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        ASSERT_EQ(content(document)->selectedGroupDict(), groupNamed(document, name));
    }
    // The Edit menu's item, picked with the focus in the window's table.
    static bool pick(TestDocument *document, const QString &title) {
        table(document)->tableView()->setFocus();
        return pickMenuItem(document->controller->window()->mainMenu(), QStringLiteral("Edit"), title);
    }
    static bool edited(TestDocument *document) { return document->controller->window()->isDocumentEdited(); }
    // The names of the shown group's live contacts, in its order.
    static QStringList shownGroup(TestDocument *document) {
        return names(*content(document)->selectedGroupDict()->contactTable);
    }
    static QStringList shownRows(TestDocument *document) {
        QStringList shown;
        for (const SubContactRowPtr &row : table(document)->subContactTable())
            if (!row->notFirstRow)
                shown.append(row->person->compositeName());
        return shown;
    }
    static QStringList selectedNames(TestDocument *document) {
        return names(table(document)->selectedContacts());
    }
};

QStringList emails(QMPerson &person) {
    QStringList shown;
    for (const LabeledValueRecord &value : person.emailValues())
        shown.append(value.labelText() + u'=' + value.valueText());
    return shown;
}

// Every route by which contacts leave a table, and every way they come into this window or
// another: each contact arrives once and whole, a new contact in the shown group, in one
// undo step, the window marked edited. Paste works in a locked window too.
TEST_F(ClipboardTest, CopiedOrDraggedContactsArriveWholeAsNewContactsOfTheShownGroup) {
    enum class Into { SameWindow, OtherWindow, OtherWindowLocked };
    const struct {
        const char *route;
        QString copy; // the Edit menu's item; none: a drag
        Into into;
        bool photo; // Copy as vCard, meant for other programs, leaves it out
    } cases[] = {
        {"Copy", QStringLiteral("Copy"), Into::SameWindow, true},
        {"Copy", QStringLiteral("Copy"), Into::OtherWindow, true},
        {"Copy", QStringLiteral("Copy"), Into::OtherWindowLocked, true},
        {"Copy as CSV", QStringLiteral("Copy as CSV"), Into::SameWindow, true},
        {"Copy as CSV", QStringLiteral("Copy as CSV"), Into::OtherWindow, true},
        {"Copy as vCard", QStringLiteral("Copy as vCard"), Into::SameWindow, false},
        {"Copy as vCard", QStringLiteral("Copy as vCard"), Into::OtherWindowLocked, false},
        {"drag", {}, Into::OtherWindow, true},
    };
    for (const auto &c : cases) {
        const std::string where = std::string(c.route) + (c.into == Into::SameWindow ? " into the same window"
                                                          : c.into == Into::OtherWindow ? " into another window"
                                                                                        : " into a locked window");
        SCOPED_TRACE(where);
        TestDocument *source = open(sourceCards(), QStringLiteral("Source.vcf"));
        TestDocument *other = open(OtherCards, QStringLiteral("Other.vcf"));
        TestDocument *target = c.into == Into::SameWindow ? source : other;
        content(source)->setEditState(true);
        content(other)->setEditState(c.into != Into::OtherWindowLocked);
        const ContactEntry sourceAnn = content(source)->contactTable()->first();
        selectContacts(source, {QStringLiteral("Ann Abe"), QStringLiteral("Bob Baker")});
        ASSERT_EQ(table(source)->selectedRowIndexes().size(), 3) << "Ann shows in two rows";

        std::unique_ptr<QMimeData> dragged;
        if (c.copy.isEmpty()) {
            auto pasteboard = Pasteboard::forDragging();
            ASSERT_TRUE(table(source)->tableViewWriteRowsWithIndexes(table(source)->selectedRowIndexes(), *pasteboard));
            dragged.reset(pasteboard->takeMimeData());
        } else {
            ASSERT_TRUE(pick(source, c.copy));
        }
        selectGroup(target, target == source ? QStringLiteral("Friends") : QStringLiteral("Club"));
        const QStringList before = shownGroup(target);
        const QStringList allBefore = names(*content(target)->contactTable());
        if (dragged) {
            ASSERT_TRUE(table(target)->tableViewAcceptDrop(Pasteboard(dragged.get()), 0, TableViewDropOperation::Above));
            QCoreApplication::processEvents();
        } else {
            ASSERT_TRUE(pick(target, QStringLiteral("Paste")));
        }

        const QStringList arrived = {QStringLiteral("Ann Abe"), QStringLiteral("Bob Baker")};
        EXPECT_EQ(shownGroup(target), before + arrived);
        EXPECT_EQ(shownRows(target).count(QStringLiteral("Ann Abe")), before.count(QStringLiteral("Ann Abe")) + 1);
        EXPECT_EQ(selectedNames(target), arrived);
        EXPECT_TRUE(edited(target));
        const ContactTable &group = *content(target)->selectedGroupDict()->contactTable;
        const ContactEntry &ann = group.at(group.size() - 2);
        EXPECT_NE(ann.uniqueId, sourceAnn.uniqueId);
        EXPECT_NE(ann.person, sourceAnn.person);
        QMPerson &person = *ann.person;
        EXPECT_EQ(person.nameValue().firstName, QStringLiteral("Ann"));
        EXPECT_EQ(person.nameValue().lastName, QStringLiteral("Abe"));
        EXPECT_EQ(emails(person), (QStringList{QStringLiteral("work=ann@work.example"),
                                               QStringLiteral("home=ann@home.example")}));
        ASSERT_EQ(person.phoneValues().size(), 1);
        EXPECT_EQ(person.phoneValues().first().valueText(), QStringLiteral("+1 555 0100"));
        EXPECT_EQ(person.stringValueForIdentifier(FieldId::Note), QStringLiteral("Likes tea"));
        EXPECT_EQ(person.stringValueForIdentifier(QStringLiteral("HOBBY")), QStringLiteral("Chess"));
        EXPECT_EQ(!person.photoData().isEmpty(), c.photo);
        // Into its own document a card is a copy, without the original's UID.
        EXPECT_EQ(person.cardIdentity().uid, target == source ? QString() : QStringLiteral("ann-uid"));

        ASSERT_TRUE(pick(target, QStringLiteral("Undo")));
        EXPECT_EQ(shownGroup(target), before);
        EXPECT_EQ(names(*content(target)->contactTable()), allBefore);
        EXPECT_FALSE(edited(target));
        if (target != source) {
            EXPECT_EQ(names(*content(source)->contactTable()),
                      (QStringList{QStringLiteral("Ann Abe"), QStringLiteral("Bob Baker"), QStringLiteral("Cid Cole")}));
            EXPECT_FALSE(edited(source));
        }
        closeDocument(other);
        closeDocument(source);
    }
}

// Text another program put on the clipboard or drops: a vCard is read as cards, whatever
// its line ends, its case or the blank lines before it; other text gives one contact from
// its first line, its fields in the shown columns' order, as before.
TEST_F(ClipboardTest, TextThatIsAVCardArrivesAsItsCardsByPasteAndByDrop) {
    const QString eve = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Eto;Eve;;;\r\nFN:Eve Eto\r\n"
                                       "EMAIL;type=INTERNET;type=HOME:eve@eto.example\r\nEND:VCARD\r\n");
    const QString fay = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Fox;Fay;;;\r\nFN:Fay Fox\r\nEND:VCARD\r\n");
    QString eveLF = eve;
    eveLF.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    struct Case {
        const char *kind;
        QString text;
        QStringList arrived;
        QString firstName, lastName; // of the first arrival
        QStringList emails;
    };
    const QStringList eveEmail = {QStringLiteral("home=eve@eto.example")};
    const QList<Case> cases = {
        {"CRLF", eve, {QStringLiteral("Eve Eto")}, QStringLiteral("Eve"), QStringLiteral("Eto"), eveEmail},
        {"LF", eveLF, {QStringLiteral("Eve Eto")}, QStringLiteral("Eve"), QStringLiteral("Eto"), eveEmail},
        {"two cards", eve + fay, {QStringLiteral("Eve Eto"), QStringLiteral("Fay Fox")}, QStringLiteral("Eve"),
         QStringLiteral("Eto"), eveEmail},
        {"lower case", eveLF.toLower(), {QStringLiteral("eve eto")}, QStringLiteral("eve"), QStringLiteral("eto"),
         eveEmail},
        {"blank lines first", QStringLiteral("\r\n  \r\n") + eve, {QStringLiteral("Eve Eto")}, QStringLiteral("Eve"),
         QStringLiteral("Eto"), eveEmail},
        // Not a vCard: one contact from the first line, the name field whole as before.
        {"tab-separated", QStringLiteral("Eve Eto\teve@eto.example"), {QStringLiteral("Eve Eto")}, QString(),
         QStringLiteral("Eve Eto"), eveEmail},
        {"comma-separated", QStringLiteral("Eve Eto,eve@eto.example"), {QStringLiteral("Eve Eto")}, QString(),
         QStringLiteral("Eve Eto"), eveEmail},
        {"a name that begins so", QStringLiteral("BEGIN:VCARD is no card\tbegin@example.com"),
         {QStringLiteral("BEGIN:VCARD is no card")}, QString(), QStringLiteral("BEGIN:VCARD is no card"),
         {QStringLiteral("home=begin@example.com")}},
    };
    for (const bool drop : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.kind) + (drop ? ", dropped" : ", pasted"));
            TestDocument *document = open(OtherCards, QStringLiteral("Other.vcf"));
            content(document)->setEditState(true);
            selectGroup(document, QStringLiteral("Club"));
            ASSERT_EQ(columns(content(document)), (QStringList{FieldId::Name, FieldId::Email}));
            const QStringList before = shownGroup(document);
            if (drop) {
                QMimeData data;
                data.setText(c.text);
                const Pasteboard info(&data);
                ASSERT_EQ(table(document)->tableViewValidateDrop(info, 0, TableViewDropOperation::Above),
                          EveryDropOperation);
                ASSERT_TRUE(table(document)->tableViewAcceptDrop(info, 0, TableViewDropOperation::Above));
                QCoreApplication::processEvents();
            } else {
                QApplication::clipboard()->setText(c.text);
                ASSERT_TRUE(pick(document, QStringLiteral("Paste")));
            }
            ASSERT_EQ(shownGroup(document), before + c.arrived);
            EXPECT_EQ(selectedNames(document), c.arrived);
            EXPECT_TRUE(edited(document));
            const ContactTable &group = *content(document)->selectedGroupDict()->contactTable;
            QMPerson &person = *group.at(before.size()).person;
            EXPECT_EQ(person.nameValue().firstName, c.firstName);
            EXPECT_EQ(person.nameValue().lastName, c.lastName);
            EXPECT_EQ(emails(person), c.emails);
            ASSERT_TRUE(pick(document, QStringLiteral("Undo")));
            EXPECT_EQ(shownGroup(document), before);
            EXPECT_FALSE(edited(document));
            closeDocument(document);
        }
    }
}

} // namespace
} // namespace tessarin
