#pragma once

#include "contact_info/ContactCard.h"
#include "contact_info/DetailRowModel.h"
#include "contact_info/ImageViewDragAndDrop.h"
#include "editors/CellTextEditor.h"
#include "editors/EditorAnswer.h"
#include "editors/FindHighlight.h"
#include "model/FindTarget.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Popover.h"
#include "platform/ui/TableRowDragDrop.h"
#include "platform/ui/ViewController.h"
#include "state/SharedSettings.h"
#include "state/WindowState.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextBrowser>

#include <optional>

class QStackedWidget;
class ContactInfoController;
class Pasteboard;
class PopoverEditor;

// What the detail panel reports to the window's main view controller, and the undoable
// edits its changes end in (the editors' answers among them): the main view's, or, in the
// contact popover's table, the popover's own, which pass them on with the popover as sender.
class ContactInfoControllerDelegate : public EditorAnswerReceiver {
public:
    virtual void contactDidUpdate(const ContactEntry &contact, ContactInfoController *sender) = 0;
    // A row of the panel was selected.
    virtual void rowSelectionDidChange(ContactInfoController *sender, const InfoTableRow &row) = 0;
    virtual bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) = 0;
    virtual bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) = 0;
    virtual bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                        const PersonPtr &contact, QObject *sender) = 0;
    virtual bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                                     const PersonPtr &contact, QObject *sender) = 0;
};

// What a double click on a cell of the detail table does.
enum class DetailDoubleAction { Nothing, InPlaceEdit, ListEditor, AddressEditor, IMSEditor, SNSEditor, DateEditor };
struct DetailCellClick {
    QString type;      // the row's field identifier
    QString kind;      // its value kind ("Labeled Value", "String Value", ...)
    bool valueColumn;  // the click was in the value column
    bool textEmpty;    // the cell shows no text
    bool editState;    // the table is unlocked
    bool command;      // Ctrl (Command) was held
};
DetailDoubleAction detailDoubleAction(const DetailCellClick &click);

// The field table's rows as the view sees them: the type column and the texts of the value
// column; popups, label cells and the photo are widgets the controller puts in their cells.
class ContactInfoTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { PlaceholderRole = Qt::UserRole + 1, HighlightsRole };
    static constexpr int TypeColumn = 0;
    static constexpr int ValueColumn = 1;

    explicit ContactInfoTableModel(ContactInfoController *controller);
    void reset(const std::function<void()> &rebuild);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    ContactInfoController *controller_;
};

// Draws the value texts with their find marks, and placeholders in gray.
// Draws the value texts with their find marks, and placeholders in gray.
class ContactInfoTextCell : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};

// The card view: shows pages whose pictures are held in memory; it loads nothing from
// files or the network and follows no link.
class ContactCardView : public QTextBrowser {
    Q_OBJECT
public:
    explicit ContactCardView(QWidget *parent = nullptr);
    void showPage(const ContactCardPage &page);
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHash<QString, QImage> images_;
};

