#pragma once

#include "model/QMPerson.h"

#include <QString>

#include <memory>

// The first card of vCard text (lines joined with CRLF).
inline std::shared_ptr<QMPerson> personFromVCard(const QString &body) {
    QString text = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\n") + body + QStringLiteral("END:VCARD\n");
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return std::shared_ptr<QMPerson>(QMPerson::initWithVCardData(text.toUtf8()));
}

// A Japanese contact with two phones and one value of every other field.
inline std::shared_ptr<QMPerson> japaneseContact() {
    return personFromVCard(QStringLiteral("N:山田;太郎;;;\n"
                                          "FN:山田 太郎\n"
                                          "X-PHONETIC-FIRST-NAME:タロウ\n"
                                          "X-PHONETIC-LAST-NAME:ヤマダ\n"
                                          "ORG:株式会社サンプル;営業部\n"
                                          "TITLE:部長\n"
                                          "TEL;TYPE=CELL:090-1234-5678\n"
                                          "TEL;TYPE=WORK:03-1234-5678\n"
                                          "EMAIL;TYPE=WORK:taro@example.jp\n"
                                          "ADR;TYPE=WORK:;;千代田1-1;千代田区;東京都;100-0001;日本\n"
                                          "URL;TYPE=WORK:https://example.jp/taro\n"));
}
