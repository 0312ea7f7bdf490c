// The updater's pieces: unpacking, file times, the replacement of installed
// files and the dialog's run guard.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include "SiteServer.h"
#include "common/UpdateWorkDir.h"
#include "common/UserPrompts.h"
#include "renovo/FileTime.h"
#include "renovo/Renovo.h"
#include "renovo/ReplaceFile.h"
#include "renovo/UnpackFile.h"
#include "support/FakeSystem.h"
#include "support/LogCapture.h"
#include "support/RecordingPrompts.h"
#include "support/TestSupport.h"

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray BigEndian(quint32 value)
{
    QByteArray out(4, '\0');
    out[0] = char(value >> 24);
    out[1] = char(value >> 16);
    out[2] = char(value >> 8);
    out[3] = char(value);
    return out;
}

}  // namespace

class UnpackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = MakeScratchDir("unpack");
        packed = dir + "/a.qz";
        unpacked = dir + "/a";
    }
    QString dir, packed, unpacked;
};

TEST_F(UnpackTest, RestoresQCompressData)
{
    QByteArray data;
    for (int i = 0; i < 200000; ++i)
        data += char(i * 7 % 251);
    WriteFile(packed, qCompress(data));
    WriteFile(unpacked, "longer stale content that must go away entirely............................");
    EXPECT_TRUE(UnpackFile(packed, unpacked, data.size()));
    EXPECT_EQ(ReadFile(unpacked), data);
    // An empty file packs to the bare header.
    WriteFile(packed, qCompress(QByteArray()));
    EXPECT_TRUE(UnpackFile(packed, unpacked, 0));
    EXPECT_TRUE(QFileInfo::exists(unpacked));
    EXPECT_EQ(QFileInfo(unpacked).size(), 0);
}

TEST_F(UnpackTest, RefusesBombsMismatchesAndDamagedData)
{
    const QByteArray data(100000, 'z');
    const QByteArray good = qCompress(data);

    // Declared above the cap: refused from the header alone.
    WriteFile(packed, BigEndian(0x7FFFFFFF) + good.mid(4));
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    WriteFile(packed, BigEndian(kMaxUnpackedSize + 1) + good.mid(4));
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    // Declared length against the manifest's size.
    WriteFile(packed, good);
    EXPECT_FALSE(UnpackFile(packed, unpacked, data.size() - 1));
    // A header that understates what the stream holds.
    WriteFile(packed, BigEndian(1000) + good.mid(4));
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    // Overstated, truncated, corrupt, headerless, missing.
    WriteFile(packed, BigEndian(data.size() + 1) + good.mid(4));
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    WriteFile(packed, good.left(good.size() / 2));
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    QByteArray corrupt = good;
    corrupt[10] = char(corrupt[10] ^ 0x55);
    corrupt[11] = char(corrupt[11] ^ 0x55);
    WriteFile(packed, corrupt);
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    WriteFile(packed, "ab");
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    EXPECT_FALSE(UnpackFile(dir + "/absent.qz", unpacked));
    // Anything after the end of the stream.
    WriteFile(packed, good + "trailing");
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    WriteFile(packed, good + QByteArray(200 * 1024, 't'));
    EXPECT_FALSE(UnpackFile(packed, unpacked));
    // Nothing half-written is left behind.
    EXPECT_FALSE(QFileInfo::exists(unpacked));
}

TEST(FileTime, TicksSince1601)
{
    EXPECT_EQ(FileTimeFromDate(QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC)), 116444736000000000LL);
    EXPECT_EQ(FileTimeFromDate(QDateTime(QDate(1601, 1, 1), QTime(0, 0, 1), Qt::UTC)), 10000000LL);
    const QDateTime local(QDate(2024, 3, 5), QTime(14, 3, 7), Qt::LocalTime);
    EXPECT_EQ(FileTimeFromDate(local), FileTimeFromDate(local.toUTC()));
}

