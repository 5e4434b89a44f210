#include "contacts_table/ContactsViewController.h"

#include "contacts_table/RowValueNumber.h"
#include "contacts_table/SubContactRows.h"
#include "editors/AddressViewController.h"
#include "editors/NameViewController.h"
#include "model/QMPerson.h"
#include "model/ViewTypes.h"
#include "platform/core/Dispatch.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/ListRowHeight.h"
#include "platform/ui/Window.h"
#include "platform/ui/Menu.h"
#include "state/WindowState.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QString showCompanyKey = QStringLiteral("QM1DshowCompanyInNameCell");

const SortDescriptor defaultSort{FieldId::CompositeName, true, false};

// Consecutive rows become one range, so a selection of thousands of rows is a few ranges.
QItemSelection rowRanges(const QAbstractItemModel *model, QList<int> rows) {
    QItemSelection selection;
    std::sort(rows.begin(), rows.end());
    const int lastColumn = std::max(0, model->columnCount() - 1);
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] <= rows[j] + 1)
            ++j;
        selection.select(model->index(rows[i], 0), model->index(rows[j], lastColumn));
        i = j + 1;
    }
    return selection;
}

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
    settings_->setColumnWidthDictionary(columnWidthDictionary_);
    // Under the view type these columns are of, which a window that has not followed the
    // latest choice yet would otherwise write over.
    ViewTypeTable viewTypes = settings_->viewTypeDict();
    // The columns this window does not show (another window's custom items) keep their places.
    const QString viewType = shownViewType_.isEmpty() ? settings_->selectedViewType() : shownViewType_;
    const QStringList stored = viewTypes.value(viewType);
    const QStringList shown = columnsOfViewType(viewType);
    QStringList order = tableIdentfiers();
    QStringList merged;
    for (const QString &identifier : stored)
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

// ---- Rows and sorting

SubContactTable ContactsViewController::createSubContactsFromContact(const ContactEntry &entry,
                                                                     const QStringList &identifiers,
                                                                     const QStringList &labels) const {
    return SubContactRows::createSubContactsFromContact(
        entry, {identifiers, labels, customItems(), showCompanyInNameCell()});
}

void ContactsViewController::updateSubContactTableForIdentifiers(const QStringList &identifiers) {
    // The rows built go into the model at the next reload, which every caller runs next.
    pendingRows_ = contactTable_ ? SubContactRows::buildRows(*contactTable_,
                                                             {identifiers, selectedLabels(), customItems(),
                                                              showCompanyInNameCell()},
                                                             buildDeadlineMilliseconds)
                                 : SubContactTable();
}

void ContactsViewController::sortRows(SubContactTable &rows) const {
    SubContactRows::sortSubContactTable(rows, currentSortDescriptor(), selectedLabels(), customItems());
}

std::optional<SortDescriptor> ContactsViewController::currentSortDescriptor() const {
    return sortDescriptors_.isEmpty() ? defaultSort : sortDescriptors_.first();
}

std::optional<SortDescriptor> ContactsViewController::firstSortDescriptor() const {
    if (sortDescriptors_.isEmpty())
        return std::nullopt;
    return sortDescriptors_.first();
}

QString ContactsViewController::sortColumnIdentifier() const {
    const auto first = firstSortDescriptor();
    return first ? SortOptions::separateSortKeyIntoIdentifierAndKey(first->key).first : FieldId::Name;
}

void ContactsViewController::reloadData() {
    view();
    const QList<int> previous = selectedRowIndexes();
    model_->reset(
        [&](SubContactTable &rows, QList<ContactsTableColumn> &) {
            if (!contactTable_) {
                rows.clear();
                pendingRows_.reset();
                return;
            }
            if (subContactTableDirty_) {
                updateSubContactTableForIdentifiers(tableIdentfiers());
                subContactTableDirty_ = false;
            }
            if (pendingRows_) {
                rows = std::move(*pendingRows_);
                pendingRows_.reset();
            }
            sortRows(rows);
        },
        bool(contactTable_));
    model_->setFooterText(footerText());
    tableView_->clearSpans();
    const int columnCount = int(model_->columns().size());
    if (contactTable_ && columnCount > 1)
        tableView_->setSpan(numberOfRowsInTableView() - 1, 0, 1, columnCount);
    applyRowHeights();
    keepSelection(previous);
    // The table allows no empty selection.
    if (selectedRowIndexes().isEmpty() && !subContactTable().empty())
        selectRowIndexes({0});
    reportSelectionIfMoved();
}

