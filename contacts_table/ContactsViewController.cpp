#include "contacts_table/ContactsViewController.h"

#include "contacts_table/RowValueNumber.h"
#include "editors/AddressViewController.h"
#include "platform/core/Dispatch.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/ListRowHeight.h"

#include <QApplication>
#include <QHeaderView>

namespace {

const QString showCompanyKey = QStringLiteral("QM1DshowCompanyInNameCell");

// The columns a view type shows: "Name" first, then its other identifiers.
QStringList shownColumns(const QStringList &identifiers) {
    QStringList columns = {FieldId::Name};
    for (const QString &identifier : identifiers)
        if (identifier != FieldId::Name)
            columns.append(identifier);
    return columns;
}

} // namespace

ContactsViewController::ContactsViewController(QObject *parent)
    : ViewController(parent) {
    auto *own = new WindowState(this);
    model_ = new ContactsTableModel(own, nullptr, this);
    model_->reset(
        [](SubContactTable &, QList<ContactsTableColumn> &columns) {
            columns.append(
                {FieldId::Name, QMPerson::localizedIdentifierForKey(FieldId::Name), defaultSort, 200.0});
        },
        false);
    setWindowState(own);
    setSettings(SharedSettings::shared());
    registerCommands();
    registerClipboardActions();
}

ContactsViewController::~ContactsViewController() {
    // The windows torn off the table go with it; their delegate (the main view) may be
    // going already, so they are told nothing more.
    for (const DetachedWindowEntry &entry : std::as_const(detachedWindows_)) {
        if (!entry.windowController)
            continue;
        entry.windowController->contactInfoPopover()->setDelegate(nullptr);
        delete entry.windowController.data();
    }
    if (ContactInfoPopover *shown = shownContactInfoPopover())
        shown->setDelegate(nullptr);
}

void ContactsViewController::setWindowState(WindowState *state) {
    for (const QMetaObject::Connection &connection : std::as_const(stateConnections_))
        disconnect(connection);
    windowState_ = state;
    model_->setWindowState(state);
    stateConnections_ = {
        connect(state, &WindowState::selectedFontChanged, this, &ContactsViewController::setSelectedFont),
        connect(state, &WindowState::findChanged, model_, &ContactsTableModel::findDidChange),
    };
}

void ContactsViewController::setSettings(std::shared_ptr<SharedSettings> settings) {
    for (const QMetaObject::Connection &connection : std::as_const(settingsConnections_))
        disconnect(connection);
    settings_ = std::move(settings);
    model_->setSettings(settings_.get());
    // The table takes the settings as it appears; later changes reach it as they happen.
    settingsConnections_ = {
        connect(settings_.get(), &SharedSettings::selectedViewTypeChanged, this,
                [this] {
                    if (appeared_)
                        setSelectedViewType(settings_->selectedViewType());
                }),
        connect(settings_.get(), &SharedSettings::viewTypeDictChanged, this,
                &ContactsViewController::viewTypeDictDidChange),
        connect(settings_.get(), &SharedSettings::selectedLabelsChanged, this,
                [this] {
                    if (appeared_)
                        updateTable();
                }),
        connect(settings_.get(), &SharedSettings::sortOptionsDictChanged, this,
                &ContactsViewController::sortOptionsDictDidChange),
    };
}

const QStringList &ContactsViewController::selectedLabels() const {
    return settings_->selectedLabels();
}

bool ContactsViewController::editState() const {
    return windowState_->editState();
}

const QList<CustomItemDefinition> &ContactsViewController::customItems() const {
    return windowState_->customItemsOrEmpty();
}

const QString &ContactsViewController::findString() const {
    return windowState_->findString();
}

const QString &ContactsViewController::findOptions() const {
    return windowState_->findOptions();
}

const std::optional<FindTarget> &ContactsViewController::selectedItemAndRange() const {
    return windowState_->findTarget();
}

void ContactsViewController::setShowCompanyInNameCell(bool show) {
    ContactsTableModel::Appearance appearance = model_->appearance();
    appearance.showCompanyInNameCell = show;
    model_->setAppearance(appearance);
}

QTableView *ContactsViewController::tableView() {
    view();
    return tableView_;
}

