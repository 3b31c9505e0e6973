#include "mapcontrol/coordinate_system.h"

#include "mapcontrol/gdal_support.h"

#include <cpl_conv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace mapcontrol {

namespace {

// Points handed to OGR at once by the exact path.
constexpr std::size_t kChunk = 65536;

// Arrays shorter than this are transformed exactly: the grid would cost
// about as much as the points.
constexpr std::size_t kGridMinimumPoints = 20000;

struct SrsDeleter {
    void operator()(OGRSpatialReference* srs) const { srs->Release(); }
};
using SrsPointer = std::unique_ptr<OGRSpatialReference, SrsDeleter>;

QString firstLine(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype end = trimmed.indexOf(QLatin1Char('\n'));
    return end < 0 ? trimmed : trimmed.left(end);
}

// Catmull-Rom weights of the four nodes around a point at fraction t of its cell.
inline void cubicWeights(double t, double w[4]) {
    const double t2 = t * t;
    const double t3 = t2 * t;
    w[0] = 0.5 * (-t + 2 * t2 - t3);
    w[1] = 0.5 * (2 - 5 * t2 + 3 * t3);
    w[2] = 0.5 * (t + 4 * t2 - 3 * t3);
    w[3] = 0.5 * (-t2 + t3);
}

// A regular grid of exactly transformed nodes, one node beyond the box on
// every side so that each cell has its 4 × 4 neighbourhood.
struct NodeGrid {
    double x0 = 0, y0 = 0, hx = 1, hy = 1;
    int cells = 0;
    std::vector<MapPoint> nodes;  // (cells + 3)² values, row by row

    MapPoint at(double x, double y) const {
        const int stride = cells + 3;
        const double u = (x - x0) / hx;
        const double v = (y - y0) / hy;
        const int i = std::clamp(static_cast<int>(std::floor(u)), 0, cells - 1);
        const int j = std::clamp(static_cast<int>(std::floor(v)), 0, cells - 1);
        double wx[4], wy[4];
        cubicWeights(u - i, wx);
        cubicWeights(v - j, wy);
        double rx = 0, ry = 0;
        for (int b = 0; b < 4; ++b) {
            const MapPoint* row = nodes.data() + static_cast<std::size_t>(j + b) * stride + i;
            double sx = 0, sy = 0;
            for (int a = 0; a < 4; ++a) {
                sx += wx[a] * row[a].x;
                sy += wx[a] * row[a].y;
            }
            rx += wy[b] * sx;
            ry += wy[b] * sy;
        }
        return {rx, ry};
    }
};

}  // namespace

// --- CoordinateSystem ---------------------------------------------------------

CoordinateSystem::CoordinateSystem(std::shared_ptr<const OGRSpatialReference> srs)
    : m_srs(std::move(srs)) {
    m_geographic = m_srs->IsGeographic();
    m_projected = m_srs->IsProjected();
    if (m_projected) {
        m_unitMetres = m_srs->GetLinearUnits(nullptr);
    }
    const char* name = m_srs->GetName();
    m_name = QString::fromUtf8(name ? name : "");
    char* wkt = nullptr;
    if (m_srs->exportToWkt(&wkt) == OGRERR_NONE && wkt) {
        m_wkt = QString::fromUtf8(wkt);
    }
    CPLFree(wkt);
}

std::optional<int> CoordinateSystem::epsgCode() const {
    std::call_once(m_code->found, [this] {
        std::optional<int>& epsg = m_code->epsg;
        const char* authority = m_srs->GetAuthorityName(nullptr);
        const char* code = m_srs->GetAuthorityCode(nullptr);
        if (authority && code && QByteArray(authority).compare("EPSG", Qt::CaseInsensitive) == 0) {
            epsg = QByteArray(code).toInt();
        } else {
            // A .prj in ESRI's words carries no code: take the EPSG system it
            // matches closely, if any.
            ScopedGdalErrors quiet;
            int count = 0;
            int* confidences = nullptr;
            OGRSpatialReferenceH* matches = m_srs->FindMatches(nullptr, &count, &confidences);
            if (matches && count >= 1 && confidences[0] >= 90) {
                const auto* match = OGRSpatialReference::FromHandle(matches[0]);
                const char* matchAuthority = match->GetAuthorityName(nullptr);
                const char* matchCode = match->GetAuthorityCode(nullptr);
                if (matchAuthority && matchCode && QByteArray(matchAuthority) == "EPSG") {
                    epsg = QByteArray(matchCode).toInt();
                }
            }
            OSRFreeSRSArray(matches);
            CPLFree(confidences);
        }
        if (epsg && *epsg <= 0) {
            epsg.reset();
        }
    });
    return m_code->epsg;
}

