#pragma once

#include "editors/LabeledValueEditor.h"
#include "editors/PostalCodeIndex.h"
#include "model/PersonRecords.h"

#include <QHash>
#include <QStringList>

#include <optional>

class PullDownButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Edits one postal address of a contact, or makes a new one (labelIndex -1): its label,
// its country (the contact's default or a chosen code), country name, postal code, state,
// city and street, with a state pull-down from the address-format table and, for Japan, a
// Lookup that fills state, city and street from the postal code. Done hands the address
// back; the opener adds or replaces it (the list editor copies it into its row).
class AddressViewController : public LabeledValueEditor {
    Q_OBJECT
public:
    static constexpr QSize contentSize{340, 460};
    // What a new address shows in its postal-code field; kept only if the user keeps it.
    static const QString newAddressZIP;
    // The lists' street for an area without listed streets: no street to fill in.
    static const QString noListedStreet;

    explicit AddressViewController(QObject *parent = nullptr);

    // The postal-code index, built by whoever asks first; later callers wait for it.
    static const PostalCodeIndex &zipdb();
    QList<PostalCodeRecord> addressesFromZip(const QString &zip) const;

    QString selectedCountryCode() const { return selectedCountryCode_; }
    QString defaultCountryCode() const { return defaultCountryCode_; }

    // Brings every control in line with the address and the edit state.
    void updateUI();
    // Fills the state pull-down for a country code.
    void initStatePulldown(const QString &countryCode);

    QComboBox *labelPopup() const { return labelPopup_; }
    PullDownButton *countryCodePopup() const { return countryCodePopup_; }
    QLineEdit *countryField() const { return countryField_; }
    QLineEdit *zipField() const { return zipField_; }
    QPushButton *zipButton() const { return zipButton_; }
    // Says beside the postal code that a lookup found nothing.
    QLabel *zipMessage() const { return zipMessage_; }
    QLineEdit *stateField() const { return stateField_; }
    PullDownButton *statePulldown() const { return statePulldown_; }
    QCheckBox *showCodeCheckBox() const { return showCodeCheckBox_; }
    QLineEdit *cityField() const { return cityField_; }
    QPlainTextEdit *streetField() const { return streetField_; }
    QPlainTextEdit *postalAddressField() const { return postalAddressField_; }

protected:
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;
    bool writeAnswer(EditorContext &context) override;
    void clearFields() override;

private:
    QString countryName(const QString &code) const;
    void lookup();
    void zipFieldFinished();
    void fieldsEdited();
    void labelChosen(int index);
    void stateChosen(const QString &title);
    // The chosen country's code, empty for the contact's default, and its item's title.
    void countryCodePopupDidChange(QString code, const QString &title);
    void checkBoxDidChange();

    QStringList labels_;
    QStringList localizedLabels_;
    QString defaultCountryCode_;
    QString selectedCountryCode_;
    QString languageCode_;
    QHash<QString, AddressFormatEntry> addressFormatDict_;
    // A new address keeps the shown postal code only once the user has edited it or
    // looked it up.
    bool zipTouched_ = false;

    QComboBox *labelPopup_ = nullptr;
    PullDownButton *countryCodePopup_ = nullptr;
    QLineEdit *countryField_ = nullptr;
    QLineEdit *zipField_ = nullptr;
    QPushButton *zipButton_ = nullptr;
    QLabel *zipMessage_ = nullptr;
    QLineEdit *stateField_ = nullptr;
    PullDownButton *statePulldown_ = nullptr;
    QCheckBox *showCodeCheckBox_ = nullptr;
    QLineEdit *cityField_ = nullptr;
    QPlainTextEdit *streetField_ = nullptr;
    QPlainTextEdit *postalAddressField_ = nullptr;
};
