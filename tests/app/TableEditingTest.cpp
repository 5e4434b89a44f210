#include "tests/app/WindowTestSupport.h"

#include "editors/AddressViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>

namespace tessarin {
using namespace window_test;

namespace {

// Rows sorted by name: Ann (0: phone, e-mail, note, address, social profile, instant message;
// 1: second e-mail), Bob (2: phone, e-mail; 3: second phone), Cid (4: e-mail), Dee (5: note).
const QString Cards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\n"
    "EMAIL;type=INTERNET;type=WORK:a1@abe.example\r\nEMAIL;type=INTERNET;type=HOME:a2@abe.example\r\n"
    "TEL;type=CELL:100\r\nNOTE:ann note\r\nADR;type=HOME:;;1 Street;Tokyo;;100;Japan\r\n"
    "X-SOCIALPROFILE;TYPE=twitter;x-user=ann:https://twitter.com/ann\r\n"
    "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:ann.abe\r\n"
    "BDAY:1980-05-17\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\n"
    "EMAIL;type=INTERNET;type=HOME:b@baker.example\r\nTEL;type=HOME:200\r\nTEL;type=WORK:201\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\n"
    "EMAIL;type=INTERNET;type=WORK:c@cole.example\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dunn;Dee;;;\r\nFN:Dee Dunn\r\nNOTE:dee note\r\nEND:VCARD\r\n");

const QString Ann = QStringLiteral("Ann Abe");
const QString Bob = QStringLiteral("Bob Baker");
const QString Cid = QStringLiteral("Cid Cole");
const QString Dee = QStringLiteral("Dee Dunn");

class TableEditTest : public WindowTest {
protected:
    TestDocument *document = nullptr;
    ViewController *view = nullptr;
    ContactsViewController *table = nullptr;
    ScriptedDialogPresenter dialogs;

    void SetUp() override {
        WindowTest::SetUp();
        UserDefaults &defaults = UserDefaults::standard();
        const QStringList all = {FieldId::Name,          FieldId::Phone,    FieldId::Email,
                                 FieldId::Note,          FieldId::City,     FieldId::Address,
                                 FieldId::Dates,         FieldId::Birthday, FieldId::SocialNetwork,
                                 FieldId::InstantMessage};
        // Keys: the last column takes text, so Tab can wrap from it.
        const QStringList keys = {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::City, FieldId::Note};
        defaults.setObject(QVariantMap{{QStringLiteral("Edit"), all}, {QStringLiteral("Keys"), keys}},
                           QStringLiteral("QM1DviewTypeDict"));
        defaults.setObject(QStringLiteral("Edit"), QStringLiteral("QM1DselectedViewType"));
        QVariantMap widths;
        for (const QString &identifier : all)
            widths.insert(identifier, 130.0);
        defaults.setObject(widths, QStringLiteral("QM1DcolumnWidthDictionary"));
        document = open(Cards);
        view = content(document);
        table = view->contactsViewController();
        document->controller->window()->resize(1400, 700);
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        QCoreApplication::processEvents();
        WindowTest::TearDown();
    }

    void showKeysColumns() { view->settings()->setSelectedViewType(QStringLiteral("Keys")); }
    QTableView *tableView() const { return table->tableView(); }
    int column(const QString &identifier) const { return table->tableModel()->columnOf(identifier); }
    int rowOf(const QString &name, qint64 labelIndex = 0) const {
        const SubContactTable &rows = table->subContactTable();
        for (size_t r = 0; r < rows.size(); ++r)
            if (rows[r]->person->compositeName() == name && rows[r]->labelIndex == labelIndex)
                return int(r);
        return -1;
    }
    std::shared_ptr<QMPerson> person(const QString &name) const {
        for (const ContactEntry &entry : std::as_const(*view->contactTable()))
            if (entry.person->compositeName() == name)
                return entry.person;
        return nullptr;
    }
    QStringList values(const QString &name, const QString &identifier) const {
        QStringList texts;
        for (const LabeledValueRecord &value :
             person(name)->labeledValueForIdentifier(identifier).value_or(LabeledValueList()))
            texts << value.labelText() + ":" + value.stringValue;
        return texts;
    }
    QRect cellRect(int row, const QString &identifier) const {
        return tableView()->visualRect(tableView()->model()->index(row, column(identifier)));
    }
    // A double click on the text of a cell (away from a label popup), as a user makes it.
    void doubleClick(int row, const QString &identifier, Qt::KeyboardModifiers modifiers = {}) {
        tableView()->scrollTo(tableView()->model()->index(row, column(identifier)));
        const QRect cell = cellRect(row, identifier);
        const QPoint at(cell.right() - 8, cell.center().y());
        QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, modifiers, at);
        QTest::mouseDClick(tableView()->viewport(), Qt::LeftButton, modifiers, at);
        QCoreApplication::processEvents();
    }
    void typeInCell(const QString &text) {
        ASSERT_NE(table->cellEditor(), nullptr);
        table->cellEditor()->selectAll();
        QTest::keyClicks(table->cellEditor(), text);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        ASSERT_NE(table->cellEditor(), nullptr);
        QTest::keyClick(table->cellEditor(), key, modifiers);
        QCoreApplication::processEvents();
    }
    // What the last action opened: a cell editor, an editor popover, the contact popover.
    QString opened() const {
        if (table->cellEditor())
            return QStringLiteral("in place");
        if (!table->popover())
            return QStringLiteral("nothing");
        ::ViewController *content = table->popover()->contentViewController();
        if (qobject_cast<ContactInfoPopover *>(content))
            return QStringLiteral("contact popover");
        const auto *editor = qobject_cast<PopoverEditor *>(content);
        const EditorContext &context = *editor->contextInfo();
        return QStringLiteral("%1 %2 %3 %4")
            .arg(QString::fromLatin1(editor->metaObject()->className()), context.type,
                 context.labelIndex ? QString::number(*context.labelIndex) : QStringLiteral("-"),
                 editor->isEditing() ? QStringLiteral("editing") : QStringLiteral("locked"));
    }
    PopoverEditor *editor() const {
        return table->popover() ? qobject_cast<PopoverEditor *>(table->popover()->contentViewController()) : nullptr;
    }
    // The editor's Done, as an editor writes its answer.
    void answer(const FieldValue &value) {
        ASSERT_NE(editor(), nullptr);
        editor()->contextInfo()->value = value;
        editor()->contextInfo()->dirty = true;
        table->popover()->close();
        QCoreApplication::processEvents();
    }
    void closeWhatIsOpen() {
        if (table->cellEditor())
            press(Qt::Key_Escape);
        if (table->popover())
            table->popover()->close();
        QCoreApplication::processEvents();
    }
    QList<int> selected() const { return table->selectedRowIndexes(); }
    bool edited() const { return document->controller->window()->isDocumentEdited(); }
    UndoManager *undoManager() const { return document->undoManager(); }
    void undo() {
        QCoreApplication::processEvents();
        view->performAction(QStringLiteral("undo:"), nullptr);
        QCoreApplication::processEvents();
    }
    QStringList shownAlerts() const {
        QStringList texts;
        for (const ScriptedDialogPresenter::Shown &shown : dialogs.shown())
            texts << shown.alert.messageText;
        return texts;
    }
};

