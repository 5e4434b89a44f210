// Every popover editor over every kind it serves: what Done hands back is what was typed or
// chosen.

#include "tests/editors/EditorPathsTestSupport.h"

namespace {

using namespace editor_paths;

// ---- Done hands back exactly what was typed

TEST_F(EditorPaths, TheListEditorHandsBackWhatWasTypedInEveryColumnOfEveryKind) {
    const struct {
        QString type;
        QString column;
    } cases[] = {
        {FieldId::Phone, FieldId::Phone},
        {FieldId::Email, FieldId::Email},
        {FieldId::URL, FieldId::URL},
        {FieldId::Relationship, FieldId::Relationship},
        {QStringLiteral("Pets"), QStringLiteral("Pets")},
        {FieldId::InstantMessage, QStringLiteral("Username")},
        {FieldId::SocialNetwork, QStringLiteral("Username")},
        {FieldId::SocialNetwork, QStringLiteral("User Identifier")},
        {FieldId::SocialNetwork, QStringLiteral("URL String")},
        {FieldId::Address, FieldId::ZIP},
        {FieldId::Address, FieldId::State},
        {FieldId::Address, FieldId::City},
        {FieldId::Address, FieldId::Street},
        {FieldId::Address, FieldId::Country},
    };
    for (const auto &c : cases) {
        SetUp();
        const std::string what = (c.type + u'/' + c.column).toStdString();
        const LabeledValueList stored =
            person->labeledValueForIdentifier(c.type).value_or(LabeledValueList());
        ASSERT_EQ(stored.size(), 2) << what;
        MultiValueViewController *editor = openList(c.type);
        QTableView *table = editor->tableView();
        // The second row: a slip to the first row or the next column shows.
        doubleClick(table, table->model()->index(1, columnOf(editor, c.column)));
        auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_TRUE(field) << what;
        field->selectAll();
        const QString typed = QStringLiteral("zq9");
        typeText(field, typed);
        QTest::keyClick(field, Qt::Key_Return); // Done waits for a change committed
        press(editor->doneButton());

        const LabeledValueList *list = scene.answered<LabeledValueList>();
        ASSERT_TRUE(list) << what;
        ASSERT_EQ(list->size(), 2) << what;
        EXPECT_EQ(partOf(list->at(1), c.column), typed) << what;
        EXPECT_EQ(list->at(0).stringValue, stored.at(0).stringValue) << what << ": the other row is left";
        for (const MultiValueColumn &other : editor->columns())
            if (other.kind == MultiValueColumn::Text && other.identifier != c.column) {
                EXPECT_EQ(partOf(list->at(1), other.identifier), partOf(stored.at(1), other.identifier))
                    << what << " changed " << other.identifier.toStdString();
            }
        EXPECT_EQ(list->at(1).label, stored.at(1).label) << what;
        EXPECT_EQ(list->at(1).labelIndex, stored.at(1).labelIndex) << what;

        // Stored, the value shows what was typed wherever the field's text is derived.
        ASSERT_TRUE(apply()) << what;
        ASSERT_TRUE(person->labeledValueForIdentifier(c.type, qsizetype(1))) << what;
        const LabeledValueRecord now = *person->labeledValueForIdentifier(c.type, qsizetype(1));
        EXPECT_EQ(partOf(now, c.column), typed) << what;
        if (c.column != QStringLiteral("User Identifier") && c.column != QStringLiteral("URL String")) {
            EXPECT_TRUE(now.stringValue.contains(typed)) << what << ": " << now.stringValue.toStdString();
        }
        EXPECT_EQ(person->labeledValueForIdentifier(c.type, qsizetype(0))->stringValue,
                  stored.at(0).stringValue)
            << what;
    }
}

TEST_F(EditorPaths, TheAddressEditorHandsBackEveryPartTyped) {
    const struct {
        QString part;
        std::function<void(AddressViewController *, const QString &)> type;
    } cases[] = {
        {FieldId::Country, [](auto *e, const QString &t) { replaceText(e->countryField(), t); }},
        {FieldId::ZIP, [](auto *e, const QString &t) { replaceText(e->zipField(), t); }},
        {FieldId::State, [](auto *e, const QString &t) { replaceText(e->stateField(), t); }},
        {FieldId::City, [](auto *e, const QString &t) { replaceText(e->cityField(), t); }},
        {FieldId::Street,
         [](auto *e, const QString &t) {
             e->streetField()->setFocus();
             e->streetField()->selectAll();
             typeText(e->streetField(), t);
         }},
    };
    for (const auto &c : cases) {
        for (const qint64 labelIndex : {qint64(1), qint64(-1)}) {
            SetUp();
            const std::string what = c.part.toStdString() + (labelIndex < 0 ? " new" : " stored");
            const LabeledValueRecord stored =
                labelIndex < 0 ? LabeledValueRecord()
                               : *person->labeledValueForIdentifier(FieldId::Address, LabelIndex(labelIndex));
            auto *editor = open<AddressViewController>(FieldId::Address, labelIndex);
            c.type(editor, QStringLiteral("Zq 9"));
            press(editor->doneButton());
            const LabeledValueRecord *record = scene.answered<LabeledValueRecord>();
            ASSERT_TRUE(record) << what;
            EXPECT_EQ(partOf(*record, c.part), QStringLiteral("Zq 9")) << what;
            for (const QString &other :
                 {FieldId::Country, FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street})
                if (other != c.part && labelIndex >= 0) {
                    EXPECT_EQ(partOf(*record, other), partOf(stored, other))
                        << what << " changed " << other.toStdString();
                }
            EXPECT_EQ(record->labelIndex, labelIndex) << what;
            EXPECT_EQ(record->isoCountryCode, stored.isoCountryCode) << what;

            ASSERT_TRUE(apply()) << what;
            const LabeledValueList addresses = person->labeledValueForIdentifier(FieldId::Address).value();
            ASSERT_EQ(addresses.size(), labelIndex < 0 ? 3 : 2) << what;
            const LabeledValueRecord &now = labelIndex < 0 ? addresses.last() : addresses.at(1);
            EXPECT_EQ(partOf(now, c.part), QStringLiteral("Zq 9")) << what;
            EXPECT_TRUE(now.stringValue.contains(QStringLiteral("Zq 9")))
                << what << ": " << now.stringValue.toStdString();
            EXPECT_EQ(addresses.at(0).stringValue, person->addressValues().at(0).stringValue);
        }
    }
}

TEST_F(EditorPaths, TheSingleValueEditorsHandBackWhatWasTyped) {
    // Instant message: the user name. Social profile: each of its three fields.
    {
        auto *editor = open<IMSViewController>(FieldId::InstantMessage, 1);
        replaceText(editor->usernameField(), QStringLiteral("zq9"));
        press(editor->doneButton());
        ASSERT_TRUE(apply());
        const LabeledValueRecord now = person->imsValues().at(1);
        EXPECT_EQ(now.username, QStringLiteral("zq9"));
        EXPECT_EQ(now.stringValue, QStringLiteral("Skype:zq9"));
        EXPECT_EQ(person->imsValues().at(0).username, QStringLiteral("ann@jabber.example"));
    }
    const struct {
        QLineEdit *(SNSViewController::*field)() const;
        QString key;
    } profileFields[] = {{&SNSViewController::usernameField, QStringLiteral("Username")},
                         {&SNSViewController::userIdentifierField, QStringLiteral("User Identifier")},
                         {&SNSViewController::URLStringField, QStringLiteral("URL String")}};
    for (const auto &f : profileFields) {
        SetUp();
        const LabeledValueRecord stored =
            person->labeledValueForIdentifier(FieldId::SocialNetwork, qsizetype(1)).value();
        auto *editor = open<SNSViewController>(FieldId::SocialNetwork, 1);
        replaceText((editor->*f.field)(), QStringLiteral("zq9"));
        press(editor->doneButton());
        ASSERT_TRUE(apply()) << f.key.toStdString();
        const LabeledValueRecord now =
            person->labeledValueForIdentifier(FieldId::SocialNetwork, qsizetype(1)).value();
        for (const QString &key :
             {QStringLiteral("Username"), QStringLiteral("User Identifier"), QStringLiteral("URL String")})
            EXPECT_EQ(partOf(now, key), key == f.key ? QStringLiteral("zq9") : partOf(stored, key))
                << f.key.toStdString() << " / " << key.toStdString();
        EXPECT_EQ(now.label, stored.label);
    }
    // Phonetic name: each part, the joined text derived.
    const struct {
        QLineEdit *(PhoneticNameViewController::*field)() const;
        QString first, middle, last;
    } phonetic[] = {{&PhoneticNameViewController::firstNameField, "zq", "", "rii"},
                    {&PhoneticNameViewController::middleNameField, "an", "zq", "rii"},
                    {&PhoneticNameViewController::lastNameField, "an", "", "zq"}};
    for (const auto &p : phonetic) {
        SetUp();
        auto *editor = open<PhoneticNameViewController>(FieldId::PhoneticName, std::nullopt);
        replaceText((editor->*p.field)(), QStringLiteral("zq"));
        press(editor->doneButton());
        ASSERT_TRUE(apply());
        const PhoneticNameRecord now = person->phoneticNameValue().value();
        EXPECT_EQ(QStringList({now.firstName, now.middleName, now.lastName}),
                  QStringList({p.first, p.middle, p.last}));
        if (p.middle.isEmpty()) { // the joined text is of the first and the last name
            EXPECT_TRUE(
                person->stringValueForIdentifier(FieldId::PhoneticName).contains(QStringLiteral("zq")));
        }
    }
}

// The instant-message editor hands back the label, the service and the user name as chosen
// and typed together, for a stored value, a new one and one whose label the field does not
// list; what was not touched stays as stored, and the value's text follows.
TEST_F(EditorPaths, TheInstantMessageEditorHandsBackItsLabelServiceAndNameTogether) {
    const QStringList labels = QMPerson::labelTableDict().value(FieldId::InstantMessage);
    struct Case {
        const char *what;
        qint64 labelIndex;
        QString storedLabel;                            // given to the stored value first; none leaves it
        std::pair<QString, QString> shown;              // label item and service as the editor opens
        QString label;                                  // chosen; none leaves the popup
        QString service;                                // chosen; none leaves the popup
        std::optional<QString> user;                    // typed over the field
        std::tuple<QString, QString, QString> expected; // label, service, user name
    };
    const Case cases[] = {
        {"all three", 1, {}, {"home", "Skype"}, "work", "ICQ", "zq", {"work", "ICQ", "zq"}},
        {"its label", 0, {}, {"work", "Jabber"}, "home", {}, {}, {"home", "Jabber", "ann@jabber.example"}},
        {"its service", 1, {}, {"home", "Skype"}, {}, "QQ", {}, {"home", "QQ", "ann.lee"}},
        {"new, all three", -1, {}, {"home", "AIM"}, "work", "Jabber", "zq", {"work", "Jabber", "zq"}},
        {"unlisted label", 0, "Gym", {{}, "Jabber"}, {}, "QQ", "zq", {"Gym", "QQ", "zq"}},
    };
    for (const Case &c : cases) {
        SetUp();
        const std::string what = c.what;
        if (!c.storedLabel.isEmpty()) {
            LabeledValueList values = person->imsValues();
            values[0].label = c.storedLabel;
            person->setValue(values, FieldId::InstantMessage);
            before = person->vCardData();
        }
        const LabeledValueList stored = person->imsValues();
        auto *editor = open<IMSViewController>(FieldId::InstantMessage, c.labelIndex);
        EXPECT_EQ(editor->labelPopup()->currentIndex(), labels.indexOf(c.shown.first)) << what;
        EXPECT_EQ(editor->servicePopup()->currentText(), c.shown.second) << what;
        EXPECT_EQ(editor->doneButton()->text(),
                  c.labelIndex < 0 ? QStringLiteral("Add") : QStringLiteral("Change"))
            << what;
        if (!c.label.isEmpty())
            choose(editor->labelPopup(), editor->labelPopup()->itemText(int(labels.indexOf(c.label))));
        if (!c.service.isEmpty())
            choose(editor->servicePopup(), c.service);
        if (c.user)
            replaceText(editor->usernameField(), *c.user);
        press(editor->doneButton());
        const LabeledValueRecord *record = scene.answered<LabeledValueRecord>();
        ASSERT_TRUE(record) << what;
        const auto &[label, service, user] = c.expected;
        EXPECT_EQ(record->labelText(), label) << what;
        EXPECT_EQ(record->service, service) << what;
        EXPECT_EQ(record->username, user) << what;
        EXPECT_EQ(record->stringValue, service + u':' + user) << what;
        EXPECT_EQ(record->labelIndex, c.labelIndex) << what;

        ASSERT_TRUE(apply()) << what;
        const LabeledValueList now = person->imsValues();
        ASSERT_EQ(now.size(), stored.size() + (c.labelIndex < 0 ? 1 : 0)) << what;
        for (qsizetype i = 0; i < now.size(); ++i) {
            const bool answered = c.labelIndex < 0 ? i == stored.size() : now[i].labelIndex == c.labelIndex;
            if (!answered) {
                EXPECT_EQ(now[i], stored[i]) << what << ": the other value";
                continue;
            }
            EXPECT_EQ(std::tuple(now[i].labelText(), now[i].service, now[i].username.value_or(QString())),
                      c.expected)
                << what;
            EXPECT_GE(now[i].labelIndex, 0) << what;
        }
    }
}

// The list editor hands back its rows as they stand after a drag, a deletion or an
// addition: each row whole with its own running number, in their new order, a label the
// field does not list kept as it was and a user's own label chosen for a new row.
TEST_F(EditorPaths, TheListEditorHandsBackItsRowsWholeInTheirNewOrder) {
    const QString unlisted = QStringLiteral("Unlisted");
    const QString own = QStringLiteral("boat");
    enum class Step { DragTheSecondFirst, DeleteTheFirst, AddAfterTheFirst };
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::Address,
          FieldId::InstantMessage, FieldId::SocialNetwork, QStringLiteral("Pets")}) {
        for (const Step step : {Step::DragTheSecondFirst, Step::DeleteTheFirst, Step::AddAfterTheFirst}) {
            // The address list adds through the address editor, tried elsewhere.
            if (type == FieldId::Address && step == Step::AddAfterTheFirst)
                continue;
            SetUp();
            const std::string what = type.toStdString() + " step " + std::to_string(int(step));
            const bool registered = QMPerson::setLabel(QString(), own, type);
            LabeledValueList stored = person->labeledValueForIdentifier(type).value();
            ASSERT_EQ(stored.size(), 2) << what;
            stored[0].label = unlisted;
            person->setValue(stored, type);
            before = person->vCardData();
            stored = person->labeledValueForIdentifier(type).value();

            MultiValueViewController *editor = openList(type);
            QTableView *table = editor->tableView();
            LabeledValueList expected;
            if (step == Step::DragTheSecondFirst) {
                auto pasteboard = Pasteboard::forDragging();
                ASSERT_TRUE(editor->writeRowsWithIndexes({1}, *pasteboard)) << what;
                pasteboard->setSource(table->window(), table);
                ASSERT_TRUE(dropOn(table->viewport(), QPoint(20, table->rowViewportPosition(0) + 2),
                                   pasteboard->mimeData()))
                    << what;
                expected = {stored[1], stored[0]};
            } else if (step == Step::DeleteTheFirst) {
                table->selectRow(0);
                press(editor->delButton());
                expected = {stored[1]};
            } else {
                table->selectRow(0);
                press(editor->addButton());
                ASSERT_EQ(editor->table().size(), 3) << what;
                auto *popup = cellWidget<QComboBox>(table, 1, columnOf(editor, QStringLiteral("label")));
                ASSERT_TRUE(popup) << what;
                const qsizetype item = QMPerson::labelsForIdentifier(type).value().indexOf(own);
                ASSERT_GE(item, 0) << what;
                choose(popup, popup->itemText(int(item)));
                expected = {stored[0], editor->table().at(1), stored[1]};
                EXPECT_EQ(expected[1].label, own) << what;
                EXPECT_EQ(expected[1].labelIndex, 2) << what << ": a number no row has";
            }
            press(editor->doneButton());
            const LabeledValueList *list = scene.answered<LabeledValueList>();
            ASSERT_TRUE(list) << what;
            EXPECT_EQ(*list, expected) << what;

            ASSERT_TRUE(apply()) << what;
            const LabeledValueList now = person->labeledValueForIdentifier(type).value_or(LabeledValueList());
            ASSERT_EQ(now.size(), expected.size()) << what;
            for (qsizetype i = 0; i < now.size(); ++i) {
                EXPECT_EQ(now[i].labelIndex, expected[i].labelIndex) << what << " row " << i;
                EXPECT_EQ(now[i].label, expected[i].label) << what << " row " << i;
                EXPECT_EQ(now[i].valueText(), expected[i].valueText()) << what << " row " << i;
            }
            if (registered)
                QMPerson::removeLabel(own, type);
        }
    }
}

