#include "platform/core/Resources.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QStringList addressParts = {QStringLiteral("Street"), QStringLiteral("City"), QStringLiteral("State"),
                                  QStringLiteral("ZIP"), QStringLiteral("Country")};

QString decodeUtf8(const QByteArray &bytes, bool *ok) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    *ok = !decoder.hasError();
    return text;
}

QStringList stringList(const QJsonValue &value) {
    QStringList result;
    for (const QJsonValue &item : value.toArray())
        result << item.toString();
    return result;
}

// The address parts in writing order, as the contact record derives them from "formatString".
QStringList orderOf(const QJsonObject &entry) {
    QString format = entry.value(QStringLiteral("formatString")).toString();
    format.remove(QChar(0x200E));
    return format.split(QRegularExpression(QStringLiteral("\\s")));
}

class AddressFormatTableTest : public testing::Test {
protected:
    void SetUp() override {
        const QByteArray bytes = Resources::read(QStringLiteral(":/data/AddressFormat.json"));
        ASSERT_FALSE(bytes.isEmpty()) << "resource not compiled in";
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        ASSERT_TRUE(document.isObject());
        ASSERT_TRUE(document.object().value(QStringLiteral("AddressFormat")).isArray());
        for (const QJsonValue &value : document.object().value(QStringLiteral("AddressFormat")).toArray()) {
            ASSERT_TRUE(value.isObject());
            const QJsonObject entry = value.toObject();
            entries.append(entry);
            byCode.insert(entry.value(QStringLiteral("CountryCode")).toString(), entry);
        }
    }

    QList<QJsonObject> entries;
    QHash<QString, QJsonObject> byCode;
};

TEST_F(AddressFormatTableTest, EveryEntryIsWellFormedAndUnique) {
    EXPECT_GE(entries.size(), 249); // every officially assigned ISO 3166-1 code
    EXPECT_EQ(byCode.size(), entries.size()) << "duplicate country codes";
    QSet<QString> alpha3Codes;
    for (const QJsonObject &entry : entries) {
        const QString code = entry.value(QStringLiteral("CountryCode")).toString();
        SCOPED_TRACE(code.toStdString());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{2}$")).match(code).hasMatch());
        EXPECT_FALSE(entry.value(QStringLiteral("Country")).toString().isEmpty());
        const QString alpha3 = entry.value(QStringLiteral("Alpha3")).toString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{3}$")).match(alpha3).hasMatch());
        alpha3Codes.insert(alpha3);

        // Every part once, nothing else: a part missing from the order would vanish from the
        // one-line address text, and an empty piece means a doubled separator.
        QStringList order = orderOf(entry);
        std::sort(order.begin(), order.end());
        QStringList expected = addressParts;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(order, expected) << entry.value(QStringLiteral("formatString")).toString().toStdString();
    }
    EXPECT_EQ(alpha3Codes.size(), entries.size()) << "duplicate three-letter codes";
}

// State names and codes are matched by position.
TEST_F(AddressFormatTableTest, JapanUnitedStatesAndCanadaListTheirStates) {
    const QJsonObject japan = byCode.value(QStringLiteral("JP"));
    const QStringList prefectures = stringList(japan.value(QStringLiteral("States.ja")));
    EXPECT_EQ(QSet<QString>(prefectures.begin(), prefectures.end()).size(), 47);
    EXPECT_EQ(stringList(japan.value(QStringLiteral("States"))).size(), prefectures.size());
    EXPECT_EQ(stringList(japan.value(QStringLiteral("StateCodes"))).size(), prefectures.size());
    EXPECT_EQ(prefectures.value(12), QStringLiteral("東京都"));
    EXPECT_EQ(stringList(japan.value(QStringLiteral("States"))).value(12), QStringLiteral("Tokyo"));

    for (const char *code : {"US", "CA"}) {
        SCOPED_TRACE(code);
        const QJsonObject entry = byCode.value(QLatin1String(code));
        const QStringList names = stringList(entry.value(QStringLiteral("States")));
        const QStringList codes = stringList(entry.value(QStringLiteral("StateCodes")));
        EXPECT_FALSE(names.isEmpty());
        EXPECT_EQ(names.size(), codes.size());
        for (const QString &stateCode : codes)
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z]{2}$")).match(stateCode).hasMatch());
    }
    const QJsonObject us = byCode.value(QStringLiteral("US"));
    const qsizetype california =
        stringList(us.value(QStringLiteral("States"))).indexOf(QStringLiteral("California"));
    EXPECT_EQ(stringList(us.value(QStringLiteral("StateCodes"))).value(california), QStringLiteral("CA"));
}

struct CallingCode {
    QString number, country, name, area;
};

class CountryNumbersTableTest : public testing::Test {
protected:
    void SetUp() override {
        const QByteArray bytes = Resources::read(QStringLiteral(":/data/CountryNumbers.csv"));
        ASSERT_FALSE(bytes.isEmpty()) << "resource not compiled in";
        bool valid = false;
        const QString text = decodeUtf8(bytes, &valid);
        ASSERT_TRUE(valid) << "not UTF-8";
        ASSERT_FALSE(text.contains(u'\r'));
        QStringList lines = text.split(u'\n');
        ASSERT_EQ(lines.takeLast(), QString()) << "last line unterminated";
        header = lines.takeFirst();
        for (const QString &line : lines) {
            const QStringList fields = line.split(u',');
            ASSERT_EQ(fields.size(), 4) << line.toStdString();
            rows.append({fields[0], fields[1], fields[2], fields[3]});
        }
    }

    QString header;
    QList<CallingCode> rows;
};

TEST_F(CountryNumbersTableTest, EveryRowHasFourFieldsAndAUniqueCode) {
    EXPECT_EQ(header, QStringLiteral("number,country,国名,エリア名"));
    EXPECT_GE(rows.size(), 200);
    QSet<QString> numbers;
    for (const CallingCode &row : rows) {
        SCOPED_TRACE(row.number.toStdString());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[1-9][0-9]{0,2}$")).match(row.number).hasMatch());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^([A-Z]{2}|001)$")).match(row.country).hasMatch());
        EXPECT_FALSE(row.name.isEmpty());
        EXPECT_FALSE(row.area.isEmpty());
        numbers.insert(row.number);
    }
    EXPECT_EQ(numbers.size(), rows.size()) << "duplicate calling codes";
}

// The lookup takes the shortest code that begins a number, so a code that is a proper prefix of
// another would make the longer one unreachable.
TEST_F(CountryNumbersTableTest, NoCodeShadowsAnother) {
    for (const CallingCode &shorter : rows) {
        for (const CallingCode &longer : rows) {
            EXPECT_FALSE(longer.number.size() > shorter.number.size() &&
                         longer.number.startsWith(shorter.number))
                << shorter.number.toStdString() << " shadows " << longer.number.toStdString();
        }
    }
}

} // namespace