void ContactsViewController::keepSelection(const QList<int> &rows) {
    QList<int> kept;
    for (const int row : rows) {
        if (isRow(row))
            kept.append(row);
    }
    ++silentSelection_;
    selectRowIndexes(kept);
    --silentSelection_;
    reportSelectionIfMoved();
}

void ContactsViewController::reportSelectedRow(const SubContactRowPtr &row) {
    reportedRow_ = std::make_pair(row->uniqueId, row->labelIndex);
    ++selectionReports_;
    delegate_->rowSelectionDidChange(row);
}

void ContactsViewController::reportSelectionIfMoved() {
    const int row = selectedRow();
    if (silentSelection_ > 0 || !isRow(row) || !delegate_)
        return;
    const SubContactRowPtr &shown = subContactTable()[size_t(row)];
    if (reportedRow_ != std::make_pair(shown->uniqueId, shown->labelIndex))
        reportSelectedRow(shown);
}

void ContactsViewController::applyRowHeights() {
    QHeaderView *header = tableView_->verticalHeader();
    header->setDefaultSectionSize(int(rowHeight()));
    // Only the taller rows get their own height. While updates are off a resize does not
    // look for the row's place on screen, which would make the loop quadratic.
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    const SubContactTable &rows = subContactTable();
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row]->numLines > 1)
            header->resizeSection(int(row), heightOfRow(int(row)));
    }
    header->setUpdatesEnabled(updates);
}

void ContactsViewController::setSortDescriptors(const QList<SortDescriptor> &sortDescriptors) {
    const QList<SortDescriptor> old = sortDescriptors_;
    sortDescriptors_ = sortDescriptors;
    showSortIndicator();
    tableViewSortDescriptorsDidChange(old);
}

void ContactsViewController::columnHeaderClicked(int column) {
    const QList<ContactsTableColumn> &columns = model_->columns();
    if (column < 0 || column >= columns.size())
        return;
    const SortDescriptor prototype = columns[column].sortDescriptorPrototype;
    const auto first = firstSortDescriptor();
    SortDescriptor chosen = prototype;
    if (first && first->key == prototype.key) {
        chosen = *first;
        chosen.ascending = !first->ascending;
    }
    QList<SortDescriptor> descriptors = {chosen};
    for (const SortDescriptor &descriptor : std::as_const(sortDescriptors_)) {
        if (descriptor.key != chosen.key)
            descriptors.append(descriptor);
    }
    setSortDescriptors(descriptors);
}

