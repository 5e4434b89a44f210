#include "platform/ui/TableRowDragDrop.h"

#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QTableView>

#include <set>

QList<TableDropTarget> tableDropTargetsAt(const QTableView *view, const QPoint &point) {
    const int rows = view->model() ? view->model()->rowCount() : 0;
    const int row = view->rowAt(point.y());
    if (row < 0)
        return {{rows, TableViewDropOperation::Above}};
    const int top = view->rowViewportPosition(row);
    const int height = view->rowHeight(row);
    const int edge = std::max(2, height / 4);
    const TableDropTarget above{row, TableViewDropOperation::Above};
    const TableDropTarget below{row + 1, TableViewDropOperation::Above};
    const TableDropTarget on{row, TableViewDropOperation::On};
    if (point.y() < top + edge)
        return {above, on, below};
    if (point.y() >= top + height - edge)
        return {below, on, above};
    return point.y() < top + height / 2 ? QList<TableDropTarget>{on, above, below}
                                        : QList<TableDropTarget>{on, below, above};
}

// The drop feedback: a line between rows, a frame around a row.
class TableRowDragDrop::Feedback : public QWidget {
public:
    explicit Feedback(QTableView *view)
        : QWidget(view->viewport())
        , view_(view) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        hide();
    }
    void showTarget(const std::optional<TableDropTarget> &target) {
        target_ = target;
        setGeometry(view_->viewport()->rect());
        setVisible(bool(target));
        raise();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        if (!target_)
            return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        const int rows = view_->model()->rowCount();
        const int width = view_->viewport()->width();
        if (target_->operation == TableViewDropOperation::On) {
            const QRect row(0, view_->rowViewportPosition(target_->row), width, view_->rowHeight(target_->row));
            painter.drawRoundedRect(row.adjusted(1, 1, -2, -2), 3, 3);
            return;
        }
        int y = 1;
        if (target_->row >= rows && rows > 0)
            y = view_->rowViewportPosition(rows - 1) + view_->rowHeight(rows - 1) - 1;
        else if (target_->row > 0)
            y = view_->rowViewportPosition(target_->row);
        painter.drawLine(4, y, width - 4, y);
    }

private:
    QTableView *view_;
    std::optional<TableDropTarget> target_;
};

TableRowDragDrop::TableRowDragDrop(QTableView *view, Handlers handlers)
    : QObject(view)
    , view_(view)
    , handlers_(std::move(handlers)) {
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    viewport_ = view->viewport();
    viewport_->installEventFilter(this);
    feedback_ = new Feedback(view);
}

TableRowDragDrop::~TableRowDragDrop() = default;

void TableRowDragDrop::startRowDrag(const QList<int> &rows) {
    if (rows.isEmpty() || !handlers_.writeRows)
        return;
    auto pasteboard = Pasteboard::forDragging();
    if (!handlers_.writeRows(rows, *pasteboard))
        return;
    QRect area;
    for (const int row : rows) {
        const QRect rect(0, view_->rowViewportPosition(row), view_->viewport()->width(), view_->rowHeight(row));
        area = area.united(rect.intersected(view_->viewport()->rect()));
    }
    const QPixmap image = area.isEmpty() ? QPixmap() : view_->viewport()->grab(area);
    // Whatever the receiver does with it, nothing is removed here.
    ::startDrag(view_, std::move(pasteboard), Qt::CopyAction | Qt::MoveAction, image);
}

std::optional<TableDropTarget> TableRowDragDrop::validTarget(QDropEvent *event) const {
    if (!handlers_.validateDrop)
        return std::nullopt;
    const Pasteboard info(event->mimeData());
    for (const TableDropTarget &target : tableDropTargetsAt(view_, event->position().toPoint())) {
        const Qt::DropAction action = handlers_.validateDrop(info, target.row, target.operation);
        if (action == Qt::IgnoreAction)
            continue;
        event->setDropAction(action == EveryDropOperation ? event->proposedAction() : action);
        return target;
    }
    return std::nullopt;
}

void TableRowDragDrop::showFeedback(const std::optional<TableDropTarget> &target) {
    if (feedback_)
        static_cast<Feedback *>(feedback_.data())->showTarget(target);
}

bool TableRowDragDrop::eventFilter(QObject *watched, QEvent *event) {
    // Compared with the viewport kept: a table going away no longer answers for its parts.
    if (watched != viewport_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        armed_ = false;
        if (mouse->button() != Qt::LeftButton)
            break;
        pressedRow_ = view_->rowAt(mouse->position().toPoint().y());
        pressPosition_ = mouse->globalPosition().toPoint();
        std::set<int> selected;
        for (const QModelIndex &index : view_->selectionModel()->selectedIndexes())
            selected.insert(index.row());
        selectedBeforePress_ = QList<int>(selected.begin(), selected.end());
        armed_ = pressedRow_ >= 0 && handlers_.draggedRows;
        break;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!armed_ || !(mouse->buttons() & Qt::LeftButton))
            break;
        // Moving with the button held drags; it never sweeps a selection.
        if ((mouse->globalPosition().toPoint() - pressPosition_).manhattanLength() >=
            QApplication::startDragDistance()) {
            armed_ = false;
            startRowDrag(handlers_.draggedRows(pressedRow_, selectedBeforePress_));
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        armed_ = false;
        break;
    case QEvent::DragEnter:
        // Where the drag may land is decided at each move.
        event->accept();
        return true;
    case QEvent::DragMove: {
        auto *move = static_cast<QDragMoveEvent *>(event);
        const std::optional<TableDropTarget> target = validTarget(move);
        showFeedback(target);
        if (target)
            move->accept();
        else
            move->ignore();
        return true;
    }
    case QEvent::DragLeave:
        showFeedback(std::nullopt);
        event->accept();
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        showFeedback(std::nullopt);
        const std::optional<TableDropTarget> target = validTarget(drop);
        const Pasteboard info(drop->mimeData());
        if (target && handlers_.acceptDrop && handlers_.acceptDrop(info, target->row, target->operation))
            drop->accept();
        else
            drop->ignore();
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
