#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "merge/MergePanelController.h"
#include "merge/result/MergeResult.h"
#include "merge/MergeTableView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Workspace.h"
#include "tests/merge/MergeTestSupport.h"
#include "tests/support/RealWheel.h"
#include "tests/support/TestSupport.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

using Side = MergePanelController::Side;
constexpr int TypeColumn = MergePanelController::TypeColumn;
constexpr int ValueColumn = MergePanelController::ValueColumn;

class MergeSheet : public ::testing::Test {
protected:
    ContactsSettings settings{CNContactSortOrder::GivenName, QStringLiteral("US")};
    Window window;
    MergePanelController sheet;
    SharedMergeContext context = std::make_shared<MergeContext>();
    std::shared_ptr<QMPerson> a = ann(), b = bob();
    QList<int> codes;

    void open(bool editable = true) {
        context->contacts = {ContactEntry::withPerson(a), ContactEntry::withPerson(b)};
        context->documentType = QStringLiteral("public.vcard");
        beginMergeSheet(sheet, window, context, editable, codes);
    }
    void TearDown() override {
        if (Application::shared().attachedSheet(&window))
            Application::shared().endSheet(sheet.window(), 0);
    }
    MergeTableView *table(Side side) { return sheet.tableView(side); }
    QMPerson &copy(Side side) {
        return *(side == Side::Left ? sheet.contactLeft() : sheet.contactRight())->person;
    }
    int row(const QString &type, int offset = 0) {
        const MergeTable &rows = sheet.tableLeft();
        for (int r = 0; r < rows.size(); ++r)
            if (rows[r].type == type)
                return r + offset;
        ADD_FAILURE() << type.toStdString();
        return -1;
    }
    QString shown(Side side, int r, int column = ValueColumn) {
        return table(side)->model()->index(r, column).data().toString();
    }
    QPoint cell(Side side, int r, int column = ValueColumn) {
        const QModelIndex index = table(side)->model()->index(r, column);
        table(side)->scrollTo(index);
        return table(side)->visualRect(index).center();
    }
    void doubleClick(Side side, int r, Qt::KeyboardModifiers modifiers = {}) {
        overrideModifierFlags(modifiers);
        QTest::mouseDClick(table(side)->viewport(), Qt::LeftButton, modifiers, cell(side, r));
        overrideModifierFlags(std::nullopt);
    }
    // The items of the context menu opened on a cell; disabled ones marked "-".
    QStringList menuAt(Side side, int r, int column = ValueColumn) {
        const QPoint point = cell(side, r, column);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, table(side)->viewport()->mapToGlobal(point));
        QApplication::sendEvent(table(side)->viewport(), &event);
        QStringList titles;
        for (MenuItem *item : sheet.menuOf(table(side))->itemArray())
            if (!item->isSeparator())
                titles.append((item->isEnabled() ? QString() : QStringLiteral("-")) + item->title());
        return titles;
    }
    void choose(Side side, const QString &title) {
        Menu *menu = sheet.menuOf(table(side));
        MenuItem *item = menu->itemWithTitle(title);
        ASSERT_TRUE(item) << title.toStdString();
        ASSERT_TRUE(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        settle();
    }
    static void settle() { QCoreApplication::processEvents(); }
    QTextEdit *labeledText(Side side, int r) {
        auto *widget = qobject_cast<PopupAndTextCellWidget *>(sheet.valueCellWidget(table(side), r));
        return widget ? widget->textField() : nullptr;
    }
    void undo() {
        // A context menu just closed may keep the focus on the offscreen platform.
        sheet.window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == sheet.window(); }));
        QTest::keyClick(sheet.window(), Qt::Key_Z, Qt::ControlModifier);
        settle();
    }
};

