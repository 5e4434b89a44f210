#include "ContactsTableTestSupport.h"

#include <QHeaderView>
#include <QTest>

using namespace contacts_table_test;

namespace {

class ContactsTable : public ::testing::Test {
protected:
    void SetUp() override { factoryDefaults(); }

    // Shows the table as the window does: contacts handed over, then the view on screen.
    void show(const QList<std::shared_ptr<QMPerson>> &people,
              const QString &viewType = QStringLiteral("Phone")) {
        UserDefaults::standard().setObject(viewType, QStringLiteral("QM1DselectedViewType"));
        // The settings the table follows take what the test stored.
        controller.settings()->reload();
        people_ = people;
        controller.setDelegate(&delegate);
        controller.view()->resize(800, 600);
        controller.setContactTable(table(people));
        controller.setSubContactTableDirty(true);
        controller.reloadData();
        controller.view()->show();
        delegate.selections.clear();
        delegate.sorts.clear();
    }

    QTableView *view() { return controller.tableView(); }

    int rowOf(const std::shared_ptr<QMPerson> &p, qint64 labelIndex = 0) {
        const auto &rows = controller.subContactTable();
        for (size_t r = 0; r < rows.size(); ++r) {
            if (rows[r]->uniqueId == p->uniqueId() && rows[r]->labelIndex == labelIndex)
                return int(r);
        }
        return -1;
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect rect = view()->visualRect(view()->model()->index(row, 0));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }

    void clickHeader(int column) {
        QHeaderView *header = view()->horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    RecordingDelegate delegate;
    ContactsViewController controller;
    QList<std::shared_ptr<QMPerson>> people_;
};

std::shared_ptr<QMPerson> withPhones(const QString &name, const QStringList &phones) {
    auto p = person(name);
    for (const QString &phone : phones)
        p->addPhoneValue(labeled(QStringLiteral("home"), phone));
    return p;
}

TEST_F(ContactsTable, ColumnsOfTheViewTypeWithTheirSortKeys) {
    setColumns(QStringLiteral("Mine"),
               {FieldId::Name, FieldId::Email, FieldId::Phone, FieldId::PhoneticName});
    QVariantMap options = SortOptions::factorySortOptionsDict();
    QVariantMap email = options.value(FieldId::Email).toMap();
    email.insert(QStringLiteral("selected"), QStringLiteral("domain"));
    options.insert(FieldId::Email, email);
    QVariantMap phonetic = options.value(FieldId::PhoneticName).toMap();
    phonetic.insert(QStringLiteral("selected"), FieldId::PhoneticFirstName);
    options.insert(FieldId::PhoneticName, phonetic);
    UserDefaults::standard().setObject(options, QStringLiteral("QM1DsortOptionsDict"));
    UserDefaults::standard().setObject(QVariantMap{{FieldId::Phone, 90.0}},
                                       QStringLiteral("QM1DcolumnWidthDictionary"));
    show({person(QStringLiteral("A"))}, QStringLiteral("Mine"));

    EXPECT_EQ(controller.tableIdentfiers(),
              (QStringList{FieldId::Name, FieldId::Email, FieldId::Phone, FieldId::PhoneticName}));
    QStringList keys;
    for (const auto &column : controller.tableColumns())
        keys.append(column.sortDescriptorPrototype.key);
    EXPECT_EQ(keys, (QStringList{FieldId::CompositeName, QStringLiteral("Email domain"), FieldId::Phone,
                                 FieldId::PhoneticFirstName}));
    QHeaderView *header = view()->horizontalHeader();
    EXPECT_EQ(header->sectionSize(2), 90);  // stored
    EXPECT_EQ(header->sectionSize(1), 200); // default
    EXPECT_EQ(view()->model()->headerData(1, Qt::Horizontal).toString(),
              QMPerson::localizedIdentifierForKey(FieldId::Email));
    // A column is never narrower than 20.
    header->resizeSection(1, 5);
    EXPECT_EQ(header->sectionSize(1), 20);
}

TEST_F(ContactsTable, FooterNamesTheGroupAndCountsContacts) {
    show({withPhones(QStringLiteral("A"), {QStringLiteral("1"), QStringLiteral("2")}),
          withPhones(QStringLiteral("B"), {QStringLiteral("3"), QStringLiteral("4")}),
          withPhones(QStringLiteral("C"), {})});
    ASSERT_EQ(controller.subContactTable().size(), 5u);
    EXPECT_EQ(controller.numberOfRowsInTableView(), 6);
    EXPECT_EQ(view()->model()->rowCount(), 6);
    EXPECT_EQ(controller.footerText(), QStringLiteral("All Contacts: total 3 contacts"));
    EXPECT_EQ(view()->model()->index(5, 0).data().toString(),
              QStringLiteral("All Contacts: total 3 contacts"));
    EXPECT_EQ(view()->columnSpan(5, 0), 2);
    // The footer cannot be selected.
    clickRow(1);
    clickRow(5);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{1});
    EXPECT_FALSE(controller.shouldSelectRow(5));
}

TEST_F(ContactsTable, TheKeyboardStopsAboveTheFooter) {
    auto a = withPhones(QStringLiteral("A"), {QStringLiteral("1")});
    auto b = withPhones(QStringLiteral("B"), {QStringLiteral("2")});
    show({a, b});
    view()->setFocus();
    clickRow(0);
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{1});
    EXPECT_EQ(delegate.selections.last()->uniqueId, b->uniqueId());
    const qsizetype reports = delegate.selections.size();
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{1});
    EXPECT_EQ(delegate.selections.size(), reports);
}

