#pragma once

#include <QByteArray>
#include <QString>

// Small tables, templates and images are compiled in (":/..."); large data files are
// installed in a data folder beside the executable, or where TESSARIN2_DATA_DIR says.
namespace Resources {

QByteArray read(const QString &resourcePath);
QString dataDirectory();
QString dataFile(const QString &name);

} // namespace Resources
