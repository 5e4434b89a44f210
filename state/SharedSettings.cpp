#include "state/SharedSettings.h"

#include "platform/core/UserDefaults.h"

#include <QVariantMap>

namespace {

const QString &selectedViewTypeKey = ViewTypes::SelectedViewTypeKey;
const QString &viewTypeDictKey = ViewTypes::ViewTypeDictKey;
const QString &selectedLabelsKey = ViewTypes::SelectedLabelsKey;
const QString &sortOptionsDictKey = SortOptions::SortOptionsDictKey;
const QString &sortOptionsDefaultKey = SortOptions::SortOptionsDefaultKey;
const QString keyKey = QStringLiteral("key");
const QString ascendingKey = QStringLiteral("ascending");

ViewTypeTable viewTypesFromVariant(const QVariantMap &stored) {
    ViewTypeTable table;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        table.insert(it.key(), it.value().toStringList());
    return table;
}

ColumnWidthTable widthsFromVariant(const QVariantMap &stored) {
    ColumnWidthTable widths;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        widths.insert(it.key(), it.value().toDouble());
    return widths;
}

QVariantMap toVariant(const ViewTypeTable &table) {
    QVariantMap stored;
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        stored.insert(it.key(), it.value());
    return stored;
}

QVariantMap toVariant(const SortOptionsTable &table) {
    QVariantMap stored;
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        stored.insert(it.key(), SortOptions::entryToVariant(*it));
    return stored;
}

template <typename Value> QVariantMap toVariant(const QMap<QString, Value> &map) {
    QVariantMap stored;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        stored.insert(it.key(), it.value());
    return stored;
}

std::weak_ptr<SharedSettings> &sharedInstance() {
    static std::weak_ptr<SharedSettings> instance;
    return instance;
}

} // namespace

std::shared_ptr<SharedSettings> SharedSettings::shared() {
    std::shared_ptr<SharedSettings> settings = sharedInstance().lock();
    if (!settings) {
        settings = std::make_shared<SharedSettings>();
        sharedInstance() = settings;
    }
    return settings;
}

SharedSettings::SharedSettings() {
    load();
}

void SharedSettings::load() {
    UserDefaults &defaults = UserDefaults::standard();
    const QVariant labels = defaults.object(selectedLabelsKey);
    if (labels.isValid()) {
        selectedLabels_ = labels.toStringList();
    } else {
        selectedLabels_ = {AllLabels};
        defaults.setObject(selectedLabels_, selectedLabelsKey);
    }
    viewTypeDict_ = viewTypesFromVariant(defaults.dictionaryForKey(viewTypeDictKey));
    if (viewTypeDict_.isEmpty()) {
        viewTypeDict_ = ViewTypes::factoryViewTypeTable();
        defaults.setObject(toVariant(viewTypeDict_), viewTypeDictKey);
    }
    const QVariant viewType = defaults.object(selectedViewTypeKey);
    if (viewType.isValid()) {
        selectedViewType_ = viewType.toString();
    } else {
        selectedViewType_ = DefaultViewType;
        defaults.setObject(selectedViewType_, selectedViewTypeKey);
    }

    sortOptionsDict_.clear();
    const QVariantMap sortOptions = defaults.dictionaryForKey(sortOptionsDictKey);
    for (auto it = sortOptions.cbegin(); it != sortOptions.cend(); ++it)
        sortOptionsDict_.insert(it.key(), SortOptions::entryFromVariant(it.value().toMap()));
    sortOptionsDefault_.reset();
    if (defaults.object(sortOptionsDefaultKey).isValid()) {
        QMap<QString, QString> current;
        const QVariantMap stored = defaults.dictionaryForKey(sortOptionsDefaultKey);
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            current.insert(it.key(), it.value().toString());
        sortOptionsDefault_ = current;
    }

    lastSortDesc_.reset();
    const QVariantMap last = defaults.dictionaryForKey(LastSortKey);
    if (!last.isEmpty())
        lastSortDesc_ = SortDescriptor{last.value(keyKey).toString(), last.value(ascendingKey).toBool(), false};
    columnWidthDictionary_.reset();
    if (const QVariant stored = defaults.object(ColumnWidthKey); stored.isValid())
        columnWidthDictionary_ = widthsFromVariant(stored.toMap());
}

