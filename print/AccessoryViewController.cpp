#include "print/AccessoryViewController.h"

#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/Menu.h"
#include "print/PrintFonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QStringList &tabIdentifiers() {
    static const QStringList ids = {PrintStyle::AddressList, PrintStyle::MailingLabels, PrintStyle::Envelope};
    return ids;
}

const QStringList &units() {
    static const QStringList list = {AccessoryViewController::Points, AccessoryViewController::Inches,
                                     AccessoryViewController::Millimeters};
    return list;
}

double pointsPerUnit(const QString &unit) {
    if (unit == AccessoryViewController::Inches)
        return 72.0;
    if (unit == AccessoryViewController::Millimeters)
        return 72.0 / 25.4;
    return 1.0;
}

// A margin may reach 95% of the paper's side either way.
constexpr double marginLimit = 0.95;
// The envelope box keeps this much of the paper: its origin at most 95% across, its
// size at least 5% and at most the whole paper, its origin at most 20 points outside.
constexpr double boxOriginLimit = 0.95;
constexpr double boxMinimumShare = 0.05;
constexpr double boxOutside = -20.0;

// The label words the label popup offers first.
const QStringList &commonLabelWords() {
    static const QStringList words = {QStringLiteral("home"), QStringLiteral("work"), QStringLiteral("other")};
    return words;
}

QString labelTitle(const QString &word) {
    return QMPerson::localizedLabelFromCNLabel(QMPerson::CNLabelFromLabel(word).value_or(word));
}

} // namespace

// ---- Label presets notification

LabelAttributeNotifier &LabelAttributeNotifier::shared() {
    static LabelAttributeNotifier *notifier = new LabelAttributeNotifier;
    return *notifier;
}

// ---- Length field

LengthField::LengthField(QWidget *parent)
    : QDoubleSpinBox(parent)
    , unit_(AccessoryViewController::Points) {
    setDecimals(4);
    setRange(-100000, 100000);
    setAccelerated(true);
    // Connected first, so the length is current before anyone else hears of the change.
    connect(this, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        points_ = AccessoryViewController::changeValue(value, unit_, AccessoryViewController::Points);
    });
}

void LengthField::setPoints(double points) {
    points_ = points;
    display();
}

void LengthField::setUnit(const QString &unit) {
    unit_ = unit;
    setSingleStep(unit == AccessoryViewController::Inches ? 0.1 : 1.0);
    display();
}

void LengthField::display() {
    const QSignalBlocker blocker(this);
    setValue(AccessoryViewController::changeValue(points_, AccessoryViewController::Points, unit_));
}

void LengthField::stepBy(int steps) {
    stepping_ = true;
    QDoubleSpinBox::stepBy(steps);
    stepping_ = false;
}

QString LengthField::textFromValue(double value) const {
    QString text = locale().toString(qFuzzyIsNull(value) ? 0.0 : value, 'f', decimals());
    text.remove(locale().groupSeparator());
    const QString point = locale().decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

// ---- Item table

AddressListItemModel::AddressListItemModel(AccessoryViewController *controller)
    : QAbstractListModel(controller)
    , controller_(controller) {}

int AddressListItemModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : controller_->numberOfRowsInTableView();
}

QVariant AddressListItemModel::data(const QModelIndex &index, int role) const {
    const auto cell = controller_->tableViewObjectValue(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return cell.title;
    case Qt::CheckStateRole:
        return cell.state ? Qt::Checked : Qt::Unchecked;
    case Qt::ForegroundRole:
        return cell.enabled ? QVariant() : QVariant(QPalette().color(QPalette::Disabled, QPalette::Text));
    default:
        return {};
    }
}

bool AddressListItemModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (role != Qt::CheckStateRole || !controller_->tableViewObjectValue(index.row()).enabled)
        return false;
    controller_->tableViewSetObjectValue(value.value<Qt::CheckState>() == Qt::Checked, index.row());
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags AddressListItemModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    // Every row moves; only the switchable ones take a tick.
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (controller_->tableViewObjectValue(index.row()).enabled)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QStringList AddressListItemModel::mimeTypes() const { return {QStringLiteral("text/plain")}; }

QMimeData *AddressListItemModel::mimeData(const QModelIndexList &indexes) const {
    QList<int> rows;
    for (const QModelIndex &index : indexes)
        rows.append(index.row());
    auto data = std::make_unique<QMimeData>();
    return controller_->tableViewWriteRows(rows, data.get()) ? data.release() : nullptr;
}

