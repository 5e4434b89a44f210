#pragma once

#include <QList>
#include <QWidget>

class QToolButton;

// Buttons side by side that act as one momentary control: a click selects its segment and
// reports it, as a segmented control does.
class SegmentedButtons : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedButtons(int count, QWidget *parent = nullptr);

    void setLabel(const QString &label, int segment);
    QString labelForSegment(int segment) const;
    int selectedSegment() const { return selected_; }
    void setSelectedSegment(int segment);
    QToolButton *button(int segment) const { return buttons_.value(segment); }

signals:
    void clicked(int segment);

private:
    QList<QToolButton *> buttons_;
    int selected_ = -1;
};
