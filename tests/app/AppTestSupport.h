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

// Files Open and Import must refuse before reading a byte, each with what its error says:
// a FIFO (opening it waited for a writer), a link to /dev/zero (read without end), a folder,
// a link loop (once "no such file") and a file over the size cap (sparse).
struct SpecialFile {
    QString path;
    QString says;
};
inline QList<SpecialFile> makeSpecialFiles(const QString &suffix) {
    const QString folder = testScratchDirectory() + QStringLiteral("/special-") + suffix;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder + QStringLiteral("/x.") + suffix);
    const auto path = [&](const char *name) { return folder + u'/' + QString::fromLatin1(name) + u'.' + suffix; };
    ::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600);
    QFile::link(QStringLiteral("/dev/zero"), path("devzero"));
    QFile::link(path("loop-b"), path("loop-a"));
    QFile::link(path("loop-a"), path("loop-b"));
    QFile huge(path("huge"));
    if (huge.open(QIODevice::WriteOnly))
        huge.resize(qint64(2) * 1024 * 1024 * 1024 + 1);
    const QString notRegular = QStringLiteral("” couldn’t be opened because it isn’t a regular file.");
    return {{path("fifo"), notRegular},
            {path("devzero"), notRegular},
            {path("x"), notRegular},
            {path("loop-a"), QStringLiteral("” couldn’t be opened because it is a link that leads back to itself.")},
            {path("huge"), QStringLiteral("” couldn’t be opened because it is too large.")}};
}
