#include "mapcontrol/vector_data.h"

#include "mapcontrol/gdal_support.h"
#include "mapcontrol/vector_source.h"
#include "platform/text_codec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <boost/geometry/algorithms/disjoint.hpp>
#include <boost/geometry/algorithms/intersects.hpp>
#include <boost/iterator/function_output_iterator.hpp>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <functional>
#include <limits>
#include <optional>
#include <thread>

namespace mapcontrol {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool isEmptyBox(const bg::model::box<bg::model::point<double, 2, bg::cs::cartesian>>& b) {
    return b.min_corner().get<0>() > b.max_corner().get<0>();
}

}  // namespace

// --- Builder ---------------------------------------------------------------

VectorData::Builder::Builder(ShapeType type, AttributeTable table)
    : m_data(std::make_shared<VectorData>()) {
    m_data->m_type = type;
    m_data->m_table = std::move(table);
}

void VectorData::Builder::reserve(std::size_t features, std::size_t points) {
    m_data->m_points.reserve(points);
    m_data->m_featureParts.reserve(features + 1);
    m_data->m_partStarts.reserve(features + 1);
    m_data->m_partHoles.reserve(features);
    if (m_data->m_type != ShapeType::Point) {
        m_data->m_boxes.reserve(features);
    }
}

void VectorData::Builder::addPart(const MapPoint* points, std::size_t count, bool isHole) {
    auto& d = *m_data;
    d.m_points.insert(d.m_points.end(), points, points + count);
    d.m_partStarts.push_back(static_cast<std::uint32_t>(d.m_points.size()));
    d.m_partHoles.push_back(isHole ? 1 : 0);
}

