#include "platform/core/TempFiles.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

namespace TempFiles {

QString directory() {
    // Destroyed at exit, which removes the folder and what is in it.
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tessarin2-XXXXXX"));
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return dir;
    }();
    return folder->path();
}

QString path(const QString &fileName) { return directory() + u'/' + fileName; }

QString writeAtomically(const QString &fileName, const QByteArray &data, QString *error) {
    const QString target = path(fileName);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return {};
    }
    return target;
}

QString writeInNewFolder(const QString &fileName, const QByteArray &data, QString *error) {
    static std::atomic<quint64> folders{0};
    QDir dir(directory());
    const QString folder = QStringLiteral("%1").arg(++folders);
    if (!dir.mkpath(folder) ||
        !QFile::setPermissions(dir.filePath(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        if (error)
            *error = QStringLiteral("Cannot make a temporary folder.");
        return {};
    }
    return writeAtomically(folder + u'/' + fileName, data, error);
}

} // namespace TempFiles
