#pragma once

#include "editors/PopoverEditor.h"

#include <QList>

#include <optional>

class QLineEdit;

// An editor of one labeled value (instant message, social profile, address): it edits a
// copy of the value, and Done hands the copy back.
class LabeledValueEditor : public PopoverEditor {
    Q_OBJECT
public:
    // None when the running number names no stored value: there is nothing to edit.
    const std::optional<LabeledValueRecord> &labeledValue() const { return labeledValue_; }

protected:
    explicit LabeledValueEditor(QObject *parent = nullptr,
                                Departures departures = Departures::oneLabeledValue());

    // The stored value of the context's field with the context's running number.
    std::optional<LabeledValueRecord> storedValue() const;
    bool writeAnswer(EditorContext &context) override;
    // Empties the name line and the fields given by setFieldsToClear.
    void clearFields() override;
    void setFieldsToClear(const QList<QLineEdit *> &fields) { fieldsToClear_ = fields; }

    std::optional<LabeledValueRecord> labeledValue_;

private:
    QList<QLineEdit *> fieldsToClear_;
};
