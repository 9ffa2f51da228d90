#pragma once

#include "model/Uuid.h"

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <optional>
#include <string>

class QMenu;

namespace tc {

class AppModel;
class FittingText;
class RuleIcon;
struct AppDirectory;
struct CapPalette;
struct Profile;

// One card of the app-rules grid: an application's rule, or the fallback card "Everything else" that stands
// for the active profile. It shows the application's icon (or a lettered tile), its name, the rule's bundle id
// (the fallback card: "Uses your current profile"), "Active" with an orange border while that application is
// in front, a remove button (rule cards only; also on the active card, so the application the user came
// from can be removed here) and, at the bottom, the menu of what plays there: a profile, or "Muted".
//
// The card keeps nothing of the document: refresh() reads the model again. Every choice is one model
// operation (setRule, removeRule, setActiveProfile), which saves and pushes.
//
// Main thread only. The model and the directory must outlive the card.
class RuleCard : public QWidget {
public:
    static constexpr qreal corner = 18;
    static constexpr int menuHeight = 42;

    struct Rule {
        std::string bundleID;
        std::string name;
        std::optional<Uuid> profileID; // absent: the application is muted
        bool isFallback = false;

        friend bool operator==(const Rule &, const Rule &) = default;
    };

    // The fallback card's rule: no bundle id, "Everything else", the active profile.
    static Rule fallback(const AppModel &model);
    // The profile a rule names, when it still exists.
    static const Profile *profileOf(const AppModel &model, const Rule &rule);
    // The menu label: the profile's name, or "Muted" when the rule names no existing profile.
    static QString menuTitle(const AppModel &model, const Rule &rule);
    // The swatch beside it: the profile colour's palette swatch, or Theme.ink for "Muted".
    static QColor swatchColor(const AppModel &model, const Rule &rule);
    // The text of the lettered tile: the first character (a whole grapheme) of the name, as written.
    static QString tileLetter(const QString &name);

    RuleCard(AppModel &model, const AppDirectory &directory, Rule rule, QWidget *parent = nullptr);

    const Rule &rule() const { return rule_; }
    // Takes a new rule (same card, another profile) and reads the model again.
    void setRule(Rule rule);
    // Reads the model again: the "Active" state, the menu label, the icon.
    void refresh();

    // Active: a rule card whose application is in front now.
    bool isActive() const;
    // The menu of choices, made afresh from the document (the caller owns it).
    QMenu *makeMenu(QWidget *parent);

    QAbstractButton *menuButton() const;
    QAbstractButton *removeButton() const; // null on the fallback card
    QWidget *activeBadge() const;
    RuleIcon *icon() const { return icon_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    AppModel &model_;
    const AppDirectory &directory_;
    Rule rule_;
    RuleIcon *icon_;
    QWidget *badge_;
    QAbstractButton *remove_ = nullptr;
    FittingText *name_;
    FittingText *subtitle_;
    QAbstractButton *menu_;
    QWidget *border_;
};

// The picture at a card's top left: the fallback card's "∗" in a frame, an application's icon, or a lettered
// black tile when the application has no icon.
class RuleIcon : public QWidget {
public:
    enum class Kind { fallback, image, letter };

    explicit RuleIcon(QWidget *parent = nullptr);
    void showFallback();
    void showImage(const QIcon &icon);
    void showLetter(const QString &letter);

    Kind kind() const { return kind_; }
    const QString &letter() const { return letter_; }

    QSize sizeHint() const override { return {46, 46}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Kind kind_ = Kind::fallback;
    QIcon image_;
    QString letter_;
};

} // namespace tc
