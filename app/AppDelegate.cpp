#include "app/AppDelegate.h"

#include "app/window/DocumentWindow.h"

#include "app/AboutPanelController.h"
#include "app/reading/PanelWindow.h"
#include "app/reading/Product.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"
#include "state/ActionIds.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QStandardPaths>

namespace tessarin {

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent) {
    registerAction(ActionId::MenuItemSelectedInHelpMenu, [this](QObject *sender) {
        if (auto *item = qobject_cast<MenuItem *>(sender))
            menuItemSelectedInHelpMenu(item);
    });
    registerAction(ActionId::ShowAboutPanel, [this](QObject *) { showAboutPanel(); });
}

AppDelegate::~AppDelegate() {
    delete aboutPanelController_.data();
}

AboutPanelController *AppDelegate::aboutPanelController() const {
    return aboutPanelController_;
}

TerminateReply AppDelegate::applicationShouldTerminate() {
    QList<QPointer<Window>> windows;
    for (Window *window : Application::shared().windows())
        windows.append(window);
    for (const QPointer<Window> &window : std::as_const(windows)) {
        if (!window || !window->isDocumentEdited())
            continue;
        window->close();
        if (window && window->isVisible())
            return TerminateReply::Cancel;
    }
    return TerminateReply::Now;
}

void AppDelegate::applicationDidFinishLaunching() {
    loadAddressFormats();
}

QString AppDelegate::helpViaWebTitle() {
    return Product::name() + QStringLiteral(" Help via Web");
}

void AppDelegate::buildMainMenu(Menu *mainMenu, Window *) {
    Application::addStandardMenus(mainMenu);
    addDocumentWindowMenus(mainMenu);
    MenuItem *helpItem = mainMenu->itemWithTitle(L("Help"));
    Menu *help = helpItem ? helpItem->submenu() : nullptr;
    if (!help)
        return;
    const QString action = ActionId::MenuItemSelectedInHelpMenu;
    help->addItem(MenuItem::separatorItem());
    help->addItem(helpViaWebTitle(), action);
    help->addItem(L("Rate us at the App Store…"), action);
    help->addItem(L("Feedback via Email…"), action);
    help->addItem(QStringLiteral("Privacy Policy…"), action);
}

void AppDelegate::menuItemSelectedInHelpMenu(MenuItem *item) {
    const QString title = item->title();
    const bool japanese = preferredLanguages().value(0) == QLatin1String("ja");
    QUrl url;
    if (title == helpViaWebTitle())
        url = Product::helpPage(japanese);
    else if (title == L("Rate us at the App Store…"))
        url = Product::storePage();
    else if (title == L("Feedback via Email…"))
        url = Product::feedbackMail();
    else if (title == QStringLiteral("Privacy Policy…"))
        url = Product::privacyPolicyPage(japanese);
    if (url.isValid())
        Workspace::openURL(url);
}

void AppDelegate::showAboutPanel() {
    if (!aboutPanelController_) {
        aboutPanelController_ = new AboutPanelController;
        centreWindow(aboutPanelController_->window());
    }
    Application::shared().runModalForWindow(aboutPanelController_->window());
}

QString AppDelegate::addressFormatFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
           Product::name() + QStringLiteral("/Documents/AddressFormat.json");
}

std::optional<QJsonArray> AppDelegate::addressFormatEntries(const QByteArray &contents) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(contents, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue entries = document.object().value(QStringLiteral("AddressFormat"));
    if (!entries.isArray() || entries.toArray().isEmpty())
        return std::nullopt;
    return entries.toArray();
}

void AppDelegate::loadAddressFormats() {
    QFile file(addressFormatFilePath());
    if (!file.exists())
        return;
    std::optional<QJsonArray> entries;
    if (file.open(QIODevice::ReadOnly))
        entries = addressFormatEntries(file.readAll());
    if (!entries) {
        Alert alert;
        alert.messageText = L("Cannot read AddressFormat.json.");
        alert.informativeText = L("Please make sure the format is valid.");
        alert.addButtonWithTitle(L("OK"));
        alert.runModal();
        return;
    }
    QMPerson::setAddressFormatTable(*entries);
}

} // namespace tessarin
