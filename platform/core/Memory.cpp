#include "platform/core/Memory.h"

#include <QFile>
#include <QList>

#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Memory {

void tuneForLargeDocuments() {
#if defined(__GLIBC__)
    // The pad is kept on top of each growth and trimmed only above it: 64 MiB turns the
    // thousands of small growths of a 100,000-card read into a few.
    mallopt(M_TOP_PAD, 64 * 1024 * 1024);
#endif
}

void returnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
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
