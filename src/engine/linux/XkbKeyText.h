#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;
struct xcb_connection_t;

namespace tc {

// The text keys type under a keyboard layout, from an xkbcommon keymap and a state that follows the keys
// (held Shift, AltGr, Caps Lock, the active layout group).
//
// Keys are named by their Linux key code (xkb key codes are those plus 8, as for X11). Text is UTF-8 and
// at most 4 UTF-16 units long, the most a key event carries.
//
// Thread: used on the keyboard monitor's thread only (made on the thread that starts the monitor).
class XkbKeyText {
public:
    // Rules, model, layout, variant and options; an empty field means the default (from the XKB_DEFAULT_*
    // variables of the environment, else the library's own).
    struct Names {
        std::string rules, model, layout, variant, options;
        friend bool operator==(const Names &, const Names &) = default;
    };

    ~XkbKeyText();
    XkbKeyText(const XkbKeyText &) = delete;
    XkbKeyText &operator=(const XkbKeyText &) = delete;

    // A keymap compiled from names; nullptr when xkbcommon cannot compile it (names it does not know).
    static std::unique_ptr<XkbKeyText> fromNames(const Names &names);
    // The keymap of an X server's core keyboard; the connection must have the XKB extension set up
    // (xkb_x11_setup_xkb_extension). The locks (Caps Lock, layout group) come from the previous text when
    // one is given (a keymap change while running), else from the server. nullptr when the server does not
    // answer.
    static std::unique_ptr<XkbKeyText> fromX11(xcb_connection_t *connection, const XkbKeyText *previous = nullptr);

    // The system's default layout for a reader of keyboard devices: empty names (defaults) when any
    // XKB_DEFAULT_* variable is set, otherwise the console's keyboard configuration from
    // /etc/default/keyboard where that file exists.
    static Names systemDefaultNames();
    // Reads the XKBMODEL, XKBLAYOUT, XKBVARIANT and XKBOPTIONS assignments of /etc/default/keyboard.
    static Names parseKeyboardDefaults(std::string_view text);

    // The text the key types now; empty for keys that type nothing. Call before update() for the same key.
    std::string characters(std::uint16_t linuxCode) const;
    // Follows one key going down or up (never a repeat).
    void update(std::uint16_t linuxCode, bool down);
    // Makes the given layout group the locked one (a layout switch made elsewhere).
    void setLockedGroup(std::uint32_t group);
    bool capsLockOn() const;

private:
    XkbKeyText(xkb_context *context, xkb_keymap *keymap, xkb_state *state);

    xkb_context *context_;
    xkb_keymap *keymap_;
    xkb_state *state_;
};

} // namespace tc
