#pragma once

#include "contacts_table/SubContactRow.h"
#include "platform/ui/Window.h"
#include "print/PrintOptions.h"

#include <QPageLayout>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class AccessoryViewController;
class PrintPreviewView;
class PrintView;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QToolButton;

// The print panel of a document window: a preview of the pages beside the print settings
// (the accessory), the paper and its orientation, and three ways out: Print… through the
// desktop's print dialog, Save as PDF…, and Cancel. Every change of the settings reaches
// the record at once; the preview shows it once the changes pause, drawing only the page
// shown.
class PrintPanelController : public WindowController {
    Q_OBJECT
public:
    static constexpr int PrintedResponse = 1; // printed, or saved as PDF
    static constexpr int CancelResponse = 0;
    // How long the preview waits for a further change before it renders.
    static constexpr int previewDelayMilliseconds = 250;

    // The rows to print (the table's selected rows, in table order), the columns of the
    // window's view type and the live record; without one, the stored record is used.
    PrintPanelController(SubContactTable rows, const QStringList &columns,
                         std::shared_ptr<PrintOptions> options = {}, QObject *parent = nullptr);
    ~PrintPanelController() override;

    // The print command: nothing without rows; otherwise the record takes the style last
    // chosen, and a panel opens as a sheet on the window and goes away when it ends, after
    // the completion heard how (PrintedResponse or CancelResponse).
    static PrintPanelController *printDocument(const SubContactTable &rows, const QStringList &columns,
                                               Window *window, std::shared_ptr<PrintOptions> options = {},
                                               const QString &jobTitle = {},
                                               std::function<void(int)> completion = {});
    void beginSheetModalForWindow(Window *window, std::function<void(int)> completion = {});

    AccessoryViewController *accessory() const { return accessory_; }
    PrintView &printView() { return *printView_; }
    const std::shared_ptr<PrintOptions> &printOptions() const { return options_; }
    QPrinter *printer() { return printer_.get(); }
    // The paper, its orientation and its printable area.
    const QPageLayout &pageLayout() const { return pageLayout_; }
    void setPageLayout(const QPageLayout &layout);
    // Names the print job and the proposed PDF file (the document's name).
    QString jobTitle() const { return jobTitle_; }
    void setJobTitle(const QString &title) { jobTitle_ = title; }

    // The paper of the last job printed or saved, which the next panel starts from.
    static QPageLayout sharedPageLayout();
    static void setSharedPageLayout(const QPageLayout &layout);

    PrintPreviewView *previewView();
    QComboBox *paperPopup();
    QComboBox *orientationPopup();
    QLabel *pageField();
    QToolButton *previousPageButton();
    QToolButton *nextPageButton();
    QPushButton *printButton();
    QPushButton *pdfButton();
    QPushButton *cancelButton();

    void paperPopupSelected(QObject *sender);
    void buttonPressed(QObject *sender);
    // Shows the settings in the preview now; changes come here once they pause.
    void updatePreview();
    // A change waits for the pause, or the preview still counts the pages.
    bool isPreviewPending() const;
    // A change waits for the pause before the preview takes it.
    bool isPreviewPendingChange() const { return previewTimer_.isActive(); }
    int previewRenderCount() const { return renders_; }
    // The preview's pages (those counted so far while it counts).
    int previewPageCount();

signals:
    // The preview shows the current settings.
    void previewUpdated();

protected:
    Window *loadWindow() override;
    void windowDidLoad() override;

private:
    void schedulePreview();
    void showPageNumber();
    void showPaper();
    void printWithDialog();
    void saveAsPDF();
    bool writePDF(const QString &path);
    void end(int code);

    std::shared_ptr<PrintOptions> options_;
    QPageLayout pageLayout_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<PrintView> printView_;
    AccessoryViewController *accessory_ = nullptr;
    QString jobTitle_;
    QList<QPageSize> paperChoices_;
    QTimer previewTimer_;
    int renders_ = 0;

    QPointer<PrintPreviewView> previewView_;
    QPointer<QComboBox> paperPopup_;
    QPointer<QComboBox> orientationPopup_;
    QPointer<QLabel> pageField_;
    QPointer<QToolButton> previousPageButton_;
    QPointer<QToolButton> nextPageButton_;
    QPointer<QPushButton> printButton_;
    QPointer<QPushButton> pdfButton_;
    QPointer<QPushButton> cancelButton_;
};
