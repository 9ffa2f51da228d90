#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>

class QVBoxLayout;

namespace tc {

// The building blocks of the settings page: titled groups of rows, the rows themselves and their few
// controls of their own. Main thread; every widget is owned by its parent.
namespace SettingsRows {

inline constexpr int kRowMinHeight = 60;
inline constexpr int kLinkRowHeight = 44;

// One titled card of rows: a TrayCard whose header is the title (15-pixel bold) and whose content stacks the
// rows added to `rows()` 0 apart, 14 in from either side and 2 from top and bottom.
class Group : public QWidget {
public:
    Group(const QString &title, QWidget *parent = nullptr);
    QVBoxLayout *rows() const { return rows_; }

private:
    QVBoxLayout *rows_;
};

// A setting row: the two-line label stretched over the free width with `control` at the right edge,
// at least 60 high, then (unless `last`) the divider. Both go into `group`.
void addRow(Group &group, const QString &title, const QString &detail, QWidget *control, bool last);

// A key combination shown as white key caps 28 high (corner 7), 4 apart, each with its label in 12-pixel
// medium type; display only. A cap is as wide as its label needs: 30 for one character ("K"), more for a
// modifier's name ("Ctrl", "Shift").
class KeyCombo : public QWidget {
public:
    KeyCombo(QStringList labels, QWidget *parent = nullptr);
    const QStringList &labels() const { return labels_; }
    // A cap's width for its label: max(8 × characters + 16, 30).
    static qreal capWidth(const QString &label);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QStringList labels_;
};

// A row that opens an address: the title (13-pixel semibold), a spacer and the "arrow.up.right" symbol in
// Theme.ink3, 44 high, the whole row clickable; a click hands the address to `open`.
class LinkRow : public QAbstractButton {
public:
    LinkRow(const QString &title, QUrl url, std::function<void(const QUrl &)> open, QWidget *parent = nullptr);
    const QUrl &url() const { return url_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QUrl url_;
};

// The green "Allowed" capsule: a 6-point Theme.green dot and the text (12-pixel semibold, Theme.greenText)
// 6 apart, 10 in from either end, 26 high, on Theme.greenSoft.
class AllowedBadge : public QWidget {
public:
    explicit AllowedBadge(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The small "Check now" capsule: 12-pixel semibold text, 12 in from either end, 28 high, on Theme.panel;
// faded while disabled.
class CapsuleButton : public QAbstractButton {
public:
    CapsuleButton(const QString &text, QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace SettingsRows

} // namespace tc
