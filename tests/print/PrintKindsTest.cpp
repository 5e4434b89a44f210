// What each print style prints of every selected contact for the columns of every view
// type, read from the texts the print view draws; every choice of the accessory's popups
// as it is stored; and what the print panel's Cancel leaves stored.

#include "model/ViewTypes.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "print/PrintPanelController.h"
#include "print/PrintText.h"
#include "print/PrintView.h"
#include "tests/print/PrintPanelTestSupport.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

using namespace print_test;

const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Point);

// Contacts with a value of their own in every field a view type shows; the third has two
// addresses (its table rows show one each).
SubContactTable everyFieldContacts(int count) {
    QString cards;
    for (int i = 0; i < count; ++i) {
        const QString n = QString::number(i);
        cards += card(
            QStringLiteral("Family") + n, QStringLiteral("Given") + n,
            QStringLiteral("N:Family%1;Given%1;;Dr%1;Jr%1\r\nNICKNAME:Nick%1\r\nORG:Org%1;Dept%1\r\n"
                           "TITLE:Job%1\r\nNOTE:Note%1\\nline two\r\nBDAY:19%1%1-01-02\r\n"
                           "X-PHONETIC-FIRST-NAME:pgiven%1\r\nX-PHONETIC-LAST-NAME:pfamily%1\r\n"
                           "TEL;type=HOME:555-0%1\r\nEMAIL;type=WORK:e%1@example.org\r\n"
                           "URL;type=HOME:http://w%1.example\r\n"
                           "item1.X-ABRELATEDNAMES:Rel%1\r\nitem1.X-ABLabel:_$!<Friend>!$_\r\n"
                           "IMPP;X-SERVICE-TYPE=Skype;type=HOME:skype:im%1\r\n"
                           "X-SOCIALPROFILE;type=twitter;x-user=sns%1:https://twitter.com/sns%1\r\n"
                           "ADR;type=HOME:;;%1 Main St;City%1;ST;1000%1;USA\r\n"
                           "item2.X-ABDATE:2001-02-0%2\r\nitem2.X-ABLabel:_$!<Anniversary>!$_\r\n")
                    .arg(n)
                    .arg(i + 1) +
                (i == 2 ? QStringLiteral("ADR;type=WORK:;;2 Second St;Town2;ST;20002;USA\r\n") : QString()));
    }
    // A contact's every name line as given name first, whatever the locale.
    SubContactTable rows = rowsOf(cards);
    if (count > 2) { // the second address's row
        auto second = std::make_shared<SubContactRow>(*rows[2]);
        second->labelIndex = 1;
        second->notFirstRow = true;
        rows.insert(rows.begin() + 3, second);
    }
    return rows;
}

// The lines a field prints for a contact in an address list: its heading with the value's
// first line, then the value's further lines or further values.
QStringList expectedLines(QMPerson &person, const QString &field) {
    QStringList texts;
    const FieldValue value = person.valueForIdentifier(field);
    if (const auto *list = value.get<LabeledValueList>()) {
        for (const LabeledValueRecord &item : *list)
            texts.append((item.labelText().isEmpty() ? QString() : item.labelText() + QStringLiteral(": ")) +
                         item.stringValue);
    } else if (const auto *name = value.get<PhoneticNameRecord>()) {
        texts.append(name->stringValue);
    } else if (const auto *birthday = value.get<BirthdayRecord>()) {
        texts.append(birthday->stringValue);
    } else {
        texts.append(value.text());
    }
    QStringList lines = texts.join(u'\n').split(u'\n');
    lines.first().prepend(field + QStringLiteral(": "));
    return lines;
}

// The address list's block of every selected contact holds the contact's name and, for
// every column of the view type, that contact's values: in each view type, with one, two
// and many contacts selected.
TEST(PrintKinds, TheAddressListPrintsEveryColumnOfEveryViewTypeForEveryContact) {
    QImage device(1, 1, QImage::Format_RGB32);
    const TextMeasure measure(PrintFont(QString(), 10), device);
    for (const ViewTypes::ViewType &type : ViewTypes::factoryViewTypes()) {
        for (const int count : {1, 2, 3}) {
            const std::string what = type.name.toStdString() + " x" + std::to_string(count);
            auto options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
            AccessoryViewController accessory(options);
            accessory.setColumns(type.identifiers);
            const SubContactTable rows = everyFieldContacts(count);
            PrintView view(rows, options, a4);
            const auto printed = printedContacts(view.contacts());
            ASSERT_EQ(printed.size(), size_t(count)) << what << ": each contact once";
            for (const SubContactRowPtr &row : printed) {
                const QStringList block = addressListBlockText(*row, options->addressList, measure)
                                              .text.split(QChar::LineSeparator);
                EXPECT_EQ(block.first(), row->person->compositeName()) << what;
                for (const QString &column : type.identifiers) {
                    if (column == FieldId::Name)
                        continue;
                    // An address part's column stands for the address.
                    const QString field =
                        QMPerson::addressIdentifiers().contains(column) ? FieldId::Address : column;
                    const QStringList lines = expectedLines(*row->person, field);
                    const qsizetype at = block.indexOf(lines.first());
                    ASSERT_GE(at, 0) << what << ": " << lines.first().toStdString() << " in\n"
                                     << block.join(u'\n').toStdString();
                    EXPECT_EQ(block.mid(at, lines.size()), lines) << what << " " << field.toStdString();
                }
            }
        }
    }
}

