#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// Tiny postal-code lists written as the shipped ones are: Shift_JIS (windows-31j), gzip.
namespace PostalCodeFixtures {

QByteArray windows31j(const QString &text);
enum class Header { Gzip, Zlib };
QByteArray compress(const QByteArray &data, Header header = Header::Gzip);

// Writes "<name>.gzip" into the folder.
void writeList(const QString &directory, const QString &name, const QByteArray &contents);

// Area and office lines in the national lists' layout, from
// {zip, city kana, town kana, state, city, town} and {zip, name, state, city, town, street}.
using Fields = std::array<const char *, 6>;
QString areaLine(const Fields &f);
QString officeLine(const Fields &f);

// A folder holding both lists of the fixture below, made once per process, and
// TESSARIN2_DATA_DIR pointing at it: the process's shared index reads it.
//   ken_all:  060-0010 北十条 (phonetic "10ｼﾞｮｳ"); 100-0001 東京都 千代田区 千代田; 100-0005 丸の内; 060-0000 札幌市中央区 with
//             the placeholder street; 100-0002 皇居外苑 (after 060, so list order differs
//             from code order); 123-0845 足立区 西新井
//   jigyosyo: 100-8994 東京中央郵便局, street 丸の内 + ２丁目７－２; 100-0001 (an area code too)
QString useSharedFixtureDirectory();

} // namespace PostalCodeFixtures
