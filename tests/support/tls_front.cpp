#include "support/tls_front.h"

#include "support/lighttpd.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <vector>

namespace support {
namespace {

const QString kOpensslModule = QStringLiteral("/usr/lib/lighttpd/mod_openssl.so");
const QString kProxyModule = QStringLiteral("/usr/lib/lighttpd/mod_proxy.so");
constexpr int kMaxRedirectChain = 9;

using Certificate = TlsFront::Certificate;

struct CertificateFiles {
    Certificate certificate;
    const char* name;
};
constexpr CertificateFiles kCertificates[] = {{Certificate::Trusted, "confiavel"},
                                              {Certificate::Expired, "vencido"},
                                              {Certificate::OtherHost, "outro_nome"},
                                              {Certificate::SelfSigned, "autoassinado"}};

QString findOpenssl() {
    const QString found = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("openssl"),
                                                            {QStringLiteral("/usr/bin")})
                           : found;
}

// Runs the openssl tool in `folder`; what went wrong, or an empty string.
QString runOpenssl(const QString& openssl, const QString& folder, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(openssl, arguments);
    if (!process.waitForFinished(30'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return QStringLiteral("openssl %1 failed: %2")
            .arg(arguments.join(u' '), QString::fromUtf8(process.readAll()));
    }
    return {};
}

// The authority's settings for `openssl ca`: an empty database, any subject.
QString caConfiguration(const QString& folder) {
    return QStringLiteral(R"([ca]
default_ca = teste

[teste]
dir = %1
database = %1/index.txt
new_certs_dir = %1
serial = %1/serial
default_md = sha256
policy = livre
unique_subject = no
copy_extensions = none

[livre]
commonName = supplied
)")
        .arg(folder);
}

QString serverExtensions(const QString& names) {
    return QStringLiteral(
               "basicConstraints = CA:FALSE\n"
               "keyUsage = critical, digitalSignature, keyEncipherment\n"
               "extendedKeyUsage = serverAuth\n"
               "subjectAltName = %1\n")
        .arg(names);
}

// True once the plain port answers a GET with its redirect to the trusted
// port, so a port taken by another server does not count.
bool answersAsOurs(int httpPort, int trustedPort, const QDeadlineTimer& deadline) {
    const QByteArray answer = getFromLoopback(httpPort, "/pronto", deadline);
    return answer.startsWith("HTTP/1.") &&
           answer.contains("Location: https://127.0.0.1:" + QByteArray::number(trustedPort) +
                           "/pronto");
}

}  // namespace

TlsFront::TlsFront(int backendPort)
    : m_dir(QDir::tempPath() + QStringLiteral("/quelvora-tls-XXXXXX")), m_backendPort(backendPort) {
    m_openssl = findOpenssl();
    QStringList missing;
    if (Lighttpd::program().isEmpty()) {
        missing << QStringLiteral("lighttpd (package lighttpd)");
    }
    if (!QFileInfo::exists(kOpensslModule)) {
        missing << QStringLiteral("lighttpd's TLS module %1 (package lighttpd-mod-openssl)")
                       .arg(kOpensslModule);
    }
    if (!QFileInfo::exists(kProxyModule)) {
        missing
            << QStringLiteral("lighttpd's proxy module %1 (package lighttpd)").arg(kProxyModule);
    }
    if (m_openssl.isEmpty()) {
        missing << QStringLiteral("the openssl tool (package openssl)");
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
    m_startError = makeCertificates();
    if (!m_startError.isEmpty()) {
        return;
    }
    m_startError = m_lighttpd.startOnFreePorts(
        1 + static_cast<int>(std::size(kCertificates)),
        [this](const std::vector<int>& ports) {
            m_httpPort = ports[0];
            for (size_t i = 0; i < std::size(kCertificates); ++i) {
                m_ports[kCertificates[i].certificate] = ports[i + 1];
            }
            return writeConfiguration();
        },
        m_dir.filePath(QStringLiteral("lighttpd.conf")),
        m_dir.filePath(QStringLiteral("lighttpd.out")),
        [this](const QDeadlineTimer& deadline) {
            return answersAsOurs(m_httpPort, port(Certificate::Trusted), deadline);
        },
        [this] { return logs(); });
    m_running = m_startError.isEmpty();
}

TlsFront::~TlsFront() {
    stop();
}

QString TlsFront::caFile() const {
    return m_dir.filePath(QStringLiteral("ac.pem"));
}

QString TlsFront::httpsUrl(Certificate certificate, const QString& pathAndQuery) const {
    return QStringLiteral("https://127.0.0.1:%1").arg(port(certificate)) + pathAndQuery;
}

QString TlsFront::httpUrl(const QString& pathAndQuery) const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_httpPort) + pathAndQuery;
}

