#pragma once

#include "mapcontrol/layer.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class GDALDataset;

namespace mapcontrol {

// A georeferenced picture read through GDAL (GeoTIFF, BMP, JPEG, or whatever
// else the installed GDAL reads), placed by its own geotransform or by a world
// file beside it. The layer owns the open dataset for its whole life and reads
// from it at every draw only the visible part, at the resolution of the view,
// so pictures far larger than memory draw quickly. A picture that declares
// another coordinate system than the map's is warped into the map's at every
// draw, straight at the view's pixels; one that declares none is placed as
// it is. It refuses rotated pictures (isValid() false) instead of drawing
// them misplaced. draw() serialises reads on the dataset, so one layer may be
// drawn from several threads.
class ImageLayer final : public Layer {
public:
    // A fractional window of picture pixels.
    struct SourceWindow {
        double x = 0.0;
        double y = 0.0;
        double width = 0.0;
        double height = 0.0;
    };

    // The picture at the native path, warped into `target` when it declares
    // another system; when that cannot be done it is placed as it is, with
    // systemProblem() saying why.
    explicit ImageLayer(const QString& nativePath,
                        const std::optional<CoordinateSystem>& target = std::nullopt);
    ~ImageLayer() override;
    ImageLayer(const ImageLayer&) = delete;
    ImageLayer& operator=(const ImageLayer&) = delete;

    Kind kind() const override { return Kind::Image; }
    bool isValid() const override { return m_dataset != nullptr; }
    Rectangle extent() const override;
    // Width and height of the full-resolution picture; empty when invalid.
    QSize pixelSize() const { return m_pixelSize; }

    // Draws with nearest-neighbour sampling, whether or not the layer is
    // visible (the caller checks); pixels that are nodata, NaN or transparent
    // in the alpha band or mask leave the painter untouched. A read error
    // from GDAL draws nothing and leaves error() as it was.
    void draw(QPainter& painter, const ViewTransform& view) const override;

    // Whether the picture is warped from its own system into the map's.
    bool isWarped() const { return m_warp != nullptr; }
    // A map point in the picture's own system, where its geotransform and
    // side files place its cells; the point itself when the picture is not
    // warped, nothing when PROJ cannot take it back.
    std::optional<MapPoint> toPictureSystem(const MapPoint& point) const;

private:
    // A picture in another system than the map's.
    struct Warp {
        std::string sourceWkt;
        std::string targetWkt;
        Rectangle extent;  // the picture's outline in the map's system
        std::unique_ptr<Transformation> toSource;
    };
    // How one band's values become 0..255.
    struct BandScaling {
        bool isByte = true;
        double minimum = 0.0;
        double maximum = 255.0;
        std::optional<double> noData;
    };
    enum class Mode { Grey, Palette, Rgb };

    bool open(const QString& nativePath);
    // Sets the layer's system, and the warp when it differs from `target`.
    void placeInSystem(const std::optional<CoordinateSystem>& target);
    // Reads `window` of `dataset`'s colour bands as a read-size picture,
    // with the opacity of band `alphaBand` when it is not 0 (else the
    // picture's own alpha band or mask); a null image when GDAL fails.
    QImage readPicture(GDALDataset& dataset, const SourceWindow& window, int readWidth,
                       int readHeight, int alphaBand) const;
    // Draws the picture warped over the `device` pixels, read at `read`.
    void drawWarped(QPainter& painter, const ViewTransform& view, const QRect& device, QSize read,
                    double ratio) const;
    static void placeImage(QPainter& painter, QImage& image, const QRect& device, double ratio);
    bool readGeoTransform(const QString& nativePath);
    void describeBands();
    // Reads colour band `index` (into m_colourBands) over the source window
    // (picture pixels, fractional) as 0..255 values; counts nodata pixels in
    // `noDataHits` and marks NaN pixels in `isNaN`. False when GDAL fails.
    bool readPlane(GDALDataset& dataset, std::size_t index, double xOff, double yOff, double xSize,
                   double ySize, int width, int height, std::vector<unsigned char>& plane,
                   std::vector<unsigned char>& noDataHits, std::vector<unsigned char>& isNaN) const;

    struct DatasetCloser {
        void operator()(GDALDataset* dataset) const;
    };
    std::unique_ptr<GDALDataset, DatasetCloser> m_dataset;
    std::array<double, 6> m_geoTransform{};
    QSize m_pixelSize;
    Mode m_mode = Mode::Grey;
    // GDAL band numbers (from 1): one for grey and palette, three for RGB.
    std::vector<int> m_colourBands;
    // GDAL band number of the alpha band, 0 when there is none.
    int m_alphaBand = 0;
    // Whether the first band's per-dataset mask (a .msk file, an internal
    // mask) gives the opacity when there is no alpha band.
    bool m_useDatasetMask = false;
    std::vector<BandScaling> m_scaling;   // parallel to m_colourBands
    std::vector<unsigned int> m_palette;  // QRgb per palette index
    std::unique_ptr<Warp> m_warp;         // only for a picture in another system
    mutable std::mutex m_readMutex;
};

}  // namespace mapcontrol
