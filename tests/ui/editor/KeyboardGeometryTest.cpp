// The drawn keyboard's geometry: the worked sizes, and which key answers at the edges of the gaps.

#include "ui/editor/KeyboardGeometry.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

const PlacedKey &placed(const KeyboardGeometry &geometry, const QString &id) {
    for (const PlacedKey &key : geometry.keys()) {
        if (key.id == id) {
            return key;
        }
    }
    throw std::runtime_error("no key " + id.toStdString());
}

QString idAt(const KeyboardGeometry &geometry, qreal x, qreal y) {
    const PlacedKey *key = geometry.key(QPointF(x, y));
    return key ? key->id : QStringLiteral("-");
}

TEST(KeyboardGeometry, ReproducesTheWorkedSizes) {
    struct Case {
        qreal unit;
        qreal gap;
        QSizeF size;
    };
    for (const Case &c : {Case{50, 3.5, {746.5, 279.5}}, Case{20, 3, {297, 110.2}}, Case{42, 3, {627, 234.72}},
                          Case{60, 4.2, {895.8, 335.4}}}) {
        SCOPED_TRACE(c.unit);
        const KeyboardGeometry geometry(c.unit);
        EXPECT_DOUBLE_EQ(geometry.unit(), c.unit);
        EXPECT_DOUBLE_EQ(geometry.gap(), c.gap);
        EXPECT_NEAR(geometry.size().width(), c.size.width(), 1e-9);
        EXPECT_NEAR(geometry.size().height(), c.size.height(), 1e-9);
    }

    const KeyboardGeometry geometry(50);
    EXPECT_DOUBLE_EQ(placed(geometry, "esc").rect.height(), 29.5);
    EXPECT_DOUBLE_EQ(placed(geometry, "esc").rect.width(), 71.5); // 1.5 units less the gap
    EXPECT_DOUBLE_EQ(placed(geometry, "Q").rect.height(), 46.5);
    EXPECT_DOUBLE_EQ(placed(geometry, "Q").rect.top(), 33 + 50); // below the short row and the digits
    const PlacedKey &up = placed(geometry, "up");
    const PlacedKey &down = placed(geometry, "down");
    EXPECT_DOUBLE_EQ(up.rect.height(), 22.375);
    EXPECT_DOUBLE_EQ(down.rect.height(), 22.375);
    EXPECT_DOUBLE_EQ(down.rect.top() - up.rect.top(), 24.125);
    EXPECT_DOUBLE_EQ(down.rect.bottom(), up.rect.top() + 46.5); // together they fill the full key
    EXPECT_EQ(up.code, 126);
    EXPECT_EQ(down.code, 126);
    EXPECT_EQ(up.label, "↑");
    EXPECT_EQ(down.label, "↓");
    EXPECT_EQ(up.def->id, "updown");
    EXPECT_EQ(up.rect.left(), down.rect.left());

    // 77 keys, the arrow key split in two; rows in order, the arrow's upper half first.
    ASSERT_EQ(geometry.keys().size(), 78u);
    EXPECT_EQ(geometry.keys().front().id, "esc");
    EXPECT_EQ(geometry.keys().back().id, "right");
    EXPECT_EQ(geometry.keys()[geometry.keys().size() - 3].id, "up");
    EXPECT_FALSE(placed(geometry, "touch").code);
}

// The keys a sweep paints between two pointer positions: those whose hit cells the segment passes through.
TEST(KeyboardGeometry, ASegmentCrossesTheKeysUnderItInTheOrderReached) {
    const KeyboardGeometry g(50);
    const auto at = [&](const char *id) { return placed(g, QString::fromUtf8(id)).rect.center(); };
    const qreal aTop = placed(g, "A").rect.top() - g.gap() / 2; // this line belongs to the A row, not the Q row
    const QPointF w = placed(g, "W").rect.bottomRight() + QPointF(g.gap(), g.gap()) / 2; // where 4 cells meet
    const struct {
        QPointF from, to;
        QStringList ids;
    } cases[] = {
        {at("A"), at("H"), {"A", "S", "D", "F", "G", "H"}},
        {at("H"), at("A"), {"H", "G", "F", "D", "S", "A"}},
        {at("Z"), at("M"), {"Z", "X", "C", "V", "B", "N", "M"}},
        {at("W"), at("P"), {"W", "E", "R", "T", "Y", "U", "I", "O", "P"}},
        {at("A"), at("A"), {"A"}},
        {QPointF(at("A").x(), aTop), QPointF(at("D").x(), aTop), {"A", "S", "D"}},
        {QPointF(-40, at("A").y()), at("A"), {"caps", "A"}},
        {at("up"), at("down"), {"up", "down"}},
        {at("touch"), at("touch"), {}},
        {w - QPointF(10, 10), w + QPointF(10, 10), {"W", "S"}}, // through a corner: only the two it passes between
    };
    for (const auto &c : cases) {
        QStringList ids;
        for (const PlacedKey *key : g.keysAlong(c.from, c.to)) {
            ids << key->id;
        }
        EXPECT_EQ(ids, c.ids) << c.ids.join(' ').toStdString();
    }
}

