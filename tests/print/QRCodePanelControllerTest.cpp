#include "print/QRCodePanelController.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "print/QRCodeImage.h"
#include "tests/model/PersonTestSupport.h"
#include "tests/print/QRTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

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
    zbar.start(QStringLiteral("zbarimg"),
               {QStringLiteral("--raw"), QStringLiteral("--oneshot"), QStringLiteral("-Sbinary"), path});
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
    QModelIndex cell(int row, int column) { return panel.tableView()->model()->index(row, column); }
    void chooseFormat(const QString &format) {
        panel.formatPopup()->setCurrentIndex(panel.formatPopup()->findData(format));
    }
    void pressSpaceOn(int row) {
        panel.tableView()->setCurrentIndex(cell(row, 1));
        QTest::keyClick(panel.tableView(), Qt::Key_Space);
    }
};

// Each value of a kind, the first ticked (never a URL), an empty row for a kind the contact lacks.
TEST_F(QRCodePanelTest, TheSheetShowsTheFieldsTheTextAndTheCodeUntilClosed) {
    open(personFromVCard(QStringLiteral("N:Lee;Ann;;;\nORG:Acme\nTEL;TYPE=HOME:111\nTEL;TYPE=WORK:222\n"
                                        "ADR;TYPE=HOME:;;1 Main St;Springfield;;62701;USA\n")));
    ASSERT_EQ(Application::shared().attachedSheet(&window), panel.window());
    QStringList rows;
    for (int row = 0; row < panel.tableView()->model()->rowCount(); ++row)
        rows.append(cell(row, 0).data().toString() +
                    (cell(row, 1).data(Qt::CheckStateRole) == Qt::Checked ? " [x] " : " [ ] ") +
                    cell(row, 1).data().toString());
    EXPECT_EQ(rows, QStringList({"Phone [x] home: 111", "Phone [ ] work: 222", "Email [ ] ",
                                 "Address [x] home: 1 Main St Springfield 62701 USA", "URL [ ] ",
                                 "Company [ ] Acme", "Department [ ] ", "Job Title [ ] "}));
    EXPECT_TRUE(
        panel.textView()->toPlainText().startsWith(QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:Lee Ann\n")));
    EXPECT_FALSE(panel.imageView()->pixmap().isNull());
    panel.closeButton()->click();
    EXPECT_EQ(codes, QList<int>{QRCodePanelController::CloseResponse});
    EXPECT_FALSE(panel.window()->isVisible());
    EXPECT_TRUE(panel.textView()->toPlainText().isEmpty());
}

TEST_F(QRCodePanelTest, TicksFollowTheFormatAndRegenerateAtOnce) {
    open(japaneseContact());
    chooseFormat(QRFormat::Phone);
    EXPECT_EQ(panel.textView()->toPlainText(), QStringLiteral("tel:090-1234-5678"));
    pressSpaceOn(1); // the second phone, enabled
    EXPECT_EQ(panel.textView()->toPlainText(), QStringLiteral("tel:03-1234-5678"));
    EXPECT_FALSE(cell(2, 1).flags() & Qt::ItemIsEnabled); // the e-mail, greyed out
    chooseFormat(QRFormat::VCard);
    pressSpaceOn(7); // job title
    EXPECT_TRUE(panel.textView()->toPlainText().contains(QStringLiteral("\nTITLE:部長\n")));
}

TEST_F(QRCodePanelTest, TallAddressRowsAndATextTooLongForACode) {
    open(personFromVCard(QStringLiteral("N:Lee;Ann;;;\nADR;TYPE=HOME:;;1 Main St\\nApt 2\\nRear;;;;\nORG:") +
                         QString(3000, u'x') + QStringLiteral("\n")));
    // Rows never go below the least height the table's font allows.
    const int least = panel.tableView()->verticalHeader()->minimumSectionSize();
    EXPECT_EQ(panel.tableView()->rowHeight(2), std::max(54, least));
    EXPECT_EQ(panel.tableView()->rowHeight(3), std::max(20, least));
    pressSpaceOn(4); // company
    EXPECT_TRUE(panel.textView()->toPlainText().contains(QString(3000, u'x')));
    EXPECT_TRUE(panel.imageView()->pixmap().isNull());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    panel.fooButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}

// A department holding the separator and a line break stays one value of one ORG line.
TEST_F(QRCodePanelTest, ADepartmentWithASemicolonAndALineBreakDecodesToOneOrgLine) {
    open(personFromVCard(QStringLiteral("N:Lee;Ann;;;\nORG:Acme;R\\;D\\nLab\n")));
    pressSpaceOn(4); // company
    pressSpaceOn(5); // department
    chooseFormat(QRFormat::VCard);
    panel.fooButton()->click();
    const QByteArray decoded =
        decodedText(QImage::fromData(Pasteboard::general().dataForType(PasteboardType::PNG)));
    QStringList org;
    for (const QString &line : QString::fromUtf8(decoded).split(QStringLiteral("\r\n")))
        if (line.startsWith(QStringLiteral("ORG")))
            org.append(line);
    EXPECT_EQ(org, QStringList{QStringLiteral("ORG:Acme;R\\;D\\nLab")}) << decoded.toStdString();
}

TEST_F(QRCodePanelTest, CopyPutsOnlyThePNGOnTheClipboard) {
    open(japaneseContact());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    panel.fooButton()->click();
    ASSERT_EQ(QApplication::clipboard()->mimeData()->formats(), QStringList{QStringLiteral("image/png")});
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

} // namespace
