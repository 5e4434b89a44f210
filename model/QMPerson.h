#pragma once

#include "model/PersonRecords.h"
#include "model/StoredLabeledValues.h"
#include "platform/contacts/CNContact.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <vector>

struct VCardReadDetails;

// The contact record: one card of a document. It wraps a contact of the contacts layer and
// keeps every field in one cache per field kind; edits change only the caches, and a new
// contact is built from them when one is needed (contactFromCache).
//
// A record is used by one thread at a time (it has no lock): the thread that reads a file
// makes it, the main thread edits it, and a row-building thread reads it while the main
// thread waits. Every cache is filled when the record is made from a contact, so readers
// never fill from the contact. The class-level label tables are shared by all threads
// under one lock; the address-format table is an immutable snapshot replaced whole.
class QMPerson {
public:
    // ---- Constructors and identity

    // An empty new card with a new identifier; created.
    QMPerson();
    // A record around a contact; every cache is filled from it at once.
    explicit QMPerson(const CNContact &contact);
    // A record has one identity: it moves, and copy() or duplicate() make a new one
    // (sharedCopy() keeps it, for a reading thread).
    QMPerson(QMPerson &&) = default;
    QMPerson &operator=(QMPerson &&) = default;
    // The first card of vCard data, or nullptr when the data holds none or is rejected.
    static std::unique_ptr<QMPerson> initWithVCardData(const QByteArray &data);
    // Every card of vCard data, nested cards each on their own, in the order the cards
    // end (a nested card before the card holding it); empty when the data holds none or
    // is rejected. `details` receives what the cards hold beyond their fields.
    static std::vector<std::unique_ptr<QMPerson>> personsWithVCardData(const QByteArray &data,
                                                                       VCardReadDetails *details = nullptr);

    // A new record with the same field values and custom items (definitions and values),
    // a new uniqueId, no card identity, no wrapped contact, created and changed.
    std::unique_ptr<QMPerson> copy();
    // The duplicate command's copy: as copy(), marked created.
    std::unique_ptr<QMPerson> duplicate();
    // The same record (identity, wrapped contact, values and caches as they are) for a
    // thread that reads it while this one goes on editing. Every value is shared until one
    // side changes it, and only what is changed is then copied: taking it copies no value,
    // and neither side's later change or cache filling reaches the other.
    QMPerson sharedCopy() const { return QMPerson(*this); }

    // A new contact built from the caches, starting from `base` or from an empty contact.
    CNMutableContact contactFromCache(const std::optional<CNContact> &base = std::nullopt);
    // The card as vCard data; empty when the serializer fails.
    QByteArray vCardData();
    // A short vCard 3.0 text of the name and the chosen values, for small carriers such
    // as a QR code. Positions past the end of a list are skipped.
    struct SimpleVCardOptions {
        std::set<qsizetype> email;
        std::set<qsizetype> phone;
        std::set<qsizetype> address;
        std::set<qsizetype> url;
        bool company = false;
        bool department = false;
        bool jobTitle = false;
    };
    QString simpleVCardWithOption(const SimpleVCardOptions &options);

    QString uniqueId() const { return uniqueId_; }
    // The UID and X-ABUID of the card the record was read from, written back with it; a copy
    // is another contact and has none.
    const CNCardIdentity &cardIdentity() const { return cardIdentity_; }
    void setCardIdentity(const CNCardIdentity &identity) { cardIdentity_ = identity; }
    QString uniqueId2() const { return uniqueId2_; }
    void setUniqueId2(const QString &id) { uniqueId2_ = id; }
    bool created() const { return created_; }
    void setCreated(bool created) { created_ = created; }
    bool changed() const { return changed_; }
    void setChanged(bool changed) { changed_ = changed; }
    qint64 defaultNameOrdering() const { return defaultNameOrdering_; }
    QString defaultCountryCode() const { return defaultCountryCode_; }
    qint64 nameOrdering() const { return nameOrdering_; }
    void setNameOrdering(qint64 ordering) { nameOrdering_ = ordering; }
    void setShowAsPerson(bool showAsPerson) { showAsPerson_ = showAsPerson; }
    // The wrapped contact, if any.
    std::optional<CNContact> cnContact() const {
        return cnContact_ ? std::optional<CNContact>(*cnContact_) : std::nullopt;
    }

