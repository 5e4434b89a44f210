#include "editors/MultiValueViewController.h"

#include "editors/AddressViewController.h"
#include "editors/CountryPullDown.h"
#include "editors/MultiValueTable.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"

#include <QCollator>
#include <QComboBox>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString LabelColumn = QStringLiteral("label");
const QString ServiceTypeColumn = QStringLiteral("serviceType");
const QString UsernameColumn = QStringLiteral("Username");
const QString UserIdentifierColumn = QStringLiteral("User Identifier");
const QString URLStringColumn = QStringLiteral("URL String");
const QString EditColumn = QStringLiteral("Edit");
const QString CountryCodeColumn = QStringLiteral("CountryCode");
const QString NewValue = QStringLiteral("new");

PopoverEditor::Departures listDepartures() {
    PopoverEditor::Departures departures = PopoverEditor::Departures::returnCommitsFields();
    departures.cancelWritesNotDirty = true;
    return departures;
}

MultiValueColumn column(const QString &identifier, int width, const QString &sortKey,
                        MultiValueColumn::Kind kind = MultiValueColumn::Text) {
    return {identifier, width, QMPerson::localizedIdentifierForKey(identifier), sortKey, kind};
}

// The text a sort key names in a record.
QString sortText(const LabeledValueRecord &record, const QString &key) {
    if (key == LabelColumn)
        return record.labelText();
    if (const QString *part = record.addressPart(key))
        return *part;
    if (key == CNInstantMessageAddressServiceKey)
        return record.service;
    if (key == CNInstantMessageAddressUsernameKey)
        return record.username.value_or(QString());
    if (key == CNSocialProfileUserIdentifierKey)
        return record.userIdentifier;
    if (key == CNSocialProfileURLStringKey)
        return record.urlString;
    return record.valueText();
}

QString oneLine(QString text) {
    return text.replace(u'\n', u' ');
}

qsizetype lineCount(const QString &text) {
    return text.count(u'\n') + 1;
}

} // namespace

QSize MultiValueViewController::contentSizeFor(const QString &type, bool fromContactsTable) {
    if (type == FieldId::Address)
        return {820, fromContactsTable ? 280 : 260};
    if (type == FieldId::InstantMessage)
        return {460, 260};
    if (type == FieldId::SocialNetwork)
        return {680, 260};
    return {360, 260};
}

QList<MultiValueColumn> MultiValueViewController::columnsFor(const QString &type) {
    QList<MultiValueColumn> columns;
    if (type == FieldId::Address) {
        columns << column(EditColumn, 26, QString(), MultiValueColumn::EditButton)
                << column(LabelColumn, 80, LabelColumn, MultiValueColumn::LabelPopup);
        for (const QString &part : {FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street, FieldId::Country})
            columns << column(part, 100, part);
        columns << column(CountryCodeColumn, 155, QString(), MultiValueColumn::CountryPopup);
    } else if (type == FieldId::InstantMessage) {
        columns << column(LabelColumn, 80, LabelColumn, MultiValueColumn::LabelPopup)
                << column(ServiceTypeColumn, 130, CNInstantMessageAddressServiceKey, MultiValueColumn::ServicePopup)
                << column(UsernameColumn, 160, CNInstantMessageAddressUsernameKey);
        columns[1].header = L("Service Type");
    } else if (type == FieldId::SocialNetwork) {
        columns << column(LabelColumn, 80, LabelColumn, MultiValueColumn::LabelPopup)
                << column(UsernameColumn, 160, CNSocialProfileUsernameKey)
                << column(UserIdentifierColumn, 160, CNSocialProfileUserIdentifierKey)
                << column(URLStringColumn, 160, CNSocialProfileURLStringKey);
    } else {
        columns << column(LabelColumn, 80, LabelColumn, MultiValueColumn::LabelPopup)
                << column(type, 130, QStringLiteral("value"));
    }
    columns[type == FieldId::Address ? 1 : 0].header = L("Label");
    return columns;
}

MultiValueViewController::MultiValueViewController(QObject *parent)
    : PopoverEditor(listDepartures(), parent) {}

