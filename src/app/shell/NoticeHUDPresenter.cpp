#include "app/shell/NoticeHUDPresenter.h"

#include "app/shell/NoticeHUD.h"

namespace tc {

void NoticeHUDPresenter::showSounds(bool on) {
    hud_.show(on ? Notice::soundsOn() : Notice::soundsOff());
}

void NoticeHUDPresenter::showSilence(const Silence &silence) {
    hud_.show(Notice::silent(silence));
}

} // namespace tc
