// The find bar above the panes: its delegate's operations, forwarded to the find room's
// actions, and what those ask of this window.
#include "app/window/ViewController.h"

#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"

namespace tessarin {

void ViewController::setUpFindBar() {
    FindBarActions::Panes panes;
    panes.bar = findBarController_;
    panes.table = contactsViewController_;
    panes.detail = contactInfoController_;
    panes.state = windowState_;
    panes.settings = settings_.get();
    panes.edits = edits_;
    findBarActions_ = new FindBarActions(panes, *this, this);
    registerAction(ActionId::PerformFindBarAction, [this](QObject *sender) { performFindBarAction(sender); });
}

void ViewController::showFindBar(bool show) {
    findBarActions_->showFindBar(show);
}

void ViewController::performFindBarAction(QObject *sender) {
    if (const auto *item = qobject_cast<MenuItem *>(sender))
        findBarActions_->performFindBarAction(item->title());
}

void ViewController::findStringDidChange(const QString &text) {
    findBarActions_->findStringDidChange(text);
}

void ViewController::findBarButtonDidPress(const QString &command) {
    findBarActions_->findBarButtonDidPress(command);
}

} // namespace tessarin
