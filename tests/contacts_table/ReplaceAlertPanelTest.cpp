#include "contacts_table/ReplaceAlertPanel.h"

#include "model/QMPerson.h"
#include "platform/ui/Application.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Qt::Literals::StringLiterals;

// A dialog as the table prepares it: the clicked value is a "work" phone "555 0100".
struct Sheet {
    Window parent;
    ReplaceAlertPanel panel;
    std::optional<int> returned;

    explicit Sheet(const QString &type, const QStringList &labels = {u"home"_s, u"work"_s, u"main"_s},
                   const QStringList &localized = {u"Home"_s, u"Work"_s}) {
        panel.setType(type);
        panel.setIdentifier(FieldId::Phone);
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
    sheet.panel.replaceTextField()->setPlainText(u"line one\nline two"_s);
    sheet.panel.okButton()->click();
    EXPECT_EQ(sheet.returned, ReplaceAlertPanel::OKResponse);
    EXPECT_EQ(sheet.panel.label(), u"main"_s);
    EXPECT_EQ(sheet.panel.replaceString(), u"line one\nline two"_s);
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

} // namespace
