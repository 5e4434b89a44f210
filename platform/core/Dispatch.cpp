#include "platform/core/Dispatch.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <thread>
#include <vector>

namespace Dispatch {

void global(std::function<void()> block) { QThreadPool::globalInstance()->start(std::move(block)); }

void concurrently(int count, const std::function<void(int part)> &work) {
    std::vector<std::thread> threads;
    threads.reserve(size_t(std::max(count - 1, 0)));
    for (int part = 1; part < count; ++part)
        threads.emplace_back([&work, part] { work(part); });
    if (count > 0)
        work(0);
    for (std::thread &thread : threads)
        thread.join();
}

int concurrentPartCount() {
    return int(std::clamp(std::thread::hardware_concurrency(), 2u, 8u));
}

void main(std::function<void()> block, QObject *receiver) {
    QObject *context = receiver ? receiver : QCoreApplication::instance();
    // A queued call to a context on the main thread runs in whichever event loop spins
    // there next, and is dropped with the context.
    QMetaObject::invokeMethod(context, std::move(block), Qt::QueuedConnection);
}

void after(int milliseconds, std::function<void()> block, QObject *receiver) {
    QObject *context = receiver ? receiver : QCoreApplication::instance();
    if (QThread::currentThread() == context->thread()) {
        QTimer::singleShot(milliseconds, context, std::move(block));
        return;
    }
    // Timers belong to the thread that starts them: start this one on the main thread.
    main([milliseconds, block = std::move(block), context]() mutable {
        QTimer::singleShot(milliseconds, context, std::move(block));
    }, context);
}

bool isMainThread() {
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace Dispatch
