#include "app/Notice.h"

#include "engine/Hotkey.h"

namespace tc {

NoticeContent noticeContent(const Notice &notice) {
    const QString toggle = QString::fromStdString(hotkeyText(Hotkey::toggleSounds));
    switch (notice.kind) {
    case Notice::Kind::soundsOn:
        return {QStringLiteral("Sounds on"), QStringLiteral("Press %1 to turn them off.").arg(toggle), 1.0,
                std::nullopt};
    case Notice::Kind::soundsOff:
        return {QStringLiteral("Sounds off"), QStringLiteral("Press %1 to turn them back on.").arg(toggle), 0.45,
                std::nullopt};
    case Notice::Kind::silent:
        break;
    }
    const Silence silence = notice.silence.value_or(Silence{});
    const QString subtitle = silence.kind == Silence::Kind::off
                                 ? QStringLiteral("You're typing, but Tapchime is off. %1 turns it on.").arg(toggle)
                                 : silence.detail;
    return {silence.title, subtitle, 0.45, silence.fix};
}

double noticeSeconds(const Notice &notice) {
    return notice.kind == Notice::Kind::silent ? 6.0 : 1.8;
}

} // namespace tc
