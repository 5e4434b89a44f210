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

// The same on a given number of reading threads (cards, threads); wall time, and the CPU
// time of every thread of the process, so the gain and the cost of spreading show apart.
void BM_ContainersFromVCardsOnThreads(benchmark::State &state) {
    const int cards = int(state.range(0));
    const QString &text = textOnlyCards(cards);
    const QMvCard converter(int(state.range(1)));
    for (auto _ : state) {
        quint64 reached = 0;
        qsizetype calls = 0;
        auto table = converter.containersFromVCards(text, nullptr, [&](bool *, quint64 position) {
            if (position <= reached)
                calls = -1;
            else if (calls >= 0)
                ++calls;
            reached = position;
        });
        if (!table || QMvCard::contactsInContainer(table->first())->size() != cards ||
            reached != quint64(text.size()) || calls != cards)
            state.SkipWithError("cards lost or progress out of order");
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * cards);
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
}
BENCHMARK(BM_ContainersFromVCardsOnThreads)
    ->ArgsProduct({{10000, 100000, 200000}, {1, 4, 8}})
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// A file of cards without END:VCARD between complete ones (about 3 MB for 20,000 pairs):
// each broken card ends at the next card, so cutting stays linear.
void BM_ContainersFromBrokenCards(benchmark::State &state) {
    const int pairs = int(state.range(0));
    QString text;
    for (int i = 0; i < pairs; ++i)
        text += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Broken%1;Ann;;;\r\nTEL:+1 555 %1\r\n"
                               "NOTE:never closed\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:Whole%1;Bob;;;\r\n"
                               "TEL;TYPE=CELL:+1 555 %1\r\nEMAIL:bob%1@example.com\r\nEND:VCARD\r\n")
                    .arg(i);
    for (auto _ : state) {
        auto table = QMvCard().containersFromVCards(text);
        if (QMvCard::contactsInContainer(table->first())->size() != 2 * pairs)
            state.SkipWithError("cards lost");
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * pairs);
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
}
BENCHMARK(BM_ContainersFromBrokenCards)->Arg(20000)->Unit(benchmark::kMillisecond);

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
