#pragma once

#include "contacts_table/ContactsTableModel.h"
#include "contacts_table/SubContactRow.h"
#include "model/FindTarget.h"
#include "platform/ui/ViewController.h"
#include "state/ActionIds.h"
#include "state/SharedSettings.h"
#include "state/WindowState.h"

#include <QFont>
#include <QItemSelection>
#include <QPointer>

#include <memory>
#include <optional>

class QTableView;

// What the contacts table tells the main view, and what it asks of it.
class ContactsViewControllerDelegate {
public:
    virtual ~ContactsViewControllerDelegate() = default;
    virtual void rowSelectionDidChange(const SubContactRowPtr &row) = 0;
    virtual void sortDescriptorsDidChange(const QList<SortDescriptor> &sortDescriptors) = 0;
    // The name of the group whose contacts are shown, for the footer.
    virtual QString selectedGroupName() = 0;
    // Sheets of the folders above the table, which only the window can open. A table
    // without a window opens none.
    virtual void showQRCodePanel(const SubContactRowPtr &row) { Q_UNUSED(row) }
};

// The middle pane: the selected group's contacts, one or more rows each, in the columns of
// the selected view type, sorted by one column, with a footer row naming the group. It
// follows the shared view settings (view type, columns, label filter, sort options) and
// its window's state (edit state, custom items, find marks, font) as they change.
class ContactsViewController : public ViewController {
    Q_OBJECT
public:
    static constexpr double minimumColumnWidth = 20.0;
    static constexpr int buildDeadlineMilliseconds = 200 * 1000;

    explicit ContactsViewController(QObject *parent = nullptr);
    ~ContactsViewController() override;

    ContactsViewControllerDelegate *delegate() const { return delegate_; }
    void setDelegate(ContactsViewControllerDelegate *delegate) { delegate_ = delegate; }
    QTableView *tableView();
    ContactsTableModel *tableModel() const { return model_; }

    // ---- What the table follows: its window's state (its own until the window gives one)
    // and the settings shared by the windows.
    WindowState *windowState() const { return windowState_; }
    void setWindowState(WindowState *state);
    SharedSettings *settings() const { return settings_.get(); }
    void setSettings(std::shared_ptr<SharedSettings> settings);

    // ---- The shown group's contacts, shared with the main view
    SharedContactTable contactTable() const { return contactTable_; }
    void setContactTable(const SharedContactTable &table) { contactTable_ = table; }
    bool subContactTableDirty() const { return subContactTableDirty_; }
    void setSubContactTableDirty(bool dirty) { subContactTableDirty_ = dirty; }
    const SubContactTable &subContactTable() const { return model_->rows(); }
    const QStringList &selectedLabels() const;
    bool editState() const;
    const QList<CustomItemDefinition> &customItems() const;
    const QString &findString() const;
    const QString &findOptions() const;
    const std::optional<FindTarget> &selectedItemAndRange() const;
    bool showCompanyInNameCell() const { return model_->appearance().showCompanyInNameCell; }
    void setShowCompanyInNameCell(bool show);
    ColumnWidthTable columnWidthDictionary() const { return columnWidthDictionary_; }

    // ---- Font, columns and view types
    QFont selectedFont() const { return model_->appearance().font; }
    QFont selectedBoldfont() const { return model_->appearance().boldFont; }
    qint64 rowHeight() const { return model_->appearance().rowHeight; }
    void setSelectedFont(const QFont &font);
    void setSelectedViewType(const QString &viewType);
    void updateColumnsInTableView(const QStringList &identifiers);
    void sortOptionsChanged(const SortOptions::Entry &entry, const QString &columnName);
    void saveColumnWithDictionary();
    const QList<ContactsTableColumn> &tableColumns() const { return model_->columns(); }
    QStringList tableIdentfiers() const { return model_->columnIdentifiers(); }

    // ---- Rows and sorting
    int numberOfRowsInTableView() const { return model_->rowCount(); }
    void updateSubContactTableForIdentifiers(const QStringList &identifiers);
    SubContactTable createSubContactsFromContact(const ContactEntry &entry, const QStringList &identifiers,
                                                 const QStringList &labels) const;
    QList<SortDescriptor> sortDescriptors() const { return sortDescriptors_; }
    // Makes these the table's sort, as a click on a column header does, and reports it.
    void setSortDescriptors(const QList<SortDescriptor> &sortDescriptors);
    void sortOptionSelected(const QString &columnIdentifier, const QString &option);
    // Registers a label word for a field in the class-level label table.
    void addLabel(const std::optional<QString> &label, const QString &identifier);
    // Sorts (rebuilding first when dirty) and shows the rows, keeping the selected indexes.
    void reloadData();

