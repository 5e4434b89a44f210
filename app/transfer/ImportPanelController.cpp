#include "app/transfer/ImportPanelController.h"

#include "app/reading/PanelWindow.h"
#include "contact_info/ContactCard.h"
#include "contact_info/ContactInfoController.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace tessarin {

// ---- Name table model

ImportNameTableModel::ImportNameTableModel(ImportPanelController *controller)
    : QAbstractTableModel(controller)
    , controller_(controller) {}

int ImportNameTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : controller_->numberOfRowsInTableView(controller_->nameTableView_);
}

int ImportNameTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant ImportNameTableModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::DecorationRole && role != Qt::SizeHintRole)
        return {};
    if (role == Qt::SizeHintRole)
        return QSize(-1, int(controller_->tableViewHeightOfRow(controller_->nameTableView_, index.row())));
    const auto cell =
        controller_->tableView(controller_->nameTableView_, ImportPanelController::NameColumn, index.row());
    if (!cell)
        return {};
    if (role == Qt::DisplayRole)
        return cell->text;
    // An icon is drawn at the view's icon size; a bare image at its own.
    return QIcon(QPixmap::fromImage(cell->image));
}

QVariant ImportNameTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return L("Name");
    return {};
}

Qt::ItemFlags ImportNameTableModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (controller_->tableViewShouldEdit(controller_->nameTableView_, ImportPanelController::NameColumn,
                                         index.row()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

void ImportNameTableModel::reload() {
    beginResetModel();
    endResetModel();
}

// ---- Controller

ImportPanelController::ImportPanelController(QObject *parent)
    : ::WindowController(parent) {}

ImportPanelController::~ImportPanelController() = default;

Window *ImportPanelController::loadWindow() {
    auto *window = new Window;
    window->setWindowTitle(L("Import"));
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    importFilename_ = new QLabel;
    importFilename_->setTextFormat(Qt::PlainText);
    importFilename_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(importFilename_);

    nameTableView_ = new QTableView;
    model_ = new ImportNameTableModel(this);
    nameTableView_->setModel(model_);
    nameTableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    nameTableView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    nameTableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    nameTableView_->setShowGrid(false);
    nameTableView_->setIconSize(QSize(16, 16));
    nameTableView_->verticalHeader()->hide();
    nameTableView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    nameTableView_->verticalHeader()->setDefaultSectionSize(int(rowHeight_));
    nameTableView_->horizontalHeader()->setStretchLastSection(true);
    QObject::connect(nameTableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this] { selectionDidChange(); });

    contactInfoController_ = new ContactInfoController(this);
    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(nameTableView_);
    splitter->addWidget(contactInfoController_->view());
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);
    contactInfoController_->view()->hide(); // nothing to preview until a row is selected
    layout->addWidget(splitter, 1);

    cancelButton_ = new QPushButton(L("Cancel"));
    selectButton_ = new QPushButton(L("Select"));
    selectButton_->setDefault(true);
    for (QPushButton *button : {cancelButton_.data(), selectButton_.data()})
        QObject::connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(selectButton_);
    layout->addLayout(buttons);

    window->setCentralWidget(content);
    window->resize(640, 420);
    return window;
}

void ImportPanelController::windowDidLoad() {
    removeMenuBar(window());
    importFilename_->setText(filename_);
    if (!nameTable_.isEmpty())
        model_->reload();
}

QLabel *ImportPanelController::importFilename() {
    window();
    return importFilename_;
}

QTableView *ImportPanelController::nameTableView() {
    window();
    return nameTableView_;
}

QPushButton *ImportPanelController::cancelButton() {
    window();
    return cancelButton_;
}

QPushButton *ImportPanelController::selectButton() {
    window();
    return selectButton_;
}

ContactInfoController *ImportPanelController::contactInfoController() {
    window();
    return contactInfoController_;
}

void ImportPanelController::setNameTable(const ContactTable &table) {
    nameTable_ = table;
    window();
    model_->reload();
    importFilename_->setText(filename_);
    if (nameTable_.isEmpty())
        contactInfoController_->view()->hide();
}

QList<int> ImportPanelController::selectedIndexes() const {
    QList<int> rows;
    if (!nameTableView_)
        return rows;
    for (const QModelIndex &index : nameTableView_->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ImportPanelController::buttonPressed(QObject *sender) {
    if (!sender || (sender != cancelButton_ && sender != selectButton_))
        return;
    Application::shared().endSheet(window(), sender == selectButton_ ? SelectResponse : CancelResponse);
    close();
}

int ImportPanelController::numberOfRowsInTableView(QTableView *table) const {
    return table && table == nameTableView_ ? int(nameTable_.size()) : 0;
}

void ImportPanelController::selectionDidChange() {
    tableView(nameTableView_, selectedIndexes());
}

QList<int> ImportPanelController::tableView(QTableView *table, const QList<int> &proposedSelection) {
    if (!table || table != nameTableView_)
        return proposedSelection;
    // With no row there is nothing to preview: the preview is hidden rather than stale.
    const int first = proposedSelection.isEmpty() ? -1 : proposedSelection.first();
    if (first < 0 || first >= nameTable_.size()) {
        contactInfoController_->view()->hide();
        return proposedSelection;
    }
    // Set before the contact, so the preview is built with them: the preview's own state,
    // locked and without find marks.
    contactInfoController_->windowState()->setEditState(false);
    contactInfoController_->windowState()->setFindString(QString());
    contactInfoController_->setDelegate(nullptr);
    contactInfoController_->setContact(&nameTable_[first]);
    contactInfoController_->view()->show();
    return proposedSelection;
}

std::optional<ImportPanelController::NameCell>
ImportPanelController::tableView(QTableView *table, const QString &column, int row) const {
    if (!table || table != nameTableView_ || column != NameColumn || row < 0 || row >= nameTable_.size() ||
        !nameTable_[row].person)
        return std::nullopt;
    static const QImage guest(ContactCard::IconFolder + QStringLiteral("user_guest.png"));
    return NameCell{nameTable_[row].person->compositeName(), guest};
}

bool ImportPanelController::tableViewShouldEdit(QTableView *, const QString &, int) const {
    return false;
}

double ImportPanelController::tableViewHeightOfRow(QTableView *, int) const {
    return rowHeight_;
}

} // namespace tessarin
