#pragma once

// What the fuzz targets share: the input as the program would read it from
// a file, and a check that stops the run with a message.
#include "platform/text_file.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The input as the lines of a text file (Windows-1252, any line ends).
inline QStringList lines(const std::uint8_t* data, std::size_t size) {
    return platform::splitTextLines(bytes(data, size));
}

// An invariant that must hold: a failed one aborts, which the fuzzer reports.
inline void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace fuzz
