#include "VCardGenerator.h"
#include "contacts_table/ContactsViewController.h"
#include "contacts_table/SubContactRows.h"
#include "model/QMPerson.h"
#include "model/ViewTypes.h"
#include "platform/core/UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

namespace {

const QString boat = QStringLiteral("Boat");
const QStringList columns = {
    FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::Address, FieldId::ZIP, FieldId::Note, boat};

CustomItemDefinition boatItem() {
    CustomItemDefinition item;
    item.name = boat;
    item.type = ValueKind::Labeled;
    return item;
}

// Generated contacts: 0-4 phones, 0-3 e-mails, 0-2 addresses, 10 % multi-line notes; a
// company kept on every third card that has one (about 20 %), a labeled custom item on
// every fourth card. Made once per size.
const SharedContactTable &contacts(int count) {
    static std::map<int, SharedContactTable> made;
    auto &table = made[count];
    if (table)
        return table;
    table = std::make_shared<ContactTable>();
    auto people = QMPerson::personsWithVCardData(generateVCards({count, false, 7}));
    int companies = 0;
    for (qsizetype i = 0; i < qsizetype(people.size()); ++i) {
        std::shared_ptr<QMPerson> person(std::move(people[i]));
        if (!person->stringValueForIdentifier(FieldId::Company).isEmpty() && companies++ % 3 != 0)
            person->setValue(QString(), FieldId::Company);
        if (i % 4 == 0) {
            person->addCustomItem(ValueKind::Labeled, boat, std::nullopt, std::nullopt);
            LabeledValueRecord value;
            value.label = QStringLiteral("home");
            value.value = QStringLiteral("Boat %1").arg(i);
            person->addLabeledValue(value, boat);
        }
        ContactEntry entry;
        entry.person = person;
        entry.uniqueId = person->uniqueId();
        table->append(entry);
    }
    return table;
}

SubContactRows::BuildContext context() {
    return {columns, {QStringLiteral("All")}, {boatItem()}, false};
}

void BM_BuildRows(benchmark::State &state) {
    const SharedContactTable &table = contacts(int(state.range(0)));
    size_t rows = 0;
    for (auto _ : state)
        rows = SubContactRows::buildRows(*table, context(), 200000).size();
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_BuildRows)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SortRows(benchmark::State &state, const QString &key) {
    const SharedContactTable &table = contacts(int(state.range(0)));
    SubContactTable rows = SubContactRows::buildRows(*table, context(), 200000);
    bool ascending = true;
    for (auto _ : state) {
        // Each run sorts from the previous run's order, as a re-sort does.
        SubContactRows::sortSubContactTable(rows, SortDescriptor{key, ascending}, {QStringLiteral("All")},
                                            {boatItem()});
        ascending = !ascending;
    }
}
BENCHMARK_CAPTURE(BM_SortRows, Name, FieldId::CompositeName)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_SortRows, EmailDomain, QStringLiteral("Email domain"))
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole refresh a change causes: rows rebuilt, sorted, the model reset, the heights of
// the taller rows set and the selection found again.
void BM_UpdateTableKeepingSelection(benchmark::State &state) {
    const SharedContactTable &table = contacts(int(state.range(0)));
    ContactsViewController controller;
    controller.windowState()->setCustomItems({boatItem()});
    controller.view()->resize(1000, 700);
    controller.updateColumnsInTableView(columns);
    controller.setContactTable(table);
    controller.setSubContactTableDirty(true);
    controller.reloadData();
    const int middle = int(controller.subContactTable().size() / 2);
    controller.selectRowIndexes({middle, middle + 1, middle + 2});
    for (auto _ : state) {
        controller.updateTable();
        // The table's own pending work after the reset (its rows' new heights).
        QCoreApplication::processEvents();
    }
    state.counters["selected"] = double(controller.selectedRowIndexes().size());
}
BENCHMARK(BM_UpdateTableKeepingSelection)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One full screen of cells painted: a 1280 x 900 table of 100,000 contacts in the seven
// columns, scrolled to the middle, drawn into an image as the window system would ask.
void BM_PaintScreen(benchmark::State &state) {
    const SharedContactTable &table = contacts(int(state.range(0)));
    ContactsViewController controller;
    controller.windowState()->setCustomItems({boatItem()});
    QTableView *view = controller.tableView();
    controller.view()->resize(1280, 900);
    controller.view()->show();
    controller.setContactTable(table);
    controller.updateColumnsInTableView(columns);
    QCoreApplication::processEvents();
    view->scrollTo(view->model()->index(int(controller.subContactTable().size() / 2), 0));
    QCoreApplication::processEvents();
    QImage image(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        view->viewport()->render(&painter);
    }
    const QModelIndex top = view->indexAt(QPoint(1, 1));
    const QModelIndex bottom = view->indexAt(QPoint(1, view->viewport()->height() - 2));
    state.counters["rows"] = double(bottom.row() - top.row() + 1);
    state.counters["cells"] = double((bottom.row() - top.row() + 1) * view->model()->columnCount());
}
BENCHMARK(BM_PaintScreen)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// What one full screen's cells cost to build, without drawing them: 40 rows of the seven
// columns from the middle of 100,000 contacts.
void BM_BuildScreenCells(benchmark::State &state) {
    const SharedContactTable &table = contacts(int(state.range(0)));
    ContactsViewController controller;
    controller.windowState()->setCustomItems({boatItem()});
    controller.view()->resize(1280, 900);
    controller.view()->show();
    controller.setContactTable(table);
    controller.updateColumnsInTableView(columns);
    const int first = int(controller.subContactTable().size() / 2);
    qsizetype characters = 0;
    for (auto _ : state) {
        for (int row = first; row < first + 40; ++row)
            for (const QString &identifier : columns)
                characters += controller.viewForTableColumn(identifier, row).text.size();
    }
    benchmark::DoNotOptimize(characters);
}
BENCHMARK(BM_BuildScreenCells)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    QTemporaryDir preferences;
    UserDefaults::setStorageFile(preferences.filePath(QStringLiteral("prefs.ini")));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
