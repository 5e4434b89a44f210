#include "editors/SNSViewController.h"

#include "editors/EditorForm.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"
#include "platform/ui/Menu.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSignalBlocker>

SNSViewController::SNSViewController(QObject *parent)
    : LabeledValueEditor(parent) {}

QWidget *SNSViewController::makeBody() {
    auto *body = new QWidget;
    auto *form = EditorForm::make(body);
    servicePopup_ = new PopUpButton;
    EditorForm::addRow(form, L("Service Type") + QLatin1Char(':'), servicePopup_);
    const auto field = [form](const QString &key) {
        return EditorForm::addField(form, CNSocialProfile::localizedStringForKey(key));
    };
    usernameField_ = field(CNSocialProfileUsernameKey);
    userIdentifierField_ = field(CNSocialProfileUserIdentifierKey);
    URLStringField_ = field(CNSocialProfileURLStringKey);
    connect(servicePopup_, &QComboBox::activated, this, &SNSViewController::serviceChosen);
    for (QLineEdit *edit : {usernameField_, userIdentifierField_, URLStringField_})
        connect(edit, &QLineEdit::textEdited, this, &SNSViewController::fieldEdited);
    setFieldsToClear({usernameField_});
    return body;
}

void SNSViewController::fillFromContext(bool) {
    labels_ = QMPerson::labelTableDict().value(FieldId::SocialNetwork);
    if (contextInfo()->asksForNewValue()) {
        LabeledValueRecord record;
        record.value = QStringLiteral("new");
        record.label = CNSocialProfileServiceTwitter;
        QMPerson::updateSNSValue(record);
        record.labelIndex = LabeledValueRecord::noLabelIndex;
        labeledValue_ = record;
    } else {
        labeledValue_ = storedValue();
    }
}

void SNSViewController::showEditState(bool editing) {
    servicePopup_->setEnabled(editing);
    for (QLineEdit *edit : {usernameField_, userIdentifierField_, URLStringField_})
        edit->setReadOnly(!editing);
    updateUI();
}

void SNSViewController::updateUI() {
    const QSignalBlocker blocker(servicePopup_);
    if (labeledValue_) {
        const QString &service = labeledValue_->service;
        if (!labels_.contains(service) && CNSocialProfileServices().contains(service))
            labels_.append(service);
    }
    servicePopup_->clear();
    servicePopup_->addItems(labels_);
    if (!labeledValue_)
        return;
    // Every part shows, a profile without a user name included, so the fields never keep
    // another profile's identifier or URL.
    usernameField_->setText(labeledValue_->username.value_or(QString()));
    userIdentifierField_->setText(labeledValue_->userIdentifier);
    URLStringField_->setText(labeledValue_->urlString);
    servicePopup_->setCurrentIndex(servicePopup_->findText(labeledValue_->service));
}

void SNSViewController::serviceChosen(int index) {
    if (!labeledValue_ || index < 0)
        return;
    const QString title = servicePopup_->itemText(index);
    const std::optional<LabeledValueRecord> stored = storedValue();
    if (stored && stored->label == title) {
        labeledValue_ = stored;
    } else {
        labeledValue_->label = title;
        labeledValue_->service = title;
        labeledValue_->userIdentifier.clear();
        labeledValue_->urlString.clear();
        QMPerson::updateSNSValue(*labeledValue_);
    }
    updateUI();
    noteChange();
}

void SNSViewController::fieldEdited() {
    if (!labeledValue_)
        return;
    labeledValue_->value = usernameField_->text();
    labeledValue_->userIdentifier = userIdentifierField_->text();
    labeledValue_->urlString = URLStringField_->text();
    QMPerson::updateSNSValue(*labeledValue_);
    noteChange();
}
