#include "tests/app/TransferTestSupport.h"

#include "app/reading/LeftOutNotice.h"
#include "contact_info/ContactInfoController.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Pasteboard.h"
#include "state/ActionIds.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTableView>

#include <numeric>

namespace tessarin {
using namespace transfer_test;

namespace {

const QByteArray ImportedCards = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Eto;Eve;;;\r\nFN:Eve Eto\r\nEND:VCARD\r\n"
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Fox;Fay;;;\r\nFN:Fay Fox\r\nEND:VCARD\r\n"
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Gil;Guy;;;\r\nFN:Guy Gil\r\n"
                                 "TEL;type=WORK:+1 555 0199\r\nEND:VCARD\r\n";

class ImportTest : public TransferTest {
protected:
    // Answers the open panel with the file, choosing the encoding on its accessory when named.
    void choose(const QString &path, const QString &encodingName = QString()) {
        dialogs.answerPanel([this, path, encodingName](const OpenPanel *panel, const SavePanel *) {
            if (panel) {
                openPanel = *panel;
                if (auto *popup =
                        panel->accessoryView ? panel->accessoryView->findChild<QComboBox *>() : nullptr) {
                    popupShown = popupTitles(popup);
                    if (!encodingName.isEmpty())
                        popup->setCurrentIndex(popup->findText(encodingName));
                }
            }
            return PanelResult{ModalResponse::OK, {QUrl::fromLocalFile(path)}};
        });
    }

    static ImportPanelController *sheet(TestDocument *document) {
        return document->controller->importPanelController();
    }

    static QStringList sheetNames(TestDocument *document) {
        QTableView *table = sheet(document)->nameTableView();
        QStringList shown;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            shown.append(table->model()->index(row, 0).data().toString());
        return shown;
    }

