#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Opens URLs with the desktop's handlers. Tests install a RecordingUrlOpener.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool openURL(const QUrl &url) = 0;
    // Whether some application handles URLs of the scheme.
    virtual bool canOpenScheme(const QString &scheme) = 0;
};

namespace Workspace {

UrlOpener &urlOpener();
// nullptr brings back the desktop's handlers.
void setUrlOpener(UrlOpener *opener);

bool openURL(const QUrl &url);
// The other platform's "maps://?q=": a "geo:" query when the desktop handles those,
// the web map otherwise.
bool openMapSearch(const QString &query);
QUrl webMapSearchURL(const QString &query);
// There is no calendar URL scheme to open here: calendar items stay disabled.
inline bool canOpenCalendar() {
    return false;
}

} // namespace Workspace

class RecordingUrlOpener : public UrlOpener {
public:
    RecordingUrlOpener() { Workspace::setUrlOpener(this); }
    ~RecordingUrlOpener() override;
    bool openURL(const QUrl &url) override {
        opened.append(url);
        return true;
    }
    bool canOpenScheme(const QString &scheme) override { return handledSchemes.contains(scheme); }

    QList<QUrl> opened;
    QStringList handledSchemes;
};
