#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/reading/QMvCardReader.h"
#include "app/transfer/ExportCommand.h"
#include "app/window/DocumentWindow.h"
#include "app/window/ViewController.h"
#include "app/window/WindowController.h"
#include "bench/ProcessStatus.h"
#include "bench/VCardGenerator.h"
#include "contact_info/ContactInfoPopover.h"
#include "find/FindBarController.h"
#include "model/QMvCard.h"
#include "platform/core/Memory.h"
#include "platform/core/TempFiles.h"
#include "platform/core/UndoManager.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Document.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>
#include <numeric>
#include <optional>

namespace {

constexpr int kCards = 100000;

// Generated text-only cards, read once; each window gets its own copy of the tables' records
// only through sharing, so they are read afresh per run to keep runs independent.
std::shared_ptr<ContainerTable> readCards() {
    static const QString text = QString::fromUtf8(generateVCards({kCards, false, 7}));
    return QMvCard().containersFromVCards(text);
}

class BenchDocument : public Document {
public:
    std::shared_ptr<ContainerTable> containers;
    tessarin::WindowController *controller = nullptr;
    void makeWindowControllers() override {
        controller = tessarin::makeDocumentWindow(this, std::move(containers));
    }
};

void useScratchDefaults() {
    static const bool once = [] {
        UserDefaults::setStorageFile(TempFiles::directory() + QStringLiteral("/bench-defaults.ini"));
        return true;
    }();
    (void)once;
    UserDefaults::standard().resetAll();
}

// A document window of the generated cards, made as the benchmarks below need it: the
// preferences reset (with the view type chosen, when given), the cards read afresh and
// changed by `prepare`, the window made, in the edit state when asked, and shown at
// 1280 x 900 when asked. The window and its document go with it.
struct WindowOptions {
    bool shown = false;
    QString viewType;
    bool editing = false;
    std::function<void(ContainerTable &)> prepare;

