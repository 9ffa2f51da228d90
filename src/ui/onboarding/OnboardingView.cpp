#include "ui/onboarding/OnboardingView.h"

#include "app/AppModel.h"
#include "ui/kit/DottedBackground.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ModelBindings.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/RowLabels.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/SidewaysScrollArea.h"
#include "ui/kit/SpringAnimator.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TrayCard.h"
#include "ui/onboarding/OnboardingHero.h"
#include "ui/onboarding/PackCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace tc {

namespace {

constexpr qreal kSlideDistance = 40; // where a new step starts, to the right of its place

// The title (38-pixel heavy, tracking −1.4) over the subtitle (14-pixel Theme.ink2, at most 480 wide), both
// centred, 10 apart.
QWidget *header(const QString &title, const QString &subtitle) {
    auto *box = new QWidget;
    auto *stack = new QVBoxLayout(box);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);
    QFont titleFont = Fonts::system(38, QFont::Black);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -1.4);
    auto *titleLabel = textLabel(title, titleFont, Theme::ink, box);
    titleLabel->setObjectName(QStringLiteral("stepTitle"));
    titleLabel->setAlignment(Qt::AlignHCenter);
    titleLabel->setWordWrap(true);
    stack->addWidget(titleLabel);
    auto *subtitleLabel = textLabel(subtitle, Fonts::system(14), Theme::ink2, box);
    subtitleLabel->setObjectName(QStringLiteral("stepSubtitle"));
    subtitleLabel->setAlignment(Qt::AlignHCenter);
    subtitleLabel->setWordWrap(true);
    subtitleLabel->setFixedWidth(480);
    stack->addWidget(subtitleLabel, 0, Qt::AlignHCenter);
    return box;
}

// The 24-point marker of a step: an orange ring with a dot while it is the current one, a faint ring
// otherwise.
class StepMarker final : public QWidget {
public:
    explicit StepMarker(bool current) : current_(current) { setFixedSize(24, 24); }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area(rect());
        if (current_) {
            painter.setPen(QPen(Theme::orange, 2));
            painter.drawEllipse(area.adjusted(1, 1, -1, -1));
            painter.setPen(Qt::NoPen);
            painter.setBrush(Theme::orange);
            painter.drawEllipse(QRectF(area.center() - QPointF(4, 4), QSizeF(8, 8)));
        } else {
            painter.setPen(QPen(QColor(207, 207, 202), 1.5));
            painter.drawEllipse(area.adjusted(0.75, 0.75, -0.75, -0.75));
        }
    }

private:
    bool current_;
};

// The orange "Waiting" capsule of the current step.
class WaitingPill final : public QWidget {
public:
    WaitingPill() {
        setObjectName(QStringLiteral("waiting"));
        const QFontMetrics metrics(Fonts::system(11, QFont::DemiBold));
        setFixedSize(metrics.horizontalAdvance(QStringLiteral("Waiting")) + 20, 24);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(capsule(QRectF(rect())), Theme::orangeSoft);
        painter.setFont(Fonts::system(11, QFont::DemiBold));
        painter.setPen(Theme::orangeText);
        painter.drawText(QRectF(rect()), Qt::AlignCenter, QStringLiteral("Waiting"));
    }
};

// The 22 points between the parts of a step. The sheet grows to keep them (see fitToStep()); only on a
// screen too short for that do they give way, so the parts never overlap.
void addGap(QVBoxLayout *stack) {
    stack->addSpacerItem(new QSpacerItem(0, 22, QSizePolicy::Minimum, QSizePolicy::Preferred));
}

QWidget *stepRow(bool current, const QString &title, const QString &note) {
    auto *row = new QWidget;
    row->setFixedHeight(58);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(new StepMarker(current));
    layout->addWidget(rowLabels(title, note, row), 1, Qt::AlignVCenter);
    if (current) {
        layout->addWidget(new WaitingPill);
    }
    return row;
}

} // namespace

