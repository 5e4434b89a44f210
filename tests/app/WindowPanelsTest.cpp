#include "tests/app/WindowTestSupport.h"

#include "tests/app/Driving.h"
#include "tests/editors/CustomPanelsTestSupport.h"
#include "tests/editors/EditorTestSupport.h"

#include "editors/CustomItemEditor.h"
#include "editors/CustomItemsPanel.h"
#include "editors/CustomLabelPanel.h"
#include "find/FindPanel.h"
#include "find/SegmentedButtons.h"
#include "merge/MergePanelController.h"
#include "platform/ui/Pasteboard.h"
#include "print/AccessoryViewController.h"
#include "print/PrintPanelController.h"
#include "print/PrintView.h"
#include "print/QRCodePanelController.h"

#include <QPushButton>
#include <QTimer>

// Inside the namespace, ViewController and WindowController are the window's own.
namespace tessarin {
using namespace window_test;
using namespace Qt::Literals::StringLiterals;

namespace {

// In the Phone view the rows are Ann's two phones, Bob, Cid and Dee.
const QString Cards =
    u"BEGIN:VCARD\r\nN:Abe;Ann\r\nTEL;type=CELL:555 0100\r\nitem1.TEL:555 0101\r\nitem1.X-ABLabel:boat\r\n"
    "END:VCARD\r\nBEGIN:VCARD\r\nN:Baker;Bob\r\nitem1.TEL:555 0200\r\nitem1.X-ABLabel:boat\r\n"
    "END:VCARD\r\nBEGIN:VCARD\r\nN:Cole;Cid\r\nTEL;type=WORK:555 0300\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nN:Dunn;Dee\r\nX-HOBBY;TYPE=club:Chess\r\nEND:VCARD\r\n"_s;
enum Row { Ann = 0, Bob = 2, Cid = 3, Dee = 4 };

class PanelsTest : public WindowTest {
protected:
    TestDocument *document = nullptr;
    ViewController *view = nullptr;
    // The table's model resets: one at most per refresh (a few contacts' rows are made again
    // in place, without a reset).
    int rebuilds = 0;

