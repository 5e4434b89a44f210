// The mailing-labels and envelope tabs of the print accessory.
#include "print/AccessoryViewController.h"

#include "platform/core/Localization.h"
#include "print/PrintFonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Selects the item whose data is `value`; a value the popup lacks is added first, so a
// stored honorific or font the list does not offer stays what prints.
void selectData(QComboBox *popup, const QString &value, const QString &title) {
    int index = popup->findData(value);
    if (index < 0) {
        popup->addItem(title, value);
        index = popup->count() - 1;
    }
    popup->setCurrentIndex(index);
}

QComboBox *withHonorifics(QComboBox *popup) {
    popup->addItem(L("None"), QString());
    for (const QString &honorific : AccessoryViewController::honorifics())
        popup->addItem(honorific, honorific);
    return popup;
}

QLabel *label(const char *text) { return new QLabel(L(text)); }

} // namespace

// ---- Building the tabs

QLayout *AccessoryViewController::makeAddressTextControls(AddressTextControls &controls,
                                                          void (AccessoryViewController::*switchAction)(QObject *),
                                                          void (AccessoryViewController::*popupAction)(QObject *)) {
    for (QPointer<QCheckBox> *box : {&controls.printFrame, &controls.printCompany, &controls.printCountry,
                                     &controls.printPrefix, &controls.drawVertical})
        *box = switchControl(switchAction);
    controls.keishou = withHonorifics(popup(popupAction));
    controls.font = popup(popupAction);
    auto *switches = new QGridLayout;
    switches->addWidget(controls.printFrame, 0, 0);
    switches->addWidget(controls.printCompany, 0, 1);
    switches->addWidget(controls.printCountry, 1, 0);
    switches->addWidget(controls.printPrefix, 1, 1);
    switches->addWidget(label("Suffix:"), 2, 0, Qt::AlignRight);
    switches->addWidget(controls.keishou, 2, 1);
    switches->addWidget(controls.drawVertical, 3, 0);
    switches->addWidget(controls.font, 3, 1);
    return switches;
}

QWidget *AccessoryViewController::makeLabelsTab() {
    auto *tab = new QWidget;
    mLabelTabPresetPopup_ = popup(&AccessoryViewController::mLabelTabPresetPopupChanged);
    mLabelTabWidthField_ = lengthField(&AccessoryViewController::mLabelTabSizeChanged);
    mLabelTabHeightField_ = lengthField(&AccessoryViewController::mLabelTabSizeChanged);
    mLabelTabHGapField_ = lengthField(&AccessoryViewController::mLabelTabSizeChanged);
    mLabelTabVGapField_ = lengthField(&AccessoryViewController::mLabelTabSizeChanged);
    for (LengthField *field : {mLabelTabWidthField_.data(), mLabelTabHeightField_.data(), mLabelTabHGapField_.data(),
                               mLabelTabVGapField_.data()})
        field->setMinimum(0);
    mLabelTabRepeatCountField_ = new QSpinBox;
    mLabelTabRepeatCountField_->setRange(1, 100);
    QObject::connect(mLabelTabRepeatCountField_, &QSpinBox::valueChanged, this,
                     [this] { mLabelTabRepeatCountChanged(mLabelTabRepeatCountField_); });

    auto *grid = new QGridLayout;
    grid->addWidget(label("Preset:"), 0, 0, Qt::AlignRight);
    grid->addWidget(mLabelTabPresetPopup_, 0, 1, 1, 3);
    grid->addWidget(label("Width:"), 1, 0, Qt::AlignRight);
    grid->addWidget(mLabelTabWidthField_, 1, 1);
    grid->addWidget(label("Height:"), 1, 2, Qt::AlignRight);
    grid->addWidget(mLabelTabHeightField_, 1, 3);
    grid->addWidget(label("Horizontal Gap:"), 2, 0, Qt::AlignRight);
    grid->addWidget(mLabelTabHGapField_, 2, 1);
    grid->addWidget(label("Vertical Gap:"), 2, 2, Qt::AlignRight);
    grid->addWidget(mLabelTabVGapField_, 2, 3);
    grid->addWidget(label("Repeat Count:"), 3, 0, Qt::AlignRight);
    grid->addWidget(mLabelTabRepeatCountField_, 3, 1);
    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(grid);
    // The honorific and the font report through the preset popup's action.
    layout->addLayout(makeAddressTextControls(mLabelTab_, &AccessoryViewController::mLabelTabSwichChanged,
                                              &AccessoryViewController::mLabelTabPresetPopupChanged));
    layout->addStretch();
    return tab;
}