    // ---- Field identifiers and label vocabularies (class level)

    static const QStringList &allIdentifiers();
    static const QStringList &labeledIdentifiers();
    static const QStringList &stringIdentifiers();
    static const QStringList &addressIdentifiers();
    static const QStringList &phoneticIdentifiers();
    // Field identifier to contact key (20 entries).
    static const QHash<QString, QString> &CNIdentifiers();
    // The application's translation of the key, else its English title.
    static QString localizedIdentifierForKey(const QString &identifier);
    // The English title of a key. Field identifiers and address parts are English text and
    // their own titles; the keys that are not (name parts, sort options, card slots) have one
    // here, so a stored or compared key never reaches the screen.
    static QString titleForKey(const QString &key);

    // Copies of the class lists, or none for an identifier without lists.
    static std::optional<QStringList> labelsForIdentifier(const QString &identifier);
    static std::optional<QStringList> localizedLabelsForIdentifier(const QString &identifier);
    static std::optional<QStringList> customLabelsForIdentifier(const QString &identifier);
    // Every label list, the custom words it lacked appended (to the class lists too).
    static QHash<QString, QStringList> labelTableDict();
    static QHash<QString, QStringList> customLabelTableDict();
    // Registers (empty oldLabel), renames or deletes (empty newLabel) a label word.
    static bool setLabel(const QString &oldLabel, const QString &newLabel, const QString &identifier);
    // Takes a word out of the field's label, title and user-added lists together (a deleted
    // label leaves no empty entry behind); false when none of them held it.
    static bool removeLabel(const QString &label, const QString &identifier);
    // While one is in scope on a thread, the new words that registering would add to the label
    // tables are kept here instead, and registered by registerAll(): cards read on several
    // threads then register their labels in file order, as one thread would.
    class DeferredLabels {
    public:
        // Keeps the words registered on this thread while it lives.
        class Scope {
        public:
            explicit Scope(DeferredLabels &labels);
            ~Scope();
            Scope(const Scope &) = delete;
            Scope &operator=(const Scope &) = delete;

        private:
            DeferredLabels *outer_;
        };
        // Registers the kept words in the order they came, on whichever thread calls it.
        void registerAll();

    private:
        friend class QMPerson;
        std::vector<std::pair<QString, QString>> pending_; // identifier and word
    };

    static QString labelFromCNLabel(const std::optional<QString> &cnLabel);
    static std::optional<QString> CNLabelFromLabel(const std::optional<QString> &label);
    static QString localizedLabelFromCNLabel(const QString &cnLabel);

    // The definitions of the document whose contacts are about to become vCard text.
    static std::optional<QList<CustomItemDefinition>> customItemsForVCard();
    static void setCustomItemsForVCard(const QList<CustomItemDefinition> &items);

    // ---- Name, phonetic name and birthday

    NameRecord nameValue();
    void setNameValue(const FieldValue &value, const QString &identifier);
    void updateNameValue(NameRecord &record);
    static QString compositeNameFromNameDict(const NameRecord &record);
    // With the system's order already resolved (0, 1 or 2) for a record whose order is 0.
    static QString compositeNameFromNameDict(const NameRecord &record, qint64 systemOrdering);
    // The contacts settings' sort order as a name order: 1 given name first, 2 family
    // name first, 0 otherwise.
    static qint64 systemNameOrdering();
    bool showAsPerson() const { return showAsPerson_; }
    QString compositeName();
    std::optional<PhoneticNameRecord> phoneticNameValue();
    std::optional<QString> phoneticName() const;
    void updatePhoneticName(PhoneticNameRecord &record) const;
    std::optional<BirthdayRecord> birthdayValue();
    void setBirthdayValue(const std::optional<BirthdayRecord> &record);
    static void updateBirthdayValue(BirthdayRecord &record);
    // "yyyy.MM.dd(EEE)" in the current locale, "MM.dd" without a year, "" for no date.
    static QString dateStringFromDateComponents(const DateComponents &components);

    // ---- Multi-valued labeled fields

