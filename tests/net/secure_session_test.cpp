// Downloads over HTTPS through a TLS front made by the test: the extra
// certificate authority of the settings is trusted, every certificate fault
// fails with its own reason naming the server, redirects go between http
// and https only and at most five times.
#include "download_fixture.h"
#include "net/session.h"
#include "support/http_server.h"
#include "support/tls_front.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Certificate = support::TlsFront::Certificate;

class SecureSessionTest : public nettest::DownloadFixture {
protected:
    void SetUp() override {
        if (!front.available()) GTEST_SKIP() << front.skipReason().toStdString();
        ASSERT_TRUE(front.isRunning()) << front.startError().toStdString();
        server.reply("/mapa", {200, "imagem do servidor"});
        limits.extraCaFile = front.caFile();
    }

    QString host(Certificate certificate) const {
        return QStringLiteral("127.0.0.1:%1").arg(front.port(certificate));
    }

    // The reason a download of `url` failed, the earlier answer file left
    // as it was.
    QString failureReason(const QString& url, const net::DownloadLimits& with) {
        QFile earlier(target());
        EXPECT_TRUE(earlier.open(QIODevice::WriteOnly | QIODevice::Truncate));
        earlier.write("anterior");
        earlier.close();
        const platform::Result result = net::DownloadToFile(url, target(), with);
        EXPECT_FALSE(result) << url.toStdString();
        EXPECT_EQ(contents(), "anterior");
        EXPECT_EQ(folderContents(), QStringList{"answer.xml"});
        return result.detail;
    }
    QString failureReason(const QString& url) { return failureReason(url, limits); }

    QByteArray contents() const {
        QFile file(target());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }

    support::TlsFront front{server.port()};
};

TEST_F(SecureSessionTest, aServerCertifiedByTheExtraAuthorityIsTrusted) {
    const platform::Result result = net::DownloadToFile(
        front.httpsUrl(Certificate::Trusted, "/mapa?x=1&&y="), target(), limits);
    ASSERT_TRUE(result) << result.detail.toStdString() << front.logs().toStdString();
    EXPECT_EQ(contents(), "imagem do servidor");
}

TEST_F(SecureSessionTest, withoutTheExtraAuthorityTheSameServerIsNotTrusted) {
    const QString reason =
        failureReason(front.httpsUrl(Certificate::Trusted, "/mapa"), net::DownloadLimits{});
    EXPECT_TRUE(reason.startsWith(
        QString::fromUtf8(
            "o certificado do servidor %1 não é confiável: autoassinado ou de uma autoridade "
            "certificadora desconhecida (")
            .arg(host(Certificate::Trusted))))
        << reason.toStdString();
    EXPECT_TRUE(server.targets().empty());
}

TEST_F(SecureSessionTest, eachCertificateFaultHasItsOwnReasonNamingTheServer) {
    const QString expired = failureReason(front.httpsUrl(Certificate::Expired, "/mapa"));
    EXPECT_TRUE(expired.startsWith(QString::fromUtf8("o certificado do servidor %1 expirou (")
                                       .arg(host(Certificate::Expired))))
        << expired.toStdString();

    const QString selfSigned = failureReason(front.httpsUrl(Certificate::SelfSigned, "/mapa"));
    EXPECT_TRUE(selfSigned.startsWith(
        QString::fromUtf8("o certificado do servidor %1 não é confiável: autoassinado")
            .arg(host(Certificate::SelfSigned))))
        << selfSigned.toStdString();

    const QString otherName = failureReason(front.httpsUrl(Certificate::OtherHost, "/mapa"));
    EXPECT_TRUE(otherName.startsWith(
        QString::fromUtf8(
            "o certificado apresentado por %1 é de outro servidor: o nome não confere (")
            .arg(host(Certificate::OtherHost))))
        << otherName.toStdString();

    // A plain HTTP server where a secure one was expected.
    const QString handshake =
        failureReason(QStringLiteral("https://127.0.0.1:%1/mapa").arg(front.httpPort()));
    EXPECT_TRUE(handshake.startsWith(
        QString::fromUtf8("falha na negociação da conexão segura (TLS) com 127.0.0.1:%1 (")
            .arg(front.httpPort())))
        << handshake.toStdString();
    EXPECT_TRUE(server.targets().empty());
}

