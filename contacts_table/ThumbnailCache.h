#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>

#include <deque>
#include <optional>

// The table's photos at the size the name cells draw them. A photo is decoded on the worker
// pool from a shared copy of its bytes (never from the contact), at that size only, and the
// most recently drawn ones are kept, up to a bound; the rest are decoded again when drawn
// again. The bytes are kept with their picture, so a picture is never taken for the wrong
// bytes, and contacts sharing one photo's bytes share its picture.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    // More pictures than the capacity are not kept: the least recently drawn go first.
    explicit ThumbnailCache(qsizetype capacity = defaultCapacity, QObject *parent = nullptr);

    // The picture of these bytes at `side` pixels (fitted, never enlarged), or none while it
    // is being decoded: pictureReady follows. A null image when the bytes are no picture.
    std::optional<QImage> picture(const QByteArray &data, int side);

    // Pictures kept, and decodes running and waiting.
    qsizetype size() const { return entries_.size(); }
    qsizetype pendingCount() const { return qsizetype(waiting_.size()) + running_; }

    // A screen shows some 40 rows; this keeps many screens of scrolling back and forth, at
    // a few kilobytes a picture.
    static constexpr qsizetype defaultCapacity = 1024;
    // Decodes at once (half the cores, so the rest of the program keeps its share): the rest
    // wait, the most recently asked for first, since a scrolling table asks for rows that are
    // soon gone; beyond maximumWaiting the oldest are forgotten (asked for again if they are
    // drawn again).
    static int concurrentDecodes();
    static constexpr qsizetype maximumWaiting = 256;

signals:
    // The picture of these bytes is decoded: what shows it can be redrawn.
    void pictureReady(const QByteArray &data);

private:
    struct Key {
        const char *data;
        qsizetype size;
        int side;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed) {
        return qHashMulti(seed, key.data, key.size, key.side);
    }
    struct Entry {
        QByteArray data; // held, so the key's pointer stays this picture's
        QImage image;
        quint64 lastUse = 0;
    };
    struct Request {
        Key key;
        QByteArray data;
    };

    void startDecodes();
    void finished(const Request &request, const QImage &image);
    void evict();

    qsizetype capacity_;
    QHash<Key, Entry> entries_;
    std::deque<Request> waiting_;
    QSet<Key> asked_; // waiting or running
    int running_ = 0;
    quint64 clock_ = 0;
};
