#include "contacts_table/ContactsViewController.h"

#include "contacts_table/ContactsTableModel.h"
#include "contacts_table/SubContactRows.h"
#include "model/QMPerson.h"
#include "model/ViewTypes.h"
#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>

#include <cmath>
#include <set>

namespace {

const QString showCompanyKey = QStringLiteral("QM1DshowCompanyInNameCell");
const QString columnWidthKey = QStringLiteral("QM1DcolumnWidthDictionary");
const QString lastSortKey = QStringLiteral("QM1DlastSortDesc");
const QString &sortOptionsKey = SortOptions::SortOptionsDictKey;
const QString &viewTypeDictKey = ViewTypes::ViewTypeDictKey;
const QString &selectedViewTypeKey = ViewTypes::SelectedViewTypeKey;
const QString &selectedLabelsKey = ViewTypes::SelectedLabelsKey;

const SortDescriptor defaultSort{FieldId::CompositeName, true, false};

bool isAddressPart(const QString &identifier) {
    static const QStringList parts = {FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street,
                                      FieldId::Country};
    return parts.contains(identifier);
}

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

} // namespace

ContactsViewController::ContactsViewController(QObject *parent)
    : ViewController(parent) {
    columns_.append({FieldId::Name, QMPerson::localizedIdentifierForKey(FieldId::Name), defaultSort, 200.0});
}

ContactsViewController::~ContactsViewController() = default;

QTableView *ContactsViewController::tableView() {
    view();
    return tableView_;
}

QWidget *ContactsViewController::loadView() {
    tableView_ = new QTableView;
    model_ = new ContactsTableModel(this);
    tableView_->setModel(model_);
    tableView_->setItemDelegate(new ContactsTableCellPainter(this));
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
    rows->setDefaultSectionSize(int(rowHeight_));
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
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ContactsViewController::tableViewSelectionDidChange);
    return tableView_;
}

bool ContactsViewController::eventFilter(QObject *watched, QEvent *event) {
    // A press on the footer row changes no selection.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
        watched == viewport_) {
        const int row = tableView_->rowAt(static_cast<QMouseEvent *>(event)->position().toPoint().y());
        if (row >= 0 && !shouldSelectRow(row))
            return true;
    }
    return ViewController::eventFilter(watched, event);
}

// ---- Life cycle

void ContactsViewController::viewDidLoad() {
    UserDefaults &defaults = UserDefaults::standard();
    showCompanyInNameCell_ = defaults.boolForKey(showCompanyKey);
    QFont font = QApplication::font();
    font.setPixelSize(12);
    setSelectedFont(font);
    rowHeight_ = 20;
    tableView_->verticalHeader()->setDefaultSectionSize(20);
    editState_ = true;
    const QVariant stored = defaults.object(columnWidthKey);
    if (stored.isValid()) {
        columnWidthDictionary_ = stored.toMap();
        if (columnWidthDictionary_.contains(FieldId::Name))
            columns_[0].width = columnWidthDictionary_.value(FieldId::Name).toDouble();
    } else {
        columnWidthDictionary_ = {{FieldId::Name, columns_[0].width}};
    }
    hasColumnWidthDictionary_ = true;
    applyColumnWidths();
}

void ContactsViewController::viewWillAppear() {
    UserDefaults &defaults = UserDefaults::standard();
    const QString viewType = defaults.stringForKey(selectedViewTypeKey);
    setSelectedViewType(viewType);
    SortDescriptor use = defaultSort;
    const QVariantMap last = defaults.dictionaryForKey(lastSortKey);
    if (!last.isEmpty()) {
        const QString key = last.value(QStringLiteral("key")).toString();
        const QString identifier = SortOptions::separateSortKeyIntoIdentifierAndKey(key).first;
        const QStringList columns = defaults.dictionaryForKey(viewTypeDictKey).value(viewType).toStringList();
        if (columns.contains(identifier))
            use = {key, last.value(QStringLiteral("ascending")).toBool(), false};
    }
    if (contactTable_ && !contactTable_->isEmpty() &&
        (!firstSortDescriptor() || firstSortDescriptor()->key != use.key))
        setSortDescriptors({use});
}

