#include "editors/IMSViewController.h"

#include "editors/EditorForm.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"
#include "platform/ui/Menu.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

const QStringList &IMSViewController::oldServiceNames() {
    static const QStringList names = {QStringLiteral("AIMInstant"),      QStringLiteral("FacebookInstant"),
                                      QStringLiteral("GaduGaduInstant"), QStringLiteral("GoogleTalkInstant"),
                                      QStringLiteral("ICQInstant"),      QStringLiteral("JabberInstant"),
                                      QStringLiteral("MSNInstant"),      QStringLiteral("QQInstant"),
                                      QStringLiteral("SkypeInstant"),    QStringLiteral("YahooInstant")};
    return names;
}

IMSViewController::IMSViewController(QObject *parent)
    : LabeledValueEditor(parent) {}

QWidget *IMSViewController::makeBody() {
    auto *body = new QWidget;
    auto *form = EditorForm::make(body);
    labelPopup_ = new PopUpButton;
    servicePopup_ = new PopUpButton;
    usernameField_ = new QLineEdit;
    usernameField_->setPlaceholderText(L("username"));
    labelPopupLabel_ = EditorForm::addRow(form, L("Label") + QLatin1Char(':'), labelPopup_);
    servicePopupLabel_ = EditorForm::addRow(form, L("Service Type") + QLatin1Char(':'), servicePopup_);
    usernameFieldLabel_ = EditorForm::addRow(form, L("Username") + QLatin1Char(':'), usernameField_);
    connect(labelPopup_, &QComboBox::activated, this, &IMSViewController::labelChosen);
    connect(servicePopup_, &QComboBox::activated, this, &IMSViewController::serviceChosen);
    connect(usernameField_, &QLineEdit::textEdited, this, &IMSViewController::usernameEdited);
    setFieldsToClear({usernameField_});
    return body;
}

void IMSViewController::fillFromContext(bool) {
    labels_ = QMPerson::labelTableDict().value(FieldId::InstantMessage);
    localizedLabels_ =
        QMPerson::localizedLabelsForIdentifier(FieldId::InstantMessage).value_or(QStringList());
    serviceLabels_ = CNInstantMessageServices();
    if (contextInfo()->asksForNewValue()) {
        LabeledValueRecord record;
        record.value = QStringLiteral("new");
        record.service = CNInstantMessageServiceAIM;
        record.label = QMPerson::labelFromCNLabel(CNLabelHome);
        QMPerson::updateIMSValue(record);
        record.labelIndex = LabeledValueRecord::noLabelIndex;
        labeledValue_ = record;
    } else {
        labeledValue_ = storedValue();
    }
}

void IMSViewController::showEditState(bool editing) {
    labelPopup_->setEnabled(editing);
    servicePopup_->setEnabled(editing);
    usernameField_->setReadOnly(!editing);
    updateUI();
}

void IMSViewController::updateUI() {
    const QSignalBlocker labelBlocker(labelPopup_);
    const QSignalBlocker serviceBlocker(servicePopup_);
    labelPopup_->clear();
    labelPopup_->addItems(localizedLabels_);
    servicePopup_->clear();
    servicePopup_->addItems(serviceLabels_);
    if (!labeledValue_)
        return;
    if (labeledValue_->label) {
        labelPopup_->setCurrentIndex(int(labels_.indexOf(*labeledValue_->label)));
    } else {
        labelPopup_->setCurrentIndex(0);
        labelPopup_->setEnabled(false);
    }
    usernameField_->setText(labeledValue_->username.value_or(QString()));
    // The popup shows the stored service even without a user name, so what is shown is
    // what Done hands back; an old name shows as its service and stays stored as it was.
    QString service = labeledValue_->service;
    if (const qsizetype old = oldServiceNames().indexOf(service); old >= 0)
        service = serviceLabels_.value(old);
    servicePopup_->setCurrentIndex(service.isEmpty() ? -1 : servicePopup_->findText(service));
}

void IMSViewController::labelChosen(int index) {
    if (!labeledValue_ || index < 0 || index >= labels_.size())
        return;
    labeledValue_->label = labels_.at(index);
    noteChange();
}

void IMSViewController::serviceChosen(int index) {
    if (!labeledValue_ || index < 0)
        return;
    labeledValue_->service = servicePopup_->itemText(index);
    QMPerson::updateIMSValue(*labeledValue_);
    noteChange();
}

void IMSViewController::usernameEdited(const QString &text) {
    if (!labeledValue_)
        return;
    labeledValue_->value = text;
    QMPerson::updateIMSValue(*labeledValue_);
    noteChange();
}
