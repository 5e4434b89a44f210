// The random numbers the program asks for come from here in the fuzzers: contact
// identifiers above all. Random ones steer hash tables down other paths, so two runs
// with one seed would try different inputs. These definitions take the place of Qt's
// for the calls the program makes.
#include <QRandomGenerator>
#include <QUuid>

#include <cstddef>
#include <cstdint>

namespace {
uint8_t nextByte() {
    static uint64_t state = 0;
    // splitmix64
    uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return uint8_t(z ^ (z >> 31));
}
} // namespace

// Fills `count` 32-bit words, or returns 64 bits when there is no buffer.
quint64 QRandomGenerator::_fillRange(void *buffer, qptrdiff count) {
    quint64 word = 0;
    for (int i = 0; i < 8; ++i)
        word = word << 8 | nextByte();
    if (buffer)
        for (qptrdiff i = 0; i < count * qptrdiff(sizeof(quint32)); ++i)
            static_cast<uint8_t *>(buffer)[i] = nextByte();
    return word;
}

QUuid QUuid::createUuid() {
    QByteArray bytes(16, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(nextByte());
    bytes[6] = char((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = char((bytes[8] & 0x3F) | 0x80); // variant
    return QUuid::fromRfc4122(bytes);
}

extern "C" int getentropy(void *buffer, size_t length) {
    for (size_t i = 0; i < length; ++i)
        static_cast<uint8_t *>(buffer)[i] = nextByte();
    return 0;
}