QString TlsFront::logs() const {
    QString text;
    for (const char* name : {"lighttpd.out", "lighttpd.log"}) {
        const QString log = readText(m_dir.filePath(QString::fromLatin1(name))).trimmed();
        if (!log.isEmpty()) {
            text += QStringLiteral("--- %1\n%2\n").arg(QString::fromLatin1(name), log);
        }
    }
    return text;
}

// The authority and the four server certificates, with EC keys (quick to
// make). What failed, or an empty string.
QString TlsFront::makeCertificates() const {
    const QString folder = m_dir.path();
    const QStringList ecKey = {
        QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
        QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    const QString local = QStringLiteral("IP:127.0.0.1, DNS:localhost");
    if (!writeText(m_dir.filePath(QStringLiteral("ac.cnf")), caConfiguration(folder)) ||
        !writeText(m_dir.filePath(QStringLiteral("index.txt")), QString()) ||
        !writeText(m_dir.filePath(QStringLiteral("serial")), QStringLiteral("1000\n")) ||
        !writeText(m_dir.filePath(QStringLiteral("servidor.ext")), serverExtensions(local)) ||
        !writeText(m_dir.filePath(QStringLiteral("outro_nome.ext")),
                   serverExtensions(QStringLiteral("DNS:outro-servidor.invalid")))) {
        return QStringLiteral("cannot write the openssl files in ") + folder;
    }
    // The authority.
    QString failed = runOpenssl(
        m_openssl, folder,
        QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ecKey +
            QStringList{QStringLiteral("-keyout"), QStringLiteral("ac.key"), QStringLiteral("-out"),
                        QStringLiteral("ac.pem"), QStringLiteral("-days"), QStringLiteral("3650"),
                        QStringLiteral("-subj"), QStringLiteral("/CN=Autoridade de teste Quelvora"),
                        QStringLiteral("-addext"),
                        QStringLiteral("basicConstraints=critical,CA:TRUE"),
                        QStringLiteral("-addext"),
                        QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")});
    // The three it signs: trusted, expired, another name.
    struct Signed {
        const char* name;
        const char* commonName;
        const char* extensions;
        QStringList dates;
    };
    const Signed signedOnes[] = {
        {"confiavel",
         "127.0.0.1",
         "servidor.ext",
         {QStringLiteral("-days"), QStringLiteral("365")}},
        {"vencido",
         "127.0.0.1",
         "servidor.ext",
         {QStringLiteral("-startdate"), QStringLiteral("20200101000000Z"),
          QStringLiteral("-enddate"), QStringLiteral("20200201000000Z")}},
        {"outro_nome",
         "outro-servidor.invalid",
         "outro_nome.ext",
         {QStringLiteral("-days"), QStringLiteral("365")}},
    };
    for (const Signed& one : signedOnes) {
        if (!failed.isEmpty()) break;
        const QString name = QString::fromLatin1(one.name);
        failed = runOpenssl(
            m_openssl, folder,
            QStringList{QStringLiteral("req")} + ecKey +
                QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"),
                            QStringLiteral("-out"), name + QStringLiteral(".csr"),
                            QStringLiteral("-subj"),
                            QStringLiteral("/CN=") + QString::fromLatin1(one.commonName)});
        if (!failed.isEmpty()) break;
        failed = runOpenssl(
            m_openssl, folder,
            QStringList{QStringLiteral("ca"), QStringLiteral("-batch"), QStringLiteral("-notext"),
                        QStringLiteral("-config"), QStringLiteral("ac.cnf"),
                        QStringLiteral("-cert"), QStringLiteral("ac.pem"),
                        QStringLiteral("-keyfile"), QStringLiteral("ac.key"), QStringLiteral("-in"),
                        name + QStringLiteral(".csr"), QStringLiteral("-out"),
                        name + QStringLiteral(".pem"), QStringLiteral("-extfile"),
                        QString::fromLatin1(one.extensions)} +
                one.dates);
    }
    // One of no authority.
    if (failed.isEmpty()) {
        failed = runOpenssl(
            m_openssl, folder,
            QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ecKey +
                QStringList{QStringLiteral("-keyout"), QStringLiteral("autoassinado.key"),
                            QStringLiteral("-out"), QStringLiteral("autoassinado.pem"),
                            QStringLiteral("-days"), QStringLiteral("365"), QStringLiteral("-subj"),
                            QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                            QStringLiteral("subjectAltName=") + local});
    }
    return failed;
}

QString TlsFront::writeConfiguration() const {
    const QString folder = m_dir.path();
    const int trusted = port(Certificate::Trusted);
    QString text = QStringLiteral(R"(server.modules = ("mod_openssl", "mod_redirect", "mod_proxy")
server.bind = "127.0.0.1"
server.port = %1
server.document-root = "%2"
server.errorlog = "%2/lighttpd.log"
proxy.server = ("" => (("host" => "127.0.0.1", "port" => %3)))
$HTTP["scheme"] == "http" {
  url.redirect = ("^/(.*)$" => "https://127.0.0.1:%4/$1")
}
)")
                       .arg(m_httpPort)
                       .arg(folder)
                       .arg(m_backendPort)
                       .arg(trusted);
    for (const CertificateFiles& certificate : kCertificates) {
        const QString name = QString::fromLatin1(certificate.name);
        text += QStringLiteral(R"($SERVER["socket"] == "127.0.0.1:%1" {
  ssl.engine = "enable"
  ssl.pemfile = "%2/%3.pem"
  ssl.privkey = "%2/%3.key"
)")
                    .arg(port(certificate.certificate))
                    .arg(folder, name);
        if (certificate.certificate == Certificate::Trusted) {
            QStringList rules;
            for (int n = 1; n <= kMaxRedirectChain; ++n) {
                const QString next =
                    n == 1 ? QStringLiteral("/$1") : QStringLiteral("/voltas/%1/$1").arg(n - 1);
                rules << QStringLiteral("\"^/voltas/%1/(.*)$\" => \"https://127.0.0.1:%2%3\"")
                             .arg(n)
                             .arg(trusted)
                             .arg(next);
            }
            rules << QStringLiteral("\"^/ftp/(.*)$\" => \"ftp://127.0.0.1/$1\"")
                  << QStringLiteral("\"^/arquivo/(.*)$\" => \"file:///$1\"");
            text += QStringLiteral("  url.redirect = (%1)\n").arg(rules.join(QStringLiteral(", ")));
        }
        text += QStringLiteral("}\n");
    }
    if (!writeText(m_dir.filePath(QStringLiteral("lighttpd.conf")), text)) {
        return QStringLiteral("cannot write ") + m_dir.filePath(QStringLiteral("lighttpd.conf"));
    }
    return {};
}

void TlsFront::stop() {
    m_running = false;
    m_lighttpd.stop();
}

}  // namespace support
