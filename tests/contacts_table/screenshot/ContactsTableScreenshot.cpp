// Shows a generated group of 200 contacts in the contacts table, in two view types, and
// photographs the screen after each (run under Xvfb with QT_QPA_PLATFORM=xcb).
//   contacts_table_screenshot --screenshot-dir DIR

#include "bench/VCardGenerator.h"
#include "contacts_table/ContactsViewController.h"
#include "model/QMPerson.h"
#include "model/ViewTypes.h"
#include "platform/core/UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct GroupDelegate : ContactsViewControllerDelegate {
    void rowSelectionDidChange(const SubContactRowPtr &) override {}
    void sortDescriptorsDidChange(const QList<SortDescriptor> &) override {}
    QString selectedGroupName() override { return QStringLiteral("All Contacts"); }
};

void photograph(const QString &directory, const QString &name) {
    QTest::qWait(300);
    QApplication::primaryScreen()->grabWindow(0).save(QDir(directory).filePath(name));
}

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const qsizetype option = arguments.indexOf(QStringLiteral("--screenshot-dir"));
    const QString directory = option >= 0 ? arguments.value(option + 1) : QDir::currentPath();
    QTemporaryDir preferences;
    UserDefaults::setStorageFile(preferences.filePath(QStringLiteral("prefs.ini")));
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(ViewTypes::aViewTypeDict(), QStringLiteral("QM1DviewTypeDict"));
    defaults.setObject(SortOptions::factorySortOptionsDict(), QStringLiteral("QM1DsortOptionsDict"));
    defaults.setObject(QStringLiteral("Labeled Values"), QStringLiteral("QM1DselectedViewType"));
    defaults.setBool(true, QStringLiteral("QM1DshowCompanyInNameCell"));

    auto table = std::make_shared<ContactTable>();
    for (auto &person : QMPerson::personsWithVCardData(generateVCards({200, true, 3}))) {
        ContactEntry entry;
        entry.uniqueId = person->uniqueId();
        entry.person = std::move(person);
        table->append(entry);
    }

    GroupDelegate delegate;
    ContactsViewController controller;
    controller.setDelegate(&delegate);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Contacts table"));
    window.setCentralWidget(controller.view());
    window.resize(1260, 780);
    controller.setContactTable(table);
    controller.setSubContactTableDirty(true);
    controller.reloadData();
    window.show();
    controller.windowState()->setFindString(QStringLiteral("an"));
    controller.selectRowIndexes({2});
    controller.updateTable();
    photograph(directory, QStringLiteral("contacts-labeled-values.png"));

    const QString personal = QStringLiteral("Personal Information");
    defaults.setObject(personal, QStringLiteral("QM1DselectedViewType"));
    controller.setSelectedViewType(personal);
    controller.windowState()->setFindString(QString());
    controller.setSortDescriptors({SortDescriptor{FieldId::Birthday, false}});
    photograph(directory, QStringLiteral("contacts-personal-information.png"));
    return 0;
}
