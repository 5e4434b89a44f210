#include "print/PrintText.h"

#include "state/SharedSettings.h"
#include "model/QMPerson.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QSet>
#include <QTransform>

#include <algorithm>

namespace {

constexpr QChar paragraphSeparator = QChar::LineSeparator;
constexpr double entryIndent = 20.0;

// Line ends as the user may have typed them become one kind.
QString normalizedLineEnds(QString text) {
    if (text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
    }
    return text;
}

// Label words print in grey, as on screen where they are the dimmer part of a value.
// A fixed colour rather than the desktop theme's: paper is always white.
QTextCharFormat labelFormat() {
    QTextCharFormat format;
    format.setForeground(QColor(128, 128, 128));
    return format;
}

class BlockBuilder {
public:
    BlockText block;
    // The current paragraph still takes text: a heading whose field had no value.
    bool open = false;

    void startParagraph(double indent) {
        if (!block.paragraphs.empty())
            block.text += paragraphSeparator;
        block.paragraphs.push_back({block.text.size(), indent});
    }
    void append(const QString &text) { block.text += text; }
    void appendLabel(const QString &label) {
        block.formats.append({int(block.text.size()), int(label.size()) + 1, labelFormat()});
        block.text += label + u':';
    }
    // The first line continues the current paragraph; later lines start their own.
    void appendLines(const QString &text, double laterIndent) {
        const QStringList lines = normalizedLineEnds(text).split(u'\n');
        append(lines.first());
        for (qsizetype i = 1; i < lines.size(); ++i) {
            startParagraph(laterIndent);
            append(lines[i]);
        }
    }

    void appendEntry(QMPerson *person, const QString &identifier, const QStringList &labels,
                     const TextMeasure &measure) {
        const QString heading = identifier + QStringLiteral(": ");
        if (!open)
            startParagraph(entryIndent);
        append(heading);
        const double headWidth = measure.width(heading) + entryIndent;
        const FieldValue value = person ? person->valueForIdentifier(identifier) : FieldValue();
        open = false;
        if (const auto *list = value.get<LabeledValueList>()) {
            bool first = true;
            for (const LabeledValueRecord &item : *list) {
                if (item.stringValue.isEmpty() || !SharedSettings::labelPasses(labels, item.label))
                    continue;
                if (!first)
                    startParagraph(headWidth);
                first = false;
                if (!item.labelText().isEmpty()) {
                    appendLabel(item.labelText());
                    append(QStringLiteral(" "));
                }
                appendLines(item.stringValue, headWidth);
            }
        } else if (const auto *name = value.get<NameRecord>()) {
            appendLines(name->stringValue, 0);
        } else if (const auto *phonetic = value.get<PhoneticNameRecord>()) {
            appendLines(phonetic->stringValue, 0);
        } else if (const auto *birthday = value.get<BirthdayRecord>()) {
            appendLines(birthday->stringValue, 0);
        } else if (const auto *text = value.get<QString>()) {
            appendLines(*text, identifier == FieldId::Note ? 0 : headWidth);
        } else {
            open = true;
        }
    }
};

} // namespace

TextMeasure::TextMeasure(const PrintFont &font, const QPaintDevice &device)
    : metrics_(font.font, &device)
    , scale_(font.scale()) {}

BlockText addressListBlockText(SubContactRow &row, const AddressListOptions &options, const TextMeasure &measure) {
    BlockBuilder builder;
    QMPerson *person = row.person.get();
    builder.startParagraph(0);
    builder.appendLines(person ? person->compositeName() : QString(), 0);
    for (const AddressListItem &item : options.itemTable) {
        if (item.title != FieldId::Name && item.state)
            builder.appendEntry(person, item.title, options.selectedLabels, measure);
    }
    return std::move(builder.block);
}

namespace {
QString contactId(const SubContactRow &row) {
    return row.uniqueId.isEmpty() && row.person ? row.person->uniqueId() : row.uniqueId;
}
bool showsAddress(const SubContactRow &row) {
    return row.person && row.person->labeledValueForIdentifier(FieldId::Address, qsizetype(row.labelIndex));
}
} // namespace

std::vector<SubContactRowPtr> printedContacts(const SubContactTable &rows) {
    std::vector<SubContactRowPtr> printed;
    QSet<QString> seen;
    for (const SubContactRowPtr &row : rows) {
        if (!row)
            continue;
        const QString id = contactId(*row);
        if (id.isEmpty() || !seen.contains(id)) {
            seen.insert(id);
            printed.push_back(row);
        }
    }
    return printed;
}

SubContactTable addressedRows(const SubContactTable &rows) {
    std::vector<bool> shows(rows.size());
    QSet<QString> withAddress;
    for (size_t i = 0; i < rows.size(); ++i) {
        shows[i] = rows[i] && showsAddress(*rows[i]);
        if (shows[i])
            withAddress.insert(contactId(*rows[i]));
    }
    SubContactTable addressed;
    QSet<QString> nameOnly;
    QSet<std::pair<QString, qint64>> addresses;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SubContactRowPtr &row = rows[i];
        if (!row || !row->person)
            continue;
        const QString id = contactId(*row);
        bool prints = false;
        if (id.isEmpty()) // nothing tells its rows apart as one contact's
            prints = true;
        else if (shows[i])
            prints = !addresses.contains({id, row->labelIndex});
        else
            prints = !withAddress.contains(id) && !nameOnly.contains(id);
        if (!prints)
            continue;
        if (shows[i])
            addresses.insert({id, row->labelIndex});
        else
            nameOnly.insert(id);
        addressed.push_back(row);
    }
    return addressed;
}

