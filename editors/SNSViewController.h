#pragma once

#include "editors/LabeledValueEditor.h"

#include <QStringList>

class QComboBox;
class QLineEdit;

// Edits one social profile of a contact, or makes a new one (labelIndex -1): its service,
// user name, user identifier and profile URL. The service is also the value's label.
// Done hands the value back; the opener adds or replaces it.
class SNSViewController : public LabeledValueEditor {
    Q_OBJECT
public:
    static constexpr QSize contentSize{400, 222};

    explicit SNSViewController(QObject *parent = nullptr);

    QComboBox *servicePopup() const { return servicePopup_; }
    QLineEdit *usernameField() const { return usernameField_; }
    QLineEdit *userIdentifierField() const { return userIdentifierField_; }
    QLineEdit *URLStringField() const { return URLStringField_; }
    // The services offered: the field's labels, and a known service a value brought.
    const QStringList &labels() const { return labels_; }
    void updateUI();

protected:
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;

private:
    void serviceChosen(int index);
    void fieldEdited();

    QStringList labels_;

    QComboBox *servicePopup_ = nullptr;
    QLineEdit *usernameField_ = nullptr;
    QLineEdit *userIdentifierField_ = nullptr;
    QLineEdit *URLStringField_ = nullptr;
};
