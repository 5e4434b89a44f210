#pragma once

#include "editors/MultiValueTable.h"
#include "editors/PopoverEditor.h"
#include "model/PersonRecords.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>

class MultiValueTableModel;
class MultiValueTableView;
class QComboBox;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTableView;

// Edits every value of one multi-valued field of a contact at once (phones, e-mail
// addresses, URLs, related names, postal addresses, instant messages, social profiles, a
// labeled custom item): one row per value, the columns by field kind. Rows are added,
// deleted, sorted and dragged into another order; an address row opens the postal
// address editor. Done hands the whole list back; the opener replaces the field with it.
class MultiValueViewController : public PopoverEditor, public PopoverDelegate, public MultiValueTableSource {
    Q_OBJECT
public:
    explicit MultiValueViewController(QObject *parent = nullptr);
    ~MultiValueViewController() override;

    // The content size an opener gives the popover; the contacts table gives addresses a
    // taller one.
    static QSize contentSizeFor(const QString &type, bool fromContactsTable);
    static QList<MultiValueColumn> columnsFor(const QString &type);

    Popover *parentPopover() const { return popover(); }
    void setParentPopover(Popover *popover) { setPopover(popover); }
    // The opener's table font: the rows' font and height.
    void setSelectedFont(const QFont &font);
    double rowHeight() const { return rowHeight_; }

    // The rows, in shown order: what Done hands back.
    LabeledValueList table() const;
    int numberOfRows() const override { return int(rows_.size()); }
    const LabeledValueRecord &record(int row) const override { return rows_.at(row).record; }
    const QList<MultiValueColumn> &columns() const override { return columns_; }
    bool isEditingList() const override { return isEditing(); }
    QString type() const { return type_; }
    bool isAddressViewShowing() const { return isAddressViewShowing_; }

    QTableView *tableView() const;
    QComboBox *typePopup() const { return typePopup_; }
    QLineEdit *addressField() const { return addressField_; }
    QPushButton *addButton() const { return addButton_; }
    QPushButton *delButton() const { return delButton_; }

    // What a cell shows, and what the user's changes of cells do.
    QString cellText(int row, int column) const override;
    int heightOfRow(int row) const;
    void textFieldCellChanged(int row, int column, const QString &text) override;
    void popupButtonCellChanged(int row, int column, int index) override;
    void countryCodePopupChanged(int row, const QString &code, const QString &title);
    void checkboxCellChanged(int row) override;
    void tableViewDoubleAction(const QModelIndex &index);
    void sortDescriptorsDidChange(int column, Qt::SortOrder order);
    // The popup of a label or service cell: its titles and the shown one.
    QStringList popupTitles(int column) const override;
    int popupSelection(int row, int column) const override;
    // Builds a row's country pull-down.
    void initCountryPopup(PullDownButton *popup, const QString &countryCode, int row) override;

    // Tab moves to the next text cell of the row, then to the next row's first (after the
    // last row, row 0's); Return to the same column of the next row. Answers whether the
    // command was handled: only while editing.
    bool doCommandBySelector(const QModelIndex &from, Command command) override;

    // Reordering rows by dragging, only within the table.
    bool writeRowsWithIndexes(const QList<int> &rows, Pasteboard &pasteboard) override;
    Qt::DropAction validateDrop(bool fromThisTable, int row, DropOperation operation) const override;
    bool acceptDrop(int row, DropOperation operation) override;

    // Opens the postal address editor as a child popover below `rect` of the table.
    void showAddressPopover(const EditorContact &contact, const QString &type, qint64 labelIndex, const QRect &rect);
    void popoverDidClose(Popover *popover) override;

protected:
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;
    bool writeAnswer(EditorContext &context) override;
    void clearFields() override;

private:
    struct Row {
        LabeledValueRecord record;
        quint64 id = 0; // stays with the record through every reordering
    };

    void add();
    void remove();
    void reloadData();
    int selectedRow() const;
    void selectRow(int row);
    void showAddress(const LabeledValueRecord &record);
    void applyAddress(LabeledValueRecord value);
    Row makeRow(const LabeledValueRecord &record);
    bool isTextColumn(int column) const;
    void startEditing(int row, int column);

    QString type_;
    QList<MultiValueColumn> columns_;
    QList<Row> rows_;
    quint64 nextRowId_ = 1;
    QStringList labels_;
    QStringList localizedLabels_;
    QStringList serviceLabels_;
    QString defaultCountryCode_;
    QHash<QString, AddressFormatEntry> addressFormatDict_;
    QFont selectedFont_;
    double rowHeight_ = 20.0;
    int draggingSourceIndex_ = -1;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool isAddressViewShowing_ = false;
    // The row whose address the open address editor edits; none for a new address.
    std::optional<quint64> addressRowId_;

    QComboBox *typePopup_ = nullptr;
    QLineEdit *addressField_ = nullptr;
    MultiValueTableView *tableView_ = nullptr;
    MultiValueTableModel *model_ = nullptr;
    QPushButton *addButton_ = nullptr;
    QPushButton *delButton_ = nullptr;
};
