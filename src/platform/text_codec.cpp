#include "platform/text_codec.h"

#include <array>

namespace platform {

namespace {

// Unicode code points of the bytes 0x80..0x9F; the rest of the code page
// equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int byteFor(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return unit;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit) {
            return 0x80 + static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

void decodeWindows1252(QByteArrayView bytes, char16_t* out) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : char16_t(b);
    }
}

QString decodeWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    decodeWindows1252(bytes, reinterpret_cast<char16_t*>(text.data()));
    return text;
}

QByteArray encodeWindows1252(const QString& text, bool* lossless) {
    QByteArray bytes;
    bytes.reserve(text.size());
    bool allMapped = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;  // one character outside the code page, written once
            bytes.append('?');
            allMapped = false;
            continue;
        }
        const int b = byteFor(ch.unicode());
        if (b < 0) {
            bytes.append('?');
            allMapped = false;
        } else {
            bytes.append(static_cast<char>(b));
        }
    }
    if (lossless) {
        *lossless = allMapped;
    }
    return bytes;
}

QString unencodableWindows1252(const QString& text) {
    QString missing;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString character(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            character += text.at(++i);
        } else if (byteFor(text.at(i).unicode()) >= 0) {
            continue;
        }
        if (!missing.contains(character)) {
            missing += character;
        }
    }
    return missing;
}

}  // namespace platform
