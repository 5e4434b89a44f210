#pragma once

#include <QImage>
#include <QPageLayout>
#include <QTimer>
#include <QWidget>

class PrintView;

// The print panel's preview: one page at a time, fitted into the view on grey. Only the page
// shown is drawn, when it is shown; a change of the settings lays out again as far as that
// page and counts the rest a slice at a time while the window goes on answering, so that
// thousands of contacts never hold it up for long.
class PrintPreviewView : public QWidget {
    Q_OBJECT
public:
    // The longest the layout holds the main thread at a time while it counts the pages.
    static constexpr int layoutSliceMilliseconds = 30;

    explicit PrintPreviewView(QWidget *parent = nullptr);

    void setPrintView(PrintView *view) { view_ = view; }
    void setPageLayout(const QPageLayout &layout) { pageLayout_ = layout; }
    const QPageLayout &pageLayout() const { return pageLayout_; }

    // Shows the settings as they are now: the current page at once, the page count once
    // every page is laid out.
    void updatePreview();
    // Pages counted so far; all of them once laid out.
    int pageCount() const { return pages_; }
    bool isLaidOut() const { return laidOut_; }
    // From 1.
    int currentPage() const { return page_; }
    void setCurrentPage(int page);
    // The current page as the preview draws it, at the preview's resolution.
    QImage pageImage();

signals:
    // The page shown, or the count of pages, changed.
    void previewChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void layOutMore();
    QRectF paperRect() const;

    PrintView *view_ = nullptr;
    QPageLayout pageLayout_;
    // Pages are laid out and drawn on images of one resolution, so the layout made for the
    // count serves every page drawn.
    QImage device_;
    QImage image_;
    bool imageCurrent_ = false;
    int page_ = 1;
    int pages_ = 0;
    bool laidOut_ = true;
    QTimer layoutTimer_;
};
