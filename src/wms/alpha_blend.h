#pragma once

#include "platform/result.h"

#include <QImage>
#include <QString>

namespace wms {

extern const QString kBlendMissingMessage;
extern const QString kBlendValueMessage;
extern const QString kBlendErrorMessage;

// Mixes `foreground` into `background` (both Format_RGB32: blue, green, red
// and a fourth byte) at offset (x, y) of the background, with `opacity` from
// 0.0 to 1.0: f = round-half-even(opacity × 255) & 0xFF, and each of blue,
// green and red becomes e + floor((d - e) × f / 256), d the foreground byte
// and e the background byte. The fourth byte never changes; only the
// overlapping part is blended. A null image or an opacity out of range
// leaves the background as it was and returns the failure with its message.
// Images of another format are converted first; the background ends as
// Format_RGB32 holding the result. The foreground may be the background
// itself: the blend reads its pixels as they were before.
platform::Result AlphaBlend(int x, int y, const QImage& foreground, double opacity,
                            QImage& background);

// The blend factor f of an opacity from 0.0 to 1.0: 0.5 gives 128, 1.0 255.
int blendFactor(double opacity);

}  // namespace wms
