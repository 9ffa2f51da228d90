#pragma once

namespace tc {

// Whether some application records from a microphone (not from a monitor of an output).
class MicrophoneActivitySource {
public:
    virtual ~MicrophoneActivitySource() = default;
    // Answered from state the source keeps current on its own; never blocks. Any thread. False when the
    // source cannot tell (no sound server, no input device).
    virtual bool microphoneInUse() const = 0;
};

} // namespace tc
