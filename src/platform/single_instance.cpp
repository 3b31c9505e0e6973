#include "platform/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace platform {

namespace {

const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");
constexpr int kAnswerTimeoutMs = 2000;

}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), m_socketName(QStringLiteral("%1-%2").arg(key).arg(::getuid())) {
    m_socketName.replace(QLatin1Char('/'), QLatin1Char('_'));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    QLocalSocket probe;
    probe.connectToServer(m_socketName);
    if (probe.waitForConnected(kAnswerTimeoutMs)) {
        probe.write(kRaiseRequest);
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
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains(kRaiseRequest.trimmed())) {
                    emit raiseRequested();
                }
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace platform
