// A card's UID and X-ABUID leave with it, whichever way it leaves, and never with a copy of
// it made in the window.
#include "tests/app/TransferTestSupport.h"

#include "app/transfer/ExportCommand.h"
#include "platform/ui/Pasteboard.h"
#include "state/ActionIds.h"

#include <QMimeData>

namespace tessarin {
using namespace transfer_test;

namespace {

// Two cards of one file share a UID (Ann and Dee); Cid has none.
const QString IdentityCards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Abe;Ann\r\nUID:ann-uid\r\nX-ABUID:ANN-AB:ABPerson\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\nUID:urn:uuid:bob\\,1\r\n"
    "CATEGORIES:Friends\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Dunn;Dee;;;\r\nFN:Dee Dunn\r\nUID:ann-uid\r\nEND:VCARD\r\n");

QString identityOf(const ContactEntry &entry) {
    const CNCardIdentity &identity = entry.person->cardIdentity();
    return entry.person->compositeName() + u'=' + identity.uid + u'|' + identity.abUid;
}

// Each live contact of the document with its identity, in the all-contacts group's order.
QStringList identities(TestDocument *document) {
    QStringList shown;
    const SharedGroup all =
        document->controller->mainViewController()->containerTable()->first().groups.first();
    for (const ContactEntry &entry : std::as_const(*all->contactTable))
        if (!entry.deleted)
            shown.append(identityOf(entry));
    return shown;
}

const QStringList AsRead = {"Ann Abe=ann-uid|ANN-AB:ABPerson", "Bob Baker=urn:uuid:bob,1|", "Cid Cole=|",
                            "Dee Dunn=ann-uid|"};

class CardIdentityTest : public TransferTest {
protected:
    ContactsViewController *table(TestDocument *document) {
        return content(document)->contactsViewController();
    }

    // The rows of the contacts, dragged: what a drop receives.
    std::unique_ptr<QMimeData> drag(TestDocument *document, const QStringList &contacts) {
        selectContacts(document, contacts);
        auto pasteboard = Pasteboard::forDragging();
        EXPECT_TRUE(table(document)->tableViewWriteRowsWithIndexes(table(document)->selectedRowIndexes(),
                                                                   *pasteboard));
        return std::unique_ptr<QMimeData>(pasteboard->takeMimeData());
    }
    void copyAsVCard(TestDocument *document, const QStringList &contacts) {
        selectContacts(document, contacts);
        table(document)->copyAsVCard(nullptr);
    }
};

TEST_F(CardIdentityTest, TheCardsOwnIdentityLeavesThroughExportCopyAndDrag) {
    TestDocument *document = open(IdentityCards);
    ASSERT_EQ(identities(document), AsRead);

    // Export: each card's own lines, the shared UID on both of its cards, none for Cid.
    const ContactTable &all = *content(document)->contactTable();
    const auto snapshot = std::make_shared<const ExportSnapshot>(
        takeExportSnapshot(all, &content(document)->containerTable()->first(), {}));
    const QString exported = vCardsFromSnapshot(snapshot, {}).value_or(QString());
    EXPECT_EQ(exported.count(QStringLiteral("\r\nUID:ann-uid\r\n")), 2);
    EXPECT_EQ(exported.count(QStringLiteral("\r\nX-ABUID:ANN-AB:ABPerson\r\n")), 1);
    EXPECT_EQ(exported.count(QStringLiteral("\r\nUID:urn:uuid:bob\\,1\r\n")), 1);
    EXPECT_EQ(exported.count(QStringLiteral("UID:")), 4);
    TestDocument *reopened = open(exported, QStringLiteral("Exported.vcf"));
    EXPECT_EQ(identities(reopened), AsRead);

    // Copy as vCard and a drag write the card with its lines.
    copyAsVCard(document, {"Ann Abe"});
    const QString copied = QString::fromUtf8(Pasteboard::general().dataForType(PasteboardType::VCard));
    EXPECT_TRUE(copied.contains(QStringLiteral("\r\nUID:ann-uid\r\nX-ABUID:ANN-AB:ABPerson\r\n")))
        << copied.toStdString();
    const auto dragged = drag(document, {"Bob Baker"});
    EXPECT_TRUE(Pasteboard(dragged.get())
                    .dataForType(PasteboardType::VCard)
                    .contains("\r\nUID:urn:uuid:bob\\,1\r\n"));
}

// Every way a contact is copied or comes in: a copy made in the window, or a card of this
// document coming into it again, is another contact; a card from elsewhere, and the same
// record in another group, keep what they have.
TEST_F(CardIdentityTest, OnlyACopyOfAContactOfTheDocumentLosesTheIdentity) {
    const struct {
        const char *way;
        std::function<void(TestDocument *self, TestDocument *other)> act;
        QStringList arrived; // in `self`, after the contacts it had
        bool intoOther = false;
    } ways[] = {
        {"Duplicate",
         [this](TestDocument *self, TestDocument *) {
             selectContacts(self, {"Ann Abe", "Bob Baker", "Cid Cole"});
             perform(self, ActionId::DuplicateContacts);
         },
         {"Ann Abe=|", "Bob Baker=|", "Cid Cole=|"}},
        {"Copy as vCard and Paste in the same window",
         [this](TestDocument *self, TestDocument *) {
             copyAsVCard(self, {"Ann Abe", "Cid Cole"});
             table(self)->paste(nullptr);
         },
         {"Ann Abe=|", "Cid Cole=|"}},
        {"Copy as vCard, Paste into another file's window",
         [this](TestDocument *self, TestDocument *other) {
             copyAsVCard(self, {"Ann Abe", "Bob Baker"});
             table(other)->paste(nullptr);
         },
         {"Ann Abe=ann-uid|ANN-AB:ABPerson", "Bob Baker=urn:uuid:bob,1|"},
         true},
        {"Rows dragged into another file's window",
         [this](TestDocument *self, TestDocument *other) {
             const auto data = drag(self, {"Dee Dunn"});
             content(other)->setEditState(true);
             ASSERT_TRUE(
                 table(other)->tableViewAcceptDrop(Pasteboard(data.get()), 0, TableViewDropOperation::Above));
         },
         {"Dee Dunn=ann-uid|"},
         true},
        {"Rows dropped on a group of their own window: the same records",
         [this](TestDocument *self, TestDocument *) {
             const auto data = drag(self, {"Ann Abe"});
             const SharedGroup friends = content(self)->containerTable()->first().groups.value(1);
             content(self)->addContactByStringIndexes(
                 Pasteboard(data.get()).stringForType(PasteboardType::StringIndexes), friends);
             ASSERT_EQ(friends->contactTable->size(), 2);
             EXPECT_EQ(friends->contactTable->last().person, content(self)->contactTable()->first().person);
             EXPECT_EQ(identityOf(friends->contactTable->last()), AsRead.first());
         },
         {}},
    };
    for (const auto &way : ways) {
        TestDocument *self = open(IdentityCards);
        TestDocument *other =
            open(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Zed;Zoe;;;\r\nFN:Zoe Zed\r\n"
                                "UID:zoe\r\nEND:VCARD\r\n"),
                 QStringLiteral("Other.vcf"));
        way.act(self, other);
        QCoreApplication::processEvents();
        const QStringList before = way.intoOther ? QStringList{"Zoe Zed=zoe|"} : AsRead;
        EXPECT_EQ(identities(way.intoOther ? other : self), before + way.arrived) << way.way;
        if (way.intoOther) {
            EXPECT_EQ(identities(self), AsRead) << way.way;
        }
        closeDocument(other);
        closeDocument(self);
    }
}

