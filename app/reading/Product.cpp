#include "app/reading/Product.h"

namespace tessarin::Product {

namespace {
const char *const kHomePage = "https://tessarin2.example.org/";
const char *const kHelpPage = "https://tessarin2.example.org/help/";
const char *const kPrivacyPage = "https://tessarin2.example.org/privacy/";
// AppStream URLs open the desktop's software centre (GNOME Software, KDE Discover).
const char *const kStorePage = "appstream://org.example.Tessarin2";
const char *const kSupportAddress = "support@tessarin2.example.org";

QUrl withJapanese(const char *page, bool japanese) {
    QUrl url(QString::fromLatin1(page));
    if (japanese)
        url.setQuery(QStringLiteral("lang=jp"));
    return url;
}
} // namespace

QString name() {
    return QStringLiteral("Tessarin2");
}

QString shortVersion() {
    return QStringLiteral(TESSARIN_SHORT_VERSION);
}

QString buildVersion() {
    return QStringLiteral(TESSARIN_BUILD_VERSION);
}

QPixmap icon() {
    return QPixmap(QStringLiteral(":/images/AppIcon.png"));
}

QUrl homePage() {
    return QUrl(QString::fromLatin1(kHomePage));
}

QUrl helpPage(bool japanese) {
    return withJapanese(kHelpPage, japanese);
}

QUrl privacyPolicyPage(bool japanese) {
    return withJapanese(kPrivacyPage, japanese);
}

QUrl storePage() {
    return QUrl(QString::fromLatin1(kStorePage));
}

QUrl feedbackMail() {
    // Blanks of the address and subject are written as "%20" (a "+" would reach the subject).
    QString text = QString::fromLatin1(kSupportAddress) + QStringLiteral("?subject=Feedback of ") + name();
    text.replace(QLatin1Char(' '), QStringLiteral("%20"));
    return QUrl(QStringLiteral("mailto:") + text, QUrl::StrictMode);
}

} // namespace tessarin::Product
