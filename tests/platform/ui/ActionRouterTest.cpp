#include "tests/platform/ui/UiTestSupport.h"

#include <QClipboard>
#include <QLineEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using RecordingViewController = Recording<ViewController>;
using RecordingWindowController = Recording<WindowController>;

class RecordingDelegate : public Recording<ApplicationDelegate> {};

class RecordingDocumentController : public Recording<DocumentController> {};

// A window whose content holds two panes, each with a focusable field.
struct Chain {
    Chain() {
        documentController = std::make_unique<RecordingDocumentController>();
        Application::shared().setDelegate(&delegate);
        document = new Recording<Document>;
        documentController->addDocument(document);
        windowController = new RecordingWindowController;
        document->addWindowController(windowController);
        content = new RecordingViewController;
        pane = new RecordingViewController;
        other = new RecordingViewController;
        content->addChildViewController(pane);
        content->addChildViewController(other);
        auto *layout = new QVBoxLayout(content->view());
        layout->addWidget(pane->view());
        layout->addWidget(other->view());
        paneField = new QLineEdit(pane->view());
        otherField = new QLineEdit(other->view());
        windowController->setContentViewController(content);
        mainMenu = new Menu;
        windowController->window()->setMainMenu(mainMenu);
        menu = new Menu(QStringLiteral("Edit"));
        mainMenu->addItem(QStringLiteral("Edit"))->setSubmenu(menu);
    }
    ~Chain() {
        Application::shared().setDelegate(nullptr);
        delete document;
    }
    Window *window() { return windowController->window(); }

    QStringList log;
    RecordingDelegate delegate;
    std::unique_ptr<RecordingDocumentController> documentController;
    Recording<Document> *document;
    RecordingWindowController *windowController;
    RecordingViewController *content, *pane, *other;
    QLineEdit *paneField, *otherField;
    Menu *mainMenu, *menu;
};

TEST(ActionRouter, TheFirstResponderThatHandlesAnActionReceivesIt) {
    Chain chain;
    ASSERT_TRUE(showActive(chain.window()));
    chain.paneField->setFocus();
    chain.pane->handle(QStringLiteral("a:"), &chain.log, QStringLiteral("pane"));
    chain.content->handle(QStringLiteral("a:"), &chain.log, QStringLiteral("content"));
    chain.content->handle(QStringLiteral("b:"), &chain.log, QStringLiteral("content"));
    chain.windowController->handle(QStringLiteral("c:"), &chain.log, QStringLiteral("window"));
    chain.delegate.handle(QStringLiteral("d:"), &chain.log, QStringLiteral("delegate"));
    chain.documentController->handle(QStringLiteral("e:"), &chain.log, QStringLiteral("controller"));

    for (const char *action : {"a:", "b:", "c:", "d:", "e:"})
        chain.menu->addItem(QString::fromLatin1(action), QString::fromLatin1(action))->trigger();
    EXPECT_EQ(chain.log, (QStringList{"pane a:", "content b:", "window c:", "delegate d:", "controller e:"}));

    // With the focus in the other pane, the content view controller is the first handler.
    chain.log.clear();
    chain.otherField->setFocus();
    chain.menu->itemWithTitle(QStringLiteral("a:"))->trigger();
    EXPECT_EQ(chain.log, QStringList{"content a:"});
}

TEST(ActionRouter, ValidationAsksOnlyTheReceiverAndDisablesUnhandledItems) {
    Chain chain;
    ASSERT_TRUE(showActive(chain.window()));
    chain.paneField->setFocus();
    chain.pane->handle(QStringLiteral("refused:"), &chain.log);
    chain.pane->refuse.append(QStringLiteral("refused:"));
    chain.content->handle(QStringLiteral("refused:"), &chain.log); // behind the pane: never asked
    chain.document->handle(QStringLiteral("plain:"), &chain.log);
    MenuItem *refused = chain.menu->addItem(QStringLiteral("Refused"), QStringLiteral("refused:"));
    MenuItem *plain = chain.menu->addItem(QStringLiteral("Plain"), QStringLiteral("plain:"));
    MenuItem *nobody = chain.menu->addItem(QStringLiteral("Nobody"), QStringLiteral("nobody:"));
    MenuItem *noAction = chain.menu->addItem(QStringLiteral("No action"));

    chain.menu->update();
    EXPECT_FALSE(refused->isEnabled());
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_FALSE(nobody->isEnabled());
    EXPECT_FALSE(noAction->isEnabled());
    EXPECT_EQ(chain.pane->validated, QStringList{"refused:"});
    EXPECT_TRUE(chain.content->validated.isEmpty());

    // A refused item does nothing even when triggered directly.
    refused->setEnabled(true);
    refused->trigger();
    EXPECT_TRUE(chain.log.isEmpty());
}

