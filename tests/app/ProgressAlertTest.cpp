#include "app/reading/ProgressAlert.h"

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <gtest/gtest.h>

using tessarin::ProgressAlert;

namespace {

TEST(ProgressAlert, ShowsTheProductAndHasNoCloseBox) {
    ProgressAlert alert;
    const auto run = alert.beginRun(QStringLiteral("Reading the file: a.vcf"));
    EXPECT_EQ(alert.window()->windowTitle(), QStringLiteral("Tessarin2"));
    EXPECT_FALSE(alert.iconView()->pixmap().isNull());
    EXPECT_EQ(alert.alertMessage()->text(), QStringLiteral("Reading the file: a.vcf"));
    EXPECT_EQ(alert.progressIndicator()->value(), 0);
    EXPECT_FALSE(alert.window()->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(alert.window()->menuBar()->isVisible());
}

TEST(ProgressAlert, FinishedWorkEndsTheRunWithStopAndFullProgress) {
    ProgressAlert alert;
    const auto run = alert.beginRun(QStringLiteral("Writing the file: b.vcf"));
    QList<int> seen;
    Dispatch::global([run] {
        run->setProgress(40);
        run->finish();
    });
    Dispatch::main([&] { seen.append(alert.progressIndicator()->value()); });
    EXPECT_EQ(alert.runModal(run), ModalResponse::Stop);
    EXPECT_EQ(alert.progressIndicator()->value(), 100);
    EXPECT_FALSE(alert.window()->isVisible());
    EXPECT_FALSE(run->isCancelled());
}

TEST(ProgressAlert, CancelEndsTheRunWithAbortThoughClosingAlsoEndsIt) {
    ProgressAlert alert;
    const auto run = alert.beginRun(QStringLiteral("Reading the file: c.vcf"));
    Dispatch::main([&] {
        ASSERT_TRUE(alert.window()->isVisible());
        QTest::mouseClick(alert.cancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(alert.runModal(run), ModalResponse::Abort);
    EXPECT_TRUE(run->isCancelled());
    EXPECT_FALSE(alert.window()->isVisible());

    // Other senders are ignored.
    const auto second = alert.beginRun(QStringLiteral("Reading the file: c.vcf"));
    QPushButton stranger;
    Dispatch::main([&] {
        alert.buttonPressed(&stranger);
        alert.buttonPressed(nullptr);
        EXPECT_TRUE(alert.window()->isVisible());
        second->finish();
    });
    EXPECT_EQ(alert.runModal(second), ModalResponse::Stop);
}

TEST(ProgressAlert, EscapeAndTheWindowSystemsCloseAreCancel) {
    ProgressAlert alert;
    const auto byEscape = alert.beginRun(QStringLiteral("x"));
    Dispatch::main([&] { QTest::keyClick(alert.window(), Qt::Key_Escape); });
    EXPECT_EQ(alert.runModal(byEscape), ModalResponse::Abort);

    // A close the window system asks for must not pass for finished work.
    const auto bySystem = alert.beginRun(QStringLiteral("x"));
    Dispatch::main([&] { alert.window()->close(); });
    EXPECT_EQ(alert.runModal(bySystem), ModalResponse::Abort);
    EXPECT_TRUE(bySystem->isCancelled());
}

TEST(ProgressAlert, LatePostsOfACancelledRunNeitherMoveNorEndTheNextRun) {
    ProgressAlert alert;
    const auto first = alert.beginRun(QStringLiteral("first"));
    Dispatch::main([&] { alert.buttonPressed(alert.cancelButton()); });
    ASSERT_EQ(alert.runModal(first), ModalResponse::Abort);

    const auto second = alert.beginRun(QStringLiteral("second"));
    int progressSeen = -1;
    Dispatch::main([&] {
        // The cancelled run's work reaches its next progress step and finishes late.
        first->setProgress(70);
        first->finish();
        Dispatch::main([&] {
            progressSeen = alert.progressIndicator()->value();
            EXPECT_TRUE(alert.window()->isVisible());
            second->setProgress(30);
            Dispatch::main([&] { second->finish(); });
        });
    });
    EXPECT_EQ(alert.runModal(second), ModalResponse::Stop);
    EXPECT_EQ(progressSeen, 0);
    EXPECT_EQ(alert.alertMessage()->text(), QStringLiteral("second"));
}

TEST(ProgressAlert, ProgressAfterTheWindowClosedChangesNothingVisible) {
    ProgressAlert alert;
    const auto run = alert.beginRun(QStringLiteral("x"));
    Dispatch::main([&] { run->finish(); });
    ASSERT_EQ(alert.runModal(run), ModalResponse::Stop);
    alert.requestClose(); // nothing to close, no run to end
    EXPECT_FALSE(alert.window()->isVisible());
    EXPECT_EQ(Application::shared().modalWindow(), nullptr);
}

// Quick work behind a window that must stay 600 ms: the worker is back in the pool long
// before the window closes, which the main thread holds; Cancel in that time still cancels.
TEST(ProgressAlert, TheMinimumTimeIsHeldOnTheMainThreadNotByTheWorker) {
    for (const bool cancel : {false, true}) {
        ProgressAlert alert;
        int idleWorkers = -1;
        bool shownMeanwhile = false;
        QTimer::singleShot(300, [&] {
            idleWorkers = QThreadPool::globalInstance()->activeThreadCount() == 0;
            shownMeanwhile = alert.window()->isVisible();
            if (cancel)
                QTest::mouseClick(alert.cancelButton(), Qt::LeftButton);
        });
        QElapsedTimer timer;
        timer.start();
        const tessarin::ProgressOutcome<int> outcome = tessarin::runBehindProgressWindow<int>(
            &alert, QStringLiteral("quick"), [](const tessarin::ProgressRunPtr &) { return 7; }, 600);
        EXPECT_EQ(idleWorkers, 1) << cancel;
        EXPECT_TRUE(shownMeanwhile) << cancel;
        EXPECT_FALSE(alert.window()->isVisible()) << cancel;
        if (cancel) {
            EXPECT_EQ(outcome.response, ModalResponse::Abort);
            EXPECT_LT(timer.elapsed(), 600);
        } else {
            EXPECT_EQ(outcome.response, ModalResponse::Stop);
            EXPECT_EQ(outcome.result, 7);
            EXPECT_GE(timer.elapsed(), 600);
        }
    }
}

} // namespace
