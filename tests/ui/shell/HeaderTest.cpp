// The header's status pill uses the room the header's other parts leave and cuts a long label there with "…",
// telling it whole in its tooltip.

#include "ui/shell/Header.h"

#include "ui/ModelStates.h"
#include "ui/kit/ShownText.h"
#include "ui/kit/StatusPill.h"
#include "ui/shell/ProfileSwitcher.h"

#include <QFontMetricsF>
#include <QLabel>
#include <gtest/gtest.h>
#include <map>

namespace tc::test {
namespace {

TEST(Header, AStatusLongerThanItsRoomIsCutWithAnEllipsisAndPressesOnNothing) {
    shellApp();
    std::map<int, int> switcherWidths; // at each header width, with a short status
    for (const int length : {12, 300, 10000}) {
        SCOPED_TRACE(length);
        Harness harness;
        AppModel &model = harness.started();
        const std::string name(static_cast<std::size_t>(length), 'a');
        model.setRule("org.example.long", name, std::nullopt);
        harness.activate("org.example.long", name);
        ASSERT_TRUE(model.silence());
        const QString label = model.silence()->title;
        for (const AppSection section : {AppSection::sounds, AppSection::keyboard}) {
            model.setSection(section);
            for (const int width : {1400, 1280, 1100}) {
                SCOPED_TRACE(width);
                Header header(model);
                header.resize(width, Header::fixedHeight);
                header.show();
                QCoreApplication::processEvents();
                StatusPill *pill = header.statusPill();
                const QString shown = pill->shownLabel();
                EXPECT_LE(QFontMetricsF(pill->font()).horizontalAdvance(shown), pill->width());
                if (ProfileSwitcher *switcher = header.profileSwitcher()) {
                    // The switcher keeps its room, and the pill ends before it.
                    EXPECT_LE(pill->geometry().right(), switcher->x());
                    const auto known = switcherWidths.emplace(width, switcher->width()).first;
                    EXPECT_EQ(switcher->width(), known->second);
                    continue;
                }
                EXPECT_LE(pill->geometry().right(), width - 20);
                if (pill->sizeHint().width() <= pill->width()) {
                    EXPECT_EQ(shown, label);
                    EXPECT_EQ(pill->toolTip(), pill->currentFace().toolTip);
                } else {
                    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
                    EXPECT_TRUE(pill->toolTip().startsWith(ShownText::bounded(label)));
                    // The pill takes the header's room up to its title and the gap after it.
                    EXPECT_LE(pill->x(), header.findChild<QLabel *>()->geometry().right() + 30);
                }
            }
        }
    }
}

} // namespace
} // namespace tc::test
