#pragma once

#include "platform/ui/Application.h"

#include <QJsonArray>
#include <QPointer>

#include <optional>

class Menu;
class MenuItem;
class Window;

namespace tessarin {

class AboutPanelController;

// The application's delegate: merges the user's address formats once launching has
// finished, answers the Help menu's web and mail items and shows the About window.
// Quitting is immediate: nothing is ever saved.
class AppDelegate : public QObject, public ApplicationDelegate {
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    AboutPanelController *aboutPanelController() const;

    void applicationDidFinishLaunching() override;
    // Each window with changes asks whether to export them, and closes; a window kept open
    // (Cancel, or an export not written) cancels quitting.
    TerminateReply applicationShouldTerminate() override;
    void menuItemSelectedInHelpMenu(MenuItem *item);
    void showAboutPanel();

    // Every window's menus: the standard ones, and the Help items.
    static void buildMainMenu(Menu *mainMenu, Window *window);
    static QString helpViaWebTitle();

    // "Documents/AddressFormat.json" in the application's data folder (the user's cloud
    // container on the other platform).
    static QString addressFormatFilePath();
    // Merges the file's "AddressFormat" entries into the address formats; a missing file
    // is no error, anything else unreadable shows "Cannot read AddressFormat.json.".
    void loadAddressFormats();
    // The non-empty "AddressFormat" array of the file's contents, or nothing.
    static std::optional<QJsonArray> addressFormatEntries(const QByteArray &contents);

private:
    QPointer<AboutPanelController> aboutPanelController_;
};

} // namespace tessarin
