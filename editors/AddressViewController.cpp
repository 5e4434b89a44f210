#include "editors/AddressViewController.h"

#include "editors/CountryPullDown.h"
#include "editors/EditorForm.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"
#include "platform/ui/Beep.h"
#include "platform/ui/Menu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace {

const QString Japan = QStringLiteral("JP");

// Return never presses Done: it ends the postal code's entry, which may enable Lookup.
PopoverEditor::Departures addressDepartures() {
    PopoverEditor::Departures departures = PopoverEditor::Departures::oneLabeledValue();
    departures.returnAfterChange = false;
    return departures;
}

// Setting a field's text moves its cursor: only a text that differs is set.
void show(QLineEdit *field, const QString &text) {
    if (field->text() != text) {
        const QSignalBlocker blocker(field);
        field->setText(text);
    }
}

void show(QPlainTextEdit *field, const QString &text) {
    if (field->toPlainText() != text) {
        const QSignalBlocker blocker(field);
        field->setPlainText(text);
    }
}

QPlainTextEdit *makeTextArea(int lines) {
    auto *area = new QPlainTextEdit;
    area->setTabChangesFocus(true);
    const int lineHeight = area->fontMetrics().lineSpacing();
    area->setFixedHeight(lineHeight * lines + 2 * area->frameWidth() + 8);
    return area;
}

// Controls sharing one row of the form; `stretched` takes the room left.
QWidget *together(std::initializer_list<QWidget *> widgets, const QWidget *stretched) {
    auto *box = new QWidget;
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *widget : widgets)
        layout->addWidget(widget, widget == stretched ? 1 : 0);
    return box;
}

} // namespace

const QString AddressViewController::newAddressZIP = QStringLiteral("123");
const QString AddressViewController::noListedStreet = QStringLiteral("以下に掲載がない場合");

AddressViewController::AddressViewController(QObject *parent)
    : LabeledValueEditor(parent, addressDepartures()) {}

const PostalCodeIndex &AddressViewController::zipdb() {
    return PostalCodeIndex::shared();
}

QList<PostalCodeRecord> AddressViewController::addressesFromZip(const QString &zip) const {
    return zipdb().addressesFromZip(zip);
}

