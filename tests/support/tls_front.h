#pragma once

#include "support/lighttpd.h"

#include <QString>
#include <QTemporaryDir>

#include <map>

namespace support {

// A TLS front for tests: lighttpd with its OpenSSL module on 127.0.0.1,
// passing every request on to an HTTP server on loopback (the recording
// server or the MapServer test server) at `backendPort`. The constructor
// makes, with the openssl tool in a temporary folder, a certificate
// authority and four server certificates, and listens with each on a port
// of its own:
//   Trusted     made out to 127.0.0.1 and localhost by the authority;
//   Expired     the same, valid only in January 2020;
//   OtherHost   by the authority, made out to another name only;
//   SelfSigned  made out to 127.0.0.1 and signed by itself.
// A plain HTTP port redirects every request to the same path and query on
// the trusted port. On the trusted port, "/voltas/<n>/<rest>" (n from 1 to
// 9) redirects n times before it reaches "/<rest>", "/ftp/<rest>" redirects
// to an ftp:// address and "/arquivo/<rest>" to a file:// one.
// The destructor stops lighttpd and removes the folder. Each test makes its
// own.
//
// Use:
//   support::TlsFront front(server.port());
//   if (!front.available()) GTEST_SKIP() << front.skipReason();
//   ASSERT_TRUE(front.isRunning()) << front.startError();
class TlsFront {
public:
    enum class Certificate { Trusted, Expired, OtherHost, SelfSigned };

    explicit TlsFront(int backendPort);
    ~TlsFront();
    TlsFront(const TlsFront&) = delete;
    TlsFront& operator=(const TlsFront&) = delete;

    // False when lighttpd, its OpenSSL module or the openssl tool is missing.
    bool available() const { return m_skipReason.isEmpty(); }
    QString skipReason() const { return m_skipReason; }
    bool isRunning() const { return m_running; }
    // Why an installed front did not start, with its logs; empty when it runs.
    QString startError() const { return m_startError; }

    // The authority's certificate (PEM), to be trusted through the settings.
    QString caFile() const;
    int port(Certificate certificate) const { return m_ports.at(certificate); }
    int httpPort() const { return m_httpPort; }
    // "https://127.0.0.1:<port of the certificate>" followed by `pathAndQuery`.
    QString httpsUrl(Certificate certificate, const QString& pathAndQuery) const;
    // "http://127.0.0.1:<plain port>" followed by `pathAndQuery`.
    QString httpUrl(const QString& pathAndQuery) const;
    QString logs() const;

private:
    QString makeCertificates() const;
    QString writeConfiguration() const;
    void stop();

    QTemporaryDir m_dir;
    Lighttpd m_lighttpd;
    QString m_openssl;
    QString m_skipReason;
    QString m_startError;
    int m_backendPort = 0;
    int m_httpPort = 0;
    std::map<Certificate, int> m_ports;
    bool m_running = false;
};

}  // namespace support