// ---- Every choice of a popup lands as its own value

TEST_F(EditorPaths, EveryLabelOfEveryListLandsAsItsWord) {
    for (const QString &type :
         {FieldId::Phone, FieldId::Email, FieldId::URL, FieldId::Relationship, FieldId::Address,
          FieldId::InstantMessage, FieldId::SocialNetwork, QStringLiteral("Pets")}) {
        SetUp();
        MultiValueViewController *editor = openList(type);
        const QStringList words = QMPerson::labelsForIdentifier(type).value_or(QStringList());
        ASSERT_GE(words.size(), 2) << type.toStdString();
        auto *popup =
            cellWidget<QComboBox>(editor->tableView(), 1, columnOf(editor, QStringLiteral("label")));
        ASSERT_TRUE(popup) << type.toStdString();
        ASSERT_EQ(popup->count(), words.size()) << type.toStdString();
        // From the last to the first, so that each choice is a change.
        for (int item = int(words.size()) - 1; item >= 0; --item) {
            choose(popup, popup->itemText(item));
            EXPECT_EQ(editor->table().at(1).label, words.at(item)) << type.toStdString() << " item " << item;
            if (type == FieldId::SocialNetwork) {
                EXPECT_EQ(editor->table().at(1).service, words.at(item)) << item;
            }
        }
        // The row shows the word chosen last when drawn again.
        editor->sortDescriptorsDidChange(columnOf(editor, QStringLiteral("label")), Qt::AscendingOrder);
        press(editor->doneButton());
        ASSERT_TRUE(apply());
        bool found = false;
        const LabeledValueList stored = person->labeledValueForIdentifier(type).value_or(LabeledValueList());
        for (const LabeledValueRecord &record : stored)
            found = found || record.label == words.first();
        EXPECT_TRUE(found) << type.toStdString();
    }
}

