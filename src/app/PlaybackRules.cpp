#include "app/PlaybackRules.h"

namespace tc {

namespace {

constexpr int kMinutesPerDay = 24 * 60;

} // namespace

const AppRule *firstRuleFor(const AppData &data, const std::string &bundleID) {
    // No application known (a Wayland session, or nothing focused yet): no rule applies, not even a hand-edited
    // rule whose id was left empty, which would otherwise silence every key.
    if (bundleID.empty()) {
        return nullptr;
    }
    for (const auto &rule : data.appRules) {
        if (rule.bundleID == bundleID) {
            return &rule;
        }
    }
    return nullptr;
}

bool isMutedByApp(const AppData &data, const std::string &bundleID) {
    const auto *rule = firstRuleFor(data, bundleID);
    return rule != nullptr && !rule->profileID.has_value();
}

const Profile &effectiveProfile(const AppData &data, const std::string &bundleID) {
    if (const auto *rule = firstRuleFor(data, bundleID); rule != nullptr && rule->profileID) {
        for (const auto &profile : data.profiles) {
            if (profile.id == *rule->profileID) {
                return profile;
            }
        }
    }
    return data.activeProfile();
}

int minutesWithinDay(std::int64_t minutes) {
    // The remainder lies within one day either side of zero, so neither step can overflow.
    return static_cast<int>(((minutes % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay);
}

bool isInQuietHours(const AppSettings &settings, int minuteOfDay) {
    if (!settings.quietHoursEnabled) {
        return false;
    }
    const int m = minutesWithinDay(minuteOfDay);
    const int start = minutesWithinDay(settings.quietStartMinutes);
    const int end = minutesWithinDay(settings.quietEndMinutes);
    if (end < start) {
        return m >= start || m < end;
    }
    return start <= m && m < end;
}

std::optional<QString> muteReason(const AppData &data, const LiveState &live) {
    const auto &settings = data.settings;
    if (isMutedByApp(data, live.currentAppBundleID)) {
        return QStringLiteral("Muted in ") + QString::fromStdString(live.currentAppName);
    }
    if (live.micInUse && settings.muteWhenMicInUse) {
        return QStringLiteral("Muted while the mic is on");
    }
    if (live.secureInput && settings.muteInSecureInput) {
        return QStringLiteral("Silent in password fields");
    }
    if (isInQuietHours(settings, live.minuteOfDay)) {
        return QStringLiteral("Quiet hours");
    }
    return std::nullopt;
}

LiveState forKeySounds(LiveState live) {
    if (live.ownWindowFocused) {
        live.currentAppBundleID.clear();
        live.currentAppName.clear();
    }
    return live;
}

} // namespace tc
