#pragma once

#include <QFont>
#include <QString>

class QApplication;

namespace tc::ToolTips {

// The widest a tooltip's line grows before the tooltip takes another line, in pixels.
inline constexpr int kMaxLineWidth = 420;

// A tooltip's text as it is shown. Qt wraps a rich-text tooltip into a box of about 5:3, which breaks a short
// phrase ("Put this sound on 2 keys") over two or three lines, and leaves a plain one on one line however long.
// This gives rich text that Qt does not wrap, broken at spaces only where a line would pass kMaxLineWidth in
// `font`, and at the text's own line breaks; a word wider than that (a long name or path) is broken where the
// line is full. Only ShownText::bounded() of the text shows, so a tooltip of a name of any length stays a few
// lines. The text is always taken as plain text.
QString shown(const QString &text, const QFont &font);

// Shows every widget's tooltip through shown(), Qt's own widgets' too. Installed once on the application (by
// Theme::applyAppearance), so a tooltip is set as plain text and never formatted where it is set.
void install(QApplication &application);

} // namespace tc::ToolTips
