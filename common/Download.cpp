#include "common/Download.h"

#include <QDebug>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "common/CheckedFile.h"
#include "common/HttpAnswer.h"
#include "common/Log.h"
#include "platform/host/HostHttp.h"

namespace orvane {

void DownloadCancel::Cancel()
{
    if (m_bCancelled)
        return;
    m_bCancelled = true;
    emit cancelled();
}

int DownloadStallLimitMs()
{
    bool ok = false;
    const int fromEnv = qEnvironmentVariableIntValue("ORVANE_DOWNLOAD_STALL_MS", &ok);
    return ok && fromEnv > 0 ? fromEnv : 60000;
}

qint64 DownloadMinRate()
{
    bool ok = false;
    const qint64 fromEnv = qEnvironmentVariable("ORVANE_DOWNLOAD_MIN_RATE").toLongLong(&ok);
    return ok && fromEnv > 0 ? fromEnv : 16 * 1024;
}

qint64 DownloadTimeLimitMs(qint64 bytes)
{
    return DownloadStallLimitMs() + qMax<qint64>(bytes, 0) * 1000 / DownloadMinRate();
}

namespace {

qint64 NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// How long a worker told to stop may take before it is left behind.
constexpr qint64 kAbandonAfterMs = 2000;
// The worker wakes the waiting thread when it is done; the waiting thread
// looks at it on its own only for the limits (the HTTP client may sit in a
// read without calling back), when the next one falls due and at least this
// often, and while a worker told to stop winds down, every kLookEveryMs.
constexpr qint64 kLongestLookMs = 1000;
constexpr int kLookEveryMs = 100;

// Why the transfer was given up from outside the answer itself; or
// kCommitting: past the point where it can be, the file is going in place.
enum Cutoff : int { kNone, kCancelled, kStalled, kTooSlow, kCommitting };

// One download, run on a worker thread: the exchange streams through the
// answer's rules into a new file beside the target, which replaces the
// target only when everything arrived and was written. The calling thread
// only waits; KeepGoing (and Cancel) may come from any thread.
class DownloadJob : public platform::host::HttpReceiver {
public:
    DownloadJob(QString url, QString localPath, qint64 maxBytes)
        : m_url(std::move(url)), m_localPath(std::move(localPath)), m_answer(maxBytes),
          m_stallMs(DownloadStallLimitMs()), m_startMs(NowMs()), m_lastDataMs(m_startMs),
          m_timeLimitMs(DownloadTimeLimitMs(maxBytes))
    {
    }

    void Run()
    {
        std::string transportProblem;
        const QUrl url(m_url, QUrl::TolerantMode);
        platform::host::HttpEnd end = platform::host::HttpEnd::Failed;
        if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
            transportProblem = "not an http address";
        else
            end = platform::host::HttpGet(url.toEncoded().toStdString(), {IdentityRequestHeader()}, *this,
                                          transportProblem);
        m_problem = m_cutoff == kNone ? QString() : CutoffProblem();
        if (m_problem.isEmpty() && !m_answer.Problem().isEmpty())
            m_problem = m_answer.Problem();
        if (m_problem.isEmpty() && !m_file.Problem().isEmpty())
            m_problem = m_file.Problem();
        if (m_problem.isEmpty() && end != platform::host::HttpEnd::Complete)
            m_problem = transportProblem.empty() ? QStringLiteral("download interrupted")
                                                 : QString::fromStdString(transportProblem);
        if (m_problem.isEmpty() && !m_answer.Complete())
            m_problem = m_answer.Problem();
        // A limit that fires from here on would report a failure while the
        // file still replaces the target: it must win before, or not at all.
        int none = kNone;
        if (m_problem.isEmpty() && !m_cutoff.compare_exchange_strong(none, kCommitting))
            m_problem = CutoffProblem();
        // An empty body still makes (and empties) the file.
        if (m_problem.isEmpty() && !m_fileOpen && !(m_fileOpen = m_file.CreateBeside(m_localPath)))
            m_problem = m_file.Problem();
        if (m_problem.isEmpty() && !m_file.CommitTo(m_localPath))
            m_problem = m_file.Problem();
        if (!m_problem.isEmpty())
            m_file.Discard();
        m_done = true;
    }

    // At once, not at the next KeepGoing: a transfer that completes in
    // between must not replace the target after all (a worker left behind
    // does so after the caller has reported the failure).
    void Cancel() { CutOff(kCancelled); }
    bool Done() const { return m_done; }
    QString Problem() const { return m_problem; }

    bool Status(int code) override
    {
        Touch();
        return m_answer.Status(code) && KeepGoing();
    }

    bool HeaderLine(const std::string& line) override
    {
        Touch();
        if (!m_answer.HeaderLine(QByteArray::fromStdString(line)))
            return false;
        // A smaller announced body earns a shorter limit, counted from the start.
        if (m_answer.AnnouncedLength() >= 0)
            m_timeLimitMs = qMin<qint64>(m_timeLimitMs, DownloadTimeLimitMs(m_answer.AnnouncedLength()));
        return KeepGoing();
    }

    bool Body(const char* data, std::size_t size) override
    {
        Touch();
        if (m_cutoff != kNone || !m_answer.Body(static_cast<qint64>(size)))
            return false;
        if (!m_fileOpen && !(m_fileOpen = m_file.CreateBeside(m_localPath)))
            return false;
        return m_file.Write(data, static_cast<qint64>(size)) && KeepGoing();
    }

