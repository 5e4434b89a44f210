#pragma once

#include "editors/PopoverEditor.h"
#include "platform/ui/Menu.h"

#include <QImage>

#include <memory>

class QComboBox;
class QLineEdit;

// What the name editor applies each change through: the window's undoable edits.
class NameViewControllerDelegate {
public:
    virtual ~NameViewControllerDelegate() = default;
    // Replaces the contact's whole name record, undoably.
    virtual bool undoReplaceNameValue(const NameRecord &value, const std::shared_ptr<QMPerson> &contact) = 0;
    // Replaces (an image) or removes (null) the contact's photo, undoably.
    virtual bool undoReplacePhoto(const FieldValue &value, const std::shared_ptr<QMPerson> &contact) = 0;
};

// Edits a contact's name: given, middle and family name, shown as a person or as its
// company, and the picture. Unlike the other editors it hands nothing back on Done:
// every keystroke and choice goes at once to the delegate as one undoable step. The name
// order, the previous family name and the company are shown, never edited.
class NameViewController : public PopoverEditor, public MenuDelegate {
    Q_OBJECT
public:
    static constexpr QSize contentSize{340, 316};

    explicit NameViewController(QObject *parent = nullptr);

    // Not owned: the window's edits outlive every popover.
    NameViewControllerDelegate *delegate() const { return delegate_; }
    void setDelegate(NameViewControllerDelegate *delegate) { delegate_ = delegate; }
    // The name record last built from the fields.
    const NameRecord &nameDict() const { return nameDict_; }

    QLineEdit *compositeNameField() const { return contactNameField(); }
    QLineEdit *firstNameField() const { return firstNameField_; }
    QLineEdit *middleNameField() const { return middleNameField_; }
    QLineEdit *lastNameField() const { return lastNameField_; }
    QLineEdit *previousFamilyNameField() const { return previousFamilyNameField_; }
    QLineEdit *companyField() const { return companyField_; }
    QComboBox *nameOrderingPopup() const { return nameOrderingPopup_; }
    QComboBox *showAsPersonPopup() const { return showAsPersonPopup_; }
    PullDownButton *imagePopup() const { return imagePopup_; }


    // Shows the contact's name and picture again, after a change made elsewhere.
    void updateUI();

    void menuNeedsUpdate(Menu *menu) override;
    void addImage();
    void deleteImage();

protected:
    QWidget *makePictureView() override;
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;
    bool writeAnswer(EditorContext &context) override;
    void clearFields() override;

private:
    void updateNameDict();
    void showPicture(const QImage &image);
    std::shared_ptr<QMPerson> contact() const;

    NameViewControllerDelegate *delegate_ = nullptr;
    NameRecord nameDict_;
    QString previousFamilyName_;

    PullDownButton *imagePopup_ = nullptr;
    QLineEdit *firstNameField_ = nullptr;
    QLineEdit *middleNameField_ = nullptr;
    QLineEdit *lastNameField_ = nullptr;
    QLineEdit *previousFamilyNameField_ = nullptr;
    QLineEdit *companyField_ = nullptr;
    QComboBox *nameOrderingPopup_ = nullptr;
    QComboBox *showAsPersonPopup_ = nullptr;
};
