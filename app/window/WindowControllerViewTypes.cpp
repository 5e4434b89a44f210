// The window's view type, Items, Labels and sort options menus, and the view types they keep.
#include "app/window/WindowController.h"

#include "app/window/ViewController.h"
#include "platform/core/Localization.h"

namespace tessarin {

namespace {

const QString AllLabels = QStringLiteral("All");

// The column identifiers the Items menu offers, in its order.
const QStringList &itemIdentifiers() {
    static const QStringList identifiers = {
        FieldId::Email,         FieldId::Phone,        FieldId::Address,      FieldId::InstantMessage,
        FieldId::SocialNetwork, FieldId::URL,          FieldId::PhoneticName, FieldId::Nickname,
        FieldId::Birthday,      FieldId::Relationship, FieldId::Suffix,       FieldId::Title,
        FieldId::Company,       FieldId::Department,   FieldId::JobTitle,     FieldId::Dates,
        FieldId::Note,          FieldId::ZIP,          FieldId::State,        FieldId::City,
        FieldId::Street,        FieldId::Country};
    return identifiers;
}

} // namespace

// ---- View types, items and labels

void WindowController::initViewTypeMenu() {
    Menu *menu = viewTypePopup_->pullDownMenu();
    menu->removeAllItems();
    menu->addItem(L("View Type"))->setRepresentedObject(QStringLiteral("View Type"));
    for (const ViewTypes::ViewType &viewType : ViewTypes::factoryViewTypes())
        menu->addItem(QMPerson::localizedIdentifierForKey(viewType.name),
                      ActionId::ViewTypePopupSelected)
            ->setRepresentedObject(viewType.name);
    viewTypePopup_->synchronizeTitle();
    hangUnderNavigate(menu, L("Select View Type"));
}

void WindowController::initItemsMenu() {
    Menu *menu = itemsPopup_->pullDownMenu();
    menu->removeAllItems();
    menu->addItem(L("Items"));
    for (const QString &identifier : itemIdentifiers())
        menu->addItem(QMPerson::localizedIdentifierForKey(identifier), ActionId::ItemsPopupSelected)
            ->setRepresentedObject(identifier);
    if (customItems() && !customItems()->isEmpty()) {
        menu->addItem(MenuItem::separatorItem());
        QFont font = mainViewController_ ? mainViewController_->selectedFont() : WindowState::systemFont();
        font.setBold(true);
        for (const CustomItemDefinition &custom : *customItems()) {
            MenuItem *item = menu->addItem(custom.name + QStringLiteral(" (%1)").arg(custom.type),
                                           ActionId::ItemsPopupSelected);
            item->setRepresentedObject(custom.name);
            item->setFont(font);
        }
    }
    menu->addItem(MenuItem::separatorItem());
    menu->addItem(L("Show Custom Items"), ActionId::ShowCustomItems);
    itemsPopup_->synchronizeTitle();
    hangUnderNavigate(menu, L("Items"));
}

void WindowController::viewTypePopupSelected(MenuItem *item) {
    if (!item)
        return;
    // Cleaned first, so that the tables of every window take the new columns once.
    updateViewTypeDict();
    settings()->setSelectedViewType(item->representedObject().toString());
}

void WindowController::itemsPopupSelected(MenuItem *item) {
    const QString identifier = item ? item->representedObject().toString() : QString();
    if (identifier.isEmpty())
        return;
    // Over what is stored now, which another running copy may have changed since.
    ViewTypeTable table = settings()->storedViewTypeDict();
    const QString viewType = selectedViewType();
    QStringList columns = table.value(viewType);
    if (!table.contains(viewType))
        columns = {FieldId::Name, identifier}; // a view type the stored table lost starts again
    else if (!columns.contains(identifier))
        columns.insert(std::min<qsizetype>(1, columns.size()), identifier);
    else if (columns.size() >= 2)
        columns.removeOne(identifier);
    table.insert(viewType, columns);
    // Every window showing this view type takes the new columns.
    settings()->setViewTypeDict(table);
}

void WindowController::rebuildLabelsMenu(Menu *menu) {
    menu->removeAllItems();
    menu->addItem(L("Labels"));
    menu->addItem(L("All"), ActionId::LabelsPopupSelected)->setRepresentedObject(AllLabels);
    const QStringList columns = settings()->columnsOfViewType(selectedViewType());
    const QHash<QString, QStringList> labelTable = QMPerson::labelTableDict();
    for (const QString &identifier : QMPerson::labeledIdentifiers()) {
        if (!columns.contains(identifier))
            continue;
        for (const QString &label : labelTable.value(identifier)) {
            const QString title =
                QMPerson::localizedLabelFromCNLabel(QMPerson::CNLabelFromLabel(label).value_or(label));
            if (menu->itemWithTitle(title))
                continue;
            menu->addItem(title, ActionId::LabelsPopupSelected)->setRepresentedObject(label);
        }
    }
    menu->addItem(MenuItem::separatorItem());
    menu->addItem(L("Show Custom Labels"), ActionId::ShowCustomLabelPanel);
    labelsPopup_->synchronizeTitle();
    hangUnderNavigate(menu, L("Select Label"));
}

void WindowController::labelsPopupSelected(MenuItem *item) {
    if (!item)
        return;
    const QString label = item->representedObject().toString();
    QStringList labels = selectedLabels();
    if (label == AllLabels) {
        labels = {AllLabels};
    } else if (labels.value(0) == AllLabels) {
        labels = {label};
    } else {
        if (labels.contains(label))
            labels.removeAll(label);
        else
            labels.append(label);
        if (labels.isEmpty())
            labels = {AllLabels};
    }
    // The tables of every window show the filter's rows.
    settings()->setSelectedLabels(labels);
}

void WindowController::startCustomItems() {
    if (customItems() || !mainViewController_ || !mainViewController_->contactTable())
        return;
    mainViewController_->windowState()->addContacts(*mainViewController_->contactTable());
}

void WindowController::updateCustomItems() {
    const bool gathering = !customItems();
    startCustomItems();
    // A first gathering refreshed through customItemsChanged already.
    if (!gathering || !customItems())
        customItemsDidChange();
}

void WindowController::customItemsDidChange() {
    initItemsMenu();
    updateViewTypeDict();
    initSortOptionsMenu();
}

void WindowController::updateViewTypeDict() {
    // The table is every window's and every file's: a column of a custom item of a file that
    // is not open keeps its place. Only the items this window had and has no more (deleted or
    // renamed in its panel) leave it, unless another open window still has them.
    QStringList names;
    for (const CustomItemDefinition &item : customItems().value_or(QList<CustomItemDefinition>()))
        names.append(item.name);
    QStringList gone;
    for (const QString &name : std::as_const(customItemNames_))
        if (!names.contains(name))
            gone.append(name);
    customItemNames_ = names;
    for (const WindowController *window : std::as_const(openWindowControllers()))
        if (window != this && window->customItems())
            for (const CustomItemDefinition &item : *window->customItems())
                gone.removeAll(item.name);
    // Over what is stored now, which another running copy may have changed since.
    const ViewTypeTable stored = settings()->storedViewTypeDict();
    ViewTypeTable cleaned;
    if (!stored.contains(FieldId::Name))
        cleaned.insert(FieldId::Name, QStringList{FieldId::Name});
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        QStringList columns = it.value();
        columns.removeIf([&](const QString &identifier) { return gone.contains(identifier); });
        cleaned.insert(it.key(), columns);
    }
    settings()->setViewTypeDict(cleaned);
}