// ---- The double action

TEST_F(TableEditTest, DoubleClickEditsInPlaceOrOpensTheFieldsEditor) {
    struct Case {
        bool locked;
        Qt::KeyboardModifiers keys;
        QString name;
        qint64 labelIndex;
        QString column;
        QString expected;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const QList<Case> cases = {
        {true, {}, Ann, 0, FieldId::Name, "contact popover"},
        {true, {}, Bob, 0, FieldId::Phone, "nothing"},
        {true, ctrl, Bob, 0, FieldId::Phone, "MultiValueViewController Phone 0 locked"},
        {true, {}, Cid, 0, FieldId::Phone, "nothing"},
        {true, ctrl, Cid, 0, FieldId::Phone, "MultiValueViewController Phone 0 locked"},
        {true, {}, Ann, 0, FieldId::Address, "AddressViewController Address 0 locked"},
        {true, {}, Ann, 0, FieldId::Birthday, "DateViewController Birthday - locked"},
        {false, {}, Ann, 0, FieldId::Name, "contact popover"},
        {false, {}, Ann, 1, FieldId::Note, "nothing"},
        {false, {}, Ann, 1, FieldId::Phone, "MultiValueViewController Phone 0 editing"},
        {false, {}, Bob, 0, FieldId::Phone, "in place"},
        {false, ctrl, Bob, 0, FieldId::Phone, "MultiValueViewController Phone 0 editing"},
        {false, {}, Ann, 0, FieldId::City, "in place"},
        {false, {}, Bob, 0, FieldId::City, "MultiValueViewController Address 0 editing"},
        {false, {}, Ann, 0, FieldId::Address, "AddressViewController Address 0 editing"},
        {false, {}, Dee, 0, FieldId::Dates, "DatesViewController Dates 0 editing"},
        {false, {}, Dee, 0, FieldId::Note, "in place"},
        {true, {}, Ann, 0, FieldId::SocialNetwork, "SNSViewController Social Network 0 locked"},
        {true, ctrl, Ann, 0, FieldId::SocialNetwork, "MultiValueViewController Social Network 0 locked"},
        {true, {}, Bob, 0, FieldId::SocialNetwork, "nothing"},
        {false, {}, Ann, 0, FieldId::SocialNetwork, "SNSViewController Social Network 0 editing"},
        {false, ctrl, Ann, 0, FieldId::SocialNetwork, "MultiValueViewController Social Network 0 editing"},
        {false, {}, Bob, 0, FieldId::SocialNetwork, "MultiValueViewController Social Network 0 editing"},
        {true, {}, Ann, 0, FieldId::InstantMessage, "IMSViewController Instant Message 0 locked"},
        {true, ctrl, Ann, 0, FieldId::InstantMessage, "MultiValueViewController Instant Message 0 locked"},
        {true, {}, Bob, 0, FieldId::InstantMessage, "nothing"},
        {false, {}, Ann, 0, FieldId::InstantMessage, "IMSViewController Instant Message 0 editing"},
        {false, ctrl, Ann, 0, FieldId::InstantMessage, "MultiValueViewController Instant Message 0 editing"},
        {false, {}, Bob, 0, FieldId::InstantMessage, "MultiValueViewController Instant Message 0 editing"},
    };
    for (const Case &c : cases) {
        view->setEditState(!c.locked);
        const int row = rowOf(c.name, c.labelIndex);
        table->selectRowIndexes({row});
        doubleClick(row, c.column, c.keys);
        EXPECT_EQ(opened(), c.expected) << c.name.toStdString() << " " << c.column.toStdString();
        EXPECT_EQ(selected(), QList<int>{row});
        closeWhatIsOpen();
    }
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_FALSE(undoManager()->canUndo());
}

TEST_F(TableEditTest, CtrlDoubleClickWorksOnTheSelectionItToggled) {
    dialogs.answerAlert(QStringLiteral("OK"));
    table->selectRowIndexes({rowOf(Ann), rowOf(Bob)});
    // The first click takes Bob out of the selection; the double action sees it as it was.
    doubleClick(rowOf(Bob), FieldId::Email, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(shownAlerts(), QStringList{"Do you want to set the same value in the selected rows"});
    EXPECT_EQ(opened(), QStringLiteral("MultiValueViewController Email 0 editing"));
    EXPECT_EQ(selected(), (QList<int>{rowOf(Ann), rowOf(Bob)}));
}

TEST_F(TableEditTest, AfterADeletionTheListEditorOpensOnTheClickedValue) {
    // Bob's first phone gone: "201" keeps its running number 1 at position 0.
    person(Bob)->deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(0));
    table->updateTable();
    table->selectRowIndexes({rowOf(Bob)});
    doubleClick(rowOf(Bob), FieldId::Phone, Qt::ControlModifier);
    EXPECT_EQ(opened(), QStringLiteral("MultiValueViewController Phone 1 editing"));
    const auto *list = qobject_cast<MultiValueViewController *>(editor());
    ASSERT_NE(list, nullptr);
    const QModelIndexList rows = list->tableView()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(list->tableView()->model()->index(rows.first().row(), 1).data().toString(),
              QStringLiteral("201"));
}

// With the label filter on "work", Bob's first row shows no phone (his "home" number is
// hidden) and Ann's none either: no edit of that cell may reach a hidden value.
TEST_F(TableEditTest, AValueTheLabelFilterHidesIsNeverEditedThroughAnEmptyLookingCell) {
    view->settings()->setSelectedLabels({QStringLiteral("work")});
    QCoreApplication::processEvents();
    ASSERT_TRUE(table->viewForTableColumn(FieldId::Phone, rowOf(Bob)).text.isEmpty());
    ASSERT_GE(rowOf(Bob, 1), 0);

    doubleClick(rowOf(Bob), FieldId::Phone);
    EXPECT_EQ(opened(), QStringLiteral("MultiValueViewController Phone 0 editing"));
    closeWhatIsOpen();

    table->popupLabelCellChanged(rowOf(Bob), column(FieldId::Phone),
                                 int(QMPerson::labelsForIdentifier(FieldId::Phone)->indexOf("pager")));
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:200", "work:201"}));

    // The typed text goes to the rows that show a phone: Bob's work number, not Ann's.
    dialogs.answerAlert(QStringLiteral("OK"));
    table->selectRowIndexes({rowOf(Ann), rowOf(Bob, 1)});
    doubleClick(rowOf(Bob, 1), FieldId::Phone);
    QCoreApplication::processEvents();
    typeInCell(QStringLiteral("999"));
    press(Qt::Key_Backtab);
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:200", "work:999"}));
    EXPECT_EQ(values(Ann, FieldId::Phone), QStringList{"mobile:100"});
    view->settings()->setSelectedLabels({QStringLiteral("All")});
}

TEST_F(TableEditTest, ReturnAndTabSkipACustomLabeledCellWithoutAValue) {
    const CustomItemDefinition pets{
        QStringLiteral("Pets"), ValueKind::Labeled, {}, {}, false, false, false, false, {}};
    view->windowState()->setCustomItems({pets});
    LabeledValueRecord dog;
    dog.label = QStringLiteral("dog");
    dog.value = QStringLiteral("Pochi");
    for (const QString &name : {Bob, Dee}) {
        person(name)->addCustomItem(ValueKind::Labeled, pets.name, std::nullopt, std::nullopt);
        person(name)->addLabeledValue(dog, pets.name);
    }
    ViewTypeTable types = view->settings()->viewTypeDict();
    types.insert(QStringLiteral("Pets"), {FieldId::Name, FieldId::Note, pets.name});
    view->settings()->setViewTypeDict(types);
    view->settings()->setSelectedViewType(QStringLiteral("Pets"));
    QCoreApplication::processEvents();
    ASSERT_GE(column(pets.name), 0);

    // Ann has no pet: Tab from her note starts no edit where the text would be lost.
    doubleClick(rowOf(Ann), FieldId::Note);
    typeInCell(QStringLiteral("ann"));
    press(Qt::Key_Tab);
    EXPECT_EQ(table->cellEditor(), nullptr);
    EXPECT_EQ(person(Ann)->stringValueForIdentifier(FieldId::Note), QStringLiteral("ann"));

    // Return from Bob's pet passes Cid, who has none, to Dee's.
    doubleClick(rowOf(Bob), pets.name);
    ASSERT_NE(table->cellEditor(), nullptr);
    press(Qt::Key_Return);
    EXPECT_EQ(selected(), QList<int>{rowOf(Dee)});
    ASSERT_NE(table->cellEditor(), nullptr);
    typeInCell(QStringLiteral("Tama"));
    press(Qt::Key_Return);
    EXPECT_EQ(person(Dee)->labeledValueForIdentifier(pets.name)->first().valueText(), QStringLiteral("Tama"));
    // From Dee round to Bob, past Ann and Cid.
    EXPECT_EQ(selected(), QList<int>{rowOf(Bob)});
    EXPECT_NE(table->cellEditor(), nullptr);
}

// ---- Typed texts

TEST_F(TableEditTest, TypedTextGoesToTheSelectedContactsInOneUndoStepWhateverTheOrderDoes) {
    // Sorted by e-mail, the edit moves both rows to the end.
    QHeaderView *header = tableView()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column(FieldId::Email)) + 20, header->height() / 2));
    ASSERT_EQ(rowOf(Cid), 3);
    dialogs.answerAlert(QStringLiteral("OK"));
    table->selectRowIndexes({rowOf(Ann), rowOf(Cid)});
    doubleClick(rowOf(Cid), FieldId::Email);
    QCoreApplication::processEvents();
    EXPECT_EQ(shownAlerts(), QStringList{"Do you want to set the same value in the selected rows"});
    typeInCell(QStringLiteral("zz@example"));
    press(Qt::Key_Backtab);

    EXPECT_EQ(values(Ann, FieldId::Email), (QStringList{"work:zz@example", "home:a2@abe.example"}));
    EXPECT_EQ(values(Cid, FieldId::Email), QStringList{"work:zz@example"});
    EXPECT_EQ(values(Bob, FieldId::Email), QStringList{"home:b@baker.example"});
    EXPECT_EQ(rowOf(Ann), 2);
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(values(Ann, FieldId::Email), (QStringList{"work:a1@abe.example", "home:a2@abe.example"}));
    EXPECT_EQ(values(Cid, FieldId::Email), QStringList{"work:c@cole.example"});
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_FALSE(edited());
}

