#include "engine/SystemWatchers.h"

namespace tc {

SystemWatchers::SystemWatchers(Scheduler &scheduler, std::unique_ptr<FrontmostAppSource> frontmost,
                               std::unique_ptr<MicrophoneActivitySource> microphone,
                               std::unique_ptr<SecureInputSource> secure)
    : scheduler_(scheduler), frontmost_(std::move(frontmost)), microphone_(std::move(microphone)),
      secure_(std::move(secure)), self_(std::make_shared<SystemWatchers *>(this)) {}

SystemWatchers::~SystemWatchers() {
    // Stop the source's thread first, so no report is being posted while the rest goes away.
    frontmost_.reset();
}

void SystemWatchers::start() {
    if (started_) {
        return;
    }
    started_ = true;
    if (frontmost_) {
        std::weak_ptr<SystemWatchers *> weak = self_;
        Scheduler *scheduler = &scheduler_;
        frontmost_->start([weak, scheduler](const AppIdentity &app) {
            scheduler->post([weak, app] {
                if (auto self = weak.lock()) {
                    (*self)->report(app);
                }
            });
        });
    }
    std::weak_ptr<SystemWatchers *> weak = self_;
    pollTimer_ = scheduler_.repeat(kPollInterval, [weak] {
        if (auto self = weak.lock()) {
            (*self)->poll();
        }
    });
    minuteTimer_ = scheduler_.repeat(kTickInterval, [weak] {
        if (auto self = weak.lock(); self && (*self)->onMinuteTick) {
            (*self)->onMinuteTick();
        }
    });
    poll();
}

void SystemWatchers::report(const AppIdentity &app) {
    // A window without any application hint has no id; the program's own windows never count as a switch.
    if (app.bundleId.empty() || app.bundleId == kOwnAppId) {
        return;
    }
    if (onFrontmostApp) {
        onFrontmostApp(app.bundleId, app.name.empty() ? app.bundleId : app.name);
    }
}

void SystemWatchers::poll() {
    const bool mic = microphone_ && microphone_->microphoneInUse();
    if (mic != lastMic_) {
        lastMic_ = mic;
        if (onMicChange) {
            onMicChange(mic);
        }
    }
    const bool secure = secure_ && secure_->secureInputOn();
    if (secure != lastSecure_) {
        lastSecure_ = secure;
        if (onSecureInputChange) {
            onSecureInputChange(secure);
        }
    }
}

} // namespace tc
