#pragma once

#include <QString>

class QFormLayout;
class QLabel;
class QLineEdit;
class QWidget;

// The captioned rows of the popover editors' bodies, laid out alike in every editor.
namespace EditorForm {

QFormLayout *make(QWidget *body);
// Adds a row; answers its caption.
QLabel *addRow(QFormLayout *form, const QString &caption, QWidget *field);
// Adds a text field as wide as the form, named by its placeholder.
QLineEdit *addField(QFormLayout *form, const QString &placeholder);

} // namespace EditorForm