TEST_F(TableEditTest, TypingTheSameTextBackChangesNothing) {
    doubleClick(rowOf(Bob), FieldId::Phone);
    typeInCell(QStringLiteral("200"));
    press(Qt::Key_Backtab);
    EXPECT_EQ(table->cellEditor(), nullptr);
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_FALSE(edited());
}

TEST_F(TableEditTest, EscapeDropsTheText) {
    doubleClick(rowOf(Bob), FieldId::Phone);
    typeInCell(QStringLiteral("999"));
    press(Qt::Key_Escape);
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:200", "work:201"}));
    EXPECT_FALSE(undoManager()->canUndo());
}

// Alt+Return, the cell editor's key for a line break, and a pasted break reach only a text of
// lines; in a phone, an e-mail address or a URL a break would make the value unusable.
TEST_F(TableEditTest, OnlyATextOfLinesTakesALineBreakTypedOrPasted) {
    const auto firstValue = [this](const QString &name, const QString &identifier) {
        const QStringList texts = values(name, identifier);
        return texts.isEmpty() ? QString() : texts.first().section(u':', 1);
    };
    struct Case {
        QString name, column;
        bool takesLines;
        std::function<QString()> stored;
    };
    const QList<Case> cases = {
        {Bob, FieldId::Phone, false, [&] { return firstValue(Bob, FieldId::Phone); }},
        {Cid, FieldId::Email, false, [&] { return firstValue(Cid, FieldId::Email); }},
        {Dee, FieldId::Note, true, [&] { return person(Dee)->stringValueForIdentifier(FieldId::Note); }},
        {Ann, FieldId::City, true,
         [&] { return *person(Ann)->labeledValueForIdentifier(FieldId::Address)->first().addressPart(FieldId::City); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.column.toStdString());
        doubleClick(rowOf(c.name), c.column);
        typeInCell(QStringLiteral("first"));
        press(Qt::Key_Return, Qt::AltModifier);
        QTest::keyClicks(table->cellEditor(), QStringLiteral("second"));
        auto *mime = new QMimeData;
        mime->setText(QStringLiteral("-a\nb"));
        QApplication::clipboard()->setMimeData(mime);
        QTest::keyClick(table->cellEditor(), Qt::Key_V, Qt::ControlModifier);
        press(Qt::Key_Backtab);
        EXPECT_EQ(c.stored(), c.takesLines ? QStringLiteral("first\nsecond-a\nb") : QStringLiteral("firstsecond-a b"));
    }
}

// ---- Labels

TEST_F(TableEditTest, ALabelPickedForSeveralRowsSkipsRowsWithoutAValue) {
    dialogs.answerAlert(QStringLiteral("OK"));
    table->selectRowIndexes({rowOf(Ann), rowOf(Bob, 1), rowOf(Cid)});
    const int row = rowOf(Bob, 1);
    QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, {}, cellRect(row, FieldId::Phone).topLeft() + QPoint(8, 8));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    const qsizetype pager = QMPerson::labelsForIdentifier(FieldId::Phone)->indexOf(QStringLiteral("pager"));
    ASSERT_GE(pager, 0);
    menu->actions().at(pager)->trigger();
    menu->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(shownAlerts(), QStringList{"Do you want to set the same label in the selected rows"});
    EXPECT_EQ(values(Ann, FieldId::Phone), QStringList{"pager:100"});
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:200", "pager:201"}));
    EXPECT_TRUE(values(Cid, FieldId::Phone).isEmpty());
    EXPECT_EQ(selected(), (QList<int>{rowOf(Ann), rowOf(Bob, 1), rowOf(Cid)}));
    undo();
    EXPECT_EQ(values(Ann, FieldId::Phone), QStringList{"mobile:100"});
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:200", "work:201"}));
    EXPECT_FALSE(undoManager()->canUndo());
}

