#include "engine/linux/XkbKeyText.h"

#include "engine/KeyTranslation.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tc {

namespace {

constexpr xkb_keycode_t kXkbOffset = 8; // xkb (and X11) key codes are Linux key codes plus 8
constexpr std::size_t kMaxTextUnits = 4;

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

XkbKeyText::XkbKeyText(xkb_context *context, xkb_keymap *keymap, xkb_state *state)
    : context_(context), keymap_(keymap), state_(state) {}

XkbKeyText::~XkbKeyText() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

std::unique_ptr<XkbKeyText> XkbKeyText::fromNames(const Names &names) {
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context) {
        return nullptr;
    }
    const xkb_rule_names ruleNames{names.rules.c_str(), names.model.c_str(), names.layout.c_str(),
                                   names.variant.c_str(), names.options.c_str()};
    xkb_keymap *keymap = xkb_keymap_new_from_names(context, &ruleNames, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state *state = keymap ? xkb_state_new(keymap) : nullptr;
    if (!state) {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeyText>(new XkbKeyText(context, keymap, state));
}

std::unique_ptr<XkbKeyText> XkbKeyText::fromX11(xcb_connection_t *connection, const XkbKeyText *previous) {
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0) {
        return nullptr;
    }
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context) {
        return nullptr;
    }
    xkb_keymap *keymap = xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state *state = keymap ? xkb_state_new(keymap) : nullptr;
    if (!state) {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
        return nullptr;
    }
    // Only locks (Caps Lock, Num Lock, the layout group) are taken over; held modifiers come from the key
    // events that follow, since a modifier set here without its key would never be released by a key up.
    // A new keymap keeps the locks of the state it replaces: the server's state is already ahead of the
    // events still waiting to be read, and a Caps Lock press among them would be counted twice.
    xkb_mod_mask_t lockedMods = 0;
    xkb_layout_index_t lockedGroup = 0;
    if (previous) {
        lockedMods = xkb_state_serialize_mods(previous->state_, XKB_STATE_MODS_LOCKED);
        lockedGroup = xkb_state_serialize_layout(previous->state_, XKB_STATE_LAYOUT_LOCKED);
    } else if (xkb_state *server = xkb_x11_state_new_from_device(keymap, connection, device)) {
        lockedMods = xkb_state_serialize_mods(server, XKB_STATE_MODS_LOCKED);
        lockedGroup = xkb_state_serialize_layout(server, XKB_STATE_LAYOUT_LOCKED);
        xkb_state_unref(server);
    }
    xkb_state_update_mask(state, 0, 0, lockedMods, 0, 0, lockedGroup);
    return std::unique_ptr<XkbKeyText>(new XkbKeyText(context, keymap, state));
}

XkbKeyText::Names XkbKeyText::systemDefaultNames() {
    for (const char *variable : {"XKB_DEFAULT_RULES", "XKB_DEFAULT_MODEL", "XKB_DEFAULT_LAYOUT", "XKB_DEFAULT_VARIANT",
                                 "XKB_DEFAULT_OPTIONS"}) {
        const char *value = std::getenv(variable);
        if (value && *value) {
            return {};
        }
    }
    std::ifstream file("/etc/default/keyboard");
    if (!file) {
        return {};
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseKeyboardDefaults(text.str());
}

XkbKeyText::Names XkbKeyText::parseKeyboardDefaults(std::string_view text) {
    Names names;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const auto equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trim(line.substr(0, equals));
        std::string_view value = trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        if (key == "XKBMODEL") {
            names.model = value;
        } else if (key == "XKBLAYOUT") {
            names.layout = value;
        } else if (key == "XKBVARIANT") {
            names.variant = value;
        } else if (key == "XKBOPTIONS") {
            names.options = value;
        }
    }
    return names;
}

std::string XkbKeyText::characters(std::uint16_t linuxCode) const {
    char buffer[64];
    const int length = xkb_state_key_get_utf8(state_, linuxCode + kXkbOffset, buffer, sizeof buffer);
    if (length <= 0) {
        return {};
    }
    const std::size_t written = std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1);
    return std::string(KeyTranslation::truncateToUtf16Units(std::string_view(buffer, written), kMaxTextUnits));
}

void XkbKeyText::update(std::uint16_t linuxCode, bool down) {
    xkb_state_update_key(state_, linuxCode + kXkbOffset, down ? XKB_KEY_DOWN : XKB_KEY_UP);
}

void XkbKeyText::setLockedGroup(std::uint32_t group) {
    const xkb_mod_mask_t depressed = xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED);
    const xkb_mod_mask_t latched = xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED);
    const xkb_mod_mask_t locked = xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED);
    const xkb_layout_index_t depressedGroup = xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_DEPRESSED);
    const xkb_layout_index_t latchedGroup = xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_LATCHED);
    xkb_state_update_mask(state_, depressed, latched, locked, depressedGroup, latchedGroup, group);
}

bool XkbKeyText::capsLockOn() const {
    return xkb_state_mod_name_is_active(state_, XKB_MOD_NAME_CAPS, XKB_STATE_MODS_LOCKED) > 0;
}

} // namespace tc
