#pragma once

#include "model/ContactContainers.h"
#include "platform/ui/ViewController.h"
#include "state/WindowState.h"

#include <QAbstractItemModel>
#include <QFont>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>

class Pasteboard;
class GroupViewController;

// What the group list reports to the window's main view controller.
class GroupViewControllerDelegate {
public:
    virtual ~GroupViewControllerDelegate() = default;
    virtual void groupSelectionDidChange(const SharedGroup &group) = 0;
    // The "QM1PstringIndexes" text of rows dropped onto a group.
    virtual void addContactByStringIndexes(const QString &stringIndexes, const SharedGroup &group) = 0;
    // Rows of another window's table, which arrive as their vCard text.
    virtual void addContactByVCardString(const QString &vCardString, const SharedGroup &group) {
        Q_UNUSED(vCardString)
        Q_UNUSED(group)
    }
    // The group whose name was edited: a press on another row moves the selection before
    // the editor commits, so it need not be the selected group.
    virtual void groupNameWillChange(const QString &name, const SharedGroup &group) = 0;
};

// The outline's items are the document's records: a container at the top level, below it
// its groups that are not marked deleted, in array order. Indexes carry the container's
// position (groups) or nothing (containers), so no pointer outlives a reload.
class GroupOutlineModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit GroupOutlineModel(GroupViewController *controller);

    void setContainerTable(std::shared_ptr<ContainerTable> table);
    void reloadData();

    bool isContainer(const QModelIndex &index) const;
    SharedGroup groupAt(const QModelIndex &index) const;
    QModelIndex indexOfGroup(const GroupRecord *group) const;
    QModelIndex indexOfContainer(int container) const;
    // The groups of a container that the outline lists.
    static QList<SharedGroup> visibleGroups(const ContainerRecord &container);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    static constexpr quintptr containerId = 0;
    GroupViewController *controller_;
    std::shared_ptr<ContainerTable> table_;
};

// The outline's row view: the window background under a standard row, the text field
// centred in the row.
class GroupRowView : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GroupRowView(GroupViewController *controller);
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    GroupViewController *controller_;
};

// The tree view, passing drags to the controller's validation and acceptance.
class GroupOutlineView : public QTreeView {
    Q_OBJECT
public:
    explicit GroupOutlineView(GroupViewController *controller);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    GroupViewController *controller_;
};

// The left pane of a document window: the document's containers and their groups.
// Selecting a group shows it, a group other than the all-contacts group is renamed in
// place while the window is unlocked, and table rows dropped onto a group are added to it.
// Groups of a system contact store never reach a file document and are not listed here.
class GroupViewController : public ViewController {
    Q_OBJECT
public:
    static inline const QString GroupsColumn = QStringLiteral("Groups");

    explicit GroupViewController(QObject *parent = nullptr);
    ~GroupViewController() override;

    GroupViewControllerDelegate *delegate() const { return delegate_; }
    void setDelegate(GroupViewControllerDelegate *delegate) { delegate_ = delegate; }
    GroupOutlineView *outlineView();
    GroupOutlineModel *outlineModel() const { return model_; }

    std::shared_ptr<ContainerTable> containerTable() const { return containerTable_; }
    void setContainerTable(std::shared_ptr<ContainerTable> table);
    SharedGroup selectedGroupDict() const { return selectedGroupDict_; }
    void setSelectedGroupDict(SharedGroup group) { selectedGroupDict_ = std::move(group); }
    // The window's state the list follows (its own, locked, until the window gives one).
    WindowState *windowState() const { return windowState_; }
    void setWindowState(WindowState *state);
    bool editState() const;
    QFont selectedFont() const { return selectedFont_; }
    void setSelectedFont(const QFont &font);
    double rowHeight() const { return rowHeight_; }

    // Refreshes the outline, keeping the selected group selected and in view.
    void updateTable();

    // The outline's data source and delegate operations.
    bool outlineViewShouldSelectItem(const QModelIndex &item);
    bool outlineViewShouldEditTableColumn(const QModelIndex &item) const;
    Qt::DropAction outlineViewValidateDrop(const Pasteboard &pasteboard, const QModelIndex &proposedItem,
                                           int proposedChildIndex) const;
    bool outlineViewAcceptDrop(const Pasteboard &pasteboard, const QModelIndex &item, int childIndex);
    // Starts renaming the row double-clicked (or, with no click, the row being edited).
    void outlineViewDoubleAction(const QModelIndex &clicked);
    // The end of an in-place edit of a group's name.
    void textFieldCellChanged(const SharedGroup &group, const QString &text);

    void viewDidLoad() override;
    void viewWillAppear() override;

protected:
    QWidget *loadView() override;

private:
    void selectGroupRow(bool scroll);
    void expandAll();

    GroupViewControllerDelegate *delegate_ = nullptr;
    GroupOutlineModel *model_ = nullptr;
    QPointer<GroupOutlineView> outlineView_;
    std::shared_ptr<ContainerTable> containerTable_;
    SharedGroup selectedGroupDict_;
    QPointer<WindowState> windowState_;
    QMetaObject::Connection fontConnection_;
    QFont selectedFont_;
    double rowHeight_ = 20.0;
    bool selectingInCode_ = false;
};
