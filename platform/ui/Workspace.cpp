#include "platform/ui/Workspace.h"

#include <QDesktopServices>
#include <QProcess>
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

bool Workspace::openMapSearch(const QString &query) {
    if (urlOpener().canOpenScheme(QStringLiteral("geo")))
        return openURL(
            QUrl(QStringLiteral("geo:0,0?q=") + QString::fromLatin1(QUrl::toPercentEncoding(query))));
    return openURL(webMapSearchURL(query));
}
