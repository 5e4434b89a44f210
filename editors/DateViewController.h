#pragma once

#include "editors/DateControls.h"
#include "editors/PopoverEditor.h"

#include <QStringList>

#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

// Edits one date: a contact's birthday, or one found "Dates" value the opener passes as
// the context's value. The date is typed as text, picked, or moved by year and month, and
// can be cleared. Done hands back the date and its text, which always agree; a cleared
// text removes the date.
class DateViewController : public PopoverEditor {
    Q_OBJECT
public:
    static constexpr QSize contentSize{340, 284};

    explicit DateViewController(QObject *parent = nullptr);

    // The label keys the label popup shows (["Birthday"] when none are set); before
    // setContextInfo.
    void setLabels(const QStringList &labels) { labels_ = labels; }
    const QStringList &labels() const { return labels_; }

    QComboBox *labelPopup() const { return labelPopup_; }
    QLineEdit *dateField() const { return dateField_; }
    QPushButton *clearButton() const { return clearButton_; }
    DateControls *dateControls() const { return dateControls_; }
    // The date last committed.
    const std::optional<DateComponents> &selectedBirthday() const { return selectedBirthday_; }
    // Shows a date in every date control (today's when there is none).
    void updateUIFromDateComponents(const std::optional<DateComponents> &components);

protected:
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;
    bool writeAnswer(EditorContext &context) override;

private:
    void textEntered();
    void controlsChanged(const DateComponents &components, DateControls::Source source);
    void commit(const DateComponents &components);
    void clearPressed();
    void updateClearButton();

    QStringList labels_;
    QString type_;
    std::optional<DateComponents> selectedBirthday_;

    QComboBox *labelPopup_ = nullptr;
    QLineEdit *dateField_ = nullptr;
    QPushButton *clearButton_ = nullptr;
    DateControls *dateControls_ = nullptr;
};
