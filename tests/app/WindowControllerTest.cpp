#include "tests/app/WindowTestSupport.h"

#include "tests/app/Driving.h"

#include "contact_info/ContactInfoController.h"
#include "model/ViewTypes.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>

// Inside the namespace, ViewController and WindowController are the window's own.
namespace tessarin {
using namespace window_test;

namespace {

QStringList emails(const ContactEntry &entry) {
    QStringList values;
    for (qsizetype i = 0;; ++i) {
        const auto value = entry.person->labeledValueForIdentifier(FieldId::Email, i);
        if (!value)
            return values;
        values.append(value->value.value_or(QString()));
    }
}

const ContactEntry &entryNamed(ViewController *view, const QString &familyName) {
    for (const ContactEntry &entry : std::as_const(*view->contactTable()))
        if (entry.person->stringValueForIdentifier(FieldId::Name).contains(familyName))
            return entry;
    throw std::runtime_error("no such contact");
}

} // namespace

// ---- Opening

TEST_F(WindowTest, AFirstWindowShowsTheTableAloneInTheDefaultFrame) {
    TestDocument *document = open();
    ViewController *view = content(document);
    EXPECT_EQ(columns(view), (QStringList{QStringLiteral("Name"), QStringLiteral("Email")}));
    EXPECT_EQ(view->contactsViewController()->footerText(), QStringLiteral("All Contacts: total 4 contacts"));
    const QList<SplitViewItem *> panes = view->splitViewController()->splitViewItems();
    EXPECT_TRUE(panes[0]->isCollapsed());
    EXPECT_FALSE(panes[1]->isCollapsed());
    EXPECT_TRUE(panes[2]->isCollapsed());
    EXPECT_FALSE(view->contactInfoVisible());
    EXPECT_EQ(view->groupViewFrame().width(), 0);
    // No stored frame: the default frame, unlocked as loading left it.
    Window *window = document->controller->window();
    const QRect visible = window->screen()->availableGeometry();
    EXPECT_EQ(window->geometry(), QRect(visible.left() + 100, visible.top() + 100, 900, 500));
    EXPECT_TRUE(view->editState());
    EXPECT_EQ(document->controller->editButton()->text(), QStringLiteral("Lock"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Sample.vcf[*]"));
}

TEST_F(WindowTest, UntitledDocumentGetsAnEmptyAllContactsGroup) {
    TestDocument *document = open(QString(), QString());
    ViewController *view = content(document);
    ASSERT_TRUE(view->containerTable());
    ASSERT_EQ(view->containerTable()->size(), 1);
    EXPECT_EQ(view->containerTable()->first().name, QStringLiteral("vCard"));
    EXPECT_TRUE(view->selectedGroupDict()->top);
    EXPECT_TRUE(view->contactTable()->isEmpty());
    EXPECT_EQ(view->documentName(), document->displayName());
}

TEST_F(WindowTest, RevertToDefaultFontWritesNothingWhenAlreadyDefault) {
    TestDocument *document = open();
    ViewController *view = content(document);
    ASSERT_EQ(view->selectedFont(), ViewController::systemFont());
    UserDefaults::standard().removeObject(QStringLiteral("QM1DdefaultFontName"));
    view->revertToDefaultFont(nullptr);
    EXPECT_FALSE(UserDefaults::standard().object(QStringLiteral("QM1DdefaultFontName")).isValid());
}

TEST_F(WindowTest, ResetChordClearsEveryPreferenceOnOkOnly) {
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(QStringLiteral("Phone"), QStringLiteral("QM1DselectedViewType"));
    defaults.setObject(QStringLiteral("10 10 1000 700"), QStringLiteral("NSWindow Frame Sample.vcf"));
    defaults.setObject(QVariantList{4, 8}, QStringLiteral("QM1DencodingList"));
    overrideModifierFlags(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    {
        ScriptedDialogPresenter presenter;
        presenter.answerAlert(QStringLiteral("Cancel"));
        TestDocument *document = open();
        ASSERT_EQ(presenter.shown().size(), 1);
        EXPECT_EQ(presenter.shown().first().alert.informativeText,
                  QStringLiteral("Would you like to restore default preferences?"));
        EXPECT_EQ(defaults.stringForKey(QStringLiteral("QM1DselectedViewType")), QStringLiteral("Phone"));
        EXPECT_TRUE(defaults.object(QStringLiteral("QM1DencodingList")).isValid());
        closeDocument(document);
    }
    {
        ScriptedDialogPresenter presenter;
        presenter.answerAlert(QStringLiteral("OK"));
        TestDocument *document = open();
        EXPECT_EQ(presenter.unansweredCount(), 0);
        EXPECT_EQ(defaults.stringForKey(QStringLiteral("QM1DselectedViewType")), QStringLiteral("Email"));
        EXPECT_FALSE(defaults.object(QStringLiteral("QM1DencodingList")).isValid());
        const QRect visible = document->controller->window()->screen()->availableGeometry();
        EXPECT_EQ(document->controller->window()->geometry(),
                  QRect(visible.left() + 100, visible.top() + 100, 900, 500));
    }
}

// The first start finds no preferences: nothing of that is an error.
TEST_F(WindowTest, AFirstStartLogsNoError) {
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                logged.append(message);
        });
    TestDocument *document = open();
    closeDocument(document);
    qInstallMessageHandler(previous);
    const QStringList errors = logged.filter(QStringLiteral("Error"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    // What the first window stored for the next.
    EXPECT_TRUE(UserDefaults::standard().object(SortOptions::SortOptionsDictKey).isValid());
}

// ---- Menu validation

TEST_F(WindowTest, MenuValidationFollowsSelectionPanesEditStateAndFileType) {
    TestDocument *document = open();
    TestDocument *csv = open(SampleCards, QStringLiteral("People.csv"), WindowController::CSVType);
    ViewController *view = content(document);
    const SharedGroup friends = view->containerTable()->first().groups.value(1);
    ASSERT_TRUE(friends);
    const auto enabled = [](auto *receiver, const QString &action) {
        MenuItem item(QStringLiteral("item"), action);
        return receiver->validateMenuItem(&item);
    };
    struct Case {
        const char *state;
        std::function<void()> setUp;
        QList<std::pair<QString, bool>> windowItems; // validated by the window controller
        QList<std::pair<QString, bool>> viewItems;   // by the view controller
    };
    const QList<Case> cases = {
        {"no row selected, group list hidden",
         [&] { view->contactsViewController()->selectRowIndexes({}); },
         {{ActionId::PrintDocument, false}, {ActionId::ExportToVCard, false}},
         {{ActionId::AddGroup, false}, {ActionId::DeleteContacts, false}}},
        {"a row selected, All Contacts shown",
         [&] {
             view->contactsViewController()->selectRowIndexes({0});
             document->controller->splitButtons()->press(0);
         },
         {{ActionId::PrintDocument, true}, {ActionId::ExportToVCard, true}, {ActionId::ExportToCSV, false},
          {ActionId::ImportFromVCard, true}, {ActionId::ImportFromCSV, true}},
         {{ActionId::AddGroup, true}, {ActionId::DeleteGroup, false}, {ActionId::DeleteContacts, true},
          {ActionId::DuplicateContacts, true}}},
        {"a category shown", [&] { view->groupSelectionDidChange(friends); }, {}, {{ActionId::DeleteGroup, true}}},
        {"locked",
         [&] { document->controller->editButton()->click(); },
         {},
         {{ActionId::DeleteContacts, false}, {ActionId::DeleteGroup, false}, {ActionId::AddGroup, true}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.state);
        c.setUp();
        for (const auto &[action, expected] : c.windowItems)
            EXPECT_EQ(enabled(document->controller.data(), action), expected) << action.toStdString();
        for (const auto &[action, expected] : c.viewItems)
            EXPECT_EQ(enabled(view, action), expected) << action.toStdString();
    }
    // A CSV document imports CSV only, and exports no CSV either.
    EXPECT_FALSE(enabled(csv->controller.data(), ActionId::ImportFromVCard));
    EXPECT_TRUE(enabled(csv->controller.data(), ActionId::ImportFromCSV));
    EXPECT_FALSE(enabled(csv->controller.data(), ActionId::ExportToCSV));
}

TEST_F(WindowTest, NavigateMenuCarriesThePullDownMenus) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    Menu *navigate = controller->window()->mainMenu()->itemWithTitle(QStringLiteral("Navigate"))->submenu();
    ASSERT_NE(navigate, nullptr);
    const QList<std::pair<QString, PullDownButton *>> hung = {
        {QStringLiteral("Select View Type"), controller->viewTypePopup()},
        {QStringLiteral("Items"), controller->itemsPopup()},
        {QStringLiteral("Select Label"), controller->labelsPopup()},
        {QStringLiteral("Sort Options"), controller->sortOptionsPopup()},
        {QStringLiteral("Contact"), controller->contactPopup()},
        {QStringLiteral("Group"), controller->groupsPopup()}};
    for (const auto &[title, button] : hung)
        EXPECT_EQ(navigate->itemWithTitle(title)->submenu(), button->pullDownMenu()) << title.toStdString();
    Menu *contact = controller->contactPopup()->pullDownMenu();
    content(document)->contactsViewController()->selectRowIndexes({0});
    contact->update();
    EXPECT_TRUE(contact->itemWithTitle(QStringLiteral("Show Contact Info"))->isEnabled());
    EXPECT_TRUE(contact->itemWithTitle(QStringLiteral("Export Contacts as vCard"))->isEnabled());
}

// ---- View types, items and labels

TEST_F(WindowTest, ViewTypeMenuChangesTheColumns) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ViewController *view = content(document);
    choose(controller->viewTypePopup(), QStringLiteral("Address Detail"));
    EXPECT_EQ(columns(view),
              (QStringList{QStringLiteral("Name"), QStringLiteral("ZIP"), QStringLiteral("State"),
                           QStringLiteral("City"), QStringLiteral("Street"), QStringLiteral("Country")}));
    EXPECT_EQ(view->selectedViewType(), QStringLiteral("Address Detail"));
    controller->viewTypePopup()->pullDownMenu()->update();
    EXPECT_EQ(itemFor(controller->viewTypePopup()->pullDownMenu(), QStringLiteral("Address Detail"))->state(),
              StateOn);
    EXPECT_EQ(itemFor(controller->viewTypePopup()->pullDownMenu(), QStringLiteral("Email"))->state(),
              StateOff);
}

TEST_F(WindowTest, ItemsMenuInsertsAsSecondColumnAndRemovesAgain) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ViewController *view = content(document);
    choose(controller->itemsPopup(), QStringLiteral("Company"));
    EXPECT_EQ(columns(view),
              (QStringList{QStringLiteral("Name"), QStringLiteral("Company"), QStringLiteral("Email")}));
    controller->itemsPopup()->pullDownMenu()->update();
    EXPECT_EQ(itemFor(controller->itemsPopup()->pullDownMenu(), QStringLiteral("Company"))->state(), StateOn);
    choose(controller->itemsPopup(), QStringLiteral("Company"));
    EXPECT_EQ(columns(view), (QStringList{QStringLiteral("Name"), QStringLiteral("Email")}));
    // The title item does nothing; "Name" and "Photo" are not offered.
    Menu *items = controller->itemsPopup()->pullDownMenu();
    EXPECT_EQ(items->indexOfItemWithRepresentedObject(QStringLiteral("Name")), -1);
    EXPECT_EQ(items->indexOfItemWithRepresentedObject(QStringLiteral("Photo")), -1);
    EXPECT_TRUE(items->itemWithTitle(QStringLiteral("Show Custom Items")));
}

TEST_F(WindowTest, ItemsMenuOnAViewTypeMissingFromTheTableStartsItWithName) {
    TestDocument *document = open();
    ViewTypeTable types = content(document)->settings()->viewTypeDict();
    types.remove(QStringLiteral("Email"));
    content(document)->settings()->setViewTypeDict(types);
    choose(document->controller->itemsPopup(), QStringLiteral("Phone"));
    EXPECT_EQ(UserDefaults::standard()
                  .dictionaryForKey(QStringLiteral("QM1DviewTypeDict"))
                  .value(QStringLiteral("Email")),
              QVariant(QStringList{QStringLiteral("Name"), QStringLiteral("Phone")}));
    EXPECT_EQ(columns(content(document)), (QStringList{QStringLiteral("Name"), QStringLiteral("Phone")}));
}

TEST_F(WindowTest, LabelsMenuFiltersTheRows) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ViewController *view = content(document);
    const qsizetype allRows = view->contactsViewController()->subContactTable().size();
    Menu *labels = controller->labelsPopup()->pullDownMenu();
    labels->update();
    EXPECT_EQ(labels->itemAtIndex(0)->title(), QStringLiteral("Labels"));
    const auto workValue = entryNamed(view, QStringLiteral("Abe"))
                               .person->labeledValueForIdentifier(FieldId::Email, qsizetype(0));
    ASSERT_TRUE(workValue && workValue->label);
    const QString work = *workValue->label;
    choose(controller->labelsPopup(), work);
    EXPECT_EQ(controller->selectedLabels(), QStringList{work});
    // Abe's home address loses its row; every contact keeps its first row.
    EXPECT_EQ(view->contactsViewController()->subContactTable().size(), allRows - 1);
    labels->update();
    EXPECT_EQ(itemFor(labels, work)->state(), StateOn);
    EXPECT_EQ(itemFor(labels, QStringLiteral("All"))->state(), StateOff);
    // Unticking the only label gives "All" back.
    choose(controller->labelsPopup(), work);
    EXPECT_EQ(controller->selectedLabels(), QStringList{QStringLiteral("All")});
    EXPECT_EQ(view->contactsViewController()->subContactTable().size(), allRows);

    // A view type without labeled columns offers only "All" (and the custom label sheet).
    choose(controller->viewTypePopup(), QStringLiteral("Business Information"));
    labels->update();
    EXPECT_EQ(labels->numberOfItems(), 4);

    // Words shared by several columns ("home", "work") are offered once each.
    choose(controller->viewTypePopup(), QStringLiteral("Labeled Values"));
    labels->update();
    QStringList titles;
    for (MenuItem *item : labels->itemArray())
        if (!item->title().isEmpty())
            titles.append(item->title());
    ASSERT_TRUE(titles.contains(QStringLiteral("home")));
    EXPECT_EQ(titles.removeDuplicates(), 0);
}

TEST_F(WindowTest, CustomItemsAreGatheredIntoItemsMenuAndOtherFilesColumnsKept) {
    QVariantMap types = ViewTypes::aViewTypeDict();
    types.insert(QStringLiteral("Email"),
                 QStringList{QStringLiteral("Name"), QStringLiteral("Gone"), QStringLiteral("Email")});
    UserDefaults::standard().setObject(types, QStringLiteral("QM1DviewTypeDict"));
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ASSERT_TRUE(controller->customItems());
    ASSERT_EQ(controller->customItems()->size(), 1);
    const QString name = controller->customItems()->first().name;
    EXPECT_NE(itemFor(controller->itemsPopup()->pullDownMenu(), name), nullptr);
    EXPECT_EQ(content(document)->customItems().size(), 1);
    // "Gone" may be an item of a file not open now: kept, and not shown here.
    EXPECT_EQ(UserDefaults::standard()
                  .dictionaryForKey(QStringLiteral("QM1DviewTypeDict"))
                  .value(QStringLiteral("Email")),
              QVariant(QStringList{QStringLiteral("Name"), QStringLiteral("Gone"), QStringLiteral("Email")}));
    EXPECT_EQ(columns(content(document)), (QStringList{QStringLiteral("Name"), QStringLiteral("Email")}));
    choose(controller->itemsPopup(), name);
    EXPECT_EQ(columns(content(document)),
              (QStringList{QStringLiteral("Name"), name, QStringLiteral("Email")}));
}

// ---- Sort options

TEST_F(WindowTest, StoredSortOptionWithItsColumnNameComesBackBare) {
    UserDefaults::standard().setObject(QVariantMap{{QStringLiteral("Email"), QStringLiteral("Email domain")},
                                                   {QStringLiteral("Phone"), QStringLiteral("Phone")}},
                                       QStringLiteral("QM1DsortOptionsDefault"));
    TestDocument *document = open();
    const SortOptionsTable table = document->controller->sortOptionsDict();
    EXPECT_EQ(table.value(QStringLiteral("Email")).selected, QStringLiteral("domain"));
    EXPECT_EQ(table.value(QStringLiteral("Phone")).selected, QStringLiteral("Phone"));
    EXPECT_EQ(table.value(QStringLiteral("Name")).selected, QStringLiteral("compositeName"));
    EXPECT_EQ(UserDefaults::standard()
                  .dictionaryForKey(QStringLiteral("QM1DsortOptionsDict"))
                  .value(QStringLiteral("Email"))
                  .toMap()
                  .value(QStringLiteral("selected")),
              QStringLiteral("domain"));
}

TEST_F(WindowTest, SortingByEmailLabelReordersValuesInsideContactsAndMarksTheWindow) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ViewController *view = content(document);
    const ContactEntry &abe = entryNamed(view, QStringLiteral("Abe"));
    ASSERT_EQ(emails(abe),
              (QStringList{QStringLiteral("work@abe.example"), QStringLiteral("home@abe.example")}));
    EXPECT_FALSE(controller->window()->isDocumentEdited());

