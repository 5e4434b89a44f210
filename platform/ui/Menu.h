#pragma once

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QVariant>

class Menu;
class Responder;

enum ControlState { StateMixed = -1, StateOff = 0, StateOn = 1 };

// A menu item carrying an action name, a represented object, a state and a tag. When
// triggered (by a click or its key equivalent) the action goes to the first responder
// that handles it, after that responder validated the item.
class MenuItem : public QAction {
    Q_OBJECT
public:
    explicit MenuItem(const QString &title = QString(), const QString &action = QString(),
                      const QKeySequence &keyEquivalent = QKeySequence(), QObject *parent = nullptr);
    ~MenuItem() override;
    static MenuItem *separatorItem();

    // Titles are shown literally ("&" is no mnemonic).
    QString title() const { return title_; }
    void setTitle(const QString &title);
    QString action() const { return action_; }
    void setAction(const QString &action) { action_ = action; }
    QVariant representedObject() const { return representedObject_; }
    void setRepresentedObject(const QVariant &object) { representedObject_ = object; }
    int state() const { return state_; }
    void setState(int state);
    qint64 tag() const { return tag_; }
    void setTag(qint64 tag) { tag_ = tag; }
    // An explicit target bypasses the responder chain.
    Responder *target() const { return target_; }
    void setTarget(Responder *target) { target_ = target; }

    Menu *submenu() const;
    // A submenu without a parent belongs to the item.
    void setSubmenu(Menu *submenu);
    bool hasSubmenu() const { return submenu() != nullptr; }
    // The menu that holds the item (the first one, when it is in several).
    Menu *parentMenu() const;

private:
    void fire();

    QString title_;
    QString action_;
    QVariant representedObject_;
    int state_ = StateOff;
    qint64 tag_ = 0;
    Responder *target_ = nullptr;
    QPointer<Menu> ownedSubmenu_;
};

class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    // Rebuild the items; sent each time before the menu opens.
    virtual void menuNeedsUpdate(Menu *menu) = 0;
};

// A menu whose items are validated through the responder chain each time it opens.
class Menu : public QMenu {
    Q_OBJECT
public:
    explicit Menu(const QString &title = QString(), QWidget *parent = nullptr);

    QString titleText() const { return titleText_; }
    void setTitleText(const QString &title);

    MenuItem *addItem(const QString &title, const QString &action = QString(),
                      const QKeySequence &keyEquivalent = QKeySequence());
    void addItem(MenuItem *item);
    void insertItem(MenuItem *item, int index);
    void removeItem(MenuItem *item);
    void removeItemAtIndex(int index);
    void removeAllItems();

    int numberOfItems() const { return static_cast<int>(itemArray().size()); }
    QList<MenuItem *> itemArray() const;
    MenuItem *itemAtIndex(int index) const;
    MenuItem *itemWithTitle(const QString &title) const;
    MenuItem *itemWithTag(qint64 tag) const;
    int indexOfItem(const MenuItem *item) const;
    int indexOfItemWithRepresentedObject(const QVariant &object) const;

    MenuDelegate *delegate() const { return delegate_; }
    void setDelegate(MenuDelegate *delegate) { delegate_ = delegate; }
    bool autoenablesItems() const { return autoenables_; }
    void setAutoenablesItems(bool on) { autoenables_ = on; }

    // The item whose submenu this menu is, if any.
    MenuItem *supermenuItem() const { return parentItem_; }
    // The widget whose window's responder chain receives the items' actions.
    QWidget *ownerWidget() const;
    void setOwnerWidget(QWidget *widget) { owner_ = widget; }
    bool isContextMenu() const;

    // Asks the delegate for new items, then validates every item (what opening does).
    void update();
    // A context menu at a global position, its actions routed from owner.
    void popUpContextMenu(const QPoint &globalPosition, QWidget *owner);

private:
    void validateItems();
    void restoreShortcutItems();

    QString titleText_;
    MenuDelegate *delegate_ = nullptr;
    QPointer<QWidget> owner_;
    bool autoenables_ = true;
    bool contextMenu_ = false;
    QPointer<MenuItem> parentItem_;
    friend class MenuItem;
};

// A pull-down button: item 0 of its menu is the button's title and is not listed.
class PullDownButton : public QToolButton {
    Q_OBJECT
public:
    explicit PullDownButton(QWidget *parent = nullptr);
    Menu *pullDownMenu() const { return menu_; }
    // A menu without a parent belongs to the button.
    void setPullDownMenu(Menu *menu);
    // Refreshes the title from item 0.
    void synchronizeTitle();

private:
    QPointer<Menu> menu_;
};

// A pop-up button: a closed menu showing the chosen item. Its choice changes only when the
// user picks an item, by a click or from the keyboard while it has the focus. The wheel
// goes on to what lies under it, so a panel or table full of them scrolls over them
// instead of changing a contact's labels on the way; nor does the wheel give it the focus.
class PopUpButton : public QComboBox {
    Q_OBJECT
public:
    explicit PopUpButton(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};