    // ---- Cells, heights, footer
    ContactsTableCell viewForTableColumn(const QString &identifier, int row) const;
    int heightOfRow(int row) const { return model_->heightOfRow(row); }
    QString footerText() const;
    bool shouldSelectRow(int row) const { return model_->isRow(row); }

    // ---- Refresh and selection
    void updateTable();
    void updateTableWithIdentifier(const QString &identifier);
    // Marks the match and selects its row; none takes the current match off the table.
    void selectItemAndRange(const std::optional<FindTarget> &target);
    void selectRowIndexesWithContacts(const QList<ContactEntry> &entries);
    QList<int> selectedRowIndexes() const;
    void selectRowIndexes(const QList<int> &rows);
    QList<SubContactRowPtr> selectedSubContacts() const;
    QList<ContactEntry> selectedContacts() const;
    QList<ContactEntry> contactsForIndexes(const QList<int> &rows) const;
    QList<ContactEntry> selectedContactsWithClickedRowIndex(int clickedRow) const;

    // ---- Commands on the row under the context menu, else on the selected row
    // The row the context menu opened on: set when it opens, -1 again once it has closed.
    int clickedRow() const { return clickedRow_; }
    void setClickedRow(int row) { clickedRow_ = row; }
    // The row a command of one row acts on: the clicked row, else the selected row.
    SubContactRowPtr commandRow() const;
    void showQRCode(QObject *sender);
    bool validateMenuItem(MenuItem *item) override;

    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

protected:
    QWidget *loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tableViewSortDescriptorsDidChange(const QList<SortDescriptor> &oldDescriptors);
    void tableViewSelectionDidChange();
    void tableViewColumnDidResize(int column, int newWidth);
    void tableViewColumnDidMove(int logical, int oldVisual, int newVisual);
    void columnHeaderClicked(int column);
    void applyRowHeights();
    // After a model reset: the same row indexes selected again, as a reload keeps them,
    // without telling the delegate.
    void keepSelection(const QList<int> &rows);
    void applyColumnWidths();
    void showSortIndicator();
    void scrollRowToVisible(int row);
    // Selects the rows that exist, none when none does, and scrolls the first into view.
    void selectAndScroll(const QList<int> &rows);
    int selectedRow() const;
    bool isRow(int row) const { return model_->isRow(row); }
    std::optional<SortDescriptor> firstSortDescriptor() const;
    QString sortColumnIdentifier() const;
    // The value's running number of the row in a multi-valued column, if it has one.
    std::optional<qint64> labelIndexInColumn(const SubContactRow &row, const QString &identifier) const;
    bool isMultiValued(const QString &identifier, QMPerson &person) const;
    QString sortColumnValue(SubContactRow &row, const SortDescriptor &descriptor,
                            const QString &identifier) const;
    void refreshViewsShowingSelection();
    // ---- Following the shared settings once the table has appeared
    void viewTypeDictDidChange();
    void sortOptionsDictDidChange();
    void sortRows(SubContactTable &rows) const;
    QString currentFooterText() const;

    ContactsViewControllerDelegate *delegate_ = nullptr;
    QPointer<WindowState> windowState_;
    std::shared_ptr<SharedSettings> settings_;
    QList<QMetaObject::Connection> stateConnections_;
    QList<QMetaObject::Connection> settingsConnections_;
    QTableView *tableView_ = nullptr;
    QWidget *viewport_ = nullptr;
    ContactsTableModel *model_ = nullptr;
    SharedContactTable contactTable_;
    std::optional<SubContactTable> pendingRows_;
    ColumnWidthTable columnWidthDictionary_;
    bool hasColumnWidthDictionary_ = false;
    bool subContactTableDirty_ = false;
    bool appeared_ = false;
    QList<SortDescriptor> sortDescriptors_;
    // Selection changes made while the table reloads keep the former indexes silently.
    int silentSelection_ = 0;
    int selectionReports_ = 0;
    bool adjustingColumns_ = false;
    int clickedRow_ = -1;
    ValidationTable<MenuItem> validation_;
};
