#include "ContactsTableTestSupport.h"

#include "model/QMvCard.h"
#include "platform/core/TempFiles.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <functional>

using namespace contacts_table_test;

namespace {

// Records what the table hands to the window: cards of vCard text and pasted contacts.
struct ClipboardDelegate : RecordingDelegate {
    QStringList cards;
    QList<ContactEntry> added;
    SharedGroup group = std::make_shared<GroupRecord>();

    void addContactByVCardString(const QString &text, const SharedGroup &) override { cards.append(text); }
    SharedGroup selectedGroupDict() const override { return group; }
    void addContacts(const QList<ContactEntry> &contacts, const SharedGroup &) override { added += contacts; }
};

class TableClipboard : public ::testing::Test {
protected:
    void SetUp() override { factoryDefaults(); }

    void show(const QList<std::shared_ptr<QMPerson>> &people, const QStringList &columns) {
        setColumns(QStringLiteral("Mine"), columns);
        controller.settings()->reload();
        controller.setDelegate(&delegate);
        controller.view()->resize(800, 600);
        controller.setContactTable(table(people));
        controller.setSubContactTableDirty(true);
        controller.reloadData();
        controller.view()->show();
        controller.windowState()->setEditState(true);
    }
    void selectAll() {
        QList<int> rows;
        for (int r = 0; r < int(controller.subContactTable().size()); ++r)
            rows.append(r);
        controller.selectRowIndexes(rows);
    }
    static QString clipboard(const QString &mime) {
        return QString::fromUtf8(QApplication::clipboard()->mimeData()->data(mime));
    }
    // The copied text as another program keeps it, without the cards beside it.
    static void keepTheTextAlone() { QApplication::clipboard()->setText(clipboard(QStringLiteral("text/plain"))); }
    // A drag written by the table, read back as a drop sees it.
    std::unique_ptr<QMimeData> drag(const QList<int> &rows) {
        auto pasteboard = Pasteboard::forDragging();
        if (!controller.tableViewWriteRowsWithIndexes(rows, *pasteboard))
            return nullptr;
        return std::unique_ptr<QMimeData>(pasteboard->takeMimeData());
    }

