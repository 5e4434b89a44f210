#include "print/PrintPanelController.h"

#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Dialogs.h"
#include "print/AccessoryViewController.h"
#include "print/PrintPreviewView.h"
#include "print/PrintView.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace {

std::optional<QPageLayout> &storedPageLayout() {
    static std::optional<QPageLayout> layout;
    return layout;
}

// Office papers and the envelopes and cards people print addresses on.
const QList<QPageSize::PageSizeId> &paperSizeIds() {
    static const QList<QPageSize::PageSizeId> ids = {
        QPageSize::A3,          QPageSize::A4,          QPageSize::A5,          QPageSize::A6,
        QPageSize::JisB4,       QPageSize::JisB5,       QPageSize::Letter,      QPageSize::Legal,
        QPageSize::Executive,   QPageSize::Tabloid,     QPageSize::Postcard,    QPageSize::EnvelopeDL,
        QPageSize::EnvelopeC5,  QPageSize::EnvelopeC6,  QPageSize::Envelope10,  QPageSize::EnvelopeMonarch,
        QPageSize::EnvelopeChou3, QPageSize::EnvelopeChou4, QPageSize::EnvelopeKaku2, QPageSize::EnvelopeYou4};
    return ids;
}

// A file name from the job's title: no folder separators or control characters.
QString proposedFileName(const QString &title) {
    QString name = title.isEmpty() ? L("Untitled") : title;
    for (QChar &c : name)
        if (c == u'/' || c.category() == QChar::Other_Control)
            c = u'-';
    return name + QStringLiteral(".pdf");
}

void showFailure(QWidget *window, const QString &message, const QString &information) {
    Alert alert;
    alert.messageText = message;
    alert.informativeText = information;
    alert.runModal(window);
}

} // namespace

PrintPanelController::PrintPanelController(SubContactTable rows, const QStringList &columns,
                                           std::shared_ptr<PrintOptions> options, QObject *parent)
    : WindowController(parent)
    , options_(options ? std::move(options)
                       : std::make_shared<PrintOptions>(PrintOptions::load(UserDefaults::standard())))
    , pageLayout_(sharedPageLayout())
    , printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , printView_(std::make_unique<PrintView>(std::move(rows), options_, pageLayout_)) {
    printer_->setPageLayout(pageLayout_);
    printView_->setPrinting(true);
    printView_->setSelectedStyle(options_->printStyle);
    accessory_ = new AccessoryViewController(options_, this);
    accessory_->setPrintView(printView_.get());
    accessory_->setColumns(columns);
    accessory_->setPageLayout(pageLayout_);
    previewTimer_.setSingleShot(true);
    previewTimer_.setInterval(previewDelayMilliseconds);
    connect(&previewTimer_, &QTimer::timeout, this, &PrintPanelController::updatePreview);
    connect(accessory_, &AccessoryViewController::printOptionsChanged, this, &PrintPanelController::schedulePreview);
}

PrintPanelController::~PrintPanelController() {
    // The preview holds the printer: it goes first.
    if (isWindowLoaded())
        delete window();
}

PrintPanelController *PrintPanelController::printDocument(const SubContactTable &rows, const QStringList &columns,
                                                          Window *window, std::shared_ptr<PrintOptions> options,
                                                          const QString &jobTitle,
                                                          std::function<void(int)> completion) {
    if (rows.empty() || !window)
        return nullptr;
    if (!options)
        options = std::make_shared<PrintOptions>(PrintOptions::load(UserDefaults::standard()));
    options->printStyle = lastPrintStyle(UserDefaults::standard());
    auto *panel = new PrintPanelController(rows, columns, std::move(options), window);
    panel->setJobTitle(jobTitle);
    panel->beginSheetModalForWindow(window, [panel, completion = std::move(completion)](int code) {
        if (completion)
            completion(code);
        panel->deleteLater();
    });
    return panel;
}

void PrintPanelController::beginSheetModalForWindow(Window *window, std::function<void(int)> completion) {
    Application::shared().beginSheet(this->window(), window, std::move(completion));
}

QPageLayout PrintPanelController::sharedPageLayout() {
    if (!storedPageLayout()) {
        // The desktop's default paper (from the default printer or the locale).
        QPageLayout layout = QPrinter(QPrinter::HighResolution).pageLayout();
        layout.setOrientation(QPageLayout::Portrait);
        storedPageLayout() = layout;
    }
    return *storedPageLayout();
}

void PrintPanelController::setSharedPageLayout(const QPageLayout &layout) { storedPageLayout() = layout; }

void PrintPanelController::setPageLayout(const QPageLayout &layout) {
    pageLayout_ = layout;
    pageLayout_.setMode(QPageLayout::StandardMode);
    printer_->setPageLayout(pageLayout_);
    printView_->setPageLayout(pageLayout_);
    accessory_->setPageLayout(pageLayout_);
    showPaper();
    schedulePreview();
}

