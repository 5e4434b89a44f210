#include "app/AppDelegate.h"
#include "app/document/DocumentController.h"
#include "app/reading/Product.h"
#include "app/reading/QMvCardReader.h"
#include "platform/core/Dispatch.h"
#include "platform/core/Localization.h"
#include "platform/core/Memory.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[]) {
    Memory::tuneForLargeDocuments();
    QApplication application(argc, argv);
    QApplication::setApplicationName(tessarin::Product::name());
    QApplication::setOrganizationName(tessarin::Product::name());
    QApplication::setApplicationVersion(tessarin::Product::shortVersion());
    QApplication::setWindowIcon(QIcon(tessarin::Product::icon()));
    loadLocalizedStrings(QApplication::applicationDirPath() + QStringLiteral("/translations"));

    tessarin::ContactsReader::setShared(std::make_shared<tessarin::QMvCardReader>());
    tessarin::AppDelegate delegate;
    tessarin::DocumentController documentController;
    Application::shared().setDelegate(&delegate);
    Application::shared().setMainMenuBuilder(&tessarin::AppDelegate::buildMainMenu);
    // Inside the main loop, so a file that fails to open can end the program.
    Dispatch::main([&application] { Application::shared().finishLaunching(application.arguments()); });
    return application.exec();
}
