#include "wms/fixed_connections.h"

#include "platform/settings.h"
#include "wms/wms_text.h"

#include <QtGlobal>

#include <csetjmp>
#include <cstdio>

// libjpeg's headers need FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace wms {

namespace {

QString number(int value) {
    return QString::number(value);
}

// A GetMap of the grids server's `service` ("wmsRelevo", "arim").
QString gridsUrl(const QString& gridsHost, const QString& service, const QString& layer,
                 const mapcontrol::Rectangle& extent, int width, int height) {
    return gridsHost + QStringLiteral("/cgi-bin/wmsserver/") + service +
           QStringLiteral("?service=WMS&&version=1.1.1&&request=GetMap&&layers=") + layer +
           QStringLiteral("&&format=image/jpeg&&srs=epsg:4326&&bbox=") + bboxText(extent) +
           QStringLiteral("&&width=") + number(width) + QStringLiteral("&&height=") +
           number(height) + QStringLiteral("&&styles=");
}

}  // namespace

QString mapGroupUrl(const QString& gatewayHost, const MapGroupRequest& request, int width,
                    int height) {
    const QString& name = request.mapName;
    QString url = gatewayHost + QStringLiteral("/cgi-bin/servpqd1.exe/acao2?mapa=") + name;
    if (request.group != kOtherMapsGroup) url += QStringLiteral("_lito");
    url +=
        QStringLiteral("&&largura=") + number(width) + QStringLiteral("&&altura=") + number(height);
    if (!request.searchCode.isEmpty()) url += QStringLiteral("&&pesquisa=") + request.searchCode;
    if (request.drainage) {
        url += QStringLiteral("&&riosuni=") + name + QStringLiteral("_unifilar&&riosbi=") + name +
               QStringLiteral("_bifilar");
    }
    if (request.structural)
        url += QStringLiteral("&&estrutural=") + name + QStringLiteral("_estrut");
    if (request.roads) url += QStringLiteral("&&estrada=s");
    if (request.towns) url += QStringLiteral("&&municipal=s");
    return url;
}

QString mosaicUrl(const QString& mosaicHost, MosaicType type, const mapcontrol::Rectangle& extent,
                  int width, int height) {
    QString layer;
    switch (type) {
        case MosaicType::Pan:
            layer = QStringLiteral("&layers=global_mosaic&styles=visual");
            break;
        case MosaicType::Composite:
            layer = QStringLiteral("&layers=global_mosaic&styles=");
            break;
        case MosaicType::DailyPlanet:
            layer = QStringLiteral("&layers=daily_planet&styles=");
            break;
    }
    return mosaicHost + QStringLiteral("/wms.cgi?request=GetMap&width=") + number(width) +
           QStringLiteral("&height=") + number(height) + layer +
           QStringLiteral("&srs=EPSG:4326&format=image/jpeg&bbox=") + bboxText(extent);
}

QString geologyUrl(const QString& geologyHost, const mapcontrol::Rectangle& extent, int width,
                   int height) {
    return geologyHost +
           QStringLiteral(
               "/cgi-bin/wmsserver/wms1000K?service=WMS&version=1.1.1&request=GetMap"
               "&layers=GEOLOGIA&format=image/jpeg&srs=epsg:4326&bbox=") +
           bboxText(extent) + QStringLiteral("&width=") + number(width) +
           QStringLiteral("&height=") + number(height) + QStringLiteral("&styles=");
}

QString reliefUrl(const QString& gridsHost, const QString& layer,
                  const mapcontrol::Rectangle& extent, int width, int height) {
    return gridsUrl(gridsHost, QStringLiteral("wmsRelevo"), layer, extent, width, height);
}

const QStringList& mineralLayerNames() {
    // "hierarquiva_gemas" is the server's own layer name.
    static const QStringList names = {
        QStringLiteral("modelo_minerais"),   QStringLiteral("hierarquia_minerais"),
        QStringLiteral("arim_minerais"),     QStringLiteral("modelo_gemas"),
        QStringLiteral("hierarquiva_gemas"), QStringLiteral("arim_gemas"),
        QStringLiteral("modelo_metais"),     QStringLiteral("hierarquia_metais"),
        QStringLiteral("arim_metais")};
    return names;
}

