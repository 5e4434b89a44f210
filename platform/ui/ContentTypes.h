#pragma once

#include <QString>
#include <QStringList>

// Content type names as the rest of the program speaks them, mapped to file suffixes.
namespace ContentTypes {

inline const QString VCard = QStringLiteral("public.vcard");
inline const QString CommaSeparatedText = QStringLiteral("public.comma-separated-values-text");
inline const QString TabSeparatedText = QStringLiteral("public.utf8-tab-separated-values-text");
inline const QString PlainText = QStringLiteral("public.plain-text");
inline const QString PNG = QStringLiteral("public.png");
inline const QString JPEG = QStringLiteral("public.jpeg");
inline const QString Image = QStringLiteral("public.image");
inline const QString Text = QStringLiteral("public.text");
inline const QString PDF = QStringLiteral("com.adobe.pdf");

QStringList suffixesForType(const QString &type);
// The type a file's name says it holds; empty when none is known.
QString typeForFile(const QString &path);
bool conformsTo(const QString &type, const QString &parentType);
// A file dialog filter such as "vCard (*.vcf *.vcard)".
QStringList nameFiltersForTypes(const QStringList &types);

} // namespace ContentTypes
