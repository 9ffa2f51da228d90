#include "ui/apprules/SwitchLogCard.h"

#include "app/AppModel.h"
#include "ui/kit/FittingText.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TrayCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace tc {

namespace {

const QColor arrowGrey(156, 156, 150);

// One switch: time, application, arrow, profile; 40 high.
QWidget *makeRow(const SwitchLogEntry &entry, QWidget *parent) {
    auto *row = new QWidget(parent);
    row->setFixedHeight(SwitchLogCard::rowHeight);
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(16, 0, 16, 0);
    line->setSpacing(16);

    auto *time = textLabel(SwitchLogCard::timeText(entry.date), Fonts::mono(12, QFont::Medium), Theme::ink2, row);
    time->setObjectName(QStringLiteral("time"));
    time->setFixedWidth(60);
    line->addWidget(time);

    // A long name is cut with an ellipsis in its 160 points rather than wrapped out of the 40-point row.
    const QFont appFont = Fonts::system(13, QFont::DemiBold);
    const QString appName = QString::fromStdString(entry.appName);
    auto *app = textLabel(ShownText::elided(QFontMetricsF(appFont), appName, 160), appFont, Theme::ink, row);
    app->setObjectName(QStringLiteral("app"));
    app->setToolTip(appName);
    app->setFixedWidth(160);
    line->addWidget(app);

    line->addWidget(new SymbolBadge("arrow.right", 14, 11, arrowGrey, Qt::transparent, row, QFont::Bold));

    // The profile takes what the row has left, cut with "…" (and then shown whole in its tooltip) where it ends.
    auto *profile = new FittingText(QString::fromStdString(entry.profileName), Fonts::system(13, QFont::DemiBold),
                                    Theme::ink, 1.0, Qt::AlignLeft, row);
    profile->setObjectName(QStringLiteral("profile"));
    profile->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    line->addWidget(profile);
    line->addStretch(1);
    return row;
}

} // namespace

QString SwitchLogCard::countText(std::size_t count) {
    return QStringLiteral("%1 SWITCHES").arg(static_cast<qulonglong>(count));
}

QString SwitchLogCard::timeText(const QDateTime &date, const QLocale &locale) {
    // The locale's own short time, less any seconds it writes (the C locale's is "HH:mm:ss").
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[:.]?s+")));
    return locale.toString(date.toLocalTime().time(), format.trimmed());
}

SwitchLogCard::SwitchLogCard(AppModel &model, QWidget *parent) : TrayCard(nullptr, nullptr, parent), model_(model) {
    headerLayout()->addWidget(textLabel(QStringLiteral("Today"), Fonts::system(15, QFont::Bold), Theme::ink));
    headerLayout()->addStretch(1);
    count_ = textLabel(QString(), Fonts::mono(11, QFont::Medium), Theme::ink2);
    headerLayout()->addWidget(count_);
    auto *content = new QWidget;
    list_ = new QVBoxLayout(content);
    list_->setContentsMargins(0, 4, 0, 4);
    list_->setSpacing(0);
    empty_ = new QWidget(content);
    auto *emptyBox = new QVBoxLayout(empty_);
    emptyBox->setContentsMargins(16, 16, 16, 16);
    auto *emptyText = textLabel(QStringLiteral("Switch apps and Tapchime follows along. Changes show up here."),
                                Fonts::system(12), Theme::ink3, empty_);
    emptyText->setWordWrap(true);
    emptyBox->addWidget(emptyText);
    list_->addWidget(empty_);

    contentLayout()->addWidget(content);

    connect(&model_, &AppModelSignals::switchLogChanged, this, &SwitchLogCard::refresh);
    refresh();
}

void SwitchLogCard::refresh() {
    const auto today = model_.switchLogToday();
    count_->setText(countText(today.size()));
    for (QWidget *row : rows_) {
        row->hide();
        row->deleteLater();
    }
    rows_.clear();
    empty_->setVisible(today.empty());
    for (std::size_t i = 0; i < today.size() && i < shownRows; ++i) {
        QWidget *row = makeRow(today[i], list_->parentWidget());
        list_->addWidget(row);
        rows_.push_back(row);
    }
}

QString SwitchLogCard::headerCount() const {
    return count_->text();
}

std::vector<SwitchLogCard::RowTexts> SwitchLogCard::rows() const {
    std::vector<RowTexts> texts;
    for (QWidget *row : rows_) {
        texts.push_back({row->findChild<QLabel *>(QStringLiteral("time"))->text(),
                         row->findChild<QLabel *>(QStringLiteral("app"))->toolTip(),
                         row->findChild<FittingText *>(QStringLiteral("profile"))->text()});
    }
    return texts;
}

bool SwitchLogCard::showsEmptyText() const {
    return !empty_->isHidden();
}

} // namespace tc
