#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Helpers shared by the files of QMPerson; not for other callers.
namespace QMPersonInternal {

// Appends words to an identifier's custom label list alone (a labeled custom item made by
// the generic setter), under the label tables' lock.
void addCustomLabels(const QString &identifier, const QStringList &words);

// A fixed table keyed by field identifier. Callers nearly always pass the FieldId
// constants themselves, whose text every copy shares: their data pointers find them
// without hashing (the seeded hash of every identifier of every card read was a large
// part of reading a file). Other texts are looked up by hash.
template <typename Value> class IdentifierTable {
public:
    void insert(const QString &identifier, Value value) {
        byText_.insert(identifier, value);
        for (Entry &entry : shared_)
            if (entry.size == identifier.size() && QStringView(entry.data, entry.size) == identifier) {
                entry.value = value;
                return;
            }
        shared_.push_back({identifier.constData(), identifier.size(), value});
    }

    std::optional<Value> find(const QString &identifier) const {
        for (const Entry &entry : shared_)
            if (entry.data == identifier.constData() && entry.size == identifier.size())
                return entry.value;
        const auto found = byText_.constFind(identifier);
        return found == byText_.constEnd() ? std::nullopt : std::optional<Value>(*found);
    }

private:
    struct Entry {
        const QChar *data;
        qsizetype size;
        Value value;
    };
    std::vector<Entry> shared_;
    QHash<QString, Value> byText_;
};

} // namespace QMPersonInternal
