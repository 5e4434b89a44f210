#pragma once

#include "app/edits/DocumentEdits.h"
#include "find/FindPanelEdits.h"

namespace tessarin {

// The find window's changes are the document's edits: each operation forwards under its own
// name, so a write-back registers its inverse with the document as any other edit does.
class DocumentFindEdits : public FindPanelEdits {
public:
    explicit DocumentFindEdits(DocumentEdits &edits)
        : edits_(edits) {}

    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) override {
        return edits_.undoReplaceNameValue(value, contact);
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override {
        return edits_.undoReplacePhoneticNameValue(value, contact);
    }
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override {
        return edits_.undoReplaceBirthday(value, contact);
    }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *sender) override {
        return edits_.undoReplaceStringValue(value, identifier, contact, sender);
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *sender) override {
        return edits_.undoReplaceLabeledValue(value, identifier, contact, sender);
    }

private:
    DocumentEdits &edits_;
};

} // namespace tessarin
