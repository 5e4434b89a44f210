#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // Tests run headless unless a display is asked for explicitly.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // ctest runs test processes side by side: each gets data, config and cache folders of its
    // own, so files a test writes there (AddressFormat.json, preferences) never meet another's.
    QTemporaryDir home;
    for (const char *variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
        const QString folder = home.path() + QLatin1Char('/') + QLatin1String(variable);
        QDir().mkpath(folder);
        qputenv(variable, folder.toLocal8Bit());
    }
    // Windows are kept inside the screen: the headless screen is a desktop's, not the
    // platform's default 800 x 600, which the default window frame does not fit.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        const QString config = home.path() + QStringLiteral("/screen.json");
        QFile file(config);
        if (file.open(QIODevice::WriteOnly))
            file.write(R"({"screens": [{"name": "Screen", "width": 1600, "height": 1000}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    }
    QApplication application(argc, argv);
    useFreshUserDefaults();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
