#include "net/answers_in_order.h"

#include "net/downloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace net {

AnswersInOrder::AnswersInOrder(Downloader& downloader, const QString& target,
                               const std::vector<QString>& urls)
    : m_downloader(downloader),
      m_target(target),
      m_folder(QFileInfo(target).absoluteDir().filePath(QFileInfo(target).fileName() +
                                                        QStringLiteral("-XXXXXX"))),
      m_urls(urls),
      m_answers(urls.size()),
      m_results(urls.size(), platform::Result::success()) {
    if (!m_folder.isValid()) {
        return;  // take() downloads each in turn
    }
    std::vector<DownloadRequest> requests;
    std::vector<size_t> asked;
    for (size_t i = 0; i < urls.size(); ++i) {
        if (urls[i].isEmpty()) continue;
        m_answers[i] = m_folder.filePath(QString::number(i));
        requests.push_back({urls[i], m_answers[i]});
        asked.push_back(i);
    }
    std::vector<platform::Result> results = m_downloader.downloadAll(requests);
    for (size_t k = 0; k < asked.size() && k < results.size(); ++k) {
        m_results[asked[k]] = std::move(results[k]);
    }
}

platform::Result AnswersInOrder::take(size_t i) {
    if (!m_folder.isValid()) {
        return m_downloader.download(m_urls.at(i), m_target);
    }
    const platform::Result& got = m_results.at(i);
    if (!got) {
        return got;
    }
    QFile answer(m_answers.at(i));
    if (!answer.rename(m_target)) {
        return downloadFailure(
            m_urls.at(i),
            QStringLiteral("não foi possível gravar %1: %2").arg(m_target, answer.errorString()));
    }
    return got;
}

}  // namespace net
