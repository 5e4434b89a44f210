// Not a test: a document-like window with the QR code sheet open for a Japanese contact.
// qr_demo [FORMAT] [SHOT.png]: FORMAT is a format key ("MECARD", ...); with SHOT the screen
// is saved there once the sheet has drawn, and the demo quits. Run under Xvfb.
#include "platform/ui/Application.h"
#include "print/QRCodePanelController.h"
#include "tests/print/QRTestSupport.h"
#include "tests/print/demo/DemoSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const QString format = arguments.value(0, QStringLiteral("vCard"));
    const QString shot = arguments.value(1);

    Window window;
    showDocumentWindow(window, QStringLiteral("Contacts.vcf"), {1000, 700});

    QRCodePanelController panel;
    panel.setContact(japaneseContact());
    const int index = panel.formatPopup()->findData(format);
    panel.formatPopup()->setCurrentIndex(index < 0 ? 0 : index);
    Application::shared().beginSheet(panel.window(), &window, [](int) {});
    std::printf("%s\n", panel.qrText().toUtf8().constData());

    if (!shot.isEmpty())
        QTimer::singleShot(800, &app, [&] {
            QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
            app.quit();
        });
    return app.exec();
}
