#include "ui/kit/Symbols.h"

#include "ui/kit/Fonts.h"

#include <QPainter>
#include <algorithm>

namespace tc {

namespace {

// Symbol name → Material icon. Keep sorted by name.
std::vector<Symbols::Entry> makeTable() {
    std::vector<Symbols::Entry> table = {
        {"app.badge", 0xef3f, "app_blocking"},
        {"arrow.right", 0xe5c8, "arrow_forward"},
        {"arrow.up.right", 0xe89e, "open_in_new"},
        {"arrow.uturn.backward", 0xe166, "undo"},
        {"bell.fill", 0xe7f4, "notifications"},
        {"bolt", 0xea0b, "bolt"},
        {"bolt.fill", 0xea0b, "bolt"},
        {"burst.fill", 0xe3e4, "flare"},
        {"cat.fill", 0xe91d, "pets"},
        {"checkmark", 0xe5ca, "check"},
        {"checkmark.circle.fill", 0xe86c, "check_circle"},
        {"chevron.down", 0xe5cf, "expand_more"},
        {"chevron.up.chevron.down", 0xe5d7, "unfold_more"},
        {"cursorarrow", 0xe323, "mouse"},
        {"ellipsis", 0xe5d3, "more_horiz"},
        {"eraser", 0xe664, "auto_fix_normal"},
        {"gamecontroller.fill", 0xea28, "sports_esports"},
        {"hand.point.up.left", 0xe913, "touch_app"},
        {"keyboard", 0xe312, "keyboard"},
        {"keyboard.badge.exclamationmark", 0xe31a, "keyboard_hide"},
        {"list.bullet", 0xe241, "format_list_bulleted"},
        {"lock", 0xe899, "lock_outline"},
        {"lock.fill", 0xe897, "lock"},
        {"macwindow", 0xe069, "web_asset"},
        {"magnifyingglass", 0xe8b6, "search"},
        {"mic.slash", 0xe02b, "mic_off"},
        {"mic.slash.fill", 0xe02b, "mic_off"},
        {"moon.fill", 0xef44, "bedtime"},
        {"music.note", 0xe405, "music_note"},
        {"paintbrush.pointed", 0xe3ae, "brush"},
        {"pawprint.fill", 0xe91d, "pets"},
        {"play.fill", 0xe037, "play_arrow"},
        {"plus", 0xe145, "add"},
        {"point.3.connected.trianglepath.dotted", 0xe9f4, "hub"},
        {"power", 0xe8ac, "power_settings_new"},
        {"record.circle", 0xe837, "radio_button_checked"},
        {"slider.horizontal.3", 0xe429, "tune"},
        {"speaker.fill", 0xe04e, "volume_mute"},
        {"speaker.slash", 0xe04f, "volume_off"},
        {"speaker.slash.fill", 0xe04f, "volume_off"},
        {"speaker.wave.2.fill", 0xe050, "volume_up"},
        {"square.and.arrow.down", 0xf090, "download"},
        {"square.and.arrow.up", 0xe6b8, "ios_share"},
        {"square.grid.2x2", 0xe9b0, "grid_view"},
        {"square.stack.3d.up.fill", 0xe53b, "layers"},
        {"textformat", 0xe165, "text_format"},
        {"waveform", 0xe1b8, "graphic_eq"},
        {"xmark", 0xe5cd, "close"},
    };
    std::sort(table.begin(), table.end(), [](const auto &a, const auto &b) { return a.name < b.name; });
    return table;
}

} // namespace

const std::vector<Symbols::Entry> &Symbols::table() {
    static const std::vector<Entry> entries = makeTable();
    return entries;
}

std::optional<char32_t> Symbols::codePoint(std::string_view name) {
    const std::vector<Entry> &entries = table();
    const auto it = std::lower_bound(entries.begin(), entries.end(), name,
                                     [](const Entry &entry, std::string_view key) { return entry.name < key; });
    if (it == entries.end() || it->name != name) {
        return std::nullopt;
    }
    return it->codePoint;
}

QString Symbols::text(std::string_view name) {
    const std::optional<char32_t> code = codePoint(name);
    if (!code) {
        return {};
    }
    const char32_t codes[] = {*code};
    return QString::fromUcs4(codes, 1);
}

void Symbols::paint(QPainter &painter, const QRectF &rect, std::string_view name, qreal pixelSize, QFont::Weight weight,
                    const QColor &color) {
    const QString glyph = text(name);
    if (glyph.isEmpty()) {
        return;
    }
    painter.save();
    painter.setFont(Fonts::symbol(pixelSize, weight));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, glyph);
    painter.restore();
}

} // namespace tc
