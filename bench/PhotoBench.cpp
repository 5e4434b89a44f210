// Contacts with very large photos: 40 cards, each with a 5700 x 5700 colour PNG of one colour
// (about 95 KB of PNG, 130 KB of Base64 in the file), as make_hazards.py writes them. What the
// table, the detail panel and the card cost the main thread and memory to show them.
//
// Counters, per showing: main_ms is the main thread's CPU time (what freezes the window),
// wall_ms the time until every picture is shown; rss_MB is the memory held afterwards beyond
// what the records hold, peak_MB the process's peak (run one benchmark per process, with
// --benchmark_filter, for it to mean anything).
#include "bench/ProcessStatus.h"
#include "contact_info/ContactInfoController.h"
#include "contacts_table/ContactsTableModel.h"
#include "contacts_table/ContactsViewController.h"
#include "model/QMvCard.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

constexpr int cards = 40;

double mainThreadMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

QByteArray bigPng() {
    QImage image(5700, 5700, QImage::Format_RGB888);
    image.fill(Qt::black);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return png;
}

// The file's text: TESSARIN_PHOTO_VCF names one (photo_5700rgb_x40.vcf), else it is made.
const QString &photoCards() {
    static const QString text = [] {
        if (const QString path = qEnvironmentVariable("TESSARIN_PHOTO_VCF"); !path.isEmpty()) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                return QString::fromUtf8(file.readAll());
        }
        const QString photo = QString::fromLatin1(bigPng().toBase64());
        QString made;
        for (int i = 0; i < cards; ++i)
            made += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Big%1;Test;;;\r\nFN:Test Big%1\r\n"
                                   "PHOTO;ENCODING=b;TYPE=PNG:%2\r\nEND:VCARD\r\n")
                        .arg(i, 3, 10, QLatin1Char('0'))
                        .arg(photo);
        return made;
    }();
    return text;
}

// Fresh records each time, so nothing decoded by an earlier run is reused; without their
// photos, for the cost of showing the same contacts without any.
SharedContactTable freshContacts(bool photos = true) {
    const auto containers = QMvCard().containersFromVCards(photoCards());
    const SharedContactTable contacts = QMvCard::contactsInContainer(containers->first());
    if (!photos)
        for (const ContactEntry &entry : std::as_const(*contacts))
            entry.person->setPhoto(QImage());
    return contacts;
}

// Every name cell on screen has its picture: no decode is running or waiting.
bool allThumbnailsShown(ContactsViewController &controller) {
    return controller.tableModel()->thumbnails().pendingCount() == 0;
}

// Times `work` (run over fresh records made by `setUp`) on the main thread's clock and the
// wall clock; memory is counted from the end of the setting up.
struct Measure {
    double mainMs = 0, wallMs = 0;
    qsizetype runs = 0;

    template <typename Work> void run(benchmark::State &state, qsizetype runsPerWork, Work work) {
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const double rssBefore = statusMegabytes("VmRSS:");
        state.ResumeTiming();
        QElapsedTimer wall;
        wall.start();
        const double cpu = mainThreadMilliseconds();
        work();
        mainMs += mainThreadMilliseconds() - cpu;
        wallMs += double(wall.nsecsElapsed()) / 1e6;
        runs += runsPerWork;
        state.PauseTiming();
        state.counters["main_ms"] = mainMs / double(runs);
        state.counters["wall_ms"] = wallMs / double(runs);
        state.counters["rss_MB"] = statusMegabytes("VmRSS:") - rssBefore;
        state.counters["peak_MB"] = statusMegabytes("VmHWM:");
        state.ResumeTiming();
    }
};

// One photo of the file decoded whole (0) or fitted to a side in pixels.
void BM_DecodePhoto(benchmark::State &state) {
    const QByteArray data = freshContacts()->first().person->photoData();
    const int side = int(state.range(0));
    QSize decoded;
    for (auto _ : state)
        decoded = QMPerson::decodePhoto(data, side > 0 ? QSize(side, side) : QSize()).size();
    state.counters["width"] = decoded.width();
    state.counters["peak_MB"] = statusMegabytes("VmHWM:");
}
BENCHMARK(BM_DecodePhoto)->Arg(24)->Arg(82)->Arg(128)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// The table of the 40 contacts (with their photos: 1, without: 0) on a 1280 x 900 screen,
// from the window showing until every row shows its picture.
void BM_TableThumbnails(benchmark::State &state) {
    Measure measure;
    for (auto _ : state) {
        state.PauseTiming();
        const SharedContactTable contacts = freshContacts(state.range(0) != 0);
        auto controller = std::make_unique<ContactsViewController>();
        controller->view()->resize(1280, 900);
        controller->setContactTable(contacts);
        controller->updateColumnsInTableView({FieldId::Name, FieldId::Phone});
        state.ResumeTiming();
        measure.run(state, 1, [&] {
            controller->view()->show();
            QCoreApplication::processEvents();
            // The event loop idles until the decodes report.
            ThumbnailCache &thumbnails = controller->tableModel()->thumbnails();
            QEventLoop loop;
            QObject::connect(&thumbnails, &ThumbnailCache::pictureReady, &loop, [&] {
                if (thumbnails.pendingCount() == 0)
                    loop.quit();
            });
            if (thumbnails.pendingCount() > 0)
                loop.exec();
            QCoreApplication::processEvents();
            QTableView *view = controller->tableView();
            QImage screen(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&screen);
            view->viewport()->render(&painter);
        });
    }
}
BENCHMARK(BM_TableThumbnails)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The selection moving down the 40 contacts (with their photos: 1, without: 0) one by one,
// as the window shows each: the detail panel unlocked (its field table with the photo row),
// or locked (the card, filled and shown, besides the table).
void BM_Selection(benchmark::State &state, bool locked) {
    Measure measure;
    for (auto _ : state) {
        state.PauseTiming();
        const SharedContactTable contacts = freshContacts(state.range(0) != 0);
        ContactInfoController panel;
        panel.view()->resize(600, 900);
        panel.view()->show();
        panel.showCard(locked);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        measure.run(state, contacts->size(), [&] {
            for (const ContactEntry &entry : std::as_const(*contacts)) {
                panel.setContact(&entry);
                if (locked)
                    panel.updateWebView();
                QCoreApplication::processEvents();
                // As the event loop would: the cells of the previous contact go.
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        });
    }
}
BENCHMARK_CAPTURE(BM_Selection, Panel, false)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Selection, Card, true)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace
