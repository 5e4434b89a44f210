#pragma once

#include "app/ContactsReader.h"
#include "platform/ui/ViewController.h"

class QListWidget;

namespace tessarin {

// The document window's content until the main view takes its place: the names of the
// all-contacts group.
class ContactNamesViewController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

    DocumentContentsPtr contents() const { return contents_; }
    void setContents(DocumentContentsPtr contents);
    QListWidget *listView();

protected:
    QWidget *loadView() override;

private:
    DocumentContentsPtr contents_;
};

} // namespace tessarin
