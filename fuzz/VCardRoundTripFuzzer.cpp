#include "fuzz/FuzzerSetup.h"
#include "fuzz/VCardRoundTrip.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Reads any bytes as a document's vCard text, exports what was read and opens it again:
// the contacts, their custom items and their groups must come back the same.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    setUpFuzzer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const VCardRoundTrip::Trip trip = VCardRoundTrip::travel(text);
    const QString difference = VCardRoundTrip::difference(trip.first->first(), trip.second->first());
    if (!difference.isEmpty()) {
        std::fprintf(stderr, "%s\nexported:\n%s\n", qPrintable(difference), qPrintable(trip.exported));
        std::abort();
    }
    return 0;
}
