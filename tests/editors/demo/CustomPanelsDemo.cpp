// Not a test: runs the custom label and custom items sheets on a window of contacts, opens
// the item editor and the help, and photographs the screen (run under Xvfb with
// QT_QPA_PLATFORM=xcb).
//   custom_panels_demo --screenshot-dir DIR

#include "editors/CustomItemEditor.h"
#include "editors/CustomItemsPanel.h"
#include "editors/CustomLabelPanel.h"
#include "model/QMvCard.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "tests/editors/CustomItemSamples.h"
#include "tests/editors/demo/DemoRun.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace {

const char *const kCards = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Appleseed;Johnny;;;\r\nFN:Johnny Appleseed\r\n"
                           "item1.TEL:+1 408 555 0100\r\nitem1.X-ABLabel:boat\r\n"
                           "item2.TEL:+1 408 555 0101\r\nitem2.X-ABLabel:cottage\r\n"
                           "X-Pets;type=cat:Tama\r\nX-Hobby:Gardening\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Suzuki;Hanako;;;\r\nFN:Hanako Suzuki\r\n"
                           "item1.TEL:03-1234-5678\r\nitem1.X-ABLabel:studio\r\nX-Pets;type=dog:Pochi\r\n"
                           "END:VCARD\r\n";

QImage pawIcon() {
    QImage image(128, 128, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc0, 0x6a, 0x2b));
    painter.drawEllipse(QRectF(34, 56, 60, 52));
    for (const QPointF toe : {QPointF(24, 40), QPointF(48, 22), QPointF(80, 22), QPointF(104, 40)})
        painter.drawEllipse(toe, 13, 15);
    return image;
}

class Demo {
public:
    explicit Demo(QString directory)
        : directory_(std::move(directory)) {
        containers_ = QMvCard().containersFromVCards(QString::fromUtf8(kCards));
        auto *table = new QTableWidget(12, 3);
        table->setHorizontalHeaderLabels(
            {QStringLiteral("Name"), QStringLiteral("Phone"), QStringLiteral("Pets")});
        table->horizontalHeader()->setStretchLastSection(true);
        table->setColumnWidth(0, 220);
        table->setColumnWidth(1, 220);
        const ContactTable &contacts = *containers_->first().groups.first()->contactTable;
        for (int row = 0; row < contacts.size(); ++row) {
            QMPerson &person = *contacts[row].person;
            table->setItem(row, 0, new QTableWidgetItem(person.compositeName()));
            const auto phones = person.labeledValueForIdentifier(FieldId::Phone).value_or(LabeledValueList());
            if (!phones.isEmpty())
                table->setItem(row, 1,
                               new QTableWidgetItem(phones.first().labelText() + QStringLiteral("  ") +
                                                    phones.first().stringValue));
        }
        window_.setCentralWidget(table);
        window_.setWindowTitle(QStringLiteral("Contacts.vcf"));
        window_.resize(900, 640);
        window_.move(0, 0);
        window_.show();
        static_cast<void>(QTest::qWaitForWindowExposed(&window_));
    }

    void photograph(const QString &name) {
        QTest::qWait(400);
        QApplication::primaryScreen()->grabWindow(0, 0, 0, 920, 700).save(QDir(directory_).filePath(name));
    }

    void labelPanel() {
        CustomLabelPanelController panel;
        UserDefaults::standard().setObject(FieldId::Phone, CustomLabelPanelController::LastSelectedItemKey);
        panel.setCustomItems(
            {customItem(QStringLiteral("Pets"), {QStringLiteral("cat"), QStringLiteral("dog")})});
        panel.setSelectedFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        panel.setContainerTable(containers_);
        panel.setContextInfo();
        Application::shared().beginSheet(panel.window(), &window_, [](int) {});
        QTest::qWait(200);
        panel.tableView()->selectRow(1);
        QTest::mouseClick(panel.addButton(), Qt::LeftButton);
        photograph(QStringLiteral("custom-label-panel.png"));
        QTest::mouseClick(panel.cancelButton(), Qt::LeftButton);
    }

    void itemsPanel() {
        CustomItemDefinition pets =
            customItem(QStringLiteral("Pets"), {QStringLiteral("cat"), QStringLiteral("dog")});
        pets.imageData = AddItemViewController::iconData(pawIcon());
        CustomItemPanel panel;
        panel.setCustomItems({customItem(QStringLiteral("Hobby"), {}), pets,
                              customItem(QStringLiteral("Member ID"), {}, true),
                              customItem(QStringLiteral("Old Code"), {})});
        panel.setIsVCard(true);
        panel.setContainerTable(containers_);
        Application::shared().beginSheet(panel.window(), &window_, [](int) {});
        QTest::qWait(200);
        ScriptedDialogPresenter dialogs; // OK in the delete alert
        dialogs.answerAlert(QStringLiteral("OK"));
        panel.tableView()->selectRow(3);
        QTest::mouseClick(panel.delButton(), Qt::LeftButton);
        QTest::qWait(100);
        panel.tableView()->selectRow(2);
        photograph(QStringLiteral("custom-items-panel.png"));

        QTest::mouseClick(panel.addButton(), Qt::LeftButton);
        AddItemViewController *editor = panel.addItemViewController();
        QTest::keyClicks(editor->nameField(), QStringLiteral("Shoe Size"));
        editor->typePopup()->setCurrentText(ValueKind::Labeled);
        editor->popupChanged(editor->typePopup());
        QTest::mouseClick(editor->addButton(), Qt::LeftButton);
        QTest::mouseClick(editor->addButton(), Qt::LeftButton);
        photograph(QStringLiteral("custom-item-editor.png"));
        QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);

        QTest::mouseClick(panel.helpButton(), Qt::LeftButton);
        photograph(QStringLiteral("custom-items-help.png"));
        QTest::mouseClick(panel.cancelButton(), Qt::LeftButton);
    }

private:
    Window window_;
    std::shared_ptr<ContainerTable> containers_;
    QString directory_;
};

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    const DemoRun run(application.arguments());
    Demo demo(run.directory);
    demo.labelPanel();
    demo.itemsPanel();
    return 0;
}
