#include "editors/CustomLabelList.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableView>

class CustomLabelListModel : public QAbstractTableModel {
public:
    CustomLabelListModel(CustomLabelList *list, QString title)
        : QAbstractTableModel(list)
        , list_(list)
        , title_(std::move(title)) {}

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(list_->labels_.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex &index, int role) const override {
        if ((role != Qt::DisplayRole && role != Qt::EditRole) || index.row() >= list_->labels_.size())
            return {};
        return list_->labels_.at(index.row());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        return orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole ? QVariant(title_)
                                                                                        : QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    // The owner hears of the edit once the view has closed the row's editor (flushEdit):
    // its answer may remove the very row the editor belongs to.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override {
        if (role != Qt::EditRole || !index.isValid())
            return false;
        list_->pendingEdit_ = {index.row(), value.toString()};
        return true;
    }
    void reset() {
        beginResetModel();
        endResetModel();
    }

private:
    CustomLabelList *list_;
    QString title_;
};

// Remembers the open row editor, so the owner can commit it before it acts.
class CustomLabelListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor_ = editor;
        return editor;
    }
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override {
        if (editor == editor_)
            editor_ = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }
    // Typing replaces the word, as when a new row opens for its name.
    void setEditorData(QWidget *editor, const QModelIndex &index) const override {
        QStyledItemDelegate::setEditorData(editor, index);
        if (auto *field = qobject_cast<QLineEdit *>(editor))
            field->selectAll();
    }
    void endEditing(bool keepText = true) {
        QWidget *editor = editor_;
        if (!editor)
            return;
        editor_ = nullptr;
        if (keepText)
            emit commitData(editor);
        emit closeEditor(editor,
                         keepText ? QAbstractItemDelegate::NoHint : QAbstractItemDelegate::RevertModelCache);
    }

private:
    mutable QPointer<QWidget> editor_;
};

class CustomLabelTableView : public QTableView {
public:
    explicit CustomLabelTableView(CustomLabelList *list)
        : list_(list) {}

protected:
    // Every way a row editor ends comes here, after its text was committed.
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override {
        QTableView::closeEditor(editor, hint);
        list_->flushEdit();
    }

private:
    CustomLabelList *list_;
};

CustomLabelList::CustomLabelList(const QString &columnTitle, QObject *parent)
    : QObject(parent) {
    tableView_ = new CustomLabelTableView(this);
    model_ = new CustomLabelListModel(this, columnTitle);
    delegate_ = new CustomLabelListDelegate(this);
    tableView_->setModel(model_);
    tableView_->setItemDelegate(delegate_);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double click opens a row (doubleClicked, the owner's double action).
    tableView_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    tableView_->setShowGrid(false);
    tableView_->setWordWrap(false);
    tableView_->verticalHeader()->hide();
    tableView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableView_->horizontalHeader()->setStretchLastSection(true);
    tableView_->horizontalHeader()->setSectionsClickable(true);
    tableView_->horizontalHeader()->setSortIndicatorShown(true);
    // Not setSortingEnabled: that sorts at once, before the user asked.
    tableView_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    connect(tableView_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int, Qt::SortOrder order) { emit sortRequested(order == Qt::AscendingOrder); });
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CustomLabelList::selectionChanged);
    connect(tableView_, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { emit doubleClicked(index.row()); });
}

CustomLabelList::~CustomLabelList() {
    if (tableView_ && !tableView_->parent())
        delete tableView_.data();
}

QTableView *CustomLabelList::tableView() const {
    return tableView_;
}

QString CustomLabelList::newLabelName(const QStringList &taken) {
    QString name = QStringLiteral("new");
    for (qint64 number = 1; taken.contains(name); ++number)
        name = QStringLiteral("new%1").arg(number);
    return name;
}

void CustomLabelList::setLabels(const QStringList &labels) {
    delegate_->endEditing();
    labels_ = labels;
    model_->reset();
}

void CustomLabelList::setLabel(int row, const QString &label) {
    if (row < 0 || row >= labels_.size())
        return;
    labels_[row] = label;
    emit model_->dataChanged(model_->index(row, 0), model_->index(row, 0));
}

void CustomLabelList::insertLabel(int row, const QString &label) {
    row = qBound(0, row, int(labels_.size()));
    labels_.insert(row, label);
    reload();
}

void CustomLabelList::removeLabel(int row) {
    if (row < 0 || row >= labels_.size())
        return;
    labels_.removeAt(row);
    reload();
}

void CustomLabelList::setRowHeight(int height) {
    tableView_->verticalHeader()->setDefaultSectionSize(height);
    tableView_->verticalHeader()->setMinimumSectionSize(qMin(height, 12));
}

int CustomLabelList::selectedRow() const {
    const QModelIndexList rows = tableView_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CustomLabelList::selectRow(int row) {
    if (row < 0 || row >= labels_.size()) {
        tableView_->clearSelection();
        return;
    }
    tableView_->setCurrentIndex(model_->index(row, 0));
    tableView_->selectRow(row);
}

void CustomLabelList::editRow(int row) {
    if (row < 0 || row >= labels_.size())
        return;
    const QModelIndex index = model_->index(row, 0);
    tableView_->scrollTo(index);
    tableView_->setCurrentIndex(index);
    tableView_->edit(index);
}

void CustomLabelList::endEditing() {
    delegate_->endEditing();
    flushEdit();
}

void CustomLabelList::cancelEditing() {
    delegate_->endEditing(false);
    pendingEdit_.reset();
}

void CustomLabelList::flushEdit() {
    if (!pendingEdit_)
        return;
    const auto [row, text] = *pendingEdit_;
    pendingEdit_.reset();
    emit cellEdited(row, text);
}

void CustomLabelList::reload() {
    const int selected = selectedRow();
    model_->reset();
    if (selected >= 0 && selected < labels_.size())
        selectRow(selected);
}

void CustomLabelList::sort(bool ascending) {
    const int selected = selectedRow();
    const QString remembered = selected >= 0 ? labels_.at(selected) : QString();
    QCollator collator;
    std::stable_sort(labels_.begin(), labels_.end(), [&](const QString &a, const QString &b) {
        return ascending ? collator.compare(a, b) < 0 : collator.compare(b, a) < 0;
    });
    model_->reset();
    if (selected >= 0)
        selectRow(int(labels_.indexOf(remembered)));
}
