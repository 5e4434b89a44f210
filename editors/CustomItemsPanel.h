#pragma once

#include "model/ContactContainers.h"
#include "platform/ui/Popover.h"
#include "platform/ui/Window.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>

class AddItemViewController;
class CustomItemTableModel;
class HelpViewController;
class QPushButton;
class QTableView;

// The sheet listing a window's custom items (name and icon, type, labels), where the user
// adds items, changes a labeled item's labels and icon, and deletes items, through the
// item editor and help popovers. It works on its own copy of the window's definitions
// and hands the copy back marked: "isNew" (added after the editor's Done), "changed"
// (edited), "deleted". Cancel discards everything.
//
// An opener keeps one panel per window and, for each opening, calls setCustomItems with
// the window's definitions, setIsVCard and setContainerTable, then begins window() as a
// sheet. The sheet ends with 1 when Done follows a change, else 0; with 1 the window
// passes customItems() to applyCustomItems and refreshes its item menus, view types and
// sort options.
class CustomItemPanel : public WindowController, public PopoverDelegate {
    Q_OBJECT
public:
    static inline const QString NameColumn = QStringLiteral("Name");
    static inline const QString TypeColumn = QStringLiteral("Type");
    static inline const QString LabelsColumn = QStringLiteral("Labels");

    // What a cell shows.
    struct Cell {
        QString text;
        QImage image;
    };

    explicit CustomItemPanel(QObject *parent = nullptr);
    ~CustomItemPanel() override;

    // The window's side: applies a returned list to the window's own definitions, in the
    // list's order and by name. An item added and deleted in one opening is dropped; a new
    // item is appended; a deleted one removed; a changed one takes the labels (a labeled
    // item's, when it has any) and the icon. Labels of new and changed labeled items join
    // the item's label vocabulary. Answers whether the window is to be marked edited (a
    // deletion or a change; an addition alone is not).
    static bool applyCustomItems(QList<CustomItemDefinition> &windowItems,
                                 const QList<CustomItemDefinition> &returned);

    // A copy of the window's definitions; Delete disabled and nothing changed yet.
    void setCustomItems(const QList<CustomItemDefinition> &items);
    const QList<CustomItemDefinition> &customItems() const { return customItems_; }
    bool isVCard() const { return isVCard_; }
    void setIsVCard(bool isVCard) { isVCard_ = isVCard; }
    // Kept for the opener's symmetry with the label panel; the panel reads no contact.
    void setContainerTable(std::shared_ptr<ContainerTable> containers) {
        containerTable_ = std::move(containers);
    }
    bool itemsDirty() const { return itemsDirty_; }

    QTableView *tableView();
    QPushButton *helpButton();
    QPushButton *addButton();
    QPushButton *delButton();
    QPushButton *cancelButton();
    QPushButton *doneButton();
    AddItemViewController *addItemViewController() const { return addItemViewController_; }
    HelpViewController *helpViewController() const { return helpViewController_; }
    // The popover shown now, if any.
    Popover *popover() const { return popover_; }

    // Cancel, Done, Add, Delete, Help.
    void buttonPressed(QObject *sender);
    void tableViewDoubleAction(int row);
    // Shows the item editor beside rect of the table view: an item's copy and its row, or
    // none for a new item.
    void showAddItemPopoverInRect(const QRect &rect, QWidget *view,
                                  const std::optional<CustomItemDefinition> &item, int row = -1);
    Cell tableView(const QString &column, int row) const;
    void popoverDidClose(Popover *popover) override;

    void windowDidLoad() override;

protected:
    Window *loadWindow() override;

private:
    Popover *makePopover(PopoverBehavior behavior);
    void releasePopover(Popover *popover);
    void deleteSelectedItems();
    void updateDeleteButton();
    QList<int> selectedRows() const;
    void reloadData();
    void endSheet(int code);

    QList<CustomItemDefinition> customItems_;
    std::shared_ptr<ContainerTable> containerTable_;
    bool itemsDirty_ = false;
    bool isVCard_ = false;

    AddItemViewController *addItemViewController_ = nullptr;
    HelpViewController *helpViewController_ = nullptr;
    QPointer<Popover> popover_;
    CustomItemTableModel *model_ = nullptr;
    QPointer<QTableView> tableView_;
    QPointer<QPushButton> helpButton_;
    QPointer<QPushButton> addButton_;
    QPointer<QPushButton> delButton_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QPushButton> doneButton_;
};
