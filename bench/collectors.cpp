// One tick of collector tracking: 20 collectors of 1,000 positions each,
// downloaded from a gateway of its own on 127.0.0.1 through one session,
// read, and drawn with every point joined on a 1000 x 800 map picture. The
// position files go to a temporary folder ($TMPDIR), and each download
// flushes its file to the disk before renaming it, which on a real disk is
// most of the tick.
#include "remote/collectors.h"
#include "net/session.h"
#include "support/http_server.h"

#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr int kCollectors = 20;
constexpr int kPositions = 1000;
const mapcontrol::Rectangle kBrazil(-74, -34, 6, -34);

// A collector's day: a random walk of positions over the map.
std::string positionFile() {
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 0.05);
    double latitude = -14.0;
    double longitude = -52.0;
    std::string text;
    for (int i = 0; i < kPositions; ++i) {
        latitude = std::clamp(latitude + step(random), -33.0, 5.0);
        longitude = std::clamp(longitude + step(random), -73.0, -35.0);
        char line[64];
        std::snprintf(line, sizeof line, "coletor,%.6f,%.6f\r\n", latitude, longitude);
        text += line;
    }
    return text;
}

void BM_CollectorTick(benchmark::State& state) {
    support::HttpServer gateway;
    gateway.reply("/cgi-bin/localiza.exe/mandalista", {200, positionFile()});
    QTemporaryDir programDir;
    QStringList list;
    for (int i = 0; i < kCollectors; ++i) {
        list << (i % 2 ? QStringLiteral("c%1,RGB,%2,0,200").arg(i).arg(i * 10)
                       : QStringLiteral("c%1").arg(i));
    }
    QImage snapshot(1000, 800, QImage::Format_RGB32);
    snapshot.fill(QColor(230, 220, 200));
    // As the collectors window downloads: position files are not synced.
    net::DownloadLimits limits;
    limits.syncToDisk = false;
    net::Session session(limits);
    const remote::DownloadFunction download = [&](const QString& url, const QString& path) {
        return session.download(url, path);
    };
    for (auto _ : state) {
        QImage image = snapshot;
        const std::vector<remote::CollectorTrack> tracks = remote::fetchTracks(
            remote::collectorsOf(list), gateway.url({}), programDir.path(), download);
        remote::drawCollectors(image, kBrazil, tracks, true, true);
        if (tracks.size() != kCollectors || tracks.back().positions.size() != kPositions ||
            image == snapshot) {
            state.SkipWithError("the tick did not download, read and draw every collector");
            return;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["connections"] =
        benchmark::Counter(session.connectionsOpened(), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CollectorTick)->Unit(benchmark::kMillisecond);

}  // namespace