    static void selectSheetRows(TestDocument *document, const QList<int> &rows) {
        QTableView *table = sheet(document)->nameTableView();
        table->clearSelection();
        for (int row : rows)
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    static QStringList groupNames(TestDocument *document, int group) {
        return names(*content(document)->containerTable()->first().groups.value(group)->contactTable);
    }

    OpenPanel openPanel;
    QStringList popupShown;
};

} // namespace

TEST_F(ImportTest, AddsExactlyTheTickedContactsInOneUndoStep) {
    TestDocument *document = open();
    choose(writeTestFile(QStringLiteral("more.vcf"), ImportedCards));
    perform(document, ActionId::ImportFromVCard);
    EXPECT_EQ(openPanel.allowedContentTypes, (QStringList{"public.vcard", "public.plain-text"}));
    EXPECT_FALSE(popupShown.isEmpty());
    EXPECT_EQ(document->controller->progressAlert()->alertMessage()->text(),
              QStringLiteral("Reading the file: more.vcf"));

    ImportPanelController *panel = sheet(document);
    ASSERT_TRUE(panel->window()->isVisible());
    EXPECT_TRUE(document->controller->isExporting());
    EXPECT_EQ(panel->importFilename()->text(), QStringLiteral("more.vcf"));
    EXPECT_EQ(sheetNames(document), (QStringList{"Eve Eto", "Fay Fox", "Guy Gil"}));
    EXPECT_EQ(panel->nameTableView()->model()->flags(panel->nameTableView()->model()->index(0, 0)) &
                  Qt::ItemIsEditable,
              Qt::ItemFlags());

    // The preview follows the first selected row, read-only.
    selectSheetRows(document, {2, 0});
    ContactInfoController *preview = panel->contactInfoController();
    ASSERT_TRUE(preview->contact().has_value());
    EXPECT_EQ(preview->contact()->person->compositeName(), QStringLiteral("Eve Eto"));
    EXPECT_FALSE(preview->editState());
    EXPECT_EQ(preview->selectedLabels(), QStringList{"All"});
    EXPECT_EQ(preview->delegate(), nullptr);
    EXPECT_FALSE(preview->view()->isHidden());
    selectSheetRows(document, {});
    EXPECT_TRUE(preview->view()->isHidden());
    selectSheetRows(document, {2, 0});

    panel->selectButton()->click();
    EXPECT_FALSE(panel->window()->isVisible());
    EXPECT_FALSE(document->controller->isExporting());
    EXPECT_TRUE(document->controller->window()->isDocumentEdited());
    EXPECT_EQ(groupNames(document, 0),
              (QStringList{"Ann Abe", "Bob Baker", "Cid Cole", "Dee Dunn", "Eve Eto", "Guy Gil"}));
    EXPECT_EQ(names(*content(document)->contactTable()), groupNames(document, 0));

    document->undoManager()->undo();
    EXPECT_EQ(groupNames(document, 0), (QStringList{"Ann Abe", "Bob Baker", "Cid Cole", "Dee Dunn"}));
    EXPECT_TRUE(alertTexts().isEmpty());
}

TEST_F(ImportTest, ContactsGoIntoTheSelectedGroupAndTheWholeFile) {
    TestDocument *document = open();
    ViewController *view = content(document);
    view->groupSelectionDidChange(view->containerTable()->first().groups.value(1));
    choose(writeTestFile(QStringLiteral("more.vcf"), ImportedCards));
    perform(document, ActionId::ImportFromVCard);
    selectSheetRows(document, {1});
    sheet(document)->selectButton()->click();
    EXPECT_EQ(groupNames(document, 1), (QStringList{"Ann Abe", "Bob Baker", "Fay Fox"}));
    EXPECT_TRUE(groupNames(document, 0).contains(QStringLiteral("Fay Fox")));
}

TEST_F(ImportTest, CancelOrSelectWithoutRowsAddsNothing) {
    TestDocument *document = open();
    const QString path = writeTestFile(QStringLiteral("more.vcf"), ImportedCards);
    choose(path);
    perform(document, ActionId::ImportFromVCard);
    selectSheetRows(document, {0});
    sheet(document)->cancelButton()->click();
    EXPECT_FALSE(document->controller->isExporting());
    choose(path);
    perform(document, ActionId::ImportFromVCard);
    selectSheetRows(document, {});
    sheet(document)->selectButton()->click();
    EXPECT_FALSE(document->controller->isExporting());
    EXPECT_EQ(groupNames(document, 0).size(), 4);
    EXPECT_FALSE(document->controller->window()->isDocumentEdited());
}

TEST_F(ImportTest, AShiftJisFileReadsInTheChosenEncoding) {
    firstLaunchWithLanguages({"en", "ja"});
    TestDocument *document = open();
    choose(writeTestFile(QStringLiteral("sjis.vcf"),
                         fileBytes(QStringLiteral(TESSARIN_TESTDATA_DIR "/aosp/v21_japanese_1.vcf"))),
           QStringLiteral("Japanese (Shift JIS)"));
    perform(document, ActionId::ImportFromVCard);
    ASSERT_TRUE(popupShown.contains(QStringLiteral("Japanese (Shift JIS)")));
    ASSERT_TRUE(sheet(document)->window()->isVisible());
    EXPECT_EQ(sheetNames(document), QStringList{"安藤ロイド"});
    sheet(document)->cancelButton()->click();
}

TEST_F(ImportTest, FailuresShowTheirAlertsAndClearTheGuard) {
    TestDocument *document = open();
    dialogs.cancelPanel();
    perform(document, ActionId::ImportFromVCard);
    EXPECT_FALSE(document->controller->isExporting());

    choose(testScratchDirectory() + QStringLiteral("/missing.vcf"));
    perform(document, ActionId::ImportFromVCard);
    EXPECT_FALSE(document->controller->isExporting());

    choose(writeTestFile(QStringLiteral("prose.vcf"), "Dear reader,\nno cards here.\n"));
    perform(document, ActionId::ImportFromVCard);
    EXPECT_FALSE(document->controller->isExporting());

    choose(writeTestFile(QStringLiteral("latin1.vcf"), "BEGIN:VCARD\nFN:Ren\xe9\nEND:VCARD\n"),
           "Unicode (UTF-8)");
    perform(document, ActionId::ImportFromVCard);
    EXPECT_FALSE(document->controller->isExporting());

    choose(writeTestFile(QStringLiteral("empty.csv"), ""));
    perform(document, ActionId::ImportFromCSV);
    EXPECT_EQ(openPanel.title, QStringLiteral("Import from CSV"));
    EXPECT_EQ(openPanel.allowedContentTypes,
              (QStringList{"public.comma-separated-values-text", "public.plain-text"}));
    EXPECT_FALSE(document->controller->isExporting());

    const QStringList alerts = alertTexts();
    ASSERT_EQ(alerts.size(), 4);
    EXPECT_TRUE(alerts[0].startsWith(QStringLiteral("Couldn't read the file. | ")))
        << alerts[0].toStdString();
    EXPECT_NE(alerts[0], QStringLiteral("Couldn't read the file. | "));
    EXPECT_EQ(alerts[1],
              QStringLiteral("Couldn't read the file. | Please make sure the file is vCard 2.1/3.0 file."));
    EXPECT_TRUE(alerts[2].startsWith(QStringLiteral("Couldn't read the file. | ")))
        << alerts[2].toStdString();
    EXPECT_NE(alerts[2], alerts[1]);
    EXPECT_EQ(alerts[3],
              QStringLiteral("Couldn't read the file. | Please make sure the file is a valid CSV file."));
    EXPECT_FALSE(sheet(document)->window()->isVisible());

    // A CSV file that cannot be read says why, as the vCard import does, not the CSV advice.
    choose(testScratchDirectory() + QStringLiteral("/missing.csv"));
    perform(document, ActionId::ImportFromCSV);
    ASSERT_EQ(alertTexts().size(), 5);
    EXPECT_EQ(alertTexts()[4], QString(alerts[0]).replace(QStringLiteral("missing.vcf"), QStringLiteral("missing.csv")));
    EXPECT_FALSE(document->controller->isExporting());
}

TEST_F(ImportTest, CsvContactsAreOfferedAtOnce) {
    TestDocument *document = open();
    choose(writeTestFile(QStringLiteral("people.csv"), "First name,Last name\nHal,Hay\nIda,Ink\n"));
    perform(document, ActionId::ImportFromCSV);
    ASSERT_TRUE(sheet(document)->window()->isVisible());
    EXPECT_EQ(sheetNames(document), (QStringList{"Hal Hay", "Ida Ink"}));
    EXPECT_EQ(document->controller->progressAlert()->generation(), 0u);
    selectSheetRows(document, {1});
    sheet(document)->selectButton()->click();
    EXPECT_TRUE(groupNames(document, 0).contains(QStringLiteral("Ida Ink")));
    EXPECT_FALSE(groupNames(document, 0).contains(QStringLiteral("Hal Hay")));
}

TEST_F(ImportTest, CancelInTheProgressWindowImportsNothingAndShowsNothing) {
    QByteArray many;
    for (int i = 0; i < 60; ++i)
        many += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person" + QByteArray::number(i) + "\r\nEND:VCARD\r\n";
    TestDocument *document = open();
    bool guardHeld = false;
    const auto connection = onProgress(document, [&] {
        const int panels = panelsShown();
        content(document)->contactsViewController()->selectRowIndexes({0});
        perform(document, ActionId::ExportToVCard);
        perform(document, ActionId::ImportFromCSV);
        guardHeld = panelsShown() == panels;
        pressCancel(document);
    });
    choose(writeTestFile(QStringLiteral("many.vcf"), many));
    perform(document, ActionId::ImportFromVCard);
    QObject::disconnect(connection);
    EXPECT_TRUE(guardHeld);
    EXPECT_FALSE(sheet(document)->window()->isVisible());
    EXPECT_TRUE(alertTexts().isEmpty());
    EXPECT_FALSE(document->controller->isExporting());

    // The next import of the window runs to its sheet.
    choose(writeTestFile(QStringLiteral("many.vcf"), many));
    perform(document, ActionId::ImportFromVCard);
    EXPECT_EQ(sheetNames(document).size(), 60);
    sheet(document)->cancelButton()->click();
}

TEST_F(ImportTest, WhatTheReadLeftOutIsSaidBeforeTheSelection) {
    TestDocument *document = open();
    dialogs.answerAlert(QStringLiteral("OK"));
    choose(writeTestFile(QStringLiteral("partial.vcf"),
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:never ended, no name\r\n" + ImportedCards +
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Poe;Ada;;;\r\nX-EMPTY:\r\nEND:VCARD\r\n"));
    perform(document, ActionId::ImportFromVCard);
    EXPECT_EQ(dialogs.shown().last().window, document->controller->window());
    const std::optional<Alert> said =
        leftOutAlert(QStringLiteral("partial.vcf"), {.cards = 1, .customItems = 1});
    EXPECT_EQ(alertTexts(), QStringList{said->messageText + QStringLiteral(" | ") + said->informativeText});
    EXPECT_FALSE(sheet(document)->window()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet(document)->window()->isVisible(); }, 5000));
    EXPECT_EQ(sheetNames(document), (QStringList{"Eve Eto", "Fay Fox", "Guy Gil", "Ada Poe"}));
    sheet(document)->cancelButton()->click();
}

TEST_F(ImportTest, ACardWithoutEndIsNamedBeforeTheSelectionAndOffered) {
    TestDocument *document = open();
    for (const IncompleteCardFile &file : incompleteCardFiles()) {
        dialogs.answerAlert(QStringLiteral("OK"));
        choose(writeTestFile(file.name, file.content));
        perform(document, ActionId::ImportFromVCard);
        EXPECT_EQ(dialogs.shown().last().window, document->controller->window());
        EXPECT_EQ(alertTexts().last(), file.noticeText);
        EXPECT_FALSE(sheet(document)->window()->isVisible());
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheet(document)->window()->isVisible(); }, 5000));
        EXPECT_EQ(sheetNames(document), file.cards);
        sheet(document)->cancelButton()->click();
    }
}

