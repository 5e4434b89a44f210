#include "platform/ui/Menu.h"

#include "platform/ui/Responder.h"

#include <QWheelEvent>

namespace {

QString escapedForMenu(QString title) {
    return title.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

bool validateItem(MenuItem *item, QWidget *start) {
    if (item->isSeparator())
        return true;
    if (item->hasSubmenu())
        return true;
    if (item->action().isEmpty())
        return false;
    Responder *target =
        item->target() ? item->target() : ActionRouter::targetForAction(item->action(), start);
    return target && target->validateMenuItem(item);
}

} // namespace

MenuItem::MenuItem(const QString &title, const QString &action, const QKeySequence &keyEquivalent,
                   QObject *parent)
    : QAction(parent)
    , action_(action) {
    setTitle(title);
    if (!keyEquivalent.isEmpty())
        setShortcut(keyEquivalent);
    connect(this, &QAction::triggered, this, &MenuItem::fire);
}

MenuItem::~MenuItem() {
    delete ownedSubmenu_.data();
}

MenuItem *MenuItem::separatorItem() {
    auto *item = new MenuItem;
    item->setSeparator(true);
    return item;
}

void MenuItem::setTitle(const QString &title) {
    title_ = title;
    setText(escapedForMenu(title));
}

void MenuItem::setState(int state) {
    state_ = state;
    setCheckable(true);
    setChecked(state == StateOn);
}

Menu *MenuItem::submenu() const {
    return qobject_cast<Menu *>(menu());
}

void MenuItem::setSubmenu(Menu *submenu) {
    if (ownedSubmenu_ && ownedSubmenu_ != submenu)
        delete ownedSubmenu_.data();
    if (submenu && !submenu->parent())
        ownedSubmenu_ = submenu;
    if (submenu)
        submenu->parentItem_ = this;
    setMenu(submenu);
    if (submenu && submenu->titleText().isEmpty())
        submenu->setTitleText(title_);
}

Menu *MenuItem::parentMenu() const {
    for (QObject *object : associatedObjects())
        if (auto *menu = qobject_cast<Menu *>(object))
            return menu;
    return nullptr;
}

void MenuItem::fire() {
    if (action_.isEmpty())
        return;
    // A checkable QAction toggles itself; the state belongs to whoever validates.
    if (isCheckable())
        setChecked(state_ == StateOn);
    QWidget *start = ActionRouter::startWidgetFor(this);
    if (!validateItem(this, start))
        return;
    if (target_)
        target_->performAction(action_, this);
    else
        ActionRouter::sendAction(action_, this, start);
}

Menu::Menu(const QString &title, QWidget *parent)
    : QMenu(parent) {
    setTitleText(title);
    connect(this, &QMenu::aboutToShow, this, &Menu::update);
    connect(this, &QMenu::aboutToHide, this, &Menu::restoreShortcutItems);
}

void Menu::setTitleText(const QString &title) {
    titleText_ = title;
    setTitle(escapedForMenu(title));
}

MenuItem *Menu::addItem(const QString &title, const QString &action, const QKeySequence &keyEquivalent) {
    auto *item = new MenuItem(title, action, keyEquivalent, this);
    addAction(item);
    return item;
}

void Menu::addItem(MenuItem *item) {
    if (!item->parent())
        item->setParent(this);
    addAction(item);
}

void Menu::insertItem(MenuItem *item, int index) {
    if (!item->parent())
        item->setParent(this);
    const QList<MenuItem *> items = itemArray();
    if (index >= 0 && index < items.size())
        insertAction(items.at(index), item);
    else
        addAction(item);
}

void Menu::removeItem(MenuItem *item) {
    removeAction(item);
    if (item->parent() == this)
        item->deleteLater();
}

void Menu::removeItemAtIndex(int index) {
    if (MenuItem *item = itemAtIndex(index))
        removeItem(item);
}

void Menu::removeAllItems() {
    for (MenuItem *item : itemArray())
        removeItem(item);
}

QList<MenuItem *> Menu::itemArray() const {
    QList<MenuItem *> items;
    for (QAction *action : actions())
        if (auto *item = qobject_cast<MenuItem *>(action))
            items.append(item);
    return items;
}

MenuItem *Menu::itemAtIndex(int index) const {
    const QList<MenuItem *> items = itemArray();
    return index >= 0 && index < items.size() ? items.at(index) : nullptr;
}

MenuItem *Menu::itemWithTitle(const QString &title) const {
    for (MenuItem *item : itemArray())
        if (item->title() == title)
            return item;
    return nullptr;
}

MenuItem *Menu::itemWithTag(qint64 tag) const {
    for (MenuItem *item : itemArray())
        if (item->tag() == tag)
            return item;
    return nullptr;
}

int Menu::indexOfItem(const MenuItem *item) const {
    return static_cast<int>(itemArray().indexOf(const_cast<MenuItem *>(item)));
}

int Menu::indexOfItemWithRepresentedObject(const QVariant &object) const {
    const QList<MenuItem *> items = itemArray();
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i)->representedObject() == object)
            return i;
    return -1;
}