std::variant<CoordinateSystem, QString> CoordinateSystem::fromText(const QByteArray& text) {
    registerGdal();
    ScopedGdalErrors errors;
    SrsPointer srs(new OGRSpatialReference());
    const QByteArray definition = text.trimmed();
    if (definition.isEmpty()) {
        return QStringLiteral("a definição está vazia");
    }
    if (srs->SetFromUserInput(definition.constData()) != OGRERR_NONE) {
        const QString reason = firstLine(errors.messages());
        return reason.isEmpty() ? QStringLiteral(
                                      "a definição não descreve um sistema de "
                                      "coordenadas que o PROJ conheça")
                                : reason;
    }
    const std::optional<CoordinateSystem> system = fromSpatialReference(srs.get());
    if (!system || (!system->isGeographic() && !system->isProjected())) {
        return QStringLiteral("o sistema não é geográfico nem projetado");
    }
    return *system;
}

std::variant<CoordinateSystem, QString> CoordinateSystem::fromEpsg(int code) {
    return fromText(QByteArrayLiteral("EPSG:") + QByteArray::number(code));
}

std::optional<CoordinateSystem> CoordinateSystem::fromSpatialReference(
    const OGRSpatialReference* srs) {
    if (!srs || srs->IsEmpty()) {
        return std::nullopt;
    }
    std::shared_ptr<OGRSpatialReference> copy(srs->Clone(), SrsDeleter{});
    copy->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return CoordinateSystem(std::move(copy));
}

QString CoordinateSystem::label() const {
    const std::optional<int> code = epsgCode();
    return code ? QStringLiteral("EPSG:%1").arg(*code) : m_name;
}

