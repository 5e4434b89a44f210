#pragma once

#include "merge/MergeDrop.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <optional>

class MergeTableView;
class Pasteboard;
class TableRowDragDrop;

// What a merge table asks of its owner (the merge sheet): the rows and their cells, and
// what the user does to them.
class MergeTableDelegate {
public:
    // The value column's text of a text cell.
    struct TextCell {
        QString text;        // as shown
        QString editText;    // as edited
        QString placeholder; // shown while the text is empty
        bool editable = false;
    };

    virtual ~MergeTableDelegate() = default;
    virtual int numberOfRowsInTableView(const QTableView *table) const = 0;
    virtual double tableViewHeightOfRow(const QTableView *table, int row) const = 0;
    virtual double rowHeight() const = 0;
    virtual QFont selectedFont() const = 0;
    virtual bool isEditing() const = 0;
    virtual QString typeCellText(const QTableView *table, int row) const = 0;
    virtual QImage typeCellImage(const QTableView *table, int row) const = 0;
    // None for rows whose value a widget shows.
    virtual std::optional<TextCell> textCell(const QTableView *table, int row) const = 0;
    virtual void textFieldCellChanged(QTableView *table, int row, const QString &text) = 0;
    // Return ("insertNewline:") and Tab ("insertTab:") in an edited cell.
    virtual bool controlTextViewDoCommandBySelector(QTableView *table, int row, const QString &command) = 0;
    virtual void tableViewDoubleAction(QTableView *table) = 0;
    virtual bool tableViewWriteRows(QTableView *table, int row, Pasteboard &pasteboard) = 0;
    virtual Qt::DropAction tableViewValidateDrop(QTableView *table, const Pasteboard &info, int row,
                                                 MergeDropPosition position, bool copy) = 0;
    virtual bool tableViewAcceptDrop(QTableView *table, const Pasteboard &info, int row, MergeDropPosition position,
                                     bool copy) = 0;
};

// One merge table's rows as the view sees them; the controller answers everything.
class MergeTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { PlaceholderRole = Qt::UserRole + 1 };

    MergeTableModel(MergeTableDelegate *controller, MergeTableView *view);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void reload();

private:
    MergeTableDelegate *controller_;
    MergeTableView *view_;
};

// Draws text cells with their placeholder and edits them in place: a line field, or a
// text view for texts of several lines. Return and Tab end the edit and hand over to the
// controller, which goes on in the next row.
class MergeTextCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    MergeTextCellDelegate(MergeTableDelegate *controller, MergeTableView *view);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    // The editor open in the table, if any, is committed and closed.
    void commitOpenEditor();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MergeTableDelegate *controller_;
    MergeTableView *view_;
    mutable QPointer<QWidget> openEditor_;
    mutable int openRow_ = -1;
};

// A merge table: knows the cell last clicked (the other platform's clicked row and
// column), starts drags from the pressed row (also from the cells' own widgets), and
// hands drops to the controller with the row and position under the pointer, wherever in
// the row the pointer is: over a cell's widget or an open editor too, which never take a
// drop as text.
class MergeTableView : public QTableView {
    Q_OBJECT
public:
    static constexpr int TypeColumn = 0;
    static constexpr int ValueColumn = 1;

    explicit MergeTableView(MergeTableDelegate *controller, QWidget *parent = nullptr);

    MergeTableModel *mergeModel() const { return model_; }
    MergeTextCellDelegate *textDelegate() const { return delegate_; }
    int clickedRow() const { return clickedRow_; }
    int clickedColumn() const { return clickedColumn_; }
    void setClickedCell(int row, int column);
    // Puts the row on a drag pasteboard and runs the drag.
    void startRowDrag(int row);
    // Sends presses, double-clicks, drags and the end of text edits of a cell widget to
    // the controller as the table's own.
    void watchCellWidget(QWidget *widget, int row);
    // The cell widgets watched so far belong to rows that are about to be rebuilt.
    void retireCellWidgets() { ++cellGeneration_; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool cellWidgetEvent(QWidget *widget, int row, QEvent *event);

    MergeTableDelegate *controller_;
    MergeTableModel *model_;
    MergeTextCellDelegate *delegate_;
    int clickedRow_ = -1;
    int clickedColumn_ = -1;
    int pressedRow_ = -1;
    QPoint pressPosition_;
    bool pressArmed_ = false;
    TableRowDragDrop *rowDragDrop_ = nullptr;
    int cellGeneration_ = 0;
};
