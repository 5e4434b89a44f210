// The view settings shared by every window and the state each window keeps for itself.
#include "tests/app/WindowTestSupport.h"

#include "platform/ui/FontManager.h"
#include "platform/ui/ScreenFit.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QSettings>
#include <QSignalSpy>
#include <QUuid>

inline void PrintTo(const QRect &rect, std::ostream *out) {
    *out << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
}

namespace tessarin {
using namespace window_test;

namespace {

// Cards without the custom item of SampleCards.
const QString OtherCards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Eve;Ed;;;\r\nFN:Ed Eve\r\nTEL;type=WORK:+1 555 0101\r\n"
    "TEL;type=HOME:+1 555 0102\r\nEND:VCARD\r\n");

class WindowStateTest : public WindowTest {
protected:
    ContactsViewController *table(TestDocument *document) { return content(document)->contactsViewController(); }

    // A user drags the edge of a column's header.
    void resizeColumn(TestDocument *document, const QString &identifier, int width) {
        const int column = table(document)->tableModel()->columnOf(identifier);
        ASSERT_GE(column, 0) << identifier.toStdString();
        table(document)->tableView()->horizontalHeader()->resizeSection(column, width);
    }

    // Another running copy of the program: it reads the preference file as it is now, stores
    // its choices and writes the file anew, which this copy reads only when it reads the file
    // again.
    static void storeAsAnotherCopy(const std::function<void(QSettings &)> &change) {
        UserDefaults::standard().synchronize();
        const QString file = userDefaultsFile();
        const QString written = file + QUuid::createUuid().toString(QUuid::WithoutBraces);
        ASSERT_TRUE(QFile::copy(file, written));
        {
            QSettings other(written, QSettings::IniFormat);
            change(other);
        }
        const QDateTime later = std::max(QDateTime::currentDateTime(), QFileInfo(file).lastModified().addSecs(1));
        ASSERT_TRUE(QFile::remove(file));
        ASSERT_TRUE(QFile::rename(written, file));
        QFile replaced(file);
        ASSERT_TRUE(replaced.open(QIODevice::ReadWrite));
        replaced.setFileTime(later, QFileDevice::FileModificationTime);
    }

    // How often a window's table was rebuilt while the change ran.
    int resetsDuring(TestDocument *document, const std::function<void()> &change) {
        QSignalSpy resets(table(document)->tableModel(), &QAbstractItemModel::modelReset);
        change();
        return int(resets.count());
    }

