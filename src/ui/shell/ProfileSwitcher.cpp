#include "ui/shell/ProfileSwitcher.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemPool.h"
#include "ui/kit/LabelPillButton.h"
#include "ui/kit/MenuText.h"
#include "ui/kit/PanelHelper.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QDialog>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tc {

namespace {

constexpr qreal chipPadding = 12;
constexpr qreal swatchSize = 9;
constexpr qreal swatchGap = 7;

QFont chipFont() {
    return Fonts::system(12, QFont::DemiBold);
}

// The widest a chip's name grows; a longer one is cut with "…" and shows whole in the chip's tooltip.
constexpr qreal maxNameWidth = 220;

// A chip's width for a name, in the chip font's metrics.
qreal chipWidth(const QFontMetricsF &metrics, const QString &name) {
    // A name too long for a chip is told by a short prefix: 300 long names are not laid out whole each time the
    // switcher is made.
    const qreal shown =
        ShownText::fits(metrics, name, maxNameWidth) ? std::ceil(metrics.horizontalAdvance(name)) : maxNameWidth;
    return chipPadding + swatchSize + swatchGap + std::min(shown, maxNameWidth) + chipPadding;
}

// "white" gives "White".
QString colorTitle(ProfileColor color) {
    QString name = QString::fromStdString(toString(color));
    if (!name.isEmpty()) {
        name[0] = name[0].toUpper();
    }
    return name;
}

const Profile *findProfile(const AppData &data, const Uuid &id) {
    const auto it = std::find_if(data.profiles.begin(), data.profiles.end(),
                                 [&](const Profile &profile) { return profile.id == id; });
    return it == data.profiles.end() ? nullptr : &*it;
}

// The more menu's face: "ellipsis" on a white circle 34 across.
class MoreButton : public QAbstractButton {
public:
    explicit MoreButton(QWidget *parent) : QAbstractButton(parent) {
        setFixedSize(34, 34);
        setToolTip(QStringLiteral("More"));
        setAccessibleName(QStringLiteral("More"));
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::withOpacity(Qt::white, isDown() ? 0.7 : 1.0));
        painter.drawEllipse(QRectF(rect()));
        Symbols::paint(painter, QRectF(rect()), "ellipsis", 13, QFont::Bold, Theme::ink);
    }
    bool hitButton(const QPoint &pos) const override {
        return QRectF(rect()).contains(pos) && QLineF(QRectF(rect()).center(), pos).length() <= width() / 2.0;
    }
};

} // namespace

// ---- ChipStrip and ChipGroup --------------------------------------------------------------------------------

// The chips in a row, 2 apart, each as wide as its name: a chip for each profile in view only, from a pool. It
// sits in its group's clip and scrolls by moving in it.
class ChipStrip : public ItemPool {
public:
    static constexpr int kSpacing = 2;

    ChipStrip(AppModel &model, ProfileSwitcher &switcher, ChipGroup &group, QWidget *parent)
        : ItemPool(parent), model_(model), switcher_(switcher), group_(group) {
        setAttribute(Qt::WA_TranslucentBackground);
        connect(&model_, &AppModelSignals::profilesChanged, this, &ChipStrip::profilesChanged);
    }

    // Shows the document's profiles; the group must know its strip by then.
    void start() { profilesChanged({}); }

    // Where the strip's left edge is, in its clip; 0 unless the chips are wider than the clip.
    int offset() const { return offset_; }
    void setOffset(int offset);
    // As wide as every chip and the gaps between them.
    int naturalWidth() const { return lefts_.empty() ? 0 : lefts_.back() + widths_.back(); }
    std::vector<ProfileChip *> chips() const {
        std::vector<ProfileChip *> chips;
        for (QWidget *widget : boundWidgets()) {
            chips.push_back(static_cast<ProfileChip *>(widget));
        }
        return chips;
    }
    // The active profile's chip, when it is made.
    const ProfileChip *activeChip() const;
    // Scrolls the active profile's chip into view (the switcher shows which profile is active).
    void revealActive();

protected:
    QRect itemRect(std::size_t index) const override {
        return {lefts_[index], 0, widths_[index], static_cast<int>(ProfileChip::fixedHeight)};
    }
    QWidget *makeWidget() override;
    void bindWidget(QWidget *widget, std::size_t index) override;
    void scrollTo(const QRect &area) override;
    // Before the header is laid out: as much as a wide window has room for.
    QRect restingView() const override { return {0, 0, 1400, static_cast<int>(ProfileChip::fixedHeight)}; }
    void moveEvent(QMoveEvent *event) override;

private:
    void profilesChanged(const std::vector<Uuid> &ids);
    // Works out each chip's width and place from the names; true when a place changed.
    bool measure();

