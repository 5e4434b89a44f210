#pragma once

#include "platform/ui/Window.h"

#include <QPointer>

class QLabel;
class QPushButton;

namespace tessarin {

// The About window: icon, product name, version, the maker's web page and OK. It runs
// application-modally; closing it ends the run.
class AboutPanelController : public WindowController {
    Q_OBJECT
public:
    explicit AboutPanelController(QObject *parent = nullptr);

    QLabel *iconView();
    QLabel *productNameField();
    QLabel *versionField();
    QPushButton *urlButton();
    QPushButton *okButton();

    void buttonPressed(QObject *sender);
    void windowDidLoad() override;
    void windowWillClose() override;

protected:
    Window *loadWindow() override;

private:
    QPointer<QLabel> iconView_;
    QPointer<QLabel> productNameField_;
    QPointer<QLabel> versionField_;
    QPointer<QPushButton> urlButton_;
    QPointer<QPushButton> okButton_;
};

} // namespace tessarin
