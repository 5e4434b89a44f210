#pragma once

#include "contact_info/ContactCard.h"
#include "contact_info/DetailRowModel.h"
#include "editors/FindHighlight.h"
#include "model/FindTarget.h"
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

class Pasteboard;
class QStackedWidget;
class ContactInfoController;

// What the detail panel reports to the window's main view controller.
class ContactInfoControllerDelegate {
public:
    virtual ~ContactInfoControllerDelegate() = default;
    virtual void contactDidUpdate(const ContactEntry &contact, ContactInfoController *sender) = 0;
    // A row of the panel was selected.
    virtual void rowSelectionDidChange(ContactInfoController *sender, const InfoTableRow &row) = 0;
};

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
class ContactInfoController : public ViewController {
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

protected:
    QWidget *loadView() override;

private:
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
    struct DecodedPhoto {
        QByteArray data; // held, so that the same pointer is always these bytes
        int side = 0;
        QImage image;
    } decodedPhoto_;
};
