// HTTP download of one URL into one local file. Blocks the caller while the
// calling thread's events keep being processed.
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

// GET url and store the body at localPath. True only when the final status is
// 200, the whole body arrived (as long as Content-Length said, when given)
// and it was written completely. The file at localPath is replaced in one
// step on success and left as it was on failure; the body is streamed to disk
// and never held in memory as a whole. Logs "Download..." and "ok", or
// "Failure" with the reason.
bool DownloadFile(const QString& url, const QString& localPath, DownloadCancel* cancel = nullptr);

}  // namespace orvane