    Menu *sortMenu = controller->sortOptionsPopup()->pullDownMenu();
    Menu *emailOptions = itemFor(sortMenu, QStringLiteral("Email"))->submenu();
    ASSERT_NE(emailOptions, nullptr);
    emailOptions->update();
    itemFor(emailOptions, QStringLiteral("label"))->trigger();

    EXPECT_EQ(emails(abe),
              (QStringList{QStringLiteral("home@abe.example"), QStringLiteral("work@abe.example")}));
    EXPECT_TRUE(abe.person->changed());
    EXPECT_TRUE(controller->window()->isDocumentEdited());
    EXPECT_EQ(UserDefaults::standard()
                  .dictionaryForKey(QStringLiteral("QM1DsortOptionsDefault"))
                  .value(QStringLiteral("Email")),
              QStringLiteral("label"));
    emailOptions->update();
    EXPECT_EQ(itemFor(emailOptions, QStringLiteral("label"))->state(), StateOn);
    EXPECT_EQ(itemFor(emailOptions, QStringLiteral("Email"))->state(), StateOff);
    EXPECT_EQ(view->contactsViewController()->sortDescriptors().value(0).key, QStringLiteral("Email label"));
}

TEST_F(WindowTest, SortingByNameOrNothingLeavesValuesAlone) {
    TestDocument *document = open();
    ViewController *view = content(document);
    view->sortDescriptorsDidChange({});
    view->sortDescriptorsDidChange({SortDescriptor{QStringLiteral("compositeName"), false, false}});
    view->sortDescriptorsDidChange({SortDescriptor{QStringLiteral("Note"), true, false}});
    EXPECT_FALSE(entryNamed(view, QStringLiteral("Abe")).person->changed());
    EXPECT_FALSE(document->controller->window()->isDocumentEdited());
}