TEST_F(EditorPaths, EveryServiceOfAnInstantMessageRowLandsAsItself) {
    MultiValueViewController *editor = openList(FieldId::InstantMessage);
    auto *popup =
        cellWidget<QComboBox>(editor->tableView(), 0, columnOf(editor, QStringLiteral("serviceType")));
    ASSERT_TRUE(popup);
    ASSERT_EQ(popup->count(), 10);
    for (int item = popup->count() - 1; item >= 0; --item) {
        choose(popup, popup->itemText(item));
        EXPECT_EQ(editor->table().at(0).service, popup->itemText(item)) << item;
    }
    press(editor->doneButton());
    ASSERT_TRUE(apply());
    EXPECT_EQ(person->imsValues().at(0).stringValue,
              popup->itemText(0) + QStringLiteral(":ann@jabber.example"));
}

TEST_F(EditorPaths, EveryItemOfTheSingleEditorsPopupsLandsAsItsValue) {
    struct Case {
        const char *what;
        std::function<QComboBox *()> open;
        std::function<QString(int item)> expected;
        std::function<QString()> handedBack;
    };
    const QStringList imLabels = QMPerson::labelTableDict().value(FieldId::InstantMessage);
    const QStringList addressLabels = QMPerson::labelTableDict().value(FieldId::Address);
    const auto record = [this] {
        return scene.answered<LabeledValueRecord>() ? *scene.answered<LabeledValueRecord>()
                                                    : LabeledValueRecord();
    };
    SNSViewController *profiles = nullptr;
    const Case cases[] = {
        {"message label", [&] { return open<IMSViewController>(FieldId::InstantMessage, 1)->labelPopup(); },
         [&](int i) { return imLabels.value(i); }, [&] { return record().labelText(); }},
        {"message service",
         [&] { return open<IMSViewController>(FieldId::InstantMessage, 1)->servicePopup(); },
         [&](int i) { return CNInstantMessageServices().value(i); }, [&] { return record().service; }},
        {"profile service",
         [&] {
             profiles = open<SNSViewController>(FieldId::SocialNetwork, 1);
             return profiles->servicePopup();
         },
         [&](int i) { return profiles->labels().value(i); },
         [&] { return record().service + u'/' + record().labelText(); }},
        {"address label", [&] { return open<AddressViewController>(FieldId::Address, 1)->labelPopup(); },
         [&](int i) { return addressLabels.value(i); }, [&] { return record().labelText(); }},
    };
    for (const Case &c : cases) {
        for (int item = 0;; ++item) {
            SetUp();
            QComboBox *popup = c.open();
            ASSERT_GE(popup->count(), 2) << c.what;
            if (item >= popup->count())
                break;
            const QString shown = popup->currentText();
            if (popup->itemText(item) == shown) // choosing what shows is no change
                continue;
            choose(popup, popup->itemText(item));
            press(qobject_cast<PopoverEditor *>(scene.popover->contentViewController())->doneButton());
            ASSERT_TRUE(scene.answer) << c.what << " item " << item;
            QString expected = c.expected(item);
            if (QString(c.what) == "profile service")
                expected = expected + u'/' + expected; // the label is the service
            EXPECT_EQ(c.handedBack(), expected) << c.what << " item " << item;
        }
    }
}

