#include "platform/core/UserDefaults.h"
#include "state/SharedSettings.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class SharedSettingsTest : public testing::Test {
protected:
    void SetUp() override { UserDefaults::standard().resetAll(); }
    UserDefaults &defaults = UserDefaults::standard();
};

TEST_F(SharedSettingsTest, PreferencesStoredByEarlierRunsAreRead) {
    defaults.setObject(QStringLiteral("Phone"), QStringLiteral("QM1DselectedViewType"));
    defaults.setObject(QVariantMap{{QStringLiteral("Phone"), QStringList{QStringLiteral("Name"), QStringLiteral("Phone")}}},
                       QStringLiteral("QM1DviewTypeDict"));
    defaults.setObject(QStringList{QStringLiteral("home")}, QStringLiteral("QM1DselectedLabels"));
    defaults.setObject(QVariantMap{{QStringLiteral("Email"),
                                    QVariantMap{{QStringLiteral("type"), QStringLiteral("Email")},
                                                {QStringLiteral("items"), QStringList{QStringLiteral("Email"),
                                                                                      QStringLiteral("domain")}},
                                                {QStringLiteral("selected"), QStringLiteral("domain")}}}},
                       QStringLiteral("QM1DsortOptionsDict"));
    defaults.setObject(QVariantMap{{QStringLiteral("key"), QStringLiteral("Phone")}, {QStringLiteral("ascending"), false}},
                       QStringLiteral("QM1DlastSortDesc"));
    defaults.setObject(QVariantMap{{QStringLiteral("Name"), 150.0}}, QStringLiteral("QM1DcolumnWidthDictionary"));

    const SharedSettings settings;
    EXPECT_EQ(settings.selectedViewType(), QStringLiteral("Phone"));
    EXPECT_EQ(settings.columnsOfViewType(QStringLiteral("Phone")), (QStringList{QStringLiteral("Name"), QStringLiteral("Phone")}));
    EXPECT_FALSE(settings.labelPasses(QStringLiteral("work")));
    EXPECT_TRUE(settings.labelPasses(QStringLiteral("home")));
    EXPECT_EQ(settings.sortOptionsDict().value(QStringLiteral("Email")).selected, QStringLiteral("domain"));
    EXPECT_EQ(settings.lastSortDesc(), (SortDescriptor{QStringLiteral("Phone"), false, false}));
    EXPECT_EQ(settings.columnWidthDictionary()->value(QStringLiteral("Name")), 150.0);
}

TEST_F(SharedSettingsTest, AFirstLaunchStoresTheFactoryChoicesAndChangesAreSignalledOnce) {
    SharedSettings settings;
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("QM1DselectedViewType")), QStringLiteral("Email"));
    EXPECT_EQ(defaults.object(QStringLiteral("QM1DselectedLabels")).toStringList(), QStringList{QStringLiteral("All")});
    EXPECT_EQ(defaults.dictionaryForKey(QStringLiteral("QM1DviewTypeDict")), ViewTypes::aViewTypeDict());

    QSignalSpy labels(&settings, &SharedSettings::selectedLabelsChanged);
    settings.setSelectedLabels({QStringLiteral("work")});
    settings.setSelectedLabels({QStringLiteral("work")});
    EXPECT_EQ(labels.count(), 1);
    EXPECT_EQ(defaults.object(QStringLiteral("QM1DselectedLabels")).toStringList(), QStringList{QStringLiteral("work")});

    // The reset chord: every value read again and every observer told.
    defaults.resetAll();
    QSignalSpy viewType(&settings, &SharedSettings::selectedViewTypeChanged);
    settings.reload();
    EXPECT_EQ(settings.selectedLabels(), QStringList{QStringLiteral("All")});
    EXPECT_EQ(labels.count(), 2);
    EXPECT_EQ(viewType.count(), 1);
}

TEST_F(SharedSettingsTest, TheWindowsShareOneObjectWhileAnyHoldsIt) {
    std::shared_ptr<SharedSettings> first = SharedSettings::shared();
    EXPECT_EQ(SharedSettings::shared(), first);
    first->setSelectedViewType(QStringLiteral("Phone"));
    first.reset();
    defaults.setObject(QStringLiteral("URL"), QStringLiteral("QM1DselectedViewType"));
    EXPECT_EQ(SharedSettings::shared()->selectedViewType(), QStringLiteral("URL"));
}

} // namespace
