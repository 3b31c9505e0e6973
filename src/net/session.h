#pragma once

#include "net/download.h"
#include "platform/result.h"

#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace net {

// A download session: curl handles kept between requests, so requests to
// the same host reuse its connections. Each download behaves as
// DownloadToFile (temporary file renamed on success, 2xx only, limits).
// Use from one thread at a time; cancel() may be called from any thread and
// ends the running transfer as a failure ("cancelado").
class Session {
public:
    explicit Session(DownloadLimits limits = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    platform::Result download(const QString& url, const QString& path);
    // Runs the downloads together, each by the rules of download() and to
    // its own file, and returns their results in the order asked. A cancel
    // ends every transfer still running (their results are `cancelled`);
    // those already ended keep their results and files. Requests to one host reuse the kept
    // connections, and open more where several run at once.
    std::vector<platform::Result> downloadAll(const std::vector<DownloadRequest>& requests);
    void cancel();
    // Clears a cancel so the next download runs.
    void resetCancel();
    const DownloadLimits& limits() const;
    // How far the running download has come: bytes received and the bytes
    // the server announced (0 when it announced none). Any thread may ask.
    struct Progress {
        qint64 received = 0;
        qint64 expected = 0;
    };
    Progress progress() const;
    // New connections the downloads of this session have opened so far;
    // requests that reused a kept connection add nothing.
    int connectionsOpened() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace net
