#pragma once

#include <QSet>
#include <QString>

class QObject;

// The contact popover and the detached contact windows that the contacts table opens.
// The main view asks them to open, refresh and close; a window without them does nothing.
class ContactWindows {
public:
    virtual ~ContactWindows() = default;
    // Opens the popover for the selected row; a non-empty option starts editing its name.
    virtual void showContactInfoPopoverWithOption(const QString &option) = 0;
    // Refreshes the open popover when it is the sender.
    virtual void updatePopoverIfSender(QObject *sender) = 0;
    virtual void updateDetachedWindows(const QString &uniqueId) = 0;
    // Closes the popover showing one of the contacts and their detached windows.
    virtual void closeContactWindows(const QSet<QString> &uniqueIds) = 0;
    virtual void closeAllDetachedWindows() = 0;
};
