#include "platform/core/UndoManager.h"

#include "platform/core/Log.h"

#include <algorithm>

UndoManager::UndoManager(QObject *parent) : QObject(parent) {}

void UndoManager::registerUndo(Target target, std::function<void()> block) {
    if (!isUndoRegistrationEnabled())
        return;
    if (level_ == 0) {
        if (!groupsByEvent_) {
            logError("registerUndo", QStringLiteral("Error no undo group is open"));
            return;
        }
        beginUndoGrouping();
        eventGroupOpen_ = true;
        QMetaObject::invokeMethod(this, &UndoManager::closeEventGroup, Qt::QueuedConnection);
    }
    // A new change makes what was undone unreachable; the inverses registered while
    // undoing or redoing are part of the replay, not a new change.
    if (!undoing_ && !redoing_)
        redoStack_.clear();
    open_.push_back({target, std::move(block)});
}

void UndoManager::beginUndoGrouping() { ++level_; }

void UndoManager::endUndoGrouping() {
    if (level_ == 0) {
        logError("endUndoGrouping", QStringLiteral("Error no undo group is open"));
        return;
    }
    if (--level_ > 0)
        return;
    eventGroupOpen_ = false;
    if (open_.empty())
        return;
    (undoing_ ? redoStack_ : undoStack_).push_back(std::move(open_));
    open_.clear();
    emit didCloseUndoGroup();
}

void UndoManager::closeEventGroup() {
    if (!eventGroupOpen_)
        return;
    if (level_ > 1) {
        // An explicit group is still open inside this event's group (a modal loop runs
        // in the middle of a command): close both once it ends.
        QMetaObject::invokeMethod(this, &UndoManager::closeEventGroup, Qt::QueuedConnection);
        return;
    }
    endUndoGrouping();
}

void UndoManager::enableUndoRegistration() {
    if (disabled_ > 0)
        --disabled_;
}

bool UndoManager::canUndo() const { return !undoStack_.empty() || (level_ > 0 && !open_.empty()); }
bool UndoManager::canRedo() const { return !redoStack_.empty(); }

void UndoManager::replay(std::vector<Group> &from, bool &flag) {
    Group group = std::move(from.back());
    from.pop_back();
    flag = true;
    beginUndoGrouping();
    for (auto it = group.rbegin(); it != group.rend(); ++it)
        it->block();
    endUndoGrouping();
    flag = false;
}

void UndoManager::undo() {
    if (eventGroupOpen_ && level_ == 1)
        endUndoGrouping();
    if (level_ > 0) {
        logError("undo", QStringLiteral("Error an undo group is open"));
        return;
    }
    if (undoStack_.empty())
        return;
    replay(undoStack_, undoing_);
    emit didUndo();
}

void UndoManager::redo() {
    if (eventGroupOpen_ && level_ == 1)
        endUndoGrouping();
    if (level_ > 0 || redoStack_.empty())
        return;
    replay(redoStack_, redoing_);
    emit didRedo();
}

void UndoManager::removeAllActions() {
    undoStack_.clear();
    redoStack_.clear();
    open_.clear();
}

void UndoManager::removeAllActionsWithTarget(Target target) {
    auto strip = [target](Group &group) {
        group.erase(std::remove_if(group.begin(), group.end(), [target](const Action &a) { return a.target == target; }),
                    group.end());
    };
    for (auto *stack : {&undoStack_, &redoStack_}) {
        for (Group &group : *stack)
            strip(group);
        stack->erase(std::remove_if(stack->begin(), stack->end(), [](const Group &g) { return g.empty(); }),
                     stack->end());
    }
    strip(open_);
}