TEST_F(TableEditTest, ALabelPickedOutsideTheSelectionAndCancelledLeavesTheSelection) {
    table->selectRowIndexes({rowOf(Ann)});
    const qsizetype pager = QMPerson::labelsForIdentifier(FieldId::Phone)->indexOf(QStringLiteral("pager"));
    const auto pickPager = [&](const QString &answer) {
        dialogs.answerAlert(answer);
        QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, {},
                          cellRect(rowOf(Bob, 1), FieldId::Phone).topLeft() + QPoint(8, 8));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->actions().at(pager)->trigger();
        menu->close();
        QCoreApplication::processEvents();
    };
    pickPager(QStringLiteral("Cancel"));
    EXPECT_EQ(shownAlerts(), QStringList{"Do you want to set the same label in the selected rows"});
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:200", "work:201"}));
    EXPECT_EQ(selected(), QList<int>{rowOf(Ann)});
    // Confirmed, the edit went to both rows, which stay selected.
    pickPager(QStringLiteral("OK"));
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:200", "pager:201"}));
    EXPECT_EQ(values(Ann, FieldId::Phone), QStringList{"pager:100"});
    EXPECT_EQ(selected(), (QList<int>{rowOf(Ann), rowOf(Bob, 1)}));
}

TEST_F(TableEditTest, ALabelPickedInAnAddressPartSetsTheAddresssLabel) {
    table->popupLabelCellChanged(rowOf(Ann), column(FieldId::City),
                                 int(QMPerson::labelsForIdentifier(FieldId::Address)->indexOf("work")));
    EXPECT_EQ(person(Ann)->labeledValueForIdentifier(FieldId::Address, qsizetype(0))->labelText(),
              QStringLiteral("work"));
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_TRUE(edited());
}

// ---- Editor popovers

TEST_F(TableEditTest, AnAnswerForSeveralRowsGoesToEachContactOnceInOneUndoStep) {
    // Two rows of Ann and one of Bob, who has no address: Ann's address changes, Bob gets it.
    dialogs.answerAlert(QStringLiteral("OK"));
    table->selectRowIndexes({rowOf(Ann), rowOf(Ann, 1), rowOf(Bob)});
    doubleClick(rowOf(Ann), FieldId::Address);
    QCoreApplication::processEvents();
    auto *address = qobject_cast<AddressViewController *>(editor());
    ASSERT_NE(address, nullptr);
    QTest::keyClicks(address->cityField(), QStringLiteral("-ku"));
    address->doneButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(values(Ann, FieldId::Address).size(), 1);
    EXPECT_EQ(person(Ann)->labeledValueForIdentifier(FieldId::Address, qsizetype(0))->city, "Tokyo-ku");
    ASSERT_EQ(values(Bob, FieldId::Address).size(), 1);
    EXPECT_EQ(person(Bob)->labeledValueForIdentifier(FieldId::Address, qsizetype(0))->city, "Tokyo-ku");
    EXPECT_TRUE(edited());
    undo();
    EXPECT_EQ(person(Ann)->labeledValueForIdentifier(FieldId::Address, qsizetype(0))->city, "Tokyo");
    EXPECT_TRUE(values(Bob, FieldId::Address).isEmpty());
    EXPECT_FALSE(undoManager()->canUndo());
}

TEST_F(TableEditTest, EachEditorsAnswerEndsInItsOwnEdit) {
    BirthdayRecord birthday;
    birthday.value = DateComponents{1999, 1, 2};
    birthday.stringValue = QStringLiteral("1999.01.02(Sat)");
    LabeledValueRecord phone;
    phone.label = QStringLiteral("work");
    phone.value = QStringLiteral("555");
    struct Case {
        QString name;
        QString column;
        Qt::KeyboardModifiers keys;
        FieldValue value;
        std::function<QString()> shown;
    };
    const QList<Case> cases = {
        {Ann, FieldId::Birthday, {}, FieldValue(birthday),
         [&] { return person(Ann)->birthdayValue()->stringValue; }},
        {Cid, FieldId::Phone, Qt::ControlModifier, FieldValue(LabeledValueList{phone}),
         [&] { return values(Cid, FieldId::Phone).join(','); }},
        // The birthday editor's cleared date: only an empty text.
        {Ann, FieldId::Birthday, {}, FieldValue(BirthdayRecord{}),
         [&] { return person(Ann)->birthdayValue().value_or(BirthdayRecord{}).stringValue; }},
    };
    const QStringList expected = {"1999.01.02(Sat)", "work:555", ""};
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        const QString before = c.shown();
        table->selectRowIndexes({rowOf(c.name)});
        doubleClick(rowOf(c.name), c.column, c.keys);
        answer(c.value);
        EXPECT_EQ(c.shown(), expected[i]) << c.column.toStdString();
        undo();
        EXPECT_EQ(c.shown(), before) << c.column.toStdString();
    }
}

