#include "platform/core/TextEncoding.h"

#include "platform/core/Localization.h"

#include <QStringDecoder>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ucsdet.h>

#include <memory>

namespace TextEncoding {

namespace {

// Numbers of encodings outside the few fixed ones are 0x80000000 plus a code page
// family number, as the files and settings of the original platform knew them.
constexpr Constant family(quint32 code) { return 0x80000000u | code; }

const Info kAllEncodings[] = {
    {30, "Western (Mac OS Roman)", "macintosh"},
    {family(0x06), "Greek (Mac OS)", "x-mac-greek"},
    {family(0x07), "Cyrillic (Mac OS)", "x-mac-cyrillic"},
    {family(0x1D), "Central European (Mac OS)", "x-mac-centraleurroman"},
    {family(0x23), "Turkish (Mac OS)", "x-mac-turkish"},
    {UTF8, "Unicode (UTF-8)", "UTF-8"},
    {10, "Unicode (UTF-16)", "UTF-16"},
    {UTF16BigEndian, "Unicode (UTF-16BE)", "UTF-16BE"},
    {0x94000100, "Unicode (UTF-16LE)", "UTF-16LE"},
    {0x8c000100, "Unicode (UTF-32)", "UTF-32"},
    {0x98000100, "Unicode (UTF-32BE)", "UTF-32BE"},
    {0x9c000100, "Unicode (UTF-32LE)", "UTF-32LE"},
    {5, "Western (ISO Latin 1)", "ISO-8859-1"},
    {9, "Central European (ISO Latin 2)", "ISO-8859-2"},
    {family(0x0203), "Western (ISO Latin 3)", "ISO-8859-3"},
    {family(0x0204), "Central European (ISO Latin 4)", "ISO-8859-4"},
    {family(0x0205), "Cyrillic (ISO 8859-5)", "ISO-8859-5"},
    {family(0x0206), "Arabic (ISO 8859-6)", "ISO-8859-6"},
    {family(0x0207), "Greek (ISO 8859-7)", "ISO-8859-7"},
    {family(0x0208), "Hebrew (ISO 8859-8)", "ISO-8859-8"},
    {family(0x0209), "Turkish (ISO Latin 5)", "ISO-8859-9"},
    {family(0x020A), "Nordic (ISO Latin 6)", "ISO-8859-10"},
    {family(0x020B), "Thai (ISO 8859-11)", "ISO-8859-11"},
    {family(0x020D), "Baltic (ISO Latin 7)", "ISO-8859-13"},
    {family(0x020E), "Celtic (ISO Latin 8)", "ISO-8859-14"},
    {family(0x020F), "Western (ISO Latin 9)", "ISO-8859-15"},
    {family(0x0210), "Romanian (ISO Latin 10)", "ISO-8859-16"},
    {family(0x0400), "Latin-US (DOS)", "IBM437"},
    {family(0x0405), "Greek (DOS)", "IBM737"},
    {family(0x0406), "Baltic (DOS)", "IBM775"},
    {family(0x0410), "Western (DOS Latin 1)", "IBM850"},
    {family(0x0412), "Central European (DOS Latin 2)", "IBM852"},
    {family(0x0413), "Cyrillic (DOS)", "IBM855"},
    {family(0x0414), "Turkish (DOS)", "IBM857"},
    {family(0x041B), "Russian (DOS)", "IBM866"},
    {family(0x041D), "Thai (Windows, DOS)", "windows-874"},
    {family(0x0420), "Japanese (Windows, DOS)", "windows-31j"},
    {family(0x0421), "Simplified Chinese (Windows, DOS)", "windows-936"},
    {family(0x0422), "Korean (Windows, DOS)", "windows-949"},
    {family(0x0423), "Traditional Chinese (Windows, DOS)", "windows-950"},
    {12, "Western (Windows Latin 1)", "windows-1252"},
    {15, "Central European (Windows Latin 2)", "windows-1250"},
    {11, "Cyrillic (Windows)", "windows-1251"},
    {13, "Greek (Windows)", "windows-1253"},
    {14, "Turkish (Windows Latin 5)", "windows-1254"},
    {family(0x0505), "Hebrew (Windows)", "windows-1255"},
    {family(0x0506), "Arabic (Windows)", "windows-1256"},
    {family(0x0507), "Baltic (Windows)", "windows-1257"},
    {family(0x0508), "Vietnamese (Windows)", "windows-1258"},
    {1, "Western (ASCII)", "US-ASCII"},
    {family(0x0630), "Simplified Chinese (GB 2312)", "GB2312"},
    {family(0x0631), "Simplified Chinese (GBK)", "GBK"},
    {family(0x0632), "Simplified Chinese (GB 18030)", "GB18030"},
    {21, "Japanese (ISO 2022-JP)", "ISO-2022-JP"},
    {family(0x0840), "Korean (ISO 2022-KR)", "ISO-2022-KR"},
    {3, "Japanese (EUC)", "EUC-JP"},
    {family(0x0930), "Simplified Chinese (EUC)", "EUC-CN"},
    {family(0x0940), "Korean (EUC)", "EUC-KR"},
    {8, "Japanese (Shift JIS)", "Shift_JIS"},
    {family(0x0A02), "Cyrillic (KOI8-R)", "KOI8-R"},
    {family(0x0A03), "Traditional Chinese (Big 5)", "Big5"},
    {family(0x0A05), "Simplified Chinese (HZ GB 2312)", "HZ-GB-2312"},
    {family(0x0A06), "Traditional Chinese (Big 5 HKSCS)", "Big5-HKSCS"},
    {family(0x0A08), "Ukrainian (KOI8-U)", "KOI8-U"},
    {family(0x0C02), "Western (EBCDIC Latin 1)", "IBM037"},
};

struct ConverterCloser {
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openStrict(const char *name) {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &status));
    if (U_FAILURE(status))
        return nullptr;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return U_SUCCESS(status) ? std::move(converter) : nullptr;
}

bool isContinuationByte(char c) {
    return (uchar(c) & 0xC0) == 0x80;
}

// vCard writers fold lines at 75 octets, often inside a multi-byte character: such a file
// is UTF-8 only once unfolded. The bytes without every fold (a line break and one blank)
// that stands between the bytes of one character; empty when there is none. A fold
// between characters is left to the vCard reader.
QByteArray withoutFoldsInsideCharacters(const QByteArray &bytes) {
    QByteArray out;
    qsizetype copied = 0;
    int expected = 0; // continuation bytes still due
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar c = uchar(bytes[i]);
        if (expected > 0) {
            if (isContinuationByte(char(c))) {
                --expected;
                ++i;
                continue;
            }
            qsizetype blank = i;
            if (c == '\r')
                ++blank;
            if (blank < n && bytes[blank] == '\n')
                ++blank;
            if (blank > i && blank + 1 < n && (bytes[blank] == ' ' || bytes[blank] == '\t') &&
                isContinuationByte(bytes[blank + 1])) {
                out.append(bytes.constData() + copied, i - copied);
                copied = i = blank + 1;
                continue;
            }
            expected = 0; // not UTF-8 either way: the decoder says so
        }
        if (c >= 0xC2 && c <= 0xF4)
            expected = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
        ++i;
    }
    if (copied == 0)
        return {};
    out.append(bytes.constData() + copied, n - copied);
    return out;
}

