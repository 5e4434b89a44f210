#include "tests/platform/ui/UiTestSupport.h"

#include "platform/core/UserDefaults.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// A document that reads any non-empty file and records its window's close.
class TextDocument : public Document {
public:
    explicit TextDocument(QStringList *log)
        : log_(log) {}
    bool readFromURL(const QUrl &url, const QString &, PlatformError *error) override {
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly) || file.size() == 0) {
            if (file.fileName().endsWith(QLatin1String("cancel.vcf")))
                return false; // a cancelled read: no error
            *error = {QStringLiteral("Application"), 259, QStringLiteral("Couldn't read the file."),
                      QStringLiteral("Please make sure the file is vCard 2.1/3.0 file, or text encoding.")};
            return false;
        }
        return true;
    }
    void makeWindowControllers() override {
        if (Application::shared().shouldOfferPreferencesReset())
            log_->append(QStringLiteral("offer reset ") + displayName());
        auto *controller = new ClosingController(log_, this);
        addWindowController(controller);
        controller->window()->resize(500, 400);
        controller->setWindowFrameAutosaveName(displayName());
    }

private:
    class ClosingController : public WindowController {
    public:
        ClosingController(QStringList *log, Document *document)
            : log_(log)
            , document_(document) {}
        void windowWillClose() override { log_->append(QStringLiteral("close ") + document_->displayName()); }

    private:
        QStringList *log_;
        Document *document_;
    };
    QStringList *log_;
};

class TextDocumentController : public DocumentController {
public:
    QStringList log;

protected:
    Document *makeDocument(const QString &) override { return new TextDocument(&log); }
};

QString writeFile(const QString &name, const QByteArray &content) {
    const QString path = testScratchDirectory() + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    return path;
}

struct Launch {
    Launch() {
        Application::shared().setQuitHandler([this] { ++quits; });
    }
    ~Launch() {
        Application::shared().setTerminatesAfterLastWindowClosed(false);
        controller.closeAllDocuments();
        QTest::qWait(1);
        Application::shared().setQuitHandler({});
    }
    ScriptedDialogPresenter dialogs;
    TextDocumentController controller;
    int quits = 0;
};

TEST(DocumentController, NewDocumentsAreNumberedFromUntitledUsingTheLowestFreeNumber) {
    Launch launch;
    Document *first = launch.controller.openUntitledDocumentAndDisplay();
    Document *second = launch.controller.openUntitledDocumentAndDisplay();
    Document *third = launch.controller.openUntitledDocumentAndDisplay();
    EXPECT_EQ(first->displayName(), QStringLiteral("Untitled"));
    EXPECT_EQ(second->displayName(), QStringLiteral("Untitled 2"));
    EXPECT_EQ(third->displayName(), QStringLiteral("Untitled 3"));
    EXPECT_EQ(second->windowControllers().first()->window()->windowTitle(), QStringLiteral("Untitled 2[*]"));

    second->close();
    // Every window's own menu bar carries the application-level items.
    Window *window = first->windowControllers().first()->window();
    Menu *file = window->mainMenu()->itemWithTitle(QStringLiteral("File"))->submenu();
    ASSERT_NE(file, nullptr);
    EXPECT_NE(window->mainMenu()->itemWithTitle(QStringLiteral("Help")), nullptr);
    file->itemWithTitle(QStringLiteral("New"))->trigger();
    EXPECT_EQ(launch.controller.documents().last()->displayName(), QStringLiteral("Untitled 2"));
    EXPECT_EQ(launch.controller.documents().size(), 3);

    // A file-backed document turned untitled takes a number then.
    first->setFileURL(QUrl());
    EXPECT_EQ(first->displayName(), QStringLiteral("Untitled"));
}

TEST(DocumentController, OpeningAnOpenFileBringsItsWindowForwardAndFailuresShowTheirAdvice) {
    Launch launch;
    const QString path = writeFile(QStringLiteral("Friends.vcf"), "BEGIN:VCARD\r\nEND:VCARD\r\n");
    Document *document = launch.controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(path));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->displayName(), QStringLiteral("Friends.vcf"));
    EXPECT_EQ(document->fileType(), QStringLiteral("public.vcard"));
    Window *window = document->windowControllers().first()->window();
    window->lower();
    EXPECT_EQ(launch.controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(path)), document);
    EXPECT_EQ(launch.controller.documents().size(), 1);
    EXPECT_EQ(document->windowControllers().size(), 1);

    const QString empty = writeFile(QStringLiteral("empty.vcf"), "");
    EXPECT_EQ(launch.controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(empty)), nullptr);
    ASSERT_EQ(launch.dialogs.shown().size(), 1);
    EXPECT_EQ(launch.dialogs.shown()[0].alert.messageText, QStringLiteral("Couldn't read the file."));
    EXPECT_EQ(launch.dialogs.shown()[0].alert.informativeText,
              QStringLiteral("Please make sure the file is vCard 2.1/3.0 file, or text encoding."));

    // A cancelled read opens nothing and shows nothing.
    const QString cancelled = writeFile(QStringLiteral("cancel.vcf"), "");
    EXPECT_EQ(launch.controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(cancelled)), nullptr);
    EXPECT_EQ(launch.dialogs.shown().size(), 1);
    EXPECT_EQ(launch.controller.documents().size(), 1);
    launch.dialogs.answerAlert(QStringLiteral("OK")); // the pending failure alert below
    EXPECT_EQ(
        launch.controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(QStringLiteral("/x/y.pdf"))),
        nullptr);
    EXPECT_EQ(launch.dialogs.shown().size(), 2);
}

