#include "common/Download.h"

#include <QDebug>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <limits>
#include <memory>

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

// Why the transfer was given up before it finished.
enum class Cutoff { None, Stalled, TooSlow, TooLarge };

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const
    {
        // The slots connected to it capture locals that are already gone.
        reply->disconnect();
        if (reply->isRunning())
            reply->abort();
        delete reply;
    }
};

// Why a finished reply is not a complete download, or empty when it is.
QString TransferProblem(QNetworkReply& reply, qint64 received, Cutoff cutoff, qint64 timeLimitMs, qint64 maxBytes,
                        bool cancelled)
{
    if (cancelled)
        return QStringLiteral("download cancelled");
    if (cutoff == Cutoff::Stalled)
        return QStringLiteral("no data for %1 ms").arg(DownloadStallLimitMs());
    if (cutoff == Cutoff::TooSlow)
        return QStringLiteral("not complete after %1 ms").arg(timeLimitMs);
    if (cutoff == Cutoff::TooLarge)
        return QStringLiteral("larger than the limit of %1 bytes").arg(maxBytes);
    if (!reply.isFinished())
        return QStringLiteral("download interrupted");
    if (reply.error() != QNetworkReply::NoError)
        return reply.errorString();
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200)
        return QStringLiteral("HTTP status %1").arg(status.toInt());
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != received)
        return QStringLiteral("received %1 of %2 bytes").arg(received).arg(length.toLongLong());
    return {};
}

}  // namespace

bool DownloadFile(const QString& url, const QString& localPath, qint64 maxBytes, DownloadCancel* cancel)
{
    if (cancel && cancel->IsCancelled()) {
        qDebug() << "Failure" << QStringLiteral("download cancelled");
        return false;
    }

    QEventLoop loop;
    QNetworkAccessManager manager;
    // A plain GET: a redirect could lead anywhere, on any host and port.
    manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    QNetworkRequest request(QUrl(url, QUrl::TolerantMode));
    std::unique_ptr<QNetworkReply, ReplyDeleter> reply(manager.get(request));
    // Bounded read-ahead: a large file streams through instead of piling up
    // in the reply while it is written out.
    reply->setReadBufferSize(1024 * 1024);

    // The body goes to a staged file beside the target; only commit() puts it
    // in place, so a failed transfer never touches an existing file.
    QSaveFile file(localPath);
    file.setDirectWriteFallback(false);
    bool fileOpen = false;
    QString writeProblem;
    qint64 received = 0;
    Cutoff cutoff = Cutoff::None;
    auto cutOff = [&](Cutoff why) {
        if (cutoff == Cutoff::None)
            cutoff = why;
        reply->abort();
    };

    QTimer stallTimer;
    stallTimer.setSingleShot(true);
    stallTimer.setInterval(DownloadStallLimitMs());
    QTimer overallTimer;
    overallTimer.setSingleShot(true);
    qint64 timeLimitMs = DownloadTimeLimitMs(maxBytes);
    overallTimer.setInterval(static_cast<int>(qMin<qint64>(timeLimitMs, std::numeric_limits<int>::max())));

    auto drain = [&]() {
        if (!reply->isOpen() || !writeProblem.isEmpty() || cutoff != Cutoff::None)
            return;  // aborted
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty())
            return;
        received += chunk.size();
        if (received > maxBytes) {
            cutOff(Cutoff::TooLarge);
            return;
        }
        if (!fileOpen) {
            fileOpen = file.open(QIODevice::WriteOnly);
            if (!fileOpen)
                writeProblem = QStringLiteral("cannot create \"%1\": %2").arg(localPath, file.errorString());
        }
        if (fileOpen && file.write(chunk) != chunk.size())
            writeProblem = QStringLiteral("cannot write \"%1\": %2").arg(localPath, file.errorString());
        // Nowhere to put the rest: no reason to fetch it.
        if (!writeProblem.isEmpty())
            reply->abort();
    };

    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&]() {
        stallTimer.start();
        drain();
    });
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &stallTimer,
                     [&stallTimer]() { stallTimer.start(); });
    QObject::connect(&stallTimer, &QTimer::timeout, &loop, [&]() { cutOff(Cutoff::Stalled); });
    QObject::connect(&overallTimer, &QTimer::timeout, &loop, [&]() { cutOff(Cutoff::TooSlow); });
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&]() {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!length.isValid())
            return;
        if (length.toLongLong() > maxBytes) {
            cutOff(Cutoff::TooLarge);
            return;
        }
        // A smaller announced body earns a shorter limit, counted from the start.
        const qint64 elapsed = timeLimitMs - overallTimer.remainingTime();
        timeLimitMs = DownloadTimeLimitMs(length.toLongLong());
        overallTimer.start(static_cast<int>(qMax<qint64>(timeLimitMs - elapsed, 0)));
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QPointer<DownloadCancel> cancelGuard(cancel);
    if (cancel)
        QObject::connect(cancel, &DownloadCancel::cancelled, &loop, [&]() { reply->abort(); });

    stallTimer.start();
    overallTimer.start();
    if (!reply->isFinished())
        loop.exec();
    stallTimer.stop();
    overallTimer.stop();
    if (reply->isFinished())
        drain();

    // The loop also ends when the application quits underneath it; a reply
    // that has not finished then is a cut-short download.
    const bool cancelled = cancelGuard && cancelGuard->IsCancelled();
    QString problem = writeProblem.isEmpty()
        ? TransferProblem(*reply, received, cutoff, timeLimitMs, maxBytes, cancelled)
        : writeProblem;
    if (problem.isEmpty()) {
        qDebug() << "Download...";
        if (!fileOpen) {
            // An empty body: the file is still created (and emptied).
            fileOpen = file.open(QIODevice::WriteOnly);
            if (!fileOpen)
                problem = QStringLiteral("cannot create \"%1\": %2").arg(localPath, file.errorString());
        }
        if (problem.isEmpty() && !file.commit())
            problem = QStringLiteral("cannot write \"%1\": %2").arg(localPath, file.errorString());
        if (problem.isEmpty()) {
            qDebug() << "ok";
            return true;
        }
    }
    if (fileOpen)
        file.cancelWriting();
    qDebug() << "Failure" << problem;
    return false;
}

}  // namespace orvane
