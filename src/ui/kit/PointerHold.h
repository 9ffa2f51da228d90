#pragma once

#include <QObject>
#include <functional>

namespace tc::PointerHold {

// Whether a mouse button is held down now, by the window system's account.
bool held();

// Runs `change` at once while no mouse button is held; else once every button is up again, after the release has
// been handled. For changes that would move what lies under a pointer held down: a drag over the drawn keyboard
// paints the keys it crosses, so the rows above it must not grow and shift it under the pointer until the button
// goes up. A later change from the same `owner` replaces one it left waiting; nothing runs once the owner is gone.
// Main thread.
void afterRelease(QObject *owner, std::function<void()> change);

} // namespace tc::PointerHold
