#include "editors/CustomItemsPanel.h"

#include "editors/CustomItemEditor.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QStringList &columns() {
    static const QStringList list = {CustomItemPanel::NameColumn, CustomItemPanel::TypeColumn,
                                     CustomItemPanel::LabelsColumn};
    return list;
}

constexpr int kRowIconSide = 18;

void registerLabels(const CustomItemDefinition &item) {
    for (const QString &label : item.labels)
        QMPerson::setLabel(QString(), label, item.name);
}

} // namespace

class CustomItemTableModel : public QAbstractTableModel {
public:
    explicit CustomItemTableModel(CustomItemPanel *panel)
        : QAbstractTableModel(panel)
        , panel_(panel) {}

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(panel_->customItems().size());
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(columns().size());
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (role == Qt::DisplayRole)
            return panel_->tableView(columns().value(index.column()), index.row()).text;
        if (role != Qt::DecorationRole)
            return {};
        // Each icon is decoded once per reload, not on every repaint.
        const auto key = std::pair(index.row(), index.column());
        if (const auto cached = icons_.constFind(key); cached != icons_.constEnd())
            return cached->isNull() ? QVariant() : QVariant(*cached);
        const QImage image = panel_->tableView(columns().value(index.column()), index.row()).image;
        const QImage icon = image.isNull() ? QImage()
                                           : image.scaled(kRowIconSide, kRowIconSide, Qt::KeepAspectRatio,
                                                          Qt::SmoothTransformation);
        icons_.insert(key, icon);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= columns().size())
            return {};
        return L(columns().at(section).toUtf8().constData());
    }
    void reload() {
        beginResetModel();
        icons_.clear();
        endResetModel();
    }

private:
    CustomItemPanel *panel_;
    mutable QHash<std::pair<int, int>, QImage> icons_;
};

CustomItemPanel::CustomItemPanel(QObject *parent)
    : WindowController(parent)
    , addItemViewController_(new AddItemViewController(this))
    , helpViewController_(new HelpViewController(this)) {}

CustomItemPanel::~CustomItemPanel() {
    // The popovers' frames hold the two views; they stay the panel's.
    for (ViewController *content : {static_cast<ViewController *>(addItemViewController_),
                                    static_cast<ViewController *>(helpViewController_)})
        if (content->isViewLoaded())
            content->view()->setParent(nullptr);
    // A popover still shown watches every event: it goes before the window and its frame.
    if (popover_) {
        popover_->setDelegate(nullptr);
        delete popover_.data();
    }
}

bool CustomItemPanel::applyCustomItems(QList<CustomItemDefinition> &windowItems,
                                       const QList<CustomItemDefinition> &returned) {
    bool edited = false;
    for (const CustomItemDefinition &record : returned) {
        const auto own =
            std::find_if(windowItems.begin(), windowItems.end(),
                         [&](const CustomItemDefinition &item) { return item.name == record.name; });
        if (record.isNew) {
            if (record.deleted)
                continue; // added and deleted in one opening
            CustomItemDefinition added = record;
            added.isNew = false;
            added.changed = false;
            windowItems.append(added);
            if (added.type == ValueKind::Labeled)
                registerLabels(added);
        } else if (record.deleted) {
            if (own == windowItems.end())
                continue;
            windowItems.erase(own);
            edited = true;
        } else if (record.changed) {
            if (own == windowItems.end())
                continue;
            if (record.type == ValueKind::Labeled && !record.labels.isEmpty()) {
                own->labels = record.labels;
                registerLabels(*own);
            }
            own->imageData = record.imageData;
            edited = true;
        }
    }
    return edited;
}

// ---- Window

