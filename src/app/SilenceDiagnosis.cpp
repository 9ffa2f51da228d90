#include "app/SilenceDiagnosis.h"

#include "engine/Hotkey.h"
#include "model/Levels.h"

namespace tc {

namespace {

Silence make(Silence::Kind kind, QString title, QString detail, std::optional<QString> fix) {
    return Silence{kind, std::move(title), std::move(detail), std::move(fix)};
}

} // namespace

std::optional<Silence> diagnoseSilence(const AppData &data, const LiveState &live) {
    using Kind = Silence::Kind;
    const auto &settings = data.settings;
    if (!live.permissionGranted) {
        return make(Kind::permission, "Can't hear your keys", "Allow keyboard access: join the input group.",
                    QStringLiteral("Allow"));
    }
    if (!settings.enabled) {
        return make(Kind::off, "Sounds are off",
                    QStringLiteral("Press %1 or turn them on here.")
                        .arg(QString::fromStdString(hotkeyText(Hotkey::toggleSounds))),
                    QStringLiteral("Turn on"));
    }
    if (playableVolume(settings.masterVolume) < kAudibleMasterVolume) { // NaN plays as silence too
        return make(Kind::volume, "Volume is at 0", "Tapchime's own volume is all the way down.",
                    QStringLiteral("Set to 80%"));
    }
    if (live.outputUnreachable) {
        // The output's mute state is unknown then; the cause the user can act on is the server.
        return make(Kind::macMuted, "Can't reach the sound server",
                    "Tapchime plays again as soon as the sound server answers.", std::nullopt);
    }
    if (live.macOutputSilent) {
        return make(Kind::macMuted, "Your computer is muted", "Turn up the computer's sound to hear your keys.",
                    std::nullopt);
    }
    if (isMutedByApp(data, live.currentAppBundleID)) {
        return make(Kind::app, QStringLiteral("Muted in ") + QString::fromStdString(live.currentAppName),
                    "An App rule keeps this app quiet.", QStringLiteral("Edit rules"));
    }
    if (live.micInUse && settings.muteWhenMicInUse) {
        return make(Kind::mic, "Muted while the mic is on", "Sounds come back when your call ends.",
                    QStringLiteral("Play in calls"));
    }
    if (live.secureInput && settings.muteInSecureInput) {
        return make(Kind::password, "Silent in password fields", "Keeps what you type private.", std::nullopt);
    }
    if (isInQuietHours(settings, live.minuteOfDay)) {
        const int end = minutesWithinDay(settings.quietEndMinutes);
        return make(Kind::quiet, "Quiet hours",
                    QStringLiteral("Sounds come back at %1:%2.")
                        .arg(end / 60, 2, 10, QLatin1Char('0'))
                        .arg(end % 60, 2, 10, QLatin1Char('0')),
                    QStringLiteral("Play now"));
    }
    return std::nullopt;
}

} // namespace tc
