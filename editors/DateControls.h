#pragma once

#include "platform/contacts/CNContact.h"

#include <QWidget>

#include <optional>

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;

// The year field, the month popup and the date picker of the date editors, all showing
// one date. A user's change moves the three together and is reported with dateChanged;
// showing a date programmatically reports nothing.
//
// A date without a year stays without one while its year is not touched: the picker
// shows it in the leap year standing in for a missing year, the year field stays empty.
class DateControls : public QWidget {
    Q_OBJECT
public:
    enum class Source { Year, Month, Picker };
    static constexpr int maximumYear = 2900;

    explicit DateControls(QWidget *parent = nullptr);
    static DateComponents today();

    QLineEdit *yearField() const { return yearField_; }
    QLabel *yearFieldLabel() const { return yearFieldLabel_; }
    QComboBox *monthPopup() const { return monthPopup_; }
    QLabel *monthPopupLabel() const { return monthPopupLabel_; }
    QCalendarWidget *datePicker() const { return datePicker_; }

    // Shows a date; none shows today in the picker, 0 in the year field and no month.
    void showComponents(const std::optional<DateComponents> &components);
    // The date shown: the picker's, without a year while a yearless date is shown.
    DateComponents components() const;
    void setControlsEnabled(bool enabled);

signals:
    void dateChanged(const DateComponents &components, DateControls::Source source);

private:
    void yearEdited(const QString &text);
    void monthChosen(int index);
    void datePicked();
    void change(DateComponents components, Source source);

    QLineEdit *yearField_;
    QLabel *yearFieldLabel_;
    QComboBox *monthPopup_;
    QLabel *monthPopupLabel_;
    QCalendarWidget *datePicker_;
    QString acceptedYearText_;
    bool yearless_ = false;
};
