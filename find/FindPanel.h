#pragma once

#include "editors/FindHighlight.h"
#include "find/FindResultRow.h"
#include "find/FindResultsTable.h"
#include "find/FindSnapshot.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Popover.h"
#include "platform/ui/Window.h"

#include <QPointer>
#include <QStringList>

#include <memory>

class FindPanelEdits;
class FindResultsTableModel;
class FindSearch;
class MenuItem;
class PullDownButton;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class SegmentedButtons;

// The find window: every contact of the selected group searched for a text, narrowed by
// item, sub-item and label, in one of three modes; every matching value one row of the
// results table, the current match stepped through, values edited in place (dates in the
// date editor) and replaced one by one or all at once. It runs application-modally over the
// document window; every change goes through the window's undoable edit operations
// (parentViewController) and registers its inverse on the find window's own undo manager.
//
// The opener makes one per opening, hands over its inputs before the window loads (search
// string, contacts, custom items, selected items, labels and their titles, edit state,
// parent), runs it (runModal) and refreshes its contacts table once that returns.
class FindPanel : public WindowController, public PopoverDelegate, public FindResultsSource {
    Q_OBJECT
public:
    explicit FindPanel(QObject *parent = nullptr);
    // Waits for a search still running.
    ~FindPanel() override;

    // ---- Inputs, handed over before the window loads
    const QString &searchString() const { return searchString_; }
    void setSearchString(const QString &text) { searchString_ = text; }
    const QList<ContactEntry> &contacts() const { return contacts_; }
    // A new contact list is read again (also once the window has loaded).
    void setContacts(const QList<ContactEntry> &contacts);
    const QList<CustomItemDefinition> &customItems() const { return customItems_; }
    void setCustomItems(const QList<CustomItemDefinition> &items) { customItems_ = items; }
    const QStringList &selectedItems() const { return selectedItems_; }
    void setSelectedItems(const QStringList &items) { selectedItems_ = items; }
    const QStringList &labels() const { return labels_; }
    void setLabels(const QStringList &labels) { labels_ = labels; }
    const QStringList &localizedLabels() const { return localizedLabels_; }
    void setLocalizedLabels(const QStringList &labels) { localizedLabels_ = labels; }
    // The labels the window starts with ("All" when none are given). The opener gives its
    // contacts table's label filter, as it gives the table's columns as the items: the
    // window then reaches the values the table shows until the user picks other labels.
    void setSelectedLabels(const QStringList &labels) { selectedLabels_ = labels; }
    bool editState() const;
    void setEditState(bool editState);
    FindPanelEdits *parentViewController() const { return parentViewController_; }
    void setParentViewController(FindPanelEdits *parent) { parentViewController_ = parent; }

    // The label words and their titles the opener hands over: those of the multi-valued
    // fields, concatenated in one order so that each title stands at its word's index.
    static QStringList openerLabels();
    static QStringList openerLocalizedLabels();

    // Runs the window application-modally; returns once it has closed.
    int runModal();

    // ---- State
    const QStringList &items() const { return items_; }
    const QStringList &subItems() const { return subItems_; }
    const QStringList &selectedSubItems() const { return selectedSubItems_; }
    const QStringList &selectedLabels() const { return selectedLabels_; }
    const QStringList &selectedLocalizedLabels() const { return selectedLocalizedLabels_; }
    unsigned compareOptions() const { return compareOptions_; }
    const FindResultRows &searchResults() const override { return searchResults_; }
    int selectedRow() const { return selectedRow_; }
    int selectedRangeIndex() const { return selectedRangeIndex_; }
    // Whether a search has started and not yet shown its rows.
    bool isSearching() const;
    UndoManager *undoManager() { return &undoManager_; }

    // ---- Controls
    QFrame *redSeparator();
    QPushButton *editButton();
    PullDownButton *itemPopup();
    PullDownButton *subItemPopup();
    PullDownButton *labelPopup();
    QComboBox *searchModePopup();
    QLineEdit *searchField();
    // Says beside the search field why a pattern is refused.
    QLabel *patternErrorField();
    SegmentedButtons *directionControl();
    SegmentedButtons *replaceButtons();
    QLineEdit *replaceField();
    QTableView *tableView();
    QPushButton *closeButton();
    Popover *popover() const { return popover_; }

    // ---- Actions (the window's filters, search field and buttons)
    void searchModePopupDidSelect(QObject *sender);
    void itemPopupDidSelect(MenuItem *sender);
    void subItemPopupDidSelect(MenuItem *sender);
    void labelPopupDidSelect(MenuItem *sender);
    void textDidEnter(QObject *sender);
    void buttonDidPress(QObject *sender);
    bool validateMenuItem(MenuItem *item) override;
    // Starts a new search with the window's present inputs.
    void updateTable();

