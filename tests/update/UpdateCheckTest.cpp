// The update check's outcomes and messages, and the start of the updater.
#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include "SiteServer.h"
#include "common/UpdateWorkDir.h"
#include "orvane/update/LaunchUpdater.h"
#include "orvane/update/UpdateCheck.h"
#include "support/FakeSystem.h"
#include "support/LogCapture.h"
#include "support/RecordingPrompts.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kNetwork = "information|Orvane|Network connection is failed , please try to check later!";
const QString kLatest = "information|Orvane|Your software is latest!";
const QString kQuestion =
    "question|Confirm to update new version |"
    "The new software version is available.<br/> Do you want to update to the latest version?";

QByteArray Entry(const QByteArray& file, const QByteArray& version, const QByteArray& subDir = "")
{
    return "<f file=\"" + file + "\"><p>" + file + ".qz</p><v>" + version + "</v><d>1/1/2020 1:0:0 PM</d><s>0</s><u>"
        + subDir + "</u></f>";
}

}  // namespace

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        site = MakeScratchDir("site");
        installDir = MakeScratchDir("install");
        server = std::make_unique<SiteServer>(site);
        ASSERT_TRUE(server->Started());
        siteUrl = server->Url().toUtf8();
        WriteFile(installDir + "/Orvane", "program");
        WriteFile(installDir + "/Renovo", "updater");
        system.versions[installDir + "/Orvane"] = Version(1, 2, 0, 0);
        system.moduleFileName = (installDir + "/Orvane").toStdString();
    }
    void Publish(const QByteArray& entries) { WriteFile(site + "/ServerManifest.xml", "<m>" + entries + "</m>"); }
    void Check()
    {
        UpdateCheck check(system, prompts, [this]() { ++exits; });
        check.SetInstallDir(installDir);
        check.Run(siteUrl);
    }

    QString site;
    QString installDir;
    QByteArray siteUrl;
    std::unique_ptr<SiteServer> server;
    FakeSystem system;
    RecordingPrompts prompts;
    int exits = 0;
};

TEST_F(UpdateCheckTest, UpToDateSaysLatest)
{
    Publish(Entry("Orvane", "1.2.0.0"));
    Check();
    EXPECT_EQ(prompts.shown, QStringList{kLatest});
    EXPECT_TRUE(system.starts.empty());
    // A document without entries, or one that does not parse, says the same.
    Publish("");
    Check();
    WriteFile(site + "/ServerManifest.xml", "not xml at all");
    Check();
    EXPECT_EQ(prompts.shown, (QStringList{kLatest, kLatest, kLatest}));
}

TEST_F(UpdateCheckTest, UnreachableSiteSaysNetworkAndDropsTheOldCopy)
{
    const QString local = UpdateWorkDir() + "/ServerManifest.xml";
    WriteFile(local, "<m/>");
    siteUrl = QStringLiteral("http://127.0.0.1:%1/").arg(UnusedPort()).toUtf8();
    Check();
    EXPECT_EQ(prompts.shown, QStringList{kNetwork});
    EXPECT_FALSE(QFile::exists(local));
    // An error status is a network failure as well.
    siteUrl = server->Url("status/404/").toUtf8();
    Check();
    EXPECT_EQ(prompts.shown, (QStringList{kNetwork, kNetwork}));
}

TEST_F(UpdateCheckTest, OutOfDateAcceptedStartsTheUpdaterAndEnds)
{
    // The first entry is not installed: offered whatever follows, and the
    // entries after it are not looked at (their folders are not created).
    Publish(Entry("Missing.dll", "") + Entry("Orvane", "1.2.0.0", "/later"));
    LogCapture log;
    Check();
    EXPECT_EQ(prompts.shown, QStringList{kQuestion});
    EXPECT_TRUE(log.Contains("\"" + installDir + "/Missing.dll\"    true"));
    EXPECT_FALSE(QDir(installDir + "/later").exists());
    ASSERT_EQ(system.starts.size(), 1u);
    EXPECT_EQ(system.starts[0].file, (installDir + "/Renovo").toStdString());
    EXPECT_EQ(system.starts[0].args,
              (std::vector<std::string>{"Orvane", siteUrl.toStdString(), "ServerManifest.xml"}));
    EXPECT_EQ(system.starts[0].showCommand, 1);
    EXPECT_EQ(exits, 1);
}

TEST_F(UpdateCheckTest, ComponentWiseVersionOffersAnUpdate)
{
    system.versions[installDir + "/Orvane"] = Version(2, 0, 0, 0);
    Publish(Entry("Orvane", "1.10.0.0"));
    prompts.answer = false;
    Check();
    EXPECT_EQ(prompts.shown, QStringList{kQuestion});
    EXPECT_TRUE(system.starts.empty());
    EXPECT_EQ(exits, 0);
}

TEST_F(UpdateCheckTest, UpdaterThatCannotStartIsReportedAndTheProgramStays)
{
    Publish(Entry("Orvane", "9.0.0.0"));
    system.startSucceeds = false;
    Check();
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown[0], kQuestion);
    EXPECT_EQ(prompts.shown[1], QString("warning|Orvane|") + UpdateCheck::kLaunchFailedText);
    EXPECT_EQ(exits, 0);

    // Updater file missing: not even tried.
    QFile::remove(installDir + "/Renovo");
    system.startSucceeds = true;
    system.starts.clear();
    Check();
    EXPECT_TRUE(system.starts.empty());
    EXPECT_EQ(exits, 0);
}

TEST_F(UpdateCheckTest, HostileEntriesAreSkipped)
{
    Publish(Entry("../../evil", "") + Entry("Orvane", "1.2.0.0", "/../../out"));
    Check();
    EXPECT_EQ(prompts.shown, QStringList{kLatest});
    EXPECT_FALSE(QDir(installDir + "/../../out").exists());
}

TEST_F(UpdateCheckTest, CheckStartedDuringACheckRunsInsideItAndBothAnswer)
{
    // The menu action fires again while the first check waits for its
    // download (the server sends half the manifest, then nothing).
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "1500");
    Publish("");
    const QByteArray stalling = server->Url("stall/").toUtf8();
    UpdateCheck check(system, prompts, [this]() { ++exits; });
    check.SetInstallDir(installDir);
    QTimer::singleShot(200, [&]() { check.Run(siteUrl); });
    check.Run(stalling);
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_EQ(prompts.shown, (QStringList{kLatest, kNetwork}));
    // The inner check's manifest copy is left whole.
    EXPECT_EQ(ReadFile(UpdateWorkDir() + "/ServerManifest.xml"), QByteArray("<m></m>"));
}

TEST(LaunchUpdater, PathAndArguments)
{
    FakeSystem system;
    system.moduleFileName = "/opt/Orvane copy/Orvane-renamed";
    EXPECT_EQ(UpdaterPath(system), "/opt/Orvane copy/Renovo");
    const QByteArray longUrl = "http://127.0.0.1:1/" + QByteArray(600, 'a') + "/";
    EXPECT_EQ(UpdaterArguments(longUrl), (QStringList{"Orvane", QString::fromUtf8(longUrl), "ServerManifest.xml"}));
    system.moduleFileName.clear();
    EXPECT_EQ(UpdaterPath(system), "");
    EXPECT_FALSE(LaunchUpdater(system, longUrl));
    EXPECT_TRUE(system.starts.empty());
}