// ---- Edit state

TEST_F(WindowTest, EditButtonSwitchesSeparatorTitleAndDetailView) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ViewController *view = content(document);
    controller->splitButtons()->press(1);
    ASSERT_TRUE(view->contactInfoVisible());
    QWidget *panel = view->contactInfoController()->view();
    auto *stack = qobject_cast<QStackedWidget *>(panel) ? qobject_cast<QStackedWidget *>(panel)
                                                        : panel->findChild<QStackedWidget *>();
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->currentWidget(), view->contactInfoController()->tableView());
    EXPECT_TRUE(view->redSeparator()->styleSheet().contains(QStringLiteral("#ff3b30")));

    controller->editButton()->click();
    EXPECT_FALSE(view->editState());
    EXPECT_EQ(controller->editButton()->text(), QStringLiteral("Edit"));
    EXPECT_EQ(stack->currentWidget(), view->contactInfoController()->webView());
    EXPECT_FALSE(view->redSeparator()->styleSheet().contains(QStringLiteral("#ff3b30")));
    EXPECT_EQ(view->redSeparator()->height(), 2);
    EXPECT_FALSE(UserDefaults::standard().boolForKey(QStringLiteral("QM1DlastEditState")));
    EXPECT_FALSE(view->contactsViewController()->editState());
    EXPECT_FALSE(view->groupViewController()->editState());

    MenuItem item(QStringLiteral("Edit Contacts"), ActionId::EditButtonClicked);
    controller->validateMenuItem(&item);
    EXPECT_EQ(item.state(), StateOff);
    item.trigger(); // through the action router, as the View menu does
    EXPECT_TRUE(view->editState());
    EXPECT_EQ(controller->editButton()->text(), QStringLiteral("Lock"));
    EXPECT_EQ(stack->currentWidget(), view->contactInfoController()->tableView());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(QStringLiteral("QM1DlastEditState")));
}

