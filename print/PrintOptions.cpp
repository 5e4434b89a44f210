#include "print/PrintOptions.h"

#include "model/PersonRecords.h"
#include "model/QMPerson.h"
#include "platform/core/UserDefaults.h"
#include "print/PrintFonts.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString optionsKey = QStringLiteral("QM1DprintOptions");
const QString lastStyleKey = QStringLiteral("QM1DlastPrintStyle");
const QString all = QStringLiteral("All");

// Keys of the stored record.
namespace Key {
const QString Version = QStringLiteral("Version");
const QString printStyle = QStringLiteral("printStyle");
const QString unitType = QStringLiteral("unitType");
const QString fontSize = QStringLiteral("fontSize");
const QString fontName = QStringLiteral("fontName");
const QString topMargin = QStringLiteral("topMargin");
const QString leftMargin = QStringLiteral("leftMargin");
const QString rightMargin = QStringLiteral("rightMargin");
const QString bottomMargin = QStringLiteral("bottomMargin");
const QString addressList = QStringLiteral("Address List Options");
const QString mailingLabels = QStringLiteral("Mailing Labels Options");
const QString envelope = QStringLiteral("Envelope Options");
const QString hagaki = QStringLiteral("Hagaki Options");
const QString printFrame = QStringLiteral("printFrame");
const QString alternatingRow = QStringLiteral("alternatingRow");
const QString printCountry = QStringLiteral("printCountry");
const QString itemTable = QStringLiteral("itemTable");
const QString selectedLabels = QStringLiteral("selectedLabels");
const QString Title = QStringLiteral("Title");
const QString State = QStringLiteral("State");
const QString Enabled = QStringLiteral("Enabled");
const QString labelWidth = QStringLiteral("labelWidth");
const QString labelHeight = QStringLiteral("labelHeight");
const QString hGap = QStringLiteral("hGap");
const QString vGap = QStringLiteral("vGap");
const QString repeatCount = QStringLiteral("repeatCount");
const QString printCompany = QStringLiteral("printCompany");
const QString printPrefix = QStringLiteral("printPrefix");
const QString keishou = QStringLiteral("keishou");
const QString printVertical = QStringLiteral("printVertical");
const QString verticalFontName = QStringLiteral("verticalFontName");
const QString printPhone = QStringLiteral("printPhone");
const QString printFormat = QStringLiteral("printFormat");
const QString printFormatTitles = QStringLiteral("printFormatTitles");
const QString printFormatDictionary = QStringLiteral("printFormatDictionary");
const QString presetArray = QStringLiteral("presetArray");
const QString name = QStringLiteral("name");
const QString textDirection = QStringLiteral("textDirection");
const QString textRectDict = QStringLiteral("textRectDict");
const QString printSender = QStringLiteral("printSender");
const QString printDepartment = QStringLiteral("printDepartment");
const QString printSpouse = QStringLiteral("printSpouse");
const QString senderLabel = QStringLiteral("senderLabel");
const QString senderLabelIndex = QStringLiteral("senderLabelIndex");
const QString showBackground = QStringLiteral("showBackground");
const QString hagakiTypeArray = QStringLiteral("hagakiTypeArray");
const QString hagakiType = QStringLiteral("hagakiType");
const QString printChildren = QStringLiteral("printChildren");
} // namespace Key

// Readers: a stored value may be text ("130", "1") where a number or a flag is meant.
bool flag(const QVariantMap &map, const QString &key) { return map.value(key).toBool(); }
double number(const QVariantMap &map, const QString &key) { return map.value(key).toDouble(); }
qint64 integer(const QVariantMap &map, const QString &key) {
    const QVariant value = map.value(key);
    bool isInteger = false;
    const qint64 n = value.toLongLong(&isInteger);
    return isInteger ? n : qint64(value.toDouble());
}
QString text(const QVariantMap &map, const QString &key) { return map.value(key).toString(); }
QStringList texts(const QVariantMap &map, const QString &key) { return map.value(key).toStringList(); }
QVariantMap dictionary(const QVariantMap &map, const QString &key) { return map.value(key).toMap(); }

