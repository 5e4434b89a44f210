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

// URLs for values that contact tables hand to other applications; an empty URL when the
// value opens nothing. Every text is percent-encoded as UTF-8, a blank as %20.
// "mailto:" and the address (its at sign kept).
QUrl mailURL(const QString &address);
// "tel:" and the number's digits, "+", "*" and "#" (wide forms read as these); everything
// else a number is written with is left out.
QUrl phoneURL(const QString &number);
// A web page: an http or https address as it is (the scheme in any case, blanks around it
// dropped); a host name or anything else without a scheme of its own with "http://" in
// front, when that makes a valid http address.
QUrl webPageURL(const QString &text);
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