bool AddressListItemModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                                           const QModelIndex &parent) const {
    if (parent.isValid())
        return false;
    return controller_->tableViewValidateDrop(data, row < 0 ? rowCount() : row, action);
}

bool AddressListItemModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                        const QModelIndex &parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    return controller_->tableViewAcceptDrop(data, row < 0 ? rowCount() : row);
}

void AddressListItemModel::reload() {
    beginResetModel();
    endResetModel();
}

void AddressListItemView::dragEnterEvent(QDragEnterEvent *event) {
    if (event->source() == this)
        QListView::dragEnterEvent(event);
    else
        event->ignore();
}

void AddressListItemView::dragMoveEvent(QDragMoveEvent *event) {
    if (event->source() == this)
        QListView::dragMoveEvent(event);
    else
        event->ignore();
}

void AddressListItemView::dropEvent(QDropEvent *event) {
    if (event->source() == this)
        QListView::dropEvent(event);
    else
        event->ignore();
}

// ---- Accessory

const QStringList &AccessoryViewController::honorifics() {
    static const QStringList list = {QStringLiteral("様"), QStringLiteral("御中"), QStringLiteral("殿")};
    return list;
}

AccessoryViewController::AccessoryViewController(std::shared_ptr<PrintOptions> options, QObject *parent)
    : ViewController(parent)
    , options_(options ? std::move(options)
                       : std::make_shared<PrintOptions>(PrintOptions::load(UserDefaults::standard()))) {
    registerAction(QStringLiteral("changeFont:"), [this](QObject *sender) { changeFont(sender); });
    registerAction(QStringLiteral("aListTabLabelPopupChanged:"),
                   [this](QObject *sender) { aListTabLabelPopupChanged(sender); });
}

AccessoryViewController::~AccessoryViewController() = default;

double AccessoryViewController::changeValue(double value, const QString &fromUnit, const QString &toUnit) {
    if (fromUnit == toUnit || !units().contains(fromUnit) || !units().contains(toUnit))
        return value;
    return value * pointsPerUnit(fromUnit) / pointsPerUnit(toUnit);
}

void AccessoryViewController::setColumns(const QStringList &columns) {
    columnsInMainView_ = columns;
    updateItemTable(columns);
}

void AccessoryViewController::updateItemTable(const QStringList &columns) {
    options_->addressList.updateItemTable(columns);
}

void AccessoryViewController::setPageLayout(const QPageLayout &layout) {
    if (layout.isEquivalentTo(pageLayout_) && layout.pageSize().key() == pageLayout_.pageSize().key())
        return;
    pageLayout_ = layout;
    if (!isViewLoaded())
        return;
    // The fields would otherwise show the former paper's box and store it for this one.
    loadEnvelopeBox();
    for (LengthField *field : marginFields())
        showClampedValue(field);
    updateUI();
}

QString AccessoryViewController::paperName() const { return pageLayout_.pageSize().key(); }

QSizeF AccessoryViewController::paperSize() const { return pageLayout_.fullRect(QPageLayout::Point).size(); }

// ---- Building the view

QWidget *AccessoryViewController::loadView() {
    auto *view = new QWidget;
    styleTab_ = new QTabWidget;
    styleTab_->addTab(makeAddressListTab(), L("Address List"));
    styleTab_->addTab(makeLabelsTab(), L("Mailing Labels"));
    styleTab_->addTab(makeEnvelopeTab(), L("Envelope"));
    QObject::connect(styleTab_, &QTabWidget::currentChanged, this,
                     [this](int index) { tabViewDidSelectTabViewItem(index); });
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(styleTab_, 1);
    layout->addWidget(makeSharedControls());
    return view;
}

LengthField *AccessoryViewController::lengthField(void (AccessoryViewController::*action)(QObject *)) {
    auto *field = new LengthField;
    QObject::connect(field, &QDoubleSpinBox::valueChanged, this, [this, field, action] { (this->*action)(field); });
    QObject::connect(field, &QAbstractSpinBox::editingFinished, this, [this, field] { showClampedValue(field); });
    return field;
}

QCheckBox *AccessoryViewController::switchControl(void (AccessoryViewController::*action)(QObject *)) {
    auto *box = new QCheckBox;
    QObject::connect(box, &QCheckBox::clicked, this, [this, box, action] { (this->*action)(box); });
    return box;
}

