#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

class FindPanel;
struct FindPanelCell;
class QTableView;

// The results table as the view sees it, answered by the find window.
class FindResultsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    FindResultsTableModel(FindPanel *panel, QTableView *table);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The end of editing a Value cell.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void sort(int column, Qt::SortOrder order) override;

    FindPanel *panel() const { return panel_; }
    // What a cell shows: its text and, in the Value column, the matches.
    FindPanelCell cell(const QModelIndex &index) const;
    // New rows; reloadCell only redraws one.
    void reload();
    void reloadCell(int row, int column);

private:
    FindPanel *panel_;
    QTableView *table_;
};

// Draws the Value cells with their matches marked and edits them in a text field (a
// multi-line one for values of several lines), the whole text selected.
class FindResultsDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    FindResultsDelegate(FindResultsTableModel *model, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    FindResultsTableModel *model_;
};
