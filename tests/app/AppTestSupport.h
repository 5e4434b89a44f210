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

// Files with a card that has no END:VCARD, which is kept as read, and the notice Open and
// Import show for each: the sample cut inside a phone line of its third card, and a card in
// the middle of a file, which the next BEGIN:VCARD ends.
struct IncompleteCardFile {
    QString name;
    QByteArray content;
    QStringList cards;  // the names shown, in file order
    QString noticeText; // the notice's title and text, joined by " | "
};

inline QList<IncompleteCardFile> incompleteCardFiles() {
    QFile sample(QStringLiteral(":/samples/Sample.vcf"));
    sample.open(QIODevice::ReadOnly);
    const QByteArray whole = sample.readAll();
    const QByteArray cut = whole.left(whole.indexOf("090-1202-3414") + 4);
    const QByteArray poe = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Poe;Ada;;;\r\nEND:VCARD\r\n";
    const QByteArray roe = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Bo;;;\r\nTEL:1\r\n";
    const QByteArray dee = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dee;Cy;;;\r\nEND:VCARD\r\n";
    return {{QStringLiteral("cut.vcf"), cut, {"Hiroshi Tanaka", "山田 太郎", "佐藤 花子"},
             QStringLiteral("Some cards of “cut.vcf” may be incomplete. | 1 card has no END:VCARD and may be "
                            "incomplete; it was kept as it was read: “佐藤 花子”.")},
            {QStringLiteral("middle.vcf"), poe + roe + dee, {"Ada Poe", "Bo Roe", "Cy Dee"},
             QStringLiteral("Some cards of “middle.vcf” may be incomplete. | 1 card has no END:VCARD and may be "
                            "incomplete; it was kept as it was read: “Bo Roe”.")}};
}
