// Opens a file in the real document window and works it as a user would, one step every
// 1.2 s, for screenshots under Xvfb (not a test):
//   window_demo FILE [shots=DIR] STEP...
// Steps: panes (both pane buttons), view=VIEW TYPE (from its pull-down), lock (the edit
// button), row=N, select=NAME (the contact's rows), all (every row), group=NAME (in the group list),
// rename=NEW (the selected group, as its in-place editor commits), pick=MENU/ITEM (a main-menu
// item, validated first), answer=BUTTON (on the alert an earlier step opened),
// open=sort|labels|contact (drops a pull-down down), import=FILE (the vCard file, its open
// panel answered, the sheet's first two rows selected), find=TEXT (typed into the find bar's
// search field, then Return), next (the bar's Next). With shots=, the screen is
// photographed after each step (`import -window root`) and the edited mark printed, since no
// window manager draws the title there.
#include "app/document/Document.h"
#include "app/transfer/ImportCommand.h"
#include "app/transfer/ImportPanelController.h"
#include "find/SegmentedButtons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Window.h"
#include "tests/app/Driving.h"

#include <QAbstractButton>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTextStream>
#include <QToolButton>
#include <QUrl>

namespace {

void runStep(tessarin::WindowController *window, const QString &step,
             std::unique_ptr<ScriptedDialogPresenter> &dialogs) {
    tessarin::ViewController *view = window->mainViewController();
    const QString value = step.section(QLatin1Char('='), 1);
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
