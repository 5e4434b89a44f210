#include "tests/editors/PostalCodeFixtures.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <unicode/ucnv.h>
#include <zlib.h>

#include <gtest/gtest.h>

namespace PostalCodeFixtures {

QByteArray windows31j(const QString &text) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter *converter = ucnv_open("windows-31j", &status);
    QByteArray bytes(text.size() * 2 + 1, Qt::Uninitialized);
    const int32_t length = ucnv_fromUChars(converter, bytes.data(), int32_t(bytes.size()),
                                           reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()),
                                           &status);
    ucnv_close(converter);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    bytes.truncate(length);
    return bytes;
}

QByteArray compress(const QByteArray &data, Header header) {
    z_stream stream{};
    const int windowBits = header == Header::Gzip ? 15 + 16 : 15;
    EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

void writeList(const QString &directory, const QString &name, const QByteArray &contents) {
    QFile file(directory + u'/' + name + QStringLiteral(".gzip"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

QString areaLine(const QString &zip, const QString &cityKana, const QString &townKana, const QString &state,
                 const QString &city, const QString &town) {
    return QStringLiteral("13101,\"100  \",\"%1\",\"ﾄｳｷｮｳﾄ\",\"%2\",\"%3\",\"%4\",\"%5\",\"%6\",0,0,0,0,0,0\n")
        .arg(zip, cityKana, townKana, state, city, town);
}

QString officeLine(const QString &zip, const QString &name, const QString &state, const QString &city,
                   const QString &town, const QString &street) {
    return QStringLiteral("13101,\"ﾄｳｷｮｳﾁｭｳｵｳ\",\"%1\",\"%2\",\"%3\",\"%4\",\"%5\",\"%6\",\"100  \",\"銀座\",0,0,0\n")
        .arg(name, state, city, town, street, zip);
}

QString useSharedFixtureDirectory() {
    static const QString directory = [] {
        const QString dir = testScratchDirectory() + QStringLiteral("/postal-codes");
        QDir().mkpath(dir);
        const QString areas =
            areaLine(QStringLiteral("0600010"), QStringLiteral("ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ"), QStringLiteral("10ｼﾞｮｳ"),
                     QStringLiteral("北海道"), QStringLiteral("札幌市中央区"), QStringLiteral("北十条")) +
            areaLine(QStringLiteral("1000001"), QStringLiteral("ﾁﾖﾀﾞｸ"), QStringLiteral("ﾁﾖﾀﾞ"),
                     QStringLiteral("東京都"), QStringLiteral("千代田区"), QStringLiteral("千代田")) +
            areaLine(QStringLiteral("1000005"), QStringLiteral("ﾁﾖﾀﾞｸ"), QStringLiteral("ﾏﾙﾉｳﾁ"),
                     QStringLiteral("東京都"), QStringLiteral("千代田区"), QStringLiteral("丸の内")) +
            areaLine(QStringLiteral("0600000"), QStringLiteral("ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ"), QString(),
                     QStringLiteral("北海道"), QStringLiteral("札幌市中央区"),
                     QStringLiteral("以下に掲載がない場合")) +
            areaLine(QStringLiteral("1000002"), QStringLiteral("ﾁﾖﾀﾞｸ"), QStringLiteral("ｺｳｷｮｶﾞｲｴﾝ"),
                     QStringLiteral("東京都"), QStringLiteral("千代田区"), QStringLiteral("皇居外苑")) +
            areaLine(QStringLiteral("1230845"), QStringLiteral("ｱﾀﾞﾁｸ"), QStringLiteral("ﾆｼｱﾗｲ"),
                     QStringLiteral("東京都"), QStringLiteral("足立区"), QStringLiteral("西新井"));
        const QString offices =
            officeLine(QStringLiteral("1008994"), QStringLiteral("東京中央郵便局"), QStringLiteral("東京都"),
                       QStringLiteral("千代田区"), QStringLiteral("丸の内"), QStringLiteral("２丁目７－２")) +
            officeLine(QStringLiteral("1000001"), QStringLiteral("宮内庁"), QStringLiteral("東京都"),
                       QStringLiteral("千代田区"), QStringLiteral("千代田"), QStringLiteral("１－１"));
        writeList(dir, QStringLiteral("ken_all"), compress(windows31j(areas)));
        writeList(dir, QStringLiteral("jigyosyo"), compress(windows31j(offices)));
        return dir;
    }();
    qputenv("TESSARIN2_DATA_DIR", directory.toLocal8Bit());
    return directory;
}

} // namespace PostalCodeFixtures
