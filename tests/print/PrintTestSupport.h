#pragma once

#include "contacts_table/SubContactRow.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <vector>

namespace print_test {

// The contacts of vCard text, one table row each, names given name first whatever the
// locale.
inline SubContactTable rowsOf(const QString &vcards) {
    CNContactsUserDefaults::sharedDefaults().setSortOrder(CNContactSortOrder::GivenName);
    SubContactTable rows;
    for (auto &person : QMPerson::personsWithVCardData(vcards.toUtf8())) {
        auto row = std::make_shared<SubContactRow>();
        row->person = std::shared_ptr<QMPerson>(std::move(person));
        row->uniqueId = row->person->uniqueId();
        rows.push_back(row);
    }
    return rows;
}

inline QString card(const QString &family, const QString &given, const QString &lines = {}) {
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:%1;%2;;;\r\nFN:%2 %1\r\n%3END:VCARD\r\n")
        .arg(family, given, lines);
}

// The output of a poppler tool, or a failed test when the tool is missing.
inline QString poppler(const QString &tool, const QStringList &arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " is missing: install poppler-utils (scripts/setup)";
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline int pdfPages(const QString &pdf) {
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(poppler("pdfinfo", {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The text of one page (from 1).
inline QString pdfText(const QString &pdf, int page) {
    const QString p = QString::number(page);
    return poppler("pdftotext", {"-f", p, "-l", p, pdf, "-"});
}

// A page's text without blanks or line breaks: how a font spaces glyphs (a vertical font
// may set Latin letters apart) leaves the characters and their order as they are.
inline QString pdfCharacters(const QString &pdf, int page) {
    return pdfText(pdf, page).remove(QRegularExpression(QStringLiteral("\\s")));
}

// Each word of a page (from 1) with its box in points, as pdftotext sets them apart.
struct PdfWord {
    QString text;
    QRectF box;
};
inline std::vector<PdfWord> pdfWords(const QString &pdf, int page) {
    const QString p = QString::number(page);
    const QString boxes = poppler("pdftotext", {"-f", p, "-l", p, "-bbox", pdf, "-"});
    static const QRegularExpression word(QStringLiteral(
        "xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)<"));
    std::vector<PdfWord> words;
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                               QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

// A page (from 1) rendered in grey at `dpi`, through poppler as a viewer would show it.
inline QImage pdfPageImage(const QString &pdf, int page, int dpi) {
    const QString p = QString::number(page);
    const QString base = pdf + QStringLiteral("-page");
    poppler("pdftoppm", {"-f", p, "-l", p, "-r", QString::number(dpi), "-gray", "-singlefile", pdf, base});
    return QImage(base + QStringLiteral(".pgm"));
}

} // namespace print_test