MultiValueViewController::~MultiValueViewController() = default;

QTableView *MultiValueViewController::tableView() const {
    return tableView_;
}

QWidget *MultiValueViewController::makeBody() {
    auto *body = new QWidget;
    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    auto *top = new QHBoxLayout;
    typePopup_ = new PopUpButton;
    addressField_ = new QLineEdit;
    addressField_->setObjectName(QStringLiteral("addressField"));
    showAsLabel(addressField_);
    addressField_->setPlaceholderText(L("Address:"));
    addressField_->hide();
    top->addWidget(typePopup_);
    top->addWidget(addressField_, 1);
    top->addStretch(0);
    column->addLayout(top);

    tableView_ = new MultiValueTableView(this);
    model_ = new MultiValueTableModel(this, this);
    tableView_->setModel(model_);
    column->addWidget(tableView_, 1);

    auto *buttons = new QHBoxLayout;
    addButton_ = new QPushButton(QStringLiteral("+"));
    delButton_ = new QPushButton(QStringLiteral("−"));
    addButton_->setAccessibleName(L("Add"));
    delButton_->setAccessibleName(L("Delete"));
    for (QPushButton *button : {addButton_, delButton_}) {
        button->setAutoDefault(false);
        button->setFixedWidth(28);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    column->addLayout(buttons);

    connect(addButton_, &QPushButton::clicked, this, &MultiValueViewController::add);
    connect(delButton_, &QPushButton::clicked, this, &MultiValueViewController::remove);
    connect(tableView_, &QTableView::doubleClicked, this, &MultiValueViewController::tableViewDoubleAction);
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const int row = selectedRow();
        if (type_ == FieldId::Address && row >= 0)
            showAddress(rows_[row].record);
    });
    // A click sorts ascending, a second click on the same column descending.
    connect(tableView_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        QHeaderView *header = tableView_->horizontalHeader();
        if (columns_.value(section).sortKey.isEmpty()) {
            // The header moved its indicator there by itself: put it back.
            if (sortColumn_ >= 0)
                header->setSortIndicator(sortColumn_, sortOrder_);
            header->setSortIndicatorShown(sortColumn_ >= 0);
            return;
        }
        const Qt::SortOrder order = sortColumn_ == section && sortOrder_ == Qt::AscendingOrder
                                        ? Qt::DescendingOrder
                                        : Qt::AscendingOrder;
        sortDescriptorsDidChange(section, order);
    });
    return body;
}

void MultiValueViewController::setSelectedFont(const QFont &font) {
    selectedFont_ = font;
    const QFontMetricsF metrics(font);
    const double lineHeight = std::ceil(metrics.ascent() + metrics.descent() + metrics.leading());
    rowHeight_ = std::max(20.0, lineHeight + 9.0);
    view();
    tableView_->setFont(font);
    if (!rows_.isEmpty()) {
        const int selected = selectedRow();
        reloadData();
        selectRow(selected);
    }
}

LabeledValueList MultiValueViewController::table() const {
    LabeledValueList list;
    list.reserve(rows_.size());
    for (const Row &row : rows_)
        list.append(row.record);
    return list;
}

MultiValueViewController::Row MultiValueViewController::makeRow(const LabeledValueRecord &record) {
    return {record, nextRowId_++};
}

