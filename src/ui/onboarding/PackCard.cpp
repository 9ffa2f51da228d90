#include "ui/onboarding/PackCard.h"

#include "ui/kit/CapPalette.h"
#include "ui/kit/CategorySymbols.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <charconv>

namespace tc {

namespace {

constexpr qreal kBadge = 54;
constexpr qreal kPadding = 18;
constexpr qreal kSpacing = 10;
constexpr qreal kCorner = 18;
constexpr qreal kRingInset = 3; // the selection border (2) and a point of room
constexpr qreal kTextInset = 8; // between the card's sides and its lines

// The key code a key-map entry stands for; nothing for an entry that is not a decimal key code.
std::optional<unsigned> keyCode(const std::string &key) {
    unsigned value = 0;
    const auto *end = key.data() + key.size();
    const auto [rest, error] = std::from_chars(key.data(), end, value);
    if (key.empty() || error != std::errc() || rest != end || value > 0xFFFF) {
        return std::nullopt;
    }
    return value;
}

QFont nameFont() {
    return Fonts::system(14, QFont::Bold);
}

QFont countFont() {
    return Fonts::system(11);
}

} // namespace

std::string PackCard::previewSoundID(const Profile &profile) {
    if (const auto space = profile.keys.find("49"); space != profile.keys.end()) {
        return space->second.soundID;
    }
    const std::pair<const std::string, KeyAssignment> *first = nullptr;
    // Numbers before texts, numbers by value; the map's own order (by text) breaks every other tie.
    const auto before = [](const std::string &a, const std::string &b) {
        const auto codeA = keyCode(a);
        const auto codeB = keyCode(b);
        if (codeA && codeB) {
            return *codeA < *codeB;
        }
        if (codeA || codeB) {
            return codeA.has_value();
        }
        return a < b;
    };
    for (const auto &entry : profile.keys) {
        if (first == nullptr || before(entry.first, first->first)) {
            first = &entry;
        }
    }
    return first ? first->second.soundID : profile.baseSoundID;
}

std::string PackCard::symbol(const Profile &profile, const SoundLookup &lookup) {
    std::array<int, kAllSoundCategories.size()> counts{};
    bool any = false;
    for (const auto &[key, assignment] : profile.keys) {
        if (const auto item = lookup(assignment.soundID)) {
            const auto at = std::find(kAllSoundCategories.begin(), kAllSoundCategories.end(), item->category);
            if (at != kAllSoundCategories.end()) {
                ++counts[static_cast<std::size_t>(at - kAllSoundCategories.begin())];
                any = true;
            }
        }
    }
    if (!any) {
        return "keyboard";
    }
    // The first maximum in the categories' listed order stays.
    std::size_t best = 0;
    for (std::size_t i = 1; i < counts.size(); ++i) {
        if (counts[i] > counts[best]) {
            best = i;
        }
    }
    return CategorySymbols::pack(kAllSoundCategories[best]);
}

QString PackCard::countText(const Profile &profile) {
    return QString::number(profile.keys.size()) + QStringLiteral(" custom keys");
}

PackCard::PackCard(const Profile &profile, const SoundLookup &lookup, QWidget *parent)
    : QAbstractButton(parent), id_(profile.id), name_(QString::fromStdString(profile.name)), count_(countText(profile)),
      color_(profile.color), symbol_(symbol(profile, lookup)) {
    setText(name_);
    setAccessibleName(name_);
    setCursor(Qt::PointingHandCursor);
    // The ring runs just inside the selected card's border, which stays in sight.
    FocusRing::attach(this, kCorner - kRingInset, kRingInset);
    // Equal shares of the row (every card asks for its least width), never less than that.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void PackCard::setSelected(bool selected) {
    if (selected_ != selected) {
        selected_ = selected;
        update();
    }
}

int PackCard::height() {
    return qCeil(kPadding + MiniCap::metrics(kBadge).frame.height() + kSpacing + QFontMetricsF(nameFont()).height() +
                 kSpacing + QFontMetricsF(countFont()).height() + kPadding);
}

QSize PackCard::sizeHint() const {
    return minimumSizeHint();
}

QSize PackCard::minimumSizeHint() const {
    const qreal content =
        std::max(MiniCap::metrics(kBadge).frame.width(), QFontMetricsF(countFont()).horizontalAdvance(count_));
    return QSize(qCeil(content + 2 * kTextInset), height());
}

void PackCard::resizeEvent(QResizeEvent *event) {
    QAbstractButton::resizeEvent(event);
    if (nameWidth_ < 0) {
        nameWidth_ = QFontMetricsF(nameFont()).horizontalAdvance(ShownText::bounded(name_));
    }
    setToolTip(nameWidth_ > width() - 2 * kTextInset ? name_ : QString());
}

void PackCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(rect());
    paintPanel(painter, area, kCorner, Qt::white, selected_ ? std::optional(QPen(Theme::ink, 2)) : std::nullopt);

    const QSizeF badge = MiniCap::metrics(kBadge).frame;
    qreal y = kPadding;
    MiniCap::paint(painter, QPointF(area.center().x() - badge.width() / 2, y), kBadge,
                   MiniCap::Content{CapPalette::forProfileColor(color_), symbol_, std::nullopt});
    y += badge.height() + kSpacing;

    const QFontMetricsF nameMetrics(nameFont());
    painter.setFont(nameFont());
    painter.setPen(Theme::ink);
    const QRectF nameRect(area.left() + kTextInset, y, area.width() - 2 * kTextInset, nameMetrics.height());
    painter.drawText(nameRect, Qt::AlignHCenter | Qt::AlignTop,
                     ShownText::elided(nameMetrics, name_, nameRect.width()));
    y += nameMetrics.height() + kSpacing;

    painter.setFont(countFont());
    painter.setPen(Theme::ink3);
    painter.drawText(QRectF(area.left(), y, area.width(), QFontMetricsF(countFont()).height()),
                     Qt::AlignHCenter | Qt::AlignTop, count_);
}

} // namespace tc
