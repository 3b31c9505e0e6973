#pragma once

#include <QByteArray>
#include <QImage>

namespace mapcontrol {

// An Enhanced Metafile (.emf) holding the picture as one device-independent
// bitmap record (header, STRETCHDIBITS, end of file), at 96 dots per inch.
// Programs that read metafiles show it at the picture's size.
QByteArray enhancedMetafile(const QImage& picture);

}  // namespace mapcontrol
