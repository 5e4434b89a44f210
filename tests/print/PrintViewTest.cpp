#include "print/PrintView.h"
#include "contacts_table/SubContactRows.h"
#include "print/PrintText.h"
#include "print/VerticalText.h"
#include "tests/print/PrintTestSupport.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using namespace print_test;

class PrintViewTest : public testing::Test {
protected:
    std::shared_ptr<PrintOptions> options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
    QPageLayout a4{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Point};

    // Prints to a PDF; the page count the view gives afterwards.
    int print(PrintView &view, const QString &pdf) {
        QPdfWriter writer(pdf);
        writer.setPageLayout(a4);
        EXPECT_TRUE(view.print(writer));
        return view.pageCount(writer);
    }
    static QString scratch(const QString &name) { return testScratchDirectory() + u'/' + name; }
};

// 500 contacts of 1 to 13 lines; every 50th has a note of 30 lines, one a note of 150.
QString manyContacts() {
    QString text;
    for (int i = 0; i < 500; ++i) {
        QString lines;
        for (int p = 0; p < i % 4; ++p)
            lines += QStringLiteral("TEL;type=WORK:+81 3 %1 %2\r\n").arg(i).arg(p);
        if (i % 3 == 0)
            lines += QStringLiteral("EMAIL;type=HOME:person%1@example.jp\r\n").arg(i);
        if (i % 2 == 0)
            lines += QStringLiteral("ADR;type=HOME:;;丸の内%1-9;千代田区;東京都;100-0005;日本\r\n").arg(i);
        const int noteLines = i == 250 ? 150 : i % 50 == 7 ? 30 : 0;
        if (noteLines) {
            QStringList note;
            for (int n = 1; n <= noteLines; ++n)
                note.append(QStringLiteral("Memo%1x%2").arg(i).arg(n));
            lines += QStringLiteral("NOTE:") + note.join(QStringLiteral("\\n")) + QStringLiteral("\r\n");
        }
        text += card(QStringLiteral("Family"), QStringLiteral("Given%1").arg(i, 3, 10, QChar(u'0')), lines);
    }
    return text;
}

TEST_F(PrintViewTest, AnAddressListPrintsEveryContactAndEveryLineInOrder) {
    options->addressList.updateItemTable({FieldId::Phone, FieldId::Email, FieldId::Address, FieldId::Note});
    PrintView view(rowsOf(manyContacts()), options, a4);
    const QString pdf = scratch(QStringLiteral("list.pdf"));
    const int pages = print(view, pdf);
    ASSERT_EQ(pdfPages(pdf), pages);
    ASSERT_GT(pages, 20);
    // Text is set alike whatever the device's resolution.
    QImage screen(1, 1, QImage::Format_RGB32);
    EXPECT_EQ(view.pageCount(screen), pages);

    QStringList pageTexts;
    for (int page = 1; page <= pages; ++page)
        pageTexts.append(pdfText(pdf, page));
    int lastPage = 0;
    for (int i = 0; i < 500; ++i) {
        const QString name = QStringLiteral("Given%1 Family").arg(i, 3, 10, QChar(u'0'));
        int found = 0;
        for (int page = 0; page < pages; ++page) {
            if (pageTexts[page].contains(name)) {
                ++found;
                EXPECT_GE(page, lastPage) << name.toStdString() << " printed out of order";
                lastPage = page;
            }
        }
        EXPECT_EQ(found, 1) << name.toStdString();
    }
    // The contact taller than a page: all 150 lines, and the next contact right after them.
    const QString all = pageTexts.join(QString());
    for (int n = 1; n <= 150; ++n)
        EXPECT_EQ(all.count(QStringLiteral("Memo250x%1\n").arg(n)), 1) << n;
    int lastNotePage = 0;
    while (lastNotePage < pages - 1 && !pageTexts[lastNotePage].contains(QStringLiteral("Memo250x150")))
        ++lastNotePage;
    ASSERT_GE(lastNotePage, 2);
    EXPECT_TRUE(pageTexts[lastNotePage].contains(QStringLiteral("Given251 Family")));
    // It goes on from where the contact before it ends, and the pages between hold its lines alone.
    int firstPage = 0;
    while (firstPage < lastNotePage && !pageTexts[firstPage].contains(QStringLiteral("Given250 Family")))
        ++firstPage;
    EXPECT_LT(firstPage, lastNotePage);
    EXPECT_TRUE(pageTexts[firstPage].contains(QStringLiteral("Given249 Family")));
    for (int page = firstPage + 1; page < lastNotePage; ++page) {
        EXPECT_FALSE(pageTexts[page].contains(QStringLiteral("Family"))) << page;
        EXPECT_TRUE(pageTexts[page].contains(QStringLiteral("Memo250x"))) << page;
    }
}

