#pragma once

#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <QStringList>
#include <QTest>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

// A responder that records what it received and validated.
template <typename Base> class Recording : public Base {
public:
    using Base::Base;
    void handle(const QString &action, QStringList *log, QString name = QString()) {
        if (name.isEmpty())
            name = QStringLiteral("?");
        this->registerAction(
            action, [log, action, name](QObject *) { log->append(name + QLatin1Char(' ') + action); });
    }
    bool validateMenuItem(MenuItem *item) override {
        validated.append(item->action());
        if (refuse.contains(item->action()))
            return false;
        return Base::validateMenuItem(item);
    }
    QStringList validated;
    QStringList refuse;
};

// Shows the window and waits until it is the active one, so focus and shortcuts work.
inline bool showActive(QWidget *window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}