    ClipboardDelegate delegate;
    ContactsViewController controller;
};

std::shared_ptr<QMPerson> contact(const QString &first, const QString &phone, const QString &note = {}) {
    auto p = person(first);
    if (!phone.isEmpty())
        p->addPhoneValue(labeled(QStringLiteral("home"), phone));
    if (!note.isEmpty())
        p->setValue(note, FieldId::Note);
    return p;
}

TEST_F(TableClipboard, CopyingThreeContactsGivesTabCommaAndVCardText) {
    show({contact(QStringLiteral("Ann"), QStringLiteral("1")), contact(QStringLiteral("Bob"), {}, QStringLiteral("Oak, \"big\"")),
          contact(QStringLiteral("Cy"), QStringLiteral("3"), QStringLiteral("a\nb"))},
         {FieldId::Name, FieldId::Phone, FieldId::Note});
    selectAll();

    controller.copy(nullptr);
    EXPECT_EQ(clipboard(QStringLiteral("text/plain")), QStringLiteral("Ann\thome:1\t\nBob\t\tOak, \"big\"\nCy\thome:3\ta\\nb"));
    EXPECT_EQ(clipboard(QStringLiteral("text/tab-separated-values")), clipboard(QStringLiteral("text/plain")));

    // Comma-separated cells follow the CSV rules: no blank after the comma, quoted cells.
    controller.copyAsCSV(nullptr);
    EXPECT_EQ(clipboard(QStringLiteral("text/csv")),
              QStringLiteral("Ann,home:1,\nBob,,\"Oak, \"\"big\"\"\"\nCy,home:3,a\\nb"));
    EXPECT_EQ(QMvCard::fieldsOfCsvLine(clipboard(QStringLiteral("text/csv")).split(u'\n')[1]),
              (QStringList{QStringLiteral("Bob"), QString(), QStringLiteral("Oak, \"big\"")}));

    controller.copyAsVCard(nullptr);
    const QString cards = clipboard(QStringLiteral("text/vcard"));
    EXPECT_EQ(cards.count(QStringLiteral("BEGIN:VCARD")), 3);
    EXPECT_TRUE(cards.contains(QStringLiteral("NOTE:Oak\\, \"big\"")));
    const QList<QUrl> urls = QApplication::clipboard()->mimeData()->urls();
    ASSERT_EQ(urls.size(), 1);
    const QString path = urls.first().toLocalFile();
    EXPECT_TRUE(path.startsWith(TempFiles::directory() + u'/'));
    EXPECT_TRUE(path.endsWith(QStringLiteral("/SelectedContacts.vcf")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), cards);
    EXPECT_EQ(clipboard(QStringLiteral("x-special/gnome-copied-files")),
              QStringLiteral("copy\n") + urls.first().toString(QUrl::FullyEncoded));

    // The next copy has a file of its own; the first one stays for whoever pastes it.
    controller.copyAsVCard(nullptr);
    EXPECT_NE(QApplication::clipboard()->mimeData()->urls().first().toLocalFile(), path);
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(TableClipboard, CopyWithoutAContactRowLeavesTheClipboard) {
    show({}, {FieldId::Name, FieldId::Phone});
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    controller.copy(nullptr);
    controller.copyAsCSV(nullptr);
    controller.copyAsVCard(nullptr);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

TEST_F(TableClipboard, CopyThenPasteGivesTheFieldsBackInTheirPlaces) {
    auto ann = contact(QStringLiteral("Ann"), QStringLiteral("555"), QStringLiteral("Hi"));
    LabeledValueRecord address = labeled(QStringLiteral("home"), QString());
    address.city = QStringLiteral("Springfield");
    ann->addAddressValue(address);
    ann->addEmailValue(labeled(QStringLiteral("work"), QStringLiteral("ann@example.com")));
    BirthdayRecord birthday;
    birthday.value = DateComponents(1980, 4, 5);
    ann->setBirthdayValue(birthday);
    PhoneticNameRecord phonetic;
    phonetic.lastName = QStringLiteral("Anu");
    ann->setValue(phonetic, FieldId::PhoneticName);
    show({ann}, {FieldId::Name, FieldId::Phone, FieldId::Address, FieldId::Email, FieldId::Birthday,
                 FieldId::PhoneticName, FieldId::Note});
    controller.selectRowIndexes({0});
    controller.copy(nullptr);
    keepTheTextAlone();
    controller.paste(nullptr);

    ASSERT_EQ(delegate.added.size(), 1);
    QMPerson &pasted = *delegate.added.first().person;
    EXPECT_TRUE(delegate.added.first().isNew);
    EXPECT_TRUE(pasted.created());
    EXPECT_EQ(pasted.nameValue().lastName, QStringLiteral("Ann"));
    // A labeled value comes back as the text copy wrote, its label in front.
    ASSERT_EQ(pasted.phoneValues().size(), 1);
    EXPECT_EQ(pasted.phoneValues().first().valueText(), QStringLiteral("home:555"));
    // The address takes its field, so the e-mail lands in its own.
    EXPECT_TRUE(pasted.addressValues().isEmpty());
    ASSERT_EQ(pasted.emailValues().size(), 1);
    EXPECT_EQ(pasted.emailValues().first().valueText(), QStringLiteral("work:ann@example.com"));
    ASSERT_TRUE(pasted.birthdayValue() && pasted.birthdayValue()->value);
    EXPECT_EQ(*pasted.birthdayValue()->value, DateComponents(1980, 4, 5));
    ASSERT_TRUE(pasted.phoneticNameValue());
    EXPECT_EQ(pasted.phoneticNameValue()->lastName, QStringLiteral("Anu"));
    EXPECT_EQ(pasted.stringValueForIdentifier(FieldId::Note), QStringLiteral("Hi"));
}

TEST_F(TableClipboard, OneContactFromALineOfText) {
    CustomItemDefinition pet;
    pet.name = QStringLiteral("Pet");
    pet.type = ValueKind::String;
    controller.windowState()->setCustomItems({pet});
    show({contact(QStringLiteral("Ann"), QStringLiteral("1"))},
         {FieldId::Name, FieldId::Phone, FieldId::City, FieldId::Street, QStringLiteral("Pet")});
    ASSERT_EQ(controller.clipboardIdentifiers().last(), QStringLiteral("Pet"));
    struct Case {
        QString text;
        QString name, phone, city, street, pet;
    };
    const QList<Case> cases = {
        // The first line holding more than blanks; fields are not trimmed.
        {QStringLiteral("\n  \r\nDoe\t 7\n\nnext"), QStringLiteral("Doe"), QStringLiteral(" 7"), {}, {}, {}},
        // Commas by the CSV rules when there is no tab.
        {QStringLiteral("\"Doe, Jane\",555,Paris"), QStringLiteral("Doe, Jane"), QStringLiteral("555"),
         QStringLiteral("Paris"), {}, {}},
        // Neither: the first field takes the whole text.
        {QStringLiteral("Just a name"), QStringLiteral("Just a name"), {}, {}, {}, {}},
        // Empty fields stay in place; a custom item takes its value.
        {QStringLiteral("\t\t\tMain St\tCat"), {}, {}, {}, QStringLiteral("Main St"), QStringLiteral("Cat")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const std::optional<ContactEntry> entry = controller.contactFromString(c.text);
        ASSERT_TRUE(entry);
        QMPerson &p = *entry->person;
        EXPECT_EQ(p.nameValue().lastName, c.name);
        EXPECT_EQ(p.phoneValues().isEmpty() ? QString() : p.phoneValues().first().valueText(), c.phone);
        const LabeledValueList addresses = p.addressValues();
        EXPECT_EQ(addresses.isEmpty() ? QString() : addresses.first().city, c.city);
        EXPECT_EQ(addresses.isEmpty() ? QString() : addresses.first().street, c.street);
        if (!addresses.isEmpty()) {
            EXPECT_EQ(addresses.first().labelText(), QStringLiteral("home"));
        }
        EXPECT_EQ(p.stringValueForIdentifier(QStringLiteral("Pet")), c.pet);
    }
    // Nothing to set adds nothing.
    for (const QString &empty : {QString(), QStringLiteral("\n \n"), QStringLiteral("\t\t")})
        EXPECT_FALSE(controller.contactFromString(empty));
    QApplication::clipboard()->setText(QStringLiteral("  "));
    controller.paste(nullptr);
    EXPECT_TRUE(delegate.added.isEmpty());
}

TEST_F(TableClipboard, WithOnlyTheNameShownCopyAndPasteUseEveryField) {
    auto ann = contact(QStringLiteral("Ann"), QStringLiteral("1"));
    ann->setValue(QStringLiteral("Acme"), FieldId::Company);
    show({ann}, {FieldId::Name});
    EXPECT_EQ(controller.clipboardIdentifiers(), QMPerson::allIdentifiers());
    controller.selectRowIndexes({0});
    controller.copy(nullptr);
    keepTheTextAlone();
    controller.paste(nullptr);
    ASSERT_EQ(delegate.added.size(), 1);
    EXPECT_EQ(delegate.added.first().person->stringValueForIdentifier(FieldId::Company), QStringLiteral("Acme"));
    EXPECT_EQ(delegate.added.first().person->phoneValues().first().valueText(), QStringLiteral("home:1"));
}

TEST_F(TableClipboard, PasteAddsTheCardsOfVCardDataOrAFile) {
    show({}, {FieldId::Name, FieldId::Phone});
    const QString card = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed\r\nN:Zed;;;;\r\nEND:VCARD\r\n");
    auto *data = new QMimeData;
    data->setData(QStringLiteral("text/vcard"), card.toUtf8());
    data->setText(QStringLiteral("Zed as text"));
    QApplication::clipboard()->setMimeData(data);
    controller.paste(nullptr);
    EXPECT_EQ(delegate.cards, QStringList{card});
    EXPECT_TRUE(delegate.added.isEmpty());

    // A file manager's copied file: a .vcf is read, anything else is no contact.
    const QString vcf = TempFiles::writeInNewFolder(QStringLiteral("copied.vcf"), card.toUtf8());
    const QString txt = TempFiles::writeInNewFolder(QStringLiteral("copied.txt"), QByteArray("Not a contact"));
    for (const QString &path : {vcf, txt}) {
        auto *files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(path)});
        QApplication::clipboard()->setMimeData(files);
        controller.paste(nullptr);
    }
    EXPECT_EQ(delegate.cards, (QStringList{card, card}));
    EXPECT_TRUE(delegate.added.isEmpty());
}

// Copy and Copy as CSV write a line per row, each with its own row's values; every route
// carries each contact once as a whole card, in the order of its first row, with the
// route's own lines (the photo on all but Copy as vCard).
TEST_F(TableClipboard, EveryRouteCarriesEachContactOnceAsAWholeCard) {
    CustomItemDefinition pet;
    pet.name = QStringLiteral("Pet");
    pet.type = ValueKind::String;
    controller.windowState()->setCustomItems({pet});
    auto ann = contact(QStringLiteral("Ann"), QStringLiteral("1"), QStringLiteral("Hi"));
    ann->addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("2")));
    ann->addCustomItem(ValueKind::String, QStringLiteral("Pet"), {}, std::nullopt);
    ann->setValue(QStringLiteral("Cat"), QStringLiteral("Pet"));
    QImage photo(8, 8, QImage::Format_RGB32);
    photo.fill(Qt::red);
    ann->setPhoto(photo);
    auto cy = contact(QStringLiteral("Cy"), QStringLiteral("4"));
    cy->addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("5")));
    show({ann, contact(QStringLiteral("Bob"), QStringLiteral("3")), cy}, {FieldId::Name, FieldId::Phone});
    ASSERT_EQ(controller.subContactTable().size(), 5u);
    // Ann's second row alone, Bob's, both of Cy's.
    const QList<int> rows = {1, 2, 3, 4};
    const QStringList rowValues = {QStringLiteral("Ann|work:2"), QStringLiteral("Bob|home:3"),
                                   QStringLiteral("Cy|home:4"), QStringLiteral("Cy|work:5")};

    struct Route {
        const char *name;
        std::function<std::pair<QString, QString>()> cardsAndText; // what a receiver reads
        QString separator;                                         // of lines per row; none: no such text
        bool photo;
    };
    std::unique_ptr<QMimeData> dragged;
    const auto copied = [this, &rows](void (ContactsViewController::*command)(QObject *)) {
        return [this, &rows, command] {
            controller.selectRowIndexes(rows);
            (controller.*command)(nullptr);
            return std::pair(clipboard(QStringLiteral("text/vcard")), clipboard(QStringLiteral("text/plain")));
        };
    };
    const QList<Route> routes = {
        {"Copy", copied(&ContactsViewController::copy), QStringLiteral("\t"), true},
        {"Copy as CSV", copied(&ContactsViewController::copyAsCSV), QStringLiteral(","), true},
        {"Copy as vCard", copied(&ContactsViewController::copyAsVCard), {}, false},
        {"drag",
         [&] {
             dragged = drag(rows);
             const Pasteboard info(dragged.get());
             return std::pair(info.stringForType(PasteboardType::VCard), QString());
         },
         {}, true},
    };
    for (const Route &route : routes) {
        SCOPED_TRACE(route.name);
        QApplication::clipboard()->clear();
        const auto [cards, text] = route.cardsAndText();
        QStringList names;
        for (const QString &line : cards.split(QStringLiteral("\r\n")))
            if (line.startsWith(QStringLiteral("FN:")))
                names.append(line.mid(3));
        EXPECT_EQ(names, (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Cy")}));
        const QString annCard = cards.section(QStringLiteral("END:VCARD"), 0, 0);
        EXPECT_EQ(annCard.count(QStringLiteral("\r\nTEL")), 2);
        EXPECT_TRUE(annCard.contains(QStringLiteral("\r\nNOTE:Hi\r\n")));
        EXPECT_TRUE(annCard.contains(QStringLiteral("\r\nX-Pet:Cat\r\n")));
        EXPECT_EQ(annCard.contains(QStringLiteral("\r\nPHOTO")), route.photo);
        if (!route.separator.isEmpty()) {
            QStringList expected = rowValues;
            expected.replaceInStrings(QStringLiteral("|"), route.separator);
            EXPECT_EQ(text, expected.join(u'\n'));
        }
    }
}

TEST_F(TableClipboard, ADragCarriesEachContactOnceAndItsRowNumbers) {
    auto ann = contact(QStringLiteral("Ann"), QStringLiteral("1"));
    ann->addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("2")));
    show({ann, contact(QStringLiteral("Bob"), QStringLiteral("3"))}, {FieldId::Name, FieldId::Phone});
    ASSERT_EQ(controller.subContactTable().size(), 3u);
    const int footer = 3;
    EXPECT_FALSE(drag({footer}));

    const std::unique_ptr<QMimeData> data = drag({1, 0, footer});
    ASSERT_TRUE(data);
    const Pasteboard info(data.get());
    EXPECT_TRUE(info.isFromView(controller.tableView()));
    EXPECT_EQ(info.stringForType(PasteboardType::StringIndexes), QStringLiteral("0,1"));
    EXPECT_EQ(info.stringForType(PasteboardType::LabelIndex), QStringLiteral("0"));
    // The fixed fields, the first value of each: one line and one card for the contact.
    EXPECT_EQ(info.stringForType(), QStringLiteral("Ann\t\thome:1") + QString(u'\t').repeated(15));
    EXPECT_EQ(info.stringForType(PasteboardType::TabSeparatedText), info.stringForType());
    EXPECT_EQ(info.stringForType(PasteboardType::VCard).count(QStringLiteral("BEGIN:VCARD")), 1);
    // The file is written when a receiver asks for it, in a folder of its own.
    const QList<QUrl> files = info.fileURLs();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.first().toLocalFile().endsWith(QStringLiteral("/draggingContacts.vcf")));
    QFile file(files.first().toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), info.stringForType(PasteboardType::VCard));

    const std::unique_ptr<QMimeData> second = drag({2, 1});
    const Pasteboard both(second.get());
    EXPECT_EQ(both.stringForType(PasteboardType::LabelIndex), QStringLiteral("1"));
    EXPECT_EQ(both.stringForType().count(u'\n'), 1);
    EXPECT_EQ(both.stringForType(PasteboardType::VCard).count(QStringLiteral("BEGIN:VCARD")), 2);
}