TEST_F(PrintViewTest, PageCountsPerStyle) {
    QString vcards;
    for (int i = 0; i < 40; ++i)
        vcards += card(QStringLiteral("Family"), QStringLiteral("Label%1").arg(i));
    const SubContactTable forty = rowsOf(vcards);
    const SubContactTable three(forty.begin(), forty.begin() + 3);
    // A 2 x 9 grid on A4.
    options->mailingLabels.labelWidth = 250;
    options->mailingLabels.labelHeight = 80;
    options->mailingLabels.hGap = 9;
    struct Case {
        QString style;
        SubContactTable rows;
        int pages;
    };
    const std::vector<Case> cases = {{PrintStyle::AddressList, forty, 1},
                                     {PrintStyle::Hagaki, forty, 1},
                                     {PrintStyle::MailingLabels, forty, 3},
                                     {PrintStyle::MailingLabels, SubContactTable(forty.begin(), forty.begin() + 36), 2},
                                     {PrintStyle::Envelope, three, 3},
                                     {PrintStyle::AddressList, {}, 1}};
    for (const Case &c : cases) {
        options->printStyle = c.style;
        PrintView view(c.rows, options, a4);
        const QString pdf = scratch(QStringLiteral("count.pdf"));
        EXPECT_EQ(print(view, pdf), c.pages) << c.style.toStdString();
        EXPECT_EQ(pdfPages(pdf), c.pages) << c.style.toStdString();
        if (!c.rows.empty()) {
            EXPECT_TRUE(pdfText(pdf, 1).contains(QStringLiteral("Label0 Family"))) << c.style.toStdString();
        }
    }
}