TEST_F(TableEditTest, AnEditorClosedByAClickOutsideAppliesNothing) {
    doubleClick(rowOf(Ann), FieldId::Address);
    auto *address = qobject_cast<AddressViewController *>(editor());
    ASSERT_NE(address, nullptr);
    QTest::keyClicks(address->cityField(), QStringLiteral("-ku"));
    QTest::mouseClick(tableView()->viewport(), Qt::LeftButton, {}, cellRect(rowOf(Dee), FieldId::Name).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(table->popover(), nullptr);
    EXPECT_EQ(person(Ann)->labeledValueForIdentifier(FieldId::Address, qsizetype(0))->city, "Tokyo");
    EXPECT_FALSE(edited());
    EXPECT_FALSE(undoManager()->canUndo());
}

// ---- Return and Tab

TEST_F(TableEditTest, ReturnAppliesTheTextThenMovesDownTheColumn) {
    showKeysColumns();
    // Bob's e-mail, then the next row showing one: Cid's (Bob's second row has none).
    doubleClick(rowOf(Bob), FieldId::Email);
    typeInCell(QStringLiteral("bob@new.example"));
    press(Qt::Key_Return);
    EXPECT_EQ(values(Bob, FieldId::Email), QStringList{"home:bob@new.example"});
    EXPECT_EQ(values(Cid, FieldId::Email), QStringList{"work:c@cole.example"});
    EXPECT_EQ(selected(), QList<int>{rowOf(Cid)});
    ASSERT_NE(table->cellEditor(), nullptr);
    EXPECT_EQ(table->cellEditor()->toPlainText(), QStringLiteral("c@cole.example"));
    // From Cid the search wraps to the first row.
    press(Qt::Key_Return);
    EXPECT_EQ(selected(), QList<int>{rowOf(Ann)});
    EXPECT_EQ(table->cellEditor()->toPlainText(), QStringLiteral("a1@abe.example"));
    press(Qt::Key_Escape);
    // A note goes to the next row with a note cell: Bob's first row, past Ann's second.
    doubleClick(rowOf(Ann), FieldId::Note);
    press(Qt::Key_Return);
    EXPECT_EQ(selected(), QList<int>{rowOf(Bob)});
    ASSERT_NE(table->cellEditor(), nullptr);
    press(Qt::Key_Escape);
    // Only Ann has an address: Return stops on the next row without editing.
    doubleClick(rowOf(Ann), FieldId::City);
    press(Qt::Key_Return);
    EXPECT_EQ(table->cellEditor(), nullptr);
    EXPECT_EQ(selected(), QList<int>{rowOf(Ann, 1)});
    EXPECT_EQ(undoManager()->canUndo(), true);
}

TEST_F(TableEditTest, TabMovesAcrossTheRowAndOnToTheNextRow) {
    showKeysColumns();
    doubleClick(rowOf(Bob), FieldId::Phone);
    typeInCell(QStringLiteral("222"));
    press(Qt::Key_Tab);
    EXPECT_EQ(values(Bob, FieldId::Phone), (QStringList{"home:222", "work:201"}));
    ASSERT_NE(table->cellEditor(), nullptr);
    EXPECT_EQ(table->cellEditor()->toPlainText(), QStringLiteral("b@baker.example"));
    press(Qt::Key_Escape);
    // From the last column of the last row to the first column after the name on row 0.
    doubleClick(rowOf(Dee), FieldId::Note);
    typeInCell(QStringLiteral("dee"));
    press(Qt::Key_Tab);
    EXPECT_EQ(person(Dee)->stringValueForIdentifier(FieldId::Note), QStringLiteral("dee"));
    EXPECT_EQ(selected(), QList<int>{rowOf(Ann)});
    ASSERT_NE(table->cellEditor(), nullptr);
    EXPECT_EQ(table->cellEditor()->toPlainText(), QStringLiteral("100"));
    press(Qt::Key_Escape);
    // Into a row without a phone: no edit, where a typed text would go nowhere.
    doubleClick(rowOf(Cid), FieldId::Note);
    press(Qt::Key_Tab);
    EXPECT_EQ(table->cellEditor(), nullptr);
    EXPECT_EQ(selected(), QList<int>{rowOf(Cid)});
}

TEST_F(TableEditTest, ReturnInADateCellOpensTheEditorOfTheNextRow) {
    const int row = rowOf(Ann);
    table->editColumn(column(FieldId::Birthday), row, {table->subContactTable()[size_t(row)]});
    press(Qt::Key_Return);
    EXPECT_EQ(opened(), QStringLiteral("DateViewController Birthday - editing"));
    EXPECT_EQ(selected(), QList<int>{rowOf(Ann, 1)});
    answer(FieldValue(BirthdayRecord{}));
    // The answer went to the row the editor was opened for: Ann's second row is Ann.
    EXPECT_EQ(person(Ann)->birthdayValue().value_or(BirthdayRecord{}).stringValue, QString());
}

// ---- The detail panel beside the table

// What the detail panel shows, row by row: each label cell's label and text, each text
// cell's text.
QStringList panelShows(ContactInfoController *panel) {
    QStringList lines;
    QAbstractItemModel *model = panel->tableView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const auto *cell = qobject_cast<PopupAndTextCellWidget *>(panel->valueCellWidget(row));
        lines << panel->typeCellText(row) + " " +
                     (cell ? cell->labelPopup()->currentText() + ":" + cell->textField()->toPlainText()
                           : model->index(row, 1).data().toString());
    }
    return lines;
}

