#pragma once

#include "platform/ui/Document.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ViewController.h"

#include <QMainWindow>
#include <QPointer>

class Menu;
class ViewController;
class WindowController;

// A document or panel window. Its controller is its delegate; each window carries its
// own menu bar, built from the application's main menu.
class Window : public QMainWindow {
    Q_OBJECT
public:
    explicit Window(QWidget *parent = nullptr);

    WindowController *windowController() const;
    void setWindowController(WindowController *controller);
    ViewController *contentViewController() const;
    void setContentViewController(ViewController *controller);

    // The edited mark, shown as the window's modified state.
    void setDocumentEdited(bool edited) { setWindowModified(edited); }
    bool isDocumentEdited() const { return isWindowModified(); }
    // A title that shows the edited mark after it; a "[*]" of the text itself shows as written
    // (Qt would take it for the mark's place).
    void setTitleShowingEditedMark(const QString &title);
    // The text given to setTitleShowingEditedMark.
    QString titleWithoutEditedMark() const;

    // Frames are kept in the user defaults under "NSWindow Frame " and the name.
    static QString frameKey(const QString &name);
    void setFrameAutosaveName(const QString &name);
    QString frameAutosaveName() const { return frameName_; }
    bool setFrameUsingName(const QString &name);
    void saveFrameUsingName(const QString &name) const;

    Menu *mainMenu() const;
    void setMainMenu(Menu *menu);

    bool isKeyWindow() const { return isActiveWindow(); }
    void makeKeyAndOrderFront();
    // Asks the delegate and closes when it agrees (the close box does the same).
    void performClose() { close(); }
    // Identifies the window within this process (pasteboard sources).
    quint64 windowNumber() const { return number_; }

signals:
    void willClose(Window *window);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuildMenuBar();

    QPointer<WindowController> controller_;
    QPointer<ViewController> content_;
    QPointer<Menu> mainMenu_;
    const QObject *mainMenuObject_ = nullptr;
    QString frameName_;
    quint64 number_;
};

// Owns a window, loaded on first use, and receives its delegate calls.
class WindowController : public QObject, public Responder {
    Q_OBJECT
public:
    explicit WindowController(QObject *parent = nullptr);
    ~WindowController() override;

    Window *window();
    bool isWindowLoaded() const { return window_ != nullptr; }
    Document *document() const { return document_; }
    void setDocument(Document *document);
    ViewController *contentViewController() const;
    void setContentViewController(ViewController *controller);
    void showWindow();
    void close();

    // Takes the frame stored under the name, and stores it there when the window closes.
    void setWindowFrameAutosaveName(const QString &name);
    virtual void synchronizeWindowTitleWithDocumentName();
    // Undo and Redo on the document's undo manager.
    bool validateMenuItem(MenuItem *item) override;

    virtual void windowDidLoad() {}
    virtual bool windowShouldClose(Window *) { return true; }
    virtual void windowWillClose() {}
    virtual void windowDidBecomeKey() {}
    virtual void windowDidResignKey() {}

protected:
    virtual Window *loadWindow();

private:
    QPointer<Window> window_;
    QPointer<Document> document_;
};
