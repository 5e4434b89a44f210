#include "find/FindWorkers.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace FindWorkers {

int threadCount(qsizetype count) {
    const qsizetype cores = std::clamp<qsizetype>(std::thread::hardware_concurrency(), 1, 8);
    return int(std::clamp<qsizetype>(chunkCount(count), 1, cores));
}

void claimChunks(std::atomic<qsizetype> &next, qsizetype count,
                 const std::function<bool(qsizetype begin, qsizetype end)> &work) {
    for (;;) {
        const qsizetype chunk = next.fetch_add(1);
        const qsizetype begin = chunk * chunkSize;
        if (begin >= count || !work(begin, std::min(begin + chunkSize, count)))
            return;
    }
}

void forEachChunk(qsizetype count, const std::function<void(qsizetype begin, qsizetype end)> &work) {
    if (count <= 0)
        return;
    std::atomic<qsizetype> next{0};
    const auto claim = [&] {
        claimChunks(next, count, [&](qsizetype begin, qsizetype end) {
            work(begin, end);
            return true;
        });
    };
    std::vector<std::thread> workers;
    for (int i = 0; i < threadCount(count); ++i)
        workers.emplace_back(claim);
    for (std::thread &worker : workers)
        worker.join();
}

} // namespace FindWorkers
