#include "bench/VCardGenerator.h"
#include "model/QMvCard.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

const QString &textOnlyCards(int cards) {
    static std::map<int, QString> cache;
    QString &text = cache[cards];
    if (text.isEmpty())
        text = QString::fromUtf8(generateVCards({cards, false, 7}));
    return text;
}

const std::shared_ptr<ContainerTable> &readCards(int cards) {
    static std::map<int, std::shared_ptr<ContainerTable>> cache;
    auto &table = cache[cards];
    if (!table)
        table = QMvCard().containersFromVCards(textOnlyCards(cards));
    return table;
}

const QStringList exportOptions = {VCardOption::Photo, VCardOption::Note, VCardOption::Custom,
                                   VCardOption::Categories};

// A file's text to the document's containers, progress reported per card as the
// document does.
void BM_ContainersFromVCards(benchmark::State &state) {
    const int cards = int(state.range(0));
    const QString &text = textOnlyCards(cards);
    for (auto _ : state) {
        quint64 reached = 0;
        auto table = QMvCard().containersFromVCards(text, nullptr, [&](bool *, quint64 position) {
            reached = position;
        });
        if (!table || QMvCard::contactsInContainer(table->first())->size() != cards ||
            reached != quint64(text.size()))
            state.SkipWithError("cards lost");
        // The document keeps what it read: releasing it is not part of reading.
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * cards);
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
}
BENCHMARK(BM_ContainersFromVCards)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The export: the same contacts back to vCard text with the program's own lines.
void BM_VCardsFromContacts(benchmark::State &state) {
    const int cards = int(state.range(0));
    const ContainerRecord &container = readCards(cards)->first();
    const ContactTable &contacts = *QMvCard::contactsInContainer(container);
    qint64 written = 0;
    for (auto _ : state) {
        const auto text = QMvCard().vCardsFromContacts(
            contacts, exportOptions, &container, [](bool *, quint64) {}, QList<CustomItemDefinition>());
        written = text ? text->size() : 0;
        benchmark::DoNotOptimize(text->constData());
    }
    state.SetItemsProcessed(state.iterations() * cards);
    state.counters["chars"] = double(written);
}
BENCHMARK(BM_VCardsFromContacts)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CsvFromSubContacts(benchmark::State &state) {
    const int cards = int(state.range(0));
    const ContactTable &contacts = *QMvCard::contactsInContainer(readCards(cards)->first());
    for (auto _ : state) {
        const QString text = QMvCard().csvFromSubContacts(contacts);
        benchmark::DoNotOptimize(text.constData());
    }
    state.SetItemsProcessed(state.iterations() * cards);
}
BENCHMARK(BM_CsvFromSubContacts)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ContactsFromCSV(benchmark::State &state) {
    const int cards = int(state.range(0));
    const QString text =
        QMvCard().csvFromSubContacts(*QMvCard::contactsInContainer(readCards(cards)->first()));
    for (auto _ : state) {
        const ContactTable contacts = QMvCard().contactsFromCSV(text);
        if (contacts.size() != cards)
            state.SkipWithError("lines lost");
        benchmark::DoNotOptimize(contacts.constData());
    }
    state.SetItemsProcessed(state.iterations() * cards);
}
BENCHMARK(BM_ContactsFromCSV)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
