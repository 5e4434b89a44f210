#include "contacts_table/ThumbnailCache.h"

#include "model/QMPerson.h"
#include "platform/core/Dispatch.h"

#include <QPointer>
#include <QThread>

#include <algorithm>

ThumbnailCache::ThumbnailCache(qsizetype capacity, QObject *parent)
    : QObject(parent)
    , capacity_(std::max<qsizetype>(capacity, 4)) {}

int ThumbnailCache::concurrentDecodes() {
    return std::max(1, QThread::idealThreadCount() / 2);
}

std::optional<QImage> ThumbnailCache::picture(const QByteArray &data, int side) {
    const Key key{data.constData(), data.size(), side};
    if (auto found = entries_.find(key); found != entries_.end()) {
        found->lastUse = ++clock_;
        return found->image;
    }
    if (!asked_.contains(key)) {
        asked_.insert(key);
        waiting_.push_back({key, data});
        if (qsizetype(waiting_.size()) > maximumWaiting) {
            asked_.remove(waiting_.front().key);
            waiting_.pop_front();
        }
        startDecodes();
    }
    return std::nullopt;
}

void ThumbnailCache::startDecodes() {
    while (running_ < concurrentDecodes() && !waiting_.empty()) {
        Request request = std::move(waiting_.back());
        waiting_.pop_back();
        ++running_;
        // The worker reads only its own copy of the bytes; the picture comes back to the
        // main thread, to a cache that may be gone by then (its window closed).
        Dispatch::global([request = std::move(request), self = QPointer(this)] {
            const QImage image =
                QMPerson::decodePhoto(request.data, QSize(request.key.side, request.key.side));
            Dispatch::main([request, image, self] {
                if (!self)
                    return;
                --self->running_;
                self->finished(request, image);
                self->startDecodes();
            });
        });
    }
}

void ThumbnailCache::finished(const Request &request, const QImage &image) {
    asked_.remove(request.key);
    entries_.insert(request.key, Entry{request.data, image, ++clock_});
    evict();
    emit pictureReady(request.data);
}

void ThumbnailCache::evict() {
    if (entries_.size() <= capacity_)
        return;
    // Down to three quarters at once, so that evicting stays rare.
    std::vector<quint64> uses;
    uses.reserve(size_t(entries_.size()));
    for (const Entry &entry : std::as_const(entries_))
        uses.push_back(entry.lastUse);
    const auto cut = uses.begin() + (uses.size() - size_t(capacity_ * 3 / 4));
    std::nth_element(uses.begin(), cut, uses.end());
    const quint64 oldestKept = *cut;
    entries_.removeIf([oldestKept](const auto &item) { return item.value().lastUse < oldestKept; });
}