    // Until the stall or the overall limit falls due, whichever comes first.
    qint64 MsUntilLimit() const
    {
        return qMin<qint64>(m_lastDataMs + m_stallMs, m_startMs + m_timeLimitMs) - NowMs();
    }

    bool KeepGoing() override
    {
        if (m_cutoff == kCommitting)
            return true;
        const qint64 now = NowMs();
        if (now - m_lastDataMs >= m_stallMs)
            CutOff(kStalled);
        else if (now - m_startMs >= m_timeLimitMs)
            CutOff(kTooSlow);
        return m_cutoff == kNone;
    }

    QString CutoffProblem() const
    {
        switch (m_cutoff) {
        case kCancelled: return QStringLiteral("download cancelled");
        case kStalled: return QStringLiteral("no data for %1 ms").arg(m_stallMs);
        case kTooSlow: return QStringLiteral("not complete after %1 ms").arg(m_timeLimitMs.load());
        default: return QStringLiteral("download cancelled");
        }
    }

private:
    void Touch() { m_lastDataMs = NowMs(); }
    void CutOff(Cutoff why)
    {
        int none = kNone;
        m_cutoff.compare_exchange_strong(none, why);
    }

    const QString m_url;
    const QString m_localPath;
    HttpAnswer m_answer;
    CheckedFile m_file;
    bool m_fileOpen = false;
    QString m_problem;
    const qint64 m_stallMs;
    const qint64 m_startMs;
    std::atomic<qint64> m_lastDataMs;
    std::atomic<qint64> m_timeLimitMs;
    std::atomic<int> m_cutoff{kNone};
    std::atomic<bool> m_done{false};
};

}  // namespace

bool DownloadFile(const QString& url, const QString& localPath, qint64 maxBytes, DownloadCancel* cancel)
{
    if (cancel && cancel->IsCancelled()) {
        qCDebug(lcOrvane) << "Failure" << QStringLiteral("download cancelled");
        return false;
    }

    // Loaded here, before the job's clock starts.
    const std::string clientProblem = platform::host::HttpClientProblem();
    if (!clientProblem.empty()) {
        qCDebug(lcOrvane) << "Failure" << QString::fromStdString(clientProblem);
        return false;
    }

    // The exchange runs on a worker; this thread turns its event loop until
    // the worker is done, so timers (the tray program's polling) and the
    // windows stay live however the server behaves.
    const auto job = std::make_shared<DownloadJob>(url, localPath, maxBytes);
    QEventLoop loop;
    // The worker may outlive this call (left behind below): it reaches the
    // loop only through the waker, which is emptied before the loop goes.
    struct Waker {
        std::mutex lock;
        QEventLoop* loop = nullptr;
    };
    const auto waker = std::make_shared<Waker>();
    waker->loop = &loop;
    std::thread worker([job, waker]() {
        job->Run();
        std::lock_guard<std::mutex> lock(waker->lock);
        if (waker->loop)
            QMetaObject::invokeMethod(waker->loop, "quit", Qt::QueuedConnection);
    });
    QTimer poll;
    poll.setSingleShot(true);
    poll.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceCutoff;
    const auto lookAgain = [&]() {
        poll.start(sinceCutoff.isValid()
                       ? kLookEveryMs
                       : static_cast<int>(qBound<qint64>(kLookEveryMs / 10, job->MsUntilLimit() + 1, kLongestLookMs)));
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, [&]() {
        if (job->Done()) {
            loop.quit();
            return;
        }
        if (!sinceCutoff.isValid() && !job->KeepGoing())
            sinceCutoff.start();
        if (sinceCutoff.isValid() && sinceCutoff.elapsed() > kAbandonAfterMs) {
            loop.quit();
            return;
        }
        lookAgain();
    });
    if (cancel)
        QObject::connect(cancel, &DownloadCancel::cancelled, &loop, [&job, &sinceCutoff, &lookAgain]() {
            job->Cancel();
            // Winding down is watched from now on.
            if (!sinceCutoff.isValid()) {
                sinceCutoff.start();
                lookAgain();
            }
        });
    lookAgain();
    loop.exec();
    poll.stop();
    {
        std::lock_guard<std::mutex> lock(waker->lock);
        waker->loop = nullptr;
    }
    // The loop also ends when the application quits underneath it; a
    // transfer still running then is cut short.
    if (!job->Done()) {
        job->Cancel();
        QElapsedTimer grace;
        grace.start();
        while (!job->Done() && grace.elapsed() < kAbandonAfterMs)
            QThread::msleep(10);
    }
    QString problem;
    if (job->Done()) {
        worker.join();
        problem = job->Problem();
    } else {
        // An HTTP client that does not return when told to stop (WinHTTP
        // under Wine, blocked in a read) is left to finish on its own; it
        // removes what it wrote when it does.
        worker.detach();
        problem = job->CutoffProblem();
    }
    if (problem.isEmpty()) {
        qCDebug(lcOrvane) << "Download...";
        qCDebug(lcOrvane) << "ok";
        return true;
    }
    qCDebug(lcOrvane) << "Failure" << problem;
    return false;
}

}  // namespace orvane
