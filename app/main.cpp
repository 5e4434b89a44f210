#include "platform/core/Localization.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin2"));
    QApplication::setOrganizationName(QStringLiteral("Tessarin2"));
    loadLocalizedStrings(QApplication::applicationDirPath() + QStringLiteral("/translations"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tessarin2"));
    window.resize(1000, 640);
    window.show();
    return application.exec();
}
