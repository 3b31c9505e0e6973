#include "support/http_server.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace support {

namespace {

// The server's thread pool, counting the connections handed to it: the
// server enqueues one task per accepted connection.
class CountingPool final : public httplib::TaskQueue {
public:
    explicit CountingPool(std::atomic<int>& count)
        : m_pool(CPPHTTPLIB_THREAD_POOL_COUNT), m_count(count) {}
    void enqueue(std::function<void()> task) override {
        ++m_count;
        m_pool.enqueue(std::move(task));
    }
    void shutdown() override { m_pool.shutdown(); }

private:
    httplib::ThreadPool m_pool;
    std::atomic<int>& m_count;
};

}  // namespace

HttpServer::HttpServer() : m_server(std::make_unique<httplib::Server>()) {
    m_server->Get(R"(.*)", [this](const httplib::Request& request, httplib::Response& response) {
        Reply reply;
        {
            std::unique_lock lock(m_mutex);
            m_targets.push_back(request.target);
            m_released.notify_all();  // a held answer may be waiting for this request
            const auto it = m_replies.find(request.path);
            if (it == m_replies.end()) {
                response.status = 404;
                response.set_content("not found", "text/plain");
                return;
            }
            reply = it->second;
            if (reply.hang) {
                m_released.wait(lock, [this] { return m_stopping; });
                return;
            }
            const size_t awaited = static_cast<size_t>(std::max(reply.holdUntilRequests, 0));
            m_released.wait(lock, [&] { return m_stopping || m_targets.size() >= awaited; });
            if (m_stopping) {
                return;
            }
        }
        if (reply.delayMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
        }
        response.status = reply.status;
        if (!reply.location.empty()) {
            response.set_header("Location", reply.location);
        }
        if (reply.endless) {
            response.set_chunked_content_provider(reply.contentType,
                                                  [this](size_t, httplib::DataSink& sink) {
                                                      const std::string chunk(64 * 1024, 'e');
                                                      {
                                                          std::lock_guard lock(m_mutex);
                                                          if (m_stopping) {
                                                              return false;
                                                          }
                                                      }
                                                      return sink.write(chunk.data(), chunk.size());
                                                  });
            return;
        }
        if (reply.pauseHalfway) {
            auto body = std::make_shared<std::string>(std::move(reply.body));
            response.set_content_provider(
                body->size(), reply.contentType,
                [this, body](size_t offset, size_t length, httplib::DataSink& sink) {
                    const size_t half = body->size() / 2;
                    if (offset == half) {
                        std::unique_lock lock(m_mutex);
                        m_released.wait(lock, [this] { return m_stopping || m_resumed; });
                        if (m_stopping) {
                            return false;
                        }
                    }
                    const size_t end = offset < half ? half : body->size();
                    return sink.write(body->data() + offset, std::min(length, end - offset));
                });
            return;
        }
        if (!reply.chunked) {
            response.set_content(reply.body, reply.contentType.c_str());
            return;
        }
        auto body = std::make_shared<std::string>(std::move(reply.body));
        response.set_chunked_content_provider(
            reply.contentType, [body](size_t offset, httplib::DataSink& sink) {
                constexpr size_t kChunk = 64 * 1024;
                if (offset < body->size()) {
                    const size_t n = std::min(kChunk, body->size() - offset);
                    return sink.write(body->data() + offset, n);
                }
                sink.done();
                return true;
            });
    });
    m_server->new_task_queue = [this] { return new CountingPool(m_connections); };
    // Without it the answers on a kept connection wait for the client's
    // delayed acknowledgement, as no real server's do.
    m_server->set_tcp_nodelay(true);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        throw std::runtime_error("test HTTP server cannot bind to 127.0.0.1");
    }
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop that came before the accept loop started would be lost; the
    // loop marks itself running at once, so this wait is short.
    while (!m_server->is_running()) {
        std::this_thread::yield();
    }
}

HttpServer::~HttpServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_released.notify_all();
    m_server->stop();
    m_thread.join();
}

void HttpServer::resume() {
    {
        std::lock_guard lock(m_mutex);
        m_resumed = true;
    }
    m_released.notify_all();
}

void HttpServer::reply(const std::string& path, Reply reply) {
    std::lock_guard lock(m_mutex);
    m_replies[path] = std::move(reply);
}

QString HttpServer::url(const QString& pathAndQuery) const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port) + pathAndQuery;
}

std::vector<std::string> HttpServer::targets() const {
    std::lock_guard lock(m_mutex);
    return m_targets;
}

std::vector<std::string> HttpServer::targetsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& t : targets()) {
        if (t.rfind(prefix, 0) == 0) found.push_back(t);
    }
    return found;
}

}  // namespace support
