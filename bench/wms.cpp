// Costs of the pictures of the web map services: decoding a service's JPEG
// answer (through Qt and through libjpeg), combining the pictures of two services, blending a
// picture over the map, and the whole refresh once the answers are in, all at 1000 x 800 pixels
// (sides shrunk by the square root of QUELVORA_BENCH_SCALE).
#include "bench_data.h"
#include "files/layer_builder.h"
#include "mapcontrol/map_widget.h"
#include "platform/drives.h"
#include "sample_drive.h"
#include "silent_dialogs.h"
#include "wms/alpha_blend.h"
#include "wms/fixed_connections.h"
#include "wms/kept_pictures.h"
#include "wms/remote_refresh.h"
#include "wms/service_pictures.h"

#include <QLabel>
#include <QTemporaryDir>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

QSize pictureSize() {
    const double k = std::sqrt(bench::scaleFactor());
    return {std::max(16, int(std::lround(1000 * k))), std::max(16, int(std::lround(800 * k)))};
}

// Something like a geological map as a service draws it: a shaded relief
// gradient, flat-coloured units with outlines, a few lines, and some noise.
QImage mapLikePicture(QSize size, unsigned seed) {
    std::mt19937 random(seed);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int shade = 150 + int(60 * std::sin(x * 0.013) * std::cos(y * 0.017));
            line[x] = qRgb(shade, shade + 20, shade - 10);
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    std::uniform_real_distribution<double> px(0, size.width());
    std::uniform_real_distribution<double> py(0, size.height());
    std::uniform_int_distribution<int> channel(40, 255);
    for (int unit = 0; unit < 40; ++unit) {
        QPainterPath path;
        const QPointF centre(px(random), py(random));
        const double radius = size.width() / 10.0;
        for (int v = 0; v < 12; ++v) {
            const double angle = v * M_PI / 6;
            const double r = radius * (0.5 + (random() % 100) / 100.0);
            const QPointF p = centre + QPointF(std::cos(angle) * r, std::sin(angle) * r);
            v == 0 ? path.moveTo(p) : path.lineTo(p);
        }
        path.closeSubpath();
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(channel(random), channel(random), channel(random)));
        painter.drawPath(path);
    }
    painter.setPen(QPen(QColor(30, 60, 200), 2));
    for (int river = 0; river < 10; ++river) {
        painter.drawLine(QPointF(px(random), py(random)), QPointF(px(random), py(random)));
    }
    painter.end();
    std::uniform_int_distribution<int> noise(-6, 6);
    for (int y = 0; y < size.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int i = 0; i < 4 * size.width(); ++i) {
            if (i % 4 != 3) line[i] = uchar(std::clamp(line[i] + noise(random), 0, 255));
        }
    }
    return image;
}

