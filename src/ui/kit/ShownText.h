#pragma once

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>

namespace tc::ShownText {

// No line of the program shows more characters than this, so a name is laid out from a bounded prefix: a
// 10,000-character name costs what its visible part costs.
inline constexpr qsizetype kMaxCharacters = 600;

// `text` as far as a line can show it: unchanged when it has at most `limit` characters, else its first `limit`
// characters (never half of a surrogate pair) followed by an ellipsis.
QString bounded(const QString &text, qsizetype limit = kMaxCharacters);

// The text elided at the right to fit `width`, worked out from the bounded prefix only.
QString elided(const QFontMetrics &metrics, const QString &text, int width);
QString elided(const QFontMetricsF &metrics, const QString &text, qreal width);

// Whether `text` fits in `width` on one line. A long text that does not is told by a prefix already too wide,
// so the rest is never laid out.
bool fits(const QFontMetricsF &metrics, const QString &text, qreal width);

// `text` made to wrap inside `width`: each word wider than that (a file name or path without spaces) gets a zero
// width space between its characters (never inside a surrogate pair), so a word-wrapping label breaks it where
// the line is full instead of running past its edge. Other words are left as they are.
QString wrappable(const QFontMetricsF &metrics, const QString &text, qreal width);

} // namespace tc::ShownText