TEST_F(WindowTest, EditCrossFadeLetsClicksThroughAndEnds) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    controller->splitButtons()->press(1);
    WindowController::setAnimationsEnabled(true);
    controller->editButton()->click();
    WindowController::setAnimationsEnabled(false);
    QWidget *panel = content(document)->contactInfoController()->view();
    QPointer<QLabel> overlay = panel->findChild<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(overlay);
    EXPECT_TRUE(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));
    // The state has switched at once; only the picture of the table is still fading.
    EXPECT_FALSE(content(document)->editState());
    EXPECT_TRUE(QTest::qWaitFor([&] { return overlay.isNull(); }, 3000));
}

TEST_F(WindowTest, RefreshWithoutStoredGroupPaneStateShowsTheGroupList) {
    TestDocument *document = open();
    ViewController *view = content(document);
    UserDefaults::standard().removeObject(QStringLiteral("QM1DshowGroupView"));
    Window *window = document->controller->window();
    window->setGeometry(QRect(window->geometry().topLeft(), QSize(1100, 700)));
    view->setRepresentedObject(QVariant());
    EXPECT_FALSE(view->splitViewController()->splitViewItems()[0]->isCollapsed());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(QStringLiteral("QM1DshowGroupView")));
    EXPECT_EQ(window->size(), QSize(900, 500));
    EXPECT_EQ(view->contactsViewController()->subContactTable().size(), 5u);
}

