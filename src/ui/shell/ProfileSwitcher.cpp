#include "ui/shell/ProfileSwitcher.h"

#include "app/AppModel.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/LabelPillButton.h"
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
#include <algorithm>
#include <cmath>

namespace tc {

namespace {

constexpr qreal chipPadding = 12;
constexpr qreal swatchSize = 9;
constexpr qreal swatchGap = 7;

QFont chipFont() {
    return Fonts::system(12, QFont::DemiBold);
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

// The track the chips sit on: a Theme.rail capsule, with the active chip's white capsule and its faint
// shadow drawn under that chip.
class ChipGroup : public QWidget {
public:
    ChipGroup(const std::vector<ProfileChip *> &chips, QWidget *parent) : QWidget(parent), chips_(chips) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(capsule(QRectF(rect())), Theme::rail);
        for (const ProfileChip *chip : chips_) {
            if (chip->isActive()) {
                const QRectF face(chip->geometry());
                paintShadow(painter, face, face.height() / 2, {Theme::withOpacity(Qt::black, 0.1), 1, QPointF(0, 1)});
                painter.fillPath(capsule(face), Qt::white);
            }
        }
    }

private:
    const std::vector<ProfileChip *> &chips_;
};

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
    const QString name = QString::fromStdString(profile.name);
    if (name == text() && profile.color == color_ && active == active_) {
        return;
    }
    const bool resized = name != text();
    setText(name);
    setAccessibleName(name);
    color_ = profile.color;
    active_ = active;
    if (resized) {
        updateGeometry();
    }
    update();
    if (parentWidget()) {
        parentWidget()->update(); // the group draws the active chip's capsule
    }
}

QSizeF ProfileChip::size(const QString &name) {
    const QFontMetricsF metrics(chipFont());
    return {chipPadding + swatchSize + swatchGap + std::ceil(metrics.horizontalAdvance(name)) + chipPadding,
            fixedHeight};
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
                     text());
}

ProfileSwitcher::ProfileSwitcher(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), shareAction_([](AppModel &m, QWidget *w) { PanelHelper::exportPack(m, w); }) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    group_ = new ChipGroup(chips_, this);
    chipRow_ = new QHBoxLayout(group_);
    chipRow_->setContentsMargins(3, 3, 3, 3);
    chipRow_->setSpacing(2);
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

    model_.observe(AppModel::profilesChange, this, [this] { sync(); });
    rebuildChips();
}

ProfileSwitcher::~ProfileSwitcher() = default;

void ProfileSwitcher::setShareAction(ShareAction action) {
    shareAction_ = std::move(action);
}

QAbstractButton *ProfileSwitcher::shareButton() const {
    return share_;
}

void ProfileSwitcher::sync() {
    const auto &profiles = model_.data().profiles;
    const bool sameList =
        profiles.size() == chips_.size() &&
        std::equal(profiles.begin(), profiles.end(), chips_.begin(),
                   [](const Profile &profile, const ProfileChip *chip) { return profile.id == chip->profileID(); });
    if (!sameList) {
        rebuildChips();
        return;
    }
    const Uuid &active = model_.data().activeProfileID;
    for (std::size_t i = 0; i < chips_.size(); ++i) {
        chips_[i]->setProfile(profiles[i], profiles[i].id == active);
    }
}

void ProfileSwitcher::rebuildChips() {
    for (ProfileChip *chip : chips_) {
        // Later, not now: the list may change from inside a chip's own menu or click.
        chip->hide();
        chipRow_->removeWidget(chip);
        chip->deleteLater();
    }
    chips_.clear();
    const AppData &document = model_.data();
    for (const Profile &profile : document.profiles) {
        auto *chip = new ProfileChip(profile, profile.id == document.activeProfileID, group_);
        const Uuid id = profile.id;
        connect(chip, &QAbstractButton::clicked, this, [this, id] { model_.setActiveProfile(id); });
        connect(chip, &QWidget::customContextMenuRequested, this, [this, chip, id](const QPoint &pos) {
            QMenu *menu = makeProfileMenu(id, this);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(chip->mapToGlobal(pos));
        });
        chipRow_->addWidget(chip);
        chips_.push_back(chip);
    }
    group_->update();
}

QMenu *ProfileSwitcher::makeMoreMenu(QWidget *parent) {
    auto *menu = new QMenu(parent);
    menu->addAction(QStringLiteral("New profile"), this, [this] { model_.addProfile("New profile"); });
    const Profile &active = model_.data().activeProfile();
    const Uuid activeID = active.id;
    menu->addAction(QStringLiteral("Duplicate ") + QString::fromStdString(active.name), this,
                    [this, activeID] { model_.duplicateProfile(activeID); });
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