void MultiValueViewController::fillFromContext(bool) {
    const EditorContext &context = *contextInfo();
    type_ = context.type;
    defaultCountryCode_ = person()->defaultCountryCode().toUpper();
    addressFormatDict_ = QMPerson::addressFormatDict();
    typePopup_->clear();
    typePopup_->addItem(QMPerson::localizedIdentifierForKey(type_));

    columns_ = columnsFor(type_);
    addressField_->setVisible(type_ == FieldId::Address);
    addressField_->clear();
    serviceLabels_ = type_ == FieldId::InstantMessage ? CNInstantMessageServices() : QStringList();
    labels_ = QMPerson::labelTableDict().value(type_);
    if (labels_.isEmpty())
        labels_ = {QMPerson::labelFromCNLabel(CNLabelHome)};
    localizedLabels_ = QMPerson::localizedLabelsForIdentifier(type_).value_or(QStringList());

    rows_.clear();
    for (const LabeledValueRecord &record : person()->labeledValueForIdentifier(type_).value_or(LabeledValueList()))
        rows_.append(makeRow(record));
    reloadData();
    sortColumn_ = -1;
    QHeaderView *header = tableView_->horizontalHeader();
    header->setSortIndicatorShown(false);
    for (int i = 0; i < columns_.size(); ++i)
        header->resizeSection(i, columns_[i].width);
    // The opener names the value by its running number, which after a deletion is no
    // longer its position.
    if (context.labelIndex && *context.labelIndex >= 0)
        for (int row = 0; row < rows_.size(); ++row)
            if (rows_[row].record.labelIndex == *context.labelIndex)
                return selectRow(row);
}

void MultiValueViewController::showEditState(bool editing) {
    addButton_->setEnabled(editing);
    delButton_->setEnabled(editing && !rows_.isEmpty());
    if (editing)
        tableView_->setFocus();
    const int selected = selectedRow();
    reloadData();
    selectRow(selected);
}

void MultiValueViewController::reloadData() {
    model_->setEditing(isEditing());
    model_->reload();
    tableView_->verticalHeader()->setDefaultSectionSize(int(rowHeight_));
    for (int row = 0; row < rows_.size(); ++row) {
        tableView_->setRowHeight(row, heightOfRow(row));
        for (int column = 0; column < columns_.size(); ++column) {
            if (columns_[column].kind != MultiValueColumn::Text)
                tableView_->openPersistentEditor(model_->index(row, column));
        }
    }
}

