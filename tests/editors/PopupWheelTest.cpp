#include "tests/editors/EditorTestSupport.h"
#include "tests/editors/PostalCodeFixtures.h"

#include "editors/AddressViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/NameViewController.h"
#include "editors/SNSViewController.h"
#include "model/QMPerson.h"
#include "tests/support/RealWheel.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A card with enough values that the list editors' tables scroll.
QString manyValues() {
    QString card = QStringLiteral("N:Lee;Ann;;;\nFN:Ann Lee\nX-PHONETIC-FIRST-NAME:An\n"
                                  "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:ann\n"
                                  "X-SOCIALPROFILE;TYPE=twitter;x-user=ann:https://twitter.com/ann\n"
                                  "ADR;TYPE=HOME:;;1 Main St;Springfield;IL;62701;USA\n");
    for (int i = 0; i < 14; ++i) {
        card += QStringLiteral("TEL;TYPE=HOME:555 01%1\n").arg(i, 2, 10, QLatin1Char('0'));
        card += QStringLiteral("item%1.X-ABDATE:20%2-01-02\nitem%1.X-ABLabel:_$!<Anniversary>!$_\n")
                    .arg(i + 1)
                    .arg(i + 10);
    }
    return card;
}

PopoverEditor *openList(EditorScene &scene, const std::shared_ptr<QMPerson> &person, const QString &type) {
    auto *editor = new MultiValueViewController;
    scene.popover = editor->openInPopover(editorContext(person, type, 0, true), true,
                                          MultiValueViewController::contentSizeFor(type, true),
                                          QRect(100, 40, 160, 20), scene.table, &scene, &scene.window);
    return editor;
}

// The popups of an editor a user can turn the wheel over: shown and enabled.
QList<QComboBox *> popupsOf(PopoverEditor *editor) {
    QList<QComboBox *> popups;
    for (QComboBox *popup : editor->view()->findChildren<QComboBox *>())
        if (popup->isVisible() && popup->isEnabled())
            popups << popup;
    return popups;
}

QAbstractItemView *tableAround(QWidget *widget) {
    for (QWidget *up = widget->parentWidget(); up; up = up->parentWidget())
        if (auto *view = qobject_cast<QAbstractItemView *>(up))
            return view;
    return nullptr;
}

// Every popover editor, opened while editing on a value of its field, with the wheel turned
// over each of its popups: no popup changes its choice, the editor notes no change (Done
// stays as it was), the contact stays, and a list scrolls under the wheel.
TEST(PopupWheel, TheWheelChangesNoPopupOfAnyEditor) {
    // The address editor reads the process's postal-code index: the fixture lists, as the
    // other tests of this program read them.
    PostalCodeFixtures::useSharedFixtureDirectory();
    const struct {
        const char *what;
        std::function<PopoverEditor *(EditorScene &, const std::shared_ptr<QMPerson> &)> open;
        int popups;
    } editors[] = {
        {"phone list",
         [](EditorScene &scene, const auto &person) { return openList(scene, person, FieldId::Phone); }, 14},
        {"instant message list",
         [](EditorScene &scene, const auto &person) {
             return openList(scene, person, FieldId::InstantMessage);
         },
         2},
        {"dates",
         [](EditorScene &scene, const auto &person) {
             return scene.open<DatesViewController>(editorContext(person, FieldId::Dates, 0, true), true);
         },
         14},
        {"instant message",
         [](EditorScene &scene, const auto &person) {
             return scene.open<IMSViewController>(editorContext(person, FieldId::InstantMessage, 0), true);
         },
         2},
        {"social profile",
         [](EditorScene &scene, const auto &person) {
             return scene.open<SNSViewController>(editorContext(person, FieldId::SocialNetwork, 0), true);
         },
         1},
        {"address",
         [](EditorScene &scene, const auto &person) {
             return scene.open<AddressViewController>(editorContext(person, FieldId::Address, 0), true);
         },
         1},
        {"name",
         [](EditorScene &scene, const auto &person) {
             return scene.open<NameViewController>(editorContext(person, FieldId::Name, std::nullopt, true),
                                                   true);
         },
         1},
    };
    for (const auto &opened : editors) {
        EditorScene scene;
        const std::shared_ptr<QMPerson> person = personFromVCard(manyValues());
        PopoverEditor *editor = opened.open(scene, person);
        QCoreApplication::processEvents();
        ASSERT_TRUE(editor->isEditing()) << opened.what;
        const QByteArray before = person->vCardData();
        const bool doneEnabled = editor->doneButton()->isEnabled();
        const QList<QComboBox *> popups = popupsOf(editor);
        EXPECT_GE(popups.size(), opened.popups) << opened.what;
        for (QComboBox *popup : popups) {
            const int chosen = popup->currentIndex();
            if (QAbstractItemView *table = tableAround(popup)) {
                const QModelIndex cell =
                    table->indexAt(popup->mapTo(table->viewport(), popup->rect().center()));
                EXPECT_TRUE(turnWheelOverPopupIn(table, cell, popup)) << opened.what << ": the list scrolls";
            } else {
                turnWheelOver(popup, popup->currentIndex() + 1 < popup->count() ? -1 : 1);
                QCoreApplication::processEvents();
            }
            EXPECT_EQ(popup->currentIndex(), chosen) << opened.what;
        }
        EXPECT_EQ(editor->doneButton()->isEnabled(), doneEnabled) << opened.what;
        EXPECT_EQ(person->vCardData(), before) << opened.what;
        scene.popover->close();
        EXPECT_EQ(scene.answer, nullptr) << opened.what;
    }
}

} // namespace