TEST_F(WindowTest, CsvDocumentOpensLockedAndBecomesUntitledVCardOnlyOnOk) {
    TestDocument *document = open(SampleCards, QStringLiteral("People.csv"), WindowController::CSVType);
    WindowController *controller = document->controller;
    EXPECT_FALSE(content(document)->editState());
    {
        ScriptedDialogPresenter presenter;
        presenter.answerAlert(QStringLiteral("Cancel"));
        controller->editButton()->click();
        ASSERT_EQ(presenter.shown().size(), 1);
        EXPECT_EQ(presenter.shown().first().alert.messageText,
                  QStringLiteral(
                      "If you edit the CSV file, the format will change to vCard and the name will reset."));
        // The advice names a command of this window's File menu that writes the contacts to a
        // file of a chosen name.
        const QString advice = presenter.shown().first().alert.informativeText;
        const QString named = advice.section(QLatin1Char('\''), 1, 1);
        Menu *file = findSubmenu(controller->window()->mainMenu(), QStringLiteral("File"));
        ASSERT_NE(file, nullptr);
        const MenuItem *command = file->itemWithTitle(named);
        ASSERT_NE(command, nullptr) << advice.toStdString();
        EXPECT_EQ(command->action(), ActionId::ExportToVCard);
        EXPECT_TRUE(advice.contains(QStringLiteral("File menu")));
        EXPECT_FALSE(content(document)->editState());
        EXPECT_EQ(document->fileType(), WindowController::CSVType);
        EXPECT_FALSE(document->fileURL().isEmpty());
    }
    {
        ScriptedDialogPresenter presenter;
        presenter.answerAlert(QStringLiteral("OK"));
        controller->editButton()->click();
        EXPECT_TRUE(content(document)->editState());
        EXPECT_EQ(document->fileType(), WindowController::VCardType);
        EXPECT_TRUE(document->fileURL().isEmpty());
        EXPECT_EQ(document->displayName(), QStringLiteral("People"));
        EXPECT_EQ(controller->window()->windowTitle(), QStringLiteral("People[*]"));
        controller->editButton()->click(); // no second question
        EXPECT_EQ(presenter.shown().size(), 1);
        EXPECT_FALSE(content(document)->editState());
    }
}

