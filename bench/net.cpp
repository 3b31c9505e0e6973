// Downloads from the in-process server on 127.0.0.1: three requests to one
// host through one session against three one-shot downloads, a quick
// download through the busy downloader (worker thread, nested loop, busy
// box), and how long a cancel takes to end a download whose server is
// silent; and three requests to a server 300 ms away asked together
// against one request to it.
#include "net/downloader.h"
#include "net/session.h"
#include "support/http_server.h"
#include "wms/remote_refresh.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

// A small service picture's worth of answer.
const std::string kAnswer(20'000, 'p');

struct Server {
    QTemporaryDir dir;
    support::HttpServer http;
    Server() {
        http.reply("/map", {200, kAnswer});
        support::HttpServer::Reply hang;
        hang.hang = true;
        http.reply("/hang", hang);
    }
    QString target() const { return dir.filePath("map.png"); }
};

void BM_SessionThreeRequests(benchmark::State& state) {
    Server server;
    for (auto _ : state) {
        net::Session session;
        for (int i = 0; i < 3; ++i) {
            if (!session.download(server.http.url("/map"), server.target())) {
                state.SkipWithError("download failed");
                return;
            }
        }
        state.counters["connections"] = session.connectionsOpened();
    }
}
BENCHMARK(BM_SessionThreeRequests)->Unit(benchmark::kMicrosecond);

void BM_OneShotThreeRequests(benchmark::State& state) {
    Server server;
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            if (!net::DownloadToFile(server.http.url("/map"), server.target())) {
                state.SkipWithError("download failed");
                return;
            }
        }
    }
    state.counters["connections"] =
        benchmark::Counter(server.http.connectionsAccepted(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OneShotThreeRequests)->Unit(benchmark::kMicrosecond);

void BM_BusyDownloaderQuickDownload(benchmark::State& state) {
    Server server;
    QWidget window;
    net::BusyDownloader downloader(&window, {});
    for (auto _ : state) {
        if (!downloader.download(server.http.url("/map"), server.target())) {
            state.SkipWithError("download failed");
            return;
        }
    }
}
BENCHMARK(BM_BusyDownloaderQuickDownload)->Unit(benchmark::kMicrosecond);

// From cancel() to the end of download() on a silent server. A silent
// answer holds one of the server's threads until it goes away, so each
// round has a server of its own.
void BM_CancelHangingDownload(benchmark::State& state) {
    for (auto _ : state) {
        Server server;
        net::Session session;
        std::chrono::steady_clock::time_point cancelled;
        std::thread canceller([&] {
            while (server.http.targets().empty()) {
                std::this_thread::yield();
            }
            cancelled = std::chrono::steady_clock::now();
            session.cancel();
        });
        const platform::Result result = session.download(server.http.url("/hang"), server.target());
        const auto ended = std::chrono::steady_clock::now();
        canceller.join();
        if (result.detail != "cancelado") {
            state.SkipWithError("not cancelled");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(ended - cancelled).count());
    }
}
BENCHMARK(BM_CancelHangingDownload)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A server that answers every request 300 ms after it arrived, as a
// distant one does.
struct DistantServer {
    QTemporaryDir dir;
    support::HttpServer http;
    DistantServer() {
        support::HttpServer::Reply slow{200, kAnswer};
        slow.delayMs = 300;
        for (const char* path : {"/um", "/dois", "/tres"}) http.reply(path, slow);
    }
    std::vector<net::DownloadRequest> requests(int count) const {
        std::vector<net::DownloadRequest> asked;
        const char* paths[] = {"/um", "/dois", "/tres"};
        for (int i = 0; i < count; ++i) {
            asked.push_back({http.url(QString::fromLatin1(paths[i])),
                             dir.filePath(QStringLiteral("map%1.jpg").arg(i))});
        }
        return asked;
    }
};

// `count` requests to the distant server through one session's batch, the
// connections kept from the round before (as a refresh after a zoom).
void distantRequests(benchmark::State& state, int count) {
    DistantServer server;
    net::Session session;
    for (const platform::Result& result : session.downloadAll(server.requests(count))) {
        if (!result) {
            state.SkipWithError("download failed");
            return;
        }
    }
    for (auto _ : state) {
        for (const platform::Result& result : session.downloadAll(server.requests(count))) {
            if (!result) {
                state.SkipWithError("download failed");
                return;
            }
        }
    }
}

void BM_OneDistantRequest(benchmark::State& state) {
    distantRequests(state, 1);
}
BENCHMARK(BM_OneDistantRequest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ThreeDistantRequestsTogether(benchmark::State& state) {
    distantRequests(state, 3);
}
BENCHMARK(BM_ThreeDistantRequestsTogether)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the main window's downloader does with a batch, without its busy
// box: the session runs it together, or (`together` false) one request
// after another, as a refresh asked before.
class SessionDownloader : public net::Downloader {
public:
    explicit SessionDownloader(bool together) : m_together(together) {}
    platform::Result download(const QString& url, const QString& path) override {
        return m_session.download(url, path);
    }
    std::vector<platform::Result> downloadAll(
        const std::vector<net::DownloadRequest>& requests) override {
        return m_together ? m_session.downloadAll(requests) : Downloader::downloadAll(requests);
    }

private:
    bool m_together;
    net::Session m_session;
};

// A refresh of three services each answering a 1000 × 800 JPEG 300 ms after
// it was asked: asked together, answers taken in order, decoded and
// combined (the local map and the blend left out). Argument 1: asked
// together; 0: asked in turn.
void BM_RefreshThreeDistantServices(benchmark::State& state) {
    QImage picture(1000, 800, QImage::Format_RGB32);
    picture.fill(QColor(120, 160, 90));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG", 85);
    support::HttpServer http;
    support::HttpServer::Reply slow{200, jpeg.toStdString(), "image/jpeg"};
    slow.delayMs = 300;
    std::vector<wms::ServiceLayers> services;
    for (const char* path : {"/um", "/dois", "/tres"}) {
        http.reply(path, slow);
        services.push_back({http.url(QString::fromLatin1(path) + "?"), QStringLiteral("lito")});
    }
    QTemporaryDir folder;
    SessionDownloader downloader(state.range(0) == 1);
    const mapcontrol::Rectangle extent(-48, -46, -5, -7);
    for (auto _ : state) {
        const wms::ServicePicturesResult result = wms::fetchServicePictures(
            services, extent, QSize(1000, 800), wms::OverlayMode::And, downloader, folder.path());
        if (!result.ok) {
            state.SkipWithError("refresh failed");
            return;
        }
    }
}
BENCHMARK(BM_RefreshThreeDistantServices)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
