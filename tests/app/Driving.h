#pragma once

#include "app/AppDelegate.h"
#include "app/document/DocumentController.h"
#include "app/reading/QMvCardReader.h"
#include "platform/core/Dispatch.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"

#include <QApplication>
#include <QUrl>

// What the tests and demo programs share to drive the application as a user would.

// The submenu titled so, searched through the whole menu tree.
inline Menu *findSubmenu(Menu *menu, const QString &title) {
    for (int i = 0; i < menu->numberOfItems(); ++i) {
        MenuItem *item = menu->itemAtIndex(i);
        if (!item || !item->submenu())
            continue;
        if (item->title() == title)
            return item->submenu();
        if (Menu *inner = findSubmenu(item->submenu(), title))
            return inner;
    }
    return nullptr;
}

// A main-menu item as the user finds it, its menu validated first; false when disabled.
inline bool pickMenuItem(Menu *mainMenu, const QString &menuTitle, const QString &title) {
    Menu *menu = findSubmenu(mainMenu, menuTitle);
    if (!menu)
        return false;
    menu->update();
    MenuItem *chosen = menu->itemWithTitle(title);
    if (chosen && chosen->isEnabled())
        chosen->trigger();
    QCoreApplication::processEvents();
    return chosen && chosen->isEnabled();
}

// A demo program's names, given before anything reads the preferences.
inline void nameDemoProgram() {
    QApplication::setApplicationName(QStringLiteral("Tessarin2"));
    QApplication::setOrganizationName(QStringLiteral("Tessarin2"));
}

// A demo program set up as main() sets up the application, opening the file once the event
// loop runs.
inline void startDemoProgram(tessarin::AppDelegate &delegate, tessarin::DocumentController &controller,
                             const QString &file) {
    tessarin::ContactsReader::setShared(std::make_shared<tessarin::QMvCardReader>());
    Application::shared().setDelegate(&delegate);
    Application::shared().setMainMenuBuilder(&tessarin::AppDelegate::buildMainMenu);
    Dispatch::main(
        [&controller, file] { controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(file)); });
}