// ---- Panes

TEST_F(WindowTest, SplitButtonsShowAndHideBothSidePanes) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ViewController *view = content(document);
    const QList<SplitViewItem *> panes = view->splitViewController()->splitViewItems();

    controller->splitButtons()->press(0);
    EXPECT_FALSE(panes[0]->isCollapsed());
    EXPECT_TRUE(UserDefaults::standard().boolForKey(QStringLiteral("QM1DshowGroupView")));
    EXPECT_GT(view->groupViewFrame().width(), 0);
    MenuItem group(QStringLiteral("Show Group"), ActionId::ToggleGroupView);
    controller->validateMenuItem(&group);
    EXPECT_EQ(group.title(), QStringLiteral("Hide Group"));
    controller->splitButtons()->press(0);
    EXPECT_TRUE(panes[0]->isCollapsed());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(QStringLiteral("QM1DshowGroupView")));
    controller->validateMenuItem(&group);
    EXPECT_EQ(group.title(), QStringLiteral("Show Group"));
    MenuItem other(QStringLiteral("Selected Group"), ActionId::ToggleGroupView);
    controller->validateMenuItem(&other);
    EXPECT_EQ(other.title(), QStringLiteral("Selected Group"));

    MenuItem info(QStringLiteral("Show Contact Info"), ActionId::ToggleContactInfo);
    controller->splitButtons()->press(1);
    EXPECT_FALSE(panes[2]->isCollapsed());
    EXPECT_TRUE(view->contactInfoVisible());
    controller->validateMenuItem(&info);
    EXPECT_EQ(info.title(), QStringLiteral("Hide Contact Info"));
    controller->splitButtons()->press(1);
    EXPECT_TRUE(panes[2]->isCollapsed());
    EXPECT_FALSE(view->contactInfoVisible());
    controller->validateMenuItem(&info);
    EXPECT_EQ(info.title(), QStringLiteral("Show Contact Info"));
    // Hiding a hidden pane changes nothing.
    controller->showContactInfo(false);
    EXPECT_TRUE(panes[2]->isCollapsed());
}

TEST_F(WindowTest, ViewMenuItemsReachTheWindowThroughTheRouter) {
    TestDocument *document = open();
    Menu *viewMenu =
        document->controller->window()->mainMenu()->itemWithTitle(QStringLiteral("View"))->submenu();
    ASSERT_NE(viewMenu, nullptr);
    viewMenu->update();
    MenuItem *group = viewMenu->itemAtIndex(0);
    EXPECT_EQ(group->title(), QStringLiteral("Show Group"));
    group->trigger();
    EXPECT_FALSE(content(document)->splitViewController()->splitViewItems()[0]->isCollapsed());
    viewMenu->update();
    EXPECT_EQ(group->title(), QStringLiteral("Hide Group"));
    MenuItem *info = viewMenu->itemWithTitle(QStringLiteral("Show Contact Info"));
    ASSERT_NE(info, nullptr);
    info->trigger();
    EXPECT_TRUE(content(document)->contactInfoVisible());
    viewMenu->update();
    EXPECT_EQ(info->title(), QStringLiteral("Hide Contact Info"));
}

