#include "tests/app/TableDriving.h"

#include "editors/AddressViewController.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PhoneticNameViewController.h"
#include "editors/SNSViewController.h"
#include "model/NormalizePhoneNumber.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>

namespace tessarin {
using namespace table_test;

namespace {

// Rows by name: Ann (0 and 1: two values of every multi-valued field), Bob (2: one of each),
// Cid (3: a name only), Dee (4: one of each, and single fields), the footer (5).
const QString Cards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\nORG:Abe Co;\r\nNOTE:ann note\r\n"
    "BDAY:1980-05-17\r\nX-PHONETIC-FIRST-NAME:an\r\nX-PHONETIC-LAST-NAME:abe\r\n"
    "TEL;type=CELL:100-1000\r\nTEL;type=HOME:100-2000\r\n"
    "EMAIL;type=INTERNET;type=HOME:a1@abe.example\r\nEMAIL;type=INTERNET;type=WORK:a2@abe.example\r\n"
    "URL;type=HOME:http://a1.example\r\nURL;type=WORK:http://a2.example\r\n"
    "ADR;type=HOME:;;1 Main St;Springfield;IL;11111;USA\r\nADR;type=WORK:;;2 Side St;Shelbyville;IL;22222;USA\r\n"
    "item1.X-ABDATE:2001-02-03\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\n"
    "item2.X-ABDATE:2005-06-07\r\nitem2.X-ABLabel:_$!<Other>!$_\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:ann.home\r\nIMPP;X-SERVICE-TYPE=Jabber;TYPE=WORK:xmpp:ann@work.example\r\n"
    "X-SOCIALPROFILE;TYPE=twitter;x-user=ann:https://twitter.com/ann\r\n"
    "X-SOCIALPROFILE;TYPE=facebook;x-user=ann.abe:https://facebook.com/ann.abe\r\n"
    "item3.X-ABRELATEDNAMES:Bea\r\nitem3.X-ABLabel:_$!<Friend>!$_\r\n"
    "item4.X-ABRELATEDNAMES:Cia\r\nitem4.X-ABLabel:_$!<Mother>!$_\r\n"
    "X-HOBBY;TYPE=club:Chess\r\nX-HOBBY;TYPE=club:Go\r\nX-CODE:A-1\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\nORG:Baker Co;\r\n"
    "TEL;type=WORK:200-1000\r\nEMAIL;type=INTERNET;type=WORK:b@baker.example\r\nURL;type=WORK:http://b.example\r\n"
    "ADR;type=WORK:;;3 Oak St;Ogdenville;OR;33333;USA\r\n"
    "item1.X-ABDATE:2010-10-10\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;TYPE=WORK:skype:bob\r\nX-SOCIALPROFILE;TYPE=twitter;x-user=bob:https://twitter.com/bob\r\n"
    "item2.X-ABRELATEDNAMES:Ben\r\nitem2.X-ABLabel:_$!<Brother>!$_\r\nX-HOBBY;TYPE=club:Golf\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dunn;Dee;;;\r\nFN:Dee Dunn\r\nNOTE:dee note\r\nBDAY:1990-01-02\r\n"
    "X-PHONETIC-LAST-NAME:dun\r\nTEL;type=HOME:400-1000\r\nEMAIL;type=INTERNET;type=HOME:d@dunn.example\r\n"
    "URL;type=HOME:http://d.example\r\nADR;type=HOME:;;4 Elm St;North Haverbrook;OR;44444;USA\r\n"
    "item1.X-ABDATE:2020-02-02\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:dee\r\nX-SOCIALPROFILE;TYPE=twitter;x-user=dee:https://twitter.com/dee\r\n"
    "item2.X-ABRELATEDNAMES:Dot\r\nitem2.X-ABLabel:_$!<Sister>!$_\r\nX-HOBBY;TYPE=club:Judo\r\nX-CODE:D-4\r\n"
    "END:VCARD\r\n");
enum Row { Ann = 0, Ann2 = 1, Bob = 2, Cid = 3, Dee = 4, Footer = 5 };

const QString Hobby = QStringLiteral("HOBBY");
const QString Code = QStringLiteral("CODE");

// The document as the tests compare it: for each contact, each field's values in their
// order, one line each ("label|text", an address as "label|street|city|state|ZIP|country"),
// a single field as its one text.
using Fields = QMap<QString, QStringList>;
using State = QMap<QString, Fields>;

// A state as a failed comparison shows it: one field a line.
std::string text(const State &state) {
    std::string shown;
    for (auto contact = state.cbegin(); contact != state.cend(); ++contact)
        for (auto field = contact->cbegin(); field != contact->cend(); ++field)
            shown += "\n" + contact.key().toStdString() + " " + field.key().toStdString() + ": " +
                     field->join(QStringLiteral(" / ")).toStdString();
    return shown;
}

const QStringList Names = {QStringLiteral("Ann Abe"), QStringLiteral("Bob Baker"), QStringLiteral("Cid Cole"),
                           QStringLiteral("Dee Dunn")};
const QStringList LabeledFields = {FieldId::Phone,          FieldId::Email,         FieldId::URL,
                                   FieldId::Relationship,   Hobby,                  FieldId::Address,
                                   FieldId::InstantMessage, FieldId::SocialNetwork, FieldId::Dates};
const QStringList SingleFields = {FieldId::Birthday, FieldId::PhoneticName, FieldId::Note, FieldId::Company, Code};
// An address line's parts after its label.
const QStringList AddressParts = {FieldId::Street, FieldId::City, FieldId::State, FieldId::ZIP, FieldId::Country};

// The columns of plain texts, whose delete command is "Clear Text".
bool isTextColumn(const QString &column) {
    return column == FieldId::Note || column == FieldId::Company || column == Code;
}

QString fieldOf(const QString &column) {
    return AddressParts.contains(column) ? FieldId::Address : column;
}

enum class Command { Delete, ReplaceText, ReplaceLabelAndText, Prepend, Append, Add };

QString titleOf(Command command, bool textField) {
    switch (command) {
    case Command::Delete:
        return textField ? QStringLiteral("Clear Text") : QStringLiteral("Delete Item");
    case Command::ReplaceText:
        return QStringLiteral("Replace Text");
    case Command::ReplaceLabelAndText:
        return QStringLiteral("Replace Label and Text");
    case Command::Prepend:
        return QStringLiteral("Prepend Text");
    case Command::Append:
        return QStringLiteral("Append Text");
    case Command::Add:
        return QStringLiteral("Add Item");
    }
    return {};
}

// The text the dialog is given, and what each command makes of an old text with it.
const QString Typed = QStringLiteral("X7");

QString changedText(Command command, const QString &old, const QString &typed = Typed) {
    switch (command) {
    case Command::Prepend:
        return typed + old;
    case Command::Append:
        return old + typed;
    default:
        return typed;
    }
}

class TableKindsTest : public TableWindowTest {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        openCards(Cards, {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, Hobby,
                          FieldId::Address, FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street,
                          FieldId::Country, FieldId::InstantMessage, FieldId::SocialNetwork, FieldId::Dates,
                          FieldId::Birthday, FieldId::PhoneticName, FieldId::Note, FieldId::Company, Code});
        view->setEditState(true);
    }

