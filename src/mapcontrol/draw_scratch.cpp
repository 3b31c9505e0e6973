#include "mapcontrol/draw_scratch.h"

#include <algorithm>

namespace mapcontrol {

QPointF* DrawScratch::ringRoom(std::size_t count) {
    const std::size_t needed = static_cast<std::size_t>(m_pixelCount) + count;
    if (needed > m_pixelCapacity) {
        const std::size_t capacity = std::max(needed, 2 * m_pixelCapacity);
        auto grown = std::make_unique<QPointF[]>(capacity);
        std::copy(m_pixels.get(), m_pixels.get() + m_pixelCount, grown.get());
        m_pixels = std::move(grown);
        m_pixelCapacity = capacity;
        ++m_growths;
    }
    return m_pixels.get() + m_pixelCount;
}

void DrawScratch::endRing(const QPointF* end) {
    m_pixelCount = end - m_pixels.get();
    if (m_ringEnds.size() == m_ringEnds.capacity()) {
        ++m_growths;
    }
    m_ringEnds.push_back(m_pixelCount);
}

QPointF* DrawScratch::joinedRoom(std::size_t count) {
    if (count > m_joinedCapacity) {
        m_joinedCapacity = std::max(count, 2 * m_joinedCapacity);
        m_joined = std::make_unique<QPointF[]>(m_joinedCapacity);
        ++m_growths;
    }
    return m_joined.get();
}

std::pair<double, std::size_t>* DrawScratch::orderRoom(std::size_t count) {
    if (m_order.capacity() < count) {
        ++m_growths;
    }
    m_order.resize(count);
    return m_order.data();
}

const QPolygonF& DrawScratch::ringPolygon(std::size_t index) {
    const qsizetype start = index == 0 ? 0 : m_ringEnds[index - 1];
    const qsizetype end = m_ringEnds[index];
    if (m_ring.capacity() < end - start) {
        ++m_growths;
    }
    m_ring.resize(end - start);
    std::copy(m_pixels.get() + start, m_pixels.get() + end, m_ring.begin());
    return m_ring;
}

QPainterPath& DrawScratch::emptyPath(qsizetype elements) {
    m_path.clear();
    if (m_path.capacity() < elements) {
        ++m_growths;
        m_path.reserve(elements);
    }
    return m_path;
}

std::vector<std::uint64_t>& DrawScratch::clearMarks(std::size_t words) {
    if (m_marks.capacity() < words) {
        ++m_growths;
    }
    m_marks.assign(words, 0);
    return m_marks;
}

}  // namespace mapcontrol
