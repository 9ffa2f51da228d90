#pragma once

#include <QAbstractButton>
#include <QString>
#include <string>
#include <vector>

class QMenu;

namespace tc {

class AppModel;

// The capsule beside the legend that shows the active profile's base sound ("Base: Cream", a long name cut with
// "…" and shown whole in the tooltip) and opens a menu
// to silence it or choose another mechanical sound. A chosen sound is stored through the model and
// previewed; the silent item previews nothing. Main thread.
class BaseSoundMenu : public QAbstractButton {
public:
    struct Item {
        std::string soundID; // "none" for the silent item
        QString title;
        bool checked = false;
        friend bool operator==(const Item &, const Item &) = default;
    };

    explicit BaseSoundMenu(AppModel &model, QWidget *parent = nullptr);

    // The name after "Base:": the sound's name, "Silent" for "none", "Missing sound" for an id that names
    // nothing.
    static QString baseName(const AppModel &model);
    // The silent item, then every mechanical sound in listing order, the current one checked.
    static std::vector<Item> items(const AppModel &model);

    // The menu as it opens now; the caller owns it.
    QMenu *makeMenu(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The width the name has: the button's, less "Base:", the chevron and the gaps.
    qreal nameRoom() const;
    // The whole name as the tooltip while it shows cut; none while it shows whole.
    void syncToolTip();
    void choose(const std::string &soundID);
    void popup();

    AppModel &model_;
};

} // namespace tc
