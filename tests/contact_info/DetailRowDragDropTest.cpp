#include "contact_info/ContactInfoController.h"
#include "contact_info/ContactInfoPopover.h"
#include "model/QMvCard.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"
#include "tests/contact_info/ContactInfoTestSupport.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

using Op = TableViewDropOperation;

// The window's side of a detail panel: records each undoable edit a drop asks for.
struct DropEditsDelegate : ContactInfoControllerDelegate {
    QList<std::pair<QString, FieldValue>> edits;

    void contactDidUpdate(const ContactEntry &, ContactInfoController *) override {}
    void rowSelectionDidChange(ContactInfoController *, const InfoTableRow &) override {}
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &) override {
        return record(FieldId::Name, value);
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value, const PersonPtr &) override {
        return record(FieldId::PhoneticName, value);
    }
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &) override {
        return record(FieldId::Birthday, value);
    }
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &) override { return record(FieldId::Photo, value); }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &,
                                 QObject *) override {
        return record(identifier, value);
    }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier, const PersonPtr &,
                                QObject *) override {
        return record(identifier, value);
    }
    void undoAddLabeledValue(const LabeledValueRecord &, const QString &, const PersonPtr &, QObject *) override {}
    bool undoDeleteLabeledValueForIdentifier(const QString &, qint64, const PersonPtr &, QObject *) override {
        return false;
    }
    bool record(const QString &identifier, const FieldValue &value) {
        edits.append({identifier, value});
        return true;
    }
};

// One detail panel in a window of its own, showing one contact while editing.
struct Panel {
    explicit Panel(const ContactEntry &entry)
        : shown(entry) {
        controller.setDelegate(&delegate);
        window.setCentralWidget(controller.view());
        window.resize(500, 900);
        window.show();
        controller.windowState()->setEditState(true);
        controller.setContact(&shown);
    }
    int rowOf(const QString &type, int nth = 0) const {
        for (int row = 0; row < controller.table().size(); ++row) {
            if (controller.table().at(row).type == type && nth-- == 0)
                return row;
        }
        return -1;
    }
    // The drag of a row, as a drop reads it; none when the drag is refused.
    std::unique_ptr<QMimeData> drag(int row) {
        auto pasteboard = Pasteboard::forDragging();
        if (!controller.tableViewWriteRowsWithIndexes({row}, *pasteboard))
            return nullptr;
        return std::unique_ptr<QMimeData>(pasteboard->takeMimeData());
    }
    QStringList fieldOrder() const {
        QStringList order;
        for (const InfoTableRow &row : controller.table())
            if (order.isEmpty() || order.last() != row.type)
                order.append(row.type);
        return order;
    }

    ContactEntry shown;
    DropEditsDelegate delegate;
    Window window;
    ContactInfoController controller;
};

ContactEntry withEmails(const QString &name, const QStringList &emails) {
    QString body = QStringLiteral("N:%1;;;;\nFN:%1\n").arg(name);
    for (const QString &email : emails)
        body += QStringLiteral("EMAIL;TYPE=HOME:%1\n").arg(email);
    return entryFromVCard(vcard(body));
}

class DetailRowDragDrop : public ::testing::Test {
protected:
    void SetUp() override { UserDefaults::standard().removeObject(DetailRowModel::LastRowOrderKey); }
    void TearDown() override { UserDefaults::standard().removeObject(DetailRowModel::LastRowOrderKey); }
};

