#include "net/download.h"

#include "platform/settings.h"

#include <QFile>
#include <QSaveFile>

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace net {

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Collects the answer into the temporary file and enforces the size cap.
struct Sink {
    QSaveFile* file = nullptr;
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

platform::Result failure(const QString& url, const QString& detail) {
    return platform::Result::failure(QStringLiteral("Falha ao baixar %1").arg(url), detail);
}

}  // namespace

DownloadLimits DownloadLimits::fromSettings(const platform::Settings& settings) {
    return {settings.downloadConnectTimeoutMs, settings.downloadTotalTimeoutMs,
            settings.downloadMaxBytes};
}

QByteArray requestUrl(const QString& url) {
    QByteArray bytes = url.toUtf8();
    bytes.replace(" ", "%20");
    return bytes;
}

platform::Result DownloadToFile(const QString& url, const QString& path,
                                const DownloadLimits& limits) {
    if (QFile::exists(path) && !QFile::remove(path)) {
        return failure(url, QStringLiteral("cannot delete the old file %1").arg(path));
    }

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return failure(url, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }

    initialiseCurlOnce();
    CurlHandle curl(curl_easy_init());
    if (!curl) {
        file.cancelWriting();
        return failure(url, QStringLiteral("curl_easy_init failed"));
    }

    const QByteArray address = requestUrl(url);
    Sink sink{&file, 0, limits.maxBytes};
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, address.constData());
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
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Quelvora");

    const CURLcode code = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);

    QString detail;
    if (sink.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        detail = QStringLiteral("answer larger than %1 bytes").arg(limits.maxBytes);
    } else if (sink.writeFailed) {
        detail = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    } else if (code != CURLE_OK) {
        detail =
            QStringLiteral("%1 (%2)")
                .arg(QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code)))
                .arg(static_cast<int>(code));
    } else if (status < 200 || status > 299) {
        detail = QStringLiteral("HTTP status %1").arg(status);
    }
    if (!detail.isEmpty()) {
        file.cancelWriting();
        return failure(url, detail);
    }
    if (!file.commit()) {
        return failure(url, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
    return platform::Result::success();
}

}  // namespace net
