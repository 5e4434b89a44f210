#pragma once

#include "platform/ui/Window.h"
#include "print/QRTextFormats.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <memory>

class QComboBox;
class QLabel;
class QMPerson;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QRCodePanelController;

// The field table as the view sees it, answered by the controller.
class QRFieldTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QRFieldTableModel(QRCodePanelController *controller);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // New rows (a new contact); refresh() only redraws the same rows.
    void reload();
    void refresh();

private:
    QRCodePanelController *controller_;
};

// The QR code sheet for one contact: the user picks a text format and ticks the fields to
// include; the panel shows the text and its QR code and copies the code as a PNG image.
// An opener makes one per show, hands it the contact (setContact) and begins its window
// as a sheet; the sheet always ends with 1.
class QRCodePanelController : public WindowController {
    Q_OBJECT
public:
    static constexpr int CloseResponse = 1;
    static inline const QString TypeColumn = QStringLiteral("Type");
    static inline const QString ValueColumn = QStringLiteral("Value");

    // A cell of the field table: the type column's text, or the value column's check box.
    struct FieldCell {
        QString title;
        bool checkBox = false;
        bool checked = false;
        bool enabled = true;
    };

    explicit QRCodePanelController(QObject *parent = nullptr);
    ~QRCodePanelController() override;

    std::shared_ptr<QMPerson> contact() const { return contact_; }
    void setContact(const std::shared_ptr<QMPerson> &contact);
    const QRFieldTable &table() const { return table_; }
    double rowHeight() const { return rowHeight_; }
    // The format key of the popup's selection ("vCard", "MECARD", ...).
    QString selectedFormat() const;
    // Exactly what the QR code holds; the text view shows it with plain line breaks.
    QString qrText() const { return qrText_; }

    QLabel *imageView();
    QPlainTextEdit *textView();
    QTableView *tableView();
    QComboBox *formatPopup();
    QPushButton *fooButton(); // copies the image
    QPushButton *closeButton();

    void formatPopupSelected(QObject *sender);
    void buttonPressed(QObject *sender);
    // The standard Copy command: the image, when there is one.
    void copy();
    bool validateMenuItem(MenuItem *item) override;

    // The field table's data source and delegate.
    int numberOfRowsInTableView(QTableView *table) const;
    FieldCell tableView(QTableView *table, const QString &column, int row) const;
    // A tick or untick by the user: stored, then the text and image follow.
    void tableView(QTableView *table, bool selected, const QString &column, int row);
    bool tableViewShouldEdit(QTableView *table, const QString &column, int row) const;
    double tableViewHeightOfRow(QTableView *table, int row) const;

    void windowDidLoad() override;

protected:
    Window *loadWindow() override;

private:
    friend class QRFieldTableModel; // asks about the table while the window is being made
    void regenerate();
    void applyRowHeights();

    std::shared_ptr<QMPerson> contact_;
    QRFieldTable table_;
    QString qrText_;
    double rowHeight_ = 20.0;
    QPointer<QLabel> imageView_;
    QPointer<QPlainTextEdit> textView_;
    QPointer<QTableView> tableView_;
    QPointer<QComboBox> formatPopup_;
    QPointer<QPushButton> fooButton_;
    QPointer<QPushButton> closeButton_;
    QRFieldTableModel *model_ = nullptr;
};
