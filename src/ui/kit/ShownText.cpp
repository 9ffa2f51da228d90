#include "ui/kit/ShownText.h"

namespace tc::ShownText {

QString bounded(const QString &text, qsizetype limit) {
    if (text.size() <= limit) {
        return text;
    }
    qsizetype end = limit;
    if (end > 0 && text.at(end - 1).isHighSurrogate()) {
        --end;
    }
    return text.left(end) + QChar(0x2026);
}

QString elided(const QFontMetrics &metrics, const QString &text, int width) {
    return metrics.elidedText(bounded(text), Qt::ElideRight, width);
}

QString elided(const QFontMetricsF &metrics, const QString &text, qreal width) {
    return metrics.elidedText(bounded(text), Qt::ElideRight, width);
}

} // namespace tc::ShownText