QWidget *AddressViewController::makeBody() {
    auto *body = new QWidget;
    QFormLayout *form = EditorForm::make(body);

    labelPopup_ = new PopUpButton;
    EditorForm::addRow(form, L("Label") + QLatin1Char(':'), labelPopup_);

    countryCodePopup_ = new PullDownButton;
    countryCodePopup_->setObjectName(QStringLiteral("countryCodePopup"));
    countryField_ = new QLineEdit;
    countryField_->setPlaceholderText(L("Country"));
    QWidget *countryBox = together({countryCodePopup_, countryField_}, countryField_);
    EditorForm::addRow(form, QMPerson::localizedIdentifierForKey(FieldId::Country) + QLatin1Char(':'), countryBox);

    zipField_ = new QLineEdit;
    zipField_->setPlaceholderText(L("ZIP"));
    zipButton_ = new QPushButton(L("Lookup"));
    zipButton_->setAutoDefault(false);
    zipButton_->setEnabled(false);
    zipMessage_ = new QLabel;
    zipMessage_->setObjectName(QStringLiteral("zipMessage"));
    zipMessage_->setVisible(false);
    QWidget *zipBox = together({zipField_, zipButton_, zipMessage_}, zipField_);
    EditorForm::addRow(form, QMPerson::localizedIdentifierForKey(FieldId::ZIP) + QLatin1Char(':'), zipBox);

    stateField_ = new QLineEdit;
    stateField_->setPlaceholderText(L("State"));
    statePulldown_ = new PullDownButton;
    statePulldown_->setObjectName(QStringLiteral("statePulldown"));
    showCodeCheckBox_ = new QCheckBox(L("Codes"));
    QWidget *stateBox = together({stateField_, statePulldown_, showCodeCheckBox_}, stateField_);
    EditorForm::addRow(form, QMPerson::localizedIdentifierForKey(FieldId::State) + QLatin1Char(':'), stateBox);

    cityField_ = new QLineEdit;
    cityField_->setPlaceholderText(L("City"));
    EditorForm::addRow(form, QMPerson::localizedIdentifierForKey(FieldId::City) + QLatin1Char(':'), cityField_);

    // A street may hold several lines.
    streetField_ = makeTextArea(2);
    streetField_->setPlaceholderText(L("Street"));
    EditorForm::addRow(form, QMPerson::localizedIdentifierForKey(FieldId::Street) + QLatin1Char(':'), streetField_);

    postalAddressField_ = makeTextArea(4);
    postalAddressField_->setObjectName(QStringLiteral("postalAddressField"));
    postalAddressField_->setReadOnly(true);
    postalAddressField_->setFocusPolicy(Qt::NoFocus);
    form->addRow(postalAddressField_);

    connect(labelPopup_, &QComboBox::activated, this, &AddressViewController::labelChosen);
    connect(zipButton_, &QPushButton::clicked, this, &AddressViewController::lookup);
    connect(zipField_, &QLineEdit::editingFinished, this, &AddressViewController::zipFieldFinished);
    connect(zipField_, &QLineEdit::textEdited, this, [this] {
        zipTouched_ = true;
        zipMessage_->setVisible(false);
    });
    for (QLineEdit *field : {countryField_, zipField_, stateField_, cityField_})
        connect(field, &QLineEdit::textEdited, this, &AddressViewController::fieldsEdited);
    connect(streetField_, &QPlainTextEdit::textChanged, this, &AddressViewController::fieldsEdited);
    connect(showCodeCheckBox_, &QCheckBox::clicked, this, &AddressViewController::checkBoxDidChange);
    setFieldsToClear({countryField_, zipField_, stateField_, cityField_});

    CountryPullDown::replaceMenu(countryCodePopup_, CountryPullDown::makeMenu(QString()));
    CountryPullDown::replaceMenu(statePulldown_, CountryPullDown::makeMenu(L("States")));
    // Build the lookup's index now, unless a preload already did: the first lookup never waits.
    zipdb();
    return body;
}

// The name in the language of the user's first preferred language ("Country." + code).
QString AddressViewController::countryName(const QString &code) const {
    const auto entry = addressFormatDict_.constFind(code);
    if (entry == addressFormatDict_.constEnd())
        return {};
    const QString localized = entry->localizedCountries.value(languageCode_);
    return localized.isEmpty() ? entry->country : localized;
}

void AddressViewController::fillFromContext(bool) {
    const EditorContext &context = *contextInfo();
    labels_ = QMPerson::labelTableDict().value(context.type);
    localizedLabels_ = QMPerson::localizedLabelsForIdentifier(context.type).value_or(QStringList());
    languageCode_ = preferredLanguages().value(0).left(2);
    addressFormatDict_ = QMPerson::addressFormatDict();
    defaultCountryCode_ = person()->defaultCountryCode().toUpper();
    CountryPullDown::replaceMenu(
        countryCodePopup_, CountryPullDown::makeCountryMenu(
                               CountryPullDown::defaultTitle(defaultCountryCode_), defaultCountryCode_, addressFormatDict_,
                               this, [this](const QString &code, const QString &title) {
                                   countryCodePopupDidChange(code, title);
                               }));

    zipTouched_ = false;
    zipMessage_->setVisible(false);
    if (!context.asksForNewValue()) {
        labeledValue_ = context.contact.addressValue ? context.contact.addressValue : storedValue();
    } else {
        LabeledValueRecord record;
        record.label = QMPerson::labelFromCNLabel(CNLabelHome);
        record.zip = newAddressZIP;
        QMPerson::updateAddressValue(record, true);
        record.labelIndex = LabeledValueRecord::noLabelIndex;
        labeledValue_ = record;
    }

    QString pulldownCode = defaultCountryCode_;
    selectedCountryCode_ = labeledValue_ ? labeledValue_->isoCountryCode.toUpper() : QString();
    if (!selectedCountryCode_.isEmpty()) {
        CountryPullDown::setTitle(countryCodePopup_,
                                  CountryPullDown::codeTitle(selectedCountryCode_, countryName(selectedCountryCode_)));
        pulldownCode = selectedCountryCode_;
    } else {
        const QString predicted =
            labeledValue_ ? QMPerson::predictCountryCode(labeledValue_->country.toUpper()) : QString();
        if (!predicted.isEmpty())
            pulldownCode = predicted;
        CountryPullDown::setTitle(countryCodePopup_, CountryPullDown::defaultTitle(defaultCountryCode_));
    }
    showCodeCheckBox_->setEnabled(true);
    showCodeCheckBox_->setChecked(true);
    initStatePulldown(pulldownCode);
    zipField_->setFocus();
}

