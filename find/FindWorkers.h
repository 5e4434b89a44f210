#pragma once

#include <QtGlobal>

#include <atomic>
#include <functional>

// The worker threads of the find window: standard threads of its own (the shared pool may be
// busy reading or writing files, and ThreadSanitizer sees the hand-overs of standard threads
// and locks). Work is cut into chunks of contacts that free workers claim in turn, so a slow
// worker holds up no one.
namespace FindWorkers {

constexpr qsizetype chunkSize = 256;

inline qsizetype chunkCount(qsizetype count) {
    return (count + chunkSize - 1) / chunkSize;
}
// How many workers a job over `count` contacts gets: one per core, at most eight, never more
// than there are chunks.
int threadCount(qsizetype count);
// Claims chunk after chunk of [0, count) and hands each to `work` (begin, end) until none is
// left or `work` answers false.
void claimChunks(std::atomic<qsizetype> &next, qsizetype count,
                 const std::function<bool(qsizetype begin, qsizetype end)> &work);
// Runs `work` over every chunk of [0, count) on workers while the calling thread waits.
void forEachChunk(qsizetype count, const std::function<void(qsizetype begin, qsizetype end)> &work);

} // namespace FindWorkers
