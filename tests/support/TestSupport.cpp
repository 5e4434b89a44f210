#include "tests/support/TestSupport.h"

#include "platform/core/TempFiles.h"
#include "platform/core/UserDefaults.h"

#include <QDir>
#include <QUuid>

QString testScratchDirectory() {
    const QString dir = TempFiles::directory() + QStringLiteral("/scratch");
    QDir().mkpath(dir);
    return dir;
}

namespace {
QString &freshUserDefaultsFile() {
    static QString file;
    return file;
}
} // namespace

void useFreshUserDefaults() {
    freshUserDefaultsFile() = testScratchDirectory() + QStringLiteral("/defaults-") +
                              QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".conf");
    UserDefaults::setStorageFile(freshUserDefaultsFile());
}

QString userDefaultsFile() {
    return freshUserDefaultsFile();
}