TEST_F(CardIdentityTest, ACardOfTheDocumentDroppedOnAnotherWindowOfTheSameCardsIsACopy) {
    TestDocument *self = open(IdentityCards);
    TestDocument *twin = open(IdentityCards, QStringLiteral("Twin.vcf"));
    content(twin)->setEditState(true);
    const auto data = drag(self, {"Ann Abe", "Cid Cole"});
    ASSERT_TRUE(table(twin)->tableViewAcceptDrop(Pasteboard(data.get()), 0, TableViewDropOperation::Above));
    EXPECT_EQ(identities(twin), AsRead + QStringList({"Ann Abe=|", "Cid Cole=|"}));
    // Once the cards holding its UID are deleted there, the dropped one is no copy of a contact.
    TestDocument *third = open(IdentityCards, QStringLiteral("Third.vcf"));
    for (ContactEntry &entry : *content(third)->containerTable()->first().groups.first()->contactTable)
        entry.deleted = entry.person->cardIdentity().uid == QLatin1String("ann-uid");
    content(third)->setEditState(true);
    ASSERT_TRUE(table(third)->tableViewAcceptDrop(Pasteboard(data.get()), 0, TableViewDropOperation::Above));
    const QStringList arrived = {"Ann Abe=ann-uid|ANN-AB:ABPerson", "Cid Cole=|"};
    EXPECT_EQ(identities(third).mid(2), arrived);
}

TEST_F(CardIdentityTest, ImportKeepsTheFilesOwnIdentitiesAndMergingKeepsTheOriginals) {
    TestDocument *document = open(IdentityCards);
    dialogs.answerPanel([](const OpenPanel *, const SavePanel *) {
        return PanelResult{
            ModalResponse::OK,
            {QUrl::fromLocalFile(writeTestFile(QStringLiteral("more.vcf"), IdentityCards.toUtf8()))}};
    });
    perform(document, ActionId::ImportFromVCard);
    ImportPanelController *panel = document->controller->importPanelController();
    panel->nameTableView()->selectAll();
    panel->selectButton()->click();
    EXPECT_EQ(identities(document), AsRead + AsRead);

    // The merge sheet edits copies, which have none; the window's records take their fields
    // and keep their own.
    ViewController *view = content(document);
    const ContactEntry ann = view->contactTable()->at(0);
    const ContactEntry cid = view->contactTable()->at(2);
    ContactEntry annMerged = ContactEntry::withPerson(std::shared_ptr<QMPerson>(ann.person->copy()));
    ContactEntry cidMerged = ContactEntry::withPerson(std::shared_ptr<QMPerson>(cid.person->copy()));
    EXPECT_TRUE(annMerged.person->cardIdentity().isEmpty());
    cidMerged.person->setValue(QStringLiteral("Chief"), FieldId::JobTitle);
    view->undoReplacePersonByContacts({annMerged, cidMerged}, {ann, cid});
    EXPECT_EQ(cid.person->stringValueForIdentifier(FieldId::JobTitle), QStringLiteral("Chief"));
    EXPECT_EQ(identities(document), AsRead + AsRead);
}

} // namespace
} // namespace tessarin