TEST(KeyboardGeometry, TheHitTestSplitsEveryGapInHalves) {
    const KeyboardGeometry geometry(50); // gap 3.5
    const QRectF q = placed(geometry, "Q").rect;
    const QRectF a = placed(geometry, "A").rect;
    const qreal y = q.center().y();
    const qreal x = q.center().x();
    const QRectF touch = placed(geometry, "touch").rect;
    const QRectF up = placed(geometry, "up").rect;
    const QRectF right = placed(geometry, "right").rect;
    struct Case {
        const char *where;
        QPointF point;
        const char *id;
    };
    const Case cases[] = {
        {"inside", q.center(), "Q"},
        {"left half of the gap in a row", {q.right() + 1.7, y}, "Q"},
        {"middle of the gap in a row", {q.right() + 1.75, y}, "W"},
        {"right half of the gap in a row", {q.right() + 3, y}, "W"},
        {"upper half of the gap between rows", {x, q.bottom() + 1.7}, "Q"},
        {"middle of the gap between rows", {x, q.bottom() + 1.75}, "A"},
        {"lower half of the gap between rows", {x, a.top() - 0.1}, "A"},
        {"over the Touch ID key", touch.center(), "-"},
        {"between the arrow halves", {up.center().x(), up.bottom() + 0.5}, "up"},
        {"the lower arrow half", placed(geometry, "down").rect.center(), "down"},
        {"within half a gap left of the plate", {-1.7, y}, "tab"},
        {"more than half a gap left of the plate", {-1.76, y}, "-"},
        {"more than half a gap above the plate", {x, -1.76}, "-"},
        {"on the far edge half a gap right of the last key", {right.right() + 1.75, right.center().y()}, "-"},
        {"just inside that edge", {right.right() + 1.74, right.center().y()}, "right"},
        {"below the plate", {x, geometry.size().height() + 1.76}, "-"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.where);
        EXPECT_EQ(idAt(geometry, c.point.x(), c.point.y()), QString::fromLatin1(c.id));
    }
}

TEST(KeyboardGeometry, EveryPointOfThePlateBelongsToExactlyOneKey) {
    for (qreal unit : {20.0, 50.0, 63.3}) {
        SCOPED_TRACE(unit);
        const KeyboardGeometry geometry(unit);
        const qreal half = geometry.gap() / 2;
        const QRectF touch = placed(geometry, "touch").rect.adjusted(-half, -half, half, half);
        for (qreal y = -half; y < geometry.size().height() + half; y += 0.77) {
            for (qreal x = -half; x < geometry.size().width() + half; x += 0.91) {
                const PlacedKey *key = geometry.key(QPointF(x, y));
                if (x >= touch.left() && x < touch.right() && y >= touch.top() && y < touch.bottom()) {
                    EXPECT_EQ(key, nullptr) << x << "," << y;
                    continue;
                }
                ASSERT_NE(key, nullptr) << x << "," << y;
                int holders = 0;
                for (const PlacedKey &other : geometry.keys()) {
                    const QRectF grown = other.rect.adjusted(-half, -half, half, half);
                    if (other.code && other.def->id != "updown" && x >= grown.left() && x < grown.right() &&
                        y >= grown.top() && y < grown.bottom()) {
                        ++holders;
                    }
                }
                if (key->def->id != "updown") {
                    EXPECT_EQ(holders, 1) << x << "," << y;
                }
            }
        }
    }
}

TEST(KeyboardGeometry, ArrowKeysStepToTheNearestKeyInTheirDirection) {
    const KeyboardGeometry geometry(50);
    const auto indexOf = [&](const QString &id) {
        const auto &keys = geometry.keys();
        return static_cast<std::size_t>(&placed(geometry, id) - keys.data());
    };
    const struct {
        const char *from;
        int dx, dy;
        const char *to; // "-": nowhere, the plate's edge
    } cases[] = {
        {"A", 1, 0, "S"},     {"A", -1, 0, "caps"},    {"caps", -1, 0, "-"},   {"A", 0, -1, "Q"},
        {"A", 0, 1, "Z"},     {"esc", 0, -1, "-"},     {"space", 0, 1, "-"},   {"space", 0, -1, "B"},
        {"/", 0, 1, "optR"},  {"left", 1, 0, "up"},    {"up", 1, 0, "right"},  {"down", 1, 0, "right"},
        {"up", 0, 1, "down"}, {"down", 0, -1, "up"},   {"down", 0, 1, "-"},    {"up", 0, -1, "shiftR"},
        {"right", 1, 0, "-"}, {"F12", 1, 0, "-"}, // the Touch ID key takes no focus
        {"1", 0, -1, "F1"},   {"return", 0, -1, "\\"}, {"delete", -1, 0, "="},
    };
    for (const auto &c : cases) {
        const auto next = geometry.step(indexOf(QString::fromUtf8(c.from)), c.dx, c.dy);
        EXPECT_EQ(next ? geometry.keys()[*next].id : QStringLiteral("-"), QString::fromUtf8(c.to))
            << c.from << " by " << c.dx << "," << c.dy;
    }
    EXPECT_FALSE(geometry.step(geometry.keys().size(), 1, 0));
}

} // namespace
} // namespace tc::test
