#pragma once

#include "platform/ui/Window.h"

#include <QMenuBar>

namespace tessarin {

// Small panels (progress, About) carry no menus of their own.
inline void removeMenuBar(Window *window) {
    window->setMainMenu(nullptr);
    window->menuBar()->hide();
}

} // namespace tessarin
