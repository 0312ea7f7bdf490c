// The log and the settings file, through a stand-in program that runs from a
// scratch installation folder with its own temporary folder.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "common/LogClock.h"
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

QString RunProbe(const Install& install, const QStringList& args, const QString& tmpdir = QString(),
                 const QString& timeZone = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", tmpdir.isNull() ? install.tmp : tmpdir);
    if (!timeZone.isNull())
        env.insert("TZ", timeZone);
    // Generous: the flood writes 150000 lines, which under the sanitizers takes a while.
    const ProcessRun run = RunProcess(install.dir + "/log-probe", args, env, 120000);
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
const QString kProgramLine = "a program line built";

}  // namespace

TEST(Log, DefaultLevelWithoutSettingsFileWritesOnlyInfo)
{
    const Install install = MakeInstall(QByteArray());
    RunProbe(install, {"orvane", "orderly"});
    EXPECT_EQ(Texts(LogLines(install)), QStringList({"an info line"}));
}

TEST(Log, EachLevelLetsThroughMoreTypes)
{
    // "built": how many of the programs' own lines were put together; one the
    // level drops must cost nothing.
    const struct {
        const char* level;
        QStringList expected;
        const char* built;
    } cases[] = {
        {"0", {}, "built 0"},
        {"abc", {}, "built 0"},
        {"-3", {}, "built 0"},
        {"1", {"an info line"}, "built 0"},
        {"2", {"an info line", "a critical line"}, "built 0"},
        {"3", {"an info line", "a warning line", "a critical line"}, "built 0"},
        {"4",
         {"Download...", "an info line", "a warning line", "a critical line", kUtf8Line, kProgramLine,
          "Close log file."},
         "built 1"},
    };
    for (const auto& c : cases) {
        const Install install = MakeInstall(QByteArray("[TraceSet]\nTraceLevel=") + c.level + "\n");
        EXPECT_EQ(RunProbe(install, {"orvane", "orderly"}), c.built) << "TraceLevel=" << c.level;
        EXPECT_TRUE(QFile::exists(install.tmp + "/Orvane_log.txt")) << c.level;
        EXPECT_EQ(Texts(LogLines(install)), c.expected) << "TraceLevel=" << c.level;
    }
}

TEST(Log, LinesCarryTheLocalTimeOfTheirZone)
{
    // 5:45 east of UTC: the offset's minutes and hours both count.
    const Install install = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(5 * 3600 + 45 * 60);
    RunProbe(install, {"orvane", "orderly"}, QString(), "XYZ-05:45");
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(5 * 3600 + 45 * 60);
    const QStringList lines = LogLines(install);
    ASSERT_FALSE(lines.isEmpty());
    const QTime stamp = QTime::fromString(lines.first().left(12), "hh:mm:ss:zzz");
    ASSERT_TRUE(stamp.isValid()) << lines.first().toStdString();
    const QTime from = before.time().addMSecs(-1);
    const QTime to = after.time().addMSecs(1);
    // Across midnight the window wraps.
    EXPECT_TRUE(from <= to ? (from <= stamp && stamp <= to) : (stamp >= from || stamp <= to))
        << stamp.toString().toStdString() << " not in " << from.toString().toStdString() << " .. "
        << to.toString().toStdString();
}

TEST(LogClock, FollowsTheZoneAcrossItsChangesMinuteByMinute)
{
    // One clock through all rows, as the log keeps one: its cached offset must
    // give way at each change of the zone's offset or of the zone itself.
    const QByteArray saved = qgetenv("TZ");
    const struct {
        const char* zone;
        qint64 utcMs;
        const char* text;
    } rows[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1711846800000 - 60001, "01:58:59:999"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1711846800000 - 1, "01:59:59:999"},  // last of winter time
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1711846800000, "03:00:00:000"},      // summer time begins
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1729990800000 - 1, "02:59:59:999"},  // last of summer time
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1729990800000, "02:00:00:000"},      // the hour again
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1729990800000 + 59999, "02:00:59:999"},
        {"XYZ-05:45", 1729990800000 + 60000, "06:46:00:000"},               // the user's new zone
        {"XYZ+09:30", 0, "14:30:00:000"},                                    // the day before
        {"XYZ+09:30", -1, "14:29:59:999"},
    };
    orvane::LogClock clock;
    for (const auto& row : rows) {
        qputenv("TZ", row.zone);
        tzset();
        char text[orvane::LogClock::kTextSize];
        clock.Format(row.utcMs, text);
        EXPECT_STREQ(text, row.text) << row.zone << " " << row.utcMs;
    }
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    tzset();
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
    EXPECT_EQ(texts.size(), 6);
    EXPECT_FALSE(texts.contains("Close log file."));
}

TEST(Log, AtItsBoundTheLogKeepsItsNewestWholeLines)
{
    // 150000 lines of some 125 bytes: more than twice the bound.
    const Install install = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    const QString output = RunProbe(install, {"orvane", "flood"});
    const QString last = output.section('\n', -1);
    ASSERT_TRUE(last.startsWith("last ")) << output.toStdString();
    const qint64 size = QFileInfo(install.tmp + "/Orvane_log.txt").size();
    EXPECT_LE(size, 8 * 1024 * 1024);
    EXPECT_GE(size, 4 * 1024 * 1024 - 200);
    const QStringList texts = Texts(LogLines(install));
    ASSERT_GT(texts.size(), 2);
    // Whole lines, in order, without a gap, up to the last one written.
    const QRegularExpression flood("^flood (\\d+) \\.{100}$");
    int expected = -1;
    for (const QString& text : texts.mid(0, texts.size() - 1)) {
        const auto match = flood.match(text);
        ASSERT_TRUE(match.hasMatch()) << text.toStdString();
        const int number = match.captured(1).toInt();
        if (expected >= 0) {
            ASSERT_EQ(number, expected);
        }
        expected = number + 1;
    }
    EXPECT_EQ("last " + QString::number(expected - 1), last);
    EXPECT_EQ(texts.last(), "Close log file.");

    // A line longer than what is kept is the newest one: it stays whole.
    const Install longLine = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    RunProbe(longLine, {"orvane", "long"});
    const QStringList longTexts = Texts(LogLines(longLine));
    ASSERT_EQ(longTexts.size(), 2);
    EXPECT_EQ(longTexts[0], "long " + QString(5 * 1024 * 1024, QChar('x')));
    EXPECT_EQ(longTexts[1], "Close log file.");
}

TEST(Log, UpdaterLinesCarryTheEmptyMessageContext)
{
    const Install install = MakeInstall("[TraceSet]\nTraceLevel=4\n");
    RunProbe(install, {"renovo", "orderly"});
    const QStringList texts = Texts(LogLines(install, "Renovo_log.txt"));
    ASSERT_EQ(texts.size(), 7);
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
