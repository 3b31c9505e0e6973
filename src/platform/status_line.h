#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QPrinter;
class QProgressBar;
class QStatusBar;

namespace platform {

// The main window's status line: one line telling what the last command did
// (the records a query found, the file a save or an export wrote) and, while
// long work runs, what is being done with a progress bar beside it. It is a
// status bar, never a dialog: nothing here waits for the user. A message
// stays until the next one or for kMessageMs. The status bar belongs to the
// window; this object adds its progress bar to it and writes into it.
class StatusLine : public QObject {
public:
    static constexpr int kMessageMs = 10000;
    // Work shows only once it has run this long, and its progress bar is
    // brought up to date at most once per kStepMs.
    static constexpr qint64 kShowAfterMs = 500;
    static constexpr qint64 kStepMs = 100;
    // Milliseconds from any fixed start; tests pass their own.
    using Clock = std::function<qint64()>;

    explicit StatusLine(QStatusBar& bar, Clock clock = {});

    // Shows `text` for kMessageMs, replacing what was there.
    void say(const QString& text);
    // "N registros encontrados".
    void found(qsizetype records);
    // The file a save or an export wrote (native path).
    void fileWritten(const QString& nativePath);
    // After a print that went to a file (print to PDF): the file written.
    // A print to a printer leaves the line as it was.
    void printed(const QPrinter& printer);
    // Ends the message now; the expiry timer calls it.
    void clear();

    QString text() const;
    const QTimer& expiry() const { return m_expiry; }
    const QProgressBar& progressBar() const { return *m_progress; }
    qint64 now() const { return m_clock(); }

    class Task;

private:
    void repaintNow();

    QStatusBar& m_bar;
    QProgressBar* m_progress = nullptr;  // child of the status bar
    Clock m_clock;
    QTimer m_expiry;
    int m_openTasks = 0;  // Task objects alive on this line
};

// One piece of long work on the status line, from construction to
// destruction: "what" with a progress bar (a busy bar when the amount is not
// known). Nothing shows for work that ends within kShowAfterMs; after that
// the line is repainted at once, since the work holds the event loop. Work
// begun while other work is on the line is part of it and shows nothing:
// the outer work (a field save of many downloads) tells its own progress.
class StatusLine::Task {
public:
    // `total` 0: the amount is not known.
    Task(StatusLine& line, QString what, qint64 total = 0);
    ~Task();
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // `done` of the total (ignored when the amount is not known), with
    // `what` as the text when not empty. True when the line was updated,
    // false when too soon after the start or the last update.
    bool step(qint64 done, const QString& what = QString());
    // The amount, once known after the start (a download's announced
    // length); 0 turns the bar back to busy.
    void setTotal(qint64 total);
    // GDAL's progress callback: `fraction` from 0 to 1, `task` a Task made
    // with any total. Always lets the work go on.
    static int gdalProgress(double fraction, const char* message, void* task);
    // Shows the work at once: for work known to be long that reports no
    // progress while it runs (a busy bar when the amount is not known).
    void showNow();

    bool isShown() const { return m_shown; }

private:
    StatusLine& m_line;
    QString m_what;
    qint64 m_total;
    qint64 m_start;
    qint64 m_lastUpdate = 0;
    bool m_shown = false;
    bool m_nested;
};

}  // namespace platform
