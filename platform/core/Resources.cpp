#include "platform/core/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace Resources {

QByteArray read(const QString &resourcePath) {
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString dataDirectory() {
    const QByteArray fromEnvironment = qgetenv("TESSARIN2_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    const QString beside = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {beside + QStringLiteral("/data"), beside + QStringLiteral("/../share/tessarin2")}) {
        if (QDir(candidate).exists())
            return QDir(candidate).canonicalPath();
    }
    return beside + QStringLiteral("/data");
}

QString dataFile(const QString &name) { return dataDirectory() + u'/' + name; }

} // namespace Resources