TEST_F(DetailRowDragDrop, AFieldMovesWithinItsTableAndLaterTablesTakeTheOrder) {
    Panel panel(fullContact());
    const int phone = panel.rowOf(FieldId::Phone);
    const std::unique_ptr<QMimeData> data = panel.drag(phone);
    ASSERT_TRUE(data);
    const Pasteboard info(data.get());
    EXPECT_EQ(info.stringForType(PasteboardType::Identifier), FieldId::Phone);
    const int email = panel.rowOf(FieldId::Email);
    const int rows = int(panel.controller.table().size());

    // Only between rows: before a field's first row, at the dragged row or at the end.
    struct Case {
        int row;
        Op operation;
        Qt::DropAction expected;
    };
    for (const Case &c : QList<Case>{{email, Op::Above, Qt::MoveAction},
                                     {email + 1, Op::Above, Qt::IgnoreAction},
                                     {email, Op::On, Qt::IgnoreAction},
                                     {phone, Op::Above, Qt::MoveAction},
                                     {rows, Op::Above, Qt::MoveAction}})
        EXPECT_EQ(panel.controller.tableViewValidateDrop(info, c.row, c.operation), c.expected) << c.row;
    EXPECT_FALSE(panel.controller.tableViewAcceptDrop(info, phone, Op::Above));

    ASSERT_TRUE(panel.controller.tableViewAcceptDrop(info, email, Op::Above));
    QStringList order = panel.fieldOrder();
    EXPECT_EQ(order.indexOf(FieldId::Phone) + 1, order.indexOf(FieldId::Email));
    EXPECT_TRUE(panel.delegate.edits.isEmpty());
    QStringList stored;
    for (const QVariant &field : UserDefaults::standard().arrayForKey(DetailRowModel::LastRowOrderKey))
        stored.append(field.toString());
    EXPECT_EQ(stored, *panel.controller.rowOrderTable());

    // Moved down, a field lands just before the field it was dropped above.
    const std::unique_ptr<QMimeData> email2 = panel.drag(panel.rowOf(FieldId::Email));
    ASSERT_TRUE(panel.controller.tableViewAcceptDrop(Pasteboard(email2.get()),
                                                     panel.rowOf(FieldId::URL), Op::Above));
    order = panel.fieldOrder();
    EXPECT_EQ(order.indexOf(FieldId::Email) + 1, order.indexOf(FieldId::URL));
    EXPECT_LT(order.indexOf(FieldId::InstantMessage), order.indexOf(FieldId::Email));

    // A popover opened afterwards shows the same order.
    ContactEntry shown = fullContact();
    ContactInfoPopover popover;
    popover.view();
    popover.setContact(&shown);
    EXPECT_EQ(popover.contactInfo()->rowOrderTable(), panel.controller.rowOrderTable());

    // Dropped after the last row, a field goes to the end.
    const std::unique_ptr<QMimeData> again = panel.drag(panel.rowOf(FieldId::Phone));
    ASSERT_TRUE(panel.controller.tableViewAcceptDrop(Pasteboard(again.get()),
                                                     int(panel.controller.table().size()), Op::Above));
    EXPECT_EQ(panel.fieldOrder().last(), FieldId::Phone);
    EXPECT_EQ(panel.controller.rowOrderTable()->last(), FieldId::Phone);
}

TEST_F(DetailRowDragDrop, AnEmailReplacesOrJoinsTheValuesItIsDroppedOn) {
    Panel source(withEmails(QStringLiteral("Src"), {QStringLiteral("new@example.com")}));
    Panel target(withEmails(QStringLiteral("Dst"), {QStringLiteral("a@example.com"), QStringLiteral("b@example.com")}));
    Panel empty(withEmails(QStringLiteral("None"), {}));
    const std::unique_ptr<QMimeData> data = source.drag(source.rowOf(FieldId::Email));
    ASSERT_TRUE(data);
    const Pasteboard info(data.get());
    const int second = target.rowOf(FieldId::Email, 1);
    const LabeledValueList before = target.shown.person->emailValues();

    EXPECT_EQ(target.controller.tableViewValidateDrop(info, second, Op::On), Qt::MoveAction);
    EXPECT_EQ(target.controller.tableViewValidateDrop(info, second, Op::Above), Qt::CopyAction);
    EXPECT_EQ(target.controller.tableViewValidateDrop(info, target.rowOf(FieldId::Phone), Op::On), Qt::IgnoreAction);
    EXPECT_EQ(empty.controller.tableViewValidateDrop(info, empty.rowOf(FieldId::Email), Op::On), Qt::CopyAction);

    const auto droppedList = [](Panel &panel) {
        EXPECT_EQ(panel.delegate.edits.size(), 1);
        const auto *list = panel.delegate.edits.last().second.get<LabeledValueList>();
        EXPECT_TRUE(list);
        EXPECT_EQ(panel.delegate.edits.last().first, FieldId::Email);
        return list ? *list : LabeledValueList();
    };
    ASSERT_TRUE(target.controller.tableViewAcceptDrop(info, second, Op::On));
    LabeledValueList replaced = droppedList(target);
    ASSERT_EQ(replaced.size(), 2);
    EXPECT_EQ(replaced[1].valueText(), QStringLiteral("new@example.com"));
    EXPECT_EQ(replaced[1].labelIndex, before[1].labelIndex);

    target.delegate.edits.clear();
    ASSERT_TRUE(target.controller.tableViewAcceptDrop(info, second, Op::Above));
    LabeledValueList inserted = droppedList(target);
    ASSERT_EQ(inserted.size(), 3);
    EXPECT_EQ(inserted[1].valueText(), QStringLiteral("new@example.com"));
    EXPECT_EQ(inserted[2].valueText(), QStringLiteral("b@example.com"));
    // The inserted value has a running number of its own.
    QSet<qint64> numbers;
    for (const LabeledValueRecord &record : inserted)
        numbers.insert(record.labelIndex);
    EXPECT_EQ(numbers.size(), 3);

    ASSERT_TRUE(empty.controller.tableViewAcceptDrop(info, empty.rowOf(FieldId::Email), Op::On));
    const LabeledValueList only = droppedList(empty);
    ASSERT_EQ(only.size(), 1);
    EXPECT_EQ(only[0].valueText(), QStringLiteral("new@example.com"));
}

