#include "download_fixture.h"
#include "net/downloader.h"
#include "platform/status_line.h"
#include "support/http_server.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A window that counts its paints.
class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

class BusyDownload : public nettest::DownloadFixture {
protected:
    BusyDownload() {
        server.reply("/hang", hanging());
        window.resize(200, 120);
        button = new QPushButton("Zoom", &window);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        window.show();
    }

    // A failing test ends with a time-out, not "cancelado", and soon.
    static net::DownloadLimits testLimits() {
        net::DownloadLimits limits;
        limits.totalTimeoutMs = 20'000;
        return limits;
    }

    static support::HttpServer::Reply hanging() {
        support::HttpServer::Reply reply;
        reply.hang = true;
        return reply;
    }

    // Runs `action` from the event loop once `ready` holds; the nested loop
    // of a running download checks it every few milliseconds.
    void when(std::function<bool()> ready, std::function<void()> action) {
        auto* timer = new QTimer(&window);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, ready, action] {
            if (ready()) {
                timer->stop();
                action();
            }
        });
        timer->start();
    }

    bool requestArrived() const { return !server.targets().empty(); }
    bool boxVisible() const { return downloader.busyBox() && downloader.busyBox()->isVisible(); }
    // Everything a download leaves behind once it returned.
    void expectCleanEnd() const {
        EXPECT_EQ(downloader.busyBox(), nullptr);
        EXPECT_EQ(window.findChild<QWidget*>("BusyBox"), nullptr);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    PaintCounter window;
    QPushButton* button = nullptr;
    int clicks = 0;
    net::BusyDownloader downloader{&window, testLimits()};
};

}  // namespace

TEST_F(BusyDownload, escOnTheBusyBoxCancelsAHangingDownload) {
    QString text;
    bool turning = false;
    bool modal = false;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    when([this] { return boxVisible(); },
         [&] {
             QWidget* box = downloader.busyBox();
             if (const auto* label = box->findChild<QLabel*>("BusyText")) {
                 text = label->text();
             }
             if (const auto* bar = box->findChild<QProgressBar*>("BusyBar")) {
                 turning = bar->minimum() == 0 && bar->maximum() == 0;
             }
             modal = box->windowModality() == Qt::ApplicationModal && box->parent() == &window;
             cursor = QApplication::overrideCursor()->shape();
             QTest::keyClick(box, Qt::Key_Escape);
         });
    const platform::Result result = downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_FALSE(result);
    EXPECT_EQ(result.detail.toStdString(), "cancelado");
    EXPECT_EQ(text.toStdString(), "Aguarde - conectando...");
    EXPECT_TRUE(turning);
    EXPECT_TRUE(modal);
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_TRUE(folderContents().isEmpty());
    expectCleanEnd();
}

TEST_F(BusyDownload, cancelarCancelsAHangingDownload) {
    when([this] { return boxVisible(); },
         [this] {
             auto* cancel = downloader.busyBox()->findChild<QPushButton*>("BusyCancel");
             ASSERT_NE(cancel, nullptr);
             EXPECT_EQ(cancel->text(), "Cancelar");
             QTest::mouseClick(cancel, Qt::LeftButton);
         });
    const platform::Result result = downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_EQ(result.detail.toStdString(), "cancelado");
    EXPECT_TRUE(folderContents().isEmpty());
    expectCleanEnd();
}

TEST_F(BusyDownload, escAnywhereCancelsBeforeTheBoxShows) {
    when([this] { return requestArrived(); }, [this] { QTest::keyClick(&window, Qt::Key_Escape); });
    const platform::Result result = downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_EQ(result.detail.toStdString(), "cancelado");
    expectCleanEnd();
}

TEST_F(BusyDownload, successWritesTheFileAndLeavesNothingBehind) {
    server.reply("/map.png", {200, "picture"});
    const QString path = dir.filePath("map.png");
    ASSERT_TRUE(downloader.download(server.url("/map.png"), path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "picture");
    expectCleanEnd();
    // The next download of the same downloader runs on the same connection.
    ASSERT_TRUE(downloader.download(server.url("/map.png"), path));
    EXPECT_EQ(server.connectionsAccepted(), 1);
}

TEST_F(BusyDownload, secondDownloadWhileOneRunsIsRefusedAtOnce) {
    server.reply("/other", {200, "other"});
    platform::Result second = platform::Result::success();
    when([this] { return requestArrived(); },
         [&] {
             second = downloader.download(server.url("/other"), dir.filePath("b"));
             downloader.cancel();
         });
    const platform::Result first = downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_FALSE(second);
    EXPECT_EQ(second.detail.toStdString(), "outra transferência em andamento");
    EXPECT_EQ(first.detail.toStdString(), "cancelado");
    EXPECT_EQ(server.targets(), std::vector<std::string>{"/hang"});
    EXPECT_TRUE(folderContents().isEmpty());
    expectCleanEnd();
}

TEST_F(BusyDownload, userInputWaitsUntilTheDownloadEnds) {
    int clicksDuring = -1;
    when([this] { return requestArrived(); },
         [&] {
             QTest::mouseClick(button, Qt::LeftButton);  // before the box shows
             QTest::keyClick(button, Qt::Key_Space);
             when([this] { return boxVisible(); },
                  [&] {
                      // Through the window system, as a real click arrives.
                      QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                                        button->geometry().center());
                      QTest::mouseClick(button, Qt::LeftButton);
                      clicksDuring = clicks;
                      downloader.cancel();
                  });
         });
    const platform::Result result = downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_EQ(result.detail.toStdString(), "cancelado");
    EXPECT_EQ(clicksDuring, 0);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);  // nothing held back acts afterwards; new input does
}

