#include "contacts_table/GroupViewController.h"

#include "platform/ui/ListRowHeight.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"

#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct RecordingGroupDelegate : GroupViewControllerDelegate {
    QList<SharedGroup> selections;
    QList<std::pair<QString, SharedGroup>> added;
    QList<std::pair<QString, SharedGroup>> renames;
    void groupSelectionDidChange(const SharedGroup &group) override { selections.append(group); }
    void addContactByStringIndexes(const QString &indexes, const SharedGroup &group) override {
        added.append({indexes, group});
    }
    void groupNameWillChange(const QString &name, const SharedGroup &group) override {
        renames.append({name, group});
    }
};

SharedGroup makeGroup(const QString &name, bool top = false, bool deleted = false) {
    auto group = std::make_shared<GroupRecord>();
    group->name = name;
    group->top = top;
    group->deleted = deleted;
    return group;
}

class GroupListTest : public ::testing::Test {
protected:
    void SetUp() override {
        table = std::make_shared<ContainerTable>();
        ContainerRecord container;
        container.name = VCardContainerName;
        container.groups = {allContacts, makeGroup("Gone 1", false, true),
                            family,      makeGroup("Gone 2", false, true),
                            work,        makeGroup("Gone 3", false, true)};
        table->append(container);
        controller.setDelegate(&delegate);
        controller.setContainerTable(table);
        controller.setSelectedGroupDict(allContacts);
        window.setCentralWidget(controller.view());
        window.resize(300, 400);
        window.show();
        controller.updateTable();
    }

    QModelIndex rowOf(const SharedGroup &group) {
        return controller.outlineModel()->indexOfGroup(group.get());
    }
    QPoint centreOf(const SharedGroup &group) {
        return controller.outlineView()->visualRect(rowOf(group)).center();
    }
    void click(const SharedGroup &group) {
        QTest::mouseClick(controller.outlineView()->viewport(), Qt::LeftButton, {}, centreOf(group));
    }
    void doubleClick(const SharedGroup &group) {
        // Presses closer together would make one triple click of two double clicks.
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        click(group);
        QTest::mouseDClick(controller.outlineView()->viewport(), Qt::LeftButton, {}, centreOf(group));
    }
    QLineEdit *editor() { return controller.outlineView()->findChild<QLineEdit *>(); }

    std::unique_ptr<QMimeData> rowsDrag(const QString &indexes, const QWidget *fromWindow) {
        auto pasteboard = Pasteboard::forDragging();
        pasteboard->setSource(fromWindow);
        pasteboard->setString(indexes, PasteboardType::StringIndexes);
        return std::unique_ptr<QMimeData>(pasteboard->takeMimeData());
    }

    SharedGroup allContacts = makeGroup("All Contacts", true);
    SharedGroup family = makeGroup("Family");
    SharedGroup work = makeGroup("Work");
    std::shared_ptr<ContainerTable> table;
    RecordingGroupDelegate delegate;
    GroupViewController controller;
    Window window;
};

TEST_F(GroupListTest, ListsEveryGroupNotMarkedDeletedOnceInArrayOrder) {
    GroupOutlineModel *model = controller.outlineModel();
    ASSERT_EQ(model->rowCount(), 1);
    const QModelIndex container = model->index(0, 0);
    EXPECT_EQ(model->data(container).toString(), "vCard");
    EXPECT_TRUE(model->hasChildren(container));
    ASSERT_EQ(model->rowCount(container), 3);
    QStringList names;
    for (int row = 0; row < 3; ++row)
        names << model->data(model->index(row, 0, container)).toString();
    EXPECT_EQ(names, (QStringList{"All Contacts", "Family", "Work"}));
    EXPECT_FALSE(model->index(3, 0, container).isValid());
    EXPECT_FALSE(model->hasChildren(model->index(1, 0, container)));
    EXPECT_TRUE(controller.outlineView()->isExpanded(container));

    // Deleting a shown group and restoring a hidden one shows on the next refresh.
    family->deleted = true;
    table->first().groups[1]->deleted = false;
    controller.updateTable();
    names.clear();
    for (int row = 0; row < model->rowCount(container); ++row)
        names << model->data(model->index(row, 0, container)).toString();
    EXPECT_EQ(names, (QStringList{"All Contacts", "Gone 1", "Work"}));

    // A second container whose first and last groups are deleted lists only its middle one.
    ContainerRecord second;
    second.name = "Local";
    SharedGroup kept = makeGroup("Kept");
    second.groups = {makeGroup("Gone first", false, true), kept, makeGroup("Gone last", false, true)};
    table->append(second);
    controller.updateTable();
    ASSERT_EQ(model->rowCount(), 2);
    const QModelIndex local = model->index(1, 0);
    ASSERT_EQ(model->rowCount(local), 1);
    EXPECT_EQ(model->groupAt(model->index(0, 0, local)), kept);
    EXPECT_EQ(model->parent(model->index(0, 0, local)), local);
    EXPECT_EQ(rowOf(kept), model->index(0, 0, local));
}