    AppModel &model_;
    ProfileSwitcher &switcher_;
    ChipGroup &group_;
    std::vector<int> widths_; // by item
    std::vector<int> lefts_;
    struct Measured {
        QString name;
        int width = 0;
    };
    std::unordered_map<Uuid, Measured> measured_; // by profile

    int offset_ = 0;
};

// The track the chips sit on: a Theme.rail capsule, with the active chip's white capsule and its faint
// shadow drawn under that chip. As wide as its chips and 3 around them, or as the header has room for: then
// the chips scroll sideways in it (by the wheel too).
class ChipGroup : public QWidget {
public:
    static constexpr int kPadding = 3;
    // The least it gives up to a narrow header.
    static constexpr int kMinimumWidth = 160;

    explicit ChipGroup(QWidget *parent) : QWidget(parent), clip_(new QWidget(this)) {
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    }
    QWidget *clip() const { return clip_; }
    void setStrip(ChipStrip *strip) { strip_ = strip; }

    // The strip's natural width changed.
    void stripResized() {
        updateGeometry();
        placeStrip();
    }

    QSize sizeHint() const override {
        return {strip_->naturalWidth() + 2 * kPadding, static_cast<int>(ProfileChip::fixedHeight) + 2 * kPadding};
    }
    QSize minimumSizeHint() const override {
        const QSize natural = sizeHint();
        return {std::min(natural.width(), kMinimumWidth), natural.height()};
    }

protected:
    void resizeEvent(QResizeEvent *) override {
        clip_->setGeometry(kPadding, kPadding, std::max(0, width() - 2 * kPadding),
                           static_cast<int>(ProfileChip::fixedHeight));
        placeStrip();
    }
    void wheelEvent(QWheelEvent *event) override {
        const QPoint delta = event->angleDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        if (strip_->naturalWidth() <= clip_->width() || step == 0) {
            event->ignore();
            return;
        }
        strip_->setOffset(strip_->offset() - step / 2);
        event->accept();
    }
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(capsule(QRectF(rect())), Theme::rail);
        if (const ProfileChip *chip = strip_->activeChip()) {
            if (strip_->naturalWidth() > clip_->width()) {
                painter.setClipRect(clip_->geometry()); // the chips scroll under the track's ends
            }
            const QRectF face(QRect(chip->mapTo(this, QPoint(0, 0)), chip->geometry().size()));
            paintShadow(painter, face, face.height() / 2, {Theme::withOpacity(Qt::black, 0.1), 1, QPointF(0, 1)});
            painter.fillPath(capsule(face), Qt::white);
        }
    }

private:
    void placeStrip() {
        strip_->resize(strip_->naturalWidth(), static_cast<int>(ProfileChip::fixedHeight));
        strip_->setOffset(strip_->offset()); // kept within what the strip can scroll
        strip_->revealActive();
    }

    QWidget *clip_;
    ChipStrip *strip_ = nullptr;
};

void ChipStrip::setOffset(int offset) {
    const int room = parentWidget()->width();
    offset_ = std::clamp(offset, 0, std::max(0, naturalWidth() - room));
    move(-offset_, 0);
}

const ProfileChip *ChipStrip::activeChip() const {
    for (ProfileChip *chip : chips()) {
        if (chip->isActive() && chip->isVisible()) {
            return chip;
        }
    }
    return nullptr;
}

void ChipStrip::revealActive() {
    const auto &ids = items();
    const auto active = std::find(ids.begin(), ids.end(), model_.data().activeProfileID);
    if (active != ids.end()) {
        scrollTo(itemRect(static_cast<std::size_t>(active - ids.begin())));
    }
}

QWidget *ChipStrip::makeWidget() {
    auto *chip = new ProfileChip(Profile{}, false, this);
    connect(chip, &QAbstractButton::clicked, this, [this, chip] { model_.setActiveProfile(chip->profileID()); });
    connect(chip, &QWidget::customContextMenuRequested, this, [this, chip](const QPoint &pos) {
        QMenu *menu = switcher_.makeProfileMenu(chip->profileID(), &switcher_);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(chip->mapToGlobal(pos));
    });
    return chip;
}

void ChipStrip::bindWidget(QWidget *widget, std::size_t index) {
    if (const Profile *profile = findProfile(model_.data(), items()[index])) {
        static_cast<ProfileChip *>(widget)->setProfile(*profile, profile->id == model_.data().activeProfileID);
    }
}

void ChipStrip::scrollTo(const QRect &area) {
    const int room = parentWidget()->width();
    if (area.left() < offset_) {
        setOffset(area.left());
    } else if (area.right() >= offset_ + room) {
        setOffset(area.right() + 1 - room);
    }
}

