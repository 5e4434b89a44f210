#pragma once

#include "model/ViewTypes.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// View type name to its column identifiers, "Name" first.
using ViewTypeTable = QMap<QString, QStringList>;
// Column identifier to its sort choices.
using SortOptionsTable = QMap<QString, SortOptions::Entry>;
// Column identifier to its width.
using ColumnWidthTable = QMap<QString, double>;

// The view settings every document window shares through the preferences: the selected
// view type and the view-type table, the label filter, the sort options, the last sort and
// the stored column widths. One object holds them while any window is open; windows and
// their panes observe it, so a change made in one window reaches all of them at once and
// no pane reads the preferences to learn what another changed. Every setter stores at once
// under the keys the program has always used, and signals only a real change.
class SharedSettings : public QObject {
    Q_OBJECT
public:
    static inline const QString LastSortKey = QStringLiteral("QM1DlastSortDesc");
    static inline const QString ColumnWidthKey = QStringLiteral("QM1DcolumnWidthDictionary");
    static inline const QString AllLabels = QStringLiteral("All");
    static inline const QString DefaultViewType = QStringLiteral("Email");

    // The settings of the open windows: made from the preferences for the first window that
    // asks and shared until the last holder lets go.
    static std::shared_ptr<SharedSettings> shared();

    // Reads the preferences, storing the first-launch values of what is missing: the label
    // filter ["All"], the factory view-type table (also for an empty one) and "Email".
    SharedSettings();
    // Reads everything again after the preferences were reset, telling every observer.
    void reload();

    // ---- View types
    const QString &selectedViewType() const { return selectedViewType_; }
    void setSelectedViewType(const QString &viewType);
    const ViewTypeTable &viewTypeDict() const { return viewTypeDict_; }
    void setViewTypeDict(const ViewTypeTable &table);
    // The columns of a view type; none for a view type the table lacks.
    QStringList columnsOfViewType(const QString &viewType) const { return viewTypeDict_.value(viewType); }

    // ---- Label filter: "All" first means every label.
    const QStringList &selectedLabels() const { return selectedLabels_; }
    void setSelectedLabels(const QStringList &labels);
    bool labelPasses(const std::optional<QString> &label) const;
    static bool labelPasses(const QStringList &selectedLabels, const std::optional<QString> &label);

    // ---- Sort options
    const SortOptionsTable &sortOptionsDict() const { return sortOptionsDict_; }
    void setSortOptionsDict(const SortOptionsTable &table);
    // The column's chosen option, changed in the table only (the header's own sort menu).
    bool setSortOptionSelected(const QString &identifier, const QString &option);
    // The current option per column kept apart from the table, written by the sort options
    // menu only; none until first written.
    const std::optional<QMap<QString, QString>> &sortOptionsDefault() const { return sortOptionsDefault_; }
    void setSortOptionsDefault(const QMap<QString, QString> &options);

    // ---- The table's last sort and its stored column widths
    const std::optional<SortDescriptor> &lastSortDesc() const { return lastSortDesc_; }
    void setLastSortDesc(const SortDescriptor &descriptor);
    const std::optional<ColumnWidthTable> &columnWidthDictionary() const { return columnWidthDictionary_; }
    void setColumnWidthDictionary(const ColumnWidthTable &widths);

    // ---- What the preferences hold now: another running copy of the program (each file a
    // file manager opens starts one) may have stored its own choices since these were read,
    // so a window storing only its own part starts from these. The view-type table is the
    // factory one when none is stored, as the next start would make it.
    ViewTypeTable storedViewTypeDict() const;
    ColumnWidthTable storedColumnWidthDictionary() const;

signals:
    void selectedViewTypeChanged();
    void viewTypeDictChanged();
    void selectedLabelsChanged();
    void sortOptionsDictChanged();
    void columnWidthDictionaryChanged();

private:
    void load();

    QString selectedViewType_;
    ViewTypeTable viewTypeDict_;
    QStringList selectedLabels_;
    SortOptionsTable sortOptionsDict_;
    std::optional<QMap<QString, QString>> sortOptionsDefault_;
    std::optional<SortDescriptor> lastSortDesc_;
    std::optional<ColumnWidthTable> columnWidthDictionary_;
};
