// vCard text into containers: cutting the text into cards, categories and X- lines.
#include "model/QMvCard.h"

#include "platform/contacts/CNLabels.h"
#include "platform/contacts/VCardSyntax.h"
#include "platform/core/Localization.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>

namespace {

bool isNewline(char16_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool startsWithIgnoringCase(QStringView text, qsizetype at, QLatin1StringView upperCase) {
    if (text.size() - at < upperCase.size())
        return false;
    for (qsizetype i = 0; i < upperCase.size(); ++i) {
        char16_t c = text[at + i].unicode();
        if (c >= u'a' && c <= u'z')
            c -= 0x20;
        if (c != char16_t(upperCase[i].unicode()))
            return false;
    }
    return true;
}

constexpr QLatin1StringView beginMarker("BEGIN:VCARD");
constexpr QLatin1StringView endMarker("END:VCARD");

// The start of the next line at or after `from` (a position just after a line break, or
// 0), or the text's size.
qsizetype nextLineStart(QStringView text, qsizetype from) {
    if (from == 0)
        return 0;
    for (qsizetype i = from; i < text.size(); ++i)
        if (isNewline(text[i - 1].unicode()))
            return i;
    return text.size();
}

qsizetype skipLine(QStringView text, qsizetype from) {
    qsizetype i = from;
    while (i < text.size() && !isNewline(text[i].unicode()))
        ++i;
    return i < text.size() ? i + 1 : i;
}

struct CardRange {
    qsizetype begin = -1;
    qsizetype end = -1; // just past the line break after END:VCARD, or past END:VCARD
};

// The next card from `from`: its BEGIN:VCARD and END:VCARD stand at line starts, so a
// note that mentions them does not cut the card. A card nested in another (vCard 2.1
// AGENT) stays inside it; when the nesting never closes, the first END ends the card.
CardRange nextCard(QStringView text, qsizetype from) {
    CardRange card;
    qsizetype line = nextLineStart(text, from);
    while (line < text.size() && !startsWithIgnoringCase(text, line, beginMarker))
        line = skipLine(text, line);
    if (line >= text.size())
        return {};
    card.begin = line;
    int depth = 1;
    qsizetype firstEnd = -1;
    qsizetype endAt = -1;
    for (line = skipLine(text, line); line < text.size(); line = skipLine(text, line)) {
        if (startsWithIgnoringCase(text, line, beginMarker)) {
            ++depth;
        } else if (startsWithIgnoringCase(text, line, endMarker)) {
            if (firstEnd < 0)
                firstEnd = line;
            if (--depth == 0) {
                endAt = line;
                break;
            }
        }
    }
    if (endAt < 0)
        endAt = firstEnd;
    if (endAt < 0)
        return {};
    qsizetype end = endAt + endMarker.size();
    while (end < text.size() && !isNewline(text[end].unicode()))
        ++end;
    if (end < text.size())
        end += text.sliced(end).startsWith(u"\r\n") ? 2 : 1;
    card.end = end;
    return card;
}

// Calls visit(line) for each line of the card at its own level (lines of nested cards
// left out), folded lines joined. Lines end at CR, LF or CRLF, as the serializer reads
// them.
template <typename Visit> void forEachUnfoldedLine(QStringView card, Visit visit) {
    int depth = 0;
    QString joined;
    QStringView pending;
    bool havePending = false;
    auto flush = [&] {
        if (!havePending)
            return;
        const QStringView line = joined.isNull() ? pending : QStringView(joined);
        if (startsWithIgnoringCase(line, 0, beginMarker))
            ++depth;
        else if (startsWithIgnoringCase(line, 0, endMarker))
            --depth;
        else if (depth == 1)
            visit(line);
        joined = QString();
        havePending = false;
    };
    qsizetype i = 0;
    while (i < card.size()) {
        qsizetype end = i;
        while (end < card.size() && card[end] != u'\r' && card[end] != u'\n')
            ++end;
        const QStringView physical = card.sliced(i, end - i);
        if (havePending && !physical.isEmpty() && (physical[0] == u' ' || physical[0] == u'\t')) {
            if (joined.isNull())
                joined = pending.toString();
            joined += physical.sliced(1);
        } else {
            flush();
            pending = physical;
            havePending = true;
        }
        i = end;
        if (i < card.size() && card[i] == u'\r')
            ++i;
        if (i < card.size() && card[i] == u'\n')
            ++i;
    }
    flush();
}

// Splits at commas that no backslash escapes, then unescapes each part.
QStringList splitEscapedList(QStringView value) {
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\') {
            ++i;
        } else if (value[i] == u',') {
            parts.append(VCardSyntax::unescape(value.sliced(start, i - start).toString()));
            start = i + 1;
        }
    }
    parts.append(VCardSyntax::unescape(value.sliced(start).toString()));
    return parts;
}

