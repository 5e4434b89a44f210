#pragma once

#include "contacts_table/SubContactRows.h"
#include "model/QMvCard.h"
#include "platform/ui/Window.h"

#include <QFile>
#include <QLabel>

#include <optional>

// The table's rows of a contacts file for the columns given; none when it cannot be read.
inline std::optional<SubContactTable> rowsOfFile(const QString &path, const QStringList &columns) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto containers = QMvCard().containersFromVCards(QString::fromUtf8(file.readAll()));
    if (!containers || containers->isEmpty())
        return std::nullopt;
    SubContactRows::BuildContext context;
    context.identifiers = columns;
    context.selectedLabels = {QStringLiteral("All")};
    return SubContactRows::buildRows(*QMvCard::contactsInContainer(containers->first()), context, 200000);
}

// A stand-in for a document window, shown, for a sheet to open on.
inline void showDocumentWindow(Window &window, const QString &title, const QSize &size) {
    window.setWindowTitle(title);
    auto *placeholder = new QLabel(QStringLiteral("(document window)"));
    placeholder->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(placeholder);
    window.resize(size);
    window.move(20, 20);
    window.show();
}
