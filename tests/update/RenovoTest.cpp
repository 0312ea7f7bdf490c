// The updater's pieces: unpacking, file times, the plan, the all-or-nothing
// swap and its undo after a crash, and the dialog's run.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QTimer>

#include <gtest/gtest.h>

#include "SiteServer.h"
#include "SmallFileSystem.h"
#include "common/UpdateWorkDir.h"
#include "common/UserPrompts.h"
#include "platform/host/HostFiles.h"
#include "renovo/FileSwap.h"
#include "renovo/FileTime.h"
#include "renovo/Renovo.h"
#include "renovo/UnpackFile.h"
#include "renovo/UpdatePlan.h"
#include "renovo/WorkFolder.h"
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

// An installation of three files and a plan that replaces two of them and
// adds one in a folder, staged and ready to be swapped in.
class SwapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        install = MakeScratchDir("swap");
        QDir().mkpath(install + "/data");
        WriteFile(install + "/Orvane", "old program");
        WriteFile(install + "/data/lib.dat", "old data");
        WriteFile(install + "/keep.txt", "untouched");
        before = Tree();
        files.clear();
        for (const auto& [name, content] : {std::pair<QString, QByteArray>{"Orvane", "new program"},
                                            {"data/lib.dat", "new data"},
                                            {"data/extra.dat", "added"}}) {
            PlannedFile file = PlacesOf(name, install);
            file.replaces = QFileInfo::exists(file.installed);
            WriteFile(file.staged, content);
            files << file;
        }
    }
    // Every file below the installation folder with its content.
    QMap<QString, QByteArray> Tree() const
    {
        QMap<QString, QByteArray> tree;
        QDirIterator it(install, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            tree[path.mid(install.size() + 1)] = ReadFile(path);
        }
        return tree;
    }
    QMap<QString, QByteArray> NewRelease() const
    {
        QMap<QString, QByteArray> tree = before;
        tree["Orvane"] = "new program";
        tree["data/lib.dat"] = "new data";
        tree["data/extra.dat"] = "added";
        return tree;
    }

    QString install;
    QMap<QString, QByteArray> before;
    QList<PlannedFile> files;
};

TEST_F(SwapTest, AllSwappedInOrAllPutBack)
{
    // A rename that fails at the n-th call: every earlier swap is undone.
    for (int failAt = 0; failAt < files.size(); ++failAt) {
        SetUp();
        FileSwap swap(install);
        int calls = 0;
        swap.SetReplaceStep([&](const QString& staged, const QString& target) {
            return calls++ != failAt && platform::host::ReplaceWithStaged(staged, target);
        });
        const QString problem = swap.SwapAll(files);
        EXPECT_FALSE(problem.isEmpty());
        EXPECT_TRUE(problem.endsWith(", the old files are back in place")) << qPrintable(problem);
        EXPECT_EQ(Tree(), before) << "failing at rename " << failAt;
    }
    // Putting back fails too: the journal and the kept old files stay, no
    // undo with the same failure drops them, a later one that works brings
    // the old release back.
    SetUp();
    FileSwap broken(install);
    int calls = 0;
    broken.SetReplaceStep([&](const QString& staged, const QString& target) {
        return calls++ < 2 && platform::host::ReplaceWithStaged(staged, target);
    });
    EXPECT_TRUE(broken.SwapAll(files).endsWith("not every old file could be put back"));
    EXPECT_EQ(broken.UndoInterrupted(), kUndoIncomplete);
    ASSERT_TRUE(QFileInfo::exists(broken.JournalPath()));
    EXPECT_EQ(FileSwap(install).UndoInterrupted(), 2);
    RemoveStagedLeftovers(install);
    EXPECT_EQ(Tree(), before);
    SetUp();
    FileSwap swap(install);
    ASSERT_EQ(swap.SwapAll(files), QString());
    QMap<QString, QByteArray> swapped = NewRelease();
    swapped["Orvane.renovo-old"] = "old program";
    swapped["data/lib.dat.renovo-old"] = "old data";
    EXPECT_EQ(Tree(), swapped);
    swap.RemoveBackups(files);
    EXPECT_EQ(Tree(), NewRelease());
}