TEST_F(EditorPaths, BothNameDisplaysStoreTheirOwnSetting) {
    struct Delegate : NameViewControllerDelegate {
        bool undoReplaceNameValue(const NameRecord &value,
                                  const std::shared_ptr<QMPerson> &contact) override {
            names.append(value);
            contact->setNameValue(value, FieldId::Name);
            return true;
        }
        bool undoReplacePhoto(const FieldValue &, const std::shared_ptr<QMPerson> &) override { return true; }
        QList<NameRecord> names;
    } delegate;
    auto *editor =
        scene.open<NameViewController>(editorContext(person, FieldId::Name, std::nullopt, true), true,
                                       [&](NameViewController *opened) { opened->setDelegate(&delegate); });
    ASSERT_EQ(editor->showAsPersonPopup()->count(), 2);
    wheelOver(editor->showAsPersonPopup()); // scrolling past it is no choice
    EXPECT_TRUE(delegate.names.isEmpty());
    const struct {
        int item;
        bool showAsPerson;
        QString nameLine;
    } cases[] = {{1, false, QStringLiteral("Acme")}, {0, true, QStringLiteral("Ann Lee")}};
    for (const auto &c : cases) {
        choose(editor->showAsPersonPopup(), editor->showAsPersonPopup()->itemText(c.item));
        ASSERT_FALSE(delegate.names.isEmpty());
        EXPECT_EQ(delegate.names.last().showAsPerson, c.showAsPerson) << c.item;
        EXPECT_EQ(editor->compositeNameField()->text(), c.nameLine) << c.item;
        EXPECT_EQ(person->nameValue().firstName, QStringLiteral("Ann")) << "the parts stay";
    }
    EXPECT_EQ(delegate.names.size(), 2);
}

