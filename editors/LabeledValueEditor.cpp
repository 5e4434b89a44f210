#include "editors/LabeledValueEditor.h"

#include "model/QMPerson.h"

#include <QLineEdit>

LabeledValueEditor::LabeledValueEditor(QObject *parent, Departures departures)
    : PopoverEditor(departures, parent) {}

// By running number, not by position: the value restored and overwritten is the one the
// editor was opened on, wherever it stands in the list.
std::optional<LabeledValueRecord> LabeledValueEditor::storedValue() const {
    const EditorContext &context = *contextInfo();
    if (context.asksForNewValue() || !person())
        return std::nullopt;
    return person()->labeledValueForIdentifier(context.type, LabelIndex(context.labelIndex.value_or(0)));
}

bool LabeledValueEditor::writeAnswer(EditorContext &context) {
    if (labeledValue_)
        answer(context, *labeledValue_);
    return true;
}

void LabeledValueEditor::clearFields() {
    contactNameField()->clear();
    for (QLineEdit *field : fieldsToClear_)
        field->clear();
}
