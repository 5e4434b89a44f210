#include "editors/PostalCodeIndex.h"
#include "tests/editors/PostalCodeFixtures.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <thread>

using namespace PostalCodeFixtures;

namespace {

QString freshDirectory() {
    const QString dir = testScratchDirectory() + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QDir().mkpath(dir);
    return dir;
}

QStringList zips(const QList<PostalCodeRecord> &records) {
    QStringList result;
    for (const PostalCodeRecord &record : records)
        result << record.zip;
    return result;
}

const PostalCodeIndex &fixtureIndex() {
    static const PostalCodeIndex index = PostalCodeIndex::fromDirectory(useSharedFixtureDirectory());
    return index;
}

} // namespace

TEST(PostalCodeLists, CondensingKeepsTheSevenColumnsOfEachListLineByLine) {
    const QString area = areaLine({"1000001", "ﾁﾖﾀﾞｸ", "ﾁﾖﾀﾞ", "東京都", "千代田区", "千代田"});
    const QString areaCondensed = QStringLiteral("K,\"1000001\",\"ﾄｳｷｮｳﾄ\",\"ﾁﾖﾀﾞｸ\",\"ﾁﾖﾀﾞ\",\"東京都\",\"千代田区\",\"千代田\",\n");
    const QString office = officeLine({"1008994", "郵便局", "東京都", "千代田区", "丸の内", "２丁目"});
    const QString officeCondensed =
        QStringLiteral("J,\"ﾄｳｷｮｳﾁｭｳｵｳ\",\"郵便局\",\"東京都\",\"千代田区\",\"丸の内\",\"２丁目\",\"1008994\",\n");
    QString crlf = area;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    const struct {
        const char *what;
        QString text;
        QString name;
        QString expected;
    } cases[] = {
        {"an area", area, KenAllName, areaCondensed},
        {"an office", office, JigyosyoName, officeCondensed},
        {"CR LF line ends", crlf + crlf, KenAllName, areaCondensed + areaCondensed},
        {"a last line without LF", area + area.chopped(1), KenAllName, areaCondensed + areaCondensed},
        {"lines with too few fields", QStringLiteral("\n1,2,3,4,5,6,7,8\n") + area, KenAllName, areaCondensed},
        {"eight fields are an office line", QStringLiteral("0,1,2,3,4,5,6,7"), JigyosyoName,
         QStringLiteral("J,1,2,3,4,5,6,7,\n")},
        {"nothing", QString(), KenAllName, QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(condensePostalCSV(c.text, c.name), c.expected) << c.what;
}

TEST(PostalCodeLists, FieldsAreUnquotedAndCodesHyphenated) {
    const std::pair<QString, QString> unquoted[] = {
        {QStringLiteral("\"千代田\""), QStringLiteral("千代田")},
        {QStringLiteral("\"桜\""), QStringLiteral("桜")}, // one character, as 1,657 shipped areas
        {QStringLiteral("\"\""), QString()},
        {QStringLiteral("\"a"), QStringLiteral("\"a")},
        {QStringLiteral("\"abc"), QStringLiteral("abc")},
        {QStringLiteral("abc\""), QStringLiteral("abc")},
        {QStringLiteral("0"), QStringLiteral("0")},
    };
    for (const auto &[field, expected] : unquoted)
        EXPECT_EQ(stripDoublequote(field), expected) << field.toStdString();

    const std::pair<QString, QString> formatted[] = {
        {QStringLiteral("1000001"), QStringLiteral("100-0001")},
        {QStringLiteral("1000"), QStringLiteral("100-0")},
        {QStringLiteral("100"), QStringLiteral("100")},
        {QString(), QString()},
    };
    for (const auto &[zip, expected] : formatted)
        EXPECT_EQ(formatZIP(zip), expected) << zip.toStdString();
}

TEST(PostalCodeLists, InflatingReadsGzipAndZlibAndRefusesBrokenStreams) {
    // Highly compressible: the output buffer has to grow many times over.
    const QByteArray text = windows31j(QStringLiteral("東京都千代田区,").repeated(5000));
    EXPECT_EQ(gzipInflate(compress(text, Header::Gzip)), text);
    EXPECT_EQ(gzipInflate(compress(text, Header::Zlib)), text);
    EXPECT_EQ(gzipInflate(compress(QByteArray())), QByteArray());
    EXPECT_EQ(gzipInflate(QByteArray()), QByteArray());

    const QByteArray whole = compress(text);
    EXPECT_EQ(gzipInflate(whole.left(whole.size() / 2)), std::nullopt);
    EXPECT_EQ(gzipInflate(whole.chopped(4)), std::nullopt) << "without its length trailer";
    EXPECT_EQ(gzipInflate(text), std::nullopt) << "not compressed at all";
}

TEST(PostalCodeIndex, LooksUpCodesWithOrWithoutTheHyphen) {
    const PostalCodeIndex &index = fixtureIndex();
    for (const QString &code : {QStringLiteral("1000001"), QStringLiteral("100-0001")}) {
        const QList<PostalCodeRecord> found = index.addressesFromZip(code);
        // Areas first: the office of the same code is not searched.
        EXPECT_EQ(found, (QList<PostalCodeRecord>{{QStringLiteral("100-0001"), QStringLiteral("東京都"),
                                                   QStringLiteral("千代田区"), QStringLiteral("千代田"),
                                                   QStringLiteral("ﾁﾖﾀﾞｸ"), QStringLiteral("ﾁﾖﾀﾞ"), QString(),
                                                   std::nullopt}}));
    }
}

TEST(PostalCodeIndex, PrefixesMatchInListOrderAndOnlyWhereADigitFollows) {
    const PostalCodeIndex &index = fixtureIndex();
    const struct {
        QString code;
        QStringList expected;
    } cases[] = {
        {QStringLiteral("100"), {QStringLiteral("100-0001"), QStringLiteral("100-0005"), QStringLiteral("100-0002")}},
        {QStringLiteral("100-000"), {QStringLiteral("100-0001"), QStringLiteral("100-0005"), QStringLiteral("100-0002")}},
        {QStringLiteral("06"), {QStringLiteral("060-0010"), QStringLiteral("060-0000")}},
        // A hyphen anywhere else stays part of the code.
        {QStringLiteral("10-00001"), {}},
        {QStringLiteral("1000-001"), {}},
        // Longer than a code, or a code that is not there.
        {QStringLiteral("10000011"), {}},
        {QStringLiteral("9999999"), {}},
        // A phonetic field may begin with digits ("10ｼﾞｮｳ"); only postal codes are compared.
        {QStringLiteral("1"),
         {QStringLiteral("100-0001"), QStringLiteral("100-0005"), QStringLiteral("100-0002"), QStringLiteral("123-0845")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(zips(index.addressesFromZip(c.code)), c.expected) << c.code.toStdString();
}

TEST(PostalCodeIndex, AnOfficeOnlyCodeGivesTheOfficeWithItsStreetJoined) {
    EXPECT_EQ(fixtureIndex().addressesFromZip(QStringLiteral("100-8994")),
              (QList<PostalCodeRecord>{{QStringLiteral("100-8994"), QStringLiteral("東京都"), QStringLiteral("千代田区"),
                                        QStringLiteral("丸の内２丁目７－２"), QString(), QString(),
                                        QStringLiteral("東京中央郵便局"), QStringLiteral("ﾄｳｷｮｳﾁｭｳｵｳ")}}));
}

TEST(PostalCodeIndex, BrokenOrMissingListsFindNothingAndDoNotCrash) {
    const QByteArray areas = windows31j(areaLine({"1000001", "ﾁﾖﾀﾞｸ", "ﾁﾖﾀﾞ", "東京都", "千代田区", "千代田"}).repeated(50));
    const QByteArray gzipped = compress(areas);

    const QString truncated = freshDirectory();
    writeList(truncated, KenAllName, gzipped.left(gzipped.size() - 10));
    const PostalCodeIndex fromTruncated = PostalCodeIndex::fromDirectory(truncated);
    EXPECT_EQ(fromTruncated.texts(), QStringList{QString()}) << "a missing list is left out, a broken one empty";
    EXPECT_TRUE(fromTruncated.addressesFromZip(QStringLiteral("1000001")).isEmpty());

    // Bytes that are no Shift_JIS (a lead byte at the end) fail the decoding as a whole;
    // the office list is still read and searched.
    const QString undecodable = freshDirectory();
    writeList(undecodable, KenAllName, compress(areas + "\x81"));
    writeList(undecodable, JigyosyoName,
              compress(windows31j(officeLine({"1008994", "郵便局", "東京都", "千代田区", "丸の内", "２丁目"}))));
    const PostalCodeIndex fromUndecodable = PostalCodeIndex::fromDirectory(undecodable);
    ASSERT_EQ(fromUndecodable.texts().size(), 2);
    EXPECT_EQ(fromUndecodable.texts()[0], QString());
    EXPECT_TRUE(fromUndecodable.addressesFromZip(QStringLiteral("1000001")).isEmpty());
    EXPECT_EQ(zips(fromUndecodable.addressesFromZip(QStringLiteral("1008994"))), QStringList{QStringLiteral("100-8994")});
}

TEST(PostalCodeIndex, TwoThreadsAskingAtOnceShareOneCompleteIndex) {
    useSharedFixtureDirectory();
    const PostalCodeIndex *seen[2] = {};
    QList<PostalCodeRecord> found[2];
    {
        std::jthread first([&] {
            seen[0] = &PostalCodeIndex::shared();
            found[0] = seen[0]->addressesFromZip(QStringLiteral("100"));
        });
        std::jthread second([&] {
            seen[1] = &PostalCodeIndex::shared();
            found[1] = seen[1]->addressesFromZip(QStringLiteral("100"));
        });
    }
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], &PostalCodeIndex::shared());
    EXPECT_EQ(found[0].size(), 3);
    EXPECT_EQ(found[0], found[1]);
}

TEST(PostalCodeIndex, ShippedListsFindTokyoAndOffices) {
    const PostalCodeIndex index = PostalCodeIndex::fromDirectory(QStringLiteral(TESSARIN_SOURCE_DATA_DIR));
    ASSERT_EQ(index.texts().size(), 2);
    EXPECT_EQ(index.texts()[0].count(u'\n'), 124495);
    EXPECT_EQ(index.texts()[1].count(u'\n'), 22428);

    const QList<PostalCodeRecord> tokyo = index.addressesFromZip(QStringLiteral("100-0001"));
    ASSERT_EQ(tokyo.size(), 1);
    EXPECT_EQ(tokyo[0].state, QStringLiteral("東京都"));
    EXPECT_EQ(tokyo[0].city, QStringLiteral("千代田区"));
    EXPECT_EQ(tokyo[0].street, QStringLiteral("千代田"));

    const QList<PostalCodeRecord> office = index.addressesFromZip(QStringLiteral("0018501"));
    ASSERT_EQ(office.size(), 1);
    EXPECT_EQ(office[0].company, QStringLiteral("学校法人　創成学園　札幌創成高等学校"));
    EXPECT_EQ(office[0].street, QStringLiteral("北二十九条西２丁目１番１号"));
}
