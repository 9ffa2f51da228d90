#pragma once

namespace tc::motion {

// Whether views animate their changes. The snapshot tool turns motion off so that every animation jumps to
// its end state and renders are deterministic. Main thread only.
inline bool &enabledFlag() {
    static bool enabled = true;
    return enabled;
}

inline bool enabled() {
    return enabledFlag();
}
inline void setEnabled(bool on) {
    enabledFlag() = on;
}

} // namespace tc::motion
