#include "tests/platform/ui/UiTestSupport.h"

#include "platform/ui/FontManager.h"
#include "platform/ui/Workspace.h"

#include <QFontDialog>
#include <QSplitter>

#include <gtest/gtest.h>

namespace {

class Pane : public ViewController {
public:
    explicit Pane(QStringList *log, QString name)
        : log_(log)
        , name_(std::move(name)) {}
    void viewDidLoad() override { log_->append(name_ + QStringLiteral(" load")); }
    void viewWillAppear() override { log_->append(name_ + QStringLiteral(" appear")); }
    void viewWillDisappear() override { log_->append(name_ + QStringLiteral(" disappear")); }

private:
    QStringList *log_;
    QString name_;
};

TEST(SplitView, PanesCollapseAndComeBackAtTheirThicknessWithinTheirLimits) {
    SplitViewController::setAnimationsEnabled(false);
    QStringList log;
    WindowController controller;
    auto *split = new SplitViewController;
    auto *groups = new Pane(&log, QStringLiteral("groups"));
    auto *contacts = new Pane(&log, QStringLiteral("contacts"));
    auto *info = new Pane(&log, QStringLiteral("info"));
    SplitViewItem *groupItem = split->addSplitViewItem(groups);
    split->addSplitViewItem(contacts);
    SplitViewItem *infoItem = split->addSplitViewItem(info);
    groupItem->setMinimumThickness(120);
    groupItem->setMaximumThickness(300);
    controller.setContentViewController(split);
    controller.window()->resize(1000, 600);
    split->splitView()->setSizes({200, 500, 300});
    ASSERT_TRUE(showActive(controller.window()));
    log.sort();
    EXPECT_EQ(log, (QStringList{"contacts appear", "contacts load", "groups appear", "groups load",
                                "info appear", "info load"}));

    log.clear();
    infoItem->setCollapsed(true);
    EXPECT_TRUE(infoItem->isCollapsed());
    EXPECT_FALSE(info->view()->isVisible());
    EXPECT_EQ(log, QStringList{"info disappear"});
    const int infoWidthBefore = 300;
    infoItem->setCollapsed(false);
    EXPECT_TRUE(info->view()->isVisible());
    EXPECT_NEAR(info->view()->width(), infoWidthBefore, 10);

    EXPECT_LE(groups->view()->width(), 300);
    EXPECT_GE(groups->view()->width(), 120);
    EXPECT_EQ(split->splitViewItemForViewController(contacts), split->splitViewItems()[1]);
    EXPECT_EQ(groups->parentViewController(), split);
    EXPECT_EQ(groups->windowController(), &controller);
}

TEST(SplitView, AnAnimatedCollapseEndsCollapsed) {
    SplitViewController::setAnimationsEnabled(true);
    QStringList log;
    WindowController controller;
    auto *split = new SplitViewController;
    split->addSplitViewItem(new Pane(&log, QStringLiteral("a")));
    SplitViewItem *side = split->addSplitViewItem(new Pane(&log, QStringLiteral("b")));
    controller.setContentViewController(split);
    controller.window()->resize(800, 400);
    ASSERT_TRUE(showActive(controller.window()));
    side->setCollapsed(true, true);
    EXPECT_TRUE(side->isCollapsed());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !side->viewController()->view()->isVisible(); }, 2000));
    side->setCollapsed(false, true);
    EXPECT_TRUE(side->viewController()->view()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return side->viewController()->view()->width() > 100; }, 2000));
    SplitViewController::setAnimationsEnabled(false);
}

class FontTarget : public ViewController {
public:
    FontTarget() {
        registerAction(QStringLiteral("changeFont:"), [this](QObject *sender) {
            received.append(static_cast<FontManager *>(sender)->convertFont(font).family());
        });
    }
    QFont font;
    QStringList received;
};

TEST(FontManager, TheKeyWindowsContentReceivesThePanelsFont) {
    WindowController controller;
    auto *target = new FontTarget;
    controller.setContentViewController(target);
    ASSERT_TRUE(showActive(controller.window()));
    EXPECT_EQ(FontManager::shared().target(), target);

    QFont chosen(QStringLiteral("DejaVu Serif"), 15);
    FontManager::shared().setSelectedFont(chosen);
    EXPECT_TRUE(target->received.isEmpty()); // showing a font sends nothing
    ActionRouter::sendAction(QStringLiteral("orderFrontFontPanel:"), nullptr, controller.window());
    QFontDialog *panel = FontManager::shared().fontPanel(false);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->isModal());
    FontManager::shared().choose(QFont(QStringLiteral("DejaVu Sans"), 12));
    EXPECT_EQ(target->received, QStringList{"DejaVu Sans"});
    panel->close();
}

TEST(Workspace, MapSearchesUseGeoWhenHandledAndTheWebMapOtherwise) {
    RecordingUrlOpener opener;
    EXPECT_TRUE(Workspace::openMapSearch(QStringLiteral("1-2-3 Chiyoda, Tokyo")));
    opener.handledSchemes.append(QStringLiteral("geo"));
    EXPECT_TRUE(Workspace::openMapSearch(QStringLiteral("1-2-3 Chiyoda, Tokyo")));
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(opener.opened[0].toString(QUrl::FullyEncoded),
              QStringLiteral("https://www.google.com/maps/search/1-2-3%20Chiyoda%2C%20Tokyo"));
    EXPECT_EQ(opener.opened[1].scheme(), QStringLiteral("geo"));
    EXPECT_EQ(opener.opened[1].toString(QUrl::FullyEncoded),
              QStringLiteral("geo:0,0?q=1-2-3%20Chiyoda%2C%20Tokyo"));
    EXPECT_FALSE(Workspace::canOpenCalendar());
    EXPECT_TRUE(Workspace::openURL(
        QUrl(QStringLiteral("mailto:support@example.com?subject=Feedback%20of%20Tessarin2"))));
    EXPECT_EQ(opener.opened.size(), 3);
}

} // namespace
