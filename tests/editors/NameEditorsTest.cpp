#include "tests/editors/EditorTestSupport.h"

#include "editors/NameViewController.h"
#include "editors/PhoneticNameViewController.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Dialogs.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QDir>

#include <gtest/gtest.h>

namespace {

// The window's side of the name editor: each change applied with its undo registered.
class RecordingNameDelegate : public NameViewControllerDelegate {
public:
    bool undoReplaceNameValue(const NameRecord &value, const std::shared_ptr<QMPerson> &contact) override {
        names.append(value);
        undoManager.registerUndo(
            this, [this, former = contact->nameValue(), contact] { undoReplaceNameValue(former, contact); });
        contact->setNameValue(value, FieldId::Name);
        return true;
    }
    bool undoReplacePhoto(const FieldValue &value, const std::shared_ptr<QMPerson> &) override {
        photos.append(value);
        return true;
    }
    UndoManager undoManager;
    QList<NameRecord> names;
    QList<FieldValue> photos;
};

// The name order the system's contacts settings give; each test says which.
class NameEditorTest : public testing::Test {
protected:
    void SetUp() override {
        CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::GivenName);
    }
    void TearDown() override {
        CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::None);
    }
};

std::shared_ptr<QMPerson> johnAtAcme() {
    return personFromVCard(QStringLiteral("N:Appleseed;John;Q;;\nFN:John Q Appleseed\nORG:Acme\n"
                                          "item1.X-MAIDENNAME:Smith\n"));
}

struct NameScene {
    explicit NameScene(std::shared_ptr<QMPerson> contact, bool editable = true)
        : person(std::move(contact)) {
        editor =
            scene.open<NameViewController>(editorContext(person, FieldId::Name, std::nullopt, true), editable,
                                           [this](auto *opened) { opened->setDelegate(&delegate); });
    }
    // What the picture menu holds when it opens.
    QStringList pictureMenu() const {
        Menu *menu = editor->imagePopup()->pullDownMenu();
        menu->update();
        QStringList titles;
        for (MenuItem *item : menu->itemArray())
            titles.append(item->title());
        return titles;
    }
    void choosePictureItem(const QString &title) const {
        pictureMenu();
        editor->imagePopup()->pullDownMenu()->itemWithTitle(title)->trigger();
    }
    EditorScene scene;
    std::shared_ptr<QMPerson> person;
    RecordingNameDelegate delegate;
    NameViewController *editor = nullptr;
};

using NameEditor = NameEditorTest;

TEST_F(NameEditor, EachTypedLetterIsOneUndoableReplacementKeepingThePreviousFamilyName) {
    NameScene name(johnAtAcme());
    NameViewController *editor = name.editor;
    EXPECT_EQ(editor->doneButton()->text(), QStringLiteral("Done"));
    EXPECT_TRUE(editor->doneButton()->isEnabled());
    EXPECT_FALSE(editor->cancelButton()->isVisible());
    EXPECT_EQ(editor->previousFamilyNameField()->text(), QStringLiteral("Smith"));

    editor->firstNameField()->end(false);
    for (const QString &letter : {QStringLiteral("n"), QStringLiteral("y")}) {
        typeText(editor->firstNameField(), letter);
        QCoreApplication::processEvents(); // the event loop turns between keystrokes
    }
    ASSERT_EQ(name.delegate.names.size(), 2);
    const NameRecord &last = name.delegate.names.last();
    EXPECT_EQ(last.firstName, QStringLiteral("Johnny"));
    EXPECT_EQ(last.middleName, QStringLiteral("Q"));
    EXPECT_EQ(last.previousFamilyName, QStringLiteral("Smith"));
    EXPECT_EQ(last.showAsPerson, true);
    EXPECT_EQ(editor->compositeNameField()->text(), QStringLiteral("Johnny Appleseed"));

    name.delegate.undoManager.undo();
    EXPECT_EQ(name.person->nameValue().firstName, QStringLiteral("Johnn"));

    // Done empties the fields without writing an empty name.
    const qsizetype written = name.delegate.names.size();
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    EXPECT_FALSE(name.scene.popover->isShown());
    EXPECT_TRUE(editor->firstNameField()->text().isEmpty());
    EXPECT_EQ(name.delegate.names.size(), written);
    EXPECT_FALSE(name.scene.answer);
}

TEST_F(NameEditor, TypingKeepsAStoredLastNameFirst) {
    std::shared_ptr<QMPerson> contact = johnAtAcme();
    NameRecord stored = contact->nameValue();
    stored.nameOrdering = 2;
    contact->setNameValue(stored, FieldId::Name);
    NameScene name(contact);
    EXPECT_EQ(name.editor->nameOrderingPopup()->currentText(), QStringLiteral("Last Name First"));
    name.editor->firstNameField()->end(false);
    typeText(name.editor->firstNameField(), QStringLiteral("n"));
    ASSERT_FALSE(name.delegate.names.isEmpty());
    EXPECT_EQ(name.delegate.names.last().nameOrdering, 2);
}

TEST_F(NameEditor, TheCompanyDisplayStoresShowAsPersonNo) {
    NameScene name(johnAtAcme());
    choose(name.editor->showAsPersonPopup(), QStringLiteral("Name Display: Company"));
    ASSERT_EQ(name.delegate.names.size(), 1);
    EXPECT_EQ(name.delegate.names.last().showAsPerson, false);
    EXPECT_EQ(name.editor->compositeNameField()->text(), QStringLiteral("Acme"));
    choose(name.editor->showAsPersonPopup(), QStringLiteral("Name Display: Person"));
    EXPECT_EQ(name.delegate.names.last().showAsPerson, true);
    EXPECT_EQ(name.editor->compositeNameField()->text(), QStringLiteral("John Appleseed"));
}

