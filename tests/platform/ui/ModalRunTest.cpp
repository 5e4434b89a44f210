#include "tests/platform/ui/UiTestSupport.h"

#include "platform/core/Dispatch.h"
#include "platform/ui/Dialogs.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(ModalRun, EndsWithTheCodeAPostedBlockGivesIt) {
    for (int code : {ModalResponse::Stop, ModalResponse::Abort, ModalResponse::OK, ModalResponse::Cancel}) {
        QWidget window;
        Dispatch::main([code] { Application::shared().stopModalWithCode(code); });
        EXPECT_EQ(Application::shared().runModalForWindow(&window), code);
        EXPECT_EQ(Application::shared().modalWindow(), nullptr);
    }
}

TEST(ModalRun, TheLaterOfTwoEndsInOneTurnWins) {
    // The progress window's Cancel: closing it stops the run, then Cancel aborts it.
    QWidget window;
    Dispatch::main([&window] {
        window.close();
        Application::shared().stopModal();
        Application::shared().abortModal();
    });
    EXPECT_EQ(Application::shared().runModalForWindow(&window), ModalResponse::Abort);

    // Ending before closing keeps the explicit end.
    QWidget second;
    Dispatch::main([&second] {
        Application::shared().abortModal();
        second.close();
    });
    EXPECT_EQ(Application::shared().runModalForWindow(&second), ModalResponse::Abort);
}

TEST(ModalRun, AWindowClosedWithoutAnEndStopsItsRunAndLateEndsAreIgnored) {
    QWidget window;
    Dispatch::main([&window] { window.close(); });
    EXPECT_EQ(Application::shared().runModalForWindow(&window), ModalResponse::Stop);
    Application::shared().stopModalWithCode(5); // no run: nothing happens

    // A nested run ends only itself.
    QWidget outer, inner;
    int innerCode = 0;
    Dispatch::main([&] {
        Dispatch::main([] { Application::shared().stopModalWithCode(7); });
        innerCode = Application::shared().runModalForWindow(&inner);
        EXPECT_EQ(Application::shared().modalWindow(), &outer);
        Application::shared().stopModalWithCode(8);
    });
    EXPECT_EQ(Application::shared().runModalForWindow(&outer), 8);
    EXPECT_EQ(innerCode, 7);
}

TEST(Sheets, ASheetsCompletionRunsOnceWithTheCodeItEndedWith) {
    Window window;
    window.resize(400, 300);
    window.show();
    QDialog sheet;
    auto *ok = new QPushButton(QStringLiteral("OK"), &sheet);
    QObject::connect(ok, &QPushButton::clicked, [&sheet] { Application::shared().endSheet(&sheet, 1); });
    QList<int> codes;
    Application::shared().beginSheet(&sheet, &window, [&codes](int code) { codes.append(code); });
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(Application::shared().attachedSheet(&window), &sheet);
    QTest::mouseClick(ok, Qt::LeftButton);
    Application::shared().endSheet(&sheet, 0);
    EXPECT_EQ(codes, QList<int>{1});
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(Application::shared().attachedSheet(&window), nullptr);
    EXPECT_EQ(sheet.parentWidget(), nullptr); // its owner keeps it

    // Closed by the window system: counted as Cancel, once.
    codes.clear();
    Application::shared().beginSheet(&sheet, &window, [&codes](int code) { codes.append(code); });
    sheet.close();
    EXPECT_EQ(codes, QList<int>{ModalResponse::Cancel});
}

TEST(Alerts, ScriptedAnswersComeBackAsTheButtonPressedAndSheetsCompleteAfterTheCallerReturned) {
    ScriptedDialogPresenter dialogs;
    Window window;
    window.show();
    Alert alert;
    alert.messageText = QStringLiteral("Do you want to remove the group?");
    alert.informativeText = QStringLiteral("This operation can't be undone.");
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.addButtonWithTitle(QStringLiteral("Cancel"));

    dialogs.answerAlert(QStringLiteral("Cancel"));
    EXPECT_EQ(alert.runModal(&window), AlertSecondButtonReturn);

    dialogs.answerAlert(QStringLiteral("OK"));
    QList<int> answers;
    alert.beginSheetModalForWindow(&window, [&answers](int response) { answers.append(response); });
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, 1000));
    QTest::qWait(20);
    EXPECT_EQ(answers, QList<int>{AlertFirstButtonReturn});

    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[1].kind, ScriptedDialogPresenter::Kind::AlertSheet);
    EXPECT_EQ(dialogs.shown()[1].alert.messageText, alert.messageText);
    EXPECT_EQ(dialogs.shown()[1].window, &window);
    EXPECT_EQ(dialogs.unansweredCount(), 0);

    // An alert nobody scripted is noticed and answered with its last button.
    EXPECT_EQ(alert.runModal(), AlertSecondButtonReturn);
    EXPECT_EQ(dialogs.unansweredCount(), 1);
}