TEST_F(EditorPaths, EveryDatesLabelLandsAsItsWord) {
    auto *editor = open<DatesViewController>(FieldId::Dates, 0);
    auto *popup = cellWidget<QComboBox>(editor->tableView(), 0, DatesViewController::LabelColumn);
    ASSERT_TRUE(popup);
    ASSERT_EQ(popup->count(), editor->labels().size());
    for (int item = popup->count() - 1; item >= 0; --item) {
        choose(popup, popup->itemText(item));
        EXPECT_EQ(editor->table().at(0).label, editor->labels().at(item)) << item;
    }
    press(editor->doneButton());
    ASSERT_TRUE(apply());
    EXPECT_EQ(person->labeledValueForIdentifier(FieldId::Dates, qsizetype(0))->label,
              editor->labels().first());
}

// Samples of the country pull-downs: each code chosen lands as that code and its name.
TEST_F(EditorPaths, CountriesChosenLandAsTheirCodeOrTheDefault) {
    const auto formats = QMPerson::addressFormatDict();
    const QStringList codes = {QStringLiteral("JP"), QStringLiteral("US"), QStringLiteral("DE"),
                               QStringLiteral("FR"), QStringLiteral("GB"), QString()};
    const auto titleOf = [&](const QString &code) {
        return code.isEmpty()
                   ? CountryPullDown::defaultTitle(QStringLiteral("JP"))
                   : CountryPullDown::codeTitle(code, CountryPullDown::listedName(formats.value(code)));
    };
    for (const QString &code : codes) {
        SetUp();
        ASSERT_TRUE(code.isEmpty() || formats.contains(code)) << code.toStdString();
        auto *editor = open<AddressViewController>(FieldId::Address, 0); // an American address
        pick(editor->countryCodePopup(), titleOf(code));
        if (code == QStringLiteral("US")) { // its own country is no change
            EXPECT_FALSE(editor->doneButton()->isEnabled());
            continue;
        }
        press(editor->doneButton());
        const LabeledValueRecord *record = scene.answered<LabeledValueRecord>();
        ASSERT_TRUE(record) << code.toStdString();
        EXPECT_EQ(record->isoCountryCode.toUpper(), code) << code.toStdString();
        EXPECT_EQ(record->country, formats.value(code.isEmpty() ? QStringLiteral("JP") : code).country)
            << code.toStdString();
        EXPECT_EQ(record->street, QStringLiteral("1 Main St"));

        // The list editor's row pull-down, on the first row only.
        SetUp();
        MultiValueViewController *list = openList(FieldId::Address);
        auto *pullDown =
            cellWidget<PullDownButton>(list->tableView(), 0, columnOf(list, QStringLiteral("CountryCode")));
        ASSERT_TRUE(pullDown);
        pick(pullDown, titleOf(code));
        press(list->doneButton());
        ASSERT_TRUE(scene.answered<LabeledValueList>());
        const LabeledValueList rows = *scene.answered<LabeledValueList>();
        EXPECT_EQ(rows.at(0).isoCountryCode.toUpper(), code) << code.toStdString();
        EXPECT_EQ(rows.at(1).isoCountryCode, QStringLiteral("de")) << code.toStdString();
    }
}