QByteArray jpegOf(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// A service's answer, JPEG quality 85, decoded to the RGB32 picture.
void BM_DecodeServiceJpeg(benchmark::State& state) {
    const QSize size = pictureSize();
    const QByteArray jpeg = jpegOf(mapLikePicture(size, 1), 85);
    const qint64 maxPixels = 8 * qint64(size.width()) * size.height();
    const wms::DecodedPicture check = wms::decodeServicePicture(jpeg, maxPixels);
    if (!check.result || check.image.size() != size) {
        state.SkipWithError("the picture was not decoded");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(wms::decodeServicePicture(jpeg, maxPixels));
    }
    state.counters["bytes"] = double(jpeg.size());
}
BENCHMARK(BM_DecodeServiceJpeg)->Unit(benchmark::kMillisecond);

// The same answer decoded as the mosaic's connection does, straight through
// libjpeg with its error codes kept.
void BM_DecodeMosaicJpeg(benchmark::State& state) {
    const QSize size = pictureSize();
    const QByteArray jpeg = jpegOf(mapLikePicture(size, 1), 85);
    const wms::JpegDecode check = wms::decodeWithLibjpeg(jpeg);
    if (check.error || check.image.size() != size) {
        state.SkipWithError("the picture was not decoded");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(wms::decodeWithLibjpeg(jpeg));
    }
    state.counters["bytes"] = double(jpeg.size());
}
BENCHMARK(BM_DecodeMosaicJpeg)->Unit(benchmark::kMillisecond);

// A kept picture standing in for a refresh without a network: a cache of
// 200 pictures of 1000 x 800 (other layers and places), the lookup of those
// covering the view, the read and SHA-1 check of the finest, its decoding
// and the cut to the view. `range(0)` 0: the view is the kept box moved in
// its seventh decimal (the whole map again), 1: a zoom in by 0.8.
void BM_KeptPictureHit(benchmark::State& state) {
    const QSize size = pictureSize();
    QTemporaryDir dir;
    net::PictureCache cache(dir.filePath("cache"), 1LL << 30);
    const QString address = "http://wms/mapserv?map=geo&";
    const mapcontrol::Rectangle kept(-50, -40, -12, -20);
    const QByteArray jpeg = jpegOf(mapLikePicture(size, 1), 85);
    const QByteArray other = jpegOf(mapLikePicture(size, 2), 85);
    for (int i = 0; i < 200; ++i) {
        // Half of them of the same layers elsewhere, none covering the view.
        const double north = i % 2 ? 30 : -12;
        const mapcontrol::Rectangle box(-50 + i, -40 + i, north, north - 8);
        (void)cache.keep({QString("u%1").arg(i), address, i % 2 ? "lito" : "relevo", "EPSG:4326",
                          wms::keptBox(box), size},
                         other);
    }
    (void)cache.keep({"kept", address, "lito", "EPSG:4326", wms::keptBox(kept), size}, jpeg);
    const mapcontrol::Rectangle view =
        state.range(0) == 0 ? mapcontrol::Rectangle(-50 + 3e-7, -40 - 2e-7, -12 + 1e-7, -20)
                            : mapcontrol::Rectangle(-49, -41, -12.8, -19.2);
    const auto hit = wms::cutKeptPicture(cache, address, "lito", "EPSG:4326", view, size);
    if (!hit || hit->image.size() != size ||
        hit->image.pixel(size.width() / 2, size.height() / 2) == qRgb(255, 255, 255)) {
        state.SkipWithError("the kept picture was not found");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            wms::cutKeptPicture(cache, address, "lito", "EPSG:4326", view, size));
    }
    state.counters["bytes"] = double(jpeg.size());
}
BENCHMARK(BM_KeptPictureHit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Two services' pictures on one: the first drawn plainly, the second ANDed.
void BM_CombineServicePictures(benchmark::State& state) {
    const QSize size = pictureSize();
    const QImage first = mapLikePicture(size, 2);
    const QImage second = mapLikePicture(size, 3);
    {
        wms::ServicePictureCombiner combiner(size, wms::OverlayMode::And);
        combiner.add(first, {});
        combiner.add(second, {});
        const QRgb expected = first.pixel(7, 5) & second.pixel(7, 5);
        if (combiner.result().pixel(7, 5) != expected) {
            state.SkipWithError("the pictures were not combined");
            return;
        }
    }
    for (auto _ : state) {
        wms::ServicePictureCombiner combiner(size, wms::OverlayMode::And);
        combiner.add(first, {});
        combiner.add(second, {});
        benchmark::DoNotOptimize(combiner.result().constBits());
    }
}
BENCHMARK(BM_CombineServicePictures)->Unit(benchmark::kMillisecond);

// A service's picture blended over the map at half opacity. Each round
// blends onto the result of the last: the cost does not depend on the bytes.
void BM_AlphaBlend(benchmark::State& state) {
    const QSize size = pictureSize();
    const QImage foreground = mapLikePicture(size, 4);
    const QImage map = mapLikePicture(size, 5);
    QImage background = map.copy();
    if (!wms::AlphaBlend(0, 0, foreground, 0.5, background) || background == map) {
        state.SkipWithError("the picture was not blended");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(wms::AlphaBlend(0, 0, foreground, 0.5, background).ok);
    }
}
BENCHMARK(BM_AlphaBlend)->Unit(benchmark::kMillisecond);

// Everything a refresh does once the two services' answers are on the disk:
// decode and combine them, draw the sample project's themes at the map's
// size, save both pictures, blend, and put the result on the screen.
void BM_RefreshAfterDownloads(benchmark::State& state) {
    const QSize size = pictureSize();
    QTemporaryDir folder;
    if (!samples::writeSampleDrive(folder.path())) {
        state.SkipWithError("the sample data could not be written");
        return;
    }
    mapcontrol::MapWidget map1;
    mapcontrol::MapWidget map2;
    map1.resize(size);
    map2.resize(200, 160);
    bench::SilentDialogs dialogs;
    platform::DriveTable drives;
    drives.setRoot(QLatin1Char('D'), folder.path());
    files::LayerBuilder builder(map1, map2, drives, dialogs);
    for (const char* theme : {"geologia.shp", "falhas.shp", "amostras.shp"}) {
        if (!builder.buildThemeLayer(QStringLiteral("D:\\dados\\") + QLatin1String(theme))) {
            state.SkipWithError(dialogs.lastMessage.toStdString().c_str());
            return;
        }
    }
    map1.setExtent(map1.fullExtent());
    const QByteArray first = jpegOf(mapLikePicture(size, 6), 85);
    const QByteArray second = jpegOf(mapLikePicture(size, 7), 85);
    const qint64 maxPixels = 8 * qint64(size.width()) * size.height();
    QLabel image1;
    image1.resize(size);
    image1.setScaledContents(true);
    const auto render = [&map1](QSize area) { return map1.renderPicture(area); };
    for (auto _ : state) {
        wms::ServicePictureCombiner combiner(size, wms::OverlayMode::And);
        for (const QByteArray* answer : {&first, &second}) {
            const wms::DecodedPicture picture = wms::decodeServicePicture(*answer, maxPixels);
            combiner.add(picture.image, {});
        }
        const wms::Composite shown =
            wms::composeWithLocalMap(combiner.result(), true, render, folder.path());
        image1.setPixmap(QPixmap::fromImage(shown.shown));
        benchmark::DoNotOptimize(shown.blend.ok);
    }
}
BENCHMARK(BM_RefreshAfterDownloads)->Unit(benchmark::kMillisecond);

}  // namespace