QString mineralGridUrl(const QString& gridsHost, const QString& layer,
                       const mapcontrol::Rectangle& extent, int width, int height) {
    return gridsUrl(gridsHost, QStringLiteral("arim"), layer, extent, width, height);
}

QString fixedConnectionUrl(const platform::Settings& settings, const FixedRequest& request,
                           const mapcontrol::Rectangle& extent, int width, int height) {
    switch (request.kind) {
        case FixedKind::MapGroups:
            if (request.map.mapName.isEmpty()) return {};
            return mapGroupUrl(settings.gatewayHost, request.map, width, height);
        case FixedKind::Mosaic:
            return mosaicUrl(settings.mosaicWmsHost, request.mosaic, extent, width, height);
        case FixedKind::Geology:
            return geologyUrl(settings.geologyWmsHost, extent, width, height);
        case FixedKind::Relief90:
            return reliefUrl(settings.gridsWmsHost, QStringLiteral("relevo90"), extent, width,
                             height);
        case FixedKind::Relief30:
            return reliefUrl(settings.gridsWmsHost, QStringLiteral("relevo30"), extent, width,
                             height);
        case FixedKind::MineralGrids: {
            const QStringList& names = mineralLayerNames();
            if (request.mineralLayer < 0 || request.mineralLayer >= names.size()) return {};
            return mineralGridUrl(settings.gridsWmsHost, names.at(request.mineralLayer), extent,
                                  width, height);
        }
        case FixedKind::Disconnect:
            break;
    }
    return {};
}

QString mapGroupLegendUrl(const QString& gatewayHost, const QString& mapName) {
    return gatewayHost + QStringLiteral("/cgi-bin/servpqd1.exe/acao4?mapa=") + mapName +
           QStringLiteral("_lito&&composta=S&&ambos=s");
}

QString mapListUrl(const QString& gatewayHost) {
    return gatewayHost + QStringLiteral("/cgi-bin/servpqd1.exe/acao5");
}

QString vectorUrl(const QString& gatewayHost, const mapcontrol::Rectangle& extent) {
    const auto coordinate = [](double v) { return fixedText(v, 12, 3); };
    return gatewayHost +
           QStringLiteral(
               "/cgi-bin/BRA_KXT_Bedrock_Geology/wms?outputformat=GML2&&service=WFS"
               "&&version=1.0.0&&request=GetFeature&&typename=BRA_KXT_1M_BLS&&filter=<FILTER>"
               "<BBOX><PropertyName>SHAPE*</PropertyName><box><coordinates%20decimal=\".\"%20"
               "cs=\",\"%20ts=\"%20\">") +
           coordinate(extent.left()) + QLatin1Char(',') + coordinate(extent.bottom()) +
           QStringLiteral("%20") + coordinate(extent.right()) + QLatin1Char(',') +
           coordinate(extent.top()) + QStringLiteral("</coordinates></box></BBOX></Filter>");
}

const std::vector<MapGroup>& mapGroups() {
    static const std::vector<MapGroup> groups = {
        {QStringLiteral("GEOLOGICOS-PRJ-VORN"), 6},
        {QStringLiteral("GEOLOGICOS-UNIVERSIDADES"), 2},
        {QStringLiteral("GEOLOGICOS-ESTADUAIS"), 3},
        {QStringLiteral("GEOLOGICOS-SIG-1:1.000.000"), 1},
        {QStringLiteral("GEOLOGICOS-SIG-1:2.500.000"), 8},
        {QStringLiteral("GEOAMBIENTAIS"), 4},
        {QStringLiteral("OUTROS MAPAS"), kOtherMapsGroup},
    };
    return groups;
}

QString mapGroupText(const MapGroup& group) {
    return (group.caption + QLatin1Char(' ')).leftJustified(30, QLatin1Char(' ')) +
           QLatin1Char(',') + number(group.number);
}

