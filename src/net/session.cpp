#include "net/session.h"

#include <QFile>
#include <QSaveFile>
#include <QUrl>

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

// Redirects followed at most, only between http and https.
constexpr long kMaxRedirects = 5;

// OpenSSL's certificate verification results (X509_V_ERR_*) that curl
// reports through CURLINFO_SSL_VERIFYRESULT and that have a reason of their
// own; the numbers are fixed by OpenSSL.
constexpr long kX509UnableToGetIssuer = 2;
constexpr long kX509NotYetValid = 9;
constexpr long kX509Expired = 10;
constexpr long kX509SelfSignedLeaf = 18;
constexpr long kX509SelfSignedInChain = 19;
constexpr long kX509UnableToGetIssuerLocally = 20;
constexpr long kX509UnableToVerifyLeaf = 21;

// "host" or "host:port" of an address, as the user wrote it.
QString hostOf(const QString& address) {
    const QUrl url(address);
    if (url.host().isEmpty()) {
        return address;
    }
    return url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
}

// Why a secure connection to `host` failed, in the user's words: the
// certificate is not trusted, expired, not yet valid, made out to another
// name, or the negotiation itself failed. `verifyResult` is OpenSSL's
// verification result, `curlText` curl's message. Empty when `code` is no
// TLS failure.
QString tlsFailureReason(CURLcode code, long verifyResult, const QString& curlText,
                         const QString& host, const QString& caProblem) {
    switch (code) {
        case CURLE_PEER_FAILED_VERIFICATION:
            switch (verifyResult) {
                case kX509Expired:
                    return QStringLiteral("o certificado do servidor %1 expirou").arg(host);
                case kX509NotYetValid:
                    return QStringLiteral("o certificado do servidor %1 ainda não é válido")
                        .arg(host);
                case kX509UnableToGetIssuer:
                case kX509SelfSignedLeaf:
                case kX509SelfSignedInChain:
                case kX509UnableToGetIssuerLocally:
                case kX509UnableToVerifyLeaf:
                    return QStringLiteral(
                               "o certificado do servidor %1 não é confiável: autoassinado ou "
                               "de uma autoridade certificadora desconhecida")
                        .arg(host);
                default:
                    break;
            }
            // curl checks the name itself once OpenSSL accepted the chain,
            // and says so only in its text (the verify result then holds
            // no verdict).
            if (curlText.contains(QLatin1String("host name")) ||
                curlText.contains(QLatin1String("subject name"))) {
                return QStringLiteral(
                           "o certificado apresentado por %1 é de outro servidor: o nome não "
                           "confere")
                    .arg(host);
            }
            return QStringLiteral("o certificado do servidor %1 foi recusado").arg(host);
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_USE_SSL_FAILED:
            return QStringLiteral("falha na negociação da conexão segura (TLS) com %1").arg(host);
        case CURLE_SSL_CACERT_BADFILE:
            return caProblem.isEmpty()
                       ? QStringLiteral("os certificados de autoridades não puderam ser lidos")
                       : caProblem;
        default:
            return {};
    }
}

// Why a transfer that is no TLS failure failed, in the user's words.
// `redirected` tells a refused redirect from an address of another protocol.
QString networkReason(CURLcode code, bool redirected) {
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
            return QStringLiteral("tempo esgotado sem resposta completa do servidor");
        case CURLE_COULDNT_CONNECT:
            return QStringLiteral("conexão recusada ou servidor inalcançável");
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return QStringLiteral("servidor não encontrado");
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return QStringLiteral("a conexão caiu durante a transferência");
        case CURLE_TOO_MANY_REDIRECTS:
            return QStringLiteral("redirecionamentos demais");
        case CURLE_UNSUPPORTED_PROTOCOL:
            return redirected ? QStringLiteral(
                                    "redirecionamento recusado: só são seguidos endereços http "
                                    "e https")
                              : QStringLiteral("protocolo não suportado: só http e https");
        default:
            return QStringLiteral("falha de rede");
    }
}

// Why a transfer failed, in the user's words (the TLS reason when there is
// one), with curl's own text and code for diagnosis.
QString curlFailureReason(CURLcode code, const QString& curlText, const QString& tlsReason,
                          bool redirected) {
    const QString reason = tlsReason.isEmpty() ? networkReason(code, redirected) : tlsReason;
    return QStringLiteral("%1 (%2, %3)").arg(reason, curlText).arg(static_cast<int>(code));
}