Window *CustomItemPanel::loadWindow() {
    auto *window = new Window;
    window->setWindowTitle(L("Custom Items"));
    auto *content = new QWidget;

    tableView_ = new QTableView;
    model_ = new CustomItemTableModel(this);
    tableView_->setModel(model_);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setShowGrid(false);
    tableView_->setWordWrap(false);
    tableView_->setIconSize(QSize(kRowIconSide, kRowIconSide));
    tableView_->verticalHeader()->hide();
    tableView_->verticalHeader()->setDefaultSectionSize(24);
    tableView_->horizontalHeader()->setStretchLastSection(true);
    tableView_->setColumnWidth(0, 170);
    tableView_->setColumnWidth(1, 110);
    QObject::connect(tableView_, &QTableView::doubleClicked, this,
                     [this](const QModelIndex &index) { tableViewDoubleAction(index.row()); });
    QObject::connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this] { updateDeleteButton(); });

    helpButton_ = new QPushButton(QStringLiteral("?"));
    helpButton_->setFixedWidth(28);
    addButton_ = new QPushButton(QStringLiteral("+"));
    delButton_ = new QPushButton(QStringLiteral("\u2212"));
    for (QPushButton *button : {addButton_.data(), delButton_.data()})
        button->setFixedWidth(32);
    addButton_->setToolTip(L("Add a custom item"));
    delButton_->setToolTip(L("Delete the selected custom items"));
    cancelButton_ = new QPushButton(L("Cancel"));
    doneButton_ = new QPushButton;
    doneButton_->setDefault(true);
    for (QPushButton *button :
         {helpButton_.data(), addButton_.data(), delButton_.data(), cancelButton_.data(), doneButton_.data()})
        QObject::connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(delButton_);
    buttons->addSpacing(8);
    buttons->addWidget(helpButton_);
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(doneButton_);
    auto *layout = new QVBoxLayout(content);
    layout->addWidget(tableView_, 1);
    layout->addLayout(buttons);
    window->setCentralWidget(content);
    // Room for the item editor's popover inside the sheet.
    window->resize(560, 440);
    return window;
}

void CustomItemPanel::windowDidLoad() {
    window()->setMainMenu(nullptr);
    window()->menuBar()->hide();
    delButton_->setEnabled(false);
    helpButton_->setToolTip(L("What custom items are"));
    doneButton_->setText(L("Done"));
    model_->reload();
}

QTableView *CustomItemPanel::tableView() {
    window();
    return tableView_;
}

QPushButton *CustomItemPanel::helpButton() {
    window();
    return helpButton_;
}

QPushButton *CustomItemPanel::addButton() {
    window();
    return addButton_;
}

QPushButton *CustomItemPanel::delButton() {
    window();
    return delButton_;
}

QPushButton *CustomItemPanel::cancelButton() {
    window();
    return cancelButton_;
}

QPushButton *CustomItemPanel::doneButton() {
    window();
    return doneButton_;
}

// ---- Table

void CustomItemPanel::setCustomItems(const QList<CustomItemDefinition> &items) {
    window();
    customItems_ = items;
    for (CustomItemDefinition &item : customItems_)
        item.isNew = item.changed = item.deleted = false;
    reloadData();
    delButton_->setEnabled(false);
    itemsDirty_ = false;
}

void CustomItemPanel::reloadData() {
    model_->reload();
}

CustomItemPanel::Cell CustomItemPanel::tableView(const QString &column, int row) const {
    if (row < 0 || row >= customItems_.size())
        return {};
    const CustomItemDefinition &item = customItems_.at(row);
    if (column == NameColumn) {
        QImage image = item.imageData.isEmpty() ? QImage() : QImage::fromData(item.imageData);
        if (image.isNull())
            image = QImage(AddItemViewController::DefaultIcon);
        return {item.name, image};
    }
    if (column == TypeColumn)
        return {item.deleted ? L("Deleted") : item.type, {}};
    if (column == LabelsColumn && item.type == ValueKind::Labeled) {
        QString text;
        for (const QString &label : item.labels)
            text += label + u',';
        if (text.size() >= 2)
            text.chop(1);
        return {text, {}};
    }
    return {};
}

QList<int> CustomItemPanel::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex &index : tableView_->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CustomItemPanel::updateDeleteButton() {
    const QList<int> rows = selectedRows();
    // A locked item is never deleted, also as one of several selected.
    const bool locked = std::any_of(rows.begin(), rows.end(), [this](int row) {
        return row < customItems_.size() && customItems_.at(row).locked;
    });
    delButton_->setEnabled(!rows.isEmpty() && !locked);
}

void CustomItemPanel::tableViewDoubleAction(int row) {
    if (row < 0 || row >= customItems_.size() || customItems_.at(row).type != ValueKind::Labeled)
        return;
    const QModelIndex cell = model_->index(row, 0);
    showAddItemPopoverInRect(tableView_->visualRect(cell), tableView_->viewport(), customItems_.at(row), row);
}

