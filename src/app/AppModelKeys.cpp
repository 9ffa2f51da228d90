// Key activity from the router: held keys, the day's presses, the hotkeys and the silent-typing notice.

#include "app/AppModel.h"

#include "app/KeyReports.h"
#include "app/Notice.h"
#include "app/StatsStore.h"
#include "model/KeyCodes.h"

#include <algorithm>

namespace tc {

void AppModel::keyActivity(std::uint16_t code, bool isDown) {
    // One cap stands for both keys of a pair (right Control lights left Control).
    const auto folded = KeyCodes::folded(code);
    if (isDown) {
        noteKeyWhileSilent();
        if (!pressedKeys_.contains(folded)) {
            pressedKeys_.insert(folded);
            emit pressedKeysChanged();
        }
        if (code == KeyCodes::kCaps) {
            // Caps Lock reports a key down for every change and never a key up: its highlight is a flash.
            capsLockTimer_ = services_.timers->singleShot(kCapsLockHighlight, [this] {
                capsLockTimer_.reset();
                if (pressedKeys_.erase(KeyCodes::kCaps) > 0) {
                    emit pressedKeysChanged();
                }
            });
        }
    } else if (pressedKeys_.erase(folded) > 0) {
        emit pressedKeysChanged();
    }
}

void AppModel::takeKeyReports() {
    if (!keyReports_) {
        return;
    }
    keyReports_->take([this](const KeyReports::Report &report) {
        switch (report.kind) {
        case KeyReports::Report::Kind::down:
        case KeyReports::Report::Kind::up:
            keyActivity(report.code, report.kind == KeyReports::Report::Kind::down);
            break;
        case KeyReports::Report::Kind::played:
            played(report.code, std::string(report.soundID()));
            break;
        case KeyReports::Report::Kind::lost:
            keyReportsLost(report.lostPlays);
            break;
        }
    });
}

void AppModel::keyReportsLost(std::uint32_t plays) {
    // A lost key up would leave its cap held for good.
    if (!pressedKeys_.empty()) {
        pressedKeys_.clear();
        emit pressedKeysChanged();
    }
    if (plays == 0) {
        return;
    }
    rollOverPressDay();
    const auto before = pressesToday_;
    pressesToday_ += plays;
    emit pressesTodayChanged();
    if (before / kPressCountStoreEvery != pressesToday_ / kPressCountStoreEvery) {
        services_.stats->setCount(pressesToday_);
    }
}

void AppModel::played(std::uint16_t code, const std::string &soundID) {
    if (assignField(lastPlayedKey_, std::optional<std::uint16_t>(code))) {
        emit lastPlayedKeyChanged();
    }
    if (assignField(lastPlayedSoundID_, std::optional<std::string>(soundID))) {
        emit lastPlayedSoundIDChanged();
    }
    rollOverPressDay();
    ++pressesToday_;
    emit pressesTodayChanged();
    if (pressesToday_ % kPressCountStoreEvery == 0) {
        services_.stats->setCount(pressesToday_);
    }
}

void AppModel::rollOverPressDay() {
    const auto day = today();
    if (services_.stats->day() == day) {
        return;
    }
    services_.stats->setDay(day);
    // The count is stored with the day: otherwise a restart before the tenth press of the new day would
    // restore yesterday's count as today's.
    services_.stats->setCount(0);
    if (pressesToday_ != 0) {
        pressesToday_ = 0;
        emit pressesTodayChanged();
    }
}

void AppModel::handle(Hotkey hotkey) {
    if (shortcutRecording_) {
        return;
    }
    switch (hotkey) {
    case Hotkey::toggleSounds: {
        toggleSounds();
        emit noticeRequested(data_.settings.enabled ? Notice::soundsOn() : Notice::soundsOff());
        break;
    }
    case Hotkey::nextProfile: {
        const auto &profiles = data_.profiles;
        const auto current = std::find_if(profiles.begin(), profiles.end(),
                                          [&](const Profile &profile) { return profile.id == data_.activeProfileID; });
        if (current == profiles.end()) {
            return;
        }
        const auto next = static_cast<std::size_t>(current - profiles.begin() + 1) % profiles.size();
        setActiveProfile(profiles[next].id);
        break;
    }
    }
}

void AppModel::noteKeyWhileSilent() {
    const auto current = silence();
    const bool inaudible = current && (current->kind == Silence::Kind::off || current->kind == Silence::Kind::volume ||
                                       current->kind == Silence::Kind::macMuted);
    if (!inaudible) {
        silentPresses_.clear();
        if (!current) {
            lastSilenceNotice_.reset(); // the next time the user becomes inaudible, tell them at once
        }
        return;
    }
    const auto now = services_.clock->now();
    const auto windowMs = static_cast<qint64>(kSilentPressWindow * 1000);
    std::erase_if(silentPresses_, [&](const QDateTime &press) { return press.msecsTo(now) >= windowMs; });
    silentPresses_.push_back(now);
    if (silentPresses_.size() < static_cast<std::size_t>(kSilentPressesForNotice)) {
        return;
    }
    const auto spacingMs = static_cast<qint64>(kSilenceNoticeSpacing * 1000);
    if (lastSilenceNotice_ && lastSilenceNotice_->msecsTo(now) < spacingMs) {
        return; // the window keeps sliding
    }
    lastSilenceNotice_ = now;
    silentPresses_.clear();
    emit noticeRequested(Notice::silent(*current));
}

} // namespace tc
