#include "platform/core/TextEncoding.h"

#include <QFile>
#include <QSet>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

TextEncoding::Constant shiftJis() {
    return TextEncoding::findByName(QStringLiteral("Japanese (Shift JIS)"))->constant;
}

TEST(TextEncodingTest, NumbersAndNamesAreUniqueAndTheFixedNumbersHold) {
    const auto &all = TextEncoding::availableEncodings();
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
    EXPECT_EQ(TextEncoding::localizedName(TextEncoding::Automatic), QStringLiteral("Automatic"));
}

TEST(TextEncodingTest, ShiftJisReadsTheSameChosenOrDetected) {
    QFile file(QStringLiteral(TESSARIN_TESTDATA_DIR "/aosp/v21_japanese_1.vcf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto chosen = TextEncoding::decode(bytes, shiftJis());
    ASSERT_TRUE(chosen.ok);
    EXPECT_TRUE(chosen.text.contains(QStringLiteral("安藤ロイド")));
    EXPECT_TRUE(chosen.text.contains(QStringLiteral("ｱﾝﾄﾞｳﾛｲﾄﾞ")));
    const auto detected = TextEncoding::decode(bytes, TextEncoding::Automatic);
    ASSERT_TRUE(detected.ok);
    EXPECT_EQ(detected.text, chosen.text);

    // Undeclared and longer than one card, as real address books are.
    QString text;
    for (const char *name : {"山田;太郎", "佐藤;花子", "鈴木;一郎", "高橋;美咲", "渡辺;さくら", "中村;翔"})
        text +=
            QStringLiteral(
                "BEGIN:VCARD\r\nVERSION:3.0\r\nN:%1;;;\r\nADR:;;丸の内1-9-1;千代田区;東京都;100-0005;日本\r\n"
                "NOTE:営業時間は平日の九時から十八時までです。\r\nEND:VCARD\r\n")
                .arg(QString::fromUtf8(name));
    QStringEncoder encoder("Shift_JIS");
    ASSERT_TRUE(encoder.isValid());
    const auto undeclared = TextEncoding::decode(encoder.encode(text), TextEncoding::Automatic);
    ASSERT_TRUE(undeclared.ok);
    EXPECT_EQ(undeclared.text, text);
}

TEST(TextEncodingTest, InvalidBytesFailInsteadOfBeingReplaced) {
    const auto utf8 =
        TextEncoding::decode(QByteArray("N:Caf\xC3\xA9\r\nFN:\xFF\xFE\xFD broken\r\n"), TextEncoding::UTF8);
    EXPECT_FALSE(utf8.ok);
    EXPECT_TRUE(utf8.text.isEmpty());
    // 0x82 0x20 is no Shift_JIS character.
    const auto sjis = TextEncoding::decode(QByteArray("abc\x82 def"), shiftJis());
    EXPECT_FALSE(sjis.ok);
    EXPECT_EQ(sjis.errorOffset, 3);
    EXPECT_FALSE(TextEncoding::decode(QByteArray("x"), 0x12345).ok);
}

TEST(TextEncodingTest, AutomaticHonoursByteOrderMarksThenFallsBackFromUtf8) {
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

    const QByteArray withBom = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    const auto automatic = TextEncoding::decode(withBom, TextEncoding::Automatic);
    ASSERT_TRUE(automatic.ok);
    EXPECT_EQ(automatic.text, text);
    EXPECT_EQ(TextEncoding::decode(withBom, TextEncoding::UTF8).text, text);

    // Latin-1 text is no valid UTF-8.
    const QByteArray latin1 =
        QStringLiteral(
            "BEGIN:VCARD\r\nN:Müller;Jürgen;;;\r\nNOTE:Grüße aus Köln, schöne Straße\r\nEND:VCARD\r\n")
            .toLatin1();
    const auto fallback = TextEncoding::decode(latin1, TextEncoding::Automatic);
    ASSERT_TRUE(fallback.ok);
    EXPECT_TRUE(fallback.text.contains(QStringLiteral("Müller;Jürgen")));
}

} // namespace
