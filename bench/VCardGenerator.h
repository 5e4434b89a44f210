#pragma once

#include <QByteArray>

// Realistic vCard 3.0 files for benchmarks: Latin and Japanese names (with phonetic
// names), 0 to 4 phones, 0 to 3 e-mails, 0 to 2 addresses, URLs and birthdays now and
// then, 10 % multi-line notes, 5 % small photos and categories, in the dialect of the
// common address books (item groups with X-ABLabel). The same seed gives the same text.
struct VCardGeneratorOptions {
    int cards = 1000;
    bool photos = true; // false: text-only cards
    unsigned seed = 1;
};

QByteArray generateVCards(const VCardGeneratorOptions &options);