// Whether a transfer failed because no server could be reached (or none
// answered in time), rather than because one answered wrongly.
bool isUnreachable(CURLcode code) {
    return code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
           code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_OPERATION_TIMEDOUT;
}

// What the transfer thread and the others share while downloads run: the
// cancel and the progress of the whole batch.
struct TransferState {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> received{0};
    std::atomic<qint64> expected{0};
};

struct Batch;

// One transfer of a batch: its answer's file, its handle and how it ended.
struct Transfer {
    Batch* batch = nullptr;
    QString url;
    QString path;
    QByteArray address;
    std::unique_ptr<ReplacingFile> file;
    Sink sink;
    CURL* easy = nullptr;  // null: the transfer never started
    char errorBuffer[CURL_ERROR_SIZE] = {};
    qint64 received = 0;
    qint64 expected = 0;
    CURLcode code = CURLE_ABORTED_BY_CALLBACK;  // until curl says how it ended
    bool done = false;
    // Its file is open and its handle set up; a transfer that is not ended
    // before it began, with its result.
    bool prepared = false;
};

struct Batch {
    std::vector<std::unique_ptr<Transfer>> transfers;
    TransferState* state = nullptr;

    // The batch's progress: bytes received by all, and the bytes announced
    // when every server announced its length (0 otherwise).
    void noteProgress() {
        qint64 received = 0;
        qint64 expected = 0;
        bool allKnown = true;
        for (const auto& transfer : transfers) {
            received += transfer->received;
            expected += transfer->expected;
            allKnown = allKnown && (transfer->expected > 0 || transfer->done);
        }
        state->received = received;
        state->expected = allKnown ? expected : 0;
    }
};

// Called by curl while a transfer runs: notes the progress; a non-zero
// answer aborts the transfer.
int onTransferProgress(void* user, curl_off_t expected, curl_off_t received, curl_off_t,
                       curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    transfer->received = static_cast<qint64>(received);
    transfer->expected = static_cast<qint64>(expected);
    transfer->batch->noteProgress();
    return transfer->batch->state->cancelled ? 1 : 0;
}

platform::Result cancelledDownload(const QString& url) {
    platform::Result cancelled = downloadFailure(url, QStringLiteral("cancelado"));
    cancelled.cancelled = true;
    return cancelled;
}

// Refuses every secure connection of a session whose extra CA file could
// not be read: trusting less than the user set up is no quiet fallback.
CURLcode refuseSecureConnection(CURL*, void*, void*) {
    return CURLE_SSL_CACERT_BADFILE;
}

}  // namespace

// The multi handle keeps the connections between downloads; it runs the
// transfers of a batch together, each on an easy handle of the pool (kept
// too, with their options). Transfers run through the multi handle also so
// that cancel() can wake a transfer that is waiting for a silent server at
// once, instead of at the next progress call.
struct Session::Impl {
    DownloadLimits limits;
    CurlMulti multi;
    std::vector<CurlEasy> pool;
    TransferState state;
    std::atomic<int> connectionsOpened{0};
    // The certificates trusted with the extra CA file, when it is set and
    // could be read.
    QByteArray trustedCertificates;
    // Why the extra CA file of the limits could not be used; secure
    // connections then fail with it. Empty when there is none or it is fine.
    QString caProblem;

    // Reads the extra CA file into trustedCertificates, or says why not.
    void readExtraCa();
    // An easy handle with the session's options; null when curl has none.
    CurlEasy makeEasy();
    // Runs the started transfers to their ends, time-outs or a cancel.
    void perform(Batch& batch);
    // The result of a transfer that has run; the file replaced when whole.
    platform::Result finish(Transfer& transfer);
};

