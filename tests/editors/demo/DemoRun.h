#pragma once

#include "platform/core/UserDefaults.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// What a demo run sets up: the folder named by --screenshot-dir (else the current one) for
// its pictures, and preferences of its own that go with the run.
class DemoRun {
public:
    explicit DemoRun(const QStringList &arguments) {
        const qsizetype option = arguments.indexOf(QStringLiteral("--screenshot-dir"));
        directory = option >= 0 ? arguments.value(option + 1) : QDir::currentPath();
        UserDefaults::setStorageFile(preferences_.filePath(QStringLiteral("prefs.ini")));
    }
    QString directory;

private:
    QTemporaryDir preferences_;
};