TEST_F(ImportTest, SpecialFilesAreRefusedWithTheirErrorByBothImports) {
    TestDocument *document = open();
    for (const auto &[path, reason] : makeSpecialFiles()) {
        for (const QString &command : {ActionId::ImportFromVCard, ActionId::ImportFromCSV}) {
            choose(path);
            perform(document, command);
            EXPECT_EQ(alertTexts().last(),
                      QStringLiteral("Couldn't read the file. | The file “%1” couldn’t be opened %2")
                          .arg(QFileInfo(path).fileName(), reason));
        }
    }
    EXPECT_FALSE(document->controller->isExporting());
}

} // namespace tessarin

namespace tessarin {
using namespace transfer_test;

namespace {

const QByteArray PetCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Poe;Pam;;;\r\nFN:Pam Poe\r\nX-PET:Cat\r\nEND:VCARD\r\n";

class ImportedItemsTest : public ImportTest {
protected:
    static QStringList customItemsMenu(TestDocument *document) {
        QStringList names;
        Menu *menu = document->controller->itemsPopup()->pullDownMenu();
        for (MenuItem *item : menu->itemArray())
            if (item->action() == ActionId::ItemsPopupSelected && item->representedObject().toString() == "PET")
                names.append(item->representedObject().toString());
        return names;
    }

