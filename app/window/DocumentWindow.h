#pragma once

#include "model/ContactContainers.h"

#include <memory>

class Document;
class Menu;

namespace tessarin {

class WindowController;

// Makes a document's window and hands it the document's tables: an untitled document gets
// an empty "vCard" container, a window without a stored frame the default frame, and a
// CSV document opens locked. The window owns the tables from then on.
WindowController *makeDocumentWindow(::Document *document, std::shared_ptr<ContainerTable> containerTable);

// The menus of a document window beside the standard ones: the File commands of the
// contacts, Edit, Format, Navigate (whose items carry the toolbar's pull-down menus) and View.
void addDocumentWindowMenus(Menu *mainMenu);

} // namespace tessarin
