#include "tests/editors/EditorTestSupport.h"

#include "editors/IMSViewController.h"
#include "model/QMPerson.h"

#include <QComboBox>
#include <QFrame>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<QMPerson> contactWithMessenger() {
    return personFromVCard(QStringLiteral("N:;John;;;\nFN:John\n"
                                          "IMPP;X-SERVICE-TYPE=Jabber;TYPE=WORK:xmpp:john@example.org\n"));
}

// The frame as a user sees it: Edit's title, Done's title (when enabled), whether Cancel
// shows, and the separator's colour.
QString frameState(const PopoverEditor *editor) {
    const QColor separator = editor->redSeparator()->palette().color(QPalette::Window);
    return QStringList{editor->editButton()->text(),
                       editor->doneButton()->isEnabled() ? editor->doneButton()->text() : QStringLiteral("-"),
                       editor->cancelButton()->isVisible() ? QStringLiteral("Cancel") : QStringLiteral("-"),
                       separator == QColor(Qt::red) ? QStringLiteral("red") : QStringLiteral("gray")}
        .join(QLatin1Char(' '));
}

TEST(PopoverEditor, DoneWritesTheAnswerBeforeTheCloseNoticeAndTheOpenerAppliesIt) {
    struct Case {
        qint64 labelIndex;
        QString doneTitle;
        QString applied;
    };
    for (const Case &c : {Case{0, QStringLiteral("Change"), QStringLiteral("replace Instant Message")},
                          Case{-1, QStringLiteral("Add"), QStringLiteral("add Instant Message")}}) {
        EditorScene scene;
        auto person = contactWithMessenger();
        auto *editor =
            scene.open<IMSViewController>(editorContext(person, FieldId::InstantMessage, c.labelIndex), true);
        EXPECT_EQ(editor->contactNameField()->text(), QStringLiteral("John"));
        EXPECT_EQ(editor->doneButton()->text(), c.doneTitle);
        EXPECT_FALSE(editor->doneButton()->isEnabled()) << "nothing changed yet";
        if (c.labelIndex == -1) { // a new address is an AIM one named "new"
            EXPECT_EQ(editor->usernameField()->text() + editor->servicePopup()->currentText(),
                      QStringLiteral("newAIM"));
        }
        editor->usernameField()->selectAll();
        typeText(editor->usernameField(), QStringLiteral("jo"));
        ASSERT_TRUE(editor->doneButton()->isEnabled());
        QTest::mouseClick(editor->doneButton(), Qt::LeftButton);

        ASSERT_EQ(scene.closes, 1);
        ASSERT_TRUE(scene.answer) << "dirty and value were there when the close notice came";
        const auto *record = scene.answer->value.get<LabeledValueRecord>();
        ASSERT_TRUE(record);
        EXPECT_EQ(record->username, QStringLiteral("jo"));
        EXPECT_EQ(record->labelIndex, c.labelIndex);
        RecordingReceiver receiver;
        EXPECT_TRUE(applyEditorAnswer(*scene.answer, receiver, person, nullptr));
        EXPECT_EQ(receiver.calls, QStringList{c.applied});
        EXPECT_TRUE(editor->usernameField()->text().isEmpty()) << "emptied after Done";
    }
}

TEST(PopoverEditor, ClickingAwayOrCancelAppliesNothing) {
    for (const bool cancel : {false, true}) {
        EditorScene scene;
        auto *editor = scene.open<IMSViewController>(
            editorContext(contactWithMessenger(), FieldId::InstantMessage, 0), true);
        typeText(editor->usernameField(), QStringLiteral("x"));
        if (cancel)
            QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
        else
            scene.clickOutside();
        EXPECT_EQ(scene.closes, 1);
        EXPECT_FALSE(scene.answer);
        // Cancel says so; a click elsewhere leaves "dirty" unset.
        EXPECT_EQ(editor->contextInfo()->dirty, cancel ? std::optional<bool>(false) : std::nullopt);
    }
}

TEST(PopoverEditor, ALockedEditorShowsTheValueAndUnlocksInsideThePopover) {
    EditorScene scene;
    auto *editor = scene.open<IMSViewController>(
        editorContext(contactWithMessenger(), FieldId::InstantMessage, 0), false);
    EXPECT_EQ(frameState(editor), QStringLiteral("Edit Done - gray"));
    EXPECT_EQ(editor->redSeparator()->palette().color(QPalette::Window), QColor(Qt::gray));
    EXPECT_TRUE(editor->editButton()->isEnabled());
    EXPECT_TRUE(editor->usernameField()->isReadOnly());
    EXPECT_FALSE(editor->servicePopup()->isEnabled());
    EXPECT_EQ(editor->usernameField()->text(), QStringLiteral("john@example.org"));

    QTest::mouseClick(editor->editButton(), Qt::LeftButton);
    EXPECT_EQ(frameState(editor), QStringLiteral("Lock - Cancel red"));
    EXPECT_FALSE(editor->usernameField()->isReadOnly());
    EXPECT_EQ(editor->redSeparator()->height(), 2);

    choose(editor->servicePopup(), QStringLiteral("Skype"));
    // Return presses Done once something changed.
    QTest::keyClick(editor->servicePopup(), Qt::Key_Return);
    ASSERT_TRUE(scene.answer);
    EXPECT_EQ(scene.answer->value.get<LabeledValueRecord>()->service, QStringLiteral("Skype"));
}

TEST(EditorAnswer, EachKindEndsInItsOperation) {
    auto person = contactWithMessenger();
    LabeledValueRecord stored =
        person->labeledValueForIdentifier(FieldId::InstantMessage, qsizetype(0)).value();
    BirthdayRecord birthday;
    struct Case {
        QString type;
        FieldValue value;
        bool dirty;
        QStringList calls;
    };
    const QList<Case> cases = {
        {FieldId::Birthday, FieldValue(birthday), true, {QStringLiteral("birthday")}},
        {FieldId::PhoneticName, FieldValue(PhoneticNameRecord()), true, {QStringLiteral("phonetic")}},
        {FieldId::SocialNetwork, FieldValue(stored), true, {QStringLiteral("replace Social Network")}},
        {FieldId::Dates, FieldValue(LabeledValueList()), true, {QStringLiteral("replace Dates")}},
        {FieldId::InstantMessage, FieldValue(stored), false, {}},
        {FieldId::PhoneticName, FieldValue(QStringLiteral("not a record")), true, {}},
    };
    for (const Case &c : cases) {
        EditorContext answer;
        answer.type = c.type;
        answer.value = c.value;
        answer.dirty = c.dirty;
        RecordingReceiver receiver;
        EXPECT_EQ(applyEditorAnswer(answer, receiver, person, nullptr), !c.calls.isEmpty())
            << c.type.toStdString();
        EXPECT_EQ(receiver.calls, c.calls);
    }
}

} // namespace
