#pragma once

#include "app/NoticePresenter.h"

namespace tc {

class NoticeHUD;

// The application model's notices on the notice panel. The panel must outlive it. Main thread.
class NoticeHUDPresenter final : public NoticePresenter {
public:
    explicit NoticeHUDPresenter(NoticeHUD &hud) : hud_(hud) {}
    void showSounds(bool on) override;
    void showSilence(const Silence &silence) override;

private:
    NoticeHUD &hud_;
};

} // namespace tc