    State state() const {
        State all;
        for (const QString &name : Names) {
            const std::shared_ptr<QMPerson> contact = person(name);
            Fields fields;
            for (const QString &field : LabeledFields) {
                QStringList lines;
                for (const LabeledValueRecord &value :
                     contact->labeledValueForIdentifier(field).value_or(LabeledValueList())) {
                    QStringList line = {value.labelText()};
                    if (field == FieldId::Address)
                        for (const QString &part : AddressParts)
                            line << *value.addressPart(part);
                    else
                        line << value.stringValue;
                    lines << line.join(QLatin1Char('|'));
                }
                fields.insert(field, lines);
            }
            const auto birthday = contact->birthdayValue();
            fields.insert(FieldId::Birthday, {birthday ? birthday->stringValue : QString()});
            const auto phonetic = contact->phoneticNameValue();
            fields.insert(FieldId::PhoneticName, {phonetic ? phonetic->stringValue : QString()});
            for (const QString &field : {FieldId::Note, FieldId::Company, Code})
                fields.insert(field, {contact->stringValueForIdentifier(field)});
            all.insert(name, fields);
        }
        return all;
    }

    // Every address's shown text is the one its parts make.
    void expectAddressTextsFollowTheirParts(const char *when) const {
        for (const QString &name : Names)
            for (const LabeledValueRecord &address :
                 person(name)->labeledValueForIdentifier(FieldId::Address).value_or(LabeledValueList())) {
                LabeledValueRecord remade = address;
                QMPerson::updateAddressValue(remade, true);
                EXPECT_EQ(address.stringValue, remade.stringValue) << name.toStdString() << " " << when;
            }
    }