    QStringList sortKeys(TestDocument *document) {
        QStringList keys;
        for (const ContactsTableColumn &column : table(document)->tableColumns())
            keys.append(column.sortDescriptorPrototype.key);
        return keys;
    }
};

TEST_F(WindowStateTest, AViewSettingChosenInOneWindowReachesEveryWindowAtOnce) {
    TestDocument *first = open();
    TestDocument *second = open(OtherCards, QStringLiteral("Other.vcf"));
    // Each window's table is rebuilt exactly as often as the chooser's: once per change.
    const auto inBoth = [&](const std::function<void()> &change) {
        QSignalSpy resets(table(second)->tableModel(), &QAbstractItemModel::modelReset);
        const int own = resetsDuring(first, change);
        EXPECT_GT(own, 0);
        EXPECT_EQ(resets.count(), own);
    };

    inBoth([&] { choose(first->controller->viewTypePopup(), QStringLiteral("Phone")); });
    EXPECT_EQ(columns(content(second)), (QStringList{QStringLiteral("Name"), QStringLiteral("Phone")}));
    inBoth([&] { choose(first->controller->itemsPopup(), QStringLiteral("Company")); });
    EXPECT_EQ(columns(content(second)),
              (QStringList{QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Phone")}));

    // Ed Eve's home phone leaves the other window's rows as soon as the filter says work.
    ASSERT_EQ(table(second)->subContactTable().size(), 2u);
    inBoth([&] { choose(first->controller->labelsPopup(), QStringLiteral("work")); });
    EXPECT_EQ(table(second)->subContactTable().size(), 1u);
    EXPECT_EQ(second->controller->selectedLabels(), QStringList{QStringLiteral("work")});

    // A sort option becomes the other window's column sort without re-sorting its rows.
    Menu *phoneOptions = itemFor(first->controller->sortOptionsPopup()->pullDownMenu(), FieldId::Phone)->submenu();
    phoneOptions->update();
    itemFor(phoneOptions, QStringLiteral("label"))->trigger();
    EXPECT_EQ(table(first)->sortDescriptors().value(0).key, QStringLiteral("Phone label"));
    EXPECT_TRUE(sortKeys(second).contains(QStringLiteral("Phone label")));
    EXPECT_NE(table(second)->sortDescriptors().value(0).key, QStringLiteral("Phone label"));
    Menu *otherOptions = itemFor(second->controller->sortOptionsPopup()->pullDownMenu(), FieldId::Phone)->submenu();
    otherOptions->update();
    EXPECT_EQ(itemFor(otherOptions, QStringLiteral("label"))->state(), StateOn);
}

TEST_F(WindowStateTest, FontEditStateCustomItemsAndFindStayWithTheirWindow) {
    TestDocument *first = open();
    TestDocument *second = open(OtherCards, QStringLiteral("Other.vcf"));
    const QFont before = table(second)->selectedFont();

    QFont chosen(QFontDatabase::families().value(0));
    chosen.setPointSizeF(17);
    // The font reaches each pane of its window once: the table reloads once.
    EXPECT_EQ(resetsDuring(first, [&] { content(first)->setFont(chosen); }), 1);
    EXPECT_EQ(table(first)->selectedFont().pointSizeF(), 17);
    EXPECT_EQ(content(first)->groupViewController()->selectedFont().pointSizeF(), 17);
    EXPECT_EQ(content(first)->contactInfoController()->selectedFont().pointSizeF(), 17);
    EXPECT_EQ(table(second)->selectedFont(), before);

    EXPECT_EQ(resetsDuring(first, [&] { first->controller->editButton()->click(); }), 1);
    EXPECT_FALSE(table(first)->editState());
    EXPECT_FALSE(content(first)->groupViewController()->editState());
    EXPECT_TRUE(table(second)->editState());
    EXPECT_EQ(second->controller->editButton()->text(), QStringLiteral("Lock"));

    EXPECT_EQ(table(first)->customItems().size(), 1);
    EXPECT_TRUE(table(second)->customItems().isEmpty());

    content(first)->windowState()->setFindString(QStringLiteral("abe"));
    EXPECT_EQ(table(first)->findString(), QStringLiteral("abe"));
    EXPECT_TRUE(table(second)->findString().isEmpty());
    EXPECT_EQ(table(first)->viewForTableColumn(FieldId::Name, 0).highlights.size(), 1);
}

TEST_F(WindowStateTest, AnotherWindowLeavesAWindowsCustomItemColumnAlone) {
    TestDocument *first = open();
    const QString hobby = QStringLiteral("HOBBY");
    choose(first->controller->itemsPopup(), hobby);
    ASSERT_TRUE(columns(content(first)).contains(hobby));
    const auto ticked = [&] {
        Menu *items = first->controller->itemsPopup()->pullDownMenu();
        items->update();
        return itemFor(items, hobby)->state() == StateOn;
    };
    ASSERT_TRUE(ticked());

    // A new window, a window of a file without the item, and the column order that window
    // stores when it closes: the first window keeps its column and its tick; the other
    // shows no column of an item it does not know.
    TestDocument *untitled = open(QString(), QString());
    TestDocument *other = open(OtherCards, QStringLiteral("Other.vcf"));
    EXPECT_FALSE(columns(content(untitled)).contains(hobby));
    EXPECT_FALSE(columns(content(other)).contains(hobby));
    table(other)->saveColumnWithDictionary();
    closeDocument(other);
    closeDocument(untitled);
    EXPECT_TRUE(columns(content(first)).contains(hobby));
    EXPECT_TRUE(ticked());
    EXPECT_TRUE(first->controller->settings()->columnsOfViewType(first->controller->selectedViewType()).contains(hobby));
}

TEST_F(WindowStateTest, AWindowOfTheSameFileGetsItsSettingsFontFrameAndEditStateBack) {
    TestDocument *document = open();
    Window *window = document->controller->window();
    window->setGeometry(QRect(window->geometry().topLeft(), QSize(1010, 620)));
    choose(document->controller->viewTypePopup(), QStringLiteral("Phone"));
    choose(document->controller->labelsPopup(), QStringLiteral("work"));
    Menu *emailOptions = itemFor(document->controller->sortOptionsPopup()->pullDownMenu(), FieldId::Email)->submenu();
    emailOptions->update();
    itemFor(emailOptions, QStringLiteral("domain"))->trigger();
    QFont chosen(QFontDatabase::families().value(0));
    chosen.setPointSizeF(15);
    FontManager::shared().choose(chosen); // the font panel's choice reaches the key window
    document->controller->editButton()->click();
    UserDefaults::standard().setBool(true, WindowState::LastEditStateKey); // as another window would
    closeDocument(document); // stores this window's edit state again

    // A new run: nothing but the preferences is left of the first window.
    TestDocument *again = open();
    ViewController *view = content(again);
    EXPECT_EQ(again->controller->window()->size(), QSize(1010, 620));
    EXPECT_EQ(columns(view), (QStringList{QStringLiteral("Name"), QStringLiteral("Phone")}));
    EXPECT_EQ(view->selectedLabels(), QStringList{QStringLiteral("work")});
    EXPECT_EQ(again->controller->sortOptionsDict().value(FieldId::Email).selected, QStringLiteral("domain"));
    EXPECT_EQ(view->selectedFont().family(), chosen.family());
    EXPECT_EQ(view->selectedFont().pointSizeF(), 15);
    EXPECT_FALSE(view->editState());
    EXPECT_EQ(again->controller->editButton()->text(), QStringLiteral("Edit"));
    EXPECT_EQ(UserDefaults::standard().doubleForKey(WindowState::DefaultFontSizeKey), 15); // for later windows
    // The font was kept under this document's name, not for unnamed documents.
    EXPECT_FALSE(UserDefaults::standard().object(WindowState::fontNameKey(QString())).isValid());
}

TEST_F(WindowStateTest, FrameColumnsOfEachViewTypeAndTheSortComeBackAfterEachRelaunch) {
    const QRect frame(130, 170, 1010, 620);
    TestDocument *document = open();
    document->controller->window()->setGeometry(frame);
    choose(document->controller->viewTypePopup(), QStringLiteral("Phone"));
    choose(document->controller->itemsPopup(), QStringLiteral("Company"));
    choose(document->controller->viewTypePopup(), QStringLiteral("Email"));
    choose(document->controller->itemsPopup(), QStringLiteral("Nickname"));
    ASSERT_EQ(columns(content(document)), (QStringList{"Name", "Nickname", "Email"}));
    QHeaderView *header = table(document)->tableView()->horizontalHeader();
    header->sectionClicked(2); // ascending: Ann's home address before her work one
    ASSERT_TRUE(table(document)->sortDescriptors().value(0).ascending);
    QStringList sorted;
    for (const SubContactRowPtr &row : table(document)->subContactTable())
        sorted.append(row->person->compositeName());
    closeDocument(document);

    for (int relaunch = 1; relaunch <= 2; ++relaunch) {
        SCOPED_TRACE(relaunch);
        TestDocument *again = open();
        EXPECT_EQ(again->controller->window()->geometry(), frame);
        EXPECT_EQ(columns(content(again)), (QStringList{"Name", "Nickname", "Email"}));
        ASSERT_FALSE(table(again)->sortDescriptors().isEmpty());
        EXPECT_EQ(table(again)->sortDescriptors().first().key, QStringLiteral("Email"));
        EXPECT_TRUE(table(again)->sortDescriptors().first().ascending);
        QStringList shown;
        for (const SubContactRowPtr &row : table(again)->subContactTable())
            shown.append(row->person->compositeName());
        EXPECT_EQ(shown, sorted);
        EXPECT_FALSE(again->controller->window()->isDocumentEdited()); // nothing asks at closing
        choose(again->controller->viewTypePopup(), QStringLiteral("Phone"));
        EXPECT_EQ(columns(content(again)), (QStringList{"Name", "Company", "Phone"}));
        choose(again->controller->viewTypePopup(), QStringLiteral("Email"));
        closeDocument(again);
    }
}

TEST_F(WindowStateTest, AStoredFontTooSmallOrOfTheOtherPlatformFallsBack) {
    const QString name = QStringLiteral("Sample.vcf");
    const struct {
        QString family;
        double size;
        double expectedSize;
    } cases[] = {{QFontDatabase::families().value(0), 3.0, 7.0},
                 {QStringLiteral(".AppleSystemUIFont"), 30.0, WindowState::DefaultFontSize}};
    for (const auto &c : cases) {
        UserDefaults::standard().setObject(c.family, WindowState::fontNameKey(name));
        UserDefaults::standard().setObject(c.size, WindowState::fontSizeKey(name));
        TestDocument *document = open();
        EXPECT_EQ(content(document)->selectedFont().pointSizeF(), c.expectedSize) << c.family.toStdString();
        closeDocument(document);
    }
    EXPECT_EQ(WindowState::fontNameKey(QStringLiteral("AddressBook")), WindowState::fontNameKey(QString()));
    EXPECT_NE(WindowState::fontSizeKey(name), WindowState::fontSizeKey(QString()));
}

// A later run may open other files first, or only other files: a view type keeps the columns
// of the items of a file that is not open. A window deleting an item takes its column out,
// unless another open window still has the item.
TEST_F(WindowStateTest, CustomItemColumnsOutliveRunsWithoutTheirFile) {
    const QString hobby = QStringLiteral("HOBBY"), boat = QStringLiteral("BOAT");
    const QString mine = SampleCards + QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Fox;Flo;;;\r\n"
                                                      "FN:Flo Fox\r\nX-BOAT:Dinghy\r\nEND:VCARD\r\n");
    const QStringList withItems = {QStringLiteral("Name"), boat, hobby, QStringLiteral("Email")};
    const QStringList withoutItems = {QStringLiteral("Name"), QStringLiteral("Email")};
    const auto stored = [] {
        return UserDefaults::standard()
            .dictionaryForKey(QStringLiteral("QM1DviewTypeDict"))
            .value(QStringLiteral("Email"))
            .toStringList();
    };
    TestDocument *first = open(mine, QStringLiteral("Mine.vcf"));
    choose(first->controller->itemsPopup(), hobby);
    choose(first->controller->itemsPopup(), boat);
    ASSERT_EQ(columns(content(first)), withItems);
    closeDocument(first);

    // Each run opens its files in this order and closes them; the settings are read afresh.
    const struct {
        const char *what;
        QStringList files;
    } runs[] = {
        {"another file first, then the file", {"Other.vcf", "Mine.vcf"}},
        {"only another file", {"Other.vcf"}},
        {"a new window only", {""}},
        {"the file alone again", {"Mine.vcf"}},
    };
    for (const auto &run : runs) {
        SCOPED_TRACE(run.what);
        QList<TestDocument *> opened;
        for (const QString &file : run.files) {
            const bool isMine = file == QLatin1String("Mine.vcf");
            TestDocument *document =
                isMine ? open(mine, file) : open(file.isEmpty() ? QString() : OtherCards, file);
            EXPECT_EQ(columns(content(document)), isMine ? withItems : withoutItems);
            opened.append(document);
        }
        EXPECT_EQ(stored(), withItems);
        for (TestDocument *document : std::as_const(opened)) {
            table(document)->saveColumnWithDictionary();
            closeDocument(document);
        }
        EXPECT_EQ(stored(), withItems);
    }

    // Deleting, as the custom items panel does: the item another window has keeps its column.
    TestDocument *window = open(mine, QStringLiteral("Mine.vcf"));
    TestDocument *copy = open(mine, QStringLiteral("Copy.vcf"));
    const auto without = [](TestDocument *document, const QString &name) {
        QList<CustomItemDefinition> items = content(document)->customItems();
        items.removeIf([&](const CustomItemDefinition &item) { return item.name == name; });
        content(document)->windowState()->setCustomItems(items);
    };
    without(window, boat);
    EXPECT_EQ(stored(), withItems);
    without(copy, boat);
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("Name"), hobby, QStringLiteral("Email")}));
    EXPECT_EQ(columns(content(window)),
              (QStringList{QStringLiteral("Name"), hobby, QStringLiteral("Email")}));
}

