#include "editors/PostalCodeIndex.h"

#include "platform/core/Resources.h"
#include "platform/core/TextEncoding.h"

#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <mutex>

namespace {

// "Japanese (Windows, DOS)", ICU's windows-31j: the lists' Shift_JIS with the vendor rows.
constexpr TextEncoding::Constant WindowsJapanese = 0x80000420;

constexpr QChar Quote = u'"';
constexpr QChar Comma = u',';
constexpr QChar LineFeed = u'\n';
constexpr QChar CarriageReturn = u'\r';

// Fields kept of each list: seven consecutive columns from this one on.
qsizetype firstKeptColumn(bool offices) { return offices ? 1 : 2; }
constexpr qsizetype KeptColumns = 7;
constexpr qsizetype FullCodeLength = 7;

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Calls `visit` with each line of `text` without its line break (LF, or CR LF), the last
// line also when no LF ends it.
template <typename Visit> void forEachLine(QStringView text, Visit visit) {
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(LineFeed, start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start);
        if (line.endsWith(CarriageReturn))
            line.chop(1);
        visit(line, start);
        start = next;
    }
}

// The first `count` comma-separated fields of a line; fewer when the line has fewer.
QVarLengthArray<QStringView, 16> splitFields(QStringView line, qsizetype count) {
    QVarLengthArray<QStringView, 16> fields;
    qsizetype start = 0;
    while (fields.size() < count) {
        const qsizetype comma = line.indexOf(Comma, start);
        if (comma < 0) {
            fields.append(line.sliced(start));
            break;
        }
        fields.append(line.sliced(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

// A condensed line is its tag and the seven kept fields.
constexpr qsizetype CondensedFields = 1 + KeptColumns;

std::optional<PostalCodeRecord> recordFromCondensedLine(QStringView line) {
    const auto f = splitFields(line, CondensedFields);
    if (f.size() < CondensedFields)
        return std::nullopt;
    PostalCodeRecord record;
    if (f[0] == u"J") {
        record.phoneticCompany = stripDoublequote(f[1]);
        record.company = stripDoublequote(f[2]);
        record.state = stripDoublequote(f[3]);
        record.city = stripDoublequote(f[4]);
        record.street = stripDoublequote(f[5]) + stripDoublequote(f[6]);
        record.zip = formatZIP(stripDoublequote(f[7]));
    } else {
        record.zip = formatZIP(stripDoublequote(f[1]));
        record.phoneticCity = stripDoublequote(f[3]);
        record.phoneticStreet = stripDoublequote(f[4]);
        record.state = stripDoublequote(f[5]);
        record.city = stripDoublequote(f[6]);
        record.street = stripDoublequote(f[7]);
    }
    return record;
}

// The postal-code field of a condensed line: field 1 of an area, field 7 of an office.
QStringView codeField(QStringView line) {
    const auto f = splitFields(line, CondensedFields);
    if (f.size() < CondensedFields)
        return {};
    return f[0] == u"J" ? f[7] : f[1];
}

QString readList(const QString &path, bool *found) {
    QFile file(path);
    *found = file.open(QIODevice::ReadOnly);
    if (!*found)
        return {};
    std::optional<QByteArray> inflated = gzipInflate(file.readAll());
    if (!inflated)
        return {};
    TextEncoding::DecodeResult decoded = TextEncoding::decode(*inflated, WindowsJapanese);
    inflated.reset(); // the decoded text is the larger of the two: free the bytes first
    if (!decoded.ok)
        return {};
    return condensePostalCSV(decoded.text, QFileInfo(path).completeBaseName());
}

} // namespace

std::optional<QByteArray> gzipInflate(const QByteArray &data) {
    if (data.isEmpty())
        return data;
    const qsizetype step = std::max<qsizetype>(data.size() / 2, 1);
    QByteArray output(data.size() + step, Qt::Uninitialized);

    z_stream stream{};
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    // 15 + 32: the largest window, and a zlib or gzip header recognised by itself.
    if (inflateInit2(&stream, 15 + 32) != Z_OK)
        return std::nullopt;
    int status = Z_OK;
    while (status == Z_OK) {
        const auto produced = qsizetype(stream.total_out);
        if (produced >= output.size())
            output.resize(output.size() + step);
        stream.next_out = reinterpret_cast<Bytef *>(output.data() + produced);
        stream.avail_out = uInt(output.size() - produced);
        status = inflate(&stream, Z_SYNC_FLUSH);
    }
    const auto produced = qsizetype(stream.total_out);
    if (inflateEnd(&stream) != Z_OK || status != Z_STREAM_END)
        return std::nullopt;
    output.truncate(produced);
    output.squeeze();
    return output;
}

QString condensePostalCSV(QStringView text, const QString &resourceName) {
    const bool offices = resourceName == JigyosyoName;
    const qsizetype first = firstKeptColumn(offices);
    const QLatin1StringView tag = offices ? QLatin1StringView("J,") : QLatin1StringView("K,");
    QString result;
    // The kept columns are most of a line; the rest goes with the final squeeze.
    result.reserve(text.size());
    forEachLine(text, [&](QStringView line, qsizetype) {
        const auto fields = splitFields(line, first + KeptColumns);
        if (fields.size() < first + KeptColumns)
            return;
        // The kept columns are consecutive, so their commas are the source's own.
        const QStringView &from = fields[first];
        const QStringView &to = fields[first + KeptColumns - 1];
        result += tag;
        result += QStringView(from.data(), to.data() + to.size());
        result += Comma;
        result += LineFeed;
    });
    result.squeeze();
    return result;
}

QString stripDoublequote(QStringView field) {
    if (field == u"\"\"")
        return {};
    if (field.size() < 3)
        return field.toString();
    if (field.startsWith(Quote))
        field = field.sliced(1);
    if (field.endsWith(Quote))
        field.chop(1);
    return field.toString();
}

QString formatZIP(const QString &zip) {
    if (zip.size() <= 3)
        return zip;
    return zip.left(3) + u'-' + zip.mid(3);
}

QList<PostalCodeRecord> dictionariesFromFindLines(QStringView lines) {
    QList<PostalCodeRecord> records;
    forEachLine(lines, [&](QStringView line, qsizetype) {
        if (std::optional<PostalCodeRecord> record = recordFromCondensedLine(line))
            records.append(std::move(*record));
    });
    return records;
}

PostalCodeIndex::PostalCodeIndex(QStringList texts)
    : texts_(std::move(texts)) {
    for (const QString &text : std::as_const(texts_)) {
        std::vector<CodeEntry> &codes = codes_.emplace_back();
        if (text.size() > std::numeric_limits<quint32>::max())
            continue;
        forEachLine(text, [&](QStringView line, qsizetype lineStart) {
            const QStringView code = codeField(line);
            // Codes are quoted; the opening quote is part of every search key.
            if (code.startsWith(Quote))
                codes.push_back({quint32(code.data() + 1 - text.constData()), quint32(code.size() - 1),
                                 quint32(lineStart)});
        });
        const QChar *base = text.constData();
        std::stable_sort(codes.begin(), codes.end(), [base](const CodeEntry &a, const CodeEntry &b) {
            return QStringView(base + a.codeStart, a.codeLength) < QStringView(base + b.codeStart, b.codeLength);
        });
    }
}

PostalCodeIndex PostalCodeIndex::fromDirectory(const QString &directory) {
    QStringList texts;
    for (const QString &name : {KenAllName, JigyosyoName}) {
        bool found = false;
        QString text = readList(directory + u'/' + name + QStringLiteral(".gzip"), &found);
        if (found)
            texts.append(std::move(text));
    }
    return PostalCodeIndex(std::move(texts));
}

const PostalCodeIndex &PostalCodeIndex::shared() {
    static std::once_flag once;
    // Never destroyed: a preload may still be building it while the program exits.
    static const PostalCodeIndex *index = nullptr;
    std::call_once(once, [] { index = new PostalCodeIndex(fromDirectory(Resources::dataDirectory())); });
    return *index;
}

QList<PostalCodeRecord> PostalCodeIndex::addressesFromZip(const QString &zip) const {
    QString prefix = zip;
    if (prefix.size() >= 4 && prefix.at(3) == u'-')
        prefix.remove(3, 1);
    for (qsizetype t = 0; t < texts_.size(); ++t) {
        const QChar *base = texts_[t].constData();
        const auto codeOf = [base](const CodeEntry &entry) {
            return QStringView(base + entry.codeStart, entry.codeLength);
        };
        const std::vector<CodeEntry> &codes = codes_[t];
        auto it = std::lower_bound(codes.begin(), codes.end(), prefix,
                                   [&](const CodeEntry &entry, const QString &key) { return codeOf(entry) < key; });
        std::vector<quint32> lineStarts;
        for (; it != codes.end() && codeOf(*it).startsWith(prefix); ++it) {
            // A shorter code goes on with a digit; a full one meets the closing quote.
            const QStringView code = codeOf(*it);
            const QChar after = code.size() > prefix.size() ? code[prefix.size()] : QChar();
            if (isAsciiDigit(after) || (prefix.size() == FullCodeLength && after == Quote))
                lineStarts.push_back(it->lineStart);
        }
        if (lineStarts.empty())
            continue;
        std::sort(lineStarts.begin(), lineStarts.end());
        QList<PostalCodeRecord> records;
        records.reserve(qsizetype(lineStarts.size()));
        const QStringView text(texts_[t]);
        for (const quint32 start : lineStarts) {
            const qsizetype end = text.indexOf(LineFeed, start);
            const QStringView line = text.sliced(start, (end < 0 ? text.size() : end) - start);
            if (std::optional<PostalCodeRecord> record = recordFromCondensedLine(line))
                records.append(std::move(*record));
        }
        return records;
    }
    return {};
}