void ContactsViewController::showSortIndicator() {
    if (!tableView_)
        return;
    QHeaderView *header = tableView_->horizontalHeader();
    const auto first = firstSortDescriptor();
    const QList<ContactsTableColumn> &columns = model_->columns();
    for (int i = 0; first && i < columns.size(); ++i) {
        if (columns[i].sortDescriptorPrototype.key == first->key) {
            header->setSortIndicator(i, first->ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
            return;
        }
    }
    header->setSortIndicator(-1, Qt::AscendingOrder);
}

QString ContactsViewController::sortColumnValue(SubContactRow &row, const SortDescriptor &descriptor,
                                                const QString &identifier) const {
    QMPerson &person = *row.person;
    if (identifier == FieldId::Birthday) {
        const auto birthday = person.birthdayValue();
        return birthday ? birthday->stringValue : QString();
    }
    if (identifier == FieldId::Name) {
        NameRecord name = person.nameValue();
        const QString *part = name.part(descriptor.key);
        return part ? *part : QString();
    }
    if (identifier == FieldId::PhoneticName) {
        auto phonetic = person.phoneticNameValue();
        const QString *part = phonetic ? phonetic->part(descriptor.key) : nullptr;
        return part ? *part : QString();
    }
    const QString type = person.typeForIdentifier(identifier, customItems());
    if (type == ValueKind::Labeled) {
        const auto value = person.labeledValueForIdentifier(identifier, qsizetype(row.labelIndex));
        return value ? value->stringValue : QString();
    }
    if (type == ValueKind::String)
        return person.stringValueForIdentifier(identifier);
    return {};
}

void ContactsViewController::tableViewSortDescriptorsDidChange(const QList<SortDescriptor> &oldDescriptors) {
    if (!contactTable_ || contactTable_->isEmpty())
        return;
    const QList<int> remembered = selectedRowIndexes();
    const int selected = selectedRow();
    const auto descriptor = firstSortDescriptor();
    if (!descriptor)
        return;
    const QString identifier = SortOptions::separateSortKeyIntoIdentifierAndKey(descriptor->key).first;
    QString uniqueId;
    qint64 labelIndex = 0;
    QString value;
    if (isRow(selected)) {
        SubContactRow &row = *subContactTable()[size_t(selected)];
        uniqueId = row.uniqueId;
        labelIndex = row.labelIndex;
        value = sortColumnValue(row, *descriptor, identifier);
    }
    const std::optional<SortDescriptor> oldFirst =
        oldDescriptors.isEmpty() ? std::nullopt : std::optional(oldDescriptors.first());
    if (delegate_ && oldFirst != descriptor && !restoringSort_)
        delegate_->sortDescriptorsDidChange(sortDescriptors_);
    subContactTableDirty_ = false;
    reloadData();
    int found = -1;
    const SubContactTable &rows = subContactTable();
    for (int r = 0; r < int(rows.size()) && found < 0 && !uniqueId.isEmpty(); ++r) {
        SubContactRow &row = *rows[size_t(r)];
        if (row.uniqueId != uniqueId)
            continue;
        if (value.isEmpty() ? row.labelIndex == labelIndex
                            : sortColumnValue(row, *descriptor, identifier) == value)
            found = r;
    }
    selectAndScroll(found >= 0 ? QList<int>{found} : remembered);
    settings_->setLastSortDesc(*descriptor);
}

void ContactsViewController::sortOptionSelected(const QString &columnIdentifier, const QString &option) {
    // The header's own sort menu changes the shared table only; the sort options menu's
    // current choices stay as they are.
    if (!settings_->setSortOptionSelected(columnIdentifier, option))
        return;
    sortOptionsChanged(settings_->sortOptionsDict().value(columnIdentifier), columnIdentifier);
}

void ContactsViewController::addLabel(const std::optional<QString> &label, const QString &identifier) {
    if (label)
        QMPerson::setLabel(QString(), *label, identifier);
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

// ---- Refresh and selection

std::optional<qint64> ContactsViewController::labelIndexInColumn(const SubContactRow &row,
                                                                 const QString &identifier) const {
    const auto value = row.person->labeledValueForIdentifier(identifier, qsizetype(row.labelIndex));
    if (!value)
        return std::nullopt;
    return value->labelIndex;
}

bool ContactsViewController::isMultiValued(const QString &identifier, QMPerson &person) const {
    return person.typeForIdentifier(identifier, customItems()) == ValueKind::Labeled;
}

void ContactsViewController::updateTable() {
    updateTableWithContacts({});
}

void ContactsViewController::updateTableWithContacts(const QList<std::shared_ptr<QMPerson>> &contacts) {
    if (!contactTable_)
        return;
    const QList<int> remembered = selectedRowIndexes();
    const QString sortColumn = sortColumnIdentifier();
    // The selected rows' contacts and, for a multi-valued sort column, their values there.
    QHash<QString, QList<std::optional<qint64>>> keys;
    bool multiValued = false;
    if (!subContactTable().empty() && !remembered.isEmpty() && isRow(remembered.last())) {
        for (const int r : remembered) {
            if (!isRow(r))
                continue;
            SubContactRow &row = *subContactTable()[size_t(r)];
            multiValued = multiValued || isMultiValued(sortColumn, *row.person);
            if (isMultiValued(sortColumn, *row.person))
                keys[row.uniqueId].append(labelIndexInColumn(row, sortColumn).value_or(row.labelIndex));
            else
                keys[row.uniqueId].append(std::nullopt);
        }
    }
    // A few contacts' rows are made again in place; beyond that one rebuild costs less.
    const bool inPlace = !contacts.isEmpty() && contacts.size() <= fewContacts &&
                         std::all_of(contacts.begin(), contacts.end(),
                                     [this](const auto &person) { return replaceRowsOfContact(person); });
    if (!inPlace) {
        updateSubContactTableForIdentifiers(tableIdentfiers());
        subContactTableDirty_ = false;
        reloadData();
    }
    QList<int> chosen;
    const SubContactTable &rows = subContactTable();
    for (int r = 0; r < int(rows.size()); ++r) {
        SubContactRow &row = *rows[size_t(r)];
        const auto key = keys.constFind(row.uniqueId);
        if (key == keys.constEnd())
            continue;
        if (!isMultiValued(sortColumn, *row.person)) {
            chosen.append(r);
            continue;
        }
        const auto own = labelIndexInColumn(row, sortColumn);
        if (own && key->contains(std::optional<qint64>(*own)))
            chosen.append(r);
    }
    selectAndScroll(chosen.isEmpty() ? remembered : chosen);
    reportSelectionIfMoved();
    refreshViewsShowingSelection(true);
}

bool ContactsViewController::replaceRowsOfContact(const std::shared_ptr<QMPerson> &person) {
    if (!person || subContactTableDirty_ || pendingRows_ || !model_->hasContacts() || !tableView_)
        return false;
    SubContactTable made;
    for (qsizetype i = 0; i < contactTable_->size(); ++i) {
        const ContactEntry &entry = contactTable_->at(i);
        if (entry.person != person || entry.deleted)
            continue;
        made = createSubContactsFromContact(entry, tableIdentfiers(), selectedLabels());
        for (const SubContactRowPtr &row : made)
            row->contactPosition = i;
        break;
    }
    const QList<int> previous = selectedRowIndexes();
    const std::optional<SortDescriptor> descriptor = currentSortDescriptor();
    ++silentSelection_;
    const std::vector<size_t> changed =
        model_->replaceRowsOfContact(person.get(), made, [&](const SubContactTable &rows, SubContactRow &row) {
            return SubContactRows::sortedPlace(rows, row, descriptor, selectedLabels(), customItems());
        });
    QHeaderView *header = tableView_->verticalHeader();
    for (const size_t row : changed)
        header->resizeSection(int(row), heightOfRow(int(row)));
    --silentSelection_;
    keepSelection(previous);
    return true;
}

void ContactsViewController::updateTableWithIdentifier(const QString &identifier,
                                                       const std::shared_ptr<QMPerson> &contact) {
    if (!contactTable_)
        return;
    QList<int> selection = selectedRowIndexes();
    if (selection.isEmpty())
        selection = {0};
    const auto indexOf = [&](SubContactRow &row) -> qint64 {
        if (identifier.isEmpty())
            return row.labelIndex;
        // Only a list numbers its values (asking for any value would decode a whole photo).
        const std::optional<LabeledValueList> list = row.person->labeledValueForIdentifier(identifier);
        if (list && row.labelIndex < list->size())
            return list->at(row.labelIndex).labelIndex;
        return 0;
    };
    QString uniqueId;
    qint64 k = 0;
    if (isRow(selection.first())) {
        SubContactRow &row = *subContactTable()[size_t(selection.first())];
        uniqueId = row.uniqueId;
        k = indexOf(row);
    }
    // Only the changed contact can have moved: its rows alone are made again.
    if (!replaceRowsOfContact(contact)) {
        if (tableIdentfiers().contains(identifier))
            updateSubContactTableForIdentifiers(tableIdentfiers());
        subContactTableDirty_ = false;
        reloadData();
    }
    const SubContactTable &rows = subContactTable();
    int found = -1;
    for (int r = 0; r < int(rows.size()) && !uniqueId.isEmpty() && found < 0; ++r) {
        SubContactRow &row = *rows[size_t(r)];
        if (row.uniqueId == uniqueId && indexOf(row) == k)
            found = r;
    }
    selectAndScroll(found >= 0 ? QList<int>{found} : selection);
    reportSelectionIfMoved();
    refreshViewsShowingSelection(false);
}

void ContactsViewController::selectItemAndRange(const std::optional<FindTarget> &match) {
    if (!contactTable_)
        return;
    model_->setShowsCurrentMatch(bool(match));
    if (!match)
        return;
    const FindTarget &target = *match;
    windowState_->setFindTarget(target);
    // The marks follow the window's state; only rows still to be shown need a reload, not
    // a sort of every row.
    if (pendingRows_) {
        subContactTableDirty_ = false;
        reloadData();
    }
    // Only the target's own contact is looked at: its row of that value, else its first row.
    int found = -1;
    const SubContactTable &rows = subContactTable();
    for (int r = 0; r < int(rows.size()); ++r) {
        const SubContactRow &row = *rows[size_t(r)];
        if (row.uniqueId != target.uniqueId)
            continue;
        if (rowValueNumber(row, target.identifier, customItems()) == target.labelIndex) {
            found = r;
            break;
        }
        if (found < 0)
            found = r;
    }
    if (found < 0)
        return;
    const int reports = selectionReports_;
    selectAndScroll({found});
    if (reports == selectionReports_ && delegate_)
        reportSelectedRow(rows[size_t(found)]);
}

void ContactsViewController::selectRowIndexesWithContacts(const QList<ContactEntry> &entries) {
    if (!contactTable_ || contactTable_->isEmpty())
        return;
    QSet<QString> ids;
    for (const ContactEntry &entry : entries)
        ids.insert(entry.uniqueId);
    QList<int> rows;
    const SubContactTable &shown = subContactTable();
    for (int r = 0; r < int(shown.size()); ++r) {
        if (ids.contains(shown[size_t(r)]->uniqueId))
            rows.append(r);
    }
    selectAndScroll(rows);
}

QList<int> ContactsViewController::selectedRowIndexes() const {
    QList<int> rows;
    if (!tableView_)
        return rows;
    for (const QItemSelectionRange &range : tableView_->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            if (isRow(r))
                rows.append(r);
        }
    }
    // Ranges may overlap; every row once, in order.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void ContactsViewController::selectRowIndexes(const QList<int> &rows) {
    view();
    QItemSelectionModel *selection = tableView_->selectionModel();
    if (rows.isEmpty()) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(model_->index(*std::max_element(rows.begin(), rows.end()), 0),
                               QItemSelectionModel::NoUpdate);
    selection->select(rowRanges(model_, rows),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ContactsViewController::selectAndScroll(const QList<int> &rows) {
    QList<int> valid;
    for (const int r : rows) {
        if (isRow(r))
            valid.append(r);
    }
    if (valid.isEmpty())
        return;
    selectRowIndexes(valid);
    scrollRowToVisible(valid.first());
}

int ContactsViewController::selectedRow() const {
    const QModelIndex current = tableView_->selectionModel()->currentIndex();
    if (current.isValid() && tableView_->selectionModel()->isRowSelected(current.row()))
        return current.row();
    const QList<int> rows = selectedRowIndexes();
    return rows.isEmpty() ? -1 : rows.last();
}

void ContactsViewController::scrollRowToVisible(int row) {
    if (row >= 0 && row < model_->rowCount())
        tableView_->scrollTo(model_->index(row, 0));
}

void ContactsViewController::tableViewSelectionDidChange() {
    if (silentSelection_ > 0)
        return;
    const int row = selectedRow();
    if (!isRow(row) || !delegate_)
        return;
    reportSelectedRow(subContactTable()[size_t(row)]);
}

QList<SubContactRowPtr> ContactsViewController::selectedSubContacts() const {
    QList<SubContactRowPtr> rows;
    for (const int r : selectedRowIndexes()) {
        if (isRow(r))
            rows.append(subContactTable()[size_t(r)]);
    }
    return rows;
}

QList<ContactEntry> ContactsViewController::contactsForIndexes(const QList<int> &rows) const {
    QList<ContactEntry> entries;
    if (!contactTable_)
        return entries;
    QHash<QString, qsizetype> byId;
    for (qsizetype i = contactTable_->size() - 1; i >= 0; --i)
        byId.insert(contactTable_->at(i).uniqueId, i);
    QSet<QString> taken;
    for (const int r : rows) {
        if (!isRow(r))
            continue;
        const QString &id = subContactTable()[size_t(r)]->uniqueId;
        const auto found = byId.constFind(id);
        if (found == byId.constEnd() || taken.contains(id))
            continue;
        taken.insert(id);
        const ContactEntry &entry = contactTable_->at(*found);
        if (!entry.deleted)
            entries.append(entry);
    }
    return entries;
}

QList<ContactEntry> ContactsViewController::selectedContacts() const {
    return contactsForIndexes(selectedRowIndexes());
}

QList<ContactEntry> ContactsViewController::selectedContactsWithClickedRowIndex(int clickedRow) const {
    QList<ContactEntry> entries;
    if (!contactTable_ || contactTable_->isEmpty())
        return entries;
    QList<int> rows = selectedRowIndexes();
    if (isRow(clickedRow))
        rows.append(clickedRow);
    // A row knows its contact's position in the table and is marked there, without hashing
    // every selected identifier; a row whose position no longer holds its contact (the table
    // changed since the rows were built) is matched by identifier.
    const ContactTable &table = *contactTable_;
    std::vector<bool> marked(size_t(table.size()), false);
    QSet<QString> ids;
    for (const int r : rows) {
        if (!isRow(r))
            continue;
        const SubContactRow &row = *subContactTable()[size_t(r)];
        const qsizetype at = row.contactPosition;
        if (at >= 0 && at < table.size() && table[at].person == row.person && table[at].uniqueId == row.uniqueId)
            marked[size_t(at)] = true;
        else
            ids.insert(row.uniqueId);
    }
    for (qsizetype i = 0; i < table.size(); ++i) {
        if (marked[size_t(i)] || (!ids.isEmpty() && ids.contains(table[i].uniqueId)))
            entries.append(table[i]);
    }
    return entries;
}
