#pragma once

#include "platform/ui/Responder.h"

#include <QEventLoop>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class Menu;
class Window;

// The other platform's Command key is Ctrl here, Option is Alt.
constexpr Qt::KeyboardModifier CommandKeyModifier = Qt::ControlModifier;
constexpr Qt::KeyboardModifier OptionKeyModifier = Qt::AltModifier;
// Shift+Ctrl+Alt held while a window loads offers to restore the default preferences.
bool isResetPreferencesChord(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers currentModifierFlags();
// Tests hold keys this way; std::nullopt reads the keyboard again.
void overrideModifierFlags(std::optional<Qt::KeyboardModifiers> flags);

enum class TerminateReply { Cancel, Now };

class ApplicationDelegate : public Responder {
public:
    virtual void applicationWillFinishLaunching() {}
    virtual void applicationDidFinishLaunching() {}
    virtual TerminateReply applicationShouldTerminate() { return TerminateReply::Now; }
    virtual void applicationWillTerminate() {}
};

// The application object: launch and termination, modal runs, sheets, and the menu bar
// every window gets. Main thread only.
class Application : public QObject, public Responder {
    Q_OBJECT
public:
    static Application &shared();

    ApplicationDelegate *delegate() const { return delegate_; }
    void setDelegate(ApplicationDelegate *delegate) { delegate_ = delegate; }

    // Opens the files named in the arguments (an untitled document when there is none)
    // and from then on quits when the last window closes.
    void finishLaunching(const QStringList &arguments);
    static QStringList filesInArguments(const QStringList &arguments);
    // "--reset-preferences", for desktops that do not report held modifiers.
    bool resetPreferencesRequested() const { return resetPreferencesRequested_; }
    bool shouldOfferPreferencesReset() const;

    // Asks the delegate, closes every window (running their close handlers), then quits.
    void terminate();
    // Tests replace the final quit.
    void setQuitHandler(std::function<void()> handler) { quitHandler_ = std::move(handler); }
    void setTerminatesAfterLastWindowClosed(bool on) { terminatesAfterLastWindowClosed_ = on; }

    // Runs the window application-modally until a stop; answers the code it ended with.
    // When a run is ended twice before it returns, the later end wins.
    int runModalForWindow(QWidget *window);
    void stopModal();
    void stopModalWithCode(int code);
    void abortModal();
    QWidget *modalWindow() const;

    // A window-modal sheet on a window; endSheet runs the completion once and gives the
    // sheet back to its former parent (its owner keeps it).
    void beginSheet(QWidget *sheet, QWidget *window, std::function<void(int)> completion);
    void endSheet(QWidget *sheet, int code);
    QWidget *attachedSheet(QWidget *window) const;

    // Fills a new window's main menu (its own menu bar); without a builder every window
    // gets the application-level items (New, Open, Close, Quit, About).
    void setMainMenuBuilder(std::function<void(Menu *mainMenu, Window *window)> builder) {
        menuBuilder_ = std::move(builder);
    }
    void buildMainMenu(Window *window);
    static void addStandardMenus(Menu *mainMenu);

    QList<Window *> windows() const;
    Window *keyWindow() const;

private:
    Application();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void windowDidClose();

    struct ModalSession {
        QPointer<QWidget> window;
        int code = -1002;
        bool ended = false;
        QEventLoop loop;
    };
    struct Sheet {
        QPointer<QWidget> window;
        std::function<void(int)> completion;
        QPointer<QWidget> formerParent;
        Qt::WindowFlags formerFlags;
    };

    ApplicationDelegate *delegate_ = nullptr;
    std::vector<ModalSession *> sessions_;
    QHash<QWidget *, Sheet> sheets_;
    std::function<void(Menu *, Window *)> menuBuilder_;
    std::function<void()> quitHandler_;
    bool terminatesAfterLastWindowClosed_ = false;
    bool terminating_ = false;
    bool resetPreferencesRequested_ = false;
    bool launching_ = false;

    friend class Window;
};
