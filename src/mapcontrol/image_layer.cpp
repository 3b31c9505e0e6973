#include "mapcontrol/image_layer.h"

#include "mapcontrol/gdal_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QStringList>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_alg.h>
#include <gdal_priv.h>
#include <gdalwarper.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace mapcontrol {

namespace {

// Side of the low-resolution read that checks, at open, that the pixel data
// can be decoded at all (a truncated file opens but fails to read).
constexpr int kProbeSize = 32;

// The most pixels one draw reads: 36 million, a screen many times over; a
// larger view gets the picture stretched from this many.
constexpr double kMaxReadPixels = 36.0e6;

QString withGdalMessage(const QString& text, const QString& gdalMessage) {
    return gdalMessage.isEmpty() ? text : text + QStringLiteral(": ") + gdalMessage;
}

// World file suffixes for a picture suffix (lower case), most specific first:
// the usual three-letter form (tfw, jgw, bpw), the suffix plus "w", the forms
// of the other spelling of the same format, and "wld", which goes with any.
QStringList worldFileSuffixes(const QString& pictureSuffix) {
    QStringList suffixes;
    const QString s = pictureSuffix.toLower();
    if (s.size() >= 2) {
        suffixes << QString(s.front()) + s.back() + QLatin1Char('w');
    }
    if (!s.isEmpty()) {
        suffixes << s + QLatin1Char('w');
    }
    if (s == QLatin1String("tif") || s == QLatin1String("tiff")) {
        suffixes << QStringLiteral("tfw") << QStringLiteral("tifw") << QStringLiteral("tiffw");
    } else if (s == QLatin1String("jpg") || s == QLatin1String("jpeg")) {
        suffixes << QStringLiteral("jgw") << QStringLiteral("jpgw") << QStringLiteral("jpegw");
    } else if (s == QLatin1String("bmp")) {
        suffixes << QStringLiteral("bpw") << QStringLiteral("bmpw");
    }
    suffixes << QStringLiteral("wld");
    suffixes.removeDuplicates();
    return suffixes;
}

// The world file beside the picture, its name compared without regard to
// case (pictures copied from Windows often come with MAPA.TFW and the like);
// empty when there is none.
QString findWorldFile(const QString& nativePath) {
    const QFileInfo picture(nativePath);
    const QString base = picture.completeBaseName();
    const QStringList entries =
        picture.dir().entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& suffix : worldFileSuffixes(picture.suffix())) {
        const QString wanted = base + QLatin1Char('.') + suffix;
        for (const QString& entry : entries) {
            if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
                return picture.dir().filePath(entry);
            }
        }
    }
    return {};
}

bool isFinite(const std::array<double, 6>& t) {
    return std::all_of(t.begin(), t.end(), [](double v) { return std::isfinite(v); });
}

// Rotation terms that move the picture's far corner by less than half a pixel
// are rounding noise from the program that wrote the file.
bool hasRotation(const std::array<double, 6>& t, QSize size) {
    return std::abs(t[2]) * size.height() >= 0.5 * std::abs(t[1]) ||
           std::abs(t[4]) * size.width() >= 0.5 * std::abs(t[5]);
}

using Window = ImageLayer::SourceWindow;

// Reads `window` (source pixels, fractional) of `band` into a buffer of
// width x height values of `type`, by nearest neighbour, through overviews
// when GDAL has fitting ones.
bool readWindow(GDALRasterBand* band, const Window& window, int width, int height,
                GDALDataType type, void* buffer) {
    const int rasterWidth = band->GetXSize();
    const int rasterHeight = band->GetYSize();
    const int xOff = std::clamp(int(std::floor(window.x)), 0, rasterWidth - 1);
    const int yOff = std::clamp(int(std::floor(window.y)), 0, rasterHeight - 1);
    const int xEnd = std::clamp(int(std::ceil(window.x + window.width)), xOff + 1, rasterWidth);
    const int yEnd = std::clamp(int(std::ceil(window.y + window.height)), yOff + 1, rasterHeight);

    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GRIORA_NearestNeighbour;
    extra.bFloatingPointWindowValidity = TRUE;
    extra.dfXOff = window.x;
    extra.dfYOff = window.y;
    extra.dfXSize = window.width;
    extra.dfYSize = window.height;
    return band->RasterIO(GF_Read, xOff, yOff, xEnd - xOff, yEnd - yOff, buffer, width, height,
                          type, 0, 0, &extra) == CE_None;
}

}  // namespace