ViewTypeTable SharedSettings::storedViewTypeDict() const {
    UserDefaults &defaults = UserDefaults::standard();
    defaults.synchronize();
    const ViewTypeTable stored = viewTypesFromVariant(defaults.dictionaryForKey(viewTypeDictKey));
    return stored.isEmpty() ? ViewTypes::factoryViewTypeTable() : stored;
}

ColumnWidthTable SharedSettings::storedColumnWidthDictionary() const {
    UserDefaults &defaults = UserDefaults::standard();
    defaults.synchronize();
    return widthsFromVariant(defaults.dictionaryForKey(ColumnWidthKey));
}

void SharedSettings::reload() {
    load();
    emit viewTypeDictChanged();
    emit selectedViewTypeChanged();
    emit selectedLabelsChanged();
    emit sortOptionsDictChanged();
    emit columnWidthDictionaryChanged();
}

void SharedSettings::setSelectedViewType(const QString &viewType) {
    UserDefaults::standard().setObject(viewType, selectedViewTypeKey);
    if (viewType == selectedViewType_)
        return;
    selectedViewType_ = viewType;
    emit selectedViewTypeChanged();
}

void SharedSettings::setViewTypeDict(const ViewTypeTable &table) {
    UserDefaults::standard().setObject(toVariant(table), viewTypeDictKey);
    if (table == viewTypeDict_)
        return;
    viewTypeDict_ = table;
    emit viewTypeDictChanged();
}

void SharedSettings::setSelectedLabels(const QStringList &labels) {
    UserDefaults::standard().setObject(labels, selectedLabelsKey);
    if (labels == selectedLabels_)
        return;
    selectedLabels_ = labels;
    emit selectedLabelsChanged();
}

bool SharedSettings::labelPasses(const std::optional<QString> &label) const {
    return labelPasses(selectedLabels_, label);
}

bool SharedSettings::labelPasses(const QStringList &selectedLabels, const std::optional<QString> &label) {
    if (selectedLabels.isEmpty() || selectedLabels.first() == AllLabels)
        return true;
    return label && selectedLabels.contains(*label);
}

void SharedSettings::setSortOptionsDict(const SortOptionsTable &table) {
    UserDefaults::standard().setObject(toVariant(table), sortOptionsDictKey);
    if (table == sortOptionsDict_)
        return;
    sortOptionsDict_ = table;
    emit sortOptionsDictChanged();
}

bool SharedSettings::setSortOptionSelected(const QString &identifier, const QString &option) {
    const auto entry = sortOptionsDict_.constFind(identifier);
    if (entry == sortOptionsDict_.cend())
        return false;
    if (entry->selected != option) {
        SortOptionsTable table = sortOptionsDict_;
        table[identifier].selected = option;
        setSortOptionsDict(table);
    }
    return true;
}

void SharedSettings::setSortOptionsDefault(const QMap<QString, QString> &options) {
    UserDefaults::standard().setObject(toVariant(options), sortOptionsDefaultKey);
    sortOptionsDefault_ = options;
}

void SharedSettings::setLastSortDesc(const SortDescriptor &descriptor) {
    UserDefaults::standard().setObject(QVariantMap{{keyKey, descriptor.key}, {ascendingKey, descriptor.ascending}},
                                       LastSortKey);
    lastSortDesc_ = SortDescriptor{descriptor.key, descriptor.ascending, false};
}

void SharedSettings::setColumnWidthDictionary(const ColumnWidthTable &widths) {
    UserDefaults::standard().setObject(toVariant(widths), ColumnWidthKey);
    if (columnWidthDictionary_ == widths)
        return;
    columnWidthDictionary_ = widths;
    emit columnWidthDictionaryChanged();
}
