#include "net/session.h"

#include <QFile>
#include <QSaveFile>

#include <curl/curl.h>

#include <cstdio>
#include <mutex>

namespace net {

namespace {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlMultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Collects the answer into the temporary file and enforces the size cap.
struct Sink {
    QFileDevice* file = nullptr;
    qint64 written = 0;
    qint64 maxBytes = 0;
    bool overCap = false;
    bool writeFailed = false;
};

size_t writeToSink(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const auto bytes = static_cast<qint64>(size * count);
    if (sink->written + bytes > sink->maxBytes) {
        sink->overCap = true;
        return 0;  // makes curl stop with a write error
    }
    if (sink->file->write(data, bytes) != bytes) {
        sink->writeFailed = true;
        return 0;
    }
    sink->written += bytes;
    return static_cast<size_t>(bytes);
}

// The file a download writes: a temporary file beside the target that
// replaces it only when whole, synced to the disk first (QSaveFile) or not.
class ReplacingFile {
public:
    ReplacingFile(const QString& path, bool syncToDisk)
        : m_path(path), m_sync(syncToDisk), m_saved(path), m_plain(path + QStringLiteral(".part")) {
        m_saved.setDirectWriteFallback(false);
    }
    ~ReplacingFile() {
        if (!m_sync && !m_done) QFile::remove(m_plain.fileName());
    }
    bool open() {
        return m_sync ? m_saved.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
                      : m_plain.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    QFileDevice& device() { return m_sync ? static_cast<QFileDevice&>(m_saved) : m_plain; }
    QString errorString() const { return m_sync ? m_saved.errorString() : m_plain.errorString(); }
    void cancel() {
        if (m_sync) {
            m_saved.cancelWriting();
        } else {
            m_plain.close();
            QFile::remove(m_plain.fileName());
        }
    }
    bool commit() {
        if (m_sync) return m_saved.commit();
        m_plain.close();
        if (m_plain.error() != QFileDevice::NoError) return false;
        // rename() replaces the old file in one step: a reader sees the old
        // positions or the new ones, never none.
        m_done = std::rename(QFile::encodeName(m_plain.fileName()).constData(),
                             QFile::encodeName(m_path).constData()) == 0;
        return m_done;
    }

private:
    QString m_path;
    bool m_sync;
    bool m_done = false;
    QSaveFile m_saved;
    QFile m_plain;
};

// Why a transfer failed, in the user's words, with curl's own text and code
// for diagnosis.
QString curlFailureReason(CURLcode code, const QString& curlText) {
    QString reason;
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            reason = QStringLiteral("tempo esgotado sem resposta completa do servidor");
            break;
        case CURLE_COULDNT_CONNECT:
            reason = QStringLiteral("conexão recusada ou servidor inalcançável");
            break;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            reason = QStringLiteral("servidor não encontrado");
            break;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            reason = QStringLiteral("a conexão caiu durante a transferência");
            break;
        case CURLE_TOO_MANY_REDIRECTS:
            reason = QStringLiteral("redirecionamentos demais");
            break;
        default:
            reason = QStringLiteral("falha de rede");
            break;
    }
    return QStringLiteral("%1 (%2, %3)").arg(reason, curlText).arg(static_cast<int>(code));
}

// Whether a transfer failed because no server could be reached (or none
// answered in time), rather than because one answered wrongly.
bool isUnreachable(CURLcode code) {
    return code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
           code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_OPERATION_TIMEDOUT;
}

// Called by curl while a transfer runs; a non-zero answer aborts it.
int checkCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(user)->load() ? 1 : 0;
}

}  // namespace

// The easy handle keeps the options and the multi handle keeps the
// connections between downloads. Transfers run through the multi handle so
// that cancel() can wake a transfer that is waiting for a silent server at
// once, instead of at the next progress call.
struct Session::Impl {
    DownloadLimits limits;
    CurlMulti multi;
    CurlEasy easy;
    std::atomic<bool> cancelled{false};
    std::atomic<int> connectionsOpened{0};
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // Runs one transfer of the easy handle to its end, a time-out or a cancel.
    CURLcode perform();
};

