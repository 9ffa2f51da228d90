#include "ui/triggers/ShortcutRecorder.h"

#include "engine/Hotkey.h"
#include "engine/KeyTranslation.h"
#include "model/KeyCodes.h"
#include "model/Modifiers.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <utility>

namespace tc {

namespace {

// X key codes are the kernel's codes plus this.
constexpr quint32 kXKeycodeOffset = 8;

struct QtKeyCode {
    int key;
    std::uint16_t code;
};

// Qt keys to virtual key codes, for events without a scan code only: the letters, digits, function keys,
// arrows and the named keys of the drawn keyboard, plus the modifier keys (so that they are recognised as such).
constexpr QtKeyCode kQtKeys[] = {
    {Qt::Key_A, 0},        {Qt::Key_S, 1},          {Qt::Key_D, 2},
    {Qt::Key_F, 3},        {Qt::Key_H, 4},          {Qt::Key_G, 5},
    {Qt::Key_Z, 6},        {Qt::Key_X, 7},          {Qt::Key_C, 8},
    {Qt::Key_V, 9},        {Qt::Key_B, 11},         {Qt::Key_Q, 12},
    {Qt::Key_W, 13},       {Qt::Key_E, 14},         {Qt::Key_R, 15},
    {Qt::Key_Y, 16},       {Qt::Key_T, 17},         {Qt::Key_1, 18},
    {Qt::Key_2, 19},       {Qt::Key_3, 20},         {Qt::Key_4, 21},
    {Qt::Key_6, 22},       {Qt::Key_5, 23},         {Qt::Key_Equal, 24},
    {Qt::Key_9, 25},       {Qt::Key_7, 26},         {Qt::Key_Minus, 27},
    {Qt::Key_8, 28},       {Qt::Key_0, 29},         {Qt::Key_BracketRight, 30},
    {Qt::Key_O, 31},       {Qt::Key_U, 32},         {Qt::Key_BracketLeft, 33},
    {Qt::Key_I, 34},       {Qt::Key_P, 35},         {Qt::Key_Return, 36},
    {Qt::Key_L, 37},       {Qt::Key_J, 38},         {Qt::Key_Apostrophe, 39},
    {Qt::Key_K, 40},       {Qt::Key_Semicolon, 41}, {Qt::Key_Backslash, 42},
    {Qt::Key_Comma, 43},   {Qt::Key_Slash, 44},     {Qt::Key_N, 45},
    {Qt::Key_M, 46},       {Qt::Key_Period, 47},    {Qt::Key_Tab, 48},
    {Qt::Key_Space, 49},   {Qt::Key_QuoteLeft, 50}, {Qt::Key_Backspace, 51},
    {Qt::Key_Escape, 53},  {Qt::Key_Meta, 55},      {Qt::Key_Super_L, 55},
    {Qt::Key_Super_R, 54}, {Qt::Key_Shift, 56},     {Qt::Key_CapsLock, 57},
    {Qt::Key_Alt, 58},     {Qt::Key_Control, 59},   {Qt::Key_AltGr, 61},
    {Qt::Key_Enter, 76},   {Qt::Key_F5, 96},        {Qt::Key_F6, 97},
    {Qt::Key_F7, 98},      {Qt::Key_F3, 99},        {Qt::Key_F8, 100},
    {Qt::Key_F9, 101},     {Qt::Key_F11, 103},      {Qt::Key_F10, 109},
    {Qt::Key_F12, 111},    {Qt::Key_Insert, 114},   {Qt::Key_Home, 115},
    {Qt::Key_PageUp, 116}, {Qt::Key_Delete, 117},   {Qt::Key_F4, 118},
    {Qt::Key_End, 119},    {Qt::Key_F2, 120},       {Qt::Key_PageDown, 121},
    {Qt::Key_F1, 122},     {Qt::Key_Left, 123},     {Qt::Key_Right, 124},
    {Qt::Key_Down, 125},   {Qt::Key_Up, 126},
};

} // namespace

std::optional<std::uint16_t> ShortcutRecorder::codeForQtKey(int key) {
    for (const QtKeyCode &entry : kQtKeys) {
        if (entry.key == key) {
            return entry.code;
        }
    }
    return std::nullopt;
}

std::uint64_t ShortcutRecorder::flagsFor(Qt::KeyboardModifiers modifiers) {
    std::uint64_t flags = 0;
    if (modifiers & Qt::ShiftModifier) {
        flags |= Modifiers::kShift;
    }
    if (modifiers & Qt::ControlModifier) {
        flags |= Modifiers::kControl;
    }
    if (modifiers & Qt::AltModifier) {
        flags |= Modifiers::kOption;
    }
    if (modifiers & Qt::MetaModifier) {
        flags |= Modifiers::kCommand;
    }
    return flags;
}

std::optional<ShortcutRecorder::Press> ShortcutRecorder::translate(const QKeyEvent &event) {
    std::optional<std::uint16_t> code;
    const quint32 scanCode = event.nativeScanCode();
    if (scanCode > kXKeycodeOffset && scanCode <= 0xFFFF) {
        code = KeyTranslation::virtualKeyCode(static_cast<std::uint16_t>(scanCode - kXKeycodeOffset));
    } else {
        code = codeForQtKey(event.key());
    }
    if (!code) {
        return std::nullopt;
    }
    return Press{*code, flagsFor(event.modifiers())};
}

ShortcutRecorder::Outcome ShortcutRecorder::classify(const std::optional<Press> &press) {
    if (!press || KeyTranslation::isModifierKey(press->code)) {
        return Outcome::ignore;
    }
    const std::uint64_t flags = press->flags & Modifiers::kShortcutMask;
    if (press->code == KeyCodes::kEsc && flags == 0) {
        return Outcome::cancel;
    }
    if ((flags & Modifiers::kShortcutRequiredMask) == 0) {
        return Outcome::needsHold;
    }
    // The sound router takes these chords as its hotkeys before any trigger is looked at.
    if (hotkeyFor(press->code, flags)) {
        return Outcome::reserved;
    }
    return Outcome::record;
}

ShortcutRecorder::ShortcutRecorder(QObject *parent) : QObject(parent) {}

ShortcutRecorder::~ShortcutRecorder() {
    if (recording_ && QCoreApplication::instance()) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void ShortcutRecorder::start(std::function<void(Press)> onRecorded) {
    onRecorded_ = std::move(onRecorded);
    lastRefusal_.reset();
    if (!recording_) {
        recording_ = true;
        QCoreApplication::instance()->installEventFilter(this);
    }
    emit stateChanged();
}

void ShortcutRecorder::stop() {
    if (!recording_) {
        return;
    }
    recording_ = false;
    lastRefusal_.reset();
    QCoreApplication::instance()->removeEventFilter(this);
    emit stateChanged();
}

bool ShortcutRecorder::eventFilter(QObject *watched, QEvent *event) {
    if (!recording_) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claimed, so that no window shortcut fires; the key press that follows is handled below.
        event->accept();
        return true;
    case QEvent::KeyPress:
        handle(*static_cast<QKeyEvent *>(event));
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void ShortcutRecorder::handle(const QKeyEvent &event) {
    if (event.isAutoRepeat()) {
        return;
    }
    const std::optional<Press> press = translate(event);
    const Outcome outcome = classify(press);
    switch (outcome) {
    case Outcome::cancel:
        stop();
        return;
    case Outcome::record: {
        const Press recorded{press->code, press->flags & Modifiers::kShortcutMask};
        auto onRecorded = onRecorded_;
        stop();
        if (onRecorded) {
            onRecorded(recorded);
        }
        return;
    }
    case Outcome::ignore:
        return;
    case Outcome::needsHold:
    case Outcome::reserved:
        if (lastRefusal_ != outcome) {
            lastRefusal_ = outcome;
            emit stateChanged();
        }
        return;
    }
}

} // namespace tc
