#include "contacts_table/ContactsTableModel.h"

#include "contacts_table/ContactsViewController.h"

#include <QApplication>
#include <QPainter>
#include <QTableView>

ContactsTableModel::ContactsTableModel(ContactsViewController *controller)
    : QAbstractTableModel(controller)
    , controller_(controller) {}

int ContactsTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : controller_->numberOfRowsInTableView();
}

int ContactsTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(controller_->tableColumns().size());
}

bool ContactsTableModel::isFooter(int row) const {
    return row == int(controller_->subContactTable().size());
}

QVariant ContactsTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    if (isFooter(index.row()))
        return index.column() == 0 ? QVariant(controller_->footerText()) : QVariant();
    const QString identifier = controller_->tableColumns().value(index.column()).identifier;
    return controller_->viewForTableColumn(identifier, index.row()).text;
}

QVariant ContactsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole ||
        section >= controller_->tableColumns().size())
        return {};
    return controller_->tableColumns()[section].title;
}

Qt::ItemFlags ContactsTableModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The footer is disabled too, so the keyboard never moves onto it.
    if (!controller_->shouldSelectRow(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ContactsTableModel::reset(const std::function<void()> &change) {
    beginResetModel();
    change();
    endResetModel();
}

void ContactsTableModel::moveColumn(int from, int to) {
    beginMoveColumns({}, from, from, {}, to > from ? to + 1 : to);
    auto &columns = controller_->columns_;
    columns.move(from, to);
    endMoveColumns();
}

ContactsTableCellPainter::ContactsTableCellPainter(ContactsViewController *controller)
    : QStyledItemDelegate(controller)
    , controller_(controller) {}

QSize ContactsTableCellPainter::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const {
    return {int(controller_->tableColumns().value(index.column()).width),
            controller_->heightOfRow(index.row())};
}

void ContactsTableCellPainter::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const {
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    QStyleOptionViewItem panel(option);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor textColor = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const int row = index.row();
    const int lineHeight = int(controller_->rowHeight());
    if (static_cast<const ContactsTableModel *>(index.model())->isFooter(row)) {
        painter->save();
        painter->fillRect(option.rect, option.palette.color(QPalette::AlternateBase));
        painter->setFont(controller_->selectedFont());
        painter->setPen(option.palette.color(QPalette::PlaceholderText));
        painter->drawText(option.rect.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          controller_->footerText());
        painter->restore();
        return;
    }
    const QString identifier = controller_->tableColumns().value(index.column()).identifier;
    const ContactsTableCell cell = controller_->viewForTableColumn(identifier, row);
    QRect rect = option.rect.adjusted(2, 0, -2, 0);
    switch (cell.kind) {
    case ContactsTableCell::None:
        return;
    case ContactsTableCell::PopupAndText:
        PopupAndTextCell::paint(painter, option.rect, cell.popup->content(), option.palette, selected);
        return;
    case ContactsTableCell::ImageAndText:
    case ContactsTableCell::DetailCell:
        if (!cell.image.isNull()) {
            const int side = lineHeight - 4;
            painter->drawImage(QRect(rect.left(), rect.top() + 2, side, side), cell.image);
            rect.setLeft(rect.left() + side + 4);
        }
        if (cell.kind == ContactsTableCell::DetailCell) {
            QRect second = rect;
            second.setTop(rect.top() + lineHeight);
            paintHighlightedText(painter, second, cell.detailText, controller_->selectedFont(), {},
                                 textColor);
            rect.setHeight(lineHeight);
        }
        break;
    case ContactsTableCell::TextCell:
        break;
    }
    paintHighlightedText(painter, rect, cell.text, cell.font, cell.highlights, textColor);
}
