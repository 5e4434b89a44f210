#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class MenuItem;
class QWidget;

// An object that may receive actions named by their selector text ("addContact:").
// Actions travel along the responder chain of the window that has focus; the first
// responder that handles an action receives it, and only that one validates it.
class Responder {
public:
    using ActionHandler = std::function<void(QObject *sender)>;

    virtual ~Responder() = default;

    bool respondsToAction(const QString &action) const { return actions_.contains(action); }
    // Runs the handler; answers whether this responder handles the action.
    bool performAction(const QString &action, QObject *sender = nullptr);
    // An item whose receiver does not validate it stays enabled.
    virtual bool validateMenuItem(MenuItem *item);

protected:
    void registerAction(const QString &action, ActionHandler handler);
    void unregisterAction(const QString &action) { actions_.remove(action); }

private:
    QHash<QString, ActionHandler> actions_;
};

// Finds receivers along the chain: the focused pane's controller and the controllers
// above it, the window's content view controller, its window controller, its document,
// the application, the application delegate and the document controller.
namespace ActionRouter {

std::vector<Responder *> responderChain(QWidget *start);
Responder *targetForAction(const QString &action, QWidget *start);
// Sends the action to its target when the target validates it (validation runs only
// when the sender is a menu item). Answers whether some responder received it.
bool sendAction(const QString &action, QObject *sender, QWidget *start);
// Where a chain starts for an item: the focus widget of the item's window.
QWidget *startWidgetFor(QObject *item);
QWidget *startWidgetForOwner(QWidget *owner, bool contextMenu);

} // namespace ActionRouter
