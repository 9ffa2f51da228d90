#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

// Small RAII types and property reads over XCB. Windows are read with XCB rather than Xlib: a window that
// vanishes while it is read is a per-request error here, where Xlib would call its process-wide error handler
// (whose default ends the program).
namespace tc::xcb {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
// A reply, freed with free() as XCB asks.
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter {
    void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

inline xcb_atom_t internAtom(xcb_connection_t *c, const char *name) {
    auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The text up to the first NUL at or after `from` (WM_CLASS holds two NUL-terminated texts).
inline std::string untilNul(const std::string &text, size_t from = 0) {
    if (from >= text.size()) {
        return {};
    }
    const auto end = text.find('\0', from);
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// Reads window properties of any type: window managers and toolkits differ in the types they set. A request
// is sent with ask() and its answer read later, so several requests share one round trip.
class PropertyReader {
public:
    static constexpr uint32_t kMaxPropertyWords = 1024; // texts: 4 KiB, far more than any id or class name

    explicit PropertyReader(xcb_connection_t *c) : c_(c) {}

    xcb_get_property_cookie_t ask(xcb_window_t window, xcb_atom_t property, uint32_t words = kMaxPropertyWords) {
        return xcb_get_property(c_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, words);
    }

    // The property's bytes; empty when the window or the property is gone.
    std::string text(xcb_get_property_cookie_t cookie) {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c_, cookie, nullptr));
        if (!reply || reply->format != 8) {
            return {};
        }
        const auto *bytes = static_cast<const char *>(xcb_get_property_value(reply.get()));
        return std::string(bytes, static_cast<size_t>(xcb_get_property_value_length(reply.get())));
    }

    // 32-bit values of the property (window ids, atoms, cardinals); empty when the window or property is gone.
    std::vector<uint32_t> words(xcb_get_property_cookie_t cookie) {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c_, cookie, nullptr));
        if (!reply || reply->format != 32) {
            return {};
        }
        const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
        const auto count = static_cast<size_t>(xcb_get_property_value_length(reply.get())) / 4;
        return std::vector<uint32_t>(values, values + count);
    }

    // The first 32-bit value, if there is one.
    std::optional<uint32_t> cardinal(xcb_get_property_cookie_t cookie) {
        auto values = words(cookie);
        if (values.empty()) {
            return std::nullopt;
        }
        return values.front();
    }

private:
    xcb_connection_t *c_;
};

} // namespace tc::xcb
