#pragma once

namespace tc {

// Whether the user is typing something secret: a focused password field or a locked screen. Best effort;
// a source never grabs the keyboard to find out.
class SecureInputSource {
public:
    virtual ~SecureInputSource() = default;
    // Answered from state the source keeps current on its own; never blocks. Any thread. False when the
    // source cannot tell.
    virtual bool secureInputOn() const = 0;
};

} // namespace tc
