#pragma once

#include <QWidget>
#include <vector>

namespace tc {

// A row of small widgets, left to right at their own sizes, that carries on in a further line when the width
// runs out, so none of them is squeezed or cut (only one wider than the whole row is narrowed to it). Children are
// added with add(). The row places its children again whenever they change (added, removed, a new size hint), not only
// when it is resized. Main thread.
class FlowRow : public QWidget {
public:
    FlowRow(int spacing, int lineSpacing, QWidget *parent = nullptr);

    void add(QWidget *widget);
    // Puts `widget` at `index` of the children (at the end when past it).
    void insert(std::size_t index, QWidget *widget);
    // Forgets `widget` and deletes it later (it may be the one being clicked).
    void remove(QWidget *widget);
    // Forgets every child and deletes (later) those still parented to the row.
    void clear();
    const std::vector<QWidget *> &items() const { return items_; }
    // Where each child goes in a row of `width`, and the height that takes.
    std::vector<QRect> arrange(int width, int *height = nullptr) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Places every child at arrange()'s place for the current width and asks for the height that takes.
    void relayout();

    std::vector<QWidget *> items_;
    int spacing_;
    int lineSpacing_;
};

} // namespace tc
