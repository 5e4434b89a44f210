// Not a test: opens each popover editor over a window of contacts, as the contacts table
// will, and photographs the window (run under Xvfb with QT_QPA_PLATFORM=xcb).
//   editors_demo --screenshot-dir DIR

#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/NameViewController.h"
#include "editors/PhoneticNameViewController.h"
#include "editors/SNSViewController.h"
#include "model/ContactContainers.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

std::shared_ptr<QMPerson> sampleContact() {
    QString text = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\n"
                                  "N:Appleseed;Johnny;Quincy;;\nFN:Johnny Quincy Appleseed\n"
                                  "ORG:Acme Corporation\nitem5.X-MAIDENNAME:Smith\n"
                                  "X-PHONETIC-FIRST-NAME:Jonny\nX-PHONETIC-LAST-NAME:Appulsiid\n"
                                  "BDAY:1980-04-05\n"
                                  "item1.X-ABDATE:2005-06-07\nitem1.X-ABLabel:_$!<Anniversary>!$_\n"
                                  "item2.X-ABDATE:2012-09-01\nitem2.X-ABLabel:moved in\n"
                                  "IMPP;X-SERVICE-TYPE=Skype;TYPE=WORK:skype:johnny.work\n"
                                  "X-SOCIALPROFILE;TYPE=twitter;x-user=johnny;x-userid=4711:"
                                  "https://twitter.com/johnny\n"
                                  "END:VCARD\n");
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    std::shared_ptr<QMPerson> person(QMPerson::initWithVCardData(text.toUtf8()));
    QImage photo(96, 96, QImage::Format_RGB32);
    photo.fill(QColor(0x3a, 0x7b, 0xd5));
    QPainter painter(&photo);
    painter.setBrush(QColor(0xf5, 0xc5, 0x42));
    painter.drawEllipse(QRect(20, 14, 56, 56));
    painter.end();
    person->setPhoto(photo);
    return person;
}

class Demo : public PopoverDelegate, public NameViewControllerDelegate {
public:
    explicit Demo(QString directory)
        : directory_(std::move(directory)) {
        person_ = sampleContact();
        table_ = new QTableWidget(12, 4);
        table_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Birthday"),
                                           QStringLiteral("Dates"), QStringLiteral("Instant Message")});
        table_->horizontalHeader()->setStretchLastSection(true);
        table_->setColumnWidth(0, 200);
        table_->setColumnWidth(1, 140);
        table_->setColumnWidth(2, 140);
        table_->setItem(0, 0, new QTableWidgetItem(person_->compositeName()));
        table_->setItem(0, 1, new QTableWidgetItem(person_->birthdayValue()->stringValue));
        window_.setCentralWidget(table_);
        window_.setWindowTitle(QStringLiteral("Popover editors"));
        window_.resize(820, 600);
        window_.move(0, 0);
        window_.show();
        static_cast<void>(QTest::qWaitForWindowExposed(&window_));
    }

    template <typename Editor>
    Editor *open(Editor *editor, const QString &type, std::optional<qint64> labelIndex, int column,
                 bool editable) {
        auto context = std::make_shared<EditorContext>();
        context->contact = EditorContact::of(ContactEntry::withPerson(person_));
        context->type = type;
        context->labelIndex = labelIndex;
        context->editEnabled = true;
        const QRect cell = table_->visualRect(table_->model()->index(0, column));
        popover_ = editor->openInPopover(context, editable, Editor::contentSize, cell, table_->viewport(),
                                         this, &window_);
        return editor;
    }
    void photograph(const QString &name) {
        QTest::qWait(250);
        window_.grab().save(QDir(directory_).filePath(name));
        popover_->close();
        QTest::qWait(50);
    }

    void popoverDidClose(Popover *popover) override { popover->deleteLater(); }
    bool undoReplaceNameValue(const NameRecord &value, const std::shared_ptr<QMPerson> &contact) override {
        contact->setNameValue(value, FieldId::Name);
        return true;
    }
    bool undoReplacePhoto(const FieldValue &, const std::shared_ptr<QMPerson> &) override { return true; }

    Window window_;
    QTableWidget *table_;
    std::shared_ptr<QMPerson> person_;
    Popover *popover_ = nullptr;
    QString directory_;
};

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const qsizetype option = arguments.indexOf(QStringLiteral("--screenshot-dir"));
    const QString directory = option >= 0 ? arguments.value(option + 1) : QDir::currentPath();
    QTemporaryDir preferences;
    UserDefaults::setStorageFile(preferences.filePath(QStringLiteral("prefs.ini")));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    Demo demo(directory);
    auto *name = new NameViewController;
    name->setDelegate(&demo);
    demo.open(name, FieldId::Name, std::nullopt, 0, true);
    demo.photograph(QStringLiteral("editor-name.png"));

    demo.open(new PhoneticNameViewController, FieldId::PhoneticName, std::nullopt, 0, false);
    demo.photograph(QStringLiteral("editor-phonetic-name-locked.png"));

    auto *birthday = demo.open(new DateViewController, FieldId::Birthday, std::nullopt, 1, true);
    birthday->dateField()->setText(QStringLiteral("1980.04.12"));
    emit birthday->dateField()->returnPressed();
    demo.photograph(QStringLiteral("editor-birthday.png"));

    demo.open(new DatesViewController, FieldId::Dates, 1, 2, true);
    demo.photograph(QStringLiteral("editor-dates.png"));

    demo.open(new IMSViewController, FieldId::InstantMessage, 0, 3, true);
    demo.photograph(QStringLiteral("editor-instant-message.png"));

    demo.open(new SNSViewController, FieldId::SocialNetwork, -1, 3, true);
    demo.photograph(QStringLiteral("editor-social-profile-new.png"));
    return 0;
}