void ChipStrip::moveEvent(QMoveEvent *event) {
    ItemPool::moveEvent(event);
    group_.update(); // the active chip's capsule moves with it
}

bool ChipStrip::measure() {
    // Names are measured once: a change of one profile measures that profile's name only.
    const QFontMetricsF metrics(chipFont());
    const auto &profiles = model_.data().profiles;
    std::unordered_map<Uuid, Measured> measured;
    std::vector<int> widths;
    widths.reserve(profiles.size());
    for (const Profile &profile : profiles) {
        const QString name = ShownText::bounded(QString::fromStdString(profile.name));
        auto known = measured_.find(profile.id);
        if (known == measured_.end() || known->second.name != name) {
            const int width = QSizeF(chipWidth(metrics, name), ProfileChip::fixedHeight).toSize().width();
            known = measured_.insert_or_assign(profile.id, Measured{name, width}).first;
        }
        widths.push_back(known->second.width);
        measured.insert(*known);
    }
    measured_ = std::move(measured);
    if (widths == widths_) {
        return false;
    }
    widths_ = std::move(widths);
    lefts_.assign(widths_.size(), 0);
    for (std::size_t i = 1; i < widths_.size(); ++i) {
        lefts_[i] = lefts_[i - 1] + widths_[i - 1] + kSpacing;
    }
    return true;
}

void ChipStrip::profilesChanged(const std::vector<Uuid> &ids) {
    // A rename may widen a chip and move those after it; a list change moves any.
    const bool moved = measure();
    if (ids.empty()) {
        setItems(model_.data().profileIDs());
        refreshAll();
    } else {
        refresh(ids);
    }
    if (moved) {
        group_.stripResized();
        placeItems();
    }
    if (ids.empty()) {
        revealActive(); // another profile may have become active elsewhere (the tray panel, an app rule)
    }
    group_.update(); // the active chip's capsule
}

// ---- ProfileChip ---------------------------------------------------------------------------------------------

ProfileChip::ProfileChip(const Profile &profile, bool active, QWidget *parent)
    : QAbstractButton(parent), id_(profile.id), color_(profile.color), active_(active) {
    setText(ShownText::bounded(QString::fromStdString(profile.name)));
    setAccessibleName(text());
    setFont(chipFont());
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void ProfileChip::setProfile(const Profile &profile, bool active) {
    const QString name = ShownText::bounded(QString::fromStdString(profile.name));
    if (profile.id == id_ && name == text() && profile.color == color_ && active == active_) {
        return;
    }
    const bool resized = name != text();
    id_ = profile.id;
    setText(name);
    setAccessibleName(name);
    color_ = profile.color;
    active_ = active;
    if (resized) {
        fitName();
        updateGeometry();
    }
    update(); // the group draws the active chip's capsule: its strip repaints it after every change
}

void ProfileChip::resizeEvent(QResizeEvent *event) {
    QAbstractButton::resizeEvent(event);
    fitName();
}

void ProfileChip::fitName() {
    // A name longer than its room is cut with "…"; a chip squeezed below even that shows the start of its name.
    const QFontMetricsF metrics(chipFont());
    const qreal room = width() - (chipPadding + swatchSize + swatchGap) - chipPadding;
    const bool whole = ShownText::fits(metrics, text(), room);
    const QString cut = whole || room <= 0 ? QString() : ShownText::elided(metrics, text(), room);
    shown_ = cut.isEmpty() ? text() : cut;
    setToolTip(whole ? QString() : text());
}

QSizeF ProfileChip::size(const QString &name) {
    return {chipWidth(QFontMetricsF(chipFont()), name), fixedHeight};
}

QSize ProfileChip::sizeHint() const {
    return size(text()).toSize();
}

void ProfileChip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF swatch(chipPadding, (fixedHeight - swatchSize) / 2, swatchSize, swatchSize);
    paintPanel(painter, swatch, 2.5, CapPalette::forProfileColor(color_).swatch,
               QPen(Theme::withOpacity(Qt::black, 0.2), 1));
    painter.setFont(chipFont());
    painter.setPen(active_ ? Theme::ink : Theme::ink2);
    const qreal x = swatch.right() + swatchGap;
    if (x >= width()) {
        // Squeezed to where the name would start (hundreds of profiles in one header): no pixel of the name
        // shows, and laying out a long name for none was most of the time the Keys section took to open.
        return;
    }
    painter.drawText(QRectF(x, 0, width() - x, fixedHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     shown_);
}

ProfileSwitcher::ProfileSwitcher(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), shareAction_([](AppModel &m, QWidget *w) { PanelHelper::exportPack(m, w); }) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    group_ = new ChipGroup(this);
    strip_ = new ChipStrip(model_, *this, *group_, group_->clip());
    group_->setStrip(strip_);
    strip_->start();
    row->addWidget(group_, 0, Qt::AlignVCenter);

    more_ = new MoreButton(this);
    connect(more_, &QAbstractButton::clicked, this, [this] {
        QMenu *menu = makeMoreMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(more_->mapToGlobal(QPoint(0, more_->height() + 4)));
    });
    row->addWidget(more_, 0, Qt::AlignVCenter);

    share_ =
        new LabelPillButton({QStringLiteral("Share pack"), "square.and.arrow.up", {}}, BlackPillButtonStyle{36}, this);
    connect(share_, &QAbstractButton::clicked, this, [this] {
        if (shareAction_) {
            shareAction_(model_, window());
        }
    });
    row->addWidget(share_, 0, Qt::AlignVCenter);
}

