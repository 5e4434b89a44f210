#pragma once

#include "model/PersonRecords.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

class Pasteboard;
class PullDownButton;
class QLineEdit;

// One column of the list editor's table.
struct MultiValueColumn {
    enum Kind { Text, LabelPopup, ServicePopup, CountryPopup, EditButton };
    QString identifier;
    int width = 0;
    QString header;
    QString sortKey; // empty: the column does not sort
    Kind kind = Text;
};

// What the table asks of the list editor that owns it.
class MultiValueTableSource {
public:
    enum class DropOperation { On, Above };
    enum class Command { InsertTab, InsertNewline };

    virtual int numberOfRows() const = 0;
    virtual const LabeledValueRecord &record(int row) const = 0;
    virtual const QList<MultiValueColumn> &columns() const = 0;
    virtual bool isEditingList() const = 0;
    virtual QString cellText(int row, int column) const = 0;
    virtual void textFieldCellChanged(int row, int column, const QString &text) = 0;
    virtual void popupButtonCellChanged(int row, int column, int index) = 0;
    virtual void checkboxCellChanged(int row) = 0;
    virtual QStringList popupTitles(int column) const = 0;
    virtual int popupSelection(int row, int column) const = 0;
    virtual void initCountryPopup(PullDownButton *popup, const QString &countryCode, int row) = 0;
    virtual bool doCommandBySelector(const QModelIndex &from, Command command) = 0;
    virtual bool writeRowsWithIndexes(const QList<int> &rows, Pasteboard &pasteboard) = 0;
    virtual Qt::DropAction validateDrop(bool fromThisTable, int row, DropOperation operation) const = 0;
    virtual bool acceptDrop(int row, DropOperation operation) = 0;

protected:
    ~MultiValueTableSource() = default;
};

// The list editor's table: the model answers from the editor's rows, the delegate makes
// the cells' controls (label and service popups, the country pull-down, the button that
// opens the address editor, a line edit for text), the view drags rows to reorder them.
// Every change goes to the editor, which decides.

class MultiValueTableModel : public QAbstractTableModel {
public:
    MultiValueTableModel(MultiValueTableSource *editor, QObject *parent);

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
    MultiValueTableSource *editor_;
    bool editing_ = false;
};

class MultiValueCellDelegate : public QStyledItemDelegate {
public:
    explicit MultiValueCellDelegate(MultiValueTableSource *editor, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    // Ends the text edit in progress, keeping what was typed.
    void commitOpenEditor();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    MultiValueTableSource *editor_;
    mutable QPointer<QLineEdit> openEditor_;
    mutable QPersistentModelIndex openIndex_;
};

class MultiValueTableView : public QTableView {
public:
    explicit MultiValueTableView(MultiValueTableSource *editor, QWidget *parent = nullptr);

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

    MultiValueTableSource *editor_;
    MultiValueCellDelegate *delegate_;
    int gapRow_ = -1; // where the drop indicator is drawn
};
