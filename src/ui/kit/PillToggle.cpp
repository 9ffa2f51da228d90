#include "ui/kit/PillToggle.h"

#include "ui/kit/FocusRing.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SpringAnimator.h"
#include "ui/kit/Theme.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <algorithm>

namespace tc {

namespace {

// Tells assistive technology that the control is a toggle whose value reads "On" or "Off".
class PillToggleAccessible final : public QAccessibleWidget {
public:
    explicit PillToggleAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return toggle()->isOn() ? QStringLiteral("On") : QStringLiteral("Off");
        }
        if (t == QAccessible::Name) {
            return toggle()->accessibleName();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = toggle()->isOn();
        return s;
    }

    QStringList actionNames() const override { return {toggleAction()}; }

    void doAction(const QString &name) override {
        if (name == toggleAction() || name == pressAction()) {
            toggle()->click();
        }
    }

private:
    PillToggle *toggle() const { return static_cast<PillToggle *>(widget()); }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object) {
    if (className == QLatin1String("tc::PillToggle") && object && object->isWidgetType()) {
        return new PillToggleAccessible(static_cast<QWidget *>(object));
    }
    return nullptr;
}

} // namespace

PillToggle::Metrics PillToggle::metrics(qreal position) {
    const QRectF track(0, 0, trackWidth, trackHeight);
    const qreal inset = (trackHeight - knobDiameter) / 2;
    const qreal travel = trackWidth - knobDiameter - 2 * inset;
    return {track, QRectF(inset + travel * position, inset, knobDiameter, knobDiameter)};
}

PillToggle::PillToggle(Binding binding, const QString &label, QWidget *parent)
    : QAbstractButton(parent), binding_(std::move(binding)), knob_(new SpringAnimator(
                                                                 0.25, 0.8, [this](qreal) { update(); }, this)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    setCheckable(true);
    setAccessibleName(label);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setFixedSize(sizeHint());
    const bool on = binding_.get && binding_.get();
    setChecked(on);
    knob_->jumpTo(on ? 1 : 0);
}

PillToggle::~PillToggle() = default;

QSize PillToggle::sizeHint() const {
    return {static_cast<int>(trackWidth), static_cast<int>(trackHeight)};
}

qreal PillToggle::knobPosition() const {
    return knob_->value();
}

void PillToggle::finishAnimation() {
    knob_->finish();
}

void PillToggle::refresh() {
    const bool on = binding_.get && binding_.get();
    if (on != isChecked()) {
        setChecked(on);
        QAccessibleValueChangeEvent event(this, on ? QStringLiteral("On") : QStringLiteral("Off"));
        QAccessible::updateAccessibility(&event);
    }
    knob_->animateTo(on ? 1 : 0);
    update();
}

void PillToggle::nextCheckState() {
    if (binding_.get && binding_.set) {
        binding_.set(!binding_.get());
    }
    refresh();
}

bool PillToggle::hitButton(const QPoint &pos) const {
    return capsule(metrics(0).track).contains(pos);
}

void PillToggle::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Metrics g = metrics(knob_->value());
    // The track's colour changes with the knob's travel.
    const qreal on = std::clamp<qreal>(knob_->value(), 0, 1);
    const QColor off = Theme::border;
    const QColor track(qRound(off.red() + (Theme::ink.red() - off.red()) * on),
                       qRound(off.green() + (Theme::ink.green() - off.green()) * on),
                       qRound(off.blue() + (Theme::ink.blue() - off.blue()) * on));
    painter.fillPath(capsule(g.track), track);
    paintShadow(painter, g.knob, knobDiameter / 2, {Theme::withOpacity(Qt::black, 0.25), 1, QPointF(0, 1)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(g.knob);
}

} // namespace tc
