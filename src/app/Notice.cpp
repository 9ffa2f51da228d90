#include "app/Notice.h"

namespace tc {

NoticeContent noticeContent(const Notice &notice) {
    switch (notice.kind) {
    case Notice::Kind::soundsOn:
        return {QStringLiteral("Sounds on"), QStringLiteral("Press ⌃⌥K to turn them off."), 1.0, std::nullopt};
    case Notice::Kind::soundsOff:
        return {QStringLiteral("Sounds off"), QStringLiteral("Press ⌃⌥K to turn them back on."), 0.45, std::nullopt};
    case Notice::Kind::silent:
        break;
    }
    const Silence silence = notice.silence.value_or(Silence{});
    const QString subtitle = silence.kind == Silence::Kind::off
                                 ? QStringLiteral("You're typing, but Tapchime is off. ⌃⌥K turns it on.")
                                 : silence.detail;
    return {silence.title, subtitle, 0.45, silence.fix};
}

double noticeSeconds(const Notice &notice) {
    return notice.kind == Notice::Kind::silent ? 6.0 : 1.8;
}

} // namespace tc
