#include "platform/core/Memory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Closing several documents at once hands memory back from several pool threads; the
// first of those calls may be the process's first use of the C library's allocator
// (under a sanitizer, whose own allocator serves every malloc).
TEST(Memory, FreedMemoryIsReturnedFromSeveralThreadsAtOnce) {
    std::atomic<bool> go = false;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&go] {
            while (!go.load())
                std::this_thread::yield();
            Memory::returnFreedMemory();
        });
    go = true;
    for (std::thread &thread : threads)
        thread.join();

    std::vector<char> block(1 << 20, 'x');
    EXPECT_GT(Memory::residentBytes(), qint64(block.size()));
}

} // namespace
