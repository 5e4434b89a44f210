#include "editors/DateControls.h"

#include "editors/DateText.h"
#include "platform/core/Localization.h"
#include "platform/ui/Beep.h"
#include "platform/ui/Menu.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

// Moving to a month or year that lacks the day keeps to the month's last day.
DateComponents withinMonth(DateComponents components) {
    const QDate first(components.hasYear() ? components.year : DateComponents::leapYearForMissingYear,
                      components.month, 1);
    if (first.isValid())
        components.day = qMin(components.day, first.daysInMonth());
    return components;
}

} // namespace

DateComponents DateControls::today() {
    const QDate date = QDate::currentDate();
    return {date.year(), date.month(), date.day()};
}

DateControls::DateControls(QWidget *parent)
    : QWidget(parent)
    , yearField_(new QLineEdit)
    , yearFieldLabel_(new QLabel(L("Year")))
    , monthPopup_(new PopUpButton)
    , monthPopupLabel_(new QLabel(L("Month")))
    , datePicker_(new QCalendarWidget) {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->addWidget(yearFieldLabel_, 0, 0);
    grid->addWidget(yearField_, 0, 1);
    grid->addWidget(monthPopupLabel_, 0, 2);
    grid->addWidget(monthPopup_, 0, 3);
    grid->addWidget(datePicker_, 1, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(1, 1);

    yearField_->setAlignment(Qt::AlignRight);
    monthPopup_->addItems(DateText::monthTitles());
    // The year field and the month popup move the picker; it needs no bar of its own.
    datePicker_->setNavigationBarVisible(false);
    datePicker_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    datePicker_->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    datePicker_->setGridVisible(false);
    datePicker_->setSelectedDate(QDate::currentDate());

    connect(yearField_, &QLineEdit::textEdited, this, &DateControls::yearEdited);
    connect(monthPopup_, &QComboBox::activated, this, &DateControls::monthChosen);
    connect(datePicker_, &QCalendarWidget::selectionChanged, this, &DateControls::datePicked);
}

void DateControls::showComponents(const std::optional<DateComponents> &components) {
    const QSignalBlocker pickerBlocker(datePicker_);
    const QSignalBlocker monthBlocker(monthPopup_);
    const QDate date = components ? components->date() : QDate();
    yearless_ = components && !components->hasYear();
    if (!date.isValid()) {
        datePicker_->setSelectedDate(QDate::currentDate());
        datePicker_->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
        yearField_->setText(QStringLiteral("0"));
        monthPopup_->setCurrentIndex(-1);
    } else {
        datePicker_->setSelectedDate(date);
        datePicker_->setCurrentPage(date.year(), date.month());
        yearField_->setText(yearless_ ? QString() : QString::number(date.year()));
        monthPopup_->setCurrentIndex(date.month() - 1);
    }
    acceptedYearText_ = yearField_->text();
}

DateComponents DateControls::components() const {
    const QDate date = datePicker_->selectedDate();
    DateComponents components(date.year(), date.month(), date.day());
    if (yearless_)
        components.year = DateComponents::Undefined;
    return components;
}

void DateControls::setControlsEnabled(bool enabled) {
    for (QWidget *control : {static_cast<QWidget *>(yearField_), static_cast<QWidget *>(monthPopup_),
                             static_cast<QWidget *>(datePicker_)})
        control->setEnabled(enabled);
}

void DateControls::yearEdited(const QString &text) {
    bool number = false;
    const int year = text.toInt(&number);
    if (!text.isEmpty() && (!number || year < 0 || year > maximumYear || text.startsWith(QLatin1Char('-')))) {
        beep();
        const QSignalBlocker blocker(yearField_);
        yearField_->setText(acceptedYearText_);
        return;
    }
    acceptedYearText_ = text;
    // No year 0 in the calendar: the field may say 0 on its way to a year, and nothing moves.
    if (year < 1)
        return;
    DateComponents moved = components();
    moved.year = year;
    change(withinMonth(moved), Source::Year);
}

void DateControls::monthChosen(int index) {
    if (index < 0)
        return;
    DateComponents moved = components();
    moved.month = index + 1;
    change(withinMonth(moved), Source::Month);
}

void DateControls::datePicked() {
    const QDate date = datePicker_->selectedDate();
    DateComponents picked(date.year(), date.month(), date.day());
    if (yearless_ && date.year() == DateComponents::leapYearForMissingYear)
        picked.year = DateComponents::Undefined;
    change(picked, Source::Picker);
}

void DateControls::change(DateComponents components, Source source) {
    const QString yearText = yearField_->text();
    showComponents(components);
    // The year field keeps what is being typed into it.
    if (source == Source::Year) {
        yearField_->setText(yearText);
        acceptedYearText_ = yearText;
    }
    emit dateChanged(components, source);
}