DecodeResult decodeWith(const QByteArray &bytes, const char *converterName, Constant constant) {
    DecodeResult result;
    result.usedEncoding = constant;
    if (constant == UTF8) {
        // Qt's decoder is several times faster than ICU's on the common case and reports
        // invalid sequences just as well.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = decoder.decode(bytes);
        if (decoder.hasError()) {
            const QByteArray unfolded = withoutFoldsInsideCharacters(bytes);
            if (unfolded.isEmpty())
                return result;
            QStringDecoder again(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            text = again.decode(unfolded);
            if (again.hasError())
                return result;
        }
        result.ok = true;
        result.text = std::move(text);
        return result;
    }
    Converter converter = openStrict(converterName);
    if (!converter)
        return result;
    QString text(bytes.size() + 16, Qt::Uninitialized);
    const char *source = bytes.constData();
    const char *const sourceEnd = source + bytes.size();
    qsizetype written = 0;
    for (;;) {
        UChar *const start = reinterpret_cast<UChar *>(text.data());
        UChar *target = start + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter.get(), &target, start + text.size(), &source, sourceEnd, nullptr, true, &status);
        written = target - start;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            text.resize(text.size() * 2);
            continue;
        }
        if (U_FAILURE(status)) {
            char invalid[32];
            int8_t invalidLength = sizeof invalid;
            UErrorCode ignored = U_ZERO_ERROR;
            ucnv_getInvalidChars(converter.get(), invalid, &invalidLength, &ignored);
            result.errorOffset = (source - bytes.constData()) - invalidLength;
            return result;
        }
        break;
    }
    text.truncate(written);
    // ICU keeps a byte-order mark when the encoding names its byte order.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    result.ok = true;
    result.text = std::move(text);
    return result;
}

