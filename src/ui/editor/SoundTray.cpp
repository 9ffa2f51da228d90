#include "ui/editor/SoundTray.h"

#include "app/AppModel.h"
#include "model/KeyCodes.h"
#include "model/KeyLayout.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TrayCard.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <unordered_map>

namespace tc {

namespace {

// The order in which keys are met on the drawn keyboard: the layout index of a key code.
const std::unordered_map<std::uint16_t, std::size_t> &layoutRank() {
    static const auto ranks = [] {
        std::unordered_map<std::uint16_t, std::size_t> map;
        const auto &keys = KeyLayout::allKeys();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].code) {
                map.emplace(*keys[i].code, i);
            }
        }
        return map;
    }();
    return ranks;
}

// Where a stored key sorts: its layout place, else after every layout key by its code, else last.
std::uint64_t rankOf(const std::string &keyText) {
    const auto code = KeyCodes::fromText(keyText);
    if (!code) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    const auto &ranks = layoutRank();
    if (const auto found = ranks.find(*code); found != ranks.end()) {
        return found->second;
    }
    return ranks.size() + *code;
}

// One sound of the tray: its badge, name and use count; the whole row is a click target and a drag source.
class TrayRow final : public QWidget {
public:
    TrayRow(SoundItem item, QString uses, std::function<void()> clicked, QWidget *parent)
        : QWidget(parent), item_(std::move(item)), clicked_(std::move(clicked)) {
        setFixedHeight(42);
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this, 10, [this] { clicked_(); });
        setToolTip(QStringLiteral("Drag onto a key, or click to paint with it"));
        setAccessibleName(QString::fromStdString(item_.name));
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(10, 0, 10, 0);
        row->setSpacing(10);
        auto *badge = cap(item_, this);
        auto *frame = new QWidget(this);
        frame->setFixedWidth(28);
        auto *frameLayout = new QHBoxLayout(frame);
        frameLayout->setContentsMargins(0, 0, 0, 0);
        frameLayout->addWidget(badge, 0, Qt::AlignCenter);
        row->addWidget(frame);
        // Cut with "…" where the row ends, and then shown whole in its tooltip.
        auto *name = new FittingText(QString::fromStdString(item_.name), Fonts::system(13, QFont::DemiBold), Theme::ink,
                                     1.0, Qt::AlignLeft, this);
        row->addWidget(name, 1);
        uses_ = textLabel(uses, Fonts::mono(10, QFont::Medium), Theme::ink3, this);
        row->addWidget(uses_);
    }

    const SoundItem &item() const { return item_; }
    void setActive(bool active) {
        if (active_ != active) {
            active_ = active;
            update();
        }
    }
    bool isActive() const { return active_; }

protected:
    void paintEvent(QPaintEvent *) override {
        if (!active_) {
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paintPanel(painter, QRectF(rect()), 10, Theme::panel, QPen(Theme::ink, 1.5));
    }
    void mousePressEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton) {
            pressAt_ = event->position().toPoint();
        }
    }
    void mouseMoveEvent(QMouseEvent *event) override {
        if (!pressAt_ ||
            (event->position().toPoint() - *pressAt_).manhattanLength() < QApplication::startDragDistance()) {
            return;
        }
        pressAt_.reset();
        auto *drag = new QDrag(this);
        auto *mime = new QMimeData;
        mime->setText(QString::fromStdString(item_.id));
        drag->setMimeData(mime);
        const qreal ratio = devicePixelRatioF();
        const MiniCap::Metrics metrics = MiniCap::metrics(40);
        QPixmap pixmap((QSizeF(48, 48) * ratio).toSize());
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            MiniCap::paint(painter, QPointF(4, 4), 40, MiniCap::forCategory(item_.category));
        }
        drag->setPixmap(pixmap);
        drag->setHotSpot(QPointF(4 + metrics.frame.width() / 2, 4 + metrics.frame.height() / 2).toPoint());
        drag->exec(Qt::CopyAction);
    }
    void mouseReleaseEvent(QMouseEvent *event) override {
        const bool click = pressAt_.has_value() && rect().contains(event->position().toPoint());
        pressAt_.reset();
        if (click && event->button() == Qt::LeftButton) {
            clicked_();
        }
    }

private:
    SoundItem item_;
    std::function<void()> clicked_;
    QLabel *uses_;
    std::optional<QPoint> pressAt_;
    bool active_ = false;
};

} // namespace

const std::vector<std::string> &SoundTray::fallbacks() {
    static const std::vector<std::string> ids = {"synth.meow", "synth.boom", "synth.airhorn", "synth.coin"};
    return ids;
}

std::vector<SoundItem> SoundTray::traySounds(const Profile &profile, const std::string &brushSoundID,
                                             const SoundLookup &sound) {
    struct Use {
        std::string id;
        int count = 0;
        std::uint64_t firstRank = std::numeric_limits<std::uint64_t>::max();
    };
    std::map<std::string, Use> byID;
    for (const auto &[key, assignment] : profile.keys) {
        Use &use = byID[assignment.soundID];
        use.id = assignment.soundID;
        ++use.count;
        use.firstRank = std::min(use.firstRank, rankOf(key));
    }
    std::vector<Use> used;
    used.reserve(byID.size());
    for (auto &[id, use] : byID) {
        used.push_back(std::move(use));
    }
    std::sort(used.begin(), used.end(), [](const Use &a, const Use &b) {
        if (a.count != b.count) {
            return a.count > b.count;
        }
        if (a.firstRank != b.firstRank) {
            return a.firstRank < b.firstRank;
        }
        return a.id < b.id;
    });

    std::vector<std::string> ids{brushSoundID};
    for (const Use &use : used) {
        ids.push_back(use.id);
    }
    ids.insert(ids.end(), fallbacks().begin(), fallbacks().end());

    std::vector<SoundItem> items;
    std::set<std::string> seen;
    for (const std::string &id : ids) {
        if (items.size() == kMaxSounds) {
            break;
        }
        if (!seen.insert(id).second) {
            continue;
        }
        if (auto item = sound(id)) {
            items.push_back(std::move(*item));
        }
    }
    return items;
}

