#pragma once

#include "model/Uuid.h"

#include <QDateTime>

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>

namespace tc {

// A set of virtual key codes (the keyboard editor's selection, the keys held now), kept sorted.
using KeySet = std::set<std::uint16_t>;

// The main window's screens, in rail order.
enum class AppSection { keyboard, sounds, triggers, apps, settings };

inline constexpr std::array<AppSection, 5> allAppSections = {
    AppSection::keyboard, AppSection::sounds, AppSection::triggers, AppSection::apps, AppSection::settings};

// The raw value ("keyboard", ...) and back; any other text (case matters) gives nullopt.
std::string toString(AppSection section);
std::optional<AppSection> appSectionFromString(std::string_view text);

// The keyboard editor's tools, in toolbar order.
enum class EditTool { select, paint, reset, test };

inline constexpr std::array<EditTool, 4> allEditTools = {EditTool::select, EditTool::paint, EditTool::reset,
                                                         EditTool::test};

std::string toString(EditTool tool);
std::optional<EditTool> editToolFromString(std::string_view text);

// What a sound chosen in the sound picker is applied to: keys of the active profile, one trigger, or the
// paint brush. A plain value; two targets are equal when they are the same case with equal payloads.
class SoundPickerTarget {
public:
    struct Keys {
        KeySet codes;
        friend bool operator==(const Keys &, const Keys &) = default;
    };
    struct TriggerTarget {
        Uuid id;
        friend bool operator==(const TriggerTarget &, const TriggerTarget &) = default;
    };
    struct Brush {
        friend bool operator==(const Brush &, const Brush &) = default;
    };

    static SoundPickerTarget keys(KeySet codes) { return SoundPickerTarget(Keys{std::move(codes)}); }
    static SoundPickerTarget trigger(Uuid id) { return SoundPickerTarget(TriggerTarget{id}); }
    static SoundPickerTarget brush() { return SoundPickerTarget(Brush{}); }

    // The payload, or nullptr when the target is another case.
    const Keys *asKeys() const { return std::get_if<Keys>(&value_); }
    const TriggerTarget *asTrigger() const { return std::get_if<TriggerTarget>(&value_); }
    bool isBrush() const { return std::holds_alternative<Brush>(value_); }

    // Identifies one presentation of the picker: "keys-[12, 49]" (codes ascending), "trigger-" followed by
    // the upper-case UUID, "brush".
    std::string id() const;

    friend bool operator==(const SoundPickerTarget &, const SoundPickerTarget &) = default;

private:
    explicit SoundPickerTarget(std::variant<Keys, TriggerTarget, Brush> value) : value_(std::move(value)) {}
    std::variant<Keys, TriggerTarget, Brush> value_;
};

// One entry of the switch log: the frontmost application changed what plays.
struct SwitchLogEntry {
    Uuid id;                 // new for every entry
    QDateTime date;          // when the switch happened
    std::string appName;     // the application that became frontmost
    std::string profileName; // the profile that plays there now, or "Muted"

    friend bool operator==(const SwitchLogEntry &, const SwitchLogEntry &) = default;
};

} // namespace tc