TEST_F(WindowTest, CleaningTheViewTypesPutsNameBack) {
    TestDocument *document = open();
    ViewTypeTable types = content(document)->settings()->viewTypeDict();
    types.remove(QStringLiteral("Name"));
    types.insert(QStringLiteral("Mine"), QStringList{QStringLiteral("Unknown")});
    content(document)->settings()->setViewTypeDict(types);
    document->controller->updateViewTypeDict();
    const QVariantMap cleaned = UserDefaults::standard().dictionaryForKey(QStringLiteral("QM1DviewTypeDict"));
    EXPECT_EQ(cleaned.value(QStringLiteral("Name")), QVariant(QStringList{QStringLiteral("Name")}));
    // Of a file not open now, maybe: kept.
    EXPECT_EQ(cleaned.value(QStringLiteral("Mine")), QVariant(QStringList{QStringLiteral("Unknown")}));
}

TEST_F(WindowTest, GroupMenuNamesTheSelectedGroupAndTogglesTheList) {
    TestDocument *document = open();
    WindowController *controller = document->controller;
    Menu *groups = controller->groupsPopup()->pullDownMenu();
    groups->update();
    MenuItem *selected = groups->itemAtIndex(3);
    EXPECT_EQ(selected->title(), QStringLiteral("vCard:All Contacts"));
    selected->trigger();
    EXPECT_FALSE(content(document)->splitViewController()->splitViewItems()[0]->isCollapsed());

    content(document)->setSelectedGroupDict(nullptr);
    groups->update();
    EXPECT_EQ(groups->itemAtIndex(3)->title(), QStringLiteral("Group not selected"));
}

TEST_F(WindowTest, GroupSelectionShowsItsContactsAndRenameAppliesToTheEditedGroup) {
    TestDocument *document = open();
    ViewController *view = content(document);
    const SharedGroup all = view->containerTable()->first().groups.value(0);
    const SharedGroup friends = view->containerTable()->first().groups.value(1);
    ASSERT_TRUE(friends);
    view->groupSelectionDidChange(friends);
    EXPECT_EQ(view->contactsViewController()->footerText(), QStringLiteral("Friends: total 2 contacts"));

    // The selection moved on before the edit committed: the edited group is renamed.
    document->controller->splitButtons()->press(0);
    view->groupSelectionDidChange(all);
    GroupOutlineModel *outline = view->groupViewController()->outlineModel();
    const QModelIndex row = outline->indexOfGroup(friends.get());
    ASSERT_TRUE(row.isValid());
    EXPECT_TRUE(outline->setData(row, QStringLiteral("Pals")));
    EXPECT_EQ(friends->name, QStringLiteral("Pals"));
    EXPECT_EQ(outline->data(outline->indexOfGroup(friends.get())).toString(), QStringLiteral("Pals"));
    EXPECT_EQ(all->name, QStringLiteral("All Contacts"));
    EXPECT_TRUE(document->controller->window()->isDocumentEdited());
    view->groupNameWillChange(QString(), friends);
    EXPECT_EQ(friends->name, QStringLiteral("Pals"));
}

TEST_F(WindowTest, TableSelectionShowsTheContactWithItsGroupsAndSetsTheFindTarget) {
    TestDocument *document = open();
    ViewController *view = content(document);
    document->controller->splitButtons()->press(1);
    const QList<SubContactRowPtr> rows(view->contactsViewController()->subContactTable().begin(),
                                       view->contactsViewController()->subContactTable().end());
    int abeRow = -1;
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i]->person->stringValueForIdentifier(FieldId::Name).contains(QStringLiteral("Abe")) &&
            abeRow < 0)
            abeRow = i;
    ASSERT_GE(abeRow, 0);
    view->contactsViewController()->selectRowIndexes({abeRow});
    ASSERT_TRUE(view->contactInfoController()->contact());
    EXPECT_EQ(view->contactInfoController()->contact()->uniqueId, rows[abeRow]->uniqueId);
    EXPECT_EQ(view->contactInfoController()->contact()->groupNames,
              (QStringList{QStringLiteral("All Contacts"), QStringLiteral("Friends")}));
    ASSERT_TRUE(view->selectedItemAndRange());
    EXPECT_EQ(view->selectedItemAndRange()->identifier, QStringLiteral("Name"));
    EXPECT_EQ(view->selectedItemAndRange()->uniqueId, rows[abeRow]->uniqueId);
    EXPECT_EQ(view->selectedItemAndRange()->range, (TextRange{0, 0}));

    InfoTableRow detail;
    detail.type = FieldId::Email;
    detail.label = QStringLiteral("home");
    detail.labelIndex = 0;
    view->rowSelectionDidChange(view->contactInfoController(), detail);
    EXPECT_EQ(view->selectedItemAndRange()->identifier, FieldId::Email);
    EXPECT_EQ(view->selectedItemAndRange()->subIdentifier, QStringLiteral("home"));
    detail.labelIndex = -1;
    view->rowSelectionDidChange(view->contactInfoController(), detail);
    EXPECT_EQ(view->selectedItemAndRange()->labelIndex, 0);
    EXPECT_TRUE(view->selectedItemAndRange()->subIdentifier.isEmpty());
    EXPECT_EQ(view->selectedItemAndRange()->uniqueId, rows[abeRow]->uniqueId);
}