    LabeledValueList phoneValues() { return labeledValues(Phone); }
    LabeledValueList emailValues() { return labeledValues(Email); }
    LabeledValueList urlValues() { return labeledValues(Url); }
    LabeledValueList addressValues() { return labeledValues(Address); }
    LabeledValueList snsValues() { return labeledValues(Sns); }
    LabeledValueList imsValues() { return labeledValues(Ims); }
    LabeledValueList relationshipValues() { return labeledValues(Relationship); }
    LabeledValueList datesValues() { return labeledValues(Dates); }

    void addPhoneValue(const LabeledValueRecord &r) { addValue(Phone, r); }
    void addEmailValue(const LabeledValueRecord &r) { addValue(Email, r); }
    void addUrlValue(const LabeledValueRecord &r) { addValue(Url, r); }
    void addAddressValue(const LabeledValueRecord &r) { addValue(Address, r); }
    void addSnsValue(const LabeledValueRecord &r) { addValue(Sns, r); }
    void addImsValue(const LabeledValueRecord &r) { addValue(Ims, r); }
    void addRelationshipValue(const LabeledValueRecord &r) { addValue(Relationship, r); }
    void addDatesValue(const LabeledValueRecord &r) { addValue(Dates, r); }

    // Replace one record by its running number, or the whole list (an empty list empties
    // the field).
    void replacePhoneValue(const LabeledValueRecord &r) { replaceValue(Phone, r); }
    void replaceEmailValue(const LabeledValueRecord &r) { replaceValue(Email, r); }
    void replaceUrlValue(const LabeledValueRecord &r) { replaceValue(Url, r); }
    void replaceAddressValue(const LabeledValueRecord &r) { replaceValue(Address, r); }
    void replaceSnsValue(const LabeledValueRecord &r) { replaceValue(Sns, r); }
    void replaceImsValue(const LabeledValueRecord &r) { replaceValue(Ims, r); }
    void replaceRelationshipValue(const LabeledValueRecord &r) { replaceValue(Relationship, r); }
    void replaceDatesValue(const LabeledValueRecord &r) { replaceValue(Dates, r); }
    void replacePhoneValue(const LabeledValueList &l) { replaceList(Phone, l); }
    void replaceEmailValue(const LabeledValueList &l) { replaceList(Email, l); }
    void replaceUrlValue(const LabeledValueList &l) { replaceList(Url, l); }
    void replaceAddressValue(const LabeledValueList &l) { replaceList(Address, l); }
    void replaceSnsValue(const LabeledValueList &l) { replaceList(Sns, l); }
    void replaceImsValue(const LabeledValueList &l) { replaceList(Ims, l); }
    void replaceRelationshipValue(const LabeledValueList &l) { replaceList(Relationship, l); }
    void replaceDatesValue(const LabeledValueList &l) { replaceList(Dates, l); }
    // Replace the record at a position (a position outside the list changes nothing).
    void replacePhoneValue(const LabeledValueRecord &r, qsizetype i) { replaceValueAt(Phone, r, i); }
    void replaceEmailValue(const LabeledValueRecord &r, qsizetype i) { replaceValueAt(Email, r, i); }
    void replaceUrlValue(const LabeledValueRecord &r, qsizetype i) { replaceValueAt(Url, r, i); }
    void replaceAddressValue(const LabeledValueRecord &r, qsizetype i) { replaceValueAt(Address, r, i); }
    void replaceSnsValue(const LabeledValueRecord &r, qsizetype i) { replaceValueAt(Sns, r, i); }
    void replaceImsValue(const LabeledValueRecord &r, qsizetype i) { replaceValueAt(Ims, r, i); }
    void replaceRelationshipValue(const LabeledValueRecord &r, qsizetype i) {
        replaceValueAt(Relationship, r, i);
    }
    void replaceDatesValue(const LabeledValueRecord &r, qsizetype i) { replaceValueAt(Dates, r, i); }

    // Normalisers: fill the derived keys of a record in place.
    static void updatePhoneValue(LabeledValueRecord &record);
    static void updateEmailValue(LabeledValueRecord &record);
    static void updateURLValue(LabeledValueRecord &record);
    static void updateSNSValue(LabeledValueRecord &record);
    static void updateIMSValue(LabeledValueRecord &record);
    static void updateRelationshipValue(LabeledValueRecord &record);
    static void updateDatesValue(LabeledValueRecord &record);

