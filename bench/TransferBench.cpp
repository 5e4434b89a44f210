#include "app/DocumentWindow.h"
#include "app/ViewController.h"
#include "app/WindowController.h"
#include "bench/VCardGenerator.h"
#include "model/QMvCard.h"
#include "platform/core/TempFiles.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Document.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCards = 100000;

class BenchDocument : public Document {
public:
    std::shared_ptr<ContainerTable> containers;
    tessarin::WindowController *controller = nullptr;
    void makeWindowControllers() override {
        controller = tessarin::makeDocumentWindow(this, std::move(containers));
    }
};

// From the command, with every contact selected and the save panel answered, to the
// renamed file: snapshot, background build behind the progress window, atomic write.
void BM_ExportVCard(benchmark::State &state) {
    UserDefaults::setStorageFile(TempFiles::directory() + QStringLiteral("/bench-defaults.ini"));
    UserDefaults::standard().resetAll();
    auto document = std::make_unique<BenchDocument>();
    document->containers =
        QMvCard().containersFromVCards(QString::fromUtf8(generateVCards({kCards, false, 7})));
    document->makeWindowControllers();
    tessarin::WindowController *window = document->controller;
    window->mainViewController()->contactsViewController()->tableView()->selectAll();
    const QString path = TempFiles::directory() + QStringLiteral("/export-bench.vcf");
    ScriptedDialogPresenter dialogs;
    for (auto _ : state) {
        dialogs.chooseFiles({QUrl::fromLocalFile(path)});
        window->exportToVCard(nullptr);
    }
    if (QFileInfo(path).size() < kCards * 50)
        state.SkipWithError("file not written");
    state.counters["bytes"] = double(QFileInfo(path).size());
    document.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
BENCHMARK(BM_ExportVCard)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