QWidget *ContactsViewController::loadView() {
    tableView_ = new QTableView;
    tableView_->setModel(model_);
    auto *painter = new ContactsTableCellPainter(model_);
    painter->setEditorFactory(
        [this](QWidget *parent, const QModelIndex &index) { return makeCellEditor(parent, index); });
    tableView_->setItemDelegate(painter);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setShowGrid(false);
    tableView_->setWordWrap(false);
    tableView_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView *rows = tableView_->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(int(rowHeight()));
    QHeaderView *header = tableView_->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(int(minimumColumnWidth));
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionClicked, this, &ContactsViewController::columnHeaderClicked);
    connect(header, &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { tableViewColumnDidResize(column, width); });
    connect(header, &QHeaderView::sectionMoved, this, &ContactsViewController::tableViewColumnDidMove);
    viewport_ = tableView_->viewport();
    viewport_->installEventFilter(this);
    // The menus act on what they opened on; once the command has run, nothing is clicked.
    cellMenu_ = new Menu(QString(), tableView_);
    headerMenu_ = new Menu(QString(), header);
    for (Menu *menu : {cellMenu_, headerMenu_}) {
        menu->setDelegate(this);
        connect(menu, &QMenu::aboutToHide, this, [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!cellMenu_->isVisible() && !headerMenu_->isVisible())
                        setClickedCell(-1, -1);
                },
                Qt::QueuedConnection);
        });
    }
    tableView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tableView_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &point) { popUpMenuForCellAt(point); });
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &point) { popUpMenuForHeaderAt(point); });
    installRowDragAndDrop();
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ContactsViewController::tableViewSelectionDidChange);
    return tableView_;
}

bool ContactsViewController::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ModifiedChange && watched == window())
        showDocumentEditedInDetachedWindows();
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
        watched == viewport_) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        const int row = tableView_->rowAt(at.y());
        // A press on the footer row changes no selection.
        if (row >= 0 && !shouldSelectRow(row))
            return true;
        const int pressedRow = isRow(row) ? row : -1;
        const int pressedColumn = pressedRow >= 0 ? tableView_->columnAt(at.x()) : -1;
        if (mouse->button() != Qt::LeftButton)
            return ViewController::eventFilter(watched, event);
        if (event->type() == QEvent::MouseButtonPress) {
            selectionBeforePress_ = selectedRowIndexes();
            // The label popup of a cell opens without selecting the row.
            if (pressedColumn >= 0 && editState()) {
                const ContactsTableCell cell = model_->cell(row, model_->columns()[pressedColumn].identifier);
                if (cell.kind == ContactsTableCell::PopupAndText && cell.popup) {
                    const QRect popup = PopupAndTextCell::popupRect(frameOfCellAtColumn(pressedColumn, row),
                                                                    cell.popup->content());
                    if (popup.contains(at)) {
                        openLabelMenu(row, pressedColumn, popup);
                        return true;
                    }
                }
            }
        } else {
            // The first click of a double click with Ctrl toggled the row, and a plain one
            // on a selected row took the other rows away: the double action works on the
            // selection as it was.
            const Qt::KeyboardModifiers modifiers = mouse->modifiers();
            if (pressedRow >= 0 &&
                ((modifiers & CommandKeyModifier) || selectionBeforePress_.contains(pressedRow)) &&
                selectedRowIndexes() != selectionBeforePress_)
                selectRowIndexes(selectionBeforePress_);
            tableViewDoubleAction(pressedColumn, pressedRow, modifiers);
            return true;
        }
    }
    return ViewController::eventFilter(watched, event);
}

// ---- Life cycle

void ContactsViewController::viewDidLoad() {
    setShowCompanyInNameCell(UserDefaults::standard().boolForKey(showCompanyKey));
    QFont font = QApplication::font();
    font.setPixelSize(12);
    setSelectedFont(font);
    ContactsTableModel::Appearance appearance = model_->appearance();
    appearance.rowHeight = 20;
    model_->setAppearance(appearance);
    tableView_->verticalHeader()->setDefaultSectionSize(20);
    QList<ContactsTableColumn> &columns = model_->columns();
    if (const std::optional<ColumnWidthTable> &stored = settings_->columnWidthDictionary()) {
        columnWidthDictionary_ = *stored;
        if (columnWidthDictionary_.contains(FieldId::Name))
            columns[0].width = columnWidthDictionary_.value(FieldId::Name);
    } else {
        columnWidthDictionary_ = {{FieldId::Name, columns[0].width}};
    }
    hasColumnWidthDictionary_ = true;
    applyColumnWidths();
    // The address editor's postal-code index is built while the user looks at the table.
    Dispatch::global([] { AddressViewController::zipdb(); });
}

void ContactsViewController::viewWillAppear() {
    // The windows torn off the table close with its window, before the last window's close
    // decides whether the program goes on.
    if (Window *shownIn = window(); shownIn && !windowClosing_)
        windowClosing_ = connect(shownIn, &Window::willClose, this, [this] {
            if (popover_)
                popover_->close();
            closeAllDetachedWindows();
        });
    appeared_ = true;
    setSelectedViewType(settings_->selectedViewType());
    applyLastSort();
}

