// What each notice says.

#include "app/Notice.h"

#include <gtest/gtest.h>

using tc::Notice;
using tc::Silence;

TEST(Notice, TextsOpacityAndButtonFollowTheNotice) {
    const Silence off{Silence::Kind::off, QStringLiteral("Sounds are off"),
                      QStringLiteral("Press Ctrl+Alt+K or turn them on here."), QStringLiteral("Turn on")};
    const Silence muted{Silence::Kind::macMuted, QStringLiteral("Your computer is muted"),
                        QStringLiteral("Turn up the computer's sound to hear your keys."), std::nullopt};
    struct Case {
        Notice notice;
        const char *title;
        const char *subtitle;
        double opacity;
        std::optional<QString> button;
    };
    const Case cases[] = {
        {Notice::soundsOn(), "Sounds on", "Press Ctrl+Alt+K to turn them off.", 1.0, std::nullopt},
        {Notice::soundsOff(), "Sounds off", "Press Ctrl+Alt+K to turn them back on.", 0.45, std::nullopt},
        {Notice::silent(off), "Sounds are off", "You're typing, but Tapchime is off. Ctrl+Alt+K turns it on.", 0.45,
         QStringLiteral("Turn on")},
        {Notice::silent(muted), "Your computer is muted", "Turn up the computer's sound to hear your keys.", 0.45,
         std::nullopt},
    };
    for (const Case &c : cases) {
        const tc::NoticeContent content = tc::noticeContent(c.notice);
        EXPECT_EQ(content.title, QString::fromUtf8(c.title));
        EXPECT_EQ(content.subtitle, QString::fromUtf8(c.subtitle));
        EXPECT_DOUBLE_EQ(content.mascotOpacity, c.opacity);
        EXPECT_EQ(content.fixLabel, c.button);
    }
    EXPECT_DOUBLE_EQ(tc::noticeSeconds(Notice::soundsOn()), 1.8);
    EXPECT_DOUBLE_EQ(tc::noticeSeconds(Notice::silent(muted)), 6.0);
}
