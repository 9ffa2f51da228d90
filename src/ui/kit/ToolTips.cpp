#include "ui/kit/ToolTips.h"

#include "ui/kit/ShownText.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QStringList>
#include <QToolTip>
#include <QWidget>

namespace tc::ToolTips {

namespace {

// Shows a widget's own tooltip text through shown(), or that of a child under the pointer that lets the pointer
// through. A widget without either is left to Qt: an item view shows its items' tooltips itself, and an
// unanswered tooltip event goes on to the parent.
class Filter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType()) {
            return false;
        }
        auto *widget = static_cast<QWidget *>(watched);
        const auto *help = static_cast<QHelpEvent *>(event);
        if (widget->toolTip().isEmpty()) {
            // A label that lets the pointer through to its row (a shortened name in a list cell) still tells its
            // tooltip.
            widget = passThroughAt(widget, help->pos());
            if (widget == nullptr) {
                return false;
            }
        }
        QToolTip::showText(help->globalPos(), shown(widget->toolTip(), QToolTip::font()), widget, QRect(),
                           widget->toolTipDuration());
        return true;
    }

private:
    // The topmost shown widget with a tooltip at `point` of `widget` (in its coordinates) among its children that
    // let the pointer through and everything inside them (`through`: `widget` is inside one); null for none.
    static QWidget *passThroughAt(QWidget *widget, QPoint point, bool through = false) {
        const QObjectList &children = widget->children();
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            auto *inner = qobject_cast<QWidget *>(*child);
            if (inner == nullptr || inner->isWindow() || !inner->isVisible() || !inner->geometry().contains(point)) {
                continue;
            }
            const bool innerThrough = through || inner->testAttribute(Qt::WA_TransparentForMouseEvents);
            if (!innerThrough) {
                continue; // it had the event itself
            }
            if (QWidget *found = passThroughAt(inner, point - inner->pos(), true)) {
                return found;
            }
            if (!inner->toolTip().isEmpty()) {
                return inner;
            }
        }
        return nullptr;
    }
};

// A word wider than kMaxLineWidth in pieces that each fit (never splitting a surrogate pair): a name or a path
// without spaces breaks where the line is full.
QStringList pieces(const QString &word, const QFontMetricsF &metrics) {
    if (metrics.horizontalAdvance(word) <= kMaxLineWidth) {
        return {word};
    }
    QStringList result;
    QString piece;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const qsizetype length = word.at(i).isHighSurrogate() && i + 1 < word.size() ? 2 : 1;
        const QString character = word.mid(i, length);
        if (!piece.isEmpty() && metrics.horizontalAdvance(piece + character) > kMaxLineWidth) {
            result << piece;
            piece.clear();
        }
        piece += character;
        i += length - 1;
    }
    result << piece;
    return result;
}

// The lines of one paragraph: whole words, as many on a line as fit in kMaxLineWidth. A word wider than that
// is broken where each line is full.
QStringList lines(const QString &paragraph, const QFontMetricsF &metrics) {
    QStringList result;
    QString line;
    QStringList words;
    for (const QString &word : paragraph.split(QLatin1Char(' '))) {
        words << pieces(word, metrics);
    }
    for (const QString &word : words) {
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
    for (const QString &paragraph : ShownText::bounded(text).split(QLatin1Char('\n'))) {
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
