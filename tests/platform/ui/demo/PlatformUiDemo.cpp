// A window built only from the platform layer: a toolbar with a pull-down, a split
// view of three panes, a semitransient popover beside a table cell and an alert sheet.
// With --screenshot-dir it photographs the screen at each step and quits.

#include "platform/core/Dispatch.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Popover.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBrowser>
#include <QToolBar>

namespace {

class GroupPane : public ViewController {
protected:
    QWidget *loadView() override {
        auto *list = new QListWidget;
        list->addItems({QStringLiteral("All Contacts"), QStringLiteral("Family"), QStringLiteral("Work")});
        list->setCurrentRow(0);
        return list;
    }
};

class TablePane : public ViewController {
public:
    QTableWidget *table = nullptr;

protected:
    QWidget *loadView() override {
        table = new QTableWidget(4, 3);
        table->setHorizontalHeaderLabels(
            {QStringLiteral("Name"), QStringLiteral("Phone"), QStringLiteral("Email")});
        const char *rows[][3] = {{"山田 花子", "03-1234-5678", "hanako@example.com"},
                                 {"Anna Schmidt", "+49 30 1234567", "anna@example.de"},
                                 {"John Appleseed", "+1 555 0100", "john@example.com"},
                                 {"鈴木 一郎", "06-9876-5432", "ichiro@example.jp"}};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                table->setItem(r, c, new QTableWidgetItem(QString::fromUtf8(rows[r][c])));
        table->horizontalHeader()->setStretchLastSection(true);
        table->setColumnWidth(0, 150);
        table->selectRow(1);
        return table;
    }
};

class InfoPane : public ViewController {
protected:
    QWidget *loadView() override {
        auto *card = new QTextBrowser;
        card->setHtml(QStringLiteral("<h3>Anna Schmidt</h3><p>+49 30 1234567<br>anna@example.de</p>"));
        return card;
    }
};

class ContactPopover : public ViewController {
protected:
    QWidget *loadView() override {
        auto *view = new QWidget;
        auto *form = new QFormLayout(view);
        form->addRow(new QLabel(QStringLiteral("<b>Anna Schmidt</b>")));
        form->addRow(QStringLiteral("Phone"), new QLineEdit(QStringLiteral("+49 30 1234567")));
        form->addRow(QStringLiteral("Email"), new QLineEdit(QStringLiteral("anna@example.de")));
        form->addRow(new QPushButton(QStringLiteral("OK")));
        return view;
    }
};

class DemoWindowController : public WindowController, public PopoverDelegate {
public:
    DemoWindowController() {
        registerAction(QStringLiteral("viewTypePopupSelected:"), [this](QObject *sender) {
            selectedViewType = static_cast<MenuItem *>(sender)->representedObject().toString();
        });
    }
    bool validateMenuItem(MenuItem *item) override {
        if (item->action() == QLatin1String("viewTypePopupSelected:"))
            item->setState(item->representedObject() == selectedViewType ? StateOn : StateOff);
        return WindowController::validateMenuItem(item);
    }
    bool popoverShouldDetach(Popover *) override { return true; }

    void build() {
        Window *w = window();
        w->setWindowTitle(QStringLiteral("Friends.vcf[*]"));
        w->setDocumentEdited(true);
        QToolBar *toolbar = w->addToolBar(QStringLiteral("Toolbar"));
        viewTypes = new PullDownButton;
        auto *menu = new Menu;
        menu->addItem(QStringLiteral("View Type"));
        for (const char *name : {"Standard", "Phone", "Email", "Address", "Japanese"})
            menu->addItem(QString::fromLatin1(name), QStringLiteral("viewTypePopupSelected:"))
                ->setRepresentedObject(QString::fromLatin1(name));
        menu->addItem(QStringLiteral("Not handled"), QStringLiteral("nobodyHandlesThis:"));
        viewTypes->setPullDownMenu(menu);
        toolbar->addWidget(viewTypes);
        toolbar->addWidget(new QPushButton(QStringLiteral("Lock")));

        split = new SplitViewController;
        split->addSplitViewItem(new GroupPane)->setMinimumThickness(140);
        tablePane = new TablePane;
        split->addSplitViewItem(tablePane);
        split->addSplitViewItem(new InfoPane);
        setContentViewController(split);
        w->resize(1100, 680);
        split->splitView()->setSizes({180, 600, 320});
    }

    void showPopover() {
        popover.setBehavior(PopoverBehavior::Semitransient);
        popover.setDelegate(this);
        popover.setContentViewController(new ContactPopover);
        popover.setContentSize(QSize(300, 170));
        QTableWidget *table = tablePane->table;
        const QRect cell = table->visualRect(table->model()->index(1, 0));
        popover.showRelativeToRect(cell, table->viewport(), RectEdge::MaxX);
    }

    QString selectedViewType = QStringLiteral("Standard");
    PullDownButton *viewTypes = nullptr;
    SplitViewController *split = nullptr;
    TablePane *tablePane = nullptr;
    Popover popover;
};

void buildMainMenu(Menu *mainMenu, Window *) {
    auto *file = new Menu(QStringLiteral("File"));
    file->addItem(QStringLiteral("New"), QStringLiteral("newDocument:"), QKeySequence::New);
    file->addItem(QStringLiteral("Open…"), QStringLiteral("openDocument:"), QKeySequence::Open);
    file->addItem(QStringLiteral("Quit"), QStringLiteral("terminate:"), QKeySequence::Quit);
    mainMenu->addItem(QStringLiteral("File"))->setSubmenu(file);
    for (const char *title : {"Edit", "Format", "Navigate", "View", "Window", "Help"})
        mainMenu->addItem(QString::fromLatin1(title))->setSubmenu(new Menu(QString::fromLatin1(title)));
}

void shoot(const QString &directory, const QString &name) {
    QGuiApplication::primaryScreen()->grabWindow(0).save(directory + QLatin1Char('/') + name);
}

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin2"));
    const QStringList arguments = QApplication::arguments();
    const qsizetype at = arguments.indexOf(QStringLiteral("--screenshot-dir"));
    const QString shots = at >= 0 ? arguments.value(at + 1) : QString();

    Application::shared().setMainMenuBuilder(buildMainMenu);
    DemoWindowController controller;
    controller.build();
    controller.showWindow();

    Dispatch::after(400, [&] { controller.showPopover(); });
    Dispatch::after(700, [&] {
        Menu *menu = controller.viewTypes->pullDownMenu();
        menu->popup(controller.viewTypes->mapToGlobal(QPoint(0, controller.viewTypes->height())));
    });
    Dispatch::after(1200, [&] {
        if (!shots.isEmpty())
            shoot(shots, QStringLiteral("demo-popover-pulldown.png"));
        controller.viewTypes->pullDownMenu()->hide();
        Alert alert;
        alert.messageText = QStringLiteral("Do you want to remove the group?");
        alert.informativeText = QStringLiteral("This operation can't be undone.");
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.addButtonWithTitle(QStringLiteral("Cancel"));
        alert.beginSheetModalForWindow(controller.window(), [](int) {});
    });
    if (!shots.isEmpty())
        Dispatch::after(1800, [&] {
            shoot(shots, QStringLiteral("demo-alert-sheet.png"));
            QApplication::quit();
        });
    return application.exec();
}