VectorData::IndexBox VectorData::boxOfVertices(FeatureId f) const {
    double minX = kInfinity, minY = kInfinity, maxX = -kInfinity, maxY = -kInfinity;
    for (std::uint32_t part = m_featureParts[f]; part < m_featureParts[f + 1]; ++part) {
        for (std::uint32_t i = m_partStarts[part]; i < m_partStarts[part + 1]; ++i) {
            const MapPoint& p = m_points[i];
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    return {IndexPoint(minX, minY), IndexPoint(maxX, maxY)};
}

void VectorData::Builder::endFeature() {
    auto& d = *m_data;
    d.m_featureParts.push_back(static_cast<std::uint32_t>(d.m_partHoles.size()));
    if (d.m_type == ShapeType::Point) {
        return;
    }
    d.m_boxes.push_back(d.boxOfVertices(static_cast<FeatureId>(d.m_featureParts.size() - 2)));
}

Transformation::Outcome VectorData::Builder::transform(const Transformation& transformation) {
    auto& d = *m_data;
    Transformation::Outcome outcome = transformation.transform(d.m_points);
    if (outcome && d.m_type != ShapeType::Point) {
        for (FeatureId f = 0; f < d.m_boxes.size(); ++f) {
            d.m_boxes[f] = d.boxOfVertices(f);
        }
    }
    return outcome;
}

void VectorData::Builder::setCoordinateSystem(std::optional<CoordinateSystem> system,
                                              QString problem) {
    m_data->m_system = std::move(system);
    m_data->m_systemProblem = std::move(problem);
}

std::shared_ptr<const VectorData> VectorData::Builder::finish() {
    if (!m_indexed) {
        buildIndex();
    }
    m_data->m_table.squeeze();
    return std::move(m_data);
}

void VectorData::Builder::buildIndex() {
    m_indexed = true;
    auto& d = *m_data;
    if (d.m_type == ShapeType::Point) {
        // Points go in as points, which makes a smaller and faster tree than
        // boxes; a multipoint feature has one entry per point.
        std::vector<PointValue> values;
        values.reserve(d.m_points.size());
        for (FeatureId f = 0; f < d.featureCount(); ++f) {
            for (std::uint32_t part = d.firstPart(f); part < d.endPart(f); ++part) {
                for (std::size_t i = 0; i < d.partSize(part); ++i) {
                    const MapPoint& p = d.partPoints(part)[i];
                    d.m_extent = d.m_extent.united(p);
                    values.emplace_back(IndexPoint(p.x, p.y), f);
                }
            }
        }
        d.m_pointIndex = PointIndex(values.begin(), values.end());  // bulk loading packs the tree
    } else {
        std::vector<IndexValue> values;
        values.reserve(d.featureCount());
        for (FeatureId f = 0; f < d.featureCount(); ++f) {
            const IndexBox& b = d.m_boxes[f];
            if (d.firstPart(f) == d.endPart(f) || isEmptyBox(b)) {
                continue;  // null geometry
            }
            d.m_extent =
                d.m_extent.united(Rectangle(b.min_corner().get<0>(), b.max_corner().get<0>(),
                                            b.max_corner().get<1>(), b.min_corner().get<1>()));
            values.emplace_back(b, f);
        }
        d.m_index = Index(values.begin(), values.end());
    }
    d.m_points.shrink_to_fit();
}

// --- Queries -----------------------------------------------------------------

Rectangle VectorData::box(FeatureId f) const {
    if (m_type != ShapeType::Point) {
        const IndexBox& b = m_boxes[f];
        if (isEmptyBox(b)) {
            return {};
        }
        return {b.min_corner().get<0>(), b.max_corner().get<0>(), b.max_corner().get<1>(),
                b.min_corner().get<1>()};
    }
    Rectangle r;
    for (std::uint32_t part = firstPart(f); part < endPart(f); ++part) {
        for (std::size_t i = 0; i < partSize(part); ++i) {
            r = r.united(partPoints(part)[i]);
        }
    }
    return r;
}

Shape VectorData::shape(FeatureId f) const {
    std::vector<Shape::Part> parts;
    parts.reserve(endPart(f) - firstPart(f));
    for (std::uint32_t part = firstPart(f); part < endPart(f); ++part) {
        parts.push_back({{partPoints(part), partPoints(part) + partSize(part)}, partIsHole(part)});
    }
    return {m_type, std::move(parts)};
}

std::vector<VectorData::FeatureId> VectorData::featuresInBox(const Rectangle& area) const {
    std::vector<FeatureId> found;
    if (area.isEmpty() || !area.intersects(m_extent)) {
        return found;
    }
    if (area.left() <= m_extent.left() && area.right() >= m_extent.right() &&
        area.top() >= m_extent.top() && area.bottom() <= m_extent.bottom()) {
        // The whole layer: every feature with a geometry, no index needed.
        found.reserve(featureCount());
        for (FeatureId f = 0; f < featureCount(); ++f) {
            if (firstPart(f) != endPart(f)) {
                found.push_back(f);
            }
        }
        return found;
    }
    const IndexBox query(IndexPoint(area.left(), area.bottom()),
                         IndexPoint(area.right(), area.top()));
    if (m_type == ShapeType::Point) {
        m_pointIndex.query(bgi::intersects(query),
                           boost::make_function_output_iterator(
                               [&found](const PointValue& v) { found.push_back(v.second); }));
    } else {
        m_index.query(bgi::intersects(query),
                      boost::make_function_output_iterator(
                          [&found](const IndexValue& v) { found.push_back(v.second); }));
    }
    if (found.size() < featureCount() / 64) {
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());  // multipoints
        return found;
    }
    // Many features: put them in file order through a bit per feature.
    std::vector<std::uint64_t> marks((featureCount() + 63) / 64, 0);
    for (const FeatureId f : found) {
        marks[f / 64] |= std::uint64_t{1} << (f % 64);
    }
    found.clear();
    for (std::size_t word = 0; word < marks.size(); ++word) {
        for (std::uint64_t bits = marks[word]; bits != 0; bits &= bits - 1) {
            found.push_back(static_cast<FeatureId>(
                word * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
        }
    }
    return found;
}

bool VectorData::featureContains(FeatureId f, const MapPoint& p) const {
    if (m_type != ShapeType::Polygon && m_type != ShapeType::Rectangle) {
        return false;
    }
    bool inside = false;
    for (std::uint32_t part = firstPart(f); part < endPart(f); ++part) {
        if (partSize(part) < 3) {
            continue;
        }
        bool onEdge = false;
        if (planar::ringContains(partPoints(part), partSize(part), p, onEdge)) {
            if (onEdge) {
                return true;
            }
            inside = !inside;
        }
    }
    return inside;
}

double VectorData::featureDistance(FeatureId f, const MapPoint& p) const {
    if (featureContains(f, p)) {
        return 0.0;
    }
    const bool closed = m_type == ShapeType::Polygon || m_type == ShapeType::Rectangle;
    double best = kInfinity;
    for (std::uint32_t part = firstPart(f); part < endPart(f); ++part) {
        best = std::min(best, planar::distanceToPath(partPoints(part), partSize(part), p, closed));
    }
    return best;
}

std::vector<VectorData::FeatureId> VectorData::featuresContaining(const MapPoint& p) const {
    std::vector<FeatureId> found = featuresInBox(Rectangle::around(p));
    std::erase_if(found, [&](FeatureId f) { return !featureContains(f, p); });
    return found;
}

std::vector<VectorData::FeatureId> VectorData::featuresWithin(const MapPoint& p,
                                                              double distance) const {
    if (!(distance >= 0)) {
        return {};
    }
    if (m_type == ShapeType::Point) {
        // The index holds the coordinates: measure there, without a trip to
        // the store for each candidate.
        std::vector<FeatureId> found;
        const IndexBox query(IndexPoint(p.x - distance, p.y - distance),
                             IndexPoint(p.x + distance, p.y + distance));
        m_pointIndex.query(
            bgi::intersects(query), boost::make_function_output_iterator([&](const PointValue& v) {
                if (std::hypot(v.first.get<0>() - p.x, v.first.get<1>() - p.y) <= distance) {
                    found.push_back(v.second);
                }
            }));
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }
    std::vector<FeatureId> found =
        featuresInBox(Rectangle(p.x - distance, p.x + distance, p.y + distance, p.y - distance));
    std::erase_if(found, [&](FeatureId f) { return featureDistance(f, p) > distance; });
    return found;
}

std::size_t VectorData::memoryBytes() const {
    return m_points.capacity() * sizeof(MapPoint) +
           m_partStarts.capacity() * sizeof(std::uint32_t) + m_partHoles.capacity() +
           m_featureParts.capacity() * sizeof(std::uint32_t) +
           m_boxes.capacity() * sizeof(IndexBox) +
           m_index.size() * (sizeof(IndexValue) + sizeof(void*)) * 4 / 3 +
           m_pointIndex.size() * (sizeof(PointValue) + sizeof(void*)) * 4 / 3 +
           m_table.memoryBytes();
}

// --- Loading -------------------------------------------------------------------

namespace {

enum class TextEncoding { Windows1252, Utf8 };

// The encoding the .cpg beside the shapefile names; legacy files without one
// are Windows-1252. Code pages other than these two are left to OGR, which
// recodes them to UTF-8.
// The file beside `path` with the same base name and `suffix`, whatever the
// case of its name; empty when there is none.
QString sideFile(const QString& path, const QString& suffix) {
    const QFileInfo info(path);
    const QString wanted = info.completeBaseName() + QLatin1Char('.') + suffix;
    for (const QString& entry : QDir(info.absolutePath()).entryList(QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
            return info.absolutePath() + QLatin1Char('/') + entry;
        }
    }
    return {};
}

TextEncoding encodingOf(const QString& shpPath, bool& letOgrRecode) {
    letOgrRecode = false;
    const QString cpgPath = sideFile(shpPath, QStringLiteral("cpg"));
    if (cpgPath.isEmpty()) {
        return TextEncoding::Windows1252;
    }
    QFile cpg(cpgPath);
    if (!cpg.open(QIODevice::ReadOnly)) {
        return TextEncoding::Windows1252;
    }
    const QByteArray name = cpg.read(64).trimmed().toUpper();
    if (name.isEmpty() || name == "1252" || name == "ANSI 1252" || name == "CP1252" ||
        name == "WINDOWS-1252") {
        return TextEncoding::Windows1252;
    }
    if (name == "UTF-8" || name == "UTF8" || name == "65001") {
        return TextEncoding::Utf8;
    }
    letOgrRecode = true;
    return TextEncoding::Utf8;
}

ShapeType shapeTypeOf(OGRwkbGeometryType type, bool& supported) {
    supported = true;
    switch (wkbFlatten(type)) {
        case wkbPoint:
        case wkbMultiPoint:
            return ShapeType::Point;
        case wkbLineString:
        case wkbMultiLineString:
            return ShapeType::Line;
        case wkbPolygon:
        case wkbMultiPolygon:
            return ShapeType::Polygon;
        default:
            supported = false;
            return ShapeType::Point;
    }
}

// The kind of shape of a geometry type of another format than the shapefile:
// the simple types, their multi forms and their curved forms (drawn as
// lines through their vertices). Nothing for a type that says nothing (a
// layer of any geometry, a collection) or one that is none of these.
std::optional<ShapeType> shapeFamilyOf(OGRwkbGeometryType type) {
    switch (wkbFlatten(type)) {
        case wkbPoint:
        case wkbMultiPoint:
            return ShapeType::Point;
        case wkbLineString:
        case wkbMultiLineString:
        case wkbCircularString:
        case wkbCompoundCurve:
        case wkbMultiCurve:
        case wkbCurve:
            return ShapeType::Line;
        case wkbPolygon:
        case wkbMultiPolygon:
        case wkbCurvePolygon:
        case wkbMultiSurface:
        case wkbSurface:
            return ShapeType::Polygon;
        default:
            return std::nullopt;
    }
}

// Leaves every attribute of the layer's features unread: only geometry is read.
void ignoreEveryField(OGRLayer& layer) {
    std::vector<const char*> ignored;
    const OGRFeatureDefn* defn = layer.GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        ignored.push_back(defn->GetFieldDefn(i)->GetNameRef());
    }
    ignored.push_back(nullptr);
    layer.SetIgnoredFields(ignored.data());
}

// What the geometries of a layer that declares no single type are: the one
// kind of shape they all have (points when there is none), or why the layer
// cannot be one theme.
std::variant<ShapeType, QString> scannedShapeType(OGRLayer& layer) {
    ignoreEveryField(layer);
    std::optional<ShapeType> found;
    bool mixed = false;
    bool unsupported = false;
    const std::function<void(const OGRGeometry*)> visit = [&](const OGRGeometry* geometry) {
        if (!geometry || geometry->IsEmpty()) {
            return;
        }
        if (wkbFlatten(geometry->getGeometryType()) == wkbGeometryCollection) {
            for (const OGRGeometry* member : *geometry->toGeometryCollection()) {
                visit(member);
            }
            return;
        }
        const std::optional<ShapeType> type = shapeFamilyOf(geometry->getGeometryType());
        if (!type) {
            unsupported = true;
        } else if (found && *found != *type) {
            mixed = true;
        } else {
            found = type;
        }
    };
    layer.ResetReading();
    for (OGRFeatureUniquePtr feature(layer.GetNextFeature()); feature && !mixed && !unsupported;
         feature.reset(layer.GetNextFeature())) {
        visit(feature->GetGeometryRef());
    }
    layer.SetIgnoredFields(nullptr);
    layer.ResetReading();
    if (unsupported) {
        return QStringLiteral("tipo de geometria não suportado");
    }
    if (mixed) {
        return QStringLiteral(
            "a camada mistura pontos, linhas e polígonos, e um tema mostra um tipo só");
    }
    return found.value_or(ShapeType::Point);
}

// The kind of shape of a layer: a shapefile's from its declared type; a
// layer of another format from its declared type when that says it, else
// from its geometries.
std::variant<ShapeType, QString> layerShapeType(OGRLayer& layer, bool isShapefile) {
    const OGRwkbGeometryType declared = layer.GetGeomType();
    if (isShapefile) {
        bool supported = false;
        const ShapeType type = shapeTypeOf(declared, supported);
        if (!supported) {
            return QStringLiteral("tipo de geometria não suportado");
        }
        return type;
    }
    if (const std::optional<ShapeType> type = shapeFamilyOf(declared)) {
        return *type;
    }
    const OGRwkbGeometryType flat = wkbFlatten(declared);
    if (flat == wkbUnknown || flat == wkbGeometryCollection) {
        return scannedShapeType(layer);
    }
    return QStringLiteral("tipo de geometria não suportado");
}

FieldInfo fieldInfoOf(const OGRFieldDefn& defn) {
    FieldInfo info;
    info.name = QString::fromUtf8(defn.GetNameRef());
    info.width = defn.GetWidth();
    info.precision = defn.GetPrecision();
    switch (defn.GetType()) {
        case OFTInteger:
            info.type = defn.GetSubType() == OFSTBoolean ? FieldType::Boolean : FieldType::Integer;
            break;
        case OFTInteger64:
            info.type = FieldType::Integer;
            break;
        case OFTReal:
            info.type = FieldType::Double;
            break;
        case OFTDate:
            info.type = FieldType::Date;
            break;
        default:
            info.type = FieldType::Text;
            break;
    }
    return info;
}

// Appends a curve's vertices as one part.
void addCurve(VectorData::Builder& builder, const OGRSimpleCurve& curve, bool isHole,
              std::vector<OGRRawPoint>& scratch) {
    const int n = curve.getNumPoints();
    scratch.resize(static_cast<std::size_t>(std::max(n, 0)));
    curve.getPoints(scratch.data());
    static_assert(sizeof(OGRRawPoint) == sizeof(MapPoint));
    builder.addPart(reinterpret_cast<const MapPoint*>(scratch.data()), scratch.size(), isHole);
}

void addPolygon(VectorData::Builder& builder, const OGRPolygon& polygon,
                std::vector<OGRRawPoint>& scratch) {
    if (const OGRLinearRing* outer = polygon.getExteriorRing();
        outer && outer->getNumPoints() > 0) {
        addCurve(builder, *outer, false, scratch);
        for (int i = 0; i < polygon.getNumInteriorRings(); ++i) {
            addCurve(builder, *polygon.getInteriorRing(i), true, scratch);
        }
    }
}

void addGeometry(VectorData::Builder& builder, const OGRGeometry* geometry,
                 std::vector<OGRRawPoint>& scratch) {
    if (!geometry || geometry->IsEmpty()) {
        return;
    }
    switch (wkbFlatten(geometry->getGeometryType())) {
        case wkbPoint: {
            const auto* p = geometry->toPoint();
            const MapPoint point{p->getX(), p->getY()};
            builder.addPart(&point, 1);
            break;
        }
        case wkbLineString:
            addCurve(builder, *geometry->toLineString(), false, scratch);
            break;
        case wkbPolygon:
            addPolygon(builder, *geometry->toPolygon(), scratch);
            break;
        case wkbMultiPoint:
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection:
            for (const OGRGeometry* member : *geometry->toGeometryCollection()) {
                addGeometry(builder, member, scratch);
            }
            break;
        default:
            // Curves are drawn through the vertices of their linear form;
            // surfaces of other kinds are not drawn.
            if (OGR_GT_IsNonLinear(geometry->getGeometryType())) {
                const std::unique_ptr<OGRGeometry> linear(geometry->getLinearGeometry());
                addGeometry(builder, linear.get(), scratch);
            }
            break;
    }
}

void decodeInto(std::u16string& out, const char* bytes, TextEncoding encoding) {
    const auto size = static_cast<qsizetype>(std::strlen(bytes));
    if (encoding == TextEncoding::Utf8) {
        const QString text = QString::fromUtf8(bytes, size);
        out.assign(reinterpret_cast<const char16_t*>(text.utf16()),
                   static_cast<std::size_t>(text.size()));
        return;
    }
    out.resize(static_cast<std::size_t>(size));
    platform::decodeWindows1252(QByteArrayView(bytes, size), out.data());
}

}  // namespace

namespace {

// What one reading pass over the features saw.
struct Pass {
    std::size_t features = 0;
    bool failed = false;
    QString messages;
};

// Reads every feature's geometry, with the attributes left unread.
// Tells `progress` the share read every kProgressFeatures features.
Pass readGeometry(OGRLayer& layer, VectorData::Builder& builder, std::size_t expected,
                  const LoadProgress& progress) {
    constexpr std::size_t kProgressFeatures = 4096;
    ScopedGdalErrors errors;
    Pass pass;
    ignoreEveryField(layer);
    std::vector<OGRRawPoint> scratch;
    layer.ResetReading();
    for (OGRFeatureUniquePtr feature(layer.GetNextFeature()); feature;
         feature.reset(layer.GetNextFeature())) {
        addGeometry(builder, feature->GetGeometryRef(), scratch);
        builder.endFeature();
        ++pass.features;
        if (progress && expected > 0 && pass.features % kProgressFeatures == 0) {
            progress(std::min(1.0, static_cast<double>(pass.features) / expected));
        }
    }
    pass.failed = errors.hasFailure();
    pass.messages = errors.messages();
    return pass;
}

// Reads every feature's attributes, with the geometry left unread.
Pass readAttributes(OGRLayer& layer, AttributeTable& table, TextEncoding encoding) {
    ScopedGdalErrors errors;
    Pass pass;
    const char* const ignored[] = {"OGR_GEOMETRY", nullptr};
    layer.SetIgnoredFields(const_cast<const char**>(ignored));
    const int fieldCount = table.fieldCount();
    std::vector<bool> numeric;
    for (int i = 0; i < fieldCount; ++i) {
        numeric.push_back(table.field(i).isNumeric());
    }
    std::u16string text;
    layer.ResetReading();
    for (OGRFeatureUniquePtr feature(layer.GetNextFeature()); feature;
         feature.reset(layer.GetNextFeature())) {
        for (int i = 0; i < fieldCount; ++i) {
            if (!feature->IsFieldSetAndNotNull(i)) {
                table.appendNull(i);
            } else if (numeric[static_cast<std::size_t>(i)]) {
                table.appendNumber(i, feature->GetFieldAsDouble(i));
            } else {
                decodeInto(text, feature->GetFieldAsString(i), encoding);
                table.appendText(i, QStringView(text.data(), static_cast<qsizetype>(text.size())));
            }
        }
        ++pass.features;
    }
    pass.failed = errors.hasFailure();
    pass.messages = errors.messages();
    return pass;
}

// The system the data declares: the layer's own (any OGR layer). A
// shapefile without one that has a .prj beside it OGR could not read gets
// the reason instead, so that the user hears of it.
struct DeclaredSystem {
    std::optional<CoordinateSystem> system;
    QString problem;
};

DeclaredSystem declaredSystem(OGRLayer& layer, const QString& nativePath, bool isShapefile) {
    ScopedGdalErrors errors;
    if (std::optional<CoordinateSystem> system =
            CoordinateSystem::fromSpatialReference(layer.GetSpatialRef())) {
        if (!system->isGeographic() && !system->isProjected()) {
            return {std::nullopt, QStringLiteral("o sistema \"%1\" não é geográfico nem projetado")
                                      .arg(system->name())};
        }
        return {std::move(system), {}};
    }
    if (!isShapefile) {
        return {};
    }
    const QString prj = sideFile(nativePath, QStringLiteral("prj"));
    if (prj.isEmpty()) {
        return {};
    }
    QFile file(prj);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, QStringLiteral("o arquivo %1 não pôde ser aberto: %2")
                                  .arg(QFileInfo(prj).fileName(), file.errorString())};
    }
    auto read = CoordinateSystem::fromText(file.read(1 << 20));
    if (auto* system = std::get_if<CoordinateSystem>(&read)) {
        return {std::move(*system), {}};
    }
    return {std::nullopt, QStringLiteral("o arquivo %1 não descreve um sistema de coordenadas: %2")
                              .arg(QFileInfo(prj).fileName(), std::get<QString>(read))};
}

// Transforms what the builder holds into `target` when the data declares
// another system; data that cannot be transformed stays as it is, with
// PROJ's reason.
void moveIntoTarget(VectorData::Builder& builder, DeclaredSystem declared,
                    const std::optional<CoordinateSystem>& target) {
    if (!declared.system || !target || declared.system->isSame(*target)) {
        builder.setCoordinateSystem(std::move(declared.system), std::move(declared.problem));
        return;
    }
    ScopedGdalErrors errors;
    auto created = Transformation::create(*declared.system, *target);
    if (const auto* reason = std::get_if<QString>(&created)) {
        builder.setCoordinateSystem(std::move(declared.system), *reason);
        return;
    }
    const Transformation::Outcome outcome = builder.transform(std::get<Transformation>(created));
    if (!outcome) {
        builder.setCoordinateSystem(std::move(declared.system), outcome.reason);
        return;
    }
    builder.setCoordinateSystem(target, {});
}

}  // namespace