void ImageLayer::DatasetCloser::operator()(GDALDataset* dataset) const {
    GDALClose(GDALDataset::ToHandle(dataset));
}

ImageLayer::ImageLayer(const QString& nativePath, const std::optional<CoordinateSystem>& target)
    : Layer(nativePath) {
    setName(QFileInfo(nativePath).fileName());
    registerGdal();
    if (!open(nativePath)) {
        m_dataset.reset();
        m_pixelSize = {};
        return;
    }
    placeInSystem(target);
}

void ImageLayer::placeInSystem(const std::optional<CoordinateSystem>& target) {
    ScopedGdalErrors errors;
    std::optional<CoordinateSystem> own =
        CoordinateSystem::fromSpatialReference(m_dataset->GetSpatialRef());
    if (own && !own->isGeographic() && !own->isProjected()) {
        setCoordinateSystem(
            std::nullopt,
            QStringLiteral("o sistema \"%1\" não é geográfico nem projetado").arg(own->name()));
        return;
    }
    if (!own || !target || own->isSame(*target)) {
        setCoordinateSystem(std::move(own), {});
        return;
    }
    auto back = Transformation::create(*target, *own);
    if (const auto* reason = std::get_if<QString>(&back)) {
        setCoordinateSystem(std::move(own), *reason);
        return;
    }
    auto warp = std::make_unique<Warp>();
    warp->sourceWkt = own->wkt().toStdString();
    warp->targetWkt = target->wkt().toStdString();
    // The picture's outline in the map's system.
    void* transformer = GDALCreateGenImgProjTransformer3(
        warp->sourceWkt.c_str(), m_geoTransform.data(), warp->targetWkt.c_str(), nullptr);
    double grid[6] = {};
    double box[4] = {};
    int pixels = 0;
    int lines = 0;
    const bool placed =
        transformer &&
        GDALSuggestedWarpOutput2(GDALDataset::ToHandle(m_dataset.get()), GDALGenImgProjTransform,
                                 transformer, grid, &pixels, &lines, box, 0) == CE_None;
    if (transformer) {
        GDALDestroyTransformer(transformer);
    }
    if (!placed) {
        const QString reason = errors.failures().section(QLatin1Char('\n'), 0, 0);
        setCoordinateSystem(
            std::move(own),
            reason.isEmpty()
                ? QStringLiteral("o PROJ não levou a imagem para %1").arg(target->label())
                : reason);
        return;
    }
    warp->extent = Rectangle(box[0], box[2], box[3], box[1]);
    warp->toSource = std::make_unique<Transformation>(std::get<Transformation>(std::move(back)));
    m_warp = std::move(warp);
    setCoordinateSystem(target, {});
}

std::optional<MapPoint> ImageLayer::toPictureSystem(const MapPoint& point) const {
    if (!m_warp) {
        return point;
    }
    MapPoint p = point;
    const std::lock_guard lock(m_readMutex);
    if (!m_warp->toSource->transformExactly(std::span<MapPoint>(&p, 1))) {
        return std::nullopt;
    }
    return p;
}

ImageLayer::~ImageLayer() = default;

Rectangle ImageLayer::extent() const {
    if (!m_dataset) {
        return {};
    }
    if (m_warp) {
        return m_warp->extent;
    }
    const auto& t = m_geoTransform;
    const double x0 = t[0];
    const double x1 = t[0] + m_pixelSize.width() * t[1];
    const double y0 = t[3];
    const double y1 = t[3] + m_pixelSize.height() * t[5];
    return {std::min(x0, x1), std::max(x0, x1), std::max(y0, y1), std::min(y0, y1)};
}