QWidget *Menu::ownerWidget() const {
    if (owner_)
        return owner_;
    // A submenu belongs to the owner of the menu (or menu bar) holding its item.
    if (parentItem_)
        for (QObject *object : parentItem_->associatedObjects()) {
            if (auto *menu = qobject_cast<Menu *>(object); menu && menu != this)
                return menu->ownerWidget();
            if (auto *widget = qobject_cast<QWidget *>(object); widget && !qobject_cast<QMenu *>(widget))
                return widget->window();
        }
    return parentWidget();
}

bool Menu::isContextMenu() const {
    if (contextMenu_)
        return true;
    Menu *holder = parentItem_ ? parentItem_->parentMenu() : nullptr;
    return holder && holder != this && holder->isContextMenu();
}

void Menu::update() {
    if (delegate_)
        delegate_->menuNeedsUpdate(this);
    if (autoenables_)
        validateItems();
}

void Menu::validateItems() {
    QWidget *start = ActionRouter::startWidgetForOwner(ownerWidget(), isContextMenu());
    for (MenuItem *item : itemArray())
        item->setEnabled(validateItem(item, start));
}

void Menu::restoreShortcutItems() {
    // Key equivalents are validated when they fire; a disabled QAction would never fire.
    if (!autoenables_)
        return;
    for (MenuItem *item : itemArray())
        if (!item->shortcut().isEmpty() && !item->action().isEmpty())
            item->setEnabled(true);
}

void Menu::popUpContextMenu(const QPoint &globalPosition, QWidget *owner) {
    setOwnerWidget(owner);
    contextMenu_ = true;
    popup(globalPosition);
}

PullDownButton::PullDownButton(QWidget *parent)
    : QToolButton(parent) {
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void PullDownButton::setPullDownMenu(Menu *menu) {
    menu_ = menu;
    if (menu && !menu->parent())
        menu->setParent(this, menu->windowFlags());
    setMenu(menu);
    if (menu && !menu->ownerWidget())
        menu->setOwnerWidget(this);
    if (menu)
        connect(menu, &QMenu::aboutToShow, this, &PullDownButton::synchronizeTitle);
    synchronizeTitle();
}

void PullDownButton::synchronizeTitle() {
    MenuItem *titleItem = menu_ ? menu_->itemAtIndex(0) : nullptr;
    if (!titleItem)
        return;
    titleItem->setVisible(false);
    setText(titleItem->text());
    if (!titleItem->icon().isNull())
        setIcon(titleItem->icon());
}

PopUpButton::PopUpButton(QWidget *parent)
    : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void PopUpButton::wheelEvent(QWheelEvent *event) {
    event->ignore();
}
