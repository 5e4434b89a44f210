#include "tests/app/TableEditTestSupport.h"

#include <QWindow>

namespace tessarin {
using namespace window_test;
using namespace table_edit_test;

namespace {

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
    EXPECT_EQ(controller->window()->titleWithoutEditedMark(), Ann);
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
    const QPointer<DetachedWindowController> controller = detachPopover();
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

// A torn-off window shows an edit in its title as the document's window does, and Undo takes
// the mark off both; a "[*]" in a contact's or a file's name shows as written. The mark's
// place is always there, so Qt warns of nothing.
TEST_F(TableEditTest, ATornOffWindowsTitleShowsTheEditedMarkAndTheNameAsWritten) {
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtWarningMsg)
                warnings.append(message);
        });
    const QString file = QStringLiteral("Star [*].vcf");
    document = open(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nEMAIL:c@cole.example\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe [*];Ann;;;\r\nEMAIL:a@abe.example\r\nEND:VCARD\r\n"
                                   "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob [*][*];;;\r\nEMAIL:b@baker.example\r\n"
                                   "END:VCARD\r\n"),
                    file);
    view = content(document);
    table = view->contactsViewController();
    Window *documentWindow = document->controller->window();
    const auto shownTitle = [](Window *window) { return window->windowHandle()->title().toStdString(); };
    const auto edited = [](const QString &title) { return (title + QStringLiteral("*")).toStdString(); };
    for (const QString &name : {Cid, QStringLiteral("Ann Abe [*]"), QStringLiteral("Bob [*][*] Baker")}) {
        SCOPED_TRACE(name.toStdString());
        doubleClick(rowOf(name), FieldId::Name);
        ASSERT_EQ(opened(), QStringLiteral("contact popover"));
        const QPointer<DetachedWindowController> controller = detachPopover();
        ASSERT_FALSE(controller.isNull());
        ContactInfoPopover *torn = controller->contactInfoPopover();
        Window *tornWindow = controller->window();
        ASSERT_TRUE(tornWindow->isVisible());
        EXPECT_EQ(shownTitle(tornWindow), name.toStdString());
        EXPECT_EQ(shownTitle(documentWindow), file.toStdString());

        for (int r = 0; r < torn->contactInfo()->table().size(); ++r)
            if (torn->contactInfo()->table()[r].type == FieldId::Email)
                torn->tableView()->selectRow(r);
        QTest::keyClick(torn->tableView(), Qt::Key_Backspace);
        QCoreApplication::processEvents();
        ASSERT_TRUE(values(name, FieldId::Email).isEmpty());
        EXPECT_EQ(shownTitle(tornWindow), edited(name));
        EXPECT_EQ(shownTitle(documentWindow), edited(file));

        torn->performAction(QStringLiteral("undo:"), nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(values(name, FieldId::Email).size(), 1);
        EXPECT_EQ(shownTitle(tornWindow), name.toStdString());
        EXPECT_EQ(shownTitle(documentWindow), file.toStdString());
        controller->close();
        QCoreApplication::processEvents();
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.filter(QStringLiteral("placeholder")).isEmpty())
        << warnings.join(QLatin1Char('\n')).toStdString();
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
