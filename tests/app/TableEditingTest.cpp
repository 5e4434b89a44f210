#include "tests/app/TableEditTestSupport.h"

namespace tessarin {
using namespace window_test;
using namespace table_edit_test;

namespace {


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

} // namespace
} // namespace tessarin