    QByteArray exportAll(TestDocument *document) {
        ContactsViewController *table = content(document)->contactsViewController();
        QList<int> rows(table->subContactTable().size());
        std::iota(rows.begin(), rows.end(), 0);
        table->selectRowIndexes(rows);
        const QString path = testScratchDirectory() + QStringLiteral("/all.vcf");
        QFile::remove(path);
        dialogs.answerPanel([path](const OpenPanel *, const SavePanel *) {
            return PanelResult{ModalResponse::OK, {QUrl::fromLocalFile(path)}};
        });
        perform(document, ActionId::ExportToVCard);
        return fileBytes(path);
    }
};

} // namespace

// The window learns the custom items of contacts that enter it after it opened, so their
// columns are offered and an export writes them.
TEST_F(ImportedItemsTest, AnImportedOrDroppedCardsCustomItemReachesTheItemsMenuAndTheExport) {
    struct Case {
        const char *how;
        std::function<void(TestDocument *)> add;
    };
    const Case cases[] = {
        {"import",
         [this](TestDocument *document) {
             choose(writeTestFile(QStringLiteral("pet.vcf"), PetCard));
             perform(document, ActionId::ImportFromVCard);
             selectSheetRows(document, {0});
             sheet(document)->selectButton()->click();
         }},
        {"drop", [](TestDocument *document) {
             content(document)->addContactByVCardString(QString::fromUtf8(PetCard));
         }},
        {"paste", [](TestDocument *document) {
             Pasteboard::general().declareTypes({PasteboardType::VCard});
             Pasteboard::general().setData(PetCard, PasteboardType::VCard);
             content(document)->contactsViewController()->paste(nullptr);
         }}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        TestDocument *document = open();
        EXPECT_TRUE(customItemsMenu(document).isEmpty());
        c.add(document);
        EXPECT_EQ(customItemsMenu(document), QStringList{"PET"});
        const QByteArray written = exportAll(document);
        EXPECT_EQ(written.count("BEGIN:VCARD"), 5);
        EXPECT_TRUE(written.contains("\r\nX-PET:Cat\r\n")) << written.toStdString();
        EXPECT_TRUE(written.contains("\r\nX-HOBBY:Chess\r\n"));
        // Undo takes the contact out; the window keeps knowing the item.
        document->undoManager()->undo();
        EXPECT_EQ(customItemsMenu(document), QStringList{"PET"});
        closeDocument(document);
    }
}

} // namespace tessarin