TEST_F(ContactsTable, AddedLabelsJoinTheFieldsLabels) {
    controller.addLabel(std::nullopt, FieldId::Phone);
    controller.addLabel(QStringLiteral("Boat phone"), FieldId::Phone);
    EXPECT_TRUE(QMPerson::labelsForIdentifier(FieldId::Phone).value().contains(QStringLiteral("Boat phone")));
    QMPerson::setLabel(QStringLiteral("Boat phone"), QString(), FieldId::Phone);
}

TEST_F(ContactsTable, NoContactsShowOnlyTheFooter) {
    show({});
    EXPECT_EQ(controller.numberOfRowsInTableView(), 1);
    EXPECT_EQ(controller.footerText(), QStringLiteral("All Contacts: total 0 contacts"));
    EXPECT_TRUE(controller.selectedSubContacts().isEmpty());
    controller.setContactTable(nullptr);
    controller.reloadData();
    EXPECT_EQ(view()->model()->rowCount(), 0);
}

TEST_F(ContactsTable, ClickingARowTellsTheDelegate) {
    auto a = withPhones(QStringLiteral("A"), {QStringLiteral("1"), QStringLiteral("2")});
    auto b = withPhones(QStringLiteral("B"), {QStringLiteral("3")});
    show({a, b});
    clickRow(rowOf(b));
    ASSERT_EQ(delegate.selections.size(), 1);
    EXPECT_EQ(delegate.selections.last()->uniqueId, b->uniqueId());
    clickRow(rowOf(a, 1), Qt::ControlModifier);
    EXPECT_EQ(controller.selectedRowIndexes(), (QList<int>{1, 2}));
    EXPECT_EQ(delegate.selections.last()->labelIndex, 1);
    // Entries of the selected rows, each once and in the order of the rows.
    const QList<ContactEntry> entries = controller.selectedContacts();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].uniqueId, a->uniqueId());
    const QList<ContactEntry> clicked = controller.selectedContactsWithClickedRowIndex(3);
    ASSERT_EQ(clicked.size(), 2); // the footer is no row
}

