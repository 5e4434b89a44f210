#include "platform/ui/Workspace.h"

#include <QDesktopServices>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

class DesktopUrlOpener : public UrlOpener {
public:
    bool openURL(const QUrl &url) override { return url.isValid() && QDesktopServices::openUrl(url); }
    bool canOpenScheme(const QString &scheme) override {
        const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (xdgMime.isEmpty())
            return false;
        QProcess query;
        query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                              QStringLiteral("x-scheme-handler/") + scheme});
        if (!query.waitForFinished(2000)) {
            query.kill();
            query.waitForFinished(1000);
            return false;
        }
        return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
    }
};

UrlOpener *installed = nullptr;

} // namespace

RecordingUrlOpener::~RecordingUrlOpener() {
    if (&Workspace::urlOpener() == this)
        Workspace::setUrlOpener(nullptr);
}

UrlOpener &Workspace::urlOpener() {
    static DesktopUrlOpener desktop;
    return installed ? *installed : desktop;
}

void Workspace::setUrlOpener(UrlOpener *opener) {
    installed = opener;
}

bool Workspace::openURL(const QUrl &url) {
    return url.isValid() && urlOpener().openURL(url);
}

QUrl Workspace::webMapSearchURL(const QString &query) {
    return QUrl(QStringLiteral("https://www.google.com/maps/search/") +
                QString::fromLatin1(QUrl::toPercentEncoding(query)));
}

QUrl Workspace::mailURL(const QString &address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return {};
    return QUrl(QStringLiteral("mailto:") + QString::fromLatin1(QUrl::toPercentEncoding(trimmed, "@")),
                QUrl::StrictMode);
}

QUrl Workspace::phoneURL(const QString &number) {
    // Wide digits and signs, as Japanese numbers are often typed, become their ASCII forms.
    const QString normalized = number.normalized(QString::NormalizationForm_KC);
    QString dialed;
    for (const QChar c : normalized)
        if ((c >= u'0' && c <= u'9') || c == u'+' || c == u'*' || c == u'#')
            dialed.append(c);
    if (dialed.isEmpty())
        return {};
    return QUrl(QStringLiteral("tel:") + QString::fromLatin1(QUrl::toPercentEncoding(dialed, "+*")),
                QUrl::StrictMode);
}

QUrl Workspace::webPageURL(const QString &text) {
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(//)?"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    const QRegularExpressionMatch match = schemePattern.match(trimmed);
    const QString scheme = match.captured(1).toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return QUrl(trimmed);
    // Another application's address ("ftp://...") makes no web address behind "http://".
    if (match.hasCaptured(2))
        return {};
    // A host name, or a text that only looks like one: opened only when it makes a web address.
    const QUrl prefixed(QStringLiteral("http://") + trimmed);
    return prefixed.isValid() && !prefixed.host().isEmpty() ? prefixed : QUrl();
}

bool Workspace::openMapSearch(const QString &query) {
    if (urlOpener().canOpenScheme(QStringLiteral("geo")))
        return openURL(
            QUrl(QStringLiteral("geo:0,0?q=") + QString::fromLatin1(QUrl::toPercentEncoding(query))));
    return openURL(webMapSearchURL(query));
}
