#include "merge/MergeDrop.h"
#include "merge/MergeEdits.h"
#include "merge/result/MergeResult.h"
#include "merge/MergeRows.h"
#include "tests/merge/MergeTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Tables {
    MergeTable left;
    MergeTable right;
};

Tables tablesOf(QMPerson &left, QMPerson &right, const QList<CustomItemDefinition> &items = documentItems()) {
    const auto counts = MergeRows::labeledValueCounts(&left, &right, items);
    const QStringList orderings = MergeRows::nameOrderingLabels(left);
    return {MergeRows::tableFromContact(&left, counts, items, orderings),
            MergeRows::tableFromContact(&right, counts, items, orderings)};
}

int firstRow(const MergeTable &table, const QString &type) {
    for (int row = 0; row < table.size(); ++row)
        if (table[row].type == type)
            return row;
    return -1;
}

TEST(MergeRows, BothTablesShowEveryFieldInTheSameRows) {
    auto a = ann(), b = bob();
    const Tables tables = tablesOf(*a, *b);
    ASSERT_EQ(tables.left.size(), tables.right.size());
    for (int row = 0; row < tables.left.size(); ++row)
        EXPECT_EQ(tables.left[row].type, tables.right[row].type) << row;

    // Labeled fields: real values, then placeholders counting down past zero.
    const struct {
        QString type;
        int offset;
        qint64 leftCount, rightCount, rightLabelIndex;
    } rows[] = {
        {FieldId::Phone, 0, 3, 1, 0},
        {FieldId::Phone, 1, 2, 0, -1},
        {FieldId::Phone, 2, 1, -1, -1},
        {FieldId::Email, 0, 0, 0, -1},              // neither has one: one placeholder each
        {QStringLiteral("Pets"), 0, 2, 0, -1},      // only Ann carries the item
        {QStringLiteral("Pets"), 1, 1, -1, -1},
    };
    for (const auto &r : rows) {
        const int row = firstRow(tables.left, r.type) + r.offset;
        ASSERT_GE(row, r.offset) << r.type.toStdString();
        EXPECT_EQ(tables.left[row].valueCount, r.leftCount) << r.type.toStdString() << r.offset;
        EXPECT_EQ(tables.right[row].valueCount, r.rightCount) << r.type.toStdString() << r.offset;
        EXPECT_EQ(tables.right[row].labelIndex, r.rightLabelIndex) << r.type.toStdString() << r.offset;
        EXPECT_EQ(tables.right[row].index, r.offset);
    }
    EXPECT_EQ(firstRow(tables.left, QStringLiteral("Pets")) + 2, firstRow(tables.left, QStringLiteral("Locker")));

    // The name in four part rows, the document's items after the note, even without values.
    QStringList order;
    for (const MergeRow &row : tables.right)
        if (order.isEmpty() || order.last() != row.type)
            order.append(row.type);
    EXPECT_EQ(order.mid(0, 6), (QStringList{FieldId::Photo, FieldId::Name, FieldId::NameOrdering,
                                            FieldId::NameDisplay, FieldId::Company, FieldId::PhoneticName}));
    EXPECT_EQ(order.mid(order.size() - 4),
              (QStringList{FieldId::Note, QStringLiteral("Pets"), QStringLiteral("Locker"), QStringLiteral("Badge")}));
    EXPECT_EQ(tables.left[firstRow(tables.left, FieldId::Name) + 3].label, FieldId::PreviousFamilyName);
}

TEST(MergeRows, LabelsTheVocabularyLacksJoinItButTheEmptyOneDoesNot) {
    auto a = personFromVCard(QStringLiteral("FN:A\n"));
    auto b = bob();
    CustomItemDefinition gadgets;
    gadgets.name = QStringLiteral("Gadgets");
    gadgets.type = ValueKind::Labeled;
    a->addCustomItem(ValueKind::Labeled, gadgets.name, QStringList(), std::nullopt);
    a->replaceLabeledValue(LabeledValueList{textRecord(QString(), QStringLiteral("x"), 0),
                                            textRecord(QStringLiteral("pocket"), QStringLiteral("y"), 1)},
                           gadgets.name);
    tablesOf(*a, *b, {gadgets});
    const QStringList labels = QMPerson::labelsForIdentifier(QStringLiteral("Gadgets")).value_or(QStringList());
    EXPECT_TRUE(labels.contains(QStringLiteral("pocket")));
    EXPECT_FALSE(labels.contains(QString()));
}

class MergeDropTest : public ::testing::Test {
protected:
    std::shared_ptr<QMPerson> a = ann(), b = bob();
    MergeEdits edits;
    Tables tables;

