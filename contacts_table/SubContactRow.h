#pragma once

#include "model/ContactContainers.h"
#include "model/ViewTypes.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// One row of the contacts table. A contact spans as many rows as its longest shown
// multi-valued field; every multi-valued column of the row shows value `labelIndex`.
struct SubContactRow {
    std::shared_ptr<QMPerson> person;
    QString uniqueId;
    qint64 labelIndex = 0;    // position in each field's full value list; 0 on the first row
    bool notFirstRow = false; // the row above belongs to the same contact
    qint64 numLines = 1;      // text lines of the row's tallest cell
    QStringList groupNames;   // written into the selected row by the main view

    // Set while building: its contact's position in the contact table (with labelIndex, the
    // build order, which breaks sort ties); its text lines from the shown columns; whether
    // its contact shows a second name line (person and company both named).
    qsizetype contactPosition = 0;
    qint64 textLines = 1;
    bool twoLineName = false;
};
using SubContactRowPtr = std::shared_ptr<SubContactRow>;
using SubContactTable = std::vector<SubContactRowPtr>;
