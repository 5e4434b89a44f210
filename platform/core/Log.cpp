#include "platform/core/Log.h"

#include <QDebug>

void logError(const char *operation, const QString &message) {
    qWarning().noquote() << QStringLiteral("%1: %2").arg(QString::fromUtf8(operation), message);
}

void logRefusal() { qWarning().noquote() << QStringLiteral("ERROR"); }