TEST_F(PrintViewTest, APrinterGetsThePagesAPdfGets) {
    options->printStyle = PrintStyle::Envelope;
    options->envelope.printVertical = true;
    PrintView view(rowsOf(card("Ito", "Ken") + card("Abe", "Mai")), options, a4);
    const QString pdf = scratch(QStringLiteral("printer.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageLayout(a4);
    ASSERT_TRUE(view.print(printer));
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pdfText(pdf, 2).contains(QStringLiteral("Mai")));
}

TEST_F(PrintViewTest, TheStyleIsReadAgainAtEachCount) {
    const SubContactTable rows = rowsOf(card("A", "a") + card("B", "b") + card("C", "c"));
    PrintView view(rows, options, a4);
    QImage device(10, 10, QImage::Format_RGB32);
    EXPECT_EQ(view.pageCount(device), 1);
    options->printStyle = PrintStyle::Envelope;
    EXPECT_EQ(view.pageCount(device), 3);
    EXPECT_EQ(view.pageCount(device), 3);
}

TEST_F(PrintViewTest, EnvelopesShowOneRowPerPage) {
    options->printStyle = PrintStyle::Envelope;
    for (const bool vertical : {false, true}) {
        options->envelope.printVertical = vertical;
        options->envelope.textDirection = vertical ? TextDirection::UpDown : TextDirection::LeftRight;
        PrintView view(rowsOf(card("Ito", "Ken") + card("Abe", "Mai") + card("Oda", "Rin")), options, a4);
        const QString pdf = scratch(QStringLiteral("envelopes.pdf"));
        ASSERT_EQ(print(view, pdf), 3);
        const QStringList names = {"Ken", "Mai", "Rin"};
        for (int page = 1; page <= 3; ++page) {
            const QString text = pdfCharacters(pdf, page);
            for (int other = 0; other < 3; ++other)
                EXPECT_EQ(text.contains(names[other]), other == page - 1) << page << (vertical ? " vertical" : "");
        }
    }
}

// Rows as the table shows them for the columns Name, Phone and Address: one per phone or
// address, whichever field has more.
SubContactTable tableRows(const QString &vcards) {
    ContactTable contacts;
    for (const SubContactRowPtr &row : rowsOf(vcards)) {
        ContactEntry entry;
        entry.person = row->person;
        entry.uniqueId = row->uniqueId;
        contacts.append(entry);
    }
    SubContactRows::BuildContext context;
    context.identifiers = {FieldId::Name, FieldId::Phone, FieldId::Address};
    context.selectedLabels = {QStringLiteral("All")};
    return SubContactRows::buildRows(contacts, context, 10000);
}

TEST_F(PrintViewTest, EnvelopesAndLabelsPrintOnePiecePerContactAndAddress) {
    const SubContactTable rows =
        tableRows(card("Ito", "Ken", "TEL:1\r\nTEL:2\r\nADR;type=HOME:;;Kita 1;Sapporo;;060-0001;\r\n") +
                  card("Abe", "Mai", "TEL:3\r\nTEL:4\r\nTEL:5\r\n") +
                  card("Oda", "Rin",
                       "ADR;type=HOME:;;Minami 2;Osaka;;530-0001;\r\n"
                       "ADR;type=WORK:;;Higashi 3;Kobe;;650-0001;\r\n"));
    ASSERT_EQ(rows.size(), 7u);
    // Per page: what it shows, and what it must not.
    const std::vector<std::pair<QString, QString>> pages = {
        {"060-0001", "Mai"}, {"MaiAbe", "0"}, {"530-0001", "650-0001"}, {"650-0001", "530-0001"}};
    options->printStyle = PrintStyle::Envelope;
    PrintView view(rows, options, a4);
    const QString pdf = scratch(QStringLiteral("pieces.pdf"));
    ASSERT_EQ(print(view, pdf), 4);
    ASSERT_EQ(pdfPages(pdf), 4);
    for (int page = 1; page <= 4; ++page) {
        const QString text = pdfCharacters(pdf, page);
        EXPECT_TRUE(text.contains(pages[page - 1].first)) << page << ": " << text.toStdString();
        EXPECT_FALSE(text.contains(pages[page - 1].second)) << page << ": " << text.toStdString();
    }
    // One label each, on a sheet of three across.
    options->printStyle = PrintStyle::MailingLabels;
    options->mailingLabels.labelWidth = 190;
    options->mailingLabels.labelHeight = 100;
    options->mailingLabels.hGap = 0;
    QImage device(10, 10, QImage::Format_RGB32);
    EXPECT_EQ(view.pageCount(device), 1);
    EXPECT_EQ(view.addressedRows().size(), 4u);
}

// Glyphs by what pdftotext reports (the font's box of each word) and by the ink a viewer
// shows: both inside the label's or envelope's text box, whatever font sets them.
TEST_F(PrintViewTest, EveryGlyphStaysInsideItsLabelOrTextBox) {
    const QString vcards =
        card("山田", "太郎",
             "ORG:株式会社テッサリン商事\r\nADR;type=HOME:;;霞が関三丁目二番一号 中央合同庁舎第七号館東館;"
             "千代田区;東京都;100-8918;日本\r\n") +
        card("Whitmore-Abernathy", "Maximilian",
             "ADR;type=WORK:;;1600 Pennsylvania Avenue Northwest Suite 1200;"
             "Washington;DC;20500;USA\r\n") +
        card("佐々木", "翔") + card("Li", "Al", "ADR;type=HOME:;;ゃっ─ーｱｲｳ（株）Ｗ;j;;1;\r\n");
    const SubContactTable rows = rowsOf(vcards);
    options->mailingLabels.printFrame = options->envelope.printFrame = false;
    options->mailingLabels.printCompany = options->envelope.printCompany = true;
    options->mailingLabels.keishou = options->envelope.keishou = QStringLiteral("様");
    // The 55.5 x 29.7 mm sheet without gaps: three across from the paper's corner.
    options->mailingLabels.labelWidth = 157.32;
    options->mailingLabels.labelHeight = 84.19;
    options->mailingLabels.hGap = options->mailingLabels.vGap = 0;
    options->leftMargin = 20;
    options->topMargin = 30;
    const QRectF envelopeBox(100, 200, 300, 150);
    options->envelope.textRectDict.insert(QStringLiteral("A4"), envelopeBox);
    const auto labelBox = [](qsizetype k) {
        return QRectF(20 + double(k % 3) * 157.32 + 3, 30 + double(k / 3) * 84.19 + 3, 157.32 - 6, 84.19 - 6);
    };
    struct Case {
        QString style;
        bool vertical;
        QString direction;
    };
    const std::vector<Case> cases = {{PrintStyle::MailingLabels, false, TextDirection::LeftRight},
                                     {PrintStyle::MailingLabels, true, TextDirection::LeftRight},
                                     {PrintStyle::Envelope, false, TextDirection::LeftRight},
                                     {PrintStyle::Envelope, false, TextDirection::UpDown},
                                     {PrintStyle::Envelope, true, TextDirection::LeftRight},
                                     {PrintStyle::Envelope, true, TextDirection::UpDown}};
    for (const Case &c : cases) {
        options->printStyle = c.style;
        options->mailingLabels.printVertical = options->envelope.printVertical = c.vertical;
        options->envelope.textDirection = c.direction;
        const bool labels = c.style == PrintStyle::MailingLabels;
        const std::string name =
            c.style.toStdString() + (c.vertical ? " vertical " : " ") + c.direction.toStdString();
        PrintView view(rows, options, a4);
        const QString pdf = scratch(QStringLiteral("inside.pdf"));
        const int pages = print(view, pdf);
        ASSERT_EQ(pages, labels ? 1 : 4) << name;
        std::vector<QRectF> boxes;
        for (qsizetype k = 0; k < 4; ++k)
            boxes.push_back(labels ? labelBox(k) : envelopeBox.translated(20, 30));
        for (int page = 1; page <= pages; ++page) {
            const auto inside = [&](const QRectF &r, double slack) {
                const auto &candidates = labels ? boxes : std::vector<QRectF>{boxes[size_t(page - 1)]};
                return std::any_of(candidates.begin(), candidates.end(), [&](const QRectF &box) {
                    return box.adjusted(-slack, -slack, slack, slack).contains(r);
                });
            };
            const auto words = pdfWords(pdf, page);
            EXPECT_FALSE(words.empty()) << name;
            for (const PdfWord &word : words)
                EXPECT_TRUE(inside(word.box, 0.01))
                    << name << " page " << page << ": " << word.text.toStdString();
            // Ink, at two pixels a point; a pixel's antialiasing aside.
            const QImage image = pdfPageImage(pdf, page, 144);
            ASSERT_FALSE(image.isNull());
            int outside = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qGray(image.pixel(x, y)) < 128 && !inside(QRectF(x / 2.0, y / 2.0, 0.5, 0.5), 0.5))
                        ++outside;
            EXPECT_EQ(outside, 0) << name << " page " << page;
        }
    }
}

