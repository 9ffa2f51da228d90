// The trigger graph's links painted in bands, at once or on workers: the pictures put together look as the links
// drawn straight onto the graph, and a graph shows its links as they are once the workers are done.

#include "ui/triggers/LinkTiles.h"
#include "app/Motion.h"
#include "ui/ModelStates.h"
#include "ui/ShellTestApp.h"
#include "ui/triggers/TriggerGraph.h"

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace tc::test {
namespace {

using Link = LinkTiles::Link;

// A link as the graph makes it, from (260, y0) to (430, y1), dashed grey, or solid ink when selected.
Link link(qreal y0, qreal y1, QColor color = QColor(156, 156, 150), bool selected = false) {
    const TriggerGraph::Geometry g;
    std::vector<Trigger> triggers(1);
    triggers[0].kind = Trigger::Kind::word("w");
    triggers[0].soundID = "s";
    triggers[0].enabled = color == QColor(156, 156, 150);
    TriggerGraph::Layout layout;
    layout.triggerTops[triggers[0].id] = y0 - g.nodeHeight / 2;
    layout.soundTops["s"] = y1 - g.soundHeight / 2;
    auto links =
        TriggerGraph::links(triggers, layout, g, selected ? std::optional<Uuid>(triggers[0].id) : std::nullopt);
    return links.front();
}

// The largest difference of a colour channel or alpha between two pictures of the same size.
int largestDifference(const QImage &a, const QImage &b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

// `area` of the links drawn with Qt's dashed pens onto `backdrop`, whole: on a picture big enough for all of each
// link, as Qt's dasher starts its dashes afresh where a picture's edge cuts a path.
QImage straight(const std::vector<Link> &links, const QRect &area, qreal ratio, QColor backdrop) {
    qreal bottom = area.bottom();
    for (const Link &link : links) {
        bottom = std::max({bottom, link.start.y(), link.end.y()});
    }
    QImage whole(QSize(area.right() + 1, static_cast<int>(bottom) + 20) * ratio, QImage::Format_ARGB32_Premultiplied);
    whole.setDevicePixelRatio(ratio);
    whole.fill(backdrop);
    QPainter painter(&whole);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Link &link : links) {
        painter.setPen(link.pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(link.path);
        painter.setPen(QPen(link.pen.color(), 1.5));
        painter.setBrush(Qt::white);
        for (const QPointF &end : {link.start, link.end}) {
            painter.drawEllipse(QRectF(end.x() - 4, end.y() - 4, 8, 8));
        }
    }
    painter.end();
    QImage image = whole.copy(QRect(area.topLeft() * ratio, area.size() * ratio));
    image.setDevicePixelRatio(ratio);
    return image;
}

// `area` of the links, put together from the bands' pictures (or drawn straight) onto `backdrop`.
QImage drawn(const std::vector<Link> &links, const QRect &area, qreal ratio, QColor backdrop, bool inBands) {
    if (!inBands) {
        return straight(links, area, ratio, backdrop);
    }
    QImage image(area.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(backdrop);
    QPainter painter(&image);
    painter.translate(-area.topLeft());
    const int width = area.right() + 1;
    for (int top = area.top() / LinkTiles::kBandHeight * LinkTiles::kBandHeight; top <= area.bottom();
         top += LinkTiles::kBandHeight) {
        const QRect band(0, top, width, LinkTiles::kBandHeight);
        painter.drawImage(band.topLeft(), LinkTiles::picture(LinkTiles::crossing(links, band), band, ratio));
    }
    return image;
}

TEST(LinkTiles, TheBandsPicturesPutTogetherLookAsTheLinksDrawnStraight) {
    std::vector<Link> fan; // many links through the middle to one sound at the top, as in a big graph
    for (int i = 0; i < 60; ++i) {
        fan.push_back(link(200 + i * 68, 62));
    }
    const struct {
        const char *name;
        std::vector<Link> links;
        QRect area;
        qreal ratio;
    } cases[] = {
        {"a short link inside one band", {link(58, 62)}, QRect(0, 0, 730, 128), 1},
        {"a short link across a band's edge", {link(100, 170)}, QRect(0, 0, 730, 300), 1},
        {"a long link whose ends are out of view", {link(30, 3000)}, QRect(0, 1000, 730, 500), 1},
        {"an area not on a band's edge", {link(30, 3000), link(2900, 40)}, QRect(0, 1037, 730, 411), 1},
        {"a selected link and a switched-off one",
         {link(58, 900, QColor(17, 17, 17), true), link(126, 600, QColor(200, 200, 195))},
         QRect(0, 0, 730, 1000),
         1},
        {"twice the pixels per point", {link(58, 900), link(400, 62)}, QRect(0, 0, 730, 1000), 2},
        {"sixty links on top of one another", fan, QRect(0, 1500, 730, 800), 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        for (const QColor backdrop : {QColor(Qt::white), QColor(244, 242, 236), QColor(Qt::transparent)}) {
            const QImage straight = drawn(c.links, c.area, c.ratio, backdrop, false);
            const QImage bands = drawn(c.links, c.area, c.ratio, backdrop, true);
            // The same coverage everywhere; only the rounding of blends through a picture may differ, by a level or
            // two where many links overlap.
            EXPECT_LE(largestDifference(straight, bands), c.links.size() > 2 ? 2 : 1) << backdrop.name().toStdString();
            // The links are there at all.
            EXPECT_NE(straight, drawn({}, c.area, c.ratio, backdrop, false));
        }
    }
}

TEST(LinkTiles, AnAreaTakesTheLinksNearItInTheirOrder) {
    const std::vector<Link> links{link(58, 62), link(3000, 62), link(5000, 4000), link(3000, 5000)};
    const auto ends = [](const std::vector<Link> &some) {
        std::vector<qreal> out;
        for (const Link &one : some) {
            out.push_back(one.start.y());
        }
        return out;
    };
    EXPECT_EQ(ends(LinkTiles::crossing(links, QRectF(0, 0, 730, 128))), (std::vector<qreal>{58, 3000}));
    EXPECT_EQ(ends(LinkTiles::crossing(links, QRectF(0, 3500, 730, 128))), (std::vector<qreal>{3000}));
    // An end dot reaches past the path's corner.
    EXPECT_EQ(ends(LinkTiles::crossing(links, QRectF(0, 5006, 730, 128))), (std::vector<qreal>{5000, 3000}));
    EXPECT_TRUE(LinkTiles::crossing(links, QRectF(0, 5020, 730, 128)).empty());
}

// What the graph shows between its columns (clear of the nodes and their shadows) in `area`, once the links there are
// painted: a band's picture asked for by the first painting lands through `time` and is shown by the second.
QImage middle(TriggerGraph &graph, const QRect &area, FakeTime &time) {
    const TriggerGraph::Geometry g;
    const QRect strip(static_cast<int>(g.leftWidth) + 44, area.top(), static_cast<int>(g.soundX - g.leftWidth) - 88,
                      area.height());
    QImage image(strip.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    graph.render(&image, QPoint(), QRegion(strip), QWidget::DrawChildren);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            time.runPosted();
            return !graph.paintingLinks();
        },
        20000));
    image.fill(Qt::transparent);
    graph.render(&image, QPoint(), QRegion(strip), QWidget::DrawChildren);
    return image;
}

// The same part of `links` drawn straight (with the bands' dashes).
QImage middleOf(const std::vector<Link> &links, const QRect &area) {
    const TriggerGraph::Geometry g;
    const QRect strip(static_cast<int>(g.leftWidth) + 44, area.top(), static_cast<int>(g.soundX - g.leftWidth) - 88,
                      area.height());
    QImage image(strip.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-strip.topLeft());
    LinkTiles::draw(painter, LinkTiles::crossing(links, strip), strip);
    return image;
}

TEST(TriggerGraph, ShowsEveryLinkAsItIsOnceTheLinksThatManyCrossAreDone) {
    shellApp();
    motion::setEnabled(false);
    Harness harness;
    AppModel &model = harness.started();
    model.commitEdit([](AppData &data) {
        data.triggers.clear();
        for (int i = 0; i < 300; ++i) {
            Trigger trigger;
            trigger.kind = Trigger::Kind::word("w" + std::to_string(i));
            trigger.soundID = i % 5 == 1 ? "synth.coin" : "synth.boing"; // boing at the top
            data.triggers.push_back(trigger);
        }
    });
    QScrollArea scroll;
    auto *graph = new TriggerGraph(model, {});
    scroll.setWidget(graph);
    scroll.resize(800, 600);
    scroll.show();
    // Halfway down, where about a hundred links run through to the sounds at the top.
    scroll.verticalScrollBar()->setValue(scroll.verticalScrollBar()->maximum() / 2);
    const QRect view(0, scroll.verticalScrollBar()->value(), 730, 560);
    const auto links = [&] {
        return TriggerGraph::links(model.data().triggers, graph->currentLayout(), graph->currentGeometry(),
                                   std::nullopt);
    };
    ASSERT_GT(LinkTiles::crossing(links(), QRectF(view.x(), view.y(), view.width(), LinkTiles::kBandHeight)).size(),
              LinkTiles::kLinksPaintedAtOnce);

    QCoreApplication::processEvents();
    EXPECT_TRUE(graph->paintingLinks()); // on workers: the window does not wait for them
    EXPECT_LE(largestDifference(middle(*graph, view, harness.time), middleOf(links(), view)), 1);

    // Edits: the links in view follow, switched off or moved by a trigger added at the top.
    const struct {
        const char *name;
        std::function<void()> edit;
    } edits[] = {
        {"every trigger switched off",
         [&] {
             model.commitEdit([](AppData &data) {
                 for (Trigger &trigger : data.triggers) {
                     trigger.enabled = false;
                 }
             });
         }},
        {"a shortcut added above", [&] { model.addTrigger(Trigger::Kind::shortcut(3, 0x100000), "synth.coin"); }},
    };
    for (const auto &edit : edits) {
        SCOPED_TRACE(edit.name);
        const QImage before = middleOf(links(), view);
        edit.edit();
        ASSERT_NE(middleOf(links(), view), before);
        EXPECT_LE(largestDifference(middle(*graph, view, harness.time), middleOf(links(), view)), 1);
    }
    motion::setEnabled(true);
}

} // namespace
} // namespace tc::test