bool ImageLayer::open(const QString& nativePath) {
    ScopedGdalErrors errors;
    const QByteArray encoded = QFile::encodeName(nativePath);
    m_dataset.reset(GDALDataset::FromHandle(
        GDALOpenEx(encoded.constData(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                   nullptr, nullptr, nullptr)));
    if (!m_dataset) {
        // MrSID pictures need a driver that few GDAL builds carry: say so
        // rather than that the file is not a picture.
        if (QFileInfo(nativePath).suffix().compare(QLatin1String("sid"), Qt::CaseInsensitive) ==
                0 &&
            QFileInfo(nativePath).isFile() && !GDALGetDriverByName("MrSID")) {
            setError(QStringLiteral("A imagem %1 é MrSID (.sid), e esta instalação do GDAL não tem "
                                    "o driver MrSID para lê-la.")
                         .arg(nativePath));
            return false;
        }
        setError(
            withGdalMessage(QStringLiteral("Não foi possível abrir a imagem %1").arg(nativePath),
                            errors.failures()));
        return false;
    }
    m_pixelSize = QSize(m_dataset->GetRasterXSize(), m_dataset->GetRasterYSize());
    if (m_dataset->GetRasterCount() < 1 || m_pixelSize.isEmpty()) {
        setError(QStringLiteral("A imagem %1 não tem pixels").arg(nativePath));
        return false;
    }
    if (!readGeoTransform(nativePath)) {
        return false;
    }
    describeBands();

    // Decode a coarse sample of the whole picture now, so that a damaged file
    // is reported here rather than drawn as garbage. libjpeg only warns about
    // a cut file; here that counts as a failure.
    ScopedGdalConfigOption jpegStrict("GDAL_ERROR_ON_LIBJPEG_WARNING", "TRUE");
    const int probeWidth = std::min(kProbeSize, m_pixelSize.width());
    const int probeHeight = std::min(kProbeSize, m_pixelSize.height());
    const Window whole{0.0, 0.0, double(m_pixelSize.width()), double(m_pixelSize.height())};
    std::vector<double> scratch(std::size_t(probeWidth) * probeHeight);
    std::vector<int> bands = m_colourBands;
    if (m_alphaBand > 0) {
        bands.push_back(m_alphaBand);
    }
    bool readable = true;
    for (int band : bands) {
        readable = readable && readWindow(m_dataset->GetRasterBand(band), whole, probeWidth,
                                          probeHeight, GDT_Float64, scratch.data());
    }
    if (readable && m_useDatasetMask) {
        readable = readWindow(m_dataset->GetRasterBand(1)->GetMaskBand(), whole, probeWidth,
                              probeHeight, GDT_Float64, scratch.data());
    }
    if (!readable) {
        setError(withGdalMessage(QStringLiteral("A imagem %1 está danificada").arg(nativePath),
                                 errors.failures()));
        return false;
    }
    // Statistics for bands that are not bytes: approximate (from an overview
    // or a sample), computed once, never written beside the picture.
    for (std::size_t i = 0; i < m_colourBands.size(); ++i) {
        BandScaling& scaling = m_scaling[i];
        if (scaling.isByte || m_mode == Mode::Palette) {
            continue;
        }
        double minMax[2] = {0.0, 0.0};
        if (m_dataset->GetRasterBand(m_colourBands[i])->ComputeRasterMinMax(TRUE, minMax) ==
                CE_None &&
            std::isfinite(minMax[0]) && std::isfinite(minMax[1])) {
            scaling.minimum = minMax[0];
            scaling.maximum = minMax[1];
        } else {
            // Every pixel is nodata: nothing will be drawn anyway.
            scaling.minimum = scaling.maximum = 0.0;
        }
    }
    return true;
}

bool ImageLayer::readGeoTransform(const QString& nativePath) {
    auto& t = m_geoTransform;
    const std::array<double, 6> identity{0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    bool found = m_dataset->GetGeoTransform(t.data()) == CE_None && t != identity;
    if (!found) {
        // GDAL looks for world files itself, but not for every spelling: BMP
        // compares names with their case, and .tiff/.jpeg pictures miss
        // .tifw/.jpgw files. The search here covers those.
        const QString worldFile = findWorldFile(nativePath);
        found = !worldFile.isEmpty() &&
                GDALLoadWorldFile(QFile::encodeName(worldFile).constData(), t.data());
    }
    if (!found) {
        setError(QStringLiteral("A imagem %1 não tem georreferência (nem arquivo .tfw, .jgw, "
                                ".bpw ou .wld ao lado)")
                     .arg(nativePath));
        return false;
    }
    if (!isFinite(t) || t[1] == 0.0 || t[5] == 0.0) {
        setError(QStringLiteral("A georreferência da imagem %1 é inválida").arg(nativePath));
        return false;
    }
    if (hasRotation(t, m_pixelSize)) {
        setError(QStringLiteral("A imagem %1 está girada; só imagens alinhadas ao norte são "
                                "exibidas")
                     .arg(nativePath));
        return false;
    }
    t[2] = t[4] = 0.0;
    return true;
}

void ImageLayer::describeBands() {
    const int count = m_dataset->GetRasterCount();
    int red = 0, green = 0, blue = 0;
    for (int b = 1; b <= count; ++b) {
        switch (m_dataset->GetRasterBand(b)->GetColorInterpretation()) {
            case GCI_RedBand:
                red = red ? red : b;
                break;
            case GCI_GreenBand:
                green = green ? green : b;
                break;
            case GCI_BlueBand:
                blue = blue ? blue : b;
                break;
            case GCI_AlphaBand:
                m_alphaBand = m_alphaBand ? m_alphaBand : b;
                break;
            default:
                break;
        }
    }

    GDALRasterBand* first = m_dataset->GetRasterBand(1);
    if (red && green && blue) {
        m_mode = Mode::Rgb;
        m_colourBands = {red, green, blue};
    } else if (count >= 3) {
        // Three or four bands without colour names: taken as RGB(A).
        m_mode = Mode::Rgb;
        m_colourBands = {1, 2, 3};
        if (count == 4 && m_alphaBand == 0 &&
            m_dataset->GetRasterBand(4)->GetColorInterpretation() == GCI_Undefined) {
            m_alphaBand = 4;
        }
    } else if (first->GetColorInterpretation() == GCI_PaletteIndex && first->GetColorTable() &&
               (first->GetRasterDataType() == GDT_Byte ||
                first->GetRasterDataType() == GDT_UInt16)) {
        m_mode = Mode::Palette;
        m_colourBands = {1};
        const GDALColorTable* table = first->GetColorTable();
        m_palette.resize(std::size_t(table->GetColorEntryCount()));
        for (int i = 0; i < table->GetColorEntryCount(); ++i) {
            GDALColorEntry entry{};
            table->GetColorEntryAsRGB(i, &entry);
            m_palette[std::size_t(i)] = qRgba(entry.c1, entry.c2, entry.c3, entry.c4);
        }
    } else {
        m_mode = Mode::Grey;
        m_colourBands = {1};
    }
    if (m_alphaBand == 0) {
        const int flags = first->GetMaskFlags();
        m_useDatasetMask = (flags & GMF_PER_DATASET) && !(flags & GMF_ALL_VALID);
    }

    for (int b : m_colourBands) {
        GDALRasterBand* band = m_dataset->GetRasterBand(b);
        BandScaling scaling;
        scaling.isByte = band->GetRasterDataType() == GDT_Byte;
        int hasNoData = FALSE;
        const double noData = band->GetNoDataValue(&hasNoData);
        if (hasNoData && !std::isnan(noData)) {
            scaling.noData = noData;
        }
        m_scaling.push_back(scaling);
    }
}

bool ImageLayer::readPlane(GDALDataset& dataset, std::size_t index, double xOff, double yOff,
                           double xSize, double ySize, int width, int height,
                           std::vector<unsigned char>& plane,
                           std::vector<unsigned char>& noDataHits,
                           std::vector<unsigned char>& isNaN) const {
    GDALRasterBand* band = dataset.GetRasterBand(m_colourBands[index]);
    const BandScaling& scaling = m_scaling[index];
    const Window window{xOff, yOff, xSize, ySize};
    const std::size_t count = std::size_t(width) * std::size_t(height);
    plane.resize(count);
    if (scaling.isByte) {
        if (!readWindow(band, window, width, height, GDT_Byte, plane.data())) {
            return false;
        }
        if (scaling.noData) {
            for (std::size_t p = 0; p < count; ++p) {
                noDataHits[p] += double(plane[p]) == *scaling.noData ? 1 : 0;
            }
        }
        return true;
    }
    std::vector<double> values(count);
    if (!readWindow(band, window, width, height, GDT_Float64, values.data())) {
        return false;
    }
    const double range = scaling.maximum - scaling.minimum;
    for (std::size_t p = 0; p < count; ++p) {
        const double v = values[p];
        if (std::isnan(v)) {
            isNaN[p] = 1;
            plane[p] = 0;
            continue;
        }
        if (scaling.noData && v == *scaling.noData) {
            ++noDataHits[p];
        }
        // A flat band has no contrast to show: mid grey.
        const double level = range > 0.0 ? (v - scaling.minimum) * 255.0 / range : 128.0;
        plane[p] = static_cast<unsigned char>(std::clamp(std::round(level), 0.0, 255.0));
    }
    return true;
}

void ImageLayer::draw(QPainter& painter, const ViewTransform& view) const {
    if (!m_dataset || view.pixels().isEmpty()) {
        return;
    }
    const Rectangle picture = extent();
    const Rectangle& shown = view.extent();
    if (!picture.intersects(shown)) {
        return;
    }
    const Rectangle visible(
        std::max(picture.left(), shown.left()), std::min(picture.right(), shown.right()),
        std::min(picture.top(), shown.top()), std::max(picture.bottom(), shown.bottom()));

    // The device pixels the picture covers: a pixel is drawn when its centre
    // lies on the picture, so neighbouring pictures meet without a seam.
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPointF topLeft = view.toPixel({visible.left(), visible.top()}) * ratio;
    const QPointF bottomRight = view.toPixel({visible.right(), visible.bottom()}) * ratio;
    const double deviceWidth = view.pixels().width() * ratio;
    const double deviceHeight = view.pixels().height() * ratio;
    const int x0 = int(std::clamp(std::round(topLeft.x()), 0.0, deviceWidth));
    const int y0 = int(std::clamp(std::round(topLeft.y()), 0.0, deviceHeight));
    const int x1 = int(std::clamp(std::round(bottomRight.x()), 0.0, deviceWidth));
    const int y1 = int(std::clamp(std::round(bottomRight.y()), 0.0, deviceHeight));
    const int width = x1 - x0;
    const int height = y1 - y0;
    if (width <= 0 || height <= 0) {
        return;
    }

    // The pixels read: those device pixels, but never more than
    // kMaxReadPixels of them: past that (a metafile exported at a large
    // scale) the picture is read coarser and stretched over the same place.
    int readWidth = width;
    int readHeight = height;
    const double wanted = double(width) * double(height);
    if (wanted > kMaxReadPixels) {
        const double shrink = std::sqrt(kMaxReadPixels / wanted);
        readWidth = std::max(1, int(width * shrink));
        readHeight = std::max(1, int(height * shrink));
    }
    if (m_warp) {
        drawWarped(painter, view, QRect(x0, y0, width, height), QSize(readWidth, readHeight),
                   ratio);
        return;
    }

    // The source window under those device pixels, in fractional picture
    // pixels; the snapping above may reach half a device pixel past the edge.
    const MapPoint mapTopLeft = view.toMap(QPointF(x0, y0) / ratio);
    const MapPoint mapBottomRight = view.toMap(QPointF(x1, y1) / ratio);
    const auto& t = m_geoTransform;
    const double colA = (mapTopLeft.x - t[0]) / t[1];
    const double colB = (mapBottomRight.x - t[0]) / t[1];
    const double rowA = (mapTopLeft.y - t[3]) / t[5];
    const double rowB = (mapBottomRight.y - t[3]) / t[5];
    const double colMin = std::clamp(std::min(colA, colB), 0.0, double(m_pixelSize.width()));
    const double colMax = std::clamp(std::max(colA, colB), 0.0, double(m_pixelSize.width()));
    const double rowMin = std::clamp(std::min(rowA, rowB), 0.0, double(m_pixelSize.height()));
    const double rowMax = std::clamp(std::max(rowA, rowB), 0.0, double(m_pixelSize.height()));
    if (colMax <= colMin || rowMax <= rowMin) {
        return;
    }
    const Window window{colMin, rowMin, colMax - colMin, rowMax - rowMin};

    QImage image;
    {
        std::lock_guard lock(m_readMutex);
        image = readPicture(*m_dataset, window, readWidth, readHeight, 0);
    }
    if (image.isNull()) {
        return;
    }
    // A west-up or south-up geotransform stores the picture mirrored.
    const bool westUp = t[1] < 0;
    const bool southUp = t[5] > 0;
    if (westUp || southUp) {
        image = image.mirrored(westUp, southUp);
    }
    placeImage(painter, image, QRect(x0, y0, width, height), ratio);
}

void ImageLayer::drawWarped(QPainter& painter, const ViewTransform& view, const QRect& device,
                            QSize read, double ratio) const {
    // The view's own grid over those device pixels, at the read size: the
    // picture is warped straight into it, at the resolution of the view.
    const MapPoint topLeft = view.toMap(QPointF(device.left(), device.top()) / ratio);
    const MapPoint bottomRight =
        view.toMap(QPointF(device.left() + device.width(), device.top() + device.height()) / ratio);
    double viewGrid[6] = {topLeft.x, (bottomRight.x - topLeft.x) / read.width(), 0.0, topLeft.y,
                          0.0,       (bottomRight.y - topLeft.y) / read.height()};
    QImage image;
    {
        std::lock_guard lock(m_readMutex);
        ScopedGdalErrors errors;
        void* exact = GDALCreateGenImgProjTransformer3(
            m_warp->sourceWkt.c_str(), m_geoTransform.data(), m_warp->targetWkt.c_str(), viewGrid);
        if (!exact) {
            return;
        }
        // Within an eighth of a pixel of the exact transformation.
        void* approximate = GDALCreateApproxTransformer(GDALGenImgProjTransform, exact, 0.125);
        GDALApproxTransformerOwnsSubtransformer(approximate, TRUE);
        const int bandCount = m_dataset->GetRasterCount();
        GDALWarpOptions* options = GDALCreateWarpOptions();
        options->hSrcDS = GDALDataset::ToHandle(m_dataset.get());
        options->eResampleAlg = GRA_NearestNeighbour;
        options->nBandCount = bandCount;
        options->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int) * bandCount));
        options->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int) * bandCount));
        for (int b = 0; b < bandCount; ++b) {
            options->panSrcBands[b] = options->panDstBands[b] = b + 1;
        }
        options->nSrcAlphaBand = m_alphaBand;
        options->nDstAlphaBand = bandCount + 1;  // transparent outside the picture
        options->pfnTransformer = GDALApproxTransform;
        options->pTransformerArg = approximate;  // the warped view destroys it
        std::unique_ptr<GDALDataset, DatasetCloser> warped(GDALDataset::FromHandle(
            GDALCreateWarpedVRT(options->hSrcDS, read.width(), read.height(), viewGrid, options)));
        GDALDestroyWarpOptions(options);
        if (!warped) {
            GDALDestroyTransformer(approximate);
            return;
        }
        const Window whole{0.0, 0.0, double(read.width()), double(read.height())};
        image = readPicture(*warped, whole, read.width(), read.height(), bandCount + 1);
    }
    if (!image.isNull()) {
        placeImage(painter, image, device, ratio);
    }
}