void ContactsViewController::viewWillDisappear() {}

// ---- Font, columns and view types

void ContactsViewController::setSelectedFont(const QFont &font) {
    view();
    selectedFont_ = font;
    selectedBoldfont_ = font;
    selectedBoldfont_.setBold(true);
    // The font's size in logical pixels stands for its size in points.
    const QFontMetricsF metrics(font);
    qint64 h = qint64(std::ceil(metrics.ascent() + metrics.descent() + metrics.leading()));
    const qint64 p = qint64(std::ceil(QFontInfo(font).pixelSize() * 1.42));
    if (p > h)
        h = p;
    rowHeight_ = h < 11 ? 20 : h + 9;
    tableView_->verticalHeader()->setDefaultSectionSize(int(rowHeight_));
    if (contactTable_ && !contactTable_->isEmpty()) {
        const QList<int> selected = selectedRowIndexes();
        subContactTableDirty_ = false;
        reloadData();
        selectAndScroll(selected);
    }
}

void ContactsViewController::setSelectedViewType(const QString &viewType) {
    const QVariantMap table = UserDefaults::standard().dictionaryForKey(viewTypeDictKey);
    updateColumnsInTableView(table.value(viewType).toStringList());
}

void ContactsViewController::updateColumnsInTableView(const QStringList &identifiers) {
    view();
    const QVariantMap sortOptions = UserDefaults::standard().dictionaryForKey(sortOptionsKey);
    QList<ContactsTableColumn> columns = {columns_.first()};
    for (const QString &identifier : identifiers) {
        QString selected = sortOptions.value(identifier).toMap().value(QStringLiteral("selected")).toString();
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
        column.width = columnWidthDictionary_.value(identifier, 200.0).toDouble();
        columns.append(column);
    }
    const QList<int> selected = selectedRowIndexes();
    model_->reset([&] { columns_ = columns; });
    keepSelection(selected);
    applyColumnWidths();
    showSortIndicator();
    updateTable();
}

void ContactsViewController::sortOptionsChanged(const QVariantMap &entry, const QString &columnName) {
    const auto column = std::find_if(columns_.begin(), columns_.end(), [&](const ContactsTableColumn &c) {
        return c.identifier == columnName;
    });
    if (column == columns_.end())
        return;
    const SortOptions::Entry option = SortOptions::entryFromVariant(entry);
    const bool labeledItem =
        std::any_of(customItems_.begin(), customItems_.end(), [&](const CustomItemDefinition &item) {
            return item.name == option.type && item.type == ValueKind::Labeled;
        });
    const SortDescriptor descriptor{SortOptions::sortKeyForOption(option.type, option.selected, labeledItem),
                                    column->sortDescriptorPrototype.ascending, true};
    column->sortDescriptorPrototype = descriptor;
    setSortDescriptors({descriptor});
}

void ContactsViewController::saveColumnWithDictionary() {
    if (!hasColumnWidthDictionary_)
        return;
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(columnWidthDictionary_, columnWidthKey);
    QVariantMap viewTypes = defaults.dictionaryForKey(viewTypeDictKey);
    viewTypes.insert(defaults.stringForKey(selectedViewTypeKey), tableIdentfiers());
    defaults.setObject(viewTypes, viewTypeDictKey);
    defaults.synchronize();
}

QStringList ContactsViewController::tableIdentfiers() const {
    QStringList identifiers;
    for (const ContactsTableColumn &column : columns_)
        identifiers.append(column.identifier);
    return identifiers;
}

void ContactsViewController::applyColumnWidths() {
    QHeaderView *header = tableView_->horizontalHeader();
    adjustingColumns_ = true;
    for (int i = 0; i < columns_.size(); ++i)
        header->resizeSection(i, int(std::max(minimumColumnWidth, columns_[i].width)));
    adjustingColumns_ = false;
}

