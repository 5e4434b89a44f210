#pragma once

#include <QImage>

class Menu;
class Responder;
class QWidget;

// What the editors that take a picture (a contact's photo, a custom item's icon) share.
namespace PictureChoice {

// The picture menu: Replace Image and Delete Image for a picture that is set, else Add
// Image; the items go to `target` ("addImage:", "deleteImage:").
void fillImageMenu(Menu *menu, bool hasPicture, Responder *target);
// A picture the user picks in the open panel, shown from `from` (inside a popover, so the
// panel belongs to it and does not close it). A file that is no image gets the alert and
// gives a null image, as does Cancel.
QImage choosePicture(QWidget *from);

} // namespace PictureChoice
