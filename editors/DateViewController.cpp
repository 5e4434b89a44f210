#include "editors/DateViewController.h"

#include "editors/DateText.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Beep.h"
#include "platform/ui/Menu.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The date of a record handed in or stored: its components, else its text read as a date.
std::optional<DateComponents> dateOfRecord(const FieldValue &record) {
    std::optional<DateComponents> components;
    QString text;
    if (const auto *birthday = record.get<BirthdayRecord>()) {
        components = birthday->value;
        text = birthday->stringValue;
    } else if (const auto *value = record.get<LabeledValueRecord>()) {
        components = value->dateValue;
        text = value->stringValue;
    }
    if (components && components->isValidDate())
        return components;
    return DateText::dateComponentsFromString(text);
}

} // namespace

DateViewController::DateViewController(QObject *parent)
    : PopoverEditor(Departures::returnCommitsFields(), parent) {}

QWidget *DateViewController::makeBody() {
    contactNameField()->setPlaceholderText(L("Name"));
    auto *body = new QWidget;
    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(0, 2, 0, 2);
    column->setSpacing(4);
    auto *row = new QHBoxLayout;
    labelPopup_ = new PopUpButton;
    labelPopup_->setEnabled(false);
    dateField_ = new QLineEdit;
    dateField_->setObjectName(QStringLiteral("dateField"));
    clearButton_ = new QPushButton(L("Clear"));
    clearButton_->setAutoDefault(false);
    row->addWidget(labelPopup_);
    row->addWidget(dateField_, 1);
    row->addWidget(clearButton_);
    column->addLayout(row);
    dateControls_ = new DateControls;
    column->addWidget(dateControls_, 1);

    keepReturn(dateField_);
    keepReturn(dateControls_->yearField());
    connect(dateField_, &QLineEdit::returnPressed, this, &DateViewController::textEntered);
    connect(dateField_, &QLineEdit::textEdited, this, [this] {
        noteChange();
        updateClearButton();
    });
    connect(clearButton_, &QPushButton::clicked, this, &DateViewController::clearPressed);
    connect(dateControls_, &DateControls::dateChanged, this, &DateViewController::controlsChanged);
    return body;
}

void DateViewController::fillFromContext(bool) {
    const EditorContext &context = *contextInfo();
    type_ = context.type;
    if (labels_.isEmpty())
        labels_ = {FieldId::Birthday};
    labelPopup_->clear();
    for (const QString &label : labels_)
        labelPopup_->addItem(QMPerson::localizedIdentifierForKey(label));
    labelPopup_->setCurrentIndex(0);
    const FieldValue record = context.value.isNull() ? person()->valueForIdentifier(type_) : context.value;
    selectedBirthday_ = dateOfRecord(record).value_or(DateControls::today());
    updateUIFromDateComponents(selectedBirthday_);
}

void DateViewController::updateUIFromDateComponents(const std::optional<DateComponents> &components) {
    dateControls_->showComponents(components);
    dateField_->setText(DateText::stringFromDateComponents(components.value_or(DateControls::today())));
}

void DateViewController::showEditState(bool editing) {
    dateControls_->setControlsEnabled(editing);
    dateField_->setEnabled(editing);
    updateClearButton();
}

void DateViewController::updateClearButton() {
    clearButton_->setEnabled(isEditing() && !dateField_->text().isEmpty());
}

void DateViewController::controlsChanged(const DateComponents &components, DateControls::Source source) {
    dateField_->setText(DateText::stringFromDateComponents(components));
    if (source == DateControls::Source::Picker) {
        if (components != selectedBirthday_)
            commit(components);
    } else {
        noteChange();
    }
    updateClearButton();
}

// Return in the date field. A text that is no date is refused and stays for mending,
// rather than becoming some other date.
void DateViewController::textEntered() {
    const auto components = DateText::dateComponentsFromString(dateField_->text());
    if (!components) {
        if (!dateField_->text().isEmpty())
            beep();
        updateClearButton();
        return;
    }
    updateUIFromDateComponents(components);
    if (components != selectedBirthday_)
        commit(*components);
    updateClearButton();
}

void DateViewController::commit(const DateComponents &components) {
    selectedBirthday_ = components;
    setDoneKeyEquivalent(false);
    noteChange();
}

void DateViewController::clearPressed() {
    dateField_->clear();
    if (isEditing())
        noteChange();
    updateClearButton();
}

// The answer is read from the text, so what is stored is what the user sees, and its
// text is made from the stored date.
bool DateViewController::writeAnswer(EditorContext &context) {
    const QString text = dateField_->text().trimmed();
    if (!text.isEmpty()) {
        const auto components = DateText::dateComponentsFromString(text);
        if (!components) {
            beep();
            return false;
        }
        updateUIFromDateComponents(components);
        answer(context, BirthdayRecord{components, DateText::stringFromDateComponents(*components)});
        return true;
    }
    if (!person()->valueForIdentifier(type_).isNull())
        answer(context, BirthdayRecord{std::nullopt, QString()});
    else
        context.dirty = false;
    return true;
}
