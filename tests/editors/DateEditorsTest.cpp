#include "tests/editors/EditorTestSupport.h"

#include "editors/DateText.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "model/QMPerson.h"
#include "platform/ui/Beep.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLocale>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

// Date texts depend on the language: each test says which it reads.
class DateEditorTest : public testing::Test {
protected:
    void useLocale(QLocale::Language language, QLocale::Territory territory) {
        QLocale::setDefault(QLocale(language, territory));
    }
    void SetUp() override { useLocale(QLocale::English, QLocale::UnitedStates); }
    void TearDown() override { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

using DateText = DateEditorTest;

TEST_F(DateText, ReadsTheThreeFormsAndOnlyRealWholeDates) {
    const DateComponents jan5(2016, 1, 5);
    struct Case {
        QString text;
        std::optional<DateComponents> date;
    };
    const QList<Case> cases = {
        {QStringLiteral("2016.01.05(Tue)"), jan5},
        {QStringLiteral("2016.01.05 Tue"), jan5},
        {QStringLiteral("2016.01.05"), jan5},
        {QStringLiteral(" 2016.01.05 "), jan5},
        {QStringLiteral("2016.01.05(Mon)"), jan5}, // the date wins over a wrong weekday
        {QStringLiteral("1200.03.01"), DateComponents(1200, 3, 1)},
        {QStringLiteral("04.05"), DateComponents(DateComponents::Undefined, 4, 5)},
        {QStringLiteral("02.29"), DateComponents(DateComponents::Undefined, 2, 29)},
        {QStringLiteral("2016.02.30"), std::nullopt},
        {QStringLiteral("2015.02.29"), std::nullopt},
        {QStringLiteral("2016.01.05x"), std::nullopt},
        {QStringLiteral("tomorrow"), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(::DateText::dateComponentsFromString(c.text), c.date) << c.text.toStdString();

    EXPECT_EQ(::DateText::stringFromDateComponents(jan5), QStringLiteral("2016.01.05(Tue)"));
    // Gregorian all the way back, as the contact counts days.
    EXPECT_EQ(::DateText::stringFromDateComponents({1200, 3, 1}), QStringLiteral("1200.03.01(Wed)"));
    EXPECT_EQ(::DateText::stringFromDateComponents({DateComponents::Undefined, 4, 5}),
              QStringLiteral("04.05"));
    EXPECT_EQ(::DateText::monthTitles().value(0), QStringLiteral("Jan"));
}

class BirthdayEditor : public DateEditorTest {
protected:
    DateViewController *open(const QString &card) {
        return editor = scene.open<DateViewController>(
                   editorContext(personFromVCard(card), FieldId::Birthday, std::nullopt, true), true);
    }
    void retype(const QString &text) {
        editor->dateField()->selectAll();
        typeText(editor->dateField(), text);
    }
    void pressDone() { QTest::mouseClick(editor->doneButton(), Qt::LeftButton); }
    EditorScene scene;
    DateViewController *editor = nullptr;
};

TEST_F(BirthdayEditor, ATypedDateCommittedWithReturnMovesEveryControl) {
    open(QStringLiteral("FN:A\n"));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(editor->dateControls()->datePicker()->selectedDate(), today) << "no birthday opens on today";
    EXPECT_FALSE(editor->doneButton()->isEnabled());

    retype(QStringLiteral("2001.04.05"));
    QTest::keyClick(editor->dateField(), Qt::Key_Return);
    EXPECT_TRUE(scene.popover->isShown()) << "Return commits the text, it does not press Done";
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("2001.04.05(Thu)"));
    EXPECT_EQ(editor->dateControls()->yearField()->text(), QStringLiteral("2001"));
    EXPECT_EQ(editor->dateControls()->monthPopup()->currentIndex(), 3);
    EXPECT_EQ(editor->dateControls()->datePicker()->selectedDate(), QDate(2001, 4, 5));

    pressDone();
    ASSERT_TRUE(scene.answered<BirthdayRecord>());
    EXPECT_EQ(*scene.answered<BirthdayRecord>(),
              (BirthdayRecord{DateComponents(2001, 4, 5), QStringLiteral("2001.04.05(Thu)")}));
}

TEST_F(BirthdayEditor, TextThatIsNoDateIsRefusedByReturnAndByDone) {
    RecordingBeeper beeps;
    open(QStringLiteral("FN:A\nBDAY:1980-04-05\n"));
    retype(QStringLiteral("1980.13.01"));
    QTest::keyClick(editor->dateField(), Qt::Key_Return);
    EXPECT_EQ(beeps.count, 1);
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("1980.13.01")) << "kept for mending";
    EXPECT_EQ(editor->dateControls()->datePicker()->selectedDate(), QDate(1980, 4, 5));

    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    EXPECT_EQ(beeps.count, 2);
    EXPECT_TRUE(scene.popover->isShown());
    EXPECT_FALSE(editor->contextInfo()->dirty);

    // Mended without Return, Done stores the date with a text made from it.
    retype(QStringLiteral("1980.12.01 Mon"));
    pressDone();
    ASSERT_TRUE(scene.answered<BirthdayRecord>());
    EXPECT_EQ(*scene.answered<BirthdayRecord>(),
              (BirthdayRecord{DateComponents(1980, 12, 1), QStringLiteral("1980.12.01(Mon)")}));
}

TEST_F(BirthdayEditor, ClearThenDoneRemovesTheBirthday) {
    open(QStringLiteral("FN:A\nBDAY:1980-04-05\n"));
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("1980.04.05(Sat)"));
    QTest::mouseClick(editor->clearButton(), Qt::LeftButton);
    EXPECT_FALSE(editor->clearButton()->isEnabled());
    pressDone();
    ASSERT_TRUE(scene.answered<BirthdayRecord>());
    EXPECT_EQ(*scene.answered<BirthdayRecord>(), (BirthdayRecord{std::nullopt, QString()}));
    RecordingReceiver receiver;
    EXPECT_TRUE(applyEditorAnswer(*scene.answer, receiver, scene.answer->contact.person, nullptr));
    EXPECT_EQ(receiver.calls, QStringList{QStringLiteral("birthday")});
}

TEST_F(BirthdayEditor, YearAndMonthMoveTheDateKeepingTheRest) {
    RecordingBeeper beeps;
    open(QStringLiteral("FN:A\nBDAY:2000-03-31\n"));
    QLineEdit *year = editor->dateControls()->yearField();
    year->selectAll();
    typeText(year, QStringLiteral("1999"));
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("1999.03.31(Wed)"));
    EXPECT_EQ(year->text(), QStringLiteral("1999"));
    typeText(year, QStringLiteral("9"));
    EXPECT_EQ(beeps.count, 1) << "past the year field's range";
    EXPECT_EQ(year->text(), QStringLiteral("1999"));