TEST_F(DetailRowDragDrop, ADropOverACellsWidgetLandsOnItsRow) {
    Panel source(withEmails(QStringLiteral("Src"), {QStringLiteral("new@example.com")}));
    Panel target(withEmails(QStringLiteral("Dst"), {QStringLiteral("a@example.com"), QStringLiteral("b@example.com")}));
    const std::unique_ptr<QMimeData> data = source.drag(source.rowOf(FieldId::Email));
    ASSERT_TRUE(data);
    QWidget *cell = target.controller.valueCellWidget(target.rowOf(FieldId::Email, 1));
    ASSERT_NE(cell, nullptr);
    // The cells' widgets are placed once the table has laid itself out.
    QApplication::processEvents();
    // The drag arrives at the widget under the pointer: the value's text view in the middle.
    QWidget *under = cell->childAt(cell->rect().center());
    while (under && under->childAt(under->mapFrom(cell, cell->rect().center())))
        under = under->childAt(under->mapFrom(cell, cell->rect().center()));
    if (!under)
        under = cell;
    const QPoint middle = under->mapFrom(cell, cell->rect().center());
    // As a drag arrives: entering makes the cell the drag's target.
    QDragEnterEvent enter(middle, EveryDropOperation, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(under, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(middle, EveryDropOperation, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(under, &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(QPointF(middle), EveryDropOperation, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(under, &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(target.delegate.edits.size(), 1);
    const LabeledValueList list = *target.delegate.edits.first().second.get<LabeledValueList>();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[1].valueText(), QStringLiteral("new@example.com"));
}

TEST_F(DetailRowDragDrop, APictureFromAnotherProgramIsTakenOnlyOnThePhotoRow) {
    Panel panel(withEmails(QStringLiteral("Dst"), {QStringLiteral("a@example.com")}));
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QMimeData image;
    image.setImageData(picture);
    const int photo = panel.rowOf(FieldId::Photo);
    EXPECT_EQ(panel.controller.tableViewValidateDrop(Pasteboard(&image), photo, Op::On), Qt::CopyAction);
    EXPECT_EQ(panel.controller.tableViewValidateDrop(Pasteboard(&image), photo, Op::Above), Qt::IgnoreAction);
    EXPECT_EQ(panel.controller.tableViewValidateDrop(Pasteboard(&image), panel.rowOf(FieldId::Email), Op::On),
              Qt::IgnoreAction);
    ASSERT_TRUE(panel.controller.tableViewAcceptDrop(Pasteboard(&image), photo, Op::On));
    ASSERT_EQ(panel.delegate.edits.size(), 1);
    EXPECT_EQ(panel.delegate.edits.first().first, FieldId::Photo);
}

TEST_F(DetailRowDragDrop, DropsAreRefusedFromElsewhereWhileLockedOrOntoAnotherField) {
    Panel source(fullContact());
    Panel target(withEmails(QStringLiteral("Dst"), {QStringLiteral("a@example.com")}));
    const std::unique_ptr<QMimeData> name = source.drag(source.rowOf(FieldId::Name));
    ASSERT_TRUE(name);
    const Pasteboard info(name.get());
    const int first = target.rowOf(FieldId::Name);
    EXPECT_EQ(target.controller.tableViewValidateDrop(info, first, Op::On), Qt::MoveAction);
    EXPECT_EQ(target.controller.tableViewValidateDrop(info, first + 1, Op::Above), Qt::IgnoreAction);
    EXPECT_EQ(target.controller.tableViewValidateDrop(info, target.rowOf(FieldId::Email), Op::On), Qt::IgnoreAction);

    // Another program's drag, even with the same data.
    QMimeData foreign;
    for (const QString &format : name->formats())
        if (!format.endsWith(QStringLiteral("-source")))
            foreign.setData(format, name->data(format));
    EXPECT_EQ(target.controller.tableViewValidateDrop(Pasteboard(&foreign), first, Op::On), Qt::IgnoreAction);

    target.controller.windowState()->setEditState(false);
    EXPECT_EQ(target.controller.tableViewValidateDrop(info, first, Op::On), Qt::IgnoreAction);
    target.controller.windowState()->setEditState(true);

    // The name part of the row dropped on is replaced, the others kept.
    ASSERT_TRUE(target.controller.tableViewAcceptDrop(info, first, Op::On));
    ASSERT_EQ(target.delegate.edits.size(), 1);
    const auto *record = target.delegate.edits.first().second.get<NameRecord>();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->firstName, QStringLiteral("Johnny"));
    EXPECT_EQ(record->lastName, QStringLiteral("Dst"));
}

TEST_F(DetailRowDragDrop, ATableRowsValueIsTakenAtItsPosition) {
    Panel target(withEmails(QStringLiteral("Dst"), {QStringLiteral("a@example.com")}));
    const ContactEntry dragged = fullContact();
    const QByteArray card = QMvCard().vCardFromContact(dragged, {VCardOption::Note}).toUtf8();
    const int email = target.rowOf(FieldId::Email);
    // What the contacts table's drag carries: the cards and the first row's value position.
    const auto tableDrag = [&](const QString &labelIndex) {
        QWidget table;
        auto pasteboard = Pasteboard::forDragging();
        pasteboard->setSource(&table, &table);
        pasteboard->setData(card, PasteboardType::VCard);
        pasteboard->setString(labelIndex, PasteboardType::LabelIndex);
        return std::unique_ptr<QMimeData>(pasteboard->takeMimeData());
    };
    const std::unique_ptr<QMimeData> second = tableDrag(QStringLiteral("1"));
    ASSERT_TRUE(target.controller.tableViewAcceptDrop(Pasteboard(second.get()), email, Op::On));
    EXPECT_EQ(target.delegate.edits.first().second.get<LabeledValueList>()->first().valueText(),
              QStringLiteral("johnny@home.example"));
    // Positions the dragged contact does not have, or that are no positions, are refused.
    for (const QString &bad : {QStringLiteral("7"), QStringLiteral("-1"), QStringLiteral("x")}) {
        const std::unique_ptr<QMimeData> data = tableDrag(bad);
        EXPECT_EQ(target.controller.tableViewValidateDrop(Pasteboard(data.get()), email, Op::On), Qt::IgnoreAction)
            << bad.toStdString();
        EXPECT_FALSE(target.controller.tableViewAcceptDrop(Pasteboard(data.get()), email, Op::On));
    }
}

TEST_F(DetailRowDragDrop, APanelRowWithoutAValueStartsNoDragAPopoverRowDoes) {
    Panel panel(withEmails(QStringLiteral("Dst"), {QStringLiteral("a@example.com")}));
    EXPECT_FALSE(panel.drag(panel.rowOf(FieldId::Phone)));
    EXPECT_FALSE(panel.drag(panel.rowOf(FieldId::Photo)));
    EXPECT_TRUE(panel.drag(panel.rowOf(FieldId::Email)));

    ContactEntry shown = panel.shown;
    ContactInfoPopover popover;
    popover.view();
    popover.setContact(&shown);
    ContactInfoController &table = *popover.contactInfo();
    int email = -1, phone = -1;
    for (int row = 0; row < table.table().size(); ++row) {
        if (table.table().at(row).type == FieldId::Email && email < 0)
            email = row;
        if (table.table().at(row).type == FieldId::Phone && phone < 0)
            phone = row;
    }
    auto pasteboard = Pasteboard::forDragging();
    EXPECT_TRUE(table.tableViewWriteRowsWithIndexes({phone}, *pasteboard));
    auto withText = Pasteboard::forDragging();
    ASSERT_TRUE(table.tableViewWriteRowsWithIndexes({email}, *withText));
    EXPECT_EQ(withText->stringForType(), QStringLiteral("a@example.com"));
    // The popover's card leaves the custom items out.
    EXPECT_TRUE(withText->stringForType(PasteboardType::VCard).contains(QStringLiteral("EMAIL")));
}

} // namespace
