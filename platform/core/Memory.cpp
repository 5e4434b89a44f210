#include "platform/core/Memory.h"

#include <QFile>
#include <QList>

#include <unistd.h>

#include <atomic>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

// Under a sanitizer its own allocator serves every malloc: the C library's heap is unused,
// and its first use sets it up without a lock, so two threads trimming at once crashed.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TESSARIN_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define TESSARIN_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__GLIBC__) && !defined(TESSARIN_OWN_ALLOCATOR)
#define TESSARIN_TUNE_GLIBC 1
#endif

namespace Memory {

namespace {
// The pad is kept on top of each growth and trimmed only above it: 64 MiB turns the
// thousands of small growths of a 100,000-card read into a few.
constexpr int largePad = 64 * 1024 * 1024;
// The C library's own limit of the small-chunk lists.
constexpr int defaultMaxFast = 64 * int(sizeof(size_t)) / 4;
std::atomic<bool> tuned = false;
} // namespace

void tuneForLargeDocuments() {
#if defined(TESSARIN_TUNE_GLIBC)
    mallopt(M_TOP_PAD, largePad);
    tuned = true;
#endif
}

void releasingRecords() {
#if defined(TESSARIN_TUNE_GLIBC)
    // The reading threads' heaps shrink only while chunks are freed into them, and only when
    // the freed chunks join their top: malloc_trim leaves those tops alone. Without the pad
    // and the small-chunk lists the freed records join the tops and leave with them; with
    // them, each such heap kept tens of megabytes after a close.
    mallopt(M_TOP_PAD, 0);
    mallopt(M_MXFAST, 0);
#endif
}

void returnFreedMemory() {
#if defined(TESSARIN_TUNE_GLIBC)
    malloc_trim(0);
    mallopt(M_MXFAST, defaultMaxFast);
    if (tuned)
        mallopt(M_TOP_PAD, largePad);
#endif
}

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * qint64(sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace Memory