    void SetUp() override {
        WindowTest::SetUp();
        document = open(Cards);
        view = content(document);
        choose(document->controller->viewTypePopup(), u"Phone"_s);
        QObject::connect(table()->tableModel(), &QAbstractItemModel::modelReset, [this] { ++rebuilds; });
    }
    ContactsViewController *table() const { return view->contactsViewController(); }
    Window *window() const { return document->controller->window(); }
    bool edited() const { return window()->isDocumentEdited(); }
    QWidget *sheet() const { return Application::shared().attachedSheet(window()); }
    // A main-menu item as the user finds it, its menu validated first; false when disabled.
    bool pick(const QString &menuTitle, const QString &title) {
        return pickMenuItem(window()->mainMenu(), menuTitle, title);
    }
    // The rows of the Phone column reading so: the label popup's title, then the text.
    qsizetype phones(const QString &text) const {
        QStringList shown;
        const ContactsTableModel *model = table()->tableModel();
        for (int r = 0; r < Dee; ++r) {
            const auto cell =
                model->index(r, 1).data(ContactsTableModel::CellRole).value<ContactsTableCell>();
            shown << (cell.popup ? cell.popup->content().popupTitle() : QString()) + u' ' + cell.text;
        }
        return shown.filter(text).size();
    }
};

// Every sheet and panel of the window, changed inside and then left without its Done (its
// Cancel, or the window system's close), leaves the document as it was: the contacts, the
// custom items and the columns, no undo step, no edited mark, nothing stored but what the
// panel stores as it is used.
TEST_F(PanelsTest, EverySheetLeftWithoutItsDoneChangesNothing) {
    ScriptedDialogPresenter dialogs;
    const auto snapshot = [this] {
        QStringList cards;
        for (const ContactEntry &entry : std::as_const(*view->contactTable()))
            cards << QMvCard().vCardFromPerson(*entry.person, {}, {});
        return std::tuple(cards, view->customItems(), columns(view));
    };
    const auto stored = [] {
        QVariantMap values;
        for (const QString &key : UserDefaults::standard().storedKeys())
            values.insert(key, UserDefaults::standard().object(key));
        return values;
    };
    const auto customItems = [this] { return document->controller->customItemPanel(); };
    const auto itemEditor = [&] { return customItems()->addItemViewController(); };
    const auto deleteHobby = [&] {
        customItems()->tableView()->selectRow(0);
        dialogs.answerAlert(u"OK"_s);
        QTest::mouseClick(customItems()->delButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return customItems()->itemsDirty(); }, 2000));
    };
    const auto addPets = [&] {
        QTest::mouseClick(customItems()->addButton(), Qt::LeftButton);
        typeText(itemEditor()->nameField(), u"Pets"_s);
        QTest::mouseClick(itemEditor()->doneButton(), Qt::LeftButton);
    };
    const struct {
        const char *what;
        QStringList storedAsUsed; // preferences the panel keeps as it is used
        std::function<void()> leave;
    } cases[] = {
        {"custom labels: a label added, Cancel",
         {CustomLabelPanelController::LastSelectedItemKey},
         [&] {
             ASSERT_TRUE(pick(u"Select Label"_s, u"Show Custom Labels"_s));
             CustomLabelPanelController *panel = document->controller->customLabelPanelController();
             ::choose(panel->itemNamePopup(), QMPerson::localizedIdentifierForKey(FieldId::Phone));
             QTest::mouseClick(panel->addButton(), Qt::LeftButton);
             QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
         }},
        {"custom labels: closed by the window system",
         {},
         [&] {
             ASSERT_TRUE(pick(u"Select Label"_s, u"Show Custom Labels"_s));
             document->controller->customLabelPanelController()->window()->close();
         }},
        {"custom items: an item deleted and one added, Cancel",
         {},
         [&] {
             ASSERT_TRUE(pick(u"Items"_s, u"Show Custom Items"_s));
             deleteHobby();
             addPets();
             QTest::mouseClick(customItems()->cancelButton(), Qt::LeftButton);
         }},
        {"custom items: an item deleted, closed by the window system",
         {},
         [&] {
             ASSERT_TRUE(pick(u"Items"_s, u"Show Custom Items"_s));
             deleteHobby();
             customItems()->window()->close();
         }},
        {"custom items: the item editor's Cancel, then Done",
         {},
         [&] {
             ASSERT_TRUE(pick(u"Items"_s, u"Show Custom Items"_s));
             doubleClickRow(customItems()->tableView(), 0);
             QTest::mouseClick(itemEditor()->addButton(), Qt::LeftButton);
             QTest::mouseClick(itemEditor()->cancelButton(), Qt::LeftButton);
             QTest::mouseClick(customItems()->addButton(), Qt::LeftButton);
             typeText(itemEditor()->nameField(), u"Pets"_s);
             QTest::mouseClick(itemEditor()->cancelButton(), Qt::LeftButton);
             QTest::mouseClick(customItems()->doneButton(), Qt::LeftButton);
         }},
        {"merge: a value changed, Cancel",
         {},
         [&] {
             table()->selectRowIndexes({Ann, Bob});
             view->setEditState(true);
             ASSERT_TRUE(pick(u"Contact"_s, u"Merge Contacts"_s));
             MergePanelController *sheet = view->mergePanelController();
             sheet->edits().undoReplaceStringValue(u"merged"_s, FieldId::Note, sheet->contactRight()->person);
             QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
         }},
        {"find window: searched, a replacement typed, Done",
         {},
         [&] {
             Pasteboard::find().setString(u"555"_s);
             QTimer::singleShot(0, [&] {
                 auto *panel = qobject_cast<FindPanel *>(
                     qobject_cast<Window *>(QApplication::activeModalWidget())->windowController());
                 QTest::keyClick(panel->searchField(), Qt::Key_Return);
                 ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->isSearching(); }, 20000));
                 panel->replaceField()->setText(u"777"_s);
                 panel->closeButton()->click();
             });
             ASSERT_TRUE(pick(u"Find"_s, u"Find Window…"_s));
         }},
        {"QR code: a format chosen, Close",
         {},
         [&] {
             table()->selectRowIndexes({Ann});
             ASSERT_TRUE(pick(u"Contact"_s, u"Show QRCode"_s));
             QRCodePanelController *panel = view->qrCodePanelController();
             ::choose(panel->formatPopup(),
                      panel->formatPopup()->itemText(panel->formatPopup()->count() - 1));
             panel->closeButton()->click();
         }},
        {"print: another paper, Cancel",
         {u"QM1DprintOptions"_s, u"QM1DlastPrintStyle"_s},
         [&] {
             table()->selectRowIndexes({Ann, Cid});
             ASSERT_TRUE(pick(u"File"_s, u"Print…"_s));
             auto *panel =
                 qobject_cast<PrintPanelController *>(qobject_cast<Window *>(sheet())->windowController());
             QComboBox *paper = panel->paperPopup();
             ::choose(paper, paper->itemText(paper->findData(u"Letter"_s)));
             panel->cancelButton()->click();
         }},
    };
    for (const auto &c : cases) {
        const auto before = snapshot();
        QVariantMap storedBefore = stored();
        view->setEditState(false);
        c.leave();
        QCoreApplication::processEvents();
        EXPECT_EQ(sheet(), nullptr) << c.what;
        EXPECT_TRUE(snapshot() == before) << c.what;
        EXPECT_FALSE(view->undoManager()->canUndo()) << c.what;
        EXPECT_FALSE(edited()) << c.what;
        QVariantMap storedAfter = stored();
        for (const QString &key : c.storedAsUsed) {
            storedBefore.remove(key);
            storedAfter.remove(key);
        }
        EXPECT_EQ(storedAfter, storedBefore) << c.what;
    }
    EXPECT_EQ(dialogs.unansweredCount(), 0);
}