TEST_F(GroupListTest, ClickingAGroupShowsItAndContainersCannotBeSelected) {
    click(work);
    ASSERT_EQ(delegate.selections.size(), 1);
    EXPECT_EQ(delegate.selections.first(), work);
    EXPECT_EQ(controller.selectedGroupDict(), work);

    const QModelIndex container = controller.outlineModel()->index(0, 0);
    QTest::mouseClick(controller.outlineView()->viewport(), Qt::LeftButton, {},
                      controller.outlineView()->visualRect(container).center());
    EXPECT_EQ(delegate.selections.size(), 1);
    EXPECT_FALSE(controller.outlineViewShouldSelectItem(container));
    EXPECT_EQ(controller.selectedGroupDict(), work);
    EXPECT_TRUE(controller.outlineView()->selectionModel()->isSelected(rowOf(work)));

    // Selecting in code (a refresh) reports nothing.
    controller.setSelectedGroupDict(family);
    controller.updateTable();
    EXPECT_TRUE(controller.outlineView()->selectionModel()->isSelected(rowOf(family)));
    EXPECT_EQ(delegate.selections.size(), 1);
}

TEST_F(GroupListTest, RenamingFollowsTheEditStateAndSparesAllContacts) {
    EXPECT_FALSE(controller.outlineViewShouldEditTableColumn(rowOf(family)));
    doubleClick(family);
    EXPECT_EQ(editor(), nullptr);

    controller.windowState()->setEditState(true);
    EXPECT_FALSE(controller.outlineViewShouldEditTableColumn(rowOf(allContacts)));
    EXPECT_FALSE(controller.outlineViewShouldEditTableColumn(controller.outlineModel()->index(0, 0)));
    EXPECT_TRUE(controller.outlineViewShouldEditTableColumn(rowOf(family)));
    doubleClick(allContacts);
    EXPECT_EQ(editor(), nullptr);

    doubleClick(family);
    QLineEdit *field = editor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->selectedText(), "Family");
    const QRect row = controller.outlineView()->visualRect(rowOf(family));
    EXPECT_EQ(field->geometry().top(), row.top() + 1);
    EXPECT_EQ(field->height(), int(controller.rowHeight()) - 2);
    QTest::keyClicks(field, "Relatives");
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.renames.size() == 1; }));
    EXPECT_EQ(delegate.renames.first().first, "Relatives");
    EXPECT_EQ(delegate.renames.first().second, family);
    // The record is renamed by the delegate (with undo), not by the list.
    EXPECT_EQ(family->name, "Family");
}

TEST_F(GroupListTest, EmptyOrUnchangedNamesChangeNothing) {
    controller.windowState()->setEditState(true);
    controller.textFieldCellChanged(family, QString());
    controller.textFieldCellChanged(family, "Family");
    EXPECT_TRUE(delegate.renames.isEmpty());
    controller.textFieldCellChanged(family, "family");
    EXPECT_EQ(delegate.renames.size(), 1);
}

TEST_F(GroupListTest, RenameReportsTheEditedGroupWhenAnotherRowIsPressed) {
    controller.windowState()->setEditState(true);
    click(family);
    doubleClick(family);
    QLineEdit *field = editor();
    ASSERT_NE(field, nullptr);
    field->setText("Kin");
    // The press on Work selects it before the editor commits.
    click(work);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.renames.size() == 1; }));
    EXPECT_EQ(delegate.renames.first().first, "Kin");
    EXPECT_EQ(delegate.renames.first().second, family);
    EXPECT_EQ(delegate.selections.last(), work);
}

