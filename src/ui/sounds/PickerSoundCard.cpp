#include "ui/sounds/PickerSoundCard.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tc {

namespace {

constexpr qreal kCorner = 14;
constexpr qreal kRingWidth = 2;

// A name that does not fit ends in an ellipsis instead of wrapping, and then shows whole in the tooltip.
class OneLineLabel : public QLabel {
public:
    OneLineLabel(const QString &text, QWidget *parent) : QLabel(parent), full_(text) {
        setTextFormat(Qt::PlainText);
        setMinimumWidth(10);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        setText(text);
    }

    void setFullText(const QString &text) {
        if (full_ != text) {
            full_ = text;
            fit();
        }
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit() {
        setText(ShownText::elided(fontMetrics(), full_, width()));
        setToolTip(text() != full_ ? full_ : QString());
    }

    QString full_;
};

} // namespace

PickerSoundCard::PickerSoundCard(const SoundItem &sound, std::function<void()> onChoose,
                                 std::function<void()> onPreview, QWidget *parent)
    : QAbstractButton(parent), sound_(sound) {
    setAccessibleName(QString::fromStdString(sound.name));
    setCursor(Qt::PointingHandCursor);
    // Return on a card goes on to the sheet, which uses the chosen sound.
    FocusRing::attachLeavingReturn(this, kCorner);
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [choose = std::move(onChoose)] { choose(); });

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 0, 10, 0);
    row->setSpacing(10);
    auto *badge = cap(sound, this);
    badge_ = badge;
    badge->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *badgeFrame = new QWidget(this);
    badgeFrame->setFixedWidth(34);
    badgeFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *badgeBox = new QHBoxLayout(badgeFrame);
    badgeBox->setContentsMargins(0, 0, 0, 0);
    badgeBox->addWidget(badge, 0, Qt::AlignCenter);
    row->addWidget(badgeFrame);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addStretch(1);
    auto *name = new OneLineLabel(ShownText::bounded(QString::fromStdString(sound.name)), this);
    name->setFont(Fonts::system(13, QFont::Bold));
    QPalette palette = name->palette();
    palette.setColor(QPalette::WindowText, Theme::ink);
    name->setPalette(palette);
    texts->addWidget(name);
    name_ = name;
    duration_ = textLabel(durationText(sound.duration), Fonts::system(10, QFont::Medium), Theme::ink3, this);
    texts->addWidget(duration_);
    texts->addStretch(1);
    row->addLayout(texts, 1);

    play_ = new PlayButton(28, std::move(onPreview), this);
    row->addWidget(play_, 0, Qt::AlignVCenter);

    setGraphicsEffect(new ShadowEffect({{Theme::withOpacity(Qt::black, 0.06), 6, QPointF(0, 4)}}, kCorner, this));
}

QString PickerSoundCard::durationText(double seconds) {
    return QString::asprintf("%.2f s", seconds);
}

void PickerSoundCard::setSound(const SoundItem &sound) {
    if (sound == sound_) {
        return;
    }
    if (sound.category != sound_.category) {
        badge_->setContent(MiniCap::forCategory(sound.category));
    }
    if (sound.name != sound_.name) {
        setAccessibleName(QString::fromStdString(sound.name));
        static_cast<OneLineLabel *>(name_)->setFullText(ShownText::bounded(QString::fromStdString(sound.name)));
    }
    if (sound.duration != sound_.duration) {
        duration_->setText(durationText(sound.duration));
    }
    sound_ = sound;
}

void PickerSoundCard::setRinged(bool ringed) {
    if (ringed_ != ringed) {
        ringed_ = ringed;
        update();
    }
}

QSize PickerSoundCard::sizeHint() const {
    return {200, kHeight};
}

QSize PickerSoundCard::minimumSizeHint() const {
    return {120, kHeight};
}

void PickerSoundCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    paintPanel(painter, box, kCorner, Qt::white);
    if (ringed_) {
        // The card's outline less the same outline inset by the ring's width.
        const QRectF inner = box.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth);
        const QPainterPath ring =
            continuousRoundedRect(box, kCorner) - continuousRoundedRect(inner, kCorner - kRingWidth);
        painter.fillPath(ring, Theme::ink);
    }
}

} // namespace tc
