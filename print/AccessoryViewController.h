#pragma once

#include "platform/ui/ViewController.h"
#include "print/PrintOptions.h"

#include <QAbstractListModel>
#include <QDoubleSpinBox>
#include <QListView>
#include <QPageLayout>
#include <QPointer>

#include <memory>

class AccessoryViewController;
class MenuItem;
class PrintView;
class PullDownButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

// "QM1NmLabelAttributeChanged": a label preset was edited elsewhere. The object is the
// preset's name, or none. Every print accessory listens.
class LabelAttributeNotifier : public QObject {
    Q_OBJECT
public:
    static inline const QString Name = QStringLiteral("QM1NmLabelAttributeChanged");
    static LabelAttributeNotifier &shared();
    void post(const QString &presetName = QString()) { emit labelAttributeChanged(Name, presetName); }

signals:
    void labelAttributeChanged(const QString &name, const QString &presetName);
};

// A length shown in the accessory's unit: text field and stepper in one. It keeps the
// length in points, so switching units back and forth never rounds it; the user's edits
// come back in the unit shown. Up to four decimals show, without trailing zeros.
class LengthField : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit LengthField(QWidget *parent = nullptr);
    double points() const { return points_; }
    // A length set by the program: no change is reported.
    void setPoints(double points);
    QString unit() const { return unit_; }
    // Shows the same length in another unit; the arrows step 0.1 inch, else 1.
    void setUnit(const QString &unit);
    // The change being reported comes from the arrows or the arrow keys, not from typing.
    bool isStepping() const { return stepping_; }
    void stepBy(int steps) override;
    QString textFromValue(double value) const override;

private:
    void display();
    double points_ = 0;
    QString unit_;
    bool stepping_ = false;
};

// The address list's item table as the view sees it, answered by the accessory.
class AddressListItemModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit AddressListItemModel(AccessoryViewController *controller);
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    void reload();

private:
    AccessoryViewController *controller_;
};

// Takes drops only from itself: the items are reordered, never brought in.
class AddressListItemView : public QListView {
    Q_OBJECT
public:
    using QListView::QListView;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// The print settings beside the print preview: one tab per print style, with the unit,
// font and margins shared by all. Every change goes straight into the live record, which
// is stored at once and which the print view reads, and printOptionsChanged() tells the
// preview to follow. Lengths show in the unit chosen; the record holds points.
class AccessoryViewController : public ViewController {
    Q_OBJECT
public:
    static inline const QString Points = QStringLiteral("points");
    static inline const QString Inches = QStringLiteral("inches");
    static inline const QString Millimeters = QStringLiteral("mm");
    static inline const QString AllLabels = QStringLiteral("All");
    // The honorifics offered after "None".
    static const QStringList &honorifics();

    // Without a record, the stored one (or the factory settings) is used.
    explicit AccessoryViewController(std::shared_ptr<PrintOptions> options = {}, QObject *parent = nullptr);
    ~AccessoryViewController() override;

    const std::shared_ptr<PrintOptions> &printOptions() const { return options_; }
    PrintView *printView() const { return printView_; }
    void setPrintView(PrintView *view) { printView_ = view; }
    // The columns of the window's view type: their items are switched on.
    QStringList columnsInMainView() const { return columnsInMainView_; }
    void setColumns(const QStringList &columns);
    QString currentStyle() const { return currentStyle_; }
    QString lastUnitType() const { return lastUnitType_; }
    QStringList verticalFonts() const { return verticalFonts_; }
    // The paper of the print job. On another paper the envelope tab shows that paper's box.
    const QPageLayout &pageLayout() const { return pageLayout_; }
    void setPageLayout(const QPageLayout &layout);

    // A length from one unit ("points", "inches", "mm") to another; unknown units leave it.
    static double changeValue(double value, const QString &fromUnit, const QString &toUnit);

    // ---- Controls
    QTabWidget *styleTab();
    QComboBox *unitTypePopup();
    QLineEdit *fontNameField();
    QSpinBox *fontSizeField();
    QPushButton *showFontButton();
    LengthField *topMarginField();
    LengthField *leftMarginField();
    LengthField *rightMarginField();
    LengthField *bottomMarginField();

    QListView *aListTabItemTableView();
    QCheckBox *aListTabPrintFrameSwitch();
    QCheckBox *aListTabAlternateRowSwitch();
    PullDownButton *aListLabelPopup();

    QComboBox *mLabelTabPresetPopup();
    LengthField *mLabelTabWidthField();
    LengthField *mLabelTabHeightField();
    LengthField *mLabelTabHGapField();
    LengthField *mLabelTabVGapField();
    QSpinBox *mLabelTabRepeatCountField();
    QCheckBox *mLabelTabPrintFrameSwitch();
    QCheckBox *mLabelTabPrintCompanySwitch();
    QCheckBox *mLabelTabPrintCountrySwitch();
    QCheckBox *mLabelTabPrintPrefixSwitch();
    QComboBox *mLabelTabKeishouPopup();
    QCheckBox *mLabelTabDrawVertical();
    QComboBox *mLabelTabFontPopup();

    QCheckBox *envelopeTabPrintFrameSwitch();
    QCheckBox *envelopeTabPrintCountrySwitch();
    QCheckBox *envelopeTabPrintCompanySwitch();
    QCheckBox *envelopeTabPrintPrefixSwitch();
    QComboBox *envelopeTabKeishouPopup();
    QComboBox *envelopeTabTextDirection();
    QCheckBox *envelopeTabDrawVertical();
    QComboBox *envelopeTabFontPopup();
    LengthField *envelopeTextOriginXField();
    LengthField *envelopeTextOriginYField();
    LengthField *envelopeTextWidthField();
    LengthField *envelopeTextHeightField();