void AddressViewController::showEditState(bool) {
    updateUI();
}

void AddressViewController::updateUI() {
    const bool editing = isEditing();
    {
        const QSignalBlocker blocker(labelPopup_);
        labelPopup_->clear();
        labelPopup_->addItems(localizedLabels_);
        const bool hasLabel = labeledValue_ && labeledValue_->label;
        labelPopup_->setCurrentIndex(hasLabel ? int(std::max<qsizetype>(labels_.indexOf(*labeledValue_->label), 0)) : 0);
        labelPopup_->setEnabled(editing && hasLabel);
    }
    countryCodePopup_->setEnabled(editing);
    for (QLineEdit *field : {countryField_, zipField_, stateField_, cityField_})
        field->setReadOnly(!editing);
    streetField_->setReadOnly(!editing);

    QString effectiveCode = defaultCountryCode_;
    if (labeledValue_) {
        LabeledValueRecord &record = *labeledValue_;
        QString code = record.isoCountryCode.toUpper();
        if (code.isEmpty())
            code = QMPerson::predictCountryCode(record.country.toUpper());
        selectedCountryCode_ = code;
        if (!code.isEmpty())
            effectiveCode = code;
        QMPerson::updateAddressValue(record, true);
        show(countryField_, record.country);
        show(zipField_, record.zip);
        show(stateField_, record.state);
        show(cityField_, record.city);
        show(streetField_, record.street);
        show(postalAddressField_, record.formattedString);
    }
    const bool japanese = effectiveCode == Japan;
    zipButton_->setVisible(japanese);
    zipButton_->setEnabled(japanese && editing && !zipField_->text().isEmpty());
    initStatePulldown(effectiveCode);
}

void AddressViewController::initStatePulldown(const QString &countryCode) {
    Menu *menu = CountryPullDown::makeMenu(L("States"));
    const auto entry = addressFormatDict_.constFind(countryCode);
    if (entry == addressFormatDict_.constEnd()) {
        CountryPullDown::replaceMenu(statePulldown_, menu);
        statePulldown_->setEnabled(false);
        return;
    }
    const QStringList &codes = entry->stateCodes;
    std::optional<QStringList> names;
    if (entry->localizedStates.contains(languageCode_)) {
        names = entry->localizedStates.value(languageCode_);
    } else if (!entry->states.isEmpty()) {
        names = entry->states;
    } else if (!entry->localizedStates.isEmpty()) {
        // Another language's names; the first language by code, so the choice is stable.
        QStringList languages = entry->localizedStates.keys();
        std::sort(languages.begin(), languages.end());
        names = entry->localizedStates.value(languages.first());
    }
    const bool hasCodes = !codes.isEmpty();
    const bool hasNames = names && !names->isEmpty();
    showCodeCheckBox_->setEnabled(hasCodes && hasNames);
    if (!hasCodes && hasNames)
        showCodeCheckBox_->setChecked(false);
    const std::optional<QStringList> shown = hasCodes && showCodeCheckBox_->isChecked() ? codes : names;
    for (const QString &title : shown.value_or(QStringList())) {
        MenuItem *item = menu->addItem(title);
        connect(item, &QAction::triggered, this, [this, title] { stateChosen(title); });
    }
    CountryPullDown::replaceMenu(statePulldown_, menu);
    statePulldown_->setEnabled(shown.has_value());
}