TEST_F(TableEditTest, TheDetailPanelFollowsEveryChangeOfItsContactOnceWhateverMadeIt) {
    document->controller->splitButtons()->press(1);
    ContactInfoController *panel = view->contactInfoController();
    table->selectRowIndexes({rowOf(Ann)});
    QSignalSpy reloads(panel->tableView()->model(), &QAbstractItemModel::modelReset);
    // After each step the panel has been made again once and shows what choosing Ann again
    // would show.
    const auto followed = [&](const char *step) {
        SCOPED_TRACE(step);
        QCoreApplication::processEvents();
        EXPECT_EQ(reloads.count(), 1);
        const QStringList shown = panelShows(panel);
        table->selectRowIndexes({rowOf(Bob)});
        table->selectRowIndexes({rowOf(Ann)});
        EXPECT_EQ(panelShows(panel), shown);
        reloads.clear();
        return shown;
    };
    const QStringList before = panelShows(panel);
    table->popupLabelCellChanged(rowOf(Ann), column(FieldId::Phone),
                                 int(QMPerson::labelsForIdentifier(FieldId::Phone)->indexOf("work")));
    const QStringList relabelled = followed("the table's label popup");
    EXPECT_NE(relabelled, before);
    undo();
    EXPECT_EQ(followed("Undo"), before);
    view->performAction(QStringLiteral("redo:"), nullptr);
    EXPECT_EQ(followed("Redo"), relabelled);

    BirthdayRecord birthday;
    birthday.value = DateComponents{1980, 5, 20};
    birthday.stringValue = QStringLiteral("1980.05.20(Tue)");
    doubleClick(rowOf(Ann), FieldId::Birthday);
    answer(FieldValue(birthday));
    EXPECT_TRUE(followed("the birthday editor").join(' ').contains(QStringLiteral("1980.05.20(Tue)")));
    doubleClick(rowOf(Ann), FieldId::Address);
    auto *address = qobject_cast<AddressViewController *>(editor());
    ASSERT_NE(address, nullptr);
    QTest::keyClicks(address->zipField(), QStringLiteral("9"));
    address->doneButton()->click();
    EXPECT_TRUE(followed("the address editor").join(' ').contains(QStringLiteral("1009")));

    // Locked, the card follows as well.
    document->controller->editButton()->click();
    ASSERT_FALSE(view->editState());
    QCoreApplication::processEvents();
    reloads.clear();
    undo();
    followed("Undo while locked");
    EXPECT_FALSE(panel->webView()->toPlainText().contains(QStringLiteral("1009")));
    EXPECT_TRUE(panel->webView()->toPlainText().contains(QStringLiteral("100")));
}

// ---- The contact popover and its windows

