#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

TEST(PreferredLanguages, OneEntryPerLanguageInTheUsersOrder) {
    // Qt's list for one configured language, and the locale variables' forms.
    EXPECT_EQ(oneEntryPerLanguage({"en-US", "en-Latn-US", "en", "ja-JP", "ja-Jpan-JP", "ja"}),
              QStringList({"en-US", "ja-JP"}));
    EXPECT_EQ(oneEntryPerLanguage({"ja", "en_US.UTF-8", "de_DE@euro", "C"}),
              QStringList({"ja", "en-US", "de-DE"}));
    EXPECT_EQ(oneEntryPerLanguage({"POSIX", "", "ja"}), QStringList({"en", "ja"}));
}

TEST(PreferredLanguages, TheStoredListWinsOverTheEnvironment) {
    UserDefaults::standard().setObject(QStringList{"ja", "en"}, QStringLiteral("AppleLanguages"));
    EXPECT_EQ(preferredLanguages(), QStringList({"ja", "en"}));
    UserDefaults::standard().removeObject(QStringLiteral("AppleLanguages"));
    EXPECT_FALSE(preferredLanguages().isEmpty());
}

} // namespace
