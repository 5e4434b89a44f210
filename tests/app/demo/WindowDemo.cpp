// Opens a file in the real document window and works it as a user would, for screenshots
// under Xvfb (not a test):
//   window_demo FILE [panes] [view=VIEW TYPE] [lock] [row=N] [open=sort|labels|contact]
//               [import=FILE]
// panes presses both pane buttons; view= picks a view type from its pull-down; lock presses
// the edit button; row= selects a table row; open= drops a pull-down down; import= imports
// the vCard file (its open panel answered) and selects the sheet's first two rows.
#include "app/document/Document.h"
#include "app/transfer/ImportCommand.h"
#include "app/transfer/ImportPanelController.h"
#include "platform/ui/Dialogs.h"
#include "tests/app/Driving.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <QUrl>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    nameDemoProgram();
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2)
        return 2;
    tessarin::AppDelegate delegate;
    tessarin::DocumentController controller;
    startDemoProgram(delegate, controller, arguments.value(1));
    std::unique_ptr<ScriptedDialogPresenter> dialogs;
    Dispatch::after(2500, [&] {
        if (controller.documents().isEmpty())
            return;
        auto *document = static_cast<tessarin::Document *>(controller.documents().first());
        tessarin::WindowController *window = document->mainWindowController();
        for (const QString &step : arguments.mid(2)) {
            if (step == QLatin1String("panes")) {
                window->splitButtons()->press(0);
                window->splitButtons()->press(1);
            } else if (step.startsWith(QLatin1String("view="))) {
                Menu *menu = window->viewTypePopup()->pullDownMenu();
                menu->update();
                menu->itemAtIndex(menu->indexOfItemWithRepresentedObject(step.mid(5)))->trigger();
            } else if (step == QLatin1String("lock")) {
                window->editButton()->click();
            } else if (step.startsWith(QLatin1String("open="))) {
                const QString which = step.mid(5);
                PullDownButton *button = which == QLatin1String("sort")     ? window->sortOptionsPopup()
                                         : which == QLatin1String("labels") ? window->labelsPopup()
                                                                            : window->contactPopup();
                Dispatch::after(300, [button] { button->showMenu(); });
            } else if (step.startsWith(QLatin1String("import="))) {
                dialogs = std::make_unique<ScriptedDialogPresenter>();
                dialogs->chooseFiles({QUrl::fromLocalFile(step.mid(7))});
                window->importCommand()->importFromVCard();
                QTableView *table = window->importPanelController()->nameTableView();
                for (int row = 0; row < std::min(2, table->model()->rowCount()); ++row)
                    table->selectionModel()->select(table->model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
            } else if (step.startsWith(QLatin1String("row="))) {
                tessarin::ViewController *view = window->mainViewController();
                view->contactsViewController()->selectRowIndexes({step.mid(4).toInt()});
            }
        }
    });
    return application.exec();
}
