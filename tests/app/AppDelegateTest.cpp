#include "app/AppDelegate.h"
#include "app/AboutPanelController.h"
#include "model/QMPerson.h"
#include "platform/core/Dispatch.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"
#include "tests/app/AppTestSupport.h"
#include "state/ActionIds.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using tessarin::AppDelegate;

namespace {

// The Help menu of a window built with the application's menus.
Menu *helpMenu(Window &window) {
    MenuItem *help = window.mainMenu()->itemWithTitle(QStringLiteral("Help"));
    return help ? help->submenu() : nullptr;
}

QList<QUrl> choose(AppDelegate &delegate, const QStringList &titles) {
    RecordingUrlOpener opener;
    Window window;
    auto *mainMenu = new Menu;
    AppDelegate::buildMainMenu(mainMenu, &window);
    window.setMainMenu(mainMenu);
    for (const QString &title : titles) {
        MenuItem *item = helpMenu(window)->itemWithTitle(title);
        EXPECT_NE(item, nullptr) << title.toStdString();
        if (item)
            delegate.menuItemSelectedInHelpMenu(item);
    }
    return opener.opened;
}

const QStringList kHelpItems = {"Tessarin2 Help via Web", "Rate us at the App Store…", "Feedback via Email…",
                                "Privacy Policy…"};

TEST(HelpMenu, ItemsOpenTheirPagesInJapaneseOnlyForExactlyJa) {
    AppDelegate delegate;
    UserDefaults::standard().setObject(QStringList{"ja", "en"}, QStringLiteral("AppleLanguages"));
    const QList<QUrl> japanese = choose(delegate, kHelpItems);
    ASSERT_EQ(japanese.size(), 4);
    EXPECT_EQ(japanese[0].query(), QStringLiteral("lang=jp"));
    EXPECT_EQ(japanese[0].scheme(), QStringLiteral("https"));
    EXPECT_EQ(japanese[1].scheme(), QStringLiteral("appstream"));
    EXPECT_EQ(japanese[1].query(), QString());
    EXPECT_EQ(japanese[2].toString(QUrl::FullyEncoded),
              QStringLiteral("mailto:support@tessarin2.example.org?subject=Feedback%20of%20Tessarin2"));
    EXPECT_EQ(japanese[3].query(), QStringLiteral("lang=jp"));
    EXPECT_NE(japanese[0].path(), japanese[3].path());

    for (const QStringList &languages : {QStringList{"ja-JP", "en"}, QStringList{"en", "ja"}}) {
        UserDefaults::standard().setObject(languages, QStringLiteral("AppleLanguages"));
        const QList<QUrl> plain = choose(delegate, kHelpItems);
        ASSERT_EQ(plain.size(), 4);
        EXPECT_EQ(plain[0], japanese[0].adjusted(QUrl::RemoveQuery));
        EXPECT_EQ(plain[1], japanese[1]);
        EXPECT_EQ(plain[2], japanese[2]);
        EXPECT_EQ(plain[3], japanese[3].adjusted(QUrl::RemoveQuery));
    }
    UserDefaults::standard().removeObject(QStringLiteral("AppleLanguages"));

    // Any other item opens nothing.
    RecordingUrlOpener opener;
    MenuItem other(QStringLiteral("Something Else"), ActionId::MenuItemSelectedInHelpMenu);
    delegate.menuItemSelectedInHelpMenu(&other);
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST(HelpMenu, ItemsReachTheDelegateThroughTheResponderChain) {
    AppDelegate delegate;
    Application::shared().setDelegate(&delegate);
    RecordingUrlOpener opener;
    Window window;
    auto *mainMenu = new Menu;
    AppDelegate::buildMainMenu(mainMenu, &window);
    window.setMainMenu(mainMenu);
    helpMenu(window)->update();
    MenuItem *item = helpMenu(window)->itemWithTitle(QStringLiteral("Privacy Policy…"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    Application::shared().setDelegate(nullptr);
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_TRUE(opener.opened.first().path().contains(QLatin1String("privacy")));
}

TEST(AboutPanel, ShowsTheProductAndRunsUntilClosed) {
    AppDelegate delegate;
    RecordingUrlOpener opener;
    bool wasModal = false;
    Dispatch::main([&] {
        tessarin::AboutPanelController *about = delegate.aboutPanelController();
        ASSERT_NE(about, nullptr);
        wasModal = Application::shared().modalWindow() == about->window();
        EXPECT_EQ(about->productNameField()->text(), QStringLiteral("Tessarin2"));
        EXPECT_EQ(about->versionField()->text(), QStringLiteral("Version 0.1 (1)"));
        EXPECT_FALSE(about->iconView()->pixmap().isNull());
        QTest::mouseClick(about->urlButton(), Qt::LeftButton);
        QTest::mouseClick(about->okButton(), Qt::LeftButton);
    });
    delegate.showAboutPanel();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(delegate.aboutPanelController()->window()->isVisible());
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened.first().host(), QStringLiteral("tessarin2.example.org"));

    // The same controller serves every later showing; its close box ends the run too.
    tessarin::AboutPanelController *first = delegate.aboutPanelController();
    Dispatch::main([&] { delegate.aboutPanelController()->window()->close(); });
    delegate.showAboutPanel();
    EXPECT_EQ(delegate.aboutPanelController(), first);
    EXPECT_EQ(Application::shared().modalWindow(), nullptr);
}

// One test, so that no other process of the suite writes or removes the shared file meanwhile.
TEST(AddressFormatFile, OnlyANonEmptyArrayIsMergedByCountryCodeAndAMissingFileIsSilent) {
    const QString path = AppDelegate::addressFormatFilePath();
    EXPECT_TRUE(path.endsWith(QLatin1String("/Tessarin2/Documents/AddressFormat.json")));
    const auto launchWith = [&](const std::optional<QByteArray> &contents) {
        QFile::remove(path);
        if (contents) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(*contents);
        }
        ScriptedDialogPresenter dialogs;
        AppDelegate delegate;
        delegate.applicationDidFinishLaunching();
        QStringList texts;
        for (const auto &shown : dialogs.shown())
            texts.append(shown.alert.messageText + QStringLiteral(" | ") + shown.alert.informativeText);
        QFile::remove(path);
        return texts;
    };
    EXPECT_TRUE(launchWith(std::nullopt).isEmpty());
    const QStringList alert = {"Cannot read AddressFormat.json. | Please make sure the format is valid."};
    for (const QByteArray &contents :
         {QByteArray(R"({"AddressFormat": []})"), QByteArray("{not json"), QByteArray(R"(["AddressFormat"])"),
          QByteArray(R"({"AddressFormat": {"CountryCode": "JP"}})"), QByteArray(R"({"Other": [1]})"),
          QByteArray()})
        EXPECT_EQ(launchWith(contents), alert) << contents.toStdString();

    const QList<AddressFormatEntry> before = QMPerson::addressFormatTable();
    const QString frenchFormat = QMPerson::addressFormatDict().value(QStringLiteral("FR")).formatString;
    EXPECT_TRUE(launchWith(R"({"AddressFormat": [
        {"CountryCode": "JP", "Country": "Japan", "formatString": "Country ZIP State City Street"},
        {"CountryCode": "QQ", "Country": "Qland", "formatString": "Street City State ZIP Country"},
        {"Country": "No code"}, {"CountryCode": 7}, "not an entry"]})")
                    .isEmpty());
    const QList<AddressFormatEntry> after = QMPerson::addressFormatTable();
    ASSERT_EQ(after.size(), before.size()); // a code the table lacks reaches only the dictionary
    EXPECT_EQ(QMPerson::orderOfAddressFormats(QStringLiteral("JP")),
              QStringList({"JP", "Country", "ZIP", "State", "City", "Street"}));
    EXPECT_EQ(QMPerson::addressFormatDict().value(QStringLiteral("QQ")).country, QStringLiteral("Qland"));
    EXPECT_EQ(QMPerson::addressFormatDict().value(QStringLiteral("FR")).formatString, frenchFormat);
    for (qsizetype i = 0; i < after.size(); ++i)
        if (after[i].countryCode == QLatin1String("JP"))
            EXPECT_EQ(after[i].formatString, QStringLiteral("Country ZIP State City Street"));
        else
            EXPECT_EQ(after[i], before[i]) << after[i].countryCode.toStdString();
}

} // namespace