TEST_F(SwapTest, ACrashAnywhereIsUndoneByTheNextRun)
{
    // The process dies before or after any one rename of the swap; each
    // installed path holds a whole file meanwhile, and the next run's undo
    // brings back the old release.
    struct Crash {};
    const int renames = files.size();
    for (int at = 0; at < renames; ++at) {
        for (const bool afterRename : {false, true}) {
            SetUp();
            FileSwap swap(install);
            int calls = 0;
            swap.SetReplaceStep([&](const QString& staged, const QString& target) {
                const int call = calls++;
                if (call == at && !afterRename)
                    throw Crash();
                const bool renamed = platform::host::ReplaceWithStaged(staged, target);
                if (call == at)
                    throw Crash();
                return renamed;
            });
            EXPECT_THROW(swap.SwapAll(files), Crash);
            ASSERT_TRUE(QFileInfo::exists(swap.JournalPath()));
            const QMap<QString, QByteArray> crashed = Tree();
            const QMap<QString, QByteArray> after = NewRelease();
            for (const char* name : {"Orvane", "data/lib.dat"}) {
                EXPECT_TRUE(crashed.value(name) == before.value(name) || crashed.value(name) == after.value(name))
                    << qPrintable(name);
            }
            FileSwap next(install);
            EXPECT_GE(next.UndoInterrupted(), 0);
            RemoveStagedLeftovers(install);
            EXPECT_EQ(Tree(), before) << "crash at rename " << at << (afterRename ? " after" : " before");
        }
    }
    // A journal that cannot be read: the kept old files still go back.
    SetUp();
    FileSwap swap(install);
    int calls = 0;
    swap.SetReplaceStep([&](const QString& staged, const QString& target) {
        platform::host::ReplaceWithStaged(staged, target);
        if (++calls == 2)
            throw Crash();
        return true;
    });
    EXPECT_THROW(swap.SwapAll(files), Crash);
    WriteFile(swap.JournalPath(), "garbled");
    EXPECT_EQ(FileSwap(install).UndoInterrupted(), -1);
    RemoveStagedLeftovers(install);
    EXPECT_EQ(Tree(), before);
}

