#include "print/AccessoryViewController.h"

#include "model/PersonRecords.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/Menu.h"
#include "print/PrintFonts.h"
#include "tests/print/PrintPanelTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

using namespace print_test;

const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Point);

class AccessoryTest : public testing::Test {
protected:
    std::shared_ptr<PrintOptions> options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
    std::unique_ptr<AccessoryViewController> accessory;

    AccessoryViewController &open(const QString &style = PrintStyle::AddressList) {
        options->printStyle = style;
        accessory = std::make_unique<AccessoryViewController>(options);
        accessory->setPageLayout(a4);
        accessory->view()->setLocale(QLocale::c()); // lengths read "0.125" whatever the machine's language
        accessory->view()->show();
        return *accessory;
    }
    static PrintOptions stored() { return PrintOptions::load(UserDefaults::standard()); }
    QStringList itemTitles() const {
        QStringList titles;
        for (const AddressListItem &item : options->addressList.itemTable)
            titles.append(item.title);
        return titles;
    }
    // Picks a label word in the label popup, as a click on its item does.
    void chooseLabel(const QString &word) {
        Menu *menu = accessory->aListLabelPopup()->pullDownMenu();
        menu->itemAtIndex(menu->indexOfItemWithRepresentedObject(word))->trigger();
    }
    QStringList tickedLabels() const {
        QStringList ticked;
        for (MenuItem *item : accessory->aListLabelPopup()->pullDownMenu()->itemArray())
            if (item->state() == StateOn)
                ticked.append(item->representedObject().toString());
        return ticked;
    }
};

TEST_F(AccessoryTest, LengthsShowInTheUnitChosenAndAreStoredInPoints) {
    for (const auto &[value, from, to, expected] :
         {std::tuple{1.0, "inches", "points", 72.0}, {72.0, "points", "mm", 25.4}, {25.4, "mm", "inches", 1.0},
          {5.0, "furlongs", "points", 5.0}})
        EXPECT_DOUBLE_EQ(AccessoryViewController::changeValue(value, from, to), expected) << from << " " << to;

    open();
    choose(accessory->unitTypePopup(), AccessoryViewController::Inches);
    type(accessory->topMarginField(), "1");
    EXPECT_EQ(options->topMargin, 72);
    EXPECT_EQ(stored().topMargin, 72);
    EXPECT_DOUBLE_EQ(accessory->topMarginField()->singleStep(), 0.1);
    choose(accessory->unitTypePopup(), AccessoryViewController::Millimeters);
    EXPECT_DOUBLE_EQ(accessory->topMarginField()->value(), 25.4);
    EXPECT_DOUBLE_EQ(accessory->envelopeTextWidthField()->singleStep(), 1.0);
    // Back and forth between units never rounds what is stored.
    choose(accessory->unitTypePopup(), AccessoryViewController::Inches);
    options->mailingLabels.labelWidth = 130;
    accessory->styleTab()->setCurrentIndex(1);
    EXPECT_EQ(accessory->lastUnitType(), AccessoryViewController::Points); // a tab opens in points
    EXPECT_EQ(accessory->unitTypePopup()->currentData(), AccessoryViewController::Points);
    EXPECT_EQ(accessory->topMarginField()->value(), 72);
    choose(accessory->unitTypePopup(), AccessoryViewController::Inches);
    choose(accessory->unitTypePopup(), AccessoryViewController::Millimeters);
    accessory->mLabelTabRepeatCountField()->stepBy(1);
    EXPECT_EQ(options->mailingLabels.labelWidth, 130);
    EXPECT_EQ(options->mailingLabels.repeatCount, 2);
}

