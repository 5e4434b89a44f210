#include "editors/EditorAnswer.h"

bool applyEditorAnswer(const EditorContext &answer, EditorAnswerReceiver &receiver,
                       const std::shared_ptr<QMPerson> &contact, QObject *sender) {
    if (!answer.isDirty() || !contact)
        return false;
    const FieldValue &value = answer.value;
    if (answer.type == FieldId::Birthday)
        return receiver.undoReplaceBirthday(value, contact);
    if (answer.type == FieldId::PhoneticName) {
        const auto *record = value.get<PhoneticNameRecord>();
        return record && receiver.undoReplacePhoneticNameValue(*record, contact);
    }
    if (const auto *record = value.get<LabeledValueRecord>()) {
        if (record->labelIndex != LabeledValueRecord::noLabelIndex)
            return receiver.undoReplaceLabeledValue(value, answer.type, contact, sender);
        receiver.undoAddLabeledValue(*record, answer.type, contact, sender);
        return true;
    }
    if (value.is<LabeledValueList>())
        return receiver.undoReplaceLabeledValue(value, answer.type, contact, sender);
    return false;
}
