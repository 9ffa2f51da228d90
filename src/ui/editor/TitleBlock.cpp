#include "ui/editor/TitleBlock.h"

#include "app/AppModel.h"
#include "model/KeyLayout.h"
#include "ui/editor/BaseSoundMenu.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/FlowRow.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/PointerHold.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Theme.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace tc {

namespace {

struct CategoryEntry {
    SoundCategory category;
    const char *label;
    const CapPalette *palette;
};

const std::array<CategoryEntry, 5> &legendOrder() {
    static const std::array<CategoryEntry, 5> order = {{
        {SoundCategory::memes, "Memes", &CapPalette::yellow},
        {SoundCategory::animals, "Animals", &CapPalette::blue},
        {SoundCategory::retro, "Retro", &CapPalette::red},
        {SoundCategory::everyday, "Everyday", &CapPalette::green},
        {SoundCategory::mine, "My sounds", &CapPalette::black},
    }};
    return order;
}

int codedKeyCount() {
    const auto &keys = KeyLayout::allKeys();
    return static_cast<int>(std::count_if(keys.begin(), keys.end(), [](const KeyDef &key) { return key.code; }));
}

constexpr qreal kSwatch = 12;
constexpr qreal kChipSpacing = 6;

QFont labelFont() {
    return Fonts::system(12, QFont::Medium);
}
QFont countFont() {
    return Fonts::mono(11, QFont::Medium);
}

} // namespace

std::vector<TitleBlock::LegendEntry> TitleBlock::legend(const Profile &profile, const SoundLookup &sound) {
    std::map<SoundCategory, int> counts;
    for (const auto &[code, assignment] : profile.keys) {
        const auto item = sound(assignment.soundID);
        ++counts[item ? item->category : SoundCategory::mechanical];
    }
    const int base = std::max(codedKeyCount() - static_cast<int>(profile.keys.size()), 0);
    std::vector<LegendEntry> entries;
    entries.push_back(
        {profile.baseSoundID == "none" ? QStringLiteral("Silent") : QStringLiteral("Base"), CapPalette::white, base});
    for (const auto &entry : legendOrder()) {
        if (const auto found = counts.find(entry.category); found != counts.end()) {
            entries.push_back({QString::fromUtf8(entry.label), *entry.palette, found->second});
        }
    }
    return entries;
}

TitleBlock::TitleBlock(AppModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(12);
    QFont font = Fonts::system(44, QFont::ExtraBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -1.6);
    // One line: a long hand-typed name shrinks a little, then is cut, rather than widen the page.
    name_ = new FittingText(QString(), font, Theme::ink, 0.7, Qt::AlignLeft, this);
    stack->addWidget(name_);
    chips_ = new FlowRow(14, 8, this);
    stack->addWidget(chips_);
    menu_ = new BaseSoundMenu(model_, this);
    model_.observe(AppModel::profilesChange | AppModel::keysChange | AppModel::userSoundsChange, this,
                   [this] { sync(); });
    connect(&model_, &AppModel::soundsVersionChanged, this, &TitleBlock::sync);
    sync();
}

QString TitleBlock::name() const {
    return name_->text();
}

std::vector<TitleBlock::LegendEntry> TitleBlock::shownLegend() const {
    return shown_;
}

void TitleBlock::sync() {
    // A new legend line would move the keyboard under a pointer that is painting keys: it waits for the button.
    PointerHold::afterRelease(this, [this] { refresh(); });
}

void TitleBlock::refresh() {
    const Profile &profile = model_.data().activeProfile();
    name_->setText(ShownText::bounded(QString::fromStdString(profile.name)));
    auto entries = legend(profile, [this](const std::string &id) { return model_.sound(id); });
    if (entries == shown_) {
        return;
    }
    shown_ = std::move(entries);
    // The base sound menu stays; the chips before it are made anew.
    menu_->setParent(nullptr);
    chips_->clear();
    for (const auto &entry : shown_) {
        chips_->add(new LegendChip(entry));
    }
    chips_->add(menu_);
}

LegendChip::LegendChip(TitleBlock::LegendEntry entry, QWidget *parent) : QWidget(parent), entry_(std::move(entry)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("%1: %2").arg(entry_.label).arg(entry_.count));
}

QSize LegendChip::sizeHint() const {
    const qreal width = kSwatch + kChipSpacing + QFontMetricsF(labelFont()).horizontalAdvance(entry_.label) +
                        kChipSpacing + QFontMetricsF(countFont()).horizontalAdvance(QString::number(entry_.count));
    return {static_cast<int>(std::ceil(width)) + 1, 18};
}

void LegendChip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal middle = height() / 2.0;
    const QRectF swatch(0, middle - kSwatch / 2, kSwatch, kSwatch);
    paintPanel(painter, swatch, 3, entry_.palette.swatch, QPen(Theme::withOpacity(Qt::black, 0.12), 1));
    qreal x = swatch.right() + kChipSpacing;
    painter.setFont(labelFont());
    painter.setPen(Theme::ink2);
    const qreal labelWidth = QFontMetricsF(labelFont()).horizontalAdvance(entry_.label);
    painter.drawText(QRectF(x, 0, labelWidth + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, entry_.label);
    x += labelWidth + kChipSpacing;
    painter.setFont(countFont());
    painter.setPen(Theme::ink3);
    painter.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::number(entry_.count));
}

} // namespace tc
