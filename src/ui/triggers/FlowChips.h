#pragma once

#include "model/Uuid.h"
#include "ui/triggers/TriggerEdits.h"

#include <QAbstractButton>
#include <QWidget>

class QMenu;

namespace tc {

class AppModel;
class FlowRow;

// The editor's "Where" row: the applications a trigger is limited to as dark chips with a remove button
// ("All apps" while it plays everywhere), then "+ App", a menu of the applications running now, "Choose an
// app…" and, once the trigger is limited, "Every app". Edits go straight into the document through the model.
// The row follows every change of the document in place; chips that do not fit on a line carry on in the next.
//
// Main thread only. The model must outlive it.
class FlowChips : public QWidget {
public:
    FlowChips(AppModel &model, TriggerApps apps, QWidget *parent = nullptr);

    // The trigger shown (its id; nothing shows "All apps" and offers nothing).
    void setTrigger(std::optional<Uuid> id);

    // The chips' titles as shown now, in order.
    QStringList chipTitles() const;
    // The chip whose remove button removes `title`'s application, or null.
    QAbstractButton *removeButton(const QString &title) const;
    QAbstractButton *addButton() const { return add_; }
    // The add menu as it would open now (rebuilt from the running applications at every call).
    QMenu *buildMenu();

private:
    void rebuild();

    AppModel &model_;
    TriggerApps apps_;
    std::optional<Uuid> id_;
    std::vector<std::string> shown_; // the list the chips were built for
    bool built_ = false;
    FlowRow *row_;
    QAbstractButton *add_;
    QMenu *menu_;
};

// One dark chip: the title in white and, when removable, an "xmark" button.
class AppChip : public QWidget {
public:
    AppChip(const QString &title, bool removable, QWidget *parent = nullptr);

    const QString &title() const { return title_; }
    QAbstractButton *removeButton() const { return remove_; }
    QSize sizeHint() const override { return minimumSize(); } // its fixed size

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString title_;
    QString shown_; // the title as drawn, cut to fit
    QAbstractButton *remove_ = nullptr;
};

} // namespace tc
