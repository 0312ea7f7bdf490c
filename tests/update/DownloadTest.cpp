// DownloadFile against a real HTTP server on 127.0.0.1.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "SiteServer.h"
#include "common/Download.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

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
    EXPECT_TRUE(DownloadFile(server->Url("file.bin"), target));
    EXPECT_EQ(ReadFile(target), payload);
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
    EXPECT_TRUE(log.Contains("Download..."));
    EXPECT_TRUE(log.Contains("ok"));

    WriteFile(site + "/empty", "");
    EXPECT_TRUE(DownloadFile(server->Url("empty"), local + "/empty"));
    EXPECT_TRUE(QFileInfo(local + "/empty").exists());
    EXPECT_TRUE(DownloadFile(server->Url("redirect/file.bin"), local + "/redirected"));
    EXPECT_EQ(ReadFile(local + "/redirected"), payload);
}

TEST_F(DownloadTest, FailuresLeaveTheOldFile)
{
    WriteFile(target, "old copy");
    LogCapture log;
    EXPECT_FALSE(DownloadFile(server->Url("status/404/file.bin"), target));
    EXPECT_FALSE(DownloadFile(server->Url("missing.bin"), target));
    EXPECT_FALSE(DownloadFile(server->Url("status/500/file.bin"), target));
    // 2xx other than 200 is no complete file either.
    EXPECT_FALSE(DownloadFile(server->Url("status/204/file.bin"), target));
    EXPECT_FALSE(DownloadFile(server->Url("short/file.bin"), target));
    EXPECT_FALSE(DownloadFile(QStringLiteral("http://127.0.0.1:%1/file.bin").arg(UnusedPort()), target));
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(LocalFiles(), QStringList{"file.bin"});
    EXPECT_TRUE(log.AnyStartsWith("Failure "));
    EXPECT_FALSE(log.Contains("ok"));
}

TEST_F(DownloadTest, StalledTransferFailsAfterTheLimit)
{
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "800");
    WriteFile(target, "old copy");
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
    EXPECT_EQ(DownloadStallLimitMs(), 60000);
}

TEST_F(DownloadTest, UnwritableTargetIsAFailure)
{
    LogCapture log;
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), local + "/no/such/folder/file.bin"));
    EXPECT_TRUE(log.AnyStartsWith("Failure "));
    // A folder where the file should go.
    QDir().mkdir(local + "/folder");
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), local + "/folder"));
    EXPECT_TRUE(QFileInfo(local + "/folder").isDir());
}

TEST_F(DownloadTest, CancelAbortsAndLaterCallsFailAtOnce)
{
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "30000");
    WriteFile(target, "old copy");
    DownloadCancel cancel;
    QTimer::singleShot(300, &cancel, &DownloadCancel::Cancel);
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target, &cancel));
    EXPECT_FALSE(DownloadFile(server->Url("file.bin"), target, &cancel));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
}

TEST_F(DownloadTest, ApplicationQuitMidTransferIsNotASuccess)
{
    // Quitting the application ends every event loop of the thread, the
    // download's local one too, before the body has arrived.
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "30000");
    WriteFile(target, "old copy");
    QTimer::singleShot(300, []() { QCoreApplication::exit(0); });
    EXPECT_FALSE(DownloadFile(server->Url("stall/file.bin"), target));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(ReadFile(target), QByteArray("old copy"));
}
