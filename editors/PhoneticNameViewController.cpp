#include "editors/PhoneticNameViewController.h"

#include "editors/EditorForm.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Menu.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace {

PopoverEditor::Departures phoneticDepartures() {
    PopoverEditor::Departures departures;
    departures.returnAfterEditButton = true;
    return departures;
}

NameRecord asNameRecord(const PhoneticNameRecord &record) {
    NameRecord name;
    name.firstName = record.firstName;
    name.middleName = record.middleName;
    name.lastName = record.lastName;
    return name;
}

} // namespace

PhoneticNameViewController::PhoneticNameViewController(QObject *parent)
    : PopoverEditor(phoneticDepartures(), parent) {}

QWidget *PhoneticNameViewController::makeBody() {
    auto *body = new QWidget;
    auto *form = EditorForm::make(body);
    const auto field = [form](const QString &key) {
        return EditorForm::addField(form, QMPerson::localizedIdentifierForKey(key));
    };
    firstNameField_ = field(FieldId::PhoneticFirstName);
    middleNameField_ = field(FieldId::PhoneticMiddleName);
    lastNameField_ = field(FieldId::PhoneticLastName);
    nameOrderingPopup_ = new PopUpButton;
    nameOrderingPopup_->addItems({L("Name Ordering"), L("First Name First"), L("Last Name First")});
    nameOrderingPopup_->setEnabled(false);
    form->addRow(nameOrderingPopup_);
    for (QLineEdit *edit : {firstNameField_, middleNameField_, lastNameField_})
        connect(edit, &QLineEdit::textEdited, this, &PhoneticNameViewController::nameEdited);
    return body;
}

void PhoneticNameViewController::fillFromContext(bool editable) {
    QMPerson &contact = *person();
    const PhoneticNameRecord phonetic = contact.phoneticNameValue().value_or(PhoneticNameRecord());
    firstNameField_->setText(phonetic.firstName);
    middleNameField_->setText(phonetic.middleName);
    lastNameField_->setText(phonetic.lastName);
    nameOrderingPopup_->setItemText(0, contact.defaultNameOrdering() == 2
                                           ? L("Name Ordering System Default (Last Name)")
                                           : L("Name Ordering System Default (First Name)"));
    const qint64 ordering = contact.nameValue().nameOrdering;
    nameOrderingPopup_->setCurrentIndex(ordering == 1 || ordering == 2 ? int(ordering) : 0);
    for (QLineEdit *edit : {firstNameField_, middleNameField_, lastNameField_})
        edit->setReadOnly(!editable);
}

void PhoneticNameViewController::showEditState(bool editing) {
    for (QLineEdit *edit : {firstNameField_, middleNameField_, lastNameField_})
        edit->setReadOnly(!editing);
}

PhoneticNameRecord PhoneticNameViewController::record() const {
    PhoneticNameRecord record;
    record.firstName = firstNameField_->text();
    record.middleName = middleNameField_->text();
    record.lastName = lastNameField_->text();
    // Without an order of its own, the system's order composes it.
    record.stringValue = QMPerson::compositeNameFromNameDict(asNameRecord(record));
    return record;
}

void PhoneticNameViewController::nameEdited() {
    contactNameField()->setText(record().stringValue);
    noteChange();
}

bool PhoneticNameViewController::writeAnswer(EditorContext &context) {
    answer(context, record());
    return true;
}

void PhoneticNameViewController::clearFields() {
    for (QLineEdit *edit : {contactNameField(), firstNameField_, middleNameField_, lastNameField_})
        edit->clear();
}
