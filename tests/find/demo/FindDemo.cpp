// Not a test: the find window over a contacts file, searched and stepped, for screenshots.
// find_demo FILE TEXT [MODE] [SHOT.png]: MODE 0 ignores case, 1 keeps it, 2 reads TEXT as a
// regular expression; the current match moves forward twice. With SHOT the screen is saved
// there once the window has drawn, and the demo quits. Run under Xvfb.
#include "find/FindPanel.h"
#include "find/SegmentedButtons.h"
#include "model/QMPerson.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2) {
        std::fprintf(stderr, "find_demo FILE TEXT [MODE] [SHOT.png]\n");
        return 2;
    }
    QFile file(arguments[0]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments[0]));
        return 1;
    }
    QList<ContactEntry> contacts;
    for (auto &person : QMPerson::personsWithVCardData(file.readAll()))
        contacts.append(ContactEntry::withPerson(std::shared_ptr<QMPerson>(std::move(person))));

    FindPanel panel;
    panel.setContacts(contacts);
    panel.setLabels(FindPanel::openerLabels());
    panel.setLocalizedLabels(FindPanel::openerLocalizedLabels());
    panel.setSearchString(arguments[1]);
    panel.window()->move(20, 20);
    panel.window()->show();
    panel.searchModePopup()->setCurrentIndex(arguments.value(2, QStringLiteral("0")).toInt());
    panel.searchModePopupDidSelect(panel.searchModePopup());
    panel.textDidEnter(panel.searchField());

    const QString shot = arguments.value(3);
    QTimer::singleShot(600, &app, [&] {
        for (int step = 0; step < 2; ++step)
            panel.directionControl()->button(1)->click();
        std::printf("%lld rows, current row %d range %d\n", qlonglong(panel.searchResults().size()),
                    panel.selectedRow(), panel.selectedRangeIndex());
        if (!shot.isEmpty())
            QTimer::singleShot(400, &app, [&] {
                QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
                app.quit();
            });
    });
    return app.exec();
}
