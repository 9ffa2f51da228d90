#pragma once

#include <pthread.h>

namespace tc {

// The name of the keyboard monitor's thread, as tools such as top and gdb show it (at most 15 characters).
inline constexpr char kKeyboardThreadName[] = "Tapchime.kbd";

// Names the calling thread; Linux cuts names after 15 characters.
inline void nameCurrentThread(const char *name) {
    pthread_setname_np(pthread_self(), name);
}

} // namespace tc