OnboardingView::OnboardingView(AppModel &model, QWidget *parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("Welcome to Tapchime"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(kWidth, kHeight);

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, kTopMargin, 0, 0);
    stack->setSpacing(0);
    auto *hero = new OnboardingHero(this);
    hero->setFixedHeight(kHeroHeight);
    stack->addWidget(hero);
    stepHost_ = new QWidget(this);
    stepHost_->setObjectName(QStringLiteral("stepHost"));
    stack->addWidget(stepHost_, 1);

    slide_ = new SpringAnimator(
        0.4, 0.85,
        [this](qreal value) {
            slideOffset_ = value;
            placeContent();
        },
        this);

    connect(&model_, &AppModel::permissionGrantedChanged, this, [this] { syncStep(true); });
    model_.observe(AppModel::profilesChange | AppModel::keysChange | AppModel::userSoundsChange, this, [this] {
        if (step_ == Step::pack) {
            fillPackCards();
        }
    });
    step_ = stepFor(!model_.permissionGranted()); // differs, so the first sync builds the content
    syncStep(false);
}

OnboardingView::~OnboardingView() = default;

void OnboardingView::syncStep(bool animated) {
    const Step wanted = stepFor(model_.permissionGranted());
    if (wanted == step_ && content_) {
        return;
    }
    step_ = wanted;
    if (content_) {
        content_->hide();
        content_->deleteLater();
    }
    showMeHow_ = later_ = startTyping_ = nullptr;
    cardRow_ = nullptr;
    cardBand_ = nullptr;
    cards_.clear();
    cardsShown_.clear();
    content_ = step_ == Step::permission ? buildPermissionStep() : buildPackStep();
    content_->setParent(stepHost_);
    fitToStep();
    if (animated) {
        slide_->jumpTo(kSlideDistance);
        slide_->animateTo(0);
    } else {
        slide_->jumpTo(0);
    }
    placeContent();
    content_->show();
    // Each step opens with focus on its main action, so Return takes it.
    QAbstractButton *action = step_ == Step::permission ? showMeHow_ : startTyping_;
    action->setFocus(Qt::OtherFocusReason);
}

int OnboardingView::heightFor(const QWidget &step) {
    const int width = kWidth - 2 * kStepInset;
    const QLayout *layout = step.layout();
    const int content =
        layout && layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : step.sizeHint().height();
    return kTopMargin + kHeroHeight + 2 * kStepTopInset + content;
}

void OnboardingView::fitToStep() {
    // As tall as the step wants with every gap whole, never shorter than the sheet's own height.
    setFixedSize(kWidth, std::max(kHeight, heightFor(*content_)));
}

void OnboardingView::placeContent() {
    if (!content_) {
        return;
    }
    // 40 in from either side, 26 from top and bottom; the content sits at the top of what is left.
    const QRect area = stepHost_->rect().adjusted(kStepInset, kStepTopInset, -kStepInset, -kStepTopInset);
    content_->setGeometry(area.translated(qRound(slideOffset_), 0));
}

void OnboardingView::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    placeContent();
}

QWidget *OnboardingView::buildPermissionStep() {
    auto *step = new QWidget;
    step->setObjectName(QStringLiteral("permissionStep"));
    auto *stack = new QVBoxLayout(step);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(header(QStringLiteral("Give every key its own voice"),
                            QStringLiteral("Linux lets an app hear key presses in other apps only with keyboard "
                                           "access. It takes about a minute.")));
    addGap(stack);

    auto *rows = new QWidget;
    auto *rowStack = new QVBoxLayout(rows);
    rowStack->setContentsMargins(14, 0, 14, 0);
    rowStack->setSpacing(0);
    rowStack->addWidget(stepRow(true, QStringLiteral("Allow keyboard access"),
                                QStringLiteral("Terminal › sudo usermod -aG input $USER › log in again")));
    rowStack->addWidget(rowDivider(nullptr));
    rowStack->addWidget(stepRow(false, QStringLiteral("Pick a starter pack"),
                                QStringLiteral("Meme mode, Animals or Arcade. Change it any time.")));
    auto *cardTitle = textLabel(QStringLiteral("Two quick steps"), Fonts::system(15, QFont::Bold), Theme::ink);
    auto *card = new TrayCard(cardTitle, rows);
    card->headerLayout()->addStretch(1);
    card->setMinimumHeight(42 + 58 + 1 + 58 + 8);
    stack->addWidget(card);
    addGap(stack);

    auto *privacy = new QHBoxLayout;
    privacy->setSpacing(8);
    privacy->addStretch(1);
    privacy->addWidget(new SymbolBadge("lock", 14, 12, Theme::ink2));
    privacy->addWidget(
        textLabel(QStringLiteral("Tapchime hears which key, never what you type."), Fonts::system(12), Theme::ink2));
    privacy->addStretch(1);
    stack->addLayout(privacy);
    addGap(stack);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    showMeHow_ = new PillButton(QStringLiteral("Show me how"), BlackPillButtonStyle{44});
    connect(showMeHow_, &QAbstractButton::clicked, this, [this] { allowKeyboardAccess(model_); });
    later_ = new PillButton(QStringLiteral("Later"), OutlinePillButtonStyle{44});
    connect(later_, &QAbstractButton::clicked, this, [this] { model_.completeOnboarding(); });
    buttons->addWidget(showMeHow_);
    buttons->addWidget(later_);
    buttons->addStretch(1);
    stack->addLayout(buttons);
    addGap(stack);

    auto *note = textLabel(QStringLiteral("Tapchime notices the moment you allow it."), Fonts::system(11), Theme::ink3);
    note->setAlignment(Qt::AlignHCenter);
    stack->addWidget(note);
    stack->addStretch(1);
    return step;
}

