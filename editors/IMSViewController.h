#pragma once

#include "editors/LabeledValueEditor.h"

#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;

// Edits one instant-message address of a contact, or makes a new one (labelIndex -1):
// its label, its service and its user name. Done hands the value back; the opener adds
// or replaces it.
class IMSViewController : public LabeledValueEditor {
    Q_OBJECT
public:
    static constexpr QSize contentSize{340, 192};
    // Service names older files carry, each standing for the service at its position.
    static const QStringList &oldServiceNames();

    explicit IMSViewController(QObject *parent = nullptr);

    QComboBox *labelPopup() const { return labelPopup_; }
    QComboBox *servicePopup() const { return servicePopup_; }
    QLineEdit *usernameField() const { return usernameField_; }
    // Shows the value in the controls.
    void updateUI();

protected:
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;

private:
    void labelChosen(int index);
    void serviceChosen(int index);
    void usernameEdited(const QString &text);

    QStringList labels_;
    QStringList localizedLabels_;
    QStringList serviceLabels_;

    QLabel *labelPopupLabel_ = nullptr;
    QLabel *servicePopupLabel_ = nullptr;
    QLabel *usernameFieldLabel_ = nullptr;
    QComboBox *labelPopup_ = nullptr;
    QComboBox *servicePopup_ = nullptr;
    QLineEdit *usernameField_ = nullptr;
};