// Lines are set in the font's reference units and drawn scaled to points.
TypesetBlock::TypesetBlock(const BlockText &block, const PrintFont &font, const QPaintDevice &device, double width)
    : layout_(block.text, font.font, &device)
    , scale_(font.scale()) {
    const double lineWidth = width / scale_;
    layout_.setFormats(block.formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(option);
    layout_.beginLayout();
    size_t paragraph = 0;
    double y = 0;
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        const qsizetype start = line.textStart();
        while (paragraph + 1 < block.paragraphs.size() && block.paragraphs[paragraph + 1].start <= start)
            ++paragraph;
        const double indent =
            paragraph < block.paragraphs.size() && block.paragraphs[paragraph].start == start
                ? block.paragraphs[paragraph].indent / scale_
                : 0;
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max(lineWidth - indent, 1.0));
        line.setPosition({indent, y});
        y += line.height();
    }
    layout_.endLayout();
}

std::vector<double> TypesetBlock::lineHeights() const {
    std::vector<double> heights;
    heights.reserve(size_t(layout_.lineCount()));
    for (int i = 0; i < layout_.lineCount(); ++i)
        heights.push_back(layout_.lineAt(i).height() * scale_);
    return heights;
}

void TypesetBlock::draw(QPainter &painter, const QPointF &topLeft, qsizetype firstLine, qsizetype count) const {
    if (firstLine < 0 || firstLine >= layout_.lineCount())
        return;
    painter.save();
    painter.translate(topLeft);
    painter.scale(scale_, scale_);
    const QPointF offset(0, -layout_.lineAt(int(firstLine)).y());
    const qsizetype end = std::min<qsizetype>(firstLine + count, layout_.lineCount());
    for (qsizetype i = firstLine; i < end; ++i)
        layout_.lineAt(int(i)).draw(&painter, offset);
    painter.restore();
}

QString makeAdrsAndNameString(SubContactRow &row, const AddressTextOptions &options) {
    if (!row.person)
        return {};
    QMPerson &person = *row.person;
    QString name = person.nameValue().stringValue;
    const QString suffix = person.stringValueForIdentifier(FieldId::Suffix);
    if (options.printPrefix && !suffix.isEmpty())
        name = suffix + u' ' + name;
    if (!options.keishou.isEmpty())
        name += u' ' + options.keishou;

    QString text;
    if (auto address = person.labeledValueForIdentifier(FieldId::Address, qsizetype(row.labelIndex))) {
        QMPerson::updateAddressValue(*address, options.printCountry);
        if (!address->formattedString.isEmpty())
            text = address->formattedString;
        else if (!address->stringValue.isEmpty())
            text = address->stringValue;
        else {
            if (!address->zip.isEmpty())
                text += address->zip + u' ';
            if (options.printCountry && !address->country.isEmpty())
                text += address->country + u' ';
            text += address->state + address->city + u'\n';
            if (!address->street.isEmpty())
                text += address->street + u'\n';
        }
        if (!text.endsWith(u'\n'))
            text += u'\n';
    }
    if (options.printCompany) {
        const QString company = person.stringValueForIdentifier(FieldId::Company);
        if (!company.isEmpty())
            text += company + u'\n';
    }
    return normalizedLineEnds(text + name);
}

SetText::SetText(const QString &text, const PrintFont &font, const QPaintDevice &device)
    : layout_(QString(text).replace(u'\n', paragraphSeparator), font.font, &device)
    , scale_(font.scale()) {
    const QFontMetricsF metrics(font.font, &device);
    const double pitch = metrics.ascent() + metrics.descent();
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout_.setTextOption(option);
    layout_.beginLayout();
    double width = 0;
    int lines = 0;
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine(), ++lines) {
        line.setLineWidth(1e6);
        // Every baseline at the same pitch, whatever fallback fonts a line holds.
        line.setPosition({0, lines * pitch + metrics.ascent() - line.ascent()});
        width = std::max(width, line.naturalTextWidth());
    }
    layout_.endLayout();
    size_ = QSizeF(width, lines * pitch) * scale_;
}

QRectF SetText::glyphBounds() const {
    QRectF covered;
    for (const QGlyphRun &run : layout_.glyphRuns()) {
        const QRawFont font = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        covered |= run.boundingRect();
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
            covered |= font.boundingRect(glyphs[i]).translated(positions[i]);
    }
    return QTransform::fromScale(scale_, scale_).mapRect(covered);
}

void SetText::draw(QPainter &painter, const QPointF &topLeft) const {
    painter.save();
    painter.translate(topLeft);
    painter.scale(scale_, scale_);
    layout_.draw(&painter, {0, 0});
    painter.restore();
}

void SetText::drawTategaki4(QPainter &painter, const QPointF &point) const {
    painter.save();
    painter.translate(point);
    painter.rotate(90);
    draw(painter, {0, 0});
    painter.restore();
}
