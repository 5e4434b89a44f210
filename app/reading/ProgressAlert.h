#pragma once

#include "platform/core/Dispatch.h"
#include "platform/ui/Window.h"

#include <QElapsedTimer>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tessarin {

class ProgressAlert;

// One run of the progress window as its background work sees it. Posts carry the run's
// generation, so a late post of a cancelled run cannot move or end the next run.
class ProgressRun : public std::enable_shared_from_this<ProgressRun> {
public:
    bool isCancelled() const { return token_->isCancelled(); }
    // Posted to the main thread; only when the shown whole percent changes.
    void setProgress(double percent);
    // Progress 100 and requestClose, posted; the close waits on the main thread until the
    // window has stayed as long as the run holds it.
    void finish();
    // On the main thread, before the work starts: the window stays at least this long from now.
    void holdWindowAtLeast(int milliseconds);

private:
    friend class ProgressAlert;
    ProgressRun(ProgressAlert *alert, quint64 generation);
    // On the main thread: requestClose once the window has been held long enough.
    void closeWhenHeld();

    QPointer<ProgressAlert> alert_; // read on the main thread only
    quint64 generation_;
    QElapsedTimer begun_;         // main thread only
    int minimumMilliseconds_ = 0; // main thread only
    CancelTokenPtr token_ = CancelToken::make();
    std::atomic<int> lastPercent_{-1};
};
using ProgressRunPtr = std::shared_ptr<ProgressRun>;

// The small application-modal window that shows the progress of a long read or write
// while the work runs in the background. Its only way to close is Cancel (Escape) or the
// work's requestClose: the caller reads the work's result only after -1000.
class ProgressAlert : public ::WindowController {
    Q_OBJECT
public:
    explicit ProgressAlert(QObject *parent = nullptr);

    QLabel *alertMessage();
    QProgressBar *progressIndicator();
    QPushButton *cancelButton();
    QLabel *iconView();

    void setProgress(double percent);
    void requestClose();
    void buttonPressed(QObject *sender);

    // Starts a new generation: the message, progress 0.
    ProgressRunPtr beginRun(const QString &message);
    // Runs the window application-modally: -1000 when the run finished, -1001 on Cancel,
    // which also cancels the run.
    int runModal(const ProgressRunPtr &run);
    quint64 generation() const { return generation_; }

    void windowDidLoad() override;
    void windowWillClose() override;

protected:
    Window *loadWindow() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class ProgressRun;
    void closeWindow(int response);

    QPointer<QLabel> iconView_;
    QPointer<QLabel> alertMessage_;
    QPointer<QProgressBar> progressIndicator_;
    QPointer<QPushButton> cancelButton_;
    quint64 generation_ = 0;
    int closingResponse_ = 0; // the end a close in progress gives its run; 0 when none
};

} // namespace tessarin

namespace tessarin {

// What work run behind the progress window gives back: how the window ended (-1000 when
// the work finished it, -1001 on Cancel) and the work's result when the work ran to its
// end. A result of a cancelled run is never read.
template <typename Result> struct ProgressOutcome {
    int response = 0;
    std::optional<Result> result;
};

// Runs the work on the worker pool while the progress window runs application-modally over
// everything else. The work reports progress through the run and stops at its next report
// once the run is cancelled; it touches only what it was given, never the caller's records.
// The window stays at least `minimumMilliseconds`, so a quick read does not flash it: the
// main thread holds it, and the worker goes back to the pool once its work is done.
template <typename Result>
ProgressOutcome<Result> runBehindProgressWindow(ProgressAlert *alert, const QString &message,
                                                std::function<Result(const ProgressRunPtr &run)> work,
                                                int minimumMilliseconds = 0) {
    struct Shared {
        std::optional<Result> result;
        std::atomic<bool> done{false};
    };
    const ProgressRunPtr run = alert->beginRun(message);
    run->holdWindowAtLeast(minimumMilliseconds);
    auto shared = std::make_shared<Shared>();
    Dispatch::global([work = std::move(work), run, shared] {
        Result result = work(run);
        if (run->isCancelled())
            return; // nobody reads it any more
        shared->result = std::move(result);
        shared->done.store(true, std::memory_order_release);
        run->finish();
    });
    ProgressOutcome<Result> outcome;
    outcome.response = alert->runModal(run);
    if (shared->done.load(std::memory_order_acquire))
        outcome.result = std::move(shared->result);
    return outcome;
}

} // namespace tessarin