TEST_F(ContactsTable, SelectedContactsFollowTheTableBeforeItsRowsAreBuiltAgain) {
    auto a = person(QStringLiteral("A"));
    auto b = person(QStringLiteral("B"));
    auto c = person(QStringLiteral("C"));
    show({c, b, a});
    controller.selectRowIndexes({rowOf(a), rowOf(c)});
    const auto ids = [&] {
        QStringList found;
        for (const ContactEntry &entry : controller.selectedContactsWithClickedRowIndex(-1))
            found.append(entry.uniqueId);
        return found;
    };
    // What the copies and drags carry: in the rows' order.
    const auto rowIds = [&] {
        QStringList found;
        for (const ContactEntry &entry : controller.selectedContacts())
            found.append(entry.uniqueId);
        return found;
    };
    // In the table's order, not the rows'.
    EXPECT_EQ(ids(), (QStringList{c->uniqueId(), a->uniqueId()}));
    EXPECT_EQ(rowIds(), (QStringList{a->uniqueId(), c->uniqueId()}));
    // An entry put in front moves every contact's position before the rows know.
    controller.contactTable()->prepend(ContactEntry::withPerson(person(QStringLiteral("Z"))));
    EXPECT_EQ(ids(), (QStringList{c->uniqueId(), a->uniqueId()}));
    EXPECT_EQ(rowIds(), (QStringList{a->uniqueId(), c->uniqueId()}));
    // A contact taken out and put back as a new entry is still the contact selected.
    ContactEntry moved = controller.contactTable()->takeAt(1);
    controller.contactTable()->append(moved);
    EXPECT_EQ(ids(), (QStringList{a->uniqueId(), c->uniqueId()}));
    EXPECT_EQ(rowIds(), (QStringList{a->uniqueId(), c->uniqueId()}));
    controller.contactTable()->last().deleted = true;
    EXPECT_EQ(rowIds(), (QStringList{a->uniqueId()}));
}

TEST_F(ContactsTable, HeaderClicksSortAndKeepTheSelectedValue) {
    auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("300"), QStringLiteral("100")});
    auto b = withPhones(QStringLiteral("Bert"), {QStringLiteral("200")});
    auto c = withPhones(QStringLiteral("Carl"), {});
    show({c, b, a});
    // By name: Anna's two rows, Bert, Carl.
    ASSERT_EQ(rowOf(a, 1), 1);
    clickRow(rowOf(a, 1)); // Anna's second phone, "100"
    clickHeader(1);        // Phone ascending
    ASSERT_EQ(delegate.sorts.size(), 1);
    EXPECT_EQ(delegate.sorts.last().first().key, FieldId::Phone);
    EXPECT_EQ(rowOf(a, 1), 0);
    EXPECT_EQ(rowOf(c), 3); // no phone: last
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{0});
    EXPECT_EQ(delegate.selections.last()->labelIndex, 1);
    clickHeader(1); // descending: empty still last
    EXPECT_FALSE(controller.sortDescriptors().first().ascending);
    EXPECT_EQ(rowOf(a), 0);
    EXPECT_EQ(rowOf(c), 3);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{rowOf(a, 1)});
    // Continuation rows are marked after each sort.
    EXPECT_FALSE(controller.subContactTable()[0]->notFirstRow);
    const QVariantMap last = UserDefaults::standard().dictionaryForKey(QStringLiteral("QM1DlastSortDesc"));
    EXPECT_EQ(last.value(QStringLiteral("key")).toString(), FieldId::Phone);
    EXPECT_FALSE(last.value(QStringLiteral("ascending")).toBool());
    // Another sort option of the sorted column keeps its direction.
    controller.sortOptionsChanged({FieldId::Phone, {FieldId::Phone, QStringLiteral("label")}, QStringLiteral("label")},
                                  FieldId::Phone);
    EXPECT_EQ(controller.sortDescriptors().first().key, QStringLiteral("Phone label"));
    EXPECT_FALSE(controller.sortDescriptors().first().ascending);
}

TEST_F(ContactsTable, StoredSortIsTakenOnlyForAShownColumn) {
    auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("2")});
    auto b = withPhones(QStringLiteral("Bert"), {QStringLiteral("1")});
    UserDefaults::standard().setObject(QVariantMap{{QStringLiteral("key"), QStringLiteral("Email domain")},
                                                   {QStringLiteral("ascending"), true}},
                                       QStringLiteral("QM1DlastSortDesc"));
    show({a, b});
    EXPECT_EQ(controller.sortDescriptors().value(0).key, FieldId::CompositeName);
    EXPECT_EQ(rowOf(a), 0);

    ContactsViewController second;
    RecordingDelegate other;
    second.setDelegate(&other);
    second.settings()->setLastSortDesc({FieldId::Phone, true});
    second.setContactTable(table({a, b}));
    second.setSubContactTableDirty(true);
    second.view()->show();
    EXPECT_EQ(second.sortDescriptors().value(0).key, FieldId::Phone);
    EXPECT_EQ(second.subContactTable().front()->uniqueId, b->uniqueId());
}

