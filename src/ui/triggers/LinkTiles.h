#pragma once

#include <QImage>
#include <QObject>
#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QPainter;

namespace tc {

class BackgroundService;
class Landings;

// The trigger graph's links, painted in bands across the room between the columns and kept as pictures. A band with few
// links is painted at once; one that many links cross (hundreds run through the middle of a big graph to the one sound
// most triggers share, and each costs its dashes) is painted on the background service's drawing lane while the
// graph shows the band's last picture, and shown when it lands. A band is painted afresh only when something in it
// changed.
//
// Main thread only, apart from the drawing lane's tasks, which see copies of the links and nothing else.
class LinkTiles : public QObject {
public:
    // One link: its path, pen and the two ends, where a white dot ringed in its colour sits.
    struct Link {
        QPainterPath path;
        QPointF start;
        QPointF end;
        QPen pen;
    };

    static constexpr int kBandHeight = 128;
    // A band crossed by more links than this is painted on a worker.
    static constexpr std::size_t kLinksPaintedAtOnce = 40;

    // `links` gives the graph's links (called when a band is painted, after a change); `changed` is told the part
    // of the graph to paint again when a band's picture is ready.
    LinkTiles(BackgroundService &lanes, std::function<std::vector<Link>()> links,
              std::function<void(const QRect &)> changed, QObject *parent = nullptr);
    ~LinkTiles() override;

    // Draws the links in `area` with `painter` (in the graph's points), from the pictures of the bands that reach
    // `width` points from `left` across the graph (where the links run), painting the missing ones or asking a
    // worker for them.
    void paint(QPainter &painter, const QRect &area, int left, int width);
    // Everything under `area` (all of the graph when null) is painted afresh the next time it shows; until then its
    // last picture stands in.
    void invalidate(const QRect &area = QRect());
    // Forgets every picture (the graph's links were laid out anew and none of the old ones is worth showing).
    void clear();
    // Whether some band is being painted on a worker.
    bool busy() const;

    // The links crossing `area`, in drawing order.
    static std::vector<Link> crossing(const std::vector<Link> &links, const QRectF &area);
    // Draws what of `links` shows in `area` as the graph does: each its dashed or solid path, then its two end dots.
    static void draw(QPainter &painter, const std::vector<Link> &links, const QRectF &area);
    // The dashes `pen` makes of `path` near `area`, as lines for `pen` made solid: the same dashes Qt's dashed pen
    // makes of the whole path, wherever the area is (Qt's own dasher starts its dashes afresh where a device cuts
    // the path, so a band of a long link would not join its neighbours), and only those near the area, so a long
    // link costs only what shows of it.
    // Curves are made into lines as finely as a painter `scale` device pixels per point makes them.
    static QPainterPath dashes(const QPainterPath &path, const QPen &pen, const QRectF &area, qreal scale = 1);
    // The picture of `links` over `band` (in points) at `pixelRatio` device pixels per point, transparent elsewhere.
    static QImage picture(const std::vector<Link> &links, const QRect &band, qreal pixelRatio);

private:
    struct Band {
        QImage image;
        std::uint64_t ticket = 0; // raised on each change under it
        bool fresh = false;       // the image shows the links as they are
        bool asked = false;       // a worker paints it for the current ticket
    };
    void take(int index, std::uint64_t ticket, QImage image, const QRect &rect, qreal pixelRatio);

    BackgroundService &lanes_;
    std::function<std::vector<Link>()> links_;
    std::function<void(const QRect &)> changed_;
    std::map<int, Band> bands_; // by index, from the top
    std::uint64_t nextTicket_ = 1;
    std::unique_ptr<Landings> landings_; // the pictures painted on the lane come back here
    int left_ = 0;
    int width_ = 0;
    qreal pixelRatio_ = 1;
};

} // namespace tc
