// Tip banners, section titles and the row label.

#include "app/Motion.h"
#include "ui/ShellTestApp.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/MiniCap.h"
#include "ui/kit/RowLabels.h"
#include "ui/kit/SectionTitle.h"
#include "ui/kit/TipBanner.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// The document's list of seen tips, as the model would keep it.
struct Tips {
    QStringList seen;
    int saves = 0;

    tc::TipBanner::Binding binding() {
        return {[this](const QString &id) { return seen.contains(id); },
                [this](const QString &id) {
                    seen.append(id);
                    ++saves;
                }};
    }
};

tc::TipBanner *banner(const QString &id, Tips &tips, QWidget *parent = nullptr) {
    return new tc::TipBanner(id, QStringLiteral("bolt.fill"), QStringLiteral("Sounds for words and shortcuts"),
                             QStringLiteral("Type “lol” in any app."), tips.binding(), parent);
}

} // namespace

TEST(TipBanner, ABannerWhoseIdWasSeenTakesNoSpace) {
    tc::test::shellApp();
    Tips tips;
    tips.seen = {QStringLiteral("apps")};
    QWidget page;
    auto *layout = new QVBoxLayout(&page);
    tc::TipBanner *seen = banner(QStringLiteral("apps"), tips, &page);
    tc::TipBanner *fresh = banner(QStringLiteral("triggers"), tips, &page);
    layout->addWidget(seen);
    layout->addWidget(fresh);
    page.show();
    EXPECT_TRUE(seen->isHidden());
    EXPECT_FALSE(fresh->isHidden());
    EXPECT_GT(fresh->height(), 0);
}

TEST(TipBanner, GotItRecordsTheIdOnceAndHidesEveryBannerWithIt) {
    tc::test::shellApp();
    tc::motion::setEnabled(false);
    Tips tips;
    QWidget page;
    auto *layout = new QVBoxLayout(&page);
    tc::TipBanner *first = banner(QStringLiteral("triggers"), tips, &page);
    tc::TipBanner *second = banner(QStringLiteral("triggers"), tips, &page);
    tc::TipBanner *other = banner(QStringLiteral("sounds"), tips, &page);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(other);
    page.show();

    first->gotItButton()->click();
    EXPECT_EQ(tips.seen, QStringList{QStringLiteral("triggers")});
    EXPECT_EQ(tips.saves, 1);
    EXPECT_TRUE(first->isHidden());
    EXPECT_FALSE(second->isHidden()); // until the document change reaches it
    second->refresh();
    other->refresh();
    EXPECT_TRUE(second->isHidden());
    EXPECT_FALSE(other->isHidden());
    tc::motion::setEnabled(true);
}

TEST(TipBanner, FadesAwayWithMotionOn) {
    tc::test::shellApp();
    Tips tips;
    tc::TipBanner *tip = banner(QStringLiteral("sounds"), tips);
    tip->show();
    tip->gotItButton()->click();
    EXPECT_FALSE(tip->isHidden()); // still fading
    tip->finishAnimation();
    EXPECT_TRUE(tip->isHidden());
    delete tip;
}

TEST(SectionTitle, TheDetailIsUpperCasedOnTheTitlesBaseline14PointsAfterIt) {
    tc::test::shellApp();
    const tc::SectionTitle::Layout l =
        tc::SectionTitle::layout(QStringLiteral("Sounds"), QStringLiteral("42 sounds · 3 packs"));
    EXPECT_EQ(l.detailText, QStringLiteral("42 SOUNDS · 3 PACKS"));
    EXPECT_DOUBLE_EQ(l.titleOrigin.y(), l.detailOrigin.y());
    const qreal titleWidth = QFontMetricsF(tc::SectionTitle::titleFont()).horizontalAdvance(QStringLiteral("Sounds"));
    EXPECT_DOUBLE_EQ(l.detailOrigin.x(), titleWidth + 14);
    const tc::SectionTitle::Layout alone = tc::SectionTitle::layout(QStringLiteral("Sounds"), std::nullopt);
    EXPECT_LT(alone.size.width(), l.size.width());
    EXPECT_EQ(tc::SectionTitle::titleFont().pixelSize(), 44);
    EXPECT_EQ(tc::SectionTitle::titleFont().weight(), QFont::ExtraBold);
    EXPECT_DOUBLE_EQ(tc::SectionTitle::titleFont().letterSpacing(), -1.5);
}

TEST(RowLabels, StackTheTitleOverTheFaintDetail) {
    tc::test::shellApp();
    QWidget *labels = tc::rowLabels(QStringLiteral("Low-latency mode"), QStringLiteral("<b>not bold</b>"));
    auto *title = labels->findChild<QLabel *>(QStringLiteral("title"));
    auto *detail = labels->findChild<QLabel *>(QStringLiteral("detail"));
    ASSERT_NE(title, nullptr);
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(title->font().pixelSize(), 13);
    EXPECT_EQ(title->font().weight(), QFont::DemiBold);
    EXPECT_EQ(detail->font().pixelSize(), 12);
    EXPECT_EQ(detail->palette().color(QPalette::WindowText), tc::Theme::ink3);
    EXPECT_EQ(detail->textFormat(), Qt::PlainText); // shown verbatim
    EXPECT_TRUE(title->wordWrap());
    EXPECT_TRUE(detail->wordWrap());
    delete labels;
}

TEST(KeyCap, TheWidgetLeavesRoomForShadowAndRingAroundItsCap) {
    tc::test::shellApp();
    QWidget board;
    auto *key = new tc::KeyCap(tc::CapPalette::white, 40, 40, 6, &board);
    key->setCapGeometry(QRectF(100, 50, 60, 40));
    EXPECT_EQ(key->geometry(), QRect(100 - tc::KeyCap::outset, 50 - tc::KeyCap::outset, 60 + 2 * tc::KeyCap::outset,
                                     40 + 2 * tc::KeyCap::outset));
    EXPECT_EQ(key->capRect(), QRectF(tc::KeyCap::outset, tc::KeyCap::outset, 60, 40));
    tc::motion::setEnabled(false);
    key->setPressed(true);
    EXPECT_DOUBLE_EQ(key->pressAmount(), 1);
    key->setPressed(false);
    EXPECT_DOUBLE_EQ(key->pressAmount(), 0);
    tc::motion::setEnabled(true);
}

TEST(MiniCap, ASoundsBadgeIs30Wide) {
    tc::test::shellApp();
    tc::SoundItem item;
    item.category = tc::SoundCategory::memes;
    std::unique_ptr<tc::MiniCap> badge(tc::cap(item));
    EXPECT_EQ(badge->capSize(), 30);
    EXPECT_EQ(badge->size(), QSize(30, 29));
    EXPECT_EQ(badge->content().symbol, std::optional<std::string>("burst.fill"));
}