TEST_F(ContactsTable, SortOptionsOfACustomItemSortByItsLabel) {
    CustomItemDefinition boat;
    boat.name = QStringLiteral("Boat");
    boat.type = ValueKind::Labeled;
    auto a = person(QStringLiteral("Anna"));
    a->addCustomItem(ValueKind::Labeled, boat.name, std::nullopt, std::nullopt);
    a->addLabeledValue(labeled(QStringLiteral("work"), QStringLiteral("x")), boat.name);
    auto b = person(QStringLiteral("Bert"));
    b->addCustomItem(ValueKind::Labeled, boat.name, std::nullopt, std::nullopt);
    b->addLabeledValue(labeled(QStringLiteral("home"), QStringLiteral("y")), boat.name);
    controller.windowState()->setCustomItems({boat});
    UserDefaults::standard().setObject(SortOptions::factorySortOptionsDict({boat}),
                                       QStringLiteral("QM1DsortOptionsDict"));
    setColumns(QStringLiteral("Boats"), {FieldId::Name, boat.name});
    show({a, b}, QStringLiteral("Boats"));
    controller.sortOptionSelected(boat.name, QStringLiteral("label"));
    EXPECT_EQ(controller.sortDescriptors().first().key, QStringLiteral("Boat label"));
    EXPECT_EQ(controller.subContactTable().front()->uniqueId, b->uniqueId()); // "home" before "work"
    EXPECT_EQ(UserDefaults::standard()
                  .dictionaryForKey(QStringLiteral("QM1DsortOptionsDict"))
                  .value(boat.name)
                  .toMap()
                  .value(QStringLiteral("selected")),
              QStringLiteral("label"));
    // Another option of a field column keeps the column's direction.
    controller.sortOptionsChanged(SortOptions::factoryEntries().value(3), FieldId::Email);
    EXPECT_EQ(controller.sortDescriptors().first().key, QStringLiteral("Boat label")); // Email is not shown
}

TEST_F(ContactsTable, RowHeightsFollowTheTallestCell) {
    setColumns(QStringLiteral("Notes"), {FieldId::Name, FieldId::Note, FieldId::Company});
    UserDefaults::standard().setBool(true, QStringLiteral("QM1DshowCompanyInNameCell"));
    auto noted = person(QStringLiteral("Noted"));
    noted->setValue(QStringLiteral("1\n2\n3\n4\n5\n6\n7"), FieldId::Note);
    auto employed = withPhones(QStringLiteral("Employed"), {});
    employed->setValue(QStringLiteral("Firm"), FieldId::Company);
    auto plain = person(QStringLiteral("Plain"));
    controller.view(); // reads the preference
    show({noted, employed, plain}, QStringLiteral("Notes"));
    EXPECT_EQ(controller.rowHeight(), 20);
    EXPECT_EQ(view()->rowHeight(rowOf(noted)), 100);
    EXPECT_EQ(view()->rowHeight(rowOf(employed)), 40);
    EXPECT_EQ(view()->rowHeight(rowOf(plain)), 20);
    EXPECT_EQ(view()->rowHeight(3), 20); // footer
    const ContactsTableCell name = controller.viewForTableColumn(FieldId::Name, rowOf(employed));
    EXPECT_EQ(name.kind, ContactsTableCell::DetailCell);
    EXPECT_EQ(name.detailText, QStringLiteral("Firm"));

    // A larger font: h + 9 from its line metrics; the rows keep their line counts.
    QFont large = QApplication::font();
    large.setPixelSize(24);
    controller.setSelectedFont(large);
    EXPECT_GT(controller.rowHeight(), 24 + 9 - 1);
    EXPECT_EQ(view()->rowHeight(rowOf(noted)), 5 * controller.rowHeight());
}

