#include "ui/sounds/SoundLibraryRow.h"

#include "app/AppModel.h"
#include "ui/kit/CategoryTitle.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/PlayButton.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Theme.h"
#include "ui/kit/ToolTips.h"
#include "ui/kit/Waveform.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QToolTip>

namespace tc {

namespace {

QFont nameFont() {
    return Fonts::system(13, QFont::DemiBold);
}

QFont keysFont() {
    return Fonts::system(11, QFont::Medium);
}

constexpr qreal kPadding = 16;
constexpr qreal kSpacing = 14;
constexpr qreal kCapSize = 30;

// "Assign", faded while it cannot be pressed.
class AssignButton final : public PillButton {
public:
    explicit AssignButton(QWidget *parent) : PillButton(QStringLiteral("Assign"), OutlinePillButtonStyle{32}, parent) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setOpacity(isEnabled() ? 1.0 : 0.4);
        paint(painter, QRectF(rect()), kind(), text(), isDown());
    }
};

} // namespace

SoundLibraryRow::Geometry SoundLibraryRow::geometry(qreal width, qreal assignWidth) {
    Geometry g;
    const qreal height = kHeight;
    const auto cell = [height](qreal left, qreal cellWidth, qreal cellHeight) {
        return QRectF(left, (height - cellHeight) / 2, cellWidth, cellHeight);
    };
    g.cap = cell(kPadding, 34, height);
    qreal right = width - kPadding;
    g.assign = cell(right - assignWidth, assignWidth, 32);
    right = g.assign.left() - kSpacing;
    g.play = cell(right - 32, 32, 32);
    right = g.play.left() - kSpacing;
    g.keys = cell(right - 150, 150, height);
    right = g.keys.left() - kSpacing;
    g.duration = cell(right - 56, 56, height);
    right = g.duration.left() - kSpacing;
    g.waveform = cell(right - 150, 150, 24);
    right = g.waveform.left() - kSpacing;
    g.category = cell(right - 100, 100, height);
    right = g.category.left() - kSpacing;
    const qreal nameLeft = g.cap.right() + kSpacing;
    g.name = cell(nameLeft, std::max<qreal>(0, right - nameLeft), height);
    return g;
}

SoundLibraryRow::SoundLibraryRow(AppModel &model, SoundsScreenState &state, SoundItem sound, QWidget *parent)
    : QWidget(parent), model_(model), state_(state), sound_(std::move(sound)),
      play_(new PlayButton(32, previewAction(model, sound_.id), this)), assign_(new AssignButton(this)) {
    setFixedHeight(kHeight + 1); // and the divider
    connect(assign_, &QAbstractButton::clicked, this, &SoundLibraryRow::assign);
    refresh();
}

QAbstractButton *SoundLibraryRow::playButton() const {
    return play_;
}

QAbstractButton *SoundLibraryRow::assignButton() const {
    return assign_;
}

void SoundLibraryRow::setSound(const SoundItem &sound) {
    if (sound.id != sound_.id) {
        play_->setAction(previewAction(model_, sound.id));
    }
    sound_ = sound;
    refresh();
}

void SoundLibraryRow::refresh() {
    keysText_ = SoundsScreenState::keysText(model_.keysUsing(sound_.id));
    const KeySet &keys = model_.selectedKeys();
    assign_->setEnabled(!keys.empty());
    assign_->setToolTip(SoundsScreenState::assignHelp(keys));
    update();
}

void SoundLibraryRow::assign() {
    const std::string id = sound_.id; // the edit may rebuild the list
    model_.assign(id, model_.selectedKeys());
    model_.preview(id);
}

void SoundLibraryRow::useAsTraySound() {
    model_.setBrushSoundID(sound_.id);
    if (model_.tool() != EditTool::paint) {
        model_.setTool(EditTool::paint);
    }
    if (model_.section() != AppSection::keyboard) {
        model_.setSection(AppSection::keyboard);
    }
}

