// The detail panel's per-contact work: building the rows, filling the card, and a whole
// panel reload (rows, heights and the cell widgets), done each time the selection moves.
#include "contact_info/ContactCard.h"
#include "contact_info/ContactInfoController.h"
#include "contact_info/DetailRowModel.h"
#include "tests/contact_info/ContactInfoTestSupport.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_DetailRows(benchmark::State &state) {
    ContactEntry entry = fullContact();
    DetailRowModel model;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.tableFromContact(&entry, {}, {}));
}
BENCHMARK(BM_DetailRows);

void BM_CardFill(benchmark::State &state) {
    ContactEntry entry = fullContact();
    for (auto _ : state)
        benchmark::DoNotOptimize(ContactCard::makeContactHTML(&entry, ContactCard::TemplatePath));
}
BENCHMARK(BM_CardFill);

void BM_PanelReload(benchmark::State &state) {
    ContactEntry entry = fullContact();
    ContactInfoController panel;
    panel.view()->resize(600, 900);
    panel.setContact(&entry);
    for (auto _ : state) {
        panel.updateTable();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PanelReload)->Unit(benchmark::kMillisecond);

void BM_CardShow(benchmark::State &state) {
    ContactEntry entry = fullContact();
    ContactInfoController panel;
    panel.view()->resize(600, 900);
    panel.setContact(&entry);
    for (auto _ : state) {
        panel.updateWebView();
        benchmark::DoNotOptimize(panel.webView()->document()->size());
    }
}
BENCHMARK(BM_CardShow)->Unit(benchmark::kMillisecond);

} // namespace
