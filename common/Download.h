// HTTP download of one URL into one local file. Blocks the caller while the
// calling thread's events keep being processed; the exchange itself runs on
// a worker thread through the OS's HTTP client.
#pragma once

#include <QObject>
#include <QString>

namespace orvane {

// Lets a window end a download it started: Cancel() aborts the transfer in
// flight, and every later DownloadFile handed this token fails at once.
class DownloadCancel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool IsCancelled() const { return m_bCancelled; }
public slots:
    void Cancel();
signals:
    void cancelled();

private:
    bool m_bCancelled = false;
};

// Longest wait without any data before a download counts as failed: 60 s, or
// ORVANE_DOWNLOAD_STALL_MS when set to a positive number.
int DownloadStallLimitMs();

// Slowest average rate a download may keep, in bytes per second: 16 KiB/s,
// or ORVANE_DOWNLOAD_MIN_RATE when set to a positive number.
qint64 DownloadMinRate();

// Longest a download of at most `bytes` may take in all: the stall limit plus
// the time those bytes need at the minimum rate. A site that sends a byte
// now and then never trips the stall rule but runs into this one.
qint64 DownloadTimeLimitMs(qint64 bytes);

// GET url (asking for the body as stored: no content coding) and store the
// body at localPath. True only when the answer has status 200 (redirects are
// not followed, cookies neither kept nor sent), no content or transfer
// coding beyond chunked framing, a head within kMaxHeaderLines and
// kMaxHeaderBytes, the whole body arrived (as long as Content-Length said,
// when given), it is no longer than maxBytes and every byte of it is on disk.
// A Content-Length above maxBytes is refused from the head, a body that grows
// past it is cut off, a transfer without data for DownloadStallLimitMs or
// running past DownloadTimeLimitMs is given up. The body streams through a
// new file beside the target that replaces localPath in one step on success;
// on failure localPath is left as it was and nothing else remains. Logs
// "Download..." and "ok", or "Failure" with the reason.
bool DownloadFile(const QString& url, const QString& localPath, qint64 maxBytes,
                  DownloadCancel* cancel = nullptr);

}  // namespace orvane