    // The position of the first record with that running number; the list's size when
    // none has it; -1 for the running number -1.
    static qsizetype findLabeledValue(const LabeledValueList &list, qint64 labelIndex);
    // The next free running number of a list: the larger of its size and its highest
    // number plus one.
    static qint64 nextLabelIndex(const LabeledValueList &list);

    // ---- Postal addresses and address formats (class level)

    static QList<AddressFormatEntry> addressFormatTable();
    static QHash<QString, AddressFormatEntry> addressFormatDict();
    // Merges entries by "CountryCode" (a user's AddressFormat.json): known codes replace
    // their row, new codes reach only the by-code dictionary. Malformed entries are skipped.
    static void setAddressFormatTable(const QJsonArray &entries);
    static void setAddressFormatDict(const QHash<QString, AddressFormatEntry> &dict);
    // Entries as read from JSON, with their derived keys, for the given user language
    // ("en", "ja"...) and locale territory; malformed entries skipped.
    static QList<AddressFormatEntry> addressFormatEntriesFromJson(const QJsonArray &entries,
                                                                  const QString &language,
                                                                  const QString &territory);
    static void updateAddressValue(LabeledValueRecord &record, bool withCountry);
    static QStringList orderOfAddressFormats(const QString &countryCode, const QString &country = {});
    static QString predictCountryCode(const QString &country);
    static QList<AddressPartRange> rangeTableFromAddressLabeledValue(const LabeledValueRecord &record);

    // ---- Generic access by field identifier

    QString typeForIdentifier(const QString &identifier) const;
    // The contact's own kind of the field, else the "Type" of the window's custom item of
    // that name (a custom item this contact does not carry).
    QString typeForIdentifier(const QString &identifier,
                              const QList<CustomItemDefinition> &customItems) const;
    FieldValue valueForIdentifier(const QString &identifier);
    QString stringValueForIdentifier(const QString &identifier);
    void setValue(const FieldValue &value, const QString &identifier);
    void deleteValueForIdentifier(const QString &identifier);
    // The list of a labeled field or a "Labeled Value" custom item; none otherwise.
    std::optional<LabeledValueList> labeledValueForIdentifier(const QString &identifier);
    std::optional<LabeledValueRecord> labeledValueForIdentifier(const QString &identifier,
                                                                LabelIndex labelIndex);
    std::optional<LabeledValueRecord> labeledValueForIdentifier(const QString &identifier, qsizetype index);
    // A record (LabeledValueRecord) or a whole list (LabeledValueList).
    void addLabeledValue(const FieldValue &value, const QString &identifier);
    void replaceLabeledValue(const FieldValue &value, const QString &identifier);
    void replaceLabeledValue(const FieldValue &value, const QString &identifier, qsizetype index);
    void deleteLabeledValueForIdentifier(const QString &identifier, LabelIndex labelIndex);
    bool sortForIdentifier(const QString &identifier, const QString &sortKey, bool ascending);
    // True for a name that is, or stands for, a built-in field: never a custom item.
    static bool isReservedIdentifier(const QString &identifier);

    // ---- Photo and custom items

    QByteArray imageData() const { return imageData_; }
    QByteArray thumbnailImageData() const { return thumbnailImageData_; }
    // The picture, or a null image.
    QImage photo() const;
    // Stores the image as PNG (a null image clears the photo); marks changed.
    void setPhoto(const QImage &image);
    // Stores JPEG or PNG bytes as they are (any other image is stored as PNG); false and
    // nothing changed when the data is no image.
    bool setPhotoData(const QByteArray &data);
    // The picture, fitted within thumbnailSide (never enlarged), or the placeholder of a
    // person or a company; never null. Decoded at that size on each call, never kept: a
    // view that shows it often keeps its own, at the size it shows.
    QImage thumbnail() const;
    static constexpr int thumbnailSide = 512;
    // The bytes the picture is decoded from: the image data, else the thumbnail data.
    QByteArray photoData() const { return imageData_.isEmpty() ? thumbnailImageData_ : imageData_; }
    // True while the photo is the one the card was read with (an undo may bring it back):
    // such a photo leaves with its own bytes and type.
    bool photoIsAsRead() const { return !photoData().isEmpty() && photoData() == photoAsRead_; }
    // The picture decoded at no more than the box's size (keeping its proportions, never
    // enlarged; an invalid box decodes it whole), so a large picture never exists whole in
    // memory; a null image for data that is no picture or claims too many pixels. Any thread.
    static QImage decodePhoto(const QByteArray &data, QSize box = QSize());
    // True for PNG data with a chunk that claims more bytes than the data holds: the decoder
    // would allocate what some chunks claim (gigabytes, from a few hundred bytes of a file)
    // before finding them cut short. Such data is no picture; it is never handed to the
    // decoder.
    static bool photoClaimsMoreThanItHolds(const QByteArray &data);
    static QImage placeholder(bool showAsPerson);
    // Image data above this many bytes, or images of more pixels, are not decoded.
    static constexpr qsizetype maximumDecodedPixels = 64 * 1024 * 1024;

