#include "editors/PopupAndTextCellWidget.h"
#include "model/QMPerson.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using Item = PopupAndTextContent::MenuItem;

LabeledValueRecord value(const QString &label, const QString &text, qint64 labelIndex = 0) {
    LabeledValueRecord record;
    record.label = label;
    record.value = text;
    record.stringValue = text;
    record.labelIndex = labelIndex;
    return record;
}

PopupAndTextCell phoneCell(const LabeledValueRecord &record, bool editing) {
    PopupAndTextCell cell;
    cell.setType(FieldId::Phone);
    cell.setSelectedFont(QApplication::font());
    cell.setEditState(editing);
    cell.setLabels({QStringLiteral("home"), QStringLiteral("work"), QStringLiteral("Boat")});
    cell.setLocalizedLabels({QStringLiteral("Home"), QStringLiteral("Work"), QStringLiteral("Boat")});
    cell.setCustomLabels({QStringLiteral("Boat")});
    cell.setLabeledValue(record);
    return cell;
}

TEST(PopupAndTextCell, EditingListsEveryLabelWithUserAddedOnesInGray) {
    PopupAndTextCell cell = phoneCell(value(QStringLiteral("work"), QStringLiteral("555-1234")), true);
    cell.updatePopupAndText();
    const PopupAndTextContent &content = cell.content();
    EXPECT_TRUE(content.popupVisible);
    EXPECT_EQ(content.menuItems, (QList<Item>{{QStringLiteral("Home"), false},
                                              {QStringLiteral("Work"), false},
                                              {QStringLiteral("Boat"), true}}));
    EXPECT_EQ(content.selectedItem, 1);
    EXPECT_EQ(content.text, QStringLiteral("555-1234"));

    // A label in neither list selects nothing while editing.
    cell.setLabeledValue(value(QStringLiteral("Yacht"), QStringLiteral("1")));
    cell.updatePopupAndText();
    EXPECT_EQ(cell.content().selectedItem, -1);
    EXPECT_EQ(cell.content().popupTitle(), QString());
}

TEST(PopupAndTextCell, NotEditingShowsOnlyTheValuesOwnLabel) {
    PopupAndTextCell cell = phoneCell(value(QStringLiteral("Boat"), QStringLiteral("1")), false);
    cell.updatePopupAndText();
    EXPECT_EQ(cell.content().menuItems, (QList<Item>{{QStringLiteral("Boat"), true}}));
    EXPECT_EQ(cell.content().popupTitle(), QStringLiteral("Boat"));

    // A standard label word shows its localized title.
    cell.setLabeledValue(value(QStringLiteral("home"), QStringLiteral("1")));
    cell.updatePopupAndText();
    ASSERT_EQ(cell.content().menuItems.size(), 1);
    EXPECT_EQ(
        cell.content().menuItems[0].title,
        QMPerson::localizedLabelFromCNLabel(QMPerson::CNLabelFromLabel(QStringLiteral("home")).value()));
    EXPECT_FALSE(cell.content().menuItems[0].custom);
}

TEST(PopupAndTextCell, NoFontOrNoValueHidesThePopup) {
    PopupAndTextCell cell = phoneCell(value(QStringLiteral("home"), QStringLiteral("1")), true);
    cell.setSelectedFont(std::nullopt);
    cell.updatePopupAndText();
    EXPECT_FALSE(cell.content().popupVisible);
    EXPECT_TRUE(cell.content().text.isEmpty());
    cell.setSelectedFont(QApplication::font());
    cell.setLabeledValue(std::nullopt);
    cell.updatePopupAndText();
    EXPECT_FALSE(cell.content().popupVisible);
    EXPECT_TRUE(cell.content().menuItems.isEmpty());
}

