// Every popover editor and every way it can end but Done: Cancel, a click away, Escape, a
// locked editor or the wheel leave the contact as it was.

#include "tests/editors/EditorPathsTestSupport.h"

namespace {

using namespace editor_paths;

// ---- Every way out but Done changes nothing

TEST_F(EditorPaths, EveryEditorsCancelClickAwayAndEscapeChangeNothing) {
    struct Editor {
        const char *what;
        std::function<PopoverEditor *()> openAndChange;
    };
    const Editor editors[] = {
        {"phonetic name",
         [&] {
             auto *e = open<PhoneticNameViewController>(FieldId::PhoneticName, std::nullopt);
             replaceText(e->lastNameField(), QStringLiteral("x"));
             return e;
         }},
        {"birthday",
         [&] {
             auto *e = open<DateViewController>(FieldId::Birthday, std::nullopt);
             choose(e->dateControls()->monthPopup(), e->dateControls()->monthPopup()->itemText(6));
             return e;
         }},
        {"dates",
         [&] {
             auto *e = open<DatesViewController>(FieldId::Dates, 0);
             press(e->addButton());
             return e;
         }},
        {"instant message",
         [&] {
             auto *e = open<IMSViewController>(FieldId::InstantMessage, 0);
             choose(e->servicePopup(), QStringLiteral("ICQ"));
             return e;
         }},
        {"social profile",
         [&] {
             auto *e = open<SNSViewController>(FieldId::SocialNetwork, 0);
             replaceText(e->usernameField(), QStringLiteral("x"));
             return e;
         }},
        {"address",
         [&] {
             auto *e = open<AddressViewController>(FieldId::Address, 0);
             replaceText(e->cityField(), QStringLiteral("x"));
             return e;
         }},
        {"new address",
         [&] {
             auto *e = open<AddressViewController>(FieldId::Address, -1);
             replaceText(e->cityField(), QStringLiteral("x"));
             return e;
         }},
    };
    std::vector<Editor> all(std::begin(editors), std::end(editors));
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::Address,
          FieldId::InstantMessage, FieldId::SocialNetwork, QStringLiteral("Pets")})
        all.push_back({"list", [this, type] {
                           MultiValueViewController *e = openList(type);
                           e->tableView()->selectRow(0);
                           press(e->delButton());
                           return e;
                       }});
    enum Way { CancelButton, ClickAway, Escape };
    for (const Editor &e : all) {
        for (const Way way : {CancelButton, ClickAway, Escape}) {
            SetUp();
            scene.closes = 0;
            scene.answer.reset();
            PopoverEditor *editor = e.openAndChange();
            ASSERT_TRUE(editor->doneButton()->isEnabled()) << e.what << ": the change was made";
            if (way == CancelButton)
                press(editor->cancelButton());
            else if (way == ClickAway)
                scene.clickOutside();
            else
                QTest::keyClick(editor->cancelButton()->window()->focusWidget()
                                    ? editor->cancelButton()->window()->focusWidget()
                                    : editor->cancelButton(),
                                Qt::Key_Escape);
            EXPECT_EQ(scene.closes, 1) << e.what << " way " << way;
            EXPECT_FALSE(scene.answer) << e.what << " way " << way;
            EXPECT_FALSE(apply()) << e.what << " way " << way;
            EXPECT_TRUE(unchanged()) << e.what << " way " << way;
        }
    }
}

// ---- Locked, no path changes anything

// Every input of an editor a user can reach but Return and Done: typing in each field, the
// wheel and the keys on each popup, the editor's own buttons, double clicks in its table.
void tryEveryPath(PopoverEditor *editor) {
    QWidget *root = editor->view();
    for (QLineEdit *field : root->findChildren<QLineEdit *>()) {
        if (!field->isVisible())
            continue;
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End);
        typeText(field, QStringLiteral("x"));
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Backspace);
    }
    for (QPlainTextEdit *area : root->findChildren<QPlainTextEdit *>()) {
        area->setFocus();
        typeText(area, QStringLiteral("x"));
    }
    for (QComboBox *popup : root->findChildren<QComboBox *>()) {
        if (!popup->isVisible())
            continue;
        wheelOver(popup, -1);
        wheelOver(popup, 1);
        popup->setFocus();
        QTest::keyClick(popup, popup->currentIndex() + 1 < popup->count() ? Qt::Key_Down : Qt::Key_Up);
    }
    for (QCalendarWidget *picker : root->findChildren<QCalendarWidget *>())
        QTest::keyClick(picker->focusProxy() ? picker->focusProxy() : picker, Qt::Key_Right);
    for (QTableView *table : root->findChildren<QTableView *>()) {
        if (table->model()->rowCount() == 0)
            continue;
        doubleClick(table, table->model()->index(0, std::min(2, table->model()->columnCount() - 1)));
        typeText(QApplication::focusWidget(), QStringLiteral("x"));
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Delete);
    }
    for (QPushButton *button : root->findChildren<QPushButton *>())
        if (button != editor->doneButton() && button != editor->editButton() && button->isVisible())
            QTest::mouseClick(button, Qt::LeftButton);
    // A disabled pull-down does not open; an enabled one (the states) may be chosen from.
    for (PullDownButton *pullDown : root->findChildren<PullDownButton *>()) {
        const QList<MenuItem *> items = pullDown->pullDownMenu()->itemArray();
        for (qsizetype i = 1; pullDown->isEnabled() && i < items.size(); ++i)
            if (items[i]->isEnabled() && !items[i]->hasSubmenu())
                items[i]->trigger();
    }
}

