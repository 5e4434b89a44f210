#include "platform/ui/FontManager.h"

#include "platform/core/Localization.h"
#include "platform/ui/Responder.h"

#include <QFontDialog>

FontManager &FontManager::shared() {
    static FontManager *manager = new FontManager;
    return *manager;
}

void FontManager::setSelectedFont(const QFont &font, bool isMultiple) {
    Q_UNUSED(isMultiple)
    selected_ = font;
    if (panel_ && !changing_) {
        changing_ = true;
        panel_->setCurrentFont(font);
        changing_ = false;
    }
}

// The panel picks whole fonts, so any font converts to the panel's choice.
QFont FontManager::convertFont(const QFont &) const {
    return selected_;
}

void FontManager::choose(const QFont &font) {
    if (changing_)
        return;
    changing_ = true;
    selected_ = font;
    if (auto *responder = dynamic_cast<Responder *>(target_.data()))
        responder->performAction(QStringLiteral("changeFont:"), this);
    changing_ = false;
}

QFontDialog *FontManager::fontPanel(bool create) {
    if (!panel_ && create) {
        panel_ = new QFontDialog(selected_);
        panel_->setWindowTitle(L("Fonts"));
        panel_->setOption(QFontDialog::NoButtons, true);
        panel_->setAttribute(Qt::WA_DeleteOnClose, false);
        connect(panel_, &QFontDialog::currentFontChanged, this, &FontManager::choose);
    }
    return panel_;
}

void FontManager::orderFrontFontPanel() {
    QFontDialog *panel = fontPanel(true);
    panel->setCurrentFont(selected_);
    panel->show();
    panel->raise();
}