TEST_F(PanelsTest, TheFindWindowsChangesRefreshTheTableOnceWhenItCloses) {
    Pasteboard::find().setString(u"555"_s);
    int rebuildsWhileOpen = -1;
    QTimer::singleShot(0, [&] {
        auto *panel = qobject_cast<FindPanel *>(
            qobject_cast<Window *>(QApplication::activeModalWidget())->windowController());
        EXPECT_EQ(panel->window()->parentWidget(), window());
        EXPECT_EQ(panel->selectedItems(), table()->tableIdentfiers());
        QTest::keyClick(panel->searchField(), Qt::Key_Return); // the find pasteboard's text
        ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->isSearching(); }, 20000));
        panel->replaceField()->setText(u"777"_s);
        panel->replaceButtons()->button(1)->click(); // All
        rebuildsWhileOpen = rebuilds;
        panel->closeButton()->click();
    });
    ASSERT_TRUE(pick(u"Find"_s, u"Find Window…"_s));
    EXPECT_EQ(rebuildsWhileOpen, 0);
    EXPECT_LE(rebuilds, 1);
    EXPECT_EQ(phones(u"777"_s), 4);
    EXPECT_TRUE(edited());
    ASSERT_TRUE(pick(u"Edit"_s, u"Undo"_s));
    EXPECT_EQ(phones(u"555"_s), 4);
}

TEST_F(PanelsTest, ShowQRCodeShowsTheClickedRowElseTheSelectedOne) {
    view->contactInfoController()->tableView()->setFocus(); // the menu finds the table all the same
    table()->selectRowIndexes({});
    EXPECT_FALSE(pick(u"Contact"_s, u"Show QRCode"_s));
    for (const int clicked : {-1, int(Cid)}) {
        table()->selectRowIndexes({Bob});
        table()->setClickedRow(clicked);
        ASSERT_TRUE(pick(u"Contact"_s, u"Show QRCode"_s));
        QRCodePanelController *panel = view->qrCodePanelController();
        ASSERT_TRUE(panel && sheet() == panel->window());
        EXPECT_EQ(panel->contact()->compositeName(), clicked == Cid ? u"Cid Cole"_s : u"Bob Baker"_s);
        panel->closeButton()->click();
    }
}

