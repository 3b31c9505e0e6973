#pragma once

#include "net/download.h"
#include "platform/result.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace platform {
class StatusLine;
}

namespace net {

// What the windows download through: one blocking call to the caller, so
// every command keeps its order of effects.
class Downloader {
public:
    virtual ~Downloader() = default;
    virtual platform::Result download(const QString& url, const QString& nativePath) = 0;
    // Several downloads, each to its own file, with their results in the
    // order asked. This one runs them one after another through download(),
    // and after a cancelled one asks no more (they fail as cancelled); a
    // downloader that can overlaps their waiting.
    virtual std::vector<platform::Result> downloadAll(const std::vector<DownloadRequest>& requests);
};

// Runs each download on a worker thread while a small application-modal
// busy box over `window` shows a turning animation and a "Cancelar" button:
// the window keeps painting, input to the program waits until the download
// ends, and Esc or "Cancelar" cancels it (a failure, "cancelado"). Keeps one
// Session, so requests to the same host reuse a connection.
// The box shows only once a download has run for 300 ms; the wait cursor and
// the hold on input (dropped, not queued; Esc anywhere cancels) start at
// once. A download asked for while one runs (from a timer of the waiting
// loop) fails at once: "outra transferência em andamento".
// A cancel ends the whole command, not one transfer: until the handler that
// asked for the cancelled download has returned to its event loop, every
// further download fails at once as cancelled, without reaching the server.
class BusyDownloader : public Downloader {
public:
    BusyDownloader(QWidget* window, DownloadLimits limits);
    ~BusyDownloader() override;

    platform::Result download(const QString& url, const QString& nativePath) override;
    // Runs the downloads together on the worker thread (Session::downloadAll)
    // under one busy box, one wait and one cancel: Esc or "Cancelar" ends
    // them all. The failure listener hears of each failure, in order.
    std::vector<platform::Result> downloadAll(
        const std::vector<DownloadRequest>& requests) override;
    // The status line that tells a download of more than half a second:
    // "Baixando de <host>", with the share received when the server
    // announced the length (a busy bar otherwise). Null: none.
    void setStatusLine(platform::StatusLine* line);
    // Cancels the download in progress, if any (tests, and the busy box).
    void cancel();
    // Told of every download that failed and was not cancelled, once it
    // has ended, on the caller's thread: how the window says why (the
    // reason of a secure connection that failed, naming the server) where
    // a command shows only its own fixed message.
    void setFailureListener(std::function<void(const platform::Result&)> listener);
    // The busy box while a download runs; null otherwise.
    QWidget* busyBox() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace net
