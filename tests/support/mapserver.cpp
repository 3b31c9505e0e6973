#include "support/mapserver.h"

#include "support/fixtures/shapefile_builder.h"
#include "support/lighttpd.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace support {
namespace {

const QString kCgi = QStringLiteral("/usr/lib/cgi-bin/mapserv");
const QString kFont = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
const QString kMapfile = QStringLiteral("teste.map");
const QString kReadyFile = QStringLiteral("pronto.txt");

// A POSIX regular expression matching `text` literally at the start of a
// string: every character but letters, digits, "/", "_" and "-" goes inside
// a bracket, where only "]", "^" and "\" would still be special. Empty when
// the text holds one of those or a double quote (the configuration's string
// delimiter).
QString literalPrefixPattern(const QString& text) {
    QString pattern = QStringLiteral("^");
    for (const QChar c : text) {
        if (c.isLetterOrNumber() || c == u'/' || c == u'_' || c == u'-') {
            pattern += c;
        } else if (c == u']' || c == u'^' || c == u'\\' || c == u'"') {
            return {};
        } else {
            pattern += u'[' + QString(c) + u']';
        }
    }
    return pattern;
}

platform::Result writeGeology(const QString& path) {
    fixtures::ShapefileBuilder units(fixtures::ShapeType::Polygon);
    units.encoding(fixtures::TextEncoding::Utf8, true)
        .spatialReference(4326)
        .textField(QStringLiteral("SIGLA"), 10)
        .textField(QStringLiteral("NOME"), 60)
        .feature(QStringLiteral("POLYGON((-48 -18,-48 -12,-42 -12,-42 -18,-48 -18))"),
                 {QString::fromUtf8(MapServer::kCentralUnit),
                  QString::fromUtf8(MapServer::kCentralUnitName)})
        .feature(QStringLiteral("POLYGON((-50 -20,-50 -19,-49 -19,-49 -20,-50 -20))"),
                 {QString::fromUtf8(MapServer::kCornerUnit),
                  QString::fromUtf8(MapServer::kCornerUnitName)});
    return units.write(path);
}

platform::Result writeOccurrences(const QString& path) {
    fixtures::ShapefileBuilder points(fixtures::ShapeType::Point);
    points.encoding(fixtures::TextEncoding::Utf8, true)
        .spatialReference(4326)
        .textField(QStringLiteral("SUBST"), 10)
        .textField(QStringLiteral("NOME"), 60)
        .feature(QStringLiteral("POINT(-41 -11)"),
                 {QStringLiteral("Au"), QStringLiteral("Garimpo São João")})
        .feature(QStringLiteral("POINT(-46 -16)"),
                 {QStringLiteral("Cu"), QStringLiteral("Mina do Cobre")})
        .feature(QStringLiteral("POINT(-43.5 -19)"),
                 {QStringLiteral("Au"), QStringLiteral("Lavra Velha")});
    return points.write(path);
}

// The mapfile. Paths inside it are relative to its folder.
QString mapfileText(const QString& onlineResource) {
    const int* c = MapServer::kCentralColour;
    QString text = QStringLiteral(R"(MAP
  NAME "quelvora_teste"
  STATUS ON
  SIZE 400 400
  EXTENT %1 %2 %3 %4
  UNITS DD
  IMAGECOLOR 255 255 255
  SHAPEPATH "dados"
  FONTSET "fontes.txt"
  PROJECTION
    "init=epsg:4326"
  END

  OUTPUTFORMAT
    NAME "jpeg"
    DRIVER "AGG/JPEG"
    MIMETYPE "image/jpeg"
    IMAGEMODE RGB
    EXTENSION "jpg"
    FORMATOPTION "QUALITY=90"
  END
  OUTPUTFORMAT
    NAME "png"
    DRIVER "AGG/PNG"
    MIMETYPE "image/png"
    IMAGEMODE RGB
    EXTENSION "png"
  END

  SYMBOL
    NAME "circulo"
    TYPE ELLIPSE
    FILLED TRUE
    POINTS 1 1 END
  END

  LEGEND
    STATUS ON
    KEYSIZE 20 12
    IMAGECOLOR 255 255 255
    LABEL
      TYPE TRUETYPE
      FONT "dejavu"
      SIZE 9
      COLOR 0 0 0
    END
  END

  WEB
    HEADER "cabecalho.html"
    FOOTER "rodape.html"
    METADATA
      "wms_title" "Mapas de teste"
      "wms_abstract" "Servidor de teste do Quelvora"
      "wms_onlineresource" "%5"
      "wms_srs" "EPSG:4326 EPSG:31983"
      "wms_enable_request" "*"
      "wms_feature_info_mime_type" "text/html"
    END
  END

  LAYER
    NAME "%6"
    TYPE POLYGON
    STATUS ON
    DATA "%6"
    TEMPLATE "%6.html"
    HEADER "%6_cabecalho.html"
    FOOTER "%6_rodape.html"
    PROJECTION
      "init=epsg:4326"
    END
    METADATA
      "wms_title" "%7"
      "wms_include_items" "all"
    END
    CLASSITEM "SIGLA"
    CLASS
      NAME "%8 - %9"
      EXPRESSION "%8"
      STYLE
        COLOR %10 %11 %12
        OUTLINECOLOR 0 0 0
      END
    END
    CLASS
      NAME "%13 - %14"
      EXPRESSION "%13"
      STYLE
        COLOR 90 170 90
        OUTLINECOLOR 0 0 0
      END
    END
  END

  LAYER
    NAME "%15"
    TYPE POINT
    STATUS ON
    DATA "%15"
    TEMPLATE "%15.html"
    HEADER "%15_cabecalho.html"
    FOOTER "%15_rodape.html"
    TOLERANCE 5
    PROJECTION
      "init=epsg:4326"
    END
    METADATA
      "wms_title" "%16"
      "wms_include_items" "all"
    END
    CLASS
      NAME "Ocorrência mineral"
      STYLE
        SYMBOL "circulo"
        SIZE 9
        COLOR 30 30 200
      END
    END
  END
END
)");
    return text.arg(MapServer::kWest)
        .arg(MapServer::kSouth)
        .arg(MapServer::kEast)
        .arg(MapServer::kNorth)
        .arg(onlineResource, QString::fromUtf8(MapServer::kGeologyLayer),
             QString::fromUtf8(MapServer::kGeologyTitle),
             QString::fromUtf8(MapServer::kCentralUnit),
             QString::fromUtf8(MapServer::kCentralUnitName))
        .arg(c[0])
        .arg(c[1])
        .arg(c[2])
        .arg(QString::fromUtf8(MapServer::kCornerUnit),
             QString::fromUtf8(MapServer::kCornerUnitName),
             QString::fromUtf8(MapServer::kOccurrencesLayer),
             QString::fromUtf8(MapServer::kOccurrencesTitle));
}

// The templates of the HTML feature info: the page's header and footer, and
// per layer a table with one row per feature found. MapServer only fills
// files whose first line carries its template mark.
struct TemplateFile {
    QString name;
    QString text;
};

QList<TemplateFile> templateFiles() {
    const QString mark = QStringLiteral("<!-- MapServer Template -->\n");
    const QString geology = QString::fromUtf8(MapServer::kGeologyLayer);
    const QString occurrences = QString::fromUtf8(MapServer::kOccurrencesLayer);
    return {
        {QStringLiteral("cabecalho.html"),
         mark + QStringLiteral("<html>\n<head><meta charset=\"UTF-8\"><title>Informações</title>"
                               "</head>\n<body>\n")},
        {QStringLiteral("rodape.html"), mark + QStringLiteral("</body>\n</html>\n")},
        {geology + QStringLiteral("_cabecalho.html"),
         mark + QStringLiteral("<h3>%1</h3>\n<table>\n<tr><th>SIGLA</th><th>NOME</th></tr>\n")
                    .arg(QString::fromUtf8(MapServer::kGeologyTitle))},
        {geology + QStringLiteral(".html"),
         mark + QStringLiteral("<tr><td>[SIGLA]</td><td>[NOME]</td></tr>\n")},
        {geology + QStringLiteral("_rodape.html"), mark + QStringLiteral("</table>\n")},
        {occurrences + QStringLiteral("_cabecalho.html"),
         mark + QStringLiteral("<h3>%1</h3>\n<table>\n<tr><th>SUBST</th><th>NOME</th></tr>\n")
                    .arg(QString::fromUtf8(MapServer::kOccurrencesTitle))},
        {occurrences + QStringLiteral(".html"),
         mark + QStringLiteral("<tr><td>[SUBST]</td><td>[NOME]</td></tr>\n")},
        {occurrences + QStringLiteral("_rodape.html"), mark + QStringLiteral("</table>\n")},
    };
}

// MapServer 8 reads its settings from a configuration file named by the
// environment: the default mapfile, and which paths map= may name.
QString configText(const QString& mapfile, const QString& mapPattern, const QString& errorFile) {
    return QStringLiteral(R"(CONFIG
  ENV
    MS_MAPFILE "%1"
    MS_MAP_PATTERN "%2"
    MS_ERRORFILE "%3"
  END
END
)")
        .arg(mapfile, mapPattern, errorFile);
}

QString lighttpdText(const QString& folder, int port) {
    return QStringLiteral(R"(server.modules = ("mod_alias", "mod_setenv", "mod_cgi")
server.bind = "127.0.0.1"
server.port = %1
server.document-root = "%2/site"
server.errorlog = "%2/lighttpd.log"
alias.url = ("/cgi-bin/mapserv" => "%3")
$HTTP["url"] =~ "^/cgi-bin/" {
  cgi.assign = ("" => "")
}
setenv.add-environment = ("MAPSERVER_CONFIG_FILE" => "%2/mapserver.conf")
)")
        .arg(port)
        .arg(folder, kCgi);
}

// True once the server on `port` answers a GET of the ready file with the
// folder's path, so a port taken by another server does not count.
bool answersAsOurs(int port, const QString& folder, const QDeadlineTimer& deadline) {
    const QByteArray answer = getFromLoopback(port, "/" + kReadyFile.toUtf8(), deadline);
    return answer.startsWith("HTTP/1.") && answer.contains(" 200 ") &&
           answer.endsWith(folder.toUtf8());
}

}  // namespace

