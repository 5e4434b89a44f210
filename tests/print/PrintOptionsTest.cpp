#include "model/PersonRecords.h"
#include "platform/core/UserDefaults.h"
#include "print/PrintOptions.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

const QString optionsKey = QStringLiteral("QM1DprintOptions");

class PrintOptionsTest : public testing::Test {
protected:
    void SetUp() override { useFreshUserDefaults(); }
    UserDefaults &defaults() { return UserDefaults::standard(); }
};

TEST_F(PrintOptionsTest, WithoutAStoredRecordTheFactorySettingsHold) {
    const PrintOptions o = PrintOptions::load(defaults());
    EXPECT_EQ(o.version, 6);
    EXPECT_EQ(o.printStyle, "Address List");
    EXPECT_EQ(o.unitType, "points");
    EXPECT_EQ(o.fontSize, 8);
    EXPECT_FALSE(o.fontName.isEmpty());
    EXPECT_EQ(o.topMargin + o.leftMargin + o.rightMargin + o.bottomMargin, 0);
    ASSERT_EQ(o.addressList.itemTable.size(), 17);
    EXPECT_EQ(o.addressList.itemTable.first(), (AddressListItem{FieldId::Name, true, false}));
    for (const AddressListItem &item : o.addressList.itemTable.mid(1))
        EXPECT_TRUE(!item.state && item.enabled) << item.title.toStdString();
    EXPECT_EQ(o.addressList.itemTable.last().title, FieldId::Note);
    EXPECT_EQ(o.addressList.selectedLabels, QStringList{"All"});
    EXPECT_TRUE(o.addressList.alternatingRow);
    EXPECT_EQ(o.mailingLabels.presetArray.size(), 6);
    EXPECT_EQ(o.mailingLabels.presetArray[1].name, "2-5/8x1\" gap 1/8\"");
    EXPECT_EQ(QSizeF(o.mailingLabels.labelWidth, o.mailingLabels.labelHeight), QSizeF(130, 60));
    EXPECT_EQ(o.mailingLabels.repeatCount, 1);
    EXPECT_TRUE(o.mailingLabels.printFrame && o.envelope.printFrame);
    EXPECT_FALSE(o.mailingLabels.verticalFontName.isEmpty());
    EXPECT_EQ(o.envelope.textDirection, "Left-Right");
    EXPECT_TRUE(o.envelope.textRectDict.isEmpty());
    EXPECT_EQ(o.hagaki.keishou, "様");
    EXPECT_EQ(lastPrintStyle(defaults()), "Address List");
}

TEST_F(PrintOptionsTest, OnlyACurrentOrNewerVersionIsUsed) {
    for (const int version : {0, 5, 6, 7}) {
        QVariantMap stored = PrintOptions::createPrintOptions().toVariant();
        stored.insert(QStringLiteral("Version"), version);
        stored.insert(QStringLiteral("fontSize"), 11);
        defaults().setObject(stored, optionsKey);
        EXPECT_EQ(PrintOptions::load(defaults()).fontSize, version >= 6 ? 11 : 8) << version;
    }
    defaults().setObject(QStringLiteral("not a record"), optionsKey);
    EXPECT_EQ(PrintOptions::load(defaults()).fontSize, 8);
}

TEST_F(PrintOptionsTest, NestedEditsSurviveAStoreAndALoad) {
    PrintOptions o = PrintOptions::createPrintOptions();
    o.addressList.itemTable[3].state = true;
    o.addressList.itemTable.move(2, 5);
    o.addressList.selectedLabels = {QStringLiteral("work")};
    o.mailingLabels.presetArray.append({QStringLiteral("mine"), "100", "50.5", "2", "3"});
    o.mailingLabels.labelWidth = 157.32;
    o.mailingLabels.printPrefix = true;
    o.mailingLabels.keishou = QStringLiteral("御中");
    o.envelope.textRectDict.insert(QStringLiteral("A4"), QRectF(198.333, 336.8, 198.333, 168.4));
    o.envelope.textDirection = QStringLiteral("Up-Down");
    o.leftMargin = 12.5;
    o.store(defaults());
    setLastPrintStyle(QStringLiteral("Envelope"), defaults());

    UserDefaults::standard().synchronize();
    const PrintOptions loaded = PrintOptions::load(defaults());
    EXPECT_EQ(loaded, o);
    EXPECT_EQ(lastPrintStyle(defaults()), "Envelope");
    // The stored form keeps its key texts.
    const QVariantMap stored = defaults().object(optionsKey).toMap();
    EXPECT_EQ(stored.value("Envelope Options").toMap().value("textRectDict").toMap().value("A4").toString(),
              "{{198.333, 336.8}, {198.333, 168.4}}");
    EXPECT_EQ(stored.value("Mailing Labels Options").toMap().value("keishou").toString(), "御中");
}

