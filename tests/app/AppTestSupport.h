#pragma once

#include "app/reading/EncodingAccessory.h"
#include "platform/core/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStandardItemModel>

#include <ostream>

#include <sys/stat.h>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

// The popup as the user reads it, a separator as "---".
inline QStringList popupTitles(QComboBox *popup) {
    QStringList titles;
    for (int i = 0; i < popup->count(); ++i) {
        const bool separator =
            popup->itemData(i, Qt::AccessibleDescriptionRole).toString() == QLatin1String("separator");
        titles.append(separator ? QStringLiteral("---") : popup->itemText(i));
    }
    return titles;
}

// Preferences as on a first launch for a user of these languages.
inline void firstLaunchWithLanguages(const QStringList &languages) {
    UserDefaults::standard().resetAll();
    UserDefaults::standard().setObject(languages, QStringLiteral("AppleLanguages"));
}

inline QString writeTestFile(const QString &name, const QByteArray &content) {
    const QString path = testScratchDirectory() + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    return path;
}

// Files Open and Import must refuse before reading a byte, with the reason their error gives:
// a FIFO (opening it waited for a writer), a link to /dev/zero (read without end), a folder and a
// link loop (once "no such file").
inline QList<std::pair<QString, QString>> makeSpecialFiles() {
    const QString folder = testScratchDirectory() + QStringLiteral("/special");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/x.vcf"));
    ::mkfifo(QFile::encodeName(folder + QStringLiteral("/fifo.vcf")).constData(), 0600);
    QFile::link(QStringLiteral("/dev/zero"), folder + QStringLiteral("/devzero.vcf"));
    QFile::link(folder + QStringLiteral("/loop.vcf"), folder + QStringLiteral("/loop.vcf"));
    const QString notRegular = QStringLiteral("because it isn’t a regular file.");
    return {{folder + QStringLiteral("/fifo.vcf"), notRegular},
            {folder + QStringLiteral("/devzero.vcf"), notRegular},
            {folder + QStringLiteral("/x.vcf"), notRegular},
            {folder + QStringLiteral("/loop.vcf"),
             QStringLiteral("because it is a link that leads back to itself.")}};
}
