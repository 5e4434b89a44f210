#include "editors/PictureChoice.h"

#include "platform/core/Localization.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menu.h"

#include <QImageReader>

void PictureChoice::fillImageMenu(Menu *menu, bool hasPicture, Responder *target) {
    if (hasPicture) {
        menu->addItem(L("Replace Image"), QStringLiteral("addImage:"));
        menu->addItem(L("Delete Image"), QStringLiteral("deleteImage:"));
    } else {
        menu->addItem(L("Add Image"), QStringLiteral("addImage:"));
    }
    for (MenuItem *item : menu->itemArray())
        if (!item->action().isEmpty())
            item->setTarget(target);
}

QImage PictureChoice::choosePicture(QWidget *from) {
    OpenPanel panel;
    panel.allowedContentTypes = {QStringLiteral("public.image")};
    panel.allowsMultipleSelection = false;
    const PanelResult result = DialogPresenter::current().runOpenPanel(panel, from);
    if (result.response != ModalResponse::OK || result.urls.isEmpty())
        return {};
    QImageReader reader(result.url().toLocalFile());
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        Alert alert;
        alert.messageText = L("Can not read the image.");
        alert.informativeText = L("Please make sure the file you selected is exist.");
        alert.runModal(from);
    }
    return image;
}