ProfileSwitcher::~ProfileSwitcher() = default;

void ProfileSwitcher::setShareAction(ShareAction action) {
    shareAction_ = std::move(action);
}

QAbstractButton *ProfileSwitcher::shareButton() const {
    return share_;
}

std::vector<ProfileChip *> ProfileSwitcher::chips() const {
    return strip_->chips();
}

QWidget *ProfileSwitcher::chipGroup() const {
    return group_;
}

QMenu *ProfileSwitcher::makeMoreMenu(QWidget *parent) {
    auto *menu = new QMenu(parent);
    menu->addAction(QStringLiteral("New profile"), this, [this] { model_.addProfile("New profile"); });
    const Profile &active = model_.data().activeProfile();
    const Uuid activeID = active.id;
    connect(MenuText::add(*menu, QString::fromStdString(active.name), {}, QStringLiteral("Duplicate ")),
            &QAction::triggered, this, [this, activeID] { model_.duplicateProfile(activeID); });
    menu->addSeparator();
    QMenu *own = makeProfileMenu(activeID, menu);
    for (QAction *action : own->actions()) {
        menu->addAction(action);
    }
    return menu;
}

QMenu *ProfileSwitcher::makeProfileMenu(const Uuid &profileID, QWidget *parent) {
    auto *menu = new QMenu(parent);
    menu->addAction(QStringLiteral("Rename…"), this, [this, profileID] { startRename(profileID); });
    QMenu *colors = menu->addMenu(QStringLiteral("Color"));
    for (ProfileColor color : kAllProfileColors) {
        colors->addAction(colorTitle(color), this,
                          [this, profileID, color] { model_.setProfileColor(profileID, color); });
    }
    QAction *remove =
        menu->addAction(QStringLiteral("Delete"), this, [this, profileID] { model_.deleteProfile(profileID); });
    remove->setEnabled(model_.data().profiles.size() >= 2);
    return menu;
}

void ProfileSwitcher::startRename(const Uuid &profileID) {
    const Profile *profile = findProfile(model_.data(), profileID);
    if (!profile) {
        return;
    }
    if (dialog_) {
        dialog_->reject();
    }
    newName_ = QString::fromStdString(profile->name);
    renaming_ = profileID;

    auto *dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Rename profile"));
    dialog->setWindowModality(Qt::WindowModal);
    auto *column = new QVBoxLayout(dialog);
    column->setContentsMargins(20, 18, 20, 16);
    column->setSpacing(12);
    auto *title = new QLabel(QStringLiteral("Rename profile"), dialog);
    title->setFont(Fonts::system(13, QFont::Bold));
    column->addWidget(title);
    field_ = new QLineEdit(newName_, dialog);
    field_->setPlaceholderText(QStringLiteral("Name"));
    field_->setMinimumWidth(240);
    field_->selectAll();
    connect(field_, &QLineEdit::textChanged, this, [this](const QString &text) { newName_ = text; });
    column->addWidget(field_);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    auto *rename = new QPushButton(QStringLiteral("Rename"), dialog);
    rename->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(rename);
    column->addLayout(buttons);

    connect(rename, &QPushButton::clicked, dialog, [this, dialog] {
        if (renaming_) {
            // Passed untrimmed: the model trims it and keeps the old name for a blank one.
            model_.renameProfile(*renaming_, newName_.toStdString());
        }
        dialog->accept();
    });
    connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    // However the dialog ends (Rename, Cancel, Escape, closing the window), nothing is being renamed after.
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (dialog_ == dialog) {
            endRename();
        }
    });
    dialog_ = dialog;
    dialog->open();
}

void ProfileSwitcher::endRename() {
    renaming_.reset();
    dialog_ = nullptr;
    field_ = nullptr;
}

} // namespace tc
