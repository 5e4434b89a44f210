#include "platform/ui/Application.h"

#include "platform/core/Dispatch.h"
#include "platform/core/Localization.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Document.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScreenFit.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QUrl>

bool isResetPreferencesChord(Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers chord = Qt::ShiftModifier | CommandKeyModifier | OptionKeyModifier;
    return (modifiers & chord) == chord;
}

namespace {
std::optional<Qt::KeyboardModifiers> heldForTests;
}

Qt::KeyboardModifiers currentModifierFlags() {
    return heldForTests ? *heldForTests : QGuiApplication::queryKeyboardModifiers();
}

void overrideModifierFlags(std::optional<Qt::KeyboardModifiers> flags) {
    heldForTests = flags;
}

Application &Application::shared() {
    static Application *application = new Application;
    return *application;
}

Application::Application() {
    keepWindowsInsideScreen();
    registerAction(QStringLiteral("terminate:"), [this](QObject *) { terminate(); });
    registerAction(QStringLiteral("orderFrontFontPanel:"),
                   [](QObject *) { FontManager::shared().orderFrontFontPanel(); });
}

QStringList Application::filesInArguments(const QStringList &arguments) {
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments[i].startsWith(QLatin1Char('-')))
            files.append(arguments[i]);
    return files;
}

bool Application::shouldOfferPreferencesReset() const {
    // The argument stands for the chord held while launching: windows opened later ask only
    // when the chord is held then.
    return (resetPreferencesRequested_ && launching_) || isResetPreferencesChord(currentModifierFlags());
}

void Application::finishLaunching(const QStringList &arguments) {
    resetPreferencesRequested_ = arguments.contains(QStringLiteral("--reset-preferences"));
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (delegate_)
        delegate_->applicationWillFinishLaunching();
    launching_ = true;
    if (DocumentController *controller = DocumentController::shared()) {
        const QStringList files = filesInArguments(arguments);
        for (const QString &file : files)
            controller->openDocumentWithContentsOfURL(
                QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
        if (files.isEmpty())
            controller->openUntitledDocumentAndDisplay(true);
    }
    launching_ = false;
    terminatesAfterLastWindowClosed_ = true;
    if (delegate_)
        delegate_->applicationDidFinishLaunching();
    // Every named file may have failed to open.
    windowDidClose();
}

void Application::terminate() {
    if (terminating_)
        return;
    if (delegate_ && delegate_->applicationShouldTerminate() == TerminateReply::Cancel)
        return;
    terminating_ = true;
    for (ModalSession *session : sessions_) {
        session->code = ModalResponse::Abort;
        session->ended = true;
        session->loop.exit();
    }
    // Each window runs its close handlers, so view state is stored.
    for (Window *window : windows())
        window->close();
    if (delegate_)
        delegate_->applicationWillTerminate();
    terminatesAfterLastWindowClosed_ = false; // quitting is done once
    if (quitHandler_)
        quitHandler_();
    else
        QCoreApplication::quit();
    terminating_ = false;
}

void Application::windowDidClose() {
    if (!terminatesAfterLastWindowClosed_ || terminating_)
        return;
    // After the closing window is gone.
    Dispatch::main(
        [this] {
            if (terminatesAfterLastWindowClosed_ && !terminating_ && windows().isEmpty())
                terminate();
        },
        this);
}

QList<Window *> Application::windows() const {
    QList<Window *> list;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *window = qobject_cast<Window *>(widget); window && window->isVisible())
            list.append(window);
    return list;
}

Window *Application::keyWindow() const {
    return qobject_cast<Window *>(QApplication::activeWindow());
}

