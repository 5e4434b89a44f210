#include "editors/PopupAndTextCell.h"

#include "model/QMPerson.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextLayout>

QString PopupAndTextContent::popupTitle() const {
    if (selectedItem < 0 || selectedItem >= menuItems.size())
        return {};
    return menuItems[selectedItem].title;
}

QColor PopupAndTextCell::customLabelColor() {
    return QColor(170, 170, 170);
}

QString PopupAndTextCell::localizedLabel(const QString &label) const {
    return QMPerson::localizedLabelFromCNLabel(QMPerson::CNLabelFromLabel(label).value_or(QString()));
}

void PopupAndTextCell::setLabeledValue(const std::optional<LabeledValueRecord> &value) {
    labeledValue_ = value;
    hasShownValue_ = value.has_value();
    shownLabel_ = value ? value->labelText() : QString();
    shownText_ = value ? value->stringValue : QString();
}

void PopupAndTextCell::setShownValue(const std::optional<QString> &label, const QString &text) {
    labeledValue_.reset();
    hasShownValue_ = true;
    shownLabel_ = label.value_or(QString());
    shownText_ = text;
}

void PopupAndTextCell::updatePopupAndText() {
    content_ = PopupAndTextContent();
    if (!selectedFont_ || !hasShownValue_)
        return;
    content_.popupVisible = true;
    content_.font = *selectedFont_;
    const QString &label = shownLabel_;
    if (editState_) {
        for (const QString &title : std::as_const(localizedLabels_))
            content_.menuItems.append({title, customLabels_.contains(title)});
        const qsizetype position = labels_.indexOf(label);
        if (position >= 0 && position < content_.menuItems.size()) {
            content_.selectedItem = int(position);
        } else {
            const QString title = localizedLabel(label);
            for (int i = 0; i < content_.menuItems.size(); ++i) {
                if (content_.menuItems[i].title == title) {
                    content_.selectedItem = i;
                    break;
                }
            }
        }
    } else {
        content_.menuItems.append({localizedLabel(label), customLabels_.contains(label)});
        content_.selectedItem = 0;
    }

    content_.text = shownText_;
    std::optional<TextRange> current;
    if (findTarget_ && person_ && findTarget_->uniqueId == person_->uniqueId() &&
        findTarget_->labelIndex == labelIndex_)
        current = findTarget_->range;
    content_.highlights = findHighlights(content_.text, findString_, findOptions_, current,
                                         CurrentMatchRule::RangeHoldsFindText);
}

int PopupAndTextCell::popupWidth(const QString &title, const QFont &font) {
    return QFontMetrics(font).horizontalAdvance(title) + popupTitleMargin;
}

QRect PopupAndTextCell::popupRect(const QRect &rect, const PopupAndTextContent &content) {
    if (!content.popupVisible)
        return {};
    const int lineHeight = QFontMetrics(content.font).height() + 4;
    return {rect.left() + 2, rect.top() + 1, popupWidth(content.popupTitle(), content.font),
            std::min(lineHeight, rect.height() - 2)};
}

QRect PopupAndTextCell::textRect(const QRect &rect, const PopupAndTextContent &content) {
    QRect text = rect.adjusted(2, 0, -2, 0);
    if (content.popupVisible)
        text.setLeft(popupRect(rect, content).right() + 6);
    return text;
}

void PopupAndTextCell::paint(QPainter *painter, const QRect &rect, const PopupAndTextContent &content,
                             const QPalette &palette, bool selected) {
    const QColor textColor = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (content.popupVisible) {
        const QString title = content.popupTitle();
        const QRect popupRect = PopupAndTextCell::popupRect(rect, content);
        painter->save();
        painter->setFont(content.font);
        painter->setPen(palette.color(QPalette::Mid));
        painter->drawRoundedRect(QRectF(popupRect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        const bool custom = content.selectedItem >= 0 && content.menuItems[content.selectedItem].custom;
        painter->setPen(custom ? customLabelColor() : textColor);
        painter->drawText(popupRect.adjusted(6, 0, -18, 0), Qt::AlignLeft | Qt::AlignVCenter, title);
        // The popup's arrows.
        const QPointF tip(popupRect.right() - 10, popupRect.center().y() + 0.5);
        painter->setPen(QPen(textColor, 1.2));
        painter->drawLine(tip + QPointF(-3, -2), tip + QPointF(0, -5));
        painter->drawLine(tip + QPointF(0, -5), tip + QPointF(3, -2));
        painter->drawLine(tip + QPointF(-3, 2), tip + QPointF(0, 5));
        painter->drawLine(tip + QPointF(0, 5), tip + QPointF(3, 2));
        painter->restore();
    }
    paintHighlightedText(painter, textRect(rect, content), content.text, content.font, content.highlights,
                         textColor);
}

void paintHighlightedText(QPainter *painter, const QRect &rect, const QString &text, const QFont &font,
                          const TextHighlights &highlights, const QColor &color) {
    if (text.isEmpty() || rect.width() <= 0)
        return;
    painter->save();
    painter->setClipRect(rect);
    painter->setPen(color);
    const QFontMetricsF metrics(font);
    qreal y = rect.top() + 2;
    qsizetype lineStart = 0;
    // Each text line is laid out on its own; the marks keep their positions in the whole text.
    while (lineStart <= text.size() && y < rect.bottom()) {
        qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        QTextLayout layout(text.mid(lineStart, lineEnd - lineStart), font);
        QList<QTextLayout::FormatRange> formats;
        for (const TextHighlight &mark : highlights) {
            const qsizetype from = std::max(mark.start, lineStart);
            const qsizetype to = std::min(mark.start + mark.length, lineEnd);
            if (from >= to)
                continue;
            QTextLayout::FormatRange range;
            range.start = int(from - lineStart);
            range.length = int(to - from);
            range.format.setBackground(mark.background());
            formats.append(range);
        }
        layout.setFormats(formats);
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setPosition(QPointF(0, 0));
        layout.endLayout();
        layout.draw(painter, QPointF(rect.left(), y));
        y += metrics.lineSpacing();
        lineStart = lineEnd + 1;
    }
    painter->restore();
}
