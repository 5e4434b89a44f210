#pragma once

#include "model/ContactContainers.h"

#include <QDomElement>
#include <QHash>
#include <QImage>
#include <QString>

#include <optional>

// The read-only card of a contact: the template "contact.html" (well-formed XML in Qt's
// rich-text subset) filled through the DOM, so the contact's texts are always escaped.
// Its pictures travel with it in memory; nothing is written to disk.
struct ContactCardPage {
    QString html;
    QHash<QString, QImage> images; // by the name the page refers to
};

namespace ContactCard {

inline const QString TemplatePath = QStringLiteral(":/card/contact.html");
inline const QString IconFolder = QStringLiteral(":/icons/");
inline const QString PhotoName = QStringLiteral("ContactPhoto.png");
// The template draws the photo 64 pixels wide: decoded at twice that, it stays sharp on a
// screen of two device pixels per pixel.
constexpr int PhotoSide = 128;
inline const QString PersonPicture = QStringLiteral("icon_standard.png");
inline const QString CompanyPicture = QStringLiteral("icon_company.png");

// The filled card, or none when the template can't be read or is not well-formed. The photo
// is decoded at PhotoSide unless the caller has it decoded already (a null image: none).
std::optional<ContactCardPage> makeContactHTML(const ContactEntry *contact, const QString &templatePath,
                                               const std::optional<QImage> &decodedPhoto = std::nullopt);

// The first element, the given one included, depth first in document order, whose "id"
// (or whole "class") attribute equals the text; a null element when none does.
QDomElement getElementById(const QDomElement &element, const QString &id);
QDomElement getElementByClass(const QDomElement &element, const QString &className);

} // namespace ContactCard
