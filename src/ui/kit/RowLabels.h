#pragma once

#include <QString>

class QWidget;

namespace tc {

// The two-line label of a settings-style row: the title (13-pixel semibold, default colour) over the detail
// (12-pixel regular, Theme.ink3), leading-aligned, 2 apart, both wrapping and shown verbatim. The labels are
// named "title" and "detail" for the rows that change them later.
QWidget *rowLabels(const QString &title, const QString &detail, QWidget *parent = nullptr);

// The hairline below a settings-style row, in Theme.line.
QWidget *rowDivider(QWidget *parent);

} // namespace tc
