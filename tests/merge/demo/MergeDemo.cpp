// The merge sheet over a document window for two contacts, photographed before and after
// values are dragged from the left table to the right one. Run under Xvfb:
//   merge_demo SHOTS_DIR
#include "merge/MergePanelController.h"
#include "merge/MergeTableView.h"
#include "model/QMPerson.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTest>

namespace {

std::shared_ptr<QMPerson> person(const QString &body) {
    QString text = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\n") + body + QStringLiteral("END:VCARD\n");
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return std::shared_ptr<QMPerson>(QMPerson::initWithVCardData(text.toUtf8()));
}

int rowOf(const MergeTable &table, const QString &type, int offset = 0) {
    for (int row = 0; row < table.size(); ++row)
        if (table[row].type == type)
            return row + offset;
    return -1;
}

// A drag from the left table dropped on the right one, as the tables hand it over.
void drag(MergePanelController &sheet, int from, int onto, MergeDropPosition position, bool copy) {
    auto pasteboard = Pasteboard::forDragging();
    if (!sheet.tableViewWriteRows(sheet.tableViewLeft(), from, *pasteboard))
        return;
    const Pasteboard drop(pasteboard->mimeData());
    sheet.tableViewAcceptDrop(sheet.tableViewRight(), drop, onto, position, copy);
    QCoreApplication::processEvents(); // the tables follow the change
}

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    const QString shots = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(shots);

    Window document;
    document.setWindowTitle(QStringLiteral("Contacts.vcf"));
    auto *behind = new QLabel(QStringLiteral("Contacts.vcf"));
    behind->setAlignment(Qt::AlignCenter);
    document.setCentralWidget(behind);
    document.resize(1100, 760);
    document.show();

    auto left = person(QStringLiteral("N:山田;太郎;;;\nFN:山田 太郎\nORG:株式会社サンプル;営業部\n"
                                      "TEL;TYPE=CELL:090-1234-5678\nTEL;TYPE=WORK:03-1234-5678\n"
                                      "EMAIL;TYPE=WORK:taro@example.jp\n"
                                      "ADR;TYPE=WORK:;;千代田1-1;千代田区;東京都;100-0001;日本\n"
                                      "NOTE:名刺交換 2023\\n展示会にて\n"));
    auto right = person(QStringLiteral("N:Yamada;Taro;;;\nFN:Taro Yamada\nTEL;TYPE=HOME:045-987-6543\n"
                                       "URL:https://example.jp/taro\nBDAY:1980-04-12\n"));
    CustomItemDefinition member;
    member.name = QStringLiteral("Member No.");
    member.type = ValueKind::String;

    MergePanelController sheet;
    sheet.setCustomItems({member});
    sheet.window();
    auto context = std::make_shared<MergeContext>();
    context->contacts = {ContactEntry::withPerson(left), ContactEntry::withPerson(right)};
    context->documentType = QStringLiteral("vCard");
    sheet.setContextInfo(context, true);
    sheet.setSelectedFont(QApplication::font());
    Application::shared().beginSheet(sheet.window(), &document, [](int) {});
    QTest::qWait(300);
    sheet.window()->grab().save(shots + QStringLiteral("/merge-before.png"));

    // The work phone moves onto the right side's first free phone row, the company and
    // the address are copied.
    drag(sheet, rowOf(sheet.tableLeft(), FieldId::Phone, 1), rowOf(sheet.tableRight(), FieldId::Phone, 1),
         MergeDropPosition::On, false);
    drag(sheet, rowOf(sheet.tableLeft(), FieldId::Company), rowOf(sheet.tableRight(), FieldId::Company),
         MergeDropPosition::On, true);
    drag(sheet, rowOf(sheet.tableLeft(), FieldId::Address), rowOf(sheet.tableRight(), FieldId::Address),
         MergeDropPosition::On, true);
    sheet.tableViewRight()->selectRow(rowOf(sheet.tableRight(), FieldId::Phone, 1));
    QTest::qWait(300);
    sheet.window()->grab().save(shots + QStringLiteral("/merge-after.png"));
    Application::shared().endSheet(sheet.window(), 0);
    return 0;
}
