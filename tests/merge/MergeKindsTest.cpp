// Every field kind carried between the merge sheet's two contacts, both ways, moved and
// copied; what Cancel and Done leave of the document's contacts.

#include "app/edits/DocumentEdits.h"
#include "merge/MergeDrop.h"
#include "merge/MergeEdits.h"
#include "merge/MergePanelController.h"
#include "merge/MergeRows.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "state/WindowState.h"
#include "tests/merge/MergeTestSupport.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace {

using Side = MergePanelController::Side;

// Two contacts with a different value in every field the sheet shows.
std::shared_ptr<QMPerson> fullContact(bool left) {
    const QString card =
        left ? QStringLiteral(
                   "N:Lee;Ann;Mae;Dr.;Jr.\nFN:Ann Lee\nitem9.X-MAIDENNAME:Moss\n"
                   "X-PHONETIC-FIRST-NAME:an\nX-PHONETIC-MIDDLE-NAME:mei\nX-PHONETIC-LAST-NAME:rii\n"
                   "ORG:Acme;Sales\nTITLE:Chief\nNICKNAME:Annie\nNOTE:left\\nnote\nBDAY:1980-04-12\n"
                   "TEL;TYPE=HOME:111\nTEL;TYPE=WORK:112\nEMAIL;TYPE=HOME:ann@a.example\n"
                   "URL;TYPE=HOME:http://a.example\n"
                   "item1.X-ABRELATEDNAMES:Cy\nitem1.X-ABLabel:_$!<Brother>!$_\n"
                   "IMPP;X-SERVICE-TYPE=Jabber;TYPE=WORK:xmpp:ann@jabber.example\n"
                   "X-SOCIALPROFILE;TYPE=twitter;x-user=ann:https://twitter.com/ann\n"
                   "ADR;TYPE=HOME:;;1 Main St;Springfield;IL;62701;USA\n"
                   "item2.X-ABDATE:2001-02-03\nitem2.X-ABLabel:_$!<Anniversary>!$_\n")
             : QStringLiteral(
                   "N:Bell;Bob;Ray;Mr.;Sr.\nFN:Bob Bell\nitem9.X-MAIDENNAME:Hill\n"
                   "X-PHONETIC-FIRST-NAME:bo\nX-PHONETIC-MIDDLE-NAME:rei\nX-PHONETIC-LAST-NAME:beru\n"
                   "ORG:Bolt;Ops\nTITLE:Clerk\nNICKNAME:Bobby\nNOTE:right note\nBDAY:1975-01-02\n"
                   "TEL;TYPE=CELL:999\nEMAIL;TYPE=WORK:bob@b.example\nEMAIL;TYPE=HOME:bob@home.example\n"
                   "URL;TYPE=WORK:http://b.example\n"
                   "item1.X-ABRELATEDNAMES:Dee\nitem1.X-ABLabel:_$!<Sister>!$_\n"
                   "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:bob.bell\n"
                   "X-SOCIALPROFILE;TYPE=flickr;x-user=bob:https://flickr.com/bob\n"
                   "ADR;TYPE=WORK:;;Unter den Linden 1;Berlin;;10117;Germany\n"
                   "item2.X-ABDATE:1999-09-09\nitem2.X-ABLabel:_$!<Other>!$_\n");
    auto person = personFromVCard(card);
    person->setPhotoData(pngBytes(left ? 8 : 6, 4, left ? Qt::red : Qt::blue));
    person->addCustomItem(ValueKind::Labeled, QStringLiteral("Pets"), QStringList{"cat", "dog"},
                          std::nullopt);
    person->setValue(LabeledValueList{textRecord(left ? QStringLiteral("cat") : QStringLiteral("dog"),
                                                 left ? QStringLiteral("Tama") : QStringLiteral("Pochi"), 0)},
                     QStringLiteral("Pets"));
    person->addCustomItem(ValueKind::String, QStringLiteral("Locker"), std::nullopt, std::nullopt);
    person->setValue(left ? QStringLiteral("B-12") : QStringLiteral("C-7"), QStringLiteral("Locker"));
    return person;
}