int MultiValueViewController::selectedRow() const {
    const QModelIndexList selected = tableView_->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void MultiValueViewController::selectRow(int row) {
    if (row >= 0 && row < rows_.size())
        tableView_->selectRow(row);
}

// A selected address shows whole above the table.
void MultiValueViewController::showAddress(const LabeledValueRecord &record) {
    if (!record.stringValue.isEmpty())
        addressField_->setText(oneLine(record.stringValue));
}

bool MultiValueViewController::isTextColumn(int column) const {
    return columns_.value(column).kind == MultiValueColumn::Text;
}

QString MultiValueViewController::cellText(int row, int column) const {
    if (row < 0 || row >= rows_.size() || !isTextColumn(column))
        return {};
    const LabeledValueRecord &record = rows_[row].record;
    const QString &identifier = columns_[column].identifier;
    if (type_ == FieldId::SocialNetwork) {
        if (identifier == UserIdentifierColumn)
            return record.userIdentifier;
        if (identifier == URLStringColumn)
            return record.urlString;
        if (identifier == UsernameColumn)
            return record.username.value_or(QString());
        return {};
    }
    if (type_ == FieldId::Address) {
        const QString *part = record.addressPart(identifier);
        return part ? *part : QString();
    }
    return record.valueText();
}

int MultiValueViewController::heightOfRow(int row) const {
    if (type_ != FieldId::Address || row < 0 || row >= rows_.size())
        return int(rowHeight_);
    const LabeledValueRecord &record = rows_[row].record;
    const qsizetype lines = std::max({lineCount(record.zip), lineCount(record.state), lineCount(record.city),
                                      lineCount(record.street)});
    return int(lines >= 2 ? double(lines) * (rowHeight_ - 2.0) : rowHeight_);
}

QStringList MultiValueViewController::popupTitles(int column) const {
    if (columns_.value(column).kind == MultiValueColumn::ServicePopup)
        return serviceLabels_;
    return QMPerson::localizedLabelsForIdentifier(type_).value_or(QStringList());
}

int MultiValueViewController::popupSelection(int row, int column) const {
    if (row < 0 || row >= rows_.size())
        return 0;
    const LabeledValueRecord &record = rows_[row].record;
    // A label or service the lists do not hold shows their first entry.
    const qsizetype position =
        columns_.value(column).kind == MultiValueColumn::ServicePopup
            ? serviceLabels_.indexOf(record.service)
            : QMPerson::labelsForIdentifier(type_).value_or(QStringList()).indexOf(record.labelText());
    return int(std::max<qsizetype>(position, 0));
}

void MultiValueViewController::textFieldCellChanged(int row, int column, const QString &text) {
    if (row < 0 || row >= rows_.size() || !isTextColumn(column) || text == cellText(row, column))
        return;
    LabeledValueRecord &record = rows_[row].record;
    const QString &identifier = columns_[column].identifier;
    if (type_ == FieldId::Address) {
        if (QString *part = record.addressPart(identifier))
            *part = text;
        QMPerson::updateAddressValue(record, true);
        addressField_->setText(oneLine(record.stringValue));
        tableView_->setRowHeight(row, heightOfRow(row));
    } else if (type_ == FieldId::SocialNetwork && identifier == UserIdentifierColumn) {
        record.userIdentifier = text;
    } else if (type_ == FieldId::SocialNetwork && identifier == URLStringColumn) {
        record.urlString = text;
    } else if (type_ == FieldId::SocialNetwork || type_ == FieldId::InstantMessage) {
        record.username = text;
        record.value = text;
    } else {
        record.value = text;
    }
    model_->rowChanged(row);
    noteChange();
}

void MultiValueViewController::popupButtonCellChanged(int row, int column, int index) {
    if (row < 0 || row >= rows_.size() || index < 0)
        return;
    LabeledValueRecord &record = rows_[row].record;
    switch (columns_.value(column).kind) {
    case MultiValueColumn::ServicePopup:
        record.service = serviceLabels_.value(index);
        break;
    case MultiValueColumn::LabelPopup: {
        const QString label = QMPerson::labelsForIdentifier(type_).value_or(QStringList()).value(index);
        record.label = label;
        if (type_ == FieldId::SocialNetwork)
            record.service = label;
        break;
    }
    default:
        return;
    }
    noteChange();
}

void MultiValueViewController::initCountryPopup(PullDownButton *popup, const QString &countryCode, int row) {
    const auto entry = addressFormatDict_.constFind(countryCode);
    const QString title = countryCode.isEmpty() ? CountryPullDown::defaultTitle(defaultCountryCode_)
                          : entry != addressFormatDict_.constEnd()
                              ? CountryPullDown::codeTitle(countryCode, CountryPullDown::listedName(*entry))
                              : CountryPullDown::codeTitle(countryCode, QString());
    const quint64 id = row >= 0 && row < rows_.size() ? rows_[row].id : 0;
    CountryPullDown::replaceMenu(popup,
                                 CountryPullDown::makeCountryMenu(title, defaultCountryCode_, addressFormatDict_, popup,
                                                                  [this, id](const QString &code, const QString &chosen) {
                                                                      for (int r = 0; r < rows_.size(); ++r) {
                                                                          if (rows_[r].id == id)
                                                                              return countryCodePopupChanged(r, code, chosen);
                                                                      }
                                                                  }));
}

void MultiValueViewController::countryCodePopupChanged(int row, const QString &code, const QString &title) {
    if (row < 0 || row >= rows_.size())
        return;
    LabeledValueRecord &record = rows_[row].record;
    // Stored codes may be lower case ("jp" from a file): the same country is no change.
    if (record.isoCountryCode.compare(code, Qt::CaseInsensitive) == 0)
        return;
    record.isoCountryCode = code;
    QMPerson::updateAddressValue(record, true);
    const int column = int(std::find_if(columns_.begin(), columns_.end(),
                                        [](const MultiValueColumn &c) {
                                            return c.kind == MultiValueColumn::CountryPopup;
                                        }) -
                           columns_.begin());
    if (auto *popup = qobject_cast<PullDownButton *>(tableView_->indexWidget(model_->index(row, column))))
        CountryPullDown::setTitle(popup, title);
    addressField_->setText(oneLine(record.stringValue));
    noteChange();
}

void MultiValueViewController::checkboxCellChanged(int row) {
    if (row < 0 || row >= rows_.size() || isAddressViewShowing_)
        return;
    const Row &opened = rows_[row];
    EditorContact contact = contextInfo()->contact;
    contact.addressValue = opened.record;
    // The row's frame in the table, from 10 points in.
    const QRect cell = tableView_->visualRect(model_->index(row, 0));
    QRect rect(10, cell.y(), tableView_->viewport()->width() - 10, cell.height());
    rect.translate(0, tableView_->viewport()->mapTo(tableView_, QPoint(0, 0)).y());
    addressRowId_ = opened.id;
    showAddressPopover(contact, FieldId::Address, opened.record.labelIndex, rect);
}

void MultiValueViewController::showAddressPopover(const EditorContact &contact, const QString &type,
                                                  qint64 labelIndex, const QRect &rect) {
    auto context = std::make_shared<EditorContext>();
    context->contact = contact;
    context->type = type;
    context->labelIndex = labelIndex;
    // A list that cannot be unlocked hands nothing back: the address is shown read-only.
    if (!editButton()->isEnabled())
        context->editEnabled = false;
    auto *editor = new AddressViewController;
    isAddressViewShowing_ = true;
    editor->openInPopover(std::move(context), isEditing(), AddressViewController::contentSize, rect, tableView_, this,
                          this);
}

void MultiValueViewController::popoverDidClose(Popover *popover) {
    const auto *editor = qobject_cast<const AddressViewController *>(popover->contentViewController());
    if (editor) {
        const SharedEditorContext &context = editor->contextInfo();
        if (context && context->isDirty() && context->type == FieldId::Address) {
            if (const auto *value = context->value.get<LabeledValueRecord>())
                applyAddress(*value);
        }
    }
    isAddressViewShowing_ = false;
    addressRowId_.reset();
    popover->deleteLater();
}

// The answer goes back to the row that opened the editor, wherever it stands now; a new
// address becomes a new row.
void MultiValueViewController::applyAddress(LabeledValueRecord value) {
    QMPerson::updateAddressValue(value, true);
    const auto opened = std::find_if(rows_.begin(), rows_.end(),
                                     [this](const Row &row) { return addressRowId_ && row.id == *addressRowId_; });
    int row = int(opened - rows_.begin());
    if (opened != rows_.end()) {
        LabeledValueRecord &record = opened->record;
        record.zip = value.zip;
        record.country = value.country;
        record.state = value.state;
        record.city = value.city;
        record.street = value.street;
        record.isoCountryCode = value.isoCountryCode;
        record.label = value.label;
        QMPerson::updateAddressValue(record, true);
    } else {
        value.labelIndex = QMPerson::nextLabelIndex(table());
        value.type = type_;
        rows_.append(makeRow(value));
        row = int(rows_.size()) - 1;
    }
    reloadData();
    selectRow(row);
    showAddress(value);
    delButton_->setEnabled(isEditing() && !rows_.isEmpty());
    noteChange();
}

void MultiValueViewController::add() {
    if (type_ == FieldId::Address) {
        LabeledValueRecord scratch;
        scratch.zip = AddressViewController::newAddressZIP;
        QMPerson::updateAddressValue(scratch, true);
        addressField_->setText(oneLine(scratch.stringValue));
        QRect rect = addButton_->rect();
        rect.moveTopLeft(tableView_->mapFromGlobal(addButton_->mapToGlobal(QPoint(0, 0))));
        addressRowId_.reset();
        showAddressPopover(contextInfo()->contact, FieldId::Address, LabeledValueRecord::noLabelIndex, rect);
        return;
    }
    const QString label = labels_.value(0);
    LabeledValueRecord record;
    record.value = NewValue;
    if (type_ == FieldId::InstantMessage) {
        record.service = CNInstantMessageServiceAIM;
        record.label = label;
        QMPerson::updateIMSValue(record);
    } else if (type_ == FieldId::SocialNetwork) {
        record.label = label;
        QMPerson::updateSNSValue(record);
    } else {
        record.stringValue = NewValue;
    }
    record.label = label;
    // A number no row has, even after deletions left gaps.
    record.labelIndex = QMPerson::nextLabelIndex(table());
    record.type = type_;
    const int selected = selectedRow();
    const int row = selected >= 0 ? selected + 1 : int(rows_.size());
    rows_.insert(row, makeRow(record));
    reloadData();
    selectRow(row);
    delButton_->setEnabled(true);
    noteChange();
}

void MultiValueViewController::remove() {
    const int selected = selectedRow();
    if (selected >= 0) {
        rows_.removeAt(selected);
        reloadData();
    }
    if (rows_.isEmpty())
        delButton_->setEnabled(false);
    noteChange();
}

void MultiValueViewController::tableViewDoubleAction(const QModelIndex &index) {
    if (isEditing() && index.isValid() && index.row() < rows_.size() && isTextColumn(index.column()))
        startEditing(index.row(), index.column());
}

void MultiValueViewController::startEditing(int row, int column) {
    const QModelIndex index = model_->index(row, column);
    tableView_->setCurrentIndex(index);
    tableView_->edit(index);
}

bool MultiValueViewController::doCommandBySelector(const QModelIndex &from, Command command) {
    if (!isEditing() || !from.isValid() || rows_.isEmpty())
        return false;
    QList<int> textColumns;
    for (int column = 0; column < columns_.size(); ++column) {
        if (isTextColumn(column))
            textColumns.append(column);
    }
    const int rows = int(rows_.size());
    int row = from.row();
    int column = from.column();
    if (command == Command::InsertTab) {
        const auto next = std::upper_bound(textColumns.begin(), textColumns.end(), column);
        if (next != textColumns.end()) {
            column = *next;
        } else {
            column = textColumns.first();
            row = (row + 1) % rows;
        }
    } else {
        row = (row + 1) % rows;
    }
    startEditing(row, column);
    return true;
}

void MultiValueViewController::sortDescriptorsDidChange(int column, Qt::SortOrder order) {
    const QString key = columns_.value(column).sortKey;
    if (key.isEmpty())
        return;
    sortColumn_ = column;
    sortOrder_ = order;
    tableView_->horizontalHeader()->setSortIndicator(column, order);
    tableView_->horizontalHeader()->setSortIndicatorShown(true);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row &a, const Row &b) {
        const int compared = collator.compare(sortText(a.record, key), sortText(b.record, key));
        return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
    });
    const int selected = selectedRow();
    reloadData();
    selectRow(selected);
}