// Each file opened from a file manager starts a copy of the program of its own. A closing
// window stores the widths it changed and the columns of the view type it shows over what is
// stored at that moment: what another copy or another window stored meanwhile stays.
// Another running copy stores between this window's start and its next write; every path that
// writes the view types starts from what is stored then.
TEST_F(WindowStateTest, EveryWriteOfTheViewTypesKeepsWhatAnotherCopyStored) {
    QStringList otherAddress;
    const auto storeOtherCopysAddressView = [&](const char *item) {
        otherAddress = QStringList{FieldId::Name, QString::fromLatin1(item), FieldId::Address};
        storeAsAnotherCopy([&](QSettings &other) {
            QVariantMap viewTypes = other.value(ViewTypes::ViewTypeDictKey).toMap();
            viewTypes.insert(QStringLiteral("Address"), otherAddress);
            other.setValue(ViewTypes::ViewTypeDictKey, viewTypes);
        });
    };
    const struct {
        const char *path;
        const char *item; // the other copy's custom item, another each time
        std::function<void(TestDocument *)> write;
        QStringList phone;
    } cases[] = {
        {"closing", "BOAT", [&](TestDocument *document) { closeDocument(document); }, {FieldId::Name, FieldId::Phone}},
        {"a view type picked", "KITE",
         [&](TestDocument *document) { choose(document->controller->viewTypePopup(), QStringLiteral("Email")); },
         {FieldId::Name, FieldId::Phone}},
        {"an item picked", "SLED",
         [&](TestDocument *document) { choose(document->controller->itemsPopup(), QStringLiteral("Company")); },
         {FieldId::Name, QStringLiteral("Company"), FieldId::Phone}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        QPointer<TestDocument> document = open();
        choose(document->controller->viewTypePopup(), QStringLiteral("Phone"));
        storeOtherCopysAddressView(c.item);
        c.write(document);
        const QVariantMap viewTypes = UserDefaults::standard().dictionaryForKey(ViewTypes::ViewTypeDictKey);
        const auto columns = [&](const char *viewType) {
            return viewTypes.value(QString::fromLatin1(viewType)).toStringList().join(QLatin1Char(',')).toStdString();
        };
        EXPECT_EQ(columns("Address"), otherAddress.join(QLatin1Char(',')).toStdString());
        EXPECT_EQ(columns("Phone"), c.phone.join(QLatin1Char(',')).toStdString());
        if (document)
            discard(document);
    }
}

TEST_F(WindowStateTest, AClosingWindowStoresItsOwnColumnsOverWhatIsStoredNow) {
    const QString boat = QStringLiteral("BOAT");
    TestDocument *first = open();
    TestDocument *second = open(OtherCards, QStringLiteral("Other.vcf"));
    resizeColumn(second, FieldId::Email, 333);
    closeDocument(second);
    choose(first->controller->viewTypePopup(), QStringLiteral("Phone"));
    resizeColumn(first, FieldId::Phone, 260);
    storeAsAnotherCopy([&](QSettings &other) {
        // Its file has a custom item, which it adds to the Address view.
        QVariantMap viewTypes = other.value(ViewTypes::ViewTypeDictKey).toMap();
        viewTypes.insert(QStringLiteral("Address"), QStringList{FieldId::Name, boat, FieldId::Address});
        other.setValue(ViewTypes::ViewTypeDictKey, viewTypes);
        other.setValue(ViewTypes::SelectedViewTypeKey, QStringLiteral("Address"));
        QVariantMap widths = other.value(SharedSettings::ColumnWidthKey).toMap();
        widths.insert(FieldId::Address, 320.0);
        widths.insert(FieldId::Name, 150.0);
        other.setValue(SharedSettings::ColumnWidthKey, widths);
        other.setValue(ViewTypes::SelectedLabelsKey, QStringList{QStringLiteral("work")});
    });
    closeDocument(first);

    const UserDefaults &defaults = UserDefaults::standard();
    const QVariantMap viewTypes = defaults.dictionaryForKey(ViewTypes::ViewTypeDictKey);
    const QVariantMap widths = defaults.dictionaryForKey(SharedSettings::ColumnWidthKey);
    const struct {
        const char *what;
        QVariant stored;
        QVariant expected;
    } rows[] = {
        {"the other copy's Address columns", viewTypes.value(QStringLiteral("Address")),
         QStringList{FieldId::Name, boat, FieldId::Address}},
        {"the window's Phone columns", viewTypes.value(QStringLiteral("Phone")),
         QStringList{FieldId::Name, FieldId::Phone}},
        {"the other copy's Address width", widths.value(FieldId::Address), 320.0},
        {"the other copy's Name width", widths.value(FieldId::Name), 150.0},
        {"the window's Phone width", widths.value(FieldId::Phone), 260.0},
        {"the other window's Email width", widths.value(FieldId::Email), 333.0},
        {"the other copy's view type", defaults.object(ViewTypes::SelectedViewTypeKey), QStringLiteral("Address")},
        {"the other copy's labels", defaults.arrayForKey(ViewTypes::SelectedLabelsKey),
         QVariantList{QStringLiteral("work")}},
    };
    const auto text = [](const QVariant &value) {
        const bool list = value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList;
        return (list ? value.toStringList().join(QLatin1Char(',')) : value.toString()).toStdString();
    };
    for (const auto &row : rows)
        EXPECT_EQ(text(row.stored), text(row.expected)) << row.what;
}

// Files without a stored frame and new windows step down from the window in front, each one
// visible beside the others; a file with a stored frame takes it.
TEST_F(WindowStateTest, WindowsWithoutAStoredFrameCascadeFromTheFrontOne) {
    const QRect stored(300, 250, 800, 450);
    UserDefaults::standard().setObject(QStringLiteral("300 250 800 450"),
                                       Window::frameKey(QStringLiteral("Framed.vcf")));
    const auto frame = [](TestDocument *document) { return document->controller->window()->geometry(); };
    TestDocument *sample = open();
    const QRect first = frame(sample);
    TestDocument *other = open(OtherCards, QStringLiteral("Other.vcf"));
    TestDocument *untitled = open(QString(), QString());
    TestDocument *framed = open(OtherCards, QStringLiteral("Framed.vcf"));
    TestDocument *untitled2 = open(QString(), QString());
    const QPoint step(CascadeOffset, CascadeOffset);
    EXPECT_EQ(frame(other), QRect(first.topLeft() + step, first.size()));
    EXPECT_EQ(frame(untitled), QRect(first.topLeft() + 2 * step, first.size()));
    EXPECT_EQ(frame(framed), stored);
    EXPECT_EQ(frame(untitled2), QRect(stored.topLeft() + step, first.size()));
}

} // namespace
} // namespace tessarin
