#pragma once

#include "app/reading/EncodingAccessory.h"
#include "platform/core/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QStandardItemModel>

#include <ostream>

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
