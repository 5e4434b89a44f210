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

QString areaLine(const Fields &f) {
    return QStringLiteral("13101,\"100  \",\"%1\",\"ﾄｳｷｮｳﾄ\",\"%2\",\"%3\",\"%4\",\"%5\",\"%6\",0,0,0,0,0,0\n")
        .arg(QString::fromUtf8(f[0]), QString::fromUtf8(f[1]), QString::fromUtf8(f[2]), QString::fromUtf8(f[3]),
             QString::fromUtf8(f[4]), QString::fromUtf8(f[5]));
}

QString officeLine(const Fields &f) {
    return QStringLiteral("13101,\"ﾄｳｷｮｳﾁｭｳｵｳ\",\"%2\",\"%3\",\"%4\",\"%5\",\"%6\",\"%1\",\"100  \",\"銀座\",0,0,0\n")
        .arg(QString::fromUtf8(f[0]), QString::fromUtf8(f[1]), QString::fromUtf8(f[2]), QString::fromUtf8(f[3]),
             QString::fromUtf8(f[4]), QString::fromUtf8(f[5]));
}

QString useSharedFixtureDirectory() {
    static const QString directory = [] {
        const QString dir = testScratchDirectory() + QStringLiteral("/postal-codes");
        QDir().mkpath(dir);
        QString areas;
        for (const Fields &f : {Fields{"0600010", "ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ", "10ｼﾞｮｳ", "北海道", "札幌市中央区", "北十条"},
                                Fields{"1000001", "ﾁﾖﾀﾞｸ", "ﾁﾖﾀﾞ", "東京都", "千代田区", "千代田"},
                                Fields{"1000005", "ﾁﾖﾀﾞｸ", "ﾏﾙﾉｳﾁ", "東京都", "千代田区", "丸の内"},
                                Fields{"0600000", "ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ", "", "北海道", "札幌市中央区", "以下に掲載がない場合"},
                                Fields{"1000002", "ﾁﾖﾀﾞｸ", "ｺｳｷｮｶﾞｲｴﾝ", "東京都", "千代田区", "皇居外苑"},
                                Fields{"1230845", "ｱﾀﾞﾁｸ", "ﾆｼｱﾗｲ", "東京都", "足立区", "西新井"}})
            areas += areaLine(f);
        const QString offices =
            officeLine({"1008994", "東京中央郵便局", "東京都", "千代田区", "丸の内", "２丁目７－２"}) +
            officeLine({"1000001", "宮内庁", "東京都", "千代田区", "千代田", "１－１"});
        writeList(dir, QStringLiteral("ken_all"), compress(windows31j(areas)));
        writeList(dir, QStringLiteral("jigyosyo"), compress(windows31j(offices)));
        return dir;
    }();
    qputenv("TESSARIN2_DATA_DIR", directory.toLocal8Bit());
    return directory;
}

} // namespace PostalCodeFixtures