TEST_F(EditorPaths, AnEditorOpenedLockedChangesNothingByAnyPath) {
    struct Case {
        const char *what;
        std::function<PopoverEditor *()> open;
        bool editCanUnlock; // these editors ignore editEnabled: Edit stays for the user
    };
    std::vector<Case> cases = {
        {"phonetic name",
         [&] { return open<PhoneticNameViewController>(FieldId::PhoneticName, std::nullopt, true, false); },
         false},
        {"birthday", [&] { return open<DateViewController>(FieldId::Birthday, std::nullopt, true, false); },
         false},
        {"dates", [&] { return open<DatesViewController>(FieldId::Dates, 0, true, false); }, false},
        {"instant message",
         [&] { return open<IMSViewController>(FieldId::InstantMessage, 0, false, std::nullopt); }, true},
        {"social profile",
         [&] { return open<SNSViewController>(FieldId::SocialNetwork, 0, false, std::nullopt); }, true},
        {"address", [&] { return open<AddressViewController>(FieldId::Address, 0, false, std::nullopt); },
         true},
    };
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::Address,
          FieldId::InstantMessage, FieldId::SocialNetwork, QStringLiteral("Pets")})
        cases.push_back({"list", [this, type] { return openList(type, true, false); }, false});
    for (const Case &c : cases) {
        SetUp();
        scene.answer.reset();
        PopoverEditor *editor = c.open();
        EXPECT_FALSE(editor->isEditing()) << c.what;
        EXPECT_EQ(editor->editButton()->isEnabled(), c.editCanUnlock) << c.what;
        EXPECT_EQ(changeableInputs(editor).join(u'/').toStdString(), "") << c.what;
        // An address row opens the address editor, read-only too: its changes could go nowhere.
        if (auto *list = qobject_cast<MultiValueViewController *>(editor);
            list && list->type() == FieldId::Address) {
            auto *edit =
                cellWidget<QToolButton>(list->tableView(), 0, columnOf(list, QStringLiteral("Edit")));
            ASSERT_TRUE(edit);
            QTest::mouseClick(edit, Qt::LeftButton);
            const QList<AddressViewController *> opened = list->findChildren<AddressViewController *>();
            ASSERT_EQ(opened.size(), 1);
            EXPECT_FALSE(opened.first()->isEditing());
            EXPECT_FALSE(opened.first()->editButton()->isEnabled());
            EXPECT_EQ(changeableInputs(opened.first()).join(u'/').toStdString(), "");
            opened.first()->popover()->close();
            scene.popover->frame()->activateWindow();
            scene.waitUntilActive();
        }
        tryEveryPath(editor);
        if (auto *list = qobject_cast<MultiValueViewController *>(editor)) {
            auto pasteboard = Pasteboard::forDragging();
            list->writeRowsWithIndexes({0}, *pasteboard);
            EXPECT_EQ(list->validateDrop(true, 2, Drop::Above), Qt::IgnoreAction);
        }
        // What the editor holds is still the stored value: unlocked now, Done has nothing to hand back.
        const QString type = editor->contextInfo()->type;
        const auto userParts = [](const LabeledValueList &list) {
            QStringList parts;
            for (const LabeledValueRecord &r : list)
                parts
                    << QStringList{r.labelText(),    r.valueText(), r.service, r.username.value_or(QString()),
                                   r.userIdentifier, r.urlString,   r.zip,     r.state,
                                   r.city,           r.street,      r.country, r.isoCountryCode,
                                   r.stringValue}
                           .join(u'|');
            return parts.join(u'\n').toStdString();
        };
        const LabeledValueList stored = person->labeledValueForIdentifier(type).value_or(LabeledValueList());
        if (auto *one = qobject_cast<LabeledValueEditor *>(editor)) {
            ASSERT_TRUE(one->labeledValue()) << c.what;
            EXPECT_EQ(userParts({*one->labeledValue()}), userParts({stored.first()})) << c.what;
        } else if (auto *list = qobject_cast<MultiValueViewController *>(editor)) {
            EXPECT_EQ(userParts(list->table()), userParts(stored)) << c.what;
        } else if (auto *dates = qobject_cast<DatesViewController *>(editor)) {
            EXPECT_EQ(userParts(dates->table()), userParts(stored)) << c.what;
        } else if (auto *birthday = qobject_cast<DateViewController *>(editor)) {
            EXPECT_EQ(birthday->dateField()->text(), person->birthdayValue()->stringValue) << c.what;
        } else if (auto *phonetic = qobject_cast<PhoneticNameViewController *>(editor)) {
            EXPECT_EQ(phonetic->firstNameField()->text() + u'/' + phonetic->lastNameField()->text(),
                      QStringLiteral("an/rii"));
        }
        if (scene.popover->isShown())
            QTest::keyClick(editor->doneButton()->window(), Qt::Key_Return);
        if (scene.popover->isShown())
            press(editor->doneButton());
        EXPECT_FALSE(editor->isEditing()) << c.what;
        EXPECT_FALSE(scene.answer) << c.what;
        EXPECT_FALSE(apply()) << c.what;
        EXPECT_TRUE(unchanged()) << c.what;
    }
}

