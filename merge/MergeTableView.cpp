#include "merge/MergeTableView.h"

#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableRowDragDrop.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

const char *const RowProperty = "mergeRow";
const char *const GenerationProperty = "mergeGeneration";

bool isCommand(const QKeyEvent *key, bool multiLine) {
    if (key->key() == Qt::Key_Tab)
        return true;
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // In a text of several lines Alt+Return or Shift+Return breaks the line.
    return !multiLine || !(key->modifiers() & (Qt::AltModifier | Qt::ShiftModifier));
}

QString commandOf(const QKeyEvent *key) {
    return key->key() == Qt::Key_Tab ? QStringLiteral("insertTab:") : QStringLiteral("insertNewline:");
}

QString editorText(const QWidget *editor) {
    if (const auto *line = qobject_cast<const QLineEdit *>(editor))
        return line->text();
    if (const auto *text = qobject_cast<const QPlainTextEdit *>(editor))
        return text->toPlainText();
    return {};
}

} // namespace

// ---- Model

MergeTableModel::MergeTableModel(MergeTableDelegate *controller, MergeTableView *view)
    : QAbstractTableModel(view)
    , controller_(controller)
    , view_(view) {}

int MergeTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : controller_->numberOfRowsInTableView(view_);
}

int MergeTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant MergeTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::FontRole)
        return controller_->selectedFont();
    if (index.column() == MergeTableView::TypeColumn) {
        if (role == Qt::DisplayRole)
            return controller_->typeCellText(view_, index.row());
        if (role == Qt::DecorationRole) {
            const QImage image = controller_->typeCellImage(view_, index.row());
            return image.isNull() ? QVariant() : QVariant(image);
        }
        return {};
    }
    const auto cell = controller_->textCell(view_, index.row());
    if (!cell)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell->text;
    case Qt::EditRole:
        return cell->editText;
    case PlaceholderRole:
        return cell->placeholder;
    default:
        return {};
    }
}

bool MergeTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole || index.column() != MergeTableView::ValueColumn)
        return false;
    controller_->textFieldCellChanged(view_, index.row(), value.toString());
    return true;
}

QVariant MergeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == MergeTableView::TypeColumn ? L("Type") : L("Value");
}

Qt::ItemFlags MergeTableModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == MergeTableView::ValueColumn && controller_->isEditing()) {
        const auto cell = controller_->textCell(view_, index.row());
        if (cell && cell->editable)
            flags |= Qt::ItemIsEditable;
    }
    return flags;
}

void MergeTableModel::reload() {
    beginResetModel();
    endResetModel();
}

// ---- Text cells

MergeTextCellDelegate::MergeTextCellDelegate(MergeTableDelegate *controller, MergeTableView *view)
    : QStyledItemDelegate(view)
    , controller_(controller)
    , view_(view) {}

void MergeTextCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const {
    const QString placeholder = index.data(MergeTableModel::PlaceholderRole).toString();
    if (!index.data(Qt::DisplayRole).toString().isEmpty() || placeholder.isEmpty())
        return QStyledItemDelegate::paint(painter, option, index);
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::PlaceholderText));
    painter->drawText(option.rect.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, placeholder);
    painter->restore();
}

QWidget *MergeTextCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                             const QModelIndex &index) const {
    QWidget *editor = nullptr;
    if (index.data(Qt::EditRole).toString().contains(QLatin1Char('\n')) ||
        controller_->tableViewHeightOfRow(view_, index.row()) > controller_->rowHeight()) {
        auto *text = new QPlainTextEdit(parent);
        text->setTabChangesFocus(true);
        editor = text;
    } else {
        auto *line = new QLineEdit(parent);
        line->setFrame(false);
        editor = line;
    }
    editor->setFont(controller_->selectedFont());
    openEditor_ = editor;
    openRow_ = index.row();
    return editor;
}

void MergeTextCellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const {
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(text);
        line->selectAll();
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(editor)) {
        plain->setPlainText(text);
        plain->selectAll();
    }
}

void MergeTextCellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const {
    model->setData(index, editorText(editor), Qt::EditRole);
}

void MergeTextCellDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                                 const QModelIndex &) const {
    editor->setGeometry(option.rect);
}

