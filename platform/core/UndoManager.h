#pragma once

#include <QObject>

#include <functional>
#include <vector>

// A document's undo manager. An undo action, when run, registers its own inverse:
// undoing fills the redo stack and redoing fills the undo stack. Registrations made
// between two turns of the event loop form one group unless an explicit group is open.
class UndoManager : public QObject {
    Q_OBJECT
public:
    using Target = const void *;

    explicit UndoManager(QObject *parent = nullptr);

    void registerUndo(Target target, std::function<void()> block);

    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const { return level_; }
    bool groupsByEvent() const { return groupsByEvent_; }
    void setGroupsByEvent(bool on) { groupsByEvent_ = on; }

    void disableUndoRegistration() { ++disabled_; }
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return disabled_ == 0; }

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    bool isUndoing() const { return undoing_; }
    bool isRedoing() const { return redoing_; }

    void removeAllActions();
    void removeAllActionsWithTarget(Target target);

signals:
    void didUndo();
    void didRedo();
    void didCloseUndoGroup();

private:
    struct Action {
        Target target;
        std::function<void()> block;
    };
    using Group = std::vector<Action>;

    void closeEventGroup();
    void replay(std::vector<Group> &from, bool &flag);

    std::vector<Group> undoStack_;
    std::vector<Group> redoStack_;
    Group open_;
    int level_ = 0;
    int disabled_ = 0;
    bool eventGroupOpen_ = false;
    bool groupsByEvent_ = true;
    bool undoing_ = false;
    bool redoing_ = false;
};
