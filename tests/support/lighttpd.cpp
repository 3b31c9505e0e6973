#include "support/lighttpd.h"

#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <csignal>

#include <sys/prctl.h>

namespace support {

Lighttpd::Lighttpd() = default;

Lighttpd::~Lighttpd() {
    stop();
}

QString Lighttpd::program() {
    QString found = QStandardPaths::findExecutable(QStringLiteral("lighttpd"));
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(
            QStringLiteral("lighttpd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    }
    return found;
}

QString Lighttpd::start(const QString& config, const QString& outputFile,
                        const std::function<bool(const QDeadlineTimer&)>& ready,
                        const std::function<QString()>& logs) {
    stop();
    const QString lighttpd = program();
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(lighttpd);
    m_process->setArguments({QStringLiteral("-D"), QStringLiteral("-f"), config});
    m_process->setStandardOutputFile(outputFile);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->start();
    const QDeadlineTimer deadline(kStartTimeoutMs);
    if (!m_process->waitForStarted(int(deadline.remainingTime()))) {
        const QString error =
            QStringLiteral("cannot start %1: %2").arg(lighttpd, m_process->errorString());
        stop();
        return error;
    }
    while (!deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running) {
            const QString error = QStringLiteral("lighttpd ended at start (exit code %1)\n%2")
                                      .arg(m_process->exitCode())
                                      .arg(logs());
            stop();
            return error;
        }
        if (ready(deadline)) {
            return {};
        }
        // Not listening yet: wait a little, or less if lighttpd ends.
        m_process->waitForFinished(20);
    }
    stop();
    return QStringLiteral("lighttpd did not answer within %1 ms\n%2")
        .arg(kStartTimeoutMs)
        .arg(logs());
}

QString Lighttpd::startOnFreePorts(int portCount,
                                   const std::function<QString(const std::vector<int>&)>& prepare,
                                   const QString& config, const QString& outputFile,
                                   const std::function<bool(const QDeadlineTimer&)>& ready,
                                   const std::function<QString()>& logs) {
    QString error;
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        const std::vector<int> ports = freePorts(portCount);
        if (ports.size() != static_cast<size_t>(portCount)) {
            return QStringLiteral("no free ports on 127.0.0.1");
        }
        error = prepare(ports);
        if (!error.isEmpty()) {
            return error;
        }
        error = start(config, outputFile, ready, logs);
        if (error.isEmpty()) {
            return {};
        }
    }
    return error;
}

void Lighttpd::stop() {
    if (!m_process) {
        return;
    }
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    m_process.reset();
}

std::vector<int> freePorts(int count) {
    // The probes stay open until all are taken, so the ports differ.
    std::vector<std::unique_ptr<QTcpServer>> probes;
    std::vector<int> ports;
    for (int i = 0; i < count; ++i) {
        auto probe = std::make_unique<QTcpServer>();
        if (!probe->listen(QHostAddress::LocalHost, 0)) {
            return {};
        }
        ports.push_back(probe->serverPort());
        probes.push_back(std::move(probe));
    }
    return ports;
}

QByteArray getFromLoopback(int port, const QByteArray& path, const QDeadlineTimer& deadline) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        return {};
    }
    socket.write("GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray answer;
    while (!deadline.hasExpired() && socket.state() == QAbstractSocket::ConnectedState) {
        socket.waitForReadyRead(int(deadline.remainingTime()));
        answer += socket.readAll();
    }
    return answer + socket.readAll();
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace support
