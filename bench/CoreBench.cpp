#include "platform/core/UserDefaults.h"

#include <benchmark/benchmark.h>

// Window frames and fonts are stored under keys holding the document's name.
static void BM_EscapeDocumentKey(benchmark::State &state) {
    const QString key = QStringLiteral("NSWindow Frame Projects/2024/Contacts.vcf");
    for (auto _ : state)
        benchmark::DoNotOptimize(UserDefaults::escapeKey(key));
}
BENCHMARK(BM_EscapeDocumentKey);