QVariantList variantList(const QStringList &list) {
    QVariantList out;
    for (const QString &s : list)
        out.append(s);
    return out;
}

const QList<AddressListItem> &defaultItemTable() {
    static const QList<AddressListItem> items = [] {
        QList<AddressListItem> list{{FieldId::Name, true, false}};
        for (const QString &title :
             {FieldId::Address, FieldId::Email, FieldId::SocialNetwork, FieldId::InstantMessage, FieldId::Phone,
              FieldId::URL, FieldId::Nickname, FieldId::Company, FieldId::Department, FieldId::JobTitle,
              FieldId::Suffix, FieldId::Relationship, FieldId::PhoneticName, FieldId::Birthday, FieldId::Dates,
              FieldId::Note})
            list.append({title, false, true});
        return list;
    }();
    return items;
}

const QList<LabelPreset> &defaultPresets() {
    static const QList<LabelPreset> presets = {
        {QStringLiteral("130x60 points gap 5 point"), QStringLiteral("130"), QStringLiteral("60"),
         QStringLiteral("5"), QStringLiteral("5")},
        {QStringLiteral("2-5/8x1\" gap 1/8\""), QStringLiteral("189"), QStringLiteral("72"), QStringLiteral("9"),
         QStringLiteral("0")},
        {QStringLiteral("4x2\" gap 1/8\""), QStringLiteral("288"), QStringLiteral("144"), QStringLiteral("9"),
         QStringLiteral("0")},
        {QStringLiteral("55.5x29.7mm gap 0"), QStringLiteral("157.32"), QStringLiteral("84.19"),
         QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("66x33.9mm gap 0"), QStringLiteral("187.1"), QStringLiteral("96.1"), QStringLiteral("0"),
         QStringLiteral("0")},
        {QStringLiteral("70x37mm gap 0"), QStringLiteral("198.4"), QStringLiteral("104.88"), QStringLiteral("0"),
         QStringLiteral("0")},
    };
    return presets;
}

void writeAddressText(const AddressTextOptions &o, QVariantMap &map) {
    map.insert(Key::printFrame, o.printFrame);
    map.insert(Key::printCompany, o.printCompany);
    map.insert(Key::printCountry, o.printCountry);
    // Absent until the accessory writes them, as in a fresh record.
    if (o.printPrefix)
        map.insert(Key::printPrefix, true);
    if (!o.keishou.isEmpty())
        map.insert(Key::keishou, o.keishou);
    map.insert(Key::printVertical, o.printVertical);
    map.insert(Key::verticalFontName, o.verticalFontName);
}

void readAddressText(const QVariantMap &map, AddressTextOptions &o) {
    o.printFrame = flag(map, Key::printFrame);
    o.printCompany = flag(map, Key::printCompany);
    o.printCountry = flag(map, Key::printCountry);
    o.printPrefix = flag(map, Key::printPrefix);
    o.keishou = text(map, Key::keishou);
    o.printVertical = flag(map, Key::printVertical);
    o.verticalFontName = text(map, Key::verticalFontName);
}

QVariantMap addressListVariant(const AddressListOptions &o) {
    QVariantList items;
    for (const AddressListItem &item : o.itemTable)
        items.append(QVariantMap{{Key::Title, item.title}, {Key::State, item.state}, {Key::Enabled, item.enabled}});
    return {{Key::printFrame, o.printFrame},
            {Key::alternatingRow, o.alternatingRow},
            {Key::printCountry, o.printCountry},
            {Key::itemTable, items},
            {Key::selectedLabels, variantList(o.selectedLabels)}};
}