    // The rows' contacts and positions, each once, in the rows' order.
    QList<std::pair<QString, qint64>> targetsOf(const QList<int> &rows) const {
        QList<std::pair<QString, qint64>> targets;
        for (const int r : rows) {
            const SubContactRow &row = *table->subContactTable()[size_t(r)];
            const std::pair<QString, qint64> target{row.person->compositeName(), row.labelIndex};
            if (!targets.contains(target))
                targets << target;
        }
        return targets;
    }

    // What the command should make of the document: each target value changed once (a
    // single field once per contact), nothing else.
    static State expectedAfter(State state, const QString &column, Command command,
                               const QList<std::pair<QString, qint64>> &targets, const QString &label,
                               const QString &typed = Typed) {
        const QString field = fieldOf(column);
        if (SingleFields.contains(field)) {
            QStringList done;
            for (const auto &[name, position] : targets) {
                if (done.contains(name))
                    continue;
                done << name;
                QString &text = state[name][field].first();
                text = command == Command::Delete ? QString() : changedText(command, text, typed);
            }
            return state;
        }
        QMap<QString, QList<qint64>> deleted;
        for (const auto &[name, position] : targets) {
            QStringList &lines = state[name][field];
            if (position >= lines.size())
                continue;
            if (command == Command::Delete) {
                deleted[name] << position;
                continue;
            }
            QStringList line = lines[position].split(QLatin1Char('|'));
            const qsizetype part = field == FieldId::Address ? AddressParts.indexOf(column) + 1 : 1;
            line[part] = changedText(command, line[part], typed);
            if (command == Command::ReplaceLabelAndText)
                line[0] = label;
            lines[position] = line.join(QLatin1Char('|'));
        }
        for (auto it = deleted.begin(); it != deleted.end(); ++it) {
            std::sort(it->begin(), it->end(), std::greater<>());
            for (const qint64 position : std::as_const(*it))
                state[it.key()][field].removeAt(position);
        }
        return state;
    }

    // Runs the command from the clicked cell with the rows selected, as a user does: the
    // menu, then the question or the dialog (the typed text confirmed with Return). Checks
    // the document against `expected`, the cells against a table built anew, then one Undo
    // that restores everything.
    void runAndUndo(const QList<int> &rows, int clicked, const QString &column, Command command,
                    const std::function<State(const State &before, const QString &label)> &expected) {
        const State before = state();
        const QStringList cellsBefore = shownCells();
        table->selectRowIndexes(rows);
        if (command == Command::Delete)
            dialogs.answerAlert(QStringLiteral("OK"));
        ASSERT_TRUE(menuCommand(clicked, column, titleOf(command, isTextColumn(column))));
        QString label;
        if (command != Command::Delete && command != Command::Add) {
            ReplaceAlertPanel *panel = bulkDialog();
            ASSERT_NE(panel, nullptr);
            if (command == Command::ReplaceLabelAndText) {
                QComboBox *labels = panel->labelPopup();
                labels->setCurrentIndex(labels->count() - 1);
                label = labels->currentData().toString();
            }
            typeInDialog(Typed);
            EXPECT_EQ(bulkDialog(), nullptr);
        }
        EXPECT_EQ(text(state()), text(expected(before, label)));
        EXPECT_TRUE(edited());
        expectAddressTextsFollowTheirParts("after the command");
        // The cells the edit refreshed in place show what a table built anew shows.
        const QStringList cells = shownCells();
        table->updateTable();
        EXPECT_EQ(shownCells(), cells);
        undo();
        EXPECT_EQ(text(state()), text(before));
        EXPECT_EQ(shownCells(), cellsBefore);
        EXPECT_FALSE(undoManager()->canUndo());
        EXPECT_FALSE(edited());
        expectAddressTextsFollowTheirParts("after Undo");
    }

