#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/reading/LeftOutNotice.h"
#include "app/reading/ProgressAlert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/FakeContactsReader.h"
#include "tests/app/Opening.h"
#include "state/ActionIds.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using AppDocument = tessarin::Document;
using tessarin::leftOutAlert;

namespace {

const QByteArray kTwoCards = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada Lovelace\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Alan Turing\r\nEND:VCARD\r\n";

using FakeOpening = Opening<FakeContactsReader>;

TEST(Document, AVCardFileOpensBehindTheProgressWindowForAtLeastOneSecond) {
    FakeOpening opening;
    const QString path = writeTestFile(QStringLiteral("two.vcf"), kTwoCards);
    QString messageShown;
    bool windowShown = false;
    Dispatch::main([&] {
        QWidget *modal = Application::shared().modalWindow();
        windowShown = modal && modal->isVisible();
        if (auto *label = modal ? modal->findChild<QLabel *>() : nullptr; label)
            for (QLabel *each : modal->findChildren<QLabel *>())
                if (each->text().startsWith(QLatin1String("Reading")))
                    messageShown = each->text();
    });
    QElapsedTimer timer;
    timer.start();
    AppDocument *document = opening.open(path);
    EXPECT_GE(timer.elapsed(), AppDocument::kMinimumProgressMilliseconds);
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(messageShown, QStringLiteral("Reading the file: two.vcf"));
    EXPECT_EQ(opening.shownNames(document), QStringList({"Ada Lovelace", "Alan Turing"}));
    EXPECT_EQ(document->containerTable(), nullptr); // handed over to the window
    EXPECT_FALSE(document->progressAlert()->window()->isVisible());
    EXPECT_TRUE(opening.alertTexts().isEmpty());
}

TEST(Document, CancelInTheProgressWindowOpensNothingAndShowsNothing) {
    FakeOpening opening;
    const QString path = writeTestFile(QStringLiteral("held.vcf"), kTwoCards);
    opening.reader->held = true;
    Dispatch::main([&] {
        auto *alert = Application::shared().modalWindow();
        ASSERT_NE(alert, nullptr);
        QTest::keyClick(alert, Qt::Key_Escape);
    });
    EXPECT_EQ(opening.open(path), nullptr);
    EXPECT_TRUE(opening.controller.documents().isEmpty());
    EXPECT_TRUE(opening.dialogs.shown().isEmpty());

    // The abandoned parse stops at its next progress report; its result goes nowhere.
    opening.reader->held = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return opening.reader->stopped.load(); }, 5000));

    // The next open is not ended by anything the cancelled one left behind.
    AppDocument *document = opening.open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(opening.shownNames(document).size(), 2);
}

TEST(Document, NoContactGivesTheAdviceOfItsFormat) {
    FakeOpening opening;
    EXPECT_EQ(opening.open(writeTestFile(QStringLiteral("nocard.vcf"), "just some text\n")), nullptr);
    EXPECT_EQ(opening.open(writeTestFile(QStringLiteral("empty.csv"), "")), nullptr);
    EXPECT_EQ(opening.open(writeTestFile(QStringLiteral("header.csv"), "Name,Phone\n")), nullptr);
    EXPECT_EQ(
        opening.alertTexts(),
        QStringList({"The file “nocard.vcf” couldn’t be opened because it isn’t in the correct format. | "
                     "Please make sure the file is vCard 2.1/3.0 file, or text encoding.",
                     "The file “empty.csv” couldn’t be opened because it isn’t in the correct format. | "
                     "Please make sure the file is a valid CSV file, or text encoding.",
                     "The file “header.csv” couldn’t be opened because it isn’t in the correct format. | "
                     "Please make sure the file is a valid CSV file, or text encoding."}));
    EXPECT_TRUE(opening.controller.documents().isEmpty());
}

// A large CSV file takes as long as a vCard one: it is read behind the same window, and its
// Cancel opens nothing.
TEST(Document, ACsvFileIsReadBehindTheProgressWindowToo) {
    FakeOpening opening;
    const QString path =
        writeTestFile(QStringLiteral("list.csv"), "Name,Phone\nGrace Hopper,1\nEdsger Dijkstra,2\n");
    bool windowShown = false;
    Dispatch::main([&] {
        QWidget *modal = Application::shared().modalWindow();
        windowShown = modal && modal->isVisible();
    });
    ::Document *document = opening.open(path);
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(opening.reader->parses.load(), 0);
    EXPECT_EQ(opening.reader->csvParses.load(), 1);
    EXPECT_EQ(opening.shownNames(document), QStringList({"Grace Hopper", "Edsger Dijkstra"}));
    EXPECT_EQ(static_cast<AppDocument *>(document)->progressAlert()->generation(), 1u);
    document->close();

    opening.reader->held = true;
    // Escape once the progress window is up (the close above may still be settling).
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (QWidget *alert = Application::shared().modalWindow(); alert && alert->isVisible()) {
            escape.stop();
            QTest::keyClick(alert, Qt::Key_Escape);
        }
    });
    escape.start(20);
    EXPECT_EQ(opening.open(path), nullptr);
    EXPECT_TRUE(opening.dialogs.shown().isEmpty());
    opening.reader->held = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return opening.reader->stopped.load(); }, 5000));
}