void Session::Impl::perform(Batch& batch) {
    std::vector<Transfer*> running;
    for (const auto& transfer : batch.transfers) {
        if (!transfer->easy) continue;
        if (state.cancelled || curl_multi_add_handle(multi.get(), transfer->easy) != CURLM_OK) {
            transfer->easy = nullptr;  // never started: ends as cancelled or failed
            transfer->done = true;
            continue;
        }
        running.push_back(transfer.get());
    }
    CURLMcode multiCode = CURLM_OK;
    int stillRunning = static_cast<int>(running.size());
    while (stillRunning > 0 && !state.cancelled) {
        multiCode = curl_multi_perform(multi.get(), &stillRunning);
        if (multiCode != CURLM_OK) break;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            Transfer* ended = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &ended);
            if (ended) {
                ended->code = message->data.result;
                ended->done = true;
            }
        }
        if (stillRunning == 0) break;
        // Waits for the sockets, curl's own time-outs or a cancel's wake-up.
        multiCode = curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
        if (multiCode != CURLM_OK) break;
    }
    for (Transfer* t : running) {
        if (!t->done && multiCode != CURLM_OK) {
            t->code = CURLE_FAILED_INIT;
            std::snprintf(t->errorBuffer, sizeof t->errorBuffer, "%s",
                          curl_multi_strerror(multiCode));
        }
        long connects = 0;
        curl_easy_getinfo(t->easy, CURLINFO_NUM_CONNECTS, &connects);
        connectionsOpened += static_cast<int>(connects);
        curl_multi_remove_handle(multi.get(), t->easy);
    }
}

platform::Result Session::Impl::finish(Transfer& t) {
    if (!t.easy) {
        t.file->cancel();
        if (state.cancelled) {
            return cancelledDownload(t.url);
        }
        return downloadFailure(t.url, QStringLiteral("falha de rede (curl_multi_add_handle)"));
    }
    CURL* h = t.easy;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);

    QString detail;
    // Ended by the cancel rather than by itself.
    const bool cancelled = state.cancelled && (!t.done || t.code == CURLE_ABORTED_BY_CALLBACK);
    if (cancelled) {
        detail = QStringLiteral("cancelado");
    } else if (t.sink.overCap || t.code == CURLE_FILESIZE_EXCEEDED) {
        detail = QStringLiteral("resposta maior que %1 bytes").arg(limits.maxBytes);
    } else if (t.sink.writeFailed) {
        detail =
            QStringLiteral("não foi possível gravar %1: %2").arg(t.path, t.file->errorString());
    } else if (t.code != CURLE_OK) {
        const char* text = t.errorBuffer[0] ? t.errorBuffer : curl_easy_strerror(t.code);
        const QString curlText = QString::fromUtf8(text);
        // The address that failed: after a redirect, the one redirected to.
        const char* effective = nullptr;
        curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective);
        const QString failedAddress = effective ? QString::fromUtf8(effective) : t.url;
        long verifyResult = 0;
        curl_easy_getinfo(h, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
        long redirects = 0;
        curl_easy_getinfo(h, CURLINFO_REDIRECT_COUNT, &redirects);
        const QString tlsReason =
            tlsFailureReason(t.code, verifyResult, curlText, hostOf(failedAddress), caProblem);
        detail = curlFailureReason(t.code, curlText, tlsReason,
                                   redirects > 0 || failedAddress.toUtf8() != t.address);
    } else if (status < 200 || status > 299) {
        detail = QStringLiteral("o servidor respondeu com o código HTTP %1").arg(status);
    }
    if (!detail.isEmpty()) {
        t.file->cancel();
        platform::Result failure = downloadFailure(t.url, detail);
        failure.cancelled = cancelled;
        failure.unreachable = !state.cancelled && isUnreachable(t.code);
        return failure;
    }
    if (!t.file->commit()) {
        return downloadFailure(
            t.url,
            QStringLiteral("não foi possível gravar %1: %2").arg(t.path, t.file->errorString()));
    }
    return platform::Result::success();
}

void Session::Impl::readExtraCa() {
    const QString& path = limits.extraCaFile;
    QFile extra(path);
    if (!extra.open(QIODevice::ReadOnly)) {
        caProblem = QStringLiteral(
                        "o arquivo de certificados %1 (download_extra_ca_file) não pôde ser "
                        "lido: %2")
                        .arg(path, extra.errorString());
        return;
    }
    const QByteArray certificates = extra.readAll();
    if (!certificates.contains("-----BEGIN CERTIFICATE-----")) {
        caProblem = QStringLiteral(
                        "o arquivo de certificados %1 (download_extra_ca_file) não contém "
                        "certificados em formato PEM")
                        .arg(path);
        return;
    }
    // A CA blob takes the place of the system's bundle file (its
    // certificate folder still counts), so the blob holds both.
    const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
    if (version && version->cainfo) {
        QFile system(QString::fromLocal8Bit(version->cainfo));
        if (system.open(QIODevice::ReadOnly)) {
            trustedCertificates = system.readAll() + '\n';
        }
    }
    trustedCertificates += certificates;
}

