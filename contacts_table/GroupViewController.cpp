#include "contacts_table/GroupViewController.h"

#include "platform/core/Dispatch.h"
#include "platform/ui/ListRowHeight.h"
#include "platform/ui/Pasteboard.h"
#include "state/WindowState.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>

namespace {
const QString AllContactsName = QStringLiteral("All Contacts");
constexpr int delayedReloadMilliseconds = 500;
} // namespace

// ---- GroupOutlineModel

GroupOutlineModel::GroupOutlineModel(GroupViewController *controller)
    : QAbstractItemModel(controller)
    , controller_(controller) {}

void GroupOutlineModel::setContainerTable(std::shared_ptr<ContainerTable> table) {
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

void GroupOutlineModel::reloadData() {
    beginResetModel();
    endResetModel();
}

QList<SharedGroup> GroupOutlineModel::visibleGroups(const ContainerRecord &container) {
    QList<SharedGroup> groups;
    for (const SharedGroup &group : container.groups) {
        if (group && !group->deleted)
            groups.append(group);
    }
    return groups;
}

bool GroupOutlineModel::isContainer(const QModelIndex &index) const {
    return index.isValid() && index.internalId() == containerId;
}

SharedGroup GroupOutlineModel::groupAt(const QModelIndex &index) const {
    if (!table_ || !index.isValid() || isContainer(index))
        return nullptr;
    const qsizetype container = qsizetype(index.internalId()) - 1;
    if (container >= table_->size())
        return nullptr;
    const QList<SharedGroup> groups = visibleGroups(table_->at(container));
    return index.row() < groups.size() ? groups.at(index.row()) : nullptr;
}

QModelIndex GroupOutlineModel::indexOfContainer(int container) const {
    if (!table_ || container < 0 || container >= table_->size())
        return {};
    return createIndex(container, 0, containerId);
}

QModelIndex GroupOutlineModel::indexOfGroup(const GroupRecord *group) const {
    if (!table_ || !group)
        return {};
    for (qsizetype c = 0; c < table_->size(); ++c) {
        const QList<SharedGroup> groups = visibleGroups(table_->at(c));
        for (qsizetype row = 0; row < groups.size(); ++row) {
            if (groups.at(row).get() == group)
                return createIndex(int(row), 0, quintptr(c + 1));
        }
    }
    return {};
}

QModelIndex GroupOutlineModel::index(int row, int column, const QModelIndex &parent) const {
    if (!table_ || column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < table_->size() ? createIndex(row, 0, containerId) : QModelIndex();
    if (!isContainer(parent))
        return {};
    if (row >= visibleGroups(table_->at(parent.row())).size())
        return {};
    return createIndex(row, 0, quintptr(parent.row() + 1));
}

QModelIndex GroupOutlineModel::parent(const QModelIndex &child) const {
    if (!child.isValid() || isContainer(child))
        return {};
    return createIndex(int(child.internalId() - 1), 0, containerId);
}

int GroupOutlineModel::rowCount(const QModelIndex &parent) const {
    if (!table_)
        return 0;
    if (!parent.isValid())
        return int(table_->size());
    if (isContainer(parent) && parent.row() < table_->size())
        return int(visibleGroups(table_->at(parent.row())).size());
    return 0;
}

int GroupOutlineModel::columnCount(const QModelIndex &) const {
    return 1;
}

bool GroupOutlineModel::hasChildren(const QModelIndex &parent) const {
    return !parent.isValid() ? rowCount() > 0 : isContainer(parent);
}

QVariant GroupOutlineModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (isContainer(index))
        return table_ && index.row() < table_->size() ? table_->at(index.row()).name : QString();
    const SharedGroup group = groupAt(index);
    return group ? group->name : QVariant();
}

bool GroupOutlineModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::EditRole)
        return false;
    const SharedGroup group = groupAt(index);
    if (!group)
        return false;
    // The delegate renames with undo; the record changes there, not here.
    controller_->textFieldCellChanged(group, value.toString());
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags GroupOutlineModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isContainer(index))
        return Qt::ItemIsEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (controller_->outlineViewShouldEditTableColumn(index))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant GroupOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return GroupViewController::GroupsColumn;
    return {};
}