TEST_F(SecureSessionTest, anHttpAddressRedirectedToHttpsArrivesWithItsQueryAsSent) {
    const QString query = "/mapa?service=WMS&&bbox=-48.000000000,-7.000000000&&styles=";
    const platform::Result result = net::DownloadToFile(front.httpUrl(query), target(), limits);
    ASSERT_TRUE(result) << result.detail.toStdString();
    EXPECT_EQ(contents(), "imagem do servidor");
    ASSERT_EQ(server.targets().size(), 1u);
    EXPECT_EQ(server.targets()[0], query.toStdString());
}

TEST_F(SecureSessionTest, aRedirectToAFaultyCertificateNamesTheServerRedirectedTo) {
    server.reply("/velho", [&] {
        support::HttpServer::Reply moved;
        moved.status = 301;
        moved.location = front.httpsUrl(Certificate::Expired, "/mapa").toStdString();
        return moved;
    }());
    const QString reason = failureReason(server.url("/velho"));
    EXPECT_TRUE(reason.startsWith(
        QString::fromUtf8("o certificado do servidor %1 expirou").arg(host(Certificate::Expired))))
        << reason.toStdString();
}

TEST_F(SecureSessionTest, fiveRedirectsAreFollowedAndTheSixthIsRefused) {
    ASSERT_TRUE(net::DownloadToFile(front.httpsUrl(Certificate::Trusted, "/voltas/5/mapa"),
                                    target(), limits));
    EXPECT_EQ(contents(), "imagem do servidor");
    const QString reason = failureReason(front.httpsUrl(Certificate::Trusted, "/voltas/6/mapa"));
    EXPECT_TRUE(reason.startsWith("redirecionamentos demais (")) << reason.toStdString();
}

TEST_F(SecureSessionTest, aRedirectToAnotherProtocolIsRefused) {
    for (const char* path : {"/ftp/mapa", "/arquivo/etc/hostname"}) {
        const QString reason = failureReason(front.httpsUrl(Certificate::Trusted, path));
        EXPECT_TRUE(reason.startsWith(QString::fromUtf8(
            "redirecionamento recusado: só são seguidos endereços http e https (")))
            << path << ": " << reason.toStdString();
    }
    // An address of another protocol given at first is refused as well.
    EXPECT_TRUE(failureReason("ftp://127.0.0.1/mapa")
                    .startsWith(QString::fromUtf8("protocolo não suportado: só http e https")));
}

TEST_F(SecureSessionTest, anUnreadableAuthorityFileIsNamedAndPlainHttpStillWorks) {
    net::DownloadLimits missing = limits;
    missing.extraCaFile = QDir(dir.path()).filePath("falta/nao_existe.pem");
    const QString reason = failureReason(front.httpsUrl(Certificate::Trusted, "/mapa"), missing);
    EXPECT_TRUE(reason.startsWith(
        QString::fromUtf8("o arquivo de certificados %1 (download_extra_ca_file) não pôde ser lido")
            .arg(missing.extraCaFile)))
        << reason.toStdString();
    // Redirected to https, the same.
    EXPECT_TRUE(failureReason(front.httpUrl("/mapa"), missing).startsWith("o arquivo de"));

    net::DownloadLimits notPem = limits;
    QTemporaryDir elsewhere;
    notPem.extraCaFile = elsewhere.filePath("texto.pem");
    QFile text(notPem.extraCaFile);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("isto não é um certificado\n");
    text.close();
    const QString notPemReason =
        failureReason(front.httpsUrl(Certificate::Trusted, "/mapa"), notPem);
    EXPECT_TRUE(notPemReason.contains("não contém certificados em formato PEM"))
        << notPemReason.toStdString();
    EXPECT_TRUE(server.targets().empty());

    // Nothing secure asked: the file does not matter.
    ASSERT_TRUE(net::DownloadToFile(server.url("/mapa"), target(), missing));
    EXPECT_EQ(contents(), "imagem do servidor");
}

TEST_F(SecureSessionTest, secureRequestsToOneServerReuseOneConnection) {
    net::Session session(limits);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(session.download(front.httpsUrl(Certificate::Trusted, "/mapa"), target()));
    }
    EXPECT_EQ(session.connectionsOpened(), 1);
}

}  // namespace
