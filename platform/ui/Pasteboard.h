#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QMimeData;
class QObject;
class QWidget;

// The pasteboard type names the program uses, and the one MIME type each maps to.
namespace PasteboardType {
inline const QString String = QStringLiteral("public.utf8-plain-text"); // text/plain
inline const QString VCard = QStringLiteral("public.vcard");            // text/vcard
inline const QString TabSeparatedText = QStringLiteral("public.utf8-tab-separated-values-text");
inline const QString CommaSeparatedText = QStringLiteral("public.comma-separated-values-text");
inline const QString FileURL = QStringLiteral("public.file-url"); // text/uri-list
inline const QString PromisedFileURL = QStringLiteral("com.apple.pasteboard.promised-file-url");
inline const QString StringIndexes = QStringLiteral("QM1PstringIndexes");
inline const QString Identifier = QStringLiteral("identifier");
inline const QString LabelIndex = QStringLiteral("labelIndex");
inline const QString PNG = QStringLiteral("public.png");    // image/png
inline const QString TIFF = QStringLiteral("public.tiff");  // image/png
inline const QString PDF = QStringLiteral("com.adobe.pdf"); // image/png

QString mimeTypeFor(const QString &type);
} // namespace PasteboardType

// The general pasteboard (QClipboard), the in-process find pasteboard, or the data of
// one drag. Writes follow the other platform: clear (or declare), then set each type.
// Private types travel with the identity of the window (and view) that wrote them, so
// a drop can tell its own window's rows from another window's.
class Pasteboard {
public:
    static Pasteboard &general();
    static Pasteboard &find();
    // A new pasteboard for a drag; hand its data to startDrag().
    static std::unique_ptr<Pasteboard> forDragging();
    // Reads a drop's data (not owned).
    explicit Pasteboard(const QMimeData *data);
    ~Pasteboard();
    Pasteboard(const Pasteboard &) = delete;
    Pasteboard &operator=(const Pasteboard &) = delete;

    void clearContents();
    void declareTypes(const QStringList &types) {
        Q_UNUSED(types)
        clearContents();
    }
    // The window and view the following private types come from.
    void setSource(const QWidget *window, const QObject *view = nullptr);

    bool setData(const QByteArray &data, const QString &type);
    bool setString(const QString &string, const QString &type = PasteboardType::String);
    // Also offered to file managers as files to paste (x-special/gnome-copied-files).
    bool writeFileURLs(const QList<QUrl> &urls);
    // Data made only when a receiver asks for it, once (drag pasteboards): a drop that
    // reads only the row numbers never makes the cards of ten thousand rows. A file URL's
    // provider answers the file's URL, encoded.
    using DataProvider = std::function<QByteArray()>;
    bool setDataProvider(const QString &type, DataProvider provider);
    bool writeImage(const QImage &image);

    QStringList types() const;
    QString availableTypeFromArray(const QStringList &types) const;
    QByteArray dataForType(const QString &type) const;
    QString stringForType(const QString &type = PasteboardType::String) const;
    QList<QUrl> fileURLs() const;
    QImage image() const;

    bool isFromThisApplication() const;
    bool isFromWindow(const QWidget *window) const;
    bool isFromView(const QObject *view) const;

    const QMimeData *mimeData() const;
    // Gives the drag's data away (for QDrag).
    QMimeData *takeMimeData();

private:
    enum class Kind { General, Find, Drag, Drop };
    explicit Pasteboard(Kind kind);
    QMimeData *writable();
    void publish();
    QStringList sourceFields() const;

    Kind kind_;
    QMimeData *data_ = nullptr; // owned unless this reads a drop
    const QMimeData *readOnly_ = nullptr;
    QString source_;
};

// Starts a drag of the pasteboard's data from a widget; answers the drop's action.
Qt::DropAction startDrag(QWidget *source, std::unique_ptr<Pasteboard> pasteboard, Qt::DropActions actions,
                         const QPixmap &image = QPixmap());
