#pragma once

#include "contact_info/ContactInfoPopover.h"
#include "editors/CellTextEditor.h"
#include "contacts_table/ContactWindows.h"
#include "contacts_table/ContactsTableModel.h"
#include "contacts_table/ReplaceAlertPanel.h"
#include "contacts_table/SubContactRow.h"
#include "editors/EditorAnswer.h"
#include "model/FindTarget.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Popover.h"
#include "platform/ui/TableRowDragDrop.h"
#include "platform/ui/ViewController.h"
#include "state/ActionIds.h"
#include "state/SharedSettings.h"
#include "state/WindowState.h"

#include <QFont>
#include <QItemSelection>
#include <QPointer>
#include <QSet>

#include <memory>
#include <optional>

class NameViewControllerDelegate;
class Pasteboard;
class PopoverEditor;
class ReplaceAlertPanel;
class QTableView;

// What the contacts table tells the main view and asks of it. Edits made in the table end
// in the window's undoable edits: the answers of the editors it opens (the receiver's
// operations) and typed texts (those and the string replace).
class ContactsViewControllerDelegate : public EditorAnswerReceiver {
public:
    virtual void rowSelectionDidChange(const SubContactRowPtr &row) = 0;
    virtual void sortDescriptorsDidChange(const QList<SortDescriptor> &sortDescriptors) = 0;
    // The name of the group whose contacts are shown, for the footer.
    virtual QString selectedGroupName() = 0;
    // The names of the groups holding the contact: the contact popovers show them in their
    // Groups row, whatever rows the table has made again since it was selected.
    virtual QStringList groupNamesOfContact(const QString &uniqueId) const {
        Q_UNUSED(uniqueId)
        return {};
    }
    virtual bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                        const PersonPtr &contact, QObject *sender) = 0;
    // Around the edits of several rows: the window refreshes once, when they end.
    virtual void beginDeferringRefreshes() {}
    virtual void endDeferringRefreshes() {}
    // Whom the name editor and the contact popovers the table opens report to.
    virtual NameViewControllerDelegate *nameViewControllerDelegate() = 0;
    virtual ContactInfoPopoverDelegate *contactInfoPopoverDelegate() = 0;
    virtual bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                                     const PersonPtr &contact, QObject *sender) = 0;
    // Sheets of the folders above the table and the window's own contact commands, which
    // only the window can run. A table without a window runs none.
    virtual void showQRCodePanel(const SubContactRowPtr &row) { Q_UNUSED(row) }
    // The merge sheet on the first two contacts; Done after a change applies its result
    // as one undo step.
    virtual void showMergePanel(const QList<ContactEntry> &contacts) { Q_UNUSED(contacts) }
    virtual void duplicateContacts(const QList<ContactEntry> &contacts) { Q_UNUSED(contacts) }
    virtual void deleteContacts(const QList<ContactEntry> &contacts) { Q_UNUSED(contacts) }
    // The window's Export as vCard, for these contacts.
    virtual void exportContacts(const QList<ContactEntry> &contacts) { Q_UNUSED(contacts) }
    // ---- Contacts that enter through the table (paste and drops)
    // The cards of vCard text, added to the group (the selected one when none is given)
    // with undo, the window marked edited; text without a card adds nothing.
    virtual void addContactByVCardString(const QString &vCardString, const SharedGroup &group) {
        Q_UNUSED(vCardString)
        Q_UNUSED(group)
    }
    virtual SharedGroup selectedGroupDict() const { return nullptr; }
    // The window's one way in for contacts: their custom items registered, added to the
    // group as one undo step, the window marked edited.
    virtual void addContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) {
        Q_UNUSED(contacts)
        Q_UNUSED(group)
    }
};

// A contact popover the table opened, or the window it was torn off into.
struct DetachedWindowEntry {
    QString uniqueId;
    // None while the entry stands for the popover itself.
    QPointer<DetachedWindowController> windowController;
};

