// Downloads from the in-process server on 127.0.0.1: three requests to one
// host through one session against three one-shot downloads, a quick
// download through the busy downloader (worker thread, nested loop, busy
// box), and how long a cancel takes to end a download whose server is
// silent.
#include "net/downloader.h"
#include "net/session.h"
#include "support/http_server.h"

#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

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

}  // namespace