// A field of the sheet: a row type and, for the name rows, the part.
struct Kind {
    QString type;
    QString part;
    std::string name() const { return (part.isEmpty() ? type : type + u'/' + part).toStdString(); }
};

const QList<Kind> &everyKind() {
    static const QList<Kind> kinds = [] {
        QList<Kind> list;
        for (const QString &part :
             {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName, FieldId::PreviousFamilyName})
            list.append({FieldId::Name, part});
        for (const QString &part : {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName})
            list.append({FieldId::PhoneticName, part});
        for (const QString &type :
             {FieldId::Photo, FieldId::Company, FieldId::Department, FieldId::JobTitle, FieldId::Nickname,
              FieldId::Title, FieldId::Suffix, FieldId::Note, FieldId::Birthday, FieldId::Email,
              FieldId::Phone, FieldId::URL, FieldId::Address, FieldId::InstantMessage, FieldId::SocialNetwork,
              FieldId::Relationship, FieldId::Dates, QStringLiteral("Pets"), QStringLiteral("Locker")})
            list.append({type, {}});
        return list;
    }();
    return kinds;
}

bool isLabeled(const Kind &kind) {
    return QMPerson::labeledIdentifiers().contains(kind.type) || kind.type == QStringLiteral("Pets");
}

// A field's value as the sheet and the tables show it: labeled values as "label=text" with
// their derived text, so that a stale derived text shows too.
QStringList valueOf(QMPerson &person, const Kind &kind) {
    if (kind.type == FieldId::Name) {
        const NameRecord name = person.nameValue();
        const QHash<QString, QString> parts = {{FieldId::FirstName, name.firstName},
                                               {FieldId::MiddleName, name.middleName},
                                               {FieldId::LastName, name.lastName},
                                               {FieldId::PreviousFamilyName, name.previousFamilyName}};
        return {parts.value(kind.part)};
    }
    if (kind.type == FieldId::PhoneticName) {
        const PhoneticNameRecord name = person.phoneticNameValue().value_or(PhoneticNameRecord());
        return {kind.part == FieldId::FirstName    ? name.firstName
                : kind.part == FieldId::MiddleName ? name.middleName
                                                   : name.lastName};
    }
    if (kind.type == FieldId::Photo)
        return {person.photoData().isEmpty()
                    ? QString()
                    : QString::fromLatin1(
                          QCryptographicHash::hash(person.photoData(), QCryptographicHash::Md5).toHex())};
    if (kind.type == FieldId::Birthday)
        return {person.birthdayValue() ? person.birthdayValue()->stringValue : QString()};
    if (isLabeled(kind)) {
        QStringList values;
        for (const LabeledValueRecord &value :
             person.labeledValueForIdentifier(kind.type).value_or(LabeledValueList()))
            values.append(value.labelText() + u'=' + value.stringValue);
        return values;
    }
    return {person.stringValueForIdentifier(kind.type)};
}

QHash<QString, QStringList> everything(QMPerson &person) {
    QHash<QString, QStringList> values;
    for (const Kind &kind : everyKind())
        values.insert(QString::fromStdString(kind.name()), valueOf(person, kind));
    values.insert(QStringLiteral("shown name"), {person.compositeName()});
    return values;
}

int rowOf(const MergeTable &table, const Kind &kind) {
    for (int row = 0; row < table.size(); ++row)
        if (table[row].type == kind.type && (kind.part.isEmpty() || table[row].labelText() == kind.part))
            return row;
    ADD_FAILURE() << "no row " << kind.name();
    return -1;
}

class MergeKinds : public ::testing::Test {
protected:
    std::shared_ptr<QMPerson> left = fullContact(true), right = fullContact(false);
    MergeEdits edits;

    void SetUp() override {
        edits.setCustomItems(documentItems());
        for (const QString &label : {QStringLiteral("cat"), QStringLiteral("dog")})
            QMPerson::setLabel(QString(), label, QStringLiteral("Pets"));
    }
    MergeTable tableOf(QMPerson &person) {
        const auto counts = MergeRows::labeledValueCounts(left.get(), right.get(), documentItems());
        return MergeRows::tableFromContact(&person, counts, documentItems(),
                                           MergeRows::nameOrderingLabels(*left));
    }
};

