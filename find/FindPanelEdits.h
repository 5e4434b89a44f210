#pragma once

#include "model/PersonRecords.h"

#include <QString>

#include <memory>
#include <optional>

class QMPerson;
class QObject;

// The document window's undoable edit operations through which the find window changes a
// contact, with the window's own signatures: the class holding the document's edits adopts
// this as it is. Each operation registers its inverse with the document's undo manager
// before it changes the contact, and answers whether it stored the change. The find window
// passes itself as the sender.
class FindPanelEdits {
public:
    using PersonPtr = std::shared_ptr<QMPerson>;

    virtual ~FindPanelEdits() = default;
    virtual bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) = 0;
    virtual bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                              const PersonPtr &contact) = 0;
    // A null value clears the birthday.
    virtual bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) = 0;
    virtual bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                        const PersonPtr &contact, QObject *sender) = 0;
    // One record replaces the value of its running number; a list replaces the field.
    virtual bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier,
                                         const PersonPtr &contact, QObject *sender) = 0;
};