TEST_F(PanelsTest, PrintShowsTheSelectedRowsWithTheColumnsOfThisWindow) {
    table()->selectRowIndexes({Cid, Ann});
    ASSERT_TRUE(pick(u"File"_s, u"Print…"_s));
    auto *panel = qobject_cast<PrintPanelController *>(qobject_cast<Window *>(sheet())->windowController());
    QStringList printed;
    for (const SubContactRowPtr &row : panel->printView().contacts())
        printed << row->person->compositeName();
    EXPECT_EQ(printed, (QStringList{u"Ann Abe"_s, u"Cid Cole"_s}));
    EXPECT_EQ(panel->accessory()->columnsInMainView(), (QStringList{FieldId::Name, FieldId::Phone}));
    panel->cancelButton()->click();
}

TEST_F(PanelsTest, ARelabelIsOneStepWhoseUndoAndRedoRefreshOnceAndTakeTheWordAlong) {
    ASSERT_TRUE(pick(u"Select Label"_s, u"Show Custom Labels"_s));
    CustomLabelPanelController *panel = document->controller->customLabelPanelController();
    ASSERT_TRUE(panel && sheet() == panel->window());
    ::choose(panel->itemNamePopup(), QMPerson::localizedIdentifierForKey(FieldId::Phone));
    doubleClickRow(panel->tableView(), int(panel->table().indexOf(u"boat"_s)));
    typeIntoRow(panel->tableView(), u"ship"_s);
    panel->doneButton()->click();
    // The table reloads once the values carry the new word, so the old one stays gone.
    for (const QString &step : {QString(), u"Undo"_s, u"Redo"_s, u"Undo"_s}) {
        const bool undone = step == u"Undo"_s;
        ASSERT_TRUE(step.isEmpty() || pick(u"Edit"_s, step));
        EXPECT_LE(rebuilds, 1) << step.toStdString();
        EXPECT_EQ(phones(undone ? u"boat "_s : u"ship "_s), 2);
        EXPECT_EQ(QMPerson::labelTableDict().value(FieldId::Phone).contains(u"boat"_s), undone);
        EXPECT_EQ(edited(), !undone);
        rebuilds = 0;
    }
}

TEST_F(PanelsTest, TheCustomItemsSheetAddsAColumnAndAChangedIconReachesTheDetailPanel) {
    ASSERT_TRUE(pick(u"Items"_s, u"Show Custom Items"_s));
    CustomItemPanel *panel = document->controller->customItemPanel();
    ASSERT_TRUE(panel && sheet() == panel->window());
    AddItemViewController *editor = panel->addItemViewController();
    doubleClickRow(panel->tableView(), 0); // HOBBY, a labeled item
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(testScratchDirectory() + u"/red.png"_s));
    ScriptedDialogPresenter dialogs;
    dialogs.chooseFiles({QUrl::fromLocalFile(testScratchDirectory() + u"/red.png"_s)});
    editor->addImage();
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    QTest::mouseClick(panel->addButton(), Qt::LeftButton);
    typeText(editor->nameField(), u"Pets"_s);
    ::choose(editor->typePopup(), ValueKind::Labeled);
    QTest::mouseClick(editor->addButton(), Qt::LeftButton);
    typeIntoRow(editor->tableView(), u"cat"_s);
    QTest::mouseClick(editor->doneButton(), Qt::LeftButton);
    QTest::mouseClick(panel->doneButton(), Qt::LeftButton);

    EXPECT_TRUE(edited()) << "a change";
    ASSERT_TRUE(pick(u"Items"_s, u"Pets (Labeled Value)"_s));
    EXPECT_EQ(columns(view), (QStringList{FieldId::Name, u"Pets"_s, FieldId::Phone}));
    table()->selectRowIndexes({Dee});
    document->controller->showContactInfo(true);
    const QList<InfoTableRow> &rows = view->contactInfoController()->table();
    const auto hobby =
        std::find_if(rows.cbegin(), rows.cend(), [](auto &row) { return row.type == "HOBBY"; });
    EXPECT_EQ(view->contactInfoController()->typeCellImage(int(hobby - rows.cbegin())).pixel(0, 0),
              red.pixel(0, 0));
}

} // namespace
} // namespace tessarin
