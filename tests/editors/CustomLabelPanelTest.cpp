#include "tests/editors/CustomPanelsTestSupport.h"
#include "tests/editors/EditorTestSupport.h"

#include "editors/CustomLabelPanel.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Beep.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

QStringList labelsOf(QMPerson &person, const QString &identifier) {
    QStringList labels;
    for (const LabeledValueRecord &record :
         person.labeledValueForIdentifier(identifier).value_or(LabeledValueList()))
        labels.append(record.labelText());
    return labels;
}

// The window's side of the answer, as its undo step will store it.
void applyAnswer(const CustomLabelPanelController &panel) {
    for (const RelabeledValues &change : panel.relabeledValues())
        change.person->setValue(FieldValue(change.values), change.identifier);
}

// One card per label list, each label on a value of the labeled custom item `item`.
QString cardsWithLabels(const QString &item, const QList<QStringList> &cards) {
    QString text;
    for (qsizetype i = 0; i < cards.size(); ++i) {
        text += QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nN:C%1;;;;\nFN:C%1\n").arg(i);
        for (qsizetype j = 0; j < cards[i].size(); ++j)
            text += QStringLiteral("X-%1;type=%2:v%3%4\n").arg(item, cards[i][j]).arg(i).arg(j);
        text += QStringLiteral("END:VCARD\n");
    }
    return text;
}

CustomItemDefinition labeledItem(const QString &name) {
    CustomItemDefinition item;
    item.name = name;
    item.type = ValueKind::Labeled;
    return item;
}

// The class label tables live as long as the process: each test has a field of its own.
class CustomLabelPanelTest : public ::testing::Test {
protected:
    SheetHost host;
    CustomLabelPanelController panel;
    std::shared_ptr<ContainerTable> containers;

