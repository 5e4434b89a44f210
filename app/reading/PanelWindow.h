#pragma once

#include "platform/ui/Window.h"

namespace tessarin {

// Small panels (progress, About) carry no menus of their own.
void removeMenuBar(Window *window);
// Centres the window over another window, or on the primary screen without one.
void centreWindow(QWidget *window, const QWidget *over = nullptr);

} // namespace tessarin
