// Two real Orvane processes on the same simulated monitors: the second start
// is refused with its warning and exit code 1, and the first keeps running
// with its log intact.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <memory>

#include "support/TestSupport.h"

using namespace orvane::test;

namespace {

struct Installation {
    QString dir = MakeScratchDir("install");
    QString tmp = MakeScratchDir("tmp");
    QString sim = MakeScratchDir("sim") + "/one-4k.json";

    Installation()
    {
        EXPECT_TRUE(QFile::copy(StageDir() + "/Orvane", dir + "/Orvane"));
        WriteFile(dir + "/RunInfo.ini", "[TraceSet]\nTraceLevel=4\n");
        WriteFile(sim, ReadFile(SourceDir() + "/examples/sim/one-4k.json"));
    }

    std::unique_ptr<QProcess> Start() const
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", tmp);
        env.insert("ORVANE_PLATFORM", "sim:" + sim);
        env.insert("ORVANE_AUTO_CONFIRM", "1");
        process->setProcessEnvironment(env);
        process->start(dir + "/Orvane", QStringList());
        return process;
    }

    QString Log() const { return QString::fromUtf8(ReadFile(tmp + "/Orvane_log.txt")); }
};

}  // namespace

TEST(SingleInstance, SecondStartIsRefusedAndLeavesTheFirstAndItsLogAlone)
{
    Installation install;
    auto first = install.Start();
    ASSERT_TRUE(first->waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return install.Log().contains("Timer end "); }, 20000)) << install.Log().toStdString();
    const QString before = install.Log();

    auto second = install.Start();
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(second->readAllStandardError())
                    .contains("box: warning | Orvane is already running! | Only one instance can be run at a time!"));

    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_TRUE(install.Log().startsWith(before));
    // The first instance goes on polling into the same file.
    const int ticks = install.Log().count("Timer end ");
    EXPECT_TRUE(WaitFor([&] { return install.Log().count("Timer end ") > ticks; }, 20000));

    StopProcess(*first);
}

TEST(SingleInstance, ANewStartAfterTheFirstEndedRuns)
{
    Installation install;
    auto first = install.Start();
    ASSERT_TRUE(WaitFor([&] { return install.Log().contains("Timer start"); }, 20000));
    first->kill();
    first->waitForFinished(5000);
    QFile::remove(install.tmp + "/Orvane_log.txt");

    auto again = install.Start();
    ASSERT_TRUE(again->waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return install.Log().contains("Timer start"); }, 20000));
    EXPECT_EQ(again->state(), QProcess::Running);
    again->terminate();
    again->waitForFinished(5000);
}