    choose(editor->dateControls()->monthPopup(), editor->dateControls()->monthPopup()->itemText(1));
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("1999.02.28(Sun)")) << "kept within February";
    EXPECT_TRUE(editor->doneButton()->isEnabled());
}

TEST_F(BirthdayEditor, JapaneseWeekdaysAreShownAndRead) {
    useLocale(QLocale::Japanese, QLocale::Japan);
    open(QStringLiteral("FN:A\nBDAY:2016-01-05\n"));
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("2016.01.05(火)"));
    retype(QStringLiteral("2017.02.03(金)"));
    QTest::keyClick(editor->dateField(), Qt::Key_Return);
    EXPECT_EQ(editor->dateControls()->datePicker()->selectedDate(), QDate(2017, 2, 3));
    EXPECT_EQ(editor->dateControls()->monthPopup()->currentText(), QStringLiteral("2月"));
    EXPECT_EQ(::DateText::dateComponentsFromString(QStringLiteral("2016.01.05(Tue)")), std::nullopt)
        << "English weekdays are no Japanese date";
}

TEST_F(BirthdayEditor, ABirthdayWithoutAYearKeepsHavingNone) {
    open(QStringLiteral("FN:A\nBDAY:--0405\n"));
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("04.05"));
    EXPECT_TRUE(editor->dateControls()->yearField()->text().isEmpty());
    choose(editor->dateControls()->monthPopup(), editor->dateControls()->monthPopup()->itemText(4));
    pressDone();
    ASSERT_TRUE(scene.answered<BirthdayRecord>());
    EXPECT_EQ(scene.answered<BirthdayRecord>()->value, DateComponents(DateComponents::Undefined, 5, 5));
}

