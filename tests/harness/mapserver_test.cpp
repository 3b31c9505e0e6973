#include "support/mapserver.h"

#include <httplib.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// The capabilities document of the server at `address`, or nothing when no
// server answers there.
std::optional<std::string> capabilities(int port, const QString& address) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5);
    const QString query = address.mid(address.indexOf(QStringLiteral("/cgi-bin/"))) +
                          QStringLiteral("service=WMS&version=1.1.1&request=GetCapabilities");
    const auto answer = client.Get(query.toStdString());
    if (!answer || answer->status != 200) {
        return std::nullopt;
    }
    return answer->body;
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (m_had) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

}  // namespace

TEST(MapServer, twoServersRunSideBySideAndEachStopsWithItsObject) {
    auto first = std::make_unique<support::MapServer>();
    if (!first->available()) {
        GTEST_SKIP() << first->skipReason().toStdString();
    }
    ASSERT_TRUE(first->isRunning()) << first->startError().toStdString();
    support::MapServer second;
    ASSERT_TRUE(second.isRunning()) << second.startError().toStdString();
    ASSERT_NE(first->port(), second.port());

    for (const support::MapServer* server : {first.get(), &second}) {
        const auto document = capabilities(server->port(), server->baseAddress());
        ASSERT_TRUE(document) << server->logs().toStdString();
        EXPECT_NE(document->find("<Name>lito_1000000</Name>"), std::string::npos);
        EXPECT_NE(document->find("<Name>ocorrencias</Name>"), std::string::npos);
    }

    const int port = first->port();
    const QString address = first->baseAddress();
    const QString folder = first->folder();
    first.reset();
    EXPECT_FALSE(capabilities(port, address));
    EXPECT_FALSE(QDir(folder).exists());
    EXPECT_TRUE(capabilities(second.port(), second.baseAddress()));
}

TEST(MapServer, baseAddressEndsSoAQueryFollowsAtOnce) {
    support::MapServer server;
    if (!server.available()) {
        GTEST_SKIP() << server.skipReason().toStdString();
    }
    ASSERT_TRUE(server.isRunning()) << server.startError().toStdString();
    const QString prefix =
        QStringLiteral("http://127.0.0.1:%1/cgi-bin/mapserv?").arg(server.port());
    EXPECT_EQ(server.baseAddress(), prefix + "map=" + server.mapfilePath() + "&");
    EXPECT_EQ(server.defaultMapAddress(), prefix);
    EXPECT_TRUE(server.mapfilePath().startsWith(server.folder() + "/"));
}

// Only mapfiles inside the server's folder may be named by map=; the
// folder's path goes into that rule literally, dots and pluses included.
TEST(MapServer, servesFromAFolderWhosePathHoldsPatternCharacters) {
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    const QString odd = parent.filePath(QStringLiteral("a.b+c(d)"));
    ASSERT_TRUE(QDir().mkpath(odd));
    ScopedEnvironment tmp("TMPDIR", odd.toUtf8());
    support::MapServer server;
    if (!server.available()) {
        GTEST_SKIP() << server.skipReason().toStdString();
    }
    ASSERT_TRUE(server.isRunning()) << server.startError().toStdString();
    ASSERT_TRUE(server.folder().startsWith(odd + "/"));
    const auto document = capabilities(server.port(), server.baseAddress());
    ASSERT_TRUE(document) << server.logs().toStdString();
    EXPECT_NE(document->find("<Name>lito_1000000</Name>"), std::string::npos) << *document;
}

TEST(MapServer, mapfileOutsideTheServersFolderIsRefused) {
    support::MapServer server;
    if (!server.available()) {
        GTEST_SKIP() << server.skipReason().toStdString();
    }
    ASSERT_TRUE(server.isRunning()) << server.startError().toStdString();
    QString address = server.baseAddress();
    address.replace(server.mapfilePath(), QStringLiteral("/etc/passwd"));
    const auto document = capabilities(server.port(), address);
    EXPECT_FALSE(document && document->find("WMT_MS_Capabilities") != std::string::npos);
}
