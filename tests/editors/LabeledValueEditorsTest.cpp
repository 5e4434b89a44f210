#include "tests/editors/EditorTestSupport.h"

#include "editors/IMSViewController.h"
#include "editors/SNSViewController.h"
#include "model/QMPerson.h"

#include <QComboBox>

#include <gtest/gtest.h>

namespace {

LabeledValueRecord answered(const EditorScene &scene) {
    EXPECT_TRUE(scene.answered<LabeledValueRecord>());
    return scene.answered<LabeledValueRecord>() ? *scene.answered<LabeledValueRecord>()
                                                : LabeledValueRecord();
}

void pressDone(PopoverEditor *editor) {
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
}

TEST(InstantMessageEditor, AnOldServiceNameShowsItsServiceAndIsKeptUnlessAServiceIsPicked) {
    auto person = personFromVCard(QStringLiteral("FN:A\n"));
    LabeledValueRecord old;
    old.label = QStringLiteral("work");
    old.value = QStringLiteral("bob");
    old.service = QStringLiteral("SkypeInstant");
    person->addLabeledValue(old, FieldId::InstantMessage);

    EditorScene scene;
    auto *editor = scene.open<IMSViewController>(editorContext(person, FieldId::InstantMessage, 0), true);
    EXPECT_EQ(editor->servicePopup()->currentText(), QStringLiteral("Skype"));
    EXPECT_EQ(editor->labelPopup()->currentIndex(), 1);
    typeText(editor->usernameField(), QStringLiteral("by"));
    pressDone(editor);
    const LabeledValueRecord record = answered(scene);
    EXPECT_EQ(record.service, QStringLiteral("SkypeInstant"));
    EXPECT_EQ(record.username, QStringLiteral("bobby"));
}

TEST(InstantMessageEditor, TheStoredServiceShowsEvenWithoutAUserName) {
    auto person = personFromVCard(QStringLiteral("FN:A\n"));
    LabeledValueRecord bare;
    bare.label = QStringLiteral("home");
    bare.service = QStringLiteral("ICQ");
    person->addLabeledValue(bare, FieldId::InstantMessage);
    EditorScene scene;
    auto *editor = scene.open<IMSViewController>(editorContext(person, FieldId::InstantMessage, 0), true);
    EXPECT_EQ(editor->servicePopup()->currentText(), QStringLiteral("ICQ"));
}

std::shared_ptr<QMPerson> contactWithProfiles() {
    auto person = personFromVCard(
        QStringLiteral("FN:A\n"
                       "X-SOCIALPROFILE;TYPE=facebook;x-user=gone:https://facebook.com/gone\n"
                       "X-SOCIALPROFILE;TYPE=twitter;x-user=johnny;x-userid=42:https://twitter.com/johnny\n"
                       "X-SOCIALPROFILE;TYPE=flickr;x-user=pics;x-userid=7:https://flickr.com/pics\n"));
    // Running numbers 1 and 2 now stand at positions 0 and 1.
    person->deleteLabeledValueForIdentifier(FieldId::SocialNetwork, LabelIndex(0));
    return person;
}

TEST(SocialProfileEditor, SwitchingAwayKeepsTheUserAndBackRestoresTheStoredProfile) {
    EditorScene scene;
    auto *editor =
        scene.open<SNSViewController>(editorContext(contactWithProfiles(), FieldId::SocialNetwork, 1), true);
    EXPECT_EQ(editor->servicePopup()->currentText(), QStringLiteral("Twitter"));
    EXPECT_EQ(editor->usernameField()->text(), QStringLiteral("johnny"));
    EXPECT_EQ(editor->userIdentifierField()->text(), QStringLiteral("42"));

    choose(editor->servicePopup(), QStringLiteral("LinkedIn"));
    EXPECT_EQ(editor->usernameField()->text(), QStringLiteral("johnny"));
    EXPECT_TRUE(editor->userIdentifierField()->text().isEmpty());
    EXPECT_TRUE(editor->URLStringField()->text().isEmpty());
    EXPECT_EQ(editor->labeledValue()->label, QStringLiteral("LinkedIn"));

    choose(editor->servicePopup(), QStringLiteral("Twitter"));
    EXPECT_EQ(editor->userIdentifierField()->text(), QStringLiteral("42"));
    EXPECT_EQ(editor->URLStringField()->text(), QStringLiteral("https://twitter.com/johnny"));
    pressDone(editor);
    const LabeledValueRecord record = answered(scene);
    EXPECT_EQ(record.labelIndex, 1);
    EXPECT_EQ(record.username, QStringLiteral("johnny"));
}

TEST(SocialProfileEditor, EachFieldsTextLandsUnderItsOwnKey) {
    EditorScene scene;
    auto *editor =
        scene.open<SNSViewController>(editorContext(contactWithProfiles(), FieldId::SocialNetwork, 1), true);
    const struct {
        QLineEdit *field;
        QString text;
    } typed[] = {
        {editor->usernameField(), QStringLiteral("jo")},
        {editor->userIdentifierField(), QStringLiteral("77")},
        {editor->URLStringField(), QStringLiteral("https://twitter.com/jo")},
    };
    for (const auto &t : typed) {
        t.field->selectAll();
        typeText(t.field, t.text);
    }
    pressDone(editor);
    const LabeledValueRecord record = answered(scene);
    EXPECT_EQ(record.username, QStringLiteral("jo"));
    EXPECT_EQ(record.value, QStringLiteral("jo"));
    EXPECT_EQ(record.userIdentifier, QStringLiteral("77"));
    EXPECT_EQ(record.urlString, QStringLiteral("https://twitter.com/jo"));
    EXPECT_EQ(record.service, QStringLiteral("Twitter"));
}

TEST(SocialProfileEditor, ANewProfileIsOnTwitterAndAnEmptiedUserGivesNoText) {
    EditorScene scene;
    auto *editor = scene.open<SNSViewController>(
        editorContext(personFromVCard(QStringLiteral("FN:A\n")), FieldId::SocialNetwork, -1), true);
    EXPECT_EQ(editor->servicePopup()->currentText(), QStringLiteral("Twitter"));
    EXPECT_EQ(editor->usernameField()->text(), QStringLiteral("new"));
    EXPECT_EQ(editor->doneButton()->text(), QStringLiteral("Add"));
    editor->usernameField()->selectAll();
    QTest::keyClick(editor->usernameField(), Qt::Key_Delete);
    typeText(editor->URLStringField(), QStringLiteral("https://x.example"));
    pressDone(editor);
    const LabeledValueRecord record = answered(scene);
    EXPECT_TRUE(record.stringValue.isEmpty());
    EXPECT_EQ(record.urlString, QStringLiteral("https://x.example"));
    EXPECT_EQ(record.labelIndex, -1);
}

} // namespace
