#pragma once

#include "platform/core/TempFiles.h"
#include "platform/core/UserDefaults.h"

#include <QtGlobal>

#include <thread>

// What both fuzzers set up once, before the first input.
inline void setUpFuzzer() {
    qputenv("QT_LOGGING_RULES", "*.warning=false");
    UserDefaults::setStorageFile(TempFiles::path(QStringLiteral("fuzz-defaults.conf")));
    // The standard library takes other paths (shared_ptr's counts among them) once a
    // process has a second thread, and libFuzzer starts its own at a moment of its
    // choosing: one started now keeps the code each input covers the same on every run.
    std::thread([] {}).join();
}
