#include "tests/app/TableEditTestSupport.h"

#include "editors/NameViewController.h"
#include "tests/model/PersonTestSupport.h"

#include <QContextMenuEvent>
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

// A contact without a name, and nothing stored of earlier popovers: the popover and its
// torn-off window show the name the model gives such a contact, take the popover's size,
// list the rows in the default order with the document's own item after them, the photo
// row three rows high, and start locked or editing as the window is.
TEST_F(TableEditTest, APopoverAndItsWindowStartFromTheDefaultsForAContactWithoutAName) {
    for (const QString &key : {DetailRowModel::LastRowOrderKey, ContactInfoPopover::IconRowCountKey})
        ASSERT_FALSE(UserDefaults::standard().object(key).isValid()) << key.toStdString();
    document = open(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:\r\nTEL;type=CELL:300\r\n"
                                   "X-HOBBY:Chess\r\nEND:VCARD\r\n"),
                    QStringLiteral("Nameless.vcf"));
    view = content(document);
    table = view->contactsViewController();
    // A row per field, a name a row per part.
    QStringList rowTypes;
    for (const QString &field : DefaultRowOrder() + QStringList{QStringLiteral("HOBBY")}) {
        const int parts = field == FieldId::Name ? 4 : field == FieldId::PhoneticName ? 3 : 1;
        for (int part = 0; part < parts; ++part)
            rowTypes << field;
    }
    for (const bool editing : {false, true}) {
        for (const bool tornOff : {false, true}) {
            const std::string where =
                std::string(editing ? "editing" : "locked") + (tornOff ? ", torn off" : "");
            view->setEditState(editing);
            doubleClick(rowOf(NoName), FieldId::Name);
            ASSERT_EQ(opened(), QStringLiteral("contact popover")) << where;
            auto *shown = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
            QSize size = table->popover()->contentSize();
            QPointer<DetachedWindowController> controller;
            if (tornOff) {
                table->popover()->detach();
                QCoreApplication::processEvents();
                ASSERT_EQ(table->detachedWindows().size(), 1) << where;
                controller = table->detachedWindows().first().windowController;
                ASSERT_TRUE(controller) << where;
                shown = controller->contactInfoPopover();
                size = controller->window()->size();
                EXPECT_EQ(controller->window()->titleWithoutEditedMark(), NoName) << where;
            }
            EXPECT_EQ(size, QSize(450, 640)) << where;
            EXPECT_EQ(shown->contactNameField()->text(), NoName) << where;
            EXPECT_EQ(shown->editState(), editing) << where;
            EXPECT_EQ(shown->editButton()->text(), editing ? QStringLiteral("Lock") : QStringLiteral("Edit"))
                << where;
            EXPECT_EQ(shown->redSeparator()->palette().color(QPalette::Window),
                      QColor(editing ? Qt::red : Qt::gray))
                << where;
            QStringList shownTypes;
            for (const InfoTableRow &row : shown->contactInfo()->table())
                shownTypes << row.type;
            EXPECT_EQ(shownTypes, rowTypes) << where;
            EXPECT_EQ(shown->iconRowCount(), 3) << where;
            ContactInfoController *fields = shown->contactInfo();
            EXPECT_EQ(fields->tableViewHeightOfRow(int(shownTypes.indexOf(FieldId::Photo))),
                      3 * fields->rowHeight() + 2)
                << where;
            EXPECT_EQ(shown->selectedFont(), table->selectedFont()) << where;
            if (controller)
                controller->close();
            else
                table->popover()->close();
            QCoreApplication::processEvents();
            EXPECT_TRUE(table->detachedWindows().isEmpty()) << where;
        }
    }
    EXPECT_FALSE(undoManager()->canUndo());
    EXPECT_FALSE(edited());
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