    // One, two (of two contacts) and many rows (two of one contact, one without values).
    const QList<QList<int>> selections = {{Ann}, {Ann2, Bob}, {Ann, Ann2, Bob, Cid, Dee}};
};

// ---- Delete, replace, prepend, append over every kind of column

struct ColumnCommands {
    QString identifier;
    QList<Command> commands;
};
const QList<Command> LabeledCommands = {Command::Delete, Command::ReplaceText, Command::ReplaceLabelAndText,
                                        Command::Prepend, Command::Append};
const QList<Command> TextCommands = {Command::Delete, Command::ReplaceText, Command::Prepend, Command::Append};

class TextCommandsTest : public TableKindsTest {
protected:
    void runColumns(const QList<ColumnCommands> &columns) {
        for (const ColumnCommands &column : columns)
            for (const Command command : column.commands)
                for (const QList<int> &rows : selections) {
                    SCOPED_TRACE(QStringLiteral("%1, %2, %3 rows")
                                     .arg(column.identifier, titleOf(command, false))
                                     .arg(rows.size())
                                     .toStdString());
                    const auto targets = targetsOf(rows);
                    runAndUndo(rows, rows.first(), column.identifier, command,
                               [&](const State &before, const QString &label) {
                                   return expectedAfter(before, column.identifier, command, targets, label);
                               });
                    if (HasFatalFailure())
                        return;
                }
    }
};

TEST_F(TextCommandsTest, LabeledColumnsChangeEachTargetValueOnceInOneUndoStep) {
    runColumns({{FieldId::Phone, LabeledCommands},
                {FieldId::Email, LabeledCommands},
                {FieldId::URL, LabeledCommands},
                {FieldId::Relationship, LabeledCommands},
                {Hobby, LabeledCommands}});
}

TEST_F(TextCommandsTest, AddressPartColumnsChangeThatPartOfEachTargetAddressOnce) {
    runColumns({{FieldId::ZIP, TextCommands},
                {FieldId::State, TextCommands},
                {FieldId::City, TextCommands},
                {FieldId::Street, TextCommands},
                {FieldId::Country, TextCommands}});
}

TEST_F(TextCommandsTest, TextColumnsChangeEachTargetContactsTextOnce) {
    runColumns({{FieldId::Note, TextCommands}, {FieldId::Company, TextCommands}, {Code, TextCommands}});
}

TEST_F(TextCommandsTest, ColumnsEditedInTheirEditorsDeleteEachTargetValue) {
    const QList<Command> deleteOnly = {Command::Delete};
    runColumns({{FieldId::Address, deleteOnly},
                {FieldId::InstantMessage, deleteOnly},
                {FieldId::SocialNetwork, deleteOnly},
                {FieldId::Dates, deleteOnly},
                {FieldId::Birthday, deleteOnly},
                {FieldId::PhoneticName, deleteOnly}});
}

// ---- Add Item

TEST_F(TextCommandsTest, AddItemAddsOneDefaultValueToEachTargetContact) {
    const struct {
        QString column;
        QString added;
        int clicked; // a row whose menu offers Add Item
    } columns[] = {
        {FieldId::Phone, QStringLiteral("home|123"), Ann},     {FieldId::Email, QStringLiteral("home|new"), Ann},
        {FieldId::URL, QStringLiteral("home|new"), Ann},       {FieldId::Relationship, QStringLiteral("friend|new"), Ann},
        // A custom item offers it where a row shows none, with the item's first label.
        {Hobby, QStringLiteral("club|new"), Cid},
    };
    for (const auto &column : columns)
        for (QList<int> rows : selections) {
            if (!rows.contains(column.clicked))
                rows = {rows.first() == Ann ? Ann : Ann2, column.clicked};
            SCOPED_TRACE(QStringLiteral("%1, %2 rows").arg(column.column).arg(rows.size()).toStdString());
            const auto targets = targetsOf(rows);
            runAndUndo(rows, column.clicked, column.column, Command::Add, [&](State before, const QString &) {
                QStringList done;
                for (const auto &[name, position] : targets)
                    if (!done.contains(name)) {
                        done << name;
                        before[name][column.column] << column.added;
                    }
                return before;
            });
            if (HasFatalFailure())
                return;
        }
}

