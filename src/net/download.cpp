#include "net/download.h"

#include "net/session.h"
#include "platform/settings.h"

namespace net {

DownloadLimits DownloadLimits::fromSettings(const platform::Settings& settings) {
    DownloadLimits limits;
    limits.connectTimeoutMs = settings.downloadConnectTimeoutMs;
    limits.totalTimeoutMs = settings.downloadTotalTimeoutMs;
    limits.maxBytes = settings.downloadMaxBytes;
    limits.extraCaFile = settings.downloadExtraCaFile;
    return limits;
}

QByteArray requestUrl(const QString& url) {
    QByteArray bytes = url.toUtf8();
    bytes.replace(" ", "%20");
    return bytes;
}

platform::Result downloadFailure(const QString& url, const QString& detail) {
    return platform::Result::failure(QStringLiteral("Falha ao baixar %1").arg(url), detail);
}

platform::Result DownloadToFile(const QString& url, const QString& path,
                                const DownloadLimits& limits) {
    return Session(limits).download(url, path);
}

}  // namespace net
