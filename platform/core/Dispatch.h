#pragma once

#include <QObject>
#include <QPointer>
#include <QSemaphore>

#include <atomic>
#include <functional>
#include <memory>

// Background and main-thread work, in place of global and main dispatch queues.
namespace Dispatch {

// Runs on the shared worker pool.
void global(std::function<void()> block);

// Lets the value go on a worker of the pool: freeing something large (a whole file's text,
// a document's worth of records) is then no wait for the caller.
template <typename T> void releaseInBackground(T &&value) {
    global([held = std::forward<T>(value)]() mutable { [[maybe_unused]] const auto released = std::move(held); });
}

// Runs on the main thread at its next event-loop turn, nested modal loops included.
// With a receiver, nothing happens once the receiver is gone.
void main(std::function<void()> block, QObject *receiver = nullptr);

// Runs on the main thread after the delay (milliseconds).
void after(int milliseconds, std::function<void()> block, QObject *receiver = nullptr);

bool isMainThread();

// Runs work(0) … work(count - 1) at once, each on a standard thread of its own but the first,
// which runs on the caller, and returns when all have ended: for work the caller waits for
// anyway, split in parts that touch nothing in common (ThreadSanitizer sees the hand-over).
void concurrently(int count, const std::function<void(int part)> &work);

// How many parts such work is split into: one per core, two to eight.
int concurrentPartCount();

} // namespace Dispatch

// A counting semaphore whose wait can time out; wait() answers whether it was signalled.
class DispatchSemaphore {
public:
    explicit DispatchSemaphore(int value = 0) : semaphore_(value) {}
    void signal() { semaphore_.release(); }
    bool wait(int timeoutMilliseconds = -1) { return semaphore_.tryAcquire(1, timeoutMilliseconds); }

private:
    QSemaphore semaphore_;
};

// Shared between a command and its background work, which polls it at each progress step.
class CancelToken {
public:
    static std::shared_ptr<CancelToken> make() { return std::make_shared<CancelToken>(); }
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return cancelled_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
};
using CancelTokenPtr = std::shared_ptr<CancelToken>;