// A4 is 595 x 842 points: a margin reaches 95% of the paper either way.
TEST_F(AccessoryTest, MarginsStayOnThePaper) {
    open();
    const struct {
        LengthField *field;
        const char *typed;
        double expected;
        double PrintOptions::*margin;
    } cases[] = {{accessory->topMarginField(), "900", 799.9, &PrintOptions::topMargin},
                 {accessory->bottomMarginField(), "-900", -799.9, &PrintOptions::bottomMargin},
                 {accessory->leftMarginField(), "700", 565.25, &PrintOptions::leftMargin},
                 {accessory->rightMarginField(), "36", 36, &PrintOptions::rightMargin}};
    for (const auto &c : cases) {
        c.field->selectAll();
        QTest::keyClicks(c.field, c.typed);
        // While typing, the field keeps what was typed and the record the bounded length.
        EXPECT_DOUBLE_EQ((*options).*c.margin, c.expected) << c.typed;
        QTest::keyClick(c.field, Qt::Key_Return);
        EXPECT_DOUBLE_EQ(c.field->value(), c.expected) << c.typed;
    }
    accessory->topMarginField()->stepBy(1);
    EXPECT_DOUBLE_EQ(accessory->topMarginField()->value(), 799.9);
}

TEST_F(AccessoryTest, TheTableColumnsSwitchTheirItemsOn) {
    options->addressList.updateItemTable({FieldId::Note});
    open();
    accessory->setColumns({FieldId::Name, FieldId::Email, FieldId::Phone});
    QStringList on;
    for (const AddressListItem &item : options->addressList.itemTable)
        if (item.state)
            on.append(item.title);
    EXPECT_EQ(on, (QStringList{FieldId::Name, FieldId::Email, FieldId::Phone, FieldId::Note}));
    QAbstractItemModel *model = accessory->aListTabItemTableView()->model();
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsUserCheckable); // the name always prints
    EXPECT_FALSE(model->setData(model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    ASSERT_TRUE(model->setData(model->index(2, 0), Qt::Unchecked, Qt::CheckStateRole)); // Email
    EXPECT_FALSE(stored().addressList.itemTable[2].state);
}

TEST_F(AccessoryTest, OneDraggedItemMovesAboveTheRowItIsDroppedOn) {
    open();
    QAbstractItemModel *model = accessory->aListTabItemTableView()->model();
    EXPECT_EQ(model->mimeData({model->index(2, 0), model->index(3, 0)}), nullptr);
    std::unique_ptr<QMimeData> email(model->mimeData({model->index(2, 0)}));
    ASSERT_TRUE(email);
    EXPECT_EQ(email->text(), QStringLiteral("2"));
    const QStringList before = itemTitles();
    // Never above the name, only as a move, only a row of this table.
    QMimeData forged;
    for (const auto &[text, row, action] : {std::tuple{"2", 0, Qt::MoveAction}, {"2", 5, Qt::CopyAction},
                                            {"17", 5, Qt::MoveAction}, {"-1", 5, Qt::MoveAction},
                                            {"2x", 5, Qt::MoveAction}, {"2", 18, Qt::MoveAction}}) {
        forged.setText(QString::fromLatin1(text));
        EXPECT_FALSE(model->dropMimeData(&forged, action, row, 0, {})) << text << " at " << row;
    }
    EXPECT_EQ(itemTitles(), before);
    ASSERT_TRUE(model->dropMimeData(email.get(), Qt::MoveAction, 5, 0, {}));
    EXPECT_EQ(itemTitles().indexOf(FieldId::Email), 4);
    EXPECT_EQ(stored().addressList.itemTable[4].title, FieldId::Email);
    std::unique_ptr<QMimeData> note(model->mimeData({model->index(16, 0)}));
    ASSERT_TRUE(model->dropMimeData(note.get(), Qt::MoveAction, 1, 0, {}));
    EXPECT_EQ(itemTitles().mid(0, 2), (QStringList{FieldId::Name, FieldId::Note}));
}

TEST_F(AccessoryTest, TheLabelFilterShowsAndStoresLabelWords) {
    options->addressList.selectedLabels = {QStringLiteral("work")};
    open();
    EXPECT_EQ(tickedLabels(), QStringList{QStringLiteral("work")}); // what is ticked is what prints
    chooseLabel(QStringLiteral("home"));
    EXPECT_EQ(options->addressList.selectedLabels, (QStringList{"home", "work"})); // in popup order
    chooseLabel(QStringLiteral("home"));
    chooseLabel(QStringLiteral("work"));
    EXPECT_EQ(options->addressList.selectedLabels, QStringList{"All"});
    EXPECT_EQ(tickedLabels(), QStringList{"All"});
    chooseLabel(QStringLiteral("other"));
    chooseLabel(QStringLiteral("All"));
    EXPECT_EQ(tickedLabels(), QStringList{"All"});
    EXPECT_EQ(stored().addressList.selectedLabels, QStringList{"All"});
}

TEST_F(AccessoryTest, APresetFillsTheLabelSizeInTheUnitShown) {
    open(PrintStyle::MailingLabels);
    choose(accessory->unitTypePopup(), AccessoryViewController::Inches);
    choose(accessory->mLabelTabPresetPopup(), QStringLiteral("4x2\" gap 1/8\""));
    EXPECT_EQ(accessory->mLabelTabWidthField()->text(), QStringLiteral("4"));
    EXPECT_EQ(accessory->mLabelTabHeightField()->text(), QStringLiteral("2"));
    EXPECT_EQ(accessory->mLabelTabHGapField()->text(), QStringLiteral("0.125"));
    EXPECT_EQ(accessory->mLabelTabVGapField()->text(), QStringLiteral("0"));
    const MailingLabelsOptions &m = options->mailingLabels;
    EXPECT_EQ(std::tuple(m.labelWidth, m.labelHeight, m.hGap, m.vGap), std::tuple(288.0, 144.0, 9.0, 0.0));
    accessory->initMLabelTab();
    EXPECT_EQ(accessory->mLabelTabPresetPopup()->count(), 6);

    // A preset changed elsewhere is offered at once, and the one named is applied.
    options->mailingLabels.presetArray.append({"Wide", "300", "100", "0", "0"});
    LabelAttributeNotifier::shared().post(QStringLiteral("Wide"));
    EXPECT_EQ(accessory->mLabelTabPresetPopup()->currentText(), QStringLiteral("Wide"));
    EXPECT_EQ(options->mailingLabels.labelWidth, 300);
}

// The honorific, the vertical switch and its font come back as stored, on either tab.
TEST_F(AccessoryTest, AddressTextChoicesAreShownAsStored) {
    for (const QString &style : {PrintStyle::MailingLabels, PrintStyle::Envelope}) {
        options = std::make_shared<PrintOptions>(PrintOptions::createPrintOptions());
        AddressTextOptions &text = style == PrintStyle::Envelope ? static_cast<AddressTextOptions &>(options->envelope)
                                                                 : options->mailingLabels;
        text.keishou = QStringLiteral("先生"); // not offered
        text.printVertical = true;
        text.verticalFontName = QStringLiteral("No Such Font");
        open(style);
        const bool envelope = style == PrintStyle::Envelope;
        QComboBox *keishou = envelope ? accessory->envelopeTabKeishouPopup() : accessory->mLabelTabKeishouPopup();
        QComboBox *font = envelope ? accessory->envelopeTabFontPopup() : accessory->mLabelTabFontPopup();
        QCheckBox *vertical = envelope ? accessory->envelopeTabDrawVertical() : accessory->mLabelTabDrawVertical();
        EXPECT_EQ(keishou->currentText(), QStringLiteral("先生"));
        EXPECT_TRUE(vertical->isChecked());
        EXPECT_TRUE(font->isEnabled());
        EXPECT_EQ(font->currentText(), QStringLiteral("No Such Font"));
        choose(keishou, QString()); // "None"
        EXPECT_EQ(text.keishou, QString()) << style.toStdString();
        choose(keishou, QStringLiteral("様"));
        vertical->click();
        EXPECT_EQ(text.keishou, QStringLiteral("様"));
        EXPECT_FALSE(text.printVertical);
        EXPECT_FALSE(font->isEnabled());
        EXPECT_EQ(text.verticalFontName, QStringLiteral("No Such Font"));
    }
}

TEST_F(AccessoryTest, TheEnvelopeBoxStartsCentredAndStaysOnThePaper) {
    open(PrintStyle::Envelope);
    QStringList shown;
    for (LengthField *field : {accessory->envelopeTextOriginXField(), accessory->envelopeTextOriginYField(),
                               accessory->envelopeTextWidthField(), accessory->envelopeTextHeightField()})
        shown.append(field->text());
    EXPECT_EQ(shown, (QStringList{"198.3333", "336.8", "198.3333", "168.4"}));
    EXPECT_EQ(options->envelope.textRectDict.value(QStringLiteral("A4")), defaultEnvelopeTextRect({595, 842}));

    // Bounds on A4: the width between 5% and all of 595, the origin at most 20 points outside.
    const struct {
        LengthField *field;
        const char *unit;
        const char *typed;
        const char *shown;
    } cases[] = {{accessory->envelopeTextWidthField(), "points", "700", "595"},
                 {accessory->envelopeTextWidthField(), "points", "10", "29.75"},
                 {accessory->envelopeTextHeightField(), "points", "900", "842"},
                 {accessory->envelopeTextOriginXField(), "points", "-50", "-20"},
                 {accessory->envelopeTextOriginXField(), "inches", "-1", "-0.2778"},
                 {accessory->envelopeTextOriginYField(), "mm", "500", "282.1869"}};
    for (const auto &c : cases) {
        choose(accessory->unitTypePopup(), QString::fromLatin1(c.unit));
        type(c.field, c.typed);
        EXPECT_EQ(c.field->text(), QString::fromLatin1(c.shown)) << c.typed << " " << c.unit;
    }
    EXPECT_EQ(options->envelope.textRectDict.value(QStringLiteral("A4")), QRectF(-20, 799.9, 29.75, 842));
}

TEST_F(AccessoryTest, TurningTheTextTurnsTheBoxAndKeepsTheDirection) {
    open(PrintStyle::Envelope);
    // Stored as text, the box comes back to 12 digits.
    const auto turned = [](const PrintOptions &o) {
        const QSizeF size = o.envelope.textRectDict.value(QStringLiteral("A4")).size();
        return std::abs(size.width() - 168.4) < 1e-6 && std::abs(size.height() - 595.0 / 3) < 1e-6;
    };
    choose(accessory->envelopeTabTextDirection(), TextDirection::UpDown);
    EXPECT_EQ(options->envelope.textDirection, TextDirection::UpDown);
    EXPECT_TRUE(turned(*options));
    accessory->envelopeTabPrintFrameSwitch()->click();
    // Opened again, the panel shows the stored direction and does not turn the box back.
    open(PrintStyle::Envelope);
    EXPECT_EQ(accessory->envelopeTabTextDirection()->currentData(), TextDirection::UpDown);
    accessory->envelopeTabPrintFrameSwitch()->click();
    EXPECT_EQ(stored().envelope.textDirection, TextDirection::UpDown);
    EXPECT_TRUE(turned(stored()));
}

TEST_F(AccessoryTest, AnotherPaperShowsAndKeepsItsOwnBox) {
    open(PrintStyle::Envelope);
    type(accessory->envelopeTextWidthField(), "300");
    type(accessory->topMarginField(), "790");
    accessory->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, {}));
    EXPECT_DOUBLE_EQ(accessory->topMarginField()->value(), 752.4); // 95% of 792
    EXPECT_DOUBLE_EQ(options->topMargin, 752.4);
    EXPECT_EQ(accessory->envelopeTextWidthField()->value(), 612.0 / 3);
    EXPECT_EQ(options->envelope.textRectDict.value(QStringLiteral("A4")).width(), 300);
    EXPECT_EQ(options->envelope.textRectDict.value(QStringLiteral("Letter")), defaultEnvelopeTextRect({612, 792}));
}

TEST_F(AccessoryTest, FontsComeFromTheFontPanelAndVerticalFontsWriteJapanese) {
    open();
    accessory->showFontButton()->click();
    EXPECT_EQ(FontManager::shared().target(), accessory.get());
    FontManager::shared().choose(QFont(PrintFonts::userFontFamily(), 13));
    EXPECT_EQ(options->fontName, PrintFonts::userFontFamily());
    EXPECT_EQ(options->fontSize, 13);
    EXPECT_EQ(accessory->fontSizeField()->value(), 13);
    FontManager::shared().fontPanel(true)->close();

    const QStringList fonts = accessory->verticalFonts();
    ASSERT_FALSE(fonts.isEmpty());
    EXPECT_EQ(QSet<QString>(fonts.begin(), fonts.end()).size(), fonts.size());
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    for (const QString &family : fonts)
        EXPECT_TRUE(japanese.contains(family) || fonts == QStringList{PrintFonts::userFontFamily()}) << family.toStdString();
}

} // namespace