// The detail panel: the shown contact's fields as a table in the stored row order while
// the window is unlocked, and as a read-only card while it is locked.
class ContactInfoController : public ViewController,
                              public PopoverDelegate,
                              public MenuDelegate,
                              public ImageViewDragAndDropDelegate {
    Q_OBJECT
public:
    static inline const QString FontNameKey = QStringLiteral("QM1DdefaultFontName");
    static inline const QString FontSizeKey = QStringLiteral("QM1DdefaultFontSize");
    static inline const QString CaseSensitive = QStringLiteral("caseSensitive");

    explicit ContactInfoController(QObject *parent = nullptr);
    ~ContactInfoController() override;

    ContactInfoControllerDelegate *delegate() const { return delegate_; }
    void setDelegate(ContactInfoControllerDelegate *delegate) { delegate_ = delegate; }
    QTableView *tableView();
    QTableView *scrollView() { return tableView(); }
    ContactCardView *webView();
    // Shows the card (locked) or the table (unlocked); the window controller switches.
    void showCard(bool card);

    const QList<InfoTableRow> &table() const { return table_; }
    const std::optional<QStringList> &rowOrderTable() const { return rows_.rowOrderTable(); }
    const QStringList &nameOrderingLabels() const { return rows_.nameOrderingLabels(); }
    const std::optional<ContactEntry> &contact() const { return contact_; }
    // A null contact is ignored; the panel keeps showing the one it has.
    void setContact(const ContactEntry *contact);
    // What the panel follows: its window's state (its own until the window gives one) and
    // the shared label filter.
    WindowState *windowState() const { return windowState_; }
    void setWindowState(WindowState *state);
    SharedSettings *settings() const { return settings_.get(); }
    void setSettings(std::shared_ptr<SharedSettings> settings) { settings_ = std::move(settings); }
    const QStringList &selectedLabels() const { return settings_->selectedLabels(); }
    QFont selectedFont() const { return selectedFont_; }
    void setSelectedFont(const QFont &font);
    double rowHeight() const { return rowHeight_; }
    bool editState() const { return windowState_->editState(); }
    const QString &findString() const { return windowState_->findString(); }
    const QString &findOptions() const { return windowState_->findOptions(); }
    const std::optional<FindTarget> &findTarget() const { return windowState_->findTarget(); }
    qint64 iconRowCount() const { return iconRowCount_; }
    void setIconRowCount(qint64 count) { iconRowCount_ = count; }
    const QList<CustomItemDefinition> &customItems() const { return windowState_->customItemsOrEmpty(); }
    // The card template (tests give another one).
    void setCardTemplatePath(const QString &path) { cardTemplatePath_ = path; }

    // Reloads the rows, keeping the selection.
    void updateTable();
    // Reloads the rows and keeps the selected ones that still exist; with
    // firstRowWhenLost, the first row is selected when the selection is gone.
    void reloadKeepingSelection(bool firstRowWhenLost);
    QList<int> selectedRows() const;
    // The contact popover's cells: its photo menu is rebuilt at every display, keeps the
    // icon size items while locked and is never disabled, and a value of no kind shows an
    // empty label cell.
    void setShowsPopoverCells(bool on) { popoverCells_ = on; }
    bool showsPopoverCells() const { return popoverCells_; }
    void sendContactDidUpdate();
    // Shows and selects the row of a find match.
    void selectItemAndRange(const FindTarget &target);
    // Fills the card with the shown contact; a template that can't be used changes nothing.
    void updateWebView();

    // The table's data source and delegate operations.
    int numberOfRowsInTableView();
    double tableViewHeightOfRow(int row);
    bool tableViewShouldEditTableColumn(const QString &column, int row) const;
    void tableViewSelectionDidChange();
    // The text of a text cell, its placeholder and find marks; none for rows shown otherwise.
    struct TextCellContent {
        QString text;
        QString placeholder;
        TextHighlights highlights;
    };
    std::optional<TextCellContent> textCellContent(int row);
    QString typeCellText(int row) const;
    QImage typeCellImage(int row) const;
    // The widget of a row's value cell (popups, label cells, the photo); nullptr for text.
    QWidget *valueCellWidget(int row) const;

    // ---- Row drag and drop (DetailRowDragDrop.cpp). Within the table a row moves its
    // field in the row order, which later panels and popovers take; onto another contact's
    // table a row's value replaces or joins the value it is dropped on or above. A value
    // dropped here goes to the window's undoable edits: the popover's own when this table is
    // a popover's, else those of the delegate (the main view, also the popovers' delegate).
    bool canDragRowsWithIndexes(const QList<int> &rows, const QPoint &point) const;
    bool tableViewWriteRowsWithIndexes(const QList<int> &rows, Pasteboard &pasteboard);
    Qt::DropAction tableViewValidateDrop(const Pasteboard &info, int row, TableViewDropOperation operation);
    bool tableViewAcceptDrop(const Pasteboard &info, int row, TableViewDropOperation operation);
    qsizetype draggingSourceIndex() const { return draggingSourceIndex_; }

    void viewDidLoad() override;
    void viewWillAppear() override;
    // Items aimed at the panel stay disabled until the panel handles their action.
    bool validateMenuItem(MenuItem *item) override;

    // ==== Editing (ContactInfoEditing.cpp)
    // The cell last clicked or right-clicked; -1 when the click was on no row or column.
    int clickedRow() const { return clickedRow_; }
    int clickedColumn() const { return clickedColumn_; }
    void setClickedCell(int row, int column);
    // The double action on the clicked cell, with the modifiers held at the click.
    void tableViewDoubleAction(Qt::KeyboardModifiers modifiers);
    // Starts an in-place edit of the value column of the row, its text selected.
    void editColumn(int column, int row);
    // Starts editing the first row of the field; nothing when it has none.
    void editForIdentifier(const QString &identifier);
    // The in-place editor open in the table, if any.
    CellTextEditor *cellEditor() const { return cellEdit_ ? cellEdit_->editor.data() : nullptr; }
    // An in-place edit of the row ended with this text: one undoable change, when it is one.
    void textFieldCellChanged(int row, const QString &text);
    // Item `index` of the row's popup was chosen (a label, or the Name Display choice).
    void popupButtonCellChanged(int row, int index);
    // Return and Tab of an in-place edit: the edit moves on to the next editable row.
    bool controlTextViewDoCommandBySelector(CellTextEditor::Command command);
    // The row Return and Tab continue in after `row`, wrapping; -1 when none qualifies.
    int nextEditableRow(int row) const;
    // Whether text typed into the row's value can be stored: a name part, a text field, or
    // a labeled row that shows a value.
    bool takesTypedText(const InfoTableRow &info) const;

    // ---- Editor popovers, anchored at a cell of the table, answered in popoverDidClose
    void showMultiValuePopover(const ContactEntry &contact, const QString &type, qint64 index, const QRect &rect);
    void showAddressPopover(const ContactEntry &contact, const QString &type, qint64 index, const QRect &rect);
    void showIMSPopover(const ContactEntry &contact, const QString &type, qint64 index, const QRect &rect);
    void showSNSPopover(const ContactEntry &contact, const QString &type, qint64 index, const QRect &rect);
    void showDatePopover(const ContactEntry &contact, const QString &type, qint64 index, const QRect &rect);
    Popover *popover() const { return popover_; }
    void popoverDidClose(Popover *popover) override;
    // The cell's frame in the table's viewport; an empty rectangle for no cell.
    QRect frameOfCellAtColumn(int column, int row);

    // ==== The context menu and item commands (ContactInfoMenu.cpp)
    Menu *tableMenu() const { return tableMenu_; }
    void menuNeedsUpdate(Menu *menu) override;
    void showPopoverWrapper(QObject *sender);
    void insertItem(QObject *sender);
    void deleteItem(QObject *sender);
    void doWorkspaceAction(QObject *sender);
    // The value Add Item gives a field that takes one without an editor.
    static std::optional<LabeledValueRecord> newItemValue(const QString &type);

    // ==== The photo (ContactInfoPhoto.cpp)
    // A picture dropped on the Photo row becomes the photo, within the size limit.
    void imageDidChange(const QImage &image);
    void imageDidChange(ImageViewDragAndDrop *imageView) override { imageDidChange(imageView->image()); }
    void addImage(QObject *sender);
    void deleteImage(QObject *sender);
    void iconSizeBigger(QObject *sender);
    void iconSizeSmaller(QObject *sender);
    // Drops on the Photo row: a picture, as image data or an image file, while unlocked.
    bool validatePhotoRowDrop(int row, const Pasteboard &info) const;
    bool acceptPhotoRowDrop(int row, const Pasteboard &info);

protected:
    QWidget *loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ---- Editing
    // An in-place edit keeps its row and contact: its text goes to them, whatever the
    // table shows when it is applied.
    struct CellEdit {
        QPointer<CellTextEditor> editor;
        InfoTableRow row;
        std::shared_ptr<QMPerson> person;
    };
    void applyText(const InfoTableRow &info, const std::shared_ptr<QMPerson> &person, const QString &text);
    // The editor lies over the cell (over the text beside a label popup) in the viewport,
    // which cells' own widgets fill: the view's editing would only focus those widgets.
    CellTextEditor *makeCellEditor(int row);
    // Closes the open in-place editor; its text goes to the contact when kept.
    void endCellEdit(bool keepText, bool applyNow);
    QString shownText(int row);
    std::shared_ptr<QMPerson> person() const;
    void openEditor(PopoverEditor *editor, SharedEditorContext context, QSize contentSize, const QRect &rect);
    SharedEditorContext editorContext(const ContactEntry &contact, const QString &type) const;
    void openOneValueEditor(PopoverEditor *editor, QSize contentSize, const ContactEntry &contact,
                            const QString &type, qint64 index, const QRect &rect);
    bool watchCellEvent(QObject *watched, QEvent *event);
    // ---- Menu
    void addMenuItems(Menu *menu, const InfoTableRow &row);
    std::optional<InfoTableRow> clickedInfoRow() const;
    void registerCommands();
    // ---- Photo
    int photoRow() const;
    // ---- Row drag and drop
    void installRowDragAndDrop();
    // The first contact of a drag's vCard, read once per drag (validation runs at every move).
    std::shared_ptr<QMPerson> droppedContact(const Pasteboard &info);
    bool acceptValueDrop(const Pasteboard &info, int row, TableViewDropOperation operation);
    // Sends a dropped value to the window's undoable edits.
    bool applyDroppedValue(const QString &identifier, const FieldValue &value);

    void reloadData();
    QWidget *makeValueCellWidget(int row);
    QString kindOfRow(const InfoTableRow &row) const;
    void selectRows(const QList<int> &rows);
    void reselect(const QList<int> &before, const QList<int> &rows);
    void applyStoredFont();
    QWidget *makePhotoCellWidget(int row);
    // The contact's picture fitted to `side` pixels, for the photo row and the card:
    // decoded once per contact, not at every reload; a null image when the contact has no
    // picture that decodes.
    QImage photoPicture(const QMPerson &person, int side);

    ContactInfoControllerDelegate *delegate_ = nullptr;
    QPointer<QStackedWidget> stack_;
    QPointer<QTableView> tableView_;
    QPointer<ContactCardView> webView_;
    ContactInfoTableModel *model_ = nullptr;
    DetailRowModel rows_;
    QList<InfoTableRow> table_;
    std::optional<ContactEntry> contact_;
    QPointer<WindowState> windowState_;
    std::shared_ptr<SharedSettings> settings_;
    QMetaObject::Connection fontConnection_;
    QFont selectedFont_;
    double rowHeight_ = 20.0;
    qint64 iconRowCount_ = 3;
    QString cardTemplatePath_ = ContactCard::TemplatePath;
    bool reloading_ = false;
    qsizetype draggingSourceIndex_ = -1;
    struct DroppedCard {
        QByteArray data;
        std::shared_ptr<QMPerson> person;
    } droppedCard_;
    bool popoverCells_ = false;
    int clickedRow_ = -1;
    int clickedColumn_ = -1;
    std::optional<CellEdit> cellEdit_;
    QPointer<Popover> popover_;
    Menu *tableMenu_ = nullptr;
    struct DecodedPhoto {
        QByteArray data; // held, so that the same pointer is always these bytes
        int side = 0;
        QImage image;
    } decodedPhoto_;
};
