// Not a test: a document-like window with the print panel open on the contacts of a file.
// print_panel_demo FILE [labels|envelope] [vertical] [updown] [SHOT.png]: rows for the columns Name,
// Phone, Email and Address; with SHOT the screen is saved there once the preview has drawn,
// and the demo quits. Run under Xvfb.
#include "platform/core/UserDefaults.h"
#include "print/PrintPanelController.h"
#include "tests/print/demo/DemoSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // The panel stores its settings: not into the user's own preferences.
    const QTemporaryDir preferences;
    UserDefaults::setStorageFile(preferences.filePath(QStringLiteral("defaults.conf")));
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: print_panel_demo FILE [labels|envelope] [vertical] [updown] [SHOT.png]\n");
        return 2;
    }
    const QStringList columns = {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::Address};
    const auto rows = rowsOfFile(arguments[0], columns);
    if (!rows)
        return 1;

    auto options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
    QString shot;
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("labels"))
            options->printStyle = PrintStyle::MailingLabels;
        else if (argument == QLatin1String("envelope"))
            options->printStyle = PrintStyle::Envelope;
        else if (argument == QLatin1String("vertical"))
            options->mailingLabels.printVertical = options->envelope.printVertical = true;
        else if (argument == QLatin1String("updown"))
            options->envelope.textDirection = TextDirection::UpDown;
        else
            shot = argument;
    }
    options->mailingLabels.keishou = options->envelope.keishou = QStringLiteral("様");
    setLastPrintStyle(options->printStyle, UserDefaults::standard());

    Window window;
    showDocumentWindow(window, QFileInfo(arguments[0]).fileName(), {1180, 860});

    PrintPanelController::setSharedPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    auto *panel = PrintPanelController::printDocument(*rows, columns, &window, options,
                                                      QFileInfo(arguments[0]).completeBaseName());
    if (!panel)
        return 1;
    QObject::connect(panel, &PrintPanelController::previewUpdated, &app,
                     [panel] { std::printf("%d pages\n", panel->previewPageCount()); });
    if (!shot.isEmpty())
        QTimer::singleShot(1500, &app, [&] {
            QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
            app.quit();
        });
    return app.exec();
}
