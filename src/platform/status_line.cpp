#include "platform/status_line.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>
#include <cmath>
#include <memory>

namespace platform {

namespace {

StatusLine::Clock monotonicClock() {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    return [started] { return started->elapsed(); };
}

}  // namespace

StatusLine::StatusLine(QStatusBar& bar, Clock clock)
    : QObject(&bar), m_bar(bar), m_clock(clock ? std::move(clock) : monotonicClock()) {
    m_progress = new QProgressBar(&bar);
    m_progress->setObjectName(QStringLiteral("StatusProgress"));
    m_progress->setMaximumWidth(200);
    m_progress->setTextVisible(false);
    m_progress->hide();
    bar.addPermanentWidget(m_progress);
    m_expiry.setSingleShot(true);
    m_expiry.setInterval(kMessageMs);
    connect(&m_expiry, &QTimer::timeout, this, &StatusLine::clear);
}

void StatusLine::say(const QString& text) {
    m_bar.showMessage(text);
    m_expiry.start();
}

void StatusLine::found(qsizetype records) {
    say(QStringLiteral("%1 registros encontrados").arg(records));
}

void StatusLine::fileWritten(const QString& nativePath) {
    say(QStringLiteral("Arquivo gravado: %1").arg(nativePath));
}

void StatusLine::printed(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty()) {
        fileWritten(QDir::toNativeSeparators(printer.outputFileName()));
    }
}

void StatusLine::clear() {
    m_expiry.stop();
    m_bar.clearMessage();
}

QString StatusLine::text() const {
    return m_bar.currentMessage();
}

void StatusLine::repaintNow() {
    if (m_bar.isVisible()) {
        m_bar.repaint();
    }
}

StatusLine::Task::Task(StatusLine& line, QString what, qint64 total)
    : m_line(line),
      m_what(std::move(what)),
      m_total(std::max<qint64>(total, 0)),
      m_start(line.now()),
      m_nested(line.m_openTasks++ > 0) {}

StatusLine::Task::~Task() {
    --m_line.m_openTasks;
    if (!m_shown) {
        return;
    }
    m_line.m_progress->hide();
    if (m_line.text() == m_what) {
        m_line.clear();
    }
    m_line.repaintNow();
}

bool StatusLine::Task::step(qint64 done, const QString& what) {
    if (m_nested) {
        return false;
    }
    const qint64 now = m_line.now();
    if (now - m_start < kShowAfterMs || (m_shown && now - m_lastUpdate < kStepMs)) {
        if (!what.isEmpty()) {
            m_what = what;  // shown with the next update
        }
        return false;
    }
    if (!what.isEmpty()) {
        m_what = what;
    }
    QProgressBar& bar = *m_line.m_progress;
    if (m_total > 0) {
        // A progress bar holds an int: large amounts are shown in thousandths.
        bar.setRange(0, 1000);
        const double fraction = std::clamp(static_cast<double>(done) / m_total, 0.0, 1.0);
        bar.setValue(static_cast<int>(std::lround(fraction * 1000)));
    } else {
        bar.setRange(0, 0);  // busy
    }
    bar.show();
    if (m_line.text() != m_what) {
        m_line.m_bar.showMessage(m_what);
    }
    m_line.m_expiry.stop();  // stays while the work runs
    m_shown = true;
    m_lastUpdate = now;
    m_line.repaintNow();
    return true;
}

void StatusLine::Task::setTotal(qint64 total) {
    m_total = std::max<qint64>(total, 0);
}

void StatusLine::Task::showNow() {
    m_start = m_line.now() - kShowAfterMs;
    m_shown = false;
    step(0);
}

int StatusLine::Task::gdalProgress(double fraction, const char* /*message*/, void* task) {
    if (auto* self = static_cast<Task*>(task)) {
        const qint64 total = self->m_total > 0 ? self->m_total : 1000;
        if (self->m_total == 0) {
            self->m_total = total;
        }
        self->step(static_cast<qint64>(std::lround(std::clamp(fraction, 0.0, 1.0) * total)));
    }
    return 1;
}

}  // namespace platform