TEST_F(BusyDownload, windowCannotBeClosedFromItsTitleBarMeanwhile) {
    bool closeAccepted = true;
    when([this] { return requestArrived(); },
         [&] {
             QCloseEvent close;
             QSpontaneKeyEvent::setSpontaneous(&close);
             QApplication::instance()->notify(&window, &close);
             closeAccepted = close.isAccepted();
             downloader.cancel();
         });
    (void)downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_FALSE(closeAccepted);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(BusyDownload, windowKeepsPaintingMeanwhile) {
    int paintsBefore = -1;
    when([this] { return boxVisible(); },
         [&] {
             paintsBefore = window.paints;
             window.update();
             when([&] { return window.paints > paintsBefore; }, [this] { downloader.cancel(); });
         });
    const platform::Result result = downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_EQ(result.detail.toStdString(), "cancelado");  // a time-out here means no paint came
    EXPECT_GE(paintsBefore, 0);
}

TEST_F(BusyDownload, aCancelEndsTheCommandNotJustItsTransfer) {
    server.reply("/ok", {200, "ok"});
    when([this] { return requestArrived(); }, [this] { QTest::keyClick(&window, Qt::Key_Escape); });
    const platform::Result first = downloader.download(server.url("/hang"), dir.filePath("a"));
    EXPECT_TRUE(first.cancelled);
    // The same command asks again: refused at once, without the box, and
    // the server never hears of it.
    const platform::Result second = downloader.download(server.url("/ok"), dir.filePath("b"));
    EXPECT_FALSE(second);
    EXPECT_TRUE(second.cancelled);
    EXPECT_EQ(second.detail.toStdString(), "cancelado");
    EXPECT_EQ(server.targets(), std::vector<std::string>{"/hang"});
    expectCleanEnd();

    // A message box of the same command runs a loop of its own, which
    // runs events and waits for more: still the same command.
    QEventLoop box;
    QTimer::singleShot(0, &box, [&box] { QTimer::singleShot(0, &box, &QEventLoop::quit); });
    box.exec();
    EXPECT_TRUE(downloader.download(server.url("/ok"), dir.filePath("b")).cancelled);

    // Back in the loop the command was called from, waiting for the user:
    // the command has ended and the next one downloads.
    QTimer::singleShot(0, [] {});
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const platform::Result next = downloader.download(server.url("/ok"), dir.filePath("b"));
    EXPECT_TRUE(next) << next.detail.toStdString();
    EXPECT_FALSE(next.cancelled);
    EXPECT_EQ(server.targets().size(), 2u);
}

TEST_F(BusyDownload, progressShowsOnTheBoxAndTheStatusLine) {
    // Every reading of this clock is a second after the last: the line
    // shows and updates at each step of the waiting loop.
    qint64 clock = 0;
    auto* bar = new QStatusBar(&window);
    bar->show();
    platform::StatusLine line(*bar, [&clock] { return clock += 1000; });
    downloader.setStatusLine(&line);
    support::HttpServer::Reply paused{200, std::string(400'000, 'p')};
    paused.pauseHalfway = true;
    server.reply("/big", paused);

    int boxValue = -1;
    int lineValue = -1;
    QString lineText;
    const auto halfway = [&] {
        return boxVisible() && line.progressBar().isVisible() && line.progressBar().value() >= 490;
    };
    when(halfway, [&] {
        boxValue = downloader.busyBox()->findChild<QProgressBar*>("BusyBar")->value();
        lineValue = line.progressBar().value();
        lineText = line.text();
        server.resume();
    });
    const platform::Result result = downloader.download(server.url("/big"), dir.filePath("big"));
    ASSERT_TRUE(result) << result.detail.toStdString();
    // Half of the announced length had come, in thousandths.
    EXPECT_EQ(boxValue, 500);
    EXPECT_EQ(lineValue, 500);
    EXPECT_EQ(lineText.toStdString(), "Baixando de 127.0.0.1");
    EXPECT_EQ(QFileInfo(dir.filePath("big")).size(), 400'000);
    // Once the download has ended, its text and bar are gone.
    EXPECT_FALSE(line.progressBar().isVisible());
    EXPECT_EQ(line.text(), QString());
    expectCleanEnd();
}

TEST_F(BusyDownload, anAnswerOfUnknownLengthShowsABusyBar) {
    qint64 clock = 0;
    auto* bar = new QStatusBar(&window);
    bar->show();
    platform::StatusLine line(*bar, [&clock] { return clock += 1000; });
    downloader.setStatusLine(&line);
    int maximum = -1;
    when([&] { return requestArrived() && line.progressBar().isVisible(); },
         [&] {
             maximum = line.progressBar().maximum();
             downloader.cancel();
         });
    EXPECT_TRUE(downloader.download(server.url("/hang"), dir.filePath("a")).cancelled);
    EXPECT_EQ(maximum, 0);  // busy
    EXPECT_FALSE(line.progressBar().isVisible());
}

TEST_F(BusyDownload, theFailureListenerHearsOfFailuresButNotOfSuccessesOrCancels) {
    server.reply("/ok", {200, "fine"});
    QStringList heard;
    downloader.setFailureListener(
        [&heard](const platform::Result& failed) { heard << failed.detail; });
    ASSERT_TRUE(downloader.download(server.url("/ok"), dir.filePath("a")));
    EXPECT_FALSE(downloader.download(server.url("/missing"), dir.filePath("a")));
    EXPECT_EQ(heard, QStringList{QString::fromUtf8("o servidor respondeu com o código HTTP 404")});

    when([this] { return requestArrived(); }, [this] { downloader.cancel(); });
    EXPECT_FALSE(downloader.download(server.url("/hang"), dir.filePath("a")));
    EXPECT_EQ(heard.size(), 1);
}

TEST_F(BusyDownload, aBatchRunsUnderOneBoxAndTheListenerHearsEachFailureInOrder) {
    support::HttpServer::Reply ok{200, "fine"};
    ok.holdUntilRequests = 3;
    server.reply("/ok", ok);
    support::HttpServer::Reply busy{503, "busy"};
    busy.holdUntilRequests = 3;
    server.reply("/busy", busy);
    QStringList heard;
    downloader.setFailureListener(
        [&heard](const platform::Result& failed) { heard << failed.message; });
    int boxesSeen = 0;
    QWidget* lastBox = nullptr;
    when([&] { return downloader.busyBox() != nullptr && downloader.busyBox() != lastBox; },
         [&] {
             ++boxesSeen;
             lastBox = downloader.busyBox();
         });
    const std::vector<platform::Result> results =
        downloader.downloadAll({{server.url("/busy"), dir.filePath("a")},
                                {server.url("/missing"), dir.filePath("b")},
                                {server.url("/ok"), dir.filePath("c")}});
    ASSERT_EQ(results.size(), 3u);
    EXPECT_FALSE(results[0]);
    EXPECT_FALSE(results[1]);
    EXPECT_TRUE(results[2]);
    EXPECT_EQ(heard, QStringList({results[0].message, results[1].message}));
    EXPECT_TRUE(heard.value(0).contains("/busy"));
    EXPECT_LE(boxesSeen, 1);
    expectCleanEnd();
}

TEST_F(BusyDownload, escEndsTheWholeBatchAndTheCommand) {
    server.reply("/ok", {200, "ok"});
    when([this] { return server.targets().size() >= 2; },
         [this] { QTest::keyClick(&window, Qt::Key_Escape); });
    const std::vector<platform::Result> results = downloader.downloadAll(
        {{server.url("/hang"), dir.filePath("a")}, {server.url("/hang"), dir.filePath("b")}});
    ASSERT_EQ(results.size(), 2u);
    for (const platform::Result& result : results) {
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(result.detail.toStdString(), "cancelado");
    }
    EXPECT_TRUE(folderContents().isEmpty());
    // The same command asks again: refused without reaching the server.
    const std::vector<platform::Result> again =
        downloader.downloadAll({{server.url("/ok"), dir.filePath("c")}});
    EXPECT_TRUE(again.front().cancelled);
    EXPECT_EQ(server.targets().size(), 2u);
    expectCleanEnd();
}

TEST_F(BusyDownload, aFailureOfABatchBeforeTheCancelIsStillHeardAsAFailure) {
    QStringList heard;
    downloader.setFailureListener(
        [&heard](const platform::Result& failed) { heard << failed.message; });
    when([this] { return requestArrived(); }, [this] { QTest::keyClick(&window, Qt::Key_Escape); });
    // The first cannot be written (no such folder): it fails before anything is asked.
    const std::vector<platform::Result> results =
        downloader.downloadAll({{server.url("/ok"), dir.filePath("nenhuma/pasta/a")},
                                {server.url("/hang"), dir.filePath("b")}});
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[0]);
    EXPECT_FALSE(results[0].cancelled);
    EXPECT_TRUE(results[0].detail.contains(QString::fromUtf8("não foi possível gravar")));
    EXPECT_TRUE(results[1].cancelled);
    EXPECT_EQ(heard, QStringList({results[0].message}));
    expectCleanEnd();
}
