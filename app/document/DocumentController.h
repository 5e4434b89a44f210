#pragma once

#include "platform/core/TextEncoding.h"
#include "platform/ui/Document.h"

#include <QPointer>

class QScreen;

namespace tessarin {

class EncodingAccessory;

// The application's document controller: every open panel it runs carries the encoding
// accessory, whose choice the document reads once the panel has closed.
class DocumentController : public ::DocumentController {
    Q_OBJECT
public:
    explicit DocumentController(QObject *parent = nullptr);
    ~DocumentController() override;

    EncodingAccessory *encodingAccessory() const { return encodingAccessory_; }

    PanelResult runModalOpenPanel(OpenPanel &panel, const QStringList &types) override;
    TextEncoding::Constant encodingType();
    void resetEncodingType();
    // Brings back the windows of documents that no screen shows any longer.
    void screenChanged();

protected:
    ::Document *makeDocument(const QString &typeName) override;

private:
    void awakeFromNib();
    void observeScreen(QScreen *screen);

    EncodingAccessory *encodingAccessory_ = nullptr;
};

} // namespace tessarin