    void SetUp() override {
        edits.setCustomItems(documentItems());
        refresh();
    }
    void refresh() { tables = tablesOf(*a, *b); }
    const MergeRow &leftRow(const QString &type, int offset = 0) { return tables.left[firstRow(tables.left, type) + offset]; }
    int rightRowNumber(const QString &type, int offset = 0) { return firstRow(tables.right, type) + offset; }
    bool validate(const MergeRow &dragged, int row, MergeDropPosition position, bool editing = true,
                  bool fromOther = true) {
        return validateMergeDrop(editing, fromOther, dragged, tables.right, row, position, *b, documentItems());
    }
    bool drop(const MergeRow &dragged, int row, MergeDropPosition position, bool copy) {
        const bool changed = acceptMergeDrop(edits, dragged, tables.right[row], position, copy, a, b);
        refresh();
        return changed;
    }
};

TEST_F(MergeDropTest, OnlyDropsOntoTheSameFieldFromTheOtherTableWhileEditingAreTaken) {
    const MergeRow phone = leftRow(FieldId::Phone, 1);
    const MergeRow company = leftRow(FieldId::Company);
    using P = MergeDropPosition;
    const struct {
        const char *what;
        MergeRow dragged;
        int row;
        P position;
        bool editing, fromOther, taken;
    } cases[] = {
        {"on a value", phone, rightRowNumber(FieldId::Phone), P::On, true, true, true},
        {"above a value", phone, rightRowNumber(FieldId::Phone), P::Above, true, true, true},
        {"on the first placeholder", phone, rightRowNumber(FieldId::Phone, 1), P::On, true, true, true},
        {"on the second placeholder", phone, rightRowNumber(FieldId::Phone, 2), P::On, true, true, false},
        {"onto another field", phone, rightRowNumber(FieldId::Email), P::On, true, true, false},
        {"while locked", phone, rightRowNumber(FieldId::Phone), P::On, false, true, false},
        {"from the same table or outside", phone, rightRowNumber(FieldId::Phone), P::On, true, false, false},
        {"a text on its row", company, rightRowNumber(FieldId::Company), P::On, true, true, true},
        {"a text above its row", company, rightRowNumber(FieldId::Company), P::Above, true, true, false},
        {"past the last row", phone, int(tables.right.size()), P::On, true, true, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(validate(c.dragged, c.row, c.position, c.editing, c.fromOther), c.taken) << c.what;
}

// A's second phone (work 222) dropped into B's phones (home 999).
TEST_F(MergeDropTest, MovesAndCopiesInEachPositionAreOneUndoStep) {
    using P = MergeDropPosition;
    const QStringList annBefore = valueTexts(*a, FieldId::Phone), bobBefore = valueTexts(*b, FieldId::Phone);
    const struct {
        const char *what;
        int offset;
        P position;
        bool copy;
        QStringList bob;
    } cases[] = {
        {"move on a value", 0, P::On, false, {"work=222"}},
        {"copy on a value", 0, P::On, true, {"work=222"}},
        {"move above a value", 0, P::Above, false, {"home=999", "work=222"}},
        {"copy on the first placeholder", 1, P::On, true, {"home=999", "work=222"}},
    };
    for (const auto &c : cases) {
        const MergeRow dragged = leftRow(FieldId::Phone, 1);
        ASSERT_TRUE(drop(dragged, rightRowNumber(FieldId::Phone, c.offset), c.position, c.copy)) << c.what;
        EXPECT_EQ(valueTexts(*b, FieldId::Phone), c.bob) << c.what;
        EXPECT_EQ(valueTexts(*a, FieldId::Phone),
                  c.copy ? annBefore : QStringList({"home=111", "mobile=333"}))
            << c.what;
        edits.undoManager()->undo();
        EXPECT_FALSE(edits.undoManager()->canUndo()) << c.what;
        EXPECT_EQ(valueTexts(*a, FieldId::Phone), annBefore) << c.what;
        EXPECT_EQ(valueTexts(*b, FieldId::Phone), bobBefore) << c.what;
        refresh();
    }
}

TEST_F(MergeDropTest, ANamePartKeepsItsKeyTextsAndPhotosMoveWhole) {
    const int lastName = rightRowNumber(FieldId::Name, 2);
    ASSERT_EQ(tables.right[lastName].label, FieldId::LastName);
    ASSERT_TRUE(drop(leftRow(FieldId::Name), lastName, MergeDropPosition::On, false));
    EXPECT_EQ(b->nameValue().firstName, QStringLiteral("Ann"));
    EXPECT_EQ(b->nameValue().lastName, QStringLiteral("Bell"));
    EXPECT_EQ(b->compositeName(), QStringLiteral("Ann Bell"));
    EXPECT_EQ(a->nameValue().firstName, QString());

    ASSERT_TRUE(drop(leftRow(FieldId::Company), rightRowNumber(FieldId::Company), MergeDropPosition::On, false));
    EXPECT_EQ(b->stringValueForIdentifier(FieldId::Company), QStringLiteral("Acme"));
    EXPECT_EQ(a->stringValueForIdentifier(FieldId::Company), QString());

    a->setPhotoData(pngBytes(8, 8));
    const QByteArray photo = a->imageData();
    EXPECT_EQ(mergeDragContent(leftRow(FieldId::Photo), *a, {}).photo, photo);
    ASSERT_TRUE(drop(leftRow(FieldId::Photo), rightRowNumber(FieldId::Photo), MergeDropPosition::On, false));
    EXPECT_EQ(b->imageData(), photo);
    EXPECT_TRUE(a->photo().isNull());

    // Three steps, each undone on its own.
    for (int step = 0; step < 3; ++step)
        edits.undoManager()->undo();
    EXPECT_FALSE(edits.undoManager()->canUndo());
    EXPECT_EQ(a->compositeName(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(b->compositeName(), QStringLiteral("Bob Bell"));
    EXPECT_EQ(a->stringValueForIdentifier(FieldId::Company), QStringLiteral("Acme"));
    EXPECT_EQ(a->imageData(), photo);
    EXPECT_TRUE(b->imageData().isEmpty());
}

TEST_F(MergeDropTest, ADropThatChangesNothingLeavesNoStep) {
    b->setValue(QStringLiteral("Acme"), FieldId::Company);
    refresh();
    EXPECT_FALSE(drop(leftRow(FieldId::Company), rightRowNumber(FieldId::Company), MergeDropPosition::On, true));
    MergeRow placeholder = tables.left[firstRow(tables.left, FieldId::Email)];
    EXPECT_FALSE(drop(placeholder, rightRowNumber(FieldId::Email), MergeDropPosition::On, false));
    EXPECT_FALSE(edits.undoManager()->canUndo());
    // A real change afterwards is one step, which one Undo takes back whole.
    ASSERT_TRUE(drop(leftRow(FieldId::Phone), rightRowNumber(FieldId::Phone), MergeDropPosition::On, true));
    edits.undoManager()->undo();
    EXPECT_FALSE(edits.undoManager()->canUndo());
    EXPECT_EQ(valueTexts(*b, FieldId::Phone), QStringList{"home=999"});
}

TEST_F(MergeDropTest, DragTextsAreTheLabelAColonAndTheValue) {
    EXPECT_EQ(mergeDragContent(leftRow(FieldId::Phone, 1), *a, documentItems()).text, QStringLiteral("work: 222"));
    EXPECT_EQ(mergeDragContent(leftRow(FieldId::Company), *a, documentItems()).text, QStringLiteral(": Acme"));
    EXPECT_EQ(mergeDragContent(leftRow(QStringLiteral("Pets"), 1), *a, documentItems()).text,
              QStringLiteral("dog: Pochi"));
    EXPECT_TRUE(mergeDragContent(leftRow(FieldId::Email), *a, documentItems()).isEmpty());
    EXPECT_TRUE(mergeDragContent(leftRow(FieldId::Photo), *a, documentItems()).isEmpty());
}

// The window applies custom items too: what was moved into B's copy reaches B.
TEST_F(MergeDropTest, CustomItemsMovedAcrossAreChangesOfTheResult) {
    auto bobCopy = std::shared_ptr<QMPerson>(b->copy());
    auto annCopy = std::shared_ptr<QMPerson>(a->copy());
    const auto original = b;
    b = bobCopy;
    a = annCopy;
    refresh();
    ASSERT_TRUE(drop(leftRow(QStringLiteral("Pets"), 1), rightRowNumber(QStringLiteral("Pets")),
                     MergeDropPosition::On, false));
    ASSERT_TRUE(drop(leftRow(QStringLiteral("Locker")), rightRowNumber(QStringLiteral("Locker")),
                     MergeDropPosition::On, false));
    EXPECT_EQ(valueTexts(*b, QStringLiteral("Pets")), QStringList{"dog=Pochi"});

    const QList<CustomItemChange> changes = changedCustomItems(*b, *original, documentItems());
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0].identifier, QStringLiteral("Pets"));
    EXPECT_EQ(changes[0].kind, ValueKind::Labeled);
    EXPECT_EQ(changes[1].value, FieldValue(QStringLiteral("B-12")));
    EXPECT_TRUE(changedCustomItems(*annCopy, *annCopy, documentItems()).isEmpty());
    const auto annOriginal = ann();
    EXPECT_EQ(changedCustomItems(*annCopy, *annOriginal, documentItems()).size(), 2); // both left Ann
}

} // namespace
