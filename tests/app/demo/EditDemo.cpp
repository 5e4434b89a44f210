// Opens a file in the real document window and adds, duplicates and deletes contacts and
// adds, renames and deletes a group through the Contact, Group and Edit menus, with Undo and
// Redo, photographing the screen after each step under Xvfb (not a test):
//   edit_demo FILE SHOTS_DIR
#include "app/document/Document.h"
#include "platform/ui/Window.h"
#include "tests/app/Driving.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QTextStream>
#include <QUrl>

namespace {

// A menu item chosen as a user would: the menu validates its items first.
void pick(tessarin::WindowController *window, const QString &menuTitle, const QString &itemTitle) {
    Menu *menu = findSubmenu(window->window()->mainMenu(), menuTitle);
    if (!menu)
        return;
    menu->update();
    if (MenuItem *item = menu->itemWithTitle(itemTitle); item && item->isEnabled())
        item->trigger();
    else
        QTextStream(stderr) << "disabled: " << itemTitle << '\n';
}

void clickModalButton(const QString &title) {
    if (QWidget *modal = QApplication::activeModalWidget())
        for (QAbstractButton *button : modal->findChildren<QAbstractButton *>())
            if (button->text().remove(QLatin1Char('&')) == title)
                return button->click();
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    nameDemoProgram();
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3)
        return 2;
    const QString shots = arguments.value(2);
    tessarin::AppDelegate delegate;
    tessarin::DocumentController controller;
    startDemoProgram(delegate, controller, arguments.value(1));

    tessarin::WindowController *window = nullptr;
    tessarin::ViewController *view = nullptr;
    SharedGroup made;
    int shot = 0;
    const auto photograph = [&](const QString &name) {
        const QString file =
            QStringLiteral("%1/%2-%3.png").arg(shots).arg(++shot, 2, 10, QLatin1Char('0')).arg(name);
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"), file});
        // No window manager draws the title under Xvfb: the edited mark is written out.
        QTextStream(stdout) << file
                            << (window && window->window()->isDocumentEdited() ? " edited" : " not edited")
                            << Qt::endl;
    };
    const auto selectNamed = [&](const QString &name) {
        QList<int> rows;
        const SubContactTable &table = view->contactsViewController()->subContactTable();
        for (int r = 0; r < int(table.size()); ++r)
            if (table[r]->person->compositeName() == name)
                rows << r;
        view->contactsViewController()->selectRowIndexes(rows);
    };
    const auto selectGroup = [&](const SharedGroup &group) {
        GroupOutlineModel *model = view->groupViewController()->outlineModel();
        view->groupViewController()->outlineView()->selectionModel()->setCurrentIndex(
            model->indexOfGroup(group.get()), QItemSelectionModel::ClearAndSelect);
    };

    using Step = std::pair<QString, std::function<void()>>;
    const auto choose = [&](const QString &menu, const QString &item) {
        return [&window, menu, item] { pick(window, menu, item); };
    };
    const QList<Step> steps = {
        {QStringLiteral("opened"),
         [&] {
             auto *document = static_cast<tessarin::Document *>(controller.documents().first());
             window = document->mainWindowController();
             view = window->mainViewController();
             window->splitButtons()->press(0);
             window->splitButtons()->press(1);
         }},
        {QStringLiteral("add-contact"), choose(QStringLiteral("Contact"), QStringLiteral("Add New Contact"))},
        {QStringLiteral("undo-add-contact"), choose(QStringLiteral("Edit"), QStringLiteral("Undo"))},
        {QStringLiteral("redo-add-contact"), choose(QStringLiteral("Edit"), QStringLiteral("Redo"))},
        {QStringLiteral("select-ann"), [&] { selectNamed(QStringLiteral("Ann Abe")); }},
        {QStringLiteral("duplicate-ann"),
         choose(QStringLiteral("Contact"), QStringLiteral("Duplicate Contacts"))},
        {QStringLiteral("delete-duplicate"),
         choose(QStringLiteral("Contact"), QStringLiteral("Delete Contacts"))},
        {QStringLiteral("undo-delete"), choose(QStringLiteral("Edit"), QStringLiteral("Undo"))},
        {QStringLiteral("add-group"),
         [&] {
             pick(window, QStringLiteral("Group"), QStringLiteral("Add Group"));
             made = view->containerTable()->first().groups.last();
         }},
        {QStringLiteral("rename-group"),
         [&] {
             // What the group list's in-place editor commits.
             GroupOutlineModel *model = view->groupViewController()->outlineModel();
             model->setData(model->indexOfGroup(made.get()), QStringLiteral("Colleagues"));
         }},
        {QStringLiteral("undo-rename"), choose(QStringLiteral("Edit"), QStringLiteral("Undo"))},
        {QStringLiteral("redo-rename"), choose(QStringLiteral("Edit"), QStringLiteral("Redo"))},
        {QStringLiteral("delete-group-question"),
         [&] {
             selectGroup(made);
             // The question runs its own modal loop: photograph it there, then answer OK.
             Dispatch::after(800, [&] {
                 photograph(QStringLiteral("delete-group-question"));
                 clickModalButton(QStringLiteral("OK"));
             });
             pick(window, QStringLiteral("Group"), QStringLiteral("Delete Group"));
         }},
        {QStringLiteral("group-deleted"), [] {}},
        {QStringLiteral("undo-delete-group"), choose(QStringLiteral("Edit"), QStringLiteral("Undo"))},
    };

    // One step every 1.2 s, each photographed once drawn.
    std::function<void(int)> run = [&](int index) {
        if (index >= steps.size())
            return QApplication::quit();
        if (index > 0 && !window)
            return QApplication::exit(1);
        steps[index].second();
        Dispatch::after(700, [&, index] {
            if (steps[index].first != QLatin1String("delete-group-question"))
                photograph(steps[index].first);
            Dispatch::after(500, [&, index] { run(index + 1); });
        });
    };
    Dispatch::after(2500, [&] {
        if (controller.documents().isEmpty())
            return QApplication::exit(1);
        run(0);
    });
    return application.exec();
}
