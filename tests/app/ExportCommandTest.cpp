#include "tests/app/TransferTestSupport.h"

#include "app/transfer/ExportCommand.h"
#include "platform/core/UndoManager.h"
#include "state/ActionIds.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <future>

namespace tessarin {
using namespace transfer_test;

namespace {

QString scratchPath(const QString &name) {
    return testScratchDirectory() + QLatin1Char('/') + name;
}

// What our own reader makes of a written file: the names in order and, per group, its names.
struct ReadBack {
    QStringList names;
    QMap<QString, QStringList> groups;
    QStringList hobbies;
};

ReadBack readBack(const QString &path) {
    ReadBack back;
    const auto containers = QMvCard().containersFromVCards(QString::fromUtf8(fileBytes(path)));
    if (!containers || containers->isEmpty())
        return back;
    for (const SharedGroup &group : containers->first().groups) {
        if (group->top)
            back.names = names(*group->contactTable);
        else
            back.groups.insert(group->name, names(*group->contactTable));
    }
    for (const SharedGroup &group : containers->first().groups)
        if (group->top)
            for (const ContactEntry &entry : std::as_const(*group->contactTable))
                back.hobbies.append(entry.person->stringValueForCustomIdentifier(QStringLiteral("HOBBY"), 0));
    return back;
}

// The cards as python3-vobject reads them: FN and the categories of each.
QJsonArray readWithVobject(const QString &path) {
    static const char *script = R"(
import json, sys, vobject
cards = []
for card in vobject.readComponents(open(sys.argv[1], encoding="utf-8", newline="").read()):
    cards.append({"fn": card.fn.value,
                  "categories": [c for line in card.contents.get("categories", []) for c in line.value],
                  "hobby": [x.value for x in card.contents.get("x-hobby", [])]})
print(json.dumps(cards))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!python.waitForFinished(60000)) {
        ADD_FAILURE() << "python3 did not finish";
        return {};
    }
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

class ExportTest : public TransferTest {
protected:
    // Answers the save panel with the path, keeping what it was shown.
    void saveAs(const QString &path) {
        dialogs.answerPanel([this, path](const OpenPanel *, const SavePanel *panel) {
            if (panel)
                savePanel = *panel;
            return PanelResult{ModalResponse::OK, {QUrl::fromLocalFile(path)}};
        });
    }

