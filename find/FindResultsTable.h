#pragma once

#include "editors/FindHighlight.h"
#include "find/FindResultRow.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>

class QTableView;

// What a cell of the results table shows.
struct FindPanelCell {
    QString text;
    TextHighlights highlights; // the Value cell's matches
};

// What the results table asks of the find window that owns it.
class FindResultsSource {
public:
    // Results columns, in table order.
    static inline const QStringList ColumnIdentifiers = {QStringLiteral("Name"), QStringLiteral("Item"),
                                                         QStringLiteral("SubItem"), QStringLiteral("Label"),
                                                         QStringLiteral("Value")};
    static constexpr int ValueColumn = 4;
    static constexpr double LineHeight = 24.0;

    virtual const FindResultRows &searchResults() const = 0;
    virtual int numberOfRowsInTableView(QTableView *table) const = 0;
    virtual FindPanelCell tableView(QTableView *table, const QString &column, int row) const = 0;
    virtual void tableViewSortDescriptorsDidChange(QTableView *table, int column, bool ascending) = 0;
    virtual void textFieldCellChanged(int row, const QString &text) = 0;

protected:
    ~FindResultsSource() = default;
};

// The results table as the view sees it, answered by the find window.
class FindResultsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    FindResultsTableModel(FindResultsSource *panel, QTableView *table);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The end of editing a Value cell.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void sort(int column, Qt::SortOrder order) override;

    FindResultsSource *panel() const { return panel_; }
    // What a cell shows: its text and, in the Value column, the matches.
    FindPanelCell cell(const QModelIndex &index) const;
    // New rows; reloadCell only redraws one.
    void reload();
    void reloadCell(int row, int column);

private:
    FindResultsSource *panel_;
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