// The middle pane: the selected group's contacts, one or more rows each, in the columns of
// the selected view type, sorted by one column, with a footer row naming the group. It
// follows the shared view settings (view type, columns, label filter, sort options) and
// its window's state (edit state, custom items, find marks, font) as they change.
class ContactsViewController : public ViewController,
                               public PopoverDelegate,
                               public ContactWindows,
                               public MenuDelegate {
    Q_OBJECT
public:
    // The rows an edit or an editor's answer goes to, taken when it starts.
    using EditRows = QList<SubContactRowPtr>;

    static constexpr double minimumColumnWidth = 20.0;
    static constexpr int buildDeadlineMilliseconds = 200 * 1000;
    // The order of a table no one has sorted: by name, ascending.
    static inline const SortDescriptor defaultSort{FieldId::CompositeName, true, false};

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
    // The first contacts of a table that has appeared take the stored last sort.
    void setContactTable(const SharedContactTable &table);
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
    // The view type's columns this window shows: the fields and address parts, and of the
    // custom items (another window's may stand in the shared list) its own.
    QStringList columnsOfViewType(const QString &viewType) const;
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
    // After values of these contacts changed: when they are few only their rows are made
    // again; the selection stays on the same contacts and values, as updateTable keeps it.
    void updateTableWithContacts(const QList<std::shared_ptr<QMPerson>> &contacts);
    static constexpr qsizetype fewContacts = 8;
    // After one field of a contact changed. With the contact, only its rows are made again
    // and moved to their sorted places; without, every row is.
    void updateTableWithIdentifier(const QString &identifier, const std::shared_ptr<QMPerson> &contact = nullptr);
    // Marks the match and selects its row; none takes the current match off the table.
    void selectItemAndRange(const std::optional<FindTarget> &target);
    void selectRowIndexesWithContacts(const QList<ContactEntry> &entries);
    QList<int> selectedRowIndexes() const;
    void selectRowIndexes(const QList<int> &rows);
    QList<SubContactRowPtr> selectedSubContacts() const;
    QList<ContactEntry> selectedContacts() const;
    QList<ContactEntry> contactsForIndexes(const QList<int> &rows) const;
    QList<ContactEntry> selectedContactsWithClickedRowIndex(int clickedRow) const;

    // ---- The header's sort menu and the cells' context menu (ContactsTableMenus.cpp),
    // rebuilt each time one opens. The cell the context menu opened on is the clicked cell
    // (-1 again once the menu's command has run); a menu opened away from every cell is the
    // sort menu of the column under the pointer.
    int clickedRow() const { return clickedRow_; }
    int clickedColumn() const { return clickedColumn_; }
    void setClickedRow(int row) { clickedRow_ = row; }
    void setClickedCell(int row, int column);
    // Opens the menu for a point of the table's viewport, or of its header; none when
    // the menu would be empty (the footer row, a column without sort options).
    Menu *popUpMenuForCellAt(const QPoint &viewportPoint);
    Menu *popUpMenuForHeaderAt(const QPoint &headerPoint);
    Menu *cellMenu() const { return cellMenu_; }
    Menu *headerMenu() const { return headerMenu_; }
    void menuNeedsUpdate(Menu *menu) override;
    bool validateMenuItem(MenuItem *item) override;
    // The editor or contact popover the item names, for the clicked row (and, while
    // editing, the selected rows, once the user agreed).
    void showPopoverWrapper(QObject *sender);
    // Hands the clicked value to another application.
    void doWorkspaceAction(QObject *sender);
    void toggleShowCompany(QObject *sender);

    // ---- Item commands on the clicked column of the clicked row and, when it is among
    // them, the selected rows (ContactsTableCommands.cpp); none acts in a locked window, and
    // none reaches a value the label filter hides.
    void deleteItem(QObject *sender);
    void replaceItem(QObject *sender);
    void insertItem(QObject *sender);
    void prependItem(QObject *sender);
    void appendItem(QObject *sender);
    // The dialog of the replace, prepend or append command whose sheet is up.
    ReplaceAlertPanel *replaceAlertPanel() const { return replaceAlertPanel_; }

    // ---- Contact commands
    // The row a command of one row acts on: the clicked row, else the selected row.
    SubContactRowPtr commandRow() const;
    void showQRCode(QObject *sender);
    void mergeContacts(QObject *sender);
    // The phone numbers the selected rows show, in the layout the item's title shows;
    // nothing in a locked window.
    void normalizePhoneNumber(QObject *sender);
    void duplicateContact(QObject *sender);
    void deleteContact(QObject *sender);
    void exportContact(QObject *sender);

    // ---- In-cell editing and multi-row apply (ContactsTableEditing.cpp)
    // A double click on a cell, with the keys then held.
    void tableViewDoubleAction(int column, int row, Qt::KeyboardModifiers modifiers = {});
    // Edits the cell in place or opens its editor, for the rows taken for the edit (the row
    // alone when none were).
    void editTableViewCellOrShowPopover(int column, int row, bool commandHeld = false);
    // Starts editing the cell in place; its text goes to `rows` when the edit ends.
    void editColumn(int column, int row, const EditRows &rows);
    CellTextEditor *cellEditor() const;
    // A cell's typed text, for the rows its edit was started with.
    void textFieldCellChanged(const SubContactRowPtr &row, const QString &identifier, const QString &text,
                              const EditRows &rows);
    // A label picked at `index` in the label popup of a cell.
    void popupLabelCellChanged(int row, int column, int index);
    // Return and Tab while a cell is edited; answers whether the command was handled.
    bool doCommandBySelector(CellTextEditor::Command command);
    // Where a cell is, in the table's viewport.
    QRect frameOfCellAtColumn(int column, int row) const;

    // ---- Editor popovers, the contact popover and its windows (ContactsTablePopovers.cpp)
    Popover *popover() const { return popover_; }
    const QList<DetachedWindowEntry> &detachedWindows() const { return detachedWindows_; }
    void showMultiValuePopover(const SubContactRowPtr &contact, const QString &type, qint64 index, const QRect &rect);
    void showAddressPopover(const SubContactRowPtr &contact, const QString &type, qint64 index, const QRect &rect);
    void showSNSPopover(const SubContactRowPtr &contact, const QString &type, qint64 index, const QRect &rect);
    void showIMSPopover(const SubContactRowPtr &contact, const QString &type, qint64 index, const QRect &rect);
    void showDatePopover(const SubContactRowPtr &contact, const QString &type, qint64 index, const QRect &rect);
    void showPhoneticNamePopover(const SubContactRowPtr &contact, const QString &type, const QRect &rect);
    void showNamePopover(const SubContactRowPtr &contact, const QString &type, const QRect &rect);
    // Opens the contact popover on the row, or brings the contact's detached window forward.
    void showContactInfoPopover(const SubContactRowPtr &contact, const QString &type, const QRect &rect);
    void detachedWindowDidClose(const DetachedWindowInfo &info);
    void popoverDidClose(Popover *popover) override;
    bool popoverShouldDetach(Popover *popover) override;
    Window *detachableWindowForPopover(Popover *popover) override;
    // ContactWindows
    void showContactInfoPopoverWithOption(const QString &option) override;
    void updatePopoverIfSender(QObject *sender) override;
    void updateDetachedWindows(const QString &uniqueId) override;
    void closeContactWindows(const QSet<QString> &uniqueIds) override;
    void closeAllDetachedWindows() override;

    // ---- Clipboard and drag and drop (ContactsTableClipboard.cpp)
    // Copy writes the selected contact rows as tab-separated text, Copy as CSV as
    // comma-separated text (a line each), Copy as vCard their cards and a .vcf file. Paste
    // adds the cards of vCard data or a .vcf file, else one contact made from the text.
    void copy(QObject *sender);
    void copyAsCSV(QObject *sender);
    void copyAsVCard(QObject *sender);
    void paste(QObject *sender);
    // The fields copy writes and paste reads, in order: the shown columns, every field
    // when only the name is shown.
    QStringList clipboardIdentifiers() const;
    // A new contact from the first non-empty line of the text, its fields split at tabs,
    // else by the CSV rules at commas; none when no field sets anything.
    std::optional<ContactEntry> contactFromString(const QString &text) const;
    bool canDragRowsWithIndexes(const QList<int> &rows, const QPoint &point) const;
    // Writes a drag of the rows: one line and one card per contact, its row numbers and
    // the first row's value position. A drag without a contact row is refused.
    bool tableViewWriteRowsWithIndexes(const QList<int> &rows, Pasteboard &pasteboard);
    Qt::DropAction tableViewValidateDrop(const Pasteboard &info, int row, TableViewDropOperation operation) const;
    bool tableViewAcceptDrop(const Pasteboard &info, int row, TableViewDropOperation operation);

    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

protected:
    QWidget *loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ---- Clipboard and drag and drop
    void registerClipboardActions();
    void installRowDragAndDrop();
    // The rows' lines joined by line feeds; the empty text when no contact row is among them.
    QString separatedTextOfRows(const QList<int> &rows, const QString &separator) const;
    void copySeparatedText(const QString &separator, const QString &type);
    // Adds the cards of vCard text, or the contact made from plain text, to the shown group.
    bool addCardsFromPasteboard(const Pasteboard &pasteboard);
    void addPastedContact(const ContactEntry &entry);

    void tableViewSortDescriptorsDidChange(const QList<SortDescriptor> &oldDescriptors);
    void tableViewSelectionDidChange();
    void tableViewColumnDidResize(int column, int newWidth);
    void tableViewColumnDidMove(int logical, int oldVisual, int newVisual);
    void columnHeaderClicked(int column);
    void applyRowHeights();
    // After a model reset: the same row indexes selected again, as a reload keeps them,
    // without telling the delegate unless they now show another contact or value.
    void keepSelection(const QList<int> &rows);
    void reportSelectedRow(const SubContactRowPtr &row);
    // The stored last sort when its column is shown, else the name; once there are contacts.
    void applyLastSort();
    // Kept indexes may hold other rows after a change: the panes, the find position and the
    // commands must follow what the table shows, so a moved selection is reported.
    void reportSelectionIfMoved();
    void applyColumnWidths();
    void showSortIndicator();
    void scrollRowToVisible(int row);
    // Selects the rows that exist, none when none does, and scrolls the first into view
    // (the one the delegate shows, when it stays selected).
    void selectAndScroll(const QList<int> &rows);
    // Of several rows, the one last reported to the delegate, else another of its contact.
    std::optional<int> reportedRowAmong(const QList<int> &rows) const;
    int selectedRow() const;
    bool isRow(int row) const { return model_->isRow(row); }
    std::optional<SortDescriptor> firstSortDescriptor() const;
    QString sortColumnIdentifier() const;
    // The value's running number of the row in a multi-valued column, if it has one.
    std::optional<qint64> labelIndexInColumn(const SubContactRow &row, const QString &identifier) const;
    bool isMultiValued(const QString &identifier, QMPerson &person) const;
    QString sortColumnValue(SubContactRow &row, const SortDescriptor &descriptor,
                            const QString &identifier) const;
    // The contact popover and detached windows showing the selected row's contact, and
    // with `nameEditorToo` an open name editor, show it again.
    void refreshViewsShowingSelection(bool nameEditorToo);
    // One contact's rows made again in place; false when the table must be rebuilt instead.
    bool replaceRowsOfContact(const std::shared_ptr<QMPerson> &person);
    std::optional<SortDescriptor> currentSortDescriptor() const;
    // ---- Editing
    // The value a row shows in a labeled field (the address, for an address part): none
    // where the contact has none at the row or the label filter hides it, so no edit or
    // command reaches a value the user cannot see.
    std::optional<LabeledValueRecord> valueAtRow(const SubContactRow &row, const QString &field) const;
    // The running number of that value, or `none`.
    qint64 valueIndexAtRow(const SubContactRow &row, const QString &field, qint64 none) const;
    QWidget *makeCellEditor(QWidget *parent, const QModelIndex &index);
    void endCellEdit(bool keepText, bool applyNow);
    void applyTextToRow(const SubContactRow &row, const QString &identifier, const QString &text, bool &changed);
    bool insertNewline();
    bool insertTab();
    // The next row after a search from `from` that qualifies, stopping before `stop`.
    int nextRowWhere(int from, int stop, const std::function<bool(int)> &qualifies) const;
    bool startCellEdit(int column, int row);
    // Whether Return or Tab may start an edit in the cell: one that shows a value to edit.
    bool cellTakesText(int row, const QString &identifier) const;
    int indexOfRow(const QString &uniqueId, qint64 labelIndex) const;
    // Where these rows are now, those still shown, in the given order.
    QList<int> indexesOfRows(const EditRows &rows) const;
    void openLabelMenu(int row, int column, const QRect &popupRect);
    void setDocumentEdited();
    // The rows taken for an edit of this row: those the double action took when they
    // include it, else the row alone.
    EditRows takeEditRows(const SubContactRowPtr &row);
    // Edits of several rows as one undo step, shown once; answers what `edit` answers.
    bool editRows(const std::function<bool()> &edit);
    // The table's selected rows and `row`, in ascending order.
    EditRows selectedRowsAnd(int row) const;
    // Asks on the window whether an edit goes to every selected row.
    void confirmEditOfRows(const QString &message, std::function<void(bool)> answered);
    // ---- Popovers
    void openEditor(PopoverEditor *editor, const SubContactRowPtr &contact, SharedEditorContext context,
                    QSize contentSize, const QRect &rect);
    // The address, social-profile and instant-message editors: one value of a field.
    void openOneValueEditor(PopoverEditor *editor, QSize contentSize, const SubContactRowPtr &contact,
                            const QString &type, qint64 index, const QRect &rect);
    void applyEditorAnswer(const EditorContext &answer, const SubContactRowPtr &opener, const EditRows &rows);
    ContactInfoPopover *shownContactInfoPopover() const;
    // The row's contact as a contact popover shows it, with its groups.
    ContactEntry contactEntryOf(const SubContactRow &row) const;
    void removeDetachedWindowEntry(qsizetype index);
    // The torn-off windows show the document window's edited mark.
    void showDocumentEditedInDetachedWindows();
    // ---- Menus and commands
    void registerCommands();
    Menu *popUpMenu(Menu *menu, const QPoint &globalPoint);
    void fillHeaderMenu(Menu *menu, int column);
    void fillCellMenu(Menu *menu, int row, int column);
    // The clicked cell, when it is a cell of a contact row.
    struct ClickedCell {
        int row;
        int column;
        SubContactRowPtr record;
        QString identifier;
    };
    std::optional<ClickedCell> clickedCell() const;
    // The rows a command of the clicked cell works on: the selected rows when they include
    // the clicked one, else the clicked row alone; in ascending order.
    EditRows commandRows(int clickedRow) const;
    // Replace, prepend, append: the dialog for the clicked cell, then `apply` on the rows.
    void runReplaceAlertPanel(QObject *sender, const QString &type);
    void applyReplaceAlertPanel(const ReplaceAlertPanel &panel, const QString &identifier, const EditRows &rows);
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
    // The columns whose width this window changed since it last stored the widths.
    QSet<QString> resizedColumns_;
    bool hasColumnWidthDictionary_ = false;
    bool subContactTableDirty_ = false;
    bool appeared_ = false;
    QList<SortDescriptor> sortDescriptors_;
    QString shownViewType_;
    bool restoringSort_ = false;
    // Selection changes made while the table reloads keep the former indexes silently.
    int silentSelection_ = 0;
    int selectionReports_ = 0;
    // The contact and value last reported, which the detail panel and the find position show.
    std::optional<std::pair<QString, qint64>> reportedRow_;
    bool adjustingColumns_ = false;

    // ---- Editing: the selection before the last press (a Ctrl+double-click restores it),
    // the rows taken by the double action, the cell edited in place.
    QList<int> selectionBeforePress_;
    std::optional<EditRows> editRows_;
    struct CellEdit {
        QPointer<CellTextEditor> editor;
        SubContactRowPtr row;
        QString identifier;
        EditRows rows;
    };
    std::optional<CellEdit> cellEdit_;
    // ---- The one popover shown at a time, the row it was opened for and the rows its
    // answer goes to; the contact popovers and their windows.
    QPointer<Popover> popover_;
    SubContactRowPtr popoverRow_;
    EditRows popoverRows_;
    QList<DetachedWindowEntry> detachedWindows_;
    QMetaObject::Connection windowClosing_;
    int clickedRow_ = -1;
    int clickedColumn_ = -1;
    int headerColumn_ = -1;
    Menu *cellMenu_ = nullptr;
    Menu *headerMenu_ = nullptr;
    QPointer<ReplaceAlertPanel> replaceAlertPanel_;
    ValidationTable<MenuItem> validation_;
};
