#include "bench/VCardGenerator.h"
#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/core/TempFiles.h"
#include "platform/core/UserDefaults.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

const QByteArray &textOnlyCards(int cards) {
    static std::map<int, QByteArray> cache;
    auto &data = cache[cards];
    if (data.isEmpty())
        data = generateVCards({cards, false, 7});
    return data;
}

void report(benchmark::State &state, qint64 bytes, int cards) {
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * cards);
    state.counters["MB"] = double(bytes) / 1e6;
}

// Reading text-only cards: the bytes of the file in, contacts out.
void BM_ReadVCards(benchmark::State &state) {
    const int cards = int(state.range(0));
    const QByteArray &data = textOnlyCards(cards);
    for (auto _ : state) {
        const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(data);
        if (contacts.size() != cards)
            state.SkipWithError("wrong number of contacts");
        benchmark::DoNotOptimize(contacts.constData());
    }
    report(state, data.size(), cards);
}
BENCHMARK(BM_ReadVCards)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Writing the same contacts back; MB/s counts the bytes written.
void BM_WriteVCards(benchmark::State &state) {
    const int cards = int(state.range(0));
    const QList<CNContact> contacts = CNContactVCardSerialization::contactsWithData(textOnlyCards(cards));
    qint64 written = 0;
    for (auto _ : state) {
        const QByteArray data = CNContactVCardSerialization::dataWithContacts(contacts);
        written = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    report(state, written, cards);
}
BENCHMARK(BM_WriteVCards)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    UserDefaults::setStorageFile(TempFiles::path(QStringLiteral("bench-defaults.conf")));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
