#include "platform/ui/Pasteboard.h"

#include "platform/ui/Window.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDrag>
#include <QMimeData>

namespace {

const QString kUriListMime = QStringLiteral("text/uri-list");
const QString kCopiedFilesMime = QStringLiteral("x-special/gnome-copied-files");
// Set beside a promised .vcf file whose URL is made only when asked for.
const QString kPromisedFileMime = QStringLiteral("application/x-tessarin2-promised-file");

// Mime data some of whose formats are made when first read.
class ProvidedMimeData : public QMimeData {
public:
    void provide(const QString &mimeType, Pasteboard::DataProvider provider) {
        providers_.insert(mimeType, std::move(provider));
        made_.remove(mimeType);
    }
    bool isProvided(const QString &mimeType) const { return providers_.contains(mimeType); }
    bool hasFormat(const QString &mimeType) const override {
        return providers_.contains(mimeType) || QMimeData::hasFormat(mimeType);
    }
    QStringList formats() const override {
        QStringList formats = QMimeData::formats();
        for (auto it = providers_.cbegin(); it != providers_.cend(); ++it)
            if (!formats.contains(it.key()))
                formats.append(it.key());
        return formats;
    }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override {
        const auto provider = providers_.constFind(mimeType);
        if (provider == providers_.cend())
            return QMimeData::retrieveData(mimeType, type);
        auto made = made_.find(mimeType);
        if (made == made_.end())
            made = made_.insert(mimeType, (*provider)());
        if (mimeType == kUriListMime && type.id() == QMetaType::QVariantList) {
            QVariantList urls;
            for (const QByteArray &line : made->split('\n'))
                if (!line.trimmed().isEmpty())
                    urls.append(QUrl::fromEncoded(line.trimmed()));
            return urls;
        }
        if (type.id() == QMetaType::QString)
            return QString::fromUtf8(*made);
        return *made;
    }

private:
    QHash<QString, Pasteboard::DataProvider> providers_;
    mutable QHash<QString, QByteArray> made_;
};

const QString kSourceMime = QStringLiteral("application/x-tessarin2-source");
const QString kPrivatePrefix = QStringLiteral("application/x-tessarin2-");

bool isPrivate(const QString &type) {
    return type == PasteboardType::StringIndexes || type == PasteboardType::Identifier ||
           type == PasteboardType::LabelIndex;
}

bool isImage(const QString &type) {
    return type == PasteboardType::PNG || type == PasteboardType::TIFF || type == PasteboardType::PDF;
}

quintptr viewIdentity(const QObject *view) {
    return reinterpret_cast<quintptr>(view);
}

QByteArray pngOf(const QImage &image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

QString PasteboardType::mimeTypeFor(const QString &type) {
    if (type == String)
        return QStringLiteral("text/plain");
    if (type == VCard)
        return QStringLiteral("text/vcard");
    if (type == TabSeparatedText)
        return QStringLiteral("text/tab-separated-values");
    if (type == CommaSeparatedText)
        return QStringLiteral("text/csv");
    if (type == FileURL || type == PromisedFileURL)
        return QStringLiteral("text/uri-list");
    if (isImage(type))
        return QStringLiteral("image/png");
    if (type.contains(QLatin1Char('/')))
        return type;
    return kPrivatePrefix + type.toLower();
}

Pasteboard::Pasteboard(Kind kind)
    : kind_(kind) {
    if (kind != Kind::General)
        data_ = kind == Kind::Drag ? new ProvidedMimeData : new QMimeData;
}

Pasteboard::Pasteboard(const QMimeData *data)
    : kind_(Kind::Drop)
    , readOnly_(data) {}

Pasteboard::~Pasteboard() {
    delete data_;
}

Pasteboard &Pasteboard::general() {
    static Pasteboard *pasteboard = new Pasteboard(Kind::General);
    return *pasteboard;
}

Pasteboard &Pasteboard::find() {
    static Pasteboard *pasteboard = new Pasteboard(Kind::Find);
    return *pasteboard;
}

std::unique_ptr<Pasteboard> Pasteboard::forDragging() {
    return std::unique_ptr<Pasteboard>(new Pasteboard(Kind::Drag));
}

const QMimeData *Pasteboard::mimeData() const {
    if (kind_ == Kind::Drop)
        return readOnly_;
    if (kind_ == Kind::General)
        return QApplication::clipboard()->mimeData();
    return data_;
}

QMimeData *Pasteboard::takeMimeData() {
    QMimeData *data = data_;
    data_ = kind_ == Kind::Drag ? new ProvidedMimeData : nullptr;
    return data;
}

QMimeData *Pasteboard::writable() {
    if (kind_ == Kind::Drop)
        return nullptr;
    if (!data_)
        data_ = kind_ == Kind::Drag ? new ProvidedMimeData : new QMimeData;
    return data_;
}

void Pasteboard::publish() {
    if (kind_ != Kind::General || !data_)
        return;
    // The clipboard takes ownership of what it is given, so it gets a copy.
    auto *copy = new QMimeData;
    for (const QString &format : data_->formats())
        copy->setData(format, data_->data(format));
    QApplication::clipboard()->setMimeData(copy);
}

void Pasteboard::clearContents() {
    if (kind_ == Kind::Drop)
        return;
    delete data_;
    data_ = kind_ == Kind::Drag ? new ProvidedMimeData : new QMimeData;
    source_.clear();
    if (kind_ == Kind::General)
        QApplication::clipboard()->clear();
}

void Pasteboard::setSource(const QWidget *window, const QObject *view) {
    const auto *w = qobject_cast<const Window *>(window);
    source_ = QStringLiteral("%1 %2 %3")
                  .arg(QApplication::applicationPid())
                  .arg(w ? w->windowNumber() : viewIdentity(window))
                  .arg(viewIdentity(view));
    if (QMimeData *data = writable()) {
        data->setData(kSourceMime, source_.toUtf8());
        publish();
    }
}

bool Pasteboard::setData(const QByteArray &data, const QString &type) {
    QMimeData *target = writable();
    if (!target)
        return false;
    if (type == PasteboardType::PromisedFileURL) {
        // The promised file travels as the file URL itself.
        target->setData(kPromisedFileMime, QByteArray("vcf"));
        return true;
    }
    if (type == PasteboardType::FileURL) {
        target->setUrls({QUrl::fromEncoded(data)});
    } else if (isImage(type)) {
        const QImage image = QImage::fromData(data);
        if (image.isNull())
            return false;
        target->setData(PasteboardType::mimeTypeFor(type), type == PasteboardType::PNG ? data : pngOf(image));
    } else if (type == PasteboardType::String) {
        target->setText(QString::fromUtf8(data));
    } else {
        if (isPrivate(type) && !source_.isEmpty())
            target->setData(kSourceMime, source_.toUtf8());
        target->setData(PasteboardType::mimeTypeFor(type), data);
    }
    publish();
    return true;
}

bool Pasteboard::setString(const QString &string, const QString &type) {
    return setData(string.toUtf8(), type);
}

bool Pasteboard::writeFileURLs(const QList<QUrl> &urls) {
    QMimeData *target = writable();
    if (!target)
        return false;
    target->setUrls(urls);
    if (kind_ == Kind::General) {
        QByteArray copied("copy");
        for (const QUrl &url : urls)
            copied += '\n' + url.toEncoded();
        target->setData(kCopiedFilesMime, copied);
    }
    publish();
    return true;
}

bool Pasteboard::setDataProvider(const QString &type, DataProvider provider) {
    auto *target = dynamic_cast<ProvidedMimeData *>(writable());
    if (!target)
        return false;
    if (type == PasteboardType::FileURL || type == PasteboardType::PromisedFileURL) {
        target->provide(kUriListMime, std::move(provider));
        target->setData(kPromisedFileMime, QByteArray("vcf"));
        return true;
    }
    if (isPrivate(type) && !source_.isEmpty())
        target->setData(kSourceMime, source_.toUtf8());
    target->provide(PasteboardType::mimeTypeFor(type), std::move(provider));
    return true;
}

bool Pasteboard::writeImage(const QImage &image) {
    if (image.isNull())
        return false;
    return setData(pngOf(image), PasteboardType::PNG);
}

QStringList Pasteboard::types() const {
    const QMimeData *data = mimeData();
    QStringList types;
    if (!data)
        return types;
    if (data->hasText())
        types.append(PasteboardType::String);
    if (data->hasFormat(QStringLiteral("text/vcard")) || data->hasFormat(QStringLiteral("text/x-vcard")))
        types.append(PasteboardType::VCard);
    if (data->hasFormat(PasteboardType::mimeTypeFor(PasteboardType::TabSeparatedText)))
        types.append(PasteboardType::TabSeparatedText);
    if (data->hasFormat(PasteboardType::mimeTypeFor(PasteboardType::CommaSeparatedText)))
        types.append(PasteboardType::CommaSeparatedText);
    // A file made only when asked for is not made to answer what the pasteboard holds.
    if (data->hasFormat(kPromisedFileMime)) {
        types.append({PasteboardType::FileURL, PasteboardType::PromisedFileURL});
    } else if (const QList<QUrl> files = fileURLs(); !files.isEmpty()) {
        types.append(PasteboardType::FileURL);
        for (const QUrl &url : files)
            if (url.toLocalFile().endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive)) {
                types.append(PasteboardType::PromisedFileURL);
                break;
            }
    }
    for (const QString &type :
         {PasteboardType::StringIndexes, PasteboardType::Identifier, PasteboardType::LabelIndex})
        if (data->hasFormat(PasteboardType::mimeTypeFor(type)))
            types.append(type);
    if (data->hasFormat(QStringLiteral("image/png")) || data->hasImage())
        types.append({PasteboardType::PNG, PasteboardType::TIFF});
    return types;
}

QString Pasteboard::availableTypeFromArray(const QStringList &wanted) const {
    const QStringList present = types();
    for (const QString &type : wanted)
        if (present.contains(type))
            return type;
    return QString();
}

QByteArray Pasteboard::dataForType(const QString &type) const {
    const QMimeData *data = mimeData();
    if (!data)
        return QByteArray();
    if (type == PasteboardType::String)
        return data->hasText() ? data->text().toUtf8() : QByteArray();
    if (type == PasteboardType::VCard) {
        const QByteArray vcard = data->data(QStringLiteral("text/vcard"));
        return vcard.isEmpty() ? data->data(QStringLiteral("text/x-vcard")) : vcard;
    }
    if (type == PasteboardType::FileURL || type == PasteboardType::PromisedFileURL) {
        const QList<QUrl> files = fileURLs();
        return files.isEmpty() ? QByteArray() : files.first().toEncoded();
    }
    if (isImage(type)) {
        const QByteArray png = data->data(QStringLiteral("image/png"));
        return png.isEmpty() && data->hasImage() ? pngOf(qvariant_cast<QImage>(data->imageData())) : png;
    }
    return data->data(PasteboardType::mimeTypeFor(type));
}

QString Pasteboard::stringForType(const QString &type) const {
    const QByteArray data = dataForType(type);
    return data.isNull() && !types().contains(type) ? QString() : QString::fromUtf8(data);
}

QList<QUrl> Pasteboard::fileURLs() const {
    QList<QUrl> files;
    if (const QMimeData *data = mimeData())
        for (const QUrl &url : data->urls())
            if (url.isLocalFile())
                files.append(url);
    return files;
}

QImage Pasteboard::image() const {
    return QImage::fromData(dataForType(PasteboardType::PNG));
}

QStringList Pasteboard::sourceFields() const {
    const QMimeData *data = mimeData();
    return data ? QString::fromUtf8(data->data(kSourceMime)).split(QLatin1Char(' ')) : QStringList();
}

bool Pasteboard::isFromThisApplication() const {
    const QStringList fields = sourceFields();
    return fields.size() == 3 && fields[0] == QString::number(QApplication::applicationPid());
}

bool Pasteboard::isFromWindow(const QWidget *window) const {
    const auto *w = qobject_cast<const Window *>(window);
    const quint64 number = w ? w->windowNumber() : viewIdentity(window);
    return isFromThisApplication() && sourceFields()[1] == QString::number(number);
}

bool Pasteboard::isFromView(const QObject *view) const {
    return isFromThisApplication() && sourceFields()[2] == QString::number(viewIdentity(view));
}

Qt::DropAction startDrag(QWidget *source, std::unique_ptr<Pasteboard> pasteboard, Qt::DropActions actions,
                         const QPixmap &image) {
    auto *drag = new QDrag(source);
    drag->setMimeData(pasteboard->takeMimeData());
    if (!image.isNull())
        drag->setPixmap(image);
    return drag->exec(actions);
}
