#include "wms/alpha_blend.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

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

// One row: e + floor((d - e) × f / 256) is (e × (256 - f) + d × f) >> 8,
// whose sum never exceeds 255 × 256, so blue and red share one 32-bit word
// as two 16-bit lanes (bits 0-15 and 16-31) and green sits alone in another;
// no lane carries into the next. The loop has no branch, and the compiler
// turns it into vector code.
void blendRow(const std::uint32_t* foreground, std::uint32_t* background, int count,
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