void ImageLayer::placeImage(QPainter& painter, QImage& image, const QRect& device, double ratio) {
    if (image.size() == device.size()) {
        image.setDevicePixelRatio(ratio);
        painter.drawImage(QPointF(device.left() / ratio, device.top() / ratio), image);
    } else {
        painter.drawImage(QRectF(device.left() / ratio, device.top() / ratio,
                                 device.width() / ratio, device.height() / ratio),
                          image);
    }
}

QImage ImageLayer::readPicture(GDALDataset& dataset, const Window& window, int readWidth,
                               int readHeight, int alphaBand) const {
    const std::size_t count = std::size_t(readWidth) * std::size_t(readHeight);
    std::vector<std::vector<unsigned char>> planes(m_colourBands.size());
    std::vector<unsigned char> alpha(count, 255);
    std::vector<unsigned short> indices;
    {
        ScopedGdalErrors errors;
        if (m_mode == Mode::Palette) {
            indices.resize(count);
            if (!readWindow(dataset.GetRasterBand(m_colourBands[0]), window, readWidth, readHeight,
                            GDT_UInt16, indices.data())) {
                return {};
            }
        } else {
            std::vector<unsigned char> noDataHits(count, 0);
            std::vector<unsigned char> isNaN(count, 0);
            int bandsWithNoData = 0;
            for (std::size_t i = 0; i < m_colourBands.size(); ++i) {
                if (!readPlane(dataset, i, window.x, window.y, window.width, window.height,
                               readWidth, readHeight, planes[i], noDataHits, isNaN)) {
                    return {};
                }
                bandsWithNoData += m_scaling[i].noData ? 1 : 0;
            }
            // A pixel is nodata when every band that has a nodata value holds
            // it (an RGB pixel is not cut out for one black channel).
            if (bandsWithNoData > 0) {
                for (std::size_t p = 0; p < count; ++p) {
                    if (noDataHits[p] >= bandsWithNoData) {
                        alpha[p] = 0;
                    }
                }
            }
            for (std::size_t p = 0; p < count; ++p) {
                if (isNaN[p]) {
                    alpha[p] = 0;
                }
            }
        }
        GDALRasterBand* alphaSource = nullptr;
        if (alphaBand > 0) {
            alphaSource = dataset.GetRasterBand(alphaBand);
        } else if (m_alphaBand > 0) {
            alphaSource = dataset.GetRasterBand(m_alphaBand);
        } else if (m_useDatasetMask) {
            alphaSource = dataset.GetRasterBand(1)->GetMaskBand();
        }
        if (alphaSource) {
            std::vector<unsigned char> mask(count);
            if (!readWindow(alphaSource, window, readWidth, readHeight, GDT_Byte, mask.data())) {
                return {};
            }
            for (std::size_t p = 0; p < count; ++p) {
                alpha[p] = static_cast<unsigned char>(alpha[p] * mask[p] / 255);
            }
        }
    }

    QImage image(readWidth, readHeight, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < readHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < readWidth; ++x) {
            const std::size_t p = std::size_t(y) * std::size_t(readWidth) + std::size_t(x);
            QRgb colour = 0;
            if (m_mode == Mode::Palette) {
                const unsigned short index = indices[p];
                const bool isNoData = m_scaling[0].noData && double(index) == *m_scaling[0].noData;
                if (!isNoData && index < m_palette.size()) {
                    colour = m_palette[index];
                    colour = qRgba(qRed(colour), qGreen(colour), qBlue(colour),
                                   qAlpha(colour) * alpha[p] / 255);
                }
            } else if (m_mode == Mode::Rgb) {
                colour = qRgba(planes[0][p], planes[1][p], planes[2][p], alpha[p]);
            } else {
                colour = qRgba(planes[0][p], planes[0][p], planes[0][p], alpha[p]);
            }
            line[x] = qPremultiply(colour);
        }
    }
    return image;
}

}  // namespace mapcontrol
