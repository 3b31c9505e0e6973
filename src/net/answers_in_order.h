#pragma once

#include "platform/result.h"

#include <QString>
#include <QTemporaryDir>

#include <vector>

namespace net {

class Downloader;

// Several downloads asked together and then handed over one by one, in the
// order asked, through one file: what a command that used to ask in turn
// through that file (a refresh's "temp.jpg", the capabilities' "layers.txt")
// needs to keep its files and its order of effects while the waiting
// overlaps. The answers wait in a temporary folder beside `target`, removed
// with this object. Without that folder the downloads run in turn, each as
// it is taken.
class AnswersInOrder {
public:
    // Asks every non-empty address of `urls` at once (an empty one is not
    // asked and cannot be taken).
    AnswersInOrder(Downloader& downloader, const QString& target, const std::vector<QString>& urls);

    // How the download of urls[i] ended; on success its answer is now
    // `target` (which must not exist), otherwise `target` is left alone.
    platform::Result take(size_t i);

private:
    Downloader& m_downloader;
    QString m_target;
    QTemporaryDir m_folder;
    std::vector<QString> m_urls;
    std::vector<QString> m_answers;  // where each answer waits; empty: not asked
    std::vector<platform::Result> m_results;
};

}  // namespace net