TEST(DocumentController, OpenRunsThePanelWithTheReadableTypes) {
    Launch launch;
    const QString path = writeFile(QStringLiteral("List.csv"), "Name\nHanako\n");
    launch.dialogs.chooseFiles({QUrl::fromLocalFile(path)});
    ActionRouter::sendAction(QStringLiteral("openDocument:"), nullptr, nullptr);
    ASSERT_EQ(launch.controller.documents().size(), 1);
    EXPECT_EQ(launch.controller.documents().first()->fileType(),
              QStringLiteral("public.comma-separated-values-text"));
    EXPECT_EQ(launch.dialogs.shown()[0].openPanel.allowedContentTypes,
              (QStringList{"public.vcard", "public.comma-separated-values-text"}));
}

TEST(Application, LaunchOpensNamedFilesOrAnUntitledDocumentAndQuitsAfterTheLastWindowClosed) {
    {
        Launch launch;
        const QString a = writeFile(QStringLiteral("a.vcf"), "x");
        const QString b = writeFile(QStringLiteral("b.vcf"), "y");
        Application::shared().finishLaunching(
            {QStringLiteral("tessarin2"), a, QStringLiteral("--reset-preferences"), b});
        EXPECT_TRUE(Application::shared().resetPreferencesRequested());
        // Spent on the launch's windows: a window opened later asks only with the chord held.
        EXPECT_FALSE(Application::shared().shouldOfferPreferencesReset());
        ASSERT_EQ(launch.controller.documents().size(), 2);
        EXPECT_EQ(launch.controller.documents()[1]->displayName(), QStringLiteral("b.vcf"));

        launch.controller.documents()[0]->windowControllers().first()->close();
        QTest::qWait(5);
        EXPECT_EQ(launch.quits, 0);
        // Quit: every window runs its close handler before the application quits.
        Application::shared().terminate();
        EXPECT_EQ(launch.controller.log,
                  (QStringList{"offer reset a.vcf", "offer reset b.vcf", "close a.vcf", "close b.vcf"}));
        EXPECT_EQ(launch.quits, 1);
    }
    {
        Launch launch;
        Application::shared().finishLaunching({QStringLiteral("tessarin2")});
        EXPECT_FALSE(Application::shared().resetPreferencesRequested());
        ASSERT_EQ(launch.controller.documents().size(), 1);
        EXPECT_EQ(launch.controller.documents()[0]->displayName(), QStringLiteral("Untitled"));
        launch.controller.documents()[0]->windowControllers().first()->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return launch.quits == 1; }, 1000));
        EXPECT_EQ(launch.controller.log, QStringList{"close Untitled"});
    }
}

TEST(Window, FramesAreStoredPerDocumentNameAndForgottenWithThePreferences) {
    Launch launch;
    const QString path = writeFile(QStringLiteral("Family.vcf"), "x");
    Document *document = launch.controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(path));
    Window *window = document->windowControllers().first()->window();
    window->resize(640, 480);
    window->setDocumentEdited(true);
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(window->isWindowModified());
    document->close();
    const QString key = QStringLiteral("NSWindow Frame Family.vcf");
    EXPECT_TRUE(UserDefaults::standard().storedKeys().contains(key));

    QTest::qWait(1);
    document = launch.controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(path));
    EXPECT_EQ(document->windowControllers().first()->window()->size(), QSize(640, 480));
    document->close();
    UserDefaults::standard().resetAll();
    Window fresh;
    EXPECT_FALSE(fresh.setFrameUsingName(QStringLiteral("Family.vcf")));
}

TEST(ModifierKeys, TheResetChordNeedsShiftCtrlAndAlt) {
    EXPECT_TRUE(isResetPreferencesChord(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    EXPECT_TRUE(isResetPreferencesChord(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                                        Qt::MetaModifier));
    EXPECT_FALSE(isResetPreferencesChord(Qt::ShiftModifier | Qt::ControlModifier));
    overrideModifierFlags(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(Application::shared().shouldOfferPreferencesReset());
    overrideModifierFlags(std::nullopt);
}

} // namespace
