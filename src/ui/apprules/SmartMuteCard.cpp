#include "ui/apprules/SmartMuteCard.h"

#include "app/PlaybackRules.h"
#include "ui/kit/FocusRing.h"
#include "ui/kit/Fonts.h"
#include "ui/kit/RowLabels.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TrayCard.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace tc {

namespace {

constexpr int pickerEntries = 48;
constexpr int pickerStep = 30;
const QColor ringGrey(207, 207, 202);

} // namespace

// --- Check row ----------------------------------------------------------------------------------------------

CheckRow::CheckRow(const QString &title, const QString &note, AppModel::SettingBinding<bool> binding, QWidget *parent)
    : QAbstractButton(parent), binding_(binding) {
    setCheckable(true);
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this, 10);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumHeight(54);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10 + 22 + 12, 0, 10, 0);
    labels_ = rowLabels(title, note, this);
    labels_->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(labels_, 1, Qt::AlignVCenter);
    refresh();
}

void CheckRow::refresh() {
    const bool on = binding_.get();
    if (isChecked() != on) {
        setChecked(on);
    }
    setAccessibleDescription(on ? QStringLiteral("On") : QStringLiteral("Off"));
    update();
}

void CheckRow::setNote(const QString &note) {
    if (auto *detail = labels_->findChild<QLabel *>(QStringLiteral("detail"))) {
        detail->setText(note);
    }
}

QString CheckRow::note() const {
    const auto *detail = labels_->findChild<QLabel *>(QStringLiteral("detail"));
    return detail ? detail->text() : QString();
}

QSize CheckRow::sizeHint() const {
    const QSize inner = layout()->sizeHint();
    return {inner.width(), std::max(54, inner.height())};
}

void CheckRow::nextCheckState() {
    // The document decides: write the opposite, then show what it holds.
    binding_.set(!binding_.get());
    refresh();
}

void CheckRow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool on = isChecked();
    const QRectF mark(10, (height() - 22) / 2.0, 22, 22);
    if (on) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::ink);
        painter.drawEllipse(mark);
        Symbols::paint(painter, mark, "checkmark", 10, QFont::ExtraBold, Qt::white);
    } else {
        painter.setPen(QPen(ringGrey, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(mark.adjusted(0.75, 0.75, -0.75, -0.75));
    }
}

// --- The card -----------------------------------------------------------------------------------------------

QString SmartMuteCard::timeText(std::int64_t minutes) {
    const int within = minutesWithinDay(minutes);
    return QStringLiteral("%1:%2").arg(within / 60, 2, 10, QChar('0')).arg(within % 60, 2, 10, QChar('0'));
}

QString SmartMuteCard::quietLabel(const AppSettings &settings) {
    return timeText(settings.quietStartMinutes) + QStringLiteral(" \u2013 ") + timeText(settings.quietEndMinutes);
}

int SmartMuteCard::pickerIndex(std::int64_t minutes) {
    const int within = minutesWithinDay(minutes);
    return within % pickerStep == 0 ? within / pickerStep : -1;
}

SmartMuteCard::SmartMuteCard(AppModel &model, QWidget *parent) : TrayCard(nullptr, nullptr, parent), model_(model) {
    headerLayout()->addWidget(textLabel(QStringLiteral("Smart mute"), Fonts::system(15, QFont::Bold), Theme::ink));
    headerLayout()->addStretch(1);
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(0);

    mic_ = new CheckRow(QStringLiteral("Microphone in use"), QStringLiteral("Calls and recordings in any app"),
                        model_.binding(&AppSettings::muteWhenMicInUse), content);
    password_ = new CheckRow(QStringLiteral("Password fields"), QStringLiteral("Secure input stays silent"),
                             model_.binding(&AppSettings::muteInSecureInput), content);
    quiet_ = new CheckRow(QStringLiteral("Quiet hours"), quietLabel(model_.data().settings),
                          model_.binding(&AppSettings::quietHoursEnabled), content);
    column->addWidget(mic_);
    column->addWidget(password_);
    column->addWidget(quiet_);

    timeRow_ = new QWidget(content);
    auto *times = new QHBoxLayout(timeRow_);
    times->setContentsMargins(14, 0, 14, 10);
    times->setSpacing(8);
    start_ = makePicker(&AppSettings::quietStartMinutes);
    times->addWidget(start_);
    times->addWidget(textLabel(QStringLiteral("to"), Fonts::system(12), Theme::ink3, timeRow_));
    end_ = makePicker(&AppSettings::quietEndMinutes);
    times->addWidget(end_);
    times->addStretch(1);
    column->addWidget(timeRow_);

    contentLayout()->addWidget(content);

    model_.observe(AppModel::settingsChange, this, [this] { refresh(); });
    refresh();
}

QComboBox *SmartMuteCard::makePicker(std::int64_t AppSettings::*field) {
    auto *picker = new QComboBox(timeRow_);
    picker->setFixedWidth(90);
    picker->setFont(Fonts::system(13));
    for (int i = 0; i < pickerEntries; ++i) {
        const int minutes = i * pickerStep;
        picker->addItem(
            QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QChar('0')).arg(minutes % 60, 2, 10, QChar('0')), minutes);
    }
    // Only a choice of the user writes; showing the document's value does not.
    connect(picker, &QComboBox::activated, this,
            [this, field, picker](int index) { model_.setSetting(field, picker->itemData(index).toLongLong()); });
    return picker;
}

void SmartMuteCard::refresh() {
    const AppSettings &settings = model_.data().settings;
    mic_->refresh();
    password_->refresh();
    quiet_->refresh();
    quiet_->setNote(quietLabel(settings));
    timeRow_->setVisible(settings.quietHoursEnabled);
    start_->setCurrentIndex(pickerIndex(settings.quietStartMinutes));
    end_->setCurrentIndex(pickerIndex(settings.quietEndMinutes));
}

} // namespace tc
