// Not a test: the list editor of a contact's addresses with the postal address editor opened
// from Add, a Japanese postal code typed and looked up in the shipped lists. Run under Xvfb;
// "--screenshot-dir DIR" photographs the lookup and the list after Done, then quits.
#include "editors/AddressViewController.h"
#include "editors/MultiValueViewController.h"
#include "model/ContactContainers.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

std::shared_ptr<QMPerson> contact() {
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Yamada;Hanako;;;\r\nFN:Hanako Yamada\r\n"
                            "item1.ADR;TYPE=HOME:;;1-1;Springfield;IL;62701;USA\r\nitem1.X-ABADR:us\r\n"
                            "END:VCARD\r\n";
    return std::shared_ptr<QMPerson>(QMPerson::initWithVCardData(card));
}

AddressViewController *shownAddressEditor(QObject *root) {
    for (AddressViewController *editor : root->findChildren<AddressViewController *>()) {
        if (editor->popover() && editor->popover()->isShown())
            return editor;
    }
    return nullptr;
}

class Opener : public PopoverDelegate {
public:
    void popoverDidClose(Popover *) override {}
};

} // namespace

int main(int argc, char **argv) {
    qputenv("TESSARIN2_DATA_DIR", TESSARIN_SOURCE_DATA_DIR);
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const qsizetype dirArgument = arguments.indexOf(QStringLiteral("--screenshot-dir"));
    const QString shots = dirArgument >= 0 ? arguments.value(dirArgument + 1) : QString();
    CNContactsUserDefaults::sharedDefaults().setCountryCode(QStringLiteral("JP"));

    Window window;
    window.setWindowTitle(QStringLiteral("Postal address editor"));
    auto *table = new QWidget;
    window.setCentralWidget(table);
    window.resize(900, 640);
    window.move(0, 0);
    window.show();

    Opener opener;
    auto context = std::make_shared<EditorContext>();
    context->contact = EditorContact::of(ContactEntry::withPerson(contact()));
    context->type = FieldId::Address;
    context->labelIndex = 0;
    context->editEnabled = true;
    auto *list = new MultiValueViewController;
    list->openInPopover(context, true, MultiValueViewController::contentSizeFor(FieldId::Address, true),
                        QRect(20, 10, 200, 20), table, &opener, &window);

    QTimer::singleShot(300, [&] {
        list->addButton()->click();
        AddressViewController *address = shownAddressEditor(&window);
        if (!address)
            return app.exit(1);
        // Typed as a user types, so the code counts as the user's.
        address->zipField()->selectAll();
        address->zipField()->insert(QStringLiteral("100-0001"));
        address->zipButton()->click();
        QTimer::singleShot(300, [&, address] {
            if (!shots.isEmpty()) {
                QDir().mkpath(shots);
                window.grab().save(shots + QStringLiteral("/address-lookup.png"));
                address->doneButton()->click();
                QTimer::singleShot(300, [&] {
                    window.grab().save(shots + QStringLiteral("/address-list.png"));
                    app.quit();
                });
            }
        });
    });
    return app.exec();
}
