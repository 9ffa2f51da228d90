#pragma once

#include <QWidget>

class QHBoxLayout;
class QVBoxLayout;

namespace tc {

// The grey tray: a header row (42 high, 14 points in from either side, vertically centred) above a white
// inner panel (radius 16), padded by 4 on a Theme.tray card of radius 20 with a shadow of (30, 30, 25) at
// 0.09, radius 18, 12 points down.
class TrayCard : public QWidget {
    Q_OBJECT
public:
    TrayCard(QWidget *header = nullptr, QWidget *content = nullptr, QWidget *parent = nullptr);

    QHBoxLayout *headerLayout() const { return header_; }
    QVBoxLayout *contentLayout() const { return content_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QHBoxLayout *header_;
    QVBoxLayout *content_;
};

} // namespace tc
