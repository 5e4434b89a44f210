#include "bench/VCardGenerator.h"
#include "editors/CustomLabelPanel.h"
#include "model/QMvCard.h"

#include <benchmark/benchmark.h>

namespace {

const std::shared_ptr<ContainerTable> &readCards(int cards) {
    static std::map<int, std::shared_ptr<ContainerTable>> cache;
    auto &table = cache[cards];
    if (!table)
        table = QMvCard().containersFromVCards(QString::fromUtf8(generateVCards({cards, false, 7})));
    return table;
}

// What the window's undo step stores after a rename in the label panel: every contact's
// phones looked through, the lists holding the label made anew. About one contact in five
// has an "other" phone.
void BM_RelabeledValues(benchmark::State &state) {
    const ContainerTable &containers = *readCards(int(state.range(0)));
    const QList<LabelChange> changes = {{FieldId::Phone, QStringLiteral("other"), QStringLiteral("cottage")}};
    qsizetype relabeled = 0;
    for (auto _ : state) {
        const QList<RelabeledValues> result = CustomLabelPanelController::relabeledValues(containers, changes);
        relabeled = result.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["contacts relabeled"] = double(relabeled);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RelabeledValues)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