QWidget *AccessoryViewController::makeEnvelopeTab() {
    auto *tab = new QWidget;
    envelopeTabTextDirection_ = popup(&AccessoryViewController::envelopeTabPopupSelected);
    envelopeTabTextDirection_->addItem(L("Left-Right"), TextDirection::LeftRight);
    envelopeTabTextDirection_->addItem(L("Up-Down"), TextDirection::UpDown);
    envelopeTextOriginXField_ = lengthField(&AccessoryViewController::envelopeTextSizeDidChange);
    envelopeTextOriginYField_ = lengthField(&AccessoryViewController::envelopeTextSizeDidChange);
    envelopeTextWidthField_ = lengthField(&AccessoryViewController::envelopeTextSizeDidChange);
    envelopeTextHeightField_ = lengthField(&AccessoryViewController::envelopeTextSizeDidChange);

    auto *grid = new QGridLayout;
    grid->addWidget(label("Text Direction:"), 0, 0, Qt::AlignRight);
    grid->addWidget(envelopeTabTextDirection_, 0, 1, 1, 2);
    grid->addWidget(label("Origin:"), 1, 0, Qt::AlignRight);
    grid->addWidget(envelopeTextOriginXField_, 1, 1);
    grid->addWidget(envelopeTextOriginYField_, 1, 2);
    grid->addWidget(label("Size:"), 2, 0, Qt::AlignRight);
    grid->addWidget(envelopeTextWidthField_, 2, 1);
    grid->addWidget(envelopeTextHeightField_, 2, 2);
    auto *layout = new QVBoxLayout(tab);
    layout->addLayout(grid);
    layout->addLayout(makeAddressTextControls(envelopeTab_, &AccessoryViewController::envelopeTabSwichChanged,
                                              &AccessoryViewController::envelopeTabPopupSelected));
    layout->addStretch();
    return tab;
}

// Installed families that write Japanese; the user font's when there are none.
void AccessoryViewController::makeVerticalFontList() {
    verticalFonts_.clear();
    for (const QString &family : QFontDatabase::families(QFontDatabase::Japanese))
        if (!family.startsWith(u'.') && !verticalFonts_.contains(family))
            verticalFonts_.append(family);
    if (verticalFonts_.isEmpty())
        verticalFonts_.append(PrintFonts::userFontFamily());
}

// ---- Shared by both tabs

void AccessoryViewController::loadAddressTextControls(const AddressTextOptions &options,
                                                      const AddressTextControls &controls) {
    const std::pair<QCheckBox *, const char *> titles[] = {{controls.printFrame, QT_TRID_NOOP("Print Frame")},
                                                           {controls.printCompany, QT_TRID_NOOP("Print Company")},
                                                           {controls.printCountry, QT_TRID_NOOP("Print Country")},
                                                           {controls.printPrefix, QT_TRID_NOOP("Print Prefix")},
                                                           {controls.drawVertical, QT_TRID_NOOP("Draw Text in Vertical")}};
    for (const auto &[box, title] : titles)
        box->setText(L(title));
    controls.printFrame->setChecked(options.printFrame);
    controls.printCompany->setChecked(options.printCompany);
    controls.printCountry->setChecked(options.printCountry);
    controls.printPrefix->setChecked(options.printPrefix);
    // Loaded like the other switches, so the stored choice holds when the tab opens again.
    controls.drawVertical->setChecked(options.printVertical);
    selectData(controls.keishou, options.keishou, options.keishou);

    QComboBox *font = controls.font;
    font->clear();
    for (const QString &family : verticalFonts_)
        font->addItem(family, family);
    QString family = options.verticalFontName;
    if (family.isEmpty()) {
        const QString preferred = PrintFonts::defaultVerticalFontFamily();
        family = verticalFonts_.contains(preferred) ? preferred
                                                    : verticalFonts_.value(0, PrintFonts::userFontFamily());
    }
    selectData(font, family, family);
    font->setEnabled(options.printVertical);
}

void AccessoryViewController::writeAddressTextControls(AddressTextOptions &options,
                                                       const AddressTextControls &controls) {
    options.printFrame = controls.printFrame->isChecked();
    options.printCompany = controls.printCompany->isChecked();
    options.printCountry = controls.printCountry->isChecked();
    options.printPrefix = controls.printPrefix->isChecked();
    // The honorific itself, never the shown "None".
    options.keishou = controls.keishou->currentData().toString();
    options.printVertical = controls.drawVertical->isChecked();
    options.verticalFontName = controls.font->currentData().toString();
    controls.font->setEnabled(options.printVertical);
}

// ---- Labels tab