CURLcode Session::Impl::perform() {
    if (cancelled) {
        return CURLE_ABORTED_BY_CALLBACK;
    }
    CURLMcode multiCode = curl_multi_add_handle(multi.get(), easy.get());
    CURLcode code = CURLE_OK;
    int running = 1;
    while (multiCode == CURLM_OK) {
        if (cancelled) {
            code = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        multiCode = curl_multi_perform(multi.get(), &running);
        if (multiCode != CURLM_OK) {
            break;
        }
        if (running == 0) {
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy.get()) {
                    code = message->data.result;
                }
            }
            break;
        }
        // Waits for the sockets, curl's own time-outs or a cancel's wake-up.
        multiCode = curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
    }
    if (multiCode != CURLM_OK) {
        code = CURLE_FAILED_INIT;
        std::snprintf(errorBuffer, sizeof errorBuffer, "%s", curl_multi_strerror(multiCode));
    }
    long connects = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_NUM_CONNECTS, &connects);
    connectionsOpened += static_cast<int>(connects);
    curl_multi_remove_handle(multi.get(), easy.get());
    return code;
}

Session::Session(DownloadLimits limits) : m_impl(std::make_unique<Impl>()) {
    m_impl->limits = limits;
    initialiseCurlOnce();
    m_impl->multi.reset(curl_multi_init());
    m_impl->easy.reset(curl_easy_init());
    CURL* h = m_impl->easy.get();
    if (!h || !m_impl->multi) {
        return;  // download() reports it
    }
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeoutMs));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToSink);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &m_impl->cancelled);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_impl->errorBuffer);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Quelvora");
}

Session::~Session() = default;

platform::Result Session::download(const QString& url, const QString& path) {
    ReplacingFile file(path, m_impl->limits.syncToDisk);
    if (!file.open()) {
        return downloadFailure(
            url, QStringLiteral("não foi possível gravar %1: %2").arg(path, file.errorString()));
    }
    CURL* h = m_impl->easy.get();
    if (!h || !m_impl->multi) {
        file.cancel();
        return downloadFailure(url, QStringLiteral("falha de rede (curl_easy_init)"));
    }

    const QByteArray address = requestUrl(url);
    Sink sink{&file.device(), 0, m_impl->limits.maxBytes};
    m_impl->errorBuffer[0] = '\0';
    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode code = m_impl->perform();
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);

    QString detail;
    if (code == CURLE_ABORTED_BY_CALLBACK && m_impl->cancelled) {
        detail = QStringLiteral("cancelado");
    } else if (sink.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        detail = QStringLiteral("resposta maior que %1 bytes").arg(m_impl->limits.maxBytes);
    } else if (sink.writeFailed) {
        detail = QStringLiteral("não foi possível gravar %1: %2").arg(path, file.errorString());
    } else if (code != CURLE_OK) {
        const char* text = m_impl->errorBuffer[0] ? m_impl->errorBuffer : curl_easy_strerror(code);
        detail = curlFailureReason(code, QString::fromUtf8(text));
    } else if (status < 200 || status > 299) {
        detail = QStringLiteral("o servidor respondeu com o código HTTP %1").arg(status);
    }
    if (!detail.isEmpty()) {
        file.cancel();
        platform::Result failure = downloadFailure(url, detail);
        failure.unreachable = !m_impl->cancelled && isUnreachable(code);
        return failure;
    }
    if (!file.commit()) {
        return downloadFailure(
            url, QStringLiteral("não foi possível gravar %1: %2").arg(path, file.errorString()));
    }
    return platform::Result::success();
}

void Session::cancel() {
    m_impl->cancelled = true;
    if (m_impl->multi) {
        curl_multi_wakeup(m_impl->multi.get());
    }
}

void Session::resetCancel() {
    m_impl->cancelled = false;
}

const DownloadLimits& Session::limits() const {
    return m_impl->limits;
}

int Session::connectionsOpened() const {
    return m_impl->connectionsOpened;
}

}  // namespace net
