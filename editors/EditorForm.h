#pragma once

#include <QString>

class QFormLayout;
class QLabel;
class QWidget;

// The captioned rows of the popover editors' bodies, laid out alike in every editor.
namespace EditorForm {

QFormLayout *make(QWidget *body);
// Adds a row; answers its caption.
QLabel *addRow(QFormLayout *form, const QString &caption, QWidget *field);

} // namespace EditorForm