TEST_F(TextCommandsTest, AddItemOfAFieldWithAnEditorAddsItsAnswerToEachTargetContact) {
    const auto city = [](PopoverEditor *editor) {
        QTest::keyClicks(qobject_cast<AddressViewController *>(editor)->cityField(), QStringLiteral("Newtown"));
    };
    const struct {
        QString column;
        std::function<void(PopoverEditor *)> fill;
    } columns[] = {
        {FieldId::Address, city},
        {FieldId::City, city},
        {FieldId::InstantMessage,
         [](PopoverEditor *editor) {
             QTest::keyClicks(qobject_cast<IMSViewController *>(editor)->usernameField(), QStringLiteral("new.user"));
         }},
        {FieldId::SocialNetwork,
         [](PopoverEditor *editor) {
             QTest::keyClicks(qobject_cast<SNSViewController *>(editor)->usernameField(), QStringLiteral("new.user"));
         }},
    };
    for (const auto &column : columns)
        for (const QList<int> &rows : selections) {
            SCOPED_TRACE(QStringLiteral("%1, %2 rows").arg(column.column).arg(rows.size()).toStdString());
            const QString field = fieldOf(column.column);
            const auto targets = targetsOf(rows);
            const State before = state();
            const QStringList cellsBefore = shownCells();
            table->selectRowIndexes(rows);
            ASSERT_TRUE(menuCommand(rows.first(), column.column, QStringLiteral("Add Item")));
            PopoverEditor *opened = editor();
            ASSERT_NE(opened, nullptr);
            column.fill(opened);
            opened->doneButton()->click();
            QCoreApplication::processEvents();
            // The clicked row's contact got the new value last; each other target the same.
            const QString clickedName = table->subContactTable()[0]->person->compositeName();
            ASSERT_EQ(state()[clickedName][field].size(), before[clickedName][field].size() + 1);
            const QString added = state()[clickedName][field].last();
            EXPECT_TRUE(added.contains(QStringLiteral("new")) || added.contains(QStringLiteral("Newtown"))) << added.toStdString();
            State expected = before;
            QStringList done;
            for (const auto &[name, position] : targets)
                if (!done.contains(name)) {
                    done << name;
                    expected[name][field] << added;
                }
            EXPECT_EQ(text(state()), text(expected));
            expectAddressTextsFollowTheirParts("after the add");
            undo();
            EXPECT_EQ(text(state()), text(before));
            EXPECT_EQ(shownCells(), cellsBefore);
            EXPECT_FALSE(undoManager()->canUndo());
        }
}

// ---- Every Cancel changes nothing

class CancelTest : public TableKindsTest {
protected:
    // Runs `cancel` and checks that the document, the cells and the undo stack are as before.
    void expectNothingChanges(const QString &what, const std::function<void()> &cancel) {
        SCOPED_TRACE(what.toStdString());
        const State before = state();
        const QStringList cellsBefore = shownCells();
        cancel();
        QCoreApplication::processEvents();
        EXPECT_EQ(table->popover(), nullptr);
        EXPECT_EQ(bulkDialog(), nullptr);
        EXPECT_EQ(text(state()), text(before));
        EXPECT_EQ(shownCells(), cellsBefore);
        EXPECT_FALSE(undoManager()->canUndo());
        EXPECT_FALSE(edited());
    }
    // The ways out of an editor without Done.
    enum class Way { CancelButton, Escape, ClickOutside };
    void leave(Way way) {
        PopoverEditor *open = editor();
        ASSERT_NE(open, nullptr);
        switch (way) {
        case Way::CancelButton:
            ASSERT_TRUE(open->cancelButton()->isVisible());
            open->cancelButton()->click();
            break;
        case Way::Escape:
            QTest::keyClick(open->view(), Qt::Key_Escape);
            break;
        case Way::ClickOutside:
            QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, {},
                              tableView()->visualRect(cell(Footer, FieldId::Name)).center());
            break;
        }
        QCoreApplication::processEvents();
    }
};