    // ---- Results table (FindPanelResults.cpp)
    int numberOfRowsInTableView(QTableView *table) const override;
    FindPanelCell tableView(QTableView *table, const QString &column, int row) const override;
    bool tableViewShouldSelectRow(QTableView *table, int row);
    double tableViewHeightOfRow(QTableView *table, int row) const;
    void tableViewSortDescriptorsDidChange(QTableView *table, int column, bool ascending) override;
    void tableViewDoubleAction(int row, int column);
    void directionButtonDidClick(QObject *sender);
    void replaceButtonDidClick(QObject *sender);
    // The end of editing a Value cell.
    void textFieldCellChanged(int row, const QString &text) override;
    void showDatePopover(const FindResultRowPtr &row, const QRect &rect);
    void popoverDidClose(Popover *popover) override;
    // Writes a value back to its row and contact: a text, or for date rows a date record.
    // Registers its own inverse on the window's undo manager; answers false and changes
    // nothing when the contact refused the value.
    bool undoReplaceValue(const FieldValue &value, const TextRanges &ranges, const FindResultRowPtr &row);

    void windowDidLoad() override;
    void windowWillClose() override;

protected:
    Window *loadWindow() override;

private:
    void buildFilterPopups();
    void fillPopup(PullDownButton *popup, const QStringList &entries, const QString &action);
    void setPopupTitle(PullDownButton *popup, const QString &title);
    QString itemsTitle(const QString &prefix, const QStringList &selection) const;
    void filterDidSelect(MenuItem *sender, PullDownButton *popup, QStringList &selection,
                         const QString &prefix);
    void applyEditState();
    void makeSnapshot();
    void searchDidFinish(FindSearchResult result);

    // FindPanelResults.cpp
    bool hasCurrentMatch() const;
    void moveCurrentMatch(int row, int rangeIndex);
    void stepForward();
    void stepBack();
    void showCurrentRow(int formerRow);
    void reloadValueCell(int row);
    // The row's place in the results, or -1.
    int positionOf(const FindResultRowPtr &row) const;
    // Row heights come from the rows given, or from every row when none are.
    void reloadResults(const std::optional<QList<qsizetype>> &tallRows = std::nullopt);
    void updateReplaceButtons();
    void replaceCurrentMatch(const QString &replacement);
    void replaceAll(const QString &replacement);
    bool writeBack(const FieldValue &value, const FindResultRow &row, const QString &text);
    void refreshSnapshot(const FindResultRow &row);

    QPointer<QFrame> redSeparator_;
    QPointer<QPushButton> editButton_;
    QPointer<PullDownButton> itemPopup_;
    QPointer<PullDownButton> subItemPopup_;
    QPointer<PullDownButton> labelPopup_;
    QPointer<QComboBox> searchModePopup_;
    QPointer<QLineEdit> searchField_;
    QPointer<QLabel> patternErrorField_;
    QPointer<SegmentedButtons> directionControl_;
    QPointer<SegmentedButtons> replaceButtons_;
    QPointer<QLineEdit> replaceField_;
    QPointer<QTableView> tableView_;
    QPointer<QPushButton> closeButton_;
    FindResultsTableModel *model_ = nullptr;

    FindPanelEdits *parentViewController_ = nullptr;
    QString searchString_;
    QList<ContactEntry> contacts_;
    FindResultRows searchResults_;
    QStringList items_;
    QStringList subItems_;
    QStringList selectedItems_;
    QStringList selectedSubItems_;
    QStringList labels_;
    QStringList localizedLabels_;
    QStringList selectedLabels_;
    QStringList selectedLocalizedLabels_;
    unsigned compareOptions_ = 1;
    int selectedRow_ = -1;
    int selectedRangeIndex_ = -1;
    bool editState_ = true;
    QList<CustomItemDefinition> customItems_;
    QPointer<Popover> popover_;
    // The row the open date editor was opened for: its answer goes there, whatever the
    // table shows by then.
    FindResultRowPtr popoverRow_;

    UndoManager undoManager_;
    std::shared_ptr<FindSnapshot> snapshot_;
    FindSearch *search_ = nullptr;
    bool selectingRow_ = false;   // the table's selection moves by the window, not by a click
    bool restartPending_ = false; // the texts changed under a running search
    mutable QHash<const FindResultRow *, int> rowPositions_;
    mutable bool rowPositionsStale_ = true;
};
