#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

class MultiValueViewController;
class QLineEdit;

// The list editor's table: the model answers from the editor's rows, the delegate makes
// the cells' controls (label and service popups, the country pull-down, the button that
// opens the address editor, a line edit for text), the view drags rows to reorder them.
// Every change goes to the editor, which decides.

class MultiValueTableModel : public QAbstractTableModel {
public:
    explicit MultiValueTableModel(MultiValueViewController *editor);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    void reload();
    void rowChanged(int row);
    void setEditing(bool editing) { editing_ = editing; }

private:
    MultiValueViewController *editor_;
    bool editing_ = false;
};

class MultiValueCellDelegate : public QStyledItemDelegate {
public:
    explicit MultiValueCellDelegate(MultiValueViewController *editor, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    // Ends the text edit in progress, keeping what was typed.
    void commitOpenEditor();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    MultiValueViewController *editor_;
    mutable QPointer<QLineEdit> openEditor_;
    mutable QPersistentModelIndex openIndex_;
};

class MultiValueTableView : public QTableView {
public:
    explicit MultiValueTableView(MultiValueViewController *editor, QWidget *parent = nullptr);

    MultiValueCellDelegate *cellDelegate() const { return delegate_; }
    // Between which rows a drop at a point of the viewport lands: 0 to the row count.
    int dropRowAt(const QPoint &position) const;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool acceptsDrag(QDropEvent *event);

    MultiValueViewController *editor_;
    MultiValueCellDelegate *delegate_;
    int gapRow_ = -1; // where the drop indicator is drawn
};
