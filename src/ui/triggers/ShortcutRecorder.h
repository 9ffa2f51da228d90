#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

class QKeyEvent;

namespace tc {

// Records a trigger's shortcut from the next chord the user presses in the program. While it records, it
// watches every key press the application receives (an application-wide event filter), swallows each one so
// that no text field, menu or window shortcut sees it, and decides what the press means.
//
// Keys are read as the keyboard monitor reads them: the key's native scan code is the X key code (the kernel's
// code + 8) and goes through the monitor's own table, so a recorded shortcut carries the very code the monitor
// reports for that key. Where an event has no scan code (an offscreen platform), the Qt key is used instead.
// Modifiers: Shift → shift, Ctrl → control, Alt → option, Super → command.
//
// Main thread only.
class ShortcutRecorder : public QObject {
    Q_OBJECT
public:
    // A key press in the document's terms.
    struct Press {
        std::uint16_t code = 0;
        std::uint64_t flags = 0; // shift, control, option, command
        friend bool operator==(const Press &, const Press &) = default;
    };
    // What a press does while recording.
    enum class Outcome {
        cancel,    // Escape without modifiers: stop, nothing changes
        ignore,    // a modifier key itself, or a key the program does not know: keep recording
        needsHold, // no control, option or command held: keep recording
        reserved,  // the chord of one of the program's own hotkeys, which always win: keep recording
        record,    // a shortcut: store it and stop
    };

    // The key code and flags of a Qt key event; nothing for a key without a code in the document's scheme.
    static std::optional<Press> translate(const QKeyEvent &event);
    // The key code of a Qt key, for events without a scan code; nothing for keys outside the table.
    static std::optional<std::uint16_t> codeForQtKey(int key);
    // The modifier flags of Qt's modifiers.
    static std::uint64_t flagsFor(Qt::KeyboardModifiers modifiers);
    // What a press means while recording.
    static Outcome classify(const std::optional<Press> &press);

    explicit ShortcutRecorder(QObject *parent = nullptr);
    ~ShortcutRecorder() override;

    // Starts watching; `onRecorded` gets the shortcut (flags masked to shift, control, option and command)
    // after recording has stopped. Starting again replaces the earlier callback.
    void start(std::function<void(Press)> onRecorded);
    // Stops watching (nothing when not recording). Emits stateChanged() when it was recording.
    void stop();
    bool isRecording() const { return recording_; }
    // The outcome of the last press that kept recording going (cleared by start()).
    std::optional<Outcome> lastRefusal() const { return lastRefusal_; }

signals:
    // Recording started or stopped, or a press was refused.
    void stateChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void handle(const QKeyEvent &event);

    bool recording_ = false;
    std::optional<Outcome> lastRefusal_;
    std::function<void(Press)> onRecorded_;
};

} // namespace tc
