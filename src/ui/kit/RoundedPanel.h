#pragma once

#include <QBrush>
#include <QPen>
#include <QWidget>
#include <optional>

namespace tc {

// A plain rounded panel that other widgets sit on: its whole rectangle filled with continuous corners of the
// given radius and, when a border is given, that pen along the inside of its edge (see paintPanel).
class RoundedPanel : public QWidget {
public:
    RoundedPanel(qreal radius, QBrush fill, QWidget *parent = nullptr);
    RoundedPanel(qreal radius, QBrush fill, QPen border, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal radius_;
    QBrush fill_;
    std::optional<QPen> border_;
};

} // namespace tc
