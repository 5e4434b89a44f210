#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

// The syntax layer of vCard: content lines (group, name, parameters, raw value), folding,
// the value encodings (quoted-printable, base64, charsets) and the text escapes. It
// knows nothing of fields; the reader and writer map lines to contacts and back.
namespace VCardSyntax {

bool equalsIgnoringCase(QByteArrayView text, QByteArrayView upperCase);

struct Parameter {
    QByteArrayView name;  // as written; a bare 2.1 word gets "TYPE" or "ENCODING"
    QByteArrayView value; // raw: may be a quoted text or a comma-separated list
};

struct ContentLine {
    QByteArrayView group; // empty when none
    QByteArrayView name;  // as written
    QVarLengthArray<Parameter, 8> parameters;
    QByteArrayView value; // unfolded, still encoded and escaped

    bool nameIs(QByteArrayView upperCase) const { return equalsIgnoringCase(name, upperCase); }
    // The first value of the parameter, unquoted; empty when absent.
    QByteArrayView parameter(QByteArrayView upperCaseName) const;
    bool hasParameter(QByteArrayView upperCaseName) const;
    // The values of every parameter of that name as written, without double quotes,
    // joined by commas (TYPE="dog, cat" gives "dog, cat").
    QByteArray parameterText(QByteArrayView upperCaseName) const;
    // Every value of every parameter of that name (comma lists split, quotes removed),
    // in upper case unless asked otherwise. For "TYPE" this gathers 2.1 bare words,
    // TYPE=a,b and repeated TYPE.
    QList<QByteArray> parameterValues(QByteArrayView upperCaseName, bool upperCase = true) const;
    bool isQuotedPrintable() const;
    bool isBase64() const;
};

// Splits vCard data into content lines: CR, LF or CRLF line ends, mixed; unfolding of
// a line break followed by a blank or tab; quoted-printable soft line breaks; 2.1 base64
// bodies whose lines are not indented. Lines without a colon are skipped, and a
// byte-order mark before a line's name (files joined end to end) is passed over.
class LineReader {
public:
    explicit LineReader(QByteArrayView data)
        : data_(data) {}
    // The next content line; its views stay valid until the next call.
    bool next(ContentLine &line);
    // Offset just past the last line returned.
    qsizetype position() const { return pos_; }

private:
    QByteArrayView physicalLine(qsizetype from, qsizetype *nextLine) const;
    bool parseHeader(QByteArrayView text, ContentLine &line) const;

    QByteArrayView data_;
    qsizetype pos_ = 0;
    QByteArray buffer_;
};

QByteArray decodeQuotedPrintable(QByteArrayView text);
// Whitespace is skipped; std::nullopt-like empty result with *ok false on bad input.
QByteArray decodeBase64(QByteArrayView text, bool *ok);
// Bytes to text: UTF-8 when valid (or when no charset is given), else the charset
// through ICU. An unknown charset falls back to UTF-8 with replacement characters.
// Every character is kept, a byte-order mark at the start too: what a value loses is
// decided by `trimmed` alone, so that a value read, written and read again is the same.
QString decodeText(QByteArrayView bytes, QByteArrayView charset);
// The one trimming rule of the reader, for the values that are trimmed: white space and
// byte-order marks (left over from texts joined end to end), in any mix, at either end.
QString trimmed(const QString &text);
bool isValidUtf8(QByteArrayView bytes);

// vCard 3.0 text unescaping: \n \N \, \; \\, and \: \" \' which some writers emit (a
// backslash before a quote is never meant to stay); any other backslash pair is kept.
QString unescape(const QString &text);
// Splits a structured value (N, ADR, ORG) at semicolons that are not escaped, then
// unescapes each component. In 2.1 only "\;" and "\\" are escapes.
QStringList splitStructured(const QString &text, bool version21);
// Splits a list value (CATEGORIES) at commas that are not escaped, then unescapes each
// part as 3.0 text.
QStringList splitList(const QString &text);

// Escapes text for a 3.0 value: backslash, comma, semicolon and line breaks (CR, LF,
// CRLF become \n).
void appendEscaped(QByteArray &out, const QString &text);
// Appends one content line folded at 75 octets (never inside a UTF-8 sequence) and CRLF.
void appendFolded(QByteArray &out, QByteArrayView line);
// A parameter value, quoted when it holds ":", ";" or "," or begins or ends with white
// space; double quotes are dropped because a parameter value cannot hold them.
QByteArray parameterValue(const QString &text);
// What a text written as a parameter value reads back as: without double quotes, line
// breaks as spaces.
QString parameterText(const QString &text);

} // namespace VCardSyntax
