// Opens a file in the real document window and works it as a user would, one step every
// 1.2 s, for screenshots under Xvfb (not a test):
//   window_demo FILE [shots=DIR] STEP...
// Steps: panes (both pane buttons), view=VIEW TYPE (from its pull-down), lock (the edit
// button), row=N, select=NAME (the contact's rows), all (every row), group=NAME (in the group list),
// rename=NEW (the selected group, as its in-place editor commits), pick=MENU/ITEM (a main-menu
// item, validated first), answer=BUTTON (on the alert an earlier step opened),
// open=sort|labels|contact (drops a pull-down down), import=FILE (the vCard file, its open
// panel answered, the sheet's first two rows selected), find=TEXT (typed into the find bar's
// search field, then Return), next (the bar's Next); editing in the table: cell=NAME/COLUMN[/N]
// (a double click on the cell of the contact's row N), type=TEXT, key=Return|Tab|Escape|Delete
// (to the focused control), label=NAME/COLUMN (a click on the cell's label popup) and
// menu=TITLE (an item of the open menu), name=NAME (the name editor, as the context menu's
// Open Name Panel opens it), info=TYPE/N (the row of the open contact popover showing value N
// of the field), detach (the open contact popover torn off), closedetached (the torn-off windows
// closed), size=WxH (the window's). With shots=, the screen is
// photographed after each step (`import -window root`) and the edited mark printed, since no
// window manager draws the title there.
#include "app/document/Document.h"
#include "app/transfer/ImportCommand.h"
#include "app/transfer/ImportPanelController.h"
#include "editors/NameViewController.h"
#include "find/SegmentedButtons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Window.h"
#include "tests/app/Driving.h"

#include <QAbstractButton>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTextStream>
#include <QToolButton>
#include <QUrl>

namespace {

int rowOfContact(ContactsViewController *table, const QString &name, qint64 labelIndex) {
    const SubContactTable &rows = table->subContactTable();
    for (int r = 0; r < int(rows.size()); ++r)
        if (rows[r]->person->compositeName() == name && rows[r]->labelIndex == labelIndex)
            return r;
    return -1;
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void sendKey(const QString &key) {
    static const QHash<QString, int> keys = {{"Return", Qt::Key_Return}, {"Tab", Qt::Key_Tab},
                                             {"Escape", Qt::Key_Escape}, {"Delete", Qt::Key_Backspace}};
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return;
    const int code = keys.value(key, 0);
    const QString text = code ? QString() : key;
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, code, Qt::NoModifier, text);
        QApplication::sendEvent(focus, &event);
    }
}

// Edits in the table and its popovers, as a user makes them with the mouse and the keys.
bool runEditingStep(tessarin::ViewController *view, const QString &step, const QString &value) {
    ContactsViewController *table = view->contactsViewController();
    QWidget *viewport = table->tableView()->viewport();
    const QStringList parts = value.split(QLatin1Char('/'));
    const int row = rowOfContact(table, parts.value(0), parts.value(2).toLongLong());
    const int column = table->tableModel()->columnOf(parts.value(1));
    const QRect cell = table->frameOfCellAtColumn(column, row);
    auto *info = table->popover() ? qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController())
                                  : nullptr;
    if (step.startsWith(QLatin1String("cell="))) {
        const QPoint at(cell.right() - 8, cell.center().y());
        sendMouse(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton);
        sendMouse(viewport, QEvent::MouseButtonRelease, at, Qt::NoButton);
        sendMouse(viewport, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
        sendMouse(viewport, QEvent::MouseButtonRelease, at, Qt::NoButton);
    } else if (step.startsWith(QLatin1String("type="))) {
        for (const QChar c : value)
            sendKey(QString(c));
    } else if (step.startsWith(QLatin1String("key="))) {
        sendKey(value);
    } else if (step.startsWith(QLatin1String("label="))) {
        sendMouse(viewport, QEvent::MouseButtonPress, cell.topLeft() + QPoint(8, 8), Qt::LeftButton);
    } else if (step.startsWith(QLatin1String("menu="))) {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
            for (QAction *action : menu->actions())
                if (action->text() == value) {
                    menu->close();
                    action->trigger();
                }
    } else if (step.startsWith(QLatin1String("name="))) {
        const int first = rowOfContact(table, value, 0);
        table->selectRowIndexes({first});
        table->showNamePopover(table->subContactTable()[size_t(first)], FieldId::Name,
                               table->frameOfCellAtColumn(0, first));
        if (auto *editor = qobject_cast<NameViewController *>(table->popover()->contentViewController())) {
            editor->firstNameField()->setFocus();
            editor->firstNameField()->selectAll();
        }
    } else if (step.startsWith(QLatin1String("info=")) && info) {
        const QList<InfoTableRow> &rows = info->contactInfo()->table();
        for (int r = 0; r < rows.size(); ++r)
            if (rows[r].type == parts.value(0) && rows[r].labelIndex.value_or(0) == parts.value(1).toLongLong())
                info->tableView()->selectRow(r);
        info->tableView()->setFocus();
    } else if (step.startsWith(QLatin1String("size="))) {
        view->window()->resize(value.section(QLatin1Char('x'), 0, 0).toInt(), value.section(QLatin1Char('x'), 1).toInt());
    } else if (step == QLatin1String("detach") && table->popover()) {
        table->popover()->detach();
    } else if (step == QLatin1String("closedetached")) {
        table->closeAllDetachedWindows();
    } else {
        return false;
    }
    return true;
}

