#pragma once

#include <QPixmap>
#include <QString>
#include <QUrl>

// What the program says about itself, and the maker's addresses, in one place.
namespace tessarin::Product {

QString name();         // the bundle name, "Tessarin2"
QString shortVersion(); // "0.1"
QString buildVersion(); // "1"
// The product's icon at 256 pixels.
QPixmap icon();

QUrl homePage();
// The help and privacy pages; the Japanese variants carry "lang=jp".
QUrl helpPage(bool japanese);
QUrl privacyPolicyPage(bool japanese);
// The product's page in the desktop's software centre.
QUrl storePage();
// A new mail to the support address, the subject "Feedback of <name>".
QUrl feedbackMail();

} // namespace tessarin::Product