TEST_F(TableEditTest, ContactPopoverWindowsAreListedUntilTheyClose) {
    doubleClick(rowOf(Ann), FieldId::Name);
    ASSERT_EQ(opened(), QStringLiteral("contact popover"));
    ASSERT_EQ(table->detachedWindows().size(), 1);
    EXPECT_TRUE(table->detachedWindows().first().windowController.isNull());
    // The table's selection moves on; the window still shows the popover's contact.
    table->selectRowIndexes({rowOf(Bob)});
    table->popover()->detach();
    QCoreApplication::processEvents();
    EXPECT_EQ(table->popover(), nullptr);
    ASSERT_EQ(table->detachedWindows().size(), 1);
    const QPointer<DetachedWindowController> controller = table->detachedWindows().first().windowController;
    ASSERT_FALSE(controller.isNull());
    EXPECT_EQ(controller->window()->windowTitle(), Ann);
    EXPECT_EQ(controller->contactInfoPopover()->contact()->person, person(Ann));
    // Opening Ann again brings the window forward instead.
    doubleClick(rowOf(Ann), FieldId::Name);
    EXPECT_EQ(opened(), QStringLiteral("nothing"));
    EXPECT_EQ(table->detachedWindows().size(), 1);
    // Removing Ann closes her window and its entry goes.
    table->selectRowIndexes({rowOf(Ann)});
    view->performAction(QStringLiteral("deleteContacts:"), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(table->detachedWindows().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(controller.isNull());
    // A popover's OK: its entry goes when its view does.
    doubleClick(rowOf(Bob), FieldId::Name);
    ASSERT_EQ(table->detachedWindows().size(), 1);
    qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController())->okButton()->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(table->detachedWindows().isEmpty());
    EXPECT_EQ(table->popover(), nullptr);
}

// In a window of the size a new window takes, the contact popover is whole: a window of
// its own, kept on the screen, its OK button shown entire.
TEST_F(TableEditTest, TheContactPopoverIsWholeInAWindowOfTheDefaultSize) {
    Window *documentWindow = document->controller->window();
    documentWindow->resize(900, 500);
    QCoreApplication::processEvents();
    doubleClick(rowOf(Ann), FieldId::Name);
    ASSERT_EQ(opened(), QStringLiteral("contact popover"));
    auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
    QWidget *frame = table->popover()->frame();
    ASSERT_TRUE(frame->isVisible());
    const QRect screen = documentWindow->screen()->availableGeometry();
    if (screen.height() < 700)
        GTEST_SKIP() << "a screen too small to show the whole popover";
    EXPECT_TRUE(screen.contains(frame->geometry()));
    EXPECT_GT(frame->geometry().bottom(), documentWindow->geometry().bottom());
    QPushButton *ok = popover->okButton();
    EXPECT_EQ(ok->visibleRegion().boundingRect(), ok->rect());
    EXPECT_TRUE(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
    EXPECT_EQ(popover->tableView()->viewport()->visibleRegion().boundingRect(),
              popover->tableView()->viewport()->rect());
}

TEST_F(TableEditTest, AddContactOpensThePopoverOnTheNewContactAndClosingTheWindowClosesItsWindows) {
    view->performAction(QStringLiteral("addContact:"), nullptr);
    QCoreApplication::processEvents();
    ASSERT_EQ(opened(), QStringLiteral("contact popover"));
    auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
    EXPECT_EQ(popover->contact()->person->compositeName(), QStringLiteral("New"));
    table->popover()->detach();
    QCoreApplication::processEvents();
    ASSERT_EQ(table->detachedWindows().size(), 1);
    const QPointer<Window> detached = table->detachedWindows().first().windowController->window();
    EXPECT_TRUE(detached->isVisible());
    // Closed with the document's window, not later when the document goes.
    dialogs.answerAlert(QStringLiteral("Don't Export"));
    document->controller->window()->close();
    EXPECT_FALSE(detached->isVisible());
}

TEST_F(TableEditTest, DeleteInThePopoverThenUndoThere) {
    doubleClick(rowOf(Ann), FieldId::Name);
    auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
    ASSERT_NE(popover, nullptr);
    const QList<InfoTableRow> &rows = popover->contactInfo()->table();
    int second = -1;
    for (int r = 0; r < rows.size(); ++r)
        if (rows[r].type == FieldId::Email && rows[r].labelIndex == 1)
            second = r;
    ASSERT_GE(second, 0);
    popover->tableView()->selectRow(second);
    QTest::keyClick(popover->tableView(), Qt::Key_Backspace);
    QCoreApplication::processEvents();
    EXPECT_EQ(values(Ann, FieldId::Email), QStringList{"work:a1@abe.example"});
    EXPECT_TRUE(edited());
    // The popover and the table show it.
    EXPECT_EQ(table->popover()->contentViewController(), popover);
    EXPECT_EQ(rowOf(Ann, 1), -1);
    popover->performAction(QStringLiteral("undo:"), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(values(Ann, FieldId::Email), (QStringList{"work:a1@abe.example", "home:a2@abe.example"}));
    EXPECT_FALSE(edited());
    EXPECT_GE(rowOf(Ann, 1), 0);
}

// The Groups row of the contact popover and of its torn-off window names the contact's groups
// after every edit, Undo and Redo, wherever each is made, as the detail panel does.
TEST_F(TableEditTest, ThePopoversGroupsRowFollowsEveryEditUndoAndRedo) {
    const auto groupsShown = [](ContactInfoController *shown) {
        for (int r = 0; r < shown->table().size(); ++r)
            if (shown->table().at(r).type == FieldId::Groups)
                return shown->textCellContent(r)
                    .value_or(ContactInfoController::TextCellContent())
                    .text.toStdString();
        return std::string("no Groups row");
    };
    for (const bool torn : {false, true}) {
        doubleClick(rowOf(Ann), FieldId::Name);
        auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
        ASSERT_NE(popover, nullptr);
        if (torn) {
            table->popover()->detach();
            QCoreApplication::processEvents();
            ASSERT_EQ(table->detachedWindows().size(), 1);
            popover = table->detachedWindows().first().windowController->contactInfoPopover();
        }
        const std::string groups = groupsShown(view->contactInfoController());
        ASSERT_FALSE(groups.empty());
        EXPECT_EQ(groupsShown(popover->contactInfo()), groups);
        const struct {
            const char *step;
            std::function<void()> make;
        } steps[] = {
            {"delete in the popover",
             [&] {
                 const QList<InfoTableRow> &rows = popover->contactInfo()->table();
                 for (int r = 0; r < rows.size(); ++r)
                     if (rows[r].type == FieldId::Email && rows[r].labelIndex == 1)
                         popover->tableView()->selectRow(r);
                 QTest::keyClick(popover->tableView(), Qt::Key_Backspace);
             }},
            {"undo in the popover", [&] { popover->performAction(QStringLiteral("undo:"), nullptr); }},
            {"redo in the popover", [&] { popover->performAction(QStringLiteral("redo:"), nullptr); }},
            {"undo in the window", [&] { view->performAction(QStringLiteral("undo:"), nullptr); }},
            {"redo in the window", [&] { view->performAction(QStringLiteral("redo:"), nullptr); }},
            {"undo in the popover again", [&] { popover->performAction(QStringLiteral("undo:"), nullptr); }},
        };
        for (const auto &step : steps) {
            step.make();
            QCoreApplication::processEvents();
            const std::string where = std::string(step.step) + (torn ? " of a torn-off window" : "");
            EXPECT_EQ(groupsShown(popover->contactInfo()), groups) << where;
            EXPECT_EQ(groupsShown(view->contactInfoController()), groups) << where;
        }
        EXPECT_EQ(values(Ann, FieldId::Email), (QStringList{"work:a1@abe.example", "home:a2@abe.example"}));
        EXPECT_FALSE(edited());
        closeWhatIsOpen();
        for (const DetachedWindowEntry &entry : table->detachedWindows())
            if (entry.windowController)
                entry.windowController->close();
        QCoreApplication::processEvents();
    }
}

// A contact popover opened from a locked window, and one locked with its own button and
// then torn off, stay locked: their editors open read-only and nothing reaches the edits.
TEST_F(TableEditTest, ALockedPopoverAndItsTornOffWindowOpenTheirEditorsReadOnly) {
    for (const bool fromALockedWindow : {true, false}) {
        view->setEditState(!fromALockedWindow);
        doubleClick(rowOf(Ann), FieldId::Name);
        ASSERT_EQ(opened(), QStringLiteral("contact popover"));
        auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
        if (!fromALockedWindow) {
            popover->editButton()->click();
            table->popover()->detach();
            QCoreApplication::processEvents();
            ASSERT_EQ(table->detachedWindows().size(), 1);
            popover = table->detachedWindows().first().windowController->contactInfoPopover();
        }
        const std::string where = fromALockedWindow ? "from a locked window" : "locked, torn off";
        ASSERT_FALSE(popover->editState()) << where;
        ContactInfoController *fields = popover->contactInfo();
        const auto rowOfField = [&](const QString &type) {
            for (int r = 0; r < fields->table().size(); ++r)
                if (fields->table().at(r).type == type)
                    return r;
            return -1;
        };
        for (const auto &[type, modifiers] : {std::pair{FieldId::Address, Qt::KeyboardModifiers()},
                                              std::pair{FieldId::Phone, Qt::KeyboardModifiers(Qt::ControlModifier)},
                                              std::pair{FieldId::Birthday, Qt::KeyboardModifiers()}}) {
            fields->setClickedCell(rowOfField(type), 1);
            fields->tableViewDoubleAction(modifiers);
            ASSERT_TRUE(fields->popover()) << where << " " << type.toStdString();
            auto *editor = qobject_cast<PopoverEditor *>(fields->popover()->contentViewController());
            ASSERT_TRUE(editor) << where;
            EXPECT_FALSE(editor->isEditing()) << where << " " << type.toStdString();
            EXPECT_FALSE(editor->editButton()->isEnabled()) << where << " " << type.toStdString();
            fields->popover()->close();
            QCoreApplication::processEvents();
        }
        fields->tableView()->selectRow(rowOfField(FieldId::Email));
        QTest::keyClick(fields->tableView(), Qt::Key_Backspace);
        QCoreApplication::processEvents();
        EXPECT_FALSE(undoManager()->canUndo()) << where;
        EXPECT_FALSE(edited()) << where;
        closeWhatIsOpen();
        for (const DetachedWindowEntry &entry : table->detachedWindows())
            if (entry.windowController)
                entry.windowController->close();
        QCoreApplication::processEvents();
    }
}

TEST_F(TableEditTest, UndoAndRedoInATornOffWindowShowThereAndClearBothMarks) {
    doubleClick(rowOf(Ann), FieldId::Name);
    table->selectRowIndexes({rowOf(Bob)});
    table->popover()->detach();
    QCoreApplication::processEvents();
    ASSERT_EQ(table->detachedWindows().size(), 1);
    const QPointer<DetachedWindowController> controller = table->detachedWindows().first().windowController;
    ASSERT_FALSE(controller.isNull());
    ContactInfoPopover *torn = controller->contactInfoPopover();
    Window *tornWindow = controller->window();
    const auto shownEmails = [&] {
        QList<qint64> shown;
        for (const InfoTableRow &row : torn->contactInfo()->table())
            if (row.type == FieldId::Email)
                shown.append(row.labelIndex.value_or(-1));
        return shown;
    };
    ASSERT_EQ(shownEmails(), (QList<qint64>{0, 1}));
    for (int r = 0; r < torn->contactInfo()->table().size(); ++r)
        if (torn->contactInfo()->table()[r].type == FieldId::Email &&
            torn->contactInfo()->table()[r].labelIndex == 1)
            torn->tableView()->selectRow(r);
    QTest::keyClick(torn->tableView(), Qt::Key_Backspace);
    QCoreApplication::processEvents();
    EXPECT_EQ(values(Ann, FieldId::Email), QStringList{"work:a1@abe.example"});
    EXPECT_EQ(shownEmails(), QList<qint64>{0});
    EXPECT_TRUE(edited());
    EXPECT_TRUE(tornWindow->isDocumentEdited());

    const struct {
        QString action;
        bool inTornWindow;
        QList<qint64> emails;
        bool edited;
    } steps[] = {
        {"undo:", true, {0, 1}, false},
        {"redo:", true, {0}, true},
        {"undo:", false, {0, 1}, false},
        {"redo:", false, {0}, true},
    };
    for (const auto &step : steps) {
        if (step.inTornWindow)
            torn->performAction(step.action, nullptr);
        else
            view->performAction(step.action, nullptr);
        QCoreApplication::processEvents();
        const std::string where =
            (step.action + (step.inTornWindow ? " in the torn-off window" : "")).toStdString();
        EXPECT_EQ(person(Ann)->labeledValueForIdentifier(FieldId::Email)->size(), step.emails.size())
            << where;
        EXPECT_EQ(shownEmails(), step.emails) << where;
        EXPECT_EQ(edited(), step.edited) << where;
        EXPECT_EQ(tornWindow->isDocumentEdited(), step.edited) << where;
    }
}

// Delete on a row without a value deletes nothing: no undo step, no edited mark.
TEST_F(TableEditTest, DeleteOnAnEmptyRowOfThePopoverChangesNothing) {
    doubleClick(rowOf(Cid), FieldId::Name);
    auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
    ASSERT_NE(popover, nullptr);
    const QByteArray before = person(Cid)->vCardData();
    QStringList tried;
    for (int r = 0; r < popover->contactInfo()->table().size(); ++r) {
        const InfoTableRow row = popover->contactInfo()->table()[r];
        const bool emptyName = row.type == FieldId::Name && row.label == FieldId::MiddleName;
        if (!emptyName && row.type != FieldId::Photo && row.type != FieldId::Birthday &&
            row.type != FieldId::Note)
            continue;
        popover->tableView()->selectRow(r);
        QTest::keyClick(popover->tableView(), Qt::Key_Backspace);
        QCoreApplication::processEvents();
        tried << row.type;
    }
    EXPECT_EQ(tried, (QStringList{FieldId::Name, FieldId::Photo, FieldId::Birthday, FieldId::Note}));
    EXPECT_EQ(person(Cid)->vCardData(), before);
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_FALSE(edited());
}

// Ann and Dee with two addresses each: the editor's answer for Ann's second row and Dee's
// first goes to the address each row shows; their other addresses stay.
TEST_F(TableEditTest, AnAddressAnswerForSeveralRowsChangesEachRowsOwnAddress) {
    LabeledValueRecord osaka;
    osaka.label = QStringLiteral("work");
    osaka.street = QStringLiteral("2 Street");
    osaka.city = QStringLiteral("Osaka");
    osaka.country = QStringLiteral("Japan");
    LabeledValueRecord kyoto = osaka;
    kyoto.city = QStringLiteral("Kyoto");
    person(Ann)->addLabeledValue(osaka, FieldId::Address);
    person(Dee)->addLabeledValue(kyoto, FieldId::Address);
    person(Dee)->addLabeledValue(osaka, FieldId::Address);
    table->updateTable();
    const auto cities = [this](const QString &name) {
        QStringList shown;
        const LabeledValueList addresses =
            person(name)->labeledValueForIdentifier(FieldId::Address).value_or(LabeledValueList());
        for (const LabeledValueRecord &address : addresses)
            shown << address.city;
        return shown;
    };
    ASSERT_EQ(cities(Ann), (QStringList{"Tokyo", "Osaka"}));
    ASSERT_EQ(cities(Dee), (QStringList{"Kyoto", "Osaka"}));

    dialogs.answerAlert(QStringLiteral("OK"));
    table->selectRowIndexes({rowOf(Ann, 1), rowOf(Dee)});
    doubleClick(rowOf(Ann, 1), FieldId::Address);
    QCoreApplication::processEvents();
    auto *address = qobject_cast<AddressViewController *>(editor());
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(address->cityField()->text(), QStringLiteral("Osaka"));
    address->cityField()->selectAll();
    QTest::keyClicks(address->cityField(), QStringLiteral("Nara"));
    address->doneButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(cities(Ann), (QStringList{"Tokyo", "Nara"}));
    EXPECT_EQ(cities(Dee), (QStringList{"Nara", "Osaka"}));
    undo();
    EXPECT_EQ(cities(Ann), (QStringList{"Tokyo", "Osaka"}));
    EXPECT_EQ(cities(Dee), (QStringList{"Kyoto", "Osaka"}));
}

TEST_F(TableEditTest, TypingIntoCityChangesOnlyThatRowsCityInOneUndoStep) {
    LabeledValueRecord osaka;
    osaka.label = QStringLiteral("work");
    osaka.street = QStringLiteral("2 Street");
    osaka.city = QStringLiteral("Osaka");
    osaka.zip = QStringLiteral("530");
    person(Ann)->addLabeledValue(osaka, FieldId::Address);
    table->updateTable();
    const auto addresses = person(Ann)->labeledValueForIdentifier(FieldId::Address);
    table->selectRowIndexes({rowOf(Ann, 1)});
    doubleClick(rowOf(Ann, 1), FieldId::City);
    ASSERT_EQ(opened(), QStringLiteral("in place"));
    typeInCell(QStringLiteral("Nara"));
    press(Qt::Key_Backtab);
    const auto after = person(Ann)->labeledValueForIdentifier(FieldId::Address);
    ASSERT_EQ(after->size(), 2);
    EXPECT_EQ(after->at(0), addresses->at(0));
    EXPECT_EQ(after->at(1).city, QStringLiteral("Nara"));
    EXPECT_EQ(after->at(1).street, QStringLiteral("2 Street"));
    EXPECT_EQ(after->at(1).zip, QStringLiteral("530"));
    EXPECT_EQ(after->at(1).labelText(), QStringLiteral("work"));
    undo();
    EXPECT_EQ(person(Ann)->labeledValueForIdentifier(FieldId::Address)->at(1).city, QStringLiteral("Osaka"));
    EXPECT_FALSE(undoManager()->canUndo());
}

} // namespace
} // namespace tessarin