// ---- GroupRowView

GroupRowView::GroupRowView(GroupViewController *controller)
    : QStyledItemDelegate(controller)
    , controller_(controller) {}

void GroupRowView::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const {
    painter->fillRect(option.rect, option.palette.window());
    QStyleOptionViewItem textOption(option);
    textOption.font = controller_->selectedFont();
    QStyledItemDelegate::paint(painter, textOption, index);
}

QSize GroupRowView::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(int(controller_->rowHeight()));
    return size;
}

void GroupRowView::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &) const {
    const int height = int(controller_->rowHeight()) - 2;
    editor->setFont(controller_->selectedFont());
    editor->setGeometry(option.rect.x(), option.rect.y() + 1, option.rect.width(), height);
}

// ---- GroupOutlineView

GroupOutlineView::GroupOutlineView(GroupViewController *controller)
    : controller_(controller) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

QItemSelectionModel::SelectionFlags GroupOutlineView::selectionCommand(const QModelIndex &index,
                                                                       const QEvent *event) const {
    // A press on a row that can't be selected (a container) keeps the selection.
    if (index.isValid() && !(index.flags() & Qt::ItemIsSelectable))
        return QItemSelectionModel::NoUpdate;
    return QTreeView::selectionCommand(index, event);
}

void GroupOutlineView::dragEnterEvent(QDragEnterEvent *event) {
    // Whether the drop is taken depends on the row under the pointer.
    event->acceptProposedAction();
}

void GroupOutlineView::dragMoveEvent(QDragMoveEvent *event) {
    const Pasteboard pasteboard(event->mimeData());
    const QModelIndex item = indexAt(event->position().toPoint());
    const Qt::DropAction action = controller_->outlineViewValidateDrop(pasteboard, item, -1);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept(visualRect(item));
}

void GroupOutlineView::dropEvent(QDropEvent *event) {
    const Pasteboard pasteboard(event->mimeData());
    const QModelIndex item = indexAt(event->position().toPoint());
    if (controller_->outlineViewValidateDrop(pasteboard, item, -1) != Qt::IgnoreAction &&
        controller_->outlineViewAcceptDrop(pasteboard, item, -1)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->ignore();
}

// ---- GroupViewController

GroupViewController::GroupViewController(QObject *parent)
    : ViewController(parent)
    , model_(new GroupOutlineModel(this)) {
    auto *own = new WindowState(this);
    own->setEditState(false);
    setWindowState(own);
}

void GroupViewController::setWindowState(WindowState *state) {
    disconnect(fontConnection_);
    windowState_ = state;
    fontConnection_ = connect(state, &WindowState::selectedFontChanged, this, &GroupViewController::setSelectedFont);
}

bool GroupViewController::editState() const {
    return windowState_->editState();
}

GroupViewController::~GroupViewController() = default;

GroupOutlineView *GroupViewController::outlineView() {
    view();
    return outlineView_;
}

QWidget *GroupViewController::loadView() {
    outlineView_ = new GroupOutlineView(this);
    outlineView_->setObjectName(GroupsColumn);
    outlineView_->setModel(model_);
    outlineView_->setItemDelegate(new GroupRowView(this));
    outlineView_->setHeaderHidden(true);
    outlineView_->setUniformRowHeights(true);
    outlineView_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Renaming starts only through the double action, which checks the edit state.
    outlineView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(outlineView_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { outlineViewDoubleAction(index); });
    connect(outlineView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected) {
                if (selectingInCode_ || selected.indexes().isEmpty())
                    return;
                outlineViewShouldSelectItem(selected.indexes().first());
            });
    return outlineView_;
}

void GroupViewController::viewDidLoad() {
    QFont font = QApplication::font();
    font.setPointSizeF(12);
    setSelectedFont(font);
}

void GroupViewController::setContainerTable(std::shared_ptr<ContainerTable> table) {
    containerTable_ = table;
    model_->setContainerTable(std::move(table));
}