QComboBox *AccessoryViewController::popup(void (AccessoryViewController::*action)(QObject *)) {
    auto *combo = new QComboBox;
    // Only the user's choice is an action; the program's selections are not.
    QObject::connect(combo, &QComboBox::activated, this, [this, combo, action] { (this->*action)(combo); });
    return combo;
}

QWidget *AccessoryViewController::makeSharedControls() {
    auto *box = new QWidget;
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);

    unitTypePopup_ = popup(&AccessoryViewController::unitTypePopupChanged);
    for (const QString &unit : units())
        unitTypePopup_->addItem(L(unit.toUtf8().constData()), unit);
    fontNameField_ = new QLineEdit;
    fontNameField_->setReadOnly(true);
    fontSizeField_ = new QSpinBox;
    fontSizeField_->setRange(1, 999);
    QObject::connect(fontSizeField_, &QSpinBox::valueChanged, this, [this] { fontSizeChanged(fontSizeField_); });
    showFontButton_ = new QPushButton(L("Fonts…"));
    QObject::connect(showFontButton_, &QPushButton::clicked, this,
                     [this] { showFontsButtonPressed(showFontButton_); });
    topMarginField_ = lengthField(&AccessoryViewController::marginChanged);
    leftMarginField_ = lengthField(&AccessoryViewController::marginChanged);
    rightMarginField_ = lengthField(&AccessoryViewController::marginChanged);
    bottomMarginField_ = lengthField(&AccessoryViewController::marginChanged);

    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(fontNameField_, 1);
    fontRow->addWidget(fontSizeField_);
    fontRow->addWidget(showFontButton_);
    grid->addWidget(new QLabel(L("Font:")), 0, 0, Qt::AlignRight);
    grid->addLayout(fontRow, 0, 1, 1, 3);
    grid->addWidget(new QLabel(L("Unit:")), 0, 4, Qt::AlignRight);
    grid->addWidget(unitTypePopup_, 0, 5);
    const std::pair<const char *, LengthField *> margins[] = {
        {QT_TRID_NOOP("Top:"), topMarginField_},
        {QT_TRID_NOOP("Left:"), leftMarginField_},
        {QT_TRID_NOOP("Right:"), rightMarginField_},
        {QT_TRID_NOOP("Bottom:"), bottomMarginField_}};
    grid->addWidget(new QLabel(L("Margins")), 1, 0, 1, 6);
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(L(margins[i].first)), 2 + i / 2, (i % 2) * 2, Qt::AlignRight);
        grid->addWidget(margins[i].second, 2 + i / 2, (i % 2) * 2 + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget *AccessoryViewController::makeAddressListTab() {
    auto *tab = new QWidget;
    aListTabItemTableView_ = new AddressListItemView;
    itemModel_ = new AddressListItemModel(this);
    aListTabItemTableView_->setModel(itemModel_);
    aListTabItemTableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    aListTabItemTableView_->setDragEnabled(true);
    aListTabItemTableView_->setAcceptDrops(true);
    aListTabItemTableView_->setDropIndicatorShown(true);
    aListTabItemTableView_->setDragDropMode(QAbstractItemView::DragDrop);
    aListTabItemTableView_->setDefaultDropAction(Qt::MoveAction);
    aListTabPrintFrameSwitch_ = switchControl(&AccessoryViewController::aListTabSwichChanged);
    aListTabPrintFrameSwitch_->setText(L("Print Frame"));
    aListTabAlternateRowSwitch_ = switchControl(&AccessoryViewController::aListTabSwichChanged);
    aListTabAlternateRowSwitch_->setText(L("Alternate Rows"));
    aListLabelPopup_ = new PullDownButton;
    aListLabelPopup_->setPullDownMenu(new Menu);
    aListLabelPopup_->pullDownMenu()->setAutoenablesItems(false);

    auto *side = new QVBoxLayout;
    side->addWidget(aListTabPrintFrameSwitch_);
    side->addWidget(aListTabAlternateRowSwitch_);
    side->addWidget(aListLabelPopup_);
    side->addStretch();
    auto *layout = new QHBoxLayout(tab);
    layout->addWidget(aListTabItemTableView_, 1);
    layout->addLayout(side);
    return tab;
}

void AccessoryViewController::viewDidLoad() {
    makeVerticalFontList();
    currentStyle_.clear(); // the first selection counts as a change
    initAListTab();
    initMLabelTab();
    initEnvelopeTab();
    const qsizetype tab = std::max<qsizetype>(0, tabIdentifiers().indexOf(options_->printStyle));
    {
        const QSignalBlocker blocker(styleTab_);
        styleTab_->setCurrentIndex(int(tab));
    }
    tabViewDidSelectTabViewItem(int(tab));
    QObject::connect(&LabelAttributeNotifier::shared(), &LabelAttributeNotifier::labelAttributeChanged, this,
                     &AccessoryViewController::handleNameChange);
}

// ---- Controls

#define ACCESSORY_OUTLET(Type, name)                                                                               \
    Type *AccessoryViewController::name() {                                                                        \
        view();                                                                                                    \
        return name##_;                                                                                            \
    }
ACCESSORY_OUTLET(QTabWidget, styleTab)
ACCESSORY_OUTLET(QComboBox, unitTypePopup)
ACCESSORY_OUTLET(QLineEdit, fontNameField)
ACCESSORY_OUTLET(QSpinBox, fontSizeField)
ACCESSORY_OUTLET(QPushButton, showFontButton)
ACCESSORY_OUTLET(LengthField, topMarginField)
ACCESSORY_OUTLET(LengthField, leftMarginField)
ACCESSORY_OUTLET(LengthField, rightMarginField)
ACCESSORY_OUTLET(LengthField, bottomMarginField)
ACCESSORY_OUTLET(QListView, aListTabItemTableView)
ACCESSORY_OUTLET(QCheckBox, aListTabPrintFrameSwitch)
ACCESSORY_OUTLET(QCheckBox, aListTabAlternateRowSwitch)
ACCESSORY_OUTLET(PullDownButton, aListLabelPopup)
ACCESSORY_OUTLET(QComboBox, mLabelTabPresetPopup)
ACCESSORY_OUTLET(LengthField, mLabelTabWidthField)
ACCESSORY_OUTLET(LengthField, mLabelTabHeightField)
ACCESSORY_OUTLET(LengthField, mLabelTabHGapField)
ACCESSORY_OUTLET(LengthField, mLabelTabVGapField)
ACCESSORY_OUTLET(QSpinBox, mLabelTabRepeatCountField)
ACCESSORY_OUTLET(QComboBox, envelopeTabTextDirection)
ACCESSORY_OUTLET(LengthField, envelopeTextOriginXField)
ACCESSORY_OUTLET(LengthField, envelopeTextOriginYField)
ACCESSORY_OUTLET(LengthField, envelopeTextWidthField)
ACCESSORY_OUTLET(LengthField, envelopeTextHeightField)
#undef ACCESSORY_OUTLET

#define ADDRESS_TEXT_OUTLET(Type, name, tab, control)                                                              \
    Type *AccessoryViewController::name() {                                                                        \
        view();                                                                                                    \
        return tab.control;                                                                                        \
    }
ADDRESS_TEXT_OUTLET(QCheckBox, mLabelTabPrintFrameSwitch, mLabelTab_, printFrame)
ADDRESS_TEXT_OUTLET(QCheckBox, mLabelTabPrintCompanySwitch, mLabelTab_, printCompany)
ADDRESS_TEXT_OUTLET(QCheckBox, mLabelTabPrintCountrySwitch, mLabelTab_, printCountry)
ADDRESS_TEXT_OUTLET(QCheckBox, mLabelTabPrintPrefixSwitch, mLabelTab_, printPrefix)
ADDRESS_TEXT_OUTLET(QComboBox, mLabelTabKeishouPopup, mLabelTab_, keishou)
ADDRESS_TEXT_OUTLET(QCheckBox, mLabelTabDrawVertical, mLabelTab_, drawVertical)
ADDRESS_TEXT_OUTLET(QComboBox, mLabelTabFontPopup, mLabelTab_, font)
ADDRESS_TEXT_OUTLET(QCheckBox, envelopeTabPrintFrameSwitch, envelopeTab_, printFrame)
ADDRESS_TEXT_OUTLET(QCheckBox, envelopeTabPrintCountrySwitch, envelopeTab_, printCountry)
ADDRESS_TEXT_OUTLET(QCheckBox, envelopeTabPrintCompanySwitch, envelopeTab_, printCompany)
ADDRESS_TEXT_OUTLET(QCheckBox, envelopeTabPrintPrefixSwitch, envelopeTab_, printPrefix)
ADDRESS_TEXT_OUTLET(QComboBox, envelopeTabKeishouPopup, envelopeTab_, keishou)
ADDRESS_TEXT_OUTLET(QCheckBox, envelopeTabDrawVertical, envelopeTab_, drawVertical)
ADDRESS_TEXT_OUTLET(QComboBox, envelopeTabFontPopup, envelopeTab_, font)
#undef ADDRESS_TEXT_OUTLET

QList<LengthField *> AccessoryViewController::marginFields() const {
    return {topMarginField_, leftMarginField_, rightMarginField_, bottomMarginField_};
}

QList<LengthField *> AccessoryViewController::envelopeBoxFields() const {
    return {envelopeTextOriginXField_, envelopeTextOriginYField_, envelopeTextWidthField_, envelopeTextHeightField_};
}

QList<LengthField *> AccessoryViewController::lengthFields() const {
    return marginFields() + QList<LengthField *>{mLabelTabWidthField_, mLabelTabHeightField_, mLabelTabHGapField_,
                                                 mLabelTabVGapField_} +
           envelopeBoxFields();
}

// ---- Tabs and units

void AccessoryViewController::tabViewDidSelectTabViewItem(int index) {
    const QString identifier = tabIdentifiers().value(index);
    if (identifier != currentStyle_) {
        currentStyle_ = identifier;
        if (!identifier.isEmpty())
            setLastPrintStyle(identifier, UserDefaults::standard());
        resetUnit();
        if (identifier == PrintStyle::AddressList)
            initAListTab();
        else if (identifier == PrintStyle::MailingLabels)
            initMLabelTab();
        else if (identifier == PrintStyle::Envelope)
            initEnvelopeTab();
        // The address list alone prints in the chosen size; labels and envelopes fit theirs.
        fontSizeField_->setEnabled(identifier == PrintStyle::AddressList);
        fontNameField_->setText(options_->fontName);
        {
            const QSignalBlocker blocker(fontSizeField_);
            fontSizeField_->setValue(int(options_->fontSize));
        }
        topMarginField_->setPoints(options_->topMargin);
        leftMarginField_->setPoints(options_->leftMargin);
        rightMarginField_->setPoints(options_->rightMargin);
        bottomMarginField_->setPoints(options_->bottomMargin);
    }
    updateUI();
}

void AccessoryViewController::selectUnit(const QString &unit) {
    lastUnitType_ = unit;
    unitTypePopup_->setCurrentIndex(unitTypePopup_->findData(unit));
    for (LengthField *field : lengthFields())
        field->setUnit(unit);
}

// Tabs open in the record's unit (points, unless a stored record says otherwise).
void AccessoryViewController::resetUnit() {
    selectUnit(units().contains(options_->unitType) ? options_->unitType : Points);
}

void AccessoryViewController::unitTypePopupChanged(QObject *sender) {
    if (sender != unitTypePopup_)
        return;
    // The record holds points, which have not changed.
    selectUnit(unitTypePopup_->currentData().toString());
}

double AccessoryViewController::clampedPoints(const LengthField *field) const {
    const double v = field->points();
    const QSizeF paper = paperSize();
    if (marginFields().contains(field)) {
        const bool vertical = field == topMarginField_ || field == bottomMarginField_;
        const double limit = marginLimit * (vertical ? paper.height() : paper.width());
        return std::clamp(v, -limit, limit);
    }
    if (field == envelopeTextOriginXField_ || field == envelopeTextOriginYField_) {
        const double side = field == envelopeTextOriginXField_ ? paper.width() : paper.height();
        return std::max(std::min(v, boxOriginLimit * side), boxOutside);
    }
    if (field == envelopeTextWidthField_ || field == envelopeTextHeightField_) {
        const double side = field == envelopeTextWidthField_ ? paper.width() : paper.height();
        return std::max(std::min(v, side), boxMinimumShare * side);
    }
    return v;
}

void AccessoryViewController::showClampedValue(LengthField *field) {
    const double clamped = clampedPoints(field);
    if (clamped != field->points())
        field->setPoints(clamped);
}

void AccessoryViewController::marginChanged(QObject *sender) {
    auto *field = qobject_cast<LengthField *>(sender);
    if (field && marginFields().contains(field) && field->isStepping())
        showClampedValue(field);
    updateUI();
}

void AccessoryViewController::fontSizeChanged(QObject *) { updateUI(); }

void AccessoryViewController::showFontsButtonPressed(QObject *) {
    FontManager &manager = FontManager::shared();
    manager.setTarget(this);
    QFont font(fontNameField_->text().isEmpty() ? PrintFonts::userFontFamily() : fontNameField_->text());
    font.setPointSize(fontSizeField_->value());
    manager.setSelectedFont(font, false);
    manager.orderFrontFontPanel();
}

void AccessoryViewController::changeFont(QObject *sender) {
    auto *manager = qobject_cast<FontManager *>(sender);
    if (!manager)
        return;
    QFont current(fontNameField_->text());
    current.setPointSize(fontSizeField_->value());
    const QFont font = manager->convertFont(current);
    fontNameField_->setText(font.family());
    if (font.pointSizeF() >= 1) {
        const QSignalBlocker blocker(fontSizeField_);
        fontSizeField_->setValue(int(font.pointSizeF()));
    }
    updateUI();
}

// ---- Writing the record

void AccessoryViewController::updateUI() {
    updatePrintOptions();
    options_->store(UserDefaults::standard());
    emit printOptionsChanged();
}

void AccessoryViewController::updatePrintOptions() {
    if (!isViewLoaded())
        return;
    PrintOptions &o = *options_;
    o.printStyle = tabIdentifiers().value(styleTab_->currentIndex());
    o.fontSize = fontSizeField_->value();
    o.fontName = fontNameField_->text();
    o.topMargin = clampedPoints(topMarginField_);
    o.leftMargin = clampedPoints(leftMarginField_);
    o.rightMargin = clampedPoints(rightMarginField_);
    o.bottomMargin = clampedPoints(bottomMarginField_);
    if (o.printStyle == PrintStyle::AddressList) {
        o.addressList.printFrame = aListTabPrintFrameSwitch_->isChecked();
        o.addressList.alternatingRow = aListTabAlternateRowSwitch_->isChecked();
        if (o.addressList.selectedLabels.isEmpty())
            o.addressList.selectedLabels = {AllLabels};
    } else if (o.printStyle == PrintStyle::MailingLabels) {
        MailingLabelsOptions &m = o.mailingLabels;
        m.labelHeight = mLabelTabHeightField_->points();
        m.labelWidth = mLabelTabWidthField_->points();
        m.vGap = mLabelTabVGapField_->points();
        m.hGap = mLabelTabHGapField_->points();
        m.repeatCount = mLabelTabRepeatCountField_->value();
        writeAddressTextControls(m, mLabelTab_);
    } else if (o.printStyle == PrintStyle::Envelope) {
        EnvelopeOptions &e = o.envelope;
        writeAddressTextControls(e, envelopeTab_);
        const QString direction = envelopeTabTextDirection_->currentData().toString();
        if (direction != e.textDirection) {
            // The box turns with its text.
            e.textDirection = direction;
            const double width = envelopeTextWidthField_->points();
            envelopeTextWidthField_->setPoints(envelopeTextHeightField_->points());
            envelopeTextHeightField_->setPoints(width);
        }
        e.textRectDict.insert(paperName(),
                              QRectF(clampedPoints(envelopeTextOriginXField_), clampedPoints(envelopeTextOriginYField_),
                                     clampedPoints(envelopeTextWidthField_), clampedPoints(envelopeTextHeightField_)));
    }
}

// ---- Address list tab

void AccessoryViewController::initAListTab() {
    updateItemTable(columnsInMainView_);
    itemModel_->reload();
    resetUnit();
    aListTabPrintFrameSwitch_->setChecked(options_->addressList.printFrame);
    aListTabAlternateRowSwitch_->setChecked(options_->addressList.alternatingRow);
    fillLabelPopup();
}

void AccessoryViewController::fillLabelPopup() {
    Menu *menu = aListLabelPopup_->pullDownMenu();
    menu->removeAllItems();
    menu->addItem(L("Label"));
    const QStringList &stored = options_->addressList.selectedLabels;
    const bool all = stored.isEmpty() || stored.first() == AllLabels;
    const auto add = [&](const QString &title, const QString &word) {
        MenuItem *item = menu->addItem(title, QStringLiteral("aListTabLabelPopupChanged:"));
        item->setTarget(this);
        item->setRepresentedObject(word);
        // The ticks show the stored filter, so that what is ticked is what prints.
        item->setState((word == AllLabels ? all : !all && stored.contains(word)) ? StateOn : StateOff);
    };
    add(L("All"), AllLabels);
    QStringList words = commonLabelWords();
    const QHash<QString, QStringList> table = QMPerson::labelTableDict();
    for (const QString &identifier :
         {FieldId::Phone, FieldId::Email, FieldId::Address, FieldId::URL, FieldId::SocialNetwork,
          FieldId::InstantMessage, FieldId::Dates, FieldId::Relationship})
        for (const QString &word : table.value(identifier))
            if (word != AllLabels && !words.contains(word))
                words.append(word);
    for (const QString &word : words)
        add(labelTitle(word), word);
    aListLabelPopup_->synchronizeTitle();
}

void AccessoryViewController::aListTabSwichChanged(QObject *) { updateUI(); }

void AccessoryViewController::aListTabLabelPopupChanged(QObject *sender) {
    Menu *menu = aListLabelPopup_ ? aListLabelPopup_->pullDownMenu() : nullptr;
    auto *chosen = qobject_cast<MenuItem *>(sender);
    if (!menu || !chosen || menu->indexOfItem(chosen) < 1) {
        updateUI();
        return;
    }
    MenuItem *all = menu->itemAtIndex(1);
    const QList<MenuItem *> labelItems = menu->itemArray().mid(2);
    QStringList result;
    if (chosen == all) {
        if (all->state() != StateOn) {
            all->setState(StateOn);
            for (MenuItem *item : labelItems)
                item->setState(StateOff);
        }
    } else {
        chosen->setState(chosen->state() == StateOn ? StateOff : StateOn);
        if (chosen->state() == StateOn)
            all->setState(StateOff);
        for (MenuItem *item : labelItems)
            if (item->state() == StateOn)
                result.append(item->representedObject().toString());
    }
    if (result.isEmpty()) {
        result = {AllLabels};
        all->setState(StateOn);
    }
    options_->addressList.selectedLabels = result;
    updateUI();
}

int AccessoryViewController::numberOfRowsInTableView() const { return int(options_->addressList.itemTable.size()); }

AccessoryViewController::ItemCell AccessoryViewController::tableViewObjectValue(int row) const {
    const auto &items = options_->addressList.itemTable;
    if (row < 0 || row >= items.size())
        return {};
    const AddressListItem &item = items[row];
    return {QMPerson::localizedIdentifierForKey(item.title), item.state, item.enabled};
}

void AccessoryViewController::tableViewSetObjectValue(bool state, int row) {
    auto &items = options_->addressList.itemTable;
    if (row < 0 || row >= items.size())
        return;
    items[row].state = state;
    updateUI();
}

bool AccessoryViewController::tableViewWriteRows(const QList<int> &rows, QMimeData *pasteboard) const {
    if (rows.size() != 1 || !pasteboard)
        return false;
    pasteboard->setText(QString::number(rows.first()));
    return true;
}

namespace {
// The dragged row's index, when the text is one this table has.
std::optional<int> draggedRow(const QMimeData *pasteboard, int rowCount) {
    if (!pasteboard || !pasteboard->hasText())
        return std::nullopt;
    bool ok = false;
    const int row = pasteboard->text().toInt(&ok);
    return ok && row >= 0 && row < rowCount ? std::optional<int>(row) : std::nullopt;
}
} // namespace

bool AccessoryViewController::tableViewValidateDrop(const QMimeData *pasteboard, int row,
                                                    Qt::DropAction action) const {
    const int count = numberOfRowsInTableView();
    return action == Qt::MoveAction && row > 0 && row <= count && draggedRow(pasteboard, count);
}

bool AccessoryViewController::tableViewAcceptDrop(const QMimeData *pasteboard, int row) {
    if (!tableViewValidateDrop(pasteboard, row, Qt::MoveAction))
        return false;
    auto &items = options_->addressList.itemTable;
    const int from = *draggedRow(pasteboard, int(items.size()));
    const AddressListItem item = items[from];
    if (from >= row) {
        items.removeAt(from);
        items.insert(row, item);
    } else {
        items.insert(row, item);
        items.removeAt(from);
    }
    itemModel_->reload();
    updateUI();
    return true;
}