// Scrolling past a popup of an editor that is editing changes nothing: only a click or the
// keyboard on the focused popup chooses.
TEST_F(EditorPaths, TheWheelOverAPopupChoosesNothing) {
    struct Case {
        const char *what;
        std::function<QList<QComboBox *>()> open;
    };
    const Case cases[] = {
        {"list",
         [&] {
             MultiValueViewController *e = openList(FieldId::InstantMessage);
             return QList<QComboBox *>{cellWidget<QComboBox>(e->tableView(), 0, 0),
                                       cellWidget<QComboBox>(e->tableView(), 0, 1)};
         }},
        {"message",
         [&] {
             auto *e = open<IMSViewController>(FieldId::InstantMessage, 0);
             return QList<QComboBox *>{e->labelPopup(), e->servicePopup()};
         }},
        {"profile",
         [&] {
             return QList<QComboBox *>{open<SNSViewController>(FieldId::SocialNetwork, 0)->servicePopup()};
         }},
        {"address",
         [&] { return QList<QComboBox *>{open<AddressViewController>(FieldId::Address, 0)->labelPopup()}; }},
        {"dates",
         [&] {
             auto *e = open<DatesViewController>(FieldId::Dates, 0);
             return QList<QComboBox *>{
                 cellWidget<QComboBox>(e->tableView(), 0, DatesViewController::LabelColumn),
                 e->dateControls()->monthPopup()};
         }},
        {"birthday",
         [&] {
             return QList<QComboBox *>{
                 open<DateViewController>(FieldId::Birthday, std::nullopt)->dateControls()->monthPopup()};
         }},
    };
    for (const Case &c : cases) {
        SetUp();
        const QList<QComboBox *> popups = c.open();
        auto *editor = qobject_cast<PopoverEditor *>(scene.popover->contentViewController());
        for (QComboBox *popup : popups) {
            ASSERT_TRUE(popup && popup->isEnabled()) << c.what;
            const int shown = popup->currentIndex();
            wheelOver(popup, popup->currentIndex() == 0 ? -1 : 1);
            EXPECT_EQ(popup->currentIndex(), shown) << c.what;
        }
        EXPECT_FALSE(editor->doneButton()->isEnabled()) << c.what << ": nothing changed";
    }
}

TEST_F(EditorPaths, ANameEditorOpenedLockedChangesNothingByAnyPath) {
    struct Delegate : NameViewControllerDelegate {
        bool undoReplaceNameValue(const NameRecord &, const std::shared_ptr<QMPerson> &) override {
            return ++calls;
        }
        bool undoReplacePhoto(const FieldValue &, const std::shared_ptr<QMPerson> &) override {
            return ++calls;
        }
        int calls = 0;
    } delegate;
    for (const bool editable : {false, true}) {
        // Locked by the opener, or unlocked by it but without editEnabled.
        auto *editor = scene.open<NameViewController>(
            editorContext(person, FieldId::Name, std::nullopt, editable ? std::optional<bool>(false) : true),
            editable, [&](NameViewController *opened) { opened->setDelegate(&delegate); });
        EXPECT_FALSE(editor->isEditing()) << editable;
        Menu *pictures = editor->imagePopup()->pullDownMenu();
        pictures->update();
        EXPECT_EQ(pictures->itemArray().size(), 1) << "only the picture";
        tryEveryPath(editor);
        QTest::keyClick(editor->doneButton()->window(), Qt::Key_Return);
        EXPECT_EQ(delegate.calls, 0) << editable;
        EXPECT_TRUE(unchanged()) << editable;
    }
}

} // namespace