// Each field of every kind, from left to right and back, moved and copied, on its row or
// (labeled fields) above it: the target takes exactly the source's value, a move empties
// the source, nothing else changes, and one Undo brings both contacts back.
TEST_F(MergeKinds, EveryKindCarriedEitherWayIsOneStepAndTouchesNothingElse) {
    using P = MergeDropPosition;
    for (const Kind &kind : everyKind()) {
        for (const bool toRight : {true, false}) {
            for (const bool copy : {true, false}) {
                for (const P position : isLabeled(kind) ? QList<P>{P::On, P::Above} : QList<P>{P::On}) {
                    const std::string what = kind.name() + (toRight ? " to the right" : " to the left") +
                                             (copy ? " copied" : " moved") +
                                             (position == P::On ? " on" : " above");
                    const auto &source = toRight ? left : right;
                    const auto &target = toRight ? right : left;
                    const QHash<QString, QStringList> sourceBefore = everything(*source);
                    const QHash<QString, QStringList> targetBefore = everything(*target);
                    const QByteArray sourceCard = source->vCardData(), targetCard = target->vCardData();
                    const MergeTable from = tableOf(*source), onto = tableOf(*target);
                    const int row = rowOf(from, kind);
                    ASSERT_GE(row, 0) << what;
                    ASSERT_EQ(rowOf(onto, kind), row) << what << ": the same row in both tables";
                    // A list's last value (its running number need not be the target's) onto the first.
                    const QString key = QString::fromStdString(kind.name());
                    const QStringList carried = sourceBefore.value(key);
                    const int last = isLabeled(kind) ? int(carried.size()) - 1 : 0;
                    ASSERT_TRUE(validateMergeDrop(true, true, from[row + last], onto, row, position, *target,
                                                  documentItems()))
                        << what;
                    ASSERT_TRUE(
                        acceptMergeDrop(edits, from[row + last], onto[row], position, copy, source, target))
                        << what;

                    QHash<QString, QStringList> sourceAfter = sourceBefore, targetAfter = targetBefore;
                    if (!isLabeled(kind))
                        targetAfter[key] = carried;
                    else if (position == P::Above)
                        targetAfter[key] = targetBefore.value(key) + carried.mid(last);
                    else
                        targetAfter[key] = carried.mid(last) + targetBefore.value(key).mid(1);
                    if (!copy)
                        sourceAfter[key] = isLabeled(kind) ? carried.mid(0, last) : QStringList{QString()};
                    QHash<QString, QStringList> sourceNow = everything(*source),
                                                targetNow = everything(*target);
                    // The shown name follows its parts; only that derived text may differ.
                    sourceAfter[QStringLiteral("shown name")] = sourceNow.value(QStringLiteral("shown name"));
                    targetAfter[QStringLiteral("shown name")] = targetNow.value(QStringLiteral("shown name"));
                    EXPECT_EQ(sourceNow, sourceAfter) << what;
                    EXPECT_EQ(targetNow, targetAfter) << what;
                    if (kind.type == FieldId::Name && kind.part == FieldId::FirstName) {
                        EXPECT_EQ(target->compositeName(),
                                  (toRight ? QStringLiteral("Ann Bell") : QStringLiteral("Bob Lee")))
                            << what;
                    }

                    ASSERT_TRUE(edits.undoManager()->canUndo()) << what;
                    edits.undoManager()->undo();
                    EXPECT_FALSE(edits.undoManager()->canUndo()) << what << ": one step";
                    EXPECT_EQ(source->vCardData(), sourceCard) << what;
                    EXPECT_EQ(target->vCardData(), targetCard) << what;
                    EXPECT_EQ(everything(*target), targetBefore) << what;
                }
            }
        }
    }
}

// ---- The sheet: Cancel and Done

class MergeSheetKinds : public MergeKinds {
protected:
    Window window;
    MergePanelController sheet;
    SharedMergeContext context = std::make_shared<MergeContext>();
    QList<int> codes;