AddressListOptions addressListFrom(const QVariantMap &map) {
    AddressListOptions o;
    o.printFrame = flag(map, Key::printFrame);
    o.alternatingRow = flag(map, Key::alternatingRow);
    o.printCountry = flag(map, Key::printCountry);
    for (const QVariant &value : map.value(Key::itemTable).toList()) {
        const QVariantMap item = value.toMap();
        o.itemTable.append({text(item, Key::Title), flag(item, Key::State), flag(item, Key::Enabled)});
    }
    o.selectedLabels = map.contains(Key::selectedLabels) ? texts(map, Key::selectedLabels) : QStringList{all};
    return o;
}

QVariantMap mailingLabelsVariant(const MailingLabelsOptions &o) {
    QVariantMap map{{Key::labelWidth, o.labelWidth},     {Key::labelHeight, o.labelHeight},
                    {Key::hGap, o.hGap},                 {Key::vGap, o.vGap},
                    {Key::repeatCount, o.repeatCount},   {Key::printPhone, o.printPhone},
                    {Key::printFormat, o.printFormat},   {Key::printFormatTitles, variantList(o.printFormatTitles)}};
    writeAddressText(o, map);
    QVariantMap formats;
    for (auto it = o.printFormatDictionary.cbegin(); it != o.printFormatDictionary.cend(); ++it)
        formats.insert(it.key(), variantList(it.value()));
    map.insert(Key::printFormatDictionary, formats);
    QVariantList presets;
    for (const LabelPreset &p : o.presetArray)
        presets.append(QVariantMap{{Key::name, p.name},
                                   {Key::labelWidth, p.labelWidth},
                                   {Key::labelHeight, p.labelHeight},
                                   {Key::hGap, p.hGap},
                                   {Key::vGap, p.vGap}});
    map.insert(Key::presetArray, presets);
    return map;
}

MailingLabelsOptions mailingLabelsFrom(const QVariantMap &map) {
    MailingLabelsOptions o;
    readAddressText(map, o);
    o.labelWidth = number(map, Key::labelWidth);
    o.labelHeight = number(map, Key::labelHeight);
    o.hGap = number(map, Key::hGap);
    o.vGap = number(map, Key::vGap);
    o.repeatCount = integer(map, Key::repeatCount);
    o.printPhone = flag(map, Key::printPhone);
    o.printFormat = text(map, Key::printFormat);
    o.printFormatTitles = texts(map, Key::printFormatTitles);
    const QVariantMap formats = dictionary(map, Key::printFormatDictionary);
    for (auto it = formats.cbegin(); it != formats.cend(); ++it)
        o.printFormatDictionary.insert(it.key(), it.value().toStringList());
    for (const QVariant &value : map.value(Key::presetArray).toList()) {
        const QVariantMap p = value.toMap();
        o.presetArray.append({text(p, Key::name), text(p, Key::labelWidth), text(p, Key::labelHeight),
                              text(p, Key::hGap), text(p, Key::vGap)});
    }
    return o;
}

QVariantMap envelopeVariant(const EnvelopeOptions &o) {
    QVariantMap map{{Key::textDirection, o.textDirection}, {Key::printSender, o.printSender},
                    {Key::printPhone, o.printPhone},       {Key::printDepartment, o.printDepartment},
                    {Key::printSpouse, o.printSpouse},     {Key::senderLabel, o.senderLabel},
                    {Key::senderLabelIndex, o.senderLabelIndex}};
    writeAddressText(o, map);
    if (!o.textRectDict.isEmpty()) {
        QVariantMap rects;
        for (auto it = o.textRectDict.cbegin(); it != o.textRectDict.cend(); ++it)
            rects.insert(it.key(), stringFromRect(it.value()));
        map.insert(Key::textRectDict, rects);
    }
    return map;
}

