#include "support/FakeSoundPlayer.h"

namespace tc {

void FakeSoundPlayer::play(const AudioBufferPtr &buffer, float volume, float rate, float pan) {
    std::lock_guard guard(mutex_);
    plays_.push_back({buffer, volume, rate, pan});
}

std::vector<FakeSoundPlayer::Play> FakeSoundPlayer::plays() const {
    std::lock_guard guard(mutex_);
    return plays_;
}

void FakeSoundPlayer::clear() {
    std::lock_guard guard(mutex_);
    plays_.clear();
}

} // namespace tc