    void open(const QString &cards, const QString &field) {
        containers = containersFromCards(cards);
        UserDefaults::standard().setObject(field, CustomLabelPanelController::LastSelectedItemKey);
        if (!QMPerson::labeledIdentifiers().contains(field))
            panel.setCustomItems({labeledItem(field)});
        panel.setSelectedFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        panel.setContainerTable(containers);
        panel.setContextInfo();
        host.begin(panel);
    }
    void openItem(const QString &item, const QList<QStringList> &cards) {
        open(cardsWithLabels(item, cards), item);
    }
    QMPerson &contact(int i) { return *allContacts(*containers).at(i).person; }
    void selectRow(int row) {
        const QRect cell = panel.tableView()->visualRect(panel.tableView()->model()->index(row, 0));
        QTest::mouseClick(panel.tableView()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void renameRow(int row, const QString &text) {
        doubleClickRow(panel.tableView(), row);
        typeIntoRow(panel.tableView(), text);
    }
    void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(CustomLabelPanelTest, RenamingRelabelsOnlyTheMatchingValuesOnceTheWindowApplies) {
    const QString item = QStringLiteral("Vessels");
    openItem(item, {{"dinghy", "ketch", "dinghy"}, {"dinghy"}, {"ketch"}});
    ASSERT_EQ(columnTexts(panel.tableView()), (QStringList{"dinghy", "ketch"}));
    renameRow(0, QStringLiteral("skiff"));
    EXPECT_EQ(columnTexts(panel.tableView()), (QStringList{"skiff", "ketch"}));
    EXPECT_EQ(*QMPerson::customLabelsForIdentifier(item), (QStringList{"skiff", "ketch"}));
    EXPECT_EQ(labelsOf(contact(0), item).first(), "dinghy") << "contacts wait for the window";

    press(panel.doneButton());
    EXPECT_EQ(host.codes, QList<int>{1});
    EXPECT_EQ(panel.labelChanges(), (QList<LabelChange>{{item, "dinghy", "skiff"}}));
    ASSERT_EQ(panel.relabeledValues().size(), 2) << "the two contacts holding the label, nobody else";
    applyAnswer(panel);
    EXPECT_EQ(labelsOf(contact(0), item), (QStringList{"skiff", "ketch", "skiff"}));
    EXPECT_EQ(labelsOf(contact(1), item), QStringList{"skiff"});
    EXPECT_EQ(labelsOf(contact(2), item), QStringList{"ketch"});
    EXPECT_EQ(contact(0).labeledValueForIdentifier(item)->first().stringValue, "v00");
}

TEST_F(CustomLabelPanelTest, RenamingOntoALabelTheFieldHasMergesTheTwo) {
    const QString item = QStringLiteral("Rigs");
    openItem(item, {{"yawl", "sloop"}});
    renameRow(0, QStringLiteral("sloop"));
    EXPECT_EQ(columnTexts(panel.tableView()), QStringList{"sloop"});
    EXPECT_EQ(*QMPerson::labelsForIdentifier(item), QStringList{"sloop"}) << "no word listed twice";
    EXPECT_EQ(*QMPerson::localizedLabelsForIdentifier(item), QStringList{"sloop"});
    press(panel.cancelButton());
    EXPECT_EQ(host.codes, QList<int>{1}) << "Cancel after changes still reports them";
    applyAnswer(panel);
    EXPECT_EQ(labelsOf(contact(0), item), (QStringList{"sloop", "sloop"}));

    // Onto a standard label of a built-in field.
    SheetHost phoneHost;
    CustomLabelPanelController phones;
    containers = containersFromCards(
        "BEGIN:VCARD\nVERSION:3.0\nN:A;B;;;\nFN:B A\nitem1.TEL:1\nitem1.X-ABLabel:galley\nEND:VCARD\n");
    UserDefaults::standard().setObject(FieldId::Phone, CustomLabelPanelController::LastSelectedItemKey);
    phones.setContainerTable(containers);
    phones.setContextInfo();
    phoneHost.begin(phones);
    const int row = int(phones.table().indexOf("galley"));
    doubleClickRow(phones.tableView(), row);
    typeIntoRow(phones.tableView(), QStringLiteral("work"));
    EXPECT_FALSE(phones.table().contains("galley"));
    EXPECT_FALSE(phones.table().contains("work"));
    EXPECT_EQ(QMPerson::labelsForIdentifier(FieldId::Phone)->count("work"), 1);
    EXPECT_FALSE(QMPerson::labelsForIdentifier(FieldId::Phone)->contains("galley"));
    applyAnswer(phones);
    EXPECT_EQ(labelsOf(contact(0), FieldId::Phone), QStringList{"work"});
}

// Deleting, by the button or by renaming to nothing, gives the values the field's fallback.
TEST_F(CustomLabelPanelTest, DeletingGivesValuesTheFieldsFallbackAndTheRowGoes) {
    struct Case {
        QString field;
        QString line;
        QString fallback;
        bool byRename;
    };
    const Case cases[] = {
        {FieldId::SocialNetwork, "item1.X-SOCIALPROFILE;type=quokka:x-apple:ann",
         CNSocialProfileServiceFacebook, false},
        {FieldId::Relationship, "item1.X-ABRELATEDNAMES:Bob\nitem1.X-ABLabel:godson", "father", true},
        {FieldId::Dates, "item1.X-ABDATE:2001-02-03\nitem1.X-ABLabel:wedding", "anniversary", false},
        {FieldId::Email, "item1.EMAIL:a@example.org\nitem1.X-ABLabel:club", NoLabel, true}, // stored empty
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        SheetHost sheetHost;
        CustomLabelPanelController deleting;
        containers =
            containersFromCards("BEGIN:VCARD\nVERSION:3.0\nN:A;B;;;\nFN:B A\n" + c.line + "\nEND:VCARD\n");
        const QString label = labelsOf(contact(0), c.field).value(0);
        QMPerson::setLabel(QString(), label, c.field); // as the tables do with the labels they show
        UserDefaults::standard().setObject(c.field, CustomLabelPanelController::LastSelectedItemKey);
        deleting.setContainerTable(containers);
        deleting.setContextInfo();
        sheetHost.begin(deleting);
        const int row = int(columnTexts(deleting.tableView()).indexOf(label));
        ASSERT_GE(row, 0) << label.toStdString();
        const qsizetype before = deleting.table().size();
        if (c.byRename) {
            doubleClickRow(deleting.tableView(), row);
            typeIntoRow(deleting.tableView(), QStringLiteral("  "));
        } else {
            deleting.tableView()->selectRow(row);
            QTest::mouseClick(deleting.deleteButton(), Qt::LeftButton);
        }
        EXPECT_EQ(deleting.table().size(), before - 1);
        EXPECT_FALSE(QMPerson::labelsForIdentifier(c.field).value_or(QStringList()).contains(label));
        EXPECT_FALSE(QMPerson::labelsForIdentifier(c.field).value_or(QStringList()).contains(QString()));
        QTest::mouseClick(deleting.doneButton(), Qt::LeftButton);
        EXPECT_EQ(sheetHost.codes, QList<int>{1});
        applyAnswer(deleting);
        EXPECT_EQ(labelsOf(contact(0), c.field).value(0, "(none)"), c.fallback);
    }
}

TEST_F(CustomLabelPanelTest, AddNumbersNewLabelsAndAloneChangesNothingToReport) {
    openItem(QStringLiteral("Hulls"), {{"new", "new1"}});
    selectRow(1);
    press(panel.addButton());
    EXPECT_EQ(columnTexts(panel.tableView()), (QStringList{"new", "new2", "new1"}))
        << "in front of the selection";
    EXPECT_TRUE(rowEditor(panel.tableView())) << "opened for its name";
    EXPECT_TRUE(QMPerson::customLabelsForIdentifier(QStringLiteral("Hulls"))->contains("new2"));
    panel.tableView()->clearSelection();
    press(panel.addButton());
    EXPECT_EQ(columnTexts(panel.tableView()).last(), "new3") << "at the end without a selection";
    press(panel.doneButton());
    EXPECT_EQ(host.codes, QList<int>{0});
    EXPECT_TRUE(panel.relabeledValues().isEmpty());
}

TEST_F(CustomLabelPanelTest, ALineBreakIsRefusedAndAnUnchangedCancelReportsNothing) {
    const QString item = QStringLiteral("Barges");
    openItem(item, {{"punt", "barge"}});
    RecordingBeeper beeper;
    EXPECT_FALSE(panel.setLabel(QStringLiteral("punt"), QStringLiteral("two\nlines"), item));
    panel.textFieldCellChanged(0, QStringLiteral("two\rlines"));
    EXPECT_EQ(beeper.count, 1);
    EXPECT_EQ(columnTexts(panel.tableView()), (QStringList{"punt", "barge"}));
    EXPECT_TRUE(QMPerson::customLabelsForIdentifier(item)->contains("punt"));
    panel.window()->close(); // the window system's close is a Cancel
    EXPECT_EQ(host.codes, QList<int>{0});
    EXPECT_FALSE(host.sheetShown());
}

TEST_F(CustomLabelPanelTest, CancelDropsARenameStillBeingTyped) {
    const QString item = QStringLiteral("Rafts");
    openItem(item, {{"log", "reed"}});
    doubleClickRow(panel.tableView(), 0);
    QLineEdit *field = rowEditor(panel.tableView());
    ASSERT_TRUE(field);
    field->selectAll();
    field->insert(QStringLiteral("balsa"));
    press(panel.cancelButton());
    QCoreApplication::processEvents();
    EXPECT_EQ(host.codes, QList<int>{0});
    EXPECT_EQ(*QMPerson::customLabelsForIdentifier(item), (QStringList{"log", "reed"}));
    EXPECT_TRUE(panel.labelChanges().isEmpty());
}

TEST_F(CustomLabelPanelTest, TheChosenFieldIsRememberedAcrossPanelsWhileOffered) {
    CustomItemDefinition plain;
    plain.name = QStringLiteral("Hobby");
    plain.type = ValueKind::String;
    panel.setCustomItems({labeledItem("Boats"), plain});
    open(cardsWithLabels("Boats", {{"ark"}}), FieldId::Phone);
    QStringList offered;
    for (int i = 0; i < panel.itemNamePopup()->count(); ++i)
        offered.append(panel.itemNamePopup()->itemData(i).toString());
    EXPECT_EQ(offered, QMPerson::labeledIdentifiers() + QStringList{"Boats"}) << "labeled items only";
    choose(panel.itemNamePopup(), QStringLiteral("Boats"));
    EXPECT_EQ(panel.table(), QStringList{"ark"});
    press(panel.cancelButton());

    CustomLabelPanelController afterRestart; // a new process reads the same preferences
    afterRestart.setCustomItems({labeledItem("Boats")});
    afterRestart.setContextInfo();
    EXPECT_EQ(afterRestart.selectedIdentifier(), "Boats");
    CustomLabelPanelController itemGone;
    itemGone.setContextInfo();
    EXPECT_EQ(itemGone.selectedIdentifier(), QMPerson::labeledIdentifiers().first());
}

TEST_F(CustomLabelPanelTest, SortingKeepsTheSelectedLabelSelected) {
    openItem(QStringLiteral("Letters"), {{"zulu", "alpha"}});
    selectRow(0);
    panel.tableViewSortDescriptorsDidChange(true);
    EXPECT_EQ(columnTexts(panel.tableView()), (QStringList{"alpha", "zulu"}));
    EXPECT_EQ(panel.tableView()->selectionModel()->selectedRows().value(0).row(), 1);
    panel.tableViewSortDescriptorsDidChange(false);
    EXPECT_EQ(panel.table(), (QStringList{"zulu", "alpha"}));
}

} // namespace
