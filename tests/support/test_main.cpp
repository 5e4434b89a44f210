#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // Tests run headless unless a display is asked for explicitly.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    useFreshUserDefaults();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
