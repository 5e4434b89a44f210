#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class Pasteboard;
class QTableView;

// Where a drop on a table lands: on a row, or above it (above the row count: after the
// last row).
enum class TableViewDropOperation { On, Above };

// A validation's answer that leaves the choice between copy and move to the user's keys.
inline constexpr Qt::DropAction EveryDropOperation = Qt::DropAction(int(Qt::CopyAction) | int(Qt::MoveAction));

struct TableDropTarget {
    int row = -1;
    TableViewDropOperation operation = TableViewDropOperation::On;
    friend bool operator==(const TableDropTarget &, const TableDropTarget &) = default;
};

// The drops a point of a table's viewport proposes, the likeliest first: near a row's
// top or bottom edge above that row or the next, in its middle on the row; then the other
// readings of the same point. Below the last row, after it.
QList<TableDropTarget> tableDropTargetsAt(const QTableView *view, const QPoint &point);

// Row drags and drops of a table view, as the other platform's table views make them: a
// drag starts once the mouse has moved the drag distance from a pressed row (moving no
// longer extends the selection); a drop goes to the first proposal the owner validates.
// The owner answers through the handlers; the table's drop feedback is drawn on a layer
// above its viewport.
class TableRowDragDrop : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        // The rows a drag from the pressed row carries; none starts no drag.
        std::function<QList<int>(int pressedRow, const QList<int> &selectedBeforePress)> draggedRows;
        // Writes the drag; false refuses it.
        std::function<bool(const QList<int> &rows, Pasteboard &pasteboard)> writeRows;
        std::function<Qt::DropAction(const Pasteboard &info, int row, TableViewDropOperation operation)> validateDrop;
        std::function<bool(const Pasteboard &info, int row, TableViewDropOperation operation)> acceptDrop;
        // Whether drags over the widgets of cells (index widgets, their parts) land on the
        // table too; otherwise those widgets keep their own drops (a cell being edited).
        bool cellWidgetsTakeDrops = false;
    };

    TableRowDragDrop(QTableView *view, Handlers handlers);
    ~TableRowDragDrop() override;

    // Runs the drag of these rows (the drag's own event loop runs until it ends).
    void startRowDrag(const QList<int> &rows);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Feedback;
    static constexpr const char *CellProperty = "tableRowDragDropCell";
    void watchCell(QWidget *cell);
    // Drag events over the viewport or a cell's widget; false for other events.
    bool dragEvent(QWidget *widget, QEvent *event);
    std::optional<TableDropTarget> validTarget(class QDropEvent *event, const QPoint &point) const;
    void showFeedback(const std::optional<TableDropTarget> &target);

    QTableView *view_;
    QObject *viewport_ = nullptr;
    Handlers handlers_;
    QPointer<QWidget> feedback_;
    QList<int> selectedBeforePress_;
    int pressedRow_ = -1;
    QPoint pressPosition_;
    bool armed_ = false;
};

// Row drags and drops for a controller that answers with the table operations of the other
// platform (canDragRowsWithIndexes, tableViewWriteRowsWithIndexes, tableViewValidateDrop,
// tableViewAcceptDrop); `draggedRows` says which rows a drag from the pressed row carries.
template <typename Owner>
TableRowDragDrop *installTableRowDragDrop(QTableView *view, Owner *owner,
                                          decltype(TableRowDragDrop::Handlers::draggedRows) draggedRows,
                                          bool cellWidgetsTakeDrops = false) {
    TableRowDragDrop::Handlers handlers;
    handlers.cellWidgetsTakeDrops = cellWidgetsTakeDrops;
    handlers.draggedRows = std::move(draggedRows);
    handlers.writeRows = [owner](const QList<int> &rows, Pasteboard &pasteboard) {
        return owner->canDragRowsWithIndexes(rows, QPoint()) && owner->tableViewWriteRowsWithIndexes(rows, pasteboard);
    };
    handlers.validateDrop = [owner](const Pasteboard &info, int row, TableViewDropOperation operation) {
        return owner->tableViewValidateDrop(info, row, operation);
    };
    handlers.acceptDrop = [owner](const Pasteboard &info, int row, TableViewDropOperation operation) {
        return owner->tableViewAcceptDrop(info, row, operation);
    };
    return new TableRowDragDrop(view, std::move(handlers));
}
