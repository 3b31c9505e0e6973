#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace mapcontrol {

// The working buffers of feature drawing, kept from one draw to the next so
// that once the first draws have sized them a redraw allocates nothing per
// feature: the pixels of the rings of the feature being drawn (ring after
// ring, with where each ends), the rings joined into one polygon and their
// order, a ring copied out for the painter's path, that path, and one mark
// per pixel of the picture for markers. A buffer grows to what the largest
// feature drawn with it needed and stays so; growthCount() tells how many
// times one had to grow. A scratch serves one feature painter at a time and
// is not shared between threads; its owner keeps it (a vector layer keeps
// one per band of the picture it draws in).
class DrawScratch {
public:
    DrawScratch() = default;
    DrawScratch(const DrawScratch&) = delete;
    DrawScratch& operator=(const DrawScratch&) = delete;

    // How many times a buffer had to grow since the scratch was made.
    std::size_t growthCount() const { return m_growths; }

    // Forgets the rings held (their room stays).
    void clearRings() {
        m_pixelCount = 0;
        m_ringEnds.clear();
    }
    // Room for `count` pixels after those held, to be written and then kept
    // by endRing.
    QPointF* ringRoom(std::size_t count);
    // Keeps the pixels up to `end` (a pointer into the room) as one ring.
    void endRing(const QPointF* end);
    // Every pixel held, ring after ring, in pixel coordinates.
    const QPointF* pixels() const { return m_pixels.get(); }
    qsizetype pixelCount() const { return m_pixelCount; }
    // Where each ring ends in pixels().
    const std::vector<qsizetype>& ringEnds() const { return m_ringEnds; }

    // Room for `count` pixels of the rings joined into one polygon.
    QPointF* joinedRoom(std::size_t count);
    // Room for `count` rings to be put in order: a key and a ring index each.
    std::pair<double, std::size_t>* orderRoom(std::size_t count);

    // Ring `index` as a polygon, valid until the next call.
    const QPolygonF& ringPolygon(std::size_t index);
    // An empty path with room for `elements` elements.
    QPainterPath& emptyPath(qsizetype elements);

    // `words` words of marks, all clear.
    std::vector<std::uint64_t>& clearMarks(std::size_t words);

private:
    std::unique_ptr<QPointF[]> m_pixels;
    std::size_t m_pixelCapacity = 0;
    qsizetype m_pixelCount = 0;
    std::vector<qsizetype> m_ringEnds;
    std::unique_ptr<QPointF[]> m_joined;
    std::size_t m_joinedCapacity = 0;
    std::vector<std::pair<double, std::size_t>> m_order;
    QPolygonF m_ring;
    QPainterPath m_path;
    std::vector<std::uint64_t> m_marks;
    std::size_t m_growths = 0;
};

}  // namespace mapcontrol