TEST(Document, AParseErrorIsHandedOnUnchanged) {
    FakeOpening opening;
    opening.reader->failWith = {QStringLiteral("vCard"), 12, QStringLiteral("The card is nested too deep."),
                                QString()};
    EXPECT_EQ(opening.open(writeTestFile(QStringLiteral("deep.vcf"), kTwoCards)), nullptr);
    EXPECT_EQ(opening.alertTexts(), QStringList({"The card is nested too deep. | "}));
}

TEST(Document, AnUntitledDocumentHasAnEmptyAllContactsGroup) {
    FakeOpening opening;
    ::Document *document = opening.controller.openUntitledDocumentAndDisplay(true);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(opening.shownNames(document), QStringList());
    ASSERT_NE(static_cast<AppDocument *>(document)->mainViewController(), nullptr);
    EXPECT_EQ(document->windowForSheet()->windowTitle().remove(QStringLiteral("[*]")),
              QStringLiteral("Untitled"));
    EXPECT_EQ(document->windowForSheet()->size(), QSize(900, 500));
}

TEST(Document, AShiftJisFileReadsTheSameChosenOrDetected) {
    FakeOpening opening;
    QFile sample(QStringLiteral(TESSARIN_TESTDATA_DIR "/aosp/v21_japanese_2.vcf"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray bytes = sample.readAll();
    const QString chosenPath = writeTestFile(QStringLiteral("chosen.vcf"), bytes);
    const QString detectedPath = writeTestFile(QStringLiteral("detected.vcf"), bytes);

    opening.openThroughPanel(chosenPath, QStringLiteral("Japanese (Shift JIS)"));
    ASSERT_EQ(opening.controller.documents().size(), 1);
    const QStringList chosen = opening.shownNames(opening.controller.documents().first());
    EXPECT_EQ(chosen, QStringList({QStringLiteral("安藤 ロイド 1")}));
    // Every open starts again at "Automatic".
    EXPECT_EQ(opening.controller.encodingAccessory()->encodingTypePopup()->currentText(),
              QStringLiteral("Automatic"));

    ::Document *detected = opening.open(detectedPath);
    ASSERT_NE(detected, nullptr);
    EXPECT_EQ(opening.shownNames(detected), chosen);
}

TEST(Document, BytesInvalidInTheChosenEncodingFailTheRead) {
    FakeOpening opening;
    // 0x82 0x20 is no Shift_JIS character.
    const QString path =
        writeTestFile(QStringLiteral("broken.vcf"), "BEGIN:VCARD\r\nFN:\x82\x20\r\nEND:VCARD\r\n");
    opening.openThroughPanel(path, QStringLiteral("Japanese (Shift JIS)"));
    EXPECT_TRUE(opening.controller.documents().isEmpty());
    EXPECT_EQ(opening.alertTexts(),
              QStringList(
                  {"The file “broken.vcf” couldn’t be opened using text encoding Japanese (Shift JIS). | "}));
    EXPECT_EQ(opening.reader->parses.load(), 0);

    // A file that is gone.
    EXPECT_EQ(opening.open(testScratchDirectory() + QStringLiteral("/missing.vcf")), nullptr);
    EXPECT_EQ(opening.alertTexts().value(1),
              QStringLiteral("The file “missing.vcf” couldn’t be opened because there is no such file. | "));
}

TEST(Document, ARereadWhileTheWindowIsOpenParsesAtOnceAndRefreshesIt) {
    FakeOpening opening;
    const QString path = writeTestFile(QStringLiteral("reread.vcf"), kTwoCards);
    auto *document = static_cast<AppDocument *>(opening.open(path));
    ASSERT_NE(document, nullptr);
    const quint64 generation = document->progressAlert()->generation();
    writeTestFile(QStringLiteral("reread.vcf"), "BEGIN:VCARD\r\nFN:Only One\r\nEND:VCARD\r\n");
    PlatformError error;
    EXPECT_TRUE(document->readFromURL(QUrl::fromLocalFile(path), QStringLiteral("public.vcard"), &error));
    EXPECT_EQ(document->progressAlert()->generation(), generation);
    EXPECT_EQ(opening.shownNames(document), QStringList({"Only One"}));
}

TEST(Document, SaveRevertDuplicateAndVersionsAreNeverOffered) {
    FakeOpening opening;
    AppDocument document;
    for (const QString &action : {ActionId::SaveDocument, ActionId::RevertDocumentToSaved,
                                  ActionId::DuplicateDocument, ActionId::BrowseDocumentVersions}) {
        MenuItem item(QStringLiteral("x"), action);
        EXPECT_FALSE(document.validateMenuItem(&item)) << action.toStdString();
    }
    MenuItem close(QStringLiteral("Close"), ActionId::PerformClose);
    EXPECT_TRUE(document.validateMenuItem(&close));
}

TEST(Document, AFileOpenedBeforeOpensAtItsStoredFrame) {
    FakeOpening opening;
    UserDefaults::standard().setObject(QStringLiteral("40 50 700 420"),
                                       Window::frameKey(QStringLiteral("framed.vcf")));
    ::Document *document = opening.open(writeTestFile(QStringLiteral("framed.vcf"), kTwoCards));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->windowForSheet()->size(), QSize(700, 420));
}

TEST(Document, ProgressFollowsThePositionReachedInTheText) {
    FakeOpening opening;
    QByteArray cards;
    for (int i = 0; i < 20; ++i)
        cards += "BEGIN:VCARD\r\nFN:Card " + QByteArray::number(i) + "\r\nEND:VCARD\r\n";
    opening.reader->cardDelayMilliseconds = 60;
    QList<int> seen;
    QTimer sampler; // goes before `seen`
    QObject::connect(&sampler, &QTimer::timeout, [&seen] {
        if (QWidget *modal = Application::shared().modalWindow())
            seen.append(modal->findChild<QProgressBar *>()->value());
    });
    sampler.start(20);
    ASSERT_NE(opening.open(writeTestFile(QStringLiteral("twenty.vcf"), cards)), nullptr);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](int value) { return value > 10 && value < 90; }));
}

