#pragma once

#include "tests/app/Driving.h"
#include "tests/app/WindowTestSupport.h"

#include "contact_info/ContactInfoPopover.h"
#include "editors/PopoverEditor.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Window.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace tessarin::table_test {
using namespace window_test;

// What the table's last action opened: a cell editor, an editor popover (its class, field,
// value number and edit state), the contact popover.
inline QString openedBy(const ContactsViewController &table) {
    if (table.cellEditor())
        return QStringLiteral("in place");
    if (!table.popover())
        return QStringLiteral("nothing");
    ::ViewController *content = table.popover()->contentViewController();
    if (qobject_cast<ContactInfoPopover *>(content))
        return QStringLiteral("contact popover");
    const auto *editor = qobject_cast<PopoverEditor *>(content);
    const EditorContext &context = *editor->contextInfo();
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QString::fromLatin1(editor->metaObject()->className()), context.type,
             context.labelIndex ? QString::number(*context.labelIndex) : QStringLiteral("-"),
             editor->isEditing() ? QStringLiteral("editing") : QStringLiteral("locked"));
}

// A document window on the cards, its table showing the columns given, driven as a user
// drives it: right clicks on cells, menu items, the sheets' buttons and keys.
class TableWindowTest : public WindowTest {
protected:
    TestDocument *document = nullptr;
    ViewController *view = nullptr;
    ContactsViewController *table = nullptr;
    ScriptedDialogPresenter dialogs;

    void openCards(const QString &cards, const QStringList &columns, double columnWidth = 160.0) {
        UserDefaults &defaults = UserDefaults::standard();
        defaults.setObject(QVariantMap{{QStringLiteral("Kinds"), columns}}, QStringLiteral("QM1DviewTypeDict"));
        defaults.setObject(QStringLiteral("Kinds"), QStringLiteral("QM1DselectedViewType"));
        QVariantMap widths;
        for (const QString &identifier : columns)
            widths.insert(identifier, columnWidth);
        defaults.setObject(widths, QStringLiteral("QM1DcolumnWidthDictionary"));
        document = open(cards);
        view = content(document);
        table = view->contactsViewController();
        window()->resize(1500, 700);
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        WindowTest::TearDown();
    }

    Window *window() const { return document->controller->window(); }
    QTableView *tableView() const { return table->tableView(); }
    bool edited() const { return window()->isDocumentEdited(); }
    UndoManager *undoManager() const { return view->undoManager(); }
    QModelIndex cell(int row, const QString &identifier) const {
        return tableView()->model()->index(row, table->tableModel()->columnOf(identifier));
    }
    std::shared_ptr<QMPerson> person(const QString &name) const {
        for (const ContactEntry &entry : std::as_const(*view->contactTable()))
            if (!entry.deleted && entry.person->compositeName() == name)
                return entry.person;
        return nullptr;
    }
    int rowOf(const QString &name, qint64 labelIndex = 0) const {
        const SubContactTable &rows = table->subContactTable();
        for (size_t r = 0; r < rows.size(); ++r)
            if (rows[r]->person->compositeName() == name && rows[r]->labelIndex == labelIndex)
                return int(r);
        return -1;
    }
    // A cell as it is painted: its label popup's title, a blank and its text.
    QString shownCell(int row, const QString &identifier) const {
        const auto shown = cell(row, identifier).data(ContactsTableModel::CellRole).value<ContactsTableCell>();
        return (shown.popup ? shown.popup->content().popupTitle() + QLatin1Char(' ') : QString()) + shown.text;
    }
    // Every cell of every row, column by column.
    QStringList shownCells() const {
        QStringList cells;
        for (int r = 0; r < int(table->subContactTable().size()); ++r)
            for (const ContactsTableColumn &column : table->tableColumns())
                cells << QStringLiteral("%1/%2: %3").arg(r).arg(column.identifier, shownCell(r, column.identifier));
        return cells;
    }
    // A menu as the user sees it: disabled items marked "-", separators as "|".
    static QStringList titles(const Menu *menu) {
        QStringList shown;
        for (MenuItem *item : menu->itemArray())
            shown << (item->isSeparator() ? QStringLiteral("|")
                                          : (item->isEnabled() ? QString() : QStringLiteral("-")) + item->title());
        return shown;
    }
    // Right-clicks the cell; the menu's items, none when no menu opened.
    QStringList menuAt(int row, const QString &identifier) {
        tableView()->scrollTo(cell(row, identifier));
        const QPoint point = tableView()->visualRect(cell(row, identifier)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, tableView()->viewport()->mapToGlobal(point));
        QApplication::sendEvent(tableView()->viewport(), &event);
        return table->cellMenu()->isVisible() ? titles(table->cellMenu()) : QStringList();
    }
    void closeMenu() {
        table->cellMenu()->hide();
        QCoreApplication::processEvents();
    }
    // Chooses the item of the open cell menu; false when it is not there or disabled.
    bool choose(const QString &title) {
        Menu *menu = table->cellMenu();
        MenuItem *item = menu->itemWithTitle(title);
        if (!item || !menu->isVisible() || !item->isEnabled()) {
            closeMenu();
            return false;
        }
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QCoreApplication::processEvents();
        return true;
    }
    // Right-clicks the cell and chooses the item; false when it is not there or disabled.
    bool menuCommand(int row, const QString &identifier, const QString &title) {
        menuAt(row, identifier);
        return choose(title);
    }
    // A main-menu item as the user finds it; false when disabled.
    bool pick(const QString &menuTitle, const QString &title) {
        return pickMenuItem(window()->mainMenu(), menuTitle, title);
    }
    void undo() {
        QCoreApplication::processEvents();
        ASSERT_TRUE(pick(QStringLiteral("Edit"), QStringLiteral("Undo")));
    }
    // A double click on the text of a cell (away from its label popup), as a user makes it.
    void doubleClick(int row, const QString &identifier, Qt::KeyboardModifiers modifiers = {}) {
        tableView()->scrollTo(cell(row, identifier));
        const QRect rect = tableView()->visualRect(cell(row, identifier));
        const QPoint at(rect.right() - 8, rect.center().y());
        QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, modifiers, at);
        QTest::mouseDClick(tableView()->viewport(), Qt::LeftButton, modifiers, at);
        QCoreApplication::processEvents();
    }
    // The editor popover the last action opened, if any.
    PopoverEditor *editor() const {
        return table->popover() ? qobject_cast<PopoverEditor *>(table->popover()->contentViewController()) : nullptr;
    }
    ReplaceAlertPanel *bulkDialog() const {
        ReplaceAlertPanel *panel = table->replaceAlertPanel();
        return panel && Application::shared().attachedSheet(window()) == panel->window() ? panel : nullptr;
    }
    // Types into the bulk dialog's text, over what it shows, and presses the key.
    void typeInDialog(const QString &text, Qt::Key key = Qt::Key_Return, Qt::KeyboardModifiers modifiers = {}) {
        ReplaceAlertPanel *panel = bulkDialog();
        ASSERT_NE(panel, nullptr);
        QPlainTextEdit *field = panel->replaceTextField();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, key, modifiers);
        QCoreApplication::processEvents();
    }
};

} // namespace tessarin::table_test
