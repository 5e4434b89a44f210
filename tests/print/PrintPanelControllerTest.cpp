#include "print/PrintPanelController.h"

#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "print/PrintPreviewView.h"
#include "print/PrintView.h"
#include "tests/print/PrintPanelTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using namespace print_test;

// Contacts of a few lines each, numbered.
SubContactTable contacts(int count) {
    QString vcards;
    for (int i = 0; i < count; ++i)
        vcards += card(QStringLiteral("Family"), QStringLiteral("Given%1").arg(i),
                       QStringLiteral("TEL;type=WORK:03 1234 %1\r\nADR;type=HOME:;;丸の内%1;千代田区;東京都;100-0005;日本\r\n")
                           .arg(i));
    return rowsOf(vcards);
}

class PrintPanelTest : public testing::Test {
protected:
    Window window;
    QList<int> codes;
    QPointer<PrintPanelController> panel;
    std::shared_ptr<PrintOptions> options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());

    void SetUp() override {
        window.resize(1100, 800);
        window.show();
        PrintPanelController::setSharedPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    }
    void TearDown() override {
        if (panel && Application::shared().attachedSheet(&window))
            panel->cancelButton()->click();
    }
    void open(const SubContactTable &rows, const QString &style) {
        setLastPrintStyle(style, UserDefaults::standard());
        panel = PrintPanelController::printDocument(rows, {FieldId::Name, FieldId::Phone}, &window, options,
                                                    QStringLiteral("Family & Friends"),
                                                    [this](int code) { codes.append(code); });
        ASSERT_TRUE(panel);
        waitForPreview(0);
    }
    // Until the preview has rendered more often than `renders` and no change waits.
    void waitForPreview(int renders) {
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return panel->previewRenderCount() > renders && !panel->isPreviewPending(); }, 10000));
    }
    // Pages of the engine for the panel's rows, options and paper.
    int enginePages() {
        QPdfWriter writer(testScratchDirectory() + QStringLiteral("/count.pdf"));
        writer.setPageLayout(panel->pageLayout());
        return panel->printView().pageCount(writer);
    }
};

TEST_F(PrintPanelTest, ThePrintCommandOpensOnTheWindowInTheLastStyle) {
    EXPECT_EQ(PrintPanelController::printDocument({}, {}, &window), nullptr);
    EXPECT_EQ(Application::shared().attachedSheet(&window), nullptr);

    open(contacts(3), PrintStyle::Envelope);
    ASSERT_EQ(Application::shared().attachedSheet(&window), panel->window());
    EXPECT_EQ(panel->accessory()->styleTab()->currentIndex(), 2);
    EXPECT_EQ(panel->previewPageCount(), 3);
    EXPECT_EQ(panel->pageField()->text(), QStringLiteral("Page 1 of 3"));
    EXPECT_FALSE(panel->previousPageButton()->isEnabled());
    panel->nextPageButton()->click();
    EXPECT_EQ(panel->pageField()->text(), QStringLiteral("Page 2 of 3"));

    // Another style is counted and drawn at the next render.
    panel->accessory()->styleTab()->setCurrentIndex(0);
    waitForPreview(panel->previewRenderCount());
    EXPECT_EQ(panel->previewPageCount(), 1);
    EXPECT_EQ(lastPrintStyle(UserDefaults::standard()), PrintStyle::AddressList);

    QTest::keyClick(panel->window(), Qt::Key_Escape);
    EXPECT_EQ(codes, QList<int>{PrintPanelController::CancelResponse});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(panel.isNull());
}

TEST_F(PrintPanelTest, ABurstOfChangesRendersThePreviewOnce) {
    open(contacts(40), PrintStyle::AddressList);
    const int renders = panel->previewRenderCount();
    type(panel->accessory()->topMarginField(), QStringLiteral("144"));
    EXPECT_TRUE(panel->isPreviewPending());
    EXPECT_EQ(panel->previewRenderCount(), renders);
    waitForPreview(renders);
    QTest::qWait(3 * PrintPanelController::previewDelayMilliseconds);
    EXPECT_EQ(panel->previewRenderCount(), renders + 1);
    EXPECT_EQ(panel->printView().printOptions()->topMargin, 144); // the view reads the live record
    EXPECT_EQ(panel->previewPageCount(), enginePages());
    EXPECT_GT(panel->previewPageCount(), 1);
}

