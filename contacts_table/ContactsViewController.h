#pragma once

#include "contacts_table/SubContactRow.h"
#include "editors/PopupAndTextCell.h"
#include "model/FindTarget.h"
#include "platform/ui/ViewController.h"

#include <QFont>
#include <QImage>
#include <QItemSelection>
#include <QVariantMap>

#include <optional>

class ContactsTableModel;
class QTableView;

// What the contacts table tells the main view, and the one thing it asks of it.
class ContactsViewControllerDelegate {
public:
    virtual ~ContactsViewControllerDelegate() = default;
    virtual void rowSelectionDidChange(const SubContactRowPtr &row) = 0;
    virtual void sortDescriptorsDidChange(const QList<SortDescriptor> &sortDescriptors) = 0;
    // The name of the group whose contacts are shown, for the footer.
    virtual QString selectedGroupName() = 0;
};

// What one cell of the contacts table shows.
struct ContactsTableCell {
    enum Kind { None, ImageAndText, DetailCell, TextCell, PopupAndText };

    Kind kind = None;
    QString text;
    QString detailText; // the name cell's second line
    QImage image;
    QFont font;
    TextHighlights highlights;
    bool editable = false;
    std::optional<PopupAndTextCell> popup; // for PopupAndText
};

// One column of the table: its field identifier, header title, sort prototype and width.
struct ContactsTableColumn {
    QString identifier;
    QString title;
    SortDescriptor sortDescriptorPrototype;
    double width = 200.0;
};

// The middle pane: the selected group's contacts, one or more rows each, in the columns of
// the selected view type, sorted by one column, with a footer row naming the group.
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

    // ---- State handed over by the main view
    SharedContactTable contactTable() const { return contactTable_; }
    void setContactTable(const SharedContactTable &table) { contactTable_ = table; }
    bool subContactTableDirty() const { return subContactTableDirty_; }
    void setSubContactTableDirty(bool dirty) { subContactTableDirty_ = dirty; }
    const SubContactTable &subContactTable() const { return subContactTable_; }
    QStringList selectedLabels() const { return selectedLabels_; }
    void setSelectedLabels(const QStringList &labels) { selectedLabels_ = labels; }
    bool editState() const { return editState_; }
    void setEditState(bool editState) { editState_ = editState; }
    QList<CustomItemDefinition> customItems() const { return customItems_; }
    void setCustomItems(const QList<CustomItemDefinition> &items) { customItems_ = items; }
    QString findString() const { return findString_; }
    void setFindString(const QString &findString) { findString_ = findString; }
    QString findOptions() const { return findOptions_; }
    void setFindOptions(const QString &findOptions) { findOptions_ = findOptions; }
    const std::optional<FindTarget> &selectedItemAndRange() const { return selectedItemAndRange_; }
    bool showCompanyInNameCell() const { return showCompanyInNameCell_; }
    void setShowCompanyInNameCell(bool show) { showCompanyInNameCell_ = show; }
    QVariantMap columnWidthDictionary() const { return columnWidthDictionary_; }

    // ---- Font, columns and view types
    QFont selectedFont() const { return selectedFont_; }
    QFont selectedBoldfont() const { return selectedBoldfont_; }
    qint64 rowHeight() const { return rowHeight_; }
    void setSelectedFont(const QFont &font);
    void setSelectedViewType(const QString &viewType);
    void updateColumnsInTableView(const QStringList &identifiers);
    void sortOptionsChanged(const QVariantMap &entry, const QString &columnName);
    void saveColumnWithDictionary();
    const QList<ContactsTableColumn> &tableColumns() const { return columns_; }
    QStringList tableIdentfiers() const;

    // ---- Rows and sorting
    int numberOfRowsInTableView() const;
    void updateSubContactTableForIdentifiers(const QStringList &identifiers);
    SubContactTable createSubContactsFromContact(const ContactEntry &entry, const QStringList &identifiers,
                                                 const QStringList &labels) const;
    void sortSubContactTable(const QList<SortDescriptor> &sortDescriptors, const QStringList &selectedLabels);
    QList<SortDescriptor> sortDescriptors() const { return sortDescriptors_; }
    // Makes these the table's sort, as a click on a column header does, and reports it.
    void setSortDescriptors(const QList<SortDescriptor> &sortDescriptors);
    void sortOptionSelected(const QString &columnIdentifier, const QString &option);
    // Registers a label word for a field in the class-level label table.
    void addLabel(const std::optional<QString> &label, const QString &identifier);
    // Sorts (rebuilding first when dirty) and shows the rows, keeping the selected indexes.
    void reloadData();

    // ---- Cells, heights, footer
    ContactsTableCell viewForTableColumn(const QString &identifier, int row);
    int heightOfRow(int row) const;
    QString footerText();
    bool shouldSelectRow(int row) const;

    // ---- Refresh and selection
    void updateTable();
    void updateTableWithIdentifier(const QString &identifier);
    void selectItemAndRange(const FindTarget &target);
    void selectRowIndexesWithContacts(const QList<ContactEntry> &entries);
    QList<int> selectedRowIndexes() const;
    void selectRowIndexes(const QList<int> &rows);
    QList<SubContactRowPtr> selectedSubContacts() const;
    QList<ContactEntry> selectedContacts() const;
    QList<ContactEntry> contactsForIndexes(const QList<int> &rows) const;
    QList<ContactEntry> selectedContactsWithClickedRowIndex(int clickedRow) const;

    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

protected:
    QWidget *loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class ContactsTableModel;

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
    bool isRow(int row) const { return row >= 0 && row < int(subContactTable_.size()); }
    std::optional<SortDescriptor> firstSortDescriptor() const;
    QString sortColumnIdentifier() const;
    // The value's running number of the row in a multi-valued column, if it has one.
    std::optional<qint64> labelIndexInColumn(const SubContactRow &row, const QString &identifier) const;
    bool isMultiValued(const QString &identifier, QMPerson &person) const;
    QString sortColumnValue(SubContactRow &row, const SortDescriptor &descriptor,
                            const QString &identifier) const;
    ContactsTableCell textCell(const QString &text, const QString &identifier, const SubContactRow &row,
                               bool editable) const;
    ContactsTableCell popupCell(const QString &identifier, const SubContactRow &row,
                                const std::optional<LabeledValueRecord> &value, const QString &labelsOf);
    void refreshViewsShowingSelection();

    ContactsViewControllerDelegate *delegate_ = nullptr;
    QTableView *tableView_ = nullptr;
    QWidget *viewport_ = nullptr;
    ContactsTableModel *model_ = nullptr;
    SharedContactTable contactTable_;
    SubContactTable subContactTable_;
    QFont selectedFont_;
    QFont selectedBoldfont_;
    qint64 rowHeight_ = 20;
    QStringList selectedLabels_ = {QStringLiteral("All")};
    bool editState_ = true;
    QVariantMap columnWidthDictionary_;
    bool hasColumnWidthDictionary_ = false;
    bool showCompanyInNameCell_ = false;
    QList<CustomItemDefinition> customItems_;
    bool subContactTableDirty_ = false;
    QString findString_;
    QString findOptions_;
    std::optional<FindTarget> selectedItemAndRange_;
    QList<ContactsTableColumn> columns_;
    QList<SortDescriptor> sortDescriptors_;
    // Selection changes made while the table reloads keep the former indexes silently.
    int silentSelection_ = 0;
    int selectionReports_ = 0;
    bool adjustingColumns_ = false;
};
