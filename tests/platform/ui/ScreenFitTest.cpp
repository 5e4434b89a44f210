#include "tests/platform/ui/UiTestSupport.h"

#include "platform/ui/ScreenFit.h"

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

TEST(ScreenFit, NewWindowsCascadeFromTheFrontOneInsideTheArea) {
    const QRect area(0, 20, 1600, 980);
    const QRect standard(100, 120, 900, 500);
    const struct {
        const char *what;
        std::optional<QRect> front;
        QRect placed;
    } cases[] = {
        {"the first window", std::nullopt, standard},
        {"the second, from the first", standard, QRect(122, 142, 900, 500)},
        {"from a moved window of another size", QRect(300, 200, 700, 300), QRect(322, 222, 900, 500)},
        {"near the bottom edge: back to the top", QRect(400, 479, 900, 500), QRect(422, 20, 900, 500)},
        {"the last place inside the bottom", QRect(400, 478, 900, 500), QRect(422, 500, 900, 500)},
        {"near the right edge: back to the left", QRect(690, 300, 900, 500), QRect(0, 322, 900, 500)},
        {"near both edges: the top left corner", QRect(690, 479, 900, 500), QRect(0, 20, 900, 500)},
        {"from a window wider than the area", QRect(0, 120, 1700, 500), QRect(22, 142, 900, 500)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cascadedFrame(standard, c.front, area), c.placed);
    }
    // Without a screen nothing is known of the edges.
    EXPECT_EQ(cascadedFrame(standard, QRect(2000, 2000, 900, 500), QRect()), QRect(2022, 2022, 900, 500));
}
