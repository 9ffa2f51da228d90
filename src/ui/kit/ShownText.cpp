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

bool fits(const QFontMetricsF &metrics, const QString &text, qreal width) {
    for (qsizetype length = 32; length < text.size(); length *= 4) {
        // Never half of a surrogate pair: a lone half would be measured as a glyph of its own.
        const qsizetype end = text.at(length - 1).isHighSurrogate() ? length - 1 : length;
        if (metrics.horizontalAdvance(text.left(end)) > width) {
            return false;
        }
    }
    return metrics.horizontalAdvance(text) <= width;
}

QString wrappable(const QFontMetricsF &metrics, const QString &text, qreal width) {
    QString result;
    result.reserve(text.size());
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !text.at(end).isSpace()) {
            ++end;
        }
        const QString word = text.mid(start, end - start);
        if (metrics.horizontalAdvance(word) <= width) {
            result += word;
        } else {
            for (qsizetype i = 0; i < word.size(); ++i) {
                result += word.at(i);
                const bool pairContinues = word.at(i).isHighSurrogate() && i + 1 < word.size();
                if (!pairContinues && i + 1 < word.size()) {
                    result += QChar(0x200B);
                }
            }
        }
        // The spaces (and line breaks) after the word, as written.
        start = end;
        while (end < text.size() && text.at(end).isSpace()) {
            ++end;
        }
        result += text.mid(start, end - start);
        start = end;
    }
    return result;
}

} // namespace tc::ShownText
