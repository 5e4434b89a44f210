#pragma once

#include "contacts_table/SubContactRow.h"
#include "contacts_table/ThumbnailCache.h"
#include "editors/PopupAndTextCell.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>

class SharedSettings;
class WindowState;

// What one cell of the contacts table shows.
struct ContactsTableCell {
    enum Kind { None, ImageAndText, DetailCell, TextCell, PopupAndText };

    Kind kind = None;
    QString text;
    QString detailText; // the name cell's second line
    QImage image;
    bool imagePending = false; // the photo is being decoded: its place is kept empty
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

// The contacts table's rows and columns and the footer row after them. The controller
// builds and sorts the rows and hands them over in a reset; the model answers the view's
// roles from what it holds and the window's state, building each cell only when it is
// asked for it (once per painted cell), from the contact's shared value lists and label
// lists taken once per column, never from copies of whole records.
class ContactsTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The ContactsTableCell of a row's column.
    static constexpr int CellRole = Qt::UserRole + 1;

    // How the rows are drawn: set by the controller from the window's font.
    struct Appearance {
        QFont font;
        QFont boldFont;
        qint64 rowHeight = 20;
        bool showCompanyInNameCell = false;
    };

    ContactsTableModel(const WindowState *windowState, const SharedSettings *settings, QObject *parent);
    void setWindowState(const WindowState *windowState) { windowState_ = windowState; }
    void setSettings(const SharedSettings *settings) { settings_ = settings; }

    const SubContactTable &rows() const { return rows_; }
    const QList<ContactsTableColumn> &columns() const { return columns_; }
    QList<ContactsTableColumn> &columns() { return columns_; }
    QStringList columnIdentifiers() const;
    int columnOf(const QString &identifier) const;
    const Appearance &appearance() const { return appearance_; }
    void setAppearance(const Appearance &appearance) { appearance_ = appearance; }
    // Whether the table holds a contact table at all: without one there is no footer row.
    bool hasContacts() const { return hasContacts_; }
    bool isRow(int row) const { return row >= 0 && row < int(rows_.size()); }
    bool isFooter(int row) const { return hasContacts_ && row == int(rows_.size()); }

    // Changes rows, columns or both between a begin and an end of a model reset.
    void reset(const std::function<void(SubContactTable &rows, QList<ContactsTableColumn> &columns)> &change,
               bool hasContacts);
    void moveColumn(int from, int to);
    // One contact's rows made again without a reset: its rows go, each new row is inserted
    // where `placeOf` puts it among the rows then present, and the continuation marks are
    // set again. The view hears of each removal and insertion, so the other rows keep their
    // heights and the selection its rows. Answers the rows whose marks changed.
    std::vector<size_t> replaceRowsOfContact(const QMPerson *person, const SubContactTable &made,
                                             const std::function<size_t(const SubContactTable &, SubContactRow &)> &placeOf);
    // The footer's text, fixed at each reset: the group's name and the contacts shown.
    QString footerText() const { return footerText_; }
    void setFooterText(const QString &text);
    // Every cell shows the find marks again.
    void findDidChange();
    // Whether the window's current find match is marked here (not while the detail panel
    // shows it).
    void setShowsCurrentMatch(bool shows);

    ContactsTableCell cell(int row, const QString &identifier) const;
    int heightOfRow(int row) const;
    // The name cells' photos at their drawn size, decoded off the main thread.
    ThumbnailCache &thumbnails() const { return thumbnails_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    // A column's label vocabulary as the popup cells show it.
    struct ColumnLabels {
        QStringList labels;
        QStringList localizedLabels;
        QStringList customLabels;
    };
    const ColumnLabels &columnLabels(const QString &identifier, const QString &labelsOf) const;
    const std::optional<FindTarget> &currentMatch() const;
    ContactsTableCell textCell(const QString &text, const QString &identifier, const SubContactRow &row,
                               bool editable) const;
    ContactsTableCell popupCell(const QString &identifier, const SubContactRow &row,
                                const LabeledValueRecord *value, const QString &shownText,
                                const QString &labelsOf) const;

    const WindowState *windowState_;
    const SharedSettings *settings_;
    SubContactTable rows_;
    QList<ContactsTableColumn> columns_;
    bool hasContacts_ = false;
    bool showsCurrentMatch_ = true;
    Appearance appearance_;
    QString footerText_;
    mutable QHash<QString, ColumnLabels> labelsByColumn_;
    mutable ThumbnailCache thumbnails_;
    // Rows whose name cell waits for the picture of the bytes at this address.
    mutable QMultiHash<const char *, int> rowsAwaitingPicture_;
};

// Paints each cell from the one ContactsTableCell the model builds for it: no widget per
// cell. A cell edited in place gets the field editor its factory makes, over the cell's
// text; what the editor holds and when its edit ends are the factory's owner's, never the
// model's (nothing is written through the model).
class ContactsTableCellPainter : public QStyledItemDelegate {
    Q_OBJECT
public:
    using EditorFactory = std::function<QWidget *(QWidget *parent, const QModelIndex &index)>;

    explicit ContactsTableCellPainter(ContactsTableModel *model);
    void setEditorFactory(EditorFactory factory) { editorFactory_ = std::move(factory); }
    // Where a cell's text stands: the label popup cell's right of its popup.
    QRect textRect(const QRect &cellRect, const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *, const QModelIndex &) const override {}
    void setModelData(QWidget *, QAbstractItemModel *, const QModelIndex &) const override {}
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    ContactsTableModel *model_;
    EditorFactory editorFactory_;
};
