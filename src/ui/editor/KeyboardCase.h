#pragma once

#include <QMargins>
#include <QRectF>
#include <QWidget>

namespace tc {

class AppModel;
class CaseHeader;
class KeyPlate;

// The drawn keyboard: a light case with rounded corners holding the label row with its status lights over
// the recessed key plate. The case keeps a width-to-height ratio of 2.22, is at most 1000 points wide, sits at
// the top leading corner of the space it is given, and chooses the key unit from its size (never below 20
// points; below that the keys grow past the case).
//
// The widget reserves kShadowMargins around the case for the case's soft shadow, which a widget can only
// paint inside itself. Main thread.
class KeyboardCase : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kAspect = 2.22;
    static constexpr qreal kMaxWidth = 1000;
    static constexpr qreal kMinUnit = 20;
    static constexpr qreal kPadding = 12;
    static constexpr qreal kHeaderSpacing = 8;
    static constexpr QMargins kShadowMargins{30, 4, 30, 58};

    explicit KeyboardCase(AppModel &model, QWidget *parent = nullptr);

    // The case's frame in a space of `available` points: the largest 2.22 : 1 rectangle that fits, at most
    // 1000 wide, at the top leading corner.
    static QRectF caseFrame(QSizeF available);
    // The key unit for a case of that size: the largest whose plate fits beside the paddings and the header,
    // never below 20.
    static qreal unitFor(QSizeF caseSize);

    KeyPlate *plate() const { return plate_; }
    CaseHeader *header() const { return header_; }
    // The case's frame in widget coordinates.
    QRectF frame() const { return frame_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void relayout();

    CaseHeader *header_;
    KeyPlate *plate_;
    QRectF frame_;
};

} // namespace tc
