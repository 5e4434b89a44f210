#pragma once

#include <QList>
#include <QMap>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class UserDefaults;

// The print style names, which are also the accessory's tab identifiers.
namespace PrintStyle {
inline const QString AddressList = QStringLiteral("Address List");
inline const QString MailingLabels = QStringLiteral("Mailing Labels");
inline const QString Envelope = QStringLiteral("Envelope");
// Stored by earlier versions; prints as an address list (nothing draws postcards).
inline const QString Hagaki = QStringLiteral("Hagaki");
} // namespace PrintStyle

// The directions an envelope's text box can take.
namespace TextDirection {
inline const QString LeftRight = QStringLiteral("Left-Right");
inline const QString UpDown = QStringLiteral("Up-Down");
} // namespace TextDirection

// One field of the address list: printed when `state` is on; `enabled` tells whether the
// user may switch it.
struct AddressListItem {
    QString title; // a field identifier
    bool state = false;
    bool enabled = false;
    friend bool operator==(const AddressListItem &, const AddressListItem &) = default;
};

struct AddressListOptions {
    bool printFrame = false;
    bool alternatingRow = false;
    bool printCountry = false;
    QList<AddressListItem> itemTable; // printing order
    QStringList selectedLabels;       // label words printed; "All" means no filter

    // Switches on the items of the given columns (an address part's, the address); never
    // switches one off, never "Name". A field of the card without an item gets one.
    void updateItemTable(const QStringList &columns);
    friend bool operator==(const AddressListOptions &, const AddressListOptions &) = default;
};

// A label size offered by name. The lengths stay decimal text, as stored.
struct LabelPreset {
    QString name;
    QString labelWidth;
    QString labelHeight;
    QString hGap;
    QString vGap;
    friend bool operator==(const LabelPreset &, const LabelPreset &) = default;
};

// Settings shared by labels and envelopes.
struct AddressTextOptions {
    bool printFrame = false;
    bool printCompany = false;
    bool printCountry = false;
    bool printPrefix = false; // the contact's suffix field in front of the name
    QString keishou;          // honorific after the name; empty for none
    bool printVertical = false;
    QString verticalFontName; // a font family; empty means the horizontal font
    friend bool operator==(const AddressTextOptions &, const AddressTextOptions &) = default;
};

struct MailingLabelsOptions : AddressTextOptions {
    double labelWidth = 0; // points
    double labelHeight = 0;
    double hGap = 0;
    double vGap = 0;
    qint64 repeatCount = 0;
    // Kept as stored; nothing edits them.
    bool printPhone = false;
    QString printFormat;
    QStringList printFormatTitles;
    QMap<QString, QStringList> printFormatDictionary;
    QList<LabelPreset> presetArray;
    friend bool operator==(const MailingLabelsOptions &, const MailingLabelsOptions &) = default;
};

struct EnvelopeOptions : AddressTextOptions {
    QString textDirection; // TextDirection::LeftRight or UpDown
    // The text box per paper (a QPageSize key), in points from the paper's top left.
    QMap<QString, QRectF> textRectDict;
    // Kept as stored; nothing edits them.
    bool printSender = false;
    bool printPhone = false;
    bool printDepartment = false;
    bool printSpouse = false;
    QString senderLabel;
    qint64 senderLabelIndex = 0;
    friend bool operator==(const EnvelopeOptions &, const EnvelopeOptions &) = default;
};

// Postcard settings: stored defaults only.
struct HagakiOptions {
    bool showBackground = false;
    QStringList hagakiTypeArray;
    QString hagakiType;
    QString keishou;
    bool printCompany = false;
    bool printSender = false;
    bool printSpouse = false;
    bool printChildren = false;
    friend bool operator==(const HagakiOptions &, const HagakiOptions &) = default;
};

// Every print setting, kept in the preferences under "QM1DprintOptions" as nested maps.
// Lengths are points whatever unit the user sees. A default-constructed record is what a
// stored record with no keys reads as; createPrintOptions() gives the factory settings.
struct PrintOptions {
    static constexpr qint64 currentVersion = 6;

    qint64 version = 0;
    QString printStyle;
    QString unitType;
    qint64 fontSize = 0;
    QString fontName; // a font family; empty means the user font
    double topMargin = 0;
    double leftMargin = 0;
    double rightMargin = 0;
    double bottomMargin = 0;
    AddressListOptions addressList;
    MailingLabelsOptions mailingLabels;
    EnvelopeOptions envelope;
    HagakiOptions hagaki;

    static PrintOptions createPrintOptions();
    // The stored record when its version is current or newer, else the factory settings.
    static PrintOptions load(const UserDefaults &defaults);
    void store(UserDefaults &defaults) const;

    QVariantMap toVariant() const;
    // Missing keys read as off, 0 or empty.
    static PrintOptions fromVariant(const QVariantMap &map);

    // The style a print job draws: postcards and unknown styles print as an address list.
    QString effectiveStyle() const;

    friend bool operator==(const PrintOptions &, const PrintOptions &) = default;
};

// The style last chosen in the accessory ("QM1DlastPrintStyle"), "Address List" when none.
QString lastPrintStyle(const UserDefaults &defaults);
void setLastPrintStyle(const QString &style, UserDefaults &defaults);

// The envelope text box a paper gets until the user places one: a third of the paper's
// width, a fifth of its height, centred.
QRectF defaultEnvelopeTextRect(const QSizeF &paperSize);

// A rectangle as "{{x, y}, {width, height}}"; reading takes the first four numbers, any
// missing one as 0.
QString stringFromRect(const QRectF &rect);
QRectF rectFromString(const QString &text);