struct Bom {
    QByteArray bytes;
    Constant encoding;
};

Constant constantForConverter(const char *name) {
    for (const Info &info : kAllEncodings) {
        if (ucnv_compareNames(info.converter, name) == 0)
            return info.constant;
    }
    return Automatic;
}

QByteArray declaredCharset(const QByteArray &bytes) {
    const qsizetype at = bytes.indexOf("CHARSET=") >= 0 ? bytes.indexOf("CHARSET=") : bytes.indexOf("charset=");
    if (at < 0)
        return {};
    qsizetype end = at + 8;
    while (end < bytes.size() && end - at < 48 && bytes[end] != ';' && bytes[end] != ':' && bytes[end] != ',' &&
           bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    QByteArray name = bytes.mid(at + 8, end - at - 8).trimmed();
    if (name.startsWith('"') && name.endsWith('"') && name.size() >= 2)
        name = name.mid(1, name.size() - 2);
    return name;
}

QList<QByteArray> detectedCharsets(const QByteArray &bytes) {
    QList<QByteArray> names;
    UErrorCode status = U_ZERO_ERROR;
    UCharsetDetector *detector = ucsdet_open(&status);
    if (U_FAILURE(status))
        return names;
    ucsdet_setText(detector, bytes.constData(), int32_t(qMin<qsizetype>(bytes.size(), INT32_MAX)), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector, &count, &status);
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
        UErrorCode nameStatus = U_ZERO_ERROR;
        const char *name = ucsdet_getName(matches[i], &nameStatus);
        if (U_SUCCESS(nameStatus))
            names.append(QByteArray(name));
    }
    ucsdet_close(detector);
    return names;
}

} // namespace

const QList<Info> &availableEncodings() {
    static const QList<Info> encodings = [] {
        QList<Info> list;
        for (const Info &info : kAllEncodings) {
            if (openStrict(info.converter))
                list.append(info);
        }
        return list;
    }();
    return encodings;
}

const Info *find(Constant constant) {
    for (const Info &info : availableEncodings()) {
        if (info.constant == constant)
            return &info;
    }
    return nullptr;
}

const Info *findByName(const QString &name) {
    for (const Info &info : availableEncodings()) {
        if (name == QLatin1String(info.name))
            return &info;
    }
    return nullptr;
}

QString localizedName(Constant constant) {
    if (constant == Automatic)
        return L("Automatic");
    const Info *info = find(constant);
    return info ? L(info->name) : QString();
}

DecodeResult decode(const QByteArray &bytes, Constant encoding) {
    if (encoding == Automatic)
        return decodeAutomatically(bytes);
    const Info *info = find(encoding);
    if (!info)
        return {};
    return decodeWith(bytes, info->converter, encoding);
}

DecodeResult decodeAutomatically(const QByteArray &bytes) {
    static const Bom boms[] = {
        {QByteArray("\xFF\xFE\x00\x00", 4), 0x9c000100}, {QByteArray("\x00\x00\xFE\xFF", 4), 0x98000100},
        {QByteArray("\xEF\xBB\xBF", 3), UTF8},          {QByteArray("\xFF\xFE", 2), 0x94000100},
        {QByteArray("\xFE\xFF", 2), UTF16BigEndian},
    };
    for (const Bom &bom : boms) {
        if (bytes.startsWith(bom.bytes))
            return decode(bytes.mid(bom.bytes.size()), bom.encoding);
    }
    DecodeResult utf8 = decode(bytes, UTF8);
    if (utf8.ok)
        return utf8;

    // A vCard 2.1 file names its charset on the lines that need one; trust that first.
    const QByteArray declared = declaredCharset(bytes);
    if (!declared.isEmpty()) {
        DecodeResult result = decodeWith(bytes, declared.constData(), constantForConverter(declared.constData()));
        if (result.ok)
            return result;
    }

    for (const QByteArray &name : detectedCharsets(bytes)) {
        DecodeResult result = decodeWith(bytes, name.constData(), constantForConverter(name.constData()));
        if (result.ok)
            return result;
    }
    return decodeWith(bytes, ucnv_getDefaultName(), Automatic);
}

} // namespace TextEncoding