    SavePanel savePanel;
};

} // namespace

TEST(ExportFileName, ReplacesWhatCannotStandInAFileName) {
    EXPECT_EQ(exportFileName(QStringLiteral("Ann Abe"), QStringLiteral(".vcf")),
              QStringLiteral("Ann Abe.vcf"));
    EXPECT_EQ(exportFileName(QStringLiteral("AC/DC\tLtd\n"), QStringLiteral(".csv")),
              QStringLiteral("AC-DC-Ltd-.csv"));
    EXPECT_EQ(exportFileName(QStringLiteral("安藤 : *?"), QStringLiteral(".vcf")),
              QStringLiteral("安藤 : *?.vcf"));
}

TEST(ExportContacts, EachSelectedContactOnceInTheTablesOrder) {
    ContactTable table;
    for (const char *name : {"Ann", "Bob", "Cid", "Dee"}) {
        auto person = std::make_shared<QMPerson>();
        NameRecord record;
        record.firstName = QString::fromLatin1(name);
        person->setNameValue(record, FieldId::Name);
        table.append(ContactEntry::withPerson(person));
    }
    table[2].deleted = true;
    const ContactEntry stranger = ContactEntry::withPerson(std::make_shared<QMPerson>());
    // Positions in the table (-1 is an entry the table lacks), in the table's order or not.
    const struct {
        QList<int> selected;
        QStringList exported;
    } cases[] = {
        {{3, 1, 3, -1, 2}, {"Dee", "Bob"}},
        {{0, 1, 2, 3}, {"Ann", "Bob", "Dee"}},
        {{1, 3}, {"Bob", "Dee"}},
        {{0, 3, -1}, {"Ann", "Dee"}},
        {{-1, 0, 3}, {"Ann", "Dee"}},
        {{1, 1, 3}, {"Bob", "Dee"}},
        {{3, 0}, {"Dee", "Ann"}},
        {{}, {}},
    };
    for (const auto &c : cases) {
        QList<ContactEntry> selection;
        for (const int at : c.selected)
            selection.append(at < 0 ? stranger : table[at]);
        EXPECT_EQ(names(contactsToExport(selection, table)), c.exported) << c.selected.size();
    }
}

TEST(ExportContacts, APieceWiseBuildKeepsTheOrderAndStops) {
    ContactTable contacts;
    for (int i = 0; i < 5000; ++i) {
        auto person = std::make_shared<QMPerson>();
        NameRecord record;
        record.firstName = QStringLiteral("Person%1").arg(i);
        person->setNameValue(record, FieldId::Name);
        contacts.append(ContactEntry::withPerson(person));
    }
    auto snapshot = std::make_shared<const ExportSnapshot>(takeExportSnapshot(contacts, nullptr, {}));
    std::atomic<quint64> calls{0};
    const std::optional<QString> text = vCardsFromSnapshot(snapshot, [&](bool *, quint64) { ++calls; });
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(calls.load(), 5000u);
    const QStringList options = {"Photo", "Note", "Custom", "Categories"};
    EXPECT_EQ(*text,
              *QMvCard().vCardsFromContacts(contacts, options, nullptr, {}, QList<CustomItemDefinition>()));
    // The snapshot holds copies: the window's records are not the ones written.
    EXPECT_NE(snapshot->contacts.first().person, contacts.first().person);
    EXPECT_EQ(snapshot->contacts.first().uniqueId, contacts.first().uniqueId);

    const std::optional<QString> stopped = vCardsFromSnapshot(snapshot, [](bool *stop, quint64 index) {
        if (index == 100)
            *stop = true;
    });
    EXPECT_FALSE(stopped.has_value());
}

namespace {

// A file's contacts as a window holds them, with its container and custom items.
struct ReadFile {
    QString path;
    std::shared_ptr<ContainerTable> containers;
    ContactTable contacts;
    QList<CustomItemDefinition> items;
};

// Every card of the sample files from other programs and of the inputs that once lost data:
// photos, notes, dates, custom items, categories.
QList<ReadFile> sampleFiles() {
    QList<ReadFile> files;
    for (const QString &folder : {QStringLiteral(TESSARIN_TESTDATA_DIR),
                                  QStringLiteral(TESSARIN_TESTDATA_DIR "/../hazards")}) {
        QDirIterator paths(folder, {QStringLiteral("*.vcf")}, QDir::Files, QDirIterator::Subdirectories);
        while (paths.hasNext()) {
            ReadFile file;
            file.path = paths.next();
            file.containers = QMvCard().containersFromVCards(QString::fromUtf8(fileBytes(file.path)));
            if (!file.containers || file.containers->isEmpty())
                continue;
            file.contacts = *QMvCard::contactsInContainer(file.containers->first());
            for (const ContactEntry &entry : file.contacts)
                for (const CustomItemDefinition &item : entry.person->customItems())
                    if (std::none_of(file.items.begin(), file.items.end(),
                                     [&](const auto &known) { return known.name == item.name; }))
                        file.items.append(item);
            files.append(file);
        }
    }
    return files;
}

const QStringList exportOptions = {"Photo", "Note", "Custom", "Categories"};

QString writtenDirectly(const ReadFile &file) {
    return *QMvCard().vCardsFromContacts(file.contacts, exportOptions, &file.containers->first(), {},
                                         file.items);
}

} // namespace

TEST(ExportContacts, TheSnapshotWritesWhatTheWindowsRecordsWould) {
    const QList<ReadFile> files = sampleFiles();
    ASSERT_GT(files.size(), 10);
    QString all;
    for (const ReadFile &file : files) {
        const auto snapshot = std::make_shared<const ExportSnapshot>(
            takeExportSnapshot(file.contacts, &file.containers->first(), file.items));
        const QString direct = writtenDirectly(file);
        EXPECT_EQ(*vCardsFromSnapshot(snapshot, {}), direct) << file.path.toStdString();
        all += direct;
    }
    EXPECT_TRUE(all.contains(QStringLiteral("\r\nPHOTO;")));
    EXPECT_TRUE(all.contains(QStringLiteral("\r\nNOTE:")));
    EXPECT_TRUE(all.contains(QStringLiteral("\r\nCATEGORIES:")));
    EXPECT_TRUE(all.contains(QStringLiteral("\r\nX-")));
}

TEST(ExportContacts, EditsAfterTheSnapshotDoNotReachTheFile) {
    const QList<ReadFile> files = sampleFiles();
    for (const ReadFile &file : files) {
        const QString before = writtenDirectly(file);
        const auto snapshot = std::make_shared<const ExportSnapshot>(
            takeExportSnapshot(file.contacts, &file.containers->first(), file.items));
        // The build runs while the window goes on editing every contact and its groups.
        std::future<std::optional<QString>> written =
            std::async(std::launch::async, [snapshot] { return vCardsFromSnapshot(snapshot, {}); });
        for (const ContactEntry &entry : file.contacts) {
            QMPerson &person = *entry.person;
            NameRecord name = person.nameValue();
            name.firstName += QStringLiteral(" edited");
            person.setNameValue(name, FieldId::Name);
            person.setValue(FieldValue(QStringLiteral("edited note")), FieldId::Note);
            LabeledValueRecord phone;
            phone.label = QStringLiteral("home");
            phone.value = QStringLiteral("+1 555 0100");
            person.addPhoneValue(phone);
            person.replaceEmailValue(LabeledValueList());
            if (std::optional<LabeledValueList> addresses = person.labeledValueForIdentifier(FieldId::Address);
                addresses && !addresses->isEmpty()) {
                (*addresses)[0].city = QStringLiteral("Edited City");
                person.replaceAddressValue((*addresses)[0]);
            }
            person.setPhoto(QImage());
            for (const QString &item : person.customIdentifiers())
                if (person.typeForIdentifier(item) == ValueKind::String)
                    person.setValueForCustomIdentifier(QStringLiteral("edited"), item, 0);
        }
        for (const SharedGroup &group : file.containers->first().groups) {
            group->name += QStringLiteral(" edited");
            for (ContactEntry &entry : *group->contactTable)
                entry.deleted = !group->top;
        }
        const std::optional<QString> text = written.get();
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(*text, before) << file.path.toStdString();
        if (!file.contacts.isEmpty()) {
            EXPECT_NE(writtenDirectly(file), before) << file.path.toStdString();
        }
    }
}

TEST_F(ExportTest, WritesTheSelectionInTableOrderAndReadsBackTheSame) {
    TestDocument *document = open();
    // Dee first; Bob through his second row only, Ann through both of hers.
    selectContacts(document, {"Dee Dunn", "Ann Abe"});
    const QList<int> deeAndAnn = content(document)->contactsViewController()->selectedRowIndexes();
    selectContacts(document, {"Bob Baker"}, true);
    QList<int> rows = deeAndAnn + content(document)->contactsViewController()->selectedRowIndexes();
    content(document)->contactsViewController()->selectRowIndexes(rows);
    ASSERT_EQ(rows.size(), 4);
    const QString path = scratchPath(QStringLiteral("chosen elsewhere.vcf"));
    QFile::remove(path);
    saveAs(path);
    perform(document, ActionId::ExportToVCard);

    EXPECT_EQ(savePanel.nameFieldLabel, QStringLiteral("Export As:"));
    EXPECT_EQ(savePanel.directory, QFileInfo(testScratchDirectory() + QStringLiteral("/Sample.vcf")).absolutePath());
    EXPECT_EQ(savePanel.nameFieldStringValue, QStringLiteral("Ann Abe.vcf"));
    EXPECT_EQ(savePanel.allowedContentTypes, (QStringList{"public.vcard", "public.plain-text"}));
    // The message names the proposed file, not the one typed in the panel.
    EXPECT_EQ(document->controller->progressAlert()->alertMessage()->text(),
              QStringLiteral("Writing the file: Ann Abe.vcf"));
    EXPECT_FALSE(document->controller->isExporting());
    EXPECT_TRUE(alertTexts().isEmpty());

    const QByteArray written = fileBytes(path);
    EXPECT_EQ(written.count("BEGIN:VCARD"), 3);
    EXPECT_TRUE(written.contains("\r\nX-HOBBY:Chess\r\n")) << written.toStdString();
    const ReadBack back = readBack(path);
    EXPECT_EQ(back.names, (QStringList{"Ann Abe", "Bob Baker", "Dee Dunn"}));
    EXPECT_EQ(back.groups.value(QStringLiteral("Friends")), (QStringList{"Ann Abe", "Bob Baker"}));
    // Nothing is left beside the file.
    EXPECT_EQ(QDir(testScratchDirectory()).entryList({QStringLiteral("*chosen elsewhere*")}, QDir::Files),
              (QStringList{"chosen elsewhere.vcf"}));
}

TEST_F(ExportTest, TheWindowsChangesAndGroupsReachTheFileAndAnotherReader) {
    TestDocument *document = open();
    ViewController *view = content(document);
    const ContainerRecord &container = view->containerTable()->first();
    const SharedGroup friends = container.groups.value(1);
    ASSERT_TRUE(friends && friends->name == QStringLiteral("Friends"));
    // Renamed group, a contact deleted, a new group holding Cid, a deleted group.
    view->undoChangeGroupName(QStringLiteral("Pals"), friends);
    const ContactTable all = *container.groups.first()->contactTable;
    view->undoDeleteContacts({all[0]}, container.groups.first(), true);
    auto club = std::make_shared<GroupRecord>();
    club->name = QStringLiteral("Club");
    club->containerIdentifier = container.identifier;
    club->identifier = QStringLiteral("club-id");
    view->undoAddGroup(club, container.identifier);
    view->undoAddContacts({all[2]}, club);
    auto gone = std::make_shared<GroupRecord>();
    gone->name = QStringLiteral("Gone");
    gone->containerIdentifier = container.identifier;
    view->undoAddGroup(gone, container.identifier);
    view->undoAddContacts({all[3]}, gone);
    view->undoDeleteGroup(gone, container.identifier);
    view->groupSelectionDidChange(view->containerTable()->first().groups.first());

    QTableView *rows = view->contactsViewController()->tableView();
    rows->selectAll();
    const QString path = scratchPath(QStringLiteral("changed.vcf"));
    saveAs(path);
    perform(document, ActionId::ExportToVCard);

    const ReadBack back = readBack(path);
    EXPECT_EQ(back.names, (QStringList{"Bob Baker", "Cid Cole", "Dee Dunn"}));
    EXPECT_EQ(back.groups.keys(), (QStringList{"Club", "Pals"}));
    EXPECT_EQ(back.groups.value(QStringLiteral("Pals")), (QStringList{"Bob Baker"}));
    EXPECT_EQ(back.groups.value(QStringLiteral("Club")), (QStringList{"Cid Cole"}));
    EXPECT_EQ(back.hobbies, (QStringList{"", "", "Chess"}));

    const QJsonArray cards = readWithVobject(path);
    ASSERT_EQ(cards.size(), 3);
    EXPECT_EQ(cards[0].toObject()["fn"].toString(), QStringLiteral("Bob Baker"));
    EXPECT_EQ(cards[0].toObject()["categories"].toArray(), QJsonArray({"Pals"}));
    EXPECT_EQ(cards[1].toObject()["categories"].toArray(), QJsonArray({"Club"}));
    EXPECT_EQ(cards[2].toObject()["fn"].toString(), QStringLiteral("Dee Dunn"));
    EXPECT_EQ(cards[2].toObject()["categories"].toArray(), QJsonArray());
    EXPECT_EQ(cards[2].toObject()["hobby"].toArray(), QJsonArray({"Chess"}));
}

TEST_F(ExportTest, CancelInTheSavePanelWritesAndShowsNothing) {
    TestDocument *document = open();
    content(document)->contactsViewController()->selectRowIndexes({0});
    dialogs.cancelPanel();
    perform(document, ActionId::ExportToVCard);
    EXPECT_EQ(panelsShown(), 1);
    EXPECT_FALSE(document->controller->isExporting());
    EXPECT_TRUE(alertTexts().isEmpty());
    EXPECT_EQ(document->controller->progressAlert()->generation(), 0u);
}

TEST_F(ExportTest, CancelInTheProgressWindowLeavesTheOldFileAsItWas) {
    QString cards;
    for (int i = 0; i < 40; ++i)
        cards +=
            QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person%1;;;;\r\nFN:Person%1\r\nEND:VCARD\r\n")
                .arg(i);
    TestDocument *document = open(cards);
    content(document)->contactsViewController()->tableView()->selectAll();
    const QString path = scratchPath(QStringLiteral("kept.vcf"));
    const QByteArray before("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Old\r\nEND:VCARD\r\n");
    writeTestFile(QStringLiteral("kept.vcf"), before);

    bool secondCommandShowedPanel = true;
    const auto connection = onProgress(document, [&] {
        const int panels = panelsShown();
        // Any of the four commands does nothing while one is under way.
        perform(document, ActionId::ExportToVCard);
        perform(document, ActionId::ImportFromVCard);
        perform(document, ActionId::ImportFromCSV);
        perform(document, ActionId::ExportToCSV);
        secondCommandShowedPanel = panelsShown() != panels;
        pressCancel(document);
    });
    saveAs(path);
    perform(document, ActionId::ExportToVCard);
    QObject::disconnect(connection);

    EXPECT_FALSE(secondCommandShowedPanel);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(testScratchDirectory()).entryList({QStringLiteral("kept*")}, QDir::Files),
              (QStringList{"kept.vcf"}));
    EXPECT_TRUE(alertTexts().isEmpty());
    EXPECT_FALSE(document->controller->isExporting());