// A page that keeps what is drawn on it: each text drawn, the page point its origin lands
// on, its turn and the cells it takes. Where text goes and how it is turned does not hang on
// the fonts installed.
class RecordingPage : public QPaintDevice {
public:
    struct Text {
        QString text;
        QPointF origin;
        double angle;
        QRectF cells; // its advance by its ascent and descent, on the page
    };
    std::vector<Text> texts;

    QPaintEngine *paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return 595;
        case PdmHeight:
            return 842;
        case PdmWidthMM:
            return 210;
        case PdmHeightMM:
            return 297;
        case PdmNumColors:
            return std::numeric_limits<int>::max();
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default: // one point a pixel
            return 72;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(RecordingPage &page)
            : QPaintEngine(AllFeatures)
            , page_(page) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &state) override {
            if (state.state() & DirtyTransform)
                transform_ = state.transform();
        }
        void drawTextItem(const QPointF &at, const QTextItem &item) override {
            const QPointF turned = transform_.map(QPointF(1, 0)) - transform_.map(QPointF(0, 0));
            const QRectF cells(at.x(), at.y() - item.ascent(), item.width(), item.ascent() + item.descent());
            page_.texts.push_back({item.text(), transform_.map(at),
                                   double(qRound(qRadiansToDegrees(std::atan2(turned.y(), turned.x())))),
                                   transform_.mapRect(cells)});
        }
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath &) override {}
        void drawRects(const QRectF *, int) override {}
        void drawLines(const QLineF *, int) override {}
        Type type() const override { return User; }

    private:
        RecordingPage &page_;
        QTransform transform_;
    };
    mutable Engine engine_{*this};
};

