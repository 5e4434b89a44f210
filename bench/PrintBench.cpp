// Printing: an address list of 10,000 contacts counted and written to PDF, and 1,000 labels
// on a 2 x 9 sheet, horizontal and vertical. The memory counters show whether printing grows
// with the number of pages: the resident size after the first pages and after the last.
// The print panel: how soon its preview of 1,000 contacts follows a change of the settings.
#include "VCardGenerator.h"
#include "contacts_table/SubContactRows.h"
#include "model/QMPerson.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "print/AccessoryViewController.h"
#include "print/PrintPanelController.h"
#include "print/PrintPreviewView.h"
#include "print/PrintView.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <map>

namespace {

// Rows as the table shows them for the columns Name, Phone, Email and Address.
const SubContactTable &rows(int count) {
    static std::map<int, SubContactTable> made;
    auto &table = made[count];
    if (!table.empty())
        return table;
    ContactTable contacts;
    for (auto &person : QMPerson::personsWithVCardData(generateVCards({count, false, 11}))) {
        ContactEntry entry;
        entry.person = std::shared_ptr<QMPerson>(std::move(person));
        entry.uniqueId = entry.person->uniqueId();
        contacts.append(entry);
    }
    SubContactRows::BuildContext context;
    context.identifiers = {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::Address};
    context.selectedLabels = {QStringLiteral("All")};
    table = SubContactRows::buildRows(contacts, context, 200000);
    return table;
}

// The address list of the table's columns, as the print panel switches them on.
std::shared_ptr<PrintOptions> addressListOptions() {
    auto options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
    options->addressList.updateItemTable({FieldId::Phone, FieldId::Email, FieldId::Address});
    options->addressList.printFrame = true;
    return options;
}

std::shared_ptr<PrintOptions> labelOptions(bool vertical) {
    auto options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
    options->printStyle = PrintStyle::MailingLabels;
    options->mailingLabels.labelWidth = 250;
    options->mailingLabels.labelHeight = 80;
    options->mailingLabels.hGap = 9;
    options->mailingLabels.keishou = QStringLiteral("様");
    options->mailingLabels.printVertical = vertical;
    return options;
}

QPageLayout a4() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                       QPageLayout::Point);
}

double residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

QTemporaryDir &outputFolder() {
    static QTemporaryDir folder;
    return folder;
}

void BM_AddressListPageCount(benchmark::State &state) {
    const SubContactTable &table = rows(int(state.range(0)));
    const auto options = addressListOptions();
    QPdfWriter device(outputFolder().filePath(QStringLiteral("count.pdf")));
    int pages = 0;
    for (auto _ : state) {
        PrintView view(table, options, a4());
        pages = view.pageCount(device);
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_AddressListPageCount)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole PDF, with the resident size taken after page 10 and after the last page.
void printWithMemory(benchmark::State &state, const SubContactTable &table,
                     const std::shared_ptr<PrintOptions> &options) {
    int pages = 0;
    double early = 0;
    double late = 0;
    for (auto _ : state) {
        QPdfWriter writer(outputFolder().filePath(QStringLiteral("out.pdf")));
        writer.setPageLayout(a4());
        PrintView view(table, options, writer.pageLayout());
        view.print(writer, [&](int page) {
            if (page == 10)
                early = residentMegabytes();
            pages = page + 1;
        });
        late = residentMegabytes();
    }
    state.counters["pages"] = pages;
    state.counters["rss_MB_page10"] = early;
    state.counters["rss_MB_last"] = late;
    state.counters["pdf_MB"] = double(QFile(outputFolder().filePath(QStringLiteral("out.pdf"))).size()) / 1e6;
}

void BM_AddressListPdf(benchmark::State &state) {
    printWithMemory(state, rows(int(state.range(0))), addressListOptions());
}
BENCHMARK(BM_AddressListPdf)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_LabelsPdf(benchmark::State &state, bool vertical) {
    const SubContactTable &all = rows(1000);
    const SubContactTable table(all.begin(), all.begin() + std::min<qsizetype>(1000, all.size()));
    printWithMemory(state, table, labelOptions(vertical));
}
BENCHMARK_CAPTURE(BM_LabelsPdf, Horizontal, false)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_LabelsPdf, Vertical, true)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// ---- The print panel

