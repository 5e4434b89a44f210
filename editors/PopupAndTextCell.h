#pragma once

#include "editors/FindHighlight.h"
#include "model/FindTarget.h"
#include "model/PersonRecords.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QMPerson;
class QPainter;
class QPalette;
class QRect;

// What a label popup cell shows once updatePopupAndText has run: the popup's items (labels
// the user added drawn in light gray), the selected item, and the value's text with its
// find marks.
struct PopupAndTextContent {
    struct MenuItem {
        QString title;
        bool custom = false;
        friend bool operator==(const MenuItem &, const MenuItem &) = default;
    };

    bool popupVisible = false;
    QList<MenuItem> menuItems;
    int selectedItem = -1;
    QFont font;
    QString text;
    TextHighlights highlights;

    // The title the closed popup shows (the selected item's), or the empty text.
    QString popupTitle() const;
};

// The label popup cell of every contact table: one labeled value with its label. The
// table that uses it sets every property, then calls updatePopupAndText; the cell keeps
// the result apart from drawing, so a table paints it (paint) and a panel shows it in
// widgets (PopupAndTextCellWidget).
class PopupAndTextCell {
public:
    // The gray of labels the user added.
    static QColor customLabelColor();
    // Space the popup needs beside its title's width.
    static constexpr int popupTitleMargin = 35;

    void setType(const QString &type) { type_ = type; }
    QString type() const { return type_; }
    void setPerson(const std::shared_ptr<QMPerson> &person) { person_ = person; }
    std::shared_ptr<QMPerson> person() const { return person_; }
    void setFindString(const QString &findString) { findString_ = findString; }
    QString findString() const { return findString_; }
    void setFindOptions(const QString &findOptions) { findOptions_ = findOptions; }
    QString findOptions() const { return findOptions_; }
    // The caller passes a target only when its field is the one shown in this cell.
    void setFindTarget(const std::optional<FindTarget> &target) { findTarget_ = target; }
    const std::optional<FindTarget> &findTarget() const { return findTarget_; }
    void setSelectedFont(const std::optional<QFont> &font) { selectedFont_ = font; }
    const std::optional<QFont> &selectedFont() const { return selectedFont_; }
    void setEditState(bool editState) { editState_ = editState; }
    bool editState() const { return editState_; }
    void setLabels(const QStringList &labels) { labels_ = labels; }
    QStringList labels() const { return labels_; }
    void setLocalizedLabels(const QStringList &labels) { localizedLabels_ = labels; }
    QStringList localizedLabels() const { return localizedLabels_; }
    void setCustomLabels(const QStringList &labels) { customLabels_ = labels; }
    QStringList customLabels() const { return customLabels_; }
    void setLabeledValue(const std::optional<LabeledValueRecord> &value);
    const std::optional<LabeledValueRecord> &labeledValue() const { return labeledValue_; }
    // Shows a value by its label and text alone, for a table that paints many cells and
    // keeps no copy of the record; labeledValue() stays empty.
    void setShownValue(const std::optional<QString> &label, const QString &text);
    void setLabelIndex(qint64 labelIndex) { labelIndex_ = labelIndex; }
    qint64 labelIndex() const { return labelIndex_; }
    void setRowNumLines(qint64 lines) { rowNumLines_ = lines; }
    qint64 rowNumLines() const { return rowNumLines_; }

    // Fills the popup's items and the text from the properties.
    void updatePopupAndText();
    const PopupAndTextContent &content() const { return content_; }

    // Draws the content into a table cell: the closed popup at the left, the text beside it.
    static void paint(QPainter *painter, const QRect &rect, const PopupAndTextContent &content,
                      const QPalette &palette, bool selected);
    // The width of a closed popup showing `title` in `font`.
    static int popupWidth(const QString &title, const QFont &font);
    // Where paint puts the closed popup (none when hidden) and the text inside a cell.
    static QRect popupRect(const QRect &rect, const PopupAndTextContent &content);
    static QRect textRect(const QRect &rect, const PopupAndTextContent &content);

private:
    QString localizedLabel(const QString &label) const;

    QString type_;
    std::shared_ptr<QMPerson> person_;
    QString findString_;
    QString findOptions_;
    std::optional<FindTarget> findTarget_;
    std::optional<QFont> selectedFont_;
    bool editState_ = false;
    QStringList labels_;
    QStringList localizedLabels_;
    QStringList customLabels_;
    std::optional<LabeledValueRecord> labeledValue_;
    bool hasShownValue_ = false;
    QString shownLabel_;
    QString shownText_;
    qint64 labelIndex_ = 0;
    qint64 rowNumLines_ = 1;
    PopupAndTextContent content_;
};

// Draws text of one or more lines with find marks, clipped to `rect`.
void paintHighlightedText(QPainter *painter, const QRect &rect, const QString &text, const QFont &font,
                          const TextHighlights &highlights, const QColor &color);