void MergeTextCellDelegate::commitOpenEditor() {
    if (!openEditor_)
        return;
    QWidget *editor = openEditor_;
    openEditor_ = nullptr;
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool MergeTextCellDelegate::eventFilter(QObject *watched, QEvent *event) {
    auto *editor = qobject_cast<QWidget *>(watched);
    if (editor && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (isCommand(key, qobject_cast<QPlainTextEdit *>(editor) != nullptr)) {
            const int row = openRow_;
            commitOpenEditor();
            controller_->controlTextViewDoCommandBySelector(view_, row, commandOf(key));
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

// ---- Table

MergeTableView::MergeTableView(MergeTableDelegate *controller, QWidget *parent)
    : QTableView(parent)
    , controller_(controller)
    , model_(new MergeTableModel(controller, this))
    , delegate_(new MergeTextCellDelegate(controller, this)) {
    setModel(model_);
    setItemDelegateForColumn(MergeTableView::ValueColumn, delegate_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Drags are started by the table itself (mouseMoveEvent), not by the item view.
    setDragEnabled(false);
    setDropIndicatorShown(false);
    setShowGrid(false);
    setWordWrap(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(MergeTableView::TypeColumn, 150);

    // Drags start here (from the cells' widgets too); the drops of every cell, widgets and
    // open editors included, land on the row. Ctrl held copies.
    TableRowDragDrop::Handlers handlers;
    handlers.cellWidgetsTakeDrops = true;
    handlers.writeRows = [this](const QList<int> &rows, Pasteboard &pasteboard) {
        return controller_->tableViewWriteRows(this, rows.first(), pasteboard);
    };
    handlers.validateDrop = [this](const Pasteboard &info, int row, TableViewDropOperation operation) {
        return controller_->tableViewValidateDrop(this, info, row, operation,
                                                  currentModifierFlags() & CommandKeyModifier);
    };
    handlers.acceptDrop = [this](const Pasteboard &info, int row, TableViewDropOperation operation) {
        return controller_->tableViewAcceptDrop(this, info, row, operation,
                                                currentModifierFlags() & CommandKeyModifier);
    };
    rowDragDrop_ = new TableRowDragDrop(this, std::move(handlers));
}

void MergeTableView::setClickedCell(int row, int column) {
    clickedRow_ = row;
    clickedColumn_ = column;
}

void MergeTableView::mousePressEvent(QMouseEvent *event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    setClickedCell(index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1);
    pressedRow_ = clickedRow_;
    pressArmed_ = event->button() == Qt::LeftButton && index.isValid();
    pressPosition_ = event->globalPosition().toPoint();
    QTableView::mousePressEvent(event);
}

// Drags start from the pressed row, never from the selection: Ctrl-press toggles the
// selection (the pressed row may end up unselected), and Ctrl-drag is the copy.
void MergeTableView::mouseMoveEvent(QMouseEvent *event) {
    if (pressArmed_ && (event->buttons() & Qt::LeftButton) &&
        (event->globalPosition().toPoint() - pressPosition_).manhattanLength() >= QApplication::startDragDistance()) {
        pressArmed_ = false;
        startRowDrag(pressedRow_);
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void MergeTableView::mouseReleaseEvent(QMouseEvent *event) {
    pressArmed_ = false;
    QTableView::mouseReleaseEvent(event);
}

void MergeTableView::mouseDoubleClickEvent(QMouseEvent *event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    setClickedCell(index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1);
    controller_->tableViewDoubleAction(this);
}

void MergeTableView::startRowDrag(int row) {
    rowDragDrop_->startRowDrag({row});
}

void MergeTableView::watchCellWidget(QWidget *widget, int row) {
    QList<QWidget *> parts = widget->findChildren<QWidget *>();
    parts.prepend(widget);
    for (QWidget *part : parts) {
        part->setProperty(RowProperty, row);
        part->setProperty(GenerationProperty, cellGeneration_);
        part->installEventFilter(this);
        // The sheet's menu, not the text view's own.
        part->setContextMenuPolicy(Qt::NoContextMenu);
    }
}

bool MergeTableView::eventFilter(QObject *watched, QEvent *event) {
    auto *widget = qobject_cast<QWidget *>(watched);
    const QVariant row = watched->property(RowProperty);
    // A widget of an earlier reload may still see its focus go: its row means nothing now.
    if (widget && row.isValid())
        return watched->property(GenerationProperty).toInt() == cellGeneration_ &&
               cellWidgetEvent(widget, row.toInt(), event);
    return QTableView::eventFilter(watched, event);
}

bool MergeTableView::cellWidgetEvent(QWidget *widget, int row, QEvent *event) {
    // A label cell's text view takes its keys and focus itself, its viewport the mouse.
    QTextEdit *text = qobject_cast<QTextEdit *>(widget);
    if (!text && widget->parentWidget())
        text = qobject_cast<QTextEdit *>(widget->parentWidget());
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        setClickedCell(row, MergeTableView::ValueColumn);
        pressArmed_ = mouse->button() == Qt::LeftButton && !(text && text->hasFocus());
        pressedRow_ = row;
        pressPosition_ = mouse->globalPosition().toPoint();
        if (!(mouse->modifiers() & CommandKeyModifier))
            selectRow(row);
        return false;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!pressArmed_ || !(mouse->buttons() & Qt::LeftButton) ||
            (mouse->globalPosition().toPoint() - pressPosition_).manhattanLength() < QApplication::startDragDistance())
            return false;
        pressArmed_ = false;
        startRowDrag(row);
        return true;
    }
    case QEvent::MouseButtonRelease:
        pressArmed_ = false;
        return false;
    case QEvent::MouseButtonDblClick:
        setClickedCell(row, MergeTableView::ValueColumn);
        controller_->tableViewDoubleAction(this);
        return true;
    case QEvent::FocusOut:
        if (text && widget == text && !text->isReadOnly())
            controller_->textFieldCellChanged(this, row, text->toPlainText());
        return false;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!text || widget != text || text->isReadOnly() || !isCommand(key, false))
            return false;
        controller_->textFieldCellChanged(this, row, text->toPlainText());
        controller_->controlTextViewDoCommandBySelector(this, row, commandOf(key));
        return true;
    }
    default:
        return false;
    }
}