TEST(Document, TheLeftOutSheetCountsEachKindInWholeSentences) {
    EXPECT_FALSE(leftOutAlert(QStringLiteral("a.vcf"), {}));
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.append(QStringLiteral("N%1").arg(i));
    const char *leftOut = "Some contents of “a.vcf” were left out.|";
    const char *incomplete = "Some cards of “a.vcf” may be incomplete.|";
    const struct {
        VCardLeftOut leftOut;
        const char *title;
        const char *says;
    } cases[] = {
        {{.cards = 1}, leftOut, "1 card could not be read."},
        {{.photos = 1}, leftOut, "1 photo larger than 16 MB was left out; its card was read."},
        {{.lines = {"GEO"}}, leftOut, "Lines a contact has no place for were left out: GEO."},
        {{.parameters = {"ADR;GEO", "ADR;LABEL"}},
         leftOut,
         "Parameters a contact has no place for were left out: ADR;GEO, ADR;LABEL."},
        {{.cards = 2, .photos = 3, .nestedCards = 4, .customItems = 5, .lines = {"GENDER", "LANG", "PHOTO"}},
         leftOut,
         "2 cards could not be read.\n4 cards nested more than 8 levels deep were left out.\n"
         "3 photos larger than 16 MB were left out; their cards were read.\n"
         "5 custom items without a value, or named like a field, were left out.\n"
         "Lines a contact has no place for were left out: GENDER, LANG, PHOTO."},
        // Cards kept without their end are named, and are no loss of their own.
        {{.incompleteCards = {"Ann Lee"}},
         incomplete,
         "1 card has no END:VCARD and may be incomplete; it was kept as it was read: “Ann Lee”."},
        {{.incompleteCards = twelve},
         incomplete,
         "12 cards have no END:VCARD and may be incomplete; they were kept as they were read: “N1”, “N2”, "
         "“N3”, “N4”, “N5”, “N6”, “N7”, “N8”, “N9”, “N10” and 2 more."},
        {{.cards = 1, .incompleteCards = {"Ann Lee", "Bo, Jr."}},
         leftOut,
         "1 card could not be read.\n2 cards have no END:VCARD and may be incomplete; they were kept as they "
         "were read: “Ann Lee”, “Bo, Jr.”."},
    };
    for (const auto &c : cases) {
        const std::optional<Alert> alert = leftOutAlert(QStringLiteral("a.vcf"), c.leftOut);
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->messageText + u'|' + alert->informativeText,
                  QString::fromUtf8(c.title) + QString::fromUtf8(c.says));
    }
}

TEST(DocumentController, AWindowLeftOnNoScreenIsCentredOnARemainingOne) {
    FakeOpening opening;
    ::Document *document = opening.controller.openUntitledDocumentAndDisplay(true);
    Window *window = document->windowForSheet();
    window->move(40000, 40000);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_FALSE(screen.intersects(window->frameGeometry()));
    opening.controller.screenChanged();
    EXPECT_TRUE(screen.intersects(window->frameGeometry()));

    // A window that is still shown stays where it is.
    window->move(screen.topLeft() + QPoint(10, 10));
    const QPoint kept = window->pos();
    opening.controller.screenChanged();
    EXPECT_EQ(window->pos(), kept);
}

} // namespace