TEST_F(MergeSheet, ShowsBothContactsFieldByFieldWhileEditing) {
    open();
    EXPECT_EQ(sheet.nameFieldLeft()->text(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(sheet.nameFieldRight()->text(), QStringLiteral("Bob Bell"));
    EXPECT_EQ(table(Side::Left)->model()->rowCount(), table(Side::Right)->model()->rowCount());
    // "Phone" with its icon on the first of three rows only; Bob's two extra rows are empty.
    const int phone = row(FieldId::Phone);
    for (const Side side : {Side::Left, Side::Right}) {
        EXPECT_EQ(shown(side, phone, TypeColumn), QMPerson::localizedIdentifierForKey(FieldId::Phone));
        EXPECT_FALSE(table(side)->model()->index(phone, TypeColumn).data(Qt::DecorationRole).isNull());
        EXPECT_EQ(shown(side, phone + 1, TypeColumn), QString());
    }
    EXPECT_EQ(labeledText(Side::Left, phone + 1)->toPlainText(), QStringLiteral("222"));
    EXPECT_EQ(labeledText(Side::Right, phone)->toPlainText(), QStringLiteral("999"));
    EXPECT_EQ(labeledText(Side::Right, phone + 1)->toPlainText(), QString());
    EXPECT_EQ(shown(Side::Right, row(FieldId::Name, 1)), QString()); // middle name: only a placeholder
    EXPECT_EQ(shown(Side::Right, row(FieldId::Birthday)), QStringLiteral("1980.04.12(Sat)"));
    EXPECT_EQ(shown(Side::Left, row(FieldId::Note)), QStringLiteral("first line\nsecond line"));
    EXPECT_EQ(shown(Side::Left, row(QStringLiteral("Locker"))), QStringLiteral("B-12"));

    auto *ordering = qobject_cast<QComboBox *>(sheet.valueCellWidget(table(Side::Left), row(FieldId::NameOrdering)));
    ASSERT_TRUE(ordering);
    EXPECT_FALSE(ordering->isEnabled());
    EXPECT_EQ(ordering->toolTip(), QStringLiteral("Changes will not be saved"));
    EXPECT_EQ(sheet.editButton()->text(), QStringLiteral("Lock"));
    EXPECT_EQ(sheet.doneButton()->text(), QStringLiteral("Change"));
    EXPECT_FALSE(sheet.doneButton()->isEnabled());
    EXPECT_TRUE(sheet.cancelButton()->isVisible());
    EXPECT_EQ(sheet.redSeparator()->palette().color(QPalette::WindowText), QColor(Qt::red));

    // Scrolling one table scrolls the other to the same rows.
    table(Side::Left)->verticalScrollBar()->setValue(120);
    EXPECT_EQ(table(Side::Right)->verticalScrollBar()->value(), 120);
}

// The wheel over any popup of the sheet scrolls its table: no popup changes its choice and
// the sheet holds no change.
TEST_F(MergeSheet, TheWheelScrollsTheTablesAndChangesNoPopup) {
    open();
    sheet.window()->resize(700, 300);
    settle();
    QStringList passed;
    for (const Side side : {Side::Left, Side::Right}) {
        MergeTableView *view = table(side);
        const auto popupAt = [&](int r) {
            QWidget *cell = sheet.valueCellWidget(view, r);
            auto *labeled = qobject_cast<PopupAndTextCellWidget *>(cell);
            QComboBox *popup = labeled ? labeled->labelPopup() : qobject_cast<QComboBox *>(cell);
            return popup && popup->isVisibleTo(cell) && popup->isEnabled() ? popup : nullptr;
        };
        for (int r = 0; r < view->model()->rowCount(); ++r) {
            QComboBox *popup = popupAt(r);
            if (!popup)
                continue;
            const QString what = sheet.tableLeft()[r].type;
            const int chosen = popup->currentIndex();
            EXPECT_TRUE(turnWheelOverPopupIn(view, view->model()->index(r, ValueColumn), popup))
                << what.toStdString() << ": the table scrolls";
            ASSERT_NE(popupAt(r), nullptr) << what.toStdString();
            EXPECT_EQ(popupAt(r)->currentIndex(), chosen) << what.toStdString();
            EXPECT_FALSE(sheet.hasChanges()) << what.toStdString();
            passed << what;
        }
    }
    EXPECT_EQ(passed, (QStringList{FieldId::NameDisplay, FieldId::Phone, FieldId::Phone, FieldId::Phone, "Pets",
                                   "Pets", FieldId::NameDisplay, FieldId::Phone}));
    EXPECT_EQ(valueTexts(*a, FieldId::Phone), (QStringList{"home=111", "work=222", "mobile=333"}));
}

TEST_F(MergeSheet, AFirstNameEditedInPlaceIsOneStepAndReturnGoesOnBelow) {
    open();
    const int first = row(FieldId::Name);
    doubleClick(Side::Right, first);
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    field->selectAll();
    typeText(field, QStringLiteral("Robert"));
    QTest::keyClick(field, Qt::Key_Return);
    settle();
    EXPECT_EQ(sheet.nameFieldRight()->text(), QStringLiteral("Robert Bell"));
    EXPECT_EQ(b->compositeName(), QStringLiteral("Bob Bell")); // the document's contact is untouched
    EXPECT_TRUE(sheet.doneButton()->isEnabled());
    // Editing goes on in the middle name's row.
    ASSERT_TRUE(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    EXPECT_EQ(table(Side::Right)->currentIndex().row(), first + 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

    // The sheet holds a change: it cannot be locked until the change is undone.
    QTest::mouseClick(sheet.editButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.editButton()->text(), QStringLiteral("Lock"));
    undo();
    EXPECT_EQ(sheet.nameFieldRight()->text(), QStringLiteral("Bob Bell"));
    EXPECT_FALSE(sheet.doneButton()->isEnabled());
    QTest::mouseClick(sheet.editButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.editButton()->text(), QStringLiteral("Edit"));
    EXPECT_EQ(sheet.doneButton()->text(), QStringLiteral("Done"));
    EXPECT_TRUE(sheet.doneButton()->isEnabled());
    EXPECT_FALSE(sheet.cancelButton()->isVisible());
    EXPECT_EQ(sheet.redSeparator()->palette().color(QPalette::WindowText), QColor(Qt::gray));
}

TEST_F(MergeSheet, TabSkipsRowsWithoutTextAndWrapsToTheFirstName) {
    open();
    const int lastRow = table(Side::Right)->model()->rowCount() - 1;
    const struct {
        int from, to;
    } steps[] = {
        {row(FieldId::Company), row(FieldId::PhoneticName)},
        {row(FieldId::Email), row(FieldId::Phone)},    // placeholders and the IM row are skipped
        {row(FieldId::Phone), row(FieldId::Nickname)}, // Bob's placeholder phones and the address too
        {lastRow, 1},
    };
    for (const auto &step : steps) {
        sheet.controlTextViewDoCommandBySelector(table(Side::Right), step.from, QStringLiteral("insertTab:"));
        settle();
        const int selected = table(Side::Right)->selectionModel()->selectedRows().value(0).row();
        EXPECT_EQ(selected, step.to) << step.from;
        if (QWidget *focus = QApplication::focusWidget())
            QTest::keyClick(focus, Qt::Key_Escape);
    }
}

TEST_F(MergeSheet, TypingIntoAPlaceholderAddsAValueAndALabelChoiceKeepsItsWord) {
    open();
    const int phone = row(FieldId::Phone);
    QTextEdit *text = labeledText(Side::Right, phone + 1);
    ASSERT_TRUE(text && !text->isReadOnly());
    QTest::mouseClick(text->viewport(), Qt::LeftButton);
    typeText(text, QStringLiteral("555"));
    QTest::keyClick(text, Qt::Key_Tab);
    settle();
    EXPECT_EQ(valueTexts(copy(Side::Right), FieldId::Phone), (QStringList{"home=999", "No label=555"}));

    auto *cell = qobject_cast<PopupAndTextCellWidget *>(sheet.valueCellWidget(table(Side::Right), phone));
    ASSERT_TRUE(cell);
    ::choose(cell->labelPopup(), QStringLiteral("work"));
    settle();
    EXPECT_EQ(valueTexts(copy(Side::Right), FieldId::Phone).first(), QStringLiteral("work=999"));
    undo();
    undo();
    EXPECT_EQ(valueTexts(copy(Side::Right), FieldId::Phone), QStringList{"home=999"});
}

TEST_F(MergeSheet, DoneHandsBackTheCopiesOnlyAfterAChangeAndCancelNever) {
    const struct {
        const char *what;
        bool change;
        bool cancel;
        int code;
    } cases[] = {
        {"Done without change", false, false, 0},
        {"Done after a change", true, false, 1},
        {"Cancel after a change", true, true, 0},
    };
    for (const auto &c : cases) {
        codes.clear();
        context = std::make_shared<MergeContext>();
        a = ann();
        b = bob();
        open();
        if (c.change) {
            doubleClick(Side::Right, row(FieldId::Company));
            typeText(QApplication::focusWidget(), QStringLiteral("Acme"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            settle();
            // Typed and not yet committed: Done commits the cell first.
            doubleClick(Side::Right, row(FieldId::Nickname));
            typeText(QApplication::focusWidget(), QStringLiteral("Al"));
        } else {
            QTest::mouseClick(sheet.editButton(), Qt::LeftButton); // locked, Done is enabled
        }
        QTest::mouseClick(c.cancel ? sheet.cancelButton() : sheet.doneButton(), Qt::LeftButton);
        settle();
        EXPECT_EQ(codes, QList<int>{c.code}) << c.what;
        EXPECT_EQ(context->newContacts.has_value(), c.code == 1) << c.what;
        EXPECT_FALSE(sheet.window()->isVisible()) << c.what;
        EXPECT_EQ(b->stringValueForIdentifier(FieldId::Company), QString()) << c.what;
        if (context->newContacts) {
            EXPECT_EQ(context->newContacts->at(1).uniqueId, b->uniqueId());
            QMPerson &merged = *context->newContacts->at(1).person;
            EXPECT_EQ(merged.stringValueForIdentifier(FieldId::Company), QStringLiteral("Acme"));
            EXPECT_EQ(merged.stringValueForIdentifier(FieldId::Nickname), QStringLiteral("Al"));
        }
    }
}

TEST_F(MergeSheet, RowsDraggedBetweenTheTablesMoveOrCopyTheirValue) {
    open();
    const int phone = row(FieldId::Phone);
    auto drag = [&](Side from, int r) {
        auto pasteboard = Pasteboard::forDragging();
        EXPECT_TRUE(sheet.tableViewWriteRows(table(from), r, *pasteboard));
        return pasteboard;
    };
    auto pasteboard = drag(Side::Left, phone + 1);
    EXPECT_EQ(pasteboard->stringForType(), QStringLiteral("work: 222"));
    const Pasteboard dropped(pasteboard->mimeData());
    EXPECT_EQ(sheet.tableViewValidateDrop(table(Side::Right), dropped, phone, MergeDropPosition::On, false),
              Qt::MoveAction);
    EXPECT_EQ(sheet.tableViewValidateDrop(table(Side::Right), dropped, phone, MergeDropPosition::On, true),
              Qt::CopyAction);
    EXPECT_EQ(sheet.tableViewValidateDrop(table(Side::Left), dropped, phone, MergeDropPosition::On, false),
              Qt::IgnoreAction); // onto its own table
    ASSERT_TRUE(sheet.tableViewAcceptDrop(table(Side::Right), dropped, phone + 1, MergeDropPosition::On, false));
    settle();
    EXPECT_EQ(labeledText(Side::Right, phone + 1)->toPlainText(), QStringLiteral("222"));
    EXPECT_EQ(valueTexts(copy(Side::Left), FieldId::Phone), (QStringList{"home=111", "mobile=333"}));
    EXPECT_TRUE(sheet.doneButton()->isEnabled());
    undo();
    EXPECT_EQ(valueTexts(copy(Side::Left), FieldId::Phone), (QStringList{"home=111", "work=222", "mobile=333"}));
    EXPECT_EQ(valueTexts(copy(Side::Right), FieldId::Phone), QStringList{"home=999"});
    EXPECT_FALSE(sheet.doneButton()->isEnabled());

    // A picture from another application replaces a photo, within the size limit.
    QMimeData picture;
    QImage large(2048, 1024, QImage::Format_RGB32);
    large.fill(Qt::green);
    picture.setImageData(large);
    const Pasteboard image(&picture);
    ASSERT_TRUE(sheet.tableViewAcceptDrop(table(Side::Right), image, row(FieldId::Photo), MergeDropPosition::On, true));
    EXPECT_EQ(copy(Side::Right).photo().size(), QSize(512, 256));
    QTest::mouseClick(sheet.editButton(), Qt::LeftButton); // refused: the sheet holds a change
    undo();
    QTest::mouseClick(sheet.editButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.tableViewValidateDrop(table(Side::Right), image, row(FieldId::Photo), MergeDropPosition::On, true),
              Qt::IgnoreAction); // locked
}

// A drag arrives at the window, which hands it to the widget under the pointer: a row of
// the other table is the merge drop on whichever cell, cell widget or open editor of the row
// it lands; text from another program lands nowhere, never as typed text.
TEST_F(MergeSheet, ARowDroppedOnAnyPartOfARowIsTheMergeDropAndOtherTextIsRefused) {
    b->setValue(QStringLiteral("Bell & Co"), FieldId::Company);
    b->setValue(QStringLiteral("bob note"), FieldId::Note);
    open();
    enum Where { TypeCell, LabelText, LabelTextEdited, LabelPopup, TextCell, OpenEditor };
    const struct {
        const char *part;
        QString type;
        Where where;
    } parts[] = {
        {"the type cell of a labeled row", FieldId::Phone, TypeCell},
        {"a label cell's text", FieldId::Phone, LabelText},
        {"a label cell's text being edited", FieldId::Phone, LabelTextEdited},
        {"a label cell's popup", FieldId::Phone, LabelPopup},
        {"the type cell of a text row", FieldId::Company, TypeCell},
        {"a text cell", FieldId::Company, TextCell},
        {"a text cell's open editor", FieldId::Company, OpenEditor},
        {"the open editor of a text of several lines", FieldId::Note, OpenEditor},
    };
    // What both contacts hold of the field, as the sheet's texts show it.
    const auto held = [&](const QString &type) {
        QStringList texts;
        for (const Side side : {Side::Left, Side::Right})
            texts << (type == FieldId::Phone ? valueTexts(copy(side), type).join(QLatin1Char(','))
                                             : copy(side).stringValueForIdentifier(type));
        return texts;
    };
    const QStringList phones = held(FieldId::Phone), companies = held(FieldId::Company),
                      notes = held(FieldId::Note);
    // The widget under the pointer over the part, made ready as a user would, and the point.
    const auto pointOver = [&](Side side, int r, Where where) -> std::pair<QWidget *, QPoint> {
        const auto middle = [](QWidget *widget) { return std::pair{widget, widget->rect().center()}; };
        const QPoint value = cell(side, r); // scrolled into view
        auto *label = qobject_cast<PopupAndTextCellWidget *>(sheet.valueCellWidget(table(side), r));
        switch (where) {
        case TypeCell:
        case TextCell:
            return {table(side)->viewport(), where == TypeCell ? cell(side, r, TypeColumn) : value};
        case LabelText:
            return label ? middle(label->textField()->viewport()) : std::pair<QWidget *, QPoint>();
        case LabelTextEdited:
            if (!label)
                return {};
            QTest::mouseClick(label->textField()->viewport(), Qt::LeftButton);
            return label->textField()->hasFocus() ? middle(label->textField()->viewport())
                                                  : std::pair<QWidget *, QPoint>();
        case LabelPopup:
            return label ? middle(label->labelPopup()) : std::pair<QWidget *, QPoint>();
        case OpenEditor: {
            doubleClick(side, r);
            QWidget *editor = QApplication::focusWidget();
            if (!editor || editor->parentWidget() != table(side)->viewport())
                return {};
            auto *lines = qobject_cast<QAbstractScrollArea *>(editor);
            return middle(lines ? lines->viewport() : editor);
        }
        }
        return {};
    };
    enum Source { Moved, Copied, Outside };
    for (const auto &part : parts) {
        for (const Side onto : {Side::Left, Side::Right}) {
            for (const Source source : {Moved, Copied, Outside}) {
                SCOPED_TRACE(testing::Message() << part.part << (onto == Side::Left ? " of A, " : " of B, ")
                                                << (source == Moved    ? "a row of the other table"
                                                    : source == Copied ? "a row of the other table, Ctrl held"
                                                                       : "outside text"));
                const bool fromSheet = source != Outside;
                const Side from = onto == Side::Left ? Side::Right : Side::Left;
                const int r = row(part.type);
                QMimeData outside;
                outside.setText(QStringLiteral("work: x@y.example"));
                auto pasteboard = Pasteboard::forDragging();
                if (fromSheet) {
                    ASSERT_TRUE(sheet.tableViewWriteRows(table(from), r, *pasteboard));
                }
                const QMimeData *data = fromSheet ? pasteboard->mimeData() : &outside;
                const QStringList before = held(part.type);

                const auto [over, point] = pointOver(onto, r, part.where);
                ASSERT_NE(over, nullptr);
                QWidget *top = over->window();
                const QPoint at = over->mapTo(top, point);
                ASSERT_EQ(top->childAt(at), over);
                const Qt::KeyboardModifiers keys = source == Copied ? Qt::ControlModifier : Qt::NoModifier;
                overrideModifierFlags(keys);
                QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, keys);
                QApplication::sendEvent(top->windowHandle(), &enter);
                QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, keys);
                QApplication::sendEvent(top->windowHandle(), &move);
                EXPECT_EQ(move.isAccepted(), fromSheet);
                QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, keys);
                QApplication::sendEvent(top->windowHandle(), &drop);
                overrideModifierFlags(std::nullopt);
                EXPECT_EQ(drop.isAccepted(), fromSheet);
                if (fromSheet) {
                    EXPECT_EQ(drop.dropAction(), source == Copied ? Qt::CopyAction : Qt::MoveAction);
                }
                settle();
                // An edit left open ends as Done would end it.
                sheet.endEditing();
                settle();

                const QStringList after = held(part.type);
                if (!fromSheet) {
                    EXPECT_EQ(after, before);
                    EXPECT_FALSE(sheet.doneButton()->isEnabled());
                    continue;
                }
                // This contact has the value the dropped row held; moved, the other lost it.
                const int mine = onto == Side::Left ? 0 : 1, theirs = 1 - mine;
                const QString carried = part.type == FieldId::Phone
                                            ? before[theirs].section(QLatin1Char(','), 0, 0)
                                            : before[theirs];
                EXPECT_TRUE(after[mine].contains(carried)) << after[mine].toStdString();
                if (source == Copied) {
                    EXPECT_EQ(after[theirs], before[theirs]);
                } else {
                    EXPECT_FALSE(after[theirs].contains(carried)) << after[theirs].toStdString();
                }
                EXPECT_TRUE(sheet.doneButton()->isEnabled());
                undo();
                EXPECT_EQ(held(part.type), before);
                EXPECT_FALSE(sheet.doneButton()->isEnabled());
            }
        }
    }
    EXPECT_EQ(held(FieldId::Phone), phones);
    EXPECT_EQ(held(FieldId::Company), companies);
    EXPECT_EQ(held(FieldId::Note), notes);

    // A text typed into another cell and not entered yet is kept, ahead of the drop.
    doubleClick(Side::Right, row(FieldId::Company));
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Bells"));
    auto pasteboard = Pasteboard::forDragging();
    ASSERT_TRUE(sheet.tableViewWriteRows(table(Side::Left), row(FieldId::Phone), *pasteboard));
    ASSERT_TRUE(sheet.tableViewAcceptDrop(table(Side::Right), Pasteboard(pasteboard->mimeData()),
                                          row(FieldId::Phone), MergeDropPosition::On, false));
    settle();
    EXPECT_EQ(held(FieldId::Company), (QStringList{QStringLiteral("Acme"), QStringLiteral("Bells")}));
    EXPECT_EQ(held(FieldId::Phone),
              (QStringList{QStringLiteral("work=222,mobile=333"), QStringLiteral("home=111")}));
    undo();
    EXPECT_EQ(held(FieldId::Phone), phones);
    undo();
    EXPECT_EQ(held(FieldId::Company), companies);
}

TEST_F(MergeSheet, ContextMenusOfferWhatEachRowHolds) {
    LabeledValueRecord address = textRecord(QStringLiteral("work"), QString(), 0);
    address.street = QStringLiteral("Main St 1");
    address.city = QStringLiteral("Springfield");
    b->setValue(LabeledValueList{address}, FieldId::Address);
    open();
    const struct {
        Side side;
        QString type;
        int offset;
        int column;
        QStringList items;
    } cases[] = {
        {Side::Left, FieldId::Phone, 1, ValueColumn, {"Call Phone", "Open Phone Panel", "Add Item", "Delete Item"}},
        {Side::Right, FieldId::Phone, 1, ValueColumn, {"-Call Phone", "Open Phone Panel", "Add Item"}},
        {Side::Right, FieldId::Address, 0, ValueColumn,
         {"Open in Maps", "Open Web Map", "Open Address Panel", "Open Edit Panel", "Add Item", "Delete Item"}},
        {Side::Right, FieldId::InstantMessage, 0, ValueColumn, {"-Open IMS Panel", "Open Edit Panel", "Add Item"}},
        {Side::Right, FieldId::Birthday, 0, ValueColumn, {"-Open Calendar", "Open Birthday Panel", "Delete Item"}},
        {Side::Left, FieldId::Photo, 0, ValueColumn, {"Add Image"}},
        {Side::Left, QStringLiteral("Pets"), 0, ValueColumn, {"Open Edit Panel"}},
        {Side::Left, FieldId::Company, 0, ValueColumn, {}},
        {Side::Left, FieldId::Phone, 0, TypeColumn, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(menuAt(c.side, row(c.type, c.offset), c.column), c.items)
            << c.type.toStdString() << c.offset << (c.side == Side::Left ? " left" : " right");

    // Opening in other applications, adding and deleting values.
    RecordingUrlOpener opener;
    menuAt(Side::Left, row(FieldId::Phone));
    choose(Side::Left, QStringLiteral("Call Phone"));
    menuAt(Side::Right, row(FieldId::Address));
    choose(Side::Right, QStringLiteral("Open Web Map"));
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(opener.opened[0].toString(), QStringLiteral("tel:111"));
    EXPECT_EQ(opener.opened[1], Workspace::webMapSearchURL(copy(Side::Right).addressValues().first().stringValue));

    menuAt(Side::Right, row(FieldId::Phone));
    choose(Side::Right, QStringLiteral("Add Item"));
    EXPECT_EQ(valueTexts(copy(Side::Right), FieldId::Phone), (QStringList{"home=999", "home=123"}));
    table(Side::Left)->selectRow(row(FieldId::Phone, 1));
    menuAt(Side::Left, row(FieldId::Phone, 1));
    choose(Side::Left, QStringLiteral("Delete Item"));
    EXPECT_EQ(valueTexts(copy(Side::Left), FieldId::Phone), (QStringList{"home=111", "mobile=333"}));
    EXPECT_EQ(table(Side::Left)->selectionModel()->selectedRows().value(0).row(), row(FieldId::Phone));
    undo();
    undo();
    EXPECT_EQ(valueTexts(copy(Side::Right), FieldId::Phone), QStringList{"home=999"});
    EXPECT_EQ(valueTexts(copy(Side::Left), FieldId::Phone).size(), 3);
}

TEST_F(MergeSheet, PhotoCommandsWorkOnTheirOwnTableWhileEditing) {
    const QString file = testScratchDirectory() + QStringLiteral("/photo.png");
    QImage large(2048, 1024, QImage::Format_RGB32);
    large.fill(Qt::blue);
    ASSERT_TRUE(large.save(file));
    open();
    ScriptedDialogPresenter dialogs;
    dialogs.chooseFiles({QUrl::fromLocalFile(file)});
    const int photo = row(FieldId::Photo);
    auto *button = qobject_cast<PullDownButton *>(sheet.valueCellWidget(table(Side::Right), photo));
    ASSERT_TRUE(button && button->isEnabled());
    button->pullDownMenu()->itemWithTitle(QStringLiteral("Add Image"))->trigger();
    settle();
    EXPECT_EQ(copy(Side::Right).photo().size(), QSize(512, 256));
    EXPECT_TRUE(copy(Side::Left).photo().isNull());
    EXPECT_EQ(menuAt(Side::Right, photo), (QStringList{"Replace Image", "Delete Image"}));
    choose(Side::Right, QStringLiteral("Delete Image"));
    EXPECT_TRUE(copy(Side::Right).photo().isNull());

    undo();
    undo();
    QTest::mouseClick(sheet.editButton(), Qt::LeftButton);
    EXPECT_EQ(menuAt(Side::Right, photo), QStringList{"-Add Image"});
    EXPECT_FALSE(sheet.valueCellWidget(table(Side::Right), photo)->isEnabled());
    EXPECT_EQ(dialogs.unansweredCount(), 0);
}

TEST_F(MergeSheet, EditorsOpenOnTheirRowAndTheirAnswerIsOneStep) {
    open();
    auto shownEditor = [&] {
        return sheet.popover() && sheet.popover()->isShown()
                   ? QString::fromLatin1(sheet.popover()->contentViewController()->metaObject()->className())
                   : QString();
    };
    auto closeEditor = [&] {
        sheet.popover()->close();
        settle();
    };
    // Locked, a filled birthday shows its editor, and Ctrl-double-click a phone the list editor.
    QTest::mouseClick(sheet.editButton(), Qt::LeftButton);
    doubleClick(Side::Right, row(FieldId::Birthday));
    EXPECT_EQ(shownEditor(), QStringLiteral("DateViewController"));
    closeEditor();
    doubleClick(Side::Right, row(FieldId::Phone), Qt::ControlModifier);
    EXPECT_EQ(shownEditor(), QStringLiteral("MultiValueViewController"));
    closeEditor();
    QTest::mouseClick(sheet.editButton(), Qt::LeftButton);

    // Editing, an empty e-mail row opens the list of addresses; its answer replaces the field.
    doubleClick(Side::Right, row(FieldId::Email));
    auto *list = qobject_cast<MultiValueViewController *>(sheet.popover()->contentViewController());
    ASSERT_TRUE(list);
    QTest::mouseClick(list->addButton(), Qt::LeftButton);
    QTest::mouseClick(list->doneButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(valueTexts(copy(Side::Right), FieldId::Email).size(), 1);
    undo();
    EXPECT_TRUE(valueTexts(copy(Side::Right), FieldId::Email).isEmpty());

    menuAt(Side::Right, row(FieldId::InstantMessage));
    choose(Side::Right, QStringLiteral("Add Item"));
    ASSERT_TRUE(sheet.popover());
    auto *editor = qobject_cast<IMSViewController *>(sheet.popover()->contentViewController());
    ASSERT_TRUE(editor);
    editor->usernameField()->selectAll();
    typeText(editor->usernameField(), QStringLiteral("bobby"));
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(copy(Side::Right).imsValues().size(), 1);
    EXPECT_EQ(copy(Side::Right).imsValues().first().username, QStringLiteral("bobby"));
    EXPECT_TRUE(sheet.doneButton()->isEnabled());
    undo();
    EXPECT_TRUE(copy(Side::Right).imsValues().isEmpty());
    EXPECT_FALSE(sheet.doneButton()->isEnabled());
}

// A locked sheet, opened from a locked window or locked with its own button, opens every
// editor read-only: its Edit button disabled, so Done can hand nothing back.
TEST_F(MergeSheet, ALockedSheetOpensEveryEditorReadOnly) {
    for (const bool openedLocked : {true, false}) {
        open(!openedLocked);
        if (!openedLocked)
            QTest::mouseClick(sheet.editButton(), Qt::LeftButton);
        ASSERT_FALSE(sheet.isEditing());
        const ContactEntry bobsCopy = *sheet.contactRight();
        const QRect at = table(Side::Right)->visualRect(table(Side::Right)->model()->index(0, ValueColumn));
        const struct {
            const char *editor;
            std::function<void()> open;
        } openers[] = {
            {"list", [&] { sheet.showMultiValuePopover(bobsCopy, FieldId::Phone, 0, at); }},
            {"address", [&] { sheet.showAddressPopover(bobsCopy, FieldId::Address, -1, at); }},
            {"instant message", [&] { sheet.showIMSPopover(bobsCopy, FieldId::InstantMessage, -1, at); }},
            {"social profile", [&] { sheet.showSNSPopover(bobsCopy, FieldId::SocialNetwork, -1, at); }},
            {"dates", [&] { sheet.showDatePopover(bobsCopy, FieldId::Dates, 0, at); }},
            {"birthday", [&] { sheet.showDatePopover(bobsCopy, FieldId::Birthday, 0, at); }},
            {"birthday by a double click", [&] { doubleClick(Side::Right, row(FieldId::Birthday)); }},
            {"phones by a Ctrl double click",
             [&] { doubleClick(Side::Right, row(FieldId::Phone), Qt::ControlModifier); }},
        };
        for (const auto &opener : openers) {
            const std::string what = std::string(opener.editor) + (openedLocked ? ", opened locked" : ", locked");
            opener.open();
            settle();
            ASSERT_TRUE(sheet.popover() && sheet.popover()->isShown()) << what;
            auto *editor = qobject_cast<PopoverEditor *>(sheet.popover()->contentViewController());
            ASSERT_TRUE(editor) << what;
            EXPECT_FALSE(editor->isEditing()) << what;
            EXPECT_FALSE(editor->editButton()->isEnabled()) << what;
            QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
            settle();
            EXPECT_FALSE(sheet.hasChanges()) << what;
        }
        sheet.buttonPressed(sheet.doneButton());
        settle();
    }
    EXPECT_EQ(codes, (QList<int>{MergePanelController::UnchangedResponse, MergePanelController::UnchangedResponse}));
}

// What the window applies: the custom items of the copies, beside every other field.
TEST_F(MergeSheet, ACustomItemMovedAcrossIsPartOfTheResult) {
    open();
    const int pets = row(QStringLiteral("Pets"));
    auto pasteboard = Pasteboard::forDragging();
    ASSERT_TRUE(sheet.tableViewWriteRows(table(Side::Left), pets + 1, *pasteboard));
    const Pasteboard dropped(pasteboard->mimeData());
    ASSERT_TRUE(sheet.tableViewAcceptDrop(table(Side::Right), dropped, pets, MergeDropPosition::On, false));
    settle();
    EXPECT_EQ(labeledText(Side::Right, pets)->toPlainText(), QStringLiteral("Pochi"));
    QTest::mouseClick(sheet.doneButton(), Qt::LeftButton);
    ASSERT_TRUE(context->newContacts);
    const QList<CustomItemChange> toBob = changedCustomItems(*context->newContacts->at(1).person, *b, documentItems());
    ASSERT_EQ(toBob.size(), 1);
    EXPECT_EQ(toBob.first().identifier, QStringLiteral("Pets"));
    EXPECT_EQ(changedCustomItems(*context->newContacts->at(0).person, *a, documentItems()).size(), 1);
}

} // namespace
