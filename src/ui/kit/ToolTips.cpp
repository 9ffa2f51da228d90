#include "ui/kit/ToolTips.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QStringList>
#include <QToolTip>
#include <QWidget>

namespace tc::ToolTips {

namespace {

// Shows a widget's own tooltip text through shown(). A widget without one is left to Qt: an item view
// shows its items' tooltips itself, and an unanswered tooltip event goes on to the parent.
class Filter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) {
            return false;
        }
        auto *widget = static_cast<QWidget *>(watched);
        const QString text = widget->toolTip();
        if (text.isEmpty()) {
            return false;
        }
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), shown(text, QToolTip::font()), widget, QRect(),
                           widget->toolTipDuration());
        return true;
    }
};

// The lines of one paragraph: whole words, as many on a line as fit in kMaxLineWidth. A word wider than that
// has a line of its own.
QStringList lines(const QString &paragraph, const QFontMetricsF &metrics) {
    QStringList result;
    QString line;
    for (const QString &word : paragraph.split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > kMaxLineWidth) {
            result << line;
            line = word;
        } else {
            line = longer;
        }
    }
    result << line;
    return result;
}

} // namespace

QString shown(const QString &text, const QFont &font) {
    const QFontMetricsF metrics(font);
    QStringList shownLines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        for (const QString &line : lines(paragraph, metrics)) {
            shownLines << line.toHtmlEscaped();
        }
    }
    return QStringLiteral("<p style=\"white-space:pre\">") + shownLines.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

void install(QApplication &application) {
    static const char *const kName = "tapchimeToolTips";
    if (application.findChild<QObject *>(QLatin1String(kName), Qt::FindDirectChildrenOnly)) {
        return; // once per application
    }
    auto *filter = new Filter(&application);
    filter->setObjectName(QLatin1String(kName));
    application.installEventFilter(filter);
}

} // namespace tc::ToolTips
