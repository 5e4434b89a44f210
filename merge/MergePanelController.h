#pragma once

#include "merge/MergeDrop.h"
#include "merge/MergeEdits.h"
#include "merge/MergeRows.h"
#include "merge/MergeTableView.h"
#include "model/ContactContainers.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Popover.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QFont>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class Pasteboard;
class PopoverEditor;
class QFrame;
class QLineEdit;
class QPushButton;
class QTableView;

// What the opener hands the merge sheet and reads back from it.
struct MergeContext {
    // In: the selected contacts of the document, at least two; the first two are shown.
    QList<ContactEntry> contacts;
    // In: the document's type ("public.vcard", or "vCard"): a vCard document cannot keep a
    // name order, which the name-order popup then says.
    std::optional<QString> documentType;
    // Out, set by Done after a change: the two edited copies, left then right.
    std::optional<QList<ContactEntry>> newContacts;
};
using SharedMergeContext = std::shared_ptr<MergeContext>;

// The merge sheet: two contacts of a document side by side, the same fields in the same
// rows, so that the user makes one complete card of two by dragging values from one table
// to the other (Ctrl-drag copies), by editing them in place or in the popover editors, and
// presses Done. The sheet edits copies under an undo manager of its own; nothing of the
// document changes until the opener applies "newContacts" (return code 1).
//
// An opener calls, in this order: setCustomItems, window(), setContextInfo, setSelectedFont,
// then Application::beginSheet(panel->window(), documentWindow, completion).
class MergePanelController : public WindowController,
                             public MergeTableDelegate,
                             public PopoverDelegate,
                             public MenuDelegate {
    Q_OBJECT
public:
    static constexpr int ChangedResponse = 1;
    static constexpr int UnchangedResponse = 0;
    static constexpr int TypeColumn = MergeTableView::TypeColumn;
    static constexpr int ValueColumn = MergeTableView::ValueColumn;
    enum Side { Left = 0, Right = 1 };
    // The popover editors the sheet opens.
    enum class EditorKind { MultiValue, Address, InstantMessage, SocialProfile, Date };

    explicit MergePanelController(QObject *parent = nullptr);
    ~MergePanelController() override;

    // ---- Opening
    QList<CustomItemDefinition> customItems() const { return customItems_; }
    void setCustomItems(const QList<CustomItemDefinition> &items);
    const SharedMergeContext &contextInfo() const { return contextInfo_; }
    void setContextInfo(SharedMergeContext context, bool editable);
    QFont selectedFont() const override { return selectedFont_; }
    void setSelectedFont(const QFont &font);
    double rowHeight() const override { return rowHeight_; }
    std::optional<QString> documentType() const { return documentType_; }
    QStringList nameOrderingLabels() const { return nameOrderingLabels_; }

    // ---- State
    // The working copies (none before a context is set and after the sheet ended).
    const std::optional<ContactEntry> &contactLeft() const { return contacts_[Left]; }
    const std::optional<ContactEntry> &contactRight() const { return contacts_[Right]; }
    const MergeTable &tableLeft() const { return tables_[Left]; }
    const MergeTable &tableRight() const { return tables_[Right]; }
    // Whether the sheet holds a change: its undo stack has a step.
    bool hasChanges();
    bool isEditing() const override;
    MergeEdits &edits() { return edits_; }
    Popover *popover() const { return popover_; }

    // ---- Views
    QLineEdit *nameFieldLeft();
    QLineEdit *nameFieldRight();
    MergeTableView *tableViewLeft();
    MergeTableView *tableViewRight();
    MergeTableView *tableView(Side side);
    QPushButton *editButton();
    QPushButton *doneButton();
    QPushButton *cancelButton();
    QFrame *redSeparator();

    // ---- Buttons: Done, Cancel and the Edit toggle
    void buttonPressed(QObject *sender);

    // ---- The tables' data source and delegate
    // Rebuilds both row models from the two contacts and reloads both tables, keeping
    // their selected rows (with rowsUp, a table's selection moves up one row). After a
    // change of a contact this runs at the next turn of the event loop.
    void reloadTables(bool rowsUp = false);
    int numberOfRowsInTableView(const QTableView *table) const override;
    double tableViewHeightOfRow(const QTableView *table, int row) const override;
    QString typeCellText(const QTableView *table, int row) const override;
    QImage typeCellImage(const QTableView *table, int row) const override;
    std::optional<TextCell> textCell(const QTableView *table, int row) const override;
    // The widget of a row's value cell: the photo pull-down, the two name popups and
    // the label cells of labeled values; nullptr for text cells.
    QWidget *valueCellWidget(const QTableView *table, int row) const;

    // ---- Editing in place
    void textFieldCellChanged(QTableView *table, int row, const QString &text) override;
    void labelPopupCellChanged(QTableView *table, int row, int selectedItem);
    void tableViewDoubleAction(QTableView *table) override;
    // Editing goes on in the next row that takes text, wrapping to row 1.
    bool controlTextViewDoCommandBySelector(QTableView *table, int row, const QString &command) override;
    // Commits a cell being edited.
    void endEditing();

    // ---- Drag and drop
    bool tableViewWriteRows(QTableView *table, int row, Pasteboard &pasteboard) override;
    Qt::DropAction tableViewValidateDrop(QTableView *table, const Pasteboard &info, int row,
                                         MergeDropPosition position, bool copy) override;
    bool tableViewAcceptDrop(QTableView *table, const Pasteboard &info, int row, MergeDropPosition position,
                             bool copy) override;
    // An image dropped from outside the sheet onto a table's photo row.
    void imageDidChange(QTableView *table, const QImage &image);

    // ---- Editor popovers (the contact is one of the two working copies)
    void showMultiValuePopover(const ContactEntry &contact, const QString &type, qint64 labelIndex, const QRect &rect);
    void showAddressPopover(const ContactEntry &contact, const QString &type, qint64 labelIndex, const QRect &rect);
    void showIMSPopover(const ContactEntry &contact, const QString &type, qint64 labelIndex, const QRect &rect);
    void showSNSPopover(const ContactEntry &contact, const QString &type, qint64 labelIndex, const QRect &rect);
    void showDatePopover(const ContactEntry &contact, const QString &type, qint64 labelIndex, const QRect &rect);
    void popoverDidClose(Popover *popover) override;

    // ---- Context menus and photo commands
    Menu *menuOf(const QTableView *table) const;
    void menuNeedsUpdate(Menu *menu) override;
    bool validateMenuItem(MenuItem *item) override;
    void showPopoverWrapper(QObject *sender);
    void insertItem(QObject *sender);
    void deleteItem(QObject *sender);
    void doWorkspaceAction(QObject *sender);
    void addImage(QObject *sender);
    void deleteImage(QObject *sender);

    void windowDidLoad() override;
    void windowWillClose() override;

protected:
    Window *loadWindow() override;

private:
    Side sideOf(const QTableView *table) const;
    std::shared_ptr<QMPerson> personOf(Side side) const;
    const MergeRow *rowAt(const QTableView *table, int row) const;
    QString kindOf(Side side, const QString &type) const;
    QString valueText(Side side, const MergeRow &row) const;
    std::optional<TextCell> textCellFor(Side side, const MergeRow &row) const;
    void showEditState(bool editing);
    void updateDoneButton();
    void endSheet(int code);
    void contactDidChange(MergeEdits::Change change);
    // Runs the block once the tables show the latest change.
    void afterPendingReload(std::function<void()> block);
    void makeValueCellWidgets(Side side);
    QWidget *makeValueCellWidget(Side side, int row);
    QWidget *makePhotoCell(Side side);
    void startEditing(QTableView *table, int row);
    QRect cellRect(QTableView *table, int row) const;
    void openEditor(EditorKind kind, const ContactEntry &contact, const QString &type,
                    std::optional<qint64> labelIndex, std::optional<bool> editEnabled, const QRect &rect);
    // The cell a menu command was chosen on: its table, row and working copy.
    struct ClickedCell {
        Side side;
        int number;
        MergeRow row;
        ContactEntry contact;
    };
    std::optional<ClickedCell> clickedCell(QObject *sender) const;
    void addMenuItems(Menu *menu, Side side, const MergeRow &row);
    void makeValidationTable();

    QList<CustomItemDefinition> customItems_;
    SharedMergeContext contextInfo_;
    std::optional<QString> documentType_;
    QStringList nameOrderingLabels_;
    QFont selectedFont_;
    double rowHeight_ = 20.0;
    std::array<std::optional<ContactEntry>, 2> contacts_;
    std::array<MergeTable, 2> tables_;
    QHash<QString, qsizetype> labeledValueCountDict_;
    MergeEdits edits_;
    std::optional<MergeRow> draggingSourceDict_;
    int draggingSourceIndex_ = -1;
    QPointer<Popover> popover_;
    ValidationTable<MenuItem> validation_;
    bool reloading_ = false;
    bool reloadScheduled_ = false;
    bool pendingRowsUp_ = false;

    std::array<QPointer<QLineEdit>, 2> nameFields_;
    std::array<QPointer<MergeTableView>, 2> tableViews_;
    std::array<QPointer<Menu>, 2> menus_;
    QPointer<QPushButton> editButton_;
    QPointer<QPushButton> doneButton_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QFrame> redSeparator_;
};
