#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

class ContactsViewController;

// The rows of the contacts table and its footer row, as the controller holds them. It
// answers from that state only; the controller rebuilds and sorts, then resets the model.
class ContactsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ContactsTableModel(ContactsViewController *controller);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void reset(const std::function<void()> &change);
    void moveColumn(int from, int to);
    bool isFooter(int row) const;

private:
    ContactsViewController *controller_;
};

// Paints the cells from what the controller says each shows: no widget per cell.
class ContactsTableCellPainter : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ContactsTableCellPainter(ContactsViewController *controller);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    ContactsViewController *controller_;
};
