#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace platform {

// Windows-1252 ("ANSI") text, the encoding of every text file the program
// exchanges with its Windows peers. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D,
// unassigned in the code page, map to the C1 controls of the same number so
// that every byte survives a decode/encode round trip.
QString decodeWindows1252(const QByteArray& bytes);
// The same into `out`, which has room for bytes.size() characters; for
// loops that decode many values without allocating.
void decodeWindows1252(QByteArrayView bytes, char16_t* out);

// Characters with no Windows-1252 byte become '?'; *lossless (when given)
// tells whether that happened.
QByteArray encodeWindows1252(const QString& text, bool* lossless = nullptr);

// The characters of `text` that Windows-1252 has no byte for, each once, in
// order of appearance; empty when the whole text can be stored.
QString unencodableWindows1252(const QString& text);

}  // namespace platform