MapServer::MapServer() : m_dir(QDir::tempPath() + QStringLiteral("/quelvora-mapserver-XXXXXX")) {
    QStringList missing;
    if (!QFileInfo(kCgi).isExecutable()) {
        missing << QStringLiteral("MapServer's CGI %1 (package cgi-mapserver)").arg(kCgi);
    }
    if (Lighttpd::program().isEmpty()) {
        missing << QStringLiteral("lighttpd (package lighttpd)");
    }
    if (!QFileInfo::exists(kFont)) {
        missing << QStringLiteral("the font %1 (package fonts-dejavu-core)").arg(kFont);
    }
    if (!missing.isEmpty()) {
        m_skipReason = QStringLiteral("not installed: ") + missing.join(QStringLiteral(", ")) +
                       QStringLiteral("; scripts/deps --test installs them");
        return;
    }
    if (!m_dir.isValid()) {
        m_startError = QStringLiteral("cannot make a temporary folder: ") + m_dir.errorString();
        return;
    }
    m_startError = m_lighttpd.startOnFreePorts(
        1,
        [this](const std::vector<int>& ports) {
            m_port = ports.front();
            return writeFiles();
        },
        m_dir.filePath(QStringLiteral("lighttpd.conf")),
        m_dir.filePath(QStringLiteral("lighttpd.out")),
        [this](const QDeadlineTimer& deadline) {
            return answersAsOurs(m_port, m_dir.path(), deadline);
        },
        [this] { return logs(); });
    m_running = m_startError.isEmpty();
}