TEST_F(CancelTest, CancelledQuestionsAndBulkDialogsChangeNothing) {
    const QList<int> many = selections.last();
    const QStringList deletable = {FieldId::Phone,  FieldId::Email,          FieldId::URL,
                                   FieldId::Relationship, Hobby,            FieldId::Address,
                                   FieldId::ZIP,    FieldId::Street,         FieldId::InstantMessage,
                                   FieldId::SocialNetwork, FieldId::Dates,   FieldId::Birthday,
                                   FieldId::PhoneticName, FieldId::Note,     FieldId::Company,
                                   Code};
    for (const QString &column : deletable)
        expectNothingChanges(column + QStringLiteral(" delete, Cancel"), [&] {
            table->selectRowIndexes(many);
            dialogs.answerAlert(QStringLiteral("Cancel"));
            ASSERT_TRUE(menuCommand(Ann, column, titleOf(Command::Delete, isTextColumn(column))));
        });

    // Every dialog command of every column that has one, left by its button or by Escape
    // after a text was typed.
    const QList<ColumnCommands> dialogColumns = {
        {FieldId::Phone, LabeledCommands}, {FieldId::Email, LabeledCommands}, {FieldId::URL, LabeledCommands},
        {FieldId::Relationship, LabeledCommands}, {Hobby, LabeledCommands}, {FieldId::ZIP, TextCommands},
        {FieldId::State, TextCommands}, {FieldId::City, TextCommands}, {FieldId::Street, TextCommands},
        {FieldId::Country, TextCommands}, {FieldId::Note, TextCommands}, {FieldId::Company, TextCommands},
        {Code, TextCommands}};
    int n = 0;
    for (const ColumnCommands &column : dialogColumns)
        for (const Command command : column.commands) {
            if (command == Command::Delete)
                continue;
            const bool escape = ++n % 2 == 0;
            expectNothingChanges(QStringLiteral("%1 %2, %3")
                                     .arg(column.identifier, titleOf(command, false),
                                          escape ? QStringLiteral("Escape") : QStringLiteral("Cancel")),
                                 [&] {
                                     table->selectRowIndexes(many);
                                     ASSERT_TRUE(menuCommand(Ann, column.identifier, titleOf(command, false)));
                                     ReplaceAlertPanel *panel = bulkDialog();
                                     ASSERT_NE(panel, nullptr);
                                     if (panel->labelPopup()->count() > 1)
                                         panel->labelPopup()->setCurrentIndex(panel->labelPopup()->count() - 1);
                                     if (escape)
                                         typeInDialog(Typed, Qt::Key_Escape);
                                     else {
                                         QTest::keyClicks(panel->replaceTextField(), Typed);
                                         panel->cancelButton()->click();
                                     }
                                 });
        }

    // The questions before an edit of several rows.
    expectNothingChanges(QStringLiteral("double click on several rows, Cancel"), [&] {
        table->selectRowIndexes(many);
        dialogs.answerAlert(QStringLiteral("Cancel"));
        doubleClick(Bob, FieldId::Email);
        EXPECT_EQ(table->cellEditor(), nullptr);
    });
    expectNothingChanges(QStringLiteral("Open Edit Panel on several rows, Cancel"), [&] {
        table->selectRowIndexes(many);
        dialogs.answerAlert(QStringLiteral("Cancel"));
        ASSERT_TRUE(menuCommand(Ann, FieldId::Phone, QStringLiteral("Open Edit Panel")));
    });
    expectNothingChanges(QStringLiteral("a label for several rows, Cancel"), [&] {
        table->selectRowIndexes(many);
        dialogs.answerAlert(QStringLiteral("Cancel"));
        QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, {},
                          tableView()->visualRect(cell(Bob, FieldId::Phone)).topLeft() + QPoint(8, 8));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->actions().last()->trigger();
        menu->close();
    });
    EXPECT_EQ(dialogs.shown().size(), qsizetype(deletable.size() + 3));
}

