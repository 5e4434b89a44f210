#include "editors/DatesViewController.h"

#include "editors/DateText.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Beep.h"
#include "platform/ui/Menu.h"

#include <algorithm>
#include <functional>

#include <QAbstractTableModel>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

// The rows as the table shows them: the label's title (a popup while editing) and the
// date's text; cells are editable only while the editor is.
class DatesTableModel : public QAbstractTableModel {
public:
    explicit DatesTableModel(DatesViewController *editor)
        : QAbstractTableModel(editor)
        , editor_(editor) {}

    int rowCount(const QModelIndex &parent) const override {
        return parent.isValid() ? 0 : int(editor_->table_.size());
    }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex &index, int role) const override {
        const LabeledValueRecord &row = editor_->table_.at(index.row());
        if (index.column() == DatesViewController::DateColumn)
            return role == Qt::DisplayRole || role == Qt::EditRole ? QVariant(row.stringValue) : QVariant();
        const qsizetype position = editor_->labels_.indexOf(row.labelText());
        if (role == Qt::EditRole)
            return int(position);
        if (role == Qt::DisplayRole)
            return position >= 0 ? editor_->localizedLabels_.value(position)
                                 : QMPerson::localizedIdentifierForKey(row.labelText());
        if (role == Qt::ForegroundRole && !editor_->isEditing())
            return editor_->tableView_->palette().color(QPalette::Disabled, QPalette::Text);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return QMPerson::localizedIdentifierForKey(
            section == DatesViewController::LabelColumn ? QStringLiteral("label") : FieldId::Dates);
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override {
        Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        if (editor_->isEditing())
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override {
        if (role != Qt::EditRole)
            return false;
        const bool changed = index.column() == DatesViewController::LabelColumn
                                 ? editor_->setLabelOfRow(index.row(), value.toInt())
                                 : editor_->setDateTextOfRow(index.row(), value.toString());
        if (changed)
            emit dataChanged(index, index);
        return changed;
    }

    void reset() {
        beginResetModel();
        endResetModel();
    }

private:
    DatesViewController *editor_;
};

// The label popups and the date field of the cells. It keeps the open date field, so
// Done can commit a date still being typed.
class DatesCellDelegate : public QStyledItemDelegate {
public:
    DatesCellDelegate(DatesViewController *editor, QObject *parent)
        : QStyledItemDelegate(parent)
        , editor_(editor) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override {
        if (index.column() != DatesViewController::LabelColumn) {
            QWidget *field = QStyledItemDelegate::createEditor(parent, option, index);
            openDateField_ = field;
            // Typing is a change: Done may take the text before it is committed.
            if (auto *line = qobject_cast<QLineEdit *>(field))
                connect(line, &QLineEdit::textEdited, editor_, &DatesViewController::cellEdited);
            return field;
        }
        auto *popup = new PopUpButton(parent);
        popup->setFrame(false);
        popup->addItems(editor_->localizedLabels());
        connect(popup, &QComboBox::activated, this,
                [this, popup] { emit const_cast<DatesCellDelegate *>(this)->commitData(popup); });
        return popup;
    }
    // A label popup hands its choice back when the user makes it (activated); the focus
    // leaving it, as when the editor's window first takes the keyboard and moves on, is no
    // edit that would enable Done.
    bool eventFilter(QObject *object, QEvent *event) override {
        if (event->type() == QEvent::FocusOut && qobject_cast<QComboBox *>(object))
            return false;
        return QStyledItemDelegate::eventFilter(object, event);
    }
    void setEditorData(QWidget *widget, const QModelIndex &index) const override {
        if (auto *popup = qobject_cast<QComboBox *>(widget))
            popup->setCurrentIndex(index.data(Qt::EditRole).toInt());
        else
            QStyledItemDelegate::setEditorData(widget, index);
    }
    void setModelData(QWidget *widget, QAbstractItemModel *model, const QModelIndex &index) const override {
        if (auto *popup = qobject_cast<QComboBox *>(widget))
            model->setData(index, popup->currentIndex(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(widget, model, index);
    }

    void destroyEditor(QWidget *widget, const QModelIndex &index) const override {
        if (widget == openDateField_)
            openDateField_ = nullptr;
        QStyledItemDelegate::destroyEditor(widget, index);
    }

    void commitOpenDateField() {
        if (QWidget *field = openDateField_) {
            openDateField_ = nullptr;
            emit commitData(field);
            emit closeEditor(field);
        }
    }

private:
    DatesViewController *editor_;
    mutable QPointer<QWidget> openDateField_;
};

DatesViewController::DatesViewController(QObject *parent)
    : PopoverEditor(Departures::returnCommitsFields(), parent) {}

DatesViewController::~DatesViewController() = default;

QWidget *DatesViewController::makeBody() {
    contactNameField()->setPlaceholderText(L("Name"));
    auto *body = new QWidget;
    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(0, 2, 0, 2);
    column->setSpacing(4);

    tableView_ = new QTableView;
    model_ = new DatesTableModel(this);
    delegate_ = new DatesCellDelegate(this, tableView_);
    tableView_->setModel(model_);
    tableView_->setItemDelegate(delegate_);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tableView_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                QAbstractItemView::EditKeyPressed);
    tableView_->verticalHeader()->hide();
    tableView_->verticalHeader()->setDefaultSectionSize(24);
    tableView_->horizontalHeader()->setSectionResizeMode(LabelColumn, QHeaderView::Interactive);
    tableView_->horizontalHeader()->setStretchLastSection(true);
    tableView_->setColumnWidth(LabelColumn, 130);
    column->addWidget(tableView_, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    addButton_ = new QPushButton(QStringLiteral("+"));
    delButton_ = new QPushButton(QStringLiteral("\u2212"));
    for (QPushButton *button : {addButton_, delButton_}) {
        button->setFixedSize(28, 22);
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    addButton_->setToolTip(L("Add"));
    delButton_->setToolTip(L("Delete"));
    buttons->addStretch(1);
    column->addLayout(buttons);

    dateControls_ = new DateControls;
    keepReturn(dateControls_->yearField());
    // Return in a cell is the cell's; with the table itself focused (as Edit leaves it) it
    // presses Done.
    keepReturn(tableView_->viewport());
    column->addWidget(dateControls_);

    connect(addButton_, &QPushButton::clicked, this, &DatesViewController::addRow);
    connect(delButton_, &QPushButton::clicked, this, &DatesViewController::deleteRows);
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DatesViewController::rowSelected);
    connect(dateControls_, &DateControls::dateChanged, this, &DatesViewController::controlsChanged);
    return body;
}

void DatesViewController::fillFromContext(bool) {
    const EditorContext &context = *contextInfo();
    type_ = context.type;
    labels_ = QMPerson::labelTableDict().value(FieldId::Dates);
    localizedLabels_ = QMPerson::localizedLabelsForIdentifier(FieldId::Dates).value_or(QStringList());
    table_ = person()->labeledValueForIdentifier(type_).value_or(LabeledValueList());
    reloadTable();
    // The opener names the value by its running number, not by its position.
    const qsizetype row = QMPerson::findLabeledValue(table_, context.labelIndex.value_or(-1));
    if (row >= 0 && row < table_.size())
        selectRow(int(row));
    else
        tableView_->clearSelection();
}

void DatesViewController::didSetContextInfo() {
    if (isEditing() && table_.isEmpty())
        addButton_->click();
}

void DatesViewController::showEditState(bool editing) {
    dateControls_->setControlsEnabled(editing);
    addButton_->setEnabled(editing);
    delButton_->setEnabled(editing && !table_.isEmpty());
    reloadTable();
    if (editing)
        tableView_->setFocus();
}

// A reset closes the cell popups; while editing every label cell shows one.
void DatesViewController::reloadTable() {
    const int selected = selectedRow();
    const QModelIndexList rows = tableView_->selectionModel()->selectedRows();
    model_->reset();
    {
        const QSignalBlocker blocker(tableView_->selectionModel());
        for (const QModelIndex &row : rows)
            tableView_->selectionModel()->select(model_->index(row.row(), 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (selected >= 0)
            tableView_->selectionModel()->setCurrentIndex(model_->index(selected, 0),
                                                          QItemSelectionModel::NoUpdate);
    }
    if (isEditing())
        for (int row = 0; row < model_->rowCount({}); ++row)
            tableView_->openPersistentEditor(model_->index(row, LabelColumn));
}

int DatesViewController::selectedRow() const {
    const QItemSelectionModel *selection = tableView_->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), {}))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.last().row();
}

void DatesViewController::selectRow(int row) {
    tableView_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                             QItemSelectionModel::Rows);
}

void DatesViewController::rowSelected() {
    const int row = selectedRow();
    if (row >= 0 && table_.at(row).dateValue)
        dateControls_->showComponents(table_.at(row).dateValue);
}

QString DatesViewController::updateUIFromDateComponents(const DateComponents &components) {
    dateControls_->showComponents(components);
    return DateText::stringFromDateComponents(components);
}

void DatesViewController::controlsChanged(const DateComponents &components) {
    const int row = selectedRow();
    if (!isEditing() || row < 0)
        return;
    table_[row].dateValue = components;
    table_[row].stringValue = DateText::stringFromDateComponents(components);
    emit model_->dataChanged(model_->index(row, DateColumn), model_->index(row, DateColumn));
    noteChange();
}

void DatesViewController::cellEdited() {
    noteChange();
}

bool DatesViewController::setLabelOfRow(int row, int labelPosition) {
    if (labelPosition < 0 || labelPosition >= labels_.size())
        return false;
    table_[row].label = labels_.at(labelPosition);
    noteChange();
    return true;
}

bool DatesViewController::setDateTextOfRow(int row, const QString &text) {
    LabeledValueRecord &record = table_[row];
    if (text == record.stringValue)
        return false;
    if (type_ != FieldId::Dates) {
        record.value = text;
        record.stringValue = text;
    } else if (const auto components = DateText::dateComponentsFromString(text)) {
        record.dateValue = components;
        record.stringValue = updateUIFromDateComponents(*components);
    } else {
        beep();
        return false;
    }
    noteChange();
    return true;
}

void DatesViewController::addRow() {
    if (type_ != FieldId::Dates) {
        beep();
        return;
    }
    LabeledValueRecord record;
    record.dateValue = DateControls::today();
    record.stringValue = DateText::stringFromDateComponents(DateControls::today());
    record.type = type_;
    record.label = labels_.value(0);
    // Never a number already used: values may have been deleted from the middle.
    record.labelIndex = QMPerson::nextLabelIndex(table_);
    const int selected = selectedRow();
    const int at = selected >= 0 ? selected + 1 : int(table_.size());
    table_.insert(at, record);
    reloadTable();
    selectRow(at);
    delButton_->setEnabled(true);
    noteChange();
}

void DatesViewController::deleteRows() {
    QList<int> rows;
    for (const QModelIndex &index : tableView_->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (const int row : rows)
        table_.removeAt(row);
    tableView_->clearSelection();
    reloadTable();
    delButton_->setEnabled(!table_.isEmpty());
    noteChange();
}

bool DatesViewController::writeAnswer(EditorContext &context) {
    delegate_->commitOpenDateField();
    answer(context, table_);
    return true;
}

void DatesViewController::clearFields() {
    table_.clear();
    reloadTable();
}
