#pragma once

#include "contacts_table/SubContactRow.h"
#include "print/PrintLayout.h"
#include "print/PrintOptions.h"

#include <QPageLayout>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;

// What one envelope or label prints, fitted to its box.
struct TextObject {
    QString text;
    QString fontName; // horizontal text
    double fontSize = 0;
    bool printVertical = false;
    QString textDirection;
    QString verticalFontName;
    QRectF rect; // envelopes: the text box before the margins
    // Moves the drawing from the box's corner so that glyphs reaching past their cells
    // still stand inside the box.
    QPointF offset;
};

// Prints the selected rows of the contacts table as an address list, mailing labels or
// envelopes onto any paged device (a printer, a PDF, a preview). It owns no settings: the
// style and every layout value are read from the shared options at each count and each
// page, so a change made in the print panel shows at the next redraw.
//
// Pages are counted with the same typesetting that draws them. Only the address list keeps
// anything between pages: its blocks' line heights and where each page starts, laid out
// again when the options, the paper or the device change.
class PrintView {
public:
    PrintView(SubContactTable contacts, std::shared_ptr<const PrintOptions> options, const QPageLayout &pageLayout);
    ~PrintView();

    const SubContactTable &contacts() const { return contacts_; }
    void setContacts(SubContactTable contacts);
    // The rows labels and envelopes address; the print command passes the same rows.
    const SubContactTable &receiverPersons() const { return receiverPersons_; }
    void setReceiverPersons(SubContactTable rows);
    // What labels and envelopes print of them: one piece per contact and address.
    const SubContactTable &addressedRows() const { return addressed_; }
    const std::shared_ptr<const PrintOptions> &printOptions() const { return options_; }
    void setOptions(std::shared_ptr<const PrintOptions> options);
    // The paper and its printable area (inside the layout's margins).
    const QPageLayout &pageLayout() const { return pageLayout_; }
    void setPageLayout(const QPageLayout &layout);
    // Off: labels and envelopes show the paper yellow around its printable area.
    bool printing() const { return printing_; }
    void setPrinting(bool printing) { printing_ = printing; }
    QString selectedStyle() const { return selectedStyle_; }
    void setSelectedStyle(const QString &style) { selectedStyle_ = style; }
    // The horizontal font of labels and envelopes: the options' font, else the user font.
    QString selectedFontName() const;

    // Pages in the current style, set with the metrics of `device`.
    int pageCount(const QPaintDevice &device);
    // The pages known so far, laid out at least through page `throughPage` (from 0): an
    // address list is set a block at a time, so that its first pages show before its last
    // contacts are set. All pages once the layout is done.
    int pagesLaidOut(const QPaintDevice &device, int throughPage);
    // Lays out further for about `budget`; whether every page is laid out.
    bool layOutMore(const QPaintDevice &device, std::chrono::milliseconds budget);
    // Draws page `page` (from 0) with a painter whose origin is the paper's top left in the
    // device's own pixels; the view scales it to points itself.
    void drawPage(QPainter &painter, int page);
    // Prints every page on the device's paper, which it puts in full-page mode; `afterPage`
    // hears of each page drawn.
    bool print(QPagedPaintDevice &device, const std::function<void(int page)> &afterPage = {});

    // The fitted text of one envelope and of one label.
    TextObject makeTextObject(SubContactRow &row, const QPaintDevice &device) const;
    TextObject makeLabelTextObject(SubContactRow &row, const QPaintDevice &device) const;

private:
    struct AddressListPages;
    PageGeometry geometry() const { return PageGeometry::fromPageLayout(pageLayout_); }
    AddressListPages &addressListLayout(const QPaintDevice &device);
    // Laid out through page `throughPage`, or whole for a negative one.
    const AddressListPages &addressListPages(const QPaintDevice &device, qsizetype throughPage);
    void drawAddressList(QPainter &painter, int page);
    void drawLabels(QPainter &painter, int page);
    void drawEnvelope(QPainter &painter, int page);
    void drawPreviewPaper(QPainter &painter) const;
    void drawTextObject(QPainter &painter, const TextObject &object, const QRectF &rect) const;
    TextObject fitText(const QString &text, const AddressTextOptions &options, const QString &direction,
                       const QSizeF &box, std::optional<double> startSize, const QPaintDevice &device) const;

    SubContactTable contacts_;
    SubContactTable receiverPersons_;
    SubContactTable addressed_;
    std::shared_ptr<const PrintOptions> options_;
    QPageLayout pageLayout_;
    bool printing_ = true;
    QString selectedStyle_;
    std::unique_ptr<AddressListPages> addressList_;
};