TEST_F(CancelTest, AnEditorOpenedFromTheTableAndLeftWithoutDoneChangesNothing) {
    const struct {
        QString name;
        int row;
        QString column;
        Qt::KeyboardModifiers keys;
        std::function<void(PopoverEditor *)> change;
    } editors[] = {
        {QStringLiteral("list"), Ann, FieldId::Phone, Qt::ControlModifier,
         [](PopoverEditor *e) { qobject_cast<MultiValueViewController *>(e)->addButton()->click(); }},
        {QStringLiteral("address"), Ann, FieldId::Address, {},
         [](PopoverEditor *e) { QTest::keyClicks(qobject_cast<AddressViewController *>(e)->cityField(), "-ku"); }},
        {QStringLiteral("address part's list"), Ann, FieldId::City, Qt::ControlModifier,
         [](PopoverEditor *e) { qobject_cast<MultiValueViewController *>(e)->addButton()->click(); }},
        {QStringLiteral("instant message"), Ann, FieldId::InstantMessage, {},
         [](PopoverEditor *e) { QTest::keyClicks(qobject_cast<IMSViewController *>(e)->usernameField(), "x"); }},
        {QStringLiteral("social profile"), Ann, FieldId::SocialNetwork, {},
         [](PopoverEditor *e) { QTest::keyClicks(qobject_cast<SNSViewController *>(e)->usernameField(), "x"); }},
        {QStringLiteral("dates"), Ann, FieldId::Dates, {},
         [](PopoverEditor *e) { qobject_cast<DatesViewController *>(e)->addButton()->click(); }},
        {QStringLiteral("birthday"), Ann, FieldId::Birthday, {},
         [](PopoverEditor *e) { qobject_cast<DateViewController *>(e)->clearButton()->click(); }},
        {QStringLiteral("phonetic name"), Ann, FieldId::PhoneticName, {},
         [](PopoverEditor *e) {
             QTest::keyClicks(qobject_cast<PhoneticNameViewController *>(e)->firstNameField(), "x");
         }},
    };
    for (const auto &e : editors)
        for (const Way way : {Way::CancelButton, Way::Escape, Way::ClickOutside})
            for (const bool severalRows : {false, true})
                expectNothingChanges(QStringLiteral("%1 editor, way %2, %3")
                                         .arg(e.name)
                                         .arg(int(way))
                                         .arg(severalRows ? QStringLiteral("several rows") : QStringLiteral("one row")),
                                     [&] {
                                         table->selectRowIndexes(severalRows ? selections.last() : QList<int>{e.row});
                                         if (severalRows)
                                             dialogs.answerAlert(QStringLiteral("OK"));
                                         doubleClick(e.row, e.column, e.keys);
                                         ASSERT_NE(editor(), nullptr);
                                         ASSERT_TRUE(editor()->isEditing());
                                         e.change(editor());
                                         leave(way);
                                     });
}

// ---- A locked window

TEST_F(TableKindsTest, ALockedWindowLetsNoItemCommandChangeAnything) {
    view->setEditState(false);
    const State before = state();
    const QStringList itemCommands = {QStringLiteral("Delete Item"), QStringLiteral("Clear Text"),
                                      QStringLiteral("Replace Text"), QStringLiteral("Replace Label and Text"),
                                      QStringLiteral("Prepend Text"), QStringLiteral("Append Text"),
                                      QStringLiteral("Add Item")};
    table->selectRowIndexes(selections.last());
    for (const ContactsTableColumn &column : table->tableColumns())
        for (const int row : {int(Ann), int(Cid)}) {
            SCOPED_TRACE(QStringLiteral("%1 row %2").arg(column.identifier).arg(row).toStdString());
            // Shown, but disabled.
            for (const QString &title : menuAt(row, column.identifier))
                EXPECT_FALSE(itemCommands.contains(title)) << title.toStdString();
            closeMenu();
            // Reached another way (a key, a script), the commands do nothing either.
            dialogs.answerAlert(QStringLiteral("OK"));
            ContactsViewController *controller = table;
            const std::function<void()> items[] = {
                [controller] { controller->deleteItem(nullptr); }, [controller] { controller->replaceItem(nullptr); },
                [controller] { controller->insertItem(nullptr); }, [controller] { controller->prependItem(nullptr); },
                [controller] { controller->appendItem(nullptr); }};
            for (const std::function<void()> &item : items) {
                table->setClickedCell(row, table->tableModel()->columnOf(column.identifier));
                item();
                QCoreApplication::processEvents();
                EXPECT_EQ(bulkDialog(), nullptr);
                EXPECT_EQ(table->popover(), nullptr);
            }
            table->popupLabelCellChanged(row, table->tableModel()->columnOf(column.identifier), 0);
        }
    // Phone numbers are not laid out anew.
    table->selectRowIndexes(selections.last());
    EXPECT_FALSE(pick(QStringLiteral("Normalize Phone Numbers"), QStringLiteral("090-1234-5678")));
    MenuItem layout(QStringLiteral("090-1234-5678"), ActionId::NormalizePhoneNumber);
    table->normalizePhoneNumber(&layout);
    // A press on a label popup opens no label menu.
    QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, {},
                      tableView()->visualRect(cell(Bob, FieldId::Phone)).topLeft() + QPoint(8, 8));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    EXPECT_EQ(text(state()), text(before));
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_FALSE(edited());
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