// Labels and envelopes print, for every selected row that shows an address, the contact's
// name, that address and, when asked, the company.
TEST(PrintKinds, LabelsAndEnvelopesPrintEveryRowsOwnAddressAndName) {
    QImage device(300, 300, QImage::Format_RGB32);
    for (const QString &style : {PrintStyle::MailingLabels, PrintStyle::Envelope}) {
        for (const bool company : {false, true}) {
            auto options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
            options->printStyle = style;
            AddressTextOptions &text = style == PrintStyle::Envelope
                                           ? static_cast<AddressTextOptions &>(options->envelope)
                                           : options->mailingLabels;
            text.printCompany = company;
            const SubContactTable rows = everyFieldContacts(3);
            PrintView view(rows, options, a4);
            view.setReceiverPersons(rows);
            ASSERT_EQ(view.addressedRows().size(), rows.size()) << "one piece per contact and address";
            for (size_t i = 0; i < rows.size(); ++i) {
                SubContactRow &row = *view.addressedRows()[i];
                const std::string what = style.toStdString() + " row " + std::to_string(i);
                const QString printed = style == PrintStyle::Envelope
                                            ? view.makeTextObject(row, device).text
                                            : view.makeLabelTextObject(row, device).text;
                const LabeledValueRecord address =
                    *row.person->labeledValueForIdentifier(FieldId::Address, qsizetype(row.labelIndex));
                EXPECT_TRUE(printed.contains(address.street)) << what << ": " << printed.toStdString();
                EXPECT_TRUE(printed.contains(address.zip)) << what;
                EXPECT_TRUE(printed.endsWith(row.person->nameValue().stringValue)) << what;
                EXPECT_EQ(printed.contains(row.person->stringValueForIdentifier(FieldId::Company)), company)
                    << what;
            }
        }
    }
}

// ---- The accessory's popups

class AccessoryChoices : public testing::Test {
protected:
    std::shared_ptr<PrintOptions> options =
        std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
    std::unique_ptr<AccessoryViewController> accessory;

    void open(const QString &style) {
        options->printStyle = style;
        accessory = std::make_unique<AccessoryViewController>(options);
        accessory->setPageLayout(a4);
        accessory->view()->setLocale(QLocale::c());
        accessory->view()->show();
    }
    static PrintOptions stored() { return PrintOptions::load(UserDefaults::standard()); }
};

// Every item of every popup of the labels and envelope tabs lands as itself, in the live
// record and in the stored one.
TEST_F(AccessoryChoices, EveryItemOfEveryPopupIsStored) {
    struct Popup {
        QString style;
        QComboBox *(AccessoryViewController::*popup)();
        std::function<QString(const PrintOptions &)> stored;
        bool byTitle; // the record takes the item's title, not its data
    };
    const Popup popups[] = {
        {PrintStyle::MailingLabels, &AccessoryViewController::mLabelTabKeishouPopup,
         [](const PrintOptions &o) { return o.mailingLabels.keishou; }, false},
        {PrintStyle::MailingLabels, &AccessoryViewController::mLabelTabFontPopup,
         [](const PrintOptions &o) { return o.mailingLabels.verticalFontName; }, true},
        {PrintStyle::Envelope, &AccessoryViewController::envelopeTabKeishouPopup,
         [](const PrintOptions &o) { return o.envelope.keishou; }, false},
        {PrintStyle::Envelope, &AccessoryViewController::envelopeTabFontPopup,
         [](const PrintOptions &o) { return o.envelope.verticalFontName; }, true},
        {PrintStyle::Envelope, &AccessoryViewController::envelopeTabTextDirection,
         [](const PrintOptions &o) { return o.envelope.textDirection; }, false},
    };
    for (const Popup &p : popups) {
        open(p.style);
        QComboBox *popup = (accessory.get()->*p.popup)();
        ASSERT_GE(popup->count(), 1);
        // A vertical font is chosen while vertical text is on.
        if (p.byTitle && !popup->isEnabled())
            (p.style == PrintStyle::Envelope ? accessory->envelopeTabDrawVertical()
                                             : accessory->mLabelTabDrawVertical())
                ->click();
        for (int item = popup->count() - 1; item >= 0; --item) {
            choose(popup, popup->itemData(item));
            const QString expected = p.byTitle ? popup->itemText(item) : popup->itemData(item).toString();
            EXPECT_EQ(p.stored(*options), expected) << p.style.toStdString() << " item " << item;
            EXPECT_EQ(p.stored(stored()), expected) << p.style.toStdString() << " item " << item;
        }
    }
}