TEST_F(TableClipboard, DropsAreTakenBetweenContactRowsWhileEditing) {
    show({contact(QStringLiteral("Ann"), QStringLiteral("1")), contact(QStringLiteral("Bob"), {})},
         {FieldId::Name, FieldId::Phone});
    const std::unique_ptr<QMimeData> own = drag({0});
    // Another view of the program: the detail panel's drag.
    auto panelDrag = Pasteboard::forDragging();
    QWidget panel;
    panelDrag->setSource(&panel, &panel);
    panelDrag->setData(QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cy\r\nN:Cy;;;;\r\nEND:VCARD\r\n"),
                       PasteboardType::VCard);
    const std::unique_ptr<QMimeData> panelData(panelDrag->takeMimeData());
    QMimeData text;
    text.setText(QStringLiteral("Dee\t4"));
    QMimeData image;
    image.setImageData(QImage(4, 4, QImage::Format_RGB32));

    using Op = TableViewDropOperation;
    const Qt::DropAction every = EveryDropOperation;
    struct Case {
        const QMimeData *data;
        int row;
        Op operation;
        bool editing;
        Qt::DropAction expected;
    };
    const QList<Case> cases = {
        {panelData.get(), 1, Op::Above, true, every},
        {panelData.get(), 0, Op::Above, true, every},
        {panelData.get(), 1, Op::On, true, Qt::IgnoreAction},
        {panelData.get(), 2, Op::Above, true, Qt::IgnoreAction}, // after the last contact row
        {panelData.get(), 1, Op::Above, false, Qt::IgnoreAction},
        {own.get(), 1, Op::Above, true, Qt::IgnoreAction},     // from the table itself
        {&text, 1, Op::Above, true, every},
        {&image, 1, Op::Above, true, Qt::IgnoreAction},
    };
    for (const Case &c : cases) {
        controller.windowState()->setEditState(c.editing);
        EXPECT_EQ(controller.tableViewValidateDrop(Pasteboard(c.data), c.row, c.operation), c.expected)
            << "row " << c.row << (c.operation == Op::On ? " on" : " above") << (c.editing ? "" : " locked");
    }
    controller.windowState()->setEditState(true);

    EXPECT_TRUE(controller.tableViewAcceptDrop(Pasteboard(panelData.get()), 1, Op::Above));
    ASSERT_EQ(delegate.cards.size(), 1);
    EXPECT_TRUE(delegate.cards.first().contains(QStringLiteral("FN:Cy")));
    EXPECT_TRUE(controller.tableViewAcceptDrop(Pasteboard(&text), 1, Op::Above));
    ASSERT_EQ(delegate.added.size(), 1);
    EXPECT_EQ(delegate.added.first().person->nameValue().lastName, QStringLiteral("Dee"));
    EXPECT_FALSE(controller.tableViewAcceptDrop(Pasteboard(&image), 1, Op::Above));
}

TEST_F(TableClipboard, AnEmptyTableTakesADropAnywhereBetweenRows) {
    show({}, {FieldId::Name, FieldId::Phone});
    QMimeData text;
    text.setText(QStringLiteral("Dee"));
    EXPECT_EQ(controller.tableViewValidateDrop(Pasteboard(&text), 0, TableViewDropOperation::Above),
              EveryDropOperation);
}

} // namespace
