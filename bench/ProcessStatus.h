#pragma once

// The process's memory as the kernel counts it, for the benchmarks' counters.
#include <QByteArray>
#include <QFile>

// Megabytes of a line of /proc/self/status ("VmRSS:", "VmHWM:"); 0 where unknown.
inline double statusMegabytes(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Starts the peak resident size ("VmHWM:") again from the current one, so that a peak read
// afterwards is the measured work's own; false where the kernel does not allow it.
inline bool resetPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}
