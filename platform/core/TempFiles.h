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
// The same in a folder of its own inside the private folder, so that a file handed to
// another program (a copied or dragged file) keeps its name and is never replaced by the
// next one written under that name.
QString writeInNewFolder(const QString &fileName, const QByteArray &data, QString *error = nullptr);

} // namespace TempFiles
