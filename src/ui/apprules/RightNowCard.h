#pragma once

#include "app/Silence.h"

#include <QString>
#include <optional>
#include <string>

#include "ui/kit/OrangeDial.h"

class QLabel;

namespace tc {

class AppModel;
class FittingText;
class SymbolBadge;

// "Right now": on the orange dial, the application in front (upper-cased; "—" before any is known, as on a
// Wayland session), what plays there in large type (the effective profile's name, "Off" when sounds are off,
// "Muted" for any other silence) and a line under it (the silence's title, or "Playing your sounds"), with a
// speaker symbol that follows. No controls; it follows the model's changes.
//
// Main thread only. The model must outlive the card.
class RightNowCard : public OrangeDial {
public:
    static constexpr qreal dialHeight = 230;

    // The three lines for a state.
    static QString appLine(const std::string &appName);
    static QString headline(const std::optional<Silence> &silence, const std::string &profileName);
    static QString subtitle(const std::optional<Silence> &silence);

    explicit RightNowCard(AppModel &model, QWidget *parent = nullptr);

    void refresh();

    QString appText() const;
    QString headlineText() const;
    QString subtitleText() const;
    const std::string &symbol() const;

private:
    AppModel &model_;
    SymbolBadge *symbol_;
    FittingText *app_;
    FittingText *headline_;
    FittingText *subtitle_;
};

} // namespace tc
