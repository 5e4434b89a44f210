#include "contact_info/ContactInfoPopover.h"
#include "editors/PopoverEditor.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Workspace.h"
#include "tests/contact_info/ContactInfoTestSupport.h"
#include "tests/editors/EditorTestSupport.h"

#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Menu items that change the contact: a locked popover offers none of them.
const QStringList ChangingItems = {"Add Item",      "Delete Item",  "Add Image",
                                   "Replace Image", "Delete Image", "Add/Delete Phone Item"};

QImage picture() {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

// Where a contact popover lives: in a popover beside the table, or torn off into a window.
enum class Shown { InAPopover, InAWindow };

// A contact popover on a contact with a value in every field (a photo and a custom labeled
// item among them), locked as the user locks it, with its Edit/Lock button, or left editing.
class LockedPopover {
public:
    LockedPopover(Shown shown, bool lock)
        : locked(lock) {
        contact = fullContact();
        EXPECT_TRUE(contact.person->addCustomItem(ValueKind::Labeled, QStringLiteral("Beeper"), std::nullopt,
                                                  std::nullopt));
        LabeledValueRecord beep;
        beep.label = QStringLiteral("work");
        beep.value = QStringLiteral("42");
        contact.person->addLabeledValue(FieldValue(beep), QStringLiteral("Beeper"));
        CustomItemDefinition beeper;
        beeper.name = QStringLiteral("Beeper");
        beeper.type = ValueKind::Labeled;
        window.setWindowTitle(QStringLiteral("Contacts[*]"));
        window.resize(700, 900);
        window.show();
        content = new ContactInfoPopover;
        content->setDelegate(&delegate);
        content->setCustomItems({beeper});
        content->setContact(&contact);
        content->setEditState(true);
        content->setParentWindow(&window);
        if (shown == Shown::InAPopover) {
            anchor = new QWidget;
            window.setCentralWidget(anchor);
            popover = new Popover(&window);
            popover->setBehavior(PopoverBehavior::ApplicationDefined);
            content->setParentPopover(popover);
            popover->setContentViewController(content);
            popover->setContentSize(QSize(450, 640));
            popover->showRelativeToRect(QRect(10, 10, 100, 20), anchor, RectEdge::MaxX);
        } else {
            owned.reset(content);
            window.setContentViewController(content);
        }
        QCoreApplication::processEvents();
        if (locked)
            content->editButton()->click();
        EXPECT_EQ(content->editState(), !locked);
        before = contact.person->vCardData();
    }
    ~LockedPopover() {
        if (popover)
            popover->close();
        window.close();
    }

    ContactInfoController &table() { return *content->contactInfo(); }
    int rowOf(const QString &type) {
        for (int r = 0; r < table().table().size(); ++r)
            if (table().table().at(r).type == type)
                return r;
        return -1;
    }
    // The first row of each field (and of each part of the names).
    QList<int> rows() {
        QList<int> first;
        QSet<QString> seen;
        for (int r = 0; r < table().table().size(); ++r) {
            const InfoTableRow &row = table().table().at(r);
            const QString key = row.type + QLatin1Char('|') +
                                (row.type == FieldId::Name || row.type == FieldId::PhoneticName
                                     ? row.label.value_or(QString())
                                     : QString());
            if (!seen.contains(key)) {
                seen.insert(key);
                first << r;
            }
        }
        return first;
    }
    // The editor a path opened, when it could change the contact while the popover is
    // locked (it is editing, its Edit button may be pressed, or an input of it takes a
    // change); it is closed once looked at.
    std::optional<std::string> openedEditorThatCouldChange() {
        Popover *opened = table().popover();
        if (!opened)
            return std::nullopt;
        auto *editor = qobject_cast<PopoverEditor *>(opened->contentViewController());
        std::optional<std::string> fault;
        if (locked && editor &&
            (editor->isEditing() || editor->editButton()->isEnabled() || !changeableInputs(editor).isEmpty()))
            fault = editor->metaObject()->className() +
                    (u' ' + changeableInputs(editor).join(u'/')).toStdString();
        opened->close();
        QCoreApplication::processEvents();
        return fault;
    }

    ContactEntry contact;
    Window window;
    QWidget *anchor = nullptr;
    QPointer<Popover> popover;
    RecordingPopoverDelegate delegate;
    ContactInfoPopover *content = nullptr;
    QByteArray before;
    bool locked;
    std::unique_ptr<ContactInfoPopover> owned; // in a window; a popover owns its content
};

// Every way a user may change a contact in a contact popover, tried on a locked popover in
// a popover and in a torn-off window: nothing changes, nothing reaches the window's edits
// (no undo step), the window is not marked edited, and every editor opened shows its value
// read-only, its Edit button disabled.
TEST(LockedContactPopover, NothingChangesTheContactByAnyPath) {
    ScriptedDialogPresenter dialogs;
    RecordingUrlOpener opener;
    QTemporaryDir folder;
    const QString pictureFile = folder.filePath(QStringLiteral("picture.png"));
    ASSERT_TRUE(picture().save(pictureFile));
    const ContactEntry other = entryFromVCard(vcard(QStringLiteral("FN:Other\nTEL;TYPE=HOME:999\n")));

    // Each path with whether it changes the contact of a popover left editing, where that is
    // sure: the locked popover's "nothing" is then the lock's doing.
    const struct {
        const char *path;
        std::optional<bool> changesWhileEditing;
        std::function<void(LockedPopover &)> take;
    } paths[] = {
        {"every context menu item", true,
         [](LockedPopover &p) {
             // The popover's menu is the same on either column.
             for (int row : p.rows()) {
                 p.table().setClickedCell(row, 1);
                 p.table().tableMenu()->update();
                 const QString type = p.table().table().at(row).type;
                 for (MenuItem *item : p.table().tableMenu()->itemArray()) {
                     EXPECT_FALSE(p.locked && ChangingItems.contains(item->title()))
                         << type.toStdString() << ": " << item->title().toStdString();
                     if (item->isSeparator() || !item->isEnabled() || item->title() == "Delete Item")
                         continue;
                     item->trigger();
                     QCoreApplication::processEvents();
                     EXPECT_EQ(p.openedEditorThatCouldChange(), std::nullopt)
                         << type.toStdString() << ": " << item->title().toStdString();
                 }
             }
         }},
        {"double clicks, with and without Ctrl, on either column", std::nullopt,
         [](LockedPopover &p) {
             for (int row : p.rows())
                 for (int column : {0, 1})
                     for (const Qt::KeyboardModifiers modifiers :
                          {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(CommandKeyModifier)}) {
                         p.table().setClickedCell(row, column);
                         p.table().tableViewDoubleAction(modifiers);
                         EXPECT_FALSE(p.locked && p.table().cellEditor()) << row;
                         EXPECT_EQ(p.openedEditorThatCouldChange(), std::nullopt)
                             << p.table().table().at(row).type.toStdString();
                     }
         }},
        {"Delete and Backspace on every row", true,
         [](LockedPopover &p) {
             for (int row : p.rows())
                 for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace}) {
                     p.content->tableView()->selectRow(row);
                     QTest::keyClick(p.content->tableView(), key);
                 }
         }},
        {"a choice in every popup", true,
         [](LockedPopover &p) {
             // One of the two is another choice than the row's own.
             for (int row : p.rows())
                 for (int index : {0, 1}) {
                     p.table().popupButtonCellChanged(row, index);
                     QCoreApplication::processEvents();
                 }
         }},
        {"the item commands sent anyway", true,
         [&](LockedPopover &p) {
             for (const QString &type : {FieldId::Phone, FieldId::Email, FieldId::Address, FieldId::Birthday,
                                         FieldId::Photo, QStringLiteral("Beeper")}) {
                 p.table().setClickedCell(p.rowOf(type), 1);
                 p.table().insertItem(nullptr);
                 EXPECT_EQ(p.openedEditorThatCouldChange(), std::nullopt) << type.toStdString();
                 dialogs.answerAlert(QStringLiteral("OK"));
                 p.table().deleteItem(nullptr);
                 dialogs.chooseFiles({QUrl::fromLocalFile(pictureFile)});
                 p.table().addImage(nullptr);
                 p.table().deleteImage(nullptr);
                 QCoreApplication::processEvents();
             }
         }},
        {"a picture dropped on the photo", true,
         [](LockedPopover &p) {
             QMimeData image;
             image.setImageData(picture());
             EXPECT_FALSE(p.table().acceptPhotoRowDrop(p.rowOf(FieldId::Photo), Pasteboard(&image)) &&
                          p.locked);
             p.table().imageDidChange(picture());
         }},
        {"another contact's phone row dropped on rows of each kind", true,
         [&](LockedPopover &p) {
             auto dragged = Pasteboard::forDragging();
             dragged->setData(other.person->vCardData(), PasteboardType::VCard);
             dragged->setString(FieldId::Phone, PasteboardType::Identifier);
             dragged->setString(QStringLiteral("0"), PasteboardType::LabelIndex);
             const std::unique_ptr<QMimeData> data(dragged->takeMimeData());
             const Pasteboard dropped(data.get());
             for (const QString &type : {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::Note})
                 for (const TableViewDropOperation operation :
                      {TableViewDropOperation::On, TableViewDropOperation::Above})
                     EXPECT_FALSE(p.table().tableViewAcceptDrop(dropped, p.rowOf(type), operation) &&
                                  p.locked)
                         << type.toStdString();
         }},
        {"paste", false,
         [](LockedPopover &p) {
             Pasteboard::general().clearContents();
             Pasteboard::general().setString(QStringLiteral("pasted"));
             for (int row : p.rows()) {
                 p.content->tableView()->selectRow(row);
                 QTest::keyClick(p.content->tableView(), Qt::Key_V, Qt::ControlModifier);
                 p.content->performAction(QStringLiteral("paste:"), nullptr);
             }
         }},
    };
    for (const Shown shown : {Shown::InAPopover, Shown::InAWindow}) {
        for (const auto &path : paths) {
            for (const bool locked : {true, false}) {
                LockedPopover popover(shown, locked);
                path.take(popover);
                QCoreApplication::processEvents();
                const std::string where = std::string(path.path) +
                                          (shown == Shown::InAPopover ? " in a popover" : " in a window") +
                                          (locked ? ", locked" : ", editing");
                const bool changed = popover.contact.person->vCardData() != popover.before ||
                                     !popover.delegate.calls.isEmpty() || popover.window.isWindowModified();
                if (locked || path.changesWhileEditing) {
                    EXPECT_EQ(changed, !locked && *path.changesWhileEditing)
                        << where << ": " << popover.delegate.calls.join(QStringLiteral(", ")).toStdString();
                }
            }
        }
    }
}

} // namespace
