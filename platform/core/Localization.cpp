#include "platform/core/Localization.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

QString L(const char *english) { return qtTrId(english); }

void loadLocalizedStrings(const QString &translationsFolder) {
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(), QStringLiteral("tessarin2"), QStringLiteral("_"), translationsFolder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