// Extensions the serializer reads into fields (in any case): as custom items too they
// would come back twice after an export.
bool isReadAsField(const QString &name) {
    static const QStringList names = {QStringLiteral("ABADR"),
                                      QStringLiteral("ABDATE"),
                                      QStringLiteral("ABLABEL"),
                                      QStringLiteral("ABRELATEDNAMES"),
                                      QStringLiteral("ABSHOWAS"),
                                      QStringLiteral("MAIDENNAME"),
                                      QStringLiteral("PHONETIC-FIRST-NAME"),
                                      QStringLiteral("PHONETIC-MIDDLE-NAME"),
                                      QStringLiteral("PHONETIC-LAST-NAME"),
                                      QStringLiteral("SOCIALPROFILE"),
                                      QStringLiteral("AIM"),
                                      QStringLiteral("FACEBOOK"),
                                      QStringLiteral("GADUGADU"),
                                      QStringLiteral("GOOGLETALK"),
                                      QStringLiteral("GOOGLE-TALK"),
                                      QStringLiteral("GTALK"),
                                      QStringLiteral("ICQ"),
                                      QStringLiteral("JABBER"),
                                      QStringLiteral("MSN"),
                                      QStringLiteral("QQ"),
                                      QStringLiteral("SKYPE"),
                                      QStringLiteral("YAHOO")};
    return names.contains(name, Qt::CaseInsensitive);
}

struct CustomLine {
    QString name;
    std::optional<QString> label;
    QString value;
};

// "X-NAME:value" or "X-NAME;params:value"; the parameters end at the first colon outside
// double quotes, and a quoted label is unquoted.
std::optional<CustomLine> parseCustomLine(QStringView line) {
    if (!line.startsWith(u"X-"))
        return std::nullopt;
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const qsizetype semicolon = line.left(colon).indexOf(u';');
    CustomLine custom;
    if (semicolon < 0) {
        custom.name = line.sliced(2, colon - 2).toString();
        custom.value = VCardSyntax::unescape(line.sliced(colon + 1).toString());
        return custom;
    }
    qsizetype end = semicolon + 1;
    bool quoted = false;
    for (; end < line.size(); ++end) {
        if (line[end] == u'"')
            quoted = !quoted;
        else if (line[end] == u':' && !quoted)
            break;
    }
    if (end >= line.size())
        return std::nullopt;
    custom.name = line.sliced(2, semicolon - 2).toString();
    const QStringView parameters = line.sliced(semicolon + 1, end - semicolon - 1);
    const qsizetype type = parameters.indexOf(u"type=");
    QStringView label = type < 0 ? parameters : parameters.sliced(type + 5);
    if (label.size() >= 2 && label.front() == u'"' && label.back() == u'"')
        label = label.sliced(1, label.size() - 2);
    custom.label = label.toString();
    custom.value = VCardSyntax::unescape(line.sliced(end + 1).toString());
    return custom;
}

SharedGroup allContactsGroup() {
    auto group = std::make_shared<GroupRecord>();
    group->top = true;
    group->name = L("All Contacts");
    group->containerName = VCardContainerName;
    group->uniqueId = QString();
    return group;
}

SharedGroup categoryGroup(const QString &name) {
    auto group = std::make_shared<GroupRecord>();
    group->name = name;
    group->containerName = LocalContainerName;
    group->uniqueId = name + u'-' + QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    return group;
}

} // namespace

