#include "find/FindSearch.h"

#include "find/FindWorkers.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

// One search: its inputs, the rows of each chunk of contacts, and its workers. The last
// worker to finish joins the chunks in order and posts the run back; the lock makes every
// worker's rows visible to it and the joined rows to the main thread.
struct FindSearch::Run {
    quint64 generation = 0;
    FindQuery query;
    std::shared_ptr<const FindSnapshot> snapshot;
    std::optional<FindMatcher> matcher; // made before the workers start, then only read
    std::atomic<bool> cancelled{false};
    std::atomic<qsizetype> nextChunk{0};
    std::vector<FindResultRows> chunks; // each written by the worker that claimed it
    std::vector<std::thread> workers;   // main thread only

    std::mutex mutex;
    int running = 0;
    FindSearchResult result;
};

FindSearch::FindSearch(Handler handler, QObject *parent)
    : QObject(parent)
    , handler_(std::move(handler)) {}

FindSearch::~FindSearch() {
    if (discarder_.joinable())
        discarder_.join();
    for (const auto &run : runs_) {
        run->cancelled.store(true);
        for (std::thread &worker : run->workers)
            worker.join();
    }
}

bool FindSearch::isSearching() const {
    return std::any_of(runs_.begin(), runs_.end(),
                       [this](const auto &run) { return run->generation == generation_; });
}

void FindSearch::cancel() {
    ++generation_;
    for (const auto &run : runs_)
        run->cancelled.store(true);
}

void FindSearch::discard(FindResultRows rows) {
    if (rows.isEmpty())
        return;
    if (discarder_.joinable())
        discarder_.join();
    discarder_ = std::thread([rows = std::move(rows)]() mutable { rows.clear(); });
}

quint64 FindSearch::start(const FindQuery &query, std::shared_ptr<const FindSnapshot> snapshot) {
    cancel();
    auto run = std::make_shared<Run>();
    run->generation = generation_;
    run->query = query;
    run->snapshot = std::move(snapshot);
    const qsizetype count =
        run->snapshot && query.pattern.canMatch() ? qsizetype(run->snapshot->contacts.size()) : 0;
    runs_.push_back(run);
    if (count == 0) {
        finish(run);
        return run->generation;
    }
    run->matcher.emplace(query, *run->snapshot);
    run->chunks.resize(size_t(FindWorkers::chunkCount(count)));
    // Counted before the first worker starts: the workers count down as they end.
    const int workers = FindWorkers::threadCount(count);
    run->running = workers;
    run->workers.reserve(size_t(workers));
    for (int i = 0; i < workers; ++i)
        run->workers.emplace_back([run, this] { work(run, this); });
    return run->generation;
}

void FindSearch::work(const std::shared_ptr<Run> &run, FindSearch *search) {
    FindPattern pattern = run->query.pattern;
    pattern.setCancelFlag(&run->cancelled);
    FindWorkers::claimChunks(run->nextChunk, qsizetype(run->snapshot->contacts.size()),
                             [&](qsizetype begin, qsizetype end) {
                                 FindResultRows &rows = run->chunks[size_t(begin / FindWorkers::chunkSize)];
                                 for (qsizetype i = begin; i < end; ++i) {
                                     if (run->cancelled.load(std::memory_order_relaxed))
                                         return false;
                                     rows.append(run->matcher->searchString(pattern, i));
                                 }
                                 return true;
                             });
    const std::lock_guard lock(run->mutex);
    if (--run->running > 0)
        return;
    if (!run->cancelled.load()) {
        qsizetype total = 0;
        for (const FindResultRows &rows : run->chunks)
            total += rows.size();
        FindSearchResult &result = run->result;
        result.rows.reserve(total);
        for (FindResultRows &rows : run->chunks) {
            for (qsizetype i = 0; i < rows.size(); ++i)
                if (rows[i]->lines > 1)
                    result.tallRows.append(result.rows.size() + i);
            result.rows.append(std::move(rows));
        }
    }
    run->chunks.clear();
    search->finish(run);
}

// The search object outlives every worker (its destructor waits for them), so the post
// reaches it.
void FindSearch::finish(const std::shared_ptr<Run> &run) {
    {
        const std::lock_guard lock(finishedLock_);
        finished_.push_back(run);
    }
    QMetaObject::invokeMethod(this, "runsDidFinish", Qt::QueuedConnection);
}

void FindSearch::runsDidFinish() {
    std::vector<std::shared_ptr<Run>> finished;
    {
        const std::lock_guard lock(finishedLock_);
        finished.swap(finished_);
    }
    for (const auto &run : finished)
        deliver(run);
}

void FindSearch::deliver(const std::shared_ptr<Run> &run) {
    FindSearchResult result;
    {
        const std::lock_guard lock(run->mutex);
        result = std::move(run->result);
    }
    for (std::thread &worker : run->workers)
        worker.join();
    runs_.erase(std::remove(runs_.begin(), runs_.end(), run), runs_.end());
    if (run->generation != generation_)
        return;
    handler_(run->generation, std::move(result));
}
