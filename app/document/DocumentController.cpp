#include "app/document/DocumentController.h"

#include "app/document/Document.h"
#include "app/reading/EncodingAccessory.h"
#include "app/reading/PanelWindow.h"
#include "platform/ui/Window.h"

#include <QGuiApplication>
#include <QScreen>

namespace tessarin {

DocumentController::DocumentController(QObject *parent)
    : ::DocumentController(parent) {
    awakeFromNib();
}

DocumentController::~DocumentController() = default;

void DocumentController::awakeFromNib() {
    encodingAccessory_ = new EncodingAccessory(this);
    encodingAccessory_->setEncodingOnly();
    // Screens come and go, and change their size.
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        observeScreen(screen);
        screenChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { screenChanged(); });
    for (QScreen *screen : QGuiApplication::screens())
        observeScreen(screen);
}

void DocumentController::observeScreen(QScreen *screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { screenChanged(); });
}

void DocumentController::screenChanged() {
    for (::Document *document : documents()) {
        Window *window = document->windowForSheet();
        if (!window || !window->isVisible())
            continue;
        const QRect frame = window->frameGeometry();
        bool shown = false;
        for (QScreen *screen : QGuiApplication::screens())
            shown = shown || screen->geometry().intersects(frame);
        if (!shown)
            centreWindow(window);
    }
}

PanelResult DocumentController::runModalOpenPanel(OpenPanel &panel, const QStringList &types) {
    encodingAccessory_->resetMenu();
    panel.accessoryView = encodingAccessory_->view();
    const PanelResult result = ::DocumentController::runModalOpenPanel(panel, types);
    encodingAccessory_->requestClose();
    if (result.response == ModalResponse::Cancel)
        encodingAccessory_->resetMenu();
    return result;
}

TextEncoding::Constant DocumentController::encodingType() {
    return encodingAccessory_->encodingType();
}

void DocumentController::resetEncodingType() {
    encodingAccessory_->resetMenu();
}

::Document *DocumentController::makeDocument(const QString &) {
    // The document is given the encoding chosen on the open panel, which starts afresh.
    auto *document = new Document;
    document->setEncodingType(encodingType());
    resetEncodingType();
    return document;
}

} // namespace tessarin
