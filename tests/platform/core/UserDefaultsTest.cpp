#include "platform/core/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <QUuid>

#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

QString freshFile() {
    return testScratchDirectory() + QStringLiteral("/ud-") + QUuid::createUuid().toString(QUuid::WithoutBraces) +
           QStringLiteral(".conf");
}

// Writes through one instance and reads through a new one on the same file, as a relaunch would.
UserDefaults &reopen(const QString &file) {
    UserDefaults::standard().synchronize();
    UserDefaults::setStorageFile(file);
    return UserDefaults::standard();
}

class UserDefaultsTest : public testing::Test {
protected:
    void SetUp() override {
        file = freshFile();
        UserDefaults::setStorageFile(file);
    }
    void TearDown() override { useFreshUserDefaults(); }
    QString file;
};

TEST_F(UserDefaultsTest, NestedMapsAndListsSurviveARelaunch) {
    QVariantMap sortOptions{
        {QStringLiteral("Email"), QVariantMap{{QStringLiteral("type"), 2},
                                              {QStringLiteral("items"), QStringList{"label", "domain"}},
                                              {QStringLiteral("selected"), QStringLiteral("domain")}}},
        {QStringLiteral("Name"), QVariantMap{{QStringLiteral("selected"), QStringLiteral("compositeName")}}}};
    UserDefaults::standard().setObject(sortOptions, QStringLiteral("QM1DsortOptionsDict"));
    UserDefaults::standard().setObject(QVariantList{QStringLiteral("Name"), QStringLiteral("Phone")},
                                       QStringLiteral("QM1DviewTypeDict"));
    UserDefaults::standard().setDouble(13.5, QStringLiteral("QM1DdefaultFontSize"));
    UserDefaults::standard().setBool(true, QStringLiteral("QM1DlastEditState"));

    UserDefaults &again = reopen(file);
    EXPECT_EQ(again.dictionaryForKey(QStringLiteral("QM1DsortOptionsDict")), sortOptions);
    EXPECT_EQ(again.arrayForKey(QStringLiteral("QM1DviewTypeDict")),
              (QVariantList{QStringLiteral("Name"), QStringLiteral("Phone")}));
    EXPECT_DOUBLE_EQ(again.doubleForKey(QStringLiteral("QM1DdefaultFontSize")), 13.5);
    EXPECT_TRUE(again.boolForKey(QStringLiteral("QM1DlastEditState")));
}

TEST_F(UserDefaultsTest, KeysWithBlanksSlashesAndBackslashesStayDistinct) {
    const QStringList keys{QStringLiteral("QMFontName My Contacts.vcf"), QStringLiteral("QMFontName a/b.vcf"),
                           QStringLiteral("QMFontName a\\b.vcf"), QStringLiteral("QMFontName a%2Fb.vcf"),
                           QStringLiteral("NSWindow Frame 連絡先/2024.vcf"), QStringLiteral("QMFontName")};
    for (int i = 0; i < keys.size(); ++i)
        UserDefaults::standard().setObject(QStringLiteral("value %1").arg(i), keys[i]);

    UserDefaults &again = reopen(file);
    for (int i = 0; i < keys.size(); ++i)
        EXPECT_EQ(again.stringForKey(keys[i]), QStringLiteral("value %1").arg(i)) << keys[i].toStdString();
    QStringList stored = again.storedKeys();
    stored.sort();
    QStringList expected = keys;
    expected.sort();
    EXPECT_EQ(stored, expected);
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAnswerUntilAValueIsStoredAndAfterReset) {
    UserDefaults &defaults = UserDefaults::standard();
    defaults.registerDefaults({{QStringLiteral("QM1DshowGroupView"), true}});
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("QM1DshowGroupView")));
    defaults.setBool(false, QStringLiteral("QM1DshowGroupView"));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("QM1DshowGroupView")));
    defaults.setObject(QStringLiteral("x"), QStringLiteral("NSWindow Frame a.vcf"));

    defaults.resetAll();
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("QM1DshowGroupView")));
    EXPECT_FALSE(defaults.object(QStringLiteral("NSWindow Frame a.vcf")).isValid());
    EXPECT_TRUE(reopen(file).storedKeys().isEmpty());
}

TEST_F(UserDefaultsTest, RemoveAndMissingKeys) {
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setInteger(42, QStringLiteral("k"));
    defaults.removeObject(QStringLiteral("k"));
    EXPECT_FALSE(defaults.object(QStringLiteral("k")).isValid());
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("k")), 0);
    EXPECT_TRUE(defaults.stringForKey(QStringLiteral("k")).isNull());
    EXPECT_TRUE(defaults.dictionaryForKey(QStringLiteral("k")).isEmpty());
}

TEST_F(UserDefaultsTest, OneElementListComesBackAsAList) {
    UserDefaults::standard().setObject(QStringList{QStringLiteral("Name")}, QStringLiteral("QM1DselectedLabels"));
    EXPECT_EQ(reopen(file).arrayForKey(QStringLiteral("QM1DselectedLabels")), QVariantList{QStringLiteral("Name")});
}

} // namespace

namespace {

TEST(UserDefaultsThreads, FirstUseFromSeveralThreadsMakesOneStore) {
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
    for (UserDefaults *defaults : seen)
        EXPECT_EQ(defaults, seen[0]);
    useFreshUserDefaults();
}

} // namespace
