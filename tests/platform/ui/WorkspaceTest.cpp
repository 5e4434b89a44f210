#include "platform/ui/Workspace.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// What each value of a contact opens, as the encoded URL handed to the desktop.
TEST(Workspace, ValuesBecomeTheUrlsTheirApplicationsOpen) {
    using Builder = std::function<QUrl(const QString &)>;
    const Builder mail = Workspace::mailURL, phone = Workspace::phoneURL, web = Workspace::webPageURL,
                  map = Workspace::webMapSearchURL;
    const struct {
        const char *what;
        Builder build;
        QString value;
        QString url; // empty: nothing opens
    } cases[] = {
        {"mail", mail, QStringLiteral("ann@example.com"), QStringLiteral("mailto:ann@example.com")},
        {"mail, query characters", mail, QStringLiteral(" a&b?c#d@example.com "),
         QStringLiteral("mailto:a%26b%3Fc%23d@example.com")},
        {"mail, Japanese", mail, QStringLiteral("太郎@例え.jp"),
         QStringLiteral("mailto:%E5%A4%AA%E9%83%8E@%E4%BE%8B%E3%81%88.jp")},
        {"mail, blank", mail, QStringLiteral("  "), QString()},
        {"phone, parentheses, blanks, hyphen", phone, QStringLiteral("(03) 1234-5678"),
         QStringLiteral("tel:0312345678")},
        {"phone, signs kept", phone, QStringLiteral("+81 *31# ext"), QStringLiteral("tel:+81*31%23")},
        {"phone, wide digits", phone, QStringLiteral("０３－１２３４"), QStringLiteral("tel:031234")},
        {"phone, no digit", phone, QStringLiteral("desk"), QString()},
        {"web, https as it is", web, QStringLiteral("https://example.com/a?b=c"),
         QStringLiteral("https://example.com/a?b=c")},
        {"web, scheme in capitals, blanks around", web, QStringLiteral("  HTTP://Example.com/x "),
         QStringLiteral("http://example.com/x")},
        {"web, bare host", web, QStringLiteral("example.com/page"), QStringLiteral("http://example.com/page")},
        {"web, host with port", web, QStringLiteral("www.example.com:8080"),
         QStringLiteral("http://www.example.com:8080")},
        {"web, scheme after a character", web, QStringLiteral(" xhttp://a"), QString()},
        {"web, another application's scheme", web, QStringLiteral("ftp://files.example.com"), QString()},
        {"web, no host", web, QStringLiteral("/just/a/path"), QString()},
        {"web, blank", web, QString(), QString()},
        {"map, Japanese address", map, QStringLiteral("東京都 千代田区"),
         QStringLiteral("https://www.google.com/maps/search/"
                        "%E6%9D%B1%E4%BA%AC%E9%83%BD%20%E5%8D%83%E4%BB%A3%E7%94%B0%E5%8C%BA")},
        {"map, plus and comma", map, QStringLiteral("1+2 Main St, Springfield"),
         QStringLiteral("https://www.google.com/maps/search/1%2B2%20Main%20St%2C%20Springfield")},
    };
    for (const auto &c : cases) {
        const QUrl url = c.build(c.value);
        if (c.url.isEmpty()) {
            EXPECT_TRUE(url.isEmpty()) << c.what << ": " << url.toString().toStdString();
            continue;
        }
        EXPECT_TRUE(url.isValid()) << c.what;
        EXPECT_EQ(url.toString(QUrl::FullyEncoded), c.url) << c.what;
    }
}

TEST(Workspace, AnEmptyUrlOpensNothing) {
    RecordingUrlOpener opener;
    EXPECT_FALSE(Workspace::openURL(Workspace::webPageURL(QStringLiteral("no host here"))));
    EXPECT_TRUE(Workspace::openURL(Workspace::phoneURL(QStringLiteral("110"))));
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened.first().toString(), QStringLiteral("tel:110"));
}

} // namespace
