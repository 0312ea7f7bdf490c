#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "monitor/MonitorTestSupport.h"
#include "orvane/monitor/CallHandOff.h"
#include "orvane/monitor/VcpAccess.h"
#include "support/TestSupport.h"

namespace orvane {
namespace {

using test::LogCapture;
using test::ScriptedMonitorConfig;
using test::WaitFor;

constexpr platform::PhysicalMonitorHandle kMonitor = 0x101;
constexpr platform::PhysicalMonitorHandle kOther = 0x102;

class VcpAccessTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Blocked calls end before the scripted interface goes away.
        config.Release();
        EXPECT_TRUE(WaitFor([&] { return config.blockedNow == 0 && vcp.AbandonedInFlight() == 0 &&
                                         !vcp.SetVcpThread().CallInFlight(); },
                            5000));
    }

    ScriptedMonitorConfig config;
    VcpAccess vcp{config};
    LogCapture log;
};

TEST_F(VcpAccessTest, WorkersStartWithNoValues)
{
    EXPECT_EQ(vcp.GetVcpThread().bResult, 0);
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 0);
    EXPECT_EQ(vcp.GetVcpThread().m_byCode, 0xFF);
    EXPECT_EQ(vcp.GetVcpThread().m_dwCurrent, 0xFFFFFFFFu);
    EXPECT_EQ(vcp.GetVcpThread().m_dwMax, 0xFFFFFFFFu);
    EXPECT_EQ(vcp.SetVcpThread().m_dwValue, 0xFFFFFFFFu);
    EXPECT_EQ(vcp.CapabilitiesLengthThread().m_dwLength, 0xFFFFFFFFu);
    EXPECT_EQ(vcp.m_nFailCountA, 0);
    EXPECT_EQ(vcp.m_nFailCountB, 0);
}

TEST_F(VcpAccessTest, GoodReadStoresBothValuesAndLogsSuccess)
{
    quint32 current = 0;
    quint32 maximum = 0;
    EXPECT_TRUE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    EXPECT_EQ(current, 3u);
    EXPECT_EQ(maximum, 4u);
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 0);
    const int start = log.IndexOf("Get Vcp Thread Start");
    const int call = log.IndexOf("Get VCP opcode : 170  current value : 3  Max Value : 4  result : 1  "
                                 "hphysicalMonitor  0x101");
    const int success = log.IndexOf("Get Vcp Thread Success , current value= 3");
    EXPECT_GE(start, 0);
    EXPECT_GT(call, start);
    EXPECT_GT(success, call);
}

TEST_F(VcpAccessTest, FailedAnswersAreNotGoodReads)
{
    config.getResult = 0;
    quint32 current = 7;
    quint32 maximum = 7;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    EXPECT_GE(timer.elapsed(), 300);  // the pause after a failed read
    EXPECT_EQ(current, 7u) << "out values are left alone on failure";
    const int call = log.IndexOf("Get VCP opcode : 170  current value : 3  Max Value : 4  result : 0  "
                                 "hphysicalMonitor  0x101");
    EXPECT_GE(call, 0);
    EXPECT_GT(log.IndexOf("Get Vcp Thread Done. bResult :  0"), call);

    // Success reported with the maximum missing still counts as failed.
    config.getResult = 1;
    config.maximum = 0xFFFFFFFF;
    EXPECT_FALSE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    EXPECT_TRUE(log.Contains("Get Vcp Thread Done. bResult :  1"));
    EXPECT_EQ(log.CountStartingWith("Get Vcp Thread Success"), 0);
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 0);
}

TEST_F(VcpAccessTest, SilentMonitorIsAbandonedNotKilledAndNotAskedAgainMeanwhile)
{
    config.blockedHandle = kMonitor;
    quint32 current = 0;
    quint32 maximum = 0;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, 2000);
    EXPECT_LT(elapsed, 5000);
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 1);
    EXPECT_EQ(current, 0xFFFFFFFFu);
    EXPECT_EQ(maximum, 0xFFFFFFFFu);
    EXPECT_GT(log.IndexOf("Get Vcp Thread Abort , m_bStop= 0"), log.IndexOf("Get Vcp Thread Start"));
    EXPECT_EQ(vcp.AbandonedInFlight(), 1);

    // The same monitor fails at once while its call is still out; no second
    // thread piles up behind it.
    timer.restart();
    EXPECT_FALSE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(config.getCalls, 1);
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 1);
    EXPECT_EQ(log.CountStartingWith("Get Vcp Thread Busy"), 1);

    // Other monitors are read as usual.
    EXPECT_TRUE(vcp.RunGetVcp(kOther, 0xAA, current, maximum));
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 0);
    EXPECT_EQ(vcp.GetVcpThread().m_hPhysicalMonitor, kOther);

    // The late answer lands in the abandoned worker only.
    config.current = 99;
    config.Release();
    ASSERT_TRUE(WaitFor([&] { return vcp.AbandonedInFlight() == 0; }, 3000));
    EXPECT_EQ(vcp.GetVcpThread().m_dwCurrent, 3u);
    EXPECT_TRUE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    EXPECT_EQ(current, 99u);
    EXPECT_EQ(config.getCalls, 3);
}