void ContactsViewController::setContactTable(const SharedContactTable &table) {
    const bool first = !contactTable_ || contactTable_->isEmpty();
    contactTable_ = table;
    // A window's panes appear before the window hands its contacts down.
    if (first && appeared_)
        applyLastSort();
}

void ContactsViewController::applyLastSort() {
    if (!contactTable_ || contactTable_->isEmpty())
        return;
    SortDescriptor use = defaultSort;
    if (const std::optional<SortDescriptor> &last = settings_->lastSortDesc()) {
        const QString identifier = SortOptions::separateSortKeyIntoIdentifierAndKey(last->key).first;
        if (columnsOfViewType(settings_->selectedViewType()).contains(identifier))
            use = {last->key, last->ascending, false};
    }
    // Only the rows follow: opening a file changes none of its contacts (reordering their
    // values would mark a window edited that the user has not touched).
    if (!firstSortDescriptor() || firstSortDescriptor()->key != use.key ||
        firstSortDescriptor()->ascending != use.ascending) {
        restoringSort_ = true;
        setSortDescriptors({use});
        restoringSort_ = false;
    }
}

void ContactsViewController::viewWillDisappear() {}

void ContactsViewController::viewTypeDictDidChange() {
    if (!appeared_)
        return;
    if (shownColumns(columnsOfViewType(settings_->selectedViewType())) != tableIdentfiers())
        setSelectedViewType(settings_->selectedViewType());
}

void ContactsViewController::sortOptionsDictDidChange() {
    // The columns sort by the options now chosen, each keeping its direction.
    QList<ContactsTableColumn> &columns = model_->columns();
    for (ContactsTableColumn &column : columns) {
        const auto entry = settings_->sortOptionsDict().constFind(column.identifier);
        QString selected = entry != settings_->sortOptionsDict().cend() ? entry->selected : QString();
        if (selected.isEmpty())
            selected = column.identifier;
        const QString key = column.identifier == FieldId::Name
                                ? selected
                                : SortOptions::columnSortKey(column.identifier, selected);
        if (key != column.sortDescriptorPrototype.key)
            column.sortDescriptorPrototype = {key, column.sortDescriptorPrototype.ascending, false};
    }
}

// ---- Font, columns and view types

void ContactsViewController::setSelectedFont(const QFont &font) {
    view();
    ContactsTableModel::Appearance appearance = model_->appearance();
    appearance.font = font;
    appearance.boldFont = font;
    appearance.boldFont.setBold(true);
    appearance.rowHeight = tableRowHeight(font);
    model_->setAppearance(appearance);
    tableView_->verticalHeader()->setDefaultSectionSize(int(appearance.rowHeight));
    if (contactTable_ && !contactTable_->isEmpty()) {
        const QList<int> selected = selectedRowIndexes();
        subContactTableDirty_ = false;
        reloadData();
        selectAndScroll(selected);
    }
    if (ContactInfoPopover *shown = shownContactInfoPopover())
        shown->setSelectedFont(font);
    for (const DetachedWindowEntry &entry : std::as_const(detachedWindows_))
        if (entry.windowController)
            entry.windowController->contactInfoPopover()->setSelectedFont(font);
}

void ContactsViewController::setSelectedViewType(const QString &viewType) {
    shownViewType_ = viewType;
    updateColumnsInTableView(columnsOfViewType(viewType));
}

QStringList ContactsViewController::columnsOfViewType(const QString &viewType) const {
    QStringList columns = settings_->columnsOfViewType(viewType);
    const QList<CustomItemDefinition> &items = customItems();
    columns.removeIf([&](const QString &identifier) {
        return !QMPerson::allIdentifiers().contains(identifier) &&
               !QMPerson::addressIdentifiers().contains(identifier) &&
               std::none_of(items.begin(), items.end(),
                            [&](const CustomItemDefinition &item) { return item.name == identifier; });
    });
    return columns;
}

void ContactsViewController::updateColumnsInTableView(const QStringList &identifiers) {
    view();
    const SortOptionsTable &sortOptions = settings_->sortOptionsDict();
    QList<ContactsTableColumn> columns = {model_->columns().first()};
    for (const QString &identifier : identifiers) {
        QString selected = sortOptions.value(identifier).selected;
        if (selected.isEmpty())
            selected = identifier;
        if (identifier == FieldId::Name) {
            columns[0].sortDescriptorPrototype = {selected, true, false};
            continue;
        }
        ContactsTableColumn column;
        column.identifier = identifier;
        column.title = QMPerson::localizedIdentifierForKey(identifier);
        column.sortDescriptorPrototype = {SortOptions::columnSortKey(identifier, selected), true, false};
        column.width = columnWidthDictionary_.value(identifier, 200.0);
        columns.append(column);
    }
    const QList<int> selected = selectedRowIndexes();
    model_->reset([&](SubContactTable &, QList<ContactsTableColumn> &shown) { shown = columns; },
                  bool(contactTable_));
    keepSelection(selected);
    applyColumnWidths();
    showSortIndicator();
    updateTable();
}

