// Not a test: the group list beside the detail panel for one contact with every field and
// a photo, as a table ("table") or as the card ("card"); run under Xvfb for screenshots.
#include "contact_info/ContactInfoController.h"
#include "contacts_table/GroupViewController.h"
#include "platform/ui/Window.h"
#include "tests/contact_info/ContactInfoTestSupport.h"

#include <QApplication>
#include <QSplitter>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const bool card = app.arguments().contains(QStringLiteral("card"));

    auto table = std::make_shared<ContainerTable>();
    ContainerRecord container;
    container.name = VCardContainerName;
    for (const char *name : {"All Contacts", "Family", "Friends", "Work"}) {
        auto group = std::make_shared<GroupRecord>();
        group->name = QString::fromUtf8(name);
        group->top = container.groups.isEmpty();
        container.groups.append(group);
    }
    table->append(container);

    Window window;
    auto *split = new QSplitter;
    GroupViewController groups;
    groups.setContainerTable(table);
    groups.setSelectedGroupDict(table->first().groups.at(1));
    groups.windowState()->setEditState(!card);
    ContactInfoController panel;
    panel.windowState()->setEditState(!card);
    split->addWidget(groups.view());
    split->addWidget(panel.view());
    split->setSizes({220, 640});
    window.setCentralWidget(split);
    window.setWindowTitle(QStringLiteral("Contact detail panel"));
    window.resize(880, 780);
    window.move(0, 0);

    ContactEntry entry = fullContact();
    panel.setContact(&entry);
    window.show();
    groups.viewWillAppear();
    panel.viewWillAppear();
    groups.updateTable();
    if (card) {
        panel.updateWebView();
        panel.showCard(true);
    }
    return app.exec();
}
