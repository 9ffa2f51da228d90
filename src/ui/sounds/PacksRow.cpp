#include "ui/sounds/PacksRow.h"

#include "app/AppModel.h"
#include "engine/PackIO.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPainter>
#include <algorithm>
#include <filesystem>

namespace tc {

// ---- ImportPackTile --------------------------------------------------------------------------------------

ImportPackTile::ImportPackTile(QWidget *parent) : QAbstractButton(parent) {
    setText(QStringLiteral("Import a pack"));
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this, 18);
    setFixedSize(sizeHint());
}

QSize ImportPackTile::sizeHint() const {
    return {ProfilePackCard::kWidth, ProfilePackCard::kHeight};
}

void ImportPackTile::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    QPen dashed(QColor(185, 185, 179), 1.5);
    dashed.setDashPattern({5 / 1.5, 4 / 1.5}); // in points, as the pattern is in units of the line width
    painter.strokePath(strokeBorderPath(frame, 18, 1.5), dashed);

    // Symbol 20, title 13 semibold, caption 10 medium: 8 apart, centred as one block.
    const QFont title = Fonts::system(13, QFont::DemiBold);
    const QFont caption = Fonts::system(10, QFont::Medium);
    const qreal symbolHeight = 24;
    const qreal titleHeight = QFontMetricsF(title).height();
    const qreal captionHeight = QFontMetricsF(caption).height();
    const qreal total = symbolHeight + 8 + titleHeight + 8 + captionHeight;
    qreal y = (frame.height() - total) / 2;
    Symbols::paint(painter, QRectF(0, y, frame.width(), symbolHeight), "square.and.arrow.down", 20, QFont::Normal,
                   Theme::ink);
    y += symbolHeight + 8;
    painter.setPen(Theme::ink);
    painter.setFont(title);
    painter.drawText(QRectF(0, y, frame.width(), titleHeight), Qt::AlignCenter, text());
    y += titleHeight + 8;
    painter.setPen(Theme::ink2);
    painter.setFont(caption);
    painter.drawText(QRectF(0, y, frame.width(), captionHeight), Qt::AlignCenter, QStringLiteral(".TAPCHIME FILE"));
}

// ---- PacksRow --------------------------------------------------------------------------------------------

PacksRow::PacksRow(AppModel &model, SoundsScreenState &state, const SoundFilePanels &panels, QWidget *parent)
    : QWidget(parent), model_(model), state_(state), panels_(panels), layout_(new QHBoxLayout(this)),
      tile_(new ImportPackTile(this)) {
    layout_->setContentsMargins(2, 6, 2, 6);
    layout_->setSpacing(16);
    layout_->addWidget(tile_, 0, Qt::AlignVCenter);
    layout_->addStretch(1);
    connect(tile_, &QAbstractButton::clicked, this, &PacksRow::importPack);
    model_.observe(AppModel::profilesChange | AppModel::keysChange | AppModel::userSoundsChange, this,
                   [this] { sync(); });
    connect(&model_, &AppModel::soundsVersionChanged, this, &PacksRow::sync);
    connect(&model_, &AppModel::importFinished, this, &PacksRow::importFinished);
    sync();
}

void PacksRow::importPack() {
    if (!panels_.choosePackFile) {
        return;
    }
    const auto file = panels_.choosePackFile(window());
    if (!file || file->isEmpty()) {
        return;
    }
    task_ =
        model_.importFilesAsync({{std::filesystem::path(QFile::encodeName(*file).toStdString()), ImportKind::pack}});
    tile_->setEnabled(false);
    tile_->setText(QStringLiteral("Importing\u2026"));
}

void PacksRow::importFinished(const ImportResult &result) {
    if (!task_ || result.task != *task_) {
        return;
    }
    task_.reset();
    tile_->setEnabled(true);
    tile_->setText(QStringLiteral("Import a pack"));
    for (const ImportOutcome &file : result.files) {
        if (file.error) {
            // Whatever went wrong, the user hears one sentence about the file.
            state_.setErrorText(QString::fromUtf8(PackError::kMessage));
        }
    }
}

void PacksRow::sync() {
    const auto &profiles = model_.data().profiles;
    std::vector<ProfilePackCard *> next;
    next.reserve(profiles.size());
    for (const Profile &profile : profiles) {
        const auto found = std::find_if(cards_.begin(), cards_.end(),
                                        [&](ProfilePackCard *card) { return card->profileID() == profile.id; });
        if (found != cards_.end()) {
            next.push_back(*found);
            cards_.erase(found);
        } else {
            next.push_back(new ProfilePackCard(model_, profile.id, panels_, this));
        }
    }
    for (ProfilePackCard *gone : cards_) {
        // Later, not now: the card's own menu may be what removed its profile.
        gone->hide();
        layout_->removeWidget(gone);
        gone->deleteLater();
    }
    cards_ = std::move(next);
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        ProfilePackCard *card = cards_[i];
        const int index = layout_->indexOf(card);
        if (index != static_cast<int>(i)) {
            if (index >= 0) {
                layout_->removeWidget(card);
            }
            layout_->insertWidget(static_cast<int>(i), card, 0, Qt::AlignVCenter);
        }
        card->show();
        card->refresh();
    }
}

} // namespace tc
