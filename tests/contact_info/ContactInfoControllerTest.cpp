#include "contact_info/ContactInfoController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/ListRowHeight.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "tests/contact_info/ContactInfoTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using RecordingInfoDelegate = EditingInfoDelegate;

class ContactInfoControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        controller.setDelegate(&delegate);
        window.setCentralWidget(controller.view());
        window.resize(500, 700);
        window.show();
    }
    void TearDown() override {
        UserDefaults::standard().removeObject(ContactInfoController::FontNameKey);
        UserDefaults::standard().removeObject(ContactInfoController::FontSizeKey);
    }
    void show(const ContactEntry &entry) {
        shown = entry;
        controller.setContact(&shown);
    }
    int rowOf(const QString &type, int nth = 0) const {
        for (int row = 0; row < controller.table().size(); ++row) {
            if (controller.table().at(row).type == type && nth-- == 0)
                return row;
        }
        return -1;
    }
    QList<int> selected() {
        QList<int> rows;
        for (const QModelIndex &index : controller.tableView()->selectionModel()->selectedRows())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void select(const QList<int> &rows) {
        QItemSelection selection;
        for (int row : rows)
            selection.select(controller.tableView()->model()->index(row, 0),
                             controller.tableView()->model()->index(row, 1));
        controller.tableView()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    int shownHeight(int row) { return controller.tableView()->verticalHeader()->sectionSize(row); }

    RecordingInfoDelegate delegate;
    ContactInfoController controller;
    Window window;
    ContactEntry shown;
};

TEST_F(ContactInfoControllerTest, RowHeightsFollowLinesAndThePhotoRowCount) {
    ContactEntry entry = fullContact();
    show(entry);
    const double height = controller.rowHeight();
    EXPECT_GE(height, 20.0);
    const int photo = rowOf("Photo");
    EXPECT_EQ(controller.iconRowCount(), 3);
    EXPECT_EQ(controller.tableViewHeightOfRow(photo), 3 * height + 2);
    EXPECT_EQ(shownHeight(photo), int(3 * height + 2));
    controller.setIconRowCount(1);
    EXPECT_EQ(controller.tableViewHeightOfRow(photo), height);

    const int note = rowOf("Note");
    EXPECT_EQ(controller.tableViewHeightOfRow(note), 3 * height + 2);
    EXPECT_EQ(controller.table().at(note).numLines, 3);
    EXPECT_EQ(shownHeight(note), int(3 * height + 2));
    EXPECT_EQ(controller.tableViewHeightOfRow(rowOf("Name")), height);
    EXPECT_EQ(controller.tableViewHeightOfRow(rowOf("Phone")), height);

    // CR LF is one line break, as drawn; a lone CR is one too.
    entry.person->setValue(FieldValue(QStringLiteral("one\r\ntwo\r\nthree\rfour")), FieldId::Note);
    controller.updateTable();
    EXPECT_EQ(controller.tableViewHeightOfRow(note), 4 * height + 2);
    entry.person->setValue(FieldValue(QStringLiteral("one line")), FieldId::Note);
    controller.updateTable();
    EXPECT_EQ(controller.tableViewHeightOfRow(note), height);
    EXPECT_EQ(controller.table().at(note).numLines, 1);

    // A two-line address value makes its row two lines high.
    LabeledValueRecord address = entry.person->addressValues().first();
    address.street = QStringLiteral("1 Main Street\nApartment 4");
    entry.person->replaceAddressValue(address);
    controller.updateTable();
    const int lines = entry.person->addressValues().first().stringValue.count('\n') + 1;
    EXPECT_EQ(controller.tableViewHeightOfRow(rowOf("Address")), lines < 2 ? height : lines * height + 2);
}

TEST_F(ContactInfoControllerTest, TypeColumnNamesAFieldOnceWithItsIcon) {
    ContactEntry entry = fullContact();
    ASSERT_TRUE(entry.person->addCustomItem(ValueKind::String, "Blog", std::nullopt, [] {
        QImage icon(8, 8, QImage::Format_RGB32);
        icon.fill(Qt::red);
        QByteArray data;
        QBuffer buffer(&data);
        icon.save(&buffer, "PNG");
        return data;
    }()));
    entry.person->setValueForCustomIdentifier("blog.example", "Blog", 0);
    CustomItemDefinition blog;
    blog.name = "Blog";
    blog.type = ValueKind::String;
    controller.windowState()->setCustomItems({blog});
    show(entry);
    const int email = rowOf("Email");
    EXPECT_EQ(controller.typeCellText(email), QMPerson::localizedIdentifierForKey("Email"));
    EXPECT_FALSE(controller.typeCellImage(email).isNull());
    for (int nth : {1, 2}) {
        EXPECT_EQ(controller.typeCellText(rowOf("Email", nth)), QString());
        EXPECT_TRUE(controller.typeCellImage(rowOf("Email", nth)).isNull());
    }
    EXPECT_EQ(controller.tableView()->model()->index(email, 0).data().toString(),
              controller.typeCellText(email));
    EXPECT_TRUE(controller.typeCellImage(rowOf("Name Ordering")).isNull());
    EXPECT_FALSE(controller.typeCellImage(rowOf("Name")).isNull());
    const QImage custom = controller.typeCellImage(rowOf("Blog"));
    ASSERT_FALSE(custom.isNull());
    EXPECT_EQ(custom.pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(ContactInfoControllerTest, PopupOnlyFieldsNeverEditInPlace) {
    show(fullContact());
    for (const char *type :
         {"Instant Message", "Address", "Dates", "Birthday", "Name Ordering", "Name Display"}) {
        controller.windowState()->setEditState(true);
        EXPECT_FALSE(controller.tableViewShouldEditTableColumn("Value", rowOf(type))) << type;
    }
    EXPECT_TRUE(controller.tableViewShouldEditTableColumn("Value", rowOf("Phone")));
    EXPECT_TRUE(controller.tableViewShouldEditTableColumn("Value", rowOf("Note")));
    EXPECT_FALSE(controller.tableViewShouldEditTableColumn("Type", rowOf("Note")));
    EXPECT_FALSE(controller.tableViewShouldEditTableColumn("Label", rowOf("Phone")));
}

TEST_F(ContactInfoControllerTest, TextCellsShowValuesPlaceholdersAndFindMarks) {
    ContactEntry entry = fullContact();
    show(entry);
    auto first = controller.textCellContent(rowOf("Name"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, "Johnny");
    const auto previous = controller.textCellContent(rowOf("Name", 3));
    EXPECT_EQ(previous->text, QString());
    EXPECT_EQ(previous->placeholder, "Maiden Name");
    EXPECT_EQ(controller.textCellContent(rowOf("Groups"))->text, "Family, Friends");
    EXPECT_EQ(controller.textCellContent(rowOf("Birthday"))->text,
              entry.person->birthdayValue()->stringValue);
    EXPECT_FALSE(controller.textCellContent(rowOf("Phone")));
    EXPECT_FALSE(controller.textCellContent(rowOf("Photo")));

    controller.windowState()->setFindString("LINE");
    controller.updateTable();
    EXPECT_EQ(controller.textCellContent(rowOf("Note"))->highlights.size(), 3);
    controller.windowState()->setFindOptions(ContactInfoController::CaseSensitive);
    controller.updateTable();
    EXPECT_TRUE(controller.textCellContent(rowOf("Note"))->highlights.isEmpty());

    // The current match marks only the phonetic part it was found in.
    controller.windowState()->setFindOptions(QString());
    controller.windowState()->setFindString("on");
    FindTarget target;
    target.contact = entry.person;
    target.uniqueId = entry.person->uniqueId();
    target.identifier = "Phonetic Name";
    target.subIdentifier = "FirstName";
    target.range = {1, 2};
    controller.windowState()->setFindTarget(target);
    controller.updateTable();
    const auto phoneticFirst = controller.textCellContent(rowOf("Phonetic Name"));
    EXPECT_TRUE(phoneticFirst->highlights.contains(TextHighlight{1, 2, TextHighlight::CurrentMatch}));
    const auto phoneticLast = controller.textCellContent(rowOf("Phonetic Name", 2));
    for (const TextHighlight &mark : phoneticLast->highlights)
        EXPECT_EQ(mark.kind, TextHighlight::FindMatch);
    target.range = {4, 9};
    controller.windowState()->setFindTarget(target);
    const auto outOfRange = controller.textCellContent(rowOf("Phonetic Name"));
    EXPECT_FALSE(outOfRange->highlights.isEmpty());
    for (const TextHighlight &mark : outOfRange->highlights)
        EXPECT_EQ(mark.kind, TextHighlight::FindMatch);
}

TEST_F(ContactInfoControllerTest, ThePhotoRowShowsThePictureDecodedAtItsSize) {
    ContactEntry entry = fullContact();
    QImage wide(1200, 600, QImage::Format_RGB32);
    wide.fill(Qt::red);
    entry.person->setPhoto(wide);
    show(entry);
    const auto shownSize = [this] {
        const QIcon icon = qobject_cast<PullDownButton *>(controller.valueCellWidget(rowOf("Photo")))->icon();
        return icon.availableSizes().value(0);
    };
    const auto side = [this] {
        return int(
            std::ceil((controller.tableViewHeightOfRow(rowOf("Photo")) - 4) * qApp->devicePixelRatio()));
    };
    EXPECT_EQ(shownSize(), QSize(side(), side() / 2)) << "fitted to the row, never decoded whole";
    // A taller row decodes it again at its size; a new photo is shown at once.
    controller.setIconRowCount(8);
    controller.updateTable();
    EXPECT_EQ(shownSize(), QSize(side(), side() / 2));
    entry.person->setPhoto(wide.transformed(QTransform().rotate(90)));
    controller.updateTable();
    EXPECT_EQ(shownSize(), QSize(side() / 2, side()));
}

TEST_F(ContactInfoControllerTest, PopupCellsFollowTheEditState) {
    ContactEntry entry = fullContact();
    show(entry);
    auto *ordering = qobject_cast<QComboBox *>(controller.valueCellWidget(rowOf("Name Ordering")));
    ASSERT_NE(ordering, nullptr);
    EXPECT_FALSE(ordering->isEnabled());
    EXPECT_EQ(ordering->count(), 3);
    EXPECT_EQ(ordering->toolTip(), "Sorry, change will not be saved due to the lack of system service.");
    auto *display = qobject_cast<QComboBox *>(controller.valueCellWidget(rowOf("Name Display")));
    ASSERT_NE(display, nullptr);
    EXPECT_TRUE(display->isEnabled());
    EXPECT_EQ(display->currentText(), "Person");

    auto *photo = qobject_cast<PullDownButton *>(controller.valueCellWidget(rowOf("Photo")));
    ASSERT_NE(photo, nullptr);
    EXPECT_TRUE(photo->isEnabled());
    QStringList titles;
    for (MenuItem *item : photo->pullDownMenu()->itemArray())
        titles << item->title();
    EXPECT_EQ(titles,
              (QStringList{"", "Icon Size Bigger", "Icon Size Smaller", "Replace Image", "Delete Image"}));

    auto *phone = qobject_cast<PopupAndTextCellWidget *>(controller.valueCellWidget(rowOf("Phone")));
    ASSERT_NE(phone, nullptr);
    EXPECT_EQ(phone->textField()->toPlainText(), entry.person->phoneValues().first().stringValue);
    EXPECT_TRUE(phone->labelPopup()->isEnabled());
    EXPECT_TRUE(phone->textField()->isReadOnly());

    entry.person->setPhoto(QImage());
    controller.windowState()->setEditState(false);
    controller.updateTable();
    photo = qobject_cast<PullDownButton *>(controller.valueCellWidget(rowOf("Photo")));
    EXPECT_FALSE(photo->isEnabled());
    EXPECT_EQ(photo->pullDownMenu()->numberOfItems(), 4);
    EXPECT_EQ(photo->pullDownMenu()->itemAtIndex(3)->title(), "Add Image");
    EXPECT_FALSE(qobject_cast<QComboBox *>(controller.valueCellWidget(rowOf("Name Display")))->isEnabled());

    // A choice the edit refuses goes back to the contact's value; one it stores stays.
    controller.windowState()->setEditState(true);
    controller.updateTable();
    delegate.answer = false;
    display = qobject_cast<QComboBox *>(controller.valueCellWidget(rowOf("Name Display")));
    display->setCurrentIndex(1);
    emit display->activated(1);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return qobject_cast<QComboBox *>(controller.valueCellWidget(rowOf("Name Display")))->currentIndex() ==
               0;
    }));
    EXPECT_TRUE(delegate.updates.isEmpty());
    delegate.answer = true;
    display = qobject_cast<QComboBox *>(controller.valueCellWidget(rowOf("Name Display")));
    display->setCurrentIndex(1);
    emit display->activated(1);
    EXPECT_FALSE(entry.person->nameValue().showAsPerson.value_or(true));
    EXPECT_EQ(delegate.updates.size(), 1);
}

TEST_F(ContactInfoControllerTest, ReloadsKeepTheSelectionWithinTheRows) {
    EXPECT_EQ(controller.numberOfRowsInTableView(), 0);
    controller.updateTable();
    ContactEntry entry = fullContact();
    show(entry);
    EXPECT_EQ(selected(), QList<int>{0}); // nothing was selected
    const int lastEmail = rowOf("Email", 2);
    select({3, lastEmail});
    controller.updateTable();
    EXPECT_EQ(selected(), (QList<int>{3, lastEmail}));

    // The contact loses rows: an index past the end is dropped, never selected.
    const int lastRow = int(controller.table().size()) - 1;
    select({3, lastRow});
    entry.person->replaceEmailValue(LabeledValueList{});
    controller.updateTable();
    EXPECT_EQ(controller.table().size(), lastRow + 1 - 2);
    EXPECT_EQ(selected(), QList<int>{3});
    // Only a row past the end was selected: the first row is.
    select({int(controller.table().size()) - 1});
    entry.person->replacePhoneValue(LabeledValueList{});
    controller.updateTable();
    EXPECT_EQ(selected(), QList<int>{0});

    // A font change with nothing selected leaves nothing selected.
    controller.tableView()->clearSelection();
    QFont font = controller.selectedFont();
    font.setPointSizeF(20);
    controller.setSelectedFont(font);
    EXPECT_TRUE(selected().isEmpty());
    EXPECT_EQ(controller.rowHeight(), listRowHeight(font));

    // No contact given keeps the one shown.
    controller.setContact(nullptr);
    EXPECT_EQ(controller.contact()->uniqueId, entry.uniqueId);
}

TEST_F(ContactInfoControllerTest, SelectionAndChangesAreReportedToTheDelegate) {
    ContactEntry entry = fullContact();
    show(entry);
    // The first row selected on showing a contact is a change of selection.
    ASSERT_EQ(delegate.selections.size(), 1);
    EXPECT_EQ(delegate.selections.first().type, "Name");
    // A reload that keeps the rows selected reports nothing.
    controller.updateTable();
    EXPECT_EQ(delegate.selections.size(), 1);
    QTest::mouseClick(controller.tableView()->viewport(), Qt::LeftButton, {},
                      controller.tableView()
                          ->visualRect(controller.tableView()->model()->index(rowOf("Note"), 0))
                          .center());
    ASSERT_EQ(delegate.selections.size(), 2);
    EXPECT_EQ(delegate.selections.last().type, "Note");
    FindTarget target;
    target.contact = entry.person;
    target.uniqueId = entry.person->uniqueId();
    target.identifier = "Company";
    controller.selectItemAndRange(target);
    ASSERT_EQ(delegate.selections.size(), 3);
    EXPECT_EQ(delegate.selections.last().type, "Company");

    controller.sendContactDidUpdate();
    ASSERT_EQ(delegate.updates.size(), 1);
    EXPECT_EQ(delegate.updates.first().first, entry.uniqueId);
    EXPECT_EQ(delegate.updates.first().second, &controller);
    EXPECT_TRUE(window.isDocumentEdited());

    // The import preview has no delegate and reports nothing.
    controller.setDelegate(nullptr);
    select({1});
    controller.tableViewSelectionDidChange();
    controller.sendContactDidUpdate();
    EXPECT_EQ(delegate.selections.size(), 3);
    EXPECT_EQ(delegate.updates.size(), 1);
}

TEST_F(ContactInfoControllerTest, FindMatchesSelectTheirRow) {
    ContactEntry entry = fullContact();
    controller.selectItemAndRange(FindTarget{}); // no contact: nothing
    show(entry);
    FindTarget target;
    target.contact = entry.person;
    target.uniqueId = entry.person->uniqueId();
    target.identifier = "Email";
    target.labelIndex = entry.person->emailValues().at(1).labelIndex;
    controller.selectItemAndRange(target);
    EXPECT_EQ(selected(), QList<int>{rowOf("Email", 1)});

    target.identifier = "Name";
    target.subIdentifier = "LastName";
    controller.selectItemAndRange(target);
    EXPECT_EQ(selected(), QList<int>{rowOf("Name", 2)});

    // Another contact's match shows that contact first.
    ContactEntry other = entryFromVCard(vcard("N:Other;Olive;;;\nFN:Olive Other\nNOTE:match here\n"));
    target.contact = other.person;
    target.uniqueId = other.person->uniqueId();
    target.identifier = "Note";
    controller.selectItemAndRange(target);
    EXPECT_EQ(controller.contact()->uniqueId, other.person->uniqueId());
    EXPECT_EQ(selected(), QList<int>{rowOf("Note")});

    target.uniqueId = "someone else";
    controller.selectItemAndRange(target);
    EXPECT_EQ(selected(), QList<int>{0});

    // A field without a row selects nothing.
    target.uniqueId = other.person->uniqueId();
    target.identifier = "Pager";
    controller.selectItemAndRange(target);
    EXPECT_TRUE(selected().isEmpty());
}

TEST_F(ContactInfoControllerTest, StoredFontSettingsFallBackSafely) {
    UserDefaults::standard().setObject(".AppleSystemUIFont", ContactInfoController::FontNameKey);
    UserDefaults::standard().setObject(18, ContactInfoController::FontSizeKey);
    ContactInfoController system;
    system.view();
    EXPECT_EQ(system.selectedFont().pointSizeF(), 12);

    UserDefaults::standard().setObject("DejaVu Serif", ContactInfoController::FontNameKey);
    UserDefaults::standard().setObject(5, ContactInfoController::FontSizeKey);
    ContactInfoController small;
    small.view();
    EXPECT_EQ(small.selectedFont().pointSizeF(), 7);
    UserDefaults::standard().removeObject(ContactInfoController::FontSizeKey);
    ContactInfoController unsized;
    unsized.view();
    EXPECT_EQ(unsized.selectedFont().pointSizeF(), 7);
    // Whichever face stands in for the stored one, the rows follow the font in force.
    EXPECT_EQ(unsized.rowHeight(), small.rowHeight());
    EXPECT_EQ(unsized.rowHeight(), listRowHeight(unsized.selectedFont()));
}

TEST_F(ContactInfoControllerTest, TheCardShowsTheContactAndABrokenTemplateChangesNothing) {
    ContactEntry entry = fullContact();
    show(entry);
    controller.viewWillAppear();
    EXPECT_TRUE(controller.webView()->toPlainText().contains("No Name"));
    controller.showCard(true);
    EXPECT_EQ(qobject_cast<QStackedWidget *>(controller.view())->currentWidget(), controller.webView());
    controller.updateWebView();
    const QString card = controller.webView()->toPlainText();
    EXPECT_TRUE(card.contains("Acme Corporation"));
    EXPECT_TRUE(card.contains("johnny@home.example"));
    EXPECT_FALSE(card.contains("No Name"));

    const QString broken = testScratchDirectory() + "/broken-card.html";
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body><p id=\"Company\">unclosed<br></p></body></html>");
    file.close();
    controller.setCardTemplatePath(broken);
    ContactEntry other = entryFromVCard(vcard("FN:Olive Other\nORG:Other Inc\n"));
    show(other);
    controller.updateWebView();
    EXPECT_EQ(controller.webView()->toPlainText(), card);
    controller.showCard(false);
    EXPECT_EQ(qobject_cast<QStackedWidget *>(controller.view())->currentWidget(), controller.tableView());
}

} // namespace
