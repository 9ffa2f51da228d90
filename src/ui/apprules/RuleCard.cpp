#include "ui/apprules/RuleCard.h"

#include "app/AppModel.h"
#include "ui/apprules/AppDirectory.h"
#include "ui/kit/CapPalette.h"
#include "ui/kit/Card.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ItemMenu.h"
#include "ui/kit/MenuText.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SingleClick.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QVBoxLayout>

namespace tc {

namespace {

const QColor frameGrey(207, 207, 202);

// "Active": an orange dot and the word on a soft orange capsule, 22 high.
class ActiveBadge final : public QWidget {
public:
    explicit ActiveBadge(QWidget *parent) : QWidget(parent) { setFixedSize(sizeHint()); }

    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return {qRound(9 + 6 + 6 + metrics.horizontalAdvance(text()) + 9), 22};
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(capsule(QRectF(rect())), Theme::orangeSoft);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::orange);
        painter.drawEllipse(QRectF(9, (height() - 6) / 2.0, 6, 6));
        painter.setFont(font());
        painter.setPen(Theme::orangeText);
        painter.drawText(QRectF(9 + 6 + 6, 0, width() - 21, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    }

private:
    static QString text() { return QStringLiteral("Active"); }
    QFont font() const { return Fonts::system(11, QFont::DemiBold); }
};

// The small "xmark" that removes a rule.
class RemoveButton final : public QAbstractButton {
public:
    explicit RemoveButton(QWidget *parent) : QAbstractButton(parent) {
        setToolTip(QStringLiteral("Remove rule"));
        setAccessibleName(QStringLiteral("Remove rule"));
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this);
        setFixedSize(22, 22);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 1.0);
        Symbols::paint(painter, QRectF(rect()), "xmark", 10, QFont::Bold, Theme::ink3);
    }
};