TEST_F(ContactsTable, ContinuationRowsShowNoName) {
    auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("1"), QStringLiteral("2")});
    a->setValue(QStringLiteral("Firm"), FieldId::Company);
    show({a});
    const ContactsTableCell first = controller.viewForTableColumn(FieldId::Name, 0);
    EXPECT_EQ(first.text, QStringLiteral("Anna"));
    EXPECT_FALSE(first.image.isNull());
    const ContactsTableCell second = controller.viewForTableColumn(FieldId::Name, 1);
    EXPECT_EQ(second.kind, ContactsTableCell::ImageAndText);
    EXPECT_TRUE(second.text.isEmpty());
    EXPECT_TRUE(second.image.isNull());
    const ContactsTableCell phone = controller.viewForTableColumn(FieldId::Phone, 1);
    ASSERT_EQ(phone.kind, ContactsTableCell::PopupAndText);
    EXPECT_EQ(phone.popup->content().text, QStringLiteral("2"));
    EXPECT_EQ(phone.popup->labelIndex(), 1);
    EXPECT_EQ(controller.viewForTableColumn(FieldId::Phone, 5).kind, ContactsTableCell::None);
}

TEST_F(ContactsTable, AFilteredLabelLeavesAnEmptyPopupCell) {
    auto a = person(QStringLiteral("Anna"));
    a->addPhoneValue(labeled(QStringLiteral("home"), QStringLiteral("1")));
    a->addPhoneValue(labeled(QStringLiteral("mobile"), QStringLiteral("2")));
    show({a});
    controller.settings()->setSelectedLabels({QStringLiteral("mobile")});
    controller.updateTable();
    ASSERT_EQ(controller.subContactTable().size(), 2u);
    const ContactsTableCell cell = controller.viewForTableColumn(FieldId::Phone, 0);
    ASSERT_EQ(cell.kind, ContactsTableCell::PopupAndText);
    EXPECT_FALSE(cell.popup->content().popupVisible);
    EXPECT_TRUE(cell.popup->content().text.isEmpty());
}

TEST_F(ContactsTable, FindHighlightsInUtf16Units) {
    auto japanese = person(QString::fromUtf8("太郎"), QString::fromUtf8("山田"));
    japanese->setNameValue(
        [] {
            NameRecord n;
            n.firstName = QString::fromUtf8("\U0001F600太郎");
            n.lastName = QString::fromUtf8("山田");
            n.nameOrdering = 2;
            return n;
        }(),
        FieldId::Name);
    show({japanese});
    const QString name = controller.viewForTableColumn(FieldId::Name, 0).text;
    ASSERT_EQ(name, QString::fromUtf8("山田 \U0001F600太郎"));
    controller.windowState()->setFindString(QString::fromUtf8("太郎"));
    FindTarget target;
    target.uniqueId = japanese->uniqueId();
    target.identifier = FieldId::Name;
    target.range = {5, 2};
    controller.selectItemAndRange(target);
    const ContactsTableCell cell = controller.viewForTableColumn(FieldId::Name, 0);
    EXPECT_EQ(cell.highlights, (TextHighlights{{5, 2, TextHighlight::CurrentMatch}}));
    controller.windowState()->setFindString(QString::fromUtf8("\U0001F600"));
    target.range = {};
    controller.selectItemAndRange(target);
    EXPECT_EQ(controller.viewForTableColumn(FieldId::Name, 0).highlights,
              (TextHighlights{{3, 2, TextHighlight::FindMatch}}));
}

TEST_F(ContactsTable, FindMatchSelectsOnlyRowsOfItsContact) {
    auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("1"), QStringLiteral("2")});
    auto b =
        withPhones(QStringLiteral("Bert"), {QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
    auto gone = withPhones(QStringLiteral("Gone"), {});
    show({a, b});
    FindTarget target;
    target.uniqueId = b->uniqueId();
    target.identifier = FieldId::Phone;
    target.labelIndex = 2;
    controller.selectItemAndRange(target);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{rowOf(b, 2)});
    ASSERT_EQ(delegate.selections.size(), 1);
    EXPECT_EQ(delegate.selections.last()->labelIndex, 2);
    // Anna has no third value: her first row, reported.
    target.uniqueId = a->uniqueId();
    controller.selectItemAndRange(target);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{rowOf(a)});
    EXPECT_EQ(delegate.selections.size(), 2);
    EXPECT_EQ(delegate.selections.last()->uniqueId, a->uniqueId());
    // A contact without rows: the selection stays, nothing reported.
    target.uniqueId = gone->uniqueId();
    controller.selectItemAndRange(target);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{rowOf(a)});
    EXPECT_EQ(delegate.selections.size(), 2);
}