    void open() {
        context->contacts = {ContactEntry::withPerson(left), ContactEntry::withPerson(right)};
        beginMergeSheet(sheet, window, context, true, codes);
    }
    void TearDown() override {
        if (Application::shared().attachedSheet(&window))
            Application::shared().endSheet(sheet.window(), 0);
    }
    QMPerson &copyOf(Side side) {
        return *(side == Side::Left ? sheet.contactLeft() : sheet.contactRight())->person;
    }
    // Drags the field's row from one table onto the same row of the other, as the sheet's
    // tables hand a drag over.
    bool carry(const Kind &kind, Side from, bool copy) {
        const int row = rowOf(from == Side::Left ? sheet.tableLeft() : sheet.tableRight(), kind);
        auto pasteboard = Pasteboard::forDragging();
        if (!sheet.tableViewWriteRows(sheet.tableView(from), row, *pasteboard))
            return false;
        const Pasteboard dropped(pasteboard->mimeData());
        QTableView *onto = sheet.tableView(from == Side::Left ? Side::Right : Side::Left);
        const bool changed = sheet.tableViewAcceptDrop(onto, dropped, row, MergeDropPosition::On, copy);
        QCoreApplication::processEvents();
        return changed;
    }
};

TEST_F(MergeSheetKinds, CancelLeavesBothContactsAsTheyWere) {
    const QByteArray leftCard = left->vCardData(), rightCard = right->vCardData();
    open();
    {
        // Every kind moved over, half of them each way.
        for (qsizetype i = 0; i < everyKind().size(); ++i)
            EXPECT_TRUE(carry(everyKind()[i], i % 2 ? Side::Left : Side::Right, false))
                << everyKind()[i].name();
        EXPECT_NE(copyOf(Side::Left).vCardData(), leftCard);
        EXPECT_TRUE(sheet.doneButton()->isEnabled());
        QTest::mouseClick(sheet.cancelButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(codes, QList<int>{MergePanelController::UnchangedResponse});
        EXPECT_FALSE(context->newContacts);
        EXPECT_EQ(left->vCardData(), leftCard);
        EXPECT_EQ(right->vCardData(), rightCard);
    }
}

// Done hands back both copies; the window applies every kind of both, as one step.
TEST_F(MergeSheetKinds, DoneAppliesEveryKindToBothContactsAsOneStep) {
    open();
    // The right contact takes every field of the left; the left takes the right's labeled
    // values by a move, which empties them on the right again.
    for (const Kind &kind : everyKind())
        EXPECT_TRUE(carry(kind, Side::Left, true)) << kind.name();
    for (const Kind &kind : everyKind()) {
        if (isLabeled(kind)) {
            EXPECT_TRUE(carry(kind, Side::Right, false)) << kind.name();
        }
    }
    const QHash<QString, QStringList> mergedLeft = everything(copyOf(Side::Left));
    const QHash<QString, QStringList> mergedRight = everything(copyOf(Side::Right));
    QTest::mouseClick(sheet.doneButton(), Qt::LeftButton);
    ASSERT_EQ(codes, QList<int>{MergePanelController::ChangedResponse});
    ASSERT_TRUE(context->newContacts);

    WindowState state;
    state.setCustomItems(documentItems());
    UndoManager undo;
    undo.setGroupsByEvent(false);
    tessarin::DocumentEdits document{&state, [&undo] { return &undo; }};
    const QByteArray leftCard = left->vCardData(), rightCard = right->vCardData();
    document.undoReplacePersonByContacts(*context->newContacts, context->contacts);
    for (const Kind &kind : everyKind()) {
        const QString key = QString::fromStdString(kind.name());
        EXPECT_EQ(valueOf(*left, kind), mergedLeft.value(key)) << kind.name() << " left";
        EXPECT_EQ(valueOf(*right, kind), mergedRight.value(key)) << kind.name() << " right";
    }
    EXPECT_EQ(right->compositeName(), QStringLiteral("Ann Lee"));
    undo.undo();
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(left->vCardData(), leftCard);
    EXPECT_EQ(right->vCardData(), rightCard);
}

} // namespace
