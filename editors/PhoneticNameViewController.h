#pragma once

#include "editors/PopoverEditor.h"

class QComboBox;
class QLineEdit;

// Edits the phonetic (reading) given, middle and family name of a contact; the name line
// previews their composite. Done hands the three parts back with that composite.
class PhoneticNameViewController : public PopoverEditor {
    Q_OBJECT
public:
    static constexpr QSize contentSize{340, 220};

    explicit PhoneticNameViewController(QObject *parent = nullptr);

    QLineEdit *firstNameField() const { return firstNameField_; }
    QLineEdit *middleNameField() const { return middleNameField_; }
    QLineEdit *lastNameField() const { return lastNameField_; }
    // Only informs: the contact's name order.
    QComboBox *nameOrderingPopup() const { return nameOrderingPopup_; }

protected:
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;
    bool writeAnswer(EditorContext &context) override;
    void clearFields() override;

private:
    PhoneticNameRecord record() const;
    void nameEdited();

    QLineEdit *firstNameField_ = nullptr;
    QLineEdit *middleNameField_ = nullptr;
    QLineEdit *lastNameField_ = nullptr;
    QComboBox *nameOrderingPopup_ = nullptr;
};