    // ---- Actions (the sender decides what happens)
    void tabViewDidSelectTabViewItem(int index);
    void unitTypePopupChanged(QObject *sender);
    void marginChanged(QObject *sender);
    void fontSizeChanged(QObject *sender);
    void showFontsButtonPressed(QObject *sender);
    void changeFont(QObject *sender);
    void aListTabSwichChanged(QObject *sender);
    void aListTabLabelPopupChanged(QObject *sender);
    // A preset chosen in the preset popup is applied; the labels tab's other popups update.
    void mLabelTabPresetPopupChanged(QObject *sender);
    void mLabelTabSwichChanged(QObject *sender);
    void mLabelTabRepeatCountChanged(QObject *sender);
    void mLabelTabSizeChanged(QObject *sender);
    void envelopeTabSwichChanged(QObject *sender);
    void envelopeTabPopupSelected(QObject *sender);
    void envelopeTextSizeDidChange(QObject *sender);
    void handleNameChange(const QString &name, const QString &presetName);

    // ---- The address list's item table
    int numberOfRowsInTableView() const;
    struct ItemCell {
        QString title;
        bool state = false;
        bool enabled = false;
    };
    ItemCell tableViewObjectValue(int row) const;
    void tableViewSetObjectValue(bool state, int row);
    // A drag of exactly one row carries its index as plain text.
    bool tableViewWriteRows(const QList<int> &rows, QMimeData *pasteboard) const;
    // Moves only, above a row after the first, of a row index this table has.
    bool tableViewValidateDrop(const QMimeData *pasteboard, int row, Qt::DropAction action) const;
    bool tableViewAcceptDrop(const QMimeData *pasteboard, int row);

    // Writes the controls into the record, stores it and tells the preview.
    void updateUI();
    void updatePrintOptions();
    void updateItemTable(const QStringList &columns);

    void initAListTab();
    void initMLabelTab();
    void initMLabelTabPresetPopup(const QList<LabelPreset> &presets);
    void initEnvelopeTab();
    void makeVerticalFontList();

signals:
    // The record changed; the preview follows.
    void printOptionsChanged();

protected:
    QWidget *loadView() override;
    void viewDidLoad() override;

private:
    friend class AddressListItemModel;
    // What labels and envelopes both print by: the lines beside the address, the honorific
    // and vertical text with its font.
    struct AddressTextControls {
        QPointer<QCheckBox> printFrame, printCompany, printCountry, printPrefix, drawVertical;
        QPointer<QComboBox> keishou, font;
    };
    QLayout *makeAddressTextControls(AddressTextControls &controls,
                                     void (AccessoryViewController::*switchAction)(QObject *),
                                     void (AccessoryViewController::*popupAction)(QObject *));
    void loadAddressTextControls(const AddressTextOptions &options, const AddressTextControls &controls);
    void writeAddressTextControls(AddressTextOptions &options, const AddressTextControls &controls);
    QWidget *makeAddressListTab();
    QWidget *makeLabelsTab();
    QWidget *makeEnvelopeTab();
    QWidget *makeSharedControls();
    LengthField *lengthField(void (AccessoryViewController::*action)(QObject *));
    QCheckBox *switchControl(void (AccessoryViewController::*action)(QObject *));
    QComboBox *popup(void (AccessoryViewController::*action)(QObject *));

    QList<LengthField *> lengthFields() const;
    QList<LengthField *> marginFields() const;
    QList<LengthField *> envelopeBoxFields() const;
    // The paper's width and height in points, as oriented.
    QSizeF paperSize() const;
    // A margin or envelope box length kept within its bounds; other lengths as they stand.
    double clampedPoints(const LengthField *field) const;
    // Shows the bounded length. Not while the user types, which a bound would disturb:
    // the record gets the bounded length meanwhile, the field once editing ends.
    void showClampedValue(LengthField *field);
    void selectUnit(const QString &unit);
    void resetUnit();
    void applyPreset(const LabelPreset &preset);
    void fillLabelPopup();
    void loadEnvelopeBox();
    QString paperName() const;

    std::shared_ptr<PrintOptions> options_;
    PrintView *printView_ = nullptr;
    QStringList columnsInMainView_;
    QString currentStyle_;
    QString lastUnitType_ = Points;
    QStringList verticalFonts_;
    QPageLayout pageLayout_;

    QPointer<QTabWidget> styleTab_;
    QPointer<QComboBox> unitTypePopup_;
    QPointer<QLineEdit> fontNameField_;
    QPointer<QSpinBox> fontSizeField_;
    QPointer<QPushButton> showFontButton_;
    QPointer<LengthField> topMarginField_, leftMarginField_, rightMarginField_, bottomMarginField_;

    QPointer<AddressListItemView> aListTabItemTableView_;
    AddressListItemModel *itemModel_ = nullptr;
    QPointer<QCheckBox> aListTabPrintFrameSwitch_, aListTabAlternateRowSwitch_;
    QPointer<PullDownButton> aListLabelPopup_;

    QPointer<QComboBox> mLabelTabPresetPopup_;
    QPointer<LengthField> mLabelTabWidthField_, mLabelTabHeightField_, mLabelTabHGapField_, mLabelTabVGapField_;
    QPointer<QSpinBox> mLabelTabRepeatCountField_;
    AddressTextControls mLabelTab_;

    AddressTextControls envelopeTab_;
    QPointer<QComboBox> envelopeTabTextDirection_;
    QPointer<LengthField> envelopeTextOriginXField_, envelopeTextOriginYField_, envelopeTextWidthField_,
        envelopeTextHeightField_;
};
