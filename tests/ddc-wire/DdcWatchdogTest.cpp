// The watchdog of the program's VCP reads over the real libddcutil: a read
// abandoned while the library is still inside its exchange, then reads of
// the same and of another monitor; and how many threads the library meets.
#include "tests/ddc-wire/WireFixture.h"

#include <QFile>

#include "orvane/monitor/VcpAccess.h"

using namespace orvane::ddcemu;

namespace {

int ProcessThreads()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    }
    return -1;
}

}  // namespace

TEST(DdcWatchdog, AbandonedReadLeavesTheOtherMonitorAndTheNextReadSound)
{
    REQUIRE_PRELOAD();
    Wire wire(Monitors(2));
    const auto handles = wire.Handles();
    ASSERT_EQ(handles.size(), 2u);
    orvane::VcpAccess vcp(wire.config);
    quint32 current = 0;
    quint32 maximum = 0;
    ASSERT_TRUE(vcp.RunGetVcp(handles[0], 0xAA, current, maximum));
    const int threadsBefore = ProcessThreads();
    MonitorState& slow = wire.emulation.Monitor(0);

    // ORVANE_WATCHDOG_RUNS repeats the whole sequence (each run waits out one
    // watchdog of 2 s).
    const int runs = std::max(1, qEnvironmentVariableIntValue("ORVANE_WATCHDOG_RUNS"));
    for (int run = 0; run < runs; ++run) {
        SCOPED_TRACE(run);
        slow.delayMs = 60000;
        EXPECT_FALSE(vcp.RunGetVcp(handles[0], 0xAA, current, maximum));
        EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 1);
        EXPECT_EQ(current, 0xFFFFFFFFu);
        EXPECT_EQ(slow.inExchange.load(), 1u) << "the library is still waiting for the monitor's answer";

        wire.emulation.SetValue(1, 0xAA, std::uint16_t(2 + run % 2));
        ASSERT_TRUE(vcp.RunGetVcp(handles[1], 0xAA, current, maximum)) << "another monitor is not held up";
        EXPECT_EQ(current, 2u + run % 2) << "its own answer, not the slow monitor's";
        EXPECT_EQ(vcp.GetVcpThread().m_bTimeout, 0);

        EXPECT_FALSE(vcp.RunGetVcp(handles[0], 0xAA, current, maximum)) << "no second call behind the first";
        EXPECT_EQ(vcp.AbandonedInFlight(), 1);

        wire.emulation.SetValue(0, 0xAA, 4);
        slow.delayMs = 0;  // the monitor answers at last; the answer goes nowhere
        ASSERT_TRUE(orvane::test::WaitFor([&] { return vcp.AbandonedInFlight() == 0; }, 10000));
        ASSERT_TRUE(vcp.RunGetVcp(handles[0], 0xAA, current, maximum));
        EXPECT_EQ(current, 4u);
        EXPECT_EQ(maximum, 4u);
        wire.emulation.SetValue(0, 0xAA, 1);
    }
    EXPECT_LE(ProcessThreads(), threadsBefore + 3) << "no threads pile up";
}

TEST(DdcWatchdog, TheLibraryMeetsOneThreadPerMonitor)
{
    REQUIRE_PRELOAD();
    // libddcutil keeps data for every thread that ever called it, so the
    // library must meet one thread per monitor however many worker threads
    // read (each access object here brings new ones, as a read given up on
    // does).
    Wire wire(Monitors(2));
    const auto handles = wire.Handles();
    ASSERT_EQ(handles.size(), 2u);
    const std::uint32_t afterDetection = wire.emulation.CallerThreads();
    for (int i = 0; i < 20; ++i) {
        orvane::VcpAccess vcp(wire.config);
        quint32 current = 0;
        quint32 maximum = 0;
        ASSERT_TRUE(vcp.RunGetVcp(handles[std::size_t(i % 2)], 0xAA, current, maximum));
        ASSERT_TRUE(vcp.RunSetVcp(handles[std::size_t(i % 2)], 0xCA, 4));
    }
    EXPECT_LE(wire.emulation.CallerThreads(), afterDetection + 2);
}