TEST_F(BirthdayEditor, AFoundDatesValueShowsItsOwnLabelAndWithoutEditEnabledStaysLocked) {
    LabeledValueRecord found;
    found.label = QStringLiteral("anniversary");
    found.dateValue = DateComponents(2005, 6, 7);
    auto context = editorContext(personFromVCard(QStringLiteral("FN:A\n")), FieldId::Dates);
    context->value = found;
    editor = scene.open<DateViewController>(context, true, [](DateViewController *opened) {
        opened->setLabels({QStringLiteral("anniversary")});
    });
    EXPECT_EQ(editor->labelPopup()->currentText(),
              QMPerson::localizedIdentifierForKey(QStringLiteral("anniversary")));
    EXPECT_EQ(editor->dateField()->text(), QStringLiteral("2005.06.07(Tue)"));
    EXPECT_FALSE(editor->isEditing());
    EXPECT_FALSE(editor->editButton()->isEnabled());
    EXPECT_FALSE(editor->dateField()->isEnabled());
}

} // namespace

namespace {

// Three dates whose running numbers are 1, 2 and 3: the first was deleted.
std::shared_ptr<QMPerson> contactWithDates() {
    auto person =
        personFromVCard(QStringLiteral("FN:A\n"
                                       "item1.X-ABDATE:2000-01-01\nitem1.X-ABLabel:gone\n"
                                       "item2.X-ABDATE:2001-02-03\nitem2.X-ABLabel:_$!<Anniversary>!$_\n"
                                       "item3.X-ABDATE:2002-03-04\nitem3.X-ABLabel:wedding\n"
                                       "item4.X-ABDATE:2003-04-05\nitem4.X-ABLabel:met\n"));
    person->deleteLabeledValueForIdentifier(FieldId::Dates, LabelIndex(0));
    return person;
}

class DatesEditor : public DateEditorTest {
protected:
    void open(const std::shared_ptr<QMPerson> &person, std::optional<qint64> labelIndex = std::nullopt) {
        editor =
            scene.open<DatesViewController>(editorContext(person, FieldId::Dates, labelIndex, true), true);
    }
    QStringList shownDates() const {
        QStringList texts;
        for (const LabeledValueRecord &row : editor->table())
            texts.append(row.stringValue);
        return texts;
    }
    LabeledValueList pressDone() {
        QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
        EXPECT_TRUE(scene.answered<LabeledValueList>());
        return scene.answered<LabeledValueList>() ? *scene.answered<LabeledValueList>() : LabeledValueList();
    }
    QPoint cellCenter(int row, int column) const {
        return editor->tableView()->visualRect(editor->tableView()->model()->index(row, column)).center();
    }
    // Double-clicks a date cell and answers its text field.
    QLineEdit *editDateCell(int row) const {
        QWidget *viewport = editor->tableView()->viewport();
        const QPoint at = cellCenter(row, DatesViewController::DateColumn);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        return qobject_cast<QLineEdit *>(QApplication::focusWidget());
    }
    EditorScene scene;
    DatesViewController *editor = nullptr;
};

TEST_F(DatesEditor, WithoutDatesItStartsWithOneRowOfToday) {
    open(personFromVCard(QStringLiteral("FN:A\n")));
    ASSERT_EQ(editor->table().size(), 1);
    EXPECT_EQ(editor->table().first().label, editor->labels().first());
    const LabeledValueList list = pressDone();
    ASSERT_EQ(list.size(), 1);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(list.first().dateValue, DateComponents(today.year(), today.month(), today.day()));
    EXPECT_EQ(list.first().labelIndex, 0);
}

TEST_F(DatesEditor, OpensOnTheValueOfThatRunningNumberAndTheControlsRedateIt) {
    // Numbered 1, 2 and 3 at positions 0, 1 and 2: no value has the number 0.
    open(contactWithDates(), 0);
    EXPECT_TRUE(editor->tableView()->selectionModel()->selectedRows().isEmpty());
    scene.popover->close();

    open(contactWithDates(), 2);
    EXPECT_EQ(editor->tableView()->selectionModel()->selectedRows().value(0).row(), 1);
    EXPECT_EQ(editor->dateControls()->datePicker()->selectedDate(), QDate(2002, 3, 4));
    choose(editor->dateControls()->monthPopup(), editor->dateControls()->monthPopup()->itemText(0));
    const LabeledValueList list = pressDone();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(0).dateValue, DateComponents(2001, 2, 3));
    EXPECT_EQ(list.at(1).dateValue, DateComponents(2002, 1, 4));
    EXPECT_EQ(list.at(2).dateValue, DateComponents(2003, 4, 5));
}