// ---- Window

Window *PrintPanelController::loadWindow() {
    auto *window = new Window;
    window->setWindowTitle(L("Print"));
    auto *content = new QWidget;

    previewView_ = new PrintPreviewView;
    previewView_->setPrintView(printView_.get());
    previewView_->setPageLayout(pageLayout_);
    previewView_->setMinimumSize(420, 520);
    QObject::connect(previewView_, &PrintPreviewView::previewChanged, this, [this] {
        showPageNumber();
        emit previewUpdated();
    });
    previousPageButton_ = new QToolButton;
    previousPageButton_->setArrowType(Qt::LeftArrow);
    nextPageButton_ = new QToolButton;
    nextPageButton_->setArrowType(Qt::RightArrow);
    pageField_ = new QLabel;
    pageField_->setAlignment(Qt::AlignCenter);
    for (QToolButton *button : {previousPageButton_.data(), nextPageButton_.data()})
        QObject::connect(button, &QToolButton::clicked, this, [this, button] { buttonPressed(button); });

    paperPopup_ = new QComboBox;
    orientationPopup_ = new QComboBox;
    orientationPopup_->addItem(L("Portrait"), QPageLayout::Portrait);
    orientationPopup_->addItem(L("Landscape"), QPageLayout::Landscape);
    for (QComboBox *popup : {paperPopup_.data(), orientationPopup_.data()})
        QObject::connect(popup, &QComboBox::activated, this, [this, popup] { paperPopupSelected(popup); });

    pdfButton_ = new QPushButton(L("Save as PDF…"));
    cancelButton_ = new QPushButton(L("Cancel"));
    printButton_ = new QPushButton(L("Print…"));
    printButton_->setDefault(true);
    for (QPushButton *button : {pdfButton_.data(), cancelButton_.data(), printButton_.data()})
        QObject::connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });

    auto *pages = new QHBoxLayout;
    pages->addStretch();
    pages->addWidget(previousPageButton_);
    pages->addWidget(pageField_);
    pages->addWidget(nextPageButton_);
    pages->addStretch();
    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(previewView_, 1);
    previewColumn->addLayout(pages);
    auto *paperRow = new QHBoxLayout;
    paperRow->addWidget(new QLabel(L("Paper Size:")));
    paperRow->addWidget(paperPopup_, 1);
    paperRow->addWidget(orientationPopup_);
    auto *settingsColumn = new QVBoxLayout;
    settingsColumn->addLayout(paperRow);
    settingsColumn->addWidget(accessory_->view(), 1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(previewColumn, 1);
    columns->addLayout(settingsColumn);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(pdfButton_);
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(printButton_);
    auto *layout = new QVBoxLayout(content);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    window->setCentralWidget(content);
    window->resize(1040, 720);

    auto *cancel = new QAction(window);
    cancel->setShortcut(Qt::Key_Escape);
    cancel->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(cancel, &QAction::triggered, this, [this] { buttonPressed(cancelButton_); });
    window->addAction(cancel);
    return window;
}

void PrintPanelController::windowDidLoad() {
    window()->setMainMenu(nullptr);
    window()->menuBar()->hide();
    showPaper();
    updatePreview();
}

#define PRINT_PANEL_OUTLET(Type, name)                                                                             \
    Type *PrintPanelController::name() {                                                                           \
        window();                                                                                                  \
        return name##_;                                                                                            \
    }
PRINT_PANEL_OUTLET(PrintPreviewView, previewView)
PRINT_PANEL_OUTLET(QComboBox, paperPopup)
PRINT_PANEL_OUTLET(QComboBox, orientationPopup)
PRINT_PANEL_OUTLET(QLabel, pageField)
PRINT_PANEL_OUTLET(QToolButton, previousPageButton)
PRINT_PANEL_OUTLET(QToolButton, nextPageButton)
PRINT_PANEL_OUTLET(QPushButton, printButton)
PRINT_PANEL_OUTLET(QPushButton, pdfButton)
PRINT_PANEL_OUTLET(QPushButton, cancelButton)
#undef PRINT_PANEL_OUTLET

// The popups show the current paper; a paper outside the list joins it.
void PrintPanelController::showPaper() {
    if (!paperPopup_)
        return;
    const QSignalBlocker paperBlocker(paperPopup_);
    const QSignalBlocker orientationBlocker(orientationPopup_);
    paperChoices_.clear();
    paperPopup_->clear();
    for (const QPageSize::PageSizeId id : paperSizeIds())
        paperChoices_.append(QPageSize(id));
    const QPageSize current = pageLayout_.pageSize();
    qsizetype index = -1;
    for (qsizetype i = 0; i < paperChoices_.size() && index < 0; ++i)
        if (paperChoices_[i].isEquivalentTo(current))
            index = i;
    if (index < 0) {
        paperChoices_.prepend(current);
        index = 0;
    }
    for (const QPageSize &size : paperChoices_)
        paperPopup_->addItem(size.name(), size.key());
    paperPopup_->setCurrentIndex(int(index));
    orientationPopup_->setCurrentIndex(orientationPopup_->findData(pageLayout_.orientation()));
}

