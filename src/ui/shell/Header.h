#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace tc {

class AppModel;
class ProfileSwitcher;
class StatusPill;

// The main window's header row, 56 points high: a grid mark, "Tapchime " in Theme.ink3 followed by the
// section's title, and at the right end the status pill and, while the Keys section is shown, the profile
// switcher (a new one each time the section is entered). The pill has the room the other parts leave, and cuts
// a longer status there. Follows the model's sectionChanged(). Main thread only; the model must outlive it.
class Header : public QWidget {
public:
    static constexpr int fixedHeight = 56;

    explicit Header(AppModel &model, QWidget *parent = nullptr);
    ~Header() override;

    // The section title shown after the product word ("Keys", "App rules", ...).
    QString title() const;
    // The title line as shown, product word included.
    QString titleLine() const;
    StatusPill *statusPill() const { return pill_; }
    // Null while another section than Keys is shown.
    ProfileSwitcher *profileSwitcher() const { return switcher_; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();
    void fitPill();

    AppModel &model_;
    QHBoxLayout *row_;
    QLabel *title_;
    QString section_;
    StatusPill *pill_;
    ProfileSwitcher *switcher_ = nullptr;
};

} // namespace tc
