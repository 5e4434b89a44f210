#pragma once

#include <QByteArray>
#include <QString>

// Every temporary file lives in one folder private to this process (mode 0700,
// removed at exit), under the fixed names callers give it, so two users or two
// running copies never share or hijack a file.
namespace TempFiles {

QString directory();
QString path(const QString &fileName);
// Writes the file whole or not at all; answers its path, or an empty text with *error set.
QString writeAtomically(const QString &fileName, const QByteArray &data, QString *error = nullptr);

} // namespace TempFiles
