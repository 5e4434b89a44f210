#include "platform/contacts/VCardSyntax.h"

#include <QStringDecoder>

#include <unicode/ucnv.h>

#include <limits>
#include <memory>

namespace VCardSyntax {

namespace {
char upper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isBase64Character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
}

bool isBase64Body(QByteArrayView line) {
    if (line.isEmpty())
        return false;
    for (char c : line)
        if (!isBase64Character(c) && !isBlank(c))
            return false;
    return true;
}

QByteArrayView unquoted(QByteArrayView value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.sliced(1, value.size() - 2);
    return value;
}

const QByteArrayView typeName("TYPE");
const QByteArrayView encodingName("ENCODING");

bool isEncodingWord(QByteArrayView word) {
    return equalsIgnoringCase(word, "QUOTED-PRINTABLE") || equalsIgnoringCase(word, "BASE64") ||
           equalsIgnoringCase(word, "8BIT") || equalsIgnoringCase(word, "7BIT") ||
           equalsIgnoringCase(word, "B");
}
} // namespace

bool equalsIgnoringCase(QByteArrayView text, QByteArrayView upperCase) {
    if (text.size() != upperCase.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (upper(text[i]) != upperCase[i])
            return false;
    return true;
}

QByteArrayView ContentLine::parameter(QByteArrayView upperCaseName) const {
    for (const Parameter &p : parameters)
        if (equalsIgnoringCase(p.name, upperCaseName))
            return unquoted(p.value);
    return {};
}

bool ContentLine::hasParameter(QByteArrayView upperCaseName) const {
    for (const Parameter &p : parameters)
        if (equalsIgnoringCase(p.name, upperCaseName))
            return true;
    return false;
}

QByteArray ContentLine::parameterText(QByteArrayView upperCaseName) const {
    QByteArray text;
    bool first = true;
    for (const Parameter &p : parameters) {
        if (!equalsIgnoringCase(p.name, upperCaseName))
            continue;
        if (!first)
            text += ',';
        first = false;
        // A double quote is no part of a parameter value: a stray one is dropped too.
        for (const char c : unquoted(p.value))
            if (c != '"')
                text += c;
    }
    return text;
}

QList<QByteArray> ContentLine::parameterValues(QByteArrayView upperCaseName, bool upperCase) const {
    // A quoted list (TYPE="work,voice") is a list too, so commas split everywhere.
    QList<QByteArray> values;
    for (const Parameter &p : parameters) {
        if (!equalsIgnoringCase(p.name, upperCaseName))
            continue;
        QByteArray word;
        for (qsizetype i = 0; i <= p.value.size(); ++i) {
            if (i < p.value.size() && p.value[i] != ',') {
                if (p.value[i] != '"')
                    word += upperCase ? upper(p.value[i]) : p.value[i];
                continue;
            }
            word = word.trimmed();
            if (!word.isEmpty())
                values.append(word);
            word.clear();
        }
    }
    return values;
}

bool ContentLine::isQuotedPrintable() const {
    return equalsIgnoringCase(parameter("ENCODING"), "QUOTED-PRINTABLE");
}

bool ContentLine::isBase64() const {
    const QByteArrayView encoding = parameter("ENCODING");
    return equalsIgnoringCase(encoding, "BASE64") || equalsIgnoringCase(encoding, "B");
}

QByteArrayView LineReader::physicalLine(qsizetype from, qsizetype *nextLine) const {
    qsizetype end = from;
    while (end < data_.size() && data_[end] != '\r' && data_[end] != '\n')
        ++end;
    qsizetype next = end;
    if (next < data_.size()) {
        // CR CR LF, which some exporters write, is one line break too.
        qsizetype crs = 0;
        while (next + crs < data_.size() && data_[next + crs] == '\r')
            ++crs;
        if (crs > 0 && next + crs < data_.size() && data_[next + crs] == '\n')
            next += crs + 1;
        else
            next += 1;
    }
    *nextLine = next;
    return data_.sliced(from, end - from);
}

bool LineReader::parseHeader(QByteArrayView text, ContentLine &line) const {
    line.parameters.clear();
    line.group = {};
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    qsizetype i = 0;
    while (i < text.size() && text[i] != ';' && text[i] != ':')
        ++i;
    if (i == text.size())
        return false;
    QByteArrayView fullName = text.first(i).trimmed();
    const qsizetype dot = fullName.lastIndexOf('.');
    if (dot >= 0) {
        line.group = fullName.first(dot);
        fullName = fullName.sliced(dot + 1);
    }
    line.name = fullName;
    // Parameters end at the first colon outside quotes; an unclosed quote is read as
    // an ordinary character instead.
    for (bool honourQuotes : {true, false}) {
        qsizetype p = i;
        line.parameters.clear();
        bool closed = true;
        while (p < text.size() && text[p] == ';') {
            const qsizetype start = ++p;
            bool quoted = false;
            while (p < text.size() && (quoted || (text[p] != ';' && text[p] != ':'))) {
                if (honourQuotes && text[p] == '"')
                    quoted = !quoted;
                ++p;
            }
            if (quoted || p == text.size()) {
                closed = false;
                break;
            }
            const QByteArrayView param = text.sliced(start, p - start).trimmed();
            if (param.isEmpty())
                continue;
            const qsizetype eq = param.indexOf('=');
            if (eq < 0)
                line.parameters.append({isEncodingWord(param) ? encodingName : typeName, param});
            else
                line.parameters.append({param.first(eq).trimmed(), param.sliced(eq + 1).trimmed()});
        }
        if (closed && p < text.size() && text[p] == ':') {
            line.value = text.sliced(p + 1);
            return true;
        }
    }
    return false;
}

bool LineReader::next(ContentLine &line) {
    while (pos_ < data_.size()) {
        qsizetype nextPos = 0;
        QByteArrayView first = physicalLine(pos_, &nextPos);
        // Gather folded continuations; copy only when there is one.
        qsizetype after = 0;
        QByteArrayView text = first;
        bool copied = false;
        while (nextPos < data_.size() && isBlank(data_[nextPos])) {
            QByteArrayView cont = physicalLine(nextPos, &after);
            if (!copied) {
                buffer_ = first.toByteArray();
                copied = true;
            }
            buffer_.append(cont.sliced(1));
            nextPos = after;
        }
        if (copied)
            text = buffer_;
        pos_ = nextPos;
        if (!parseHeader(text, line))
            continue;
        if (line.isQuotedPrintable() && line.value.endsWith('=')) {
            if (!copied) {
                buffer_ = text.toByteArray();
                copied = true;
            }
            while (buffer_.endsWith('=') && pos_ < data_.size()) {
                QByteArrayView cont = physicalLine(pos_, &after);
                if (equalsIgnoringCase(cont.trimmed(), "END:VCARD"))
                    break;
                buffer_.chop(1);
                buffer_.append(cont);
                pos_ = after;
            }
            parseHeader(buffer_, line);
        } else if (line.isBase64()) {
            // 2.1 writers may put base64 lines without indentation up to a blank line.
            while (pos_ < data_.size()) {
                QByteArrayView cont = physicalLine(pos_, &after);
                if (!isBase64Body(cont))
                    break;
                if (!copied) {
                    buffer_ = text.toByteArray();
                    copied = true;
                }
                buffer_.append(cont);
                pos_ = after;
            }
            if (copied)
                parseHeader(buffer_, line);
        }
        return true;
    }
    return false;
}

QByteArray decodeQuotedPrintable(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        c = upper(c);
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += char(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray decodeBase64(QByteArrayView text, bool *ok) {
    QByteArray compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            compact += c;
    auto result = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    *ok = bool(result);
    return *ok ? result.decoded : QByteArray();
}

bool isValidUtf8(QByteArrayView bytes) {
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
            cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {
QString convertWithIcu(QByteArrayView bytes, QByteArrayView charset, bool *ok) {
    *ok = false;
    UErrorCode status = U_ZERO_ERROR;
    const QByteArray name = charset.toByteArray();
    std::unique_ptr<UConverter, void (*)(UConverter *)> converter(ucnv_open(name.constData(), &status),
                                                                  ucnv_close);
    if (U_FAILURE(status) || !converter)
        return {};
    QString result(bytes.size() * 2 + 16, Qt::Uninitialized);
    status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(result.data()), int32_t(result.size()),
                      bytes.data(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return {};
    result.truncate(length);
    // Some charsets (UTF-7, UTF-16) can give half a surrogate pair, which no UTF-8 file
    // holds: it becomes the replacement character here, as the writer would make it.
    char16_t *units = reinterpret_cast<char16_t *>(result.data());
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (QChar::isHighSurrogate(units[i]) && i + 1 < result.size() && QChar::isLowSurrogate(units[i + 1]))
            ++i;
        else if (QChar::isSurrogate(units[i]))
            units[i] = 0xFFFD;
    }
    *ok = true;
    return result;
}

bool isUtf8Name(QByteArrayView charset) {
    return charset.isEmpty() || equalsIgnoringCase(charset, "UTF-8") || equalsIgnoringCase(charset, "UTF8");
}
} // namespace

namespace {
// QString::fromUtf8 drops a byte-order mark at the start.
QString fromUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool isTrimmed(QChar c) {
    return c.isSpace() || c.unicode() == 0xFEFF;
}
} // namespace

QString decodeText(QByteArrayView bytes, QByteArrayView charset) {
    if (isUtf8Name(charset) || bytes.size() > std::numeric_limits<int32_t>::max() / 4 || isValidUtf8(bytes))
        return fromUtf8(bytes);
    bool ok = false;
    QString converted = convertWithIcu(bytes, charset, &ok);
    return ok ? converted : fromUtf8(bytes);
}

QString trimmed(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return begin == 0 && end == text.size() ? text : text.sliced(begin, end - begin);
}

QString unescape(const QString &text) {
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[i + 1];
        switch (n.unicode()) {
        case 'n':
        case 'N':
            out += QLatin1Char('\n');
            break;
        case ',':
        case ';':
        case ':':
        case '\\':
        case '"':
        case '\'':
            out += n;
            break;
        default:
            out += c;
            out += n;
            break;
        }
        ++i;
    }
    return out;
}

namespace {
// 2.1 knows only "\;" and "\\" inside structured values.
QString unescape21(const QString &part) {
    if (!part.contains(QLatin1Char('\\')))
        return part;
    QString out;
    out.reserve(part.size());
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part[i] == QLatin1Char('\\') && i + 1 < part.size() &&
            (part[i + 1] == QLatin1Char(';') || part[i + 1] == QLatin1Char('\\')))
            ++i;
        out += part[i];
    }
    return out;
}
} // namespace

namespace {
QStringList splitUnescaped(const QString &text, QChar separator, bool version21) {
    QStringList parts;
    // Every N and ADR line comes here: the list is allocated once.
    parts.reserve(text.count(separator) + 1);
    if (!text.contains(QLatin1Char('\\'))) {
        qsizetype start = 0;
        for (qsizetype end; (end = text.indexOf(separator, start)) >= 0; start = end + 1)
            parts.append(text.sliced(start, end - start));
        parts.append(text.sliced(start));
        return parts;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (i == text.size() || text[i] == separator) {
            const QString part = text.sliced(start, std::min(i, text.size()) - start);
            parts.append(version21 ? unescape21(part) : unescape(part));
            start = i + 1;
        }
    }
    return parts;
}
} // namespace

QStringList splitStructured(const QString &text, bool version21) {
    return splitUnescaped(text, QLatin1Char(';'), version21);
}

QStringList splitList(const QString &text) {
    return splitUnescaped(text, QLatin1Char(','), false);
}

void appendEscaped(QByteArray &out, const QString &text) {
    // One pass from UTF-16 to escaped UTF-8, straight into the output: the writer calls
    // this for every value of every card.
    const qsizetype start = out.size();
    out.resize(start + text.size() * 3 + 2);
    char *p = out.data() + start;
    const char16_t *s = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *end = s + text.size();
    while (s < end) {
        char32_t c = *s++;
        if (c < 0x80) {
            switch (c) {
            case '\\':
            case ',':
            case ';':
                *p++ = '\\';
                *p++ = char(c);
                break;
            case '\r':
                if (s < end && *s == '\n')
                    ++s;
                [[fallthrough]];
            case '\n':
                *p++ = '\\';
                *p++ = 'n';
                break;
            default:
                *p++ = char(c);
            }
            continue;
        }
        if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
            continue;
        }
        if (QChar::isHighSurrogate(c) && s < end && QChar::isLowSurrogate(*s)) {
            c = QChar::surrogateToUcs4(char16_t(c), *s++);
            *p++ = char(0xF0 | (c >> 18));
            *p++ = char(0x80 | ((c >> 12) & 0x3F));
        } else {
            if (QChar::isSurrogate(c))
                c = 0xFFFD; // a lone surrogate has no UTF-8 form
            *p++ = char(0xE0 | (c >> 12));
        }
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    }
    out.truncate(p - out.constData());
}

void appendFolded(QByteArray &out, QByteArrayView line) {
    constexpr qsizetype firstWidth = 75;
    constexpr qsizetype nextWidth = 74; // after the leading blank
    qsizetype pos = 0;
    qsizetype width = firstWidth;
    while (line.size() - pos > width) {
        qsizetype cut = pos + width;
        while (cut > pos && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.sliced(pos, cut - pos));
        out.append("\r\n ");
        pos = cut;
        width = nextWidth;
    }
    out.append(line.sliced(pos));
    out.append("\r\n");
}

QString parameterText(const QString &text) {
    QString kept = text;
    return kept.remove(QLatin1Char('"'))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QByteArray parameterValue(const QString &text) {
    const QByteArray bytes = parameterText(text).toUtf8();
    // The reader trims a parameter's white space outside quotes only.
    if (bytes.contains(':') || bytes.contains(';') || bytes.contains(',') || bytes != bytes.trimmed())
        return '"' + bytes + '"';
    return bytes;
}

} // namespace VCardSyntax