// An envelope's lines run as its direction says, from the corner where reading starts:
// left to right, each line runs across and the next stands below, from the box's top left;
// up-down, each runs down the paper and the next stands to its left, from the top right.
// Horizontal text is turned whole; vertical text sets its kanji upright in columns, or
// turned a quarter left in rows.
TEST_F(PrintViewTest, EnvelopeLinesRunFromTheCornerTheirDirectionStartsAt) {
    // Full-width characters only (blanks aside), so that every character of a line stands
    // on the line's own baseline or column.
    const SubContactTable rows = rowsOf(card(
        "山田", "太郎", "item1.ADR;type=HOME:;;丸の内一丁目;千代田区;東京都;;日本\r\nitem1.X-ABADR:jp\r\n"));
    // Taller than wide, as an envelope's address is: text set as if its lines ran across
    // would come out half the size that fits.
    const QRectF box(150, 200, 200, 400);
    options->printStyle = PrintStyle::Envelope;
    options->envelope.printFrame = false;
    options->envelope.keishou = QStringLiteral("様");
    options->envelope.textRectDict.insert(QStringLiteral("A4"), box);
    options->leftMargin = 20;
    options->topMargin = 30;
    const QRectF onPaper = box.translated(20, 30);
    struct Case {
        bool vertical;
        QString direction;
        double kanjiAngle; // clockwise
        bool upDown;       // lines run down the paper, the next to the left; else across, the next below
    };
    const Case cases[] = {
        {false, TextDirection::LeftRight, 0, false},
        {false, TextDirection::UpDown, 90, true},
        {true, TextDirection::LeftRight, -90, false},
        {true, TextDirection::UpDown, 0, true},
    };
    for (const Case &c : cases) {
        const std::string what = (c.vertical ? "vertical " : "horizontal ") + c.direction.toStdString();
        options->envelope.printVertical = c.vertical;
        options->envelope.textDirection = c.direction;
        PrintView view(rows, options, a4);
        RecordingPage page;
        QPainter painter(&page);
        view.drawPage(painter, 0);
        painter.end();
        QStringList lines = view.makeTextObject(*rows.front(), page).text.split(u'\n');
        ASSERT_EQ(lines.size(), 3) << what;
        for (QString &line : lines)
            line.remove(u' ');

        // The texts drawn, in drawing order, are the lines' characters in reading order; each
        // line stands wholly past the one before it.
        const auto across = [&](const QPointF &origin) { return c.upDown ? -origin.x() : origin.y(); };
        std::vector<std::vector<double>> placed(size_t(lines.size()));
        QString drawn;
        QRectF covered;
        qsizetype line = 0;
        qsizetype used = 0;
        for (const RecordingPage::Text &t : page.texts) {
            const QString text = QString(t.text).remove(u' ');
            if (text.isEmpty())
                continue;
            covered |= t.cells;
            if (VerticalText::isJapanese(text.front().unicode())) {
                EXPECT_EQ(t.angle, c.kanjiAngle) << what << ": " << text.toStdString();
            }
            while (line < lines.size() && used == lines[line].size()) {
                ++line;
                used = 0;
            }
            ASSERT_LT(line, lines.size()) << what << ": more drawn than the text";
            EXPECT_TRUE(lines[line].mid(used).startsWith(text)) << what << ": " << text.toStdString();
            used += text.size();
            placed[size_t(line)].push_back(across(t.origin));
            drawn += text;
        }
        EXPECT_EQ(drawn, lines.join(QString())) << what;
        // As large as fits the box, and inside it.
        EXPECT_TRUE(onPaper.adjusted(-0.5, -0.5, 0.5, 0.5).contains(covered)) << what;
        EXPECT_GT(std::max(covered.width() / onPaper.width(), covered.height() / onPaper.height()), 0.7)
            << what;
        for (size_t l = 1; l < placed.size(); ++l) {
            ASSERT_FALSE(placed[l].empty() || placed[l - 1].empty()) << what;
            EXPECT_GT(*std::min_element(placed[l].begin(), placed[l].end()),
                      *std::max_element(placed[l - 1].begin(), placed[l - 1].end()))
                << what << ": line " << l;
        }

        // Reading starts at the box's top left, or its top right up-down.
        const auto first = std::find_if(page.texts.begin(), page.texts.end(),
                                        [](auto &t) { return !t.text.trimmed().isEmpty(); });
        ASSERT_NE(first, page.texts.end()) << what;
        EXPECT_LT(first->origin.y(), onPaper.center().y()) << what;
        EXPECT_EQ(first->origin.x() > onPaper.center().x(), c.upDown) << what;
    }
}

