#include "ui/shell/Header.h"

#include "app/AppModel.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/StatusPill.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/shell/ProfileSwitcher.h"
#include "ui/shell/Sections.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

namespace tc {

Header::Header(AppModel &model, QWidget *parent) : QWidget(parent), model_(model), row_(new QHBoxLayout(this)) {
    setFixedHeight(fixedHeight);
    row_->setContentsMargins(20, 0, 20, 0);
    row_->setSpacing(12);
    row_->addWidget(new SymbolBadge("square.grid.2x2", 16, 13, Theme::ink3, Qt::transparent, this));
    title_ = new QLabel(this);
    title_->setTextFormat(Qt::RichText);
    title_->setFont(Fonts::system(17, QFont::DemiBold));
    row_->addWidget(title_);
    row_->addStretch(1);
    pill_ = new StatusPill(model_, this);
    row_->addWidget(pill_);
    connect(&model_, &AppModelSignals::sectionChanged, this, [this] { refresh(); });
    refresh();
}

Header::~Header() = default;

QString Header::title() const {
    return section_;
}

QString Header::titleLine() const {
    return QStringLiteral("Tapchime ") + section_;
}

void Header::refresh() {
    const AppSection section = model_.section();
    section_ = sectionInfo(section).title;
    title_->setText(QStringLiteral("<span style=\"color:%1\">Tapchime </span><span style=\"color:%2\">%3</span>")
                        .arg(Theme::ink3.name(), Theme::ink.name(), section_.toHtmlEscaped()));
    title_->setAccessibleName(titleLine());

    const bool wantSwitcher = section == AppSection::keyboard;
    if (wantSwitcher && !switcher_) {
        switcher_ = new ProfileSwitcher(model_, this);
        row_->addWidget(switcher_);
    } else if (!wantSwitcher && switcher_) {
        // Leaving the Keys section drops the switcher with any rename in progress.
        delete switcher_;
        switcher_ = nullptr;
    }
    fitPill();
}

void Header::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    fitPill();
}

void Header::fitPill() {
    // The pill takes what the row's other parts leave; a long status is cut there rather than pressing on them.
    int rest = row_->contentsMargins().left() + row_->contentsMargins().right();
    for (int i = 0; i < row_->count(); ++i) {
        QWidget *part = row_->itemAt(i)->widget();
        if (part != nullptr && part != pill_ && !part->isHidden()) {
            rest += part->sizeHint().width() + row_->spacing();
        }
    }
    pill_->setMaximumWidth(std::max(pill_->minimumSizeHint().width(), width() - rest));
}

} // namespace tc
