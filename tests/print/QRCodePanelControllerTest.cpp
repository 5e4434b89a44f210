#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "print/QRCodeImage.h"
#include "print/QRCodePanelController.h"
#include "tests/model/PersonTestSupport.h"
#include "tests/print/QRTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What a QR reader gets from the image. zbar wants a wider quiet zone than the code's
// one-module margin, so the image is padded with white first.
QByteArray decodedText(const QImage &image) {
    QImage padded(image.width() + 40, image.height() + 40, QImage::Format_RGB32);
    padded.fill(Qt::white);
    QPainter(&padded).drawImage(20, 20, image);
    const QString path = testScratchDirectory() + QStringLiteral("/qr.png");
    if (!padded.save(path))
        return "(not saved)";
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("--oneshot"),
                                           QStringLiteral("-Sbinary"), path});
    if (!zbar.waitForFinished(30000) || zbar.exitCode() != 0)
        return "(zbarimg failed: " + zbar.readAllStandardError() + ")";
    return zbar.readAllStandardOutput(); // binary output: the bytes alone, no line feed added
}

TEST(QRCodeImage, ModulesGrowAsTheCodeGetsDenser) {
    // 20, 200 and 250 bytes need codes of 25, 53 and 57 modules at level L.
    for (const auto &[length, side] : {std::pair{20, 81}, {200, 220}, {250, 295}}) {
        const QImage image = createQRCodeFromString(QString(length, u'x'));
        EXPECT_EQ(image.size(), QSize(side, side)) << length;
    }
    EXPECT_TRUE(createQRCodeFromString(QString(2954, u'x')).isNull()); // past the largest code
    EXPECT_TRUE(createQRCodeFromString(QString()).isNull());
}

class QRCodePanelTest : public ::testing::Test {
protected:
    ContactsSettings settings{CNContactSortOrder::FamilyName, QStringLiteral("JP")};
    Window window;
    QRCodePanelController panel;
    QList<int> codes;

    void open(const std::shared_ptr<QMPerson> &person) {
        window.resize(900, 700);
        window.show();
        panel.setContact(person);
        Application::shared().beginSheet(panel.window(), &window, [this](int code) { codes.append(code); });
    }
    void TearDown() override {
        if (Application::shared().attachedSheet(&window))
            Application::shared().endSheet(panel.window(), 0);
    }
    QModelIndex cell(int row, int column) {
        return panel.tableView()->model()->index(row, column);
    }
    void chooseFormat(const QString &format) {
        panel.formatPopup()->setCurrentIndex(panel.formatPopup()->findData(format));
    }
    void pressSpaceOn(int row) {
        panel.tableView()->setCurrentIndex(cell(row, 1));
        QTest::keyClick(panel.tableView(), Qt::Key_Space);
    }
};

TEST_F(QRCodePanelTest, TheSheetShowsTheFieldsTheTextAndTheCode) {
    open(japaneseContact());
    ASSERT_EQ(Application::shared().attachedSheet(&window), panel.window());
    ASSERT_EQ(panel.tableView()->model()->rowCount(), 8);
    EXPECT_EQ(cell(0, 1).data().toString(), QStringLiteral("mobile: 090-1234-5678"));
    EXPECT_EQ(cell(0, 1).data(Qt::CheckStateRole), Qt::Checked);
    EXPECT_EQ(cell(1, 1).data(Qt::CheckStateRole), Qt::Unchecked);
    EXPECT_EQ(cell(5, 1).data().toString(), QStringLiteral("株式会社サンプル"));
    EXPECT_TRUE(panel.textView()->isReadOnly());
    EXPECT_TRUE(panel.textView()->toPlainText().startsWith(QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:山田 太郎\n")));
    EXPECT_FALSE(panel.imageView()->pixmap().isNull());
    EXPECT_EQ(panel.tableView()->rowHeight(0), 20);
}

TEST_F(QRCodePanelTest, TicksFollowTheFormatAndRegenerateAtOnce) {
    open(japaneseContact());
    chooseFormat(QRFormat::Phone);
    EXPECT_EQ(panel.textView()->toPlainText(), QStringLiteral("tel:090-1234-5678"));
    pressSpaceOn(1); // the second phone, enabled
    EXPECT_EQ(panel.textView()->toPlainText(), QStringLiteral("tel:03-1234-5678"));
    EXPECT_FALSE(cell(2, 1).flags() & Qt::ItemIsEnabled); // the e-mail
    chooseFormat(QRFormat::MECARD);
    EXPECT_FALSE(cell(4, 1).flags() & Qt::ItemIsEnabled); // the URL
    EXPECT_FALSE(cell(5, 1).flags() & Qt::ItemIsEnabled); // the company
    chooseFormat(QRFormat::VCard);
    pressSpaceOn(7); // job title
    EXPECT_TRUE(panel.textView()->toPlainText().contains(QStringLiteral("\nTITLE:部長\n")));
}

TEST_F(QRCodePanelTest, AddressRowsGrowWithTheirLines) {
    open(personFromVCard(QStringLiteral("N:Lee;Ann;;;\nADR;TYPE=HOME:;;1 Main St\\nApt 2\\nRear;;;;\n")));
    EXPECT_EQ(panel.tableView()->rowHeight(2), 54);
    EXPECT_EQ(panel.tableView()->rowHeight(3), 20);
}

TEST_F(QRCodePanelTest, ATextTooLongForACodeShowsWithoutAnImage) {
    open(personFromVCard(QStringLiteral("N:Lee;Ann;;;\nORG:") + QString(3000, u'x') + QStringLiteral("\n")));
    pressSpaceOn(4); // company
    EXPECT_TRUE(panel.textView()->toPlainText().contains(QString(3000, u'x')));
    EXPECT_TRUE(panel.imageView()->pixmap().isNull());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    panel.fooButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST_F(QRCodePanelTest, CopyPutsOnlyThePNGOnTheClipboard) {
    open(japaneseContact());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    panel.fooButton()->click();
    ASSERT_EQ(QApplication::clipboard()->mimeData()->formats(), QStringList{QStringLiteral("image/png")});
    EXPECT_EQ(QImage::fromData(Pasteboard::general().dataForType(PasteboardType::PNG)),
              panel.imageView()->pixmap().toImage());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    panel.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.window()));
    QTest::keyClick(panel.tableView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->mimeData()->formats(), QStringList{QStringLiteral("image/png")});
}

// Every format of a Japanese contact reads back byte for byte from the copied PNG.
TEST_F(QRCodePanelTest, TheCopiedCodeDecodesToTheExactText) {
    open(japaneseContact());
    pressSpaceOn(4); // the URL
    pressSpaceOn(5); // the company
    for (const QString &format : QRFormat::all()) {
        chooseFormat(format);
        panel.fooButton()->click();
        const QImage copied = QImage::fromData(Pasteboard::general().dataForType(PasteboardType::PNG));
        EXPECT_EQ(decodedText(copied), panel.qrText().toUtf8()) << format.toStdString();
    }
}

TEST_F(QRCodePanelTest, CloseEndsTheSheetWithOneAndEmptiesTheText) {
    open(japaneseContact());
    panel.closeButton()->click();
    EXPECT_EQ(codes, QList<int>{QRCodePanelController::CloseResponse});
    EXPECT_FALSE(panel.window()->isVisible());
    EXPECT_TRUE(panel.textView()->toPlainText().isEmpty());
}

} // namespace