TEST(ReplaceFile, SwapsInWholeFilesAndKeepsTheOldOneOnFailure)
{
    FakeSystem system;
    const QString dir = MakeScratchDir("replace");
    const QString source = dir + "/new";
    const QString target = dir + "/installed";
    WriteFile(source, "new content");
    WriteFile(target, "old content");
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QDateTime stamp(QDate(2023, 6, 1), QTime(10, 0, 0));

    ASSERT_TRUE(ReplaceInstalledFile(system, source, target, FileTimeFromDate(stamp)));
    EXPECT_EQ(ReadFile(target), QByteArray("new content"));
    EXPECT_EQ(QFileInfo(target).lastModified(), stamp);
    EXPECT_TRUE(QFileInfo(target).permissions() & QFileDevice::ExeOwner);
    EXPECT_FALSE(QFileInfo::exists(StagedPath(target)));

    // A new program gets its execute bit.
    WriteFile(source, "#!/bin/sh\nexit 0\n");
    ASSERT_TRUE(ReplaceInstalledFile(system, source, dir + "/tool", std::nullopt));
    EXPECT_TRUE(QFileInfo(dir + "/tool").isExecutable());

    // Missing source, and a target that cannot be swapped (a folder): the
    // installed path keeps what it had.
    EXPECT_FALSE(ReplaceInstalledFile(system, dir + "/absent", target, std::nullopt));
    EXPECT_EQ(ReadFile(target), QByteArray("new content"));
    QDir().mkpath(dir + "/folder/inside");
    EXPECT_FALSE(ReplaceInstalledFile(system, source, dir + "/folder", std::nullopt));
    EXPECT_TRUE(QFileInfo(dir + "/folder/inside").isDir());
    EXPECT_FALSE(QFileInfo::exists(StagedPath(dir + "/folder")));
}