void ContactsViewController::sortOptionsChanged(const SortOptions::Entry &option, const QString &columnName) {
    QList<ContactsTableColumn> &columns = model_->columns();
    const auto column = std::find_if(columns.begin(), columns.end(), [&](const ContactsTableColumn &c) {
        return c.identifier == columnName;
    });
    if (column == columns.end())
        return;
    const QList<CustomItemDefinition> &items = customItems();
    const bool labeledItem = std::any_of(items.begin(), items.end(), [&](const CustomItemDefinition &item) {
        return item.name == option.type && item.type == ValueKind::Labeled;
    });
    // The column's direction is the one it is sorted in now, which a header click changed
    // without touching its prototype.
    const std::optional<SortDescriptor> current = firstSortDescriptor();
    const bool ascending = current && current->key == column->sortDescriptorPrototype.key
                               ? current->ascending
                               : column->sortDescriptorPrototype.ascending;
    const SortDescriptor descriptor{SortOptions::sortKeyForOption(option.type, option.selected, labeledItem),
                                    ascending, true};
    column->sortDescriptorPrototype = descriptor;
    setSortDescriptors({descriptor});
}

void ContactsViewController::saveColumnWithDictionary() {
    if (!hasColumnWidthDictionary_)
        return;
    // Over what is stored now, which another running copy may have changed since this window
    // read it: the widths this window set, and the list of the view type it shows.
    ColumnWidthTable widths = settings_->storedColumnWidthDictionary();
    for (auto it = columnWidthDictionary_.cbegin(); it != columnWidthDictionary_.cend(); ++it)
        if (resizedColumns_.contains(it.key()) || !widths.contains(it.key()))
            widths.insert(it.key(), it.value());
    resizedColumns_.clear();
    settings_->setColumnWidthDictionary(widths);
    ViewTypeTable viewTypes = settings_->storedViewTypeDict();
    // Under the view type these columns are of, which a window that has not followed the
    // latest choice yet would otherwise write over.
    const QString viewType = shownViewType_.isEmpty() ? settings_->selectedViewType() : shownViewType_;
    // The columns this window does not show (another window's custom items) keep their places.
    const QStringList shown = tableIdentfiers();
    QStringList order = shown;
    QStringList merged;
    for (const QString &identifier : viewTypes.value(viewType))
        if (!shown.contains(identifier))
            merged.append(identifier);
        else if (!order.isEmpty())
            merged.append(order.takeFirst());
    viewTypes.insert(viewType, merged + order);
    settings_->setViewTypeDict(viewTypes);
    UserDefaults::standard().synchronize();
}

void ContactsViewController::applyColumnWidths() {
    QHeaderView *header = tableView_->horizontalHeader();
    const QList<ContactsTableColumn> &columns = model_->columns();
    adjustingColumns_ = true;
    for (int i = 0; i < columns.size(); ++i)
        header->resizeSection(i, int(std::max(minimumColumnWidth, columns[i].width)));
    adjustingColumns_ = false;
}

void ContactsViewController::tableViewColumnDidResize(int column, int newWidth) {
    QList<ContactsTableColumn> &columns = model_->columns();
    if (adjustingColumns_ || column < 0 || column >= columns.size())
        return;
    columns[column].width = newWidth;
    columnWidthDictionary_.insert(columns[column].identifier, double(newWidth));
    resizedColumns_.insert(columns[column].identifier);
}

void ContactsViewController::tableViewColumnDidMove(int, int oldVisual, int newVisual) {
    if (adjustingColumns_)
        return;
    // The header's move is undone and the model's columns move instead, so that a column's
    // index is always its place on screen; "Name" stays first.
    adjustingColumns_ = true;
    tableView_->horizontalHeader()->moveSection(newVisual, oldVisual);
    adjustingColumns_ = false;
    if (oldVisual <= 0 || newVisual <= 0)
        return;
    model_->moveColumn(oldVisual, newVisual);
    applyColumnWidths();
    showSortIndicator();
    saveColumnWithDictionary();
}

// ---- Cells, heights, footer

ContactsTableCell ContactsViewController::viewForTableColumn(const QString &identifier, int row) const {
    return model_->cell(row, identifier);
}

QString ContactsViewController::footerText() const {
    qint64 contacts = 0;
    for (const SubContactRowPtr &row : subContactTable()) {
        if (row->labelIndex == 0)
            ++contacts;
    }
    const QString group = delegate_ ? delegate_->selectedGroupName() : QString();
    return QStringLiteral("%1: total %2 contacts").arg(group).arg(contacts);
}