void AccessoryViewController::initMLabelTab() {
    MailingLabelsOptions &m = options_->mailingLabels;
    initMLabelTabPresetPopup(m.presetArray);
    resetUnit();
    mLabelTabWidthField_->setPoints(m.labelWidth);
    mLabelTabHeightField_->setPoints(m.labelHeight);
    mLabelTabVGapField_->setPoints(m.vGap);
    mLabelTabHGapField_->setPoints(m.hGap);
    {
        const QSignalBlocker blocker(mLabelTabRepeatCountField_);
        mLabelTabRepeatCountField_->setValue(int(std::clamp<qint64>(m.repeatCount, 1, 100)));
    }
    loadAddressTextControls(m, mLabelTab_);
    if (m.verticalFontName.isEmpty())
        m.verticalFontName = mLabelTab_.font->currentData().toString();
}

// One item per preset name; showing the first does not apply it.
void AccessoryViewController::initMLabelTabPresetPopup(const QList<LabelPreset> &presets) {
    const QSignalBlocker blocker(mLabelTabPresetPopup_);
    mLabelTabPresetPopup_->clear();
    for (const LabelPreset &preset : presets) {
        const int existing = mLabelTabPresetPopup_->findText(preset.name, Qt::MatchExactly);
        if (existing >= 0)
            mLabelTabPresetPopup_->setItemData(existing, QVariant::fromValue(preset.name));
        else
            mLabelTabPresetPopup_->addItem(preset.name, preset.name);
    }
    mLabelTabPresetPopup_->setCurrentIndex(0);
}

void AccessoryViewController::applyPreset(const LabelPreset &preset) {
    mLabelTabWidthField_->setPoints(preset.labelWidth.toDouble());
    mLabelTabHeightField_->setPoints(preset.labelHeight.toDouble());
    mLabelTabVGapField_->setPoints(preset.vGap.toDouble());
    mLabelTabHGapField_->setPoints(preset.hGap.toDouble());
}

void AccessoryViewController::mLabelTabPresetPopupChanged(QObject *sender) {
    if (sender == mLabelTabPresetPopup_) {
        // The last preset of that name, as the popup shows one item per name.
        const int index = mLabelTabPresetPopup_->currentIndex();
        const QString name = mLabelTabPresetPopup_->itemData(index).toString();
        const auto &presets = options_->mailingLabels.presetArray;
        const auto found = std::find_if(presets.rbegin(), presets.rend(),
                                        [&](const LabelPreset &preset) { return preset.name == name; });
        if (index < 0 || found == presets.rend())
            return;
        applyPreset(*found);
    }
    updateUI();
}

void AccessoryViewController::mLabelTabSwichChanged(QObject *) { updateUI(); }

void AccessoryViewController::mLabelTabRepeatCountChanged(QObject *) { updateUI(); }

void AccessoryViewController::mLabelTabSizeChanged(QObject *) { updateUI(); }

void AccessoryViewController::handleNameChange(const QString &name, const QString &presetName) {
    if (name == LabelAttributeNotifier::Name && isViewLoaded()) {
        initMLabelTabPresetPopup(options_->mailingLabels.presetArray);
        const int index = presetName.isNull() ? -1 : mLabelTabPresetPopup_->findText(presetName, Qt::MatchExactly);
        if (index >= 0) {
            mLabelTabPresetPopup_->setCurrentIndex(index);
            mLabelTabPresetPopupChanged(mLabelTabPresetPopup_);
            return;
        }
    }
    updateUI();
}

// ---- Envelope tab

void AccessoryViewController::initEnvelopeTab() {
    EnvelopeOptions &e = options_->envelope;
    loadAddressTextControls(e, envelopeTab_);
    if (e.verticalFontName.isEmpty())
        e.verticalFontName = envelopeTab_.font->currentData().toString();
    // The stored direction, so that the box is not turned again at the next change.
    if (e.textDirection != TextDirection::UpDown)
        e.textDirection = TextDirection::LeftRight;
    envelopeTabTextDirection_->setCurrentIndex(envelopeTabTextDirection_->findData(e.textDirection));
    loadEnvelopeBox();
}

void AccessoryViewController::loadEnvelopeBox() {
    EnvelopeOptions &e = options_->envelope;
    const QString paper = paperName();
    if (!e.textRectDict.contains(paper))
        e.textRectDict.insert(paper, defaultEnvelopeTextRect(paperSize()));
    const QRectF box = e.textRectDict.value(paper);
    envelopeTextOriginXField_->setPoints(box.x());
    envelopeTextOriginYField_->setPoints(box.y());
    envelopeTextWidthField_->setPoints(box.width());
    envelopeTextHeightField_->setPoints(box.height());
}

void AccessoryViewController::envelopeTabSwichChanged(QObject *) { updateUI(); }

void AccessoryViewController::envelopeTabPopupSelected(QObject *) { updateUI(); }

void AccessoryViewController::envelopeTextSizeDidChange(QObject *sender) {
    auto *field = qobject_cast<LengthField *>(sender);
    if (field && envelopeBoxFields().contains(field) && field->isStepping())
        showClampedValue(field);
    updateUI();
}
