#include "platform/ui/Responder.h"

#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

bool Responder::performAction(const QString &action, QObject *sender) {
    const auto found = actions_.constFind(action);
    if (found == actions_.constEnd())
        return false;
    // Copy: the handler may unregister itself.
    const ActionHandler handler = found.value();
    handler(sender);
    return true;
}

bool Responder::validateMenuItem(MenuItem *) {
    return true;
}

void Responder::registerAction(const QString &action, ActionHandler handler) {
    actions_.insert(action, std::move(handler));
}

namespace {

// The standard editing commands reach a focused text field before any controller.
class TextEditingResponder : public Responder {
public:
    TextEditingResponder() {
        registerAction(QStringLiteral("cut:"), [this](QObject *) { invoke("cut"); });
        registerAction(QStringLiteral("copy:"), [this](QObject *) { invoke("copy"); });
        registerAction(QStringLiteral("paste:"), [this](QObject *) { invoke("paste"); });
        registerAction(QStringLiteral("selectAll:"), [this](QObject *) { invoke("selectAll"); });
    }
    void setWidget(QWidget *widget) { widget_ = widget; }
    bool validateMenuItem(MenuItem *item) override {
        const QString action = item->action();
        if (action == QLatin1String("selectAll:") || action == QLatin1String("paste:"))
            return !isReadOnly() || action == QLatin1String("selectAll:");
        const bool selected = hasSelection();
        return action == QLatin1String("copy:") ? selected : selected && !isReadOnly();
    }

private:
    void invoke(const char *method) {
        if (widget_)
            QMetaObject::invokeMethod(widget_, method);
    }
    bool hasSelection() const {
        if (auto *line = qobject_cast<QLineEdit *>(widget_))
            return line->hasSelectedText() && line->echoMode() == QLineEdit::Normal;
        if (auto *text = qobject_cast<QTextEdit *>(widget_))
            return text->textCursor().hasSelection();
        if (auto *plain = qobject_cast<QPlainTextEdit *>(widget_))
            return plain->textCursor().hasSelection();
        return false;
    }
    bool isReadOnly() const {
        if (auto *line = qobject_cast<QLineEdit *>(widget_))
            return line->isReadOnly();
        if (auto *text = qobject_cast<QTextEdit *>(widget_))
            return text->isReadOnly();
        if (auto *plain = qobject_cast<QPlainTextEdit *>(widget_))
            return plain->isReadOnly();
        return true;
    }
    QPointer<QWidget> widget_;
};

bool isTextEditor(const QWidget *widget) {
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget) ||
           qobject_cast<const QPlainTextEdit *>(widget);
}

void appendOnce(std::vector<Responder *> &chain, Responder *responder) {
    if (responder && std::find(chain.begin(), chain.end(), responder) == chain.end())
        chain.push_back(responder);
}

} // namespace

std::vector<Responder *> ActionRouter::responderChain(QWidget *start) {
    static TextEditingResponder textEditing;
    std::vector<Responder *> chain;
    if (start && isTextEditor(start)) {
        textEditing.setWidget(start);
        chain.push_back(&textEditing);
    }
    Window *window = nullptr;
    for (QWidget *widget = start; widget; widget = widget->parentWidget()) {
        appendOnce(chain, ViewController::controllerOfView(widget));
        if (!window)
            window = qobject_cast<Window *>(widget);
    }
    if (window) {
        appendOnce(chain, window->contentViewController());
        WindowController *controller = window->windowController();
        appendOnce(chain, controller);
        if (controller)
            appendOnce(chain, controller->document());
    }
    Application &application = Application::shared();
    appendOnce(chain, &application);
    appendOnce(chain, application.delegate());
    appendOnce(chain, DocumentController::shared());
    return chain;
}

Responder *ActionRouter::targetForAction(const QString &action, QWidget *start) {
    for (Responder *responder : responderChain(start))
        if (responder->respondsToAction(action))
            return responder;
    return nullptr;
}

bool ActionRouter::sendAction(const QString &action, QObject *sender, QWidget *start) {
    Responder *target = targetForAction(action, start);
    if (!target)
        return false;
    if (auto *item = qobject_cast<MenuItem *>(sender); item && !target->validateMenuItem(item))
        return false;
    return target->performAction(action, sender);
}

QWidget *ActionRouter::startWidgetForOwner(QWidget *owner, bool contextMenu) {
    // A context menu acts on what was clicked, not on the focus.
    if (owner && contextMenu)
        return owner;
    QWidget *focus = QApplication::focusWidget();
    if (focus && (!owner || focus->window() == owner->window()))
        return focus;
    if (owner) {
        QWidget *window = owner->window();
        return window->focusWidget() ? window->focusWidget() : window;
    }
    return QApplication::activeWindow();
}

QWidget *ActionRouter::startWidgetFor(QObject *item) {
    if (auto *action = qobject_cast<QAction *>(item)) {
        for (QObject *object : action->associatedObjects()) {
            if (auto *menu = qobject_cast<Menu *>(object))
                return startWidgetForOwner(menu->ownerWidget(), menu->isContextMenu());
            if (auto *widget = qobject_cast<QWidget *>(object))
                return startWidgetForOwner(widget, false);
        }
    }
    return startWidgetForOwner(nullptr, false);
}
