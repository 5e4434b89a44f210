#include "editors/EditorForm.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

QFormLayout *EditorForm::make(QWidget *body) {
    auto *form = new QFormLayout(body);
    form->setContentsMargins(0, 4, 0, 4);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return form;
}

QLabel *EditorForm::addRow(QFormLayout *form, const QString &caption, QWidget *field) {
    auto *label = new QLabel(caption);
    form->addRow(label, field);
    return label;
}

QLineEdit *EditorForm::addField(QFormLayout *form, const QString &placeholder) {
    auto *edit = new QLineEdit;
    edit->setPlaceholderText(placeholder);
    form->addRow(edit);
    return edit;
}
