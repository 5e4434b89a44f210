#include "app/ContactNamesViewController.h"

#include <QListWidget>

namespace tessarin {

QWidget *ContactNamesViewController::loadView() {
    auto *list = new QListWidget;
    list->setUniformItemSizes(true);
    return list;
}

QListWidget *ContactNamesViewController::listView() {
    return static_cast<QListWidget *>(view());
}

void ContactNamesViewController::setContents(DocumentContentsPtr contents) {
    contents_ = std::move(contents);
    QListWidget *list = listView();
    list->clear();
    if (contents_)
        list->addItems(contents_->contactNames());
}

} // namespace tessarin