TEST(ActionRouter, KeyEquivalentsAreValidatedWhenTheyFire) {
    Chain chain;
    ASSERT_TRUE(showActive(chain.window()));
    chain.paneField->setFocus();
    chain.pane->handle(QStringLiteral("addContact:"), &chain.log, QStringLiteral("pane"));
    MenuItem *item = chain.menu->addItem(QStringLiteral("Add Contact"), QStringLiteral("addContact:"),
                                         QKeySequence(Qt::CTRL | Qt::Key_K));

    chain.pane->refuse.append(QStringLiteral("addContact:"));
    chain.menu->update(); // as when the menu opened: the item shows disabled
    EXPECT_FALSE(item->isEnabled());
    emit chain.menu->aboutToHide();
    QTest::keyClick(chain.paneField, Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(chain.log.isEmpty());
    EXPECT_EQ(chain.pane->validated.size(), 2);

    chain.pane->refuse.clear();
    QTest::keyClick(chain.paneField, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(chain.log, QStringList{"pane addContact:"});
}

TEST(ActionRouter, ContextMenusActOnTheClickedPaneAndTextFieldsTakeEditingCommands) {
    Chain chain;
    ASSERT_TRUE(showActive(chain.window()));
    chain.pane->handle(QStringLiteral("copy:"), &chain.log, QStringLiteral("pane"));
    chain.other->handle(QStringLiteral("copy:"), &chain.log, QStringLiteral("other"));

    chain.paneField->setFocus();
    Menu context;
    MenuItem *copy = context.addItem(QStringLiteral("Copy"), QStringLiteral("copy:"));
    context.setOwnerWidget(chain.other->view());
    context.popUpContextMenu(QPoint(0, 0), chain.other->view());
    copy->trigger();
    context.hide();
    EXPECT_EQ(chain.log, QStringList{"other copy:"});

    // The focused field copies its own selection.
    chain.paneField->setText(QStringLiteral("Hanako"));
    chain.paneField->selectAll();
    MenuItem *menuCopy = chain.menu->addItem(QStringLiteral("Copy"), QStringLiteral("copy:"));
    chain.menu->update();
    EXPECT_TRUE(menuCopy->isEnabled());
    menuCopy->trigger();
    EXPECT_EQ(chain.log.size(), 1);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Hanako"));
}

TEST(ActionRouter, OneMenuServesThePullDownAndTheMenuBarAlike) {
    Chain chain;
    chain.content->handle(QStringLiteral("viewTypePopupSelected:"), &chain.log, QStringLiteral("content"));
    chain.content->refuse.append(QStringLiteral("sortOptionsSelected:"));
    chain.content->handle(QStringLiteral("sortOptionsSelected:"), &chain.log);
    auto *toolbar = new QToolBar(chain.window());
    chain.window()->addToolBar(toolbar);
    auto *button = new PullDownButton;
    toolbar->addWidget(button);
    auto *viewTypes = new Menu;
    viewTypes->addItem(QStringLiteral("View Type"));
    MenuItem *standard =
        viewTypes->addItem(QStringLiteral("Standard"), QStringLiteral("viewTypePopupSelected:"));
    MenuItem *refused = viewTypes->addItem(QStringLiteral("Sort"), QStringLiteral("sortOptionsSelected:"));
    button->setPullDownMenu(viewTypes);
    auto *navigate = new Menu(QStringLiteral("Navigate"));
    chain.mainMenu->addItem(QStringLiteral("Navigate"))->setSubmenu(navigate);
    navigate->addItem(QStringLiteral("View Type"))->setSubmenu(viewTypes);

    // Without any focus the window's own chain still answers.
    chain.window()->show();
    navigate->update();
    viewTypes->update();
    EXPECT_TRUE(standard->isEnabled());
    EXPECT_FALSE(refused->isEnabled());
    standard->trigger();
    EXPECT_EQ(chain.log, QStringList{"content viewTypePopupSelected:"});
    EXPECT_EQ(viewTypes->parentWidget(), button);
}

TEST(ActionRouter, ItemsKeepTheirTitlesRepresentedObjectsAndStates) {
    Menu menu;
    MenuItem *item = menu.addItem(QStringLiteral("Tom & Jerry"), QStringLiteral("groupSelected:"));
    item->setRepresentedObject(QStringLiteral("group-1"));
    item->setState(StateOn);
    item->setTag(7);
    EXPECT_EQ(item->title(), QStringLiteral("Tom & Jerry"));
    EXPECT_EQ(item->text(), QStringLiteral("Tom && Jerry")); // no mnemonic
    EXPECT_EQ(menu.indexOfItemWithRepresentedObject(QStringLiteral("group-1")), 0);
    EXPECT_EQ(menu.itemWithTag(7), item);
    // The item's own toggling must not change the state the validator set.
    item->setEnabled(true);
    item->trigger();
    EXPECT_EQ(item->state(), StateOn);
    EXPECT_TRUE(item->isChecked());

    PullDownButton button;
    auto *pullDown = new Menu;
    pullDown->addItem(QStringLiteral("View Type"));
    pullDown->addItem(QStringLiteral("Standard"), QStringLiteral("viewTypePopupSelected:"));
    button.setPullDownMenu(pullDown);
    EXPECT_EQ(button.text(), QStringLiteral("View Type"));
    EXPECT_FALSE(pullDown->itemAtIndex(0)->isVisible());
    EXPECT_TRUE(pullDown->itemAtIndex(1)->isVisible());
}

} // namespace