TEST_F(VcpAccessTest, ReadsShareTheWorkerThreadUntilOneIsGivenUp)
{
    quint32 current = 0;
    quint32 maximum = 0;
    ASSERT_TRUE(vcp.RunGetVcp(kOther, 0xAA, current, maximum));
    ASSERT_TRUE(vcp.RunGetVcp(kOther, 0xAA, current, maximum));
    config.blockedHandle = kMonitor;
    EXPECT_FALSE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    // The read given up on keeps its thread; the next read gets another one.
    ASSERT_TRUE(vcp.RunGetVcp(kOther, 0xAA, current, maximum));
    ASSERT_TRUE(vcp.RunGetVcp(kOther, 0xAA, current, maximum));
    const auto threads = config.ReadThreads();
    ASSERT_EQ(threads.size(), 5u);
    EXPECT_NE(threads[0], test::ThisThreadNumber());
    EXPECT_EQ(threads[1], threads[0]);
    EXPECT_EQ(threads[2], threads[0]);
    EXPECT_NE(threads[3], threads[2]);
    EXPECT_EQ(threads[4], threads[3]);
}

TEST_F(VcpAccessTest, StopFlagAbandonsAtOnceAndReportsTrue)
{
    config.blockedHandle = kMonitor;
    vcp.GetVcpThread().m_bStop = 1;
    quint32 current = 0;
    quint32 maximum = 0;
    EXPECT_TRUE(vcp.RunGetVcp(kMonitor, 0xAA, current, maximum));
    EXPECT_TRUE(log.Contains("Get Vcp Thread Abort , m_bStop= 1"));
    EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 1);
    // The flag survives the new worker that the next read needs.
    EXPECT_TRUE(vcp.RunGetVcp(kOther, 0xAA, current, maximum));
    EXPECT_EQ(vcp.GetVcpThread().m_bStop, 1);
}

TEST_F(VcpAccessTest, WriteReportsThePlatformResult)
{
    EXPECT_TRUE(vcp.RunSetVcp(kMonitor, 0xCA, 4));
    config.setResult = 0;
    EXPECT_FALSE(vcp.RunSetVcp(kMonitor, 0xCA, 5));
    EXPECT_EQ(config.setCalls, 2);
    EXPECT_EQ(vcp.SetVcpThread().m_dwValue, 5u);
    EXPECT_TRUE(log.Lines().isEmpty()) << "writes log nothing";
}

TEST_F(VcpAccessTest, HangingWriteTimesOutAndTheNextWriteWaitsForIt)
{
    config.blockedHandle = kMonitor;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(vcp.RunSetVcp(kMonitor, 0xCA, 4));
    EXPECT_GE(timer.elapsed(), 1000);
    EXPECT_LT(timer.elapsed(), 3000);

    // Still running: the second write neither restarts the worker nor takes
    // the first write's outcome as its own.
    timer.restart();
    EXPECT_FALSE(vcp.RunSetVcp(kMonitor, 0xCA, 5));
    EXPECT_GE(timer.elapsed(), 1000);
    EXPECT_EQ(config.setCalls, 1);
    EXPECT_EQ(vcp.SetVcpThread().m_dwValue, 4u);

    config.Release();
    ASSERT_TRUE(WaitFor([&] { return !vcp.SetVcpThread().CallInFlight(); }, 3000));
    EXPECT_TRUE(vcp.RunSetVcp(kMonitor, 0xCA, 5));
    EXPECT_EQ(config.setCalls, 2);
}

TEST_F(VcpAccessTest, WriteIssuedWhileAnEarlierOneIsOutWaitsForIt)
{
    // The same write still out is not made a second time: its outcome,
    // arriving within this call's limit, is this call's.
    config.blockedHandle = kMonitor;
    EXPECT_FALSE(vcp.RunSetVcp(kMonitor, 0xCA, 5));
    std::thread answer([&] {
        QThread::msleep(300);
        config.Release();
    });
    EXPECT_TRUE(vcp.RunSetVcp(kMonitor, 0xCA, 5));
    answer.join();
    EXPECT_EQ(config.setCalls, 1);

    // Any other write is made on its own once the earlier call is back.
    config.Block();
    EXPECT_FALSE(vcp.RunSetVcp(kMonitor, 0xCA, 4));
    std::thread again([&] {
        QThread::msleep(300);
        config.Release();
    });
    EXPECT_TRUE(vcp.RunSetVcp(kOther, 0xCA, 4));
    again.join();
    EXPECT_EQ(config.setCalls, 3);
    EXPECT_EQ(vcp.SetVcpThread().m_hPhysicalMonitor, kOther);
}

// The hand-over itself, for what the runners do not show: how a worker's
// thread ends.
class HandOffWorker : public QThread {
public:
    CallHandOff handOff;
    std::function<void()> call = [] {};

protected:
    void run() override { handOff.Serve(call); }
};

TEST(CallHandOff, RetiredThreadEndsIdleAtOnceAndBusyAfterItsCall)
{
    HandOffWorker idle;
    idle.handOff.Post(idle);
    while (idle.handOff.InFlight())
        idle.handOff.WaitForCall(100);
    EXPECT_TRUE(idle.isRunning());
    idle.handOff.Retire();
    EXPECT_TRUE(idle.wait(5000));

    ScriptedMonitorConfig config;
    config.blockedHandle = kMonitor;
    HandOffWorker busy;
    busy.call = [&config] {
        std::uint32_t codeType = 0, current = 0, maximum = 0;
        config.GetVCPFeatureAndVCPFeatureReply(kMonitor, 0xAA, &codeType, &current, &maximum);
    };
    busy.handOff.Post(busy);
    ASSERT_TRUE(WaitFor([&] { return config.blockedNow == 1; }, 5000));
    busy.handOff.Retire();
    busy.handOff.WaitForCall(200);
    EXPECT_TRUE(busy.handOff.InFlight());
    EXPECT_FALSE(busy.wait(200));
    config.Release();
    EXPECT_TRUE(busy.wait(5000));
    EXPECT_FALSE(busy.handOff.InFlight());
    EXPECT_EQ(config.getCalls, 1);
}

}  // namespace
}  // namespace orvane