void runStep(tessarin::WindowController *window, const QString &step,
             std::unique_ptr<ScriptedDialogPresenter> &dialogs) {
    tessarin::ViewController *view = window->mainViewController();
    const QString value = step.section(QLatin1Char('='), 1);
    if (runEditingStep(view, step, value))
        return;
    if (step == QLatin1String("panes")) {
        window->splitButtons()->press(0);
        window->splitButtons()->press(1);
    } else if (step.startsWith(QLatin1String("view="))) {
        Menu *menu = window->viewTypePopup()->pullDownMenu();
        menu->update();
        menu->itemAtIndex(menu->indexOfItemWithRepresentedObject(value))->trigger();
    } else if (step == QLatin1String("lock")) {
        window->editButton()->click();
    } else if (step.startsWith(QLatin1String("row="))) {
        view->contactsViewController()->selectRowIndexes({value.toInt()});
    } else if (step == QLatin1String("all")) {
        view->contactsViewController()->tableView()->selectAll();
    } else if (step.startsWith(QLatin1String("select="))) {
        QList<int> rows;
        const SubContactTable &table = view->contactsViewController()->subContactTable();
        for (int r = 0; r < int(table.size()); ++r)
            if (table[r]->person->compositeName() == value)
                rows << r;
        view->contactsViewController()->selectRowIndexes(rows);
    } else if (step.startsWith(QLatin1String("group=")) || step.startsWith(QLatin1String("rename="))) {
        GroupOutlineModel *model = view->groupViewController()->outlineModel();
        if (step.startsWith(QLatin1String("rename="))) {
            model->setData(model->indexOfGroup(view->selectedGroupDict().get()), value);
            return;
        }
        for (const SharedGroup &group : view->containerTable()->first().groups)
            if (group->name == value && !group->deleted)
                view->groupViewController()->outlineView()->selectionModel()->setCurrentIndex(
                    model->indexOfGroup(group.get()), QItemSelectionModel::ClearAndSelect);
    } else if (step.startsWith(QLatin1String("pick="))) {
        Menu *menu = findSubmenu(window->window()->mainMenu(), value.section(QLatin1Char('/'), 0, 0));
        MenuItem *item = menu ? (menu->update(), menu->itemWithTitle(value.section(QLatin1Char('/'), 1))) : nullptr;
        if (item && item->isEnabled())
            item->trigger();
        else
            QTextStream(stderr) << "disabled: " << value << '\n';
    } else if (step.startsWith(QLatin1String("answer="))) {
        if (QWidget *modal = QApplication::activeModalWidget())
            for (QAbstractButton *button : modal->findChildren<QAbstractButton *>())
                if (button->text().remove(QLatin1Char('&')) == value)
                    return button->click();
    } else if (step.startsWith(QLatin1String("open="))) {
        PullDownButton *button = value == QLatin1String("sort")     ? window->sortOptionsPopup()
                                 : value == QLatin1String("labels") ? window->labelsPopup()
                                                                    : window->contactPopup();
        Dispatch::after(300, [button] { button->showMenu(); });
    } else if (step.startsWith(QLatin1String("find="))) {
        QLineEdit *field = view->findBarController()->searchField();
        field->setText(value);
        emit field->returnPressed();
    } else if (step == QLatin1String("next")) {
        view->findBarController()->directControl()->button(1)->click();
    } else if (step.startsWith(QLatin1String("import="))) {
        dialogs = std::make_unique<ScriptedDialogPresenter>();
        dialogs->chooseFiles({QUrl::fromLocalFile(value)});
        window->importCommand()->importFromVCard();
        QTableView *table = window->importPanelController()->nameTableView();
        for (int row = 0; row < std::min(2, table->model()->rowCount()); ++row)
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    nameDemoProgram();
    QStringList steps = application.arguments().mid(1);
    if (steps.isEmpty())
        return 2;
    const QString file = steps.takeFirst();
    QString shots;
    if (!steps.isEmpty() && steps.first().startsWith(QLatin1String("shots=")))
        shots = steps.takeFirst().mid(6);
    tessarin::AppDelegate delegate;
    tessarin::DocumentController controller;
    startDemoProgram(delegate, controller, file);
    std::unique_ptr<ScriptedDialogPresenter> dialogs;
    tessarin::WindowController *window = nullptr;
    // Steps run from timers, which also fire inside the modal run of an alert a step opened.
    std::function<void(int)> run = [&](int index) {
        if (index >= steps.size())
            return shots.isEmpty() ? void() : QApplication::quit();
        // Scheduled first: a step that opens an alert returns only once it is answered.
        Dispatch::after(700, [&, index] {
            if (!shots.isEmpty()) {
                const QString name = QStringLiteral("%1/%2-%3.png")
                                         .arg(shots)
                                         .arg(index + 1, 2, 10, QLatin1Char('0'))
                                         .arg(QString(steps[index]).replace(QRegularExpression(QStringLiteral("\\W+")), QStringLiteral("-")));
                QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), name});
                QTextStream(stdout) << name << (window->window()->isDocumentEdited() ? " edited" : " not edited")
                                    << Qt::endl;
            }
            Dispatch::after(500, [&, index] { run(index + 1); });
        });
        runStep(window, steps[index], dialogs);
    };
    Dispatch::after(2500, [&] {
        if (controller.documents().isEmpty())
            return QApplication::exit(1);
        window = static_cast<tessarin::Document *>(controller.documents().first())->mainWindowController();
        run(0);
    });
    return application.exec();
}
