#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

TEST(ProcessMonitorsTest, ObjectsAreBuiltBeforeMainOverTheProcessPlatform)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVANE_PLATFORM", "sim:" + orvane::test::SourceDir() + "/examples/sim/two-plus-unsupported.json");
    const auto probe = orvane::test::RunProcess(qEnvironmentVariable("PROBE"), QStringList(), env, 20000);
    ASSERT_TRUE(probe.finished);
    EXPECT_EQ(probe.exitCode, 0);
    EXPECT_EQ(probe.standardOutput.trimmed(), "total=3 supported=2 list=2");
    const QByteArray lines = probe.standardError;
    // Start-up lines go to Qt's default output, in construction order.
    const int total = lines.indexOf("Total Monitor: 3");
    const int firmware = lines.indexOf("hMonitor  0x101  Monitor  257");
    const int capabilities = lines.indexOf("Moinotr  1  GetCapabilites  true");
    EXPECT_GE(total, 0);
    EXPECT_GT(firmware, total);
    EXPECT_GT(capabilities, firmware);
}

}  // namespace