CurlEasy Session::Impl::makeEasy() {
    CurlEasy easy(curl_easy_init());
    CURL* h = easy.get();
    if (!h) {
        return easy;
    }
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeoutMs));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToSink);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onTransferProgress);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Quelvora");
    if (limits.extraCaFile.isEmpty()) {
        return easy;
    }
    if (caProblem.isEmpty()) {
        curl_blob blob{const_cast<char*>(trustedCertificates.constData()),
                       static_cast<size_t>(trustedCertificates.size()), CURL_BLOB_COPY};
        if (curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob) == CURLE_OK) {
            return easy;
        }
        caProblem = QStringLiteral(
                        "o arquivo de certificados %1 (download_extra_ca_file) não pode ser "
                        "usado por esta versão da biblioteca de rede")
                        .arg(limits.extraCaFile);
    }
    curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, refuseSecureConnection);
    return easy;
}

Session::Session(DownloadLimits limits) : m_impl(std::make_unique<Impl>()) {
    m_impl->limits = limits;
    initialiseCurlOnce();
    m_impl->multi.reset(curl_multi_init());
    if (!limits.extraCaFile.isEmpty()) {
        m_impl->readExtraCa();
    }
}

Session::~Session() = default;

platform::Result Session::download(const QString& url, const QString& path) {
    return downloadAll({{url, path}}).front();
}

std::vector<platform::Result> Session::downloadAll(const std::vector<DownloadRequest>& requests) {
    Batch batch;
    batch.state = &m_impl->state;
    m_impl->state.received = 0;
    m_impl->state.expected = 0;
    while (m_impl->pool.size() < requests.size()) {
        m_impl->pool.push_back(m_impl->makeEasy());
    }
    std::vector<platform::Result> results(requests.size(), platform::Result::success());
    for (size_t i = 0; i < requests.size(); ++i) {
        auto transfer = std::make_unique<Transfer>();
        Transfer& t = *transfer;
        batch.transfers.push_back(std::move(transfer));
        t.batch = &batch;
        t.url = requests[i].url;
        t.path = requests[i].path;
        t.address = requestUrl(t.url);
        t.file = std::make_unique<ReplacingFile>(t.path, m_impl->limits.syncToDisk);
        if (!t.file->open()) {
            t.done = true;
            results[i] = downloadFailure(t.url, QStringLiteral("não foi possível gravar %1: %2")
                                                    .arg(t.path, t.file->errorString()));
            continue;
        }
        CURL* h = m_impl->pool[i].get();
        if (!h || !m_impl->multi) {
            t.file->cancel();
            t.done = true;
            results[i] = downloadFailure(t.url, QStringLiteral("falha de rede (curl_easy_init)"));
            continue;
        }
        t.sink = Sink{&t.file->device(), 0, m_impl->limits.maxBytes};
        t.easy = h;
        curl_easy_setopt(h, CURLOPT_URL, t.address.constData());
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &t.sink);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, t.errorBuffer);
        curl_easy_setopt(h, CURLOPT_PRIVATE, &t);
        t.prepared = true;
    }
    m_impl->perform(batch);
    for (size_t i = 0; i < requests.size(); ++i) {
        Transfer& t = *batch.transfers[i];
        if (!t.prepared) {
            continue;  // failed before it began; its result is set
        }
        results[i] = m_impl->finish(t);
        if (CURL* h = m_impl->pool[i].get()) {
            curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
            curl_easy_setopt(h, CURLOPT_XFERINFODATA, nullptr);
            curl_easy_setopt(h, CURLOPT_PRIVATE, nullptr);
        }
    }
    return results;
}

void Session::cancel() {
    m_impl->state.cancelled = true;
    if (m_impl->multi) {
        curl_multi_wakeup(m_impl->multi.get());
    }
}

void Session::resetCancel() {
    m_impl->state.cancelled = false;
}

Session::Progress Session::progress() const {
    return {m_impl->state.received, m_impl->state.expected};
}

const DownloadLimits& Session::limits() const {
    return m_impl->limits;
}

int Session::connectionsOpened() const {
    return m_impl->connectionsOpened;
}

}  // namespace net