TEST(UpdatePlan, OneEntryPerInstalledFileAndEveryPlaceOnce)
{
    UpdatePlan plan("/inst", "/work", "http://site/");
    ManifestEntry entry;
    entry.file = "lib.dat";
    entry.packedName = "data_lib.dat.qz";
    entry.subDir = "/data";
    entry.fileSize = "12";
    entry.fileDate = "3/5/2024 2:3:7 PM";
    ASSERT_EQ(plan.Add(entry), QString());
    const PlannedFile& file = plan.Files().value(0);
    EXPECT_EQ(file.name, "data/lib.dat");
    EXPECT_EQ(file.installed, "/inst/data/lib.dat");
    EXPECT_EQ(file.staged, "/inst/data/lib.dat.renovo-new");
    EXPECT_EQ(file.backup, "/inst/data/lib.dat.renovo-old");
    EXPECT_EQ(file.packed, "/work/data/data_lib.dat.qz");
    EXPECT_EQ(file.url, "http://site/data_lib.dat.qz");
    EXPECT_EQ(file.size, 12);
    EXPECT_TRUE(file.fileTime.has_value());
    // The same file twice (in any letter case), or no packed file: the run
    // cannot be all or nothing.
    entry.file = "LIB.dat";
    EXPECT_FALSE(plan.Add(entry).isEmpty());
    entry.file = "other.dat";
    entry.packedName.clear();
    EXPECT_FALSE(plan.Add(entry).isEmpty());
    EXPECT_EQ(plan.Files().size(), 1);
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

TEST(RenovoDialog, AnyFailureLeavesTheOldReleaseWholeAndSaysSo)
{
    // Two out-of-date files; the second one fails in each way below, after
    // the first was fetched and staged. The installation stays the old
    // release, byte for byte, the failure box is shown and nothing is left.
    const QByteArray newA = "new a";
    QByteArray newB(3 * 1024 * 1024, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(newB.data()), newB.size() / 4);  // does not pack
    auto entry = [](const char* file, const QByteArray& size) {
        return "<e file=\"" + QByteArray(file) + "\"><p>" + file + ".qz</p><v/><d>1/1/2030 1:0:0 PM</d><s>" + size
            + "</s><u/></e>";
    };
    const QByteArray sizeB = QByteArray::number(newB.size());
    const struct {
        const char* name;
        QByteArray manifest;
        bool spoilB;        // the site serves something else as b's packed file
        qint64 smallInstall;  // the installation on a file system of this many bytes
        qint64 smallTemp;     // the temporary folder on one
    } cases[] = {
        {"missing packed file", "<m>" + entry("a.txt", "5") + entry("b.txt", sizeB) + entry("c.txt", "1") + "</m>",
         false, 0, 0},
        {"corrupt packed file", "<m>" + entry("a.txt", "5") + entry("b.txt", sizeB) + "</m>", true, 0, 0},
        {"listed twice", "<m>" + entry("a.txt", "5") + entry("b.txt", sizeB) + entry("B.TXT", sizeB) + "</m>", false,
         0, 0},
        {"installation full, size listed", "<m>" + entry("a.txt", "5") + entry("b.txt", sizeB) + "</m>", false,
         8 * 1024 * 1024, 0},
        // Without a listed size the free-space check cannot see it coming;
        // the writes themselves fail.
        {"installation full, size not listed", "<m>" + entry("a.txt", "5") + entry("b.txt", "") + "</m>", false,
         8 * 1024 * 1024, 0},
        {"temporary folder full", "<m>" + entry("a.txt", "5") + entry("b.txt", "") + "</m>", false, 0,
         8 * 1024 * 1024},
    };
    const QByteArray tmp = qgetenv("TMPDIR");
    for (const auto& c : cases) {
        std::unique_ptr<SmallFileSystem> small;
        if (c.smallInstall || c.smallTemp) {
            small = std::make_unique<SmallFileSystem>(qMax(c.smallInstall, c.smallTemp));
            if (!small->Mounted()) {
                std::printf("%s: skipped, no tmpfs can be mounted here\n", c.name);
                continue;
            }
        }
        const QString site = MakeScratchDir("site");
        WriteFile(site + "/a.txt.qz", qCompress(newA));
        WriteFile(site + "/b.txt.qz", c.spoilB ? QByteArray("not packed at all") : qCompress(newB));
        WriteFile(site + "/ServerManifest.xml", c.manifest);
        const QString install = c.smallInstall ? small->Path() + "/install" : MakeScratchDir("install");
        WriteFile(install + "/a.txt", "old a");
        WriteFile(install + "/b.txt", "old b");
        if (c.smallTemp) {
            QDir().mkpath(small->Path() + "/tmp");
            qputenv("TMPDIR", QFile::encodeName(small->Path() + "/tmp"));
        }
        if (small)
            small->FillLeaving(2 * 1024 * 1024);
        SiteServer server(site);
        ASSERT_TRUE(server.Started());

        FakeSystem system;
        RecordingPrompts prompts;
        Renovo dialog(system, prompts);
        int exits = 0;
        dialog.SetInstallDir(install);
        dialog.SetExitProcess([&]() { ++exits; });
        dialog.m_strRestartProgram = "NoSuchProgram";
        dialog.m_strSiteUrl = server.Url();
        dialog.m_strManifestName = "ServerManifest.xml";
        LogCapture log;
        dialog.show();
        ASSERT_TRUE(WaitFor([&]() { return exits > 0; }, 30000)) << c.name;
        qputenv("TMPDIR", tmp);
        EXPECT_EQ(prompts.shown, QStringList{"warning|Renovo|Server connect failed, can't update SW."}) << c.name;
        EXPECT_TRUE(log.AnyStartsWith("Update failed:")) << c.name;
        EXPECT_EQ(ReadFile(install + "/a.txt"), QByteArray("old a")) << c.name;
        EXPECT_EQ(ReadFile(install + "/b.txt"), QByteArray("old b")) << c.name;
        QStringList left = QDir(install).entryList(QDir::Files | QDir::Hidden);
        left.removeAll("filler");
        EXPECT_EQ(left, QStringList({"a.txt", "b.txt"})) << c.name;
    }
}
