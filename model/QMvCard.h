#pragma once

#include "model/ContactContainers.h"
#include "model/QMPerson.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>

// Option words of the vCard writers: which of the program's own lines are added to the
// serializer's card.
namespace VCardOption {
inline const QString Note = QStringLiteral("Note");
inline const QString Photo = QStringLiteral("Photo");
inline const QString Custom = QStringLiteral("Custom");
inline const QString Categories = QStringLiteral("Categories");
inline const QString Ruradu = QStringLiteral("Ruradu");
inline const QString HagakiLayout = QStringLiteral("HagakiLayout");
} // namespace VCardOption

// One column of the CSV text: its heading, the field (or address part) it holds and the
// label a value must carry to stand in it (for name columns, the name part).
struct CsvColumn {
    CsvColumn() = default;
    CsvColumn(QString heading, QString key, QString labelWord = {})
        : fieldName(std::move(heading))
        , type(std::move(key))
        , label(std::move(labelWord)) {}

    QString fieldName;
    QString type;
    QString label;
    // Columns of another address book's export: each value is added, never replacing
    // one of the same label. A numbered column ("Phone 2 - Value") names its slot, whose
    // label a column of its own may give ("Phone 2 - Type").
    bool foreign = false;
    QString slot;
    bool slotLabel = false;
};

// The values of one CSV line, gathered per field before they are set on a new contact.
struct CsvContactValues {
    std::optional<NameRecord> name;
    QString nameCell; // the "Name" cell as written
    std::optional<PhoneticNameRecord> phoneticName;
    LabeledValueList phones;
    LabeledValueList emails;
    LabeledValueList urls;
    LabeledValueList addresses;
    LabeledValueList socialProfiles;
    std::optional<BirthdayRecord> birthday;
    std::optional<int> birthYear, birthMonth, birthDay; // a birthday in three columns
    QList<std::pair<QString, QString>> texts;           // single-text fields, by field identifier
    QStringList categories;
    QHash<QString, QString> slotLabels;      // label of a numbered slot
    QHash<QString, qsizetype> slotAddresses; // position in `addresses` of a numbered address
};

// What reading a vCard text left out, so that the user can be told once.
// Cards without END:VCARD that were kept, read as far as they go, are named beside it:
// nothing of them was left out, but they may have lost their ends.
struct VCardLeftOut {
    qsizetype cards = 0;         // cards that gave no contact (one without END:VCARD and without a name)
    qsizetype photos = 0;        // photos over the size cap
    qsizetype nestedCards = 0;   // cards nested beyond the depth cap
    qsizetype customItems = 0;   // X- lines without a value, or named like a field
    QStringList lines = {};      // the properties of the lines no field holds (GEO, LANG ...), sorted
    QStringList parameters = {}; // parameters of kept lines no field holds ("ADR;GEO"), sorted
    QStringList incompleteCards = {}; // the names of the cards kept without END:VCARD, in file order
    bool nothingLeftOut() const {
        return cards == 0 && photos == 0 && nestedCards == 0 && customItems == 0 && lines.isEmpty() &&
               parameters.isEmpty();
    }
    bool isEmpty() const { return nothingLeftOut() && incompleteCards.isEmpty(); }
};

// The converter between contacts and file text: vCard files in and out, CSV in and out.
// It keeps nothing between calls; every operation may run on any thread, touching only
// the contacts it is given or makes (and the class-level tables of the contact record).
class QMvCard {
public:
    // Reading spreads a large text's cards over this many threads, the caller's included
    // (0: as many as the machine has; 1: the caller's alone).
    explicit QMvCard(int readingThreads = 0)
        : readingThreads_(readingThreads) {}

    // Called once per card read or written with the position reached (a text offset when
    // reading, the contact's index when writing); setting *stop ends the operation, which
    // then gives no result.
    using ProgressHandler = std::function<void(bool *stop, quint64 position)>;

    // ---- vCard reading

    // One container "vCard" with the all-contacts group and one group per category, or
    // nullptr when the progress handler stopped the reading. Never fails: unreadable cards
    // are skipped (counted in *leftOut), and *error is left alone.
    std::shared_ptr<ContainerTable> containersFromVCards(const QString &text, QString *error = nullptr,
                                                         const ProgressHandler &progressHandler = {},
                                                         VCardLeftOut *leftOut = nullptr) const;
    // Text another program wrote as a vCard: its first line, past blank lines and a byte-order
    // mark, is a BEGIN:VCARD line as the reader takes one.
    static bool isVCardText(QStringView text);
    // The all-contacts group's list of a file's container; nullptr for another container.
    static SharedContactTable contactsInContainer(const ContainerRecord &container);
    // The list of the container's group with the same uniqueId, or nullptr.
    static SharedContactTable contactsForGroup(const GroupRecord &group, const ContainerRecord &container);
    // The card's CATEGORIES values in order, unescaped, not trimmed.
    static QStringList findCategories2(QStringView card);
    // Reads the card's X- lines into the person as custom items.
    static void decodeVCardCustomItems(QStringView card, QMPerson &person);
    // Cards that come into a document as copies (pasted, dropped): one whose UID or X-ABUID
    // a live contact of the document carries is a duplicate of it, and loses its identity.
    static void forgetIdentitiesHeldIn(const ContactTable &incoming, const ContainerTable &document);
    // A container "vCard" around the contacts of a CSV text, with a group per category
    // its lines name; nullptr when the progress handler (called after each line with the
    // position past it) stopped the reading.
    std::shared_ptr<ContainerTable> containersFromCSV(const QString &text,
                                                      const ProgressHandler &progressHandler = {}) const;