// Undo and Redo of an edit of a contact just added keep the selection on that contact,
// wherever the edit sorted it, as after the edits of other contacts.
TEST_F(TableEditTest, UndoAndRedoOfANewContactsEditsKeepItSelected) {
    const auto indexOf = [this](const std::shared_ptr<QMPerson> &contact) {
        const SubContactTable &rows = table->subContactTable();
        for (size_t r = 0; r < rows.size(); ++r)
            if (rows[r]->person == contact)
                return int(r);
        return -1;
    };
    // What the table shows of the contact: its name and phones.
    const auto values = [](const std::shared_ptr<QMPerson> &contact) {
        QStringList phones;
        for (const LabeledValueRecord &phone :
             contact->labeledValueForIdentifier(FieldId::Phone).value_or(LabeledValueList()))
            phones << phone.stringValue;
        return contact->compositeName() + " (" + phones.join(QLatin1Char(' ')) + ")";
    };
    // The contact whose rows are selected; none when nothing or rows of others are.
    const auto selectedContact = [this]() -> const QMPerson * {
        const QMPerson *contact = nullptr;
        for (const int r : selected()) {
            const QMPerson *person = table->subContactTable()[size_t(r)]->person.get();
            if (contact && person != contact)
                return nullptr;
            contact = person;
        }
        return contact;
    };
    const auto popover = [this] {
        return table->popover()
                   ? qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController())
                   : nullptr;
    };
    const auto closePopover = [&] {
        ASSERT_NE(popover(), nullptr);
        QTest::mouseClick(popover()->okButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
    };
    const struct {
        const char *edit;
        std::function<void(const std::shared_ptr<QMPerson> &)> make;
    } edits[] = {
        {"its name typed into the contact popover, Return, OK",
         [&](const std::shared_ptr<QMPerson> &) {
             ASSERT_NE(popover(), nullptr);
             CellTextEditor *editor = popover()->contactInfo()->cellEditor();
             ASSERT_NE(editor, nullptr);
             QTest::keyClicks(editor, QStringLiteral("Aa"));
             QTest::keyClick(editor, Qt::Key_Return);
             QCoreApplication::processEvents();
             closePopover();
         }},
        {"its name in the name editor",
         [&](const std::shared_ptr<QMPerson> &added) {
             closePopover();
             const int row = indexOf(added);
             tableView()->scrollTo(tableView()->model()->index(row, column(FieldId::Name)));
             const QPoint point = cellRect(row, FieldId::Name).center();
             QContextMenuEvent menu(QContextMenuEvent::Mouse, point,
                                    tableView()->viewport()->mapToGlobal(point));
             QApplication::sendEvent(tableView()->viewport(), &menu);
             MenuItem *item = table->cellMenu()->itemWithTitle(QStringLiteral("Open Name Panel"));
             ASSERT_NE(item, nullptr);
             QTest::mouseClick(table->cellMenu(), Qt::LeftButton, {},
                               table->cellMenu()->actionGeometry(item).center());
             QCoreApplication::processEvents();
             auto *names = qobject_cast<NameViewController *>(editor());
             ASSERT_NE(names, nullptr);
             names->firstNameField()->selectAll();
             QTest::keyClicks(names->firstNameField(), QStringLiteral("Aa"));
             table->popover()->close();
             QCoreApplication::processEvents();
         }},
        {"a phone in the list editor, sorted by phone",
         [&](const std::shared_ptr<QMPerson> &added) {
             closePopover();
             emit tableView()->horizontalHeader()->sectionClicked(column(FieldId::Phone));
             QCoreApplication::processEvents();
             doubleClick(indexOf(added), FieldId::Phone);
             ASSERT_EQ(opened(), QStringLiteral("MultiValueViewController Phone 0 editing"));
             answer(LabeledValueList{textRecord(QStringLiteral("home"), QStringLiteral("000"), 0)});
         }},
    };
    for (const auto &e : edits) {
        SCOPED_TRACE(e.edit);
        // Ann, the first row, is selected when the contact is added.
        table->selectRowIndexes({0});
        view->performAction(QStringLiteral("addContact:"), nullptr);
        QCoreApplication::processEvents();
        const std::shared_ptr<QMPerson> added = person(QStringLiteral("New"));
        ASSERT_NE(added, nullptr);
        const QString before = values(added);
        e.make(added);
        const QString after = values(added);
        ASSERT_NE(after, before);
        // Each Undo, then each Redo, of the edit's steps: the contact stays the selection.
        int steps = 0;
        while (values(added) != before && steps < 4) {
            undo();
            ++steps;
            EXPECT_EQ(selectedContact(), added.get())
                << "after Undo " << steps << ": " << values(added).toStdString() << " in row "
                << indexOf(added);
        }
        ASSERT_EQ(values(added), before);
        for (int step = 1; step <= steps; ++step) {
            view->performAction(QStringLiteral("redo:"), nullptr);
            QCoreApplication::processEvents();
            EXPECT_EQ(selectedContact(), added.get())
                << "after Redo " << step << ": " << values(added).toStdString() << " in row "
                << indexOf(added);
        }
        EXPECT_EQ(values(added), after);
        // The contact goes again, for the next edit.
        view->performAction(QStringLiteral("deleteContacts:"), nullptr);
        QCoreApplication::processEvents();
        ASSERT_EQ(indexOf(added), -1);
    }
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
