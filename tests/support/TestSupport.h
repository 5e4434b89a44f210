#pragma once

#include <QString>

// Each test process works in its own scratch folder and preference file.
QString testScratchDirectory();
void useFreshUserDefaults();
// The preference file the last useFreshUserDefaults chose.
QString userDefaultsFile();