MapServer::~MapServer() {
    stop();
}

QString MapServer::baseAddress() const {
    return QStringLiteral("http://127.0.0.1:%1/cgi-bin/mapserv?map=%2&")
        .arg(m_port)
        .arg(mapfilePath());
}

QString MapServer::defaultMapAddress() const {
    return QStringLiteral("http://127.0.0.1:%1/cgi-bin/mapserv?").arg(m_port);
}

QString MapServer::mapfilePath() const {
    return m_dir.filePath(kMapfile);
}

QString MapServer::logs() const {
    QString text;
    for (const char* name : {"lighttpd.out", "lighttpd.log", "mapserver.log"}) {
        const QString log = readText(m_dir.filePath(QString::fromLatin1(name))).trimmed();
        if (!log.isEmpty()) {
            text += QStringLiteral("--- %1\n%2\n").arg(QString::fromLatin1(name), log);
        }
    }
    return text;
}

// Writes the data, the mapfile, the templates and both configurations for
// the current port. Returns what failed, or an empty string.
QString MapServer::writeFiles() const {
    const QDir dir(m_dir.path());
    const QString pattern = literalPrefixPattern(dir.path() + u'/');
    if (pattern.isEmpty()) {
        return QStringLiteral(
                   "the temporary folder's path cannot be written in MapServer's "
                   "configuration: ") +
               dir.path();
    }
    if (!dir.mkpath(QStringLiteral("dados")) || !dir.mkpath(QStringLiteral("site"))) {
        return QStringLiteral("cannot make the folders of ") + dir.path();
    }
    const QString data = dir.filePath(QStringLiteral("dados/"));
    for (const platform::Result& written :
         {writeGeology(data + QString::fromUtf8(kGeologyLayer) + QStringLiteral(".shp")),
          writeOccurrences(data + QString::fromUtf8(kOccurrencesLayer) + QStringLiteral(".shp"))}) {
        if (!written) {
            return written.message + u' ' + written.detail;
        }
    }
    QList<TemplateFile> files = templateFiles();
    files.append({kMapfile, mapfileText(baseAddress())});
    files.append({QStringLiteral("fontes.txt"), QStringLiteral("dejavu %1\n").arg(kFont)});
    files.append(
        {QStringLiteral("mapserver.conf"),
         configText(mapfilePath(), pattern, dir.filePath(QStringLiteral("mapserver.log")))});
    files.append({QStringLiteral("lighttpd.conf"), lighttpdText(dir.path(), m_port)});
    files.append({QStringLiteral("site/") + kReadyFile, dir.path()});
    for (const TemplateFile& file : files) {
        if (!writeText(dir.filePath(file.name), file.text)) {
            return QStringLiteral("cannot write ") + dir.filePath(file.name);
        }
    }
    return {};
}

void MapServer::stop() {
    m_running = false;
    m_lighttpd.stop();
}

}  // namespace support