TEST(SplitButtonImage, BarLiesAgainstTheChosenSide) {
    const QImage left = WindowController::splitButtonImageWithSize(QSize(24, 24), Qt::red, 0);
    const QImage right = WindowController::splitButtonImageWithSize(QSize(24, 24), Qt::red, 1);
    // The outline spans 6..18; the bar is 4 wide against its left (6..10) or right (14..18) edge.
    EXPECT_EQ(left.pixelColor(8, 12), QColor(Qt::red));
    EXPECT_EQ(left.pixelColor(15, 12).alpha(), 0);
    EXPECT_EQ(right.pixelColor(15, 12), QColor(Qt::red));
    EXPECT_EQ(right.pixelColor(8, 12).alpha(), 0);
    EXPECT_EQ(left.pixelColor(2, 2).alpha(), 0);
}

} // namespace tessarin

namespace tessarin {
using namespace window_test;

namespace {

// Every title of a menu and the menus under it, the submenus rebuilt as they are before opening.
void collectTitles(Menu *menu, QStringList &titles) {
    if (!menu)
        return;
    menu->update();
    for (MenuItem *item : menu->itemArray()) {
        titles.append(item->title());
        collectTitles(item->submenu(), titles);
    }
}

} // namespace

// Keys are stored and compared; what the user reads are titles.
TEST_F(WindowTest, NoInternalKeyAppearsInAMenuAHeaderOrAPlaceholder) {
    const QStringList internalKeys = {
        "compositeName", "FirstName", "MiddleName", "LastName", "PreviousFamilyName", "Phonetic FirstName",
        "Phonetic MiddleName", "Phonetic LastName", "username", "service name", "domain", "label",
        "Home-Email", "Work-Phone", "email", "phone", "address", "company", "job title", "street", "city",
        "instant message", "profile", "related name", "date", "birthday", "nickname", "note"};
    TestDocument *document = open();
    WindowController *controller = document->controller;
    ViewController *view = content(document);

    QStringList titles;
    collectTitles(controller->window()->mainMenu(), titles);
    for (PullDownButton *button : {controller->viewTypePopup(), controller->itemsPopup(), controller->labelsPopup(),
                                   controller->sortOptionsPopup(), controller->contactPopup()})
        collectTitles(button->pullDownMenu(), titles);
    ASSERT_TRUE(titles.contains(QStringLiteral("Full Name"))); // the name column's sort options
    for (const ViewTypes::ViewType &viewType : ViewTypes::factoryViewTypes()) {
        choose(controller->viewTypePopup(), viewType.name);
        const QAbstractItemModel *model = view->contactsViewController()->tableView()->model();
        for (int column = 0; column < model->columnCount(); ++column)
            titles.append(model->headerData(column, Qt::Horizontal).toString());
    }
    controller->showContactInfo(true);
    ContactInfoController *panel = view->contactInfoController();
    for (int row = 0; row < panel->numberOfRowsInTableView(); ++row)
        if (const auto cell = panel->textCellContent(row))
            titles.append(cell->placeholder);
    for (const QString &key : internalKeys)
        EXPECT_FALSE(titles.contains(key)) << key.toStdString();
    EXPECT_TRUE(titles.contains(QStringLiteral("Middle Name")));
}

} // namespace tessarin

namespace tessarin {
using namespace window_test;

TEST_F(WindowTest, ALockedWindowsCardFollowsEachSelectedContact) {
    TestDocument *document = open();
    ViewController *view = content(document);
    document->controller->showContactInfo(true);
    document->controller->editButton()->click(); // locked: the card is shown
    ASSERT_FALSE(view->editState());
    ContactsViewController *table = view->contactsViewController();
    for (const QString &name : {QStringLiteral("Cid Cole"), QStringLiteral("Dee Dunn"), QStringLiteral("Ann Abe")}) {
        for (int row = 0; row < int(table->subContactTable().size()); ++row)
            if (table->subContactTable()[size_t(row)]->person->compositeName() == name) {
                table->selectRowIndexes({row});
                break;
            }
        QCoreApplication::processEvents();
        EXPECT_TRUE(view->contactInfoController()->webView()->toPlainText().contains(name)) << name.toStdString();
    }
}

} // namespace tessarin
