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

// What the transfer thread and the others share while a download runs.
struct TransferState {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> received{0};
    std::atomic<qint64> expected{0};
};

// Called by curl while a transfer runs: notes the progress; a non-zero
// answer aborts the transfer.
int onTransferProgress(void* user, curl_off_t expected, curl_off_t received, curl_off_t,
                       curl_off_t) {
    auto* state = static_cast<TransferState*>(user);
    state->received = static_cast<qint64>(received);
    state->expected = static_cast<qint64>(expected);
    return state->cancelled ? 1 : 0;
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
    TransferState transfer;
    std::atomic<int> connectionsOpened{0};
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // Why the extra CA file of the limits could not be used; secure
    // connections then fail with it. Empty when there is none or it is fine.
    QString caProblem;

    // Adds the extra CA file to the certificates the system trusts.
    void trustExtraCa();
    // Runs one transfer of the easy handle to its end, a time-out or a cancel.
    CURLcode perform();
};

CURLcode Session::Impl::perform() {
    if (transfer.cancelled) {
        return CURLE_ABORTED_BY_CALLBACK;
    }
    CURLMcode multiCode = curl_multi_add_handle(multi.get(), easy.get());
    CURLcode code = CURLE_OK;
    int running = 1;
    while (multiCode == CURLM_OK) {
        if (transfer.cancelled) {
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

namespace {

// Refuses every secure connection of a session whose extra CA file could
// not be read: trusting less than the user set up is no quiet fallback.
CURLcode refuseSecureConnection(CURL*, void*, void*) {
    return CURLE_SSL_CACERT_BADFILE;
}

}  // namespace

void Session::Impl::trustExtraCa() {
    const QString& path = limits.extraCaFile;
    QFile extra(path);
    if (!extra.open(QIODevice::ReadOnly)) {
        caProblem = QStringLiteral(
                        "o arquivo de certificados %1 (download_extra_ca_file) não pôde ser "
                        "lido: %2")
                        .arg(path, extra.errorString());
    } else {
        const QByteArray certificates = extra.readAll();
        if (!certificates.contains("-----BEGIN CERTIFICATE-----")) {
            caProblem = QStringLiteral(
                            "o arquivo de certificados %1 (download_extra_ca_file) não contém "
                            "certificados em formato PEM")
                            .arg(path);
        } else {
            // A CA blob takes the place of the system's bundle file (its
            // certificate folder still counts), so the blob holds both.
            QByteArray trusted;
            const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
            if (version && version->cainfo) {
                QFile system(QString::fromLocal8Bit(version->cainfo));
                if (system.open(QIODevice::ReadOnly)) {
                    trusted = system.readAll() + '\n';
                }
            }
            trusted += certificates;
            curl_blob blob{trusted.data(), static_cast<size_t>(trusted.size()), CURL_BLOB_COPY};
            if (curl_easy_setopt(easy.get(), CURLOPT_CAINFO_BLOB, &blob) == CURLE_OK) {
                return;
            }
            caProblem = QStringLiteral(
                            "o arquivo de certificados %1 (download_extra_ca_file) não pode ser "
                            "usado por esta versão da biblioteca de rede")
                            .arg(path);
        }
    }
    curl_easy_setopt(easy.get(), CURLOPT_SSL_CTX_FUNCTION, refuseSecureConnection);
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
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeoutMs));
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToSink);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onTransferProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &m_impl->transfer);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_impl->errorBuffer);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Quelvora");
    if (!limits.extraCaFile.isEmpty()) {
        m_impl->trustExtraCa();
    }
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
    m_impl->transfer.received = 0;
    m_impl->transfer.expected = 0;
    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode code = m_impl->perform();
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);

    QString detail;
    if (code == CURLE_ABORTED_BY_CALLBACK && m_impl->transfer.cancelled) {
        detail = QStringLiteral("cancelado");
    } else if (sink.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        detail = QStringLiteral("resposta maior que %1 bytes").arg(m_impl->limits.maxBytes);
    } else if (sink.writeFailed) {
        detail = QStringLiteral("não foi possível gravar %1: %2").arg(path, file.errorString());
    } else if (code != CURLE_OK) {
        const char* text = m_impl->errorBuffer[0] ? m_impl->errorBuffer : curl_easy_strerror(code);
        const QString curlText = QString::fromUtf8(text);
        // The address that failed: after a redirect, the one redirected to.
        const char* effective = nullptr;
        curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective);
        const QString failedAddress = effective ? QString::fromUtf8(effective) : url;
        long verifyResult = 0;
        curl_easy_getinfo(h, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
        long redirects = 0;
        curl_easy_getinfo(h, CURLINFO_REDIRECT_COUNT, &redirects);
        const QString tlsReason = tlsFailureReason(code, verifyResult, curlText,
                                                   hostOf(failedAddress), m_impl->caProblem);
        detail = curlFailureReason(code, curlText, tlsReason,
                                   redirects > 0 || failedAddress.toUtf8() != address);
    } else if (status < 200 || status > 299) {
        detail = QStringLiteral("o servidor respondeu com o código HTTP %1").arg(status);
    }
    if (!detail.isEmpty()) {
        file.cancel();
        platform::Result failure = downloadFailure(url, detail);
        failure.unreachable = !m_impl->transfer.cancelled && isUnreachable(code);
        return failure;
    }
    if (!file.commit()) {
        return downloadFailure(
            url, QStringLiteral("não foi possível gravar %1: %2").arg(path, file.errorString()));
    }
    return platform::Result::success();
}

void Session::cancel() {
    m_impl->transfer.cancelled = true;
    if (m_impl->multi) {
        curl_multi_wakeup(m_impl->multi.get());
    }
}

void Session::resetCancel() {
    m_impl->transfer.cancelled = false;
}

Session::Progress Session::progress() const {
    return {m_impl->transfer.received, m_impl->transfer.expected};
}

const DownloadLimits& Session::limits() const {
    return m_impl->limits;
}

int Session::connectionsOpened() const {
    return m_impl->connectionsOpened;
}

}  // namespace net
