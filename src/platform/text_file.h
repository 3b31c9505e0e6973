#pragma once

#include "platform/result.h"

#include <QStringList>

namespace platform {

// Line-oriented text files in the form the Windows program writes them:
// Windows-1252, every line ended by CR LF. Paths here are native paths.

struct [[nodiscard]] TextLines {
    Result result;
    QStringList lines;
};

// Reads every line. CR LF and LF alone both end a line; a final line without
// an end is still a line; the end of the last line does not add an empty one.
TextLines readTextLines(const QString& nativePath);

// Reads only the first line: `lines` holds that line, or nothing when the
// file is empty. For probes on files that may be large.
TextLines readFirstTextLine(const QString& nativePath);

// Writes each line followed by CR LF. The text goes to a temporary file in
// the same folder that replaces the target only when everything was written,
// so a failure leaves the previous file as it was. Text with a character
// Windows-1252 cannot hold is refused, the message naming the line and the
// characters, and nothing is written.
Result writeTextLines(const QString& nativePath, const QStringList& lines);

// Writes `bytes` as the whole file: into a temporary file renamed into place
// once every byte is on the disk. A failure (a full disk part of the way
// through, a folder that cannot be written) leaves the old file as it was.
Result writeFileAtomically(const QString& nativePath, const QByteArray& bytes);

// Splits raw file bytes into decoded lines by the rules of readTextLines.
QStringList splitTextLines(const QByteArray& bytes);

}  // namespace platform