namespace {

std::optional<int> wholeNumber(QStringView text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

std::optional<int> groupNumber(const QString& text) {
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0) return std::nullopt;
    return wholeNumber(QStringView(text).mid(comma + 1));
}

QStringList mapListLinesOfGroup(const QStringList& lines, int group) {
    QStringList found;
    for (const QString& line : lines) {
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        const qsizetype semicolon = line.indexOf(QLatin1Char(';'));
        if (comma < 0 || semicolon < comma) continue;
        if (wholeNumber(QStringView(line).mid(comma + 1, semicolon - comma - 1)) == group) {
            found.append(line);
        }
    }
    return found;
}

std::optional<MapChoice> parseMapLine(const QString& line) {
    MapChoice choice;
    QString rest = line;
    const qsizetype firstStar = rest.indexOf(QLatin1Char('*'));
    const qsizetype secondStar = firstStar < 0 ? -1 : rest.indexOf(QLatin1Char('*'), firstStar + 1);
    if (secondStar > firstStar) {
        choice.searchCode = rest.mid(firstStar + 1, secondStar - firstStar - 1);
        rest.remove(firstStar, secondStar - firstStar + 1);
    }
    const qsizetype semicolon = rest.indexOf(QLatin1Char(';'));
    if (semicolon < 0) return std::nullopt;
    const QStringList fields = rest.mid(semicolon + 1).split(QLatin1Char(','));
    if (fields.size() < 5) return std::nullopt;
    choice.mapName = fields.at(0).trimmed();
    if (choice.mapName.isEmpty()) return std::nullopt;
    double values[4] = {};  // top, left, bottom, right
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> value = parseNumber(fields.at(i + 1));
        if (!value) return std::nullopt;
        values[i] = *value;
    }
    const double top = values[0], left = values[1], bottom = values[2], right = values[3];
    if (!(left < right && bottom < top)) return std::nullopt;
    choice.extent = mapcontrol::Rectangle(left, right, top, bottom);
    return choice;
}

namespace {

// libjpeg reports an error by calling error_exit, which must not return:
// it jumps back to the decoder with the message code kept.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    int code = 0;
};

extern "C" void jumpOnJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    errors->code = errors->manager.msg_code;
    std::longjmp(errors->jump, 1);
}

// Warnings (a cut stream, corrupt data that decodes anyway) are not printed.
extern "C" void ignoreJpegMessage(j_common_ptr) {}

// Owns a libjpeg decompressor.
struct Decompressor {
    jpeg_decompress_struct info{};
    JpegErrors errors{};

    Decompressor() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = jumpOnJpegError;
        errors.manager.output_message = ignoreJpegMessage;
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// The steps that may raise a libjpeg error. Everything with a destructor
// lives in the caller's frame, so the jump back skips none.
std::optional<int> decodeInto(Decompressor& d, const QByteArray& bytes, qint64 maxPixels,
                              QImage& image) {
    jpeg_decompress_struct& info = d.info;
    if (setjmp(d.errors.jump) != 0) return d.errors.code;

    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    info.out_color_space = JCS_EXT_BGRX;  // the bytes of Format_RGB32
#else
    info.out_color_space = JCS_EXT_XRGB;
#endif
    jpeg_calc_output_dimensions(&info);
    if (qint64(info.output_width) * info.output_height > maxPixels) return JERR_IMAGE_TOO_BIG;
    jpeg_start_decompress(&info);

    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (image.isNull()) return JERR_OUT_OF_MEMORY;
    image.fill(0xFFFFFFFFu);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        // A memory source never suspends, so every call delivers a row;
        // should one not, finishing reports the rows missing.
        if (jpeg_read_scanlines(&info, &row, 1) == 0) break;
    }
    jpeg_finish_decompress(&info);
    return std::nullopt;
}

}  // namespace

JpegDecode decodeWithLibjpeg(const QByteArray& bytes, qint64 maxPixels) {
    JpegDecode result;
    Decompressor decompressor;
    result.error = decodeInto(decompressor, bytes, maxPixels, result.image);
    return result;
}

QString kindOneJpegMessage(int code) {
    switch (code) {
        case JERR_NO_QUANT_TABLE:
            return QStringLiteral("Tente novamente...");
        case JERR_SOF_UNSUPPORTED:
        case JERR_TOO_LITTLE_DATA:
            return {};
        default:
            return QStringLiteral("Error loading JPEG file");
    }
}

}  // namespace wms
