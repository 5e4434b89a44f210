// The find window over 100,000 generated contacts: the snapshot made at opening, searches
// from Return to their rows shown, the longest stall of the main thread meanwhile, and a
// search superseded by a second Return.
#include "bench/VCardGenerator.h"
#include "find/FindPanel.h"
#include "find/FindPanelEdits.h"
#include "find/FindSnapshot.h"
#include "find/SegmentedButtons.h"
#include "model/QMPerson.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

namespace {

constexpr int kContacts = 100000;

const QList<ContactEntry> &contacts() {
    static const QList<ContactEntry> made = [] {
        QList<ContactEntry> entries;
        for (auto &person : QMPerson::personsWithVCardData(generateVCards({kContacts, false, 7})))
            entries.append(ContactEntry::withPerson(std::shared_ptr<QMPerson>(std::move(person))));
        return entries;
    }();
    return made;
}

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toDouble() * 4096.0 / (1024.0 * 1024.0);
}

// The longest time the main thread went without turning its event loop, sampled by a timer
// that asks for a turn every millisecond.
class StallMeter {
public:
    StallMeter() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        longest_ = 0;
        clock_.start();
        timer_.start();
    }
    double stopMilliseconds() {
        tick();
        timer_.stop();
        return double(longest_);
    }

private:
    void tick() { longest_ = std::max(longest_, clock_.restart()); }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

// The resident size it adds is taken from the first run, before freed memory is reused.
void BM_SnapshotAtOpening(benchmark::State &state) {
    const QList<ContactEntry> &entries = contacts();
    double grown = -1;
    std::shared_ptr<FindSnapshot> snapshot;
    for (auto _ : state) {
        const double before = residentMegabytes();
        snapshot = FindSnapshot::make(entries);
        if (grown < 0)
            grown = residentMegabytes() - before;
        state.PauseTiming();
        snapshot.reset(); // freed when the window closes, not at opening
        state.ResumeTiming();
    }
    state.counters["snapshotMB"] = grown;
}
BENCHMARK(BM_SnapshotAtOpening)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// One window, its search mode set, searched again and again.
struct Window {
    FindPanel panel;
    explicit Window(int mode) {
        panel.setContacts(contacts());
        panel.window();
        panel.searchModePopup()->setCurrentIndex(mode);
        panel.searchModePopupDidSelect(panel.searchModePopup());
        static_cast<void>(QTest::qWaitFor([&] { return !panel.isSearching(); }, 60000));
    }
    void enter(const QString &text) {
        panel.searchField()->setText(text);
        QTest::keyClick(panel.searchField(), Qt::Key_Return);
    }
};

// From Return to the rows in the table, all fields searched.
void BM_Search(benchmark::State &state, int mode, const QString &text) {
    Window window(mode);
    StallMeter stalls;
    double longest = 0;
    for (auto _ : state) {
        stalls.start();
        window.enter(text);
        if (!QTest::qWaitFor([&] { return !window.panel.isSearching(); }, 60000))
            state.SkipWithError("no rows in a minute");
        longest = std::max(longest, stalls.stopMilliseconds());
    }
    state.counters["rows"] = double(window.panel.searchResults().size());
    state.counters["mainThreadStallMs"] = longest;
}
BENCHMARK_CAPTURE(BM_Search, plain, 0, QStringLiteral("an"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Search, plainFewRows, 0, QStringLiteral("Kowalski"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Search, regex, 2, QStringLiteral("[0-9]{2}-[0-9]{4}-[0-9]{2}"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Return pressed again 20 ms into a search: the time from the second Return to its rows,
// and whether a row of the first ever showed.
void BM_SupersededSearch(benchmark::State &state) {
    Window window(2);
    bool olderShown = false;
    QObject::connect(window.panel.tableView()->model(), &QAbstractItemModel::modelReset, [&] {
        for (const FindResultRowPtr &row : window.panel.searchResults())
            olderShown = olderShown || row->value.contains(QLatin1Char('@'));
    });
    for (auto _ : state) {
        state.PauseTiming();
        window.enter(QStringLiteral("[a-z]+@"));
        QTest::qWait(20);
        state.ResumeTiming();
        window.enter(QStringLiteral("^[0-9]+$"));
        if (!QTest::qWaitFor([&] { return !window.panel.isSearching(); }, 60000))
            state.SkipWithError("no rows in a minute");
    }
    state.counters["rows"] = double(window.panel.searchResults().size());
    state.counters["olderRowsShown"] = olderShown ? 1 : 0;
}
BENCHMARK(BM_SupersededSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

// The document's operations, reduced to storing the value: what is timed is the window's
// own share of a Replace All (its write-backs, undo steps and snapshot upkeep).
class StoringEdits : public FindPanelEdits {
public:
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) override {
        contact->setNameValue(value, FieldId::Name);
        return true;
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override {
        contact->setNameValue(FieldValue(value), FieldId::PhoneticName);
        return true;
    }
    bool undoReplaceBirthday(const FieldValue &, const PersonPtr &) override { return true; }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *) override {
        contact->setValue(FieldValue(value.value_or(QString())), identifier);
        return true;
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *) override {
        contact->replaceLabeledValue(value, identifier);
        return true;
    }
};

// Replace All over every row of "an", then Undo in the window, which puts every value back.
void BM_ReplaceAllAndUndo(benchmark::State &state) {
    StoringEdits edits;
    Window window(0);
    window.panel.setParentViewController(&edits);
    window.enter(QStringLiteral("an"));
    static_cast<void>(QTest::qWaitFor([&] { return !window.panel.isSearching(); }, 60000));
    const auto rows = window.panel.searchResults().size();
    QElapsedTimer undoClock;
    double undoMs = 0;
    for (auto _ : state) {
        window.panel.replaceField()->setText(QStringLiteral("AN"));
        window.panel.replaceButtons()->button(1)->click();
        undoClock.start();
        window.panel.undoManager()->undo();
        undoMs = double(undoClock.elapsed());
    }
    state.counters["rows"] = double(rows);
    state.counters["undoMs"] = undoMs;
}
BENCHMARK(BM_ReplaceAllAndUndo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
