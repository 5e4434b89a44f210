#include "platform/ui/TableRowDragDrop.h"

#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QChildEvent>
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
        // The name tests find the frame by.
        setObjectName(QStringLiteral("tableRowDropFeedback"));
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
    feedback_ = new Feedback(view);
    viewport_ = view->viewport();
    viewport_->installEventFilter(this);
    if (!handlers_.cellWidgetsTakeDrops)
        return;
    for (QObject *child : viewport_->children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && widget != feedback_)
            watchCell(widget);
}

void TableRowDragDrop::watchCell(QWidget *cell) {
    // A cell's widgets (index widgets, their text views) take drags as the table: a row is
    // dropped on wherever the pointer is over it.
    QList<QWidget *> parts = cell->findChildren<QWidget *>();
    parts.prepend(cell);
    for (QWidget *part : parts) {
        if (part->property(CellProperty).toBool())
            continue;
        part->setProperty(CellProperty, true);
        part->setAcceptDrops(true);
        part->installEventFilter(this);
    }
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

std::optional<TableDropTarget> TableRowDragDrop::validTarget(QDropEvent *event, const QPoint &point) const {
    if (!handlers_.validateDrop)
        return std::nullopt;
    const Pasteboard info(event->mimeData());
    for (const TableDropTarget &target : tableDropTargetsAt(view_, point)) {
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
    if (watched != viewport_) {
        if (watched->property(CellProperty).toBool())
            return dragEvent(static_cast<QWidget *>(watched), event);
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ChildAdded && handlers_.cellWidgetsTakeDrops) {
        auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child());
        if (child && child != feedback_)
            watchCell(child);
        return false;
    }
    if (dragEvent(static_cast<QWidget *>(viewport_), event))
        return true;
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
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool TableRowDragDrop::dragEvent(QWidget *widget, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter) {
        // Where the drag may land is decided at each move.
        event->accept();
        return true;
    }
    if (type == QEvent::DragLeave) {
        showFeedback(std::nullopt);
        event->accept();
        return true;
    }
    if (type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto *drop = static_cast<QDropEvent *>(event);
    const QPoint point = widget->mapTo(static_cast<QWidget *>(viewport_), drop->position().toPoint());
    const std::optional<TableDropTarget> target = validTarget(drop, point);
    if (type == QEvent::DragMove) {
        showFeedback(target);
        drop->setAccepted(bool(target));
        return true;
    }
    showFeedback(std::nullopt);
    const Pasteboard info(drop->mimeData());
    drop->setAccepted(target && handlers_.acceptDrop && handlers_.acceptDrop(info, target->row, target->operation));
    return true;
}
