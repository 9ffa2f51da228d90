#include "ui/sounds/SoundsAlert.h"

#include "ui/kit/Fonts.h"
#include "ui/kit/PillButton.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/Theme.h"
#include "ui/kit/TransparentScroll.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace tc {

namespace {

constexpr int kMessageMaxWidth = 460;
// What the window's frame adds to the alert's height, at most, on the desktops the program runs on.
constexpr int kFrameRoom = 48;

} // namespace

SoundsAlert::SoundsAlert(const QString &title, QWidget *parent) : QDialog(parent), title_(title) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumWidth(320);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(24, 22, 24, 18);
    column->setSpacing(12);
    heading_ = new QLabel(title, this);
    heading_->setTextFormat(Qt::PlainText);
    heading_->setFont(Fonts::system(14, QFont::Bold));
    column->addWidget(heading_);
}

SoundsAlert *SoundsAlert::importError(const QString &message, QWidget *parent) {
    auto *alert = new SoundsAlert(QStringLiteral("Couldn't import"), parent);
    auto *column = static_cast<QVBoxLayout *>(alert->layout());
    // The message scrolls where it would make the alert taller than its screen.
    alert->messageArea_ = new QScrollArea(alert);
    makeTransparentScroll(alert->messageArea_);
    alert->messageArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    alert->message_ = new QLabel(alert);
    alert->message_->setTextFormat(Qt::PlainText);
    alert->message_->setWordWrap(true);
    alert->message_->setFont(Fonts::system(13));
    alert->message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    alert->messageArea_->setWidget(alert->message_);
    alert->message_->setAutoFillBackground(false); // setWidget() turned it on
    column->addWidget(alert->messageArea_);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *ok = new PillButton(QStringLiteral("OK"), BlackPillButtonStyle{30}, alert);
    ok->setMinimumWidth(72);
    buttons->addWidget(ok);
    column->addLayout(buttons);
    alert->default_ = ok;
    ok->setFocus(Qt::OtherFocusReason);
    connect(ok, &QAbstractButton::clicked, alert, &QDialog::accept);
    alert->setMessage(message); // sized once everything is in place
    return alert;
}

SoundsAlert *SoundsAlert::rename(const QString &name, QWidget *parent) {
    auto *alert = new SoundsAlert(QStringLiteral("Rename sound"), parent);
    auto *column = static_cast<QVBoxLayout *>(alert->layout());
    alert->field_ = new QLineEdit(name, alert);
    alert->field_->setPlaceholderText(QStringLiteral("Name"));
    alert->field_->setFont(Fonts::system(13));
    alert->field_->setMinimumHeight(30);
    alert->field_->selectAll();
    alert->field_->setAccessibleName(QStringLiteral("Name"));
    alert->field_->setFocus(Qt::OtherFocusReason);
    column->addWidget(alert->field_);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch(1);
    auto *cancel = new PillButton(QStringLiteral("Cancel"), OutlinePillButtonStyle{30}, alert);
    auto *rename = new PillButton(QStringLiteral("Rename"), BlackPillButtonStyle{30}, alert);
    buttons->addWidget(cancel);
    buttons->addWidget(rename);
    column->addLayout(buttons);
    alert->default_ = rename;
    alert->cancel_ = cancel;
    connect(rename, &QAbstractButton::clicked, alert, &QDialog::accept);
    connect(cancel, &QAbstractButton::clicked, alert, &QDialog::reject);
    connect(alert->field_, &QLineEdit::returnPressed, alert, &QDialog::accept);
    return alert;
}

void SoundsAlert::setMessage(const QString &message) {
    if (message_) {
        messageText_ = message;
        // A wrapped text is given its width first and then the height its lines take at that width; sized the
        // other way round, a window cuts the last line.
        const QFontMetrics metrics(message_->font());
        int widest = 0;
        for (const QString &line : message.split(QLatin1Char('\n'))) {
            widest = std::max(widest, metrics.horizontalAdvance(line) + 2);
        }
        const QMargins margins = layout()->contentsMargins();
        const int width = std::clamp(widest, minimumWidth() - margins.left() - margins.right(), kMessageMaxWidth);
        // A file name without spaces wider than the line breaks where the line is full.
        message_->setText(ShownText::wrappable(QFontMetricsF(message_->font()), message, width - 2));
        message_->setFixedWidth(width);
        const int height = message_->heightForWidth(width);
        message_->setFixedHeight(height);
        const int room = roomForMessage();
        const int bar = height > room ? messageArea_->verticalScrollBar()->sizeHint().width() : 0;
        messageArea_->setFixedSize(width + bar, std::min(height, room));
        adjustSize();
    }
}

int SoundsAlert::roomForMessage() const {
    const QWidget *over = parentWidget() != nullptr ? parentWidget() : this;
    const QScreen *shown = over->screen() != nullptr ? over->screen() : QGuiApplication::primaryScreen();
    if (shown == nullptr) {
        return QWIDGETSIZE_MAX;
    }
    const auto *column = static_cast<const QVBoxLayout *>(layout());
    const QMargins margins = column->contentsMargins();
    const int rest = margins.top() + heading_->sizeHint().height() + 2 * column->spacing() +
                     default_->sizeHint().height() + margins.bottom();
    return std::max(message_->fontMetrics().height(), shown->availableGeometry().height() - kFrameRoom - rest);
}

QString SoundsAlert::message() const {
    return messageText_;
}

} // namespace tc