std::variant<std::shared_ptr<const VectorData>, VectorData::LoadError> VectorData::load(
    const QString& nativePath, const QString& layerName,
    const std::optional<CoordinateSystem>& target, const LoadProgress& progress) {
    registerGdal();
    ScopedGdalErrors errors;
    QString detail;
    const QString subject =
        layerName.isEmpty() ? nativePath : nativePath + QStringLiteral("|layername=") + layerName;
    const auto failure = [&](const QString& what) {
        QString message = QStringLiteral("%1: %2").arg(subject, what);
        const QString gdal = (errors.messages() + QLatin1Char('\n') + detail).trimmed();
        if (!gdal.isEmpty()) {
            message += QStringLiteral(" (") + gdal + QLatin1Char(')');
        }
        return LoadError{message};
    };
    if (!QFileInfo(nativePath).isFile()) {
        return failure(QStringLiteral("arquivo não encontrado"));
    }

    // A shapefile's text is decoded by its .cpg, or taken as Windows-1252;
    // the other formats' text comes from OGR in UTF-8.
    const bool isShapefile = vectorFormatOf(nativePath) == VectorFormat::Shapefile;
    bool letOgrRecode = false;
    const TextEncoding encoding =
        isShapefile ? encodingOf(nativePath, letOgrRecode) : TextEncoding::Utf8;
    const QStringList shapefileOptions =
        letOgrRecode ? QStringList() : QStringList{QStringLiteral("ENCODING=")};
    // Geometry and attributes are read at once, each through its own handle
    // on its own thread: the attribute pass costs as much as the geometry one.
    std::variant<VectorSource, QString> geometrySource =
        VectorSource::open(nativePath, layerName, shapefileOptions);
    if (const auto* refused = std::get_if<QString>(&geometrySource)) {
        return failure(*refused);
    }
    std::variant<VectorSource, QString> attributeSource =
        VectorSource::open(nativePath, layerName, shapefileOptions);
    if (const auto* refused = std::get_if<QString>(&attributeSource)) {
        return failure(*refused);
    }
    OGRLayer& geometryLayer = std::get<VectorSource>(geometrySource).layer();
    OGRLayer& attributeLayer = std::get<VectorSource>(attributeSource).layer();
    const std::variant<ShapeType, QString> shapeType = layerShapeType(geometryLayer, isShapefile);
    if (const auto* refused = std::get_if<QString>(&shapeType)) {
        return failure(*refused);
    }
    const ShapeType type = std::get<ShapeType>(shapeType);

    DeclaredSystem declared = declaredSystem(geometryLayer, nativePath, isShapefile);

    QList<FieldInfo> fields;
    const OGRFeatureDefn* defn = attributeLayer.GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        fields.append(fieldInfoOf(*defn->GetFieldDefn(i)));
    }
    const GIntBig count = geometryLayer.GetFeatureCount(FALSE);
    const std::size_t expected = count > 0 ? static_cast<std::size_t>(count) : 0;
    Builder builder(type, AttributeTable{});
    // A vertex takes 16 bytes in a shapefile and more in the other formats
    // (but for KMZ, whose text is compressed), so the file size bounds the
    // vertex count; the store grows past it when it must.
    builder.reserve(expected, static_cast<std::size_t>(QFileInfo(nativePath).size()) / 16);
    AttributeTable table(fields);
    table.reserve(static_cast<qsizetype>(expected));

    Pass attributes;
    std::exception_ptr attributeError;
    std::thread attributeReader([&] {
        try {
            attributes = readAttributes(attributeLayer, table, encoding);
        } catch (...) {
            attributeError = std::current_exception();
        }
    });
    Pass geometry;
    try {
        geometry = readGeometry(geometryLayer, builder, expected, progress);
        moveIntoTarget(builder, std::move(declared), target);
        builder.buildIndex();  // while the attributes are still being read
    } catch (const std::exception& e) {
        geometry.failed = true;
        geometry.messages = QString::fromUtf8(e.what());
    }
    attributeReader.join();
    if (attributeError) {
        attributes.failed = true;
    }
    detail = (geometry.messages + QLatin1Char('\n') + attributes.messages).trimmed();
    if (geometry.failed || attributes.failed || errors.hasFailure()) {
        return failure(QStringLiteral("erro de leitura"));
    }
    if (geometry.features != attributes.features) {
        return failure(
            QStringLiteral("a geometria e a tabela não têm o mesmo número de registros"));
    }
    builder.table() = std::move(table);
    return builder.finish();
}

}  // namespace mapcontrol