    // The cancelled build's late posts do not end the next run, which writes the file.
    saveAs(path);
    perform(document, ActionId::ExportToVCard);
    EXPECT_EQ(fileBytes(path).count("BEGIN:VCARD"), 40);
    EXPECT_FALSE(document->controller->isExporting());
}

TEST_F(ExportTest, AFailedWriteShowsTheAlertAndLeavesTheTargetAlone) {
    TestDocument *document = open();
    content(document)->contactsViewController()->selectRowIndexes({0});
    // A folder where the file should go: the rename over it fails after the text was written.
    const QString folder = scratchPath(QStringLiteral("occupied.vcf"));
    QDir().mkpath(folder);
    writeTestFile(QStringLiteral("occupied.vcf/inside.txt"), "keep me");
    saveAs(folder);
    perform(document, ActionId::ExportToVCard);
    EXPECT_EQ(alertTexts(),
              (QStringList{"Can't save the file | Something error happened in saving operation."}));
    EXPECT_EQ(fileBytes(folder + QStringLiteral("/inside.txt")), QByteArray("keep me"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(testScratchDirectory())
                  .entryList({QStringLiteral("occupied*")}, QDir::AllEntries | QDir::Hidden),
              (QStringList{"occupied.vcf"}));
    EXPECT_FALSE(document->controller->isExporting());
}

TEST_F(ExportTest, CsvExportWritesTheSelectionAtOnce) {
    TestDocument *document = open();
    selectContacts(document, {"Cid Cole", "Ann Abe"});
    const QString path = scratchPath(QStringLiteral("people.csv"));
    saveAs(path);
    perform(document, ActionId::ExportToCSV);
    EXPECT_EQ(savePanel.nameFieldLabel, QStringLiteral("Export As CSV:"));
    EXPECT_EQ(savePanel.nameFieldStringValue, QStringLiteral("Ann Abe.csv"));
    const ContactTable read = QMvCard().contactsFromCSV(QString::fromUtf8(fileBytes(path)));
    EXPECT_EQ(names(read), (QStringList{"Ann Abe", "Cid Cole"}));
    EXPECT_EQ(document->controller->progressAlert()->generation(), 0u);
    EXPECT_FALSE(document->controller->isExporting());
}

TEST_F(ExportTest, NoSelectionDoesNothing) {
    TestDocument *document = open();
    content(document)->contactsViewController()->selectRowIndexes({});
    document->controller->exportCommand()->exportToVCard();
    document->controller->exportCommand()->exportToCSV();
    EXPECT_EQ(panelsShown(), 0);
    EXPECT_FALSE(document->controller->isExporting());
}

} // namespace tessarin
