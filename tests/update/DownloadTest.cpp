// DownloadFile against a real HTTP server on 127.0.0.1.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include "SiteServer.h"
#include "SmallFileSystem.h"
#include "common/Download.h"
#include "common/HttpAnswer.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

constexpr qint64 kCap = 1024 * 1024;

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        site = MakeScratchDir("site");
        local = MakeScratchDir("local");
        WriteFile(site + "/file.bin", payload);
        server = std::make_unique<SiteServer>(site);
        ASSERT_TRUE(server->Started());
        target = local + "/file.bin";
    }
    // Only the target: no staged copy left behind.
    QStringList LocalFiles() const { return QDir(local).entryList(QDir::Files | QDir::Hidden); }

    QByteArray payload = QByteArray(300 * 1024, 'p') + "end";
    QString site;
    QString local;
    QString target;
    std::unique_ptr<SiteServer> server;
};

TEST_F(DownloadTest, SuccessReplacesTheWholeFile)
{
    WriteFile(target, QByteArray(2 * 1024 * 1024, 'o'));  // longer than the new body
    LogCapture log;
    EXPECT_TRUE(DownloadFile(server->Url("file.bin"), target, kCap));
    EXPECT_EQ(ReadFile(target), payload);
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
    EXPECT_TRUE(log.Contains("Download..."));
    EXPECT_TRUE(log.Contains("ok"));

    WriteFile(site + "/empty", "");
    EXPECT_TRUE(DownloadFile(server->Url("empty"), local + "/empty", kCap));
    EXPECT_TRUE(QFileInfo(local + "/empty").exists());
    // Redirects are not followed: only the site itself answers.
    EXPECT_FALSE(DownloadFile(server->Url("redirect/file.bin"), local + "/redirected", kCap));
    EXPECT_FALSE(QFileInfo::exists(local + "/redirected"));
}

TEST_F(DownloadTest, FailuresLeaveTheOldFile)
{
    WriteFile(target, "old copy");
    LogCapture log;
    EXPECT_FALSE(DownloadFile(server->Url("status/404/file.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(server->Url("missing.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(server->Url("status/500/file.bin"), target, kCap));
    // 2xx other than 200 is no complete file either.
    EXPECT_FALSE(DownloadFile(server->Url("status/204/file.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(server->Url("short/file.bin"), target, kCap));
    EXPECT_FALSE(DownloadFile(QStringLiteral("http://127.0.0.1:%1/file.bin").arg(UnusedPort()), target, kCap));
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
    EXPECT_TRUE(log.AnyStartsWith("Failure "));
    EXPECT_FALSE(log.Contains("ok"));
}

TEST_F(DownloadTest, StalledTransferFailsAfterTheLimit)
{
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "800");
    WriteFile(target, "old copy");
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target, kCap));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(DownloadStallLimitMs(), 60000);
}

TEST_F(DownloadTest, UnwritableTargetIsAFailure)
{
    LogCapture log;
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), local + "/no/such/folder/file.bin", kCap));
    EXPECT_TRUE(log.AnyStartsWith("Failure "));
    // A folder where the file should go.
    QDir().mkdir(local + "/folder");
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), local + "/folder", kCap));
    EXPECT_TRUE(QFileInfo(local + "/folder").isDir());
}

TEST_F(DownloadTest, FullDiskIsAFailureWhateverTheBodySize)
{
    SmallFileSystem disk(256 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here (not root)";
    // A body far larger than the room, and one smaller than a write buffer
    // that still does not fit.
    WriteFile(site + "/small.xml", QByteArray(9 * 1024, 's'));
    for (const char* name : {"file.bin", "small.xml"}) {
        const QString target = disk.Path() + "/" + name;
        WriteFile(target, "old copy");
        QFile::remove(disk.Path() + "/filler");
        disk.FillLeaving(4096);
        LogCapture log;
        EXPECT_FALSE(DownloadFile(server->Url(name), target, kCap)) << name;
        EXPECT_TRUE(log.AnyStartsWith("Failure \"cannot write")) << name;
        EXPECT_EQ(ReadFile(target), QByteArray("old copy")) << name;
        EXPECT_TRUE(QDir(disk.Path()).entryList({"*.renovo-part-*"}, QDir::Files).isEmpty()) << name;
    }
}

TEST_F(DownloadTest, CancelAbortsAndLaterCallsFailAtOnce)
{
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "30000");
    WriteFile(target, "old copy");
    DownloadCancel cancel;
    QTimer::singleShot(300, &cancel, &DownloadCancel::Cancel);
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target, kCap, &cancel));
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), target, kCap, &cancel));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
}

