#pragma once

#include <QMargins>
#include <QRect>

#include <optional>

class QWidget;

// Windows, sheets and panels open inside the available area of their screen. A top-level
// window is moved in and, where it is larger than the area, shrunk (never below its minimum
// size); one the program did not place is first centred over the active window. The frame
// the window manager adds is counted, as far as it is known.
void keepInsideScreen(QWidget *window);

// Does so for every top-level window as it shows (menus and tool tips place themselves, and
// so does a window with this property set: a popover, which has no frame and its own rule).
inline constexpr const char *placesItselfProperty = "placesItself";
void keepWindowsInsideScreen();

// What the window manager adds around the window (title bar, borders); none before it shows.
QMargins frameMargins(const QWidget *window);

// How far each new window steps right and down from the one in front.
constexpr int CascadeOffset = 22;

// Where a window placed at the default frame goes: there when no other window is open; else
// the default size at the front window's place moved by the cascade offset, each direction
// starting again at the area's edge where the window would leave the area.
QRect cascadedFrame(const QRect &defaultFrame, const std::optional<QRect> &frontFrame, const QRect &area);