QWidget *OnboardingView::buildPackStep() {
    auto *step = new QWidget;
    step->setObjectName(QStringLiteral("packStep"));
    auto *stack = new QVBoxLayout(step);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(header(QStringLiteral("Pick a starter pack"),
                            QStringLiteral("Try typing anywhere after you pick. You can change every key later.")));
    addGap(stack);
    // The cards share the row's width; when there are more than fit at their least width the row scrolls
    // sideways, so every card keeps its badge, name and count whole.
    cardBand_ = new SidewaysScrollArea;
    cardBand_->setObjectName(QStringLiteral("packCards"));
    auto *strip = new QWidget;
    strip->setAttribute(Qt::WA_TranslucentBackground);
    cardRow_ = new QHBoxLayout(strip);
    cardRow_->setContentsMargins(0, 0, 0, 0);
    cardRow_->setSpacing(14);
    cardBand_->setWidget(strip);
    strip->setAutoFillBackground(false); // setWidget() turned it on
    cardBand_->setFixedHeight(PackCard::height());
    stack->addWidget(cardBand_);
    fillPackCards();
    addGap(stack);

    startTyping_ = new PillButton(QStringLiteral("Start typing"), BlackPillButtonStyle{46});
    connect(startTyping_, &QAbstractButton::clicked, this, [this] { model_.completeOnboarding(); });
    stack->addWidget(startTyping_, 0, Qt::AlignHCenter);
    stack->addStretch(1);
    return step;
}

void OnboardingView::fillPackCards() {
    const auto lookup = [this](const std::string &id) { return model_.sound(id); };
    // What each card shows and plays; the cards are made again only when that changed, so a tap keeps its card.
    QString shown;
    for (const Profile &profile : model_.data().profiles) {
        shown += QString::fromStdString(profile.id.toString() + '\n' + profile.name + '\n' + toString(profile.color) +
                                        '\n' + PackCard::symbol(profile, lookup) + '\n' +
                                        PackCard::previewSoundID(profile) + '\n') +
                 PackCard::countText(profile) + '\n';
    }
    if (shown != cardsShown_) {
        cardsShown_ = shown;
        for (PackCard *card : cards_) {
            card->hide();
            card->deleteLater();
        }
        cards_.clear();
        for (const Profile &profile : model_.data().profiles) {
            auto *card = new PackCard(profile, lookup);
            // The preview comes from the profile as the card was given it.
            connect(card, &QAbstractButton::clicked, this,
                    [this, id = profile.id, sound = PackCard::previewSoundID(profile)] {
                        model_.setActiveProfile(id);
                        model_.preview(sound);
                    });
            cardRow_->addWidget(card, 1);
            cards_.push_back(card);
        }
        // Equal shares: every card is at least as wide as the widest count needs.
        int least = 0;
        for (PackCard *card : cards_) {
            least = std::max(least, card->minimumSizeHint().width());
        }
        for (PackCard *card : cards_) {
            card->setMinimumWidth(least);
        }
        // Cards made again come before "Start typing" for Tab, as they are drawn.
        if (startTyping_ != nullptr && !cards_.empty()) {
            QWidget::setTabOrder(cards_.back(), startTyping_);
        }
    }
    refreshSelection();
}

void OnboardingView::refreshSelection() {
    for (PackCard *card : cards_) {
        card->setSelected(card->profileID() == model_.data().activeProfileID);
    }
}

void OnboardingView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    DottedBackground::paint(painter, QRectF(rect()), 20);
}

} // namespace tc