TEST_F(AccessoryChoices, EveryPresetAndEveryLabelWordAndEveryStyleIsStored) {
    open(PrintStyle::MailingLabels);
    QComboBox *presets = accessory->mLabelTabPresetPopup();
    ASSERT_EQ(presets->count(), options->mailingLabels.presetArray.size());
    for (int item = presets->count() - 1; item >= 0; --item) {
        choose(presets, presets->itemData(item));
        const LabelPreset &preset = options->mailingLabels.presetArray.at(item);
        const MailingLabelsOptions m = stored().mailingLabels;
        EXPECT_EQ(std::tuple(m.labelWidth, m.labelHeight, m.hGap, m.vGap),
                  std::tuple(preset.labelWidth.toDouble(), preset.labelHeight.toDouble(),
                             preset.hGap.toDouble(), preset.vGap.toDouble()))
            << preset.name.toStdString();
    }

    // Each label word of the address list's filter alone.
    open(PrintStyle::AddressList);
    Menu *labels = accessory->aListLabelPopup()->pullDownMenu();
    QStringList words;
    for (MenuItem *item : labels->itemArray())
        if (item->representedObject().isValid() &&
            item->representedObject().toString() != AccessoryViewController::AllLabels)
            words.append(item->representedObject().toString());
    ASSERT_GE(words.size(), 3);
    for (const QString &word : words) {
        labels->itemAtIndex(labels->indexOfItemWithRepresentedObject(word))->trigger();
        EXPECT_EQ(stored().addressList.selectedLabels, QStringList{word}) << word.toStdString();
        labels->itemAtIndex(labels->indexOfItemWithRepresentedObject(word))->trigger();
        EXPECT_EQ(stored().addressList.selectedLabels, QStringList{AccessoryViewController::AllLabels});
    }

    // Each style's tab.
    QTabWidget *tabs = accessory->styleTab();
    for (int tab = tabs->count() - 1; tab >= 0; --tab) {
        tabs->tabBar()->setCurrentIndex(tab);
        EXPECT_EQ(stored().printStyle, accessory->currentStyle()) << tab;
        EXPECT_EQ(lastPrintStyle(UserDefaults::standard()), accessory->currentStyle()) << tab;
    }
    QStringList styles;
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->tabBar()->setCurrentIndex(tab);
        styles.append(stored().printStyle);
    }
    EXPECT_EQ(styles,
              (QStringList{PrintStyle::AddressList, PrintStyle::MailingLabels, PrintStyle::Envelope}));
}

// ---- The panel's Cancel

TEST(PrintPanelCancel, CancelStoresNothingAndKeepsThePaper) {
    Window window;
    window.resize(1100, 800);
    window.show();
    const QPageLayout paper(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                            QPageLayout::Millimeter);
    PrintPanelController::setSharedPageLayout(paper);
    QList<int> codes;
    for (const bool escape : {false, true}) {
        codes.clear();
        QPointer<PrintPanelController> panel = PrintPanelController::printDocument(
            everyFieldContacts(2), {FieldId::Name, FieldId::Phone}, &window, {}, QStringLiteral("Cancelled"),
            [&codes](int code) { codes.append(code); });
        ASSERT_TRUE(panel);
        const QString style = lastPrintStyle(UserDefaults::standard());
        choose(panel->paperPopup(), QStringLiteral("Letter"));
        ASSERT_EQ(panel->pageLayout().pageSize().key(), QStringLiteral("Letter"));
        const QVariant withLetter = UserDefaults::standard().object(QStringLiteral("QM1DprintOptions"));
        if (escape) {
            panel->window()->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(panel->window()));
            QTest::keyClick(panel->window(), Qt::Key_Escape);
        } else
            panel->cancelButton()->click();
        EXPECT_EQ(codes, QList<int>{PrintPanelController::CancelResponse}) << escape;
        EXPECT_EQ(UserDefaults::standard().object(QStringLiteral("QM1DprintOptions")), withLetter) << escape;
        EXPECT_EQ(lastPrintStyle(UserDefaults::standard()), style) << escape;
        EXPECT_TRUE(PrintPanelController::sharedPageLayout().isEquivalentTo(paper))
            << escape << ": the paper stays";
        EXPECT_EQ(PrintPanelController::sharedPageLayout().pageSize().key(), QStringLiteral("A4")) << escape;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