TEST_F(GroupListTest, RowsAreAtLeastTwentyPointsAndFollowTheFont) {
    EXPECT_EQ(listRowHeight(12.5, 10), 22);
    EXPECT_EQ(listRowHeight(24.0, 20), 33);
    EXPECT_EQ(listRowHeight(7.2, 6), 20);

    QFont tiny = controller.selectedFont();
    tiny.setPointSizeF(4);
    controller.setSelectedFont(tiny);
    EXPECT_EQ(controller.rowHeight(), 20);
    EXPECT_GE(controller.outlineView()->visualRect(rowOf(work)).height(), 20);

    QFont large = tiny;
    large.setPointSizeF(30);
    controller.setSelectedFont(large);
    EXPECT_GE(controller.rowHeight(), 43); // ceil(30 x 1.42)
    EXPECT_EQ(controller.outlineView()->visualRect(rowOf(work)).height(), int(controller.rowHeight()));
    // A font change keeps the selected group selected.
    EXPECT_TRUE(controller.outlineView()->selectionModel()->isSelected(rowOf(allContacts)));
}

TEST_F(GroupListTest, TableRowsDropOnlyOntoAnotherGroupWhileUnlocked) {
    const auto rows = rowsDrag("0,2", &window);
    const Pasteboard drag(rows.get());
    EXPECT_EQ(controller.outlineViewValidateDrop(drag, rowOf(work), -1), Qt::IgnoreAction); // locked
    controller.windowState()->setEditState(true);
    EXPECT_EQ(controller.outlineViewValidateDrop(drag, rowOf(work), -1), Qt::CopyAction);
    EXPECT_EQ(controller.outlineViewValidateDrop(drag, rowOf(allContacts), -1), Qt::IgnoreAction); // shown
    EXPECT_EQ(controller.outlineViewValidateDrop(drag, controller.outlineModel()->index(0, 0), -1),
              Qt::IgnoreAction); // container
    EXPECT_EQ(controller.outlineViewValidateDrop(drag, QModelIndex(), -1), Qt::IgnoreAction);

    const auto empty = rowsDrag(QString(), &window);
    EXPECT_EQ(controller.outlineViewValidateDrop(Pasteboard(empty.get()), rowOf(work), -1), Qt::IgnoreAction);
    Window other;
    const auto foreign = rowsDrag("0", &other);
    EXPECT_EQ(controller.outlineViewValidateDrop(Pasteboard(foreign.get()), rowOf(work), -1),
              Qt::IgnoreAction);

    EXPECT_FALSE(controller.outlineViewAcceptDrop(drag, rowOf(work), 0));
    EXPECT_TRUE(delegate.added.isEmpty());
    EXPECT_TRUE(controller.outlineViewAcceptDrop(drag, rowOf(work), -1));
    ASSERT_EQ(delegate.added.size(), 1);
    EXPECT_EQ(delegate.added.first().first, "0,2");
    EXPECT_EQ(delegate.added.first().second, work);
    EXPECT_EQ(controller.selectedGroupDict(), work);
    EXPECT_EQ(delegate.selections.last(), work);
    EXPECT_TRUE(controller.outlineView()->selectionModel()->isSelected(rowOf(work)));
}

TEST_F(GroupListTest, ADropEventOnTheViewAddsToTheGroupUnderThePointer) {
    controller.windowState()->setEditState(true);
    const auto rows = rowsDrag("1", &window);
    QWidget *viewport = controller.outlineView()->viewport();
    QDragEnterEvent enter(centreOf(family), Qt::CopyAction, rows.get(), Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(centreOf(family), Qt::CopyAction, rows.get(), Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(QPointF(centreOf(family)), Qt::CopyAction, rows.get(), Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(delegate.added.size(), 1);
    EXPECT_EQ(delegate.added.first().second, family);

    QDragMoveEvent onShown(centreOf(family), Qt::CopyAction, rows.get(), Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &onShown);
    EXPECT_FALSE(onShown.isAccepted());
}

TEST_F(GroupListTest, ComingOnScreenReselectsTheGroupHalfASecondLater) {
    controller.outlineView()->collapseAll();
    controller.outlineView()->clearSelection();
    controller.setSelectedGroupDict(work);
    controller.viewWillAppear();
    QTest::qWait(100);
    EXPECT_FALSE(controller.outlineView()->selectionModel()->isSelected(rowOf(work)));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return controller.outlineView()->selectionModel()->isSelected(rowOf(work)); }));
    EXPECT_TRUE(controller.outlineView()->isExpanded(controller.outlineModel()->index(0, 0)));
    EXPECT_TRUE(delegate.selections.isEmpty());
}

} // namespace