TEST_F(NameEditor, TheOrderIsShownNeverEditedAndFollowsTheSystem) {
    CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::FamilyName);
    for (const bool editable : {false, true}) {
        NameScene name(johnAtAcme(), editable);
        EXPECT_FALSE(name.editor->nameOrderingPopup()->isEnabled());
        EXPECT_EQ(name.editor->nameOrderingPopup()->itemText(0),
                  QStringLiteral("Name Ordering System Default (Last Name)"));
        EXPECT_EQ(name.editor->firstNameField()->isReadOnly(), !editable);
        EXPECT_EQ(name.editor->showAsPersonPopup()->isEnabled(), editable);
    }
}

TEST_F(NameEditor, APictureIsKeptAtMost512Wide) {
    const QString file = QDir(testScratchDirectory()).filePath(QStringLiteral("wide.png"));
    QImage wide(1024, 768, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    ASSERT_TRUE(wide.save(file));
    ScriptedDialogPresenter dialogs;
    dialogs.chooseFiles({QUrl::fromLocalFile(file)});
    NameScene name(johnAtAcme());
    EXPECT_EQ(name.pictureMenu(), (QStringList{QStringLiteral("hidden"), QStringLiteral("Add Image")}));
    name.choosePictureItem(QStringLiteral("Add Image"));
    ASSERT_EQ(name.delegate.photos.size(), 1);
    ASSERT_TRUE(name.delegate.photos.first().get<QImage>());
    EXPECT_EQ(name.delegate.photos.first().get<QImage>()->size(), QSize(512, 384));
    EXPECT_EQ(dialogs.shown().first().openPanel.allowedContentTypes,
              QStringList{QStringLiteral("public.image")});
    EXPECT_TRUE(name.scene.popover->isShown());
}

TEST_F(NameEditor, AnUnreadableFileIsReportedAndChangesNothing) {
    const QString file = QDir(testScratchDirectory()).filePath(QStringLiteral("broken.png"));
    QFile broken(file);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    ScriptedDialogPresenter dialogs;
    dialogs.chooseFiles({QUrl::fromLocalFile(file)});
    dialogs.answerAlert(QStringLiteral("OK"));
    NameScene name(johnAtAcme());
    name.choosePictureItem(QStringLiteral("Add Image"));
    EXPECT_TRUE(name.delegate.photos.isEmpty());
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown().last().alert.messageText, QStringLiteral("Can not read the image."));
}

TEST_F(NameEditor, ThePictureMenuOffersReplaceAndDeleteOnlyWhileEditing) {
    auto person = johnAtAcme();
    QImage photo(64, 64, QImage::Format_RGB32);
    photo.fill(Qt::red);
    person->setPhoto(photo);
    NameScene locked(person, false);
    EXPECT_EQ(locked.pictureMenu(), QStringList{QStringLiteral("hidden")});
    NameScene editing(person, true);
    EXPECT_EQ(editing.pictureMenu(), (QStringList{QStringLiteral("hidden"), QStringLiteral("Replace Image"),
                                                  QStringLiteral("Delete Image")}));
    editing.choosePictureItem(QStringLiteral("Delete Image"));
    ASSERT_EQ(editing.delegate.photos.size(), 1);
    EXPECT_TRUE(editing.delegate.photos.first().isNull());
}

using PhoneticNameEditor = NameEditorTest;

TEST_F(PhoneticNameEditor, TheNameLinePreviewsAndDoneHandsBackThePartsWithTheirComposite) {
    EditorScene scene;
    auto *editor = scene.open<PhoneticNameViewController>(
        editorContext(johnAtAcme(), FieldId::PhoneticName, std::nullopt, true), true);
    typeText(editor->lastNameField(), QStringLiteral("やまだ"));
    typeText(editor->firstNameField(), QStringLiteral("たろう"));
    EXPECT_EQ(editor->contactNameField()->text(), QStringLiteral("たろう やまだ"));
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    ASSERT_TRUE(scene.answered<PhoneticNameRecord>());
    EXPECT_EQ(*scene.answered<PhoneticNameRecord>(),
              (PhoneticNameRecord{QStringLiteral("たろう"), QString(), QStringLiteral("やまだ"),
                                  QStringLiteral("たろう やまだ")}));
    EXPECT_TRUE(editor->lastNameField()->text().isEmpty());
}

TEST_F(PhoneticNameEditor, EmptiedFieldsHandBackAnEmptyName) {
    EditorScene scene;
    auto person =
        personFromVCard(QStringLiteral("FN:A\nX-PHONETIC-FIRST-NAME:Jon\nX-PHONETIC-LAST-NAME:Apl\n"));
    auto *editor = scene.open<PhoneticNameViewController>(
        editorContext(person, FieldId::PhoneticName, std::nullopt, true), true);
    for (QLineEdit *field : {editor->firstNameField(), editor->lastNameField()}) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
    }
    QTest::keyClick(editor->firstNameField(), Qt::Key_Return); // Done takes Return
    ASSERT_TRUE(scene.answered<PhoneticNameRecord>());
    EXPECT_EQ(*scene.answered<PhoneticNameRecord>(), PhoneticNameRecord());
}

TEST_F(PhoneticNameEditor, WithoutEditEnabledItOpensLockedAndDoneOnlyCloses) {
    EditorScene scene;
    auto *editor =
        scene.open<PhoneticNameViewController>(editorContext(johnAtAcme(), FieldId::PhoneticName), true);
    EXPECT_FALSE(editor->isEditing());
    EXPECT_FALSE(editor->editButton()->isEnabled());
    EXPECT_TRUE(editor->firstNameField()->isReadOnly());
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    EXPECT_EQ(scene.closes, 1);
    EXPECT_FALSE(scene.answer);
}

} // namespace
