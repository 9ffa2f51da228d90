#include "ui/editor/CoachCard.h"

#include "app/AppModel.h"
#include "engine/Hotkey.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/PointerHold.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tc {

namespace {

constexpr QColor kGrey{163, 163, 158};
constexpr QColor kPendingRing{85, 85, 79};
constexpr QColor kTipText{216, 216, 211};
constexpr qreal kBubble = 22;
constexpr int kSideInset = 18;
constexpr int kTopInset = 14;
constexpr int kStepSpacing = 12;
constexpr int kBubbleGap = 8;
constexpr int kTipColumnSpacing = 14;
constexpr int kTipRowSpacing = 10;

// The round marker of one step: an orange check when done, a white number when active, a ringed number
// otherwise.
class StepBubble final : public QWidget {
public:
    StepBubble(int number, QWidget *parent) : QWidget(parent), number_(number) { setFixedSize(22, 22); }
    void setState(CoachCard::StepState state) {
        state_ = state;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF circle(0, 0, kBubble, kBubble);
        const bool done = state_ == CoachCard::StepState::done;
        const bool active = state_ == CoachCard::StepState::active;
        if (done || active) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(done ? Theme::orange : QColor(Qt::white));
            painter.drawEllipse(circle);
        } else {
            painter.setPen(QPen(kPendingRing, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(circle.adjusted(0.75, 0.75, -0.75, -0.75));
        }
        painter.setFont(Fonts::system(11, QFont::Bold));
        painter.setPen(done || active ? Theme::ink : kGrey);
        painter.drawText(circle, Qt::AlignCenter, done ? QStringLiteral("✓") : QString::number(number_));
    }

private:
    int number_;
    CoachCard::StepState state_ = CoachCard::StepState::pending;
};

QString titleText(bool done) {
    return done ? QStringLiteral("You're all set. Good to know:") : QStringLiteral("Get started in 3 steps");
}

QString dismissText(bool done) {
    return done ? QStringLiteral("Got it") : QStringLiteral("Skip");
}

QLabel *wrappingLabel(const QString &text, const QFont &font, QColor color, QWidget *parent) {
    auto *label = textLabel(text, font, color, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A flat text button in one colour.
QPushButton *textButton(const QString &text, const QFont &font, QColor color, QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setFlat(true);
    button->setFont(font);
    button->setCursor(Qt::PointingHandCursor);
    FocusRing::attach(button, 6);
    button->setStyleSheet(QStringLiteral("QPushButton{color:%1;border:none;padding:0;text-align:left;background:"
                                         "transparent;}")
                              .arg(color.name()));
    return button;
}

} // namespace

QStringList CoachCard::standardSteps() {
    return {QStringLiteral("Click any key on the keyboard"),
            QStringLiteral("Drag a sound from the tray, or press Replace"),
            QStringLiteral("Press Test, then type anywhere")};
}

const std::vector<CoachCard::Tip> &CoachCard::tips() {
    static const std::vector<Tip> list = {
        {"keyboard",
         QStringLiteral("%1 turns sounds on or off in any app. The tray key closes its eyes when they're off.")
             .arg(QString::fromStdString(hotkeyText(Hotkey::toggleSounds))),
         std::nullopt},
        {"square.stack.3d.up.fill",
         QStringLiteral("Switch the whole keyboard with the packs at the top: Meme mode, Animals, Arcade."),
         std::nullopt},
        {"bolt.fill", QStringLiteral("Triggers play a sound when you type a word like “lol” or press Ctrl+S."),
         AppSection::triggers},
        {"mic.slash.fill",
         QStringLiteral("In calls Tapchime goes quiet by itself. App rules give each app its own pack."),
         AppSection::apps},
    };
    return list;
}

CoachCard::StepState CoachCard::stepState(int index, int current) {
    const int number = index + 1;
    if (number < current) {
        return StepState::done;
    }
    return number == current ? StepState::active : StepState::pending;
}

QString CoachCard::linkTitle(AppSection section) {
    static const char *titles[] = {"Keys", "Sounds", "Triggers", "App rules", "Settings"};
    return QStringLiteral("Open %1 →").arg(QString::fromUtf8(titles[static_cast<int>(section)]));
}

CoachCard::CoachCard(AppModel &model, QStringList steps, QWidget *parent)
    : QWidget(parent), model_(model), steps_(std::move(steps)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMaximumWidth(kMaxWidth);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(18, 14, 18, 14);
    stack->setSpacing(12);
    auto *header = new QHBoxLayout;
    title_ = textLabel(QString(), Fonts::system(15, QFont::Bold), Qt::white, this);
    header->addWidget(title_);
    header->addStretch(1);
    auto *dismiss = new QPushButton(this);
    dismiss->setFont(Fonts::system(11, QFont::DemiBold));
    dismiss->setFixedHeight(26);
    dismiss->setCursor(Qt::PointingHandCursor);
    FocusRing::attach(dismiss);
    dismiss->setStyleSheet(
        QStringLiteral("QPushButton{color:white;border:none;border-radius:13px;padding:0 10px;background:rgba(255,"
                       "255,255,31);} QPushButton:pressed{background:rgba(255,255,255,60);}"));
    connect(dismiss, &QPushButton::clicked, this, [this] { model_.dismissCoach(); });
    dismiss_ = dismiss;
    header->addWidget(dismiss_);
    stack->addLayout(header);

    stepsRow_ = new QWidget(this);
    auto *row = new QHBoxLayout(stepsRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    for (int i = 0; i < steps_.size(); ++i) {
        auto *step = new QWidget(stepsRow_);
        auto *line = new QHBoxLayout(step);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        auto *bubble = new StepBubble(i + 1, step);
        bubble->setObjectName(QStringLiteral("bubble"));
        line->addWidget(bubble, 0, Qt::AlignTop);
        auto *text = wrappingLabel(steps_[i], Fonts::system(12), kGrey, step);
        text->setObjectName(QStringLiteral("text"));
        stepCells_.push_back(step);
        stepTexts_.push_back(text);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->addWidget(text, 1);
        row->addWidget(step, 1);
    }
    stack->addWidget(stepsRow_);

    tipsGrid_ = new QWidget(this);
    auto *grid = new QGridLayout(tipsGrid_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    for (std::size_t i = 0; i < tips().size(); ++i) {
        const Tip &tip = tips()[i];
        auto *cell = new QWidget(tipsGrid_);
        auto *line = new QHBoxLayout(cell);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        line->addWidget(new SymbolBadge(tip.symbol, 22, 11, Theme::ink, Theme::orange, cell), 0, Qt::AlignTop);
        auto *column = new QVBoxLayout;
        column->setSpacing(3);
        auto *text = wrappingLabel(tip.text, Fonts::system(12), kTipText, cell);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        column->addWidget(text);
        tipCells_.push_back(cell);
        tipTexts_.push_back(text);
        tipLinks_.push_back(nullptr);
        if (tip.link) {
            auto *link = textButton(linkTitle(*tip.link), Fonts::system(11, QFont::DemiBold), Theme::orange, cell);
            connect(link, &QPushButton::clicked, this, [this, section = *tip.link] { model_.setSection(section); });
            links_.push_back(link);
            tipLinks_.back() = link;
            column->addWidget(link, 0, Qt::AlignLeft);
        }
        column->addStretch(1);
        line->addLayout(column, 1);
        grid->addWidget(cell, static_cast<int>(i / 2), static_cast<int>(i % 2));
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    stack->addWidget(tipsGrid_);

    setMinimumWidth(leastWidth());
    setGraphicsEffect(new ShadowEffect({{Theme::withOpacity(Theme::ink, 0.25), 20, QPointF(0, 14)}}, 18, this));
    // The card may change its height with the step: it waits for a button held on the keyboard below it.
    model_.observe(AppModel::settingsChange, this, [this] { PointerHold::afterRelease(this, [this] { sync(); }); });
    sync();
}

bool CoachCard::showsTips() const {
    return model_.data().settings.coachStep >= 4;
}

QString CoachCard::title() const {
    return title_->text();
}

void CoachCard::sync() {
    // A hand-edited step far outside 0…5 draws like its nearest end.
    const int step = static_cast<int>(std::clamp<std::int64_t>(model_.data().settings.coachStep, 0, 5));
    if (step == shownStep_) {
        return;
    }
    shownStep_ = step;
    const bool done = showsTips();
    title_->setText(titleText(done));
    dismiss_->setText(dismissText(done));
    stepsRow_->setVisible(!done);
    tipsGrid_->setVisible(done);
    const auto steps = stepsRow_->findChildren<QWidget *>(QStringLiteral("bubble"));
    const auto texts = stepsRow_->findChildren<QLabel *>(QStringLiteral("text"));
    for (int i = 0; i < steps.size() && i < texts.size(); ++i) {
        const StepState state = stepState(i, step);
        static_cast<StepBubble *>(steps[i])->setState(state);
        QFont font = Fonts::system(12);
        font.setStrikeOut(state == StepState::done);
        texts[i]->setFont(font);
        QPalette palette = texts[i]->palette();
        palette.setColor(QPalette::WindowText, state == StepState::active ? QColor(Qt::white) : kGrey);
        texts[i]->setPalette(palette);
    }
    if (testAttribute(Qt::WA_Resized)) {
        setMinimumHeight(heightForWidth(width()));
    }
    updateGeometry();
}

int CoachCard::leastWidth() const {
    const auto longestWord = [](const QFontMetrics &metrics, const QString &text) {
        int widest = 0;
        for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            widest = std::max(widest, metrics.horizontalAdvance(word));
        }
        return widest;
    };
    // Room for a text column beside a bubble; a little slack for the label's rounding.
    const int besideBubble = static_cast<int>(kBubble) + kBubbleGap + 2;
    const QFontMetrics text(Fonts::system(12));
    int stepWord = 0;
    for (const QString &step : steps_) {
        stepWord = std::max(stepWord, longestWord(text, step));
    }
    const int columns = std::max(1, static_cast<int>(steps_.size()));
    const int steps = (columns - 1) * kStepSpacing + columns * (besideBubble + stepWord);
    int tipWord = 0;
    for (const Tip &tip : tips()) {
        tipWord = std::max(tipWord, longestWord(text, tip.text));
    }
    const int tipsGrid = kTipColumnSpacing + 2 * (besideBubble + tipWord);
    const QFontMetrics titleFont(title_->font());
    const int titleWidth =
        std::max(titleFont.horizontalAdvance(titleText(true)), titleFont.horizontalAdvance(titleText(false)));
    const QFontMetrics buttonFont(dismiss_->font());
    const int buttonWidth =
        std::max(buttonFont.horizontalAdvance(dismissText(true)), buttonFont.horizontalAdvance(dismissText(false))) +
        2 * 10; // its padding
    const int header = titleWidth + kStepSpacing + buttonWidth;
    return 2 * kSideInset + std::max({steps, tipsGrid, header});
}

int CoachCard::cellWidth(int width, int columns, int spacing) {
    return std::max(0, (width - 2 * kSideInset - (columns - 1) * spacing) / std::max(columns, 1));
}

void CoachCard::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // Equal columns, whatever their texts, so the heights worked out below are the heights drawn.
    for (QWidget *cell : stepCells_) {
        cell->setFixedWidth(cellWidth(width(), static_cast<int>(stepCells_.size()), kStepSpacing));
    }
    for (QWidget *cell : tipCells_) {
        cell->setFixedWidth(cellWidth(width(), 2, kTipColumnSpacing));
    }
    // Wrapped step texts need more height on a narrower card; ask the page for it.
    const int wanted = heightForWidth(width());
    if (minimumHeight() != wanted) {
        setMinimumHeight(wanted);
    }
}

int CoachCard::heightForWidth(int width) const {
    const int header = std::max(title_->sizeHint().height(), dismiss_->height());
    int body = 0;
    if (showsTips()) {
        const int text = cellWidth(width, 2, kTipColumnSpacing) - kBubbleGap - static_cast<int>(kBubble);
        for (std::size_t row = 0; row * 2 < tipTexts_.size(); ++row) {
            int tallest = static_cast<int>(kBubble);
            for (std::size_t i = row * 2; i < std::min(row * 2 + 2, tipTexts_.size()); ++i) {
                int height = tipTexts_[i]->heightForWidth(text);
                if (tipLinks_[i]) {
                    height += 3 + tipLinks_[i]->sizeHint().height();
                }
                tallest = std::max(tallest, height);
            }
            body += (row > 0 ? kTipRowSpacing : 0) + tallest;
        }
    } else {
        const int text = cellWidth(width, static_cast<int>(stepTexts_.size()), kStepSpacing) - kBubbleGap -
                         static_cast<int>(kBubble);
        body = static_cast<int>(kBubble);
        for (QLabel *label : stepTexts_) {
            body = std::max(body, label->heightForWidth(text));
        }
    }
    return 2 * kTopInset + header + 12 + body;
}

QSize CoachCard::sizeHint() const {
    return {kMaxWidth, heightForWidth(kMaxWidth)};
}

void CoachCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), 18, Theme::ink);
}

} // namespace tc