// What the switches of the label and envelope tabs add is drawn, and the margins move the
// envelope's text by themselves.
TEST_F(PrintViewTest, AddressTextSwitchesAndMarginsShowInThePdf) {
    const SubContactTable rows = rowsOf(card("Oda", "Rin",
                                             "ORG:Kitsune Trading\r\nNICKNAME:x\r\n"
                                             "ADR;type=HOME:;;Minami 2;Osaka;;530-0001;Nippon\r\n"));
    rows.front()->person->setValue(QStringLiteral("Dr."), FieldId::Suffix);
    options->printStyle = PrintStyle::Envelope;
    options->envelope.printFrame = false;
    const QString pdf = scratch(QStringLiteral("switches.pdf"));
    struct Case {
        bool AddressTextOptions::*flag;
        QString word;
    };
    const std::vector<Case> cases = {{&AddressTextOptions::printCountry, "Nippon"},
                                     {&AddressTextOptions::printCompany, "KitsuneTrading"},
                                     {&AddressTextOptions::printPrefix, "Dr.RinOda"}};
    for (const Case &c : cases) {
        for (const bool on : {false, true}) {
            options->envelope.*c.flag = on;
            PrintView view(rows, options, a4);
            ASSERT_EQ(print(view, pdf), 1);
            EXPECT_EQ(pdfCharacters(pdf, 1).contains(c.word), on) << c.word.toStdString();
            options->envelope.*c.flag = false;
        }
    }
    const auto wordBoxes = [&] {
        PrintView view(rows, options, a4);
        print(view, pdf);
        std::vector<QRectF> boxes;
        for (const PdfWord &word : pdfWords(pdf, 1))
            boxes.push_back(word.box);
        return boxes;
    };
    const std::vector<QRectF> unmoved = wordBoxes();
    options->leftMargin = 30;
    options->topMargin = 45;
    const std::vector<QRectF> moved = wordBoxes();
    ASSERT_EQ(moved.size(), unmoved.size());
    ASSERT_FALSE(moved.empty());
    for (size_t i = 0; i < moved.size(); ++i) {
        EXPECT_NEAR(moved[i].left() - unmoved[i].left(), 30, 0.01);
        EXPECT_NEAR(moved[i].top() - unmoved[i].top(), 45, 0.01);
    }
}

TEST_F(PrintViewTest, TheAddressListIsFramedOnlyWhenAsked) {
    options->addressList.alternatingRow = false;
    PrintView view(rowsOf(card("A", "a") + card("B", "b")), options, a4);
    QImage page(595, 842, QImage::Format_RGB32);
    page.setDotsPerMeterX(2835); // one pixel a point
    page.setDotsPerMeterY(2835);
    for (const bool framed : {false, true}) {
        options->addressList.printFrame = framed;
        page.fill(Qt::white);
        QPainter painter(&page);
        view.drawPage(painter, 0);
        painter.end();
        // The rule above the first block, far right of its text.
        int ruled = 0;
        for (int y = 0; y < 3; ++y)
            ruled += page.pixel(500, y) != qRgb(255, 255, 255);
        EXPECT_EQ(ruled > 0, framed);
    }
}