EnvelopeOptions envelopeFrom(const QVariantMap &map) {
    EnvelopeOptions o;
    readAddressText(map, o);
    o.textDirection = map.contains(Key::textDirection) ? text(map, Key::textDirection) : TextDirection::LeftRight;
    const QVariantMap rects = dictionary(map, Key::textRectDict);
    for (auto it = rects.cbegin(); it != rects.cend(); ++it)
        o.textRectDict.insert(it.key(), rectFromString(it.value().toString()));
    o.printSender = flag(map, Key::printSender);
    o.printPhone = flag(map, Key::printPhone);
    o.printDepartment = flag(map, Key::printDepartment);
    o.printSpouse = flag(map, Key::printSpouse);
    o.senderLabel = text(map, Key::senderLabel);
    o.senderLabelIndex = integer(map, Key::senderLabelIndex);
    return o;
}

QVariantMap hagakiVariant(const HagakiOptions &o) {
    return {{Key::showBackground, o.showBackground}, {Key::hagakiTypeArray, variantList(o.hagakiTypeArray)},
            {Key::hagakiType, o.hagakiType},         {Key::keishou, o.keishou},
            {Key::printCompany, o.printCompany},     {Key::printSender, o.printSender},
            {Key::printSpouse, o.printSpouse},       {Key::printChildren, o.printChildren}};
}

HagakiOptions hagakiFrom(const QVariantMap &map) {
    HagakiOptions o;
    o.showBackground = flag(map, Key::showBackground);
    o.hagakiTypeArray = texts(map, Key::hagakiTypeArray);
    o.hagakiType = text(map, Key::hagakiType);
    o.keishou = text(map, Key::keishou);
    o.printCompany = flag(map, Key::printCompany);
    o.printSender = flag(map, Key::printSender);
    o.printSpouse = flag(map, Key::printSpouse);
    o.printChildren = flag(map, Key::printChildren);
    return o;
}

} // namespace

void AddressListOptions::updateItemTable(const QStringList &columns) {
    for (const QString &column : columns) {
        // An address part's column shows a part of the address, which prints whole.
        const QString title = QMPerson::addressIdentifiers().contains(column) ? FieldId::Address : column;
        if (title == FieldId::Name)
            continue;
        const auto item = std::find_if(itemTable.begin(), itemTable.end(),
                                       [&](const AddressListItem &i) { return i.title == title; });
        if (item != itemTable.end())
            item->state = true;
        // A field of the card the list has no item for (the title) is printed too.
        else if (QMPerson::allIdentifiers().contains(title) && title != FieldId::Photo)
            itemTable.append({title, true, true});
    }
}

PrintOptions PrintOptions::createPrintOptions() {
    PrintOptions o;
    o.version = currentVersion;
    o.printStyle = PrintStyle::AddressList;
    o.unitType = QStringLiteral("points");
    o.fontSize = 8;
    o.fontName = PrintFonts::userFontFamily();

    o.addressList.alternatingRow = true;
    o.addressList.itemTable = defaultItemTable();
    o.addressList.selectedLabels = {all};

    const QString verticalFont = PrintFonts::defaultVerticalFontFamily();
    MailingLabelsOptions &labels = o.mailingLabels;
    labels.labelWidth = 130;
    labels.labelHeight = 60;
    labels.hGap = 5;
    labels.vGap = 5;
    labels.repeatCount = 1;
    labels.printFrame = true;
    labels.verticalFontName = verticalFont;
    labels.printFormat = QStringLiteral("Home address");
    labels.printFormatTitles = {QStringLiteral("Address"), QStringLiteral("Address and Phone")};
    labels.printFormatDictionary = {{QStringLiteral("Address"), {FieldId::Name, FieldId::Address}},
                                    {QStringLiteral("Address and Phone"),
                                     {FieldId::Name, FieldId::Address, FieldId::Phone}}};
    labels.presetArray = defaultPresets();

    EnvelopeOptions &envelope = o.envelope;
    envelope.printFrame = true;
    envelope.verticalFontName = verticalFont;
    envelope.textDirection = TextDirection::LeftRight;
    envelope.printSender = true;
    envelope.senderLabel = QStringLiteral("home");

    HagakiOptions &hagaki = o.hagaki;
    hagaki.hagakiTypeArray = {QStringLiteral("年賀ハガキ"), QStringLiteral("普通ハガキ")};
    hagaki.hagakiType = hagaki.hagakiTypeArray.first();
    hagaki.keishou = QStringLiteral("様");
    hagaki.showBackground = true;
    hagaki.printSender = true;
    return o;
}

