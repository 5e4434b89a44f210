#pragma once

#include "merge/MergePanelController.h"
#include "model/ContactContainers.h"
#include "platform/ui/Application.h"
#include "tests/editors/EditorTestSupport.h"
#include "tests/model/PersonTestSupport.h"

#include <QStringList>

// Ann: three phones, a company, a labeled "Pets" item and a text "Locker" item.
inline std::shared_ptr<QMPerson> ann() {
    auto person = personFromVCard(QStringLiteral("N:Lee;Ann;;;\n"
                                                 "FN:Ann Lee\n"
                                                 "ORG:Acme\n"
                                                 "TEL;TYPE=HOME:111\n"
                                                 "TEL;TYPE=WORK:222\n"
                                                 "TEL;TYPE=CELL:333\n"
                                                 "NOTE:first line\\nsecond line\n"));
    person->setValue(LabeledValueList{textRecord(QStringLiteral("cat"), QStringLiteral("Tama"), 0),
                                      textRecord(QStringLiteral("dog"), QStringLiteral("Pochi"), 1)},
                     QStringLiteral("Pets"));
    person->setValue(QStringLiteral("B-12"), QStringLiteral("Locker"));
    return person;
}

// Bob: one phone, a birthday, no company and no custom item.
inline std::shared_ptr<QMPerson> bob() {
    return personFromVCard(QStringLiteral("N:Bell;Bob;;;\n"
                                          "FN:Bob Bell\n"
                                          "TEL;TYPE=HOME:999\n"
                                          "BDAY:1980-04-12\n"));
}

inline QList<CustomItemDefinition> documentItems() {
    CustomItemDefinition pets;
    pets.name = QStringLiteral("Pets");
    pets.type = ValueKind::Labeled;
    pets.labels = {QStringLiteral("cat"), QStringLiteral("dog")};
    CustomItemDefinition locker;
    locker.name = QStringLiteral("Locker");
    locker.type = ValueKind::String;
    CustomItemDefinition badge;
    badge.name = QStringLiteral("Badge");
    badge.type = ValueKind::String;
    return {pets, locker, badge};
}

inline QStringList valueTexts(QMPerson &person, const QString &identifier) {
    QStringList texts;
    for (const LabeledValueRecord &value : person.labeledValueForIdentifier(identifier).value_or(LabeledValueList{}))
        texts.append(value.labelText() + QLatin1Char('=') + value.valueText());
    return texts;
}

// Opens the sheet on the context's contacts as the contacts table does, as a sheet on
// `window`; the codes it ends with are appended to `codes`.
inline void beginMergeSheet(MergePanelController &sheet, Window &window, const SharedMergeContext &context,
                            bool editable, QList<int> &codes) {
    window.resize(1000, 700);
    window.show();
    sheet.setCustomItems(documentItems());
    sheet.window();
    sheet.setContextInfo(context, editable);
    sheet.setSelectedFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    Application::shared().beginSheet(sheet.window(), &window, [&codes](int code) { codes.append(code); });
    sheet.window()->activateWindow();
    static_cast<void>(QTest::qWaitForWindowActive(sheet.window()));
}