TEST_F(ContactsTable, UpdateTableKeepsTheContactOrTheValue) {
    auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("300"), QStringLiteral("100")});
    auto b = withPhones(QStringLiteral("Bert"), {QStringLiteral("200")});
    show({b, a});
    clickRow(rowOf(a, 1));
    b->setNameValue(
        [] {
            NameRecord n;
            n.firstName = QStringLiteral("Aaron");
            n.nameOrdering = 1;
            return n;
        }(),
        FieldId::Name);
    controller.updateTable(); // sorted by Name: the same row of Anna, not her other rows
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{rowOf(a, 1)});
    // Its value gone, the row is gone: the contact keeps the rows it has left.
    a->deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(1));
    controller.updateTable();
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{rowOf(a)});
    a->addPhoneValue(labeled(QStringLiteral("home"), QStringLiteral("100")));
    controller.updateTable();

    clickRow(rowOf(a, 1));
    clickHeader(1); // by Phone: "100" first
    ASSERT_EQ(rowOf(a, 1), 0);
    a->addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("050")));
    controller.updateTable(); // the row showing "100" stays selected
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{rowOf(a, 1)});
}

TEST_F(ContactsTable, UpdateWithIdentifierRebuildsOnlyForAShownColumn) {
    auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("1")});
    show({a});
    clickRow(0);
    a->addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("2")));
    controller.updateTableWithIdentifier(FieldId::Email);
    EXPECT_EQ(controller.subContactTable().size(), 1u);
    controller.updateTableWithIdentifier(FieldId::Phone);
    EXPECT_EQ(controller.subContactTable().size(), 2u);
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{0});
}

// After one contact's change only its rows are made again and moved; the table must come
// out as a full rebuild and sort would make it, in every sort and for every kind of change.
TEST_F(ContactsTable, OneContactsRowsReplacedInPlaceMatchAFullRebuild) {
    const auto rename = [](QMPerson &p, const QString &first) {
        NameRecord name = p.nameValue();
        name.firstName = first;
        p.setNameValue(name, FieldId::Name);
    };
    struct Case {
        int sortColumn; // clicked once: ascending, twice: descending
        int clicks;
        std::function<void(QMPerson &)> change;
    };
    const QList<Case> cases = {
        {0, 1, [&](QMPerson &p) { rename(p, QStringLiteral("Aaa")); }},
        {0, 2, [&](QMPerson &p) { rename(p, QStringLiteral("Zed")); }},
        {1, 1, [](QMPerson &p) { p.addPhoneValue(labeled(QStringLiteral("work"), QStringLiteral("000"))); }},
        {1, 2, [](QMPerson &p) { p.deleteLabeledValueForIdentifier(FieldId::Phone, LabelIndex(0)); }},
        {1, 1, [](QMPerson &p) { p.replaceLabeledValue(FieldValue(LabeledValueList{}), FieldId::Phone); }},
    };
    const auto shown = [this] {
        QStringList rows;
        for (const SubContactRowPtr &row : controller.subContactTable())
            rows << QStringLiteral("%1/%2/%3/%4")
                        .arg(row->person->compositeName())
                        .arg(row->labelIndex)
                        .arg(row->notFirstRow)
                        .arg(row->numLines);
        return rows;
    };
    for (const Case &c : cases) {
        auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("300"), QStringLiteral("100")});
        auto b = withPhones(QStringLiteral("Bert"), {QStringLiteral("200"), QStringLiteral("200")});
        auto d = withPhones(QStringLiteral("Dora"), {QStringLiteral("150")});
        show({a, b, d, withPhones(QStringLiteral("Carl"), {})});
        for (int i = 0; i < c.clicks; ++i)
            clickHeader(c.sortColumn);
        clickRow(rowOf(b));
        c.change(*b);
        controller.updateTableWithIdentifier(FieldId::Phone, b);
        const QStringList replaced = shown();
        const QList<int> selection = controller.selectedRowIndexes();
        controller.setSubContactTableDirty(true);
        controller.reloadData();
        EXPECT_EQ(replaced, shown()) << c.sortColumn << " " << c.clicks;
        // The selection stays on the changed contact.
        ASSERT_EQ(selection.size(), 1);
        EXPECT_EQ(controller.subContactTable()[size_t(selection.first())]->person, b) << c.sortColumn << " " << c.clicks;
        // Every row keeps the height of its lines.
        for (int r = 0; r < int(controller.subContactTable().size()); ++r)
            EXPECT_EQ(view()->rowHeight(r), controller.heightOfRow(r));
    }
}

