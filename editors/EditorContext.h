#pragma once

#include "model/PersonRecords.h"

#include <QString>

#include <memory>
#include <optional>

class QMPerson;

// The contact a popover editor works on, whether the opener holds a group's contact entry
// or a row of the contacts table.
struct EditorContact {
    std::shared_ptr<QMPerson> person;
    QString uniqueId;
    // An address to edit instead of the stored one: how the list editor hands one of its
    // rows to the address editor.
    std::optional<LabeledValueRecord> addressValue;

    // Anything with "person" and "uniqueId": ContactEntry, SubContactRow.
    template <typename Entry> static EditorContact of(const Entry &entry) {
        return {entry.person, entry.uniqueId, std::nullopt};
    }
};

// What travels between an opener and its popover editor. The opener fills the "in" part,
// keeps the context (the editor holds it too) and reads the "out" part once the popover
// has closed. Absent and empty differ throughout, so the optional parts stay optional.
struct EditorContext {
    // ---- In
    EditorContact contact;
    QString type; // the field identifier
    // The edited value's running number in its field; -1 asks for a new value. Absent
    // for the name, the phonetic name and the birthday.
    std::optional<qint64> labelIndex;
    // Read by the editors that gate their Edit button on it: anything but true starts them
    // locked with Edit disabled. False, from a locked view, gates every editor.
    std::optional<bool> editEnabled;

    // ---- In and out
    // In: a value to edit instead of the stored one (null: none). Out: the answer, one
    // record or a whole list.
    FieldValue value;

    // ---- Out
    std::optional<bool> dirty;              // absent counts as false
    std::optional<LabeledValueList> values; // the list editor's answer, beside "value"
    std::optional<QString> stringValue;
    std::optional<QString> customLabel;

    bool isDirty() const { return dirty.value_or(false); }
    bool asksForNewValue() const { return labelIndex == LabeledValueRecord::noLabelIndex; }
};
using SharedEditorContext = std::shared_ptr<EditorContext>;
