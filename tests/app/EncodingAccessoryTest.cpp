#include "app/document/DocumentController.h"
#include "tests/app/AppTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using tessarin::EncodingAccessory;

namespace {

const QStringList kEnglishJapaneseDefault = {
    "Automatic",
    "Western (Mac OS Roman)",
    "Unicode (UTF-8)",
    "Unicode (UTF-16BE)",
    "Western (ISO Latin 1)",
    "Western (ISO Latin 3)",
    "Western (ISO Latin 9)",
    "Western (DOS Latin 1)",
    "Japanese (Windows, DOS)",
    "Western (Windows Latin 1)",
    "Japanese (ISO 2022-JP)",
    "Japanese (EUC)",
    "Japanese (Shift JIS)",
    "---",
    "Customize Encoding List…",
};

int rowOf(EncodingAccessory &accessory, const QString &name) {
    for (int row = 0; row < accessory.encodingTable().size(); ++row)
        if (accessory.encodingTable()[row].storedName == name)
            return row;
    return -1;
}

// Ticks or unticks a box in the customize panel, as a click on it does.
void setTick(EncodingAccessory &accessory, const QString &name, bool on) {
    const int row = rowOf(accessory, name);
    ASSERT_GE(row, 0) << name.toStdString();
    accessory.tableView()->item(row, 0)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void openCustomizePanel(EncodingAccessory &accessory) {
    QComboBox *popup = accessory.encodingTypePopup();
    const int index = popup->findText(QStringLiteral("Customize Encoding List…"));
    popup->setCurrentIndex(index);
    emit popup->activated(index);
}

TEST(EncodingAccessory, FirstLaunchOffersUnicodeAndTheEncodingsOfTheFirstTwoLanguages) {
    firstLaunchWithLanguages({"en-US", "ja-JP", "ru"});
    EncodingAccessory accessory;
    accessory.setEncodingOnly();
    EXPECT_EQ(popupTitles(accessory.encodingTypePopup()), kEnglishJapaneseDefault);
    EXPECT_EQ(accessory.encodingTypePopup()->currentText(), QStringLiteral("Automatic"));
    EXPECT_EQ(accessory.encodingType(), TextEncoding::Automatic);
    EXPECT_EQ(accessory.view()->height(), 36);
    EXPECT_EQ(accessory.encodingTypePopupTitle()->text(), QStringLiteral("Encoding:"));
    EXPECT_FALSE(accessory.encodingListPanel()->isVisible());
    // Nothing is stored until the user closes the customize panel.
    EXPECT_FALSE(UserDefaults::standard().object(QStringLiteral("Encodings")).isValid());
}

TEST(EncodingAccessory, TheDefaultSetFollowsTheLanguagesByTheirEnglishNames) {
    EXPECT_EQ(EncodingAccessory::defaultSearchWord(QStringLiteral("nl")), QStringLiteral("Western"));
    EXPECT_EQ(EncodingAccessory::defaultSearchWord(QStringLiteral("ja")), QStringLiteral("Japanese"));
    EXPECT_EQ(EncodingAccessory::defaultSearchWord(QStringLiteral("zh")), QStringLiteral("Chinese"));
    EXPECT_EQ(EncodingAccessory::defaultSearchWord(QStringLiteral("qq")), QString());

    firstLaunchWithLanguages({"zh-Hant-TW"});
    EncodingAccessory chinese;
    chinese.setEncodingOnly();
    const QStringList titles = popupTitles(chinese.encodingTypePopup());
    EXPECT_TRUE(titles.contains(QStringLiteral("Traditional Chinese (Big 5)")));
    EXPECT_TRUE(titles.contains(QStringLiteral("Simplified Chinese (GB 18030)")));
    EXPECT_FALSE(titles.contains(QStringLiteral("Western (ISO Latin 1)")));

    // A code without a language gives Unicode only.
    firstLaunchWithLanguages({"qq"});
    EncodingAccessory unknown;
    unknown.setEncodingOnly();
    EXPECT_EQ(popupTitles(unknown.encodingTypePopup()),
              QStringList(
                  {"Automatic", "Unicode (UTF-8)", "Unicode (UTF-16BE)", "---", "Customize Encoding List…"}));
}

TEST(EncodingAccessory, TickingPutsTheEncodingBelowAutomaticAndUntickingGoesBackToAutomatic) {
    firstLaunchWithLanguages({"en"});
    EncodingAccessory accessory;
    accessory.setEncodingOnly();
    openCustomizePanel(accessory);
    EXPECT_TRUE(accessory.encodingListPanel()->isVisible());
    EXPECT_EQ(accessory.encodingType(), TextEncoding::Automatic); // "Customize…" chooses nothing

    setTick(accessory, QStringLiteral("Cyrillic (Windows)"), true);
    QComboBox *popup = accessory.encodingTypePopup();
    EXPECT_EQ(popup->itemText(1), QStringLiteral("Cyrillic (Windows)"));
    EXPECT_EQ(popup->currentIndex(), 1);
    EXPECT_EQ(accessory.encodingType(),
              TextEncoding::findByName(QStringLiteral("Cyrillic (Windows)"))->constant);

    setTick(accessory, QStringLiteral("Cyrillic (Windows)"), false);
    EXPECT_EQ(popup->findText(QStringLiteral("Cyrillic (Windows)")), -1);
    EXPECT_EQ(popup->currentText(), QStringLiteral("Automatic"));

    // Closing the panel keeps the ticks under their English names, in table order.
    setTick(accessory, QStringLiteral("Japanese (Shift JIS)"), true);
    accessory.requestClose();
    EXPECT_FALSE(accessory.encodingListPanel()->isVisible());
    const QStringList stored = UserDefaults::standard().object(QStringLiteral("Encodings")).toStringList();
    EXPECT_EQ(stored.first(), QStringLiteral("Western (Mac OS Roman)"));
    EXPECT_EQ(stored.last(), QStringLiteral("Japanese (Shift JIS)"));
    EXPECT_FALSE(stored.contains(QStringLiteral("Cyrillic (Windows)")));

    EncodingAccessory next;
    next.setEncodingOnly();
    EXPECT_EQ(popupTitles(next.encodingTypePopup()).mid(1, stored.size()), stored);
}

TEST(EncodingAccessory, ClearAllSelectAllAndRevert) {
    firstLaunchWithLanguages({"en", "ja"});
    EncodingAccessory accessory;
    accessory.setEncodingOnly();
    openCustomizePanel(accessory);
    QTest::mouseClick(accessory.clearAllButton(), Qt::LeftButton);
    EXPECT_EQ(popupTitles(accessory.encodingTypePopup()),
              QStringList({"Automatic", "---", "Customize Encoding List…"}));
    EXPECT_EQ(accessory.tableView()->item(rowOf(accessory, "Unicode (UTF-8)"), 0)->checkState(),
              Qt::Unchecked);

    QTest::mouseClick(accessory.selectAllButton(), Qt::LeftButton);
    EXPECT_EQ(accessory.encodingTypePopup()->count(), accessory.encodingTable().size() + 3);
    EXPECT_EQ(accessory.tableView()->item(rowOf(accessory, "Western (ASCII)"), 0)->checkState(), Qt::Checked);

    QTest::mouseClick(accessory.revertButton(), Qt::LeftButton);
    EXPECT_EQ(popupTitles(accessory.encodingTypePopup()), kEnglishJapaneseDefault);
    EXPECT_EQ(accessory.encodingTypePopup()->currentText(), QStringLiteral("Automatic"));
}

TEST(EncodingAccessory, StoredNamesAreTickedAndUtf8ComesAlongWithNamesBelowIt) {
    UserDefaults::standard().resetAll();
    UserDefaults::standard().setObject(QStringList{"Japanese (Shift JIS)", "No Such Encoding"},
                                       QStringLiteral("Encodings"));
    EncodingAccessory accessory;
    accessory.setEncodingOnly();
    EXPECT_EQ(popupTitles(accessory.encodingTypePopup()),
              QStringList({"Automatic", "Unicode (UTF-8)", "Japanese (Shift JIS)", "---",
                           "Customize Encoding List…"}));

    UserDefaults::standard().setObject(QStringList{"Western (Mac OS Roman)"}, QStringLiteral("Encodings"));
    EncodingAccessory above;
    above.setEncodingOnly();
    EXPECT_EQ(popupTitles(above.encodingTypePopup()),
              QStringList({"Automatic", "Western (Mac OS Roman)", "---", "Customize Encoding List…"}));
}

TEST(EncodingAccessory, WithoutEncodingOnlyModeTheUtf8ItemIsTheDefault) {
    firstLaunchWithLanguages({"en"});
    EncodingAccessory accessory;
    accessory.view();
    EXPECT_EQ(accessory.accessoryType(), 0);
    EXPECT_EQ(accessory.encodingTypePopup()->currentText(), QStringLiteral("Unicode (UTF-8)"));
    EXPECT_EQ(accessory.encodingType(), TextEncoding::UTF8);
    EXPECT_EQ(accessory.encodingTypePopup()->findText(QStringLiteral("Automatic")), -1);
}

TEST(DocumentController, EveryOpenPanelCarriesTheAccessoryAndACancelResetsIt) {
    firstLaunchWithLanguages({"en", "ja"});
    ScriptedDialogPresenter dialogs;
    tessarin::DocumentController controller;
    QWidget *shownAccessory = nullptr;
    dialogs.answerPanel([&](const OpenPanel *panel, const SavePanel *) {
        shownAccessory = panel->accessoryView;
        auto *popup = panel->accessoryView->findChild<QComboBox *>();
        popup->setCurrentIndex(popup->findText(QStringLiteral("Japanese (EUC)")));
        return PanelResult{};
    });
    OpenPanel panel;
    EXPECT_EQ(controller.runModalOpenPanel(panel, controller.readableTypes()).response,
              ModalResponse::Cancel);
    EXPECT_EQ(shownAccessory, controller.encodingAccessory()->view());
    EXPECT_EQ(controller.encodingType(), TextEncoding::Automatic);
    EXPECT_EQ(panel.allowedContentTypes, QStringList({"public.vcard", "public.comma-separated-values-text"}));
}

} // namespace

namespace {

TEST(EncodingAccessory, TheCustomizePanelClosesWithEscapeOrItsCloseButtonKeepingTheTicks) {
    for (const bool byEscape : {true, false}) {
        firstLaunchWithLanguages({"en"});
        EncodingAccessory accessory;
        accessory.setEncodingOnly();
        openCustomizePanel(accessory);
        QWidget *panel = accessory.encodingListPanel();
        ASSERT_TRUE(panel->isVisible());
        setTick(accessory, QStringLiteral("Japanese (Shift JIS)"), true);
        if (byEscape) {
            QTest::keyClick(accessory.tableView(), Qt::Key_Escape);
        } else {
            accessory.closeButton()->click();
        }
        EXPECT_FALSE(panel->isVisible()) << byEscape;
        EXPECT_TRUE(UserDefaults::standard()
                        .object(QStringLiteral("Encodings"))
                        .toStringList()
                        .contains(QStringLiteral("Japanese (Shift JIS)")));
    }
}

} // namespace