bool MultiValueViewController::writeRowsWithIndexes(const QList<int> &rows, Pasteboard &pasteboard) {
    if (rows.isEmpty() || rows.first() < 0 || rows.first() >= rows_.size())
        return false;
    draggingSourceIndex_ = rows.first();
    pasteboard.declareTypes({PasteboardType::String});
    pasteboard.setString(rows_[draggingSourceIndex_].record.stringValue);
    return true;
}

Qt::DropAction MultiValueViewController::validateDrop(bool fromThisTable, int, DropOperation operation) const {
    return isEditing() && fromThisTable && operation == DropOperation::Above ? Qt::MoveAction : Qt::IgnoreAction;
}

bool MultiValueViewController::acceptDrop(int target, DropOperation) {
    const int source = draggingSourceIndex_;
    if (target < 0 || target > rows_.size() || target == source || source < 0 || source >= rows_.size())
        return false;
    const Row moved = rows_.takeAt(source);
    // Taking the row out first moves the rows after it up by one.
    const int landing = source < target ? target - 1 : target;
    rows_.insert(landing, moved);
    reloadData();
    selectRow(landing);
    noteChange();
    return true;
}

bool MultiValueViewController::writeAnswer(EditorContext &context) {
    tableView_->cellDelegate()->commitOpenEditor();
    const LabeledValueList list = table();
    context.values = list;
    answer(context, list);
    return true;
}

void MultiValueViewController::clearFields() {
    rows_.clear();
    reloadData();
}
