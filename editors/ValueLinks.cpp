#include "editors/ValueLinks.h"

#include "model/PersonRecords.h"
#include "platform/ui/Workspace.h"

const std::array<ValueLinks::MapItem, 2> &ValueLinks::mapItems() {
    static const std::array<MapItem, 2> items = {{{"Open in Maps", OpenInMaps}, {"Open Web Map", OpenWebMap}}};
    return items;
}

bool ValueLinks::openValue(const QString &identifier, const QString &text, const QString &item) {
    if (text.isEmpty())
        return false;
    if (identifier == FieldId::Address)
        return item == OpenWebMap ? Workspace::openURL(Workspace::webMapSearchURL(text))
                                  : Workspace::openMapSearch(text);
    if (identifier == FieldId::Email)
        return Workspace::openURL(Workspace::mailURL(text));
    if (identifier == FieldId::Phone)
        return Workspace::openURL(Workspace::phoneURL(text));
    if (identifier == FieldId::URL)
        return Workspace::openURL(Workspace::webPageURL(text));
    return false;
}
