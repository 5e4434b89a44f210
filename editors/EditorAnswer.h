#pragma once

#include "editors/EditorContext.h"
#include "model/PersonRecords.h"

#include <QString>

#include <memory>
#include <optional>

class QMPerson;
class QObject;

// The undoable edit operations an editor's answer ends in. The window's edit operations
// adopt it; the merge sheet and the find window have twins of their own.
class EditorAnswerReceiver {
public:
    using PersonPtr = std::shared_ptr<QMPerson>;

    virtual ~EditorAnswerReceiver() = default;
    virtual bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) = 0;
    virtual bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                              const PersonPtr &contact) = 0;
    virtual bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier,
                                         const PersonPtr &contact, QObject *sender) = 0;
    virtual void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                                     const PersonPtr &contact, QObject *sender) = 0;
};

// Applies a dirty answer to one contact: a birthday or a phonetic name as such, one
// labeled value added (labelIndex -1) or replacing the value of its running number, a
// list as the field's whole list. Answers whether the contact changed; an answer that is
// not dirty, or of a kind the field does not take, changes nothing. Openers that edit
// several rows call it once per distinct contact.
bool applyEditorAnswer(const EditorContext &answer, EditorAnswerReceiver &receiver,
                       const std::shared_ptr<QMPerson> &contact, QObject *sender);