int Application::runModalForWindow(QWidget *window) {
    ModalSession session;
    session.window = window;
    sessions_.push_back(&session);
    window->installEventFilter(this);
    if (window->isVisible())
        window->hide();
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    if (!session.ended)
        session.loop.exec(QEventLoop::DialogExec);
    if (const auto found = std::find(sessions_.begin(), sessions_.end(), &session); found != sessions_.end())
        sessions_.erase(found);
    if (session.window) {
        session.window->removeEventFilter(this);
        const bool visible = session.window->isVisible();
        session.window->setWindowModality(Qt::NonModal);
        if (visible) // the modality change needs a fresh show
            session.window->show();
    }
    return session.code;
}

void Application::stopModalWithCode(int code) {
    if (sessions_.empty())
        return;
    ModalSession *session = sessions_.back();
    session->code = code;
    session->ended = true;
    session->loop.exit();
}

void Application::stopModal() {
    stopModalWithCode(ModalResponse::Stop);
}

void Application::abortModal() {
    stopModalWithCode(ModalResponse::Abort);
}

QWidget *Application::modalWindow() const {
    return sessions_.empty() ? nullptr : sessions_.back()->window.data();
}

bool Application::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Hide && !event->spontaneous()) {
        // A modal window closed without anyone ending its run would hang the program.
        for (ModalSession *session : sessions_)
            if (session->window == watched && !session->ended) {
                session->code = ModalResponse::Stop;
                session->ended = true;
                session->loop.exit();
            }
        // A sheet closed by the window system counts as cancelled.
        if (auto *widget = qobject_cast<QWidget *>(watched); widget && sheets_.contains(widget))
            endSheet(widget, ModalResponse::Cancel);
    }
    return QObject::eventFilter(watched, event);
}

void Application::beginSheet(QWidget *sheet, QWidget *window, std::function<void(int)> completion) {
    sheets_.insert(sheet, Sheet{window, std::move(completion), sheet->parentWidget(), sheet->windowFlags()});
    sheet->setParent(window, Qt::Dialog);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->installEventFilter(this);
    if (!sheet->testAttribute(Qt::WA_Resized))
        sheet->adjustSize();
    const QRect frame = window->geometry();
    sheet->move(frame.x() + (frame.width() - sheet->width()) / 2, frame.y() + 40);
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
}

void Application::endSheet(QWidget *sheet, int code) {
    const auto found = sheets_.find(sheet);
    if (found == sheets_.end())
        return;
    std::function<void(int)> completion = std::move(found->completion);
    const QPointer<QWidget> formerParent = found->formerParent;
    const Qt::WindowFlags formerFlags = found->formerFlags;
    sheets_.erase(found);
    sheet->removeEventFilter(this);
    sheet->hide();
    sheet->setWindowModality(Qt::NonModal);
    sheet->setParent(formerParent, formerFlags);
    if (completion)
        completion(code);
}

QWidget *Application::attachedSheet(QWidget *window) const {
    for (auto it = sheets_.constBegin(); it != sheets_.constEnd(); ++it)
        if (it->window == window)
            return it.key();
    return nullptr;
}

void Application::buildMainMenu(Window *window) {
    auto *mainMenu = new Menu;
    if (menuBuilder_)
        menuBuilder_(mainMenu, window);
    else
        addStandardMenus(mainMenu);
    window->setMainMenu(mainMenu);
}

void Application::addStandardMenus(Menu *mainMenu) {
    auto *file = new Menu(L("File"));
    file->addItem(L("New"), QStringLiteral("newDocument:"), QKeySequence::New);
    file->addItem(L("Open…"), QStringLiteral("openDocument:"), QKeySequence::Open);
    file->addItem(MenuItem::separatorItem());
    file->addItem(L("Close"), QStringLiteral("performClose:"), QKeySequence::Close);
    file->addItem(L("Quit"), QStringLiteral("terminate:"), QKeySequence::Quit);
    mainMenu->addItem(L("File"))->setSubmenu(file);
    auto *help = new Menu(L("Help"));
    help->addItem(L("About %1").arg(QCoreApplication::applicationName()), QStringLiteral("showAboutPanel:"));
    mainMenu->addItem(L("Help"))->setSubmenu(help);
}
