#include "platform/core/Dispatch.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QtTest/QTest>

#include <atomic>

#include <gtest/gtest.h>

namespace {

TEST(DispatchTest, GlobalRunsOffTheMainThreadAndMainPostsRunOnItInsideAModalDialog) {
    QDialog dialog;
    std::atomic<bool> workerWasMain{true};
    bool ranInsideModal = false, postedWasMain = false;
    // The post comes from a worker, as a background parse's progress would.
    Dispatch::global([&] {
        workerWasMain = Dispatch::isMainThread();
        Dispatch::main([&] {
            postedWasMain = Dispatch::isMainThread();
            ranInsideModal = dialog.isVisible();
            dialog.done(7);
        });
    });
    QTimer::singleShot(5000, &dialog, [&] { dialog.done(-1); });
    EXPECT_EQ(dialog.exec(), 7);
    EXPECT_TRUE(ranInsideModal);
    EXPECT_FALSE(workerWasMain);
    EXPECT_TRUE(postedWasMain);
}

TEST(DispatchTest, AValueReleasedInTheBackgroundIsFreedOnAWorker) {
    QSemaphore freed;
    std::atomic<bool> freedOnMain{true};
    auto value = std::shared_ptr<int>(new int(1), [&](int *p) {
        freedOnMain = Dispatch::isMainThread();
        delete p;
        freed.release();
    });
    Dispatch::releaseInBackground(std::move(value));
    EXPECT_EQ(value, nullptr);
    ASSERT_TRUE(freed.tryAcquire(1, 5000));
    EXPECT_FALSE(freedOnMain);
}

TEST(DispatchTest, PostToAGoneReceiverDoesNothing) {
    bool ran = false;
    auto *receiver = new QObject;
    Dispatch::main([&] { ran = true; }, receiver);
    Dispatch::after(
        1, [&] { ran = true; }, receiver);
    delete receiver;
    QTest::qWait(30);
    EXPECT_FALSE(ran);
}

TEST(DispatchTest, AfterWaitsAtLeastTheDelay) {
    QElapsedTimer clock;
    clock.start();
    qint64 elapsed = -1;
    Dispatch::after(40, [&] { elapsed = clock.elapsed(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return elapsed >= 0; }, 5000));
    EXPECT_GE(elapsed, 40);
}

TEST(DispatchTest, SemaphoreWaitTimesOutOrIsSignalled) {
    DispatchSemaphore semaphore;
    EXPECT_FALSE(semaphore.wait(10));
    Dispatch::global([&] { semaphore.signal(); });
    EXPECT_TRUE(semaphore.wait(5000));
}

TEST(DispatchTest, CancelTokenIsSeenByTheWorker) {
    auto token = CancelToken::make();
    DispatchSemaphore started, finished;
    std::atomic<int> steps{0};
    Dispatch::global([&, token] {
        started.signal();
        while (!token->isCancelled() && steps < 100000000)
            ++steps;
        finished.signal();
    });
    ASSERT_TRUE(started.wait(5000));
    token->cancel();
    EXPECT_TRUE(finished.wait(5000));
    EXPECT_LT(steps.load(), 100000000);
}

} // namespace
