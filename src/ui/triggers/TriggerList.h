#pragma once

#include "model/Trigger.h"
#include "model/Uuid.h"
#include "ui/triggers/TriggerEdits.h"

#include <QWidget>
#include <functional>
#include <optional>

class QScrollArea;
class QVBoxLayout;

namespace tc {

class AppModel;

// The List mode of the Triggers screen: every trigger on a white card in two titled groups, Shortcuts then
// Words (a group without triggers is left out), under the columns TRIGGER, PLAYS, WHERE and ON. A row shows the
// trigger, its sound (or "Missing sound"), where it plays and its switch; a click on a row selects it. The list
// scrolls by itself and follows every change of the document.
//
// Main thread only. The model must outlive it.
class TriggerList : public QWidget {
public:
    TriggerList(AppModel &model, TriggerApps apps, QWidget *parent = nullptr);

    // The screen's selection (it may name a trigger that is gone: then no row is highlighted).
    void setSelectedID(std::optional<Uuid> id);

    // One row as built now: for tests and pictures.
    struct RowInfo {
        Uuid id;
        QString group;
        QString plays;
        QString where;
        bool selected = false;
        bool enabled = true;
        QWidget *widget = nullptr;
    };
    std::vector<RowInfo> rows() const;
    // Scrolls the list so the trigger's row shows (nothing when it has none).
    void showRow(const Uuid &id);
    QStringList groupTitles() const;

    // Called when a trigger is clicked.
    void setOnSelect(std::function<void(const Uuid &)> onSelect) { onSelect_ = std::move(onSelect); }

    // The rows are built only while the list shows (or is asked for them); this builds them now when they do
    // not show the document. The screen calls it before it shows the list, so the list is laid out with them.
    void buildIfStale();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Makes every row afresh now when the list shows, else when it is shown or asked for.
    void rebuild();
    void build();
    // Follows the model: in place when only some triggers changed and none moved.
    void triggersChanged(const std::vector<Uuid> &ids);
    // One trigger's row in `group`, not yet in the column.
    RowInfo makeRow(const Trigger &trigger, const QString &group);
    // Makes the trigger's row again, in the same place.
    void replaceRow(const Trigger &trigger);
    // Whether the keyboard focus is on one of the rows (or a switch in one).
    bool holdsFocus() const;

    AppModel &model_;
    std::function<void(const Uuid &)> onSelect_;
    TriggerApps apps_;
    std::optional<Uuid> selectedID_;
    QScrollArea *scroll_;
    QWidget *content_;
    QVBoxLayout *column_;
    std::vector<RowInfo> rows_;
    bool stale_ = true;            // the rows do not show the document
    bool repeatedIDs_ = false;     // two rows share an id
    bool refocusSelected_ = false; // the selected row takes the keyboard focus when it is made
    QStringList groups_;
};

} // namespace tc
