#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace support {

// An HTTP server on 127.0.0.1 and a free port, running in a thread of the
// test, that answers GET requests with scripted replies and records the raw
// target (path and query, exactly as sent) of every request. Paths without a
// reply get 404. Connections are kept alive between requests, as real
// servers do, and counted.
class HttpServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
        std::string contentType = "text/plain";
        bool chunked = false;    // sent without a Content-Length
        bool hang = false;       // never answers until the server goes away
        bool endless = false;    // a body without end, sent without a Content-Length
        std::string location{};  // the Location header, for redirects
        // Sends the first half of the body (with its Content-Length), then
        // waits for resume() before the rest.
        bool pauseHalfway = false;
        // Holds the answer until the server has received this many requests
        // in all (this one included): requests sent together all arrive
        // before any is answered; requests sent one after another never do.
        int holdUntilRequests = 0;
        // Waits this long before answering, as a distant server would.
        int delayMs = 0;
    };

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Sets the reply for requests whose decoded path (without query) is `path`.
    void reply(const std::string& path, Reply reply);

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by `pathAndQuery`.
    QString url(const QString& pathAndQuery) const;
    // Raw targets of the requests received so far, in order.
    std::vector<std::string> targets() const;
    // Those of them that start with `prefix` (a path), in order.
    std::vector<std::string> targetsStartingWith(const std::string& prefix) const;
    // Lets paused replies send the rest of their body.
    void resume();
    // TCP connections accepted so far.
    int connectionsAccepted() const { return m_connections; }

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_stopping = false;
    bool m_resumed = false;
    std::atomic<int> m_connections{0};
    std::map<std::string, Reply> m_replies;
    std::vector<std::string> m_targets;
};

}  // namespace support