    QList<CustomItemDefinition> customItems() const { return customItems_; }
    // False (and logged) for an empty or reserved name.
    bool addCustomItem(const QString &type, const QString &name, const std::optional<QStringList> &labels,
                       const std::optional<QByteArray> &imageData);
    void changeCustomItem(const CustomItemDefinition &definition);
    std::optional<CustomItemDefinition> customItemForIdentifier(const QString &name) const;
    void deleteCustomItemForName(const QString &name);
    QStringList customIdentifiers() const;
    std::optional<CustomItemValue> customValueForIdentifier(const QString &name);
    QString stringValueForCustomIdentifier(const QString &name, qsizetype index) const;
    void setValueForCustomIdentifier(const QString &text, const QString &name, qsizetype index);

private:
    explicit QMPerson(std::shared_ptr<const CNContact> contact);
    QMPerson(const QMPerson &) = default;
    QMPerson &operator=(const QMPerson &) = default;

    enum LabeledField { Phone, Email, Url, Address, Sns, Ims, Relationship, Dates, LabeledFieldCount };
    static std::optional<LabeledField> labeledFieldForIdentifier(const QString &identifier);
    static const QString &identifierOfField(LabeledField field);
    static void normalize(LabeledField field, LabeledValueRecord &record);

    void takeSystemDefaults();
    void fillAllCaches();
    void loadLabeledValues(LabeledField field);
    LabeledValueList labeledValues(LabeledField field);
    void addValue(LabeledField field, const LabeledValueRecord &record);
    void replaceValue(LabeledField field, const LabeledValueRecord &record);
    void replaceList(LabeledField field, const LabeledValueList &list);
    void replaceValueAt(LabeledField field, const LabeledValueRecord &record, qsizetype index);
    NameRecord &cachedNameRecord();
    PhoneticNameRecord &cachedPhoneticRecord();
    // The text fields in the order of stringIdentifiers().
    enum StringField { Company, Department, Nickname, JobTitle, Title, Note, Suffix, StringFieldCount };
    static std::optional<StringField> stringFieldForIdentifier(const QString &identifier);
    QString stringFieldValue(StringField field);
    qsizetype customItemIndex(const QString &name) const;
    void defineLabeledCustomItem(const QString &name, const LabeledValueList &list);
    static LabeledValueList numberedByPosition(const LabeledValueList &list);
    void setPhotoBytes(const QByteArray &bytes);
    static const QStringList &namePartIdentifiers();

    bool showAsPerson_ = true;
    bool created_ = false;
    bool changed_ = false;
    std::optional<BirthdayRecord> birthdayValue_;
    qint64 defaultNameOrdering_ = 0;
    QString defaultCountryCode_;
    std::optional<QString> compositeName_;
    // Shared, never changed: a record copied for a reading thread keeps pointing at it.
    std::shared_ptr<const CNContact> cnContact_;
    qint64 nameOrdering_ = 0;
    // Custom item values by name. The text fields are kept apart, by position: every card
    // read fills all of them, and a hash per card cost more than the rest of the record.
    QHash<QString, CustomItemValue> items_;
    std::array<std::optional<QString>, StringFieldCount> strings_;
    std::optional<NameRecord> nameValue_;
    std::optional<PhoneticNameRecord> phoneticNameValue_;
    std::array<StoredLabeledValues, LabeledFieldCount> labeledValues_;
    QByteArray imageData_;
    QByteArray thumbnailImageData_;
    QByteArray photoAsRead_;
    QString uniqueId_;
    CNCardIdentity cardIdentity_;
    QString uniqueId2_;
    QList<CustomItemDefinition> customItems_;
};
