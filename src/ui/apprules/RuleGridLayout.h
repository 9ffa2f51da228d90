#pragma once

#include <QLayout>
#include <QRect>
#include <vector>

namespace tc {

// The app-rules grid: as many columns as fit, each at least 200 and at most 260 wide with 16 between them,
// sharing the width; the columns are centred in any width left over. Rows are 16 apart, as high as their
// tallest cell, and each cell is centred in its row. The layout grows as tall as its rows need (it reports
// its height for a width), so it sits in a vertical scroll area.
class RuleGridLayout : public QLayout {
public:
    static constexpr qreal minColumn = 200;
    static constexpr qreal maxColumn = 260;
    static constexpr int gap = 16;

    // The columns for a width: how many, how wide each, and where the first begins.
    struct Columns {
        int count = 1;
        qreal width = 0;
        qreal left = 0;
    };
    static Columns columns(qreal width);

    // Where each cell goes inside `area`, given the cells' heights in order.
    static std::vector<QRect> cells(const QRect &area, const std::vector<int> &heights);

    explicit RuleGridLayout(QWidget *parent = nullptr);
    ~RuleGridLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    // Puts a widget at `index` (clamped to the end).
    void insertWidget(int index, QWidget *widget);
    // Puts an item at `index` (clamped to the end); the layout owns it.
    void insertItem(int index, QLayoutItem *item);
    // Puts a widget in the place of the item at `index`; the item is deleted (a widget it held is not).
    void replaceAt(int index, QWidget *widget);

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect &rect) override;
    Qt::Orientations expandingDirections() const override { return {}; }

private:
    std::vector<int> heightsFor(qreal cellWidth) const;
    std::vector<QLayoutItem *> items_;
};

} // namespace tc
