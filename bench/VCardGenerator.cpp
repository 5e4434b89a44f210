#include "bench/VCardGenerator.h"

#include <QString>

#include <random>

namespace {

const char *const latinGiven[] = {"James",    "Mary",     "Robert",  "Patricia",  "John",
                                  "Jennifer", "Michael",  "Linda",   "David",     "Elizabeth",
                                  "William",  "Barbara",  "Richard", "Susan",     "José",
                                  "Zoë",      "François", "Søren",   "Anna-Lena", "Mohammed"};
const char *const latinFamily[] = {"Smith",     "Johnson", "Williams",     "Brown",     "Jones",
                                   "Garcia",    "Miller",  "Davis",        "Rodriguez", "Martinez",
                                   "Hernández", "Lopez",   "Gonzalez",     "Wilson",    "Anderson",
                                   "Müller",    "O'Brien", "van der Berg", "Nguyen",    "Kowalski"};
struct Kana {
    const char *written;
    const char *reading;
};
const Kana japaneseGiven[] = {{"太郎", "たろう"},   {"花子", "はなこ"},   {"翔太", "しょうた"},
                              {"さくら", "さくら"}, {"健一", "けんいち"}, {"美咲", "みさき"},
                              {"大輔", "だいすけ"}, {"陽菜", "ひな"}};
const Kana japaneseFamily[] = {{"佐藤", "さとう"},   {"鈴木", "すずき"},  {"高橋", "たかはし"},
                               {"田中", "たなか"},   {"伊藤", "いとう"},  {"渡辺", "わたなべ"},
                               {"山本", "やまもと"}, {"中村", "なかむら"}};
const char *const companies[] = {"ACME Corporation", "Globex",           "Initech",           "Umbrella Ltd.",
                                 "株式会社サンプル", "Stark Industries", "Wayne Enterprises", "Hooli"};
const char *const phoneTypes[] = {
    "type=CELL;type=VOICE", "type=HOME;type=VOICE", "type=WORK;type=VOICE", "type=HOME;type=FAX", "type=MAIN",
    "type=IPHONE;type=CELL"};
const char *const streets[] = {"Main Street",  "Oak Avenue",    "Park Road",
                               "千代田一丁目", "Rue de Rivoli", "Hauptstraße"};
const char *const cities[] = {"Springfield", "Shelbyville", "千代田区", "Paris", "Berlin", "Portland"};
const char *const categories[] = {"Friends", "Family", "Work", "VIP", "取引先", "Golf"};

class Generator {
public:
    explicit Generator(unsigned seed)
        : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, size_t N> const T &pick(const T (&items)[N]) { return items[below(int(N))]; }
    QByteArray digits(int n) {
        QByteArray out;
        for (int i = 0; i < n; ++i)
            out += char('0' + below(10));
        return out;
    }

    void card(QByteArray &out, bool photos) {
        int item = 0;
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Tessarin2//Benchmark//EN\r\n";
        QByteArray given, family;
        if (chance(40)) {
            const Kana &g = pick(japaneseGiven), &f = pick(japaneseFamily);
            given = g.written;
            family = f.written;
            out += "N:" + family + ';' + given + ";;;\r\nFN:" + family + ' ' + given + "\r\n";
            out += QByteArray("X-PHONETIC-FIRST-NAME:") + g.reading +
                   "\r\nX-PHONETIC-LAST-NAME:" + f.reading + "\r\n";
        } else {
            given = pick(latinGiven);
            family = pick(latinFamily);
            out += "N:" + family + ';' + given + ";;;\r\nFN:" + given + ' ' + family + "\r\n";
        }
        if (chance(60))
            out += QByteArray("ORG:") + pick(companies) + (chance(50) ? ";Sales" : "") + "\r\n";
        if (chance(30))
            out += "TITLE:Manager\r\n";
        const QByteArray user = QByteArray::number(below(100000));
        for (int i = below(4); i-- > 0;)
            out += QByteArray("EMAIL;type=INTERNET;") + (chance(50) ? "type=HOME" : "type=WORK") + ":user" +
                   user + '.' + QByteArray::number(i) + "@example.com\r\n";
        for (int i = below(5); i-- > 0;) {
            if (chance(15)) {
                const QByteArray group = "item" + QByteArray::number(++item);
                out += group + ".TEL:+1 555 " + digits(3) + ' ' + digits(4) + "\r\n" + group +
                       ".X-ABLabel:_$!<Other>!$_\r\n";
            } else {
                out += QByteArray("TEL;") + pick(phoneTypes) + ":0" + digits(2) + '-' + digits(4) + '-' +
                       digits(4) + "\r\n";
            }
        }
        for (int i = below(3); i-- > 0;) {
            const QByteArray group = "item" + QByteArray::number(++item);
            out += group + ".ADR;type=" + (i ? "WORK" : "HOME") + ":;;" + QByteArray::number(1 + below(999)) +
                   ' ' + pick(streets) + ";" + pick(cities) + ";;" + digits(5) + ";Country\r\n" + group +
                   ".X-ABADR:us\r\n";
        }
        if (chance(20)) {
            const QByteArray group = "item" + QByteArray::number(++item);
            out += group + ".URL:https://www.example.com/~" + user + "\r\n" + group +
                   ".X-ABLabel:_$!<HomePage>!$_\r\n";
        }
        if (chance(25))
            out += "BDAY:" + QByteArray::number(1940 + below(70)) + "-0" + QByteArray::number(1 + below(9)) +
                   '-' + QByteArray::number(10 + below(18)) + "\r\n";
        if (chance(10))
            out += "NOTE:Met at the conference in " + QByteArray::number(2000 + below(25)) +
                   ".\\nLikes coffee\\, not tea.\\nCall before noon.\r\n";
        if (photos && chance(5))
            photo(out);
        if (chance(30)) {
            out += QByteArray("CATEGORIES:") + pick(categories);
            if (chance(30))
                out += QByteArray(",") + pick(categories);
            out += "\r\n";
        }
        out += "END:VCARD\r\n";
    }

private:
    void photo(QByteArray &out) {
        QByteArray jpeg("\xff\xd8\xff\xe0", 4);
        const int size = 2000 + below(4000);
        for (int i = 0; i < size; ++i)
            jpeg += char(below(256));
        jpeg += QByteArray("\xff\xd9", 2);
        const QByteArray base64 = jpeg.toBase64();
        out += "PHOTO;ENCODING=b;TYPE=JPEG:" + base64.left(48) + "\r\n";
        for (qsizetype i = 48; i < base64.size(); i += 74)
            out += ' ' + base64.mid(i, 74) + "\r\n";
    }

    std::mt19937 random_;
};

} // namespace

QByteArray generateVCards(const VCardGeneratorOptions &options) {
    Generator generator(options.seed);
    QByteArray out;
    out.reserve(qsizetype(options.cards) * (options.photos ? 900 : 420));
    for (int i = 0; i < options.cards; ++i)
        generator.card(out, options.photos);
    return out;
}
