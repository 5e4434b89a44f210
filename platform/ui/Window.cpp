#include "platform/ui/Window.h"

#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ViewController.h"

#include <QCloseEvent>
#include <QMenuBar>

#include <atomic>

namespace {
quint64 nextWindowNumber() {
    static std::atomic<quint64> counter{0};
    return ++counter;
}
} // namespace

Window::Window(QWidget *parent)
    : QMainWindow(parent)
    , number_(nextWindowNumber()) {}

WindowController *Window::windowController() const {
    return controller_;
}

void Window::setWindowController(WindowController *controller) {
    controller_ = controller;
}

ViewController *Window::contentViewController() const {
    return content_;
}

void Window::setContentViewController(ViewController *controller) {
    content_ = controller;
    if (controller)
        setCentralWidget(controller->view());
}

QString Window::frameKey(const QString &name) {
    return QStringLiteral("NSWindow Frame ") + name;
}

void Window::setFrameAutosaveName(const QString &name) {
    frameName_ = name;
}

bool Window::setFrameUsingName(const QString &name) {
    const QStringList parts = UserDefaults::standard().stringForKey(frameKey(name)).split(QLatin1Char(' '));
    if (parts.size() != 4)
        return false;
    bool ok[4];
    const int x = parts[0].toInt(&ok[0]), y = parts[1].toInt(&ok[1]);
    const int width = parts[2].toInt(&ok[2]), height = parts[3].toInt(&ok[3]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || width <= 0 || height <= 0)
        return false;
    // The inner geometry both ways: before the window is shown its frame is unknown, so a
    // frame position stored and moved to would put the inner top there, and the window
    // would climb by its title bar at every launch. (Ignored where the compositor places
    // windows.)
    setGeometry(x, y, width, height);
    return true;
}

namespace {
const QString editedMarkPlace = QStringLiteral("[*]");
const QString literalMarkPlace = QStringLiteral("[*][*]");
} // namespace

void Window::setTitleShowingEditedMark(const QString &title) {
    QString escaped = title;
    escaped.replace(editedMarkPlace, literalMarkPlace);
    setWindowTitle(escaped + editedMarkPlace);
}

QString Window::titleWithoutEditedMark() const {
    QString title = windowTitle();
    if (title.endsWith(editedMarkPlace))
        title.chop(editedMarkPlace.size());
    return title.replace(literalMarkPlace, editedMarkPlace);
}

void Window::saveFrameUsingName(const QString &name) const {
    const QRect inner = geometry();
    UserDefaults::standard().setObject(
        QStringLiteral("%1 %2 %3 %4").arg(inner.x()).arg(inner.y()).arg(inner.width()).arg(inner.height()),
        frameKey(name));
}

Menu *Window::mainMenu() const {
    return mainMenu_;
}

void Window::setMainMenu(Menu *menu) {
    if (mainMenu_ == menu)
        return;
    if (mainMenu_) {
        mainMenu_->removeEventFilter(this);
        menuBar()->clear();
        if (mainMenu_->parent() == this)
            delete mainMenu_.data();
    }
    mainMenu_ = menu;
    mainMenuObject_ = menu;
    if (menu) {
        menu->setParent(this, menu->windowFlags());
        menu->setOwnerWidget(this);
        menu->installEventFilter(this);
    }
    rebuildMenuBar();
}

void Window::rebuildMenuBar() {
    QMenuBar *bar = menuBar();
    bar->clear();
    if (mainMenu_)
        for (MenuItem *item : mainMenu_->itemArray())
            bar->addAction(item);
}

bool Window::eventFilter(QObject *watched, QEvent *event) {
    // Compared as a plain object: the menu may be half destroyed when it reports removals.
    if (watched == mainMenuObject_ &&
        (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionRemoved))
        QMetaObject::invokeMethod(this, &Window::rebuildMenuBar, Qt::QueuedConnection);
    return QMainWindow::eventFilter(watched, event);
}

void Window::makeKeyAndOrderFront() {
    show();
    raise();
    activateWindow();
}

void Window::closeEvent(QCloseEvent *event) {
    if (controller_ && !controller_->windowShouldClose(this)) {
        event->ignore();
        return;
    }
    if (controller_)
        controller_->windowWillClose();
    if (!frameName_.isEmpty())
        saveFrameUsingName(frameName_);
    emit willClose(this);
    event->accept();
    Application::shared().windowDidClose();
}

void Window::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ActivationChange && controller_) {
        if (isActiveWindow()) {
            // The key window's content receives the font panel's changes.
            FontManager::shared().setTarget(content_);
            controller_->windowDidBecomeKey();
        } else {
            controller_->windowDidResignKey();
        }
    }
    QMainWindow::changeEvent(event);
}

WindowController::WindowController(QObject *parent)
    : QObject(parent) {
    registerAction(QStringLiteral("performClose:"), [this](QObject *) { close(); });
    registerAction(QStringLiteral("undo:"), [this](QObject *) {
        if (document_)
            document_->undoManager()->undo();
    });
    registerAction(QStringLiteral("redo:"), [this](QObject *) {
        if (document_)
            document_->undoManager()->redo();
    });
}

WindowController::~WindowController() {
    delete window_.data();
}

bool WindowController::validateMenuItem(MenuItem *item) {
    if (item->action() == QLatin1String("undo:"))
        return document_ && document_->undoManager()->canUndo();
    if (item->action() == QLatin1String("redo:"))
        return document_ && document_->undoManager()->canRedo();
    return true;
}

Window *WindowController::window() {
    if (!window_) {
        window_ = loadWindow();
        window_->setWindowController(this);
        Application::shared().buildMainMenu(window_);
        windowDidLoad();
        synchronizeWindowTitleWithDocumentName();
    }
    return window_;
}

Window *WindowController::loadWindow() {
    return new Window;
}

void WindowController::setDocument(Document *document) {
    document_ = document;
    if (window_)
        synchronizeWindowTitleWithDocumentName();
}

ViewController *WindowController::contentViewController() const {
    return window_ ? window_->contentViewController() : nullptr;
}

void WindowController::setContentViewController(ViewController *controller) {
    if (controller && !controller->parent())
        controller->setParent(this);
    window()->setContentViewController(controller);
}

void WindowController::showWindow() {
    window()->makeKeyAndOrderFront();
}

void WindowController::close() {
    if (window_)
        window_->close();
}

void WindowController::setWindowFrameAutosaveName(const QString &name) {
    window()->setFrameAutosaveName(name);
    window()->setFrameUsingName(name);
}

void WindowController::synchronizeWindowTitleWithDocumentName() {
    if (window_ && document_)
        window_->setTitleShowingEditedMark(document_->displayName());
}
