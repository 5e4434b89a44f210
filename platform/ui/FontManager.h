#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>

class QFontDialog;

// The shared font manager and its panel (a non-modal QFontDialog). A font picked in the
// panel becomes the selected font and is sent as "changeFont:" to the target, which
// reads it with convertFont().
class FontManager : public QObject {
    Q_OBJECT
public:
    static FontManager &shared();

    QFont selectedFont() const { return selected_; }
    // Shows the font in the panel without sending it anywhere.
    void setSelectedFont(const QFont &font, bool isMultiple = false);
    QFont convertFont(const QFont &font) const;

    QObject *target() const { return target_; }
    void setTarget(QObject *target) { target_ = target; }

    void orderFrontFontPanel();
    QFontDialog *fontPanel(bool create);
    // What the panel does when the user picks a font.
    void choose(const QFont &font);

private:
    FontManager() = default;
    QFont selected_;
    bool changing_ = false;
    QPointer<QObject> target_;
    QPointer<QFontDialog> panel_;
};