bool CoordinateSystem::isSame(const CoordinateSystem& other) const {
    if (m_srs == other.m_srs) {
        return true;
    }
    const char* const criteria[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES", nullptr};
    return m_srs->IsSame(other.m_srs.get(), criteria);
}

// --- Transformation -------------------------------------------------------------

void Transformation::Deleter::operator()(OGRCoordinateTransformation* t) const {
    OGRCoordinateTransformation::DestroyCT(t);
}

Transformation::Transformation(std::unique_ptr<OGRCoordinateTransformation, Deleter> ogr,
                               double tolerance)
    : m_ogr(std::move(ogr)), m_tolerance(tolerance) {}

Transformation::~Transformation() = default;
Transformation::Transformation(Transformation&&) noexcept = default;
Transformation& Transformation::operator=(Transformation&&) noexcept = default;

std::variant<Transformation, QString> Transformation::create(const CoordinateSystem& from,
                                                             const CoordinateSystem& to) {
    registerGdal();
    ScopedGdalErrors errors;
    std::unique_ptr<OGRCoordinateTransformation, Deleter> ogr(
        OGRCreateCoordinateTransformation(&from.spatialReference(), &to.spatialReference()));
    if (!ogr) {
        const QString reason = firstLine(errors.messages());
        return reason.isEmpty() ? QStringLiteral("o PROJ não encontrou transformação de %1 para %2")
                                      .arg(from.label(), to.label())
                                : reason;
    }
    const double tolerance = to.isProjected() ? 1e-3 / to.linearUnitMetres() : 1e-8;
    return Transformation(std::move(ogr), tolerance);
}

bool Transformation::exact(std::span<const MapPoint> points, std::span<MapPoint> out,
                           Outcome& outcome) const {
    ScopedGdalErrors errors;
    std::vector<double> xs, ys;
    std::vector<int> ok;
    for (std::size_t start = 0; start < points.size(); start += kChunk) {
        const std::size_t n = std::min(kChunk, points.size() - start);
        xs.resize(n);
        ys.resize(n);
        ok.assign(n, TRUE);
        for (std::size_t i = 0; i < n; ++i) {
            xs[i] = points[start + i].x;
            ys[i] = points[start + i].y;
        }
        m_ogr->Transform(n, xs.data(), ys.data(), nullptr, ok.data());
        for (std::size_t i = 0; i < n; ++i) {
            if (!ok[i] || !std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
                ++outcome.failed;
            }
            out[start + i] = {xs[i], ys[i]};
        }
    }
    if (outcome.failed > 0) {
        outcome.reason = firstLine(errors.messages());
        if (outcome.reason.isEmpty()) {
            outcome.reason = QStringLiteral("o PROJ não transformou %1 de %2 pontos")
                                 .arg(outcome.failed)
                                 .arg(points.size());
        }
        return false;
    }
    return true;
}

bool Transformation::interpolated(std::span<const MapPoint> points, std::span<MapPoint> out) const {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
    double x1 = -x0, y1 = -x0;
    for (const MapPoint& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            return false;
        }
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    // A flat box still gets cells of some size.
    const double span = std::max({x1 - x0, y1 - y0, 1e-6});
    const double width = std::max(x1 - x0, span * 1e-3);
    const double height = std::max(y1 - y0, span * 1e-3);

    ScopedGdalErrors quiet;  // nodes PROJ refuses send the work down the exact path
    for (int cells = 32; cells <= 512; cells *= 2) {
        const auto stride = static_cast<std::size_t>(cells + 3);
        const std::size_t nodeCount = stride * stride;
        const std::size_t checkCount = static_cast<std::size_t>(cells) * cells;
        if ((nodeCount + checkCount) * 4 > points.size()) {
            return false;  // the grid would cost about what the points cost
        }
        NodeGrid grid;
        grid.cells = cells;
        grid.x0 = x0;
        grid.y0 = y0;
        grid.hx = width / cells;
        grid.hy = height / cells;
        // Nodes, then one point a quarter into each cell, in one call: the
        // cubic's error vanishes at a cell's middle and is near its largest
        // there.
        std::vector<double> xs(nodeCount + checkCount), ys(nodeCount + checkCount);
        std::vector<int> ok(xs.size(), TRUE);
        for (std::size_t j = 0; j < stride; ++j) {
            for (std::size_t i = 0; i < stride; ++i) {
                xs[j * stride + i] = x0 + (double(i) - 1) * grid.hx;
                ys[j * stride + i] = y0 + (double(j) - 1) * grid.hy;
            }
        }
        for (int j = 0; j < cells; ++j) {
            for (int i = 0; i < cells; ++i) {
                const std::size_t k = nodeCount + static_cast<std::size_t>(j) * cells + i;
                xs[k] = x0 + (i + 0.25) * grid.hx;
                ys[k] = y0 + (j + 0.25) * grid.hy;
            }
        }
        std::vector<double> sourceX = xs, sourceY = ys;
        m_ogr->Transform(xs.size(), xs.data(), ys.data(), nullptr, ok.data());
        for (std::size_t k = 0; k < xs.size(); ++k) {
            if (!ok[k] || !std::isfinite(xs[k]) || !std::isfinite(ys[k])) {
                return false;
            }
        }
        grid.nodes.resize(nodeCount);
        for (std::size_t k = 0; k < nodeCount; ++k) {
            grid.nodes[k] = {xs[k], ys[k]};
        }
        double worst = 0.0;
        for (std::size_t k = nodeCount; k < xs.size(); ++k) {
            const MapPoint guess = grid.at(sourceX[k], sourceY[k]);
            worst = std::max({worst, std::abs(guess.x - xs[k]), std::abs(guess.y - ys[k])});
        }
        if (worst <= m_tolerance / 2) {
            for (std::size_t k = 0; k < points.size(); ++k) {
                out[k] = grid.at(points[k].x, points[k].y);
            }
            return true;
        }
    }
    return false;
}

Transformation::Outcome Transformation::transform(std::span<MapPoint> points) const {
    Outcome outcome;
    // The grid writes only once it is known to serve: it works in place,
    // without a second array of the size of the data.
    if (points.size() >= kGridMinimumPoints && interpolated(points, points)) {
        return outcome;
    }
    std::vector<MapPoint> out(points.size());
    if (exact(points, out, outcome)) {
        std::copy(out.begin(), out.end(), points.begin());
    }
    return outcome;
}

Transformation::Outcome Transformation::transformExactly(std::span<MapPoint> points) const {
    Outcome outcome;
    std::vector<MapPoint> out(points.size());
    if (exact(points, out, outcome)) {
        std::copy(out.begin(), out.end(), points.begin());
    }
    return outcome;
}

}  // namespace mapcontrol