TEST_F(DatesEditor, ReturnWithTheTableFocusedPressesDone) {
    open(contactWithDates(), 2);
    EXPECT_EQ(QApplication::focusWidget(), editor->tableView()) << "editing starts in the table";
    choose(editor->dateControls()->monthPopup(), editor->dateControls()->monthPopup()->itemText(0));
    editor->tableView()->setFocus();
    QTest::keyClick(editor->tableView(), Qt::Key_Return);
    ASSERT_TRUE(scene.answered<LabeledValueList>());
    EXPECT_EQ(scene.answered<LabeledValueList>()->at(1).dateValue, DateComponents(2002, 1, 4));
    EXPECT_FALSE(scene.popover->isShown());
}

TEST_F(DatesEditor, ANewRowFollowsTheSelectedOneWithAnUnusedRunningNumber) {
    open(contactWithDates(), 1);
    QTest::mouseClick(editor->tableView()->viewport(), Qt::LeftButton, {}, cellCenter(1, 1));
    EXPECT_EQ(editor->dateControls()->datePicker()->selectedDate(), QDate(2002, 3, 4));
    QTest::mouseClick(editor->addButton(), Qt::LeftButton);
    ASSERT_EQ(editor->table().size(), 4);
    EXPECT_EQ(editor->table().at(2).labelIndex, 4) << "1, 2 and 3 are taken";
    EXPECT_EQ(editor->tableView()->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(editor->tableView()->selectionModel()->isRowSelected(2, {}));

    // The controls redate the selected row.
    choose(editor->dateControls()->monthPopup(), editor->dateControls()->monthPopup()->itemText(0));
    EXPECT_EQ(editor->table().at(2).dateValue->month, 1);
    const LabeledValueList list = pressDone();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.at(2).labelIndex, 4);
    EXPECT_TRUE(editor->table().isEmpty()) << "the editor drops its rows, the answer keeps its own";
}

TEST_F(DatesEditor, DeletingEveryRowHandsBackAnEmptyList) {
    open(contactWithDates());
    editor->tableView()->selectAll();
    QTest::mouseClick(editor->delButton(), Qt::LeftButton);
    EXPECT_FALSE(editor->delButton()->isEnabled());
    EXPECT_EQ(pressDone(), LabeledValueList());
    RecordingReceiver receiver;
    applyEditorAnswer(*scene.answer, receiver, nullptr, nullptr);
    EXPECT_TRUE(receiver.calls.isEmpty()) << "no contact, nothing applied";
}

TEST_F(DatesEditor, TypedDatesAreReadAndACellStillBeingEditedIsCommittedByDone) {
    RecordingBeeper beeps;
    open(contactWithDates());
    QLineEdit *field = editDateCell(0);
    ASSERT_TRUE(field);
    field->selectAll();
    typeText(field, QStringLiteral("someday"));
    QTest::keyClick(field, Qt::Key_Return);
    QCoreApplication::processEvents(); // the cell commits a turn later
    EXPECT_TRUE(scene.popover->isShown()) << "Return in a cell is the cell's";
    EXPECT_EQ(beeps.count, 1);
    EXPECT_EQ(shownDates().first(), QStringLiteral("2001.02.03(Sat)"));

    field = editDateCell(1);
    ASSERT_TRUE(field);
    field->selectAll();
    typeText(field, QStringLiteral("1999.12.31"));
    const LabeledValueList list = pressDone();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.at(1).dateValue, DateComponents(1999, 12, 31));
    EXPECT_EQ(list.at(1).stringValue, QStringLiteral("1999.12.31(Fri)"));
}

TEST_F(DatesEditor, WithNoRowSelectedTheControlsMoveAlone) {
    open(contactWithDates());
    const QStringList before = shownDates();
    choose(editor->dateControls()->monthPopup(), editor->dateControls()->monthPopup()->itemText(6));
    EXPECT_EQ(editor->dateControls()->datePicker()->selectedDate().month(), 7);
    EXPECT_EQ(shownDates(), before);
    EXPECT_FALSE(editor->doneButton()->isEnabled());
}

TEST_F(DatesEditor, ALabelPopupRelabelsItsRow) {
    open(contactWithDates());
    auto *popup = qobject_cast<QComboBox *>(editor->tableView()->indexWidget(
        editor->tableView()->model()->index(1, DatesViewController::LabelColumn)));
    ASSERT_TRUE(popup) << "while editing every label cell is a popup";
    choose(popup, editor->localizedLabels().first());
    EXPECT_EQ(editor->table().at(1).label, editor->labels().first());
    EXPECT_TRUE(editor->doneButton()->isEnabled());
}

} // namespace
