// The log and the settings file, through a stand-in program that runs from a
// scratch installation folder with its own temporary folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <sys/stat.h>

#include "support/TestSupport.h"

using orvane::test::MakeScratchDir;
using orvane::test::ProcessRun;
using orvane::test::ReadFile;
using orvane::test::RunProcess;
using orvane::test::WriteFile;

namespace {

struct Install {
    QString dir;
    QString tmp;
};

Install MakeInstall(const QByteArray& runInfo)
{
    Install install{MakeScratchDir("install"), MakeScratchDir("tmp")};
    const QString probe = install.dir + "/log-probe";
    EXPECT_TRUE(QFile::copy(QString(LOG_PROBE_PATH), probe));
    if (!runInfo.isNull())
        WriteFile(install.dir + "/RunInfo.ini", runInfo);
    return install;
}

QString RunProbe(const Install& install, const QStringList& args, const QString& tmpdir = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", tmpdir.isNull() ? install.tmp : tmpdir);
    const ProcessRun run = RunProcess(install.dir + "/log-probe", args, env, 20000);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    return QString::fromUtf8(run.standardOutput).trimmed();
}

QStringList LogLines(const Install& install, const char* name = "Orvane_log.txt")
{
    const QString text = QString::fromUtf8(ReadFile(install.tmp + "/" + name));
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList Texts(const QStringList& lines)
{
    QStringList texts;
    static const QRegularExpression stamp("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d: ");
    for (const QString& line : lines) {
        EXPECT_TRUE(stamp.match(line).hasMatch()) << line.toStdString();
        texts << line.mid(14);
    }
    return texts;
}

const QString kUtf8Line = QString::fromUtf8("\"Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93\\u2028forged\\u2029\"");

}  // namespace

TEST(Log, DefaultLevelWithoutSettingsFileWritesOnlyInfo)
{
    const Install install = MakeInstall(QByteArray());
    RunProbe(install, {"orvane", "orderly"});
    EXPECT_EQ(Texts(LogLines(install)), QStringList({"an info line"}));
}

TEST(Log, EachLevelLetsThroughMoreTypes)
{
    const struct {
        const char* level;
        QStringList expected;
    } cases[] = {
        {"0", {}},
        {"abc", {}},
        {"-3", {}},
        {"1", {"an info line"}},
        {"2", {"an info line", "a critical line"}},
        {"3", {"an info line", "a warning line", "a critical line"}},
        {"4",
         {"Download...", "an info line", "a warning line", "a critical line", kUtf8Line, "Close log file."}},
    };
    for (const auto& c : cases) {
        const Install install = MakeInstall(QByteArray("[TraceSet]\nTraceLevel=") + c.level + "\n");
        RunProbe(install, {"orvane", "orderly"});
        EXPECT_TRUE(QFile::exists(install.tmp + "/Orvane_log.txt")) << c.level;
        EXPECT_EQ(Texts(LogLines(install)), c.expected) << "TraceLevel=" << c.level;
    }
}

TEST(Log, IsEmptiedAtStartAndNeverHoldsItsOpeningLine)
{
    const Install install = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    WriteFile(install.tmp + "/Orvane_log.txt", "left over from an earlier run\n");
    RunProbe(install, {"orvane", "orderly"});
    const QStringList texts = Texts(LogLines(install));
    EXPECT_FALSE(texts.contains("left over from an earlier run"));
    EXPECT_FALSE(texts.contains("Opened log file."));
    EXPECT_EQ(texts.first(), "Download...");
}

TEST(Log, ImmediateExitSkipsTheClosingLineButKeepsEverythingWritten)
{
    const Install install = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    RunProbe(install, {"orvane", "exit"});
    const QStringList texts = Texts(LogLines(install));
    EXPECT_EQ(texts.size(), 5);
    EXPECT_FALSE(texts.contains("Close log file."));
}

TEST(Log, UpdaterLinesCarryTheEmptyMessageContext)
{
    const Install install = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    RunProbe(install, {"renovo", "orderly"});
    const QStringList texts = Texts(LogLines(install, "Renovo_log.txt"));
    ASSERT_EQ(texts.size(), 6);
    EXPECT_EQ(texts[0], "Download... ((null):0, (null))");
    EXPECT_EQ(texts[4], kUtf8Line + " ((null):0, (null))");
    EXPECT_FALSE(QFile::exists(install.tmp + "/Orvane_log.txt"));
}

TEST(Log, NeverWritesThroughALinkOrBelowTheRoot)
{
    const Install install = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    const QString victim = MakeScratchDir("victim") + "/precious.txt";
    WriteFile(victim, "precious");
    ASSERT_TRUE(QFile::link(victim, install.tmp + "/Orvane_log.txt"));
    RunProbe(install, {"orvane", "orderly"});
    EXPECT_EQ(ReadFile(victim), QByteArray("precious"));
    // A temporary folder that does not exist: another existing folder, never
    // the root.
    const QStringList paths = RunProbe(install, {"paths"}, install.tmp + "/no/such/folder").split('\n');
    ASSERT_EQ(paths.size(), 2);
    for (const QString& path : paths) {
        const QString folder = QFileInfo(path).path();
        EXPECT_TRUE(folder != "/" && QFileInfo(folder).isDir()) << path.toStdString();
    }
}

TEST(Settings, RunInfoThatIsNotARegularFileReadsAsAbsent)
{
    const Install install = MakeInstall(QByteArray());
    ASSERT_EQ(::mkfifo(QFile::encodeName(install.dir + "/RunInfo.ini").constData(), 0600), 0);
    EXPECT_EQ(RunProbe(install, {"site"}), "production");
}

TEST(Settings, SiteFlagFollowsQtBooleanRules)
{
    const struct {
        const char* stored;
        const char* expected;
    } cases[] = {{nullptr, "production"}, {"", "production"},  {"FALSE", "production"}, {"0", "production"},
                 {"false", "production"}, {"yes", "test"},      {"true", "test"},        {"1", "test"}};
    for (const auto& c : cases) {
        const QByteArray ini = c.stored ? QByteArray("[Others]\nSite=") + c.stored + "\n" : QByteArray();
        const Install install = MakeInstall(ini.isEmpty() ? QByteArray() : ini);
        EXPECT_EQ(RunProbe(install, {"site"}), c.expected) << (c.stored ? c.stored : "(absent)");
    }
}