void PrintPanelController::paperPopupSelected(QObject *sender) {
    QPageLayout layout = pageLayout_;
    if (sender == paperPopup_ && paperPopup_->currentIndex() >= 0)
        layout.setPageSize(paperChoices_.value(paperPopup_->currentIndex()), layout.minimumMargins());
    else if (sender == orientationPopup_)
        layout.setOrientation(QPageLayout::Orientation(orientationPopup_->currentData().toInt()));
    else
        return;
    setPageLayout(layout);
}

// ---- Preview

void PrintPanelController::schedulePreview() {
    // Each change restarts the wait: a burst of typing renders once.
    previewTimer_.start();
}

void PrintPanelController::updatePreview() {
    previewTimer_.stop();
    if (!previewView_)
        return;
    previewView_->setPageLayout(pageLayout_);
    previewView_->updatePreview();
    ++renders_;
}

bool PrintPanelController::isPreviewPending() const {
    return previewTimer_.isActive() || (previewView_ && !previewView_->isLaidOut());
}

int PrintPanelController::previewPageCount() { return previewView()->pageCount(); }

void PrintPanelController::showPageNumber() {
    const int count = previewView_->pageCount();
    const int page = count > 0 ? previewView_->currentPage() : 0;
    const bool counting = !previewView_->isLaidOut();
    // While the pages are counted, the count so far.
    const QString of = counting ? QString::number(count) + QStringLiteral("…") : QString::number(count);
    pageField_->setText(L("Page %1 of %2").arg(page).arg(of));
    previousPageButton_->setEnabled(page > 1);
    nextPageButton_->setEnabled(page < count || counting);
}

// ---- Ends

void PrintPanelController::buttonPressed(QObject *sender) {
    if (!sender)
        return;
    if (sender == previousPageButton_ || sender == nextPageButton_) {
        const int step = sender == nextPageButton_ ? 1 : -1;
        previewView_->setCurrentPage(previewView_->currentPage() + step);
        showPageNumber();
    } else if (sender == printButton_) {
        printWithDialog();
    } else if (sender == pdfButton_) {
        saveAsPDF();
    } else if (sender == cancelButton_) {
        end(CancelResponse);
    }
}

void PrintPanelController::printWithDialog() {
    printer_->setPageLayout(pageLayout_);
    printer_->setDocName(jobTitle_.isEmpty() ? QCoreApplication::applicationName() : jobTitle_);
    QPrintDialog dialog(printer_.get(), window());
    // Every page prints: the dialog offers no page range.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The printer may have brought another paper.
    QPageLayout chosen = printer_->pageLayout();
    chosen.setMode(QPageLayout::StandardMode);
    if (!chosen.isEquivalentTo(pageLayout_) || chosen.pageSize().key() != pageLayout_.pageSize().key())
        setPageLayout(chosen);
    if (!printView_->print(*printer_)) {
        showFailure(window(), L("Can't print the contacts"), L("Please make sure the printer is available."));
        return;
    }
    setSharedPageLayout(pageLayout_);
    end(PrintedResponse);
}

void PrintPanelController::saveAsPDF() {
    SavePanel panel;
    panel.title = L("Save as PDF");
    panel.nameFieldLabel = L("Save As:");
    panel.nameFieldStringValue = proposedFileName(jobTitle_);
    // The panel lists PDFs and gives a name typed without a suffix the PDF one.
    panel.allowedContentTypes = {ContentTypes::PDF};
    const PanelResult result = DialogPresenter::current().runSavePanel(panel, window());
    if (result.response != ModalResponse::OK || !result.url().isLocalFile())
        return;
    if (!writePDF(result.url().toLocalFile())) {
        showFailure(window(), L("Can't save the file"), L("Something error happened in saving operation."));
        return;
    }
    setSharedPageLayout(pageLayout_);
    end(PrintedResponse);
}

// Written whole or not at all: a failure leaves any former file as it was.
bool PrintPanelController::writePDF(const QString &path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(pageLayout_);
        writer.setTitle(jobTitle_);
        writer.setCreator(QCoreApplication::applicationName());
        if (!printView_->print(writer)) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

void PrintPanelController::end(int code) {
    previewTimer_.stop();
    Application::shared().endSheet(window(), code);
    close();
}