void GroupViewController::setSelectedFont(const QFont &font) {
    selectedFont_ = font;
    rowHeight_ = listRowHeight(font);
    if (!containerTable_ || containerTable_->isEmpty() || !outlineView_)
        return;
    outlineView_->setFont(font);
    model_->reloadData();
    expandAll();
    selectGroupRow(false);
}

void GroupViewController::updateTable() {
    if (!containerTable_ || containerTable_->isEmpty() || !outlineView_)
        return;
    model_->reloadData();
    expandAll();
    selectGroupRow(true);
}

void GroupViewController::viewWillAppear() {
    if (!containerTable_ || containerTable_->isEmpty())
        return;
    Dispatch::after(
        delayedReloadMilliseconds,
        [this] {
            if (!outlineView_)
                return;
            model_->reloadData();
            if (!selectedGroupDict_)
                return;
            expandAll();
            selectGroupRow(true);
        },
        this);
}

void GroupViewController::expandAll() {
    outlineView_->expandAll();
}

void GroupViewController::selectGroupRow(bool scroll) {
    const QModelIndex row = model_->indexOfGroup(selectedGroupDict_.get());
    if (!row.isValid())
        return;
    selectingInCode_ = true;
    outlineView_->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
    selectingInCode_ = false;
    if (scroll)
        outlineView_->scrollTo(row);
}

bool GroupViewController::outlineViewShouldSelectItem(const QModelIndex &item) {
    const SharedGroup group = model_->groupAt(item);
    if (!group)
        return false;
    selectedGroupDict_ = group;
    if (delegate_)
        delegate_->groupSelectionDidChange(group);
    return true;
}

bool GroupViewController::outlineViewShouldEditTableColumn(const QModelIndex &item) const {
    const SharedGroup group = model_->groupAt(item);
    return editState() && group && !group->top && group->name != AllContactsName;
}

void GroupViewController::outlineViewDoubleAction(const QModelIndex &clicked) {
    const QModelIndex row = clicked.isValid() ? clicked : outlineView()->currentIndex();
    if (!row.isValid() || !editState() || !outlineViewShouldEditTableColumn(row))
        return;
    outlineView_->edit(row.siblingAtColumn(0));
}

void GroupViewController::textFieldCellChanged(const SharedGroup &group, const QString &text) {
    if (!group || text.isEmpty() || text == group->name)
        return;
    if (delegate_)
        delegate_->groupNameWillChange(text, group);
}

Qt::DropAction GroupViewController::outlineViewValidateDrop(const Pasteboard &pasteboard,
                                                            const QModelIndex &proposedItem,
                                                            int proposedChildIndex) const {
    Q_UNUSED(proposedChildIndex)
    if (!editState())
        return Qt::IgnoreAction;
    // Row numbers name rows of this window's table; another window's rows come as vCard text.
    if (pasteboard.stringForType(PasteboardType::StringIndexes).isEmpty() ||
        (!pasteboard.isFromWindow(outlineView_ ? outlineView_->window() : nullptr) &&
         pasteboard.stringForType(PasteboardType::VCard).isEmpty()))
        return Qt::IgnoreAction;
    const SharedGroup group = model_->groupAt(proposedItem);
    if (!group || group == selectedGroupDict_)
        return Qt::IgnoreAction;
    return Qt::CopyAction;
}

bool GroupViewController::outlineViewAcceptDrop(const Pasteboard &pasteboard, const QModelIndex &item,
                                                int childIndex) {
    const SharedGroup group = model_->groupAt(item);
    if (childIndex != -1 || !delegate_ || !group)
        return false;
    if (pasteboard.isFromWindow(outlineView_ ? outlineView_->window() : nullptr))
        delegate_->addContactByStringIndexes(pasteboard.stringForType(PasteboardType::StringIndexes), group);
    else
        delegate_->addContactByVCardString(pasteboard.stringForType(PasteboardType::VCard), group);
    selectedGroupDict_ = group;
    selectGroupRow(true);
    delegate_->groupSelectionDidChange(group);
    return true;
}
