#include "app/AboutPanelController.h"

#include "app/reading/PanelWindow.h"
#include "app/reading/Product.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Workspace.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessarin {

AboutPanelController::AboutPanelController(QObject *parent)
    : ::WindowController(parent) {}

Window *AboutPanelController::loadWindow() {
    auto *window = new Window;
    window->setWindowFlags(Qt::Dialog);
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(32, 24, 32, 20);
    iconView_ = new QLabel;
    iconView_->setFixedSize(128, 128);
    iconView_->setScaledContents(true);
    productNameField_ = new QLabel;
    QFont bold = productNameField_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    productNameField_->setFont(bold);
    versionField_ = new QLabel;
    urlButton_ = new QPushButton(Product::homePage().host());
    urlButton_->setFlat(true);
    urlButton_->setCursor(Qt::PointingHandCursor);
    urlButton_->setAutoDefault(false);
    okButton_ = new QPushButton(L("OK"));
    okButton_->setDefault(true);
    for (QPushButton *button : {urlButton_.data(), okButton_.data()})
        connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });
    column->addWidget(iconView_, 0, Qt::AlignHCenter);
    column->addWidget(productNameField_, 0, Qt::AlignHCenter);
    column->addWidget(versionField_, 0, Qt::AlignHCenter);
    column->addWidget(urlButton_, 0, Qt::AlignHCenter);
    column->addSpacing(8);
    column->addWidget(okButton_, 0, Qt::AlignRight);
    window->setCentralWidget(content);
    return window;
}

void AboutPanelController::windowDidLoad() {
    removeMenuBar(window());
    window()->setWindowTitle(L("About %1").arg(Product::name()));
    versionField_->setText(L("Version %1 (%2)").arg(Product::shortVersion(), Product::buildVersion()));
    productNameField_->setText(Product::name());
    iconView_->setPixmap(Product::icon());
    window()->adjustSize();
}

QLabel *AboutPanelController::iconView() {
    window();
    return iconView_;
}

QLabel *AboutPanelController::productNameField() {
    window();
    return productNameField_;
}

QLabel *AboutPanelController::versionField() {
    window();
    return versionField_;
}

QPushButton *AboutPanelController::urlButton() {
    window();
    return urlButton_;
}

QPushButton *AboutPanelController::okButton() {
    window();
    return okButton_;
}

void AboutPanelController::windowWillClose() {
    if (Application::shared().modalWindow() == window())
        Application::shared().abortModal();
}

void AboutPanelController::buttonPressed(QObject *sender) {
    if (!sender)
        return;
    if (sender == okButton_)
        window()->close();
    else if (sender == urlButton_)
        Workspace::openURL(Product::homePage());
}

} // namespace tessarin
