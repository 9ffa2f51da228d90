#include "ui/sounds/PacksRow.h"

#include "app/AppModel.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/sounds/ProfilePackCard.h"
#include "ui/sounds/SoundFilePanels.h"
#include "ui/sounds/SoundsScreenState.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <unordered_set>

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
    : ItemPool(parent), model_(model), state_(state), panels_(panels), tile_(new ImportPackTile(this)) {
    setRovingFocus(); // hundreds of packs are one Tab stop on the way to the library
    connect(tile_, &QAbstractButton::clicked, this, &PacksRow::importPack);
    connect(&model_, &AppModelSignals::profilesChanged, this, &PacksRow::profilesChanged);
    // The active pack's keys are the key editor's part; its card counts them and shows their categories.
    connect(&model_, &AppModelSignals::keysChanged, this, [this] { refresh({model_.data().activeProfileID}); });
    // The categories a card shows come from its keys' sounds.
    model_.observe(AppModel::userSoundsChange, this, [this] { refreshAll(); });
    connect(&model_, &AppModel::soundsVersionChanged, this, [this] { refreshAll(); });
    connect(&model_, &AppModel::importFinished, this, &PacksRow::importFinished);
    profilesChanged({});
}

std::vector<ProfilePackCard *> PacksRow::cards() const {
    std::vector<ProfilePackCard *> cards;
    for (QWidget *widget : boundWidgets()) {
        cards.push_back(static_cast<ProfilePackCard *>(widget));
    }
    return cards;
}

QSize PacksRow::sizeHint() const {
    // The cards and the tile in a row, as a box layout with the margins and spacing above lays them.
    const int count = static_cast<int>(items().size()) + 1;
    return {2 * kMarginX + count * ProfilePackCard::kWidth + (count - 1) * kSpacing,
            2 * kMarginY + ProfilePackCard::kHeight};
}

QSize PacksRow::minimumSizeHint() const {
    return sizeHint();
}

QRect PacksRow::itemRect(std::size_t index) const {
    const int x = kMarginX + static_cast<int>(index) * (ProfilePackCard::kWidth + kSpacing);
    return {x, kMarginY, ProfilePackCard::kWidth, ProfilePackCard::kHeight};
}

QWidget *PacksRow::makeWidget() {
    return new ProfilePackCard(model_, Uuid(), panels_, this);
}

void PacksRow::bindWidget(QWidget *widget, std::size_t index) {
    static_cast<ProfilePackCard *>(widget)->setProfileID(items()[index]);
}

QWidget *PacksRow::focusTarget(QWidget *widget) const {
    // The active pack's card itself, which opens its menu.
    QAbstractButton *use = static_cast<ProfilePackCard *>(widget)->useButton();
    return use->isVisibleTo(widget) ? use : widget;
}

QRect PacksRow::restingView() const {
    // Before the band is laid out (it is as wide as all the cards then): as much as a wide window shows.
    return {0, 0, 1400, sizeHint().height()};
}

void PacksRow::profilesChanged(const std::vector<Uuid> &ids) {
    if (!ids.empty()) {
        refresh(ids);
        return;
    }
    // The list or the active profile (which may have moved): the cards of profiles that stay keep their
    // widgets, and those in view show the document afresh.
    const std::unordered_set<Uuid> before(items().begin(), items().end());
    updateGeometry();
    setItems(model_.data().profileIDs());
    tile_->setGeometry(itemRect(items().size()));
    refreshAll();
    // A pack that came in (duplicated, imported) is scrolled into view, once the band has taken the row's new
    // width; the first list is no news.
    if (before.empty()) {
        return;
    }
    for (std::size_t index = items().size(); index-- > 0;) {
        if (!before.contains(items()[index])) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            showItem(index);
            break;
        }
    }
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
            // The model's words: the one sentence for a pack that cannot be read, or what kept its sounds out of
            // the sounds folder.
            state_.setErrorText(QString::fromStdString(*file.error));
        }
    }
}

} // namespace tc
