// Resident memory around reading a file of text-only cards and releasing it, as opening and
// closing a document does, and while the document is open with its table built.
// TESSARIN_BENCH_UNTUNED=1 leaves the allocator as the C library sets it, to compare.
// Counters in MB.
#include "bench/VCardGenerator.h"
#include "contacts_table/SubContactRows.h"
#include "model/QMvCard.h"
#include "platform/core/Memory.h"
#include "platform/core/TempFiles.h"
#include "platform/ui/TextFile.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

double megabytes(qint64 bytes) {
    return double(bytes) / 1e6;
}

void BM_ResidentAroundReading(benchmark::State &state) {
    const int cards = int(state.range(0));
    const QByteArray bytes = generateVCards({cards, false, 7});
    const qint64 before = Memory::residentBytes();
    qint64 open = 0, closed = 0, returned = 0;
    rusage start{};
    getrusage(RUSAGE_SELF, &start);
    for (auto _ : state) {
        {
            QString text = QString::fromUtf8(bytes);
            auto table = QMvCard().containersFromVCards(text);
            if (!table || QMvCard::contactsInContainer(table->first())->size() != cards)
                state.SkipWithError("cards lost");
            text.clear(); // the document keeps the records, not the text
            open = Memory::residentBytes();
        }
        closed = Memory::residentBytes();
        Memory::returnFreedMemory();
        returned = Memory::residentBytes();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &a, const timeval &b) {
        return double(b.tv_sec - a.tv_sec) + double(b.tv_usec - a.tv_usec) / 1e6;
    };
    // Every thread's time: the kernel's share is the paging in that the allocator setting cuts.
    state.counters["user_s"] = seconds(start.ru_utime, usage.ru_utime);
    state.counters["sys_s"] = seconds(start.ru_stime, usage.ru_stime);
    state.counters["file_MB"] = megabytes(bytes.size());
    state.counters["before_MB"] = megabytes(before);
    state.counters["open_MB"] = megabytes(open);
    state.counters["peak_MB"] = double(usage.ru_maxrss) * 1024 / 1e6;
    state.counters["closed_MB"] = megabytes(closed);
    state.counters["returned_MB"] = megabytes(returned);
}
// One size per run (the peak is the process's): --benchmark_filter=.../100000$
BENCHMARK(BM_ResidentAroundReading)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(200000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The document's own way: the file read and decoded (its bytes dropped), the cards read
// (the text dropped), the rows of the table built. `open_MB` is the resident size with the
// document open; `peak_MB` the most the process held, reading included; `per_file` both
// over the file's size, and `added_per_file` what the open document added. One size per
// run, as above.
void BM_ResidentWhileOpen(benchmark::State &state) {
    const int cards = int(state.range(0));
    qint64 fileBytes = 0;
    QString path;
    {
        const QByteArray bytes = generateVCards({cards, false, 7});
        fileBytes = bytes.size();
        path = TempFiles::writeAtomically(QStringLiteral("memory-bench-%1.vcf").arg(cards), bytes);
    }
    Memory::returnFreedMemory();
    const qint64 before = Memory::residentBytes();
    qint64 open = 0;
    size_t rows = 0;
    for (auto _ : state) {
        std::shared_ptr<ContainerTable> table;
        {
            PlatformError error;
            const std::optional<QString> text = TextFile::read(path, TextEncoding::Automatic, &error);
            if (text)
                table = QMvCard().containersFromVCards(*text);
        }
        if (!table || QMvCard::contactsInContainer(table->first())->size() != cards) {
            state.SkipWithError("cards lost");
            break;
        }
        const SubContactRows::BuildContext columns{
            {FieldId::Name, FieldId::Email, FieldId::Phone, FieldId::Address},
            {QStringLiteral("All")},
            {},
            false};
        const SubContactTable built =
            SubContactRows::buildRows(*QMvCard::contactsInContainer(table->first()), columns, 600000);
        rows = built.size();
        open = Memory::residentBytes();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = double(usage.ru_maxrss) * 1024;
    state.counters["file_MB"] = megabytes(fileBytes);
    state.counters["rows"] = double(rows);
    state.counters["before_MB"] = megabytes(before);
    state.counters["open_MB"] = megabytes(open);
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["open_per_file"] = double(open) / double(fileBytes);
    state.counters["added_per_file"] = double(open - before) / double(fileBytes);
    state.counters["peak_per_file"] = peak / double(fileBytes);
}
BENCHMARK(BM_ResidentWhileOpen)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(200000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIntValue("TESSARIN_BENCH_UNTUNED") != 1)
        Memory::tuneForLargeDocuments();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
