#include "print/QRCodePanelController.h"

#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"
#include "print/QRCodeImage.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr int TypeColumnIndex = 0;
constexpr int ValueColumnIndex = 1;

QString columnName(int column) {
    return column == TypeColumnIndex ? QRCodePanelController::TypeColumn : QRCodePanelController::ValueColumn;
}
} // namespace

// ---- Field table model

QRFieldTableModel::QRFieldTableModel(QRCodePanelController *controller)
    : QAbstractTableModel(controller)
    , controller_(controller) {}

int QRFieldTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : controller_->numberOfRowsInTableView(controller_->tableView_);
}

int QRFieldTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant QRFieldTableModel::data(const QModelIndex &index, int role) const {
    const auto cell =
        controller_->tableView(controller_->tableView_, columnName(index.column()), index.row());
    if (role == Qt::DisplayRole)
        return cell.title;
    if (role == Qt::CheckStateRole && cell.checkBox)
        return cell.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool QRFieldTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || index.column() != ValueColumnIndex)
        return false;
    controller_->tableView(controller_->tableView_, value.value<Qt::CheckState>() == Qt::Checked,
                           QRCodePanelController::ValueColumn, index.row());
    return true;
}

QVariant QRFieldTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == TypeColumnIndex ? L("Type") : L("Value");
}

