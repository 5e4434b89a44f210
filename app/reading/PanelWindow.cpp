#include "app/reading/PanelWindow.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

namespace tessarin {

void removeMenuBar(Window *window) {
    window->setMainMenu(nullptr);
    window->menuBar()->hide();
}

void centreWindow(QWidget *window, const QWidget *over) {
    QRect area;
    if (over && over->isVisible())
        area = over->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    else
        return;
    const QSize size = window->frameGeometry().size();
    window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

} // namespace tessarin
