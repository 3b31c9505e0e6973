#include "net/answers_in_order.h"
#include "net/downloader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Answers every address with its own text, fails those containing "falha"
// and cancels at those containing "cancela"; notes what it was asked.
class ScriptedDownloader : public net::Downloader {
public:
    platform::Result download(const QString& url, const QString& nativePath) override {
        asked << url;
        if (url.contains("cancela")) {
            platform::Result cancelled = net::downloadFailure(url, "cancelado");
            cancelled.cancelled = true;
            return cancelled;
        }
        if (url.contains("falha")) return net::downloadFailure(url, "recusado");
        QFile file(nativePath);
        if (!file.open(QIODevice::WriteOnly)) return net::downloadFailure(url, "gravar");
        file.write(url.toUtf8());
        return platform::Result::success();
    }
    QStringList asked;
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

class AnswersInOrderTest : public ::testing::Test {
protected:
    QString target() const { return dir.filePath("temp.jpg"); }
    QStringList folderContents() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir;
    ScriptedDownloader downloader;
};

}  // namespace

TEST_F(AnswersInOrderTest, answersAreTakenThroughTheTargetInOrderAndTheirFolderGoes) {
    {
        net::AnswersInOrder answers(downloader, target(),
                                    {"http://a/1", "", "http://b/falha", "http://c/3"});
        EXPECT_EQ(downloader.asked, QStringList({"http://a/1", "http://b/falha", "http://c/3"}));
        EXPECT_FALSE(QFile::exists(target()));  // nothing taken yet

        ASSERT_TRUE(answers.take(0));
        EXPECT_EQ(contents(target()), "http://a/1");
        // A failure leaves the target as it was.
        const platform::Result failed = answers.take(2);
        EXPECT_FALSE(failed);
        EXPECT_EQ(failed.detail, "recusado");
        EXPECT_EQ(contents(target()), "http://a/1");

        QFile::remove(target());
        ASSERT_TRUE(answers.take(3));
        EXPECT_EQ(contents(target()), "http://c/3");
    }
    EXPECT_EQ(folderContents(), QStringList({"temp.jpg"}));
}

TEST_F(AnswersInOrderTest, aCancelAsksNoLaterAddressOfADownloaderThatAsksInTurn) {
    net::AnswersInOrder answers(downloader, target(),
                                {"http://a/1", "http://b/cancela", "http://c/3"});
    EXPECT_EQ(downloader.asked, QStringList({"http://a/1", "http://b/cancela"}));
    EXPECT_TRUE(answers.take(0));
    EXPECT_TRUE(answers.take(1).cancelled);
    const platform::Result later = answers.take(2);
    EXPECT_FALSE(later);
    EXPECT_TRUE(later.cancelled);
}
