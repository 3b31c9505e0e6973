#include "platform/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace platform {

namespace {

// A later start writes "raise" and, when it was given one, "project <path>",
// each on a line in UTF-8, then disconnects.
const QByteArray kRaiseRequest = QByteArrayLiteral("raise");
const QByteArray kProjectPrefix = QByteArrayLiteral("project ");
constexpr int kAnswerTimeoutMs = 2000;

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), m_socketName(QStringLiteral("%1-%2").arg(key).arg(::getuid())) {
    m_socketName.replace(QLatin1Char('/'), QLatin1Char('_'));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(const QString& project) {
    QLocalSocket probe;
    probe.connectToServer(m_socketName);
    if (probe.waitForConnected(kAnswerTimeoutMs)) {
        QByteArray request = kRaiseRequest + '\n';
        // A path holding a line break could not be told from the next line.
        if (!project.isEmpty() && !project.contains(QLatin1Char('\n'))) {
            request += kProjectPrefix + project.toUtf8() + '\n';
        }
        probe.write(request);
        probe.waitForBytesWritten(kAnswerTimeoutMs);
        probe.disconnectFromServer();
        return false;
    }

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketName)) {
        // A socket file left by an instance that crashed: nobody answered, so
        // it is stale and may be replaced.
        QLocalServer::removeServer(m_socketName);
        if (!m_server->listen(m_socketName)) {
            return true;  // run without the guard rather than not at all
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            // The request is read whole once the later start has gone.
            connect(client, &QLocalSocket::disconnected, this, [this, client] {
                const QList<QByteArray> lines = client->readAll().split('\n');
                client->deleteLater();
                if (!lines.contains(kRaiseRequest)) {
                    return;
                }
                QString project;
                for (const QByteArray& line : lines) {
                    if (line.startsWith(kProjectPrefix)) {
                        project = QString::fromUtf8(line.mid(kProjectPrefix.size()));
                    }
                }
                emit raiseRequested(project);
            });
        }
    });
    return true;
}

}  // namespace platform
