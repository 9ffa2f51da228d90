#pragma once

#include <QWidget>

namespace tc {

// A pool's widget whose content is made afresh for each item it shows (a view whose rows are built from the
// item, with no way to show another item on the same widgets). The slot stays with the pool; its content fills
// it. When the content is replaced, the keyboard focus on the old content moves to the new one, so a row that
// changes under the keyboard keeps it.
//
// Main thread only.
class ItemSlot : public QWidget {
public:
    explicit ItemSlot(QWidget *parent = nullptr);

    // Shows `content` instead of what showed before, which goes (later: its own click may be what changed it).
    // The slot takes `content` as its child.
    void setContent(QWidget *content);
    QWidget *content() const { return content_; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *content_ = nullptr;
};

} // namespace tc
