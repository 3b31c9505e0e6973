#include "net/downloader.h"

#include "net/session.h"
#include "platform/status_line.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <optional>
#include <thread>

namespace net {

std::vector<platform::Result> Downloader::downloadAll(
    const std::vector<DownloadRequest>& requests) {
    std::vector<platform::Result> results;
    results.reserve(requests.size());
    bool cancelled = false;
    for (const DownloadRequest& request : requests) {
        if (cancelled) {
            // A cancel ends the whole batch: the rest are not asked.
            platform::Result skipped = downloadFailure(request.url, QStringLiteral("cancelado"));
            skipped.cancelled = true;
            results.push_back(std::move(skipped));
            continue;
        }
        results.push_back(download(request.url, request.path));
        cancelled = results.back().cancelled;
    }
    return results;
}

namespace {

// How long a download runs before the busy box shows, so that quick ones do
// not flash it.
constexpr int kBusyBoxDelayMs = 300;

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::NativeGesture:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

// Holds back the user's input to every window but the busy box while a
// download runs, from its first moment: the box itself shows only later, and
// Qt's modality would not cover the time before. Input is dropped, not
// queued, so nothing the user did while waiting acts afterwards. Esc cancels
// wherever it is pressed. The release of a mouse button pressed before the
// download passes, so the widget that started it sees its click end.
class InputBlocker final : public QObject {
public:
    InputBlocker(QWidget* box, std::function<void()> cancel)
        : m_box(box), m_cancel(std::move(cancel)) {
        qApp->installEventFilter(this);
    }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Close) {
            // A window closed from the window system (its title bar) waits
            // too: the download's caller may belong to it.
            if (event->spontaneous() && !isInBox(watched)) {
                event->ignore();
                return true;
            }
            return false;
        }
        if (!isUserInput(type) || isInBox(watched)) {
            return false;
        }
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            m_swallowedButtons |= static_cast<QMouseEvent*>(event)->button();
        } else if (type == QEvent::MouseButtonRelease) {
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            if (!(m_swallowedButtons & button)) {
                return false;
            }
            m_swallowedButtons &= ~Qt::MouseButtons(button);
        } else if (type == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_cancel();
        }
        return true;
    }

private:
    bool isInBox(QObject* watched) const {
        if (!m_box) {
            return false;
        }
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            return widget == m_box || m_box->isAncestorOf(widget);
        }
        if (auto* window = qobject_cast<QWindow*>(watched)) {
            return window == m_box->windowHandle();
        }
        return false;
    }

    QPointer<QWidget> m_box;
    std::function<void()> m_cancel;
    Qt::MouseButtons m_swallowedButtons;
};

// The busy box: a turning busy bar, the text and "Cancelar". Hidden until
// shown; Esc, "Cancelar" and its close button reject it.
QDialog* makeBusyBox(QWidget* window) {
    auto* box = new QDialog(window);
    box->setObjectName("BusyBox");
    box->setWindowTitle(QStringLiteral("Quelvora"));
    box->setWindowModality(Qt::ApplicationModal);
    auto* text = new QLabel(QStringLiteral("Aguarde - conectando..."), box);
    text->setObjectName("BusyText");
    auto* bar = new QProgressBar(box);
    bar->setObjectName("BusyBar");
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancelar"), box);
    cancel->setObjectName("BusyCancel");
    QObject::connect(cancel, &QPushButton::clicked, box, &QDialog::reject);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(text);
    layout->addWidget(bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    return box;
}

// Shows how far a download has come, on the busy box's bar and on the
// status line, at most once per StatusLine::kStepMs: a share where the
// server announced the length, a busy bar where it did not.
class ProgressReport {
public:
    ProgressReport(const Session& session, QDialog* box, platform::StatusLine* line,
                   const std::vector<DownloadRequest>& requests)
        : m_session(session), m_box(box) {
        if (line) {
            QStringList hosts;
            for (const DownloadRequest& request : requests) {
                const QString host = QUrl(request.url).host();
                const QString named = host.isEmpty() ? request.url : host;
                if (!hosts.contains(named)) hosts << named;
            }
            m_task.emplace(*line, QStringLiteral("Baixando de %1").arg(hosts.join(u", ")));
        }
        m_timer.setInterval(static_cast<int>(platform::StatusLine::kStepMs));
        m_timer.callOnTimeout([this] { update(); });
        m_timer.start();
    }

private:
    void update() {
        const Session::Progress progress = m_session.progress();
        const bool known = progress.expected > 0;
        if (m_task) {
            m_task->setTotal(progress.expected);
            m_task->step(progress.received);
        }
        if (auto* bar =
                m_box ? m_box->findChild<QProgressBar*>(QStringLiteral("BusyBar")) : nullptr) {
            bar->setRange(0, known ? 1000 : 0);
            if (known) {
                bar->setValue(static_cast<int>(
                    std::min<qint64>(1000, progress.received * 1000 / progress.expected)));
            }
        }
    }

    const Session& m_session;
    QPointer<QDialog> m_box;
    std::optional<platform::StatusLine::Task> m_task;
    QTimer m_timer;
};

// Restores the cursor however download() leaves.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

struct BusyDownloader::Impl {
    explicit Impl(QWidget* w, DownloadLimits limits) : window(w), session(limits) {
        commandEnd.setSingleShot(true);
        commandEnd.callOnTimeout([this] { endCancelledCommandIfBack(); });
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &commandEnd,
                             [this] { endCancelledCommandIfBack(); });
        }
    }

    QPointer<QWidget> window;
    Session session;
    QPointer<platform::StatusLine> statusLine;
    std::function<void(const platform::Result&)> failureListener;
    QPointer<QDialog> box;
    bool running = false;
    bool cancelRequested = false;
    // The command whose download was cancelled, while it has not returned
    // to the event loop it was called from (of that loop's level).
    bool commandCancelled = false;
    int commandLoopLevel = 0;
    QTimer commandEnd;

    // Downloads are refused from now until the command has returned to the
    // event loop it was called from (of level `loopLevel`).
    void cancelCommand(int loopLevel);
    // Called when an event loop runs its next event or waits for one: the
    // command has ended when that loop is the command's own, not a deeper
    // one (a message box the command shows).
    void endCancelledCommandIfBack();
};

