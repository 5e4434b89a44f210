#pragma once

#include "platform/core/TextEncoding.h"
#include "tests/support/TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// Bytes that carry the JPEG signature, which is all the writer looks at.
inline QByteArray fakeJpeg(int size) {
    QByteArray bytes("\xFF\xD8\xFF\xE0");
    for (int i = bytes.size(); i < size; ++i)
        bytes.append(char(i * 7));
    return bytes.left(size);
}

inline QString vCardText(const QString &family, const QString &extra = {}) {
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:%1;;;;\r\nFN:%1\r\n%2END:VCARD\r\n")
        .arg(family, extra);
}

// Every shared vCard file of other programs (or, with `hazards`, every file that once lost
// or doubled a value): its name and its text.
inline QList<std::pair<QString, QString>> sharedVCardFiles(bool hazards = false) {
    QList<std::pair<QString, QString>> files;
    QDirIterator paths(QStringLiteral(TESSARIN_VCARD_TESTDATA) +
                           (hazards ? QStringLiteral("/../hazards") : QString()),
                       {QStringLiteral("*.vcf")}, QDir::Files, QDirIterator::Subdirectories);
    while (paths.hasNext()) {
        const QString path = paths.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        const auto decoded =
            path.contains(QStringLiteral("v21_japanese_"))
                ? TextEncoding::decode(
                      bytes, TextEncoding::findByName(QStringLiteral("Japanese (Shift JIS)"))->constant)
                : TextEncoding::decodeAutomatically(bytes);
        EXPECT_TRUE(decoded.ok) << path.toStdString();
        files.append({QFileInfo(path).fileName(), decoded.text});
    }
    return files;
}

inline QStringList sharedVCardTexts() {
    QStringList texts;
    for (const auto &[name, text] : sharedVCardFiles())
        texts.append(text);
    return texts;
}

// What Python's own readers make of a file we wrote ("vcard": python3-vobject, "csv": the
// csv module), as JSON.
inline QJsonDocument readWithPython(const QString &kind, const QByteArray &data) {
    const QString path = testScratchDirectory() + QStringLiteral("/python-input.") + kind;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return {};
    file.close();
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TESSARIN_MODEL_TEST_DIR "/read_with_python.py"), kind, path});
    if (!python.waitForFinished(60000)) {
        ADD_FAILURE() << "python3 did not finish";
        return {};
    }
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput());
}
