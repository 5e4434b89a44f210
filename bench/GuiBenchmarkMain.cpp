// The main of benchmarks that need widgets: an application, headless unless a display is
// asked for, with preferences of its own (the user's are never read or written), and the
// heap tuned as the program tunes it.
#include "platform/core/Memory.h"
#include "platform/core/UserDefaults.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Memory::tuneForLargeDocuments();
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    QTemporaryDir preferences;
    UserDefaults::setStorageFile(preferences.filePath(QStringLiteral("prefs.ini")));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