TEST_F(ContactsTable, SelectRowsOfContacts) {
    auto a = withPhones(QStringLiteral("Anna"), {QStringLiteral("1"), QStringLiteral("2")});
    auto b = withPhones(QStringLiteral("Bert"), {QStringLiteral("3")});
    auto c = withPhones(QStringLiteral("Carl"), {QStringLiteral("4"), QStringLiteral("5")});
    show({a, b, c});
    controller.selectRowIndexesWithContacts({entry(a), entry(c)});
    EXPECT_EQ(controller.selectedRowIndexes(), (QList<int>{0, 1, 3, 4}));
    // Two merged ranges, not a range per row.
    EXPECT_EQ(view()->selectionModel()->selection().size(), 2);
    EXPECT_EQ(controller.selectedSubContacts().size(), 4);
    controller.selectRowIndexesWithContacts({entry(person(QStringLiteral("Nobody")))});
    EXPECT_EQ(controller.selectedRowIndexes(), (QList<int>{0, 1, 3, 4}));
}

TEST_F(ContactsTable, MovedColumnsAndWidthsAreStoredAndRestored) {
    setColumns(QStringLiteral("Mine"), {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::URL});
    show({withPhones(QStringLiteral("Anna"), {QStringLiteral("1")}), withPhones(QStringLiteral("Bert"), {})},
         QStringLiteral("Mine"));
    QHeaderView *header = view()->horizontalHeader();
    header->resizeSection(2, 130);
    header->moveSection(3, 1); // URL before Phone
    EXPECT_EQ(controller.tableIdentfiers(),
              (QStringList{FieldId::Name, FieldId::URL, FieldId::Phone, FieldId::Email}));
    EXPECT_EQ(header->logicalIndex(1), 1);  // each column's index is its place on screen
    EXPECT_EQ(header->sectionSize(3), 130); // Email kept its width
    // "Name" stays first: neither moved away nor passed; each move checked on its own.
    for (const auto &[from, to] : {std::pair{0, 2}, std::pair{2, 0}}) {
        header->moveSection(from, to);
        EXPECT_EQ(controller.tableIdentfiers(),
                  (QStringList{FieldId::Name, FieldId::URL, FieldId::Phone, FieldId::Email}))
            << from << " to " << to;
        EXPECT_EQ(header->logicalIndex(0), 0);
    }

    // Another view type keeps the selected row.
    controller.selectRowIndexes({1});
    UserDefaults::standard().setObject(QStringLiteral("Email"), QStringLiteral("QM1DselectedViewType"));
    controller.setSelectedViewType(QStringLiteral("Email"));
    EXPECT_EQ(controller.tableIdentfiers(), (QStringList{FieldId::Name, FieldId::Email}));
    EXPECT_EQ(controller.selectedRowIndexes(), QList<int>{1});
    UserDefaults::standard().setObject(QStringLiteral("Mine"), QStringLiteral("QM1DselectedViewType"));

    ContactsViewController second;
    second.view()->show();
    EXPECT_EQ(second.tableIdentfiers(),
              (QStringList{FieldId::Name, FieldId::URL, FieldId::Phone, FieldId::Email}));
    EXPECT_EQ(second.tableView()->horizontalHeader()->sectionSize(3), 130);
}

} // namespace