QString SoundTray::uses(const Profile &profile, const std::string &soundID) {
    const auto n = std::count_if(profile.keys.begin(), profile.keys.end(),
                                 [&](const auto &entry) { return entry.second.soundID == soundID; });
    if (n == 0) {
        return QStringLiteral("NEW");
    }
    return QStringLiteral("%1 KEY%2").arg(n).arg(n == 1 ? QString() : QStringLiteral("S"));
}

SoundTray::SoundTray(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(kWidth);
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto *header = new QWidget;
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(0, 0, 0, 0);
    headerRow->addWidget(textLabel(QStringLiteral("Sound tray"), Fonts::system(15, QFont::Bold), Theme::ink, header));
    headerRow->addStretch(1);
    auto *add = new QPushButton(header);
    add->setFlat(true);
    add->setFixedSize(24, 24);
    add->setCursor(Qt::PointingHandCursor);
    FocusRing::attach(add);
    add->setAccessibleName(QStringLiteral("Choose a sound for the tray"));
    add->setToolTip(QStringLiteral("Choose a sound for the tray"));
    add->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;}"));
    auto *plus = new SymbolBadge("plus", 24, 13, Theme::ink2, Qt::transparent, add, QFont::Bold);
    plus->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(add, &QPushButton::clicked, this, [this] { model_.setSoundPicker(SoundPickerTarget::brush()); });
    add_ = add;
    headerRow->addWidget(add_);

    rows_ = new QWidget;
    rowsLayout_ = new QVBoxLayout(rows_);
    rowsLayout_->setContentsMargins(6, 6, 6, 6);
    rowsLayout_->setSpacing(0);
    card_ = new TrayCard(header, rows_, this);
    stack->addWidget(card_);

    // The footer link sits under the card's lower edge, in the room the bottom padding leaves.
    auto *browse = new QPushButton(QStringLiteral("Drag onto any key · Browse all"), this);
    browse->setFlat(true);
    browse->setFont(Fonts::system(12));
    browse->setCursor(Qt::PointingHandCursor);
    FocusRing::attach(browse, 6);
    browse->setStyleSheet(
        QStringLiteral("QPushButton{color:%1;border:none;background:transparent;padding:0;}").arg(Theme::ink3.name()));
    browse->setFixedHeight(28);
    connect(browse, &QPushButton::clicked, this, [this] { model_.setSection(AppSection::sounds); });
    browse_ = browse;
    stack->addWidget(browse_, 0, Qt::AlignHCenter);

    model_.observe(AppModel::keysChange | AppModel::userSoundsChange, this, [this] { sync(); });
    connect(&model_, &AppModel::brushSoundIDChanged, this, &SoundTray::sync);
    connect(&model_, &AppModel::toolChanged, this, &SoundTray::sync);
    connect(&model_, &AppModel::soundsVersionChanged, this, &SoundTray::sync);
    sync();
}

void SoundTray::sync() {
    const Profile &profile = model_.data().activeProfile();
    auto sounds =
        traySounds(profile, model_.brushSoundID(), [this](const std::string &id) { return model_.sound(id); });
    std::vector<QString> uses;
    for (const auto &item : sounds) {
        uses.push_back(SoundTray::uses(profile, item.id));
    }
    if (sounds != shown_ || uses != shownUses_) {
        shown_ = std::move(sounds);
        shownUses_ = std::move(uses);
        while (QLayoutItem *item = rowsLayout_->takeAt(0)) {
            // Later: a row may be the one whose click led here.
            item->widget()->hide();
            item->widget()->deleteLater();
            delete item;
        }
        for (std::size_t i = 0; i < shown_.size(); ++i) {
            const std::string id = shown_[i].id;
            auto *row = new TrayRow(
                shown_[i], shownUses_[i],
                [this, id] {
                    model_.setBrushSoundID(id);
                    model_.setTool(EditTool::paint);
                    previewAction(model_, id)();
                    model_.advanceCoach(3);
                },
                rows_);
            rowsLayout_->addWidget(row);
        }
    }
    const bool painting = model_.tool() == EditTool::paint;
    for (int i = 0; i < rowsLayout_->count(); ++i) {
        if (auto *row = dynamic_cast<TrayRow *>(rowsLayout_->itemAt(i)->widget())) {
            row->setActive(painting && row->item().id == model_.brushSoundID());
        }
    }
}

std::vector<std::string> SoundTray::shownIDs() const {
    std::vector<std::string> ids;
    for (const auto &item : shown_) {
        ids.push_back(item.id);
    }
    return ids;
}

QWidget *SoundTray::row(const std::string &soundID) const {
    for (int i = 0; i < rowsLayout_->count(); ++i) {
        if (auto *row = dynamic_cast<TrayRow *>(rowsLayout_->itemAt(i)->widget()); row && row->item().id == soundID) {
            return row;
        }
    }
    return nullptr;
}

std::optional<std::string> SoundTray::activeRow() const {
    for (int i = 0; i < rowsLayout_->count(); ++i) {
        if (auto *row = dynamic_cast<TrayRow *>(rowsLayout_->itemAt(i)->widget()); row && row->isActive()) {
            return row->item().id;
        }
    }
    return std::nullopt;
}

} // namespace tc