TEST(PopupAndTextCell, FindShadingAndTheCurrentMatchOfThisValueOnly) {
    auto person = std::make_shared<QMPerson>();
    PopupAndTextCell cell = phoneCell(value(QStringLiteral("home"), QStringLiteral("AB ab"), 2), false);
    cell.setPerson(person);
    cell.setLabelIndex(2);
    cell.setFindString(QStringLiteral("ab"));
    cell.setFindOptions(QStringLiteral("caseInsensitive"));
    FindTarget target;
    target.uniqueId = person->uniqueId();
    target.labelIndex = 2;
    target.range = {3, 2};
    cell.setFindTarget(target);
    cell.updatePopupAndText();
    EXPECT_EQ(cell.content().highlights,
              (TextHighlights{{0, 2, TextHighlight::FindMatch}, {3, 2, TextHighlight::CurrentMatch}}));

    target.labelIndex = 1; // another value of the contact
    cell.setFindTarget(target);
    cell.updatePopupAndText();
    EXPECT_EQ(cell.content().highlights,
              (TextHighlights{{0, 2, TextHighlight::FindMatch}, {3, 2, TextHighlight::FindMatch}}));

    target.labelIndex = 2;
    target.range = {4, 5}; // ends past the text
    cell.setFindTarget(target);
    cell.setFindOptions(QStringLiteral("caseSensitive"));
    cell.updatePopupAndText();
    EXPECT_EQ(cell.content().highlights, (TextHighlights{{3, 2, TextHighlight::FindMatch}}));

    cell.setLabeledValue(value(QStringLiteral("home"), QString(), 2));
    cell.updatePopupAndText();
    EXPECT_TRUE(cell.content().text.isEmpty());
    EXPECT_TRUE(cell.content().highlights.isEmpty());
}

TEST(PopupAndTextCell, WidgetFormShowsTheContent) {
    PopupAndTextCellWidget widget;
    widget.cell() = phoneCell(value(QStringLiteral("work"), QStringLiteral("line one\nline two")), true);
    widget.cell().setFindString(QStringLiteral("two"));
    widget.updatePopupAndText();
    EXPECT_EQ(widget.labelPopup()->count(), 3);
    EXPECT_EQ(widget.labelPopup()->currentText(), QStringLiteral("Work"));
    EXPECT_EQ(widget.labelPopup()->itemData(2, Qt::ForegroundRole).value<QColor>(),
              PopupAndTextCell::customLabelColor());
    EXPECT_FALSE(widget.labelPopup()->itemData(0, Qt::ForegroundRole).isValid());
    EXPECT_EQ(widget.textField()->toPlainText(), QStringLiteral("line one\nline two"));
    ASSERT_EQ(widget.textField()->extraSelections().size(), 1);
    EXPECT_EQ(widget.textField()->extraSelections()[0].cursor.selectedText(), QStringLiteral("two"));

    const QFontMetrics metrics(widget.labelPopup()->font());
    EXPECT_EQ(widget.labelPopup()->sizeHint().width(),
              metrics.horizontalAdvance(QStringLiteral("Work")) + 35);

    widget.cell().setLabeledValue(std::nullopt);
    widget.updatePopupAndText();
    EXPECT_TRUE(widget.labelPopup()->isHidden());
    EXPECT_TRUE(widget.textField()->toPlainText().isEmpty());
}

TEST(PopupAndTextCell, PaintsTheMarksBehindTheText) {
    PopupAndTextCell cell = phoneCell(value(QStringLiteral("home"), QStringLiteral("find me")), false);
    cell.setFindString(QStringLiteral("find"));
    cell.updatePopupAndText();
    QImage image(300, 24, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PopupAndTextCell::paint(&painter, image.rect(), cell.content(), QApplication::palette(), false);
    painter.end();
    // Some pixel of the row carries the light gray of a find match.
    bool gray = false;
    for (int x = 0; x < image.width() && !gray; ++x)
        gray = image.pixelColor(x, 12) == TextHighlight{}.background();
    EXPECT_TRUE(gray);
}

} // namespace

namespace {

// The orange of the current match lies exactly behind the found text, on its own line too.
TEST(PopupAndTextCell, TheCurrentMatchesOrangeCoversTheFoundText) {
    QFont font = QApplication::font();
    font.setPixelSize(14);
    const QString text = QStringLiteral("first line\nxx find yy");
    const qsizetype at = text.indexOf(QStringLiteral("find"));
    QImage image(300, 60, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRect rect(10, 0, 280, 60);
    paintHighlightedText(&painter, rect, text, font, {{at, 4, TextHighlight::CurrentMatch}}, Qt::black);
    painter.end();
    const QColor orange = TextHighlight{0, 0, TextHighlight::CurrentMatch}.background();
    QRect covered;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == orange)
                covered |= QRect(x, y, 1, 1);
    ASSERT_FALSE(covered.isEmpty());
    const QFontMetricsF metrics(font);
    EXPECT_NEAR(covered.left(), rect.left() + metrics.horizontalAdvance(QStringLiteral("xx ")), 1.5);
    EXPECT_NEAR(covered.width(), metrics.horizontalAdvance(QStringLiteral("find")), 1.5);
    EXPECT_GE(covered.top(), rect.top() + 2 + int(metrics.lineSpacing()) - 1); // the second line
}

} // namespace
