#pragma once

#include <QString>
#include <QStringList>

// Every user-visible text goes through L() with its English text as the id: the
// English comes back when no catalogue is loaded. "lupdate" collects these ids.
QString L(const char *english);

// Loads the catalogue for the user's preferred language, if one is installed.
void loadLocalizedStrings(const QString &translationsFolder);

// The user's preferred languages, most preferred first, one entry per language ("ja",
// "en-US"): the stored "AppleLanguages" when set, else LANGUAGE, else the locale variables,
// else Qt's list for the system locale.
QStringList preferredLanguages();
// "en_US.UTF-8", "en-Latn-US" and "en" name one language: the first form of each is kept,
// written with "-" and without charset or modifier; "C" and "POSIX" are English.
QStringList oneEntryPerLanguage(const QStringList &tags);
