#include "editors/MultiValueTable.h"

#include "platform/core/Localization.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"

#include <QComboBox>
#include <QDragMoveEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

MultiValueTableModel::MultiValueTableModel(MultiValueTableSource *editor, QObject *parent)
    : QAbstractTableModel(parent)
    , editor_(editor) {}

int MultiValueTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : editor_->numberOfRows();
}

int MultiValueTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(editor_->columns().size());
}

QVariant MultiValueTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    // Controls stand in the other columns; a text under them would show through.
    if (editor_->columns().value(index.column()).kind != MultiValueColumn::Text)
        return {};
    return editor_->cellText(index.row(), index.column());
}

QVariant MultiValueTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return editor_->columns().value(section).header;
}

Qt::ItemFlags MultiValueTableModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (editing_ && editor_->columns().value(index.column()).kind == MultiValueColumn::Text)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool MultiValueTableModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    editor_->textFieldCellChanged(index.row(), index.column(), value.toString());
    return true;
}

void MultiValueTableModel::reload() {
    beginResetModel();
    endResetModel();
}

void MultiValueTableModel::rowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

MultiValueCellDelegate::MultiValueCellDelegate(MultiValueTableSource *editor, QObject *parent)
    : QStyledItemDelegate(parent)
    , editor_(editor) {}

QWidget *MultiValueCellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                              const QModelIndex &index) const {
    const MultiValueColumn column = editor_->columns().value(index.column());
    const QPersistentModelIndex cell(index);
    const bool editing = editor_->isEditingList();
    switch (column.kind) {
    case MultiValueColumn::LabelPopup:
    case MultiValueColumn::ServicePopup: {
        auto *popup = new PopUpButton(parent);
        popup->setFrame(false);
        popup->addItems(editor_->popupTitles(index.column()));
        popup->setCurrentIndex(editor_->popupSelection(index.row(), index.column()));
        popup->setEnabled(editing);
        connect(popup, &QComboBox::activated, popup, [editor = editor_, cell](int chosen) {
            if (cell.isValid())
                editor->popupButtonCellChanged(cell.row(), cell.column(), chosen);
        });
        return popup;
    }
    case MultiValueColumn::CountryPopup: {
        auto *popup = new PullDownButton(parent);
        popup->setAutoRaise(true);
        editor_->initCountryPopup(popup, editor_->record(index.row()).isoCountryCode.toUpper(), index.row());
        popup->setEnabled(editing);
        return popup;
    }
    case MultiValueColumn::EditButton: {
        auto *button = new QToolButton(parent);
        button->setAutoRaise(true);
        button->setText(QStringLiteral("✎"));
        button->setAccessibleName(L("Edit"));
        connect(button, &QToolButton::clicked, button, [editor = editor_, cell] {
            if (cell.isValid())
                editor->checkboxCellChanged(cell.row());
        });
        return button;
    }
    case MultiValueColumn::Text:
        break;
    }
    QWidget *widget = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *field = qobject_cast<QLineEdit *>(widget)) {
        openEditor_ = field;
        openIndex_ = cell;
    }
    return widget;
}

void MultiValueCellDelegate::setEditorData(QWidget *widget, const QModelIndex &index) const {
    if (auto *field = qobject_cast<QLineEdit *>(widget)) {
        field->setText(index.data(Qt::EditRole).toString());
        field->selectAll();
    }
}

void MultiValueCellDelegate::setModelData(QWidget *widget, QAbstractItemModel *model, const QModelIndex &index) const {
    // Popups report their choice themselves.
    if (qobject_cast<QLineEdit *>(widget))
        QStyledItemDelegate::setModelData(widget, model, index);
}

void MultiValueCellDelegate::commitOpenEditor() {
    if (QLineEdit *field = openEditor_) {
        openEditor_ = nullptr;
        emit commitData(field);
        emit closeEditor(field, QAbstractItemDelegate::NoHint);
    }
}

bool MultiValueCellDelegate::eventFilter(QObject *object, QEvent *event) {
    auto *field = qobject_cast<QLineEdit *>(object);
    if (field && field == openEditor_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        using Command = MultiValueTableSource::Command;
        std::optional<Command> command;
        if (key == Qt::Key_Tab)
            command = Command::InsertTab;
        else if (key == Qt::Key_Return || key == Qt::Key_Enter)
            command = Command::InsertNewline;
        if (command && editor_->isEditingList()) {
            const QModelIndex from = openIndex_;
            commitOpenEditor();
            editor_->doCommandBySelector(from, *command);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

MultiValueTableView::MultiValueTableView(MultiValueTableSource *editor, QWidget *parent)
    : QTableView(parent)
    , editor_(editor)
    , delegate_(new MultiValueCellDelegate(editor, this)) {
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
}

int MultiValueTableView::dropRowAt(const QPoint &position) const {
    const int rows = model() ? model()->rowCount() : 0;
    const int row = rowAt(position.y());
    if (row < 0)
        return position.y() < 0 ? 0 : rows;
    return position.y() - rowViewportPosition(row) > rowHeight(row) / 2 ? row + 1 : row;
}

void MultiValueTableView::startDrag(Qt::DropActions) {
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    auto pasteboard = Pasteboard::forDragging();
    if (!editor_->writeRowsWithIndexes({selected.first().row()}, *pasteboard))
        return;
    pasteboard->setSource(window(), this);
    // Other programs may copy the text; this table only moves rows.
    ::startDrag(this, std::move(pasteboard), Qt::CopyAction | Qt::MoveAction);
}

bool MultiValueTableView::acceptsDrag(QDropEvent *event) {
    const Pasteboard pasteboard(event->mimeData());
    gapRow_ = dropRowAt(event->position().toPoint());
    const Qt::DropAction action = editor_->validateDrop(pasteboard.isFromView(this), gapRow_,
                                                        MultiValueTableSource::DropOperation::Above);
    if (action == Qt::IgnoreAction) {
        gapRow_ = -1;
        event->ignore();
    } else {
        event->setDropAction(action);
        event->accept();
    }
    viewport()->update();
    return action != Qt::IgnoreAction;
}

void MultiValueTableView::dragEnterEvent(QDragEnterEvent *event) {
    const QMimeData *data = event->mimeData();
    if (data->hasText() || data->hasImage())
        event->acceptProposedAction();
}

void MultiValueTableView::dragMoveEvent(QDragMoveEvent *event) {
    acceptsDrag(event);
}

void MultiValueTableView::dragLeaveEvent(QDragLeaveEvent *) {
    gapRow_ = -1;
    viewport()->update();
}

void MultiValueTableView::dropEvent(QDropEvent *event) {
    if (acceptsDrag(event) && !editor_->acceptDrop(gapRow_, MultiValueTableSource::DropOperation::Above))
        event->ignore();
    gapRow_ = -1;
    viewport()->update();
}

void MultiValueTableView::paintEvent(QPaintEvent *event) {
    QTableView::paintEvent(event);
    if (gapRow_ < 0)
        return;
    const int rows = model()->rowCount();
    const int y = gapRow_ < rows ? rowViewportPosition(gapRow_)
                                 : (rows > 0 ? rowViewportPosition(rows - 1) + rowHeight(rows - 1) : 0);
    QPainter painter(viewport());
    painter.setPen(QPen(palette().highlight(), 2));
    painter.drawLine(0, y, viewport()->width(), y);
}