// The custom label panel's field chooser: each field chosen is the one listed and remembered.
TEST_F(EditorPaths, EveryFieldOfTheCustomLabelChooserIsTheOneListed) {
    CustomItemDefinition pets;
    pets.name = QStringLiteral("Pets");
    pets.type = ValueKind::Labeled;
    CustomLabelPanelController panel;
    panel.setCustomItems({pets});
    panel.setContainerTable(std::make_shared<ContainerTable>());
    panel.setContextInfo();
    panel.window()->show();
    QComboBox *chooser = panel.itemNamePopup();
    ASSERT_EQ(chooser->count(), QMPerson::labeledIdentifiers().size() + 1);
    for (int item = chooser->count() - 1; item >= 0; --item) {
        const QString field = chooser->itemData(item).toString();
        if (chooser->currentIndex() != item)
            choose(chooser, chooser->itemText(item));
        EXPECT_EQ(panel.selectedIdentifier(), field) << item;
        EXPECT_EQ(UserDefaults::standard().stringForKey(CustomLabelPanelController::LastSelectedItemKey),
                  field);
        EXPECT_EQ(panel.table(), QMPerson::customLabelsForIdentifier(field).value_or(QStringList()))
            << field.toStdString();
    }
    panel.window()->close();
}

} // namespace