PrintOptions PrintOptions::load(const UserDefaults &defaults) {
    const QVariantMap stored = defaults.object(optionsKey).toMap();
    // An older record is dropped whole, not upgraded; the next store replaces it.
    if (integer(stored, Key::Version) >= currentVersion)
        return fromVariant(stored);
    return createPrintOptions();
}

void PrintOptions::store(UserDefaults &defaults) const { defaults.setObject(toVariant(), optionsKey); }

QVariantMap PrintOptions::toVariant() const {
    return {{Key::Version, version},
            {Key::printStyle, printStyle},
            {Key::unitType, unitType},
            {Key::fontSize, fontSize},
            {Key::fontName, fontName},
            {Key::topMargin, topMargin},
            {Key::leftMargin, leftMargin},
            {Key::rightMargin, rightMargin},
            {Key::bottomMargin, bottomMargin},
            {Key::addressList, addressListVariant(addressList)},
            {Key::mailingLabels, mailingLabelsVariant(mailingLabels)},
            {Key::envelope, envelopeVariant(envelope)},
            {Key::hagaki, hagakiVariant(hagaki)}};
}

PrintOptions PrintOptions::fromVariant(const QVariantMap &map) {
    PrintOptions o;
    o.version = integer(map, Key::Version);
    o.printStyle = text(map, Key::printStyle);
    o.unitType = text(map, Key::unitType);
    o.fontSize = integer(map, Key::fontSize);
    o.fontName = text(map, Key::fontName);
    o.topMargin = number(map, Key::topMargin);
    o.leftMargin = number(map, Key::leftMargin);
    o.rightMargin = number(map, Key::rightMargin);
    o.bottomMargin = number(map, Key::bottomMargin);
    o.addressList = addressListFrom(dictionary(map, Key::addressList));
    o.mailingLabels = mailingLabelsFrom(dictionary(map, Key::mailingLabels));
    o.envelope = envelopeFrom(dictionary(map, Key::envelope));
    o.hagaki = hagakiFrom(dictionary(map, Key::hagaki));
    return o;
}

QString PrintOptions::effectiveStyle() const {
    if (printStyle == PrintStyle::MailingLabels || printStyle == PrintStyle::Envelope)
        return printStyle;
    return PrintStyle::AddressList;
}

QString lastPrintStyle(const UserDefaults &defaults) {
    const QString style = defaults.stringForKey(lastStyleKey);
    return style.isEmpty() ? PrintStyle::AddressList : style;
}

void setLastPrintStyle(const QString &style, UserDefaults &defaults) { defaults.setObject(style, lastStyleKey); }

QRectF defaultEnvelopeTextRect(const QSizeF &paperSize) {
    const double width = paperSize.width() / 3;
    const double height = paperSize.height() / 5;
    return {(paperSize.width() - width) * 0.5, (paperSize.height() - height) * 0.5, width, height};
}

QString stringFromRect(const QRectF &rect) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(rect.x(), 0, 'g', 12)
        .arg(rect.y(), 0, 'g', 12)
        .arg(rect.width(), 0, 'g', 12)
        .arg(rect.height(), 0, 'g', 12);
}

QRectF rectFromString(const QString &text) {
    static const QRegularExpression numberPattern(QStringLiteral("[-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?"));
    double values[4] = {0, 0, 0, 0};
    int found = 0;
    for (auto it = numberPattern.globalMatch(text); it.hasNext() && found < 4;)
        values[found++] = it.next().captured().toDouble();
    return {values[0], values[1], values[2], values[3]};
}
