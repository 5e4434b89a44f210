#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// The Japanese postal-code lists ("ken_all": every area, "jigyosyo": offices with codes of
// their own), condensed to the columns a lookup needs, and the lookup by postal code.

// One lookup result. An area gives its phonetic city and street; an office gives its name.
struct PostalCodeRecord {
    QString zip; // "123-4567"
    QString state;
    QString city;
    QString street;
    QString phoneticCity;
    QString phoneticStreet;
    QString company;
    std::optional<QString> phoneticCompany; // offices only

    friend bool operator==(const PostalCodeRecord &, const PostalCodeRecord &) = default;
};

// Names of the two lists, which are also their files' base names (extension "gzip").
inline const QString KenAllName = QStringLiteral("ken_all");
inline const QString JigyosyoName = QStringLiteral("jigyosyo");

// zlib or gzip data inflated whole; nothing for a corrupt or truncated stream. Empty data
// comes back empty.
std::optional<QByteArray> gzipInflate(const QByteArray &data);

// The list's CSV text as condensed lines: "K," and the area's seven kept columns, or "J,"
// and the office's, each followed by ",". Lines with too few fields are left out; a CR
// before the LF and a last line without LF are taken as any other line.
QString condensePostalCSV(QStringView text, const QString &resourceName);

// A field without its surrounding double quotes; `""` is the empty text.
QString stripDoublequote(QStringView field);

// "1234567" as "123-4567"; codes of three characters or fewer stay as they are.
QString formatZIP(const QString &zip);

// The records of condensed lines, in their order.
QList<PostalCodeRecord> dictionariesFromFindLines(QStringView lines);

// The condensed lists with their postal codes sorted for lookup. Immutable once built, so
// any thread may read it.
class PostalCodeIndex {
public:
    PostalCodeIndex() = default;
    // Condensed texts, areas first.
    explicit PostalCodeIndex(QStringList texts);

    // Reads "ken_all.gzip" and "jigyosyo.gzip" from the folder. A missing file is left
    // out; one that cannot be inflated or decoded gives an empty text.
    static PostalCodeIndex fromDirectory(const QString &directory);

    // The process's index from the data folder, built by the first caller on whatever
    // thread; every other caller waits until it is complete.
    static const PostalCodeIndex &shared();

    const QStringList &texts() const { return texts_; }

    // A code, or its first digits, with or without a hyphen after the third digit. Codes
    // are compared with each line's postal-code field only: a full code matches exactly,
    // a shorter one every code that goes on with a digit after it. Offices are searched
    // only when no area matches. Lines come in list order.
    QList<PostalCodeRecord> addressesFromZip(const QString &zip) const;

private:
    // A line's postal-code field, after its opening quote, and where the line starts.
    // 32-bit positions keep the entries of about 150,000 lines small; a list text is
    // some 10 million units long.
    struct CodeEntry {
        quint32 codeStart;
        quint32 codeLength;
        quint32 lineStart;
    };
    QStringList texts_;
    std::vector<std::vector<CodeEntry>> codes_; // per text, by code, then line order
};
