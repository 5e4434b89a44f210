#include "platform/core/UndoManager.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// A value whose setter registers its own inverse, the way document operations do.
struct Counter {
    UndoManager *undo;
    int value = 0;
    void set(int newValue) {
        const int old = value;
        undo->registerUndo(this, [this, old] { set(old); });
        value = newValue;
    }
};

class UndoManagerTest : public testing::Test {
protected:
    static void endEvent() { QCoreApplication::processEvents(); }
    UndoManager undo;
    Counter a{&undo}, b{&undo};
    QSignalSpy closed{&undo, &UndoManager::didCloseUndoGroup};
};

TEST_F(UndoManagerTest, UndoRedoUndoReplaysInversesAndANewRegistrationClearsRedo) {
    a.set(1);
    endEvent();
    a.set(2);
    endEvent();

    undo.undo();
    EXPECT_EQ(a.value, 1);
    EXPECT_TRUE(undo.canRedo());
    undo.redo();
    EXPECT_EQ(a.value, 2);
    undo.undo();
    undo.undo();
    EXPECT_EQ(a.value, 0);
    EXPECT_FALSE(undo.canUndo());
    undo.redo();
    undo.redo();
    EXPECT_EQ(a.value, 2);
    EXPECT_FALSE(undo.canRedo());
    undo.undo();
    EXPECT_EQ(a.value, 1);

    a.set(7);
    EXPECT_FALSE(undo.canRedo());
    endEvent();
    undo.undo();
    undo.undo();
    EXPECT_EQ(a.value, 0);
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(UndoManagerTest, RegistrationsOfOneEventFormOneGroupClosedByAnUndoInThatEvent) {
    a.set(1);
    b.set(1);
    a.set(2);
    EXPECT_EQ(closed.count(), 0);
    endEvent();
    EXPECT_EQ(closed.count(), 1);
    undo.undo();
    EXPECT_EQ(a.value, 0);
    EXPECT_EQ(b.value, 0);
    EXPECT_FALSE(undo.canUndo());

    a.set(5);
    undo.undo();
    EXPECT_EQ(a.value, 0);
    EXPECT_TRUE(undo.canRedo());
}

TEST_F(UndoManagerTest, NestedExplicitGroupsUndoAsOneAndEmptyOnesAreDropped) {
    undo.beginUndoGrouping();
    undo.endUndoGrouping();
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(closed.count(), 0);

    undo.beginUndoGrouping();
    a.set(1);
    undo.beginUndoGrouping();
    b.set(1);
    b.set(2);
    undo.endUndoGrouping();
    a.set(3);
    undo.endUndoGrouping();
    endEvent();
    a.set(4);
    endEvent();

    undo.undo();
    EXPECT_EQ(a.value, 3);
    undo.undo();
    EXPECT_EQ(a.value, 0);
    EXPECT_EQ(b.value, 0);
    undo.redo();
    EXPECT_EQ(a.value, 3);
    EXPECT_EQ(b.value, 2);
}

TEST_F(UndoManagerTest, FlagsAndSignalsDuringReplay) {
    bool sawUndoing = false, sawRedoing = false;
    std::function<void()> forward;
    forward = [&] {
        sawUndoing = undo.isUndoing();
        sawRedoing = sawRedoing || undo.isRedoing();
        undo.registerUndo(&undo, forward);
    };
    undo.registerUndo(&undo, forward);
    endEvent();
    QSignalSpy undone(&undo, &UndoManager::didUndo);
    QSignalSpy redone(&undo, &UndoManager::didRedo);
    undo.undo();
    EXPECT_TRUE(sawUndoing);
    undo.redo();
    EXPECT_TRUE(sawRedoing);
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_FALSE(undo.isRedoing());
    EXPECT_EQ(undone.count(), 1);
    EXPECT_EQ(redone.count(), 1);
}

TEST_F(UndoManagerTest, RemovedTargetsAndDisabledRegistrationLeaveNothingToUndo) {
    a.set(1);
    endEvent();
    b.set(1);
    endEvent();
    a.set(2);
    b.set(2);
    endEvent();
    undo.removeAllActionsWithTarget(&a);
    undo.undo();
    EXPECT_EQ(a.value, 2);
    EXPECT_EQ(b.value, 1);
    undo.undo();
    EXPECT_EQ(b.value, 0);
    EXPECT_FALSE(undo.canUndo());
    undo.removeAllActions();
    EXPECT_FALSE(undo.canRedo());

    undo.disableUndoRegistration();
    a.set(1);
    undo.enableUndoRegistration();
    endEvent();
    EXPECT_FALSE(undo.canUndo());
}

} // namespace