TEST_F(PrintPanelTest, ThePaperReachesThePreviewAndTheEnvelopeBox) {
    open(contacts(2), PrintStyle::Envelope);
    choose(panel->paperPopup(), QStringLiteral("Letter"));
    choose(panel->orientationPopup(), QPageLayout::Landscape);
    EXPECT_EQ(panel->printView().pageLayout().pageSize().key(), QStringLiteral("Letter"));
    EXPECT_EQ(panel->printView().pageLayout().orientation(), QPageLayout::Landscape);
    // One box per paper, whichever way round it lies.
    EXPECT_EQ(options->envelope.textRectDict.value(QStringLiteral("Letter")), defaultEnvelopeTextRect({612, 792}));
    waitForPreview(1);
    const QImage page = panel->previewView()->pageImage();
    EXPECT_GT(page.width(), page.height());
}

// The switches come back from the preferences, not from a record kept in memory.
TEST_F(PrintPanelTest, VerticalTextAndItsDirectionComeBackFromThePreferences) {
    setLastPrintStyle(PrintStyle::Envelope, UserDefaults::standard());
    for (const bool vertical : {true, false}) {
        panel = PrintPanelController::printDocument(contacts(1), {FieldId::Name}, &window);
        ASSERT_TRUE(panel);
        AccessoryViewController *accessory = panel->accessory();
        if (accessory->envelopeTabDrawVertical()->isChecked() != vertical)
            accessory->envelopeTabDrawVertical()->click();
        choose(accessory->envelopeTabTextDirection(),
               vertical ? TextDirection::UpDown : TextDirection::LeftRight);
        panel->cancelButton()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        panel = PrintPanelController::printDocument(contacts(1), {FieldId::Name}, &window);
        ASSERT_TRUE(panel);
        accessory = panel->accessory();
        EXPECT_EQ(accessory->envelopeTabDrawVertical()->isChecked(), vertical);
        EXPECT_EQ(accessory->envelopeTabTextDirection()->currentData(),
                  vertical ? TextDirection::UpDown : TextDirection::LeftRight);
        EXPECT_EQ(panel->printOptions()->envelope.printVertical, vertical);
        panel->cancelButton()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Thousands of contacts: a change shows on the page in view at once, and the pages after it
// are counted a slice at a time, the window answering in between.
TEST_F(PrintPanelTest, ThePreviewShowsThePageInViewAndCountsTheRestWhileTheWindowAnswers) {
    open(contacts(1000), PrintStyle::AddressList);
    const int pages = enginePages();
    ASSERT_GT(pages, 10);
    EXPECT_EQ(panel->previewPageCount(), pages);
    panel->nextPageButton()->click();
    EXPECT_EQ(panel->previewView()->currentPage(), 2);

    const int renders = panel->previewRenderCount();
    panel->accessory()->aListTabPrintFrameSwitch()->click();
    // When the change first shows, an event is posted: it must be handled while pages are
    // still being counted.
    int pagesWhenShown = -1;
    int pagesWhenAnswered = -1;
    auto firstShown = QObject::connect(panel.data(), &PrintPanelController::previewUpdated, [&] {
        if (pagesWhenShown >= 0 || panel->isPreviewPendingChange())
            return;
        pagesWhenShown = panel->previewPageCount();
        QTimer::singleShot(0, [&] {
            pagesWhenAnswered = panel->previewView()->isLaidOut() ? 0 : panel->previewPageCount();
        });
    });
    waitForPreview(renders);
    QObject::disconnect(firstShown);
    EXPECT_GE(pagesWhenShown, 2);
    EXPECT_LT(pagesWhenShown, pages);
    EXPECT_GE(pagesWhenAnswered, pagesWhenShown) << "the window waited for the whole count";
    EXPECT_LT(pagesWhenAnswered, pages);
    EXPECT_EQ(panel->previewPageCount(), pages);
    EXPECT_EQ(panel->previewView()->currentPage(), 2);
    EXPECT_EQ(panel->pageField()->text(), QStringLiteral("Page 2 of %1").arg(pages));

    // The page in view is the page printed: its ink where the PDF's page 2 has its words.
    const QString pdf = testScratchDirectory() + QStringLiteral("/preview.pdf");
    QPdfWriter writer(pdf);
    writer.setPageLayout(panel->pageLayout());
    ASSERT_TRUE(panel->printView().print(writer));
    const QImage shown = panel->previewView()->pageImage();
    const double scale = shown.width() / panel->pageLayout().fullRect(QPageLayout::Point).width();
    const auto words = pdfWords(pdf, 2);
    ASSERT_FALSE(words.empty());
    for (const PdfWord &word : {words.front(), words.back()}) {
        const QRect box = QRectF(word.box.topLeft() * scale, word.box.size() * scale).toAlignedRect();
        int inked = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                inked += qGray(shown.pixel(x, y)) < 128;
        EXPECT_GT(inked, 0) << word.text.toStdString();
    }
}

TEST_F(PrintPanelTest, SaveAsPDFWritesThePagesTheEngineCounts) {
    open(contacts(150), PrintStyle::AddressList);
    choose(panel->paperPopup(), QStringLiteral("A5"));
    waitForPreview(1);
    // The desktop's save panel, answered by a user who types a name without a suffix.
    const QString chosen = testScratchDirectory() + QStringLiteral("/list");
    QString proposed;
    QTimer::singleShot(50, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        proposed = name->text() + u'|' + dialog->nameFilters().join(u'|');
        name->setText(chosen);
        QTest::keyClick(name, Qt::Key_Return);
    });
    const int pages = panel->previewPageCount();
    panel->pdfButton()->click();
    EXPECT_EQ(proposed, QStringLiteral("Family & Friends.pdf|PDF document (*.pdf)"));
    EXPECT_EQ(codes, QList<int>{PrintPanelController::PrintedResponse});
    EXPECT_GT(pages, 2);
    EXPECT_EQ(pdfPages(chosen + QStringLiteral(".pdf")), pages);
    EXPECT_EQ(pages, enginePages());
    EXPECT_TRUE(pdfText(chosen + QStringLiteral(".pdf"), pages).contains(QStringLiteral("Given149 Family")));
    // The next panel starts on the same paper.
    EXPECT_EQ(PrintPanelController::sharedPageLayout().pageSize().key(), QStringLiteral("A5"));
}

TEST_F(PrintPanelTest, PrintGoesThroughTheDesktopPrintDialog) {
    open(contacts(5), PrintStyle::MailingLabels);
    const QString pdf = testScratchDirectory() + QStringLiteral("/printed.pdf");
    QFile::remove(pdf);
    panel->printer()->setOutputFileName(pdf);
    bool dialogShown = false;
    // The user presses Print in the desktop's dialog.
    QTimer::singleShot(0, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QPrintDialog *>(widget); dialog && dialog->isVisible()) {
                dialogShown = true;
                dialog->accept();
            }
    });
    panel->printButton()->click();
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(codes, QList<int>{PrintPanelController::PrintedResponse});
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_TRUE(pdfText(pdf, 1).contains(QStringLiteral("Given4 Family")));
}

TEST_F(PrintPanelTest, AFailedSaveLeavesThePanelOpen) {
    open(contacts(2), PrintStyle::AddressList);
    ScriptedDialogPresenter presenter;
    presenter.chooseFiles({QUrl::fromLocalFile(testScratchDirectory() + QStringLiteral("/missing/list.pdf"))});
    presenter.answerAlert(QStringLiteral("OK"));
    panel->pdfButton()->click();
    ASSERT_EQ(presenter.shown().size(), 2);
    EXPECT_EQ(presenter.shown()[1].alert.messageText, QStringLiteral("Can't save the file"));
    EXPECT_TRUE(codes.isEmpty());
    EXPECT_EQ(Application::shared().attachedSheet(&window), panel->window());
    EXPECT_FALSE(QFile::exists(testScratchDirectory() + QStringLiteral("/missing")));
}

} // namespace