TEST_F(PrintViewTest, LabelsRepeatEachContactInTurn) {
    options->printStyle = PrintStyle::MailingLabels;
    options->mailingLabels.labelWidth = 250;
    options->mailingLabels.labelHeight = 80;
    options->mailingLabels.hGap = 9;
    options->mailingLabels.repeatCount = 3;
    PrintView view(rowsOf(card("Alpha", "Anna") + card("Bravo", "Ben")), options, a4);
    const QString pdf = scratch(QStringLiteral("labels.pdf"));
    ASSERT_EQ(print(view, pdf), 1);
    // Slots by the top left of each family name: row by row, two across.
    const QString boxes = poppler("pdftotext", {"-bbox", pdf, "-"});
    QMap<int, QString> labelAt;
    const QRegularExpression word(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>(Alpha|Bravo)<"));
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        labelAt.insert(int(m.captured(2).toDouble() / 85) * 2 + int(m.captured(1).toDouble() / 259), m.captured(3));
    }
    EXPECT_EQ(labelAt.values(), (QStringList{"Alpha", "Alpha", "Alpha", "Bravo", "Bravo", "Bravo"}));
    EXPECT_EQ(labelAt.keys(), (QList<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(PrintViewTest, EveryOtherContactIsShaded) {
    options->addressList.alternatingRow = true;
    PrintView view(rowsOf(card("A", "a") + card("B", "b") + card("C", "c")), options, a4);
    QImage page(595, 842, QImage::Format_RGB32);
    page.setDotsPerMeterX(2835); // 72 dpi: one pixel a point
    page.setDotsPerMeterY(2835);
    page.fill(Qt::white);
    QPainter painter(&page);
    view.drawPage(painter, 0);
    painter.end();
    const QRgb shade = QColor::fromRgbF(0.9, 0.9, 0.9).rgb();
    // Blocks are one line each from the top of the page, 20 points short of its right edge:
    // the second alone is shaded, as tall as the first, and the third is not.
    QList<int> shaded;
    for (int y = 0; y < 60; ++y) {
        if (page.pixel(560, y) == shade)
            shaded.append(y);
    }
    ASSERT_FALSE(shaded.isEmpty());
    const int top = shaded.first();
    const int height = shaded.last() - top + 1;
    EXPECT_EQ(shaded.size(), height) << "one shaded band";
    EXPECT_GT(top, 4);
    EXPECT_NEAR(height, top, 1);
    EXPECT_NE(page.pixel(580, top + height / 2), shade);
    EXPECT_NE(page.pixel(560, top + height + 2), shade);
}

TEST_F(PrintViewTest, PreviewShowsThePaperAroundItsPrintableArea) {
    options->printStyle = PrintStyle::MailingLabels;
    PrintView view(rowsOf(card("A", "a")), options,
                   QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20)));
    QImage page(595, 842, QImage::Format_RGB32);
    page.setDotsPerMeterX(2835);
    page.setDotsPerMeterY(2835);
    for (const bool printing : {true, false}) {
        page.fill(Qt::white);
        view.setPrinting(printing);
        QPainter painter(&page);
        view.drawPage(painter, 0);
        painter.end();
        const QRgb corner = page.pixel(5, 5);
        EXPECT_EQ(qRed(corner) == 255 && qGreen(corner) == 255 && qAbs(qBlue(corner) - 178) <= 1, !printing);
        EXPECT_EQ(page.pixel(300, 400), qRgb(255, 255, 255));
    }
}

TEST(PrintTextTest, LabelTextsTakeTheRowsAddress) {
    const SubContactTable rows = rowsOf(card(
        "山田", "太郎",
        "ORG:山田工務店;\r\nADR;type=HOME:;;丸の内1-9-1;千代田区;東京都;100-0005;Japan\r\n"
        "ADR;type=WORK:;;栄3-5-1;名古屋市中区;愛知県;460-0008;Japan\r\n"));
    SubContactRow &row = *rows.front();
    row.person->setValue(QStringLiteral("Dr."), FieldId::Suffix);
    struct Case {
        qint64 labelIndex;
        bool company, prefix;
        QString keishou;
        QString expectedStart, expectedEnd;
    };
    const std::vector<Case> cases = {
        {0, false, false, "", "100-0005\n東京都 千代田区\n丸の内1-9-1", "\n山田 太郎"},
        {1, true, true, "様", "460-0008\n愛知県 名古屋市中区\n栄3-5-1", "\n山田工務店\nDr. 山田 太郎 様"},
        {5, false, false, "御中", "山田 太郎 御中", "山田 太郎 御中"},
    };
    for (const Case &c : cases) {
        row.labelIndex = c.labelIndex;
        AddressTextOptions options;
        options.printCompany = c.company;
        options.printPrefix = c.prefix;
        options.keishou = c.keishou;
        const QString text = makeAdrsAndNameString(row, options);
        EXPECT_TRUE(text.startsWith(c.expectedStart)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(c.expectedEnd)) << text.toStdString();
        EXPECT_FALSE(text.contains(u'\r'));
    }
}

TEST(PrintTextTest, AddressListEntriesFilterLabelsAndIndentLines) {
    const SubContactTable rows = rowsOf(
        card("Home", "Only", "TEL;type=HOME:111\r\n") +
        card("Both", "Has",
             "TEL;type=HOME:222\r\nTEL;type=WORK:333\r\nTITLE:Chief\\nof staff\r\nNOTE:first\\nsecond\r\n"));
    AddressListOptions options = PrintOptions::createPrintOptions().addressList;
    options.updateItemTable({FieldId::Phone, FieldId::JobTitle, FieldId::Note});
    options.selectedLabels = {QStringLiteral("work")};
    QImage device(1, 1, QImage::Format_RGB32);
    const TextMeasure measure(PrintFont(QString(), 10), device);
    const QChar separator = QChar::LineSeparator;

    const BlockText homeOnly = addressListBlockText(*rows[0], options, measure);
    EXPECT_EQ(homeOnly.text.split(separator),
              (QStringList{"Only Home", "Phone: ", "Job Title: ", "Note: "}));

    const BlockText both = addressListBlockText(*rows[1], options, measure);
    EXPECT_EQ(both.text.split(separator),
              (QStringList{"Has Both", "Phone: work: 333", "Job Title: Chief", "of staff", "Note: first", "second"}));
    ASSERT_EQ(both.paragraphs.size(), 6u);
    const double titleColumn = measure.width(QStringLiteral("Job Title: ")) + 20;
    EXPECT_EQ(both.paragraphs[2].indent, 20);
    EXPECT_DOUBLE_EQ(both.paragraphs[3].indent, titleColumn); // under the first line
    EXPECT_EQ(both.paragraphs[5].indent, 0);                  // a note's lines start at the edge
    ASSERT_EQ(both.formats.size(), 1);
    EXPECT_EQ(both.text.mid(both.formats[0].start, both.formats[0].length), "work:");
}

TEST(PrintTextTest, OnePiecePerContactAndAddress) {
    const SubContactTable contacts =
        rowsOf(card("Two", "Phones", "ADR:;;a;b;;1;\r\n") + card("No", "Address") +
               card("Two", "Addresses", "ADR:;;a;b;;1;\r\nADR:;;c;d;;2;\r\n") +
               card("One", "Row", "ADR:;;e;f;;3;\r\n"));
    // A contact's row for its value `index`.
    const auto row = [&](size_t contact, qint64 index) {
        auto r = std::make_shared<SubContactRow>(*contacts[contact]);
        r->labelIndex = index;
        r->notFirstRow = index > 0;
        return r;
    };
    struct Case {
        std::vector<std::pair<size_t, qint64>> rows; // contact, index
        std::vector<size_t> pieces;                  // positions in rows
    };
    const std::vector<Case> cases = {
        {{{0, 0}, {0, 1}}, {0}},                               // the second phone's row shows no address
        {{{0, 1}, {0, 0}}, {1}},                               // sorted: the address row still prints alone
        {{{1, 0}, {1, 1}, {1, 2}}, {0}},                       // no address at all: the name once
        {{{2, 0}, {2, 1}, {2, 2}}, {0, 1}},                    // each address
        {{{3, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 0}}, {0, 1, 4}}, // table order kept
        {{{2, 1}, {2, 1}}, {0}},                               // the same address selected twice
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SubContactTable rows;
        for (const auto &[contact, index] : cases[i].rows)
            rows.push_back(row(contact, index));
        SubContactTable expected;
        for (const size_t position : cases[i].pieces)
            expected.push_back(rows[position]);
        EXPECT_EQ(addressedRows(rows), expected) << "case " << i;
    }
}

TEST(PrintTextTest, OneBlockPerContact) {
    SubContactTable rows = rowsOf(card("A", "a") + card("B", "b"));
    auto second = std::make_shared<SubContactRow>(*rows[0]);
    second->labelIndex = 1;
    rows.insert(rows.begin() + 1, second);
    const auto printed = printedContacts(rows);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0], rows[0]);
    EXPECT_EQ(printed[1], rows[2]);
}

} // namespace