TEST(Panels, ScriptedPanelsSeeTheirSettingsAndMayWorkTheAccessory) {
    ScriptedDialogPresenter dialogs;
    QWidget accessory;
    OpenPanel open;
    open.title = QStringLiteral("Import from CSV");
    open.allowedContentTypes = {QStringLiteral("public.comma-separated-values-text")};
    open.accessoryView = &accessory;
    dialogs.answerPanel([](const OpenPanel *panel, const SavePanel *) {
        panel->accessoryView->setObjectName(QStringLiteral("touched"));
        return PanelResult{ModalResponse::OK, {QUrl::fromLocalFile(QStringLiteral("/tmp/a.csv"))}};
    });
    const PanelResult opened = DialogPresenter::current().runOpenPanel(open, nullptr);
    EXPECT_EQ(opened.response, ModalResponse::OK);
    EXPECT_EQ(opened.url().toLocalFile(), QStringLiteral("/tmp/a.csv"));
    EXPECT_EQ(accessory.objectName(), QStringLiteral("touched"));

    SavePanel save;
    save.nameFieldLabel = QStringLiteral("Export As:");
    save.nameFieldStringValue = QStringLiteral("Hanako.vcf");
    dialogs.cancelPanel();
    EXPECT_EQ(DialogPresenter::current().runSavePanel(save, nullptr).response, ModalResponse::Cancel);
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[0].openPanel.title, QStringLiteral("Import from CSV"));
    EXPECT_EQ(dialogs.shown()[1].savePanel.nameFieldLabel, QStringLiteral("Export As:"));
}

TEST(Panels, TheRealSavePanelCarriesTheAccessoryRowTitleAndNameLabel) {
    QWidget accessory;
    QPointer<QFileDialog> seen;
    QString label, proposed;
    bool accessoryShown = false;
    // Answer the real dialog from inside its own modal loop.
    Dispatch::after(50, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = dialog;
        label = dialog->labelText(QFileDialog::FileName);
        accessoryShown = accessory.isVisible() && dialog->isAncestorOf(&accessory);
        proposed = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        dialog->reject();
    });
    SavePanel save;
    save.title = QStringLiteral("Export");
    save.nameFieldLabel = QStringLiteral("Export As:");
    save.nameFieldStringValue = QStringLiteral("Hanako.vcf");
    save.allowedContentTypes = {QStringLiteral("public.vcard")};
    save.accessoryView = &accessory;
    WidgetDialogPresenter real;
    EXPECT_EQ(real.runSavePanel(save, nullptr).response, ModalResponse::Cancel);
    EXPECT_EQ(label, QStringLiteral("Export As:"));
    EXPECT_EQ(proposed, QStringLiteral("Hanako.vcf"));
    EXPECT_TRUE(accessoryShown);
    EXPECT_EQ(accessory.parentWidget(), nullptr); // handed back to its owner
}

} // namespace

namespace {

TEST(FilePanels, StartInTheLastFolderUsedElseTheSuggestedElseHomeNeverTheWorkingFolder) {
    EXPECT_EQ(DialogPresenter::startingFolder(QString()), QDir::homePath());
    EXPECT_EQ(DialogPresenter::startingFolder(QStringLiteral("/srv/contacts")), QStringLiteral("/srv/contacts"));
    DialogPresenter::noteFolderUsed(PanelResult{ModalResponse::Cancel, {QUrl::fromLocalFile("/tmp/x/a.vcf")}});
    EXPECT_EQ(DialogPresenter::startingFolder(QString()), QDir::homePath());
    DialogPresenter::noteFolderUsed(PanelResult{ModalResponse::OK, {QUrl::fromLocalFile("/srv/exports/all.vcf")}});
    EXPECT_EQ(DialogPresenter::startingFolder(QStringLiteral("/srv/contacts")), QStringLiteral("/srv/exports"));
}

} // namespace
