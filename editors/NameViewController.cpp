#include "editors/NameViewController.h"

#include "editors/EditorForm.h"
#include "editors/PhotoScaling.h"
#include "editors/PictureChoice.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/core/Localization.h"
#include "platform/ui/Menu.h"

#include <QComboBox>
#include <QFormLayout>
#include <QIcon>
#include <QLineEdit>

namespace {

constexpr int kPictureSide = 48;
constexpr int kCompanyDisplay = 1;

PopoverEditor::Departures nameDepartures() {
    PopoverEditor::Departures departures;
    departures.appliesAtOnce = true;
    departures.returnAfterEditButton = true;
    return departures;
}

QString orderingTitleForSystem() {
    switch (CNContactsUserDefaults::sharedDefaults().sortOrder()) {
    case CNContactSortOrder::GivenName:
        return L("Name Ordering System Default (First Name)");
    case CNContactSortOrder::FamilyName:
        return L("Name Ordering System Default (Last Name)");
    default:
        return L("Name Ordering System Default");
    }
}

} // namespace

NameViewController::NameViewController(QObject *parent)
    : PopoverEditor(nameDepartures(), parent) {
    registerAction(QStringLiteral("addImage:"), [this](QObject *) { addImage(); });
    registerAction(QStringLiteral("deleteImage:"), [this](QObject *) { deleteImage(); });
}

QWidget *NameViewController::makePictureView() {
    imagePopup_ = new PullDownButton;
    imagePopup_->setObjectName(QStringLiteral("imagePopup"));
    imagePopup_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    imagePopup_->setIconSize(QSize(kPictureSide, kPictureSide));
    auto *menu = new Menu;
    menu->setDelegate(this);
    imagePopup_->setPullDownMenu(menu);
    return imagePopup_;
}

QWidget *NameViewController::makeBody() {
    auto *body = new QWidget;
    auto *form = EditorForm::make(body);
    form->setVerticalSpacing(4);
    const auto field = [form](const QString &key) {
        return EditorForm::addField(form, CNContact::localizedStringForKey(key));
    };
    firstNameField_ = field(CNContactGivenNameKey);
    middleNameField_ = field(CNContactMiddleNameKey);
    lastNameField_ = field(CNContactFamilyNameKey);
    previousFamilyNameField_ = field(CNContactPreviousFamilyNameKey);
    companyField_ = field(CNContactOrganizationNameKey);
    for (QLineEdit *shown : {previousFamilyNameField_, companyField_})
        showAsLabel(shown);
    nameOrderingPopup_ = new PopUpButton;
    nameOrderingPopup_->addItems(
        {L("Name Ordering System Default"), L("First Name First"), L("Last Name First")});
    nameOrderingPopup_->setEnabled(false);
    form->addRow(nameOrderingPopup_);
    showAsPersonPopup_ = new PopUpButton;
    showAsPersonPopup_->addItems({L("Name Display: Person"), L("Name Display: Company")});
    form->addRow(showAsPersonPopup_);

    for (QLineEdit *edit : {firstNameField_, middleNameField_, lastNameField_})
        connect(edit, &QLineEdit::textEdited, this, &NameViewController::updateNameDict);
    connect(showAsPersonPopup_, &QComboBox::activated, this, &NameViewController::updateNameDict);
    return body;
}

std::shared_ptr<QMPerson> NameViewController::contact() const {
    return contextInfo() ? contextInfo()->contact.person : nullptr;
}

void NameViewController::fillFromContext(bool editable) {
    QMPerson &person = *contact();
    const NameRecord name = person.nameValue();
    nameDict_ = name;
    previousFamilyName_ = name.previousFamilyName;
    firstNameField_->setText(name.firstName);
    middleNameField_->setText(name.middleName);
    lastNameField_->setText(name.lastName);
    previousFamilyNameField_->setText(name.previousFamilyName);

    nameOrderingPopup_->setItemText(0, orderingTitleForSystem());
    nameOrderingPopup_->setCurrentIndex(
        name.nameOrdering == 1 || name.nameOrdering == 2 ? int(name.nameOrdering) : 0);
    nameOrderingPopup_->setToolTip(L("Sorry, change will not be saved due to the lack of system service."));
    showAsPersonPopup_->setCurrentIndex(name.showAsPerson.value_or(person.showAsPerson()) ? 0
                                                                                          : kCompanyDisplay);
    companyField_->setText(person.stringValueForIdentifier(FieldId::Company));
    const QImage photo = person.photo();
    showPicture(photo.isNull() ? person.thumbnail() : photo);
    for (QLineEdit *edit : {firstNameField_, middleNameField_, lastNameField_})
        edit->setReadOnly(!editable);
}

void NameViewController::showEditState(bool editing) {
    for (QLineEdit *edit : {firstNameField_, middleNameField_, lastNameField_})
        edit->setReadOnly(!editing);
    nameOrderingPopup_->setEnabled(false);
    showAsPersonPopup_->setEnabled(editing);
}

// Every change replaces the whole name record through the delegate: one keystroke, one
// undoable step.
void NameViewController::updateNameDict() {
    NameRecord record;
    record.firstName = firstNameField_->text();
    record.middleName = middleNameField_->text();
    record.lastName = lastNameField_->text();
    record.previousFamilyName = previousFamilyName_;
    record.nameOrdering = qMax(0, nameOrderingPopup_->currentIndex());
    record.stringValue = QMPerson::compositeNameFromNameDict(record);
    const bool asCompany = showAsPersonPopup_->currentIndex() == kCompanyDisplay;
    record.showAsPerson = !asCompany;
    contactNameField()->setText(asCompany ? companyField_->text() : record.stringValue);
    nameDict_ = record;
    if (delegate_ && contact())
        delegate_->undoReplaceNameValue(record, contact());
}

void NameViewController::updateUI() {
    if (!contact())
        return;
    contactNameField()->setText(contact()->compositeName());
    fillFromContext(isEditing());
}

bool NameViewController::writeAnswer(EditorContext &) {
    return true;
}

void NameViewController::clearFields() {
    for (QLineEdit *edit : {contactNameField(), firstNameField_, middleNameField_, lastNameField_})
        edit->clear();
}

void NameViewController::showPicture(const QImage &image) {
    const QIcon icon(QPixmap::fromImage(image));
    imagePopup_->setIcon(icon);
    if (MenuItem *item = imagePopup_->pullDownMenu()->itemAtIndex(0))
        item->setIcon(icon);
}

void NameViewController::menuNeedsUpdate(Menu *menu) {
    menu->removeAllItems();
    if (!contact())
        return;
    QMPerson &person = *contact();
    const QImage photo = person.photo();
    MenuItem *picture = menu->addItem(L("hidden"));
    picture->setIcon(QIcon(QPixmap::fromImage(photo.isNull() ? person.thumbnail() : photo)));
    if (isEditing())
        PictureChoice::fillImageMenu(menu, !photo.isNull(), this);
}

void NameViewController::addImage() {
    const std::optional<QImage> image = PhotoScaling::chooseImage(view());
    if (!image)
        return;
    if (delegate_ && contact())
        delegate_->undoReplacePhoto(FieldValue(*image), contact());
    showPicture(*image);
}

void NameViewController::deleteImage() {
    if (delegate_ && contact())
        delegate_->undoReplacePhoto(FieldValue(), contact());
    if (contact())
        showPicture(contact()->thumbnail());
}
