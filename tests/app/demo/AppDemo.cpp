// Shows the document-opening pieces for screenshots under Xvfb (not a test):
//   app_demo progress FILE   opens FILE behind the progress window, the parse slowed down
//   app_demo open-panel [customize]   runs File > Open… with the encoding popup dropped down,
//                                     or with the customize panel above it
#include "app/AppDelegate.h"
#include "app/document/DocumentController.h"
#include "app/reading/EncodingAccessory.h"
#include "platform/core/Dispatch.h"
#include "platform/ui/Application.h"
#include "tests/app/FakeContactsReader.h"
#include "state/ActionIds.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QUrl>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarin2"));
    const QStringList arguments = application.arguments();
    const QString mode = arguments.value(1);

    auto reader = std::make_shared<FakeContactsReader>();
    reader->cardDelayMilliseconds = 40;
    tessarin::ContactsReader::setShared(reader);
    tessarin::AppDelegate delegate;
    tessarin::DocumentController controller;
    Application::shared().setDelegate(&delegate);
    Application::shared().setMainMenuBuilder(&tessarin::AppDelegate::buildMainMenu);

    if (mode == QLatin1String("progress")) {
        Dispatch::main(
            [&] { controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(arguments.value(2))); });
    } else if (mode == QLatin1String("open-panel")) {
        const bool customize = arguments.value(2) == QLatin1String("customize");
        Dispatch::after(800, [&controller, customize] {
            QComboBox *popup = controller.encodingAccessory()->encodingTypePopup();
            if (!popup->isVisible())
                return;
            if (!customize) {
                popup->showPopup();
                return;
            }
            const int index = popup->findText(QStringLiteral("Customize Encoding List…"));
            popup->setCurrentIndex(index);
            controller.encodingAccessory()->encodingTypePopupSelected(index);
        });
        Dispatch::main([&] { controller.performAction(ActionId::OpenDocument); });
    } else {
        return 2;
    }
    return application.exec();
}
