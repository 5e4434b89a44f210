#include "find/FindResultsTable.h"

#include "editors/PopupAndTextCell.h"
#include "platform/core/Localization.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTableView>

// ---- Model

FindResultsTableModel::FindResultsTableModel(FindResultsSource *panel, QTableView *table)
    : QAbstractTableModel(table)
    , panel_(panel)
    , table_(table) {}

int FindResultsTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : panel_->numberOfRowsInTableView(table_);
}

int FindResultsTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(FindResultsSource::ColumnIdentifiers.size());
}

QVariant FindResultsTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::EditRole) {
        const FindResultRows &rows = panel_->searchResults();
        return index.row() < rows.size() ? rows[index.row()]->value : QString();
    }
    if (role != Qt::DisplayRole)
        return {};
    return cell(index).text;
}

FindPanelCell FindResultsTableModel::cell(const QModelIndex &index) const {
    return panel_->tableView(table_, FindResultsSource::ColumnIdentifiers.value(index.column()), index.row());
}

bool FindResultsTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || index.column() != FindResultsSource::ValueColumn)
        return false;
    panel_->textFieldCellChanged(index.row(), value.toString());
    return true;
}

QVariant FindResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    // The identifiers are keys; "SubItem" is no word to read, so its column has a title of its own.
    const QString identifier = FindResultsSource::ColumnIdentifiers.value(section);
    return identifier == QLatin1String("SubItem") ? L("Sub Item") : L(identifier.toUtf8().constData());
}

Qt::ItemFlags FindResultsTableModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Editing starts only through the window's double action.
    if (index.column() == FindResultsSource::ValueColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

void FindResultsTableModel::sort(int column, Qt::SortOrder order) {
    panel_->tableViewSortDescriptorsDidChange(table_, column, order == Qt::AscendingOrder);
}

void FindResultsTableModel::reload() {
    beginResetModel();
    endResetModel();
}

void FindResultsTableModel::reloadCell(int row, int column) {
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(row, column), index(row, column));
}

// ---- Delegate

FindResultsDelegate::FindResultsDelegate(FindResultsTableModel *model, QObject *parent)
    : QStyledItemDelegate(parent)
    , model_(model) {}

void FindResultsDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget *view = option.widget;
    QStyle *style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, view);

    const FindPanelCell cell = model_->cell(index);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor color = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    // The first line sits in the middle of its 24-point line.
    const int lineSpacing = QFontMetrics(option.font).lineSpacing();
    const int inset = std::max(0, (int(FindResultsSource::LineHeight) - lineSpacing) / 2 - 2);
    paintHighlightedText(painter, option.rect.adjusted(4, inset, -4, 0), cell.text, option.font,
                         cell.highlights, color);
}

QWidget *FindResultsDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                           const QModelIndex &index) const {
    if (index.data(Qt::EditRole).toString().contains(QLatin1Char('\n')))
        return new QPlainTextEdit(parent);
    auto *field = new QLineEdit(parent);
    field->setFrame(false);
    return field;
}

void FindResultsDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *field = qobject_cast<QLineEdit *>(editor)) {
        field->setText(text);
        field->selectAll();
    } else if (auto *lines = qobject_cast<QPlainTextEdit *>(editor)) {
        lines->setPlainText(text);
        lines->selectAll();
    }
}

void FindResultsDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                       const QModelIndex &index) const {
    if (const auto *field = qobject_cast<QLineEdit *>(editor))
        model->setData(index, field->text(), Qt::EditRole);
    else if (const auto *lines = qobject_cast<QPlainTextEdit *>(editor))
        model->setData(index, lines->toPlainText(), Qt::EditRole);
}

void FindResultsDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                               const QModelIndex &) const {
    editor->setGeometry(option.rect);
}
