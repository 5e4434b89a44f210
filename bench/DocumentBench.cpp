#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/reading/QMvCardReader.h"
#include "bench/VCardGenerator.h"
#include "platform/core/TempFiles.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/TextFile.h"

#include <QFile>

#include <memory>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCards = 100000;

// A generated file of text-only cards, written once.
const QString &cardFile() {
    static const QString path = [] {
        const QString file = TempFiles::directory() + QStringLiteral("/bench-100000.vcf");
        QFile out(file);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(generateVCards({kCards, false, 7}));
        return file;
    }();
    return path;
}

// From disk to the all-contacts group as the document reads a file: read, decode (detected),
// parse with progress, take the first container's contacts.
void BM_OpenFileToAllContacts(benchmark::State &state) {
    const QString &path = cardFile();
    tessarin::QMvCardReader reader;
    for (auto _ : state) {
        PlatformError error;
        const std::optional<QString> text = TextFile::read(path, TextEncoding::Automatic, &error);
        const double length = text ? double(text->size()) : 1.0;
        int percent = 0;
        tessarin::DocumentContentsPtr contents =
            text ? reader.containersFromVCards(*text, &error,
                                               [&](qsizetype at) {
                                                   percent = int(double(at) / length * 100.0);
                                                   return true;
                                               })
                 : nullptr;
        if (!contents || contents->contactCount() != kCards || percent != 100)
            state.SkipWithError("cards lost");
        state.PauseTiming();
        contents.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCards);
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
}
BENCHMARK(BM_OpenFileToAllContacts)->Unit(benchmark::kMillisecond)->Iterations(3);

// The document's own read: the parse on the worker pool behind the progress window (which
// stays at least one second).
void BM_DocumentReadBehindProgressWindow(benchmark::State &state) {
    const QString &path = cardFile();
    tessarin::ContactsReader::setShared(std::make_shared<tessarin::QMvCardReader>());
    for (auto _ : state) {
        auto document = std::make_unique<tessarin::Document>();
        PlatformError error;
        if (!document->readFromURL(QUrl::fromLocalFile(path), ContentTypes::VCard, &error) ||
            document->containerTable()->contactCount() != kCards)
            state.SkipWithError("read failed");
        // The window keeps what was read: releasing it is not part of reading.
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    tessarin::ContactsReader::setShared(nullptr);
}
BENCHMARK(BM_DocumentReadBehindProgressWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
