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

void useFreshUserDefaults() {
    const QString file = testScratchDirectory() + QStringLiteral("/defaults-") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".conf");
    UserDefaults::setStorageFile(file);
}