// Runs the event loop until the panel's preview shows the settings whole (every page counted),
// or 60 s have passed.
void waitForPreview(PrintPanelController &panel) {
    QEventLoop loop;
    QObject::connect(&panel, &PrintPanelController::previewUpdated, &loop, [&] {
        if (!panel.isPreviewPending())
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (panel.isPreviewPending())
        loop.exec();
}

// The longest the main thread went without turning its event loop while a ticker asked it to
// every 5 ms: how long the window stood frozen.
class Freeze {
public:
    Freeze() {
        ticker_.setInterval(5);
        QObject::connect(&ticker_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
    }
    void start() {
        longest_ = 0;
        clock_.start();
        ticker_.start();
    }
    qint64 stopMilliseconds() {
        ticker_.stop();
        return std::max(longest_, clock_.elapsed());
    }

private:
    QTimer ticker_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

// The panel's preview of the selected contacts in one style: the time from a click on a
// switch of the accessory to the preview showing the change on its current page (including
// the pause the panel waits for further changes), the time until every page is counted, and
// the longest the window froze meanwhile. Also the renders that a burst of three edits typed
// 80 ms apart causes.
void panelFollowsAChange(benchmark::State &state, const QString &style) {
    QTemporaryDir preferences;
    UserDefaults::setStorageFile(preferences.filePath(QStringLiteral("defaults.ini")));
    const SubContactTable &table = rows(int(state.range(0)));
    Window window;
    window.resize(1200, 900);
    window.show();
    PrintPanelController::setSharedPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    auto options = addressListOptions();
    options->printStyle = style;
    PrintPanelController panel(table, {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::Address},
                               options);
    panel.beginSheetModalForWindow(&window);
    waitForPreview(panel);

    QElapsedTimer clock;
    Freeze freeze;
    double shownSeconds = 0;
    double freezeMilliseconds = 0;
    int iterations = 0;
    QCheckBox *toggle = style == PrintStyle::AddressList ? panel.accessory()->aListTabAlternateRowSwitch()
                        : style == PrintStyle::Envelope  ? panel.accessory()->envelopeTabPrintFrameSwitch()
                                                         : panel.accessory()->mLabelTabPrintFrameSwitch();
    for (auto _ : state) {
        double shown = 0;
        auto firstShown = QObject::connect(&panel, &PrintPanelController::previewUpdated, [&] {
            if (shown == 0 && !panel.isPreviewPendingChange()) {
                // The page in view drawn, as its next paint will.
                panel.previewView()->pageImage();
                shown = double(clock.nsecsElapsed()) / 1e9;
            }
        });
        clock.start();
        freeze.start();
        toggle->click();
        waitForPreview(panel);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        freezeMilliseconds = std::max(freezeMilliseconds, double(freeze.stopMilliseconds()));
        QObject::disconnect(firstShown);
        shownSeconds += shown;
        ++iterations;
    }
    LengthField *margin = panel.accessory()->topMarginField();
    const int before = panel.previewRenderCount();
    for (const double value : {3.0, 36.0, 360.0}) {
        margin->setValue(value);
        QEventLoop pause;
        QTimer::singleShot(80, &pause, &QEventLoop::quit);
        pause.exec();
    }
    waitForPreview(panel);
    state.counters["pages"] = panel.previewPageCount();
    state.counters["shown_ms"] = iterations ? shownSeconds * 1000 / iterations : 0;
    state.counters["longest_freeze_ms"] = freezeMilliseconds;
    state.counters["renders_per_burst"] = panel.previewRenderCount() - before;
    Application::shared().endSheet(panel.window(), PrintPanelController::CancelResponse);
}
BENCHMARK_CAPTURE(panelFollowsAChange, AddressList, PrintStyle::AddressList)
    ->Arg(1000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(panelFollowsAChange, Labels, PrintStyle::MailingLabels)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(panelFollowsAChange, Envelopes, PrintStyle::Envelope)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

} // namespace
