#pragma once

#include "support/lighttpd.h"

#include <QString>
#include <QTemporaryDir>

namespace support {

// A real WMS 1.1.1 server for tests: MapServer's CGI (Debian's cgi-mapserver)
// behind lighttpd, on 127.0.0.1 and a free port. The constructor writes, in
// a temporary folder, two shapefiles in EPSG:4326, a mapfile that serves
// them in EPSG:4326 and EPSG:31983 (JPEG and PNG pictures, a legend, HTML
// feature info from templates),
// MapServer's configuration and lighttpd's, then starts lighttpd as a child
// and waits until its port answers. The destructor stops lighttpd and
// removes the folder. Not copyable; each test makes its own.
//
// Use:
//   support::MapServer server;
//   if (!server.available()) GTEST_SKIP() << server.skipReason();
//   ASSERT_TRUE(server.isRunning()) << server.startError();
class MapServer {
public:
    // What the server serves. Layer names and titles as the capabilities
    // give them; the polygon layer's text field SIGLA names each unit.
    static constexpr char kGeologyLayer[] = "lito_1000000";
    static constexpr char kGeologyTitle[] = "Geologia";
    static constexpr char kOccurrencesLayer[] = "ocorrencias";
    static constexpr char kOccurrencesTitle[] = "Ocorrências, minerais (Au, Cu)";
    // The map's extent in degrees: west, south, east, north.
    static constexpr double kWest = -50, kSouth = -20, kEast = -40, kNorth = -10;
    // The large unit, a square from (-48, -18) to (-42, -12) around the
    // middle of the map, drawn in kCentralColour; the small one fills the
    // south-west corner, from (-50, -20) to (-49, -19).
    static constexpr char kCentralUnit[] = "NP2xa";
    static constexpr char kCentralUnitName[] = "Complexo Gnáissico Açu";
    static constexpr char kCornerUnit[] = "K2b";
    static constexpr char kCornerUnitName[] = "Formação Marília";
    static constexpr int kCentralColour[3] = {200, 60, 40};

    MapServer();
    ~MapServer();
    MapServer(const MapServer&) = delete;
    MapServer& operator=(const MapServer&) = delete;

    // False when MapServer's CGI or lighttpd is not installed.
    bool available() const { return m_skipReason.isEmpty(); }
    // Why the server is not available; empty when it is.
    QString skipReason() const { return m_skipReason; }
    // True once lighttpd answers on its port.
    bool isRunning() const { return m_running; }
    // Why an installed server did not start, with its logs; empty when it runs.
    QString startError() const { return m_startError; }

    int port() const { return m_port; }
    // The service address queries are appended to, naming the mapfile:
    // "http://127.0.0.1:<port>/cgi-bin/mapserv?map=<mapfile>&".
    QString baseAddress() const;
    // The same service without map=: the server's configuration names the
    // mapfile. "http://127.0.0.1:<port>/cgi-bin/mapserv?".
    QString defaultMapAddress() const;
    // The temporary folder holding the data, the mapfile and the logs.
    QString folder() const { return m_dir.path(); }
    QString mapfilePath() const;
    // lighttpd's and MapServer's error logs, for failure messages.
    QString logs() const;

private:
    QString writeFiles() const;
    void stop();

    QTemporaryDir m_dir;
    Lighttpd m_lighttpd;
    QString m_skipReason;
    QString m_startError;
    int m_port = 0;
    bool m_running = false;
};

}  // namespace support