void BusyDownloader::Impl::cancelCommand(int loopLevel) {
    commandCancelled = true;
    commandLoopLevel = loopLevel;
    commandEnd.start(0);
}

void BusyDownloader::Impl::endCancelledCommandIfBack() {
    if (commandCancelled && QThread::currentThread()->loopLevel() <= commandLoopLevel) {
        commandCancelled = false;
    }
}

BusyDownloader::BusyDownloader(QWidget* window, DownloadLimits limits)
    : m_impl(std::make_unique<Impl>(window, limits)) {}

BusyDownloader::~BusyDownloader() = default;

platform::Result BusyDownloader::download(const QString& url, const QString& nativePath) {
    return downloadAll({{url, nativePath}}).front();
}

std::vector<platform::Result> BusyDownloader::downloadAll(
    const std::vector<DownloadRequest>& requests) {
    std::vector<platform::Result> results;
    results.reserve(requests.size());
    if (requests.empty()) {
        return results;
    }
    if (m_impl->running) {
        // A timer or a repaint in the loop below asked for another download:
        // one transfer (or batch) at a time.
        for (const DownloadRequest& request : requests) {
            results.push_back(
                downloadFailure(request.url, QStringLiteral("outra transferência em andamento")));
        }
        return results;
    }
    if (m_impl->commandCancelled) {
        for (const DownloadRequest& request : requests) {
            platform::Result cancelled = downloadFailure(request.url, QStringLiteral("cancelado"));
            cancelled.cancelled = true;
            results.push_back(std::move(cancelled));
        }
        return results;
    }
    const int loopLevel = QThread::currentThread()->loopLevel();
    m_impl->running = true;
    m_impl->cancelRequested = false;
    m_impl->session.resetCancel();

    const WaitCursor cursor;
    QPointer<QDialog> box = makeBusyBox(m_impl->window);
    m_impl->box = box;
    QObject::connect(box, &QDialog::rejected, box, [this] { cancel(); });
    const InputBlocker blocker(box, [this] { cancel(); });
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, [this, box] {
        if (box && !m_impl->cancelRequested) {
            box->show();
        }
    });
    showLater.start(kBusyBoxDelayMs);
    const ProgressReport report(m_impl->session, box.data(), m_impl->statusLine.data(), requests);

    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        try {
            results = m_impl->session.downloadAll(requests);
        } catch (const std::exception& error) {
            results.clear();
            for (const DownloadRequest& request : requests) {
                results.push_back(downloadFailure(request.url, QString::fromUtf8(error.what())));
            }
        }
        finished = true;
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    if (!finished) {
        // The loop ended early: the application is quitting.
        m_impl->session.cancel();
    }
    worker.join();

    showLater.stop();
    delete box.data();
    m_impl->running = false;
    if (m_impl->cancelRequested) {
        // A lone download that failed once the user cancelled counts as
        // cancelled; of a batch, those that failed by themselves before the
        // cancel stay failures, as when they were asked in turn.
        for (platform::Result& result : results) {
            result.cancelled = !result.ok && (result.cancelled || results.size() == 1);
        }
        m_impl->cancelCommand(loopLevel);
    }
    if (m_impl->failureListener) {
        for (const platform::Result& result : results) {
            if (!result.ok && !result.cancelled) {
                m_impl->failureListener(result);
            }
        }
    }
    return results;
}

void BusyDownloader::setStatusLine(platform::StatusLine* line) {
    m_impl->statusLine = line;
}

void BusyDownloader::cancel() {
    m_impl->cancelRequested = true;
    m_impl->session.cancel();
}

void BusyDownloader::setFailureListener(std::function<void(const platform::Result&)> listener) {
    m_impl->failureListener = std::move(listener);
}

QWidget* BusyDownloader::busyBox() const {
    return m_impl->box.data();
}

}  // namespace net