namespace {

constexpr QStringView categoriesProperty = u"CATEGORIES:";

// An X- line that may become a custom item: not reserved, not read as a field.
std::optional<CustomLine> customItemLine(QStringView line) {
    auto custom = parseCustomLine(line);
    if (!custom || CNIsReservedVCardExtensionName(custom->name) || isReadAsField(custom->name) ||
        QMPerson::isReservedIdentifier(custom->name))
        return std::nullopt;
    return custom;
}

// The lines a card's contact gets from the text itself, besides its fields.
struct CardExtras {
    QStringList categories;
    QList<CustomLine> customLines;
};

// One pass over the card for both: reading a file visits every card.
CardExtras cardExtras(QStringView card) {
    CardExtras extras;
    forEachUnfoldedLine(card, [&](QStringView line) {
        if (line.startsWith(categoriesProperty))
            extras.categories += splitEscapedList(line.sliced(categoriesProperty.size()));
        else if (auto custom = customItemLine(line))
            extras.customLines.append(std::move(*custom));
    });
    return extras;
}

// One item has one kind per contact: any labeled line makes the item labeled, and its
// plain lines become values without a label.
void addCustomItems(const QList<CustomLine> &lines, QMPerson &person) {
    QStringList names;
    for (const CustomLine &line : lines)
        if (!names.contains(line.name))
            names.append(line.name);
    for (const QString &name : std::as_const(names)) {
        bool labeled = false;
        for (const CustomLine &line : lines)
            labeled = labeled || (line.name == name && line.label);
        if (!labeled) {
            QString value;
            for (const CustomLine &line : lines)
                if (line.name == name)
                    value = line.value;
            if (!person.customIdentifiers().contains(name))
                person.addCustomItem(ValueKind::String, name, std::nullopt, std::nullopt);
            person.setValue(value, name);
            continue;
        }
        LabeledValueList values;
        QStringList labels;
        for (const CustomLine &line : lines) {
            if (line.name != name)
                continue;
            LabeledValueRecord record;
            record.label = line.label.value_or(QString());
            record.value = line.value;
            record.stringValue = line.value;
            record.labelIndex = values.size();
            values.append(record);
            if (!record.labelText().isEmpty() && !labels.contains(record.labelText()))
                labels.append(record.labelText());
        }
        person.addCustomItem(ValueKind::Labeled, name, labels, std::nullopt);
        person.setValue(values, name);
    }
}

} // namespace

QStringList QMvCard::findCategories2(QStringView card) {
    QStringList categories;
    forEachUnfoldedLine(card, [&](QStringView line) {
        if (line.startsWith(categoriesProperty))
            categories += splitEscapedList(line.sliced(categoriesProperty.size()));
    });
    return categories;
}

void QMvCard::decodeVCardCustomItems(QStringView card, QMPerson &person) {
    QList<CustomLine> lines;
    forEachUnfoldedLine(card, [&](QStringView line) {
        if (auto custom = customItemLine(line))
            lines.append(std::move(*custom));
    });
    addCustomItems(lines, person);
}

std::shared_ptr<ContainerTable> QMvCard::containersFromVCards(const QString &text, QString *,
                                                              const ProgressHandler &progressHandler) const {
    const SharedGroup all = allContactsGroup();
    ContainerRecord container;
    container.name = VCardContainerName;
    container.type = 1;
    container.groups.append(all);

    const QStringView whole(text);
    QHash<QString, SharedGroup> categories;
    qsizetype cursor = 0;
    while (whole.size() - cursor >= beginMarker.size()) {
        const CardRange range = nextCard(whole, cursor);
        if (range.begin < 0)
            break;
        const QStringView cardText = whole.sliced(range.begin, range.end - range.begin);

        const CardExtras extras = cardExtras(cardText);
        QList<SharedGroup> groups;
        for (const QString &category : extras.categories) {
            const QString name = category.trimmed();
            if (name.isEmpty())
                continue;
            SharedGroup &group = categories[name];
            if (!group) {
                group = categoryGroup(name);
                container.groups.append(group);
            }
            if (!groups.contains(group))
                groups.append(group);
        }

        // Cards come in the order they end: the card's own contact is the last.
        auto persons = QMPerson::personsWithVCardData(cardText.toUtf8());
        for (size_t i = 0; i < persons.size(); ++i) {
            std::shared_ptr<QMPerson> person(std::move(persons[i]));
            ContactEntry entry = ContactEntry::withPerson(person);
            entry.isNew = true;
            // The card's own lines belong to its outer contact; a nested card is kept
            // with its fields only.
            if (i + 1 == persons.size()) {
                addCustomItems(extras.customLines, *person);
                for (const SharedGroup &group : std::as_const(groups))
                    group->contactTable->append(entry);
            }
            all->contactTable->append(std::move(entry));
        }

        cursor = range.end;
        if (progressHandler) {
            bool stop = false;
            progressHandler(&stop, quint64(cursor));
            if (stop)
                return nullptr;
        }
    }

    std::stable_sort(container.groups.begin(), container.groups.end(),
                     [](const SharedGroup &a, const SharedGroup &b) {
                         if (a->top != b->top)
                             return a->top;
                         return a->name < b->name;
                     });
    return std::make_shared<ContainerTable>(ContainerTable{container});
}

SharedContactTable QMvCard::contactsInContainer(const ContainerRecord &container) {
    if (container.name != VCardContainerName || container.groups.isEmpty())
        return nullptr;
    return container.groups.first()->contactTable;
}

SharedContactTable QMvCard::contactsForGroup(const GroupRecord &group, const ContainerRecord &container) {
    if (container.name != VCardContainerName)
        return nullptr;
    for (const SharedGroup &candidate : container.groups)
        if (candidate->uniqueId == group.uniqueId)
            return candidate->contactTable;
    return nullptr;
}