// ---- Keys in the bulk dialog

// Return, Enter and Shift+Return press the dialog's default button; Alt+Return, the cell
// editor's line break, breaks the line of a text that may hold lines and does nothing in
// any other, which never gets a line break.
TEST_F(TextCommandsTest, ReturnInTheBulkDialogConfirmsAndOnlyTextsOfLinesBreakTheLine) {
    const QStringList oneLine = {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship,
                                 Hobby,          FieldId::Company, Code};
    const QStringList lines = {FieldId::Note, FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street,
                               FieldId::Country};
    const struct {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool breaksLines;
    } keys[] = {
        {"Return", Qt::Key_Return, {}, false},
        {"Enter", Qt::Key_Enter, Qt::KeypadModifier, false},
        {"Shift+Return", Qt::Key_Return, Qt::ShiftModifier, false},
        {"Alt+Return", Qt::Key_Return, Qt::AltModifier, true},
        {"Alt+Enter", Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier, true},
    };
    const QList<int> three = {Ann, Bob, Dee};
    for (const QString &column : oneLine + lines)
        for (const auto &key : keys) {
            SCOPED_TRACE(QStringLiteral("%1, %2").arg(column, QString::fromLatin1(key.name)).toStdString());
            const State before = state();
            table->selectRowIndexes(three);
            ASSERT_TRUE(menuCommand(Ann, column, QStringLiteral("Replace Text")));
            ReplaceAlertPanel *panel = bulkDialog();
            ASSERT_NE(panel, nullptr);
            // Typing goes into the text at once, over the clicked value's text.
            EXPECT_EQ(QApplication::focusWidget(), panel->replaceTextField());
            EXPECT_EQ(panel->replaceTextField()->textCursor().selectedText(),
                      panel->replaceTextField()->toPlainText());
            typeInDialog(QStringLiteral("111"), key.key, key.modifiers);
            QString typed = QStringLiteral("111");
            if (key.breaksLines) {
                // The dialog is still up; the text goes on on the next line, or on the same one.
                ASSERT_EQ(bulkDialog(), panel);
                const bool breaks = lines.contains(column);
                EXPECT_EQ(panel->replaceTextField()->toPlainText(),
                          breaks ? QStringLiteral("111\n") : QStringLiteral("111"));
                QTest::keyClicks(panel->replaceTextField(), QStringLiteral("222"));
                QTest::keyClick(panel->replaceTextField(), Qt::Key_Return);
                QCoreApplication::processEvents();
                typed = breaks ? QStringLiteral("111\n222") : QStringLiteral("111222");
            }
            EXPECT_EQ(bulkDialog(), nullptr);
            EXPECT_EQ(text(state()), text(expectedAfter(before, column, Command::ReplaceText, targetsOf(three), {}, typed)));
            undo();
            EXPECT_EQ(text(state()), text(before));
            EXPECT_FALSE(undoManager()->canUndo());
        }
}

} // namespace
} // namespace tessarin