std::unique_ptr<QMenu> SoundLibraryRow::makeContextMenu() {
    auto menu = std::make_unique<QMenu>(); // no parent: "Delete" removes this row
    AppModel *model = &model_;
    SoundsScreenState *state = &state_;
    const SoundItem sound = sound_;
    menu->addAction(QStringLiteral("Preview"), this, [model, sound] { model->preview(sound.id); });
    menu->addAction(QStringLiteral("Use as tray sound"), this, [this] { useAsTraySound(); });
    if (sound.fileName) {
        menu->addSeparator();
        menu->addAction(QStringLiteral("Rename\u2026"), this, [state, sound] {
            state->setNewName(QString::fromStdString(sound.name));
            state->setRenaming(sound);
        });
        menu->addAction(QStringLiteral("Delete"), this, [model, sound] { model->deleteUserSound(sound); });
    }
    return menu;
}

void SoundLibraryRow::contextMenuEvent(QContextMenuEvent *event) {
    QMenu *menu = makeContextMenu().release();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void SoundLibraryRow::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        pressPoint_ = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void SoundLibraryRow::mouseMoveEvent(QMouseEvent *event) {
    if (!pressed_ || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - pressPoint_).manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    pressed_ = false;
    auto *mime = new QMimeData;
    mime->setText(QString::fromStdString(sound_.id));
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

void SoundLibraryRow::resizeEvent(QResizeEvent *) {
    place();
}

bool SoundLibraryRow::event(QEvent *event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    // A name or a list of keys shown cut tells its whole text where it shows.
    const auto *help = static_cast<QHelpEvent *>(event);
    const Geometry g = geometry(width(), assign_->sizeHint().width());
    const auto cut = [&help](const QRectF &cell, const QFont &font, const QString &value) {
        return cell.contains(help->pos()) &&
               QFontMetricsF(font).horizontalAdvance(ShownText::bounded(value)) > cell.width();
    };
    const QString name = QString::fromStdString(sound_.name);
    QString tip;
    if (cut(g.name, nameFont(), name)) {
        tip = name;
    } else if (cut(g.keys, keysFont(), keysText_)) {
        tip = keysText_;
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), ToolTips::shown(tip, QToolTip::font()), this);
    }
    return true;
}

void SoundLibraryRow::place() {
    const Geometry g = geometry(width(), assign_->sizeHint().width());
    play_->setGeometry(g.play.toRect());
    assign_->setGeometry(g.assign.toRect());
}

void SoundLibraryRow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Geometry g = geometry(width(), assign_->sizeHint().width());

    const qreal capHeight = MiniCap::metrics(kCapSize).frame.height();
    MiniCap::paint(painter, QPointF(g.cap.left() + (g.cap.width() - kCapSize) / 2, (kHeight - capHeight) / 2), kCapSize,
                   MiniCap::forCategory(sound_.category));

    const auto text = [&painter](const QRectF &cell, const QFont &font, const QColor &color, const QString &value) {
        painter.setFont(font);
        painter.setPen(color);
        const QString shown = ShownText::elided(QFontMetricsF(font), value, cell.width());
        painter.drawText(cell, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
    };
    text(g.name, nameFont(), Theme::ink, QString::fromStdString(sound_.name));
    text(g.category, Fonts::system(12), Theme::ink2, categoryTitle(sound_.category));
    text(g.duration, Fonts::system(12, QFont::Medium), Theme::ink2, SoundsScreenState::durationText(sound_.duration));
    text(g.keys, keysFont(), Theme::ink3, keysText_);

    // A sound that is not loaded has no peaks: a flat line of the shortest bars.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::ink);
    for (const QRectF &bar : Waveform::bars(model_.peaks(sound_.id), g.waveform.size(), 3)) {
        painter.drawPath(capsule(bar.translated(g.waveform.topLeft())));
    }

    painter.fillRect(QRectF(0, kHeight, width(), 1), Theme::line);
}

} // namespace tc
