#include "platform/core/Localization.h"

#include "platform/core/UserDefaults.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

QString L(const char *english) {
    return qtTrId(english);
}

void loadLocalizedStrings(const QString &translationsFolder) {
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), QStringLiteral("tessarin2"), QStringLiteral("_"), translationsFolder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

QStringList oneEntryPerLanguage(const QStringList &tags) {
    QStringList entries;
    QStringList languages;
    for (QString tag : tags) {
        tag = tag.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0).trimmed();
        tag.replace(QLatin1Char('_'), QLatin1Char('-'));
        if (tag == QLatin1String("C") || tag == QLatin1String("POSIX"))
            tag = QStringLiteral("en");
        const QString language = tag.section(QLatin1Char('-'), 0, 0).toLower();
        if (language.isEmpty() || languages.contains(language))
            continue;
        languages.append(language);
        entries.append(tag);
    }
    return entries;
}

QStringList preferredLanguages() {
    const QVariant stored = UserDefaults::standard().object(QStringLiteral("AppleLanguages"));
    if (stored.isValid())
        return stored.toStringList();
    // LANGUAGE lists the user's languages in order; the locale variables name one.
    QStringList tags = qEnvironmentVariable("LANGUAGE").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) {
            tags.append(value);
            break;
        }
    }
    if (tags.isEmpty())
        tags = QLocale::system().uiLanguages();
    return oneEntryPerLanguage(tags);
}
