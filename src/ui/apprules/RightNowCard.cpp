#include "ui/apprules/RightNowCard.h"

#include "app/AppModel.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tc {

namespace {

QFont tracked(QFont font, qreal spacing) {
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

} // namespace

QString RightNowCard::appLine(const std::string &appName) {
    if (appName.empty()) {
        return QString(QChar(0x2014));
    }
    // QString::toUpper is Unicode's own case mapping, the same in every locale.
    return QString::fromStdString(appName).toUpper();
}

QString RightNowCard::headline(const std::optional<Silence> &silence, const std::string &profileName) {
    if (silence) {
        return silence->kind == Silence::Kind::off ? QStringLiteral("Off") : QStringLiteral("Muted");
    }
    return QString::fromStdString(profileName);
}

QString RightNowCard::subtitle(const std::optional<Silence> &silence) {
    return silence ? silence->title : QStringLiteral("Playing your sounds");
}

RightNowCard::RightNowCard(AppModel &model, QWidget *parent) : OrangeDial(dialHeight, nullptr, parent), model_(model) {
    auto *content = new QWidget(this);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addStretch(1);

    auto *header = new QHBoxLayout;
    header->addWidget(textLabel(QStringLiteral("Right now"), Fonts::system(18, QFont::Bold), Theme::ink, content));
    header->addStretch(1);
    symbol_ = new SymbolBadge("speaker.wave.2.fill", 22, 17, Theme::ink, Qt::transparent, content);
    header->addWidget(symbol_);
    column->addLayout(header);

    auto *lines = new QVBoxLayout;
    lines->setSpacing(4);
    // Long application names are cut at the end with "…" (and shown whole as a tooltip), never at both ends.
    app_ = new FittingText(QString(), tracked(Fonts::mono(11, QFont::Medium), 1), Theme::ink, 1.0, Qt::AlignHCenter,
                           content);
    lines->addWidget(app_);
    headline_ = new FittingText(QString(), tracked(Fonts::system(42, QFont::ExtraBold), -1.6), Theme::ink, 0.5,
                                Qt::AlignHCenter, content);
    lines->addWidget(headline_);
    subtitle_ = new FittingText(QString(), Fonts::mono(11, QFont::Medium), Theme::ink, 1.0, Qt::AlignHCenter, content);
    lines->addWidget(subtitle_);
    column->addLayout(lines);
    column->addStretch(1);
    contentLayout()->addWidget(content);

    model_.observe(AppModel::profilesChange | AppModel::appRulesChange | AppModel::settingsChange, this,
                   [this] { refresh(); });
    connect(&model_, &AppModelSignals::silenceChanged, this, &RightNowCard::refresh);
    connect(&model_, &AppModelSignals::currentAppNameChanged, this, &RightNowCard::refresh);
    connect(&model_, &AppModelSignals::currentAppBundleIDChanged, this, &RightNowCard::refresh);
    refresh();
}

void RightNowCard::refresh() {
    const auto silence = model_.silence();
    symbol_->setSymbol(silence ? "speaker.slash.fill" : "speaker.wave.2.fill");
    app_->setText(appLine(model_.currentAppName()));
    headline_->setText(headline(silence, model_.effectiveProfile().name));
    subtitle_->setText(subtitle(silence));
}

QString RightNowCard::appText() const {
    return app_->text();
}

QString RightNowCard::headlineText() const {
    return headline_->text();
}

QString RightNowCard::subtitleText() const {
    return subtitle_->text();
}

const std::string &RightNowCard::symbol() const {
    return symbol_->symbol();
}

} // namespace tc
