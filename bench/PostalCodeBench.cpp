#include "bench/ProcessStatus.h"
#include "editors/PostalCodeIndex.h"

#include <benchmark/benchmark.h>

// The shipped lists: about 124,500 areas and 22,400 offices, 2.2 MB compressed.
static const QString dataDirectory = QStringLiteral(TESSARIN_SOURCE_DATA_DIR);

static const PostalCodeIndex &index() {
    static const PostalCodeIndex built = PostalCodeIndex::fromDirectory(dataDirectory);
    return built;
}

// The build's peak memory above what the process held before, and what the index keeps.
// Resetting the kernel's high-water mark (clear_refs 5) makes the peak the build's own;
// first, while the heap holds nothing freed that would hide the build's growth.
static void BM_BuildIndexMemory(benchmark::State &state) {
    for (auto _ : state) {
        if (!resetPeakResident()) {
            state.SkipWithError("cannot reset the peak resident size");
            return;
        }
        const double before = statusMegabytes("VmRSS:");
        PostalCodeIndex built = PostalCodeIndex::fromDirectory(dataDirectory);
        state.counters["peak_MB"] = statusMegabytes("VmHWM:") - before;
        state.counters["kept_MB"] = statusMegabytes("VmRSS:") - before;
        benchmark::DoNotOptimize(built);
    }
}
BENCHMARK(BM_BuildIndexMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Reading, inflating, decoding and condensing both lists and sorting their codes.
static void BM_BuildIndex(benchmark::State &state) {
    for (auto _ : state) {
        PostalCodeIndex built = PostalCodeIndex::fromDirectory(dataDirectory);
        benchmark::DoNotOptimize(built);
    }
}
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);

static void BM_Lookup(benchmark::State &state, const QString &code) {
    const PostalCodeIndex &built = index();
    qsizetype found = 0;
    for (auto _ : state) {
        const QList<PostalCodeRecord> records = built.addressesFromZip(code);
        found = records.size();
        benchmark::DoNotOptimize(records);
    }
    state.counters["records"] = double(found);
}
BENCHMARK_CAPTURE(BM_Lookup, FullCode, QStringLiteral("100-0001"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Lookup, OfficeCode, QStringLiteral("0018501"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Lookup, NoMatch, QStringLiteral("9999999"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Lookup, ThreeDigits, QStringLiteral("100"))->Unit(benchmark::kMicrosecond);