    WindowOptions &show() {
        shown = true;
        return *this;
    }
    WindowOptions &inViewType(const QString &type) {
        viewType = type;
        return *this;
    }
    WindowOptions &inEditState() {
        editing = true;
        return *this;
    }
    WindowOptions &preparing(std::function<void(ContainerTable &)> change) {
        prepare = std::move(change);
        return *this;
    }
};

class BenchWindow {
public:
    explicit BenchWindow(const WindowOptions &options = {}) {
        useScratchDefaults();
        if (!options.viewType.isEmpty())
            UserDefaults::standard().setObject(options.viewType, QStringLiteral("QM1DselectedViewType"));
        document_->containers = readCards();
        if (options.prepare)
            options.prepare(*document_->containers);
        document_->makeWindowControllers();
        if (options.editing)
            view()->setEditState(true);
        if (options.shown) {
            controller()->window()->resize(1280, 900);
            controller()->window()->show();
            QCoreApplication::processEvents();
        }
    }
    ~BenchWindow() {
        document_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    BenchWindow(const BenchWindow &) = delete;
    BenchWindow &operator=(const BenchWindow &) = delete;

    BenchDocument &document() const { return *document_; }
    tessarin::WindowController *controller() const { return document_->controller; }
    tessarin::ViewController *view() const { return controller()->mainViewController(); }
    ContactsViewController *table() const { return view()->contactsViewController(); }

private:
    std::unique_ptr<BenchDocument> document_ = std::make_unique<BenchDocument>();
};

// From the read tables to a shown window: panes assembled, custom items gathered, the
// table's rows built and sorted in the stored edit state.
void BM_OpenWindow(benchmark::State &state) {
    useScratchDefaults();
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<BenchDocument>();
        document->containers = readCards();
        state.ResumeTiming();
        document->makeWindowControllers();
        if (document->controller->mainViewController()->contactsViewController()->subContactTable().size() <
            size_t(kCards))
            state.SkipWithError("rows lost");
        state.PauseTiming();
        document.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

// A generated file of that many text-only cards, written once.
QString cardFile(int cards) {
    static QHash<int, QString> written;
    if (!written.contains(cards)) {
        const QString path = TempFiles::directory() + QStringLiteral("/open-%1.vcf").arg(cards);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(generateVCards({cards, false, 7})) < 0)
            return {};
        written.insert(cards, path);
    }
    return written.value(cards);
}

// Marks when the read has ended and the window is being made.
class TimedDocument : public tessarin::Document {
public:
    QElapsedTimer *clock = nullptr;
    qint64 readNanoseconds = 0;
    void makeWindowControllers() override {
        readNanoseconds = clock->nsecsElapsed();
        tessarin::Document::makeWindowControllers();
    }
};

class TimedDocumentController : public tessarin::DocumentController {
public:
    QElapsedTimer clock;
    TimedDocument *last = nullptr;

protected:
    ::Document *makeDocument(const QString &) override {
        last = new TimedDocument;
        last->clock = &clock;
        last->setEncodingType(encodingType());
        return last;
    }
};

// Sees the paint events that reach the table's first row.
class FirstRowPaints : public QObject {
public:
    QTableView *table;
    bool painted = false;
    explicit FirstRowPaints(QTableView *view)
        : table(view) {
        table->viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && table->model()->rowCount() > 0 &&
            static_cast<QPaintEvent *>(event)->rect().intersects(
                table->visualRect(table->model()->index(0, 0))))
            painted = true;
        return false;
    }
};

// Runs the event loop until `done` holds; false after 60 seconds.
bool processEventsUntil(const std::function<bool()> &done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A file of that many cards opened as File > Open opens it, up to a window a user can work
// in. Usable means: the document window shown; the table's viewport painted over its first
// row (the rows are in the model by then, so the paint draws their text); then a Down arrow
// posted to the table answered, which takes every event queued before it (the window's
// deferred work) and the key's own handling, and moves the current row. The read includes
// the progress window, which stays at least one second. Counters split the time: read_s up
// to the window being made, window_s the window made and shown, paint_s to the first rows
// painted, input_s to the key answered; cpu_s is the processor time of all threads.
void BM_OpenToUsableWindow(benchmark::State &state) {
    useScratchDefaults();
    const int cards = int(state.range(0));
    const QUrl url = QUrl::fromLocalFile(cardFile(cards));
    tessarin::ContactsReader::setShared(std::make_shared<tessarin::QMvCardReader>());
    TimedDocumentController controller;
    double read = 0, window = 0, paint = 0, input = 0, cpu = 0;
    for (auto _ : state) {
        const std::clock_t cpuBefore = std::clock();
        controller.clock.start();
        ::Document *document = controller.openDocumentWithContentsOfURL(url, true);
        const qint64 shown = controller.clock.nsecsElapsed();
        auto *opened = dynamic_cast<tessarin::Document *>(document);
        if (!opened || !opened->mainViewController()) {
            state.SkipWithError("the file did not open");
            break;
        }
        QTableView *table = opened->mainViewController()->contactsViewController()->tableView();
        FirstRowPaints paints(table);
        if (!processEventsUntil([&] { return paints.painted; })) {
            state.SkipWithError("the first rows were never painted");
            break;
        }
        const qint64 painted = controller.clock.nsecsElapsed();
        const int before = table->currentIndex().row();
        bool answered = false;
        QCoreApplication::postEvent(table, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
        QMetaObject::invokeMethod(
            table, [&] { answered = true; }, Qt::QueuedConnection);
        processEventsUntil([&] { return answered; });
        const qint64 usable = controller.clock.nsecsElapsed();
        if (table->currentIndex().row() == before || table->model()->rowCount() < cards) {
            state.SkipWithError("the key was not answered, or rows are missing");
            break;
        }
        cpu += double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        read += double(controller.last->readNanoseconds) / 1e9;
        window += double(shown - controller.last->readNanoseconds) / 1e9;
        paint += double(painted - shown) / 1e9;
        input += double(usable - painted) / 1e9;
        state.SetIterationTime(double(usable) / 1e9);

        state.PauseTiming();
        document->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    tessarin::ContactsReader::setShared(nullptr);
    const double runs = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["read_s"] = read / runs;
    state.counters["window_s"] = window / runs;
    state.counters["paint_s"] = paint / runs;
    state.counters["input_s"] = input / runs;
    state.counters["cpu_s"] = cpu / runs;
}
BENCHMARK(BM_OpenToUsableWindow)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(200000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// What a user waits for after picking in the toolbar: a view type, a sort option that
// reorders every contact's e-mail addresses, and the edit button.
void BM_ToolbarCommands(benchmark::State &state) {
    const BenchWindow bench;
    tessarin::WindowController *window = bench.controller();
    const auto pick = [](PullDownButton *button, const QString &object) {
        Menu *menu = button->pullDownMenu();
        menu->update();
        menu->itemAtIndex(menu->indexOfItemWithRepresentedObject(object))->trigger();
    };
    int step = 0;
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            pick(window->viewTypePopup(), step++ % 2 ? QStringLiteral("Email") : QStringLiteral("Phone"));
            break;
        case 1: {
            Menu *options = window->sortOptionsPopup()->pullDownMenu();
            Menu *email =
                options->itemAtIndex(options->indexOfItemWithRepresentedObject(QStringLiteral("Email")))
                    ->submenu();
            email->update();
            email
                ->itemAtIndex(email->indexOfItemWithRepresentedObject(step++ % 2 ? QStringLiteral("Email")
                                                                                 : QStringLiteral("label")))
                ->trigger();
            break;
        }
        default:
            window->editButton()->click();
        }
    }
}
BENCHMARK(BM_ToolbarCommands)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(4);

// Edits through the Contact menu's commands and Edit > Undo on 100,000 contacts: removing
// 1,000 selected contacts from All Contacts (marked in every group) and bringing them back,
// and adding a new contact and undoing it. Each step rebuilds the table's rows once.
void BM_EditAndUndo(benchmark::State &state) {
    const BenchWindow bench;
    tessarin::ViewController *view = bench.view();
    QList<int> rows;
    for (int r = 0; r < 1000; ++r)
        rows.append(r * 97);
    for (auto _ : state) {
        if (state.range(0) == 0) {
            state.PauseTiming();
            view->contactsViewController()->selectRowIndexes(rows);
            state.ResumeTiming();
            view->performAction(QStringLiteral("deleteContacts:"), nullptr);
        } else {
            view->performAction(QStringLiteral("addContact:"), nullptr);
        }
        view->performAction(QStringLiteral("undo:"), nullptr);
    }
    if (view->contactsViewController()->subContactTable().size() < size_t(kCards))
        state.SkipWithError("rows lost");
}
BENCHMARK(BM_EditAndUndo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(4);

// One labeled value replaced in each of many contacts of 100,000 as one undo step (what Replace
// All, the relabel and the table's bulk commands do), then Undo, timed apart. Without a
// BulkEdit (Arg 0: the edits and the undo manager as they were before) every edit and every
// inverse rebuilds the table's rows, so only a few edits are timed; inside one (Arg 1), and
// through Edit > Undo, each phase rebuilds them once.
void BM_BulkReplace(benchmark::State &state) {
    const BenchWindow bench;
    tessarin::ViewController *view = bench.view();
    const bool deferred = state.range(0) != 0;
    const qsizetype count = state.range(1);
    // The first e-mail address of the first contacts that have one: the column shown.
    QList<std::pair<std::shared_ptr<QMPerson>, LabeledValueRecord>> edits;
    for (const ContactEntry &entry : std::as_const(*view->contactTable())) {
        if (auto email = entry.person->labeledValueForIdentifier(FieldId::Email, qsizetype(0)))
            edits.append({entry.person, *email});
        if (edits.size() == count)
            break;
    }
    UndoManager *undo = bench.document().undoManager();
    double editSeconds = 0, undoSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        {
            std::optional<tessarin::BulkEdit> bulk;
            if (deferred)
                bulk.emplace(view->edits());
            else
                undo->beginUndoGrouping();
            for (auto [person, email] : edits) {
                email.value = QStringLiteral("bulk.") + email.value.value_or(QString());
                view->undoReplaceLabeledValue(email, FieldId::Email, person, nullptr);
            }
            if (!deferred)
                undo->endUndoGrouping();
        }
        editSeconds += timer.restart() / 1000.0;
        if (deferred)
            view->performAction(QStringLiteral("undo:"), nullptr);
        else
            undo->undo();
        undoSeconds += timer.elapsed() / 1000.0;
    }
    if (edits.size() < count || undo->canUndo())
        state.SkipWithError("edits missing or not one step");
    state.counters["edits"] = double(edits.size());
    state.counters["edit_s"] = editSeconds / double(state.iterations());
    state.counters["undo_s"] = undoSeconds / double(state.iterations());
}
BENCHMARK(BM_BulkReplace)->Args({0, 10})->Args({1, 10000})->Unit(benchmark::kMillisecond)->Iterations(2);

// From the command, with every contact selected and the save panel answered, to the
// renamed file: snapshot, background build behind the progress window, atomic write.
// snapshot_ms times the snapshot alone. Memory in MB, freed memory returned before each
// reading: peak_MB while exporting and after_MB after the first export, above the open window;
// growth_MB from the first export to the last (what each export leaves behind).
void BM_ExportVCard(benchmark::State &state) {
    const BenchWindow bench;
    tessarin::WindowController *window = bench.controller();
    window->mainViewController()->contactsViewController()->tableView()->selectAll();
    const QString path = TempFiles::directory() + QStringLiteral("/export-bench.vcf");
    ScriptedDialogPresenter dialogs;
    Memory::returnFreedMemory();
    const double before = statusMegabytes("VmRSS:");
    if (!resetPeakResident())
        state.SkipWithError("cannot reset the peak resident size");
    double first = 0, last = 0;
    for (auto _ : state) {
        dialogs.chooseFiles({QUrl::fromLocalFile(path)});
        window->exportCommand()->exportToVCard();
        state.PauseTiming();
        QThreadPool::globalInstance()->waitForDone(); // the snapshot is released on a worker
        Memory::returnFreedMemory();
        last = statusMegabytes("VmRSS:");
        first = first > 0 ? first : last;
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = statusMegabytes("VmHWM:") - before;
    state.counters["after_MB"] = first - before;
    state.counters["growth_MB"] = last - first;
    if (QFileInfo(path).size() < kCards * 50)
        state.SkipWithError("file not written");
    state.counters["bytes"] = double(QFileInfo(path).size());
    QElapsedTimer timer;
    timer.start();
    const tessarin::ExportSnapshot snapshot =
        tessarin::takeExportSnapshot(*window->mainViewController()->contactTable(), nullptr, {});
    state.counters["snapshot_ms"] = double(timer.nsecsElapsed()) / 1e6;
    benchmark::DoNotOptimize(snapshot);
}
BENCHMARK(BM_ExportVCard)->Unit(benchmark::kMillisecond)->Iterations(5);

// The find bar on 100,000 contacts. Find Next from the first row when the only match is in
// the last row's e-mail cell: the walk over every row and shown column, then the match
// selected in the table and the detail panel.
void BM_FindBarNextToTheLastRow(benchmark::State &state) {
    const BenchWindow bench;
    tessarin::ViewController *view = bench.view();
    ContactsViewController *table = view->contactsViewController();
    // The last row that shows an e-mail address gets the only "qqzz".
    const SubContactTable &rows = table->subContactTable();
    int last = int(rows.size()) - 1;
    while (last > 0 &&
           size_t(rows[size_t(last)]->labelIndex) >= size_t(rows[size_t(last)]->person->emailValues().size()))
        --last;
    QMPerson &person = *rows[size_t(last)]->person;
    LabeledValueRecord email = person.emailValues().at(rows[size_t(last)]->labelIndex);
    email.value = QStringLiteral("qqzz@example.com");
    person.replaceEmailValue(email);
    view->windowState()->setFindString(QStringLiteral("qqzz"));
    for (auto _ : state) {
        state.PauseTiming();
        table->selectRowIndexes({0});
        state.ResumeTiming();
        view->findBarButtonDidPress(FindBarCommand::Next);
        table->tableView()->viewport()->repaint();
    }
    if (table->selectedRowIndexes() != QList<int>{last})
        state.SkipWithError("the match was not selected");
}
BENCHMARK(BM_FindBarNextToTheLastRow)->Unit(benchmark::kMillisecond)->Iterations(5);

// Replace All of a text every contact holds in a shown column (each contact's company),
// through to the repainted table (arg 0), and Edit > Undo of it (arg 1): one step each.
void BM_FindBarReplaceAllAndUndo(benchmark::State &state) {
    const BenchWindow bench(WindowOptions().inEditState().preparing([](ContainerTable &cards) {
        for (ContactEntry &entry : *cards.first().groups.first()->contactTable)
            entry.person->setValue(FieldValue(QStringLiteral("Acme Works")), FieldId::Company);
    }));
    tessarin::ViewController *view = bench.view();
    ViewTypeTable types = view->settings()->viewTypeDict();
    types[view->selectedViewType()].append(FieldId::Company);
    view->settings()->setViewTypeDict(types);
    view->windowState()->setFindString(QStringLiteral("Acme"));
    view->findBarController()->replaceStringField()->setText(QStringLiteral("Apex"));
    QWidget *viewport = view->contactsViewController()->tableView()->viewport();
    const bool timingUndo = state.range(0) == 1;
    for (auto _ : state) {
        if (timingUndo)
            state.PauseTiming();
        view->findBarButtonDidPress(FindBarCommand::ReplaceAll);
        viewport->repaint();
        if (timingUndo)
            state.ResumeTiming();
        else
            state.PauseTiming();
        view->performAction(QStringLiteral("undo:"), nullptr);
        viewport->repaint();
        if (!timingUndo)
            state.ResumeTiming();
    }
    const ContactTable &contacts = *view->contactTable();
    if (contacts.first().person->stringValueForIdentifier(FieldId::Company) != QStringLiteral("Acme Works") ||
        contacts.last().person->stringValueForIdentifier(FieldId::Company) != QStringLiteral("Acme Works"))
        state.SkipWithError("the companies did not come back");
}
BENCHMARK(BM_FindBarReplaceAllAndUndo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// Edits in the contacts table of a shown window of 100,000 cards, from the commit to the
// table repainted with the edited contact's row selected. A name changed as the name editor
// changes it (one undoable step) moves the contact between the start and the end of the
// table sorted by name.
void BM_TableNameEdit(benchmark::State &state) {
    const BenchWindow bench(WindowOptions().show());
    tessarin::ViewController *view = bench.view();
    ContactsViewController *table = view->contactsViewController();
    const int middle = int(table->subContactTable().size() / 2);
    table->selectRowIndexes({middle});
    const std::shared_ptr<QMPerson> person = table->subContactTable()[size_t(middle)]->person;
    int step = 0;
    for (auto _ : state) {
        NameRecord name = person->nameValue();
        name.firstName = step++ % 2 ? QStringLiteral("Aaron") : QStringLiteral("Zoe");
        name.lastName = QStringLiteral("Benchmark");
        view->undoReplaceNameValue(name, person);
        QCoreApplication::processEvents();
        table->tableView()->viewport()->repaint();
    }
    const QList<SubContactRowPtr> selected = table->selectedSubContacts();
    if (selected.size() != 1 || selected.first()->person != person)
        state.SkipWithError("the edited contact is not the one selected");
}
BENCHMARK(BM_TableNameEdit)->Unit(benchmark::kMillisecond)->Iterations(10);

// A phone number typed into its cell of a shown window of 100,000 cards, from the key that
// ends the edit (Shift+Tab keeps the text and moves nowhere) to the repainted table.
void BM_TableCellEdit(benchmark::State &state) {
    const BenchWindow bench(WindowOptions().show().inViewType(QStringLiteral("Phone")));
    ContactsViewController *table = bench.table();
    const int column = table->tableModel()->columnOf(FieldId::Phone);
    int row = int(table->subContactTable().size() / 2);
    while (!table->subContactTable()[size_t(row)]->person->labeledValueForIdentifier(FieldId::Phone,
                                                                                     qsizetype(0)))
        ++row;
    const std::shared_ptr<QMPerson> person = table->subContactTable()[size_t(row)]->person;
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table->selectRowIndexes({row});
        table->editColumn(column, row, {table->subContactTable()[size_t(row)]});
        table->cellEditor()->setPlainText(QStringLiteral("+1 555 %1").arg(step++));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
        state.ResumeTiming();
        QApplication::sendEvent(table->cellEditor(), &press);
        QCoreApplication::processEvents();
        table->tableView()->viewport()->repaint();
    }
    if (person->labeledValueForIdentifier(FieldId::Phone, qsizetype(0))->valueText() !=
        QStringLiteral("+1 555 %1").arg(step - 1))
        state.SkipWithError("the typed number did not reach the contact");
}
BENCHMARK(BM_TableCellEdit)->Unit(benchmark::kMillisecond)->Iterations(10);

// One label picked in the "Phone" column of a shown window of 100,000 cards with that many
// rows selected (0: Ctrl+A), confirmed for every row: the edit, the reload and the rows
// selected again.
void BM_TableLabelOnSelectedRows(benchmark::State &state) {
    const BenchWindow bench(WindowOptions().show().inViewType(QStringLiteral("Phone")));
    ContactsViewController *table = bench.table();
    const int rowCount = int(table->subContactTable().size());
    const int selected = state.range(0) > 0 ? std::min(int(state.range(0)), rowCount) : rowCount;
    QList<int> rows(selected);
    std::iota(rows.begin(), rows.end(), 0);
    const int column = table->tableModel()->columnOf(FieldId::Phone);
    const QStringList labels = QMPerson::labelsForIdentifier(FieldId::Phone).value_or(QStringList());
    const QList<int> choices = {int(labels.indexOf(QStringLiteral("pager"))),
                                int(labels.indexOf(QStringLiteral("other")))};
    ScriptedDialogPresenter dialogs;
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        table->selectRowIndexes(rows);
        dialogs.answerAlert(QStringLiteral("OK"));
        state.ResumeTiming();
        table->popupLabelCellChanged(0, column, choices[step++ % 2]);
        QCoreApplication::processEvents();
    }
    if (table->selectedRowIndexes().size() != selected)
        state.SkipWithError("the rows are not selected again");
    state.counters["rows"] = selected;
}
BENCHMARK(BM_TableLabelOnSelectedRows)->Arg(8000)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);

// Delete of a phone number in the contact popover of a shown window of 100,000 cards, from
// the key to the table and the popover showing it; the popover's Undo between runs.
void BM_PopoverDelete(benchmark::State &state) {
    const BenchWindow bench(WindowOptions().show());
    ContactsViewController *table = bench.table();
    int row = int(table->subContactTable().size() / 2);
    while (!table->subContactTable()[size_t(row)]->person->labeledValueForIdentifier(FieldId::Phone,
                                                                                     qsizetype(0)))
        ++row;
    const SubContactRowPtr record = table->subContactTable()[size_t(row)];
    table->selectRowIndexes({row});
    table->showContactInfoPopover(record, FieldId::Name, table->frameOfCellAtColumn(0, row));
    QCoreApplication::processEvents();
    auto *popover = qobject_cast<ContactInfoPopover *>(table->popover()->contentViewController());
    const qsizetype phones = record->person->labeledValueForIdentifier(FieldId::Phone)->size();
    for (auto _ : state) {
        state.PauseTiming();
        int phone = -1;
        const QList<InfoTableRow> &rows = popover->contactInfo()->table();
        for (int r = 0; r < rows.size() && phone < 0; ++r)
            if (rows[r].type == FieldId::Phone)
                phone = r;
        popover->tableView()->selectRow(phone);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        state.ResumeTiming();
        QApplication::sendEvent(popover->tableView(), &press);
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (record->person->labeledValueForIdentifier(FieldId::Phone)->size() != phones - 1)
            state.SkipWithError("the phone was not deleted");
        popover->performAction(QStringLiteral("undo:"), nullptr);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PopoverDelete)->Unit(benchmark::kMillisecond)->Iterations(5);

// The table's bulk commands with every row of 100,000 cards selected (in the Phone view),
// from the command to the repainted table, then Edit > Undo to the repainted table: Arg 0
// is Replace Text on the phone column (the dialog answered at once), Arg 1 the phone
// numbers laid out as "(12) 3456-7890". Each is one undo step, shown with one rebuild.
void BM_TableBulkCommands(benchmark::State &state) {
    const BenchWindow bench(WindowOptions().show().inViewType(QStringLiteral("Phone")).inEditState());
    tessarin::ViewController *view = bench.view();
    ContactsViewController *table = view->contactsViewController();
    const int column = table->tableModel()->columnOf(FieldId::Phone);
    const bool replace = state.range(0) == 0;
    MenuItem item(replace ? QStringLiteral("Replace Text") : QStringLiteral("(12) 3456-7890"));
    item.setRepresentedObject(item.title());
    qsizetype changed = 0;
    double commandSeconds = 0, undoSeconds = 0;
    for (auto _ : state) {
        table->tableView()->selectAll();
        const std::shared_ptr<QMPerson> first = table->subContactTable().front()->person;
        const QString before = first->labeledValueForIdentifier(FieldId::Phone, qsizetype(0))->valueText();
        QElapsedTimer timer;
        timer.start();
        if (replace) {
            table->setClickedCell(0, column);
            table->replaceItem(&item);
            ReplaceAlertPanel *panel = table->replaceAlertPanel();
            panel->replaceTextField()->setPlainText(QStringLiteral("+1 555 0100"));
            panel->okButton()->click();
            table->setClickedCell(-1, -1);
        } else {
            table->normalizePhoneNumber(&item);
        }
        QCoreApplication::processEvents();
        table->tableView()->viewport()->repaint();
        commandSeconds += timer.restart() / 1000.0;
        changed += first->labeledValueForIdentifier(FieldId::Phone, qsizetype(0))->valueText() != before;
        view->performAction(QStringLiteral("undo:"), nullptr);
        QCoreApplication::processEvents();
        table->tableView()->viewport()->repaint();
        undoSeconds += timer.elapsed() / 1000.0;
    }
    if (changed != state.iterations() || view->undoManager()->canUndo())
        state.SkipWithError("nothing changed, or not one step");
    state.counters["rows"] = double(table->subContactTable().size());
    state.counters["command_s"] = commandSeconds / double(state.iterations());
    state.counters["undo_s"] = undoSeconds / double(state.iterations());
}
BENCHMARK(BM_TableBulkCommands)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

// The clipboard on a window of 100,000 contacts. Copy and Copy as vCard of 10,000 selected
// contacts (the first row of each), from the command to the clipboard holding the text and
// the cards (and the .vcf file written); Paste of 1,000 cards from the clipboard to the table showing them
// (read, custom items registered, added in one undo step, rows rebuilt), each paste undone
// untimed.
void BM_Clipboard(benchmark::State &state) {
    const BenchWindow bench;
    tessarin::ViewController *view = bench.view();
    ContactsViewController *table = view->contactsViewController();
    QList<int> rows;
    for (int r = 0; r < int(table->subContactTable().size()) && rows.size() < 10000; ++r)
        if (!table->subContactTable()[size_t(r)]->notFirstRow)
            rows.append(r);
    table->selectRowIndexes(rows);
    const QString cards = QString::fromUtf8(generateVCards({1000, false, 11}));
    const size_t before = table->subContactTable().size();
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            table->copy(nullptr);
            break;
        case 1:
            table->copyAsVCard(nullptr);
            break;
        default:
            state.PauseTiming();
            Pasteboard::general().declareTypes({PasteboardType::VCard});
            Pasteboard::general().setData(cards.toUtf8(), PasteboardType::VCard);
            state.ResumeTiming();
            table->paste(nullptr);
            QCoreApplication::processEvents();
            state.PauseTiming();
            if (table->subContactTable().size() < before + 1000)
                state.SkipWithError("cards not added");
            view->performAction(QStringLiteral("undo:"), nullptr);
            state.ResumeTiming();
        }
    }
    const QString copied = Pasteboard::general().stringForType(state.range(0) == 1 ? PasteboardType::VCard
                                                                                   : PasteboardType::String);
    if (state.range(0) < 2 && copied.isEmpty())
        state.SkipWithError("nothing copied");
    state.counters["characters"] = double(copied.size());
}
BENCHMARK(BM_Clipboard)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