void AddressViewController::fieldsEdited() {
    if (labeledValue_) {
        LabeledValueRecord &record = *labeledValue_;
        record.country = countryField_->text();
        record.zip = zipField_->text();
        record.state = stateField_->text();
        record.city = cityField_->text();
        record.street = streetField_->toPlainText();
        QMPerson::updateAddressValue(record, true);
        updateUI();
    }
    noteChange();
}

void AddressViewController::zipFieldFinished() {
    if (zipField_->text().size() < 3) {
        zipButton_->setEnabled(false);
        return;
    }
    // Only while editing: a locked editor never offers Lookup.
    const bool japanese = selectedCountryCode_ == Japan ||
                          (selectedCountryCode_.isEmpty() && defaultCountryCode_ == Japan);
    if (japanese && isEditing())
        zipButton_->setEnabled(true);
}

void AddressViewController::lookup() {
    if (!labeledValue_ || zipField_->text().isEmpty() || !isEditing())
        return;
    const QList<PostalCodeRecord> found = addressesFromZip(zipField_->text());
    if (found.isEmpty()) {
        // The typed code stays in its field (it would otherwise be stored at the next edit).
        beep();
        zipMessage_->setText(L("Do not find"));
        zipMessage_->setVisible(true);
        return;
    }
    const PostalCodeRecord &first = found.first();
    LabeledValueRecord &record = *labeledValue_;
    if (!first.state.isEmpty())
        record.state = first.state;
    record.city = first.city;
    record.street = first.street == noListedStreet ? QString() : first.street;
    zipTouched_ = true;
    zipMessage_->setVisible(false);
    updateUI();
    noteChange();
    streetField_->setFocus();
}

void AddressViewController::labelChosen(int index) {
    if (labeledValue_ && index >= 0 && index < labels_.size())
        labeledValue_->label = labels_.at(index);
    noteChange();
}

void AddressViewController::stateChosen(const QString &title) {
    if (labeledValue_ && !title.isEmpty() && isEditing())
        labeledValue_->state = title;
    updateUI();
    noteChange();
}

void AddressViewController::countryCodePopupDidChange(QString code, const QString &title) {
    if (!code.isEmpty() && code == selectedCountryCode_)
        return;
    selectedCountryCode_ = code;
    if (code.isEmpty()) {
        if (labeledValue_)
            labeledValue_->isoCountryCode.clear();
        code = defaultCountryCode_;
    } else if (labeledValue_) {
        labeledValue_->isoCountryCode = code;
    }
    CountryPullDown::setTitle(countryCodePopup_, title);
    const QString name = countryName(code);
    if (!name.isEmpty()) {
        show(countryField_, name);
        if (labeledValue_)
            labeledValue_->country = name;
    }
    updateUI();
    noteChange();
}

void AddressViewController::checkBoxDidChange() {
    initStatePulldown(selectedCountryCode_.isEmpty() ? defaultCountryCode_ : selectedCountryCode_);
}

bool AddressViewController::writeAnswer(EditorContext &context) {
    if (!labeledValue_)
        return true;
    LabeledValueRecord record = *labeledValue_;
    if (record.labelIndex == LabeledValueRecord::noLabelIndex && !zipTouched_ && record.zip == newAddressZIP) {
        record.zip.clear();
        QMPerson::updateAddressValue(record, true);
    }
    answer(context, record);
    return true;
}

void AddressViewController::clearFields() {
    LabeledValueEditor::clearFields();
    show(streetField_, QString());
}
