#include "platform/core/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <QUuid>

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

QString freshFile() {
    return testScratchDirectory() + QStringLiteral("/ud-") +
           QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".conf");
}

class UserDefaultsTest : public testing::Test {
protected:
    void SetUp() override { UserDefaults::setStorageFile(file); }
    void TearDown() override { useFreshUserDefaults(); }
    // Writes through one instance and reads through a new one on the same file, as a relaunch would.
    UserDefaults &relaunch() {
        UserDefaults::standard().synchronize();
        UserDefaults::setStorageFile(file);
        return UserDefaults::standard();
    }
    UserDefaults &defaults() { return UserDefaults::standard(); }
    const QString file = freshFile();
};

TEST_F(UserDefaultsTest, ValuesOfEveryKindSurviveARelaunch) {
    const QVariantMap nested{
        {QStringLiteral("Email"), QVariantMap{{QStringLiteral("type"), 2},
                                              {QStringLiteral("items"), QStringList{"label", "domain"}},
                                              {QStringLiteral("selected"), QStringLiteral("domain")}}},
        {QStringLiteral("Name"), QVariantMap{{QStringLiteral("selected"), QStringLiteral("compositeName")}}}};
    defaults().setObject(nested, QStringLiteral("map"));
    defaults().setObject(QVariantList{QStringLiteral("Name"), QStringLiteral("Phone")},
                         QStringLiteral("list"));
    defaults().setObject(QStringList{QStringLiteral("Name")}, QStringLiteral("one"));
    defaults().setDouble(13.5, QStringLiteral("double"));
    defaults().setBool(true, QStringLiteral("bool"));
    defaults().setInteger(42, QStringLiteral("removed"));
    defaults().removeObject(QStringLiteral("removed"));
    EXPECT_FALSE(defaults().object(QStringLiteral("removed")).isValid());

    UserDefaults &again = relaunch();
    EXPECT_EQ(again.dictionaryForKey(QStringLiteral("map")), nested);
    EXPECT_EQ(again.arrayForKey(QStringLiteral("list")),
              (QVariantList{QStringLiteral("Name"), QStringLiteral("Phone")}));
    EXPECT_EQ(again.arrayForKey(QStringLiteral("one")), QVariantList{QStringLiteral("Name")});
    EXPECT_DOUBLE_EQ(again.doubleForKey(QStringLiteral("double")), 13.5);
    EXPECT_TRUE(again.boolForKey(QStringLiteral("bool")));
    EXPECT_FALSE(again.object(QStringLiteral("removed")).isValid());
    EXPECT_EQ(again.integerForKey(QStringLiteral("removed")), 0);
    EXPECT_TRUE(again.stringForKey(QStringLiteral("removed")).isNull());
    EXPECT_TRUE(again.dictionaryForKey(QStringLiteral("removed")).isEmpty());
}

TEST_F(UserDefaultsTest, KeysWithBlanksSlashesAndBackslashesStayDistinct) {
    const QStringList keys{QStringLiteral("QMFontName My Contacts.vcf"),
                           QStringLiteral("QMFontName a/b.vcf"),
                           QStringLiteral("QMFontName a\\b.vcf"),
                           QStringLiteral("QMFontName a%2Fb.vcf"),
                           QStringLiteral("NSWindow Frame 連絡先/2024.vcf"),
                           QStringLiteral("QMFontName")};
    for (int i = 0; i < keys.size(); ++i)
        defaults().setObject(QStringLiteral("value %1").arg(i), keys[i]);

    UserDefaults &again = relaunch();
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(again.stringForKey(keys[i]), QStringLiteral("value %1").arg(i)) << keys[i].toStdString();
    QStringList stored = again.storedKeys();
    stored.sort();
    QStringList expected = keys;
    expected.sort();
    EXPECT_EQ(stored, expected);
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAnswerUntilAValueIsStoredAndAfterReset) {
    defaults().registerDefaults({{QStringLiteral("shown"), true}});
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("shown")));
    defaults().setBool(false, QStringLiteral("shown"));
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("shown")));
    defaults().setObject(QStringLiteral("x"), QStringLiteral("NSWindow Frame a.vcf"));

    defaults().resetAll();
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("shown")));
    EXPECT_FALSE(defaults().object(QStringLiteral("NSWindow Frame a.vcf")).isValid());
    EXPECT_TRUE(relaunch().storedKeys().isEmpty());
}

TEST_F(UserDefaultsTest, FirstUseFromSeveralThreadsMakesOneStore) {
    UserDefaults::setStorageFile(freshFile());
    std::vector<UserDefaults *> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&seen, i] {
            seen[i] = &UserDefaults::standard();
            seen[i]->object(QStringLiteral("ContactsSortOrder"));
        });
    for (auto &thread : threads)
        thread.join();
    for (UserDefaults *store : seen)
        EXPECT_EQ(store, seen[0]);
}

} // namespace
