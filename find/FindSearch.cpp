#include "find/FindSearch.h"

#include "find/FindWorkers.h"
#include "platform/core/Dispatch.h"

#include <algorithm>
#include <mutex>
#include <thread>

// One search: its inputs, the rows of each chunk of contacts, and its workers. The last
// worker to finish joins the chunks in order and posts the run back; the lock makes every
// worker's rows visible to it and the joined rows to the main thread.
struct FindSearch::Run {
    quint64 generation = 0;
    FindQuery query;
    std::shared_ptr<const FindSnapshot> snapshot;
    std::atomic<bool> cancelled{false};
    std::atomic<qsizetype> nextChunk{0};
    std::vector<FindResultRows> chunks; // each written by the worker that claimed it
    std::vector<std::thread> workers;   // main thread only

    std::mutex mutex;
    int running = 0;
    FindResultRows rows;
};

FindSearch::FindSearch(Handler handler, QObject *parent)
    : QObject(parent)
    , handler_(std::move(handler)) {}

FindSearch::~FindSearch() {
    for (const auto &run : runs_) {
        run->cancelled.store(true);
        for (std::thread &worker : run->workers)
            worker.join();
    }
}

bool FindSearch::isSearching() const {
    return std::any_of(runs_.begin(), runs_.end(), [this](const auto &run) {
        return run->generation == generation_;
    });
}

void FindSearch::cancel() {
    ++generation_;
    for (const auto &run : runs_)
        run->cancelled.store(true);
}

quint64 FindSearch::start(const FindQuery &query, std::shared_ptr<const FindSnapshot> snapshot) {
    cancel();
    auto run = std::make_shared<Run>();
    run->generation = generation_;
    run->query = query;
    run->snapshot = std::move(snapshot);
    const qsizetype count = run->snapshot && query.pattern.canMatch() ? qsizetype(run->snapshot->contacts.size()) : 0;
    runs_.push_back(run);
    if (count == 0) {
        Dispatch::main([this, run] { deliver(run); }, this);
        return run->generation;
    }
    run->chunks.resize(size_t(FindWorkers::chunkCount(count)));
    run->running = FindWorkers::threadCount(count);
    run->workers.reserve(size_t(run->running));
    for (int i = 0; i < run->running; ++i)
        run->workers.emplace_back([run, this] { work(run, this); });
    return run->generation;
}

void FindSearch::work(const std::shared_ptr<Run> &run, FindSearch *search) {
    FindPattern pattern = run->query.pattern;
    pattern.setCancelFlag(&run->cancelled);
    const auto &contacts = run->snapshot->contacts;
    FindWorkers::claimChunks(run->nextChunk, qsizetype(contacts.size()), [&](qsizetype begin, qsizetype end) {
        FindResultRows &rows = run->chunks[size_t(begin / FindWorkers::chunkSize)];
        for (qsizetype i = begin; i < end; ++i) {
            if (run->cancelled.load(std::memory_order_relaxed))
                return false;
            rows.append(FindMatcher::searchString(pattern, *contacts[size_t(i)], i, run->query.items,
                                                  run->query.subItems, run->query.labels));
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
        run->rows.reserve(total);
        for (FindResultRows &rows : run->chunks)
            run->rows.append(std::move(rows));
    }
    run->chunks.clear();
    // The window outlives no worker (its destructor waits for them), so the post reaches it.
    Dispatch::main([search, run] { search->deliver(run); }, search);
}

void FindSearch::deliver(const std::shared_ptr<Run> &run) {
    FindResultRows rows;
    {
        const std::lock_guard lock(run->mutex);
        rows = std::move(run->rows);
    }
    for (std::thread &worker : run->workers)
        worker.join();
    runs_.erase(std::remove(runs_.begin(), runs_.end(), run), runs_.end());
    if (run->generation != generation_)
        return;
    handler_(run->generation, std::move(rows));
}