    // ---- vCard writing

    // All the contacts' cards. The CATEGORIES lines name the groups of `container` that
    // hold each contact; `customItems` are the definitions whose X- lines are written (the
    // class-wide list when none is given). None when the handler stopped.
    std::optional<QString>
    vCardsFromContacts(const ContactTable &contacts, const QStringList &options,
                       const ContainerRecord *container, const ProgressHandler &progressHandler = {},
                       const std::optional<QList<CustomItemDefinition>> &customItems = std::nullopt) const;
    // The same with the group names gathered once for several calls (groupNamesByContact).
    std::optional<QString>
    vCardsFromContacts(const ContactTable &contacts, const QStringList &options,
                       const QHash<QString, QStringList> &groupNames, const ProgressHandler &progressHandler,
                       const std::optional<QList<CustomItemDefinition>> &customItems) const;
    // The names the CATEGORIES lines give, by contact uniqueId: each live group of the
    // container (not the all-contacts one) that holds a live entry of the contact, each name
    // once, in the container's order.
    static QHash<QString, QStringList> groupNamesByContact(const ContainerRecord *container);
    // The copy and drag text: vCardFromContact for every entry.
    QString vCardsFromContacts(const ContactTable &contacts, const QStringList &options, bool progress) const;
    QString
    vCardFromPerson(QMPerson &person, const QStringList &options, const QStringList &groupNames,
                    const std::optional<QList<CustomItemDefinition>> &customItems = std::nullopt) const;
    QString
    vCardFromContact(const ContactEntry &contact, const QStringList &options,
                     const std::optional<QList<CustomItemDefinition>> &customItems = std::nullopt) const;
    // The PHOTO lines of an image, JPEG in folded Base64; empty when no JPEG can be made.
    static QString encodeVCardPhoto(const QImage &image);
    // The same for stored image data: JPEG bytes are written as they are, other pictures
    // are converted; data that cannot be decoded (or is too large to) is written as it is.
    static QString encodeVCardPhoto(const QByteArray &imageData);
    // A photo as the card had it: its own bytes with their type (JPEG, PNG, GIF ...).
    static QString encodeVCardPhotoAsRead(const QByteArray &imageData);
    static QByteArray jpegDataFromImage(const QImage &image);

    // ---- CSV writing

    static const QList<CsvColumn> &csvColumns();
    // The header line and one line per record. A record is anything with `person` (a
    // pointer to the contact) and `labelIndex` (the value index to write).
    template <typename Records> QString csvFromSubContacts(const Records &records) const {
        QString text = csvHeaderLine();
        for (const auto &record : records)
            appendCsvLine(text, *record.person, record.labelIndex);
        return text;
    }
    // One line of the given fields of the record, for the pasteboard.
    template <typename Record>
    QString csvStringFromContact(const Record &record, const QStringList &identifiers,
                                 const QString &separator, bool shouldLocalize) const {
        return separatedLine(*record.person, record.labelIndex, identifiers, separator, shouldLocalize);
    }
    // The text of one field at a value index (-1: none), or the empty text.
    QString stringForIdentifier(const QString &identifier, const QString &label, qint64 index,
                                QMPerson &person, bool shouldLocalize) const;

    // ---- CSV reading

    // The cells of the first record of comma-separated text, by the file's rules (quoted
    // cells keep commas and doubled quotes).
    static QStringList fieldsOfCsvLine(QStringView line);
    // A birthday as this program writes it ("yyyy.MM.dd", "MM.dd") or other address books
    // export it (ISO 8601, "5/17/1980", "17.5.1980"); none for other text.
    static std::optional<DateComponents> dateComponentsFromText(const QString &text);

    // One entry per data line, in line order. The first line is the header.
    ContactTable contactsFromCSV(const QString &text) const;
    static QString detectType(const QString &heading);
    // The column of a heading of another address book's export (Google, Outlook,
    // Outlook.com, Thunderbird), or none: those headings go through detectType.
    static std::optional<CsvColumn> foreignColumn(const QString &heading);
    static QString detectLabel(const QString &heading);
    static QString detectAddressType(const QString &heading);
    static void createContact(CsvContactValues &contact, const QString &value, const QString &key,
                              const QString &label);

private:
    // The category groups of one container, made as its contacts name them.
    class CategoryGroups {
    public:
        explicit CategoryGroups(ContainerRecord &container)
            : container_(container) {}
        // The groups of the trimmed, non-empty categories, each once.
        QList<SharedGroup> groupsFor(const QStringList &categories);

    private:
        ContainerRecord &container_;
        QHash<QString, SharedGroup> byName_;
    };
    static SharedGroup categoryGroup(const QString &name);
    // The container of a file, holding its all-contacts group.
    static ContainerRecord fileContainer();
    // The all-contacts group first, then by name.
    static void sortGroups(ContainerRecord &container);
    // The contacts of a CSV text, each with the categories its line names.
    // None when the progress handler stopped.
    std::optional<QList<std::pair<ContactEntry, QStringList>>>
    csvContacts(const QString &text, const ProgressHandler &progressHandler = {}) const;

    static QString csvHeaderLine();
    void appendCsvLine(QString &text, QMPerson &person, qint64 labelIndex) const;
    QString separatedLine(QMPerson &person, qint64 labelIndex, const QStringList &identifiers,
                          const QString &separator, bool shouldLocalize) const;
    void appendCard(QString &text, QMPerson &person, const QStringList &options,
                    const QStringList &groupNames,
                    const std::optional<QList<CustomItemDefinition>> &customItems, bool forEntry) const;

    int readingThreads_ = 0;
};
