#pragma once

#include "platform/contacts/CNContact.h"

#include <QByteArray>
#include <QString>

#include <ostream>

// Reads a test file; "aosp/v21_japanese_*" files are Shift_JIS and come back as UTF-8.
QByteArray readVCardTestFile(const QString &relativePath);
QString vCardTestDataDirectory();

// Parses data that must hold exactly one card; fails the test otherwise.
CNContact readOneCard(const QByteArray &data);

// The fields the vCard writer writes: all but the note and the images, which the
// callers add as lines of their own.
CNContact writableFields(CNContact contact);

// A readable dump of every field, for failure messages and comparisons.
std::string describe(const CNContact &contact);
void PrintTo(const CNContact &contact, std::ostream *os);
