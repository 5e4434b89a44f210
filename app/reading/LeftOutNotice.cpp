#include "app/reading/LeftOutNotice.h"

#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/core/Localization.h"

namespace tessarin {

namespace {

QString countedLine(qsizetype count, const char *one, const char *many) {
    return count == 1 ? L(one) : L(many).arg(count);
}

// A file cut short may leave thousands of cards open: the first few are named.
constexpr qsizetype NamedCards = 10;

QString cardNames(const QStringList &names) {
    QStringList quoted;
    for (const QString &name : names.first(std::min(names.size(), NamedCards)))
        quoted.append(L("“%1”").arg(name));
    const QString named = quoted.join(QLatin1String(", "));
    return names.size() > NamedCards ? L("%1 and %2 more").arg(named).arg(names.size() - NamedCards) : named;
}

} // namespace

std::optional<Alert> leftOutAlert(const QString &fileName, const VCardLeftOut &leftOut) {
    if (leftOut.isEmpty())
        return std::nullopt;
    QStringList lines;
    if (leftOut.cards > 0)
        lines.append(countedLine(leftOut.cards, "1 card could not be read.", "%1 cards could not be read."));
    if (!leftOut.incompleteCards.isEmpty())
        lines.append(countedLine(leftOut.incompleteCards.size(),
                                 "1 card has no END:VCARD and may be incomplete; it was kept as it was read: %2.",
                                 "%1 cards have no END:VCARD and may be incomplete; they were kept as they "
                                 "were read: %2.")
                         .arg(cardNames(leftOut.incompleteCards)));
    if (leftOut.nestedCards > 0)
        lines.append(countedLine(leftOut.nestedCards, "1 card nested more than %2 levels deep was left out.",
                                 "%1 cards nested more than %2 levels deep were left out.")
                         .arg(CNContactVCardSerialization::maximumNesting));
    if (leftOut.photos > 0)
        lines.append(countedLine(leftOut.photos, "1 photo larger than %2 MB was left out; its card was read.",
                                 "%1 photos larger than %2 MB were left out; their cards were read.")
                         .arg(CNContactVCardSerialization::maximumImageDataSize / (1024 * 1024)));
    if (leftOut.customItems > 0)
        lines.append(countedLine(leftOut.customItems,
                                 "1 custom item without a value, or named like a field, was left out.",
                                 "%1 custom items without a value, or named like a field, were left out."));
    if (!leftOut.lines.isEmpty())
        lines.append(L("Lines a contact has no place for were left out: %1.")
                         .arg(leftOut.lines.join(QLatin1String(", "))));
    if (!leftOut.parameters.isEmpty())
        lines.append(L("Parameters a contact has no place for were left out: %1.")
                         .arg(leftOut.parameters.join(QLatin1String(", "))));
    Alert alert;
    alert.messageText = leftOut.nothingLeftOut() ? L("Some cards of “%1” may be incomplete.").arg(fileName)
                                                 : L("Some contents of “%1” were left out.").arg(fileName);
    alert.informativeText = lines.join(u'\n');
    alert.alertStyle = Alert::Informational;
    return alert;
}

void showLeftOut(QWidget *window, const QString &fileName, const VCardLeftOut &leftOut,
                 std::function<void()> then) {
    const std::optional<Alert> alert = leftOutAlert(fileName, leftOut);
    if (!alert) {
        if (then)
            then();
        return;
    }
    alert->beginSheetModalForWindow(window, [then = std::move(then)](int) {
        if (then)
            then();
    });
}

} // namespace tessarin
