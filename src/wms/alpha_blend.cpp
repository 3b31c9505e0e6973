#include "wms/alpha_blend.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wms {

const QString kBlendMissingMessage =
    QStringLiteral("The foreground or background bitmaps do not have any actual images in them!");
const QString kBlendValueMessage = QStringLiteral(
    "The image blend value must be between 0.0 (fully transparent foreground) to 1.0 (fully "
    "opaque foreground)");
const QString kBlendErrorMessage = QStringLiteral(
    "ERROR: Unable to Draw Foreground Bitmap onto Background Bitmap using an Alpha Channel");

int blendFactor(double opacity) {
    return static_cast<int>(std::nearbyint(opacity * 255.0)) & 0xFF;
}

namespace {

// e + floor((d - e) × f / 256) is (e × (256 - f) + d × f) >> 8, whose sum
// never exceeds 255 × 256: every channel fits a 16-bit lane, and no lane
// carries into the next.

// Pixels one by one: blue and red share one 32-bit word as two 16-bit lanes
// (bits 0-15 and 16-31), green sits alone in another.
void blendPixels(const std::uint32_t* foreground, std::uint32_t* background, int count,
                 std::uint32_t f) {
    const std::uint32_t g = 256 - f;
    for (int j = 0; j < count; ++j) {
        const std::uint32_t d = foreground[j];
        const std::uint32_t e = background[j];
        const std::uint32_t blueRed =
            (((e & 0x00FF00FFu) * g + (d & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
        const std::uint32_t green = ((e & 0x0000FF00u) * g + (d & 0x0000FF00u) * f) >> 8;
        background[j] = blueRed | (green & 0x0000FF00u) | (e & 0xFF000000u);
    }
}

// One row. With SSE2, four pixels at a time: their 16 bytes widen to two
// registers of eight 16-bit lanes; the fourth byte of each pixel takes the
// weights 256 and 0, which give it back unchanged.
void blendRow(const std::uint32_t* foreground, std::uint32_t* background, int count,
              std::uint32_t f) {
    int j = 0;
#if defined(__SSE2__)
    const auto ff = short(f);
    const auto g = short(256 - f);
    const __m128i foregroundWeight = _mm_set_epi16(0, ff, ff, ff, 0, ff, ff, ff);
    const __m128i backgroundWeight = _mm_set_epi16(256, g, g, g, 256, g, g, g);
    const __m128i zero = _mm_setzero_si128();
    const auto mix = [&](__m128i d, __m128i e) {
        return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(e, backgroundWeight),
                                            _mm_mullo_epi16(d, foregroundWeight)),
                              8);
    };
    for (; j + 4 <= count; j += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(foreground + j));
        const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(background + j));
        const __m128i low = mix(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(e, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(e, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(background + j), _mm_packus_epi16(low, high));
    }
#endif
    blendPixels(foreground + j, background + j, count - j, f);
}

// Rows or columns [first, last) of the foreground that fall inside the
// background when the foreground starts at `offset`; first >= last when none.
struct Span {
    int first;
    int last;
};

Span overlap(int offset, int foregroundLength, int backgroundLength) {
    const qint64 first = std::max<qint64>(0, -qint64(offset));
    const qint64 last = std::min<qint64>(foregroundLength, qint64(backgroundLength) - offset);
    return {int(first), int(std::max(first, last))};
}

}  // namespace

platform::Result AlphaBlend(int x, int y, const QImage& foreground, double opacity,
                            QImage& background) {
    if (foreground.isNull() || background.isNull()) {
        return platform::Result::failure(kBlendMissingMessage);
    }
    // Written so that NaN is out of range too.
    if (!(opacity >= 0.0 && opacity <= 1.0)) {
        return platform::Result::failure(kBlendValueMessage);
    }
    try {
        // A shallow copy when already RGB32: when the foreground is the
        // background itself, the background is then shared and is copied
        // below before it is written, so the blend reads the old pixels.
        const QImage source = foreground.convertToFormat(QImage::Format_RGB32);
        if (source.isNull()) {
            return platform::Result::failure(kBlendErrorMessage,
                                             QStringLiteral("foreground conversion failed"));
        }
        if (background.format() != QImage::Format_RGB32) {
            QImage converted = background.convertToFormat(QImage::Format_RGB32);
            if (converted.isNull()) {
                return platform::Result::failure(kBlendErrorMessage,
                                                 QStringLiteral("background conversion failed"));
            }
            background = std::move(converted);
        } else if (!background.isDetached()) {
            QImage own = background.copy();
            if (own.isNull()) {
                return platform::Result::failure(kBlendErrorMessage,
                                                 QStringLiteral("background copy failed"));
            }
            background = std::move(own);
        }
        uchar* const bits = background.bits();
        if (bits == nullptr) {
            return platform::Result::failure(kBlendErrorMessage,
                                             QStringLiteral("background not writable"));
        }
        const Span rows = overlap(y, source.height(), background.height());
        const Span columns = overlap(x, source.width(), background.width());
        const int count = columns.last - columns.first;
        if (count <= 0) {
            return platform::Result::success();
        }
        const auto f = std::uint32_t(blendFactor(opacity));
        const qsizetype stride = background.bytesPerLine();
        for (int i = rows.first; i < rows.last; ++i) {
            const auto* from =
                reinterpret_cast<const std::uint32_t*>(source.constScanLine(i)) + columns.first;
            auto* to =
                reinterpret_cast<std::uint32_t*>(bits + stride * (y + i)) + (x + columns.first);
            blendRow(from, to, count, f);
        }
        return platform::Result::success();
    } catch (const std::exception& e) {
        return platform::Result::failure(kBlendErrorMessage, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return platform::Result::failure(kBlendErrorMessage);
    }
}

}  // namespace wms
