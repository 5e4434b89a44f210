#include "tests/platform/ui/UiTestSupport.h"

#include <QDialog>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

QRect available() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

TEST(ScreenFit, WindowsOpenInsideTheScreenMovedOrShrunk) {
    Application::shared(); // what every window of the program is shown under
    const QRect area = available();
    const struct {
        const char *what;
        QRect asked;
        QSize shown;
    } cases[] = {
        // The find window was placed 455 px down, 560 high, on a screen 1000 high.
        {"bottom off the screen", QRect(area.right() - 980, area.bottom() - 100, 980, 560), QSize(980, 560)},
        {"left of it", QRect(area.left() - 300, area.top() + 50, 400, 300), QSize(400, 300)},
        {"larger than it", QRect(area.left() + 50, area.top() + 50, area.width() + 200, area.height() + 10),
         area.size()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Window window;
        window.setGeometry(c.asked);
        window.show();
        EXPECT_TRUE(area.contains(window.frameGeometry()))
            << window.frameGeometry().x() << "," << window.frameGeometry().y();
        EXPECT_LE(window.width(), c.shown.width());
        EXPECT_LE(window.height(), c.shown.height());
        EXPECT_GE(window.width(), c.shown.width() - 20);
        EXPECT_GE(window.height(), c.shown.height() - 40);
    }
    // A window already inside stays where the program put it.
    Window inside;
    const QRect asked(area.left() + 100, area.top() + 100, 500, 400);
    inside.setGeometry(asked);
    inside.show();
    EXPECT_EQ(inside.geometry(), asked);
}

TEST(ScreenFit, SheetsAndPanelsOverAWindowAtTheBottomStayInside) {
    const QRect area = available();
    Window window;
    window.setGeometry(area.left() + 200, area.bottom() - 300, 600, 280);
    window.show();
    window.activateWindow();
    QDialog sheet;
    sheet.resize(500, 400);
    Application::shared().beginSheet(&sheet, &window, [](int) {});
    EXPECT_TRUE(area.contains(sheet.frameGeometry()));
    Application::shared().endSheet(&sheet, 0);

    // A panel nobody placed opens over the active window, inside the screen.
    QWidget panel;
    panel.resize(700, 500);
    panel.show();
    EXPECT_TRUE(area.contains(panel.frameGeometry()));
}

} // namespace
