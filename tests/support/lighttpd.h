#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QProcess;

namespace support {

// lighttpd run in the foreground by a test server (the MapServer test
// server, the TLS front), with its output in a file. It goes with the test
// program, even when that is killed. Not copyable; stops in its destructor.
class Lighttpd {
public:
    Lighttpd();
    ~Lighttpd();
    Lighttpd(const Lighttpd&) = delete;
    Lighttpd& operator=(const Lighttpd&) = delete;

    // The lighttpd program; empty when it is not installed.
    static QString program();

    // Starts lighttpd on the configuration file `config`, its output into
    // `outputFile`, and waits at most kStartTimeoutMs until `ready` holds
    // (it is given the deadline). Returns why it failed, with `logs()`, or
    // an empty string; on failure no process is left.
    QString start(const QString& config, const QString& outputFile,
                  const std::function<bool(const QDeadlineTimer&)>& ready,
                  const std::function<QString()>& logs);
    // start() on `portCount` free ports of 127.0.0.1: `prepare` takes them
    // and writes the configuration (returning what failed, or an empty
    // string). When another program takes a port in between, the start is
    // tried again on new ones, kStartAttempts times at most.
    QString startOnFreePorts(int portCount,
                             const std::function<QString(const std::vector<int>&)>& prepare,
                             const QString& config, const QString& outputFile,
                             const std::function<bool(const QDeadlineTimer&)>& ready,
                             const std::function<QString()>& logs);
    void stop();

    static constexpr int kStartTimeoutMs = 10'000;
    static constexpr int kStartAttempts = 3;

private:
    std::unique_ptr<QProcess> m_process;
};

// `count` different ports on 127.0.0.1 nobody listens on now; empty when
// there are not so many. A server binds them a moment later; when another
// program takes one in between, its start is tried again.
std::vector<int> freePorts(int count);

// The whole answer of the server on 127.0.0.1 at `port` to an HTTP/1.0 GET
// of `path`, read until the server closes or the deadline; empty when it
// does not accept the connection.
QByteArray getFromLoopback(int port, const QByteArray& path, const QDeadlineTimer& deadline);

// A whole small file as UTF-8 text; empty when it cannot be read.
QString readText(const QString& path);
// Writes `text` as UTF-8; false when it could not be written whole.
bool writeText(const QString& path, const QString& text);

}  // namespace support