Qt::ItemFlags QRFieldTableModel::flags(const QModelIndex &index) const {
    const QString column = columnName(index.column());
    const auto cell = controller_->tableView(controller_->tableView_, column, index.row());
    Qt::ItemFlags flags = cell.enabled ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    if (cell.checkBox && controller_->tableViewShouldEdit(controller_->tableView_, column, index.row()))
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

void QRFieldTableModel::reload() {
    beginResetModel();
    endResetModel();
}

void QRFieldTableModel::refresh() {
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

// ---- Controller

QRCodePanelController::QRCodePanelController(QObject *parent)
    : WindowController(parent) {
    registerAction(QStringLiteral("copy:"), [this](QObject *) { copy(); });
}

QRCodePanelController::~QRCodePanelController() = default;

Window *QRCodePanelController::loadWindow() {
    auto *window = new Window;
    window->setWindowTitle(L("QR Code"));
    auto *content = new QWidget;

    imageView_ = new QLabel;
    imageView_->setAlignment(Qt::AlignCenter);
    // Scanners need the light margin around the code, whatever the window's colours.
    auto *imageArea = new QScrollArea;
    imageArea->setWidget(imageView_);
    imageArea->setWidgetResizable(true);
    imageArea->setAlignment(Qt::AlignCenter);
    imageArea->setMinimumSize(300, 300);
    QPalette white = imageArea->palette();
    white.setColor(QPalette::Window, Qt::white);
    imageArea->setPalette(white);
    imageArea->setBackgroundRole(QPalette::Window);
    imageView_->setPalette(white);
    imageView_->setAutoFillBackground(true);

    textView_ = new QPlainTextEdit;
    textView_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textView_->setMaximumHeight(150);

    formatPopup_ = new QComboBox;
    for (const QString &format : QRFormat::all())
        formatPopup_->addItem(L(format.toUtf8().constData()), format);
    QObject::connect(formatPopup_, &QComboBox::currentIndexChanged, this,
                     [this] { formatPopupSelected(formatPopup_); });

    tableView_ = new QTableView;
    model_ = new QRFieldTableModel(this);
    tableView_->setModel(model_);
    tableView_->setSelectionMode(QAbstractItemView::NoSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setShowGrid(false);
    tableView_->setWordWrap(false);
    tableView_->verticalHeader()->hide();
    tableView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableView_->horizontalHeader()->setStretchLastSection(true);
    tableView_->setColumnWidth(TypeColumnIndex, 110);

    fooButton_ = new QPushButton(L("Copy"));
    closeButton_ = new QPushButton;
    closeButton_->setDefault(true);
    for (QPushButton *button : {fooButton_.data(), closeButton_.data()})
        QObject::connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });

    auto *codeColumn = new QVBoxLayout;
    codeColumn->addWidget(imageArea, 1);
    codeColumn->addWidget(textView_);
    auto *fieldColumn = new QVBoxLayout;
    auto *formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(L("Format:")));
    formatRow->addWidget(formatPopup_, 1);
    fieldColumn->addLayout(formatRow);
    fieldColumn->addWidget(tableView_, 1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(codeColumn, 1);
    columns->addLayout(fieldColumn, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(fooButton_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    auto *layout = new QVBoxLayout(content);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
    window->setCentralWidget(content);
    window->resize(920, 560);

    // The sheet has no menu bar of its own, so Copy is its own key equivalent; a focused
    // text view still copies its selected text first.
    auto *copyAction = new QAction(window);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(copyAction, &QAction::triggered, this, [window] {
        QWidget *focus = QApplication::focusWidget();
        ActionRouter::sendAction(QStringLiteral("copy:"), nullptr,
                                 focus && focus->window() == window ? focus : window);
    });
    window->addAction(copyAction);
    return window;
}

void QRCodePanelController::windowDidLoad() {
    window()->setMainMenu(nullptr);
    window()->menuBar()->hide();
    rowHeight_ = 20.0;
    closeButton_->setText(L("Close"));
    textView_->setReadOnly(true);
    if (contact_) {
        model_->reload();
        regenerate();
    }
}

QLabel *QRCodePanelController::imageView() {
    window();
    return imageView_;
}

QPlainTextEdit *QRCodePanelController::textView() {
    window();
    return textView_;
}

QTableView *QRCodePanelController::tableView() {
    window();
    return tableView_;
}

QComboBox *QRCodePanelController::formatPopup() {
    window();
    return formatPopup_;
}

QPushButton *QRCodePanelController::fooButton() {
    window();
    return fooButton_;
}

QPushButton *QRCodePanelController::closeButton() {
    window();
    return closeButton_;
}

QString QRCodePanelController::selectedFormat() const {
    return formatPopup_ ? formatPopup_->currentData().toString() : QRFormat::all().first();
}

void QRCodePanelController::setContact(const std::shared_ptr<QMPerson> &contact) {
    if (textView_)
        textView_->clear();
    contact_ = contact;
    table_ = contact_ ? qrFieldTableForContact(*contact_) : QRFieldTable();
    if (isWindowLoaded()) {
        model_->reload();
        regenerate();
    }
}

void QRCodePanelController::formatPopupSelected(QObject *sender) {
    if (sender && sender == formatPopup_)
        regenerate();
}

void QRCodePanelController::regenerate() {
    if (!isWindowLoaded())
        return;
    qrText_ = contact_ ? qrTextForFormat(selectedFormat(), *contact_, table_) : QString();
    QString shown = qrText_;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    textView_->setPlainText(shown);
    // A text too long for any code still shows, without an image.
    const QImage image = createQRCodeFromString(qrText_);
    imageView_->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
    model_->refresh();
    applyRowHeights();
}

void QRCodePanelController::applyRowHeights() {
    for (int row = 0; row < table_.size(); ++row)
        tableView_->setRowHeight(row, int(tableViewHeightOfRow(tableView_, row)));
}

void QRCodePanelController::buttonPressed(QObject *sender) {
    if (!sender)
        return;
    if (sender == fooButton_) {
        copy();
    } else if (sender == closeButton_) {
        Application::shared().endSheet(window(), CloseResponse);
        close();
        textView_->clear();
    }
}

void QRCodePanelController::copy() {
    if (!imageView_ || imageView_->pixmap().isNull())
        return;
    Pasteboard &pasteboard = Pasteboard::general();
    pasteboard.declareTypes({PasteboardType::PNG});
    pasteboard.writeImage(imageView_->pixmap().toImage());
}

bool QRCodePanelController::validateMenuItem(MenuItem *item) {
    if (item->action() == QLatin1String("copy:"))
        return imageView_ && !imageView_->pixmap().isNull();
    return WindowController::validateMenuItem(item);
}

int QRCodePanelController::numberOfRowsInTableView(QTableView *table) const {
    return table && table == tableView_ ? int(table_.size()) : 0;
}

QRCodePanelController::FieldCell QRCodePanelController::tableView(QTableView *table, const QString &column,
                                                                  int row) const {
    if (!table || table != tableView_ || row < 0 || row >= table_.size())
        return {};
    const QRFieldRow &field = table_[row];
    if (column == TypeColumn)
        return {QMPerson::localizedIdentifierForKey(field.type), false, false, true};
    return {qrRowTitle(field), true, field.selected, qrRowIsEnabled(field, selectedFormat())};
}

void QRCodePanelController::tableView(QTableView *table, bool selected, const QString &column, int row) {
    if (!table || table != tableView_ || column != ValueColumn || row < 0 || row >= table_.size())
        return;
    table_[row].selected = selected;
    regenerate();
}

bool QRCodePanelController::tableViewShouldEdit(QTableView *, const QString &column, int) const {
    return column != TypeColumn;
}

double QRCodePanelController::tableViewHeightOfRow(QTableView *, int row) const {
    if (row < 0 || row >= table_.size())
        return rowHeight_;
    const qsizetype lines = table_[row].value.count(QLatin1Char('\n')) + 1;
    return lines >= 2 ? double(lines) * (rowHeight_ - 2.0) : rowHeight_;
}
