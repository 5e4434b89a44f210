#include "platform/core/TextEncoding.h"

#include <QFile>
#include <QSet>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

QByteArray readTestFile(const char *relative) {
    QFile file(QStringLiteral(TESSARIN_TESTDATA_DIR "/") + QString::fromUtf8(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(TextEncodingTest, TableHasTheFixedPointsAndUniqueEntries) {
    const auto &all = TextEncoding::availableEncodings();
    EXPECT_GE(all.size(), 50);
    QSet<TextEncoding::Constant> constants;
    QSet<QString> names;
    for (const auto &info : all) {
        constants.insert(info.constant);
        names.insert(QString::fromLatin1(info.name));
    }
    EXPECT_EQ(constants.size(), all.size());
    EXPECT_EQ(names.size(), all.size());
    ASSERT_NE(TextEncoding::find(TextEncoding::UTF8), nullptr);
    EXPECT_STREQ(TextEncoding::find(TextEncoding::UTF8)->name, "Unicode (UTF-8)");
    ASSERT_NE(TextEncoding::find(TextEncoding::UTF16BigEndian), nullptr);
    for (const char *name : {"Japanese (Shift JIS)", "Japanese (EUC)", "Japanese (ISO 2022-JP)",
                             "Japanese (Windows, DOS)", "Western (ISO Latin 1)", "Western (Windows Latin 1)",
                             "Simplified Chinese (GB 18030)", "Traditional Chinese (Big 5)", "Korean (EUC)",
                             "Cyrillic (Windows)"})
        EXPECT_NE(TextEncoding::findByName(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(TextEncoding::localizedName(TextEncoding::Automatic), QStringLiteral("Automatic"));
}

TEST(TextEncodingTest, ShiftJisFileReadsTheSameChosenOrDetected) {
    const QByteArray bytes = readTestFile("aosp/v21_japanese_1.vcf");
    ASSERT_FALSE(bytes.isEmpty());
    const auto chosen = TextEncoding::decode(bytes, TextEncoding::findByName(QStringLiteral("Japanese (Shift JIS)"))->constant);
    ASSERT_TRUE(chosen.ok);
    EXPECT_TRUE(chosen.text.contains(QStringLiteral("安藤ロイド")));
    EXPECT_TRUE(chosen.text.contains(QStringLiteral("ｱﾝﾄﾞｳﾛｲﾄﾞ")));
    const auto detected = TextEncoding::decode(bytes, TextEncoding::Automatic);
    ASSERT_TRUE(detected.ok);
    EXPECT_EQ(detected.text, chosen.text);
}

TEST(TextEncodingTest, InvalidBytesFailInsteadOfBeingReplaced) {
    const QByteArray bytes("N:Caf\xC3\xA9\r\nFN:\xFF\xFE\xFD broken\r\n");
    const auto utf8 = TextEncoding::decode(bytes, TextEncoding::UTF8);
    EXPECT_FALSE(utf8.ok);
    EXPECT_TRUE(utf8.text.isEmpty());
    // 0x82 0x20 is no Shift_JIS character.
    const auto sjis = TextEncoding::decode(QByteArray("abc\x82 def"), TextEncoding::findByName(
                                                                        QStringLiteral("Japanese (Shift JIS)"))->constant);
    EXPECT_FALSE(sjis.ok);
    EXPECT_EQ(sjis.errorOffset, 3);
    EXPECT_FALSE(TextEncoding::decode(QByteArray("x"), 0x12345).ok);
}

TEST(TextEncodingTest, AutomaticHonoursByteOrderMarks) {
    const QString text = QStringLiteral("BEGIN:VCARD\r\nFN:山田 😀\r\nEND:VCARD\r\n");
    QByteArray utf16le("\xFF\xFE", 2);
    for (QChar c : text) {
        utf16le.append(char(c.unicode() & 0xFF));
        utf16le.append(char(c.unicode() >> 8));
    }
    const auto decoded = TextEncoding::decode(utf16le, TextEncoding::Automatic);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.text, text);
    EXPECT_EQ(decoded.usedEncoding, 0x94000100u);

    const auto withBom = TextEncoding::decode(QByteArray("\xEF\xBB\xBF") + text.toUtf8(), TextEncoding::Automatic);
    ASSERT_TRUE(withBom.ok);
    EXPECT_EQ(withBom.text, text);
    const auto chosenWithBom = TextEncoding::decode(QByteArray("\xEF\xBB\xBF") + text.toUtf8(), TextEncoding::UTF8);
    EXPECT_EQ(chosenWithBom.text, text);
}

TEST(TextEncodingTest, AutomaticFallsBackFromUtf8ToADetectedEncoding) {
    // Latin-1 text is no valid UTF-8.
    const QByteArray latin1 = QStringLiteral("BEGIN:VCARD\r\nN:Müller;Jürgen;;;\r\nNOTE:Grüße aus Köln, schöne Straße\r\nEND:VCARD\r\n")
                                  .toLatin1();
    const auto decoded = TextEncoding::decode(latin1, TextEncoding::Automatic);
    ASSERT_TRUE(decoded.ok);
    EXPECT_TRUE(decoded.text.contains(QStringLiteral("Müller;Jürgen")));
}

} // namespace

namespace {

TEST(TextEncodingTest, UndeclaredShiftJisOfRealLengthIsDetected) {
    QString text;
    const QStringList names{QStringLiteral("山田;太郎"), QStringLiteral("佐藤;花子"), QStringLiteral("鈴木;一郎"),
                            QStringLiteral("高橋;美咲"), QStringLiteral("渡辺;さくら"), QStringLiteral("中村;翔")};
    for (const QString &name : names)
        text += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:%1;;;\r\nADR:;;丸の内1-9-1;千代田区;東京都;100-0005;日本\r\n"
                               "NOTE:営業時間は平日の九時から十八時までです。\r\nEND:VCARD\r\n")
                    .arg(name);
    QStringEncoder encoder("Shift_JIS");
    ASSERT_TRUE(encoder.isValid());
    const QByteArray bytes = encoder.encode(text);
    const auto detected = TextEncoding::decode(bytes, TextEncoding::Automatic);
    ASSERT_TRUE(detected.ok);
    EXPECT_EQ(detected.text, text);
}

} // namespace
