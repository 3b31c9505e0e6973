#pragma once

#include "mapcontrol/geometry.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <variant>

class OGRCoordinateTransformation;
class OGRSpatialReference;

namespace mapcontrol {

// A coordinate system a theme or the map declares: geographic (degrees,
// longitude as x) or projected (in a linear unit). An immutable value made
// only by the factories below, which refuse what OGR/PROJ cannot read with
// PROJ's own reason; copies share one read-only spatial reference, always
// with longitude (easting) first whatever the system's own axis order.
class CoordinateSystem {
public:
    // A .prj text (ESRI or OGC WKT) or any definition OGR reads (EPSG:n, a
    // PROJ string); the reason when it describes no usable system.
    static std::variant<CoordinateSystem, QString> fromText(const QByteArray& text);
    static std::variant<CoordinateSystem, QString> fromEpsg(int code);
    // An OGR layer's or a GDAL raster's system; nothing for a null one.
    static std::optional<CoordinateSystem> fromSpatialReference(const OGRSpatialReference* srs);

    bool isGeographic() const { return m_geographic; }
    bool isProjected() const { return m_projected; }
    // Metres in one unit of x and y; 1 for a system that is not projected.
    double linearUnitMetres() const { return m_unitMetres; }
    // The EPSG code of the system, when it has one or matches one closely
    // (looked up the first time it is asked for).
    std::optional<int> epsgCode() const;
    // The system's name for messages ("SIRGAS 2000 / UTM zone 23S").
    const QString& name() const { return m_name; }
    // "EPSG:31983" when there is a code, else the name.
    QString label() const;
    // The definition as OGC WKT; equal systems may still differ here.
    const QString& wkt() const { return m_wkt; }

    // Whether points need no transformation between the two.
    bool isSame(const CoordinateSystem& other) const;

    const OGRSpatialReference& spatialReference() const { return *m_srs; }

private:
    explicit CoordinateSystem(std::shared_ptr<const OGRSpatialReference> srs);

    std::shared_ptr<const OGRSpatialReference> m_srs;
    bool m_geographic = false;
    bool m_projected = false;
    double m_unitMetres = 1.0;
    struct Code {
        std::once_flag found;
        std::optional<int> epsg;
    };
    std::shared_ptr<Code> m_code = std::make_shared<Code>();
    QString m_name;
    QString m_wkt;
};

// Moves points from one coordinate system into another through
// OGRCoordinateTransformation, a whole array at a time. Owns its OGR
// transformation; one object is used by one thread at a time.
class Transformation {
public:
    // The transformation, or PROJ's reason why there is none.
    static std::variant<Transformation, QString> create(const CoordinateSystem& from,
                                                        const CoordinateSystem& to);
    ~Transformation();
    Transformation(Transformation&&) noexcept;
    Transformation& operator=(Transformation&&) noexcept;

    struct Outcome {
        std::size_t failed = 0;  // points PROJ could not transform
        QString reason;          // PROJ's words for the first failure
        explicit operator bool() const { return failed == 0; }
    };

    // Transforms every point in place, or none: when a point fails the
    // array is left as it was. Large arrays of a smooth transformation go
    // through a grid of exactly transformed nodes interpolated bicubically,
    // used only when it agrees with the exact transformation within half
    // of tolerance() at a test point in every cell; otherwise every point
    // is transformed exactly.
    [[nodiscard]] Outcome transform(std::span<MapPoint> points) const;
    // Every point exactly (the grid never used), also all or none.
    [[nodiscard]] Outcome transformExactly(std::span<MapPoint> points) const;

    // The largest difference allowed between the grid and the exact
    // transformation, in target units: 1e-8 degrees (about 1 mm) or 1 mm.
    double tolerance() const { return m_tolerance; }

private:
    struct Deleter {
        void operator()(OGRCoordinateTransformation* t) const;
    };
    Transformation(std::unique_ptr<OGRCoordinateTransformation, Deleter> ogr, double tolerance);

    // Exact transformation of `points` into `out` (same size); false with
    // the outcome filled when a point fails.
    bool exact(std::span<const MapPoint> points, std::span<MapPoint> out, Outcome& outcome) const;
    // The grid path into `out`, which may be `points` itself; false when the
    // grid cannot serve, and then `out` is untouched.
    bool interpolated(std::span<const MapPoint> points, std::span<MapPoint> out) const;

    std::unique_ptr<OGRCoordinateTransformation, Deleter> m_ogr;
    double m_tolerance = 0.0;
};

}  // namespace mapcontrol