TEST_F(PrintOptionsTest, StoredTextsReadAsNumbersAndMissingKeysAsNothing) {
    const QVariantMap stored{
        {"Version", "6"},
        {"Mailing Labels Options", QVariantMap{{"labelWidth", "130"}, {"hGap", "5"}, {"printFrame", "1"}}},
        {"Address List Options",
         QVariantMap{{"itemTable", QVariantList{QVariantMap{{"Title", "Name"}, {"State", "1"}, {"Enabled", "0"}},
                                                QVariantMap{{"Title", "Email"}, {"State", "0"}}}}}}};
    const PrintOptions o = PrintOptions::fromVariant(stored);
    EXPECT_EQ(o.version, 6);
    EXPECT_EQ(o.mailingLabels.labelWidth, 130);
    EXPECT_EQ(o.mailingLabels.hGap, 5);
    EXPECT_TRUE(o.mailingLabels.printFrame);
    EXPECT_EQ(o.mailingLabels.labelHeight, 0);
    EXPECT_EQ(o.mailingLabels.repeatCount, 0);
    EXPECT_EQ(o.addressList.itemTable,
              (QList<AddressListItem>{{"Name", true, false}, {"Email", false, false}}));
    EXPECT_EQ(o.addressList.selectedLabels, QStringList{"All"});
    EXPECT_EQ(o.envelope.textDirection, "Left-Right");
    EXPECT_FALSE(o.envelope.printFrame);
    EXPECT_TRUE(o.fontName.isEmpty());
}

TEST_F(PrintOptionsTest, PostcardsAndUnknownStylesPrintAsAnAddressList) {
    PrintOptions o;
    for (const auto &[style, printed] : std::vector<std::pair<QString, QString>>{{"Address List", "Address List"},
                                                                               {"Mailing Labels", "Mailing Labels"},
                                                                               {"Envelope", "Envelope"},
                                                                               {"Hagaki", "Address List"},
                                                                               {"", "Address List"}}) {
        o.printStyle = style;
        EXPECT_EQ(o.effectiveStyle(), printed) << style.toStdString();
    }
}

TEST_F(PrintOptionsTest, ColumnsSwitchItemsOnButNeverOff) {
    AddressListOptions list = PrintOptions::createPrintOptions().addressList;
    list.itemTable[7].state = true; // Nickname
    list.updateItemTable({FieldId::Name, FieldId::Email, FieldId::Phone, QStringLiteral("Boat")});
    QStringList on;
    for (const AddressListItem &item : list.itemTable)
        if (item.state)
            on.append(item.title);
    EXPECT_EQ(on, (QStringList{"Name", "Email", "Phone", "Nickname"}));
}

TEST_F(PrintOptionsTest, DefaultEnvelopeBoxIsAThirdByAFifthCentred) {
    const QRectF box = defaultEnvelopeTextRect(QSizeF(595, 842));
    EXPECT_NEAR(box.x(), 198.333, 0.001);
    EXPECT_NEAR(box.y(), 336.8, 0.001);
    EXPECT_NEAR(box.width(), 198.333, 0.001);
    EXPECT_NEAR(box.height(), 168.4, 0.001);
    EXPECT_EQ(rectFromString(stringFromRect(QRectF(-20, 0.5, 1e3, 7))), QRectF(-20, 0.5, 1e3, 7));
    EXPECT_EQ(rectFromString(QStringLiteral("{{1, 2}, {3")), QRectF(1, 2, 3, 0));
}

} // namespace
