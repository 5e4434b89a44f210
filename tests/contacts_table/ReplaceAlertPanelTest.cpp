#include "contacts_table/ReplaceAlertPanel.h"

#include "model/QMPerson.h"
#include "platform/ui/Application.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

// A dialog as the table prepares it: the clicked value is a "work" phone "555 0100".
struct Sheet {
    Window parent;
    ReplaceAlertPanel panel;
    std::optional<int> returned;

    explicit Sheet(const QString &type, const QStringList &labels = {u"home"_s, u"work"_s, u"main"_s},
                   const QStringList &localized = {u"Home"_s, u"Work"_s}, bool takesLineBreaks = false) {
        panel.setType(type);
        panel.setIdentifier(FieldId::Phone);
        panel.setTakesLineBreaks(takesLineBreaks);
        panel.setLabels(labels);
        panel.setLocalizedLabels(localized);
        panel.setLabel(u"work"_s);
        panel.setReplaceString(u"555 0100"_s);
        panel.updateUI();
        Application::shared().beginSheet(panel.window(), &parent, [this](int code) { returned = code; });
    }
    QStringList labelTitles() {
        QStringList titles;
        for (int i = 0; i < panel.labelPopup()->count(); ++i)
            titles << panel.labelPopup()->itemText(i);
        return titles;
    }
};

TEST(ReplaceAlertPanel, EachModeSaysWhatItDoesAndWhichControlsTakePart) {
    const struct {
        QString type;
        QString message;
        QString ok;
        bool labelsEnabled;
        int labelCount;
        QString text;
    } modes[] = {
        {ReplaceAlertPanel::AddLabelAndText, u"In order to add the label and text Phone"_s, u"Add"_s, true, 3,
         u"555 0100"_s},
        {ReplaceAlertPanel::ReplaceLabelAndText, u"In order to replace the label and text Phone"_s, u"Replace"_s,
         true, 3, u"555 0100"_s},
        {ReplaceAlertPanel::ReplaceText, u"In order to replace the text Phone"_s, u"Replace"_s, false, 3,
         u"555 0100"_s},
        // Prepending and appending start from an empty text.
        {ReplaceAlertPanel::PrependText, u"In order to prepend the text Phone"_s, u"Prepend"_s, false, 3, {}},
        {ReplaceAlertPanel::AppendText, u"In order to append the text Phone"_s, u"Append"_s, false, 0, {}},
    };
    for (const auto &mode : modes) {
        Sheet sheet(mode.type);
        SCOPED_TRACE(mode.type.toStdString());
        EXPECT_EQ(sheet.panel.replaceAlertMessage()->text(), mode.message);
        EXPECT_EQ(sheet.panel.okButton()->text(), mode.ok);
        EXPECT_EQ(sheet.panel.cancelButton()->text(), u"Cancel"_s);
        EXPECT_EQ(sheet.panel.columnTitle()->text(), u"Columns"_s);
        EXPECT_EQ(sheet.panel.columnPopup()->currentText(), QMPerson::localizedIdentifierForKey(FieldId::Phone));
        EXPECT_EQ(sheet.panel.labelPopup()->isEnabled(), mode.labelsEnabled);
        EXPECT_EQ(sheet.panel.labelPopup()->count(), mode.labelCount);
        EXPECT_EQ(sheet.panel.replaceTextField()->toPlainText(), mode.text);
        // An empty text is confirmed as it is.
        sheet.panel.okButton()->click();
        EXPECT_EQ(sheet.returned, ReplaceAlertPanel::OKResponse);
        EXPECT_EQ(sheet.panel.replaceString(), mode.text);
    }
}

TEST(ReplaceAlertPanel, TheLabelModeStartsOnTheValuesLabelAndAnswersTheRawWord) {
    Sheet sheet(ReplaceAlertPanel::ReplaceLabelAndText);
    // Localized names shorter than the labels: the rest show the raw words.
    EXPECT_EQ(sheet.labelTitles(), (QStringList{u"Home"_s, u"Work"_s, u"main"_s}));
    EXPECT_EQ(sheet.panel.labelPopup()->currentText(), u"Work"_s);
    sheet.panel.labelPopup()->setCurrentIndex(2);
    sheet.panel.replaceTextField()->setPlainText(u"555 0200"_s);
    sheet.panel.okButton()->click();
    EXPECT_EQ(sheet.returned, ReplaceAlertPanel::OKResponse);
    EXPECT_EQ(sheet.panel.label(), u"main"_s);
    EXPECT_EQ(sheet.panel.replaceString(), u"555 0200"_s);
    EXPECT_EQ(Application::shared().attachedSheet(&sheet.parent), nullptr);
}

TEST(ReplaceAlertPanel, CancelAnswersZeroAndWithoutLabelsNoneComesBack) {
    Sheet sheet(ReplaceAlertPanel::ReplaceText, {}, {});
    EXPECT_EQ(sheet.panel.labelPopup()->count(), 0);
    QTest::keyClicks(sheet.panel.replaceTextField(), u" typed"_s);
    sheet.panel.cancelButton()->click();
    EXPECT_EQ(sheet.returned, ReplaceAlertPanel::CancelResponse);

    Sheet confirmed(ReplaceAlertPanel::ReplaceText, {}, {});
    confirmed.panel.okButton()->click();
    EXPECT_EQ(confirmed.panel.label(), std::nullopt);
}

// A text of lines (a note) keeps them, whether it came with the value, was typed or was
// pasted; any other text stays on one line. Escape is Cancel.
TEST(ReplaceAlertPanel, OnlyATextOfLinesKeepsItsLineBreaks) {
    for (const bool lines : {false, true}) {
        SCOPED_TRACE(lines ? "a text of lines" : "a text of one line");
        Sheet sheet(ReplaceAlertPanel::ReplaceText, {}, {}, lines);
        QPlainTextEdit *field = sheet.panel.replaceTextField();
        field->setPlainText(u"one\ntwo"_s);
        EXPECT_EQ(field->toPlainText(), lines ? u"one\ntwo"_s : u"one two"_s);
        field->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(u"\nthree\r\nfour"_s);
        field->paste();
        EXPECT_EQ(field->toPlainText(), lines ? u"one\ntwo\nthree\nfour"_s : u"one two three four"_s);
        // Typing goes on where the paste left the cursor.
        QTest::keyClicks(field, u"!"_s);
        EXPECT_TRUE(field->toPlainText().endsWith(u"four!"_s));
        sheet.panel.okButton()->click();
        EXPECT_EQ(sheet.panel.replaceString()->contains(u'\n'), lines);

        Sheet escaped(ReplaceAlertPanel::ReplaceText, {}, {}, lines);
        QTest::keyClicks(escaped.panel.replaceTextField(), u"typed"_s);
        QTest::keyClick(escaped.panel.replaceTextField(), Qt::Key_Escape);
        EXPECT_EQ(escaped.returned, ReplaceAlertPanel::CancelResponse);
    }
}

} // namespace
