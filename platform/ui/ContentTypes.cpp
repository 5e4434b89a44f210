#include "platform/ui/ContentTypes.h"

#include "platform/core/Localization.h"

#include <QFileInfo>

namespace {

struct TypeInfo {
    QString type;
    QStringList suffixes;
    QString parent;
    const char *name;
};

const QList<TypeInfo> &table() {
    static const QList<TypeInfo> types = {
        {ContentTypes::VCard,
         {QStringLiteral("vcf"), QStringLiteral("vcard")},
         ContentTypes::Text,
         QT_TRID_NOOP("vCard")},
        {ContentTypes::CommaSeparatedText, {QStringLiteral("csv")}, ContentTypes::Text, QT_TRID_NOOP("CSV")},
        {ContentTypes::TabSeparatedText,
         {QStringLiteral("tsv"), QStringLiteral("tab")},
         ContentTypes::Text,
         QT_TRID_NOOP("Tab-separated text")},
        {ContentTypes::PlainText,
         {QStringLiteral("txt"), QStringLiteral("text")},
         ContentTypes::Text,
         QT_TRID_NOOP("Text")},
        {ContentTypes::PNG, {QStringLiteral("png")}, ContentTypes::Image, QT_TRID_NOOP("PNG image")},
        {ContentTypes::JPEG,
         {QStringLiteral("jpg"), QStringLiteral("jpeg")},
         ContentTypes::Image,
         QT_TRID_NOOP("JPEG image")},
        {ContentTypes::Image,
         {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
          QStringLiteral("bmp"), QStringLiteral("tif"), QStringLiteral("tiff")},
         QString(),
         QT_TRID_NOOP("Image")},
        {ContentTypes::PDF, {QStringLiteral("pdf")}, QString(), QT_TRID_NOOP("PDF document")},
    };
    return types;
}

const TypeInfo *find(const QString &type) {
    for (const TypeInfo &info : table())
        if (info.type == type)
            return &info;
    return nullptr;
}

} // namespace

QStringList ContentTypes::suffixesForType(const QString &type) {
    const TypeInfo *info = find(type);
    return info ? info->suffixes : QStringList();
}

QString ContentTypes::typeForFile(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const TypeInfo &info : table())
        if (info.suffixes.contains(suffix))
            return info.type;
    return QString();
}

bool ContentTypes::conformsTo(const QString &type, const QString &parentType) {
    for (QString current = type; !current.isEmpty();) {
        if (current == parentType)
            return true;
        const TypeInfo *info = find(current);
        current = info ? info->parent : QString();
    }
    return false;
}

QStringList ContentTypes::nameFiltersForTypes(const QStringList &types) {
    QStringList filters;
    QStringList all;
    for (const QString &type : types) {
        const TypeInfo *info = find(type);
        if (!info)
            continue;
        QStringList patterns;
        for (const QString &suffix : info->suffixes)
            patterns.append(QStringLiteral("*.") + suffix);
        all.append(patterns);
        filters.append(QStringLiteral("%1 (%2)").arg(L(info->name), patterns.join(QLatin1Char(' '))));
    }
    if (filters.size() > 1)
        filters.prepend(QStringLiteral("%1 (%2)").arg(L("All readable files"), all.join(QLatin1Char(' '))));
    return filters;
}