// The menu label along the card's bottom edge: swatch, profile name, the up-down chevron, on Theme.panel.
class ProfileMenuButton final : public QAbstractButton {
public:
    explicit ProfileMenuButton(QWidget *parent) : QAbstractButton(parent) {
        setFixedHeight(RuleCard::menuHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
        FocusRing::attach(this, 6);
    }

    void setLabel(const QString &text, QColor swatch) {
        setText(text);
        setAccessibleName(text);
        swatch_ = swatch;
        syncToolTip();
        update();
    }
    QColor swatch() const { return swatch_; }

    QSize sizeHint() const override { return {200, RuleCard::menuHeight}; }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // The card's rounded bottom corners cut the panel-coloured strip.
        const QRectF card(QPointF(-x(), -y()), QSizeF(parentWidget()->size()));
        painter.setClipPath(continuousRoundedRect(card, RuleCard::corner));
        painter.fillRect(rect(), isDown() ? Theme::line : Theme::panel);

        const qreal mid = height() / 2.0;
        const QRectF swatch(16, mid - 5, 10, 10);
        paintPanel(painter, swatch, 3, swatch_);
        painter.setPen(QPen(Theme::withOpacity(Qt::black, 0.18), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(strokeBorderPath(swatch, 3, 1));

        const QRectF room = textRoom();
        const QFont font = labelFont();
        painter.setFont(font);
        painter.setPen(Theme::ink);
        const QString shown = ShownText::elided(QFontMetricsF(font), text(), room.width());
        painter.drawText(room, Qt::AlignVCenter | Qt::AlignLeft, shown);
        Symbols::paint(painter, QRectF(width() - 16 - kChevronWidth, 0, kChevronWidth, height()),
                       "chevron.up.chevron.down", 9, QFont::Bold, Theme::ink3);
    }

    void resizeEvent(QResizeEvent *event) override {
        QAbstractButton::resizeEvent(event);
        syncToolTip();
    }

private:
    static constexpr qreal kChevronWidth = 12;

    static QFont labelFont() { return Fonts::system(12, QFont::DemiBold); }

    // Between the swatch and the chevron.
    QRectF textRoom() const {
        const qreal left = 16 + 10 + 8;
        return {left, 0, std::max<qreal>(0, width() - 16 - kChevronWidth - 8 - left), static_cast<qreal>(height())};
    }

    // A profile name shown cut tells its whole name in the tooltip.
    void syncToolTip() {
        setToolTip(ShownText::fits(QFontMetricsF(labelFont()), text(), textRoom().width()) ? QString() : text());
    }

    QColor swatch_ = Theme::ink;
};

// The 2-point orange line inside the card's edge while it is active; above the children, clicks pass through.
class ActiveBorder final : public QWidget {
public:
    explicit ActiveBorder(QWidget *parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Theme::orange, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(strokeBorderPath(QRectF(rect()), RuleCard::corner, 2));
    }
};

} // namespace

// --- The icon -----------------------------------------------------------------------------------------------

RuleIcon::RuleIcon(QWidget *parent) : QWidget(parent) {
    setFixedSize(46, 46);
}

void RuleIcon::showFallback() {
    kind_ = Kind::fallback;
    image_ = QIcon();
    letter_.clear();
    update();
}

void RuleIcon::showImage(const QIcon &icon) {
    kind_ = Kind::image;
    image_ = icon;
    letter_.clear();
    update();
}

void RuleIcon::showLetter(const QString &letter) {
    kind_ = Kind::letter;
    image_ = QIcon();
    letter_ = letter;
    update();
}

void RuleIcon::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (kind_) {
    case Kind::fallback: {
        const QRectF frame(0, 1, 46, 44);
        painter.setPen(QPen(frameGrey, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(strokeBorderPath(frame, 12, 1.5));
        painter.setFont(Fonts::system(20, QFont::ExtraBold));
        painter.setPen(Theme::ink2);
        painter.drawText(frame, Qt::AlignCenter, QString(QChar(0x2217)));
        break;
    }
    case Kind::image:
        image_.paint(&painter, rect());
        break;
    case Kind::letter: {
        MiniCap::Content content{CapPalette::black, std::nullopt, letter_};
        MiniCap::paint(painter, QPointF(0, (46 - MiniCap::metrics(46).frame.height()) / 2), 46, content);
        break;
    }
    }
}

// --- The card -----------------------------------------------------------------------------------------------

RuleCard::Rule RuleCard::fallback(const AppModel &model) {
    return {std::string(), "Everything else", model.data().activeProfileID, true};
}

const Profile *RuleCard::profileOf(const AppModel &model, const Rule &rule) {
    if (!rule.profileID) {
        return nullptr;
    }
    for (const Profile &profile : model.data().profiles) {
        if (profile.id == *rule.profileID) {
            return &profile;
        }
    }
    return nullptr;
}

QString RuleCard::menuTitle(const AppModel &model, const Rule &rule) {
    const Profile *profile = profileOf(model, rule);
    return profile ? ShownText::bounded(QString::fromStdString(profile->name)) : QStringLiteral("Muted");
}

QColor RuleCard::swatchColor(const AppModel &model, const Rule &rule) {
    const Profile *profile = profileOf(model, rule);
    return profile ? CapPalette::forProfileColor(profile->color).swatch : Theme::ink;
}

QString RuleCard::tileLetter(const QString &name) {
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    const qsizetype end = graphemes.toNextBoundary();
    return end <= 0 ? QString() : name.left(end);
}

RuleCard::RuleCard(AppModel &model, const AppDirectory &directory, Rule rule, QWidget *parent)
    : QWidget(parent), model_(model), directory_(directory), rule_(std::move(rule)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    auto *top = new QVBoxLayout;
    top->setContentsMargins(16, 16, 16, 16);
    top->setSpacing(12);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    icon_ = new RuleIcon(this);
    row->addWidget(icon_, 0, Qt::AlignTop);
    row->addStretch(1);
    badge_ = new ActiveBadge(this);
    row->addWidget(badge_, 0, Qt::AlignTop);
    if (!rule_.isFallback) {
        remove_ = new RemoveButton(this);
        connect(remove_, &QAbstractButton::clicked, this, [this] { model_.removeRule(rule_.bundleID); });
        removeOnSingleClicksOnly(remove_);
        row->addWidget(remove_, 0, Qt::AlignTop);
    }
    top->addLayout(row);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    name_ = new FittingText(QString(), Fonts::system(16, QFont::Bold), Theme::ink, 1.0, Qt::AlignLeft, this);
    subtitle_ = new FittingText(QString(), Fonts::system(11), Theme::ink3, 1.0, Qt::AlignLeft, this);
    texts->addWidget(name_);
    texts->addWidget(subtitle_);
    top->addLayout(texts);
    stack->addLayout(top);

    auto *menu = new ProfileMenuButton(this);
    menu_ = menu;
    connect(menu_, &QAbstractButton::clicked, this, [this] {
        QMenu *popup = makeMenu(this);
        popup->setAttribute(Qt::WA_DeleteOnClose);
        popup->popup(menu_->mapToGlobal(QPoint(0, menu_->height())));
    });
    stack->addWidget(menu_);

    border_ = new ActiveBorder(this);
    applyCardShadow(this, corner);
    refresh();
}

void RuleCard::setRule(Rule rule) {
    // A rule card never turns into the fallback card or back: the remove button is made once.
    rule.isFallback = rule_.isFallback;
    rule_ = std::move(rule);
    refresh();
}

bool RuleCard::isActive() const {
    // Before any application is known (and on a Wayland session) no card is in front, not even a hand-made
    // rule with an empty id.
    return !rule_.isFallback && !model_.currentAppBundleID().empty() && model_.currentAppBundleID() == rule_.bundleID;
}

void RuleCard::refresh() {
    const QString name = ShownText::bounded(QString::fromStdString(rule_.name));
    name_->setText(name);
    subtitle_->setText(rule_.isFallback ? QStringLiteral("Uses your current profile")
                                        : QString::fromStdString(rule_.bundleID));
    if (rule_.isFallback) {
        icon_->showFallback();
    } else if (const QIcon image = directory_.icon ? directory_.icon(QString::fromStdString(rule_.bundleID)) : QIcon();
               !image.isNull()) {
        icon_->showImage(image);
    } else {
        icon_->showLetter(tileLetter(name));
    }
    const bool active = isActive();
    badge_->setVisible(active);
    border_->setVisible(active);
    static_cast<ProfileMenuButton *>(menu_)->setLabel(menuTitle(model_, rule_), swatchColor(model_, rule_));
}

QMenu *RuleCard::makeMenu(QWidget *parent) {
    auto *menu = new ItemMenu(parent);
    for (const Profile &profile : model_.data().profiles) {
        const Uuid id = profile.id;
        QAction *action = MenuText::add(*menu, QString::fromStdString(profile.name));
        if (rule_.isFallback) {
            connect(action, &QAction::triggered, this, [this, id] { model_.setActiveProfile(id); });
        } else {
            connect(action, &QAction::triggered, this, [this, id] { model_.setRule(rule_.bundleID, rule_.name, id); });
        }
    }
    if (!rule_.isFallback) {
        menu->addSeparator();
        menu->addAction(QStringLiteral("Muted"), this,
                        [this] { model_.setRule(rule_.bundleID, rule_.name, std::nullopt); });
    }
    return menu;
}

QAbstractButton *RuleCard::menuButton() const {
    return menu_;
}

QAbstractButton *RuleCard::removeButton() const {
    return remove_;
}

QWidget *RuleCard::activeBadge() const {
    return badge_;
}

QSize RuleCard::sizeHint() const {
    return {230, layout()->sizeHint().height()};
}

void RuleCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPanel(painter, QRectF(rect()), corner, Qt::white);
}

void RuleCard::resizeEvent(QResizeEvent *) {
    border_->setGeometry(rect());
    border_->raise();
}

} // namespace tc