TEST_F(DownloadTest, HostileBodiesAreCutOffAndLeaveNothing)
{
    WriteFile(target, "old copy");
    LogCapture log;
    // Announced above the cap: refused from the headers.
    EXPECT_FALSE(DownloadFile(server->Url("huge/file.bin"), target, kCap));
    EXPECT_TRUE(log.Contains(QStringLiteral("Failure \"larger than the limit of %1 bytes\"").arg(kCap)));
    // Chunked without end: cut off at the cap.
    EXPECT_FALSE(DownloadFile(server->Url("endless/file.bin"), target, kCap));
    // One byte at a time, never stalling: given up at the overall limit
    // (800 ms stall limit + 1 MiB at 1 MiB/s).
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "800");
    qputenv("ORVANE_DOWNLOAD_MIN_RATE", "1048576");
    EXPECT_EQ(DownloadTimeLimitMs(kCap), 1800);
    EXPECT_FALSE(DownloadFile(server->Url("trickle/100/file.bin"), target, kCap));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    qunsetenv("ORVANE_DOWNLOAD_MIN_RATE");
    EXPECT_TRUE(log.Contains("Failure \"not complete after 1800 ms\""));
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
}

TEST_F(DownloadTest, ApplicationQuitMidTransferIsNotASuccess)
{
    // Quitting the application ends every event loop of the thread, the
    // download's local one too, before the body has arrived.
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "30000");
    WriteFile(target, "old copy");
    QTimer::singleShot(300, []() { QCoreApplication::exit(0); });
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target, kCap));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
}

TEST(HttpAnswer, TakesOnlyAPlainCompleteAnswerWithinItsLimits)
{
    // One answer a row: a status (0: none), head lines, body bytes, and the
    // problem the download reports, empty when it is taken.
    const QByteArray manyLines = QByteArray("X-A: b\n").repeated(kMaxHeaderLines + 1);
    const QByteArray longLines = ("X-A: " + QByteArray(8000, 'v') + "\n").repeated(9);
    const QByteArray cookies = QByteArray("Set-Cookie: a=b\n").repeated(kMaxHeaderLines + 1);
    const struct {
        int status;
        QByteArray head;
        qint64 body;
        const char* problem;
    } cases[] = {
        {200, "Content-Length: 5\nContent-Type: text/xml", 5, ""},
        {200, "Transfer-Encoding: chunked\nContent-Encoding: identity\nSet-Cookie: s=1\nLocation: /x", 100, ""},
        {200, "", 0, ""},
        {200, "Content-Length: 1000", 1000, ""},
        {200, "Content-Length: 5", 3, "received 3 of 5 bytes"},
        {200, "Content-Length: 1001", 0, "larger than the limit of 1000 bytes"},
        {200, "", 1001, "larger than the limit of 1000 bytes"},
        {200, "Content-Length: 5\nContent-Length: 6", 5, "two different Content-Length values"},
        {200, "Content-Length: -5", 0, "Content-Length \"-5\" is not a length"},
        {200, "Content-Length: 99999999999999999999", 0, "Content-Length \"99999999999999999999\" is not a length"},
        {200, "Content-Encoding: gzip", 10, "content coding \"gzip\" is not accepted"},
        {200, "content-encoding: deflate, identity", 10, "content coding \"deflate, identity\" is not accepted"},
        {200, "Transfer-Encoding: gzip, chunked", 10, "transfer coding \"gzip, chunked\" is not accepted"},
        {200, manyLines, 0, "more than 100 header lines"},
        {200, cookies, 0, "more than 100 header lines"},
        {200, longLines, 0, "more than 65536 bytes of header lines"},
        {301, "Location: http://elsewhere/", 0, "HTTP status 301"},
        {204, "", 0, "HTTP status 204"},
        {100, "", 0, "HTTP status 100"},
        {0, "", 10, "a body without a status"},
        {0, "", 0, "no answer"},
    };
    for (const auto& c : cases) {
        HttpAnswer answer(1000);
        if (c.status)
            answer.Status(c.status);
        for (const QByteArray& line : c.head.split('\n'))
            if (!line.isEmpty())
                answer.HeaderLine(line);
        if (c.body > 0)
            answer.Body(c.body);
        answer.Complete();
        EXPECT_EQ(answer.Problem(), QString(c.problem)) << c.head.left(80).constData();
    }
    // A second head (an interim answer before the real one) is not taken either.
    HttpAnswer twice(1000);
    EXPECT_TRUE(twice.Status(200));
    EXPECT_FALSE(twice.Status(200));
}