// ---- Sort options

void WindowController::initSortOptionsDict() {
    const QMap<QString, QString> stored = settings()->sortOptionsDefault().value_or(QMap<QString, QString>());
    SortOptionsTable table;
    for (const SortOptions::Entry &factory : SortOptions::factoryEntries()) {
        QString option = stored.value(factory.type, factory.selected);
        // An option stored with its column's name before it ("Email domain") is the bare option.
        const qsizetype cut = factory.selected.size() + 1;
        if (option != factory.type && option.contains(factory.selected) && option.size() > cut)
            option = option.mid(cut);
        table.insert(factory.type, {factory.type, factory.items, option});
    }
    if (customItems())
        for (const CustomItemDefinition &item : *customItems())
            if (item.type == ValueKind::Labeled)
                table.insert(item.name, SortOptions::customItemEntry(item.name));
    settings()->setSortOptionsDict(table);
}

void WindowController::initSortOptionsMenu() {
    initSortOptionsDict();
    Menu *menu = sortOptionsPopup_->pullDownMenu();
    menu->removeAllItems();
    menu->setAutoenablesItems(true);
    menu->addItem(L("Sort Options"))->setRepresentedObject(QStringLiteral("Sort Options"));
    // The factory columns in their menu order, then the custom items.
    QStringList identifiers;
    for (const SortOptions::Entry &factory : SortOptions::factoryEntries())
        identifiers.append(factory.type);
    for (const QString &identifier : sortOptionsDict().keys())
        if (!identifiers.contains(identifier))
            identifiers.append(identifier);
    for (const QString &identifier : std::as_const(identifiers)) {
        const SortOptions::Entry entry = sortOptionsDict().value(identifier);
        const QString title = QMPerson::localizedIdentifierForKey(identifier);
        MenuItem *item = menu->addItem(title);
        item->setRepresentedObject(identifier);
        auto *submenu = new Menu(title);
        const QString selected = entry.selected;
        for (const QString &option : entry.items) {
            MenuItem *optionItem = submenu->addItem(QMPerson::localizedIdentifierForKey(option),
                                                    ActionId::SortOptionsSelected);
            optionItem->setRepresentedObject(option);
            optionItem->setState(option == selected ? StateOn : StateOff);
        }
        item->setSubmenu(submenu);
    }
    sortOptionsPopup_->synchronizeTitle();
    hangUnderNavigate(menu, L("Sort Options"));
}

void WindowController::sortOptionsSelected(MenuItem *item) {
    if (!item)
        return;
    const Menu *menu = item->parentMenu();
    const MenuItem *parent = menu ? menu->supermenuItem() : nullptr;
    const QString identifier = parent ? parent->representedObject().toString() : QString();
    if (!sortOptionsDict().contains(identifier))
        return;
    SortOptions::Entry entry = sortOptionsDict().value(identifier);
    const QString option = item->representedObject().toString();
    if (option != entry.selected) {
        entry.selected = option;
        SortOptionsTable table = sortOptionsDict();
        table.insert(identifier, entry);
        settings()->setSortOptionsDict(table);
        QMap<QString, QString> current;
        for (auto it = table.cbegin(); it != table.cend(); ++it)
            current.insert(it.key(), it->selected);
        settings()->setSortOptionsDefault(current);
    }
    // This window's table sorts by it; the others take the option for their columns.
    if (contactsViewController_)
        contactsViewController_->sortOptionsChanged(entry, identifier);
}

} // namespace tessarin
