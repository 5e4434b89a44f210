#include "app/window/DocumentWindow.h"

#include "app/window/ViewController.h"
#include "app/window/WindowController.h"
#include "model/QMvCard.h"
#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QFileInfo>

namespace tessarin {

WindowController *makeDocumentWindow(::Document *document, std::shared_ptr<ContainerTable> containerTable) {
    const QString name = document->fileURL().isEmpty()
                             ? document->displayName()
                             : QFileInfo(document->fileURL().toLocalFile()).fileName();
    const bool hasFrame = UserDefaults::standard().object(Window::frameKey(name)).isValid();

    auto *windowController = new WindowController;
    document->addWindowController(windowController);
    windowController->window();
    ViewController *viewController = windowController->mainViewController();

    if (!containerTable || containerTable->isEmpty() || containerTable->first().groups.isEmpty())
        containerTable = QMvCard().containersFromVCards(QString());
    const SharedGroup group = containerTable->first().groups.first();
    viewController->setContainerTable(containerTable);
    viewController->setSelectedGroupDict(group);
    viewController->setContactTable(group->contactTable);
    if (!hasFrame)
        viewController->setNewWindow(true);
    windowController->updateCustomItems();

    viewController->setDocumentName(name);
    windowController->showWindow();
    viewController->setDocumentName(name);
    if (document->fileType() == WindowController::CSVType)
        viewController->setEditState(false);
    return windowController;
}

void addDocumentWindowMenus(Menu *mainMenu) {
    if (MenuItem *fileItem = mainMenu->itemWithTitle(L("File")); fileItem && fileItem->submenu()) {
        Menu *file = fileItem->submenu();
        MenuItem *close = file->itemWithTitle(L("Close"));
        int at = close ? file->indexOfItem(close) : file->numberOfItems();
        const auto insert = [&](MenuItem *item) { file->insertItem(item, at++); };
        insert(new MenuItem(L("Import vCard…"), ActionId::ImportFromVCard));
        insert(new MenuItem(L("Import CSV…"), ActionId::ImportFromCSV));
        insert(new MenuItem(L("Export as vCard…"), ActionId::ExportToVCard));
        insert(new MenuItem(L("Export as CSV…"), ActionId::ExportToCSV));
        insert(MenuItem::separatorItem());
        insert(new MenuItem(L("Print…"), ActionId::PrintDocument, QKeySequence::Print));
        insert(MenuItem::separatorItem());
    }

    auto *edit = new Menu(L("Edit"));
    edit->addItem(L("Undo"), ActionId::Undo, QKeySequence::Undo);
    edit->addItem(L("Redo"), ActionId::Redo, QKeySequence::Redo);
    edit->addItem(MenuItem::separatorItem());
    edit->addItem(L("Copy"), ActionId::Copy, QKeySequence::Copy);
    edit->addItem(L("Copy as CSV"), ActionId::CopyAsCSV);
    edit->addItem(L("Copy as vCard"), ActionId::CopyAsVCard);
    edit->addItem(L("Paste"), ActionId::Paste, QKeySequence::Paste);
    edit->addItem(MenuItem::separatorItem());
    // The find bar's items are told apart by their titles. Ctrl+E stays Edit Contacts'.
    auto *find = new Menu(L("Find"));
    find->addItem(L("Find…"), ActionId::PerformFindBarAction, QKeySequence(CommandKeyModifier | Qt::Key_F));
    find->addItem(L("Find and Replace…"), ActionId::PerformFindBarAction,
                  QKeySequence(CommandKeyModifier | OptionKeyModifier | Qt::Key_F));
    find->addItem(L("Find Next"), ActionId::PerformFindBarAction,
                  QKeySequence(CommandKeyModifier | Qt::Key_G));
    find->addItem(L("Find Previous"), ActionId::PerformFindBarAction,
                  QKeySequence(CommandKeyModifier | Qt::ShiftModifier | Qt::Key_G));
    find->addItem(L("Use Selection for Find"), ActionId::PerformFindBarAction);
    find->addItem(MenuItem::separatorItem());
    find->addItem(L("Find Window…"), ActionId::ShowFindPanel);
    find->addItem(L("Show"), ActionId::FindBarButtonClicked);
    edit->addItem(L("Find"))->setSubmenu(find);

    auto *format = new Menu(L("Format"));
    auto *font = new Menu(L("Font"));
    font->addItem(L("Show Fonts"), ActionId::OrderFrontFontPanel,
                  QKeySequence(CommandKeyModifier | Qt::Key_T));
    font->addItem(L("Revert to Default Font"), ActionId::RevertToDefaultFont);
    format->addItem(L("Font"))->setSubmenu(font);

    // The items' submenus are the toolbar's pull-downs, hung here by the window controller.
    auto *navigate = new Menu(L("Navigate"));
    navigate->addItem(L("Select View Type"));
    navigate->addItem(L("Items"));
    navigate->addItem(L("Select Label"));
    navigate->addItem(L("Sort Options"));
    navigate->addItem(MenuItem::separatorItem());
    navigate->addItem(L("Contact"));
    navigate->addItem(L("Group"));

    auto *view = new Menu(L("View"));
    view->addItem(L("Hide Group"), ActionId::ToggleGroupView);
    view->addItem(L("Show Contact Info"), ActionId::ToggleContactInfo);
    view->addItem(MenuItem::separatorItem());
    view->addItem(L("Edit Contacts"), ActionId::EditButtonClicked,
                  QKeySequence(CommandKeyModifier | Qt::Key_E));

    MenuItem *help = mainMenu->itemWithTitle(L("Help"));
    int at = help ? mainMenu->indexOfItem(help) : mainMenu->numberOfItems();
    for (Menu *menu : {edit, format, navigate, view}) {
        auto *item = new MenuItem(menu->titleText());
        item->setSubmenu(menu);
        mainMenu->insertItem(item, at++);
    }
}

} // namespace tessarin
