#pragma once

#include "platform/result.h"

#include <QString>

#include <vector>

namespace platform {
struct Settings;
}

namespace net {

// Limits of one download; the defaults match the program's settings.
struct DownloadLimits {
    int connectTimeoutMs = 10'000;
    int totalTimeoutMs = 60'000;
    qint64 maxBytes = 256LL * 1024 * 1024;
    // Wait until the answer is on the disk before it replaces the file.
    // Files replaced every few seconds (collector positions) skip the wait;
    // they are still renamed into place only when whole.
    bool syncToDisk = true;
    // A PEM file of certificate authorities trusted besides the system's
    // (an organisation's own CA); native path, empty for none. When it
    // cannot be read, secure connections fail with a message naming it.
    QString extraCaFile;

    static DownloadLimits fromSettings(const platform::Settings& settings);
};

// One download of a batch: `url` into the native file `path`.
struct DownloadRequest {
    QString url;
    QString path;
};

// Downloads `url` (HTTP or HTTPS; at most five redirects, only to http and
// https addresses) into the native file
// `path`. The answer goes to a temporary file in the same folder that is
// renamed over `path` only on success: a failed download leaves an older
// file at `path` untouched, byte for byte, and leaves no temporary file.
// (Callers for whom a missing file means failure delete it themselves
// first.) Success means a 2xx answer received whole within
// the limits. Blanks in the URL are sent as "%20"; nothing else is
// re-encoded, and the path is sent as written (no "." or ".." squashing).
// Blocks until done; call it with a busy cursor shown. A one-shot Session.
platform::Result DownloadToFile(const QString& url, const QString& path,
                                const DownloadLimits& limits = {});

// The failure of a download of `url`: the user's message names the address,
// `detail` says why.
platform::Result downloadFailure(const QString& url, const QString& detail);

// The bytes of the request URL: UTF-8 with every blank turned into "%20".
QByteArray requestUrl(const QString& url);

}  // namespace net