TEST(RenovoDialog, FormAndOneRunPerShow)
{
    FakeSystem system;
    RecordingPrompts prompts;
    const QString site = MakeScratchDir("site");
    WriteFile(site + "/ServerManifest.xml", "<m/>");
    SiteServer server(site);
    ASSERT_TRUE(server.Started());

    Renovo dialog(system, prompts);
    EXPECT_EQ(dialog.objectName(), "RenovoClass");
    EXPECT_EQ(dialog.windowTitle(), "Renovo");
    EXPECT_EQ(dialog.size(), QSize(398, 102));
    auto* bar = dialog.findChild<QProgressBar*>("progressBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(30, 30, 351, 23));

    int exits = 0;
    int runsAtExit = 0;
    dialog.SetInstallDir(MakeScratchDir("install"));
    dialog.SetExitProcess([&]() {
        ++exits;
        runsAtExit = dialog.IsRunning();
    });
    dialog.m_strRestartProgram = "NoSuchProgram";
    dialog.m_strSiteUrl = server.Url();
    dialog.m_strManifestName = "ServerManifest.xml";
    dialog.show();
    // Shown again while the run is armed or running: still one run.
    QTimer::singleShot(0, &dialog, [&]() {
        dialog.hide();
        dialog.show();
    });
    ASSERT_TRUE(WaitFor([&]() { return exits > 0; }, 20000));
    WaitFor([]() { return false; }, 300);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(runsAtExit, 1);
    EXPECT_EQ(prompts.shown, QStringList{"information|Update|Application update completely!"});
}

TEST(RenovoDialog, StatusLineGrowsWithItsFont)
{
    FakeSystem system;
    RecordingPrompts prompts;
    Renovo dialog(system, prompts);
    auto* status = dialog.findChild<QLabel*>("lblStatus");
    ASSERT_NE(status, nullptr);
    QFont large = dialog.font();
    large.setPointSizeF(large.pointSizeF() * 2);
    dialog.setFont(large);
    status->setText("Application update completely! gjpqy");
    dialog.layout()->activate();
    EXPECT_GE(status->height(), QFontMetrics(status->font()).height());
    EXPECT_GE(dialog.height(), status->geometry().bottom());
}

TEST(RenovoDialog, ClosingMidDownloadInstallsNothing)
{
    qputenv("ORVANE_DOWNLOAD_STALL_MS", "30000");
    FakeSystem system;
    RecordingPrompts prompts;
    const QString site = MakeScratchDir("site");
    const QString install = MakeScratchDir("install");
    WriteFile(site + "/stall-app.qz", qCompress(QByteArray(512 * 1024, 'n')));
    WriteFile(site + "/ServerManifest.xml",
              "<m><e file=\"app.bin\"><p>stall-app.qz</p><v/><d>1/1/2020 1:0:0 PM</d><s>524288</s><u/></e></m>");
    WriteFile(install + "/app.bin", "old program");
    SiteServer server(site);
    ASSERT_TRUE(server.Started());

    Renovo dialog(system, prompts);
    int exits = 0;
    dialog.SetInstallDir(install);
    dialog.SetExitProcess([&]() { ++exits; });
    dialog.m_strRestartProgram = "NoSuchProgram";
    dialog.m_strSiteUrl = server.Url();
    dialog.m_strManifestName = "ServerManifest.xml";
    dialog.show();
    // The run turns inside nested event loops, so the user's close comes
    // from a timer: a moment after the packed file's download has begun
    // (the server sends half of it, then nothing).
    LogCapture log;
    bool visibleAfterClose = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&]() {
        if (!log.Contains("\"" + install + "/app.bin\"    true"))
            return;
        closer.stop();
        QTimer::singleShot(500, &dialog, [&]() {
            dialog.reject();
            visibleAfterClose = dialog.isVisible();
        });
    });
    closer.start(20);
    ASSERT_TRUE(WaitFor([&]() { return exits > 0; }, 20000));
    qunsetenv("ORVANE_DOWNLOAD_STALL_MS");
    EXPECT_FALSE(closer.isActive());
    EXPECT_TRUE(visibleAfterClose);  // the run winds down before the dialog goes
    EXPECT_EQ(ReadFile(install + "/app.bin"), QByteArray("old program"));
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_TRUE(QDir(UpdateWorkDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(RenovoDialog, WorkingFolderNotItsOwnIsReplacedAndLeftoversGo)
{
    FakeSystem system;
    RecordingPrompts prompts;
    const QString elsewhere = MakeScratchDir("elsewhere");
    QDir(UpdateWorkDir()).removeRecursively();
    ASSERT_TRUE(QFile::link(elsewhere, UpdateWorkDir()));
    const QString site = MakeScratchDir("site");
    const QByteArray content = "new content";
    WriteFile(site + "/a.qz", qCompress(content));
    WriteFile(site + "/ServerManifest.xml", "<m><e file=\"a.txt\"><p>a.qz</p><v/><d>1/1/2020 1:0:0 PM</d><s>"
                                                + QByteArray::number(content.size()) + "</s><u/></e></m>");
    SiteServer server(site);
    ASSERT_TRUE(server.Started());
    // Staged copies an interrupted run left, of files no manifest lists now.
    const QString install = MakeScratchDir("install");
    WriteFile(install + "/gone.dll.renovo-new", "half");
    WriteFile(install + "/lang/gone.qm.renovo-new", "half");

    Renovo dialog(system, prompts);
    int exits = 0;
    dialog.SetInstallDir(install);
    dialog.SetExitProcess([&]() { ++exits; });
    dialog.m_strRestartProgram = "NoSuchProgram";
    dialog.m_strSiteUrl = server.Url();
    dialog.m_strManifestName = "ServerManifest.xml";
    dialog.show();
    ASSERT_TRUE(WaitFor([&]() { return exits > 0; }, 20000));
    EXPECT_EQ(ReadFile(install + "/a.txt"), content);
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(install + "/gone.dll.renovo-new"));
    EXPECT_FALSE(QFileInfo::exists(install + "/lang/gone.qm.renovo-new"));
    // The private folder went with the run.
    EXPECT_TRUE(QDir(QFileInfo(UpdateWorkDir()).path()).entryList({"Renovo-*"}, QDir::AllEntries).isEmpty());
    QFile::remove(UpdateWorkDir());
}