void ContactsViewController::tableViewColumnDidResize(int column, int newWidth) {
    if (adjustingColumns_ || column < 0 || column >= columns_.size())
        return;
    columns_[column].width = newWidth;
    columnWidthDictionary_.insert(columns_[column].identifier, double(newWidth));
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

int ContactsViewController::numberOfRowsInTableView() const {
    return contactTable_ ? int(subContactTable_.size()) + 1 : 0;
}

SubContactTable ContactsViewController::createSubContactsFromContact(const ContactEntry &entry,
                                                                     const QStringList &identifiers,
                                                                     const QStringList &labels) const {
    return SubContactRows::createSubContactsFromContact(
        entry, {identifiers, labels, customItems_, showCompanyInNameCell_});
}

void ContactsViewController::updateSubContactTableForIdentifiers(const QStringList &identifiers) {
    if (!contactTable_) {
        subContactTable_.clear();
        return;
    }
    subContactTable_ = SubContactRows::buildRows(
        *contactTable_, {identifiers, selectedLabels_, customItems_, showCompanyInNameCell_},
        buildDeadlineMilliseconds);
}

void ContactsViewController::sortSubContactTable(const QList<SortDescriptor> &sortDescriptors,
                                                 const QStringList &selectedLabels) {
    SubContactRows::sortSubContactTable(
        subContactTable_, sortDescriptors.isEmpty() ? std::nullopt : std::optional(sortDescriptors.first()),
        selectedLabels, customItems_);
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
    model_->reset([&] {
        if (!contactTable_) {
            subContactTable_.clear();
            return;
        }
        if (subContactTableDirty_) {
            updateSubContactTableForIdentifiers(tableIdentfiers());
            subContactTableDirty_ = false;
        }
        sortSubContactTable(sortDescriptors_.isEmpty() ? QList<SortDescriptor>{defaultSort}
                                                       : sortDescriptors_,
                            selectedLabels_);
    });
    tableView_->clearSpans();
    if (contactTable_ && columns_.size() > 1)
        tableView_->setSpan(numberOfRowsInTableView() - 1, 0, 1, int(columns_.size()));
    applyRowHeights();
    keepSelection(previous);
    // The table allows no empty selection.
    if (selectedRowIndexes().isEmpty() && !subContactTable_.empty())
        selectRowIndexes({0});
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
}

void ContactsViewController::applyRowHeights() {
    QHeaderView *header = tableView_->verticalHeader();
    header->setDefaultSectionSize(int(rowHeight_));
    // Only the taller rows get their own height. While updates are off a resize does not
    // look for the row's place on screen, which would make the loop quadratic.
    const bool updates = header->updatesEnabled();
    header->setUpdatesEnabled(false);
    for (size_t row = 0; row < subContactTable_.size(); ++row) {
        if (subContactTable_[row]->numLines > 1)
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
    if (column < 0 || column >= columns_.size())
        return;
    const SortDescriptor prototype = columns_[column].sortDescriptorPrototype;
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
    for (int i = 0; first && i < columns_.size(); ++i) {
        if (columns_[i].sortDescriptorPrototype.key == first->key) {
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
    const QString type = SubContactRows::fieldType(person, identifier, customItems_);
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
        SubContactRow &row = *subContactTable_[selected];
        uniqueId = row.uniqueId;
        labelIndex = row.labelIndex;
        value = sortColumnValue(row, *descriptor, identifier);
    }
    const std::optional<SortDescriptor> oldFirst =
        oldDescriptors.isEmpty() ? std::nullopt : std::optional(oldDescriptors.first());
    if (delegate_ && oldFirst != descriptor)
        delegate_->sortDescriptorsDidChange(sortDescriptors_);
    subContactTableDirty_ = false;
    reloadData();
    int found = -1;
    for (int r = 0; r < int(subContactTable_.size()) && found < 0 && !uniqueId.isEmpty(); ++r) {
        SubContactRow &row = *subContactTable_[r];
        if (row.uniqueId != uniqueId)
            continue;
        if (value.isEmpty() ? row.labelIndex == labelIndex
                            : sortColumnValue(row, *descriptor, identifier) == value)
            found = r;
    }
    selectAndScroll(found >= 0 ? QList<int>{found} : remembered);
    UserDefaults::standard().setObject(QVariantMap{{QStringLiteral("key"), descriptor->key},
                                                   {QStringLiteral("ascending"), descriptor->ascending}},
                                       lastSortKey);
}

void ContactsViewController::sortOptionSelected(const QString &columnIdentifier, const QString &option) {
    UserDefaults &defaults = UserDefaults::standard();
    QVariantMap table = defaults.dictionaryForKey(sortOptionsKey);
    if (!table.contains(columnIdentifier))
        return;
    QVariantMap entry = table.value(columnIdentifier).toMap();
    if (entry.value(QStringLiteral("selected")).toString() != option) {
        entry.insert(QStringLiteral("selected"), option);
        table.insert(columnIdentifier, entry);
        defaults.setObject(table, sortOptionsKey);
    }
    sortOptionsChanged(entry, columnIdentifier);
}

void ContactsViewController::addLabel(const std::optional<QString> &label, const QString &identifier) {
    if (label)
        QMPerson::setLabel(QString(), *label, identifier);
}

// ---- Cells, heights, footer

ContactsTableCell ContactsViewController::textCell(const QString &text, const QString &identifier,
                                                   const SubContactRow &row, bool editable) const {
    ContactsTableCell cell;
    cell.kind = ContactsTableCell::TextCell;
    cell.text = text;
    cell.font = selectedFont_;
    cell.editable = editable;
    std::optional<TextRange> current;
    if (selectedItemAndRange_ && selectedItemAndRange_->uniqueId == row.uniqueId &&
        selectedItemAndRange_->identifier == identifier)
        current = selectedItemAndRange_->range;
    cell.highlights = findHighlights(text, findString_, findOptions_, current);
    return cell;
}

ContactsTableCell ContactsViewController::popupCell(const QString &identifier, const SubContactRow &row,
                                                    const std::optional<LabeledValueRecord> &value,
                                                    const QString &labelsOf) {
    PopupAndTextCell popup;
    popup.setType(identifier);
    popup.setFindString(findString_);
    popup.setFindOptions(findOptions_);
    popup.setPerson(row.person);
    popup.setFindTarget(selectedItemAndRange_ && selectedItemAndRange_->identifier == identifier
                            ? selectedItemAndRange_
                            : std::nullopt);
    popup.setSelectedFont(selectedFont_);
    popup.setEditState(editState_);
    popup.setLabels(QMPerson::labelsForIdentifier(labelsOf).value_or(QStringList()));
    popup.setLocalizedLabels(QMPerson::localizedLabelsForIdentifier(labelsOf).value_or(QStringList()));
    popup.setCustomLabels(QMPerson::customLabelsForIdentifier(identifier).value_or(QStringList()));
    popup.setLabeledValue(value);
    popup.setLabelIndex(row.labelIndex);
    popup.setRowNumLines(row.numLines);
    popup.updatePopupAndText();
    ContactsTableCell cell;
    cell.kind = ContactsTableCell::PopupAndText;
    cell.font = selectedFont_;
    cell.text = popup.content().text;
    cell.editable = editState_ && identifier != FieldId::Address && identifier != FieldId::InstantMessage &&
                    identifier != FieldId::Dates;
    cell.popup = std::move(popup);
    return cell;
}

ContactsTableCell ContactsViewController::viewForTableColumn(const QString &identifier, int r) {
    if (!isRow(r))
        return {};
    SubContactRow &row = *subContactTable_[r];
    QMPerson &person = *row.person;
    const qsizetype li = qsizetype(row.labelIndex);
    if (identifier == FieldId::Name) {
        const QString personName = person.nameValue().stringValue;
        const QString company = person.stringValueForIdentifier(FieldId::Company);
        ContactsTableCell cell;
        cell.kind = !personName.isEmpty() && !company.isEmpty() && !row.notFirstRow
                        ? ContactsTableCell::DetailCell
                        : ContactsTableCell::ImageAndText;
        cell.font = selectedBoldfont_;
        if (row.notFirstRow)
            return cell;
        if (showCompanyInNameCell_)
            cell.detailText = person.showAsPerson() ? company : personName;
        const QString name = person.compositeName();
        cell.text = name.isEmpty() ? L("No Name") : name;
        cell.image = person.thumbnail();
        cell.editable = editState_;
        cell.highlights = textCell(cell.text, identifier, row, false).highlights;
        return cell;
    }
    if (identifier == FieldId::PhoneticName) {
        const auto phonetic = li == 0 ? person.phoneticNameValue() : std::nullopt;
        return textCell(phonetic ? phonetic->stringValue : QString(), identifier, row, editState_);
    }
    if (isAddressPart(identifier)) {
        const auto address = person.labeledValueForIdentifier(FieldId::Address, li);
        if (!address || !SubContactRows::labelPasses(selectedLabels_, address->label))
            return {};
        LabeledValueRecord shown;
        shown.stringValue = *address->addressPart(identifier);
        shown.labelIndex = address->labelIndex;
        shown.label = address->label;
        return popupCell(identifier, row, shown, FieldId::Address);
    }
    if (identifier == FieldId::Birthday) {
        const auto birthday = li == 0 ? person.birthdayValue() : std::nullopt;
        if (!birthday || birthday->stringValue.isEmpty())
            return {};
        return textCell(birthday->stringValue, identifier, row, false);
    }
    const QString type = SubContactRows::fieldType(person, identifier, customItems_);
    if (type == ValueKind::Labeled) {
        auto value = person.labeledValueForIdentifier(identifier, li);
        if (value && !SubContactRows::labelPasses(selectedLabels_, value->label))
            value.reset();
        return popupCell(identifier, row, value, identifier);
    }
    if (type == ValueKind::String) {
        if (li != 0)
            return {};
        return textCell(person.stringValueForIdentifier(identifier), identifier, row, editState_);
    }
    return {};
}

int ContactsViewController::heightOfRow(int row) const {
    if (!isRow(row))
        return int(rowHeight_);
    return int(subContactTable_[row]->numLines * rowHeight_);
}

QString ContactsViewController::footerText() {
    qint64 contacts = 0;
    for (const SubContactRowPtr &row : subContactTable_) {
        if (row->labelIndex == 0)
            ++contacts;
    }
    const QString group = delegate_ ? delegate_->selectedGroupName() : QString();
    return QStringLiteral("%1: total %2 contacts").arg(group).arg(contacts);
}

bool ContactsViewController::shouldSelectRow(int row) const {
    return isRow(row);
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
    return SubContactRows::fieldType(person, identifier, customItems_) == ValueKind::Labeled;
}

void ContactsViewController::updateTable() {
    if (!contactTable_)
        return;
    const QList<int> remembered = selectedRowIndexes();
    const QString sortColumn = sortColumnIdentifier();
    // The selected rows' contacts and, for a multi-valued sort column, their values there.
    QHash<QString, QList<std::optional<qint64>>> keys;
    bool multiValued = false;
    if (!subContactTable_.empty() && !remembered.isEmpty() && isRow(remembered.last())) {
        for (const int r : remembered) {
            if (!isRow(r))
                continue;
            SubContactRow &row = *subContactTable_[r];
            multiValued = multiValued || isMultiValued(sortColumn, *row.person);
            if (isMultiValued(sortColumn, *row.person))
                keys[row.uniqueId].append(labelIndexInColumn(row, sortColumn).value_or(row.labelIndex));
            else
                keys[row.uniqueId].append(std::nullopt);
        }
    }
    updateSubContactTableForIdentifiers(tableIdentfiers());
    subContactTableDirty_ = false;
    reloadData();
    QList<int> chosen;
    for (int r = 0; r < int(subContactTable_.size()); ++r) {
        SubContactRow &row = *subContactTable_[r];
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
}

void ContactsViewController::updateTableWithIdentifier(const QString &identifier) {
    const QVariant labels = UserDefaults::standard().object(selectedLabelsKey);
    selectedLabels_ = labels.isValid() ? labels.toStringList() : QStringList{QStringLiteral("All")};
    if (!contactTable_)
        return;
    QList<int> selection = selectedRowIndexes();
    if (selection.isEmpty())
        selection = {0};
    const auto indexOf = [&](SubContactRow &row) -> qint64 {
        if (identifier.isEmpty())
            return row.labelIndex;
        const FieldValue value = row.person->valueForIdentifier(identifier);
        const auto *list = value.get<LabeledValueList>();
        if (list && row.labelIndex < list->size())
            return list->at(row.labelIndex).labelIndex;
        return 0;
    };
    QString uniqueId;
    qint64 k = 0;
    if (isRow(selection.first())) {
        SubContactRow &row = *subContactTable_[selection.first()];
        uniqueId = row.uniqueId;
        k = indexOf(row);
    }
    if (tableIdentfiers().contains(identifier))
        updateSubContactTableForIdentifiers(tableIdentfiers());
    subContactTableDirty_ = false;
    reloadData();
    for (int r = 0; r < int(subContactTable_.size()) && !uniqueId.isEmpty(); ++r) {
        SubContactRow &row = *subContactTable_[r];
        if (row.uniqueId == uniqueId && indexOf(row) == k)
            return selectAndScroll({r});
    }
    selectAndScroll(selection);
}

void ContactsViewController::selectItemAndRange(const FindTarget &target) {
    if (!contactTable_)
        return;
    selectedItemAndRange_ = target;
    subContactTableDirty_ = false;
    reloadData();
    // Only the target's own contact is looked at: its row of that value, else its first row.
    int found = -1;
    for (int r = 0; r < int(subContactTable_.size()); ++r) {
        const SubContactRow &row = *subContactTable_[r];
        if (row.uniqueId != target.uniqueId)
            continue;
        if (row.labelIndex == target.labelIndex) {
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
        delegate_->rowSelectionDidChange(subContactTable_[found]);
}

void ContactsViewController::selectRowIndexesWithContacts(const QList<ContactEntry> &entries) {
    if (!contactTable_ || contactTable_->isEmpty())
        return;
    QSet<QString> ids;
    for (const ContactEntry &entry : entries)
        ids.insert(entry.uniqueId);
    QList<int> rows;
    for (int r = 0; r < int(subContactTable_.size()); ++r) {
        if (ids.contains(subContactTable_[r]->uniqueId))
            rows.append(r);
    }
    selectAndScroll(rows);
}

QList<int> ContactsViewController::selectedRowIndexes() const {
    QList<int> rows;
    if (!tableView_)
        return rows;
    std::set<int> unique;
    for (const QItemSelectionRange &range : tableView_->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            if (isRow(r))
                unique.insert(r);
        }
    }
    rows = QList<int>(unique.begin(), unique.end());
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
    ++selectionReports_;
    delegate_->rowSelectionDidChange(subContactTable_[row]);
}

QList<SubContactRowPtr> ContactsViewController::selectedSubContacts() const {
    QList<SubContactRowPtr> rows;
    for (const int r : selectedRowIndexes()) {
        if (isRow(r))
            rows.append(subContactTable_[r]);
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
        const QString &id = subContactTable_[r]->uniqueId;
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
    QSet<QString> ids;
    for (const int r : rows) {
        if (isRow(r))
            ids.insert(subContactTable_[r]->uniqueId);
    }
    for (const ContactEntry &entry : std::as_const(*contactTable_)) {
        if (ids.contains(entry.uniqueId))
            entries.append(entry);
    }
    return entries;
}
