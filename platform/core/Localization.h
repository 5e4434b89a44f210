#pragma once

#include <QString>

// Every user-visible text goes through L() with its English text as the id: the
// English comes back when no catalogue is loaded. "lupdate" collects these ids.
QString L(const char *english);

// Loads the catalogue for the user's preferred language, if one is installed.
void loadLocalizedStrings(const QString &translationsFolder);
