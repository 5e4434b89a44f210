// Resident memory around reading a file of text-only cards (or the CSV file they write) and
// releasing it, as opening and closing a document does, and while a document is open with
// its table built. TESSARIN_BENCH_UNTUNED=1 leaves the allocator as the C library sets it,
// to compare. Counters in MB.
#include "bench/VCardGenerator.h"
#include "contacts_table/SubContactRows.h"
#include "model/QMvCard.h"
#include "platform/core/Memory.h"
#include "platform/core/TempFiles.h"
#include "platform/ui/TextFile.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>

namespace {

double megabytes(qint64 bytes) {
    return double(bytes) / 1e6;
}

// The bytes allocated and not freed: unlike the resident size, without the pages freed but
// not yet handed back.
qint64 heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// A CSV file of the rows the generated cards write, made a thousand cards at a time so that
// making it leaves the process's peak well below reading it.
QByteArray generatedCsv(int rows) {
    QByteArray bytes;
    for (int done = 0; done < rows;) {
        const int chunk = std::min(1000, rows - done);
        const auto table = QMvCard().containersFromVCards(
            QString::fromUtf8(generateVCards({chunk, false, unsigned(7 + done)})));
        QString text = QMvCard().csvFromSubContacts(*QMvCard::contactsInContainer(table->first()));
        if (done > 0)
            text.remove(0, text.indexOf(u'\n') + 1); // one header line
        bytes += text.toUtf8();
        done += chunk;
    }
    return bytes;
}

// A CSV file as the document reads it: decoded text, progress after each row, the text
// released once the contacts are made. The _x_file counters are the process's size over the
// file's.
void BM_ResidentAroundReadingCsv(benchmark::State &state) {
    const int rows = int(state.range(0));
    const QByteArray bytes = generatedCsv(rows);
    Memory::returnFreedMemory();
    const qint64 before = Memory::residentBytes();
    rusage start{};
    getrusage(RUSAGE_SELF, &start);
    qint64 open = 0, closed = 0, returned = 0, records = 0;
    const qint64 heapBefore = heapInUse();
    for (auto _ : state) {
        {
            QString text = QString::fromUtf8(bytes);
            quint64 reached = 0;
            auto table = QMvCard().containersFromCSV(text, [&](bool *, quint64 at) { reached = at; });
            if (!table || QMvCard::contactsInContainer(table->first())->size() != rows ||
                reached != quint64(text.size()))
                state.SkipWithError("rows lost");
            text.clear();
            open = Memory::residentBytes();
            records = heapInUse() - heapBefore;
        }
        closed = Memory::residentBytes();
        Memory::returnFreedMemory();
        returned = Memory::residentBytes();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["file_MB"] = megabytes(bytes.size());
    state.counters["before_MB"] = megabytes(before);
    // The peak of making the file, which the reading's peak must stand above to be its own.
    state.counters["made_peak_MB"] = double(start.ru_maxrss) * 1024 / 1e6;
    state.counters["open_MB"] = megabytes(open);
    state.counters["peak_MB"] = double(usage.ru_maxrss) * 1024 / 1e6;
    state.counters["open_x_file"] = double(open) / double(bytes.size());
    state.counters["peak_x_file"] = double(usage.ru_maxrss) * 1024 / double(bytes.size());
    // What the read added, without the libraries and the file's own bytes resident before it.
    state.counters["open_added_x_file"] = double(open - before) / double(bytes.size());
    state.counters["peak_added_x_file"] =
        (double(usage.ru_maxrss) * 1024 - double(before)) / double(bytes.size());
    state.counters["closed_MB"] = megabytes(closed);
    state.counters["returned_MB"] = megabytes(returned);
    state.counters["records_MB"] = megabytes(records);
}
BENCHMARK(BM_ResidentAroundReadingCsv)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(200000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

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
            Memory::releasingRecords();
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
// document open; `peak_MB` the most the process held, reading included; the _x_file
// counters as for CSV. One size per run, as above.
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
    const qint64 heapBefore = heapInUse();
    qint64 open = 0, records = 0;
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
        records = heapInUse() - heapBefore;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = double(usage.ru_maxrss) * 1024;
    const double file = double(fileBytes);
    state.counters["file_MB"] = megabytes(fileBytes);
    state.counters["rows"] = double(rows);
    state.counters["before_MB"] = megabytes(before);
    state.counters["open_MB"] = megabytes(open);
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["open_x_file"] = double(open) / file;
    state.counters["peak_x_file"] = peak / file;
    state.counters["open_added_x_file"] = double(open - before) / file;
    state.counters["peak_added_x_file"] = (peak - double(before)) / file;
    // The contacts and rows themselves, without the pages the allocator keeps.
    state.counters["records_MB"] = megabytes(records);
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
