#pragma once

#include "find/FindMatcher.h"

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The find window's background search: the matcher over every contact of a snapshot, on
// workers, the rows handed to the main thread in the contacts' order. Each search has a
// number; starting one supersedes the one before at once: the older search stops at its
// next contact (a long regular-expression match included) and its rows are never handed
// over. Main thread only, but for the workers it starts.
class FindSearch : public QObject {
    Q_OBJECT
public:
    // Receives the rows of the newest search, on the main thread.
    using Handler = std::function<void(quint64 generation, FindSearchResult result)>;

    explicit FindSearch(Handler handler, QObject *parent = nullptr);
    // Stops the searches still running and waits for their workers.
    ~FindSearch() override;

    // Starts a search and answers its number. A query that cannot match (an empty text, a
    // refused pattern) runs no worker, and its empty result comes as any other.
    quint64 start(const FindQuery &query, std::shared_ptr<const FindSnapshot> snapshot);
    // Supersedes the running search without starting another.
    void cancel();
    // Lets rows go on a thread of their own: freeing a large result would hold up the main
    // thread for tens of milliseconds.
    void discard(FindResultRows rows);
    quint64 generation() const { return generation_; }
    // Whether the newest search has not handed over its rows yet.
    bool isSearching() const;

private:
    struct Run;
    // The finished runs are handed over under a lock of the standard library, which
    // ThreadSanitizer sees: the post itself carries nothing.
    Q_INVOKABLE void runsDidFinish();
    void finish(const std::shared_ptr<Run> &run);
    void deliver(const std::shared_ptr<Run> &run);
    static void work(const std::shared_ptr<Run> &run, FindSearch *search);

    Handler handler_;
    quint64 generation_ = 0;
    std::vector<std::shared_ptr<Run>> runs_;
    std::mutex finishedLock_;
    std::vector<std::shared_ptr<Run>> finished_;
    std::thread discarder_;
};