// ---- Buttons

void CustomItemPanel::buttonPressed(QObject *sender) {
    if (!sender)
        return;
    if (sender == cancelButton_) {
        endSheet(0);
    } else if (sender == doneButton_) {
        endSheet(itemsDirty_ ? 1 : 0);
    } else if (sender == addButton_) {
        // Beside the button, which the popover's arrow points at; the table stays in view.
        showAddItemPopoverInRect(addButton_->rect(), addButton_, std::nullopt);
    } else if (sender == delButton_) {
        Alert alert;
        alert.messageText = L("Do you want to delete the selected custom items?");
        alert.informativeText =
            L("The contacts keep their values, but they are no longer shown or exported.");
        alert.addButtonWithTitle(L("OK"));
        alert.addButtonWithTitle(L("Cancel"));
        alert.beginSheetModalForWindow(window(), [this](int response) {
            if (response == AlertFirstButtonReturn)
                deleteSelectedItems();
        });
    } else if (sender == helpButton_) {
        Popover *popover = makePopover(PopoverBehavior::Transient);
        helpViewController_->setPopover(popover);
        helpViewController_->setIsVCard(isVCard_);
        popover->setContentViewController(helpViewController_);
        popover->setContentSize(HelpViewController::contentSize);
        popover->showRelativeToRect(helpButton_->rect(), helpButton_, RectEdge::MaxY);
    }
}

void CustomItemPanel::deleteSelectedItems() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    itemsDirty_ = true;
    for (int row : rows)
        if (row < customItems_.size() && !customItems_.at(row).locked)
            customItems_[row].deleted = true;
    reloadData();
    for (int row : rows)
        tableView_->selectionModel()->select(model_->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CustomItemPanel::endSheet(int code) {
    if (popover_)
        popover_->close();
    Application::shared().endSheet(window(), code);
    close();
}

// ---- Popovers

Popover *CustomItemPanel::makePopover(PopoverBehavior behavior) {
    // One popover at a time: the one shown closes (and is let go) first.
    if (popover_)
        popover_->close();
    popover_ = new Popover(this);
    popover_->setBehavior(behavior);
    popover_->setAnimates(true);
    popover_->setDelegate(this);
    return popover_;
}

void CustomItemPanel::showAddItemPopoverInRect(const QRect &rect, QWidget *view,
                                               const std::optional<CustomItemDefinition> &item, int row) {
    Popover *popover = makePopover(PopoverBehavior::Semitransient);
    addItemViewController_->setPopover(popover);
    popover->setContentViewController(addItemViewController_);
    popover->setContentSize(AddItemViewController::contentSize);
    popover->showRelativeToRect(rect, view, RectEdge::MaxY);
    QStringList names;
    for (const CustomItemDefinition &existing : customItems_)
        names.append(existing.name);
    addItemViewController_->setUsedNames(names);
    addItemViewController_->setContextInfo(item, row);
}

void CustomItemPanel::popoverDidClose(Popover *popover) {
    if (popover->contentViewController() == addItemViewController_ && addItemViewController_->contextInfo()) {
        const QList<int> selected = selectedRows();
        int select = selected.isEmpty() ? -1 : selected.last();
        // Only Done hands an item back: Cancel and a click elsewhere discard the edit.
        if (auto answer = addItemViewController_->answer()) {
            const int row = addItemViewController_->row();
            // An item added in this opening and changed again keeps its row and its "isNew".
            if (row < 0) {
                answer->changed = false;
                customItems_.append(*answer);
                select = int(customItems_.size()) - 1;
            } else if (answer->changed && row >= 0 && row < customItems_.size()) {
                customItems_[row] = *answer;
            }
        }
        itemsDirty_ = true;
        reloadData();
        if (select >= 0 && select < customItems_.size())
            tableView_->selectRow(select);
        updateDeleteButton();
    }
    releasePopover(popover);
}

void CustomItemPanel::releasePopover(Popover *popover) {
    // The content views outlive the popover's frame: the controllers are reused.
    if (ViewController *content = popover->contentViewController(); content && content->isViewLoaded()) {
        content->view()->hide();
        content->view()->setParent(nullptr);
    }
    if (popover == popover_)
        popover_ = nullptr;
    popover->deleteLater();
}
