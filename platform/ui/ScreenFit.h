#pragma once

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
